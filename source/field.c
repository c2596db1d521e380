/*
 * Form fields: creating widgets, walking a page's widgets, reading and setting their values,
 * and removing them from the form and the page.
 */
#include "annot-internal.h"
#include "vq-appearance.h"
#include "vq-signature.h"

#include <stdlib.h>
#include <string.h>


static int to_engine_field_type(enum pdf_widget_type t)
{
    switch (t)
    {
    case PDF_WIDGET_TYPE_BUTTON: return VQ_FIELD_TYPE_PUSHBUTTON;
    case PDF_WIDGET_TYPE_CHECKBOX: return VQ_FIELD_TYPE_CHECKBOX;
    case PDF_WIDGET_TYPE_RADIOBUTTON: return VQ_FIELD_TYPE_RADIOBUTTON;
    case PDF_WIDGET_TYPE_TEXT: return VQ_FIELD_TYPE_TEXT;
    case PDF_WIDGET_TYPE_LISTBOX: return VQ_FIELD_TYPE_LISTBOX;
    case PDF_WIDGET_TYPE_COMBOBOX: return VQ_FIELD_TYPE_COMBOBOX;
    case PDF_WIDGET_TYPE_SIGNATURE: return VQ_FIELD_TYPE_SIGNATURE;
    default: return VQ_FIELD_TYPE_NOT_WIDGET;
    }
}

/* Engine field type of a widget (caller holds the lock). */
int vq_widget_engine_type(fz_context* ctx, pdf_annot* a)
{
    return to_engine_field_type(pdf_widget_type(ctx, a));
}

VQ_API vq_field* vq_page_add_field(vq_document* d, vq_page* page, vq_field_type type, char* identify,
                                   const char* addinfo)
{
    if (!d || !identify || type < VQ_FIELD_TYPE_PUSHBUTTON || type > VQ_FIELD_TYPE_SIGNATURE)
        return NULL;
    vq_doc_lock(d);
    pdf_annot* w = NULL;
    vq_field* handle = NULL;
    struct page_t* pg = vq_page_checked(d, page);
    pdf_page* pp = vq_pdf_page_of(d, page);
    if (pp)
    {
        fz_context* ctx = d->ctx;
        fz_try(ctx)
            w = vq_sig_create_widget(ctx, vq_pdf(d), pp, (int)type, identify, addinfo);
        fz_catch(ctx)
        {
            fz_warn(ctx, "cannot create field: %s", fz_caught_message(ctx));
            w = NULL;
        }
        if (w && pg)
            vq_page_drop_list(d, pg, 1);
        handle = vq_handle_of(d, pg, w);
    }
    vq_doc_unlock(d);
    return handle;
}

VQ_API vq_field* vq_field_first(vq_document* d, vq_page* page)
{
    return vq_iter_locked(d, page, 1, 1);
}

VQ_API vq_field* vq_field_next(vq_document* d, vq_field* field)
{
    return vq_iter_locked(d, field, 0, 1);
}

VQ_API int vq_field_drop(vq_document* d, vq_field* field)
{
    if (!d)
        return VQ_FAIL;
    vq_doc_lock(d);
    int code = VQ_FAIL;
    struct page_t* owner = NULL;
    pdf_annot* w = vq_widget_checked(d, field, &owner);
    if (w)
    {
        fz_context* ctx = d->ctx;
        pdf_page* pp = pdf_annot_page(ctx, w);
        fz_try(ctx)
        {
            if (d->focus_annot == field)
            {
                d->focus_annot = NULL;
                d->focus_num = 0;
            }
            pdf_delete_widget(ctx, pp, w, 1);
            code = VQ_OK;
        }
        fz_catch(ctx)
            code = VQ_FAIL;
        /* Gone from its page: its handle ends (only the address is compared, never read). */
        if (!vq_page_holds(ctx, pp, w))
            vq_handles_forget_annot(d, w);
        if (owner)
            vq_page_drop_list(d, owner, 1);
    }
    vq_doc_unlock(d);
    return code;
}

