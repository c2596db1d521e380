/*
 * Hit testing and text selection on a page's structured text: what lies under a point for the
 * tool in use, the pointer handling of forms (focus and hot spot), highlight rectangles of a
 * flowing or rectangular selection, and copying the selected text as UTF-8.
 */
#include "annot-internal.h"

#include <math.h>
#include <stdlib.h>
#include <string.h>

int vq_annot_engine_type(fz_context* ctx, pdf_annot* annot);
int vq_widget_engine_type(fz_context* ctx, pdf_annot* a);

/* Largest gap (points) between two pieces of one line that still join into one rectangle. */
#define VQ_JOIN_GAP 5.0f

static int is_space(int c)
{
    return c == 0x20 || c == 0xA0 || c == 0x09 || c == 0x0A || c == 0x0D || c == 0x2028 || c == 0x2029;
}

static fz_rect char_box(fz_stext_char* ch)
{
    return fz_rect_from_quad(ch->quad);
}

/* Builds the page's structured text once (caller holds the lock). The page itself is run
   (contents, annotations and widgets), so text is found on a page that was never drawn. */
static fz_stext_page* ensure_text_page(struct document* d, struct page_t* pg)
{
    if (pg->text_page)
        return pg->text_page;
    if (vq_page_ensure_loaded(d, pg) != 0)
        return NULL;
    fz_context* ctx = d->ctx;
    fz_stext_page* tp = NULL;
    fz_device* dev = NULL;
    fz_var(tp);
    fz_var(dev);
    fz_try(ctx)
    {
        tp = fz_new_stext_page(ctx, fz_bound_page(ctx, pg->page));
        dev = fz_new_stext_device(ctx, tp, NULL);
        fz_run_page(ctx, pg->page, dev, fz_identity, NULL);
        fz_close_device(ctx, dev);
    }
    fz_always(ctx)
        fz_drop_device(ctx, dev);
    fz_catch(ctx)
    {
        /* Keep the text found before the failure. */
        fz_warn(ctx, "page %d text: %s", pg->number, fz_caught_message(ctx));
    }
    pg->text_page = tp;
    return tp;
}

/* ---- hit testing -------------------------------------------------------------------------- */

static int in_bounds_half_open(fz_rect r, fz_point p)
{
    return r.x0 <= p.x && p.x < r.x1 && r.y0 <= p.y && p.y < r.y1;
}

static int in_bounds_closed(fz_rect r, fz_point p)
{
    return r.x0 <= p.x && p.x <= r.x1 && r.y0 <= p.y && p.y <= r.y1;
}

/* The page's annotations (widgets included) in /Annots order, into a caller array. */
static int page_annots(fz_context* ctx, pdf_page* pp, pdf_annot** out, int max)
{
    pdf_obj* annots = pdf_dict_get(ctx, pp->obj, PDF_NAME(Annots));
    int n = pdf_array_len(ctx, annots), count = 0;
    for (int i = 0; i < n && count < max; i++)
    {
        pdf_obj* item = pdf_array_get(ctx, annots, i);
        for (int pass = 0; pass < 2; pass++)
        {
            pdf_annot* a = pass == 0 ? pdf_first_annot(ctx, pp) : pdf_first_widget(ctx, pp);
            for (; a; a = pass == 0 ? pdf_next_annot(ctx, a) : pdf_next_widget(ctx, a))
            {
                pdf_obj* obj = pdf_annot_obj(ctx, a);
                if (obj == item || (pdf_is_indirect(ctx, item) && pdf_to_num(ctx, item) == pdf_to_num(ctx, obj)))
                {
                    out[count++] = a;
                    pass = 2;
                    break;
                }
            }
        }
    }
    return count;
}

/* Calls fn for every annotation of the page in order until it returns non-zero. */
typedef int (*annot_visit_fn)(fz_context* ctx, pdf_annot* a, fz_point pt, void* arg);

