// Signing through the engine: arming signature fields with the cloud signer and saving, with a
// sign callback that signs e with a local SM2 key; the results are checked independently (the
// byte ranges against the file, OpenSSL over the signed bytes, openssl asn1parse, qpdf, pdfsig).
#include "CryptoTestUtil.h"
#include "EngineTestSupport.h"
#include "vq-pdf-testing.h"
#include "vq-pdf.h"

#include <gtest/gtest.h>

#include <openssl/evp.h>

#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

using namespace fixture;

namespace {

// ---- the sign callback and what it saw --------------------------------------------------------

struct SignService
{
    EVP_PKEY* key = nullptr;
    int failWith = 0;          // non-zero: returned instead of signing
    int rBytes = 32;           // length of the r value handed back (32 is legal)
    size_t tsaLength = 24;     // bytes of time stamp handed back
    int calls = 0;
    std::string certsn, digest, md5;
    int algo = -1, certtype = -1;
    std::vector<Bytes> signatures; // DER SEQUENCE {r, s} of every answer, in order
};
SignService g_service;

Bytes fromBase64(const std::string& text)
{
    Bytes out(text.size() / 4 * 3 + 3);
    int n = EVP_DecodeBlock(out.data(), reinterpret_cast<const unsigned char*>(text.data()), (int)text.size());
    if (n < 0)
        return {};
    size_t pad = 0;
    for (size_t i = text.size(); i > 0 && text[i - 1] == '='; --i)
        ++pad;
    out.resize((size_t)n - pad);
    return out;
}

int testSign(const char* sn, int algo, int certtype, const char* digest, const char* md5, char* r, int* rlen, char* s,
             int* slen, char* tsa, int* tsalen)
{
    SignService& sv = g_service;
    sv.calls++;
    sv.certsn = sn ? sn : "";
    sv.algo = algo;
    sv.certtype = certtype;
    sv.digest = digest ? digest : "";
    sv.md5 = md5 ? md5 : "";
    if (sv.failWith)
        return sv.failWith;
    const Bytes e = fromBase64(sv.digest);
    if (e.size() != 32)
        return 99;
    const Bytes der = opensslSignDigest(sv.key, e);
    sv.signatures.push_back(der);
    unsigned char rb[32], sb[32];
    splitSignature(der, rb, sb);
    Bytes rv(rb, rb + 32);
    rv.resize((size_t)sv.rBytes, 0x5a);
    const std::string r64 = base64(rv), s64 = base64(Bytes(sb, sb + 32));
    if (r64.size() > 64 || s64.size() > 64)
        return 3052;
    memcpy(r, r64.data(), r64.size());
    *rlen = (int)r64.size();
    memcpy(s, s64.data(), s64.size());
    *slen = (int)s64.size();
    for (size_t i = 0; i < sv.tsaLength && i < 3052; ++i)
        tsa[i] = (char)('A' + i % 26);
    *tsalen = (int)sv.tsaLength;
    return 0;
}

// ---- one signature as found in the file ------------------------------------------------------

struct FoundSignature
{
    long long a = -1, b = -1, c = -1, d = -1; // /ByteRange [a b c d]
    Bytes value;                              // the DER value in /Contents (zeros cut off)
    size_t room = 0;                          // bytes reserved in /Contents
};

// Length of the DER element at the start of data (0 when unreadable).
size_t derLength(const Bytes& data)
{
    if (data.size() < 2)
        return 0;
    size_t len = data[1];
    size_t hdr = 2;
    if (len & 0x80)
    {
        const size_t n = len & 0x7f;
        if (n == 0 || n > 4 || data.size() < 2 + n)
            return 0;
        len = 0;
        for (size_t i = 0; i < n; ++i)
            len = (len << 8) | data[2 + i];
        hdr += n;
    }
    return hdr + len;
}

std::vector<FoundSignature> findSignatures(const std::string& file)
{
    std::vector<FoundSignature> out;
    // Every "/ByteRange [a b c d]" of the file, read with strtoll (four non-negative integers).
    for (size_t at = file.find("/ByteRange"); at != std::string::npos; at = file.find("/ByteRange", at + 1))
    {
        const char* p = file.c_str() + at + 10;
        while (*p == ' ' || *p == '\r' || *p == '\n')
            p++;
        if (*p++ != '[')
            continue;
        long long v[4];
        bool ok = true;
        for (long long& x : v)
        {
            char* end = nullptr;
            x = std::strtoll(p, &end, 10);
            ok = ok && end != p && x >= 0;
            p = end;
        }
        if (!ok)
            continue;
        FoundSignature f;
        f.a = v[0];
        f.b = v[1];
        f.c = v[2];
        f.d = v[3];
        if (f.b > 0 && f.c > f.b + 1 && (size_t)f.c <= file.size() && file[(size_t)f.b] == '<' &&
            file[(size_t)f.c - 1] == '>')
        {
            const std::string hex = file.substr((size_t)f.b + 1, (size_t)(f.c - f.b - 2));
            Bytes raw;
            for (size_t i = 0; i + 1 < hex.size(); i += 2)
                raw.push_back((unsigned char)std::stoi(hex.substr(i, 2), nullptr, 16));
            f.room = raw.size();
            const size_t n = derLength(raw);
            if (n && n <= raw.size())
                f.value.assign(raw.begin(), raw.begin() + (long)n);
        }
        out.push_back(f);
    }
    return out;
}

Bytes signedBytes(const std::string& file, const FoundSignature& f)
{
    Bytes m(file.begin() + f.a, file.begin() + f.a + f.b);
    m.insert(m.end(), file.begin() + f.c, file.begin() + f.c + f.d);
    return m;
}

bool contains(const Bytes& hay, const Bytes& needle)
{
    return !needle.empty() && std::search(hay.begin(), hay.end(), needle.begin(), needle.end()) != hay.end();
}

std::string md5Hex(const Bytes& m)
{
    unsigned char md[16];
    unsigned int n = 0;
    EVP_Digest(m.data(), m.size(), md, &n, EVP_md5(), nullptr);
    char hex[33];
    for (int i = 0; i < 16; ++i)
        snprintf(hex + 2 * i, 3, "%02x", md[i]);
    return hex;
}

std::string threePages()
{
    PageSpec p;
    p.mediabox = "[0 0 300 400]";
    p.content = "BT /F1 12 Tf 20 300 Td (Contract) Tj ET";
    return simpleDocument({p, p, p});
}

class SignatureTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        key_ = makeSm2Key();
        CertSpec recipe;
        recipe.subject = {{"C", "CN"}, {"O", "Orvessa Test"}, {"OU", "A100"}, {"CN", "Signer One"}};
        recipe.serial = {0x0a, 0x1b, 0x2c, 0x3d};
        recipe.keyUsage = "digitalSignature,nonRepudiation";
        cert_ = makeCert(key_.get(), recipe);
        certDer_ = toDer(cert_.get());
        cert64_ = base64(certDer_);
        g_service = SignService();
        g_service.key = key_.get();
        path_ = dir_.file("doc.pdf");
        writeFile(path_, threePages());
    }

    // Opens the file, adds a signature field on the page and arms it.
    DocPtr openAndArm(const std::string& name, int page = 0, int* armCode = nullptr, const char* tag = "psign")
    {
        DocPtr d = openPath(path_);
        EXPECT_TRUE(d);
        vq_document_cut_page(d.get());
        vq_signature* w = vq_test_add_signature_field(d.get(), page, name.c_str(), "eyJ2cV9zZWFsY29kZSI6IlMwMSJ9",
                                                      vq_rect{50, 50, 150, 120});
        EXPECT_NE(w, nullptr);
        int code = vq_signature_set_value_callback_v3(d.get(), w, testSign, cert64_.c_str(), tag);
        if (armCode)
            *armCode = code;
        else
            EXPECT_EQ(code, 0);
        return d;
    }

    // Checks one signature of the file completely: ranges, value, digests handed to the callback
    // and the SM2 signature against the certificate's key over the signed bytes.
    void expectValid(const std::string& file, const FoundSignature& f, const Bytes& derSig, size_t updateEnd)
    {
        EXPECT_EQ(f.a, 0);
        EXPECT_EQ((size_t)(f.c + f.d), updateEnd);
        EXPECT_EQ(file.compare((size_t)f.b - 9, 9, "/Contents"), 0);
        ASSERT_FALSE(f.value.empty());
        EXPECT_TRUE(contains(f.value, certDer_));
        unsigned char r[32], s[32];
        splitSignature(derSig, r, s);
        EXPECT_TRUE(contains(f.value, Bytes(r + 1, r + 32)));
        EXPECT_TRUE(contains(f.value, Bytes(s + 1, s + 32)));
        // Independent: OpenSSL computes Z and SM3 over the signed bytes itself.
        EVP_PKEY* pub = X509_get0_pubkey(cert_.get());
        EXPECT_TRUE(opensslDigestVerify(pub, signedBytes(file, f), derSig));
    }

    ScratchDir dir_;
    std::string path_;
    PkeyPtr key_;
    X509Ptr cert_;
    Bytes certDer_;
    std::string cert64_;
};

