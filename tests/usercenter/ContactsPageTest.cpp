// The contacts page against the stand-in: the list paged on the client, the account states and
// avatars of the rows, and adding, changing and deleting contacts through the dialogs, each row
// button acting on the contact of its own row.

#include "ContactsTestSupport.h"

#include "CPageWidget.h"
#include "LinkManFrame.h"
#include "LoadingWidget.h"
#include "TableView.h"
#include "UserCenterPage.h"
#include "UserManageFrame.h"
#include "Level2MenuBar.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStackedWidget>
#include <QToolButton>

namespace {

using ContactsPage = ContactsTest;

QString cellText(LinkManFrame& page, int row, int column)
{
    return page.dataModel()->index(row, column).data().toString();
}

QString rowName(LinkManFrame& page, int row)
{
    QWidget* cell = page.tableView()->indexWidget(page.dataModel()->index(row, 0));
    QLabel* name = cell ? cell->findChild<QLabel*>("name") : nullptr;
    return name ? name->text() : QString();
}

QImage rowAvatar(LinkManFrame& page, int row)
{
    QWidget* cell = page.tableView()->indexWidget(page.dataModel()->index(row, 0));
    QLabel* avatar = cell ? cell->findChild<QLabel*>("avatar") : nullptr;
    return avatar ? avatar->pixmap(Qt::ReturnByValue).toImage() : QImage();
}

QString groupEntry(LinkManFrame& page)
{
    return page.groupList()->count() == 1 ? page.groupList()->item(0)->text() : QString();
}

} // namespace

TEST_F(ContactsPage, TwentyFiveContactsMakeThreePagesOfTenAndTwoOfFifteen)
{
    ASSERT_TRUE(loginAs("13800000000"));
    seedContacts(numberedContacts(25));
    LinkManFrame page;
    page.showInfo();

    ASSERT_EQ(page.contacts().size(), 25);
    EXPECT_EQ(page.pageBar()->pageCount(), 3);
    EXPECT_EQ(groupEntry(page), u8("全部联系人（25）"));
    EXPECT_TRUE(page.groupList()->item(0)->isSelected());
    EXPECT_FALSE(page.loadingWidget()->isVisible());
    EXPECT_EQ(page.dataModel()->rowCount(), 10);
    EXPECT_EQ(rowName(page, 0), u8("联系人1"));
    EXPECT_EQ(cellText(page, 0, 1), "13900000001");
    EXPECT_EQ(cellText(page, 9, 1), "13900000010");

    // Page 3: five contacts over ten rows, the last five empty and without buttons.
    page.pageBar()->setCusSelectBtn(3);
    EXPECT_EQ(page.currentPage(), 2);
    EXPECT_EQ(page.dataModel()->rowCount(), 10);
    EXPECT_EQ(rowName(page, 0), u8("联系人21"));
    EXPECT_EQ(rowName(page, 4), u8("联系人25"));
    EXPECT_NE(page.modifyButton(4), nullptr);
    EXPECT_TRUE(cellText(page, 5, 1).isEmpty());
    EXPECT_EQ(page.modifyButton(5), nullptr);
    EXPECT_EQ(page.deleteButton(9), nullptr);

    // Fifteen rows per page reload from the service: two pages, page 1 shown.
    const int loads = sent(kContactsPath);
    page.pageBar()->ComCurrentIndexChanged(1);
    EXPECT_EQ(sent(kContactsPath), loads + 1);
    EXPECT_EQ(page.rowsPerPage(), 15);
    EXPECT_EQ(page.pageBar()->pageCount(), 2);
    EXPECT_EQ(page.currentPage(), 0);
    EXPECT_EQ(page.dataModel()->rowCount(), 15);
    EXPECT_EQ(rowName(page, 14), u8("联系人15"));
    EXPECT_EQ(page.contacts().size(), 25);

    // A later visit starts again at page 1 and keeps fifteen rows per page.
    page.pageBar()->setCusSelectBtn(2);
    page.showInfo();
    EXPECT_EQ(page.currentPage(), 0);
    EXPECT_EQ(page.pageBar()->pageCount(), 2);
}

TEST_F(ContactsPage, PageCountsAndAnEmptyList)
{
    ASSERT_TRUE(loginAs("13800000000"));
    struct Case {
        int contacts;
        int pages;
    };
    for (const Case& c : {Case{10, 1}, Case{11, 2}, Case{0, 0}}) {
        SCOPED_TRACE(c.contacts);
        seedContacts(numberedContacts(c.contacts));
        LinkManFrame page;
        page.showInfo();
        EXPECT_EQ(page.pageBar()->pageCount(), c.pages);
        EXPECT_EQ(page.dataModel()->rowCount(), c.contacts == 0 ? 0 : 10);
        EXPECT_EQ(groupEntry(page), u8("全部联系人（%1）").arg(c.contacts));
    }

    // A list that empties after a full one leaves no page buttons of the earlier list.
    seedContacts(numberedContacts(25));
    LinkManFrame page;
    page.showInfo();
    ASSERT_EQ(page.pageBar()->pageCount(), 3);
    seedContacts(QJsonArray());
    page.showInfo();
    EXPECT_EQ(page.pageBar()->pageCount(), 0);
    EXPECT_EQ(page.dataModel()->rowCount(), 0);
    EXPECT_EQ(groupEntry(page), u8("全部联系人（0）"));
}

