/*
 * Marks written into a page's own content: picture stamps, text watermarks and smoothed ink
 * paths, each as a Form XObject drawn after the page's earlier content (which is moved into a
 * Form XObject of its own, FRM), and the form font that text marks use.
 */
#include "pdf-stamp.h"
#include "vq-appearance-writers.h"
#include "vq-appearance.h"

#include <math.h>
#include <stdio.h>
#include <string.h>

/* The first name FXX0, FXX1 … not yet used under the page's /Resources /XObject. */
static void next_mark_name(fz_context* ctx, pdf_obj* pageobj, char name[32])
{
    pdf_obj* xobjs = pdf_dict_getp(ctx, pageobj, "Resources/XObject");
    for (int i = 0;; i++)
    {
        snprintf(name, 32, "FXX%d", i);
        if (!pdf_dict_gets(ctx, xobjs, name))
            return;
    }
}

/* The page's content streams joined into one buffer. */
static fz_buffer* page_content(fz_context* ctx, pdf_obj* contents)
{
    fz_buffer* all = fz_new_buffer(ctx, 1024);
    fz_try(ctx)
    {
        if (pdf_is_array(ctx, contents))
        {
            int n = pdf_array_len(ctx, contents);
            for (int i = 0; i < n; i++)
            {
                fz_buffer* part = pdf_load_stream(ctx, pdf_array_get(ctx, contents, i));
                fz_append_buffer(ctx, all, part);
                fz_drop_buffer(ctx, part);
                fz_append_byte(ctx, all, '\n');
            }
        }
        else if (pdf_is_stream(ctx, contents))
        {
            fz_buffer* part = pdf_load_stream(ctx, contents);
            fz_append_buffer(ctx, all, part);
            fz_drop_buffer(ctx, part);
        }
    }
    fz_catch(ctx)
    {
        fz_drop_buffer(ctx, all);
        fz_rethrow(ctx);
    }
    return all;
}

void pdf_content_resources_to_xobject(fz_context* ctx, pdf_document* doc, pdf_page* page)
{
    pdf_obj* pageobj = page->obj;
    pdf_obj* contents = pdf_dict_get(ctx, pageobj, PDF_NAME(Contents));
    if (!contents)
    {
        /* Nothing to move: an empty stream becomes the content the marks are appended to. */
        fz_buffer* empty = fz_new_buffer(ctx, 1);
        fz_try(ctx)
            pdf_dict_put_drop(ctx, pageobj, PDF_NAME(Contents), pdf_add_stream(ctx, doc, empty, NULL, 0));
        fz_always(ctx)
            fz_drop_buffer(ctx, empty);
        fz_catch(ctx)
            fz_rethrow(ctx);
        return;
    }
    fz_buffer* old = NULL;
    fz_buffer* fresh = NULL;
    pdf_obj* res = NULL;
    pdf_obj* frm = NULL;
    pdf_obj* newres = NULL;
    fz_var(old);
    fz_var(fresh);
    fz_var(res);
    fz_var(frm);
    fz_var(newres);
    fz_try(ctx)
    {
        fz_rect media = pdf_to_rect(ctx, pdf_dict_get_inheritable(ctx, pageobj, PDF_NAME(MediaBox)));
        if (fz_is_empty_rect(media))
            media = fz_make_rect(0, 0, 612, 792);
        pdf_obj* oldres = pdf_dict_get_inheritable(ctx, pageobj, PDF_NAME(Resources));
        res = pdf_is_dict(ctx, oldres) ? pdf_copy_dict(ctx, oldres) : pdf_new_dict(ctx, doc, 1);
        old = page_content(ctx, contents);
        frm = pdf_new_xobject(ctx, doc, media, fz_identity, res, old);

        fresh = fz_new_buffer_from_copied_data(ctx, (const unsigned char*)"q\n /FRM Do Q\n", 14);
        pdf_dict_put_drop(ctx, pageobj, PDF_NAME(Contents), pdf_add_stream(ctx, doc, fresh, NULL, 0));
        newres = pdf_new_dict(ctx, doc, 1);
        pdf_obj* xo = pdf_dict_put_dict(ctx, newres, PDF_NAME(XObject), 1);
        pdf_dict_puts(ctx, xo, "FRM", frm);
        pdf_dict_put(ctx, pageobj, PDF_NAME(Resources), newres);
    }
    fz_always(ctx)
    {
        fz_drop_buffer(ctx, old);
        fz_drop_buffer(ctx, fresh);
        pdf_drop_obj(ctx, res);
        pdf_drop_obj(ctx, frm);
        pdf_drop_obj(ctx, newres);
    }
    fz_catch(ctx)
        fz_rethrow(ctx);
}

