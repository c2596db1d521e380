/*
 * Form fields: creating widgets, walking a page's widgets, reading and setting their values,
 * and removing them from the form and the page.
 */
#include "annot-internal.h"
#include "vq-appearance.h"
#include "vq-signature.h"

#include <stdlib.h>
#include <string.h>

pdf_annot* vq_iter_first(struct document* d, vq_page* page, int widgets_only);
pdf_annot* vq_iter_next(struct document* d, const void* handle, int widgets_only);

/* The widget behind a field handle: a live annotation of subtype Widget. Caller holds the lock. */
static pdf_annot* widget_checked(struct document* d, const void* handle, struct page_t** owner)
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
        {
            fz_drop_display_list(ctx, pg->annotations_list);
            pg->annotations_list = NULL;
        }
    }
    vq_doc_unlock(d);
    return (vq_field*)w;
}

VQ_API vq_field* vq_field_first(vq_document* d, vq_page* page)
{
    if (!d)
        return NULL;
    vq_doc_lock(d);
    pdf_annot* a = vq_iter_first(d, page, 1);
    vq_doc_unlock(d);
    return (vq_field*)a;
}

VQ_API vq_field* vq_field_next(vq_document* d, vq_field* field)
{
    if (!d)
        return NULL;
    vq_doc_lock(d);
    pdf_annot* a = vq_iter_next(d, field, 1);
    vq_doc_unlock(d);
    return (vq_field*)a;
}

VQ_API int vq_field_drop(vq_document* d, vq_field* field)
{
    if (!d)
        return VQ_FAIL;
    vq_doc_lock(d);
    int code = VQ_FAIL;
    struct page_t* owner = NULL;
    pdf_annot* w = widget_checked(d, field, &owner);
    if (w)
    {
        fz_context* ctx = d->ctx;
        fz_try(ctx)
        {
            if (d->focus_annot == w)
            {
                d->focus_annot = NULL;
                d->focus_num = 0;
            }
            pdf_delete_widget(ctx, pdf_annot_page(ctx, w), w, 1);
            code = VQ_OK;
        }
        fz_catch(ctx)
            code = VQ_FAIL;
        if (owner)
        {
            fz_drop_display_list(ctx, owner->annotations_list);
            owner->annotations_list = NULL;
        }
    }
    vq_doc_unlock(d);
    return code;
}

VQ_API vq_field_type vq_field_get_type(vq_document* d, vq_field* field)
{
    if (!d)
        return VQ_FIELD_TYPE_NOT_WIDGET;
    vq_doc_lock(d);
    int t = VQ_FIELD_TYPE_NOT_WIDGET;
    pdf_annot* w = widget_checked(d, field, NULL);
    if (w)
    {
        fz_try(d->ctx)
            t = vq_widget_engine_type(d->ctx, w);
        fz_catch(d->ctx)
            t = VQ_FIELD_TYPE_NOT_WIDGET;
    }
    vq_doc_unlock(d);
    return (vq_field_type)t;
}

/* A malloc'd copy of a library string (NULL stays NULL). */
static char* dup_or_null(const char* s)
{
    return s ? strdup(s) : NULL;
}

VQ_API char* vq_field_get_name(vq_document* d, vq_field* field)
{
    if (!d)
        return NULL;
    vq_doc_lock(d);
    char* out = NULL;
    pdf_annot* w = widget_checked(d, field, NULL);
    if (w)
    {
        fz_context* ctx = d->ctx;
        char* name = NULL;
        fz_var(name);
        fz_try(ctx)
            name = pdf_field_name(ctx, pdf_annot_obj(ctx, w));
        fz_catch(ctx)
            name = NULL;
        out = dup_or_null(name);
        fz_free(ctx, name);
    }
    vq_doc_unlock(d);
    return out;
}

VQ_API void vq_field_drop_name(vq_document* d, char* name)
{
    (void)d;
    free(name);
}

VQ_API char* vq_field_get_value(vq_document* d, vq_field* field)
{
    if (!d)
        return NULL;
    vq_doc_lock(d);
    char* out = NULL;
    pdf_annot* w = widget_checked(d, field, NULL);
    if (w)
    {
        const char* v = NULL;
        fz_var(v);
        fz_try(d->ctx)
            v = pdf_field_value(d->ctx, pdf_annot_obj(d->ctx, w));
        fz_catch(d->ctx)
            v = NULL;
        out = strdup(v ? v : "");
    }
    vq_doc_unlock(d);
    return out;
}

