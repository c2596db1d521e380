// The new-authorisation form against the stand-in: the grantee lookup and each of its outcomes,
// the number of uses, the checks before a start, the start itself and the record it hands to the
// main window, the end date, the remark and the chosen-seal strip.

#include "UserAuthTestSupport.h"

#include "DateTimeEdit.h"
#include "Level2MenuBar.h"
#include "GoodFriendDialog.h"
#include "SelectAuthSeal.h"
#include "UserAuthFrame.h"

#include <QCalendarWidget>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTextEdit>
#include <QToolButton>

#include <functional>
#include <limits>

namespace {

class AuthForm : public UserAuthTest
{
protected:
    void SetUp() override
    {
        UserAuthTest::SetUp();
        seedCompanySeals({u8("演示公章"), u8("合同专用章"), u8("财务专用章")});
        ASSERT_TRUE(loginAs(u8(kCompany)));
        page = std::make_unique<CUserAuthFrame>();
        page->showinfo();
        page->newGrantButton()->click();
        ASSERT_FALSE(page->formCard()->isHidden());
    }

    void TearDown() override
    {
        page.reset();
        UserAuthTest::TearDown();
    }

    void lookUp(const QString& account)
    {
        page->accountField()->setText(account);
        emit page->accountField()->editingFinished();
    }

    // Opens the seal picker from the form, checks the cards at `cards` on its first page and
    // confirms (or cancels).
    void pickSeals(const QList<int>& cards, bool confirm = true)
    {
        ModalDriver driver;
        driver.on<SelectAuthSeal>([&](SelectAuthSeal* d) {
            for (int i : cards)
                d->cards()[i]->checkButton()->click();
            (confirm ? d->confirmButton() : d->cancelButton())->click();
        });
        page->addSealButton()->click();
        EXPECT_EQ(driver.count<SelectAuthSeal>(), 1);
    }

    QStringList chipIds() const
    {
        QStringList ids;
        for (int i = 0; i < page->sealChips()->count(); ++i)
            ids << qobject_cast<UserAuthSelectSeal*>(page->sealChips()->itemWidget(page->sealChips()->item(i)))->sealId();
        return ids;
    }

    // A form that passes every check: the person kPerson, a day in a month, one seal.
    void fillValidForm()
    {
        lookUp(u8(kPerson));
        ASSERT_EQ(page->granteeId(), u8("u-0001"));
        page->endDateField()->setText(day(30));
        if (page->chosenSeals().isEmpty())
            pickSeals({0});
        ASSERT_EQ(page->chosenSeals().size(), 1);
    }

    std::unique_ptr<CUserAuthFrame> page;
};

} // namespace

