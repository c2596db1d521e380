// The account page against the stand-in service: what it shows for each kind of account and
// verification state, its package figures, the avatar change, the certificate renewal, the
// purchase jump, the page reloads after a payment, and the initial-password question after login.

#include "AccountPageTestSupport.h"

#include "BuyMealInfoWidget.h"
#include "CertState.h"
#include "Level2MenuBar.h"
#include "LoadingWidget.h"
#include "LoginDialog.h"
#include "PayQrCodeDialog.h"
#include "PicturePreviewPanel.h"
#include "UserAccountFrame.h"
#include "UserCenterPage.h"
#include "UserCenterPageDialogs.h"
#include "UserManageFrame.h"
#include "UserPackageFrame.h"
#include "UserSession.h"

#include <QButtonGroup>
#include <QDir>
#include <QImage>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QStackedWidget>

using namespace account_test;

namespace {

using AccountPage = AccountPageTest;

QImage pictureOf(const QLabel* label)
{
    return label->pixmap(Qt::ReturnByValue).toImage();
}

QImage resource(const char* path)
{
    return QPixmap(QString::fromLatin1(path)).toImage();
}

// Writes a picture file of the given size into dir.
QString writePicture(const QTemporaryDir& dir, const QString& name, QSize size)
{
    QImage img(size, QImage::Format_ARGB32);
    img.fill(QColor(40, 160, 90));
    const QString path = dir.filePath(name);
    img.save(path);
    return path;
}

struct ScopedFileChooser {
    explicit ScopedFileChooser(HeadImgDialog::FileChooser chooser) { HeadImgDialog::setFileChooser(std::move(chooser)); }
    ~ScopedFileChooser() { HeadImgDialog::setFileChooser(nullptr); }
};

struct ScopedPayIntervals {
    ScopedPayIntervals() { PayQrCodeDialog::setIntervalsForTesting(5, 5); }
    ~ScopedPayIntervals() { PayQrCodeDialog::setIntervalsForTesting(0, 0); }
};

struct ScopedCurrentDir {
    explicit ScopedCurrentDir(const QString& dir) : m_saved(QDir::currentPath()) { QDir::setCurrent(dir); }
    ~ScopedCurrentDir() { QDir::setCurrent(m_saved); }
    QString m_saved;
};

} // namespace

