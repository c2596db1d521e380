/*
 * Documents: opening from a file or from memory, the page table, document questions, closing.
 *
 * Every document has its own library context whose locks all map onto the document's
 * re-entrant lock. A document opened from a file reads it through a descriptor it keeps open
 * (docsource.c), never a copy of the whole file in memory; one opened from memory keeps its
 * own copy of the bytes.
 */
#include "header.h"
#include "vq-appearance-writers.h"

#include <errno.h>
#include <malloc.h>
#include <stdatomic.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

/* Page trees deeper than this are refused (a hostile file must not exhaust the stack). */
#define VQ_MAX_TREE_DEPTH 64

static void lock_cb(void* user, int lock)
{
    pthread_mutex_lock((pthread_mutex_t*)user);
}

static void unlock_cb(void* user, int lock)
{
    pthread_mutex_unlock((pthread_mutex_t*)user);
}

/* Library warnings and errors are kept with the document instead of going to stderr. */
static void message_cb(void* user, const char* message)
{
    struct document* d = (struct document*)user;
    if (d && message)
        snprintf(d->lastmsg, sizeof d->lastmsg, "%s", message);
}

/* The library context allocates through these, which count what it holds (malloc's own
   measure of each block): the page recordings are sized by what recording them kept. */
static void* counting_malloc(void* user, size_t size)
{
    struct document* d = (struct document*)user;
    void* p = malloc(size);
    if (p)
        atomic_fetch_add_explicit(&d->alloc_live, malloc_usable_size(p), memory_order_relaxed);
    return p;
}

static void* counting_realloc(void* user, void* old, size_t size)
{
    struct document* d = (struct document*)user;
    const size_t before = old ? malloc_usable_size(old) : 0;
    /* A block that grows is given room to grow further: the library grows some arrays by a
       few entries at a time (the glyphs of a text run while a page is recorded), and each growth
       past the block's end would copy it all again. The next growths then fit in place. */
    /* It still fits: keep the block as it is (realloc would cut the room off again). A block
       asked to shrink by more than half is given back to malloc. */
    if (old && size <= before && size >= before / 2)
        return old;
    size_t want = size;
    if (old && size > before && size < SIZE_MAX / 2)
        want = size + size / 2;
    void* p = realloc(old, want);
    if (!p && want != size)
        p = realloc(old, size);
    if (p)
    {
        atomic_fetch_sub_explicit(&d->alloc_live, before, memory_order_relaxed);
        atomic_fetch_add_explicit(&d->alloc_live, malloc_usable_size(p), memory_order_relaxed);
    }
    else if (old && size == 0)
        atomic_fetch_sub_explicit(&d->alloc_live, before, memory_order_relaxed);
    return p;
}

static void counting_free(void* user, void* p)
{
    struct document* d = (struct document*)user;
    if (p)
        atomic_fetch_sub_explicit(&d->alloc_live, malloc_usable_size(p), memory_order_relaxed);
    free(p);
}

size_t vq_doc_memory(struct document* d)
{
    return atomic_load_explicit(&d->alloc_live, memory_order_relaxed);
}

static struct document* new_record(int* code)
{
    struct document* d = (struct document*)calloc(1, sizeof *d);
    if (!d)
    {
        *code = VQ_FAIL;
        return NULL;
    }
    pthread_mutexattr_t attr;
    pthread_mutexattr_init(&attr);
    pthread_mutexattr_settype(&attr, PTHREAD_MUTEX_RECURSIVE);
    pthread_mutex_init(&d->ctxAccess, &attr);
    pthread_mutexattr_destroy(&attr);
    d->fz_locks_ctx.user = &d->ctxAccess;
    d->fz_locks_ctx.lock = lock_cb;
    d->fz_locks_ctx.unlock = unlock_cb;
    fz_alloc_context alloc = {d, counting_malloc, counting_realloc, counting_free};
    d->ctx = fz_new_context(&alloc, &d->fz_locks_ctx, VQ_STORE_LIMIT);
    if (!d->ctx)
    {
        pthread_mutex_destroy(&d->ctxAccess);
        free(d);
        *code = VQ_FAIL;
        return NULL;
    }
    fz_set_warning_callback(d->ctx, message_cb, d);
    fz_set_error_callback(d->ctx, message_cb, d);
    return d;
}

void vq_page_unload(struct document* d, struct page_t* pg)
{
    fz_context* ctx = d->ctx;
    vq_handles_forget_page(d, pg);
    fz_drop_stext_page(ctx, pg->text_page);
    pg->text_page = NULL;
    vq_page_drop_lists(d, pg);
    fz_drop_link(ctx, pg->link);
    pg->link = NULL;
    fz_drop_page(ctx, pg->page);
    pg->page = NULL;
}

void vq_page_release(struct document* d, struct page_t* pg)
{
    if (!pg)
        return;
    vq_page_unload(d, pg);
    fz_drop_pixmap(d->ctx, pg->image);
    pg->image = NULL;
}

