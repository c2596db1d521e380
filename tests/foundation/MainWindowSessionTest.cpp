// The main window's account button and not-logged-in page against the stand-in service: a login
// through the login window, the looks that follow, and the logout that closes the tabs.

#include "AccountTestSupport.h"
#include "LoginDialog.h"
#include "MMessageBox.h"
#include "Orvessa.h"
#include "ParentDialog.h"
#include "QtTestSupport.h"
#include "QuickMessageBox.h"
#include "RegeditSettings.h"
#include "UserCenterPage.h"
#include "UserSession.h"
#include "UserUnloginFrame.h"

#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QSignalSpy>
#include <QStackedWidget>

namespace {

using MainWindowSession = AccountTest;

TEST_F(MainWindowSession, NotLoggedInPageLogsInAndALogoutClosesTheTabs)
{
    ScopedScreenZoom zoom(1.0f);
    ScopedUiDurationScale fast(0.0);
    QuickMessageBoxSpy toasts;
    MMessageBoxAutoAnswer boxes(QDialogButtonBox::Ok);
    QTemporaryDir settings;
    ScopedSettingsLocation store(settings.path());

    Orvessa window;
    ASSERT_EQ(window.stackWidget()->widget(Orvessa::UserCenterPageId), window.userCenterPage());
    EXPECT_EQ(window.userButton()->text(), u8(" 请登录！"));
    ModalDriver driver;
    driver.on<LoginDialog>([](LoginDialog* dialog) {
        dialog->loginPage()->accountField()->setText("13800000000");
        dialog->loginPage()->passwordField()->setText("Orvessa@2024");
        dialog->loginPage()->loginButton()->click();
    });
    window.userCenterPage()->getUserUnloginFrame()->loginButton()->click();
    ASSERT_EQ(window.loginState(), 1);
    ASSERT_NE(client->getBusinessInfo(), nullptr);
    EXPECT_EQ(window.userButton()->text(), client->getBusinessInfo()->userName);
    EXPECT_EQ(window.userCenterPage()->stackWidget()->currentIndex(), int(UserCenterPage::LoggedInIndex));

    QSignalSpy tabs(&window, &Orvessa::logoutSignal);
    window.session()->logout();
    ASSERT_TRUE(waitUntil([&] { return tabs.count() == 1; }));
    EXPECT_EQ(window.loginState(), 0);
    EXPECT_EQ(window.userButton()->text(), u8(" 请登录！"));
    EXPECT_EQ(window.userCenterPage()->stackWidget()->currentIndex(), int(UserCenterPage::LoggedOutIndex));
    EXPECT_EQ(driver.count<LoginDialog>(), 1);
}

} // namespace
