#pragma once
// The application's facade over the PDF engine for one open document.
//
// Page numbers given to the facade are 1-based (the engine's are 0-based); geometry is in PDF
// points of the page as displayed. Every call that touches the engine document holds the
// facade's recursive mutex, so the GUI thread, the render thread, the print thread, the
// verification thread and a batch-signing thread may share one facade. While a save runs
// (the sign callback may wait for the cloud service in a nested event loop on the saving
// thread), calls on that thread that would change the document are refused, so nothing
// changes the document in the middle of writing it.
//
// Signing happens in two steps: AddSignature adds a signature field with the seal picture and
// arms it; the next Save / SaveAs computes the digests and calls vq_sign_callbackfun_ex, which
// has them signed by the cloud service.

#include "GlobalHeader.h"
#include "Scoped_linux.h"
#include "vq-pdf.h"

#include <QAtomicPointer>
#include <QByteArray>
#include <QImage>
#include <QList>
#include <QMap>
#include <QMetaType>
#include <QObject>
#include <QPoint>
#include <QPointF>
#include <QPointer>
#include <QRecursiveMutex>
#include <QRectF>
#include <QSize>
#include <QString>
#include <QVector>

#include <atomic>
#include <functional>

class LoadingWidget;
class PdfEngine;
struct SM2SIGN_DATA_VALUE;
struct SM2SIGN_DATA_VALUE_V2;

// What a rendering is for.
enum RenderTarget {
    Target_View = 0,
    Target_Print = 1,
    Target_Export = 2,
};

// An RGB32 image over a pixel buffer it owns (allocated with malloc/calloc). The buffer is
// released with free() when the last image sharing it goes, so copies of the image stay valid.
class NativeBufferImage : public QImage
{
public:
    // Takes ownership of buffer: w x h pixels, lines of exactly w * 4 bytes.
    NativeBufferImage(unsigned char* buffer, int w, int h);
    virtual ~NativeBufferImage();

    unsigned char* data = nullptr;
};

// One rendered page image; whoever receives it owns it.
struct RenderedBitmap {
    NativeBufferImage* image = nullptr;
    QSize size;
    ScopedHandle hMap;

    RenderedBitmap(NativeBufferImage* img, QSize sz) : image(img), size(sz) {}
    ~RenderedBitmap() { delete image; }
    RenderedBitmap(const RenderedBitmap&) = delete;
    RenderedBitmap& operator=(const RenderedBitmap&) = delete;
};

// One applied signature, carried to the signature lists.
struct ToolSignatureInfo {
    int pageno = 0;                    // 0-based page index
    QPoint pt;                         // top-left corner of the field, page points, truncated
    QString signer;
    QString t;                         // field name
    QString signtime;                  // "yyyy-MM-dd hh:mm:ss", local time
    vq_signature* signature = nullptr; // engine handle; invalid after the next save
};
Q_DECLARE_METATYPE(ToolSignatureInfo)

// Registers ToolSignatureInfo and CVerifyResult for queued signals (idempotent).
void registerPdfEngineMetaTypes();

// The engine's sign callback: has the digest signed by the cloud service (see PdfEngine.cpp).
int vq_sign_callbackfun_ex(const char* certsn, int algo_type, int ou_ext, const char* wait_sign,
                           const char* tsa_digest, char* r, int* rlen, char* s, int* slen, char* timestamp,
                           int* timestamplen);

// Process-wide state of the sign callback, which carries no caller context.
extern QAtomicPointer<PdfEngine> g_pdfEngine;   // the facade that most recently completed Load
extern bool g_batchSwitch;                      // batch progress on
extern QList<int> m_pageNumLists;               // pages of the running batch, in signing order
extern int g_addPageCount;                      // progress steps emitted in this batch
extern int g_batchSignatrueCount;               // the total reported with each step
extern QPointer<LoadingWidget> m_signLoading;   // the signing busy box (GUI thread only)

// Version-1 signature contents as a record (a new zeroed record the caller frees with free()),
// or null when fewer than sizeof(SM2SIGN_DATA_VALUE) bytes are given.
SM2SIGN_DATA_VALUE* DataToStuct(const unsigned char* data, int len);
unsigned char* StructToData(const SM2SIGN_DATA_VALUE* value);
SM2SIGN_DATA_VALUE_V2* DataToStuct_V2(const unsigned char* data, int len);
unsigned char* StructToData_V2(const SM2SIGN_DATA_VALUE_V2* value);