VQ_API int vq_field_set_value(vq_document* d, vq_field* field, const char* value)
{
    if (!d || !value)
        return VQ_FAIL;
    vq_doc_lock(d);
    int code = VQ_FAIL;
    pdf_annot* w = widget_checked(d, field, NULL);
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
    if (!d)
        return 0;
    vq_doc_lock(d);
    int n = 0;
    pdf_annot* w = widget_checked(d, field, NULL);
    if (w)
    {
        fz_try(d->ctx)
            n = pdf_text_widget_max_len(d->ctx, w);
        fz_catch(d->ctx)
            n = 0;
    }
    vq_doc_unlock(d);
    return n;
}

VQ_API int vq_field_tx_content_type(vq_document* d, vq_field* field)
{
    if (!d)
        return 0;
    vq_doc_lock(d);
    int n = 0;
    pdf_annot* w = widget_checked(d, field, NULL);
    if (w)
    {
        fz_try(d->ctx)
            n = pdf_text_widget_format(d->ctx, w);
        fz_catch(d->ctx)
            n = 0;
    }
    vq_doc_unlock(d);
    return n;
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

VQ_API float vq_field_get_font_size(vq_document* d, vq_field* field)
{
    if (!d)
        return 0;
    vq_doc_lock(d);
    float size = 0;
    pdf_annot* w = widget_checked(d, field, NULL);
    if (w)
    {
        fz_context* ctx = d->ctx;
        fz_try(ctx)
        {
            pdf_obj* da = pdf_dict_get_inheritable(ctx, pdf_annot_obj(ctx, w), PDF_NAME(DA));
            if (!da)
                da = pdf_dict_getp(ctx, pdf_trailer(ctx, vq_pdf(d)), "Root/AcroForm/DA");
            const char* font = NULL;
            float col[4];
            int n = 0;
            if (pdf_is_string(ctx, da))
                pdf_parse_default_appearance(ctx, pdf_to_text_string(ctx, da), &font, &size, &n, col);
        }
        fz_catch(ctx)
            size = 0;
    }
    vq_doc_unlock(d);
    return size;
}

/* Choice fields: the option texts and values are the document's own strings, valid until the
   field changes or the page is updated. */
VQ_API int vq_field_ch_options(vq_document* d, vq_field* field, char** opts)
{
    if (!d)
        return 0;
    vq_doc_lock(d);
    int n = 0;
    pdf_annot* w = widget_checked(d, field, NULL);
    if (w)
    {
        fz_try(d->ctx)
            n = pdf_choice_widget_options(d->ctx, w, 0, (const char**)opts);
        fz_catch(d->ctx)
            n = 0;
    }
    vq_doc_unlock(d);
    return n;
}

VQ_API int vq_field_ch_get_current_value(vq_document* d, vq_field* field, char** opts)
{
    if (!d)
        return 0;
    vq_doc_lock(d);
    int n = 0;
    pdf_annot* w = widget_checked(d, field, NULL);
    if (w)
    {
        fz_try(d->ctx)
            n = pdf_choice_widget_value(d->ctx, w, (const char**)opts);
        fz_catch(d->ctx)
            n = 0;
    }
    vq_doc_unlock(d);
    return n;
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
    pdf_annot* w = widget_checked(d, field, NULL);
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
    pdf_annot* w = widget_checked(d, annot, NULL);
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

VQ_API vq_field_bs_type vq_field_get_border_style(vq_document* d, vq_annot* annot)
{
    if (!d)
        return VQ_BS_S;
    vq_doc_lock(d);
    vq_field_bs_type t = VQ_BS_S;
    pdf_annot* w = widget_checked(d, annot, NULL);
    if (w)
    {
        char* s = NULL;
        fz_var(s);
        fz_try(d->ctx)
            s = pdf_field_border_style(d->ctx, pdf_annot_obj(d->ctx, w));
        fz_catch(d->ctx)
            s = NULL;
        if (s)
        {
            switch (s[0])
            {
            case 'B': t = VQ_BS_B; break;
            case 'D': t = VQ_BS_D; break;
            case 'I': t = VQ_BS_I; break;
            case 'U': t = VQ_BS_U; break;
            default: t = VQ_BS_S; break;
            }
        }
    }
    vq_doc_unlock(d);
    return t;
}
