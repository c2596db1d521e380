/*
 * The check of what was written to a file after a signature.
 *
 * A signature covers the file as it was when it was signed. Later incremental updates may add
 * further signatures and a few things that need none; anything else must make the earlier
 * signature fail. Two states of the document are compared, each read from the file's bytes
 * through a document of its own: the signed state (the bytes up to the end of the signed range)
 * and the current state (the whole file). Unsaved changes of the open document play no part.
 *
 * What lies after the signed range must be updates, and only updates:
 *   - the current chain of cross-reference sections must continue the signed one: the signed
 *     state's sections, in their order, and before them only sections of later updates;
 *   - every byte after the signed range belongs to an object or a cross-reference section of
 *     those updates, or is white space, "startxref n" or "%%EOF". Bytes that form no update
 *     (objects after the end of the file, with or without a startxref of their own) are a
 *     change, even where readers ignore them.
 *
 * What the later sections write is judged object by object:
 *   - an object of the signed state that is freed is a change, even when its number is used
 *     again; an object written again under another generation is a change;
 *   - an object of the signed state that is written again must be unchanged, or be one of the
 *     few objects a signature changes, changed only in the way a signature changes it:
 *       the catalogue           only /AcroForm (as below), /Metadata, /DSS, /Extensions
 *       the interactive form    /Fields may only gain signature fields; /SigFlags, /DA, /DR
 *       a page                  /Annots may only gain signature widgets
 *       an /Annots or /Fields array (indirect)  may only gain signature widgets or fields
 *       an empty signature field  may be signed (below), or gain only /Lock and /SV
 *       the document information and the XMP metadata  anything
 *   - a gained signature field or widget, and an empty field that gains a value, must carry a
 *     later signature that verifies, whose signed range covers the field and everything new it
 *     brings (so the field is exactly as that signature signed it), and, for a widget placed
 *     on a page, in whose signed revision the widget already sits on that page. A field
 *     without a value may be added when it shows nothing (no appearance, hidden, no area, or an
 *     empty appearance stream);
 *   - a new object must be part of what those rules let in (a later signature's material,
 *     document information, metadata, form resources, a new form or array that gained only
 *     signature fields, cross-reference and object streams); an object nothing accounts for
 *     is a change;
 *   - the trailer must keep the catalogue and the encryption of the signed document.
 *
 * A new signature field's /P is never followed: the page it names is judged by the rule for
 * pages, so a changed content stream or resource of that page is caught. No object is trusted
 * for merely carrying a key such as /Annots, /Root or /Fields.
 */
#include "vq-verify.h"

#include <stdlib.h>
#include <string.h>

enum
{
    ROLE_NONE = 0,
    ROLE_CATALOG,
    ROLE_ACROFORM,
    ROLE_FIELDS,
    ROLE_PAGE,
    ROLE_ANNOTS,
    ROLE_FREE_TO_CHANGE, /* document information, XMP metadata */
};

#define MAX_DEPTH 32

typedef struct later_value
{
    int num;
    int holds;
    int64_t end;
} later_value;

typedef struct prefix_doc
{
    int64_t end;
    pdf_document* doc;
} prefix_doc;

typedef struct appended_check
{
    fz_context* ctx;
    struct document* d;
    vq_reader* file;           /* the file's bytes */
    size_t len;
    int64_t end;               /* end of the signed range */
    pdf_document* old;         /* the document as signed */
    pdf_document* cur;         /* the document as the file holds it now */
    unsigned char* role;       /* ROLE_* by object number of the signed document */
    int role_len;
    int cur_len;
    int later_sections;        /* the first sections of cur that were written after signing */
    unsigned char* later;      /* by number: in use in a section written after signing */
    unsigned char* accounted;  /* by number: a new object that a rule lets in */
    int* walk_mark;            /* by number: the walk that last visited it */
    int* work;                 /* object numbers still to walk */
    int walk_id;
    int judging;               /* the object whose rewrite is being judged */
    later_value* values;       /* later signature values checked so far */
    int nvalues;
    prefix_doc* prefixes;      /* states of the file at the end of later signatures */
    int nprefixes;
} appended_check;

/* ---- value comparison ------------------------------------------------------------------- */

/* Two direct values (from different documents) are the same: references by object number and
   generation, everything else by value. */
static int same_value(fz_context* ctx, pdf_obj* a, pdf_obj* b, int depth)
{
    if (depth > MAX_DEPTH)
        return 0;
    if (!a || pdf_is_null(ctx, a))
        return !b || pdf_is_null(ctx, b);
    if (!b || pdf_is_null(ctx, b))
        return 0;
    if (pdf_is_indirect(ctx, a) || pdf_is_indirect(ctx, b))
        return pdf_is_indirect(ctx, a) && pdf_is_indirect(ctx, b) && pdf_to_num(ctx, a) == pdf_to_num(ctx, b) &&
               pdf_to_gen(ctx, a) == pdf_to_gen(ctx, b);
    if (pdf_is_number(ctx, a) || pdf_is_number(ctx, b))
    {
        if (!pdf_is_number(ctx, a) || !pdf_is_number(ctx, b))
            return 0;
        if (pdf_is_int(ctx, a) && pdf_is_int(ctx, b))
            return pdf_to_int64(ctx, a) == pdf_to_int64(ctx, b);
        return pdf_to_real(ctx, a) == pdf_to_real(ctx, b);
    }
    if (pdf_is_bool(ctx, a) || pdf_is_bool(ctx, b))
        return pdf_is_bool(ctx, a) && pdf_is_bool(ctx, b) && pdf_to_bool(ctx, a) == pdf_to_bool(ctx, b);
    if (pdf_is_name(ctx, a) || pdf_is_name(ctx, b))
        return pdf_is_name(ctx, a) && pdf_is_name(ctx, b) && !strcmp(pdf_to_name(ctx, a), pdf_to_name(ctx, b));
    if (pdf_is_string(ctx, a) || pdf_is_string(ctx, b))
    {
        if (!pdf_is_string(ctx, a) || !pdf_is_string(ctx, b))
            return 0;
        size_t n = pdf_to_str_len(ctx, a);
        return n == pdf_to_str_len(ctx, b) && (n == 0 || !memcmp(pdf_to_str_buf(ctx, a), pdf_to_str_buf(ctx, b), n));
    }
    if (pdf_is_array(ctx, a) || pdf_is_array(ctx, b))
    {
        if (!pdf_is_array(ctx, a) || !pdf_is_array(ctx, b))
            return 0;
        int n = pdf_array_len(ctx, a);
        if (n != pdf_array_len(ctx, b))
            return 0;
        for (int i = 0; i < n; i++)
            if (!same_value(ctx, pdf_array_get(ctx, a, i), pdf_array_get(ctx, b, i), depth + 1))
                return 0;
        return 1;
    }
    if (pdf_is_dict(ctx, a) || pdf_is_dict(ctx, b))
    {
        if (!pdf_is_dict(ctx, a) || !pdf_is_dict(ctx, b))
            return 0;
        int n = pdf_dict_len(ctx, a);
        if (n != pdf_dict_len(ctx, b))
            return 0;
        for (int i = 0; i < n; i++)
            if (!same_value(ctx, pdf_dict_get_val(ctx, a, i), pdf_dict_get(ctx, b, pdf_dict_get_key(ctx, a, i)),
                            depth + 1))
                return 0;
        return 1;
    }
    return 0;
}