int vq_page_ensure_loaded(struct document* d, struct page_t* pg)
{
    if (!d || !pg || !d->doc)
        return -1;
    if (pg->page)
        return 0;
    fz_context* ctx = d->ctx;
    fz_page* page = NULL;
    fz_link* links = NULL;
    int ok = 1;
    fz_var(page);
    fz_var(links);
    /* Our own appearance writers go first, so the library finds every annotation of ours
       drawn and does not synthesise its own. */
    if (d->pageobjs && pg->number < d->page_slots && d->pageobjs[pg->number])
    {
        fz_try(ctx)
            vq_page_prepare_appearances(ctx, vq_pdf(d), d->pageobjs[pg->number]);
        fz_catch(ctx)
            fz_warn(ctx, "page %d appearances: %s", pg->number, fz_caught_message(ctx));
    }
    fz_try(ctx)
    {
        page = fz_load_page(ctx, d->doc, pg->number);
        links = fz_load_links(ctx, page);
    }
    fz_catch(ctx)
    {
        fz_drop_link(ctx, links);
        fz_drop_page(ctx, page);
        ok = 0;
    }
    if (!ok)
        return -1;
    pg->page = page;
    pg->link = links;
    return 0;
}

int64_t vq_doc_section_offset(struct document* d, int i)
{
    if (!d || i < 0 || i >= d->section_count)
        return -1;
    return d->section_ofs[i];
}

static int safe_count_pages(fz_context* ctx, pdf_document* pdf)
{
    int n = 0;
    fz_var(n);
    fz_try(ctx)
        n = pdf_count_pages(ctx, pdf);
    fz_catch(ctx)
        n = 0;
    return n;
}

/* ---- page tree ---- */

typedef struct
{
    pdf_obj** out;  /* page objects, in page-tree order; NULL to count only */
    fz_rect* boxes; /* their size boxes where the walk could tell them (else left empty) */
    int limit;      /* at most this many pages */
    int index;      /* pages found so far */
    long visits;
    long max_visits;
    pdf_obj** marked;
    int nmarked, capmarked;
} tree_walk;

static void remember_marked(fz_context* ctx, tree_walk* w, pdf_obj* kids)
{
    if (w->nmarked == w->capmarked)
    {
        int cap = w->capmarked ? w->capmarked * 2 : 16;
        w->marked = (pdf_obj**)fz_realloc(ctx, w->marked, (size_t)cap * sizeof *w->marked);
        w->capmarked = cap;
    }
    w->marked[w->nmarked++] = pdf_keep_obj(ctx, kids);
}

static fz_rect rect_of(const float v[4])
{
    return fz_make_rect(fz_min(v[0], v[2]), fz_min(v[1], v[3]), fz_max(v[0], v[2]), fz_max(v[1], v[3]));
}

/* The size box of a page read from its text, its inherited values taken from node (the page's
   /Parent, whose kids are being walked); an empty box when it cannot be told here (the page
   is then read when its box is first asked for). */
static fz_rect box_of_text(fz_context* ctx, pdf_obj* node, const vq_page_text* t, int pagenum)
{
    fz_rect box = fz_empty_rect;
    const int inherits = t->media_state == 0 || t->crop_state == 0 || t->rotate_state == 0;
    if (t->media_state < 0 || t->crop_state < 0 || t->rotate_state < 0 || t->userunit_state < 0)
        return box;
    if (inherits && (!pdf_is_indirect(ctx, node) || t->parent != pdf_to_num(ctx, node)))
        return box;
    fz_try(ctx)
    {
        fz_rect media = t->media_state ? rect_of(t->media)
                                       : pdf_to_rect(ctx, pdf_dict_get_inheritable(ctx, node, PDF_NAME(MediaBox)));
        fz_rect crop = t->crop_state ? rect_of(t->crop)
                                     : pdf_to_rect(ctx, pdf_dict_get_inheritable(ctx, node, PDF_NAME(CropBox)));
        int rotate = t->rotate_state ? t->rotate
                                     : pdf_to_int(ctx, pdf_dict_get_inheritable(ctx, node, PDF_NAME(Rotate)));
        if (!vq_size_box(ctx, media, crop, rotate, t->userunit_state ? t->userunit : 1.0f, pagenum, 0, &box))
            box = fz_empty_rect;
    }
    fz_catch(ctx)
        box = fz_empty_rect;
    return box;
}

/* Takes one page into the walk's result. */
static void found_page(fz_context* ctx, tree_walk* w, pdf_obj* page, fz_rect box)
{
    if (w->index >= w->limit)
        fz_throw(ctx, FZ_ERROR_GENERIC, "found more /Page objects than anticipated");
    if (w->out)
        w->out[w->index] = pdf_keep_obj(ctx, page);
    if (w->boxes)
        w->boxes[w->index] = box;
    w->index++;
}

/* Walks the kids of node. A kid whose own text says it is a page is taken as it stands, read
   but not loaded (see pagescan.c); every other kid is loaded and judged as before. */
