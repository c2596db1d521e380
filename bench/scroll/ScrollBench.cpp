// Scrolling benchmark.
//
// Scrolls a generated text-and-vector document from top to bottom at 100 % and 200 % in the
// minimal page view (offscreen), through the real render cache and engine, one view height per
// step, waiting at each step until every visible page is fully rendered at the target tiles.
// Reports the time per visible page, the peak memory and the most bitmaps the cache held, beside
// rendering the same tiles directly through the engine (and the engine's whole-page rate) in the
// same run. Target: the cache adds at most 15 % over the direct tiles; memory stays bounded by the
// cache's 64 bitmaps whatever the length.
//
//   scroll_bench            300 pages
//   scroll_bench --short    a quick run for the test suite
#include "PdfFixture.h"
#include "ViewTestSupport.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QScrollBar>
#include <QTemporaryDir>

#include <chrono>
#include <cstdio>
#include <cstring>
#include "BenchDocument.h"

#include <fstream>
#include <optional>
#include <set>
#include <string>
#include <thread>

// Sanitizer settings of the test binaries.
#include "SanitizerDefaults.inc"

namespace {

using bench::Clock;
using bench::seconds;

long peakKb()
{
    std::ifstream f("/proc/self/status");
    std::string line;
    while (std::getline(f, line))
        if (line.rfind("VmHWM:", 0) == 0)
            return std::atol(line.c_str() + 6);
    return 0;
}

// The target tiles of a page that meet the screen, as the cache's paint would ask for them.
std::vector<TilePosition> visibleTargetTiles(RenderCache& cache, DisplayModel* dm, int pageNo)
{
    std::vector<TilePosition> tiles;
    const int res = cache.GetTileRes(dm, pageNo);
    const int n = 1 << res;
    const PageInfo* info = dm->GetPageInfo(pageNo);
    const QRect screen(0, 0, dm->GetViewPort().width(), dm->GetViewPort().height());
    for (int row = 0; row < n; row++)
        for (int col = 0; col < n; col++)
        {
            const TilePosition t(res, row, col);
            QRect r = RenderCache::GetTileRectDevice(dm, pageNo, dm->GetRotation(), dm->GetZoomReal(), t);
            r.translate(info->pageOnScreen.topLeft());
            if (r.intersected(info->pageOnScreen).intersects(screen))
                tiles.push_back(t);
        }
    return tiles;
}

bool fullyRendered(RenderCache& cache, DisplayModel* dm)
{
    for (int p = 1; p <= dm->PageCount(); p++)
    {
        if (!dm->PageVisible(p))
            continue;
        for (TilePosition t : visibleTargetTiles(cache, dm, p))
            if (!cache.Exists(dm, p, dm->GetRotation(), dm->GetZoomReal(), &t))
                return false;
    }
    return true;
}

struct Run
{
    double cacheSeconds = 0;
    int pagesShown = 0;
    int maxBitmaps = 0;
    double directSeconds = 0;
    int directPages = 0;
    bool complete = true;
};

Run scroll(const QString& path, RenderCache& cache, float zoom)
{
    Run run;
    PdfEngine engine;
    if (engine.Load(path, false, nullptr) != 0)
    {
        std::fprintf(stderr, "cannot open %s\n", qPrintable(path));
        run.complete = false;
        return run;
    }
    BasicPdfView view(nullptr);
    DisplayModel* dm = new DisplayModel(new viewtest::ViewCallback(&view), &engine);
    dm->SetInitialViewSettings(DM_CONTINUOUS, 1, QSize(1440, 809), 96);
    dm->Relayout(zoom, 0);
    view.setDisplayModel(dm, &cache);
    view.resize(1024, 768);
    view.show();
    QCoreApplication::processEvents();

    std::set<int> shown;
    const Clock::time_point start = Clock::now();
    for (;;)
    {
        const Clock::time_point stepStart = Clock::now();
        while (!fullyRendered(cache, dm))
        {
            view.drawingArea()->repaint();
            QCoreApplication::processEvents();
            run.maxBitmaps = std::max(run.maxBitmaps, cache.CacheCount());
            if (seconds(stepStart) > 30)
            {
                run.complete = false;
                break;
            }
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
        view.drawingArea()->repaint();
        for (int p = 1; p <= dm->PageCount(); p++)
            if (dm->PageVisible(p))
                shown.insert(p);
        QScrollBar* bar = view.verticalBar();
        if (bar->isHidden() || bar->value() >= bar->maximum())
            break;
        bar->setValue(std::min(bar->maximum(), bar->value() + dm->GetViewPort().height()));
    }
    run.cacheSeconds = seconds(start);
    run.pagesShown = static_cast<int>(shown.size());
    run.maxBitmaps = std::max(run.maxBitmaps, cache.CacheCount());

    // The same tiles, rendered directly through the engine, once per page shown.
    // The cache stays out of it: nothing is queued for the model from here on.
    cache.CancelRendering(dm);
    dm->dontRenderFlag = true;
    const Clock::time_point direct = Clock::now();
    for (int p : shown)
    {
        dm->GoToPage(p, false);
        for (TilePosition t : visibleTargetTiles(cache, dm, p))
        {
            QRectF rect = RenderCache::GetTileRectUser(&engine, p, t);
            RenderedBitmap* bmp = engine.RenderBitmap(p, dm->GetZoomReal(), dm->GetRotation(), &rect);
            DeleteRenderedBitmap(bmp);
        }
        run.directPages++;
    }
    run.directSeconds = seconds(direct);
    return run;
}

double wholePageRate(const QString& path, int pages, float zoomReal)
{
    PdfEngine engine;
    if (engine.Load(path, false, nullptr) != 0)
        return 0;
    engine.CutOutPages();
    const Clock::time_point start = Clock::now();
    for (int p = 1; p <= pages; p++)
    {
        QRectF box = engine.PageMediabox(p);
        DeleteRenderedBitmap(engine.RenderBitmap(p, zoomReal, 0, &box));
    }
    return pages / seconds(start);
}

} // namespace

int main(int argc, char** argv)
{
    const bool shortRun = argc > 1 && std::strcmp(argv[1], "--short") == 0;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    std::optional<QApplication> app;
    {
        // The platform plugin never releases the screens and cursor it makes here.
        ToolkitSetUpLeaksIgnored toolkitSetUp;
        app.emplace(argc, argv);
    }
    const int pages = shortRun ? 8 : 300;

    QTemporaryDir dir;
    const QString path = dir.filePath("scroll.pdf");
    fixture::writeFile(path.toStdString(), bench::makeDocument(pages, false));

    // Tiles bounded as on a 1920 x 1080 screen.
    RenderCache cache(QSize(1080, 1920));
    std::printf("scroll benchmark: %d pages, view 1024 x 768, 96 dpi\n", pages);
    bool ok = true;
    for (float zoom : {100.0f, 200.0f})
    {
        const Run r = scroll(path, cache, zoom);
        const double perPage = r.pagesShown ? r.cacheSeconds * 1000 / r.pagesShown : 0;
        const double directPerPage = r.directPages ? r.directSeconds * 1000 / r.directPages : 0;
        const double rate = wholePageRate(path, shortRun ? 4 : 40, zoom / 100.0f * 96.0f / 72.0f);
        std::printf("zoom %3.0f%%: %d pages shown, %.2f ms per visible page through the cache, %.2f ms direct "
                    "(overhead %+.1f%%), engine %.1f whole pages/s, at most %d bitmaps cached, peak memory %ld MB%s\n",
                    zoom, r.pagesShown, perPage, directPerPage, directPerPage > 0 ? (perPage / directPerPage - 1) * 100 : 0,
                    rate, r.maxBitmaps, peakKb() / 1024, r.complete ? "" : " (INCOMPLETE)");
        ok = ok && r.complete && r.maxBitmaps <= MAX_BITMAPS_CACHED && r.pagesShown == pages;
    }
    return ok ? 0 : 1;
}
