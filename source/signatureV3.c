/*
 * The cloud signer and the arming of signature fields with it.
 *
 * The user's SM2 key lives in the cloud service, so a field is armed first: its signature
 * dictionary is written with /Contents reserved, and the signer is registered with the
 * document. While the document is saved, the library's incremental writer fills /ByteRange and
 * calls batch_signer_create_digest with the signed bytes: it computes e = SM3(Z || M) and the
 * MD5 of M, has the application's sign callback obtain r, s and a time stamp, wraps them in SM2
 * PKCS#7 signed data and hands back its DER, which the writer puts into /Contents.
 */
#include "annot-internal.h"
#include "vq-signature.h"

#include "certparse.h"
#include "p7sm2.h"
#include "sm3.h"

#include <stdlib.h>
#include <string.h>
#include <time.h>

/* Buffers the sign callback fills. */
#define SIGN_RS_ROOM 64
#define SIGN_TSA_ROOM 3052
/* Room the value was given before it was measured; never reserve less. */
#define SIGN_LEGACY_EXTRA 3124
/* Margin on top of the largest value measured when the signer is made. */
#define SIGN_ROOM_MARGIN 256

typedef struct batch_signer_s
{
    vq_pkcs7_signer base;        /* must be first */
    fz_context* ctx;
    int refs;
    char* certsn;                /* serial, upper-case hexadecimal */
    int cert_type;
    int crypto_type;             /* always 0 */
    unsigned char* pub_key;      /* 04 || x || y */
    unsigned int pub_key_len;    /* 65 */
    unsigned char* issuer;       /* DER of the issuer name */
    int issuserlen;
    int maxsignlen;              /* room reserved for the PKCS#7 value */
    vq_sign_callbackfun callback;
    unsigned char* cert;         /* DER of the signer certificate */
    int certlen;
    int* failure;                /* where a failed signing records its code (the document's) */
    int* read_errors;            /* failed reads of the document's bytes (the document's count) */
} batch_signer;

/* Records why signing failed where the save reads it, then raises the code. */
static void FZ_NORETURN signing_failed(fz_context* ctx, batch_signer* s, int code, const char* why)
{
    if (s->failure)
        *s->failure = code;
    fz_throw(ctx, code, "%s (%d)", why, code);
}

/* ---- Base64 (standard alphabet, padded) ---------------------------------------------------- */

static const char b64_alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

/* Writes the encoding of data and a zero byte into out (room for (length + 2) / 3 * 4 + 1);
   returns 0 and the number of characters in *outlen. */
static int base64_encode_new(const unsigned char* data, int length, char* out, int* outlen)
{
    int o = 0;
    for (int i = 0; i < length; i += 3)
    {
        unsigned v = (unsigned)data[i] << 16;
        if (i + 1 < length)
            v |= (unsigned)data[i + 1] << 8;
        if (i + 2 < length)
            v |= data[i + 2];
        out[o++] = b64_alphabet[(v >> 18) & 63];
        out[o++] = b64_alphabet[(v >> 12) & 63];
        out[o++] = i + 1 < length ? b64_alphabet[(v >> 6) & 63] : '=';
        out[o++] = i + 2 < length ? b64_alphabet[v & 63] : '=';
    }
    out[o] = 0;
    if (outlen)
        *outlen = o;
    return 0;
}

static int b64_value(int c)
{
    const char* p = c ? strchr(b64_alphabet, c) : NULL;
    return p ? (int)(p - b64_alphabet) : -1;
}

/* Decodes Base64 text of length characters into out (room for length / 4 * 3 bytes); any
   character outside the alphabet and "=" is skipped. Returns 0 with *outlen set; -1 when the
   text ends inside a group; -2 when text is left after a padded group. */
static int base64_decode_new(const char* text, int length, unsigned char* out, int* outlen)
{
    int o = 0, n = 0, pad = 0, done = 0;
    unsigned v = 0;
    for (int i = 0; i < length; i++)
    {
        int c = (unsigned char)text[i];
        int d = c == '=' ? -2 : b64_value(c);
        if (d == -1)
            continue;
        if (done)
            return -2;
        if (d == -2)
        {
            /* Padding is only legal in the last two places of a group. */
            if (n < 2)
                return -1;
            pad++;
            d = 0;
        }
        else if (pad)
            return -2;
        v = (v << 6) | (unsigned)d;
        if (++n == 4)
        {
            out[o++] = (unsigned char)(v >> 16);
            if (pad < 2)
                out[o++] = (unsigned char)(v >> 8);
            if (pad < 1)
                out[o++] = (unsigned char)v;
            if (pad)
                done = 1;
            n = 0;
            v = 0;
        }
    }
    if (n)
        return -1;
    if (outlen)
        *outlen = o;
    return 0;
}

