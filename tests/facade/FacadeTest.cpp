// The document facade over generated 1- and 3-page PDFs: opening, page geometry, rendering in
// colour and gray, fields, and saving in place, to another path and into memory, with the
// failure cases leaving every file as it was.
#include "EngineTestSupport.h"
#include "PdfEngine.h"
#include "RegeditSettings.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <memory>

#include <sys/stat.h>

using namespace fixture;

namespace {

QString q(const std::string& s)
{
    return QString::fromStdString(s);
}

// One page 200 x 100 with a red box at x 10..60, y 10..40 (PDF space, y up).
std::string redBoxPage()
{
    return onePage("1 0 0 rg 10 10 50 30 re f");
}

std::string threePages()
{
    PageSpec a;
    a.mediabox = "[0.5 0.5 595.9 842.7]";
    a.content = "BT /F1 12 Tf 20 700 Td (First page) Tj ET";
    PageSpec b;
    b.mediabox = "[0 0 300 400]";
    b.extra = "/Rotate 90";
    PageSpec c;
    c.mediabox = "[0 0 200 100]";
    return simpleDocument({a, b, c});
}

class FacadeFiles : public ::testing::Test
{
protected:
    void SetUp() override
    {
        path = dir.file("doc.pdf");
        original = threePages();
        writeFile(path, original);
    }

    // Opens the document, builds the page table and adds one highlight on page 1.
    void openAndChange(PdfEngine& engine)
    {
        ASSERT_EQ(0, engine.Load(q(path), false, nullptr));
        engine.CutOutPages();
        float red[3] = {1, 0, 0};
        rect quad{20, 20, 120, 40};
        ASSERT_TRUE(engine.AddMarkAnnot(1, red, 0.5f, quad, &quad, 1, VQ_ANNOT_HIGHLIGHT));
        ASSERT_TRUE(engine.DocumentChanged());
    }

    static bool startsWith(const std::string& s, const std::string& prefix)
    {
        return s.size() > prefix.size() && s.compare(0, prefix.size(), prefix) == 0;
    }

