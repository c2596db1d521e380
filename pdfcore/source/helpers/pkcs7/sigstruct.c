#include "sigstruct.h"

#include <errno.h>
#include <stdlib.h>
#include <string.h>

#include "BIT_STRING.h"
#include "EncryptedDigestrs.h"
#include "GeneralizedTime.h"
#include "PKCS7ContentInfo.h"
#include "SESSignature.h"
#include "SignedData.h"
#include "SignerInfo.h"
#include "asn1util.h"

static vq_bytes bytes_of(const void *data, int len)
{
    vq_bytes b;
    b.data = (const unsigned char *)data;
    b.len = data ? len : 0;
    return b;
}

/* Decoding untrusted bytes: bound the decoder's recursion (deeply nested indefinite lengths). */
static asn_dec_rval_t decode(asn_TYPE_descriptor_t *td, void **value, const void *buf, size_t size)
{
    asn_codec_ctx_t ctx;
    memset(&ctx, 0, sizeof(ctx));
    ctx.max_stack_size = 128 * 1024;
    return ber_decode(&ctx, td, value, buf, size);
}

/* ---- PKCS#7 ------------------------------------------------------------------------------ */

typedef struct p7_priv {
    PKCS7ContentInfo_t *ci;
    EncryptedDigestrs_t *rs;
    BIT_STRING_t *ts;
} p7_priv;

int vq_decode_sm2_rs(const unsigned char *der, int len, unsigned char r[32], unsigned char s[32])
{
    EncryptedDigestrs_t *rs = NULL;
    if (!der || len <= 0)
        return -1;
    asn_dec_rval_t rv = decode(&asn_DEF_EncryptedDigestrs, (void **)&rs, der, (size_t)len);
    int ok = rv.code == RC_OK && rs;
    if (ok) {
        vq_fit32(rs->r.buf, rs->r.size, r);
        vq_fit32(rs->s.buf, rs->s.size, s);
    }
    if (rs)
        ASN_STRUCT_FREE(asn_DEF_EncryptedDigestrs, rs);
    return ok ? 0 : -1;
}

int vq_p7_decode(const unsigned char *der, int len, vq_p7_view *out)
{
    if (!out)
        return VQ_P7_NOT_PKCS7;
    memset(out, 0, sizeof(*out));
    p7_priv *priv = calloc(1, sizeof(*priv));
    if (!priv)
        return VQ_P7_NOT_PKCS7;
    out->priv = priv;
    if (!der || len <= 0)
        return VQ_P7_NOT_PKCS7;

    asn_dec_rval_t rv =
        decode(&asn_DEF_PKCS7ContentInfo, (void **)&priv->ci, der, (size_t)len);
    if (rv.code != RC_OK || !priv->ci)
        return VQ_P7_NOT_PKCS7;
    PKCS7ContentInfo_t *ci = priv->ci;
    vq_oid_text(&ci->contentType, out->content_type, sizeof(out->content_type));

    SignedData_t *sd = ci->content;
    if (!sd)
        return VQ_P7_NO_SIGNER;
    out->has_signed_data = 1;
    out->version = sd->version;
    if (sd->digestAlgorithms.list.count > 0)
        vq_oid_text(&sd->digestAlgorithms.list.array[0]->algorithm, out->digest_algorithm,
                    sizeof(out->digest_algorithm));
    vq_oid_text(&sd->contentInfo.contentType, out->inner_content_type,
                sizeof(out->inner_content_type));
    out->has_inner_content = sd->contentInfo.content != NULL;
    if (sd->certificates && sd->certificates->list.count > 0) {
        out->certificate_count = sd->certificates->list.count;
        Certificate_t *c = sd->certificates->list.array[0];
        out->certificate = bytes_of(c->buf, c->size);
    }
    out->signer_count = sd->signerInfos.list.count;
    if (out->signer_count < 1)
        return VQ_P7_NO_SIGNER;

    SignerInfo_t *si = sd->signerInfos.list.array[0];
    out->signer_version = si->version;
    out->issuer = bytes_of(si->issuerAndSerialNumber.issuer.buf, si->issuerAndSerialNumber.issuer.size);
    out->serial = bytes_of(si->issuerAndSerialNumber.serialNumber.buf,
                           si->issuerAndSerialNumber.serialNumber.size);
    vq_oid_text(&si->digestAlgorithm.algorithm, out->signer_digest_algorithm,
                sizeof(out->signer_digest_algorithm));
    vq_oid_text(&si->digestEncryptionAlgorithm.algorithm, out->signature_algorithm,
                sizeof(out->signature_algorithm));
    out->has_authenticated_attributes = si->authenticatedAttributes != NULL;
    out->encrypted_digest = bytes_of(si->encryptedDigest.buf, si->encryptedDigest.size);

    if (si->unauthenticatedAttributes && si->unauthenticatedAttributes->list.count > 0) {
        out->unauthenticated_count = si->unauthenticatedAttributes->list.count;
        AuthenticatedAttribute_t *attr = si->unauthenticatedAttributes->list.array[0];
        vq_oid_text(&attr->type, out->first_attribute_type, sizeof(out->first_attribute_type));
        if (attr->values.list.count > 0) {
            ANY_t *value = attr->values.list.array[0];
            rv = decode(&asn_DEF_BIT_STRING, (void **)&priv->ts, value->buf,
                            (size_t)value->size);
            if (rv.code == RC_OK && priv->ts) {
                out->has_time_stamp = 1;
                out->time_stamp = bytes_of(priv->ts->buf, priv->ts->size);
            }
        }
    }

    if (!si->encryptedDigest.buf || si->encryptedDigest.size <= 0)
        return VQ_P7_BAD_RS;
    rv = decode(&asn_DEF_EncryptedDigestrs, (void **)&priv->rs, si->encryptedDigest.buf,
                    (size_t)si->encryptedDigest.size);
    if (rv.code != RC_OK || !priv->rs)
        return VQ_P7_BAD_RS;
    out->r_integer = bytes_of(priv->rs->r.buf, priv->rs->r.size);
    out->s_integer = bytes_of(priv->rs->s.buf, priv->rs->s.size);
    vq_fit32(priv->rs->r.buf, priv->rs->r.size, out->r);
    vq_fit32(priv->rs->s.buf, priv->rs->s.size, out->s);
    return VQ_P7_OK;
}

