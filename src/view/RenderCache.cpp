#include "RenderCache.h"

#include <QGuiApplication>
#include <QScreen>

#include <X11/Xlib.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

RenderCache* g_instance = nullptr;

const quint32 kDelayUndefined = 0xFFFFFFFFu; // nothing queued, or only just queued
const quint32 kDelayFailed = 0xFFFFFFFEu;    // nothing could be drawn

int roundHalfUp(double v)
{
    return static_cast<int>(std::floor(v + 0.5));
}

// Largest tile in pixels: (screen height, screen width), so a tile is never larger than the
// screen whichever way it is turned. The X display when one can be opened, else the primary
// screen, else 1920 x 1080.
QSize screenTileBound()
{
    if (Display* display = XOpenDisplay(nullptr))
    {
        const int screen = XDefaultScreen(display);
        const QSize size(XDisplayHeight(display, screen), XDisplayWidth(display, screen));
        XCloseDisplay(display);
        if (size.width() > 0 && size.height() > 0)
            return size;
    }
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
    {
        if (QScreen* primary = QGuiApplication::primaryScreen())
        {
            const QSize s = primary->size();
            if (s.width() > 0 && s.height() > 0)
                return QSize(s.height(), s.width());
        }
    }
    return QSize(1080, 1920);
}

bool lessTile(const TilePosition& a, const TilePosition& b)
{
    if (a.res != b.res)
        return a.res < b.res;
    if (a.row != b.row)
        return a.row < b.row;
    return a.col < b.col;
}

} // namespace

void DeleteRenderedBitmap(RenderedBitmap* bmp)
{
    // The record deletes its image.
    delete bmp;
}

RenderCache::RenderCache()
{
    maxTileSize = screenTileBound();
    init();
}

RenderCache::RenderCache(QSize maxTile)
{
    maxTileSize = maxTile;
    init();
}

void RenderCache::init()
{
    if (!g_instance)
        g_instance = this;
    StartThread();
}

RenderCache::~RenderCache()
{
    StopThread();
    {
        std::lock_guard<std::mutex> lock(Mutex());
        RemoveAllLocked();
    }
    {
        std::lock_guard<std::mutex> lock(cacheMutex);
        for (int i = 0; i < cacheCount; i++)
        {
            DeleteRenderedBitmap(cache[i]->bitmap);
            delete cache[i];
            cache[i] = nullptr;
        }
        cacheCount = 0;
    }
    if (g_instance == this)
        g_instance = nullptr;
}

RenderCache* RenderCache::instance()
{
    return g_instance;
}

int RenderCache::CacheCount()
{
    std::lock_guard<std::mutex> lock(cacheMutex);
    return cacheCount;
}

// --- geometry ------------------------------------------------------------------------------------

namespace {

// The page box the model laid out (asking the engine would wait for the facade's lock while the
// render thread renders); the engine's box for a page the model has no record of.
QRectF pageBox(DisplayModel* dm, int pageNo)
{
    if (const PageInfo* info = dm->GetPageInfo(pageNo))
        return info->page;
    return dm->_engine->PageMediabox(pageNo);
}

QRectF tileOfBox(const QRectF& box, TilePosition tile)
{
    if (tile.res == 0 || tile.res == 0xFFFF)
        return box;
    const double n = std::ldexp(1.0, tile.res);
    const double w = box.width() / n, h = box.height() / n;
    return QRectF(box.x() + tile.col * w, box.y() + (n - tile.row - 1) * h, w, h);
}

} // namespace

QRectF RenderCache::GetTileRectUser(PdfEngine* engine, int pageNo, TilePosition tile)
{
    return tileOfBox(engine->PageMediabox(pageNo), tile);
}