/* The raw stream data of object num is the same in both documents. */
static int same_stream(appended_check* c, int num)
{
    fz_context* ctx = c->ctx;
    int old_is = pdf_obj_num_is_stream(ctx, c->old, num);
    int cur_is = pdf_obj_num_is_stream(ctx, c->cur, num);
    if (!old_is && !cur_is)
        return 1;
    if (!old_is || !cur_is)
        return 0;
    fz_buffer* a = NULL;
    fz_buffer* b = NULL;
    int same = 0;
    fz_var(same);
    fz_var(a);
    fz_var(b);
    fz_try(ctx)
    {
        a = pdf_load_raw_stream_number(ctx, c->old, num);
        b = pdf_load_raw_stream_number(ctx, c->cur, num);
        unsigned char *da, *db;
        size_t na = fz_buffer_storage(ctx, a, &da), nb = fz_buffer_storage(ctx, b, &db);
        same = na == nb && (na == 0 || !memcmp(da, db, na));
    }
    fz_always(ctx)
    {
        fz_drop_buffer(ctx, a);
        fz_drop_buffer(ctx, b);
    }
    fz_catch(ctx)
        same = 0;
    return same;
}

/* ---- objects of the two states ---------------------------------------------------------- */

static int in_use(fz_context* ctx, pdf_document* doc, int num)
{
    if (num <= 0 || num >= pdf_xref_len(ctx, doc))
        return 0;
    pdf_xref_entry* e = pdf_get_xref_entry_no_null(ctx, doc, num);
    return e->type == 'n' || e->type == 'o';
}

/* The generation of an object in use (objects inside object streams have generation 0). */
static int generation(fz_context* ctx, pdf_document* doc, int num)
{
    pdf_xref_entry* e = pdf_get_xref_entry_no_null(ctx, doc, num);
    return e->type == 'o' ? 0 : e->gen;
}

/* An object that the signed document did not have. */
static int is_new(appended_check* c, int num)
{
    return num > 0 && num < c->cur_len && in_use(c->ctx, c->cur, num) && !in_use(c->ctx, c->old, num);
}

/* Where the current version of an object is written: its own offset, or that of the object
   stream holding it; -1 when unknown. */
static int64_t object_offset(appended_check* c, int num)
{
    fz_context* ctx = c->ctx;
    if (!in_use(ctx, c->cur, num))
        return -1;
    pdf_xref_entry* e = pdf_get_xref_entry_no_null(ctx, c->cur, num);
    if (e->type == 'n')
        return e->ofs;
    int container = (int)e->ofs;
    if (container <= 0 || container == num || !in_use(ctx, c->cur, container))
        return -1;
    pdf_xref_entry* s = pdf_get_xref_entry_no_null(ctx, c->cur, container);
    return s->type == 'n' ? s->ofs : -1;
}

/* ---- accounting for new objects --------------------------------------------------------- */

/* Queues the new objects a direct value refers to. 0 when one lies at or beyond `limit`
   (limit > 0) or the value is nested too deeply. */
static int walk_value(appended_check* c, pdf_obj* v, int64_t limit, int* top, int depth)
{
    fz_context* ctx = c->ctx;
    if (depth > MAX_DEPTH)
        return 0;
    if (pdf_is_indirect(ctx, v))
    {
        int num = pdf_to_num(ctx, v);
        if (!is_new(c, num) || c->walk_mark[num] == c->walk_id)
            return 1;
        if (limit > 0)
        {
            int64_t ofs = object_offset(c, num);
            if (ofs < 0 || ofs >= limit)
                return 0;
        }
        c->walk_mark[num] = c->walk_id;
        c->accounted[num] = 1;
        c->work[(*top)++] = num;
        return 1;
    }
    if (pdf_is_array(ctx, v))
    {
        int n = pdf_array_len(ctx, v);
        for (int i = 0; i < n; i++)
            if (!walk_value(c, pdf_array_get(ctx, v, i), limit, top, depth + 1))
                return 0;
    }
    else if (pdf_is_dict(ctx, v))
    {
        int n = pdf_dict_len(ctx, v);
        for (int i = 0; i < n; i++)
            if (!walk_value(c, pdf_dict_get_val(ctx, v, i), limit, top, depth + 1))
                return 0;
    }
    return 1;
}

/* Lets in every new object that `value` (a direct value, or the contents of an object)
   refers to, directly or through other new objects. Old objects end the walk: they are judged
   as objects of the signed document. With limit > 0 every such object must lie before limit.
   1, or 0 when one does not. */