TEST_F(SignatureTest, ArmedAndSavedDocumentCarriesAValidSignature)
{
    const std::string before = fixture::readFile(path_);
    {
        DocPtr d = openAndArm("S0120210304050607089");
        ASSERT_EQ(vq_document_save(d.get()), 0);
    }
    const std::string file = fixture::readFile(path_);
    ASSERT_EQ(file.compare(0, before.size(), before), 0) << "the update is appended";
    auto sigs = findSignatures(file);
    ASSERT_EQ(sigs.size(), 1u);
    ASSERT_EQ(g_service.calls, 1);
    expectValid(file, sigs[0], g_service.signatures[0], file.size());

    // What the callback was given.
    EXPECT_EQ(g_service.certsn, "0A1B2C3D");
    EXPECT_EQ(g_service.algo, 0);
    EXPECT_EQ(g_service.certtype, 1);
    EXPECT_EQ(g_service.md5, md5Hex(signedBytes(file, sigs[0])));

    // The dictionary's keys.
    EXPECT_NE(file.find("/SubFilter/vqsign.pkcs7.sm3.3"), std::string::npos);
    EXPECT_NE(file.find("/Reason(Orvessa signs this document)"), std::string::npos);
    EXPECT_NE(file.find("/CustomTagV(psign)"), std::string::npos);
    EXPECT_NE(file.find("/Filter/Adobe.PPKLite"), std::string::npos);

    // The value parses as DER.
    const std::string p7 = dir_.file("value.der");
    writeFile(p7, sigs[0].value);
    std::string out;
    EXPECT_EQ(runCommand("openssl asn1parse -inform DER -in " + p7 + " 2>&1", &out), 0) << out;
    EXPECT_NE(out.find("1.2.156.10197.6.1.4.2.2"), std::string::npos) << out;

    EXPECT_EQ(runCommand("qpdf --check " + path_ + " >/dev/null 2>&1"), 0);
}