vq_bytes vq_p7_certificate(const vq_p7_view *view, int i)
{
    vq_bytes none = {NULL, 0};
    if (!view || !view->priv || i < 0)
        return none;
    const p7_priv *priv = view->priv;
    const SignedData_t *sd = priv->ci ? priv->ci->content : NULL;
    if (!sd || !sd->certificates || i >= sd->certificates->list.count)
        return none;
    const Certificate_t *c = sd->certificates->list.array[i];
    return bytes_of(c->buf, c->size);
}

void vq_p7_view_free(vq_p7_view *view)
{
    if (!view || !view->priv)
        return;
    p7_priv *priv = view->priv;
    if (priv->ci)
        ASN_STRUCT_FREE(asn_DEF_PKCS7ContentInfo, priv->ci);
    if (priv->rs)
        ASN_STRUCT_FREE(asn_DEF_EncryptedDigestrs, priv->rs);
    if (priv->ts)
        ASN_STRUCT_FREE(asn_DEF_BIT_STRING, priv->ts);
    free(priv);
    memset(view, 0, sizeof(*view));
}

/* ---- GB/T 38540 seal signature ------------------------------------------------------------ */

typedef struct seal_priv {
    SESSignature_t *sig;
    unsigned char *to_sign_der;
    unsigned char *eseal_info_der;
    vq_bytes *certs;
} seal_priv;

/* DER of a value into a new buffer. */
static unsigned char *der_new(asn_TYPE_descriptor_t *td, void *value, int *len)
{
    asn_enc_rval_t er = der_encode(td, value, NULL, NULL);
    if (er.encoded <= 0 || er.encoded > 0x7FFFFFFF)
        return NULL;
    unsigned char *buf = malloc((size_t)er.encoded);
    if (!buf)
        return NULL;
    er = der_encode_to_buffer(td, value, buf, (size_t)er.encoded);
    if (er.encoded <= 0) {
        free(buf);
        return NULL;
    }
    *len = (int)er.encoded;
    return buf;
}

