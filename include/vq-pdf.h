/*
 * vq-pdf.h: the public C interface of the Orvessa PDF engine (libvqpdf).
 *
 * A flat procedural layer over the PDF library. Every operation is a free function named
 * vq_<object>_<action>; the document handle comes first in every operation on an open
 * document. Results are an int code of vq_error_type (0 is success), a handle (NULL on
 * failure) or a plain value. No exception of the PDF library ever crosses this interface.
 *
 * Page numbers are 0-based. Text is UTF-8. Coordinates are in page space unless stated
 * otherwise: origin at the top-left corner of the page as displayed (after /Rotate), x to the
 * right, y downwards, one unit per PDF point times /UserUnit. View space is page space scaled
 * by a zoom factor (1.0 = one unit per point) and rotated about the origin by degrees.
 *
 * Threads: every document has its own re-entrant lock; every operation that touches a
 * document or one of its pages takes it, so a render thread and the GUI thread may share a
 * document. Handles of one document must not be used after vq_document_close.
 */
#ifndef VQ_PDF_H
#define VQ_PDF_H

#include <stddef.h>

#if defined(_WIN32)
#define VQ_API __declspec(dllexport)
#elif defined(__GNUC__)
#define VQ_API __attribute__((visibility("default")))
#else
#define VQ_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* ---------------------------------------------------------------------------------------- */
/* Handles                                                                                  */
/* ---------------------------------------------------------------------------------------- */

typedef struct document vq_document;        /* an open document (private to the engine) */
typedef struct page_t vq_page;              /* a page handle, owned by its document */
typedef struct vq_annot_s vq_annot;         /* an annotation of a loaded page */
typedef vq_annot vq_field;                  /* a form widget (an annotation of subtype Widget) */
typedef vq_annot vq_signature;              /* a signature widget (a vq_field of type signature) */
typedef struct vq_pixmap_s vq_pixmap;       /* a rendered pixmap */
typedef vq_pixmap vq_page_image;            /* a page's display image, owned by the page */
typedef struct vq_outline_s vq_outline;     /* one outline (bookmark) item */
typedef struct vq_buffer_s vq_buffer;       /* a byte buffer */
typedef struct vq_stream_s vq_stream;       /* an input stream */
typedef struct text_widget_info_s vq_font;  /* text-widget font record (opaque) */

/* Geometry: the same layout as the PDF library's rectangles and points. */
typedef struct rect { float x0, y0, x1, y1; } vq_rect;
typedef struct irect { int x0, y0, x1, y1; } vq_irect;
typedef struct point { float x, y; } vq_point;

/* ---------------------------------------------------------------------------------------- */
/* Enumerations                                                                             */
/* ---------------------------------------------------------------------------------------- */

typedef enum
{
    VQ_ANNOT_TEXT = 0, VQ_ANNOT_LINK = 1, VQ_ANNOT_FREETEXT = 2, VQ_ANNOT_LINE = 3,
    VQ_ANNOT_SQUARE = 4, VQ_ANNOT_CIRCLE = 5, VQ_ANNOT_POLYGON = 6, VQ_ANNOT_POLYLINE = 7,
    VQ_ANNOT_HIGHLIGHT = 8, VQ_ANNOT_UNDERLINE = 9, VQ_ANNOT_SQUIGGLY = 10,
    VQ_ANNOT_STRIKEOUT = 11, VQ_ANNOT_STAMP = 12, VQ_ANNOT_CARET = 13, VQ_ANNOT_INK = 14,
    VQ_ANNOT_POPUP = 15, VQ_ANNOT_FILEATTACHMENT = 16, VQ_ANNOT_SOUND = 17, VQ_ANNOT_MOVIE = 18,
    VQ_ANNOT_WIDGET = 19, VQ_ANNOT_SCREEN = 20, VQ_ANNOT_PRINTERMARK = 21,
    VQ_ANNOT_TRAPNET = 22, VQ_ANNOT_WATERMARK = 23, VQ_ANNOT_3D = 24
} vq_annot_type;

typedef enum
{
    VQ_ANNOT_LE_NONE = 0, VQ_ANNOT_LE_SQUARE, VQ_ANNOT_LE_CIRCLE, VQ_ANNOT_LE_DIAMOND,
    VQ_ANNOT_LE_OPEN_ARROW, VQ_ANNOT_LE_CLOSED_ARROW, VQ_ANNOT_LE_BUTT,
    VQ_ANNOT_LE_R_OPEN_ARROW, VQ_ANNOT_LE_R_CLOSED_ARROW, VQ_ANNOT_LE_SLASH
} vq_line_ending;

typedef enum
{
    VQ_FIELD_TYPE_NOT_WIDGET = -1, VQ_FIELD_TYPE_PUSHBUTTON = 0, VQ_FIELD_TYPE_CHECKBOX = 1,
    VQ_FIELD_TYPE_RADIOBUTTON = 2, VQ_FIELD_TYPE_TEXT = 3, VQ_FIELD_TYPE_LISTBOX = 4,
    VQ_FIELD_TYPE_COMBOBOX = 5, VQ_FIELD_TYPE_SIGNATURE = 6
} vq_field_type;

typedef enum { VQ_IN_SELECT = 0, VQ_OUT_SELECT = 1 } vq_select_way;
typedef enum { VQ_MOUSE_MOVE = 0, VQ_MOUSE_DOWN = 1, VQ_MOUSE_UP = 2 } vq_mouse_state;
typedef enum { VQ_HAND = 0, VQ_TEXT_SELECT = 1, VQ_ANNOT_SELECT = 2 } vq_select_state;