static void walk_kids(fz_context* ctx, tree_walk* w, pdf_document* pdf, pdf_obj* parent, pdf_obj* kids, int depth)
{
    if (!pdf_is_array(ctx, kids) || depth > VQ_MAX_TREE_DEPTH)
        return;
    /* A /Kids array met again while it is being walked is skipped: that breaks cycles. */
    if (pdf_mark_obj(ctx, kids))
        return;
    remember_marked(ctx, w, kids);
    int n = pdf_array_len(ctx, kids);
    for (int i = 0; i < n; i++)
    {
        if (++w->visits > w->max_visits)
            fz_throw(ctx, FZ_ERROR_GENERIC, "page tree too large");
        pdf_obj* node = pdf_array_get(ctx, kids, i);
        vq_page_text text;
        if (vq_read_page_text(ctx, pdf, node, &text) && text.type_seen && text.is_page)
        {
            found_page(ctx, w, node, w->boxes ? box_of_text(ctx, parent, &text, w->index) : fz_empty_rect);
            continue;
        }
        if (!pdf_is_dict(ctx, node))
            continue;
        pdf_obj* type = pdf_dict_get_inheritable(ctx, node, PDF_NAME(Type));
        int intermediate = pdf_name_eq(ctx, type, PDF_NAME(Pages)) ||
                           (!type && pdf_dict_get(ctx, node, PDF_NAME(Kids)) &&
                            !pdf_dict_get(ctx, node, PDF_NAME(MediaBox)));
        if (intermediate)
        {
            if (pdf_dict_get_int(ctx, node, PDF_NAME(Count)) > 0)
                walk_kids(ctx, w, pdf, node, pdf_dict_get(ctx, node, PDF_NAME(Kids)), depth + 1);
            continue;
        }
        if ((type && !pdf_name_eq(ctx, type, PDF_NAME(Page))) ||
            (!type && !pdf_dict_get(ctx, node, PDF_NAME(MediaBox))))
            fz_warn(ctx, "non-page object in page tree (%s)", type ? pdf_to_name(ctx, type) : "");
        found_page(ctx, w, node, fz_empty_rect);
    }
    pdf_unmark_obj(ctx, kids);
}

/* Walks the page tree from Root/Pages/Kids, taking at most limit pages (into out when not
   NULL, one reference each, and their size boxes into boxes when not NULL). Returns the number
   of pages found; a tree that cannot be walked to its end keeps the pages found before the
   fault. */
static int walk_page_tree(fz_context* ctx, pdf_document* pdf, pdf_obj** out, fz_rect* boxes, int limit)
{
    tree_walk w;
    memset(&w, 0, sizeof w);
    w.out = out;
    w.boxes = boxes;
    w.limit = limit > 0 ? limit : 0;
    w.max_visits = 16L * (w.limit + 1) + 100000L;
    fz_try(ctx)
    {
        pdf_obj* pages = pdf_dict_getp(ctx, pdf_trailer(ctx, pdf), "Root/Pages");
        walk_kids(ctx, &w, pdf, pdf_dict_getp(ctx, pdf_trailer(ctx, pdf), "Root/Pages"),
                  pdf_dict_get(ctx, pages, PDF_NAME(Kids)), 0);
    }
    fz_always(ctx)
    {
        for (int i = 0; i < w.nmarked; i++)
        {
            pdf_unmark_obj(ctx, w.marked[i]);
            pdf_drop_obj(ctx, w.marked[i]);
        }
        fz_free(ctx, w.marked);
    }
    fz_catch(ctx)
    {
        /* The page objects found so far stay. */
        fz_warn(ctx, "page tree: %s", fz_caught_message(ctx));
    }
    return w.index;
}

/* Drops what the open's walk found and the page table did not take. */
static void drop_found(struct document* d)
{
    for (int i = 0; i < d->found_count; i++)
        pdf_drop_obj(d->ctx, d->found_objs ? d->found_objs[i] : NULL);
    free(d->found_objs);
    free(d->found_boxes);
    d->found_objs = NULL;
    d->found_boxes = NULL;
    d->found_count = 0;
}

/* The pages the document has: those its page tree holds, never more than its /Count claims.
   The page table is sized by this number, not by the claim. The page objects and the size
   boxes found on the way are kept for the page table (found_*). */
static int count_pages(struct document* d, pdf_document* pdf)
{
    fz_context* ctx = d->ctx;
    drop_found(d);
    int claimed = safe_count_pages(ctx, pdf);
    if (claimed <= 0)
        return 0;
    /* The claim is at most the number of objects the file has (checked before). */
    pdf_obj** objs = (pdf_obj**)calloc((size_t)claimed, sizeof *objs);
    fz_rect* boxes = (fz_rect*)calloc((size_t)claimed, sizeof *boxes);
    if (!objs || !boxes)
    {
        free(objs);
        free(boxes);
        return walk_page_tree(ctx, pdf, NULL, NULL, claimed);
    }
    for (int i = 0; i < claimed; i++)
        boxes[i] = fz_empty_rect;
    int n = walk_page_tree(ctx, pdf, objs, boxes, claimed);
    d->found_objs = objs;
    d->found_boxes = boxes;
    d->found_count = n;
    return n;
}

/* Whether the catalogue and its page tree can be reached: without them the file is damaged,
   whatever else it holds. */
