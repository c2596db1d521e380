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

/* The first signature widget whose full field name is `name`, searching the pages in order;
   NULL when none. */
VQ_API vq_signature* vq_test_find_signature(vq_document* doc, const char* name);

#ifdef __cplusplus
}
#endif

#endif
