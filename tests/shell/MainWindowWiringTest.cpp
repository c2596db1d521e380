// The main window's connections that carry behaviour, against the in-process stand-in: cloud
// documents chosen in the document centre and the user centre open in the workspace, drafts open
// in tabs are kept from deletion, a signing tool logs in through the window, the red dots follow
// the seal authorisations waiting for a person, the seal panel's links lead into the user
// centre, and the start page of "+" leads to the document centre.
#include "ContractTabSupport.h"

#include "BuyMealInfoWidget.h"
#include "FileCenterPage.h"
#include "FileManagerPage.h"
#include "HomePage.h"
#include "Level2MenuBar.h"
#include "LoadingWidget.h"
#include "LoginDialog.h"
#include "Orvessa.h"
#include "TitleBar.h"
#include "UserAuthFrame.h"
#include "UserCenterPage.h"
#include "UserManageFrame.h"
#include "UserPackageFrame.h"
#include "UserSession.h"
#include "UserSignatureFrame.h"

#include <QAbstractButton>
#include <QApplication>
#include <QButtonGroup>
#include <QLabel>
#include <QPushButton>
#include <QStackedWidget>
#include <QToolButton>

using namespace contracttest;

namespace {

constexpr const char* kGrantsPath = "/eseal-auth/authorize/queryPage";

class MainWindowWiring : public ContractFixture
{
protected:
    void SetUp() override
    {
        ContractFixture::SetUp();
        canvastest::sharedCache();
    }

    // The login window answered with the given account (the demo password).
    void answerLoginWith(const QString& account)
    {
        driver.on<LoginDialog>([account](LoginDialog* dialog) {
            dialog->loginPage()->accountField()->setText(account);
            dialog->loginPage()->passwordField()->setText("Orvessa@2024");
            dialog->loginPage()->loginButton()->click();
        });
    }

    // A grant of kCompany to the personal account, in the given status (10 waits for an answer).
    void storeGrant(int status)
    {
        standin.withState([&](StandinState& s) {
            QJsonObject table;
            table.insert("g-1", QJsonObject{{"id", "g-1"},
                                            {"companyAccount", kCompany},
                                            {"authorizeCompanyAccount", kCompany},
                                            {"authorizeCompanyName", u8("演示科技有限公司")},
                                            {"personAccount", kMe},
                                            {"personName", u8("张三")},
                                            {"authorizeDate", "2026-03-01 10:00:00"},
                                            {"sealUsageDate", "2030-12-31 23:59:59"},
                                            {"protocolId", "c-g1"},
                                            {"sealCount", 1},
                                            {"usageCount", 3},
                                            {"initialCount", 3},
                                            {"remark", ""},
                                            {"control", true},
                                            {"confirmed", false},
                                            {"recordList", QJsonArray()},
                                            {"authorizeStatus", status}});
            s.seed.insert("grants", table);
        });
    }

