// The help centre: the guide's steps, the enlarged picture, the version file and the link of
// "常见问题"; and the template page.
#include "GlobalHeader.h"
#include "HelpCenterPage.h"
#include "Level2MenuBar.h"
#include "QtTestSupport.h"
#include "TemplatePage.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCoreApplication>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QScreen>
#include <QSettings>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QToolButton>
#include <QUrl>
#include <QLayout>
#include <gtest/gtest.h>

namespace {

bool selectedLook(QAbstractButton* b)
{
    return b->styleSheet().contains("background-color:rgb(49,202,132)");
}

void release(QWidget* w, QPoint p = QPoint(5, 5))
{
    QMouseEvent e(QEvent::MouseButtonRelease, p, w->mapToGlobal(p), Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

void press(QWidget* w, QPoint p = QPoint(5, 5))
{
    QMouseEvent e(QEvent::MouseButtonPress, p, w->mapToGlobal(p), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

TEST(HelpCenter, GuideStepsShowTheirPicturesInTheirBoxes)
{
    ScopedScreenZoom zoom(1.0f);
    HelpCenterPage page;
    const QList<QAbstractButton*> steps = page.stepButtons();
    ASSERT_EQ(HelpCenterPage::StepCount, steps.size());
    EXPECT_EQ(QString::fromUtf8("登录Orvessa桌面端"), steps[0]->text());
    EXPECT_EQ(QString::fromUtf8("完成盖章"), steps[6]->text());

    // On first showing: step 0 selected, the other six outlined.
    EXPECT_EQ(0, page.currentStep());
    for (int i = 0; i < steps.size(); ++i)
        EXPECT_EQ(i == 0, selectedLook(steps[i])) << i;

    for (int id = 0; id < HelpCenterPage::StepCount; ++id) {
        SCOPED_TRACE(id);
        steps[id]->click();
        EXPECT_EQ(id, page.currentStep());
        for (int i = 0; i < steps.size(); ++i)
            EXPECT_EQ(i == id, selectedLook(steps[i])) << i;
        const QSize box(HelpCenterPage::kSteps[id].width, HelpCenterPage::kSteps[id].height);
        ASSERT_FALSE(page.currentPicture().isNull());
        const QPixmap shown = page.imageLabel()->pixmap(Qt::ReturnByValue);
        ASSERT_FALSE(shown.isNull());
        // Scaled into its box keeping the aspect ratio: it fits, and touches two sides.
        EXPECT_LE(shown.width(), box.width());
        EXPECT_LE(shown.height(), box.height());
        EXPECT_TRUE(shown.width() == box.width() || shown.height() == box.height());
        // The full-size picture is kept for the enlarged view.
        EXPECT_GT(page.currentPicture().width(), shown.width());
    }
}

TEST(HelpCenter, TabsAndTheQuestionsLink)
{
    ScopedScreenZoom zoom(1.0f);
    QTemporaryDir dir;
    const QString savedConfig = configPath;
    configPath = dir.filePath("config.ini");
    {
        QSettings ini(configPath, QSettings::IniFormat);
        ini.setValue("addressUrl/help_url", QByteArray("https://help.example.test/faq?a=1").toBase64());
    }
    DesktopUrls desktop;
    HelpCenterPage page;
    EXPECT_TRUE(page.guideTab()->isChecked());
    EXPECT_EQ(0, page.stackWidget()->currentIndex());

    page.aboutTab()->click();
    EXPECT_EQ(1, page.stackWidget()->currentIndex());
    EXPECT_TRUE(page.aboutTab()->isChecked());

    // "常见问题" opens the page of config.ini and changes nothing here.
    page.faqButton()->click();
    ASSERT_EQ(1, desktop.urls.size());
    EXPECT_EQ(QUrl("https://help.example.test/faq?a=1"), desktop.urls[0]);
    EXPECT_EQ(1, page.stackWidget()->currentIndex());
    EXPECT_TRUE(page.aboutTab()->isChecked());
    EXPECT_FALSE(page.faqButton()->isChecked());

    page.guideTab()->click();
    EXPECT_EQ(0, page.stackWidget()->currentIndex());
    configPath = savedConfig;
}

TEST(HelpCenter, TheEnlargedPictureClosesOnAReleaseOrEscapeAndGoes)
{
    ScopedScreenZoom zoom(1.0f);
    HelpCenterPage page;
    page.resize(1024, 700);
    page.show();

    struct Case
    {
        const char* name;
        bool escape;
    };
    for (const Case c : {Case{"click", false}, Case{"escape", true}}) {
        SCOPED_TRACE(c.name);
        release(page.imageLabel());
        QPointer<MaxImageWidget> view = page.enlargedPicture();
        ASSERT_TRUE(view);
        EXPECT_TRUE(view->isVisible());
        // The picture at its own size, or shrunk with its proportions to fit the screen.
        const QSize full = page.currentPicture().size();
        const QSize shown = view->imageLabel()->pixmap(Qt::ReturnByValue).size();
        const QSize room = view->screen()->availableGeometry().size();
        ASSERT_FALSE(shown.isEmpty());
        EXPECT_NEAR(double(full.width()) / full.height(), double(shown.width()) / shown.height(), 0.01);
        const bool fits = full.width() <= room.width() && full.height() <= room.height();
        if (fits)
            EXPECT_EQ(full, shown);
        else
            EXPECT_TRUE(shown.width() <= room.width() && shown.height() <= room.height());
        // A press alone does not close it.
        press(view);
        EXPECT_TRUE(view->isVisible());
        if (c.escape) {
            QKeyEvent key(QEvent::KeyRelease, Qt::Key_Escape, Qt::NoModifier);
            QApplication::sendEvent(view, &key);
        } else {
            release(view->imageLabel());
        }
        ASSERT_TRUE(view);
        EXPECT_FALSE(view->isVisible());
        // Closed, it is deleted: repeated clicks leave no windows behind.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_FALSE(view);
    }
}

TEST(HelpCenter, VersionTextIsTheFileUpToItsFirstNul)
{
    QTemporaryDir dir;
    struct Case
    {
        const char* name;
        QByteArray bytes;
        QString text;
    };
    const Case cases[] = {
        {"plain", "5.7.0", "5.7.0"},
        {"a line break stays", "5.7.0\n", "5.7.0\n"},
        {"cut at NUL", QByteArray("1.2.3\0junk", 10), "1.2.3"},
        {"UTF-8", QString::fromUtf8("版本 2").toUtf8(), QString::fromUtf8("版本 2")},
        {"empty", "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = dir.filePath(QString::fromUtf8(c.name));
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(c.bytes);
        f.close();
        EXPECT_EQ(c.text, readVersionText(path));
    }
    EXPECT_TRUE(readVersionText(dir.filePath("missing")).isEmpty());
}

TEST(HelpCenter, AboutPanelShowsVersionDatBesideTheProgram)
{
    ScopedScreenZoom zoom(1.0f);
    const QString path = QCoreApplication::applicationDirPath() + "/Version.dat";
    ASSERT_FALSE(QFile::exists(path)) << "left over from an earlier run";
    {
        HelpCenterPage page;
        EXPECT_EQ(QString::fromUtf8("      版本信息   "), page.versionLabel()->text());
    }
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("9.8.7\n");
    f.close();
    const QString read = getFileVersion();
    HelpCenterPage page;
    QFile::remove(path);
    EXPECT_EQ(QString::fromUtf8("9.8.7\n"), read);
    EXPECT_EQ(QString::fromUtf8("      版本信息   9.8.7\n"), page.versionLabel()->text());
}

TEST(TemplatePage, MenuBarPanelAndCard)
{
    ScopedScreenZoom zoom(1.0f);
    TemplatePage page;
    EXPECT_EQ(QString::fromUtf8("合同模板"), page.menuBar()->titleLabel()->text());
    ASSERT_EQ(1, page.menuBar()->getBtnGroup()->buttons().size());
    EXPECT_EQ(QString::fromUtf8("下载模板"), page.menuBar()->getBtnGroup()->buttons()[0]->text());
    EXPECT_EQ(QSize(147, 559), page.leftWidget()->size());
    EXPECT_EQ(QSize(1041, 559), page.rightWidget()->size());
    EXPECT_EQ(QString::fromUtf8("全部模板"), page.rightWidget()->titler()->text());
}

TEST(HelpCenter, TheGuideFitsTheWholeWidthOfA1024Screen)
{
    ScopedScreenZoom zoom(1.0f);
    HelpCenterPage page;
    // The page's room in a maximised window on a 1024 x 768 screen.
    page.resize(1022, 730);
    page.show();
    QApplication::processEvents();
    EXPECT_EQ(870, page.stackWidget()->width());
    EXPECT_EQ(870, page.imageLabel()->width());
    EXPECT_TRUE(page.rect().contains(page.stackWidget()->geometry()));
    // A narrower window keeps the panels, which scroll.
    page.resize(900, 730);
    QApplication::processEvents();
    EXPECT_LT(page.stackWidget()->width(), 870);
    EXPECT_TRUE(page.rect().contains(page.stackWidget()->geometry()));
}

} // namespace

