// The minimal page view over the real engine: a rendered page shows its ink; views open and
// close repeatedly; scroll bars, wheel, resize and timed repaints follow the model.
#include "PdfFixture.h"
#include "ViewTestSupport.h"

#include <QApplication>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include <memory>

using namespace viewtest;

namespace {

// Two A4-ish pages; page 1 has a black square at (100, 100)-(300, 300) in PDF space.
std::string inkDocument()
{
    fixture::PageSpec p1{"[0 0 400 500]", "", "0 0 0 rg 100 100 200 200 re f\n"};
    fixture::PageSpec p2{"[0 0 400 500]", "", "0 0 1 rg 50 50 20 20 re f\n"};
    return fixture::simpleDocument({p1, p2});
}

struct ViewHarness
{
    explicit ViewHarness(const QString& path, RenderCache* cache, QSize size = QSize(600, 800))
    {
        engine.reset(new PdfEngine());
        loaded = engine->Load(path, false, nullptr);
        if (loaded != 0)
            return;
        view.reset(new BasicPdfView(nullptr));
        DisplayModel* dm = new DisplayModel(new ViewCallback(view.get()), engine.get());
        dm->SetInitialViewSettings(DM_CONTINUOUS, 1, QSize(1440, 809), 72);
        dm->Relayout(100, 0);
        view->setDisplayModel(dm, cache);
        view->resize(size);
        view->show();
    }
    ~ViewHarness()
    {
        view.reset(); // the model goes with the view, before the document
        engine.reset();
    }

    // Paints until the drawing area shows no "rendering" state, with a deadline.
    QImage settle()
    {
        QImage shot;
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < 10000)
        {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
            shot = view->drawingArea()->grab().toImage();
            PageInfo* info = view->AsFixed()->GetPageInfo(1);
            if (info && info->visibleRatio > 0 && view->AsRenderCache()->Exists(view->AsFixed(), 1, 0, view->AsFixed()->GetZoomReal(), nullptr))
            {
                QCoreApplication::processEvents();
                return view->drawingArea()->grab().toImage();
            }
        }
        return shot;
    }

    std::unique_ptr<PdfEngine> engine;
    std::unique_ptr<BasicPdfView> view;
    int loaded = -1;
};

class PageViewTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        path = dir.filePath("ink.pdf");
        fixture::writeFile(path.toStdString(), inkDocument());
        cache.reset(new RenderCache(QSize(1080, 1920)));
    }
    void TearDown() override { cache.reset(); }

    QTemporaryDir dir;
    QString path;
    std::unique_ptr<RenderCache> cache;
};

} // namespace

TEST_F(PageViewTest, ShowsTheRenderedPage)
{
    ViewHarness h(path, cache.get());
    ASSERT_EQ(h.loaded, 0);
    const QImage shot = h.settle();
    DisplayModel* dm = h.view->AsFixed();
    const QRect page = dm->GetPageInfo(1)->pageOnScreen;
    ASSERT_FALSE(page.isEmpty());
    // PDF (200, 200) is the middle of the square: 500 - 200 = 300 from the top at one pixel per point.
    const QColor ink = shot.pixelColor(page.left() + 200, page.top() + 300);
    EXPECT_LT(ink.lightness(), 40);
    const QColor paper = shot.pixelColor(page.left() + 20, page.top() + 20);
    EXPECT_GT(paper.lightness(), 240);
    // Around the page: the view's background.
    EXPECT_EQ(shot.pixelColor(2, 2), QColor("#F2F7F5"));
}

TEST_F(PageViewTest, ScrollBarsWheelAndResizeDriveTheModel)
{
    ViewHarness h(path, cache.get(), QSize(300, 400));
    ASSERT_EQ(h.loaded, 0);
    QCoreApplication::processEvents();
    DisplayModel* dm = h.view->AsFixed();
    ASSERT_FALSE(h.view->verticalBar()->isHidden());
    EXPECT_EQ(h.view->verticalBar()->maximum(), dm->GetCanvasSize().height() - dm->GetViewPort().height());

    const int before = h.view->verticalBar()->value();
    QWheelEvent wheel(QPointF(10, 10), QPointF(10, 10), QPoint(), QPoint(0, -120), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(h.view.get(), &wheel);
    EXPECT_EQ(h.view->verticalBar()->value(), before + static_cast<int>(20 * screenZoom));
    EXPECT_EQ(dm->GetViewPort().y(), h.view->verticalBar()->value());

    // Too narrow: ignored; 100 wide: reaches the model.
    h.view->resize(80, 600);
    QCoreApplication::processEvents();
    EXPECT_NE(dm->GetViewPort().height() + (h.view->horizontalBar()->isHidden() ? 0 : scrollWidth), 600);
    h.view->resize(100, 600);
    QCoreApplication::processEvents();
    EXPECT_EQ(dm->GetCanvasSize().height() >= 600, true);
}

TEST_F(PageViewTest, OpenAndCloseViewsRepeatedly)
{
    for (int i = 0; i < 12; i++)
    {
        ViewHarness h(path, cache.get(), QSize(400 + i * 10, 500));
        ASSERT_EQ(h.loaded, 0);
        if (i % 3 == 0)
            h.settle();
        else
            QCoreApplication::processEvents();
        h.view->AsFixed()->ScrollYBy(200, false);
        QCoreApplication::processEvents();
    }
    // Everything of the closed views is gone from the cache.
    EXPECT_EQ(cache->CacheCount(), 0);
    EXPECT_EQ(cache->RequestCount(), 0);
}

TEST_F(PageViewTest, TimedRepaintStartsOneTimer)
{
    BasicPdfView view(nullptr);
    view.RepaintAsync(50);
    view.RepaintAsync(50);
    // No model: painting does nothing, and closing without one is fine.
    EXPECT_EQ(view.AsFixed(), nullptr);
    EXPECT_EQ(view.AsRenderCache(), nullptr);
}
