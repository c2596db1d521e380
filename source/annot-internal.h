/*
 * annot-internal.h: helpers shared by the engine's annotation, form-field, hit-testing and
 * stamping sources. Never included by the application.
 */
#ifndef VQ_ANNOT_INTERNAL_H
#define VQ_ANNOT_INTERNAL_H

#include "header.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Largest number of highlight rectangles one selection returns. */
#define VQ_MAX_SELECTION_RECTS 512

/* The page handle when it is one of this document's handles, else NULL. */
struct page_t* vq_page_checked(struct document* d, vq_page* page);
/* The library page of a handle, loaded on demand; NULL for a foreign or unloadable handle.
   Caller holds the lock. */
pdf_page* vq_pdf_page_of(struct document* d, vq_page* page);
/* The annotation behind a handle when the handle is one this document gave out and its
   annotation still lives (a handle of a page that was updated since, of an annotation that was
   deleted, or of another document is refused without anything being read through it). Sets
   *owner to its page handle when not NULL. Caller holds the lock. */
pdf_annot* vq_annot_checked(struct document* d, const void* handle, struct page_t** owner);
/* Whether a loaded page still lists an annotation (compared by address, nothing is read). */
int vq_page_holds(fz_context* ctx, pdf_page* pp, const pdf_annot* annot);
/* The widget behind a field handle: a live annotation of subtype Widget, else NULL. Caller
   holds the lock. */
pdf_annot* vq_widget_checked(struct document* d, const void* handle, struct page_t** owner);

/* What vq_annot_locked runs: one operation on a live annotation, results stored through arg. */
typedef void (*vq_annot_op)(struct document* d, pdf_annot* annot, void* arg);
/* How vq_annot_locked went. */
enum
{
    VQ_ANNOT_MISSING = 0, /* no document, or the handle is not a live annotation (widget) */
    VQ_ANNOT_DONE = 1,    /* op ran to its end */
    VQ_ANNOT_THREW = -1   /* op threw; the error is absorbed */
};
/* Takes the document lock, looks handle up (only a form widget counts when widgets_only) and
   runs op on it inside fz_try; releases the lock. */
int vq_annot_locked(struct document* d, const void* handle, int widgets_only, vq_annot_op op, void* arg);
/* An int read of a live annotation (widget) under the lock: fallback when there is none or
   the read throws. */
int vq_annot_read_int(struct document* d, const void* handle, int widgets_only,
                      int (*read)(fz_context* ctx, pdf_annot* annot), int fallback);

/* The handle of the first annotation (widget when widgets_only) of page `from` when first, else
   of the one after handle `from`, under the document lock; NULL when there is none. */
vq_annot* vq_iter_locked(struct document* d, const void* from, int first, int widgets_only);

/* How many points a list of stroke lengths adds up to; -1 when a length is negative. */
long vq_count_total(const int* counts, int n);

/* PDF user space -> page space of the annotation's page, and back. */
fz_matrix vq_annot_page_ctm(fz_context* ctx, pdf_annot* annot);
/* The focused annotation when it is still a live handle, else NULL (caller holds the lock). */
pdf_annot* vq_focus_checked(struct document* d);
/* Sets the document focus (NULL clears it); runs no action. Caller holds the lock. */
void vq_focus_set(struct document* d, pdf_annot* annot);
/* Regenerates an annotation's appearance after a change, absorbing a failure (the
   annotation keeps its previous appearance). Caller holds the lock. */
void vq_annot_refresh(struct document* d, pdf_annot* annot);

/* Hit tests shared by the hit testing and the form handling. pt in page space. */
int vq_point_in_quads(fz_context* ctx, pdf_annot* annot, fz_point pt);
int vq_point_near_ink(fz_context* ctx, pdf_annot* annot, fz_point pt);

/* Widgets (pdfcore/source/pdf/pdf-widget.c; creation is vq_sig_create_widget). */
/* Removes a widget from Root/AcroForm/Fields (nothing when there is no such array) after
   resetting its field, and from its page when remove_annot is non-zero. */
void pdf_delete_widget(fz_context* ctx, pdf_page* page, pdf_annot* widget, int remove_annot);

#ifdef __cplusplus
}
#endif

#endif
