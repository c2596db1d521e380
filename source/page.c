/*
 * Pages: loading, size boxes, display lists and rendering.
 *
 * Each page is interpreted once into two display lists (contents, and annotations with widgets);
 * every later render, at any zoom or rotation, replays them.
 */
#include "header.h"
#include "vq-appearance.h"
#include "vq-pdf-testing.h"

#include <math.h>
#include <string.h>

static int clamp_page(struct document* d, int pagenum)
{
    if (pagenum < 0)
        pagenum = 0;
    if (pagenum >= d->counts)
        pagenum = d->counts - 1;
    return pagenum;
}

/* The page handle for a number, or NULL; caller holds the lock. */
static struct page_t* handle_for(struct document* d, int pagenum)
{
    if (!d->pages || d->counts <= 0)
        return NULL;
    pagenum = clamp_page(d, pagenum);
    if (pagenum < 0 || pagenum >= d->page_slots)
        return NULL;
    return vq_page_slot(d, pagenum);
}

/* The page handle for a number, loaded (unloaded first when fresh), under the lock. An unloaded
   page loses the focus: the focused annotation belonged to the page as it was. */
static struct page_t* load_page(struct document* d, int pagenum, int fresh)
{
    if (!d)
        return NULL;
    vq_doc_lock(d);
    struct page_t* pg = handle_for(d, pagenum);
    if (pg)
    {
        if (fresh)
        {
            d->focus_annot = NULL;
            vq_page_unload(d, pg);
        }
        vq_page_ensure_loaded(d, pg);
    }
    vq_doc_unlock(d);
    return pg;
}

VQ_API vq_page* vq_page_index(vq_document* d, int pagenum)
{
    return load_page(d, pagenum, 0);
}

VQ_API vq_page* vq_page_update(vq_document* d, int pagenum)
{
    return load_page(d, pagenum, 1);
}

/* Empty: no area (the library's "no rectangle" value is inverted, which counts as empty). */
static int rect_is_empty(fz_rect r)
{
    return !(r.x0 < r.x1) || !(r.y0 < r.y1);
}

VQ_API vq_rect* vq_page_mediabox(vq_document* d, int pagenum, vq_rect* out)
{
    if (!out)
        return out;
    memset(out, 0, sizeof *out);
    if (!d)
        return out;
    vq_doc_lock(d);
    if (!d->pages || pagenum < 0 || pagenum >= d->counts || pagenum >= d->page_slots)
    {
        vq_doc_unlock(d);
        return out;
    }
    fz_rect* cached = &d->mediaboxs[pagenum];
    if (!rect_is_empty(*cached))
    {
        out->x0 = cached->x0;
        out->y0 = cached->y0;
        out->x1 = cached->x1;
        out->y1 = cached->y1;
        vq_doc_unlock(d);
        return out;
    }
    pdf_obj* pageobj = d->pageobjs[pagenum];
    if (!pageobj)
    {
        vq_doc_unlock(d);
        return out;
    }
    fz_context* ctx = d->ctx;
    fz_rect media = fz_empty_rect, crop = fz_empty_rect;
    int rotate = 0;
    float userunit = 1.0f;
    /* What was read before an exception is kept, so it must survive the unwinding. */
    fz_var(media);
    fz_var(crop);
    fz_var(rotate);
    fz_var(userunit);
    fz_try(ctx)
    {
        media = pdf_to_rect(ctx, pdf_dict_get_inheritable(ctx, pageobj, PDF_NAME(MediaBox)));
        crop = pdf_to_rect(ctx, pdf_dict_get_inheritable(ctx, pageobj, PDF_NAME(CropBox)));
        rotate = pdf_to_int(ctx, pdf_dict_get_inheritable(ctx, pageobj, PDF_NAME(Rotate)));
        pdf_obj* uu = pdf_dict_get(ctx, pageobj, PDF_NAME(UserUnit));
        if (pdf_is_real(ctx, uu))
            userunit = pdf_to_real(ctx, uu);
    }
    fz_catch(ctx)
    {
        /* keep what was read */
    }
    fz_rect box;
    if (vq_size_box(ctx, media, crop, rotate, userunit, pagenum, 1, &box))
    {
        *cached = box;
        out->x1 = box.x1;
        out->y1 = box.y1;
    }
    vq_doc_unlock(d);
    return out;
}

