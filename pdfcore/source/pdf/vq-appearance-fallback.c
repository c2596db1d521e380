/*
 * Appearance writers on the PDF library's own synthesis: regenerating an annotation's
 * appearance through the library's annotation update, and the library's CJK font writer.
 */
#include "vq-appearance.h"

void vq_annot_regenerate_appearance(fz_context* ctx, pdf_document* doc, pdf_annot* annot)
{
    (void)doc;
    if (!annot)
        return;
    pdf_update_annot(ctx, annot);
}

pdf_obj* vq_appearance_cjk_font(fz_context* ctx, pdf_document* doc)
{
    fz_font* font = fz_new_cjk_font(ctx, FZ_ADOBE_GB);
    pdf_obj* ref = NULL;
    fz_try(ctx)
        ref = pdf_add_cjk_font(ctx, doc, font, FZ_ADOBE_GB, 0, 1);
    fz_always(ctx)
        fz_drop_font(ctx, font);
    fz_catch(ctx)
        fz_rethrow(ctx);
    return ref;
}
