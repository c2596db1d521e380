/*
 * Appearance streams of widgets and signatures: form fields (text, combo box, list box, push
 * button), pictures placed on an annotation at a size, opacity and rotation, the layered form
 * of signature appearances, another PDF's first page, and a text line as a signature.
 */
#include "vq-appearance-writers.h"

#include <float.h>
#include <limits.h>
#include <math.h>
#include <string.h>

/* ---- form fields -------------------------------------------------------------------------------- */

enum
{
    FF_MULTILINE = 1 << 12,
    FF_PASSWORD = 1 << 13,
    FF_FILESELECT = 1 << 20,
    FF_COMB = 1 << 24,
    FF_RADIO = 1 << 15,
    FF_PUSH = 1 << 16,
    FF_COMBO = 1 << 17
};

/* An inheritable field key: the widget, its /Parent fields, then the AcroForm dictionary. */
static pdf_obj* field_get(fz_context* ctx, pdf_document* doc, pdf_obj* widget, pdf_obj* key)
{
    pdf_obj* v = pdf_dict_get_inheritable(ctx, widget, key);
    if (!v && doc)
        v = pdf_dict_get(ctx, pdf_dict_getp(ctx, pdf_trailer(ctx, doc), "Root/AcroForm"), key);
    return v;
}

int vq_ap_field_type(fz_context* ctx, pdf_obj* widget)
{
    pdf_obj* ft = pdf_dict_get_inheritable(ctx, widget, PDF_NAME(FT));
    int ff = pdf_to_int(ctx, pdf_dict_get_inheritable(ctx, widget, PDF_NAME(Ff)));
    if (pdf_name_eq(ctx, ft, PDF_NAME(Btn)))
        return (ff & FF_PUSH) ? VQ_AP_FIELD_PUSH : (ff & FF_RADIO) ? VQ_AP_FIELD_RADIO : VQ_AP_FIELD_CHECK;
    if (pdf_name_eq(ctx, ft, PDF_NAME(Tx)))
        return VQ_AP_FIELD_TEXT;
    if (pdf_name_eq(ctx, ft, PDF_NAME(Ch)))
        return (ff & FF_COMBO) ? VQ_AP_FIELD_COMBO : VQ_AP_FIELD_LIST;
    if (pdf_name_eq(ctx, ft, PDF_NAME(Sig)))
        return VQ_AP_FIELD_SIG;
    return VQ_AP_FIELD_NONE;
}

typedef struct
{
    pdf_obj* dr;
    int bg_n;
    float bg[4];
    vq_font_info fi;
    int q;
    int multiline, comb, maxlen;
} text_widget_info;

static void twi_fin(fz_context* ctx, text_widget_info* info)
{
    vq_font_info_fin(ctx, &info->fi);
}

static void get_text_widget_info(fz_context* ctx, pdf_document* doc, pdf_obj* widget, text_widget_info* info,
                                 int cjk_text)
{
    memset(info, 0, sizeof *info);
    info->dr = field_get(ctx, doc, widget, PDF_NAME(DR));
    pdf_obj* bg = pdf_dict_getp(ctx, widget, "MK/BG");
    int n = pdf_array_len(ctx, bg);
    if (n == 1 || n == 3 || n == 4)
    {
        info->bg_n = n;
        for (int i = 0; i < n; i++)
            info->bg[i] = pdf_array_get_real(ctx, bg, i);
    }
    info->q = pdf_to_int(ctx, field_get(ctx, doc, widget, PDF_NAME(Q)));
    int ff = pdf_to_int(ctx, pdf_dict_get_inheritable(ctx, widget, PDF_NAME(Ff)));
    info->multiline = (ff & FF_MULTILINE) != 0;
    pdf_obj* maxlen = pdf_dict_get_inheritable(ctx, widget, PDF_NAME(MaxLen));
    info->maxlen = pdf_to_int(ctx, maxlen);
    info->comb = (ff & FF_COMB) && !(ff & (FF_MULTILINE | FF_PASSWORD | FF_FILESELECT)) && maxlen && info->maxlen > 0;
    const char* da = pdf_to_text_string(ctx, field_get(ctx, doc, widget, PDF_NAME(DA)));
    if (!info->dr)
    {
        /* Without default resources the font goes into the AcroForm's, created here. */
        pdf_obj* form = pdf_dict_getp(ctx, pdf_trailer(ctx, doc), "Root/AcroForm");
        if (pdf_is_dict(ctx, form))
            info->dr = pdf_dict_put_dict(ctx, form, PDF_NAME(DR), 1);
    }
    vq_parse_da(ctx, da, &info->fi.da);
    if (cjk_text || (info->fi.da.font_name && !strcmp(info->fi.da.font_name, "SimSun")))
        vq_get_cid_font_info(ctx, doc, info->dr, &info->fi);
    else
        vq_get_font_info(ctx, doc, info->dr, da, &info->fi);
}

/* The widget's appearance form, created over its rectangle (rotated by /MK /R) when missing. */
static pdf_obj* get_widget_form(fz_context* ctx, pdf_document* doc, pdf_obj* widget)
{
    pdf_obj* form = pdf_dict_getp(ctx, widget, "AP/N");
    if (pdf_is_stream(ctx, form))
        return pdf_keep_obj(ctx, form);
    fz_rect r = pdf_dict_get_rect(ctx, widget, PDF_NAME(Rect));
    float w = r.x1 - r.x0, h = r.y1 - r.y0;
    int rot = pdf_to_int(ctx, pdf_dict_getp(ctx, widget, "MK/R"));
    fz_matrix m = fz_identity;
    fz_rect box = fz_make_rect(0, 0, w, h);
    switch (rot)
    {
    case 90:
        m = fz_pre_rotate(fz_translate(w, 0), 90);
        box = fz_make_rect(0, 0, h, w);
        break;
    case 180:
        m = fz_pre_rotate(fz_translate(w, h), 180);
        break;
    case 270:
        m = fz_pre_rotate(fz_translate(0, h), 270);
        box = fz_make_rect(0, 0, h, w);
        break;
    default:
        break;
    }
    pdf_obj* res = pdf_new_dict(ctx, doc, 1);
    pdf_obj* f = NULL;
    fz_var(f);
    fz_try(ctx)
    {
        f = vq_ap_new_form(ctx, doc, box, m, res, "", 0);
        pdf_obj* ap = pdf_dict_get(ctx, widget, PDF_NAME(AP));
        if (!pdf_is_dict(ctx, ap))
            ap = pdf_dict_put_dict(ctx, widget, PDF_NAME(AP), 1);
        pdf_dict_put(ctx, ap, PDF_NAME(N), f);
    }
    fz_always(ctx)
        pdf_drop_obj(ctx, res);
    fz_catch(ctx)
    {
        pdf_drop_obj(ctx, f);
        fz_rethrow(ctx);
    }
    return f;
}