static int catalogue_reachable(fz_context* ctx, pdf_document* pdf)
{
    int ok = 0;
    fz_var(ok);
    fz_try(ctx)
    {
        pdf_obj* root = pdf_dict_get(ctx, pdf_trailer(ctx, pdf), PDF_NAME(Root));
        ok = pdf_is_dict(ctx, root) && pdf_is_dict(ctx, pdf_dict_get(ctx, root, PDF_NAME(Pages)));
    }
    fz_catch(ctx)
        ok = 0;
    return ok;
}

/* Opens the library document over filebuf after our own checks. Returns 0 or a result code
   of the openers. The caller holds the lock (or owns the record alone). */
static int open_pdf(struct document* d)
{
    fz_context* ctx = d->ctx;
    const int64_t len = vq_src_len(d);
    int64_t startxref = 0;
    int code;

    unsigned char head[20];
    const ptrdiff_t nhead = vq_src_read(d, 0, head, len < (int64_t)sizeof head ? (size_t)len : sizeof head);
    if (nhead < 0)
        return VQ_NOFOUND_FILE;
    if ((code = vq_core_check_version_marker(head, (size_t)nhead, NULL)) != 0)
        return vq_map_open_error(code);
    if ((code = vq_src_find_startxref(d, len, &startxref)) != 0)
        return code;

    fz_stream* stm = NULL;
    pdf_document* pdf = NULL;
    int failed = 0;
    fz_var(stm);
    fz_var(pdf);
    fz_try(ctx)
    {
        stm = vq_src_open_stream(ctx, d, -1);
        pdf = pdf_open_document_with_stream(ctx, stm);
    }
    fz_always(ctx)
        fz_drop_stream(ctx, stm);
    fz_catch(ctx)
    {
        failed = 1;
        code = vq_map_open_error(fz_caught(ctx));
    }
    if (failed)
    {
        pdf_drop_document(ctx, pdf);
        return code;
    }

    if (d->password && pdf_needs_password(ctx, pdf))
        pdf_authenticate_password(ctx, pdf, d->password);

    /* Refused as damaged: a /Prev chain that loops (the sections before the loop were never
       read), a catalogue or page tree that cannot be reached (never an empty document), and a
       page count beyond anything the file could hold (more pages than it has objects). */
    int damaged = vq_core_prev_chain_loops(ctx, pdf, startxref) || !catalogue_reachable(ctx, pdf) ||
                  safe_count_pages(ctx, pdf) > pdf_xref_len(ctx, pdf);
    int count = damaged ? 0 : count_pages(d, pdf);

    /* The library repairs a broken cross-reference silently; such a file is refused: it
       cannot be updated incrementally without breaking what it holds. */
    if (damaged || pdf->repair_attempted)
    {
        drop_found(d);
        pdf_drop_document(ctx, pdf);
        return VQ_DAMAGED_FILE;
    }

    int64_t* ofs = NULL;
    int n = pdf->num_xref_sections > 0 ? pdf->num_xref_sections : 1;
    ofs = (int64_t*)calloc((size_t)n, sizeof *ofs);
    if (!ofs)
    {
        drop_found(d);
        pdf_drop_document(ctx, pdf);
        return VQ_FAIL;
    }
    d->section_count = vq_core_section_offsets(ctx, pdf, startxref, ofs, n);
    free(d->section_ofs);
    d->section_ofs = ofs;
    d->startxref = startxref;
    d->doc = &pdf->super;
    d->counts = count;
    return 0;
}

static void free_record(struct document* d)
{
    if (!d)
        return;
    fz_context* ctx = d->ctx;
    drop_found(d);
    fz_drop_document(ctx, d->doc);
    d->doc = NULL;
    for (int i = 0; i < d->page_block_count; i++)
        free(d->page_blocks[i]);
    free(d->page_blocks);
    d->page_blocks = NULL;
    d->page_block_count = 0;
    d->page_block_used = 0;
    for (int i = 0; i < (int)(sizeof d->spare / sizeof d->spare[0]); i++)
    {
        fz_drop_pixmap(ctx, d->spare[i]);
        d->spare[i] = NULL;
    }
    fz_drop_buffer(ctx, d->filebuf);
    vq_file_drop(d->srcfile);
    d->srcfile = NULL;
    free(d->section_ofs);
    vq_handles_free(d);
    free(d->docpath);
    free(d->errormsg);
    if (d->password)
    {
        memset(d->password, 0, strlen(d->password));
        free(d->password);
    }
    fz_drop_context(ctx);
    pthread_mutex_destroy(&d->ctxAccess);
    free(d);
}

static fz_buffer* copy_bytes(fz_context* ctx, const unsigned char* data, size_t len);

/* Opens the file the document will read (kept open while the document lives). */
static int open_source_file(struct document* d, const char* path)
{
    int fd = open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return VQ_NOFOUND_FILE;
    vq_file_id id;
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || vq_file_id_of_fd(fd, &id) != 0)
    {
        close(fd);
        return VQ_NOFOUND_FILE;
    }
    vq_file* f = vq_file_new(fd);
    if (!f)
    {
        close(fd);
        return VQ_FAIL;
    }
    vq_src_set_file(d, f, (int64_t)st.st_size, &id);
    return 0;
}

