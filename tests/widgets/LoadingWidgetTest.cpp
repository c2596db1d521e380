#include "GlobalHeader.h"
#include "LoadingWidget.h"
#include "QtTestSupport.h"
#include "TestPrinters.h"

#include <QApplication>
#include <QLabel>
#include <QMovie>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

TEST(LoadingWidget, VerticalBoxHasCloseButtonTopRight)
{
    ScopedScreenZoom zoom(1.0f);
    LoadingWidget box(nullptr, Qt::Vertical);
    box.setText(QString::fromUtf8("正在打开.."));
    box.show();
    QApplication::processEvents();
    EXPECT_EQ(box.size(), QSize(148, 148));
    EXPECT_EQ(box.text(), QString::fromUtf8("正在打开.."));
    ASSERT_TRUE(box.closeButton()->isVisible());
    EXPECT_EQ(box.closeButton()->size(), QSize(18, 18));
    const QPoint corner = box.closeButton()->mapTo(&box, QPoint(box.closeButton()->width(), 0));
    EXPECT_GT(corner.x(), box.width() * 3 / 4);
    EXPECT_LT(corner.y(), box.height() / 4);
    ASSERT_TRUE(box.animation()->isValid());
    EXPECT_GT(box.animation()->frameCount(), 1);
    EXPECT_EQ(box.animation()->state(), QMovie::Running);
    EXPECT_TRUE(box.isModal());
    EXPECT_TRUE(box.windowFlags().testFlag(Qt::FramelessWindowHint));
}

TEST(LoadingWidget, HorizontalBoxHasNoCloseButton)
{
    ScopedScreenZoom zoom(1.5f);
    LoadingWidget box(nullptr, Qt::Horizontal);
    box.show();
    QApplication::processEvents();
    EXPECT_EQ(box.size(), QSize(333, 133));
    EXPECT_FALSE(box.closeButton()->isVisible());
}

TEST(LoadingWidget, CloseButtonHidesThenSignals)
{
    LoadingWidget box;
    box.show();
    bool hiddenWhenSignalled = false;
    QObject::connect(&box, &LoadingWidget::closeSignal, [&] { hiddenWhenSignalled = !box.isVisible(); });
    QSignalSpy spy(&box, &LoadingWidget::closeSignal);
    box.closeButton()->click();
    EXPECT_EQ(spy.count(), 1);
    EXPECT_TRUE(hiddenWhenSignalled);
    // Shown again later, it works as before.
    box.show();
    EXPECT_TRUE(box.isVisible());
    box.hide();
    EXPECT_EQ(spy.count(), 1);
}

TEST(LoadingWidget, AboutReturnsOnceTheBoxIsHidden)
{
    QWidget parent;
    bool sawBox = false;
    QTimer::singleShot(0, [&] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (auto* box = qobject_cast<LoadingWidget*>(w); box && box->isVisible()) {
                sawBox = box->text() == QString::fromUtf8("请稍候");
                box->closeButton()->click();
            }
        }
    });
    LoadingWidget::about(&parent, QString::fromUtf8("请稍候"));
    EXPECT_TRUE(sawBox);
    EXPECT_TRUE(parent.findChildren<LoadingWidget*>().isEmpty());
}

} // namespace
