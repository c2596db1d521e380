// The SM2 PKCS#7 signed data: structure, identifiers, canonical integers, round trip through our
// decoder, and an independent parse by `openssl asn1parse`.
#include "CryptoTestUtil.h"

#include "certparse.h"
#include "p7sm2.h"
#include "sigstruct.h"
#include "sm2verify.h"
#include "sm3.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {

bool contains(const Bytes& hay, const Bytes& needle)
{
    return std::search(hay.begin(), hay.end(), needle.begin(), needle.end()) != hay.end();
}

struct P7 {
    PKCS7ContentInfo_t* ci = p7_new();
    ~P7() { p7_free(ci); }
};

Bytes encode(PKCS7ContentInfo_t* ci, int room = 16384)
{
    Bytes out((size_t)room);
    int size = room;
    if (p7_to_buffer(ci, out.data(), &size) != 0)
        return {};
    out.resize((size_t)size);
    return out;
}

const unsigned char kIssuer[] = {0x30, 0x0D, 0x31, 0x0B, 0x30, 0x09, 0x06, 0x03, 0x55,
                                 0x04, 0x03, 0x0C, 0x02, 'C',  'A'};

// Encodes a signed data with the given r, s and serial and returns our decoding of it.
int buildAndDecode(const Bytes& r, const Bytes& s, const std::string& serial, vq_p7_view* view,
                   Bytes* der = nullptr)
{
    P7 p7;
    if (p7_add_signed_data(p7.ci) != 0)
        return -100;
    Bytes cert = randomBytes(40); // stands in for a certificate: any complete TLV
    cert[0] = 0x04;
    cert[1] = 38;
    if (p7_add_certificate(p7.ci, cert.data(), (int)cert.size()) != 0)
        return -101;
    int rc = p7_add_signerInfo(p7.ci, r.data(), (int)r.size(), s.data(), (int)s.size(),
                               serial.c_str(), (int)serial.size(), kIssuer, sizeof(kIssuer));
    if (rc != 0)
        return rc;
    Bytes out = encode(p7.ci);
    if (der)
        *der = out;
    return vq_p7_decode(out.data(), (int)out.size(), view);
}

}  // namespace

