// Tile geometry, tile resolution, the request queue rules, freeing, invalidation and
// cancel-and-wait of the render cache, with an engine whose renders can be held at a gate.
#include "ViewTestSupport.h"

#include <QImage>
#include <QPainter>
#include <QTest>

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <thread>

using namespace viewtest;

namespace {

class CacheTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        savedScrollWidth = scrollWidth;
        scrollWidth = 0;
        cache.reset(new RenderCache(QSize(1080, 1920)));
    }
    void TearDown() override
    {
        if (engine)
            engine->setGate(true);
        models.clear();
        cache.reset();
        scrollWidth = savedScrollWidth;
    }

    DisplayModel* make(QVector<QRectF> boxes, QSize viewPort, float zoom = 100, int dpi = 72)
    {
        engine.reset(new FakeEngine(boxes));
        return addModel(viewPort, zoom, dpi);
    }
    DisplayModel* addModel(QSize viewPort, float zoom = 100, int dpi = 72)
    {
        auto* cb = new RecordingCallback;
        cb->cache = cache.get();
        callbacks.push_back(cb);
        models.emplace_back(new DisplayModel(cb, engine.get()));
        DisplayModel* dm = models.back().get();
        dm->SetInitialViewSettings(DM_CONTINUOUS, 1, viewPort, dpi);
        dm->Relayout(zoom, 0);
        dm->SetViewPortSize(viewPort);
        return dm;
    }
    static QVector<QRectF> pages(int n, double w, double h)
    {
        return QVector<QRectF>(n, QRectF(0, 0, w, h));
    }
    // Waits (up to five seconds) until nothing is queued and the render thread has finished
    // with the request it took: the cache holds whatever the requests so far produced.
    bool waitIdle()
    {
        return QTest::qWaitFor([this] { return cache->Idle(); }, 5000);
    }

    int savedScrollWidth = 0;
    std::unique_ptr<RenderCache> cache;
    std::unique_ptr<FakeEngine> engine;
    std::vector<RecordingCallback*> callbacks;
    std::vector<std::unique_ptr<DisplayModel>> models;
};

} // namespace

TEST_F(CacheTest, TileResolutionTable)
{
    // 595 x 842 at zoom 1 on a 1920 x 1080 screen: one tile for the whole page.
    DisplayModel* a4 = make(pages(1, 595, 842), QSize(800, 600));
    EXPECT_EQ(cache->GetTileRes(a4, 1), 0);
    // 4000 x 5600 pixels, wider and taller than the view, numeric zoom: 16 tiles.
    DisplayModel* big = make(pages(1, 4000, 5600), QSize(800, 600));
    EXPECT_EQ(cache->GetTileRes(big, 1), 2);
    // The same pixel size at fit width: the factor is halved.
    DisplayModel* fit = make(pages(1, 800, 1120), QSize(4000 + 12, 600), -2);
    ASSERT_FLOAT_EQ(fit->GetZoomReal(), 5.0f);
    EXPECT_EQ(cache->GetTileRes(fit, 1), 1);
}

TEST_F(CacheTest, TileGeometryAtEveryRotation)
{
    DisplayModel* dm = make(pages(1, 600, 800), QSize(2000, 2000));
    // Row 0 is the lower band of the page box.
    EXPECT_EQ(RenderCache::GetTileRectUser(engine.get(), 1, TilePosition(1, 0, 0)), QRectF(0, 400, 300, 400));
    EXPECT_EQ(RenderCache::GetTileRectUser(engine.get(), 1, TilePosition(1, 1, 1)), QRectF(300, 0, 300, 400));
    EXPECT_EQ(RenderCache::GetTileRectDevice(dm, 1, 0, 0.5f, TilePosition(1, 0, 1)), QRect(150, 200, 150, 200));
    // Turned pages keep their tiles on the page: the union of the tiles is the page.
    for (int rotation : {0, 90, 180, 270})
    {
        SCOPED_TRACE(rotation);
        QRect all;
        for (int row = 0; row < 2; row++)
            for (int col = 0; col < 2; col++)
                all = all.united(RenderCache::GetTileRectDevice(dm, 1, rotation, 1.0f, TilePosition(1, row, col)));
        EXPECT_EQ(all, rotation % 180 ? QRect(0, 0, 800, 600) : QRect(0, 0, 600, 800));
        EXPECT_EQ(RenderCache::GetTileRectDevice(dm, 1, rotation, 1.0f, TilePosition(0, 0, 0)), all);
    }
}

