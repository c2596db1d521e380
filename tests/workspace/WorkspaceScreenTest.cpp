// The workspace under a real X server, with the in-process stand-in service: documents opened
// into tabs, a document signed through the service verified on opening, thumbnails painted and
// clicked, a changed document closed without saving, and a tab closed while its verification
// waits for the service. Screenshots of the workspace are kept under screenshots/ of the build
// for a person to look at.
#include "WorkspaceTestSupport.h"

#include "ColorDialog.h"
#include "ColorWidget.h"
#include "StylePopup.h"

#include <QComboBox>
#include <QDir>
#include <QGuiApplication>
#include <QMenu>
#include <QScreen>
#include <QTabBar>
#include <QToolButton>

using namespace workspacetest;

namespace {

const char* const kTimeStampCheck = "/eseal-signature/timeStamp/timeStampVerify";

QString artefact(const QString& name)
{
    QDir().mkpath(QStringLiteral(ORV_WORKSPACE_ARTEFACTS));
    return QStringLiteral(ORV_WORKSPACE_ARTEFACTS "/") + name;
}

// Paints until the visible pages of the view and of the thumbnails (when shown) are rendered.
bool settle(SignPage& page)
{
    SplitterFrame* frame = page.currentFrame();
    ThumbnailWidget* thumbs = frame->leftToolBar()->thumbnails();
    return canvastest::waitForVisiblePagesRendered({{frame->canvas()->paintSurface(), frame->canvas()->AsFixed()},
                                                    {thumbs->drawingArea(), thumbs->AsFixed()}});
}

// How many pixels inside a page's rectangle of a grab are not paper white (its rendered text).
int inkIn(const QImage& shot, QRect r)
{
    int ink = 0;
    r = r.adjusted(3, 3, -3, -3).intersected(shot.rect());
    for (int y = r.top(); y <= r.bottom(); y++)
        for (int x = r.left(); x <= r.right(); x++)
            if (qGray(shot.pixel(x, y)) < 200)
                ink++;
    return ink;
}

class WorkspaceScreen : public signingtest::SigningTest
{
protected:
    void SetUp() override
    {
        signingtest::SigningTest::SetUp();
        cache();
        page.resize(1024, 720);
        page.show();
        QCoreApplication::processEvents();
    }

    QString write(const QString& name, const std::string& bytes)
    {
        const QString path = settingsDir.filePath(name);
        fixture::writeFile(path.toStdString(), bytes);
        return path;
    }

    // A document of `pageCount` pages signed once on page 1 through the stand-in.
    std::string signedThroughTheService(int pageCount)
    {
        signingtest::SigningView v(workspacetest::pages(pageCount));
        EXPECT_FALSE(signAt(v, seals[0].id).isEmpty());
        return v.fileBytes();
    }

    SignPage page;
};

} // namespace

TEST_F(WorkspaceScreen, TwoDocumentsAndAReopenGiveTwoTabs)
{
    const QString a = write("合同甲.pdf", pages(3));
    const QString b = write("b.pdf", pages(1));
    ASSERT_TRUE(page.addFileTab(a));
    ASSERT_TRUE(page.addFileTab(b));
    ASSERT_TRUE(page.addFileTab(a));
    EXPECT_EQ(2, page.tabWidget()->count());
    EXPECT_EQ(0, page.tabWidget()->currentIndex());
    EXPECT_EQ(QString::fromUtf8("合同甲.pdf"), page.tabWidget()->tabText(0));
}