QRect RenderCache::GetTileRectDevice(DisplayModel* dm, int pageNo, int rotation, float zoom, TilePosition tile)
{
    PdfEngine* engine = dm->_engine;
    const QRectF box = pageBox(dm, pageNo);
    QRectF r = engine->Transform(tileOfBox(box, tile), pageNo, zoom, rotation, false);
    // The facade turns about the page origin: measure from the turned page's top-left corner.
    const QPointF origin = engine->Transform(box, pageNo, zoom, rotation, false).topLeft();
    r.translate(-origin);
    return QRect(roundHalfUp(r.x()), roundHalfUp(r.y()), roundHalfUp(r.width()), roundHalfUp(r.height()));
}

quint16 RenderCache::GetTileRes(DisplayModel* dm, int pageNo)
{
    PdfEngine* engine = dm->_engine;
    const QRectF pixelBox = engine->Transform(pageBox(dm, pageNo), pageNo, dm->_zoomReal, dm->_rotation, false);
    const float factorW = static_cast<float>(pixelBox.width() / (maxTileSize.width() + 1));
    const float factorH = static_cast<float>(pixelBox.height() / (maxTileSize.height() + 1));
    float factor = std::sqrt(factorW * factorH);
    const float zv = dm->GetZoomVirtual(false);
    if (zv == -1 || zv == -2)
        factor /= 2;
    else if (dm->_viewPort.width() >= pixelBox.width())
        factor /= 2;
    else if (dm->_viewPort.height() > pixelBox.height())
        factor /= 2;
    if (!(factor > 1.5f))
        return 0;
    const double res = std::ceil(std::log2(static_cast<double>(factor)));
    return static_cast<quint16>(std::min(res, 30.0));
}

int RenderCache::GetMaxTileRes(DisplayModel* dm, int pageNo, int rotation)
{
    std::lock_guard<std::mutex> lock(cacheMutex);
    int maxRes = 0;
    rotation = NormalizeRotation(rotation);
    for (int i = 0; i < cacheCount; i++)
    {
        const BitmapCacheEntry* e = cache[i];
        if (e->dm == dm && e->pageNo == pageNo && e->rotation == rotation)
            maxRes = std::max(maxRes, static_cast<int>(e->tile.res));
    }
    return maxRes;
}

bool RenderCache::IsTileVisible(DisplayModel* dm, int pageNo, TilePosition tile, float fuzz)
{
    if (!dm || !dm->_engine)
        return false;
    PageInfo* info = dm->GetPageInfo(pageNo);
    if (!info)
        return false;
    QRect r = GetTileRectDevice(dm, pageNo, dm->_rotation, dm->_zoomReal, tile);
    r.translate(info->pageOnScreen.topLeft());
    const int W = r.width(), H = r.height();
    const int left = r.x() - static_cast<int>(fuzz * W * 0.5f);
    const int right = left + static_cast<int>(W * (1 + fuzz)) - 1;
    const int top = r.y() - static_cast<int>(fuzz * H * 0.5f);
    const int bottom = top + static_cast<int>(H * (1 + fuzz)) - 1;
    const QRect enlarged(QPoint(left, top), QPoint(right, bottom));
    const QRect screen(QPoint(0, 0), QPoint(dm->_viewPort.width() - 1, dm->_viewPort.height() - 1));
    return enlarged.intersects(screen);
}

// --- cache entries ---------------------------------------------------------------------------------

BitmapCacheEntry* RenderCache::FindEntryLocked(DisplayModel* dm, int pageNo, int rotation, float zoom, TilePosition* tile)
{
    rotation = NormalizeRotation(rotation);
    for (int i = 0; i < cacheCount; i++)
    {
        BitmapCacheEntry* e = cache[i];
        if (e->dm == dm && e->pageNo == pageNo && e->rotation == rotation && (zoom == -99 || e->zoom == zoom) &&
            (!tile || e->tile == *tile))
        {
            e->refs++;
            return e;
        }
    }
    return nullptr;
}

BitmapCacheEntry* RenderCache::Find(DisplayModel* dm, int pageNo, int rotation, float zoom, TilePosition* tile)
{
    std::lock_guard<std::mutex> lock(cacheMutex);
    return FindEntryLocked(dm, pageNo, rotation, zoom, tile);
}

