/*
 * Builder of the SM2 PKCS#7 signed data that a cloud signature is stored as: a ContentInfo of
 * type signed data (GM/T 0010 content types) with detached content, the signer certificate, one
 * signer information with the SM2 signature (r, s) and the time stamp as an unauthenticated
 * attribute. Encoded in DER.
 */
#ifndef VQ_P7SM2_H
#define VQ_P7SM2_H

#ifdef __cplusplus
extern "C" {
#endif

/* The structure under construction; its layout is private to the builder. */
typedef struct PKCS7ContentInfo PKCS7ContentInfo_t;

#define P7_OID_SIGNED_DATA "1.2.156.10197.6.1.4.2.2"
#define P7_OID_DATA "1.2.156.10197.6.1.4.2.1"
#define P7_OID_SM3_DIGEST "1.2.156.197.1.401.2" /* arc 197, as stored by the signer */
#define P7_OID_SM2_SIGNATURE "1.2.156.10197.1.301.1"
#define P7_OID_TIME_STAMP_TOKEN "1.2.840.113549.1.9.16.2.14"

/* A new empty structure, or null when memory runs out. */
PKCS7ContentInfo_t *p7_new(void);
/* Frees the structure and everything below it; null is fine. */
void p7_free(PKCS7ContentInfo_t *ci);

/* Content type signed data; SignedData version 1 with the SM3 digest algorithm and the inner
 * content type data; no certificates, no signer infos. Replaces earlier content. 0 or -1. */
int p7_add_signed_data(PKCS7ContentInfo_t *ci);

/* Sets the certificates to one element, a copy of the certificate's DER. 0 or -1. */
int p7_add_certificate(PKCS7ContentInfo_t *ci, const unsigned char *cert, int length);

/* Appends one signer information: version 1, issuer = the issuer name's DER as is, serial
 * number from the hexadecimal serial text (either case), SM3 digest and SM2 signature
 * algorithms, and the encrypted digest DER SEQUENCE { r INTEGER, s INTEGER }.
 * r and s are 32-byte big-endian values; a length of 1 to 31 marks a shorter value (read only
 * that far, zeros in front), any other length reads 32 bytes.
 * Returns 0, or -1 when an argument is unusable or the value cannot be encoded (nothing added). */
int p7_add_signerInfo(PKCS7ContentInfo_t *ci, const unsigned char *r, int rlen,
                      const unsigned char *s, int slen, const char *serial_hex, int serial_len,
                      const unsigned char *issuer_der, int issuer_len);

/* Gives the first signer information the unauthenticated attribute time-stamp token whose one
 * value is a BIT STRING of the given bytes (0 unused bits). Replaces an earlier one. Does
 * nothing (0) when there is no signer information. 0, or -1 on failure. */
int p7_add_tsa(PKCS7ContentInfo_t *ci, const unsigned char *ts, int length);

/* DER-encodes into buffer (*size bytes of room). 0 with *size = the encoded length, or 1 when
 * encoding fails or the value does not fit. */
int p7_to_buffer(PKCS7ContentInfo_t *ci, unsigned char *buffer, int *size);

#ifdef __cplusplus
}
#endif

#endif