/* The page's resource dictionary of its own (an inherited one is copied onto the page). */
static pdf_obj* own_resources(fz_context* ctx, pdf_document* doc, pdf_obj* pageobj)
{
    pdf_obj* res = pdf_dict_get(ctx, pageobj, PDF_NAME(Resources));
    if (pdf_is_dict(ctx, res))
        return res;
    pdf_obj* inherited = pdf_dict_get_inheritable(ctx, pageobj, PDF_NAME(Resources));
    if (pdf_is_dict(ctx, inherited))
    {
        pdf_obj* copy = pdf_copy_dict(ctx, inherited);
        pdf_dict_put_drop(ctx, pageobj, PDF_NAME(Resources), copy);
        return copy;
    }
    return pdf_dict_put_dict(ctx, pageobj, PDF_NAME(Resources), 2);
}

/* Appends bytes to the page's (single, after the move) content stream, uncompressed. */
static void append_page_content(fz_context* ctx, pdf_document* doc, pdf_obj* pageobj, const char* text,
                                size_t len)
{
    pdf_obj* contents = pdf_dict_get(ctx, pageobj, PDF_NAME(Contents));
    fz_buffer* buf = page_content(ctx, contents);
    fz_try(ctx)
    {
        fz_append_data(ctx, buf, text, len);
        if (pdf_is_array(ctx, contents))
            pdf_dict_put_drop(ctx, pageobj, PDF_NAME(Contents), pdf_add_stream(ctx, doc, buf, NULL, 0));
        else
        {
            pdf_dict_del(ctx, contents, PDF_NAME(Filter));
            pdf_dict_del(ctx, contents, PDF_NAME(DecodeParms));
            pdf_update_stream(ctx, doc, contents, buf, 0);
        }
    }
    fz_always(ctx)
        fz_drop_buffer(ctx, buf);
    fz_catch(ctx)
        fz_rethrow(ctx);
}

/* Stores a new Form XObject under the page's /Resources /XObject /name. */
static void add_mark(fz_context* ctx, pdf_document* doc, pdf_obj* pageobj, const char* name, pdf_obj* form)
{
    pdf_obj* res = own_resources(ctx, doc, pageobj);
    pdf_obj* xo = pdf_dict_get(ctx, res, PDF_NAME(XObject));
    if (!pdf_is_dict(ctx, xo))
        xo = pdf_dict_put_dict(ctx, res, PDF_NAME(XObject), 1);
    pdf_dict_puts(ctx, xo, name, form);
}

static void matrix_text(char* out, size_t n, fz_matrix m)
{
    snprintf(out, n, "%f %f %f %f %f %f", m.a, m.b, m.c, m.d, m.e, m.f);
}

static fz_image* image_from_bytes(fz_context* ctx, const unsigned char* data, size_t len)
{
    fz_buffer* buf = fz_new_buffer_from_copied_data(ctx, data, len);
    fz_image* img = NULL;
    fz_try(ctx)
        img = fz_new_image_from_buffer(ctx, buf);
    fz_always(ctx)
        fz_drop_buffer(ctx, buf);
    fz_catch(ctx)
        fz_throw(ctx, VQ_EXC_IMAGE_FORMAT, "image format not recognised");
    return img;
}

