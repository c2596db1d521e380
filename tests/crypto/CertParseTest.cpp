// Certificate parsing: RSA and SM2 certificates in DER, PEM, Base64 and PKCS#12, the fields the
// signature code reads, and errors (never a crash) on damaged input.
#include "CryptoTestUtil.h"

#include "certparse.h"

#include <openssl/pem.h>
#include <openssl/pkcs12.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

namespace {

struct Holder {
    pkcs7_cert* c;
    explicit Holder(pkcs7_cert* p) : c(p) {}
    ~Holder() { pkcs7_openssl_prase_drop(c); }
};

Bytes pkcs12Api(EVP_PKEY* key, X509* cert, const char* pass)
{
    PKCS12* p12 = PKCS12_create(pass, "test", key, cert, nullptr, NID_aes_256_cbc, NID_aes_256_cbc,
                                0, 0, 0);
    if (!p12)
        return {};
    unsigned char* der = nullptr;
    int n = i2d_PKCS12(p12, &der);
    Bytes out(der, der + n);
    OPENSSL_free(der);
    PKCS12_free(p12);
    return out;
}

// An RC2-encrypted bundle without password, as older tools write it: made by the openssl
// command with its legacy algorithms.
Bytes pkcs12LegacyCli(EVP_PKEY* key, X509* cert)
{
    std::string dir = tempDir();
    BIO* kb = BIO_new_file((dir + "/key.pem").c_str(), "w");
    PEM_write_bio_PrivateKey(kb, key, nullptr, nullptr, 0, nullptr, nullptr);
    BIO_free(kb);
    std::string pem = toPem(cert);
    writeFile(dir + "/cert.pem", Bytes(pem.begin(), pem.end()));
    std::string out;
    int rc = runCommand(std::string(ORV_OPENSSL_PROGRAM) + " pkcs12 -export -legacy -passout pass: -in " +
                            dir + "/cert.pem -inkey " + dir + "/key.pem -out " + dir + "/b.p12 2>&1",
                        &out);
    EXPECT_EQ(rc, 0) << out;
    Bytes p12 = readFile(dir + "/b.p12");
    std::string info;
    runCommand(std::string(ORV_OPENSSL_PROGRAM) + " pkcs12 -info -noout -legacy -passin pass: -in " +
                   dir + "/b.p12 2>&1",
               &info);
    EXPECT_NE(info.find("RC2"), std::string::npos) << info;
    for (const char* f : {"/key.pem", "/cert.pem", "/b.p12"})
        std::remove((dir + f).c_str());
    std::remove(dir.c_str());
    return p12;
}

struct Fixture {
    PkeyPtr key;
    X509Ptr cert;
    Bytes der;
};

Fixture make(bool sm2, const CertSpec& recipe)
{
    Fixture f;
    f.key = sm2 ? makeSm2Key() : makeRsaKey();
    f.cert = makeCert(f.key.get(), recipe);
    f.der = toDer(f.cert.get());
    return f;
}

CertSpec standardSpec()
{
    CertSpec recipe;
    recipe.subject = {{"C", "CN"}, {"O", "测试公司"}, {"OU", "ABC"}, {"CN", "张三"}};
    recipe.serial = {0x00, 0x9F, 0x10};
    recipe.keyUsage = "digitalSignature,nonRepudiation";
    recipe.notBefore = "250101000000Z";
    recipe.notAfter = "20500101000000Z";
    return recipe;
}

}  // namespace

