/*
 * vq-appearance.h: the engine's internal interface to the appearance-stream writers.
 *
 * The annotation and form-field model (source/annot.c, source/field.c) and the page stamping
 * call only what is declared here when they need appearance content; the writers behind it
 * generate the streams. Every function runs under the caller's document lock and reports
 * failure by raising the PDF library's exception.
 */
#ifndef VQ_APPEARANCE_H
#define VQ_APPEARANCE_H

#ifdef __cplusplus
extern "C" {
#endif
#include <mupdf/fitz.h>
#include <mupdf/pdf.h>

/* Brings the appearance stream (/AP /N) of an annotation or widget up to date after the
   engine created or changed it: regenerates it when it is missing, when the annotation's
   dictionary changed or when a new appearance was requested. */
void vq_annot_regenerate_appearance(fz_context* ctx, pdf_document* doc, pdf_annot* annot);

/* The engine's CJK composite font for generated text (a Type0 font with the Adobe-GB1
   collection and the UTF-16 horizontal encoding, not embedded), added to the document once
   and reused afterwards. Returns the Type0 font object with one reference for the caller. */
pdf_obj* vq_appearance_cjk_font(fz_context* ctx, pdf_document* doc);

#ifdef __cplusplus
}
#endif

#endif /* VQ_APPEARANCE_H */
