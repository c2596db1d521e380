// The frameless main window offscreen: moving by the title bar, resizing from the edges,
// maximising by button and double click, closing with open documents, and the certificate
// renewal reaching the account page.
#include "AccountTestSupport.h"
#include "CanvasTestSupport.h"
#include "DocTabWidget.h"
#include "MMessageBox.h"
#include "Orvessa.h"
#include "PdfEngine.h"
#include "QtTestSupport.h"
#include "QuickMessageBox.h"
#include "RegeditSettings.h"
#include "SignPage.h"
#include "SplitterFrame.h"
#include "TitleBar.h"
#include "UserAccountFrame.h"
#include "UserCenterPage.h"
#include "UserManageFrame.h"
#include "UserSession.h"

#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QToolButton>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// Sends a mouse event to w at its local point p, as the toolkit delivers it (unhandled events
// travel up to the window).
void mouse(QWidget* w, QEvent::Type type, QPoint p, Qt::MouseButton button = Qt::LeftButton)
{
    const bool down = type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick;
    QMouseEvent e(type, p, w->mapToGlobal(p), type == QEvent::MouseMove ? Qt::NoButton : button,
                  down ? Qt::MouseButtons(button) : Qt::MouseButtons(Qt::NoButton), Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

// A normal window of 900 x 600 at (100, 80), shown.
struct ShownWindow
{
    ShownWindow()
    {
        window.setGeometry(100, 80, 900, 600);
        window.show();
        QApplication::processEvents();
    }
    // An empty point of the title bar, between the logo and the page buttons.
    QPoint titleSpot() const { return QPoint(window.titleBar()->pageButton(0)->x() - 20, 10); }

    ScopedScreenZoom zoom{1.0f};
    Orvessa window;
};

TEST(MainWindowFrame, DraggingTheTitleBarMovesTheWindowWithTheGrabPoint)
{
    ShownWindow s;
    QWidget* bar = s.window.titleBar();
    const QPoint start = s.window.pos();
    const QPoint spot = s.titleSpot();
    mouse(bar, QEvent::MouseButtonPress, spot);
    mouse(bar, QEvent::MouseMove, spot + QPoint(37, 21));
    mouse(bar, QEvent::MouseButtonRelease, spot + QPoint(37, 21));
    EXPECT_EQ(start + QPoint(37, 21), s.window.pos());
    EXPECT_EQ(QSize(900, 600), s.window.size());

    // A right-button press neither moves nor resizes.
    const QPoint now = s.window.pos();
    mouse(bar, QEvent::MouseButtonPress, spot, Qt::RightButton);
    mouse(bar, QEvent::MouseMove, spot + QPoint(50, 50));
    mouse(bar, QEvent::MouseButtonRelease, spot + QPoint(50, 50), Qt::RightButton);
    EXPECT_EQ(now, s.window.pos());
}

TEST(MainWindowFrame, EdgesAndCornersResize)
{
    ShownWindow s;
    Orvessa& w = s.window;
    const QRect before = w.geometry();

    // The cursor over the right edge: a horizontal resize cursor; one pixel further in the arrow.
    mouse(&w, QEvent::MouseMove, QPoint(w.width() - 1, 300));
    EXPECT_EQ(frameless::RIGHT, w.edgeZone());
    EXPECT_EQ(Qt::SizeHorCursor, w.cursor().shape());
    mouse(&w, QEvent::MouseMove, QPoint(w.width() - 4, 300));
    EXPECT_EQ(frameless::NONE, w.edgeZone());
    EXPECT_EQ(Qt::ArrowCursor, w.cursor().shape());

    // The bottom-right corner dragged outwards by (40, 30).
    const QPoint corner(w.width() - 2, w.height() - 2);
    mouse(&w, QEvent::MouseMove, corner);
    EXPECT_EQ(frameless::RIGHTBOTTOM, w.edgeZone());
    mouse(&w, QEvent::MouseButtonPress, corner);
    mouse(&w, QEvent::MouseMove, corner + QPoint(40, 30));
    mouse(&w, QEvent::MouseButtonRelease, corner + QPoint(40, 30));
    EXPECT_EQ(before.topLeft(), w.pos());
    EXPECT_EQ(QSize(938, 628), w.size());
    EXPECT_EQ(frameless::NONE, w.edgeZone());
    EXPECT_EQ(Qt::ArrowCursor, w.cursor().shape());

    // The left edge follows the cursor inwards while the window stays wider than its minimum,
    // then stops.
    const QRect wide = w.geometry();
    const QPoint grab = w.mapToGlobal(QPoint(1, 300));
    mouse(&w, QEvent::MouseButtonPress, QPoint(1, 300));
    EXPECT_EQ(frameless::LEFT, w.edgeZone());
    mouse(&w, QEvent::MouseMove, w.mapFromGlobal(grab + QPoint(100, 0)));
    EXPECT_EQ(QRect(QPoint(grab.x() + 100, wide.top()), wide.bottomRight()), w.geometry());
    mouse(&w, QEvent::MouseMove, w.mapFromGlobal(grab + QPoint(400, 0)));
    mouse(&w, QEvent::MouseButtonRelease, w.mapFromGlobal(grab + QPoint(400, 0)));
    EXPECT_EQ(QRect(QPoint(grab.x() + 100, wide.top()), wide.bottomRight()), w.geometry());
    EXPECT_GT(w.width(), w.minimumWidth());
}

TEST(MainWindowFrame, MaximiseByButtonAndDoubleClick)
{
    ShownWindow s;
    Orvessa& w = s.window;
    TitleBar* bar = w.titleBar();
    const QRect normal = w.geometry();

    bar->maxButton()->click();
    EXPECT_TRUE(w.isMaximized());
    EXPECT_TRUE(bar->showsRestoreIcon());
    EXPECT_EQ(w.screen()->availableGeometry(), w.geometry());
    // A maximised window neither moves nor resizes by mouse.
    mouse(bar, QEvent::MouseButtonPress, s.titleSpot());
    mouse(bar, QEvent::MouseMove, s.titleSpot() + QPoint(30, 30));
    mouse(bar, QEvent::MouseButtonRelease, s.titleSpot() + QPoint(30, 30));
    EXPECT_EQ(w.screen()->availableGeometry(), w.geometry());

    bar->maxButton()->click();
    EXPECT_FALSE(w.isMaximized());
    EXPECT_FALSE(bar->showsRestoreIcon());
    EXPECT_EQ(normal, w.geometry());

    // A double click on an empty part of the title bar toggles; on a button it does not.
    mouse(bar, QEvent::MouseButtonDblClick, s.titleSpot());
    EXPECT_TRUE(w.isMaximized());
    EXPECT_TRUE(bar->showsRestoreIcon());
    mouse(bar, QEvent::MouseButtonDblClick, s.titleSpot());
    EXPECT_FALSE(w.isMaximized());
    EXPECT_EQ(normal, w.geometry());
    QToolButton* help = bar->pageButton(5);
    mouse(help, QEvent::MouseButtonDblClick, QPoint(5, 5));
    EXPECT_FALSE(w.isMaximized());
    // Nor does a double click below the title bar.
    mouse(&w, QEvent::MouseButtonDblClick, QPoint(300, 300));
    EXPECT_FALSE(w.isMaximized());
}

TEST(MainWindowFrame, StartsMaximisedToTheAvailableAreaWithTheRestoreIcon)
{
    ScopedScreenZoom zoom(1.0f);
    Orvessa w;
    w.showMaximizedOnScreen();
    EXPECT_TRUE(w.isMaximized());
    EXPECT_EQ(w.screen()->availableGeometry(), w.geometry());
    EXPECT_TRUE(w.titleBar()->showsRestoreIcon());
    // Restoring a window that started maximised gives a smaller window inside the screen.
    w.showWindowandUpdateIcon();
    EXPECT_FALSE(w.isMaximized());
    EXPECT_TRUE(w.screen()->availableGeometry().contains(w.geometry()));
    EXPECT_GE(w.width(), w.minimumWidth());
    EXPECT_GE(w.height(), w.minimumHeight());
}

// ---- closing --------------------------------------------------------------------------------

class MainWindowClose : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        canvastest::sharedCache();
    }
    QString write(const QString& name)
    {
        const QString path = dir.filePath(name);
        fixture::writeFile(path.toStdString(), canvastest::twoPageDocument());
        return path;
    }
    static void change(PdfEngine* engine)
    {
        float red[3] = {1, 0, 0};
        rect quad{20, 20, 120, 40};
        ASSERT_TRUE(engine->AddMarkAnnot(1, red, 0.5f, quad, &quad, 1, VQ_ANNOT_HIGHLIGHT));
        ASSERT_TRUE(engine->DocumentChanged());
    }

    QTemporaryDir dir;
    ScopedSettingsLocation settings{dir.filePath(QStringLiteral("settings"))};
    ScopedScreenZoom zoom{1.0f};
    ScopedUiDurationScale fast{0.0};
    QuickMessageBoxSpy toasts;
};

