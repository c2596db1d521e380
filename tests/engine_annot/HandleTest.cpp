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

// An ended handle stays ended whatever is made after it (a new annotation may well be given the
// memory of the one that went), and a handle of one document means nothing to another.
TEST(EngineAnnotHandles, EndedHandlesNeverComeBack)
{
    DocPtr d = openReady(simpleDocument({PageSpec{"[0 0 612 792]", "", ""}}));
    vq_page* pg = vq_page_index(d.get(), 0);
    char name[] = "Seal";
    vq_signature* sig = vq_page_add_field(d.get(), pg, VQ_FIELD_TYPE_SIGNATURE, name, "info");
    ASSERT_NE(sig, nullptr);
    vq_annot* ink = vq_page_add_annot(d.get(), pg, VQ_ANNOT_INK);
    ASSERT_NE(ink, nullptr);
    EXPECT_EQ(vq_annot_first(d.get(), pg), sig) << "one handle per living annotation";
    vq_annot* deleted = vq_page_add_annot(d.get(), pg, VQ_ANNOT_HIGHLIGHT);
    ASSERT_EQ(vq_annot_delete(d.get(), deleted), VQ_OK);

    vq_page_update(d.get(), 0);
    std::vector<vq_annot*> made;
    for (int i = 0; i < 16; i++)
        made.push_back(vq_page_add_annot(d.get(), pg, i % 2 ? VQ_ANNOT_INK : VQ_ANNOT_HIGHLIGHT));
    vq_page_update(d.get(), 0);
    for (vq_annot* h = vq_annot_first(d.get(), pg); h; h = vq_annot_next(d.get(), h))
        made.push_back(h);
    for (vq_annot* ended : {sig, ink, deleted})
    {
        for (vq_annot* fresh : made)
            EXPECT_NE(fresh, ended);
        EXPECT_EQ(vq_annot_get_type(d.get(), ended), -1);
        EXPECT_EQ(vq_annot_set_rect(d.get(), ended, vq_rect{1, 2, 3, 4}), VQ_FAIL);
    }
    // The ended signature handle: nothing is read, armed, verified or deleted through it.
    EXPECT_EQ(vq_signature_get_addinfo(d.get(), sig), nullptr);
    EXPECT_EQ(vq_signature_get_sign_type(d.get(), sig), Detached_Null);
    EXPECT_EQ(vq_signature_set_value_callback_v3(d.get(), sig, [](const char*, int, int, const char*, const char*,
                                                                   char*, int*, char*, int*, char*, int*) { return 0; },
                                                  "MIIB", nullptr),
              VQ_SIGNATURE_IS_NULL);
    EXPECT_EQ(vq_signautre_verify(d.get(), sig, nullptr), nullptr);
    vq_signature_delete(d.get(), sig);
    vq_signature* again = vq_document_get_signature_by_name(d.get(), "Seal");
    ASSERT_NE(again, nullptr) << "the field is still there";
    EXPECT_NE(again, sig);
    char* info = vq_signature_get_addinfo(d.get(), again);
    ASSERT_NE(info, nullptr);
    EXPECT_STREQ(info, "info");
    free(info);

    // A live handle of one document is refused by another.
    DocPtr other = openReady(simpleDocument({PageSpec()}));
    vq_annot* mine = vq_annot_first(d.get(), pg);
    ASSERT_NE(mine, nullptr);
    EXPECT_EQ(vq_annot_get_type(other.get(), mine), -1);
    EXPECT_EQ(vq_annot_set_rect(other.get(), mine, vq_rect{1, 2, 3, 4}), VQ_FAIL);
    EXPECT_EQ(vq_field_get_name(other.get(), again), nullptr);

    // Closing a document ends its handles too: a document opened after it does not take them.
    vq_annot* kept = vq_annot_first(d.get(), pg);
    d.reset();
    DocPtr later = openReady(simpleDocument({PageSpec{"[0 0 612 792]", "", ""}}));
    vq_annot* theirs = vq_page_add_annot(later.get(), vq_page_index(later.get(), 0), VQ_ANNOT_INK);
    ASSERT_NE(theirs, nullptr);
    EXPECT_NE(theirs, kept);
    EXPECT_EQ(vq_annot_get_type(later.get(), kept), -1);
}