class PdfEngine : public QObject
{
    Q_OBJECT
public:
    explicit PdfEngine(QObject* parent = nullptr);
    virtual ~PdfEngine();

    // ---- opening -----------------------------------------------------------------------
    // Opens a file; 0 or the engine's code (100, 101, 103, or 1 when it names none). With
    // bini the file and its folder go to the recent lists. pwdUI is not used.
    int Load(const QString& filename, bool bini, void* pwdUI = nullptr);
    // Opens a PDF held in memory (a copy is kept while the document is open).
    int LoadStream(const QByteArray& filedata, void* pwdUi = nullptr);
    // Opens a second document over the bytes other's open document holds (its file shared, not
    // read again), for work on another thread (verification) that must not hold other's facade.
    // The twin has no file name: it never writes a file. 0 or the engine's code.
    int LoadTwin(const PdfEngine& other);
    // Builds the engine's page table; call once after a successful open.
    virtual void CutOutPages() const;
    vq_outline* OutLine();
    // Whether a document is open.
    bool isOpen() const { return _doc != nullptr; }
    // The bytes the open document was read from: the copy a stream open keeps, else the file as
    // it is on disk now. Empty without a document or when the file cannot be read. Lets another
    // thread work on a document of its own (verification) without holding this facade.
    QByteArray sourceBytes() const;

    // ---- documents open in the program -------------------------------------------------
    // A process-wide list of the files that are open as documents of the program, so that a
    // file written as a new document (a batch result) is never one the user has open. A
    // facade enters its file on a successful Load with bini, or when its owner calls
    // registerOpenDocument(); it leaves on close, on a new Load and on destruction.
    void registerOpenDocument();
    static bool isDocumentOpenInProgram(const QString& path);
    // The path in the form the list compares: absolute, with links of existing parts resolved.
    static QString comparablePath(const QString& path);

    // ---- pages and geometry ------------------------------------------------------------
    virtual QString FileName() const;
    virtual int PageCount() const;
    // The page box in whole points: each edge truncated toward zero.
    virtual QRectF PageMediabox(int pageNo);
    // Always empty: the content box is not computed.
    virtual QRectF PageContentBox(int pageNo, RenderTarget target = Target_View);
    // Renders the part *pageRect (page points) of the page at zoom and rotation (degrees).
    virtual RenderedBitmap* RenderBitmap(int pageNo, float zoom, int rotation, QRectF* pageRect);
    // Renders the whole page for printing; pageRect is not used.
    NativeBufferImage* RenderBitmap(int pageNo, float zoom, int rotation, vq_pixmap_render_type rendertype,
                                    vq_pixmap_render_colorspace colorspace, QRectF* pageRect);
    // Page space <-> view space (zoom and rotation about the origin; pageNo is not used).
    virtual QPointF Transform(QPointF pt, int pageNo, float zoom, int rotation, bool inverse = false);
    virtual QRectF Transform(QRectF rect, int pageNo, float zoom, int rotation, bool inverse = false);

    // Wraps an engine pixmap (BGRA or gray + alpha) into an image that owns a copy of its pixels.
    RenderedBitmap* new_rendered_fz_pixmap(vq_pixmap* pixmap);

    // ---- hit testing and text ----------------------------------------------------------
    int GetElementAtPos(int pageNo, QPointF pt, vq_mouse_state ms, vq_select_state ss);
    int GetPageTextRects(int pageNo, vq_select_way dy, rect select, rect* out, float zoom, float rotate);
    QString CopyText(int pageNo, const rect* rc);

    // ---- annotations -------------------------------------------------------------------
    void AddLineAnnot(int pageNo, const point* pts, const int* counts, int count, float* color, float linewidth,
                      float opacity);
    bool AddMarkAnnot(int pageNo, float* color, float opacity, rect rc, rect* quadrect, int count, int type);
    void DeleteAnnot(int pageNo, vq_annot* annot);
    void setAnnotFouse(vq_annot* annot);
    void setAnnotFousebyName(QString t);
    // The annotation with the focus and its page (1-based, 0 for none). Until hit testing or
    // setFouse* could have given one the focus there is none, and the answer needs no lock: a
    // view's paint does not wait for a page being rendered.
    vq_annot* DocumentFoucsAnnot();
    int DocumentFoucsAnnotinPageNo();
    int AnnotType(vq_annot* annot);
    int getAnnotQuadPointCount(vq_annot* annot);
    int getAnnotQuadPoint(vq_annot* annot, int index, rect* out);
    QRectF getAnnotRect(vq_annot* annot);

