// The user-centre page and its container: the one access path, the menu that reloads each page,
// the looks after login and logout, and screens that take a page's place in the stack.

#include "LoginTestSupport.h"

#include "Level2MenuBar.h"
#include "LinkManFrame.h"
#include "ProblemFeedback.h"
#include "UserAccountFrame.h"
#include "UserAuthFrame.h"
#include "UserCenterPage.h"
#include "UserManageFrame.h"
#include "UserOrderList.h"
#include "UserPackageFrame.h"
#include "UserSignatureFrame.h"
#include "UserUnloginFrame.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QStackedWidget>

namespace {

using UserCenter = LoginTest;

// The pages still waiting for their content record the container's calls; the account page
// (id 0) has its own content and is watched through the requests it makes.
PendingUserPage* pendingPage(UserManageFrame* frame, int id)
{
    return qobject_cast<PendingUserPage*>(frame->page(id));
}

// The calls a page still to be built has received; a built page keeps none (its own tests
// check what it does when the container calls it).
QStringList callsOf(UserManageFrame* frame, int id)
{
    PendingUserPage* page = pendingPage(frame, id);
    return page ? page->calls() : QStringList();
}

void clearAllCalls(UserManageFrame* frame)
{
    for (int id = 1; id < UserManageFrame::PageCount; ++id)
        if (PendingUserPage* page = pendingPage(frame, id))
            page->clearCalls();
}

// The account page and the packages page both reload the package figures.
const char* const kHeldPackagesPath = "/eseal-meal/centreBalanceController/getUserId";

// The stack as page ids (-1 for a widget that is not one of the seven pages).
QList<int> stackIds(UserManageFrame* frame)
{
    QList<int> ids;
    for (int i = 0; i < frame->getStackWid()->count(); ++i) {
        int id = -1;
        for (int p = 0; p < UserManageFrame::PageCount; ++p)
            if (frame->getStackWid()->widget(i) == frame->page(p))
                id = p;
        ids << id;
    }
    return ids;
}

const QList<int> kStandardOrder{0, 1, 2, 3, 4, 5, 6};

QString entryText(UserManageFrame* frame, int id)
{
    return frame->getLevel2MenuBar()->getBtnGroup()->button(id)->text();
}

} // namespace

TEST_F(UserCenter, OneContainerReachedThroughTheStaticAccessor)
{
    EXPECT_EQ(UserCenterPage::getUserManageFrame(), nullptr);
    {
        UserCenterPage page;
        UserManageFrame* frame = UserCenterPage::getUserManageFrame();
        ASSERT_NE(frame, nullptr);
        EXPECT_EQ(page.stackWidget()->currentIndex(), int(UserCenterPage::LoggedOutIndex));
        EXPECT_EQ(page.stackWidget()->widget(UserCenterPage::LoggedInIndex), frame);
        EXPECT_EQ(page.stackWidget()->currentWidget(), page.getUserUnloginFrame());
        EXPECT_EQ(stackIds(frame), kStandardOrder);
        EXPECT_EQ(frame->getUserAccount(), frame->page(0));
        EXPECT_EQ(frame->getUserSignatureFrame(), frame->page(1));
        EXPECT_EQ(frame->getUserPackageFrame(), frame->page(3));
        EXPECT_EQ(frame->getUserOrderList(), frame->page(4));
        EXPECT_EQ(frame->getUserAuthFrame(), frame->page(5));
        EXPECT_EQ(frame->getProblemFeedback(), frame->page(6));
        EXPECT_EQ(frame->getLevel2MenuBar()->titleLabel()->text(), u8("用户管理"));
        const QStringList texts{u8("账号基本信息"), u8("我的签章"), u8("联系人"), u8("我的套餐"),
                                u8("我的订单"),     u8("我的授权"), u8("问题反馈")};
        for (int id = 0; id < texts.size(); ++id)
            EXPECT_EQ(entryText(frame, id), texts[id]);
        EXPECT_EQ(frame->getLevel2MenuBar()->getBtnGroup()->checkedId(), 0);
    }
    EXPECT_EQ(UserCenterPage::getUserManageFrame(), nullptr);
}

TEST_F(UserCenter, EachMenuEntryShowsAndReloadsItsPage)
{
    UserCenterPage page;
    UserManageFrame* frame = UserCenterPage::getUserManageFrame();
    ASSERT_TRUE(login());
    // What a page still to be built is asked; the built pages' own tests check their reloads.
    const QStringList expected[] = {
        {},
        {},
        {},
        {},
        {"setPageBtn(false)", "showInfo()"},
        {},
        {},
    };
    for (int id = UserManageFrame::PageCount - 1; id >= 0; --id) {
        SCOPED_TRACE(id);
        clearAllCalls(frame);
        standin.clearRequests();
        frame->getLevel2MenuBar()->getBtnGroup()->button(id)->click();
        EXPECT_EQ(frame->getStackWid()->currentWidget(), frame->page(id));
        EXPECT_EQ(sent(kHeldPackagesPath), (id == UserManageFrame::AccountPage || id == UserManageFrame::PackagePage) ? 1 : 0);
        for (int other = 1; other < UserManageFrame::PageCount; ++other)
            EXPECT_EQ(callsOf(frame, other), other == id ? expected[id] : QStringList());
    }
    // Checking an entry from code reloads nothing.
    clearAllCalls(frame);
    standin.clearRequests();
    frame->getLevel2MenuBar()->setMenuBtnClicked(3, true);
    frame->getLevel2MenuBar()->setMenuBtnClicked(0, true);
    EXPECT_TRUE(standin.requests().isEmpty());
}

