/*
 * The output of an incremental save.
 *
 * The library's incremental writer wants an output that holds the original bytes followed by
 * the update: it reads the output back to check that it starts with the original, seeks to the
 * end to append, and later reads the signed byte ranges back and overwrites the placeholders of
 * pending signatures. This output stands for exactly that, but holds only the update in memory:
 * positions before the update read the document's own bytes (its file), positions after it the
 * update. Writing anywhere before the update is refused, so the original bytes can never be
 * changed through it.
 */
#include "header.h"

#include <string.h>

typedef struct
{
    struct document* d;
    fz_buffer* upd;
    int64_t base;  /* length of the document's bytes: where the update starts */
    int64_t pos;
} update_output;

typedef struct
{
    struct document* d;
    fz_buffer* upd;
    int64_t base;
} update_reader;

static void update_write(fz_context* ctx, void* opaque, const void* data, size_t n)
{
    update_output* u = (update_output*)opaque;
    fz_buffer* b = u->upd;
    if (n == 0)
        return;
    if (u->pos < u->base)
        fz_throw(ctx, FZ_ERROR_GENERIC, "an incremental save cannot change the document's bytes");
    if (vq_output_budget_take(n) != 0)
        fz_throw(ctx, FZ_ERROR_GENERIC, "no space left on the output");
    const size_t at = (size_t)(u->pos - u->base);
    if (at > SIZE_MAX - n)
        fz_throw(ctx, FZ_ERROR_GENERIC, "output too large");
    const size_t end = at + n;
    if (end > b->cap)
    {
        size_t cap = b->cap ? b->cap : 4096;
        while (cap < end)
            cap = cap > SIZE_MAX / 2 ? end : cap * 2;
        fz_resize_buffer(ctx, b, cap);
    }
    if (at > b->len)
        memset(b->data + b->len, 0, at - b->len);
    memcpy(b->data + at, data, n);
    u->pos += (int64_t)n;
    if (end > b->len)
        b->len = end;
}

static void update_seek(fz_context* ctx, void* opaque, int64_t off, int whence)
{
    update_output* u = (update_output*)opaque;
    int64_t base = 0;
    if (whence == SEEK_CUR)
        base = u->pos;
    else if (whence == SEEK_END)
        base = u->base + (int64_t)u->upd->len;
    if (base + off < 0)
        fz_throw(ctx, FZ_ERROR_GENERIC, "cannot seek before the start of the output");
    u->pos = base + off;
}

static int64_t update_tell(fz_context* ctx, void* opaque)
{
    (void)ctx;
    return ((update_output*)opaque)->pos;
}

static void update_truncate(fz_context* ctx, void* opaque)
{
    update_output* u = (update_output*)opaque;
    if (u->pos < u->base)
        fz_throw(ctx, FZ_ERROR_GENERIC, "an incremental save cannot change the document's bytes");
    const size_t at = (size_t)(u->pos - u->base);
    if (at < u->upd->len)
        u->upd->len = at;
}

static void update_drop(fz_context* ctx, void* opaque)
{
    update_output* u = (update_output*)opaque;
    fz_drop_buffer(ctx, u->upd);
    fz_free(ctx, u);
}

static ptrdiff_t reader_read(fz_context* ctx, void* state, int64_t at, unsigned char* buf, size_t n)
{
    (void)ctx;
    update_reader* r = (update_reader*)state;
    if (at < r->base)
    {
        if ((int64_t)n > r->base - at)
            n = (size_t)(r->base - at);
        return vq_src_read(r->d, at, buf, n);
    }
    const size_t from = (size_t)(at - r->base);
    if (from >= r->upd->len)
        return 0;
    if (n > r->upd->len - from)
        n = r->upd->len - from;
    memcpy(buf, r->upd->data + from, n);
    return (ptrdiff_t)n;
}

static int64_t reader_length(fz_context* ctx, void* state)
{
    (void)ctx;
    update_reader* r = (update_reader*)state;
    return r->base + (int64_t)r->upd->len;
}

static void reader_drop(fz_context* ctx, void* state)
{
    update_reader* r = (update_reader*)state;
    fz_drop_buffer(ctx, r->upd);
    fz_free(ctx, r);
}

static const vq_positioned_ops reader_ops = {reader_read, reader_length, reader_drop};

static fz_stream* update_as_stream(fz_context* ctx, void* opaque)
{
    update_output* u = (update_output*)opaque;
    update_reader* r = fz_malloc_struct(ctx, update_reader);
    r->d = u->d;
    r->upd = fz_keep_buffer(ctx, u->upd);
    r->base = u->base;
    return vq_new_positioned_stream(ctx, &reader_ops, r);
}

fz_output* vq_new_update_output(fz_context* ctx, struct document* d, fz_buffer* upd)
{
    update_output* u = fz_malloc_struct(ctx, update_output);
    u->d = d;
    u->upd = fz_keep_buffer(ctx, upd);
    u->base = vq_src_len(d);
    u->pos = u->base + (int64_t)upd->len;
    fz_output* out = NULL;
    fz_try(ctx)
        /* Unbuffered: every seek, tell and read-back sees all bytes written so far. */
        out = fz_new_output(ctx, 0, u, update_write, NULL, update_drop);
    fz_catch(ctx)
    {
        fz_drop_buffer(ctx, u->upd);
        fz_free(ctx, u);
        fz_rethrow(ctx);
    }
    out->seek = update_seek;
    out->tell = update_tell;
    out->truncate = update_truncate;
    out->as_stream = update_as_stream;
    return out;
}