int vq_size_box(fz_context* ctx, fz_rect media, fz_rect crop, int rotate, float userunit, int pagenum, int warn,
                fz_rect* out)
{
    if (!(userunit > 0) || !isfinite(userunit))
        userunit = 1.0f;
    if (rect_is_empty(media))
    {
        if (!warn)
            return 0;
        fz_warn(ctx, "cannot find page size for page %d", pagenum);
        media = fz_make_rect(0, 0, 612, 792);
    }
    if (!rect_is_empty(crop))
    {
        media = fz_intersect_rect(media, crop);
        if (rect_is_empty(media))
            return 0;
    }
    if (rotate % 90 != 0)
        rotate = 0;
    fz_rect r = fz_transform_rect(media, fz_rotate((float)rotate));
    out->x0 = 0;
    out->y0 = 0;
    out->x1 = (r.x1 - r.x0) * userunit;
    out->y1 = (r.y1 - r.y0) * userunit;
    return 1;
}

/* Bounds of a loaded page in page space. */
static fz_rect page_bounds(struct document* d, struct page_t* pg)
{
    fz_rect r = fz_empty_rect;
    fz_try(d->ctx)
        r = fz_bound_page(d->ctx, pg->page);
    fz_catch(d->ctx)
        r = fz_empty_rect;
    return r;
}

VQ_API vq_rect* vq_page_box(vq_document* d, vq_page* page, vq_rect* out, float zoom, float rotate)
{
    if (!out)
        return out;
    memset(out, 0, sizeof *out);
    if (!d || !page)
        return out;
    vq_doc_lock(d);
    if (vq_page_ensure_loaded(d, page) == 0)
    {
        fz_rect r = fz_transform_rect(page_bounds(d, page), vq_view_matrix(zoom, rotate));
        out->x0 = r.x0;
        out->y0 = r.y0;
        out->x1 = r.x1;
        out->y1 = r.y1;
    }
    vq_doc_unlock(d);
    return out;
}

VQ_API vq_irect* vq_page_ibox(vq_document* d, vq_page* page, vq_irect* out, float zoom)
{
    if (!out)
        return out;
    memset(out, 0, sizeof *out);
    if (!d || !page)
        return out;
    vq_doc_lock(d);
    if (vq_page_ensure_loaded(d, page) == 0)
    {
        fz_irect r = fz_round_rect(fz_transform_rect(page_bounds(d, page), fz_scale(zoom, zoom)));
        out->x0 = r.x0;
        out->y0 = r.y0;
        out->x1 = r.x1;
        out->y1 = r.y1;
    }
    vq_doc_unlock(d);
    return out;
}

static void run_contents(fz_context* ctx, fz_page* page, fz_device* dev)
{
    fz_cookie cookie;
    memset(&cookie, 0, sizeof cookie);
    fz_run_page_contents(ctx, page, dev, fz_identity, &cookie);
}

static void run_annotations(fz_context* ctx, fz_page* page, fz_device* dev)
{
    fz_run_page_annots(ctx, page, dev, fz_identity, NULL);
    fz_run_page_widgets(ctx, page, dev, fz_identity, NULL);
}

/* ---- recordings, kept within a memory budget ----------------------------------------------- */

/* Pages holding recordings form a list, the most recently drawn first. When together they hold
   more than the budget, the pages drawn longest ago give theirs up (recorded again when drawn
   again); a reader of many pages thus keeps memory flat. */

static int lru_linked(struct document* d, struct page_t* pg)
{
    return pg->lru_prev || pg->lru_next || d->lru_first == pg;
}

static void lru_unlink(struct document* d, struct page_t* pg)
{
    if (!lru_linked(d, pg))
        return;
    if (pg->lru_prev)
        pg->lru_prev->lru_next = pg->lru_next;
    else
        d->lru_first = pg->lru_next;
    if (pg->lru_next)
        pg->lru_next->lru_prev = pg->lru_prev;
    else
        d->lru_last = pg->lru_prev;
    pg->lru_prev = pg->lru_next = NULL;
}

/* The page was drawn: it goes to the front. */
static void lru_touch(struct document* d, struct page_t* pg)
{
    if (d->lru_first == pg)
        return;
    lru_unlink(d, pg);
    pg->lru_next = d->lru_first;
    if (d->lru_first)
        d->lru_first->lru_prev = pg;
    d->lru_first = pg;
    if (!d->lru_last)
        d->lru_last = pg;
}

