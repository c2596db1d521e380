/*
 * The signature verifier of the engine: checks one signature widget of an open document and
 * reports its findings as JSON, and the check that everything written to the file after a
 * signed range is signature material. Private to the engine (needs the document record).
 */
#ifndef VQ_VERIFY_H
#define VQ_VERIFY_H

#include "header.h"
#include "sigstruct.h"

#include <stddef.h>
#include <stdint.h>

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

/* 1 when everything written to the file after the signed range ending at `end` leaves the
   signed document as it was, apart from later signatures that verify and the few changes that
   need no signature (document information, metadata, signature fields without a visible
   appearance); 0 otherwise (also when the check cannot be made). Reads the bytes the document
   was opened from; the document itself is not changed. The caller holds the lock. */
int vq_appended_is_signature(struct document* d, int64_t end);

/* Whether the signature value `num` of `pdf` (a document opened over the bytes of d) holds:
   its byte range is sound and its signature verifies over those bytes. Nothing else is
   checked (no time stamp, no chain, nothing appended). 1 with *end set to the end of its
   signed range, else 0. The caller holds the lock of d. */
int vq_verify_value_holds(struct document* d, pdf_document* pdf, int num, int64_t* end);

/* ---- certificate chains (vq-trust.c) ---- */

/* Verdict bits of vq_trust_check. */
enum
{
    VQ_CHAIN_TRUSTED = 0,
    VQ_CHAIN_UNTRUSTED = 1,      /* no chain to a trusted root */
    VQ_CHAIN_NOT_VALID_THEN = 2  /* the certificate was not valid at the signing time */
};

/* Certificates (PEM text, one or more) trusted besides the system's trust store; replaces
   those set before; NULL or 0 bytes clears them. Returns how many were taken, or -1 (nothing
   changed) when the text holds anything that is no certificate. Process-wide. */
int vq_trust_set_anchors(const char* pem, size_t len);

/* Checks the signer certificate (DER) against the trusted roots, with `others` (certificates
   carried by the signature) as possible intermediates, at the time `when` (seconds since
   1970; 0: now). Returns VQ_CHAIN_* bits. Thread-safe. */
int vq_trust_check(const unsigned char* leaf_der, int leaf_len, const vq_bytes* others, int nothers, int64_t when);

/* Builds the trusted roots (reading the system's trust store takes a while) on a thread of
   its own while the caller hashes the signed bytes. NULL when they are built already or no
   thread could start (the check then builds them itself). vq_trust_warm_join waits for that
   thread; NULL does nothing. */
typedef struct vq_trust_warmup vq_trust_warmup;
vq_trust_warmup* vq_trust_warm_start(void);
void vq_trust_warm_join(vq_trust_warmup* w);

#ifdef __cplusplus
}
#endif

#endif
