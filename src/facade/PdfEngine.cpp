// The document facade: opening, pages, geometry, rendering, hit testing, text, annotations,
// document state and saving. Signing and signature reading live in PdfEngineSignature.cpp.
#include "PdfEngine.h"

#include "RegeditSettings.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMutex>
#include <QMutexLocker>

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

void releaseNativeBuffer(void* buffer)
{
    free(buffer);
}

// Ends an engine pixmap kept on a page when the scope ends.
struct DisplayImageRelease {
    vq_document* doc;
    vq_page* page;
    vq_page_image* image;
    ~DisplayImageRelease()
    {
        if (image)
            vq_page_drop_display_image(doc, page, image);
    }
};

// Copies the engine pixmap's pixels into a new RGB32 buffer: BGRA as it is, gray + alpha as
// g, g, g, a. Null when the pixmap is unusable or memory runs out.
unsigned char* copyPixels(vq_document* doc, vq_pixmap* pixmap, int& w, int& h)
{
    w = vq_pixmap_width(doc, pixmap);
    h = vq_pixmap_height(doc, pixmap);
    const int n = vq_pixmap_components(doc, pixmap);
    const unsigned char* samples = vq_pixmap_sample(doc, pixmap);
    if (w <= 0 || h <= 0 || !samples || (n != 4 && n != 2))
        return nullptr;
    const size_t pixels = static_cast<size_t>(w) * static_cast<size_t>(h);
    if (n == 4)
    {
        auto* buffer = static_cast<unsigned char*>(calloc(pixels * 4 + 1, 1));
        if (buffer)
            memcpy(buffer, samples, pixels * 4);
        return buffer;
    }
    auto* buffer = static_cast<unsigned char*>(malloc(pixels * 4));
    if (!buffer)
        return nullptr;
    unsigned char* out = buffer;
    const unsigned char* in = samples;
    for (size_t i = 0; i < pixels; ++i, in += 2, out += 4)
    {
        out[0] = in[0];
        out[1] = in[0];
        out[2] = in[0];
        out[3] = in[1];
    }
    return buffer;
}

// Reserves a free temporary name tmpFile<N> in the folder of target (the file is created empty,
// so nobody else takes the name). Empty when none can be made there.
QString reserveTemporary(const QString& target)
{
    const QString dir = QFileInfo(target).absolutePath();
    for (int i = 0; i < 10000; ++i)
    {
        const QString name = dir + QStringLiteral("/tmpFile%1").arg(i);
        const int fd = ::open(QFile::encodeName(name).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd >= 0)
        {
            ::close(fd);
            return name;
        }
        if (errno != EEXIST)
            return QString();
    }
    return QString();
}

} // namespace

// ---- images ---------------------------------------------------------------------------------

NativeBufferImage::NativeBufferImage(unsigned char* buffer, int w, int h)
    : QImage(buffer, w, h, w * 4, QImage::Format_RGB32, releaseNativeBuffer, buffer), data(buffer)
{
}

NativeBufferImage::~NativeBufferImage()
{
    // The buffer goes with the last image sharing it (releaseNativeBuffer).
    data = nullptr;
}

void registerPdfEngineMetaTypes()
{
    static const bool done = [] {
        qRegisterMetaType<ToolSignatureInfo>("ToolSignatureInfo");
        qRegisterMetaType<CVerifyResult>("CVerifyResult");
        return true;
    }();
    (void)done;
}

// ---- lifetime ---------------------------------------------------------------------------------

PdfEngine::PdfEngine(QObject* parent) : QObject(parent)
{
    registerPdfEngineMetaTypes();
}

PdfEngine::~PdfEngine()
{
    g_pdfEngine.testAndSetOrdered(this, nullptr);
    closeDocument();
}

void PdfEngine::closeDocument()
{
    QMutexLocker lock(&mutex);
    if (_doc)
        vq_document_close(_doc);
    _doc = nullptr;
    m_pageCount = 0;
    unregisterOpenDocument();
}

// ---- documents open in the program ------------------------------------------------------------