typedef enum
{
    VQ_HIT_NOTHING = 0, VQ_HIT_ANNOT_NOT_WIDGET = 1, VQ_HIT_LINK = 2, VQ_HIT_TEXT = 3,
    VQ_HIT_WIDGET_TEXT = 4, VQ_HIT_WIDGET_CHECKBOX = 5, VQ_HIT_WIDGET_PUSHBUTTON = 6,
    VQ_HIT_WIDGET_LISTBOX = 7, VQ_HIT_WIDGET_COMBOBOX = 8, VQ_HIT_WIDGET_RADIOBUTTON = 9,
    VQ_HIT_SIGNATURE = 10
} vq_hit_type;

typedef enum { VQ_BS_S = 'S', VQ_BS_D = 'D', VQ_BS_B = 'B', VQ_BS_I = 'I', VQ_BS_U = 'U' } vq_field_bs_type;

typedef enum
{
    VQ_Invisible = 1, VQ_Hidden = 2, VQ_Print = 4, VQ_NoZoom = 8, VQ_NoRotate = 16,
    VQ_NoView = 32, VQ_ReadOnly = 64, VQ_Locked = 128, VQ_ToggleNoView = 256,
    VQ_LockedContents = 512
} vq_annot_flags;

typedef enum
{
    VQ_PERMISSION_PRINT = 'p', VQ_PERMISSION_COPY = 'c', VQ_PERMISSION_EDIT = 'e',
    VQ_PERMISSION_ANNOTATE = 'n'
} vq_permission_type;

typedef enum { VQ_IMAGE_PNG = 0, VQ_IMAGE_JPEG = 1 } vq_convert_image_type;

typedef enum
{
    Not_Supported = -2, Detached_Null = -1, RSA_Detached = 0, SM2_V1 = 1, SM2_V2 = 2,
    SM2_V3 = 3, SM2_V4 = 4, SM2_V5 = 5
} vq_sign_mode;

typedef enum { VQ_RENDER_CONTENT = 0, VQ_RENDER_ANNOTATION = 1, VQ_RENDER_ALL = 2 } vq_pixmap_render_type;

/* RGB pixmaps hold blue, green, red, alpha (4 bytes a pixel); gray ones gray, alpha. */
typedef enum { VQ_COLORSPACE_RGB = 0, VQ_COLORSPACE_GRAY = 1 } vq_pixmap_render_colorspace;

/* ---------------------------------------------------------------------------------------- */
/* Result codes                                                                             */
/* ---------------------------------------------------------------------------------------- */

typedef enum
{
    VQ_OK = 0,
    VQ_FAIL = 1,
    VQ_NOFOUND_FILE = 100,              /* the file cannot be opened for reading */
    VQ_NOSUPPORT_FILE = 101,            /* not a PDF document (no version marker) */
    VQ_DAMAGED_FILE = 103,              /* the document cannot be read (or needed repair) */
    VQ_FILE_IS_BUSY = 104,              /* the output file cannot be opened for writing */
    VQ_SIGNATURE_ERROR = 105,
    VQ_SAVE_FILE_FAIL = 106,            /* saving to a new path failed */
    VQ_FILE_CHANGED = 107,              /* the file changed on disk since the engine read it or
                                           last wrote it: saving is refused, nothing is written */
    VQ_PDF_ERROR_GENERIC = 108,         /* saving failed with the library's generic error */
    VQ_SET_SIGNATURE_VALUE_ERROR = 109,
    VQ_NEED_PASSWORD = 400,
    VQ_CRYPTED = 401,
    VQ_REPAIR_ATTEMPTED = 402,
    VQ_GET_SM2_CERT_ERROR = 3000,
    VQ_CREATE_SM3_ERROR = 3001,
    VQ_CREATE_TIMESTAME_ERROR = 3002,
    VQ_HTTP_REQUEST_DATA_IS_NULL = 3051,
    VQ_HTTP_REQUEST_DATA_IS_ERROR = 3052,
    VQ_SIGNATURE_IS_NULL = 3053,
    VQ_SIGNATURE_NOSIGNED = 3054,
    VQ_SIGNATURE_ISNOT_SUPPORT = 3055,
    VQ_SIGNATURE_P7ERROR = 3056,
    VQ_SIGNATURE_GETCERT_ERROR = 3057,
    VQ_SIGNATURE_GETPUBKEY_ERROR = 3058,
    VQ_SIGNATURE_ASN1ERROR = 3059,
    VQ_CERT_ISNULL = 3060,
    VQ_BATCH_SIGN_DATA_ERROR = 3061,
    VQ_P7_MAXLEN_ERROR = 3062,
    VQ_P7_TOBUFFER_ERROR = 3063,
    VQ_P7ADDSIGNERINFO_ERROR = 3064,
    VQ_MKCERT_TIMEERROR = 3110,
    VQ_MKCERT_USAGERROR = 3111,
    VQ_ELESEAL_TIME_ERROR = 3112,
    VQ_SIGNTIME_OUT_ELESEALTIME = 3113,
    VQ_SIGNCERT_TIMEERROR = 3114,
    VQ_SIGNTIME_OUT_SIGNCERTTIME = 3115,
    VQ_SIGNCERT_USAGE_ERROR = 3116,
    VQ_SIGNCERT_NOINSEALCERTLIST = 3117,
    VQ_SEALCREATIME_ERROR1 = 3118,
    VQ_SEALCREATIME_ERROR2 = 3119,
    VQ_SEALCREATIME_ERROR3 = 3120,
    VQ_SEALCREATIME_ERROR4 = 3121,
    VQ_VERIFY_SM2_ERROR = 3122,
    VQ_TOKEN_ERROR1 = 51001,
    VQ_TOKEN_ERROR2 = 51002,
    VQ_TOKEN_ERROR3 = 51003
} vq_error_type;

