/*
 * Test seams for the appearance tests: an annotation's appearance and any object printed as
 * text with its references resolved, read straight from the document's objects.
 */
#include "header.h"

#include "vq-pdf-testing.h"

#include <string.h>

/* Prints obj with indirect references resolved up to a depth; /P and /Parent stay references
   (they lead back up the tree). A stream prints as its dictionary. */
static void print_resolved(fz_context* ctx, fz_output* out, pdf_obj* obj, int depth)
{
    if (pdf_is_indirect(ctx, obj))
    {
        if (depth <= 0)
        {
            fz_write_printf(ctx, out, "%d 0 R", pdf_to_num(ctx, obj));
            return;
        }
        obj = pdf_resolve_indirect(ctx, obj);
        depth--;
    }
    if (pdf_is_array(ctx, obj))
    {
        fz_write_string(ctx, out, "[");
        for (int i = 0; i < pdf_array_len(ctx, obj); i++)
        {
            fz_write_string(ctx, out, " ");
            print_resolved(ctx, out, pdf_array_get(ctx, obj, i), depth);
        }
        fz_write_string(ctx, out, " ]");
    }
    else if (pdf_is_dict(ctx, obj))
    {
        fz_write_string(ctx, out, "<<");
        for (int i = 0; i < pdf_dict_len(ctx, obj); i++)
        {
            pdf_obj* key = pdf_dict_get_key(ctx, obj, i);
            pdf_obj* val = pdf_dict_get_val(ctx, obj, i);
            fz_write_printf(ctx, out, " /%s ", pdf_to_name(ctx, key));
            if (pdf_name_eq(ctx, key, PDF_NAME(P)) || pdf_name_eq(ctx, key, PDF_NAME(Parent)))
                print_resolved(ctx, out, val, 0);
            else
                print_resolved(ctx, out, val, depth);
        }
        fz_write_string(ctx, out, " >>");
    }
    else
        pdf_print_obj(ctx, out, obj, 1, 1);
}

static void print_form(fz_context* ctx, fz_output* out, pdf_obj* form, const char* path, int level)
{
    fz_write_printf(ctx, out, "\n%%%%%% %s\n", path);
    print_resolved(ctx, out, form, 8);
    fz_write_printf(ctx, out, "\n%%%%%% %s content\n", path);
    fz_buffer* content = pdf_load_stream(ctx, form);
    fz_try(ctx)
        fz_write_data(ctx, out, content->data, content->len);
    fz_always(ctx)
        fz_drop_buffer(ctx, content);
    fz_catch(ctx)
        fz_rethrow(ctx);
    if (level >= 4)
        return;
    pdf_obj* xobjs = pdf_dict_getp(ctx, form, "Resources/XObject");
    for (int i = 0; i < pdf_dict_len(ctx, xobjs); i++)
    {
        pdf_obj* x = pdf_dict_get_val(ctx, xobjs, i);
        if (!pdf_name_eq(ctx, pdf_dict_get(ctx, x, PDF_NAME(Subtype)), PDF_NAME(Form)))
            continue;
        char sub[256];
        fz_snprintf(sub, sizeof sub, "%s/%s", path, pdf_to_name(ctx, pdf_dict_get_key(ctx, xobjs, i)));
        print_form(ctx, out, x, sub, level + 1);
    }
}

static char* to_text(fz_context* ctx, fz_buffer* buf)
{
    char* s = malloc(buf->len + 1);
    if (s)
    {
        memcpy(s, buf->data, buf->len);
        s[buf->len] = 0;
    }
    return s;
}

/* Runs a printer over obj into memory and returns what it wrote as a malloc'd string. */
static char* print_to_text(fz_context* ctx, size_t initial, void (*print)(fz_context*, fz_output*, pdf_obj*),
                           pdf_obj* obj)
{
    fz_buffer* buf = fz_new_buffer(ctx, initial);
    fz_output* out = NULL;
    fz_var(out);
    fz_try(ctx)
    {
        out = fz_new_output_with_buffer(ctx, buf);
        print(ctx, out, obj);
        fz_close_output(ctx, out);
    }
    fz_always(ctx)
        fz_drop_output(ctx, out);
    fz_catch(ctx)
    {
        fz_drop_buffer(ctx, buf);
        fz_rethrow(ctx);
    }
    char* result = to_text(ctx, buf);
    fz_drop_buffer(ctx, buf);
    return result;
}

static void print_annot_appearance(fz_context* ctx, fz_output* out, pdf_obj* annot)
{
    fz_write_string(ctx, out, "%%% Annot\n");
    print_resolved(ctx, out, annot, 1);
    print_form(ctx, out, pdf_dict_getp(ctx, annot, "AP/N"), "N", 0);
}

static void print_object(fz_context* ctx, fz_output* out, pdf_obj* obj)
{
    print_resolved(ctx, out, obj, 4);
}

VQ_API char* vq_test_annot_appearance(vq_document* d, int pagenum, int idx)
{
    if (!d || !d->pageobjs || pagenum < 0 || pagenum >= d->counts)
        return NULL;
    vq_doc_lock(d);
    fz_context* ctx = d->ctx;
    char* result = NULL;
    fz_var(result);
    fz_try(ctx)
    {
        pdf_obj* annot = pdf_array_get(ctx, pdf_dict_get(ctx, d->pageobjs[pagenum], PDF_NAME(Annots)), idx);
        if (pdf_is_stream(ctx, pdf_dict_getp(ctx, annot, "AP/N")))
            result = print_to_text(ctx, 1024, print_annot_appearance, annot);
    }
    fz_catch(ctx)
        result = NULL;
    vq_doc_unlock(d);
    return result;
}

VQ_API char* vq_test_object_text(vq_document* d, int num)
{
    if (!d)
        return NULL;
    vq_doc_lock(d);
    fz_context* ctx = d->ctx;
    char* result = NULL;
    pdf_obj* ref = NULL;
    fz_var(ref);
    fz_var(result);
    fz_try(ctx)
    {
        pdf_document* pdf = vq_pdf(d);
        if (num > 0 && num < pdf_xref_len(ctx, pdf))
        {
            ref = pdf_new_indirect(ctx, pdf, num, 0);
            result = print_to_text(ctx, 256, print_object, ref);
        }
    }
    fz_always(ctx)
        pdf_drop_obj(ctx, ref);
    fz_catch(ctx)
        result = NULL;
    vq_doc_unlock(d);
    return result;
}

VQ_API void vq_test_free(char* text)
{
    free(text);
}
