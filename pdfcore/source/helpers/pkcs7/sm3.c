/*
 * SM3 hash (GB/T 32905). The compression function is fully unrolled: the 64 rounds rename the
 * eight working variables instead of moving them, the round constants are pre-rotated, and the
 * message words are loaded big-endian a word at a time.
 */
#include "sm3.h"

#include <stdio.h>
#include <string.h>

const unsigned char signer_id[16] = {'1', '2', '3', '4', '5', '6', '7', '8',
                                     '1', '2', '3', '4', '5', '6', '7', '8'};

/* Curve parameters of the SM2 recommended curve (GB/T 32918.5), as they enter Z. */
static const unsigned char sm2_z_params[128] = {
    /* a */
    0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
    0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFC,
    /* b */
    0x28, 0xE9, 0xFA, 0x9E, 0x9D, 0x9F, 0x5E, 0x34, 0x4D, 0x5A, 0x9E, 0x4B, 0xCF, 0x65, 0x09, 0xA7,
    0xF3, 0x97, 0x89, 0xF5, 0x15, 0xAB, 0x8F, 0x92, 0xDD, 0xBC, 0xBD, 0x41, 0x4D, 0x94, 0x0E, 0x93,
    /* xG */
    0x32, 0xC4, 0xAE, 0x2C, 0x1F, 0x19, 0x81, 0x19, 0x5F, 0x99, 0x04, 0x46, 0x6A, 0x39, 0xC9, 0x94,
    0x8F, 0xE3, 0x0B, 0xBF, 0xF2, 0x66, 0x0B, 0xE1, 0x71, 0x5A, 0x45, 0x89, 0x33, 0x4C, 0x74, 0xC7,
    /* yG */
    0xBC, 0x37, 0x36, 0xA2, 0xF4, 0xF6, 0x77, 0x9C, 0x59, 0xBD, 0xCE, 0xE3, 0x6B, 0x69, 0x21, 0x53,
    0xD0, 0xA9, 0x87, 0x7C, 0xC6, 0x2A, 0x47, 0x40, 0x02, 0xDF, 0x32, 0xE5, 0x21, 0x39, 0xF0, 0xA0,
};

#define ROTL(x, n) (((x) << (n)) | ((x) >> (32 - (n))))
#define P0(x) ((x) ^ ROTL((x), 9) ^ ROTL((x), 17))
#define P1(x) ((x) ^ ROTL((x), 15) ^ ROTL((x), 23))
#define FF0(x, y, z) ((x) ^ (y) ^ (z))
#define FF1(x, y, z) (((x) & (y)) | (((x) | (y)) & (z)))
#define GG0(x, y, z) ((x) ^ (y) ^ (z))
#define GG1(x, y, z) ((((y) ^ (z)) & (x)) ^ (z))

static inline uint32_t load_be32(const unsigned char *p)
{
    uint32_t v;
    memcpy(&v, p, 4);
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
    v = __builtin_bswap32(v);
#endif
    return v;
}

static inline void store_be32(unsigned char *p, uint32_t v)
{
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
    v = __builtin_bswap32(v);
#endif
    memcpy(p, &v, 4);
}

/* One round j with the pre-rotated constant k = T_j <<< (j mod 32) and the message words
 * W[j] (wj) and W[j + 4] (wj4). Afterwards the roles shift: (A,B,C,D) -> (D,A,B,C) and
 * (E,F,G,H) -> (H,E,F,G), so the unrolled rounds rename instead of moving values. */
#define ROUND(A, B, C, D, E, F, G, H, k, wj, wj4, FF, GG)                                      \
    do {                                                                                      \
        uint32_t a12 = ROTL(A, 12);                                                           \
        uint32_t ss1 = ROTL(a12 + E + (k), 7);                                                \
        uint32_t ss2 = ss1 ^ a12;                                                             \
        uint32_t tt1 = FF(A, B, C) + D + ss2 + ((wj) ^ (wj4));                                \
        uint32_t tt2 = GG(E, F, G) + H + ss1 + (wj);                                          \
        B = ROTL(B, 9);                                                                       \
        D = tt1;                                                                              \
        F = ROTL(F, 19);                                                                      \
        H = P0(tt2);                                                                          \
    } while (0)
#define R0(A, B, C, D, E, F, G, H, k, wj, wj4) ROUND(A, B, C, D, E, F, G, H, k, wj, wj4, FF0, GG0)
#define R1(A, B, C, D, E, F, G, H, k, wj, wj4) ROUND(A, B, C, D, E, F, G, H, k, wj, wj4, FF1, GG1)

