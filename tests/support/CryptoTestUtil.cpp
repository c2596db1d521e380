#include "CryptoTestUtil.h"

#include <openssl/bn.h>
#include <openssl/core_names.h>
#include <openssl/ec.h>
#include <openssl/err.h>
#include <openssl/pem.h>
#include <openssl/rand.h>
#include <openssl/x509v3.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <stdexcept>

PkeyPtr makeSm2Key()
{
    return PkeyPtr(EVP_PKEY_Q_keygen(nullptr, nullptr, "SM2"));
}

PkeyPtr makeRsaKey(int bits)
{
    return PkeyPtr(EVP_PKEY_Q_keygen(nullptr, nullptr, "RSA", (size_t)bits));
}

Bytes sm2PublicPoint(EVP_PKEY* key)
{
    Bytes out(65);
    size_t len = 0;
    if (!EVP_PKEY_get_octet_string_param(key, OSSL_PKEY_PARAM_PUB_KEY, out.data(), out.size(), &len))
        throw std::runtime_error("no public key");
    out.resize(len);
    return out;
}

static void setTime(ASN1_TIME* t, const std::string& text)
{
    if (text.size() == 15)
        ASN1_GENERALIZEDTIME_set_string(t, text.c_str());
    else
        ASN1_UTCTIME_set_string(t, text.c_str());
}

X509Ptr makeCert(EVP_PKEY* key, const CertSpec& recipe, EVP_PKEY* signKey)
{
    if (!signKey)
        signKey = key;
    X509Ptr x(X509_new());
    X509_set_version(x.get(), 2);
    BIGNUM* bn = BN_bin2bn(recipe.serial.data(), (int)recipe.serial.size(), nullptr);
    BN_to_ASN1_INTEGER(bn, X509_get_serialNumber(x.get()));
    BN_free(bn);
    ASN1_TIME* nb = ASN1_TIME_new();
    ASN1_TIME* na = ASN1_TIME_new();
    setTime(nb, recipe.notBefore);
    setTime(na, recipe.notAfter);
    X509_set1_notBefore(x.get(), nb);
    X509_set1_notAfter(x.get(), na);
    ASN1_TIME_free(nb);
    ASN1_TIME_free(na);
    X509_NAME* subject = X509_NAME_new();
    for (auto& [k, v] : recipe.subject)
        X509_NAME_add_entry_by_txt(subject, k.c_str(), MBSTRING_UTF8,
                                   (const unsigned char*)v.c_str(), -1, -1, 0);
    X509_set_subject_name(x.get(), subject);
    X509_NAME_free(subject);
    X509_NAME* issuer = X509_NAME_new();
    X509_NAME_add_entry_by_txt(issuer, "C", MBSTRING_UTF8, (const unsigned char*)"CN", -1, -1, 0);
    X509_NAME_add_entry_by_txt(issuer, "CN", MBSTRING_UTF8,
                               (const unsigned char*)recipe.issuerCn.c_str(), -1, -1, 0);
    X509_set_issuer_name(x.get(), issuer);
    X509_NAME_free(issuer);
    X509_set_pubkey(x.get(), key);
    if (!recipe.keyUsage.empty()) {
        X509V3_CTX ctx;
        X509V3_set_ctx_nodb(&ctx);
        X509V3_set_ctx(&ctx, x.get(), x.get(), nullptr, nullptr, 0);
        X509_EXTENSION* ext = X509V3_EXT_conf_nid(nullptr, &ctx, NID_key_usage,
                                                  ("critical," + recipe.keyUsage).c_str());
        X509_add_ext(x.get(), ext, -1);
        X509_EXTENSION_free(ext);
    }
    bool sm2 = EVP_PKEY_is_a(signKey, "SM2");
    EVP_MD_CTX* md = EVP_MD_CTX_new();
    EVP_PKEY_CTX* pctx = nullptr;
    EVP_DigestSignInit(md, &pctx, sm2 ? EVP_sm3() : EVP_sha256(), nullptr, signKey);
    if (sm2)
        EVP_PKEY_CTX_set1_id(pctx, "1234567812345678", 16);
    if (X509_sign_ctx(x.get(), md) <= 0)
        throw std::runtime_error("cannot sign certificate");
    EVP_MD_CTX_free(md);
    return x;
}

Bytes toDer(X509* cert)
{
    unsigned char* der = nullptr;
    int n = i2d_X509(cert, &der);
    Bytes out(der, der + n);
    OPENSSL_free(der);
    return out;
}

std::string toPem(X509* cert)
{
    BIO* bio = BIO_new(BIO_s_mem());
    PEM_write_bio_X509(bio, cert);
    char* data = nullptr;
    long n = BIO_get_mem_data(bio, &data);
    std::string out(data, (size_t)n);
    BIO_free(bio);
    return out;
}

