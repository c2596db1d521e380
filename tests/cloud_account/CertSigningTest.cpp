// Certificates, the certificate state with its expiry boundaries, the identity gate, remote
// digest signing (also from a worker thread) and time-stamp checks.

#include "AccountTestSupport.h"
#include "QtTestSupport.h"
#include "CertState.h"
#include "LoadingWidget.h"
#include "MMessageBox.h"

#include "certparse.h"
#include "sm3.h"

#include <QCryptographicHash>
#include <QSignalSpy>
#include <QThread>

#include <openssl/bn.h>
#include <openssl/ec.h>
#include <openssl/evp.h>
#include <openssl/x509.h>

#include <atomic>

namespace {

const char* const kCurrentUser = "/eseal-signature/certInfo/getCertCurrentUser";
const char* const kExpiry = "/eseal-signature/certInfo/getCertExpiryDate";
const char* const kServerTime = "/eseal-signature/currentTime/getCurrentTime";
const char* const kSign = "/eseal-signature/digestSign/getDigestSignInfo";
const char* const kVerifyTsa = "/eseal-signature/timeStamp/timeStampVerify";

// What the signer takes from the user's certificate.
struct SignerCert {
    QString serial;
    int type = -1;
    QByteArray publicKey;   // 04 || x || y
};

SignerCert parseSigner(const QByteArray& base64Cert)
{
    SignerCert out;
    parsehelps h;
    init_parsehelps(&h);
    h.is_sn = h.iscerttype = h.ispkkey = 1;
    if (prase_cert_helps_fun(reinterpret_cast<const unsigned char*>(base64Cert.constData()), base64Cert.size(), &h,
                             1) == 0) {
        out.serial = QString::fromLatin1(h.certsn);
        out.type = h.certtype;
        out.publicKey = QByteArray(reinterpret_cast<const char*>(h.public_key), h.pbkey_len);
    }
    free_parsehelps(&h);
    return out;
}

// Checks r and s (Base64 of 32 bytes each) as the SM2 signature of message M with the standard
// id, against the certificate's key.
bool opensslVerifies(const QByteArray& base64Cert, const QByteArray& message, const QByteArray& r64,
                     const QByteArray& s64)
{
    const QByteArray der = QByteArray::fromBase64(base64Cert);
    const unsigned char* p = reinterpret_cast<const unsigned char*>(der.constData());
    X509* cert = d2i_X509(nullptr, &p, der.size());
    if (!cert)
        return false;
    const QByteArray r = QByteArray::fromBase64(r64), s = QByteArray::fromBase64(s64);
    ECDSA_SIG* sig = ECDSA_SIG_new();
    ECDSA_SIG_set0(sig, BN_bin2bn(reinterpret_cast<const unsigned char*>(r.constData()), r.size(), nullptr),
                   BN_bin2bn(reinterpret_cast<const unsigned char*>(s.constData()), s.size(), nullptr));
    unsigned char* sigDer = nullptr;
    const int sigLen = i2d_ECDSA_SIG(sig, &sigDer);
    EVP_PKEY* key = X509_get0_pubkey(cert);
    EVP_MD_CTX* md = EVP_MD_CTX_new();
    EVP_PKEY_CTX* pctx = EVP_PKEY_CTX_new(key, nullptr);
    EVP_PKEY_CTX_set1_id(pctx, "1234567812345678", 16);
    EVP_MD_CTX_set_pkey_ctx(md, pctx);
    const bool ok = r.size() == 32 && s.size() == 32 && EVP_PKEY_is_a(key, "SM2") &&
                    EVP_DigestVerifyInit(md, nullptr, EVP_sm3(), nullptr, key) > 0 &&
                    EVP_DigestVerify(md, reinterpret_cast<const unsigned char*>(sigDer), size_t(sigLen),
                                     reinterpret_cast<const unsigned char*>(message.constData()),
                                     size_t(message.size())) == 1;
    EVP_MD_CTX_free(md);
    EVP_PKEY_CTX_free(pctx);
    OPENSSL_free(sigDer);
    ECDSA_SIG_free(sig);
    X509_free(cert);
    return ok;
}

// e = SM3(Z || M) as Base64, the digest the signer sends.
QByteArray sm2Digest64(const QByteArray& message, const QByteArray& publicKey)
{
    unsigned char e[32];
    unsigned int len = 0;
    pkcs7_sm3(reinterpret_cast<const unsigned char*>(message.constData()), unsigned(message.size()),
              reinterpret_cast<const unsigned char*>(publicKey.constData()), publicKey.size(), e, &len);
    return QByteArray(reinterpret_cast<const char*>(e), int(len)).toBase64();
}

QByteArray md5Hex(const QByteArray& message)
{
    return QCryptographicHash::hash(message, QCryptographicHash::Md5).toHex();
}

} // namespace

