#pragma once
// The panel at the right of a seal-authorisation document's tab. It keeps the authorisation
// and its signers and carries the signals by which the workspace completes, stops, accepts or
// refuses the authorisation. Its contents are built by the authorisation screens.

#include "ContractRecords.h"

#include <QFrame>
#include <QList>
#include <QString>

class PdfEngine;

class RightToolBarUserAuth : public QFrame
{
    Q_OBJECT
public:
    RightToolBarUserAuth(const StartAuthSuccessInfo& info, const QList<ContractSignerInfo>& signers, PdfEngine* engine,
                         QWidget* parent = nullptr);

    StartAuthSuccessInfo authInfo() const { return m_authInfo; }
    QList<ContractSignerInfo> signers() const { return m_signers; }
    PdfEngine* engine() const { return m_engine; }

signals:
    void finishAutnBtn(QString authId);
    void stopAutnBtn(QString authId);
    void acceptAutnBtn(QString authId);
    void refuseAutnBtn(QString authId);

private:
    StartAuthSuccessInfo m_authInfo;
    QList<ContractSignerInfo> m_signers;
    PdfEngine* m_engine = nullptr;
};