/* Form space (y up, picture upright) -> page space with the form's top-left corner at a
   page-space point -> PDF user space. */
static fz_matrix placement(fz_context* ctx, pdf_page* page, float x, float y, float h)
{
    fz_matrix ctm;
    pdf_page_transform(ctx, page, NULL, &ctm);
    return fz_concat(fz_make_matrix(1, 0, 0, -1, x, y + h), fz_invert_matrix(ctm));
}

/* A Form XObject of w x h holding the picture drawn over it. */
static pdf_obj* image_form(fz_context* ctx, pdf_document* doc, fz_image* image, float w, float h)
{
    pdf_obj* imgref = NULL;
    pdf_obj* res = NULL;
    pdf_obj* form = NULL;
    fz_buffer* body = NULL;
    fz_var(imgref);
    fz_var(res);
    fz_var(body);
    fz_var(form);
    fz_try(ctx)
    {
        imgref = pdf_add_image(ctx, doc, image);
        res = pdf_new_dict(ctx, doc, 1);
        pdf_obj* xo = pdf_dict_put_dict(ctx, res, PDF_NAME(XObject), 1);
        pdf_dict_puts(ctx, xo, "Im0", imgref);
        body = fz_new_buffer(ctx, 64);
        fz_append_printf(ctx, body, "q %g 0 0 %g 0 0 cm /Im0 Do Q\n", w, h);
        form = pdf_new_xobject(ctx, doc, fz_make_rect(0, 0, w, h), fz_identity, res, body);
    }
    fz_always(ctx)
    {
        pdf_drop_obj(ctx, imgref);
        pdf_drop_obj(ctx, res);
        fz_drop_buffer(ctx, body);
    }
    fz_catch(ctx)
        fz_rethrow(ctx);
    return form;
}

/* Appends the watermark-marked drawing of the named form through the matrix; the page's
   /GS0 is written (opacity 1) when the page has none. */
static void append_watermark(fz_context* ctx, pdf_document* doc, pdf_obj* pageobj, const char* name, fz_matrix m)
{
    pdf_obj* res = own_resources(ctx, doc, pageobj);
    if (!pdf_dict_gets(ctx, pdf_dict_get(ctx, res, PDF_NAME(ExtGState)), "GS0"))
        pdf_setting_alpha(ctx, doc, res, 1);
    char mt[160], line[512];
    matrix_text(mt, sizeof mt, m);
    int len = snprintf(line, sizeof line,
                       "/Artifact <</Subtype /Watermark /Type /Pagination >>BDC\nq %s cm /GS0 gs\n /%s Do Q\nEMC\n", mt,
                       name);
    append_page_content(ctx, doc, pageobj, line, (size_t)len);
}

void pdf_add_image_watermark(fz_context* ctx, pdf_page* page, fz_image* image, float w, float h)
{
    pdf_document* doc = page->doc;
    pdf_obj* form = NULL;
    fz_var(form);
    fz_try(ctx)
    {
        fz_rect b = pdf_bound_page(ctx, page);
        fz_matrix m = placement(ctx, page, ((b.x1 - b.x0) - w) / 2, ((b.y1 - b.y0) - h) / 2, h);
        char name[32];
        next_mark_name(ctx, page->obj, name);
        pdf_content_resources_to_xobject(ctx, doc, page);
        form = image_form(ctx, doc, image, w, h);
        add_mark(ctx, doc, page->obj, name, form);
        append_watermark(ctx, doc, page->obj, name, m);
    }
    fz_always(ctx)
        pdf_drop_obj(ctx, form);
    fz_catch(ctx)
        fz_rethrow(ctx);
}

