// Pages, rendering, pixmaps, outline and the document lock.
#include "EngineTestSupport.h"
#include "vq-pdf-testing.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <thread>

using namespace fixture;

TEST(EnginePages, CountAndPageTable)
{
    DocPtr doc = openBytes(simpleDocument({PageSpec(), PageSpec(), PageSpec()}));
    ASSERT_TRUE(doc);
    EXPECT_EQ(vq_document_page_count(doc.get()), 3);
    EXPECT_EQ(vq_page_index(doc.get(), 0), nullptr) << "no page before the page table";
    vq_document_cut_page(doc.get());
    vq_page* first = vq_page_index(doc.get(), 0);
    vq_page* last = vq_page_index(doc.get(), 2);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(last, nullptr);
    EXPECT_NE(first, last);
    EXPECT_EQ(vq_page_index(doc.get(), -5), first);
    EXPECT_EQ(vq_page_index(doc.get(), 99), last);
    vq_document_cut_page(doc.get());
    EXPECT_EQ(vq_page_index(doc.get(), 0), first) << "a second page table call keeps the handles";
    EXPECT_EQ(vq_page_update(doc.get(), 0), first);
}

TEST(EnginePages, MediaBoxRotationAndUserUnit)
{
    struct Case
    {
        const char* name;
        const char* mediabox;
        const char* extra;
        float w, h;
    };
    const Case cases[] = {
        {"plain", "[0 0 595 842]", "", 595, 842},
        {"rotate 90", "[0 0 595 842]", "/Rotate 90", 842, 595},
        {"rotate -90", "[0 0 595 842]", "/Rotate -90", 842, 595},
        {"rotate 180", "[0 0 595 842]", "/Rotate 180", 595, 842},
        {"rotate 45 is ignored", "[0 0 595 842]", "/Rotate 45", 595, 842},
        {"offset box", "[100 200 300 250]", "", 200, 50},
        {"crop box", "[0 0 595 842]", "/CropBox [10 10 110 60]", 100, 50},
        {"crop box outside", "[0 0 100 100]", "/CropBox [200 200 300 300]", 0, 0},
        {"real user unit", "[0 0 100 50]", "/UserUnit 2.0", 200, 100},
        {"integer user unit", "[0 0 100 50]", "/UserUnit 2", 100, 50},
        {"no media box", "[]", "", 612, 792},
    };
    std::vector<PageSpec> pages;
    for (const Case& c : cases)
    {
        PageSpec p;
        p.mediabox = c.mediabox;
        p.extra = c.extra;
        pages.push_back(p);
    }
    DocPtr doc = openBytes(simpleDocument(pages));
    ASSERT_TRUE(doc);
    vq_document_cut_page(doc.get());
    for (size_t i = 0; i < pages.size(); i++)
    {
        SCOPED_TRACE(cases[i].name);
        for (int round = 0; round < 2; round++) // the second answer comes from the cache
        {
            vq_rect box{-1, -1, -1, -1};
            EXPECT_EQ(vq_page_mediabox(doc.get(), static_cast<int>(i), &box), &box);
            EXPECT_FLOAT_EQ(box.x0, 0);
            EXPECT_FLOAT_EQ(box.y0, 0);
            EXPECT_FLOAT_EQ(box.x1, cases[i].w);
            EXPECT_FLOAT_EQ(box.y1, cases[i].h);
        }
    }
    vq_rect none{1, 1, 1, 1};
    vq_page_mediabox(doc.get(), 1000, &none);
    EXPECT_FLOAT_EQ(none.x1, 0);
}

TEST(EnginePages, InheritedMediaBox)
{
    PdfBuilder b;
    b.add("<< /Type /Catalog /Pages 2 0 R >>");
    b.add("<< /Type /Pages /Kids [3 0 R] /Count 1 /MediaBox [0 0 400 300] /Rotate 270 >>");
    b.add("<< /Type /Page /Parent 2 0 R >>");
    DocPtr doc = openBytes(b.build(1));
    ASSERT_TRUE(doc);
    vq_document_cut_page(doc.get());
    vq_rect box;
    vq_page_mediabox(doc.get(), 0, &box);
    EXPECT_FLOAT_EQ(box.x1, 300);
    EXPECT_FLOAT_EQ(box.y1, 400);
}