TEST_F(AccountPage, ShowsEachKindOfAccountInEachVerificationState)
{
    DesktopUrls opened;
    const char* badge = ":/usercenter/Resources/images/usercenter/badge.svg";
    const char* notVerified = ":/usercenter/Resources/images/usercenter/qpprove.svg";
    g_certTime.bIsValid = true;
    g_certTime.endTime = QDateTime(QDate(2027, 5, 4), QTime(12, 0));
    struct Case {
        const char* account;
        int status;
        const char* state;      // the verification text
        const char* opensFrom;  // the label whose press opens the verification page, or ""
    } cases[] = {
        {kCompany, 1, "已认证", ""}, {kCompany, 0, "去认证", "state"}, {kCompany, 2, "认证未通过", "again"},
        {kCompany, 3, "认证审核中", ""}, {kPerson, 1, "已认证", ""},   {kPerson, 0, "去认证", "state"},
        {kPerson, 2, "认证未通过", "again"}, {kPerson, 3, "认证审核中", ""},
    };
    // One page for every case: each reload must rewrite what the previous account left.
    UserAccountFrame page;
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.account) + " state " + std::to_string(c.status));
        const bool company = QString(c.account) == kCompany;
        const bool verified = c.status == 1;
        setUserData(c.account, {{"authenStatus", c.status},
                                {"userPassword", company ? "abcdefghij" : ""},
                                {"signPassword", company ? "12345678" : ""},
                                {"authenCardId", verified ? "110101199001011234" : ""}});
        ASSERT_TRUE(loginAs(c.account));
        page.showInfo();

        EXPECT_EQ(page.accountCaption()->text(), company ? u8("企业账号") : u8("个人账号"));
        EXPECT_EQ(page.nameCaption()->text(), company ? u8("企业名称") : u8("真实姓名"));
        EXPECT_EQ(page.pinCaption()->text(), company ? u8("PIN码") : u8("身份证号"));
        EXPECT_EQ(page.accountValue()->text(), c.account);
        EXPECT_EQ(page.stateLabel()->text(), u8(c.state));
        EXPECT_EQ(page.reverifyLabel()->isHidden(), c.status != 2);
        EXPECT_EQ(pictureOf(page.accountApproveIcon()), resource(verified ? badge : notVerified));
        EXPECT_EQ(pictureOf(page.approveIcon()), resource(verified ? badge : notVerified));
        EXPECT_EQ(page.pinButton()->isHidden(), !company);
        EXPECT_EQ(page.phoneButton()->isEnabled(), verified);
        EXPECT_EQ(page.userNameValue()->isEnabled(), verified);
        if (verified) {
            EXPECT_EQ(page.userNameValue()->text(), company ? u8("演示科技有限公司") : u8("演示用户"));
            EXPECT_EQ(page.phoneValue()->text(), QString(c.account).left(3) + "****" + QString(c.account).right(4));
            EXPECT_EQ(page.certTimeValue()->text(), "2027-05-04");
        } else {
            EXPECT_EQ(page.userNameValue()->text(), u8("待认证"));
            EXPECT_EQ(page.phoneValue()->text(), u8("待认证"));
            EXPECT_EQ(page.certTimeValue()->text(), u8("待认证"));
        }
        // Masks: ten '*' for a ten-character password, eight for none; the company's PIN; the
        // person's card number, or "待认证" without one.
        EXPECT_EQ(page.passwordValue()->text(), QString(company ? 10 : 8, '*'));
        if (company)
            EXPECT_EQ(page.pinValue()->text(), "********");
        else
            EXPECT_EQ(page.pinValue()->text(), verified ? u8("1101****1234") : u8("待认证"));
        // Without an avatar of its own the account shows the picture of its kind.
        EXPECT_EQ(page.avatarSource(), company ? ":/usercenter/Resources/images/usercenter/company.png"
                                               : ":/usercenter/Resources/images/usercenter/tx.png");

        // Only "去认证" and "重新认证" open the verification page, with the token and the phone.
        opened.urls.clear();
        press(page.stateLabel());
        press(page.reverifyLabel());
        const QString token = client->getBusinessInfo()->token;
        if (QString(c.opensFrom).isEmpty()) {
            EXPECT_TRUE(opened.urls.isEmpty());
        } else {
            ASSERT_EQ(opened.urls.size(), 1);
            EXPECT_EQ(opened.urls[0].toString(),
                      QString("https://auth.example/%1?token=%2&userAccount=%3")
                          .arg(company ? "company" : "person", token, c.account));
        }
        endSession();
    }
    // Nobody logged in: nothing changes and nothing opens.
    page.showInfo();
    EXPECT_EQ(page.accountValue()->text(), kPerson);
    press(page.stateLabel());
    EXPECT_TRUE(opened.urls.isEmpty());
}

TEST_F(AccountPage, MasksAndDaysLeft)
{
    EXPECT_EQ(UserAccountFrame::maskCardId("110101199001011234"), "1101****1234");
    EXPECT_EQ(UserAccountFrame::maskCardId("12345"), "1234****2345");
    EXPECT_EQ(UserAccountFrame::maskPhone("13912345678"), "139****5678");
    EXPECT_EQ(UserAccountFrame::maskPhone(""), "****");
    EXPECT_EQ(UserAccountFrame::setLabelPass(u8("密码ab")), "****");

    struct Case {
        int days;
        const char* start;
        const char* now;
        const char* shown;
    } cases[] = {
        {365, "2024-3-1 10:00:00", "2024-3-11 22:00:00", "355"},   // ten and a half days used
        {365, "2024-03-01 10:00:00", "2025-3-1 10:00:00", "1"},    // the last day
        {365, "2024-3-1 10:00:00", "2025-3-3 10:00:00", "0"},      // over
        {30, "2024-3-1 10:00:00", "2024-2-29 10:00:00", "30"},     // not started by the service's clock
        {60000, "1900-1-1 00:00:00", "2040-1-1 00:00:00", "8866"}, // more than 2^32 seconds apart
        {365, "2024-3-1", "2024-3-2 10:00:00", "--"},
        {365, "2024-3-1 10:00:00", "", "--"},
        {365, "2024-13-1 10:00:00", "2024-3-2 10:00:00", "--"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.start) + " / " + c.now);
        EXPECT_EQ(UserAccountFrame::remainingDaysText(c.days, c.start, c.now), c.shown);
    }
}