static int account(appended_check* c, pdf_obj* value, int64_t limit)
{
    fz_context* ctx = c->ctx;
    int top = 0;
    c->walk_id++;
    if (!walk_value(c, value, limit, &top, 0))
        return 0;
    while (top > 0)
    {
        int num = c->work[--top];
        pdf_obj* o = pdf_load_object(ctx, c->cur, num);
        int ok = 0;
        fz_var(ok);
        fz_try(ctx)
            ok = walk_value(c, o, limit, &top, 0);
        fz_always(ctx)
            pdf_drop_obj(ctx, o);
        fz_catch(ctx)
            fz_rethrow(ctx);
        if (!ok)
            return 0;
    }
    return 1;
}

/* Lets in one new object by itself (a form or an array whose contents the rules judge). */
static void account_itself(appended_check* c, pdf_obj* ref)
{
    if (!pdf_is_indirect(c->ctx, ref))
        return;
    int num = pdf_to_num(c->ctx, ref);
    if (is_new(c, num))
        c->accounted[num] = 1;
}

/* ---- later signatures ------------------------------------------------------------------- */

/* The value `num` is a later signature that verifies: 1 with the end of its signed range. */
static int later_signature(appended_check* c, int num, int64_t* end)
{
    for (int i = 0; i < c->nvalues; i++)
        if (c->values[i].num == num)
        {
            *end = c->values[i].end;
            return c->values[i].holds;
        }
    later_value v = {num, 0, 0};
    v.holds = vq_verify_value_holds(c->d, c->cur, num, &v.end) && v.end > c->end;
    later_value* grown = fz_realloc_array(c->ctx, c->values, c->nvalues + 1, later_value);
    c->values = grown;
    c->values[c->nvalues++] = v;
    *end = v.end;
    return v.holds;
}

/* The document as the first len bytes of the file hold it. */
static pdf_document* open_state(fz_context* ctx, struct document* d, size_t len, const char* password)
{
    fz_stream* stm = NULL;
    pdf_document* pdf = NULL;
    fz_var(stm);
    fz_var(pdf);
    fz_try(ctx)
    {
        stm = vq_src_open_stream(ctx, d, (int64_t)len);
        pdf = pdf_open_document_with_stream(ctx, stm);
        if (pdf_needs_password(ctx, pdf))
            pdf_authenticate_password(ctx, pdf, password ? password : "");
    }
    fz_always(ctx)
        fz_drop_stream(ctx, stm);
    fz_catch(ctx)
    {
        pdf_drop_document(ctx, pdf);
        return NULL;
    }
    if (pdf->repair_attempted)
    {
        pdf_drop_document(ctx, pdf);
        return NULL;
    }
    return pdf;
}

/* The file as it was when the signature ending at `end` was made. */
static pdf_document* state_at(appended_check* c, int64_t end)
{
    for (int i = 0; i < c->nprefixes; i++)
        if (c->prefixes[i].end == end)
            return c->prefixes[i].doc;
    pdf_document* doc = open_state(c->ctx, c->d, (size_t)end, c->d->password);
    if (!doc)
        return NULL;
    fz_try(c->ctx)
        c->prefixes = fz_realloc_array(c->ctx, c->prefixes, c->nprefixes + 1, prefix_doc);
    fz_catch(c->ctx)
    {
        pdf_drop_document(c->ctx, doc);
        fz_rethrow(c->ctx);
    }
    c->prefixes[c->nprefixes].end = end;
    c->prefixes[c->nprefixes].doc = doc;
    c->nprefixes++;
    return doc;
}

/* In the state `doc`, the array `container` (or the /Annots of the page `container`) holds a
   reference to object num. */
static int container_holds(appended_check* c, pdf_document* doc, int container, int is_page, int num)
{
    fz_context* ctx = c->ctx;
    if (!in_use(ctx, doc, container))
        return 0;
    pdf_obj* o = pdf_load_object(ctx, doc, container);
    int found = 0;
    fz_try(ctx)
    {
        pdf_obj* arr = is_page ? pdf_dict_get(ctx, o, PDF_NAME(Annots)) : o;
        int n = pdf_array_len(ctx, arr);
        for (int i = 0; i < n && !found; i++)
        {
            pdf_obj* e = pdf_array_get(ctx, arr, i);
            found = pdf_is_indirect(ctx, e) && pdf_to_num(ctx, e) == num;
        }
    }
    fz_always(ctx)
        pdf_drop_obj(ctx, o);
    fz_catch(ctx)
        fz_rethrow(ctx);
    return found;
}

/* A stream whose decoded contents are white space only draws nothing. */
static int stream_draws_nothing(fz_context* ctx, pdf_obj* stm)
{
    if (!pdf_is_stream(ctx, stm))
        return 0;
    fz_buffer* buf = NULL;
    int empty = 0;
    fz_var(buf);
    fz_var(empty);
    fz_try(ctx)
    {
        buf = pdf_load_stream(ctx, stm);
        unsigned char* p;
        size_t n = fz_buffer_storage(ctx, buf, &p);
        empty = 1;
        for (size_t i = 0; i < n && empty; i++)
            if (!(p[i] == 0 || p[i] == '\t' || p[i] == '\n' || p[i] == '\f' || p[i] == '\r' || p[i] == ' '))
                empty = 0;
    }
    fz_always(ctx)
        fz_drop_buffer(ctx, buf);
    fz_catch(ctx)
        empty = 0;
    return empty;
}

/* A widget shows something: it has an appearance that draws, in a rectangle with an area, and
   is not hidden. */
