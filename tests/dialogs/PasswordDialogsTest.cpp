// The signing-password keypad and the signing-password form against the stand-in service.

#include "CloudTestSupport.h"
#include "DeviceBussiness.h"
#include "GlobalHeader.h"
#include "ParentDialog.h"
#include "QtTestSupport.h"
#include "QuickMessageBox.h"
#include "SignPasswdDialog.h"
#include "SoftKeyboard.h"
#include "StandinOpsAccount.h"

#include <QApplication>
#include <QGridLayout>
#include <QJsonDocument>
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

const char* const kCheck = "/eseal-usermanage/user/checkSignPassword";
const char* const kReset = "/eseal-usermanage/user/resetSignPassword";
const char* const kUpdate = "/eseal-usermanage/user/updateSignPassword";

QStringList keyTexts(const SoftKeyboard& kb)
{
    QStringList texts;
    for (QPushButton* k : kb.keys())
        texts << k->text();
    return texts;
}

void press(SoftKeyboard& kb, const QString& text)
{
    for (QPushButton* k : kb.keys())
        if (k->text() == text) {
            k->click();
            return;
        }
    ADD_FAILURE() << "no key " << text.toStdString();
}

void type(SoftKeyboard& kb, const QString& digits)
{
    for (QChar c : digits)
        press(kb, QString(c));
}

int filledBoxes(const SoftKeyboard& kb)
{
    int n = 0;
    for (int i = 0; i < 6; ++i)
        n += kb.box(i)->text().isEmpty() ? 0 : 1;
    return n;
}

// The first visible top-level widget of type T other than `except`.
template <typename T>
T* findOpen(QWidget* except = nullptr)
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* t = qobject_cast<T*>(w); t && t != except && t->isVisible())
            return t;
    return nullptr;
}

class PasswordDialogs : public CloudTest
{
protected:
    void SetUp() override
    {
        CloudTest::SetUp();
        ASSERT_TRUE(login());
    }
    int sent(const char* path) const { return standin.requests(path).size(); }
    QJsonObject lastBody(const char* path) const
    {
        const auto r = standin.requests(path);
        return r.isEmpty() ? QJsonObject() : QJsonDocument::fromJson(r.last().body).object();
    }

    ScopedScreenZoom zoom{1.0f};
    ScopedUiDurationScale fast{0.0};
    QuickMessageBoxSpy toasts;
};

} // namespace

TEST(SoftKeyboardLayout, TenDigitsOnceClearKeysInTheBottomRowAndSixReadOnlyBoxes)
{
    ScopedScreenZoom zoom(1.0f);
    SoftKeyboard a(1, QString(), nullptr);
    SoftKeyboard b(1, QString(), nullptr);
    const QStringList ta = keyTexts(a);
    ASSERT_EQ(ta.size(), 12);
    EXPECT_EQ(ta.at(9), u8("清空"));
    EXPECT_EQ(ta.at(11), u8("清除"));
    QStringList digits = ta;
    digits.removeAt(11);
    digits.removeAt(9);
    QStringList sorted = digits;
    sorted.sort();
    EXPECT_EQ(sorted, (QStringList{"0", "1", "2", "3", "4", "5", "6", "7", "8", "9"}));
    // Each keypad draws its own order (the chance of two equal orders is 1 in 3628800).
    EXPECT_NE(keyTexts(a), keyTexts(b));

    // Grid: "清空" bottom left, "清除" bottom right.
    auto* grid = a.contentWidget()->findChild<QGridLayout*>();
    ASSERT_TRUE(grid);
    EXPECT_EQ(grid->itemAtPosition(3, 0)->widget(), a.keys().at(9));
    EXPECT_EQ(grid->itemAtPosition(3, 2)->widget(), a.keys().at(11));

    for (int i = 0; i < 6; ++i) {
        EXPECT_TRUE(a.box(i)->isReadOnly());
        EXPECT_EQ(a.box(i)->echoMode(), QLineEdit::Password);
    }
    EXPECT_EQ(a.title(), u8("输入签署密码"));
    EXPECT_EQ(a.size(), QSize(222, 296));
    EXPECT_TRUE(a.findChild<QPushButton*>("pBtnUpdatePasswd"));
    EXPECT_TRUE(a.findChild<QPushButton*>("pBtnResetPasswd"));

    SoftKeyboard pin(0, "dev0", nullptr);
    EXPECT_EQ(pin.title(), u8("输入电子盘PIN码"));
    EXPECT_FALSE(pin.findChild<QPushButton*>("pBtnUpdatePasswd"));
}

