// The login window against the stand-in service: a login through the window, refusals and
// failures, cancelling through the busy box, Enter and Escape on each page, the fields, the
// remembered names and the two web links.

#include "LoginTestSupport.h"

#include "FoundPassWord.h"
#include "LoadingWidget.h"
#include "LoginDialog.h"

#include <QAction>
#include <QCompleter>
#include <QLineEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QStringListModel>
#include <QTimer>
#include <QToolButton>

namespace {

using LoginWindow = LoginTest;

void fill(LoginDialog& dialog, const QString& account, const QString& password)
{
    dialog.loginPage()->accountField()->setText(account);
    dialog.loginPage()->passwordField()->setText(password);
}

} // namespace

TEST_F(LoginWindow, LogsInRemembersOnlyTheNameAndFetchesTheCertificate)
{
    // An entry written with a password for the same name, and another name.
    RegeditSettings::Instance()->setRencentUser({u8("13900000000"), QByteArray()}, false);
    RegeditSettings::Instance()->setRencentUser({kAccount, QByteArray("stale-secret")}, true);

    LoginDialog dialog;
    EXPECT_EQ(dialog.loginPage()->accountField()->text(), kAccount);   // the most recent name
    dialog.loginPage()->passwordField()->setText(kPassword);
    QTimer::singleShot(0, dialog.loginPage()->loginButton(), &QPushButton::click);
    ASSERT_EQ(dialog.exec(), QDialog::Accepted);

    ASSERT_NE(client->getBusinessInfo(), nullptr);
    EXPECT_EQ(client->getBusinessInfo()->userAccount, kAccount);
    EXPECT_FALSE(g_cerData.isEmpty());
    EXPECT_TRUE(g_certTime.bIsValid);
    EXPECT_EQ(toasts.texts(), QStringList{u8("登录成功")});
    EXPECT_EQ(toasts.shown()[0].ms, 500);
    EXPECT_EQ(toasts.shown()[0].type, qmt_nothing);

    const auto users = RegeditSettings::Instance()->recentUsers();
    ASSERT_EQ(users.size(), 2);
    EXPECT_EQ(users[0].first, kAccount);
    EXPECT_TRUE(users[0].second.isEmpty());
    EXPECT_EQ(users[1].first, u8("13900000000"));
    EXPECT_FALSE(settingsText().contains(kPassword));
    EXPECT_FALSE(settingsText().contains("stale-secret"));
    EXPECT_FALSE(logText().contains(kPassword));
    EXPECT_EQ(lastBody(kLoginPath).value("userPassword").toString(), kPassword);
}

TEST_F(LoginWindow, RefusesEmptyFieldsAndReportsAWrongPassword)
{
    struct Case {
        const char* account;
        const char* password;
        const char* toast;
        QuickMessageBoxType type;
        bool sends;
    } cases[] = {
        {"", "x", "账号不能为空", qmt_nothing, false},
        {"   ", "x", "账号不能为空", qmt_nothing, false},
        {"13800000000", "", "密码不能为空", qmt_error, false},
        {" 13800000000 ", "wrong-password", "账号或密码错误", qmt_error, true},
    };
    LoginDialog dialog;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.toast);
        standin.clearRequests();
        QuickMessageBoxSpy spy;
        fill(dialog, u8(c.account), u8(c.password));
        dialog.loginPage()->loginIn();   // returns once the answer (if any) has come
        EXPECT_EQ(spy.texts(), QStringList{u8(c.toast)});
        EXPECT_EQ(spy.shown().value(0).type, c.type);
        EXPECT_EQ(spy.shown().value(0).ms, 2000);
        EXPECT_EQ(sent(kLoginPath), c.sends ? 1 : 0);
        EXPECT_TRUE(dialog.loginPage()->loginButton()->isEnabled());
        EXPECT_FALSE(dialog.loginPage()->isWaiting());
        EXPECT_EQ(dialog.loginPage()->accountField()->text(), u8(c.account));
    }
    // The trimmed account went out; the password as typed.
    EXPECT_EQ(lastBody(kLoginPath).value("userAccount").toString(), kAccount);
    EXPECT_EQ(client->getLoginState(), int(NetWorkBusiness::UNLOGIN));
    EXPECT_NE(dialog.result(), QDialog::Accepted);
}

