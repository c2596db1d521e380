/*
 * Creating and removing form widgets on the PDF library's object model.
 */
#include "annot-internal.h"

#include <string.h>

/* Engine field type -> the /FT and /Ff a new field of that type gets. */
static void set_field_type(fz_context* ctx, pdf_obj* obj, int type)
{
    pdf_obj* ft = NULL;
    int ff = 0;
    switch (type)
    {
    case VQ_FIELD_TYPE_PUSHBUTTON: ft = PDF_NAME(Btn); ff = PDF_BTN_FIELD_IS_PUSHBUTTON; break;
    case VQ_FIELD_TYPE_CHECKBOX: ft = PDF_NAME(Btn); break;
    case VQ_FIELD_TYPE_RADIOBUTTON: ft = PDF_NAME(Btn); ff = PDF_BTN_FIELD_IS_RADIO; break;
    case VQ_FIELD_TYPE_TEXT: ft = PDF_NAME(Tx); break;
    case VQ_FIELD_TYPE_LISTBOX: ft = PDF_NAME(Ch); break;
    case VQ_FIELD_TYPE_COMBOBOX: ft = PDF_NAME(Ch); ff = PDF_CH_FIELD_IS_COMBO; break;
    case VQ_FIELD_TYPE_SIGNATURE: ft = PDF_NAME(Sig); break;
    default: fz_throw(ctx, FZ_ERROR_GENERIC, "unknown field type %d", type);
    }
    pdf_dict_put(ctx, obj, PDF_NAME(FT), ft);
    if (ff)
        pdf_dict_put_int(ctx, obj, PDF_NAME(Ff), ff);
}

pdf_annot* pdf_create_widget(fz_context* ctx, pdf_document* doc, pdf_page* page, int type, const char* fieldname,
                             const char* addinfo)
{
    pdf_obj* root = pdf_dict_get(ctx, pdf_trailer(ctx, doc), PDF_NAME(Root));
    pdf_obj* form = pdf_dict_get(ctx, root, PDF_NAME(AcroForm));
    int old_sigflags = pdf_dict_get_int(ctx, form, PDF_NAME(SigFlags));
    int had_sigflags = pdf_dict_get(ctx, form, PDF_NAME(SigFlags)) != NULL;
    pdf_annot* widget = NULL;
    fz_var(widget);
    fz_try(ctx)
    {
        widget = pdf_create_annot_raw(ctx, page, PDF_ANNOT_WIDGET);
        pdf_obj* obj = pdf_annot_obj(ctx, widget);
        set_field_type(ctx, obj, type);
        pdf_dict_put_text_string(ctx, obj, PDF_NAME(T), fieldname ? fieldname : "");
        if (addinfo)
            pdf_dict_puts_drop(ctx, obj, "Addinfo", pdf_new_text_string(ctx, addinfo));
        pdf_dict_put(ctx, obj, PDF_NAME(P), page->obj);
        pdf_dict_put_int(ctx, obj, PDF_NAME(F), PDF_ANNOT_IS_PRINT | PDF_ANNOT_IS_LOCKED);

        form = pdf_dict_get(ctx, root, PDF_NAME(AcroForm));
        if (!pdf_is_dict(ctx, form))
            form = pdf_dict_put_dict(ctx, root, PDF_NAME(AcroForm), 2);
        pdf_obj* fields = pdf_dict_get(ctx, form, PDF_NAME(Fields));
        if (!pdf_is_array(ctx, fields))
            fields = pdf_dict_put_array(ctx, form, PDF_NAME(Fields), 1);
        if (type == VQ_FIELD_TYPE_SIGNATURE)
            pdf_dict_put_int(ctx, form, PDF_NAME(SigFlags), old_sigflags | 3);
        pdf_array_push(ctx, fields, obj);
    }
    fz_catch(ctx)
    {
        if (widget)
        {
            fz_try(ctx)
            {
                pdf_obj* annots = pdf_dict_get(ctx, page->obj, PDF_NAME(Annots));
                pdf_obj* wobj = pdf_keep_obj(ctx, pdf_annot_obj(ctx, widget));
                pdf_delete_annot(ctx, page, widget);
                int i = pdf_array_find(ctx, annots, wobj);
                if (i >= 0)
                    pdf_array_delete(ctx, annots, i);
                pdf_drop_obj(ctx, wobj);
                form = pdf_dict_get(ctx, root, PDF_NAME(AcroForm));
                if (type == VQ_FIELD_TYPE_SIGNATURE && pdf_is_dict(ctx, form))
                {
                    if (had_sigflags)
                        pdf_dict_put_int(ctx, form, PDF_NAME(SigFlags), old_sigflags);
                    else
                        pdf_dict_del(ctx, form, PDF_NAME(SigFlags));
                }
            }
            fz_catch(ctx)
            {
                /* the original failure is the one reported */
            }
        }
        fz_rethrow(ctx);
    }
    return widget;
}

void pdf_delete_widget(fz_context* ctx, pdf_page* page, pdf_annot* widget, int remove_annot)
{
    pdf_document* doc = page->doc;
    pdf_obj* fields = pdf_dict_getp(ctx, pdf_trailer(ctx, doc), "Root/AcroForm/Fields");
    if (!pdf_is_array(ctx, fields))
        return;
    pdf_obj* obj = pdf_annot_obj(ctx, widget);
    pdf_field_reset(ctx, doc, obj);
    int n = pdf_array_len(ctx, fields);
    for (int i = 0; i < n; i++)
    {
        pdf_obj* f = pdf_array_get(ctx, fields, i);
        if (f == obj || (pdf_is_indirect(ctx, f) && pdf_to_num(ctx, f) == pdf_to_num(ctx, obj) && pdf_to_num(ctx, obj)))
        {
            pdf_array_delete(ctx, fields, i);
            break;
        }
    }
    if (remove_annot)
    {
        pdf_obj* annots = pdf_dict_get(ctx, page->obj, PDF_NAME(Annots));
        pdf_obj* wobj = pdf_keep_obj(ctx, obj);
        fz_try(ctx)
        {
            pdf_delete_annot(ctx, page, widget);
            /* Whatever list the library kept the widget in, it leaves /Annots. */
            int i = pdf_array_find(ctx, annots, wobj);
            if (i >= 0)
                pdf_array_delete(ctx, annots, i);
        }
        fz_always(ctx)
            pdf_drop_obj(ctx, wobj);
        fz_catch(ctx)
            fz_rethrow(ctx);
    }
}