TEST_F(MainWindowClose, ACancelledSaveQuestionKeepsTheWindowAndTheDocument)
{
    const QString changed = write("changed.pdf");
    const QString plain = write("plain.pdf");
    const std::string before = fixture::readFile(changed.toStdString());
    Orvessa window;
    int quits = 0;
    window.setQuitHandler([&] { quits++; });
    window.show();
    ASSERT_TRUE(window.signPage()->addFileTab(plain));
    ASSERT_TRUE(window.signPage()->addFileTab(changed));
    QPointer<SplitterFrame> frame = window.signPage()->currentFrame();
    change(frame->engine());

    {
        // The question "保存文件" dismissed: nothing closes that holds the change.
        MMessageBoxAutoAnswer dismissed(QDialogButtonBox::NoButton);
        EXPECT_FALSE(window.close());
        ASSERT_GE(dismissed.count(), 1);
        EXPECT_EQ(QString::fromUtf8("保存文件"), dismissed.shown()[0].title);
    }
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(0, quits);
    // Closing stopped at the kept document: both tabs are still there.
    ASSERT_EQ(2, window.signPage()->tabWidget()->count());
    ASSERT_TRUE(frame);
    EXPECT_TRUE(frame->engine()->DocumentChanged());
    EXPECT_EQ(before, fixture::readFile(changed.toStdString()));

    // Answered "No": the tabs close, the changed one unsaved, and the program quits.
    {
        MMessageBoxAutoAnswer no(QDialogButtonBox::No);
        EXPECT_TRUE(window.close());
        EXPECT_EQ(1, no.count());
    }
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(1, quits);
    EXPECT_EQ(0, window.signPage()->tabWidget()->count());
    EXPECT_EQ(before, fixture::readFile(changed.toStdString()));
}