TEST_F(SignatureTest, PdfsigListsTheSignatureCoveringTheWholeUpdate)
{
    {
        DocPtr d = openAndArm("S02");
        ASSERT_EQ(vq_document_save(d.get()), 0);
    }
    const std::string file = fixture::readFile(path_);
    const auto sigs = findSignatures(file);
    ASSERT_EQ(sigs.size(), 1u);
    // pdfsig does not know the SM2 format (it reports the type as unknown) but lists the field
    // and the ranges, and that they reach the end of the file.
    std::string out;
    runCommand("pdfsig " + path_ + " 2>&1", &out);
    EXPECT_NE(out.find("Signature #1"), std::string::npos) << out;
    EXPECT_NE(out.find("Signature Field Name: S02"), std::string::npos) << out;
    const std::string ranges = "Signed Ranges: [0 - " + std::to_string(sigs[0].b) + "], [" +
                               std::to_string(sigs[0].c) + " - " + std::to_string(file.size()) + "]";
    EXPECT_NE(out.find(ranges), std::string::npos) << out;
    EXPECT_NE(out.find("Total document signed"), std::string::npos) << out;
    EXPECT_EQ(out.find("Signature #2"), std::string::npos) << out;
}

TEST_F(SignatureTest, ReadersAfterReopening)
{
    {
        DocPtr d = openAndArm("S03", 1, nullptr, "ksign");
        ASSERT_EQ(vq_document_save(d.get()), 0);
    }
    DocPtr d = openPath(path_);
    ASSERT_TRUE(d);
    vq_signature* w = vq_document_get_signature_by_name(d.get(), "S03");
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(vq_document_get_signature_by_name(d.get(), "nope"), nullptr);
    char* text = vq_signature_get_addinfo(d.get(), w);
    ASSERT_NE(text, nullptr);
    EXPECT_STREQ(text, "eyJ2cV9zZWFsY29kZSI6IlMwMSJ9");
    free(text);
    text = vq_signature_get_customtag(d.get(), w);
    ASSERT_NE(text, nullptr);
    EXPECT_STREQ(text, "ksign");
    free(text);
    EXPECT_EQ(vq_signature_get_vqc(d.get(), w), nullptr);
    EXPECT_EQ(vq_signature_get_sign_type(d.get(), w), SM2_V3);
    EXPECT_GT(vq_signature_get_objindex(d.get(), w), 0);
    const long long when = vq_signature_get_sign_date(d.get(), w);
    EXPECT_LE(std::llabs(when - (long long)time(nullptr)), 30);

    const auto sigs = findSignatures(fixture::readFile(path_));
    ASSERT_EQ(sigs.size(), 1u);
    char* contents = nullptr;
    const int n = vq_signature_contents(d.get(), w, &contents);
    EXPECT_EQ((size_t)n, sigs[0].room);
    ASSERT_NE(contents, nullptr);
    EXPECT_EQ(0, memcmp(contents, sigs[0].value.data(), sigs[0].value.size()));
    char* byName = nullptr;
    EXPECT_EQ(vq_signature_contents_by_name(d.get(), "S03", &byName), n);
    EXPECT_EQ(vq_signature_contents_by_name(d.get(), "missing", &byName), 0);
}

