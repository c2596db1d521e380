// The main window hosts the document centre as page 2: its not-logged-in page logs in through the
// login window, the list follows the session, and a logout shows the login page again.

#include "AccountTestSupport.h"
#include "FileCenterPage.h"
#include "FileManagerPage.h"
#include "HomePage.h"
#include "Level2MenuBar.h"
#include "LoginDialog.h"
#include "MMessageBox.h"
#include "Orvessa.h"
#include "ParentDialog.h"
#include "QtTestSupport.h"
#include "QuickMessageBox.h"
#include "RegeditSettings.h"
#include "UserSession.h"
#include "UserUnloginFrame.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QJsonObject>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QStackedWidget>

namespace {

using MainWindowFileCenter = AccountTest;

TEST_F(MainWindowFileCenter, DocumentCentreFollowsTheSession)
{
    ScopedScreenZoom zoom(1.0f);
    ScopedUiDurationScale fast(0.0);
    QuickMessageBoxSpy toasts;
    MMessageBoxAutoAnswer boxes(QDialogButtonBox::Ok);
    QTemporaryDir settings;
    ScopedSettingsLocation store(settings.path());
    standin.withState([](StandinState& s) {
        QJsonObject contracts = s.seed.value("contracts").toObject();
        contracts.insert("t-1", QJsonObject{{"contractId", "t-1"},
                                            {"contractName", QString::fromUtf8("主窗口合同")},
                                            {"state", "drafts"},
                                            {"issueAccount", "13800000000"},
                                            {"startDate", "2026-03-01 10:00:00"},
                                            {"createDate", "2026-03-01 10:00:00"},
                                            {"pdfFileSaveId", "none"}});
        s.seed.insert("contracts", contracts);
    });

    Orvessa window;
    FileCenterPage* center = window.fileCenterPage();
    ASSERT_TRUE(center);
    ASSERT_EQ(window.stackWidget()->widget(Orvessa::FileCenterPageId), center);
    window.turnPage(Orvessa::FileCenterPageId);
    EXPECT_EQ(center->stackedWidget()->currentWidget(), center->getuserUnloginFrame());

    ModalDriver driver;
    driver.on<LoginDialog>([](LoginDialog* dialog) {
        dialog->loginPage()->accountField()->setText("13800000000");
        dialog->loginPage()->passwordField()->setText("Orvessa@2024");
        dialog->loginPage()->loginButton()->click();
    });
    center->getuserUnloginFrame()->loginButton()->click();
    ASSERT_EQ(window.loginState(), 1);
    FileManagerPage* list = FileCenterPage::getFileManageFrame();
    EXPECT_EQ(center->stackedWidget()->currentWidget(), list);
    // The centre was on show: its current tab was loaded.
    ASSERT_EQ(list->contractInfos().size(), 1);
    EXPECT_EQ(list->contractInfos().at(0).contractName, QString::fromUtf8("主窗口合同"));

    list->addDraftsList("t-1");
    QSignalSpy tabs(&window, &Orvessa::logoutSignal);
    window.session()->logout();
    ASSERT_TRUE(waitUntil([&] { return tabs.count() == 1; }));
    EXPECT_EQ(center->stackedWidget()->currentWidget(), center->getuserUnloginFrame());
    EXPECT_TRUE(list->draftsList().isEmpty());
}

// A counter card of the home page opens the document centre at its own tab, loaded for a
// logged-in user: here "已完成" (3), which lists the completed contract and not the draft.
TEST_F(MainWindowFileCenter, HomeCounterOpensItsTab)
{
    ScopedScreenZoom zoom(1.0f);
    ScopedUiDurationScale fast(0.0);
    QuickMessageBoxSpy toasts;
    MMessageBoxAutoAnswer boxes(QDialogButtonBox::Ok);
    QTemporaryDir settings;
    ScopedSettingsLocation store(settings.path());
    standin.withState([](StandinState& s) {
        QJsonObject contracts = s.seed.value("contracts").toObject();
        for (const char* id : {"draft-1", "done-1"})
            contracts.insert(id, QJsonObject{{"contractId", id},
                                             {"contractName", QString::fromUtf8(id)},
                                             {"state", QString::fromUtf8(id).startsWith("done") ? "completed" : "drafts"},
                                             {"issueAccount", "13800000000"},
                                             {"startDate", "2026-03-01 10:00:00"},
                                             {"createDate", "2026-03-01 10:00:00"},
                                             {"pdfFileSaveId", "none"}});
        s.seed.insert("contracts", contracts);
    });

    Orvessa window;
    ModalDriver driver;
    driver.on<LoginDialog>([](LoginDialog* dialog) {
        dialog->loginPage()->accountField()->setText("13800000000");
        dialog->loginPage()->passwordField()->setText("Orvessa@2024");
        dialog->loginPage()->loginButton()->click();
    });
    window.fileCenterPage()->getuserUnloginFrame()->loginButton()->click();
    ASSERT_EQ(window.loginState(), 1);

    emit window.homePage()->turnFilePage(3);
    EXPECT_EQ(window.currentPageId(), int(Orvessa::FileCenterPageId));
    EXPECT_EQ(window.stackWidget()->currentIndex(), int(Orvessa::FileCenterPageId));
    FileManagerPage* list = FileCenterPage::getFileManageFrame();
    EXPECT_EQ(list->currentIndex(), 3);
    QAbstractButton* tab = list->getMenuBar()->getBtnGroup()->button(3);
    ASSERT_TRUE(tab);
    EXPECT_TRUE(tab->isChecked());
    ASSERT_TRUE(waitUntil([&] { return list->contractInfos().size() == 1; }));
    EXPECT_EQ(list->contractInfos().at(0).contractId, QString("done-1"));
}

} // namespace
