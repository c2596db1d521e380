// The account page's dialogs against the stand-in service: the checks of the password, phone and
// PIN dialogs, their answers from the service, session codes that close them, and the USB-key
// device layer's refusal of a PIN change.

#include "AccountPageTestSupport.h"

#include "UserAccountFrame.h"
#include "UserCenterPageDialogs.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QTest>
#include <QTimer>

using namespace account_test;

namespace {

using AccountDialogs = AccountPageTest;

const char* const kSendByPhoneCodePath = "/eseal-usermanage/sms/function/sendByPhoneCode";
const char* const kSendCodeByContactPath = "/eseal-usermanage/sms/function/sendCodebyContact";
const char* const kVerifyContactPath = "/eseal-usermanage/user/verifyContactPhone";

QJsonObject envelope(int code, const QString& msg)
{
    return QJsonObject{{"code", code}, {"msg", msg}};
}

} // namespace

TEST_F(AccountDialogs, PasswordChecksThenTheServiceDecides)
{
    ASSERT_TRUE(loginAs(kPerson));
    ChangePasswordDialog dialog;
    dialog.show();
    EXPECT_EQ(dialog.title(), u8("更改登录密码"));
    EXPECT_FALSE(dialog.codeButton()->isVisible());   // the code row is never shown

    struct Case {
        const char* oldPassword;
        const char* newPassword;
        const char* confirm;
        const char* refusal;   // empty: sent
    } cases[] = {
        {"", "abc", "", "旧密码不能为空"},
        {"x", "", "", "新密码不能为空"},
        {"x", "abc1234", "abc1234", "密码长度不能少于8位"},
        {"x", "abcdefgh", "abcdefgi", "两次密码不一致"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.refusal);
        dialog.oldPasswordField()->setText(c.oldPassword);
        dialog.newPasswordField()->setText(c.newPassword);
        dialog.confirmField()->setText(c.confirm);
        dialog.okButton()->click();
        EXPECT_EQ(toasts.texts().last(), u8(c.refusal));
        EXPECT_EQ(dialog.newPasswordField()->text(), c.newPassword);   // the fields keep their text
    }
    EXPECT_EQ(sent(kPasswordPath), 0);

    // Only letters and digits reach the new password; the old one takes anything.
    dialog.newPasswordField()->clear();
    QTest::keyClicks(dialog.newPasswordField(), "ab!c#d");
    EXPECT_EQ(dialog.newPasswordField()->text(), "abcd");
    dialog.oldPasswordField()->clear();
    QTest::keyClicks(dialog.oldPasswordField(), "a!b");
    EXPECT_EQ(dialog.oldPasswordField()->text(), "a!b");

    // Eight letters without a digit pass; the service refuses a wrong old password, the dialog
    // stays open and the button works again. The keypad's Enter does what "确认更改" does, once
    // while the change is on its way.
    dialog.newPasswordField()->setText("abcdefgh");
    dialog.confirmField()->setText("abcdefgh");
    standin.script(kPasswordPath, heldOnce());
    emit dialog.enterPressed();
    EXPECT_FALSE(dialog.okButton()->isEnabled());
    emit dialog.enterPressed();
    dialog.okButton()->click();
    ASSERT_TRUE(waitUntil([&] { return standin.heldCount(kPasswordPath) == 1; }));
    standin.release(kPasswordPath);
    ASSERT_TRUE(waitUntil([&] { return dialog.okButton()->isEnabled(); }));
    EXPECT_EQ(sent(kPasswordPath), 1);
    EXPECT_EQ(toasts.shown().last().text, u8("原密码错误"));
    EXPECT_EQ(toasts.shown().last().type, qmt_error);
    EXPECT_TRUE(dialog.isVisible());

    dialog.oldPasswordField()->setText(kPassword);
    dialog.okButton()->click();
    ASSERT_TRUE(waitUntil([&] { return !dialog.isVisible(); }));
    EXPECT_EQ(dialog.result(), int(QDialog::Accepted));
    EXPECT_EQ(toasts.shown().last().text, u8("更新密码成功"));
    EXPECT_EQ(toasts.shown().last().type, qmt_succ);
    EXPECT_EQ(lastBody(kPasswordPath),
              (QJsonObject{{"newUserPassword", "abcdefgh"}, {"userAccount", kPerson}, {"userPassword", kPassword}}));
    endSession();
    EXPECT_TRUE(loginAs(kPerson, "abcdefgh"));
}

