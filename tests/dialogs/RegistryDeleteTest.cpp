// The USB-key registry and the signature deletion dialog.

#include "CloudTestSupport.h"
#include "DeleteSignatureDialog.h"
#include "DeviceBussiness.h"
#include "QtTestSupport.h"
#include "QuickMessageBox.h"
#include "StandinOpsAccount.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QThreadPool>
#include <QTimer>

namespace {

QString u8(const char* s)
{
    return QString::fromUtf8(s);
}

// Every test starts with an empty registry.
void emptyRegistry()
{
    auto* reg = DeviceBussiness::Instance();
    for (const QString& name : reg->getKeyContainInfoMap().keys())
        reg->pulloutDevice(name);
    reg->pulloutDevice("__none__");
    reg->setOutCount(0);
}

} // namespace

TEST(DeviceRegistry, InsertAndPullOutSignalOnceForRepeatedReports)
{
    emptyRegistry();
    auto* reg = DeviceBussiness::Instance();
    QSignalSpy in(reg, &DeviceBussiness::insertDevice_signal);
    QSignalSpy out(reg, &DeviceBussiness::pulloutDevice_signal);

    reg->insertDevice("A", "libA.so");
    reg->insertDevice("A", "libA.so");
    EXPECT_EQ(in.count(), 1);
    EXPECT_TRUE(reg->getKeyContainInfoMap().contains("A"));
    EXPECT_EQ(reg->getKeyContainInfo("A").deviceName, "A");

    // A, B, A: the guard compares with the last insertion only; A's record is reset.
    KeyContainInfo filled;
    filled.sealName = "seal";
    filled.readed = true;
    reg->insertKeyContainInfo("A", filled);
    EXPECT_EQ(reg->getKeyContainInfo("A").sealName, "seal");
    reg->insertDevice("B", "libB.so");
    reg->insertDevice("A", "libA.so");
    EXPECT_EQ(in.count(), 3);
    EXPECT_EQ(reg->getKeyContainInfo("A").sealName, QString());
    EXPECT_FALSE(reg->getKeyContainInfo("A").readed);
    EXPECT_EQ(reg->getKeyContainInfoMap().keys(), (QStringList{"A", "B"}));

    reg->pulloutDevice("A");
    reg->pulloutDevice("A");
    EXPECT_EQ(out.count(), 1);
    EXPECT_EQ(out.at(0).at(0).toString(), "A");
    EXPECT_EQ(reg->getOutCount(), 1);
    EXPECT_EQ(reg->getKeyContainInfoMap().keys(), QStringList{"B"});
    // Insert, remove, insert again: all three count.
    reg->insertDevice("A", "libA.so");
    EXPECT_EQ(in.count(), 4);

    // A name never inserted: still signalled.
    reg->setOutCount(0);
    reg->pulloutDevice("ghost");
    EXPECT_EQ(out.count(), 2);
    EXPECT_EQ(reg->getOutCount(), 1);

    const KeyContainInfo none = reg->getKeyContainInfo("never");
    EXPECT_EQ(none.isClound, -1);
    EXPECT_FALSE(none.readed);
    EXPECT_TRUE(none.sealName.isEmpty() && none.certData.isEmpty() && none.deviceName.isEmpty());
}

TEST(DeviceRegistry, DeviceLayerIsAbsentAndReadingWhileLoggedOutReportsNoRecord)
{
    emptyRegistry();
    auto* reg = DeviceBussiness::Instance();
    KeyContainInfo info;
    info.sealName = "kept";
    EXPECT_EQ(reg->readKeyContainInfo("A", info), 0);
    EXPECT_EQ(info.sealName, "kept");
    EXPECT_EQ(reg->rewriteCertFile("A", "cert"), -1);
    EXPECT_EQ(reg->verifyKeyPin("A", "123456"), -1);
    EXPECT_EQ(reg->motifyKeyPin("A", "1", "2"), -1);

    if (NetWorkBusiness::Instance()->getLoginState() == NetWorkBusiness::LOGINED)
        NetWorkBusiness::Instance()->getNetCodeInfo(51001);
    QSignalSpy begin(reg, &DeviceBussiness::beginReadUsbkey);
    QSignalSpy keyInfo(reg, &DeviceBussiness::setKeyInfo);
    reg->setCount(0);
    EXPECT_EQ(reg->readKeyData("A"), 0);
    QThreadPool::globalInstance()->waitForDone();
    EXPECT_EQ(begin.count(), 1);
    EXPECT_EQ(keyInfo.count(), 0);
    EXPECT_EQ(reg->getCount(), 1);
    EXPECT_EQ(QMetaType::type("KeyContainInfo"), qMetaTypeId<KeyContainInfo>());
}

