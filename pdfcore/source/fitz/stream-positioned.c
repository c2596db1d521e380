/*
 * A stream over bytes read by position.
 *
 * The library reads a document in two ways: on and on from one place (content streams, images,
 * the bytes a signature covers) and in short hops between scattered objects. After a seek this
 * stream reads a small block; every further block while reading on is twice as large, up to the
 * size of its buffer, so long runs cost few reads and hops read little. A seek to a place it
 * already holds (the library seeks before every read of a filtered stream, mostly to where it
 * already is) reads nothing.
 */
#include "header.h"

#include <errno.h>
#include <string.h>

#define FIRST_BLOCK 4096
#define LARGEST_BLOCK (64 * 1024)

typedef struct
{
    const vq_positioned_ops* ops;
    void* state;
    int64_t start;   /* position of buf[0] */
    size_t want;     /* size of the next read */
    unsigned char buf[LARGEST_BLOCK];
} positioned;

static int positioned_next(fz_context* ctx, fz_stream* stm, size_t max)
{
    (void)max;
    positioned* p = (positioned*)stm->state;
    const int64_t at = stm->pos;
    const int64_t len = p->ops->length(ctx, p->state);
    if (at >= len)
        return EOF;
    size_t n = p->want;
    if ((int64_t)n > len - at)
        n = (size_t)(len - at);
    const ptrdiff_t got = p->ops->read(ctx, p->state, at, p->buf, n);
    if (got < 0)
        fz_throw(ctx, FZ_ERROR_GENERIC, "cannot read the document's bytes at %lld", (long long)at);
    if (got == 0)
        return EOF;
    p->start = at;
    stm->rp = p->buf;
    stm->wp = p->buf + got;
    stm->pos = at + got;
    if (p->want < sizeof p->buf)
        p->want *= 2;
    return *stm->rp++;
}

static void positioned_seek(fz_context* ctx, fz_stream* stm, int64_t offset, int whence)
{
    positioned* p = (positioned*)stm->state;
    const int64_t len = p->ops->length(ctx, p->state);
    const int64_t here = stm->pos - (stm->wp - stm->rp);
    int64_t to = offset;
    if (whence == SEEK_CUR)
        to = here + offset;
    else if (whence == SEEK_END)
        to = len + offset;
    if (to < 0)
        to = 0;
    if (to > len)
        to = len;
    /* Already held: move inside the buffer. */
    if (to >= p->start && to <= stm->pos && stm->wp >= p->buf && stm->wp <= p->buf + sizeof p->buf)
    {
        stm->rp = p->buf + (to - p->start);
        return;
    }
    stm->pos = to;
    stm->rp = stm->wp = p->buf;
    p->start = to;
    p->want = FIRST_BLOCK;
}

static void positioned_drop(fz_context* ctx, void* state)
{
    positioned* p = (positioned*)state;
    if (p->ops->drop)
        p->ops->drop(ctx, p->state);
    fz_free(ctx, p);
}

static positioned* new_state(fz_context* ctx, const vq_positioned_ops* ops, void* state)
{
    positioned* p = NULL;
    fz_var(p);
    fz_try(ctx)
        p = fz_malloc_struct(ctx, positioned);
    fz_catch(ctx)
    {
        if (ops->drop)
            ops->drop(ctx, state);
        fz_rethrow(ctx);
    }
    p->ops = ops;
    p->state = state;
    p->start = 0;
    p->want = FIRST_BLOCK;
    return p;
}

fz_stream* vq_new_positioned_stream(fz_context* ctx, const vq_positioned_ops* ops, void* state)
{
    positioned* p = new_state(ctx, ops, state);
    /* On failure fz_new_stream releases the state through positioned_drop. */
    fz_stream* stm = fz_new_stream(ctx, p, positioned_next, positioned_drop);
    stm->seek = positioned_seek;
    stm->rp = stm->wp = p->buf;
    stm->pos = 0;
    return stm;
}