    // ---- document state ----------------------------------------------------------------
    bool DocumentChanged();
    bool DocumentIsWriteAble();
    int DocumentSignatureCount();
    int DocumentIsCanSign();
    // Number of form fields of every type on every page.
    int getSinatureCount();
    // Per page (0-based key, every page present) the rectangles of its signature fields.
    QMap<int, QVector<rect>> GetErrorSignature();

    // ---- saving ------------------------------------------------------------------------
    // Incremental save in place: the update is appended to the file; armed signatures are
    // completed (the sign callback runs inside). 0, 104, 107 (the file changed on disk since it
    // was opened or last saved), 108 or a signing code. A failure leaves the file
    // byte-identical.
    int Save();
    // Saves into memory; byteArray receives the bytes on success.
    int SaveAs(QByteArray& byteArray, int doincremental);
    // Saves to a path through a temporary file beside it (the document's bytes copied by the
    // kernel, then the update). Onto the document's own path the document is closed after
    // success (the owner discards the facade) and kept after a failure. 0, 104, 106, 107, 108
    // or a signing code; a failure leaves every file as it was.
    int SaveAs(QString& strfile, int doincremental, bool bini);
    // The text shown for a save's result code that the signing and saving messages do not
    // name themselves (empty when none).
    static QString saveCodeText(int code);
    // Drops the changes made since the last save (or the open): the document is read again
    // from the bytes the file holds. Annotation and signature handles become invalid.
    int DiscardChanges();
    // Whether a save is running on this facade (test seam and guard).
    bool isSaving() const { return m_saving; }

    // ---- signing -----------------------------------------------------------------------
    // Single signing: adds a field centred on pt with the seal picture and Addinfo and arms
    // it; res receives the arming code. Returns the field name (empty when nothing was added).
    QString AddSignature(int pageNo, QPoint pt, QByteArray image, double w, double h, QByteArray cert, QString certsn,
                         QString docName, QString sealName, QString sealCode, QString sealUnitName,
                         QString sealrecordUnitName, QString sealrecordTime, ToolSignatureInfo& info,
                         QString customTag, int& res, int rotation = 0, float opacity = 1.0f);
    // An unarmed, unnamed signature field with a picture from a file.
    bool AddSignature(int pageNo, QPoint pt, QString file, int w, int h, int rotation = 0, float opacity = 1.0f);
    // One page of a batch or cross-page signing (not armed; see AddSignatureInfo).
    QString AddSignature(vq_signature*& pSigature, int pageNo, QPoint p, QByteArray image, double w, double h,
                         QByteArray cert, QString certsn, QString docName, QString sealName, QString sealCode,
                         QString sealUnitName, QString sealrecordUnitName, QString sealrecordTime,
                         QString customTag, bool isQf, bool isSign, bool isScale, float fscale, float sscale);
    // Arms one signature value shared by count widgets.
    int AddSignatureInfo(QByteArray cert, vq_signature** signatures, int count, QString customTag);
    void setPageList(QList<int> pageLists);
    void setbatchSignatrueCount(int pagecount);
    void setbatchSignState(bool bopen);
    void DeleteSinature(int pageNo, vq_signature* signature);
    void DeleteSinatureByName(int pageNo, QString t);
    // The signing time to report for a seal placed now: the current local time. The document
    // is not changed.
    QString getSignatureTime(QString sealCode, int pageNo);

    // The field name of a new signature: sealCode + "yyyyMMddhhmmsszzz" of when.
    static QString signatureFieldName(const QString& sealCode, const QDateTime& when);
    // The name for a field made now: the time is the present, or one millisecond after the
    // last name made in this process when that is not earlier, so that fields made within one
    // millisecond (the pages of a batch) never share a name.
    static QString newSignatureFieldName(const QString& sealCode);
    // The Addinfo text: Base64 of the indented JSON object with the six seal members.
    static QByteArray makeAddinfo(const QString& docName, const QString& sealName, const QString& sealCode,
                                  const QString& sealUnitName, const QString& sealrecordUnitName,
                                  const QString& sealrecordTime);
    // "psign" for exactly "psign", else "ksign".
    static QByteArray customTagFor(const QString& customTag);