TEST_F(AccountPage, PackageFiguresComeFromTheFirstHeldPackage)
{
    ASSERT_TRUE(loginAs(kPerson));
    UserAccountFrame page;
    const qint64 start = QDateTime(QDate(2026, 1, 1), QTime(8, 0), Qt::LocalTime).toSecsSinceEpoch();
    standin.setServerTime(start + 10 * 86400 + 43200);
    auto held = [&](const QString& updateDate) {
        standin.withState([&](StandinState& s) {
            QJsonObject orders = s.seed.value("orders").toObject();
            QJsonArray rows = orders.value("heldPackages").toArray();
            QJsonObject first = rows.at(0).toObject();
            first.insert("updateDate", updateDate);
            first.insert("mealResidueNum", 17);
            rows.replace(0, first);
            orders.insert("heldPackages", rows);
            s.seed.insert("orders", orders);
        });
    };
    standin.clearRequests();
    page.setPackageInfo();   // the stand-in's area is made on first use
    ASSERT_EQ(sent(kHeldPackagesPath), 1);
    held("2026-1-1 08:00:00");
    page.setPackageInfo();
    EXPECT_EQ(page.remainCountValue()->text(), "17");
    EXPECT_EQ(page.remainTimeValue()->text(), "355");

    held("unknown");
    page.setPackageInfo();
    EXPECT_EQ(page.remainTimeValue()->text(), "--");

    // A failed request keeps the figures; an empty list shows 0 and 0.
    standin.script(kHeldPackagesPath, StandinScript::withEnvelope(QJsonObject{{"code", 5000}, {"msg", "x"}}));
    page.setPackageInfo();
    EXPECT_EQ(page.remainCountValue()->text(), "17");
    standin.clearScripts();
    standin.script(kHeldPackagesPath,
                   StandinScript::withEnvelope(QJsonObject{{"code", 10000}, {"msg", "ok"}, {"data", QJsonArray()}}));
    page.setPackageInfo();
    EXPECT_EQ(page.remainCountValue()->text(), "0");
    EXPECT_EQ(page.remainTimeValue()->text(), "0");
}

TEST_F(AccountPage, AvatarIsCroppedScaledAndUploadedFromMemory)
{
    QTemporaryDir pictures, work;
    ASSERT_TRUE(work.isValid());
    const QString big = writePicture(pictures, "big.png", QSize(400, 300));
    struct Case {
        float zoom;
        QRect crop;      // set on the crop frame; empty: as loaded
        QSize uploaded;
    } cases[] = {
        {1.5f, QRect(), QSize(166, 166)},                  // the whole 184 x 184 picture area
        {1.5f, QRect(10, 20, 100, 100), QSize(166, 166)},  // enlarged
        {1.0f, QRect(), QSize(123, 123)},                  // its own size
        {1.0f, QRect(100, 100, 60, 60), QSize(23, 23)},    // cut to the picture
    };
    ASSERT_TRUE(loginAs(kPerson));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.zoom);
        ScopedScreenZoom zoom(c.zoom);
        ScopedCurrentDir cwd(work.path());
        ScopedFileChooser chooser([&] { return big; });
        UserAccountFrame page;
        QSignalSpy titleBar(&page, &UserAccountFrame::senLogoTitleBar);
        standin.clearRequests();
        ModalDriver driver;
        driver.on<HeadImgDialog>([&](HeadImgDialog* d) {
            EXPECT_FALSE(d->confirmButton()->isEnabled());
            d->chooseButton()->click();
            EXPECT_TRUE(d->confirmButton()->isEnabled());
            if (!c.crop.isEmpty())
                d->pictureView()->getImgRect(c.crop.x(), c.crop.y(), c.crop.width(), c.crop.height());
            d->confirmButton()->click();
            if (d->isVisible())
                d->reject();
        });
        press(page.avatarLabel());
        ASSERT_EQ(driver.count<HeadImgDialog>(), 1);

        const QList<StandinRequest> uploads = standin.requests(kUploadPath);
        ASSERT_EQ(uploads.size(), 1);
        const StandinPart* file = nullptr;
        QMap<QString, QString> text;
        for (const StandinPart& part : uploads[0].parts) {
            if (part.name == "file")
                file = &part;
            else
                text.insert(part.name, QString::fromUtf8(part.body));
        }
        ASSERT_NE(file, nullptr);
        EXPECT_EQ(file->fileName, "tx.png");
        EXPECT_EQ(file->contentType, "application/octet-stream");
        EXPECT_EQ(text.value("business"), "public");
        EXPECT_EQ(text.value("project"), u8("头像"));
        const QImage sent = QImage::fromData(file->body, "PNG");
        EXPECT_EQ(sent.size(), c.uploaded);

        // Registered by its download address; the page shows it and hands it to the title bar.
        const QString address = lastBody(kUpdateUserPath).value("imgUrl").toString();
        EXPECT_TRUE(address.startsWith("https://127.0.0.1:")) << address.toStdString();
        ASSERT_EQ(titleBar.count(), 1);
        EXPECT_EQ(titleBar[0][0].value<QPixmap>().size(), QSize(84, 84));
        EXPECT_EQ(page.getUpImg(), 1);
        EXPECT_TRUE(page.avatarSource().isEmpty());
        // Nothing was written into the working directory.
        EXPECT_TRUE(QDir(work.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).isEmpty());

        // Later reloads keep the uploaded picture; after a logout (upImg 0) the picture comes
        // from the account's record again, which gets the new avatar only at the next login.
        page.showInfo();
        EXPECT_TRUE(page.avatarSource().isEmpty());
        page.setUpImg(0);
        page.showInfo();
        EXPECT_EQ(page.avatarSource(), ":/usercenter/Resources/images/usercenter/tx.png");
    }
}