VQ_API vq_field_type vq_field_get_type(vq_document* d, vq_field* field)
{
    return (vq_field_type)vq_annot_read_int(d, field, 1, vq_widget_engine_type, VQ_FIELD_TYPE_NOT_WIDGET);
}

/* A malloc'd copy of a library string (NULL stays NULL). */
static char* dup_or_null(const char* s)
{
    return s ? strdup(s) : NULL;
}

static void name_of(struct document* d, pdf_annot* w, void* arg)
{
    char* name = pdf_field_name(d->ctx, pdf_annot_obj(d->ctx, w));
    *(char**)arg = dup_or_null(name);
    fz_free(d->ctx, name);
}

VQ_API char* vq_field_get_name(vq_document* d, vq_field* field)
{
    char* out = NULL;
    vq_annot_locked(d, field, 1, name_of, &out);
    return out;
}

VQ_API void vq_field_drop_name(vq_document* d, char* name)
{
    (void)d;
    free(name);
}

static void value_of(struct document* d, pdf_annot* w, void* arg)
{
    const char* v = pdf_field_value(d->ctx, pdf_annot_obj(d->ctx, w));
    *(char**)arg = strdup(v ? v : "");
}

VQ_API char* vq_field_get_value(vq_document* d, vq_field* field)
{
    char* out = NULL;
    /* A live field whose value cannot be read has an empty value. */
    if (vq_annot_locked(d, field, 1, value_of, &out) == VQ_ANNOT_THREW)
        out = strdup("");
    return out;
}

VQ_API int vq_field_set_value(vq_document* d, vq_field* field, const char* value)
{
    if (!d || !value)
        return VQ_FAIL;
    vq_doc_lock(d);
    int code = VQ_FAIL;
    pdf_annot* w = vq_widget_checked(d, field, NULL);
    if (w)
    {
        fz_context* ctx = d->ctx;
        fz_try(ctx)
        {
            code = pdf_set_field_value(ctx, vq_pdf(d), pdf_annot_obj(ctx, w), value, 1) ? VQ_OK : VQ_FAIL;
            pdf_dirty_annot(ctx, w);
        }
        fz_catch(ctx)
            code = VQ_FAIL;
        if (code == VQ_OK)
            vq_annot_refresh(d, w);
    }
    vq_doc_unlock(d);
    return code;
}

VQ_API char* vq_field_tx_get_text(vq_document* d, vq_field* field)
{
    return vq_field_get_value(d, field);
}

VQ_API int vq_field_tx_set_text(vq_document* d, vq_field* field, const char* text)
{
    if (vq_field_get_type(d, field) != VQ_FIELD_TYPE_TEXT)
        return VQ_FAIL;
    return vq_field_set_value(d, field, text);
}

VQ_API int vq_field_tx_max_len(vq_document* d, vq_field* field)
{
    return vq_annot_read_int(d, field, 1, pdf_text_widget_max_len, 0);
}

VQ_API int vq_field_tx_content_type(vq_document* d, vq_field* field)
{
    return vq_annot_read_int(d, field, 1, pdf_text_widget_format, 0);
}

VQ_API int vq_field_tx_cursor(vq_document* d, vq_field* field, const vq_point* pt)
{
    (void)d;
    (void)field;
    (void)pt;
    return 1;
}

VQ_API vq_point vq_field_tx_cursor_point(vq_document* d, vq_field* field, int pos)
{
    (void)d;
    (void)field;
    (void)pos;
    vq_point p = {0, 0};
    return p;
}

static void font_size_of(struct document* d, pdf_annot* w, void* arg)
{
    fz_context* ctx = d->ctx;
    pdf_obj* da = pdf_dict_get_inheritable(ctx, pdf_annot_obj(ctx, w), PDF_NAME(DA));
    if (!da)
        da = pdf_dict_getp(ctx, pdf_trailer(ctx, vq_pdf(d)), "Root/AcroForm/DA");
    const char* font = NULL;
    float col[4];
    int n = 0;
    if (pdf_is_string(ctx, da))
        pdf_parse_default_appearance(ctx, pdf_to_text_string(ctx, da), &font, (float*)arg, &n, col);
}