/* Exception codes raised inside the engine on top of the PDF library's own ones. */
enum
{
    VQ_EXC_OPEN_FILE = 9,       /* a file cannot be opened for reading */
    VQ_EXC_NOT_PDF = 10,        /* no "%PDF-" version marker */
    VQ_EXC_NO_STARTXREF = 11,   /* the cross-reference start is missing or too large */
    VQ_EXC_IMAGE_FORMAT = 12,   /* an image format is not recognised */
    VQ_EXC_APPEARANCE = 13,     /* an appearance could not be set */
    VQ_EXC_OUTPUT_OPEN = 100,   /* the output file cannot be opened */
    VQ_EXC_OUTPUT_CLOSE = 1000  /* the output file cannot be closed */
};

/* ---------------------------------------------------------------------------------------- */
/* Callbacks                                                                                */
/* ---------------------------------------------------------------------------------------- */

/* Asks the application to have a digest signed: certificate serial, algorithm, certificate
   type, Base64 digest, hexadecimal MD5 of the signed bytes, then r, its length, s, its length,
   time stamp, its length (out). Returns 0 or a code that aborts the save. */
typedef int (*vq_sign_callbackfun)(const char* sn, int algo, int certtype, const char* digest,
                                   const char* md5, char* r, int* rlen, char* s, int* slen,
                                   char* tsa, int* tsalen);

/* Asks the application to check a time stamp: MD5 text, time-stamp text, answer buffer,
   answer length (out, 0 when there is no answer). */
typedef int (*vq_verify_callbackfun)(const char* md5, const char* tsa, char* result, int* len);

/* Signer record of the older signing path. */
typedef struct pdf_signer_s pdf_signer;
typedef pdf_signer* (*pdf_keep_fn)(pdf_signer* signer);
typedef void (*pdf_drop_fn)(pdf_signer* signer);
typedef int (*pdf_create_digest_fn)(pdf_signer* signer, vq_stream* in, unsigned char* digest,
                                    int* digest_len);
typedef int (*pdf_max_digest_size_fn)(pdf_signer* signer);
struct pdf_signer_s
{
    pdf_keep_fn keep;
    pdf_drop_fn drop;
    pdf_create_digest_fn create_digest;
    pdf_max_digest_size_fn max_digest_size;
    int sign_mode; /* a vq_sign_mode */
};

/* ---------------------------------------------------------------------------------------- */
/* Documents                                                                                */
/* ---------------------------------------------------------------------------------------- */

/* Opens a PDF file (UTF-8 path). On success *nret = 0. On failure returns NULL with *nret:
   100 the file cannot be read, 101 not a PDF, 11 no cross-reference start, 103 damaged (a
   file whose cross-reference needed repair is refused), 1 out of memory. */
VQ_API vq_document* vq_document_open_file(const char* fpath, int* nret);
/* Opens a PDF held in memory (the bytes are copied); same codes as vq_document_open_file. */
VQ_API vq_document* vq_document_open_stream(unsigned char* unfiledata, unsigned int len, int* nret);
/* A second document over the bytes src holds (its file is shared, not read again; bytes it
   holds in memory only are copied), for reading on another thread: it has no path and no
   password, and saving it writes no file. Quick: src is held only while its bytes are taken.
   NULL with *nret set when it cannot be made. vq_document_open_twin then opens it (the long
   part, src not held): 0 or the codes of vq_document_open_file; close it either way. */
VQ_API vq_document* vq_document_new_twin(vq_document* src, int* nret);
VQ_API int vq_document_open_twin(vq_document* twin);
/* Builds the page table (once); required before any page operation. */
VQ_API void vq_document_cut_page(vq_document* doc);
/* Closes the document and frees every handle it handed out; NULL does nothing. */
VQ_API void vq_document_close(vq_document* doc);

VQ_API int vq_document_page_count(vq_document* doc);
VQ_API const char* vq_document_file_path(vq_document* doc);
VQ_API long long vq_document_file_size(vq_document* doc);
VQ_API int vq_document_has_unsaved(vq_document* doc);
/* Drops every change made since the document was opened or last saved: the document is reopened
   from its bytes. Page handles stay valid; annotation and signature handles do not.
   0 or an open code. */
VQ_API int vq_document_revert(vq_document* doc);
/* 0 when the document's file can be opened for update, 1 otherwise. */
VQ_API int vq_document_canbe_save(vq_document* doc);
/* 0 while the file at the document's path is the one the engine read or last wrote, unchanged;
   VQ_FILE_CHANGED when it was changed, replaced or removed since (a save in place would then be
   refused). 0 for a document without a path. */
VQ_API int vq_document_file_changed(vq_document* doc);
/* 0, or VQ_REPAIR_ATTEMPTED, VQ_CRYPTED, VQ_NEED_PASSWORD in that order of precedence. */
VQ_API int vq_document_canbe_sign(vq_document* doc);
/* Number of signature fields listed in the document's AcroForm. */
VQ_API int vq_document_has_signature(vq_document* doc);
/* Number of form-field widgets on all pages (every field type), as vq_field_first/vq_field_next
   list them page by page, read from the page objects without loading a page. Builds the page
   table when it is not built yet. */
VQ_API int vq_document_widget_count(vq_document* doc);
VQ_API int vq_document_has_password(vq_document* doc);
VQ_API int vq_document_authenticate_password(vq_document* doc, const char* password);
VQ_API int vq_document_has_permission(vq_document* doc, vq_permission_type permission);
VQ_API int vq_app_geterror(vq_document* doc);
VQ_API const char* vq_app_geterror_meg(vq_document* doc);
VQ_API int vq_document_convertto_doc(vq_document* doc, char* filepath, int pagefrom, int pageto);
VQ_API int vq_document_convertto_image(vq_document* doc, char* dirpath, vq_convert_image_type type,
                                       int pagefrom, int pageto);

