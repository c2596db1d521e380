// The home page on its own, offscreen: the classification of file names, the background open and
// its guard, the open-file card's drag and drop, the counters while logged out, the start-page
// dialog, and the recent-documents row over settings kept in a folder of the test's own.
#include "HomeTestSupport.h"

#include "GlobalHeader.h"
#include "HomePage.h"
#include "ListTurnFrame.h"
#include "LoadingWidget.h"
#include "OpenFileBusiness.h"
#include "ParentDialog.h"
#include "QtTestSupport.h"
#include "QuickMessageBox.h"
#include "RegeditSettings.h"

#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QLabel>
#include <QListWidget>
#include <QMimeData>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QThreadPool>
#include <QToolButton>
#include <QUrl>
#include <gtest/gtest.h>

using hometest::waitUntil;

namespace {

TEST(FileClassification, ByTheNameAlone)
{
    struct Case
    {
        const char* path;
        int expected;
    };
    const Case cases[] = {
        {"x.pdf", 2},          {"/docs/x.PDF", 2},  {"x.Pdf", 2},        {"x.docx", 1},      {"x.doc", 1},
        {"x.xlsx", 1},         {"x.pptx", 1},       {"x.jpeg", 0},       {"x.jpg", 1},       {"x.pdf.gif", 1},
        {"x.gif.pdf", 2},      {"x.DOCX", 0},       {"readme", 0},       {"/a.pdf/readme", 0}, {"", 0},
        {"/no/such/dir/y.png", 1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.expected, OpenFileBusiness::identifyFilefromSuffix(QString::fromUtf8(c.path))) << c.path;
}

TEST(BackgroundOpen, HandsThePathBackOnTheOwnersThread)
{
    OpenFileBusiness owner;
    QStringList got;
    bool onGuiThread = true;
    QObject::connect(&owner, &OpenFileBusiness::endOpen, [&](const QString& path) {
        got << path;
        onGuiThread = onGuiThread && QThread::currentThread() == qApp->thread();
    });
    EXPECT_EQ(1, owner.openFile("/direct.pdf"));
    OpenFileBusiness::startOpen(&owner, "/no/such/file.pdf");
    OpenFileBusiness::startOpen(&owner, "/second.pdf");
    ASSERT_TRUE(waitUntil([&] { return got.size() == 3; }));
    EXPECT_EQ("/direct.pdf", got[0]);
    EXPECT_TRUE(got.contains("/no/such/file.pdf")); // a missing path still comes back
    EXPECT_TRUE(got.contains("/second.pdf"));
    EXPECT_TRUE(onGuiThread);
}

TEST(BackgroundOpen, AnOwnerDestroyedMeanwhileGetsNothing)
{
    // The start-page dialog closed right after a drop: its home page goes before the hand-back.
    int delivered = 0;
    OpenFileBusiness survivor;
    QObject::connect(&survivor, &OpenFileBusiness::endOpen, [&] { ++delivered; });
    for (int i = 0; i < 20; ++i)
    {
        auto* owner = new OpenFileBusiness;
        QObject::connect(owner, &OpenFileBusiness::endOpen, [&] { delivered += 100; });
        OpenFileBusiness::startOpen(owner, QStringLiteral("/gone%1.pdf").arg(i));
        delete owner;
    }
    OpenFileBusiness::startOpen(&survivor, "/kept.pdf");
    QThreadPool::globalInstance()->waitForDone();
    ASSERT_TRUE(waitUntil([&] { return delivered >= 1; }));
    QCoreApplication::processEvents();
    EXPECT_EQ(1, delivered);
}

class HomeTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }

