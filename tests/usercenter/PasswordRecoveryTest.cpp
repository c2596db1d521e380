// The password-recovery page against the stand-in service: its refusals, the code request with
// its countdown (driven tick by tick), the reset, and the buttons that wait for their answers.

#include "LoginTestSupport.h"

#include "FoundPassWord.h"

#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>

namespace {

class PasswordRecovery : public LoginTest
{
protected:
    void SetUp() override
    {
        LoginTest::SetUp();
        // The countdown is driven by calling its tick; the real timer never fires in a test.
        page.countdownTimer()->setInterval(24 * 3600 * 1000);
    }

    void fill(const char* account, const char* code, const char* password, const char* again)
    {
        page.accountField()->setText(u8(account));
        page.codeField()->setText(u8(code));
        page.passwordField()->setText(u8(password));
        page.confirmField()->setText(u8(again));
    }

    // Asks for a code for the account and waits until the countdown runs.
    void requestCode()
    {
        page.accountField()->setText(kAccount);
        page.codeButton()->click();
        ASSERT_TRUE(waitUntil([&] { return page.countdownTimer()->isActive(); }));
    }

    FoundPassWord page;
};

} // namespace

TEST_F(PasswordRecovery, RefusesIncompleteFieldsInOrder)
{
    struct Case {
        const char* account;
        const char* code;
        const char* password;
        const char* again;
        const char* toast;
    } cases[] = {
        {"", "", "", "", "账号不能为空"},
        {"13800000000", "", "Abcdefgh", "Abcdefgh", "验证码不能为空"},
        {"13800000000", "246810", "", "", "密码不能为空"},
        {"13800000000", "246810", "Abcdefg", "Abcdefg", "密码长度不能少于8位"},
        {"13800000000", "246810", "Abcdefgh", "abcdefgh", "两次输入的密码不一致"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.toast);
        QuickMessageBoxSpy spy;
        fill(c.account, c.code, c.password, c.again);
        page.modifyPassword();
        EXPECT_EQ(spy.texts(), QStringList{u8(c.toast)});
        EXPECT_EQ(spy.shown().value(0).type, qmt_nothing);
        EXPECT_EQ(spy.shown().value(0).ms, 2000);
    }
    page.accountField()->clear();
    page.codeButton()->click();
    EXPECT_EQ(toasts.texts().last(), u8("账号不能为空"));
    EXPECT_EQ(page.passwordField()->maxLength(), 16);
    EXPECT_EQ(page.codeField()->maxLength(), 6);
    EXPECT_EQ(sent(kCodePath) + sent(kResetPath), 0);
}

TEST_F(PasswordRecovery, CodeCountdownThenResetWithTheCode)
{
    requestCode();
    EXPECT_FALSE(page.codeButton()->isEnabled());
    EXPECT_EQ(page.codeButton()->text(), u8("60 s 重新获取"));
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.shown()[0].title, u8("找回密码"));
    EXPECT_TRUE(boxes.shown()[0].text.startsWith(u8("验证码已发送至")));
    EXPECT_EQ(lastBody(kCodePath).value("userAccount").toString(), kAccount);

    // 60 twice, then 59 down to 1; usable again on the 61st tick.
    QStringList shown;
    for (int tick = 1; tick <= 60; ++tick) {
        page.updateText();
        shown << page.codeButton()->text();
        EXPECT_FALSE(page.codeButton()->isEnabled());
    }
    EXPECT_EQ(shown.first(), u8("60 s 重新获取"));
    EXPECT_EQ(shown[1], u8("59 s 重新获取"));
    EXPECT_EQ(shown.last(), u8("1 s 重新获取"));
    page.updateText();
    EXPECT_TRUE(page.codeButton()->isEnabled());
    EXPECT_EQ(page.codeButton()->text(), u8("获取验证码"));
    EXPECT_FALSE(page.countdownTimer()->isActive());
    EXPECT_EQ(page.countdownValue(), 60);

    // A second code, then the reset ends its countdown at once.
    requestCode();
    page.updateText();
    page.updateText();
    fill("13800000000", "246810", "NewPass2024", "NewPass2024");
    QSignalSpy back(&page, &FoundPassWord::gotoLogin);
    page.okButton()->click();
    EXPECT_FALSE(page.okButton()->isEnabled());
    ASSERT_TRUE(waitUntil([&] { return back.count() == 1; }));
    EXPECT_EQ(toasts.texts().last(), u8("更新密码成功"));
    EXPECT_EQ(toasts.shown().last().type, qmt_succ);
    EXPECT_EQ(toasts.shown().last().ms, 1000);
    for (QLineEdit* f : {page.accountField(), page.codeField(), page.passwordField(), page.confirmField()})
        EXPECT_TRUE(f->text().isEmpty());
    EXPECT_FALSE(page.countdownTimer()->isActive());
    EXPECT_TRUE(page.codeButton()->isEnabled());
    EXPECT_EQ(page.codeButton()->text(), u8("获取验证码"));
    EXPECT_TRUE(page.okButton()->isEnabled());

    const QJsonObject reset = lastBody(kResetPath);
    EXPECT_EQ(reset.value("userAccount").toString(), kAccount);
    EXPECT_EQ(reset.value("verifyCode").toString(), u8("246810"));
    EXPECT_TRUE(loginWith(kAccount, "NewPass2024"));
    EXPECT_FALSE(logText().contains("NewPass2024"));
    EXPECT_FALSE(logText().contains("246810"));
}

TEST_F(PasswordRecovery, ButtonsWaitForTheirAnswersAndFailuresKeepTheFields)
{
    // The code request of an unknown account, held.
    standin.script(kCodePath, heldOnce());
    page.accountField()->setText(u8("19900000000"));
    page.codeButton()->click();
    EXPECT_FALSE(page.codeButton()->isEnabled());
    page.getVerfiyNo();
    ASSERT_TRUE(waitUntil([&] { return standin.heldCount(kCodePath) == 1; }));
    EXPECT_EQ(started("smsNoBusiness"), 1);
    standin.release(kCodePath);
    ASSERT_TRUE(waitUntil([&] { return page.codeButton()->isEnabled(); }));
    EXPECT_EQ(toasts.texts(), QStringList{u8("该账号不存在")});
    EXPECT_EQ(toasts.shown()[0].type, qmt_error);
    EXPECT_EQ(toasts.shown()[0].ms, 1000);
    EXPECT_FALSE(page.countdownTimer()->isActive());
    EXPECT_EQ(page.codeButton()->text(), u8("获取验证码"));

    // A reset with a code never sent, held: Enter (the window calls modifyPassword) adds nothing.
    standin.script(kResetPath, heldOnce());
    fill("13800000000", "111111", "Abcdefgh", "Abcdefgh");
    page.okButton()->click();
    EXPECT_FALSE(page.okButton()->isEnabled());
    page.modifyPassword();
    ASSERT_TRUE(waitUntil([&] { return standin.heldCount(kResetPath) == 1; }));
    EXPECT_EQ(started("findPassWordBusiness"), 1);
    standin.release(kResetPath);
    ASSERT_TRUE(waitUntil([&] { return page.okButton()->isEnabled(); }));
    EXPECT_EQ(toasts.texts().last(), u8("验证码不正确"));
    EXPECT_EQ(toasts.shown().last().ms, 1000);
    EXPECT_EQ(page.codeField()->text(), u8("111111"));
    EXPECT_EQ(page.passwordField()->text(), u8("Abcdefgh"));
    EXPECT_TRUE(loginWith(kAccount, kPassword));   // the password is unchanged
}