/* Finds the text matrix offsets of an existing appearance: the last "a b c d e f Tm". */
static int get_matrix(fz_context* ctx, pdf_obj* form, int q, fz_matrix* mt)
{
    fz_buffer* buf = pdf_load_stream(ctx, form);
    float nums[6];
    int count = 0, found = 0;
    pdf_lexbuf lbuf;
    fz_stream* str = NULL;
    pdf_lexbuf_init(ctx, &lbuf, PDF_LEXBUF_SMALL);
    fz_var(str);
    fz_try(ctx)
    {
        str = fz_open_buffer(ctx, buf);
        for (;;)
        {
            pdf_token tok = pdf_lex(ctx, str, &lbuf);
            if (tok == PDF_TOK_EOF)
                break;
            if (tok == PDF_TOK_INT || tok == PDF_TOK_REAL)
            {
                vq_push_operand(nums, &count, 6, tok == PDF_TOK_INT ? (float)lbuf.i : lbuf.f);
            }
            else
            {
                if (tok == PDF_TOK_KEYWORD && !strcmp(lbuf.scratch, "Tm") && count == 6)
                {
                    *mt = fz_make_matrix(nums[0], nums[1], nums[2], nums[3], nums[4], nums[5]);
                    found = 1;
                }
                count = 0;
            }
        }
    }
    fz_always(ctx)
    {
        fz_drop_stream(ctx, str);
        fz_drop_buffer(ctx, buf);
        pdf_lexbuf_fin(ctx, &lbuf);
    }
    fz_catch(ctx)
        fz_rethrow(ctx);
    if (found)
    {
        fz_rect bbox = pdf_dict_get_rect(ctx, form, PDF_NAME(BBox));
        mt->e = q == 0 ? bbox.x0 + 1 : q == 1 ? (bbox.x1 - bbox.x0) / 2 : bbox.x1 - 1;
    }
    return found;
}

/* Replaces the marked-content section ("/Tx BMC" … "EMC") of the form's content with the new
   content, keeping whatever the author drew around it. */
static void update_marked_content(fz_context* ctx, pdf_document* doc, pdf_obj* form, fz_buffer* fresh)
{
    fz_buffer* old = pdf_load_stream(ctx, form);
    fz_buffer* out = NULL;
    fz_var(out);
    fz_try(ctx)
    {
        out = fz_new_buffer(ctx, old->len + fresh->len + 16);
        const char* o = (const char*)old->data;
        size_t olen = old->len;
        const char* bmc = NULL;
        /* Find the first BMC keyword of the old content. */
        for (size_t i = 0; i + 3 <= olen; i++)
            if (!memcmp(o + i, "BMC", 3) && (i == 0 || strchr(" \t\r\n", o[i - 1])) &&
                (i + 3 == olen || strchr(" \t\r\n/[(<", o[i + 3])))
            {
                bmc = o + i;
                break;
            }
        if (!bmc)
        {
            fz_append_data(ctx, out, o, olen);
            if (olen && !strchr(" \t\r\n", o[olen - 1]))
                fz_append_byte(ctx, out, '\n');
            fz_append_buffer(ctx, out, fresh);
        }
        else
        {
            /* Keep what precedes the section's tag (the "/Tx" name before BMC). */
            const char* start = bmc;
            while (start > o && strchr(" \t\r\n", start[-1]))
                start--;
            while (start > o && !strchr(" \t\r\n/", start[-1]))
                start--;
            if (start > o && start[-1] == '/')
                start--;
            fz_append_data(ctx, out, o, start - o);
            fz_append_buffer(ctx, out, fresh);
            const char* emc = NULL;
            for (const char* p = bmc + 3; p + 3 <= o + olen; p++)
                if (!memcmp(p, "EMC", 3) && strchr(" \t\r\n", p[-1]) && (p + 3 == o + olen || strchr(" \t\r\n", p[3])))
                {
                    emc = p + 3;
                    break;
                }
            if (emc)
                fz_append_data(ctx, out, emc, o + olen - emc);
        }
        pdf_update_stream(ctx, doc, form, out, 0);
    }
    fz_always(ctx)
    {
        fz_drop_buffer(ctx, old);
        fz_drop_buffer(ctx, out);
    }
    fz_catch(ctx)
        fz_rethrow(ctx);
}

static void append_clip(fz_context* ctx, fz_buffer* o, fz_rect b, const text_widget_info* info)
{
    fz_append_printf(ctx, o, "%g %g %g %g re\nW\n", b.x0, b.y0, b.x1 - b.x0, b.y1 - b.y0);
    if (info && info->bg_n)
    {
        switch (info->bg_n)
        {
        case 1: fz_append_printf(ctx, o, "%g g\n", info->bg[0]); break;
        case 3: fz_append_printf(ctx, o, "%g %g %g rg\n", info->bg[0], info->bg[1], info->bg[2]); break;
        default: fz_append_printf(ctx, o, "%g %g %g %g k\n", info->bg[0], info->bg[1], info->bg[2], info->bg[3]); break;
        }
        fz_append_string(ctx, o, "f\n");
    }
    else
        fz_append_string(ctx, o, "n\n");
}

static void append_text(fz_context* ctx, fz_buffer* o, const vq_font_info* fi, const char* text)
{
    if (fi->composite)
    {
        vq_append_hex_text(ctx, o, text);
        fz_append_string(ctx, o, " Tj\n");
    }
    else
    {
        vq_append_literal(ctx, o, text, strlen(text));
        fz_append_string(ctx, o, "Tj\n");
    }
}

/* ---- multi-line text ------------------------------------------------------------------------------ */

/* Automatic size: passes stop once the text would be drawn smaller than this (points), or after
   this many passes; what does not fit then is clipped. Both only bound the work a hostile value
   can cause: a text that fits at any readable size fits long before. */
#define ML_MIN_SIZE 1.0f
#define ML_MAX_PASSES 400

typedef struct
{
    const int* cps;        /* the text as code points */
    int len;
    pdf_font_desc* font;
    int composite;         /* two-byte codes (the CJK font); else one byte a character */
    float W, H;            /* the box */
    float fs, L;           /* font size and line pitch, before scaling */
    float E;               /* height of the lines beyond N pitches: the first baseline's drop and
                              the last line's descent, less one pitch (before scaling) */
    float s, R;            /* scale of the text matrix; room of a line before scaling (W / s) */
    int N;                 /* line limit */
    int shrink;            /* the next run that does not fit widens the room once */
} ml_layout;

static int ml_is_break(int c)
{
    return c == '\n' || c == '\r';
}

/* Characters as the font reads them: four hexadecimal digits each for the CJK font, a literal
   string of single bytes for a simple font (whose text is plain ASCII: any other text is written
   in the CJK font). */
static void ml_append_run(fz_context* ctx, fz_buffer* o, int composite, const int* cps, int n)
{
    if (composite)
    {
        fz_append_byte(ctx, o, '<');
        for (int j = 0; j < n; j++)
            fz_append_printf(ctx, o, "%04x", cps[j] & 0xFFFF);
        fz_append_string(ctx, o, "> Tj\n");
        return;
    }
    fz_append_byte(ctx, o, '(');
    for (int j = 0; j < n; j++)
    {
        int c = cps[j] < 256 ? cps[j] : '?';
        if (c == '(' || c == ')' || c == '\\')
            fz_append_byte(ctx, o, '\\');
        fz_append_byte(ctx, o, c);
    }
    fz_append_string(ctx, o, ") Tj\n");
}

static float ml_width(fz_context* ctx, ml_layout* m, int from, int n)
{
    float w = 0;
    vq_text_stride_cid(ctx, m->font, m->cps + from, n, m->fs, FLT_MAX, &w);
    return w;
}

/* One pass over the text into o: lines broken at line ends and between words, a word wider than
   a line broken where it stops fitting. Returns 1 when the lines ran out before the text. */