/* Message expansion in a window of 16 words:
 * W[j+16] = P1(W[j] ^ W[j+7] ^ (W[j+13] <<< 15)) ^ (W[j+3] <<< 7) ^ W[j+10]. */
#define EXPAND(w0, w7, w13, w3, w10) (P1((w0) ^ (w7) ^ ROTL((w13), 15)) ^ ROTL((w3), 7) ^ (w10))

static void sm3_compress(uint32_t state[8], const unsigned char *data, size_t blocks)
{
    while (blocks--) {
        uint32_t A = state[0], B = state[1], C = state[2], D = state[3];
        uint32_t E = state[4], F = state[5], G = state[6], H = state[7];
        uint32_t w00 = load_be32(data + 0), w01 = load_be32(data + 4);
        uint32_t w02 = load_be32(data + 8), w03 = load_be32(data + 12);
        uint32_t w04 = load_be32(data + 16), w05 = load_be32(data + 20);
        uint32_t w06 = load_be32(data + 24), w07 = load_be32(data + 28);
        uint32_t w08 = load_be32(data + 32), w09 = load_be32(data + 36);
        uint32_t w10 = load_be32(data + 40), w11 = load_be32(data + 44);
        uint32_t w12 = load_be32(data + 48), w13 = load_be32(data + 52);
        uint32_t w14 = load_be32(data + 56), w15 = load_be32(data + 60);

        R0(A, B, C, D, E, F, G, H, 0x79CC4519U, w00, w04);
        w00 = EXPAND(w00, w07, w13, w03, w10);
        R0(D, A, B, C, H, E, F, G, 0xF3988A32U, w01, w05);
        w01 = EXPAND(w01, w08, w14, w04, w11);
        R0(C, D, A, B, G, H, E, F, 0xE7311465U, w02, w06);
        w02 = EXPAND(w02, w09, w15, w05, w12);
        R0(B, C, D, A, F, G, H, E, 0xCE6228CBU, w03, w07);
        w03 = EXPAND(w03, w10, w00, w06, w13);
        R0(A, B, C, D, E, F, G, H, 0x9CC45197U, w04, w08);
        w04 = EXPAND(w04, w11, w01, w07, w14);
        R0(D, A, B, C, H, E, F, G, 0x3988A32FU, w05, w09);
        w05 = EXPAND(w05, w12, w02, w08, w15);
        R0(C, D, A, B, G, H, E, F, 0x7311465EU, w06, w10);
        w06 = EXPAND(w06, w13, w03, w09, w00);
        R0(B, C, D, A, F, G, H, E, 0xE6228CBCU, w07, w11);
        w07 = EXPAND(w07, w14, w04, w10, w01);
        R0(A, B, C, D, E, F, G, H, 0xCC451979U, w08, w12);
        w08 = EXPAND(w08, w15, w05, w11, w02);
        R0(D, A, B, C, H, E, F, G, 0x988A32F3U, w09, w13);
        w09 = EXPAND(w09, w00, w06, w12, w03);
        R0(C, D, A, B, G, H, E, F, 0x311465E7U, w10, w14);
        w10 = EXPAND(w10, w01, w07, w13, w04);
        R0(B, C, D, A, F, G, H, E, 0x6228CBCEU, w11, w15);
        w11 = EXPAND(w11, w02, w08, w14, w05);
        R0(A, B, C, D, E, F, G, H, 0xC451979CU, w12, w00);
        w12 = EXPAND(w12, w03, w09, w15, w06);
        R0(D, A, B, C, H, E, F, G, 0x88A32F39U, w13, w01);
        w13 = EXPAND(w13, w04, w10, w00, w07);
        R0(C, D, A, B, G, H, E, F, 0x11465E73U, w14, w02);
        w14 = EXPAND(w14, w05, w11, w01, w08);
        R0(B, C, D, A, F, G, H, E, 0x228CBCE6U, w15, w03);
        w15 = EXPAND(w15, w06, w12, w02, w09);
        R1(A, B, C, D, E, F, G, H, 0x9D8A7A87U, w00, w04);
        w00 = EXPAND(w00, w07, w13, w03, w10);
        R1(D, A, B, C, H, E, F, G, 0x3B14F50FU, w01, w05);
        w01 = EXPAND(w01, w08, w14, w04, w11);
        R1(C, D, A, B, G, H, E, F, 0x7629EA1EU, w02, w06);
        w02 = EXPAND(w02, w09, w15, w05, w12);
        R1(B, C, D, A, F, G, H, E, 0xEC53D43CU, w03, w07);
        w03 = EXPAND(w03, w10, w00, w06, w13);
        R1(A, B, C, D, E, F, G, H, 0xD8A7A879U, w04, w08);
        w04 = EXPAND(w04, w11, w01, w07, w14);
        R1(D, A, B, C, H, E, F, G, 0xB14F50F3U, w05, w09);
        w05 = EXPAND(w05, w12, w02, w08, w15);
        R1(C, D, A, B, G, H, E, F, 0x629EA1E7U, w06, w10);
        w06 = EXPAND(w06, w13, w03, w09, w00);
        R1(B, C, D, A, F, G, H, E, 0xC53D43CEU, w07, w11);
        w07 = EXPAND(w07, w14, w04, w10, w01);
        R1(A, B, C, D, E, F, G, H, 0x8A7A879DU, w08, w12);
        w08 = EXPAND(w08, w15, w05, w11, w02);
        R1(D, A, B, C, H, E, F, G, 0x14F50F3BU, w09, w13);
        w09 = EXPAND(w09, w00, w06, w12, w03);
        R1(C, D, A, B, G, H, E, F, 0x29EA1E76U, w10, w14);
        w10 = EXPAND(w10, w01, w07, w13, w04);
        R1(B, C, D, A, F, G, H, E, 0x53D43CECU, w11, w15);
        w11 = EXPAND(w11, w02, w08, w14, w05);
        R1(A, B, C, D, E, F, G, H, 0xA7A879D8U, w12, w00);
        w12 = EXPAND(w12, w03, w09, w15, w06);
        R1(D, A, B, C, H, E, F, G, 0x4F50F3B1U, w13, w01);
        w13 = EXPAND(w13, w04, w10, w00, w07);
        R1(C, D, A, B, G, H, E, F, 0x9EA1E762U, w14, w02);
        w14 = EXPAND(w14, w05, w11, w01, w08);
        R1(B, C, D, A, F, G, H, E, 0x3D43CEC5U, w15, w03);
        w15 = EXPAND(w15, w06, w12, w02, w09);
        R1(A, B, C, D, E, F, G, H, 0x7A879D8AU, w00, w04);
        w00 = EXPAND(w00, w07, w13, w03, w10);
        R1(D, A, B, C, H, E, F, G, 0xF50F3B14U, w01, w05);
        w01 = EXPAND(w01, w08, w14, w04, w11);
        R1(C, D, A, B, G, H, E, F, 0xEA1E7629U, w02, w06);
        w02 = EXPAND(w02, w09, w15, w05, w12);
        R1(B, C, D, A, F, G, H, E, 0xD43CEC53U, w03, w07);
        w03 = EXPAND(w03, w10, w00, w06, w13);
        R1(A, B, C, D, E, F, G, H, 0xA879D8A7U, w04, w08);
        w04 = EXPAND(w04, w11, w01, w07, w14);
        R1(D, A, B, C, H, E, F, G, 0x50F3B14FU, w05, w09);
        w05 = EXPAND(w05, w12, w02, w08, w15);
        R1(C, D, A, B, G, H, E, F, 0xA1E7629EU, w06, w10);
        w06 = EXPAND(w06, w13, w03, w09, w00);
        R1(B, C, D, A, F, G, H, E, 0x43CEC53DU, w07, w11);
        w07 = EXPAND(w07, w14, w04, w10, w01);
        R1(A, B, C, D, E, F, G, H, 0x879D8A7AU, w08, w12);
        w08 = EXPAND(w08, w15, w05, w11, w02);
        R1(D, A, B, C, H, E, F, G, 0x0F3B14F5U, w09, w13);
        w09 = EXPAND(w09, w00, w06, w12, w03);
        R1(C, D, A, B, G, H, E, F, 0x1E7629EAU, w10, w14);
        w10 = EXPAND(w10, w01, w07, w13, w04);
        R1(B, C, D, A, F, G, H, E, 0x3CEC53D4U, w11, w15);
        w11 = EXPAND(w11, w02, w08, w14, w05);
        R1(A, B, C, D, E, F, G, H, 0x79D8A7A8U, w12, w00);
        w12 = EXPAND(w12, w03, w09, w15, w06);
        R1(D, A, B, C, H, E, F, G, 0xF3B14F50U, w13, w01);
        w13 = EXPAND(w13, w04, w10, w00, w07);
        R1(C, D, A, B, G, H, E, F, 0xE7629EA1U, w14, w02);
        w14 = EXPAND(w14, w05, w11, w01, w08);
        R1(B, C, D, A, F, G, H, E, 0xCEC53D43U, w15, w03);
        w15 = EXPAND(w15, w06, w12, w02, w09);
        R1(A, B, C, D, E, F, G, H, 0x9D8A7A87U, w00, w04);
        w00 = EXPAND(w00, w07, w13, w03, w10);
        R1(D, A, B, C, H, E, F, G, 0x3B14F50FU, w01, w05);
        w01 = EXPAND(w01, w08, w14, w04, w11);
        R1(C, D, A, B, G, H, E, F, 0x7629EA1EU, w02, w06);
        w02 = EXPAND(w02, w09, w15, w05, w12);
        R1(B, C, D, A, F, G, H, E, 0xEC53D43CU, w03, w07);
        w03 = EXPAND(w03, w10, w00, w06, w13);
        R1(A, B, C, D, E, F, G, H, 0xD8A7A879U, w04, w08);
        R1(D, A, B, C, H, E, F, G, 0xB14F50F3U, w05, w09);
        R1(C, D, A, B, G, H, E, F, 0x629EA1E7U, w06, w10);
        R1(B, C, D, A, F, G, H, E, 0xC53D43CEU, w07, w11);
        R1(A, B, C, D, E, F, G, H, 0x8A7A879DU, w08, w12);
        R1(D, A, B, C, H, E, F, G, 0x14F50F3BU, w09, w13);
        R1(C, D, A, B, G, H, E, F, 0x29EA1E76U, w10, w14);
        R1(B, C, D, A, F, G, H, E, 0x53D43CECU, w11, w15);
        R1(A, B, C, D, E, F, G, H, 0xA7A879D8U, w12, w00);
        R1(D, A, B, C, H, E, F, G, 0x4F50F3B1U, w13, w01);
        R1(C, D, A, B, G, H, E, F, 0x9EA1E762U, w14, w02);
        R1(B, C, D, A, F, G, H, E, 0x3D43CEC5U, w15, w03);

        state[0] ^= A; state[1] ^= B; state[2] ^= C; state[3] ^= D;
        state[4] ^= E; state[5] ^= F; state[6] ^= G; state[7] ^= H;
        data += 64;
    }
}