VQ_API vq_document* vq_document_open_file(const char* fpath, int* nret)
{
    int dummy = 0;
    if (!nret)
        nret = &dummy;
    if (!fpath || !*fpath)
    {
        *nret = VQ_NOFOUND_FILE;
        return NULL;
    }
    int code = 0;
    struct document* d = new_record(&code);
    if (!d)
    {
        *nret = code;
        return NULL;
    }
    d->filebuf = copy_bytes(d->ctx, NULL, 0);
    code = d->filebuf ? open_source_file(d, fpath) : VQ_FAIL;
    if (!code)
        code = open_pdf(d);
    if (!code)
    {
        d->docpath = strdup(fpath);
        if (!d->docpath)
            code = VQ_FAIL;
    }
    if (code)
    {
        free_record(d);
        *nret = code;
        return NULL;
    }
    *nret = 0;
    return d;
}

VQ_API vq_document* vq_document_new_twin(vq_document* src, int* nret)
{
    int dummy = 0;
    if (!nret)
        nret = &dummy;
    if (!src)
    {
        *nret = VQ_FAIL;
        return NULL;
    }
    int code = 0;
    struct document* d = new_record(&code);
    if (!d)
    {
        *nret = code;
        return NULL;
    }
    /* The file part is shared (the descriptor pins the very file the source reads); the bytes
       the source holds in memory only are copied. */
    vq_doc_lock(src);
    if (!src->doc)
        code = VQ_FAIL;
    else
    {
        d->filebuf = copy_bytes(d->ctx, src->filebuf ? src->filebuf->data : NULL, src->filebuf ? src->filebuf->len : 0);
        if (!d->filebuf)
            code = VQ_FAIL;
        else if (src->srcfile)
        {
            d->srcfile = vq_file_keep(src->srcfile);
            d->srcfile_len = src->srcfile_len;
            d->srcfile_id = src->srcfile_id;
        }
    }
    vq_doc_unlock(src);
    if (code)
    {
        free_record(d);
        *nret = code;
        return NULL;
    }
    *nret = 0;
    return d;
}

VQ_API int vq_document_open_twin(vq_document* d)
{
    if (!d)
        return VQ_FAIL;
    vq_doc_lock(d);
    const int code = d->doc ? 0 : open_pdf(d);
    vq_doc_unlock(d);
    return code;
}

static fz_buffer* copy_bytes(fz_context* ctx, const unsigned char* data, size_t len)
{
    fz_buffer* b = NULL;
    fz_var(b);
    fz_try(ctx)
        b = fz_new_buffer_from_copied_data(ctx, data ? data : (const unsigned char*)"", len);
    fz_catch(ctx)
        b = NULL;
    return b;
}

VQ_API vq_document* vq_document_open_stream(unsigned char* unfiledata, unsigned int len, int* nret)
{
    int dummy = 0;
    if (!nret)
        nret = &dummy;
    int code = 0;
    struct document* d = new_record(&code);
    if (!d)
    {
        *nret = code;
        return NULL;
    }
    d->filebuf = copy_bytes(d->ctx, unfiledata, unfiledata ? len : 0);
    if (!d->filebuf)
        code = VQ_FAIL;
    else
        code = open_pdf(d);
    if (code)
    {
        free_record(d);
        *nret = code;
        return NULL;
    }
    *nret = 0;
    return d;
}

/* ---- page table ---- */

/* Fills pageobjs (and the size boxes the walk could tell) from what the open's walk of the
   page tree found, or from a new walk (caller holds the lock; arrays sized for counts). */
static void collect_page_objects(struct document* d)
{
    pdf_document* pdf = vq_pdf(d);
    const int n = d->page_slots < d->counts ? d->page_slots : d->counts;
    if (pdf && d->found_objs)
    {
        for (int i = 0; i < n && i < d->found_count; i++)
        {
            d->pageobjs[i] = d->found_objs[i];
            d->found_objs[i] = NULL;
            if (!fz_is_empty_rect(d->found_boxes[i]))
                d->mediaboxs[i] = d->found_boxes[i];
        }
        drop_found(d);
        return;
    }
    if (pdf)
        walk_page_tree(d->ctx, pdf, d->pageobjs, NULL, n);
}

/* Sizes the page table for counts pages, keeping existing handles. */
static int ensure_page_slots(struct document* d)
{
    int need = d->counts > 0 ? d->counts : 1;
    if (d->pages && need <= d->page_slots)
        return 0;
    struct page_t** pages = (struct page_t**)realloc(d->pages, (size_t)need * sizeof *pages);
    if (!pages)
        return -1;
    d->pages = pages;
    pdf_obj** objs = (pdf_obj**)realloc(d->pageobjs, (size_t)need * sizeof *objs);
    if (!objs)
        return -1;
    d->pageobjs = objs;
    fz_rect* boxes = (fz_rect*)realloc(d->mediaboxs, (size_t)need * sizeof *boxes);
    if (!boxes)
        return -1;
    d->mediaboxs = boxes;
    for (int i = d->page_slots; i < need; i++)
    {
        d->pages[i] = NULL;
        d->pageobjs[i] = NULL;
        memset(&d->mediaboxs[i], 0, sizeof d->mediaboxs[i]);
    }
    d->page_slots = need;
    return 0;
}

