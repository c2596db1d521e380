// Generated appearance streams, read back from the document and parsed: annotation drawing,
// pictures and signature layers, a PDF page and a text line as appearances, the CJK font,
// form fields; and an annotated, sealed document rendered by the engine and by pdftoppm.
#include "EngineTestSupport.h"
#include "PdfParse.h"
#include "vq-pdf-testing.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <sstream>

using namespace fixture;
using pdfparse::Obj;
using pdfparse::Op;

namespace {

// ---- helpers ------------------------------------------------------------------------------

std::string appearanceText(vq_document* d, int page, int idx)
{
    char* t = vq_test_annot_appearance(d, page, idx);
    std::string s = t ? t : "";
    vq_test_free(t);
    return s;
}

std::string objectText(vq_document* d, int num)
{
    char* t = vq_test_object_text(d, num);
    std::string s = t ? t : "";
    vq_test_free(t);
    return s;
}

struct Appearance
{
    Obj annot;
    std::map<std::string, Obj> forms;             // "N", "N/FRM", …
    std::map<std::string, std::string> contents;  // raw content per form
    std::map<std::string, std::vector<Op>> ops;   // parsed content per form
    bool ok = false;
};

Appearance readAppearance(vq_document* d, int page, int idx)
{
    Appearance a;
    std::string text = appearanceText(d, page, idx);
    if (text.empty())
        return a;
    auto secs = pdfparse::sections(text);
    a.annot = pdfparse::parse(secs["Annot"]);
    for (auto& [name, body] : secs)
    {
        if (name == "Annot")
            continue;
        const std::string suffix = " content";
        if (name.size() > suffix.size() && name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0)
        {
            std::string form = name.substr(0, name.size() - suffix.size());
            // The seam puts one line end before the next header; the stream itself ends before it.
            std::string c = body;
            if (!c.empty() && c.back() == '\n')
                c.pop_back();
            a.contents[form] = c;
            a.ops[form] = pdfparse::content(c);
        }
        else
            a.forms[name] = pdfparse::parse(body);
    }
    a.ok = true;
    return a;
}

std::vector<const Op*> opsNamed(const std::vector<Op>& ops, const std::string& name)
{
    std::vector<const Op*> out;
    for (const Op& o : ops)
        if (o.op == name)
            out.push_back(&o);
    return out;
}

// The graphics state selected by the first "gs" before the first painting operator `paint`.
Obj stateBefore(const Appearance& a, const std::string& form, const std::string& paint)
{
    std::string gs;
    for (const Op& o : a.ops.at(form))
    {
        if (o.op == "gs" && !o.args.empty())
            gs = o.args[0].text;
        if (o.op == paint)
            break;
    }
    return a.forms.at(form)["Resources"]["ExtGState"][gs];
}

void expectRect(const Obj& r, double x0, double y0, double x1, double y1, double tol = 0.01)
{
    ASSERT_EQ(r.items.size(), 4u);
    EXPECT_NEAR(r[0].num, x0, tol);
    EXPECT_NEAR(r[1].num, y0, tol);
    EXPECT_NEAR(r[2].num, x1, tol);
    EXPECT_NEAR(r[3].num, y1, tol);
}

// A one-page document (MediaBox [0 0 W H], /Rotate rot) with the given annotation
// dictionaries; an AcroForm lists the widgets among them.
struct Doc
{
    std::string bytes;
    std::vector<int> annotNums;
    int pageNum = 0;
};

Doc makeDoc(const std::vector<std::string>& annots, int W = 400, int H = 300, int rot = 0,
            const std::string& acroExtra = "/DR << /Font << >> >>")
{
    PdfBuilder b;
    Doc doc;
    const int catalog = b.reserve();
    const int tree = b.reserve();
    const int page = b.reserve();
    std::string refs, widgets;
    for (const std::string& a : annots)
    {
        int n = b.add("<< /Type /Annot /P " + std::to_string(page) + " 0 R " + a + " >>");
        doc.annotNums.push_back(n);
        refs += std::to_string(n) + " 0 R ";
        if (a.find("/Widget") != std::string::npos)
            widgets += std::to_string(n) + " 0 R ";
    }
    b.set(page, "<< /Type /Page /Parent " + std::to_string(tree) + " 0 R /MediaBox [0 0 " + std::to_string(W) + " " +
                    std::to_string(H) + "] /Rotate " + std::to_string(rot) + " /Annots [" + refs + "] >>");
    b.set(tree, "<< /Type /Pages /Kids [" + std::to_string(page) + " 0 R] /Count 1 >>");
    b.set(catalog, "<< /Type /Catalog /Pages " + std::to_string(tree) + " 0 R /AcroForm << /Fields [" + widgets + "] " +
                       acroExtra + " >> >>");
    doc.pageNum = page;
    doc.bytes = b.build(catalog);
    return doc;
}

DocPtr openLoaded(const std::string& bytes)
{
    DocPtr d = openBytes(bytes);
    if (d)
    {
        vq_document_cut_page(d.get());
        vq_page_index(d.get(), 0);
    }
    return d;
}

// ---- a small PNG writer (RGB or RGBA, 8 bits) ------------------------------------------------

void putU32(std::string& s, uint32_t v)
{
    for (int i = 3; i >= 0; --i)
        s += static_cast<char>((v >> (i * 8)) & 0xFF);
}

void chunk(std::string& out, const char* type, const std::string& data)
{
    putU32(out, static_cast<uint32_t>(data.size()));
    std::string td = std::string(type, 4) + data;
    out += td;
    putU32(out, static_cast<uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(td.data()), static_cast<uInt>(td.size()))));
}

// pixel(x, y) returns 0xRRGGBBAA.
template <typename F>
std::string makePng(int w, int h, bool alpha, F pixel)
{
    std::string raw;
    for (int y = 0; y < h; ++y)
    {
        raw += '\0';
        for (int x = 0; x < w; ++x)
        {
            uint32_t p = pixel(x, y);
            raw += static_cast<char>(p >> 24);
            raw += static_cast<char>(p >> 16);
            raw += static_cast<char>(p >> 8);
            if (alpha)
                raw += static_cast<char>(p);
        }
    }
    uLongf zlen = compressBound(static_cast<uLong>(raw.size()));
    std::string z(zlen, '\0');
    compress(reinterpret_cast<Bytef*>(&z[0]), &zlen, reinterpret_cast<const Bytef*>(raw.data()), raw.size());
    z.resize(zlen);
    std::string out = "\x89PNG\r\n\x1a\n";
    std::string ihdr;
    putU32(ihdr, static_cast<uint32_t>(w));
    putU32(ihdr, static_cast<uint32_t>(h));
    ihdr += static_cast<char>(8);
    ihdr += static_cast<char>(alpha ? 6 : 2);
    ihdr += std::string(3, '\0');
    chunk(out, "IHDR", ihdr);
    chunk(out, "IDAT", z);
    chunk(out, "IEND", std::string());
    return out;
}

// A red seal: a ring on a transparent ground (alpha) or on white (opaque).
std::string sealPng(bool alpha, int size = 40)
{
    return makePng(size, size, alpha, [size, alpha](int x, int y) -> uint32_t {
        double dx = x - size / 2.0 + 0.5, dy = y - size / 2.0 + 0.5;
        double r = std::sqrt(dx * dx + dy * dy);
        bool ring = r < size / 2.0 - 1 && r > size / 2.0 - 6;
        bool dot = r < 4;
        if (ring || dot)
            return 0xD01010FFu;
        return alpha ? 0xFFFFFF00u : 0xFFFFFFFFu;
    });
}

// Page space -> PDF user space on a page [0 0 W H] with /Rotate rot.
std::pair<double, double> toPdf(double px, double py, int W, int H, int rot)
{
    switch (rot)
    {
    case 90: return {py, px};
    case 180: return {W - px, py};
    case 270: return {W - py, H - px};
    default: return {px, H - py};
    }
}