static int visit_annots(fz_context* ctx, pdf_page* pp, fz_point pt, annot_visit_fn fn, void* arg)
{
    pdf_annot* stack[64];
    pdf_annot** list = stack;
    int cap = 64;
    int n = pdf_array_len(ctx, pdf_dict_get(ctx, pp->obj, PDF_NAME(Annots)));
    if (n > cap)
    {
        list = (pdf_annot**)fz_malloc(ctx, (size_t)n * sizeof *list);
        cap = n;
    }
    int r = 0;
    fz_var(list);
    fz_var(cap);
    fz_var(r);
    fz_try(ctx)
    {
        int count = page_annots(ctx, pp, list, cap);
        for (int i = 0; i < count && !r; i++)
            r = fn(ctx, list[i], pt, arg);
    }
    fz_always(ctx)
    {
        if (list != stack)
            fz_free(ctx, list);
    }
    fz_catch(ctx)
        fz_rethrow(ctx);
    return r;
}

static int hit_type_of_widget(int field_type)
{
    switch (field_type)
    {
    case VQ_FIELD_TYPE_PUSHBUTTON: return VQ_HIT_WIDGET_PUSHBUTTON;
    case VQ_FIELD_TYPE_CHECKBOX: return VQ_HIT_WIDGET_CHECKBOX;
    case VQ_FIELD_TYPE_RADIOBUTTON: return VQ_HIT_WIDGET_RADIOBUTTON;
    case VQ_FIELD_TYPE_TEXT: return VQ_HIT_WIDGET_TEXT;
    case VQ_FIELD_TYPE_LISTBOX: return VQ_HIT_WIDGET_LISTBOX;
    case VQ_FIELD_TYPE_COMBOBOX: return VQ_HIT_WIDGET_COMBOBOX;
    case VQ_FIELD_TYPE_SIGNATURE: return VQ_HIT_SIGNATURE;
    default: return VQ_HIT_NOTHING;
    }
}

/* The hand tool's test of one annotation: its hit type, or 0. */
static int hand_hit(fz_context* ctx, pdf_annot* a, fz_point pt, void* arg)
{
    (void)arg;
    int t = vq_annot_engine_type(ctx, a);
    switch (t)
    {
    case -1:
        return 0;
    case VQ_ANNOT_HIGHLIGHT:
    case VQ_ANNOT_UNDERLINE:
    case VQ_ANNOT_STRIKEOUT:
        return vq_point_in_quads(ctx, a, pt) ? VQ_HIT_ANNOT_NOT_WIDGET : 0;
    case VQ_ANNOT_INK:
        return vq_point_near_ink(ctx, a, pt) ? VQ_HIT_ANNOT_NOT_WIDGET : 0;
    case VQ_ANNOT_WIDGET:
        if (!in_bounds_half_open(pdf_bound_annot(ctx, a), pt))
            return 0;
        return hit_type_of_widget(vq_widget_engine_type(ctx, a));
    default:
        return in_bounds_half_open(pdf_bound_annot(ctx, a), pt) ? VQ_HIT_ANNOT_NOT_WIDGET : 0;
    }
}

/* The form handling's candidate test; stores the first match in *arg. */
static int form_candidate(fz_context* ctx, pdf_annot* a, fz_point pt, void* arg)
{
    int t = vq_annot_engine_type(ctx, a);
    int hit;
    switch (t)
    {
    case -1:
        return 0;
    case VQ_ANNOT_HIGHLIGHT:
    case VQ_ANNOT_UNDERLINE:
    case VQ_ANNOT_STRIKEOUT:
        hit = vq_point_in_quads(ctx, a, pt);
        break;
    case VQ_ANNOT_INK:
        hit = vq_point_near_ink(ctx, a, pt);
        break;
    default:
        hit = in_bounds_closed(pdf_bound_annot(ctx, a), pt);
        break;
    }
    if (hit)
        *(pdf_annot**)arg = a;
    return hit;
}

