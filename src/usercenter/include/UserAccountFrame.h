#pragma once
// The account page of the user centre (page 0): the logged-in user's basic information (account
// kind, account, name, masked password, phone and PIN or identity-card number, verification
// state, avatar, end date of the seal-use certificate) and package figures; and where the user
// changes the password, the phone, the avatar and a USB key's PIN, renews the certificate and
// goes to buy a package. The avatar dialog HeadImgDialog is declared beside it.
//
// Everything shown is read again by showInfo() from the logged-in user's record, g_certTime and
// the service; the page only remembers the address of an avatar uploaded in this session.

#include "ParentDialog.h"

#include <QFrame>
#include <QPixmap>
#include <QString>

#include <functional>

class BlockWidget;
class LoadingWidget;
class PicturePreviewPanel;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QPushButton;

class UserAccountFrame : public QFrame
{
    Q_OBJECT
public:
    explicit UserAccountFrame(QWidget* parent = nullptr);
    ~UserAccountFrame() override;

    // Refills the page from the logged-in user (nothing happens while nobody is logged in).
    void showInfo();
    // Reloads the package figures (remaining signings and days).
    void setPackageInfo();
    // 1 once an avatar was uploaded in this session, 0 at start and after each logout.
    void setUpImg(int upimg);
    int getUpImg() const { return upImg; }
    // Runs the change-password dialog, as the page's password button does, and returns when it
    // has closed.
    void modfiyPassword();

    // A string of '*' as long as text.
    static QString setLabelPass(const QString& text);
    // First 4 characters, "****", last 4 (an identity-card number).
    static QString maskCardId(const QString& cardId);
    // First 3 digits, "****", last 4 (a phone number).
    static QString maskPhone(const QString& phone);
    // The days-left figure of a package of mealDayNum days counted from updateDate, at the
    // service's present time noDate (both "yyyy-M-d hh:mm:ss"): "1" on the last day, "0" once
    // it is over, "--" when a date cannot be read.
    static QString remainingDaysText(int mealDayNum, const QString& updateDate, const QString& noDate);
    // The round 84 x 84 picture made of image bytes (a transparent circle when they are no
    // picture).
    static QPixmap roundAvatar(const QByteArray& bytes);

    // The widgets tests and screens look at.
    QLabel* accountCaption() const { return useAccLabel; }
    QLabel* nameCaption() const { return nameLabel; }
    QLabel* pinCaption() const { return pinLabel; }
    QLabel* avatarLabel() const { return m_accountIconLabel; }
    QLabel* editOverlay() const { return modify; }
    QLabel* stateLabel() const { return rzLabel; }
    QLabel* reverifyLabel() const { return rerzLabel; }
    QLabel* userNameValue() const { return m_leUserName; }
    QLabel* accountValue() const { return m_leUserAccount; }
    QLabel* passwordValue() const { return m_lepassWord; }
    QLabel* phoneValue() const { return m_lePhone; }
    QLabel* pinValue() const { return m_lePin; }
    QLabel* certTimeValue() const { return m_pLabCertTime; }
    QLabel* approveIcon() const { return m_approveIconLabel; }
    QLabel* accountApproveIcon() const { return imgLabel; }
    QPushButton* passwordButton() const { return m_motifyPassword; }
    QPushButton* phoneButton() const { return m_motifyPhone; }
    QPushButton* pinButton() const { return m_motifyPin; }
    QPushButton* renewButton() const { return m_pBtnMotifyCertTime; }
    QPushButton* buyButton() const { return m_buyMealBtn; }
    QLabel* remainCountValue() const { return m_remainCountLabel; }
    QLabel* remainTimeValue() const { return m_remainTimeLabel; }
    BlockWidget* basicInfoCard() const { return _basicInfoWidget; }
    BlockWidget* mealInfoCard() const { return _mealInfoWidget; }
    BlockWidget* notificationCard() const { return _notificationSettingsWidget; }
    // The path of the picture the avatar shows: a resource path, or empty for a downloaded one.
    QString avatarSource() const { return m_avatarSource; }

signals:
    // A new round avatar for the title bar.
    void senLogoTitleBar(QPixmap pixMap);
    // Declared for the container, which relays it; this page never emits it.
    void loginAgain(int type);
    // A certificate renewal was paid and the renewed certificate fetched.
    void sigCertRenewSucess();

public slots:
    void motifyPasswordSlot();
    // Not connected: the e-mail row is never shown.
    void motifyEmailSlot();
    void motifyPhoneSlot();
    void motifyPinSlot();
    void on_numLine_textChanged(const QString& arg1);
    // The avatar dialog registered a new avatar at imgUrl.
    void getLogoData(QString imgUrl);
    // "立即续期": renews the seal-use certificate by a QR-code payment.
    void slotMotifyCertTime();
    // "购买套餐": shows the package purchase block in the packages page's place.
    void buyMealSlot();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void initBaseInfoWidget(BlockWidget* block);
    void initMealInfoWidget(BlockWidget* block);
    void initNoftificationSettingWidget(BlockWidget* block);
    void initUiinfo(QWidget* parent, QHBoxLayout* layout);
    void setClickable(QLabel* label, bool clickable);
    void showAvatarBytes(const QByteArray& bytes);
    void openVerificationPage();

