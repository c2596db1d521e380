// What the canvas tests share: generated documents, a host callback standing in for the
// workspace's, and a harness that opens a document in a canvas the way a document tab does.
#pragma once

#include "Canvas.h"
#include "PdfEngine.h"
#include "PdfFixture.h"
#include "RenderCache.h"
#include "ViewTestSupport.h"

#include <QApplication>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace canvastest {

// One render cache for the tests of a process, as the program has one: made on first use and,
// like the program's, deleted (its render thread stopped) while the application object exists.
inline RenderCache* sharedCache()
{
    static RenderCache* cache = nullptr;
    if (!cache)
    {
        cache = new RenderCache(QSize(512, 512));
        qAddPostRoutine([] {
            delete cache;
            cache = nullptr;
        });
    }
    return cache;
}

// Whether a page of the model is fully in the process's render cache at the model's zoom.
inline bool pageRendered(DisplayModel* dm, int pageNo)
{
    RenderCache* cache = RenderCache::instance();
    return cache && cache->Exists(dm, pageNo, dm->GetRotation(), dm->GetZoomReal(), nullptr);
}

// Repaints each surface until every page its model shows (even in part) is rendered; false when
// that takes longer than the bound. A surface that is not visible is left out.
inline bool waitForVisiblePagesRendered(const std::vector<std::pair<QWidget*, DisplayModel*>>& views,
                                        int boundMs = 10000)
{
    QElapsedTimer clock;
    clock.start();
    for (;;)
    {
        bool all = true;
        for (const auto& view : views)
        {
            if (!view.first->isVisible())
                continue;
            view.first->repaint();
            DisplayModel* dm = view.second;
            for (int p = 1; p <= dm->PageCount(); p++)
                if (dm->GetPageInfo(p)->visibleRatio > 0 && !pageRendered(dm, p))
                    all = false;
        }
        if (all)
            return true;
        if (clock.elapsed() > boundMs)
            return false;
        QTest::qWait(5);
    }
}

// Page space of the engine has its origin at the page's top-left corner, y downwards. Each
// page is 400 x 500 points with one line of 24-point text whose baseline is 100 points from
// the top, starting 50 points from the left.
inline std::string textPage(const std::string& text)
{
    return "BT /F1 24 Tf 50 400 Td (" + text + ") Tj ET\n";
}

inline std::string twoPageDocument()
{
    fixture::PageSpec p1{"[0 0 400 500]", "", textPage("Hello Canvas World")};
    fixture::PageSpec p2{"[0 0 400 500]", "", textPage("Second Page Text")};
    return fixture::simpleDocument({p1, p2});
}

// A document with a signature field carrying a value with the "psign" tag on page 1 at
// (50, 50)-(150, 100) in PDF space, i.e. 400..450 from the top.
inline std::string signedDocument()
{
    fixture::PdfBuilder b;
    const int catalog = b.reserve();
    const int tree = b.reserve();
    const int font = b.add("<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>");
    const std::string text = textPage("Hello Canvas World");
    const int content = b.add(fixture::PdfBuilder::stream(text));
    const int page = b.reserve();
    const int widget = b.reserve();
    const int value = b.add("<< /Type /Sig /Filter /Adobe.PPKLite /SubFilter /adbe.pkcs7.detached "
                            "/CustomTagV (psign) /ByteRange [0 0 0 0] /Contents <00> >>");
    b.set(widget, "<< /Type /Annot /Subtype /Widget /FT /Sig /T (Sig1) /Rect [50 50 150 100] /F 4 /P " +
                      std::to_string(page) + " 0 R /V " + std::to_string(value) + " 0 R >>");
    b.set(page, "<< /Type /Page /Parent " + std::to_string(tree) + " 0 R /MediaBox [0 0 400 500] /Resources << /Font << /F1 " +
                    std::to_string(font) + " 0 R >> >> /Contents " + std::to_string(content) + " 0 R /Annots [" +
                    std::to_string(widget) + " 0 R] >>");
    b.set(tree, "<< /Type /Pages /Kids [" + std::to_string(page) + " 0 R] /Count 1 >>");
    b.set(catalog, "<< /Type /Catalog /Pages " + std::to_string(tree) + " 0 R /AcroForm << /Fields [" +
                       std::to_string(widget) + " 0 R] /SigFlags 3 >> >>");
    return b.build(catalog);
}

// The workspace's host callback, forwarding to the view and the render cache.
using HostCallback = viewtest::ViewCallback;

