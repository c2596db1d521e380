// Runs under a real X server without a window manager (xvfb-run, a 1024 x 768 screen): the main
// window maximises itself to the screen, restores, moves by its title bar and resizes by its
// edges there too; and a picture of every page is kept.
#include "AccountTestSupport.h"
#include "CanvasTestSupport.h"
#include "CloudTestSupport.h"
#include "DocTabWidget.h"
#include "GlobalHeader.h"
#include "HelpCenterPage.h"
#include "HomePage.h"
#include "LoginDialog.h"
#include "MMessageBox.h"
#include "Orvessa.h"
#include "QtTestSupport.h"
#include "QuickMessageBox.h"
#include "RegeditSettings.h"
#include "SignPage.h"
#include "StyleSheet.h"
#include "TitleBar.h"
#include "UserSession.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

namespace {

void mouse(QWidget* w, QEvent::Type type, QPoint p)
{
    const bool down = type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick;
    QMouseEvent e(type, p, w->mapToGlobal(p), type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton,
                  down ? Qt::MouseButtons(Qt::LeftButton) : Qt::MouseButtons(Qt::NoButton), Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

QString shotPath(const QString& name)
{
    QDir().mkpath(ORV_SCREENSHOT_DIR);
    return QString(ORV_SCREENSHOT_DIR) + "/" + name + ".png";
}

// The whole screen once the window shows what it was asked to: every request sent before the
// grab has reached the server, and the grab reads the server.
QImage grabScreen(QWidget& w)
{
    QApplication::processEvents();
    w.repaint();
    QApplication::processEvents();
    return w.screen()->grabWindow(0).toImage();
}

// Whether a rectangle of the picture holds more than one colour (something is drawn there).
bool drawnIn(const QImage& img, const QRect& r)
{
    const QRgb first = img.pixel(r.topLeft());
    for (int y = r.top(); y <= r.bottom(); y += 2)
        for (int x = r.left(); x <= r.right(); x += 2)
            if (img.pixel(x, y) != first)
                return true;
    return false;
}

class ShellScreen : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        initViewInfo();
        ASSERT_EQ(1024, screenWidth);
        ASSERT_EQ(768, screenHeight);
        QApplication::setFont(QFont("Microsoft YaHei"));
        qApp->setStyleSheet(style());
        canvastest::sharedCache();
    }

    QTemporaryDir dir;
    ScopedSettingsLocation settings{dir.filePath(QStringLiteral("settings"))};
    ScopedUiDurationScale fast{0.0};
    QuickMessageBoxSpy toasts;
};

TEST_F(ShellScreen, StartsMaximisedAndShowsEveryPage)
{
    Orvessa window;
    window.setQuitHandler([] {});
    window.showMaximizedOnScreen();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    const QRect area = window.screen()->availableGeometry();
    EXPECT_EQ(area, window.geometry());
    EXPECT_TRUE(window.isMaximized());
    TitleBar* bar = window.titleBar();
    EXPECT_TRUE(bar->isVisible());
    EXPECT_EQ(QPoint(1, 1), bar->mapTo(&window, QPoint(0, 0)));
    EXPECT_EQ(window.width() - 2, bar->width());

    const QString doc = dir.filePath("contract.pdf");
    fixture::writeFile(doc.toStdString(), canvastest::twoPageDocument());
    ASSERT_TRUE(window.signPage()->addFileTab(doc));
    bar->showSignTool(true);

    for (int id = 0; id < 6; ++id) {
        SCOPED_TRACE(id);
        if (id == Orvessa::TemplatePageId)
            window.turnPage(id); // nothing in the program leads there
        else
            bar->pageButton(id)->click();
        ASSERT_EQ(id, window.stackWidget()->currentIndex());
        QImage shot = grabScreen(window);
        const QRect page = window.stackWidget()->geometry();
        if (id == Orvessa::SignPageId) {
            // The document's page is drawn by the render thread: wait for its text.
            const QRect middle = page.adjusted(page.width() / 3, page.height() / 4, -page.width() / 3, -page.height() / 2);
            ASSERT_TRUE(waitUntil(
                [&] {
                    shot = grabScreen(window);
                    return drawnIn(shot, middle);
                },
                10000));
        } else if (id != Orvessa::HomePageId && id != Orvessa::FileCenterPageId) {
            EXPECT_TRUE(drawnIn(shot, page));
        }
        EXPECT_TRUE(drawnIn(shot, bar->geometry()));
        EXPECT_TRUE(shot.save(shotPath(QStringLiteral("shell_page_%1").arg(id))));
    }

    // The help centre's enlarged picture over the dimmed screen.
    bar->pageButton(Orvessa::HelpCenterPageId)->click();
    HelpCenterPage* help = window.helpCenterPage();
    help->stepButtons()[5]->click();
    mouse(help->imageLabel(), QEvent::MouseButtonRelease, QPoint(10, 10));
    QPointer<MaxImageWidget> view = help->enlargedPicture();
    ASSERT_TRUE(view);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(view));
    EXPECT_EQ(area.size(), view->size());
    EXPECT_TRUE(grabScreen(*view).save(shotPath("shell_help_enlarged")));
    mouse(view, QEvent::MouseButtonRelease, QPoint(5, 5));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(view);
}

