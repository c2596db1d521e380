/*
 * Shared helpers of the engine: the per-document lock, error-code mapping, the view transform
 * and byte buffers.
 */
#include "header.h"

#include <math.h>

void vq_doc_lock(struct document* d)
{
    pthread_mutex_lock(&d->ctxAccess);
}

void vq_doc_unlock(struct document* d)
{
    pthread_mutex_unlock(&d->ctxAccess);
}

VQ_API void vq_lock(vq_document* doc)
{
    if (doc)
        vq_doc_lock(doc);
}

VQ_API void vq_unlock(vq_document* doc)
{
    if (doc)
        vq_doc_unlock(doc);
}

VQ_API void vq_destory_lock(vq_document* doc)
{
    if (doc)
        pthread_mutex_destroy(&doc->ctxAccess);
}

fz_matrix vq_view_matrix(float zoom, float rotate)
{
    return fz_pre_rotate(fz_scale(zoom, zoom), rotate);
}

int vq_map_open_error(int code)
{
    switch (code)
    {
    case VQ_EXC_OPEN_FILE:
        return VQ_NOFOUND_FILE;
    case VQ_EXC_NOT_PDF:
        return VQ_NOSUPPORT_FILE;
    case FZ_ERROR_GENERIC:
    case FZ_ERROR_SYNTAX:
    case FZ_ERROR_MINOR:
    case FZ_ERROR_TRYLATER:
    case FZ_ERROR_REPAIRED:
        return VQ_DAMAGED_FILE;
    case 0:
        return VQ_FAIL;
    default:
        return code;
    }
}

int vq_map_save_error(int code)
{
    switch (code)
    {
    case FZ_ERROR_GENERIC:
        return VQ_PDF_ERROR_GENERIC;
    case VQ_EXC_OUTPUT_OPEN:
        return VQ_FILE_IS_BUSY;
    case 0:
        return VQ_PDF_ERROR_GENERIC;
    default:
        return code;
    }
}

/* Moves a point or rectangle through m in place; NULL stays NULL. */
static vq_point* point_through(vq_point* point, fz_matrix m)
{
    if (!point)
        return point;
    fz_point p = fz_transform_point(fz_make_point(point->x, point->y), m);
    point->x = p.x;
    point->y = p.y;
    return point;
}

static vq_rect* rect_through(vq_rect* rect, fz_matrix m)
{
    if (!rect)
        return rect;
    fz_rect r = fz_transform_rect(fz_make_rect(rect->x0, rect->y0, rect->x1, rect->y1), m);
    rect->x0 = r.x0;
    rect->y0 = r.y0;
    rect->x1 = r.x1;
    rect->y1 = r.y1;
    return rect;
}

VQ_API vq_point* vq_transform_point(vq_point* point, float zoom, float rotate)
{
    return point_through(point, vq_view_matrix(zoom, rotate));
}

VQ_API vq_rect* vq_transform_rect(vq_rect* rect, float zoom, float rotate)
{
    return rect_through(rect, vq_view_matrix(zoom, rotate));
}

VQ_API vq_point* vq_invert_point(vq_point* point, float zoom, float rotate)
{
    return point_through(point, fz_invert_matrix(vq_view_matrix(zoom, rotate)));
}

VQ_API vq_rect* vq_invert_rect(vq_rect* rect, float zoom, float rotate)
{
    return rect_through(rect, fz_invert_matrix(vq_view_matrix(zoom, rotate)));
}

VQ_API size_t vq_buffer_storage(vq_document* doc, vq_buffer* buffer, char** data)
{
    fz_buffer* b = (fz_buffer*)buffer;
    if (data)
        *data = NULL;
    if (!b)
        return 0;
    if (doc)
        vq_doc_lock(doc);
    if (data)
        *data = (char*)b->data;
    size_t len = b->len;
    if (doc)
        vq_doc_unlock(doc);
    return len;
}

VQ_API void vq_buffer_drop(vq_document* doc, vq_buffer* buffer)
{
    fz_buffer* b = (fz_buffer*)buffer;
    if (!doc || !b)
        return;
    vq_doc_lock(doc);
    /* The result of an incremental save into memory is the document's own buffer: it stays
       with the document whatever the caller does. */
    if (b != doc->filebuf)
        fz_drop_buffer(doc->ctx, b);
    vq_doc_unlock(doc);
}