std::vector<double> pageRectToPdf(double x0, double y0, double x1, double y1, int W, int H, int rot)
{
    auto a = toPdf(x0, y0, W, H, rot), b = toPdf(x1, y1, W, H, rot);
    return {std::min(a.first, b.first), std::min(a.second, b.second), std::max(a.first, b.first),
            std::max(a.second, b.second)};
}

std::string rectText(const std::vector<double>& r)
{
    std::ostringstream s;
    s << "[" << r[0] << " " << r[1] << " " << r[2] << " " << r[3] << "]";
    return s.str();
}

vq_field* firstField(vq_document* d)
{
    return vq_field_first(d, vq_page_index(d, 0));
}

const std::string kSigWidget = "/Subtype /Widget /FT /Sig /T (seal) /F 4";

} // namespace

// ---- annotations ------------------------------------------------------------------------------

struct InkCase
{
    const char* border;
    double width;
    std::vector<double> rect;
};

class InkAppearance : public ::testing::TestWithParam<InkCase>
{
};

TEST_P(InkAppearance, BoxGrowsByTwoWidthsAndStrokeIsRoundMultiplied)
{
    const InkCase& c = GetParam();
    Doc doc = makeDoc({std::string("/Subtype /Ink /Rect [0 0 1 1] /C [1 0 0] /CA 0.5 ") + c.border +
                       " /InkList [[10 10 20 20 30 10]]"});
    DocPtr d = openLoaded(doc.bytes);
    ASSERT_TRUE(d);
    Appearance a = readAppearance(d.get(), 0, 0);
    ASSERT_TRUE(a.ok);
    expectRect(a.annot["Rect"], c.rect[0], c.rect[1], c.rect[2], c.rect[3]);
    expectRect(a.forms["N"]["BBox"], c.rect[0], c.rect[1], c.rect[2], c.rect[3]);
    const auto& ops = a.ops["N"];
    ASSERT_EQ(opsNamed(ops, "w").size(), 1u);
    EXPECT_DOUBLE_EQ(opsNamed(ops, "w")[0]->n(0), c.width);
    EXPECT_EQ(opsNamed(ops, "J")[0]->n(0), 1);
    EXPECT_EQ(opsNamed(ops, "j")[0]->n(0), 1);
    EXPECT_EQ(opsNamed(ops, "m").size(), 1u);
    EXPECT_EQ(opsNamed(ops, "c").size(), 2u);
    EXPECT_EQ(opsNamed(ops, "l").size(), 1u);
    EXPECT_EQ(opsNamed(ops, "S").size(), 1u);
    const Op* rg = opsNamed(ops, "RG").at(0);
    EXPECT_EQ(rg->n(0), 1);
    EXPECT_EQ(rg->n(1), 0);
    Obj gs = stateBefore(a, "N", "S");
    EXPECT_DOUBLE_EQ(gs["CA"].num, 0.5);
    EXPECT_EQ(gs["BM"].text, "Multiply");
}

INSTANTIATE_TEST_SUITE_P(Widths, InkAppearance,
                         ::testing::Values(InkCase{"/BS << /W 2 >>", 2, {6, 6, 34, 24}},
                                           InkCase{"/BS << /W 0 >>", 1, {8, 8, 32, 22}},
                                           InkCase{"", 1, {8, 8, 32, 22}}));

TEST(HighlightAppearance, FilledQuadWithMultiplyBorderAndPage)
{
    Doc doc = makeDoc({"/Subtype /Highlight /Rect [10 10 110 30] /C [1 1 0] /CA 0.4 "
                       "/QuadPoints [10 30 110 30 10 10 110 10]",
                       "/Subtype /Highlight /Rect [10 40 110 60] /QuadPoints [10 60 110 60 10 40 110 40 1 2 3 4]"});
    DocPtr d = openLoaded(doc.bytes);
    ASSERT_TRUE(d);
    Appearance a = readAppearance(d.get(), 0, 0);
    ASSERT_TRUE(a.ok);
    EXPECT_EQ(a.annot["Border"].nums(), (std::vector<double>{0, 0, 1}));
    EXPECT_EQ(a.annot["P"].kind, Obj::Ref);
    EXPECT_EQ(a.annot["P"].ref, doc.pageNum);
    expectRect(a.forms["N"]["BBox"], 10, 10, 110, 30);
    const auto& ops = a.ops["N"];
    ASSERT_EQ(opsNamed(ops, "f").size(), 1u);
    EXPECT_EQ(opsNamed(ops, "m").size(), 1u);
    EXPECT_EQ(opsNamed(ops, "l").size(), 3u);
    EXPECT_EQ(opsNamed(ops, "rg").size(), 1u);
    Obj gs = stateBefore(a, "N", "f");
    EXPECT_DOUBLE_EQ(gs["ca"].num, 0.4);
    EXPECT_EQ(gs["BM"].text, "Multiply");
    // Twelve numbers are no quadrilaterals: no appearance is written for it.
    EXPECT_FALSE(readAppearance(d.get(), 0, 1).ok);
}

struct MarkupCase
{
    const char* subtype;
    std::vector<double> heights;     // quadrilateral heights, each starting at y = 100
    std::vector<double> widths;      // expected stroke widths, one per stroked path
    double offset;                   // line height above the lower edge of the first quad
    size_t moves;
};

class MarkupAppearance : public ::testing::TestWithParam<MarkupCase>
{
};

TEST_P(MarkupAppearance, LinePositionAndWidthFollowWholeQuadHeight)
{
    const MarkupCase& c = GetParam();
    std::string qp;
    double x = 10;
    for (double h : c.heights)
    {
        std::ostringstream s;
        s << x << " " << 100 + h << " " << x + 50 << " " << 100 + h << " " << x << " 100 " << x + 50 << " 100 ";
        qp += s.str();
        x += 60;
    }
    Doc doc = makeDoc({std::string("/Subtype /") + c.subtype + " /Rect [0 0 1 1] /C [0 0 1] /QuadPoints [" + qp + "]"});
    DocPtr d = openLoaded(doc.bytes);
    ASSERT_TRUE(d);
    Appearance a = readAppearance(d.get(), 0, 0);
    ASSERT_TRUE(a.ok);
    const auto& ops = a.ops["N"];
    auto ws = opsNamed(ops, "w");
    ASSERT_EQ(ws.size(), c.widths.size());
    for (size_t i = 0; i < ws.size(); ++i)
        EXPECT_NEAR(ws[i]->n(0), c.widths[i], 1e-4);
    EXPECT_EQ(opsNamed(ops, "S").size(), c.widths.size());
    auto ms = opsNamed(ops, "m");
    ASSERT_EQ(ms.size(), c.moves);
    EXPECT_NEAR(ms[0]->n(1), 100 + c.offset, 1e-4);
    EXPECT_NEAR(opsNamed(ops, "l")[0]->n(1), 100 + c.offset, 1e-4);
    // /Rect becomes the bounding box of the quadrilaterals.
    expectRect(a.annot["Rect"], 10, 100, x - 10, 100 + *std::max_element(c.heights.begin(), c.heights.end()));
    EXPECT_EQ(stateBefore(a, "N", "S")["BM"].text, "Multiply");
}

INSTANTIATE_TEST_SUITE_P(Quads, MarkupAppearance,
                         ::testing::Values(MarkupCase{"Underline", {10.6}, {0.7}, 0.075, 1},
                                           MarkupCase{"StrikeOut", {10.6}, {0.7}, 3.75, 1},
                                           MarkupCase{"Underline", {10, 20}, {0.7, 1.4}, 0.075, 2},
                                           MarkupCase{"Underline", {10, 10}, {0.7}, 0.075, 2},
                                           MarkupCase{"Underline", {0.9}, {0}, 0, 1}));

