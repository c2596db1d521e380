/*
 * SM2 signature verification (GB/T 32918.2) on the recommended curve of GB/T 32918.5, computed
 * with OpenSSL's big numbers and elliptic-curve arithmetic.
 */
#ifndef VQ_SM2VERIFY_H
#define VQ_SM2VERIFY_H

#ifdef __cplusplus
extern "C" {
#endif

/* Checks the signature (r, s) over the message digest e = digest (usually SM3(Z || M)) for the
 * public point (x, y). Every value is big-endian; x, y, r and s are 32 bytes (the length
 * arguments must be 32). Returns 0 when valid, -1 when invalid or on any error. */
int SM2_verify_signature(const unsigned char *digest, int digestlen,
                         const unsigned char *x, int xlen, const unsigned char *y, int ylen,
                         const unsigned char *r, int rlen, const unsigned char *s, int slen);

/* The same check with the public key as the 65-byte uncompressed point 04 || x || y and the
 * signature as r || s (64 bytes). Returns 0 when valid, 15 when invalid. */
int pkcs7_verifysm2(const unsigned char *digest, int digestlen, const unsigned char *pubkey,
                    int keylen, const unsigned char *rs);

#ifdef __cplusplus
}
#endif

#endif