TEST_F(AccountDialogs, PhoneChecksTheCurrentCodeThenChangesToTheNewNumber)
{
    ASSERT_TRUE(loginAs(kCompany));
    ChangePhoneDialog dialog(u8("139****0000"));
    dialog.show();
    EXPECT_TRUE(dialog.promptLabel()->text().contains(u8("139****0000")));

    // Step 1: an empty or wrong code keeps page 0.
    dialog.nextButton()->click();
    EXPECT_EQ(toasts.texts().last(), u8("验证码不能为空"));
    dialog.codeField()->setText("111111");
    dialog.nextButton()->click();
    EXPECT_EQ(toasts.texts().last(), u8("验证码不正确"));
    EXPECT_EQ(dialog.stack()->currentIndex(), 0);

    dialog.codeButton()->click();
    EXPECT_EQ(sent(kSendCodeByContactPath), 1);
    EXPECT_FALSE(dialog.codeButton()->isEnabled());
    EXPECT_EQ(dialog.codeButton()->text(), u8("已发送（60s）"));
    EXPECT_TRUE(dialog.countdownTimer()->isActive());
    dialog.codeField()->setText(kStandinSmsCode);
    emit dialog.enterPressed();   // Enter on page 0 is "下一步"
    EXPECT_EQ(dialog.stack()->currentIndex(), 1);
    EXPECT_FALSE(dialog.countdownTimer()->isActive());

    // Step 2: the code to the new number applies the number pattern; the change only its length.
    struct Case {
        const char* phone;
        const char* refusal;
    } codeCases[] = {{"", "手机号不能为空"}, {"12345678901", "手机号格式不正确"}, {"1391234567", "手机号格式不正确"}};
    for (const Case& c : codeCases) {
        SCOPED_TRACE(c.phone);
        dialog.newPhoneField()->setText(c.phone);
        dialog.newCodeButton()->click();
        EXPECT_EQ(toasts.texts().last(), u8(c.refusal));
    }
    EXPECT_EQ(sent(kSendByPhoneCodePath), 0);
    dialog.newPhoneField()->setText("13912345678");
    dialog.newCodeButton()->click();
    EXPECT_EQ(lastBody(kSendByPhoneCodePath),
              (QJsonObject{{"appId", "0000000033"}, {"useWhere", "33"}, {"toPhone", "13912345678"}}));
    EXPECT_EQ(dialog.countdownValue(), 60);
    // The countdown shows 60 twice and frees the button 61 ticks after sending.
    for (int tick = 0; tick < 60; ++tick)
        dialog.updateText();
    EXPECT_EQ(dialog.newCodeButton()->text(), u8("已发送（1s）"));
    EXPECT_FALSE(dialog.newCodeButton()->isEnabled());
    dialog.updateText();
    EXPECT_TRUE(dialog.newCodeButton()->isEnabled());
    EXPECT_EQ(dialog.newCodeButton()->text(), u8("获取验证码"));

    struct ChangeCase {
        const char* phone;
        const char* code;
        const char* refusal;
    } changeCases[] = {{" ", "246810", "手机号不能为空"}, {"1391234567", "246810", "手机号格式不正确"},
                       {"13912345678", "", "验证码不能为空"}};
    for (const ChangeCase& c : changeCases) {
        SCOPED_TRACE(c.refusal);
        dialog.newPhoneField()->setText(c.phone);
        dialog.newCodeField()->setText(c.code);
        dialog.modifyButton()->click();
        EXPECT_EQ(toasts.texts().last(), u8(c.refusal));
    }
    EXPECT_EQ(sent(kContactPhonePath), 0);
    // Any eleven digits are submitted; the service refuses a number that got no code.
    dialog.newPhoneField()->setText("12345678901");
    dialog.newCodeField()->setText(kStandinSmsCode);
    emit dialog.enterPressed();   // Enter on page 1 is "确定更改"
    ASSERT_TRUE(waitUntil([&] { return dialog.modifyButton()->isEnabled(); }));
    EXPECT_EQ(toasts.shown().last().text, u8("验证码不正确"));
    EXPECT_EQ(toasts.shown().last().type, qmt_error);
    EXPECT_EQ(dialog.getNewPhone(), "12345678901");

    dialog.newPhoneField()->setText("13912345678");
    dialog.modifyButton()->click();
    ASSERT_TRUE(waitUntil([&] { return !dialog.isVisible(); }));
    EXPECT_EQ(dialog.result(), int(QDialog::Accepted));
    EXPECT_EQ(toasts.shown().last().text, u8("修改手机号码成功"));
    EXPECT_EQ(dialog.getNewPhone(), "13912345678");
    QString stored;
    standin.withState([&](StandinState& s) { stored = s.users[kCompany].data.value("contactPhone").toString(); });
    EXPECT_EQ(stored, "13912345678");
}

