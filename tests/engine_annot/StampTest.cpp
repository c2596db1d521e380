// Blank documents, merged page ranges, picture and text stamps and ink paths: each saved,
// reopened by the engine and checked by qpdf and mutool.
#include "AnnotTestSupport.h"
#include "vq-pdf-testing.h"

using namespace fixture;

namespace {

// A 2 x 2 red picture in the portable pixmap format.
std::string redPicture()
{
    std::string s = "P6\n2 2\n255\n";
    for (int i = 0; i < 4; i++)
        s += std::string("\xFF\x00\x00", 3);
    return s;
}

std::string numberedPages(const std::string& prefix, int n)
{
    std::vector<PageSpec> pages;
    for (int i = 1; i <= n; i++)
    {
        PageSpec p;
        p.mediabox = "[0 0 200 100]";
        p.content = textContent({{10, 50, 12, prefix + std::to_string(i)}});
        pages.push_back(p);
    }
    return simpleDocument(pages);
}

// Saves, checks the file with qpdf and reopens it with the engine.
DocPtr saveCheckReopen(vq_document* d, const ScratchDir& dir, const std::string& name)
{
    const std::string path = dir.file(name);
    EXPECT_EQ(saveAs(d, path), VQ_OK);
    EXPECT_TRUE(qpdfAccepts(path));
    DocPtr again = openPath(path);
    if (again)
        vq_document_cut_page(again.get());
    return again;
}

} // namespace

TEST(EngineStamp, BlankDocumentHasOneA4PageAndSaves)
{
    ScratchDir dir;
    DocPtr d(vq_document_new_blank());
    ASSERT_TRUE(d);
    EXPECT_TRUE(vq_document_has_unsaved(d.get()));
    vq_document_cut_page(d.get());
    EXPECT_EQ(vq_document_page_count(d.get()), 1);
    vq_rect box{};
    vq_page_mediabox(d.get(), 0, &box);
    EXPECT_TRUE(near(box.x1, 595) && near(box.y1, 842));
    DocPtr again = saveCheckReopen(d.get(), dir, "blank.pdf");
    ASSERT_TRUE(again);
    EXPECT_EQ(vq_document_page_count(again.get()), 1);
    EXPECT_FALSE(vq_document_has_unsaved(again.get()));
    // Incremental saving into memory works as for any document.
    int code = -1;
    vq_buffer* buf = vq_document_saveas_stream(d.get(), 1, &code);
    EXPECT_EQ(code, VQ_OK);
    EXPECT_NE(buf, nullptr);
}

TEST(EngineStamp, MergedPageRangesInOrder)
{
    ScratchDir dir;
    DocPtr a = openReady(numberedPages("P", 3));
    DocPtr b = openReady(numberedPages("Q", 2));
    ASSERT_TRUE(a && b);
    vq_document* src[] = {a.get(), b.get()};
    const int from[] = {3, 2}, to[] = {1, 2};
    DocPtr m(vq_document_merge(src, from, to, 2));
    ASSERT_TRUE(m);
    EXPECT_TRUE(vq_document_has_unsaved(m.get()));
    vq_document_cut_page(m.get());
    ASSERT_EQ(vq_document_page_count(m.get()), 4);
    const char* want[] = {"P3", "P2", "P1", "Q2"};
    for (int i = 0; i < 4; i++)
        EXPECT_EQ(pageText(m.get(), vq_page_index(m.get(), i)), want[i]) << i;
    // The sources stay open and usable.
    EXPECT_EQ(pageText(b.get(), vq_page_index(b.get(), 1)), "Q2");

    DocPtr again = saveCheckReopen(m.get(), dir, "merged.pdf");
    ASSERT_TRUE(again);
    EXPECT_EQ(vq_document_page_count(again.get()), 4);
    const std::string text = mutoolText(dir.file("merged.pdf"));
    EXPECT_LT(text.find("P3"), text.find("P1"));
    EXPECT_LT(text.find("P1"), text.find("Q2"));

    // Ranges outside a source give no document.
    const int badfrom[] = {1, 1}, badto[] = {4, 1};
    EXPECT_EQ(vq_document_merge(src, badfrom, badto, 2), nullptr);
    EXPECT_EQ(vq_document_merge(nullptr, from, to, 2), nullptr);
    vq_document* withNull[] = {a.get(), nullptr};
    EXPECT_EQ(vq_document_merge(withNull, from, to, 2), nullptr);
}