    ScratchDir dir;
    std::string path;
    std::string original;
};

TEST(Facade, PageGeometry)
{
    ScratchDir dir;
    const std::string path = dir.file("three.pdf");
    writeFile(path, threePages());
    PdfEngine engine;
    ASSERT_EQ(0, engine.Load(q(path), false, nullptr));
    engine.CutOutPages();
    EXPECT_EQ(3, engine.PageCount());
    // Each edge truncated before the size is formed; a rotated page is measured as shown.
    EXPECT_EQ(QRectF(0, 0, 595, 842), engine.PageMediabox(1));
    EXPECT_EQ(QRectF(0, 0, 400, 300), engine.PageMediabox(2));
    EXPECT_EQ(QRectF(0, 0, 200, 100), engine.PageMediabox(3));
    EXPECT_EQ(QRectF(0, 0, 0, 0), engine.PageContentBox(2, Target_Print));

    const QRectF r(10, 20, 30, 40);
    const QRectF there = engine.Transform(r, 1, 1.5f, 90, false);
    EXPECT_EQ(there, engine.Transform(r, 3, 1.5f, 90, false));
    const QRectF back = engine.Transform(there, 2, 1.5f, 90, true);
    EXPECT_NEAR(back.x(), r.x(), 1e-3);
    EXPECT_NEAR(back.bottom(), r.bottom(), 1e-3);
    const QPointF p = engine.Transform(QPointF(7, 9), 1, 2.0f, 180, false);
    const QPointF pb = engine.Transform(p, 1, 2.0f, 180, true);
    EXPECT_NEAR(pb.x(), 7, 1e-3);
    EXPECT_NEAR(pb.y(), 9, 1e-3);

    // No fields: one empty entry per page.
    const QMap<int, QVector<rect>> sigs = engine.GetErrorSignature();
    EXPECT_EQ(QList<int>({0, 1, 2}), sigs.keys());
    for (const QVector<rect>& v : sigs)
        EXPECT_TRUE(v.isEmpty());
    EXPECT_EQ(0, engine.getSinatureCount());
}

TEST(Facade, OpenFailuresAndAnEmptyFacade)
{
    ScratchDir dir;
    PdfEngine engine;
    EXPECT_EQ(VQ_NOFOUND_FILE, engine.Load(q(dir.file("missing.pdf")), false, nullptr));
    writeFile(dir.file("text.pdf"), "hello, not a document\n");
    EXPECT_EQ(VQ_NOSUPPORT_FILE, engine.Load(q(dir.file("text.pdf")), false, nullptr));
    EXPECT_NE(0, engine.LoadStream(QByteArray("%PDF-1.7\ngarbage"), nullptr));
    // Nothing open: every operation gives its empty result.
    EXPECT_FALSE(engine.isOpen());
    EXPECT_EQ(0, engine.PageCount());
    EXPECT_EQ(QRectF(), engine.PageMediabox(1));
    QRectF area(0, 0, 10, 10);
    EXPECT_EQ(nullptr, engine.RenderBitmap(1, 1.0f, 0, &area));
    EXPECT_FALSE(engine.DocumentChanged());
    EXPECT_EQ(VQ_FAIL, engine.Save());
    QString target = q(dir.file("out.pdf"));
    EXPECT_NE(0, engine.SaveAs(target, 1, false));
    EXPECT_TRUE(engine.GetErrorSignature().isEmpty());
}

TEST(Facade, RecentListsOnlyForAnInteractiveOpen)
{
    QTemporaryDir settingsDir;
    ScopedSettingsLocation settings(settingsDir.path());
    ScratchDir dir;
    const std::string path = dir.file("r.pdf");
    writeFile(path, redBoxPage());
    {
        PdfEngine quiet;
        ASSERT_EQ(0, quiet.Load(q(path), false, nullptr));
        PdfEngine memory;
        ASSERT_EQ(0, memory.LoadStream(QByteArray::fromStdString(redBoxPage()), nullptr));
        EXPECT_TRUE(memory.FileName().isEmpty());
        EXPECT_TRUE(RegeditSettings::Instance()->recentlyFiles().isEmpty());
        EXPECT_TRUE(RegeditSettings::Instance()->recentlyFolds().isEmpty());
        EXPECT_EQ(&memory == g_pdfEngine.loadAcquire(), false);
        EXPECT_EQ(&quiet, g_pdfEngine.loadAcquire());
    }
    // A deleted facade is never named.
    EXPECT_EQ(nullptr, g_pdfEngine.loadAcquire());
    PdfEngine shown;
    ASSERT_EQ(0, shown.Load(q(path), true, nullptr));
    const QList<recentfile> files = RegeditSettings::Instance()->recentlyFiles();
    ASSERT_EQ(1, files.size());
    EXPECT_EQ(q(path), files.first().file);
    EXPECT_FALSE(files.first().fixed);
    EXPECT_EQ(q(dir.path()), RegeditSettings::Instance()->recentlyFold());
}

TEST(Facade, RendersInColourAndGray)
{
    ScratchDir dir;
    const std::string path = dir.file("red.pdf");
    writeFile(path, redBoxPage());
    PdfEngine engine;
    ASSERT_EQ(0, engine.Load(q(path), false, nullptr));
    engine.CutOutPages();

    QRectF whole = engine.PageMediabox(1);
    std::unique_ptr<RenderedBitmap> bmp(engine.RenderBitmap(1, 1.0f, 0, &whole));
    ASSERT_TRUE(bmp);
    ASSERT_EQ(QSize(200, 100), bmp->size);
    ASSERT_TRUE(bmp->hMap.isNull());
    const QImage& img = *bmp->image;
    EXPECT_EQ(QImage::Format_RGB32, img.format());
    EXPECT_EQ(200 * 4, img.bytesPerLine());
    EXPECT_EQ(qRgb(255, 0, 0), ((img.pixel(30, 75) & 0xffffffu) | 0xff000000u));
    EXPECT_EQ(qRgb(255, 255, 255), ((img.pixel(150, 20) & 0xffffffu) | 0xff000000u));
    // A copy of the image keeps its pixels after the bitmap is gone.
    const QImage copy = img;
    bmp.reset();
    EXPECT_EQ(qRgb(255, 0, 0), ((copy.pixel(30, 75) & 0xffffffu) | 0xff000000u));

    // Twice the zoom of the top half.
    QRectF top(0, 0, 200, 50);
    std::unique_ptr<RenderedBitmap> half(engine.RenderBitmap(1, 2.0f, 0, &top));
    ASSERT_TRUE(half);
    EXPECT_EQ(QSize(400, 100), half->size);

    std::unique_ptr<NativeBufferImage> gray(
        engine.RenderBitmap(1, 1.0f, 0, VQ_RENDER_ALL, VQ_COLORSPACE_GRAY, nullptr));
    ASSERT_TRUE(gray);
    ASSERT_EQ(QSize(200, 100), gray->size());
    ASSERT_EQ(200 * 4, gray->bytesPerLine());
    int darker = 0;
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 200; ++x)
        {
            const unsigned char* px = gray->constScanLine(y) + x * 4;
            ASSERT_EQ(px[0], px[1]);
            ASSERT_EQ(px[1], px[2]);
            if (px[0] < 200)
                ++darker;
        }
    EXPECT_EQ(50 * 30, darker);
    std::unique_ptr<NativeBufferImage> rgb(
        engine.RenderBitmap(1, 1.0f, 0, VQ_RENDER_CONTENT, VQ_COLORSPACE_RGB, nullptr));
    ASSERT_TRUE(rgb);
    EXPECT_EQ(qRgb(255, 0, 0), ((rgb->pixel(30, 75) & 0xffffffu) | 0xff000000u));
}

