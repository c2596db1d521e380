// Document operations the display model carries out from screen coordinates, on a real document.
#include "PdfFixture.h"
#include "ViewTestSupport.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

namespace {

class ModelDocumentTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        const QString path = dir.filePath("doc.pdf");
        std::vector<fixture::PageSpec> pages;
        for (const char* word : {"Alpha", "Beta", "Gamma"})
            pages.push_back({"[0 0 300 400]", "", std::string("BT /F1 24 Tf 40 300 Td (") + word + ") Tj ET\n"});
        fixture::writeFile(path.toStdString(), fixture::simpleDocument(pages));
        engine.reset(new PdfEngine());
        ASSERT_EQ(engine->Load(path, false, nullptr), 0);
        cb = new viewtest::RecordingCallback;
        dm.reset(new DisplayModel(cb, engine.get()));
        dm->SetInitialViewSettings(DM_CONTINUOUS, 1, QSize(800, 600), 72);
        dm->Relayout(100, 0);
        dm->SetViewPortSize(QSize(800, 600));
    }
    void TearDown() override
    {
        dm.reset();
        engine.reset();
    }

    QTemporaryDir dir;
    std::unique_ptr<PdfEngine> engine;
    viewtest::RecordingCallback* cb = nullptr;
    std::unique_ptr<DisplayModel> dm;
};

} // namespace

TEST_F(ModelDocumentTest, CopySelectionConcatenatesInPageOrder)
{
    QMap<int, QVector<QRectF>> sel;
    sel[2] = {QRectF(0, 0, 300, 400)};
    sel[1] = {QRectF(0, 0, 150, 400), QRectF(100, 0, 200, 400)};
    const QString text = dm->CopySelection(sel);
    ASSERT_TRUE(text.contains("Alpha")) << text.toStdString();
    ASSERT_TRUE(text.contains("Beta")) << text.toStdString();
    EXPECT_LT(text.indexOf("Alpha"), text.indexOf("Beta"));
    EXPECT_FALSE(text.contains("Gamma"));
}

TEST_F(ModelDocumentTest, MarkAnnotationsSkipPageZeroAndInvalidateOnce)
{
    QMap<int, QVector<QRectF>> marks;
    marks[0] = {QRectF(0, 0, 10, 10)};
    marks[3] = {QRectF(40, 80, 50, 20), QRectF(10, 100, 30, 20), QRectF(60, 70, 100, 10)};
    EXPECT_EQ(dm->AddMarkAnnot(marks, QColor(255, 255, 0), 0), 1);
    EXPECT_EQ(cb->invalidated, QList<int>{3});
    EXPECT_TRUE(engine->DocumentChanged());
}

TEST_F(ModelDocumentTest, PointsOnNoPageDoNotReachTheDocument)
{
    const QPoint nowhere(-50, -50);
    ToolSignatureInfo info;
    int res = 12345;
    EXPECT_TRUE(dm->AddSignatrue(nowhere, QByteArray("png"), 80, 80, QByteArray(), QString(), "s", "c", "u", "ru",
                                 "0", info, QString(), res)
                    .isEmpty());
    EXPECT_EQ(res, 12345);
    EXPECT_EQ(dm->AddSignatrue(nowhere, QString("/nonexistent.png"), 10, 10), 0);
    const auto rects = dm->GetTextRects(nowhere, VQ_IN_SELECT, QPointF(0, 0), QPointF(10, 10));
    ASSERT_EQ(rects.size(), 1);
    EXPECT_TRUE(rects.contains(-1));
    EXPECT_TRUE(rects[-1].isEmpty());
    EXPECT_FALSE(engine->DocumentChanged());
}

TEST_F(ModelDocumentTest, TextRectsAndFieldRects)
{
    const QRect p1 = dm->GetPageInfo(1)->pageOnScreen;
    const auto rects =
        dm->GetTextRects(p1.topLeft() + QPoint(5, 5), VQ_IN_SELECT, QPointF(p1.topLeft()), QPointF(p1.bottomRight()));
    ASSERT_TRUE(rects.contains(1));
    EXPECT_FALSE(rects[1].isEmpty());

    // No fields: one empty list per page.
    const auto fields = dm->GetErrorSignatureRect();
    EXPECT_EQ(fields.keys(), (QList<int>{1, 2, 3}));
    for (const auto& list : fields)
        EXPECT_TRUE(list.isEmpty());
    EXPECT_TRUE(dm->GetDocumentFoucsAnnotRect().isEmpty());
}
