/*
 * Annotations: creation, iteration, geometry in page space, style, ink strokes, quadrilaterals
 * and the document focus.
 *
 * Geometry crosses the interface in page space; /Rect, /QuadPoints and /InkList are stored in
 * PDF user space through the inverse of the page transform. Every handle given to an operation
 * is first looked up in the document's handle table (source/handle.c), so a handle of a page
 * that was updated since (or of a deleted annotation) is refused with a code instead of being
 * read.
 */
#include "annot-internal.h"
#include "vq-appearance.h"

#include <math.h>
#include <stdlib.h>
#include <string.h>

/* ---- handles ---------------------------------------------------------------------------- */

struct page_t* vq_page_checked(struct document* d, vq_page* page)
{
    if (!d || !page || !d->pages)
        return NULL;
    for (int i = 0; i < d->page_slots; i++)
        if (d->pages[i] == page)
            return page;
    return NULL;
}

pdf_page* vq_pdf_page_of(struct document* d, vq_page* page)
{
    struct page_t* pg = vq_page_checked(d, page);
    if (!pg || !d->doc || vq_page_ensure_loaded(d, pg) != 0)
        return NULL;
    return pdf_page_from_fz_page(d->ctx, pg->page);
}

int vq_page_holds(fz_context* ctx, pdf_page* pp, const pdf_annot* annot)
{
    if (!pp)
        return 0;
    for (pdf_annot* a = pdf_first_annot(ctx, pp); a; a = pdf_next_annot(ctx, a))
        if (a == annot)
            return 1;
    for (pdf_annot* a = pdf_first_widget(ctx, pp); a; a = pdf_next_widget(ctx, a))
        if (a == annot)
            return 1;
    return 0;
}

pdf_annot* vq_widget_checked(struct document* d, const void* handle, struct page_t** owner)
{
    pdf_annot* a = vq_annot_checked(d, handle, owner);
    if (!a)
        return NULL;
    int is_widget = 0;
    fz_try(d->ctx)
        is_widget = pdf_annot_type(d->ctx, a) == PDF_ANNOT_WIDGET;
    fz_catch(d->ctx)
        is_widget = 0;
    return is_widget ? a : NULL;
}

int vq_annot_locked(struct document* d, const void* handle, int widgets_only, vq_annot_op op, void* arg)
{
    if (!d)
        return VQ_ANNOT_MISSING;
    vq_doc_lock(d);
    int status = VQ_ANNOT_MISSING;
    pdf_annot* a = widgets_only ? vq_widget_checked(d, handle, NULL) : vq_annot_checked(d, handle, NULL);
    if (a)
    {
        fz_try(d->ctx)
        {
            op(d, a, arg);
            status = VQ_ANNOT_DONE;
        }
        fz_catch(d->ctx)
            status = VQ_ANNOT_THREW;
    }
    vq_doc_unlock(d);
    return status;
}

struct int_read
{
    int (*read)(fz_context* ctx, pdf_annot* annot);
    int value;
};

static void run_int_read(struct document* d, pdf_annot* a, void* arg)
{
    struct int_read* r = arg;
    r->value = r->read(d->ctx, a);
}

int vq_annot_read_int(struct document* d, const void* handle, int widgets_only,
                      int (*read)(fz_context* ctx, pdf_annot* annot), int fallback)
{
    struct int_read r = {read, fallback};
    return vq_annot_locked(d, handle, widgets_only, run_int_read, &r) == VQ_ANNOT_DONE ? r.value : fallback;
}

fz_matrix vq_annot_page_ctm(fz_context* ctx, pdf_annot* annot)
{
    fz_matrix ctm = fz_identity;
    pdf_page_transform(ctx, pdf_annot_page(ctx, annot), NULL, &ctm);
    return ctm;
}

void vq_annot_refresh(struct document* d, pdf_annot* annot)
{
    fz_context* ctx = d->ctx;
    fz_try(ctx)
        vq_annot_regenerate_appearance(ctx, vq_pdf(d), annot);
    fz_catch(ctx)
        fz_warn(ctx, "could not update appearance for annotation: %s", fz_caught_message(ctx));
}

/* Library annotation type <-> engine annotation type (the library has Redact and RichMedia
   that the engine's numbering lacks). */
static int to_engine_type(enum pdf_annot_type t)
{
    if (t >= PDF_ANNOT_TEXT && t <= PDF_ANNOT_STRIKE_OUT)
        return (int)t;
    switch (t)
    {
    case PDF_ANNOT_STAMP: return VQ_ANNOT_STAMP;
    case PDF_ANNOT_CARET: return VQ_ANNOT_CARET;
    case PDF_ANNOT_INK: return VQ_ANNOT_INK;
    case PDF_ANNOT_POPUP: return VQ_ANNOT_POPUP;
    case PDF_ANNOT_FILE_ATTACHMENT: return VQ_ANNOT_FILEATTACHMENT;
    case PDF_ANNOT_SOUND: return VQ_ANNOT_SOUND;
    case PDF_ANNOT_MOVIE: return VQ_ANNOT_MOVIE;
    case PDF_ANNOT_WIDGET: return VQ_ANNOT_WIDGET;
    case PDF_ANNOT_SCREEN: return VQ_ANNOT_SCREEN;
    case PDF_ANNOT_PRINTER_MARK: return VQ_ANNOT_PRINTERMARK;
    case PDF_ANNOT_TRAP_NET: return VQ_ANNOT_TRAPNET;
    case PDF_ANNOT_WATERMARK: return VQ_ANNOT_WATERMARK;
    case PDF_ANNOT_3D: return VQ_ANNOT_3D;
    default: return -1;
    }
}

