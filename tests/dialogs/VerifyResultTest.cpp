// The verification result dialog: pages, verdicts, texts, sizes and the time conversions.

#include "QtTestSupport.h"
#include "VerifySignatureDialog.h"

#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

namespace {

QString u8(const char* s)
{
    return QString::fromUtf8(s);
}

// Pins the time zone for the life of the object.
class ScopedTz
{
public:
    explicit ScopedTz(const char* tz)
    {
        const char* old = std::getenv("TZ");
        m_had = old != nullptr;
        if (old)
            m_old = old;
        setenv("TZ", tz, 1);
        tzset();
    }
    ~ScopedTz()
    {
        if (m_had)
            setenv("TZ", m_old.c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }

private:
    bool m_had = false;
    std::string m_old;
};

QList<QByteArray> g_viewed;
void recordViewer(const QByteArray& cert)
{
    g_viewed << cert;
}

class VerifyResult : public ::testing::Test
{
protected:
    void SetUp() override
    {
        g_viewed.clear();
        VerifySignatureDialog::setCertViewer(&recordViewer);
    }
    void TearDown() override { VerifySignatureDialog::setCertViewer(nullptr); }

    // What the view does after a completed verification.
    void fill(VerifySignatureDialog& d, int doc, int cert, int ts, const QString& docName = u8("合同.pdf"))
    {
        d.docVerifyResult(doc, docName, "2024-05-06 07:08:09", "SIGNCERT", u8("李四"));
        d.certVerifyResult(cert);
        d.timestapVerifyResult(ts, "TSCERT", "Mar 5 02:07:09.123456 2021");
        d.sourceInfo(u8("某某公司"), u8("某某公安局"), "1600000000");
        d.result(0);
        d.resizeInterface();
    }

