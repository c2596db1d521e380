/*
 * Signature fields through the engine interface: reading what a signature holds, finding and
 * deleting signature widgets, and certificate parsing. Every operation on a document takes its
 * lock; texts handed out are malloc'ed UTF-8 the caller frees.
 */
#include "annot-internal.h"
#include "vq-pdf-testing.h"
#include "vq-signature.h"

#include "certparse.h"

#include <stdlib.h>
#include <string.h>

/* The widget object behind a signature handle, or NULL for a handle that is not a live widget
   of this document. Caller holds the lock. */
static pdf_obj* widget_obj(struct document* d, vq_signature* sign)
{
    pdf_annot* w = vq_widget_checked(d, sign, NULL);
    return w ? pdf_annot_obj(d->ctx, w) : NULL;
}

/* A text of the widget (in_v 0) or of its value (in_v 1). */
static char* read_text(vq_document* d, vq_signature* sign, int in_v, const char* key)
{
    if (!d || !sign)
        return NULL;
    vq_doc_lock(d);
    char* s = vq_sig_get_text(d->ctx, widget_obj(d, sign), in_v, key);
    vq_doc_unlock(d);
    return s;
}

/* The texts a signature carries, each a malloc'ed copy or NULL. */
#define SIGNATURE_TEXT(name, in_v, key)                          \
    VQ_API char* name(vq_document* doc, vq_signature* sign)      \
    {                                                            \
        return read_text(doc, sign, in_v, key);                  \
    }

SIGNATURE_TEXT(vq_signature_get_addinfo, 0, "Addinfo")
SIGNATURE_TEXT(vq_signature_get_customtag, 1, "CustomTagV")
SIGNATURE_TEXT(vq_signature_get_vqc, 1, "VqC")
SIGNATURE_TEXT(vq_signature_get_vqfn, 1, "VqFn")
SIGNATURE_TEXT(vq_signature_get_vqsn, 1, "VqSn")
SIGNATURE_TEXT(vq_signature_get_vqsc, 1, "VqSc")
SIGNATURE_TEXT(vq_signature_get_vqsun, 1, "VqSun")
SIGNATURE_TEXT(vq_signature_get_vqsru, 1, "VqSru")
SIGNATURE_TEXT(vq_signature_get_vqsrt, 1, "VqSrt")

#undef SIGNATURE_TEXT

VQ_API vq_sign_mode vq_signature_get_sign_type(vq_document* doc, vq_signature* sign)
{
    if (!doc || !sign)
        return Detached_Null;
    vq_doc_lock(doc);
    pdf_obj* obj = widget_obj(doc, sign);
    int kind = obj ? vq_sig_subfilter_kind(doc->ctx, obj) : Detached_Null;
    vq_doc_unlock(doc);
    return (vq_sign_mode)kind;
}

VQ_API long long vq_signature_get_sign_date(vq_document* doc, vq_signature* sign)
{
    if (!doc || !sign)
        return 0;
    vq_doc_lock(doc);
    int64_t t = vq_sig_sign_date(doc->ctx, widget_obj(doc, sign));
    vq_doc_unlock(doc);
    return (long long)t;
}

VQ_API int vq_signature_get_objindex(vq_document* doc, vq_signature* sign)
{
    if (!doc || !doc->ctx || !sign)
        return -1;
    vq_doc_lock(doc);
    int num = -1;
    fz_try(doc->ctx)
    {
        pdf_obj* v = pdf_dict_get_inheritable(doc->ctx, widget_obj(doc, sign), PDF_NAME(V));
        if (pdf_is_indirect(doc->ctx, v))
            num = pdf_to_num(doc->ctx, v);
    }
    fz_catch(doc->ctx)
        num = -1;
    vq_doc_unlock(doc);
    return num;
}