/* Saving. The document reads its file through a descriptor it keeps open (the file is never
   read whole into memory). An incremental save builds only the update in memory (pending
   signatures are completed there, so the sign callback runs inside the save) and then appends
   it to the file, or, to another path, copies the document's bytes with the kernel's copy
   into a temporary file beside the target, appends the update and renames it over the target.
   A failed append is cut back to the old length, so a failed save leaves every file
   byte-identical. A full save writes the complete new file into memory first. A save that
   would write over a file changed on disk since the engine read it or last wrote it is refused
   with 107 (VQ_FILE_CHANGED) before anything is written.
   After a successful save the document is reopened from the bytes written, so that the next
   incremental save appends after this one; page handles stay valid, annotation handles do not.

   vq_document_save: incremental update of the file the document was opened from.
     0, 104 (cannot write there), 107, 108 (generic failure) or a signing code passed on.
   vq_document_saveas: writes to newutf8path (incremental: the document's bytes followed by
     the update). An existing file there is replaced only by a complete new file. Afterwards the
     document belongs to the new path. 0, 104 (cannot write there), 106 or 107.
   vq_document_savecopy: writes a copy to path as vq_document_saveas does, but the document
     keeps its own file: an incremental update stays with the document (in memory) and reaches
     its file with the next vq_document_save. 0, 104, 107, or as vq_document_save for any other
     failure (signing codes are passed on).
   vq_document_saveas_stream: into memory. Incremental: the document's own buffer (its bytes
     followed by the update), valid until the next save or close. Full: a new buffer the caller
     releases with vq_buffer_drop. *ret as for vq_document_save. */
VQ_API int vq_document_save(vq_document* doc);
VQ_API int vq_document_saveas(vq_document* doc, int do_incremental, const char* newutf8path);
VQ_API int vq_document_savecopy(vq_document* doc, int do_incremental, const char* path);
VQ_API vq_buffer* vq_document_saveas_stream(vq_document* doc, int do_incremental, int* ret);

/* The document's re-entrant lock: every vq_lock is matched by one vq_unlock. */
VQ_API void vq_lock(vq_document* doc);
VQ_API void vq_unlock(vq_document* doc);
VQ_API void vq_destory_lock(vq_document* doc);

/* Byte buffers handed out by the engine. */
VQ_API size_t vq_buffer_storage(vq_document* doc, vq_buffer* buffer, char** data);
VQ_API void vq_buffer_drop(vq_document* doc, vq_buffer* buffer);

/* ---------------------------------------------------------------------------------------- */
/* Pages, rendering and pixmaps                                                             */
/* ---------------------------------------------------------------------------------------- */

/* The page handle for a page number clamped to 0 .. count-1, its page loaded on first use;
   NULL before vq_document_cut_page. The same handle for the same page every time. */
VQ_API vq_page* vq_page_index(vq_document* doc, int pagenum);
/* Reloads a page after its annotations or fields changed; its lists are rebuilt on demand. */
VQ_API vq_page* vq_page_update(vq_document* doc, int pagenum);
/* Size box: MediaBox ∩ CropBox rotated by /Rotate and scaled by a real /UserUnit, at 0,0. */
VQ_API vq_rect* vq_page_mediabox(vq_document* doc, int pagenum, vq_rect* out);
/* The page bounds in view space. */
VQ_API vq_rect* vq_page_box(vq_document* doc, vq_page* page, vq_rect* out, float zoom, float rotate);
/* The page bounds scaled by zoom, rounded outwards to whole pixels. */
VQ_API vq_irect* vq_page_ibox(vq_document* doc, vq_page* page, vq_irect* out, float zoom);
/* Draws the page (contents and annotations; an area in page space or NULL for the whole page)
   into a white BGRA pixmap kept on the page; the caller must not free it. */
VQ_API vq_page_image* vq_page_display_image(vq_document* doc, vq_page* page, vq_rect* area,
                                            float zoomfactor, float rotate);
VQ_API void vq_page_drop_display_image(vq_document* doc, vq_page* page, vq_page_image* image);
/* A new pixmap of the whole page, owned by the caller (vq_pixmap_free). */
VQ_API vq_pixmap* vq_page_generate_pixmap(vq_document* doc, vq_page* page,
                                          vq_pixmap_render_type type,
                                          vq_pixmap_render_colorspace colorspace,
                                          float zoomfactor, float rotate);
VQ_API int vq_page_update_annot_changed(vq_document* doc, vq_page* page, float zoomfactor, float rotate);
VQ_API void vq_page_delete(vq_document* doc, vq_page* page);
VQ_API void vq_page_insert(vq_document* doc, vq_page* page, int at);

VQ_API unsigned char* vq_pixmap_sample(vq_document* doc, vq_pixmap* pixmap);
VQ_API int vq_pixmap_width(vq_document* doc, vq_pixmap* pixmap);
VQ_API int vq_pixmap_height(vq_document* doc, vq_pixmap* pixmap);
VQ_API int vq_pixmap_components(vq_document* doc, vq_pixmap* pixmap);
VQ_API void vq_pixmap_free(vq_document* doc, vq_pixmap* pixmap);
VQ_API vq_pixmap* vq_pixmap_convert(vq_document* doc, vq_pixmap* pixmap);

/* Page space <-> view space, in place: scale by zoom, rotate by degrees. */
VQ_API vq_point* vq_transform_point(vq_point* point, float zoom, float rotate);
VQ_API vq_rect* vq_transform_rect(vq_rect* rect, float zoom, float rotate);
VQ_API vq_point* vq_invert_point(vq_point* point, float zoom, float rotate);
VQ_API vq_rect* vq_invert_rect(vq_rect* rect, float zoom, float rotate);