int vq_seal_decode(const unsigned char *der, int len, vq_seal_view *out)
{
    if (!out)
        return -1;
    memset(out, 0, sizeof(*out));
    seal_priv *priv = calloc(1, sizeof(*priv));
    if (!priv)
        return -1;
    out->priv = priv;
    if (!der || len <= 0)
        return -1;
    asn_dec_rval_t rv = decode(&asn_DEF_SESSignature, (void **)&priv->sig, der, (size_t)len);
    if (rv.code != RC_OK || !priv->sig)
        return -1;

    SESSignature_t *sig = priv->sig;
    TBSSign_t *tbs = &sig->toSign;
    SESeal_t *seal = &tbs->eseal;
    SESSealInfo_t *info = &seal->esealInfo;
    SESESPropertyInfo_t *prop = &info->property;

    out->signer_cert = bytes_of(sig->cert.buf, sig->cert.size);
    vq_oid_text(&sig->signatureAlgID, out->signature_alg, sizeof(out->signature_alg));
    out->signature = bytes_of(sig->signature.buf, sig->signature.size);
    if (sig->timeStamp) {
        out->has_time_stamp = 1;
        out->time_stamp = bytes_of(sig->timeStamp->buf, sig->timeStamp->size);
    }
    out->version = tbs->version;
    out->time_info = bytes_of(tbs->timeInfo.buf, tbs->timeInfo.size);
    out->data_hash = bytes_of(tbs->dataHash.buf, tbs->dataHash.size);
    out->property_info = bytes_of(tbs->propertyInfo.buf, tbs->propertyInfo.size);
    out->maker_cert = bytes_of(seal->cert.buf, seal->cert.size);
    vq_oid_text(&seal->signAlgID, out->sign_alg, sizeof(out->sign_alg));
    out->sign_value = bytes_of(seal->signValue.buf, seal->signValue.size);
    out->header_id = bytes_of(info->header.id.buf, info->header.id.size);
    out->header_version = info->header.version;
    out->header_vid = bytes_of(info->header.vid.buf, info->header.vid.size);
    out->es_id = bytes_of(info->esID.buf, info->esID.size);
    out->prop_type = prop->type;
    out->prop_name = bytes_of(prop->name.buf, prop->name.size);
    out->cert_list_type = prop->certListType;
    if (prop->certList.list.count > 0) {
        priv->certs = calloc((size_t)prop->certList.list.count, sizeof(vq_bytes));
        if (!priv->certs)
            return -1;
        for (int i = 0; i < prop->certList.list.count; i++) {
            Cert_t *c = prop->certList.list.array[i];
            priv->certs[i] = bytes_of(c->buf, c->size);
        }
        out->cert_list_count = prop->certList.list.count;
        out->cert_list = priv->certs;
    }
    out->create_date = bytes_of(prop->createDate.buf, prop->createDate.size);
    out->valid_start = bytes_of(prop->validStart.buf, prop->validStart.size);
    out->valid_end = bytes_of(prop->validEnd.buf, prop->validEnd.size);
    out->pic_type = bytes_of(info->picture.type.buf, info->picture.type.size);
    out->pic_data = bytes_of(info->picture.data.buf, info->picture.data.size);
    out->pic_width = info->picture.width;
    out->pic_height = info->picture.height;

    int n = 0;
    priv->to_sign_der = der_new(&asn_DEF_TBSSign, tbs, &n);
    if (!priv->to_sign_der)
        return -2;
    out->to_sign_der = bytes_of(priv->to_sign_der, n);
    priv->eseal_info_der = der_new(&asn_DEF_SESSealInfo, info, &n);
    if (!priv->eseal_info_der)
        return -2;
    out->eseal_info_der = bytes_of(priv->eseal_info_der, n);
    return 0;
}

void vq_seal_view_free(vq_seal_view *view)
{
    if (!view || !view->priv)
        return;
    seal_priv *priv = view->priv;
    if (priv->sig)
        ASN_STRUCT_FREE(asn_DEF_SESSignature, priv->sig);
    free(priv->to_sign_der);
    free(priv->eseal_info_der);
    free(priv->certs);
    free(priv);
    memset(view, 0, sizeof(*view));
}

