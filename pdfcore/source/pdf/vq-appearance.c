/*
 * Appearance streams of annotations: the content builder and writer shared by every
 * generator, the generators for ink, text markup, squares and circles, polygons, lines, text
 * notes and free text, the default-appearance parser, and the page hooks that run them.
 *
 * The generators write their content directly in the annotation's PDF user space; every fill,
 * stroke, text and image is painted through an ExtGState holding its opacity and /BM
 * /Multiply, so marks over text darken it instead of covering it.
 */
#include "vq-appearance-writers.h"
#include "vq-appearance.h"

#include <math.h>
#include <string.h>

/* ---- content builder ---------------------------------------------------------------------- */

void vq_ap_begin(fz_context* ctx, vq_ap_builder* b, pdf_document* doc)
{
    memset(b, 0, sizeof *b);
    b->doc = doc;
    fz_try(ctx)
    {
        b->buf = fz_new_buffer(ctx, 256);
        b->res = pdf_new_dict(ctx, doc, 4);
        pdf_obj* procset = pdf_dict_put_array(ctx, b->res, PDF_NAME(ProcSet), 2);
        pdf_array_push(ctx, procset, PDF_NAME(PDF));
        pdf_array_push(ctx, procset, PDF_NAME(Text));
    }
    fz_catch(ctx)
    {
        vq_ap_end(ctx, b);
        fz_rethrow(ctx);
    }
}

void vq_ap_end(fz_context* ctx, vq_ap_builder* b)
{
    fz_drop_buffer(ctx, b->buf);
    b->buf = NULL;
    pdf_drop_obj(ctx, b->res);
    b->res = NULL;
}

void vq_ap_alpha(fz_context* ctx, vq_ap_builder* b, float alpha, int stroke)
{
    int i;
    fz_var(i);
    for (i = 0; i < b->nalpha; i++)
        if (b->alpha[i] == alpha && b->stroke[i] == stroke)
            break;
    if (i == b->nalpha)
    {
        if (b->nalpha == VQ_AP_MAX_ALPHA)
            fz_throw(ctx, FZ_ERROR_GENERIC, "too many graphics states in one appearance");
        pdf_obj* gs = pdf_new_dict(ctx, b->doc, 3);
        pdf_obj* ref = NULL;
        fz_var(ref);
        fz_try(ctx)
        {
            pdf_dict_put(ctx, gs, PDF_NAME(Type), PDF_NAME(ExtGState));
            pdf_dict_put_real(ctx, gs, stroke ? PDF_NAME(CA) : PDF_NAME(ca), alpha);
            pdf_dict_put(ctx, gs, PDF_NAME(BM), PDF_NAME(Multiply));
            ref = pdf_add_object(ctx, b->doc, gs);
            pdf_obj* ext = pdf_dict_get(ctx, b->res, PDF_NAME(ExtGState));
            if (!ext)
                ext = pdf_dict_put_dict(ctx, b->res, PDF_NAME(ExtGState), 4);
            char name[16];
            fz_snprintf(name, sizeof name, "Alp%d", i);
            pdf_dict_puts(ctx, ext, name, ref);
        }
        fz_always(ctx)
        {
            pdf_drop_obj(ctx, ref);
            pdf_drop_obj(ctx, gs);
        }
        fz_catch(ctx)
            fz_rethrow(ctx);
        b->alpha[i] = alpha;
        b->stroke[i] = stroke;
        b->nalpha++;
    }
    fz_append_printf(ctx, b->buf, "/Alp%d gs\n", i);
}

int vq_ap_color(fz_context* ctx, vq_ap_builder* b, int n, const float* c, int stroke)
{
    switch (n)
    {
    case 1:
        fz_append_printf(ctx, b->buf, stroke ? "%g G\n" : "%g g\n", c[0]);
        return 1;
    case 3:
        fz_append_printf(ctx, b->buf, stroke ? "%g %g %g RG\n" : "%g %g %g rg\n", c[0], c[1], c[2]);
        return 1;
    case 4:
        fz_append_printf(ctx, b->buf, stroke ? "%g %g %g %g K\n" : "%g %g %g %g k\n", c[0], c[1], c[2], c[3]);
        return 1;
    default:
        return 0;
    }
}

const char* vq_ap_add_xobject(fz_context* ctx, vq_ap_builder* b, pdf_obj* xobj, const char* prefix, char* name,
                              int size)
{
    pdf_obj* dict = pdf_dict_get(ctx, b->res, PDF_NAME(XObject));
    if (!dict)
        dict = pdf_dict_put_dict(ctx, b->res, PDF_NAME(XObject), 2);
    fz_snprintf(name, size, "%s%d", prefix, b->nxobj++);
    pdf_dict_puts(ctx, dict, name, xobj);
    return name;
}

