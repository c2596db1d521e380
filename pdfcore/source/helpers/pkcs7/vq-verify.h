/*
 * The signature verifier of the engine: checks one signature widget of an open document and
 * reports its findings as JSON, and the check that everything written to the file after a
 * signed range is signature material. Private to the engine (needs the document record).
 */
#ifndef VQ_VERIFY_H
#define VQ_VERIFY_H

#include "header.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Capacity of the time-stamp answer the verify callback may write (the buffer holds one more,
   zeroed byte). */
#define VQ_TSA_ANSWER_CAPACITY 3051

/* Verifies the signature of a widget. Returns the JSON text {"vcode": …, "result": {…}}
   (malloc'ed; the caller frees it with free()), or NULL when the PDF library failed or memory
   ran out. The caller holds the document's lock. */
char* vq_verify_signature_json(struct document* d, pdf_annot* widget, vq_verify_callbackfun callback);

/* 1 when every object that later updates wrote into the file after the signed range ending at
   `end` leaves the signed document as it was, apart from adding signature fields and their
   material; 0 otherwise (also when the check cannot be made). Reads the bytes the document
   was opened from; the document itself is not changed. The caller holds the lock. */
int vq_appended_is_signature(struct document* d, int64_t end);

#ifdef __cplusplus
}
#endif

#endif
