/*
 * Reading a page object's own text without loading it.
 *
 * Building the page table visits every page object, and loading one (parsing it into the
 * library's objects, which are kept for as long as the document is open) costs far more than
 * the few things the page table needs from it: that it is a page, its /Parent, and the values
 * its size box is made of. For a document of many pages that was most of the time (and memory)
 * of opening it. This reads those from the object's text with the library's own tokenizer
 * (numbers and names come out exactly as the library's parser would make them) and loads
 * nothing. Anything unusual (an object in an object stream, one already loaded or changed, a
 * reference where a value is wanted, text the parser would complain about) answers "not read",
 * and the caller loads the object the usual way.
 */
#include "header.h"

#include <string.h>

/* Reads one value whose first token is tok; only its extent matters. 1, or 0 when the text
   is not a value the parser reads quietly. */
static int skip_value(fz_context* ctx, fz_stream* f, pdf_lexbuf* lb, pdf_token tok)
{
    int depth = 0;
    for (;;)
    {
        switch (tok)
        {
        case PDF_TOK_OPEN_ARRAY:
        case PDF_TOK_OPEN_DICT:
            depth++;
            break;
        case PDF_TOK_CLOSE_ARRAY:
        case PDF_TOK_CLOSE_DICT:
            if (--depth < 0)
                return 0;
            break;
        case PDF_TOK_NAME:
        case PDF_TOK_INT:
        case PDF_TOK_REAL:
        case PDF_TOK_STRING:
        case PDF_TOK_R:
        case PDF_TOK_TRUE:
        case PDF_TOK_FALSE:
        case PDF_TOK_NULL:
            break;
        default:
            return 0;
        }
        if (depth == 0)
            return 1;
        tok = pdf_lex(ctx, f, lb);
    }
}

/* Reads "[a b c d]" of four plain numbers (the open bracket already read) into v. 1, or 0 with
   the rest of the array skipped when it is anything else; -1 when the text is broken. */
static int read_four_numbers(fz_context* ctx, fz_stream* f, pdf_lexbuf* lb, float v[4])
{
    int n = 0;
    for (;;)
    {
        pdf_token tok = pdf_lex(ctx, f, lb);
        if (tok == PDF_TOK_CLOSE_ARRAY)
            return n == 4 ? 1 : 0;
        if ((tok == PDF_TOK_INT || tok == PDF_TOK_REAL) && n < 4)
        {
            v[n++] = tok == PDF_TOK_INT ? (float)lb->i : lb->f;
            continue;
        }
        /* Something else inside: not four plain numbers; skip to the end of the array. */
        if (!skip_value(ctx, f, lb, tok))
            return tok == PDF_TOK_CLOSE_ARRAY ? 0 : -1;
        for (;;)
        {
            tok = pdf_lex(ctx, f, lb);
            if (tok == PDF_TOK_CLOSE_ARRAY)
                return 0;
            if (!skip_value(ctx, f, lb, tok))
                return -1;
        }
    }
}

