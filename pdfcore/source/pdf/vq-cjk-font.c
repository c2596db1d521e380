/*
 * Fonts for generated appearances: the engine's CJK composite font (a Type0 font named SimSun
 * over Adobe-GB1 with the UTF-16 horizontal encoding, not embedded, written with fixed
 * descriptor values and a half-width table), the simple fallback font, the per-document
 * table of fonts added by name, and the text measurements the generators use.
 *
 * Glyph metrics come from the library's built-in CJK font, which is also what the library
 * substitutes for the non-embedded SimSun when it renders.
 */
#include "vq-appearance-writers.h"
#include "vq-appearance.h"

#include <string.h>

/* ---- fonts recorded by name ------------------------------------------------------------------ */

/* Each document records the font objects it added under the font program's name (16 bytes,
   zero-filled), so one program is added at most once. The record lives in the document's own
   font resource table (the library's, dropped with the document), under a key type of ours that
   none of the library's own keys uses: it can never be seen by another document, not even one
   that is later given the same address. */
enum { VQ_NAMED_FONT_RESOURCE = 0x5651 };

static void make_key(pdf_document* doc, pdf_font_resource_key* key, const char* name)
{
    memset(key, 0, sizeof *key);
    size_t n = strlen(name);
    memcpy(key->digest, name, n < sizeof key->digest ? n : sizeof key->digest);
    key->type = VQ_NAMED_FONT_RESOURCE;
    key->local_xref = doc->local_xref_nesting > 0;
}

static void drop_font_ref(fz_context* ctx, void* obj)
{
    pdf_drop_obj(ctx, (pdf_obj*)obj);
}

pdf_obj* vq_find_font_resource_by_name(fz_context* ctx, pdf_document* doc, const char* name)
{
    pdf_font_resource_key key;
    make_key(doc, &key, name);
    if (!doc->resources.fonts)
        return NULL;
    pdf_obj* found = (pdf_obj*)fz_hash_find(ctx, doc->resources.fonts, &key);
    return found ? pdf_keep_obj(ctx, found) : NULL;
}

pdf_obj* vq_insert_font_resource_by_name(fz_context* ctx, pdf_document* doc, const char* name, pdf_obj* font)
{
    pdf_obj* found = vq_find_font_resource_by_name(ctx, doc, name);
    if (found)
    {
        fz_warn(ctx, "warning: font resource already present");
        return found;
    }
    pdf_font_resource_key key;
    make_key(doc, &key, name);
    if (!doc->resources.fonts)
        doc->resources.fonts = fz_new_hash_table(ctx, 4096, sizeof key, -1, drop_font_ref);
    /* The table keeps its own reference. */
    fz_hash_insert(ctx, doc->resources.fonts, &key, pdf_keep_obj(ctx, font));
    return pdf_keep_obj(ctx, font);
}

/* ---- the CJK composite font ------------------------------------------------------------------- */

/* One entry of a CID font's /W array: the width w for the CIDs first to last, written as
   "first [w]" for a single CID and "first last w" for a range. */
static void push_cid_widths(fz_context* ctx, pdf_obj* widths, int first, int last, int w)
{
    pdf_array_push_int(ctx, widths, first);
    if (first == last)
    {
        pdf_obj* one = pdf_array_push_array(ctx, widths, 1);
        pdf_array_push_int(ctx, one, w);
        return;
    }
    pdf_array_push_int(ctx, widths, last);
    pdf_array_push_int(ctx, widths, w);
}

