// Runs under a real X server (xvfb-run with a 1024 x 768 screen) against the stand-in: pictures
// of the seal-authorisation list, the new-authorisation form and its two pickers.

#include "QtTestSupport.h"
#include "UserAuthTestSupport.h"

#include "DateTimeEdit.h"
#include "GlobalHeader.h"
#include "GoodFriendDialog.h"
#include "SelectAuthSeal.h"
#include "StyleSheet.h"
#include "UserAuthFrame.h"

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSet>
#include <QTextEdit>
#include <QToolButton>

namespace {

class AuthScreens : public UserAuthTest
{
protected:
    static void SetUpTestSuite()
    {
        initViewInfo();
        QApplication::setFont(QFont("Microsoft YaHei"));
        qApp->setStyleSheet(style());
    }

    void SetUp() override
    {
        UserAuthTest::SetUp();
        QList<QJsonObject> grants;
        const char* names[] = {"张伟", "王芳", "李娜", "刘洋", "陈静", "杨磊", "赵敏", "黄强", "周杰", "吴婷", "徐明", "孙丽"};
        const int states[] = {10, 20, 30};
        for (int n = 1; n <= 12; ++n)
            grants << grant(n, states[n % 3], QStringLiteral("1370000%1").arg(1000 + n), u8(names[n - 1]));
        seedGrants(grants);
        seedCompanySeals({u8("演示科技有限公司公章"), u8("合同专用章"), u8("财务专用章"), u8("发票专用章"), u8("人事专用章")});
        seedContacts({contact("u-0001", u8("演示用户"), u8(kPerson), 0, 1), contact("u-0004", u8("李经理"), "13600000000", 0, 1),
                      contact("u-c1", u8("合作公司"), "13900001001", 1, 1)});
        ASSERT_TRUE(loginAs(u8(kCompany)));
    }
};

} // namespace

TEST_F(AuthScreens, ListAndForm)
{
    CUserAuthFrame page;
    page.resize(1000, 640);
    page.setPageBtn(false);
    page.showListInfo(QString());
    page.showinfo();
    ASSERT_EQ(page.rows().size(), 10);
    EXPECT_GT(distinctColours(screenshot(page, "userauth_list.png")), 40);

    page.newGrantButton()->click();
    page.accountField()->setText(u8(kPerson));
    emit page.accountField()->editingFinished();
    page.endDateField()->setText(day(30));
    page.countUpButton()->click();
    page.remarkField()->setPlainText(u8("用于合同签署"));
    {
        ModalDriver driver;
        driver.on<SelectAuthSeal>([](SelectAuthSeal* d) {
            d->cards()[0]->checkButton()->click();
            d->cards()[1]->checkButton()->click();
            d->confirmButton()->click();
        });
        page.addSealButton()->click();
    }
    ASSERT_EQ(page.chosenSeals().size(), 2);
    page.resize(1000, 700);
    EXPECT_GT(distinctColours(screenshot(page, "userauth_form.png")), 40);
}

TEST_F(AuthScreens, Pickers)
{
    GoodFriendDialog friends;
    friends.clickRow(1);
    ASSERT_EQ(friends.chips()->count(), 1);
    EXPECT_GT(distinctColours(screenshot(friends, "userauth_grantee_picker.png")), 20);

    SelectAuthSeal seals({});
    seals.cards()[0]->checkButton()->click();
    seals.cards()[2]->checkButton()->click();
    EXPECT_GT(distinctColours(screenshot(seals, "userauth_seal_picker.png")), 40);
}