VQ_API int vq_signature_contents(vq_document* doc, vq_signature* sign, char** contents)
{
    if (contents)
        *contents = NULL;
    if (!doc || !sign)
        return 0;
    vq_doc_lock(doc);
    size_t n = vq_sig_contents(doc->ctx, widget_obj(doc, sign), contents);
    vq_doc_unlock(doc);
    return (int)n;
}

VQ_API int vq_signature_contents_by_name(vq_document* doc, const char* name, char** contents)
{
    if (contents)
        *contents = NULL;
    if (!doc || !name)
        return 0;
    vq_doc_lock(doc);
    size_t n = 0;
    pdf_document* pdf = vq_pdf(doc);
    if (pdf)
    {
        fz_context* ctx = doc->ctx;
        fz_try(ctx)
        {
            pdf_obj* fields = pdf_dict_getp(ctx, pdf_trailer(ctx, pdf), "Root/AcroForm/Fields");
            pdf_obj* field = pdf_is_array(ctx, fields) ? pdf_lookup_field(ctx, fields, name) : NULL;
            if (field && vq_sig_is_signature_field(ctx, field))
                n = vq_sig_contents(ctx, field, contents);
        }
        fz_catch(ctx)
            n = 0;
    }
    vq_doc_unlock(doc);
    return (int)n;
}

/* Full field name equals name. */
static int has_name(fz_context* ctx, pdf_obj* obj, const char* name)
{
    char* volatile full = NULL;
    volatile int same = 0;
    fz_try(ctx)
    {
        full = pdf_field_name(ctx, obj);
        same = full && !strcmp(full, name);
    }
    fz_always(ctx)
        fz_free(ctx, full);
    fz_catch(ctx)
        same = 0;
    return same;
}

/* The first signature widget of a loaded page named name. Caller holds the lock. */
static pdf_annot* find_on_page(struct document* d, struct page_t* pg, const char* name)
{
    fz_context* ctx = d->ctx;
    if (vq_page_ensure_loaded(d, pg) != 0)
        return NULL;
    pdf_page* page = pdf_page_from_fz_page(ctx, pg->page);
    if (!page)
        return NULL;
    pdf_annot* found = NULL;
    fz_try(ctx)
    {
        for (pdf_annot* w = pdf_first_widget(ctx, page); w && !found; w = pdf_next_widget(ctx, w))
        {
            pdf_obj* obj = pdf_annot_obj(ctx, w);
            if (vq_sig_is_signature_field(ctx, obj) && has_name(ctx, obj, name))
                found = w;
        }
    }
    fz_catch(ctx)
        found = NULL;
    return found;
}

VQ_API vq_signature* vq_document_get_signature_by_name(vq_document* doc, const char* name)
{
    if (!doc || !name)
        return NULL;
    vq_doc_lock(doc);
    if (!doc->pages)
        vq_document_cut_page(doc);
    pdf_annot* found = NULL;
    vq_signature* handle = NULL;
    for (int i = 0; doc->pages && i < doc->counts && i < doc->page_slots && !found; i++)
    {
        struct page_t* pg = vq_page_slot(doc, i);
        found = pg ? find_on_page(doc, pg, name) : NULL;
        if (found)
            handle = vq_handle_of(doc, pg, found);
    }
    vq_doc_unlock(doc);
    return handle;
}

/* Removes a live signature widget from the form and its page; its handle ends. Caller holds
   the lock. */
static void delete_widget(struct document* doc, pdf_annot* w)
{
    pdf_document* pdf = vq_pdf(doc);
    if (!pdf || !w)
        return;
    fz_context* ctx = doc->ctx;
    pdf_page* pp = pdf_annot_page(ctx, w);
    if (doc->focus_annot && vq_focus_checked(doc) == w)
    {
        doc->focus_annot = NULL;
        doc->focus_num = 0;
    }
    fz_try(ctx)
        vq_sig_delete_widget(ctx, pdf, w);
    fz_catch(ctx)
        fz_warn(ctx, "cannot delete a signature");
    /* Gone from its page: its handle ends (only the address is compared, never read). */
    if (!vq_page_holds(ctx, pp, w))
        vq_handles_forget_annot(doc, w);
}