TEST(EnginePages, SizeBoxesOfPagesReadWhenOpening)
{
    // Opening reads each page object's own text for the page table and its size box; values it
    // cannot take from the text as they stand (references, another parent, real rotations) make
    // the page be read the usual way. Both give the same boxes.
    PdfBuilder b;
    const int catalog = b.reserve();
    const int tree = b.reserve();
    const int other = b.reserve();   // a /Pages node that is nobody's kid
    const int inner = b.reserve();   // an intermediate node under the tree
    const int boxObject = b.add("[0 0 120 60]");
    struct Case
    {
        const char* name;
        std::string dict; // after "/Type /Page /Parent n 0 R "
        float w, h;
        bool underInner = false;
        int parent = 0; // 0: the node whose kid it is
    };
    const std::vector<Case> cases = {
        {"own whole numbers", "/MediaBox [0 0 200 100]", 200, 100},
        {"real numbers, corners unordered", "/MediaBox [595.5 842.25 0.5 0.25]", 595, 842},
        {"inherited box", "", 400, 300},
        {"crop box inside", "/MediaBox [0 0 200 200] /CropBox [50 50 150 100]", 100, 50},
        {"real user unit", "/MediaBox [0 0 100 50] /UserUnit 2.0", 200, 100},
        {"whole-number user unit does not count", "/MediaBox [0 0 100 50] /UserUnit 2", 100, 50},
        {"box by reference", "/MediaBox " + std::to_string(boxObject) + " 0 R", 120, 60},
        {"parent elsewhere", "", 77, 33, false, other},
        {"own rotation", "/MediaBox [0 0 200 100] /Rotate 270", 100, 200},
        {"negative rotation", "/MediaBox [0 0 200 100] /Rotate -90", 100, 200},
        {"real rotation", "/MediaBox [0 0 200 100] /Rotate 90.0", 100, 200},
        {"nested values and strings",
         "/Resources << /Font << /F1 << /Type /Font /Name (a (b) c) >> >> >> /Info [ (x\\)y) <414243> [1 2] ] "
         "/MediaBox [0 0 200 100]",
         200, 100},
        {"box and rotation inherited through an intermediate node", "", 300, 400, true},
    };
    std::string treeKids, innerKids;
    for (const Case& c : cases)
    {
        const int parent = c.parent ? c.parent : (c.underInner ? inner : tree);
        const int n = b.add("<< /Type /Page /Parent " + std::to_string(parent) + " 0 R " + c.dict + " >>");
        (c.underInner ? innerKids : treeKids) += std::to_string(n) + " 0 R ";
    }
    treeKids += std::to_string(inner) + " 0 R";
    b.set(inner, "<< /Type /Pages /Parent " + std::to_string(tree) + " 0 R /Kids [" + innerKids +
                     "] /Count 1 /Rotate 90 >>");
    b.set(tree, "<< /Type /Pages /Kids [" + treeKids + "] /Count " + std::to_string(cases.size()) +
                    " /MediaBox [0 0 400 300] >>");
    b.set(other, "<< /Type /Pages /Kids [] /Count 0 /MediaBox [0 0 77 33] >>");
    b.set(catalog, "<< /Type /Catalog /Pages " + std::to_string(tree) + " 0 R >>");
    const std::string bytes = b.build(catalog);

    ScratchDir dir;
    writeFile(dir.file("boxes.pdf"), bytes);
    for (const bool fromFile : {true, false})
    {
        SCOPED_TRACE(fromFile ? "from a file" : "from memory");
        DocPtr doc = fromFile ? openPath(dir.file("boxes.pdf")) : openBytes(bytes);
        ASSERT_TRUE(doc);
        ASSERT_EQ(vq_document_page_count(doc.get()), static_cast<int>(cases.size()));
        vq_document_cut_page(doc.get());
        for (size_t i = 0; i < cases.size(); i++)
        {
            SCOPED_TRACE(cases[i].name);
            vq_rect box{-1, -1, -1, -1};
            vq_page_mediabox(doc.get(), static_cast<int>(i), &box);
            EXPECT_FLOAT_EQ(box.x1, cases[i].w);
            EXPECT_FLOAT_EQ(box.y1, cases[i].h);
            // The page itself loads and draws at that size.
            vq_page* page = vq_page_index(doc.get(), static_cast<int>(i));
            ASSERT_NE(page, nullptr);
            vq_page_image* img = vq_page_display_image(doc.get(), page, nullptr, 1, 0);
            ASSERT_NE(img, nullptr);
            if (std::string(cases[i].name).find("user unit") == std::string::npos)
            {
                EXPECT_NEAR(vq_pixmap_width(doc.get(), img), cases[i].w, 1);
                EXPECT_NEAR(vq_pixmap_height(doc.get(), img), cases[i].h, 1);
            }
            vq_page_drop_display_image(doc.get(), page, img);
        }
    }
}