static enum pdf_annot_type to_library_type(int t)
{
    if (t >= VQ_ANNOT_TEXT && t <= VQ_ANNOT_STRIKEOUT)
        return (enum pdf_annot_type)t;
    switch (t)
    {
    case VQ_ANNOT_STAMP: return PDF_ANNOT_STAMP;
    case VQ_ANNOT_CARET: return PDF_ANNOT_CARET;
    case VQ_ANNOT_INK: return PDF_ANNOT_INK;
    case VQ_ANNOT_POPUP: return PDF_ANNOT_POPUP;
    case VQ_ANNOT_FILEATTACHMENT: return PDF_ANNOT_FILE_ATTACHMENT;
    case VQ_ANNOT_SOUND: return PDF_ANNOT_SOUND;
    case VQ_ANNOT_MOVIE: return PDF_ANNOT_MOVIE;
    case VQ_ANNOT_WIDGET: return PDF_ANNOT_WIDGET;
    case VQ_ANNOT_SCREEN: return PDF_ANNOT_SCREEN;
    case VQ_ANNOT_PRINTERMARK: return PDF_ANNOT_PRINTER_MARK;
    case VQ_ANNOT_TRAPNET: return PDF_ANNOT_TRAP_NET;
    case VQ_ANNOT_WATERMARK: return PDF_ANNOT_WATERMARK;
    case VQ_ANNOT_3D: return PDF_ANNOT_3D;
    default: return PDF_ANNOT_UNKNOWN;
    }
}

/* Engine type of an annotation, -1 outside vq_annot_type. */
int vq_annot_engine_type(fz_context* ctx, pdf_annot* annot)
{
    return to_engine_type(pdf_annot_type(ctx, annot));
}

/* ---- creation and iteration ------------------------------------------------------------- */

VQ_API vq_annot* vq_page_add_annot(vq_document* d, vq_page* page, vq_annot_type type)
{
    if (!d)
        return NULL;
    vq_doc_lock(d);
    pdf_annot* made = NULL;
    vq_annot* handle = NULL;
    pdf_page* pp = vq_pdf_page_of(d, page);
    enum pdf_annot_type lt = to_library_type((int)type);
    /* Links, pop-ups and widgets are not made here (widgets: vq_page_add_field). */
    if (pp && lt != PDF_ANNOT_UNKNOWN && lt != PDF_ANNOT_LINK && lt != PDF_ANNOT_POPUP && lt != PDF_ANNOT_WIDGET)
    {
        fz_context* ctx = d->ctx;
        fz_try(ctx)
        {
            made = pdf_create_annot(ctx, pp, lt);
            pdf_drop_annot(ctx, made); /* the page keeps its own reference */
        }
        fz_catch(ctx)
        {
            fz_warn(ctx, "cannot create annotation: %s", fz_caught_message(ctx));
            made = NULL;
        }
        handle = vq_handle_of(d, vq_page_checked(d, page), made);
    }
    vq_doc_unlock(d);
    return handle;
}

/* The loaded annotation (or widget) of the page whose object is item. */
static pdf_annot* annot_for_object(fz_context* ctx, pdf_page* pp, pdf_obj* item)
{
    for (int pass = 0; pass < 2; pass++)
    {
        pdf_annot* a = pass == 0 ? pdf_first_annot(ctx, pp) : pdf_first_widget(ctx, pp);
        for (; a; a = pass == 0 ? pdf_next_annot(ctx, a) : pdf_next_widget(ctx, a))
        {
            pdf_obj* obj = pdf_annot_obj(ctx, a);
            if (obj == item || (pdf_is_indirect(ctx, item) && pdf_is_indirect(ctx, obj) &&
                                pdf_to_num(ctx, obj) == pdf_to_num(ctx, item)))
                return a;
        }
    }
    return NULL;
}

/* The first annotation at or after position i of /Annots (widgets only when widgets_only). An
   entry that repeats an earlier one is the annotation met there already: skipped, or the
   iteration (which goes on from an annotation's first position) would never end. */
static pdf_annot* annot_from_index(fz_context* ctx, pdf_page* pp, int i, int widgets_only)
{
    pdf_obj* annots = pdf_dict_get(ctx, pp->obj, PDF_NAME(Annots));
    int n = pdf_array_len(ctx, annots);
    for (; i < n; i++)
    {
        if (vq_annots_entry_repeats(ctx, annots, i))
            continue;
        pdf_annot* a = annot_for_object(ctx, pp, pdf_array_get(ctx, annots, i));
        if (a && (!widgets_only || pdf_annot_type(ctx, a) == PDF_ANNOT_WIDGET))
            return a;
    }
    return NULL;
}

/* Position of an annotation in its page's /Annots, -1 when absent. */
static int annot_index(fz_context* ctx, pdf_page* pp, pdf_annot* annot)
{
    pdf_obj* annots = pdf_dict_get(ctx, pp->obj, PDF_NAME(Annots));
    pdf_obj* obj = pdf_annot_obj(ctx, annot);
    int n = pdf_array_len(ctx, annots);
    for (int i = 0; i < n; i++)
    {
        pdf_obj* item = pdf_array_get(ctx, annots, i);
        if (item == obj || (pdf_is_indirect(ctx, item) && pdf_to_num(ctx, item) == pdf_to_num(ctx, obj) &&
                            pdf_to_num(ctx, obj) != 0))
            return i;
    }
    return -1;
}