TEST_F(ContactsPage, ARowsPerPageReloadRenewsTheCountAndAFailedOneEmptiesTheTable)
{
    ASSERT_TRUE(loginAs("13800000000"));
    seedContacts(numberedContacts(12));
    LinkManFrame page;
    page.showInfo();
    ASSERT_EQ(groupEntry(page), u8("全部联系人（12）"));

    seedContacts(numberedContacts(20));
    page.pageBar()->ComCurrentIndexChanged(1);
    EXPECT_EQ(page.pageBar()->pageCount(), 2);
    EXPECT_EQ(groupEntry(page), u8("全部联系人（20）"));

    StandinScript refused = StandinScript::withEnvelope(QJsonObject{{"code", 4006}, {"msg", u8("查询失败")}});
    refused.times = 1;
    standin.script(kContactsPath, refused);
    page.pageBar()->ComCurrentIndexChanged(0);
    EXPECT_EQ(page.rowsPerPage(), 10);
    EXPECT_TRUE(page.contacts().isEmpty());
    EXPECT_EQ(page.dataModel()->rowCount(), 0);
    EXPECT_EQ(page.pageBar()->pageCount(), 0);
    EXPECT_EQ(groupEntry(page), u8("全部联系人（20）"));
    EXPECT_FALSE(page.loadingWidget()->isVisible());
}

TEST_F(ContactsPage, AccountStateOfEachRow)
{
    struct Case {
        int authenStatus, activation;
        const char* text;
    };
    const Case cases[] = {{1, 0, "已认证"}, {1, 1, "已认证"}, {0, 1, "未认证"}, {2, 1, "未认证"},
                          {3, 0, "未认证"}, {4, 1, "已激活"}, {4, 0, "未激活"}, {-1, 0, "未激活"}};
    ASSERT_TRUE(loginAs("13800000000"));
    QJsonArray contacts;
    int n = 0;
    for (const Case& c : cases)
        contacts.append(contactRecord(++n, 0, c.authenStatus, c.activation));
    seedContacts(contacts);
    LinkManFrame page;
    page.showInfo();
    for (int row = 0; row < n; ++row) {
        SCOPED_TRACE(row);
        EXPECT_EQ(cellText(page, row, 2), u8(cases[row].text));
        EXPECT_EQ(LinkManFrame::accountStateText(cases[row].authenStatus, cases[row].activation), u8(cases[row].text));
    }
}

TEST_F(ContactsPage, AvatarIsTheContactsOwnPictureRoundOrTheDefaultOfItsType)
{
    ASSERT_TRUE(loginAs("13800000000"));
    QString avatarUrl;
    standin.withState([&](StandinState& s) {
        s.files.insert("avatar-test", StandinFile{"a.png", "image/png", pngBytes(QSize(60, 60))});
        avatarUrl = s.fileUrl("avatar-test");
    });
    QJsonArray contacts{contactRecord(1, 0, 1, 1, avatarUrl), contactRecord(2, 0), contactRecord(3, 1),
                        contactRecord(4, 1, 1, 1, avatarUrl + "-missing")};
    seedContacts(contacts);
    LinkManFrame page;
    page.showInfo();

    const QImage own = rowAvatar(page, 0);
    ASSERT_EQ(own.size(), QSize(100, 100));
    EXPECT_EQ(qAlpha(own.pixel(2, 2)), 0);          // outside the circle
    EXPECT_EQ(qRed(own.pixel(50, 50)), 220);        // the picture's red disc in the middle
    const QImage person = QPixmap(":/usercenter/Resources/images/usercenter/tx.png").toImage();
    const QImage company = QPixmap(":/usercenter/Resources/images/usercenter/company.png").toImage();
    ASSERT_FALSE(person.isNull());
    ASSERT_NE(person, company);
    EXPECT_EQ(rowAvatar(page, 1), person);
    EXPECT_EQ(rowAvatar(page, 2), company);
    EXPECT_EQ(rowAvatar(page, 3), company);         // an address that gives nothing
}