    QString write(const QString& name, const std::string& bytes = hometest::pages(1))
    {
        const QString path = dir.filePath(name);
        fixture::writeFile(path.toStdString(), bytes);
        return path;
    }
    // A drag entering the widget; whether it was accepted. The drag then leaves again, so that
    // the toolkit keeps no drop target beyond the call.
    static bool sendDrag(QWidget* target, const QList<QUrl>& urls)
    {
        QMimeData data;
        if (!urls.isEmpty())
            data.setUrls(urls);
        else
            data.setText("plain text");
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &enter);
        const bool accepted = enter.isAccepted();
        QDragLeaveEvent leave;
        QApplication::sendEvent(target, &leave);
        return accepted;
    }
    // A drag of a PDF entering the widget, then a drop of dropped (a drop goes to the widget
    // that accepted the drag); whether the drop was accepted.
    static bool sendDrop(QWidget* target, const QList<QUrl>& dropped)
    {
        QMimeData dragged;
        dragged.setUrls({QUrl::fromLocalFile("/d/first.pdf")});
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &dragged, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &enter);
        EXPECT_TRUE(enter.isAccepted());
        QMimeData data;
        if (!dropped.isEmpty())
            data.setUrls(dropped);
        else
            data.setText("plain text");
        QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &drop);
        return drop.isAccepted();
    }

    QTemporaryDir dir;
    ScopedSettingsLocation settings{dir.filePath(QStringLiteral("settings"))};
    ScopedScreenZoom zoom{1.0f};
    ScopedUiDurationScale fast{0.0};
};

TEST_F(HomeTest, DragEnterAcceptsPdfNamesInAnyCase)
{
    HomePage page;
    struct Case
    {
        QList<QUrl> urls;
        bool accepted;
    };
    const Case cases[] = {
        {{QUrl::fromLocalFile("/d/a.pdf")}, true},
        {{QUrl::fromLocalFile("/d/a.PDF")}, true},
        {{QUrl::fromLocalFile("/d/a.pdf"), QUrl::fromLocalFile("/d/b.docx")}, true},
        {{QUrl::fromLocalFile("/d/b.docx"), QUrl::fromLocalFile("/d/a.pdf")}, false},
        {{QUrl::fromLocalFile("/d/a.txt")}, false},
        {{QUrl::fromLocalFile("/d/a.pdf/readme")}, false},
        {{}, false},
    };
    for (const Case& c : cases)
    {
        const QString first = c.urls.isEmpty() ? QStringLiteral("(no url)") : c.urls.first().toLocalFile();
        EXPECT_EQ(c.accepted, sendDrag(page.openFileCard(), c.urls)) << first.toStdString();
    }
}

TEST_F(HomeTest, DropOpensEachFileInTurn)
{
    HomePage page;
    QSignalSpy opened(&page, &HomePage::openFileSignal);
    const QString pdf = write("a.pdf");
    const QString word = dir.filePath("b.docx");
    EXPECT_TRUE(sendDrop(page.openFileCard(), {QUrl::fromLocalFile(pdf), QUrl::fromLocalFile(word)}));
    // The second file's busy text is shown until the pool hands the paths back.
    EXPECT_EQ(QString::fromUtf8("正在转换.."), page.loadingWidget()->text());
    ASSERT_TRUE(waitUntil([&] { return opened.count() == 2; }));
    QStringList paths;
    for (const QList<QVariant>& args : opened)
        paths << args.at(0).toString();
    EXPECT_TRUE(paths.contains(pdf));
    EXPECT_TRUE(paths.contains(word));
    EXPECT_FALSE(page.loadingWidget()->isVisible());

    // A drop without URLs is consumed without effect.
    opened.clear();
    sendDrop(page.openFileCard(), {});
    QThreadPool::globalInstance()->waitForDone();
    QCoreApplication::processEvents();
    EXPECT_EQ(0, opened.count());
}