static int ml_pass(fz_context* ctx, ml_layout* m, fz_buffer* o)
{
    const int* cps = m->cps;
    int pos = 0;
    float px = 0, py = 0;
    for (int i = 0; i < m->N; i++)
    {
        float x = 0;
        for (;;)
        {
            if (pos >= m->len)
                return 0;
            if (ml_is_break(cps[pos]))
            {
                while (pos < m->len && ml_is_break(cps[pos]))
                    pos++;
                if (pos >= m->len)
                    return 0;
                break;
            }
            /* A run: one space, or a word up to the next space or line end. */
            int end = pos + 1;
            if (cps[pos] != ' ')
                while (end < m->len && cps[end] != ' ' && !ml_is_break(cps[end]))
                    end++;
            int n = end - pos;
            float w = 0;
            int k = vq_text_stride_cid(ctx, m->font, cps + pos, n, m->fs, m->R - x, &w);
            if (k < n && m->shrink)
            {
                /* Widen the room once: to one more line at the box's proportions, by a tenth
                   (at a line start), or just enough for this run, whichever is smallest. */
                float one_more_line = ((float)(m->N + 1) * m->L + m->E) * m->W / m->H;
                float r = one_more_line;
                if (x == 0 && 1.1f * m->W / m->s < r)
                    r = 1.1f * m->W / m->s;
                if (1.001f * (ml_width(ctx, m, pos, n) + x) < r)
                    r = 1.001f * (ml_width(ctx, m, pos, n) + x);
                if (r == one_more_line)
                    m->N++;
                m->shrink = 0;
                m->R = r;
                m->s = m->W / r;
                k = vq_text_stride_cid(ctx, m->font, cps + pos, n, m->fs, m->R - x, &w);
            }
            if (k < n && x > 0)
                break; /* the run starts the next line */
            if (k == 0)
            {
                k = 1;
                w = ml_width(ctx, m, pos, 1);
            }
            if (cps[pos] != ' ')
            {
                fz_append_printf(ctx, o, "%g %g Td\n", x - px, -i * m->L - py);
                px = x;
                py = -i * m->L;
                ml_append_run(ctx, o, m->composite, cps + pos, k);
            }
            pos += k;
            x += w;
        }
    }
    while (pos < m->len && ml_is_break(cps[pos]))
        pos++;
    return pos < m->len;
}

/* Lays the text out into o (Td and Tj operators). With an automatic size the text is laid out
   again, in more and wider lines scaled down to the box, until its lines fit: N lines at scale s
   take s * (N * L + E) of the box's height, the first line's drop from the top and the last
   line's descent included, so the last line is never cut at the box's lower edge. Returns the
   scale of the text matrix (1 for a fixed size). */
static float ml_layout_text(fz_context* ctx, fz_buffer* o, pdf_font_desc* font, int composite, const int* cps,
                            int len, float W, float H, float fs, float L, float E, int auto_size)
{
    ml_layout m;
    memset(&m, 0, sizeof m);
    m.cps = cps;
    m.len = len;
    m.font = font;
    m.composite = composite;
    m.W = W;
    m.H = H;
    m.fs = fs;
    m.L = L;
    m.E = E;
    m.s = 1;
    m.R = W;
    auto_size = auto_size && W > 0 && H > 0 && L > 0 && fs > 0 && H - E < (float)INT_MAX * L;
    m.N = !auto_size ? INT_MAX : H > E ? (int)((H - E) / L) : 0;
    for (int pass = 1;; pass++)
    {
        fz_clear_buffer(ctx, o);
        if (!ml_pass(ctx, &m, o) || !auto_size || pass >= ML_MAX_PASSES || m.fs * m.s < ML_MIN_SIZE)
            break;
        /* Out of lines: after a pass that never widened the room, one more line (the room
           grows to keep the box's proportions); the next pass may widen it once. */
        if (m.shrink)
        {
            m.N++;
            m.R = ((float)m.N * L + E) * W / H;
            m.s = W / m.R;
        }
        m.shrink = !m.shrink;
    }
    return m.s;
}

/* A multi-line text field's content in box b at font size fs (auto_size: the /DA size was 0). */
static void append_multiline(fz_context* ctx, fz_buffer* o, fz_rect b, text_widget_info* info, const char* text,
                             float fs, int auto_size)
{
    vq_font_info* fi = &info->fi;
    fz_font* font = fi->font->font;
    float a = fz_font_ascender(ctx, font), d = fz_font_descender(ctx, font);
    int* cps = NULL;
    fz_buffer* lines = NULL;
    fz_var(cps);
    fz_var(lines);
    fz_try(ctx)
    {
        cps = fz_malloc_array(ctx, (int)strlen(text) + 1, int);
        int len = 0;
        for (const char* p = text; *p;)
            p += fz_chartorune(&cps[len++], p);
        lines = fz_new_buffer(ctx, 256);
        float L = fs * fi->lineheight;
        float E = ((1 + a - d) / 2 - d) * fs - L;
        float s = ml_layout_text(ctx, lines, fi->font, fi->composite, cps, len, b.x1 - b.x0, b.y1 - b.y0, fs, L, E,
                                 auto_size);
        fz_append_string(ctx, o, "/Tx BMC\nq\n");
        append_clip(ctx, o, b, info);
        fz_append_string(ctx, o, "BT\n");
        vq_print_da(ctx, o, &fi->da);
        fz_append_printf(ctx, o, "\n%g 0 0 %g %g %g Tm\n", s, s, b.x0, b.y1 - (1 + a - d) * fs * s / 2);
        fz_append_buffer(ctx, o, lines);
        fz_append_string(ctx, o, "ET\nQ\nEMC\n");
    }
    fz_always(ctx)
    {
        fz_free(ctx, cps);
        fz_drop_buffer(ctx, lines);
    }
    fz_catch(ctx)
        fz_rethrow(ctx);
}