pdf_obj* vq_ap_new_form(fz_context* ctx, pdf_document* doc, fz_rect bbox, fz_matrix matrix, pdf_obj* res,
                        const char* content, size_t len)
{
    fz_buffer* buf = fz_new_buffer_from_copied_data(ctx, (const unsigned char*)content, len);
    pdf_obj* form = NULL;
    fz_var(form);
    fz_try(ctx)
    {
        form = pdf_new_xobject(ctx, doc, bbox, matrix, res, buf);
        pdf_obj* dict = pdf_resolve_indirect(ctx, form);
        pdf_dict_put_int(ctx, dict, PDF_NAME(FormType), 1);
    }
    fz_always(ctx)
        fz_drop_buffer(ctx, buf);
    fz_catch(ctx)
    {
        pdf_drop_obj(ctx, form);
        fz_rethrow(ctx);
    }
    return form;
}

pdf_obj* vq_ap_form(fz_context* ctx, vq_ap_builder* b, fz_rect bbox)
{
    return vq_ap_new_form(ctx, b->doc, bbox, fz_identity, b->res, (const char*)b->buf->data, b->buf->len);
}

void vq_ap_store(fz_context* ctx, vq_ap_builder* b, pdf_obj* annot, fz_rect bbox)
{
    pdf_obj* form = vq_ap_form(ctx, b, bbox);
    fz_try(ctx)
    {
        pdf_dict_put_rect(ctx, annot, PDF_NAME(Rect), bbox);
        pdf_obj* ap = pdf_dict_get(ctx, annot, PDF_NAME(AP));
        if (!pdf_is_dict(ctx, ap))
            ap = pdf_dict_put_dict(ctx, annot, PDF_NAME(AP), 1);
        pdf_dict_put(ctx, ap, PDF_NAME(N), form);
    }
    fz_always(ctx)
        pdf_drop_obj(ctx, form);
    fz_catch(ctx)
        fz_rethrow(ctx);
}

/* ---- geometry helpers ----------------------------------------------------------------------- */

pdf_obj* vq_ap_annot_page(fz_context* ctx, pdf_obj* annot)
{
    pdf_obj* p = pdf_dict_get(ctx, annot, PDF_NAME(P));
    return pdf_is_dict(ctx, p) ? p : NULL;
}

fz_matrix vq_ap_page_ctm(fz_context* ctx, pdf_obj* pageobj)
{
    fz_rect media;
    fz_matrix ctm = fz_identity;
    if (pageobj)
        pdf_page_obj_transform(ctx, pageobj, &media, &ctm);
    return ctm;
}

/* /C or /IC as a colour: the number of components (1, 3, 4) or 0. */
static int read_color(fz_context* ctx, pdf_obj* arr, float c[4])
{
    int n = pdf_array_len(ctx, arr);
    if (n != 1 && n != 3 && n != 4)
        return 0;
    for (int i = 0; i < n; i++)
        c[i] = pdf_array_get_real(ctx, arr, i);
    return n;
}

static int color_or_red(fz_context* ctx, pdf_obj* annot, float c[4])
{
    int n = read_color(ctx, pdf_dict_get(ctx, annot, PDF_NAME(C)), c);
    if (!n)
    {
        c[0] = 1;
        c[1] = c[2] = 0;
        n = 3;
    }
    return n;
}

static float annot_opacity(fz_context* ctx, pdf_obj* annot)
{
    pdf_obj* ca = pdf_dict_get(ctx, annot, PDF_NAME(CA));
    return pdf_is_number(ctx, ca) ? pdf_to_real(ctx, ca) : 1.0f;
}

static float annot_border(fz_context* ctx, pdf_obj* annot)
{
    pdf_obj* w = pdf_dict_getp(ctx, annot, "BS/W");
    return pdf_is_number(ctx, w) ? pdf_to_real(ctx, w) : 1.0f;
}

/* Stroke settings of a drawn shape: its colour (red when missing; the number of components
   is returned), opacity and border width, where an opacity or width of 0 reads as 1. */
static int shape_style(fz_context* ctx, pdf_obj* annot, float c[4], float* opacity, float* w)
{
    int n = color_or_red(ctx, annot, c);
    *opacity = annot_opacity(ctx, annot);
    if (*opacity == 0)
        *opacity = 1;
    *w = annot_border(ctx, annot);
    if (*w == 0)
        *w = 1;
    return n;
}

static fz_rect grow(fz_rect r, float d)
{
    r.x0 -= d;
    r.y0 -= d;
    r.x1 += d;
    r.y1 += d;
    return r;
}

/* Quadrilaterals of /QuadPoints: count, or 0 when absent or malformed. */
static int read_quads(fz_context* ctx, pdf_obj* annot, pdf_obj** qp)
{
    *qp = pdf_dict_get(ctx, annot, PDF_NAME(QuadPoints));
    int n = pdf_array_len(ctx, *qp);
    if (n < 8 || n % 8 != 0)
        return 0;
    return n / 8;
}

static fz_point quad_point(fz_context* ctx, pdf_obj* qp, int q, int k)
{
    return fz_make_point(pdf_array_get_real(ctx, qp, q * 8 + k * 2), pdf_array_get_real(ctx, qp, q * 8 + k * 2 + 1));
}

/* ---- generators ---------------------------------------------------------------------------- */

/* What a generator writes into a fresh builder for annot: content, resources and, through
   vq_ap_store, the appearance and /Rect. Its settings come in arg. */
