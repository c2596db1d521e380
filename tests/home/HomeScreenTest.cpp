// Under a real X server (xvfb-run, 1024 x 768): the main window started as the program starts on
// a document comes up on the workspace with one tab; the home page with recent documents.
// Screenshots are kept as artefacts of the run.
#include "HomeTestSupport.h"

#include "DocTabWidget.h"
#include "GlobalHeader.h"
#include "HomePage.h"
#include "ListTurnFrame.h"
#include "Orvessa.h"
#include "ParentDialog.h"
#include "QtTestSupport.h"
#include "RegeditSettings.h"
#include "SignPage.h"
#include "StyleSheet.h"

#include <QApplication>
#include <QCursor>
#include <QDir>
#include <QListWidget>
#include <QScreen>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

class HomeScreen : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        initViewInfo();
        ASSERT_FLOAT_EQ(1.0f, screenZoom);
        QApplication::setFont(QFont("Microsoft YaHei"));
        qApp->setStyleSheet(style());
        canvastest::sharedCache();
        QDir().mkpath(ORV_SCREENSHOT_DIR);
    }
    QString write(const QString& name, const std::string& bytes)
    {
        const QString path = dir.filePath(name);
        fixture::writeFile(path.toStdString(), bytes);
        return path;
    }
    static void shoot(QWidget& window, const QString& name)
    {
        QPixmap shot = window.screen()->grabWindow(0);
        EXPECT_EQ(QSize(1024, 768), shot.size());
        EXPECT_TRUE(shot.save(QString(ORV_SCREENSHOT_DIR) + "/" + name));
    }

    QTemporaryDir dir;
    ScopedSettingsLocation settings{dir.filePath(QStringLiteral("settings"))};
};

TEST_F(HomeScreen, StartedOnADocumentComesUpOnTheWorkspace)
{
    const QString sample = write("sample.pdf", hometest::pages(3));
    Orvessa window;
    // As the program starts: shown, then the command line's document opened; without a window
    // manager the window is not maximised, so it is given the screen's area.
    window.showAndOpen(sample);
    window.setGeometry(window.screen()->availableGeometry());
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    EXPECT_EQ(Orvessa::SignPageId, window.stackWidget()->currentIndex());
    EXPECT_EQ(1, window.signPage()->tabWidget()->count());
    QTest::qWait(300); // the first tiles come from the render thread
    shoot(window, "start_on_document.png");
}

TEST_F(HomeScreen, HomePageWithRecentDocuments)
{
    for (int i = 0; i < 8; ++i)
    {
        recentfile e;
        e.file = write(QStringLiteral("合同文件%1.pdf").arg(i + 1), hometest::pages(1));
        e.date = QStringLiteral("2026.12.%1 10:30:00").arg(i + 1, 2, 10, QChar('0'));
        e.fixed = false;
        RegeditSettings::Instance()->setRecentlyFile(e);
    }
    recentfile pin;
    pin.file = dir.filePath("合同文件8.pdf");
    pin.fixed = true;
    RegeditSettings::Instance()->setRecentlyFileFiexed(pin);

    // Away from the cards, so that no hover look or tool tip shows in the picture.
    QCursor::setPos(1020, 760);
    Orvessa window;
    window.showMaximized();
    // Without a window manager the window is not maximised: it is given the screen's area.
    window.setGeometry(window.screen()->availableGeometry());
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    window.turnPage(Orvessa::HomePageId);
    EXPECT_EQ(8, window.homePage()->recentList()->list()->count());
    EXPECT_TRUE(window.homePage()->recentList()->cellAt(0)->isVisible());
    QTest::qWait(50);
    shoot(window, "home_page.png");
}

} // namespace
