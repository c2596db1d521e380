/*
 * Signature fields and the signature dictionary on the PDF library's object model.
 *
 * The library's own signature helpers do not fit: its widget creation adds /Lock and /DA, and
 * its value writer writes adbe.pkcs7.detached with a FieldMDP reference. Here the widget is
 * built over the raw annotation API, and the value dictionary is written with our keys in the
 * order the incremental writer depends on: it finds "/ByteRange", "/Contents" and "/Filter" in
 * that order in the written object and fills the first two in place.
 */
#include "vq-signature.h"

#include <stdlib.h>
#include <string.h>

/* Field flags of button and choice fields. */
#define FF_RADIO_NO_TOGGLE_OFF (1 << 14)
#define FF_RADIO (1 << 15)
#define FF_PUSHBUTTON (1 << 16)
#define FF_COMBO (1 << 17)

/* Engine field types (vq_field_type). */
enum
{
    FIELD_PUSHBUTTON = 0,
    FIELD_CHECKBOX = 1,
    FIELD_RADIOBUTTON = 2,
    FIELD_TEXT = 3,
    FIELD_LISTBOX = 4,
    FIELD_COMBOBOX = 5,
    FIELD_SIGNATURE = 6
};

/* A text string: plain bytes when all are ASCII, otherwise UTF-16BE with a byte-order mark. */
static pdf_obj* new_text_string(fz_context* ctx, const char* s)
{
    size_t n = strlen(s);
    int ascii = 1;
    for (size_t i = 0; i < n; i++)
        if ((unsigned char)s[i] >= 128)
            ascii = 0;
    if (ascii)
        return pdf_new_string(ctx, s, n);

    /* At most two UTF-16 units (4 bytes) for each input byte, plus the mark. */
    unsigned char* buf = fz_malloc(ctx, 2 + 4 * n);
    size_t len = 0;
    buf[len++] = 0xfe;
    buf[len++] = 0xff;
    const char* p = s;
    while (*p)
    {
        int c;
        p += fz_chartorune(&c, p);
        if (c >= 0x10000)
        {
            int v = c - 0x10000;
            int hi = 0xd800 + (v >> 10), lo = 0xdc00 + (v & 0x3ff);
            buf[len++] = (unsigned char)(hi >> 8);
            buf[len++] = (unsigned char)hi;
            buf[len++] = (unsigned char)(lo >> 8);
            buf[len++] = (unsigned char)lo;
        }
        else
        {
            buf[len++] = (unsigned char)(c >> 8);
            buf[len++] = (unsigned char)c;
        }
    }
    pdf_obj* obj = NULL;
    fz_try(ctx)
        obj = pdf_new_string(ctx, (const char*)buf, len);
    fz_always(ctx)
        fz_free(ctx, buf);
    fz_catch(ctx)
        fz_rethrow(ctx);
    return obj;
}

void vq_sig_set_addinfo(fz_context* ctx, pdf_obj* field, const char* addinfo)
{
    if (addinfo)
        pdf_dict_puts_drop(ctx, field, "Addinfo", new_text_string(ctx, addinfo));
}

static void set_field_type(fz_context* ctx, pdf_obj* obj, int type)
{
    switch (type)
    {
    case FIELD_PUSHBUTTON:
        pdf_dict_put(ctx, obj, PDF_NAME(FT), PDF_NAME(Btn));
        pdf_dict_put_int(ctx, obj, PDF_NAME(Ff), FF_PUSHBUTTON);
        break;
    case FIELD_CHECKBOX:
        pdf_dict_put(ctx, obj, PDF_NAME(FT), PDF_NAME(Btn));
        break;
    case FIELD_RADIOBUTTON:
        pdf_dict_put(ctx, obj, PDF_NAME(FT), PDF_NAME(Btn));
        pdf_dict_put_int(ctx, obj, PDF_NAME(Ff), FF_RADIO | FF_RADIO_NO_TOGGLE_OFF);
        break;
    case FIELD_TEXT:
        pdf_dict_put(ctx, obj, PDF_NAME(FT), PDF_NAME(Tx));
        break;
    case FIELD_LISTBOX:
        pdf_dict_put(ctx, obj, PDF_NAME(FT), PDF_NAME(Ch));
        break;
    case FIELD_COMBOBOX:
        pdf_dict_put(ctx, obj, PDF_NAME(FT), PDF_NAME(Ch));
        pdf_dict_put_int(ctx, obj, PDF_NAME(Ff), FF_COMBO);
        break;
    case FIELD_SIGNATURE:
        pdf_dict_put(ctx, obj, PDF_NAME(FT), PDF_NAME(Sig));
        break;
    default:
        fz_throw(ctx, FZ_ERROR_GENERIC, "unknown field type %d", type);
    }
}