TEST(CertParse, EveryEncodingGivesTheSameFields)
{
    for (bool sm2 : {true, false}) {
        SCOPED_TRACE(sm2 ? "SM2" : "RSA");
        Fixture f = make(sm2, standardSpec());
        std::string pem = toPem(f.cert.get());
        std::string b64 = base64(f.der);
        std::string b64Pem = base64(Bytes(pem.begin(), pem.end()));
        Bytes p12 = pkcs12Api(f.key.get(), f.cert.get(), "");
        Bytes p12Legacy = pkcs12LegacyCli(f.key.get(), f.cert.get());
        ASSERT_FALSE(p12.empty());

        struct Input {
            const char* name;
            Bytes bytes;
            int base64;
        };
        std::vector<Input> inputs = {
            {"DER", f.der, 0},
            {"PEM", Bytes(pem.begin(), pem.end()), 0},
            {"Base64 of DER", Bytes(b64.begin(), b64.end()), 1},
            {"Base64 of DER with a line feed", Bytes(b64.begin(), b64.end()), 1},
            {"Base64 of PEM", Bytes(b64Pem.begin(), b64Pem.end()), 1},
            {"PKCS#12", p12, 0},
            {"PKCS#12 (RC2, openssl -legacy)", p12Legacy, 0},
        };
        inputs[3].bytes.insert(inputs[3].bytes.begin() + 64, '\n');

        for (const Input& in : inputs) {
            SCOPED_TRACE(in.name);
            parsehelps h;
            init_parsehelps(&h);
            h.is_sn = h.iscerttype = h.istime = h.isusage = h.issigner = h.isissuer = 1;
            h.isissuerplus = h.istheme = h.isissuer_der = 1;
            h.ispkkey = sm2;
            ASSERT_EQ(prase_cert_helps_fun(in.bytes.data(), (int)in.bytes.size(), &h, in.base64), 0);
            EXPECT_STREQ(h.certsn, "9F10");
            EXPECT_EQ(h.certtype, 1);
            EXPECT_STREQ(h.ou, "ABC");
            EXPECT_EQ(h.stime, 1735689600);
            EXPECT_EQ(h.etime, 2524608000);
            EXPECT_EQ(h.usage, 2u);
            EXPECT_STREQ(h.strsigner, "张三");
            EXPECT_STREQ(h.strissuer, "Orvessa Test CA");
            EXPECT_STREQ(h.strissuerplus, "CN=Orvessa Test CA,C=CN");
            EXPECT_STREQ(h.strtheme, "CN=张三,OU=ABC,O=测试公司,C=CN");
            X509_NAME* issuer = X509_get_issuer_name(f.cert.get());
            unsigned char* issuerDer = nullptr;
            int issuerLen = i2d_X509_NAME(issuer, &issuerDer);
            EXPECT_EQ(Bytes(h.strissuer_der, h.strissuer_der + h.strissuer_derlen),
                      Bytes(issuerDer, issuerDer + issuerLen));
            OPENSSL_free(issuerDer);
            if (sm2) {
                Bytes point = sm2PublicPoint(f.key.get());
                EXPECT_EQ(h.pbkey_len, 65);
                EXPECT_EQ(Bytes(h.public_key, h.public_key + 65), point);
            }
            free_parsehelps(&h);
        }

        // An RSA key is no 65-byte point.
        if (!sm2) {
            parsehelps h;
            init_parsehelps(&h);
            h.ispkkey = 1;
            EXPECT_EQ(prase_cert_helps_fun(f.der.data(), (int)f.der.size(), &h, 0), -4);
            free_parsehelps(&h);
        }
    }
}

