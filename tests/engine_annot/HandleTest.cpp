// Null and ended handles, foreign pages and empty input: every operation returns a code.
#include "AnnotTestSupport.h"

using namespace fixture;

TEST(EngineAnnotHandles, NullAndEndedHandlesGiveCodes)
{
    DocPtr d = openReady(simpleDocument({PageSpec{"[0 0 612 792]", "", ""}}));
    vq_page* pg = vq_page_index(d.get(), 0);
    vq_annot* ink = vq_page_add_annot(d.get(), pg, VQ_ANNOT_INK);
    ASSERT_NE(ink, nullptr);
    DocPtr other = openReady(simpleDocument({PageSpec()}));
    vq_page* foreign = vq_page_index(other.get(), 0);

    // The page update ends the handle; the memory it pointed to is released.
    vq_page_update(d.get(), 0);
    vq_annot* ended = ink;
    vq_rect r = {1, 2, 3, 4};
    vq_point p = {1, 1};
    float rgb[3] = {1, 0, 0};
    int counts[1] = {1};
    vq_point pts[1] = {{1, 1}};
    for (vq_annot* h : {static_cast<vq_annot*>(nullptr), ended})
    {
        SCOPED_TRACE(h ? "ended handle" : "null handle");
        EXPECT_EQ(vq_annot_set_rect(d.get(), h, r), VQ_FAIL);
        EXPECT_EQ(vq_annot_set_postion(d.get(), h, p), VQ_FAIL);
        EXPECT_EQ(vq_annot_set_quadpoints(d.get(), h, &r, 1), VQ_FAIL);
        EXPECT_EQ(vq_annot_quadpoint_count(d.get(), h), 0);
        EXPECT_EQ(vq_annot_get_quadpoint(d.get(), h, 0, &r), VQ_FAIL);
        EXPECT_EQ(vq_annot_set_inklist(d.get(), h, pts, counts, 1), VQ_FAIL);
        EXPECT_EQ(vq_annot_add_inklist(d.get(), h, 1, pts), VQ_FAIL);
        EXPECT_EQ(vq_annot_get_inklist(d.get(), h, pts, counts, 1), VQ_FAIL);
        EXPECT_EQ(vq_annot_get_inklist_count(d.get(), h), 0);
        EXPECT_EQ(vq_annot_translate_inklist(d.get(), h, &p), VQ_FAIL);
        EXPECT_EQ(vq_annot_set_color(d.get(), h, rgb), VQ_FAIL);
        EXPECT_EQ(vq_annot_get_color(d.get(), h, rgb), 0);
        EXPECT_EQ(vq_annot_set_opacity(d.get(), h, 0.5f), VQ_FAIL);
        EXPECT_EQ(vq_annot_set_line_width(d.get(), h, 2), VQ_FAIL);
        EXPECT_EQ(vq_annot_set_flags(d.get(), h, 4), VQ_FAIL);
        EXPECT_EQ(vq_annot_set_contents(d.get(), h, "x"), VQ_FAIL);
        EXPECT_EQ(vq_annot_get_contents(d.get(), h), nullptr);
        EXPECT_EQ(vq_annot_get_type(d.get(), h), -1);
        vq_rect none = vq_annot_get_rect(d.get(), h);
        EXPECT_EQ(none.x1 - none.x0, 0);
        EXPECT_EQ(vq_annot_delete(d.get(), h), VQ_FAIL);
        EXPECT_EQ(vq_annot_next(d.get(), h), nullptr);
        EXPECT_EQ(vq_annot_update_appearance(d.get(), h), VQ_FAIL);
        EXPECT_EQ(vq_annot_has_foucs(d.get(), h), 0);
        EXPECT_EQ(vq_field_get_type(d.get(), h), VQ_FIELD_TYPE_NOT_WIDGET);
        EXPECT_EQ(vq_field_get_name(d.get(), h), nullptr);
        EXPECT_EQ(vq_field_drop(d.get(), h), VQ_FAIL);
        EXPECT_EQ(vq_field_set_value(d.get(), h, "v"), VQ_FAIL);
        EXPECT_EQ(vq_field_next(d.get(), h), nullptr);
    }
    EXPECT_EQ(vq_annot_setfoucs(d.get(), ended), VQ_FAIL);
    EXPECT_EQ(vq_annot_get_type(nullptr, ink), -1);
    EXPECT_EQ(vq_annot_set_rect(nullptr, ink, r), VQ_FAIL);

    // Pages: null, foreign, and a document without its page table.
    EXPECT_EQ(vq_page_add_annot(d.get(), nullptr, VQ_ANNOT_INK), nullptr);
    EXPECT_EQ(vq_page_add_annot(d.get(), foreign, VQ_ANNOT_INK), nullptr);
    EXPECT_EQ(vq_page_add_annot(nullptr, pg, VQ_ANNOT_INK), nullptr);
    char name[] = "f";
    EXPECT_EQ(vq_page_add_field(d.get(), foreign, VQ_FIELD_TYPE_TEXT, name, nullptr), nullptr);
    EXPECT_EQ(vq_page_add_field(d.get(), pg, (vq_field_type)42, name, nullptr), nullptr);
    EXPECT_EQ(vq_annot_first(d.get(), foreign), nullptr);
    EXPECT_EQ(vq_field_first(nullptr, pg), nullptr);
    EXPECT_EQ(vq_page_add_image_data(d.get(), foreign, &p, nullptr, 0), VQ_FAIL);
    EXPECT_EQ(vq_page_add_path(nullptr, pg, pts, counts, 1, &p, rgb, 1), VQ_FAIL);
    EXPECT_EQ(vq_document_focus_annot(nullptr), nullptr);
    EXPECT_EQ(vq_doucment_foucsannot_pagenumber(nullptr), -1);
    EXPECT_EQ(vq_annot_setfoucs(nullptr, nullptr), VQ_FAIL);

    DocPtr untabled = openBytes(simpleDocument({PageSpec()}));
    EXPECT_EQ(vq_annot_first(untabled.get(), pg), nullptr);
    std::vector<vq_rect> out(512);
    EXPECT_EQ(vq_page_select_content(untabled.get(), pg, VQ_OUT_SELECT, r, out.data()), -1);

    // Out-of-range strokes and quadrilaterals, bad numbers.
    vq_page* fresh = vq_page_index(d.get(), 0);
    vq_annot* a = vq_annot_first(d.get(), fresh);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(vq_annot_get_inklist_stroke_count(d.get(), a, 99), 0);
    EXPECT_EQ(vq_annot_get_inklist_stroke_count(d.get(), a, -1), 0);
    EXPECT_EQ(vq_annot_set_quadpoints(d.get(), a, &r, 1), VQ_FAIL) << "ink has no quadrilaterals";
    vq_rect nan = {0, 0, 0.0f / 0.0f, 1};
    EXPECT_EQ(vq_annot_set_rect(d.get(), a, nan), VQ_FAIL);
    int negative[1] = {-3};
    EXPECT_EQ(vq_annot_set_inklist(d.get(), a, pts, negative, 1), VQ_FAIL);
    EXPECT_EQ(vq_annot_set_inklist(d.get(), a, nullptr, counts, 1), VQ_FAIL);
}
