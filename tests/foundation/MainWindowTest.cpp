#include "CLog.h"
#include "GlobalHeader.h"
#include "LoadingWidget.h"
#include "Orvessa.h"
#include "RegeditSettings.h"
#include "ParentDialog.h"
#include "QtTestSupport.h"
#include "QuickMessageBox.h"

#include <QApplication>
#include <QFontDatabase>
#include <QIcon>
#include <QImage>
#include <QPainter>
#include <QRawFont>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

TEST(MainWindow, IsFramelessAndPublishesItself)
{
    ScopedScreenZoom zoom(1.0f);
    {
        Orvessa window;
        EXPECT_EQ(g_topWidget, &window);
        EXPECT_TRUE(window.windowFlags().testFlag(Qt::FramelessWindowHint));
        EXPECT_TRUE(window.windowFlags().testFlag(Qt::Window));
        EXPECT_EQ(window.windowTitle(), "Orvessa");
        EXPECT_FALSE(window.windowIcon().isNull());
        EXPECT_EQ(window.minimumSize(), QSize(800, 500));
        ASSERT_EQ(window.stackWidget()->count(), 6);
        EXPECT_EQ(window.stackWidget()->currentIndex(), 0);
        EXPECT_EQ(window.loginState(), 0);
        window.turnPage(5);
        EXPECT_EQ(window.stackWidget()->currentIndex(), 5);
        window.turnPage(42);
        EXPECT_EQ(window.stackWidget()->currentIndex(), 5);
    }
    EXPECT_EQ(g_topWidget, nullptr);
}

TEST(MainWindow, OpeningMissingOrEmptyPathsKeepsTheWindow)
{
    ScopedUiDurationScale fast(0.0);
    QuickMessageBoxSpy toasts;
    Orvessa window;
    window.show();
    window.openFile(QString());
    window.openFile("/no/such/file.pdf");
    QApplication::processEvents();
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(window.stackWidget()->currentIndex(), 0);
    EXPECT_FALSE(window.loadingWidget()->isVisible());
    ASSERT_EQ(toasts.count(), 2);
    EXPECT_EQ(toasts.shown()[0].text, QString::fromUtf8("转换文件失败！"));
    EXPECT_EQ(toasts.shown()[0].type, qmt_nothing);
    EXPECT_EQ(toasts.shown()[0].ms, 2000);
    EXPECT_EQ(toasts.shown()[0].parent, &window);
    EXPECT_EQ(toasts.shown()[1].text, QString::fromUtf8("打开文件失败，未找到对应的文件！"));
    EXPECT_EQ(toasts.shown()[1].type, qmt_error);
    EXPECT_EQ(toasts.shown()[1].ms, 2000);
    EXPECT_EQ(toasts.shown()[1].parent, g_topWidget);
}

TEST(MainWindow, StartsTheLogCleanerAndTheSettings)
{
    QTemporaryDir tmp;
    CLog::setLogFolder(tmp.path() + "/logs");
    CLog::setAppLogFolder(tmp.path() + "/app");
    {
        Orvessa window;
        ASSERT_NE(window.logClearThread(), nullptr);
        EXPECT_TRUE(window.logClearThread()->wait(10000));
        EXPECT_TRUE(window.logClearThread()->folders().contains(tmp.path() + "/logs"));
        EXPECT_NE(window.loadingWidget(), nullptr);
        EXPECT_EQ(window.loadingWidget()->orientation(), Qt::Vertical);
        EXPECT_FALSE(window.loadingWidget()->isVisible());
    }
    RegeditSettings::release();
    CLog::setLogFolder(QString());
    CLog::setAppLogFolder(QString());
}

TEST(MainWindow, MaximiseButtonTogglesAndReports)
{
    Orvessa window;
    window.show();
    QList<bool> reported;
    QObject::connect(&window, &BorderlessWidget::MaxMizeSignal, [&](bool b) { reported << b; });
    window.titleBarToolsClick(1);
    window.titleBarToolsClick(1);
    EXPECT_EQ(reported, (QList<bool>{true, false}));
}

TEST(Fonts, ChineseHasAGlyphFont)
{
    // "Microsoft YaHei" does not exist on Linux; font configuration must fall back to a font
    // with Chinese glyphs, or every label shows boxes.
    EXPECT_FALSE(QFontDatabase().families(QFontDatabase::SimplifiedChinese).isEmpty());
    QRawFont raw = QRawFont::fromFont(QFont("Microsoft YaHei"), QFontDatabase::SimplifiedChinese);
    ASSERT_TRUE(raw.isValid());
    EXPECT_TRUE(raw.supportsCharacter(QChar(0x8BF7))); // 请
    EXPECT_TRUE(raw.supportsCharacter(QChar(0x767B))); // 登
}

} // namespace