static pdf_annot* vq_iter_first(struct document* d, vq_page* page, int widgets_only)
{
    pdf_page* pp = vq_pdf_page_of(d, page);
    pdf_annot* a = NULL;
    if (!pp)
        return NULL;
    fz_try(d->ctx)
        a = annot_from_index(d->ctx, pp, 0, widgets_only);
    fz_catch(d->ctx)
        a = NULL;
    return a;
}

static pdf_annot* vq_iter_next(struct document* d, const void* handle, int widgets_only)
{
    struct page_t* owner = NULL;
    pdf_annot* cur = vq_annot_checked(d, handle, &owner);
    pdf_annot* a = NULL;
    if (!cur)
        return NULL;
    fz_context* ctx = d->ctx;
    fz_try(ctx)
    {
        pdf_page* pp = pdf_annot_page(ctx, cur);
        int i = annot_index(ctx, pp, cur);
        a = i < 0 ? NULL : annot_from_index(ctx, pp, i + 1, widgets_only);
    }
    fz_catch(ctx)
        a = NULL;
    return a;
}

vq_annot* vq_iter_locked(struct document* d, const void* from, int first, int widgets_only)
{
    if (!d)
        return NULL;
    vq_doc_lock(d);
    struct page_t* owner = NULL;
    pdf_annot* a = NULL;
    if (first)
    {
        owner = vq_page_checked(d, (vq_page*)from);
        a = vq_iter_first(d, (vq_page*)from, widgets_only);
    }
    else if (vq_annot_checked(d, from, &owner))
        a = vq_iter_next(d, from, widgets_only);
    vq_annot* handle = vq_handle_of(d, owner, a);
    vq_doc_unlock(d);
    return handle;
}

VQ_API vq_annot* vq_annot_first(vq_document* d, vq_page* page)
{
    return vq_iter_locked(d, page, 1, 0);
}

VQ_API vq_annot* vq_annot_next(vq_document* d, vq_annot* annot)
{
    return vq_iter_locked(d, annot, 0, 0);
}

VQ_API int vq_annot_delete(vq_document* d, vq_annot* annot)
{
    if (!d)
        return VQ_FAIL;
    vq_doc_lock(d);
    int code = VQ_FAIL;
    struct page_t* owner = NULL;
    pdf_annot* a = vq_annot_checked(d, annot, &owner);
    if (a)
    {
        fz_context* ctx = d->ctx;
        pdf_page* pp = pdf_annot_page(ctx, a);
        fz_try(ctx)
        {
            if (d->focus_annot == annot)
            {
                d->focus_annot = NULL;
                d->focus_num = 0;
            }
            pdf_delete_annot(ctx, pp, a);
            /* The annotation list is drawn from the page's recording: record it afresh. */
            vq_page_drop_list(d, owner, 1);
            fz_drop_stext_page(ctx, owner->text_page);
            owner->text_page = NULL;
            code = VQ_OK;
        }
        fz_catch(ctx)
            code = VQ_FAIL;
        /* Gone from its page: its handle ends (only the address is compared, never read). */
        if (!vq_page_holds(ctx, pp, a))
            vq_handles_forget_annot(d, a);
    }
    vq_doc_unlock(d);
    return code;
}

/* ---- common shape of the operations ----------------------------------------------------- */

#define ANNOT_BEGIN(d, handle)                          \
    if (!(d))                                           \
        return VQ_FAIL;                                 \
    vq_doc_lock(d);                                     \
    int code = VQ_FAIL;                                 \
    fz_context* ctx = (d)->ctx;                         \
    pdf_annot* a = vq_annot_checked((d), (handle), NULL); \
    if (a)                                              \
    {                                                   \
        fz_try(ctx)                                     \
        {

#define ANNOT_END(d)                                    \
            code = VQ_OK;                               \
        }                                               \
        fz_catch(ctx)                                   \
        {                                               \
            fz_warn(ctx, "%s", fz_caught_message(ctx)); \
            code = VQ_FAIL;                             \
        }                                               \
        if (code == VQ_OK)                              \
            vq_annot_refresh((d), a);                   \
    }                                                   \
    vq_doc_unlock(d);                                   \
    return code;

static int valid_float(float f)
{
    return isfinite(f);
}

static int valid_rect(vq_rect r)
{
    return valid_float(r.x0) && valid_float(r.y0) && valid_float(r.x1) && valid_float(r.y1);
}

/* ---- geometry --------------------------------------------------------------------------- */

VQ_API int vq_annot_get_type(vq_document* d, vq_annot* annot)
{
    return vq_annot_read_int(d, annot, 0, vq_annot_engine_type, -1);
}

static void rect_of(struct document* d, pdf_annot* a, void* arg)
{
    fz_rect r = pdf_bound_annot(d->ctx, a);
    if (!fz_is_empty_rect(r))
    {
        vq_rect* out = arg;
        out->x0 = r.x0;
        out->y0 = r.y0;
        out->x1 = r.x1;
        out->y1 = r.y1;
    }
}

VQ_API vq_rect vq_annot_get_rect(vq_document* d, vq_annot* annot)
{
    vq_rect out = {0, 0, 0, 0};
    vq_annot_locked(d, annot, 0, rect_of, &out);
    return out;
}