TEST_F(CacheTest, QueueHoldsEightNewestFirstWithoutDuplicates)
{
    DisplayModel* dm = make(pages(10, 100, 100), QSize(2000, 2000));
    engine->setGate(false);
    cache->RequestRendering(dm, 1, TilePosition(0, 0, 0), false);
    ASSERT_TRUE(engine->waitEntered(1)); // the thread holds page 1
    for (int p = 2; p <= 10; p++)
        cache->RequestRendering(dm, p, TilePosition(0, 0, 0), false);
    EXPECT_EQ(cache->RequestCount(), 8); // page 2 was pushed out
    // Already queued with the same zoom: moved to the head, not added again.
    cache->RequestRendering(dm, 5, TilePosition(0, 0, 0), false);
    // Being rendered with the same zoom: nothing.
    cache->RequestRendering(dm, 1, TilePosition(0, 0, 0), false);
    EXPECT_EQ(cache->RequestCount(), 8);
    engine->setGate(true);
    ASSERT_TRUE(engine->waitFinished(9));
    ASSERT_TRUE(waitIdle());
    const std::vector<int> expected{1, 5, 9, 8, 7, 6, 10, 4, 3};
    EXPECT_EQ(engine->renderLog(), expected);
    // Cached now: asking again queues nothing.
    cache->RequestRendering(dm, 3, TilePosition(0, 0, 0), false);
    EXPECT_EQ(cache->RequestCount(), 0);
    EXPECT_EQ(cache->CacheCount(), 9);
}

TEST_F(CacheTest, AModelThatWaitsIsRenderedAfterTheOthersAndAHeldOneQueuesNothing)
{
    DisplayModel* view = make(pages(10, 100, 100), QSize(2000, 2000));
    DisplayModel* thumbs = addModel(QSize(2000, 2000));
    thumbs->renderWhenOthersDone = true;
    engine->setGate(false);
    cache->RequestRendering(view, 1, TilePosition(0, 0, 0), false);
    ASSERT_TRUE(engine->waitEntered(1)); // the thread holds page 1
    cache->RequestRendering(thumbs, 2, TilePosition(0, 0, 0), false);
    cache->RequestRendering(view, 3, TilePosition(0, 0, 0), false);
    cache->RequestRendering(thumbs, 4, TilePosition(0, 0, 0), false);
    cache->RequestRendering(thumbs, 5, TilePosition(0, 0, 0), false);
    // Held: nothing is queued for it until it is let go.
    view->renderingHeld = true;
    cache->RequestRendering(view, 6, TilePosition(0, 0, 0), false);
    cache->RequestRendering(view, 7);
    EXPECT_EQ(cache->RequestCount(), 4);
    view->renderingHeld = false;
    cache->RequestRendering(view, 6, TilePosition(0, 0, 0), false);
    EXPECT_EQ(cache->RequestCount(), 5);
    engine->setGate(true);
    ASSERT_TRUE(engine->waitFinished(6));
    ASSERT_TRUE(waitIdle());
    // The view's pages, newest first, then the waiting model's, newest first.
    const std::vector<int> expected{1, 6, 3, 5, 4, 2};
    EXPECT_EQ(engine->renderLog(), expected);
}