typedef void (*ap_writer)(fz_context* ctx, vq_ap_builder* b, pdf_obj* annot, const void* arg);

/* Runs one writer; the builder is released on every path. The writer is a function of its own,
   so nothing a generator computes lives across the protected region (where a value changed
   inside could be lost when an exception unwinds it). */
static void run_writer(fz_context* ctx, pdf_document* doc, pdf_obj* annot, ap_writer write, const void* arg)
{
    vq_ap_builder b;
    vq_ap_begin(ctx, &b, doc);
    fz_try(ctx)
        write(ctx, &b, annot, arg);
    fz_always(ctx)
        vq_ap_end(ctx, &b);
    fz_catch(ctx)
        fz_rethrow(ctx);
}

/* Ink strokes (and polygons drawn from /InkList): each stroke a chain of curves through the
   midpoints of its points, ending with a line to its last point. */
typedef struct
{
    pdf_obj *list, *vertices;
    int nstrokes, usable;
    float w, opacity;
    float c[4];
    int n;
} ink_settings;

static void write_ink(fz_context* ctx, vq_ap_builder* b, pdf_obj* annot, const void* arg)
{
    const ink_settings* k = arg;
    fz_buffer* o = b->buf;
    fz_rect box = fz_empty_rect;
    fz_append_string(ctx, o, "q\n");
    vq_ap_alpha(ctx, b, k->opacity, 1);
    vq_ap_color(ctx, b, k->n, k->c, 1);
    fz_append_printf(ctx, o, "%g w\n1 J\n1 j\n", k->w);
    if (k->usable)
    {
        for (int s = 0; s < k->nstrokes; s++)
        {
            pdf_obj* st = pdf_array_get(ctx, k->list, s);
            int np = pdf_array_len(ctx, st) / 2;
            if (np < 1)
                continue;
            vq_smooth_pen pen;
            vq_smooth_begin(ctx, o, &pen, fz_make_point(pdf_array_get_real(ctx, st, 0), pdf_array_get_real(ctx, st, 1)),
                            &box);
            for (int i = 1; i < np; i++)
                vq_smooth_to(ctx, o, &pen,
                             fz_make_point(pdf_array_get_real(ctx, st, i * 2), pdf_array_get_real(ctx, st, i * 2 + 1)),
                             &box);
            vq_smooth_end(ctx, o, &pen);
        }
        fz_append_string(ctx, o, "S\nQ\n");
    }
    else
    {
        int nv = pdf_array_len(ctx, k->vertices) / 2;
        for (int i = 0; i < nv; i++)
        {
            fz_point p = fz_make_point(pdf_array_get_real(ctx, k->vertices, i * 2),
                                       pdf_array_get_real(ctx, k->vertices, i * 2 + 1));
            box = fz_include_point_in_rect(box, p);
            fz_append_printf(ctx, o, i == 0 ? "%g %g m\n" : "%g %g l\n", p.x, p.y);
        }
        fz_append_string(ctx, o, "s\nQ\n");
    }
    /* The stroke lies inside the box with a margin of one more width. */
    vq_ap_store(ctx, b, annot, grow(box, 2 * k->w));
}

static int gen_ink(fz_context* ctx, pdf_document* doc, pdf_obj* annot, int polygon)
{
    ink_settings k;
    memset(&k, 0, sizeof k);
    k.list = pdf_dict_get(ctx, annot, PDF_NAME(InkList));
    k.vertices = pdf_dict_get(ctx, annot, PDF_NAME(Vertices));
    k.nstrokes = pdf_array_len(ctx, k.list);
    for (int i = 0; i < k.nstrokes; i++)
        if (pdf_array_len(ctx, pdf_array_get(ctx, k.list, i)) >= 2)
            k.usable = 1;
    /* A polygon that keeps its points in /Vertices is drawn as a closed outline; without any
       point nothing is written, so /Rect is kept. */
    if (!k.usable && !(polygon && pdf_array_len(ctx, k.vertices) >= 4))
        return 0;

    k.w = annot_border(ctx, annot);
    if (k.w == 0)
        k.w = 1;
    k.n = polygon ? color_or_red(ctx, annot, k.c) : read_color(ctx, pdf_dict_get(ctx, annot, PDF_NAME(C)), k.c);
    if (!k.n)
    {
        /* An ink mark without a usable colour is drawn black. */
        k.c[0] = 0;
        k.n = 1;
    }
    k.opacity = annot_opacity(ctx, annot);
    if (polygon && k.opacity == 0)
        k.opacity = 1;
    run_writer(ctx, doc, annot, write_ink, &k);
    return 1;
}

/* Text markup: the quadrilaterals of /QuadPoints with their colour and opacity. */
typedef struct
{
    pdf_obj* qp;
    int nq;
    float c[4];
    int n;
    float opacity;
    fz_rect rect;    /* highlight: the annotation's /Rect */
    pdf_obj* page;   /* highlight: its page, recorded as /P */
    float k;         /* underline and strike-out: line height factor */
} markup_settings;