/* A new zeroed buffer of len / 4 * 3 (+1) bytes with the decoding of data, or NULL. */
static unsigned char* decode_base64(const char* data, int len, int* outlen)
{
    *outlen = 0;
    if (!data || len <= 0)
        return NULL;
    unsigned char* out = calloc((size_t)len / 4 * 3 + 1, 1);
    if (!out)
        return NULL;
    if (base64_decode_new(data, len, out, outlen) != 0)
        *outlen = 0;
    return out;
}

/* ---- fixed texts ---------------------------------------------------------------------------- */

/* The signing time, always in China Standard Time (UTC+8) whatever the machine's zone, so
   that the text agrees with its "+08'00'" suffix. */
static char* timepdf(fz_context* ctx)
{
    time_t now = time(NULL) + 8 * 3600;
    struct tm tm;
    gmtime_r(&now, &tm);
    char buf[64];
    snprintf(buf, sizeof buf, "D:%04d%02d%02d%02d%02d%02d+08'00'", tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday,
             tm.tm_hour, tm.tm_min, tm.tm_sec);
    return fz_strdup(ctx, buf);
}

static char* reasonpdf(fz_context* ctx)
{
    return fz_strdup(ctx, "Orvessa signs this document");
}

/* ---- the signer --------------------------------------------------------------------------- */

static pdf_pkcs7_signer* batch_keep_signer(fz_context* ctx, pdf_pkcs7_signer* signer)
{
    (void)ctx;
    if (signer)
        ((batch_signer*)signer)->refs++;
    return signer;
}

static void batch_drop_signer(fz_context* ctx, pdf_pkcs7_signer* signer)
{
    (void)ctx;
    batch_signer* s = (batch_signer*)signer;
    if (!s || --s->refs > 0)
        return;
    fz_context* c = s->ctx;
    fz_free(c, s->base.time);
    fz_free(c, s->base.reason);
    free(s->issuer);
    free(s->certsn);
    free(s->pub_key);
    free(s->cert);
    fz_free(c, s);
}

static size_t batch_max_digest_size(fz_context* ctx, pdf_pkcs7_signer* signer)
{
    (void)ctx;
    return (size_t)((batch_signer*)signer)->maxsignlen;
}

/* Builds the PKCS#7 value for r and s (32 bytes each) and the time stamp into out (room
   bytes). Returns 0 with *len set, or a vq_error_type code. */
static int build_value(batch_signer* s, const unsigned char* r, const unsigned char* sv, const unsigned char* tsa,
                       int tsalen, unsigned char* out, int room, int* len)
{
    PKCS7ContentInfo_t* p7 = p7_new();
    int code = 0;
    if (!p7 || p7_add_signed_data(p7) != 0 || p7_add_certificate(p7, s->cert, s->certlen) != 0)
        code = VQ_P7_TOBUFFER_ERROR;
    else if (p7_add_signerInfo(p7, r, 32, sv, 32, s->certsn, (int)strlen(s->certsn), s->issuer, s->issuserlen) != 0)
        code = VQ_P7ADDSIGNERINFO_ERROR;
    else if (p7_add_tsa(p7, tsa, tsalen) != 0)
        code = VQ_P7ADDSIGNERINFO_ERROR;
    else
    {
        *len = room;
        if (p7_to_buffer(p7, out, len) != 0)
            code = VQ_P7_TOBUFFER_ERROR;
    }
    p7_free(p7);
    return code;
}

static void hex_lower(const unsigned char* data, int n, char* out)
{
    static const char digits[] = "0123456789abcdef";
    for (int i = 0; i < n; i++)
    {
        out[2 * i] = digits[data[i] >> 4];
        out[2 * i + 1] = digits[data[i] & 15];
    }
    out[2 * n] = 0;
}

/* Decodes one half of the signature: exactly 32 bytes or it is refused. */
static int decode_half(const char* text, int len, unsigned char out[32])
{
    unsigned char tmp[SIGN_RS_ROOM / 4 * 3 + 3];
    int n = 0;
    if (len <= 0 || len > SIGN_RS_ROOM)
        return -1;
    if (base64_decode_new(text, len, tmp, &n) != 0 || n != 32)
        return -1;
    memcpy(out, tmp, 32);
    return 0;
}

