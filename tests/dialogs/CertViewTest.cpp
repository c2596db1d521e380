// The certificate view's rows for RSA and SM2 certificates made by the test.

#include "CertView.h"
#include "CryptoTestUtil.h"

#include <QHeaderView>
#include <QTableWidget>
#include <gtest/gtest.h>

#include <openssl/bn.h>
#include <openssl/core_names.h>
#include <openssl/x509v3.h>

#include <cstdlib>
#include <ctime>

namespace {

QString u8(const char* s)
{
    return QString::fromUtf8(s);
}

// Adds extensions (OpenSSL configuration texts) to a certificate and signs it again.
void addExtensions(X509* cert, EVP_PKEY* key, const std::vector<std::pair<int, std::string>>& exts)
{
    X509V3_CTX ctx;
    X509V3_set_ctx_nodb(&ctx);
    X509V3_set_ctx(&ctx, cert, cert, nullptr, nullptr, 0);
    for (const auto& [nid, value] : exts) {
        X509_EXTENSION* ext = X509V3_EXT_conf_nid(nullptr, &ctx, nid, value.c_str());
        ASSERT_TRUE(ext) << value;
        X509_add_ext(cert, ext, -1);
        X509_EXTENSION_free(ext);
    }
    ASSERT_GT(X509_sign(cert, key, EVP_sha256()), 0);
}

QByteArray base64Der(X509* cert)
{
    return QByteArray::fromStdString(base64(toDer(cert)));
}

QString pairs(const QString& hex)
{
    QString out;
    for (int i = 0; i + 1 < hex.size(); i += 2)
        out += hex.mid(i, 2) + ' ';
    return out;
}

class CertViewRows : public ::testing::Test
{
protected:
    void SetUp() override
    {
        const char* old = std::getenv("TZ");
        m_hadTz = old != nullptr;
        if (old)
            m_oldTz = old;
        setenv("TZ", "UTC", 1);
        tzset();
    }
    void TearDown() override
    {
        if (m_hadTz)
            setenv("TZ", m_oldTz.c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }
    bool m_hadTz = false;
    std::string m_oldTz;
};

} // namespace

TEST_F(CertViewRows, RsaEndEntityWithEveryExtension)
{
    PkeyPtr key = makeRsaKey(2048);
    CertSpec recipe;
    recipe.subject = {{"O", "Org"}, {"OU", "U1"}, {"OU", "U2"}, {"CN", u8("张三").toStdString()}};
    recipe.keyUsage = "digitalSignature,nonRepudiation";
    X509Ptr cert = makeCert(key.get(), recipe);
    addExtensions(cert.get(), key.get(),
                  {{NID_basic_constraints, "critical,CA:FALSE"},
                   {NID_subject_key_identifier, "hash"},
                   {NID_authority_key_identifier, "keyid:always"},
                   {NID_crl_distribution_points, "URI:http://crl.example.com/a.crl,URI:ab:cd"},
                   {NID_info_access, "OCSP;URI:http://ocsp.example.com,caIssuers;URI:http://ca.example.com/ca.cer"}});

    CCertView view(base64Der(cert.get()), nullptr);
    EXPECT_EQ(view.windowTitle(), u8("查看证书"));
    EXPECT_EQ(view.size(), QSize(537, 488));
    ASSERT_EQ(view.table()->rowCount(), 13);
    EXPECT_EQ(view.table()->columnCount(), 1);
    EXPECT_EQ(view.table()->verticalHeaderItem(0)->text(), u8("版本"));
    EXPECT_EQ(view.table()->verticalHeaderItem(12)->text(), u8("颁发机构信息访问"));
    EXPECT_EQ(view.table()->verticalHeader()->defaultSectionSize(), 36);

    EXPECT_EQ(view.rowText(0), "V3");
    EXPECT_EQ(view.rowText(1), "012345");
    EXPECT_EQ(view.rowText(2), "CN = Orvessa Test CA, C = CN");
    // Common name first, then the first unit only, then the organisation.
    EXPECT_EQ(view.rowText(3), u8("CN = 张三, OU = U1, O = Org"));
    EXPECT_EQ(view.rowText(4), "2025-01-01 00:00:00");
    EXPECT_EQ(view.rowText(5), "2035-01-01 00:00:00");

    BIGNUM* n = nullptr;
    ASSERT_TRUE(EVP_PKEY_get_bn_param(key.get(), OSSL_PKEY_PARAM_RSA_N, &n));
    char* hex = BN_bn2hex(n);
    const QString modulus = QString::fromLatin1(hex);
    OPENSSL_free(hex);
    BN_free(n);
    EXPECT_EQ(view.rowText(6), pairs(modulus) + " [RSA]");
    EXPECT_TRUE(view.rowText(6).endsWith("  [RSA]"));

    EXPECT_EQ(view.rowText(7), "Subject Type=End Entity;\nPath Length Constraint=None");
    EXPECT_EQ(view.rowText(8), "Digital Signature, Non-Repudiation");
    const ASN1_OCTET_STRING* ski = X509_get0_subject_key_id(cert.get());
    ASSERT_TRUE(ski);
    const QString skiHex =
        QByteArray(reinterpret_cast<const char*>(ASN1_STRING_get0_data(ski)), ASN1_STRING_length(ski)).toHex().toUpper();
    EXPECT_EQ(view.rowText(9), "KeyId=" + skiHex);
    EXPECT_EQ(view.rowText(10), skiHex);
    // A URI of six characters or fewer is not listed.
    EXPECT_EQ(view.rowText(11), "http://crl.example.com/a.crl");
    EXPECT_EQ(view.rowText(12),
              u8("[1]Authority Info Access\n    Access Method=联机证书状态协议(1.3.6.1.5.5.7.48.1)\n"
                 "    URL=http://ocsp.example.com\n"
                 "[2]Authority Info Access\n    Access Method=证书颁发机构颁发者(1.3.6.1.5.5.7.48.2)\n"
                 "    URL=http://ca.example.com/ca.cer\n"));
}

TEST_F(CertViewRows, Sm2CertificateWithoutExtensionsHasEmptyExtensionRows)
{
    PkeyPtr key = makeSm2Key();
    CertSpec recipe;
    recipe.subject = {{"CN", "Bob"}};
    recipe.serial = {0x00, 0xC3, 0xA1};
    X509Ptr cert = makeCert(key.get(), recipe);

    CCertView view(base64Der(cert.get()), nullptr);
    EXPECT_EQ(view.rowText(0), "V3");
    EXPECT_EQ(view.rowText(1), "C3A1");
    EXPECT_EQ(view.rowText(3), "CN = Bob");
    const Bytes point = sm2PublicPoint(key.get());
    ASSERT_EQ(point.size(), 65u);
    const QString hex = QByteArray(reinterpret_cast<const char*>(point.data()), int(point.size())).toHex().toUpper();
    EXPECT_EQ(view.rowText(6), pairs(hex) + " [ECC]");
    EXPECT_TRUE(view.rowText(6).startsWith("04 "));
    for (int r = 7; r <= 12; ++r)
        EXPECT_EQ(view.rowText(r), QString()) << r;
}

TEST_F(CertViewRows, CaCertificateKeyAgreementAndANameWithoutCommonName)
{
    PkeyPtr key = makeRsaKey(1024);
    CertSpec recipe;
    recipe.subject = {{"C", "CN"}, {"O", "Org"}};
    recipe.keyUsage = "keyAgreement";
    X509Ptr cert = makeCert(key.get(), recipe);
    addExtensions(cert.get(), key.get(), {{NID_basic_constraints, "critical,CA:TRUE,pathlen:3"}});
    CCertView view(base64Der(cert.get()), nullptr);
    EXPECT_EQ(view.rowText(3), ", O = Org, C = CN");
    EXPECT_EQ(view.rowText(7), "Path Length Constraint=03\nSubject Type=CA;");
    EXPECT_EQ(view.rowText(8), "Key  Agreement");
    EXPECT_EQ(view.rowText(9), QString());

    PkeyPtr key2 = makeRsaKey(1024);
    X509Ptr ca = makeCert(key2.get(), recipe);
    addExtensions(ca.get(), key2.get(), {{NID_basic_constraints, "CA:TRUE"}});
    CCertView noPath(base64Der(ca.get()), nullptr);
    EXPECT_EQ(noPath.rowText(7), "Path Length Constraint=None\nSubject Type=CA;");
}

TEST_F(CertViewRows, UnreadableInputLeavesEveryRowEmpty)
{
    for (const QByteArray& input : {QByteArray(), QByteArray("not a certificate"), QByteArray("TUlJQgo=")}) {
        CCertView view(input, nullptr);
        for (int r = 0; r < 13; ++r)
            EXPECT_EQ(view.rowText(r), QString()) << r;
    }
}
