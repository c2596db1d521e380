/*
 * Annotation handles.
 *
 * The caller never sees the library's annotation pointer: that memory is released when its page
 * is reloaded, and a new annotation made later may be given the same address, which would make
 * an ended handle look valid again. A handle is instead a number: the index of a slot in the
 * document's handle table and a stamp drawn from a process-wide counter that never repeats. A
 * slot is emptied when its annotation goes (page reloaded or released, annotation deleted, the
 * document reopened or closed), so an ended handle, a handle of another document, or any other
 * number never names a live annotation again.
 *
 * While an annotation lives, every hand-out gives the same handle, so handles compare equal
 * exactly when they name the same annotation.
 */
#include "annot-internal.h"

#include <stdint.h>
#include <stdlib.h>
#include <string.h>

/* A handle is stamp << SLOT_BITS | (slot index + 1). */
#define SLOT_BITS 24
#define SLOT_MASK ((UINT64_C(1) << SLOT_BITS) - 1)
#define MAX_SLOTS ((int)SLOT_MASK - 1)
#define MAX_STAMP (UINT64_C(1) << (64 - SLOT_BITS - 1))

_Static_assert(sizeof(void*) >= sizeof(uint64_t), "handles are 64-bit numbers");

static uint64_t next_stamp = 1;

static uint64_t take_stamp(void)
{
    return __atomic_fetch_add(&next_stamp, 1, __ATOMIC_RELAXED);
}

static size_t hash_annot(const pdf_annot* a, int cap)
{
    uint64_t v = (uint64_t)(uintptr_t)a;
    v ^= v >> 33;
    v *= UINT64_C(0xff51afd7ed558ccd);
    v ^= v >> 33;
    return (size_t)(v & (uint64_t)(cap - 1));
}

/* Rebuilds the annotation -> slot index from the live slots; -1 when memory runs out. */
static int rebuild_index(struct document* d)
{
    int live = d->handle_count - d->handle_free_count;
    int cap = 16;
    while (cap < 2 * live + 2)
        cap *= 2;
    if (cap != d->handle_index_cap)
    {
        int* index = (int*)calloc((size_t)cap, sizeof *index);
        if (!index)
            return -1;
        free(d->handle_index);
        d->handle_index = index;
        d->handle_index_cap = cap;
    }
    else
        memset(d->handle_index, 0, (size_t)cap * sizeof *d->handle_index);
    for (int i = 0; i < d->handle_count; i++)
    {
        if (!d->handles[i].stamp)
            continue;
        size_t h = hash_annot(d->handles[i].annot, cap);
        while (d->handle_index[h])
            h = (h + 1) & (size_t)(cap - 1);
        d->handle_index[h] = i + 1;
    }
    d->handle_index_stale = 0;
    return 0;
}

/* The slot of a live annotation, or -1. */
static int find_slot(struct document* d, const pdf_annot* a)
{
    if (d->handle_index_stale && rebuild_index(d) != 0)
    {
        /* Without an index the table is searched from end to end. */
        for (int i = 0; i < d->handle_count; i++)
            if (d->handles[i].stamp && d->handles[i].annot == a)
                return i;
        return -1;
    }
    if (!d->handle_index_cap)
        return -1;
    size_t h = hash_annot(a, d->handle_index_cap);
    while (d->handle_index[h])
    {
        int i = d->handle_index[h] - 1;
        if (d->handles[i].stamp && d->handles[i].annot == a)
            return i;
        h = (h + 1) & (size_t)(d->handle_index_cap - 1);
    }
    return -1;
}

static vq_annot* encode(const struct vq_handle_slot* s, int i)
{
    return (vq_annot*)(uintptr_t)((s->stamp << SLOT_BITS) | (uint64_t)(i + 1));
}