static void write_highlight(fz_context* ctx, vq_ap_builder* b, pdf_obj* annot, const void* arg)
{
    const markup_settings* m = arg;
    pdf_obj* border = pdf_dict_put_array(ctx, annot, PDF_NAME(Border), 3);
    pdf_array_push_int(ctx, border, 0);
    pdf_array_push_int(ctx, border, 0);
    pdf_array_push_int(ctx, border, 1);
    if (m->page)
        pdf_dict_put(ctx, annot, PDF_NAME(P), m->page);
    fz_append_string(ctx, b->buf, "q\n");
    vq_ap_alpha(ctx, b, m->opacity, 0);
    vq_ap_color(ctx, b, m->n, m->c, 0);
    for (int i = 0; i < m->nq; i++)
    {
        fz_point p1 = quad_point(ctx, m->qp, i, 0), p2 = quad_point(ctx, m->qp, i, 1);
        fz_point p3 = quad_point(ctx, m->qp, i, 2), p4 = quad_point(ctx, m->qp, i, 3);
        fz_append_printf(ctx, b->buf, "%g %g m\n%g %g l\n%g %g l\n%g %g l\n", p1.x, p1.y, p2.x, p2.y, p4.x, p4.y, p3.x,
                         p3.y);
    }
    fz_append_string(ctx, b->buf, "f\nQ\n");
    vq_ap_store(ctx, b, annot, m->rect);
}

/* Reads the quadrilaterals, colour (red when missing) and opacity; 0 when there is no
   quadrilateral. */
static int markup_setup(fz_context* ctx, pdf_obj* annot, markup_settings* m)
{
    memset(m, 0, sizeof *m);
    m->nq = read_quads(ctx, annot, &m->qp);
    if (!m->nq)
        return 0;
    m->n = color_or_red(ctx, annot, m->c);
    m->opacity = annot_opacity(ctx, annot);
    return 1;
}

static int gen_highlight(fz_context* ctx, pdf_document* doc, pdf_obj* pageobj, pdf_obj* annot)
{
    markup_settings m;
    if (!markup_setup(ctx, annot, &m))
        return 0;
    m.rect = pdf_dict_get_rect(ctx, annot, PDF_NAME(Rect));
    m.page = pageobj;
    run_writer(ctx, doc, annot, write_highlight, &m);
    return 1;
}

/* Underline (line height factor 0.0075) and strike-out (0.375): one line per quadrilateral,
   t·h wide at k·h above its lower edge, h its height in whole points. */
static void write_markup_line(fz_context* ctx, vq_ap_builder* b, pdf_obj* annot, const void* arg)
{
    const markup_settings* m = arg;
    const float t = 0.07f;
    fz_rect box = fz_empty_rect;
    float curw = -1;
    int open = 0;
    fz_append_string(ctx, b->buf, "q\n");
    vq_ap_alpha(ctx, b, m->opacity, 1);
    vq_ap_color(ctx, b, m->n, m->c, 1);
    for (int i = 0; i < m->nq; i++)
    {
        fz_point p[4];
        for (int j = 0; j < 4; j++)
        {
            p[j] = quad_point(ctx, m->qp, i, j);
            box = fz_include_point_in_rect(box, p[j]);
        }
        float h = (float)(int)fabsf(p[2].y - p[1].y);
        float w = t * h;
        if (!open || fabsf(w - curw) > 0.00001f)
        {
            if (open)
                fz_append_string(ctx, b->buf, "S\n");
            fz_append_printf(ctx, b->buf, "%g w\n", w);
            curw = w;
            open = 1;
        }
        fz_append_printf(ctx, b->buf, "%g %g m\n%g %g l\n", p[2].x, p[2].y + m->k * h, p[3].x, p[3].y + m->k * h);
    }
    fz_append_string(ctx, b->buf, "S\nQ\n");
    vq_ap_store(ctx, b, annot, box);
}

static int gen_markup_line(fz_context* ctx, pdf_document* doc, pdf_obj* annot, float k)
{
    markup_settings m;
    if (!markup_setup(ctx, annot, &m))
        return 0;
    m.k = k;
    run_writer(ctx, doc, annot, write_markup_line, &m);
    return 1;
}

static void append_circle(fz_context* ctx, fz_buffer* o, fz_rect r)
{
    const float m = 0.55228475f;
    float cx = (r.x0 + r.x1) / 2, cy = (r.y0 + r.y1) / 2;
    float kx = (r.x1 - cx) * m, ky = (r.y1 - cy) * m;
    fz_append_printf(ctx, o, "%g %g m\n", cx, r.y0);
    fz_append_printf(ctx, o, "%g %g %g %g %g %g c\n", cx + kx, r.y0, r.x1, cy - ky, r.x1, cy);
    fz_append_printf(ctx, o, "%g %g %g %g %g %g c\n", r.x1, cy + ky, cx + kx, r.y1, cx, r.y1);
    fz_append_printf(ctx, o, "%g %g %g %g %g %g c\n", cx - kx, r.y1, r.x0, cy + ky, r.x0, cy);
    fz_append_printf(ctx, o, "%g %g %g %g %g %g c\nh\n", r.x0, cy - ky, cx - kx, r.y0, cx, r.y0);
}

