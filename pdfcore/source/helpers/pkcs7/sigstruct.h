/*
 * Reading (and, for seals, writing) the signature structures stored in PDF signatures, without
 * exposing the generated ASN.1 types:
 *   - the SM2 PKCS#7 signed data written by our signer (see p7sm2.h for the builder),
 *   - the GB/T 38540 electronic-seal signature SESSignature.
 * A decoded view points into the decoded value it keeps; free it with its *_free function.
 */
#ifndef VQ_SIGSTRUCT_H
#define VQ_SIGSTRUCT_H

#ifdef __cplusplus
extern "C" {
#endif

typedef struct vq_bytes {
    const unsigned char *data;
    int len;
} vq_bytes;

#define VQ_OID_TEXT 64

/* ---- SM2 PKCS#7 signed data ---- */
typedef struct vq_p7_view {
    char content_type[VQ_OID_TEXT];       /* dotted OID text, "" when unreadable */
    int has_signed_data;
    long version;
    char digest_algorithm[VQ_OID_TEXT];   /* first of digestAlgorithms */
    char inner_content_type[VQ_OID_TEXT];
    int has_inner_content;
    int certificate_count;
    vq_bytes certificate;                 /* the first certificate, its whole encoding */
    int signer_count;
    /* The first signer information. */
    long signer_version;
    vq_bytes issuer;                      /* whole encoding as stored (ANY) */
    vq_bytes serial;                      /* whole encoding as stored (ANY) */
    char signer_digest_algorithm[VQ_OID_TEXT];
    char signature_algorithm[VQ_OID_TEXT];
    int has_authenticated_attributes;
    vq_bytes encrypted_digest;            /* the DER of SEQUENCE { r, s } */
    vq_bytes r_integer, s_integer;        /* the INTEGER content octets */
    unsigned char r[32], s[32];           /* made 32 bytes: a longer value keeps its last 32
                                             bytes, a shorter one gets zeros in front */
    int unauthenticated_count;
    char first_attribute_type[VQ_OID_TEXT]; /* type of the first unauthenticated attribute */
    int has_time_stamp;                   /* its first value read as a BIT STRING */
    vq_bytes time_stamp;                  /* the BIT STRING's bytes */
    void *priv;
} vq_p7_view;

#define VQ_P7_OK 0
#define VQ_P7_NOT_PKCS7 -1      /* the bytes are no PKCS7ContentInfo */
#define VQ_P7_NO_SIGNER -2      /* no SignedData or no SignerInfo */
#define VQ_P7_BAD_RS -3         /* the encrypted digest is no SEQUENCE { r, s } */

/* BER-decodes der (trailing bytes, e.g. the zero padding of /Contents, are ignored). Returns
 * VQ_P7_OK or one of the errors above; the view holds whatever was read and must be freed. */
int vq_p7_decode(const unsigned char *der, int len, vq_p7_view *out);
void vq_p7_view_free(vq_p7_view *view);
/* Certificate i (0-based, below certificate_count) of a decoded view, its whole encoding;
 * {NULL, 0} when there is none. */
vq_bytes vq_p7_certificate(const vq_p7_view *view, int i);

/* Decodes a DER SEQUENCE { r INTEGER, s INTEGER } into two 32-byte values (made 32 bytes as
 * above). 0 or -1. */
int vq_decode_sm2_rs(const unsigned char *der, int len, unsigned char r[32], unsigned char s[32]);

/* ---- GB/T 38540 electronic-seal signature ---- */
typedef struct vq_seal_view {
    /* SESSignature */
    vq_bytes signer_cert;          /* cert: the signer's certificate (DER) */
    char signature_alg[VQ_OID_TEXT];
    vq_bytes signature;            /* DER of SEQUENCE { r, s } over DER(toSign) */
    int has_time_stamp;
    vq_bytes time_stamp;
    vq_bytes to_sign_der;          /* decode only: DER of toSign */
    /* TBSSign */
    long version;
    vq_bytes time_info;            /* GeneralizedTime text: the signing time */
    vq_bytes data_hash;            /* SM3 of the signed bytes */
    vq_bytes property_info;
    /* SESeal */
    vq_bytes eseal_info_der;       /* decode only: DER of esealInfo */
    vq_bytes maker_cert;           /* the seal maker's certificate (DER) */
    char sign_alg[VQ_OID_TEXT];
    vq_bytes sign_value;           /* DER of SEQUENCE { r, s } over DER(esealInfo) */
    /* SESSealInfo: header */
    vq_bytes header_id;
    long header_version;
    vq_bytes header_vid;
    vq_bytes es_id;
    /* SESESPropertyInfo */
    long prop_type;
    vq_bytes prop_name;            /* UTF-8 */
    long cert_list_type;
    int cert_list_count;
    const vq_bytes *cert_list;     /* certificates allowed to use the seal */
    vq_bytes create_date, valid_start, valid_end; /* GeneralizedTime texts */
    /* SESESPictrueInfo */
    vq_bytes pic_type;
    vq_bytes pic_data;
    long pic_width, pic_height;
    void *priv;
} vq_seal_view;

/* 0; -1 when the bytes are no SESSignature; -2 when toSign or esealInfo cannot be re-encoded
 * in DER. The view must be freed in every case. */
int vq_seal_decode(const unsigned char *der, int len, vq_seal_view *out);
void vq_seal_view_free(vq_seal_view *view);

/* DER-encodes a SESSignature from the view's input fields (to_sign_der, eseal_info_der and priv
 * are ignored; no extension data). *out is a malloc'ed buffer. 0 or -1. */
int vq_seal_encode(const vq_seal_view *in, unsigned char **out, int *outlen);

/* A GeneralizedTime text as seconds since 1970 (a zone suffix honoured, no suffix: local time).
 * 0 with *seconds set, or -1 when the text is no GeneralizedTime. */
int vq_generalized_time_to_seconds(const unsigned char *text, int len, long long *seconds);

#ifdef __cplusplus
}
#endif

#endif
