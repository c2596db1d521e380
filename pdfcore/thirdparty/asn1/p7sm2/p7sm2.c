#include "p7sm2.h"

#include <stdlib.h>
#include <string.h>

#include "BIT_STRING.h"
#include "EncryptedDigestrs.h"
#include "PKCS7ContentInfo.h"
#include "SignedData.h"
#include "SignerInfo.h"
#include "asn1util.h"

PKCS7ContentInfo_t *p7_new(void)
{
    return calloc(1, sizeof(PKCS7ContentInfo_t));
}

void p7_free(PKCS7ContentInfo_t *ci)
{
    if (ci)
        ASN_STRUCT_FREE(asn_DEF_PKCS7ContentInfo, ci);
}

static DigestAlgorithmIdentifier_t *new_sm3_digest_algorithm(void)
{
    DigestAlgorithmIdentifier_t *alg = calloc(1, sizeof(*alg));
    if (alg && vq_oid_set(&alg->algorithm, P7_OID_SM3_DIGEST) != 0) {
        ASN_STRUCT_FREE(asn_DEF_DigestAlgorithmIdentifier, alg);
        return NULL;
    }
    return alg;
}

int p7_add_signed_data(PKCS7ContentInfo_t *ci)
{
    if (!ci)
        return -1;
    SignedData_t *sd = calloc(1, sizeof(*sd));
    if (!sd)
        return -1;
    sd->version = 1;
    DigestAlgorithmIdentifier_t *alg = new_sm3_digest_algorithm();
    if (!alg || ASN_SET_ADD(&sd->digestAlgorithms, alg) != 0) {
        if (alg)
            ASN_STRUCT_FREE(asn_DEF_DigestAlgorithmIdentifier, alg);
        ASN_STRUCT_FREE(asn_DEF_SignedData, sd);
        return -1;
    }
    if (vq_oid_set(&sd->contentInfo.contentType, P7_OID_DATA) != 0 ||
        vq_oid_set(&ci->contentType, P7_OID_SIGNED_DATA) != 0) {
        ASN_STRUCT_FREE(asn_DEF_SignedData, sd);
        return -1;
    }
    if (ci->content)
        ASN_STRUCT_FREE(asn_DEF_SignedData, ci->content);
    ci->content = sd;
    return 0;
}

int p7_add_certificate(PKCS7ContentInfo_t *ci, const unsigned char *cert, int length)
{
    if (!ci || !ci->content || !cert || length <= 0)
        return -1;
    ExtendedCertificatesAndCertificates_t *set = calloc(1, sizeof(*set));
    Certificate_t *c = calloc(1, sizeof(*c));
    if (!set || !c || vq_any_set(c, cert, length) != 0 ||
        ASN_SET_ADD(&set->list, c) != 0) {
        if (c)
            ASN_STRUCT_FREE(asn_DEF_Certificate, c);
        if (set)
            ASN_STRUCT_FREE(asn_DEF_ExtendedCertificatesAndCertificates, set);
        return -1;
    }
    if (ci->content->certificates)
        ASN_STRUCT_FREE(asn_DEF_ExtendedCertificatesAndCertificates, ci->content->certificates);
    ci->content->certificates = set;
    return 0;
}

