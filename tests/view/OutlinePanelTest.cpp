// The outline panel lists a document's outline and asks for the entry's page.
#include "BookMarkWidget.h"
#include "PdfFixture.h"
#include "ViewTestSupport.h"

#include <QLabel>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <memory>

namespace {

// Three pages; outline: "Chapter 1" -> page 1 with child "Section 1.1" -> page 3 at (72.9, 500.4),
// then "第二章" -> page 2.
std::string outlinedDocument(bool withOutline)
{
    fixture::PdfBuilder b;
    const int catalog = b.reserve();
    const int tree = b.reserve();
    std::string kids;
    int pageObj[3];
    for (int i = 0; i < 3; i++)
    {
        pageObj[i] = b.add("<< /Type /Page /Parent " + std::to_string(tree) + " 0 R /MediaBox [0 0 600 800] >>");
        kids += std::to_string(pageObj[i]) + " 0 R ";
    }
    b.set(tree, "<< /Type /Pages /Kids [" + kids + "] /Count 3 >>");
    std::string catalogExtra;
    if (withOutline)
    {
        const int outlines = b.reserve();
        const int ch1 = b.reserve();
        const int sec = b.reserve();
        const int ch2 = b.reserve();
        const std::string o = std::to_string(outlines), c1 = std::to_string(ch1), s = std::to_string(sec),
                          c2 = std::to_string(ch2);
        b.set(outlines, "<< /Type /Outlines /First " + c1 + " 0 R /Last " + c2 + " 0 R /Count 3 >>");
        b.set(ch1, "<< /Title (Chapter 1) /Parent " + o + " 0 R /Next " + c2 + " 0 R /First " + s + " 0 R /Last " + s +
                       " 0 R /Count 1 /Dest [" + std::to_string(pageObj[0]) + " 0 R /XYZ 0 800 0] >>");
        b.set(sec, "<< /Title (Section 1.1) /Parent " + c1 + " 0 R /Dest [" + std::to_string(pageObj[2]) +
                       " 0 R /XYZ 72.9 299.6 0] >>");
        // UTF-16BE title: 第二章
        b.set(ch2, "<< /Title <FEFF7B2C4E8C7AE0> /Parent " + o + " 0 R /Prev " + c1 + " 0 R /Dest [" +
                       std::to_string(pageObj[1]) + " 0 R /Fit] >>");
        catalogExtra = "/Outlines " + o + " 0 R";
    }
    b.set(catalog, "<< /Type /Catalog /Pages " + std::to_string(tree) + " 0 R " + catalogExtra + " >>");
    return b.build(catalog);
}

struct Opened
{
    explicit Opened(const QString& path)
    {
        engine.reset(new PdfEngine());
        loaded = engine->Load(path, false, nullptr);
        cb = new viewtest::RecordingCallback;
        dm.reset(new DisplayModel(cb, engine.get()));
        if (loaded == 0)
            dm->SetInitialViewSettings(DM_CONTINUOUS, 1, QSize(800, 600), 96);
    }
    ~Opened()
    {
        dm.reset();
        engine.reset();
    }
    std::unique_ptr<PdfEngine> engine;
    viewtest::RecordingCallback* cb;
    std::unique_ptr<DisplayModel> dm;
    int loaded = -1;
};

} // namespace

TEST(OutlinePanel, ListsTheOutlineAndAsksForPages)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("outline.pdf");
    fixture::writeFile(path.toStdString(), outlinedDocument(true));
    Opened doc(path);
    ASSERT_EQ(doc.loaded, 0);

    BookMarkWidget panel(nullptr, doc.dm.get());
    QTreeWidget* tree = panel.tree();
    ASSERT_EQ(tree->topLevelItemCount(), 2);
    QTreeWidgetItem* ch1 = tree->topLevelItem(0);
    QTreeWidgetItem* ch2 = tree->topLevelItem(1);
    EXPECT_EQ(ch1->text(0), QString("Chapter 1"));
    EXPECT_EQ(ch2->text(0), QString::fromUtf8("第二章"));
    ASSERT_EQ(ch1->childCount(), 1);
    QTreeWidgetItem* sec = ch1->child(0);
    EXPECT_EQ(sec->text(0), QString("Section 1.1"));
    EXPECT_TRUE(panel.notice()->isHidden());

    // A second fill does nothing while the tree has items.
    panel.createOutline();
    EXPECT_EQ(tree->topLevelItemCount(), 2);

    QSignalSpy spy(&panel, &BookMarkWidget::gotoPage);
    emit tree->itemClicked(sec, 0);
    emit tree->itemClicked(ch2, 0);
    panel.treeItemClick(nullptr, 0);
    ASSERT_EQ(spy.count(), 3);
    EXPECT_EQ(spy.at(0).at(0).toInt(), 3);
    const QPoint pt = spy.at(0).at(1).toPoint();
    EXPECT_EQ(pt.x(), 72); // truncated from 72.9
    EXPECT_EQ(spy.at(1).at(0).toInt(), 2);
    EXPECT_EQ(spy.at(2).at(0).toInt(), 1);
    EXPECT_EQ(spy.at(2).at(1).toPoint(), QPoint(0, 0));
}

TEST(OutlinePanel, NoOutlineShowsTheNotice)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("plain.pdf");
    fixture::writeFile(path.toStdString(), outlinedDocument(false));
    Opened doc(path);
    ASSERT_EQ(doc.loaded, 0);
    BookMarkWidget panel(nullptr, doc.dm.get());
    EXPECT_TRUE(panel.tree()->isHidden());
    EXPECT_FALSE(panel.notice()->isHidden());
    EXPECT_EQ(panel.notice()->text(), QString::fromUtf8("此文档没有目录"));
}