namespace {

// Comparable path -> number of facades that entered it.
QMutex& openDocumentsMutex()
{
    static QMutex m;
    return m;
}

QHash<QString, int>& openDocuments()
{
    static QHash<QString, int> list;
    return list;
}

} // namespace

QString PdfEngine::comparablePath(const QString& path)
{
    if (path.isEmpty())
        return QString();
    const QFileInfo info(path);
    const QString canonical = info.canonicalFilePath();
    if (!canonical.isEmpty())
        return canonical;
    // A file not yet written: its folder may still be reached through a link.
    const QString folder = QFileInfo(info.absolutePath()).canonicalFilePath();
    if (!folder.isEmpty())
        return QDir(folder).filePath(info.fileName());
    return QDir::cleanPath(info.absoluteFilePath());
}

void PdfEngine::registerOpenDocument()
{
    QMutexLocker lock(&mutex);
    if (!_doc || _fileName.isEmpty() || !m_registeredPath.isEmpty())
        return;
    m_registeredPath = comparablePath(_fileName);
    QMutexLocker listLock(&openDocumentsMutex());
    openDocuments()[m_registeredPath]++;
}

void PdfEngine::unregisterOpenDocument()
{
    QMutexLocker lock(&mutex);
    if (m_registeredPath.isEmpty())
        return;
    QMutexLocker listLock(&openDocumentsMutex());
    auto it = openDocuments().find(m_registeredPath);
    if (it != openDocuments().end() && --it.value() <= 0)
        openDocuments().erase(it);
    m_registeredPath.clear();
}

bool PdfEngine::isDocumentOpenInProgram(const QString& path)
{
    const QString key = comparablePath(path);
    if (key.isEmpty())
        return false;
    QMutexLocker listLock(&openDocumentsMutex());
    return openDocuments().contains(key);
}

rect PdfEngine::toRect(const QRectF& r)
{
    rect out;
    out.x0 = static_cast<float>(r.x());
    out.y0 = static_cast<float>(r.y());
    out.x1 = static_cast<float>(r.x() + r.width());
    out.y1 = static_cast<float>(r.y() + r.height());
    return out;
}

QRectF PdfEngine::toQRectF(const rect& r)
{
    return QRectF(r.x0, r.y0, r.x1 - r.x0, r.y1 - r.y0);
}

// ---- opening ----------------------------------------------------------------------------------

int PdfEngine::Load(const QString& filename, bool bini, void* /*pwdUI*/)
{
    QMutexLocker lock(&mutex);
    if (m_saving)
        return VQ_FILE_IS_BUSY;
    closeDocument();
    _fileName = filename;
    _fileByteArray.clear();
    int code = VQ_FAIL;
    vq_document* doc = vq_document_open_file(filename.toUtf8().constData(), &code);
    if (!doc || code != 0)
    {
        if (doc)
            vq_document_close(doc);
        return code ? code : VQ_FAIL;
    }
    // A document that cannot be read without its password would show blank pages: it is
    // refused with the engine's reason and not recorded among the recent documents.
    if (vq_document_has_password(doc))
    {
        vq_document_close(doc);
        return VQ_NEED_PASSWORD;
    }
    _doc = doc;
    m_pageCount = vq_document_page_count(_doc);
    g_pdfEngine.storeRelease(this);
    if (bini)
    {
        registerOpenDocument();
        recentfile entry;
        entry.fixed = false;
        entry.file = filename;
        entry.date = QDateTime::currentDateTime().toString(QStringLiteral("yyyy.MM.dd hh:mm:ss"));
        RegeditSettings::Instance()->setRecentlyFile(entry);
        RegeditSettings::Instance()->setRecentlyFold(filename);
    }
    return 0;
}

int PdfEngine::LoadStream(const QByteArray& filedata, void* /*pwdUi*/)
{
    QMutexLocker lock(&mutex);
    if (m_saving)
        return VQ_FILE_IS_BUSY;
    closeDocument();
    _fileByteArray = QByteArray(filedata.constData(), filedata.size());
    int code = VQ_FAIL;
    vq_document* doc =
        vq_document_open_stream(reinterpret_cast<unsigned char*>(_fileByteArray.data()),
                                static_cast<unsigned int>(_fileByteArray.size()), &code);
    if (!doc || code != 0)
    {
        if (doc)
            vq_document_close(doc);
        _fileByteArray.clear();
        return code ? code : VQ_FAIL;
    }
    _doc = doc;
    m_pageCount = vq_document_page_count(_doc);
    return 0;
}