    ScopedScreenZoom zoom{1.0f};
    ScopedTz tz{"UTC"};
};

} // namespace

TEST_F(VerifyResult, ValidSignatureShowsTheMedalAndEveryFrame)
{
    VerifySignatureDialog d(nullptr);
    EXPECT_EQ(d.currentPage(), 1);
    EXPECT_EQ(d.title(), u8("验证签名"));
    fill(d, 0, 0, 0);
    EXPECT_EQ(d.currentPage(), 0);
    EXPECT_EQ(d.verdictText(), u8("签章有效！"));
    EXPECT_TRUE(d.verdictIcon().endsWith("medal.svg"));
    EXPECT_EQ(d.label("docResult")->text(), u8("文档验证成功"));
    EXPECT_EQ(d.label("docContent")->text(), u8("文档内容未被篡改"));
    EXPECT_EQ(d.label("docIcon")->property("icon").toString(), "doc");
    EXPECT_EQ(d.label("ldoc")->text(), u8("签名文档"));
    EXPECT_EQ(d.label("docsignedName")->text(), u8("合同.pdf"));
    EXPECT_EQ(d.label("signedTime")->text(), "2024-05-06 07:08:09");
    EXPECT_EQ(d.label("certResult")->text(), u8("证书验证成功"));
    EXPECT_EQ(d.label("certTime")->text(), u8("证书在有效期内"));
    EXPECT_EQ(d.label("parentCert")->text(), u8("验证根证书成功"));
    EXPECT_EQ(d.label("tsResult")->text(), u8("时间戳验证成功"));
    EXPECT_EQ(d.label("timeStamp")->text(), u8("时间戳有效"));
    EXPECT_EQ(d.label("timeStamptime")->text(), "2021-03-05 10:07:09.123456");
    EXPECT_EQ(d.label("unitName")->text(), u8("某某公司"));
    EXPECT_EQ(d.label("recordCompany")->text(), u8("某某公安局"));
    EXPECT_EQ(d.label("recordTime")->text(), "2020-09-13 12:26:40");
    EXPECT_EQ(d.size(), QSize(513, 400));

    // The certificate button shows the signer's certificate; the link the authority's, on release.
    for (QPushButton* b : d.findChildren<QPushButton*>())
        if (b->text() == u8("查看证书"))
            b->click();
    QLabel* link = d.label("shawTsaCert");
    QTest::mousePress(link, Qt::LeftButton);
    EXPECT_EQ(g_viewed, QList<QByteArray>{"SIGNCERT"});
    QTest::mouseRelease(link, Qt::LeftButton);
    EXPECT_EQ(g_viewed, (QList<QByteArray>{"SIGNCERT", "TSCERT"}));
}

TEST_F(VerifyResult, ChangedDocumentAndUnknownCertificateAreInvalid)
{
    VerifySignatureDialog changed(nullptr);
    fill(changed, 1, 0, 0);
    EXPECT_EQ(changed.verdictText(), u8("签章无效！"));
    EXPECT_TRUE(changed.verdictIcon().endsWith("error.svg"));
    EXPECT_EQ(changed.label("docResult")->text(), u8("文档验证失败"));
    EXPECT_EQ(changed.label("docContent")->text(), u8("文档内容已被篡改"));
    EXPECT_EQ(changed.label("docIcon")->property("icon").toString(), "doc_error");
    EXPECT_EQ(changed.label("certResult")->text(), u8("证书验证成功"));

    VerifySignatureDialog unknown(nullptr);
    fill(unknown, 0, 3057, 0, QString());
    EXPECT_EQ(unknown.verdictText(), u8("签章无效！"));
    EXPECT_EQ(unknown.label("certResult")->text(), u8("证书验证失败"));
    EXPECT_EQ(unknown.label("certIcon")->property("icon").toString(), "cert_error");
    EXPECT_EQ(unknown.label("docResult")->text(), u8("文档验证成功"));
    // No document name: the signer is shown instead.
    EXPECT_EQ(unknown.label("ldoc")->text(), u8("签名者"));
    EXPECT_EQ(unknown.label("docsignedName")->text(), u8("李四"));

    VerifySignatureDialog badTs(nullptr);
    fill(badTs, 0, 0, 2);
    EXPECT_EQ(badTs.verdictText(), u8("签章无效！"));
    EXPECT_EQ(badTs.label("tsResult")->text(), u8("时间戳验证失败"));
    EXPECT_EQ(badTs.label("timeStamp")->text(), u8("时间戳验证无效"));
}

// The certificate frame says only what was checked: the chain to a trusted root and the
// validity at the signing time; revocation is never checked.
TEST_F(VerifyResult, CertificateFrameSaysWhatWasChecked)
{
    struct Case {
        int state;
        const char* verdict;
        const char* icon;
        const char* root;
        const char* time;
        const char* overall;
    } cases[] = {
        {0, "证书验证成功", "cert", "验证根证书成功", "证书在有效期内", "签章有效！"},
        {1, "证书未验证", "cert_warning", "根证书未验证", "证书在有效期内", "签章有效，但签名者身份未验证！"},
        {2, "证书验证失败", "cert_error", "验证根证书成功", "签名时证书不在有效期内", "签章无效！"},
        {3, "证书验证失败", "cert_error", "根证书未验证", "签名时证书不在有效期内", "签章无效！"},
        {3057, "证书验证失败", "cert_error", "根证书未验证", "证书有效期未验证", "签章无效！"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.state);
        VerifySignatureDialog d(nullptr);
        fill(d, 0, c.state, 0);
        EXPECT_EQ(d.label("certResult")->text(), u8(c.verdict));
        EXPECT_EQ(d.label("certIcon")->property("icon").toString(), c.icon);
        EXPECT_EQ(d.label("parentCert")->text(), u8(c.root));
        EXPECT_EQ(d.label("certTime")->text(), u8(c.time));
        EXPECT_EQ(d.label("certrevList")->text(), u8("未检查吊销状态"));
        EXPECT_EQ(d.verdictText(), u8(c.overall));
    }
    // A warning never outweighs a failure elsewhere.
    VerifySignatureDialog changed(nullptr);
    fill(changed, 1, 1, 0);
    EXPECT_EQ(changed.verdictText(), u8("签章无效！"));
    VerifySignatureDialog warned(nullptr);
    fill(warned, 0, 1, 0);
    EXPECT_TRUE(warned.verdictIcon().endsWith("warning.svg"));
    EXPECT_EQ(warned.label("certResult")->property("mode").toString(), "style67");
}

TEST_F(VerifyResult, HiddenFramesShrinkTheDialogWithoutSpoilingTheVerdict)
{
    VerifySignatureDialog noTs(nullptr);
    noTs.docVerifyResult(0, "a.pdf", "t", "C", "s");
    noTs.certVerifyResult(0);
    noTs.timestapVerifyResult(-1, "TS", "Mar 5 02:07:09.1 2021");
    noTs.sourceInfo("u", "r", "1600000000");
    noTs.result(0);
    noTs.resizeInterface();
    EXPECT_TRUE(noTs.frame("ts")->isHidden());
    EXPECT_TRUE(noTs.tsCert().isEmpty());
    EXPECT_EQ(noTs.verdictText(), u8("签章有效！"));
    EXPECT_EQ(noTs.size(), QSize(513, 330));

    VerifySignatureDialog both(nullptr);
    both.docVerifyResult(0, "a.pdf", "t", "C", "s");
    both.certVerifyResult(0);
    both.timestapVerifyResult(-1, "", "");
    both.sourceInfo("u", "", "1600000000");
    both.result(0);
    both.resizeInterface();
    EXPECT_TRUE(both.frame("record")->isHidden());
    EXPECT_EQ(both.size(), QSize(513, 274));
}

TEST_F(VerifyResult, ServiceFailurePagesAndErrorCodes)
{
    VerifySignatureDialog net(nullptr);
    net.result(1);
    EXPECT_EQ(net.currentPage(), 1);
    EXPECT_EQ(net.label("ErrorText1")->text(), u8("网络中断 无法完成验证"));
    net.result(40000);
    EXPECT_EQ(net.label("ErrorText1")->text(), u8("签名验证服务异常"));
    EXPECT_EQ(net.label("ErrorText2")->text(), u8("证书或签名服务调用异常，请联系管理员"));
    net.result(7);
    EXPECT_EQ(net.currentPage(), 1);

    struct Case {
        int code;
        const char* text;
    } cases[] = {
        {400, "此此文件中设置了密码不能验证"},
        {402, "此文件已损坏不能进行验证"},
        {3052, "http请求接收到的数据为空"},
        {3058, "验证失败，解析签名证书公钥失败"},
        {3110, "制章人证书时间已过期"},
        {3112, "电子印章已过期"},
        {3121, "签名时间不在电子印章制作时间\n与电子印章结束时间范围内"},
        {3122, "验证电子印章签名失败"},
        {403, ""},
    };
    for (const Case& c : cases) {
        VerifySignatureDialog d(nullptr);
        d.setError(c.code);
        EXPECT_EQ(d.currentPage(), 2) << c.code;
        EXPECT_EQ(d.label("pLabErrorText")->text(), u8(c.text)) << c.code;
        EXPECT_EQ(d.size(), QSize(184, 128));
    }
}

TEST(VerifyTimes, TimeStampTimeIsShownAtUtcPlusEight)
{
    ScopedTz tz("UTC");
    struct Case {
        const char* in;
        const char* out;
    } cases[] = {
        {"Mar 5 02:07:09.123456 2021", "2021-03-05 10:07:09.123456"},
        {"Dec 31 20:00:00.5 2020", "2021-01-01 04:00:00.000005"},
        {"Mar 5 02:07:09.123456 2021 GMT", "2021-03-05 10:07:09.123456"},
        // No fraction: the year stays unread, the text is shown as it came.
        {"Mar 5 02:07:09 2021", "Mar 5 02:07:09 2021"},
        // Month names other than the twelve abbreviations, long ones included, are shown unchanged.
        {"September 5 02:07:09.1 2021", "September 5 02:07:09.1 2021"},
        {"mar 5 02:07:09.1 2021", "mar 5 02:07:09.1 2021"},
        {"", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(tsatime_to_time(c.in), QString::fromLatin1(c.out)) << c.in;
    // A very long text does not overrun anything.
    const QByteArray longText(4096, 'x');
    EXPECT_EQ(tsatime_to_time(longText), QString::fromLatin1(longText));
    // The display does not depend on the machine's zone.
    ScopedTz shanghai("CST-8");
    EXPECT_EQ(tsatime_to_time("Mar 5 02:07:09.123456 2021"), "2021-03-05 10:07:09.123456");
}

TEST(VerifyTimes, RecordTimeIsLocalAndOnlyAfterTheYear2000)
{
    ScopedScreenZoom zoom(1.0f);
    {
        ScopedTz tz("UTC");
        EXPECT_EQ(tsatime_to_time1(946656001), "1999-12-31 16:00:01");
        EXPECT_EQ(tsatime_to_time1(0), "1970-01-01 00:00:00");
    }
    ScopedTz tz("CST-8");
    EXPECT_EQ(tsatime_to_time1(946656001), "2000-01-01 00:00:01");
    struct Case {
        const char* in;
        const char* out;
    } cases[] = {{"946656000", "946656000"}, {"946656001", "2000-01-01 00:00:01"}, {"abc", "abc"},
                 {"99999999999", "99999999999"}};
    for (const Case& c : cases) {
        VerifySignatureDialog d(nullptr);
        d.sourceInfo("u", "r", c.in);
        EXPECT_EQ(d.label("recordTime")->text(), c.out) << c.in;
    }
}