bool RenderCache::Exists(DisplayModel* dm, int pageNo, int rotation, float zoom, TilePosition* tile)
{
    std::lock_guard<std::mutex> lock(cacheMutex);
    BitmapCacheEntry* e = FindEntryLocked(dm, pageNo, rotation, zoom, tile);
    if (e)
        DropCacheEntryLocked(e);
    return e != nullptr;
}

void RenderCache::DropCacheEntryLocked(BitmapCacheEntry* entry)
{
    if (--entry->refs == 0)
    {
        DeleteRenderedBitmap(entry->bitmap);
        delete entry;
    }
}

void RenderCache::DropCacheEntry(BitmapCacheEntry* entry)
{
    std::lock_guard<std::mutex> lock(cacheMutex);
    DropCacheEntryLocked(entry);
}

void RenderCache::Add(PageRenderRequest& req, RenderedBitmap* bitmap)
{
    // Request lock first (published views), then the cache lock.
    std::lock_guard<std::mutex> requestLock(Mutex());
    std::lock_guard<std::mutex> lock(cacheMutex);
    req.rotation = NormalizeRotation(req.rotation);
    FreePageLocked(req.dm, req.pageNo, &req.tile);
    if (cacheCount >= MAX_BITMAPS_CACHED)
    {
        int victim = 0;
        for (int i = 0; i < cacheCount; i++)
        {
            if (cache[i]->dm == req.dm && !PageNearbyLocked(cache[i]->dm, cache[i]->pageNo))
            {
                victim = i;
                break;
            }
        }
        DropCacheEntryLocked(cache[victim]);
        for (int i = victim + 1; i < cacheCount; i++)
            cache[i - 1] = cache[i];
        cacheCount--;
        cache[cacheCount] = nullptr;
    }
    BitmapCacheEntry* e = new BitmapCacheEntry;
    e->dm = req.dm;
    e->pageNo = req.pageNo;
    e->rotation = req.rotation;
    e->zoom = req.zoom;
    e->tile = req.tile;
    e->bitmap = bitmap;
    e->outOfDate = false;
    e->refs = 1;
    cache[cacheCount++] = e;
}

void RenderCache::FreePageLocked(DisplayModel* dm, int pageNo, TilePosition* tile)
{
    int kept = 0;
    for (int i = 0; i < cacheCount; i++)
    {
        BitmapCacheEntry* e = cache[i];
        bool release;
        if (!dm)
        {
            // Runs on the GUI thread only (after a paint), where the models may be read directly.
            release = !e->dm->PageVisibleNearby(e->pageNo) ||
                      (e->tile.res >= 2 && !IsTileVisible(e->dm, e->pageNo, e->tile, 2.0f));
        }
        else if (e->dm != dm)
            release = false;
        else if (pageNo == -1)
            release = true;
        else if (e->pageNo != pageNo)
            release = false;
        else if (!tile)
            release = true;
        else
        {
            release = e->tile == *tile;
            if (!release && tile->row == 0xFFFF)
                release = (e->tile.res != 0 && e->tile.res != tile->res) || (e->tile.res == 0 && e->outOfDate);
        }
        if (release)
        {
            DropCacheEntryLocked(e);
            continue;
        }
        cache[kept++] = e;
    }
    for (int i = kept; i < cacheCount; i++)
        cache[i] = nullptr;
    cacheCount = kept;
}

void RenderCache::FreePage(DisplayModel* dm, int pageNo, TilePosition* tile)
{
    std::lock_guard<std::mutex> lock(cacheMutex);
    FreePageLocked(dm, pageNo, tile);
}

void RenderCache::Invalidate(DisplayModel* dm, int pageNo, QRectF rect)
{
    ClearQueueForDisplayModel(dm, pageNo, nullptr);
    AbortCurrentFor(dm, pageNo);
    std::lock_guard<std::mutex> lock(cacheMutex);
    for (int i = 0; i < cacheCount; i++)
    {
        BitmapCacheEntry* e = cache[i];
        if (e->dm != dm || e->pageNo != pageNo)
            continue;
        const QRectF isect = tileOfBox(pageBox(dm, pageNo), e->tile).intersected(rect);
        if (isect.width() > 0 && isect.height() > 0)
        {
            e->zoom = -99;
            e->outOfDate = true;
        }
    }
}

