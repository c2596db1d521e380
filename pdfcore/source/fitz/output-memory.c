/*
 * A seekable output over a byte buffer.
 *
 * The library's buffer output only appends. Writing signatures needs an output that can seek
 * back to fill in byte ranges and digests, read back what it has written (as a stream) and
 * truncate; the incremental writer also reads back the output to check whether it already
 * holds the original bytes. This output keeps its own position inside the buffer and serves all
 * of that from memory, so a complete save can be built before anything touches the disk.
 */
#include "header.h"

#include <stdatomic.h>
#include <string.h>

typedef struct
{
    fz_buffer* buf;
    size_t pos;
} seekable_output;

typedef struct
{
    fz_buffer* buf;
    size_t pos;
    unsigned char chunk[4096];
} buffer_reader;

static _Atomic long long g_write_budget = -1;

int vq_output_budget_take(size_t n)
{
    long long budget = atomic_load(&g_write_budget);
    while (budget >= 0)
    {
        long long left = budget - (long long)n;
        if (left < 0)
        {
            atomic_store(&g_write_budget, 0);
            return -1;
        }
        if (atomic_compare_exchange_weak(&g_write_budget, &budget, left))
            return 0;
    }
    return 0;
}

#ifdef VQ_TEST_HOOKS
/* Test seam: every output fails after this many further bytes, as on a full disk. */
VQ_API void vq_test_fail_writes_after(long long bytes)
{
    atomic_store(&g_write_budget, bytes < 0 ? -1 : bytes);
}
#endif /* VQ_TEST_HOOKS */

static void out_write(fz_context* ctx, void* opaque, const void* data, size_t n)
{
    seekable_output* s = (seekable_output*)opaque;
    fz_buffer* b = s->buf;
    if (n == 0)
        return;
    if (vq_output_budget_take(n) != 0)
        fz_throw(ctx, FZ_ERROR_GENERIC, "no space left on the output");
    if (s->pos > SIZE_MAX - n)
        fz_throw(ctx, FZ_ERROR_GENERIC, "output too large");
    size_t end = s->pos + n;
    if (end > b->cap)
    {
        size_t cap = b->cap ? b->cap : 1024;
        while (cap < end)
            cap = cap > SIZE_MAX / 2 ? end : cap * 2;
        fz_resize_buffer(ctx, b, cap);
    }
    if (s->pos > b->len)
        memset(b->data + b->len, 0, s->pos - b->len);
    memcpy(b->data + s->pos, data, n);
    s->pos = end;
    if (end > b->len)
        b->len = end;
}

static void out_seek(fz_context* ctx, void* opaque, int64_t off, int whence)
{
    seekable_output* s = (seekable_output*)opaque;
    int64_t base = 0;
    if (whence == SEEK_CUR)
        base = (int64_t)s->pos;
    else if (whence == SEEK_END)
        base = (int64_t)s->buf->len;
    if (base + off < 0)
        fz_throw(ctx, FZ_ERROR_GENERIC, "cannot seek before the start of the output");
    s->pos = (size_t)(base + off);
}

static int64_t out_tell(fz_context* ctx, void* opaque)
{
    return (int64_t)((seekable_output*)opaque)->pos;
}

static void out_truncate(fz_context* ctx, void* opaque)
{
    seekable_output* s = (seekable_output*)opaque;
    if (s->pos < s->buf->len)
        s->buf->len = s->pos;
}

static void out_drop(fz_context* ctx, void* opaque)
{
    seekable_output* s = (seekable_output*)opaque;
    fz_drop_buffer(ctx, s->buf);
    fz_free(ctx, s);
}

/* The reader copies from the buffer in chunks at its own offset, so it stays valid when the
   output grows (and reallocates) the buffer afterwards. */
static int reader_next(fz_context* ctx, fz_stream* stm, size_t max)
{
    buffer_reader* r = (buffer_reader*)stm->state;
    size_t len = r->buf->len;
    if (r->pos >= len)
        return EOF;
    size_t n = len - r->pos;
    if (n > sizeof r->chunk)
        n = sizeof r->chunk;
    memcpy(r->chunk, r->buf->data + r->pos, n);
    stm->rp = r->chunk;
    stm->wp = r->chunk + n;
    r->pos += n;
    stm->pos = (int64_t)r->pos;
    return *stm->rp++;
}

static void reader_seek(fz_context* ctx, fz_stream* stm, int64_t off, int whence)
{
    buffer_reader* r = (buffer_reader*)stm->state;
    int64_t base = 0;
    if (whence == SEEK_CUR)
        base = stm->pos - (stm->wp - stm->rp);
    else if (whence == SEEK_END)
        base = (int64_t)r->buf->len;
    int64_t to = base + off;
    if (to < 0)
        to = 0;
    if (to > (int64_t)r->buf->len)
        to = (int64_t)r->buf->len;
    r->pos = (size_t)to;
    stm->pos = to;
    stm->rp = stm->wp = r->chunk;
}

static void reader_drop(fz_context* ctx, void* opaque)
{
    buffer_reader* r = (buffer_reader*)opaque;
    fz_drop_buffer(ctx, r->buf);
    fz_free(ctx, r);
}

static fz_stream* out_as_stream(fz_context* ctx, void* opaque)
{
    seekable_output* s = (seekable_output*)opaque;
    buffer_reader* r = fz_malloc_struct(ctx, buffer_reader);
    r->buf = fz_keep_buffer(ctx, s->buf);
    fz_stream* stm = NULL;
    fz_try(ctx)
        stm = fz_new_stream(ctx, r, reader_next, reader_drop);
    fz_catch(ctx)
    {
        fz_drop_buffer(ctx, r->buf);
        fz_free(ctx, r);
        fz_rethrow(ctx);
    }
    stm->seek = reader_seek;
    return stm;
}

fz_output* vq_new_seekable_buffer_output(fz_context* ctx, fz_buffer* buf)
{
    seekable_output* s = fz_malloc_struct(ctx, seekable_output);
    s->buf = fz_keep_buffer(ctx, buf);
    s->pos = buf->len;
    fz_output* out = NULL;
    fz_try(ctx)
        /* Unbuffered: every seek, tell and read-back sees all bytes written so far. */
        out = fz_new_output(ctx, 0, s, out_write, NULL, out_drop);
    fz_catch(ctx)
    {
        fz_drop_buffer(ctx, s->buf);
        fz_free(ctx, s);
        fz_rethrow(ctx);
    }
    out->seek = out_seek;
    out->tell = out_tell;
    out->truncate = out_truncate;
    out->as_stream = out_as_stream;
    return out;
}
