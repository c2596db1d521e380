// Markup and ink annotations: creating, moving, recolouring and deleting them, their
// quadrilaterals and strokes through page and PDF space, hit testing with the ink tolerance,
// and the document focus.
#include "AnnotTestSupport.h"

using namespace fixture;

namespace {

std::string letterPage(const std::string& extra = std::string())
{
    PageSpec p;
    p.mediabox = "[0 0 612 792]";
    p.extra = extra;
    return simpleDocument({p});
}

int annotCount(vq_document* d, vq_page* pg)
{
    int n = 0;
    for (vq_annot* a = vq_annot_first(d, pg); a; a = vq_annot_next(d, a))
        n++;
    return n;
}

void expectRect(vq_rect got, vq_rect want, float eps = 0.01f)
{
    EXPECT_TRUE(near(got.x0, want.x0, eps) && near(got.y0, want.y0, eps) && near(got.x1, want.x1, eps) &&
                near(got.y1, want.y1, eps))
        << got.x0 << "," << got.y0 << "," << got.x1 << "," << got.y1 << " want " << want.x0 << "," << want.y0 << ","
        << want.x1 << "," << want.y1;
}

} // namespace

TEST(EngineAnnot, MarkupQuadrilateralsRoundTripOnPlainAndTurnedPages)
{
    const vq_annot_type types[] = {VQ_ANNOT_HIGHLIGHT, VQ_ANNOT_UNDERLINE, VQ_ANNOT_STRIKEOUT};
    const char* pages[] = {"", "/Rotate 90", "/Rotate 270 /CropBox [10 20 500 700]"};
    vq_rect rects[2] = {{10, 20, 110, 40}, {30, 60, 90, 75}};
    for (vq_annot_type type : types)
        for (const char* extra : pages)
        {
            SCOPED_TRACE(std::string("type ") + std::to_string(type) + " page " + extra);
            DocPtr d = openReady(letterPage(extra));
            vq_page* pg = vq_page_index(d.get(), 0);
            vq_annot* a = vq_page_add_annot(d.get(), pg, type);
            ASSERT_NE(a, nullptr);
            EXPECT_EQ(vq_annot_get_type(d.get(), a), type);
            EXPECT_EQ(vq_annot_set_quadpoints(d.get(), a, rects, 2), VQ_OK);
            EXPECT_EQ(vq_annot_quadpoint_count(d.get(), a), 2);
            for (int i = 0; i < 2; i++)
            {
                vq_rect back{};
                ASSERT_EQ(vq_annot_get_quadpoint(d.get(), a, i, &back), VQ_OK);
                expectRect(back, rects[i]);
            }
            vq_rect none{};
            EXPECT_EQ(vq_annot_get_quadpoint(d.get(), a, 2, &none), VQ_FAIL);
            EXPECT_EQ(vq_annot_set_quadpoints(d.get(), a, rects, 0), VQ_FAIL);
            EXPECT_EQ(vq_annot_quadpoint_count(d.get(), a), 2) << "n = 0 changes nothing";
            // Hit test inside a quadrilateral, outside both.
            EXPECT_EQ(vq_page_onmouse(d.get(), pg, vq_point{50, 30}, VQ_MOUSE_MOVE, VQ_HAND), VQ_HIT_ANNOT_NOT_WIDGET);
            EXPECT_EQ(vq_page_onmouse(d.get(), pg, vq_point{200, 300}, VQ_MOUSE_MOVE, VQ_HAND), VQ_HIT_NOTHING);
        }
}

TEST(EngineAnnot, QuadPointsAreStoredInPdfSpace)
{
    ScratchDir dir;
    DocPtr d = openReady(letterPage());
    vq_page* pg = vq_page_index(d.get(), 0);
    vq_annot* a = vq_page_add_annot(d.get(), pg, VQ_ANNOT_HIGHLIGHT);
    vq_rect r = {10, 20, 110, 40};
    ASSERT_EQ(vq_annot_set_quadpoints(d.get(), a, &r, 1), VQ_OK);
    const std::string path = dir.file("hl.pdf");
    ASSERT_EQ(saveAs(d.get(), path), VQ_OK);
    EXPECT_TRUE(qpdfAccepts(path));
    const std::string text = qdfText(path);
    EXPECT_NE(text.find("/QuadPoints [\n    10\n    772\n    110\n    772\n    10\n    752\n    110\n    752\n  ]"),
              std::string::npos)
        << text.substr(0, 3000);
    EXPECT_NE(text.find("/AP"), std::string::npos) << "an appearance was written";
}

