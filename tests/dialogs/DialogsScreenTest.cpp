// Runs under a real X server (xvfb-run with a 1024 x 768 screen): pictures of the keypad, the
// verification result dialog and the certificate view.
#include "QtTestSupport.h"
#include "CertView.h"
#include "DeleteSignatureDialog.h"
#include "SignPasswdDialog.h"
#include "CryptoTestUtil.h"
#include "GlobalHeader.h"
#include "SoftKeyboard.h"
#include "StyleSheet.h"
#include "VerifySignatureDialog.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

namespace {

QString u8(const char* s)
{
    return QString::fromUtf8(s);
}

class DialogsScreen : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        initViewInfo();
        QFont font("Microsoft YaHei");
        font.setPixelSize(12);
        QApplication::setFont(font);
        qApp->setStyleSheet(style());
    }
};

TEST_F(DialogsScreen, Keypad)
{
    ASSERT_FLOAT_EQ(screenZoom, 1.0f);
    SoftKeyboard kb(1, QString(), nullptr);
    for (QPushButton* k : kb.keys())
        if (k->text() == "1" || k->text() == "2")
            k->click();
    const QImage img = screenshot(kb, "keypad.png");
    EXPECT_EQ(img.size(), QSize(222, 296));
    EXPECT_GT(distinctColours(img), 20);
}

TEST_F(DialogsScreen, PasswordAndDeletionForms)
{
    SignPasswdDialog form(SignPasswdDialog::UpdatePassword, nullptr);
    EXPECT_GT(distinctColours(screenshot(form, "sign_password_form.png")), 10);
    DeleteSignatureDialog del(1, QString(), u8("李四"), nullptr);
    EXPECT_GT(distinctColours(screenshot(del, "delete_signature.png")), 10);
}

TEST_F(DialogsScreen, VerificationResult)
{
    VerifySignatureDialog d(nullptr);
    d.docVerifyResult(0, u8("采购合同.pdf"), "2024-05-06 15:08:09", "", u8("李四"));
    d.certVerifyResult(0);
    d.timestapVerifyResult(0, "", "Mar 5 02:07:09.123456 2021");
    d.sourceInfo(u8("某某科技有限公司"), u8("某某市公安局"), "1600000000");
    d.result(0);
    d.resizeInterface();
    const QImage img = screenshot(d, "verify_result.png");
    EXPECT_EQ(img.size(), QSize(513, 400));
    EXPECT_GT(distinctColours(img), 20);
    // The result frames wear their green border.
    QWidget* frame = d.frame("doc");
    const QPoint edge = frame->mapTo(&d, QPoint(0, frame->height() / 2));
    EXPECT_EQ(QColor(img.pixel(edge)), QColor("#31CA84"));

    VerifySignatureDialog bad(nullptr);
    bad.docVerifyResult(1, u8("采购合同.pdf"), "2024-05-06 15:08:09", "", u8("李四"));
    bad.certVerifyResult(1);
    bad.timestapVerifyResult(-1, "", "");
    bad.sourceInfo("", "", "");
    bad.result(0);
    bad.resizeInterface();
    screenshot(bad, "verify_result_invalid.png");

    // An unchanged document whose signer's certificate leads to no trusted root.
    VerifySignatureDialog unverified(nullptr);
    unverified.docVerifyResult(0, QString(), "2024-05-06 15:08:09", "", u8("李四"));
    unverified.certVerifyResult(1);
    unverified.timestapVerifyResult(0, "", "Mar 5 02:07:09.123456 2021");
    unverified.sourceInfo(u8("某某科技有限公司"), u8("某某市公安局"), "1600000000");
    unverified.result(0);
    unverified.resizeInterface();
    const QImage chain = screenshot(unverified, "verify_result_chain_unverified.png");
    EXPECT_EQ(chain.size(), QSize(513, 400));
    // The certificate verdict is drawn in the warning colour.
    QLabel* verdict = unverified.label("certResult");
    bool orange = false;
    for (int y = 0; y < verdict->height() && !orange; ++y)
        for (int x = 0; x < verdict->width() && !orange; ++x) {
            const QColor c(chain.pixel(verdict->mapTo(&unverified, QPoint(x, y))));
            orange = c.red() > 200 && c.green() > 140 && c.green() < 200 && c.blue() < 120;
        }
    EXPECT_TRUE(orange);

    VerifySignatureDialog net(nullptr);
    net.result(1);
    screenshot(net, "verify_network_error.png");
}

TEST_F(DialogsScreen, CertificateView)
{
    PkeyPtr key = makeSm2Key();
    CertSpec recipe;
    recipe.subject = {{"C", "CN"}, {"O", u8("某某科技有限公司").toStdString()}, {"CN", u8("李四").toStdString()}};
    recipe.keyUsage = "digitalSignature,nonRepudiation";
    X509Ptr cert = makeCert(key.get(), recipe);
    CCertView view(QByteArray::fromStdString(base64(toDer(cert.get()))), nullptr);
    const QImage img = screenshot(view, "cert_view.png");
    EXPECT_EQ(img.size(), QSize(537, 488));
    EXPECT_GT(distinctColours(img), 20);
}

} // namespace
