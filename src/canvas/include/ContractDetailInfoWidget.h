#pragma once
// The contract details at the top of the seal panel of a contract tab: a heading strip that
// collapses and expands the block, the document name, the signing rule, the end date, one card
// per signer with the signer's state and place in the signing order, and the remark. The state
// texts and the round order badge are shared with the authorisation panel.

#include "ContractRecords.h"
#include "GlobalHeader.h"

#include <QColor>
#include <QFrame>
#include <QList>
#include <QPixmap>
#include <QString>
#include <QWidget>

class QLabel;
class QListWidget;

// The text of a signer's (or contract's) state key and its colour; an unknown key gives
// "未知状态" and leaves imageColor as it was.
QString getSignStatusStr(QString str, QColor& imageColor);
// "顺序签署" for "serial", "并行签署" for "parallel", "未知规则" otherwise.
QString getSignRuleStr(QString old);

// Makes the pictures of the contract screens available (called by their constructors).
void initContractResources();

// One signer of the contract: the order badge, then the name, the account, and the state with
// the signing time.
class ContractSignerInfoCell : public QFrame
{
    Q_OBJECT
public:
    explicit ContractSignerInfoCell(QWidget* parent = nullptr);

    // Shows the signer; sort: the badge carries the signer's place in the order.
    void setValue(ContractSignerInfo cInfo, bool sort);

    // A filled circle of the colour, int(12 * screenZoom) square, with text centred in white
    // when sort is set.
    static QPixmap createColorIcon(QColor color, bool sort, QString index);

    QLabel* nameLabel() const { return m_signerNameLabel; }
    QLabel* accountLabel() const { return m_signerAccountLabel; }
    QLabel* timeLabel() const { return m_signerSignTimeLabel; }
    QLabel* statusLabel() const { return m_signerStatu; }
    QLabel* orderLabel() const { return m_orderLabel; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QLabel* m_signerNameLabel = nullptr;
    QLabel* m_signerAccountLabel = nullptr;
    QLabel* m_signerSignTimeLabel = nullptr;
    QLabel* m_signerStatu = nullptr;
    QLabel* m_orderLabel = nullptr;
};

class ContractDetailInfoWidget : public QWidget
{
    Q_OBJECT
public:
    explicit ContractDetailInfoWidget(bool bPush, QWidget* parent = nullptr);

    // Expands (true) or collapses the block; with bBtn the given state is inverted first.
    void setPushState(bool bPush, bool bBtn);
    bool pushState() const { return m_bPush; }
    // Fills the block from the contract; a draft shows no signer cards.
    void setInfo(ContractInfo cInfo, QList<ContractSignerInfo> signers, CloudSignMode mode);

    QLabel* docLabel() const { return m_docLabel; }
    QLabel* ruleLabel() const { return m_signsxLabel; }
    QLabel* endDateLabel() const { return m_signEndDate; }
    QLabel* remarkLabel() const { return m_remark; }
    QLabel* arrowLabel() const { return m_btnPush; }
    QListWidget* signerList() const { return m_signerListWidget; }
    QWidget* topWidget() const { return m_topWidget; }
    QWidget* bottomWidget() const { return m_bottomWidget; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Signer cards take the list's width (at most their designed width), so a narrow panel
    // never cuts off the signing time at the card's right edge.
    void fitSignerCards();

    QLabel* m_titlerText = nullptr;
    QLabel* m_btnPush = nullptr;
    bool m_bPush = true;
    QLabel* m_docLabel = nullptr;
    QLabel* m_signsxLabel = nullptr;
    QLabel* m_signEndDate = nullptr;
    QListWidget* m_signerListWidget = nullptr;
    QLabel* m_remark = nullptr;
    QWidget* m_bottomWidget = nullptr;
    QWidget* m_topWidget = nullptr;
};