/* Squares, circles and lines: stroke colour (red when missing), opacity and width. */
typedef struct
{
    float c[4], ic[4], opacity, w;
    int n, nic;
    int circle;
    fz_rect rect;
    fz_point a, e; /* a line's end points */
} shape_settings;

static void write_square_circle(fz_context* ctx, vq_ap_builder* b, pdf_obj* annot, const void* arg)
{
    const shape_settings* sh = arg;
    fz_rect r = grow(sh->rect, -sh->w / 2);
    fz_buffer* o = b->buf;
    fz_append_printf(ctx, o, "q\n%g w\n%s", sh->w, sh->circle ? "1 J\n1 j\n" : "2 J\n0 j\n");
    for (int pass = sh->nic ? 0 : 1; pass < 2; pass++)
    {
        vq_ap_alpha(ctx, b, sh->opacity, pass);
        if (pass == 0)
            vq_ap_color(ctx, b, sh->nic, sh->ic, 0);
        else
            vq_ap_color(ctx, b, sh->n, sh->c, 1);
        if (sh->circle)
            append_circle(ctx, o, r);
        else
            fz_append_printf(ctx, o, "%g %g %g %g re\n", r.x0, r.y0, r.x1 - r.x0, r.y1 - r.y0);
        fz_append_string(ctx, o, pass == 0 ? "f\n" : "S\n");
    }
    fz_append_string(ctx, o, "Q\n");
    vq_ap_store(ctx, b, annot, sh->rect);
}

static int gen_square_circle(fz_context* ctx, pdf_document* doc, pdf_obj* annot, int circle)
{
    shape_settings sh;
    memset(&sh, 0, sizeof sh);
    sh.rect = pdf_dict_get_rect(ctx, annot, PDF_NAME(Rect));
    sh.n = shape_style(ctx, annot, sh.c, &sh.opacity, &sh.w);
    sh.nic = read_color(ctx, pdf_dict_get(ctx, annot, PDF_NAME(IC)), sh.ic);
    sh.circle = circle;
    run_writer(ctx, doc, annot, write_square_circle, &sh);
    return 1;
}

static void write_line(fz_context* ctx, vq_ap_builder* b, pdf_obj* annot, const void* arg)
{
    const shape_settings* sh = arg;
    fz_point a = sh->a, e = sh->e;
    fz_rect box = fz_include_point_in_rect(fz_include_point_in_rect(fz_empty_rect, a), e);
    fz_buffer* o = b->buf;
    fz_append_printf(ctx, o, "q\n%g w\n2 J\n0 j\n", sh->w);
    vq_ap_alpha(ctx, b, sh->opacity, 1);
    vq_ap_color(ctx, b, sh->n, sh->c, 1);
    fz_append_printf(ctx, o, "%g %g m\n%g %g l\n", a.x, a.y, e.x, e.y);
    if (pdf_dict_get(ctx, annot, PDF_NAME(LE)))
    {
        const float pi = 3.14159f;
        float ang = atan2f(e.y - a.y, e.x - a.x);
        float len = 5 * sh->w;
        fz_point pa = fz_make_point(e.x + len * cosf(ang + pi - 0.5f), e.y + len * sinf(ang + pi - 0.5f));
        fz_point pb = fz_make_point(e.x + len * cosf(ang + pi + 0.5f), e.y + len * sinf(ang + pi + 0.5f));
        fz_append_printf(ctx, o, "%g %g m\n%g %g l\n%g %g l\n", pa.x, pa.y, e.x, e.y, pb.x, pb.y);
        box = fz_include_point_in_rect(fz_include_point_in_rect(box, pa), pb);
    }
    fz_append_string(ctx, o, "S\nQ\n");
    vq_ap_store(ctx, b, annot, grow(box, sh->w));
}

static int gen_line(fz_context* ctx, pdf_document* doc, pdf_obj* annot)
{
    pdf_obj* l = pdf_dict_get(ctx, annot, PDF_NAME(L));
    if (pdf_array_len(ctx, l) < 4)
        return 0;
    shape_settings sh;
    memset(&sh, 0, sizeof sh);
    sh.n = shape_style(ctx, annot, sh.c, &sh.opacity, &sh.w);
    sh.a = fz_make_point(pdf_array_get_real(ctx, l, 0), pdf_array_get_real(ctx, l, 1));
    sh.e = fz_make_point(pdf_array_get_real(ctx, l, 2), pdf_array_get_real(ctx, l, 3));
    run_writer(ctx, doc, annot, write_line, &sh);
    return 1;
}

/* The note icon: a rounded yellow frame with a white speech bubble, fitted into /Rect. */
typedef struct
{
    fz_rect rect;
    float s, tx, ty;
} note_settings;