TEST(Facade, FieldInventory)
{
    // Two text fields and one signature field (without a value) on page 2 of 3.
    PdfBuilder b;
    const int catalog = b.reserve();
    const int tree = b.reserve();
    const int p1 = b.reserve(), p2 = b.reserve(), p3 = b.reserve();
    const int t1 = b.add("<< /Type /Annot /Subtype /Widget /FT /Tx /T (Name) /Rect [10 10 90 30] /P " +
                         std::to_string(p2) + " 0 R >>");
    const int t2 = b.add("<< /Type /Annot /Subtype /Widget /FT /Tx /T (City) /Rect [10 40 90 60] /P " +
                         std::to_string(p2) + " 0 R >>");
    const int sg = b.add("<< /Type /Annot /Subtype /Widget /FT /Sig /T (Sig1) /Rect [100 10 190 60] /P " +
                         std::to_string(p2) + " 0 R >>");
    const std::string page = "<< /Type /Page /Parent " + std::to_string(tree) + " 0 R /MediaBox [0 0 200 100]";
    b.set(p1, page + " >>");
    b.set(p2, page + " /Annots [" + std::to_string(t1) + " 0 R " + std::to_string(t2) + " 0 R " +
                  std::to_string(sg) + " 0 R] >>");
    b.set(p3, page + " >>");
    b.set(tree, "<< /Type /Pages /Kids [" + std::to_string(p1) + " 0 R " + std::to_string(p2) + " 0 R " +
                    std::to_string(p3) + " 0 R] /Count 3 >>");
    b.set(catalog, "<< /Type /Catalog /Pages " + std::to_string(tree) + " 0 R /AcroForm << /Fields [" +
                       std::to_string(t1) + " 0 R " + std::to_string(t2) + " 0 R " + std::to_string(sg) +
                       " 0 R] /SigFlags 3 >> >>");
    PdfEngine engine;
    ASSERT_EQ(0, engine.LoadStream(QByteArray::fromStdString(b.build(catalog)), nullptr));
    engine.CutOutPages();
    EXPECT_EQ(3, engine.getSinatureCount());
    EXPECT_EQ(1, engine.DocumentSignatureCount());
    const QMap<int, QVector<rect>> sigs = engine.GetErrorSignature();
    ASSERT_EQ(3, sigs.size());
    ASSERT_EQ(1, sigs.value(1).size());
    EXPECT_FLOAT_EQ(100, sigs.value(1).first().x0);
    EXPECT_FLOAT_EQ(40, sigs.value(1).first().y0); // top edge as displayed: 100 - 60
    EXPECT_TRUE(sigs.value(0).isEmpty());
    vq_signature* sig = engine.getSignatureByName("Sig1");
    ASSERT_NE(nullptr, sig);
    EXPECT_EQ(Detached_Null, engine.SignatureVersion(sig));
    EXPECT_EQ("Sig1", engine.getSignatureT(sig));
    // A squiggly mark is not offered and changes nothing.
    float c[3] = {0, 0, 1};
    rect r{1, 1, 5, 5};
    EXPECT_FALSE(engine.AddMarkAnnot(1, c, 1.0f, r, &r, 1, VQ_ANNOT_SQUIGGLY));
    EXPECT_FALSE(engine.DocumentChanged());
}