TEST_F(HomeTest, TryOpenShowsTheBusyTextOfTheClassOrRefuses)
{
    HomePage page;
    QSignalSpy opened(&page, &HomePage::openFileSignal);
    {
        QuickMessageBoxSpy toasts;
        page.tryOpenFile(dir.filePath("notes.txt"));
        ASSERT_EQ(1, toasts.count());
        EXPECT_EQ(QString::fromUtf8("不支持的文档类型！"), toasts.shown()[0].text);
        EXPECT_EQ(qmt_error, toasts.shown()[0].type);
        EXPECT_EQ(2000, toasts.shown()[0].ms);
        EXPECT_EQ(&page, toasts.shown()[0].parent.data());
        EXPECT_FALSE(page.loadingWidget()->isVisible());
    }
    const QString upper = write("UPPER.PDF");
    page.tryOpenFile(upper);
    EXPECT_EQ(QString::fromUtf8("正在打开.."), page.loadingWidget()->text());
    EXPECT_TRUE(page.loadingWidget()->isVisible());
    ASSERT_TRUE(waitUntil([&] { return opened.count() == 1; }));
    EXPECT_EQ(upper, opened.at(0).at(0).toString());
    EXPECT_FALSE(page.loadingWidget()->isVisible());
    QThreadPool::globalInstance()->waitForDone();
    QCoreApplication::processEvents();
    EXPECT_EQ(1, opened.count());
}

TEST_F(HomeTest, FileDialogOpensTheChosenFileAndCancelDoesNothing)
{
    HomePage page;
    QSignalSpy opened(&page, &HomePage::openFileSignal);
    const QString pdf = write("chosen.pdf");
    for (bool choose : {false, true})
    {
        page.buttonOpenFile();
        QFileDialog* dialog = page.findChild<QFileDialog*>();
        ASSERT_NE(nullptr, dialog);
        EXPECT_EQ(QString::fromUtf8("打开文件"), dialog->windowTitle());
        EXPECT_EQ(QStringList{"PDF Document (*.pdf)"}, dialog->nameFilters());
        EXPECT_TRUE(dialog->isModal());
        QPointer<QObject> guard(dialog);
        if (choose)
        {
            emit dialog->fileSelected(pdf);
            static_cast<QDialog*>(dialog)->done(QDialog::Accepted);
        }
        else
        {
            dialog->reject();
        }
        ASSERT_TRUE(hometest::waitDeleted(guard)); // closed dialogs do not pile up
    }
    ASSERT_TRUE(waitUntil([&] { return opened.count() == 1; }));
    EXPECT_EQ(pdf, opened.at(0).at(0).toString());
}

TEST_F(HomeTest, CountersAreZeroWhileLoggedOutAndCardsLeadToTheirTabs)
{
    HomePage page;
    page.waitOtherCard()->setBuiessNums(7);
    page.updateUi();
    for (HoverWidget* card : {page.waitMeCard(), page.waitOtherCard(), page.finishedCard()})
        EXPECT_EQ("0", card->countLabel()->text());
    EXPECT_EQ(QString::fromUtf8("待他人签"), page.waitOtherCard()->titleLabel()->text());
    EXPECT_EQ(QString::fromUtf8("点击进入等待他人签署的文件页面"), page.waitOtherCard()->lineLabel()->text());

    QSignalSpy turned(&page, &HomePage::turnFilePage);
    QTest::mouseClick(page.waitMeCard(), Qt::LeftButton);
    QTest::mouseClick(page.waitOtherCard(), Qt::RightButton);
    QTest::mouseClick(page.finishedCard(), Qt::MiddleButton);
    ASSERT_EQ(3, turned.count());
    EXPECT_EQ(1, turned.at(0).at(0).toInt());
    EXPECT_EQ(2, turned.at(1).at(0).toInt());
    EXPECT_EQ(3, turned.at(2).at(0).toInt());
}

TEST_F(HomeTest, StartPageDialogHandsTheFileOnAndCloses)
{
    HomePageDialog dialog;
    EXPECT_EQ(QString::fromUtf8("首页"), dialog.title());
    EXPECT_EQ(QSize(900, 600), dialog.size());
    QSignalSpy opened(&dialog, &HomePageDialog::openFileSignal);
    QSignalSpy turned(&dialog, &HomePageDialog::turnFilePage);
    QTest::mouseClick(dialog.homePage()->finishedCard(), Qt::LeftButton);
    ASSERT_EQ(1, turned.count());
    EXPECT_EQ(3, turned.at(0).at(0).toInt());

    dialog.show();
    const QString pdf = write("plus.pdf");
    dialog.homePage()->tryOpenFile(pdf);
    ASSERT_TRUE(waitUntil([&] { return opened.count() == 1; }));
    EXPECT_EQ(pdf, opened.at(0).at(0).toString());
    EXPECT_EQ(QDialog::Accepted, dialog.result());
    EXPECT_FALSE(dialog.isVisible());
}