TEST_F(WorkspaceScreen, ThumbnailsShowAndAClickGoesToThePage)
{
    ASSERT_TRUE(page.addFileTab(write("合同甲.pdf", pages(5))));
    SplitterFrame* frame = page.currentFrame();
    LeftToolBar* left = frame->leftToolBar();
    ThumbnailWidget* thumbs = left->thumbnails();
    // The panel opens from the strip; its thumbnails page is chosen with its tab button.
    frame->pushWidget()->button()->click();
    left->buttons()->button(0)->click();
    ASSERT_TRUE(thumbs->isVisible());
    ASSERT_TRUE(settle(page));

    DisplayModel* dm = thumbs->AsFixed();
    const QImage shot = thumbs->drawingArea()->grab().toImage();
    for (int p = 1; p <= 3; p++)
        EXPECT_GT(inkIn(shot, dm->GetPageInfo(p)->pageOnScreen), 5) << "thumbnail " << p;
    QCoreApplication::processEvents();
    ASSERT_TRUE(page.grab().save(artefact("workspace_one_document.png")));

    // Between two thumbnails nothing happens; on the third one the view goes to page 3.
    const QRect second = dm->GetPageInfo(2)->pageOnScreen, third = dm->GetPageInfo(3)->pageOnScreen;
    QTest::mouseClick(thumbs->drawingArea(), Qt::LeftButton, Qt::NoModifier,
                      QPoint(second.center().x(), (second.bottom() + third.top()) / 2));
    EXPECT_EQ(1, frame->canvas()->AsFixed()->CurrentPageNo());
    QTest::mouseClick(thumbs->drawingArea(), Qt::LeftButton, Qt::NoModifier, third.center());
    EXPECT_EQ(3, frame->canvas()->AsFixed()->CurrentPageNo());
    EXPECT_TRUE(waitUntil([&] { return thumbs->currentPage() == 3; }));
}

TEST_F(WorkspaceScreen, SignedDocumentsListTheirVerdictsOnOpening)
{
    loginWithSeals("13900000000");
    ASSERT_FALSE(seals.isEmpty());
    const std::string good = signedThroughTheService(2);
    std::string forged = good;
    const size_t at = forged.find("(Page 2)");
    ASSERT_NE(std::string::npos, at);
    forged.replace(at, 8, "(Page X)");

    struct Case
    {
        std::string bytes;
        int code;
        const char* summary;
        const char* icon;
    };
    const Case cases[] = {
        {forged, 0, "至少有一个签名无效", ":/Resources/images/msg_error.svg"},
        {good, 1, "所有签名都有效", ":/Resources/images/msg_suc.svg"},
    };
    int n = 0;
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.summary);
        ASSERT_TRUE(page.addFileTab(write(QStringLiteral("已签署%1.pdf").arg(n++), c.bytes)));
        SplitterFrame* frame = page.currentFrame();
        SignatureListWidget* list = frame->leftToolBar()->signatureList();
        ASSERT_TRUE(waitVerified(frame));
        EXPECT_EQ(QVector<int>{c.code}, list->results());
        ASSERT_EQ(1, list->listWidget()->count());
        EXPECT_TRUE(rowShows(list->listWidget()->item(0), QString::fromUtf8(c.icon)));
        EXPECT_EQ(QString::fromUtf8(c.summary), list->summaryText()->text());
        EXPECT_EQ(QString::fromUtf8(c.icon), list->summaryIconPath());
        EXPECT_TRUE(list->listWidget()->isEnabled());
        // The panel opened on the signature list.
        EXPECT_TRUE(list->isVisible());
        EXPECT_EQ(":/Resources/images/dropleft.svg", frame->pushWidget()->arrowIcon());
    }
    ASSERT_TRUE(settle(page));
    QCoreApplication::processEvents();
    ASSERT_TRUE(page.grab().save(artefact("workspace_signed_document.png")));
}

TEST_F(WorkspaceScreen, ClosingAChangedDocumentWithNoLeavesTheFileAsItWas)
{
    const QString path = write("批注.pdf", pages(2));
    const std::string before = fixture::readFile(path.toStdString());
    ASSERT_TRUE(page.addFileTab(path));
    QPointer<SplitterFrame> frame = page.currentFrame();
    float yellow[3] = {1, 1, 0};
    rect quad{50, 80, 250, 110};
    ASSERT_TRUE(frame->engine()->AddMarkAnnot(1, yellow, 0.5f, quad, &quad, 1, VQ_ANNOT_HIGHLIGHT));

    MMessageBoxAutoAnswer no(QDialogButtonBox::No);
    QWidget* close = page.tabWidget()->tabBar()->tabButton(0, QTabBar::RightSide);
    ASSERT_NE(nullptr, close);
    QTest::mouseClick(close, Qt::LeftButton);
    ASSERT_EQ(1, no.count());
    EXPECT_EQ(0, page.tabWidget()->count());
    EXPECT_TRUE(waitDeleted(frame));
    EXPECT_EQ(before, fixture::readFile(path.toStdString()));
}