pdf_obj* pdf_create_image_frm(fz_context* ctx, pdf_document* doc, const unsigned char* data, size_t len, float w,
                              float h)
{
    fz_image* img = image_from_bytes(ctx, data, len);
    pdf_obj* form = NULL;
    fz_try(ctx)
        form = image_form(ctx, doc, img, w, h);
    fz_always(ctx)
        fz_drop_image(ctx, img);
    fz_catch(ctx)
        fz_rethrow(ctx);
    return form;
}

void pdf_add_image_watermark_from_frm(fz_context* ctx, pdf_page* page, pdf_obj* xobject, float w, float h)
{
    pdf_document* doc = page->doc;
    fz_rect b = pdf_bound_page(ctx, page);
    fz_matrix m = placement(ctx, page, ((b.x1 - b.x0) - w) / 2, ((b.y1 - b.y0) - h) / 2, h);
    pdf_content_resources_to_xobject(ctx, doc, page);
    add_mark(ctx, doc, page->obj, "FrmVq0", xobject);
    append_watermark(ctx, doc, page->obj, "FrmVq0", m);
}

void pdf_page_add_watermark_image_data(fz_context* ctx, pdf_page* page, const unsigned char* data, size_t len,
                                       float w, float h)
{
    fz_image* img = image_from_bytes(ctx, data, len);
    fz_try(ctx)
        pdf_add_image_watermark(ctx, page, img, w, h);
    fz_always(ctx)
        fz_drop_image(ctx, img);
    fz_catch(ctx)
        fz_rethrow(ctx);
}

void pdf_page_add_watermark_image(fz_context* ctx, pdf_page* page, const char* path, float w, float h)
{
    fz_buffer* buf = fz_read_file(ctx, path);
    fz_try(ctx)
        pdf_page_add_watermark_image_data(ctx, page, buf->data, buf->len, w, h);
    fz_always(ctx)
        fz_drop_buffer(ctx, buf);
    fz_catch(ctx)
        fz_rethrow(ctx);
}

void pdf_add_handwrite_signature(fz_context* ctx, pdf_page* page, fz_point point, fz_image* image, float w,
                                 float h)
{
    pdf_document* doc = page->doc;
    pdf_obj* pageobj = page->obj;
    pdf_obj* form = NULL;
    fz_var(form);
    fz_try(ctx)
    {
        fz_matrix place = placement(ctx, page, point.x, point.y, h);
        char name[32];
        next_mark_name(ctx, pageobj, name);
        pdf_content_resources_to_xobject(ctx, doc, page);
        form = image_form(ctx, doc, image, w, h);
        add_mark(ctx, doc, pageobj, name, form);

        char m[160], line[256];
        matrix_text(m, sizeof m, place);
        int len = snprintf(line, sizeof line, "q %s cm /%s Do Q\n", m, name);
        append_page_content(ctx, doc, pageobj, line, (size_t)len);
    }
    fz_always(ctx)
        pdf_drop_obj(ctx, form);
    fz_catch(ctx)
        fz_rethrow(ctx);
}

void pdf_page_add_image_form_data(fz_context* ctx, pdf_page* page, fz_point point, const unsigned char* data,
                                  size_t len, float w, float h)
{
    fz_image* img = image_from_bytes(ctx, data, len);
    fz_try(ctx)
        pdf_add_handwrite_signature(ctx, page, point, img, w, h);
    fz_always(ctx)
        fz_drop_image(ctx, img);
    fz_catch(ctx)
        fz_rethrow(ctx);
}

void pdf_page_add_image_form_file(fz_context* ctx, pdf_page* page, fz_point point, const char* path, float w,
                                  float h)
{
    fz_buffer* buf = fz_read_file(ctx, path);
    fz_try(ctx)
        pdf_page_add_image_form_data(ctx, page, point, buf->data, buf->len, w, h);
    fz_always(ctx)
        fz_drop_buffer(ctx, buf);
    fz_catch(ctx)
        fz_rethrow(ctx);
}