TEST(SquareAppearance, StrokeInsideRectWithSquareCapsAndMitreJoins)
{
    Doc doc = makeDoc({"/Subtype /Square /Rect [0 0 100 50] /BS << /W 4 >> /C [0 0 1] /IC [1 1 0]"});
    DocPtr d = openLoaded(doc.bytes);
    ASSERT_TRUE(d);
    Appearance a = readAppearance(d.get(), 0, 0);
    ASSERT_TRUE(a.ok);
    expectRect(a.annot["Rect"], 0, 0, 100, 50);
    const auto& ops = a.ops["N"];
    auto re = opsNamed(ops, "re");
    ASSERT_EQ(re.size(), 2u); // filled, then stroked
    EXPECT_EQ((std::vector<double>{re[1]->n(0), re[1]->n(1), re[1]->n(2), re[1]->n(3)}),
              (std::vector<double>{2, 2, 96, 46}));
    EXPECT_EQ(opsNamed(ops, "w")[0]->n(0), 4);
    EXPECT_EQ(opsNamed(ops, "J")[0]->n(0), 2);
    EXPECT_EQ(opsNamed(ops, "j")[0]->n(0), 0);
    EXPECT_EQ(opsNamed(ops, "f").size(), 1u);
    EXPECT_EQ(opsNamed(ops, "S").size(), 1u);
}

TEST(AnnotationAppearance, UnchangedDocumentIsNotRewrittenOnLoad)
{
    Doc doc = makeDoc({"/Subtype /Ink /Rect [0 0 1 1] /C [1 0 0] /InkList [[10 10 20 20]]"});
    DocPtr d = openLoaded(doc.bytes);
    ASSERT_TRUE(d);
    // Save the generated appearance, reopen: the reloaded page writes nothing new.
    int code = -1;
    vq_buffer* saved = vq_document_saveas_stream(d.get(), 0, &code);
    ASSERT_EQ(code, 0);
    char* data = nullptr;
    size_t len = vq_buffer_storage(d.get(), saved, &data);
    std::string bytes(data, len);
    vq_buffer_drop(d.get(), saved);
    DocPtr again = openLoaded(bytes);
    ASSERT_TRUE(again);
    EXPECT_EQ(vq_document_has_unsaved(again.get()), 0);
}

struct ShapeCase
{
    const char* annot;
    const char* paint;  // the painting operator that must be present
    size_t curves;      // "c" operators
    size_t moves;       // "m" operators
    int cap;            // line cap of the stroke, -1 when not set
    std::vector<double> rect;
};

class ShapeAppearance : public ::testing::TestWithParam<ShapeCase>
{
};

TEST_P(ShapeAppearance, PathsCapsAndBoxes)
{
    const ShapeCase& c = GetParam();
    Doc doc = makeDoc({c.annot});
    DocPtr d = openLoaded(doc.bytes);
    ASSERT_TRUE(d);
    Appearance a = readAppearance(d.get(), 0, 0);
    ASSERT_TRUE(a.ok);
    const auto& ops = a.ops["N"];
    EXPECT_FALSE(opsNamed(ops, c.paint).empty());
    EXPECT_EQ(opsNamed(ops, "c").size(), c.curves);
    EXPECT_EQ(opsNamed(ops, "m").size(), c.moves);
    if (c.cap >= 0) {
        EXPECT_EQ(opsNamed(ops, "J").at(0)->n(0), c.cap);
    }
    expectRect(a.annot["Rect"], c.rect[0], c.rect[1], c.rect[2], c.rect[3], 0.05);
    EXPECT_EQ(stateBefore(a, "N", c.paint)["BM"].text, "Multiply");
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, ShapeAppearance,
    ::testing::Values(
        // A circle: four curves, round caps, inside its rectangle.
        ShapeCase{"/Subtype /Circle /Rect [0 0 100 50] /BS << /W 2 >>", "S", 4, 1, 1, {0, 0, 100, 50}},
        // A line with any /LE gets an open arrow head at its end: a second sub-path.
        ShapeCase{"/Subtype /Line /Rect [0 0 1 1] /L [10 10 110 10] /LE [/None /None]", "S", 0, 2, 2,
                  {10 - 1, 10 - 5 * std::sin(0.5) - 1, 111, 10 + 5 * std::sin(0.5) + 1}},
        ShapeCase{"/Subtype /Line /Rect [0 0 1 1] /L [10 10 110 10] /BS << /W 2 >>", "S", 0, 1, 2, {8, 8, 112, 12}},
        // A polygon drawn from its strokes, red by default.
        ShapeCase{"/Subtype /Polygon /Rect [0 0 1 1] /InkList [[10 10 50 10 30 40]]", "S", 2, 1, 1, {8, 8, 52, 42}},
        // A polygon that keeps its points in /Vertices is drawn closed.
        ShapeCase{"/Subtype /Polygon /Rect [0 0 1 1] /Vertices [10 10 50 10 30 40]", "s", 0, 1, 1, {8, 8, 52, 42}},
        // The note icon: frame and bubble, each filled and then stroked.
        ShapeCase{"/Subtype /Text /Rect [100 100 120 120]", "f", 16, 4, -1, {100, 100, 120, 120}}));

TEST(TextNoteAppearance, IconScaledByRectOverFrameBounds)
{
    Doc doc = makeDoc({"/Subtype /Text /Rect [100 100 120 120]"});
    DocPtr d = openLoaded(doc.bytes);
    ASSERT_TRUE(d);
    Appearance a = readAppearance(d.get(), 0, 0);
    ASSERT_TRUE(a.ok);
    const Op* cm = opsNamed(a.ops["N"], "cm").at(0);
    EXPECT_NEAR(cm->n(0), 20.0 / 390, 1e-6);
    // The icon's centre (200, 200) lands on the centre of /Rect.
    EXPECT_NEAR(200 * cm->n(0) + cm->n(4), 110, 1e-3);
    EXPECT_NEAR(200 * cm->n(3) + cm->n(5), 110, 1e-3);
    auto rg = opsNamed(a.ops["N"], "rg");
    EXPECT_EQ((std::vector<double>{rg.at(0)->n(0), rg[0]->n(1), rg[0]->n(2)}), (std::vector<double>{1, 1, 0}));
}

TEST(FreeTextAppearance, TextOnOneLineAndNoFontNameKeepsOldAppearance)
{
    Doc doc = makeDoc({"/Subtype /FreeText /Rect [50 50 250 80] /Contents (Note \\(1\\)) /DA (/Helv 14 Tf 0 0 1 rg)",
                       "/Subtype /FreeText /Rect [50 100 250 130] /Contents (x) /DA (0 g)"});
    DocPtr d = openLoaded(doc.bytes);
    ASSERT_TRUE(d);
    Appearance a = readAppearance(d.get(), 0, 0);
    ASSERT_TRUE(a.ok);
    const auto& ops = a.ops["N"];
    EXPECT_EQ(opsNamed(ops, "Tf").at(0)->args.at(0).text, "Helv");
    EXPECT_EQ(opsNamed(ops, "Tf").at(0)->n(1), 14);
    EXPECT_EQ(opsNamed(ops, "Tj").at(0)->args.at(0).text, "Note (1)");
    const Op* td = opsNamed(ops, "Td").at(0);
    EXPECT_EQ(td->n(0), 50);
    EXPECT_GT(td->n(1), 50); // the baseline sits above the bottom edge by the descent
    EXPECT_LT(td->n(1), 50 + 14 * 0.4);
    EXPECT_EQ(opsNamed(ops, "rg").size(), 1u);
    EXPECT_FALSE(readAppearance(d.get(), 0, 1).ok);
}

// ---- pictures and signatures -----------------------------------------------------------------

struct SealCase
{
    int pageRotate;
    float rotation;
    std::vector<double> displayed; // expected rectangle in page space
};