TEST_F(AccountPage, AvatarDialogKeepsItsPictureAndStaysOpenAfterARefusal)
{
    QTemporaryDir pictures;
    ASSERT_TRUE(loginAs(kPerson));
    QString next = writePicture(pictures, "a.png", QSize(80, 80));
    ScopedFileChooser chooser([&] { return next; });
    HeadImgDialog dialog;
    dialog.show();
    QSignalSpy registered(&dialog, &HeadImgDialog::senLogoData);

    // Cancelled file dialog and an unreadable file change nothing.
    next = "";
    dialog.chooseButton()->click();
    EXPECT_FALSE(dialog.confirmButton()->isEnabled());
    next = writePicture(pictures, "a.png", QSize(80, 80));
    dialog.chooseButton()->click();
    const QImage shown = dialog.pictureView()->getPixmap().toImage();
    ASSERT_FALSE(shown.isNull());
    QFile broken(pictures.filePath("broken.png"));
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    broken.write("not a picture");
    broken.close();
    next = broken.fileName();
    dialog.chooseButton()->click();
    EXPECT_EQ(dialog.pictureView()->getPixmap().toImage(), shown);
    EXPECT_TRUE(dialog.confirmButton()->isEnabled());

    // An upload without an address registers nothing; a refused registration emits nothing.
    standin.script(kUploadPath, StandinScript::withEnvelope(
                                    QJsonObject{{"code", 10000}, {"msg", "ok"}, {"data", QJsonObject{{"id", "f-9"}}}}));
    dialog.confirmButton()->click();
    EXPECT_EQ(sent(kUpdateUserPath), 0);
    standin.clearScripts();
    standin.script(kUpdateUserPath, StandinScript::withEnvelope(QJsonObject{{"code", 4011}, {"msg", u8("头像文件不存在")}}));
    dialog.confirmButton()->click();
    EXPECT_EQ(sent(kUpdateUserPath), 1);
    EXPECT_EQ(registered.count(), 0);
    EXPECT_TRUE(dialog.isVisible());
}