static void sm3_block(void* arg, const unsigned char* data, size_t n)
{
    sm3_update1((sm3_hash_state*)arg, data, (int)n);
}

static void md5_block(void* arg, const unsigned char* data, size_t n)
{
    fz_md5_update((fz_md5*)arg, data, n);
}

/* Computes the signature value over the bytes of in. The signed bytes are read block by block
   and hashed as they come: e = SM3(Z || M) and the MD5 of M in one pass, never the whole of M in
   memory. Returns its length; failures are raised with their vq_error_type code (or the
   callback's code), which the save passes out. */
static int batch_signer_create_digest(fz_context* ctx, pdf_pkcs7_signer* signer, fz_stream* in,
                                      unsigned char* digest, size_t digest_len)
{
    batch_signer* s = (batch_signer*)signer;
    vq_hash_pipe* pipe = NULL;
    unsigned char* value = NULL;
    int code = 0;
    int len = 0;

    fz_var(pipe);
    fz_var(value);
    fz_try(ctx)
    {
        unsigned char z[32];
        if (sm2_compute_z(s->pub_key, (int)s->pub_key_len, z) != 0)
            signing_failed(ctx, s, VQ_CREATE_SM3_ERROR, "cannot compute the SM3 digest");
        sm3_hash_state sm3;
        sm3_starts(&sm3);
        sm3_update1(&sm3, z, 32);
        fz_md5 md5state;
        fz_md5_init(&md5state);

        /* MD5 runs beside SM3 on a helper thread, block by block. */
        const int read_errors = s->read_errors ? *s->read_errors : 0;
        pipe = vq_hash_pipe_new(md5_block, &md5state);
        if (!pipe)
            fz_throw(ctx, FZ_ERROR_MEMORY, "out of memory");
        for (;;)
        {
            size_t n = fz_read(ctx, in, vq_hash_pipe_buffer(pipe), vq_hash_pipe_block_size());
            if (n == 0)
                break;
            vq_hash_pipe_feed(pipe, n, sm3_block, &sm3);
        }
        vq_hash_pipe_drop(pipe);
        pipe = NULL;
        /* A signed byte that could not be read would sign something else than the file. */
        if (in->error || (s->read_errors && *s->read_errors != read_errors))
            signing_failed(ctx, s, VQ_CREATE_SM3_ERROR, "cannot read the signed bytes");

        unsigned char e[32];
        sm3_finish(&sm3, e);
        memset(&sm3, 0, sizeof sm3);
        char e64[(32 + 2) / 3 * 4 + 11];
        base64_encode_new(e, 32, e64, NULL);

        unsigned char md5[16];
        fz_md5_final(&md5state, md5);
        char md5hex[33];
        hex_lower(md5, 16, md5hex);

        char r[SIGN_RS_ROOM], sv[SIGN_RS_ROOM];
        char* tsa = fz_calloc(ctx, SIGN_TSA_ROOM, 1);
        value = (unsigned char*)tsa; /* freed on every path below */
        int rlen = 0, slen = 0, tsalen = 0;
        memset(r, 0, sizeof r);
        memset(sv, 0, sizeof sv);
        code = s->callback(s->certsn, 0, s->cert_type, e64, md5hex, r, &rlen, sv, &slen, tsa, &tsalen);
        if (code)
            signing_failed(ctx, s, code, "the signing service refused");

        /* Lengths are checked before anything is read: a longer answer is refused, never
           copied. */
        unsigned char rb[32], sb[32];
        if (tsalen < 0 || tsalen > SIGN_TSA_ROOM || decode_half(r, rlen, rb) != 0 || decode_half(sv, slen, sb) != 0)
            signing_failed(ctx, s, VQ_HTTP_REQUEST_DATA_IS_ERROR, "the signing answer has a bad shape");

        unsigned char* out = fz_calloc(ctx, (size_t)s->maxsignlen, 1);
        code = build_value(s, rb, sb, (unsigned char*)tsa, tsalen, out, s->maxsignlen, &len);
        fz_free(ctx, tsa);
        value = out;
        if (code)
            signing_failed(ctx, s, code, "cannot build the signature value");
        if (len > s->maxsignlen || (size_t)len > digest_len)
            signing_failed(ctx, s, VQ_P7_MAXLEN_ERROR, "the signature value does not fit its room");
        memcpy(digest, value, (size_t)len);
    }
    fz_always(ctx)
    {
        fz_free(ctx, value);
        vq_hash_pipe_drop(pipe);
    }
    fz_catch(ctx)
        fz_rethrow(ctx);
    return len;
}