/* Page handles are made when first asked for, in blocks (a document of many pages would
   otherwise make as many small allocations, most for pages never shown); blocks are freed at
   close. */
#define PAGE_BLOCK 256

struct page_t* vq_page_slot(struct document* d, int i)
{
    if (!d->pages || i < 0 || i >= d->page_slots)
        return NULL;
    if (d->pages[i])
        return d->pages[i];
    if (d->page_block_used == 0 || d->page_block_used == PAGE_BLOCK)
    {
        void** blocks = (void**)realloc(d->page_blocks, (size_t)(d->page_block_count + 1) * sizeof *blocks);
        if (!blocks)
            return NULL;
        d->page_blocks = blocks;
        struct page_t* block = (struct page_t*)calloc(PAGE_BLOCK, sizeof(struct page_t));
        if (!block)
            return NULL;
        d->page_blocks[d->page_block_count++] = block;
        d->page_block_used = 0;
    }
    struct page_t* pg = &((struct page_t*)d->page_blocks[d->page_block_count - 1])[d->page_block_used++];
    pg->number = i;
    d->pages[i] = pg;
    return pg;
}

static void drop_page_objects(struct document* d)
{
    for (int i = 0; i < d->page_slots; i++)
    {
        if (d->pageobjs)
        {
            pdf_drop_obj(d->ctx, d->pageobjs[i]);
            d->pageobjs[i] = NULL;
        }
        if (d->mediaboxs)
            memset(&d->mediaboxs[i], 0, sizeof d->mediaboxs[i]);
    }
}

static int count_pages_locked(struct document* d)
{
    pdf_document* pdf = vq_pdf(d);
    return pdf ? count_pages(d, pdf) : 0;
}

VQ_API int vq_document_page_count(vq_document* d)
{
    if (!d)
        return 0;
    vq_doc_lock(d);
    /* Counted when the document was opened (and again once a password was accepted). */
    int n = d->doc ? d->counts : 0;
    vq_doc_unlock(d);
    return n;
}

VQ_API void vq_document_cut_page(vq_document* d)
{
    if (!d)
        return;
    vq_doc_lock(d);
    if (!d->pages)
    {
        if (ensure_page_slots(d) == 0)
            collect_page_objects(d);
    }
    vq_doc_unlock(d);
}

/* After a save: the library document is replaced by one opened from the bytes just written.
   Page handles keep their identity; what they held is released and reloaded on demand. */
int vq_doc_reopen(struct document* d)
{
    fz_context* ctx = d->ctx;
    int had_table = d->pages != NULL;
    /* The display images stay: they belong to no document, and a render thread may be
       copying one right now. */
    for (int i = 0; i < d->page_slots; i++)
    {
        if (!d->pages[i])
            continue;
        fz_pixmap* image = d->pages[i]->image;
        d->pages[i]->image = NULL;
        vq_page_release(d, d->pages[i]);
        d->pages[i]->image = image;
    }
    drop_page_objects(d);
    d->focus_annot = NULL;
    d->hotspot_num = 0;
    d->hotspot_state = 0;
    drop_found(d);
    fz_drop_document(ctx, d->doc);
    d->doc = NULL;

    int code = open_pdf(d);
    if (code)
        return code;
    if (had_table)
    {
        if (ensure_page_slots(d) != 0)
            return VQ_FAIL;
        collect_page_objects(d);
    }
    return 0;
}

VQ_API void vq_document_close(vq_document* d)
{
    if (!d)
        return;
    vq_doc_lock(d);
    fz_context* ctx = d->ctx;
    if (d->pages)
    {
        for (int i = 0; i < d->page_slots; i++)
        {
            vq_page_release(d, d->pages[i]);
            d->pages[i] = NULL;
        }
        drop_page_objects(d);
        free(d->pages);
        free(d->pageobjs);
        free(d->mediaboxs);
        d->pages = NULL;
        d->pageobjs = NULL;
        d->mediaboxs = NULL;
    }
    for (int i = 0; i < d->outline_count; i++)
        fz_drop_outline(ctx, d->outlines[i]);
    free(d->outlines);
    d->outlines = NULL;
    fz_drop_document(ctx, d->doc);
    d->doc = NULL;
    vq_doc_unlock(d);
    free_record(d);
}

/* ---- document questions ---- */

VQ_API const char* vq_document_file_path(vq_document* d)
{
    if (!d)
        return NULL;
    vq_doc_lock(d);
    const char* p = d->docpath;
    vq_doc_unlock(d);
    return p;
}

VQ_API long long vq_document_file_size(vq_document* d)
{
    if (!d)
        return 0;
    vq_doc_lock(d);
    long long n = (long long)vq_src_len(d);
    vq_doc_unlock(d);
    return n;
}