// ---- recent documents -----------------------------------------------------------------------------

class RecentTest : public HomeTest
{
protected:
    // Records the files in turn, as the document view does; the last recorded comes first.
    void record(const QStringList& files)
    {
        for (const QString& f : files)
        {
            recentfile e;
            e.file = f;
            e.date = "2026.12.11 09:00:00";
            RegeditSettings::Instance()->setRecentlyFile(e);
        }
    }
    static QStringList shownFiles(const ListTurnFrame& row)
    {
        QStringList out;
        for (int i = 0; i < row.list()->count(); ++i)
            out << row.cellAt(i)->fileName();
        return out;
    }
    static QStringList storedFiles()
    {
        QStringList out;
        for (const recentfile& e : RegeditSettings::Instance()->recentlyFiles())
            out << e.file;
        return out;
    }
};

TEST_F(RecentTest, ShowsTheFirstFifteenInStoredOrder)
{
    QStringList files;
    for (int i = 0; i < 20; ++i)
        files << write(QStringLiteral("doc%1.pdf").arg(i));
    record(files);
    const QStringList stored = storedFiles();
    ASSERT_EQ(20, stored.size());
    EXPECT_EQ(files.last(), stored.first());

    ListTurnFrame row;
    EXPECT_EQ(stored.mid(0, 15), shownFiles(row));
    ListWidgetCellWidget* first = row.cellAt(0);
    EXPECT_EQ("doc19.pdf", first->nameLabel()->text());
    EXPECT_EQ("2026.12.11 09:00:00", first->dateLabel()->text());
    EXPECT_EQ(QString::fromUtf8("本地文件"), first->titleLabel()->text());
    ASSERT_EQ(2, first->buttons().size());
    EXPECT_EQ(QString::fromUtf8("立即签署"), first->buttons()[0]->text());
    EXPECT_EQ(QString::fromUtf8("删除"), first->buttons()[1]->text());
    EXPECT_EQ(QSize(185, 115), first->size());

    // "删除": the entry goes at once, the next stored one becomes the fifteenth, the file stays.
    QPointer<ListWidgetCellWidget> clicked = row.cellAt(2);
    const QString removed = clicked->fileName();
    QTest::mouseClick(clicked->buttons()[1], Qt::LeftButton);
    EXPECT_FALSE(storedFiles().contains(removed));
    EXPECT_TRUE(QFileInfo::exists(removed));
    QStringList expected = stored;
    expected.removeAll(removed);
    EXPECT_EQ(expected.mid(0, 15), shownFiles(row));
    // The clicked card goes after its click, not during it.
    EXPECT_FALSE(clicked.isNull());
    EXPECT_TRUE(hometest::waitDeleted(clicked));
}

TEST_F(RecentTest, PinnedStateIsStoredAndReadBack)
{
    record({write("a.pdf"), write("b.pdf"), write("c.pdf")});
    ListTurnFrame row;
    ListWidgetCellWidget* b = row.cellAt(1);
    ASSERT_EQ(dir.filePath("b.pdf"), b->fileName());
    EXPECT_FALSE(b->pinButton()->isChecked());
    EXPECT_EQ(QString::fromUtf8("固定此文档位置"), b->pinButton()->toolTip());
    QTest::mouseClick(b->pinButton(), Qt::LeftButton);
    EXPECT_TRUE(b->pinButton()->isChecked());
    EXPECT_TRUE(RegeditSettings::Instance()->recentlyFiles().at(1).fixed);

    // A newly opened document goes first among the unpinned ones; the pinned one keeps its place.
    record({write("d.pdf")});
    row.readSettings();
    EXPECT_EQ((QStringList{dir.filePath("d.pdf"), dir.filePath("b.pdf"), dir.filePath("c.pdf"),
                           dir.filePath("a.pdf")}),
              shownFiles(row));
    EXPECT_TRUE(row.cellAt(1)->pinButton()->isChecked());
    EXPECT_FALSE(row.cellAt(0)->pinButton()->isChecked());

    // Unpinning writes false back.
    QTest::mouseClick(row.cellAt(1)->pinButton(), Qt::LeftButton);
    EXPECT_FALSE(RegeditSettings::Instance()->recentlyFiles().at(1).fixed);
}