pdf_obj* vq_add_cjk_font(fz_context* ctx, pdf_document* doc, fz_font* fzfont, int script)
{
    const char *basefont, *encoding, *ordering;
    int supplement;
    fz_var(basefont);
    fz_var(encoding);
    fz_var(ordering);
    fz_var(supplement);
    switch (script)
    {
    case 0:
        basefont = "Song", encoding = "UniCNS-UTF16-H", ordering = "CNS1", supplement = 7;
        break;
    case 1:
        basefont = "SimSun", encoding = "UniGB-UTF16-H", ordering = "GB1", supplement = 4;
        break;
    case 3:
        basefont = "Batang", encoding = "UniKS-UTF16-H", ordering = "Korea1", supplement = 2;
        break;
    default:
        basefont = "Mincho", encoding = "UniJIS-UTF16-H", ordering = "Japan1", supplement = 6;
        break;
    }
    const char* progname = fz_font_name(ctx, fzfont);
    pdf_obj* found = vq_find_font_resource_by_name(ctx, doc, progname);
    if (found)
        return found;

    pdf_obj *fobj = NULL, *cidfont = NULL, *desc = NULL, *widths = NULL;
    pdf_obj *fref = NULL, *cidref = NULL, *descref = NULL, *wref = NULL, *result = NULL;
    fz_var(fobj);
    fz_var(cidfont);
    fz_var(desc);
    fz_var(widths);
    fz_var(fref);
    fz_var(cidref);
    fz_var(descref);
    fz_var(wref);
    fz_var(result);
    fz_try(ctx)
    {
        /* Half-width CIDs of Adobe-GB1 (the proportional Latin and the half-width forms). */
        static const int runs[][3] = {
            { 0, 0, 1000 }, { 1, 95, 500 }, { 99, 99, 500 }, { 668, 699, 500 }, { 7713, 7714, 500 }, { 22354, 22354, 500 },
        };
        widths = pdf_new_array(ctx, doc, 16);
        for (size_t i = 0; i < sizeof runs / sizeof runs[0]; i++)
            push_cid_widths(ctx, widths, runs[i][0], runs[i][1], runs[i][2]);
        wref = pdf_add_object(ctx, doc, widths);

        desc = pdf_new_dict(ctx, doc, 8);
        pdf_dict_put(ctx, desc, PDF_NAME(Type), PDF_NAME(FontDescriptor));
        pdf_dict_put_name(ctx, desc, PDF_NAME(FontName), basefont);
        pdf_dict_put_int(ctx, desc, PDF_NAME(Flags), 34);
        pdf_obj* bbox = pdf_dict_put_array(ctx, desc, PDF_NAME(FontBBox), 4);
        pdf_array_push_int(ctx, bbox, -200);
        pdf_array_push_int(ctx, bbox, -200);
        pdf_array_push_int(ctx, bbox, 1200);
        pdf_array_push_int(ctx, bbox, 1200);
        pdf_dict_put_int(ctx, desc, PDF_NAME(ItalicAngle), 0);
        pdf_dict_put_int(ctx, desc, PDF_NAME(Ascent), 859);
        pdf_dict_put_int(ctx, desc, PDF_NAME(Descent), -145);
        pdf_dict_put_int(ctx, desc, PDF_NAME(StemV), 56);
        descref = pdf_add_object(ctx, doc, desc);

        cidfont = pdf_new_dict(ctx, doc, 8);
        pdf_dict_put(ctx, cidfont, PDF_NAME(Type), PDF_NAME(Font));
        pdf_dict_put(ctx, cidfont, PDF_NAME(Subtype), PDF_NAME(CIDFontType0));
        pdf_dict_put_name(ctx, cidfont, PDF_NAME(BaseFont), basefont);
        pdf_dict_put(ctx, cidfont, PDF_NAME(W), wref);
        /* The built-in font carries no width table of its own, so no /DW is written. */
        pdf_obj* info = pdf_dict_put_dict(ctx, cidfont, PDF_NAME(CIDSystemInfo), 3);
        pdf_dict_put_string(ctx, info, PDF_NAME(Registry), "Adobe", 5);
        pdf_dict_put_string(ctx, info, PDF_NAME(Ordering), ordering, strlen(ordering));
        pdf_dict_put_int(ctx, info, PDF_NAME(Supplement), supplement);
        pdf_dict_put(ctx, cidfont, PDF_NAME(FontDescriptor), descref);
        cidref = pdf_add_object(ctx, doc, cidfont);

        fobj = pdf_new_dict(ctx, doc, 5);
        pdf_dict_put(ctx, fobj, PDF_NAME(Type), PDF_NAME(Font));
        pdf_dict_put(ctx, fobj, PDF_NAME(Subtype), PDF_NAME(Type0));
        pdf_dict_put_name(ctx, fobj, PDF_NAME(BaseFont), basefont);
        pdf_dict_put_name(ctx, fobj, PDF_NAME(Encoding), encoding);
        pdf_obj* desc_fonts = pdf_dict_put_array(ctx, fobj, PDF_NAME(DescendantFonts), 1);
        pdf_array_push(ctx, desc_fonts, cidref);
        fref = pdf_add_object(ctx, doc, fobj);
        result = vq_insert_font_resource_by_name(ctx, doc, progname, fref);
    }
    fz_always(ctx)
    {
        pdf_drop_obj(ctx, fobj);
        pdf_drop_obj(ctx, cidfont);
        pdf_drop_obj(ctx, desc);
        pdf_drop_obj(ctx, widths);
        pdf_drop_obj(ctx, fref);
        pdf_drop_obj(ctx, cidref);
        pdf_drop_obj(ctx, descref);
        pdf_drop_obj(ctx, wref);
    }
    fz_catch(ctx)
        fz_rethrow(ctx);
    return result;
}