/* The content of a text or combo field in box (the form's /BBox). */
static fz_buffer* create_text_appearance(fz_context* ctx, fz_rect formbox, const fz_matrix* found,
                                         text_widget_info* info, const char* text)
{
    fz_rect b = formbox;
    if (b.x1 - b.x0 > 3 && b.y1 - b.y0 > 3)
        b = fz_make_rect(b.x0 + 1, b.y0 + 1, b.x1 - 1, b.y1 - 1);
    float W = b.x1 - b.x0, H = b.y1 - b.y0;
    vq_font_info* fi = &info->fi;
    int dasize = fi->da.font_size;
    float fs = dasize ? (float)dasize : info->multiline ? 12 : (float)(int)(H / fi->lineheight);
    fi->da.font_size = (int)fs;
    fz_var(fs);
    fz_font* font = fi->font->font;
    float a = fz_font_ascender(ctx, font), d = fz_font_descender(ctx, font);
    fz_buffer* o = fz_new_buffer(ctx, 256);
    fz_try(ctx)
    {
        if (info->comb && !info->multiline)
        {
            int n = (int)strlen(text);
            if (n > info->maxlen)
                n = info->maxlen;
            float cell = (formbox.x1 - formbox.x0) / info->maxlen;
            float off = (cell - vq_text_width(ctx, fi->font, "M", fs)) / 2;
            float ox = b.x0, oy = b.y1 - ((a - d) * fs + H) / 2;
            fz_append_string(ctx, o, "/Tx BMC\nq\n");
            append_clip(ctx, o, b, info);
            fz_append_string(ctx, o, "BT\n");
            vq_print_da(ctx, o, &fi->da);
            fz_append_printf(ctx, o, "\n1 0 0 1 %g %g Tm\n", ox, oy);
            for (int i = 0; i < n; i++)
            {
                fz_append_printf(ctx, o, "%g %g Td\n", i == 0 ? off : cell, 0.0f);
                vq_append_literal(ctx, o, text + i, 1);
                fz_append_string(ctx, o, " Tj\n");
            }
            fz_append_string(ctx, o, "ET\nQ\nEMC\n");
        }
        else if (info->multiline)
            append_multiline(ctx, o, b, info, text, fs, !dasize);
        else
        {
            if (!dasize)
            {
                float tw = vq_text_width(ctx, fi->font, text, 1);
                fs = tw > 0 ? fz_min(H, W / tw) : H;
                fi->da.font_size = (int)fs;
            }
            float ox, oy;
            if (found)
                ox = found->e, oy = found->f;
            else
            {
                ox = b.x0 + (info->q == 1 ? W / 2 : info->q == 2 ? W : 0);
                oy = b.y1 - ((a - d) * fs + H) / 2;
            }
            if (info->q != 0)
            {
                float tw = vq_text_width(ctx, fi->font, text, fs);
                ox -= info->q == 2 ? tw : tw / 2;
            }
            fz_append_string(ctx, o, "/Tx BMC\nq\n");
            append_clip(ctx, o, b, info);
            fz_append_printf(ctx, o, "BT\n%g %g Td\n", ox, oy);
            vq_print_da(ctx, o, &fi->da);
            fz_append_string(ctx, o, "\n");
            append_text(ctx, o, fi, text);
            fz_append_string(ctx, o, "ET\nQ\nEMC\n");
        }
    }
    fz_catch(ctx)
    {
        fz_drop_buffer(ctx, o);
        fz_rethrow(ctx);
    }
    return o;
}

/* Makes sure the form's resources hold the font under the record's name. */
static void put_form_font(fz_context* ctx, pdf_document* doc, pdf_obj* form, const vq_font_info* fi)
{
    pdf_obj* res = pdf_dict_get(ctx, form, PDF_NAME(Resources));
    if (!pdf_is_dict(ctx, res))
        res = pdf_dict_put_dict(ctx, form, PDF_NAME(Resources), 2);
    pdf_obj* fonts = pdf_dict_get(ctx, res, PDF_NAME(Font));
    if (!pdf_is_dict(ctx, fonts))
        fonts = pdf_dict_put_dict(ctx, res, PDF_NAME(Font), 1);
    if (fi->da.font_name && !pdf_dict_gets(ctx, fonts, fi->da.font_name))
        pdf_dict_puts(ctx, fonts, fi->da.font_name, fi->fontobj);
    (void)doc;
}

static void copy_dr(fz_context* ctx, pdf_obj* form, pdf_obj* dr)
{
    pdf_obj* res = pdf_dict_get(ctx, form, PDF_NAME(Resources));
    if (!pdf_is_dict(ctx, res))
        res = pdf_dict_put_dict(ctx, form, PDF_NAME(Resources), 2);
    int n = pdf_dict_len(ctx, dr);
    for (int i = 0; i < n; i++)
        if (!pdf_dict_get(ctx, res, pdf_dict_get_key(ctx, dr, i)))
            pdf_dict_put(ctx, res, pdf_dict_get_key(ctx, dr, i), pdf_dict_get_val(ctx, dr, i));
}

/* Reads the text field's settings into info (cjk: write in the CJK font) and returns its
   appearance form (one reference for the caller), holding the field's font and, with
   copy_resources, the form's default resources too. */
static pdf_obj* open_text_widget_form(fz_context* ctx, pdf_document* doc, pdf_obj* widget, text_widget_info* info,
                                      int cjk, int copy_resources)
{
    get_text_widget_info(ctx, doc, widget, info, cjk);
    pdf_obj* form = get_widget_form(ctx, doc, widget);
    fz_try(ctx)
    {
        if (copy_resources)
            copy_dr(ctx, form, info->dr);
        put_form_font(ctx, doc, form, &info->fi);
    }
    fz_catch(ctx)
    {
        pdf_drop_obj(ctx, form);
        fz_rethrow(ctx);
    }
    return form;
}

/* Text and combo fields share this: text in the field's font, or the CJK font. */
static void update_text_like(fz_context* ctx, pdf_document* doc, pdf_obj* widget, const char* text, int combo)
{
    text_widget_info info;
    pdf_obj* form = NULL;
    fz_buffer* content = NULL;
    memset(&info, 0, sizeof info);
    fz_var(form);
    fz_var(content);
    fz_try(ctx)
    {
        form = open_text_widget_form(ctx, doc, widget, &info, !combo && vq_needconverting(text), combo);
        if (!combo)
        {
            /* The box follows the widget's current rectangle and rotation. */
            fz_rect r = pdf_dict_get_rect(ctx, widget, PDF_NAME(Rect));
            int rot = pdf_to_int(ctx, pdf_dict_getp(ctx, widget, "MK/R"));
            float w = r.x1 - r.x0, h = r.y1 - r.y0;
            pdf_dict_put_rect(ctx, form, PDF_NAME(BBox),
                              (rot == 90 || rot == 270) ? fz_make_rect(0, 0, h, w) : fz_make_rect(0, 0, w, h));
        }
        fz_matrix mt;
        int found = get_matrix(ctx, form, info.q, &mt);
        content = create_text_appearance(ctx, pdf_dict_get_rect(ctx, form, PDF_NAME(BBox)), found ? &mt : NULL,
                                         &info, text);
        update_marked_content(ctx, doc, form, content);
    }
    fz_always(ctx)
    {
        fz_drop_buffer(ctx, content);
        pdf_drop_obj(ctx, form);
        twi_fin(ctx, &info);
    }
    fz_catch(ctx)
        fz_warn(ctx, "update_text_appearance failed: %s", fz_caught_message(ctx));
}

void vq_update_text_appearance(fz_context* ctx, pdf_document* doc, pdf_obj* widget, const char* text)
{
    if (!text)
        text = pdf_to_text_string(ctx, pdf_dict_get_inheritable(ctx, widget, PDF_NAME(V)));
    if (!text || !*text)
        return;
    update_text_like(ctx, doc, widget, text, 0);
}

void vq_update_combobox_appearance(fz_context* ctx, pdf_document* doc, pdf_obj* widget)
{
    pdf_obj* v = pdf_dict_get_inheritable(ctx, widget, PDF_NAME(V));
    if (pdf_is_array(ctx, v))
        v = pdf_array_get(ctx, v, 0);
    update_text_like(ctx, doc, widget, pdf_to_text_string(ctx, v), 1);
}

