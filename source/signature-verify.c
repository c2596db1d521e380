/*
 * Engine interface of the signature verifier (the checks live in
 * pdfcore/source/helpers/pkcs7/vq-verify.c, the chain check in vq-trust.c).
 */
#include "annot-internal.h"
#include "vq-verify.h"

VQ_API char* vq_signautre_verify(vq_document* doc, vq_signature* sign, vq_verify_callbackfun callback)
{
    if (!doc || !sign)
        return NULL;
    vq_doc_lock(doc);
    pdf_annot* widget = vq_pdf(doc) ? vq_widget_checked(doc, sign, NULL) : NULL;
    char* out = widget ? vq_verify_signature_json(doc, widget, callback) : NULL;
    vq_doc_unlock(doc);
    return out;
}

VQ_API int vq_set_trusted_certificates(const char* pem, int len)
{
    if (len < 0)
        return -1;
    return vq_trust_set_anchors(pem, (size_t)len);
}