static int shows_something(fz_context* ctx, pdf_obj* field)
{
    pdf_obj* ap = pdf_dict_get(ctx, field, PDF_NAME(AP));
    if (!pdf_is_dict(ctx, ap))
        return 0;
    int flags = pdf_dict_get_int(ctx, field, PDF_NAME(F));
    if (flags & (2 | 32)) /* Hidden, NoView */
        return 0;
    fz_rect r = pdf_dict_get_rect(ctx, field, PDF_NAME(Rect));
    if (r.x1 - r.x0 <= 0 || r.y1 - r.y0 <= 0)
        return 0;
    pdf_obj* kinds[3] = {PDF_NAME(N), PDF_NAME(R), PDF_NAME(D)};
    for (int k = 0; k < 3; k++)
    {
        pdf_obj* a = pdf_dict_get(ctx, ap, kinds[k]);
        if (!a || pdf_is_null(ctx, a))
            continue;
        if (pdf_is_stream(ctx, a))
        {
            if (!stream_draws_nothing(ctx, a))
                return 1;
            continue;
        }
        if (!pdf_is_dict(ctx, a))
            return 1;
        int n = pdf_dict_len(ctx, a);
        for (int i = 0; i < n; i++)
            if (!stream_draws_nothing(ctx, pdf_dict_get_val(ctx, a, i)))
                return 1;
    }
    return 0;
}

/* A signature field (or widget) `ref` that appears after signing, or that gains a value:
   signed by a later signature that covers it and what it brings, or unsigned and showing
   nothing. container (> 0) is the page (is_page) or /Annots array it was placed in. */
static int field_ok(appended_check* c, pdf_obj* ref, int container, int is_page)
{
    fz_context* ctx = c->ctx;
    pdf_obj* field = pdf_resolve_indirect_chain(ctx, ref);
    if (!pdf_is_dict(ctx, field))
        return 0;
    pdf_obj* vref = pdf_dict_get_inheritable(ctx, field, PDF_NAME(V));
    if (!vref || pdf_is_null(ctx, vref))
    {
        if (shows_something(ctx, field))
            return 0;
        account_itself(c, ref);
        return account(c, field, 0);
    }
    int64_t end = 0;
    if (!pdf_is_indirect(ctx, vref) || !later_signature(c, pdf_to_num(ctx, vref), &end))
        return 0;
    /* The field as it stands now is the one the later signature signed. */
    if (pdf_is_indirect(ctx, ref))
    {
        int64_t ofs = object_offset(c, pdf_to_num(ctx, ref));
        if (ofs < 0 || ofs >= end)
            return 0;
    }
    if (container > 0)
    {
        pdf_document* then = state_at(c, end);
        if (!then || !pdf_is_indirect(ctx, ref) || !container_holds(c, then, container, is_page, pdf_to_num(ctx, ref)))
            return 0;
    }
    account_itself(c, ref);
    return account(c, field, end);
}

/* ---- what a signature update may change ------------------------------------------------- */

static int is_sig_field(fz_context* ctx, pdf_obj* o)
{
    pdf_obj* d = pdf_resolve_indirect_chain(ctx, o);
    return pdf_is_dict(ctx, d) && pdf_name_eq(ctx, pdf_dict_get_inheritable(ctx, d, PDF_NAME(FT)), PDF_NAME(Sig));
}

static int is_sig_widget(fz_context* ctx, pdf_obj* o)
{
    pdf_obj* d = pdf_resolve_indirect_chain(ctx, o);
    return is_sig_field(ctx, d) && pdf_name_eq(ctx, pdf_dict_get(ctx, d, PDF_NAME(Subtype)), PDF_NAME(Widget));
}

/* The new array holds the old one's elements in their order, and whatever it holds besides
   are signature widgets (annots) or signature fields (not annots) that field_ok lets in.
   Either array may be missing. */
static int array_only_gains(appended_check* c, pdf_obj* old_arr, pdf_obj* new_arr, int annots, int container,
                            int is_page)
{
    fz_context* ctx = c->ctx;
    int no = pdf_is_array(ctx, old_arr) ? pdf_array_len(ctx, old_arr) : 0;
    int nn = pdf_is_array(ctx, new_arr) ? pdf_array_len(ctx, new_arr) : 0;
    if ((old_arr && !pdf_is_null(ctx, old_arr) && !pdf_is_array(ctx, old_arr)) ||
        (new_arr && !pdf_is_null(ctx, new_arr) && !pdf_is_array(ctx, new_arr)))
        return 0;
    int i = 0;
    for (int j = 0; j < nn; j++)
    {
        pdf_obj* e = pdf_array_get(ctx, new_arr, j);
        if (i < no && same_value(ctx, pdf_array_get(ctx, old_arr, i), e, 0))
        {
            i++;
            continue;
        }
        if (!pdf_is_indirect(ctx, e))
            return 0;
        if (!(annots ? is_sig_widget(ctx, e) : is_sig_field(ctx, e)))
            return 0;
        if (!field_ok(c, e, container, is_page))
            return 0;
    }
    return i == no;
}

typedef int (*key_rule)(appended_check* c, pdf_obj* key, pdf_obj* oldv, pdf_obj* newv);

/* Every key whose value differs between the two dictionaries is one the rule allows. */
static int dict_changes_allowed(appended_check* c, pdf_obj* old_dict, pdf_obj* new_dict, key_rule rule)
{
    fz_context* ctx = c->ctx;
    if (!pdf_is_dict(ctx, old_dict) || !pdf_is_dict(ctx, new_dict))
        return 0;
    int n = pdf_dict_len(ctx, old_dict);
    for (int i = 0; i < n; i++)
    {
        pdf_obj* key = pdf_dict_get_key(ctx, old_dict, i);
        pdf_obj* ov = pdf_dict_get_val(ctx, old_dict, i);
        pdf_obj* nv = pdf_dict_get(ctx, new_dict, key);
        if (!same_value(ctx, ov, nv, 0) && !rule(c, key, ov, nv))
            return 0;
    }
    n = pdf_dict_len(ctx, new_dict);
    for (int i = 0; i < n; i++)
    {
        pdf_obj* key = pdf_dict_get_key(ctx, new_dict, i);
        if (pdf_dict_get(ctx, old_dict, key))
            continue;
        if (!rule(c, key, NULL, pdf_dict_get_val(ctx, new_dict, i)))
            return 0;
    }
    return 1;
}

/* Old values resolve in the signed document, new ones in the current one: an indirect value is
   the object itself. */