TEST_F(WorkspaceScreen, ClosingATabWhileItsVerificationWaitsForTheService)
{
    StandinScript hold;
    hold.hold = true;
    standin.script(kTimeStampCheck, hold);
    const signedpdf::Sm2Identity id = signedpdf::makeSm2Identity("Many Signer");
    ASSERT_TRUE(page.addFileTab(write("fifty.pdf", signedpdf::multiSignedDocument(id, 50, "TS-HELD"))));
    QPointer<SplitterFrame> frame = page.currentFrame();
    ASSERT_TRUE(frame->leftToolBar()->signatureList()->isVerifying());
    ASSERT_TRUE(waitUntil([&] { return standin.heldCount(kTimeStampCheck) >= 1; }, 20000));

    // The service's answer is due only in ten seconds: the tab must go long before.
    QElapsedTimer t;
    t.start();
    page.closeIndexTab(0);
    EXPECT_TRUE(waitDeleted(frame, 4000));
    EXPECT_LT(t.elapsed(), 4000);
    EXPECT_EQ(0, page.tabWidget()->count());
    standin.release(kTimeStampCheck);
}

// The tool bar over an open document, with a style popup open under its tool and the colour
// picker of another: the popups are windows of their own, so the screen is grabbed.
TEST_F(WorkspaceScreen, ToolBarWithItsStylePopupsAndTheColourPicker)
{
    page.move(0, 0);
    ASSERT_TRUE(page.addFileTab(write("toolbar.pdf", pages(2))));
    ASSERT_TRUE(settle(page));
    MenuBar* bar = page.menuBar();
    auto grabScreen = [&] {
        QCoreApplication::processEvents();
        return QGuiApplication::primaryScreen()->grabWindow(0, 0, 0, 1024, 500);
    };
    auto openUnder = [&](QMenu* menu, int tool) {
        QAbstractButton* b = bar->toolButton(tool);
        menu->popup(b->mapToGlobal(QPoint(0, b->height())));
        // On screen and painted there: a grab of the screen before would show what lies under it.
        if (!waitUntil([&] { return menu->isVisible(); }) || !QTest::qWaitForWindowExposed(menu))
            return false;
        menu->repaint();
        return true;
    };

    ASSERT_TRUE(openUnder(bar->penMenu(), MS_Pen));
    bar->penPanel()->widthBox()->setCurrentIndex(2);
    bar->penPanel()->palette()->swatch(1)->click();
    bar->penMenu()->repaint();
    const QPixmap pen = grabScreen();
    ASSERT_FALSE(pen.isNull());
    ASSERT_TRUE(pen.save(artefact("toolbar_pen_popup.png")));
    bar->penMenu()->hide();

    ASSERT_TRUE(openUnder(bar->highlightMenu(), MS_Highight));
    const QPixmap palette = grabScreen();
    ASSERT_TRUE(palette.save(artefact("toolbar_highlight_popup.png")));
    bar->highlightPanel()->palette()->blendButton()->click();
    ASSERT_TRUE(bar->highlightPanel()->picker()->isVisible());
    QCoreApplication::processEvents();
    bar->highlightMenu()->repaint();
    const QPixmap picker = grabScreen();
    ASSERT_TRUE(picker.save(artefact("toolbar_colour_picker.png")));
    bar->highlightMenu()->hide();

    // The bubble stands under its tool: white panel below the bar around the tool's centre.
    const QImage shot = pen.toImage();
    QAbstractButton* penTool = bar->toolButton(MS_Pen);
    const QPoint below = penTool->mapToGlobal(QPoint(penTool->width() / 2, penTool->height() + 40));
    EXPECT_EQ(QColor(Qt::white).rgb(), shot.pixel(below.x() + 60, below.y())) << below.x() << "," << below.y();
}