static void write_text_note(fz_context* ctx, vq_ap_builder* b, pdf_obj* annot, const void* arg)
{
    static const char frame[] = "20 60 m\n20 30 30 20 60 20 c\n340 20 l\n370 20 380 30 380 60 c\n380 340 l\n"
                                "380 370 370 380 340 380 c\n60 380 l\n30 380 20 370 20 340 c\nh\n";
    static const char bubble[] = "199 315.6 m\n35.6 315.6 27 160.8 130.2 131.77 c\n130.2 93.07 113 83.4 113 83.4 c\n"
                                 "138.8 73.72 173.2 83.4 190.4 122.1 c\n391.64 122.1 362.4 315.6 199 315.6 c\nh\n";
    static const float yellow[3] = { 1, 1, 0 }, black[3] = { 0, 0, 0 }, white[3] = { 1, 1, 1 };
    const note_settings* ns = arg;
    fz_buffer* o = b->buf;
    fz_append_printf(ctx, o, "q\n%g 0 0 %g %g %g cm\n15 w\n1 j\n", ns->s, ns->s, ns->tx, ns->ty);
    const char* paths[2] = { frame, bubble };
    const float* fills[2] = { yellow, white };
    for (int i = 0; i < 2; i++)
    {
        vq_ap_alpha(ctx, b, 1, 0);
        vq_ap_color(ctx, b, 3, fills[i], 0);
        fz_append_string(ctx, o, paths[i]);
        fz_append_string(ctx, o, "f\n");
        vq_ap_alpha(ctx, b, 1, 1);
        vq_ap_color(ctx, b, 3, black, 1);
        fz_append_string(ctx, o, paths[i]);
        fz_append_string(ctx, o, "S\n");
    }
    fz_append_string(ctx, o, "Q\n");
    vq_ap_store(ctx, b, annot, ns->rect);
}

static int gen_text_note(fz_context* ctx, pdf_document* doc, pdf_obj* annot)
{
    note_settings ns;
    ns.rect = pdf_dict_get_rect(ctx, annot, PDF_NAME(Rect));
    float rw = ns.rect.x1 - ns.rect.x0, rh = ns.rect.y1 - ns.rect.y0;
    if (!(rw > 0) || !(rh > 0))
        return 0;
    /* Frame bounds 20..380 grown by 15. */
    ns.s = fz_min(rw / 390.0f, rh / 390.0f);
    ns.tx = (ns.rect.x0 + ns.rect.x1) / 2 - 200 * ns.s;
    ns.ty = (ns.rect.y0 + ns.rect.y1) / 2 - 200 * ns.s;
    run_writer(ctx, doc, annot, write_text_note, &ns);
    return 1;
}

static int gen_free_text(fz_context* ctx, pdf_document* doc, pdf_obj* pageobj, pdf_obj* annot)
{
    fz_var(pageobj);
    const char* text = pdf_dict_get_text_string(ctx, annot, PDF_NAME(Contents));
    const char* da = pdf_dict_get_text_string(ctx, annot, PDF_NAME(DA));
    fz_rect rect = pdf_dict_get_rect(ctx, annot, PDF_NAME(Rect));
    pdf_obj* pageres = pageobj ? pdf_dict_get_inheritable(ctx, pageobj, PDF_NAME(Resources)) : NULL;

    vq_font_info fi;
    memset(&fi, 0, sizeof fi);
    fi.da.font_size = 12;
    fi.da.col_size = 1;
    vq_ap_builder b;
    memset(&b, 0, sizeof b);
    fz_var(b);
    fz_try(ctx)
    {
        vq_get_font_info(ctx, doc, pageres, da, &fi);
        vq_ap_begin(ctx, &b, doc);
        pdf_obj* fonts = pdf_dict_put_dict(ctx, b.res, PDF_NAME(Font), 1);
        pdf_dict_puts(ctx, fonts, fi.da.font_name, fi.fontobj);
        float size = (float)fi.da.font_size;
        float descent = fz_font_descender(ctx, fi.font->font);
        float y = rect.y0 - size * descent;
        fz_buffer* o = b.buf;
        fz_append_string(ctx, o, "q\n");
        vq_ap_alpha(ctx, &b, 1, 0);
        if (!vq_ap_color(ctx, &b, fi.da.col_size == 3 || fi.da.col_size == 4 ? fi.da.col_size : 1, fi.da.col, 0))
            fz_append_string(ctx, o, "0 g\n");
        fz_append_printf(ctx, o, "BT\n/%s %d Tf\n%g %g Td\n", fi.da.font_name, fi.da.font_size, rect.x0, y);
        if (fi.composite)
            vq_append_hex_text(ctx, o, text);
        else
            vq_append_literal(ctx, o, text, strlen(text));
        fz_append_string(ctx, o, " Tj\nET\nQ\n");
        vq_ap_store(ctx, &b, annot, rect);
    }
    fz_always(ctx)
    {
        vq_ap_end(ctx, &b);
        vq_font_info_fin(ctx, &fi);
    }
    fz_catch(ctx)
        fz_rethrow(ctx);
    return 1;
}