class SealAppearance : public ::testing::TestWithParam<SealCase>
{
};

TEST_P(SealAppearance, PictureFillsRectAnchoredAtTopLeftUnderEveryPageRotation)
{
    const SealCase& c = GetParam();
    const int W = 400, H = 300;
    // A widget whose displayed rectangle starts at (100, 100).
    std::vector<double> start = pageRectToPdf(100, 100, 150, 150, W, H, c.pageRotate);
    Doc doc = makeDoc({kSigWidget + " /Rect " + rectText(start)}, W, H, c.pageRotate);
    DocPtr d = openLoaded(doc.bytes);
    ASSERT_TRUE(d);
    vq_field* f = firstField(d.get());
    ASSERT_NE(f, nullptr);
    std::string png = sealPng(true);
    ASSERT_EQ(vq_annot_set_appearance_imagedata(d.get(), f, reinterpret_cast<unsigned char*>(&png[0]),
                                                static_cast<int>(png.size()), 120, 80, 0.8f, c.rotation),
              0);
    Appearance a = readAppearance(d.get(), 0, 0);
    ASSERT_TRUE(a.ok);
    std::vector<double> want = pageRectToPdf(c.displayed[0], c.displayed[1], c.displayed[2], c.displayed[3], W, H,
                                             c.pageRotate);
    expectRect(a.annot["Rect"], want[0], want[1], want[2], want[3]);

    // Layers: outer form -> FRM -> n0 (blank) and n2 (the picture).
    EXPECT_EQ(a.contents["N"], "q 1 0 0 1 0 0 cm /FRM Do Q");
    EXPECT_EQ(a.contents["N/FRM"], "q 1 0 0 1 0 0 cm /n0 Do Q q 1 0 0 1 0 0 cm /n2 Do Q");
    EXPECT_EQ(a.contents["N/FRM/n0"], "% DSBlank");
    for (const char* form : {"N", "N/FRM", "N/FRM/n0", "N/FRM/n2"})
    {
        ASSERT_TRUE(a.forms.count(form)) << form;
        expectRect(a.forms[form]["BBox"], want[0], want[1], want[2], want[3]);
        EXPECT_EQ(a.forms[form]["Matrix"].nums(), (std::vector<double>{1, 0, 0, 1, 0, 0})) << form;
    }
    // The picture: drawn through the Multiply state at the opacity, with its transparency as
    // a soft mask, its unit square mapped exactly onto the rectangle.
    const auto& ops = a.ops["N/FRM/n2"];
    Obj gs = stateBefore(a, "N/FRM/n2", "Do");
    EXPECT_NEAR(gs["ca"].num, 0.8, 1e-6);
    EXPECT_EQ(gs["BM"].text, "Multiply");
    const Op* cm = opsNamed(ops, "cm").at(0);
    double xs[4], ys[4];
    const double us[4] = {0, 1, 0, 1}, vs[4] = {0, 0, 1, 1};
    for (int i = 0; i < 4; ++i)
    {
        xs[i] = us[i] * cm->n(0) + vs[i] * cm->n(2) + cm->n(4);
        ys[i] = us[i] * cm->n(1) + vs[i] * cm->n(3) + cm->n(5);
    }
    if (std::fmod(c.rotation, 90.0f) == 0)
    {
        EXPECT_NEAR(*std::min_element(xs, xs + 4), want[0], 0.01);
        EXPECT_NEAR(*std::min_element(ys, ys + 4), want[1], 0.01);
        EXPECT_NEAR(*std::max_element(xs, xs + 4), want[2], 0.01);
        EXPECT_NEAR(*std::max_element(ys, ys + 4), want[3], 0.01);
    }
    const Op* doOp = opsNamed(ops, "Do").at(0);
    Obj image = a.forms["N/FRM/n2"]["Resources"]["XObject"][doOp->args.at(0).text];
    EXPECT_EQ(image["Subtype"].text, "Image");
    EXPECT_TRUE(image.has("SMask"));
}

INSTANTIATE_TEST_SUITE_P(Rotations, SealAppearance,
                         ::testing::Values(SealCase{0, 0, {100, 100, 220, 180}}, SealCase{0, 90, {120, 80, 200, 200}},
                                           SealCase{90, 0, {100, 100, 220, 180}}, SealCase{90, 90, {120, 80, 200, 200}},
                                           SealCase{180, 0, {100, 100, 220, 180}},
                                           SealCase{180, 270, {120, 80, 200, 200}},
                                           SealCase{270, 0, {100, 100, 220, 180}},
                                           SealCase{270, 90, {120, 80, 200, 200}}));

TEST(SealAppearance, SquarePictureKeepsItsBoxAtAnyAngleAndOpaquePictureHasNoMask)
{
    Doc doc = makeDoc({kSigWidget + " /Rect [100 150 150 200]"});
    DocPtr d = openLoaded(doc.bytes);
    ASSERT_TRUE(d);
    vq_field* f = firstField(d.get());
    std::string png = sealPng(false);
    ASSERT_EQ(vq_annot_set_appearance_imagedata(d.get(), f, reinterpret_cast<unsigned char*>(&png[0]),
                                                static_cast<int>(png.size()), 100, 100, 1, 45),
              0);
    Appearance a = readAppearance(d.get(), 0, 0);
    ASSERT_TRUE(a.ok);
    // Displayed top-left (100, 100) on a 300-high page.
    expectRect(a.annot["Rect"], 100, 100, 200, 200);
    const Op* doOp = opsNamed(a.ops["N/FRM/n2"], "Do").at(0);
    EXPECT_FALSE(a.forms["N/FRM/n2"]["Resources"]["XObject"][doOp->args.at(0).text].has("SMask"));
}

TEST(SealAppearance, BytesThatAreNoPictureChangeNothing)
{
    Doc doc = makeDoc({kSigWidget + " /Rect [100 150 150 200]"});
    DocPtr d = openLoaded(doc.bytes);
    ASSERT_TRUE(d);
    vq_field* f = firstField(d.get());
    std::string junk = "this is not a picture at all";
    EXPECT_EQ(vq_annot_set_appearance_imagedata(d.get(), f, reinterpret_cast<unsigned char*>(&junk[0]),
                                                static_cast<int>(junk.size()), 100, 100, 1, 0),
              VQ_EXC_IMAGE_FORMAT);
    std::string widget = objectText(d.get(), doc.annotNums[0]);
    Obj w = pdfparse::parse(widget);
    expectRect(w["Rect"], 100, 150, 150, 200);
    EXPECT_FALSE(readAppearance(d.get(), 0, 0).ok && readAppearance(d.get(), 0, 0).contents["N"].find("/FRM") !=
                                                         std::string::npos);
    EXPECT_EQ(vq_annot_set_appearance_imagefile(d.get(), f, "/nonexistent/seal.png", 100, 100, 1, 0),
              VQ_EXC_IMAGE_FORMAT);
}

TEST(SealAppearance, PictureOnAnInkAnnotationHasNoLayers)
{
    Doc doc = makeDoc({"/Subtype /Square /Rect [10 10 60 60] /C [0 0 1]"});
    DocPtr d = openLoaded(doc.bytes);
    ASSERT_TRUE(d);
    vq_annot* an = vq_annot_first(d.get(), vq_page_index(d.get(), 0));
    ASSERT_NE(an, nullptr);
    std::string png = sealPng(false);
    ASSERT_EQ(vq_annot_set_appearance_imagedata(d.get(), an, reinterpret_cast<unsigned char*>(&png[0]),
                                                static_cast<int>(png.size()), 30, 30, 1, 0),
              0);
    Appearance a = readAppearance(d.get(), 0, 0);
    ASSERT_TRUE(a.ok);
    EXPECT_EQ(opsNamed(a.ops["N"], "Do").size(), 1u);
    EXPECT_FALSE(a.forms.count("N/FRM"));
}

