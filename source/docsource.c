/*
 * The bytes of a document.
 *
 * A document opened from a file reads it through a descriptor it keeps open: the file is never
 * read whole into memory, and the descriptor pins the file the document was read from even when
 * another program renames something over its path. Updates saved into memory only (a save into
 * memory, or a copy saved elsewhere) follow in a buffer. Every reader of the document's bytes
 * (the library's streams, the signature checks, the savers) goes through here.
 *
 * What a file looked like when the engine last read or wrote it (which file, its length, when
 * it was changed) is kept, so that a save never writes over a file that changed underneath.
 */
#include "header.h"

#include <errno.h>
#include <fcntl.h>
#include <stdatomic.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

struct vq_file
{
    _Atomic int refs;
    int fd;
};

vq_file* vq_file_new(int fd)
{
    vq_file* f = (vq_file*)malloc(sizeof *f);
    if (!f)
        return NULL;
    atomic_init(&f->refs, 1);
    f->fd = fd;
    return f;
}

vq_file* vq_file_keep(vq_file* f)
{
    if (f)
        atomic_fetch_add(&f->refs, 1);
    return f;
}

void vq_file_drop(vq_file* f)
{
    if (f && atomic_fetch_sub(&f->refs, 1) == 1)
    {
        close(f->fd);
        free(f);
    }
}

int vq_file_fd(const vq_file* f)
{
    return f ? f->fd : -1;
}

static void id_from_stat(const struct stat* st, vq_file_id* out)
{
    memset(out, 0, sizeof *out);
    out->dev = (uint64_t)st->st_dev;
    out->ino = (uint64_t)st->st_ino;
    out->size = (int64_t)st->st_size;
    out->mtime_sec = (int64_t)st->st_mtim.tv_sec;
    out->mtime_nsec = st->st_mtim.tv_nsec;
    out->valid = 1;
}

int vq_file_id_of_fd(int fd, vq_file_id* out)
{
    struct stat st;
    memset(out, 0, sizeof *out);
    if (fd < 0 || fstat(fd, &st) != 0)
        return -1;
    id_from_stat(&st, out);
    return 0;
}

int vq_file_id_of_path(const char* path, vq_file_id* out)
{
    struct stat st;
    memset(out, 0, sizeof *out);
    if (!path || stat(path, &st) != 0)
        return -1;
    id_from_stat(&st, out);
    return 0;
}

int vq_file_id_same(const vq_file_id* a, const vq_file_id* b)
{
    return a->valid && b->valid && a->dev == b->dev && a->ino == b->ino && a->size == b->size &&
           a->mtime_sec == b->mtime_sec && a->mtime_nsec == b->mtime_nsec;
}

/* ---- reading ---------------------------------------------------------------------------- */

int64_t vq_src_len(struct document* d)
{
    if (!d)
        return 0;
    return d->srcfile_len + (d->filebuf ? (int64_t)d->filebuf->len : 0);
}

/* Reads from the first flen bytes of f and then the first mlen bytes of mem. */
static ptrdiff_t read_parts(vq_file* f, int64_t flen, fz_buffer* mem, int64_t mlen, int64_t at, unsigned char* buf,
                            size_t n)
{
    size_t done = 0;
    while (done < n && at < flen)
    {
        size_t want = n - done;
        if ((int64_t)want > flen - at)
            want = (size_t)(flen - at);
        ssize_t got = pread(vq_file_fd(f), buf + done, want, (off_t)at);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return -1; /* an error, or a file shorter than the bytes it held: changed underneath */
        done += (size_t)got;
        at += got;
    }
    if (done < n && mem)
    {
        if (mlen > (int64_t)mem->len)
            mlen = (int64_t)mem->len;
        const int64_t from = at - flen;
        if (from < mlen)
        {
            size_t take = n - done;
            if ((int64_t)take > mlen - from)
                take = (size_t)(mlen - from);
            memcpy(buf + done, mem->data + from, take);
            done += take;
        }
    }
    return (ptrdiff_t)done;
}