void pdf_setting_alpha(fz_context* ctx, pdf_document* doc, pdf_obj* resources, float alpha)
{
    pdf_obj* gsdict = pdf_dict_get(ctx, resources, PDF_NAME(ExtGState));
    if (!pdf_is_dict(ctx, gsdict))
        gsdict = pdf_dict_put_dict(ctx, resources, PDF_NAME(ExtGState), 1);
    pdf_obj* gs = pdf_new_dict(ctx, doc, 4);
    fz_try(ctx)
    {
        pdf_dict_put_real(ctx, gs, PDF_NAME(CA), alpha);
        pdf_dict_put_real(ctx, gs, PDF_NAME(ca), alpha);
        pdf_dict_put(ctx, gs, PDF_NAME(Type), PDF_NAME(ExtGState));
        pdf_dict_put(ctx, gs, PDF_NAME(BM), PDF_NAME(Multiply));
        pdf_dict_puts(ctx, gsdict, "GS0", gs);
    }
    fz_always(ctx)
        pdf_drop_obj(ctx, gs);
    fz_catch(ctx)
        fz_rethrow(ctx);
}

pdf_font_desc* pdf_graft_fontres_obj(fz_context* ctx, pdf_document* doc, pdf_obj* resources, const char* name)
{
    pdf_obj* root = pdf_dict_get(ctx, pdf_trailer(ctx, doc), PDF_NAME(Root));
    pdf_obj* font = pdf_dict_gets(ctx, pdf_dict_getp(ctx, root, "AcroForm/DR/Font"), name);
    pdf_obj* made = NULL;
    fz_var(made);
    fz_try(ctx)
    {
        pdf_obj* fonts = pdf_dict_get(ctx, resources, PDF_NAME(Font));
        if (!pdf_is_dict(ctx, fonts))
            fonts = pdf_dict_put_dict(ctx, resources, PDF_NAME(Font), 1);
        if (!font)
        {
            made = vq_appearance_cjk_font(ctx, doc);
            pdf_obj* form = pdf_dict_get(ctx, root, PDF_NAME(AcroForm));
            if (!pdf_is_dict(ctx, form))
                form = pdf_dict_put_dict(ctx, root, PDF_NAME(AcroForm), 2);
            pdf_obj* dr = pdf_dict_get(ctx, form, PDF_NAME(DR));
            if (!pdf_is_dict(ctx, dr))
                dr = pdf_dict_put_dict(ctx, form, PDF_NAME(DR), 1);
            pdf_obj* drfonts = pdf_dict_get(ctx, dr, PDF_NAME(Font));
            if (!pdf_is_dict(ctx, drfonts))
                drfonts = pdf_dict_put_dict(ctx, dr, PDF_NAME(Font), 1);
            pdf_dict_puts(ctx, drfonts, name, made);
            font = made;
        }
        pdf_dict_puts(ctx, fonts, name, font);
    }
    fz_catch(ctx)
    {
        pdf_drop_obj(ctx, made);
        fz_rethrow(ctx);
    }
    pdf_font_desc* desc = NULL;
    fz_var(desc);
    fz_try(ctx)
        desc = pdf_load_font(ctx, doc, resources, font);
    fz_always(ctx)
        pdf_drop_obj(ctx, made);
    fz_catch(ctx)
        fz_rethrow(ctx);
    return desc;
}

/* Width of code points at a size, truncated after each character, in the font's own advances. */
static int wtext_width(fz_context* ctx, pdf_font_desc* desc, const int* codes, int n, int size)
{
    int total = 0;
    for (int i = 0; i < n; i++)
    {
        int gid = fz_encode_character(ctx, desc->font, codes[i]);
        total = (int)(total + fz_advance_glyph(ctx, desc->font, gid, 0) * size);
    }
    return total;
}

/* Bounds of the text box corners rotated by the angle (PDF orientation, y up). */
static fz_rect rotated_box(const fz_point* corners, float angle)
{
    fz_matrix rot = fz_rotate(angle);
    fz_rect r = fz_empty_rect;
    for (int i = 0; i < 4; i++)
    {
        fz_point p = fz_transform_point(corners[i], rot);
        r = fz_include_point_in_rect(r, p);
    }
    return r;
}