TEST_F(AccountPage, RenewalOpensThePaymentOnlyWithinThirtyDays)
{
    struct Case {
        int status;
        int days;
        const char* warning;   // empty: the payment dialog opens
    } cases[] = {
        {1, 29, ""},
        {1, 31, "电子印章使用到期前30天才能进行续期操作。"},
        {3, 29, "您的帐户还没有认证，请认证后再操作。"},
    };
    UserAccountFrame page;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.days);
        setUserData(kCompany, {{"authenStatus", c.status}});
        certificateEndsIn(kCompany, c.days);
        ASSERT_TRUE(loginAs(kCompany));
        ASSERT_EQ(getServerCertAndTime(), 0);
        const int boxesBefore = boxes.count();
        ModalDriver driver;
        int type = 0, seconds = 0;
        QString title;
        driver.on<PayQrCodeDialog>([&](PayQrCodeDialog* d) {
            type = d->type();
            seconds = d->remainingSeconds();
            title = d->title();
            d->reject();
        });
        page.renewButton()->click();
        if (QString(c.warning).isEmpty()) {
            EXPECT_EQ(driver.count<PayQrCodeDialog>(), 1);
            EXPECT_EQ(type, 2);
            EXPECT_EQ(seconds, 60);
            EXPECT_EQ(title, u8("印章使用续期"));
            EXPECT_EQ(boxes.count(), boxesBefore);
        } else {
            EXPECT_EQ(driver.count<PayQrCodeDialog>(), 0);
            ASSERT_EQ(boxes.count(), boxesBefore + 1);
            EXPECT_EQ(boxes.shown().last().title, u8("电子印章续期"));
            EXPECT_EQ(boxes.lastText(), u8(c.warning));
        }
        endSession();
    }
}

TEST_F(AccountPage, ExpiredCertificateRenewsThroughThePaymentAndThePageShowsTheNewEndDate)
{
    ASSERT_TRUE(loginAs(kExpired));
    ASSERT_EQ(getServerCertAndTime(), 0);
    ASSERT_TRUE(g_certTime.bIsExpired);
    UserCenterPage center;
    center.setLoginedState();
    UserAccountFrame* page = UserCenterPage::getUserManageFrame()->getUserAccount();
    const QString before = page->certTimeValue()->text();
    EXPECT_EQ(before, g_certTime.endTime.toString("yyyy-MM-dd"));

    ScopedPayIntervals fastPayment;
    PaySuccessAutoAnswer success;
    QSignalSpy renewed(&center, &UserCenterPage::sigCertRenewSucess);
    page->renewButton()->click();   // returns when the payment dialog has closed

    EXPECT_EQ(renewed.count(), 1);
    EXPECT_EQ(success.types(), QList<int>{2});
    EXPECT_GE(sent(kPayStatusPath), 3);
    EXPECT_FALSE(g_certTime.bIsExpired);
    qint64 notAfter = 0;
    standin.withState([&](StandinState& s) { notAfter = s.account->certs[kExpired].notAfter; });
    const QString renewedEnd = QDateTime::fromSecsSinceEpoch(notAfter).toString("yyyy-MM-dd");
    EXPECT_NE(renewedEnd, before);
    EXPECT_EQ(page->certTimeValue()->text(), renewedEnd);   // the success box reloaded the page
}

TEST_F(AccountPage, BuyingAPackageShowsThePurchaseBlockAndAPaidOrderReloadsThePages)
{
    UserCenterPage center;
    UserManageFrame* frame = UserCenterPage::getUserManageFrame();
    UserPackageFrame* packages = frame->getUserPackageFrame();
    CBuyMealInfoWidget* block = packages->_buyMealInfoWidfget;

    // Not verified: the gate tells the user in a box of its design size, and nothing moves.
    setUserData(kPerson, {{"authenStatus", 0}});
    ASSERT_TRUE(loginAs(kPerson));
    center.setLoginedState();
    {
        ScopedScreenZoom zoom(1.5f);
        QList<QSize> sizes;
        const MMessageBox::AnswerHook previous = MMessageBox::answerHook();
        MMessageBox::setAnswerHook([&](MMessageBox& box) {
            sizes << box.size();
            return QDialogButtonBox::Cancel;
        });
        frame->getUserAccount()->buyButton()->click();
        MMessageBox::setAnswerHook(previous);
        EXPECT_EQ(sizes, QList<QSize>{QSize(303, 163)});
    }
    EXPECT_EQ(frame->getStackWid()->indexOf(block), -1);
    EXPECT_EQ(sent(kMealListPath), 0);
    endSession();

    setUserData(kPerson, {{"authenStatus", 1}});
    ASSERT_TRUE(loginAs(kPerson));
    center.setLoginedState();
    frame->getUserAccount()->buyButton()->click();
    EXPECT_EQ(frame->getLevel2MenuBar()->getBtnGroup()->checkedId(), 3);
    EXPECT_EQ(frame->getStackWid()->indexOf(block), 3);
    EXPECT_EQ(frame->getStackWid()->currentWidget(), block);
    EXPECT_EQ(frame->getStackWid()->indexOf(packages), -1);
    EXPECT_EQ(sent(kMealListPath), 1);   // the packages for sale were loaded

    // The purchase was paid and its success box confirmed: the packages page is back at 3,
    // shown and reloaded, and the account page's figures are fetched again (one request each).
    standin.clearRequests();
    PaySuccessDialog box(1, nullptr);
    box.okButton()->click();
    EXPECT_EQ(frame->getStackWid()->indexOf(packages), 3);
    EXPECT_EQ(frame->getStackWid()->indexOf(block), -1);
    EXPECT_EQ(frame->getStackWid()->currentWidget(), packages);
    EXPECT_EQ(sent(kHeldPackagesPath), 2);
    EXPECT_EQ(sent(kMealListPath), 0);
}