static int set_octets(OCTET_STRING_t *st, vq_bytes b)
{
    if (b.len < 0 || (!b.data && b.len > 0))
        return -1;
    /* An empty string still gets a (non-null) buffer so that it is encoded. */
    return OCTET_STRING_fromBuf(st, b.len ? (const char *)b.data : "", b.len);
}

static int set_bits(BIT_STRING_t *st, vq_bytes b)
{
    if (b.len < 0 || (!b.data && b.len > 0))
        return -1;
    uint8_t *buf = malloc((size_t)b.len + 1);
    if (!buf)
        return -1;
    if (b.len)
        memcpy(buf, b.data, (size_t)b.len);
    buf[b.len] = 0;
    free(st->buf);
    st->buf = buf;
    st->size = b.len;
    st->bits_unused = 0;
    return 0;
}

int vq_seal_encode(const vq_seal_view *in, unsigned char **out, int *outlen)
{
    if (!in || !out || !outlen)
        return -1;
    *out = NULL;
    *outlen = 0;
    SESSignature_t *sig = calloc(1, sizeof(*sig));
    if (!sig)
        return -1;
    TBSSign_t *tbs = &sig->toSign;
    SESeal_t *seal = &tbs->eseal;
    SESSealInfo_t *info = &seal->esealInfo;
    SESESPropertyInfo_t *prop = &info->property;

    int ok = set_octets(&sig->cert, in->signer_cert) == 0 &&
             vq_oid_set(&sig->signatureAlgID, in->signature_alg) == 0 &&
             set_bits(&sig->signature, in->signature) == 0;
    if (ok && in->has_time_stamp) {
        sig->timeStamp = calloc(1, sizeof(BIT_STRING_t));
        ok = sig->timeStamp && set_bits(sig->timeStamp, in->time_stamp) == 0;
    }
    tbs->version = in->version;
    ok = ok && set_octets(&tbs->timeInfo, in->time_info) == 0 &&
         set_bits(&tbs->dataHash, in->data_hash) == 0 &&
         set_octets(&tbs->propertyInfo, in->property_info) == 0 &&
         set_octets(&seal->cert, in->maker_cert) == 0 &&
         vq_oid_set(&seal->signAlgID, in->sign_alg) == 0 &&
         set_bits(&seal->signValue, in->sign_value) == 0 &&
         set_octets(&info->header.id, in->header_id) == 0 &&
         set_octets(&info->header.vid, in->header_vid) == 0 &&
         set_octets(&info->esID, in->es_id) == 0 &&
         set_octets(&prop->name, in->prop_name) == 0 &&
         set_octets(&prop->createDate, in->create_date) == 0 &&
         set_octets(&prop->validStart, in->valid_start) == 0 &&
         set_octets(&prop->validEnd, in->valid_end) == 0 &&
         set_octets(&info->picture.type, in->pic_type) == 0 &&
         set_octets(&info->picture.data, in->pic_data) == 0;
    info->header.version = in->header_version;
    prop->type = in->prop_type;
    prop->certListType = in->cert_list_type;
    info->picture.width = in->pic_width;
    info->picture.height = in->pic_height;
    for (int i = 0; ok && i < in->cert_list_count; i++) {
        Cert_t *c = calloc(1, sizeof(*c));
        ok = c && in->cert_list && set_octets(c, in->cert_list[i]) == 0 &&
             ASN_SEQUENCE_ADD(&prop->certList.list, c) == 0;
        if (!ok && c)
            ASN_STRUCT_FREE(asn_DEF_Cert, c);
    }
    if (ok) {
        int n = 0;
        *out = der_new(&asn_DEF_SESSignature, sig, &n);
        ok = *out != NULL;
        if (ok)
            *outlen = n;
    }
    ASN_STRUCT_FREE(asn_DEF_SESSignature, sig);
    return ok ? 0 : -1;
}

int vq_generalized_time_to_seconds(const unsigned char *text, int len, long long *seconds)
{
    if (!text || len <= 0 || !seconds)
        return -1;
    GeneralizedTime_t gt;
    memset(&gt, 0, sizeof(gt));
    gt.buf = (uint8_t *)text;
    gt.size = len;
    errno = 0;
    time_t t = asn_GT2time(&gt, NULL, 0);
    if (t == (time_t)-1 && errno == EINVAL)
        return -1;
    *seconds = (long long)t;
    return 0;
}