TEST_F(CacheTest, AWaitingModelsPageOnScreenGoesBeforeAPageNextToTheView)
{
    // The view shows page 1 of ten 100 x 100 pages in a 100 x 100 window; page 2 is only next
    // to it. The thumbnails show every page.
    DisplayModel* view = make(pages(10, 100, 100), QSize(100, 100));
    DisplayModel* thumbs = addModel(QSize(2000, 2000));
    thumbs->renderWhenOthersDone = true;
    int first = 0, last = 0;
    view->VisibleRange(&first, &last);
    ASSERT_EQ(1, first);
    ASSERT_EQ(1, last);
    engine->setGate(false);
    cache->RequestRendering(view, 1, TilePosition(0, 0, 0), false);
    ASSERT_TRUE(engine->waitEntered(1));
    cache->RequestRendering(thumbs, 3, TilePosition(0, 0, 0), false);
    cache->RequestRendering(view, 2, TilePosition(0, 0, 0), false);
    engine->setGate(true);
    ASSERT_TRUE(engine->waitFinished(3));
    ASSERT_TRUE(waitIdle());
    const std::vector<int> expected{1, 3, 2};
    EXPECT_EQ(engine->renderLog(), expected);
}

TEST_F(CacheTest, PaintQueuesThenDrawsTheTile)
{
    DisplayModel* dm = make(pages(1, 200, 100), QSize(400, 300));
    QImage target(400, 300, QImage::Format_RGB32);
    target.fill(Qt::white);
    PageInfo* info = dm->GetPageInfo(1);
    const QRect bound = info->pageOnScreen;
    unsigned delay;
    {
        QPainter painter(&target);
        delay = cache->Paint(&painter, bound, dm, 1, info, nullptr);
    }
    EXPECT_GE(delay, 1u); // queued, not drawn yet
    ASSERT_TRUE(engine->waitFinished(1));
    ASSERT_TRUE(waitIdle());
    bool outOfDate = true;
    {
        QPainter painter(&target);
        delay = cache->Paint(&painter, bound, dm, 1, info, &outOfDate);
    }
    EXPECT_EQ(delay, 0u);
    EXPECT_FALSE(outOfDate);
    EXPECT_EQ(target.pixel(bound.center()), engine->colour);
    EXPECT_EQ(target.pixel(bound.left() - 2, bound.top()), qRgb(255, 255, 255));
    EXPECT_GE(callbacks.back()->repaints.load(), 1);

    // Invalidated: still painted as a replacement, with the out-of-date cue, until re-rendered.
    engine->setGate(false);
    cache->Invalidate(dm, 1, QRectF(0, 0, 600, 800));
    EXPECT_FALSE(cache->Exists(dm, 1, 0, dm->GetZoomReal(), nullptr));
    EXPECT_TRUE(cache->Exists(dm, 1, 0, -99, nullptr));
    target.fill(Qt::white);
    {
        QPainter painter(&target);
        delay = cache->Paint(&painter, bound, dm, 1, info, &outOfDate);
    }
    EXPECT_TRUE(outOfDate);
    // The fresh tile is on its way: the render thread takes it and reaches the (closed) gate.
    EXPECT_TRUE(engine->waitEntered(2));
    EXPECT_EQ(target.pixel(bound.center()), engine->colour);
    engine->setGate(true);
}

TEST_F(CacheTest, FreeingRules)
{
    DisplayModel* dm = make(pages(3, 100, 100), QSize(1000, 1000));
    for (int p = 1; p <= 3; p++)
        cache->RequestRendering(dm, p, TilePosition(0, 0, 0), false);
    cache->RequestRendering(dm, 1, TilePosition(1, 0, 0), false);
    ASSERT_TRUE(engine->waitFinished(4));
    ASSERT_TRUE(waitIdle());
    ASSERT_EQ(cache->CacheCount(), 4);
    // Any tile of resolution 0 on page 1: the other resolutions go, the fresh whole page stays.
    TilePosition anyRes0(0, 0xFFFF, 0);
    cache->FreePage(dm, 1, &anyRes0);
    EXPECT_EQ(cache->CacheCount(), 3);
    EXPECT_TRUE(cache->Exists(dm, 1, 0, -99, nullptr));
    cache->FreePage(dm, 2, nullptr);
    EXPECT_EQ(cache->CacheCount(), 2);
    EXPECT_FALSE(cache->Exists(dm, 2, 0, -99, nullptr));
    cache->FreePage(dm, -1, nullptr);
    EXPECT_EQ(cache->CacheCount(), 0);
}