TEST_F(FacadeFiles, SaveInPlaceAppendsAnUpdate)
{
    PdfEngine engine;
    openAndChange(engine);
    EXPECT_EQ(0, engine.Save());
    const std::string after = readFile(path);
    EXPECT_TRUE(startsWith(after, original));
    EXPECT_NE(std::string::npos, after.find("/Highlight", original.size()));
    EXPECT_FALSE(engine.DocumentChanged());
    EXPECT_TRUE(engine.isOpen());
    EXPECT_EQ(3, engine.PageCount());
    // Nothing left beside the file.
    EXPECT_EQ(std::vector<std::string>{"doc.pdf"}, dir.entries());
}

TEST_F(FacadeFiles, SaveAsAnotherPathReplacesItAndKeepsTheDocument)
{
    const std::string target = dir.file("copy.pdf");
    writeFile(target, "an older file of that name");
    PdfEngine engine;
    openAndChange(engine);
    QString t = q(target);
    EXPECT_EQ(0, engine.SaveAs(t, 1, false));
    EXPECT_EQ(q(target), t);
    const std::string copy = readFile(target);
    EXPECT_TRUE(startsWith(copy, original));
    EXPECT_NE(std::string::npos, copy.find("/Highlight"));
    EXPECT_EQ(original, readFile(path));
    // The facade keeps its document and its own file.
    EXPECT_TRUE(engine.isOpen());
    EXPECT_EQ(q(path), engine.FileName());
    QRectF area(0, 0, 50, 50);
    EXPECT_NE(nullptr, std::unique_ptr<RenderedBitmap>(engine.RenderBitmap(1, 1.0f, 0, &area)));
    // No temporary file is left in the target folder.
    std::vector<std::string> names = dir.entries();
    std::sort(names.begin(), names.end());
    EXPECT_EQ((std::vector<std::string>{"copy.pdf", "doc.pdf"}), names);
    // A later save in place still goes to the document's own file.
    EXPECT_EQ(0, engine.Save());
    EXPECT_NE(std::string::npos, readFile(path).find("/Highlight"));
}

TEST_F(FacadeFiles, SaveAsOwnPathGoesThroughAFreeTemporaryName)
{
    writeFile(dir.file("tmpFile0"), "zero");
    writeFile(dir.file("tmpFile1"), "one");
    PdfEngine engine;
    openAndChange(engine);
    QString own = q(path);
    EXPECT_EQ(0, engine.SaveAs(own, 1, false));
    EXPECT_EQ(q(path), own);
    const std::string after = readFile(path);
    EXPECT_TRUE(startsWith(after, original));
    EXPECT_NE(std::string::npos, after.find("/Highlight"));
    EXPECT_EQ("zero", readFile(dir.file("tmpFile0")));
    EXPECT_EQ("one", readFile(dir.file("tmpFile1")));
    std::vector<std::string> names = dir.entries();
    std::sort(names.begin(), names.end());
    EXPECT_EQ((std::vector<std::string>{"doc.pdf", "tmpFile0", "tmpFile1"}), names);
    // The document is finished; its owner discards the facade.
    EXPECT_FALSE(engine.isOpen());
    EXPECT_EQ(0, engine.PageMediabox(1).width());
}

