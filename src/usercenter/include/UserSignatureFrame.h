#pragma once
// The seals or signatures page of the user centre (page 1). A personal account sees its
// handwritten signatures, with "添加签名" leading to the add-signature QR page, and, when
// companies have lent it seals, those seals under a company filter. A company account sees the
// seals of its inserted USB keys, its cloud seals and the seals whose certification failed,
// with "添加印章". The page reloads from the service each time it is shown.
//
// Cards leave the strips through their lists and are deleted later (deleteLater): a card's own
// signal may start the reload that removes it.

#include "CSealCellWidgetTwo.h"
#include "SealRecords.h"
#include "ContractRecords.h"

#include <QList>
#include <QWidget>

class BlockWidget;
class CAddSignWidget;
class CListControlRoll;
class LoadingWidget;
class QComboBox;
class QListWidget;
class QPushButton;
class SignListCellWidgetTwo;
struct keycontiaininfo;

class UserSignatureFrame : public QWidget
{
    Q_OBJECT
public:
    // The most signatures a person and the most seals a company may hold.
    static constexpr int kMaxSignatures = 5;
    static constexpr int kMaxSeals = 20;

    explicit UserSignatureFrame(QWidget* parent = nullptr);
    ~UserSignatureFrame() override;

    // Reloads the page for the logged-in account; nothing when nobody is logged in.
    void showInfo();

    // Appends one signature card to the signature strip.
    void setSingWidget(BlockWidget* widget, QString signId, QByteArray imgByte, QString nameStr, QString createDate);
    // Appends one seal card to the seal strip.
    void setSealWidget(BlockWidget* widget, const SealCardArgs& args);
    // true when the list holds a cancelled seal of the key's code whose credit code is the key's
    // licence number (ignoring case).
    bool judgeCancellation(const QList<SealInfo>& sealsInfos, const keycontiaininfo& info);

    BlockWidget* signBlock() const { return _signBlockwidget; }
    BlockWidget* sealBlock() const { return _sealBlockwidget; }
    QPushButton* addSignButton() const { return m_addSignBtn; }
    QPushButton* addSealButton() const { return addSealBtn; }
    QListWidget* sealList() const { return m_seallistWidget; }
    QListWidget* signList() const { return m_signlistWidget; }
    QComboBox* companyFilter() const { return comBox; }
    CAddSignWidget* addSignWidget() const { return _addSignWidget; }
    LoadingWidget* loadingBox() const { return m_loading; }
    // The cards now on the strips, left to right.
    QList<CSealCellWidgetTwo*> sealCards() const;
    QList<SignListCellWidgetTwo*> signCards() const;

public slots:
    // A card changed the service's data, or a seal was added: reload.
    void sync();
    // The company filter: the seals lent by the company of entry index (0: every company).
    void on_comboBox_currentIndexChanged(int index);

signals:
    void loginAgain(int type);
    // "添加印章" passed the identity gate and the limit: the add-seal wizard is to run; its
    // success is to reach sync().
    void addSealWizardRequested();

private:
    void loadPersonal();
    void loadCompany(const QString& userAccount);
    void addSignature();
    void addSeal();
    // Takes every card off a strip; the cards are deleted once control is back in the event loop.
    static void clearStrip(QListWidget* list);

    BlockWidget* _signBlockwidget = nullptr;
    BlockWidget* _sealBlockwidget = nullptr;
    QPushButton* m_addSignBtn = nullptr;
    QPushButton* addSealBtn = nullptr;
    QListWidget* m_seallistWidget = nullptr;
    CListControlRoll* m_sealListControl = nullptr;
    CAddSignWidget* _addSignWidget = nullptr;
    QListWidget* m_signlistWidget = nullptr;
    CListControlRoll* m_signListControl = nullptr;
    LoadingWidget* m_loading = nullptr;
    QList<UserSignatureInfo> m_userSignInfos;
    QList<SealInfo> m_userSealsInfos;
    QList<AuthCompanyInfo> m_authCompanyInfo;
    QComboBox* comBox = nullptr;
};
