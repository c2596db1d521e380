// The interface's session looks against the stand-in service: a login through the window, the
// logout and its failures, and the forced logout when the service rejects the session, delivered
// after the failed request has returned, with the document tabs deleted later.

#include "LoginTestSupport.h"

#include "Level2MenuBar.h"
#include "LoadingWidget.h"
#include "LoginDialog.h"
#include "UserCenterPage.h"
#include "UserManageFrame.h"
#include "UserSession.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QStackedWidget>

#include <algorithm>

namespace {

const char* const kCheckTokenPath = "/eseal-usermanage/token/checkToken";
const char* const kLogoutPath = "/eseal-usermanage/logout";

// A document tab as the workspace keeps it: it runs requests of its own, is closed on the
// logout signal and deleted later. After each request it reads its own members again.
class DocumentTab : public QWidget
{
public:
    struct Seen {
        int answer;
        bool sessionShown;   // the interface still showed the session when the request returned
        int warnings;        // warnings shown by then
    };
    void runRequest(const UserSession& session, const MMessageBoxAutoAnswer& boxes)
    {
        const int answer = NetWorkBusiness::Instance()->checkTokenBus();
        m_seen << Seen{answer, session.loginState() == 1, boxes.count()};
    }
    QList<Seen> m_seen;
};

class Session : public LoginTest
{
protected:
    void SetUp() override
    {
        LoginTest::SetUp();
        page = std::make_unique<UserCenterPage>();
        busy = std::make_unique<LoadingWidget>(nullptr, Qt::Vertical);
        session = std::make_unique<UserSession>(page.get(), busy.get());
    }

    void TearDown() override
    {
        session.reset();
        busy.reset();
        page.reset();
        LoginTest::TearDown();
    }

    void logIn()
    {
        ASSERT_TRUE(login());
        session->setUserPageLoginState();
        ASSERT_EQ(page->stackWidget()->currentIndex(), int(UserCenterPage::LoggedInIndex));
    }

    std::unique_ptr<UserCenterPage> page;
    std::unique_ptr<LoadingWidget> busy;
    std::unique_ptr<UserSession> session;
};

} // namespace

TEST_F(Session, LoginThroughTheWindowShowsTheLoggedInLook)
{
    QSignalSpy in(session.get(), &UserSession::loggedIn);
    ModalDriver driver;
    driver.on<LoginDialog>([&](LoginDialog* dialog) {
        dialog->loginPage()->accountField()->setText(kAccount);
        dialog->loginPage()->passwordField()->setText(kPassword);
        dialog->loginPage()->loginButton()->click();
    });
    ASSERT_TRUE(session->runLoginDialog());
    EXPECT_EQ(session->loginState(), 1);
    EXPECT_EQ(in.count(), 1);
    EXPECT_EQ(page->stackWidget()->currentIndex(), int(UserCenterPage::LoggedInIndex));
    EXPECT_FALSE(session->runLoginDialog());   // already logged in: no window
    EXPECT_EQ(driver.count<LoginDialog>(), 1);
}

