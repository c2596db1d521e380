#include "certparse.h"

#include <stdlib.h>
#include <string.h>

#include <openssl/asn1.h>
#include <openssl/bio.h>
#include <openssl/crypto.h>
#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/pkcs12.h>
#include <openssl/provider.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

struct pkcs7_cert {
    X509 *x509;
};

/* PKCS#12 bundles made by older tools encrypt with RC2, which lives in the legacy provider.
 * Loading a provider explicitly stops the default one from loading by itself: load both. */
static CRYPTO_ONCE providers_once = CRYPTO_ONCE_STATIC_INIT;
static OSSL_PROVIDER *default_provider, *legacy_provider;

/* The legacy provider keeps a child library context that OpenSSL's own clean-up at exit does not
 * free unless the provider was unloaded first. */
static void unload_providers(void)
{
    if (legacy_provider)
        OSSL_PROVIDER_unload(legacy_provider);
    if (default_provider)
        OSSL_PROVIDER_unload(default_provider);
    legacy_provider = default_provider = NULL;
}

static void load_providers(void)
{
    default_provider = OSSL_PROVIDER_load(NULL, "default");
    legacy_provider = OSSL_PROVIDER_load(NULL, "legacy");
    ERR_clear_error();
    atexit(unload_providers);
}

/* Standard Base64; characters outside the alphabet are skipped; decoding stops after a group
 * holding "=" or when less than a group is left. Returns the number of bytes written. */
static int base64_decode_lenient(const unsigned char *text, int len, unsigned char *out)
{
    int n = 0, q = 0, pad = 0;
    unsigned int group = 0;
    for (int i = 0; i < len; i++) {
        unsigned char c = text[i];
        int v;
        if (c >= 'A' && c <= 'Z')
            v = c - 'A';
        else if (c >= 'a' && c <= 'z')
            v = c - 'a' + 26;
        else if (c >= '0' && c <= '9')
            v = c - '0' + 52;
        else if (c == '+')
            v = 62;
        else if (c == '/')
            v = 63;
        else if (c == '=')
            v = -1;
        else
            continue;
        if (v < 0) {
            pad++;
            v = 0;
        } else if (pad) {
            return n; /* data after padding inside a group */
        }
        group = (group << 6) | (unsigned int)v;
        if (++q == 4) {
            out[n++] = (unsigned char)(group >> 16);
            if (pad < 2)
                out[n++] = (unsigned char)(group >> 8);
            if (pad < 1)
                out[n++] = (unsigned char)group;
            if (pad)
                return n;
            q = 0;
            group = 0;
        }
    }
    return n;
}

static X509 *parse_x509(const unsigned char *data, int len)
{
    X509 *x = NULL;
    BIO *bio = BIO_new_mem_buf(data, len);
    if (!bio)
        return NULL;
    ERR_set_mark();
    x = d2i_X509_bio(bio, NULL);
    if (!x) {
        BIO_reset(bio);
        x = PEM_read_bio_X509(bio, NULL, NULL, NULL);
    }
    if (!x) {
        BIO_reset(bio);
        PKCS12 *p12 = d2i_PKCS12_bio(bio, NULL);
        if (p12) {
            CRYPTO_THREAD_run_once(&providers_once, load_providers);
            EVP_PKEY *pkey = NULL;
            STACK_OF(X509) *ca = NULL;
            if (PKCS12_parse(p12, NULL, &pkey, &x, &ca)) {
                /* A bundle without a private key has its certificates in ca. */
                if (!x && ca && sk_X509_num(ca) > 0)
                    x = sk_X509_shift(ca);
            }
            EVP_PKEY_free(pkey);
            sk_X509_pop_free(ca, X509_free);
            PKCS12_free(p12);
        }
    }
    /* Failed attempts leave errors behind; they are expected and must not reach other users
     * of the thread's error queue. */
    ERR_pop_to_mark();
    BIO_free(bio);
    return x;
}

pkcs7_cert *pkcs7_openssl_prase_sm2cert(const unsigned char *bytes, int length, int base64)
{
    if (!bytes || length <= 9)
        return NULL;
    unsigned char *buf;
    int len;
    if (base64) {
        buf = calloc((size_t)length / 4 * 3 + 1, 1);
        if (!buf)
            return NULL;
        len = base64_decode_lenient(bytes, length, buf);
    } else {
        buf = malloc((size_t)length);
        if (!buf)
            return NULL;
        memcpy(buf, bytes, (size_t)length);
        len = length;
    }
    X509 *x = len > 0 ? parse_x509(buf, len) : NULL;
    free(buf);
    if (!x)
        return NULL;
    pkcs7_cert *cert = calloc(1, sizeof(*cert));
    if (!cert) {
        X509_free(x);
        return NULL;
    }
    cert->x509 = x;
    return cert;
}