VQ_API void vq_signature_delete(vq_document* doc, vq_signature* sign)
{
    if (!doc || !sign)
        return;
    vq_doc_lock(doc);
    delete_widget(doc, vq_widget_checked(doc, sign, NULL));
    vq_doc_unlock(doc);
}

VQ_API void vq_signature_delete_by_name(vq_document* doc, vq_page* page, const char* name)
{
    if (!doc || !page || !name)
        return;
    vq_doc_lock(doc);
    struct page_t* pg = vq_page_checked(doc, page);
    if (pg)
        delete_widget(doc, find_on_page(doc, pg, name));
    vq_doc_unlock(doc);
}

VQ_API int vq_parse_cert(const char* certdata, int certlen, int is_sn, int iscerttype, int issigner, int ispkkey,
                         char** certsn, int* certtype, char** signer, unsigned char* public_key, int* pbkey_len,
                         int bbase64)
{
    if (!certdata || certlen <= 0)
        return VQ_GET_SM2_CERT_ERROR;
    pkcs7_cert* cert = pkcs7_openssl_prase_sm2cert((const unsigned char*)certdata, certlen, bbase64);
    if (!cert)
        return VQ_GET_SM2_CERT_ERROR;
    int code = VQ_OK;
    if (is_sn == 1 && (!certsn || pkcs7_openssl_prase_getsn_fn(cert, certsn) != 0))
        code = VQ_GET_SM2_CERT_ERROR;
    if (!code && iscerttype == 1 && certtype)
        *certtype = pkcs7_openssl_parse_cert_type(cert, NULL);
    if (!code && ispkkey == 1)
    {
        if (!public_key || !pbkey_len || pkcs7_openssl_prase_public_key(cert, public_key, pbkey_len) != 0)
            code = VQ_GET_SM2_CERT_ERROR;
    }
    if (!code && issigner == 1 && (!signer || pkcs7_openssl_prase_signer_name(cert, signer) != 0))
        code = VQ_GET_SM2_CERT_ERROR;
    pkcs7_openssl_prase_drop(cert);
    return code;
}

VQ_API void vq_free_parse_str(char* text)
{
    free(text);
}

#ifdef VQ_TEST_HOOKS
/* ---- test seam ---------------------------------------------------------------------------- */

VQ_API vq_signature* vq_test_add_signature_field(vq_document* doc, int pagenum, const char* name,
                                                 const char* addinfo, vq_rect rect)
{
    if (!doc || !name)
        return NULL;
    vq_doc_lock(doc);
    pdf_annot* w = NULL;
    vq_signature* handle = NULL;
    vq_page* pg = vq_page_index(doc, pagenum);
    pdf_document* pdf = vq_pdf(doc);
    if (pg && pdf && vq_page_ensure_loaded(doc, pg) == 0)
    {
        fz_context* ctx = doc->ctx;
        fz_try(ctx)
        {
            pdf_page* page = pdf_page_from_fz_page(ctx, pg->page);
            fz_rect mediabox;
            fz_matrix ctm;
            pdf_page_transform(ctx, page, &mediabox, &ctm);
            fz_rect r = fz_transform_rect(fz_make_rect(rect.x0, rect.y0, rect.x1, rect.y1), fz_invert_matrix(ctm));
            w = vq_sig_create_widget(ctx, pdf, page, VQ_FIELD_TYPE_SIGNATURE, name, addinfo);
            pdf_set_annot_rect(ctx, w, r);
        }
        fz_catch(ctx)
            w = NULL;
        handle = vq_handle_of(doc, pg, w);
    }
    vq_doc_unlock(doc);
    return handle;
}
#endif /* VQ_TEST_HOOKS */