/* The largest value a legal answer can produce: r and s with their top bit set (encoded one
   byte longer) and a time stamp of the full 3052 bytes. */
static int measure_largest_value(batch_signer* s)
{
    unsigned char r[32], tsa[SIGN_TSA_ROOM];
    memset(r, 0xff, sizeof r);
    memset(tsa, 0xff, sizeof tsa);
    int room = s->certlen + s->issuserlen + SIGN_TSA_ROOM + 4096;
    unsigned char* out = malloc((size_t)room);
    int len = -1;
    if (out && build_value(s, r, r, tsa, SIGN_TSA_ROOM, out, room, &len) != 0)
        len = -1;
    free(out);
    return len;
}

/* A new cloud signer for the Base64 certificate, or NULL with *ret = VQ_CERT_ISNULL (nothing
   decodes) or VQ_SIGNATURE_GETCERT_ERROR (no usable certificate). */
static pdf_pkcs7_signer* pdf_new_client_v3signer(fz_context* ctx, vq_sign_callbackfun callback, const char* base64cert,
                                          int* retp)
{
    int dummy;
    int* volatile ret = retp ? retp : &dummy;
    int declen = 0;
    unsigned char* dec = base64cert ? decode_base64(base64cert, (int)strlen(base64cert), &declen) : NULL;
    if (!dec || declen == 0)
    {
        free(dec);
        *ret = VQ_CERT_ISNULL;
        return NULL;
    }

    /* The bytes may be DER, PEM or a bundle: store the certificate itself as DER. */
    int derlen = 0;
    unsigned char* der = NULL;
    pkcs7_cert* cert = pkcs7_openssl_prase_sm2cert(dec, declen, 0);
    if (cert)
        der = conver_x509toder(pkcs7_openssl_get_x509(cert), &derlen);
    pkcs7_openssl_prase_drop(cert);
    free(dec);

    parsehelps h;
    init_parsehelps(&h);
    h.is_sn = h.iscerttype = h.ispkkey = h.istime = h.isissuer_der = 1;
    if (!der || derlen <= 0 || prase_cert_helps_fun(der, derlen, &h, 0) != 0 || h.pbkey_len != 65 || !h.certsn ||
        !h.strissuer_der)
    {
        free_parsehelps(&h);
        free(der);
        *ret = VQ_SIGNATURE_GETCERT_ERROR;
        return NULL;
    }

    batch_signer* s = NULL;
    fz_try(ctx)
    {
        s = fz_malloc_struct(ctx, batch_signer);
        s->base.base.keep = batch_keep_signer;
        s->base.base.drop = batch_drop_signer;
        s->base.base.get_signing_name = NULL;
        s->base.base.max_digest_size = batch_max_digest_size;
        s->base.base.create_digest = batch_signer_create_digest;
        s->base.subfilter = VQ_SUBFILTER_SM3_3;
        s->ctx = ctx;
        s->refs = 1;
        s->base.time = timepdf(ctx);
        s->base.reason = reasonpdf(ctx);
    }
    fz_catch(ctx)
    {
        if (s)
        {
            fz_free(ctx, s->base.time);
            fz_free(ctx, s);
        }
        free_parsehelps(&h);
        free(der);
        *ret = VQ_FAIL;
        return NULL;
    }
    s->callback = callback;
    s->certsn = h.certsn;
    h.certsn = NULL;
    s->issuer = h.strissuer_der;
    s->issuserlen = h.strissuer_derlen;
    h.strissuer_der = NULL;
    s->cert_type = h.certtype;
    s->crypto_type = 0;
    s->pub_key = malloc(65);
    s->pub_key_len = 65;
    s->cert = der;
    s->certlen = derlen;
    free_parsehelps(&h);
    if (!s->pub_key)
    {
        batch_drop_signer(ctx, &s->base.base);
        *ret = VQ_FAIL;
        return NULL;
    }
    memcpy(s->pub_key, h.public_key, 65);

    int largest = measure_largest_value(s);
    if (largest < 0)
    {
        batch_drop_signer(ctx, &s->base.base);
        *ret = VQ_SIGNATURE_GETCERT_ERROR;
        return NULL;
    }
    s->maxsignlen = derlen + SIGN_LEGACY_EXTRA;
    if (s->maxsignlen < largest + SIGN_ROOM_MARGIN)
        s->maxsignlen = largest + SIGN_ROOM_MARGIN;
    *ret = 0;
    return &s->base.base;
}

/* ---- arming ------------------------------------------------------------------------------ */