TEST(EngineRender, RecordingsStayWithinTheirBudgetAndPixmapsComeBackClean)
{
    // Pages of dense text: every page's recording is large, so drawing them all in turn passes
    // the budget many times over.
    std::vector<PageSpec> pages;
    for (int i = 0; i < 120; i++)
    {
        std::string text = "BT /F1 9 Tf 10 TL 20 820 Td\n";
        for (int line = 0; line < 80; line++)
            text += "(Page " + std::to_string(i) + " line " + std::to_string(line) +
                    ": the quick brown fox jumps over the lazy dog) '\n";
        pages.push_back(PageSpec{"[0 0 595 842]", "", text + "ET"});
    }
    pages.push_back(PageSpec{"[0 0 595 842]", "", "0 0 0 rg 0 0 595 842 re f"}); // all black
    pages.push_back(PageSpec{"[0 0 595 842]", "", ""});                          // blank
    DocPtr doc = openBytes(simpleDocument(pages));
    ASSERT_TRUE(doc);
    vq_document_cut_page(doc.get());

    // An annotation handle on page 1 stays valid however many pages are drawn after it.
    vq_page* first = vq_page_index(doc.get(), 0);
    vq_annot* square = vq_page_add_annot(doc.get(), first, VQ_ANNOT_SQUARE);
    ASSERT_NE(square, nullptr);
    ASSERT_EQ(vq_annot_set_rect(doc.get(), square, vq_rect{10, 10, 60, 40}), VQ_OK);
    // The update ends the handles of the page's annotations: take the new one.
    square = vq_annot_first(doc.get(), vq_page_update(doc.get(), 0));
    ASSERT_NE(square, nullptr);
    auto drawn = [&](int n) {
        vq_page* page = vq_page_index(doc.get(), n);
        vq_page_image* img = vq_page_display_image(doc.get(), page, nullptr, 1, 0);
        EXPECT_NE(img, nullptr);
        std::vector<unsigned char> px;
        if (img)
        {
            const unsigned char* s = vq_pixmap_sample(doc.get(), img);
            px.assign(s, s + static_cast<size_t>(vq_pixmap_width(doc.get(), img)) * vq_pixmap_height(doc.get(), img) * 4);
        }
        vq_page_drop_display_image(doc.get(), page, img);
        return px;
    };
    const std::vector<unsigned char> before = drawn(0);
    size_t most = 0;
    for (int i = 1; i < 120; i++)
    {
        drawn(i);
        most = std::max(most, vq_test_recorded_bytes(doc.get()));
    }
    EXPECT_GT(most, vq_test_recording_budget() / 2) << "the pages filled the budget";
    EXPECT_LE(most, vq_test_recording_budget() + (1u << 20)) << "beyond the budget by more than a page";
    EXPECT_FLOAT_EQ(vq_annot_get_rect(doc.get(), square).x1, 60);
    EXPECT_EQ(drawn(0), before) << "page 1 recorded again draws the same";

    // A pixmap given back is drawn into again: a blank page after a black one of the same size
    // is white all over.
    drawn(120);
    const std::vector<unsigned char> blank = drawn(121);
    ASSERT_FALSE(blank.empty());
    EXPECT_EQ(std::count(blank.begin(), blank.end(), 255), static_cast<long>(blank.size()));
}

// A 100 × 50 page with a red square in its top-left corner (page space 0..10).
static std::string cornerPage()
{
    return onePage("1 0 0 rg 0 40 10 10 re f", "[0 0 100 50]");
}

