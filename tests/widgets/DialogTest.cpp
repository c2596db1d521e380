#include "GlobalHeader.h"
#include "ParentDialog.h"
#include "ProgressDlg.h"
#include "QtTestSupport.h"
#include "TestPrinters.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimeLine>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

void sendKey(QWidget* w, int key, Qt::KeyboardModifiers mods = Qt::NoModifier)
{
    QKeyEvent press(QEvent::KeyPress, key, mods);
    QApplication::sendEvent(w, &press);
}

void sendMouse(QWidget* w, QEvent::Type type, QPoint pos, Qt::MouseButton button = Qt::LeftButton)
{
    QMouseEvent e(type, pos, w->mapToGlobal(pos), button,
                  type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button), Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

// Runs dialog.exec() with `during` called once the dialog runs; returns exec's result.
int execWith(QDialog& dialog, std::function<void()> during)
{
    QTimer::singleShot(0, [during] { during(); });
    return dialog.exec();
}

TEST(ParentDialog, FrameTitleAndSizesAtScaleOne)
{
    ScopedScreenZoom zoom(1.0f);
    ParentDialog dlg;
    dlg.setTilter(QString::fromUtf8("签署设置"));
    EXPECT_EQ(dlg.title(), QString::fromUtf8("签署设置"));
    EXPECT_TRUE(dlg.windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_EQ(dlg.titleBar()->property("mode").toString(), "dt");
    EXPECT_EQ(dlg.contentWidget()->property("mode").toString(), "dc");
    EXPECT_EQ(dlg.titleBar()->height(), 26);
    EXPECT_EQ(dlg.closeButton()->size(), QSize(18, 18));
    EXPECT_EQ(dlg.closeButton()->iconSize(), QSize(8, 8));
    EXPECT_EQ(dlg.focusPolicy(), Qt::StrongFocus);
    // The rules are separated by five tabs and use the scaled sizes.
    EXPECT_TRUE(dlg.styleSheet().contains("QLabel[mode='level2black']{color:black;font-size:10px;}\t\t\t\t\t"));
    EXPECT_TRUE(dlg.styleSheet().contains("border-radius:3px;font-size:10px;color:#31CA84;"));
    EXPECT_TRUE(dlg.styleSheet().contains("QPushButton[mode='close']{border:none;border-radius:9px;"));
}

TEST(ParentDialog, ExecCentresOnTheParentAndDimsIt)
{
    ScopedUiDurationScale fast(0.01);
    QWidget parent;
    parent.resize(1000, 701);
    parent.show();
    ParentDialog dlg(&parent);
    dlg.setFixedSize(300, 200);
    QPoint pos;
    bool dimmed = false;
    QRect layer;
    int alpha = -1;
    const int result = execWith(dlg, [&] {
        pos = dlg.pos();
        dimmed = dlg.decorator()->isVisible();
        layer = dlg.decorator()->geometry();
        (void)QTest::qWaitFor([&] { return dlg.decorator()->timeLine()->state() == QTimeLine::NotRunning; }, 2000);
        alpha = dlg.decorator()->decorationColor().alpha();
        dlg.reject();
    });
    EXPECT_EQ(result, QDialog::Rejected);
    EXPECT_EQ(pos, QPoint(350, 250));
    EXPECT_TRUE(dimmed);
    EXPECT_EQ(layer, parent.rect());
    EXPECT_EQ(alpha, 100);
    EXPECT_FALSE(dlg.decorator()->isVisible());
}

TEST(ParentDialog, NoDimmingWhenAskedOrWithoutParent)
{
    ScopedUiDurationScale fast(0.01);
    QWidget parent;
    parent.resize(400, 300);
    parent.show();
    ParentDialog undimmed(&parent);
    undimmed.setFrameDecoratorHide(true);
    bool shown = true;
    execWith(undimmed, [&] {
        shown = undimmed.decorator()->isVisible();
        undimmed.reject();
    });
    EXPECT_FALSE(shown);

    // A parentless dialog never shows its parentless layer as a window of its own.
    ParentDialog lone;
    bool anyLayer = true;
    execWith(lone, [&] {
        anyLayer = false;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (qobject_cast<FrameDecorator*>(w) && w->isVisible())
                anyLayer = true;
        lone.reject();
    });
    EXPECT_FALSE(anyLayer);
}

TEST(ParentDialog, KeysEnterEscapeAndReturn)
{
    QWidget parent;
    parent.resize(400, 300);
    parent.show();
    ParentDialog dlg(&parent);
    QSignalSpy enter(&dlg, &ParentDialog::enterPressed);
    bool stillOpenAfterReturnAndEnter = false;
    const int result = execWith(dlg, [&] {
        sendKey(&dlg, Qt::Key_Return);
        sendKey(&dlg, Qt::Key_Enter, Qt::KeypadModifier);
        stillOpenAfterReturnAndEnter = dlg.isVisible();
        sendKey(&dlg, Qt::Key_Escape);
    });
    EXPECT_TRUE(stillOpenAfterReturnAndEnter);
    EXPECT_EQ(enter.count(), 1);
    EXPECT_EQ(result, QDialog::Rejected);

    // With the key handling off, neither key does anything of its own.
    dlg.setKeyEventValid(false);
    bool stillOpen = false;
    execWith(dlg, [&] {
        sendKey(&dlg, Qt::Key_Escape);
        sendKey(&dlg, Qt::Key_Enter, Qt::KeypadModifier);
        stillOpen = dlg.isVisible();
        dlg.accept();
    });
    EXPECT_TRUE(stillOpen);
    EXPECT_EQ(enter.count(), 1);
}

TEST(ParentDialog, CloseButtonRejectsOrOnlyHides)
{
    QWidget parent;
    parent.resize(400, 300);
    parent.show();
    for (bool hideOnly : {false, true}) {
        ParentDialog dlg(&parent, hideOnly);
        QSignalSpy closed(&dlg, &ParentDialog::closeSignal);
        QSignalSpy rejected(&dlg, &QDialog::rejected);
        execWith(dlg, [&] { dlg.closeButton()->click(); });
        EXPECT_EQ(closed.count(), 1) << hideOnly;
        EXPECT_EQ(rejected.count(), hideOnly ? 0 : 1) << hideOnly;
        EXPECT_FALSE(dlg.isVisible());
    }
}

TEST(ParentDialog, DragsByTheTitleStripOnly)
{
    QWidget parent;
    parent.resize(600, 400);
    parent.show();
    ParentDialog dlg(&parent);
    dlg.setFixedSize(200, 150);
    dlg.move(50, 50);
    dlg.show();
    const QPoint inTitle(30, 10);
    sendMouse(&dlg, QEvent::MouseButtonPress, inTitle);
    sendMouse(&dlg, QEvent::MouseMove, inTitle + QPoint(20, 15));
    sendMouse(&dlg, QEvent::MouseButtonRelease, inTitle + QPoint(20, 15));
    EXPECT_EQ(dlg.pos(), QPoint(70, 65));

    const QPoint inContent(30, 100);
    sendMouse(&dlg, QEvent::MouseButtonPress, inContent);
    sendMouse(&dlg, QEvent::MouseMove, inContent + QPoint(20, 15));
    sendMouse(&dlg, QEvent::MouseButtonRelease, inContent + QPoint(20, 15));
    EXPECT_EQ(dlg.pos(), QPoint(70, 65));

    // Another button in the title strip does not start a drag.
    sendMouse(&dlg, QEvent::MouseButtonPress, inTitle, Qt::RightButton);
    sendMouse(&dlg, QEvent::MouseMove, inTitle + QPoint(20, 15));
    EXPECT_EQ(dlg.pos(), QPoint(70, 65));
}

TEST(ParentDialog, ParentDeletedWhileRunningTakesTheLayerWithIt)
{
    auto* parent = new QWidget;
    parent->resize(300, 200);
    parent->show();
    QPointer<ParentDialog> dlg = new ParentDialog(parent);
    QTimer::singleShot(0, [parent] { delete parent; });
    dlg->exec();
    EXPECT_TRUE(dlg.isNull());
}

TEST(GraphicsDropShadowEffect, GrowsTheBoundsAndPaintsAShadow)
{
    GraphicsDropShadowEffect probe;
    EXPECT_DOUBLE_EQ(probe.distance(), 1.0);
    EXPECT_DOUBLE_EQ(probe.blurRadius(), 10.0);
    EXPECT_EQ(probe.color(), QColor(0, 0, 0, 80));
    EXPECT_EQ(probe.boundingRectFor(QRectF(0, 0, 10, 10)), QRectF(-11, -11, 32, 32));

    QWidget parent;
    parent.resize(100, 100);
    parent.setStyleSheet("background:white;");
    auto* child = new QLabel(&parent);
    child->setGeometry(30, 30, 40, 40);
    child->setStyleSheet("background:red;");
    auto* effect = new GraphicsDropShadowEffect(child);
    effect->setColor(Qt::black);
    child->setGraphicsEffect(effect);
    parent.show();
    const QImage img = parent.grab().toImage();
    EXPECT_EQ(img.pixelColor(50, 50), QColor(Qt::red));
    EXPECT_LT(img.pixelColor(27, 50).lightness(), 250); // shadow just outside the edge
    EXPECT_EQ(img.pixelColor(5, 5), QColor(Qt::white)); // nothing far away
}

TEST(ProgressDlg, BusyBarHiddenCancelAndIgnoredEscape)
{
    ScopedScreenZoom zoom(1.0f);
    QWidget parent;
    parent.resize(600, 400);
    parent.show();
    ProgressDlg dlg(&parent);
    EXPECT_EQ(dlg.title(), QString::fromUtf8("打印进度"));
    EXPECT_TRUE(dlg.closeButton()->isHidden());
    EXPECT_TRUE(dlg.cancelButton()->isHidden());
    EXPECT_EQ(dlg.cancelButton()->text(), QString::fromUtf8("取消"));
    EXPECT_FALSE(dlg.progressBar()->isTextVisible());
    dlg.setRange(0, 0);
    EXPECT_EQ(dlg.progressBar()->minimum(), 0);
    EXPECT_EQ(dlg.progressBar()->maximum(), 0);
    dlg.setRange(0, 10);
    dlg.setValue(4);
    EXPECT_EQ(dlg.progressBar()->value(), 4);
    dlg.setText(QString::fromUtf8("正在签章 4/10"));
    EXPECT_EQ(dlg.textLabel()->text(), QString::fromUtf8("正在签章 4/10"));
    dlg.setCloseDisabled();
    EXPECT_FALSE(dlg.closeButton()->isEnabled());

    QSignalSpy breaks(&dlg, &ProgressDlg::ProgressBreak);
    bool openAfterEscape = false;
    const int result = execWith(dlg, [&] {
        sendKey(&dlg, Qt::Key_Escape);
        openAfterEscape = dlg.isVisible();
        dlg.cancelButton()->click();
        dlg.accept();
    });
    EXPECT_TRUE(openAfterEscape);
    EXPECT_EQ(result, QDialog::Accepted);
    EXPECT_EQ(breaks.count(), 1);
}

} // namespace
