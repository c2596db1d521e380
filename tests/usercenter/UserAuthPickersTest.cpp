// The two pickers of the new-authorisation form against the stand-in: the grantee picker (which
// contact is validated and chosen, refusals, replacing and dropping the choice, paging and
// search) and the seal picker (earlier choices, search and paging, select all, chips).

#include "UserAuthTestSupport.h"

#include "CPageWidget.h"
#include "GoodFriendDialog.h"
#include "SelectAuthSeal.h"
#include "TableView.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>

namespace {

class GranteePicker : public UserAuthTest
{
protected:
    void SetUp() override
    {
        UserAuthTest::SetUp();
        // 25 contacts. Eligible: 0 (u-0001), 3 (u-0004) and 10 (u-0005, first row of page 2).
        QList<QJsonObject> contacts;
        for (int i = 0; i < 25; ++i) {
            const QString account = QStringLiteral("1390000%1").arg(1000 + i);
            if (i == 0)
                contacts << contact("u-0001", u8("李一"), u8(kPerson), 0, 1);
            else if (i == 1 || i == 13)
                contacts << contact(QStringLiteral("u-c%1").arg(i), u8("公司") + QString::number(i), account, 1, 1);
            else if (i == 2)
                contacts << contact("u-0003", u8("王二"), "13700000000", 0, 0);
            else if (i == 3)
                contacts << contact("u-0004", u8("李三"), "13600000000", 0, 1);
            else if (i == 10)
                contacts << contact("u-0005", u8("赵十"), "13500000000", 0, 1);
            else   // verified persons the service does not know
                contacts << contact(QStringLiteral("u-9%1").arg(i), u8("孙") + QString::number(i), account, 0, 1);
        }
        seedContacts(contacts);
        ASSERT_TRUE(loginAs(u8(kCompany)));
    }

    static QStringList chipIds(GoodFriendDialog& d)
    {
        QStringList ids;
        for (int i = 0; i < d.chips()->count(); ++i)
            ids << qobject_cast<SelectFriendListCell*>(d.chips()->itemWidget(d.chips()->item(i)))->contactId();
        return ids;
    }

    static QString cell(GoodFriendDialog& d, int row, int column)
    {
        return d.tableModel()->index(row, column).data().toString();
    }
};

class SealPicker : public UserAuthTest
{
protected:
    void SetUp() override
    {
        UserAuthTest::SetUp();
        // 20 seals, 8 to a page: pages of 8, 8 and 4. Fifteen are contract seals.
        QStringList names;
        for (int i = 1; i <= 20; ++i)
            names << (i % 4 == 0 ? u8("演示公章") : u8("合同专用章")) + QString::number(i);
        seedCompanySeals(names);
        ASSERT_TRUE(loginAs(u8(kCompany)));
    }

    static QStringList checkedCards(SelectAuthSeal& d)
    {
        QStringList ids;
        for (AuthSealListCell* card : d.cards())
            if (!card->isEmptyCard() && card->checkButton()->isChecked())
                ids << card->sealId();
        return ids;
    }

    static int sealCards(SelectAuthSeal& d)
    {
        int n = 0;
        for (AuthSealListCell* card : d.cards())
            n += card->isEmptyCard() ? 0 : 1;
        return n;
    }

    static SelectAuthSeals chosen(const char* id, const char* name)
    {
        return SelectAuthSeals{QPixmap(), u8(name), u8(id)};
    }
};

} // namespace

TEST_F(GranteePicker, TheContactCheckedIsTheOneValidatedAndChosen)
{
    GoodFriendDialog d;
    ASSERT_EQ(d.contacts().size(), 25);
    EXPECT_EQ(sent(kContactsPath), 1);
    EXPECT_EQ(lastBody(kContactsPath), QJsonObject());
    d.pagingBar()->pageButtons()[1]->click();
    ASSERT_EQ(d.currentPage(), 1);
    EXPECT_EQ(cell(d, 0, 1), u8("赵十"));

    // The pointer rests on a company's row; the click on the first row still validates and
    // chooses the contact of that row.
    d.on_tableView_entered(d.tableModel()->index(3, 1));
    d.clickRow(0);
    EXPECT_EQ(lastBody(kDuplicatePath), (QJsonObject{{"personId", "u-0005"}}));
    EXPECT_TRUE(d.isRowChecked(0));
    EXPECT_EQ(chipIds(d), QStringList{"u-0005"});
    EXPECT_EQ(d.m_UserId, u8("u-0005"));
    EXPECT_EQ(d.m_AccountStr, u8("13500000000"));
    EXPECT_EQ(d.m_NameStr, u8("赵十(实名)"));
    EXPECT_TRUE(toasts.texts().isEmpty());
}

