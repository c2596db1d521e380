// The document view over the real engine: zooming and scrolling, page navigation, the mark and
// pen tools, text selection and copy, annotation deletion, context menus, keys, and the seal
// items of cloud documents. Mouse and keys come from QTest; menus and message boxes are answered
// through their seams; the pen's commit timer is fired through its seam instead of waited for.
#include "CanvasTestSupport.h"
#include "FreeSealItem.h"
#include "LoactionItem.h"
#include "MMessageBox.h"
#include "NetWorkBusiness.h"

#include <QAbstractEventDispatcher>
#include <QAction>
#include <QBuffer>
#include <QClipboard>
#include <QGraphicsScene>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QToolButton>
#include <QWheelEvent>

#include <gtest/gtest.h>

using namespace canvastest;

namespace {

// Counts the paint events of a widget.
struct PaintCounter : QObject
{
    explicit PaintCounter(QWidget* w) { w->installEventFilter(this); }
    bool eventFilter(QObject*, QEvent* e) override
    {
        if (e->type() == QEvent::Paint)
            count++;
        return false;
    }
    int count = 0;
};

// Installs a menu seam that records the entries and picks one by its text.
struct MenuScript
{
    explicit MenuScript(const QString& pick = QString())
    {
        Canvas::setMenuRunner([this, pick](QMenu& menu) -> QAction* {
            shown++;
            entries.clear();
            enabled.clear();
            QAction* chosen = nullptr;
            for (QAction* a : menu.actions())
            {
                entries << (a->isSeparator() ? QStringLiteral("-") : a->text());
                enabled << a->isEnabled();
                if (!pick.isEmpty() && a->text() == pick)
                    chosen = a;
            }
            return chosen;
        });
    }
    ~MenuScript() { Canvas::setMenuRunner(nullptr); }
    int shown = 0;
    QStringList entries;
    QList<bool> enabled;
};

void wheel(QWidget* w, QPoint pos, QPoint angle, Qt::KeyboardModifiers mods)
{
    QWheelEvent ev(QPointF(pos), QPointF(w->mapToGlobal(pos)), QPoint(), angle, Qt::NoButton, mods,
                   Qt::NoScrollPhase, false);
    QApplication::sendEvent(w, &ev);
}

QByteArray pngOf(const QImage& image)
{
    QByteArray bytes;
    QBuffer buf(&bytes);
    buf.open(QIODevice::WriteOnly);
    image.save(&buf, "PNG");
    return bytes;
}

class CanvasTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        screenZoom = 1.0f;
        h.reset(new Harness(twoPageDocument(), sharedCache()));
        ASSERT_EQ(h->loaded, 0);
    }
    void TearDown() override { h.reset(); }

    // Start and end of the text line of a page, in view coordinates.
    QPoint textStart(int page = 1) { return h->view(page, QPointF(52, 92)); }
    QPoint textEnd(int page = 1) { return h->view(page, QPointF(220, 92)); }

    std::unique_ptr<Harness> h;
};

TEST_F(CanvasTest, ConstructionShowsScrollBarsAndNoWarningForASignableDocument)
{
    EXPECT_TRUE(h->canvas->warningBar()->isHidden());
    EXPECT_TRUE(h->canvas->pageLabel()->isHidden());
    EXPECT_FALSE(h->canvas->verticalBar()->isHidden()); // two 500-point pages do not fit in 800 px
    EXPECT_EQ(h->canvas->GetMouseState(), MS_Hand);
    EXPECT_EQ(h->canvas->cursorTable().size(), 11);
    for (int key : {2, 3, 4, 5, 6, 7, 10})
        EXPECT_FALSE(h->canvas->cursorTable().value(key).pixmap().isNull()) << key;
}

TEST_F(CanvasTest, CtrlWheelZoomsAroundThePointer)
{
    const QPoint p = textStart() + QPoint(30, 40);
    const QPointF onPage = h->dm->CvtFromScreen(QPointF(p), 1, true);
    QSignalSpy zoomSpy(h->canvas.get(), &Canvas::zoomChanged);
    wheel(h->canvas.get(), p, QPoint(0, 120), Qt::ControlModifier);
    EXPECT_FLOAT_EQ(h->canvas->GetZoomValue(), 125.0f);
    EXPECT_GE(zoomSpy.count(), 1);
    // The page still fits the width (it stays centred); vertically the spot stays put.
    const QPointF after = h->dm->CvtToScreen(1, onPage, true);
    EXPECT_NEAR(after.y(), p.y(), 2.0);

    // Down zooms out; a 7-degree movement zooms in with Control but does not scroll without it.
    wheel(h->canvas.get(), p, QPoint(0, -120), Qt::ControlModifier);
    EXPECT_FLOAT_EQ(h->canvas->GetZoomValue(), 100.0f);
    const int before = h->canvas->verticalBar()->value();
    wheel(h->canvas.get(), p, QPoint(0, -56), Qt::NoModifier);
    EXPECT_EQ(h->canvas->verticalBar()->value(), before);
    wheel(h->canvas.get(), p, QPoint(0, -56), Qt::ControlModifier);
    EXPECT_FLOAT_EQ(h->canvas->GetZoomValue(), 125.0f);
}