/* ---------------------------------------------------------------------------------------- */
/* Hit testing and text selection (built on the page's structured text)                     */
/* ---------------------------------------------------------------------------------------- */

/* What lies under a page-space point for the tool in use. */
VQ_API vq_hit_type vq_page_onmouse(vq_document* doc, vq_page* page, vq_point pt, vq_mouse_state ms,
                                   vq_select_state ss);
/* Writes the selection's highlight rectangles (at most 512) to hittbox; returns their number,
   or -1 for a null document or page. */
VQ_API int vq_page_select_content(vq_document* doc, vq_page* page, vq_select_way sw, vq_rect selectrect,
                                  vq_rect* hittbox);
/* The UTF-8 text meeting rect (view space, converted to page space in place); the caller
   frees it. */
VQ_API char* vq_page_copy_selection(vq_document* doc, vq_page* page, vq_rect* rect, float zoom, float rotate);

/* ---------------------------------------------------------------------------------------- */
/* Outline                                                                                  */
/* ---------------------------------------------------------------------------------------- */

/* The first top-level item, or NULL. Each call builds a new tree, owned by the document and
   freed when it closes. */
VQ_API vq_outline* vq_document_outline(vq_document* doc);
VQ_API vq_outline* vq_doucment_outline(vq_document* doc);
VQ_API const char* vq_outline_title(vq_outline* item);
VQ_API const char* vq_outline_url(vq_outline* item);
VQ_API int vq_outline_goto_page(vq_outline* item);
VQ_API vq_point vq_outline_goto_page_point(vq_outline* item);
VQ_API int vq_outline_is_open(vq_outline* item);
VQ_API vq_outline* vq_outline_next(vq_outline* item);
VQ_API vq_outline* vq_outline_child(vq_outline* item);
VQ_API void vq_outline_rename(void);


/* ---------------------------------------------------------------------------------------- */
/* Annotations, form fields and focus                                                       */
/* ---------------------------------------------------------------------------------------- */

/* Handles of annotations and fields belong to a loaded page: vq_page_update of that page, a
   save (which reopens the document) or vq_document_close ends them. Every operation checks
   the handle against the document's loaded pages first, so a null or ended handle gives
   VQ_FAIL (or NULL, 0, an empty rectangle) instead of being read. Geometry is in page space.
   Operations that change an annotation bring its appearance up to date. Texts returned as
   char* are the caller's, released with free() (names with vq_field_drop_name). */

/* A new annotation of the type (not a link, pop-up or widget) on the page, or NULL. */
VQ_API vq_annot* vq_page_add_annot(vq_document* doc, vq_page* page, vq_annot_type type);
/* A new widget of the type named identify (required), with the optional seal record addinfo
   (/Addinfo); a signature field also sets the form's /SigFlags to include 3. NULL on failure,
   with nothing left behind. */
VQ_API vq_field* vq_page_add_field(vq_document* doc, vq_page* page, vq_field_type type, char* identify,
                                   const char* addinfo);
/* The page's annotations in /Annots order, widgets included (links and pop-ups are not). */
VQ_API vq_annot* vq_annot_first(vq_document* doc, vq_page* page);
VQ_API vq_annot* vq_annot_next(vq_document* doc, vq_annot* annot);
/* Removes the annotation from its page and its /Annots. */
VQ_API int vq_annot_delete(vq_document* doc, vq_annot* annot);

/* vq_annot_type of an annotation, -1 for a bad handle or a type outside the enumeration. */
VQ_API int vq_annot_get_type(vq_document* doc, vq_annot* annot);
/* Bounds in page space (all zero for a bad handle). */
VQ_API vq_rect vq_annot_get_rect(vq_document* doc, vq_annot* annot);
/* Sets /Rect; the strokes of an ink annotation move with its corner. */
VQ_API int vq_annot_set_rect(vq_document* doc, vq_annot* annot, vq_rect rect);
/* Moves the bounds' top-left corner to pt keeping the size (ink strokes stay). */
VQ_API int vq_annot_set_postion(vq_document* doc, vq_annot* annot, vq_point pt);
/* Replaces /QuadPoints with one quadrilateral per rectangle (n >= 1). */
VQ_API int vq_annot_set_quadpoints(vq_document* doc, vq_annot* annot, vq_rect* rects, int n);
VQ_API int vq_annot_quadpoint_count(vq_document* doc, vq_annot* annot);
/* Quadrilateral idx as the rectangle from its first to its fourth point. */
VQ_API int vq_annot_get_quadpoint(vq_document* doc, vq_annot* annot, int idx, vq_rect* rect);
/* Replaces /InkList: stroke i takes the next counts[i] points of pts. */
VQ_API int vq_annot_set_inklist(vq_document* doc, vq_annot* annot, const vq_point* pts, const int* counts,
                                int ncount);
/* Appends one stroke of n points. */
VQ_API int vq_annot_add_inklist(vq_document* doc, vq_annot* annot, int n, vq_point* p);
/* Reads the first ncount strokes: stroke i gives at most counts[i] points (counts[i] is set
   to the number written). */
VQ_API int vq_annot_get_inklist(vq_document* doc, vq_annot* annot, vq_point* pts, int* counts, int ncount);
VQ_API int vq_annot_get_inklist_count(vq_document* doc, vq_annot* annot);
VQ_API int vq_annot_get_inklist_stroke_count(vq_document* doc, vq_annot* annot, int i);
/* Moves every stroke point by (x, -y) of pts in PDF space; pts->y is negated in place. */
VQ_API int vq_annot_translate_inklist(vq_document* doc, vq_annot* annot, vq_point* pts);
/* /C from three RGB components 0..1; the getter writes three components and returns 3, or 0
   when the annotation has no colour. */
