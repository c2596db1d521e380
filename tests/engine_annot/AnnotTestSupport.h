// Helpers of the annotation and selection tests: documents with known text, raw object
// checks through qpdf, and running the independent checkers.
#pragma once

#include "EngineTestSupport.h"
#include "vq-pdf.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace fixture {

// A page with one line of Helvetica text per entry: {x, baseline y (PDF), size, text}.
struct TextRun
{
    float x, y, size;
    std::string text;
};

inline std::string textContent(const std::vector<TextRun>& runs)
{
    std::string c;
    for (const TextRun& r : runs)
        c += "BT /F1 " + std::to_string(r.size) + " Tf " + std::to_string(r.x) + " " + std::to_string(r.y) +
             " Td (" + r.text + ") Tj ET\n";
    return c;
}

inline std::string textPage(const std::vector<TextRun>& runs, const std::string& mediabox = "[0 0 300 200]",
                            const std::string& extra = std::string())
{
    PageSpec p;
    p.mediabox = mediabox;
    p.content = textContent(runs);
    p.extra = extra;
    return simpleDocument({p});
}

// A document whose one page shows the two characters U+4E2D U+6587 in a composite font of the
// Adobe-GB1 collection that is not embedded (the library substitutes its own Han font), with a
// /ToUnicode map.
inline std::string chineseDocument()
{
    PdfBuilder b;
    const int catalog = b.reserve();
    const int tree = b.reserve();
    const std::string cmap =
        "/CIDInit /ProcSet findresource begin 12 dict begin begincmap /CIDSystemInfo << /Registry (Adobe) "
        "/Ordering (UCS) /Supplement 0 >> def /CMapName /Adobe-Identity-UCS def /CMapType 2 def "
        "1 begincodespacerange <0000> <FFFF> endcodespacerange 2 beginbfchar <4E2D> <4E2D> <6587> <6587> "
        "endbfchar endcmap CMapName currentdict /CMap defineresource pop end end";
    const int tounicode = b.add(PdfBuilder::stream(cmap));
    const int descriptor = b.add("<< /Type /FontDescriptor /FontName /SimSun /Flags 4 /FontBBox [0 -200 1000 900] "
                                 "/ItalicAngle 0 /Ascent 880 /Descent -120 /CapHeight 700 /StemV 80 >>");
    const int cid = b.add("<< /Type /Font /Subtype /CIDFontType2 /BaseFont /SimSun /CIDSystemInfo << /Registry "
                          "(Adobe) /Ordering (GB1) /Supplement 4 >> /DW 1000 /FontDescriptor " +
                          std::to_string(descriptor) + " 0 R >>");
    const int font = b.add("<< /Type /Font /Subtype /Type0 /BaseFont /SimSun /Encoding /UniGB-UCS2-H "
                           "/DescendantFonts [" + std::to_string(cid) + " 0 R] /ToUnicode " +
                           std::to_string(tounicode) + " 0 R >>");
    const int content = b.add(PdfBuilder::stream("BT /F2 20 Tf 10 50 Td <4E2D6587> Tj ET"));
    const int page = b.add("<< /Type /Page /Parent " + std::to_string(tree) +
                           " 0 R /MediaBox [0 0 200 100] /Resources << /Font << /F2 " + std::to_string(font) +
                           " 0 R >> >> /Contents " + std::to_string(content) + " 0 R >>");
    b.set(tree, "<< /Type /Pages /Kids [" + std::to_string(page) + " 0 R] /Count 1 >>");
    b.set(catalog, "<< /Type /Catalog /Pages " + std::to_string(tree) + " 0 R >>");
    return b.build(catalog);
}

// An open document with its page table built.
inline DocPtr openReady(const std::string& bytes)
{
    DocPtr d = openBytes(bytes);
    if (d)
        vq_document_cut_page(d.get());
    return d;
}

inline std::string runCommand(const std::string& cmd, int* status = nullptr)
{
    std::string out;
    FILE* p = popen((cmd + " 2>&1").c_str(), "r");
    if (!p)
        return out;
    std::array<char, 4096> buf;
    size_t n;
    while ((n = fread(buf.data(), 1, buf.size(), p)) > 0)
        out.append(buf.data(), n);
    int st = pclose(p);
    if (status)
        *status = st;
    return out;
}

// qpdf --check passes on the file.
inline ::testing::AssertionResult qpdfAccepts(const std::string& path)
{
    int st = -1;
    std::string out = runCommand("qpdf --check '" + path + "'", &st);
    if (st == 0)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "qpdf --check " << path << ":\n" << out;
}

// The file's objects as plain text (no object streams, streams uncompressed).
inline std::string qdfText(const std::string& path)
{
    const std::string out = path + ".qdf";
    runCommand("qpdf --qdf --object-streams=disable '" + path + "' '" + out + "'");
    return readFile(out);
}

// The text of every page of a file, as mutool extracts it.
inline std::string mutoolText(const std::string& path)
{
    return runCommand("mutool draw -q -F txt '" + path + "'");
}

// Saves a document in full to a path and returns the engine's result.
inline int saveAs(vq_document* d, const std::string& path)
{
    return vq_document_saveas(d, 0, path.c_str());
}

// The copied text of a whole page.
inline std::string pageText(vq_document* d, vq_page* pg)
{
    vq_rect r = {-10000, -10000, 10000, 10000};
    char* t = vq_page_copy_selection(d, pg, &r, 1, 0);
    std::string s = t ? t : "";
    free(t);
    return s;
}

inline bool near(float a, float b, float eps = 0.01f)
{
    return std::fabs(a - b) <= eps;
}

} // namespace fixture
