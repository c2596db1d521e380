// Runs under a real X server (xvfb-run with a 1024 x 768 screen).
#include "GlobalHeader.h"
#include "Orvessa.h"
#include "StyleSheet.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QScreen>
#include <QPainter>
#include <QTest>
#include <gtest/gtest.h>

namespace {

QImage renderText(const QString& text, const QFont& font)
{
    QImage img(64, 64, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    p.setFont(font);
    p.setPen(Qt::black);
    p.drawText(QRect(0, 0, 64, 64), Qt::AlignCenter, text);
    return img;
}

TEST(MainWindowScreen, ShowsMaximisedWithChineseText)
{
    initViewInfo();
    ASSERT_EQ(screenWidth, 1024);
    ASSERT_EQ(screenHeight, 768);
    EXPECT_FLOAT_EQ(screenZoom, 1.0f);
    EXPECT_EQ(scrollWidth, 14);

    QFont font("Microsoft YaHei");
    font.setPixelSize(40);
    QApplication::setFont(font);
    qApp->setStyleSheet(style());

    Orvessa window;
    window.openFile("/no/such/file.pdf");
    window.showMaximized();
    // Exposed means painted: the expose event is handled, painting and flushing the window to
    // the X server included, before the wait ends, and the screen grab below reads the server
    // after every request sent before it.
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    EXPECT_TRUE(window.isVisible());

    // Two different Chinese characters render as two different pictures: missing glyphs would
    // all be the same box.
    const QImage a = renderText(QString::fromUtf8("请"), font);
    const QImage b = renderText(QString::fromUtf8("登"), font);
    EXPECT_NE(a, b);
    EXPECT_NE(a, renderText(QString(QChar(0xE000)), font));

    QPixmap shot = window.screen()->grabWindow(0);
    EXPECT_EQ(shot.size(), QSize(1024, 768));
    QDir().mkpath(ORV_SCREENSHOT_DIR);
    EXPECT_TRUE(shot.save(QString(ORV_SCREENSHOT_DIR) + "/main_window.png"));
}

} // namespace
