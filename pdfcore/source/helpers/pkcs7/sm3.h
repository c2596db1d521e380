/*
 * SM3 hash (GB/T 32905), HMAC-SM3 and the SM2 message digest e = SM3(Z || M) of GB/T 32918.2.
 * Our own implementation; OpenSSL's SM3 is not used.
 */
#ifndef VQ_SM3_H
#define VQ_SM3_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#define SM3_DIGEST_LENGTH 32
#define SM3_BLOCK_SIZE 64

typedef struct sm3_hash_state {
    uint32_t total[2];      /* bytes hashed: low word, high word */
    uint32_t state[8];      /* chaining value */
    unsigned char buffer[64]; /* unfinished block */
    unsigned char ipad[64]; /* HMAC inner pad */
    unsigned char opad[64]; /* HMAC outer pad */
} sm3_hash_state;

/* The default SM2 signer identity "1234567812345678" (ENTL 128 bits). */
extern const unsigned char signer_id[16];

void sm3_starts(sm3_hash_state *ctx);
/* A length of 0 or less does nothing. */
void sm3_update1(sm3_hash_state *ctx, const unsigned char *input, int length);
void sm3_finish(sm3_hash_state *ctx, unsigned char output[32]);
void sm3(const unsigned char *input, int length, unsigned char output[32]);

/* 0 on success, 1 when the file cannot be opened, 2 when reading fails (the digest of the bytes
 * read is written then). */
int sm3_file(const char *path, unsigned char output[32]);

void sm3_hmac_starts(sm3_hash_state *ctx, const unsigned char *key, int keylen);
void sm3_hmac_update(sm3_hash_state *ctx, const unsigned char *input, int length);
void sm3_hmac_finish(sm3_hash_state *ctx, unsigned char output[32]);
void sm3_hmac(const unsigned char *key, int keylen, const unsigned char *input, int length,
              unsigned char output[32]);

/* Z = SM3(ENTL || ID || a || b || xG || yG || x || y) with the default identity. The key is
 * x || y (64 bytes); the 65-byte uncompressed point 04 || x || y is accepted too. 0 or 1. */
int sm2_compute_z(const unsigned char *pubkey, int keylen, unsigned char z[32]);

/* The SM2 message digest e = SM3(Z || message) for the public key x || y (keylen 64; the 65-byte
 * point 04 || x || y is accepted too). With a null key or keylen 0 it is SM3(message).
 * Returns 0 with *outlen = 32, or 1 on failure (a key of another length). */
int pkcs7_sm3(const unsigned char *message, unsigned int length, const unsigned char *pubkey,
              int keylen, unsigned char *out, unsigned int *outlen);

#ifdef __cplusplus
}
#endif

#endif
