/*
 * vq-signature.h: our signature layer on the PDF library: signature (and other) widgets built
 * over the raw annotation API, the signature dictionary with our own keys, the signer record
 * the library's incremental writer calls, and the readers of what a signature field holds.
 *
 * Private to the engine. Errors are the library's exceptions unless a function says otherwise.
 */
#ifndef VQ_SIGNATURE_LAYER_H
#define VQ_SIGNATURE_LAYER_H

#include <mupdf/fitz.h>
#include <mupdf/pdf.h>

#ifdef __cplusplus
extern "C" {
#endif

/* SubFilter numbers of our signers. */
enum
{
    VQ_SUBFILTER_ADBE = 0,      /* adbe.pkcs7.detached */
    VQ_SUBFILTER_SM3_1 = 1,     /* vqsign.pkcs7.sm3.1 … */
    VQ_SUBFILTER_SM3_3 = 3,     /* vqsign.pkcs7.sm3.3: the cloud signer of this build */
    VQ_SUBFILTER_SM3_4 = 4,
    VQ_SUBFILTER_GB2018 = 5     /* vqsign.gb2018.sm3 */
};

/* Content room written when a signer does not say how much it needs. */
#define VQ_SIG_DEFAULT_CONTENTS 2048

/* The library's signer interface followed by what our dictionary writer needs of a signer. A
   signer implementation is a record whose first member is this one. */
typedef struct vq_pkcs7_signer
{
    pdf_pkcs7_signer base;      /* keep, drop, get_signing_name, max_digest_size, create_digest */
    int subfilter;              /* VQ_SUBFILTER_*; another value writes adbe.pkcs7.detached */
    char* time;                 /* /M, or NULL */
    char* reason;               /* /Reason, or NULL */
} vq_pkcs7_signer;

/* Creates a widget of the engine's field type (vq_field_type) on the page, named fieldname
   (its /T; required), with /Addinfo when addinfo is given; links it into the page, Root
   /AcroForm /Fields and, for signatures, sets /SigFlags |= 3. On failure the widget is removed
   and /SigFlags restored before the error is raised again. The page owns the result. */
pdf_annot* vq_sig_create_widget(fz_context* ctx, pdf_document* doc, pdf_page* page, int type,
                                const char* fieldname, const char* addinfo);

/* Puts /Addinfo as a text string when addinfo is not NULL. */
void vq_sig_set_addinfo(fz_context* ctx, pdf_obj* field, const char* addinfo);

/* Writes the signature dictionary into the existing object objnum (keys in the order
   /ByteRange /Contents /Filter /SubFilter /Type /M /Reason /CustomTagV /Prop_Build, the first
   three as the incremental writer searches for them) and registers field and signer as an
   unsaved signature of the newest section. */
void vq_sig_write_value(fz_context* ctx, pdf_document* doc, pdf_obj* field, int objnum,
                        vq_pkcs7_signer* signer, const char* customtag);

/* Gives a signature widget an empty normal appearance when it has none, so that a signed field
   whose picture was never set shows nothing rather than the library's placeholder. */
void vq_sig_ensure_appearance(fz_context* ctx, pdf_annot* widget);

/* Adds /Lock << /Type /SigFieldLock /Action /All /P 1 >> unless the field has one. */
void vq_sig_lock_field(fz_context* ctx, pdf_document* doc, pdf_obj* field);

/* Kind of a SubFilter (vq_sign_mode): -1 no /V or /SubFilter, 0 adbe.pkcs7.detached, 1-4
   vqsign.pkcs7.sm3.N, 5 GB/T 38540 names, -2 anything else. Never raises. */
int vq_sig_subfilter_kind(fz_context* ctx, pdf_obj* field);
/* Name of a SubFilter number. */
const char* vq_sig_subfilter_name(int subfilter);

/* A new UTF-8 copy (malloc) of a text key of the field (in_v 0) or of its /V (in_v 1), or NULL
   when missing. Never raises. */
char* vq_sig_get_text(fz_context* ctx, pdf_obj* field, int in_v, const char* key);
/* /V/M in seconds since 1970, 0 when missing or unreadable. Never raises. */
int64_t vq_sig_sign_date(fz_context* ctx, pdf_obj* field);
/* Length and bytes (not copied) of /V/Contents; 0 when missing. Never raises. */
size_t vq_sig_contents(fz_context* ctx, pdf_obj* field, char** out);
/* The (inherited) /FT is /Sig. */
int vq_sig_is_signature_field(fz_context* ctx, pdf_obj* field);

/* Removes the widget from Root /AcroForm /Fields (or its parent's /Kids), from its page, and
   from the unsaved signatures. The handle is gone afterwards. */
void vq_sig_delete_widget(fz_context* ctx, pdf_document* doc, pdf_annot* widget);

#ifdef __cplusplus
}
#endif

#endif
