// Pure geometry of the list kit, checked by tables.
#include "CListControlRoll.h"
#include "CPageWidget.h"
#include "PicturePreviewPanel.h"
#include "TableView.h"

#include <gtest/gtest.h>

namespace {

TEST(ListGeometry, ColumnWidths)
{
    struct Case {
        int width;
        QList<QPair<int, sectionStateView>> rules;
        QMap<int, int> widths;
    };
    auto rule = [](bool fixed, int v) {
        sectionStateView r;
        r.fixed = fixed;
        r.v = v;
        return r;
    };
    const Case cases[] = {
        // W = 300, A = 280: 20, int(93.33) = 93, then the remainder 300 - 113.
        {302, {{0, rule(true, 20)}, {1, rule(false, 1)}, {2, rule(false, 2)}}, {{0, 20}, {1, 93}, {2, 187}}},
        // The last rule takes the remainder even when marked fixed.
        {103, {{0, rule(false, 1)}, {1, rule(false, 1)}, {2, rule(true, 50)}}, {{0, 25}, {1, 25}, {2, 51}}},
        // The running total is truncated after adding the unrounded share.
        {102, {{0, rule(false, 1)}, {1, rule(false, 1)}, {2, rule(false, 1)}}, {{0, 33}, {1, 33}, {2, 34}}},
        // Weights that sum to zero share nothing; no division by zero.
        {202, {{0, rule(true, 20)}, {1, rule(false, 0)}, {2, rule(false, 0)}}, {{0, 20}, {1, 0}, {2, 180}}},
        // Rules keep column order whatever their insertion order; columns without a rule are absent.
        {202, {{4, rule(false, 1)}, {1, rule(true, 40)}}, {{1, 40}, {4, 160}}},
        // A view narrower than its fixed columns gives no negative width.
        {12, {{0, rule(true, 20)}, {1, rule(false, 1)}, {2, rule(true, 20)}}, {{0, 20}, {1, 0}, {2, 20}}},
    };
    for (const Case& c : cases) {
        QMap<int, sectionStateView> rules;
        for (const auto& r : c.rules)
            rules.insert(r.first, r.second);
        EXPECT_EQ(TableView::sectionWidths(c.width, rules), c.widths) << "width " << c.width;
    }
}

TEST(ListGeometry, ModelPaging)
{
    struct Case {
        int rows, pageRows, page, visible, pages;
    };
    const Case cases[] = {
        {25, 10, 0, 10, 3}, {25, 10, 2, 5, 3}, {25, 10, 3, 0, 3}, {20, 10, 1, 10, 2},
        {0, 10, 0, 0, 0},   {7, 0, 0, 0, 0},   {7, -3, 0, 0, 0},  {1, 13, 0, 1, 1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(StandardItemModel::visibleRows(c.rows, c.pageRows, c.page), c.visible)
            << c.rows << "/" << c.pageRows << " page " << c.page;
        EXPECT_EQ(StandardItemModel::pagesFor(c.rows, c.pageRows), c.pages) << c.rows << "/" << c.pageRows;
    }
}

TEST(ListGeometry, PagingJumpWindow)
{
    struct Case {
        int count, a, first, last;
    };
    const Case cases[] = {
        {20, 7, 2, 10},  {20, 20, 11, 19}, {20, 18, 11, 19}, {20, 3, 0, 8},  {20, 4, 0, 8},
        {20, 5, 0, 8},   {20, 16, 11, 19}, {20, 17, 11, 19}, {12, 12, 3, 11}, {12, 6, 1, 9},
        {10, 5, 0, 8},   {10, 10, 1, 9},   {9, 9, 0, 8},     {5, 2, 0, 4},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CPageWidget::jumpWindow(c.count, c.a), qMakePair(c.first, c.last)) << c.count << " jump " << c.a;
}

TEST(ListGeometry, PagingEndWindows)
{
    struct Case {
        int count, show, firstA, firstB, lastA, lastB;
    };
    const Case cases[] = {
        {12, 9, 0, 8, 3, 11},
        {5, 9, 0, 4, 0, 4},  // fewer pages than the window: only pages that exist
        {5, 5, 0, 4, 0, 4},
        {1, 9, 0, 0, 0, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CPageWidget::firstWindow(c.count, c.show), qMakePair(c.firstA, c.firstB)) << c.count;
        EXPECT_EQ(CPageWidget::lastWindow(c.count, c.show), qMakePair(c.lastA, c.lastB)) << c.count;
    }
}

TEST(ListGeometry, PagesOfListHeldInMemory)
{
    const int cases[][3] = {{0, 10, 0}, {3, 10, 1}, {10, 10, 1}, {11, 10, 2}, {95, 10, 10}, {4, 0, 1}, {0, 0, 0}};
    for (const auto& c : cases)
        EXPECT_EQ(CPageWidget::pagesForList(c[0], c[1]), c[2]) << c[0] << "/" << c[1];
}

TEST(ListGeometry, ButtonCellRectangles)
{
    // Cell x 10..209 (200 px), y 5..34, two buttons of 100 px each.
    const QRect cell(10, 5, 200, 30);
    EXPECT_EQ(TableWidgetItemDelegate::buttonRect(cell, 2, 0), QRectF(15, 7, 90, 29));
    EXPECT_EQ(TableWidgetItemDelegate::buttonRect(cell, 2, 1), QRectF(115, 7, 90, 29));
    // Three buttons over 200 px: edges at int(10 + i * 66.67).
    EXPECT_EQ(TableWidgetItemDelegate::buttonRect(cell, 3, 1), QRectF(81, 7, 57, 29));

    const char* captions[][3] = {{"编辑1", "编辑", "1"}, {"删除0", "删除", "0"}, {"查看", "查看", "1"}};
    for (const auto& c : captions) {
        EXPECT_EQ(TableWidgetItemDelegate::buttonText(QString::fromUtf8(c[0])), QString::fromUtf8(c[1]));
        EXPECT_EQ(TableWidgetItemDelegate::buttonEnabled(QString::fromUtf8(c[0])), c[2][0] == '1');
    }
    EXPECT_EQ(TableWidgetItemDelegate::checkPicturePos(QRect(0, 30, 40, 30), QSize(18, 18)), QPoint(11, 36));
}

TEST(ListGeometry, EmptyTablePlacement)
{
    EXPECT_EQ(TableView::emptyPicturePos(500, QSize(120, 96)), QPoint(190, 100));
    EXPECT_EQ(TableView::emptyTextRect(500, QSize(120, 96)), QRect(QPoint(0, 196), QPoint(499, 231)));
}

TEST(ListGeometry, StripArrows)
{
    EXPECT_FALSE(CListControlRoll::arrowsShown(0));
    EXPECT_FALSE(CListControlRoll::arrowsShown(1));
    EXPECT_TRUE(CListControlRoll::arrowsShown(2));
}

TEST(ListGeometry, CropResizeGeometry)
{
    using Z = CutShape::Zones;
    auto zones = [](bool l, bool r, bool t, bool b) {
        Z z;
        z.left = l;
        z.right = r;
        z.top = t;
        z.bottom = b;
        return z;
    };
    const QRect start(QPoint(20, 20), QPoint(81, 81));  // 62 x 62
    struct Case {
        const char* name;
        Z zones;
        QPoint delta;
        QRect result;
        bool ignore;
    };
    const Case cases[] = {
        // An edge drag changes both sides evenly about the centre.
        {"left grows", zones(true, false, false, false), {-6, 3}, QRect(QPoint(14, 17), QPoint(81, 84)), false},
        {"left odd", zones(true, false, false, false), {-5, 0}, QRect(QPoint(15, 18), QPoint(81, 84)), false},
        {"right shrinks", zones(false, true, false, false), {-5, 9}, QRect(QPoint(20, 22), QPoint(76, 78)), false},
        {"top grows", zones(false, false, true, false), {0, -4}, QRect(QPoint(18, 16), QPoint(83, 81)), false},
        {"bottom grows", zones(false, false, false, true), {1, 7}, QRect(QPoint(17, 20), QPoint(85, 88)), false},
        // Corners follow only their own diagonal.
        {"top-left", zones(true, false, true, false), {-3, -8}, QRect(QPoint(12, 12), QPoint(81, 81)), false},
        {"top-left off-diagonal", zones(true, false, true, false), {-3, 8}, start, false},
        {"bottom-right shrink", zones(false, true, false, true), {-10, -6}, QRect(QPoint(20, 20), QPoint(71, 71)), false},
        {"bottom-right off-diagonal", zones(false, true, false, true), {-10, 6}, start, false},
        {"bottom-right vertical only", zones(false, true, false, true), {0, 6}, start, true},
        {"top-right", zones(false, true, true, false), {4, -2}, QRect(QPoint(20, 16), QPoint(85, 81)), false},
        {"bottom-left", zones(true, false, false, true), {-2, 5}, QRect(QPoint(15, 20), QPoint(81, 86)), false},
        {"bottom-left same sign", zones(true, false, false, true), {2, 5}, start, false},
        {"no zone", zones(false, false, false, false), {5, 5}, start, true},
    };
    for (const Case& c : cases) {
        bool ignore = false;
        EXPECT_EQ(CutShape::resizeGeometry(start, c.delta, c.zones, ignore), c.result) << c.name;
        EXPECT_EQ(ignore, c.ignore) << c.name;
    }
}

TEST(ListGeometry, CropDragClamping)
{
    struct Case {
        QPoint wanted;
        QSize shape, parent;
        QPoint result;
    };
    const Case cases[] = {
        {{70, 10}, {62, 62}, {123, 123}, {61, 10}},  // stops against the right edge
        {{-5, -9}, {62, 62}, {123, 123}, {0, 0}},
        {{30, 80}, {62, 62}, {123, 123}, {30, 61}},
        {{10, 10}, {62, 62}, {123, 123}, {10, 10}},
        {{5, 5}, {123, 123}, {123, 123}, {0, 0}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CutShape::clampDrag(c.wanted, c.shape, c.parent), c.result) << c.wanted.x() << "," << c.wanted.y();
}

TEST(ListGeometry, CropEdgeZonesAndCursor)
{
    const QSize s(62, 62);
    struct Case {
        QPoint pos;
        Qt::CursorShape cursor;
    };
    const Case cases[] = {
        {{0, 0}, Qt::SizeFDiagCursor},   {{61, 61}, Qt::SizeFDiagCursor}, {{61, 2}, Qt::SizeBDiagCursor},
        {{3, 58}, Qt::SizeBDiagCursor},  {{4, 30}, Qt::SizeHorCursor},    {{57, 30}, Qt::SizeHorCursor},
        {{30, 65}, Qt::SizeVerCursor},   {{30, 30}, Qt::SizeAllCursor},   {{5, 30}, Qt::SizeAllCursor},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CutShape::cursorFor(CutShape::zonesAt(c.pos, s)), c.cursor) << c.pos.x() << "," << c.pos.y();
}

}  // namespace