VQ_API int vq_annot_set_color(vq_document* doc, vq_annot* annot, float* bcolor);
VQ_API int vq_annot_get_color(vq_document* doc, vq_annot* annot, float* bcolor);
VQ_API int vq_annot_set_opacity(vq_document* doc, vq_annot* annot, float opacity);
VQ_API float vq_annot_get_opacity(vq_document* doc, vq_annot* annot);
VQ_API int vq_annot_set_line_width(vq_document* doc, vq_annot* annot, float width);
VQ_API float vq_annot_get_line_width(vq_document* doc, vq_annot* annot);
VQ_API int vq_annot_set_flags(vq_document* doc, vq_annot* annot, int flags);
VQ_API int vq_annot_get_flags(vq_document* doc, vq_annot* annot);
VQ_API int vq_annot_set_contents(vq_document* doc, vq_annot* annot, const char* text);
VQ_API char* vq_annot_get_contents(vq_document* doc, vq_annot* annot);
VQ_API int vq_annot_freetext_set_text(vq_document* doc, vq_annot* annot, vq_point* pt, char* text);
VQ_API int vq_annot_line_set_points(vq_document* doc, vq_annot* annot, vq_point begin, vq_point end);
VQ_API int vq_annot_line_set_b_e_type(vq_document* doc, vq_annot* annot, vq_line_ending start,
                                      vq_line_ending end);
VQ_API int vq_annot_squre_circle_set_points(vq_document* doc, vq_annot* annot, vq_point begin, vq_point end);
VQ_API int vq_annot_squre_circle_set_interior_color(vq_document* doc, vq_annot* annot, const float* color);
/* Brings the appearance stream up to date now. */
VQ_API int vq_annot_update_appearance(vq_document* doc, vq_annot* annot);
/* Text-widget fonts are not offered: NULL, 1.0, NULL, nothing, nothing. */
VQ_API vq_font* vq_annot_get_font(vq_document* doc, vq_annot* annot);
VQ_API float vq_font_size(vq_font* font);
VQ_API float* vq_font_color(vq_font* font);
VQ_API void vq_annot_freetext_set_details(vq_document* doc, vq_annot* annot, vq_font* font);
VQ_API void vq_annot_freetext_set_font_file(vq_document* doc, vq_annot* annot, const char* path);

/* Focus: NULL clears it. The focus survives page updates as the annotation's object: after an
   update vq_document_focus_annot is NULL and the page number -1 until it is set again, while
   vq_annot_has_foucs still recognises the object. */
VQ_API int vq_annot_setfoucs(vq_document* doc, vq_annot* annot);
VQ_API vq_annot* vq_document_focus_annot(vq_document* doc);
VQ_API int vq_doucment_foucsannot_pagenumber(vq_document* doc);
VQ_API int vq_annot_has_foucs(vq_document* doc, vq_annot* annot);
VQ_API int vq_annot_compare(vq_annot* a, vq_annot* b);

/* Fields (widgets). */
VQ_API vq_field* vq_field_first(vq_document* doc, vq_page* page);
VQ_API vq_field* vq_field_next(vq_document* doc, vq_field* field);
/* Removes the widget from Root/AcroForm/Fields and from its page; a document without such an
   array keeps the widget. */
VQ_API int vq_field_drop(vq_document* doc, vq_field* field);
VQ_API vq_field_type vq_field_get_type(vq_document* doc, vq_field* field);
/* Full name (/T values joined by "."); release with vq_field_drop_name. */
VQ_API char* vq_field_get_name(vq_document* doc, vq_field* field);
VQ_API void vq_field_drop_name(vq_document* doc, char* name);
VQ_API char* vq_field_get_value(vq_document* doc, vq_field* field);
VQ_API int vq_field_set_value(vq_document* doc, vq_field* field, const char* value);
VQ_API char* vq_field_tx_get_text(vq_document* doc, vq_field* field);
VQ_API int vq_field_tx_set_text(vq_document* doc, vq_field* field, const char* text);
VQ_API int vq_field_tx_max_len(vq_document* doc, vq_field* field);
VQ_API int vq_field_tx_content_type(vq_document* doc, vq_field* field);
VQ_API int vq_field_tx_cursor(vq_document* doc, vq_field* field, const vq_point* pt);
VQ_API vq_point vq_field_tx_cursor_point(vq_document* doc, vq_field* field, int pos);
VQ_API float vq_field_get_font_size(vq_document* doc, vq_field* field);
/* Choice fields: number of options / current values; with opts not NULL the texts are written
   there (the document's own strings, valid until the field or its page changes). */
VQ_API int vq_field_ch_options(vq_document* doc, vq_field* field, char** opts);
VQ_API int vq_field_ch_get_current_value(vq_document* doc, vq_field* field, char** opts);
VQ_API int vq_field_ch_set_current_value(vq_document* doc, vq_field* field, int n, char** opts);
/* Border style by name; a failure records -1 as the document's error (vq_app_geterror). */
VQ_API int vq_field_set_border_style(vq_document* doc, vq_annot* annot, vq_field_bs_type style);
VQ_API vq_field_bs_type vq_field_get_border_style(vq_document* doc, vq_annot* annot);

/* ---------------------------------------------------------------------------------------- */
/* Page stamping, blank and merged documents                                                */
/* ---------------------------------------------------------------------------------------- */

/* Stamps a picture (any format the PDF library reads) of 113 x 113 points with its top-left
   corner at pto into the page's own content. 0 or VQ_FAIL (the page is then unchanged). */
