// The SMS-code dialog against the in-process stand-in: sending at construction, the countdown
// (driven tick by tick), the checks of each mode and what leaves the dialog open.
#include "AccountTestSupport.h"
#include "MMessageBox.h"
#include "QtTestSupport.h"
#include "QuickMessageBox.h"
#include "SignPageCodeDialog.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace {

const char* const kSendSign = "/tarvik-serve-manage-wexo/function/send/sign-security-code";
const char* const kCheckSign = "/tarvik-serve-manage-wexo/function/check/sign-security-code";
const char* const kSendAuth = "/tarvik-serve-manage-wexo/function/send/auth-security-code";
const char* const kAccept = "/tarvik-serve-manage-wexo/function/accept/seal-auth";
const char* const kAffirm = "/tarvik-serve-manage-wexo/function/affirm/seal-auth";

class SmsCodeDialog : public AccountTest
{
protected:
    void SetUp() override
    {
        AccountTest::SetUp();
        ASSERT_TRUE(loginAs("13800000000"));
        standin.clearRequests();
    }

    int sent(const char* path) const { return standin.requests(path).size(); }

    static QJsonObject envelope(int code, const char* msg)
    {
        return QJsonObject{{"code", code}, {"msg", QString::fromUtf8(msg)}};
    }

    ScopedScreenZoom zoom{1.0f};
    ScopedUiDurationScale fast{0.0};
    QuickMessageBoxSpy toasts;
    MMessageBoxAutoAnswer boxes{QDialogButtonBox::Ok};
    QString proofTime;
    int codeS = 0;
};

} // namespace

TEST(SmsCodeDialogPhone, MaskedAroundFourStars)
{
    EXPECT_EQ(SignPageCodeDialog::maskedPhone("13812345678"), "138****5678");
    EXPECT_EQ(SignPageCodeDialog::maskedPhone(""), "****");
    EXPECT_EQ(SignPageCodeDialog::maskedPhone("12345"), "****");
}

TEST_F(SmsCodeDialog, ContractModeSendsOnBuildingAndAcceptsOnlyTheRightCode)
{
    SignPageCodeDialog dialog(proofTime, codeS, nullptr, false, false);
    EXPECT_EQ(dialog.retSuc, 1);
    EXPECT_EQ(dialog.title(), u8("签署验证"));
    EXPECT_EQ(sent(kSendSign), 1);
    EXPECT_FALSE(dialog.verBtn->isEnabled());
    EXPECT_EQ(dialog.verBtn->text(), u8("已发送（60s）"));
    EXPECT_EQ(toasts.texts(), QStringList{u8("验证码已发送")});
    EXPECT_EQ(dialog.confirmButton()->text(), u8("确认签署"));

    // Nothing typed: a toast, nothing sent.
    dialog.confirmButton()->click();
    EXPECT_EQ(toasts.texts().last(), u8("验证码不能为空"));
    EXPECT_EQ(sent(kCheckSign), 0);

    // The field takes digits only, six at most.
    QTest::keyClicks(dialog.codeEdit(), "12a34567");
    EXPECT_EQ(dialog.codeEdit()->text(), "123456");

    // A wrong code: checked, the dialog stays for another try.
    dialog.confirmButton()->click();
    EXPECT_EQ(sent(kCheckSign), 1);
    EXPECT_NE(dialog.result(), QDialog::Accepted);

    dialog.codeEdit()->setText("246810");
    dialog.confirmButton()->click();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.code, "246810");
    EXPECT_FALSE(proofTime.isEmpty());
}

TEST_F(SmsCodeDialog, CountdownEndsAfterSixtyShownSecondsAndAResendStartsAnother)
{
    SignPageCodeDialog dialog(proofTime, codeS, nullptr, false, false);
    dialog.m_Timer->stop();   // the test drives the ticks
    QStringList shown;
    for (int i = 0; i < 60; i++) {
        dialog.updateText();
        shown << dialog.verBtn->text();
        EXPECT_FALSE(dialog.verBtn->isEnabled());
    }
    EXPECT_EQ(shown.first(), u8("已发送（60s）"));
    EXPECT_EQ(shown.last(), u8("已发送（1s）"));
    dialog.updateText();
    EXPECT_TRUE(dialog.verBtn->isEnabled());
    EXPECT_EQ(dialog.verBtn->text(), u8("获取验证码"));
    dialog.verBtn->click();
    EXPECT_EQ(sent(kSendSign), 2);
    EXPECT_FALSE(dialog.verBtn->isEnabled());
    EXPECT_TRUE(dialog.m_Timer->isActive());
}

TEST_F(SmsCodeDialog, AFailedSendIsReportedToTheCallerAndLeavesTheButtonEnabled)
{
    standin.script(kSendSign, StandinScript::withEnvelope(envelope(5000, "短信发送失败")));
    SignPageCodeDialog dialog(proofTime, codeS, nullptr, false, false);
    EXPECT_EQ(dialog.retSuc, 0);
    EXPECT_TRUE(dialog.verBtn->isEnabled());
    EXPECT_EQ(dialog.verBtn->text(), u8("发送短信验证码"));
    EXPECT_FALSE(dialog.m_Timer->isActive());
}

TEST_F(SmsCodeDialog, RejectingSendsNoCheck)
{
    SignPageCodeDialog dialog(proofTime, codeS, nullptr, true, false);
    EXPECT_EQ(dialog.title(), u8("授权验证"));
    dialog.codeEdit()->setText("246810");
    dialog.cancelButton()->click();
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_EQ(sent(kAffirm), 0);
}

// Accepting an authorisation: closed as accepted when it succeeded or is over for good (the
// caller reads the code); a refused code keeps the dialog open for another try.
TEST_F(SmsCodeDialog, AcceptanceClosesOnlyOnSuccessOrASettledGrant)
{
    struct Case {
        int code;
        bool accepted;
    } cases[] = {{10000, true}, {81000, true}, {60020, true}, {4000, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        standin.clearRequests();
        standin.script(kAccept, StandinScript::withEnvelope(envelope(c.code, "x")));
        codeS = 0;
        SignPageCodeDialog dialog(proofTime, codeS, nullptr, true, true);
        dialog.m_authId = "grant-1";
        EXPECT_EQ(sent(kSendAuth), 1);
        EXPECT_EQ(sent(kSendSign), 0);
        dialog.codeEdit()->setText("246810");
        dialog.confirmButton()->click();
        ASSERT_EQ(sent(kAccept), 1);
        EXPECT_EQ(lastBody(kAccept), (QJsonObject{{"authId", "grant-1"}, {"securityCode", "246810"}}));
        EXPECT_EQ(codeS, c.code);
        EXPECT_EQ(dialog.result() == QDialog::Accepted, c.accepted);
        standin.clearScripts();
    }
}