void vq_page_drop_list(struct document* d, struct page_t* pg, int annotations)
{
    fz_display_list** slot = annotations ? &pg->annotations_list : &pg->page_list;
    fz_drop_display_list(d->ctx, *slot);
    *slot = NULL;
    d->list_bytes -= pg->list_size[annotations ? 1 : 0];
    pg->list_size[annotations ? 1 : 0] = 0;
    if (!pg->page_list && !pg->annotations_list)
        lru_unlink(d, pg);
}

void vq_page_drop_lists(struct document* d, struct page_t* pg)
{
    vq_page_drop_list(d, pg, 0);
    vq_page_drop_list(d, pg, 1);
}

/* Brings what the recordings hold back within the budget; the page being drawn keeps its own.
   A page that gives its recordings up is unloaded as well unless something of it is in use (an
   annotation handle given out, its display image): the library keeps a list of loaded pages that
   it searches whenever a page is loaded, and the next drawing loads it again anyway. */
static void trim_lists(struct document* d, struct page_t* keep)
{
    while (d->list_bytes > VQ_LIST_BUDGET && d->lru_last && d->lru_last != keep)
    {
        struct page_t* pg = d->lru_last;
        vq_page_drop_lists(d, pg);
        if (pg->page && !pg->image && !vq_handles_on_page(d, pg))
            vq_page_unload(d, pg);
    }
}

/* Records what run draws of the page into the slot of its contents (0) or annotations (1)
   once (caller holds the lock). Absorbs failures and keeps what was recorded: a broken content
   stream still shows what came before. What the recording holds is the memory the library
   context kept from it. */
static void record_once(struct document* d, struct page_t* pg, int annotations,
                        void (*run)(fz_context*, fz_page*, fz_device*), const char* what)
{
    fz_display_list** slot = annotations ? &pg->annotations_list : &pg->page_list;
    if (*slot || !pg->page)
        return;
    fz_context* ctx = d->ctx;
    fz_display_list* list = NULL;
    fz_device* dev = NULL;
    const size_t before = vq_doc_memory(d);
    fz_var(list);
    fz_var(dev);
    fz_try(ctx)
    {
        list = fz_new_display_list(ctx, fz_bound_page(ctx, pg->page));
        dev = fz_new_list_device(ctx, list);
        run(ctx, pg->page, dev);
        fz_close_device(ctx, dev);
    }
    fz_always(ctx)
        fz_drop_device(ctx, dev);
    fz_catch(ctx)
        fz_warn(ctx, "page %d %s: %s", pg->number, what, fz_caught_message(ctx));
    *slot = list;
    if (!list)
        return;
    const size_t after = vq_doc_memory(d);
    const size_t size = after > before ? after - before : 0;
    pg->list_size[annotations ? 1 : 0] = size;
    d->list_bytes += size;
    lru_touch(d, pg);
}

/* Records the page's contents once (caller holds the lock). */
static void ensure_content_list(struct document* d, struct page_t* pg)
{
    record_once(d, pg, 0, run_contents, "contents");
}

/* Records the page's annotations and widgets once (caller holds the lock). */
static void ensure_annot_list(struct document* d, struct page_t* pg)
{
    record_once(d, pg, 1, run_annotations, "annotations");
}

/* ---- pixmaps drawn into again ------------------------------------------------------------------ */

/* A pixmap nobody else holds goes back to the document instead of being freed, and the next
   drawing of the same size takes it: no fresh memory to fault in and clear for every tile the
   render thread draws. Two are kept, each at most this large. */
#define SPARE_PIXMAP_MAX (32u << 20)

void vq_pixmap_give_back(struct document* d, fz_pixmap* pix)
{
    if (!pix)
        return;
    fz_context* ctx = d->ctx;
    const size_t bytes = (size_t)pix->stride * (size_t)pix->h;
    if (pix->storable.refs != 1 || !pix->samples || !(pix->flags & FZ_PIXMAP_FLAG_FREE_SAMPLES) ||
        bytes > SPARE_PIXMAP_MAX)
    {
        fz_drop_pixmap(ctx, pix);
        return;
    }
    const int n = (int)(sizeof d->spare / sizeof d->spare[0]);
    fz_drop_pixmap(ctx, d->spare[n - 1]);
    for (int i = n - 1; i > 0; i--)
        d->spare[i] = d->spare[i - 1];
    d->spare[0] = pix;
}