VQ_API int vq_document_revert(vq_document* d)
{
    if (!d)
        return VQ_FAIL;
    vq_doc_lock(d);
    int code = vq_doc_reopen(d);
    vq_doc_unlock(d);
    return code;
}

/* An int that read takes from the open PDF (arg passed on), with the lock held: fallback when
   no PDF is open or the read throws. */
static int pdf_read_int_locked(struct document* d, int (*read)(fz_context*, pdf_document*, const void*),
                               const void* arg, int fallback)
{
    int r = fallback;
    fz_var(r);
    pdf_document* pdf = vq_pdf(d);
    if (pdf)
    {
        fz_try(d->ctx)
            r = read(d->ctx, pdf, arg);
        fz_catch(d->ctx)
            r = fallback;
    }
    return r;
}

/* The same, taking the document lock; fallback when d is NULL. */
static int pdf_read_int(struct document* d, int (*read)(fz_context*, pdf_document*, const void*), const void* arg,
                        int fallback)
{
    if (!d)
        return fallback;
    vq_doc_lock(d);
    int r = pdf_read_int_locked(d, read, arg, fallback);
    vq_doc_unlock(d);
    return r;
}

static int has_unsaved(fz_context* ctx, pdf_document* pdf, const void* arg)
{
    (void)arg;
    return pdf_has_unsaved_changes(ctx, pdf) || pdf_has_unsaved_sigs(ctx, pdf);
}

VQ_API int vq_document_has_unsaved(vq_document* d)
{
    return pdf_read_int(d, has_unsaved, NULL, 0);
}

VQ_API int vq_document_canbe_save(vq_document* d)
{
    if (!d)
        return 1;
    vq_doc_lock(d);
    int r = 1;
    if (d->docpath)
    {
        FILE* f = fopen(d->docpath, "rb+");
        if (f)
        {
            r = 0;
            fclose(f);
        }
    }
    vq_doc_unlock(d);
    return r;
}

VQ_API int vq_document_canbe_sign(vq_document* d)
{
    if (!d)
        return VQ_FAIL;
    vq_doc_lock(d);
    int r = VQ_OK;
    pdf_document* pdf = vq_pdf(d);
    if (!pdf)
        r = VQ_DAMAGED_FILE;
    else if (pdf->repair_attempted)
        r = VQ_REPAIR_ATTEMPTED;
    else if (pdf->crypt)
        r = VQ_CRYPTED;
    else
    {
        fz_try(d->ctx)
            r = pdf_needs_password(d->ctx, pdf) ? VQ_NEED_PASSWORD : VQ_OK;
        fz_catch(d->ctx)
            r = VQ_NEED_PASSWORD;
    }
    vq_doc_unlock(d);
    return r;
}

/* Counts fields whose own /FT is /Sig; marks keep a cyclic field tree from looping. The
   marked arrays are remembered so that an exception still clears every mark. */
static int count_signature_fields(fz_context* ctx, pdf_obj* fields, int depth, pdf_obj** marked, int* nmarked,
                                  int maxmarked)
{
    int n = 0;
    if (!pdf_is_array(ctx, fields) || depth > VQ_MAX_TREE_DEPTH || *nmarked >= maxmarked ||
        pdf_mark_obj(ctx, fields))
        return 0;
    marked[(*nmarked)++] = fields;
    int len = pdf_array_len(ctx, fields);
    for (int i = 0; i < len; i++)
    {
        pdf_obj* field = pdf_array_get(ctx, fields, i);
        if (pdf_name_eq(ctx, pdf_dict_get(ctx, field, PDF_NAME(FT)), PDF_NAME(Sig)))
            n++;
        else
            n += count_signature_fields(ctx, pdf_dict_get(ctx, field, PDF_NAME(Kids)), depth + 1, marked, nmarked,
                                        maxmarked);
    }
    return n;
}

static int signature_count(fz_context* ctx, pdf_document* pdf)
{
    pdf_obj* marked[1024];
    int nmarked = 0;
    int n = 0;
    fz_var(n);
    fz_var(nmarked);
    fz_try(ctx)
        n = count_signature_fields(ctx, pdf_dict_getp(ctx, pdf_trailer(ctx, pdf), "Root/AcroForm/Fields"), 0, marked,
                                   &nmarked, 1024);
    fz_catch(ctx)
        n = 0;
    for (int i = 0; i < nmarked; i++)
        pdf_unmark_obj(ctx, marked[i]);
    return n;
}

VQ_API int vq_document_has_signature(vq_document* d)
{
    if (!d)
        return 0;
    vq_doc_lock(d);
    int n = 0;
    pdf_document* pdf = vq_pdf(d);
    if (pdf)
        n = signature_count(d->ctx, pdf);
    vq_doc_unlock(d);
    return n;
}

/* Whether entry i of an /Annots array repeats an earlier entry (the same object listed twice is
   one annotation). */