TEST(EngineRender, ZoomAndRotationGiveSizeAndOrigin)
{
    DocPtr doc = openBytes(cornerPage());
    ASSERT_TRUE(doc);
    vq_document_cut_page(doc.get());
    vq_page* page = vq_page_index(doc.get(), 0);
    ASSERT_NE(page, nullptr);

    vq_rect box;
    vq_page_box(doc.get(), page, &box, 2, 90);
    EXPECT_FLOAT_EQ(box.x0, -100);
    EXPECT_FLOAT_EQ(box.x1, 0);
    EXPECT_FLOAT_EQ(box.y0, 0);
    EXPECT_FLOAT_EQ(box.y1, 200);
    vq_irect ibox;
    vq_page_ibox(doc.get(), page, &ibox, 1.5f);
    EXPECT_EQ(ibox.x1 - ibox.x0, 150);
    EXPECT_EQ(ibox.y1 - ibox.y0, 75);

    vq_page_image* img = vq_page_display_image(doc.get(), page, nullptr, 2, 90);
    ASSERT_NE(img, nullptr);
    EXPECT_EQ(vq_pixmap_width(doc.get(), img), 100);
    EXPECT_EQ(vq_pixmap_height(doc.get(), img), 200);
    EXPECT_EQ(vq_pixmap_components(doc.get(), img), 4);
    // View x = -2·y, view y = 2·x, and the pixmap starts at view x = -100: the page's top-left
    // corner lands in the top-right corner of the image.
    Bgra red = pixel(doc.get(), img, 90, 10);  // page point (5, 5)
    EXPECT_EQ(red.r, 255);
    EXPECT_EQ(red.g, 0);
    EXPECT_EQ(red.b, 0);
    EXPECT_EQ(red.a, 255);
    Bgra white = pixel(doc.get(), img, 10, 10); // page point (5, 45)
    EXPECT_EQ(white.r, 255);
    EXPECT_EQ(white.g, 255);
    EXPECT_EQ(white.b, 255);
    vq_page_drop_display_image(doc.get(), page, img);

    // The transforms agree with the rendering.
    vq_point p{5, 5};
    vq_transform_point(&p, 2, 90);
    EXPECT_FLOAT_EQ(p.x, -10);
    EXPECT_FLOAT_EQ(p.y, 10);
    vq_invert_point(&p, 2, 90);
    EXPECT_NEAR(p.x, 5, 1e-4);
    EXPECT_NEAR(p.y, 5, 1e-4);
    vq_rect r{0, 0, 10, 20};
    vq_transform_rect(&r, 2, 90);
    EXPECT_FLOAT_EQ(r.x0, -40);
    EXPECT_FLOAT_EQ(r.x1, 0);
    EXPECT_FLOAT_EQ(r.y1, 20);
    vq_invert_rect(&r, 2, 90);
    EXPECT_NEAR(r.x1, 10, 1e-4);
    EXPECT_NEAR(r.y1, 20, 1e-4);
}

TEST(EngineRender, AreaOfTheDisplayImage)
{
    DocPtr doc = openBytes(cornerPage());
    ASSERT_TRUE(doc);
    vq_document_cut_page(doc.get());
    vq_page* page = vq_page_index(doc.get(), 0);
    vq_rect whole{0, 0, 10, 10};
    vq_page_image* img = vq_page_display_image(doc.get(), page, &whole, 1, 0);
    ASSERT_NE(img, nullptr);
    EXPECT_EQ(vq_pixmap_width(doc.get(), img), 10);
    EXPECT_EQ(vq_pixmap_height(doc.get(), img), 10);
    EXPECT_EQ(pixel(doc.get(), img, 5, 5).g, 0) << "all red";
    vq_rect half{0.5f, 0.5f, 10.5f, 10.5f};
    img = vq_page_display_image(doc.get(), page, &half, 1, 0);
    ASSERT_NE(img, nullptr);
    EXPECT_EQ(vq_pixmap_width(doc.get(), img), 11);
    EXPECT_EQ(vq_pixmap_height(doc.get(), img), 11);
    vq_page_drop_display_image(doc.get(), page, img);
}

// Contents: a red square at the left; an annotation with its own appearance: a blue square at
// the right.
static std::string contentAndAnnotation()
{
    PdfBuilder b;
    b.add("<< /Type /Catalog /Pages 2 0 R >>");
    b.add("<< /Type /Pages /Kids [3 0 R] /Count 1 >>");
    b.add("<< /Type /Page /Parent 2 0 R /MediaBox [0 0 100 50] /Contents 4 0 R /Annots [5 0 R] >>");
    b.add(PdfBuilder::stream("1 0 0 rg 0 0 40 50 re f"));
    b.add("<< /Type /Annot /Subtype /Square /Rect [60 0 100 50] /F 4 /AP << /N 6 0 R >> >>");
    b.add(PdfBuilder::stream("0 0 1 rg 0 0 40 50 re f", "/Type /XObject /Subtype /Form /BBox [0 0 40 50]"));
    return b.build(1);
}

