/*
 * Certificate parsing for the signature code: a certificate given as DER, PEM, a PKCS#12 bundle
 * without password, or Base64 of any of them, and the fields that signing and verification need.
 * Texts and buffers handed out are malloc'ed and belong to the caller (free()).
 */
#ifndef VQ_CERTPARSE_H
#define VQ_CERTPARSE_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

struct x509_st; /* OpenSSL's X509 */

/* One parsed certificate. */
typedef struct pkcs7_cert pkcs7_cert;

/* Request flags and results of one combined parse (prase_cert_helps_fun). */
typedef struct parsehelps {
    unsigned int is_sn, iscerttype, ispkkey, istime, isusage, issigner, isissuer, isissuer_der,
        isissuerplus, istheme;
    char *certsn;                /* serial number, upper-case hexadecimal */
    int certtype;                /* 1 or 0 (from the subject's OU), -1 before parsing */
    char *ou;                    /* the OU value that decided the type */
    unsigned char public_key[65]; /* uncompressed point 04 || x || y */
    int pbkey_len;               /* 65 */
    int64_t stime, etime;        /* validity, seconds since 1970 */
    unsigned int usage;          /* 1 encryption certificate, 2 signing certificate */
    char *strsigner;             /* subject common name */
    char *strissuer;             /* issuer common name */
    char *strissuerplus;         /* issuer as one line */
    char *strtheme;              /* subject as one line */
    unsigned char *strissuer_der; /* DER of the issuer name */
    int strissuer_derlen;
} parsehelps;

/* Parses DER, then PEM, then a PKCS#12 bundle without password; with base64 set the bytes are
 * first decoded from Base64. Null when nothing parses (inputs of 9 bytes or less included). */
pkcs7_cert *pkcs7_openssl_prase_sm2cert(const unsigned char *bytes, int length, int base64);
void pkcs7_openssl_prase_drop(pkcs7_cert *cert);
/* The OpenSSL certificate inside the handle (still owned by the handle), or null. */
struct x509_st *pkcs7_openssl_get_x509(pkcs7_cert *cert);

/* Each returns 0 with a new text, or -1. */
int pkcs7_openssl_prase_getsn_fn(pkcs7_cert *cert, char **out);    /* serial, hex upper case */
int pkcs7_openssl_prase_signer_name(pkcs7_cert *cert, char **out); /* subject CN */
int pkcs7_openssl_parse_issuer(pkcs7_cert *cert, char **out);      /* issuer CN */
int pkcs7_openssl_prase_theme(pkcs7_cert *cert, char **out);       /* subject, one line */
int pkcs7_openssl_parse_issuers(pkcs7_cert *cert, char **out);     /* issuer, one line */
/* 0 with a copy of the issuer name's DER, or -1. */
int pkcs7_openssl_parse_issuers_der(pkcs7_cert *cert, unsigned char **out, int *length);
/* The public key bytes (for SM2/EC the uncompressed point). With out: 0 after copying when the
 * key has exactly *length bytes, else -300. Without out: 0 and *length = the byte count. -1 on
 * a missing certificate. */
int pkcs7_openssl_prase_public_key(pkcs7_cert *cert, unsigned char *out, int *length);
/* 1 when data encipherment is allowed (encryption certificate), else 2 when digital signature is
 * allowed; otherwise *usage is left unchanged. No key-usage extension counts as every bit.
 * 0, or -1 without a certificate. */
int pkcs7_openssl_key_usage(pkcs7_cert *cert, int *usage);
/* The certificate type from the subject's OU entries after its first entry: the first one whose
 * value begins with A (type 1) or I (type 0), either case, decides and is copied to helps->ou
 * (when helps is given); none decides: 0. -1 without a certificate or for an empty OU. */
int pkcs7_openssl_parse_cert_type(pkcs7_cert *cert, parsehelps *helps);
/* notBefore and notAfter in seconds since 1970 (UTCTime years 70-99 are 19YY, 00-69 20YY). 0/-1. */
int pkcs7_openssl_parse_vaild_date(pkcs7_cert *cert, int64_t *start, int64_t *end);

void init_parsehelps(parsehelps *helps);
/* Frees the texts and buffers of a record (and sets them to null). */
void free_parsehelps(parsehelps *helps);
/* Parses and fills what the flags ask for. 0, or: -1 no certificate, -2 serial, -3 type,
 * -4 public key not 65 bytes, -5 validity or usage, -6 subject CN, -7 issuer CN, -8 issuer
 * line, -9 subject line, -10 issuer DER. Results filled before a failure stay in the record. */
int prase_cert_helps_fun(const unsigned char *bytes, int length, parsehelps *helps, int base64);

/* A new buffer with the certificate's DER and its length, or null. */
unsigned char *conver_x509toder(struct x509_st *cert, int *length);

#ifdef __cplusplus
}
#endif

#endif
