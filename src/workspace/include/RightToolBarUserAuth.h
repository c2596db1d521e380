#pragma once
// The panel at the right of a seal-authorisation document's tab: the authorisation's details
// and its signers on two pages, and the one action the authorisation's state and the user's
// account kind allow (start, stop, accept or refuse). The panel asks the workspace to act by a
// signal carrying the authorisation id; it does not talk to the service itself and does not
// refresh after an action.

#include "ContractRecords.h"

#include <QFrame>
#include <QList>
#include <QString>

class PdfEngine;
class QButtonGroup;
class QPushButton;
struct BusinessInfo;

class RightToolBarUserAuth : public QFrame
{
    Q_OBJECT
public:
    RightToolBarUserAuth(const StartAuthSuccessInfo& info, const QList<ContractSignerInfo>& signers, PdfEngine* engine,
                         QWidget* parent = nullptr);

    StartAuthSuccessInfo authInfo() const { return m_infos; }
    QList<ContractSignerInfo> signers() const { return m_signers; }
    PdfEngine* engine() const { return m_engine; }

    QFrame* authFrame() const { return m_authFrame; }
    QFrame* signFrame() const { return m_SignFrame; }
    QPushButton* actionButton() const { return m_actionBtn; }
    QPushButton* refuseButton() const { return m_refuseBtn; }
    QButtonGroup* tabGroup() const { return m_tabGroup; }

    // The round order badge of a signer card.
    static QPixmap createColorIcon(QColor color, bool sort, QString index);

public slots:
    // 0 shows the details page, 1 the signing page.
    void toolButtonClicked(int id);

signals:
    void finishAutnBtn(const QString& authId);
    void stopAutnBtn(const QString& authId);
    void acceptAutnBtn(const QString& authId);
    void refuseAutnBtn(const QString& authId);

private:
    QFrame* buildAuthFrame(QWidget* parent);
    QFrame* buildSignFrame(QWidget* parent);
    QFrame* buildSignerCard(const ContractSignerInfo& signer, bool first);
    void buildActionButtons(QFrame* btnFrame);

    QFrame* m_authFrame = nullptr;
    QFrame* m_SignFrame = nullptr;
    StartAuthSuccessInfo m_infos;
    QList<ContractSignerInfo> m_signers;
    const BusinessInfo* m_businfo = nullptr;
    PdfEngine* m_engine = nullptr;
    QButtonGroup* m_tabGroup = nullptr;
    QPushButton* m_actionBtn = nullptr;
    QPushButton* m_refuseBtn = nullptr;
};
