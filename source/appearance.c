/*
 * Appearance setters of the engine interface: a picture (bytes or file), another PDF's first
 * page or a text line becomes an annotation's appearance; signature widgets get the layered
 * signature form around it.
 *
 * Each runs under the document lock inside a protected region. A failure leaves the
 * annotation as it was: its /Rect and /AP are put back, so a failed seal never leaves a
 * half-made appearance in the user's document.
 */
#include "annot-internal.h"
#include "vq-appearance-writers.h"

#include <math.h>
#include <string.h>

typedef enum { SRC_DATA, SRC_FILE, SRC_PDF, SRC_TEXT } source_kind;

typedef struct
{
    source_kind kind;
    const unsigned char* data;
    int len;
    const char* path;
    const char* text;
    int w, h;
    float opacity, rotation;
} appearance_request;

static int set_appearance(struct document* d, vq_annot* handle, const appearance_request* rq)
{
    if (!d)
        return VQ_FAIL;
    vq_doc_lock(d);
    fz_context* ctx = d->ctx;
    pdf_document* pdf = vq_pdf(d);
    pdf_annot* annot = vq_annot_checked(d, handle, NULL);
    if (!annot || !pdf)
    {
        vq_doc_unlock(d);
        return VQ_FAIL;
    }
    pdf_obj* obj = pdf_annot_obj(ctx, annot);
    pdf_page* holder = pdf_annot_page(ctx, annot);
    pdf_obj* pageobj = holder ? holder->obj : NULL;
    pdf_obj *old_rect = NULL, *old_ap = NULL;
    fz_image* image = NULL;
    fz_buffer* buf = NULL;
    int code = VQ_OK;
    fz_var(old_rect);
    fz_var(old_ap);
    fz_var(image);
    fz_var(buf);
    fz_var(code);

    /* Decode the picture first: bytes that are no image change nothing. */
    if (rq->kind == SRC_DATA || rq->kind == SRC_FILE)
    {
        fz_try(ctx)
        {
            if (rq->kind == SRC_DATA)
            {
                if (!rq->data || rq->len <= 0)
                    fz_throw(ctx, FZ_ERROR_GENERIC, "no image data");
                buf = fz_new_buffer_from_shared_data(ctx, rq->data, (size_t)rq->len);
                image = fz_new_image_from_buffer(ctx, buf);
            }
            else
            {
                if (!rq->path)
                    fz_throw(ctx, FZ_ERROR_GENERIC, "no image file");
                image = fz_new_image_from_file(ctx, rq->path);
            }
        }
        fz_catch(ctx)
        {
            fz_warn(ctx, "unknow image format");
            code = VQ_EXC_IMAGE_FORMAT;
        }
    }
    if (code == VQ_OK && (rq->kind == SRC_DATA || rq->kind == SRC_FILE) &&
        (rq->w <= 0 || rq->h <= 0 || !isfinite(rq->opacity) || !isfinite(rq->rotation)))
        code = VQ_EXC_APPEARANCE;

    if (code == VQ_OK)
    {
        fz_try(ctx)
        {
            old_rect = pdf_keep_obj(ctx, pdf_dict_get(ctx, obj, PDF_NAME(Rect)));
            old_ap = pdf_keep_obj(ctx, pdf_dict_get(ctx, obj, PDF_NAME(AP)));
            if (old_ap)
            {
                /* Keep a copy of the old /AP dictionary itself, which the writers change. */
                pdf_obj* copy = pdf_copy_dict(ctx, old_ap);
                pdf_drop_obj(ctx, old_ap);
                old_ap = copy;
            }
            switch (rq->kind)
            {
            case SRC_DATA:
            case SRC_FILE:
                vq_image_appearance(ctx, pdf, pageobj, obj, image, rq->w, rq->h, rq->opacity, rq->rotation);
                break;
            case SRC_PDF:
                vq_pdf_page_appearance(ctx, pdf, pageobj, obj, rq->path);
                break;
            case SRC_TEXT:
                vq_text_signature_appearance(ctx, pdf, obj, rq->text ? rq->text : "");
                break;
            }
            pdf_clean_obj(ctx, obj);
            pdf_set_annot_resynthesised(ctx, annot);
            pdf_update_annot(ctx, annot);
        }
        fz_catch(ctx)
        {
            fz_warn(ctx, "set appearance failed: %s", fz_caught_message(ctx));
            code = rq->kind == SRC_PDF || rq->kind == SRC_TEXT ? VQ_FAIL : VQ_EXC_APPEARANCE;
            fz_try(ctx)
            {
                if (old_rect)
                    pdf_dict_put(ctx, obj, PDF_NAME(Rect), old_rect);
                if (old_ap)
                    pdf_dict_put(ctx, obj, PDF_NAME(AP), old_ap);
                else
                    pdf_dict_del(ctx, obj, PDF_NAME(AP));
                pdf_clean_obj(ctx, obj);
            }
            fz_catch(ctx)
                fz_warn(ctx, "could not restore the annotation");
        }
    }
    pdf_drop_obj(ctx, old_rect);
    pdf_drop_obj(ctx, old_ap);
    fz_drop_image(ctx, image);
    fz_drop_buffer(ctx, buf);
    vq_doc_unlock(d);
    return code;
}

VQ_API int vq_annot_set_appearance_imagedata(vq_document* doc, vq_annot* annot, unsigned char* data, int len, int w,
                                             int h, float opacity, float rotate)
{
    appearance_request rq = { SRC_DATA, data, len, NULL, NULL, w, h, opacity, rotate };
    return set_appearance(doc, annot, &rq);
}

VQ_API int vq_annot_set_appearance_imagefile(vq_document* doc, vq_annot* annot, const char* filename, int w, int h,
                                             float opacity, float rotate)
{
    appearance_request rq = { SRC_FILE, NULL, 0, filename, NULL, w, h, opacity, rotate };
    return set_appearance(doc, annot, &rq);
}

VQ_API int vq_annot_set_appearance_pdf(vq_document* doc, vq_annot* annot, const char* filename, float opacity,
                                       float rotate)
{
    appearance_request rq = { SRC_PDF, NULL, 0, filename, NULL, 0, 0, opacity, rotate };
    if (!filename)
        return VQ_FAIL;
    return set_appearance(doc, annot, &rq);
}

VQ_API int vq_annot_set_appearance_text(vq_document* doc, vq_annot* annot, const char* text)
{
    appearance_request rq = { SRC_TEXT, NULL, 0, NULL, text, 0, 0, 1, 0 };
    return set_appearance(doc, annot, &rq);
}