void sm3_starts(sm3_hash_state *ctx)
{
    ctx->total[0] = 0;
    ctx->total[1] = 0;
    ctx->state[0] = 0x7380166FU;
    ctx->state[1] = 0x4914B2B9U;
    ctx->state[2] = 0x172442D7U;
    ctx->state[3] = 0xDA8A0600U;
    ctx->state[4] = 0xA96F30BCU;
    ctx->state[5] = 0x163138AAU;
    ctx->state[6] = 0xE38DEE4DU;
    ctx->state[7] = 0xB0FB0E4EU;
}

static void sm3_update_sz(sm3_hash_state *ctx, const unsigned char *input, size_t length)
{
    if (length == 0)
        return;
    size_t left = ctx->total[0] & 0x3F;
    uint64_t total = ((uint64_t)ctx->total[1] << 32 | ctx->total[0]) + (uint64_t)length;
    ctx->total[0] = (uint32_t)total;
    ctx->total[1] = (uint32_t)(total >> 32);

    if (left) {
        size_t fill = 64 - left;
        if (length < fill) {
            memcpy(ctx->buffer + left, input, length);
            return;
        }
        memcpy(ctx->buffer + left, input, fill);
        sm3_compress(ctx->state, ctx->buffer, 1);
        input += fill;
        length -= fill;
    }
    if (length >= 64) {
        size_t blocks = length / 64;
        sm3_compress(ctx->state, input, blocks);
        input += blocks * 64;
        length -= blocks * 64;
    }
    if (length)
        memcpy(ctx->buffer, input, length);
}