TEST_F(CanvasTest, WheelWithControlAndShiftScrollsInsteadOfZooming)
{
    wheel(h->canvas.get(), QPoint(100, 100), QPoint(0, -120), Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_FLOAT_EQ(h->canvas->GetZoomValue(), 100.0f);
    EXPECT_EQ(h->canvas->verticalBar()->value(), 40);
    EXPECT_EQ(h->dm->GetViewPort().y(), 40);
}

TEST_F(CanvasTest, PageNavigationAndThePageLabel)
{
    QSignalSpy pages(h->canvas.get(), &Canvas::pageChanged);
    h->canvas->gotoPage(2);
    EXPECT_EQ(h->dm->CurrentPageNo(), 2);
    ASSERT_GE(pages.count(), 1);
    EXPECT_EQ(pages.last().at(0).toInt(), 2);

    h->canvas->gotoPage(1);
    EXPECT_EQ(h->dm->CurrentPageNo(), 1);
    h->canvas->verticalBar()->setValue(h->canvas->verticalBar()->maximum());
    EXPECT_FALSE(h->canvas->pageLabel()->isHidden());
    EXPECT_EQ(h->canvas->pageLabel()->text(), QStringLiteral("%1 / 2").arg(h->dm->CurrentPageNo()));

    // Page 2 at point (0, 100): its spot 100 points down the page comes to the top of the view
    // (at 200 %, where the document is tall enough to scroll there).
    h->canvas->setZoomValue(200);
    h->canvas->gotoPage(2, QPoint(0, 100));
    EXPECT_NEAR(h->dm->CvtToScreen(2, QPointF(0, 100), true).y(), 0.0, 8.0);
}

TEST_F(CanvasTest, ResizeBelowAHundredPixelsWideIsIgnored)
{
    const QRect label = h->canvas->pageLabel()->geometry();
    const QRect port = h->dm->GetViewPort();
    QResizeEvent narrow(QSize(99, 500), h->canvas->size());
    QApplication::sendEvent(h->canvas.get(), &narrow);
    EXPECT_EQ(h->dm->GetViewPort().size(), port.size());
    EXPECT_EQ(h->canvas->pageLabel()->geometry(), label);
    QResizeEvent wide(QSize(100, 500), h->canvas->size());
    QApplication::sendEvent(h->canvas.get(), &wide);
    EXPECT_EQ(h->dm->GetViewPort().width(), 100);
}

TEST_F(CanvasTest, DisplayModeIndexes)
{
    h->canvas->SetDisplayMode(0);
    EXPECT_EQ(h->canvas->GetDisplayMode(), 0);
    h->canvas->SetDisplayMode(3);
    EXPECT_EQ(h->canvas->GetDisplayMode(), 3);
    h->canvas->SetDisplayMode(1);
    EXPECT_EQ(h->canvas->GetDisplayMode(), 1);
}

struct MarkCase
{
    MouseState tool;
    int type;
    const char* name;
};

TEST_F(CanvasTest, MarkToolDragAddsOneAnnotationAndClearsTheSelection)
{
    const MarkCase cases[] = {{MS_Highight, VQ_ANNOT_HIGHLIGHT, "highlight"}, {MS_Underline, VQ_ANNOT_UNDERLINE, "underline"},
                              {MS_Deleteline, VQ_ANNOT_STRIKEOUT, "strike-out"}};
    for (const MarkCase& c : cases)
    {
        SCOPED_TRACE(c.name);
        h.reset(new Harness(twoPageDocument(), sharedCache()));
        ASSERT_EQ(h->loaded, 0);
        h->canvas->SetMouseState(MS_Hand);
        h->canvas->SetMouseState(c.tool);
        EXPECT_EQ(h->canvas->GetMouseAction(), MA_Select);
        h->drag(textStart(), textEnd());
        EXPECT_TRUE(h->canvas->selection().isEmpty());
        EXPECT_EQ(h->canvas->GetMouseAction(), MA_Select);
        EXPECT_EQ(h->countAnnots(c.type, 1), 1);
        EXPECT_EQ(h->countAnnots(c.type, 2), 0);
    }
}

TEST_F(CanvasTest, SelectionOnEachPageMarksEachPageOnce)
{
    h->canvas->SetMouseState(MS_Highight);
    h->drag(textStart(1), textEnd(1));
    h->canvas->gotoPage(2);
    h->drag(textStart(2), textEnd(2));
    EXPECT_EQ(h->countAnnots(VQ_ANNOT_HIGHLIGHT, 1), 1);
    EXPECT_EQ(h->countAnnots(VQ_ANNOT_HIGHLIGHT, 2), 1);
}

TEST_F(CanvasTest, TextSelectionCopiesThePageText)
{
    h->canvas->SetMouseState(MS_Select);
    h->drag(textStart(), textEnd());
    ASSERT_FALSE(h->canvas->selection().value(1).isEmpty());
    QApplication::clipboard()->clear();
    MenuScript menu(QStringLiteral("复制"));
    const QPoint inside = h->view(1, QPointF(120, 85));
    h->press(inside, Qt::RightButton);
    h->release(inside, Qt::RightButton);
    ASSERT_EQ(menu.shown, 1);
    EXPECT_EQ(menu.entries, (QStringList{"复制", "-", "高亮", "下划线", "删除线"}));
    EXPECT_EQ(menu.enabled, (QList<bool>{true, true, true, true, true}));
    EXPECT_TRUE(QApplication::clipboard()->text().contains(QStringLiteral("Canvas"))) <<
        QApplication::clipboard()->text().toStdString();
    EXPECT_EQ(h->countAnnots(VQ_ANNOT_HIGHLIGHT), 0);
}

TEST_F(CanvasTest, RectangleSelectionDraggedEitherWaySelectsTheSameText)
{
    h->canvas->SetMouseState(MS_Select);
    // From beside the text: above-left to below-right, then below-left to above-right.
    const QPoint a = h->view(1, QPointF(40, 60)), b = h->view(1, QPointF(300, 110));
    h->press(a);
    h->dragTo(b);
    EXPECT_TRUE(h->canvas->selectRect().isValid());
    const auto first = h->canvas->selection();
    h->release(b);
    EXPECT_FALSE(h->canvas->selectRect().isValid());
    const QPoint c(a.x(), b.y()), d(b.x(), a.y());
    h->press(c);
    h->dragTo(d);
    EXPECT_TRUE(h->canvas->selectRect().isValid());
    EXPECT_EQ(h->canvas->selection(), first);
    h->release(d);
    EXPECT_FALSE(first.value(1).isEmpty());

    // A right click outside the selection opens no menu; a hand click clears it.
    MenuScript menu;
    const QPoint outside = h->view(1, QPointF(200, 400));
    h->press(outside, Qt::RightButton);
    h->release(outside, Qt::RightButton);
    EXPECT_EQ(menu.shown, 0);
    h->canvas->SetMouseState(MS_Hand);
    h->press(outside);
    h->release(outside);
    EXPECT_TRUE(h->canvas->selection().isEmpty());
}

TEST_F(CanvasTest, PenStrokesCloseTogetherMakeOneInkAnnotation)
{
    h->canvas->setPenAttribute(Qt::blue, 2.0, 1.0);
    h->canvas->SetMouseState(MS_Pen);
    ASSERT_NE(h->canvas->penOverlay(), nullptr);
    const QPoint a = h->view(1, QPointF(100, 200)), b = h->view(1, QPointF(200, 260));
    h->drag(a, b);
    EXPECT_TRUE(h->canvas->penCommitPending());
    EXPECT_EQ(h->canvas->pendingStrokeCount(), 1);
    // The next press comes before the timer fires: it stops the timer and joins the strokes.
    h->press(b);
    EXPECT_FALSE(h->canvas->penCommitPending());
    for (int i = 1; i <= 4; i++)
        h->dragTo(b + QPoint(10 * i, -10 * i));
    h->release(b + QPoint(40, -40));
    EXPECT_EQ(h->canvas->pendingStrokeCount(), 2);
    h->canvas->commitPendingStrokes();
    EXPECT_EQ(h->canvas->pendingStrokeCount(), 0);
    EXPECT_EQ(h->countAnnots(VQ_ANNOT_INK), 1);
    EXPECT_EQ(h->canvas->penOverlay()->toImage().pixel(a.x() - 12, a.y() + 12) >> 24, 0u);

    // With the timer fired between them, two strokes make two annotations.
    h->drag(a, b);
    h->canvas->commitPendingStrokes();
    h->drag(b, a);
    h->canvas->commitPendingStrokes();
    EXPECT_EQ(h->countAnnots(VQ_ANNOT_INK), 3);
}

TEST_F(CanvasTest, PenStrokePastThePageEdgeFollowsTheEdge)
{
    h->canvas->setPenAttribute(Qt::red, 3.0, 1.0);
    h->canvas->SetMouseState(MS_Pen);
    const QRect page = h->dm->GetPageInfo(1)->pageOnScreen;
    const QPoint a = h->view(1, QPointF(300, 200));
    h->press(a);
    h->dragTo(QPoint(page.right() - 20, a.y()));
    h->dragTo(QPoint(page.right() + 60, a.y()));
    // The overlay holds the line up to the right edge minus the pen width, nothing beyond.
    const QImage overlay = h->canvas->penOverlay()->toImage();
    EXPECT_GT(qAlpha(overlay.pixel(page.right() - 8, a.y() + 12)), 0);
    EXPECT_EQ(qAlpha(overlay.pixel(page.right() + 5, a.y() + 12)), 0);
    h->release(QPoint(page.right() + 60, a.y()));
    h->canvas->commitPendingStrokes();
    EXPECT_EQ(h->countAnnots(VQ_ANNOT_INK), 1);
}

TEST_F(CanvasTest, PenPressOutsideEveryPageStartsNoStroke)
{
    h->canvas->setPenAttribute(Qt::red, 1.0, 1.0);
    h->canvas->SetMouseState(MS_Pen);
    const QRect page = h->dm->GetPageInfo(1)->pageOnScreen;
    const QPoint outside(page.right() + 40, page.top() + 50);
    h->drag(outside, outside + QPoint(20, 20));
    EXPECT_EQ(h->canvas->pendingStrokeCount(), 0);
    EXPECT_FALSE(h->canvas->penCommitPending());
}

TEST_F(CanvasTest, DeleteKeyRemovesTheFocusedAnnotation)
{
    h->canvas->SetMouseState(MS_Highight);
    h->drag(textStart(), textEnd());
    ASSERT_EQ(h->countAnnots(VQ_ANNOT_HIGHLIGHT), 1);
    h->canvas->SetMouseState(MS_Hand);
    const QPoint on = h->view(1, QPointF(120, 85));
    h->press(on);
    h->release(on);
    ASSERT_NE(h->engine->DocumentFoucsAnnot(), nullptr);
    EXPECT_EQ(h->canvas->currentCursorKey(), 10);
    QTest::keyClick(h->canvas.get(), Qt::Key_Delete);
    EXPECT_EQ(h->countAnnots(VQ_ANNOT_HIGHLIGHT), 0);
}

TEST_F(CanvasTest, HandContextMenuDeletesAnAnnotation)
{
    h->canvas->SetMouseState(MS_Underline);
    h->drag(textStart(), textEnd());
    h->canvas->SetMouseState(MS_Hand);
    MenuScript menu(QStringLiteral("删除"));
    const QPoint on = h->view(1, QPointF(120, 85));
    h->press(on, Qt::RightButton);
    h->release(on, Qt::RightButton);
    EXPECT_EQ(menu.entries, QStringList{"删除"});
    EXPECT_EQ(menu.enabled, QList<bool>{true});
    EXPECT_EQ(h->countAnnots(VQ_ANNOT_UNDERLINE), 0);
}

TEST_F(CanvasTest, SignedDocumentRefusesAnnotationDeletionAndMarkEntries)
{
    h.reset(new Harness(signedDocument(), sharedCache()));
    ASSERT_EQ(h->loaded, 0);
    ASSERT_GT(h->engine->DocumentSignatureCount(), 0);
    h->canvas->SetMouseState(MS_Highight);
    h->drag(textStart(), textEnd());
    ASSERT_EQ(h->countAnnots(VQ_ANNOT_HIGHLIGHT), 1);

    h->canvas->SetMouseState(MS_Hand);
    const QPoint on = h->view(1, QPointF(120, 85));
    h->press(on);
    h->release(on);
    ASSERT_NE(h->engine->DocumentFoucsAnnot(), nullptr);
    QTest::keyClick(h->canvas.get(), Qt::Key_Delete);
    EXPECT_EQ(h->countAnnots(VQ_ANNOT_HIGHLIGHT), 1);

    {
        MenuScript menu(QStringLiteral("删除"));
        h->press(on, Qt::RightButton);
        h->release(on, Qt::RightButton);
        EXPECT_EQ(menu.entries, QStringList{"删除"});
        EXPECT_EQ(menu.enabled, QList<bool>{false});
        EXPECT_EQ(h->countAnnots(VQ_ANNOT_HIGHLIGHT), 1);
    }
    {
        h->canvas->SetMouseState(MS_Select);
        h->drag(textStart(), textEnd());
        MenuScript menu;
        h->press(on, Qt::RightButton);
        h->release(on, Qt::RightButton);
        EXPECT_EQ(menu.enabled, (QList<bool>{true, true, false, false, false}));
    }
}

TEST_F(CanvasTest, SignatureMenusAndClicks)
{
    h.reset(new Harness(signedDocument(), sharedCache()));
    ASSERT_EQ(h->loaded, 0);
    const QPoint sig = h->view(1, QPointF(100, 425));
    {
        MenuScript menu(QStringLiteral("验证签名"));
        h->press(sig, Qt::RightButton);
        h->release(sig, Qt::RightButton);
        EXPECT_EQ(menu.entries, (QStringList{"验证签名", "删除签名"}));
        EXPECT_EQ(h->canvas->verified, 1);
    }
    {
        MenuScript menu(QStringLiteral("删除签名"));
        h->canvas->SetMouseState(MS_LocalSignature);
        h->press(sig, Qt::RightButton);
        h->release(sig, Qt::RightButton);
        EXPECT_EQ(menu.entries, (QStringList{"验证签名", "删除签名"}));
        EXPECT_EQ(h->canvas->deleted, 1);
    }
    {
        MenuScript menu;
        h->canvas->SetMouseState(MS_CloudSignature);
        h->press(sig, Qt::RightButton);
        h->release(sig, Qt::RightButton);
        EXPECT_EQ(menu.entries, QStringList{"验证签名"});
    }
    // A left click on a signature verifies it, with the hand and with a seal tool.
    h->canvas->SetMouseState(MS_Hand);
    h->press(sig);
    h->release(sig);
    EXPECT_EQ(h->canvas->verified, 2);
    // Delete never removes a signature widget.
    QTest::keyClick(h->canvas.get(), Qt::Key_Delete);
    EXPECT_EQ(h->engine->DocumentSignatureCount(), 1);
}

TEST_F(CanvasTest, SealPlacementClickRightClickAndEscape)
{
    QImage seal(40, 40, QImage::Format_RGB32);
    seal.fill(Qt::red);
    QSignalSpy cancelled(h->canvas.get(), &Canvas::cancenSealingState);
    QSignalSpy escaped(h->canvas.get(), &Canvas::Key_EscapeSignal);
    h->canvas->SetMouseState(MS_LocalSignature);
    EXPECT_EQ(h->canvas->GetMouseAction(), MA_AddSeal);
    h->canvas->attachSealCursor(QPixmap::fromImage(seal), SS_Cloud, 42, 42);
    EXPECT_EQ(h->canvas->GetMouseAction(), MA_AddSealing);
    const QPoint p = h->view(1, QPointF(200, 250));
    h->press(p);
    h->release(p);
    EXPECT_EQ(h->canvas->sealClicks, QList<QPoint>{p});

    // Escape detaches the seal without telling the panel; Escape again asks to close the panel.
    QTest::keyClick(h->canvas.get(), Qt::Key_Escape);
    EXPECT_EQ(h->canvas->GetMouseAction(), MA_AddSeal);
    EXPECT_EQ(cancelled.count(), 0);
    EXPECT_EQ(escaped.count(), 0);
    QTest::keyClick(h->canvas.get(), Qt::Key_Escape);
    EXPECT_EQ(escaped.count(), 1);

    // A right click detaches it and clears the panel's selection.
    h->canvas->attachSealCursor(QPixmap::fromImage(seal), SS_Cloud, 42, 42);
    h->press(p, Qt::RightButton);
    EXPECT_EQ(h->canvas->GetMouseAction(), MA_AddSeal);
    EXPECT_EQ(cancelled.count(), 1);

    // Other tools: Escape asks to close the panel.
    h->canvas->SetMouseState(MS_Select);
    QTest::keyClick(h->canvas.get(), Qt::Key_Escape);
    EXPECT_EQ(escaped.count(), 2);
}

TEST_F(CanvasTest, HandwritingStampsItsPictureOnEveryClickUntilDetached)
{
    QImage pic(30, 20, QImage::Format_RGB32);
    pic.fill(Qt::blue);
    const QByteArray png = pngOf(pic);
    const QString file = h->dir.filePath(QStringLiteral("hand.png"));
    pic.save(file);
    h->canvas->SetMouseState(MS_Handwrite);
    EXPECT_EQ(h->canvas->GetMouseAction(), MA_AddHandWrite);
    const int before = h->engine->getSinatureCount();
    h->canvas->attachHandWrite(QPixmap::fromImage(pic), file);
    ASSERT_EQ(h->canvas->GetMouseAction(), MA_AddHandWriting);
    h->press(h->view(1, QPointF(100, 300)));
    h->press(h->view(1, QPointF(200, 300)));
    EXPECT_EQ(h->engine->getSinatureCount(), before + 2);
    // Given as bytes the picture is stamped too.
    h->canvas->attachHandWrite(QPixmap::fromImage(pic), QString(), png);
    h->press(h->view(1, QPointF(300, 300)));
    EXPECT_EQ(h->engine->getSinatureCount(), before + 3);
    // Outside every page nothing is stamped; a right click detaches the picture.
    const QRect page = h->dm->GetPageInfo(1)->pageOnScreen;
    h->press(QPoint(page.right() + 40, page.top() + 40));
    EXPECT_EQ(h->engine->getSinatureCount(), before + 3);
    h->press(h->view(1, QPointF(300, 300)), Qt::RightButton);
    EXPECT_EQ(h->canvas->GetMouseAction(), MA_AddHandWrite);
    h->press(h->view(1, QPointF(300, 400)));
    EXPECT_EQ(h->engine->getSinatureCount(), before + 3);
}

TEST_F(CanvasTest, ControlArrowsRotateOnlyWithControlAlone)
{
    QTest::keyClick(h->canvas.get(), Qt::Key_Left, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(h->dm->GetRotation(), 0);
    QTest::keyClick(h->canvas.get(), Qt::Key_Left, Qt::ControlModifier);
    EXPECT_EQ(h->dm->GetRotation(), 270);
    QTest::keyClick(h->canvas.get(), Qt::Key_Right, Qt::ControlModifier);
    EXPECT_EQ(h->dm->GetRotation(), 0);
}

TEST_F(CanvasTest, RepaintAsyncStartsOneDelayedRepaintAtATime)
{
    // Two delayed requests in a row share one pending timer; a request of 0 always repaints.
    Canvas* canvas = h->canvas.get();
    auto timers = [canvas] { return QAbstractEventDispatcher::instance()->registeredTimers(canvas).size(); };
    canvas->RepaintAsync(300);
    const int pending = timers();
    canvas->RepaintAsync(300);
    EXPECT_EQ(timers(), pending);
    EXPECT_TRUE(canvas->findChildren<QTimer*>().isEmpty()); // startTimer, not QTimer objects

    // A request of 0 (the render thread's, after each stored tile) is queued to the GUI thread
    // and repaints from there. With the render thread idle and nothing else queued, the paint
    // that follows comes from it.
    h->settle();
    ASSERT_TRUE(QTest::qWaitFor([&] { return canvas->AsRenderCache()->Idle(); }, 5000));
    QCoreApplication::sendPostedEvents();
    QCoreApplication::sendPostedEvents();
    PaintCounter paints(canvas->paintSurface());
    canvas->RepaintAsync(0);
    EXPECT_EQ(paints.count, 0);
    QCoreApplication::sendPostedEvents(); // the queued call, which asks for an update
    QCoreApplication::sendPostedEvents(); // the update
    EXPECT_GE(paints.count, 1);
}

// ---- seal items ----------------------------------------------------------------------------------

class SignItemTest : public CanvasTest
{
protected:
    SignItem* place(QPoint at, bool authFile = false)
    {
        QImage seal(42, 42, QImage::Format_RGB32);
        seal.fill(Qt::white);
        for (int i = 5; i < 37; i++)
            seal.setPixel(i, i, qRgb(255, 0, 0));
        SignItem* item = new SignItem(h->dm, 2, h->surface(), authFile);
        item->addSignature(at, pngOf(seal), 42, 42, "cert", "sn", "seal", "code", "unit", "record unit", "0", "id1");
        item->show();
        h->canvas->appendSignItem(item);
        return item;
    }
};

TEST_F(SignItemTest, PlacementGeometryAtZoomOneAndAHalf)
{
    h->canvas->setZoomValue(150);
    ASSERT_FLOAT_EQ(h->dm->GetZoomReal(), 1.5f);
    const PageInfo* info = h->dm->GetPageInfo(1);
    ASSERT_TRUE(info->pageOnScreen.contains(QPoint(300, 200)));
    SignItem* item = place(QPoint(300, 200));
    EXPECT_EQ(item->geometry(), QRect(268, 168, 63, 63));
    EXPECT_EQ(item->deleteButton()->geometry(), QRect(43, 43, 14, 19));
    EXPECT_EQ(item->pageNo(), 1);
    EXPECT_EQ(item->imageSize(), QSize(42, 42));
    EXPECT_TRUE(item->uuid().startsWith('{') && item->uuid().size() == 38);

    // After a zoom change the item shows the same page spot; its page position is kept.
    const QPoint top = item->pdfTopPos();
    h->canvas->setZoomValue(100);
    const QRect r = item->getRect();
    EXPECT_EQ(item->geometry(), r);
    EXPECT_NEAR(r.width(), 42, 1);
    EXPECT_EQ(item->pdfTopPos(), top);
}

TEST_F(SignItemTest, DraggedOffThePageReturnsToWhereItStarted)
{
    SignItem* item = place(h->view(1, QPointF(200, 250)));
    const QRect start = item->geometry();
    const QRectF pdf = item->pdfRect();
    const QRect page = h->dm->GetPageInfo(1)->pageOnScreen;
    QTest::mousePress(item, Qt::LeftButton, Qt::NoModifier, QPoint(10, 10));
    // Far to the right of the page, where no page lies.
    const QPoint away(page.right() + 80 - start.x(), 10);
    h->dragTo(away, item);
    EXPECT_NE(item->geometry().topLeft(), start.topLeft());
    QTest::mouseRelease(item, Qt::LeftButton, Qt::NoModifier, item->mapFromParent(QPoint(page.right() + 80, start.y() + 10)));
    EXPECT_EQ(item->geometry(), start);
    EXPECT_EQ(item->pageNo(), 1);
    EXPECT_NEAR(item->pdfRect().x(), pdf.x(), 1.0);

    // Dragged onto page 2 it belongs to page 2.
    const QRect page2 = h->dm->GetPageInfo(2)->pageOnScreen;
    ASSERT_LT(page2.top() + 60, h->surface()->height());
    QTest::mousePress(item, Qt::LeftButton, Qt::NoModifier, QPoint(10, 10));
    const QPoint target(page2.left() + 100, page2.top() + 30);
    h->dragTo(QPoint(10, 10) + target - start.topLeft(), item);
    QTest::mouseRelease(item, Qt::LeftButton, Qt::NoModifier, QPoint(10, 10));
    EXPECT_EQ(item->pageNo(), 2);
}

TEST_F(SignItemTest, RemovingItemsReportsToTheListAndTheFinishButton)
{
    SignItem* a = place(h->view(1, QPointF(100, 250)));
    SignItem* b = place(h->view(1, QPointF(300, 250)));
    QSignalSpy removed(h->canvas.get(), &Canvas::deleteSignatureList);
    QSignalSpy finish(h->canvas.get(), &Canvas::setFinishBtnDisable);
    QTest::keyClick(a, Qt::Key_Delete);
    EXPECT_TRUE(a->isHidden());
    ASSERT_EQ(removed.count(), 1);
    EXPECT_EQ(removed.at(0).at(0).toInt(), 1);
    EXPECT_EQ(removed.at(0).at(1).toString(), a->uuid());
    EXPECT_EQ(finish.count(), 0);

    SignItem::setMenuRunner([](QMenu& menu) { return menu.actions().value(0); });
    QContextMenuEvent ev(QContextMenuEvent::Mouse, QPoint(5, 5));
    QApplication::sendEvent(b, &ev);
    SignItem::setMenuRunner(nullptr);
    EXPECT_EQ(removed.count(), 2);
    ASSERT_EQ(finish.count(), 1);
    EXPECT_TRUE(finish.at(0).at(0).toBool());
    EXPECT_TRUE(h->canvas->getSignItems().isEmpty());
}

TEST_F(SignItemTest, AuthorisationItemsAreFixed)
{
    SignItem* item = place(h->view(1, QPointF(200, 250)), true);
    EXPECT_EQ(item->pageNo(), 1);
    const QRect start = item->geometry();
    QEvent enter(QEvent::Enter);
    QApplication::sendEvent(item, &enter);
    EXPECT_TRUE(item->deleteButton()->isHidden());
    QTest::mousePress(item, Qt::LeftButton, Qt::NoModifier, QPoint(10, 10));
    h->dragTo(QPoint(80, 80), item);
    QTest::mouseRelease(item, Qt::LeftButton, Qt::NoModifier, QPoint(80, 80));
    EXPECT_EQ(item->geometry(), start);
    QSignalSpy removed(item, &SignItem::deleteSelf);
    QTest::keyClick(item, Qt::Key_Delete);
    EXPECT_EQ(removed.count(), 0);
}

TEST_F(SignItemTest, PersonalUsersKeepTheWhiteBackground)
{
    // Nobody is logged in: the picture stays as it is.
    SignItem item(h->dm, 2, nullptr, false);
    QImage white(4, 4, QImage::Format_RGB32);
    white.fill(Qt::white);
    EXPECT_EQ(qAlpha(item.transparentPixmap(white).toImage().pixel(1, 1)), 255);
}

TEST(CanvasCursorPicture, WhiteBecomesTransparentAndTheRestHalfOpaque)
{
    Canvas canvas(nullptr);
    QImage image(2, 1, QImage::Format_RGB32);
    image.setPixel(0, 0, qRgb(255, 255, 255));
    image.setPixel(1, 0, qRgb(200, 0, 0));
    const QImage out = canvas.transparentPixmap(image).toImage();
    EXPECT_EQ(qAlpha(out.pixel(0, 0)), 0);
    EXPECT_NEAR(qAlpha(out.pixel(1, 0)), 125, 1);
}

TEST(CanvasWithoutModel, HandlersDoNothing)
{
    Canvas canvas(nullptr);
    canvas.resize(300, 300);
    canvas.SetMouseState(MS_Pen);
    EXPECT_EQ(canvas.GetMouseState(), MS_Hand);
    QTest::mouseClick(canvas.paintSurface(), Qt::LeftButton);
    wheel(&canvas, QPoint(10, 10), QPoint(0, 120), Qt::ControlModifier);
    EXPECT_EQ(canvas.GetDisplayMode(), 0);
    canvas.verticalBar()->setValue(10);
    EXPECT_TRUE(canvas.pageLabel()->isHidden());
}

// ---- seal preview items -----------------------------------------------------------------------

TEST(SealPreviewItems, FitScreenZoomKeepsThePlaceAndTypesDiffer)
{
    FreeSealItem seal(QByteArray("not a picture"), 1.0f, nullptr);
    seal.setPos(50, 80);
    seal.FitScreenZoom(1.0f, 2.0f);
    EXPECT_EQ(seal.pos(), QPointF(100, 160));
    EXPECT_DOUBLE_EQ(seal.scale(), 2.0);
    seal.FitScreenZoom(2.0f, 1.0f);
    EXPECT_EQ(seal.pos(), QPointF(50, 80));
    LoactionItem box(QStringLiteral("甲方"), nullptr);
    EXPECT_EQ(seal.type(), QGraphicsItem::UserType + 4);
    EXPECT_EQ(box.type(), QGraphicsItem::UserType + 3);
    EXPECT_EQ(seal.boundingRect(), QRectF(0, 0, 192, 192));
    EXPECT_EQ(box.boundingRect(), QRectF(0, 0, 192, 84));
    EXPECT_TRUE(seal.flags() & QGraphicsItem::ItemIsMovable);
    EXPECT_TRUE(box.flags() & QGraphicsItem::ItemIsSelectable);

    // A picture that does not decode paints only the selection fill and outline.
    QGraphicsScene scene;
    FreeSealItem* inScene = new FreeSealItem(QByteArray("junk"), 1.0f, nullptr);
    scene.addItem(inScene);
    scene.addItem(new LoactionItem(QStringLiteral("乙方"), nullptr));
    inScene->setSelected(true);
    QImage img(200, 200, QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    QPainter p(&img);
    scene.render(&p, QRectF(0, 0, 200, 200), QRectF(0, 0, 200, 200));
    p.end();
    EXPECT_EQ(img.pixel(100, 100), QColor("#F6FFFB").rgba());
}

} // namespace
