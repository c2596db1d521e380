// Our SM2 verification agrees with OpenSSL's on random keys and messages, valid and tampered.
#include "CryptoTestUtil.h"

#include "sm2verify.h"
#include "sm3.h"

#include <openssl/bn.h>
#include <openssl/ec.h>
#include <openssl/obj_mac.h>

#include <gtest/gtest.h>

namespace {

struct Case {
    PkeyPtr key;
    Bytes point; // 04 || x || y
    Bytes msg;
    Bytes e;
    Bytes rs;    // r || s
    Bytes der;   // OpenSSL's DER signature
};

Case makeCase(size_t msgLen)
{
    Case c;
    c.key = makeSm2Key();
    c.point = sm2PublicPoint(c.key.get());
    c.msg = randomBytes(msgLen);
    c.e.resize(32);
    unsigned int elen = 0;
    pkcs7_sm3(c.msg.data(), (unsigned)c.msg.size(), c.point.data() + 1, 64, c.e.data(), &elen);
    c.der = opensslDigestSign(c.key.get(), c.msg);
    c.rs.resize(64);
    splitSignature(c.der, c.rs.data(), c.rs.data() + 32);
    return c;
}

int ours(const Bytes& e, const Bytes& point, const Bytes& rs)
{
    return pkcs7_verifysm2(e.data(), (int)e.size(), point.data(), (int)point.size(), rs.data());
}

Bytes derOf(const Bytes& rs)
{
    ECDSA_SIG* sig = ECDSA_SIG_new();
    ECDSA_SIG_set0(sig, BN_bin2bn(rs.data(), 32, nullptr), BN_bin2bn(rs.data() + 32, 32, nullptr));
    unsigned char* der = nullptr;
    int n = i2d_ECDSA_SIG(sig, &der);
    Bytes out(der, der + n);
    OPENSSL_free(der);
    ECDSA_SIG_free(sig);
    return out;
}

}  // namespace

TEST(Sm2Verify, AcceptsOpenSslSignaturesAndRejectsFlippedBits)
{
    for (int i = 0; i < 12; i++) {
        Case c = makeCase((size_t)(i * 131));
        ASSERT_EQ(ours(c.e, c.point, c.rs), 0) << "case " << i;
        EXPECT_EQ(SM2_verify_signature(c.e.data(), 32, c.point.data() + 1, 32, c.point.data() + 33,
                                       32, c.rs.data(), 32, c.rs.data() + 32, 32),
                  0);

        int bit = (i * 37) % 256;
        Bytes r = c.rs; r[bit / 8] ^= (unsigned char)(1 << (bit % 8));
        Bytes s = c.rs; s[32 + bit / 8] ^= (unsigned char)(1 << (bit % 8));
        Bytes e = c.e; e[bit / 8] ^= (unsigned char)(1 << (bit % 8));
        Bytes kx = c.point; kx[1 + bit / 8] ^= (unsigned char)(1 << (bit % 8));
        Bytes ky = c.point; ky[33 + bit / 8] ^= (unsigned char)(1 << (bit % 8));
        EXPECT_EQ(ours(c.e, c.point, r), 15) << "flipped r, case " << i;
        EXPECT_EQ(ours(c.e, c.point, s), 15) << "flipped s, case " << i;
        EXPECT_EQ(ours(e, c.point, c.rs), 15) << "flipped e, case " << i;
        EXPECT_EQ(ours(c.e, kx, c.rs), 15) << "flipped key x, case " << i;
        EXPECT_EQ(ours(c.e, ky, c.rs), 15) << "flipped key y, case " << i;

        // OpenSSL's verdicts agree on the same values.
        EXPECT_TRUE(opensslDigestVerify(c.key.get(), c.msg, derOf(c.rs)));
        EXPECT_FALSE(opensslDigestVerify(c.key.get(), c.msg, derOf(r)));
        EXPECT_FALSE(opensslDigestVerify(c.key.get(), c.msg, derOf(s)));
        EXPECT_FALSE(opensslVerifyDigest(c.key.get(), e, c.der));
    }
}

TEST(Sm2Verify, RangeChecksOnRAndS)
{
    Case c = makeCase(50);
    EC_GROUP* group = EC_GROUP_new_by_curve_name(NID_sm2);
    Bytes n(32);
    BN_bn2binpad(EC_GROUP_get0_order(group), n.data(), 32);

    Bytes zeroR = c.rs; std::fill(zeroR.begin(), zeroR.begin() + 32, 0);
    Bytes zeroS = c.rs; std::fill(zeroS.begin() + 32, zeroS.end(), 0);
    Bytes bigR = c.rs; std::copy(n.begin(), n.end(), bigR.begin());
    Bytes bigS = c.rs; std::copy(n.begin(), n.end(), bigS.begin() + 32);
    // r + s = n gives t = 0.
    Bytes sumN = c.rs;
    BIGNUM* r = BN_bin2bn(c.rs.data(), 32, nullptr);
    BIGNUM* s = BN_new();
    BN_sub(s, EC_GROUP_get0_order(group), r);
    BN_bn2binpad(s, sumN.data() + 32, 32);
    BN_free(r);
    BN_free(s);
    EC_GROUP_free(group);

    for (const Bytes* bad : {&zeroR, &zeroS, &bigR, &bigS, &sumN})
        EXPECT_EQ(ours(c.e, c.point, *bad), 15);

    // A point that is not on the curve, and wrong lengths, are invalid (no crash).
    Bytes offCurve = c.point; offCurve[64] ^= 1;
    EXPECT_EQ(ours(c.e, offCurve, c.rs), 15);
    EXPECT_EQ(pkcs7_verifysm2(c.e.data(), 32, c.point.data(), 64, c.rs.data()), 15);
    EXPECT_EQ(pkcs7_verifysm2(c.e.data(), 32, nullptr, 65, c.rs.data()), 15);
    EXPECT_EQ(pkcs7_verifysm2(nullptr, 32, c.point.data(), 65, c.rs.data()), 15);
    EXPECT_EQ(SM2_verify_signature(c.e.data(), 32, c.point.data() + 1, 31, c.point.data() + 33,
                                   32, c.rs.data(), 32, c.rs.data() + 32, 32),
              -1);
}

TEST(Sm2Verify, LongDigestIsTruncatedToTheOrderLength)
{
    Case c = makeCase(10);
    Bytes longE = c.e;
    longE.insert(longE.end(), {0x12, 0x34, 0x56});
    EXPECT_EQ(ours(longE, c.point, c.rs), 0);
}