static int fields_rule(appended_check* c, pdf_obj* key, pdf_obj* oldv, pdf_obj* newv)
{
    fz_context* ctx = c->ctx;
    if (pdf_name_eq(ctx, key, PDF_NAME(Fields)))
    {
        if (!array_only_gains(c, pdf_resolve_indirect_chain(ctx, oldv), pdf_resolve_indirect_chain(ctx, newv), 0, 0, 0))
            return 0;
        account_itself(c, newv);
        return 1;
    }
    if (pdf_name_eq(ctx, key, PDF_NAME(DR)))
        return account(c, newv, 0);
    return pdf_name_eq(ctx, key, PDF_NAME(SigFlags)) || pdf_name_eq(ctx, key, PDF_NAME(DA));
}

static int acroform_allowed(appended_check* c, pdf_obj* old_form, pdf_obj* new_form)
{
    fz_context* ctx = c->ctx;
    if (old_form && !pdf_is_null(ctx, old_form))
        return dict_changes_allowed(c, old_form, new_form, fields_rule);
    /* A form made by the update: compared with an empty one. */
    pdf_obj* empty = pdf_new_dict(ctx, c->old, 1);
    int ok = 0;
    fz_var(ok);
    fz_try(ctx)
        ok = dict_changes_allowed(c, empty, new_form, fields_rule);
    fz_always(ctx)
        pdf_drop_obj(ctx, empty);
    fz_catch(ctx)
        fz_rethrow(ctx);
    return ok;
}

static int catalog_rule(appended_check* c, pdf_obj* key, pdf_obj* oldv, pdf_obj* newv)
{
    fz_context* ctx = c->ctx;
    if (pdf_name_eq(ctx, key, PDF_NAME(AcroForm)))
    {
        if (!acroform_allowed(c, pdf_resolve_indirect_chain(ctx, oldv), pdf_resolve_indirect_chain(ctx, newv)))
            return 0;
        account_itself(c, newv);
        return 1;
    }
    /* The document security store (validation data of signatures) and the extension level that
       announces it are signature material too; the metadata may change freely. */
    const char* name = pdf_to_name(ctx, key);
    if (pdf_name_eq(ctx, key, PDF_NAME(Metadata)) || !strcmp(name, "DSS") || !strcmp(name, "Extensions"))
        return account(c, newv, 0);
    return 0;
}

static int page_rule(appended_check* c, pdf_obj* key, pdf_obj* oldv, pdf_obj* newv)
{
    fz_context* ctx = c->ctx;
    if (pdf_name_eq(ctx, key, PDF_NAME(Annots)))
    {
        if (!array_only_gains(c, pdf_resolve_indirect_chain(ctx, oldv), pdf_resolve_indirect_chain(ctx, newv), 1,
                              c->judging, 1))
            return 0;
        account_itself(c, newv);
        return 1;
    }
    return 0;
}

/* A signature field that was empty when the document was signed may be signed later (any of
   these keys then change with its value); without a value it may only gain a lock. */
static int signed_field_rule(appended_check* c, pdf_obj* key, pdf_obj* oldv, pdf_obj* newv)
{
    static const char* allowed[] = {"V", "AP", "AS", "F", "Lock", "SV", "MK", "DA", "DR", "Addinfo"};
    (void)oldv;
    (void)newv;
    const char* name = pdf_to_name(c->ctx, key);
    for (size_t i = 0; i < sizeof allowed / sizeof allowed[0]; i++)
        if (!strcmp(name, allowed[i]))
            return 1;
    return 0;
}

static int unsigned_field_rule(appended_check* c, pdf_obj* key, pdf_obj* oldv, pdf_obj* newv)
{
    (void)oldv;
    (void)newv;
    const char* name = pdf_to_name(c->ctx, key);
    return !strcmp(name, "Lock") || !strcmp(name, "SV");
}

static int empty_field_allowed(appended_check* c, int num, pdf_obj* oldo, pdf_obj* newo)
{
    fz_context* ctx = c->ctx;
    if (!is_sig_field(ctx, oldo) || pdf_dict_get_inheritable(ctx, oldo, PDF_NAME(V)) || !is_sig_field(ctx, newo))
        return 0;
    pdf_obj* v = pdf_dict_get_inheritable(ctx, newo, PDF_NAME(V));
    if (!v || pdf_is_null(ctx, v))
        return dict_changes_allowed(c, oldo, newo, unsigned_field_rule) && account(c, newo, 0);
    if (!dict_changes_allowed(c, oldo, newo, signed_field_rule))
        return 0;
    pdf_obj* ref = pdf_new_indirect(ctx, c->cur, num, generation(ctx, c->cur, num));
    int ok = 0;
    fz_try(ctx)
        ok = field_ok(c, ref, 0, 0);
    fz_always(ctx)
        pdf_drop_obj(ctx, ref);
    fz_catch(ctx)
        fz_rethrow(ctx);
    return ok;
}

/* ---- the signed document's objects ------------------------------------------------------- */

static void set_role(appended_check* c, pdf_obj* ref, int role)
{
    if (!pdf_is_indirect(c->ctx, ref))
        return;
    int num = pdf_to_num(c->ctx, ref);
    if (num > 0 && num < c->role_len && c->role[num] == ROLE_NONE)
        c->role[num] = (unsigned char)role;
}

static void find_roles(appended_check* c)
{
    fz_context* ctx = c->ctx;
    pdf_obj* trailer = pdf_trailer(ctx, c->old);
    pdf_obj* root = pdf_dict_get(ctx, trailer, PDF_NAME(Root));
    set_role(c, root, ROLE_CATALOG);
    set_role(c, pdf_dict_get(ctx, trailer, PDF_NAME(Info)), ROLE_FREE_TO_CHANGE);
    set_role(c, pdf_dict_get(ctx, root, PDF_NAME(Metadata)), ROLE_FREE_TO_CHANGE);
    pdf_obj* form = pdf_dict_get(ctx, root, PDF_NAME(AcroForm));
    set_role(c, form, ROLE_ACROFORM);
    set_role(c, pdf_dict_get(ctx, form, PDF_NAME(Fields)), ROLE_FIELDS);
    int pages = pdf_count_pages(ctx, c->old);
    for (int i = 0; i < pages; i++)
    {
        pdf_obj* page = pdf_lookup_page_obj(ctx, c->old, i);
        set_role(c, page, ROLE_PAGE);
        set_role(c, pdf_dict_get(ctx, page, PDF_NAME(Annots)), ROLE_ANNOTS);
    }
}

