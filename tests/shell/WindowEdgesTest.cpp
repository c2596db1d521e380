// The edge zones of the frameless window and the rectangles of a resize, point by point.
#include "WindowEdges.h"

#include <gtest/gtest.h>

using namespace frameless;

namespace {

// A window whose outermost pixels are x 100..899 and y 50..649.
const QPoint tl(100, 50);
const QPoint br(899, 649);

TEST(WindowEdges, ThreePixelBandsWithTheCornersWinning)
{
    struct Case
    {
        QPoint g;
        Direction dir;
    };
    const Case cases[] = {
        {{100, 50}, LEFTTOP},     {{102, 52}, LEFTTOP},       {{103, 52}, UP},         {{102, 53}, LEFT},
        {{103, 53}, NONE},        {{899, 649}, RIGHTBOTTOM},  {{897, 647}, RIGHTBOTTOM}, {{896, 647}, DOWN},
        {{100, 649}, LEFTBOTTOM}, {{102, 647}, LEFTBOTTOM},   {{899, 50}, RIGHTTOP},   {{897, 52}, RIGHTTOP},
        {{897, 53}, RIGHT},       {{896, 300}, NONE},         {{899, 300}, RIGHT},     {{100, 300}, LEFT},
        {{500, 50}, UP},          {{500, 649}, DOWN},         {{500, 646}, NONE},      {{500, 300}, NONE},
        // Outside the window nothing is an edge.
        {{99, 300}, NONE},        {{900, 300}, NONE},         {{500, 49}, NONE},       {{500, 650}, NONE},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.g.x() << "," << c.g.y());
        EXPECT_EQ(c.dir, zoneAt(tl, br, c.g));
    }
}

TEST(WindowEdges, CursorOfEachZone)
{
    EXPECT_EQ(Qt::SizeFDiagCursor, cursorFor(LEFTTOP));
    EXPECT_EQ(Qt::SizeFDiagCursor, cursorFor(RIGHTBOTTOM));
    EXPECT_EQ(Qt::SizeBDiagCursor, cursorFor(LEFTBOTTOM));
    EXPECT_EQ(Qt::SizeBDiagCursor, cursorFor(RIGHTTOP));
    EXPECT_EQ(Qt::SizeHorCursor, cursorFor(LEFT));
    EXPECT_EQ(Qt::SizeHorCursor, cursorFor(RIGHT));
    EXPECT_EQ(Qt::SizeVerCursor, cursorFor(UP));
    EXPECT_EQ(Qt::SizeVerCursor, cursorFor(DOWN));
    EXPECT_EQ(Qt::ArrowCursor, cursorFor(NONE));
}

TEST(WindowEdges, ResizedRectangles)
{
    const QSize minimum(600, 400);
    struct Case
    {
        const char* name;
        Direction dir;
        QPoint g;
        QRect expected;
    };
    const Case cases[] = {
        {"left outwards", LEFT, {40, 300}, QRect(QPoint(40, 50), br)},
        {"left inwards while wider than the minimum", LEFT, {250, 300}, QRect(QPoint(250, 50), br)},
        {"left stops at the minimum", LEFT, {299, 300}, QRect(tl, br)},
        {"right", RIGHT, {1000, 300}, QRect(tl, QPoint(999, 649))},
        {"up", UP, {500, 20}, QRect(QPoint(100, 20), br)},
        {"up stops at the minimum", UP, {500, 249}, QRect(tl, br)},
        {"down", DOWN, {500, 700}, QRect(tl, QPoint(899, 699))},
        {"left top", LEFTTOP, {80, 30}, QRect(QPoint(80, 30), br)},
        {"left top, left at its minimum", LEFTTOP, {299, 30}, QRect(QPoint(100, 30), br)},
        {"right bottom", RIGHTBOTTOM, {950, 700}, QRect(tl, QPoint(949, 699))},
        {"right top", RIGHTTOP, {950, 30}, QRect(QPoint(100, 30), QPoint(949, 649))},
        // The corners keep the window where it is once the minimum is reached, instead of
        // pushing the opposite edge away.
        {"right top, top at its minimum", RIGHTTOP, {950, 300}, QRect(tl, QPoint(949, 649))},
        {"left bottom", LEFTBOTTOM, {60, 700}, QRect(QPoint(60, 50), QPoint(899, 699))},
        {"left bottom, left at its minimum", LEFTBOTTOM, {500, 700}, QRect(tl, QPoint(899, 699))},
        {"none", NONE, {500, 300}, QRect(tl, br)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.expected, resizedRect(c.dir, tl, br, c.g, minimum));
    }
}

} // namespace