void pdf_page_add_watermark_text(fz_context* ctx, pdf_page* page, int position, const float* style,
                                 const char* given_text, float fontsize, float angle)
{
    const char* text = given_text ? given_text : "";
    pdf_document* doc = page->doc;
    pdf_obj* pageobj = page->obj;
    const char* fontname = "SimSun";
    int size = (int)fontsize;
    int* codes = NULL;
    int ncodes = 0;
    pdf_font_desc* desc = NULL;
    pdf_obj* res = NULL;
    pdf_obj* form = NULL;
    fz_buffer* body = NULL;
    fz_buffer* marks = NULL;
    fz_var(codes);
    fz_var(desc);
    fz_var(res);
    fz_var(form);
    fz_var(body);
    fz_var(marks);
    fz_var(text);
    if (size <= 0)
        fz_throw(ctx, FZ_ERROR_GENERIC, "watermark font size must be positive");
    fz_try(ctx)
    {
        fz_matrix ctm;
        pdf_page_transform(ctx, page, NULL, &ctm);
        fz_rect bounds = pdf_bound_page(ctx, page);
        float W = bounds.x1 - bounds.x0, H = bounds.y1 - bounds.y0;

        char name[32];
        next_mark_name(ctx, pageobj, name);
        if (!strcmp(name, "FXX0"))
            pdf_content_resources_to_xobject(ctx, doc, page);

        pdf_setting_alpha(ctx, doc, own_resources(ctx, doc, pageobj), style[3]);
        res = pdf_new_dict(ctx, doc, 2);
        desc = pdf_graft_fontres_obj(ctx, doc, res, fontname);

        /* UTF-8 -> code points */
        size_t tlen = strlen(text);
        codes = (int*)fz_malloc(ctx, (tlen + 1) * sizeof *codes);
        for (const char* s = text; *s;)
        {
            int c;
            s += fz_chartorune(&c, s);
            codes[ncodes++] = c;
        }
        float ascent = desc->ascent / 1000.0f, descent = -desc->descent / 1000.0f;
        float w = (float)wtext_width(ctx, desc, codes, ncodes, size);
        float s = (float)size;
        float drop = s * (1 + ascent - descent) * 0.5f;

        body = fz_new_buffer(ctx, 64 + 4 * (size_t)ncodes);
        char head[256];
        snprintf(head, sizeof head, "BT\n/%s %d Tf\n%f %f %f rg\n%d %f Td\n<", fontname, size, style[0], style[1],
                 style[2], 0, -drop);
        fz_append_string(ctx, body, head);
        for (int i = 0; i < ncodes; i++)
        {
            char hex[8];
            snprintf(hex, sizeof hex, "%04x", codes[i] & 0xFFFF);
            fz_append_string(ctx, body, hex);
        }
        fz_append_string(ctx, body, "> Tj\nET\n");
        form = pdf_new_xobject(ctx, doc, fz_make_rect(0, -s, w, 0.1f * s), fz_identity, res, body);
        add_mark(ctx, doc, pageobj, name, form);

        int centred = position == 4 || position == 6;
        fz_point corners[4];
        if (centred)
        {
            corners[0] = fz_make_point(-w / 2, s / 2);
            corners[1] = fz_make_point(w / 2, s / 2);
            corners[2] = fz_make_point(-w / 2, -s / 2);
            corners[3] = fz_make_point(w / 2, -s / 2);
        }
        else
        {
            corners[0] = fz_make_point(0, 0);
            corners[1] = fz_make_point(w, 0);
            corners[2] = fz_make_point(0, -s);
            corners[3] = fz_make_point(w, -s);
        }
        fz_rect box = rotated_box(corners, angle);
        float bw = box.x1 - box.x0, bh = box.y1 - box.y0;
        /* Page-space offsets of the rotated box's top-left corner from the anchor. */
        float left = box.x0, top = -box.y1;

        float scale = 1;
        fz_point anchors[1024];
        int nanchors = 0;
        switch (position)
        {
        case 1: anchors[nanchors++] = fz_make_point(W - 10 - bw - left, 10 - top); break;
        case 2: anchors[nanchors++] = fz_make_point(10 - left, H - 10 - bh - top); break;
        case 3: anchors[nanchors++] = fz_make_point(W - 10 - bw - left, H - 10 - bh - top); break;
        case 4: anchors[nanchors++] = fz_make_point(W / 2, H / 2); break;
        case 5:
        {
            float cs = fabsf(cosf(angle * FZ_PI / 180)), sn = fabsf(sinf(angle * FZ_PI / 180));
            float xstep = cs * w + 20;
            int cols = (int)ceilf((W - 20) / xstep);
            if (cols > 10)
            {
                xstep = 40;
                cols = (int)ceilf((W - 20) / 40);
            }
            float ystep = (float)((int)(sn * w) + 70);
            int rows = (int)ceilf((H - 20) / ystep);
            for (int r = 0; r < rows; r++)
                for (int c = 0; c < cols && nanchors < (int)(sizeof anchors / sizeof anchors[0]); c++)
                    anchors[nanchors++] = fz_make_point(10 + c * xstep, 10 + r * ystep);
            break;
        }
        case 6:
        {
            float th = angle;
            if (w > 0)
            {
                if (th == 0 || th == 180)
                    scale = (W - 20) / w;
                else if (th == 90)
                    scale = (H - 20) / w;
                else if (th < 0 || th > 180)
                    scale = 1;
                else
                {
                    float cs = fabsf(cosf(th * FZ_PI / 180)), sn = fabsf(sinf(th * FZ_PI / 180));
                    float fit = (W / H > cs) ? H / sn : W / cs;
                    scale = (fit - s * (W - 20) / w - 20) / w;
                }
                if (!(scale > 0) || !isfinite(scale))
                    scale = 1;
            }
            anchors[nanchors++] = fz_make_point(W / 2, H / 2);
            break;
        }
        default: anchors[nanchors++] = fz_make_point(10 - left, 10 - top); break;
        }

        fz_matrix inv = fz_invert_matrix(ctm);
        marks = fz_new_buffer(ctx, 256);
        for (int i = 0; i < nanchors; i++)
        {
            fz_point a = fz_transform_point(anchors[i], inv);
            fz_matrix m = fz_pre_scale(fz_pre_rotate(fz_translate(a.x, a.y), angle), scale, scale);
            if (centred)
                m = fz_pre_translate(m, -w / 2, s / 2);
            char mt[160];
            matrix_text(mt, sizeof mt, m);
            fz_append_printf(ctx, marks,
                             "/Artifact <</Subtype /Watermark /Type /Pagination >>BDC\n"
                             "q %s cm /GS0 gs\n /%s Do Q\nEMC\n",
                             mt, name);
        }
        append_page_content(ctx, doc, pageobj, (const char*)marks->data, marks->len);
    }
    fz_always(ctx)
    {
        fz_free(ctx, codes);
        pdf_drop_font(ctx, desc);
        pdf_drop_obj(ctx, res);
        pdf_drop_obj(ctx, form);
        fz_drop_buffer(ctx, body);
        fz_drop_buffer(ctx, marks);
    }
    fz_catch(ctx)
        fz_rethrow(ctx);
}

