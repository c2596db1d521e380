/*
 * Page stamping, blank documents and merged documents.
 *
 * A blank or merged document is built in a scratch library context, written out, and opened
 * from those bytes like any document held in memory, so it can be saved in full or
 * incrementally like every other document. It starts with unsaved changes.
 */
#include "annot-internal.h"
#include "pdf-stamp.h"
#include "vq-pdf-testing.h"

#include <math.h>
#include <string.h>

/* Side of a picture stamp, in points. */
#define VQ_STAMP_SIZE 113.0f

/* The page's drawing and text must be recorded afresh after its content changed. */
static void content_changed(struct document* d, struct page_t* pg)
{
    fz_context* ctx = d->ctx;
    vq_page_drop_list(d, pg, 0);
    fz_drop_stext_page(ctx, pg->text_page);
    pg->text_page = NULL;
}

/* Runs stamp on the library page behind page, holding the document lock; the page's drawing
   and text are recorded afresh after it. A failure leaves a warning naming what was stamped. */
static int stamp_page(struct document* d, vq_page* page, void (*stamp)(struct document*, pdf_page*, void*), void* arg,
                      const char* what)
{
    vq_doc_lock(d);
    int code = VQ_FAIL;
    pdf_page* pp = vq_pdf_page_of(d, page);
    if (pp)
    {
        fz_context* ctx = d->ctx;
        fz_try(ctx)
        {
            stamp(d, pp, arg);
            code = VQ_OK;
        }
        fz_catch(ctx)
        {
            fz_warn(ctx, "%s: %s", what, fz_caught_message(ctx));
            code = VQ_FAIL;
        }
        content_changed(d, page);
    }
    vq_doc_unlock(d);
    return code;
}

static int finite_point(const vq_point* p)
{
    return p && isfinite(p->x) && isfinite(p->y);
}

struct picture_stamp
{
    fz_point at;
    const unsigned char* data;
    size_t len;
    const char* path;
};

static void add_picture(struct document* d, pdf_page* pp, void* arg)
{
    struct picture_stamp* p = arg;
    if (p->path)
        pdf_page_add_image_form_file(d->ctx, pp, p->at, p->path, VQ_STAMP_SIZE, VQ_STAMP_SIZE);
    else
        pdf_page_add_image_form_data(d->ctx, pp, p->at, p->data, p->len, VQ_STAMP_SIZE, VQ_STAMP_SIZE);
}

VQ_API int vq_page_add_image_data(vq_document* d, vq_page* page, vq_point* pto, unsigned char* data, int len)
{
    if (!d || !finite_point(pto) || !data || len <= 0)
        return VQ_FAIL;
    struct picture_stamp p = {fz_make_point(pto->x, pto->y), data, (size_t)len, NULL};
    return stamp_page(d, page, add_picture, &p, "picture stamp");
}

VQ_API int vq_page_add_image_file(vq_document* d, vq_page* page, vq_point* pto, const char* path)
{
    if (!d || !finite_point(pto) || !path)
        return VQ_FAIL;
    struct picture_stamp p = {fz_make_point(pto->x, pto->y), NULL, 0, path};
    return stamp_page(d, page, add_picture, &p, "picture stamp");
}

struct path_stamp
{
    const vq_point* pts;
    const int* counts;
    int ncount;
    fz_point at;
    float thickness;
    const float* color;
};

static void add_path(struct document* d, pdf_page* pp, void* arg)
{
    struct path_stamp* p = arg;
    float rgb[3] = {fz_clamp(p->color[0], 0, 1), fz_clamp(p->color[1], 0, 1), fz_clamp(p->color[2], 0, 1)};
    pdf_page_add_path(d->ctx, pp, (const fz_point*)p->pts, p->counts, p->ncount, p->at, p->thickness, rgb);
}

VQ_API int vq_page_add_path(vq_document* d, vq_page* page, vq_point* pts, int* counts, int ncount, vq_point* pto,
                            float* color, float thickness)
{
    if (!d || !pts || !counts || ncount < 1 || !finite_point(pto) || !color || !isfinite(thickness) || thickness < 0)
        return VQ_FAIL;
    long total = vq_count_total(counts, ncount);
    if (total < 0)
        return VQ_FAIL;
    for (long k = 0; k < total; k++)
        if (!finite_point(&pts[k]))
            return VQ_FAIL;
    if (total == 0 || !isfinite(color[0]) || !isfinite(color[1]) || !isfinite(color[2]))
        return VQ_FAIL;
    struct path_stamp p = {pts, counts, ncount, fz_make_point(pto->x, pto->y), thickness, color};
    return stamp_page(d, page, add_path, &p, "ink path");
}

#ifdef VQ_TEST_HOOKS
/* Test seams: watermarks written as the library-level operations do; built only for the tests. */
struct text_watermark
{
    int position;
    const float* style;
    const char* text;
    float fontsize;
    float angle;
};

static void add_text_watermark(struct document* d, pdf_page* pp, void* arg)
{
    struct text_watermark* t = arg;
    pdf_page_add_watermark_text(d->ctx, pp, t->position, t->style, t->text, t->fontsize, t->angle);
}

VQ_API int vq_test_page_add_watermark_text(vq_document* d, vq_page* page, int position, const float* style,
                                           const char* text, float fontsize, float angle)
{
    if (!d || !style || !text || !isfinite(fontsize) || !isfinite(angle))
        return VQ_FAIL;
    struct text_watermark t = {position, style, text, fontsize, angle};
    return stamp_page(d, page, add_text_watermark, &t, "text watermark");
}

