#include "RightToolBarUserAuth.h"

#include "GlobalHeader.h"

RightToolBarUserAuth::RightToolBarUserAuth(const StartAuthSuccessInfo& info, const QList<ContractSignerInfo>& signers,
                                           PdfEngine* engine, QWidget* parent)
    : QFrame(parent), m_authInfo(info), m_signers(signers), m_engine(engine)
{
    setObjectName(QStringLiteral("RightToolBarUserAuth"));
    setFixedWidth(int(187 * screenZoom));
}