TEST_F(CacheTest, PagesFarFromViewAreFreed)
{
    DisplayModel* dm = make(pages(30, 100, 100), QSize(300, 300));
    cache->RequestRendering(dm, 1, TilePosition(0, 0, 0), false);
    ASSERT_TRUE(engine->waitFinished(1));
    ASSERT_TRUE(waitIdle());
    ASSERT_EQ(cache->CacheCount(), 1);
    dm->GoToPage(25, false);
    cache->FreePage(nullptr, -1, nullptr);
    EXPECT_EQ(cache->CacheCount(), 0);
}

TEST_F(CacheTest, CancelRenderingWaitsForTheCurrentRender)
{
    DisplayModel* dm = make(pages(5, 100, 100), QSize(1000, 1000));
    engine->setGate(false);
    cache->RequestRendering(dm, 1, TilePosition(0, 0, 0), false);
    ASSERT_TRUE(engine->waitEntered(1));
    cache->RequestRendering(dm, 2, TilePosition(0, 0, 0), false);
    cache->RequestRendering(dm, 3, TilePosition(0, 0, 0), false);
    ASSERT_EQ(cache->RequestCount(), 2);
    // The gate opens only once the cancel has emptied the queue: from then on a cancel that
    // waits is blocked on the render in flight, and one that does not has already returned.
    std::thread opener([&] {
        const auto bound = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (cache->RequestCount() != 0 && std::chrono::steady_clock::now() < bound)
            std::this_thread::yield();
        engine->setGate(true);
    });
    cache->CancelRendering(dm);
    // It returned only after the render in flight finished, and that render was discarded.
    EXPECT_EQ(engine->finishedCount(), 1);
    EXPECT_EQ(cache->RequestCount(), 0);
    opener.join();
    ASSERT_TRUE(waitIdle());
    EXPECT_EQ(cache->CacheCount(), 0);
    EXPECT_EQ(engine->renderLog(), std::vector<int>{1});
}

TEST_F(CacheTest, ReduceTileSize)
{
    cache->maxTileSize = QSize(199, 1000);
    EXPECT_FALSE(cache->ReduceTileSize());
    EXPECT_EQ(cache->maxTileSize, QSize(199, 1000));
    cache->maxTileSize = QSize(800, 600);
    EXPECT_TRUE(cache->ReduceTileSize());
    EXPECT_EQ(cache->maxTileSize, QSize(400, 600));
    cache->maxTileSize = QSize(600, 600);
    EXPECT_TRUE(cache->ReduceTileSize());
    EXPECT_EQ(cache->maxTileSize, QSize(600, 300));
}

TEST_F(CacheTest, EvictionKeepsSixtyFourBitmaps)
{
    DisplayModel* dm = make(pages(80, 50, 50), QSize(5000, 5000));
    for (int p = 1; p <= 80; p++)
    {
        cache->RequestRendering(dm, p, TilePosition(0, 0, 0), false);
        if (p % 8 == 0)
        {
            ASSERT_TRUE(engine->waitFinished(p));
            ASSERT_TRUE(waitIdle());
        }
    }
    EXPECT_EQ(cache->CacheCount(), 64);
}

TEST(RenderCacheScreen, NoDisplayFallsBackToThePrimaryScreen)
{
    const QByteArray display = qgetenv("DISPLAY");
    qunsetenv("DISPLAY");
    {
        RenderCache cache;
        // The offscreen screen is 800 x 600: tiles up to (height, width).
        EXPECT_EQ(cache.maxTileSize, QSize(600, 800));
        EXPECT_EQ(RenderCache::instance(), &cache);
    }
    EXPECT_EQ(RenderCache::instance(), nullptr);
    if (!display.isEmpty())
        qputenv("DISPLAY", display);
}
