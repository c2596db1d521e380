/*
 * Document outline (bookmarks): the library's outline tree with one accessor per field.
 */
#include "header.h"

#include <stdlib.h>

#define ITEM(o) ((fz_outline*)(o))

static vq_outline* load_outline(vq_document* d)
{
    if (!d)
        return NULL;
    vq_doc_lock(d);
    fz_context* ctx = d->ctx;
    fz_outline* tree = NULL;
    if (d->doc)
    {
        fz_try(ctx)
            tree = fz_load_outline(ctx, d->doc);
        fz_catch(ctx)
            tree = NULL;
    }
    /* The trees stay with the document (each call builds a new one) and go when it closes. */
    if (tree && d->outline_count == d->outline_cap)
    {
        int cap = d->outline_cap ? d->outline_cap * 2 : 4;
        fz_outline** list = (fz_outline**)realloc(d->outlines, (size_t)cap * sizeof *list);
        if (list)
        {
            d->outlines = list;
            d->outline_cap = cap;
        }
    }
    if (tree && d->outline_count < d->outline_cap)
        d->outlines[d->outline_count++] = tree;
    else if (tree)
    {
        fz_drop_outline(ctx, tree);
        tree = NULL;
    }
    vq_doc_unlock(d);
    return (vq_outline*)tree;
}

VQ_API vq_outline* vq_document_outline(vq_document* d)
{
    return load_outline(d);
}

VQ_API vq_outline* vq_doucment_outline(vq_document* d)
{
    return load_outline(d);
}

VQ_API const char* vq_outline_title(vq_outline* item)
{
    return item ? ITEM(item)->title : NULL;
}

VQ_API const char* vq_outline_url(vq_outline* item)
{
    return item ? ITEM(item)->uri : NULL;
}

/* Internal targets are "#page=…" links; an item without a target, or with a link outside the
   document, has no page. */
VQ_API int vq_outline_goto_page(vq_outline* item)
{
    if (!item || !ITEM(item)->uri || ITEM(item)->uri[0] != '#')
        return -1;
    return ITEM(item)->page.page;
}

VQ_API vq_point vq_outline_goto_page_point(vq_outline* item)
{
    vq_point p = {0, 0};
    if (item)
    {
        p.x = ITEM(item)->x;
        p.y = ITEM(item)->y;
    }
    return p;
}

VQ_API int vq_outline_is_open(vq_outline* item)
{
    return item ? ITEM(item)->is_open : 0;
}

VQ_API vq_outline* vq_outline_next(vq_outline* item)
{
    return item ? (vq_outline*)ITEM(item)->next : NULL;
}

VQ_API vq_outline* vq_outline_child(vq_outline* item)
{
    return item ? (vq_outline*)ITEM(item)->down : NULL;
}

VQ_API void vq_outline_rename(void)
{
}
