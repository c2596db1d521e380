// Layout, zoom, navigation and coordinate conversion of the display model, against an engine
// with fixed page boxes.
#include "ViewTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

using namespace viewtest;

namespace {

class ModelTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        savedScrollWidth = scrollWidth;
        scrollWidth = 0;
    }
    void TearDown() override
    {
        model.reset();
        scrollWidth = savedScrollWidth;
    }

    // A model over n pages of w x h points, at 72 dpi so that zoom 100 is one pixel per point.
    DisplayModel* make(int n, double w, double h, DisplayMode mode, QSize viewPort, float zoom = 100)
    {
        QVector<QRectF> boxes;
        for (int i = 0; i < n; i++)
            boxes.append(QRectF(0, 0, w, h));
        engine.reset(new FakeEngine(boxes));
        cb = new RecordingCallback;
        model.reset(new DisplayModel(cb, engine.get()));
        model->SetInitialViewSettings(mode, 1, viewPort, 72);
        model->Relayout(zoom, 0);
        model->SetViewPortSize(viewPort);
        return model.get();
    }

    int savedScrollWidth = 0;
    std::unique_ptr<FakeEngine> engine;
    RecordingCallback* cb = nullptr;
    std::unique_ptr<DisplayModel> model;
};

} // namespace

TEST(DisplayModelRules, NormalizeRotation)
{
    const int cases[][2] = {{0, 0}, {90, 90}, {450, 90}, {-90, 270}, {45, 0}, {360, 0}, {-450, 270}, {180, 180}};
    for (const auto& c : cases)
        EXPECT_EQ(NormalizeRotation(c[0]), c[1]) << c[0];
}

TEST(DisplayModelRules, RowsAndColumns)
{
    EXPECT_EQ(LastPageInARowNo(3, 2, 5), 4);
    EXPECT_EQ(LastPageInARowNo(5, 2, 5), 5);
    EXPECT_EQ(LastPageInARowNo(4, 1, 5), 4);
    const int columns[] = {2, 1, 2, 2, 1, 2, 2};
    for (int m = 0; m <= 6; m++)
    {
        EXPECT_EQ(ColumnsFromDisplayMode(static_cast<DisplayMode>(m)), columns[m]) << m;
        EXPECT_EQ(IsContinuous(static_cast<DisplayMode>(m)), m >= 4) << m;
    }
}

struct LayoutCase
{
    DisplayMode mode;
    int pages;
    QSize viewPort;
    QSize canvas;
    QList<int> shown;
    QRect firstPos;  // pos of the first shown page
    QRect secondPos; // pos of the second shown page (empty when only one)
};

TEST_F(ModelTest, LayoutsTable)
{
    // Pages of 100 x 200 points at one pixel per point; margins and spacing 6.
    const LayoutCase cases[] = {
        // Continuous: pages stacked, centred in a 1000-wide canvas; canvas taller than the view.
        {DM_CONTINUOUS, 3, QSize(1000, 300), QSize(1000, 6 + 3 * 206 - 6 + 6), {1, 2, 3}, QRect(450, 6, 100, 200),
         QRect(450, 212, 100, 200)},
        // Single page: only page 1; the short canvas is centred vertically, one margin lower:
        // 6 + trunc((500 - 212) / 2 + 6).
        {DM_SINGLE_PAGE, 3, QSize(1000, 500), QSize(1000, 500), {1}, QRect(450, 156, 100, 200), QRect()},
        // Facing: row (1, 2), first page right-aligned in the left column.
        {DM_FACING, 3, QSize(1000, 500), QSize(1000, 500), {1, 2}, QRect(397, 156, 100, 200),
         QRect(503, 156, 100, 200)},
        // Continuous facing: rows (1, 2) and (3).
        {DM_CONTINUOUS_FACING, 3, QSize(1000, 300), QSize(1000, 418), {1, 2, 3}, QRect(397, 6, 100, 200),
         QRect(503, 6, 100, 200)},
        // Book view lays out like facing.
        {DM_BOOK_VIEW, 4, QSize(1000, 500), QSize(1000, 500), {1, 2}, QRect(397, 156, 100, 200),
         QRect(503, 156, 100, 200)},
    };
    for (const LayoutCase& c : cases)
    {
        SCOPED_TRACE(static_cast<int>(c.mode));
        DisplayModel* dm = make(c.pages, 100, 200, c.mode, c.viewPort);
        EXPECT_EQ(dm->GetCanvasSize(), c.canvas);
        QList<int> shown;
        for (int p = 1; p <= c.pages; p++)
            if (dm->PageShown(p))
                shown.append(p);
        EXPECT_EQ(shown, c.shown);
        EXPECT_EQ(dm->GetPageInfo(shown[0])->pos, c.firstPos);
        if (!c.secondPos.isEmpty())
        {
            EXPECT_EQ(dm->GetPageInfo(shown[1])->pos, c.secondPos);
        }
    }
}

