// Fakes shared by the view tests and the scrolling benchmark: an engine with fixed page boxes
// whose renders can be held at a gate, a callback that records what a model tells its host, and
// a host callback that forwards to a page view and the render cache as the workspace does.
#pragma once

#include "BasicPdfView.h"
#include "DisplayModel.h"
#include "PdfEngine.h"
#include "RenderCache.h"

#include <QColor>
#include <QList>
#include <QVector>

#include <atomic>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <utility>
#include <vector>

namespace viewtest {

// A rendered bitmap of the given size filled with one colour.
inline RenderedBitmap* solidBitmap(QSize size, QRgb colour)
{
    const int w = size.width(), h = size.height();
    unsigned char* data = static_cast<unsigned char*>(std::malloc(static_cast<size_t>(w) * h * 4 + 1));
    for (int i = 0; i < w * h; i++)
        std::memcpy(data + i * 4, &colour, 4);
    NativeBufferImage* image = new NativeBufferImage(data, w, h);
    return new RenderedBitmap(image, QSize(w, h));
}

class FakeEngine : public PdfEngine
{
public:
    explicit FakeEngine(QVector<QRectF> boxes) : boxes(std::move(boxes)) {}

    QString FileName() const override { return QStringLiteral("/tmp/fake.pdf"); }
    int PageCount() const override { return boxes.size(); }
    void CutOutPages() const override {}
    QRectF PageMediabox(int pageNo) override
    {
        return pageNo >= 1 && pageNo <= boxes.size() ? boxes[pageNo - 1] : QRectF();
    }
    QRectF PageContentBox(int, RenderTarget) override { return QRectF(); }
    RenderedBitmap* RenderBitmap(int pageNo, float zoom, int rotation, QRectF* pageRect) override
    {
        {
            std::unique_lock<std::mutex> lock(mutex);
            entered++;
            log.push_back(pageNo);
            changed.notify_all();
            changed.wait(lock, [this] { return open; });
        }
        const QRectF px = Transform(*pageRect, pageNo, zoom, rotation, false);
        RenderedBitmap* bmp = solidBitmap(QSize(qMax(1, qRound(px.width())), qMax(1, qRound(px.height()))), colour);
        std::lock_guard<std::mutex> lock(mutex);
        finished++;
        changed.notify_all();
        return bmp;
    }

    void setGate(bool isOpen)
    {
        std::lock_guard<std::mutex> lock(mutex);
        open = isOpen;
        changed.notify_all();
    }
    // Waits (up to five seconds) until n renders have started / finished.
    bool waitEntered(int n) { return waitFor([&] { return entered >= n; }); }
    bool waitFinished(int n) { return waitFor([&] { return finished >= n; }); }
    template <class Pred> bool waitFor(Pred pred)
    {
        std::unique_lock<std::mutex> lock(mutex);
        return changed.wait_for(lock, std::chrono::seconds(5), pred);
    }
    std::vector<int> renderLog()
    {
        std::lock_guard<std::mutex> lock(mutex);
        return log;
    }
    int finishedCount()
    {
        std::lock_guard<std::mutex> lock(mutex);
        return finished;
    }

    QVector<QRectF> boxes;
    QRgb colour = qRgb(200, 30, 30);

private:
    std::mutex mutex;
    std::condition_variable changed;
    bool open = true;
    int entered = 0;
    int finished = 0;
    std::vector<int> log;
};

struct RecordingCallback : ControllerCallback
{
    void PageNoChanged(Controller*, int pageNo) override { pageChanges.append(pageNo); }
    void Repaint() override { repaints++; }
    void UpdateScrollbars(QSize canvasSize) override { scrollbarUpdates.append(canvasSize); }
    void RequestRendering(int pageNo) override { requested.append(pageNo); }
    void CleanUp(DisplayModel* dm) override
    {
        cleanUps++;
        if (cache)
        {
            cache->CancelRendering(dm);
            cache->FreePage(dm, -1, nullptr);
        }
    }
    void Invalidate(DisplayModel* dm, int pageNo, QRectF rect) override
    {
        invalidated.append(pageNo);
        if (cache)
            cache->Invalidate(dm, pageNo, rect);
    }

    RenderCache* cache = nullptr;
    QList<int> pageChanges;
    std::atomic<int> repaints{0};
    QList<QSize> scrollbarUpdates;
    QList<int> requested;
    int cleanUps = 0;
    QList<int> invalidated;
};

// The host callback of a page view, forwarding as the workspace's handler does.
struct ViewCallback : ControllerCallback
{
    explicit ViewCallback(WindowControler* win) : win(win) {}
    void PageNoChanged(Controller*, int pageNo) override { win->pageNoChanged(pageNo); }
    void Repaint() override { win->RepaintAsync(0); }
    void UpdateScrollbars(QSize canvasSize) override { win->SetViewportSize(canvasSize); }
    void RequestRendering(int pageNo) override
    {
        if (win->AsFixed() && win->AsRenderCache())
            win->AsRenderCache()->RequestRendering(win->AsFixed(), pageNo);
    }
    void CleanUp(DisplayModel* dm) override
    {
        if (RenderCache* cache = win->AsRenderCache())
        {
            cache->CancelRendering(dm);
            cache->FreePage(dm, -1, nullptr);
        }
    }
    void Invalidate(DisplayModel* dm, int pageNo, QRectF rect) override
    {
        if (RenderCache* cache = win->AsRenderCache())
            cache->Invalidate(dm, pageNo, rect);
    }
    WindowControler* win;
};

} // namespace viewtest
