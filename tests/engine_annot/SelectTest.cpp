// Hit testing of text, rectangle and flowing selection with the joining of near pieces and
// the cap on their number, and copying text (Chinese included).
#include "AnnotTestSupport.h"

#include <cstring>

using namespace fixture;

namespace {

// Helvetica at 10 points: "Hello World" runs from x 20 to about 71.7 on the baseline y 50 of
// the page (PDF 150); "Second line" from 20 on the baseline y 70.
std::string twoLines()
{
    return textPage({{20, 150, 10, "Hello World"}, {20, 130, 10, "Second line"}});
}

std::vector<vq_rect> select(vq_document* d, vq_page* pg, vq_select_way way, vq_rect r)
{
    std::vector<vq_rect> out(512);
    int n = vq_page_select_content(d, pg, way, r, out.data());
    out.resize(n > 0 ? n : 0);
    return out;
}

std::string copy(vq_document* d, vq_page* pg, vq_rect r, float zoom = 1, float rotate = 0)
{
    char* t = vq_page_copy_selection(d, pg, &r, zoom, rotate);
    std::string s = t ? t : "<null>";
    free(t);
    return s;
}

} // namespace

TEST(EngineSelect, TextHitTestByTool)
{
    DocPtr d = openReady(twoLines());
    ASSERT_TRUE(d);
    vq_page* pg = vq_page_index(d.get(), 0);
    struct Case
    {
        float x, y;
        vq_select_state tool;
        vq_hit_type want;
    } cases[] = {
        {22, 47, VQ_TEXT_SELECT, VQ_HIT_TEXT},     // inside "H"; works before the page was ever drawn
        {60, 67, VQ_TEXT_SELECT, VQ_HIT_TEXT},     // second line
        {150, 47, VQ_TEXT_SELECT, VQ_HIT_NOTHING}, // right of the text
        {44.2f, 47, VQ_TEXT_SELECT, VQ_HIT_NOTHING}, // the space between the words
        {22, 47, VQ_HAND, VQ_HIT_NOTHING},         // the hand tool never finds text
        {22, 47, VQ_ANNOT_SELECT, VQ_HIT_NOTHING}, // nothing is tested
    };
    for (const Case& c : cases)
        EXPECT_EQ(vq_page_onmouse(d.get(), pg, vq_point{c.x, c.y}, VQ_MOUSE_MOVE, c.tool), c.want)
            << "at " << c.x << "," << c.y << " tool " << c.tool;
}

TEST(EngineSelect, RectangleSelectionJoinsPiecesCloserThanFivePoints)
{
    // AB is 13.34 wide at 10 points; CD follows after a gap.
    struct Case
    {
        float gap;
        int rects;
    } cases[] = {{3, 1}, {4.9f, 1}, {8, 2}, {20, 2}};
    for (const Case& c : cases)
    {
        DocPtr d = openReady(textPage({{20, 150, 10, "AB"}, {20 + 13.34f + c.gap, 150, 10, "CD"}}));
        ASSERT_TRUE(d);
        vq_page* pg = vq_page_index(d.get(), 0);
        std::vector<vq_rect> r = select(d.get(), pg, VQ_OUT_SELECT, vq_rect{0, 0, 300, 200});
        EXPECT_EQ((int)r.size(), c.rects) << "gap " << c.gap;
        if (!r.empty())
        {
            EXPECT_TRUE(near(r.front().x0, 20, 0.5f));
            EXPECT_GT(r.back().x1, 20 + 13.34f + c.gap + 10);
        }
    }
}