pdf_annot* vq_sig_create_widget(fz_context* ctx, pdf_document* doc, pdf_page* page, int type,
                                const char* fieldname, const char* addinfo)
{
    if (!fieldname)
        fz_throw(ctx, FZ_ERROR_GENERIC, "a field needs a name");
    if (type < FIELD_PUSHBUTTON || type > FIELD_SIGNATURE)
        fz_throw(ctx, FZ_ERROR_GENERIC, "unknown field type %d", type);

    pdf_obj* root = pdf_dict_get(ctx, pdf_trailer(ctx, doc), PDF_NAME(Root));
    int old_flags = pdf_dict_get_int(ctx, pdf_dict_get(ctx, root, PDF_NAME(AcroForm)), PDF_NAME(SigFlags));
    pdf_annot* annot = NULL;
    fz_var(annot);
    fz_try(ctx)
    {
        annot = pdf_create_annot_raw(ctx, page, PDF_ANNOT_WIDGET);
        pdf_obj* obj = pdf_annot_obj(ctx, annot);
        set_field_type(ctx, obj, type);
        pdf_dict_put_drop(ctx, obj, PDF_NAME(T), pdf_new_string(ctx, fieldname, strlen(fieldname)));
        vq_sig_set_addinfo(ctx, obj, addinfo);
        pdf_dict_put(ctx, obj, PDF_NAME(P), page->obj);
        pdf_dict_put_int(ctx, obj, PDF_NAME(F), PDF_ANNOT_IS_PRINT | PDF_ANNOT_IS_LOCKED);
        if (!pdf_dict_get(ctx, obj, PDF_NAME(Rect)))
            pdf_dict_put_rect(ctx, obj, PDF_NAME(Rect), fz_make_rect(0, 0, 0, 0));

        pdf_obj* form = pdf_dict_get(ctx, root, PDF_NAME(AcroForm));
        if (!pdf_is_dict(ctx, form))
            form = pdf_dict_put_dict(ctx, root, PDF_NAME(AcroForm), 4);
        pdf_obj* fields = pdf_dict_get(ctx, form, PDF_NAME(Fields));
        if (!pdf_is_array(ctx, fields))
            fields = pdf_dict_put_array(ctx, form, PDF_NAME(Fields), 1);
        if (type == FIELD_SIGNATURE)
            pdf_dict_put_int(ctx, form, PDF_NAME(SigFlags), old_flags | 3);
        pdf_array_push(ctx, fields, obj);
    }
    fz_catch(ctx)
    {
        if (annot)
        {
            fz_try(ctx)
            {
                pdf_delete_annot(ctx, page, annot);
                pdf_obj* form = pdf_dict_get(ctx, root, PDF_NAME(AcroForm));
                if (type == FIELD_SIGNATURE && pdf_is_dict(ctx, form))
                {
                    if (old_flags)
                        pdf_dict_put_int(ctx, form, PDF_NAME(SigFlags), old_flags);
                    else
                        pdf_dict_del(ctx, form, PDF_NAME(SigFlags));
                }
            }
            fz_catch(ctx)
                fz_warn(ctx, "cannot roll back a widget that failed to be created");
            pdf_drop_annot(ctx, annot);
        }
        fz_rethrow(ctx);
    }
    /* The page holds its own reference; the handle is borrowed from it. */
    pdf_drop_annot(ctx, annot);
    return annot;
}

const char* vq_sig_subfilter_name(int subfilter)
{
    switch (subfilter)
    {
    case 1:
        return "vqsign.pkcs7.sm3.1";
    case 2:
        return "vqsign.pkcs7.sm3.2";
    case 3:
        return "vqsign.pkcs7.sm3.3";
    case 4:
        return "vqsign.pkcs7.sm3.4";
    case 5:
        return "vqsign.gb2018.sm3";
    default:
        return "adbe.pkcs7.detached";
    }
}