TEST_F(SignatureTest, CallbackFailureLeavesTheFileByteIdentical)
{
    const std::string before = fixture::readFile(path_);
    struct Case
    {
        const char* what;
        int failWith, rBytes;
        size_t tsa;
        int expected;
    };
    const Case cases[] = {
        {"session ended", 51002, 32, 24, 51002},
        {"service code", 7001, 32, 24, 7001},
        {"no answer (a number the library also uses)", 4, 32, 24, 4},
        {"r decodes to 48 bytes", 0, 48, 24, 3052},
        {"r decodes to 31 bytes", 0, 31, 24, 3052},
        {"time stamp too long", 0, 32, 3053, 3052},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        g_service.failWith = c.failWith;
        g_service.rBytes = c.rBytes;
        g_service.tsaLength = c.tsa;
        DocPtr d = openAndArm("S04");
        EXPECT_EQ(vq_document_save(d.get()), c.expected);
        EXPECT_EQ(fixture::readFile(path_), before);
        EXPECT_EQ(dir_.entries().size(), 1u) << "no temporary file is left";
    }
}

TEST_F(SignatureTest, ArmingRefusesMissingOrUnusableCertificates)
{
    DocPtr d = openPath(path_);
    vq_document_cut_page(d.get());
    vq_signature* w = vq_test_add_signature_field(d.get(), 0, "S05", nullptr, vq_rect{10, 10, 60, 60});
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(vq_signature_set_value_callback_v3(d.get(), w, testSign, nullptr, "psign"), VQ_CERT_ISNULL);
    EXPECT_EQ(vq_signature_set_value_callback_v3(d.get(), w, testSign, "", "psign"), VQ_CERT_ISNULL);
    EXPECT_EQ(vq_signature_set_value_callback_v3(d.get(), w, testSign, "!!!!", "psign"), VQ_CERT_ISNULL);
    EXPECT_EQ(vq_signature_set_value_callback_v3(d.get(), w, testSign, base64(Bytes(64, 7)).c_str(), "psign"),
              VQ_SIGNATURE_GETCERT_ERROR);
    EXPECT_EQ(vq_signature_set_value_callback_v3(d.get(), w, nullptr, cert64_.c_str(), "psign"), VQ_FAIL);
    EXPECT_EQ(vq_signature_get_objindex(d.get(), w), -1) << "nothing written";
    vq_signature* none[2] = {w, nullptr};
    EXPECT_EQ(vq_batch_signature_set_value_callback_v3(d.get(), none, 2, testSign, cert64_.c_str(), "psign", 0),
              VQ_BATCH_SIGN_DATA_ERROR);
    EXPECT_EQ(vq_signature_get_objindex(d.get(), w), -1) << "nothing written";
    EXPECT_EQ(vq_batch_signature_set_value_callback_v3(d.get(), none, 0, testSign, cert64_.c_str(), "psign", 0),
              VQ_BATCH_SIGN_DATA_ERROR);
}