TEST(EngineSelect, RectangleSelectionOfWordsAndEdges)
{
    DocPtr d = openReady(twoLines());
    vq_page* pg = vq_page_index(d.get(), 0);
    // Only the first line: the space between the words is narrower than five points.
    std::vector<vq_rect> r = select(d.get(), pg, VQ_OUT_SELECT, vq_rect{0, 45, 300, 48});
    ASSERT_EQ(r.size(), 1u);
    EXPECT_TRUE(near(r[0].x0, 20, 0.5f));
    EXPECT_TRUE(near(r[0].x1, 71.67f, 0.5f));
    EXPECT_LT(r[0].y0, 45);
    EXPECT_GT(r[0].y1, 48);
    // Both lines.
    EXPECT_EQ(select(d.get(), pg, VQ_OUT_SELECT, vq_rect{0, 0, 300, 200}).size(), 2u);
    // A rectangle whose x0 exceeds its x1 selects nothing; an empty area nothing either.
    EXPECT_EQ(select(d.get(), pg, VQ_OUT_SELECT, vq_rect{200, 0, 0, 200}).size(), 0u);
    EXPECT_EQ(select(d.get(), pg, VQ_OUT_SELECT, vq_rect{100, 100, 120, 120}).size(), 0u);
}

TEST(EngineSelect, MixedSizesOnOneLineGiveSeparateRectangles)
{
    // Same baseline, different sizes: the character tops differ.
    DocPtr d = openReady(textPage({{20, 150, 10, "AB"}, {33.5f, 150, 20, "CD"}}));
    vq_page* pg = vq_page_index(d.get(), 0);
    EXPECT_EQ(select(d.get(), pg, VQ_OUT_SELECT, vq_rect{0, 0, 300, 200}).size(), 2u);
}

TEST(EngineSelect, SelectionIsCappedAt512Rectangles)
{
    // 30 rows of 20 letters, each 12 points apart (gaps wider than five points): 600 pieces.
    std::vector<TextRun> runs;
    for (int row = 0; row < 30; row++)
        for (int col = 0; col < 20; col++)
            runs.push_back({10.0f + 12 * col, 390.0f - 12 * row, 4, "A"});
    DocPtr d = openReady(textPage(runs, "[0 0 300 400]"));
    vq_page* pg = vq_page_index(d.get(), 0);
    std::vector<vq_rect> out(600);
    EXPECT_EQ(vq_page_select_content(d.get(), pg, VQ_OUT_SELECT, vq_rect{0, 0, 300, 400}, out.data()), 512);
    EXPECT_EQ(vq_page_select_content(d.get(), pg, VQ_IN_SELECT, vq_rect{0, 0, 300, 400}, out.data()), 512);
}

TEST(EngineSelect, FlowingSelectionRunsFromStartToEnd)
{
    DocPtr d = openReady(twoLines());
    vq_page* pg = vq_page_index(d.get(), 0);
    // Down the page: from inside "Hello" (x 40) to inside "Second" (x 30).
    std::vector<vq_rect> down = select(d.get(), pg, VQ_IN_SELECT, vq_rect{40, 47, 30, 67});
    ASSERT_EQ(down.size(), 2u);
    EXPECT_GT(down[0].x0, 35);
    EXPECT_LT(down[0].x0, 42);
    EXPECT_TRUE(near(down[0].x1, 71.67f, 0.5f));
    EXPECT_TRUE(near(down[1].x0, 20, 0.5f));
    EXPECT_LT(down[1].x1, 36);
    EXPECT_GT(down[1].x1, 28);

    // One line: the characters between the two points whichever comes first.
    std::vector<vq_rect> a = select(d.get(), pg, VQ_IN_SELECT, vq_rect{30, 47, 60, 47});
    std::vector<vq_rect> b = select(d.get(), pg, VQ_IN_SELECT, vq_rect{60, 47, 30, 47});
    ASSERT_EQ(a.size(), 1u);
    ASSERT_EQ(b.size(), 1u);
    EXPECT_EQ(std::memcmp(&a[0], &b[0], sizeof a[0]), 0);
    EXPECT_LT(a[0].x0, 30);
    EXPECT_GT(a[0].x1, 60);

    // Up the page: start below the end.
    std::vector<vq_rect> up = select(d.get(), pg, VQ_IN_SELECT, vq_rect{30, 67, 40, 47});
    ASSERT_EQ(up.size(), 2u);
    EXPECT_GT(up[0].x0, 40);  // end line keeps characters right of the end point
    EXPECT_LT(up[1].x1, 34);  // start line keeps characters that begin left of the start point
    EXPECT_TRUE(near(up[1].x0, 20, 0.5f));
}