void vq_update_listbox_appearance(fz_context* ctx, pdf_document* doc, pdf_obj* widget)
{
    text_widget_info info;
    pdf_obj* form = NULL;
    fz_buffer* o = NULL;
    memset(&info, 0, sizeof info);
    fz_var(form);
    fz_var(o);
    fz_try(ctx)
    {
        pdf_obj* opt = pdf_dict_get_inheritable(ctx, widget, PDF_NAME(Opt));
        int nopt = pdf_array_len(ctx, opt);
        int pairs = nopt > 0;
        for (int i = 0; i < nopt; i++)
            if (pdf_array_len(ctx, pdf_array_get(ctx, opt, i)) != 2)
                pairs = 0;
        pdf_obj* v = pdf_dict_get_inheritable(ctx, widget, PDF_NAME(V));
        int nv = pdf_is_array(ctx, v) ? pdf_array_len(ctx, v) : (v ? 1 : 0);
        int sel[64];
        int nsel = 0;
        for (int j = 0; j < nv && nsel < 64; j++)
        {
            const char* val = pdf_to_text_string(ctx, pdf_is_array(ctx, v) ? pdf_array_get(ctx, v, j) : v);
            for (int i = 0; i < nopt; i++)
            {
                pdf_obj* e = pdf_array_get(ctx, opt, i);
                pdf_obj* cmp = pairs ? pdf_array_get(ctx, e, 0) : (pdf_is_array(ctx, e) ? pdf_array_get(ctx, e, 1) : e);
                if (!strcmp(pdf_to_text_string(ctx, cmp), val))
                {
                    sel[nsel++] = i;
                    break;
                }
            }
        }
        form = open_text_widget_form(ctx, doc, widget, &info, 0, 1);
        fz_rect b = pdf_dict_get_rect(ctx, form, PDF_NAME(BBox));
        if (b.x1 - b.x0 > 3 && b.y1 - b.y0 > 3)
            b = fz_make_rect(b.x0 + 1, b.y0 + 1, b.x1 - 1, b.y1 - 1);
        float W = b.x1 - b.x0, H = b.y1 - b.y0;
        float fs = info.fi.da.font_size ? (float)info.fi.da.font_size
                   : info.multiline     ? 14
                                        : (float)(int)(H / info.fi.lineheight);
        info.fi.da.font_size = (int)fs;
        float lp = fz_font_ascender(ctx, info.fi.font->font) - fz_min(0, fz_font_descender(ctx, info.fi.font->font));
        if (!(lp > 0))
            lp = 1;
        float P = fs * lp;
        float ox = b.x0, oy;
        if (H >= nopt * fs * lp || nsel == 0)
            oy = b.y1 - P;
        else
            oy = b.y1 + (sel[0] - 1) * lp * fs;
        o = fz_new_buffer(ctx, 256);
        fz_append_string(ctx, o, "/Tx BMC\nq\n");
        append_clip(ctx, o, b, NULL);
        for (int j = 0; j < nsel; j++)
            fz_append_printf(ctx, o, "%g %g %g rg\n%g %g %g %g re\nf\n", 0.6f, 0.75f, 0.85f, 0.0f,
                             H - (sel[j] + 1) * P, W, P);
        fz_append_string(ctx, o, "BT\n");
        vq_print_da(ctx, o, &info.fi.da);
        fz_append_printf(ctx, o, "\n1 0 0 1 %g %g Tm\n", ox, oy);
        for (int i = 0; i < nopt; i++)
        {
            pdf_obj* e = pdf_array_get(ctx, opt, i);
            const char* t = pdf_to_text_string(ctx, pdf_is_array(ctx, e) ? pdf_array_get(ctx, e, 1) : e);
            fz_append_printf(ctx, o, "%g %g Td\n", 0.0f, i == 0 ? 0.0f : -P);
            vq_append_literal(ctx, o, t, strlen(t));
            fz_append_string(ctx, o, " Tj\n");
        }
        fz_append_string(ctx, o, "ET\nQ\nEMC\n");
        update_marked_content(ctx, doc, form, o);
    }
    fz_always(ctx)
    {
        fz_drop_buffer(ctx, o);
        pdf_drop_obj(ctx, form);
        twi_fin(ctx, &info);
    }
    fz_catch(ctx)
        fz_warn(ctx, "update_text_appearance failed: %s", fz_caught_message(ctx));
}

static void append_fill_color(fz_context* ctx, fz_buffer* o, pdf_obj* arr, float adjust, int stroke)
{
    int n = pdf_array_len(ctx, arr);
    float c[4];
    for (int i = 0; i < n && i < 4; i++)
        c[i] = pdf_array_get_real(ctx, arr, i) + (n == 4 ? 0 : adjust);
    switch (n)
    {
    case 1: fz_append_printf(ctx, o, stroke ? "%g G\n" : "%g g\n", c[0]); break;
    case 3: fz_append_printf(ctx, o, stroke ? "%g %g %g RG\n" : "%g %g %g rg\n", c[0], c[1], c[2]); break;
    case 4: fz_append_printf(ctx, o, stroke ? "%g %g %g %g K\n" : "%g %g %g %g k\n", c[0], c[1], c[2], c[3]); break;
    default: break;
    }
}

void vq_update_pushbutton_appearance(fz_context* ctx, pdf_document* doc, pdf_obj* widget)
{
    pdf_obj* form = get_widget_form(ctx, doc, widget);
    fz_buffer* o = NULL;
    vq_font_info fi;
    memset(&fi, 0, sizeof fi);
    fz_var(o);
    fz_try(ctx)
    {
        fz_rect box = pdf_dict_get_rect(ctx, form, PDF_NAME(BBox));
        float w = box.x1 - box.x0, h = box.y1 - box.y0;
        o = fz_new_buffer(ctx, 256);
        pdf_obj* bg = pdf_dict_getp(ctx, widget, "MK/BG");
        if (pdf_is_array(ctx, bg))
        {
            append_fill_color(ctx, o, bg, 0, 0);
            fz_append_printf(ctx, o, "%g %g %g %g re\nf\n", 0.0f, 0.0f, w, h);
        }
        pdf_obj* style = pdf_dict_getp(ctx, widget, "BS/S");
        float bw = pdf_to_real(ctx, pdf_dict_getp(ctx, widget, "BS/W"));
        if (bw == 0)
            bw = 1;
        int bevel = pdf_name_eq(ctx, style, PDF_NAME(B)), inset = pdf_name_eq(ctx, style, PDF_NAME(I));
        float t = (bevel || inset) ? 2 * bw : bw;
        if (bevel || inset)
        {
            fz_append_printf(ctx, o, "%g g\n", bevel ? 1.0f : 0.33f);
            fz_append_printf(ctx, o, "%g %g m\n%g %g l\n%g %g l\n%g %g l\n%g %g l\n%g %g l\nf\n", bw, bw, bw, h - bw,
                             w - bw, h - bw, w - t, h - t, t, h - t, t, t);
            if (bevel)
                append_fill_color(ctx, o, bg, -0.25f, 0);
            else
                fz_append_printf(ctx, o, "%g g\n", 0.66f);
            fz_append_printf(ctx, o, "%g %g m\n%g %g l\n%g %g l\n%g %g l\n%g %g l\n%g %g l\nf\n", w - bw, h - bw,
                             w - bw, bw, bw, bw, t, t, w - t, t, w - t, h - t);
        }
        pdf_obj* bc = pdf_dict_getp(ctx, widget, "MK/BC");
        if (pdf_is_array(ctx, bc))
        {
            append_fill_color(ctx, o, bc, 0, 1);
            fz_append_printf(ctx, o, "%g w\n%g %g %g %g re\ns\n", bw, bw / 2, bw / 2, w - bw / 2, h - bw / 2);
        }
        pdf_obj* ca = pdf_dict_getp(ctx, widget, "MK/CA");
        if (ca)
        {
            const char* caption = pdf_to_text_string(ctx, ca);
            const char* da = pdf_to_text_string(ctx, field_get(ctx, doc, widget, PDF_NAME(DA)));
            pdf_obj* res = pdf_dict_get(ctx, form, PDF_NAME(Resources));
            if (!pdf_is_dict(ctx, res))
                res = pdf_dict_put_dict(ctx, form, PDF_NAME(Resources), 1);
            if (!pdf_dict_get(ctx, res, PDF_NAME(Font)))
                pdf_dict_put_dict(ctx, res, PDF_NAME(Font), 1);
            vq_get_font_info(ctx, doc, res, da, &fi);
            float fs = (float)fi.da.font_size;
            float cw = vq_text_width(ctx, fi.font, caption, fs);
            float top = fz_font_ascender(ctx, fi.font->font) * fs;
            fz_rect cb = fz_make_rect(t, t, w - t, h - t);
            fz_append_string(ctx, o, "q\n");
            append_clip(ctx, o, cb, NULL);
            fz_append_printf(ctx, o, "BT\n%g %g Td\n", (w - cw) / 2, (h - top) / 2);
            vq_print_da(ctx, o, &fi.da);
            fz_append_string(ctx, o, "\n");
            append_text(ctx, o, &fi, caption);
            fz_append_string(ctx, o, "ET\nQ\n");
        }
        pdf_update_stream(ctx, doc, form, o, 0);
    }
    fz_always(ctx)
    {
        fz_drop_buffer(ctx, o);
        pdf_drop_obj(ctx, form);
        vq_font_info_fin(ctx, &fi);
    }
    fz_catch(ctx)
        fz_rethrow(ctx);
}