bool RenderCache::ReduceTileSize()
{
    if (maxTileSize.width() < 200 || maxTileSize.height() < 200)
        return false;
    std::lock_guard<std::mutex> requestLock(Mutex());
    std::lock_guard<std::mutex> lock(cacheMutex);
    if (maxTileSize.width() > maxTileSize.height())
        maxTileSize.setWidth(maxTileSize.width() / 2);
    else
        maxTileSize.setHeight(maxTileSize.height() / 2);
    for (int i = 0; i < cacheCount; i++)
    {
        DropCacheEntryLocked(cache[i]);
        cache[i] = nullptr;
    }
    cacheCount = 0;
    RemoveAllLocked();
    AbortCurrentLocked();
    return true;
}

// --- queue -------------------------------------------------------------------------------------------

void RenderCache::PublishView(DisplayModel* dm)
{
    PublishedView view;
    dm->VisibleRange(&view.firstVisible, &view.lastVisible);
    view.columns = dm->Columns();
    view.pageCount = dm->PageCount();
    Publish(dm, view);
}

quint32 RenderCache::GetRenderDelay(DisplayModel* dm, int pageNo, TilePosition tile)
{
    return RenderDelay(dm, pageNo, tile);
}

void RenderCache::ClearQueueForDisplayModel(DisplayModel* dm, int pageNo, TilePosition* tile, bool locked)
{
    std::function<bool(const PageRenderRequest&)> removeIf;
    if (tile)
    {
        const TilePosition given = *tile;
        removeIf = [this, dm, given](const PageRenderRequest& r) {
            return r.tile.res != given.res || !IsTileVisible(dm, r.pageNo, given, 0.5f);
        };
    }
    if (locked)
        ClearQueueLocked(dm, pageNo, removeIf);
    else
        ClearQueue(dm, pageNo, removeIf);
}

bool RenderCache::RenderLocked(DisplayModel* dm, int pageNo, int rotation, float zoom, TilePosition* tile,
                               QRectF* pageRect, RenderingCallback* renderCb)
{
    if (!dm)
    {
        std::fprintf(stderr, "src/RenderCache: assertion failed: dm\n");
        std::abort();
    }
    if (dm->dontRenderFlag)
        return false;
    if (!(tile || (pageRect && renderCb)))
    {
        std::fprintf(stderr, "src/RenderCache: assertion failed: tile || pageRect && renderCb\n");
        std::abort();
    }
    PageRenderRequest req;
    req.dm = dm;
    req.pageNo = pageNo;
    req.rotation = rotation;
    req.zoom = zoom;
    if (tile)
    {
        req.pageRect = dm->_engine->Transform(QRectF(GetTileRectDevice(dm, pageNo, rotation, zoom, *tile)).translated(
                                                  dm->PageOriginDevice(pageNo, zoom, rotation)),
                                              pageNo, zoom, rotation, true);
        req.tile = *tile;
    }
    else
        req.pageRect = *pageRect;
    req.renderCb = renderCb;
    req.waitsForOthers = dm->renderWhenOthersDone;
    AppendLocked(req);
    return true;
}

bool RenderCache::Render(DisplayModel* dm, int pageNo, int rotation, float zoom, TilePosition* tile, QRectF* pageRect,
                         RenderingCallback* renderCb)
{
    bool ok;
    {
        std::lock_guard<std::mutex> lock(Mutex());
        ok = RenderLocked(dm, pageNo, rotation, zoom, tile, pageRect, renderCb);
    }
    if (ok)
        Wake();
    return ok;
}

void RenderCache::Render(DisplayModel* dm, int pageNo, int rotation, float zoom, QRectF pageRect,
                         RenderingCallback& callback)
{
    if (!Render(dm, pageNo, rotation, zoom, nullptr, &pageRect, &callback))
        callback.Callback(nullptr);
}