class CertSigning : public AccountTest
{
protected:
    // Issues the account's certificate for a scenario at the service time `now`.
    qint64 issue(const QString& account, StandinCertScenario scenario, qint64 now)
    {
        standin.setServerTime(now);
        qint64 notAfter = 0;
        standin.withState([&](StandinState& s) {
            standinIssueCertificate(s, account, scenario);
            notAfter = s.account->certs.value(account).notAfter;
        });
        return notAfter;
    }

    // The certificate state at the service time `now`.
    int refreshAt(qint64 now)
    {
        standin.setServerTime(now);
        return getServerCertAndTime();
    }
};

TEST_F(CertSigning, CertificateRequests)
{
    ASSERT_TRUE(loginAs("13800000000"));
    QSignalSpy errors(client, &NetWorkBusiness::sendErroeCodeInfo);
    QByteArray cert;
    QString msg;
    EXPECT_EQ(client->getNewCert("u-0001", cert, msg), 10000);
    EXPECT_EQ(msg, u8("获取证书成功"));
    const SignerCert signer = parseSigner(cert);
    EXPECT_FALSE(signer.serial.isEmpty());
    EXPECT_EQ(signer.type, 0);
    EXPECT_EQ(signer.publicKey.size(), 65);
    const StandinRequest sent = standin.requests(kCurrentUser).last();
    EXPECT_EQ(sent.method, "POST");
    EXPECT_TRUE(sent.body.isEmpty());
    EXPECT_EQ(sent.target, "/v2/eseal-signature/certInfo/getCertCurrentUser?userId=u-0001");

    QDateTime begin, end;
    EXPECT_EQ(client->getCertTime("u-0001", begin, end), 1);
    qint64 notBefore = 0, notAfter = 0;
    standin.withState([&](StandinState& s) {
        notBefore = s.account->certs.value("13800000000").notBefore;
        notAfter = s.account->certs.value("13800000000").notAfter;
    });
    EXPECT_EQ(begin.toSecsSinceEpoch(), notBefore);
    EXPECT_EQ(end.toSecsSinceEpoch(), notAfter);

    // The certificate as a stored file: the same certificate.
    QByteArray stored;
    EXPECT_EQ(client->getMyCert(stored), 1);
    EXPECT_EQ(stored, cert);
    EXPECT_EQ(client->m_certData, cert);
    EXPECT_TRUE(client->getCert().isEmpty());

    // The user id is percent-encoded in the query.
    cert = "kept";
    EXPECT_EQ(client->getNewCert("u&x=1#y", cert, msg), 4006);
    EXPECT_EQ(standin.requests(kCurrentUser).last().target,
              "/v2/eseal-signature/certInfo/getCertCurrentUser?userId=u%26x%3D1%23y");
    EXPECT_TRUE(cert.isEmpty());
    // Failed dates are signalled for verified users only.
    EXPECT_EQ(client->getCertTime("other", begin, end), 0);
    EXPECT_EQ(errors.count(), 1);

    // An unverified user has no certificate; the failure is silent.
    ASSERT_TRUE(loginAs("13700000000"));
    errors.clear();
    EXPECT_EQ(client->getNewCert("u-0003", cert, msg), 4011);
    EXPECT_EQ(client->getCertTime("u-0003", begin, end), 0);
    EXPECT_EQ(errors.count(), 0);
    // A reply that is no JSON object gives -1 with the outputs untouched.
    standin.script(kCurrentUser, StandinScript::raw("<html/>", 200));
    cert = "kept";
    msg = "kept";
    EXPECT_EQ(client->getNewCert("u-0003", cert, msg), -1);
    EXPECT_EQ(cert, "kept");
    EXPECT_EQ(msg, "kept");
}