/* A check box or radio button without drawn states gets two: the on state shows the /MK /CA
   character (a check mark or a dot by default) in ZapfDingbats, the off state only the
   background and border. */
static pdf_obj* dingbats_font(fz_context* ctx, pdf_document* doc)
{
    pdf_obj* found = vq_find_font_resource_by_name(ctx, doc, "ZapfDingbats");
    if (found)
        return found;
    pdf_obj* dict = pdf_new_dict(ctx, doc, 3);
    pdf_obj *ref = NULL, *result = NULL;
    fz_var(ref);
    fz_try(ctx)
    {
        pdf_dict_put(ctx, dict, PDF_NAME(Type), PDF_NAME(Font));
        pdf_dict_put(ctx, dict, PDF_NAME(Subtype), PDF_NAME(Type1));
        pdf_dict_put_name(ctx, dict, PDF_NAME(BaseFont), "ZapfDingbats");
        ref = pdf_add_object(ctx, doc, dict);
        result = vq_insert_font_resource_by_name(ctx, doc, "ZapfDingbats", ref);
    }
    fz_always(ctx)
    {
        pdf_drop_obj(ctx, dict);
        pdf_drop_obj(ctx, ref);
    }
    fz_catch(ctx)
        fz_rethrow(ctx);
    return result;
}

static const char* on_state_name(fz_context* ctx, pdf_obj* widget)
{
    pdf_obj* as = pdf_dict_get(ctx, widget, PDF_NAME(AS));
    if (pdf_is_name(ctx, as) && !pdf_name_eq(ctx, as, PDF_NAME(Off)))
        return pdf_to_name(ctx, as);
    pdf_obj* n = pdf_dict_getp(ctx, widget, "AP/N");
    for (int i = 0; i < pdf_dict_len(ctx, n); i++)
        if (!pdf_name_eq(ctx, pdf_dict_get_key(ctx, n, i), PDF_NAME(Off)))
            return pdf_to_name(ctx, pdf_dict_get_key(ctx, n, i));
    pdf_obj* v = pdf_dict_get_inheritable(ctx, widget, PDF_NAME(V));
    if (pdf_is_name(ctx, v) && !pdf_name_eq(ctx, v, PDF_NAME(Off)))
        return pdf_to_name(ctx, v);
    return "Yes";
}

void vq_update_checkbox_appearance(fz_context* ctx, pdf_document* doc, pdf_obj* widget, int radio)
{
    fz_rect r = pdf_dict_get_rect(ctx, widget, PDF_NAME(Rect));
    float w = r.x1 - r.x0, h = r.y1 - r.y0;
    if (!(w > 0) || !(h > 0))
        return;
    char on[64];
    fz_strlcpy(on, on_state_name(ctx, widget), sizeof on);
    vq_da_info da;
    memset(&da, 0, sizeof da);
    fz_buffer *onbuf = NULL, *offbuf = NULL;
    pdf_obj *font = NULL, *res = NULL, *onform = NULL, *offform = NULL;
    fz_var(onbuf);
    fz_var(offbuf);
    fz_var(font);
    fz_var(res);
    fz_var(onform);
    fz_var(offform);
    fz_try(ctx)
    {
        const char* dastr = pdf_to_text_string(ctx, field_get(ctx, doc, widget, PDF_NAME(DA)));
        vq_parse_da(ctx, dastr, &da);
        const char* ca = pdf_to_text_string(ctx, pdf_dict_getp(ctx, widget, "MK/CA"));
        char mark = ca[0] ? ca[0] : radio ? 'l' : '4';
        float size = da.font_size > 0 ? (float)da.font_size : fz_min(w, h) * 0.8f;
        fz_var(size);

        fz_buffer* frame = fz_new_buffer(ctx, 64);
        fz_try(ctx)
        {
            pdf_obj* bg = pdf_dict_getp(ctx, widget, "MK/BG");
            if (pdf_is_array(ctx, bg))
            {
                append_fill_color(ctx, frame, bg, 0, 0);
                fz_append_printf(ctx, frame, "0 0 %g %g re\nf\n", w, h);
            }
            pdf_obj* bc = pdf_dict_getp(ctx, widget, "MK/BC");
            if (pdf_is_array(ctx, bc))
            {
                append_fill_color(ctx, frame, bc, 0, 1);
                fz_append_printf(ctx, frame, "1 w\n.5 .5 %g %g re\nS\n", w - 1, h - 1);
            }
            offbuf = fz_new_buffer(ctx, 64);
            fz_append_buffer(ctx, offbuf, frame);
            onbuf = fz_new_buffer(ctx, 128);
            fz_append_string(ctx, onbuf, "q\n");
            fz_append_buffer(ctx, onbuf, frame);
        }
        fz_always(ctx)
            fz_drop_buffer(ctx, frame);
        fz_catch(ctx)
            fz_rethrow(ctx);
        /* ZapfDingbats marks are about 0.8 em wide and 0.7 em high. */
        fz_append_string(ctx, onbuf, "BT\n/ZaDb ");
        fz_append_printf(ctx, onbuf, "%g Tf\n", size);
        if (da.col_size)
        {
            vq_da_info colour = da;
            colour.font_name = NULL;
            vq_print_da(ctx, onbuf, &colour);
            fz_append_byte(ctx, onbuf, '\n');
        }
        else
            fz_append_string(ctx, onbuf, "0 g\n");
        fz_append_printf(ctx, onbuf, "%g %g Td\n", (w - 0.8f * size) / 2, (h - 0.7f * size) / 2);
        vq_append_literal(ctx, onbuf, &mark, 1);
        fz_append_string(ctx, onbuf, " Tj\nET\nQ\n");

        font = dingbats_font(ctx, doc);
        res = pdf_new_dict(ctx, doc, 1);
        pdf_obj* fonts = pdf_dict_put_dict(ctx, res, PDF_NAME(Font), 1);
        pdf_dict_puts(ctx, fonts, "ZaDb", font);
        fz_rect box = fz_make_rect(0, 0, w, h);
        onform = vq_ap_new_form(ctx, doc, box, fz_identity, res, (const char*)onbuf->data, onbuf->len);
        offform = vq_ap_new_form(ctx, doc, box, fz_identity, res, (const char*)offbuf->data, offbuf->len);
        pdf_obj* ap = pdf_dict_get(ctx, widget, PDF_NAME(AP));
        if (!pdf_is_dict(ctx, ap))
            ap = pdf_dict_put_dict(ctx, widget, PDF_NAME(AP), 1);
        pdf_obj* n = pdf_dict_put_dict(ctx, ap, PDF_NAME(N), 2);
        pdf_dict_puts(ctx, n, on, onform);
        pdf_dict_put(ctx, n, PDF_NAME(Off), offform);
        if (!pdf_is_name(ctx, pdf_dict_get(ctx, widget, PDF_NAME(AS))))
        {
            pdf_obj* v = pdf_dict_get_inheritable(ctx, widget, PDF_NAME(V));
            pdf_dict_put_name(ctx, widget, PDF_NAME(AS), pdf_is_name(ctx, v) && !strcmp(pdf_to_name(ctx, v), on) ? on : "Off");
        }
    }
    fz_always(ctx)
    {
        vq_da_info_fin(ctx, &da);
        fz_drop_buffer(ctx, onbuf);
        fz_drop_buffer(ctx, offbuf);
        pdf_drop_obj(ctx, font);
        pdf_drop_obj(ctx, res);
        pdf_drop_obj(ctx, onform);
        pdf_drop_obj(ctx, offform);
    }
    fz_catch(ctx)
        fz_rethrow(ctx);
}