TEST(SealAppearance, FieldMadeThroughTheEngineOnARotatedPage)
{
    Doc doc = makeDoc({}, 400, 300, 90);
    DocPtr d = openLoaded(doc.bytes);
    ASSERT_TRUE(d);
    vq_page* page = vq_page_index(d.get(), 0);
    char name[] = "seal1";
    vq_field* f = vq_page_add_field(d.get(), page, VQ_FIELD_TYPE_SIGNATURE, name, nullptr);
    ASSERT_NE(f, nullptr);
    ASSERT_EQ(vq_annot_set_rect(d.get(), f, vq_rect{100, 100, 150, 150}), 0);
    std::string png = sealPng(true);
    ASSERT_EQ(vq_annot_set_appearance_imagedata(d.get(), f, reinterpret_cast<unsigned char*>(&png[0]),
                                                static_cast<int>(png.size()), 120, 80, 1, 90),
              0);
    vq_rect r = vq_annot_get_rect(d.get(), f);
    EXPECT_NEAR(r.x0, 120, 0.01);
    EXPECT_NEAR(r.y0, 80, 0.01);
    EXPECT_NEAR(r.x1, 200, 0.01);
    EXPECT_NEAR(r.y1, 200, 0.01);
    Appearance a = readAppearance(d.get(), 0, 0);
    ASSERT_TRUE(a.ok);
    EXPECT_EQ(a.contents["N"], "q 1 0 0 1 0 0 cm /FRM Do Q");
}

TEST(InkAppearanceThroughEngine, InkMadeThroughTheEngineGetsOurAppearance)
{
    Doc doc = makeDoc({});
    DocPtr d = openLoaded(doc.bytes);
    ASSERT_TRUE(d);
    vq_annot* ink = vq_page_add_annot(d.get(), vq_page_index(d.get(), 0), VQ_ANNOT_INK);
    ASSERT_NE(ink, nullptr);
    const vq_point pts[3] = {{10, 10}, {20, 20}, {30, 10}};
    const int counts[1] = {3};
    ASSERT_EQ(vq_annot_set_inklist(d.get(), ink, pts, counts, 1), 0);
    float red[3] = {1, 0, 0};
    ASSERT_EQ(vq_annot_set_color(d.get(), ink, red), 0);
    ASSERT_EQ(vq_annot_set_line_width(d.get(), ink, 2), 0);
    ASSERT_EQ(vq_annot_set_opacity(d.get(), ink, 0.5f), 0);
    vq_page_update(d.get(), 0);
    Appearance a = readAppearance(d.get(), 0, 0);
    ASSERT_TRUE(a.ok);
    // Page space (10, 10)..(30, 20) on a 300-high page, grown by 2 widths.
    expectRect(a.annot["Rect"], 6, 276, 34, 294);
    EXPECT_EQ(opsNamed(a.ops["N"], "w").at(0)->n(0), 2);
    Obj gs = stateBefore(a, "N", "S");
    EXPECT_DOUBLE_EQ(gs["CA"].num, 0.5);
    EXPECT_EQ(gs["BM"].text, "Multiply");
}

TEST(PdfPageAppearance, FirstPageBecomesTheFormAtTheTopLeftCorner)
{
    ScratchDir dir;
    const std::string content = "0 0 1 rg 10 10 100 40 re f BT /F1 12 Tf 20 20 Td (Seal) Tj ET";
    writeFile(dir.file("src.pdf"), onePage(content, "[0 0 120 60.7]"));
    Doc doc = makeDoc({kSigWidget + " /Rect [100 150 150 200]"});
    DocPtr d = openLoaded(doc.bytes);
    ASSERT_TRUE(d);
    vq_field* f = firstField(d.get());
    ASSERT_EQ(vq_annot_set_appearance_pdf(d.get(), f, dir.file("src.pdf").c_str(), 1, 0), 0);
    Appearance a = readAppearance(d.get(), 0, 0);
    ASSERT_TRUE(a.ok);
    // Top-left (100, 100) stays; the page is 120 wide and (truncated) 60 high.
    expectRect(a.annot["Rect"], 100, 140, 220, 200);
    expectRect(a.forms["N"]["BBox"], 0, 0, 120, 60.7);
    EXPECT_NE(a.contents["N"].find(content), std::string::npos);
    EXPECT_EQ(a.forms["N"]["Resources"]["Font"]["F1"]["BaseFont"].text, "Helvetica");
    EXPECT_EQ(vq_annot_set_appearance_pdf(d.get(), f, dir.file("missing.pdf").c_str(), 1, 0), VQ_FAIL);
}

TEST(TextSignature, LayeredTextInTheCjkFontWithExactFontDictionaries)
{
    Doc doc = makeDoc({kSigWidget + " /Rect [100 150 150 200]"});
    DocPtr d = openLoaded(doc.bytes);
    ASSERT_TRUE(d);
    vq_field* f = firstField(d.get());
    ASSERT_EQ(vq_annot_set_appearance_text(d.get(), f, "\xE5\xBC\xA0\xE4\xB8\x89"), 0); // 张三
    Appearance a = readAppearance(d.get(), 0, 0);
    ASSERT_TRUE(a.ok);
    EXPECT_EQ(a.contents["N"], "q 1 0 0 1 0 0 cm /FRM Do Q");
    const auto& ops = a.ops["N/FRM/n2"];
    const Op* tf = opsNamed(ops, "Tf").at(0);
    EXPECT_EQ(tf->args.at(0).text, "iSimSun");
    EXPECT_EQ(tf->n(1), 18);
    const Op* k = opsNamed(ops, "k").at(0);
    EXPECT_EQ((std::vector<double>{k->n(0), k->n(1), k->n(2), k->n(3)}), (std::vector<double>{1, 1, 1, 1}));
    const Op* td = opsNamed(ops, "Td").at(0);
    EXPECT_NEAR(td->n(0), 100, 1e-4);
    EXPECT_NEAR(td->n(1), 152, 1e-4);
    EXPECT_EQ(opsNamed(ops, "Tj").at(0)->args.at(0).text, "5f204e09");
    // The rectangle becomes the text's bounds: two full-width characters at 18 points.
    Obj r = a.annot["Rect"];
    EXPECT_NEAR(r[0].num, 100, 1e-3);
    EXPECT_NEAR(r[2].num - r[0].num, 36, 0.5);
    EXPECT_LT(r[1].num, 152);
    EXPECT_GT(r[3].num, 152 + 10);

    // The composite font, exactly.
    Obj type0 = a.forms["N/FRM/n2"]["Resources"]["Font"]["iSimSun"];
    EXPECT_EQ(type0["Type"].text, "Font");
    EXPECT_EQ(type0["Subtype"].text, "Type0");
    EXPECT_EQ(type0["BaseFont"].text, "SimSun");
    EXPECT_EQ(type0["Encoding"].text, "UniGB-UTF16-H");
    ASSERT_EQ(type0["DescendantFonts"].items.size(), 1u);
    Obj cid = type0["DescendantFonts"][0];
    EXPECT_EQ(cid["Subtype"].text, "CIDFontType0");
    EXPECT_EQ(cid["BaseFont"].text, "SimSun");
    EXPECT_FALSE(cid.has("DW"));
    EXPECT_EQ(cid["CIDSystemInfo"]["Registry"].text, "Adobe");
    EXPECT_EQ(cid["CIDSystemInfo"]["Ordering"].text, "GB1");
    EXPECT_EQ(cid["CIDSystemInfo"]["Supplement"].num, 4);
    std::string wtext;
    for (const Obj& o : cid["W"].items)
    {
        if (o.kind == Obj::Arr)
            wtext += "[" + std::to_string(static_cast<int>(o[0].num)) + "] ";
        else
            wtext += std::to_string(static_cast<int>(o.num)) + " ";
    }
    EXPECT_EQ(wtext, "0 [1000] 1 95 500 99 [500] 668 699 500 7713 7714 500 22354 [500] ");
    Obj fd = cid["FontDescriptor"];
    EXPECT_EQ(fd["Type"].text, "FontDescriptor");
    EXPECT_EQ(fd["FontName"].text, "SimSun");
    EXPECT_EQ(fd["Flags"].num, 34);
    EXPECT_EQ(fd["FontBBox"].nums(), (std::vector<double>{-200, -200, 1200, 1200}));
    EXPECT_EQ(fd["ItalicAngle"].num, 0);
    EXPECT_EQ(fd["Ascent"].num, 859);
    EXPECT_EQ(fd["Descent"].num, -145);
    EXPECT_EQ(fd["StemV"].num, 56);
    EXPECT_FALSE(fd.has("FontFile") || fd.has("FontFile2") || fd.has("FontFile3"));
}