void vq_sig_write_value(fz_context* ctx, pdf_document* doc, pdf_obj* field, int objnum,
                        vq_pkcs7_signer* signer, const char* customtag)
{
    size_t room = signer->base.max_digest_size ? signer->base.max_digest_size(ctx, &signer->base)
                                               : VQ_SIG_DEFAULT_CONTENTS;
    pdf_obj* v = pdf_new_dict(ctx, doc, 10);
    char* zeros = NULL;
    fz_var(zeros);
    fz_var(v);
    fz_try(ctx)
    {
        pdf_update_object(ctx, doc, objnum, v);
        /* Take the object as stored (the update keeps its own reference). */
        pdf_drop_obj(ctx, v);
        v = NULL;
        v = pdf_load_object(ctx, doc, objnum);

        pdf_dict_put_array(ctx, v, PDF_NAME(ByteRange), 4);
        zeros = fz_calloc(ctx, room ? room : 1, 1);
        pdf_dict_put_string(ctx, v, PDF_NAME(Contents), zeros, room);
        pdf_dict_put(ctx, v, PDF_NAME(Filter), PDF_NAME(Adobe_PPKLite));
        pdf_dict_put_name(ctx, v, PDF_NAME(SubFilter), vq_sig_subfilter_name(signer->subfilter));
        pdf_dict_put(ctx, v, PDF_NAME(Type), PDF_NAME(Sig));
        if (signer->time)
            pdf_dict_put_string(ctx, v, PDF_NAME(M), signer->time, strlen(signer->time));
        if (signer->reason)
            pdf_dict_put_drop(ctx, v, PDF_NAME(Reason), new_text_string(ctx, signer->reason));
        if (customtag)
            pdf_dict_puts_drop(ctx, v, "CustomTagV", new_text_string(ctx, customtag));
        pdf_obj* build = pdf_dict_put_dict(ctx, v, PDF_NAME(Prop_Build), 1);
        pdf_obj* app = pdf_dict_put_dict(ctx, build, PDF_NAME(App), 2);
        pdf_dict_put_string(ctx, app, PDF_NAME(Name), "Orvessa", 7);
        pdf_dict_put_array(ctx, app, PDF_NAME(OS), 0);

        pdf_xref_store_unsaved_signature(ctx, doc, field, &signer->base);
    }
    fz_always(ctx)
    {
        fz_free(ctx, zeros);
        pdf_drop_obj(ctx, v);
    }
    fz_catch(ctx)
        fz_rethrow(ctx);
}

void vq_sig_ensure_appearance(fz_context* ctx, pdf_annot* widget)
{
    pdf_obj* obj = pdf_annot_obj(ctx, widget);
    if (pdf_dict_getp(ctx, obj, "AP/N"))
        return;
    fz_rect r = pdf_dict_get_rect(ctx, obj, PDF_NAME(Rect));
    fz_rect bbox = fz_make_rect(0, 0, r.x1 - r.x0, r.y1 - r.y0);
    fz_buffer* empty = fz_new_buffer(ctx, 1);
    fz_try(ctx)
        pdf_set_annot_appearance(ctx, widget, "N", NULL, fz_identity, bbox, NULL, empty);
    fz_always(ctx)
        fz_drop_buffer(ctx, empty);
    fz_catch(ctx)
        fz_rethrow(ctx);
}

void vq_sig_lock_field(fz_context* ctx, pdf_document* doc, pdf_obj* field)
{
    if (pdf_dict_get(ctx, field, PDF_NAME(Lock)))
        return;
    pdf_obj* lock = pdf_new_dict(ctx, doc, 3);
    fz_try(ctx)
    {
        pdf_dict_put_name(ctx, lock, PDF_NAME(Type), "SigFieldLock");
        pdf_dict_put(ctx, lock, PDF_NAME(Action), PDF_NAME(All));
        pdf_dict_put_int(ctx, lock, PDF_NAME(P), 1);
        pdf_dict_put_drop(ctx, field, PDF_NAME(Lock), pdf_add_object(ctx, doc, lock));
    }
    fz_always(ctx)
        pdf_drop_obj(ctx, lock);
    fz_catch(ctx)
        fz_rethrow(ctx);
}