TEST_F(ModelTest, OnePageFacingCountsThePageTwice)
{
    DisplayModel* dm = make(1, 400, 200, DM_FACING, QSize(300, 300));
    // 6 + 400 + 6 + 400 + 6: wider than the view, so the horizontal bar is reserved.
    EXPECT_EQ(dm->GetCanvasSize().width(), 818);
}

TEST_F(ModelTest, ScrollBarRoomIsReservedAndFitWidthRecomputed)
{
    scrollWidth = 12;
    DisplayModel* dm = make(2, 100, 200, DM_CONTINUOUS, QSize(212, 300), -2);
    // Fit width over 200 px would make the pages 400 high: the vertical bar takes 12 px and the
    // zoom is recomputed for the narrower view.
    EXPECT_EQ(dm->GetViewPort().width(), 200);
    EXPECT_FLOAT_EQ(dm->GetZoomReal(), (200 - 12) / 100.0f);
}

TEST_F(ModelTest, FitZooms)
{
    DisplayModel* dm = make(2, 600, 800, DM_CONTINUOUS, QSize(1000, 700));
    EXPECT_FLOAT_EQ(dm->ZoomRealFromVirtualForPage(-2, 1), 988.0f / 600);
    EXPECT_FLOAT_EQ(dm->ZoomRealFromVirtualForPage(-1, 1), 688.0f / 800);
    EXPECT_FLOAT_EQ(dm->ZoomRealFromVirtualForPage(150, 1), 1.5f);
    dm->SetDisplayMode(DM_CONTINUOUS_FACING, false);
    EXPECT_FLOAT_EQ(dm->ZoomRealFromVirtualForPage(-2, 1), 988.0f / (2 * 600 + 6));
    // No room inside the margins: zero.
    dm->SetViewPortSize(QSize(10, 10));
    EXPECT_FLOAT_EQ(dm->ZoomRealFromVirtualForPage(-1, 1), 0.0f);
    // Fit content never exceeds a real zoom of 8.
    DisplayModel* small = make(1, 10, 10, DM_CONTINUOUS, QSize(1000, 1000), -3);
    EXPECT_FLOAT_EQ(small->GetZoomReal(), 8.0f);
}

TEST_F(ModelTest, SetZoomVirtualClampsAndIgnores)
{
    DisplayModel* dm = make(2, 600, 800, DM_CONTINUOUS, QSize(1000, 700));
    dm->SetZoomVirtual(5, nullptr);
    EXPECT_FLOAT_EQ(dm->GetZoomVirtual(false), 8.33f);
    dm->SetZoomVirtual(1000, nullptr);
    EXPECT_FLOAT_EQ(dm->GetZoomVirtual(false), 800.0f);
    dm->SetZoomVirtual(0, nullptr);
    dm->SetZoomVirtual(-4, nullptr);
    EXPECT_FLOAT_EQ(dm->GetZoomVirtual(false), 800.0f);
    EXPECT_FLOAT_EQ(dm->GetZoomReal(), 8.0f);
    // Re-applying fit page scrolls to the top of the current page.
    dm->SetZoomVirtual(100, nullptr);
    dm->ScrollYTo(900);
    dm->SetZoomVirtual(-1, nullptr);
    dm->ScrollYBy(50, false);
    dm->SetZoomVirtual(-1, nullptr);
    EXPECT_EQ(dm->GetViewPort().y(), dm->GetPageInfo(dm->CurrentPageNo())->pos.top() - 6);
}

struct StepCase
{
    QSize viewPort;
    float towards;
    float expected;
};

TEST_F(ModelTest, ZoomStepsTable)
{
    // Pages 600 x 800 points at 100 %; the view decides where fit page and fit width fall.
    const StepCase cases[] = {
        {QSize(3000, 3000), 800, 125},     // both fits far above 125
        {QSize(3000, 892), 800, -1},       // fit page 110 % lies between 100 and 125
        {QSize(672, 500), 800, -2},        // fit width 110 %, fit page 61 %
        {QSize(3000, 3000), 8.33f, 75},    // zooming out, no fit in between
        {QSize(3000, 692), 8.33f, -1},     // fit page 85 %
        {QSize(522, 500), 8.33f, -2},      // fit width 85 %, fit page 61 %
        {QSize(522, 3000), 8.33f, -1},     // fit width and fit page both 85 %: fit page
        {QSize(3000, 3000), 110, 125},     // list steps are not limited by the target
        {QSize(3000, 3000), 100.05f, 100.05f},
    };
    for (const StepCase& c : cases)
    {
        SCOPED_TRACE(QString("%1x%2 -> %3").arg(c.viewPort.width()).arg(c.viewPort.height()).arg(c.towards).toStdString());
        DisplayModel* dm = make(2, 600, 800, DM_CONTINUOUS, c.viewPort);
        EXPECT_FLOAT_EQ(dm->GetNextZoomStep(c.towards), c.expected);
    }
}

