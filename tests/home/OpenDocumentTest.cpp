// The main window opening local documents: a good one becomes one workspace tab and the
// workspace is shown; opening it again keeps one tab; empty and missing paths, files that are
// not PDFs, damaged ones and ones locked by a password are reported over the window, open no tab
// and leave the home page showing and the recent documents as they were.
#include "HomeTestSupport.h"

#include "DocTabWidget.h"
#include "GlobalHeader.h"
#include "HomePage.h"
#include "ListTurnFrame.h"
#include "LoadingWidget.h"
#include "Orvessa.h"
#include "ParentDialog.h"
#include "QtTestSupport.h"
#include "QuickMessageBox.h"
#include "RegeditSettings.h"
#include "SignPage.h"

#include <QApplication>
#include <QListWidget>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QThreadPool>
#include <gtest/gtest.h>

using hometest::waitUntil;

namespace {

class OpenDocument : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        canvastest::sharedCache();
    }
    QString write(const QString& name, const std::string& bytes)
    {
        const QString path = dir.filePath(name);
        fixture::writeFile(path.toStdString(), bytes);
        return path;
    }

    QTemporaryDir dir;
    ScopedSettingsLocation settings{dir.filePath(QStringLiteral("settings"))};
    ScopedScreenZoom zoom{1.0f};
    ScopedUiDurationScale fast{0.0};
};

TEST_F(OpenDocument, AGoodFileBecomesOneTabAndShowsTheWorkspace)
{
    Orvessa window;
    window.show();
    ASSERT_NE(nullptr, window.signPage());
    EXPECT_EQ(window.signPage(), window.stackWidget()->widget(Orvessa::SignPageId));
    EXPECT_EQ(window.homePage(), window.stackWidget()->widget(Orvessa::HomePageId));
    const QString path = write("good.pdf", hometest::pages(2));

    QuickMessageBoxSpy toasts;
    window.openFile(path);
    EXPECT_EQ(Orvessa::SignPageId, window.stackWidget()->currentIndex());
    EXPECT_EQ(1, window.signPage()->tabWidget()->count());
    EXPECT_EQ(nullptr, QApplication::overrideCursor());

    // Again, from the home page: the tab is brought forward, no second tab.
    window.turnPage(Orvessa::HomePageId);
    window.openFile(path);
    EXPECT_EQ(Orvessa::SignPageId, window.stackWidget()->currentIndex());
    EXPECT_EQ(1, window.signPage()->tabWidget()->count());
    EXPECT_EQ(0, toasts.count());
    EXPECT_EQ(nullptr, QApplication::overrideCursor());

    // The document view recorded it; the home page shows it when it next refreshes.
    window.turnPage(Orvessa::HomePageId);
    ASSERT_EQ(1, window.homePage()->recentList()->list()->count());
    EXPECT_EQ(path, window.homePage()->recentList()->cellAt(0)->fileName());
}

TEST_F(OpenDocument, FilesThatCannotBeOpenedAreReportedOverTheWindow)
{
    struct Case
    {
        const char* name;
        QString path;
        const char* toast;
        QuickMessageBoxType type;
    };
    const Case cases[] = {
        {"empty path", QString(), "转换文件失败！", qmt_nothing},
        {"missing file", dir.filePath("missing.pdf"), "打开文件失败，未找到对应的文件！", qmt_error},
        {"text named .pdf", write("text.pdf", "just some text, no document"), "不支持的文件类型", qmt_error},
        {"damaged", write("damaged.pdf", hometest::brokenXrefDocument()), "打开文件失败，文件已损坏", qmt_error},
        {"truncated", write("truncated.pdf", "%PDF-1.7"), "打开文件失败，文件已损坏", qmt_error},
        {"password", write("locked.PDF", hometest::passwordDocument()), "打开文件失败，文件设有密码", qmt_error},
    };
    Orvessa window;
    window.show();
    for (const Case& c : cases)
    {
        QuickMessageBoxSpy toasts;
        window.openFile(c.path);
        ASSERT_EQ(1, toasts.count()) << c.name;
        EXPECT_EQ(QString::fromUtf8(c.toast), toasts.shown()[0].text) << c.name;
        EXPECT_EQ(c.type, toasts.shown()[0].type) << c.name;
        EXPECT_EQ(2000, toasts.shown()[0].ms) << c.name;
        // Over the visible main window (a page of it, or the window itself).
        ASSERT_TRUE(toasts.shown()[0].parent) << c.name;
        EXPECT_EQ(&window, toasts.shown()[0].parent->window()) << c.name;
        EXPECT_TRUE(window.isVisible());
        EXPECT_EQ(0, window.signPage()->tabWidget()->count()) << c.name;
        EXPECT_EQ(Orvessa::HomePageId, window.stackWidget()->currentIndex()) << c.name;
        EXPECT_EQ(nullptr, QApplication::overrideCursor()) << c.name;
    }
    // Nothing that failed to open is listed among the recent documents.
    EXPECT_TRUE(RegeditSettings::Instance()->recentlyFiles().isEmpty());
}

TEST_F(OpenDocument, TheHomePagesOpenEndsInAWorkspaceTab)
{
    Orvessa window;
    window.show();
    window.loadingWidget()->show();
    const QString path = write("dropped.pdf", hometest::pages(1));
    window.homePage()->tryOpenFile(path);
    ASSERT_TRUE(waitUntil([&] { return window.signPage()->tabWidget()->count() == 1; }));
    EXPECT_EQ(Orvessa::SignPageId, window.stackWidget()->currentIndex());
    EXPECT_FALSE(window.homePage()->loadingWidget()->isVisible());
    EXPECT_FALSE(window.loadingWidget()->isVisible());
}

TEST_F(OpenDocument, AtStartTheMessageComesOverTheShownWindow)
{
    // As the program starts on a missing document, and on one it can open.
    QList<bool> windowShown;
    QuickMessageBox::ShowHook previous = QuickMessageBox::showHook();
    QuickMessageBox::setShowHook([&](const QuickMessageBox& toast) {
        windowShown << (toast.parentWidget() && toast.parentWidget()->window() == g_topWidget &&
                        g_topWidget->isVisible());
    });
    {
        Orvessa window;
        window.showAndOpen(dir.filePath("missing.pdf"));
        EXPECT_EQ(Orvessa::HomePageId, window.stackWidget()->currentIndex());
    }
    {
        Orvessa window;
        window.showAndOpen(write("notes.pdf", "just text"));
        EXPECT_EQ(0, window.signPage()->tabWidget()->count());
    }
    {
        Orvessa window;
        window.showAndOpen(write("sample.pdf", hometest::pages(1)));
        EXPECT_TRUE(window.isVisible());
        EXPECT_EQ(Orvessa::SignPageId, window.stackWidget()->currentIndex());
        EXPECT_EQ(1, window.signPage()->tabWidget()->count());
    }
    QuickMessageBox::setShowHook(previous);
    EXPECT_EQ((QList<bool>{true, true}), windowShown);
}

} // namespace