TEST_F(FacadeFiles, FailedSavesLeaveEveryFileAsItWas)
{
    PdfEngine engine;
    openAndChange(engine);

    // No folder for the new file.
    QString nowhere = q(dir.file("missing/out.pdf"));
    EXPECT_EQ(VQ_FILE_IS_BUSY, engine.SaveAs(nowhere, 1, false));
    EXPECT_TRUE(engine.isOpen());

    // Every temporary name beside the document is taken.
    {
        const std::string busyDir = dir.file("busy");
        ASSERT_EQ(0, mkdir(busyDir.c_str(), 0700));
        const std::string inside = busyDir + "/doc.pdf";
        writeFile(inside, original);
        for (int i = 0; i < 10000; ++i)
            std::ofstream(busyDir + "/tmpFile" + std::to_string(i));
        PdfEngine there;
        ASSERT_EQ(0, there.Load(q(inside), false, nullptr));
        there.CutOutPages();
        float red[3] = {1, 0, 0};
        rect quad{20, 20, 120, 40};
        ASSERT_TRUE(there.AddMarkAnnot(1, red, 0.5f, quad, &quad, 1, VQ_ANNOT_HIGHLIGHT));
        QString own = q(inside);
        EXPECT_EQ(VQ_FILE_IS_BUSY, there.SaveAs(own, 1, false));
        EXPECT_EQ(original, readFile(inside));
        // The document stays open with its change, ready to be saved elsewhere.
        EXPECT_TRUE(there.isOpen());
        EXPECT_TRUE(there.DocumentChanged());
        QString elsewhere = q(dir.file("rescued.pdf"));
        EXPECT_EQ(0, there.SaveAs(elsewhere, 1, false));
        EXPECT_NE(std::string::npos, readFile(dir.file("rescued.pdf")).find("/Highlight"));
    }
    EXPECT_EQ(original, readFile(path));
}

TEST_F(FacadeFiles, SavesRefusedWhenTheFileChangedOnDisk)
{
    PdfEngine engine;
    openAndChange(engine);
    // Another program appends to the file after it was opened.
    std::ofstream(path, std::ios::app) << "% written by another program\n";
    const std::string changed = readFile(path);

    EXPECT_EQ(VQ_FILE_CHANGED, engine.Save());
    QString own = q(path);
    EXPECT_EQ(VQ_FILE_CHANGED, engine.SaveAs(own, 1, false));
    EXPECT_EQ(changed, readFile(path));
    EXPECT_EQ(std::vector<std::string>{"doc.pdf"}, dir.entries()) << "no temporary file left";
    // The user learns why, and the document stays open with its change.
    EXPECT_TRUE(PdfEngine::saveCodeText(VQ_FILE_CHANGED).contains(QStringLiteral("其他程序修改")));
    EXPECT_TRUE(PdfEngine::saveCodeText(VQ_FILE_IS_BUSY).isEmpty());
    EXPECT_TRUE(engine.isOpen());
    EXPECT_TRUE(engine.DocumentChanged());
}

TEST(Facade, SavingADocumentOpenedFromMemory)
{
    ScratchDir dir;
    const std::string bytes = redBoxPage();
    PdfEngine engine;
    ASSERT_EQ(0, engine.LoadStream(QByteArray::fromStdString(bytes), nullptr));
    engine.CutOutPages();
    float blue[3] = {0, 0, 1};
    rect quad{5, 5, 50, 15};
    ASSERT_TRUE(engine.AddMarkAnnot(1, blue, 1.0f, quad, &quad, 1, VQ_ANNOT_UNDERLINE));

    QByteArray inMemory;
    EXPECT_EQ(0, engine.SaveAs(inMemory, 1));
    EXPECT_TRUE(inMemory.startsWith(QByteArray::fromStdString(bytes)));
    EXPECT_TRUE(inMemory.contains("/Underline"));

    // The incremental update goes after the document's own bytes, which are written first.
    const std::string target = dir.file("from-memory.pdf");
    QString t = q(target);
    EXPECT_EQ(0, engine.SaveAs(t, 1, false));
    const std::string written = readFile(target);
    EXPECT_EQ(0, written.compare(0, bytes.size(), bytes));
    EXPECT_NE(std::string::npos, written.find("/Underline"));
    PdfEngine again;
    ASSERT_EQ(0, again.Load(q(target), false, nullptr));
    EXPECT_EQ(1, again.PageCount());

    // A full save into memory gives a complete file of its own.
    QByteArray full;
    EXPECT_EQ(0, engine.SaveAs(full, 0));
    EXPECT_TRUE(full.startsWith("%PDF-"));
    PdfEngine fromFull;
    EXPECT_EQ(0, fromFull.LoadStream(full, nullptr));
}

} // namespace
