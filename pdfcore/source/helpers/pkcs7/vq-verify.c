/*
 * Signature verifier: checks one signature field of an open document and reports the result as
 * a JSON text {"vcode": …, "result": {…}}.
 *
 * Kinds (by /SubFilter): 0 detached RSA PKCS#7 (OpenSSL), 1 and 2 the older fixed-layout SM2
 * records, 3 our SM2 PKCS#7, 4 its variant signed over the MD5 text, 5 GB/T 38540 seal
 * signatures. Time stamps are not checked here: the MD5 of the signed bytes and the stored
 * time-stamp text go to the application's verify callback, whose XML answer is read.
 *
 * Everything read from the document is copied out first (under the library's error handling);
 * the checks then work on plain memory, so an error of the library cannot leak anything.
 */
#include "vq-verify.h"

#include "certparse.h"
#include "sigstruct.h"
#include "sm2verify.h"
#include "sm3.h"

#include <cjson/cJSON.h>
#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/pkcs7.h>
#include <openssl/x509.h>

#include <limits.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

/* The fixed-layout records of older signatures. */
_Static_assert(sizeof(SM2SIGN_DATA_VALUE) == 6204, "version-1 record layout");
_Static_assert(sizeof(SM2SIGN_DATA_VALUE_V2) == 3244, "version-2 record layout");

enum { RESULT_NONE = 0, RESULT_EMPTY = 1, RESULT_FULL = 2 };

typedef struct verify_state
{
    struct document* d;
    vq_verify_callbackfun callback;

    /* Copied out of the document. */
    int kind;
    unsigned char* ct;         /* /V/Contents bytes */
    size_t ctlen;
    int64_t range[4];          /* the signed bytes D: two ranges of the file */
    size_t datalen;            /* their length */
    int range_ok;              /* /ByteRange passed its checks */
    vq_reader file;            /* reads the file's bytes around the value dictionary */

    /* Digests of D, computed together in one pass over the file when first needed. */
    int digests;               /* DIGEST_* computed */
    int digests_failed;        /* D could not be read */
    char md5hex[33];
    unsigned char md5raw[16];
    unsigned char e[32];       /* SM3(Z || D) for the signer's key */
    unsigned char sm3[32];     /* SM3(D) */
    int64_t end;               /* end of the signed range */
    int64_t sign_date;         /* /V/M in seconds, 0 when missing */
    char* vqc;                 /* /V/VqC (older kinds) */
    char* vqsru;               /* /V/VqSru */
    char* vqsrt;               /* /V/VqSrt */
    char* addinfo;             /* the widget's /Addinfo */

    int appended;              /* -1 not computed yet, else the appended-objects result */
    int crypto_only;           /* only whether the value itself holds: no time stamp, no chain,
                                  nothing appended */

    /* The signer certificate (DER) and the further certificates the signature carries, for
       the chain check; when the certificate had to be valid (0: the signing date /M). */
    unsigned char* leaf;
    int leaflen;
    vq_bytes* others;
    int nothers;
    int64_t chain_time;

    /* Result. */
    int vcode;
    int result;                /* RESULT_* */
    int has_tsa;               /* tsaret/tsatime keys present */
    int tsaret;
    char* tsatime;
    char* tsacert;
    int docret;
    char* signtime;
    char* certsn;
    char* signer;
    char* cert;
    char* recordunitname;
    char* recordtime;
    char* issuser;
    char* theme;
    char* issuerplus;
    int want_addinfo;
    int want_records;
    int has_chain;
    int chainret;              /* VQ_CHAIN_* bits */

    unsigned char pubkey[65];  /* the signer's key, uncompressed point */
} verify_state;

/* ---- small helpers ---------------------------------------------------------------------- */

static char* dup_text(const char* s)
{
    if (!s)
        return NULL;
    size_t n = strlen(s);
    char* out = malloc(n + 1);
    if (out)
        memcpy(out, s, n + 1);
    return out;
}

static char* dup_bytes_text(const unsigned char* s, size_t n)
{
    char* out = malloc(n + 1);
    if (!out)
        return NULL;
    if (n)
        memcpy(out, s, n);
    out[n] = 0;
    return out;
}

static char* base64_text(const unsigned char* data, size_t len)
{
    if (len > (size_t)INT_MAX / 2)
        return NULL;
    char* out = malloc(4 * ((len + 2) / 3) + 1);
    if (!out)
        return NULL;
    EVP_EncodeBlock((unsigned char*)out, data, (int)len);
    return out;
}

/* Seconds since 1970 as the local time "Y-MM-DD hh:mm:ss". */
static char* vq_verify_time_text(int64_t seconds)
{
    time_t t = (time_t)seconds;
    struct tm tm;
    char buf[64];
    if (!localtime_r(&t, &tm))
        return dup_text("");
    snprintf(buf, sizeof buf, "%d-%02d-%02d %02d:%02d:%02d", tm.tm_year + 1900, tm.tm_mon + 1,
             tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec);
    return dup_text(buf);
}

/* A GeneralizedTime as the time in UTC+8, "YYYY-MM-DD hh:mm:ss", or NULL when the text is no
   time. The instant is moved to UTC+8 once: the seconds since 1970 plus eight hours, broken
   down as UTC, whatever the machine's own zone. */
static char* vq_verify_gt_text_utc8(const unsigned char* text, int len)
{
    long long seconds = 0;
    if (vq_generalized_time_to_seconds(text, len, &seconds) != 0)
        return NULL;
    time_t t = (time_t)(seconds + 8 * 3600);
    struct tm tm;
    char buf[64];
    if (!gmtime_r(&t, &tm))
        return NULL;
    snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", tm.tm_year + 1900, tm.tm_mon + 1,
             tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec);
    return dup_text(buf);
}

/* ---- reading the signature out of the document --------------------------------------- */

static int kind_of_subfilter(const char* name)
{
    if (!name || !*name)
        return Detached_Null;
    if (!strcmp(name, "adbe.pkcs7.detached"))
        return RSA_Detached;
    if (!strcmp(name, "vqsign.pkcs7.sm3.1"))
        return SM2_V1;
    if (!strcmp(name, "vqsign.pkcs7.sm3.2"))
        return SM2_V2;
    if (!strcmp(name, "vqsign.pkcs7.sm3.3"))
        return SM2_V3;
    if (!strcmp(name, "vqsign.pkcs7.sm3.4"))
        return SM2_V4;
    if (!strcmp(name, "vqsign.gb2018.sm3") || !strcmp(name, "GM.eSeal") || !strcmp(name, "adbe.asn1.sm3"))
        return SM2_V5;
    return Not_Supported;
}

