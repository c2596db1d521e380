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

PendingUserPage* pendingPage(UserManageFrame* frame, int id)
{
    return qobject_cast<PendingUserPage*>(frame->page(id));
}

void clearAllCalls(UserManageFrame* frame)
{
    for (int id = 0; id < UserManageFrame::PageCount; ++id)
        if (PendingUserPage* p = pendingPage(frame, id))
            p->clearCalls();
}

// The first request a built page makes when it reloads (pages still pending record their calls).
const char* const kReloadRequest[UserManageFrame::PageCount] = {
    nullptr, nullptr, nullptr, "/eseal-meal/centreBalanceController/getUserId",
    "/eseal-order/appOrderController/pageOrderStatus", nullptr, nullptr};

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
    const QStringList expected[] = {
        {"showInfo()"},
        {"showInfo()"},
        {"showInfo()"},
        {"setPageBtn(false)", "showInfo()"},
        {"setPageBtn(false)", "showInfo()"},
        {"setPageBtn(false)", "showListInfo(\"\")", "showinfo()"},
        {},
    };
    for (int id = UserManageFrame::PageCount - 1; id >= 0; --id) {
        SCOPED_TRACE(id);
        clearAllCalls(frame);
        standin.clearRequests();
        frame->getLevel2MenuBar()->getBtnGroup()->button(id)->click();
        EXPECT_EQ(frame->getStackWid()->currentWidget(), frame->page(id));
        for (int other = 0; other < UserManageFrame::PageCount; ++other) {
            if (PendingUserPage* p = pendingPage(frame, other))
                EXPECT_EQ(p->calls(), other == id ? expected[id] : QStringList());
            else
                EXPECT_EQ(sent(kReloadRequest[other]), other == id ? 1 : 0);
        }
    }
    // Checking an entry from code reloads nothing.
    clearAllCalls(frame);
    standin.clearRequests();
    frame->getLevel2MenuBar()->setMenuBtnClicked(3, true);
    EXPECT_TRUE(standin.requests().isEmpty());
    EXPECT_EQ(sent(kLoginPath), 0);
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
        page.setLoginedState();
        EXPECT_EQ(page.stackWidget()->currentWidget(), frame);
        EXPECT_EQ(entryText(frame, 1), u8(c.entry));
        EXPECT_EQ(frame->getLevel2MenuBar()->getBtnGroup()->checkedId(), 0);
        EXPECT_EQ(frame->getStackWid()->currentWidget(), frame->getUserAccount());
        EXPECT_EQ(pendingPage(frame, 0)->calls(), QStringList{"showInfo()"});
        client->getNetCodeInfo(51001);   // the session ends on the client's side
        page.setLogoutedState();
    }
}

TEST_F(UserCenter, LogoutPutsEveryPageBackAndTheStandInScreensReturn)
{
    UserCenterPage page;
    UserManageFrame* frame = UserCenterPage::getUserManageFrame();
    page.setLoginedState();

    // Package figures reload only while the account entry is checked.
    clearAllCalls(frame);
    frame->setPackage();
    EXPECT_EQ(pendingPage(frame, 0)->calls(), QStringList{"setPackageInfo()"});
    frame->getLevel2MenuBar()->getBtnGroup()->button(2)->click();
    clearAllCalls(frame);
    frame->setPackage();
    EXPECT_TRUE(pendingPage(frame, 0)->calls().isEmpty());

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
    page.setLogoutedState();
    EXPECT_EQ(page.stackWidget()->currentWidget(), page.getUserUnloginFrame());
    EXPECT_EQ(stackIds(frame), kStandardOrder);
    EXPECT_EQ(frame->getUserAccount()->getUpImg(), 0);
    EXPECT_EQ(pendingPage(frame, 0)->calls(), QStringList{"setUpImg(0)"});
    EXPECT_EQ(pendingPage(frame, 5)->calls(), QStringList{"clearAuthCon()"});
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