TEST_F(CertSigning, CertificateStateAtTheDayBoundaries)
{
    ASSERT_TRUE(loginAs("13800000000"));
    MMessageBoxAutoAnswer boxes(QDialogButtonBox::Ok);
    const qint64 t0 = (QDateTime::currentSecsSinceEpoch() / 60) * 60;

    // Valid: neither expiring nor expired.
    issue("13800000000", StandinCertScenario::Valid, t0);
    ASSERT_EQ(refreshAt(t0), 0);
    EXPECT_TRUE(g_certTime.bIsValid);
    EXPECT_FALSE(g_certTime.bIsExpiring);
    EXPECT_FALSE(g_certTime.bIsExpired);
    EXPECT_FALSE(g_cerData.isEmpty());

    // Expiring in 10 days: 30 days before the end is the first expiring second.
    const qint64 end = issue("13800000000", StandinCertScenario::ExpiringIn10Days, t0);
    EXPECT_EQ(end, t0 + 10 * 86400);
    struct Case {
        qint64 now;
        bool expiring, expired;
    } cases[] = {
        {t0, true, false},
        {end - 2592001, false, false},
        {end - 2592000, true, false},
        {end - 1, true, false},
        {end, true, true},
        {end + 86400, true, true},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(refreshAt(c.now), 0);
        EXPECT_EQ(g_certTime.bIsExpiring, c.expiring) << (c.now - end);
        EXPECT_EQ(g_certTime.bIsExpired, c.expired) << (c.now - end);
        EXPECT_TRUE(g_certTime.bIsValid);
    }

    // Expired; a renewal re-issues a valid certificate with another serial.
    issue("13800000000", StandinCertScenario::Expired, t0);
    ASSERT_EQ(refreshAt(t0), 0);
    EXPECT_TRUE(g_certTime.bIsExpired);
    const QString oldSerial = parseSigner(g_cerData).serial;
    standin.withState([](StandinState& s) { standinRenewCertificate(s, "13800000000"); });
    ASSERT_EQ(refreshAt(t0), 0);
    EXPECT_FALSE(g_certTime.bIsExpired);
    EXPECT_FALSE(g_certTime.bIsExpiring);
    EXPECT_NE(parseSigner(g_cerData).serial, oldSerial);

    // Without the service's time the local clock decides: an expired certificate stays expired.
    issue("13800000000", StandinCertScenario::Expired, 0);
    standin.script(kServerTime, StandinScript::raw("busy", 503));
    ASSERT_EQ(getServerCertAndTime(), 0);
    EXPECT_TRUE(g_certTime.bIsExpired);
    EXPECT_EQ(boxes.count(), 0);
}