TEST_F(GranteePicker, RefusedContactsLeaveNoBoxCheckedAndNoChoice)
{
    GoodFriendDialog d;
    struct Case {
        int page;
        int row;
        const char* toast;   // empty: the service's refusal, shown by the client
        int checks;          // duplicate checks sent
    } cases[] = {
        {0, 1, "只能授权给个人用户", 0},
        {0, 2, "该用户尚未进行实名认证，无法授权", 0},
        {1, 3, "只能授权给个人用户", 0},
        {1, 1, "", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.row);
        d.pagingBar()->pageButtons()[c.page]->click();
        const int checks = sent(kDuplicatePath);
        const int toastsBefore = toasts.count();
        d.clickRow(c.row);
        EXPECT_EQ(sent(kDuplicatePath), checks + c.checks);
        EXPECT_EQ(toasts.count(), toastsBefore + (*c.toast ? 1 : 0));
        if (*c.toast) {
            EXPECT_EQ(toasts.texts().last(), u8(c.toast));
        }
        EXPECT_FALSE(d.isRowChecked(c.row));
        EXPECT_EQ(d.chips()->count(), 0);
        EXPECT_TRUE(d.m_UserId.isEmpty());
    }
}

TEST_F(GranteePicker, AnotherContactReplacesTheChoiceAndDroppingItClearsTheResult)
{
    GoodFriendDialog d;
    d.clickRow(0);
    d.clickRow(3);
    EXPECT_FALSE(d.isRowChecked(0));
    EXPECT_TRUE(d.isRowChecked(3));
    EXPECT_EQ(chipIds(d), QStringList{"u-0004"});
    EXPECT_EQ(d.m_UserId, u8("u-0004"));

    // Unchecking the chosen contact drops it, without asking the service again.
    const int checks = sent(kDuplicatePath);
    d.clickRow(3);
    EXPECT_EQ(sent(kDuplicatePath), checks);
    EXPECT_EQ(d.chips()->count(), 0);
    EXPECT_TRUE(d.m_UserId.isEmpty() && d.m_AccountStr.isEmpty() && d.m_NameStr.isEmpty());

    // The chosen contact keeps its mark across pages; its chip's delete button drops it even
    // while its row is on another page.
    d.clickRow(0);
    d.pagingBar()->pageButtons()[1]->click();
    d.pagingBar()->pageButtons()[0]->click();
    EXPECT_TRUE(d.isRowChecked(0));
    d.pagingBar()->pageButtons()[1]->click();
    auto* chip = qobject_cast<SelectFriendListCell*>(d.chips()->itemWidget(d.chips()->item(0)));
    ASSERT_NE(chip, nullptr);
    EXPECT_EQ(chip->nameText(), u8("李一"));
    chip->deleteButton()->click();
    EXPECT_EQ(d.chips()->count(), 0);
    EXPECT_TRUE(d.m_UserId.isEmpty());
    d.pagingBar()->pageButtons()[0]->click();
    EXPECT_FALSE(d.isRowChecked(0));

    // Deleting the chip of a contact on the page shown unchecks its row.
    d.clickRow(3);
    qobject_cast<SelectFriendListCell*>(d.chips()->itemWidget(d.chips()->item(0)))->deleteButton()->click();
    EXPECT_FALSE(d.isRowChecked(3));
    EXPECT_TRUE(d.m_UserId.isEmpty());
}

TEST_F(GranteePicker, PagesSearchesAndRowsPerPage)
{
    GoodFriendDialog d;
    EXPECT_EQ(d.pagingBar()->pageCount(), 3);
    d.pagingBar()->pageButtons()[2]->click();
    EXPECT_EQ(d.tableModel()->rowCount(), 10);   // 5 contacts and 5 empty rows
    EXPECT_EQ(cell(d, 4, 1), u8("孙24"));
    EXPECT_TRUE(cell(d, 5, 1).isEmpty());

    // A search, then 15 rows per page: the new load keeps the search.
    d.searchField()->setText(u8("李"));
    emit d.searchField()->returnPressed();
    EXPECT_EQ(lastBody(kContactsPath), (QJsonObject{{"queryValue", u8("李")}}));
    EXPECT_EQ(d.contacts().size(), 2);
    EXPECT_EQ(d.pagingBar()->pageCount(), 1);
    d.pagingBar()->findChild<QComboBox*>()->setCurrentIndex(1);
    EXPECT_EQ(lastBody(kContactsPath), (QJsonObject{{"queryValue", u8("李")}}));
    EXPECT_EQ(d.contacts().size(), 2);

    // Nothing found: no rows and no page buttons.
    d.searchField()->setText(u8("无此人"));
    emit d.searchField()->returnPressed();
    EXPECT_EQ(d.tableModel()->rowCount(), 0);
    EXPECT_EQ(d.pagingBar()->pageCount(), 0);
    EXPECT_TRUE(d.pagingBar()->pageButtons().isEmpty());

    // An empty search lists everyone again.
    d.searchField()->clear();
    emit d.searchField()->returnPressed();
    EXPECT_EQ(lastBody(kContactsPath), QJsonObject());
    EXPECT_EQ(d.pagingBar()->pageCount(), 2);   // 25 contacts at 15 rows
}