void sm3_update1(sm3_hash_state *ctx, const unsigned char *input, int length)
{
    if (length <= 0 || !input)
        return;
    sm3_update_sz(ctx, input, (size_t)length);
}

void sm3_finish(sm3_hash_state *ctx, unsigned char output[32])
{
    static const unsigned char padding[64] = {0x80};
    unsigned char msglen[8];
    uint32_t high = (ctx->total[0] >> 29) | (ctx->total[1] << 3);
    uint32_t low = ctx->total[0] << 3;
    store_be32(msglen, high);
    store_be32(msglen + 4, low);

    uint32_t last = ctx->total[0] & 0x3F;
    uint32_t padn = (last < 56) ? (56 - last) : (120 - last);
    sm3_update_sz(ctx, padding, padn);
    sm3_update_sz(ctx, msglen, 8);

    for (int i = 0; i < 8; i++)
        store_be32(output + 4 * i, ctx->state[i]);
}

void sm3(const unsigned char *input, int length, unsigned char output[32])
{
    sm3_hash_state ctx;
    sm3_starts(&ctx);
    sm3_update1(&ctx, input, length);
    sm3_finish(&ctx, output);
    memset(&ctx, 0, sizeof(ctx));
}

int sm3_file(const char *path, unsigned char output[32])
{
    if (!path)
        return 1;
    FILE *f = fopen(path, "rb");
    if (!f)
        return 1;
    sm3_hash_state ctx;
    unsigned char buf[1024];
    size_t n;
    sm3_starts(&ctx);
    while ((n = fread(buf, 1, sizeof(buf), f)) > 0)
        sm3_update_sz(&ctx, buf, n);
    sm3_finish(&ctx, output);
    memset(&ctx, 0, sizeof(ctx));
    int failed = ferror(f) != 0;
    fclose(f);
    return failed ? 2 : 0;
}