TEST_F(CertSigning, CertificateStateFailures)
{
    MMessageBoxAutoAnswer boxes(QDialogButtonBox::Ok);
    // Nobody logged in: nothing is asked and nothing changes.
    g_cerData = "previous";
    EXPECT_EQ(getServerCertAndTime(), -1);
    EXPECT_EQ(g_cerData, "previous");
    EXPECT_TRUE(standin.requests().isEmpty());

    // No certificate: the service's message under "错误".
    ASSERT_TRUE(loginAs("13700000000"));
    g_certTime.bIsValid = true;
    EXPECT_EQ(getServerCertAndTime(), -1);
    EXPECT_FALSE(g_certTime.bIsValid);
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.shown().first().title, u8("错误"));
    EXPECT_EQ(boxes.lastText(), u8("您还没有证书，请先完成实名认证"));

    // A certificate without readable dates: the end time is reset, nothing shown.
    ASSERT_TRUE(loginAs("13800000000"));
    standin.script(kExpiry, StandinScript::withEnvelope(QJsonObject{
                                {"code", 10000}, {"msg", ""}, {"data", QJsonObject{{"expirationDate", "soon"}}}}));
    EXPECT_EQ(getServerCertAndTime(), -1);
    EXPECT_FALSE(g_certTime.bIsValid);
    EXPECT_EQ(g_certTime.endTime, QDateTime(QDate(1970, 1, 1), QTime(0, 0)));
    EXPECT_EQ(boxes.count(), 1);
}

TEST_F(CertSigning, IdentityGateShowsItsBoxAndOpensTheVerificationPage)
{
    QTemporaryDir dir;
    const QString savedConfig = configPath;
    configPath = dir.filePath("config.ini");
    {
        QSettings ini(configPath, QSettings::IniFormat);
        ini.setValue("addressUrl/auth", QByteArray("https://auth.example.invalid/company?token=").toBase64());
        ini.setValue("addressUrl/per_auth", QByteArray("https://auth.example.invalid/person?token=").toBase64());
    }
    DesktopUrls catcher({QStringLiteral("https")});

    EXPECT_EQ(userAuthenStatus(), 0);   // nobody logged in
    ASSERT_TRUE(loginAs("13700000000"));
    BusinessInfo* info = client->getBusinessInfo();
    ASSERT_NE(info, nullptr);
    const QString token = info->token;

    const QString pending = u8("您的账户认证正在审核中，请认证后再操作！");
    const QString notYet = u8("您的帐户还没有认证，请认证后再操作！认证后请重新登陆账号");
    const QString failed = u8("您的帐户认证失败，请重新认证后再操作！认证后请重新登陆账号");
    struct Case {
        int status;
        int userType;
        MMessageBox::StandardButton answer;
        int result;
        QString text;   // empty: no box
        QString opened; // empty: nothing opened
    } cases[] = {
        {1, 0, QDialogButtonBox::Open, 1, "", ""},
        {-1, 0, QDialogButtonBox::Open, 1, "", ""},
        {3, 0, QDialogButtonBox::Ok, 0, pending, ""},
        {0, 0, QDialogButtonBox::Cancel, 0, notYet, ""},
        {0, 0, QDialogButtonBox::Open, 0, notYet,
         "https://auth.example.invalid/person?token=" + token + "&userAccount=13700000000"},
        {2, 1, QDialogButtonBox::Open, 0, failed,
         "https://auth.example.invalid/company?token=" + token + "&userAccount=13700000000"},
    };
    for (const Case& c : cases) {
        info->authenStatus = c.status;
        info->userType = c.userType;
        catcher.urls.clear();
        MMessageBoxAutoAnswer boxes(c.answer);
        EXPECT_EQ(userAuthenStatus(), c.result) << c.status;
        if (c.text.isEmpty()) {
            EXPECT_EQ(boxes.count(), 0) << c.status;
        } else {
            ASSERT_EQ(boxes.count(), 1) << c.status;
            EXPECT_EQ(boxes.shown().first().title, "Orvessa");
            EXPECT_EQ(boxes.lastText(), c.text);
            const auto buttons = boxes.shown().first().buttons;
            if (c.status == 3)
                EXPECT_EQ(buttons, MMessageBox::StandardButtons(QDialogButtonBox::Ok));
            else
                EXPECT_EQ(buttons, QDialogButtonBox::Open | QDialogButtonBox::Cancel);
        }
        if (c.opened.isEmpty()) {
            EXPECT_TRUE(catcher.urls.isEmpty()) << c.status;
        } else {
            ASSERT_EQ(catcher.urls.size(), 1) << c.status;
            EXPECT_EQ(catcher.urls.first().toString(), c.opened);
        }
    }
    configPath = savedConfig;
}