TEST_F(ModelTest, GoToPageInFacingShowsTheRow)
{
    DisplayModel* dm = make(5, 100, 200, DM_FACING, QSize(1000, 500));
    cb->pageChanges.clear();
    dm->GoToPage(4, false);
    EXPECT_TRUE(dm->PageShown(3));
    EXPECT_TRUE(dm->PageShown(4));
    EXPECT_FALSE(dm->PageShown(1));
    EXPECT_EQ(dm->CurrentPageNo(), 3);
    ASSERT_FALSE(cb->pageChanges.isEmpty());
    EXPECT_EQ(cb->pageChanges.last(), 3);
    dm->GoToPage(9, false); // invalid: nothing
    EXPECT_EQ(dm->CurrentPageNo(), 3);
}

TEST_F(ModelTest, GoToPageContinuousScrollsToThePageTop)
{
    DisplayModel* dm = make(10, 100, 200, DM_CONTINUOUS, QSize(300, 300));
    dm->GoToPage(5, false);
    EXPECT_EQ(dm->GetViewPort().y(), dm->GetPageInfo(5)->pos.top() - 6);
    EXPECT_EQ(dm->CurrentPageNo(), 5);
    EXPECT_TRUE(dm->GoToNextPage());
    EXPECT_EQ(dm->CurrentPageNo(), 6);
    EXPECT_TRUE(dm->GoToLastPage());
    EXPECT_EQ(dm->CurrentPageNo(), 10);
    EXPECT_FALSE(dm->GoToNextPage());
    EXPECT_TRUE(dm->GoToFirstPage());
    EXPECT_EQ(dm->GetViewPort().y(), 0);
    EXPECT_FALSE(dm->GoToFirstPage());
}

TEST_F(ModelTest, SwitchToFacingKeepsTheRow)
{
    DisplayModel* dm = make(5, 100, 200, DM_CONTINUOUS, QSize(300, 300));
    dm->GoToPage(2, false);
    dm->SetDisplayMode(DM_FACING, false);
    EXPECT_EQ(dm->CurrentPageNo(), 3);
    EXPECT_TRUE(dm->PageShown(4));

    DisplayModel* last = make(5, 100, 200, DM_CONTINUOUS, QSize(300, 300));
    last->GoToPage(5, false);
    last->SetDisplayMode(DM_FACING, false);
    EXPECT_EQ(last->CurrentPageNo(), 5);
}

TEST_F(ModelTest, CurrentPageWhenNoneVisible)
{
    DisplayModel* dm = make(4, 100, 200, DM_CONTINUOUS, QSize(300, 300));
    dm->ScrollYTo(5000);
    EXPECT_EQ(dm->FirstVisiblePageNo(), -1);
    EXPECT_EQ(dm->CurrentPageNo(), 4);
    dm->ScrollYTo(-5000);
    EXPECT_EQ(dm->CurrentPageNo(), 1);
}

TEST_F(ModelTest, ScrollingClampsAndReportsPageChanges)
{
    DisplayModel* dm = make(10, 300, 200, DM_CONTINUOUS, QSize(200, 300));
    const QSize canvas = dm->GetCanvasSize();
    dm->ScrollXBy(-50);
    EXPECT_EQ(dm->GetViewPort().x(), 0);
    dm->ScrollXBy(10000);
    EXPECT_EQ(dm->GetViewPort().x(), canvas.width() - dm->GetViewPort().width());
    cb->pageChanges.clear();
    cb->requested.clear();
    dm->ScrollYBy(1000, false);
    EXPECT_EQ(cb->pageChanges.size(), 1);
    EXPECT_EQ(cb->pageChanges.last(), dm->CurrentPageNo());
    // Visible pages, then the neighbours, then the visible pages again last to first.
    int first, last;
    dm->VisibleRange(&first, &last);
    ASSERT_GE(cb->requested.size(), 4);
    EXPECT_EQ(cb->requested.first(), first);
    EXPECT_EQ(cb->requested.last(), first);
    EXPECT_TRUE(cb->requested.contains(first - 1));
    EXPECT_TRUE(cb->requested.contains(last + 1));
}

