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

/* Adds a signature widget named name (with /Addinfo when given) on a page, its rectangle in
   page space, without an appearance. */
VQ_API vq_signature* vq_test_add_signature_field(vq_document* doc, int pagenum, const char* name,
                                                 const char* addinfo, vq_rect rect);

#ifdef __cplusplus
}
#endif

#endif
