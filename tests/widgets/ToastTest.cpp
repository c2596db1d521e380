#include "GlobalHeader.h"
#include "ParentDialog.h"
#include "QtTestSupport.h"
#include "QuickMessageBox.h"
#include "TestPrinters.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

QuickMessageBox* runningToast()
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* t = qobject_cast<QuickMessageBox*>(w); t && t->isVisible())
            return t;
    return nullptr;
}

TEST(QuickMessageBox, ClosesByItself)
{
    ScopedUiDurationScale fast(0.005);
    QuickMessageBoxSpy spy;
    QWidget parent;
    QString text;
    bool iconShown = false;
    QTimer::singleShot(0, [&] {
        if (QuickMessageBox* t = runningToast()) {
            text = t->text();
            iconShown = t->iconLabel()->isVisible();
        }
    });
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(QuickMessageBox::abort(&parent, QString::fromUtf8("签署成功"), qmt_succ, 2000), int(QDialog::Accepted));
    EXPECT_LT(clock.elapsed(), 1500);
    EXPECT_EQ(text, QString::fromUtf8("签署成功"));
    EXPECT_TRUE(iconShown);
    ASSERT_EQ(spy.count(), 1);
    EXPECT_EQ(spy.shown()[0].type, qmt_succ);
    EXPECT_EQ(spy.shown()[0].ms, 2000);
    EXPECT_EQ(spy.shown()[0].parent, &parent);
    EXPECT_TRUE(parent.findChildren<QuickMessageBox*>().isEmpty());
}

TEST(QuickMessageBox, LayoutAtScaleOne)
{
    ScopedScreenZoom zoom(1.0f);
    QuickMessageBox toast;
    toast.setText(QString::fromUtf8("已复制"));
    toast.setIcon(qmt_nothing);
    toast.show();
    EXPECT_EQ(toast.panel()->size(), QSize(180, 80));
    EXPECT_FALSE(toast.iconLabel()->isVisible());
    EXPECT_EQ(toast.textLabel()->alignment(), Qt::AlignCenter);
    EXPECT_TRUE(toast.styleSheet().contains("font-size:11px"));
    toast.setIcon(qmt_error);
    EXPECT_TRUE(toast.iconLabel()->isVisible());
    EXPECT_EQ(toast.iconLabel()->size(), QSize(20, 20));
    EXPECT_TRUE(toast.windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_TRUE(toast.testAttribute(Qt::WA_TranslucentBackground));
}

TEST(QuickMessageBox, ClickAndKeysCloseAtOnce)
{
    // A long time: only the click or the key can end these toasts.
    const std::function<void(QuickMessageBox*)> actions[] = {
        [](QuickMessageBox* t) {
            QMouseEvent e(QEvent::MouseButtonPress, QPoint(5, 5), t->mapToGlobal(QPoint(5, 5)), Qt::LeftButton,
                          Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(t, &e);
        },
        [](QuickMessageBox* t) {
            QKeyEvent k(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
            QApplication::sendEvent(t, &k);
        },
        [](QuickMessageBox* t) {
            QKeyEvent k(QEvent::KeyPress, Qt::Key_Enter, Qt::KeypadModifier);
            QApplication::sendEvent(t, &k);
        },
    };
    for (const auto& act : actions) {
        QTimer::singleShot(0, [&] {
            if (QuickMessageBox* t = runningToast())
                act(t);
        });
        QElapsedTimer clock;
        clock.start();
        EXPECT_EQ(QuickMessageBox::abort(nullptr, "x", qmt_nothing, 60000), int(QDialog::Accepted));
        EXPECT_LT(clock.elapsed(), 30000);
    }
}

TEST(QuickMessageBox, ParentDeletedWhileShowing)
{
    ScopedUiDurationScale slow(1.0);
    auto* parent = new QWidget;
    parent->show();
    QTimer::singleShot(0, [parent] { delete parent; });
    QuickMessageBox::abort(parent, "x", qmt_error, 60000);
    SUCCEED();
}

} // namespace