TEST_F(SignatureTest, ReservedRoomHoldsTheLargestLegalAnswer)
{
    g_service.tsaLength = 3052;
    {
        DocPtr d = openAndArm("S06");
        ASSERT_EQ(vq_document_save(d.get()), 0);
    }
    const std::string file = fixture::readFile(path_);
    const auto sigs = findSignatures(file);
    ASSERT_EQ(sigs.size(), 1u);
    expectValid(file, sigs[0], g_service.signatures[0], file.size());
    // Room for the worst case: certificate, issuer, the whole time stamp and the structure.
    EXPECT_GE(sigs[0].room, certDer_.size() + 3052 + 200);
    EXPECT_GE(sigs[0].room, sigs[0].value.size() + 64);
}

TEST_F(SignatureTest, SigningTimeIsWrittenInChinaTimeWhateverTheZone)
{
    const char* old = getenv("TZ");
    const std::string saved = old ? old : "";
    for (const char* zone : {"UTC", "America/New_York", "Asia/Kolkata", "Pacific/Auckland"})
    {
        SCOPED_TRACE(zone);
        setenv("TZ", zone, 1);
        tzset();
        writeFile(path_, threePages());
        const time_t now = time(nullptr);
        {
            DocPtr d = openAndArm("S07");
            ASSERT_EQ(vq_document_save(d.get()), 0);
        }
        const std::string file = fixture::readFile(path_);
        // The signing time as written: /M(D:YYYYMMDDHHmmSS+08'00').
        const size_t at = file.find("/M(D:");
        ASSERT_NE(at, std::string::npos);
        ASSERT_LE(at + 5 + 14 + 8, file.size());
        ASSERT_EQ(file.compare(at + 5 + 14, 8, "+08'00')"), 0);
        auto digits = [&](size_t from, size_t n) { return std::stoi(file.substr(at + 5 + from, n)); };
        struct tm tm = {};
        tm.tm_year = digits(0, 4) - 1900;
        tm.tm_mon = digits(4, 2) - 1;
        tm.tm_mday = digits(6, 2);
        tm.tm_hour = digits(8, 2);
        tm.tm_min = digits(10, 2);
        tm.tm_sec = digits(12, 2);
        const long long written = (long long)timegm(&tm) - 8 * 3600;
        EXPECT_LE(std::llabs(written - (long long)now), 5);
    }
    if (old)
        setenv("TZ", saved.c_str(), 1);
    else
        unsetenv("TZ");
    tzset();
}

TEST_F(SignatureTest, BatchOfThreeWidgetsSharesOneValue)
{
    const std::string out = dir_.file("batch.pdf");
    {
        DocPtr d = openPath(path_);
        vq_document_cut_page(d.get());
        vq_signature* ws[3];
        for (int i = 0; i < 3; ++i)
        {
            ws[i] = vq_test_add_signature_field(d.get(), i, ("B" + std::to_string(i)).c_str(), "info",
                                                vq_rect{20, 20, 80, 80});
            ASSERT_NE(ws[i], nullptr);
        }
        ASSERT_EQ(vq_batch_signature_set_value_callback_v3(d.get(), ws, 3, testSign, cert64_.c_str(), "psign", 0), 0);
        ASSERT_EQ(vq_document_saveas(d.get(), 1, out.c_str()), 0);
    }
    EXPECT_EQ(g_service.calls, 1) << "one value is computed once";
    const std::string file = fixture::readFile(out);
    const auto sigs = findSignatures(file);
    ASSERT_EQ(sigs.size(), 1u) << "one signature dictionary";
    expectValid(file, sigs[0], g_service.signatures[0], file.size());

    DocPtr d = openPath(out);
    int objnum = -1;
    for (int i = 0; i < 3; ++i)
    {
        vq_signature* w = vq_document_get_signature_by_name(d.get(), ("B" + std::to_string(i)).c_str());
        ASSERT_NE(w, nullptr);
        const int n = vq_signature_get_objindex(d.get(), w);
        if (i == 0)
            objnum = n;
        EXPECT_EQ(n, objnum);
        EXPECT_EQ(vq_signature_get_sign_type(d.get(), w), SM2_V3);
    }
    EXPECT_EQ(runCommand("qpdf --check " + out + " >/dev/null 2>&1"), 0);
}