TEST(EngineRender, ColourAndGrayPixmapsByLayer)
{
    DocPtr doc = openBytes(contentAndAnnotation());
    ASSERT_TRUE(doc);
    vq_document_cut_page(doc.get());
    vq_page* page = vq_page_index(doc.get(), 0);
    ASSERT_NE(page, nullptr);

    struct Case
    {
        vq_pixmap_render_type type;
        bool red, blue;
    };
    const Case cases[] = {{VQ_RENDER_ALL, true, true},
                          {VQ_RENDER_CONTENT, true, false},
                          {VQ_RENDER_ANNOTATION, false, true},
                          {VQ_RENDER_ALL, true, true}};
    for (const Case& c : cases)
    {
        SCOPED_TRACE(static_cast<int>(c.type));
        vq_pixmap* rgb = vq_page_generate_pixmap(doc.get(), page, c.type, VQ_COLORSPACE_RGB, 1, 0);
        ASSERT_NE(rgb, nullptr);
        ASSERT_EQ(vq_pixmap_width(doc.get(), rgb), 100);
        Bgra left = pixel(doc.get(), rgb, 20, 25);
        Bgra right = pixel(doc.get(), rgb, 80, 25);
        EXPECT_EQ(left.r, 255);
        EXPECT_EQ(left.g == 0 && left.b == 0, c.red);
        EXPECT_EQ(right.b, 255);
        EXPECT_EQ(right.r == 0 && right.g == 0, c.blue);
        EXPECT_EQ(pixel(doc.get(), rgb, 50, 25).g, 255) << "white between";

        vq_pixmap* gray = vq_page_generate_pixmap(doc.get(), page, c.type, VQ_COLORSPACE_GRAY, 1, 0);
        ASSERT_NE(gray, nullptr);
        EXPECT_EQ(vq_pixmap_components(doc.get(), gray), 2);
        const unsigned char* g = vq_pixmap_sample(doc.get(), gray);
        const int w = vq_pixmap_width(doc.get(), gray);
        const int leftGray = g[(25 * w + 20) * 2];
        EXPECT_EQ(leftGray < 128, c.red);
        EXPECT_EQ(g[(25 * w + 50) * 2], 255);
        EXPECT_EQ(g[(25 * w + 50) * 2 + 1], 255) << "opaque";

        vq_pixmap* converted = vq_pixmap_convert(doc.get(), gray);
        ASSERT_NE(converted, nullptr);
        EXPECT_EQ(vq_pixmap_components(doc.get(), converted), 4);
        vq_pixmap_free(doc.get(), converted);
        vq_pixmap_free(doc.get(), gray);
        vq_pixmap_free(doc.get(), rgb);
    }
    // After a contents-only print the display image still shows the annotation.
    vq_pixmap* contentOnly = vq_page_generate_pixmap(doc.get(), page, VQ_RENDER_CONTENT, VQ_COLORSPACE_RGB, 1, 0);
    vq_pixmap_free(doc.get(), contentOnly);
    vq_page_image* img = vq_page_display_image(doc.get(), page, nullptr, 1, 0);
    ASSERT_NE(img, nullptr);
    EXPECT_EQ(pixel(doc.get(), img, 80, 25).r, 0);
    vq_page_drop_display_image(doc.get(), page, img);
    vq_pixmap_free(doc.get(), nullptr);
}

TEST(EngineRender, PageTreeWithCycleAndEmptyNode)
{
    PdfBuilder b;
    b.add("<< /Type /Catalog /Pages 2 0 R >>");                                       // 1
    b.add("<< /Type /Pages /Kids 3 0 R /Count 2 >>");                                 // 2
    b.add("[4 0 R 5 0 R 6 0 R]");                                                     // 3 the root's kids
    b.add("<< /Type /Page /Parent 2 0 R /MediaBox [0 0 10 20] >>");                   // 4
    b.add("<< /Type /Pages /Parent 2 0 R /Kids 3 0 R /Count 1 >>");                   // 5 cycle
    b.add("<< /Type /Pages /Parent 2 0 R /Kids [7 0 R] /Count 0 >>");                 // 6 empty
    b.add("<< /Type /Page /Parent 6 0 R /MediaBox [0 0 30 40] >>");                   // 7
    int code = -1;
    DocPtr doc = openBytes(b.build(1), &code);
    if (!doc)
    {
        EXPECT_NE(code, VQ_OK);
        return;
    }
    vq_document_cut_page(doc.get());
    vq_rect box;
    vq_page_mediabox(doc.get(), 0, &box);
    EXPECT_FLOAT_EQ(box.x1, 10);
    EXPECT_FLOAT_EQ(box.y1, 20);
}