TEST(DeleteSignatureDialogPin, ClosesItselfOnceNoKeyIsInsertedAndIgnoresOk)
{
    ScopedScreenZoom zoom(1.0f);
    emptyRegistry();
    auto* reg = DeviceBussiness::Instance();
    reg->insertDevice("K1", "lib");
    reg->insertDevice("K2", "lib");

    DeleteSignatureDialog dlg(0, "K1", u8("合同专用章"), nullptr);
    EXPECT_EQ(dlg.title(), u8("删除签名"));
    EXPECT_EQ(dlg.size(), QSize(296, 192));
    EXPECT_EQ(dlg.passwordEdit()->placeholderText(), u8("请输入密钥盘PIN码"));
    EXPECT_EQ(dlg.passwordEdit()->maxLength(), 6);
    EXPECT_EQ(dlg.sealNameComboBox()->count(), 1);
    EXPECT_EQ(dlg.sealNameComboBox()->itemText(0), u8("合同专用章"));
    ASSERT_TRUE(dlg.pollTimer());
    EXPECT_TRUE(dlg.pollTimer()->isActive());
    EXPECT_EQ(dlg.pollTimer()->interval(), 1000);

    bool openWithOneKey = false, openAfterOk = false;
    QTimer::singleShot(0, [&] {
        dlg.okButton()->click();
        openAfterOk = dlg.isVisible();
        // Removing the named key while another stays leaves the dialog open.
        reg->pulloutDevice("K1");
        dlg.on_timer_timeout();
        openWithOneKey = dlg.isVisible();
        reg->pulloutDevice("K2");
        dlg.on_timer_timeout();
    });
    EXPECT_EQ(dlg.exec(), QDialog::Rejected);
    EXPECT_TRUE(openAfterOk);
    EXPECT_TRUE(openWithOneKey);
    EXPECT_FALSE(dlg.pollTimer()->isActive());
}

class DeleteSignatureDialogPassword : public CloudTest
{
protected:
    void SetUp() override
    {
        CloudTest::SetUp();
        ASSERT_TRUE(login());
    }
    ScopedScreenZoom zoom{1.0f};
    ScopedUiDurationScale fast{0.0};
    QuickMessageBoxSpy toasts;
};

TEST_F(DeleteSignatureDialogPassword, WrongPasswordKeepsTheTextAndKeypadEnterSubmits)
{
    DeleteSignatureDialog dlg(1, QString(), u8("张三"), nullptr);
    EXPECT_FALSE(dlg.pollTimer());
    EXPECT_EQ(dlg.passwordEdit()->placeholderText(), u8("请输入签署密码"));
    EXPECT_TRUE(dlg.errorLabel()->isHidden());

    // An empty entry still asks the service.
    dlg.okButton()->click();
    EXPECT_EQ(standin.requests("/eseal-usermanage/user/checkSignPassword").size(), 1);
    ASSERT_EQ(toasts.count(), 1);
    EXPECT_EQ(toasts.shown().last().type, qmt_error);

    dlg.passwordEdit()->setText("000000");
    dlg.okButton()->click();
    EXPECT_EQ(toasts.texts().last(), u8("签署密码错误"));
    EXPECT_EQ(dlg.passwordEdit()->text(), "000000");
    EXPECT_NE(dlg.result(), QDialog::Accepted);

    standin.script("/eseal-usermanage/user/checkSignPassword",
                   StandinScript::withEnvelope(QJsonObject{{"code", 4100}, {"msg", ""}}));
    dlg.okButton()->click();
    EXPECT_EQ(toasts.texts().last(), u8("签署密码输入错误，请重新输入！"));
    standin.clearScripts();

    dlg.passwordEdit()->setText(kStandinSignPassword);
    const int asked = standin.requests("/eseal-usermanage/user/checkSignPassword").size();
    QTimer::singleShot(0, [&] {
        // Return does nothing; the keypad's Enter submits.
        QTest::keyClick(dlg.passwordEdit(), Qt::Key_Return);
        EXPECT_EQ(standin.requests("/eseal-usermanage/user/checkSignPassword").size(), asked);
        QTest::keyClick(dlg.passwordEdit(), Qt::Key_Enter, Qt::KeypadModifier);
    });
    EXPECT_EQ(dlg.exec(), QDialog::Accepted);
}

TEST_F(DeleteSignatureDialogPassword, EscapeAndCloseButtonReject)
{
    DeleteSignatureDialog dlg(1, QString(), u8("张三"), nullptr);
    QTimer::singleShot(0, [&] { QTest::keyClick(dlg.passwordEdit(), Qt::Key_Escape); });
    EXPECT_EQ(dlg.exec(), QDialog::Rejected);
    QTimer::singleShot(0, [&] { dlg.closeButton()->click(); });
    EXPECT_EQ(dlg.exec(), QDialog::Rejected);
    EXPECT_EQ(standin.requests("/eseal-usermanage/user/checkSignPassword").size(), 0);
}
