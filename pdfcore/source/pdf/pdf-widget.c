/*
 * Removing form widgets from the form and the page on the PDF library's object model.
 */
#include "annot-internal.h"

#include <string.h>

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