/* ---- pictures and signatures ------------------------------------------------------------------------ */

static pdf_obj* annot_page_obj(fz_context* ctx, pdf_obj* pageobj, pdf_obj* annot)
{
    return pageobj ? pageobj : vq_ap_annot_page(ctx, annot);
}

void vq_wrap_signature_layers(fz_context* ctx, pdf_document* doc, pdf_obj* annot)
{
    pdf_obj* n2 = pdf_dict_getp(ctx, annot, "AP/N");
    fz_rect bbox = pdf_dict_get_rect(ctx, n2, PDF_NAME(BBox));
    pdf_obj *n0 = NULL, *frm = NULL, *outer = NULL, *res = NULL;
    fz_var(n0);
    fz_var(frm);
    fz_var(outer);
    fz_var(res);
    fz_try(ctx)
    {
        res = pdf_new_dict(ctx, doc, 1);
        pdf_obj* procset = pdf_dict_put_array(ctx, res, PDF_NAME(ProcSet), 2);
        pdf_array_push(ctx, procset, PDF_NAME(PDF));
        pdf_array_push(ctx, procset, PDF_NAME(Text));
        static const char blank[] = "% DSBlank";
        n0 = vq_ap_new_form(ctx, doc, bbox, fz_identity, res, blank, sizeof blank - 1);

        pdf_obj* frmres = pdf_copy_dict(ctx, res);
        fz_try(ctx)
        {
            pdf_obj* x = pdf_dict_put_dict(ctx, frmres, PDF_NAME(XObject), 2);
            pdf_dict_puts(ctx, x, "n0", n0);
            pdf_dict_puts(ctx, x, "n2", n2);
            static const char frmtext[] = "q 1 0 0 1 0 0 cm /n0 Do Q q 1 0 0 1 0 0 cm /n2 Do Q";
            frm = vq_ap_new_form(ctx, doc, bbox, fz_identity, frmres, frmtext, sizeof frmtext - 1);
        }
        fz_always(ctx)
            pdf_drop_obj(ctx, frmres);
        fz_catch(ctx)
            fz_rethrow(ctx);

        pdf_obj* outres = pdf_copy_dict(ctx, res);
        fz_try(ctx)
        {
            pdf_obj* x = pdf_dict_put_dict(ctx, outres, PDF_NAME(XObject), 1);
            pdf_dict_puts(ctx, x, "FRM", frm);
            static const char outtext[] = "q 1 0 0 1 0 0 cm /FRM Do Q";
            outer = vq_ap_new_form(ctx, doc, bbox, fz_identity, outres, outtext, sizeof outtext - 1);
        }
        fz_always(ctx)
            pdf_drop_obj(ctx, outres);
        fz_catch(ctx)
            fz_rethrow(ctx);
        pdf_dict_put(ctx, pdf_dict_get(ctx, annot, PDF_NAME(AP)), PDF_NAME(N), outer);
    }
    fz_always(ctx)
    {
        pdf_drop_obj(ctx, n0);
        pdf_drop_obj(ctx, frm);
        pdf_drop_obj(ctx, outer);
        pdf_drop_obj(ctx, res);
    }
    fz_catch(ctx)
        fz_rethrow(ctx);
}

void vq_image_appearance(fz_context* ctx, pdf_document* doc, pdf_obj* page, pdf_obj* annot, fz_image* image,
                         int w, int h, float opacity, float rotation)
{
    pdf_obj* pageobj = annot_page_obj(ctx, page, annot);
    fz_matrix ctm = vq_ap_page_ctm(ctx, pageobj);
    fz_matrix inv = fz_invert_matrix(ctm);
    fz_rect cur = fz_transform_rect(pdf_dict_get_rect(ctx, annot, PDF_NAME(Rect)), ctm);
    float x0 = cur.x0, y0 = cur.y0;
    fz_rect R = fz_make_rect(x0, y0, x0 + w, y0 + h);
    fz_matrix M;
    if (rotation == 0)
        M = fz_concat(fz_scale((float)w, (float)h), fz_translate(x0, y0));
    else
    {
        fz_matrix rot = fz_rotate(rotation);
        fz_point p = fz_transform_point(fz_make_point(w / 2.0f, h / 2.0f), rot);
        float dx = (float)(int)(w / 2.0f - p.x), dy = (float)(int)(h / 2.0f - p.y);
        if (w != h)
        {
            fz_rect B = fz_transform_rect(fz_make_rect(0, 0, (float)w, (float)h), rot);
            float ex = ((B.x1 - B.x0) - w) / 2, ey = ((B.y1 - B.y0) - h) / 2;
            R = fz_make_rect(R.x0 - ex, R.y0 - ey, R.x1 + ex, R.y1 + ey);
        }
        M = fz_concat(fz_concat(fz_scale((float)w, (float)h), rot), fz_translate(x0 + dx, y0 + dy));
    }
    /* In the content stream an image's first row lies at the top of its unit square. */
    fz_matrix cm = fz_concat(fz_concat(fz_make_matrix(1, 0, 0, -1, 0, 1), M), inv);
    fz_rect Rpdf = fz_transform_rect(R, inv);

    vq_ap_builder b;
    pdf_obj* img = NULL;
    vq_ap_begin(ctx, &b, doc);
    fz_var(img);
    fz_try(ctx)
    {
        img = pdf_add_image(ctx, doc, image);
        char name[16];
        vq_ap_add_xobject(ctx, &b, img, "Im", name, sizeof name);
        fz_append_string(ctx, b.buf, "q\n");
        vq_ap_alpha(ctx, &b, opacity, 0);
        fz_append_printf(ctx, b.buf, "%g %g %g %g %g %g cm\n/%s Do\nQ\n", cm.a, cm.b, cm.c, cm.d, cm.e, cm.f, name);
        vq_ap_store(ctx, &b, annot, Rpdf);
        if (vq_ap_field_type(ctx, annot) == VQ_AP_FIELD_SIG)
            vq_wrap_signature_layers(ctx, doc, annot);
    }
    fz_always(ctx)
    {
        pdf_drop_obj(ctx, img);
        vq_ap_end(ctx, &b);
    }
    fz_catch(ctx)
        fz_rethrow(ctx);
}