/* Pointer event of the form handling. Returns 1 when it changed the focus or a value. */
static int form_pointer_event(struct document* d, pdf_page* pp, fz_point pt, int down)
{
    fz_context* ctx = d->ctx;
    pdf_annot* cand = NULL;
    visit_annots(ctx, pp, pt, form_candidate, &cand);
    if (cand)
    {
        pdf_obj* obj = pdf_annot_obj(ctx, cand);
        int flags = pdf_dict_get_int(ctx, obj, PDF_NAME(F));
        if ((flags & (PDF_ANNOT_IS_HIDDEN | PDF_ANNOT_IS_NO_VIEW)) ||
            pdf_name_eq(ctx, pdf_dict_get(ctx, obj, PDF_NAME(Subtype)), PDF_NAME(Link)))
            cand = NULL;
    }
    if (down)
    {
        pdf_annot* focused = vq_focus_checked(d);
        if (focused)
        {
            fz_try(ctx)
                pdf_annot_event_blur(ctx, focused);
            fz_catch(ctx)
                fz_warn(ctx, "blur action: %s", fz_caught_message(ctx));
        }
        vq_focus_set(d, NULL);
        if (!cand)
            return 0;
        vq_focus_set(d, cand);
        d->hotspot_num = pdf_to_num(ctx, pdf_annot_obj(ctx, cand));
        d->hotspot_state = 1;
        fz_try(ctx)
        {
            pdf_annot_event_focus(ctx, cand);
            pdf_annot_event_down(ctx, cand);
        }
        fz_catch(ctx)
            fz_warn(ctx, "pointer-down action: %s", fz_caught_message(ctx));
        return 1;
    }
    int was_down = d->hotspot_state != 0;
    d->hotspot_num = 0;
    d->hotspot_state = 0;
    if (!cand)
        return was_down;
    int result = 0;
    fz_var(result);
    fz_var(was_down);
    fz_try(ctx)
    {
        if (pdf_annot_type(ctx, cand) == PDF_ANNOT_WIDGET)
        {
            enum pdf_widget_type wt = pdf_widget_type(ctx, cand);
            if (wt == PDF_WIDGET_TYPE_CHECKBOX || wt == PDF_WIDGET_TYPE_RADIOBUTTON)
            {
                pdf_toggle_widget(ctx, cand);
                result = 1;
            }
        }
        pdf_annot_event_up(ctx, cand);
    }
    fz_catch(ctx)
        fz_warn(ctx, "pointer-up action: %s", fz_caught_message(ctx));
    return result;
}

VQ_API vq_hit_type vq_page_onmouse(vq_document* d, vq_page* page, vq_point vpt, vq_mouse_state ms,
                                   vq_select_state ss)
{
    if (!d || !isfinite(vpt.x) || !isfinite(vpt.y))
        return VQ_HIT_NOTHING;
    vq_doc_lock(d);
    int result = VQ_HIT_NOTHING;
    fz_var(result);
    struct page_t* pg = vq_page_checked(d, page);
    pdf_page* pp = vq_pdf_page_of(d, page);
    fz_context* ctx = d->ctx;
    fz_point pt = fz_make_point(vpt.x, vpt.y);
    if (pg && pp && ss == VQ_HAND)
    {
        fz_try(ctx)
        {
            if (ms == VQ_MOUSE_DOWN || ms == VQ_MOUSE_UP)
                form_pointer_event(d, pp, pt, ms == VQ_MOUSE_DOWN);
            for (fz_link* l = pg->link; l && !result; l = l->next)
                if (in_bounds_closed(l->rect, pt))
                    result = VQ_HIT_LINK;
            if (!result)
                result = visit_annots(ctx, pp, pt, hand_hit, NULL);
        }
        fz_catch(ctx)
        {
            fz_warn(ctx, "hit test: %s", fz_caught_message(ctx));
        }
    }
    else if (pg && pp && ss == VQ_TEXT_SELECT)
    {
        fz_stext_page* tp = ensure_text_page(d, pg);
        for (fz_stext_block* b = tp ? tp->first_block : NULL; b && !result; b = b->next)
        {
            if (b->type != FZ_STEXT_BLOCK_TEXT)
                continue;
            for (fz_stext_line* ln = b->u.t.first_line; ln && !result; ln = ln->next)
                for (fz_stext_char* ch = ln->first_char; ch; ch = ch->next)
                    if (!is_space(ch->c) && in_bounds_closed(char_box(ch), pt))
                    {
                        result = VQ_HIT_TEXT;
                        break;
                    }
        }
    }
    vq_doc_unlock(d);
    return (vq_hit_type)result;
}

