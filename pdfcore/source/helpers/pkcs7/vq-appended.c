/*
 * The check of objects appended after a signature.
 *
 * A signature covers the file as it was when it was signed. Later incremental updates may add
 * further signatures; anything else they change must make the earlier signature fail. The check
 * compares, object by object, what the later updates wrote with the document as it stood at the
 * end of the signed range:
 *
 *   - an object that did not exist then is new; it only matters through the objects that refer
 *     to it, which are checked below;
 *   - an object that existed then and is written again must either be unchanged, or be one of
 *     the few objects a signature update changes, changed only in the way it changes them:
 *       the catalogue           only /AcroForm (checked as below), /Metadata, /DSS, /Extensions
 *       the interactive form    /Fields may only gain signature fields; /SigFlags, /DA, /DR
 *       a page                  /Annots may only gain signature widgets
 *       an /Annots or /Fields array (indirect)  may only gain signature widgets or fields
 *       an empty signature field  may receive its value, appearance and lock
 *       the document information and the XMP metadata  anything
 *   - an object freed by a later update that existed then is a change;
 *   - the trailer must keep the catalogue and the encryption of the signed document.
 *
 * A new signature field's /P is never followed: the page it names is judged by the rule for
 * pages, so a changed content stream or resource of that page is caught. No object is trusted
 * for merely carrying a key such as /Annots, /Root or /Fields.
 *
 * Both states are read from the bytes the document was opened from, each through a document of
 * its own: the signed state from the bytes up to the end of the signed range, the current state
 * from the whole file. Unsaved changes of the open document play no part.
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

typedef struct appended_check
{
    fz_context* ctx;
    pdf_document* old;   /* the document as signed */
    pdf_document* cur;   /* the document as the file holds it now */
    unsigned char* role; /* ROLE_* by object number of the signed document */
    int role_len;
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

/* The new array holds the old one's elements in their order, and whatever it holds besides are
   signature widgets (annots) or signature fields (not annots). Either array may be missing. */
static int array_only_gains(fz_context* ctx, pdf_obj* old_arr, pdf_obj* new_arr, int annots)
{
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
        return array_only_gains(ctx, pdf_resolve_indirect_chain(ctx, oldv), pdf_resolve_indirect_chain(ctx, newv), 0);
    return pdf_name_eq(ctx, key, PDF_NAME(SigFlags)) || pdf_name_eq(ctx, key, PDF_NAME(DA)) ||
           pdf_name_eq(ctx, key, PDF_NAME(DR));
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
        return acroform_allowed(c, pdf_resolve_indirect_chain(ctx, oldv), pdf_resolve_indirect_chain(ctx, newv));
    /* The document security store (validation data of signatures) and the extension level that
       announces it are signature material too. */
    const char* name = pdf_to_name(ctx, key);
    return pdf_name_eq(ctx, key, PDF_NAME(Metadata)) || !strcmp(name, "DSS") || !strcmp(name, "Extensions");
}

static int page_rule(appended_check* c, pdf_obj* key, pdf_obj* oldv, pdf_obj* newv)
{
    fz_context* ctx = c->ctx;
    if (pdf_name_eq(ctx, key, PDF_NAME(Annots)))
        return array_only_gains(ctx, pdf_resolve_indirect_chain(ctx, oldv), pdf_resolve_indirect_chain(ctx, newv), 1);
    return 0;
}

/* A signature field that was empty when the document was signed may be signed later. */
static int empty_sig_field_rule(appended_check* c, pdf_obj* key, pdf_obj* oldv, pdf_obj* newv)
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

static int object_exists(fz_context* ctx, pdf_document* doc, int num)
{
    if (num <= 0 || num >= pdf_xref_len(ctx, doc))
        return 0;
    pdf_xref_entry* e = pdf_get_xref_entry_no_null(ctx, doc, num);
    return e->type == 'n' || e->type == 'o';
}