TEST_F(AccountDialogs, PageShowsTheChangedPhoneAndRefusesPersonalAccounts)
{
    ASSERT_TRUE(loginAs(kPerson));
    UserAccountFrame page;
    page.showInfo();
    page.phoneButton()->click();
    EXPECT_EQ(toasts.texts().last(), u8("个人账号暂不支持修改"));
    endSession();

    ASSERT_TRUE(loginAs(kCompany));
    page.showInfo();
    ModalDriver driver;
    driver.on<ChangePhoneDialog>([&](ChangePhoneDialog* d) {
        EXPECT_TRUE(d->promptLabel()->text().contains(u8("139****0000")));
        d->codeButton()->click();
        d->codeField()->setText(kStandinSmsCode);
        d->nextButton()->click();
        d->newPhoneField()->setText("13612345678");
        d->newCodeButton()->click();
        d->newCodeField()->setText(kStandinSmsCode);
        d->modifyButton()->click();
    });
    page.phoneButton()->click();
    EXPECT_EQ(driver.count<ChangePhoneDialog>(), 1);
    EXPECT_EQ(client->getBusinessInfo()->contactPhone, "13612345678");
    EXPECT_EQ(page.phoneValue()->text(), "136****5678");
}

TEST_F(AccountDialogs, SessionCodeClosesTheDialog)
{
    struct Case {
        int code;
        int loginAgain;   // -1: the dialog stays open with the service's text
    } cases[] = {{51001, 0}, {51002, 1}, {51003, 2}, {51000, -1}};
    for (const Case& c : cases) {
        for (const char* path : {kPasswordPath, kContactPhonePath}) {
            SCOPED_TRACE(std::to_string(c.code) + " " + path);
            ASSERT_TRUE(loginAs(kCompany));
            standin.clearScripts();
            standin.script(path, StandinScript::withEnvelope(envelope(c.code, u8("会话已失效"))));
            std::unique_ptr<ParentDialog> dialog;
            QPushButton* submit = nullptr;
            if (QString(path) == kPasswordPath) {
                // (the stand-in still runs the operation behind a scripted answer: it must fail)
                auto* d = new ChangePasswordDialog;
                d->oldPasswordField()->setText("not-the-password");
                d->newPasswordField()->setText("abcdefgh");
                d->confirmField()->setText("abcdefgh");
                submit = d->okButton();
                dialog.reset(d);
            } else {
                auto* d = new ChangePhoneDialog("139****0000");
                d->stack()->setCurrentIndex(1);
                d->newPhoneField()->setText("13912345678");
                d->newCodeField()->setText(kStandinSmsCode);
                submit = d->modifyButton();
                dialog.reset(d);
            }
            QSignalSpy again(dialog.get(), SIGNAL(loginAgain(int)));
            dialog->show();
            const int toastsBefore = toasts.count();
            submit->click();
            if (c.loginAgain >= 0) {
                ASSERT_TRUE(waitUntil([&] { return again.count() == 1; }));
                EXPECT_EQ(again[0][0].toInt(), c.loginAgain);
                EXPECT_FALSE(dialog->isVisible());
                EXPECT_EQ(dialog->result(), int(QDialog::Rejected));
                EXPECT_EQ(toasts.count(), toastsBefore);
            } else {
                ASSERT_TRUE(waitUntil([&] { return toasts.count() == toastsBefore + 1; }));
                EXPECT_EQ(toasts.shown().last().text, u8("会话已失效"));
                EXPECT_TRUE(dialog->isVisible());
                EXPECT_EQ(again.count(), 0);
            }
            endSession();
        }
    }
}