// ---- form fields -------------------------------------------------------------------------------

TEST(TextFieldAppearance, AsciiValueInTheDaFontWithCourierFallback)
{
    Doc doc = makeDoc({"/Subtype /Widget /FT /Tx /T (name) /Rect [50 50 150 70] /DA (/Helv 12 Tf 0 g) /V (abc)"});
    DocPtr d = openLoaded(doc.bytes);
    ASSERT_TRUE(d);
    Appearance a = readAppearance(d.get(), 0, 0);
    ASSERT_TRUE(a.ok);
    expectRect(a.forms["N"]["BBox"], 0, 0, 100, 20);
    std::vector<std::string> names;
    for (const Op& o : a.ops["N"])
        names.push_back(o.op);
    EXPECT_EQ(names, (std::vector<std::string>{"BMC", "q", "re", "W", "n", "BT", "Td", "Tf", "g", "Tj", "ET", "Q", "EMC"}));
    const auto& ops = a.ops["N"];
    const Op* re = opsNamed(ops, "re").at(0);
    EXPECT_EQ((std::vector<double>{re->n(0), re->n(1), re->n(2), re->n(3)}), (std::vector<double>{1, 1, 98, 18}));
    EXPECT_EQ(opsNamed(ops, "Td").at(0)->n(0), 1);
    EXPECT_EQ(opsNamed(ops, "Tf").at(0)->args.at(0).text, "Helv");
    EXPECT_EQ(opsNamed(ops, "Tf").at(0)->n(1), 12);
    EXPECT_EQ(opsNamed(ops, "Tj").at(0)->args.at(0).text, "abc");
    Obj font = a.forms["N"]["Resources"]["Font"]["Helv"];
    EXPECT_EQ(font["Subtype"].text, "Type1");
    EXPECT_EQ(font["BaseFont"].text, "Courier");
    EXPECT_EQ(font["Encoding"].text, "WinAnsiEncoding");
}

TEST(TextFieldAppearance, ChineseValuesShareOneCjkFont)
{
    Doc doc = makeDoc({"/Subtype /Widget /FT /Tx /T (a) /Rect [50 50 150 70] /DA (/Helv 12 Tf 0 g) /V <FEFF4E2D6587>",
                       "/Subtype /Widget /FT /Tx /T (b) /Rect [50 100 150 120] /DA (/SimSun 12 Tf 0 g) /V (xy)"});
    DocPtr d = openLoaded(doc.bytes);
    ASSERT_TRUE(d);
    Appearance a = readAppearance(d.get(), 0, 0), b = readAppearance(d.get(), 0, 1);
    ASSERT_TRUE(a.ok && b.ok);
    EXPECT_EQ(opsNamed(a.ops["N"], "Tf").at(0)->args.at(0).text, "iSimSun");
    EXPECT_EQ(opsNamed(a.ops["N"], "Tj").at(0)->args.at(0).text, "4e2d6587");
    // A /DA naming SimSun uses the CJK font for ASCII text too.
    EXPECT_EQ(opsNamed(b.ops["N"], "Tf").at(0)->args.at(0).text, "iSimSun");
    EXPECT_EQ(opsNamed(b.ops["N"], "Tj").at(0)->args.at(0).text, "00780079");
    // One Type0 font object, shared.
    std::string ta = appearanceText(d.get(), 0, 0), tb = appearanceText(d.get(), 0, 1);
    Obj fa = pdfparse::parse(objectText(d.get(), doc.annotNums[0]));
    EXPECT_EQ(fa["AP"]["N"]["Resources"]["Font"]["iSimSun"]["BaseFont"].text, "SimSun");
    EXPECT_NE(ta.find("iSimSun"), std::string::npos);
    // Same object number behind both resources: compare the raw seam output of the form fonts.
    auto num = [](const std::string& text) {
        size_t p = text.find("/iSimSun ");
        return text.substr(p, 40);
    };
    (void)num;
    char* catalogText = vq_test_object_text(d.get(), 1);
    std::string cat = catalogText ? catalogText : "";
    vq_test_free(catalogText);
    Obj catalog = pdfparse::parse(cat);
    EXPECT_EQ(catalog["AcroForm"]["DR"]["Font"]["iSimSun"]["Subtype"].text, "Type0");
}

TEST(TextFieldAppearance, CombFieldWritesOneWordPerCell)
{
    Doc doc = makeDoc({"/Subtype /Widget /FT /Tx /T (c) /Ff 16777216 /MaxLen 5 /Rect [50 50 150 70] "
                       "/DA (/Helv 10 Tf 0 g) /V (1234567)"});
    DocPtr d = openLoaded(doc.bytes);
    ASSERT_TRUE(d);
    Appearance a = readAppearance(d.get(), 0, 0);
    ASSERT_TRUE(a.ok);
    auto tj = opsNamed(a.ops["N"], "Tj");
    ASSERT_EQ(tj.size(), 5u);
    EXPECT_EQ(tj[0]->args.at(0).text, "1");
    EXPECT_EQ(tj[4]->args.at(0).text, "5");
    auto td = opsNamed(a.ops["N"], "Td");
    EXPECT_NEAR(td[1]->n(0), 20, 1e-4); // one cell of 100 / 5
}

TEST(TextFieldAppearance, NewValueReplacesOnlyTheMarkedSection)
{
    // An author's appearance: a border drawn around the marked text section.
    PdfBuilder b;
    const int catalog = b.reserve(), tree = b.reserve(), page = b.reserve(), widget = b.reserve();
    const int ap = b.add(PdfBuilder::stream("0 0 1 RG 0.5 0.5 99 19 re S /Tx BMC BT /Helv 12 Tf 2 5 Td (old) Tj ET EMC "
                                            "1 0 0 RG 0 0 m 100 0 l S",
                                            "/Type /XObject /Subtype /Form /BBox [0 0 100 20]"));
    const int helv = b.add("<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica /Encoding /WinAnsiEncoding >>");
    b.set(widget, "<< /Type /Annot /Subtype /Widget /FT /Tx /T (t) /P " + std::to_string(page) +
                      " 0 R /Rect [50 50 150 70] /DA (/Helv 12 Tf 0 g) /V (old) /AP << /N " + std::to_string(ap) +
                      " 0 R >> >>");
    b.set(page, "<< /Type /Page /Parent " + std::to_string(tree) + " 0 R /MediaBox [0 0 400 300] /Annots [" +
                    std::to_string(widget) + " 0 R] >>");
    b.set(tree, "<< /Type /Pages /Kids [" + std::to_string(page) + " 0 R] /Count 1 >>");
    b.set(catalog, "<< /Type /Catalog /Pages " + std::to_string(tree) + " 0 R /AcroForm << /Fields [" +
                       std::to_string(widget) + " 0 R] /DR << /Font << /Helv " + std::to_string(helv) +
                       " 0 R >> >> >> >>");
    DocPtr d = openLoaded(b.build(catalog));
    ASSERT_TRUE(d);
    // Loading an unchanged field draws nothing anew.
    EXPECT_NE(readAppearance(d.get(), 0, 0).contents["N"].find("(old)"), std::string::npos);

    vq_field* f = firstField(d.get());
    ASSERT_NE(f, nullptr);
    ASSERT_EQ(vq_field_tx_set_text(d.get(), f, "\xE4\xB8\xAD\xE6\x96\x87"), 0); // 中文
    Appearance a = readAppearance(d.get(), 0, 0);
    ASSERT_TRUE(a.ok);
    std::vector<std::string> names;
    for (const Op& o : a.ops["N"])
        names.push_back(o.op);
    // The border before and the line after the section are kept.
    ASSERT_GE(names.size(), 6u);
    EXPECT_EQ(std::vector<std::string>(names.begin(), names.begin() + 4), (std::vector<std::string>{"RG", "re", "S", "BMC"}));
    EXPECT_EQ(std::vector<std::string>(names.end() - 5, names.end()),
              (std::vector<std::string>{"EMC", "RG", "m", "l", "S"}));
    EXPECT_EQ(opsNamed(a.ops["N"], "Tj").at(0)->args.at(0).text, "4e2d6587");
    EXPECT_EQ(opsNamed(a.ops["N"], "Tf").at(0)->args.at(0).text, "iSimSun");
    EXPECT_EQ(a.forms["N"]["Resources"]["Font"]["iSimSun"]["Subtype"].text, "Type0");
    EXPECT_EQ(a.contents["N"].find("(old)"), std::string::npos);
}

