#pragma once
// Tile render cache shared by every page view: paints the cached tiles of a page, queues the
// missing ones for the render thread, and keeps at most 64 rendered bitmaps.
//
// One instance exists per process. It is created by main after the application object and
// destroyed before it goes; RenderCache::instance() reaches it (null outside that span).

#include "DisplayModel.h"
#include "RenderRequestQueue.h"

#include <QPainter>
#include <QRect>
#include <QRectF>
#include <QSize>

#include <mutex>

struct BitmapCacheEntry
{
    DisplayModel* dm = nullptr;
    int pageNo = 0;
    int rotation = 0;
    float zoom = 0;
    TilePosition tile;
    RenderedBitmap* bitmap = nullptr;
    bool outOfDate = false;
    int refs = 1;
};

#define MAX_BITMAPS_CACHED 64

class RenderCache : private RenderRequestQueue
{
public:
    // Reads the screen size for the tile bound (X display, else the primary screen, else
    // 1920 x 1080) and starts the render thread.
    RenderCache();
    // For tests: a fixed largest tile (width, height) in pixels.
    explicit RenderCache(QSize maxTile);
    // Stops and joins the render thread before anything it uses goes.
    ~RenderCache() override;

    static RenderCache* instance();

    unsigned int Paint(QPainter* painter, QRect bounds, DisplayModel* dm, int pageNo, PageInfo* pageInfo,
                       bool* renderOutOfDateCue);
    void RequestRendering(DisplayModel* dm, int pageNo);
    void RequestRendering(DisplayModel* dm, int pageNo, TilePosition tile, bool clearQueueForPage = true);
    bool Render(DisplayModel* dm, int pageNo, int rotation, float zoom, TilePosition* tile = nullptr,
                QRectF* pageRect = nullptr, RenderingCallback* renderCb = nullptr);
    void Render(DisplayModel* dm, int pageNo, int rotation, float zoom, QRectF pageRect, RenderingCallback& callback);
    void CancelRendering(DisplayModel* dm);
    void FreePage(DisplayModel* dm = nullptr, int pageNo = -1, TilePosition* tile = nullptr);
    void Invalidate(DisplayModel* dm, int pageNo, QRectF rect);
    bool Exists(DisplayModel* dm, int pageNo, int rotation, float zoom = -99, TilePosition* tile = nullptr);
    BitmapCacheEntry* Find(DisplayModel* dm, int pageNo, int rotation, float zoom = -99, TilePosition* tile = nullptr);
    void DropCacheEntry(BitmapCacheEntry* entry);
    quint16 GetTileRes(DisplayModel* dm, int pageNo);
    int GetMaxTileRes(DisplayModel* dm, int pageNo, int rotation);
    bool ReduceTileSize();

    // Tile rectangle in pixels relative to the page's top-left corner on screen.
    static QRect GetTileRectDevice(DisplayModel* dm, int pageNo, int rotation, float zoom, TilePosition tile);
    // The tile's part of the page box, in page points.
    static QRectF GetTileRectUser(PdfEngine* engine, int pageNo, TilePosition tile);
    bool IsTileVisible(DisplayModel* dm, int pageNo, TilePosition tile, float fuzz = 0);

    // Publishes the model's visible pages for the render thread (GUI thread).
    void PublishView(DisplayModel* dm);

    QSize maxTileSize;
    int CacheCount();
    int RequestCount() { return Count(); }
    // No tile queued and none being rendered.
    using RenderRequestQueue::Idle;

protected:
    void Process(PageRenderRequest& req) override;

private:
    void init();
    int PaintTile(QPainter* painter, QRect bounds, DisplayModel* dm, int pageNo, TilePosition tile, QRect tileOnScreen,
                  bool renderMissing, bool* renderOutOfDateCue, bool* renderedReplacement);
    quint32 GetRenderDelay(DisplayModel* dm, int pageNo, TilePosition tile);
    void ClearQueueForDisplayModel(DisplayModel* dm, int pageNo = -1, TilePosition* tile = nullptr, bool locked = false);
    void Add(PageRenderRequest& req, RenderedBitmap* bitmap);
    void FreePageLocked(DisplayModel* dm, int pageNo, TilePosition* tile);
    BitmapCacheEntry* FindEntryLocked(DisplayModel* dm, int pageNo, int rotation, float zoom, TilePosition* tile);
    void DropCacheEntryLocked(BitmapCacheEntry* entry);
    bool RenderLocked(DisplayModel* dm, int pageNo, int rotation, float zoom, TilePosition* tile, QRectF* pageRect,
                      RenderingCallback* renderCb);

    BitmapCacheEntry* cache[MAX_BITMAPS_CACHED] = {};
    int cacheCount = 0;
    std::mutex cacheMutex;
};

// Deletes a rendered bitmap: its image first, then the record.
void DeleteRenderedBitmap(RenderedBitmap* bmp);