// Every text of the home page's counter cards shows whole: a one-line label is as wide as its
// text, a wrapping one tall enough for its lines.
void expectCardTextsFit(QWidget& window)
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    QCoreApplication::processEvents();
    const QList<HoverWidget*> cards = window.findChildren<HoverWidget*>();
    ASSERT_EQ(3, cards.size());
    for (HoverWidget* card : cards)
        for (QLabel* l : card->findChildren<QLabel*>()) {
            if (l->text().isEmpty())
                continue;
            if (l->wordWrap())
                EXPECT_LE(l->heightForWidth(l->width()), l->height()) << l->text().toStdString();
            else
                EXPECT_GE(l->width(), l->fontMetrics().horizontalAdvance(l->text())) << l->text().toStdString();
        }
}

TEST_F(ShellScreen, RestoresMovesResizesAndMaximisesWithoutAWindowManager)
{
    Orvessa window;
    window.setQuitHandler([] {});
    window.showMaximizedOnScreen();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    const QRect area = window.screen()->availableGeometry();
    TitleBar* bar = window.titleBar();

    bar->maxButton()->click();
    EXPECT_FALSE(window.isMaximized());
    EXPECT_FALSE(bar->showsRestoreIcon());
    ASSERT_TRUE(waitUntil([&] { return window.geometry() != area; }));
    const QRect normal = window.geometry();
    EXPECT_TRUE(area.contains(normal));
    EXPECT_GE(normal.width(), window.minimumWidth());

    // Dragging an empty part of the title bar by (-60, -40).
    const QPoint spot(bar->pageButton(0)->x() - 20, 10);
    mouse(bar, QEvent::MouseButtonPress, spot);
    mouse(bar, QEvent::MouseMove, spot - QPoint(60, 40));
    mouse(bar, QEvent::MouseButtonRelease, spot - QPoint(60, 40));
    ASSERT_TRUE(waitUntil([&] { return window.pos() == normal.topLeft() - QPoint(60, 40); }))
        << window.pos().x() << "," << window.pos().y();

    // The bottom-right corner dragged outwards by (30, 20): the new right edge lies one pixel
    // left of the cursor, which started on the old one.
    const QPoint corner(window.width() - 1, window.height() - 1);
    mouse(&window, QEvent::MouseMove, corner);
    mouse(&window, QEvent::MouseButtonPress, corner);
    mouse(&window, QEvent::MouseMove, corner + QPoint(30, 20));
    mouse(&window, QEvent::MouseButtonRelease, corner + QPoint(30, 20));
    ASSERT_TRUE(waitUntil([&] { return window.size() == normal.size() + QSize(29, 19); }))
        << window.width() << "x" << window.height() << " from " << normal.width() << "x" << normal.height();
    EXPECT_TRUE(grabScreen(window).save(shotPath("shell_restored_moved")));
    expectCardTextsFit(window);
    // The narrowest window the user can drag it to.
    window.resize(window.minimumSize());
    ASSERT_TRUE(waitUntil([&] { return window.size() == window.minimumSize(); }));
    expectCardTextsFit(window);

    // A double click on the title bar maximises to the available area again.
    mouse(bar, QEvent::MouseButtonDblClick, spot);
    EXPECT_TRUE(window.isMaximized());
    EXPECT_TRUE(bar->showsRestoreIcon());
    ASSERT_TRUE(waitUntil([&] { return window.geometry() == area; }));
}