/* Points the field at the value object and gives it an appearance if it has none. */
static void attach_value(fz_context* ctx, pdf_document* pdf, pdf_annot* widget, int objnum)
{
    pdf_obj* field = pdf_annot_obj(ctx, widget);
    /* Arming again replaces an earlier pending value of this field. */
    pdf_xref_remove_unsaved_signature(ctx, pdf, field);
    pdf_dict_put_drop(ctx, field, PDF_NAME(V), pdf_new_indirect(ctx, pdf, objnum, 0));
    vq_sig_ensure_appearance(ctx, widget);
}

static int arm_locked(struct document* d, vq_signature** sigs, int count, vq_sign_callbackfun callback,
                      const char* cert, const char* customTag, int islock)
{
    fz_context* ctx = d->ctx;
    pdf_document* pdf = vq_pdf(d);
    if (!pdf)
        return VQ_FAIL;
    if (!cert || !*cert)
        return VQ_CERT_ISNULL;
    if (!callback)
        return VQ_FAIL;
    if (!sigs || count <= 0)
        return VQ_BATCH_SIGN_DATA_ERROR;
    /* Every handle is looked up and every widget checked before anything is written. */
    pdf_annot** widgets = (pdf_annot**)calloc((size_t)count, sizeof *widgets);
    if (!widgets)
        return VQ_FAIL;
    for (int i = 0; i < count; i++)
    {
        pdf_annot* w = vq_widget_checked(d, sigs[i], NULL);
        if (!w || !pdf_annot_obj(ctx, w) || !vq_sig_is_signature_field(ctx, pdf_annot_obj(ctx, w)))
        {
            free(widgets);
            return VQ_BATCH_SIGN_DATA_ERROR;
        }
        widgets[i] = w;
    }

    int ret = 0;
    pdf_pkcs7_signer* signer = pdf_new_client_v3signer(ctx, callback, cert, &ret);
    if (!signer)
    {
        free(widgets);
        return ret;
    }
    /* The document outlives every library document that holds this signer. */
    ((batch_signer*)signer)->failure = &d->sign_failure;
    ((batch_signer*)signer)->read_errors = &d->read_errors;

    int code = VQ_OK;
    fz_try(ctx)
    {
        int objnum = pdf_create_object(ctx, pdf);
        for (int i = 0; i < count; i++)
            attach_value(ctx, pdf, widgets[i], objnum);
        pdf_obj* last = pdf_annot_obj(ctx, widgets[count - 1]);
        if (islock == 1)
            vq_sig_lock_field(ctx, pdf, last);
        vq_sig_write_value(ctx, pdf, last, objnum, (vq_pkcs7_signer*)signer, customTag);
    }
    fz_catch(ctx)
    {
        /* Take the fields back to unarmed. */
        for (volatile int i = 0; i < count; i++)
        {
            fz_try(ctx)
            {
                pdf_obj* field = pdf_annot_obj(ctx, widgets[i]);
                pdf_xref_remove_unsaved_signature(ctx, pdf, field);
                pdf_dict_del(ctx, field, PDF_NAME(V));
            }
            fz_catch(ctx)
                fz_warn(ctx, "cannot disarm a signature field");
        }
        code = VQ_SET_SIGNATURE_VALUE_ERROR;
    }
    /* The document's record holds its own reference now. */
    pdf_drop_signer(ctx, signer);
    free(widgets);
    return code;
}

VQ_API int vq_signature_set_value_callback_v3(vq_document* doc, vq_signature* sign, vq_sign_callbackfun callback,
                                              const char* base64cert, const char* customTag)
{
    if (!doc)
        return VQ_FAIL;
    vq_doc_lock(doc);
    int code;
    if (!base64cert || !*base64cert)
        code = VQ_CERT_ISNULL;
    else if (!sign)
        code = VQ_SIGNATURE_IS_NULL;
    else
        code = arm_locked(doc, &sign, 1, callback, base64cert, customTag, 0);
    if (code == VQ_BATCH_SIGN_DATA_ERROR)
        code = VQ_SIGNATURE_IS_NULL;
    vq_doc_unlock(doc);
    return code;
}

VQ_API int vq_batch_signature_set_value_callback_v3(vq_document* doc, vq_signature** signatures, int count,
                                                    vq_sign_callbackfun callback, const char* cert,
                                                    const char* customTag, int islock)
{
    if (!doc)
        return VQ_FAIL;
    vq_doc_lock(doc);
    int code = arm_locked(doc, signatures, count, callback, cert, customTag, islock);
    vq_doc_unlock(doc);
    return code;
}