TEST_F(AccountDialogs, PinChecksAndTheDeviceLayerRefusal)
{
    // An account name with letters, so that letter case can differ.
    const QString account = "ORVCORP01";
    QJsonObject data;
    standin.withState([&](StandinState& s) { data = s.users[kCompany].data; });
    addUser(account, data);
    ASSERT_TRUE(loginAs(account));
    using Key = InsertedKeys::Key;
    const Key own{"dev-a", " ORVCORP01 ", u8("本单位公章")};
    const Key ownLower{"dev-a", "orvcorp01", u8("本单位公章")};
    const Key ownB{"dev-b", "ORVCORP01", u8("合同章")};
    const Key foreign{"dev-c", "OTHER", u8("他单位公章")};
    const QString device = ChangePinDialog::deviceFailureText();
    struct Case {
        const char* name;
        QList<Key> keys;
        const char* oldPin;
        const char* newPin;
        const char* confirm;
        QStringList listed;
        QString message;   // a toast, or the device layer's failure box
    } cases[] = {
        {"old empty", {own}, "", "123456", "123456", {u8("本单位公章")}, u8("旧PIN码不能为空")},
        {"short", {own}, "1", "12345", "12345", {u8("本单位公章")}, u8("新PIN码不能少于6位")},
        {"differ", {own}, "1", "123456", "123457", {u8("本单位公章")}, u8("两次PIN码不一致")},
        {"foreign key", {foreign}, "1", "123456", "123456", {}, u8("请使用本单位下的电子密钥盘！")},
        {"own key", {own}, "x!", "123456", "123456", {u8("本单位公章")}, device},
        {"case differs", {ownLower}, "1", "123456", "123456", {}, device},
        {"two keys", {own, foreign}, "1", "123456", "123456", {u8("本单位公章")}, device},
        {"two own keys", {own, ownB}, "1", "123456", "123456", {u8("合同章"), u8("本单位公章")}, device},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        InsertedKeys keys(c.keys);
        ChangePinDialog dialog;
        dialog.show();
        EXPECT_EQ(dialog.title(), u8("更改电子密钥盘PIN码"));
        QStringList listed;
        for (int i = 0; i < dialog.keyList()->count(); ++i)
            listed << dialog.keyList()->itemText(i);
        EXPECT_EQ(listed, c.listed);
        dialog.oldPinField()->setText(c.oldPin);
        dialog.newPinField()->setText(c.newPin);
        dialog.confirmField()->setText(c.confirm);
        const int toastsBefore = toasts.count(), boxesBefore = boxes.count();
        dialog.okButton()->click();
        if (c.message == device) {
            EXPECT_EQ(toasts.count(), toastsBefore);
            ASSERT_EQ(boxes.count(), boxesBefore + 1);
            EXPECT_EQ(boxes.lastText(), device);
        } else {
            EXPECT_EQ(boxes.count(), boxesBefore);
            ASSERT_EQ(toasts.count(), toastsBefore + 1);
            EXPECT_EQ(toasts.texts().last(), c.message);
        }
        EXPECT_TRUE(dialog.isVisible());   // the PIN is unchanged and the user may try again
    }
    // Only digits reach the new PIN.
    {
        InsertedKeys keys({own});
        ChangePinDialog dialog;
        QTest::keyClicks(dialog.newPinField(), "1a2b3");
        EXPECT_EQ(dialog.newPinField()->text(), "123");
    }
}

TEST_F(AccountDialogs, PinDialogOpensOnlyForTheAccountsKeyAndClosesWhenTheLastKeyGoes)
{
    ASSERT_TRUE(loginAs(kCompany));
    UserAccountFrame page;
    page.showInfo();
    page.pinButton()->click();
    EXPECT_EQ(toasts.texts().last(), u8("没有检查到电子密钥盘！"));
    {
        InsertedKeys keys({{"dev-c", "OTHER", u8("他单位公章")}});
        page.pinButton()->click();
        EXPECT_EQ(toasts.texts().last(), u8("请使用本单位下的电子密钥盘！"));
    }

    InsertedKeys keys({{"dev-a", kCompany, u8("本单位公章")}, {"dev-b", "OTHER", u8("他单位公章")}});
    ModalDriver driver;
    driver.on<ChangePinDialog>([&](ChangePinDialog* d) {
        EXPECT_TRUE(d->watchTimer()->isActive());
        EXPECT_EQ(d->watchTimer()->interval(), 1000);
        // One of two keys pulled out: the dialog stays; the last one: it closes.
        keys.pullOut("dev-b");
        d->on_timer_timeout();
        EXPECT_TRUE(d->isVisible());
        keys.pullOut("dev-a");
        d->on_timer_timeout();
        EXPECT_FALSE(d->isVisible());
    });
    page.pinButton()->click();
    EXPECT_EQ(driver.count<ChangePinDialog>(), 1);
}