TEST_F(ContactsPage, AddSavesAndContinuesThenSavesAndCloses)
{
    ASSERT_TRUE(loginAs("13800000000"));
    seedContacts(numberedContacts(2));
    LinkManFrame page;
    page.showInfo();

    ModalDriver driver;
    QStringList afterContinue;
    driver.on<addLinkmanDlg>([&](addLinkmanDlg* dlg) {
        EXPECT_EQ(dlg->title(), u8("增加联系人"));
        EXPECT_EQ(dlg->groupBox()->currentText(), u8("全部联系人"));
        EXPECT_EQ(dlg->accountEdit()->maxLength(), 20);
        // Either field empty: the message, nothing sent.
        dlg->nameEdit()->clear();
        dlg->accountEdit()->setText("13900009001");
        dlg->saveButton()->click();
        dlg->nameEdit()->setText(u8("新同事"));
        dlg->accountEdit()->clear();
        dlg->saveAndContinueButton()->click();
        EXPECT_EQ(boxes.texts(), QStringList({u8("姓名或账号不能为空！"), u8("姓名或账号不能为空！")}));
        EXPECT_EQ(sent("/eseal-usermanage/contacts/add"), 0);

        dlg->accountEdit()->setText("13900009001");
        dlg->saveAndContinueButton()->click();
        afterContinue << dlg->nameEdit()->text() << dlg->accountEdit()->text() << groupEntry(page);
        EXPECT_TRUE(dlg->isVisible());
        dlg->nameEdit()->setText(u8("第二位"));
        dlg->accountEdit()->setText("13900009002");
        dlg->saveButton()->click();
    });
    page.addButton()->click();

    EXPECT_EQ(driver.count<addLinkmanDlg>(), 1);
    EXPECT_EQ(afterContinue, QStringList({"", "", u8("全部联系人（3）")}));
    EXPECT_EQ(lastBody("/eseal-usermanage/contacts/add"),
              QJsonObject({{"remarkName", u8("第二位")}, {"addValue", "13900009002"}}));
    EXPECT_EQ(page.contacts().size(), 4);
    EXPECT_EQ(groupEntry(page), u8("全部联系人（4）"));
    EXPECT_EQ(page.contacts().at(2).remarkName, u8("新同事"));
}

TEST_F(ContactsPage, AFailedAddKeepsTheDialogOpenWithItsInput)
{
    ASSERT_TRUE(loginAs("13800000000"));
    seedContacts(numberedContacts(2));
    LinkManFrame page;
    page.showInfo();
    const int loads = sent(kContactsPath);
    ModalDriver driver;
    driver.on<addLinkmanDlg>([&](addLinkmanDlg* dlg) {
        dlg->nameEdit()->setText(u8("无此人"));
        dlg->accountEdit()->setText("13911112222");   // not an account of the service
        dlg->saveButton()->click();
        EXPECT_TRUE(dlg->isVisible());
        EXPECT_EQ(dlg->accountEdit()->text(), "13911112222");
        EXPECT_FALSE(dlg->loadingWidget()->isVisible());
        dlg->cancelButton()->click();
    });
    page.addButton()->click();
    EXPECT_EQ(sent("/eseal-usermanage/contacts/add"), 1);
    EXPECT_EQ(sent(kContactsPath), loads);
}

TEST_F(ContactsPage, ModifyChangesTheContactOfItsRow)
{
    ASSERT_TRUE(loginAs("13800000000"));
    seedContacts(numberedContacts(25));
    LinkManFrame page;
    page.showInfo();
    page.pageBar()->setCusSelectBtn(2);

    // The pointer last entered another row: the button still acts on its own row's contact.
    emit page.tableView()->entered(page.dataModel()->index(0, 1));
    ModalDriver driver;
    driver.on<ModifyLinkmanDlg>([&](ModifyLinkmanDlg* dlg) {
        EXPECT_EQ(dlg->title(), u8("修改联系人"));
        EXPECT_EQ(dlg->nameEdit()->text(), u8("联系人14"));
        EXPECT_EQ(dlg->accountEdit()->text(), "13900000014");
        EXPECT_EQ(dlg->accountEdit()->maxLength(), 20);
        dlg->nameEdit()->setText(u8("改过的名字"));
        dlg->saveButton()->click();
    });
    page.modifyButton(3)->click();

    EXPECT_EQ(driver.count<ModifyLinkmanDlg>(), 1);
    EXPECT_EQ(lastBody("/eseal-usermanage/contacts/update"),
              QJsonObject({{"id", "c-14"}, {"remarkName", u8("改过的名字")}, {"addValue", "13900000014"}}));
    EXPECT_EQ(serviceContacts().at(13).toObject().value("remarkName").toString(), u8("改过的名字"));
    // Reloaded: page 1 again, with the change.
    EXPECT_EQ(page.currentPage(), 0);
    EXPECT_EQ(page.contacts().at(13).remarkName, u8("改过的名字"));
}