// A canvas whose signing entry points are recorded instead of run.
class RecordingCanvas : public Canvas
{
public:
    explicit RecordingCanvas(QWidget* parent) : Canvas(parent) {}
    int verified = 0;
    int deleted = 0;
    QList<QPoint> sealClicks;
    using Canvas::attachSealCursor;
    using Canvas::attachHandWrite;

protected:
    void verifySignature(vq_signature*) override { verified++; }
    void deleteSignature(int, vq_signature*) override { deleted++; }
    void addSignature(QPoint pos) override { sealClicks.append(pos); }
};

template <typename CanvasT>
struct HarnessT
{
    // Opens bytes as a document in a canvas of the given size at 100 % (72 dpi: one point is
    // one pixel).
    HarnessT(const std::string& bytes, RenderCache* cache, QSize size = QSize(600, 800))
    {
        path = dir.filePath(QStringLiteral("doc.pdf"));
        fixture::writeFile(path.toStdString(), bytes);
        engine.reset(new PdfEngine());
        loaded = engine->Load(path, false, nullptr);
        if (loaded != 0)
            return;
        engine->CutOutPages();
        canvas.reset(new CanvasT(nullptr));
        dm = new DisplayModel(new HostCallback(canvas.get()), engine.get());
        dm->SetInitialViewSettings(DM_CONTINUOUS, 1, QSize(1440, 809), 72);
        dm->Relayout(100, 0);
        canvas->setDisplayModel(dm, cache);
        canvas->resize(size);
        canvas->show();
        QCoreApplication::processEvents();
    }
    ~HarnessT()
    {
        canvas.reset(); // the model goes with the canvas, before the document
        engine.reset();
    }

    QWidget* surface() const { return canvas->paintSurface(); }
    // Page point (engine space) to view point.
    QPoint view(int pageNo, QPointF pt) const { return dm->CvtToScreen(pageNo, pt, true).toPoint(); }

    void press(QPoint p, Qt::MouseButton b = Qt::LeftButton) { QTest::mousePress(surface(), b, Qt::NoModifier, p); }
    void release(QPoint p, Qt::MouseButton b = Qt::LeftButton)
    {
        QTest::mouseRelease(surface(), b, Qt::NoModifier, p);
    }
    // A pointer move with the left button held (QTest's moves carry no buttons).
    void dragTo(QPoint p, QWidget* target = nullptr)
    {
        QWidget* w = target ? target : surface();
        QMouseEvent move(QEvent::MouseMove, QPointF(p), QPointF(w->mapToGlobal(p)), Qt::NoButton, Qt::LeftButton,
                         Qt::NoModifier);
        QApplication::sendEvent(w, &move);
    }
    void drag(QPoint from, QPoint to, int steps = 4)
    {
        press(from);
        for (int i = 1; i <= steps; i++)
            dragTo(from + (to - from) * i / steps);
        release(to);
    }

    // Bytes of the document as it is now (full rewrite into memory).
    QByteArray currentBytes()
    {
        QByteArray out;
        engine->SaveAs(out, 0);
        return out;
    }
    // Annotations of a type on a page (0 every page) in the document as it is now, read back
    // from its saved bytes by a second engine document.
    int countAnnots(int type, int pageNo = 0)
    {
        QByteArray bytes = currentBytes();
        int code = 0;
        vq_document* doc = vq_document_open_stream(reinterpret_cast<unsigned char*>(bytes.data()),
                                                   static_cast<unsigned int>(bytes.size()), &code);
        if (!doc)
            return -1;
        vq_document_cut_page(doc);
        int n = 0;
        for (int p = 0; p < vq_document_page_count(doc); p++)
        {
            if (pageNo > 0 && p != pageNo - 1)
                continue;
            vq_page* page = vq_page_index(doc, p);
            for (vq_annot* a = vq_annot_first(doc, page); a; a = vq_annot_next(doc, a))
                if (vq_annot_get_type(doc, a) == type)
                    n++;
        }
        vq_document_close(doc);
        return n;
    }

    // Paints until the visible pages are rendered, with a deadline.
    QImage settle()
    {
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < 10000)
        {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
            canvas->paintSurface()->repaint();
            bool all = true;
            for (int p = 1; p <= dm->PageCount(); p++)
            {
                PageInfo* info = dm->GetPageInfo(p);
                if (info && info->visibleRatio > 0 &&
                    !canvas->AsRenderCache()->Exists(dm, p, dm->GetRotation(), dm->GetZoomReal(), nullptr))
                    all = false;
            }
            if (all)
                break;
        }
        QCoreApplication::processEvents();
        return canvas->paintSurface()->grab().toImage();
    }

    QTemporaryDir dir;
    QString path;
    std::unique_ptr<PdfEngine> engine;
    std::unique_ptr<CanvasT> canvas;
    DisplayModel* dm = nullptr;
    int loaded = -1;
};

// The harness of the view's own tests: signing entry points recorded, not run.
using Harness = HarnessT<RecordingCanvas>;

} // namespace canvastest
