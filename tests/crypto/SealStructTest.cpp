// GB/T 38540 seal signatures built with our types decode back field for field, and the DER of the
// signed parts lets both signatures (seal maker's and signer's) verify.
#include "CryptoTestUtil.h"

#include "sigstruct.h"
#include "sm2verify.h"
#include "sm3.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {

vq_bytes B(const Bytes& b) { return vq_bytes{b.data(), (int)b.size()}; }
vq_bytes S(const char* s) { return vq_bytes{(const unsigned char*)s, (int)strlen(s)}; }
Bytes toBytes(const vq_bytes& b) { return Bytes(b.data, b.data + b.len); }
std::string toText(const vq_bytes& b) { return std::string((const char*)b.data, (size_t)b.len); }

Bytes rsDer(EVP_PKEY* key, const Bytes& point, const Bytes& tbs)
{
    Bytes e(32);
    unsigned int elen = 0;
    pkcs7_sm3(tbs.data(), (unsigned)tbs.size(), point.data() + 1, 64, e.data(), &elen);
    return opensslSignDigest(key, e);
}

int verifyOver(const vq_bytes& signed_, const vq_bytes& rsder, const Bytes& point)
{
    unsigned char rs[64];
    if (vq_decode_sm2_rs(rsder.data, rsder.len, rs, rs + 32) != 0)
        return -1;
    Bytes e(32);
    unsigned int elen = 0;
    pkcs7_sm3(signed_.data, (unsigned)signed_.len, point.data() + 1, 64, e.data(), &elen);
    return pkcs7_verifysm2(e.data(), 32, point.data(), 65, rs);
}

}  // namespace