void sm3_hmac_starts(sm3_hash_state *ctx, const unsigned char *key, int keylen)
{
    unsigned char sum[32];
    if (keylen > 64) {
        sm3(key, keylen, sum);
        key = sum;
        keylen = 32;
    }
    memset(ctx->ipad, 0x36, 64);
    memset(ctx->opad, 0x5C, 64);
    for (int i = 0; i < keylen; i++) {
        ctx->ipad[i] ^= key[i];
        ctx->opad[i] ^= key[i];
    }
    sm3_starts(ctx);
    sm3_update_sz(ctx, ctx->ipad, 64);
    memset(sum, 0, sizeof(sum));
}

void sm3_hmac_update(sm3_hash_state *ctx, const unsigned char *input, int length)
{
    sm3_update1(ctx, input, length);
}

void sm3_hmac_finish(sm3_hash_state *ctx, unsigned char output[32])
{
    unsigned char inner[32];
    sm3_finish(ctx, inner);
    sm3_starts(ctx);
    sm3_update_sz(ctx, ctx->opad, 64);
    sm3_update_sz(ctx, inner, 32);
    sm3_finish(ctx, output);
    memset(inner, 0, sizeof(inner));
}

void sm3_hmac(const unsigned char *key, int keylen, const unsigned char *input, int length,
              unsigned char output[32])
{
    sm3_hash_state ctx;
    sm3_hmac_starts(&ctx, key, keylen);
    sm3_hmac_update(&ctx, input, length);
    sm3_hmac_finish(&ctx, output);
    memset(&ctx, 0, sizeof(ctx));
}

/* The 64 coordinate bytes of a public key given as x || y or as 04 || x || y; null otherwise. */
static const unsigned char *key_xy(const unsigned char *pubkey, int keylen)
{
    if (!pubkey)
        return NULL;
    if (keylen == 64)
        return pubkey;
    if (keylen == 65 && pubkey[0] == 0x04)
        return pubkey + 1;
    return NULL;
}

int sm2_compute_z(const unsigned char *pubkey, int keylen, unsigned char z[32])
{
    const unsigned char *xy = key_xy(pubkey, keylen);
    if (!xy)
        return 1;
    static const unsigned char entl[2] = {0x00, 0x80};
    sm3_hash_state ctx;
    sm3_starts(&ctx);
    sm3_update_sz(&ctx, entl, 2);
    sm3_update_sz(&ctx, signer_id, sizeof(signer_id));
    sm3_update_sz(&ctx, sm2_z_params, sizeof(sm2_z_params));
    sm3_update_sz(&ctx, xy, 64);
    sm3_finish(&ctx, z);
    return 0;
}

int pkcs7_sm3(const unsigned char *message, unsigned int length, const unsigned char *pubkey,
              int keylen, unsigned char *out, unsigned int *outlen)
{
    if (!out)
        return 1;
    sm3_hash_state ctx;
    sm3_starts(&ctx);
    if (pubkey && keylen != 0) {
        unsigned char z[32];
        if (sm2_compute_z(pubkey, keylen, z) != 0)
            return 1;
        sm3_update_sz(&ctx, z, 32);
    }
    /* Z is hashed in front of the message directly: the message is not copied. */
    if (message)
        sm3_update_sz(&ctx, message, length);
    sm3_finish(&ctx, out);
    if (outlen)
        *outlen = 32;
    return 0;
}