std::string base64(const Bytes& data)
{
    std::string out(4 * ((data.size() + 2) / 3) + 1, '\0');
    int n = EVP_EncodeBlock((unsigned char*)out.data(), data.data(), (int)data.size());
    out.resize((size_t)n);
    return out;
}

Bytes randomBytes(size_t n)
{
    Bytes out(n);
    if (n)
        RAND_bytes(out.data(), (int)n);
    return out;
}

Bytes opensslDigestSign(EVP_PKEY* key, const Bytes& msg)
{
    EVP_MD_CTX* md = EVP_MD_CTX_new();
    EVP_PKEY_CTX* pctx = EVP_PKEY_CTX_new(key, nullptr);
    EVP_PKEY_CTX_set1_id(pctx, "1234567812345678", 16);
    EVP_MD_CTX_set_pkey_ctx(md, pctx);
    EVP_DigestSignInit(md, nullptr, EVP_sm3(), nullptr, key);
    size_t len = 0;
    EVP_DigestSign(md, nullptr, &len, msg.data(), msg.size());
    Bytes sig(len);
    if (EVP_DigestSign(md, sig.data(), &len, msg.data(), msg.size()) != 1)
        throw std::runtime_error("DigestSign failed");
    sig.resize(len);
    EVP_MD_CTX_free(md);
    EVP_PKEY_CTX_free(pctx);
    return sig;
}

bool opensslDigestVerify(EVP_PKEY* key, const Bytes& msg, const Bytes& derSig)
{
    EVP_MD_CTX* md = EVP_MD_CTX_new();
    EVP_PKEY_CTX* pctx = EVP_PKEY_CTX_new(key, nullptr);
    EVP_PKEY_CTX_set1_id(pctx, "1234567812345678", 16);
    EVP_MD_CTX_set_pkey_ctx(md, pctx);
    EVP_DigestVerifyInit(md, nullptr, EVP_sm3(), nullptr, key);
    int rc = EVP_DigestVerify(md, derSig.data(), derSig.size(), msg.data(), msg.size());
    EVP_MD_CTX_free(md);
    EVP_PKEY_CTX_free(pctx);
    ERR_clear_error();
    return rc == 1;
}

Bytes opensslSignDigest(EVP_PKEY* key, const Bytes& e)
{
    EVP_PKEY_CTX* ctx = EVP_PKEY_CTX_new(key, nullptr);
    EVP_PKEY_sign_init(ctx);
    size_t len = 0;
    EVP_PKEY_sign(ctx, nullptr, &len, e.data(), e.size());
    Bytes sig(len);
    if (EVP_PKEY_sign(ctx, sig.data(), &len, e.data(), e.size()) != 1)
        throw std::runtime_error("sign failed");
    sig.resize(len);
    EVP_PKEY_CTX_free(ctx);
    return sig;
}

bool opensslVerifyDigest(EVP_PKEY* key, const Bytes& e, const Bytes& derSig)
{
    EVP_PKEY_CTX* ctx = EVP_PKEY_CTX_new(key, nullptr);
    EVP_PKEY_verify_init(ctx);
    int rc = EVP_PKEY_verify(ctx, derSig.data(), derSig.size(), e.data(), e.size());
    EVP_PKEY_CTX_free(ctx);
    ERR_clear_error();
    return rc == 1;
}

void splitSignature(const Bytes& derSig, unsigned char r[32], unsigned char s[32])
{
    const unsigned char* p = derSig.data();
    ECDSA_SIG* sig = d2i_ECDSA_SIG(nullptr, &p, (long)derSig.size());
    if (!sig)
        throw std::runtime_error("bad signature");
    BN_bn2binpad(ECDSA_SIG_get0_r(sig), r, 32);
    BN_bn2binpad(ECDSA_SIG_get0_s(sig), s, 32);
    ECDSA_SIG_free(sig);
}

Bytes fixedNoise(size_t n, unsigned seed)
{
    std::mt19937 rng(seed);
    Bytes out(n);
    for (auto& b : out)
        b = (unsigned char)(rng() & 0xFF);
    return out;
}

std::string tempDir()
{
    char tmpl[] = "/tmp/orv-crypto-XXXXXX";
    char* dir = mkdtemp(tmpl);
    if (!dir)
        throw std::runtime_error("mkdtemp failed");
    return dir;
}

void writeFile(const std::string& path, const Bytes& data)
{
    std::ofstream f(path, std::ios::binary);
    f.write((const char*)data.data(), (std::streamsize)data.size());
}

Bytes readFile(const std::string& path)
{
    std::ifstream f(path, std::ios::binary);
    return Bytes((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
}

int runCommand(const std::string& cmd, std::string* output)
{
    FILE* p = popen(cmd.c_str(), "r");
    if (!p)
        return -1;
    std::string out;
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof(buf), p)) > 0)
        out.append(buf, n);
    int status = pclose(p);
    if (output)
        *output = out;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}