/* A free slot index, growing the table as needed; -1 when full or out of memory. */
static int take_slot(struct document* d)
{
    if (d->handle_free_count > 0)
        return d->handle_free[--d->handle_free_count];
    if (d->handle_count >= MAX_SLOTS)
        return -1;
    if (d->handle_count == d->handle_cap)
    {
        int cap = d->handle_cap ? d->handle_cap * 2 : 32;
        struct vq_handle_slot* slots = (struct vq_handle_slot*)realloc(d->handles, (size_t)cap * sizeof *slots);
        if (!slots)
            return -1;
        d->handles = slots;
        int* spare = (int*)realloc(d->handle_free, (size_t)cap * sizeof *spare);
        if (!spare)
            return -1;
        d->handle_free = spare;
        d->handle_cap = cap;
    }
    return d->handle_count++;
}

vq_annot* vq_handle_of(struct document* d, struct page_t* owner, pdf_annot* a)
{
    if (!d || !owner || !a)
        return NULL;
    int i = find_slot(d, a);
    if (i >= 0)
        return encode(&d->handles[i], i);
    uint64_t stamp = take_stamp();
    if (stamp >= MAX_STAMP)
        return NULL;
    i = take_slot(d);
    if (i < 0)
        return NULL;
    struct vq_handle_slot* s = &d->handles[i];
    s->stamp = stamp;
    s->annot = a;
    s->owner = owner;
    /* Keep the index at most half full; a stale one is rebuilt on the next look-up. */
    int live = d->handle_count - d->handle_free_count;
    if (!d->handle_index_stale && 2 * live + 2 <= d->handle_index_cap)
    {
        size_t h = hash_annot(a, d->handle_index_cap);
        while (d->handle_index[h])
            h = (h + 1) & (size_t)(d->handle_index_cap - 1);
        d->handle_index[h] = i + 1;
    }
    else
        d->handle_index_stale = 1;
    return encode(s, i);
}

pdf_annot* vq_annot_checked(struct document* d, const void* handle, struct page_t** owner)
{
    if (owner)
        *owner = NULL;
    if (!d || !handle || !d->pages || !d->doc)
        return NULL;
    uint64_t v = (uint64_t)(uintptr_t)handle;
    uint64_t i = (v & SLOT_MASK);
    uint64_t stamp = v >> SLOT_BITS;
    if (i == 0 || i > (uint64_t)d->handle_count || stamp == 0)
        return NULL;
    struct vq_handle_slot* s = &d->handles[i - 1];
    if (s->stamp != stamp || !s->owner || !s->owner->page)
        return NULL;
    if (owner)
        *owner = s->owner;
    return s->annot;
}

static void release_slot(struct document* d, int i)
{
    d->handles[i].stamp = 0;
    d->handles[i].annot = NULL;
    d->handles[i].owner = NULL;
    d->handle_free[d->handle_free_count++] = i;
    d->handle_index_stale = 1;
}

void vq_handles_forget_annot(struct document* d, pdf_annot* a)
{
    if (!d || !a)
        return;
    for (int i = 0; i < d->handle_count; i++)
        if (d->handles[i].stamp && d->handles[i].annot == a)
            release_slot(d, i);
}

void vq_handles_forget_page(struct document* d, struct page_t* pg)
{
    if (!d)
        return;
    for (int i = 0; i < d->handle_count; i++)
        if (d->handles[i].stamp && (!pg || d->handles[i].owner == pg))
            release_slot(d, i);
}

int vq_handles_on_page(struct document* d, struct page_t* pg)
{
    for (int i = 0; d && i < d->handle_count; i++)
        if (d->handles[i].stamp && d->handles[i].owner == pg)
            return 1;
    return 0;
}

void vq_handles_free(struct document* d)
{
    if (!d)
        return;
    free(d->handles);
    free(d->handle_free);
    free(d->handle_index);
    d->handles = NULL;
    d->handle_free = NULL;
    d->handle_index = NULL;
    d->handle_count = d->handle_cap = d->handle_free_count = d->handle_index_cap = 0;
    d->handle_index_stale = 0;
}

struct page_t* vq_owner_of(struct document* d, pdf_annot* a)
{
    if (!d || !a || !d->pages)
        return NULL;
    int i = find_slot(d, a);
    if (i >= 0)
        return d->handles[i].owner;
    pdf_page* pp = pdf_annot_page(d->ctx, a);
    for (int k = 0; pp && k < d->page_slots; k++)
        if (d->pages[k] && d->pages[k]->page == &pp->super)
            return d->pages[k];
    return NULL;
}
