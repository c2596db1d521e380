/*
 * header.h: the engine's private records behind vq_document and vq_page, and the helpers the
 * engine's source files share. Never included by the application.
 */
#ifndef VQ_HEADER_H
#define VQ_HEADER_H

#include <pthread.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif
#include <mupdf/fitz.h>
#include <mupdf/pdf.h>
#ifdef __cplusplus
}
#endif

#include "vq-pdf.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Resource store limit of every document's own library context. */
#define VQ_STORE_LIMIT (256u << 20)

/* Behind vq_page. Empty until vq_page_index loads it; the handle itself lives as long as the
   document, across page updates and the reopening that follows every save. */
struct page_t
{
    fz_page* page;                       /* library page, loaded lazily */
    fz_link* link;                       /* its links */
    fz_pixmap* image;                    /* last display image */
    fz_stext_page* text_page;            /* structured text for hit testing and selection */
    fz_display_list* page_list;          /* recorded page contents */
    fz_display_list* annotations_list;   /* recorded annotations and widgets */
    int number;                          /* 0-based page number of this handle */
};

/* One annotation handle given out (source/handle.c). */
struct vq_handle_slot
{
    uint64_t stamp;                      /* never repeats in the process; 0 when the slot is free */
    pdf_annot* annot;                    /* the library's annotation */
    struct page_t* owner;                /* the page handle it lives on */
};

/* Behind vq_document. */
struct document
{
    fz_document* doc;                    /* the open document; NULL after close */
    fz_context* ctx;                     /* the document's own library context */
    struct page_t** pages;               /* page handles (vq_document_cut_page) */
    pdf_obj** pageobjs;                  /* page dictionaries in page-tree order */
    fz_rect* mediaboxs;                  /* size-box cache; all zero until computed */
    int counts;                          /* page count */
    int error;                           /* last error (vq_app_geterror) */
    char* docpath;                       /* path opened from (or saved as); NULL for memory */
    char* errormsg;                      /* never set (vq_app_geterror_meg) */
    int selstart, selend;
    fz_locks_context fz_locks_ctx;       /* library locks, all mapped onto ctxAccess */
    pthread_mutex_t ctxAccess;           /* the per-document re-entrant lock */

    /* Engine state beyond the interface's record. */
    int page_slots;                      /* allocated entries of pages/pageobjs/mediaboxs */
    fz_buffer* filebuf;                  /* complete bytes the document was opened from */
    int64_t startxref;                   /* offset of the newest cross-reference section */
    int64_t* section_ofs;                /* file offset of each section, newest first */
    int section_count;
    fz_outline** outlines;               /* outline trees handed out, freed at close */
    int outline_count, outline_cap;
    vq_annot* focus_annot;               /* handle of the focused annotation, or NULL */
    int focus_num;                       /* object number of the focused annotation, 0 none */
    int hotspot_num, hotspot_state;      /* widget last pressed and whether still pressed */
    char lastmsg[256];                   /* last warning or error text of the library */
    char* password;                      /* accepted password, to reopen after a save */
    int unsynced;                        /* filebuf holds updates saved into memory only */
    int sign_failure;                    /* code the signer failed with during the running save */
    struct vq_handle_slot* handles;      /* annotation handles given out (source/handle.c) */
    int handle_count, handle_cap;
    int* handle_free;                    /* indices of empty slots */
    int handle_free_count;
    int* handle_index;                   /* annotation -> slot + 1, open addressing */
    int handle_index_cap, handle_index_stale;
};

/* The open PDF document of a record, or NULL. */
static inline pdf_document* vq_pdf(struct document* d)
{
    return d ? pdf_document_from_fz_document(d->ctx, d->doc) : NULL;
}

/* util.c */
void vq_doc_lock(struct document* d);
void vq_doc_unlock(struct document* d);
fz_matrix vq_view_matrix(float zoom, float rotate);
/* Whether a number is one of the interface's result codes (vq_error_type). */
int vq_is_result_code(int code);
/* Maps an exception code of an open into the opener's result code: only the interface's codes
   (and the missing cross-reference start, 11) come out. */
int vq_map_open_error(int code);
/* Maps an exception code of saving in place or into memory into one of the interface's result
   codes. A code the sign callback gave is not passed through here (see sign_failure). */
int vq_map_save_error(int code);

/* handle.c */
/* The handle of an annotation on a loaded page (the same one for as long as it lives), or NULL
   when no handle can be made. */
vq_annot* vq_handle_of(struct document* d, struct page_t* owner, pdf_annot* a);
/* Ends every handle of one page (all pages when pg is NULL), or of one annotation. */
void vq_handles_forget_page(struct document* d, struct page_t* pg);
void vq_handles_forget_annot(struct document* d, pdf_annot* a);
/* Frees the handle table (at close). */
void vq_handles_free(struct document* d);
/* The page handle a loaded annotation lives on, or NULL. */
struct page_t* vq_owner_of(struct document* d, pdf_annot* a);

/* document.c */
/* Releases everything a page handle holds; the handle itself stays. Ends the handles of the
   page's annotations. */
void vq_page_release(struct document* d, struct page_t* pg);
/* Drops the loaded page and what was drawn and read from it (recordings, text, links), keeping
   the handle's rendered picture; the page is loaded again on demand. Ends the handles of the
   page's annotations. */
void vq_page_unload(struct document* d, struct page_t* pg);
/* Loads a page handle's library page when it is missing (caller holds the lock). Returns 0
   when the page is loaded. */
int vq_page_ensure_loaded(struct document* d, struct page_t* pg);
/* File offset of cross-reference section i (0 = newest), or -1. */
int64_t vq_doc_section_offset(struct document* d, int i);
/* Replaces the library document by one opened from bytes (the document's new contents;
   appended: bytes are filebuf followed by more). Caller holds the lock. 0 or a code. */
int vq_doc_reopen(struct document* d, fz_buffer* bytes, int appended);

/* Own loading checks (pdfcore/source/pdf/pdf-load-check.c) */
/* 0, or VQ_EXC_NOT_PDF when the data does not begin with a "%PDF-" version marker. */
int vq_core_check_version_marker(const unsigned char* data, size_t len, int* version);
/* 0 with *ofs set, or VQ_EXC_NO_STARTXREF. */
int vq_core_find_startxref(const unsigned char* data, size_t len, int64_t* ofs);
/* Offsets of the cross-reference sections from the newest (startxref) along the /Prev chain
   of their trailers; returns the number written (at most max). */
int vq_core_section_offsets(fz_context* ctx, pdf_document* pdf, int64_t startxref, int64_t* out, int max);
/* Non-zero when the /Prev chain of the cross-reference sections loops (a /Prev naming a section
   already read, itself included), so that older sections were never read. */
int vq_core_prev_chain_loops(fz_context* ctx, pdf_document* pdf, int64_t startxref);

/* Seekable memory output (pdfcore/source/fitz/output-memory.c): writes into buf at a
   position that can be moved, can read back what it holds as a stream, and can truncate. The
   signature writer needs all three. */
fz_output* vq_new_seekable_buffer_output(fz_context* ctx, fz_buffer* buf);

/* Test seam: makes engine outputs fail once this many further bytes have been written
   (negative: never). Used to simulate a full disk. */
int vq_output_budget_take(size_t n);

#ifdef __cplusplus
}
#endif

#endif /* VQ_HEADER_H */