TEST_F(ModelTest, CoordinateRoundTripsAtEveryRotation)
{
    DisplayModel* dm = make(3, 300, 500, DM_CONTINUOUS, QSize(900, 700));
    for (int rotation : {0, 90, 180, 270})
    {
        SCOPED_TRACE(rotation);
        dm->Relayout(100, rotation);
        dm->GoToPage(2, false);
        const PageInfo* info = dm->GetPageInfo(2);
        EXPECT_EQ(info->pos.width(), rotation % 180 ? 500 : 300);
        for (QPointF pt : {QPointF(10, 20), QPointF(150.25, 470.5), QPointF(299, 1)})
        {
            const QPointF screen = dm->CvtToScreen(2, pt, true);
            // The point lands on the page as it is shown.
            EXPECT_TRUE(QRectF(info->pageOnScreen).adjusted(-1, -1, 1, 1).contains(screen));
            const QPointF back = dm->CvtFromScreen(screen, 2, true);
            EXPECT_NEAR(back.x(), pt.x(), 1e-3);
            EXPECT_NEAR(back.y(), pt.y(), 1e-3);
            EXPECT_EQ(dm->GetPageNoByPoint(screen.toPoint()), 2);
        }
        const QRectF r = dm->CvtToScreen(2, QRectF(10, 10, 100, 50), true);
        if (rotation == 180)
        {
            EXPECT_LT(r.width(), 0);
            EXPECT_LT(r.height(), 0);
        }
        const QRectF back = dm->CvtFromScreen(r, 2, true);
        EXPECT_NEAR(back.x(), 10, 1e-3);
        EXPECT_NEAR(back.width(), 100, 1e-3);
    }
}

TEST_F(ModelTest, RotateByTurnsTheLayout)
{
    DisplayModel* dm = make(2, 300, 500, DM_CONTINUOUS, QSize(900, 700));
    dm->RotateBy(450);
    EXPECT_EQ(dm->GetRotation(), 90);
    EXPECT_EQ(dm->GetPageInfo(1)->pos.size(), QSize(500, 300));
    dm->RotateBy(45); // not a quarter turn: nothing
    EXPECT_EQ(dm->GetRotation(), 90);
    dm->RotateBy(-90);
    EXPECT_EQ(dm->GetRotation(), 0);
}

TEST_F(ModelTest, PageUnderAPointAndNextToIt)
{
    DisplayModel* dm = make(3, 100, 200, DM_CONTINUOUS, QSize(300, 800));
    const QRect p1 = dm->GetPageInfo(1)->pageOnScreen;
    EXPECT_EQ(dm->GetPageNoByPoint(p1.topLeft()), 1); // edges included
    EXPECT_EQ(dm->GetPageNoByPoint(QPoint(0, 0)), -1);
    // Between pages 1 and 2: the nearest centre wins.
    EXPECT_EQ(dm->GetPageNextToPoint(QPoint(p1.center().x(), p1.bottom() + 2)), 1);
    EXPECT_EQ(dm->GetPageNextToPoint(QPoint(p1.center().x(), p1.bottom() + 5)), 2);
}

TEST_F(ModelTest, ScrollStateSurvivesAResize)
{
    DisplayModel* dm = make(10, 300, 400, DM_CONTINUOUS, QSize(500, 300));
    dm->ScrollYTo(1000);
    const ScrollState before = dm->GetScrollState();
    dm->SetViewPortSize(QSize(600, 300));
    const ScrollState after = dm->GetScrollState();
    EXPECT_EQ(after.page, before.page);
    EXPECT_NEAR(after.y, before.y, 1.0);
}

TEST_F(ModelTest, EmptyPageBoxBecomesA4)
{
    engine.reset(new FakeEngine({QRectF(0, 0, 0, 0)}));
    cb = new RecordingCallback;
    model.reset(new DisplayModel(cb, engine.get()));
    model->SetInitialViewSettings(DM_CONTINUOUS, 1, QSize(800, 600), 72);
    EXPECT_DOUBLE_EQ(model->GetPageInfo(1)->page.width(), 595.275590551181);
    EXPECT_EQ(model->GetPageInfo(0), nullptr);
    EXPECT_EQ(model->GetPageInfo(2), nullptr);
}

TEST_F(ModelTest, DestructorCleansUpThroughTheCallback)
{
    make(2, 100, 100, DM_CONTINUOUS, QSize(300, 300));
    int cleanUps = 0;
    struct Counting : RecordingCallback
    {
        int* counter;
        explicit Counting(int* c) : counter(c) {}
        void CleanUp(DisplayModel*) override { (*counter)++; }
    };
    auto* counting = new Counting(&cleanUps);
    {
        DisplayModel dm(counting, engine.get());
        dm.SetInitialViewSettings(DM_CONTINUOUS, 1, QSize(300, 300), 96);
    }
    EXPECT_EQ(cleanUps, 1);
}
