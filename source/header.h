/*
 * header.h: the engine's private records behind vq_document and vq_page, and the helpers the
 * engine's source files share. Never included by the application.
 */
#ifndef VQ_HEADER_H
#define VQ_HEADER_H

#include <pthread.h>
#include <stdint.h>
#include <sys/types.h>

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

/* Raised inside a save when writing a file failed (the document itself was written). */
#define VQ_EXC_WRITE_FILE 14

/* Memory the recorded pages of one document (display lists) may hold together; the pages used
   longest ago give theirs up first and record them again when drawn. Enough for the pages on
   screen, whose tiles are all drawn from one recording; recordings kept for many more pages
   only cost memory and, scattered through the heap, slow the recording of every new page. */
#define VQ_LIST_BUDGET (4u << 20)

/* An open file shared by the document and every stream reading it (reference counted). */
typedef struct vq_file vq_file;

/* What a file looked like: which file it is, its length and when it was last changed. */
typedef struct vq_file_id
{
    uint64_t dev, ino;
    int64_t size;
    int64_t mtime_sec;
    long mtime_nsec;
    int valid;
} vq_file_id;

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
    size_t list_size[2];                 /* memory the contents and annotations recordings hold */
    struct page_t* lru_prev;             /* pages holding recordings, most recently drawn first */
    struct page_t* lru_next;
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
    /* The document's bytes: the first srcfile_len bytes of srcfile, then filebuf (updates
       saved into memory only; every byte when the document has no file part). */
    vq_file* srcfile;                    /* the file the document reads, or NULL */
    int64_t srcfile_len;
    vq_file_id srcfile_id;               /* that file as it was when its bytes were taken */
    fz_buffer* filebuf;
    int64_t disk_len;                    /* leading bytes of the document the file at docpath holds */
    vq_file_id disk_id;                  /* the file at docpath as the engine last saw it */
    int read_errors;                     /* reads of the document's bytes that failed */
    struct page_t* lru_first;            /* pages holding recordings, most recent first */
    struct page_t* lru_last;
    size_t list_bytes;                   /* what the recordings of all pages hold */
    _Atomic size_t alloc_live;           /* memory the library context holds */
    fz_pixmap* spare[2];                 /* pixmaps given back, drawn into again */
    /* The page objects and size boxes the page-tree walk of the open found, until the page
       table takes them. */
    pdf_obj** found_objs;
    fz_rect* found_boxes;
    int found_count;
    void** page_blocks;                  /* page handles are allocated in blocks */
    int page_block_count;
    int page_block_used;                 /* handles taken from the newest block */
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
/* Whether an annotation handle of the page is given out. */
int vq_handles_on_page(struct document* d, struct page_t* pg);
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
/* The handle of page i, made when first asked for; NULL without a page table. */
struct page_t* vq_page_slot(struct document* d, int i);
/* Loads a page handle's library page when it is missing (caller holds the lock). Returns 0
   when the page is loaded. */
int vq_page_ensure_loaded(struct document* d, struct page_t* pg);
/* File offset of cross-reference section i (0 = newest), or -1. */
int64_t vq_doc_section_offset(struct document* d, int i);
/* Replaces the library document by one opened anew over the document's bytes (after a save
   changed them). Caller holds the lock. 0 or a code. */
int vq_doc_reopen(struct document* d);
/* Forgets a page's recordings (display lists): both, or the contents (0) or annotations (1)
   only. Caller holds the lock. */
void vq_page_drop_lists(struct document* d, struct page_t* pg);
void vq_page_drop_list(struct document* d, struct page_t* pg, int annotations);
/* Releases a pixmap of the document; one nobody else holds is kept to be drawn into again. */
void vq_pixmap_give_back(struct document* d, fz_pixmap* pix);
/* Memory the document's library context holds now (its allocations). */
size_t vq_doc_memory(struct document* d);

/* ---- page objects read from their text (pagescan.c) ---- */

/* What the own text of a page object says. States: 0 absent, 1 read (the value is here), -1
   present in a form only loading the object can tell (a reference, more than four numbers...). */
typedef struct vq_page_text
{
    int type_seen;       /* /Type is a name */
    int is_page;         /* ... and it is /Page */
    int parent;          /* object number of /Parent (0 when none) */
    int media_state;
    float media[4];      /* /MediaBox as written (not yet ordered) */
    int crop_state;
    float crop[4];
    int rotate_state;
    int rotate;
    int userunit_state;  /* 1: /UserUnit is a real (userunit); 0 absent or not a real */
    float userunit;
} vq_page_text;
/* Reads the object that ref names from the file's text, without loading it. 1 when that text
   is a dictionary read to its end as the library's parser would read it; 0 otherwise (the
   object is in an object stream, loaded or changed already, or written unusually), and the
   caller loads it the usual way. */
int vq_read_page_text(fz_context* ctx, pdf_document* pdf, pdf_obj* ref, vq_page_text* out);
/* The size box of a page from its (inherited) boxes, rotation and user unit, as
   vq_page_mediabox gives it; 0 when the box is not to be kept (no area, no media box). */
int vq_size_box(fz_context* ctx, fz_rect media, fz_rect crop, int rotate, float userunit, int pagenum, int warn,
                fz_rect* out);

/* ---- the document's bytes (docsource.c) ---- */