TEST_F(RecentTest, SignNowOpensOrReportsAMissingFile)
{
    const QString kept = write("kept.pdf");
    const QString gone = write("gone.pdf");
    record({kept, gone});
    ListTurnFrame row;
    QSignalSpy opened(&row, &ListTurnFrame::openFileSignal);
    QFile::remove(gone);

    QuickMessageBoxSpy toasts;
    QTest::mouseClick(row.cellAt(0)->buttons()[0], Qt::LeftButton);
    EXPECT_EQ(0, opened.count());
    ASSERT_EQ(1, toasts.count());
    EXPECT_EQ(QString::fromUtf8("未找到此文件，文件已经被删除或移到别的位置！"), toasts.shown()[0].text);
    EXPECT_EQ(qmt_nothing, toasts.shown()[0].type);
    EXPECT_EQ(2000, toasts.shown()[0].ms);
    EXPECT_EQ(&row, toasts.shown()[0].parent.data());
    EXPECT_EQ(QStringList{kept}, storedFiles());
    EXPECT_EQ(QStringList{kept}, shownFiles(row));

    QTest::mouseClick(row.cellAt(0)->buttons()[0], Qt::LeftButton);
    ASSERT_EQ(1, opened.count());
    EXPECT_EQ(kept, opened.at(0).at(0).toString());
    EXPECT_EQ(1, toasts.count());

    // On the home page the row's open goes out as the page's own, without classification.
    HomePage page;
    QSignalSpy pageOpened(&page, &HomePage::openFileSignal);
    QTest::mouseClick(page.recentList()->cellAt(0)->buttons()[0], Qt::LeftButton);
    ASSERT_EQ(1, pageOpened.count());
    EXPECT_EQ(kept, pageOpened.at(0).at(0).toString());
}

TEST_F(RecentTest, ArrowsShowOnlyWhenTheRowOverflows)
{
    ListTurnFrame empty;
    empty.resize(600, 130);
    empty.show();
    QCoreApplication::processEvents();
    EXPECT_EQ(0, empty.list()->count());
    EXPECT_FALSE(empty.leftButton()->isVisible());

    QStringList files;
    for (int i = 0; i < 2; ++i)
        files << write(QStringLiteral("few%1.pdf").arg(i));
    record(files);
    ListTurnFrame few;
    few.resize(600, 130);
    few.show();
    QCoreApplication::processEvents();
    EXPECT_FALSE(few.leftButton()->isVisible());
    EXPECT_FALSE(few.rightButton()->isVisible());

    files.clear();
    for (int i = 0; i < 10; ++i)
        files << write(QStringLiteral("many%1.pdf").arg(i));
    record(files);
    ListTurnFrame many;
    many.resize(600, 130);
    many.show();
    ASSERT_TRUE(waitUntil([&] { return many.rightButton()->isVisible(); }));
    EXPECT_TRUE(many.leftButton()->isVisible());
    QScrollBar* bar = many.list()->horizontalScrollBar();
    EXPECT_EQ(bar->minimum(), bar->value());
    QTest::mouseClick(many.leftButton(), Qt::LeftButton);
    EXPECT_EQ(bar->minimum(), bar->value());
    QTest::mouseClick(many.rightButton(), Qt::LeftButton);
    EXPECT_EQ(qMin(bar->minimum() + 60, bar->maximum()), bar->value());
    QTest::mouseClick(many.leftButton(), Qt::LeftButton);
    EXPECT_EQ(bar->minimum(), bar->value());
}

} // namespace