/* Moves every point of /InkList by (dx, dy) in PDF user space. */
static void translate_ink(fz_context* ctx, pdf_annot* a, float dx, float dy)
{
    pdf_obj* ink = pdf_dict_get(ctx, pdf_annot_obj(ctx, a), PDF_NAME(InkList));
    int ns = pdf_array_len(ctx, ink);
    for (int i = 0; i < ns; i++)
    {
        pdf_obj* stroke = pdf_array_get(ctx, ink, i);
        int n = pdf_array_len(ctx, stroke) / 2;
        for (int k = 0; k < n; k++)
        {
            float x = pdf_array_get_real(ctx, stroke, 2 * k);
            float y = pdf_array_get_real(ctx, stroke, 2 * k + 1);
            pdf_array_put_drop(ctx, stroke, 2 * k, pdf_new_real(ctx, x + dx));
            pdf_array_put_drop(ctx, stroke, 2 * k + 1, pdf_new_real(ctx, y + dy));
        }
    }
}

/* Stores a page-space rectangle as /Rect; moves ink strokes along when ink_follows. */
static void put_rect(fz_context* ctx, pdf_annot* a, fz_rect pr, int ink_follows)
{
    fz_matrix inv = fz_invert_matrix(vq_annot_page_ctm(ctx, a));
    fz_rect r = fz_transform_rect(pr, inv);
    pdf_obj* obj = pdf_annot_obj(ctx, a);
    if (ink_follows && pdf_annot_type(ctx, a) == PDF_ANNOT_INK)
    {
        fz_rect old = pdf_dict_get_rect(ctx, obj, PDF_NAME(Rect));
        translate_ink(ctx, a, r.x0 - old.x0, r.y0 - old.y0);
    }
    pdf_dict_put_rect(ctx, obj, PDF_NAME(Rect), r);
    pdf_dirty_annot(ctx, a);
}

VQ_API int vq_annot_set_rect(vq_document* d, vq_annot* annot, vq_rect rect)
{
    if (!valid_rect(rect))
        return VQ_FAIL;
    ANNOT_BEGIN(d, annot)
    put_rect(ctx, a, fz_make_rect(rect.x0, rect.y0, rect.x1, rect.y1), 1);
    ANNOT_END(d)
}

VQ_API int vq_annot_set_postion(vq_document* d, vq_annot* annot, vq_point pt)
{
    if (!valid_float(pt.x) || !valid_float(pt.y))
        return VQ_FAIL;
    ANNOT_BEGIN(d, annot)
    fz_rect b = pdf_bound_annot(ctx, a);
    put_rect(ctx, a, fz_make_rect(pt.x, pt.y, pt.x + (b.x1 - b.x0), pt.y + (b.y1 - b.y0)), 0);
    ANNOT_END(d)
}

VQ_API int vq_annot_squre_circle_set_points(vq_document* d, vq_annot* annot, vq_point begin, vq_point end)
{
    vq_rect r = {begin.x, begin.y, end.x, end.y};
    return vq_annot_set_rect(d, annot, r);
}

/* ---- quadrilaterals --------------------------------------------------------------------- */

static void require_quads(fz_context* ctx, pdf_annot* a)
{
    if (!pdf_annot_has_quad_points(ctx, a))
        fz_throw(ctx, FZ_ERROR_GENERIC, "%s annotations have no QuadPoints property",
                 pdf_to_name(ctx, pdf_dict_get(ctx, pdf_annot_obj(ctx, a), PDF_NAME(Subtype))));
}

VQ_API int vq_annot_set_quadpoints(vq_document* d, vq_annot* annot, vq_rect* rects, int n)
{
    if (n < 1 || !rects)
        return VQ_FAIL;
    for (int i = 0; i < n; i++)
        if (!valid_rect(rects[i]))
            return VQ_FAIL;
    ANNOT_BEGIN(d, annot)
    require_quads(ctx, a);
    fz_matrix inv = fz_invert_matrix(vq_annot_page_ctm(ctx, a));
    pdf_obj* arr = pdf_new_array(ctx, vq_pdf(d), 8 * n);
    fz_try(ctx)
    {
        for (int i = 0; i < n; i++)
        {
            const vq_rect* r = &rects[i];
            fz_point p[4] = {{r->x0, r->y0}, {r->x1, r->y0}, {r->x0, r->y1}, {r->x1, r->y1}};
            for (int k = 0; k < 4; k++)
            {
                fz_point q = fz_transform_point(p[k], inv);
                pdf_array_push_real(ctx, arr, q.x);
                pdf_array_push_real(ctx, arr, q.y);
            }
        }
        pdf_dict_put(ctx, pdf_annot_obj(ctx, a), PDF_NAME(QuadPoints), arr);
    }
    fz_always(ctx)
        pdf_drop_obj(ctx, arr);
    fz_catch(ctx)
        fz_rethrow(ctx);
    pdf_dirty_annot(ctx, a);
    ANNOT_END(d)
}

static int quad_count(fz_context* ctx, pdf_annot* a)
{
    pdf_obj* qp = pdf_dict_get(ctx, pdf_annot_obj(ctx, a), PDF_NAME(QuadPoints));
    return pdf_array_len(ctx, qp) / 8;
}

VQ_API int vq_annot_quadpoint_count(vq_document* d, vq_annot* annot)
{
    return vq_annot_read_int(d, annot, 0, quad_count, 0);
}