struct picture_watermark
{
    const unsigned char* data;
    size_t len;
    float w, h;
    int prepared;
};

static void add_picture_watermark(struct document* d, pdf_page* pp, void* arg)
{
    fz_context* ctx = d->ctx;
    struct picture_watermark* m = arg;
    if (!m->prepared)
    {
        pdf_page_add_watermark_image_data(ctx, pp, m->data, m->len, m->w, m->h);
        return;
    }
    pdf_obj* form = pdf_create_image_frm(ctx, vq_pdf(d), m->data, m->len, m->w, m->h);
    fz_try(ctx)
        pdf_add_image_watermark_from_frm(ctx, pp, form, m->w, m->h);
    fz_always(ctx)
        pdf_drop_obj(ctx, form);
    fz_catch(ctx)
        fz_rethrow(ctx);
}

VQ_API int vq_test_page_add_watermark_image(vq_document* d, vq_page* page, const unsigned char* data, int len,
                                            float w, float h, int prepared)
{
    if (!d || !data || len <= 0 || !isfinite(w) || !isfinite(h) || w <= 0 || h <= 0)
        return VQ_FAIL;
    struct picture_watermark m = {data, (size_t)len, w, h, prepared};
    return stamp_page(d, page, add_picture_watermark, &m, "picture watermark");
}

#endif /* VQ_TEST_HOOKS */

/* ---- new documents ---------------------------------------------------------------------- */

/* Writes a document built in ctx and opens those bytes as an engine document with unsaved
   changes. Returns NULL on failure. */
static void mark_changed(vq_document* d);

static vq_document* open_built(fz_context* ctx, pdf_document* built)
{
    fz_buffer* buf = NULL;
    fz_output* out = NULL;
    int ok = 1;
    fz_var(buf);
    fz_var(out);
    fz_var(ok);
    fz_try(ctx)
    {
        buf = fz_new_buffer(ctx, 4096);
        out = fz_new_output_with_buffer(ctx, buf);
        pdf_write_options opts = pdf_default_write_options;
        opts.do_garbage = 1;
        pdf_write_document(ctx, built, out, &opts);
        fz_close_output(ctx, out);
    }
    fz_always(ctx)
        fz_drop_output(ctx, out);
    fz_catch(ctx)
        ok = 0;
    vq_document* d = NULL;
    if (ok)
    {
        int code = 0;
        d = vq_document_open_stream(buf->data, (unsigned int)buf->len, &code);
    }
    fz_drop_buffer(ctx, buf);
    if (d)
        mark_changed(d);
    return d;
}

/* A new document is unsaved until it is written somewhere. */
static void mark_changed(vq_document* d)
{
    vq_doc_lock(d);
    fz_try(d->ctx)
    {
        pdf_document* pdf = vq_pdf(d);
        pdf_obj* root = pdf_dict_get(d->ctx, pdf_trailer(d->ctx, pdf), PDF_NAME(Root));
        pdf_dict_put(d->ctx, root, PDF_NAME(Type), PDF_NAME(Catalog));
    }
    fz_catch(d->ctx)
        fz_warn(d->ctx, "cannot mark new document as changed");
    vq_doc_unlock(d);
}

VQ_API vq_document* vq_document_new_blank(void)
{
    fz_context* ctx = fz_new_context(NULL, NULL, VQ_STORE_LIMIT);
    if (!ctx)
        return NULL;
    pdf_document* doc = NULL;
    fz_var(doc);
    fz_try(ctx)
        doc = pdf_create_blank_document(ctx, fz_make_rect(0, 0, 595, 842));
    fz_catch(ctx)
        doc = NULL;
    vq_document* d = doc ? open_built(ctx, doc) : NULL;
    pdf_drop_document(ctx, doc);
    fz_drop_context(ctx);
    return d;
}

static int merge_one(fz_context* ctx, pdf_document* dst, pdf_document* src, int from, int to)
{
    int ok = 1;
    fz_try(ctx)
        pdf_document_merge(ctx, dst, 0, -1, src, from, to);
    fz_catch(ctx)
    {
        fz_warn(ctx, "merge: %s", fz_caught_message(ctx));
        ok = 0;
    }
    return ok;
}

VQ_API vq_document* vq_document_merge(vq_document** source, const int* sourcefrom, const int* sourceto, int n)
{
    if (!source || !sourcefrom || !sourceto || n < 1)
        return NULL;
    for (int i = 0; i < n; i++)
        if (!source[i] || !vq_pdf(source[i]))
            return NULL;
    fz_context* ctx = fz_new_context(NULL, NULL, VQ_STORE_LIMIT);
    if (!ctx)
        return NULL;
    pdf_document* dst = NULL;
    int ok = 1;
    fz_var(dst);
    fz_var(ok);
    fz_try(ctx)
        dst = pdf_create_document(ctx);
    fz_catch(ctx)
        ok = 0;
    for (int i = 0; ok && i < n; i++)
    {
        struct document* src = source[i];
        /* The source's own lock keeps every other user of it out while its objects are
           copied; its library context is not used here. */
        vq_doc_lock(src);
        ok = merge_one(ctx, dst, vq_pdf(src), sourcefrom[i], sourceto[i]);
        vq_doc_unlock(src);
    }
    vq_document* d = ok ? open_built(ctx, dst) : NULL;
    pdf_drop_document(ctx, dst);
    fz_drop_context(ctx);
    return d;
}