TEST(Pkcs7Builder, SignedDataForAnSm2CertificateCarriesTheIdentifiersAndAttributes)
{
    PkeyPtr key = makeSm2Key();
    CertSpec recipe;
    recipe.subject = {{"C", "CN"}, {"O", "Orvessa"}, {"OU", "ABC"}, {"CN", "签名人"}};
    recipe.serial = {0x8A, 0x01, 0x02};
    recipe.keyUsage = "digitalSignature,nonRepudiation";
    X509Ptr cert = makeCert(key.get(), recipe);
    Bytes certDer = toDer(cert.get());

    // What the signer does: parse the certificate, digest, have (r, s) made, build, encode.
    parsehelps h;
    init_parsehelps(&h);
    h.is_sn = h.iscerttype = h.ispkkey = h.istime = h.isissuer_der = 1;
    ASSERT_EQ(prase_cert_helps_fun(certDer.data(), (int)certDer.size(), &h, 0), 0);
    EXPECT_STREQ(h.certsn, "8A0102");

    Bytes msg = randomBytes(4096);
    Bytes e(32);
    unsigned int elen = 0;
    ASSERT_EQ(pkcs7_sm3(msg.data(), (unsigned)msg.size(), h.public_key + 1, 64, e.data(), &elen), 0);
    Bytes sig = opensslSignDigest(key.get(), e);
    unsigned char r[32], s[32];
    splitSignature(sig, r, s);
    Bytes ts = randomBytes(1500);

    P7 p7;
    ASSERT_EQ(p7_add_signed_data(p7.ci), 0);
    ASSERT_EQ(p7_add_certificate(p7.ci, certDer.data(), (int)certDer.size()), 0);
    ASSERT_EQ(p7_add_signerInfo(p7.ci, r, 32, s, 32, h.certsn, (int)strlen(h.certsn),
                                h.strissuer_der, h.strissuer_derlen),
              0);
    ASSERT_EQ(p7_add_tsa(p7.ci, ts.data(), (int)ts.size()), 0);
    Bytes der = encode(p7.ci);
    ASSERT_FALSE(der.empty());
    EXPECT_LT(der.size(), certDer.size() + 3124);

    // DER bytes of the identifiers as written.
    EXPECT_TRUE(contains(der, {0x06, 0x0A, 0x2A, 0x81, 0x1C, 0xCF, 0x55, 0x06, 0x01, 0x04, 0x02, 0x02}));
    EXPECT_TRUE(contains(der, {0x06, 0x0A, 0x2A, 0x81, 0x1C, 0xCF, 0x55, 0x06, 0x01, 0x04, 0x02, 0x01}));
    EXPECT_TRUE(contains(der, {0x06, 0x09, 0x2A, 0x81, 0x1C, 0x81, 0x45, 0x01, 0x83, 0x11, 0x02}));
    EXPECT_TRUE(contains(der, {0x06, 0x09, 0x2A, 0x81, 0x1C, 0xCF, 0x55, 0x01, 0x82, 0x2D, 0x01}));
    EXPECT_TRUE(contains(der, {0x06, 0x0B, 0x2A, 0x86, 0x48, 0x86, 0xF7, 0x0D, 0x01, 0x09, 0x10, 0x02, 0x0E}));
    EXPECT_TRUE(contains(der, certDer));
    EXPECT_TRUE(contains(der, {0x02, 0x04, 0x00, 0x8A, 0x01, 0x02})); // positive serial
    EXPECT_EQ(der[0], 0x30);

    vq_p7_view v;
    ASSERT_EQ(vq_p7_decode(der.data(), (int)der.size(), &v), VQ_P7_OK);
    EXPECT_STREQ(v.content_type, P7_OID_SIGNED_DATA);
    EXPECT_EQ(v.version, 1);
    EXPECT_STREQ(v.digest_algorithm, P7_OID_SM3_DIGEST);
    EXPECT_STREQ(v.inner_content_type, P7_OID_DATA);
    EXPECT_FALSE(v.has_inner_content);
    EXPECT_EQ(v.certificate_count, 1);
    EXPECT_EQ(Bytes(v.certificate.data, v.certificate.data + v.certificate.len), certDer);
    EXPECT_EQ(v.signer_count, 1);
    EXPECT_EQ(v.signer_version, 1);
    EXPECT_EQ(Bytes(v.issuer.data, v.issuer.data + v.issuer.len),
              Bytes(h.strissuer_der, h.strissuer_der + h.strissuer_derlen));
    EXPECT_STREQ(v.signer_digest_algorithm, P7_OID_SM3_DIGEST);
    EXPECT_STREQ(v.signature_algorithm, P7_OID_SM2_SIGNATURE);
    EXPECT_FALSE(v.has_authenticated_attributes);
    EXPECT_EQ(v.unauthenticated_count, 1);
    EXPECT_STREQ(v.first_attribute_type, P7_OID_TIME_STAMP_TOKEN);
    ASSERT_TRUE(v.has_time_stamp);
    EXPECT_EQ(Bytes(v.time_stamp.data, v.time_stamp.data + v.time_stamp.len), ts);
    EXPECT_EQ(Bytes(v.r, v.r + 32), Bytes(r, r + 32));
    EXPECT_EQ(Bytes(v.s, v.s + 32), Bytes(s, s + 32));

    // The decoded signature verifies with the certificate's key over the message digest.
    Bytes rs(v.r, v.r + 32);
    rs.insert(rs.end(), v.s, v.s + 32);
    EXPECT_EQ(pkcs7_verifysm2(e.data(), 32, h.public_key, 65, rs.data()), 0);
    vq_p7_view_free(&v);

    // The certificate found in the structure parses back to the same serial.
    char* sn = nullptr;
    pkcs7_cert* parsed = pkcs7_openssl_prase_sm2cert(certDer.data(), (int)certDer.size(), 0);
    ASSERT_NE(parsed, nullptr);
    ASSERT_EQ(pkcs7_openssl_prase_getsn_fn(parsed, &sn), 0);
    EXPECT_STREQ(sn, h.certsn);
    free(sn);
    pkcs7_openssl_prase_drop(parsed);
    free_parsehelps(&h);

    // An independent parser reads the whole structure.
    std::string dir = tempDir();
    writeFile(dir + "/sig.p7", der);
    std::string out;
    int status = runCommand(std::string(ORV_OPENSSL_PROGRAM) + " asn1parse -inform DER -i -in " + dir +
                                "/sig.p7 2>&1",
                            &out);
    EXPECT_EQ(status, 0) << out;
    EXPECT_NE(out.find("1.2.156.10197.6.1.4.2.2"), std::string::npos) << out;
    EXPECT_NE(out.find("1.2.156.197.1.401.2"), std::string::npos) << out;
    EXPECT_NE(out.find("1.2.156.10197.1.301.1"), std::string::npos) << out;
    EXPECT_NE(out.find("id-smime-aa-timeStampToken"), std::string::npos) << out;
    EXPECT_NE(out.find("BIT STRING"), std::string::npos) << out;
    EXPECT_EQ(out.find("Error"), std::string::npos) << out;
    std::remove((dir + "/sig.p7").c_str());
    std::remove(dir.c_str());
}