TEST_F(SignatureTest, SecondSignatureKeepsTheFirstOneValid)
{
    {
        DocPtr d = openAndArm("First");
        ASSERT_EQ(vq_document_save(d.get()), 0);
    }
    const std::string first = fixture::readFile(path_);
    {
        DocPtr d = openAndArm("Second", 2);
        ASSERT_EQ(vq_document_save(d.get()), 0);
    }
    const std::string file = fixture::readFile(path_);
    ASSERT_EQ(file.compare(0, first.size(), first), 0) << "the first signed revision is untouched";
    const auto sigs = findSignatures(file);
    ASSERT_EQ(sigs.size(), 2u);
    ASSERT_EQ(g_service.signatures.size(), 2u);
    expectValid(file, sigs[0], g_service.signatures[0], first.size());
    expectValid(file, sigs[1], g_service.signatures[1], file.size());

    std::string out;
    runCommand("pdfsig " + path_ + " 2>&1", &out);
    EXPECT_NE(out.find("Signature #2"), std::string::npos) << out;
    EXPECT_EQ(runCommand("qpdf --check " + path_ + " >/dev/null 2>&1"), 0);
}

TEST_F(SignatureTest, SignatureIsAlsoWrittenWhenSavingTwiceInOneSession)
{
    // Arm, save, arm another, save again without closing: the reopening after the first save
    // keeps the first signature's bytes.
    DocPtr d = openAndArm("One");
    ASSERT_EQ(vq_document_save(d.get()), 0);
    const std::string first = fixture::readFile(path_);
    vq_signature* w = vq_test_add_signature_field(d.get(), 1, "Two", nullptr, vq_rect{10, 10, 90, 90});
    ASSERT_NE(w, nullptr);
    ASSERT_EQ(vq_signature_set_value_callback_v3(d.get(), w, testSign, cert64_.c_str(), "psign"), 0);
    ASSERT_EQ(vq_document_save(d.get()), 0);
    const std::string file = fixture::readFile(path_);
    ASSERT_EQ(file.compare(0, first.size(), first), 0);
    const auto sigs = findSignatures(file);
    ASSERT_EQ(sigs.size(), 2u);
    expectValid(file, sigs[0], g_service.signatures[0], first.size());
    expectValid(file, sigs[1], g_service.signatures[1], file.size());
}

TEST_F(SignatureTest, DeletingAnArmedFieldLeavesNothingToSign)
{
    DocPtr d = openAndArm("Gone");
    vq_signature* w = vq_document_get_signature_by_name(d.get(), "Gone");
    ASSERT_NE(w, nullptr);
    vq_signature_delete_by_name(d.get(), vq_page_index(d.get(), 0), "Gone");
    EXPECT_EQ(vq_document_get_signature_by_name(d.get(), "Gone"), nullptr);
    ASSERT_EQ(vq_document_save(d.get()), 0);
    EXPECT_EQ(g_service.calls, 0);
    EXPECT_TRUE(findSignatures(fixture::readFile(path_)).empty());
    EXPECT_EQ(runCommand("qpdf --check " + path_ + " >/dev/null 2>&1"), 0);
}

TEST_F(SignatureTest, SavingAgainAfterAFailedSigningWritesOneValidSignature)
{
    const std::string before = fixture::readFile(path_);
    DocPtr d = openAndArm("Retry");
    g_service.failWith = 51001;
    ASSERT_EQ(vq_document_save(d.get()), 51001);
    ASSERT_EQ(fixture::readFile(path_), before);
    g_service.failWith = 0;
    g_service.rBytes = 48;
    ASSERT_EQ(vq_document_save(d.get()), 3052);
    ASSERT_EQ(fixture::readFile(path_), before);
    g_service.rBytes = 32;
    ASSERT_EQ(vq_document_save(d.get()), 0);
    const std::string file = fixture::readFile(path_);
    const auto sigs = findSignatures(file);
    ASSERT_EQ(sigs.size(), 1u);
    ASSERT_FALSE(g_service.signatures.empty());
    expectValid(file, sigs[0], g_service.signatures.back(), file.size());
    // One signer information only, whatever the earlier attempts did.
    const std::string p7 = dir_.file("value.der");
    writeFile(p7, sigs[0].value);
    std::string out;
    ASSERT_EQ(runCommand("openssl asn1parse -inform DER -in " + p7 + " 2>&1", &out), 0);
    size_t count = 0;
    for (size_t pos = out.find("1.2.156.10197.1.301.1"); pos != std::string::npos;
         pos = out.find("1.2.156.10197.1.301.1", pos + 1))
        ++count;
    EXPECT_EQ(count, 1u) << out;
}