/* Object num existed when the document was signed and was written again later. */
static int rewritten_object_allowed(appended_check* c, int num)
{
    fz_context* ctx = c->ctx;
    if (!in_use(ctx, c->cur, num) || generation(ctx, c->cur, num) != generation(ctx, c->old, num))
        return 0;
    pdf_obj* oldo = pdf_load_object(ctx, c->old, num);
    pdf_obj* newo = NULL;
    int ok = 0;
    fz_var(ok);
    fz_var(newo);
    fz_try(ctx)
    {
        newo = pdf_load_object(ctx, c->cur, num);
        int role = num < c->role_len ? c->role[num] : ROLE_NONE;
        c->judging = num;
        if (role == ROLE_FREE_TO_CHANGE)
            ok = account(c, newo, 0);
        else if (same_value(ctx, oldo, newo, 0) && same_stream(c, num))
            ok = 1;
        else if (pdf_obj_num_is_stream(ctx, c->old, num) || pdf_obj_num_is_stream(ctx, c->cur, num))
            ok = 0; /* content streams, pictures, fonts … */
        else
        {
            switch (role)
            {
            case ROLE_CATALOG:
                ok = dict_changes_allowed(c, oldo, newo, catalog_rule);
                break;
            case ROLE_ACROFORM:
                ok = acroform_allowed(c, oldo, newo);
                break;
            case ROLE_FIELDS:
                ok = array_only_gains(c, oldo, newo, 0, 0, 0);
                break;
            case ROLE_ANNOTS:
                ok = array_only_gains(c, oldo, newo, 1, num, 0);
                break;
            case ROLE_PAGE:
                ok = dict_changes_allowed(c, oldo, newo, page_rule);
                break;
            default:
                ok = empty_field_allowed(c, num, oldo, newo);
                break;
            }
        }
    }
    fz_always(ctx)
    {
        pdf_drop_obj(ctx, oldo);
        pdf_drop_obj(ctx, newo);
    }
    fz_catch(ctx)
        fz_rethrow(ctx);
    return ok;
}

/* The trailer keeps the catalogue and the encryption of the signed document; new document
   information is let in. */
static int trailer_allowed(appended_check* c)
{
    fz_context* ctx = c->ctx;
    pdf_obj* ot = pdf_trailer(ctx, c->old);
    pdf_obj* nt = pdf_trailer(ctx, c->cur);
    pdf_obj* oroot = pdf_dict_get(ctx, ot, PDF_NAME(Root));
    pdf_obj* nroot = pdf_dict_get(ctx, nt, PDF_NAME(Root));
    if (!pdf_is_indirect(ctx, oroot) || !same_value(ctx, oroot, nroot, 0))
        return 0;
    if (!same_value(ctx, pdf_dict_get(ctx, ot, PDF_NAME(Encrypt)), pdf_dict_get(ctx, nt, PDF_NAME(Encrypt)), 0))
        return 0;
    return account(c, pdf_dict_get(ctx, nt, PDF_NAME(Info)), 0);
}

/* ---- the bytes after the signed range --------------------------------------------------- */

static int is_white(unsigned char ch)
{
    return ch == 0 || ch == '\t' || ch == '\n' || ch == '\f' || ch == '\r' || ch == ' ';
}

typedef struct span
{
    int64_t a, b;
} span;

typedef struct spans
{
    span* v;
    int n, cap;
} spans;

static void add_span(fz_context* ctx, spans* s, int64_t a, int64_t b)
{
    if (s->n == s->cap)
    {
        int cap = s->cap ? 2 * s->cap : 16;
        s->v = fz_realloc_array(ctx, s->v, cap, span);
        s->cap = cap;
    }
    s->v[s->n].a = a;
    s->v[s->n].b = b;
    s->n++;
}

static int by_start(const void* x, const void* y)
{
    const span* a = x;
    const span* b = y;
    return a->a < b->a ? -1 : a->a > b->a ? 1 : 0;
}

/* The extent [ofs, end) of the object written at ofs, "num gen obj … endobj" (a stream through
   its /Length and "endstream"); its number into *num. 0, or -1 when the text is not that. */
static int object_extent(appended_check* c, fz_stream* stm, int64_t ofs, int* num, int* gen, int64_t* end)
{
    fz_context* ctx = c->ctx;
    pdf_obj* obj = NULL;
    int ok = 0;
    pdf_lexbuf lb;
    pdf_lexbuf_init(ctx, &lb, PDF_LEXBUF_SMALL);
    fz_var(obj);
    fz_var(ok);
    fz_try(ctx)
    {
        int64_t stm_ofs = 0;
        int repair = 0;
        fz_seek(ctx, stm, ofs, SEEK_SET);
        obj = pdf_parse_ind_obj(ctx, c->cur, stm, num, gen, &stm_ofs, &repair);
        if (!repair)
        {
            if (stm_ofs > 0)
            {
                int64_t length = pdf_to_int64(ctx, pdf_dict_get(ctx, obj, PDF_NAME(Length)));
                if (length >= 0 && stm_ofs <= (int64_t)c->len && length <= (int64_t)c->len - stm_ofs)
                {
                    fz_seek(ctx, stm, stm_ofs + length, SEEK_SET);
                    ok = pdf_lex(ctx, stm, &lb) == PDF_TOK_ENDSTREAM && pdf_lex(ctx, stm, &lb) == PDF_TOK_ENDOBJ;
                }
            }
            else
            {
                /* The parser has read the keyword after the object: it must be "endobj". */
                int64_t at = fz_tell(ctx, stm);
                ok = at >= 6 && at <= (int64_t)c->len && vq_reader_equals(c->file, at - 6, "endobj", 6);
            }
            *end = fz_tell(ctx, stm);
        }
    }
    fz_always(ctx)
    {
        pdf_drop_obj(ctx, obj);
        pdf_lexbuf_fin(ctx, &lb);
    }
    fz_catch(ctx)
        ok = 0;
    return ok ? 0 : -1;
}