void pkcs7_openssl_prase_drop(pkcs7_cert *cert)
{
    if (!cert)
        return;
    X509_free(cert->x509);
    free(cert);
}

struct x509_st *pkcs7_openssl_get_x509(pkcs7_cert *cert)
{
    return cert ? cert->x509 : NULL;
}

static char *dup_text(const char *s, size_t n)
{
    char *t = malloc(n + 1);
    if (!t)
        return NULL;
    memcpy(t, s, n);
    t[n] = 0;
    return t;
}

int pkcs7_openssl_prase_getsn_fn(pkcs7_cert *cert, char **out)
{
    if (!cert || !cert->x509 || !out)
        return -1;
    BIGNUM *bn = ASN1_INTEGER_to_BN(X509_get0_serialNumber(cert->x509), NULL);
    char *hex = bn ? BN_bn2hex(bn) : NULL;
    BN_free(bn);
    if (!hex)
        return -1;
    *out = dup_text(hex, strlen(hex));
    OPENSSL_free(hex);
    return *out ? 0 : -1;
}

/* The first CN of a name as UTF-8 in a zeroed 512-byte buffer (at most 511 bytes, not cut
 * inside a character). */
static int common_name(const X509_NAME *name, char **out)
{
    if (!name || !out)
        return -1;
    int idx = X509_NAME_get_index_by_NID(name, NID_commonName, -1);
    if (idx < 0)
        return -1;
    const ASN1_STRING *data = X509_NAME_ENTRY_get_data(X509_NAME_get_entry(name, idx));
    unsigned char *utf8 = NULL;
    int n = data ? ASN1_STRING_to_UTF8(&utf8, data) : -1;
    if (n < 0)
        return -1;
    char *buf = calloc(512, 1);
    if (!buf) {
        OPENSSL_free(utf8);
        return -1;
    }
    if (n > 511) {
        n = 511;
        while (n > 0 && (utf8[n] & 0xC0) == 0x80)
            n--;
    }
    memcpy(buf, utf8, (size_t)n);
    OPENSSL_free(utf8);
    *out = buf;
    return 0;
}

int pkcs7_openssl_prase_signer_name(pkcs7_cert *cert, char **out)
{
    if (!cert || !cert->x509)
        return -1;
    return common_name(X509_get_subject_name(cert->x509), out);
}

int pkcs7_openssl_parse_issuer(pkcs7_cert *cert, char **out)
{
    if (!cert || !cert->x509)
        return -1;
    return common_name(X509_get_issuer_name(cert->x509), out);
}

/* RFC 2253 style, most specific part first, characters beyond ASCII as UTF-8. */
static int one_line(const X509_NAME *name, char **out)
{
    if (!name || !out)
        return -1;
    BIO *bio = BIO_new(BIO_s_mem());
    if (!bio)
        return -1;
    int rc = -1;
    if (X509_NAME_print_ex(bio, name, 0, XN_FLAG_RFC2253 & ~ASN1_STRFLGS_ESC_MSB) >= 0) {
        char *data = NULL;
        long n = BIO_get_mem_data(bio, &data);
        *out = dup_text(n > 0 ? data : "", n > 0 ? (size_t)n : 0);
        rc = *out ? 0 : -1;
    }
    BIO_free(bio);
    return rc;
}

int pkcs7_openssl_prase_theme(pkcs7_cert *cert, char **out)
{
    if (!cert || !cert->x509)
        return -1;
    return one_line(X509_get_subject_name(cert->x509), out);
}

int pkcs7_openssl_parse_issuers(pkcs7_cert *cert, char **out)
{
    if (!cert || !cert->x509)
        return -1;
    return one_line(X509_get_issuer_name(cert->x509), out);
}