TEST(EngineAnnot, CreateMoveRecolourDeleteSurviveSaveAndReopen)
{
    ScratchDir dir;
    const std::string path = dir.file("annots.pdf");
    writeFile(path, letterPage());
    DocPtr d = openPath(path);
    vq_document_cut_page(d.get());
    vq_page* pg = vq_page_index(d.get(), 0);

    vq_annot* hl = vq_page_add_annot(d.get(), pg, VQ_ANNOT_HIGHLIGHT);
    vq_annot* ul = vq_page_add_annot(d.get(), pg, VQ_ANNOT_UNDERLINE);
    vq_rect q = {100, 100, 200, 120};
    ASSERT_EQ(vq_annot_set_quadpoints(d.get(), hl, &q, 1), VQ_OK);
    ASSERT_EQ(vq_annot_set_quadpoints(d.get(), ul, &q, 1), VQ_OK);
    float blue[3] = {0, 0, 1};
    EXPECT_EQ(vq_annot_set_color(d.get(), hl, blue), VQ_OK);
    EXPECT_EQ(vq_annot_set_opacity(d.get(), hl, 0.5f), VQ_OK);
    // A markup annotation's bounds follow its quadrilaterals; a square's follow its rectangle.
    vq_annot* sq = vq_page_add_annot(d.get(), pg, VQ_ANNOT_SQUARE);
    EXPECT_EQ(vq_annot_set_rect(d.get(), sq, vq_rect{300, 300, 400, 330}), VQ_OK);
    expectRect(vq_annot_get_rect(d.get(), sq), vq_rect{300, 300, 400, 330}, 1.5f);
    EXPECT_EQ(vq_annot_set_postion(d.get(), sq, vq_point{310, 320}), VQ_OK);
    expectRect(vq_annot_get_rect(d.get(), sq), vq_rect{310, 320, 410, 350}, 1.5f);
    EXPECT_EQ(annotCount(d.get(), pg), 3);
    EXPECT_EQ(vq_annot_delete(d.get(), ul), VQ_OK);
    EXPECT_EQ(vq_annot_delete(d.get(), sq), VQ_OK);
    EXPECT_EQ(annotCount(d.get(), pg), 1);
    EXPECT_EQ(vq_annot_delete(d.get(), ul), VQ_FAIL) << "a deleted handle is refused";

    ASSERT_EQ(vq_document_save(d.get()), VQ_OK);
    EXPECT_TRUE(qpdfAccepts(path));
    DocPtr again = openReady(readFile(path));
    ASSERT_TRUE(again);
    vq_page* pg2 = vq_page_index(again.get(), 0);
    ASSERT_EQ(annotCount(again.get(), pg2), 1);
    vq_annot* a = vq_annot_first(again.get(), pg2);
    EXPECT_EQ(vq_annot_get_type(again.get(), a), VQ_ANNOT_HIGHLIGHT);
    float c[3] = {-1, -1, -1};
    EXPECT_EQ(vq_annot_get_color(again.get(), a, c), 3);
    EXPECT_TRUE(near(c[0], 0) && near(c[1], 0) && near(c[2], 1));
    EXPECT_TRUE(near(vq_annot_get_opacity(again.get(), a), 0.5f));
    vq_rect back{};
    ASSERT_EQ(vq_annot_get_quadpoint(again.get(), a, 0, &back), VQ_OK);
    expectRect(back, q);
}