VQ_API float vq_field_get_font_size(vq_document* d, vq_field* field)
{
    float size = 0;
    return vq_annot_locked(d, field, 1, font_size_of, &size) == VQ_ANNOT_DONE ? size : 0;
}

/* Choice fields: the option texts and values are the document's own strings, valid until the
   field changes or the page is updated. */
struct choice_read
{
    char** opts;
    int n;
};

static void options_of(struct document* d, pdf_annot* w, void* arg)
{
    struct choice_read* r = arg;
    r->n = pdf_choice_widget_options(d->ctx, w, 0, (const char**)r->opts);
}

static void chosen_of(struct document* d, pdf_annot* w, void* arg)
{
    struct choice_read* r = arg;
    r->n = pdf_choice_widget_value(d->ctx, w, (const char**)r->opts);
}

VQ_API int vq_field_ch_options(vq_document* d, vq_field* field, char** opts)
{
    struct choice_read r = {opts, 0};
    return vq_annot_locked(d, field, 1, options_of, &r) == VQ_ANNOT_DONE ? r.n : 0;
}

VQ_API int vq_field_ch_get_current_value(vq_document* d, vq_field* field, char** opts)
{
    struct choice_read r = {opts, 0};
    return vq_annot_locked(d, field, 1, chosen_of, &r) == VQ_ANNOT_DONE ? r.n : 0;
}

VQ_API int vq_field_ch_set_current_value(vq_document* d, vq_field* field, int n, char** opts)
{
    if (!d || n < 0 || (n > 0 && !opts))
        return VQ_FAIL;
    for (int i = 0; i < n; i++)
        if (!opts[i])
            return VQ_FAIL;
    vq_doc_lock(d);
    int code = VQ_FAIL;
    pdf_annot* w = vq_widget_checked(d, field, NULL);
    if (w)
    {
        fz_try(d->ctx)
        {
            pdf_choice_widget_set_value(d->ctx, w, n, (const char**)opts);
            code = VQ_OK;
        }
        fz_catch(d->ctx)
            code = VQ_FAIL;
        if (code == VQ_OK)
            vq_annot_refresh(d, w);
    }
    vq_doc_unlock(d);
    return code;
}

VQ_API int vq_field_set_border_style(vq_document* d, vq_annot* annot, vq_field_bs_type style)
{
    if (!d)
        return VQ_FAIL;
    const char* name;
    switch (style)
    {
    case VQ_BS_S: name = "Solid"; break;
    case VQ_BS_D: name = "Dashed"; break;
    case VQ_BS_B: name = "Beveled"; break;
    case VQ_BS_I: name = "Inset"; break;
    case VQ_BS_U: name = "Underline"; break;
    default: name = ""; break;
    }
    vq_doc_lock(d);
    int code = VQ_FAIL;
    fz_var(name);
    pdf_annot* w = vq_widget_checked(d, annot, NULL);
    if (w)
    {
        fz_try(d->ctx)
        {
            pdf_field_set_border_style(d->ctx, pdf_annot_obj(d->ctx, w), name);
            pdf_dirty_annot(d->ctx, w);
            code = VQ_OK;
        }
        fz_catch(d->ctx)
            code = VQ_FAIL;
    }
    if (code != VQ_OK)
        d->error = -1;
    else
        vq_annot_refresh(d, w);
    vq_doc_unlock(d);
    return code;
}

static void border_style_of(struct document* d, pdf_annot* w, void* arg)
{
    char* s = pdf_field_border_style(d->ctx, pdf_annot_obj(d->ctx, w));
    if (!s)
        return;
    vq_field_bs_type* t = arg;
    switch (s[0])
    {
    case 'B': *t = VQ_BS_B; break;
    case 'D': *t = VQ_BS_D; break;
    case 'I': *t = VQ_BS_I; break;
    case 'U': *t = VQ_BS_U; break;
    default: *t = VQ_BS_S; break;
    }
}

VQ_API vq_field_bs_type vq_field_get_border_style(vq_document* d, vq_annot* annot)
{
    vq_field_bs_type t = VQ_BS_S;
    return vq_annot_locked(d, annot, 1, border_style_of, &t) == VQ_ANNOT_DONE ? t : VQ_BS_S;
}