TEST(CertParse, HandleOperations)
{
    Fixture f = make(true, standardSpec());
    Holder c(pkcs7_openssl_prase_sm2cert(f.der.data(), (int)f.der.size(), 0));
    ASSERT_NE(c.c, nullptr);
    int len = 0;
    EXPECT_EQ(pkcs7_openssl_prase_public_key(c.c, nullptr, &len), 0);
    EXPECT_EQ(len, 65);
    unsigned char key[65];
    len = 64;
    EXPECT_EQ(pkcs7_openssl_prase_public_key(c.c, key, &len), -300);
    len = 65;
    EXPECT_EQ(pkcs7_openssl_prase_public_key(c.c, key, &len), 0);
    EXPECT_EQ(key[0], 0x04);

    int derLen = 0;
    unsigned char* der = conver_x509toder(pkcs7_openssl_get_x509(c.c), &derLen);
    ASSERT_NE(der, nullptr);
    EXPECT_EQ(Bytes(der, der + derLen), f.der);
    free(der);

    // Null handles are errors.
    char* text = nullptr;
    int usage = 0;
    int64_t s, e;
    EXPECT_EQ(pkcs7_openssl_prase_signer_name(nullptr, &text), -1);
    EXPECT_EQ(pkcs7_openssl_prase_theme(nullptr, &text), -1);
    EXPECT_EQ(pkcs7_openssl_prase_getsn_fn(nullptr, &text), -1);
    EXPECT_EQ(pkcs7_openssl_key_usage(nullptr, &usage), -1);
    EXPECT_EQ(pkcs7_openssl_parse_cert_type(nullptr, nullptr), -1);
    EXPECT_EQ(pkcs7_openssl_parse_vaild_date(nullptr, &s, &e), -1);
}

TEST(CertParse, TypeFromOrganisationalUnit)
{
    const struct {
        std::vector<std::pair<std::string, std::string>> subject;
        int type;
        const char* ou;
    } rows[] = {
        {{{"C", "CN"}, {"O", "Org"}, {"OU", "ABC"}, {"CN", "x"}}, 1, "ABC"},
        {{{"C", "CN"}, {"O", "Org"}, {"OU", "Individual"}, {"CN", "x"}}, 0, "Individual"},
        {{{"C", "CN"}, {"O", "Org"}, {"OU", "agency"}, {"CN", "x"}}, 1, "agency"},
        {{{"C", "CN"}, {"O", "Org"}, {"CN", "x"}}, 0, nullptr},
        // Entries that decide nothing are passed over; the first deciding one wins.
        {{{"C", "CN"}, {"OU", "Sales"}, {"OU", "id-42"}, {"OU", "ABC"}, {"CN", "x"}}, 0, "id-42"},
        // The subject's first entry is never looked at.
        {{{"OU", "ABC"}, {"CN", "x"}}, 0, nullptr},
    };
    for (const auto& row : rows) {
        CertSpec recipe;
        recipe.subject = row.subject;
        Fixture f = make(true, recipe);
        Holder c(pkcs7_openssl_prase_sm2cert(f.der.data(), (int)f.der.size(), 0));
        ASSERT_NE(c.c, nullptr);
        parsehelps h;
        init_parsehelps(&h);
        EXPECT_EQ(pkcs7_openssl_parse_cert_type(c.c, &h), row.type);
        if (row.ou)
            EXPECT_STREQ(h.ou, row.ou);
        else
            EXPECT_EQ(h.ou, nullptr);
        free_parsehelps(&h);
    }
}

TEST(CertParse, KeyUsageClass)
{
    const struct {
        const char* usage;
        int expected;
    } rows[] = {
        {"digitalSignature,nonRepudiation", 2},
        {"keyEncipherment,dataEncipherment", 1},
        {"digitalSignature,dataEncipherment", 1},
        {"", 1}, // no key-usage extension: every bit
        {"keyCertSign", 7}, // neither bit: left as it was
    };
    for (const auto& row : rows) {
        CertSpec recipe;
        recipe.subject = {{"CN", "x"}};
        recipe.keyUsage = row.usage;
        Fixture f = make(true, recipe);
        Holder c(pkcs7_openssl_prase_sm2cert(f.der.data(), (int)f.der.size(), 0));
        ASSERT_NE(c.c, nullptr);
        int usage = 7;
        EXPECT_EQ(pkcs7_openssl_key_usage(c.c, &usage), 0);
        EXPECT_EQ(usage, row.expected) << row.usage;
    }
}

