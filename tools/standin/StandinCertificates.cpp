#include "StandinCertificates.h"

#include <QDir>
#include <QFile>

#include <openssl/bio.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/rand.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

#include <memory>

namespace {

template <typename T, void (*F)(T*)>
struct Deleter {
    void operator()(T* p) const { F(p); }
};
using KeyPtr = std::unique_ptr<EVP_PKEY, Deleter<EVP_PKEY, EVP_PKEY_free>>;
using CertPtr = std::unique_ptr<X509, Deleter<X509, X509_free>>;
using BioPtr = std::unique_ptr<BIO, Deleter<BIO, BIO_free_all>>;

QByteArray bioBytes(BIO* bio)
{
    char* data = nullptr;
    long len = BIO_get_mem_data(bio, &data);
    return QByteArray(data, int(len));
}

QByteArray certPem(X509* cert)
{
    BioPtr bio(BIO_new(BIO_s_mem()));
    PEM_write_bio_X509(bio.get(), cert);
    return bioBytes(bio.get());
}

QByteArray keyPem(EVP_PKEY* key)
{
    BioPtr bio(BIO_new(BIO_s_mem()));
    PEM_write_bio_PrivateKey(bio.get(), key, nullptr, nullptr, 0, nullptr, nullptr);
    return bioBytes(bio.get());
}

bool addExtension(X509* cert, X509* issuer, int nid, const char* value)
{
    X509V3_CTX ctx;
    X509V3_set_ctx_nodb(&ctx);
    X509V3_set_ctx(&ctx, issuer, cert, nullptr, nullptr, 0);
    X509_EXTENSION* ext = X509V3_EXT_conf_nid(nullptr, &ctx, nid, value);
    if (!ext)
        return false;
    const bool ok = X509_add_ext(cert, ext, -1) == 1;
    X509_EXTENSION_free(ext);
    return ok;
}

CertPtr makeCertificate(EVP_PKEY* key, const char* commonName, X509* issuer, EVP_PKEY* issuerKey, bool ca,
                        long validDays)
{
    CertPtr cert(X509_new());
    X509_set_version(cert.get(), 2);
    unsigned char serial[16];
    RAND_bytes(serial, sizeof serial);
    serial[0] &= 0x7f;
    BIGNUM* bn = BN_bin2bn(serial, sizeof serial, nullptr);
    BN_to_ASN1_INTEGER(bn, X509_get_serialNumber(cert.get()));
    BN_free(bn);
    X509_gmtime_adj(X509_getm_notBefore(cert.get()), -3600);
    X509_gmtime_adj(X509_getm_notAfter(cert.get()), validDays * 24 * 3600);
    X509_set_pubkey(cert.get(), key);
    X509_NAME* name = X509_get_subject_name(cert.get());
    X509_NAME_add_entry_by_txt(name, "O", MBSTRING_ASC, reinterpret_cast<const unsigned char*>("Orvessa stand-in"),
                               -1, -1, 0);
    X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC, reinterpret_cast<const unsigned char*>(commonName), -1, -1,
                               0);
    X509* signer = issuer ? issuer : cert.get();
    X509_set_issuer_name(cert.get(), X509_get_subject_name(signer));
    bool ok = true;
    if (ca) {
        ok &= addExtension(cert.get(), signer, NID_basic_constraints, "critical,CA:TRUE");
        ok &= addExtension(cert.get(), signer, NID_key_usage, "critical,keyCertSign,cRLSign");
        ok &= addExtension(cert.get(), signer, NID_subject_key_identifier, "hash");
    } else {
        ok &= addExtension(cert.get(), signer, NID_basic_constraints, "critical,CA:FALSE");
        ok &= addExtension(cert.get(), signer, NID_key_usage, "critical,digitalSignature");
        ok &= addExtension(cert.get(), signer, NID_ext_key_usage, "serverAuth");
        ok &= addExtension(cert.get(), signer, NID_subject_alt_name, "IP:127.0.0.1,DNS:localhost");
        ok &= addExtension(cert.get(), signer, NID_authority_key_identifier, "keyid:always");
    }
    if (!ok || X509_sign(cert.get(), issuerKey ? issuerKey : key, EVP_sha256()) <= 0)
        return nullptr;
    return cert;
}

KeyPtr readKey(const QByteArray& pem)
{
    BioPtr bio(BIO_new_mem_buf(pem.constData(), pem.size()));
    return KeyPtr(PEM_read_bio_PrivateKey(bio.get(), nullptr, nullptr, nullptr));
}

CertPtr readCert(const QByteArray& pem)
{
    BioPtr bio(BIO_new_mem_buf(pem.constData(), pem.size()));
    return CertPtr(PEM_read_bio_X509(bio.get(), nullptr, nullptr, nullptr));
}

} // namespace

bool StandinCertificates::create(StandinCertificates& out, QString* error, const QString& caDir)
{
    auto fail = [error](const QString& why) {
        if (error)
            *error = why;
        return false;
    };
    KeyPtr caKey;
    CertPtr caCert;
    const QString certPath = caDir.isEmpty() ? QString() : caDir + "/ca.crt";
    const QString keyPath = caDir.isEmpty() ? QString() : caDir + "/ca.key";
    if (!caDir.isEmpty() && QFile::exists(certPath) && QFile::exists(keyPath)) {
        QFile c(certPath), k(keyPath);
        if (c.open(QIODevice::ReadOnly) && k.open(QIODevice::ReadOnly)) {
            caCert = readCert(c.readAll());
            caKey = readKey(k.readAll());
        }
        if (!caCert || !caKey || X509_cmp_time(X509_get0_notAfter(caCert.get()), nullptr) <= 0) {
            caCert.reset();
            caKey.reset();
        }
    }
    if (!caKey) {
        caKey.reset(EVP_EC_gen("P-256"));
        if (!caKey)
            return fail("cannot make the CA key");
        caCert = makeCertificate(caKey.get(), "Orvessa stand-in CA", nullptr, nullptr, true, 3650);
        if (!caCert)
            return fail("cannot make the CA certificate");
        if (!caDir.isEmpty()) {
            QDir().mkpath(caDir);
            QFile c(certPath), k(keyPath);
            if (!c.open(QIODevice::WriteOnly | QIODevice::Truncate) || !k.open(QIODevice::WriteOnly | QIODevice::Truncate))
                return fail("cannot write the CA into " + caDir);
            k.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
            c.write(certPem(caCert.get()));
            k.write(keyPem(caKey.get()));
        }
    }
    KeyPtr serverKey(EVP_EC_gen("P-256"));
    if (!serverKey)
        return fail("cannot make the server key");
    CertPtr serverCert = makeCertificate(serverKey.get(), "127.0.0.1", caCert.get(), caKey.get(), false, 30);
    if (!serverCert)
        return fail("cannot make the server certificate");

    out.caCertificatePem = certPem(caCert.get());
    out.caKeyPem = keyPem(caKey.get());
    out.caCertificate = QSslCertificate(out.caCertificatePem, QSsl::Pem);
    out.serverCertificate = QSslCertificate(certPem(serverCert.get()), QSsl::Pem);
    out.serverKey = QSslKey(keyPem(serverKey.get()), QSsl::Ec, QSsl::Pem);
    if (out.caCertificate.isNull() || out.serverCertificate.isNull() || out.serverKey.isNull())
        return fail("the toolkit cannot read the generated certificates");
    return true;
}