/* Object num existed when the document was signed and was written again later. */
static int rewritten_object_allowed(appended_check* c, int num)
{
    fz_context* ctx = c->ctx;
    if (!object_exists(ctx, c->cur, num))
        return 0; /* freed */
    pdf_obj* oldo = pdf_load_object(ctx, c->old, num);
    pdf_obj* newo = NULL;
    int ok = 0;
    fz_var(ok);
    fz_var(newo);
    fz_try(ctx)
    {
        newo = pdf_load_object(ctx, c->cur, num);
        int role = num < c->role_len ? c->role[num] : ROLE_NONE;
        if (role == ROLE_FREE_TO_CHANGE)
            ok = 1;
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
                ok = array_only_gains(ctx, oldo, newo, 0);
                break;
            case ROLE_ANNOTS:
                ok = array_only_gains(ctx, oldo, newo, 1);
                break;
            case ROLE_PAGE:
                ok = dict_changes_allowed(c, oldo, newo, page_rule);
                break;
            default:
                ok = is_sig_field(ctx, oldo) && !pdf_dict_get_inheritable(ctx, oldo, PDF_NAME(V)) &&
                     is_sig_field(ctx, newo) && dict_changes_allowed(c, oldo, newo, empty_sig_field_rule);
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

/* The trailer keeps the catalogue and the encryption of the signed document. */
static int trailer_allowed(appended_check* c)
{
    fz_context* ctx = c->ctx;
    pdf_obj* ot = pdf_trailer(ctx, c->old);
    pdf_obj* nt = pdf_trailer(ctx, c->cur);
    pdf_obj* oroot = pdf_dict_get(ctx, ot, PDF_NAME(Root));
    pdf_obj* nroot = pdf_dict_get(ctx, nt, PDF_NAME(Root));
    if (!pdf_is_indirect(ctx, oroot) || !same_value(ctx, oroot, nroot, 0))
        return 0;
    return same_value(ctx, pdf_dict_get(ctx, ot, PDF_NAME(Encrypt)), pdf_dict_get(ctx, nt, PDF_NAME(Encrypt)), 0);
}

static pdf_document* open_state(fz_context* ctx, const unsigned char* data, size_t len, const char* password)
{
    fz_stream* stm = NULL;
    pdf_document* pdf = NULL;
    fz_var(stm);
    fz_var(pdf);
    fz_try(ctx)
    {
        stm = fz_open_memory(ctx, data, len);
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

/* Marks in `seen` every object number with an entry in a cross-reference section that the
   current document read from beyond `end`. Returns how many sections lie there. */
static int mark_appended_entries(appended_check* c, const unsigned char* data, size_t len, int64_t end,
                                 unsigned char* seen, int seen_len)
{
    fz_context* ctx = c->ctx;
    int64_t startxref = 0;
    if (vq_core_find_startxref(data, len, &startxref) != 0)
        fz_throw(ctx, FZ_ERROR_GENERIC, "no startxref");
    int n = c->cur->num_xref_sections;
    int64_t* ofs = fz_malloc_array(ctx, n > 0 ? n : 1, int64_t);
    int count = 0;
    fz_var(count);
    fz_try(ctx)
    {
        int got = vq_core_section_offsets(ctx, c->cur, startxref, ofs, n);
        for (int i = 0; i < got; i++)
        {
            if (ofs[i] <= end)
                continue;
            count++;
            pdf_xref* x = &c->cur->xref_sections[c->cur->num_incremental_sections + i];
            for (pdf_xref_subsec* sub = x->subsec; sub; sub = sub->next)
            {
                for (int k = 0; k < sub->len; k++)
                {
                    int num = sub->start + k;
                    char t = sub->table[k].type;
                    if (num > 0 && num < seen_len && (t == 'n' || t == 'o' || t == 'f'))
                        seen[num] = 1;
                }
            }
        }
    }
    fz_always(ctx)
        fz_free(ctx, ofs);
    fz_catch(ctx)
        fz_rethrow(ctx);
    return count;
}

int vq_appended_is_signature(struct document* d, int64_t end)
{
    if (!d || !d->filebuf || end <= 0 || (uint64_t)end > d->filebuf->len)
        return 0;

    /* Fast path: no section of the file lies beyond the signed range. */
    int later = 0;
    for (int i = 0; vq_doc_section_offset(d, i) >= 0; i++)
        if (vq_doc_section_offset(d, i) > end)
            later = 1;
    if (!later)
        return 1;

    fz_context* ctx = d->ctx;
    const unsigned char* data = d->filebuf->data;
    size_t len = d->filebuf->len;
    appended_check c;
    memset(&c, 0, sizeof c);
    c.ctx = ctx;
    c.old = open_state(ctx, data, (size_t)end, d->password);
    c.cur = c.old ? open_state(ctx, data, len, d->password) : NULL;
    if (!c.cur)
    {
        pdf_drop_document(ctx, c.old);
        return 0;
    }

    unsigned char* seen = NULL;
    int ok = 0;
    fz_var(ok);
    fz_var(seen);
    fz_try(ctx)
    {
        int cur_len = pdf_xref_len(ctx, c.cur);
        c.role_len = pdf_xref_len(ctx, c.old);
        c.role = fz_calloc(ctx, (size_t)(c.role_len > 0 ? c.role_len : 1), 1);
        seen = fz_calloc(ctx, (size_t)(cur_len > 0 ? cur_len : 1), 1);
        mark_appended_entries(&c, data, len, end, seen, cur_len);
        find_roles(&c);
        ok = trailer_allowed(&c);
        for (int num = 1; ok && num < cur_len; num++)
        {
            if (!seen[num] || !object_exists(ctx, c.old, num))
                continue; /* untouched, or new */
            ok = rewritten_object_allowed(&c, num);
        }
        /* Loading objects may have made the library repair a file it could not read. */
        if (c.old->repair_attempted || c.cur->repair_attempted)
            ok = 0;
    }
    fz_always(ctx)
    {
        fz_free(ctx, seen);
        fz_free(ctx, c.role);
        pdf_drop_document(ctx, c.cur);
        pdf_drop_document(ctx, c.old);
    }
    fz_catch(ctx)
        ok = 0;
    return ok;
}