TEST(EngineSelect, CopyReturnsTheTextInTheRectangle)
{
    DocPtr d = openReady(twoLines());
    vq_page* pg = vq_page_index(d.get(), 0);
    EXPECT_EQ(copy(d.get(), pg, vq_rect{0, 45, 300, 48}), "Hello World");
    EXPECT_EQ(copy(d.get(), pg, vq_rect{0, 0, 300, 200}), "Hello World\nSecond line");
    EXPECT_EQ(copy(d.get(), pg, vq_rect{200, 0, 0, 200}), "");
    // In view space at zoom 2: converted to page space in place.
    vq_rect view = {0, 90, 600, 96};
    char* t = vq_page_copy_selection(d.get(), pg, &view, 2, 0);
    ASSERT_NE(t, nullptr);
    EXPECT_STREQ(t, "Hello World");
    free(t);
    EXPECT_TRUE(near(view.y0, 45) && near(view.y1, 48) && near(view.x1, 300));
    // Rotated view: the same page rectangle, turned by 90 degrees.
    vq_rect page = {0, 45, 300, 48};
    vq_transform_rect(&page, 1.5f, 90);
    EXPECT_EQ(copy(d.get(), pg, page, 1.5f, 90), "Hello World");
}

TEST(EngineSelect, ChineseTextIsCopiedAsUtf8)
{
    DocPtr d = openReady(chineseDocument());
    ASSERT_TRUE(d);
    vq_page* pg = vq_page_index(d.get(), 0);
    EXPECT_EQ(pageText(d.get(), pg), "\xE4\xB8\xAD\xE6\x96\x87"); // U+4E2D U+6587
    EXPECT_EQ(select(d.get(), pg, VQ_OUT_SELECT, vq_rect{0, 0, 200, 100}).size(), 1u);
    EXPECT_EQ(vq_page_onmouse(d.get(), pg, vq_point{20, 45}, VQ_MOUSE_MOVE, VQ_TEXT_SELECT), VQ_HIT_TEXT);
}

TEST(EngineSelect, NullDocumentPageOrBufferGiveCodes)
{
    DocPtr d = openReady(twoLines());
    vq_page* pg = vq_page_index(d.get(), 0);
    DocPtr other = openReady(twoLines());
    vq_page* foreign = vq_page_index(other.get(), 0);
    std::vector<vq_rect> out(512);
    vq_rect all = {0, 0, 300, 200};
    EXPECT_EQ(vq_page_select_content(nullptr, pg, VQ_OUT_SELECT, all, out.data()), -1);
    EXPECT_EQ(vq_page_select_content(d.get(), nullptr, VQ_OUT_SELECT, all, out.data()), -1);
    EXPECT_EQ(vq_page_select_content(d.get(), foreign, VQ_OUT_SELECT, all, out.data()), -1);
    EXPECT_EQ(vq_page_select_content(d.get(), pg, VQ_OUT_SELECT, all, nullptr), -1);
    EXPECT_EQ(vq_page_copy_selection(nullptr, pg, &all, 1, 0), nullptr);
    EXPECT_EQ(vq_page_copy_selection(d.get(), pg, nullptr, 1, 0), nullptr);
    EXPECT_EQ(vq_page_copy_selection(d.get(), pg, &all, 0, 0), nullptr);
    EXPECT_EQ(vq_page_onmouse(nullptr, pg, vq_point{1, 1}, VQ_MOUSE_DOWN, VQ_HAND), VQ_HIT_NOTHING);
    EXPECT_EQ(vq_page_onmouse(d.get(), foreign, vq_point{22, 47}, VQ_MOUSE_MOVE, VQ_TEXT_SELECT), VQ_HIT_NOTHING);
}