// A long document read page after page, in any order, finds each page itself: beyond the first
// few pages the library's page-number map is used, over a tree of two levels.
TEST(EnginePages, EveryPageOfALongNestedTreeIsItself)
{
    const int perNode = 20, nodes = 2, total = perNode * nodes;
    PdfBuilder b;
    const int catalog = b.reserve();
    const int root = b.reserve();
    std::string nodeRefs;
    for (int n = 0; n < nodes; n++)
    {
        const int node = b.reserve();
        nodeRefs += std::to_string(node) + " 0 R ";
        std::string kids;
        for (int i = 0; i < perNode; i++)
        {
            const int number = n * perNode + i;
            const int widget = b.add("<< /Type /Annot /Subtype /Widget /FT /Tx /T (p" + std::to_string(number) +
                                     ") /Rect [10 10 60 30] >>");
            kids += std::to_string(b.add("<< /Type /Page /Parent " + std::to_string(node) +
                                         " 0 R /MediaBox [0 0 200 100] /Annots [" + std::to_string(widget) +
                                         " 0 R] >>")) +
                    " 0 R ";
        }
        b.set(node, "<< /Type /Pages /Parent " + std::to_string(root) + " 0 R /Kids [" + kids + "] /Count " +
                        std::to_string(perNode) + " >>");
    }
    b.set(root, "<< /Type /Pages /Kids [" + nodeRefs + "] /Count " + std::to_string(total) + " >>");
    b.set(catalog, "<< /Type /Catalog /Pages " + std::to_string(root) + " 0 R >>");
    DocPtr doc = openBytes(b.build(catalog));
    ASSERT_TRUE(doc);
    vq_document_cut_page(doc.get());
    ASSERT_EQ(vq_document_page_count(doc.get()), total);
    std::vector<int> order;
    for (int i = total - 1; i >= 0; i -= 3)
        order.push_back(i);
    for (int i = 0; i < total; i++)
        order.push_back(i);
    for (int i : order)
    {
        vq_page* page = vq_page_index(doc.get(), i);
        ASSERT_NE(page, nullptr) << i;
        vq_field* f = vq_field_first(doc.get(), page);
        ASSERT_NE(f, nullptr) << i;
        char* name = vq_field_get_name(doc.get(), f);
        EXPECT_STREQ(name, ("p" + std::to_string(i)).c_str());
        vq_field_drop_name(doc.get(), name);
    }
}

// ---- outline ----

static std::string outlinedDocument()
{
    PdfBuilder b;
    b.add("<< /Type /Catalog /Pages 2 0 R /Outlines 5 0 R >>");                              // 1
    b.add("<< /Type /Pages /Kids [3 0 R 4 0 R] /Count 2 >>");                                // 2
    b.add("<< /Type /Page /Parent 2 0 R /MediaBox [0 0 200 100] >>");                        // 3
    b.add("<< /Type /Page /Parent 2 0 R /MediaBox [0 0 200 100] >>");                        // 4
    b.add("<< /Type /Outlines /First 6 0 R /Last 9 0 R /Count 4 >>");                        // 5
    b.add("<< /Title (Chapter 1) /Parent 5 0 R /Next 7 0 R /Dest [3 0 R /XYZ 20 80 0] >>");  // 6
    b.add("<< /Title (Chapter 2) /Parent 5 0 R /Prev 6 0 R /Next 9 0 R /First 8 0 R /Last 8 0 R /Count 1 "
          "/A << /S /GoTo /D [4 0 R /Fit] >> >>");                                           // 7
    b.add("<< /Title (Section 2.1) /Parent 7 0 R /Dest [4 0 R /XYZ 0 50 0] >>");            // 8
    b.add("<< /Title (Web) /Parent 5 0 R /Prev 7 0 R /Next 10 0 R /A << /S /URI /URI (https://example.org/) >> >>"); // 9
    b.add("<< /Title (Nowhere) /Parent 5 0 R /Prev 9 0 R >>");                               // 10
    return b.build(1);
}