TEST(Pkcs7Builder, SignatureIntegersAreCanonicalDer)
{
    struct Row {
        unsigned char first, second;
        size_t contentLen;
        unsigned char lead0, lead1;
    };
    // r (and s) as 32 bytes beginning with first, second, then 0x11 bytes.
    const Row rows[] = {
        {0x80, 0x11, 33, 0x00, 0x80}, // top bit set: 00 in front
        {0xFF, 0x11, 33, 0x00, 0xFF},
        {0x00, 0x7F, 31, 0x7F, 0x11}, // leading zero byte dropped
        {0x00, 0x80, 32, 0x00, 0x80}, // leading zero byte kept: the next has the top bit
        {0x7F, 0x11, 32, 0x7F, 0x11},
    };
    for (const Row& row : rows) {
        Bytes v(32, 0x11);
        v[0] = row.first;
        v[1] = row.second;
        vq_p7_view view;
        ASSERT_EQ(buildAndDecode(v, v, "0A01", &view), VQ_P7_OK);
        ASSERT_EQ((size_t)view.r_integer.len, row.contentLen);
        EXPECT_EQ(view.r_integer.data[0], row.lead0);
        EXPECT_EQ(view.r_integer.data[1], row.lead1);
        EXPECT_EQ((size_t)view.s_integer.len, row.contentLen);
        EXPECT_EQ(Bytes(view.r, view.r + 32), v);
        // The whole encrypted digest: SEQUENCE of two INTEGERs with exactly these lengths.
        const vq_bytes& ed = view.encrypted_digest;
        ASSERT_GE(ed.len, 4);
        EXPECT_EQ(ed.data[0], 0x30);
        EXPECT_EQ(ed.data[2], 0x02);
        EXPECT_EQ(ed.data[3], row.contentLen);
        vq_p7_view_free(&view);
    }

    // Several leading zero bytes shrink to the minimal encoding.
    Bytes small(32, 0);
    small[30] = 0x01;
    small[31] = 0x02;
    vq_p7_view view;
    ASSERT_EQ(buildAndDecode(small, small, "01", &view), VQ_P7_OK);
    ASSERT_EQ(view.r_integer.len, 2);
    EXPECT_EQ(view.r_integer.data[0], 0x01);
    EXPECT_EQ(Bytes(view.r, view.r + 32), small);
    vq_p7_view_free(&view);
}

TEST(Pkcs7Builder, SerialNumbersArePositiveMinimalIntegers)
{
    const struct {
        const char* text;
        Bytes tlv;
    } rows[] = {
        {"8A01", {0x02, 0x03, 0x00, 0x8A, 0x01}},
        {"0A01", {0x02, 0x02, 0x0A, 0x01}},
        {"8a01", {0x02, 0x03, 0x00, 0x8A, 0x01}},
        {"0", {0x02, 0x01, 0x00}},
        {"A01", {0x02, 0x02, 0x0A, 0x01}},
    };
    Bytes r(32, 0x42);
    for (const auto& row : rows) {
        vq_p7_view view;
        ASSERT_EQ(buildAndDecode(r, r, row.text, &view), VQ_P7_OK) << row.text;
        EXPECT_EQ(Bytes(view.serial.data, view.serial.data + view.serial.len), row.tlv) << row.text;
        vq_p7_view_free(&view);
    }
    for (const char* bad : {"", "XY", "12 4"}) {
        vq_p7_view view;
        EXPECT_EQ(buildAndDecode(r, r, bad, &view), -1) << bad;
    }
}