TEST(SoftKeyboardLayout, RandomGivesDistinctValuesInRange)
{
    const QList<int> v = random(10, 10);
    ASSERT_EQ(v.size(), 10);
    QList<int> s = v;
    std::sort(s.begin(), s.end());
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(s.at(i), i);
    EXPECT_EQ(random(5, 3).size(), 3);
    EXPECT_TRUE(random(0, 3).isEmpty());
}

TEST(SoftKeyboardLayout, EditingKeysAndPinKeypadNeverAccepts)
{
    ScopedScreenZoom zoom(1.0f);
    SoftKeyboard kb(0, "dev0", nullptr);
    press(kb, u8("清除"));
    press(kb, u8("清空"));
    EXPECT_EQ(kb.entry(), QString());
    type(kb, "123");
    EXPECT_EQ(kb.entry(), "123");
    EXPECT_EQ(filledBoxes(kb), 3);
    press(kb, u8("清除"));
    EXPECT_EQ(kb.entry(), "12");
    EXPECT_EQ(filledBoxes(kb), 2);
    press(kb, u8("清空"));
    EXPECT_EQ(filledBoxes(kb), 0);
    // A PIN cannot be checked here: the sixth digit clears the entry and the keypad stays.
    type(kb, "123456");
    EXPECT_EQ(kb.entry(), QString());
    EXPECT_EQ(filledBoxes(kb), 0);
    EXPECT_NE(kb.result(), QDialog::Accepted);
    // Keys of the physical keyboard type nothing.
    QTest::keyClicks(&kb, "12");
    EXPECT_EQ(kb.entry(), QString());
}

TEST_F(PasswordDialogs, KeypadChecksAtTheSixthDigitAndResetsAfterAWrongPassword)
{
    SoftKeyboard kb(1, QString(), nullptr);
    type(kb, "00000");
    EXPECT_EQ(sent(kCheck), 0);
    EXPECT_EQ(filledBoxes(kb), 5);
    type(kb, "0");
    EXPECT_EQ(sent(kCheck), 1);
    EXPECT_EQ(lastBody(kCheck), (QJsonObject{{"signPassword", "000000"}}));
    ASSERT_EQ(toasts.count(), 1);
    EXPECT_EQ(toasts.shown().last().type, qmt_error);
    EXPECT_EQ(toasts.shown().last().ms, 2000);
    EXPECT_FALSE(toasts.texts().last().isEmpty());
    EXPECT_EQ(kb.entry(), QString());
    EXPECT_EQ(filledBoxes(kb), 0);
    EXPECT_NE(kb.result(), QDialog::Accepted);

    // A failed check without any message shows the keypad's own text.
    standin.script(kCheck, StandinScript::withEnvelope(QJsonObject{{"code", 4100}, {"msg", ""}}));
    type(kb, "111111");
    EXPECT_EQ(toasts.texts().last(), u8("签署密码错误, 请重新输入！"));
    standin.clearScripts();

    // The right password closes the running keypad with 1, without a confirm button.
    QTimer::singleShot(0, [&] { type(kb, kStandinSignPassword); });
    EXPECT_EQ(kb.exec(), QDialog::Accepted);
    EXPECT_EQ(toasts.count(), 2);
}

TEST_F(PasswordDialogs, KeypadEscapeRejects)
{
    SoftKeyboard kb(1, QString(), nullptr);
    QTimer::singleShot(0, [&] { QTest::keyClick(&kb, Qt::Key_Escape); });
    EXPECT_EQ(kb.exec(), QDialog::Rejected);
    EXPECT_EQ(sent(kCheck), 0);
}