int vq_annots_entry_repeats(fz_context* ctx, pdf_obj* annots, int i)
{
    pdf_obj* item = pdf_array_get(ctx, annots, i);
    const int num = pdf_is_indirect(ctx, item) ? pdf_to_num(ctx, item) : 0;
    for (int j = 0; j < i; j++)
    {
        pdf_obj* earlier = pdf_array_get(ctx, annots, j);
        if (earlier == item || (num > 0 && pdf_is_indirect(ctx, earlier) && pdf_to_num(ctx, earlier) == num))
            return 1;
    }
    return 0;
}

/* The widgets a page lists in /Annots, read from the page object: what loading the page would
   make of them (dictionaries of /Subtype /Widget), each object once. */
static int widgets_of_page(fz_context* ctx, pdf_obj* pageobj)
{
    int count = 0;
    fz_var(count);
    fz_try(ctx)
    {
        pdf_obj* annots = pdf_dict_get(ctx, pageobj, PDF_NAME(Annots));
        const int n = pdf_array_len(ctx, annots);
        for (int i = 0; i < n; i++)
        {
            pdf_obj* item = pdf_array_get(ctx, annots, i);
            if (pdf_is_dict(ctx, item) && pdf_name_eq(ctx, pdf_dict_get(ctx, item, PDF_NAME(Subtype)), PDF_NAME(Widget)) &&
                !vq_annots_entry_repeats(ctx, annots, i))
                count++;
        }
    }
    fz_catch(ctx)
        count = 0;
    return count;
}

VQ_API int vq_document_widget_count(vq_document* d)
{
    if (!d)
        return 0;
    vq_doc_lock(d);
    int n = 0;
    if (vq_pdf(d))
    {
        if (!d->pages && ensure_page_slots(d) == 0)
            collect_page_objects(d);
        for (int i = 0; d->pageobjs && i < d->counts && i < d->page_slots; i++)
            if (d->pageobjs[i])
                n += widgets_of_page(d->ctx, d->pageobjs[i]);
    }
    vq_doc_unlock(d);
    return n;
}

static int needs_password(fz_context* ctx, pdf_document* pdf, const void* arg)
{
    (void)arg;
    return pdf_needs_password(ctx, pdf);
}

VQ_API int vq_document_has_password(vq_document* d)
{
    return pdf_read_int(d, needs_password, NULL, 0);
}

static int authenticate(fz_context* ctx, pdf_document* pdf, const void* password)
{
    return pdf_authenticate_password(ctx, pdf, (const char*)password);
}

VQ_API int vq_document_authenticate_password(vq_document* d, const char* password)
{
    if (!d)
        return 0;
    vq_doc_lock(d);
    int r = pdf_read_int_locked(d, authenticate, password ? password : "", 0);
    /* Kept so the document can be reopened after a save without asking again. */
    if (r && password && *password)
    {
        char* copy = strdup(password);
        if (copy)
        {
            if (d->password)
            {
                memset(d->password, 0, strlen(d->password));
                free(d->password);
            }
            d->password = copy;
        }
    }
    if (r)
        d->counts = count_pages_locked(d);
    vq_doc_unlock(d);
    return r;
}

static int has_permission(fz_context* ctx, pdf_document* pdf, const void* permission)
{
    return pdf_has_permission(ctx, pdf, (fz_permission) * (const vq_permission_type*)permission);
}

VQ_API int vq_document_has_permission(vq_document* d, vq_permission_type permission)
{
    return pdf_read_int(d, has_permission, &permission, 0);
}

VQ_API int vq_app_geterror(vq_document* d)
{
    if (!d)
        return VQ_OK;
    vq_doc_lock(d);
    int e = d->error;
    vq_doc_unlock(d);
    return e;
}

VQ_API const char* vq_app_geterror_meg(vq_document* d)
{
    if (!d)
        return NULL;
    vq_doc_lock(d);
    const char* m = d->errormsg;
    vq_doc_unlock(d);
    return m;
}

VQ_API int vq_document_convertto_doc(vq_document* doc, char* filepath, int pagefrom, int pageto)
{
    return 0;
}

VQ_API int vq_document_convertto_image(vq_document* doc, char* dirpath, vq_convert_image_type type,
                                       int pagefrom, int pageto)
{
    return 0;
}

#ifdef VQ_TEST_HOOKS
/* Test seam: a small unsaved change; built only for the tests. */
VQ_API int vq_test_mark_document(vq_document* d, const char* text)
{
    if (!d)
        return VQ_FAIL;
    vq_doc_lock(d);
    int code = VQ_OK;
    pdf_document* pdf = vq_pdf(d);
    if (!pdf)
        code = VQ_FAIL;
    else
    {
        fz_try(d->ctx)
        {
            pdf_obj* root = pdf_dict_get(d->ctx, pdf_trailer(d->ctx, pdf), PDF_NAME(Root));
            pdf_dict_puts_drop(d->ctx, root, "OrvTestMark", pdf_new_text_string(d->ctx, text ? text : ""));
        }
        fz_catch(d->ctx)
            code = VQ_FAIL;
    }
    vq_doc_unlock(d);
    return code;
}
#endif /* VQ_TEST_HOOKS */