void RenderCache::RequestRendering(DisplayModel* dm, int pageNo, TilePosition tile, bool clearQueueForPage)
{
    if (!dm || dm->dontRenderFlag || dm->renderingHeld)
        return;
    PublishView(dm);
    const int rotation = NormalizeRotation(dm->_rotation);
    const float zoom = dm->GetZoomReal(pageNo);
    bool appended = false;
    {
        std::lock_guard<std::mutex> lock(Mutex());
        if (PageRenderRequest* cur = CurrentLocked())
        {
            if (cur->dm == dm && cur->pageNo == pageNo && cur->tile == tile)
            {
                if (cur->zoom == zoom && cur->rotation == rotation)
                    return;
                AbortCurrentLocked();
            }
        }
        if (clearQueueForPage)
            ClearQueueForDisplayModel(dm, pageNo, &tile, true);
        const int i = FindLocked(dm, pageNo, tile);
        if (i >= 0)
        {
            PageRenderRequest& r = RequestAtLocked(i);
            if (r.zoom == zoom && r.rotation == rotation)
                PromoteLocked(i);
            else
            {
                r.rotation = rotation;
                r.zoom = zoom;
            }
            return;
        }
        if (Exists(dm, pageNo, rotation, zoom, &tile))
            return;
        appended = RenderLocked(dm, pageNo, rotation, zoom, &tile, nullptr, nullptr);
    }
    if (appended)
        Wake();
}

void RenderCache::RequestRendering(DisplayModel* dm, int pageNo)
{
    if (!dm || dm->dontRenderFlag || dm->renderingHeld || !dm->GetPageInfo(pageNo))
        return;
    const quint16 res = GetTileRes(dm, pageNo);
    if (res > 1)
        return;
    RequestRendering(dm, pageNo, TilePosition(res, 0, 0), true);
    if (res == 1 && RequestCount() < MAX_PAGE_REQUESTS)
        RequestRendering(dm, pageNo, TilePosition(1, 0, 1), false);
}

void RenderCache::CancelRendering(DisplayModel* dm)
{
    CancelFor(dm);
}

// --- render thread ------------------------------------------------------------------------------------

void RenderCache::Process(PageRenderRequest& req)
{
    DisplayModel* dm = req.dm;
    if (!req.renderCb && !PageNearby(dm, req.pageNo))
        return;
    if (dm->dontRenderFlag)
    {
        if (req.renderCb)
            req.renderCb->Callback(nullptr);
        return;
    }
    RenderedBitmap* bmp = dm->_engine->RenderBitmap(req.pageNo, req.zoom, req.rotation, &req.pageRect);
    if (CurrentAborted())
    {
        DeleteRenderedBitmap(bmp);
        if (req.renderCb)
            req.renderCb->Callback(nullptr);
        return;
    }
    if (req.renderCb)
    {
        req.renderCb->Callback(bmp);
        return;
    }
    Add(req, bmp);
    if (dm->cb)
        dm->cb->Repaint();
}

// --- painting -----------------------------------------------------------------------------------------