VQ_API int vq_page_add_image_data(vq_document* doc, vq_page* page, vq_point* pto, unsigned char* data, int len);
VQ_API int vq_page_add_image_file(vq_document* doc, vq_page* page, vq_point* pto, const char* path);
/* Draws ncount ink strokes (stroke i takes the next counts[i] points; points at twice the
   page scale, offset by pto) as a smoothed path of the colour (RGB) and thickness. */
VQ_API int vq_page_add_path(vq_document* doc, vq_page* page, vq_point* pts, int* counts, int ncount,
                            vq_point* pto, float* color, float thickness);
/* A new document of one empty 595 x 842 page, with unsaved changes; NULL on failure. */
VQ_API vq_document* vq_document_new_blank(void);
/* A new document of the pages sourcefrom[i]..sourceto[i] (1-based, counting down when the
   first is larger) of each of the n documents in order; NULL on failure. The sources stay
   open and unchanged. */
VQ_API vq_document* vq_document_merge(vq_document** source, const int* sourcefrom, const int* sourceto, int n);

/* ---------------------------------------------------------------------------------------- */
/* Signature fields: arming, reading, finding, deleting; certificates                       */
/* ---------------------------------------------------------------------------------------- */

/* Arms a signature widget with the cloud signer: writes its signature dictionary (SubFilter
   vqsign.pkcs7.sm3.3, /M in UTC+8, /Reason, /CustomTagV = customTag) with /Contents reserved
   for the largest value the certificate can produce; the value itself is computed during the
   next save, which calls callback with the digests. A widget without an appearance gets an
   empty one. 0, VQ_CERT_ISNULL (no certificate text), VQ_SIGNATURE_GETCERT_ERROR (no usable SM2
   certificate), VQ_SIGNATURE_IS_NULL (no signature widget), VQ_FAIL (no callback); nothing is
   written on failure. */
VQ_API int vq_signature_set_value_callback_v3(vq_document* doc, vq_signature* sign, vq_sign_callbackfun callback,
                                              const char* base64cert, const char* customTag);
/* Arms count widgets with one shared signature value (one dictionary, computed once); islock 1
   also locks the last field. 0, VQ_CERT_ISNULL, VQ_SIGNATURE_GETCERT_ERROR or
   VQ_BATCH_SIGN_DATA_ERROR (no widgets, or one is null or no signature field); every widget is
   checked before anything is written. */
VQ_API int vq_batch_signature_set_value_callback_v3(vq_document* doc, vq_signature** signatures, int count,
                                                    vq_sign_callbackfun callback, const char* cert,
                                                    const char* customTag, int islock);

/* Texts of a signature field (new UTF-8 text the caller frees with free(), NULL when missing):
   the widget's /Addinfo, and the /V keys CustomTagV, VqC, VqFn, VqSn, VqSc, VqSun, VqSru, VqSrt. */
VQ_API char* vq_signature_get_addinfo(vq_document* doc, vq_signature* sign);
VQ_API char* vq_signature_get_customtag(vq_document* doc, vq_signature* sign);
VQ_API char* vq_signature_get_vqc(vq_document* doc, vq_signature* sign);
VQ_API char* vq_signature_get_vqfn(vq_document* doc, vq_signature* sign);
VQ_API char* vq_signature_get_vqsn(vq_document* doc, vq_signature* sign);
VQ_API char* vq_signature_get_vqsc(vq_document* doc, vq_signature* sign);
VQ_API char* vq_signature_get_vqsun(vq_document* doc, vq_signature* sign);
VQ_API char* vq_signature_get_vqsru(vq_document* doc, vq_signature* sign);
VQ_API char* vq_signature_get_vqsrt(vq_document* doc, vq_signature* sign);
/* The kind of /V/SubFilter. */
VQ_API vq_sign_mode vq_signature_get_sign_type(vq_document* doc, vq_signature* sign);
/* /V/M in seconds since 1970; 0 when missing. */
VQ_API long long vq_signature_get_sign_date(vq_document* doc, vq_signature* sign);
/* Object number of the (inherited) /V, or -1. */
VQ_API int vq_signature_get_objindex(vq_document* doc, vq_signature* sign);
/* Length of /V/Contents; *contents points into the document's object (not a copy). 0 when
   missing; by name also when there is no such signature field in Root /AcroForm /Fields. */
VQ_API int vq_signature_contents(vq_document* doc, vq_signature* sign, char** contents);
VQ_API int vq_signature_contents_by_name(vq_document* doc, const char* name, char** contents);

/* The first signature widget whose full field name is name, pages in order; NULL when none. */
VQ_API vq_signature* vq_document_get_signature_by_name(vq_document* doc, const char* name);
/* Removes the widget from the form and its page (and a pending value with it); the handle is
   gone afterwards. Refresh the page with vq_page_update. */
VQ_API void vq_signature_delete(vq_document* doc, vq_signature* sign);
/* Removes the first signature widget of the page named name; nothing when there is none. */
VQ_API void vq_signature_delete_by_name(vq_document* doc, vq_page* page, const char* name);

/* Parses a certificate (DER, PEM or Base64 of them with bbase64 1) and returns the parts asked
   for: serial (hex text, free with vq_free_parse_str), type (1, 0, or -1), subject common name
   (vq_free_parse_str), public key (*pbkey_len must be its byte count, 65 for SM2).
   0 or VQ_GET_SM2_CERT_ERROR. Takes no lock. */
VQ_API int vq_parse_cert(const char* certdata, int certlen, int is_sn, int iscerttype, int issigner, int ispkkey,
                         char** certsn, int* certtype, char** signer, unsigned char* public_key, int* pbkey_len,
                         int bbase64);