TEST(TextFieldAppearance, MultilineTextBreaksBetweenWordsAndAtLineEnds)
{
    Doc doc = makeDoc({"/Subtype /Widget /FT /Tx /T (m) /Ff 4096 /Rect [50 50 120 150] /DA (/Helv 10 Tf 0 g) "
                       "/V (alpha beta gamma\ndelta)"});
    DocPtr d = openLoaded(doc.bytes);
    ASSERT_TRUE(d);
    Appearance a = readAppearance(d.get(), 0, 0);
    ASSERT_TRUE(a.ok);
    std::vector<std::string> words;
    std::vector<double> ys;
    double y = 0;
    for (const Op& o : a.ops["N"])
    {
        if (o.op == "Td")
            y += o.n(1);
        if (o.op == "Tj")
        {
            words.push_back(o.args.at(0).text);
            ys.push_back(y);
        }
    }
    // Courier at 10 points is 6 points a character: 68 points hold "alpha beta" but not
    // "alpha beta gamma"; the line end starts "delta" on a line of its own. A simple font reads
    // one byte a character: the words are plain strings.
    ASSERT_EQ(words.size(), 4u);
    EXPECT_EQ(words[0], "alpha");
    EXPECT_EQ(words[3], "delta");
    EXPECT_EQ(a.contents["N"].find("<00"), std::string::npos) << "no two-byte codes for a one-byte font";
    EXPECT_EQ(ys[0], ys[1]);
    EXPECT_LT(ys[2], ys[1]);
    EXPECT_LT(ys[3], ys[2]);
}