TEST(EngineStamp, PictureStampsDrawIntoThePageContent)
{
    ScratchDir dir;
    DocPtr d = openReady(simpleDocument({PageSpec{"[0 0 300 300]", "", "0 0 1 rg 0 290 10 10 re f"}}));
    vq_page* pg = vq_page_index(d.get(), 0);
    std::string pic = redPicture();
    vq_point at = {50, 50};
    ASSERT_EQ(vq_page_add_image_data(d.get(), pg, &at, reinterpret_cast<unsigned char*>(&pic[0]), (int)pic.size()),
              VQ_OK);
    const std::string file = dir.file("pic.ppm");
    writeFile(file, pic);
    vq_point at2 = {170, 170};
    ASSERT_EQ(vq_page_add_image_file(d.get(), pg, &at2, file.c_str()), VQ_OK);

    vq_pixmap* pix = vq_page_generate_pixmap(d.get(), pg, VQ_RENDER_ALL, VQ_COLORSPACE_RGB, 1, 0);
    ASSERT_NE(pix, nullptr);
    Bgra inside = pixel(d.get(), pix, 106, 106), second = pixel(d.get(), pix, 226, 226),
         outside = pixel(d.get(), pix, 40, 40), earlier = pixel(d.get(), pix, 5, 5);
    vq_pixmap_free(d.get(), pix);
    EXPECT_GT(inside.r, 200);
    EXPECT_LT(inside.g, 60);
    EXPECT_GT(second.r, 200);
    EXPECT_LT(second.g, 60);
    EXPECT_GT(outside.g, 200) << "white around the stamp";
    EXPECT_GT(earlier.b, 200) << "the earlier content still draws";
    EXPECT_LT(earlier.r, 60);

    DocPtr again = saveCheckReopen(d.get(), dir, "stamped.pdf");
    ASSERT_TRUE(again);
    const std::string text = qdfText(dir.file("stamped.pdf"));
    EXPECT_NE(text.find("/FXX0 Do"), std::string::npos);
    EXPECT_NE(text.find("/FXX1 Do"), std::string::npos);
    EXPECT_NE(text.find("/FRM Do"), std::string::npos);

    // Bytes that are no picture change nothing.
    DocPtr clean = openReady(simpleDocument({PageSpec()}));
    std::string junk = "not a picture at all";
    EXPECT_EQ(vq_page_add_image_data(clean.get(), vq_page_index(clean.get(), 0), &at,
                                     reinterpret_cast<unsigned char*>(&junk[0]), (int)junk.size()),
              VQ_FAIL);
    EXPECT_FALSE(vq_document_has_unsaved(clean.get()));
    EXPECT_EQ(vq_page_add_image_file(clean.get(), vq_page_index(clean.get(), 0), &at, dir.file("missing.png").c_str()),
              VQ_FAIL);
}

