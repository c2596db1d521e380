// The seal-authorisation list against the stand-in: what the filter, search and paging ask the
// service for, the row buttons acting on their own rows, a person's view of the list, the start
// of a new grant, and the page's place in the user-centre container.

#include "UserAuthTestSupport.h"

#include "CPageWidget.h"
#include "DateTimeEdit.h"
#include "Level2MenuBar.h"
#include "TableView.h"
#include "UserAuthFrame.h"
#include "UserCenterPage.h"
#include "UserManageFrame.h"
#include "UserSignatureFrame.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QTextEdit>

#include <functional>

namespace {

using AuthList = UserAuthTest;

// 25 grants: every third one in progress, authorised or ended; the odd ones to persons named 张.
QList<QJsonObject> twentyFiveGrants()
{
    QList<QJsonObject> grants;
    const int states[] = {30, 10, 20};
    for (int n = 1; n <= 25; ++n)
        grants << UserAuthTest::grant(n, states[n % 3], QStringLiteral("1370000%1").arg(1000 + n),
                                      (n % 2 ? QStringLiteral("张") : QStringLiteral("李")) + QString::number(n));
    return grants;
}

QString cellText(CUserAuthFrame& page, int row, int column)
{
    return page.tableModel()->index(row, column).data().toString();
}

void search(CUserAuthFrame& page, const QString& text)
{
    page.searchField()->setText(text);
    emit page.searchField()->returnPressed();
}

} // namespace

TEST_F(AuthList, FilterSearchAndPagingAskForTheRightPagesAndPagingKeepsTheSearch)
{
    seedGrants(twentyFiveGrants());
    ASSERT_TRUE(loginAs(u8(kCompany)));
    CUserAuthFrame page;
    auto* combo = page.pagingBar()->findChild<QComboBox*>();
    ASSERT_NE(combo, nullptr);

    struct Step {
        const char* what;
        std::function<void()> act;
        GrantListBody body;
        int pages;
        int rows;   // rows of the page shown
    } steps[] = {
        {"load", [&] { page.setPageBtn(false), page.showListInfo(QString()); }, {0, "", 1, 10}, 3, 10},
        {"page 3", [&] { page.pagingBar()->pageButtons()[2]->click(); }, {0, "", 3, 10}, 3, 5},
        {"ended", [&] { page.filterButtons()->button(3)->click(); }, {30, "", 1, 10}, 1, 8},
        {"all", [&] { page.filterButtons()->button(0)->click(); }, {0, "", 1, 10}, 3, 10},
        {"search", [&] { search(page, u8("张")); }, {0, u8("张"), 1, 10}, 2, 10},
        {"page 2 of the search", [&] { page.pagingBar()->pageButtons()[1]->click(); }, {0, u8("张"), 2, 10}, 2, 3},
        {"15 rows", [&] { combo->setCurrentIndex(1); }, {0, u8("张"), 1, 15}, 1, 13},
        {"authorised", [&] { page.filterButtons()->button(1)->click(); }, {20, "", 1, 15}, 1, 8},
        {"in progress", [&] { page.filterButtons()->button(2)->click(); }, {10, "", 1, 15}, 1, 9},
        {"nothing found", [&] { search(page, u8("无此人")); }, {10, u8("无此人"), 1, 15}, 0, 0},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.what);
        const int before = sent(kGrantsPath);
        s.act();
        EXPECT_EQ(sent(kGrantsPath), before + 1);   // one request per action, never a second
        EXPECT_EQ(lastListBody(), s.body);
        EXPECT_EQ(page.pagingBar()->pageCount(), s.pages);
        EXPECT_EQ(page.rows().size(), s.rows);
        for (int r = 0; r < page.rows().size(); ++r)
            EXPECT_EQ(cellText(page, r, 4), page.rows()[r].statusDesc);
        if (s.rows == 0) {
            EXPECT_EQ(page.tableModel()->rowCount(), 0);
        }
    }
    // The first load shows the newest grant first, with the person's name and account.
    page.filterButtons()->button(0)->click();
    EXPECT_EQ(page.rows().first().authId, u8("g-125"));
    EXPECT_EQ(cellText(page, 0, 0), u8("张25"));
    EXPECT_EQ(cellText(page, 0, 1), u8("13700001025"));
    EXPECT_EQ(cellText(page, 0, 3), u8("2030-12-31 23:59:59"));

    // An empty search field sends nothing.
    const int before = sent(kGrantsPath);
    search(page, QString());
    EXPECT_EQ(sent(kGrantsPath), before);
    EXPECT_EQ(toasts.texts().last(), u8("请输入姓名或账号"));
}