// A multi-line field with an automatic size (0 in /DA) shrinks its text until every line fits
// the box; with a fixed size the text keeps its size and is clipped.
TEST(TextFieldAppearance, MultilineAutomaticSizeShrinksUntilTheLinesFit)
{
    std::string latin, chinese;
    for (int i = 0; i < 6; i++)
        latin += "The quick brown fox jumps over the lazy dog. ";
    latin += "\nSigned.";
    for (int i = 0; i < 8; i++)
        chinese += u8"\u7535\u5b50\u5370\u7ae0\u7b7e\u7f72\u5408\u540c\u6587\u4ef6"; // 电子印章签署合同文件
    // PDF text strings of the values: UTF-16BE in hexadecimal.
    auto utf16 = [](const std::string& utf8) {
        std::string hex = "FEFF";
        char buf[8];
        for (size_t i = 0; i < utf8.size();)
        {
            unsigned c = static_cast<unsigned char>(utf8[i]);
            int n = c < 0x80 ? 1 : c < 0xE0 ? 2 : 3;
            unsigned cp = n == 1 ? c : n == 2 ? c & 0x1F : c & 0x0F;
            for (int k = 1; k < n; k++)
                cp = (cp << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
            std::snprintf(buf, sizeof buf, "%04X", cp);
            hex += buf;
            i += static_cast<size_t>(n);
        }
        return "<" + hex + ">";
    };
    struct Case
    {
        const char* name;
        std::string value; // UTF-8
        const char* da;
        double advance;    // glyph advance per character at size 1 (Courier; the CJK font's Han)
        bool hex;          // written as 16-bit codes (the CJK font), else as a plain string
        bool shrinks;
    } cases[] = {
        {"long Latin value", latin, "/Helv 0 Tf 0 g", 0.6, false, true},
        {"long Chinese value", chinese, "/Helv 0 Tf 0 g", 1.0, true, true},
        {"fixed size", latin, "/Helv 10 Tf 0 g", 0.6, false, false},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        // The box: 150 x 60, drawn inside a margin of 1.
        Doc doc = makeDoc({std::string("/Subtype /Widget /FT /Tx /T (m) /Ff 4096 /Rect [50 50 200 110] /DA (") + c.da +
                           ") /V " + utf16(c.value)});
        DocPtr d = openLoaded(doc.bytes);
        ASSERT_TRUE(d);
        Appearance a = readAppearance(d.get(), 0, 0);
        ASSERT_TRUE(a.ok);
        const auto& ops = a.ops["N"];
        const auto tm = opsNamed(ops, "Tm");
        ASSERT_EQ(tm.size(), 1u);
        const double s = tm[0]->n(0), x0 = tm[0]->n(4), y0 = tm[0]->n(5);
        EXPECT_EQ(tm[0]->n(3), s);
        const double fs = opsNamed(ops, "Tf").at(0)->n(1);
        EXPECT_EQ(fs, c.shrinks ? 12 : 10);
        std::string written, expected;
        for (char ch : c.value)
            if (ch != ' ' && ch != '\n')
                expected += ch;
        double x = 0, y = 0, lowest = 0, rightmost = 0;
        for (const Op& o : ops)
        {
            if (o.op == "Td")
            {
                x += o.n(0);
                y += o.n(1);
            }
            if (o.op != "Tj")
                continue;
            const std::string& hex = o.args.at(0).text;
            if (!c.hex)
            {
                written += hex;
                lowest = std::min(lowest, y);
                rightmost = std::max(rightmost, x + c.advance * fs * static_cast<double>(hex.size()));
                continue;
            }
            for (size_t i = 0; i + 4 <= hex.size(); i += 4)
            {
                const unsigned cp = static_cast<unsigned>(std::stoul(hex.substr(i, 4), nullptr, 16));
                if (cp < 0x80)
                    written += static_cast<char>(cp);
                else
                {
                    written += static_cast<char>(0xE0 | (cp >> 12));
                    written += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
                    written += static_cast<char>(0x80 | (cp & 0x3F));
                }
            }
            lowest = std::min(lowest, y);
            rightmost = std::max(rightmost, x + c.advance * fs * static_cast<double>(hex.size() / 4));
        }
        if (!c.shrinks)
        {
            EXPECT_EQ(s, 1);
            EXPECT_LT(y0 + lowest, 1) << "a fixed size runs past the box and is clipped";
            continue;
        }
        EXPECT_EQ(written, expected) << "every character is written";
        EXPECT_LT(s, 1);
        // Every line inside the box: the last baseline above its lower edge, every run within
        // its width.
        EXPECT_GE(y0 + s * lowest, 1);
        EXPECT_LE(x0 + s * rightmost, 149.01);
        // Shrunk no further than needed: the lines fill more than half the box's height.
        EXPECT_LT(y0 + s * lowest, 1 + 58.0 / 2);
    }
}

TEST(ButtonAppearance, CheckBoxAndRadioGetOnAndOffStates)
{
    Doc doc = makeDoc({"/Subtype /Widget /FT /Btn /T (agree) /Rect [50 50 70 70] /V /Yes /AS /Yes "
                       "/MK << /CA (4) >> /DA (/ZaDb 0 Tf 0 g)",
                       "/Subtype /Widget /FT /Btn /Ff 32768 /T (pick) /Rect [80 50 100 70] /V /A /AS /Off "
                       "/AP << /N << /A null /Off null >> >> /MK << /CA (l) >> /DA (/ZaDb 0 Tf 0 g)"});
    DocPtr d = openLoaded(doc.bytes);
    ASSERT_TRUE(d);
    Obj check = pdfparse::parse(objectText(d.get(), doc.annotNums[0]));
    EXPECT_TRUE(check["AP"]["N"].has("Yes"));
    EXPECT_TRUE(check["AP"]["N"].has("Off"));
    EXPECT_EQ(check["AS"].text, "Yes");
    Obj radio = pdfparse::parse(objectText(d.get(), doc.annotNums[1]));
    EXPECT_TRUE(radio["AP"]["N"]["A"].has("BBox"));
    EXPECT_TRUE(radio["AP"]["N"]["Off"].has("BBox"));
    EXPECT_EQ(radio["AS"].text, "Off");
    // The on state draws the caption character in ZapfDingbats, centred in the box.
    Obj on = check["AP"]["N"]["Yes"];
    expectRect(on["BBox"], 0, 0, 20, 20);
    EXPECT_EQ(on["Resources"]["Font"]["ZaDb"]["BaseFont"].text, "ZapfDingbats");
}

TEST(ChoiceAppearance, ComboShowsValueAndListHighlightsAndScrollsToSelection)
{
    Doc doc = makeDoc({"/Subtype /Widget /FT /Ch /Ff 131072 /T (combo) /Rect [50 50 150 70] /DA (/Helv 10 Tf 0 g) "
                       "/Opt [(Alpha) (Beta)] /V (Beta)",
                       "/Subtype /Widget /FT /Ch /T (list) /Rect [50 100 150 124] /DA (/Helv 10 Tf 0 g) "
                       "/Opt [(One) (Two) (Th\\(ree) (Four)] /V (Four)"});
    DocPtr d = openLoaded(doc.bytes);
    ASSERT_TRUE(d);
    Appearance combo = readAppearance(d.get(), 0, 0);
    ASSERT_TRUE(combo.ok);
    EXPECT_EQ(opsNamed(combo.ops["N"], "Tj").at(0)->args.at(0).text, "Beta");
    Appearance list = readAppearance(d.get(), 0, 1);
    ASSERT_TRUE(list.ok);
    const auto& ops = list.ops["N"];
    auto tj = opsNamed(ops, "Tj");
    ASSERT_EQ(tj.size(), 4u);
    EXPECT_EQ(tj[2]->args.at(0).text, "Th(ree"); // written escaped, read back whole
    const Op* rg = opsNamed(ops, "rg").at(0);
    EXPECT_NEAR(rg->n(0), 0.6, 1e-6);
    EXPECT_NEAR(rg->n(1), 0.75, 1e-6);
    EXPECT_NEAR(rg->n(2), 0.85, 1e-6);
    EXPECT_EQ(opsNamed(ops, "f").size(), 1u);
    // Four lines of 10 points do not fit in 22: the selection (index 3) scrolls to the top.
    const Op* tm = opsNamed(ops, "Tm").at(0);
    EXPECT_GT(tm->n(5), 23.0);
}

// ---- rendering against an independent renderer --------------------------------------------------

namespace {

struct Image
{
    int w = 0, h = 0;
    std::vector<unsigned char> rgb;
};

Image readPpm(const std::string& path)
{
    Image img;
    std::string data = readFile(path);
    std::istringstream s(data);
    std::string magic;
    int maxv = 0;
    s >> magic >> img.w >> img.h >> maxv;
    s.get();
    if (magic != "P6" || maxv != 255)
        return Image{};
    img.rgb.resize(static_cast<size_t>(img.w) * img.h * 3);
    s.read(reinterpret_cast<char*>(img.rgb.data()), static_cast<std::streamsize>(img.rgb.size()));
    return img;
}

} // namespace

TEST(RenderComparison, AnnotatedAndSealedPageMatchesPdftoppm)
{
    if (std::system("command -v pdftoppm >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "pdftoppm is not installed";
    ScratchDir dir;
    Doc doc = makeDoc({"/Subtype /Ink /Rect [0 0 1 1] /C [0 0 1] /BS << /W 3 >> /InkList [[20 250 60 280 100 240 140 270]]",
                       "/Subtype /Highlight /Rect [20 180 200 200] /C [1 1 0] /QuadPoints [20 200 200 200 20 180 200 180]",
                       "/Subtype /Underline /Rect [20 150 200 170] /C [1 0 0] /QuadPoints [20 170 200 170 20 150 200 150]",
                       "/Subtype /StrikeOut /Rect [20 120 200 140] /C [0 0.5 0] /QuadPoints [20 140 200 140 20 120 200 120]",
                       // Signed as far as the viewer is concerned: the library shows its own
                       // placeholder for signature fields without a value.
                       kSigWidget + " /Rect [240 200 290 250] /V << /Type /Sig /Filter /Adobe.PPKLite "
                                    "/SubFilter /adbe.pkcs7.detached /ByteRange [0 0 0 0] /Contents <00> >>"},
                      400, 300, 0, "/DR << /Font << >> >> /SigFlags 3");
    DocPtr d = openLoaded(doc.bytes);
    ASSERT_TRUE(d);
    vq_field* f = firstField(d.get());
    ASSERT_NE(f, nullptr);
    std::string png = sealPng(false, 64);
    ASSERT_EQ(vq_annot_set_appearance_imagedata(d.get(), f, reinterpret_cast<unsigned char*>(&png[0]),
                                                static_cast<int>(png.size()), 100, 100, 1, 0),
              0);
    const std::string out = dir.file("marked.pdf");
    ASSERT_EQ(vq_document_saveas(d.get(), 0, out.c_str()), 0);

    DocPtr saved = openPath(out);
    ASSERT_TRUE(saved);
    vq_document_cut_page(saved.get());
    vq_page* page = vq_page_index(saved.get(), 0);
    vq_pixmap* pix = vq_page_generate_pixmap(saved.get(), page, VQ_RENDER_ALL, VQ_COLORSPACE_RGB, 1.0f, 0);
    ASSERT_NE(pix, nullptr);
    const int w = vq_pixmap_width(saved.get(), pix), h = vq_pixmap_height(saved.get(), pix);

    const std::string cmd = "pdftoppm -r 72 -f 1 -l 1 -singlefile '" + out + "' '" + dir.file("ref") + "' 2>/dev/null";
    ASSERT_EQ(std::system(cmd.c_str()), 0);
    Image ref = readPpm(dir.file("ref.ppm"));
    ASSERT_EQ(ref.w, w);
    ASSERT_EQ(ref.h, h);

    long differing = 0, marked = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
        {
            Bgra p = pixel(saved.get(), pix, x, y);
            const unsigned char* q = &ref.rgb[(static_cast<size_t>(y) * w + x) * 3];
            int diff = std::max({std::abs(p.r - q[0]), std::abs(p.g - q[1]), std::abs(p.b - q[2])});
            if (diff > 64)
                ++differing;
            if (p.r + p.g + p.b < 600)
                ++marked;
        }
    vq_pixmap_free(saved.get(), pix);
    // Both renderers draw the same marks; anti-aliased edges may differ a little.
    EXPECT_GT(marked, 3000);
    EXPECT_LT(differing, static_cast<long>(w) * h / 100) << "differing pixels: " << differing;
}