int vq_ap_generate(fz_context* ctx, pdf_document* doc, pdf_obj* pageobj, pdf_obj* annot)
{
    pdf_obj* subtype = pdf_dict_get(ctx, annot, PDF_NAME(Subtype));
    if (!pageobj)
        pageobj = vq_ap_annot_page(ctx, annot);
    if (pdf_name_eq(ctx, subtype, PDF_NAME(Ink)))
        return gen_ink(ctx, doc, annot, 0);
    if (pdf_name_eq(ctx, subtype, PDF_NAME(Polygon)))
        return gen_ink(ctx, doc, annot, 1);
    if (pdf_name_eq(ctx, subtype, PDF_NAME(Highlight)))
        return gen_highlight(ctx, doc, pageobj, annot);
    if (pdf_name_eq(ctx, subtype, PDF_NAME(Underline)))
        return gen_markup_line(ctx, doc, annot, 0.0075f);
    if (pdf_name_eq(ctx, subtype, PDF_NAME(StrikeOut)))
        return gen_markup_line(ctx, doc, annot, 0.375f);
    if (pdf_name_eq(ctx, subtype, PDF_NAME(Square)))
        return gen_square_circle(ctx, doc, annot, 0);
    if (pdf_name_eq(ctx, subtype, PDF_NAME(Circle)))
        return gen_square_circle(ctx, doc, annot, 1);
    if (pdf_name_eq(ctx, subtype, PDF_NAME(Line)))
        return gen_line(ctx, doc, annot);
    if (pdf_name_eq(ctx, subtype, PDF_NAME(Text)))
        return gen_text_note(ctx, doc, annot);
    if (pdf_name_eq(ctx, subtype, PDF_NAME(FreeText)))
        return gen_free_text(ctx, doc, pageobj, annot);
    if (pdf_name_eq(ctx, subtype, PDF_NAME(Widget)))
    {
        switch (vq_ap_field_type(ctx, annot))
        {
        case VQ_AP_FIELD_LIST:
            vq_update_listbox_appearance(ctx, doc, annot);
            return 1;
        case VQ_AP_FIELD_COMBO:
            vq_update_combobox_appearance(ctx, doc, annot);
            return 1;
        case VQ_AP_FIELD_PUSH:
            vq_update_pushbutton_appearance(ctx, doc, annot);
            return 1;
        case VQ_AP_FIELD_TEXT:
            vq_update_text_appearance(ctx, doc, annot, NULL);
            return 1;
        case VQ_AP_FIELD_CHECK:
        case VQ_AP_FIELD_RADIO:
            vq_update_checkbox_appearance(ctx, doc, annot, vq_ap_field_type(ctx, annot) == VQ_AP_FIELD_RADIO);
            return 1;
        default:
            return 0; /* signature fields get their pictures from the appearance setters */
        }
    }
    return 0;
}

/* /AP /N is a stream, or a dictionary of states at least one of which is a stream. */
static int has_drawn_appearance(fz_context* ctx, pdf_obj* annot)
{
    pdf_obj* n = pdf_dict_getp(ctx, annot, "AP/N");
    if (pdf_is_stream(ctx, n))
        return 1;
    for (int i = 0; i < pdf_dict_len(ctx, n); i++)
        if (pdf_is_stream(ctx, pdf_dict_get_val(ctx, n, i)))
            return 1;
    return 0;
}

static int needs_appearance(fz_context* ctx, pdf_obj* annot)
{
    return !has_drawn_appearance(ctx, annot) || pdf_obj_is_dirty(ctx, annot);
}

static int skipped(fz_context* ctx, pdf_obj* annot)
{
    pdf_obj* st = pdf_dict_get(ctx, annot, PDF_NAME(Subtype));
    return pdf_name_eq(ctx, st, PDF_NAME(Link)) || pdf_name_eq(ctx, st, PDF_NAME(Popup));
}

void vq_page_prepare_appearances(fz_context* ctx, pdf_document* doc, pdf_obj* pageobj)
{
    pdf_obj* annots = pdf_dict_get(ctx, pageobj, PDF_NAME(Annots));
    int n = pdf_array_len(ctx, annots);
    for (int i = 0; i < n; i++)
    {
        pdf_obj* annot = pdf_array_get(ctx, annots, i);
        fz_try(ctx)
        {
            if (pdf_is_dict(ctx, annot) && !skipped(ctx, annot) && needs_appearance(ctx, annot))
            {
                vq_ap_generate(ctx, doc, pageobj, annot);
                pdf_clean_obj(ctx, annot);
            }
        }
        fz_catch(ctx)
            fz_warn(ctx, "could not update appearance for annotation: %s", fz_caught_message(ctx));
    }
}

void vq_annot_regenerate_appearance(fz_context* ctx, pdf_document* doc, pdf_annot* annot)
{
    if (!annot)
        return;
    pdf_obj* obj = pdf_annot_obj(ctx, annot);
    if (skipped(ctx, obj))
        return;
    if (!pdf_annot_needs_resynthesis(ctx, annot) && !needs_appearance(ctx, obj))
        return;
    pdf_page* page = pdf_annot_page(ctx, annot);
    if (!doc && page)
        doc = page->doc;
    if (vq_ap_generate(ctx, doc, page ? page->obj : NULL, obj))
    {
        pdf_clean_obj(ctx, obj);
        pdf_set_annot_resynthesised(ctx, annot);
    }
}

/* ---- default appearance strings ---------------------------------------------------------------- */

void vq_da_info_fin(fz_context* ctx, vq_da_info* di)
{
    fz_free(ctx, di->font_name);
    di->font_name = NULL;
}

