// SM3 against the standard's examples and OpenSSL's EVP_sm3; HMAC-SM3; the SM2 message digest.
#include "CryptoTestUtil.h"

#include "sm3.h"

#include <openssl/evp.h>
#include <openssl/hmac.h>

#include <gtest/gtest.h>

#include <cstring>
#include <random>

namespace {

Bytes ourSm3(const Bytes& in)
{
    Bytes out(32);
    sm3(in.data(), (int)in.size(), out.data());
    return out;
}

Bytes opensslSm3(const Bytes& in)
{
    Bytes out(32);
    unsigned int len = 0;
    EVP_Digest(in.data(), in.size(), out.data(), &len, EVP_sm3(), nullptr);
    return out;
}

Bytes hex(const char* text)
{
    Bytes out;
    for (const char* p = text; *p; ) {
        if (*p == ' ') { ++p; continue; }
        out.push_back((unsigned char)std::stoi(std::string(p, 2), nullptr, 16));
        p += 2;
    }
    return out;
}

}  // namespace

TEST(Sm3, StandardExamples)
{
    Bytes abc = {'a', 'b', 'c'};
    EXPECT_EQ(ourSm3(abc),
              hex("66C7F0F4 62EEEDD9 D1F2D46B DC10E4E2 4167C487 5CF2F7A2 297DA02B 8F4BA8E0"));
    Bytes abcd;
    for (int i = 0; i < 16; i++)
        abcd.insert(abcd.end(), {'a', 'b', 'c', 'd'});
    EXPECT_EQ(ourSm3(abcd),
              hex("DEBE9FF9 2275B8A1 38604889 C18E5A4D 6FDB70E5 387E5765 293DCBA3 9C0C5732"));
}

TEST(Sm3, MatchesOpenSslOnEveryLengthUpTo300)
{
    for (size_t len = 0; len <= 300; len++) {
        Bytes in = randomBytes(len);
        ASSERT_EQ(ourSm3(in), opensslSm3(in)) << "length " << len;
    }
}

TEST(Sm3, PiecesGiveTheSameDigestAsOneCall)
{
    Bytes in = randomBytes(1000);
    std::mt19937 rng(7);
    static const size_t pieces[] = {1, 63, 64, 65};
    for (int round = 0; round < 20; round++) {
        sm3_hash_state ctx;
        sm3_starts(&ctx);
        size_t pos = 0, k = (size_t)round;
        while (pos < in.size()) {
            size_t want = round < 4 ? pieces[k++ % 4] : (size_t)(rng() % 150);
            size_t n = std::min(in.size() - pos, want);
            sm3_update1(&ctx, in.data() + pos, (int)n);
            pos += n;
        }
        sm3_update1(&ctx, in.data(), -5); // nothing
        Bytes out(32);
        sm3_finish(&ctx, out.data());
        ASSERT_EQ(out, opensslSm3(in)) << "round " << round;
    }
}

TEST(Sm3, LargeBufferMatchesOpenSsl)
{
    Bytes in = randomBytes(9 * 1024 * 1024 + 13);
    EXPECT_EQ(ourSm3(in), opensslSm3(in));
}

TEST(Sm3, FileDigestAndMissingFile)
{
    std::string dir = tempDir();
    Bytes in = randomBytes(5000);
    writeFile(dir + "/data.bin", in);
    unsigned char out[32] = {0};
    EXPECT_EQ(sm3_file((dir + "/data.bin").c_str(), out), 0);
    EXPECT_EQ(Bytes(out, out + 32), opensslSm3(in));

    unsigned char untouched[32];
    memset(untouched, 0xAB, sizeof(untouched));
    EXPECT_EQ(sm3_file((dir + "/missing.bin").c_str(), untouched), 1);
    EXPECT_EQ(Bytes(untouched, untouched + 32), Bytes(32, 0xAB));
    std::remove((dir + "/data.bin").c_str());
    std::remove(dir.c_str());
}

TEST(Sm3, HmacMatchesOpenSsl)
{
    for (size_t keylen : {0, 1, 32, 64, 65, 200}) {
        Bytes key = randomBytes(keylen);
        Bytes msg = randomBytes(333);
        unsigned char ours[32];
        sm3_hmac(key.data(), (int)key.size(), msg.data(), (int)msg.size(), ours);
        unsigned char theirs[32];
        unsigned int len = 0;
        HMAC(EVP_sm3(), key.data(), (int)key.size(), msg.data(), msg.size(), theirs, &len);
        EXPECT_EQ(Bytes(ours, ours + 32), Bytes(theirs, theirs + 32)) << "key length " << keylen;
    }
}

TEST(Sm3, MessageDigestWithoutKeyIsPlainSm3)
{
    Bytes msg = randomBytes(100);
    unsigned char out[32];
    unsigned int outlen = 0;
    EXPECT_EQ(pkcs7_sm3(msg.data(), (unsigned)msg.size(), nullptr, 0, out, &outlen), 0);
    EXPECT_EQ(outlen, 32u);
    EXPECT_EQ(Bytes(out, out + 32), opensslSm3(msg));
}

TEST(Sm3, MessageDigestRejectsKeysOfAnotherLength)
{
    unsigned char key[64] = {0};
    unsigned char out[32];
    unsigned int outlen = 0;
    EXPECT_EQ(pkcs7_sm3((const unsigned char*)"x", 1, key, 32, out, &outlen), 1);
}

// e = SM3(Z || M) agrees with OpenSSL's SM2 with the identity 1234567812345678, both ways:
// OpenSSL's DigestSign over M verifies as a signature of our e, and our e signed by OpenSSL
// verifies through OpenSSL's DigestVerify over M.
TEST(Sm3, ZValueAndMessageDigestMatchOpenSsl)
{
    for (int i = 0; i < 8; i++) {
        PkeyPtr key = makeSm2Key();
        Bytes point = sm2PublicPoint(key.get());
        ASSERT_EQ(point.size(), 65u);
        Bytes msg = randomBytes((size_t)(i * 97));
        Bytes e(32);
        unsigned int elen = 0;
        ASSERT_EQ(pkcs7_sm3(msg.data(), (unsigned)msg.size(), point.data() + 1, 64, e.data(), &elen), 0);
        ASSERT_EQ(elen, 32u);

        // Z itself, and the 65-byte point form of the key, give the same e.
        unsigned char z[32];
        ASSERT_EQ(sm2_compute_z(point.data() + 1, 64, z), 0);
        Bytes zm(z, z + 32);
        zm.insert(zm.end(), msg.begin(), msg.end());
        EXPECT_EQ(ourSm3(zm), e);
        Bytes e2(32);
        ASSERT_EQ(pkcs7_sm3(msg.data(), (unsigned)msg.size(), point.data(), 65, e2.data(), &elen), 0);
        EXPECT_EQ(e2, e);

        EXPECT_TRUE(opensslVerifyDigest(key.get(), e, opensslDigestSign(key.get(), msg)));
        EXPECT_TRUE(opensslDigestVerify(key.get(), msg, opensslSignDigest(key.get(), e)));
    }
}