TEST(Pkcs7Builder, EmptyTimeStampAndBufferLimits)
{
    P7 p7;
    // Without signed data nothing can be added.
    unsigned char r[32] = {1}, s[32] = {2};
    EXPECT_EQ(p7_add_signerInfo(p7.ci, r, 32, s, 32, "01", 2, kIssuer, sizeof(kIssuer)), -1);
    ASSERT_EQ(p7_add_signed_data(p7.ci), 0);
    // No signer information yet: the time stamp is ignored.
    EXPECT_EQ(p7_add_tsa(p7.ci, (const unsigned char*)"x", 1), 0);
    Bytes noSigner = encode(p7.ci);
    ASSERT_FALSE(noSigner.empty());
    vq_p7_view v;
    EXPECT_EQ(vq_p7_decode(noSigner.data(), (int)noSigner.size(), &v), VQ_P7_NO_SIGNER);
    EXPECT_EQ(v.signer_count, 0);
    vq_p7_view_free(&v);

    ASSERT_EQ(p7_add_signerInfo(p7.ci, r, 32, s, 32, "01", 2, kIssuer, sizeof(kIssuer)), 0);
    ASSERT_EQ(p7_add_tsa(p7.ci, nullptr, 0), 0);
    Bytes der = encode(p7.ci);
    EXPECT_TRUE(contains(der, {0x31, 0x03, 0x03, 0x01, 0x00})); // SET { BIT STRING '' }
    ASSERT_EQ(vq_p7_decode(der.data(), (int)der.size(), &v), VQ_P7_OK);
    EXPECT_TRUE(v.has_time_stamp);
    EXPECT_EQ(v.time_stamp.len, 0);
    vq_p7_view_free(&v);

    // Exactly enough room works; one byte less fails.
    int size = (int)der.size();
    Bytes buf(der.size());
    EXPECT_EQ(p7_to_buffer(p7.ci, buf.data(), &size), 0);
    EXPECT_EQ(buf, der);
    size = (int)der.size() - 1;
    EXPECT_EQ(p7_to_buffer(p7.ci, buf.data(), &size), 1);

    // A second time stamp replaces the first.
    ASSERT_EQ(p7_add_tsa(p7.ci, (const unsigned char*)"abc", 3), 0);
    der = encode(p7.ci);
    ASSERT_EQ(vq_p7_decode(der.data(), (int)der.size(), &v), VQ_P7_OK);
    EXPECT_EQ(v.unauthenticated_count, 1);
    EXPECT_EQ(std::string((const char*)v.time_stamp.data, (size_t)v.time_stamp.len), "abc");
    vq_p7_view_free(&v);
}