void vq_parse_da(fz_context* ctx, const char* da, vq_da_info* di)
{
    float stack[32];
    int top = 0;
    char* name = NULL;
    pdf_lexbuf lbuf;
    fz_stream* str = NULL;
    if (!da)
        return;
    pdf_lexbuf_init(ctx, &lbuf, PDF_LEXBUF_SMALL);
    fz_var(str);
    fz_var(name);
    fz_try(ctx)
    {
        str = fz_open_memory(ctx, (const unsigned char*)da, strlen(da));
        for (;;)
        {
            pdf_token tok = pdf_lex(ctx, str, &lbuf);
            if (tok == PDF_TOK_EOF)
                break;
            if (tok == PDF_TOK_INT || tok == PDF_TOK_REAL)
            {
                vq_push_operand(stack, &top, 32, tok == PDF_TOK_INT ? (float)lbuf.i : lbuf.f);
            }
            else if (tok == PDF_TOK_NAME)
            {
                fz_free(ctx, name);
                name = NULL;
                name = fz_strdup(ctx, lbuf.scratch);
            }
            else if (tok == PDF_TOK_KEYWORD)
            {
                if (!strcmp(lbuf.scratch, "Tf") && top >= 1)
                {
                    di->font_size = (int)stack[0];
                    fz_free(ctx, di->font_name);
                    di->font_name = name;
                    name = NULL;
                }
                else if (!strcmp(lbuf.scratch, "rg") && top >= 3)
                {
                    di->col[0] = stack[0];
                    di->col[1] = stack[1];
                    di->col[2] = stack[2];
                    di->col_size = 3;
                }
                else if (!strcmp(lbuf.scratch, "g") && top >= 1)
                {
                    di->col[0] = stack[0];
                    di->col_size = 1;
                }
                fz_free(ctx, name);
                name = NULL;
                top = 0;
            }
        }
    }
    fz_always(ctx)
    {
        fz_free(ctx, name);
        fz_drop_stream(ctx, str);
        pdf_lexbuf_fin(ctx, &lbuf);
    }
    fz_catch(ctx)
        fz_rethrow(ctx);
}

void vq_print_da(fz_context* ctx, fz_buffer* buf, const vq_da_info* di)
{
    if (di->font_name && di->font_size != 0)
        fz_append_printf(ctx, buf, "/%s %d Tf", di->font_name, di->font_size);
    switch (di->col_size)
    {
    case 1:
        fz_append_printf(ctx, buf, " %g g", di->col[0]);
        break;
    case 3:
        fz_append_printf(ctx, buf, " %g %g %g rg", di->col[0], di->col[1], di->col[2]);
        break;
    case 4:
        fz_append_printf(ctx, buf, " %g %g %g %g k", di->col[0], di->col[1], di->col[2], di->col[3]);
        break;
    default:
        fz_append_string(ctx, buf, " 0 g");
        break;
    }
}

void vq_font_info_fin(fz_context* ctx, vq_font_info* fi)
{
    pdf_drop_font(ctx, fi->font);
    fi->font = NULL;
    pdf_drop_obj(ctx, fi->fontobj);
    fi->fontobj = NULL;
    vq_da_info_fin(ctx, &fi->da);
}

static void set_lineheight(fz_context* ctx, vq_font_info* fi)
{
    fi->lineheight = 1;
    if (fi->font && fi->font->ascent != 0 && fi->font->descent != 0)
        fi->lineheight = (fi->font->ascent - fi->font->descent) / 1000.0f;
}

void vq_get_font_info(fz_context* ctx, pdf_document* doc, pdf_obj* res, const char* da, vq_font_info* fi)
{
    vq_parse_da(ctx, da, &fi->da);
    if (!fi->da.font_name)
        fz_throw(ctx, FZ_ERROR_GENERIC, "No font name in default appearance");
    pdf_obj* fonts = pdf_dict_get(ctx, res, PDF_NAME(Font));
    pdf_obj* font = pdf_dict_gets(ctx, fonts, fi->da.font_name);
    pdf_obj* added = NULL;
    fz_font* courier = NULL;
    fz_var(added);
    fz_var(courier);
    fz_try(ctx)
    {
        if (!font)
        {
            int len = 0;
            const unsigned char* data = fz_lookup_base14_font(ctx, "Courier", &len);
            courier = fz_new_font_from_memory(ctx, "Courier", data, len, 0, 0);
            added = vq_add_simple_font(ctx, doc, courier, 0);
            if (pdf_is_dict(ctx, fonts))
                pdf_dict_puts(ctx, fonts, fi->da.font_name, added);
            font = added;
        }
        fi->font = pdf_load_font(ctx, doc, res, font);
        pdf_drop_obj(ctx, fi->fontobj);
        fi->fontobj = pdf_keep_obj(ctx, font);
        fi->composite = pdf_name_eq(ctx, pdf_dict_get(ctx, font, PDF_NAME(Subtype)), PDF_NAME(Type0));
        set_lineheight(ctx, fi);
    }
    fz_always(ctx)
    {
        fz_drop_font(ctx, courier);
        pdf_drop_obj(ctx, added);
    }
    fz_catch(ctx)
        fz_rethrow(ctx);
}