void pdf_page_add_path(fz_context* ctx, pdf_page* page, const fz_point* points, const int* counts, int ncount,
                       fz_point offset, float thickness, const float* color)
{
    pdf_document* doc = page->doc;
    pdf_obj* pageobj = page->obj;
    fz_buffer* body = NULL;
    pdf_obj* res = NULL;
    pdf_obj* form = NULL;
    fz_var(body);
    fz_var(res);
    fz_var(form);
    fz_try(ctx)
    {
        fz_matrix ctm;
        pdf_page_transform(ctx, page, NULL, &ctm);
        fz_matrix m = fz_concat(fz_concat(fz_scale(0.5f, 0.5f), fz_translate(offset.x, offset.y)),
                                fz_invert_matrix(ctm));
        body = fz_new_buffer(ctx, 256);
        fz_append_printf(ctx, body, "1 J 1 j %g w %g %g %g RG\n", thickness, color[0], color[1], color[2]);
        fz_rect bbox = fz_empty_rect;
        const fz_point* p = points;
        for (int i = 0; i < ncount; i++)
        {
            int n = counts[i];
            if (n <= 0)
                continue;
            vq_smooth_pen pen;
            vq_smooth_begin(ctx, body, &pen, fz_transform_point(p[0], m), &bbox);
            for (int k = 1; k < n; k++)
                vq_smooth_to(ctx, body, &pen, fz_transform_point(p[k], m), &bbox);
            vq_smooth_end(ctx, body, &pen);
            p += n;
        }
        fz_append_string(ctx, body, "S\n");
        if (fz_is_empty_rect(bbox) && bbox.x0 > bbox.x1)
            bbox = fz_make_rect(0, 0, 0, 0);
        bbox = fz_expand_rect(bbox, thickness);

        char name[32];
        next_mark_name(ctx, pageobj, name);
        pdf_content_resources_to_xobject(ctx, doc, page);
        res = pdf_new_dict(ctx, doc, 1);
        form = pdf_new_xobject(ctx, doc, bbox, fz_identity, res, body);
        add_mark(ctx, doc, pageobj, name, form);
        char line[64];
        int len = snprintf(line, sizeof line, "q /%s Do Q\n", name);
        append_page_content(ctx, doc, pageobj, line, (size_t)len);
    }
    fz_always(ctx)
    {
        fz_drop_buffer(ctx, body);
        pdf_drop_obj(ctx, res);
        pdf_drop_obj(ctx, form);
    }
    fz_catch(ctx)
        fz_rethrow(ctx);
}