TEST_F(PasswordDialogs, KeypadResetLinkKeepsTheKeypadOpenWithItsEntry)
{
    SoftKeyboard kb(1, QString(), nullptr);
    type(kb, "12");
    // Cancelled: nothing shown.
    QTimer::singleShot(0, [&] {
        if (auto* d = findOpen<SignPasswdDialog>())
            d->reject();
    });
    kb.slotResetPasswd();
    EXPECT_EQ(toasts.count(), 0);

    QString title;
    QTimer::singleShot(0, [&] {
        auto* d = findOpen<SignPasswdDialog>();
        ASSERT_TRUE(d);
        title = d->title();
        d->loginPasswdEdit()->setText(kPassword);
        d->signPasswd1Edit()->setText("246801");
        d->signPasswd2Edit()->setText("246801");
        d->slotOK();
    });
    kb.slotResetPasswd();
    EXPECT_EQ(title, u8("设置签署密码"));
    EXPECT_EQ(toasts.texts(), QStringList{u8("签署密码重置成功!")});
    EXPECT_EQ(toasts.shown().last().type, qmt_succ);
    EXPECT_EQ(kb.entry(), "12");
    EXPECT_FALSE(kb.isVisible() && kb.result() == QDialog::Accepted);
    type(kb, "2468");
    EXPECT_EQ(lastBody(kCheck), (QJsonObject{{"signPassword", "122468"}}));
    QString err;
    EXPECT_TRUE(client->checkSignPassword("246801", err));
}

TEST_F(PasswordDialogs, ResetFormValidatesInOrderBeforeAskingTheService)
{
    SignPasswdDialog dlg(SignPasswdDialog::ResetPassword, nullptr);
    EXPECT_EQ(dlg.title(), u8("设置签署密码"));
    EXPECT_TRUE(dlg.customaryEdit()->parentWidget()->isHidden());
    EXPECT_FALSE(dlg.loginPasswdEdit()->parentWidget()->isHidden());
    EXPECT_EQ(dlg.size(), QSize(310, 274));

    struct Case {
        const char* login;
        const char* p1;
        const char* p2;
        const char* toast;
    } cases[] = {
        {"", "", "", "请输入登录密码!"},
        {"", "123456", "123456", "请输入登录密码!"},
        {"x", "", "123456", "请输入签署密码!"},
        {"x", "123456", "", "请输入签署密码!"},
        {"x", "123456", "123457", "签署密码输入不一致!"},
    };
    for (const Case& c : cases) {
        dlg.loginPasswdEdit()->setText(u8(c.login));
        dlg.signPasswd1Edit()->setText(c.p1);
        dlg.signPasswd2Edit()->setText(c.p2);
        dlg.slotOK();
        EXPECT_EQ(toasts.texts().last(), u8(c.toast)) << c.login << "/" << c.p1 << "/" << c.p2;
        EXPECT_EQ(toasts.shown().last().type, qmt_error);
    }
    EXPECT_EQ(sent(kReset), 0);

    // The service's refusal is shown and the fields stay.
    dlg.loginPasswdEdit()->setText("wrong");
    dlg.signPasswd1Edit()->setText("7");
    dlg.signPasswd2Edit()->setText("7");
    dlg.slotOK();
    EXPECT_EQ(toasts.texts().last(), u8("登录密码错误"));
    EXPECT_EQ(dlg.loginPasswdEdit()->text(), "wrong");
    EXPECT_NE(dlg.result(), QDialog::Accepted);

    // An error code without a message is no success.
    standin.script(kReset, StandinScript::withEnvelope(QJsonObject{{"code", 4100}, {"msg", ""}}));
    dlg.loginPasswdEdit()->setText(kPassword);
    dlg.slotOK();
    EXPECT_FALSE(toasts.texts().last().isEmpty());
    EXPECT_NE(dlg.result(), QDialog::Accepted);
    standin.clearScripts();

    // A single digit goes to the service as typed; the service judges it.
    dlg.slotOK();
    EXPECT_EQ(lastBody(kReset), (QJsonObject{{"signPassword", "7"}, {"userPassword", kPassword}}));
    EXPECT_EQ(toasts.texts().last(), u8("签署密码须为6位数字"));
    EXPECT_NE(dlg.result(), QDialog::Accepted);

    const int before = toasts.count();
    dlg.signPasswd1Edit()->setText("135790");
    dlg.signPasswd2Edit()->setText("135790");
    dlg.slotOK();
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(toasts.count(), before);
    QString err;
    EXPECT_TRUE(client->checkSignPassword("135790", err));
}

