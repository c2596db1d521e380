/*
 * SM2 verification: with n the group order, accept (r, s) when 1 <= r, s < n,
 * t = (r + s) mod n is not 0, and (e + x1) mod n = r where (x1, y1) = s*G + t*P.
 */
#include "sm2verify.h"

#include <openssl/bn.h>
#include <openssl/ec.h>
#include <openssl/obj_mac.h>

int SM2_verify_signature(const unsigned char *digest, int digestlen,
                         const unsigned char *x, int xlen, const unsigned char *y, int ylen,
                         const unsigned char *r, int rlen, const unsigned char *s, int slen)
{
    if (!digest || digestlen < 0 || !x || !y || !r || !s)
        return -1;
    if (xlen != 32 || ylen != 32 || rlen != 32 || slen != 32)
        return -1;

    int valid = 0;
    BN_CTX *bn = BN_CTX_new();
    EC_GROUP *group = EC_GROUP_new_by_curve_name(NID_sm2);
    EC_POINT *pub = NULL, *sum = NULL;
    if (!bn || !group)
        goto done;
    BN_CTX_start(bn);
    BIGNUM *bx = BN_CTX_get(bn), *by = BN_CTX_get(bn), *br = BN_CTX_get(bn);
    BIGNUM *bs = BN_CTX_get(bn), *bt = BN_CTX_get(bn), *be = BN_CTX_get(bn);
    BIGNUM *x1 = BN_CTX_get(bn), *rr = BN_CTX_get(bn);
    if (!rr)
        goto end;
    const BIGNUM *order = EC_GROUP_get0_order(group);

    if (!BN_bin2bn(x, 32, bx) || !BN_bin2bn(y, 32, by) || !BN_bin2bn(r, 32, br) ||
        !BN_bin2bn(s, 32, bs))
        goto end;
    if (BN_is_zero(br) || BN_cmp(br, order) >= 0 || BN_is_zero(bs) || BN_cmp(bs, order) >= 0)
        goto end;
    if (!BN_mod_add(bt, br, bs, order, bn) || BN_is_zero(bt))
        goto end;

    /* The point must lie on the curve (set_affine_coordinates checks it). */
    pub = EC_POINT_new(group);
    sum = EC_POINT_new(group);
    if (!pub || !sum || !EC_POINT_set_affine_coordinates(group, pub, bx, by, bn))
        goto end;
    if (!EC_POINT_mul(group, sum, bs, pub, bt, bn) || EC_POINT_is_at_infinity(group, sum))
        goto end;
    if (!EC_POINT_get_affine_coordinates(group, sum, x1, NULL, bn))
        goto end;

    /* e as a number: a longer digest is truncated to the bit length of n. */
    int nbits = BN_num_bits(order);
    int elen = digestlen;
    if (elen * 8 > nbits)
        elen = (nbits + 7) / 8;
    if (!BN_bin2bn(digest, elen, be))
        goto end;
    if (elen * 8 > nbits && !BN_rshift(be, be, elen * 8 - nbits))
        goto end;
    if (!BN_mod_add(rr, be, x1, order, bn))
        goto end;
    valid = BN_cmp(rr, br) == 0;

end:
    BN_CTX_end(bn);
done:
    EC_POINT_free(pub);
    EC_POINT_free(sum);
    EC_GROUP_free(group);
    BN_CTX_free(bn);
    return valid ? 0 : -1;
}

int pkcs7_verifysm2(const unsigned char *digest, int digestlen, const unsigned char *pubkey,
                    int keylen, const unsigned char *rs)
{
    /* Bytes 1..32 and 33..64 of the uncompressed point are x and y. */
    if (!pubkey || keylen != 65 || !rs)
        return 15;
    return SM2_verify_signature(digest, digestlen, pubkey + 1, 32, pubkey + 33, 32, rs, 32,
                                rs + 32, 32) == 0
               ? 0
               : 15;
}
