/*
 * Pixmap accessors. Pixmaps always carry alpha; rows follow each other without padding.
 */
#include "header.h"

#define PIX(p) ((fz_pixmap*)(p))

VQ_API unsigned char* vq_pixmap_sample(vq_document* d, vq_pixmap* pixmap)
{
    if (!pixmap)
        return NULL;
    if (d)
        vq_doc_lock(d);
    unsigned char* s = PIX(pixmap)->samples;
    if (d)
        vq_doc_unlock(d);
    return s;
}

VQ_API int vq_pixmap_width(vq_document* d, vq_pixmap* pixmap)
{
    if (!pixmap)
        return 0;
    if (d)
        vq_doc_lock(d);
    int w = PIX(pixmap)->w;
    if (d)
        vq_doc_unlock(d);
    return w;
}

VQ_API int vq_pixmap_height(vq_document* d, vq_pixmap* pixmap)
{
    if (!pixmap)
        return 0;
    if (d)
        vq_doc_lock(d);
    int h = PIX(pixmap)->h;
    if (d)
        vq_doc_unlock(d);
    return h;
}

VQ_API int vq_pixmap_components(vq_document* d, vq_pixmap* pixmap)
{
    if (!pixmap)
        return 0;
    if (d)
        vq_doc_lock(d);
    int n = PIX(pixmap)->n;
    if (d)
        vq_doc_unlock(d);
    return n;
}

VQ_API void vq_pixmap_free(vq_document* d, vq_pixmap* pixmap)
{
    if (!d || !pixmap)
        return;
    vq_doc_lock(d);
    vq_pixmap_give_back(d, PIX(pixmap));
    vq_doc_unlock(d);
}

VQ_API vq_pixmap* vq_pixmap_convert(vq_document* d, vq_pixmap* pixmap)
{
    if (!d || !pixmap)
        return NULL;
    vq_doc_lock(d);
    fz_context* ctx = d->ctx;
    fz_pixmap* out = NULL;
    fz_try(ctx)
        out = fz_convert_pixmap(ctx, PIX(pixmap), fz_device_bgr(ctx), NULL, NULL, fz_default_color_params, 1);
    fz_catch(ctx)
        out = NULL;
    vq_doc_unlock(d);
    return (vq_pixmap*)out;
}