int pkcs7_openssl_parse_issuers_der(pkcs7_cert *cert, unsigned char **out, int *length)
{
    if (!cert || !cert->x509 || !out || !length)
        return -1;
    unsigned char *der = NULL;
    int n = i2d_X509_NAME(X509_get_issuer_name(cert->x509), &der);
    if (n <= 0)
        return -1;
    *out = malloc((size_t)n);
    if (*out) {
        memcpy(*out, der, (size_t)n);
        *length = n;
    }
    OPENSSL_free(der);
    return *out ? 0 : -1;
}

int pkcs7_openssl_prase_public_key(pkcs7_cert *cert, unsigned char *out, int *length)
{
    if (!cert || !cert->x509 || !length)
        return -1;
    const ASN1_BIT_STRING *key = X509_get0_pubkey_bitstr(cert->x509);
    if (!key)
        return -1;
    int n = ASN1_STRING_length(key);
    if (!out) {
        *length = n;
        return 0;
    }
    if (n != *length)
        return -300;
    memcpy(out, ASN1_STRING_get0_data(key), (size_t)n);
    return 0;
}

int pkcs7_openssl_key_usage(pkcs7_cert *cert, int *usage)
{
    if (!cert || !cert->x509 || !usage)
        return -1;
    X509_check_purpose(cert->x509, -1, 0); /* evaluates the extensions */
    uint32_t ku = X509_get_key_usage(cert->x509); /* every bit without the extension */
    if (ku & KU_DATA_ENCIPHERMENT)
        *usage = 1;
    else if (ku & KU_DIGITAL_SIGNATURE)
        *usage = 2;
    return 0;
}

int pkcs7_openssl_parse_cert_type(pkcs7_cert *cert, parsehelps *helps)
{
    if (!cert || !cert->x509)
        return -1;
    const X509_NAME *subject = X509_get_subject_name(cert->x509);
    int pos = 0; /* the search starts after the first entry */
    while ((pos = X509_NAME_get_index_by_NID(subject, NID_organizationalUnitName, pos)) >= 0) {
        const ASN1_STRING *value = X509_NAME_ENTRY_get_data(X509_NAME_get_entry(subject, pos));
        const unsigned char *data = value ? ASN1_STRING_get0_data(value) : NULL;
        int len = value ? ASN1_STRING_length(value) : 0;
        if (!data || len <= 0)
            return -1;
        int type = -1;
        if (data[0] == 'A' || data[0] == 'a')
            type = 1;
        else if (data[0] == 'I' || data[0] == 'i')
            type = 0;
        if (type >= 0) {
            if (helps) {
                free(helps->ou);
                helps->ou = dup_text((const char *)data, (size_t)len);
            }
            return type;
        }
    }
    return 0;
}