TEST_F(PasswordDialogs, UpdateFormChecksTheOldPasswordFirstAndSendsOldAndNew)
{
    SignPasswdDialog dlg(SignPasswdDialog::UpdatePassword, nullptr);
    EXPECT_EQ(dlg.title(), u8("修改签署密码"));
    EXPECT_TRUE(dlg.loginPasswdEdit()->parentWidget()->isHidden());
    EXPECT_FALSE(dlg.customaryEdit()->parentWidget()->isHidden());

    dlg.slotOK();
    EXPECT_EQ(toasts.texts().last(), u8("请输入原签署密码!"));
    dlg.customaryEdit()->setText("000000");
    dlg.slotOK();
    EXPECT_EQ(toasts.texts().last(), u8("请输入签署密码!"));
    dlg.signPasswd1Edit()->setText("654321");
    dlg.signPasswd2Edit()->setText("654320");
    dlg.slotOK();
    EXPECT_EQ(toasts.texts().last(), u8("签署密码输入不一致!"));
    EXPECT_EQ(sent(kUpdate), 0);

    dlg.signPasswd2Edit()->setText("654321");
    dlg.slotOK();
    EXPECT_EQ(toasts.texts().last(), u8("原签署密码错误"));
    EXPECT_NE(dlg.result(), QDialog::Accepted);

    dlg.customaryEdit()->setText(kStandinSignPassword);
    dlg.slotOK();
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(lastBody(kUpdate), (QJsonObject{{"signPassword", kStandinSignPassword}, {"newSignPassword", "654321"}}));
    QString err;
    EXPECT_TRUE(client->checkSignPassword("654321", err));
}

TEST(SignPasswdForm, SigningPasswordEditsTakeAtMostSixDigits)
{
    ScopedScreenZoom zoom(1.0f);
    SignPasswdDialog dlg(SignPasswdDialog::ResetPassword, nullptr);
    QTest::keyClicks(dlg.signPasswd1Edit(), "12a3b4567");
    EXPECT_EQ(dlg.signPasswd1Edit()->text(), "123456");
    QTest::keyClicks(dlg.customaryEdit(), "x9");
    EXPECT_EQ(dlg.customaryEdit()->text(), "9");
    QTest::keyClicks(dlg.loginPasswdEdit(), "Ab1!");
    EXPECT_EQ(dlg.loginPasswdEdit()->text(), "Ab1!");
}

TEST_F(PasswordDialogs, RegistryReadReportsTheKeyWhileLoggedIn)
{
    auto* reg = DeviceBussiness::Instance();
    QSignalSpy begin(reg, &DeviceBussiness::beginReadUsbkey);
    QSignalSpy info(reg, &DeviceBussiness::setKeyInfo);
    reg->setCount(0);
    EXPECT_EQ(reg->readKeyData("keyLoggedIn"), 0);
    QThreadPool::globalInstance()->waitForDone();
    ASSERT_TRUE(waitUntil([&] { return info.count() == 1; }));
    EXPECT_EQ(begin.count(), 1);
    EXPECT_EQ(info.at(0).at(0).toInt(), 0);
    const QVariant v = info.at(0).at(1);
    EXPECT_STREQ(v.typeName(), "KeyContainInfo");
    EXPECT_EQ(v.value<KeyContainInfo>().isClound, -1);
    EXPECT_EQ(reg->getCount(), 1);
}