    // ---- reading signatures ------------------------------------------------------------
    QString GetSignatureCustom(vq_signature* signature);
    QString getSignatureT(vq_signature* signature);
    vq_signature* getSignatureByName(QString t);
    QString getSignatureTime(vq_signature* signature);
    int SignatureVersion(vq_signature* signature);
    void getSignatureCert(vq_signature* signature, QByteArray& cert);
    void getSealcode(vq_signature* signature, QString& sealcode);
    void getSignatureSealData(vq_signature* signature, QString& docname, QString& sealcode, QString& sealUnitName,
                              QString& sealRecordUnitName, QString& sealRecordTime);
    // Version-1 contents of the signature (from the file when the open document lacks them);
    // null when there are none. The caller frees the record with free().
    SM2SIGN_DATA_VALUE* getSignatureContent(vq_signature* signature);
    QList<ToolSignatureInfo> getSignaturesInfo();
    void ParserCert(QByteArray cert, QString& signer, QString& strsn);

    // ---- verification ------------------------------------------------------------------
    // Verifies one signature. certverifyRet: 0 when the signer's certificate leads to a trusted
    // root (the system's store and the service's CA certificates, Config/ca) and was valid at
    // the signing time; otherwise 1 (no chain to a trusted root), 2 (not valid at the signing
    // time) or 3 (both). Revocation is not checked.
    void VerifySinature(vq_signature* signature, int& vcode, int& docVerifyRet, int& tsVerifyRet,
                        int& certverifyRet, QString& signer, QByteArray& certData, QString& signTime,
                        QByteArray& tsCert, QByteArray& tsTime, bool needReturnValue = false);
    // Verifies every signature field, one sigBatchVerifyResult per field; a value shared by
    // several widgets is verified once. Codes: -2 a field waiting to be signed, 1 valid, 0
    // invalid, 2 not decidable (unsupported kind, time-stamp service unreachable, or an
    // unchanged document whose signer certificate leads to no trusted root). stopRequested,
    // when given, is asked before each field (on the verifying thread): true ends the pass
    // there, so that an owner going away waits for one field at most.
    void batchVerifySinature(const std::function<bool()>& stopRequested = nullptr);
    // The verifier's time-stamp check: asks the cloud service. len holds the room on entry.
    static int verifyfunc(const char* md5, const char* retvalue, char* revalue, int* len);
    void readTimeStampXml(QString renTimeStampXml, QByteArray& signTime, QByteArray& tsaCert);
    // The text batch verification shows for a verification code (empty when none).
    static QString verifyCodeText(int vcode);

signals:
    void setresult(int page, int total);
    void sigBatchVerifyResult(int index, int code, CVerifyResult result, ToolSignatureInfo info);

protected:
    // Engine rectangle <-> toolkit rectangle.
    static rect toRect(const QRectF& r);
    static QRectF toQRectF(const rect& r);

private:
    // Parses a verifier result into the outputs; false when it held no result object.
    static bool readVerifyJson(const char* json, int& vcode, int& docVerifyRet, int& tsVerifyRet,
                               int& certverifyRet, QString& signer, QByteArray& certData, QString& signTime,
                               QByteArray& tsCert, QByteArray& tsTime);
    // Closes the engine document, if any, and leaves the list of open documents (takes the
    // mutex, which is recursive: callers holding it may call this).
    void closeDocument();
    // Takes this facade's file out of the list of open documents.
    void unregisterOpenDocument();

    vq_document* _doc = nullptr;
    QString _fileName;
    QByteArray _fileByteArray;
    int m_pageCount = 0;
    mutable QRecursiveMutex mutex;
    bool m_saving = false;     // a save runs (read and written under mutex)
    // Set (under mutex) before any call that may give an annotation the focus; read without it.
    std::atomic<bool> m_focusMayBeSet{false};
    QString m_registeredPath;  // this facade's entry in the list of open documents
};