/* The extent of a cross-reference table written at ofs: "xref", its entries, "trailer" and the
   trailer dictionary; *xrefstm the offset of the cross-reference stream a hybrid section names
   (0 for none). 0, or -1. */
static int table_extent(appended_check* c, fz_stream* stm, int64_t ofs, int64_t* end, int64_t* xrefstm)
{
    fz_context* ctx = c->ctx;
    vq_reader* p = c->file;
    int64_t len = (int64_t)c->len, at = ofs;
    if (at + 4 > len || !vq_reader_equals(p, at, "xref", 4))
        return -1;
    for (at += 4; at < len && vq_reader_byte(p, at) != 't'; at++)
    {
        int ch = vq_reader_byte(p, at);
        if (ch < 0 || !(is_white((unsigned char)ch) || (ch >= '0' && ch <= '9') || ch == 'n' || ch == 'f'))
            return -1;
    }
    if (at + 7 > len || !vq_reader_equals(p, at, "trailer", 7))
        return -1;
    const int64_t dict_at = at + 7;
    pdf_obj* trailer = NULL;
    int ok = 0;
    pdf_lexbuf lb;
    pdf_lexbuf_init(ctx, &lb, PDF_LEXBUF_SMALL);
    fz_var(trailer);
    fz_var(ok);
    fz_try(ctx)
    {
        fz_seek(ctx, stm, dict_at, SEEK_SET);
        if (pdf_lex(ctx, stm, &lb) == PDF_TOK_OPEN_DICT)
        {
            trailer = pdf_parse_dict(ctx, c->cur, stm, &lb);
            *end = fz_tell(ctx, stm);
            *xrefstm = pdf_to_int64(ctx, pdf_dict_get(ctx, trailer, PDF_NAME(XRefStm)));
            ok = 1;
        }
    }
    fz_always(ctx)
    {
        pdf_drop_obj(ctx, trailer);
        pdf_lexbuf_fin(ctx, &lb);
    }
    fz_catch(ctx)
        ok = 0;
    return ok ? 0 : -1;
}

/* Between the pieces of the updates only white space, "startxref n" and "%%EOF" may stand. */
/* Whether the byte at i is white space (a byte that cannot be read is not). */
static int white_at(vq_reader* p, int64_t i)
{
    int ch = vq_reader_byte(p, i);
    return ch >= 0 && is_white((unsigned char)ch);
}

static int gap_is_empty(vq_reader* p, int64_t a, int64_t b)
{
    while (a < b)
    {
        if (white_at(p, a))
            a++;
        else if (b - a >= 5 && vq_reader_equals(p, a, "%%EOF", 5) && (b - a == 5 || white_at(p, a + 5)))
            a += 5;
        else if (b - a >= 9 && vq_reader_equals(p, a, "startxref", 9))
        {
            a += 9;
            while (a < b && white_at(p, a))
                a++;
            int64_t digits = a;
            while (a < b && vq_reader_byte(p, a) >= '0' && vq_reader_byte(p, a) <= '9')
                a++;
            if (a == digits || (a < b && !white_at(p, a)))
                return 0;
        }
        else
            return 0;
    }
    return 1;
}

/* Every byte after the signed range belongs to an update of the later sections: their
   cross-reference sections and the objects they list. Lets in the objects that carry those
   sections (cross-reference streams) and the object streams holding their objects. */
static int only_updates_follow(appended_check* c, const int64_t* section_ofs)
{
    fz_context* ctx = c->ctx;
    spans s = {NULL, 0, 0};
    fz_stream* stm = NULL;
    int ok = 1;
    fz_var(stm);
    fz_var(ok);
    fz_var(s);
    fz_try(ctx)
    {
        stm = vq_src_open_stream(ctx, c->d, (int64_t)c->len);
        for (int i = 0; ok && i < c->later_sections; i++)
        {
            int64_t at = section_ofs[i], end = 0, xrefstm = 0;
            while (at < (int64_t)c->len && white_at(c->file, at))
                at++;
            if (at < (int64_t)c->len && vq_reader_byte(c->file, at) == 'x')
                ok = table_extent(c, stm, at, &end, &xrefstm) == 0;
            else
                xrefstm = at; /* a cross-reference stream */
            if (ok && at < (int64_t)c->len && vq_reader_byte(c->file, at) == 'x')
                add_span(ctx, &s, section_ofs[i], end);
            if (ok && xrefstm > 0)
            {
                int num = 0, gen = 0;
                ok = object_extent(c, stm, xrefstm, &num, &gen, &end) == 0;
                if (ok && is_new(c, num))
                    c->accounted[num] = 1;
                if (ok)
                    add_span(ctx, &s, xrefstm == at ? section_ofs[i] : xrefstm, end);
            }

            pdf_xref* x = &c->cur->xref_sections[c->cur->num_incremental_sections + i];
            for (pdf_xref_subsec* sub = x->subsec; ok && sub; sub = sub->next)
                for (int k = 0; ok && k < sub->len; k++)
                {
                    pdf_xref_entry* e = &sub->table[k];
                    int num = sub->start + k;
                    if (num <= 0)
                        continue;
                    if (e->type == 'o')
                    {
                        /* Its object stream is file structure of the update. */
                        int container = (int)e->ofs;
                        if (is_new(c, container))
                            c->accounted[container] = 1;
                    }
                    if (e->type != 'n' || e->ofs < c->end)
                        continue;
                    int rnum = 0, rgen = 0;
                    int64_t oend = 0;
                    ok = object_extent(c, stm, e->ofs, &rnum, &rgen, &oend) == 0 && rnum == num && rgen == e->gen;
                    if (ok)
                        add_span(ctx, &s, e->ofs, oend);
                }
        }
        if (ok)
        {
            qsort(s.v, (size_t)s.n, sizeof *s.v, by_start);
            int64_t at = c->end;
            for (int i = 0; ok && i < s.n; i++)
            {
                if (s.v[i].a > at)
                    ok = gap_is_empty(c->file, at, s.v[i].a);
                if (s.v[i].b > at)
                    at = s.v[i].b;
            }
            if (ok && at < (int64_t)c->len)
                ok = gap_is_empty(c->file, at, (int64_t)c->len);
        }
    }
    fz_always(ctx)
    {
        fz_drop_stream(ctx, stm);
        fz_free(ctx, s.v);
    }
    fz_catch(ctx)
        ok = 0;
    return ok;
}

