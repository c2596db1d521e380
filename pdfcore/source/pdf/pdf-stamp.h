/*
 * pdf-stamp.h: marks written into a page's own content, the form font of text marks, blank
 * documents and page copies between documents. Library-level operations: the context first,
 * failures raised as the library's exceptions after what was made is released.
 */
#ifndef VQ_PDF_STAMP_H
#define VQ_PDF_STAMP_H

#include "header.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Moves the page's content into a Form XObject FRM drawn by the page's new content. */
void pdf_content_resources_to_xobject(fz_context* ctx, pdf_document* doc, pdf_page* page);
/* Picture stamp of w x h points with its top-left corner at a page-space point. */
void pdf_add_handwrite_signature(fz_context* ctx, pdf_page* page, fz_point point, fz_image* image, float w, float h);
void pdf_page_add_image_form_data(fz_context* ctx, pdf_page* page, fz_point point, const unsigned char* data,
                                  size_t len, float w, float h);
void pdf_page_add_image_form_file(fz_context* ctx, pdf_page* page, fz_point point, const char* path, float w,
                                  float h);
/* Centred picture watermarks: from an image, a file or bytes, or from a prepared Form
   XObject (pdf_create_image_frm) stored under the name FrmVq0. */
void pdf_add_image_watermark(fz_context* ctx, pdf_page* page, fz_image* image, float w, float h);
void pdf_page_add_watermark_image(fz_context* ctx, pdf_page* page, const char* path, float w, float h);
void pdf_page_add_watermark_image_data(fz_context* ctx, pdf_page* page, const unsigned char* data, size_t len,
                                       float w, float h);
pdf_obj* pdf_create_image_frm(fz_context* ctx, pdf_document* doc, const unsigned char* data, size_t len, float w,
                              float h);
void pdf_add_image_watermark_from_frm(fz_context* ctx, pdf_page* page, pdf_obj* xobject, float w, float h);
/* /ExtGState /GS0 with the opacity and the Multiply blend mode into resources. */
void pdf_setting_alpha(fz_context* ctx, pdf_document* doc, pdf_obj* resources, float alpha);
/* The form's font name into resources (the engine's CJK font when the form has none). */
pdf_font_desc* pdf_graft_fontres_obj(fz_context* ctx, pdf_document* doc, pdf_obj* resources, const char* name);
/* Text watermark: style is red, green, blue, opacity; position 0..6 (corners, centre, tiled,
   centred and scaled to the page). */
void pdf_page_add_watermark_text(fz_context* ctx, pdf_page* page, int position, const float* style,
                                 const char* text, float fontsize, float angle);
/* Smoothed ink strokes (points at twice the page scale, offset by a page-space point). */
void pdf_page_add_path(fz_context* ctx, pdf_page* page, const fz_point* points, const int* counts, int ncount,
                       fz_point offset, float thickness, const float* color);
/* A new document of one empty page. */
pdf_document* pdf_create_blank_document(fz_context* ctx, fz_rect mediabox);
/* Copies pages from..to (1-based, either direction) of src after page `after` of dst (-1: at
   the end). */
void pdf_document_merge(fz_context* ctx, pdf_document* dst, int flag, int after, pdf_document* src, int from, int to);

#ifdef __cplusplus
}
#endif

#endif