/* ---- selection ---------------------------------------------------------------------------- */

typedef struct
{
    vq_rect* out;
    int count;
    fz_rect cur;
    int has_cur;
} merger;

static void emit(merger* m)
{
    if (m->has_cur && m->cur.x0 != m->cur.x1 && m->cur.y0 != m->cur.y1 && m->count < VQ_MAX_SELECTION_RECTS)
    {
        vq_rect* r = &m->out[m->count++];
        r->x0 = m->cur.x0;
        r->y0 = m->cur.y0;
        r->x1 = m->cur.x1;
        r->y1 = m->cur.y1;
    }
    m->has_cur = 0;
}

static void add_char(merger* m, fz_rect c)
{
    if (m->has_cur && c.y0 == m->cur.y0 && fabsf(c.x0 - m->cur.x1) <= VQ_JOIN_GAP)
    {
        m->cur = fz_union_rect(m->cur, c);
        return;
    }
    emit(m);
    m->cur = c;
    m->has_cur = 1;
}

static int meets(fz_rect c, fz_rect r)
{
    return c.x1 >= r.x0 && c.x0 <= r.x1 && c.y1 >= r.y0 && c.y0 <= r.y1;
}

static int valid_vq_rect(vq_rect r)
{
    return isfinite(r.x0) && isfinite(r.y0) && isfinite(r.x1) && isfinite(r.y1);
}

static void select_rect(fz_stext_page* tp, fz_rect sel, merger* m)
{
    for (fz_stext_block* b = tp->first_block; b; b = b->next)
    {
        if (b->type != FZ_STEXT_BLOCK_TEXT)
            continue;
        for (fz_stext_line* ln = b->u.t.first_line; ln; ln = ln->next)
        {
            m->has_cur = 0;
            for (fz_stext_char* ch = ln->first_char; ch; ch = ch->next)
            {
                fz_rect c = char_box(ch);
                if (!is_space(ch->c) && meets(c, sel))
                    add_char(m, c);
            }
            emit(m);
        }
    }
}

static void select_flow(fz_stext_page* tp, float sx, float sy, float ex, float ey, merger* m)
{
    fz_stext_line* start = NULL;
    fz_stext_line* end = NULL;
    int done = 0;
    for (fz_stext_block* b = tp->first_block; b && !done; b = b->next)
    {
        if (b->type != FZ_STEXT_BLOCK_TEXT)
            continue;
        for (fz_stext_line* ln = b->u.t.first_line; ln; ln = ln->next)
        {
            fz_rect lb = ln->bbox;
            if (in_bounds_closed(lb, fz_make_point(sx, sy)))
                start = ln;
            if (lb.y0 <= ey && ey <= lb.y1)
                end = ln;
            if (start && end && start->bbox.x1 != start->bbox.x0 && start->bbox.y1 != start->bbox.y0 &&
                end->bbox.x1 != end->bbox.x0 && end->bbox.y1 != end->bbox.y0)
            {
                done = 1;
                break;
            }
        }
    }
    float sT = start ? start->bbox.y0 : 0;
    float eT = end ? end->bbox.y0 : ey;
    float top = fminf(sy, ey), bottom = fmaxf(sy, ey);
    float left = fminf(sx, ex), right = fmaxf(sx, ex);
    for (fz_stext_block* b = tp->first_block; b; b = b->next)
    {
        if (b->type != FZ_STEXT_BLOCK_TEXT)
            continue;
        for (fz_stext_line* ln = b->u.t.first_line; ln; ln = ln->next)
        {
            m->has_cur = 0;
            for (fz_stext_char* ch = ln->first_char; ch; ch = ch->next)
            {
                if (is_space(ch->c))
                    continue;
                fz_rect c = char_box(ch);
                int on_start = c.y0 == sT, on_end = c.y0 == eT;
                int ok;
                if (sT == eT)
                    ok = c.x1 >= left && c.x0 <= right;
                else if (sT < eT)
                    ok = (!on_start || c.x1 >= sx) && (!on_end || c.x0 <= ex);
                else
                    ok = (!on_start || c.x0 < sx) && (!on_end || c.x0 > ex);
                if (ok && (c.y1 < top || c.y0 > bottom))
                    ok = 0;
                if (ok)
                    add_char(m, c);
            }
            emit(m);
        }
    }
}