ptrdiff_t vq_src_read(struct document* d, int64_t at, void* buf, size_t n)
{
    if (!d || at < 0)
        return -1;
    ptrdiff_t got = read_parts(d->srcfile, d->srcfile_len, d->filebuf, d->filebuf ? (int64_t)d->filebuf->len : 0, at,
                               (unsigned char*)buf, n);
    if (got < 0)
        d->read_errors++;
    return got;
}

/* A stream's own view of the bytes: the parts as they were when it was opened. */
typedef struct
{
    vq_file* file;
    int64_t file_len;
    fz_buffer* mem;
    int64_t mem_len;
    int64_t len;
    int* read_errors;
} source_view;

static ptrdiff_t view_read(fz_context* ctx, void* state, int64_t at, unsigned char* buf, size_t n)
{
    (void)ctx;
    source_view* v = (source_view*)state;
    if (at >= v->len)
        return 0;
    if ((int64_t)n > v->len - at)
        n = (size_t)(v->len - at);
    ptrdiff_t got = read_parts(v->file, v->file_len, v->mem, v->mem_len, at, buf, n);
    if (got < 0 && v->read_errors)
        (*v->read_errors)++;
    return got;
}

static int64_t view_length(fz_context* ctx, void* state)
{
    (void)ctx;
    return ((source_view*)state)->len;
}

static void view_drop(fz_context* ctx, void* state)
{
    source_view* v = (source_view*)state;
    vq_file_drop(v->file);
    fz_drop_buffer(ctx, v->mem);
    fz_free(ctx, v);
}

static const vq_positioned_ops view_ops = {view_read, view_length, view_drop};

fz_stream* vq_src_open_stream(fz_context* ctx, struct document* d, int64_t limit)
{
    source_view* v = fz_malloc_struct(ctx, source_view);
    v->file = vq_file_keep(d->srcfile);
    v->file_len = d->srcfile ? d->srcfile_len : 0;
    v->mem = fz_keep_buffer(ctx, d->filebuf);
    v->mem_len = d->filebuf ? (int64_t)d->filebuf->len : 0;
    v->len = v->file_len + v->mem_len;
    if (limit >= 0 && limit < v->len)
        v->len = limit;
    v->read_errors = &d->read_errors;
    return vq_new_positioned_stream(ctx, &view_ops, v);
}

int vq_src_check_unchanged(struct document* d)
{
    if (!d->srcfile)
        return 0;
    vq_file_id now;
    if (vq_file_id_of_fd(vq_file_fd(d->srcfile), &now) != 0 || !vq_file_id_same(&now, &d->srcfile_id))
        return VQ_FILE_CHANGED;
    return 0;
}

static fz_buffer* new_buffer(fz_context* ctx, size_t cap)
{
    fz_buffer* b = NULL;
    fz_var(b);
    fz_try(ctx)
        b = fz_new_buffer(ctx, cap);
    fz_catch(ctx)
        b = NULL;
    return b;
}

int vq_src_to_memory(struct document* d)
{
    if (!d->srcfile)
        return 0;
    fz_context* ctx = d->ctx;
    const int64_t total = vq_src_len(d);
    if (total < 0 || (uint64_t)total > SIZE_MAX - 1)
        return FZ_ERROR_MEMORY;
    /* The bytes are written into memory: the test seam of a full output counts them. */
    if (vq_output_budget_take((size_t)total) != 0)
        return FZ_ERROR_GENERIC;
    fz_buffer* all = new_buffer(ctx, (size_t)total + 1);
    if (!all)
        return FZ_ERROR_MEMORY;
    if (vq_src_read(d, 0, all->data, (size_t)total) != (ptrdiff_t)total)
    {
        fz_drop_buffer(ctx, all);
        return FZ_ERROR_GENERIC;
    }
    all->len = (size_t)total;
    fz_drop_buffer(ctx, d->filebuf);
    d->filebuf = all;
    vq_file_drop(d->srcfile);
    d->srcfile = NULL;
    d->srcfile_len = 0;
    memset(&d->srcfile_id, 0, sizeof d->srcfile_id);
    return 0;
}