static const char* base14_name(const char* name)
{
    static const char* names[] = { "Courier", "Courier-Bold", "Courier-Oblique", "Courier-BoldOblique",
                                   "Helvetica", "Helvetica-Bold", "Helvetica-Oblique", "Helvetica-BoldOblique",
                                   "Times-Roman", "Times-Bold", "Times-Italic", "Times-BoldItalic",
                                   "Symbol", "ZapfDingbats" };
    for (size_t i = 0; i < sizeof names / sizeof names[0]; i++)
        if (!strcmp(name, names[i]))
            return names[i];
    return NULL;
}

pdf_obj* vq_add_simple_font(fz_context* ctx, pdf_document* doc, fz_font* font, int encoding)
{
    const char* name = fz_font_name(ctx, font);
    pdf_obj* found = vq_find_font_resource_by_name(ctx, doc, name);
    if (found)
        return found;
    const char* base = base14_name(name);
    if (!base || encoding != 0)
    {
        /* Other fonts and encodings: the library's writer (differences, widths, descriptor and
           the embedded font program). */
        pdf_obj* ref = pdf_add_simple_font(ctx, doc, font, encoding);
        pdf_obj* result = NULL;
        fz_var(result);
        fz_try(ctx)
            result = vq_insert_font_resource_by_name(ctx, doc, name, ref);
        fz_always(ctx)
            pdf_drop_obj(ctx, ref);
        fz_catch(ctx)
            fz_rethrow(ctx);
        return result;
    }
    pdf_obj *dict = NULL, *ref = NULL, *result = NULL;
    fz_var(dict);
    fz_var(ref);
    fz_var(result);
    fz_try(ctx)
    {
        dict = pdf_new_dict(ctx, doc, 4);
        pdf_dict_put(ctx, dict, PDF_NAME(Type), PDF_NAME(Font));
        pdf_dict_put(ctx, dict, PDF_NAME(Subtype), PDF_NAME(Type1));
        pdf_dict_put_name(ctx, dict, PDF_NAME(BaseFont), base);
        pdf_dict_put(ctx, dict, PDF_NAME(Encoding), PDF_NAME(WinAnsiEncoding));
        ref = pdf_add_object(ctx, doc, dict);
        result = vq_insert_font_resource_by_name(ctx, doc, name, ref);
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

void vq_get_cid_font_info(fz_context* ctx, pdf_document* doc, pdf_obj* res, vq_font_info* fi)
{
    fz_free(ctx, fi->da.font_name);
    fi->da.font_name = NULL;
    fi->da.font_name = fz_strdup(ctx, "iSimSun");
    pdf_obj* fonts = pdf_dict_get(ctx, res, PDF_NAME(Font));
    if (!pdf_is_dict(ctx, fonts))
        fonts = pdf_dict_put_dict(ctx, res, PDF_NAME(Font), 2);
    pdf_obj* font = pdf_dict_gets(ctx, fonts, "iSimSun");
    if (!font)
    {
        pdf_obj* ref = vq_appearance_cjk_font(ctx, doc);
        fz_try(ctx)
            pdf_dict_puts(ctx, fonts, "iSimSun", ref);
        fz_always(ctx)
            pdf_drop_obj(ctx, ref);
        fz_catch(ctx)
            fz_rethrow(ctx);
        font = pdf_dict_gets(ctx, fonts, "iSimSun");
    }
    pdf_drop_font(ctx, fi->font);
    fi->font = NULL;
    fi->font = pdf_load_font(ctx, doc, res, font);
    pdf_drop_obj(ctx, fi->fontobj);
    fi->fontobj = pdf_keep_obj(ctx, font);
    fi->composite = 1;
    fi->lineheight = 1;
    if (fi->font->ascent != 0 && fi->font->descent != 0)
        fi->lineheight = (fi->font->ascent - fi->font->descent) / 1000.0f;
}

pdf_obj* vq_appearance_cjk_font(fz_context* ctx, pdf_document* doc)
{
    int len = 0, index = 0;
    const unsigned char* data = fz_lookup_cjk_font(ctx, FZ_ADOBE_GB, &len, &index);
    if (!data)
        fz_throw(ctx, FZ_ERROR_GENERIC, "no built-in CJK font");
    fz_font* font = fz_new_font_from_memory(ctx, NULL, data, len, index, 0);
    pdf_obj* ref = NULL;
    fz_try(ctx)
        ref = vq_add_cjk_font(ctx, doc, font, 1);
    fz_always(ctx)
        fz_drop_font(ctx, font);
    fz_catch(ctx)
        fz_rethrow(ctx);
    return ref;
}

/* ---- measuring and writing text ---------------------------------------------------------------- */

static float char_advance(fz_context* ctx, fz_font* font, int c)
{
    int gid = fz_encode_character(ctx, font, c);
    return fz_advance_glyph(ctx, font, gid, 0);
}

float vq_text_width(fz_context* ctx, pdf_font_desc* font, const char* utf8, float size)
{
    float w = 0;
    if (!font || !font->font || !utf8)
        return 0;
    while (*utf8)
    {
        int c;
        utf8 += fz_chartorune(&c, utf8);
        w += char_advance(ctx, font->font, c);
    }
    return w * size;
}

int vq_text_stride_cid(fz_context* ctx, pdf_font_desc* font, const int* cps, int n, float size, float room,
                       float* width)
{
    float w = 0;
    int k = 0;
    for (; k < n; k++)
    {
        float cw = char_advance(ctx, font->font, cps[k]) * size;
        if (w + cw > room)
            break;
        w += cw;
    }
    if (width)
        *width = w;
    return k;
}

int vq_needconverting(const char* text)
{
    for (; text && *text; text++)
        if ((unsigned char)*text >= 128)
            return 1;
    return 0;
}

void vq_append_hex_text(fz_context* ctx, fz_buffer* buf, const char* utf8)
{
    fz_append_byte(ctx, buf, '<');
    while (utf8 && *utf8)
    {
        int c;
        utf8 += fz_chartorune(&c, utf8);
        if (c < 128)
            fz_append_printf(ctx, buf, "%04x", c);
        else if (c <= 0xFFFF)
            fz_append_printf(ctx, buf, "%02x%02x", (c >> 8) & 0xFF, c & 0xFF);
        else
        {
            /* Outside the 16-bit plane: a UTF-16 surrogate pair, which the encoding reads. */
            int v = c - 0x10000;
            fz_append_printf(ctx, buf, "%04x%04x", 0xD800 | (v >> 10), 0xDC00 | (v & 0x3FF));
        }
    }
    fz_append_byte(ctx, buf, '>');
}

void vq_append_literal(fz_context* ctx, fz_buffer* buf, const char* text, size_t len)
{
    fz_append_byte(ctx, buf, '(');
    for (size_t i = 0; i < len; i++)
    {
        unsigned char ch = (unsigned char)text[i];
        if (ch == '(' || ch == ')' || ch == '\\')
            fz_append_byte(ctx, buf, '\\');
        if (ch == '\n' || ch == '\r')
            fz_append_string(ctx, buf, ch == '\n' ? "\\n" : "\\r");
        else
            fz_append_byte(ctx, buf, ch);
    }
    fz_append_byte(ctx, buf, ')');
}