int RenderCache::PaintTile(QPainter* painter, QRect bounds, DisplayModel* dm, int pageNo, TilePosition tile,
                           QRect tileOnScreen, bool renderMissing, bool* renderOutOfDateCue, bool* renderedReplacement)
{
    BitmapCacheEntry* entry = Find(dm, pageNo, dm->_rotation, dm->_zoomReal, &tile);
    int renderDelay = 0;
    if (!entry)
    {
        if (renderedReplacement)
            *renderedReplacement = true;
        entry = Find(dm, pageNo, dm->_rotation, -99, &tile);
        renderDelay = static_cast<int>(GetRenderDelay(dm, pageNo, tile));
        if (renderDelay == -1 && renderMissing)
        {
            if (RequestCount() < MAX_PAGE_REQUESTS)
                RequestRendering(dm, pageNo, tile, true);
            if (!entry)
                return -1;
        }
        else if (!entry)
            return renderDelay == 0 ? 1 : renderDelay;
    }

    RenderedBitmap* bmp = entry->bitmap;
    if (!bmp)
    {
        DropCacheEntry(entry);
        return -2;
    }
    if (!bmp->image || bmp->image->isNull())
    {
        const bool reduced = ReduceTileSize();
        DropCacheEntry(entry);
        if (reduced)
            return renderDelay == 0 ? 1 : renderDelay;
        return -2;
    }
    const int bw = bmp->size.width(), bh = bmp->size.height();
    const int tw = tileOnScreen.width(), th = tileOnScreen.height();
    const float factor = std::min(static_cast<float>(bw) / tw, static_cast<float>(bh) / th);
    const int xSrc = -std::min(tileOnScreen.x(), 0);
    const int ySrc = -std::min(tileOnScreen.y(), 0);
    if (factor == 1.0f)
        painter->drawImage(QPoint(bounds.x() - xSrc, bounds.y() - ySrc), *bmp->image);
    else
    {
        const QRect src(static_cast<int>(xSrc * factor), static_cast<int>(ySrc * factor),
                        static_cast<int>(bounds.width() * factor), static_cast<int>(bounds.height() * factor));
        painter->drawImage(bounds, *bmp->image, src);
    }
    if (entry->outOfDate && renderOutOfDateCue)
        *renderOutOfDateCue = true;
    DropCacheEntry(entry);
    return 0;
}

unsigned int RenderCache::Paint(QPainter* painter, QRect bounds, DisplayModel* dm, int pageNo, PageInfo* pageInfo,
                                bool* renderOutOfDateCue)
{
    const int rotation = dm->_rotation;
    const quint16 targetRes = GetTileRes(dm, pageNo);
    const int maxRes = std::max(static_cast<int>(targetRes), GetMaxTileRes(dm, pageNo, rotation));

    QList<TilePosition> queue;
    queue.append(TilePosition(0, 0, 0));
    quint32 renderDelayMin = kDelayUndefined;
    bool neededScaling = false;

    while (!queue.isEmpty())
    {
        const TilePosition tile = queue.takeFirst();
        QRect tileOnScreen = GetTileRectDevice(dm, pageNo, rotation, dm->_zoomReal, tile);
        if (tileOnScreen.isEmpty())
        {
            renderDelayMin = std::min(renderDelayMin, kDelayFailed);
            continue;
        }
        tileOnScreen.translate(pageInfo->pageOnScreen.topLeft());
        const QRect clipped = tileOnScreen.intersected(pageInfo->pageOnScreen);
        const QRect isect = bounds.intersected(clipped);
        if (isect.isEmpty())
            continue;
        tileOnScreen = clipped;

        const bool isTarget = tile.res == targetRes;
        const int renderDelay = PaintTile(painter, isect, dm, pageNo, tile, tileOnScreen, isTarget, renderOutOfDateCue,
                                          isTarget ? &neededScaling : nullptr);
        if (!(isTarget && renderDelay == 0))
        {
            if (tile.res < maxRes)
            {
                const int r = tile.res + 1, row = tile.row * 2, col = tile.col * 2;
                queue.append(TilePosition(r, row, col));
                queue.append(TilePosition(r, row, col + 1));
                queue.append(TilePosition(r, row + 1, col));
                queue.append(TilePosition(r, row + 1, col + 1));
            }
            if (isTarget)
                neededScaling = true;
        }
        renderDelayMin = std::min(renderDelayMin, static_cast<quint32>(renderDelay));
        if (tile.res > 0 && !queue.isEmpty() && queue.first().res > tile.res)
            std::sort(queue.begin(), queue.end(), lessTile);
    }

    if (!neededScaling)
    {
        if (renderOutOfDateCue)
            *renderOutOfDateCue = false;
        TilePosition all(targetRes, 0xFFFF, 0);
        FreePage(dm, pageNo, &all);
    }
    FreePage(nullptr, -1, nullptr);
    return renderDelayMin;
}