    BlockWidget* _basicInfoWidget = nullptr;
    BlockWidget* _mealInfoWidget = nullptr;
    BlockWidget* _notificationSettingsWidget = nullptr;
    QLabel* useAccLabel = nullptr;
    QLabel* nameLabel = nullptr;
    QLabel* pinLabel = nullptr;
    QLabel* m_accountIconLabel = nullptr;
    QLabel* modify = nullptr;
    QLabel* m_accountTextLabel = nullptr;
    QLabel* m_approveIconLabel = nullptr;
    QLabel* imgLabel = nullptr;
    QLabel* rzLabel = nullptr;
    QLabel* rerzLabel = nullptr;
    QLabel* m_leUserName = nullptr;
    QLabel* m_leUserAccount = nullptr;
    QLabel* m_lepassWord = nullptr;
    QLabel* m_leEmail = nullptr;
    QLabel* m_lePhone = nullptr;
    QLabel* m_lePin = nullptr;
    QLabel* m_pLabCertTime = nullptr;
    QPushButton* m_motifyPassword = nullptr;
    QPushButton* m_motifyEmail = nullptr;
    QPushButton* m_motifyPin = nullptr;
    QPushButton* m_motifyPhone = nullptr;
    QPushButton* m_pBtnMotifyCertTime = nullptr;
    QLabel* m_remainCountLabel = nullptr;
    QLabel* m_remainTimeLabel = nullptr;
    QPushButton* m_buyMealBtn = nullptr;
    QLineEdit* m_numLine = nullptr;
    int upImg = 0;
    QString _imgUrl;
    QString m_avatarSource;
};

// The avatar dialog: the user picks a picture, chooses a round part of it, and the part becomes
// the account's avatar: cropped, encoded as PNG in memory, uploaded to the service's file store
// and registered as the user's avatar; senLogoData() then hands its address to the account page.
class HeadImgDialog : public ParentDialog
{
    Q_OBJECT
public:
    explicit HeadImgDialog(QWidget* parent = nullptr);
    ~HeadImgDialog() override;

    // Test seam: returns the path a file dialog would have returned; empty: the real dialog.
    using FileChooser = std::function<QString()>;
    static void setFileChooser(FileChooser chooser);

    // The largest side, in pixels, of an uploaded avatar when the screen is scaled up.
    static constexpr int kScaledSide = 166;

    // The picture that would be uploaded now: the crop of the picture shown, scaled to fit
    // kScaledSide when the screen is scaled up; null before a picture was loaded.
    QImage avatarImage() const;

    QPushButton* chooseButton() const { return m_chooseBtn; }
    QPushButton* confirmButton() const { return sureBtn; }
    QPushButton* cancelButton() const { return m_cancelBtn; }
    PicturePreviewPanel* pictureView() const { return imgframe; }
    LoadingWidget* busyBox() const { return m_loading; }

signals:
    // The avatar was registered at imgUrl (the service's address of it).
    void senLogoData(QString imgUrl);

public slots:
    // A picture was loaded into the view: the change can be confirmed.
    void getUpImg(bool isUpImg);
    // "选择头像": picks a picture file and shows it.
    void chooseImage();
    // "确认更改": uploads the chosen part and registers it as the avatar.
    void confirmChange();

private:
    PicturePreviewPanel* imgframe = nullptr;
    QPushButton* sureBtn = nullptr;
    LoadingWidget* m_loading = nullptr;
    QPushButton* m_chooseBtn = nullptr;
    QPushButton* m_cancelBtn = nullptr;
};