TEST(CertParse, ValidityTimes)
{
    const struct {
        const char* notBefore;
        const char* notAfter;
        int64_t start, end;
    } rows[] = {
        {"700101000000Z", "691231235959Z", 0, 3155759999LL},
        {"991231235959Z", "000101000000Z", 946684799LL, 946684800LL},
        {"19700102000000Z", "20991231235959Z", 86400, 4102444799LL},
    };
    for (const auto& row : rows) {
        CertSpec recipe;
        recipe.subject = {{"CN", "x"}};
        recipe.notBefore = row.notBefore;
        recipe.notAfter = row.notAfter;
        Fixture f = make(true, recipe);
        Holder c(pkcs7_openssl_prase_sm2cert(f.der.data(), (int)f.der.size(), 0));
        ASSERT_NE(c.c, nullptr);
        int64_t s = -1, e = -1;
        ASSERT_EQ(pkcs7_openssl_parse_vaild_date(c.c, &s, &e), 0);
        EXPECT_EQ(s, row.start) << row.notBefore;
        EXPECT_EQ(e, row.end) << row.notAfter;
    }
}

TEST(CertParse, DamagedInputGivesErrors)
{
    Fixture f = make(true, standardSpec());

    // Short and garbage inputs.
    const unsigned char ten[10] = {0x30, 0x82, 0x05, 0x00, 1, 2, 3, 4, 5, 6};
    EXPECT_EQ(pkcs7_openssl_prase_sm2cert(ten, sizeof(ten), 0), nullptr);
    EXPECT_EQ(pkcs7_openssl_prase_sm2cert(f.der.data(), 9, 0), nullptr);
    EXPECT_EQ(pkcs7_openssl_prase_sm2cert(nullptr, 100, 0), nullptr);
    Bytes garbage = fixedNoise(2000);
    EXPECT_EQ(pkcs7_openssl_prase_sm2cert(garbage.data(), (int)garbage.size(), 0), nullptr);
    EXPECT_EQ(pkcs7_openssl_prase_sm2cert(garbage.data(), (int)garbage.size(), 1), nullptr);
    std::string notB64 = "@@@@ this is not base64 at all @@@@";
    EXPECT_EQ(pkcs7_openssl_prase_sm2cert((const unsigned char*)notB64.data(), (int)notB64.size(), 1),
              nullptr);

    // Every truncation of the DER, PEM and Base64 forms.
    std::string pem = toPem(f.cert.get());
    std::string b64 = base64(f.der);
    for (size_t len = 0; len < f.der.size(); len++) {
        Bytes cut(f.der.begin(), f.der.begin() + (long)len);
        EXPECT_EQ(pkcs7_openssl_prase_sm2cert(cut.data(), (int)cut.size(), 0), nullptr) << len;
    }
    for (size_t len = 0; len + 30 < pem.size(); len += 5)
        EXPECT_EQ(pkcs7_openssl_prase_sm2cert((const unsigned char*)pem.data(), (int)len, 0), nullptr);
    for (size_t len = 0; len + 4 < b64.size(); len += 3)
        EXPECT_EQ(pkcs7_openssl_prase_sm2cert((const unsigned char*)b64.data(), (int)len, 1), nullptr);

    // A bundle protected by a password cannot be read without it.
    Bytes locked = pkcs12Api(f.key.get(), f.cert.get(), "secret");
    ASSERT_FALSE(locked.empty());
    EXPECT_EQ(pkcs7_openssl_prase_sm2cert(locked.data(), (int)locked.size(), 0), nullptr);

    parsehelps h;
    init_parsehelps(&h);
    h.is_sn = 1;
    EXPECT_EQ(prase_cert_helps_fun(garbage.data(), (int)garbage.size(), &h, 0), -1);
    EXPECT_EQ(h.certsn, nullptr);
    EXPECT_EQ(prase_cert_helps_fun(f.der.data(), (int)f.der.size(), nullptr, 0), -1);

    // init sets the documented defaults.
    EXPECT_EQ(h.certtype, -1);
    EXPECT_EQ(h.pbkey_len, 65);
    EXPECT_EQ(h.stime, -1);
    EXPECT_EQ(h.etime, -1);
    EXPECT_EQ(h.usage, 0u);
}