TEST_F(SignatureTest, SignedFieldWithoutPictureDrawsNothing)
{
    {
        DocPtr d = openAndArm("Blank");
        ASSERT_EQ(vq_document_save(d.get()), 0);
    }
    DocPtr d = openPath(path_);
    vq_document_cut_page(d.get());
    vq_pixmap* pix = vq_page_generate_pixmap(d.get(), vq_page_index(d.get(), 0), VQ_RENDER_ALL, VQ_COLORSPACE_RGB, 1.0f, 0);
    ASSERT_NE(pix, nullptr);
    // The field covers 50..150 x 50..120 in page space; the page's text ends left of x = 80.
    for (int y = 52; y < 118; y += 3)
        for (int x = 80; x < 148; x += 3)
        {
            const Bgra p = pixel(d.get(), pix, x, y);
            ASSERT_TRUE(p.r == 255 && p.g == 255 && p.b == 255) << x << "," << y;
        }
    vq_pixmap_free(d.get(), pix);
}

TEST_F(SignatureTest, FullSaveAndSaveIntoMemoryAlsoSign)
{
    {
        DocPtr d = openAndArm("Full");
        const std::string out = dir_.file("full.pdf");
        ASSERT_EQ(vq_document_saveas(d.get(), 0, out.c_str()), 0);
        const std::string file = fixture::readFile(out);
        const auto sigs = findSignatures(file);
        ASSERT_EQ(sigs.size(), 1u);
        expectValid(file, sigs[0], g_service.signatures.back(), file.size());
        EXPECT_EQ(runCommand("qpdf --check " + out + " >/dev/null 2>&1"), 0);
    }
    {
        const std::string before = fixture::readFile(path_);
        DocPtr d = openAndArm("Memory");
        int ret = -1;
        vq_buffer* buf = vq_document_saveas_stream(d.get(), 1, &ret);
        ASSERT_EQ(ret, 0);
        ASSERT_NE(buf, nullptr);
        char* data = nullptr;
        const size_t n = vq_buffer_storage(d.get(), buf, &data);
        const std::string bytes(data, n);
        ASSERT_EQ(bytes.compare(0, before.size(), before), 0);
        const auto sigs = findSignatures(bytes);
        ASSERT_EQ(sigs.size(), 1u);
        expectValid(bytes, sigs[0], g_service.signatures.back(), bytes.size());
        EXPECT_EQ(fixture::readFile(path_), before) << "saving into memory leaves the file alone";
    }
    EXPECT_EQ(g_service.calls, 2);
}

TEST(SignatureCertTest, ParsesSerialSignerAndKey)
{
    PkeyPtr key = makeSm2Key();
    CertSpec recipe;
    recipe.subject = {{"C", "CN"}, {"O", "Orvessa Test"}, {"OU", "I200"}, {"CN", "张三"}};
    recipe.serial = {0x00, 0x9f, 0x01};
    X509Ptr cert = makeCert(key.get(), recipe);
    const std::string b64 = base64(toDer(cert.get()));
    char* sn = nullptr;
    char* signer = nullptr;
    int type = -5;
    unsigned char pub[65];
    int publen = 65;
    ASSERT_EQ(vq_parse_cert(b64.c_str(), (int)b64.size(), 1, 1, 1, 1, &sn, &type, &signer, pub, &publen, 1), 0);
    EXPECT_STREQ(sn, "9F01");
    EXPECT_STREQ(signer, "张三");
    EXPECT_EQ(type, 0);
    EXPECT_EQ(Bytes(pub, pub + 65), sm2PublicPoint(key.get()));
    vq_free_parse_str(sn);
    vq_free_parse_str(signer);
    publen = 64;
    EXPECT_EQ(vq_parse_cert(b64.c_str(), (int)b64.size(), 0, 0, 0, 1, nullptr, nullptr, nullptr, pub, &publen, 1),
              VQ_GET_SM2_CERT_ERROR);
    EXPECT_EQ(vq_parse_cert("AAAA", 4, 1, 0, 0, 0, &sn, nullptr, nullptr, nullptr, nullptr, 1), VQ_GET_SM2_CERT_ERROR);
}

} // namespace