TEST_F(MainWindowClose, ClosingWithoutChangedDocumentsQuitsAtOnce)
{
    Orvessa window;
    int quits = 0;
    window.setQuitHandler([&] { quits++; });
    window.show();
    ASSERT_TRUE(window.signPage()->addFileTab(write("one.pdf")));
    MMessageBoxAutoAnswer boxes(QDialogButtonBox::NoButton);
    window.titleBar()->closeButton()->click();
    EXPECT_EQ(0, boxes.count());
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(0, window.signPage()->tabWidget()->count());
    EXPECT_EQ(1, quits);
}

// ---- certificate renewal --------------------------------------------------------------------

using MainWindowCertificate = AccountTest;

TEST_F(MainWindowCertificate, ARenewalFromEitherPageShowsTheNewValidity)
{
    ScopedScreenZoom zoom(1.0f);
    ScopedUiDurationScale fast(0.0);
    QuickMessageBoxSpy toasts;
    MMessageBoxAutoAnswer boxes(QDialogButtonBox::No);
    QTemporaryDir settingsDir;
    ScopedSettingsLocation store(settingsDir.path());

    Orvessa window;
    ASSERT_TRUE(loginAs("13800000000"));
    window.session()->setUserPageLoginState();
    ASSERT_EQ(1, window.loginState());
    UserAccountFrame* account = UserCenterPage::getUserManageFrame()->getUserAccount();

    struct Case
    {
        const char* from;
        QDate end;
    };
    const Case cases[] = {{"workspace", QDate(2031, 3, 4)}, {"user centre", QDate(2032, 5, 6)}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.from);
        g_certTime.bIsValid = true;
        g_certTime.bIsExpired = false;
        g_certTime.endTime = QDateTime(c.end, QTime(12, 0));
        if (QString::fromUtf8(c.from) == "workspace")
            emit window.signPage()->sigCertRenewSucess();
        else
            emit window.userCenterPage()->sigCertRenewSucess();
        EXPECT_EQ(c.end.toString("yyyy-MM-dd"), account->certTimeValue()->text());
    }
}

} // namespace