TEST(EngineAnnot, InkStrokesRoundTripAndFollowTheRectangle)
{
    DocPtr d = openReady(letterPage("/Rotate 90"));
    vq_page* pg = vq_page_index(d.get(), 0);
    vq_annot* ink = vq_page_add_annot(d.get(), pg, VQ_ANNOT_INK);
    ASSERT_NE(ink, nullptr);
    vq_point pts[] = {{10, 10}, {20, 20}, {30, 10}, {100, 100}, {120, 110}};
    int counts[] = {3, 2};
    ASSERT_EQ(vq_annot_set_inklist(d.get(), ink, pts, counts, 2), VQ_OK);
    EXPECT_EQ(vq_annot_get_inklist_count(d.get(), ink), 2);
    EXPECT_EQ(vq_annot_get_inklist_stroke_count(d.get(), ink, 0), 3);
    EXPECT_EQ(vq_annot_get_inklist_stroke_count(d.get(), ink, 1), 2);
    vq_point back[5];
    int want[] = {3, 2};
    ASSERT_EQ(vq_annot_get_inklist(d.get(), ink, back, want, 2), VQ_OK);
    for (int i = 0; i < 5; i++)
        EXPECT_TRUE(near(back[i].x, pts[i].x) && near(back[i].y, pts[i].y)) << i;

    // A stroke appended; asking for more points than a stroke holds gives what it holds.
    vq_point extra[] = {{200, 200}, {210, 220}};
    ASSERT_EQ(vq_annot_add_inklist(d.get(), ink, 2, extra), VQ_OK);
    EXPECT_EQ(vq_annot_get_inklist_count(d.get(), ink), 3);
    vq_point some[8];
    int ask[] = {3, 2, 5};
    ASSERT_EQ(vq_annot_get_inklist(d.get(), ink, some, ask, 3), VQ_OK);
    EXPECT_EQ(ask[2], 2);
    EXPECT_TRUE(near(some[6].x, 210) && near(some[6].y, 220));

    // The rectangle moved 30 points right in page space: every stroke moves along.
    vq_rect r = vq_annot_get_rect(d.get(), ink);
    ASSERT_EQ(vq_annot_set_rect(d.get(), ink, vq_rect{r.x0 + 30, r.y0, r.x1 + 30, r.y1}), VQ_OK);
    int all[] = {3, 2, 2};
    vq_point moved[7];
    ASSERT_EQ(vq_annot_get_inklist(d.get(), ink, moved, all, 3), VQ_OK);
    EXPECT_TRUE(near(moved[0].x, 40, 0.05f) && near(moved[0].y, 10, 0.05f));
    EXPECT_TRUE(near(moved[4].x, 150, 0.05f));
    // Moving it to a position leaves the strokes where they are.
    ASSERT_EQ(vq_annot_set_postion(d.get(), ink, vq_point{400, 400}), VQ_OK);
    vq_point same[7];
    int all2[] = {3, 2, 2};
    ASSERT_EQ(vq_annot_get_inklist(d.get(), ink, same, all2, 3), VQ_OK);
    EXPECT_TRUE(near(same[0].x, 40, 0.05f) && near(same[0].y, 10, 0.05f));
}

TEST(EngineAnnot, InkHitToleranceFollowsTheLineWidth)
{
    struct Case
    {
        float width, dx;
        vq_hit_type want;
    } cases[] = {
        {1, 4, VQ_HIT_ANNOT_NOT_WIDGET}, {1, 4.5f, VQ_HIT_NOTHING},   {3, 4, VQ_HIT_ANNOT_NOT_WIDGET},
        {10, 10, VQ_HIT_ANNOT_NOT_WIDGET}, {10, 10.5f, VQ_HIT_NOTHING}, {10.9f, 10.5f, VQ_HIT_NOTHING},
    };
    for (const Case& c : cases)
    {
        DocPtr d = openReady(letterPage());
        vq_page* pg = vq_page_index(d.get(), 0);
        vq_annot* ink = vq_page_add_annot(d.get(), pg, VQ_ANNOT_INK);
        vq_point pts[] = {{100, 100}, {200, 100}};
        int counts[] = {2};
        ASSERT_EQ(vq_annot_set_inklist(d.get(), ink, pts, counts, 1), VQ_OK);
        ASSERT_EQ(vq_annot_set_line_width(d.get(), ink, c.width), VQ_OK);
        EXPECT_TRUE(near(vq_annot_get_line_width(d.get(), ink), c.width));
        EXPECT_EQ(vq_page_onmouse(d.get(), pg, vq_point{100 - c.dx, 100 + c.dx}, VQ_MOUSE_MOVE, VQ_HAND), c.want)
            << "width " << c.width << " offset " << c.dx;
        // Only the points count, not the segment between them.
        EXPECT_EQ(vq_page_onmouse(d.get(), pg, vq_point{150, 100}, VQ_MOUSE_MOVE, VQ_HAND), VQ_HIT_NOTHING);
    }
}

