/*
 * vq-pdf-testing.h: seams of the engine for its own tests. Not for the application.
 */
#ifndef VQ_PDF_TESTING_H
#define VQ_PDF_TESTING_H

#include "vq-pdf.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Every output of the engine (the in-memory document being written and the file being
   committed) fails once this many further bytes have been written, as on a full disk.
   Negative turns the failure off. Process-wide. */
VQ_API void vq_test_fail_writes_after(long long bytes);

/* Records a text under /OrvTestMark in the document catalogue: a small unsaved change. */
VQ_API int vq_test_mark_document(vq_document* doc, const char* text);

/* Writes a centred picture watermark of w x h points into the page's content, as the
   library-level operation does (prepared: through a reusable Form XObject). 0 or VQ_FAIL. */
VQ_API int vq_test_page_add_watermark_image(vq_document* doc, vq_page* page, const unsigned char* data, int len,
                                            float w, float h, int prepared);
/* Writes a text watermark into the page's content (position 0..6, style red, green, blue,
   opacity), as the library-level operation does. 0 or VQ_FAIL. */
VQ_API int vq_test_page_add_watermark_text(vq_document* doc, vq_page* page, int position, const float* style,
                                           const char* text, float fontsize, float angle);

/* Adds a signature widget named name (with /Addinfo when given) on a page, its rectangle in
   page space, without an appearance. */
VQ_API vq_signature* vq_test_add_signature_field(vq_document* doc, int pagenum, const char* name,
                                                 const char* addinfo, vq_rect rect);

/* The normal appearance (/AP /N) of annotation idx (in the page's /Annots order, links and
   pop-ups included) of a page, as text for the engine's appearance tests: the annotation
   dictionary, then the appearance stream's dictionary, its decoded content, and every Form
   XObject it draws (nested), each introduced by a line "%%% <name>". Read from the document
   objects, without loading the page. NULL when there is none; free with vq_test_free. */
VQ_API char* vq_test_annot_appearance(vq_document* doc, int pagenum, int idx);
/* An object of the document printed with everything it refers to resolved (depth-limited),
   by object number; NULL when missing. Free with vq_test_free. */
VQ_API char* vq_test_object_text(vq_document* doc, int num);
VQ_API void vq_test_free(char* text);

/* Memory the page recordings (display lists) of the document hold now, and their budget. */
VQ_API size_t vq_test_recorded_bytes(vq_document* doc);
VQ_API size_t vq_test_recording_budget(void);

#ifdef __cplusplus
}
#endif

#endif