VQ_API int vq_page_select_content(vq_document* d, vq_page* page, vq_select_way sw, vq_rect selectrect,
                                  vq_rect* hittbox)
{
    if (!d || !page)
        return -1;
    vq_doc_lock(d);
    int count = -1;
    struct page_t* pg = vq_page_checked(d, page);
    if (pg && hittbox && valid_vq_rect(selectrect) && (sw == VQ_IN_SELECT || sw == VQ_OUT_SELECT))
    {
        count = 0;
        fz_stext_page* tp = ensure_text_page(d, pg);
        if (tp)
        {
            merger m;
            memset(&m, 0, sizeof m);
            m.out = hittbox;
            if (sw == VQ_OUT_SELECT)
                select_rect(tp, fz_make_rect(selectrect.x0, selectrect.y0, selectrect.x1, selectrect.y1), &m);
            else
                select_flow(tp, selectrect.x0, selectrect.y0, selectrect.x1, selectrect.y1, &m);
            count = m.count;
        }
    }
    vq_doc_unlock(d);
    return count;
}

/* ---- copying ------------------------------------------------------------------------------ */

typedef struct
{
    char* s;
    size_t len, cap;
    int failed;
} strbuf;

static void put_bytes(strbuf* b, const char* p, size_t n)
{
    if (b->failed)
        return;
    if (b->len + n + 1 > b->cap)
    {
        size_t cap = b->cap ? b->cap * 2 : 256;
        while (cap < b->len + n + 1)
            cap *= 2;
        char* s = (char*)realloc(b->s, cap);
        if (!s)
        {
            b->failed = 1;
            return;
        }
        b->s = s;
        b->cap = cap;
    }
    memcpy(b->s + b->len, p, n);
    b->len += n;
    b->s[b->len] = 0;
}

VQ_API char* vq_page_copy_selection(vq_document* d, vq_page* page, vq_rect* rect, float zoom, float rotate)
{
    if (!d || !page || !rect || !valid_vq_rect(*rect) || !isfinite(zoom) || !isfinite(rotate) || zoom == 0)
        return NULL;
    /* Taken although the text is only read: a render thread may be building the same page. */
    vq_doc_lock(d);
    struct page_t* pg = vq_page_checked(d, page);
    fz_stext_page* tp = pg ? ensure_text_page(d, pg) : NULL;
    strbuf b;
    memset(&b, 0, sizeof b);
    if (pg)
    {
        vq_invert_rect(rect, zoom, rotate);
        put_bytes(&b, "", 0);
    }
    fz_rect sel = fz_make_rect(rect->x0, rect->y0, rect->x1, rect->y1);
    int previous_line_had_text = 0;
    for (fz_stext_block* blk = tp ? tp->first_block : NULL; blk; blk = blk->next)
    {
        if (blk->type != FZ_STEXT_BLOCK_TEXT)
            continue;
        for (fz_stext_line* ln = blk->u.t.first_line; ln; ln = ln->next)
        {
            int this_line = 0;
            for (fz_stext_char* ch = ln->first_char; ch; ch = ch->next)
            {
                if (!meets(char_box(ch), sel))
                    continue;
                if (!this_line && previous_line_had_text)
                    put_bytes(&b, "\n", 1);
                this_line = 1;
                char utf[8];
                int n = ch->c < 32 ? (utf[0] = '?', 1) : fz_runetochar(utf, ch->c);
                put_bytes(&b, utf, (size_t)n);
            }
            if (this_line)
                previous_line_had_text = 1;
        }
    }
    vq_doc_unlock(d);
    if (b.failed)
    {
        free(b.s);
        return NULL;
    }
    return b.s;
}