TEST_F(AccountPage, InitialPasswordQuestionOnlyForAnUnchangedCreditCodeAccount)
{
    const QString creditCode = "91110000MA0000000X";
    QJsonObject companyData;
    standin.withState([&](StandinState& s) { companyData = s.users[kCompany].data; });
    addUser(creditCode, companyData);   // same credit code, logging in with it
    UserCenterPage center;
    LoadingWidget busy(nullptr, Qt::Vertical);
    UserSession session(&center, &busy);

    struct Case {
        const char* account;
        QJsonObject changes;
        bool asked;
    } cases[] = {
        {kCompany, {}, false},                                  // account name is not the code
        {"91110000MA0000000X", {{"creditCode", ""}}, false},     // no credit code
        {"91110000MA0000000X", {{"creditCode", "91110000MA0000000X"}, {"passwordChangeNum", 2}}, false},
        {"91110000MA0000000X", {{"passwordChangeNum", 0}}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.account);
        setUserData(c.account, c.changes);
        ASSERT_TRUE(loginAs(c.account));
        MMessageBoxAutoAnswer no(QDialogButtonBox::No);
        EXPECT_EQ(session.askToChangeInitialPassword(), c.asked);
        ASSERT_EQ(no.count(), c.asked ? 1 : 0);
        if (c.asked) {
            EXPECT_EQ(no.shown()[0].title, u8("修改密码"));
            EXPECT_EQ(no.shown()[0].text, u8("目前密码为初始密码，为保证账号安全，请修改密码。"));
            EXPECT_EQ(no.shown()[0].buttons, QDialogButtonBox::Yes | QDialogButtonBox::No);
            EXPECT_FALSE(no.shown()[0].checkBoxShown);
        }
        endSession();
    }

    // Through the login window: Yes opens the change-password dialog; once changed, the next
    // login asks no more.
    MMessageBoxAutoAnswer yes(QDialogButtonBox::Yes);
    ModalDriver driver;
    QString account = creditCode, password = kPassword;
    driver.on<LoginDialog>([&](LoginDialog* d) {
        d->loginPage()->accountField()->setText(account);
        d->loginPage()->passwordField()->setText(password);
        d->loginPage()->loginButton()->click();
    });
    driver.on<ChangePasswordDialog>([&](ChangePasswordDialog* d) {
        d->oldPasswordField()->setText(kPassword);
        d->newPasswordField()->setText("Changed2026");
        d->confirmField()->setText("Changed2026");
        d->okButton()->click();
    });
    // (This account has no certificate: the login window's certificate fetch shows its error.)
    const QString question = u8("目前密码为初始密码，为保证账号安全，请修改密码。");
    ASSERT_TRUE(session.runLoginDialog());
    ASSERT_TRUE(waitUntil([&] { return driver.count<ChangePasswordDialog>() == 1 && !QApplication::activeModalWidget(); }));
    EXPECT_EQ(yes.texts().count(question), 1);
    EXPECT_EQ(lastBody(kPasswordPath).value("newUserPassword").toString(), "Changed2026");
    endSession();
    password = "Changed2026";
    ASSERT_TRUE(session.runLoginDialog());
    EXPECT_EQ(yes.texts().count(question), 1);
    EXPECT_EQ(driver.count<ChangePasswordDialog>(), 1);
}