void vq_pdf_page_appearance(fz_context* ctx, pdf_document* doc, pdf_obj* holder, pdf_obj* annot, const char* path)
{
    pdf_document* src = NULL;
    fz_buffer* content = NULL;
    pdf_graft_map* map = NULL;
    pdf_obj* form = NULL;
    pdf_obj* res = NULL;
    fz_var(src);
    fz_var(content);
    fz_var(map);
    fz_var(form);
    fz_var(res);
    fz_try(ctx)
    {
        src = pdf_open_document(ctx, path);
        pdf_obj* page = pdf_lookup_page_obj(ctx, src, 0);
        fz_rect media;
        fz_matrix pctm;
        pdf_page_obj_transform(ctx, page, &media, &pctm);
        fz_rect bounds = fz_transform_rect(media, pctm);
        float pw = bounds.x1 - bounds.x0, ph = fabsf(bounds.y1 - bounds.y0);

        /* The page's content, one stream or the concatenation of an array of them. */
        pdf_obj* contents = pdf_dict_get(ctx, page, PDF_NAME(Contents));
        content = fz_new_buffer(ctx, 1024);
        int n = pdf_is_array(ctx, contents) ? pdf_array_len(ctx, contents) : 1;
        fz_var(page);
        fz_var(contents);
        fz_var(n);
        for (int i = 0; i < n; i++)
        {
            fz_var(i);
            pdf_obj* s = pdf_is_array(ctx, contents) ? pdf_array_get(ctx, contents, i) : contents;
            if (!pdf_is_stream(ctx, s))
                continue;
            fz_buffer* part = pdf_load_stream(ctx, s);
            fz_try(ctx)
            {
                fz_append_buffer(ctx, content, part);
                fz_append_byte(ctx, content, '\n');
            }
            fz_always(ctx)
                fz_drop_buffer(ctx, part);
            fz_catch(ctx)
                fz_rethrow(ctx);
        }
        map = pdf_new_graft_map(ctx, doc);
        res = pdf_graft_mapped_object(ctx, map, pdf_dict_get_inheritable(ctx, page, PDF_NAME(Resources)));

        /* The source page's user space is the form's space; the annotation rectangle keeps its
           displayed top-left corner and takes the page's size. */
        pdf_obj* pageobj = annot_page_obj(ctx, holder, annot);
        fz_matrix ctm = vq_ap_page_ctm(ctx, pageobj);
        fz_rect cur = fz_transform_rect(pdf_dict_get_rect(ctx, annot, PDF_NAME(Rect)), ctm);
        fz_rect R = fz_make_rect(cur.x0, cur.y0, cur.x0 + pw, cur.y0 + (float)(int)ph);
        fz_rect Rpdf = fz_transform_rect(R, fz_invert_matrix(ctm));
        fz_matrix formm = fz_identity;
        int rot = pdf_to_int(ctx, pdf_dict_get_inheritable(ctx, page, PDF_NAME(Rotate)));
        if (rot % 360 != 0)
            formm = fz_rotate((float)-rot);
        form = pdf_new_xobject(ctx, doc, media, formm, res, content);
        pdf_dict_put_int(ctx, pdf_resolve_indirect(ctx, form), PDF_NAME(FormType), 1);
        pdf_dict_put_rect(ctx, annot, PDF_NAME(Rect), Rpdf);
        pdf_obj* ap = pdf_dict_get(ctx, annot, PDF_NAME(AP));
        if (!pdf_is_dict(ctx, ap))
            ap = pdf_dict_put_dict(ctx, annot, PDF_NAME(AP), 1);
        pdf_dict_put(ctx, ap, PDF_NAME(N), form);
    }
    fz_always(ctx)
    {
        pdf_drop_obj(ctx, form);
        pdf_drop_obj(ctx, res);
        pdf_drop_graft_map(ctx, map);
        fz_drop_buffer(ctx, content);
        pdf_drop_document(ctx, src);
    }
    fz_catch(ctx)
        fz_rethrow(ctx);
}

void vq_text_signature_appearance(fz_context* ctx, pdf_document* doc, pdf_obj* annot, const char* utf8)
{
    pdf_obj* root = pdf_dict_get(ctx, pdf_trailer(ctx, doc), PDF_NAME(Root));
    pdf_obj* form = pdf_dict_get(ctx, root, PDF_NAME(AcroForm));
    if (!pdf_is_dict(ctx, form))
        form = pdf_dict_put_dict(ctx, root, PDF_NAME(AcroForm), 2);
    pdf_obj* dr = pdf_dict_get(ctx, form, PDF_NAME(DR));
    if (!pdf_is_dict(ctx, dr))
        dr = pdf_dict_put_dict(ctx, form, PDF_NAME(DR), 1);

    vq_font_info fi;
    memset(&fi, 0, sizeof fi);
    vq_ap_builder b;
    memset(&b, 0, sizeof b);
    fz_var(b);
    fz_try(ctx)
    {
        vq_get_cid_font_info(ctx, doc, dr, &fi);
        fi.da.font_size = 18;
        const float size = 18;
        fz_rect rect = pdf_dict_get_rect(ctx, annot, PDF_NAME(Rect));
        float x = rect.x0, y = rect.y0 + 2;
        float width = vq_text_width(ctx, fi.font, utf8, size);
        fz_font* font = fi.font->font;
        fz_rect bounds = fz_make_rect(x, y + fz_font_descender(ctx, font) * size, x + width,
                                      y + fz_font_ascender(ctx, font) * size);
        vq_ap_begin(ctx, &b, doc);
        pdf_obj* fonts = pdf_dict_put_dict(ctx, b.res, PDF_NAME(Font), 1);
        pdf_dict_puts(ctx, fonts, "iSimSun", fi.fontobj);
        static const float black[4] = { 1, 1, 1, 1 };
        fz_append_string(ctx, b.buf, "q\n");
        vq_ap_alpha(ctx, &b, 1, 0);
        vq_ap_color(ctx, &b, 4, black, 0);
        fz_append_printf(ctx, b.buf, "BT\n/iSimSun 18 Tf\n%g %g Td\n", x, y);
        vq_append_hex_text(ctx, b.buf, utf8);
        fz_append_string(ctx, b.buf, " Tj\nET\nQ\n");
        vq_ap_store(ctx, &b, annot, bounds);
        vq_wrap_signature_layers(ctx, doc, annot);
    }
    fz_always(ctx)
    {
        vq_ap_end(ctx, &b);
        vq_font_info_fin(ctx, &fi);
    }
    fz_catch(ctx)
        fz_rethrow(ctx);
}
