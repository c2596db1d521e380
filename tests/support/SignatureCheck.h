#pragma once
// An independent look at a signature written through the service: the SM2 value of the file's
// last signature is checked with OpenSSL against the certificate's key, over the byte ranges
// computed here (e = SM3(Z || M), Z over the curve, the key and the default user id).

#include "SignedPdf.h"

#include <openssl/bn.h>
#include <openssl/ec.h>
#include <openssl/evp.h>
#include <openssl/x509.h>

#include <QByteArray>
#include <cstdio>
#include <string>

#include <gtest/gtest.h>

namespace sigcheck {



struct Der {
    int tag = -1;
    size_t start = 0, len = 0; // content
    size_t end() const { return start + len; }
};

inline bool readDer(const Bytes& b, size_t at, size_t limit, Der& out)
{
    if (at + 2 > limit)
        return false;
    out.tag = b[at];
    size_t len = b[at + 1];
    size_t hdr = 2;
    if (len & 0x80) {
        const size_t n = len & 0x7f;
        if (n == 0 || n > 4 || at + 2 + n > limit)
            return false;
        len = 0;
        for (size_t i = 0; i < n; ++i)
            len = (len << 8) | b[at + 2 + i];
        hdr += n;
    }
    if (at + hdr + len > limit)
        return false;
    out.start = at + hdr;
    out.len = len;
    return true;
}

// Finds an OCTET STRING holding SEQUENCE { INTEGER r, INTEGER s } anywhere in the structure.
inline bool findRs(const Bytes& b, size_t from, size_t limit, Bytes& r, Bytes& s)
{
    size_t at = from;
    while (at < limit) {
        Der d;
        if (!readDer(b, at, limit, d))
            return false;
        if (d.tag == 0x04) {
            Der seq, ri, si;
            if (readDer(b, d.start, d.end(), seq) && seq.tag == 0x30 && seq.end() == d.end() &&
                readDer(b, seq.start, seq.end(), ri) && ri.tag == 0x02 && readDer(b, ri.end(), seq.end(), si) &&
                si.tag == 0x02 && si.end() == seq.end()) {
                r.assign(b.begin() + long(ri.start), b.begin() + long(ri.end()));
                s.assign(b.begin() + long(si.start), b.begin() + long(si.end()));
                return true;
            }
        }
        if ((d.tag & 0x20) && findRs(b, d.start, d.end(), r, s))
            return true;
        at = d.end();
    }
    return false;
}

inline Bytes sm3(const Bytes& data)
{
    Bytes out(32);
    unsigned int n = 0;
    EVP_Digest(data.data(), data.size(), out.data(), &n, EVP_sm3(), nullptr);
    return out;
}

inline Bytes bn32(const BIGNUM* v)
{
    Bytes out(32);
    BN_bn2binpad(v, out.data(), 32);
    return out;
}

// Checks the signature of the file's first signature with the certificate's key: e = SM3(Z || M)
// with Z = SM3(ENTL || ID || a || b || xG || yG || xA || yA), ID "1234567812345678".
inline ::testing::AssertionResult independentlyVerified(const std::string& file, const QByteArray& base64Cert)
{
    // The byte range of the last signature covers the whole file.
    unsigned long a = 0, b = 0, c = 0, d = 0;
    bool found = false;
    for (size_t at = file.find("/ByteRange"); at != std::string::npos; at = file.find("/ByteRange", at + 1)) {
        unsigned long a1, b1, c1, d1;
        if (std::sscanf(file.c_str() + at, "/ByteRange [ %lu %lu %lu %lu", &a1, &b1, &c1, &d1) == 4 &&
            c1 + d1 == file.size()) {
            a = a1, b = b1, c = c1, d = d1;
            found = true;
        }
    }
    if (!found)
        return ::testing::AssertionFailure() << "no byte range";
    if (a != 0 || c + d != file.size() || file[b] != '<' || file[c - 1] != '>')
        return ::testing::AssertionFailure() << "byte range does not cover the file";
    Bytes msg(file.begin(), file.begin() + long(b));
    msg.insert(msg.end(), file.begin() + long(c), file.begin() + long(c + d));
    const std::string hex = file.substr(b + 1, c - b - 2);
    Bytes value;
    for (size_t i = 0; i + 1 < hex.size(); i += 2)
        value.push_back(static_cast<unsigned char>(std::stoi(hex.substr(i, 2), nullptr, 16)));
    Bytes r, s;
    if (!findRs(value, 0, value.size(), r, s))
        return ::testing::AssertionFailure() << "no SM2 signature value in the contents";

    const QByteArray der = QByteArray::fromBase64(base64Cert);
    const unsigned char* p = reinterpret_cast<const unsigned char*>(der.constData());
    X509Ptr cert(d2i_X509(nullptr, &p, der.size()));
    if (!cert)
        return ::testing::AssertionFailure() << "certificate unreadable";
    EVP_PKEY* key = X509_get0_pubkey(cert.get());
    unsigned char point[65];
    size_t plen = 0;
    if (!EVP_PKEY_get_octet_string_param(key, "pub", point, sizeof point, &plen) || plen != 65)
        return ::testing::AssertionFailure() << "no SM2 public point";

    EC_GROUP* group = EC_GROUP_new_by_curve_name(NID_sm2);
    BIGNUM *pa = BN_new(), *pb = BN_new(), *pp = BN_new(), *gx = BN_new(), *gy = BN_new();
    EC_GROUP_get_curve(group, pp, pa, pb, nullptr);
    EC_POINT_get_affine_coordinates(group, EC_GROUP_get0_generator(group), gx, gy, nullptr);
    Bytes zin = {0x00, 0x80};
    const std::string id = "1234567812345678";
    zin.insert(zin.end(), id.begin(), id.end());
    for (const BIGNUM* v : {pa, pb, gx, gy}) {
        const Bytes part = bn32(v);
        zin.insert(zin.end(), part.begin(), part.end());
    }
    zin.insert(zin.end(), point + 1, point + 65);
    Bytes zm = sm3(zin);
    zm.insert(zm.end(), msg.begin(), msg.end());
    const Bytes e = sm3(zm);
    BN_free(pa);
    BN_free(pb);
    BN_free(pp);
    BN_free(gx);
    BN_free(gy);
    EC_GROUP_free(group);

    ECDSA_SIG* sig = ECDSA_SIG_new();
    ECDSA_SIG_set0(sig, BN_bin2bn(r.data(), int(r.size()), nullptr), BN_bin2bn(s.data(), int(s.size()), nullptr));
    unsigned char* sigDer = nullptr;
    const int sigLen = i2d_ECDSA_SIG(sig, &sigDer);
    EVP_PKEY_CTX* ctx = EVP_PKEY_CTX_new(key, nullptr);
    const bool ok = ctx && EVP_PKEY_verify_init(ctx) > 0 &&
                    EVP_PKEY_verify(ctx, sigDer, size_t(sigLen), e.data(), e.size()) == 1;
    EVP_PKEY_CTX_free(ctx);
    OPENSSL_free(sigDer);
    ECDSA_SIG_free(sig);
    if (!ok)
        return ::testing::AssertionFailure() << "the signature does not verify over SM3(Z || M)";
    return ::testing::AssertionSuccess();
}


} // namespace sigcheck

using sigcheck::independentlyVerified;
