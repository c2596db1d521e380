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

int vq_is_result_code(int code)
{
    switch (code)
    {
    case VQ_OK:
    case VQ_FAIL:
    case VQ_NOFOUND_FILE:
    case VQ_NOSUPPORT_FILE:
    case VQ_DAMAGED_FILE:
    case VQ_FILE_IS_BUSY:
    case VQ_SIGNATURE_ERROR:
    case VQ_SAVE_FILE_FAIL:
    case VQ_FILE_CHANGED:
    case VQ_PDF_ERROR_GENERIC:
    case VQ_SET_SIGNATURE_VALUE_ERROR:
    case VQ_NEED_PASSWORD:
    case VQ_CRYPTED:
    case VQ_REPAIR_ATTEMPTED:
    case VQ_TOKEN_ERROR1:
    case VQ_TOKEN_ERROR2:
    case VQ_TOKEN_ERROR3:
        return 1;
    default:
        return (code >= VQ_GET_SM2_CERT_ERROR && code <= VQ_CREATE_TIMESTAME_ERROR) ||
               (code >= VQ_HTTP_REQUEST_DATA_IS_NULL && code <= VQ_P7ADDSIGNERINFO_ERROR) ||
               (code >= VQ_MKCERT_TIMEERROR && code <= VQ_VERIFY_SM2_ERROR);
    }
}

int vq_map_open_error(int code)
{
    switch (code)
    {
    case VQ_EXC_OPEN_FILE:
        return VQ_NOFOUND_FILE;
    case VQ_EXC_NOT_PDF:
        return VQ_NOSUPPORT_FILE;
    case VQ_EXC_NO_STARTXREF:
        return VQ_EXC_NO_STARTXREF;
    case FZ_ERROR_MEMORY:
        return VQ_FAIL;
    default:
        /* Whatever else the library raised while reading: the file cannot be read. */
        return VQ_DAMAGED_FILE;
    }
}

int vq_map_save_error(int code)
{
    switch (code)
    {
    case VQ_EXC_OUTPUT_OPEN:
        return VQ_FILE_IS_BUSY;
    case FZ_ERROR_MEMORY:
        return VQ_FAIL;
    case FZ_ERROR_SYNTAX:
    case FZ_ERROR_REPAIRED:
        /* An object of the document could not be read while it was written. */
        return VQ_DAMAGED_FILE;
    default:
        /* The library's own codes (generic, try later, abort...) and anything else it raised
           are not the interface's: they are reported as the library's generic failure. */
        return code > FZ_ERROR_COUNT && vq_is_result_code(code) ? code : VQ_PDF_ERROR_GENERIC;
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