TEST_F(Session, LogoutAndItsFailures)
{
    logIn();
    QSignalSpy out(session.get(), &UserSession::loggedOut);
    QSignalSpy tabs(session.get(), &UserSession::logoutSignal);
    UserCenterPage::getUserManageFrame()->getLevel2MenuBar()->setRedLabel(false);

    // A refused logout keeps the user logged in.
    standin.script(kLogoutPath, StandinScript::withEnvelope(QJsonObject{{"code", 4001}, {"msg", u8("注销失败")}}, 200));
    session->logout();
    EXPECT_EQ(busy->text(), u8("正在注销..."));
    ASSERT_TRUE(waitUntil([&] { return toasts.count() == 1; }));
    EXPECT_EQ(toasts.texts(), QStringList{u8("注销失败")});
    EXPECT_EQ(toasts.shown()[0].type, qmt_error);
    EXPECT_FALSE(busy->isVisible());
    EXPECT_EQ(session->loginState(), 1);
    EXPECT_EQ(out.count(), 0);

    // A logout the service answers with a session code: reset, then the warning and the full
    // logout, which closes the tabs once.
    standin.clearScripts();
    standin.script(kLogoutPath, StandinScript::withEnvelope(QJsonObject{{"code", 51003}, {"msg", u8("账号已在别处登录")}}));
    session->logout();
    ASSERT_TRUE(waitUntil([&] { return tabs.count() == 1; }));
    EXPECT_EQ(boxes.texts(), QStringList{u8("账号已在别处登录")});
    EXPECT_EQ(boxes.shown()[0].title, u8("Orvessa"));
    EXPECT_EQ(session->loginState(), 0);
    EXPECT_EQ(page->stackWidget()->currentIndex(), int(UserCenterPage::LoggedOutIndex));
    EXPECT_TRUE(UserCenterPage::getUserManageFrame()->getLevel2MenuBar()->redLabel()->isHidden());

    // A plain logout.
    standin.clearScripts();
    logIn();
    session->logout();
    ASSERT_TRUE(waitUntil([&] { return tabs.count() == 2; }));
    EXPECT_FALSE(busy->isVisible());
    EXPECT_EQ(session->loginState(), 0);
    EXPECT_EQ(client->getLoginState(), int(NetWorkBusiness::UNLOGIN));
    EXPECT_EQ(page->stackWidget()->currentIndex(), int(UserCenterPage::LoggedOutIndex));
    EXPECT_EQ(boxes.count(), 1);
}

TEST_F(Session, ARejectedSessionLogsEveryPageOutAfterTheRequestAndTabsGoLater)
{
    logIn();
    QWidget purchase;
    UserManageFrame* frame = UserCenterPage::getUserManageFrame();
    frame->swapPage(UserManageFrame::PackagePage, &purchase);

    QList<QPointer<DocumentTab>> tabs;
    for (int i = 0; i < 3; ++i) {
        auto* tab = new DocumentTab;
        tabs << tab;
        QObject::connect(session.get(), &UserSession::logoutSignal, tab, &QObject::deleteLater);
    }
    const QString expired = u8("登录已过期，请重新登录");
    standin.script(kCheckTokenPath, StandinScript::withEnvelope(QJsonObject{{"code", 51002}, {"msg", expired}}));

    // One tab's request meets the rejected session. The next request, of another tab, picks the
    // report up in its wait; neither tab is torn down under its request, and neither sees the
    // logout before its request has returned.
    for (int i = 0; i < 2; ++i) {
        SCOPED_TRACE(i);
        tabs[i]->runRequest(*session, boxes);
        ASSERT_FALSE(tabs[i].isNull());
        ASSERT_EQ(tabs[i]->m_seen.size(), 1);
        EXPECT_EQ(tabs[i]->m_seen[0].answer, 0);
        EXPECT_TRUE(tabs[i]->m_seen[0].sessionShown);
        EXPECT_EQ(tabs[i]->m_seen[0].warnings, 0);
    }
    EXPECT_EQ(client->getLoginState(), int(NetWorkBusiness::UNLOGIN));   // the client dropped it at once

    ASSERT_TRUE(waitUntil([&] {
        return std::all_of(tabs.begin(), tabs.end(), [](const QPointer<DocumentTab>& t) { return t.isNull(); });
    }));
    EXPECT_EQ(boxes.texts(), QStringList{expired});   // told once
    EXPECT_EQ(session->loginState(), 0);
    EXPECT_EQ(page->stackWidget()->currentIndex(), int(UserCenterPage::LoggedOutIndex));
    EXPECT_EQ(frame->getStackWid()->indexOf(&purchase), -1);
    EXPECT_EQ(frame->getStackWid()->indexOf(frame->page(UserManageFrame::PackagePage)), 3);
}