/* The file offsets of a state's cross-reference sections, newest first. */
static int section_chain(fz_context* ctx, pdf_document* doc, struct document* d, size_t len, int64_t** out)
{
    int64_t startxref = 0;
    *out = NULL;
    if (vq_src_find_startxref(d, (int64_t)len, &startxref) != 0)
        return -1;
    int n = doc->num_xref_sections > 0 ? doc->num_xref_sections : 1;
    *out = fz_malloc_array(ctx, n, int64_t);
    return vq_core_section_offsets(ctx, doc, startxref, *out, n);
}

/* ---- the check -------------------------------------------------------------------------- */

static int check(appended_check* c)
{
    fz_context* ctx = c->ctx;
    int64_t* old_chain = NULL;
    int64_t* cur_chain = NULL;
    int ok = 0;
    fz_var(old_chain);
    fz_var(cur_chain);
    fz_var(ok);
    fz_try(ctx)
    {
        /* The current sections continue the signed ones. */
        int old_n = section_chain(ctx, c->old, c->d, (size_t)c->end, &old_chain);
        int cur_n = section_chain(ctx, c->cur, c->d, c->len, &cur_chain);
        c->later_sections = cur_n - old_n;
        ok = old_n > 0 && c->later_sections > 0 && c->cur->num_incremental_sections == 0;
        for (int i = 0; ok && i < old_n; i++)
            ok = cur_chain[c->later_sections + i] == old_chain[i];

        c->cur_len = pdf_xref_len(ctx, c->cur);
        c->role_len = pdf_xref_len(ctx, c->old);
        if (ok)
        {
            c->role = fz_calloc(ctx, (size_t)(c->role_len > 0 ? c->role_len : 1), 1);
            c->later = fz_calloc(ctx, (size_t)c->cur_len, 1);
            c->accounted = fz_calloc(ctx, (size_t)c->cur_len, 1);
            c->walk_mark = fz_calloc(ctx, (size_t)c->cur_len, sizeof(int));
            c->work = fz_calloc(ctx, (size_t)c->cur_len, sizeof(int));
            ok = only_updates_follow(c, cur_chain);
        }

        /* What the later sections list: a freed object of the signed document is a change. */
        for (int i = 0; ok && i < c->later_sections; i++)
        {
            pdf_xref* x = &c->cur->xref_sections[i];
            for (pdf_xref_subsec* sub = x->subsec; ok && sub; sub = sub->next)
                for (int k = 0; ok && k < sub->len; k++)
                {
                    int num = sub->start + k;
                    char t = sub->table[k].type;
                    if (num <= 0 || num >= c->cur_len)
                        continue;
                    if (t == 'f')
                        ok = !in_use(ctx, c->old, num);
                    else if (t == 'n' || t == 'o')
                        c->later[num] = 1;
                }
        }

        if (ok)
        {
            find_roles(c);
            ok = trailer_allowed(c);
        }
        for (int num = 1; ok && num < c->cur_len; num++)
            if (c->later[num] && in_use(ctx, c->old, num))
                ok = rewritten_object_allowed(c, num);
        /* Whatever new the updates wrote must have been let in by the rules above. */
        for (int num = 1; ok && num < c->cur_len; num++)
            if (c->later[num] && is_new(c, num) && !c->accounted[num])
                ok = 0;
        /* Loading objects may have made the library repair a file it could not read. */
        if (c->old->repair_attempted || c->cur->repair_attempted)
            ok = 0;
        for (int i = 0; i < c->nprefixes; i++)
            if (c->prefixes[i].doc->repair_attempted)
                ok = 0;
    }
    fz_always(ctx)
    {
        fz_free(ctx, old_chain);
        fz_free(ctx, cur_chain);
    }
    fz_catch(ctx)
        ok = 0;
    return ok;
}

int vq_appended_is_signature(struct document* d, int64_t end)
{
    const int64_t len64 = vq_src_len(d);
    if (!d || end <= 0 || end > len64)
        return 0;
    vq_reader file;
    vq_reader_init(&file, d, len64);
    const size_t len = (size_t)len64;

    /* Nothing but white space after the signed range: nothing was changed. */
    int64_t at = end;
    while (at < len64 && white_at(&file, at))
        at++;
    if (at == len64 && !file.failed)
        return 1;

    fz_context* ctx = d->ctx;
    appended_check c;
    memset(&c, 0, sizeof c);
    c.ctx = ctx;
    c.d = d;
    c.file = &file;
    c.len = len;
    c.end = end;
    c.old = open_state(ctx, d, (size_t)end, d->password);
    c.cur = c.old ? open_state(ctx, d, len, d->password) : NULL;
    int ok = c.cur ? check(&c) : 0;
    if (file.failed)
        ok = 0;

    for (int i = 0; i < c.nprefixes; i++)
        pdf_drop_document(ctx, c.prefixes[i].doc);
    fz_free(ctx, c.prefixes);
    fz_free(ctx, c.values);
    fz_free(ctx, c.role);
    fz_free(ctx, c.later);
    fz_free(ctx, c.accounted);
    fz_free(ctx, c.walk_mark);
    fz_free(ctx, c.work);
    pdf_drop_document(ctx, c.cur);
    pdf_drop_document(ctx, c.old);
    return ok;
}