/* Quadrilateral i of an annotation as its four points in page space. */
static void read_quad(fz_context* ctx, pdf_annot* a, int i, fz_matrix ctm, fz_point p[4])
{
    pdf_obj* qp = pdf_dict_get(ctx, pdf_annot_obj(ctx, a), PDF_NAME(QuadPoints));
    for (int k = 0; k < 4; k++)
    {
        fz_point q = fz_make_point(pdf_array_get_real(ctx, qp, 8 * i + 2 * k),
                                   pdf_array_get_real(ctx, qp, 8 * i + 2 * k + 1));
        p[k] = fz_transform_point(q, ctm);
    }
}

struct quad_read
{
    int idx;
    vq_rect* rect;
};

static void quad_of(struct document* d, pdf_annot* a, void* arg)
{
    fz_context* ctx = d->ctx;
    struct quad_read* q = arg;
    require_quads(ctx, a);
    if (q->idx < 0 || q->idx >= quad_count(ctx, a))
        fz_throw(ctx, FZ_ERROR_GENERIC, "quadrilateral %d out of range", q->idx);
    fz_point p[4];
    read_quad(ctx, a, q->idx, vq_annot_page_ctm(ctx, a), p);
    q->rect->x0 = p[0].x;
    q->rect->y0 = p[0].y;
    q->rect->x1 = p[3].x;
    q->rect->y1 = p[3].y;
}

VQ_API int vq_annot_get_quadpoint(vq_document* d, vq_annot* annot, int idx, vq_rect* rect)
{
    if (!rect)
        return VQ_FAIL;
    struct quad_read q = {idx, rect};
    return vq_annot_locked(d, annot, 0, quad_of, &q) == VQ_ANNOT_DONE ? VQ_OK : VQ_FAIL;
}

int vq_point_in_quads(fz_context* ctx, pdf_annot* a, fz_point pt)
{
    int n = quad_count(ctx, a);
    fz_matrix ctm = vq_annot_page_ctm(ctx, a);
    for (int i = 0; i < n; i++)
    {
        fz_point p[4];
        read_quad(ctx, a, i, ctm, p);
        if (p[0].x <= pt.x && pt.x <= p[3].x && p[0].y <= pt.y && pt.y <= p[3].y)
            return 1;
    }
    return 0;
}

/* ---- ink strokes ------------------------------------------------------------------------ */

static void require_ink(fz_context* ctx, pdf_annot* a)
{
    if (!pdf_annot_has_ink_list(ctx, a))
        fz_throw(ctx, FZ_ERROR_GENERIC, "%s annotations have no InkList property",
                 pdf_to_name(ctx, pdf_dict_get(ctx, pdf_annot_obj(ctx, a), PDF_NAME(Subtype))));
}

/* A stroke of n page-space points as a PDF array in user space. */
static pdf_obj* new_stroke(fz_context* ctx, pdf_document* doc, fz_matrix inv, const vq_point* p, int n)
{
    pdf_obj* stroke = pdf_new_array(ctx, doc, 2 * n);
    fz_try(ctx)
    {
        for (int k = 0; k < n; k++)
        {
            fz_point q = fz_transform_point(fz_make_point(p[k].x, p[k].y), inv);
            pdf_array_push_real(ctx, stroke, q.x);
            pdf_array_push_real(ctx, stroke, q.y);
        }
    }
    fz_catch(ctx)
    {
        pdf_drop_obj(ctx, stroke);
        fz_rethrow(ctx);
    }
    return stroke;
}

long vq_count_total(const int* counts, int n)
{
    long total = 0;
    for (int i = 0; i < n; i++)
    {
        if (counts[i] < 0)
            return -1;
        total += counts[i];
    }
    return total;
}

static int valid_points(const vq_point* p, int n)
{
    for (int k = 0; k < n; k++)
        if (!valid_float(p[k].x) || !valid_float(p[k].y))
            return 0;
    return 1;
}

VQ_API int vq_annot_set_inklist(vq_document* d, vq_annot* annot, const vq_point* pts, const int* counts, int ncount)
{
    if (ncount < 0 || (ncount > 0 && (!pts || !counts)))
        return VQ_FAIL;
    long total = vq_count_total(counts, ncount);
    if (total < 0 || !valid_points(pts, (int)total))
        return VQ_FAIL;
    ANNOT_BEGIN(d, annot)
    require_ink(ctx, a);
    fz_matrix inv = fz_invert_matrix(vq_annot_page_ctm(ctx, a));
    pdf_obj* ink = pdf_new_array(ctx, vq_pdf(d), ncount);
    fz_try(ctx)
    {
        const vq_point* p = pts;
        for (int i = 0; i < ncount; i++)
        {
            pdf_array_push_drop(ctx, ink, new_stroke(ctx, vq_pdf(d), inv, p, counts[i]));
            p += counts[i];
        }
        pdf_dict_put(ctx, pdf_annot_obj(ctx, a), PDF_NAME(InkList), ink);
    }
    fz_always(ctx)
        pdf_drop_obj(ctx, ink);
    fz_catch(ctx)
        fz_rethrow(ctx);
    pdf_dirty_annot(ctx, a);
    ANNOT_END(d)
}

VQ_API int vq_annot_add_inklist(vq_document* d, vq_annot* annot, int n, vq_point* p)
{
    if (n < 1 || !p || !valid_points(p, n))
        return VQ_FAIL;
    ANNOT_BEGIN(d, annot)
    require_ink(ctx, a);
    fz_matrix inv = fz_invert_matrix(vq_annot_page_ctm(ctx, a));
    pdf_obj* obj = pdf_annot_obj(ctx, a);
    pdf_obj* ink = pdf_dict_get(ctx, obj, PDF_NAME(InkList));
    if (!pdf_is_array(ctx, ink))
        ink = pdf_dict_put_array(ctx, obj, PDF_NAME(InkList), 1);
    pdf_array_push_drop(ctx, ink, new_stroke(ctx, vq_pdf(d), inv, p, n));
    pdf_dirty_annot(ctx, a);
    ANNOT_END(d)
}