/* A spare pixmap of the colour space and size of bbox, placed at bbox, or NULL. */
static fz_pixmap* take_spare(struct document* d, fz_colorspace* cs, fz_irect bbox)
{
    const int w = bbox.x1 - bbox.x0, h = bbox.y1 - bbox.y0;
    const int n = (int)(sizeof d->spare / sizeof d->spare[0]);
    for (int i = 0; i < n; i++)
    {
        fz_pixmap* p = d->spare[i];
        if (p && p->w == w && p->h == h && p->colorspace == cs && p->alpha == 1 && p->s == 0)
        {
            for (int k = i; k < n - 1; k++)
                d->spare[k] = d->spare[k + 1];
            d->spare[n - 1] = NULL;
            p->x = bbox.x0;
            p->y = bbox.y0;
            return p;
        }
    }
    return NULL;
}

/* Replays the lists into pix over bbox (caller holds the lock). Absorbs failures. */
static void draw_lists(struct document* d, struct page_t* pg, fz_pixmap* pix, fz_matrix ctm, fz_irect bbox,
                       int content, int annots)
{
    fz_context* ctx = d->ctx;
    fz_device* dev = NULL;
    fz_var(dev);
    fz_try(ctx)
    {
        fz_rect clip = fz_rect_from_irect(bbox);
        dev = fz_new_draw_device(ctx, fz_identity, pix);
        if (content && pg->page_list)
            fz_run_display_list(ctx, pg->page_list, dev, ctm, clip, NULL);
        if (annots && pg->annotations_list)
            fz_run_display_list(ctx, pg->annotations_list, dev, ctm, clip, NULL);
        fz_close_device(ctx, dev);
    }
    fz_always(ctx)
        fz_drop_device(ctx, dev);
    fz_catch(ctx)
        fz_warn(ctx, "page %d drawing: %s", pg->number, fz_caught_message(ctx));
}

/* A white pixmap of the area (or the page) in view space with the lists drawn into it. */
static fz_pixmap* render(struct document* d, struct page_t* pg, const vq_rect* area, float zoom, float rotate,
                         fz_colorspace* cs, int content, int annots)
{
    fz_context* ctx = d->ctx;
    if (!isfinite(zoom) || !isfinite(rotate) || zoom <= 0)
        return NULL;
    fz_rect r = area ? fz_make_rect(area->x0, area->y0, area->x1, area->y1) : page_bounds(d, pg);
    fz_matrix ctm = vq_view_matrix(zoom, rotate);
    fz_irect bbox = fz_round_rect(fz_transform_rect(r, ctm));
    if (bbox.x1 <= bbox.x0 || bbox.y1 <= bbox.y0)
        return NULL;
    fz_pixmap* pix = take_spare(d, cs, bbox);
    fz_var(pix);
    fz_try(ctx)
    {
        if (!pix)
            pix = fz_new_pixmap_with_bbox(ctx, cs, bbox, NULL, 1);
        fz_clear_pixmap_with_value(ctx, pix, 255);
    }
    fz_catch(ctx)
    {
        fz_drop_pixmap(ctx, pix);
        pix = NULL;
    }
    if (pix)
        draw_lists(d, pg, pix, ctm, bbox, content, annots);
    return pix;
}

VQ_API vq_page_image* vq_page_display_image(vq_document* d, vq_page* page, vq_rect* area, float zoomfactor,
                                            float rotate)
{
    if (!d || !page)
        return NULL;
    vq_doc_lock(d);
    fz_pixmap* pix = NULL;
    if (vq_page_ensure_loaded(d, page) == 0)
    {
        ensure_content_list(d, page);
        ensure_annot_list(d, page);
        vq_pixmap_give_back(d, page->image);
        page->image = NULL;
        pix = render(d, page, area, zoomfactor, rotate, fz_device_bgr(d->ctx), 1, 1);
        page->image = pix;
        lru_touch(d, page);
        trim_lists(d, page);
    }
    vq_doc_unlock(d);
    return (vq_page_image*)pix;
}

VQ_API void vq_page_drop_display_image(vq_document* d, vq_page* page, vq_page_image* image)
{
    if (!d || !page)
        return;
    vq_doc_lock(d);
    vq_pixmap_give_back(d, page->image);
    page->image = NULL;
    vq_doc_unlock(d);
}