/* The dictionary body after "<<". 1 when read to its ">>" as the parser would read it. */
static int read_dict(fz_context* ctx, fz_stream* f, pdf_lexbuf* lb, vq_page_text* out)
{
    pdf_token tok = pdf_lex(ctx, f, lb);
    for (;;)
    {
        if (tok == PDF_TOK_CLOSE_DICT)
            return 1;
        if (tok != PDF_TOK_NAME)
            return 0;
        char key[16];
        const size_t klen = strlen(lb->scratch);
        if (klen >= sizeof key)
            key[0] = 0; /* a key of no interest */
        else
            memcpy(key, lb->scratch, klen + 1);

        tok = pdf_lex(ctx, f, lb);
        if (tok == PDF_TOK_INT)
        {
            /* An integer, or the start of a reference "n g R"; the parser decides by what
               follows, and so do we. */
            const int64_t a = lb->i;
            pdf_token next = pdf_lex(ctx, f, lb);
            if (next == PDF_TOK_NAME || next == PDF_TOK_CLOSE_DICT)
            {
                if (!strcmp(key, "Rotate"))
                {
                    if (a < -100000 || a > 100000)
                        out->rotate_state = -1;
                    else
                    {
                        out->rotate_state = 1;
                        out->rotate = (int)a;
                    }
                }
                else if (!strcmp(key, "Parent") || !strcmp(key, "MediaBox") || !strcmp(key, "CropBox"))
                    return 0; /* not what the library would accept there quietly */
                else if (!strcmp(key, "UserUnit"))
                    out->userunit_state = 0; /* an integer /UserUnit does not count */
                tok = next;
                continue;
            }
            if (next != PDF_TOK_INT || pdf_lex(ctx, f, lb) != PDF_TOK_R)
                return 0; /* the parser would warn: load it the usual way */
            /* A reference. */
            if (!strcmp(key, "Parent"))
                out->parent = a > 0 && a < INT32_MAX ? (int)a : 0;
            else if (!strcmp(key, "MediaBox"))
                out->media_state = -1;
            else if (!strcmp(key, "CropBox"))
                out->crop_state = -1;
            else if (!strcmp(key, "Rotate"))
                out->rotate_state = -1;
            else if (!strcmp(key, "UserUnit"))
                out->userunit_state = -1;
            else if (!strcmp(key, "Type"))
                return 0;
            tok = pdf_lex(ctx, f, lb);
            continue;
        }
        if (!strcmp(key, "Type"))
        {
            if (tok != PDF_TOK_NAME)
                return 0;
            out->type_seen = 1;
            out->is_page = !strcmp(lb->scratch, "Page");
        }
        else if ((!strcmp(key, "MediaBox") || !strcmp(key, "CropBox")) && tok == PDF_TOK_OPEN_ARRAY)
        {
            const int media = key[0] == 'M';
            float v[4];
            const int r = read_four_numbers(ctx, f, lb, v);
            if (r < 0)
                return 0;
            if (media)
            {
                out->media_state = r ? 1 : -1;
                memcpy(out->media, v, sizeof v);
            }
            else
            {
                out->crop_state = r ? 1 : -1;
                memcpy(out->crop, v, sizeof v);
            }
        }
        else
        {
            if (!strcmp(key, "MediaBox"))
                out->media_state = -1;
            else if (!strcmp(key, "CropBox"))
                out->crop_state = -1;
            else if (!strcmp(key, "Rotate"))
                out->rotate_state = -1;
            else if (!strcmp(key, "Parent"))
                return 0;
            else if (!strcmp(key, "UserUnit"))
            {
                out->userunit_state = tok == PDF_TOK_REAL ? 1 : 0;
                out->userunit = lb->f;
            }
            if (!skip_value(ctx, f, lb, tok))
                return 0;
        }
        tok = pdf_lex(ctx, f, lb);
    }
}

int vq_read_page_text(fz_context* ctx, pdf_document* pdf, pdf_obj* ref, vq_page_text* out)
{
    memset(out, 0, sizeof *out);
    if (!pdf_is_indirect(ctx, ref) || !pdf->file)
        return 0;
    const int num = pdf_to_num(ctx, ref);
    if (num <= 0 || num >= pdf_xref_len(ctx, pdf))
        return 0;
    pdf_xref_entry* e = pdf_get_xref_entry_no_null(ctx, pdf, num);
    /* Only an object of the file's own text, not loaded (or changed) yet. */
    if (e->type != 'n' || e->obj || e->stm_buf || e->ofs <= 0 || e->gen != pdf_to_gen(ctx, ref))
        return 0;
    int ok = 0;
    pdf_lexbuf lb;
    pdf_lexbuf_init(ctx, &lb, PDF_LEXBUF_SMALL);
    fz_var(ok);
    fz_try(ctx)
    {
        fz_stream* f = pdf->file;
        fz_seek(ctx, f, e->ofs, SEEK_SET);
        if (pdf_lex(ctx, f, &lb) == PDF_TOK_INT && lb.i == num && pdf_lex(ctx, f, &lb) == PDF_TOK_INT &&
            lb.i == e->gen && pdf_lex(ctx, f, &lb) == PDF_TOK_OBJ && pdf_lex(ctx, f, &lb) == PDF_TOK_OPEN_DICT &&
            read_dict(ctx, f, &lb, out))
            ok = pdf_lex(ctx, f, &lb) == PDF_TOK_ENDOBJ;
    }
    fz_always(ctx)
        pdf_lexbuf_fin(ctx, &lb);
    fz_catch(ctx)
        ok = 0;
    if (!ok)
        memset(out, 0, sizeof *out);
    return ok;
}