static int stroke_total(fz_context* ctx, pdf_annot* a)
{
    return pdf_array_len(ctx, pdf_dict_get(ctx, pdf_annot_obj(ctx, a), PDF_NAME(InkList)));
}

VQ_API int vq_annot_get_inklist_count(vq_document* d, vq_annot* annot)
{
    return vq_annot_read_int(d, annot, 0, stroke_total, 0);
}

struct stroke_read
{
    int i;
    int n;
};

static void stroke_points(struct document* d, pdf_annot* a, void* arg)
{
    struct stroke_read* r = arg;
    pdf_obj* ink = pdf_dict_get(d->ctx, pdf_annot_obj(d->ctx, a), PDF_NAME(InkList));
    r->n = pdf_array_len(d->ctx, pdf_array_get(d->ctx, ink, r->i)) / 2;
}

VQ_API int vq_annot_get_inklist_stroke_count(vq_document* d, vq_annot* annot, int i)
{
    struct stroke_read r = {i, 0};
    return vq_annot_locked(d, annot, 0, stroke_points, &r) == VQ_ANNOT_DONE ? r.n : 0;
}

struct ink_read
{
    vq_point* pts;
    int* counts;
    int ncount;
};

static void ink_of(struct document* d, pdf_annot* a, void* arg)
{
    fz_context* ctx = d->ctx;
    struct ink_read* r = arg;
    pdf_obj* ink = pdf_dict_get(ctx, pdf_annot_obj(ctx, a), PDF_NAME(InkList));
    if (!pdf_is_array(ctx, ink))
        fz_throw(ctx, FZ_ERROR_GENERIC, "no ink list");
    fz_matrix ctm = vq_annot_page_ctm(ctx, a);
    int ns = pdf_array_len(ctx, ink);
    vq_point* out = r->pts;
    for (int i = 0; i < r->ncount && i < ns; i++)
    {
        pdf_obj* stroke = pdf_array_get(ctx, ink, i);
        int have = pdf_array_len(ctx, stroke) / 2;
        /* Never more points than the stroke holds: the caller sized pts by counts. */
        int n = r->counts[i] < have ? r->counts[i] : have;
        if (n < 0)
            n = 0;
        for (int k = 0; k < n; k++)
        {
            fz_point q = fz_transform_point(fz_make_point(pdf_array_get_real(ctx, stroke, 2 * k),
                                                          pdf_array_get_real(ctx, stroke, 2 * k + 1)),
                                            ctm);
            out->x = q.x;
            out->y = q.y;
            out++;
        }
        r->counts[i] = n;
    }
}

VQ_API int vq_annot_get_inklist(vq_document* d, vq_annot* annot, vq_point* pts, int* counts, int ncount)
{
    if (!counts || ncount < 1 || !pts)
        return VQ_FAIL;
    struct ink_read r = {pts, counts, ncount};
    return vq_annot_locked(d, annot, 0, ink_of, &r) == VQ_ANNOT_DONE ? VQ_OK : VQ_FAIL;
}

VQ_API int vq_annot_translate_inklist(vq_document* d, vq_annot* annot, vq_point* pts)
{
    if (!pts || !valid_float(pts->x) || !valid_float(pts->y))
        return VQ_FAIL;
    ANNOT_BEGIN(d, annot)
    require_ink(ctx, a);
    /* The offset comes in page orientation: y grows downwards there and upwards in PDF space. */
    pts->y = -pts->y;
    translate_ink(ctx, a, pts->x, pts->y);
    pdf_dirty_annot(ctx, a);
    ANNOT_END(d)
}

int vq_point_near_ink(fz_context* ctx, pdf_annot* a, fz_point pt)
{
    pdf_obj* obj = pdf_annot_obj(ctx, a);
    pdf_obj* ink = pdf_dict_get(ctx, obj, PDF_NAME(InkList));
    fz_point q = fz_transform_point(pt, fz_invert_matrix(vq_annot_page_ctm(ctx, a)));
    int t = (int)pdf_annot_border(ctx, a);
    if (t < 4)
        t = 4;
    int ns = pdf_array_len(ctx, ink);
    for (int i = 0; i < ns; i++)
    {
        pdf_obj* stroke = pdf_array_get(ctx, ink, i);
        int n = pdf_array_len(ctx, stroke) / 2;
        for (int k = 0; k < n; k++)
        {
            float px = pdf_array_get_real(ctx, stroke, 2 * k);
            float py = pdf_array_get_real(ctx, stroke, 2 * k + 1);
            if (fabsf(q.x - px) <= t && fabsf(q.y - py) <= t)
                return 1;
        }
    }
    return 0;
}

/* ---- style ------------------------------------------------------------------------------ */

static void put_rgb(fz_context* ctx, pdf_document* doc, pdf_obj* obj, pdf_obj* key, const float* c)
{
    pdf_obj* arr = pdf_dict_put_array(ctx, obj, key, 3);
    for (int i = 0; i < 3; i++)
        pdf_array_push_real(ctx, arr, fz_clamp(c[i], 0, 1));
    (void)doc;
}