TEST_F(AuthList, RowButtonsActOnTheRowTheyStandIn)
{
    seedGrants({grant(1, 10, "13700001001", u8("甲")), grant(2, 20, "13700001002", u8("乙")),
                grant(3, 30, "13700001003", u8("丙"))});
    ASSERT_TRUE(loginAs(u8(kCompany)));
    CUserAuthFrame page;
    page.showListInfo(QString());
    ASSERT_EQ(page.rows().size(), 3);
    // Newest first: the ended grant g-103 shows no "停止".
    EXPECT_TRUE(page.stopButton(0)->isHidden());
    EXPECT_FALSE(page.stopButton(1)->isHidden());
    EXPECT_FALSE(page.stopButton(2)->isHidden());

    // The pointer last crossed row 0; the buttons of other rows still act on their own rows.
    page.on_tableView_entered(page.tableModel()->index(0, 0));
    {
        MMessageBoxAutoAnswer cancel(QDialogButtonBox::Cancel);
        const int lists = sent(kGrantsPath);
        page.stopButton(2)->click();
        EXPECT_EQ(cancel.lastText(), u8("授权尚未结束，您确认要停止本次授权吗？"));
        EXPECT_EQ(sent(kTerminatePath), 0);
        EXPECT_EQ(sent(kGrantsPath), lists);
    }
    const int lists = sent(kGrantsPath);
    page.stopButton(1)->click();
    ASSERT_EQ(sent(kTerminatePath), 1);
    EXPECT_EQ(lastBody(kTerminatePath), (QJsonObject{{"authId", "g-102"}}));
    EXPECT_EQ(sent(kGrantsPath), lists + 1);   // reloaded
    EXPECT_TRUE(page.stopButton(1)->isHidden());   // g-102 has ended

    QSignalSpy opened(&page, &CUserAuthFrame::openContractAuthFile);
    page.on_tableView_entered(page.tableModel()->index(1, 0));
    page.viewButton(2)->click();
    EXPECT_EQ(lastBody(kDetailPath), (QJsonObject{{"id", "g-101"}}));
    ASSERT_EQ(opened.count(), 1);
    const auto info = recordOf(opened[0][0]);
    EXPECT_EQ(info.authId, u8("g-101"));
    EXPECT_EQ(info.protocolId, u8("c-1"));
    EXPECT_EQ(info.personName, u8("甲"));
    EXPECT_EQ(info.fileName, u8("印章授权合同"));
    EXPECT_FALSE(info.isAuth);   // a company only looks at its grant
}

TEST_F(AuthList, APersonSeesTheGrantingCompanyAndMayAnswerAGrantInProgress)
{
    seedGrants({grant(1, 10, u8(kPerson), u8("演示用户")), grant(2, 20, u8(kPerson), u8("演示用户"))});
    ASSERT_TRUE(loginAs(u8(kPerson)));
    CUserAuthFrame page;
    page.showListInfo(QString());
    page.showinfo();
    EXPECT_TRUE(page.newGrantButton()->isHidden());
    ASSERT_EQ(page.rows().size(), 2);

    struct Case {
        int row;
        const char* authId;
        bool isAuth;
    } cases[] = {{0, "g-102", false}, {1, "g-101", true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.authId);
        EXPECT_EQ(cellText(page, c.row, 0), u8("演示科技有限公司"));
        EXPECT_EQ(cellText(page, c.row, 1), u8(kCompany));
        EXPECT_TRUE(page.stopButton(c.row)->isHidden());
        QSignalSpy opened(&page, &CUserAuthFrame::openContractAuthFile);
        page.viewButton(c.row)->click();
        ASSERT_EQ(opened.count(), 1);
        const auto info = recordOf(opened[0][0]);
        EXPECT_EQ(info.authId, u8(c.authId));
        EXPECT_EQ(info.isAuth, c.isAuth);
    }
}

