// Keys, certificates and helpers made by the crypto tests themselves.
#pragma once

#include <openssl/evp.h>
#include <openssl/x509.h>

#include <iterator>
#include <memory>
#include <string>
#include <vector>

using Bytes = std::vector<unsigned char>;

struct PkeyFree { void operator()(EVP_PKEY* k) const { EVP_PKEY_free(k); } };
struct X509Free { void operator()(X509* x) const { X509_free(x); } };
using PkeyPtr = std::unique_ptr<EVP_PKEY, PkeyFree>;
using X509Ptr = std::unique_ptr<X509, X509Free>;

PkeyPtr makeSm2Key();
PkeyPtr makeRsaKey(int bits = 2048);
// 65-byte uncompressed point 04 || x || y of an SM2 key.
Bytes sm2PublicPoint(EVP_PKEY* key);

struct CertSpec {
    // Subject entries in order, e.g. {{"C","CN"},{"O","Org"},{"OU","ABC"},{"CN","Alice"}}.
    std::vector<std::pair<std::string, std::string>> subject;
    std::string issuerCn = "Orvessa Test CA";
    // (Built from an array: GCC 12 warns wrongly about a braced list member initialiser here.)
    static constexpr unsigned char kDefaultSerial[] = {0x01, 0x23, 0x45};
    Bytes serial = Bytes(std::begin(kDefaultSerial), std::end(kDefaultSerial));
    std::string keyUsage;          // e.g. "digitalSignature,nonRepudiation"; empty: none
    std::string notBefore = "250101000000Z";   // UTCTime unless 15 characters (GeneralizedTime)
    std::string notAfter = "350101000000Z";
};

// A certificate for key, signed by signKey (itself when null) with SM3 for SM2 keys and SHA-256
// otherwise.
X509Ptr makeCert(EVP_PKEY* key, const CertSpec& recipe, EVP_PKEY* signKey = nullptr);

Bytes toDer(X509* cert);
std::string toPem(X509* cert);
std::string base64(const Bytes& data);
Bytes randomBytes(size_t n);
// The same pseudo-random bytes on every run (for damaged-input tests that must reproduce).
Bytes fixedNoise(size_t n, unsigned seed = 12345);

// e = SM3(Z || msg) as OpenSSL computes it is not exposed: these sign and verify through
// EVP_DigestSign/Verify with the identity "1234567812345678".
Bytes opensslDigestSign(EVP_PKEY* key, const Bytes& msg);
bool opensslDigestVerify(EVP_PKEY* key, const Bytes& msg, const Bytes& derSig);
// Sign / verify a precomputed 32-byte digest e.
Bytes opensslSignDigest(EVP_PKEY* key, const Bytes& e);
bool opensslVerifyDigest(EVP_PKEY* key, const Bytes& e, const Bytes& derSig);
// r and s of a DER SEQUENCE { r, s } as 32-byte values.
void splitSignature(const Bytes& derSig, unsigned char r[32], unsigned char s[32]);

std::string tempDir();
void writeFile(const std::string& path, const Bytes& data);
Bytes readFile(const std::string& path);
// Runs a shell command; returns its exit status and fills output with its stdout.
int runCommand(const std::string& cmd, std::string* output = nullptr);