TEST_F(LoginWindow, ClosingTheBusyBoxCancelsTheLoginAndEnterCannotSendASecond)
{
    standin.script(kLoginPath, heldOnce());   // the first login is held
    LoginDialog dialog;
    dialog.show();
    fill(dialog, kAccount, kPassword);

    bool disabledWhileWaiting = false;
    ModalDriver driver;
    driver.on<LoadingWidget>([&](LoadingWidget* box) {
        disabledWhileWaiting = !dialog.loginPage()->loginButton()->isEnabled();
        EXPECT_EQ(box->text(), u8("正在登录..."));
        QTest::keyClick(&dialog, Qt::Key_Return);   // Enter while the request is on its way
        ASSERT_TRUE(waitUntil([&] { return standin.heldCount(kLoginPath) == 1; }));
        box->closeButton()->click();
    });
    dialog.loginPage()->loginButton()->click();

    EXPECT_TRUE(disabledWhileWaiting);
    EXPECT_EQ(started("loginBusiness"), 1);
    EXPECT_TRUE(dialog.loginPage()->loginButton()->isEnabled());
    EXPECT_EQ(toasts.count(), 0);
    EXPECT_EQ(client->getLoginState(), int(NetWorkBusiness::UNLOGIN));
    standin.release(kLoginPath);

    // The user can try again; only the new login answers.
    QTimer::singleShot(0, dialog.loginPage()->loginButton(), &QPushButton::click);
    EXPECT_EQ(dialog.exec(), QDialog::Accepted);
    EXPECT_EQ(toasts.texts(), QStringList{u8("登录成功")});
}

TEST_F(LoginWindow, EnterSubmitsThePageShownAndEscapeRejects)
{
    LoginDialog dialog;
    dialog.show();
    ASSERT_EQ(dialog.currentPageId(), 0);
    EXPECT_FALSE(dialog.tab(1)->isVisible());

    dialog.loginPage()->forgetLink()->click();
    EXPECT_EQ(dialog.currentPageId(), 2);
    EXPECT_EQ(dialog.pageStack()->currentWidget(), dialog.recoveryPage());
    EXPECT_TRUE(dialog.tab(2)->isChecked());
    dialog.recoveryPage()->accountField()->setText(kAccount);
    QTest::keyClick(&dialog, Qt::Key_Enter);   // the recovery page checks its fields
    EXPECT_EQ(toasts.texts(), QStringList{u8("验证码不能为空")});

    dialog.recoveryPage()->loginLink()->click();
    EXPECT_EQ(dialog.currentPageId(), 0);
    EXPECT_TRUE(dialog.tab(0)->isChecked());
    EXPECT_EQ(dialog.recoveryPage()->accountField()->text(), kAccount);   // kept
    QTest::keyClick(&dialog, Qt::Key_Return);   // the login page checks its fields
    EXPECT_EQ(toasts.texts().last(), u8("账号不能为空"));

    dialog.tab(2)->click();
    EXPECT_EQ(dialog.currentPageId(), 2);
    QTest::keyClick(&dialog, Qt::Key_Escape);
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(sent(kLoginPath) + sent(kResetPath), 0);
}

TEST_F(LoginWindow, FieldsEyeAndRememberedNames)
{
    {
        LoginDialog dialog;
        LoginWidget* page = dialog.loginPage();
        EXPECT_TRUE(page->accountField()->text().isEmpty());
        EXPECT_EQ(page->accountField()->completer(), nullptr);
        EXPECT_EQ(page->accountField()->maxLength(), 30);
        EXPECT_EQ(page->passwordField()->maxLength(), 16);
        EXPECT_EQ(page->passwordField()->echoMode(), QLineEdit::Password);
        auto* eye = page->passwordField()->findChild<QAction*>("eyeAction");
        ASSERT_NE(eye, nullptr);
        eye->trigger();
        EXPECT_EQ(page->passwordField()->echoMode(), QLineEdit::Normal);
        eye->trigger();
        EXPECT_EQ(page->passwordField()->echoMode(), QLineEdit::Password);
        EXPECT_EQ(dialog.size(), QSize(680, 450));
    }
    RegeditSettings::Instance()->setRencentUser({u8("a@example.com"), QByteArray()}, false);
    RegeditSettings::Instance()->setRencentUser({u8("13700000000"), QByteArray()}, false);
    LoginDialog dialog;
    QLineEdit* account = dialog.loginPage()->accountField();
    EXPECT_EQ(account->text(), u8("13700000000"));
    EXPECT_TRUE(dialog.loginPage()->passwordField()->text().isEmpty());
    ASSERT_NE(account->completer(), nullptr);
    auto* names = qobject_cast<QStringListModel*>(account->completer()->model());
    ASSERT_NE(names, nullptr);
    EXPECT_EQ(names->stringList(), (QStringList{u8("13700000000"), u8("a@example.com")}));
}

TEST_F(LoginWindow, LinksOpenTheRegistrationPageAndTheWebSite)
{
    DesktopUrls opened;
    LoginDialog dialog;
    dialog.loginPage()->registerLink()->click();   // no key: nothing opens
    EXPECT_TRUE(opened.urls.isEmpty());

    QSettings ini(configPath, QSettings::IniFormat);
    const QByteArray address = QByteArray("https://reg.example.com/signup?from=pc").append('\0').append("tail");
    ini.setValue("addressUrl/reg", QString::fromLatin1(address.toBase64()));
    ini.sync();
    dialog.loginPage()->registerLink()->click();
    dialog.siteButton()->click();
    ASSERT_EQ(opened.urls.size(), 2);
    EXPECT_EQ(opened.urls[0], QUrl("https://reg.example.com/signup?from=pc"));
    EXPECT_EQ(opened.urls[1].scheme(), "https");
    EXPECT_FALSE(opened.urls[1].host().isEmpty());
}