TEST_F(AuthList, ANewGrantNeedsTheCompanyToHoldASeal)
{
    UserCenterPage centre;
    UserManageFrame* frame = UserCenterPage::getUserManageFrame();
    CUserAuthFrame* page = frame->getUserAuthFrame();
    ASSERT_TRUE(loginAs(u8(kCompany)));
    centre.setLoginedState();
    frame->getLevel2MenuBar()->getBtnGroup()->button(UserManageFrame::AuthPage)->click();
    QSignalSpy turned(page, &CUserAuthFrame::turnTitleBar);

    // Without a seal: the question; "取消" stays, "去上传" goes to the seals page.
    {
        MMessageBoxAutoAnswer cancel(QDialogButtonBox::Cancel);
        answerOnce(kQualificationPath, 78503, QJsonValue(), u8("请先上传公章"));
        page->newGrantButton()->click();
        EXPECT_EQ(cancel.lastText(), u8("请先上传或同步公章，再发起公章授权！"));
        EXPECT_EQ(turned.count(), 0);
        EXPECT_EQ(frame->getStackWid()->currentWidget(), page);
    }
    {
        MMessageBoxAutoAnswer upload(QDialogButtonBox::Help);
        answerOnce(kQualificationPath, 78503, QJsonValue(), u8("请先上传公章"));
        page->newGrantButton()->click();
        EXPECT_EQ(turned.count(), 1);
        EXPECT_EQ(frame->getStackWid()->currentWidget(), frame->getUserSignatureFrame());
        EXPECT_EQ(frame->getLevel2MenuBar()->getBtnGroup()->checkedId(), int(UserManageFrame::SignaturePage));
        EXPECT_TRUE(page->formCard()->isHidden());
    }

    // With one: the form takes the list's place; "返回" brings the list back.
    page->newGrantButton()->click();
    EXPECT_FALSE(page->formCard()->isHidden());
    EXPECT_TRUE(page->listCard()->isHidden());
    EXPECT_TRUE(page->pagingBar()->isHidden());
    page->backButton()->click();
    EXPECT_TRUE(page->formCard()->isHidden());
    EXPECT_FALSE(page->listCard()->isHidden());
    EXPECT_FALSE(page->pagingBar()->isHidden());
}

TEST_F(AuthList, TheMenuEntryReloadsWithoutTheSearchAndLogoutEmptiesTheForm)
{
    seedGrants(twentyFiveGrants());
    UserCenterPage centre;
    UserManageFrame* frame = UserCenterPage::getUserManageFrame();
    CUserAuthFrame* page = frame->getUserAuthFrame();
    ASSERT_TRUE(loginAs(u8(kCompany)));
    centre.setLoginedState();
    QAbstractButton* entry = frame->getLevel2MenuBar()->getBtnGroup()->button(UserManageFrame::AuthPage);

    entry->click();
    EXPECT_EQ(frame->getStackWid()->currentWidget(), page);
    EXPECT_EQ(sent(kGrantsPath), 1);
    EXPECT_EQ(lastListBody(), (GrantListBody{0, "", 1, 10}));
    const BusinessInfo* user = client->getBusinessInfo();
    EXPECT_EQ(page->grantorLabel()->text(), user->userName + "\n" + user->creditCode);
    EXPECT_FALSE(page->newGrantButton()->isHidden());

    page->filterButtons()->button(2)->click();
    search(*page, u8("张"));
    entry->click();
    EXPECT_EQ(lastListBody(), (GrantListBody{10, "", 1, 10}));   // the filter stays, the search does not

    page->newGrantButton()->click();
    page->accountField()->setText(u8(kPerson));
    emit page->accountField()->editingFinished();
    ASSERT_FALSE(page->nameField()->text().isEmpty());
    page->endDateField()->setText(day(5));
    page->remarkField()->setPlainText(u8("备注"));
    client->getNetCodeInfo(51001);   // the session ends on the client's side
    centre.setLogoutedState();
    EXPECT_TRUE(page->accountField()->text().isEmpty());
    EXPECT_TRUE(page->nameField()->text().isEmpty());
    EXPECT_TRUE(page->granteeId().isEmpty());
    EXPECT_TRUE(page->endDateField()->text().isEmpty());
    EXPECT_TRUE(page->remarkField()->toPlainText().isEmpty());
    EXPECT_TRUE(page->formCard()->isHidden());
    EXPECT_FALSE(page->listCard()->isHidden());

    // Logged out, a reload asks for nothing.
    const int lists = sent(kGrantsPath);
    page->showListInfo(QString());
    EXPECT_EQ(sent(kGrantsPath), lists);
}
