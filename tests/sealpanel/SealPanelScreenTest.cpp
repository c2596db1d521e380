// The seal panel and the canvas end to end under a real X server, logged in to the in-process
// stand-in as a company: the self-sign tool opens the panel, a seal row's "我要签署" arms the
// canvas, and a click signs one page in place, the odd pages of a batch, or a cross-page seal
// over a range set with the page boxes' arrows. Each result is verified by the facade and, on
// its own, by OpenSSL. Screenshots are kept under screenshots/ of the build.
#include "SealPanelSupport.h"

#include "LeftToolBar.h"
#include "PreviewSignDlg.h"
#include "PrintPreView.h"
#include "SignatureCheck.h"
#include "SignatureListWidget.h"

#include <QDir>
#include <QTest>

using namespace signingtest;
using namespace sealpanel;

namespace {

QString artefact(const QString& name)
{
    QDir().mkpath(QStringLiteral(ORV_SEALPANEL_ARTEFACTS));
    return QStringLiteral(ORV_SEALPANEL_ARTEFACTS "/") + name;
}

QList<int> pagesOf(const QList<Verified>& fields)
{
    QList<int> pages;
    for (const Verified& f : fields)
        pages << f.pageno;
    std::sort(pages.begin(), pages.end());
    return pages;
}

// Every control of the panel's option block that shows lies inside the panel: none runs past
// its right edge.
void expectOptionsInsidePanel(RightToolBar* panel)
{
    QWidget* block = panel->pageModeBox()->parentWidget();
    int checked = 0;
    for (QWidget* w : block->findChildren<QWidget*>()) {
        if (w->isWindow() || !w->isVisibleTo(panel))
            continue;
        const QRect r(w->mapTo(panel, QPoint(0, 0)), w->size());
        EXPECT_TRUE(panel->rect().contains(r))
            << w->metaObject()->className() << " at " << r.x() << "," << r.y() << " " << r.width() << "x"
            << r.height() << " outside the panel of width " << panel->width();
        checked++;
    }
    EXPECT_GT(checked, 3);
}

class SealPanelScreen : public SigningTest
{
protected:
    void SetUp() override
    {
        SigningTest::SetUp();
        ASSERT_TRUE(dir.isValid());
        canvastest::sharedCache();
        loginWithSeals(kCompany);
        ASSERT_EQ(2, seals.size());
        seal = seals.at(1);
        target = dir.filePath(QStringLiteral("out.pdf"));
        Canvas::setSaveFileChooser([this](QWidget*, const QString&, const QString&, const QString&) { return target; });
        page.resize(1024, 720);
        page.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&page));
    }

    void TearDown() override
    {
        Canvas::setSaveFileChooser(nullptr);
        SigningTest::TearDown();
    }

    // Opens a document of n pages and picks the self-sign tool: the panel of its tab.
    RightToolBar* open(int n)
    {
        source = dir.filePath(QStringLiteral("doc.pdf"));
        fixture::writeFile(source.toStdString(), pagesDocument(n));
        if (!page.addFileTab(source))
            return nullptr;
        page.changeOperate(MS_LocalSignature);
        QCoreApplication::processEvents();
        return page.currentFrame()->rightToolBar();
    }

    // "我要签署" on the row of the chosen seal.
    void chooseSeal(RightToolBar* panel)
    {
        ShowSealCellWidget* row = rowWithId(panel->sealListWidget(), seal.id);
        ASSERT_NE(nullptr, row);
        row->signButton()->click();
        ASSERT_EQ(seal.id, page.currentFrame()->canvas()->chosenSeal().id);
    }

    // Clicks the seal down with its centre at a point of a page (page space).
    void clickAt(int pageNo, QPointF pt)
    {
        Canvas* canvas = page.currentFrame()->canvas();
        canvas->gotoPage(pageNo);
        QCoreApplication::processEvents();
        const QPoint at = canvas->AsFixed()->CvtToScreen(pageNo, pt, true).toPoint();
        QTest::mousePress(canvas->paintSurface(), Qt::LeftButton, Qt::NoModifier, at);
    }

    // Shows a page and waits until the visible pages are rendered, then keeps a screenshot.
    void shoot(const QString& name, int pageNo = 1)
    {
        // The side panel shows the verdicts of the document's signatures once its pass is over.
        SignatureListWidget* list = page.currentFrame()->leftToolBar()->signatureList();
        EXPECT_TRUE(waitUntil([&] { return !list->isVerifying(); }, 10000));
        Canvas* canvas = page.currentFrame()->canvas();
        canvas->gotoPage(pageNo);
        DisplayModel* dm = canvas->AsFixed();
        EXPECT_TRUE(waitUntil(
            [&] {
                canvas->paintSurface()->repaint();
                for (int p = 1; p <= dm->PageCount(); p++)
                    if (dm->GetPageInfo(p)->visibleRatio > 0 &&
                        !canvastest::sharedCache()->Exists(dm, p, dm->GetRotation(), dm->GetZoomReal(), nullptr))
                        return false;
                return true;
            },
            10000));
        ASSERT_TRUE(page.grab().save(artefact(name)));
    }

    QTemporaryDir dir;
    SignPage page;
    SealInfo seal;
    QString source, target;
};

} // namespace