TEST(Pkcs7Builder, DecodingToleratesPaddingAndRejectsGarbage)
{
    Bytes r(32, 0x42);
    vq_p7_view view;
    Bytes der;
    ASSERT_EQ(buildAndDecode(r, r, "01", &view, &der), VQ_P7_OK);
    vq_p7_view_free(&view);

    // /Contents holds the value followed by zeros.
    Bytes padded = der;
    padded.resize(der.size() + 2000, 0);
    EXPECT_EQ(vq_p7_decode(padded.data(), (int)padded.size(), &view), VQ_P7_OK);
    vq_p7_view_free(&view);

    // An armed but unsaved /Contents (all zeros), garbage, and every truncation: errors only.
    Bytes zeros(4000, 0);
    EXPECT_EQ(vq_p7_decode(zeros.data(), (int)zeros.size(), &view), VQ_P7_NOT_PKCS7);
    vq_p7_view_free(&view);
    Bytes garbage = fixedNoise(500);
    garbage[0] = 0x30;
    EXPECT_NE(vq_p7_decode(garbage.data(), (int)garbage.size(), &view), VQ_P7_OK);
    vq_p7_view_free(&view);
    for (size_t len = 0; len < der.size(); len++) {
        Bytes cut(der.begin(), der.begin() + (long)len);
        EXPECT_NE(vq_p7_decode(cut.data(), (int)cut.size(), &view), VQ_P7_OK) << len;
        vq_p7_view_free(&view);
    }

    // Damaged copies (bytes changed at fixed pseudo-random places) decode or fail cleanly.
    Bytes noise = fixedNoise(3 * 3000);
    for (size_t i = 0; i < 3000; i++) {
        Bytes bad = der;
        for (size_t k = 0; k < 3; k++)
            bad[(noise[3 * i + k] * 7919u + i * 31u) % bad.size()] ^= noise[3 * i + (k + 1) % 3] | 1;
        vq_p7_decode(bad.data(), (int)bad.size(), &view);
        vq_p7_view_free(&view);
    }

    // Deeply nested indefinite lengths end in an error, not a stack overflow.
    Bytes nested;
    for (int i = 0; i < 100000; i++)
        nested.insert(nested.end(), {0x30, 0x80});
    EXPECT_NE(vq_p7_decode(nested.data(), (int)nested.size(), &view), VQ_P7_OK);
    vq_p7_view_free(&view);
    vq_seal_view seal;
    EXPECT_NE(vq_seal_decode(nested.data(), (int)nested.size(), &seal), 0);
    vq_seal_view_free(&seal);

    // A ContentInfo without content decodes; it has no signed data.
    const unsigned char bare[] = {0x30, 0x0C, 0x06, 0x0A, 0x2A, 0x81, 0x1C, 0xCF,
                                  0x55, 0x06, 0x01, 0x04, 0x02, 0x02};
    EXPECT_EQ(vq_p7_decode(bare, sizeof(bare), &view), VQ_P7_NO_SIGNER);
    EXPECT_FALSE(view.has_signed_data);
    EXPECT_STREQ(view.content_type, P7_OID_SIGNED_DATA);
    vq_p7_view_free(&view);

    // An issuer that is no Name still decodes (issuer and serial are kept as they are).
    unsigned char rs[32] = {5};
    P7 p7;
    ASSERT_EQ(p7_add_signed_data(p7.ci), 0);
    const unsigned char oddIssuer[] = {0x04, 0x02, 0xAB, 0xCD};
    ASSERT_EQ(p7_add_signerInfo(p7.ci, rs, 32, rs, 32, "01", 2, oddIssuer, sizeof(oddIssuer)), 0);
    der = encode(p7.ci);
    ASSERT_EQ(vq_p7_decode(der.data(), (int)der.size(), &view), VQ_P7_OK);
    EXPECT_EQ(Bytes(view.issuer.data, view.issuer.data + view.issuer.len),
              Bytes(oddIssuer, oddIssuer + sizeof(oddIssuer)));
    vq_p7_view_free(&view);
}

TEST(Pkcs7Builder, SignerInfosAreAppendedAndOrderedByTheirEncoding)
{
    P7 p7;
    ASSERT_EQ(p7_add_signed_data(p7.ci), 0);
    unsigned char r[32] = {9}, s[32] = {9};
    ASSERT_EQ(p7_add_signerInfo(p7.ci, r, 32, s, 32, "02", 2, kIssuer, sizeof(kIssuer)), 0);
    ASSERT_EQ(p7_add_signerInfo(p7.ci, r, 32, s, 32, "01", 2, kIssuer, sizeof(kIssuer)), 0);
    // The time stamp goes to the first signer information added.
    ASSERT_EQ(p7_add_tsa(p7.ci, (const unsigned char*)"ts", 2), 0);
    Bytes der = encode(p7.ci);
    vq_p7_view v;
    ASSERT_EQ(vq_p7_decode(der.data(), (int)der.size(), &v), VQ_P7_OK);
    EXPECT_EQ(v.signer_count, 2);
    // DER orders a SET OF by the elements' encodings: serial 01 comes first.
    EXPECT_EQ(Bytes(v.serial.data, v.serial.data + v.serial.len), Bytes({0x02, 0x01, 0x01}));
    vq_p7_view_free(&v);
}