TEST(SealStruct, BuiltSealSignatureRoundTripsAndVerifies)
{
    PkeyPtr makerKey = makeSm2Key(), signerKey = makeSm2Key();
    Bytes makerPoint = sm2PublicPoint(makerKey.get()), signerPoint = sm2PublicPoint(signerKey.get());
    CertSpec makerSpec;
    makerSpec.subject = {{"CN", "Seal Maker"}};
    CertSpec signerSpec;
    signerSpec.subject = {{"CN", "张三"}};
    Bytes makerCert = toDer(makeCert(makerKey.get(), makerSpec).get());
    Bytes signerCert = toDer(makeCert(signerKey.get(), signerSpec).get());
    Bytes otherCert = randomBytes(64);
    Bytes picture = randomBytes(700);
    Bytes dataHash = randomBytes(32);
    Bytes timeStamp = randomBytes(900);
    vq_bytes certs[2] = {B(otherCert), B(signerCert)};

    vq_seal_view in;
    memset(&in, 0, sizeof(in));
    in.signer_cert = B(signerCert);
    strcpy(in.signature_alg, "1.2.156.10197.1.501");
    in.has_time_stamp = 1;
    in.time_stamp = B(timeStamp);
    in.version = 4;
    in.time_info = S("20240315123000Z");
    in.data_hash = B(dataHash);
    in.property_info = S("/Page 1");
    in.maker_cert = B(makerCert);
    strcpy(in.sign_alg, "1.2.156.10197.1.501");
    in.header_id = S("ES");
    in.header_version = 4;
    in.header_vid = S("Orvessa");
    in.es_id = S("1101000000001");
    in.prop_type = 1;
    in.prop_name = S("合同专用章");
    in.cert_list_type = 1;
    in.cert_list_count = 2;
    in.cert_list = certs;
    in.create_date = S("20240101000000Z");
    in.valid_start = S("20240101000000Z");
    in.valid_end = S("20340101000000Z");
    in.pic_type = S("PNG");
    in.pic_data = B(picture);
    in.pic_width = 40;
    in.pic_height = 40;
    Bytes placeholder = {0x30, 0x00};
    in.sign_value = B(placeholder);
    in.signature = B(placeholder);

    // Sign the seal information, then the seal signature's to-be-signed part, as a maker and a
    // signer would: each signature covers the DER of its part, which does not include it.
    unsigned char* der = nullptr;
    int derLen = 0;
    ASSERT_EQ(vq_seal_encode(&in, &der, &derLen), 0);
    vq_seal_view v;
    ASSERT_EQ(vq_seal_decode(der, derLen, &v), 0);
    Bytes sealSig = rsDer(makerKey.get(), makerPoint, toBytes(v.eseal_info_der));
    vq_seal_view_free(&v);
    free(der);
    in.sign_value = B(sealSig);
    ASSERT_EQ(vq_seal_encode(&in, &der, &derLen), 0);
    ASSERT_EQ(vq_seal_decode(der, derLen, &v), 0);
    Bytes signerSig = rsDer(signerKey.get(), signerPoint, toBytes(v.to_sign_der));
    vq_seal_view_free(&v);
    free(der);
    in.signature = B(signerSig);
    ASSERT_EQ(vq_seal_encode(&in, &der, &derLen), 0);
    Bytes encoded(der, der + derLen);
    free(der);

    ASSERT_EQ(vq_seal_decode(encoded.data(), (int)encoded.size(), &v), 0);
    EXPECT_EQ(toBytes(v.signer_cert), signerCert);
    EXPECT_STREQ(v.signature_alg, "1.2.156.10197.1.501");
    EXPECT_EQ(toBytes(v.signature), signerSig);
    ASSERT_TRUE(v.has_time_stamp);
    EXPECT_EQ(toBytes(v.time_stamp), timeStamp);
    EXPECT_EQ(v.version, 4);
    EXPECT_EQ(toText(v.time_info), "20240315123000Z");
    EXPECT_EQ(toBytes(v.data_hash), dataHash);
    EXPECT_EQ(toText(v.property_info), "/Page 1");
    EXPECT_EQ(toBytes(v.maker_cert), makerCert);
    EXPECT_STREQ(v.sign_alg, "1.2.156.10197.1.501");
    EXPECT_EQ(toBytes(v.sign_value), sealSig);
    EXPECT_EQ(toText(v.header_id), "ES");
    EXPECT_EQ(v.header_version, 4);
    EXPECT_EQ(toText(v.header_vid), "Orvessa");
    EXPECT_EQ(toText(v.es_id), "1101000000001");
    EXPECT_EQ(v.prop_type, 1);
    EXPECT_EQ(toText(v.prop_name), "合同专用章");
    EXPECT_EQ(v.cert_list_type, 1);
    ASSERT_EQ(v.cert_list_count, 2);
    EXPECT_EQ(toBytes(v.cert_list[0]), otherCert);
    EXPECT_EQ(toBytes(v.cert_list[1]), signerCert);
    EXPECT_EQ(toText(v.create_date), "20240101000000Z");
    EXPECT_EQ(toText(v.valid_start), "20240101000000Z");
    EXPECT_EQ(toText(v.valid_end), "20340101000000Z");
    EXPECT_EQ(toText(v.pic_type), "PNG");
    EXPECT_EQ(toBytes(v.pic_data), picture);
    EXPECT_EQ(v.pic_width, 40);
    EXPECT_EQ(v.pic_height, 40);

    // Both signatures verify over the re-encoded parts; a changed part does not.
    EXPECT_EQ(verifyOver(v.eseal_info_der, v.sign_value, makerPoint), 0);
    EXPECT_EQ(verifyOver(v.to_sign_der, v.signature, signerPoint), 0);
    EXPECT_EQ(verifyOver(v.to_sign_der, v.sign_value, makerPoint), 15);
    // The re-encoded to-be-signed part is exactly the bytes inside the original.
    Bytes tbs = toBytes(v.to_sign_der);
    EXPECT_NE(std::search(encoded.begin(), encoded.end(), tbs.begin(), tbs.end()), encoded.end());

    long long t = 0;
    ASSERT_EQ(vq_generalized_time_to_seconds(v.time_info.data, v.time_info.len, &t), 0);
    EXPECT_EQ(t, 1710505800LL);
    vq_seal_view_free(&v);

    // Without a time stamp the member is absent.
    in.has_time_stamp = 0;
    ASSERT_EQ(vq_seal_encode(&in, &der, &derLen), 0);
    ASSERT_EQ(vq_seal_decode(der, derLen, &v), 0);
    EXPECT_FALSE(v.has_time_stamp);
    vq_seal_view_free(&v);
    free(der);

    // Every truncation and random bytes: errors, never a crash.
    for (size_t len = 0; len < encoded.size(); len += 7) {
        EXPECT_NE(vq_seal_decode(encoded.data(), (int)len, &v), 0) << len;
        vq_seal_view_free(&v);
    }
    Bytes noise = fixedNoise(3 * 2000);
    for (size_t i = 0; i < 2000; i++) {
        Bytes bad = encoded;
        for (size_t k = 0; k < 3; k++)
            bad[(noise[3 * i + k] * 7919u + i * 131u) % bad.size()] ^= noise[3 * i + (k + 1) % 3] | 1;
        vq_seal_decode(bad.data(), (int)bad.size(), &v);
        vq_seal_view_free(&v);
    }
    Bytes garbage = fixedNoise(300);
    EXPECT_NE(vq_seal_decode(garbage.data(), (int)garbage.size(), &v), 0);
    vq_seal_view_free(&v);
}

TEST(SealStruct, GeneralizedTimeText)
{
    long long t = 0;
    const char* text = "20691231235959Z";
    ASSERT_EQ(vq_generalized_time_to_seconds((const unsigned char*)text, 15, &t), 0);
    EXPECT_EQ(t, 3155759999LL);
    const char* bad = "notatime";
    EXPECT_EQ(vq_generalized_time_to_seconds((const unsigned char*)bad, 8, &t), -1);
    EXPECT_EQ(vq_generalized_time_to_seconds(nullptr, 0, &t), -1);
}