TEST_F(SealPanelScreen, OnePageSignedInPlace)
{
    RightToolBar* panel = open(2);
    ASSERT_NE(nullptr, panel);
    ASSERT_FALSE(panel->isHidden());
    chooseSeal(panel);
    clickAt(1, QPointF(150, 200));

    EXPECT_EQ(0, boxes.count()) << boxes.lastText().toStdString();
    EXPECT_EQ(1, keypadsShown);
    const QList<Verified> fields = verifyFile(source);
    ASSERT_EQ(1, fields.size());
    EXPECT_EQ(0, fields[0].pageno);
    EXPECT_EQ(1, fields[0].code);
    EXPECT_TRUE(sigcheck::independentlyVerified(fixture::readFile(source.toStdString()), cert));
    shoot(QStringLiteral("sealpanel_single_signed.png"));
}

TEST_F(SealPanelScreen, OddPagesOfABatchInANewFile)
{
    RightToolBar* panel = open(5);
    ASSERT_NE(nullptr, panel);
    const std::string original = fixture::readFile(source.toStdString());
    panel->signTypeGroup()->button(1)->click();
    panel->pageModeBox()->setCurrentIndex(2);
    shoot(QStringLiteral("sealpanel_batch_options.png"));
    expectOptionsInsidePanel(panel);
    chooseSeal(panel);
    clickAt(2, QPointF(150, 200));

    EXPECT_EQ(0, boxes.count()) << boxes.lastText().toStdString();
    // The open document stays as it was; the new file holds the fields and opens in the tab.
    EXPECT_EQ(original, fixture::readFile(source.toStdString()));
    const QList<Verified> fields = verifyFile(target);
    EXPECT_EQ(QList<int>({0, 2, 4}), pagesOf(fields));
    for (const Verified& f : fields)
        EXPECT_EQ(1, f.code);
    EXPECT_TRUE(sigcheck::independentlyVerified(fixture::readFile(target.toStdString()), cert));
    ASSERT_TRUE(waitUntil([&] { return page.currentFrame() && page.currentFrame()->engine()->FileName() == target; }));
    shoot(QStringLiteral("sealpanel_batch_signed.png"));
}

TEST_F(SealPanelScreen, CrossPageSealOverARangeSetWithTheArrows)
{
    RightToolBar* panel = open(5);
    ASSERT_NE(nullptr, panel);
    panel->signTypeGroup()->button(2)->click();
    panel->allPagesBox()->click();
    // The arrows change the boxes without leaving them: the range signed is what they show.
    panel->minPageBox()->setFocus();
    panel->minPageBox()->stepUp();
    panel->maxPageBox()->setFocus();
    panel->maxPageBox()->stepDown();
    ASSERT_EQ(2, panel->minPageBox()->value());
    ASSERT_EQ(4, panel->maxPageBox()->value());

    // The preview of these options, looked at before signing.
    ModalDriver previews;
    int previewed = 0;
    previews.on<PreviewSignDlg>([&](PreviewSignDlg* d) {
        previewed++;
        EXPECT_EQ(3, d->views().size());
        EXPECT_EQ(QString::fromUtf8("每页各占：33.33%"), d->shareLabel()->text());
        d->grab().save(artefact(QStringLiteral("sealpanel_preview_crosspage.png")));
        d->close();
    });
    panel->previewButton()->click();
    EXPECT_EQ(1, previewed);

    shoot(QStringLiteral("sealpanel_crosspage_options.png"));
    expectOptionsInsidePanel(panel);
    chooseSeal(panel);
    clickAt(2, QPointF(150, 200));

    EXPECT_EQ(0, boxes.count()) << boxes.lastText().toStdString();
    const QList<Verified> fields = verifyFile(target);
    EXPECT_EQ(QList<int>({1, 2, 3}), pagesOf(fields));
    for (const Verified& f : fields) {
        EXPECT_EQ(1, f.code);
        EXPECT_EQ(fields.first().signTime, f.signTime);
    }
    EXPECT_TRUE(sigcheck::independentlyVerified(fixture::readFile(target.toStdString()), cert));
    ASSERT_TRUE(waitUntil([&] { return page.currentFrame() && page.currentFrame()->engine()->FileName() == target; }));
    shoot(QStringLiteral("sealpanel_crosspage_signed.png"), 2);
}