pdf_document* pdf_create_blank_document(fz_context* ctx, fz_rect mediabox)
{
    pdf_document* doc = pdf_create_document(ctx);
    pdf_obj* res = NULL;
    pdf_obj* page = NULL;
    fz_buffer* contents = NULL;
    fz_var(res);
    fz_var(page);
    fz_var(contents);
    fz_try(ctx)
    {
        res = pdf_new_dict(ctx, doc, 1);
        contents = fz_new_buffer(ctx, 1);
        page = pdf_add_page(ctx, doc, mediabox, 0, res, contents);
        pdf_insert_page(ctx, doc, -1, page);
    }
    fz_always(ctx)
    {
        pdf_drop_obj(ctx, res);
        pdf_drop_obj(ctx, page);
        fz_drop_buffer(ctx, contents);
    }
    fz_catch(ctx)
    {
        pdf_drop_document(ctx, doc);
        fz_rethrow(ctx);
    }
    return doc;
}

void pdf_document_merge(fz_context* ctx, pdf_document* dst, int flag, int after, pdf_document* src, int from, int to)
{
    (void)flag;
    int count = pdf_count_pages(ctx, src);
    if (from < 1 || to < 1 || from > count || to > count)
        fz_throw(ctx, FZ_ERROR_GENERIC, "page range %d-%d outside 1-%d", from, to, count);
    pdf_graft_map* map = pdf_new_graft_map(ctx, dst);
    fz_try(ctx)
    {
        int step = from <= to ? 1 : -1;
        int at = after;
        for (int p = from;; p += step)
        {
            pdf_graft_mapped_page(ctx, map, at, src, p - 1);
            if (at >= 0)
                at++;
            if (p == to)
                break;
        }
    }
    fz_always(ctx)
        pdf_drop_graft_map(ctx, map);
    fz_catch(ctx)
        fz_rethrow(ctx);
}
