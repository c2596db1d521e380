/*
 * Engine interface of the signature verifier (the checks live in
 * pdfcore/source/helpers/pkcs7/vq-verify.c).
 */
#include "header.h"
#include "vq-pdf-testing.h"
#include "vq-verify.h"

#include <string.h>

VQ_API char* vq_signautre_verify(vq_document* doc, vq_signature* sign, vq_verify_callbackfun callback)
{
    if (!doc || !sign)
        return NULL;
    vq_doc_lock(doc);
    char* out = vq_pdf(doc) ? vq_verify_signature_json(doc, (pdf_annot*)sign, callback) : NULL;
    vq_doc_unlock(doc);
    return out;
}

/* Test seam: the first signature widget whose full field name is `name`, pages in order. */
VQ_API vq_signature* vq_test_find_signature(vq_document* doc, const char* name)
{
    if (!doc || !name)
        return NULL;
    vq_document_cut_page(doc);
    int count = vq_document_page_count(doc);
    vq_signature* found = NULL;
    vq_doc_lock(doc);
    fz_context* ctx = doc->ctx;
    for (int i = 0; i < count && !found; i++)
    {
        vq_page* page = vq_page_index(doc, i);
        if (!page || vq_page_ensure_loaded(doc, page) != 0)
            continue;
        fz_try(ctx)
        {
            pdf_page* pp = pdf_page_from_fz_page(ctx, page->page);
            for (pdf_annot* w = pp ? pdf_first_widget(ctx, pp) : NULL; w && !found; w = pdf_next_widget(ctx, w))
            {
                pdf_obj* obj = pdf_annot_obj(ctx, w);
                if (!pdf_name_eq(ctx, pdf_dict_get_inheritable(ctx, obj, PDF_NAME(FT)), PDF_NAME(Sig)))
                    continue;
                char* full = pdf_field_name(ctx, obj);
                if (full && !strcmp(full, name))
                    found = (vq_signature*)w;
                fz_free(ctx, full);
            }
        }
        fz_catch(ctx)
        {
        }
    }
    vq_doc_unlock(doc);
    return found;
}