TEST(EngineStamp, PictureWatermarksAreCentredAndMarked)
{
    for (int prepared = 0; prepared < 2; prepared++)
    {
        SCOPED_TRACE(prepared ? "prepared form" : "picture bytes");
        ScratchDir dir;
        DocPtr d = openReady(simpleDocument({PageSpec{"[0 0 200 100]", "", ""}}));
        vq_page* pg = vq_page_index(d.get(), 0);
        std::string pic = redPicture();
        ASSERT_EQ(vq_test_page_add_watermark_image(d.get(), pg, reinterpret_cast<const unsigned char*>(pic.data()),
                                                   (int)pic.size(), 40, 20, prepared),
                  VQ_OK);
        vq_pixmap* pix = vq_page_generate_pixmap(d.get(), pg, VQ_RENDER_ALL, VQ_COLORSPACE_RGB, 1, 0);
        ASSERT_NE(pix, nullptr);
        EXPECT_GT(pixel(d.get(), pix, 100, 50).r, 200);
        EXPECT_LT(pixel(d.get(), pix, 100, 50).g, 60);
        EXPECT_GT(pixel(d.get(), pix, 75, 50).g, 200) << "outside the centred 40 x 20 box";
        vq_pixmap_free(d.get(), pix);
        DocPtr again = saveCheckReopen(d.get(), dir, "wm.pdf");
        ASSERT_TRUE(again);
        const std::string text = qdfText(dir.file("wm.pdf"));
        EXPECT_NE(text.find(prepared ? "/FrmVq0 Do" : "/FXX0 Do"), std::string::npos);
        EXPECT_NE(text.find("/GS0 gs"), std::string::npos);
        EXPECT_NE(text.find("/Artifact <</Subtype /Watermark /Type /Pagination >>BDC"), std::string::npos);
    }
}

TEST(EngineStamp, TextWatermarkWritesCodesOfTheText)
{
    ScratchDir dir;
    DocPtr d = openReady(simpleDocument({PageSpec{"[0 0 612 792]", "", ""}}));
    vq_page* pg = vq_page_index(d.get(), 0);
    const float style[4] = {1, 0, 0, 0.5f};
    ASSERT_EQ(vq_test_page_add_watermark_text(d.get(), pg, 0, style, "AB", 24, 0), VQ_OK);
    ASSERT_EQ(vq_test_page_add_watermark_text(d.get(), pg, 5, style, "\xE7\xA7\x98\xE5\xAF\x86", 20, 30), VQ_OK);
    DocPtr again = saveCheckReopen(d.get(), dir, "watermark.pdf");
    ASSERT_TRUE(again);
    const std::string text = qdfText(dir.file("watermark.pdf"));
    EXPECT_NE(text.find("<00410042> Tj"), std::string::npos);
    EXPECT_NE(text.find("<79d85bc6> Tj"), std::string::npos);
    EXPECT_NE(text.find("/Artifact <</Subtype /Watermark /Type /Pagination >>BDC"), std::string::npos);
    EXPECT_NE(text.find("/BM /Multiply"), std::string::npos);
    EXPECT_NE(text.find("/SimSun"), std::string::npos);
    int status = -1;
    runCommand("mutool draw -q -o /dev/null '" + dir.file("watermark.pdf") + "'", &status);
    EXPECT_EQ(status, 0);
}

TEST(EngineStamp, InkPathIsStrokedIntoThePage)
{
    ScratchDir dir;
    DocPtr d = openReady(simpleDocument({PageSpec{"[0 0 200 200]", "", ""}}));
    vq_page* pg = vq_page_index(d.get(), 0);
    // Points at twice the page scale: (40,40)..(160,40) is (20,20)..(80,20) on the page.
    vq_point pts[] = {{40, 40}, {100, 40}, {160, 40}};
    int counts[] = {3};
    vq_point offset = {0, 0};
    float black[3] = {0, 0, 0};
    ASSERT_EQ(vq_page_add_path(d.get(), pg, pts, counts, 1, &offset, black, 4), VQ_OK);
    vq_pixmap* pix = vq_page_generate_pixmap(d.get(), pg, VQ_RENDER_ALL, VQ_COLORSPACE_RGB, 1, 0);
    ASSERT_NE(pix, nullptr);
    EXPECT_LT(pixel(d.get(), pix, 50, 20).g, 80);
    EXPECT_GT(pixel(d.get(), pix, 50, 40).g, 200);
    vq_pixmap_free(d.get(), pix);
    DocPtr again = saveCheckReopen(d.get(), dir, "path.pdf");
    ASSERT_TRUE(again);
    EXPECT_EQ(vq_page_add_path(d.get(), pg, pts, counts, 0, &offset, black, 4), VQ_FAIL);
    EXPECT_EQ(vq_page_add_path(d.get(), pg, pts, nullptr, 1, &offset, black, 4), VQ_FAIL);
}