static int is_hex(unsigned char c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

static int hex_value(unsigned char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return c - 'A' + 10;
}

static int is_pdf_white(unsigned char c)
{
    return c == 0 || c == '\t' || c == '\n' || c == '\f' || c == '\r' || c == ' ';
}

/* The bytes [a, b) of the file must be exactly the hexadecimal string of the signature value:
   "<", two hexadecimal digits for every byte of the value, ">", right after the key /Contents,
   inside the signature dictionary's object. Anything else in the gap would be bytes that the
   signature does not cover. */
static int gap_is_contents(vq_reader* file, int64_t a, int64_t b, const unsigned char* ct, size_t ctlen,
                           int64_t object_ofs)
{
    if (b - a < 2 || (uint64_t)(b - a - 2) != 2 * (uint64_t)ctlen)
        return 0;
    if (vq_reader_byte(file, a) != '<' || vq_reader_byte(file, b - 1) != '>')
        return 0;
    for (size_t i = 0; i < ctlen; i++)
    {
        int h = vq_reader_byte(file, a + 1 + 2 * (int64_t)i), l = vq_reader_byte(file, a + 2 + 2 * (int64_t)i);
        if (h < 0 || l < 0 || !is_hex((unsigned char)h) || !is_hex((unsigned char)l))
            return 0;
        if ((unsigned char)(hex_value((unsigned char)h) << 4 | hex_value((unsigned char)l)) != ct[i])
            return 0;
    }
    int64_t p = a;
    while (p > 0 && vq_reader_byte(file, p - 1) >= 0 && is_pdf_white((unsigned char)vq_reader_byte(file, p - 1)))
        p--;
    if (p < 9 || !vq_reader_equals(file, p - 9, "/Contents", 9))
        return 0;
    return object_ofs >= 0 && object_ofs < p - 9 && !file->failed;
}

/* ---- the value dictionary as written in the file ---------------------------------------- */

/* The PDF library reads integers into 32 bits, so a /ByteRange entry beyond that range reads
   wrapped (4294967970 as 674). The numbers and the place of the /Contents string are therefore
   read again from the dictionary's own text with a tokenizer of our own. */

enum
{
    TK_END,
    TK_ERROR,
    TK_INT,
    TK_REAL,
    TK_NAME,
    TK_STRING,
    TK_HEX,
    TK_OPEN_ARRAY,
    TK_CLOSE_ARRAY,
    TK_OPEN_DICT,
    TK_CLOSE_DICT,
    TK_KEYWORD
};

typedef struct raw_lexer
{
    vq_reader* r;
    int64_t len;
    int64_t at;
} raw_lexer;

/* The byte at i of the file (0xff where it cannot be read: no token the checks accept). */
#define LXB(lx, i) ((unsigned char)vq_reader_byte((lx)->r, (i)))

typedef struct raw_token
{
    int type;
    int64_t start, end; /* [start, end) in the file */
    int64_t value;      /* TK_INT: the number */
    int plain;          /* TK_INT: digits only, no sign, within 64 bits */
} raw_token;

static int is_pdf_delim(unsigned char c)
{
    return c == '(' || c == ')' || c == '<' || c == '>' || c == '[' || c == ']' || c == '{' || c == '}' ||
           c == '/' || c == '%';
}

static void raw_skip_white(raw_lexer* lx)
{
    while (lx->at < lx->len)
    {
        unsigned char c = LXB(lx, lx->at);
        if (is_pdf_white(c))
            lx->at++;
        else if (c == '%')
        {
            while (lx->at < lx->len && LXB(lx, lx->at) != '\r' && LXB(lx, lx->at) != '\n')
                lx->at++;
        }
        else
            break;
    }
}

static raw_token raw_next(raw_lexer* lx)
{
    raw_token t;
    memset(&t, 0, sizeof t);
    raw_skip_white(lx);
    t.start = lx->at;
    if (lx->at >= lx->len)
    {
        t.type = TK_END;
        t.end = lx->at;
        return t;
    }
    unsigned char c = LXB(lx, lx->at);
    if (c == '[' || c == ']')
    {
        t.type = c == '[' ? TK_OPEN_ARRAY : TK_CLOSE_ARRAY;
        lx->at++;
    }
    else if (c == '<' && lx->at + 1 < lx->len && LXB(lx, lx->at + 1) == '<')
    {
        t.type = TK_OPEN_DICT;
        lx->at += 2;
    }
    else if (c == '>' && lx->at + 1 < lx->len && LXB(lx, lx->at + 1) == '>')
    {
        t.type = TK_CLOSE_DICT;
        lx->at += 2;
    }
    else if (c == '<')
    {
        t.type = TK_HEX;
        while (++lx->at < lx->len && LXB(lx, lx->at) != '>')
            ;
        if (lx->at >= lx->len)
            t.type = TK_ERROR;
        else
            lx->at++;
    }
    else if (c == '(')
    {
        int depth = 0;
        t.type = TK_ERROR;
        for (; lx->at < lx->len; lx->at++)
        {
            unsigned char k = LXB(lx, lx->at);
            if (k == '\\')
                lx->at++;
            else if (k == '(')
                depth++;
            else if (k == ')' && --depth == 0)
            {
                lx->at++;
                t.type = TK_STRING;
                break;
            }
        }
    }
    else if (c == '/')
    {
        t.type = TK_NAME;
        lx->at++;
        while (lx->at < lx->len && !is_pdf_white(LXB(lx, lx->at)) && !is_pdf_delim(LXB(lx, lx->at)))
            lx->at++;
    }
    else if (is_pdf_delim(c))
    {
        t.type = TK_ERROR;
        lx->at++;
    }
    else
    {
        while (lx->at < lx->len && !is_pdf_white(LXB(lx, lx->at)) && !is_pdf_delim(LXB(lx, lx->at)))
            lx->at++;
        /* A number: an optional sign, digits, at most one point. */
        int64_t i = t.start, digits = 0, points = 0, sign = 0;
        if (LXB(lx, i) == '+' || LXB(lx, i) == '-')
        {
            sign = 1;
            i++;
        }
        int overflow = 0;
        int64_t v = 0;
        for (; i < lx->at; i++)
        {
            if (LXB(lx, i) >= '0' && LXB(lx, i) <= '9')
            {
                digits++;
                if (v > (INT64_MAX - (LXB(lx, i) - '0')) / 10)
                    overflow = 1;
                else
                    v = v * 10 + (LXB(lx, i) - '0');
            }
            else if (LXB(lx, i) == '.')
                points++;
            else
                break;
        }
        if (i == lx->at && digits > 0 && points <= 1)
        {
            t.type = points ? TK_REAL : TK_INT;
            t.value = (sign && LXB(lx, t.start) == '-') ? -v : v;
            t.plain = !sign && !points && !overflow;
        }
        else
            t.type = TK_KEYWORD;
    }
    t.end = lx->at;
    return t;
}

static int hex_digit_value(unsigned char c)
{
    return is_hex(c) ? hex_value(c) : -1;
}

/* The name token (its "#xx" escapes decoded) equals `name`. */
static int raw_name_is(const raw_lexer* lx, const raw_token* t, const char* name)
{
    int64_t i = t->start + 1;
    size_t k = 0, n = strlen(name);
    while (i < t->end)
    {
        int c = LXB(lx, i);
        if (c == '#' && i + 2 < t->end && hex_digit_value(LXB(lx, i + 1)) >= 0 && hex_digit_value(LXB(lx, i + 2)) >= 0)
        {
            c = hex_digit_value(LXB(lx, i + 1)) * 16 + hex_digit_value(LXB(lx, i + 2));
            i += 3;
        }
        else
            i++;
        if (k >= n || (unsigned char)name[k] != (unsigned char)c)
            return 0;
        k++;
    }
    return k == n;
}

/* Skips one value whose first token is t (containers to their end, "n g R" as one value). */
static int raw_skip_value(raw_lexer* lx, raw_token t, int depth)
{
    if (depth > 32)
        return 0;
    switch (t.type)
    {
    case TK_OPEN_ARRAY:
        for (;;)
        {
            raw_token e = raw_next(lx);
            if (e.type == TK_CLOSE_ARRAY)
                return 1;
            if (e.type == TK_END || e.type == TK_ERROR || !raw_skip_value(lx, e, depth + 1))
                return 0;
        }
    case TK_OPEN_DICT:
        for (;;)
        {
            raw_token k = raw_next(lx);
            if (k.type == TK_CLOSE_DICT)
                return 1;
            if (k.type != TK_NAME)
                return 0;
            if (!raw_skip_value(lx, raw_next(lx), depth + 1))
                return 0;
        }
    case TK_INT:
    {
        /* An indirect reference "n g R" is one value. */
        raw_lexer save = *lx;
        raw_token g = raw_next(lx);
        raw_token r = raw_next(lx);
        if (!(g.type == TK_INT && r.type == TK_KEYWORD && r.end - r.start == 1 && LXB(lx, r.start) == 'R'))
            *lx = save;
        return 1;
    }
    case TK_REAL:
    case TK_NAME:
    case TK_STRING:
    case TK_HEX:
    case TK_KEYWORD:
        return 1;
    default:
        return 0;
    }
}

typedef struct raw_value
{
    int64_t range[4];
    int64_t contents_a, contents_b; /* the /Contents string, [a, b) */
} raw_value;

/* Reads the value dictionary written at `ofs` ("n g obj << … >>"): its one /ByteRange of four
   plain integers and its one /Contents string. 0, or -1 when the text is not that. */
static int read_raw_value(vq_reader* file, int64_t ofs, raw_value* out)
{
    raw_lexer lx = {file, file->len, ofs};
    raw_token a = raw_next(&lx), b = raw_next(&lx), obj = raw_next(&lx), open = raw_next(&lx);
    if (a.type != TK_INT || b.type != TK_INT || obj.type != TK_KEYWORD || obj.end - obj.start != 3 ||
        !vq_reader_equals(file, obj.start, "obj", 3) || open.type != TK_OPEN_DICT)
        return -1;
    int ranges = 0, contents = 0;
    for (;;)
    {
        raw_token k = raw_next(&lx);
        if (k.type == TK_CLOSE_DICT)
            break;
        if (k.type != TK_NAME)
            return -1;
        if (raw_name_is(&lx, &k, "ByteRange"))
        {
            if (ranges++ || raw_next(&lx).type != TK_OPEN_ARRAY)
                return -1;
            for (int i = 0; i < 4; i++)
            {
                raw_token n = raw_next(&lx);
                if (n.type != TK_INT || !n.plain)
                    return -1;
                out->range[i] = n.value;
            }
            if (raw_next(&lx).type != TK_CLOSE_ARRAY)
                return -1;
        }
        else if (raw_name_is(&lx, &k, "Contents"))
        {
            raw_token v = raw_next(&lx);
            if (contents++ || (v.type != TK_HEX && v.type != TK_STRING))
                return -1;
            out->contents_a = v.start;
            out->contents_b = v.end;
        }
        else if (!raw_skip_value(&lx, raw_next(&lx), 1))
            return -1;
    }
    return ranges == 1 && contents == 1 ? 0 : -1;
}

/* Checks /ByteRange and takes the signed ranges: exactly two ranges, the first at 0, ascending,
   inside the file, and the gap between them exactly the /Contents string of the value
   dictionary. The numbers are taken from the dictionary's text, as 64-bit values, and must be
   the ones the PDF library read. */
static void read_signed_bytes(fz_context* ctx, pdf_document* pdf, verify_state* st, pdf_obj* v, pdf_obj* vref)
{
    vq_reader* file = &st->file;
    vq_reader_init(file, st->d, vq_src_len(st->d));
    const int64_t filelen = file->len;
    pdf_obj* br = pdf_dict_get(ctx, v, PDF_NAME(ByteRange));

    st->range_ok = 0;
    st->end = 0;
    if (!pdf_is_array(ctx, br) || pdf_array_len(ctx, br) != 4)
        return;

    /* Where the signature dictionary lives in the file: a value kept inside an object stream
       has no text of its own to check the gap against. */
    int64_t object_ofs = -1;
    if (pdf_is_indirect(ctx, vref))
    {
        int num = pdf_to_num(ctx, vref);
        if (num > 0 && num < pdf_xref_len(ctx, pdf))
        {
            pdf_xref_entry* e = pdf_get_xref_entry_no_null(ctx, pdf, num);
            if (e->type == 'n' && e->ofs >= 0 && e->ofs < filelen)
                object_ofs = e->ofs;
        }
    }
    raw_value raw;
    memset(&raw, 0, sizeof raw);
    if (object_ofs < 0 || read_raw_value(file, object_ofs, &raw) != 0 || file->failed)
        return;

    int64_t* r = raw.range;
    for (int i = 0; i < 4; i++)
    {
        pdf_obj* o = pdf_array_get(ctx, br, i);
        if (!pdf_is_int(ctx, o) || pdf_to_int64(ctx, o) != r[i] || r[i] < 0 || r[i] > filelen)
            return;
    }
    if (r[0] != 0 || r[1] > filelen - r[0] || r[2] < r[0] + r[1] || r[3] > filelen - r[2])
        return;
    if (r[1] != raw.contents_a || r[2] != raw.contents_b)
        return;
    st->end = r[2] + r[3];

    if (!gap_is_contents(file, r[1], r[2], st->ct, st->ctlen, object_ofs))
        return;

    /* The signed bytes stay in the file: they are read and hashed in blocks when a check
       needs their digests. */
    memcpy(st->range, r, sizeof st->range);
    st->datalen = (size_t)r[1] + (size_t)r[3];
    st->range_ok = 1;
}

static char* text_of(fz_context* ctx, pdf_obj* o)
{
    if (!pdf_is_string(ctx, o))
        return NULL;
    return dup_text(pdf_to_text_string(ctx, o));
}

/* Reads the signature value `vref` (kind, contents, byte range, signing date, older keys).
   Returns 0, or a vcode that ends the verification (no result). */
static int read_value(fz_context* ctx, pdf_document* pdf, pdf_obj* vref, verify_state* st)
{
    pdf_obj* v = pdf_resolve_indirect_chain(ctx, vref);
    if (!pdf_is_dict(ctx, v))
        return VQ_SIGNATURE_NOSIGNED;

    pdf_obj* sf = pdf_dict_get(ctx, v, PDF_NAME(SubFilter));
    st->kind = pdf_is_name(ctx, sf) ? kind_of_subfilter(pdf_to_name(ctx, sf)) : Detached_Null;
    if (st->kind == Detached_Null || st->kind == Not_Supported)
        return VQ_SIGNATURE_ISNOT_SUPPORT;

    pdf_obj* contents = pdf_dict_get(ctx, v, PDF_NAME(Contents));
    size_t ctlen = pdf_is_string(ctx, contents) ? pdf_to_str_len(ctx, contents) : 0;
    if (ctlen == 0)
        return VQ_SIGNATURE_IS_NULL;
    st->ct = malloc(ctlen);
    if (!st->ct)
        fz_throw(ctx, FZ_ERROR_MEMORY, "out of memory");
    memcpy(st->ct, pdf_to_str_buf(ctx, contents), ctlen);
    st->ctlen = ctlen;

    read_signed_bytes(ctx, pdf, st, v, vref);

    pdf_obj* m = pdf_dict_get(ctx, v, PDF_NAME(M));
    st->sign_date = pdf_is_string(ctx, m) ? pdf_to_date(ctx, m) : 0;
    if (st->sign_date < 0)
        st->sign_date = 0;
    st->vqc = text_of(ctx, pdf_dict_gets(ctx, v, "VqC"));
    st->vqsru = text_of(ctx, pdf_dict_gets(ctx, v, "VqSru"));
    st->vqsrt = text_of(ctx, pdf_dict_gets(ctx, v, "VqSrt"));
    return 0;
}

/* Reads what the checks need. Returns 0, or a vcode that ends the verification (no result). */
static int read_signature(fz_context* ctx, pdf_document* pdf, pdf_annot* widget, verify_state* st)
{
    pdf_obj* field = pdf_annot_obj(ctx, widget);
    if (!pdf_name_eq(ctx, pdf_dict_get_inheritable(ctx, field, PDF_NAME(FT)), PDF_NAME(Sig)))
        return VQ_SIGNATURE_NOSIGNED;
    int code = read_value(ctx, pdf, pdf_dict_get_inheritable(ctx, field, PDF_NAME(V)), st);
    if (code)
        return code;
    st->addinfo = text_of(ctx, pdf_dict_gets(ctx, field, "Addinfo"));
    return 0;
}

/* ---- checks ----------------------------------------------------------------------------- */

/* Reads one DER length; 0 or -1. */
static int der_length(const unsigned char* p, size_t n, size_t* at, size_t* len)
{
    if (*at >= n)
        return -1;
    unsigned char b = p[(*at)++];
    if (b < 0x80)
    {
        *len = b;
        return 0;
    }
    int k = b & 0x7f;
    if (k == 0 || k > 4 || *at + (size_t)k > n)
        return -1;
    size_t v = 0;
    for (int i = 0; i < k; i++)
        v = (v << 8) | p[(*at)++];
    *len = v;
    return 0;
}

/* The SM2 signature value SEQUENCE { r INTEGER, s INTEGER } holds two non-negative numbers of at
   most 32 bytes. Longer integers would otherwise be cut to their last 32 bytes, which makes an
   out-of-range value (and so a second encoding of one signature) pass as valid. */
static int rs_in_range(const unsigned char* der, int len)
{
    size_t n = len > 0 ? (size_t)len : 0, at = 0, seqlen = 0;
    if (!der || n < 2 || der[at++] != 0x30 || der_length(der, n, &at, &seqlen) != 0 || seqlen > n - at)
        return 0;
    for (int i = 0; i < 2; i++)
    {
        size_t ilen = 0;
        if (at >= n || der[at++] != 0x02 || der_length(der, n, &at, &ilen) != 0 || ilen == 0 || ilen > n - at)
            return 0;
        const unsigned char* v = der + at;
        if (v[0] & 0x80)
            return 0; /* negative */
        size_t skip = 0;
        while (skip < ilen && v[skip] == 0)
            skip++;
        if (ilen - skip > 32)
            return 0;
        at += ilen;
    }
    return 1;
}

static int appended_ok(verify_state* st)
{
    if (st->crypto_only)
        return 1;
    if (st->appended < 0)
        st->appended = st->range_ok ? vq_appended_is_signature(st->d, st->end) : 0;
    return st->appended;
}

/* 0 when the SM2 signature r || s over SM3(Z || msg) verifies with the signer's key and the
   appended-objects check passes; else 1. */
/* ---- digests of the signed bytes ----------------------------------------------------------- */

enum
{
    DIGEST_MD5 = 1, /* MD5(D), raw and as lower-case hexadecimal text */
    DIGEST_E = 2,   /* SM3(Z || D) for the signer's key (read first) */
    DIGEST_SM3 = 4  /* SM3(D) */
};

typedef struct digest_pass
{
    EVP_MD_CTX* md5;
    sm3_hash_state* e;
    sm3_hash_state* plain;
    int failed;
} digest_pass;

/* SM3 digests, on the reading thread. */
static void digest_sm3_block(void* arg, const unsigned char* data, size_t n)
{
    digest_pass* p = (digest_pass*)arg;
    if (p->e)
        sm3_update1(p->e, data, (int)n);
    if (p->plain)
        sm3_update1(p->plain, data, (int)n);
}

/* MD5, beside it. */
static void digest_md5_block(void* arg, const unsigned char* data, size_t n)
{
    digest_pass* p = (digest_pass*)arg;
    if (p->md5 && !EVP_DigestUpdate(p->md5, data, n))
        p->failed = 1;
}

/* Computes the digests of D that `want` names and that are not known yet, together in one pass
   over the file: the signed bytes are read in blocks, never held whole. 0, or -1 when D is not
   sound or cannot be read. */
static int signed_digests(verify_state* st, int want)
{
    want &= ~st->digests;
    if (!st->range_ok || st->digests_failed)
        return -1;
    if (!want)
        return 0;
    static const char hex[] = "0123456789abcdef";
    sm3_hash_state e, plain;
    digest_pass pass = {NULL, NULL, NULL, 0};
    if (want & DIGEST_MD5)
    {
        pass.md5 = EVP_MD_CTX_new();
        if (!pass.md5 || !EVP_DigestInit_ex(pass.md5, EVP_md5(), NULL))
            pass.failed = 1;
    }
    if (want & DIGEST_E)
    {
        unsigned char z[32];
        if (sm2_compute_z(st->pubkey, 65, z) != 0)
            pass.failed = 1;
        sm3_starts(&e);
        sm3_update1(&e, z, 32);
        pass.e = &e;
    }
    if (want & DIGEST_SM3)
    {
        sm3_starts(&plain);
        pass.plain = &plain;
    }
    if (!pass.failed && vq_src_hash_ranges(st->d, st->range, digest_sm3_block, &pass,
                                            pass.md5 ? digest_md5_block : NULL, &pass) != 0)
        pass.failed = 1;
    unsigned char md[EVP_MAX_MD_SIZE];
    unsigned int mdlen = 0;
    if (!pass.failed && pass.md5 && (!EVP_DigestFinal_ex(pass.md5, md, &mdlen) || mdlen != 16))
        pass.failed = 1;
    EVP_MD_CTX_free(pass.md5);
    ERR_clear_error();
    if (pass.failed)
    {
        st->digests_failed = 1;
        return -1;
    }
    if (want & DIGEST_MD5)
    {
        memcpy(st->md5raw, md, 16);
        for (int i = 0; i < 16; i++)
        {
            st->md5hex[2 * i] = hex[md[i] >> 4];
            st->md5hex[2 * i + 1] = hex[md[i] & 15];
        }
        st->md5hex[32] = 0;
    }
    if (want & DIGEST_E)
        sm3_finish(&e, st->e);
    if (want & DIGEST_SM3)
        sm3_finish(&plain, st->sm3);
    st->digests |= want;
    return 0;
}

/* 0 when the SM2 signature r || s over SM3(Z || D) verifies with the signer's key and the
   appended-objects check passes; else 1. */
static int document_verify(verify_state* st, const unsigned char rs[64])
{
    if (signed_digests(st, DIGEST_E) != 0)
        return 1;
    if (pkcs7_verifysm2(st->e, 32, st->pubkey, 65, rs) != 0)
        return 1;
    return appended_ok(st) ? 0 : 1;
}

/* The same over a short message of its own (the MD5 text of kind 4) instead of D. */
static int document_verify_msg(verify_state* st, const unsigned char* msg, size_t len, const unsigned char rs[64])
{
    unsigned char e[32];
    unsigned int elen = 0;
    if (!st->range_ok || len > UINT_MAX)
        return 1;
    if (pkcs7_sm3(msg, (unsigned int)len, st->pubkey, 65, e, &elen) != 0 || elen != 32)
        return 1;
    if (pkcs7_verifysm2(e, 32, st->pubkey, 65, rs) != 0)
        return 1;
    return appended_ok(st) ? 0 : 1;
}

/* Whether r || s verifies over the digest e with the signer's key. */
static int sm2_over_e(verify_state* st, const unsigned char e[32], const unsigned char rs[64])
{
    return pkcs7_verifysm2(e, 32, st->pubkey, 65, rs) == 0;
}

static int sm2_over(verify_state* st, const unsigned char* msg, size_t len, const unsigned char rs[64])
{
    unsigned char e[32];
    unsigned int elen = 0;
    if (len > UINT_MAX || pkcs7_sm3(msg, (unsigned int)len, st->pubkey, 65, e, &elen) != 0 || elen != 32)
        return 0;
    return sm2_over_e(st, e, rs);
}

/* The first text below an element, depth first. */
static const char* first_text(fz_xml* node)
{
    for (fz_xml* c = fz_xml_down(node); c; c = fz_xml_next(c))
    {
        const char* t = fz_xml_text(c);
        if (t)
            return t;
        t = first_text(c);
        if (t)
            return t;
    }
    return NULL;
}

/* Hands the MD5 of the signed bytes and the time-stamp text to the callback and reads its
   answer. The callback learns the room it has in *len and must set *len to what it wrote; an
   answer it reports as longer than that room is not read and counts as a failed check. */
static void timestamp_verify(verify_state* st, const unsigned char* ts, size_t tslen)
{
    fz_context* ctx = st->d->ctx;
    if (st->crypto_only)
        return;
    st->has_tsa = 1;
    free(st->tsatime);
    free(st->tsacert);
    st->tsatime = st->tsacert = NULL;

    if (!st->range_ok || (st->callback && signed_digests(st, DIGEST_MD5) != 0))
    {
        /* Without sound signed bytes there is nothing the time stamp could be checked against. */
        st->tsaret = 1;
        return;
    }
    if (!st->callback)
    {
        st->tsaret = VQ_HTTP_REQUEST_DATA_IS_NULL;
        return;
    }

    char md5[33];
    memcpy(md5, st->md5hex, sizeof md5);
    char* text = dup_bytes_text(ts, tslen);
    char* answer = calloc(1, VQ_TSA_ANSWER_CAPACITY + 1);
    if (!text || !answer)
    {
        free(text);
        free(answer);
        st->tsaret = VQ_HTTP_REQUEST_DATA_IS_NULL;
        return;
    }
    int outlen = VQ_TSA_ANSWER_CAPACITY;
    int ret = st->callback(md5, text, answer, &outlen);
    free(text);
    if (outlen < 0 || outlen > VQ_TSA_ANSWER_CAPACITY)
    {
        outlen = 0;
        if (ret == 0)
            ret = VQ_HTTP_REQUEST_DATA_IS_ERROR;
    }
    st->tsaret = ret;

    if (outlen > 0)
    {
        fz_buffer* buf = NULL;
        fz_xml* xml = NULL;
        fz_var(buf);
        fz_var(xml);
        fz_try(ctx)
        {
            buf = fz_new_buffer_from_copied_data(ctx, (unsigned char*)answer, (size_t)outlen);
            xml = fz_parse_xml(ctx, buf, 0);
            fz_xml* root = fz_xml_root(xml);
            for (fz_xml* c = root ? fz_xml_down(root) : NULL; c; c = fz_xml_next(c))
            {
                if (!st->tsatime && fz_xml_is_tag(c, "timestamp"))
                {
                    const char* t = first_text(c);
                    if (t)
                        st->tsatime = dup_text(t);
                }
                else if (!st->tsacert && fz_xml_is_tag(c, "signer"))
                {
                    const char* t = first_text(c);
                    if (t)
                        st->tsacert = dup_text(t);
                }
            }
        }
        fz_always(ctx)
        {
            fz_drop_xml(ctx, xml);
            fz_drop_buffer(ctx, buf);
        }
        fz_catch(ctx)
        {
            /* An answer that is no XML carries no time; the callback's verdict stands. */
        }
    }
    free(answer);
}

/* Reads serial, key and names of a certificate. 0 or VQ_SIGNATURE_GETCERT_ERROR. */
static int read_certificate(verify_state* st, const unsigned char* bytes, int len, int base64)
{
    pkcs7_cert* cert = pkcs7_openssl_prase_sm2cert(bytes, len, base64);
    if (!cert)
        return VQ_SIGNATURE_GETCERT_ERROR;
    int keylen = 65;
    int code = 0;
    if (pkcs7_openssl_prase_getsn_fn(cert, &st->certsn) != 0 ||
        pkcs7_openssl_prase_public_key(cert, st->pubkey, &keylen) != 0)
        code = VQ_SIGNATURE_GETCERT_ERROR;
    if (!code)
    {
        pkcs7_openssl_prase_signer_name(cert, &st->signer);
        pkcs7_openssl_parse_issuer(cert, &st->issuser);
        pkcs7_openssl_prase_theme(cert, &st->theme);
        pkcs7_openssl_parse_issuers(cert, &st->issuerplus);
        free(st->leaf);
        st->leaf = conver_x509toder(pkcs7_openssl_get_x509(cert), &st->leaflen);
    }
    pkcs7_openssl_prase_drop(cert);
    return code;
}

static void set_signtime_from_m(verify_state* st)
{
    free(st->signtime);
    st->signtime = st->sign_date > 0 ? vq_verify_time_text(st->sign_date) : dup_text("");
}

/* The signer information names the algorithms its value is checked with: a digest the library
   knows, and a signature algorithm of the certificate key's kind which, when it names a digest
   as well, names that same digest. */
static int signer_algorithms_match(PKCS7_SIGNER_INFO* si, X509* x)
{
    const ASN1_OBJECT* dobj = NULL;
    const ASN1_OBJECT* sobj = NULL;
    X509_ALGOR_get0(&dobj, NULL, NULL, si->digest_alg);
    X509_ALGOR_get0(&sobj, NULL, NULL, si->digest_enc_alg);
    const int md = OBJ_obj2nid(dobj), sig = OBJ_obj2nid(sobj);
    EVP_PKEY* key = X509_get0_pubkey(x);
    if (md == NID_undef || !EVP_get_digestbynid(md) || sig == NID_undef || !key)
        return 0;
    const int keyid = EVP_PKEY_get_base_id(key);
    int sig_md = NID_undef, sig_pk = NID_undef;
    if (OBJ_find_sigid_algs(sig, &sig_md, &sig_pk))
        return sig_md == md && sig_pk == keyid;
    return sig == keyid; /* the key's algorithm alone, e.g. rsaEncryption */
}

/* Keeps a copy of certificates the signature carries, for building the signer's chain. */
static void keep_other_certificate(verify_state* st, const unsigned char* der, int len)
{
    if (!der || len <= 0)
        return;
    vq_bytes* grown = realloc(st->others, sizeof *grown * (size_t)(st->nothers + 1));
    if (!grown)
        return;
    st->others = grown;
    unsigned char* copy = malloc((size_t)len);
    if (!copy)
        return;
    memcpy(copy, der, (size_t)len);
    st->others[st->nothers].data = copy;
    st->others[st->nothers].len = len;
    st->nothers++;
}

/* Feeds one block of the signed bytes through the digest filters of a PKCS#7 check. */
typedef struct rsa_feed
{
    BIO* in;    /* the memory source below the filters */
    BIO* chain; /* the filters */
    int failed;
} rsa_feed;

static void rsa_feed_block(void* arg, const unsigned char* data, size_t n)
{
    rsa_feed* f = (rsa_feed*)arg;
    unsigned char buf[16384];
    while (!f->failed && n > 0)
    {
        int part = n > (size_t)INT_MAX ? INT_MAX : (int)n;
        int w = BIO_write(f->in, data, part);
        if (w <= 0)
        {
            f->failed = 1;
            break;
        }
        data += w;
        n -= (size_t)w;
        while (BIO_read(f->chain, buf, sizeof buf) > 0)
            ;
    }
}

/* Detached RSA PKCS#7, checked with OpenSSL over the signed bytes. */
static void verify_rsa(verify_state* st)
{
    int ok = 0;
    PKCS7* p7 = NULL;
    BIO* chain = NULL;
    const unsigned char* p = st->ct;

    st->result = RESULT_FULL;
    set_signtime_from_m(st);
    if (st->ctlen > LONG_MAX)
        goto done;
    p7 = d2i_PKCS7(NULL, &p, (long)st->ctlen);
    if (!p7 || !PKCS7_type_is_signed(p7) || !p7->d.sign || !PKCS7_get_detached(p7))
        goto done;
    STACK_OF(PKCS7_SIGNER_INFO)* infos = PKCS7_get_signer_info(p7);
    if (!infos || sk_PKCS7_SIGNER_INFO_num(infos) < 1)
        goto done;

    BIO* in = BIO_new(BIO_s_mem());
    if (!in)
        goto done;
    chain = PKCS7_dataInit(p7, in);
    if (!chain)
    {
        BIO_free(in);
        goto done;
    }
    /* The signed bytes go through the digest filters block by block, as they are read from
       the file. */
    if (st->range_ok)
    {
        rsa_feed feed = {in, chain, 0};
        if (vq_src_hash_ranges(st->d, st->range, rsa_feed_block, &feed, NULL, NULL) != 0 || feed.failed)
            goto done;
    }

    for (int i = 0; i < sk_X509_num(p7->d.sign->cert); i++)
    {
        int derlen = 0;
        unsigned char* der = conver_x509toder(sk_X509_value(p7->d.sign->cert, i), &derlen);
        keep_other_certificate(st, der, derlen);
        free(der);
    }

    ok = 1;
    for (int i = 0; i < sk_PKCS7_SIGNER_INFO_num(infos); i++)
    {
        PKCS7_SIGNER_INFO* si = sk_PKCS7_SIGNER_INFO_value(infos, i);
        X509* x = X509_find_by_issuer_and_serial(p7->d.sign->cert, si->issuer_and_serial->issuer,
                                                 si->issuer_and_serial->serial);
        if (!x)
        {
            ok = 0;
            break;
        }
        if (i == 0)
        {
            int derlen = 0;
            unsigned char* der = conver_x509toder(x, &derlen);
            if (der)
            {
                st->cert = base64_text(der, (size_t)derlen);
                pkcs7_cert* c = pkcs7_openssl_prase_sm2cert(der, derlen, 0);
                if (c)
                {
                    pkcs7_openssl_prase_getsn_fn(c, &st->certsn);
                    pkcs7_openssl_prase_signer_name(c, &st->signer);
                    pkcs7_openssl_parse_issuer(c, &st->issuser);
                    pkcs7_openssl_prase_theme(c, &st->theme);
                    pkcs7_openssl_parse_issuers(c, &st->issuerplus);
                    pkcs7_openssl_prase_drop(c);
                }
                free(st->leaf);
                st->leaf = der;
                st->leaflen = derlen;
            }
        }
        if (!signer_algorithms_match(si, x) || PKCS7_signatureVerify(chain, p7, si, x) <= 0)
        {
            ok = 0;
            break;
        }
    }

done:
    BIO_free_all(chain);
    PKCS7_free(p7);
    ERR_clear_error();
    /* Like every other kind, a detached RSA signature only holds while everything appended
       after it is signature material. */
    st->docret = (ok && st->range_ok && appended_ok(st)) ? 0 : 1;
    st->vcode = st->docret;
}

static int oid_in(const char* oid, const char* const* set)
{
    for (; *set; set++)
        if (!strcmp(oid, *set))
            return 1;
    return 0;
}

/* The digest of the SM2 kinds: SM3 (its standard arcs, and the identifier our signer stores). */
static int is_sm3_oid(const char* oid)
{
    static const char* const sm3[] = {"1.2.156.10197.1.401", "1.2.156.10197.1.401.1", "1.2.156.10197.1.401.2",
                                      "1.2.156.197.1.401.2", NULL};
    return oid_in(oid, sm3);
}

/* The SM2 signature, alone or as SM2 with SM3. */
static int is_sm2_signature_oid(const char* oid)
{
    static const char* const sm2[] = {"1.2.156.10197.1.301", "1.2.156.10197.1.301.1", "1.2.156.10197.1.501", NULL};
    return oid_in(oid, sm2);
}

/* Our SM2 PKCS#7 (kind 3) and its MD5-text variant (kind 4). */
static void verify_p7(verify_state* st)
{
    vq_p7_view view;
    int rc = vq_p7_decode(st->ct, st->ctlen > INT_MAX ? INT_MAX : (int)st->ctlen, &view);
    if (rc == VQ_P7_NOT_PKCS7 || rc == VQ_P7_NO_SIGNER || rc == VQ_P7_BAD_RS)
    {
        vq_p7_view_free(&view);
        st->vcode = VQ_SIGNATURE_P7ERROR;
        st->result = RESULT_EMPTY;
        return;
    }
    if (!view.certificate.data || read_certificate(st, view.certificate.data, view.certificate.len, 0) != 0)
    {
        vq_p7_view_free(&view);
        st->vcode = VQ_SIGNATURE_GETCERT_ERROR;
        st->result = RESULT_EMPTY;
        return;
    }
    st->cert = base64_text(view.certificate.data, (size_t)view.certificate.len);
    st->result = RESULT_FULL;
    for (int i = 1; i < view.certificate_count; i++)
    {
        vq_bytes c = vq_p7_certificate(&view, i);
        keep_other_certificate(st, c.data, c.len);
    }

    unsigned char rs[64];
    memcpy(rs, view.r, 32);
    memcpy(rs + 32, view.s, 32);
    /* A value whose signer information names other algorithms than SM3 and SM2 is not one of
       ours, whatever its numbers verify as. */
    const int rs_ok = rs_in_range(view.encrypted_digest.data, view.encrypted_digest.len) &&
                      is_sm3_oid(view.signer_digest_algorithm) && is_sm2_signature_oid(view.signature_algorithm);
    if (st->kind == SM2_V3)
    {
        st->want_addinfo = 1;
        /* D's digests for the signature and the time stamp, in one pass. */
        if (rs_ok)
            (void)signed_digests(st, DIGEST_E | (view.has_time_stamp && st->callback ? DIGEST_MD5 : 0));
        st->docret = rs_ok ? document_verify(st, rs) : 1;
        if (view.has_time_stamp)
            timestamp_verify(st, view.time_stamp.data, (size_t)view.time_stamp.len);
        else
        {
            st->has_tsa = 1;
            st->tsaret = 0;
            st->tsatime = dup_text("");
        }
        st->vcode = (st->docret || st->tsaret) ? 1 : 0;
    }
    else
    {
        st->docret = rs_ok && signed_digests(st, DIGEST_MD5) == 0
                         ? document_verify_msg(st, (const unsigned char*)st->md5hex, 32, rs)
                         : 1;
        st->vcode = st->docret;
    }
    set_signtime_from_m(st);
    vq_p7_view_free(&view);
}

/* The older fixed-layout records (kinds 1 and 2); the certificate is the /VqC text. */
/* The signature value as a record of size bytes (a value shorter than the record reads as
   zeros beyond its end), to be freed by the caller. Out of memory: NULL, and the signature
   is marked as not verified. */
static void* record_copy(verify_state* st, size_t size)
{
    void* rec = calloc(1, size);
    if (!rec)
    {
        st->vcode = VQ_FAIL;
        st->result = RESULT_NONE;
        return NULL;
    }
    memcpy(rec, st->ct, st->ctlen < size ? st->ctlen : size);
    return rec;
}

static void verify_record(verify_state* st)
{
    if (!st->vqc || read_certificate(st, (const unsigned char*)st->vqc, (int)strlen(st->vqc), 1) != 0)
    {
        st->vcode = VQ_SIGNATURE_GETCERT_ERROR;
        st->result = RESULT_EMPTY;
        return;
    }
    st->cert = dup_text(st->vqc);
    st->result = RESULT_FULL;
    st->want_records = 1;

    if (st->kind == SM2_V2)
    {
        SM2SIGN_DATA_VALUE_V2* rec = record_copy(st, sizeof *rec);
        if (!rec)
            return;
        (void)signed_digests(st, DIGEST_E | (st->callback ? DIGEST_MD5 : 0));
        st->docret = document_verify(st, rec->docRSValue);
        timestamp_verify(st, (const unsigned char*)rec->ret_tsr, strnlen(rec->ret_tsr, sizeof rec->ret_tsr));
        st->recordtime = dup_text(st->vqsrt);
        st->recordunitname = dup_text(st->vqsru);
        free(rec);
    }
    else
    {
        SM2SIGN_DATA_VALUE* rec = record_copy(st, sizeof *rec);
        if (!rec)
            return;
        /* The MD5 in the record proves nothing by itself (anyone can compute one): the record's
           SM2 value must verify with the certificate's key, over the signed bytes, or else over
           the MD5 digest of those bytes (its text or its 16 bytes) when that digest is the
           recorded one. */
        int ok = 0;
        if (st->range_ok && signed_digests(st, DIGEST_E | DIGEST_MD5) == 0)
        {
            if (sm2_over_e(st, st->e, rec->docRSValue))
                ok = 1;
            else if (memcmp(st->md5raw, rec->docMD5, 16) == 0 &&
                     (sm2_over(st, (const unsigned char*)st->md5hex, 32, rec->docRSValue) ||
                      sm2_over(st, st->md5raw, 16, rec->docRSValue)))
                ok = 1;
        }
        st->docret = (ok && appended_ok(st)) ? 0 : 1;
        timestamp_verify(st, (const unsigned char*)rec->ret_tsr, strnlen(rec->ret_tsr, sizeof rec->ret_tsr));
        st->recordunitname = dup_bytes_text((const unsigned char*)rec->sealRecordUnitName,
                                            strnlen(rec->sealRecordUnitName, sizeof rec->sealRecordUnitName));
        st->recordtime = dup_bytes_text((const unsigned char*)rec->sealRecordTime,
                                        strnlen(rec->sealRecordTime, sizeof rec->sealRecordTime));
        free(rec);
    }
    st->vcode = (st->docret || st->tsaret) ? 1 : 0;
    set_signtime_from_m(st);
}

static int seal_time(const vq_bytes* t, long long* out)
{
    return vq_generalized_time_to_seconds(t->data, t->len, out);
}

/* The seal inside a GB/T 38540 signature: made and signed by its maker, valid for the signing.
   0 or the code of the first failed check. */
static int verify_seal_struct(verify_state* st, const vq_seal_view* seal, int64_t signer_start,
                              int64_t signer_end, long long sign_time)
{
    if (!seal->eseal_info_der.data || (size_t)seal->eseal_info_der.len > st->ctlen)
        return VQ_SIGNATURE_ASN1ERROR;

    parsehelps maker;
    init_parsehelps(&maker);
    maker.ispkkey = 1;
    maker.istime = 1;
    maker.isusage = 1;
    int rc = prase_cert_helps_fun(seal->maker_cert.data, seal->maker_cert.len, &maker, 0);
    if (rc != 0)
    {
        free_parsehelps(&maker);
        return rc;
    }
    int code = 0;
    long long create = 0, vstart = 0, vend = 0;
    if (maker.usage != 2)
        code = VQ_MKCERT_USAGERROR;
    else if (seal_time(&seal->create_date, &create) || seal_time(&seal->valid_start, &vstart) ||
             seal_time(&seal->valid_end, &vend))
        code = VQ_SIGNATURE_ASN1ERROR;
    else if (create > vend || create < vstart)
        code = VQ_SEALCREATIME_ERROR1;
    else if (create > signer_end || create < signer_start)
        code = VQ_SEALCREATIME_ERROR2;
    else if (create < maker.stime || create > maker.etime)
        code = VQ_SEALCREATIME_ERROR3;
    else if (sign_time > vend || sign_time < create)
        code = VQ_SEALCREATIME_ERROR4;

    if (!code)
    {
        unsigned char e[32];
        unsigned int elen = 0;
        unsigned char rs[64];
        if (!is_sm2_signature_oid(seal->sign_alg))
            code = VQ_VERIFY_SM2_ERROR;
        else if (pkcs7_sm3(seal->eseal_info_der.data, (unsigned int)seal->eseal_info_der.len, maker.public_key, 65, e,
                           &elen) != 0)
            code = VQ_CREATE_SM3_ERROR;
        else if (vq_decode_sm2_rs(seal->sign_value.data, seal->sign_value.len, rs, rs + 32) != 0)
            code = VQ_SIGNATURE_ASN1ERROR;
        else if (!rs_in_range(seal->sign_value.data, seal->sign_value.len) ||
                 pkcs7_verifysm2(e, 32, maker.public_key, 65, rs) != 0)
            code = VQ_VERIFY_SM2_ERROR;
    }
    free_parsehelps(&maker);
    return code;
}

static int signer_in_cert_list(const vq_seal_view* seal)
{
    if (seal->cert_list_type != 1 || seal->cert_list_count < 1 || !seal->cert_list)
        return 0;
    for (int i = 0; i < seal->cert_list_count; i++)
    {
        const vq_bytes* c = &seal->cert_list[i];
        if (c->len == seal->signer_cert.len && c->len > 0 &&
            memcmp(c->data, seal->signer_cert.data, (size_t)c->len) == 0)
            return 1;
    }
    return 0;
}

/* GB/T 38540 electronic-seal signatures (kind 5). */
static void verify_seal(verify_state* st)
{
    vq_seal_view seal;
    unsigned char rs[64];
    int rc = vq_seal_decode(st->ct, st->ctlen > INT_MAX ? INT_MAX : (int)st->ctlen, &seal);
    if (rc != 0 || vq_decode_sm2_rs(seal.signature.data, seal.signature.len, rs, rs + 32) != 0)
    {
        vq_seal_view_free(&seal);
        st->vcode = VQ_SIGNATURE_ASN1ERROR;
        st->result = RESULT_EMPTY;
        return;
    }
    int code = seal.signer_cert.data ? read_certificate(st, seal.signer_cert.data, seal.signer_cert.len, 0)
                                     : VQ_SIGNATURE_GETCERT_ERROR;
    int64_t nb = 0, na = 0;
    if (!code)
    {
        st->cert = base64_text(seal.signer_cert.data, (size_t)seal.signer_cert.len);
        parsehelps signer;
        init_parsehelps(&signer);
        signer.istime = 1;
        signer.isusage = 1;
        if (prase_cert_helps_fun(seal.signer_cert.data, seal.signer_cert.len, &signer, 0) != 0)
            code = VQ_SIGNATURE_GETCERT_ERROR;
        nb = signer.stime;
        na = signer.etime;
        free_parsehelps(&signer);
    }
    long long sign_time = 0;
    if (!code && (seal_time(&seal.time_info, &sign_time) != 0 || !(nb < sign_time && sign_time < na)))
        code = VQ_SIGNTIME_OUT_SIGNCERTTIME;
    if (!code)
        code = verify_seal_struct(st, &seal, nb, na, sign_time);
    if (!code && !signer_in_cert_list(&seal))
        code = VQ_SIGNCERT_NOINSEALCERTLIST;
    if (!code && (!seal.to_sign_der.data || (size_t)seal.to_sign_der.len > st->ctlen))
        code = VQ_SIGNATURE_ASN1ERROR;
    if (code)
    {
        vq_seal_view_free(&seal);
        st->vcode = code;
        st->result = RESULT_EMPTY;
        return;
    }
    st->result = RESULT_FULL;
    st->chain_time = sign_time;

    if (!is_sm2_signature_oid(seal.signature_alg) || !rs_in_range(seal.signature.data, seal.signature.len) ||
        !sm2_over(st, seal.to_sign_der.data, (size_t)seal.to_sign_der.len, rs))
    {
        st->docret = 1;
        if (seal.has_time_stamp)
        {
            st->has_tsa = 1;
            st->tsaret = 0;
            st->tsatime = dup_text("");
        }
        st->signtime = dup_text("");
        st->vcode = 1;
        vq_seal_view_free(&seal);
        return;
    }

    int hash_ok = 0;
    if (st->range_ok && seal.data_hash.len == 32 &&
        signed_digests(st, DIGEST_SM3 | (seal.has_time_stamp && st->callback ? DIGEST_MD5 : 0)) == 0)
        hash_ok = memcmp(st->sm3, seal.data_hash.data, 32) == 0;
    st->docret = (hash_ok && appended_ok(st)) ? 0 : 1;
    if (seal.has_time_stamp)
        timestamp_verify(st, seal.time_stamp.data, (size_t)seal.time_stamp.len);
    char* t = vq_verify_gt_text_utc8(seal.time_info.data, seal.time_info.len);
    st->signtime = t ? t : dup_text("");
    st->vcode = seal.has_time_stamp ? ((st->docret || st->tsaret) ? 1 : 0) : st->docret;
    vq_seal_view_free(&seal);
}

/* ---- result ------------------------------------------------------------------------------ */

static void add_text(cJSON* obj, const char* key, const char* value)
{
    if (value)
        cJSON_AddStringToObject(obj, key, value);
}

static char* build_json(verify_state* st)
{
    cJSON* root = cJSON_CreateObject();
    if (!root)
        return NULL;
    cJSON_AddNumberToObject(root, "vcode", st->vcode);
    if (st->result != RESULT_NONE)
    {
        cJSON* r = cJSON_AddObjectToObject(root, "result");
        if (r && st->result == RESULT_FULL)
        {
            if (st->want_addinfo)
                add_text(r, "addinfo", st->addinfo);
            if (st->has_tsa)
            {
                cJSON_AddNumberToObject(r, "tsaret", st->tsaret);
                cJSON_AddStringToObject(r, "tsatime", st->tsatime ? st->tsatime : "");
                add_text(r, "tsacert", st->tsacert);
            }
            cJSON_AddNumberToObject(r, "docret", st->docret);
            cJSON_AddStringToObject(r, "signtime", st->signtime ? st->signtime : "");
            add_text(r, "certsn", st->certsn);
            add_text(r, "signer", st->signer);
            add_text(r, "cert", st->cert);
            if (st->want_records)
            {
                add_text(r, "recordunitname", st->recordunitname);
                add_text(r, "recordtime", st->recordtime);
            }
            add_text(r, "issuser", st->issuser);
            add_text(r, "theme", st->theme);
            add_text(r, "issuerplus", st->issuerplus);
            if (st->has_chain)
                cJSON_AddNumberToObject(r, "chainret", st->chainret);
        }
    }
    char* out = cJSON_Print(root);
    cJSON_Delete(root);
    return out;
}

static void free_state(verify_state* st)
{
    free(st->ct);
    free(st->vqc);
    free(st->vqsru);
    free(st->vqsrt);
    free(st->addinfo);
    free(st->tsatime);
    free(st->tsacert);
    free(st->signtime);
    free(st->certsn);
    free(st->signer);
    free(st->cert);
    free(st->recordunitname);
    free(st->recordtime);
    free(st->issuser);
    free(st->theme);
    free(st->issuerplus);
    free(st->leaf);
    for (int i = 0; i < st->nothers; i++)
        free((void*)st->others[i].data);
    free(st->others);
}

char* vq_verify_signature_json(struct document* d, pdf_annot* widget, vq_verify_callbackfun callback)
{
    if (!d || !widget)
        return NULL;
    fz_context* ctx = d->ctx;
    pdf_document* pdf = vq_pdf(d);
    if (!pdf)
        return NULL;

    verify_state st;
    memset(&st, 0, sizeof st);
    st.d = d;
    st.callback = callback;
    st.appended = -1;

    int code = 0, failed = 0;
    fz_var(code);
    fz_var(failed);
    fz_try(ctx)
        code = read_signature(ctx, pdf, widget, &st);
    fz_catch(ctx)
        failed = 1;
    if (failed)
    {
        free_state(&st);
        return NULL;
    }

    if (code)
    {
        st.vcode = code;
        st.result = RESULT_NONE;
    }
    else
    {
        /* The trusted roots the chain check needs are built while the signed bytes are hashed. */
        vq_trust_warmup* warm = vq_trust_warm_start();
        switch (st.kind)
        {
        case RSA_Detached:
            verify_rsa(&st);
            break;
        case SM2_V1:
        case SM2_V2:
            verify_record(&st);
            break;
        case SM2_V3:
        case SM2_V4:
            verify_p7(&st);
            break;
        default:
            verify_seal(&st);
            break;
        }
        vq_trust_warm_join(warm);
    }
    /* Whoever the certificate names is only as good as its chain: report whether it leads to
       a trusted root and whether the certificate was valid when the document was signed. */
    if (st.result == RESULT_FULL)
    {
        st.has_chain = 1;
        st.chainret = st.leaf ? vq_trust_check(st.leaf, st.leaflen, st.others, st.nothers,
                                               st.chain_time ? st.chain_time : st.sign_date)
                              : VQ_CHAIN_UNTRUSTED;
    }
    char* out = build_json(&st);
    free_state(&st);
    return out;
}

int vq_verify_value_holds(struct document* d, pdf_document* pdf, int num, int64_t* end)
{
    if (!d || !pdf || num <= 0)
        return 0;
    fz_context* ctx = d->ctx;
    verify_state st;
    memset(&st, 0, sizeof st);
    st.d = d;
    st.appended = 1;
    st.crypto_only = 1;

    int code = 0, failed = 0;
    pdf_obj* vref = NULL;
    fz_var(code);
    fz_var(failed);
    fz_var(vref);
    fz_try(ctx)
    {
        vref = pdf_new_indirect(ctx, pdf, num, 0);
        code = read_value(ctx, pdf, vref, &st);
    }
    fz_always(ctx)
        pdf_drop_obj(ctx, vref);
    fz_catch(ctx)
        failed = 1;

    int holds = 0;
    if (!failed && !code && st.range_ok)
    {
        switch (st.kind)
        {
        case RSA_Detached:
            verify_rsa(&st);
            break;
        case SM2_V1:
        case SM2_V2:
            verify_record(&st);
            break;
        case SM2_V3:
        case SM2_V4:
            verify_p7(&st);
            break;
        default:
            verify_seal(&st);
            break;
        }
        holds = st.result == RESULT_FULL && st.docret == 0;
        if (holds && end)
            *end = st.end;
    }
    free_state(&st);
    return holds;
}