TEST_F(CertSigning, RemoteSigningFromAWorkerThreadWhileTheGuiThreadWaits)
{
    ASSERT_TRUE(loginAs("13800000000"));
    QByteArray cert;
    QString msg;
    ASSERT_EQ(client->getNewCert("u-0001", cert, msg), 10000);
    const SignerCert signer = parseSigner(cert);
    ASSERT_EQ(signer.publicKey.size(), 65);
    const QByteArray message = "%PDF-1.7 signed byte ranges of a document";
    const QByteArray e64 = sm2Digest64(message, signer.publicKey);
    const QByteArray md5 = md5Hex(message);

    // The GUI thread sits in a synchronous call whose answer comes late.
    StandinScript slow;
    slow.delayMs = 400;
    slow.times = 1;
    standin.script("/eseal-usermanage/user/checkSignPassword", slow);

    int result = -1;
    QByteArray r, s, stamp;
    std::atomic<bool> finished{false};
    QThread* worker = QThread::create([&] {
        result = client->signBusiness(signer.serial, 0, signer.type, e64 + QByteArray(1, '\0') + "junk", md5, r, s,
                                      stamp, nullptr);
        finished = true;
    });
    worker->start();
    QString err;
    EXPECT_TRUE(client->checkSignPassword(kStandinSignPassword, err));
    ASSERT_TRUE(waitUntil([&] { return finished.load(); }, 10000));
    worker->wait();
    delete worker;

    ASSERT_EQ(result, 0);
    EXPECT_TRUE(opensslVerifies(cert, message, r, s));
    EXPECT_FALSE(opensslVerifies(cert, message + "x", r, s));
    EXPECT_LE(r.size(), 64);
    EXPECT_LE(stamp.size(), 3052);
    // The digest is sent up to its zero byte; the token travels with it.
    const StandinRequest sent = standin.requests(kSign).last();
    const QJsonObject body = QJsonDocument::fromJson(sent.body).object();
    EXPECT_EQ(body.value("signdata").toObject().value("hash").toString(), QString::fromLatin1(e64));
    EXPECT_EQ(body.value("timestamp").toString(), QString::fromLatin1(md5));
    EXPECT_EQ(body.value("signdata").toObject().value("algo_type"), QJsonValue(0));
    EXPECT_EQ(sent.header("token"), client->sessionToken().toUtf8());

    // The time stamp passes for its digest, also from a worker thread, and fails for another.
    QString answer;
    int verdict = -1;
    QThread* checker = QThread::create([&] { verdict = client->verifyTimeStampBusiness(md5, stamp, answer); });
    checker->start();
    ASSERT_TRUE(waitUntil([&] { return checker->isFinished(); }, 15000));
    checker->wait();
    delete checker;
    EXPECT_EQ(verdict, 0);
    EXPECT_TRUE(answer.contains("<timestamp>"));
    EXPECT_TRUE(answer.contains("<signer>"));
    EXPECT_FALSE(standin.requests(kVerifyTsa).last().hasHeader("token"));
    QString other = "kept";
    EXPECT_EQ(client->verifyTimeStampBusiness(md5Hex("changed"), stamp, other), 1);
    EXPECT_EQ(client->verifyTimeStampBusiness(md5, "bm90IGEgc3RhbXA=", other), 4006);
    EXPECT_EQ(other, "kept");
}