VQ_API void vq_free_parse_str(char* text);

/* Signature verification                                                                   */
/* ---------------------------------------------------------------------------------------- */

/* The /Contents of version-1 signatures (SubFilter vqsign.pkcs7.sm3.1): a fixed layout of
   6204 bytes without padding. */
typedef struct SM2SIGN_DATA_VALUE
{
    unsigned char certData[2048];     /* certificate */
    unsigned char docMD5[16];         /* MD5 of the signed bytes */
    unsigned char docRSValue[64];     /* r || s */
    char docName[256];
    char sealcode[64];                /* zero-terminated */
    char sealUnitName[256];
    char sealRecordUnitName[256];     /* zero-terminated */
    char sealRecordTime[64];          /* zero-terminated */
    char digest[64];
    char algo[64];
    char ret_tsr[3052];               /* time-stamp text, zero-terminated */
} SM2SIGN_DATA_VALUE;

/* The /Contents of version-2 signatures (SubFilter vqsign.pkcs7.sm3.2): 3244 bytes. */
typedef struct SM2SIGN_DATA_VALUE_V2
{
    unsigned char docRSValue[64];     /* r (32 bytes) || s (32 bytes), big-endian */
    char digest[64];                  /* MD5 text of the signed bytes */
    char algo[64];                    /* "md5" */
    char ret_tsr[3052];               /* time-stamp text */
} SM2SIGN_DATA_VALUE_V2;

/* Verifies one signature. Returns a JSON text (free() it) or NULL when the document could not
   be read:
     {"vcode": n, "result": {...}}
   vcode 0 valid, 1 invalid (document or time stamp), or a vq_error_type code: 3053 no value,
   3054 not signed, 3055 kind not supported, 3056 PKCS#7 unreadable, 3057 certificate
   unusable, 3059 seal structure unreadable, 3001, 3111, 3115, 3117 to 3122 or a negative
   certificate-parser status for the checks of a seal. "result" holds, where they apply:
   addinfo, tsaret, tsatime, tsacert, docret, signtime, certsn, signer, cert, recordunitname,
   recordtime, issuser, theme, issuerplus, chainret; it is {} for 3056, 3057, 3059 and the seal
   codes and missing for 3053 to 3055.
   chainret says what the certificate is worth (it does not change vcode or docret): 0 when the
   signer's certificate leads to a trusted root (vq_set_trusted_certificates) and was valid at
   the signing time; otherwise the sum of 1 (no chain to a trusted root) and 2 (the certificate
   was not valid at the signing time). Revocation is not checked.
   docret is 1 also when anything written to the file after the signed bytes is neither a later
   signature that verifies nor a change that needs none (document information, metadata, a
   signature field without a visible appearance).
   Time stamps are checked through the callback: it gets the MD5 text of the signed bytes and
   the stored time-stamp text, a zeroed answer buffer and, in *len, the room it may fill (3051
   bytes); it sets *len to the length of the XML answer it wrote (0 for none) and returns 0
   when the time stamp is confirmed. An answer said to be longer than the room is not read and
   the time-stamp check fails. */
VQ_API char* vq_signautre_verify(vq_document* doc, vq_signature* sign, vq_verify_callbackfun callback);

/* The certificates (PEM text, one or more) a signer's certificate may lead to, besides the
   system's trust store: the CA certificates of the cloud service. Replaces those given before;
   NULL or 0 bytes clears them. Returns how many were taken, or -1 (nothing changed) when the
   text holds anything that is no certificate. Process-wide; safe while verifications run. */
VQ_API int vq_set_trusted_certificates(const char* pem, int len);

/* ---------------------------------------------------------------------------------------- */
/* Appearances set from a picture, a PDF page or a text line                                */
/* ---------------------------------------------------------------------------------------- */

/* Gives an annotation (normally a signature widget) the appearance of a picture (PNG, JPEG or
   any format the PDF library reads) of w × h points, drawn at the opacity (0..1) and turned
   clockwise by rotate degrees about its centre. The rectangle keeps its displayed top-left
   corner and becomes w × h (grown or narrowed to hold the turned picture when w ≠ h). A
   signature widget gets the layered signature form (outer form, FRM, n0, n2) around it.
   Returns 0; VQ_EXC_IMAGE_FORMAT (12) when the bytes or file are no picture;
   VQ_EXC_APPEARANCE (13) when the appearance cannot be written; VQ_FAIL for a null document
   or an annotation that is not on a loaded page. On failure the annotation is unchanged. */
VQ_API int vq_annot_set_appearance_imagedata(vq_document* doc, vq_annot* annot, unsigned char* data, int len,
                                             int w, int h, float opacity, float rotate);
VQ_API int vq_annot_set_appearance_imagefile(vq_document* doc, vq_annot* annot, const char* filename, int w,
                                             int h, float opacity, float rotate);
/* The first page of a PDF file becomes the appearance; the rectangle keeps its displayed
   top-left corner and takes the page's size (opacity and rotate are not used). 0 or VQ_FAIL
   (file missing or unreadable); on failure the annotation is unchanged. */
VQ_API int vq_annot_set_appearance_pdf(vq_document* doc, vq_annot* annot, const char* filename, float opacity,
                                       float rotate);
/* A line of text (UTF-8) in the engine's CJK font, 18 points, black, from the rectangle's
   lower-left corner, as a signature widget's layered appearance; the rectangle becomes the
   text's bounds. 0 or VQ_FAIL; on failure the annotation is unchanged. */
VQ_API int vq_annot_set_appearance_text(vq_document* doc, vq_annot* annot, const char* text);

#ifdef __cplusplus
}
#endif

#endif /* VQ_PDF_H */