vq_file* vq_file_new(int fd);            /* takes the descriptor; NULL when memory runs out */
vq_file* vq_file_keep(vq_file* f);
void vq_file_drop(vq_file* f);           /* closes the descriptor with the last reference */
int vq_file_fd(const vq_file* f);
/* The identity of an open file or of the file a path names (following links); 0 or -1. */
int vq_file_id_of_fd(int fd, vq_file_id* out);
int vq_file_id_of_path(const char* path, vq_file_id* out);
int vq_file_id_same(const vq_file_id* a, const vq_file_id* b);

/* Length of the document's bytes. */
int64_t vq_src_len(struct document* d);
/* Reads n bytes at `at`; the number read (short only at the end), or -1 when the file cannot
   be read (counted in read_errors). */
ptrdiff_t vq_src_read(struct document* d, int64_t at, void* buf, size_t n);
/* A stream over the first `limit` bytes of the document (all of them when negative). */
fz_stream* vq_src_open_stream(fz_context* ctx, struct document* d, int64_t limit);
/* 0 while the file the document reads is as it was when its bytes were taken; else
   VQ_FILE_CHANGED. */
int vq_src_check_unchanged(struct document* d);
/* Makes every byte of the document memory (the file part read in). 0 or an exception code
   (FZ_ERROR_MEMORY, or FZ_ERROR_GENERIC when the file cannot be read). */
int vq_src_to_memory(struct document* d);
/* The document now reads the first len bytes of the open file fd (taken over), which the
   file at docpath holds; updates kept in memory are dropped. */
void vq_src_set_file(struct document* d, vq_file* f, int64_t len, const vq_file_id* id);

/* A reader of the document's bytes by position, through a window (our own checks read single
   bytes and short runs at scattered places). */
typedef struct vq_reader
{
    struct document* d;
    int64_t len;            /* readable: [0, len) */
    int64_t start;          /* position of win[0] */
    size_t have;            /* valid bytes in win */
    int failed;             /* a read of the file failed */
    unsigned char win[8192];
} vq_reader;
void vq_reader_init(vq_reader* r, struct document* d, int64_t len);
int vq_reader_fill(vq_reader* r, int64_t at);
/* The byte at `at`, or -1 outside [0, len) (or when it cannot be read). */
static inline int vq_reader_byte(vq_reader* r, int64_t at)
{
    if (at >= r->start && at < r->start + (int64_t)r->have)
        return r->win[at - r->start];
    return vq_reader_fill(r, at) ? r->win[at - r->start] : -1;
}
/* Whether the n bytes at `at` are s. */
int vq_reader_equals(vq_reader* r, int64_t at, const char* s, size_t n);

/* Receives the bytes being hashed, block by block. */
typedef void (*vq_hash_fn)(void* arg, const unsigned char* data, size_t n);

/* Two digests of the same bytes at once (hashpipe.c): the side digest runs on a helper thread
   while the caller's thread reads on and computes the main one. Fill vq_hash_pipe_buffer (at
   most vq_hash_pipe_block_size bytes), then feed it; the side digest is complete once the pipe
   is dropped. */
typedef struct vq_hash_pipe vq_hash_pipe;
vq_hash_pipe* vq_hash_pipe_new(vq_hash_fn side, void* side_arg);
size_t vq_hash_pipe_block_size(void);
unsigned char* vq_hash_pipe_buffer(vq_hash_pipe* p);
void vq_hash_pipe_feed(vq_hash_pipe* p, size_t n, vq_hash_fn main, void* main_arg);
void vq_hash_pipe_drop(vq_hash_pipe* p);

/* Hashes the byte ranges [a, a + alen) and [b, b + blen) of the document in blocks, feeding
   each block to main, and to side (when not NULL) at the same time on a helper thread. 0, or -1
   when a byte cannot be read. */
int vq_src_hash_ranges(struct document* d, const int64_t ranges[4], vq_hash_fn main, void* main_arg,
                       vq_hash_fn side, void* side_arg);

/* Own loading checks (pdfcore/source/pdf/pdf-load-check.c) */
/* Finds the cross-reference start named near the end of the first `len` bytes of the document.
   0 with *ofs set, or VQ_EXC_NO_STARTXREF. */
int vq_src_find_startxref(struct document* d, int64_t len, int64_t* ofs);
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

/* A stream over bytes read by position (pdfcore/source/fitz/stream-positioned.c): reads ahead
   in growing blocks while reading on, and seeks inside what it holds without reading again. */
typedef struct vq_positioned_ops
{
    /* Reads up to n bytes at `at`: the number read, 0 at the end, -1 on failure. */
    ptrdiff_t (*read)(fz_context* ctx, void* state, int64_t at, unsigned char* buf, size_t n);
    int64_t (*length)(fz_context* ctx, void* state);
    void (*drop)(fz_context* ctx, void* state);
} vq_positioned_ops;
/* Takes the state (dropped with the stream, or at once when the stream cannot be made). */
fz_stream* vq_new_positioned_stream(fz_context* ctx, const vq_positioned_ops* ops, void* state);

/* The output of an incremental save (pdfcore/source/fitz/output-update.c): stands for the
   document's bytes followed by the update, holds only the update (in upd) and refuses to
   change a byte before it. Reads back through the document's bytes. */
fz_output* vq_new_update_output(fz_context* ctx, struct document* d, fz_buffer* upd);

/* Whether entry i of a page's /Annots array repeats an earlier entry (document.c). */
int vq_annots_entry_repeats(fz_context* ctx, pdf_obj* annots, int i);

/* Test seam: makes engine outputs fail once this many further bytes have been written
   (negative: never). Used to simulate a full disk. */
int vq_output_budget_take(size_t n);

#ifdef __cplusplus
}
#endif

#endif /* VQ_HEADER_H */