VQ_API vq_pixmap* vq_page_generate_pixmap(vq_document* d, vq_page* page, vq_pixmap_render_type type,
                                          vq_pixmap_render_colorspace colorspace, float zoomfactor, float rotate)
{
    if (!d || !page)
        return NULL;
    vq_doc_lock(d);
    fz_pixmap* pix = NULL;
    if (vq_page_ensure_loaded(d, page) == 0)
    {
        fz_context* ctx = d->ctx;
        int content = type == VQ_RENDER_CONTENT || type == VQ_RENDER_ALL;
        int annots = type == VQ_RENDER_ANNOTATION || type == VQ_RENDER_ALL;
        /* A print of one layer frees the other list; the next display image rebuilds it. */
        if (content)
            ensure_content_list(d, page);
        else
            vq_page_drop_list(d, page, 0);
        if (annots)
            ensure_annot_list(d, page);
        else
            vq_page_drop_list(d, page, 1);
        fz_colorspace* cs = colorspace == VQ_COLORSPACE_GRAY ? fz_device_gray(ctx) : fz_device_bgr(ctx);
        pix = render(d, page, NULL, zoomfactor, rotate, cs, content, annots);
        if (page->page_list || page->annotations_list)
            lru_touch(d, page);
        trim_lists(d, page);
    }
    vq_doc_unlock(d);
    return (vq_pixmap*)pix;
}

VQ_API int vq_page_update_annot_changed(vq_document* d, vq_page* page, float zoomfactor, float rotate)
{
    if (!d || !page)
        return VQ_FAIL;
    vq_doc_lock(d);
    int code = VQ_OK;
    if (vq_page_ensure_loaded(d, page) != 0)
        code = VQ_FAIL;
    pdf_page* pp = code ? NULL : pdf_page_from_fz_page(d->ctx, page->page);
    if (pp)
    {
        fz_context* ctx = d->ctx;
        fz_rect changed[64];
        int nchanged = 0, overflow = 0;
        fz_var(nchanged);
        fz_var(overflow);
        fz_try(ctx)
        {
            for (int pass = 0; pass < 2; pass++)
            {
                pdf_annot* a = pass == 0 ? pdf_first_annot(ctx, pp) : pdf_first_widget(ctx, pp);
                for (; a; a = pass == 0 ? pdf_next_annot(ctx, a) : pdf_next_widget(ctx, a))
                {
                    vq_annot_regenerate_appearance(ctx, vq_pdf(d), a);
                    if (!pdf_update_annot(ctx, a))
                        continue;
                    if (nchanged < (int)(sizeof changed / sizeof changed[0]))
                        changed[nchanged++] = pdf_bound_annot(ctx, a);
                    else
                        overflow = 1;
                }
            }
        }
        fz_catch(ctx)
            code = VQ_FAIL;
        if (nchanged || overflow)
        {
            vq_page_drop_list(d, page, 1);
            ensure_annot_list(d, page);
            ensure_content_list(d, page);
            fz_pixmap* img = page->image;
            if (img)
            {
                fz_matrix ctm = vq_view_matrix(zoomfactor, rotate);
                fz_irect whole = fz_pixmap_bbox(ctx, img);
                int n = overflow ? 1 : nchanged;
                for (int i = 0; i < n; i++)
                {
                    fz_irect area = overflow ? whole
                                             : fz_intersect_irect(fz_round_rect(fz_transform_rect(changed[i], ctm)), whole);
                    if (area.x1 <= area.x0 || area.y1 <= area.y0)
                        continue;
                    fz_clear_pixmap_rect_with_value(ctx, img, 255, area);
                    draw_lists(d, page, img, ctm, area, 1, 1);
                }
            }
        }
    }
    vq_doc_unlock(d);
    return code;
}

VQ_API void vq_page_delete(vq_document* d, vq_page* page)
{
    if (!d || !page)
        return;
    vq_doc_lock(d);
    /* Only a page handle of this document: another one is not this document's to release. */
    for (int i = 0; d->pages && i < d->page_slots; i++)
        if (d->pages[i] == page)
        {
            vq_page_release(d, page);
            break;
        }
    vq_doc_unlock(d);
}

VQ_API void vq_page_insert(vq_document* doc, vq_page* page, int at)
{
}

#ifdef VQ_TEST_HOOKS
VQ_API size_t vq_test_recorded_bytes(vq_document* d)
{
    if (!d)
        return 0;
    vq_doc_lock(d);
    size_t n = d->list_bytes;
    vq_doc_unlock(d);
    return n;
}

VQ_API size_t vq_test_recording_budget(void)
{
    return VQ_LIST_BUDGET;
}
#endif /* VQ_TEST_HOOKS */