TEST(EngineOutline, ItemsPagesAndPoints)
{
    DocPtr doc = openBytes(outlinedDocument());
    ASSERT_TRUE(doc);
    vq_outline* first = vq_document_outline(doc.get());
    ASSERT_NE(first, nullptr);
    EXPECT_STREQ(vq_outline_title(first), "Chapter 1");
    EXPECT_EQ(vq_outline_goto_page(first), 0);
    vq_point pt = vq_outline_goto_page_point(first);
    EXPECT_FLOAT_EQ(pt.x, 20);
    EXPECT_FLOAT_EQ(pt.y, 20) << "page space: y from the top";
    EXPECT_EQ(vq_outline_child(first), nullptr);

    vq_outline* second = vq_outline_next(first);
    ASSERT_NE(second, nullptr);
    EXPECT_STREQ(vq_outline_title(second), "Chapter 2");
    EXPECT_EQ(vq_outline_goto_page(second), 1);
    EXPECT_NE(vq_outline_is_open(second), 0);
    vq_outline* child = vq_outline_child(second);
    ASSERT_NE(child, nullptr);
    EXPECT_STREQ(vq_outline_title(child), "Section 2.1");
    EXPECT_EQ(vq_outline_goto_page(child), 1);
    EXPECT_EQ(vq_outline_next(child), nullptr);

    vq_outline* web = vq_outline_next(second);
    ASSERT_NE(web, nullptr);
    EXPECT_EQ(vq_outline_goto_page(web), -1);
    EXPECT_STREQ(vq_outline_url(web), "https://example.org/");
    vq_outline* nowhere = vq_outline_next(web);
    ASSERT_NE(nowhere, nullptr);
    EXPECT_EQ(vq_outline_goto_page(nowhere), -1);
    EXPECT_EQ(vq_outline_next(nowhere), nullptr);

    vq_outline* again = vq_doucment_outline(doc.get());
    EXPECT_NE(again, first) << "every call builds its own tree";
    EXPECT_STREQ(vq_outline_title(again), "Chapter 1");

    DocPtr plain = openBytes(onePage());
    EXPECT_EQ(vq_document_outline(plain.get()), nullptr);
}

// ---- the document lock ----

TEST(EngineLock, RenderThreadAndCallerShareADocument)
{
    std::vector<PageSpec> pages(6);
    for (PageSpec& p : pages)
        p.content = "0 0 1 rg 10 10 80 30 re f BT /F1 10 Tf 5 5 Td (Lock) Tj ET";
    DocPtr doc = openBytes(simpleDocument(pages));
    ASSERT_TRUE(doc);
    vq_document_cut_page(doc.get());
    std::atomic<bool> stop{false};
    std::atomic<int> rendered{0};
    std::thread renderer([&] {
        for (int round = 0; round < 20; round++)
            for (int i = 0; i < 6; i++)
            {
                vq_lock(doc.get()); // the facade's sequence: index, render, copy, drop
                vq_page* page = vq_page_index(doc.get(), i);
                vq_page_image* img = vq_page_display_image(doc.get(), page, nullptr, 0.5f + 0.1f * round, 0);
                if (img && vq_pixmap_width(doc.get(), img) > 0)
                    rendered++;
                vq_page_drop_display_image(doc.get(), page, img);
                vq_unlock(doc.get());
            }
        stop = true;
    });
    int questions = 0;
    while (!stop)
    {
        vq_rect box;
        vq_page_mediabox(doc.get(), questions % 6, &box);
        EXPECT_FLOAT_EQ(box.x1, 200);
        EXPECT_EQ(vq_document_page_count(doc.get()), 6);
        vq_pixmap* pix = vq_page_generate_pixmap(doc.get(), vq_page_index(doc.get(), questions % 6), VQ_RENDER_ALL,
                                                 VQ_COLORSPACE_GRAY, 0.3f, 0);
        vq_pixmap_free(doc.get(), pix);
        vq_page_update(doc.get(), questions % 6);
        questions++;
    }
    renderer.join();
    EXPECT_EQ(rendered.load(), 120);
    EXPECT_GT(questions, 0);
}