void vq_src_set_file(struct document* d, vq_file* f, int64_t len, const vq_file_id* id)
{
    vq_file_drop(d->srcfile);
    d->srcfile = f;
    d->srcfile_len = len;
    d->srcfile_id = *id;
    d->disk_len = len;
    d->disk_id = *id;
    if (d->filebuf)
        fz_clear_buffer(d->ctx, d->filebuf);
}

int vq_src_find_startxref(struct document* d, int64_t len, int64_t* ofs)
{
    unsigned char tail[1024];
    const int64_t n = len < (int64_t)sizeof tail ? len : (int64_t)sizeof tail;
    if (n <= 0 || vq_src_read(d, len - n, tail, (size_t)n) != (ptrdiff_t)n)
        return VQ_EXC_NO_STARTXREF;
    return vq_core_find_startxref(tail, (size_t)n, ofs);
}

/* ---- the positioned reader of our own checks ---------------------------------------------- */

void vq_reader_init(vq_reader* r, struct document* d, int64_t len)
{
    r->d = d;
    r->len = len < 0 ? 0 : len;
    r->start = 0;
    r->have = 0;
    r->failed = 0;
}

int vq_reader_fill(vq_reader* r, int64_t at)
{
    if (at < 0 || at >= r->len || r->failed)
        return 0;
    /* Start a little before: the checks also look back a few bytes. */
    int64_t from = at >= 64 ? at - 64 : 0;
    size_t n = sizeof r->win;
    if ((int64_t)n > r->len - from)
        n = (size_t)(r->len - from);
    ptrdiff_t got = vq_src_read(r->d, from, r->win, n);
    if (got <= 0 || from + got <= at)
    {
        r->failed = 1;
        r->have = 0;
        return 0;
    }
    r->start = from;
    r->have = (size_t)got;
    return 1;
}

int vq_reader_equals(vq_reader* r, int64_t at, const char* s, size_t n)
{
    for (size_t i = 0; i < n; i++)
        if (vq_reader_byte(r, at + (int64_t)i) != (unsigned char)s[i])
            return 0;
    return 1;
}

int vq_src_hash_ranges(struct document* d, const int64_t ranges[4], vq_hash_fn main, void* main_arg,
                       vq_hash_fn side, void* side_arg)
{
    enum { BLOCK = 256 * 1024 };
    vq_hash_pipe* pipe = side ? vq_hash_pipe_new(side, side_arg) : NULL;
    unsigned char* own = pipe ? NULL : (unsigned char*)malloc(BLOCK);
    if (!pipe && !own)
        return -1;
    const size_t block = pipe ? vq_hash_pipe_block_size() : (size_t)BLOCK;
    int ok = 1;
    for (int i = 0; ok && i < 2; i++)
    {
        int64_t at = ranges[2 * i], left = ranges[2 * i + 1];
        while (ok && left > 0)
        {
            size_t n = left > (int64_t)block ? block : (size_t)left;
            unsigned char* buf = pipe ? vq_hash_pipe_buffer(pipe) : own;
            ok = vq_src_read(d, at, buf, n) == (ptrdiff_t)n;
            if (ok && pipe)
                vq_hash_pipe_feed(pipe, n, main, main_arg);
            else if (ok)
            {
                if (side)
                    side(side_arg, buf, n);
                main(main_arg, buf, n);
            }
            at += (int64_t)n;
            left -= (int64_t)n;
        }
    }
    vq_hash_pipe_drop(pipe);
    free(own);
    return ok ? 0 : -1;
}