static int hex_value(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

/* Serial text to bytes; an odd digit count reads as if a 0 stood in front. Serial numbers have
 * at most 20 bytes; texts over 256 digits are refused. Returns the byte count or -1. */
static int serial_from_hex(const char *hex, int len, unsigned char out[128])
{
    if (!hex || len <= 0 || len > 256)
        return -1;
    int n = 0, odd = len & 1;
    int hi = 0;
    for (int i = 0; i < len; i++) {
        int v = hex_value(hex[i]);
        if (v < 0)
            return -1;
        if (((i + odd) & 1) == 0) {
            hi = v;
        } else {
            out[n++] = (unsigned char)((hi << 4) | v);
            hi = 0;
        }
    }
    return n;
}

/* Builds DER SEQUENCE { r INTEGER, s INTEGER } for 32-byte big-endian r and s. */
static int encode_rs(const unsigned char r[32], const unsigned char s[32], unsigned char *out,
                     int room)
{
    EncryptedDigestrs_t rs;
    memset(&rs, 0, sizeof(rs));
    int len = -1;
    if (vq_integer_set_unsigned(&rs.r, r, 32) == 0 && vq_integer_set_unsigned(&rs.s, s, 32) == 0) {
        asn_enc_rval_t er = der_encode_to_buffer(&asn_DEF_EncryptedDigestrs, &rs, out, room);
        len = er.encoded < 0 ? -1 : (int)er.encoded;
    }
    ASN_STRUCT_FREE_CONTENTS_ONLY(asn_DEF_EncryptedDigestrs, &rs);
    return len;
}

static void value32(const unsigned char *v, int len, unsigned char out[32])
{
    if (len >= 1 && len < 32)
        vq_fit32(v, len, out);
    else
        memcpy(out, v, 32);
}

int p7_add_signerInfo(PKCS7ContentInfo_t *ci, const unsigned char *r, int rlen,
                      const unsigned char *s, int slen, const char *serial_hex, int serial_len,
                      const unsigned char *issuer_der, int issuer_len)
{
    if (!ci || !ci->content || !r || !s || !issuer_der || issuer_len <= 0)
        return -1;

    unsigned char serial[128];
    int serial_n = serial_from_hex(serial_hex, serial_len, serial);
    if (serial_n <= 0)
        return -1;

    unsigned char r32[32], s32[32];
    value32(r, rlen, r32);
    value32(s, slen, s32);
    unsigned char rs[256];
    int rs_len = encode_rs(r32, s32, rs, sizeof(rs));
    if (rs_len <= 0)
        return -1;

    SignerInfo_t *si = calloc(1, sizeof(*si));
    if (!si)
        return -1;
    si->version = 1;
    if (vq_any_set(&si->issuerAndSerialNumber.issuer, issuer_der, issuer_len) != 0 ||
        vq_any_set_unsigned_integer(&si->issuerAndSerialNumber.serialNumber, serial,
                                    serial_n) != 0 ||
        vq_oid_set(&si->digestAlgorithm.algorithm, P7_OID_SM3_DIGEST) != 0 ||
        vq_oid_set(&si->digestEncryptionAlgorithm.algorithm, P7_OID_SM2_SIGNATURE) != 0 ||
        OCTET_STRING_fromBuf(&si->encryptedDigest, (const char *)rs, rs_len) != 0 ||
        ASN_SET_ADD(&ci->content->signerInfos.list, si) != 0) {
        ASN_STRUCT_FREE(asn_DEF_SignerInfo, si);
        return -1;
    }
    return 0;
}

int p7_add_tsa(PKCS7ContentInfo_t *ci, const unsigned char *ts, int length)
{
    if (!ci)
        return -1;
    if (!ci->content || ci->content->signerInfos.list.count < 1)
        return 0;
    if (length < 0 || (!ts && length > 0))
        return -1;
    SignerInfo_t *si = ci->content->signerInfos.list.array[0];

    /* The attribute value: BIT STRING, 0 unused bits, the time-stamp bytes as they are. */
    BIT_STRING_t bits;
    memset(&bits, 0, sizeof(bits));
    bits.buf = (uint8_t *)(length > 0 ? ts : (const unsigned char *)"");
    bits.size = length;
    bits.bits_unused = 0;

    SetOfAuthenticatedAttribute_t *attrs = calloc(1, sizeof(*attrs));
    AuthenticatedAttribute_t *attr = calloc(1, sizeof(*attr));
    ANY_t *value = calloc(1, sizeof(*value));
    int ok = attrs && attr && value &&
             vq_oid_set(&attr->type, P7_OID_TIME_STAMP_TOKEN) == 0 &&
             ANY_fromType(value, &asn_DEF_BIT_STRING, &bits) == 0;
    if (ok && ASN_SET_ADD(&attr->values.list, value) == 0)
        value = NULL;
    else
        ok = 0;
    if (ok && ASN_SET_ADD(&attrs->list, attr) == 0)
        attr = NULL;
    else
        ok = 0;
    if (value)
        ASN_STRUCT_FREE(asn_DEF_ANY, value);
    if (attr)
        ASN_STRUCT_FREE(asn_DEF_AuthenticatedAttribute, attr);
    if (!ok) {
        if (attrs)
            ASN_STRUCT_FREE(asn_DEF_SetOfAuthenticatedAttribute, attrs);
        return -1;
    }
    if (si->unauthenticatedAttributes)
        ASN_STRUCT_FREE(asn_DEF_SetOfAuthenticatedAttribute, si->unauthenticatedAttributes);
    si->unauthenticatedAttributes = attrs;
    return 0;
}

int p7_to_buffer(PKCS7ContentInfo_t *ci, unsigned char *buffer, int *size)
{
    if (!ci || !buffer || !size || *size <= 0)
        return 1;
    asn_enc_rval_t er = der_encode_to_buffer(&asn_DEF_PKCS7ContentInfo, ci, buffer, (size_t)*size);
    if (er.encoded < 0 || er.encoded > *size)
        return 1;
    *size = (int)er.encoded;
    return 0;
}