VQ_API int vq_annot_set_color(vq_document* d, vq_annot* annot, float* bcolor)
{
    if (!bcolor || !valid_float(bcolor[0]) || !valid_float(bcolor[1]) || !valid_float(bcolor[2]))
        return VQ_FAIL;
    ANNOT_BEGIN(d, annot)
    put_rgb(ctx, vq_pdf(d), pdf_annot_obj(ctx, a), PDF_NAME(C), bcolor);
    pdf_dirty_annot(ctx, a);
    ANNOT_END(d)
}

struct color_read
{
    float* bcolor;
    int n;
};

static void color_of(struct document* d, pdf_annot* a, void* arg)
{
    fz_context* ctx = d->ctx;
    struct color_read* r = arg;
    float* bcolor = r->bcolor;
    pdf_obj* c = pdf_dict_get(ctx, pdf_annot_obj(ctx, a), PDF_NAME(C));
    int len = pdf_array_len(ctx, c);
    float v[4] = {0, 0, 0, 0};
    for (int i = 0; i < len && i < 4; i++)
        v[i] = pdf_array_get_real(ctx, c, i);
    if (len == 1)
        bcolor[0] = bcolor[1] = bcolor[2] = v[0], r->n = 3;
    else if (len == 3)
        bcolor[0] = v[0], bcolor[1] = v[1], bcolor[2] = v[2], r->n = 3;
    else if (len == 4)
    {
        bcolor[0] = (1 - v[0]) * (1 - v[3]);
        bcolor[1] = (1 - v[1]) * (1 - v[3]);
        bcolor[2] = (1 - v[2]) * (1 - v[3]);
        r->n = 3;
    }
}

VQ_API int vq_annot_get_color(vq_document* d, vq_annot* annot, float* bcolor)
{
    if (!bcolor)
        return 0;
    struct color_read r = {bcolor, 0};
    return vq_annot_locked(d, annot, 0, color_of, &r) == VQ_ANNOT_DONE ? r.n : 0;
}

VQ_API int vq_annot_set_opacity(vq_document* d, vq_annot* annot, float opacity)
{
    if (!valid_float(opacity))
        return VQ_FAIL;
    ANNOT_BEGIN(d, annot)
    pdf_dict_put_real(ctx, pdf_annot_obj(ctx, a), PDF_NAME(CA), fz_clamp(opacity, 0, 1));
    pdf_dirty_annot(ctx, a);
    ANNOT_END(d)
}

static void opacity_of(struct document* d, pdf_annot* a, void* arg)
{
    pdf_obj* ca = pdf_dict_get(d->ctx, pdf_annot_obj(d->ctx, a), PDF_NAME(CA));
    if (pdf_is_number(d->ctx, ca))
        *(float*)arg = pdf_to_real(d->ctx, ca);
}

VQ_API float vq_annot_get_opacity(vq_document* d, vq_annot* annot)
{
    float v = 1;
    return vq_annot_locked(d, annot, 0, opacity_of, &v) == VQ_ANNOT_DONE ? v : 1;
}

VQ_API int vq_annot_set_line_width(vq_document* d, vq_annot* annot, float width)
{
    if (!valid_float(width) || width < 0)
        return VQ_FAIL;
    ANNOT_BEGIN(d, annot)
    pdf_obj* obj = pdf_annot_obj(ctx, a);
    pdf_obj* bs = pdf_dict_get(ctx, obj, PDF_NAME(BS));
    if (!pdf_is_dict(ctx, bs))
        bs = pdf_dict_put_dict(ctx, obj, PDF_NAME(BS), 1);
    pdf_dict_put_real(ctx, bs, PDF_NAME(W), width);
    pdf_dict_del(ctx, obj, PDF_NAME(Border));
    pdf_dirty_annot(ctx, a);
    ANNOT_END(d)
}

static void line_width_of(struct document* d, pdf_annot* a, void* arg)
{
    *(float*)arg = pdf_annot_border(d->ctx, a);
}

VQ_API float vq_annot_get_line_width(vq_document* d, vq_annot* annot)
{
    float v = 0;
    return vq_annot_locked(d, annot, 0, line_width_of, &v) == VQ_ANNOT_DONE ? v : 0;
}

VQ_API int vq_annot_set_flags(vq_document* d, vq_annot* annot, int flags)
{
    ANNOT_BEGIN(d, annot)
    pdf_set_annot_flags(ctx, a, flags);
    ANNOT_END(d)
}

VQ_API int vq_annot_get_flags(vq_document* d, vq_annot* annot)
{
    return vq_annot_read_int(d, annot, 0, pdf_annot_flags, 0);
}

VQ_API int vq_annot_set_contents(vq_document* d, vq_annot* annot, const char* text)
{
    ANNOT_BEGIN(d, annot)
    pdf_dict_put_text_string(ctx, pdf_annot_obj(ctx, a), PDF_NAME(Contents), text ? text : "");
    pdf_dirty_annot(ctx, a);
    ANNOT_END(d)
}

static void contents_of(struct document* d, pdf_annot* a, void* arg)
{
    const char* t = pdf_dict_get_text_string(d->ctx, pdf_annot_obj(d->ctx, a), PDF_NAME(Contents));
    *(char**)arg = strdup(t ? t : "");
}

VQ_API char* vq_annot_get_contents(vq_document* d, vq_annot* annot)
{
    char* s = NULL;
    /* A live annotation whose text cannot be read has an empty text. */
    if (vq_annot_locked(d, annot, 0, contents_of, &s) == VQ_ANNOT_THREW)
        s = strdup("");
    return s;
}