TEST(EngineAnnot, LinksAndWidgetsAreHitWithTheirBounds)
{
    PageSpec p;
    p.mediabox = "[0 0 612 792]";
    p.extra = "/Annots [<< /Type /Annot /Subtype /Link /Rect [10 700 60 750] /A << /S /URI /URI (http://127.0.0.1/) >> >>]";
    DocPtr d = openReady(simpleDocument({p}));
    vq_page* pg = vq_page_index(d.get(), 0);
    EXPECT_EQ(vq_page_onmouse(d.get(), pg, vq_point{30, 60}, VQ_MOUSE_MOVE, VQ_HAND), VQ_HIT_LINK);
    EXPECT_EQ(vq_page_onmouse(d.get(), pg, vq_point{60, 92}, VQ_MOUSE_MOVE, VQ_HAND), VQ_HIT_LINK) << "edges count";

    char name[] = "seal1";
    vq_field* sig = vq_page_add_field(d.get(), pg, VQ_FIELD_TYPE_SIGNATURE, name, nullptr);
    ASSERT_NE(sig, nullptr);
    ASSERT_EQ(vq_annot_set_rect(d.get(), sig, vq_rect{200, 200, 300, 260}), VQ_OK);
    EXPECT_EQ(vq_page_onmouse(d.get(), pg, vq_point{200, 200}, VQ_MOUSE_MOVE, VQ_HAND), VQ_HIT_SIGNATURE);
    EXPECT_EQ(vq_page_onmouse(d.get(), pg, vq_point{299.9f, 259.9f}, VQ_MOUSE_MOVE, VQ_HAND), VQ_HIT_SIGNATURE);
    EXPECT_EQ(vq_page_onmouse(d.get(), pg, vq_point{300, 230}, VQ_MOUSE_MOVE, VQ_HAND), VQ_HIT_NOTHING)
        << "right edge excluded";
    char tname[] = "text1";
    vq_field* tx = vq_page_add_field(d.get(), pg, VQ_FIELD_TYPE_TEXT, tname, nullptr);
    ASSERT_EQ(vq_annot_set_rect(d.get(), tx, vq_rect{400, 400, 500, 420}), VQ_OK);
    EXPECT_EQ(vq_page_onmouse(d.get(), pg, vq_point{450, 410}, VQ_MOUSE_MOVE, VQ_HAND), VQ_HIT_WIDGET_TEXT);
}