TEST_F(UserCenter, LoginLookNamesTheSignatureEntryByUserTypeAndEndsOnTheAccountPage)
{
    UserCenterPage page;
    UserManageFrame* frame = UserCenterPage::getUserManageFrame();
    struct Case {
        const char* account;
        const char* entry;
    } cases[] = {{"13900000000", "我的签章"}, {"13800000000", "我的签名"}, {"13900000000", "我的签章"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.account);
        ASSERT_TRUE(loginAs(u8(c.account)));
        frame->getLevel2MenuBar()->getBtnGroup()->button(4)->click();
        clearAllCalls(frame);
        standin.clearRequests();
        page.setLoginedState();
        EXPECT_EQ(page.stackWidget()->currentWidget(), frame);
        EXPECT_EQ(entryText(frame, 1), u8(c.entry));
        EXPECT_EQ(frame->getLevel2MenuBar()->getBtnGroup()->checkedId(), 0);
        EXPECT_EQ(frame->getStackWid()->currentWidget(), frame->getUserAccount());
        EXPECT_EQ(frame->getUserAccount()->accountValue()->text(), u8(c.account));   // reloaded
        EXPECT_EQ(sent(kHeldPackagesPath), 1);
        client->getNetCodeInfo(51001);   // the session ends on the client's side
        page.setLogoutedState();
    }
}

TEST_F(UserCenter, LogoutPutsEveryPageBackAndTheStandInScreensReturn)
{
    UserCenterPage page;
    UserManageFrame* frame = UserCenterPage::getUserManageFrame();
    ASSERT_TRUE(login());
    page.setLoginedState();

    // Package figures reload only while the account entry is checked.
    standin.clearRequests();
    frame->setPackage();
    EXPECT_EQ(sent(kHeldPackagesPath), 1);
    frame->getLevel2MenuBar()->getBtnGroup()->button(2)->click();
    standin.clearRequests();
    frame->setPackage();
    EXPECT_EQ(sent(kHeldPackagesPath), 0);

    // A screen takes index 3 and returns.
    QWidget purchase;
    frame->swapPage(UserManageFrame::PackagePage, &purchase);
    EXPECT_EQ(frame->getStackWid()->currentWidget(), &purchase);
    EXPECT_EQ(frame->getStackWid()->indexOf(frame->page(3)), -1);
    EXPECT_EQ(stackIds(frame), (QList<int>{0, 1, 2, -1, 4, 5, 6}));
    frame->swapPage(UserManageFrame::PackagePage, frame->page(3));
    EXPECT_EQ(stackIds(frame), kStandardOrder);
    frame->getLevel2MenuBar()->getBtnGroup()->button(3)->click();
    EXPECT_EQ(frame->getStackWid()->currentWidget(), frame->page(3));

    // Screens at 1, 3 and 4 when the user logs out.
    QWidget addSignature, invoice;
    frame->swapPage(UserManageFrame::SignaturePage, &addSignature);
    frame->swapPage(UserManageFrame::PackagePage, &purchase);
    frame->swapPage(UserManageFrame::OrderPage, &invoice);
    clearAllCalls(frame);
    frame->getUserAccount()->setUpImg(1);
    page.setLogoutedState();
    EXPECT_EQ(page.stackWidget()->currentWidget(), page.getUserUnloginFrame());
    EXPECT_EQ(stackIds(frame), kStandardOrder);
    EXPECT_EQ(frame->getUserAccount()->getUpImg(), 0);
    for (int id = 0; id < UserManageFrame::PageCount; ++id) {
        frame->getLevel2MenuBar()->getBtnGroup()->button(id)->click();
        EXPECT_EQ(frame->getStackWid()->currentWidget(), frame->page(id));
    }
}

TEST_F(UserCenter, NotLoggedInPageAsksForALogin)
{
    UserUnloginFrame frame;
    QSignalSpy spy(&frame, &UserUnloginFrame::login_signal);
    frame.loginButton()->click();
    ASSERT_EQ(spy.count(), 1);
    EXPECT_EQ(spy[0][0].toPoint(), QPoint(0, 0));
    EXPECT_EQ(frame.loginButton()->text(), u8("登录"));
}