VQ_API int vq_annot_freetext_set_text(vq_document* d, vq_annot* annot, vq_point* pt, char* text)
{
    (void)pt;
    return vq_annot_set_contents(d, annot, text);
}

VQ_API int vq_annot_line_set_points(vq_document* d, vq_annot* annot, vq_point begin, vq_point end)
{
    if (!valid_float(begin.x) || !valid_float(begin.y) || !valid_float(end.x) || !valid_float(end.y))
        return VQ_FAIL;
    ANNOT_BEGIN(d, annot)
    pdf_set_annot_line(ctx, a, fz_make_point(begin.x, begin.y), fz_make_point(end.x, end.y));
    ANNOT_END(d)
}

VQ_API int vq_annot_line_set_b_e_type(vq_document* d, vq_annot* annot, vq_line_ending start, vq_line_ending end)
{
    if ((int)start < VQ_ANNOT_LE_NONE || (int)start > VQ_ANNOT_LE_SLASH || (int)end < VQ_ANNOT_LE_NONE ||
        (int)end > VQ_ANNOT_LE_SLASH)
        return VQ_FAIL;
    ANNOT_BEGIN(d, annot)
    pdf_set_annot_line_ending_styles(ctx, a, (enum pdf_line_ending)start, (enum pdf_line_ending)end);
    ANNOT_END(d)
}

VQ_API int vq_annot_squre_circle_set_interior_color(vq_document* d, vq_annot* annot, const float* color)
{
    if (!color || !valid_float(color[0]) || !valid_float(color[1]) || !valid_float(color[2]))
        return VQ_FAIL;
    ANNOT_BEGIN(d, annot)
    put_rgb(ctx, vq_pdf(d), pdf_annot_obj(ctx, a), PDF_NAME(IC), color);
    pdf_dirty_annot(ctx, a);
    ANNOT_END(d)
}

VQ_API int vq_annot_update_appearance(vq_document* d, vq_annot* annot)
{
    ANNOT_BEGIN(d, annot)
    vq_annot_regenerate_appearance(ctx, vq_pdf(d), a);
    ANNOT_END(d)
}

/* Text-widget fonts are not offered: these keep their callers' contract. */
VQ_API vq_font* vq_annot_get_font(vq_document* d, vq_annot* annot)
{
    (void)d;
    (void)annot;
    return NULL;
}

VQ_API float vq_font_size(vq_font* font)
{
    (void)font;
    return 1.0f;
}

VQ_API float* vq_font_color(vq_font* font)
{
    (void)font;
    return NULL;
}

VQ_API void vq_annot_freetext_set_details(vq_document* d, vq_annot* annot, vq_font* font)
{
    (void)d;
    (void)annot;
    (void)font;
}

VQ_API void vq_annot_freetext_set_font_file(vq_document* d, vq_annot* annot, const char* path)
{
    (void)d;
    (void)annot;
    (void)path;
}

/* ---- focus ------------------------------------------------------------------------------ */

pdf_annot* vq_focus_checked(struct document* d)
{
    if (!d->focus_annot)
        return NULL;
    pdf_annot* a = vq_annot_checked(d, d->focus_annot, NULL);
    if (!a)
        d->focus_annot = NULL; /* its page was released */
    return a;
}

void vq_focus_set(struct document* d, pdf_annot* annot)
{
    d->focus_annot = NULL;
    d->focus_num = 0;
    if (annot)
    {
        d->focus_annot = vq_handle_of(d, vq_owner_of(d, annot), annot);
        d->focus_num = pdf_to_num(d->ctx, pdf_annot_obj(d->ctx, annot));
    }
}

VQ_API int vq_annot_setfoucs(vq_document* d, vq_annot* annot)
{
    if (!d)
        return VQ_FAIL;
    vq_doc_lock(d);
    int code = VQ_OK;
    pdf_annot* a = NULL;
    if (annot)
    {
        a = vq_annot_checked(d, annot, NULL);
        if (!a)
            code = VQ_FAIL;
    }
    vq_focus_set(d, a);
    vq_doc_unlock(d);
    return code;
}

VQ_API vq_annot* vq_document_focus_annot(vq_document* d)
{
    if (!d)
        return NULL;
    vq_doc_lock(d);
    vq_annot* h = vq_focus_checked(d) ? d->focus_annot : NULL;
    vq_doc_unlock(d);
    return h;
}

VQ_API int vq_doucment_foucsannot_pagenumber(vq_document* d)
{
    if (!d)
        return -1;
    vq_doc_lock(d);
    int n = -1;
    struct page_t* owner = NULL;
    if (d->focus_annot && vq_annot_checked(d, d->focus_annot, &owner) && owner)
        n = owner->number;
    else
        d->focus_annot = NULL;
    vq_doc_unlock(d);
    return n;
}

static void has_focus(struct document* d, pdf_annot* a, void* arg)
{
    *(int*)arg = d->focus_num > 0 && pdf_to_num(d->ctx, pdf_annot_obj(d->ctx, a)) == d->focus_num;
}

VQ_API int vq_annot_has_foucs(vq_document* d, vq_annot* annot)
{
    int r = 0;
    return vq_annot_locked(d, annot, 0, has_focus, &r) == VQ_ANNOT_DONE ? r : 0;
}

VQ_API int vq_annot_compare(vq_annot* a, vq_annot* b)
{
    /* One loaded page holds one handle per annotation object. */
    return a && b && a == b;
}