    static bool dotsShown(Orvessa& w)
    {
        const bool bar = !w.titleBar()->redDot()->isHidden();
        const bool menu = !UserCenterPage::getUserManageFrame()->getLevel2MenuBar()->redLabel()->isHidden();
        EXPECT_EQ(bar, menu) << "the two dots are always set together";
        return bar && menu;
    }
};

// Each kind of cloud document reaches the workspace through the window's own slot, fetched by
// the window; one the service does not have opens nothing and leaves page, tabs and cursor.
TEST_F(MainWindowWiring, CloudDocumentsOpenThroughTheWindow)
{
    ASSERT_TRUE(loginAs(kMe));
    storeContract("c-open", u8("采购合同"), "issued", "2030-01-31 23:59:59",
                  {{kMe, "unsigned"}, {kCompany, "unsigned"}});
    storeContract("c-auth", u8("印章授权合同"), "completed", "2030-01-31 23:59:59", {{kMe, "signed"}});

    Orvessa window;
    FileManagerPage* list = FileCenterPage::getFileManageFrame();
    CUserAuthFrame* grants = UserCenterPage::getUserManageFrame()->getUserAuthFrame();
    TitleBar* bar = window.titleBar();

    struct Case {
        const char* what;
        bool authorisation;
        const char* id;
        bool opens;
    };
    const Case cases[] = {
        {"contract from the document centre", false, "c-open", true},
        {"authorisation document from the user centre", true, "c-auth", true},
        {"contract the service does not have", false, "c-none", false},
        {"authorisation the service does not have", true, "p-none", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        window.backHomePage();
        const int tabsBefore = window.signPage()->tabWidget()->count();
        if (c.authorisation) {
            StartAuthSuccessInfo auth;
            auth.protocolId = c.id;
            auth.fileName = u8("印章授权合同");
            emit grants->openContractAuthFile(QVariant::fromValue(auth));
        } else {
            ContractInfo contract;
            contract.contractId = c.id;
            contract.contractName = u8("采购合同");
            contract.status = "wait_for_other";
            emit list->openContract(QVariant::fromValue(contract));
        }
        EXPECT_EQ(nullptr, QApplication::overrideCursor());
        EXPECT_TRUE(window.loadingWidget()->isHidden());
        if (!c.opens) {
            EXPECT_EQ(tabsBefore, window.signPage()->tabWidget()->count());
            EXPECT_EQ(int(Orvessa::HomePageId), window.stackWidget()->currentIndex());
            EXPECT_TRUE(bar->pageButton(Orvessa::SignPageId)->isHidden());
            continue;
        }
        ASSERT_EQ(tabsBefore + 1, window.signPage()->tabWidget()->count());
        const int current = window.signPage()->tabWidget()->currentIndex();
        EXPECT_EQ(QString(c.id), window.signPage()->paramAt(current)->getConFileName());
        EXPECT_EQ(int(Orvessa::SignPageId), window.stackWidget()->currentIndex());
        EXPECT_FALSE(bar->pageButton(Orvessa::SignPageId)->isHidden());
        EXPECT_TRUE(bar->pageButton(Orvessa::SignPageId)->isChecked());
        // The page last turned to stays recorded.
        EXPECT_EQ(int(Orvessa::HomePageId), window.currentPageId());
    }
    // The unknown documents were reported by the service client: a box each, no session lost.
    EXPECT_TRUE(waitUntil([&] { return boxes.count() == 2; })) << boxes.count();
    EXPECT_EQ(0, window.loginState());
}

// A draft contract open in a tab cannot be deleted in the document centre; closing its tab
// gives it back.
TEST_F(MainWindowWiring, DraftsOpenInTabsAreKeptFromDeletion)
{
    ASSERT_TRUE(loginAs(kMe));
    storeContract("c-draft", u8("草稿合同"), "drafts", "2030-01-31 23:59:59", {{kMe, "unsigned"}});
    Orvessa window;
    FileManagerPage* list = FileCenterPage::getFileManageFrame();
    ContractInfo draft;
    draft.contractId = "c-draft";
    draft.contractName = u8("草稿合同");
    draft.status = "drafts";
    emit list->openContract(QVariant::fromValue(draft));
    ASSERT_EQ(1, window.signPage()->tabWidget()->count());
    EXPECT_EQ(QStringList{"c-draft"}, list->draftsList());

    window.signPage()->closeIndexTab(0);
    ASSERT_TRUE(waitUntil([&] { return window.signPage()->tabWidget()->count() == 0; }));
    EXPECT_TRUE(list->draftsList().isEmpty());
    // The last tab gone, the window is back on the home page without "签名".
    EXPECT_EQ(int(Orvessa::HomePageId), window.stackWidget()->currentIndex());
    EXPECT_TRUE(window.titleBar()->pageButton(Orvessa::SignPageId)->isHidden());
}

// A signing tool chosen while logged out runs the login window; a login there gives every page
// its logged-in look (without the initial-password question), a cancelled one changes nothing
// and puts the tool back.
TEST_F(MainWindowWiring, SigningToolLogsInThroughTheWindow)
{
    Orvessa window;
    const QString path = settingsDir.filePath("local.pdf");
    fixture::writeFile(path.toStdString(), signingtest::pages(1));
    window.openFile(path);
    ASSERT_EQ(1, window.signPage()->tabWidget()->count());

    for (bool logIn : {false, true}) {
        SCOPED_TRACE(logIn ? "logged in" : "cancelled");
        if (logIn)
            answerLoginWith(kMe);
        else
            driver.on<LoginDialog>([](LoginDialog* dialog) { dialog->reject(); });
        window.signPage()->changeOperate(MS_CloudSignature);
        EXPECT_EQ(1, driver.count<LoginDialog>());
        EXPECT_EQ(logIn ? 1 : 0, window.loginState());
        EXPECT_EQ(logIn, window.userButton()->text() != u8(" 请登录！"));
        EXPECT_EQ(logIn, window.fileCenterPage()->stackedWidget()->currentWidget() ==
                             static_cast<QWidget*>(FileCenterPage::getFileManageFrame()));
    }
    // No question about the password after a login from a signing tool.
    for (const MMessageBoxAutoAnswer::Shown& box : boxes.shown())
        EXPECT_NE(u8("修改密码"), box.title);
}

// The red dots of "用户管理": shown after a person logs in with a grant waiting for an answer,
// hidden once the workspace reports it answered or the user centre opens with none left; a
// company never asks.
TEST_F(MainWindowWiring, RedDotsFollowTheAuthorisationsWaiting)
{
    storeGrant(10);
    Orvessa window;
    EXPECT_FALSE(dotsShown(window));
    answerLoginWith(kMe);
    window.userBtnClicked(QPoint(0, 0));
    ASSERT_EQ(1, window.loginState());
    EXPECT_TRUE(dotsShown(window));

    struct Step {
        const char* what;
        int status;
        std::function<void()> refresh;
        bool shown;
    };
    const Step steps[] = {
        {"answered in the workspace", 20, [&] { emit window.signPage()->isHiddenRed(); }, false},
        {"a new grant, user centre opened", 10, [&] { window.turnPage(Orvessa::UserCenterPageId); }, true},
        {"none left, user centre opened", 30, [&] { window.turnPage(Orvessa::UserCenterPageId); }, false},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.what);
        storeGrant(s.status);
        standin.clearRequests();
        s.refresh();
        EXPECT_EQ(1, standin.requests(kGrantsPath).size());
        EXPECT_EQ(s.shown, dotsShown(window));
    }

    // A logout hides them; a company account is never asked.
    storeGrant(10);
    window.turnPage(Orvessa::UserCenterPageId);
    ASSERT_TRUE(dotsShown(window));
    window.session()->logout();
    ASSERT_TRUE(waitUntil([&] { return window.loginState() == 0; }));
    EXPECT_FALSE(dotsShown(window));
    answerLoginWith(kCompany);
    standin.clearRequests();
    window.userBtnClicked(QPoint(0, 0));
    ASSERT_EQ(1, window.loginState());
    window.turnPage(Orvessa::UserCenterPageId);
    EXPECT_TRUE(standin.requests(kGrantsPath).isEmpty());
    EXPECT_FALSE(dotsShown(window));
}

// The seal panel's links: to the seals page (1) and to the package purchase (3), each with its
// menu entry checked and the user centre on show.
TEST_F(MainWindowWiring, SealPanelLinksLeadIntoTheUserCentre)
{
    Orvessa window;
    answerLoginWith(kMe);
    window.userBtnClicked(QPoint(0, 0));
    ASSERT_EQ(1, window.loginState());
    UserManageFrame* frame = UserCenterPage::getUserManageFrame();

    struct Case {
        int menuId;
        QWidget* shows;
    };
    const Case cases[] = {
        {UserManageFrame::SignaturePage, frame->getUserSignatureFrame()},
        {UserManageFrame::PackagePage, frame->getUserPackageFrame()->_buyMealInfoWidfget},
        {UserManageFrame::SignaturePage, frame->getUserSignatureFrame()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.menuId);
        window.turnPage(Orvessa::HomePageId);
        emit window.signPage()->turnTitleBar();
        emit window.signPage()->openUserCenterPage(c.menuId);
        EXPECT_EQ(int(Orvessa::UserCenterPageId), window.stackWidget()->currentIndex());
        EXPECT_TRUE(window.titleBar()->pageButton(Orvessa::UserCenterPageId)->isChecked());
        EXPECT_EQ(c.menuId, frame->getLevel2MenuBar()->getBtnGroup()->checkedId());
        EXPECT_EQ(c.shows, frame->getStackWid()->currentWidget());
        EXPECT_EQ(c.menuId, frame->getStackWid()->currentIndex());
    }
}

// "+" beside the tabs runs the home page as a start page; its counter closes it and opens the
// document centre at that tab.
TEST_F(MainWindowWiring, StartPageCounterLeadsToTheDocumentCentre)
{
    Orvessa window;
    answerLoginWith(kMe);
    window.userBtnClicked(QPoint(0, 0));
    ASSERT_EQ(1, window.loginState());
    const QString path = settingsDir.filePath("local.pdf");
    fixture::writeFile(path.toStdString(), signingtest::pages(1));
    window.openFile(path);
    ASSERT_EQ(int(Orvessa::SignPageId), window.stackWidget()->currentIndex());

    driver.on<HomePageDialog>([](HomePageDialog* dialog) { emit dialog->homePage()->turnFilePage(2); });
    window.signPage()->tabWidget()->addButton()->click();
    EXPECT_EQ(1, driver.count<HomePageDialog>());
    EXPECT_EQ(int(Orvessa::FileCenterPageId), window.stackWidget()->currentIndex());
    EXPECT_EQ(int(Orvessa::FileCenterPageId), window.currentPageId());
    EXPECT_TRUE(window.titleBar()->pageButton(Orvessa::FileCenterPageId)->isChecked());
    EXPECT_EQ(2, FileCenterPage::getFileManageFrame()->currentIndex());
    // The document stays open in its tab.
    EXPECT_EQ(1, window.signPage()->tabWidget()->count());
}

} // namespace