TEST(EngineAnnot, PressingGivesFocusThatSurvivesAPageUpdateAsTheObject)
{
    DocPtr d = openReady(letterPage());
    vq_page* pg = vq_page_index(d.get(), 0);
    vq_annot* hl = vq_page_add_annot(d.get(), pg, VQ_ANNOT_HIGHLIGHT);
    vq_rect q = {100, 100, 200, 120};
    ASSERT_EQ(vq_annot_set_quadpoints(d.get(), hl, &q, 1), VQ_OK);

    EXPECT_EQ(vq_document_focus_annot(d.get()), nullptr);
    EXPECT_EQ(vq_doucment_foucsannot_pagenumber(d.get()), -1);
    EXPECT_EQ(vq_page_onmouse(d.get(), pg, vq_point{150, 110}, VQ_MOUSE_DOWN, VQ_HAND), VQ_HIT_ANNOT_NOT_WIDGET);
    EXPECT_EQ(vq_document_focus_annot(d.get()), hl);
    EXPECT_EQ(vq_doucment_foucsannot_pagenumber(d.get()), 0);
    EXPECT_TRUE(vq_annot_has_foucs(d.get(), hl));
    vq_page_onmouse(d.get(), pg, vq_point{150, 110}, VQ_MOUSE_UP, VQ_HAND);

    // A press on empty space clears it.
    EXPECT_EQ(vq_page_onmouse(d.get(), pg, vq_point{500, 500}, VQ_MOUSE_DOWN, VQ_HAND), VQ_HIT_NOTHING);
    EXPECT_EQ(vq_document_focus_annot(d.get()), nullptr);
    EXPECT_FALSE(vq_annot_has_foucs(d.get(), hl));

    // Set directly, then the page is updated: the old handle ends, the object keeps the focus.
    EXPECT_EQ(vq_annot_setfoucs(d.get(), hl), VQ_OK);
    pg = vq_page_update(d.get(), 0);
    EXPECT_EQ(vq_document_focus_annot(d.get()), nullptr);
    EXPECT_EQ(vq_doucment_foucsannot_pagenumber(d.get()), -1);
    vq_annot* fresh = vq_annot_first(d.get(), pg);
    ASSERT_NE(fresh, nullptr);
    EXPECT_TRUE(vq_annot_has_foucs(d.get(), fresh));
    EXPECT_TRUE(vq_annot_compare(fresh, fresh));
    EXPECT_FALSE(vq_annot_compare(fresh, nullptr));
    EXPECT_EQ(vq_annot_setfoucs(d.get(), nullptr), VQ_OK);
    EXPECT_FALSE(vq_annot_has_foucs(d.get(), fresh));
}

TEST(EngineAnnot, HiddenAnnotationsTakeNoFocus)
{
    DocPtr d = openReady(letterPage());
    vq_page* pg = vq_page_index(d.get(), 0);
    vq_annot* hl = vq_page_add_annot(d.get(), pg, VQ_ANNOT_HIGHLIGHT);
    vq_rect q = {100, 100, 200, 120};
    ASSERT_EQ(vq_annot_set_quadpoints(d.get(), hl, &q, 1), VQ_OK);
    ASSERT_EQ(vq_annot_set_flags(d.get(), hl, VQ_Hidden), VQ_OK);
    EXPECT_EQ(vq_annot_get_flags(d.get(), hl), VQ_Hidden);
    vq_page_onmouse(d.get(), pg, vq_point{150, 110}, VQ_MOUSE_DOWN, VQ_HAND);
    EXPECT_EQ(vq_document_focus_annot(d.get()), nullptr);
}

TEST(EngineAnnot, ContentsAndOtherSettersKeepTheirValues)
{
    DocPtr d = openReady(letterPage());
    vq_page* pg = vq_page_index(d.get(), 0);
    vq_annot* sq = vq_page_add_annot(d.get(), pg, VQ_ANNOT_SQUARE);
    ASSERT_NE(sq, nullptr);
    EXPECT_EQ(vq_annot_set_contents(d.get(), sq, "\xE5\xA4\x87\xE6\xB3\xA8 note"), VQ_OK);
    char* c = vq_annot_get_contents(d.get(), sq);
    ASSERT_NE(c, nullptr);
    EXPECT_STREQ(c, "\xE5\xA4\x87\xE6\xB3\xA8 note");
    free(c);
    EXPECT_EQ(vq_annot_squre_circle_set_points(d.get(), sq, vq_point{50, 60}, vq_point{150, 110}), VQ_OK);
    expectRect(vq_annot_get_rect(d.get(), sq), vq_rect{50, 60, 150, 110}, 1.5f);
    float ic[3] = {1, 1, 0};
    EXPECT_EQ(vq_annot_squre_circle_set_interior_color(d.get(), sq, ic), VQ_OK);
    EXPECT_EQ(vq_annot_update_appearance(d.get(), sq), VQ_OK);
    EXPECT_EQ(vq_page_add_annot(d.get(), pg, VQ_ANNOT_LINK), nullptr);
    EXPECT_EQ(vq_page_add_annot(d.get(), pg, VQ_ANNOT_WIDGET), nullptr);
    EXPECT_EQ(vq_page_add_annot(d.get(), pg, (vq_annot_type)77), nullptr);
    EXPECT_EQ(vq_annot_get_font(d.get(), sq), nullptr);
    EXPECT_FLOAT_EQ(vq_font_size(nullptr), 1.0f);
}