int vq_sig_subfilter_kind(fz_context* ctx, pdf_obj* field)
{
    volatile int kind = -1;
    fz_try(ctx)
    {
        pdf_obj* v = pdf_dict_get_inheritable(ctx, field, PDF_NAME(V));
        pdf_obj* sf = pdf_dict_get(ctx, v, PDF_NAME(SubFilter));
        if (pdf_is_name(ctx, sf))
        {
            const char* name = pdf_to_name(ctx, sf);
            static const char* const sm3[] = {"vqsign.pkcs7.sm3.1", "vqsign.pkcs7.sm3.2", "vqsign.pkcs7.sm3.3",
                                              "vqsign.pkcs7.sm3.4"};
            kind = -2;
            if (!strcmp(name, "adbe.pkcs7.detached"))
                kind = 0;
            for (int i = 0; i < 4; i++)
                if (!strcmp(name, sm3[i]))
                    kind = i + 1;
            if (!strcmp(name, "vqsign.gb2018.sm3") || !strcmp(name, "GM.eSeal") || !strcmp(name, "adbe.asn1.sm3"))
                kind = 5;
        }
    }
    fz_catch(ctx)
        kind = -1;
    return kind;
}

char* vq_sig_get_text(fz_context* ctx, pdf_obj* field, int in_v, const char* key)
{
    char* volatile out = NULL;
    fz_try(ctx)
    {
        pdf_obj* dict = in_v ? pdf_dict_get_inheritable(ctx, field, PDF_NAME(V)) : field;
        pdf_obj* val = pdf_dict_gets(ctx, dict, key);
        if (pdf_is_string(ctx, val) || pdf_is_name(ctx, val))
        {
            const char* text = pdf_is_name(ctx, val) ? pdf_to_name(ctx, val) : pdf_to_text_string(ctx, val);
            out = strdup(text ? text : "");
        }
    }
    fz_catch(ctx)
        out = NULL;
    return out;
}

int64_t vq_sig_sign_date(fz_context* ctx, pdf_obj* field)
{
    volatile int64_t t = 0;
    fz_try(ctx)
    {
        pdf_obj* m = pdf_dict_get(ctx, pdf_dict_get_inheritable(ctx, field, PDF_NAME(V)), PDF_NAME(M));
        if (pdf_is_string(ctx, m))
            t = pdf_parse_date(ctx, pdf_to_str_buf(ctx, m));
    }
    fz_catch(ctx)
        t = 0;
    return t < 0 ? 0 : t;
}

size_t vq_sig_contents(fz_context* ctx, pdf_obj* field, char** out)
{
    volatile size_t len = 0;
    char* volatile data = NULL;
    fz_try(ctx)
    {
        pdf_obj* c = pdf_dict_get(ctx, pdf_dict_get_inheritable(ctx, field, PDF_NAME(V)), PDF_NAME(Contents));
        if (pdf_is_string(ctx, c))
        {
            data = pdf_to_str_buf(ctx, c);
            len = pdf_to_str_len(ctx, c);
        }
    }
    fz_catch(ctx)
    {
        len = 0;
        data = NULL;
    }
    if (out)
        *out = data;
    return len;
}

int vq_sig_is_signature_field(fz_context* ctx, pdf_obj* field)
{
    volatile int yes = 0;
    fz_try(ctx)
        yes = pdf_name_eq(ctx, pdf_dict_get_inheritable(ctx, field, PDF_NAME(FT)), PDF_NAME(Sig));
    fz_catch(ctx)
        yes = 0;
    return yes;
}

/* Removes obj from the array (by identity of the indirect object). */
static int remove_from_array(fz_context* ctx, pdf_obj* arr, pdf_obj* obj)
{
    int n = pdf_array_len(ctx, arr);
    for (int i = n - 1; i >= 0; i--)
        if (!pdf_objcmp(ctx, pdf_array_get(ctx, arr, i), obj))
        {
            pdf_array_delete(ctx, arr, i);
            return 1;
        }
    return 0;
}

void vq_sig_delete_widget(fz_context* ctx, pdf_document* doc, pdf_annot* widget)
{
    pdf_obj* obj = pdf_keep_obj(ctx, pdf_annot_obj(ctx, widget));
    fz_try(ctx)
    {
        pdf_xref_remove_unsaved_signature(ctx, doc, obj);
        pdf_obj* parent = pdf_dict_get(ctx, obj, PDF_NAME(Parent));
        if (parent)
            remove_from_array(ctx, pdf_dict_get(ctx, parent, PDF_NAME(Kids)), obj);
        remove_from_array(ctx, pdf_dict_getp(ctx, pdf_trailer(ctx, doc), "Root/AcroForm/Fields"), obj);
        pdf_delete_annot(ctx, pdf_annot_page(ctx, widget), widget);
    }
    fz_always(ctx)
        pdf_drop_obj(ctx, obj);
    fz_catch(ctx)
        fz_rethrow(ctx);
}