TEST_F(AuthForm, EachLookupOutcomeSetsOrClearsTheGranteeAsAWhole)
{
    const QJsonObject verified{{"id", "u-0004"}, {"authenStatus", 1}, {"activation", 1}, {"authenName", u8("乙")},
                               {"userName", u8("乙")}};
    auto with = [&](const char* key, int value) {
        QJsonObject o = verified;
        o.insert(key, value);
        return o;
    };
    struct Case {
        const char* what;
        const char* account;
        int code;             // the lookup's answer; 0: no lookup expected
        QJsonObject data;
        int duplicateCode;    // the duplicate check's answer; 0: no check expected
        const char* toast;    // empty: none
        const char* accountAfter;
        const char* nameAfter;
        const char* idAfter;
    } cases[] = {
        {"empty", "", 0, {}, 0, "", "", "", ""},
        {"not a mobile number", "12345678901", 0, {}, 0, "个人账号格式不正确，请重新输入", "", "", ""},
        {"not registered", "13600000000", 10000, {}, 0, "该用户尚未注册，无法授权！", "", "", ""},
        {"not activated", "13600000000", 10000, with("activation", 0), 0, "该用户尚未激活，无法授权！", "", "", ""},
        {"unknown activation", "13600000000", 10000, with("activation", 2), 0, "", "13600000000", "", ""},
        {"not verified", "13600000000", 10000, with("authenStatus", 0), 0, "该用户尚未进行实名认证，无法授权！", "", "", ""},
        {"verification failed", "13600000000", 10000, with("authenStatus", 2), 0, "该用户尚未进行实名认证，无法授权！", "",
         "", ""},
        {"under review", "13600000000", 10000, with("authenStatus", 3), 0, "该用户尚未进行实名认证，无法授权！", "", "", ""},
        {"unknown state", "13600000000", 10000, with("authenStatus", 7), 0, "", "13600000000", "", ""},
        {"lookup failed", "13600000000", 50002, {}, 0, "", "13600000000", "", ""},
        {"holds a grant", "13600000000", 10000, verified, 4010, "", "", "", ""},
        {"may receive one", "13600000000", 10000, verified, 10000, "", "13600000000", "乙", "u-0004"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        // Each case starts from an earlier grantee, whose name and id must never stay beside
        // another account.
        lookUp(u8(kPerson));
        ASSERT_EQ(page->granteeId(), u8("u-0001"));
        const int lookups = sent(kBaseUserPath);
        const int checks = sent(kDuplicatePath);
        const int toastsBefore = toasts.count();
        if (c.code != 0)
            answerOnce(kBaseUserPath, c.code, c.data);
        if (c.duplicateCode != 0)
            answerOnce(kDuplicatePath, c.duplicateCode, QJsonValue(), u8("该用户已存在有效授权"));

        lookUp(u8(c.account));
        EXPECT_EQ(sent(kBaseUserPath), lookups + (c.code != 0 ? 1 : 0));
        EXPECT_EQ(sent(kDuplicatePath), checks + (c.duplicateCode != 0 ? 1 : 0));
        if (c.code != 0) {
            EXPECT_EQ(lastBody(kBaseUserPath), (QJsonObject{{"userType", 0}, {"userAccount", u8(c.account)}}));
        }
        if (c.duplicateCode != 0) {
            EXPECT_EQ(lastBody(kDuplicatePath), (QJsonObject{{"personId", "u-0004"}}));
        }
        if (*c.toast) {
            ASSERT_EQ(toasts.count(), toastsBefore + 1);
            EXPECT_EQ(toasts.texts().last(), u8(c.toast));
            EXPECT_EQ(toasts.shown().last().ms, 2000);
            EXPECT_EQ(toasts.shown().last().type, qmt_nothing);
        } else {
            EXPECT_EQ(toasts.count(), toastsBefore);
        }
        EXPECT_EQ(page->accountField()->text(), u8(c.accountAfter));
        EXPECT_EQ(page->nameField()->text(), u8(c.nameAfter));
        EXPECT_EQ(page->granteeId(), u8(c.idAfter));
    }
}

TEST_F(AuthForm, TheCountTakesDigitsOnlyAndStepsWithinItsRange)
{
    QLineEdit* count = page->countField();
    EXPECT_EQ(count->text(), u8("1"));
    page->countDownButton()->click();
    EXPECT_EQ(count->text(), u8("1"));
    page->countUpButton()->click();
    EXPECT_EQ(count->text(), u8("2"));
    page->countDownButton()->click();
    EXPECT_EQ(count->text(), u8("1"));

    count->clear();
    QTest::keyClicks(count, "a3-b5 ");
    EXPECT_EQ(count->text(), u8("35"));
    count->clear();
    page->countUpButton()->click();   // an empty field counts as 0
    EXPECT_EQ(count->text(), u8("1"));
    count->clear();
    QTest::keyClicks(count, "12345678901");
    EXPECT_EQ(count->text(), u8("123456789"));
    count->setText("999999999");
    page->countUpButton()->click();
    EXPECT_EQ(count->text(), u8("999999999"));

    page->noLimitButton()->click();
    EXPECT_TRUE(page->noLimitButton()->isChecked());
    EXPECT_FALSE(count->isEnabled());
    EXPECT_FALSE(page->countUpButton()->isEnabled());
    EXPECT_FALSE(page->countDownButton()->isEnabled());
    page->noLimitButton()->click();
    EXPECT_FALSE(page->noLimitButton()->isChecked());
    EXPECT_TRUE(count->isEnabled());
    EXPECT_EQ(count->text(), u8("999999999"));
}

TEST_F(AuthForm, TheStartStopsAtTheFirstMissingPartAndSendsNothing)
{
    fillValidForm();
    struct Case {
        const char* toast;
        std::function<void()> spoil;
        std::function<void()> mend;
    } cases[] = {
        {"请输入被授权方账号", [&] { page->accountField()->clear(); }, [&] { page->accountField()->setText(u8(kPerson)); }},
        {"被授权方姓名不能为空", [&] { page->nameField()->clear(); }, [&] { lookUp(u8(kPerson)); }},
        {"授权份数不能为空", [&] { page->countField()->clear(); }, [&] { page->countField()->setText("1"); }},
        {"授权份数最小为1", [&] { page->countField()->setText("0"); }, [&] { page->countField()->setText("1"); }},
        {"授权份数最小为1", [&] { page->countField()->setText("00"); }, [&] { page->countField()->setText("1"); }},
        {"请选择截止日期", [&] { page->endDateField()->clear(); }, [&] { page->endDateField()->setText(day(30)); }},
        {"请选择授权印章",
         [&] { page->sealChips()->itemWidget(page->sealChips()->item(0))->findChild<QPushButton*>()->click(); },
         [&] { pickSeals({0}); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.toast);
        c.spoil();
        const int toastsBefore = toasts.count();
        page->startButton()->click();
        ASSERT_EQ(toasts.count(), toastsBefore + 1);
        EXPECT_EQ(toasts.texts().last(), u8(c.toast));
        EXPECT_EQ(sent(kIssuePath), 0);
        c.mend();
    }
}

TEST_F(AuthForm, StartingAGrantSendsItAndHandsTheRecordToTheMainWindow)
{
    fillValidForm();
    pickSeals({2});   // the strip keeps the first seal and adds the third
    ASSERT_EQ(chipIds(), (QStringList{"s-01", "s-03"}));
    QSignalSpy opened(page.get(), &CUserAuthFrame::openContractAuthFile);

    // No limit, no remark, and a service that refuses: neither key is sent and the form stays.
    page->noLimitButton()->click();
    page->countField()->clear();
    answerOnce(kIssuePath, 4006, QJsonValue(), u8("印章状态异常"));
    page->startButton()->click();
    ASSERT_EQ(sent(kIssuePath), 1);
    QJsonObject body = lastBody(kIssuePath);
    EXPECT_FALSE(body.contains("usageCount"));
    EXPECT_FALSE(body.contains("remark"));
    EXPECT_EQ(opened.count(), 0);
    EXPECT_FALSE(page->formCard()->isHidden());
    EXPECT_EQ(page->granteeId(), u8("u-0001"));
    EXPECT_EQ(page->chosenSeals().size(), 2);
    // The stand-in recorded the grant before the scripted refusal replaced its answer.
    standin.withState([](StandinState& s) { s.seed.remove("grants"); });

    // Three uses and a remark: the grant is issued and its record goes out.
    page->noLimitButton()->click();
    page->countField()->setText("2");
    page->countUpButton()->click();
    page->remarkField()->setPlainText(u8("仅限合同使用"));
    page->startButton()->click();
    ASSERT_EQ(sent(kIssuePath), 2);
    body = lastBody(kIssuePath);
    const QJsonArray records{QJsonObject{{"sealId", "s-01"}, {"sealName", u8("演示公章")}},
                             QJsonObject{{"sealId", "s-03"}, {"sealName", u8("财务专用章")}}};
    EXPECT_EQ(body, (QJsonObject{{"recordList", records},
                                 {"personId", "u-0001"},
                                 {"sealUsageDate", QDate::currentDate().addDays(30).toString("yyyy-MM-dd") + " 23:59:59"},
                                 {"usageCount", 3},
                                 {"remark", u8("仅限合同使用")}}));
    ASSERT_EQ(opened.count(), 1);
    const StartAuthSuccessInfo info = recordOf(opened[0][0]);
    QString issuedId;
    standin.withState([&](StandinState& s) { issuedId = s.seed.value("grants").toObject().keys().value(0); });
    EXPECT_EQ(info.authId, issuedId);
    EXPECT_FALSE(info.protocolId.isEmpty());
    EXPECT_EQ(info.personAccount, u8(kPerson));
    EXPECT_EQ(info.usageCount, 3);
    EXPECT_EQ(info.fileName, u8("印章授权合同"));
    EXPECT_TRUE(info.isAuth);

    // The form is empty again and the list is back.
    EXPECT_TRUE(page->formCard()->isHidden());
    EXPECT_FALSE(page->listCard()->isHidden());
    EXPECT_TRUE(page->accountField()->text().isEmpty());
    EXPECT_TRUE(page->nameField()->text().isEmpty());
    EXPECT_EQ(page->countField()->text(), u8("1"));
    EXPECT_TRUE(page->endDateField()->text().isEmpty());
    EXPECT_TRUE(page->remarkField()->toPlainText().isEmpty());
    EXPECT_TRUE(page->chosenSeals().isEmpty());
    EXPECT_TRUE(page->sealStrip()->isHidden());
}

TEST_F(AuthForm, TheEndDateLiesBetweenTodayAnd2038)
{
    struct Case {
        QString typed;
        const char* toast;
        QString shown;
    } cases[] = {
        {day(-1), "请选择大于当前日期的日期", day(1)},
        {day(0), "", day(0)},
        {"2037-12-31", "", "2037-12-31"},
        {"2038-1-1", "到期时间不能超过2038年", day(1)},
        {"2040-6-1", "到期时间不能超过2038年", day(1)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed.toStdString());
        page->endDateField()->clear();
        const int toastsBefore = toasts.count();
        page->endDateField()->setText(c.typed);
        EXPECT_EQ(page->endDateField()->text(), c.shown);
        EXPECT_EQ(page->endDateField()->calendarWidget()->selectedDate(), QDate::fromString(c.shown, "yyyy-M-d"));
        if (*c.toast) {
            ASSERT_EQ(toasts.count(), toastsBefore + 1);
            EXPECT_EQ(toasts.texts().last(), u8(c.toast));
        } else {
            EXPECT_EQ(toasts.count(), toastsBefore);
        }
    }
    EXPECT_EQ(CUserAuthFrame::timeJudgement("2024-1-1", "2024-1-2", "yyyy-M-d"), 86400);
    EXPECT_EQ(CUserAuthFrame::timeJudgement("2024-1-2", "2024-1-1", "yyyy-M-d"), -86400);
    EXPECT_EQ(CUserAuthFrame::timeJudgement("2024-1-1", "2124-1-1", "yyyy-M-d"), std::numeric_limits<int>::max());
}

TEST_F(AuthForm, TheRemarkNeverKeepsMoreThanAHundredCharacters)
{
    QTextEdit* remark = page->remarkField();
    EXPECT_TRUE(page->remarkCounter()->text().contains(">100<"));
    // Pasted at the end: the surplus at the end goes.
    remark->insertPlainText(QString(120, QChar(0x5B57)));
    EXPECT_EQ(remark->toPlainText(), QString(100, QChar(0x5B57)));
    EXPECT_TRUE(page->remarkCounter()->text().contains(">0<"));

    // Typed in the middle: the characters just typed are cut, the text after them stays.
    const QString before = QString(10, 'a') + QString(85, 'b');
    remark->setPlainText(before);
    EXPECT_TRUE(page->remarkCounter()->text().contains(">5<"));
    QTextCursor cursor = remark->textCursor();
    cursor.setPosition(10);
    remark->setTextCursor(cursor);
    remark->insertPlainText("0123456789");
    EXPECT_EQ(remark->toPlainText(), QString(10, 'a') + "01234" + QString(85, 'b'));
    EXPECT_EQ(remark->textCursor().position(), 15);
}

TEST_F(AuthForm, TheSealStripShowsExactlyTheChosenSeals)
{
    EXPECT_TRUE(page->sealStrip()->isHidden());
    pickSeals({0, 1, 2});
    EXPECT_FALSE(page->sealStrip()->isHidden());
    EXPECT_EQ(page->sealStripCaption()->text(), u8("已选印章（3枚）"));
    EXPECT_EQ(chipIds(), (QStringList{"s-01", "s-02", "s-03"}));

    // Cancelling the picker changes nothing, even after unchecking there.
    pickSeals({0}, false);
    EXPECT_EQ(chipIds(), (QStringList{"s-01", "s-02", "s-03"}));

    auto removeChip = [&](int i) {
        page->sealChips()->itemWidget(page->sealChips()->item(i))->findChild<QPushButton*>()->click();
    };
    removeChip(1);
    EXPECT_EQ(chipIds(), (QStringList{"s-01", "s-03"}));
    EXPECT_EQ(page->chosenSeals().size(), 2);
    EXPECT_EQ(page->sealStripCaption()->text(), u8("已选印章（2枚）"));
    removeChip(0);
    removeChip(0);
    EXPECT_TRUE(page->chosenSeals().isEmpty());
    EXPECT_TRUE(page->sealStrip()->isHidden());

    // Confirming the picker with nothing chosen leaves the strip hidden.
    pickSeals({1});
    EXPECT_FALSE(page->sealStrip()->isHidden());
    pickSeals({1});   // unchecks the card of the seal chosen before
    EXPECT_TRUE(page->chosenSeals().isEmpty());
    EXPECT_TRUE(page->sealStrip()->isHidden());
}

TEST_F(AuthForm, TheContactsPickerFillsTheGrantee)
{
    seedContacts({contact("u-0001", u8("演示"), u8(kPerson), 0, 1), contact("u-0004", u8("李经理"), "13600000000", 0, 1)});
    {
        ModalDriver driver;
        driver.on<GoodFriendDialog>([](GoodFriendDialog* d) {
            d->clickRow(1);
            d->confirmButton()->click();
        });
        page->contactsButton()->click();
        ASSERT_EQ(driver.count<GoodFriendDialog>(), 1);
    }
    EXPECT_EQ(page->accountField()->text(), u8("13600000000"));
    EXPECT_EQ(page->nameField()->text(), u8("李经理(实名)"));
    EXPECT_EQ(page->granteeId(), u8("u-0004"));
    {
        ModalDriver driver;
        driver.on<GoodFriendDialog>([](GoodFriendDialog* d) {
            d->clickRow(0);
            d->cancelButton()->click();
        });
        page->contactsButton()->click();
    }
    EXPECT_EQ(page->granteeId(), u8("u-0004"));
}