TEST_F(SealPicker, ReopeningKeepsEveryEarlierChoiceWhateverItsPage)
{
    SelectAuthSeal d({chosen("s-02", "合同专用章2"), chosen("s-11", "合同专用章11")});
    EXPECT_EQ(lastBody(kSealsPath),
              (QJsonObject{{"entity", QJsonObject{{"certification", 1}}}, {"pageBean", QJsonObject{{"pageNum", 1}, {"pageSize", 8}}}}));
    EXPECT_EQ(d.chipIds(), (QStringList{"s-02", "s-11"}));
    EXPECT_EQ(d.stripCaption()->text(), u8("已选印章（2枚）"));
    EXPECT_EQ(checkedCards(d), QStringList{"s-02"});
    EXPECT_EQ(d.cards()[0]->dateText(), u8("创建时间2024/02/01"));

    d.pagingBar()->pageButtons()[1]->click();
    EXPECT_EQ(checkedCards(d), QStringList{"s-11"});
    EXPECT_EQ(d.chipIds(), (QStringList{"s-02", "s-11"}));   // no second chip

    d.confirmButton()->click();
    const QList<SelectAuthSeals> result = d.getSelectAuthSealList();
    ASSERT_EQ(result.size(), 2);
    EXPECT_EQ(result[0].sealId, u8("s-02"));
    EXPECT_EQ(result[1].sealId, u8("s-11"));
    EXPECT_EQ(result[1].sealName, u8("合同专用章11"));
}

TEST_F(SealPicker, PagingKeepsTheSearchAndAnEmptySearchLeavesNoPage)
{
    SelectAuthSeal d({});
    EXPECT_EQ(d.pagingBar()->pageCount(), 3);
    d.searchField()->setText(u8("合同"));
    emit d.searchField()->returnPressed();
    const QJsonObject entity{{"name", u8("合同")}, {"sealType", ""}, {"certification", 1}};
    EXPECT_EQ(lastBody(kSealsPath), (QJsonObject{{"entity", entity}, {"pageBean", QJsonObject{{"pageNum", 1}, {"pageSize", 8}}}}));
    EXPECT_EQ(d.pagingBar()->pageCount(), 2);

    const int requests = sent(kSealsPath);
    d.pagingBar()->pageButtons()[1]->click();
    EXPECT_EQ(sent(kSealsPath), requests + 1);
    EXPECT_EQ(lastBody(kSealsPath), (QJsonObject{{"entity", entity}, {"pageBean", QJsonObject{{"pageNum", 2}, {"pageSize", 8}}}}));
    ASSERT_EQ(sealCards(d), 7);
    for (AuthSealListCell* card : d.cards())
        if (!card->isEmptyCard()) {
            EXPECT_TRUE(card->sealName().startsWith(u8("合同专用章")));
        }

    d.searchField()->setText(u8("无此章"));
    emit d.searchField()->returnPressed();
    EXPECT_EQ(toasts.texts().last(), u8("暂无搜索数据"));
    EXPECT_EQ(d.pagingBar()->pageCount(), 0);
    EXPECT_EQ(sealCards(d), 0);
}

TEST_F(SealPicker, SelectAllAndTheChipsFollowTheCards)
{
    SelectAuthSeal d({});
    d.pagingBar()->pageButtons()[2]->click();
    ASSERT_EQ(sealCards(d), 4);
    EXPECT_FALSE(d.selectAllButton()->isChecked());
    d.selectAllButton()->click();
    EXPECT_EQ(d.chipIds(), (QStringList{"s-17", "s-18", "s-19", "s-20"}));
    EXPECT_EQ(d.stripCaption()->text(), u8("已选印章（4枚）"));
    d.pagingBar()->pageButtons()[0]->click();
    EXPECT_FALSE(d.selectAllButton()->isChecked());
    d.pagingBar()->pageButtons()[2]->click();
    EXPECT_TRUE(d.selectAllButton()->isChecked());
    d.selectAllButton()->click();
    EXPECT_TRUE(d.chipIds().isEmpty());
    EXPECT_EQ(d.stripCaption()->text(), u8("已选印章"));

    // A chip whose card is on the page shown: removing it unchecks the card.
    d.cards()[1]->checkButton()->click();
    auto chipAt = [&](int i) { return qobject_cast<SelectAuthSealListCell*>(d.chips()->itemWidget(d.chips()->item(i))); };
    chipAt(0)->deleteButton()->click();
    EXPECT_TRUE(d.chipIds().isEmpty());
    EXPECT_TRUE(checkedCards(d).isEmpty());

    // A chip whose card is on another page: it goes, and the card shows unchecked later.
    d.cards()[0]->checkButton()->click();
    d.pagingBar()->pageButtons()[0]->click();
    EXPECT_EQ(d.chipIds(), QStringList{"s-17"});
    chipAt(0)->deleteButton()->click();
    EXPECT_TRUE(d.chipIds().isEmpty());
    d.pagingBar()->pageButtons()[2]->click();
    EXPECT_TRUE(checkedCards(d).isEmpty());
    d.confirmButton()->click();
    EXPECT_TRUE(d.getSelectAuthSealList().isEmpty());
}