TEST_F(CertSigning, RemoteSigningRefusals)
{
    ASSERT_TRUE(loginAs("13800000000"));
    QSignalSpy errors(client, &NetWorkBusiness::sendErroeCodeInfo);
    QByteArray cert;
    QString msg;
    ASSERT_EQ(client->getNewCert("u-0001", cert, msg), 10000);
    const SignerCert signer = parseSigner(cert);
    const QByteArray e64 = sm2Digest64("m", signer.publicKey);
    const QByteArray md5 = md5Hex("m");
    QByteArray r = "r0", s = "s0", stamp = "t0";
    auto sign = [&](const QString& serial, const QByteArray& digest, LoadingWidget* box = nullptr) {
        return client->signBusiness(serial, 0, signer.type, digest, md5, r, s, stamp, box);
    };

    EXPECT_EQ(sign("1234", e64), 4006);                                     // another certificate
    EXPECT_EQ(sign(signer.serial, QByteArray(31, 'a').toBase64()), 4005);   // not 32 bytes
    EXPECT_EQ(sign(signer.serial.toLower(), QByteArray(32, 'a').toBase64()), 0);
    r = "r0";
    s = "s0";
    stamp = "t0";

    // Scripted answers: no verdict, no signature value, a session code.
    struct Case {
        QJsonObject envelope;
        QByteArray raw;
        int expected;
    } cases[] = {
        {{}, "<html>gateway</html>", 4001},
        {QJsonObject{{"code", 10000}, {"msg", ""}, {"data", QJsonObject{{"msg", "x"}}}}, "", 4001},
        {QJsonObject{{"code", 10000}, {"msg", ""}, {"data", QJsonObject{{"code", 0}}}}, "", 28888},
        {QJsonObject{{"code", 10000}, {"msg", ""}, {"data", QJsonObject{{"code", 3}}}}, "", 3},
        {QJsonObject{{"code", 10000}, {"msg", ""}}, "", 10000},
        {QJsonObject{{"code", 51002}, {"msg", u8("登录超时")}, {"data", QJsonValue::Null}}, "", 51002},
    };
    for (const Case& c : cases) {
        StandinScript script = c.raw.isEmpty() ? StandinScript::withEnvelope(c.envelope) : StandinScript::raw(c.raw);
        script.times = 1;
        standin.script(kSign, script);
        LoadingWidget box;
        box.show();
        EXPECT_EQ(sign(signer.serial, e64, &box), c.expected);
        EXPECT_FALSE(box.isVisible()) << c.expected;
        EXPECT_EQ(r, "r0");
        EXPECT_EQ(s, "s0");
        EXPECT_EQ(stamp, "t0");
    }
    EXPECT_EQ(errors.count(), 0);

    // An expired certificate is refused.
    standin.withState([](StandinState& st) { standinIssueCertificate(st, "13800000000", StandinCertScenario::Expired); });
    ASSERT_EQ(client->getNewCert("u-0001", cert, msg), 10000);
    EXPECT_EQ(sign(parseSigner(cert).serial, e64), 4602);

    // Time-stamp answers without a verdict are no confirmation.
    QString answer = "kept";
    standin.script(kVerifyTsa, StandinScript::withEnvelope(QJsonObject{
                                   {"code", 10000}, {"msg", ""}, {"data", QJsonObject{{"msg", "x"}}}}));
    EXPECT_NE(client->verifyTimeStampBusiness(md5, "x", answer), 0);
    standin.clearScripts();
    standin.script(kVerifyTsa, StandinScript::withEnvelope(
                                   QJsonObject{{"code", 4001}, {"msg", ""}, {"data", QJsonObject{{"code", 0}}}}));
    EXPECT_EQ(client->verifyTimeStampBusiness(md5, "x", answer), 4001);
    standin.clearScripts();
    standin.script(kVerifyTsa, StandinScript::raw("{\"code\":10000,\"data\":{\"code\":0,\"timestampverify\":\"<a/>\"}}", 500));
    EXPECT_EQ(client->verifyTimeStampBusiness(md5, "x", answer), 4);
    EXPECT_EQ(answer, "kept");
}