// What a new user does after the run command: the window comes up, the README's personal account
// logs in through the title bar's account button and the login window, and a PDF chosen with the
// home page's "选择文件" shows in the workspace. Every page is pictured logged in.
class LoggedInScreen : public AccountTest
{
protected:
    void SetUp() override
    {
        AccountTest::SetUp();
        ASSERT_TRUE(dir.isValid());
        initViewInfo();
        QApplication::setFont(QFont("Microsoft YaHei"));
        qApp->setStyleSheet(style());
        canvastest::sharedCache();
    }

    QTemporaryDir dir;
    ScopedSettingsLocation settings{dir.filePath(QStringLiteral("settings"))};
    ScopedUiDurationScale fast{0.0};
    QuickMessageBoxSpy toasts;
    MMessageBoxAutoAnswer boxes{QDialogButtonBox::Ok};
    ModalDriver driver;
};

TEST_F(LoggedInScreen, LogInThroughTheWindowAndOpenADocumentFromTheHomePage)
{
    Orvessa window;
    window.setQuitHandler([] {});
    window.showAndOpen(QString());
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    TitleBar* bar = window.titleBar();

    driver.on<LoginDialog>([](LoginDialog* dialog) {
        QTest::keyClicks(dialog->loginPage()->accountField(), "13800000000");
        QTest::keyClicks(dialog->loginPage()->passwordField(), "Orvessa@2024");
        QTest::mouseClick(dialog->loginPage()->loginButton(), Qt::LeftButton);
    });
    QTest::mouseClick(window.userButton(), Qt::LeftButton);
    ASSERT_EQ(1, driver.count<LoginDialog>());
    ASSERT_EQ(1, window.loginState());
    const BusinessInfo* user = client->getBusinessInfo();
    ASSERT_TRUE(user);
    EXPECT_EQ(user->userName, window.userButton()->text());

    const QString doc = dir.filePath(QString::fromUtf8("合同.pdf"));
    fixture::writeFile(doc.toStdString(), canvastest::twoPageDocument());
    driver.on<QFileDialog>([doc](QFileDialog* dialog) {
        dialog->selectFile(doc);
        QMetaObject::invokeMethod(dialog, "accept");
    });
    const int toastsBefore = toasts.count();
    QTest::mouseClick(window.homePage()->chooseFileButton(), Qt::LeftButton);
    ASSERT_TRUE(waitUntil([&] { return window.signPage()->tabWidget()->count() == 1; }, 10000));
    EXPECT_EQ(int(Orvessa::SignPageId), window.stackWidget()->currentIndex());
    EXPECT_FALSE(bar->pageButton(Orvessa::SignPageId)->isHidden());
    EXPECT_TRUE(bar->pageButton(Orvessa::SignPageId)->isChecked());
    EXPECT_EQ(toastsBefore, toasts.count()) << toasts.shown().last().text.toStdString();

    // Every page the title bar leads to, logged in (the template page has no button).
    for (int id : {int(Orvessa::SignPageId), int(Orvessa::HomePageId), int(Orvessa::FileCenterPageId),
                   int(Orvessa::UserCenterPageId), int(Orvessa::HelpCenterPageId)}) {
        SCOPED_TRACE(id);
        QTest::mouseClick(bar->pageButton(id), Qt::LeftButton);
        ASSERT_EQ(id, window.stackWidget()->currentIndex());
        QImage shot = grabScreen(window);
        const QRect page = window.stackWidget()->geometry();
        if (id == Orvessa::SignPageId) {
            // The document's page is drawn by the render thread: wait for its text.
            const QRect middle = page.adjusted(page.width() / 3, page.height() / 4, -page.width() / 3, -page.height() / 2);
            ASSERT_TRUE(waitUntil(
                [&] {
                    shot = grabScreen(window);
                    return drawnIn(shot, middle);
                },
                10000));
        }
        EXPECT_TRUE(drawnIn(shot, page));
        EXPECT_TRUE(shot.save(shotPath(QStringLiteral("logged_in_page_%1").arg(id))));
    }
    EXPECT_EQ(0, boxes.count()) << boxes.lastText().toStdString();
}

} // namespace