/* Days since 1970-01-01 of a proleptic Gregorian date. */
static int64_t days_from_civil(int64_t y, unsigned m, unsigned d)
{
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = (unsigned)(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + (int64_t)doe - 719468;
}

static int digits(const unsigned char *p, int n, int *value)
{
    int v = 0;
    for (int i = 0; i < n; i++) {
        if (p[i] < '0' || p[i] > '9')
            return -1;
        v = v * 10 + (p[i] - '0');
    }
    *value = v;
    return 0;
}

/* UTCTime (YYMMDDHHMMSS) or GeneralizedTime (YYYYMMDDHHMMSS), read as UTC. */
static int asn1_time_seconds(const ASN1_TIME *t, int64_t *out)
{
    if (!t)
        return -1;
    const unsigned char *p = ASN1_STRING_get0_data(t);
    int len = ASN1_STRING_length(t);
    int type = ASN1_STRING_type(t);
    int year, mon, day, hour, min, sec;
    int ylen;
    if (type == V_ASN1_UTCTIME)
        ylen = 2;
    else if (type == V_ASN1_GENERALIZEDTIME)
        ylen = 4;
    else
        return -1;
    if (!p || len < ylen + 10)
        return -1;
    if (digits(p, ylen, &year) || digits(p + ylen, 2, &mon) || digits(p + ylen + 2, 2, &day) ||
        digits(p + ylen + 4, 2, &hour) || digits(p + ylen + 6, 2, &min) ||
        digits(p + ylen + 8, 2, &sec))
        return -1;
    if (ylen == 2)
        year += year >= 70 ? 1900 : 2000;
    if (mon < 1 || mon > 12 || day < 1 || day > 31 || hour > 23 || min > 59 || sec > 60)
        return -1;
    *out = days_from_civil(year, (unsigned)mon, (unsigned)day) * 86400 + hour * 3600 + min * 60 + sec;
    return 0;
}

int pkcs7_openssl_parse_vaild_date(pkcs7_cert *cert, int64_t *start, int64_t *end)
{
    if (!cert || !cert->x509 || !start || !end)
        return -1;
    int64_t s, e;
    if (asn1_time_seconds(X509_get0_notBefore(cert->x509), &s) != 0 ||
        asn1_time_seconds(X509_get0_notAfter(cert->x509), &e) != 0)
        return -1;
    *start = s;
    *end = e;
    return 0;
}

void init_parsehelps(parsehelps *helps)
{
    if (!helps)
        return;
    memset(helps, 0, sizeof(*helps));
    helps->certtype = -1;
    helps->pbkey_len = 65;
    helps->stime = -1;
    helps->etime = -1;
}

void free_parsehelps(parsehelps *helps)
{
    if (!helps)
        return;
    free(helps->certsn);
    free(helps->ou);
    free(helps->strsigner);
    free(helps->strissuer);
    free(helps->strissuerplus);
    free(helps->strtheme);
    free(helps->strissuer_der);
    helps->certsn = helps->ou = helps->strsigner = helps->strissuer = NULL;
    helps->strissuerplus = helps->strtheme = NULL;
    helps->strissuer_der = NULL;
    helps->strissuer_derlen = 0;
}

static int fill_helps(pkcs7_cert *cert, parsehelps *h)
{
    if (h->is_sn) {
        free(h->certsn);
        h->certsn = NULL;
        if (pkcs7_openssl_prase_getsn_fn(cert, &h->certsn) != 0)
            return -2;
    }
    if (h->iscerttype) {
        int type = pkcs7_openssl_parse_cert_type(cert, h);
        if (type < 0)
            return -3;
        h->certtype = type;
    }
    if (h->ispkkey) {
        int len = 65;
        if (pkcs7_openssl_prase_public_key(cert, h->public_key, &len) != 0)
            return -4;
        h->pbkey_len = 65;
    }
    if (h->istime && pkcs7_openssl_parse_vaild_date(cert, &h->stime, &h->etime) != 0)
        return -5;
    if (h->isusage) {
        int usage = (int)h->usage;
        if (pkcs7_openssl_key_usage(cert, &usage) != 0)
            return -5;
        h->usage = (unsigned int)usage;
    }
    if (h->issigner) {
        free(h->strsigner);
        h->strsigner = NULL;
        if (pkcs7_openssl_prase_signer_name(cert, &h->strsigner) != 0)
            return -6;
    }
    if (h->isissuer) {
        free(h->strissuer);
        h->strissuer = NULL;
        if (pkcs7_openssl_parse_issuer(cert, &h->strissuer) != 0)
            return -7;
    }
    if (h->isissuerplus) {
        free(h->strissuerplus);
        h->strissuerplus = NULL;
        if (pkcs7_openssl_parse_issuers(cert, &h->strissuerplus) != 0)
            return -8;
    }
    if (h->istheme) {
        free(h->strtheme);
        h->strtheme = NULL;
        if (pkcs7_openssl_prase_theme(cert, &h->strtheme) != 0)
            return -9;
    }
    if (h->isissuer_der) {
        free(h->strissuer_der);
        h->strissuer_der = NULL;
        h->strissuer_derlen = 0;
        if (pkcs7_openssl_parse_issuers_der(cert, &h->strissuer_der, &h->strissuer_derlen) != 0)
            return -10;
    }
    return 0;
}

int prase_cert_helps_fun(const unsigned char *bytes, int length, parsehelps *helps, int base64)
{
    if (!helps)
        return -1;
    pkcs7_cert *cert = pkcs7_openssl_prase_sm2cert(bytes, length, base64);
    if (!cert)
        return -1;
    int rc = fill_helps(cert, helps);
    pkcs7_openssl_prase_drop(cert);
    return rc;
}

unsigned char *conver_x509toder(struct x509_st *cert, int *length)
{
    if (!cert)
        return NULL;
    unsigned char *der = NULL;
    int n = i2d_X509(cert, &der);
    if (n <= 0)
        return NULL;
    unsigned char *copy = malloc((size_t)n);
    if (copy) {
        memcpy(copy, der, (size_t)n);
        if (length)
            *length = n;
    }
    OPENSSL_free(der);
    return copy;
}