int PdfEngine::LoadTwin(const PdfEngine& other)
{
    if (&other == this)
        return VQ_FAIL;
    QMutexLocker lock(&mutex);
    if (m_saving)
        return VQ_FILE_IS_BUSY;
    closeDocument();
    _fileName.clear();
    _fileByteArray.clear();
    int code = VQ_FAIL;
    vq_document* doc = nullptr;
    {
        // Held only while the bytes are taken: the other facade stays free for its own thread.
        QMutexLocker otherLock(&other.mutex);
        if (other._doc)
            doc = vq_document_new_twin(other._doc, &code);
    }
    if (doc)
        code = vq_document_open_twin(doc);
    if (!doc || code != 0)
    {
        if (doc)
            vq_document_close(doc);
        return code ? code : VQ_FAIL;
    }
    _doc = doc;
    m_pageCount = vq_document_page_count(_doc);
    return 0;
}

QByteArray PdfEngine::sourceBytes() const
{
    QString file;
    QByteArray kept;
    {
        QMutexLocker lock(&mutex);
        if (!_doc)
            return QByteArray();
        file = _fileName;
        kept = _fileByteArray;
    }
    if (!kept.isEmpty() || file.isEmpty())
        return kept;
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void PdfEngine::CutOutPages() const
{
    QMutexLocker lock(&mutex);
    if (_doc)
        vq_document_cut_page(_doc);
}

vq_outline* PdfEngine::OutLine()
{
    QMutexLocker lock(&mutex);
    return _doc ? vq_document_outline(_doc) : nullptr;
}

// ---- pages and geometry -----------------------------------------------------------------------

QString PdfEngine::FileName() const
{
    return _fileName;
}

int PdfEngine::PageCount() const
{
    return m_pageCount;
}

QRectF PdfEngine::PageMediabox(int pageNo)
{
    QMutexLocker lock(&mutex);
    if (!_doc)
        return QRectF();
    rect box{0, 0, 0, 0};
    if (!vq_page_mediabox(_doc, pageNo - 1, &box))
        return QRectF();
    const double x0 = std::trunc(box.x0), y0 = std::trunc(box.y0);
    const double x1 = std::trunc(box.x1), y1 = std::trunc(box.y1);
    return QRectF(x0, y0, x1 - x0, y1 - y0);
}

QRectF PdfEngine::PageContentBox(int /*pageNo*/, RenderTarget /*target*/)
{
    return QRectF(0, 0, 0, 0);
}

RenderedBitmap* PdfEngine::new_rendered_fz_pixmap(vq_pixmap* pixmap)
{
    if (!pixmap)
        return nullptr;
    int w = 0, h = 0;
    unsigned char* buffer = copyPixels(_doc, pixmap, w, h);
    if (!buffer)
        return nullptr;
    return new RenderedBitmap(new NativeBufferImage(buffer, w, h), QSize(w, h));
}

RenderedBitmap* PdfEngine::RenderBitmap(int pageNo, float zoom, int rotation, QRectF* pageRect)
{
    QMutexLocker lock(&mutex);
    if (!_doc || !pageRect)
        return nullptr;
    rect area = toRect(*pageRect);
    vq_page* page = vq_page_index(_doc, pageNo - 1);
    if (!page)
        return nullptr;
    vq_page_image* image = vq_page_display_image(_doc, page, &area, zoom, static_cast<float>(rotation));
    DisplayImageRelease release{_doc, page, image};
    return image ? new_rendered_fz_pixmap(image) : nullptr;
}

NativeBufferImage* PdfEngine::RenderBitmap(int pageNo, float zoom, int rotation, vq_pixmap_render_type rendertype,
                                           vq_pixmap_render_colorspace colorspace, QRectF* /*pageRect*/)
{
    QMutexLocker lock(&mutex);
    if (!_doc)
        return nullptr;
    vq_page* page = vq_page_index(_doc, pageNo - 1);
    if (!page)
        return nullptr;
    vq_pixmap* pixmap =
        vq_page_generate_pixmap(_doc, page, rendertype, colorspace, zoom, static_cast<float>(rotation));
    if (!pixmap)
        return nullptr;
    int w = 0, h = 0;
    unsigned char* buffer = copyPixels(_doc, pixmap, w, h);
    vq_pixmap_free(_doc, pixmap);
    return buffer ? new NativeBufferImage(buffer, w, h) : nullptr;
}

QPointF PdfEngine::Transform(QPointF pt, int /*pageNo*/, float zoom, int rotation, bool inverse)
{
    point p{static_cast<float>(pt.x()), static_cast<float>(pt.y())};
    if (inverse)
        vq_invert_point(&p, zoom, static_cast<float>(rotation));
    else
        vq_transform_point(&p, zoom, static_cast<float>(rotation));
    return QPointF(p.x, p.y);
}

QRectF PdfEngine::Transform(QRectF r, int /*pageNo*/, float zoom, int rotation, bool inverse)
{
    rect er = toRect(r);
    if (inverse)
        vq_invert_rect(&er, zoom, static_cast<float>(rotation));
    else
        vq_transform_rect(&er, zoom, static_cast<float>(rotation));
    return toQRectF(er);
}

// ---- hit testing and text ---------------------------------------------------------------------

int PdfEngine::GetElementAtPos(int pageNo, QPointF pt, vq_mouse_state ms, vq_select_state ss)
{
    QMutexLocker lock(&mutex);
    if (!_doc)
        return VQ_HIT_NOTHING;
    vq_page* page = vq_page_index(_doc, pageNo - 1);
    if (!page)
        return VQ_HIT_NOTHING;
    const point p{static_cast<float>(pt.x()), static_cast<float>(pt.y())};
    m_focusMayBeSet.store(true, std::memory_order_release);
    return vq_page_onmouse(_doc, page, p, ms, ss);
}

int PdfEngine::GetPageTextRects(int pageNo, vq_select_way dy, rect select, rect* out, float /*zoom*/,
                                float /*rotate*/)
{
    QMutexLocker lock(&mutex);
    if (!_doc || !out)
        return 0;
    vq_page* page = vq_page_index(_doc, pageNo - 1);
    if (!page)
        return 0;
    const int n = vq_page_select_content(_doc, page, dy, select, out);
    return n > 0 ? n : 0;
}

QString PdfEngine::CopyText(int pageNo, const rect* rc)
{
    QMutexLocker lock(&mutex);
    if (!_doc || !rc)
        return QString();
    vq_page* page = vq_page_index(_doc, pageNo - 1);
    if (!page)
        return QString();
    rect area = *rc;
    char* text = vq_page_copy_selection(_doc, page, &area, 1.0f, 1.0f);
    const QString out = text ? QString::fromUtf8(text) : QString();
    free(text);
    return out;
}

// ---- annotations ------------------------------------------------------------------------------

void PdfEngine::AddLineAnnot(int pageNo, const point* pts, const int* counts, int count, float* color,
                             float linewidth, float opacity)
{
    QMutexLocker lock(&mutex);
    if (!_doc || m_saving)
        return;
    vq_page* page = vq_page_index(_doc, pageNo - 1);
    vq_annot* annot = page ? vq_page_add_annot(_doc, page, VQ_ANNOT_INK) : nullptr;
    if (!annot)
        return;
    vq_annot_set_inklist(_doc, annot, pts, counts, count);
    vq_annot_set_color(_doc, annot, color);
    vq_annot_set_line_width(_doc, annot, linewidth);
    vq_annot_set_opacity(_doc, annot, opacity);
    vq_page_update(_doc, pageNo - 1);
}

bool PdfEngine::AddMarkAnnot(int pageNo, float* color, float opacity, rect rc, rect* quadrect, int count, int type)
{
    if (type != VQ_ANNOT_HIGHLIGHT && type != VQ_ANNOT_UNDERLINE && type != VQ_ANNOT_STRIKEOUT)
        return false;
    QMutexLocker lock(&mutex);
    if (!_doc || m_saving)
        return false;
    vq_page* page = vq_page_index(_doc, pageNo - 1);
    vq_annot* annot = page ? vq_page_add_annot(_doc, page, static_cast<vq_annot_type>(type)) : nullptr;
    if (!annot)
        return false;
    vq_annot_set_rect(_doc, annot, rc);
    vq_annot_set_opacity(_doc, annot, opacity);
    vq_annot_set_color(_doc, annot, color);
    vq_annot_set_quadpoints(_doc, annot, quadrect, count);
    vq_page_update(_doc, pageNo - 1);
    return true;
}

void PdfEngine::DeleteAnnot(int pageNo, vq_annot* annot)
{
    if (pageNo < 1 || pageNo > PageCount())
        return;
    QMutexLocker lock(&mutex);
    if (!_doc || m_saving)
        return;
    vq_annot_delete(_doc, annot);
    vq_page_update(_doc, pageNo - 1);
}

void PdfEngine::setAnnotFouse(vq_annot* annot)
{
    QMutexLocker lock(&mutex);
    m_focusMayBeSet.store(true, std::memory_order_release);
    if (_doc)
        vq_annot_setfoucs(_doc, annot);
}

void PdfEngine::setAnnotFousebyName(QString t)
{
    QMutexLocker lock(&mutex);
    m_focusMayBeSet.store(true, std::memory_order_release);
    if (_doc)
        vq_annot_setfoucs(_doc, vq_document_get_signature_by_name(_doc, t.toUtf8().constData()));
}

vq_annot* PdfEngine::DocumentFoucsAnnot()
{
    if (!m_focusMayBeSet.load(std::memory_order_acquire))
        return nullptr;
    QMutexLocker lock(&mutex);
    return _doc ? vq_document_focus_annot(_doc) : nullptr;
}

int PdfEngine::DocumentFoucsAnnotinPageNo()
{
    if (!m_focusMayBeSet.load(std::memory_order_acquire))
        return 0;
    QMutexLocker lock(&mutex);
    if (!_doc)
        return 0;
    const int page = vq_doucment_foucsannot_pagenumber(_doc);
    return page < 0 ? 0 : page + 1;
}

int PdfEngine::AnnotType(vq_annot* annot)
{
    QMutexLocker lock(&mutex);
    return _doc ? vq_annot_get_type(_doc, annot) : -1;
}

int PdfEngine::getAnnotQuadPointCount(vq_annot* annot)
{
    QMutexLocker lock(&mutex);
    return _doc ? vq_annot_quadpoint_count(_doc, annot) : 0;
}

int PdfEngine::getAnnotQuadPoint(vq_annot* annot, int index, rect* out)
{
    QMutexLocker lock(&mutex);
    return _doc ? vq_annot_get_quadpoint(_doc, annot, index, out) : VQ_FAIL;
}

QRectF PdfEngine::getAnnotRect(vq_annot* annot)
{
    QMutexLocker lock(&mutex);
    return _doc ? toQRectF(vq_annot_get_rect(_doc, annot)) : QRectF();
}

// ---- document state ---------------------------------------------------------------------------

bool PdfEngine::DocumentChanged()
{
    QMutexLocker lock(&mutex);
    return _doc && vq_document_has_unsaved(_doc) != 0;
}

bool PdfEngine::DocumentIsWriteAble()
{
    QMutexLocker lock(&mutex);
    return _doc && vq_document_canbe_save(_doc) == 0;
}

int PdfEngine::DocumentSignatureCount()
{
    QMutexLocker lock(&mutex);
    return _doc ? vq_document_has_signature(_doc) : 0;
}

int PdfEngine::DocumentIsCanSign()
{
    QMutexLocker lock(&mutex);
    return _doc ? vq_document_canbe_sign(_doc) : 0;
}

int PdfEngine::getSinatureCount()
{
    QMutexLocker lock(&mutex);
    // Read from the page objects: a long document is counted without loading its pages.
    return _doc ? vq_document_widget_count(_doc) : 0;
}

QMap<int, QVector<rect>> PdfEngine::GetErrorSignature()
{
    QMutexLocker lock(&mutex);
    QMap<int, QVector<rect>> out;
    if (!_doc)
        return out;
    for (int i = 0; i < PageCount(); ++i)
    {
        QVector<rect>& rects = out[i];
        vq_page* page = vq_page_index(_doc, i);
        for (vq_field* f = page ? vq_field_first(_doc, page) : nullptr; f; f = vq_field_next(_doc, f))
        {
            if (vq_field_get_type(_doc, f) == VQ_FIELD_TYPE_SIGNATURE)
                rects.append(vq_annot_get_rect(_doc, f));
        }
    }
    return out;
}

// ---- saving -----------------------------------------------------------------------------------

namespace {
// Marks a save as running for its whole duration.
struct SavingFlag {
    bool& flag;
    explicit SavingFlag(bool& f) : flag(f) { flag = true; }
    ~SavingFlag() { flag = false; }
};
} // namespace

int PdfEngine::Save()
{
    QMutexLocker lock(&mutex);
    if (!_doc)
        return VQ_FAIL;
    if (m_saving)
        return VQ_FILE_IS_BUSY;
    SavingFlag saving(m_saving);
    return vq_document_save(_doc);
}

int PdfEngine::DiscardChanges()
{
    QMutexLocker lock(&mutex);
    if (!_doc)
        return VQ_FAIL;
    if (m_saving)
        return VQ_FILE_IS_BUSY;
    return vq_document_revert(_doc);
}

int PdfEngine::SaveAs(QByteArray& byteArray, int doincremental)
{
    QMutexLocker lock(&mutex);
    if (!_doc)
        return VQ_FAIL;
    if (m_saving)
        return VQ_FILE_IS_BUSY;
    SavingFlag saving(m_saving);
    int code = VQ_FAIL;
    vq_buffer* buffer = vq_document_saveas_stream(_doc, doincremental, &code);
    if (!buffer || code != 0)
        return code ? code : VQ_FAIL;
    char* data = nullptr;
    const size_t len = vq_buffer_storage(_doc, buffer, &data);
    byteArray = QByteArray(data, static_cast<int>(len));
    if (doincremental != 1)
        vq_buffer_drop(_doc, buffer); // a full save hands out a buffer of its own
    return 0;
}

int PdfEngine::SaveAs(QString& strfile, int doincremental, bool bini)
{
    QMutexLocker lock(&mutex);
    if (!_doc)
        return VQ_FAIL;
    if (m_saving)
        return VQ_FILE_IS_BUSY;
    if (strfile.isEmpty())
        return VQ_FILE_IS_BUSY;
    const bool ownFile = !_fileName.isEmpty() &&
                         QFileInfo(strfile).absoluteFilePath() == QFileInfo(_fileName).absoluteFilePath();
    int code = 0;
    {
        SavingFlag saving(m_saving);
        // The engine writes the copy itself (armed signatures are completed inside, so the sign
        // callback runs here): a temporary file beside the target receives the document's bytes
        // and the update and is renamed over the target once complete. The document keeps its
        // own file; an update it saved elsewhere reaches that file with the next save in place.
        if (!ownFile)
            code = vq_document_savecopy(_doc, doincremental, QFile::encodeName(strfile).constData());
        else if (vq_document_file_changed(_doc) != 0)
            code = VQ_FILE_CHANGED; // another program changed the file since it was read
        else
        {
            // Onto the document's own file: through a free temporary name beside it.
            const QString tmpName = reserveTemporary(strfile);
            if (tmpName.isEmpty())
                return VQ_FILE_IS_BUSY;
            code = vq_document_savecopy(_doc, doincremental, QFile::encodeName(tmpName).constData());
            if (code == 0 && ::rename(QFile::encodeName(tmpName).constData(), QFile::encodeName(strfile).constData()) != 0)
                code = VQ_SAVE_FILE_FAIL;
            if (code != 0)
                ::unlink(QFile::encodeName(tmpName).constData());
        }
    }
    if (code != 0)
        return code; // the document stays open and every file as it was
    if (bini)
        RegeditSettings::Instance()->setRecentlyFold(strfile);
    if (ownFile)
    {
        // The document's own file was replaced: this document is finished and its owner
        // discards the facade.
        closeDocument();
    }
    return 0;
}