TEST_F(ContactsPage, ModifySendsClearedFieldsAsTheyAre)
{
    ASSERT_TRUE(loginAs("13800000000"));
    seedContacts(numberedContacts(3));
    LinkManFrame page;
    page.showInfo();
    ModalDriver driver;
    driver.on<ModifyLinkmanDlg>([&](ModifyLinkmanDlg* dlg) {
        dlg->nameEdit()->clear();
        dlg->accountEdit()->clear();
        dlg->saveButton()->click();
        if (dlg->isVisible())
            dlg->cancelButton()->click();
    });
    page.modifyButton(0)->click();
    EXPECT_EQ(lastBody("/eseal-usermanage/contacts/update"),
              QJsonObject({{"id", "c-1"}, {"remarkName", ""}, {"addValue", ""}}));
}

TEST_F(ContactsPage, DeleteRemovesTheContactOfItsRow)
{
    ASSERT_TRUE(loginAs("13800000000"));
    seedContacts(numberedContacts(25));
    LinkManFrame page;
    page.showInfo();
    page.pageBar()->setCusSelectBtn(3);

    ModalDriver driver;
    int cancelled = 0;
    driver.on<DelLinkmanDlg>([&](DelLinkmanDlg* dlg) {
        EXPECT_EQ(dlg->title(), u8("联系人删除"));
        if (cancelled++ == 0) {
            dlg->cancelButton()->click();
            return;
        }
        EXPECT_EQ(dlg->nameLabel()->text(), u8("联系人25"));
        EXPECT_EQ(dlg->accountLabel()->text(), "13900000025");
        dlg->confirmButton()->click();
    });
    page.deleteButton(4)->click();
    EXPECT_EQ(sent("/eseal-usermanage/contacts/delete"), 0);
    EXPECT_EQ(page.contacts().size(), 25);

    page.deleteButton(4)->click();
    EXPECT_EQ(driver.count<DelLinkmanDlg>(), 2);
    EXPECT_EQ(lastBody("/eseal-usermanage/contacts/delete"), QJsonObject({{"id", "c-25"}}));
    EXPECT_EQ(serviceContacts().size(), 24);
    EXPECT_EQ(page.contacts().size(), 24);
    EXPECT_EQ(page.pageBar()->pageCount(), 3);
    EXPECT_EQ(groupEntry(page), u8("全部联系人（24）"));
}

TEST_F(ContactsPage, ARowButtonWhoseContactIsGoneDoesNothing)
{
    ASSERT_TRUE(loginAs("13800000000"));
    seedContacts(numberedContacts(12));
    LinkManFrame page;
    page.showInfo();
    QToolButton* real = page.modifyButton(1);
    ASSERT_NE(real, nullptr);

    // Buttons standing for an index the list no longer holds, or for another contact than the
    // one now at their index, open nothing.
    ModalDriver driver;
    driver.on<ModifyLinkmanDlg>([](ModifyLinkmanDlg* dlg) { dlg->cancelButton()->click(); });
    driver.on<DelLinkmanDlg>([](DelLinkmanDlg* dlg) { dlg->cancelButton()->click(); });
    struct Case {
        QVariant index, id;
    };
    for (const Case& c : {Case{12, "c-13"}, Case{-1, "c-1"}, Case{1, "c-9"}, Case{QVariant(), "c-2"}}) {
        QToolButton stale;
        stale.setProperty("contactIndex", c.index);
        stale.setProperty("contactId", c.id);
        QObject::connect(&stale, &QToolButton::clicked, &page, &LinkManFrame::modifyLinkManBtnClicked);
        QObject::connect(&stale, &QToolButton::clicked, &page, &LinkManFrame::delLinkManBtnClicked);
        stale.click();   // a dialog would run inside click()
    }
    EXPECT_EQ(driver.count<ModifyLinkmanDlg>(), 0);
    EXPECT_EQ(driver.count<DelLinkmanDlg>(), 0);

    // The genuine button of that row does open the dialog.
    real->click();
    EXPECT_EQ(driver.count<ModifyLinkmanDlg>(), 1);
}

TEST_F(ContactsPage, TheContainersContactsEntryShowsAndReloadsThePage)
{
    ASSERT_TRUE(loginAs("13800000000"));
    seedContacts(numberedContacts(3));
    UserCenterPage center;
    UserManageFrame* frame = UserCenterPage::getUserManageFrame();
    auto* page = qobject_cast<LinkManFrame*>(frame->page(UserManageFrame::ContactsPage));
    ASSERT_NE(page, nullptr);
    const int loads = sent(kContactsPath);
    frame->getLevel2MenuBar()->getBtnGroup()->button(UserManageFrame::ContactsPage)->click();
    EXPECT_EQ(frame->getStackWid()->currentWidget(), page);
    EXPECT_EQ(sent(kContactsPath), loads + 1);
    EXPECT_EQ(page->contacts().size(), 3);
}
