/*
 * vq-appearance-writers.h: the engine's own appearance-stream writers, shared by the files
 * that generate appearance content (annotations, widgets, pictures, signatures) and by the
 * page loader that runs them.
 *
 * Every appearance is written as a new Form XObject (/BBox in PDF user space, identity
 * /Matrix) stored under /AP /N; /Rect is set to the same box. Everything painted goes
 * through an ExtGState that carries the opacity and the blend mode /Multiply (even at
 * opacity 1), named Alp0, Alp1, … in order of first use within one appearance.
 *
 * All functions run under the caller's document lock and report failure by raising the PDF
 * library's exception.
 */
#ifndef VQ_APPEARANCE_WRITERS_H
#define VQ_APPEARANCE_WRITERS_H

#ifdef __cplusplus
extern "C" {
#endif
#include <mupdf/fitz.h>
#include <mupdf/pdf.h>
#include <string.h>

/* ---- content builder ------------------------------------------------------------------ */

#define VQ_AP_MAX_ALPHA 16

typedef struct
{
    pdf_document* doc;
    fz_buffer* buf;  /* content stream text */
    pdf_obj* res;    /* the form's /Resources (owned) */
    int nalpha;
    float alpha[VQ_AP_MAX_ALPHA];
    int stroke[VQ_AP_MAX_ALPHA];
    int nxobj;
} vq_ap_builder;

/* Starts a builder: an empty content buffer and resources holding /ProcSet [/PDF /Text]. */
void vq_ap_begin(fz_context* ctx, vq_ap_builder* b, pdf_document* doc);
/* Releases what the builder still owns (safe after vq_ap_form). */
void vq_ap_end(fz_context* ctx, vq_ap_builder* b);
/* Writes "/AlpN gs" selecting the graphics state for this opacity and paint kind, adding it
   to the resources on first use. */
void vq_ap_alpha(fz_context* ctx, vq_ap_builder* b, float alpha, int stroke);
/* Colour operators for n components (1 gray, 3 RGB, 4 CMYK); other n write nothing and
   return 0. */
int vq_ap_color(fz_context* ctx, vq_ap_builder* b, int n, const float* c, int stroke);
/* Adds an XObject resource under a generated name (Im0, Fm0 …) and returns the name. */
const char* vq_ap_add_xobject(fz_context* ctx, vq_ap_builder* b, pdf_obj* xobj, const char* prefix, char* name, int size);
/* Makes the Form XObject (uncompressed content, /FormType 1) and returns it (new reference). */
pdf_obj* vq_ap_form(fz_context* ctx, vq_ap_builder* b, fz_rect bbox);

/* A Form XObject from explicit content text and resources (new reference). */
pdf_obj* vq_ap_new_form(fz_context* ctx, pdf_document* doc, fz_rect bbox, fz_matrix matrix, pdf_obj* res,
                        const char* content, size_t len);

/* Stores a finished builder as the annotation's /AP /N on bbox (PDF user space) and sets
   /Rect to bbox. */
void vq_ap_store(fz_context* ctx, vq_ap_builder* b, pdf_obj* annot, fz_rect bbox);

/* ---- freehand strokes ------------------------------------------------------------------- */

/* A freehand stroke is drawn smooth: a chain of curves through the midpoints of its points,
   ending with a line to its last point. Every point is added to *box. */
typedef struct
{
    fz_point cur;  /* where the path stands */
    fz_point prev; /* the last point given */
} vq_smooth_pen;

static inline void vq_smooth_begin(fz_context* ctx, fz_buffer* o, vq_smooth_pen* pen, fz_point p, fz_rect* box)
{
    pen->cur = pen->prev = p;
    *box = fz_include_point_in_rect(*box, p);
    fz_append_printf(ctx, o, "%g %g m\n", p.x, p.y);
}

static inline void vq_smooth_to(fz_context* ctx, fz_buffer* o, vq_smooth_pen* pen, fz_point p, fz_rect* box)
{
    *box = fz_include_point_in_rect(*box, p);
    fz_point mid = fz_make_point((pen->prev.x + p.x) / 2, (pen->prev.y + p.y) / 2);
    fz_append_printf(ctx, o, "%g %g %g %g %g %g c\n", pen->cur.x, pen->cur.y, pen->prev.x, pen->prev.y, mid.x,
                     mid.y);
    pen->cur = mid;
    pen->prev = p;
}

static inline void vq_smooth_end(fz_context* ctx, fz_buffer* o, const vq_smooth_pen* pen)
{
    fz_append_printf(ctx, o, "%g %g l\n", pen->prev.x, pen->prev.y);
}

/* ---- annotation geometry ---------------------------------------------------------------- */

/* The page transform (PDF user space -> page space) of the page holding an annotation
   dictionary (its /P, or the given page object). */
fz_matrix vq_ap_page_ctm(fz_context* ctx, pdf_obj* pageobj);
/* The page object an annotation dictionary belongs to: its /P, else NULL. */
pdf_obj* vq_ap_annot_page(fz_context* ctx, pdf_obj* annot);

/* ---- generation ------------------------------------------------------------------------- */

/* Regenerates the appearance of one annotation dictionary of a page with the engine's own
   generators, whatever its state. Returns 1 when a new appearance was written, 0 when the
   annotation kind has no generator of ours (the library's own then applies). */
int vq_ap_generate(fz_context* ctx, pdf_document* doc, pdf_obj* pageobj, pdf_obj* annot);

/* Before a page is loaded: generates the appearance of every annotation of the page that
   has no /AP /N or whose dictionary is marked changed, then marks the dictionaries clean.
   A failing annotation keeps what it had (a warning is issued). */
void vq_page_prepare_appearances(fz_context* ctx, pdf_document* doc, pdf_obj* pageobj);

/* ---- default appearance and fonts -------------------------------------------------------- */

/* Pushes a number read from a content stream onto an operand stack of cap entries, dropping
   the oldest when it is full (an operator only reads the operands just before it). */
static inline void vq_push_operand(float* stack, int* top, int cap, float v)
{
    if (*top == cap)
    {
        memmove(stack, stack + 1, sizeof stack[0] * (size_t)(cap - 1));
        (*top)--;
    }
    stack[(*top)++] = v;
}

typedef struct
{
    char* font_name; /* owned, may be NULL */
    int font_size;
    float col[4];
    int col_size; /* 0, 1, 3 or 4 */
} vq_da_info;

typedef struct
{
    vq_da_info da;
    pdf_font_desc* font;
    pdf_obj* fontobj; /* the font dictionary used (one reference held) */
    float lineheight;
    int composite; /* a Type0 font: text is written as 16-bit hexadecimal codes */
} vq_font_info;

void vq_parse_da(fz_context* ctx, const char* da, vq_da_info* di);
void vq_print_da(fz_context* ctx, fz_buffer* buf, const vq_da_info* di);
void vq_da_info_fin(fz_context* ctx, vq_da_info* di);
void vq_font_info_fin(fz_context* ctx, vq_font_info* fi);
/* Parses da into fi->da (over what it holds) and loads its font from res /Font, adding the
   built-in Courier under that name when missing. Raises "No font name in default appearance". */
void vq_get_font_info(fz_context* ctx, pdf_document* doc, pdf_obj* res, const char* da, vq_font_info* fi);

/* The engine's CJK composite font (vq-cjk-font.c). */
pdf_obj* vq_add_cjk_font(fz_context* ctx, pdf_document* doc, fz_font* font, int script);
pdf_obj* vq_add_simple_font(fz_context* ctx, pdf_document* doc, fz_font* font, int encoding);
/* Sets fi's font name to "iSimSun", adds the CJK font to res /Font under it when missing and
   loads it. */
void vq_get_cid_font_info(fz_context* ctx, pdf_document* doc, pdf_obj* res, vq_font_info* fi);
/* Font objects recorded by name per open document: new reference or NULL. */
pdf_obj* vq_find_font_resource_by_name(fz_context* ctx, pdf_document* doc, const char* name);
pdf_obj* vq_insert_font_resource_by_name(fz_context* ctx, pdf_document* doc, const char* name, pdf_obj* font);

/* Width at size of the UTF-8 text in the loaded font (glyph advances). */
float vq_text_width(fz_context* ctx, pdf_font_desc* font, const char* utf8, float size);
/* Number of code points of cps (count n) that fit in room at size; their width in *width. */
int vq_text_stride_cid(fz_context* ctx, pdf_font_desc* font, const int* cps, int n, float size, float room,
                       float* width);
/* 1 when any byte is 128 or more. */
int vq_needconverting(const char* text);
/* Appends the text as "<hhhh…>" 16-bit codes (UTF-16 units). */
void vq_append_hex_text(fz_context* ctx, fz_buffer* buf, const char* utf8);
/* Appends the text as a PDF literal string with (, ) and \ escaped. */
void vq_append_literal(fz_context* ctx, fz_buffer* buf, const char* text, size_t len);

/* ---- widgets (vq-appearance-widget.c) ------------------------------------------------------ */

enum
{
    VQ_AP_FIELD_NONE = -1,
    VQ_AP_FIELD_PUSH = 0,
    VQ_AP_FIELD_CHECK = 1,
    VQ_AP_FIELD_RADIO = 2,
    VQ_AP_FIELD_TEXT = 3,
    VQ_AP_FIELD_LIST = 4,
    VQ_AP_FIELD_COMBO = 5,
    VQ_AP_FIELD_SIG = 6
};
int vq_ap_field_type(fz_context* ctx, pdf_obj* widget);

void vq_update_text_appearance(fz_context* ctx, pdf_document* doc, pdf_obj* widget, const char* text);
void vq_update_combobox_appearance(fz_context* ctx, pdf_document* doc, pdf_obj* widget);
void vq_update_listbox_appearance(fz_context* ctx, pdf_document* doc, pdf_obj* widget);
void vq_update_pushbutton_appearance(fz_context* ctx, pdf_document* doc, pdf_obj* widget);
/* On and off states of a check box or radio button. */
void vq_update_checkbox_appearance(fz_context* ctx, pdf_document* doc, pdf_obj* widget, int radio);

/* Picture appearance (w × h points, opacity, rotation clockwise in degrees) anchored at the
   annotation's displayed top-left corner; signature widgets get the layered form. pageobj is
   the page holding the annotation (NULL: its /P). */
void vq_image_appearance(fz_context* ctx, pdf_document* doc, pdf_obj* pageobj, pdf_obj* annot, fz_image* image,
                         int w, int h, float opacity, float rotation);
/* The first page of another PDF file as the appearance. */
void vq_pdf_page_appearance(fz_context* ctx, pdf_document* doc, pdf_obj* pageobj, pdf_obj* annot, const char* path);
/* A text line in the CJK font (size 18, CMYK black) as a signature widget's appearance. */
void vq_text_signature_appearance(fz_context* ctx, pdf_document* doc, pdf_obj* annot, const char* utf8);
/* Wraps the current /AP /N in the signature layers (outer form, FRM, n0, n2). */
void vq_wrap_signature_layers(fz_context* ctx, pdf_document* doc, pdf_obj* annot);

#ifdef __cplusplus
}
#endif

#endif
