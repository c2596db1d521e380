// The document tool bar offscreen: choosing tools, the style popups and what they send when they
// close, the colour picker, the zoom box and enabling; and the workspace's document commands:
// open, save with its feedback, zoom steps, layout, the tab menu and the file's folder, and a
// highlight made with the bar's tool saved, reopened and counted.
#include "WorkspaceTestSupport.h"

#include "ColorDialog.h"
#include "ColorWidget.h"
#include "StylePopup.h"

#include "vq-pdf-testing.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QSlider>
#include <QTabBar>
#include <QUrl>

#include <sys/resource.h>
#include <unistd.h>

using namespace workspacetest;

namespace {

// A click on the main part of a tool (its left side; the arrow part opens the popup).
void clickTool(QAbstractButton* b)
{
    QTest::mouseClick(b, Qt::LeftButton, Qt::NoModifier, QPoint(4, b->height() / 2));
}

// What the bar sent, in order, as readable lines.
struct BarLog
{
    // The connections end with the log.
    QObject context;
    explicit BarLog(MenuBar* bar)
    {
        QObject::connect(bar, &MenuBar::changeOperate, &context, [this](int id) { lines << QStringLiteral("tool %1").arg(id); });
        QObject::connect(bar, &MenuBar::hideRightTool, &context, [this] { lines << QStringLiteral("hide panel"); });
        QObject::connect(bar, &MenuBar::setHighightColor, &context, [this](QColor c) { lines << "highlight " + c.name(); });
        QObject::connect(bar, &MenuBar::setUnderlineColor, &context, [this](QColor c) { lines << "underline " + c.name(); });
        QObject::connect(bar, &MenuBar::setDeletelineColor, &context, [this](QColor c) { lines << "strike " + c.name(); });
        QObject::connect(bar, &MenuBar::setPenAttribute, &context, [this](QColor c, double w, double o) {
            lines << QStringLiteral("pen %1 %2 %3").arg(c.name()).arg(w).arg(o);
        });
    }
    QStringList lines;
};

// Opens a popup and closes it again, as the user would with the arrow and a click outside.
void openAndClose(QMenu* menu)
{
    menu->popup(QPoint(100, 100));
    QCoreApplication::processEvents();
    EXPECT_TRUE(menu->isVisible());
    menu->hide();
}

// Highlights in the file at path, read back by a document of their own.
int highlightsIn(const QString& path, QColor* color)
{
    int code = 0;
    vq_document* doc = vq_document_open_file(path.toUtf8().constData(), &code);
    if (!doc)
        return -1;
    vq_document_cut_page(doc);
    int n = 0;
    for (int p = 0; p < vq_document_page_count(doc); p++)
        for (vq_annot* a = vq_annot_first(doc, vq_page_index(doc, p)); a; a = vq_annot_next(doc, a))
            if (vq_annot_get_type(doc, a) == VQ_ANNOT_HIGHLIGHT)
            {
                float c[3] = {0, 0, 0};
                if (color && vq_annot_get_color(doc, a, c) == 3)
                    *color = QColor::fromRgbF(c[0], c[1], c[2]);
                n++;
            }
    vq_document_close(doc);
    return n;
}

// While it lives no new file descriptor can be opened: opening a file fails as on a full table.
class NoFreeDescriptors
{
public:
    NoFreeDescriptors()
    {
        getrlimit(RLIMIT_NOFILE, &m_saved);
        const int lowest = dup(0);
        close(lowest);
        rlimit r = m_saved;
        r.rlim_cur = rlim_t(lowest);
        setrlimit(RLIMIT_NOFILE, &r);
    }
    ~NoFreeDescriptors() { setrlimit(RLIMIT_NOFILE, &m_saved); }

private:
    rlimit m_saved{};
};

} // namespace

// ---- tool bar -----------------------------------------------------------------------------------

class ToolBar : public ::testing::Test
{
protected:
    void SetUp() override
    {
        bar.resize(1000, 53);
        bar.show();
    }
    ScopedScreenZoom zoom{1.0f};
    MenuBar bar;
};

TEST_F(ToolBar, StartsOnTheHandToolWithTheZoomLevelsAndNoLayout)
{
    EXPECT_EQ(MS_Hand, bar.checkedTool());
    EXPECT_EQ(-1, bar.checkedDisplayMode());
    ASSERT_EQ(16, bar.zoomBox()->count());
    QStringList items;
    for (int i = 0; i < bar.zoomBox()->count(); i++)
        items << bar.zoomBox()->itemText(i);
    EXPECT_EQ(QStringList({"8.33%", "12.5%", "18%", "25%", "33.33%", "50%", "66.67%", "75%", "100%", "125%",
                           "150%", "200%", "300%", "400%", "600%", "800%"}),
              items);
    EXPECT_EQ("8.33%", bar.zoomBox()->currentText());
    EXPECT_TRUE(bar.toolButton(MS_Text)->isHidden());
    EXPECT_TRUE(bar.toolButton(MS_Handwrite)->isHidden());
    EXPECT_EQ(QSize(30, 23), bar.toolButton(MS_Highight)->size());
    EXPECT_EQ(QSize(23, 23), bar.toolButton(MS_Hand)->size());
    EXPECT_EQ(QSize(207, 370), bar.penMenu()->size());
}

TEST_F(ToolBar, ClickingTheCheckedToolAgainReturnsToTheHandTool)
{
    for (int id : {int(MS_Highight), int(MS_Pen), int(MS_LocalSignature)})
    {
        SCOPED_TRACE(id);
        BarLog log(&bar);
        clickTool(bar.toolButton(id));
        EXPECT_EQ(QStringList{QStringLiteral("tool %1").arg(id)}, log.lines);
        EXPECT_EQ(id, bar.checkedTool());
        EXPECT_EQ(id, bar.oldOperateCheckedid());

        log.lines.clear();
        clickTool(bar.toolButton(id));
        EXPECT_EQ(QStringList({"hide panel", "tool 0"}), log.lines);
        EXPECT_EQ(MS_Hand, bar.checkedTool());
        EXPECT_FALSE(bar.toolButton(id)->isChecked());
        // The click that leaves a tool still records it.
        EXPECT_EQ(id, bar.oldOperateCheckedid());
    }
    // The selection tool and back: plain clicks.
    BarLog log(&bar);
    clickTool(bar.toolButton(MS_Select));
    clickTool(bar.toolButton(MS_Hand));
    EXPECT_EQ(QStringList({"tool 1", "tool 0"}), log.lines);
}

TEST_F(ToolBar, TheContractSealToolTurnsTheAnnotationToolsOff)
{
    BarLog log(&bar);
    QStringList order;
    QObject::connect(&bar, &MenuBar::changeOperate, [&] { order << (bar.annotationToolsEnabled() ? "on" : "off"); });
    clickTool(bar.toolButton(MS_CloudSignature));
    EXPECT_EQ(QStringList{"tool 9"}, log.lines);
    EXPECT_EQ(QStringList{"off"}, order);
    for (int id : {MS_Highight, MS_Underline, MS_Deleteline, MS_Text, MS_Pen})
        EXPECT_FALSE(bar.toolButton(id)->isEnabled()) << id;
    EXPECT_FALSE(bar.saveButton()->isEnabled());

    // Everything off while it is checked: it keeps its check, disabled.
    bar.setToolsEnabled(0, false);
    EXPECT_EQ(MS_CloudSignature, bar.checkedTool());
    EXPECT_FALSE(bar.toolButton(MS_CloudSignature)->isEnabled());
}

TEST_F(ToolBar, EverythingOffClearsTheCheckedAnnotationTool)
{
    bar.setOperateToolChecked(MS_Pen);
    bar.setToolsEnabled(0, false);
    EXPECT_EQ(-1, bar.checkedTool());
    for (int id = MS_Highight; id <= MS_CloudSignature; id++)
        EXPECT_FALSE(bar.toolButton(id)->isEnabled()) << id;
    bar.setToolsEnabled(0, true);
    clickTool(bar.toolButton(MS_Pen));
    EXPECT_EQ(MS_Pen, bar.checkedTool());
}

TEST_F(ToolBar, TheZoomBoxShowsOnlyItsLevels)
{
    QSignalSpy sent(&bar, &MenuBar::zoomValueChanged);
    bar.setZoomValue(66.67f);
    EXPECT_EQ("66.67%", bar.zoomBox()->currentText());
    ASSERT_EQ(1, sent.count());
    EXPECT_FLOAT_EQ(66.67f, sent[0][0].toFloat());
    bar.setZoomValue(-2);
    bar.setZoomValue(110);
    bar.setZoomValue(66.67f);
    EXPECT_EQ(1, sent.count());
    EXPECT_EQ("66.67%", bar.zoomBox()->currentText());
}

TEST_F(ToolBar, TheLayoutButtonsAndFileButtonsSendTheirSignals)
{
    QSignalSpy layout(&bar, &MenuBar::changeDisplayMode);
    bar.layoutButton(3)->click();
    ASSERT_EQ(1, layout.count());
    EXPECT_EQ(3, layout[0][0].toInt());
    bar.setDisplayToolChecked(1);
    EXPECT_EQ(1, bar.checkedDisplayMode());
    EXPECT_EQ(1, layout.count());

    QSignalSpy open(&bar, &MenuBar::open), save(&bar, &MenuBar::save), zoomIn(&bar, &MenuBar::zoomIn);
    bar.openButton()->click();
    bar.saveButton()->click();
    bar.zoomInButton()->click();
    EXPECT_EQ(1, open.count());
    EXPECT_EQ(1, save.count());
    EXPECT_EQ(1, zoomIn.count());
    EXPECT_EQ(QKeySequence(QKeySequence::Open), bar.openButton()->shortcut());
    EXPECT_EQ(QKeySequence("Alt+1"), static_cast<QToolButton*>(bar.toolButton(MS_Hand))->shortcut());
}

// ---- style popups -------------------------------------------------------------------------------

TEST_F(ToolBar, ThePenPopupSendsItsValuesWhenItCloses)
{
    BarLog log(&bar);
    Widget* pen = bar.penPanel();
    EXPECT_EQ("2 pt", pen->widthBox()->currentText());
    EXPECT_EQ("100%", pen->opacityBox()->currentText());
    openAndClose(bar.penMenu());
    // The pen was not the tool: closing chooses it first.
    EXPECT_EQ(QStringList({"tool 6", "pen #000000 2 1"}), log.lines);
    EXPECT_EQ(MS_Pen, bar.checkedTool());

    struct Case
    {
        const char* name;
        std::function<void()> act;
        const char* widthText;
        const char* opacityText;
        const char* sent;
    };
    const Case cases[] = {
        {"opacity slider", [&] { pen->opacitySlider()->setValue(37); }, "2 pt", "37%", "pen #000000 2 0.37"},
        {"width preset", [&] { pen->widthBox()->setCurrentIndex(2); }, "5 pt", "37%", "pen #000000 5 0.37"},
        {"opacity preset", [&] { pen->opacityBox()->setCurrentIndex(1); }, "5 pt", "50%", "pen #000000 5 0.5"},
        {"typed width", [&] {
             pen->widthBox()->lineEdit()->setText("2.5");
             emit pen->widthBox()->lineEdit()->editingFinished();
         }, "2.5 pt", "50%", "pen #000000 2.5 0.5"},
        {"typed nonsense", [&] {
             pen->widthBox()->lineEdit()->setText("wide");
             emit pen->widthBox()->lineEdit()->editingFinished();
         }, "2.5 pt", "50%", "pen #000000 2.5 0.5"},
        {"red swatch", [&] { pen->palette()->swatch(1)->click(); }, "2.5 pt", "50%", "pen #ff0000 2.5 0.5"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        log.lines.clear();
        bar.penMenu()->popup(QPoint(100, 100));
        c.act();
        EXPECT_TRUE(log.lines.isEmpty()); // nothing while the popup is open
        EXPECT_EQ(c.widthText, pen->widthBox()->currentText());
        EXPECT_EQ(c.opacityText, pen->opacityBox()->currentText());
        bar.penMenu()->hide();
        EXPECT_EQ(QStringList{c.sent}, log.lines);
    }
    EXPECT_EQ(50, pen->opacitySlider()->value());
    EXPECT_EQ(25, pen->widthSlider()->value());
}

TEST_F(ToolBar, AMarkPopupChoosesItsToolBeforeTheColourGoesOut)
{
    struct Case
    {
        QMenu* menu;
        Widget* panel;
        int tool;
        const char* initial;
        const char* line;
    };
    const Case cases[] = {
        {bar.highlightMenu(), bar.highlightPanel(), MS_Highight, "#ffff00", "highlight "},
        {bar.underlineMenu(), bar.underlinePanel(), MS_Underline, "#00ff00", "underline "},
        {bar.deletelineMenu(), bar.deletelinePanel(), MS_Deleteline, "#ff0000", "strike "},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.line);
        bar.setOperateToolChecked(MS_Hand);
        BarLog log(&bar);
        openAndClose(c.menu);
        EXPECT_EQ(QStringList({QStringLiteral("tool %1").arg(c.tool), QString(c.line) + c.initial}), log.lines);
        EXPECT_EQ(c.tool, bar.checkedTool());
        EXPECT_EQ(c.tool, bar.oldOperateCheckedid());
        // Already the tool: only the colour, again on every close.
        log.lines.clear();
        c.panel->palette()->swatch(3)->click();
        openAndClose(c.menu);
        EXPECT_EQ(QStringList{QString(c.line) + "#ff7f3b"}, log.lines);
    }
    EXPECT_EQ(QColor("#FF7F3B"), bar.getHighightColor());
    EXPECT_EQ(QColor("#FF7F3B"), bar.getUnderlineColor());
    EXPECT_EQ(QColor("#FF7F3B"), bar.getDeletelineColor());
    EXPECT_EQ(QColor(Qt::black), bar.getPenColor());
    EXPECT_DOUBLE_EQ(2.0, bar.getPenWidth());
    EXPECT_DOUBLE_EQ(1.0, bar.getOpacity());
}

TEST_F(ToolBar, APickedColourBecomesTheCustomSwatchAndTheMenuReopensOnThePalette)
{
    Widget* panel = bar.highlightPanel();
    BarLog log(&bar);
    bar.highlightMenu()->popup(QPoint(100, 100));
    QCoreApplication::processEvents();
    panel->palette()->blendButton()->click();
    EXPECT_TRUE(panel->palettePage()->isHidden());
    ASSERT_TRUE(panel->picker()->isVisible());

    // Closing on the picker commits nothing new and reopens on the palette.
    bar.highlightMenu()->hide();
    EXPECT_EQ(QStringList({"tool 2", "highlight #ffff00"}), log.lines);
    bar.highlightMenu()->popup(QPoint(100, 100));
    QCoreApplication::processEvents();
    EXPECT_FALSE(panel->palettePage()->isHidden());
    EXPECT_TRUE(panel->picker()->isHidden());

    // A colour picked in the square: the custom swatch, checked, and the panel's colour.
    panel->palette()->blendButton()->click();
    SVColorArea* square = panel->picker()->svArea();
    QTest::mousePress(square, Qt::LeftButton, Qt::NoModifier, QPoint(square->width() / 2, square->height() / 4));
    QTest::mouseRelease(square, Qt::LeftButton, Qt::NoModifier, QPoint(square->width() / 2, square->height() / 4));
    const QColor picked = panel->picker()->color();
    EXPECT_EQ(picked, panel->color());
    EXPECT_EQ(picked, panel->palette()->customColor());
    EXPECT_TRUE(panel->palette()->customSwatch()->isChecked());
    EXPECT_FALSE(panel->palettePage()->isHidden());
    EXPECT_TRUE(panel->picker()->isHidden());
    log.lines.clear();
    bar.highlightMenu()->hide();
    EXPECT_EQ(QStringList{"highlight " + picked.name()}, log.lines);
}

// ---- colour picker ------------------------------------------------------------------------------

TEST(ColourPicker, TheSquareReportsTheColourPaintedUnderThePointerWhateverItsSize)
{
    for (QSize size : {QSize(255, 255), QSize(180, 90), QSize(400, 300)})
    {
        SCOPED_TRACE(size.width());
        SVColorArea square;
        square.resize(size);
        square.show();
        square.setHue(120);
        QSignalSpy clicked(&square, &SVColorArea::svClickedSignal);
        const QPoint at(size.width() * 3 / 4, size.height() / 3);
        QTest::mousePress(&square, Qt::LeftButton, Qt::NoModifier, at);
        QTest::mouseRelease(&square, Qt::LeftButton, Qt::NoModifier, at);
        ASSERT_EQ(1, clicked.count());
        const QColor reported = QColor::fromHsv(clicked[0][0].toInt(), clicked[0][1].toInt(), clicked[0][2].toInt());
        EXPECT_NEAR(191, clicked[0][1].toInt(), 1);
        EXPECT_NEAR(170, clicked[0][2].toInt(), 1);
        EXPECT_EQ(at, square.marker());
        // The grab under the pointer, beside the marker's ring.
        const QColor painted = square.grab().toImage().pixelColor(at + QPoint(0, 1));
        EXPECT_NEAR(reported.red(), painted.red(), 6);
        EXPECT_NEAR(reported.green(), painted.green(), 6);
        EXPECT_NEAR(reported.blue(), painted.blue(), 6);
    }
}

TEST(ColourPicker, EdgesClampAndTheFullCircleOfHueIsRedAgain)
{
    ColorDialog picker;
    picker.resize(200, 240);
    picker.show();
    HColorArea* strip = picker.hueArea();
    SVColorArea* square = picker.svArea();
    QSignalSpy committed(&picker, &ColorDialog::setColor);

    struct Case
    {
        int x;
        int degrees;
    };
    for (const Case& c : {Case{0, 360}, Case{-30, 360}, Case{strip->width(), 0}, Case{strip->width() + 40, 0}})
    {
        QTest::mousePress(strip, Qt::LeftButton, Qt::NoModifier, QPoint(c.x, 2));
        EXPECT_EQ(c.degrees, strip->hueDegrees()) << c.x;
        EXPECT_EQ(c.degrees, square->hue()) << c.x;
    }
    // Moving the hue changes the sample only.
    EXPECT_EQ(0, committed.count());

    // The left end of the strip, the top right corner of the square: pure red, value 255.
    QTest::mousePress(strip, Qt::LeftButton, Qt::NoModifier, QPoint(0, 2));
    const QPoint beyond(square->width() + 50, -20);
    QTest::mousePress(square, Qt::LeftButton, Qt::NoModifier, beyond);
    QTest::mouseRelease(square, Qt::LeftButton, Qt::NoModifier, beyond);
    EXPECT_EQ(255, square->brightness());
    EXPECT_EQ(255, square->saturation());
    EXPECT_EQ(QPoint(square->width(), 0), square->marker());
    ASSERT_EQ(1, committed.count());
    EXPECT_EQ(QColor(Qt::red).rgb(), committed[0][0].value<QColor>().rgb());
}

// ---- document commands --------------------------------------------------------------------------

using Commands = WorkspaceTest;

TEST_F(Commands, SaveTellsTheUserWhatHappenedAndAFailedSaveChangesNoByte)
{
    // Nothing to save: nothing written, nothing shown.
    const QString path = write("doc.pdf", pages(1));
    const std::string before = bytesOf(path);
    SignPage page;
    ASSERT_TRUE(page.addFileTab(path));
    PdfEngine* engine = page.currentFrame()->engine();
    page.menuBar()->saveButton()->click();
    EXPECT_EQ(before, bytesOf(path));
    EXPECT_EQ(0, toasts.count());

    struct Case
    {
        const char* name;
        std::function<void()> spoil; // makes the save fail; undone by undo
        std::function<void()> undo;
        const char* text;
    };
    std::unique_ptr<NoFreeDescriptors> noFds;
    const Case cases[] = {
        {"write fails", [] { vq_test_fail_writes_after(0); }, [] { vq_test_fail_writes_after(-1); }, "保存失败"},
        {"write fails late", [] { vq_test_fail_writes_after(10); }, [] { vq_test_fail_writes_after(-1); }, "保存失败"},
        {"file cannot be opened", [&] { noFds.reset(new NoFreeDescriptors); }, [&] { noFds.reset(); },
         "文档被占用, 文件未保存, 请关闭占用文件重新保存！"},
    };
    float red[3] = {1, 0, 0};
    rect quad{20, 20, 120, 40};
    ASSERT_TRUE(engine->AddMarkAnnot(1, red, 0.5f, quad, &quad, 1, VQ_ANNOT_HIGHLIGHT));
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        MMessageBoxAutoAnswer boxes(QDialogButtonBox::Ok);
        QuickMessageBoxSpy spy;
        c.spoil();
        page.save();
        c.undo();
        ASSERT_EQ(1, boxes.count());
        EXPECT_EQ("Orvessa", boxes.shown()[0].title);
        EXPECT_EQ(QString::fromUtf8(c.text), boxes.shown()[0].text);
        EXPECT_EQ(0, spy.count());
        EXPECT_EQ(before, bytesOf(path));
        EXPECT_TRUE(engine->DocumentChanged());
    }
    // From the tab menu a failure is reported too.
    {
        MMessageBoxAutoAnswer boxes(QDialogButtonBox::Ok);
        vq_test_fail_writes_after(0);
        page.saveCurLabel();
        vq_test_fail_writes_after(-1);
        EXPECT_EQ(QStringList{QString::fromUtf8("保存失败")}, boxes.texts());
        EXPECT_EQ(before, bytesOf(path));
    }

    // Then it works: "已保存" for a second, the update appended.
    MMessageBoxAutoAnswer none(QDialogButtonBox::Ok);
    page.menuBar()->saveButton()->click();
    EXPECT_EQ(0, none.count());
    ASSERT_EQ(1, toasts.count());
    EXPECT_EQ(QString::fromUtf8("已保存"), toasts.shown()[0].text);
    EXPECT_EQ(qmt_succ, toasts.shown()[0].type);
    EXPECT_EQ(1000, toasts.shown()[0].ms);
    EXPECT_EQ(&page, toasts.shown()[0].parent.data());
    EXPECT_FALSE(engine->DocumentChanged());
    const std::string after = bytesOf(path);
    EXPECT_GT(after.size(), before.size());
    EXPECT_EQ(0, after.compare(0, before.size(), before));
}

TEST_F(Commands, AFileReplacedOnDiskIsNotOverwritten)
{
    const QString path = write("doc.pdf", pages(1));
    SignPage page;
    ASSERT_TRUE(page.addFileTab(path));
    float red[3] = {1, 0, 0};
    rect quad{20, 20, 120, 40};
    ASSERT_TRUE(page.currentFrame()->engine()->AddMarkAnnot(1, red, 0.5f, quad, &quad, 1, VQ_ANNOT_HIGHLIGHT));
    // Another program writes a different document to the path meanwhile.
    const QString other = write("other.pdf", pages(3));
    ASSERT_TRUE(QFile::remove(path));
    ASSERT_TRUE(QFile::copy(other, path));
    const std::string theirs = bytesOf(path);
    MMessageBoxAutoAnswer boxes(QDialogButtonBox::Ok);
    page.save();
    EXPECT_EQ(QStringList{QString::fromUtf8("保存失败")}, boxes.texts());
    EXPECT_EQ(theirs, bytesOf(path));
}

TEST_F(Commands, ZoomStepsStopAtTheEndsOfTheLevelsAndTheBoxFollows)
{
    SignPage page;
    page.resize(1000, 700);
    page.show();
    ASSERT_TRUE(page.addFileTab(write("doc.pdf", pages(2))));
    Canvas* canvas = page.currentFrame()->canvas();
    page.menuBar()->zoomBox()->setCurrentText("600%");
    EXPECT_FLOAT_EQ(600, canvas->GetZoomValue());
    page.menuBar()->zoomInButton()->click();
    EXPECT_FLOAT_EQ(800, canvas->GetZoomValue());
    page.zoomInCurrentCanvas();
    EXPECT_FLOAT_EQ(800, canvas->GetZoomValue());
    EXPECT_EQ("800%", page.menuBar()->zoomBox()->currentText());
    page.menuBar()->zoomOutButton()->click();
    EXPECT_FLOAT_EQ(600, canvas->GetZoomValue());
    EXPECT_EQ("600%", page.menuBar()->zoomBox()->currentText());

    page.setCurrentZoomValue(8.33f);
    page.zoomOutCurrentCanvas();
    EXPECT_NEAR(8.33, canvas->GetZoomValue(), 0.01);

    page.menuBar()->layoutButton(3)->click();
    EXPECT_EQ(3, canvas->GetDisplayMode());
}

TEST_F(Commands, TheTabMenuOffersSavingAndTheFolderForLocalFilesOnly)
{
    SignPage page;
    page.resize(1000, 700);
    page.show();
    const QString path = write("doc.pdf", pages(1));
    ASSERT_TRUE(page.addFileTab(path));
    QStringList entries;
    QList<bool> enabled;
    QString choose;
    SignPage::setMenuRunner([&](QMenu& m) -> QAction* {
        entries.clear();
        enabled.clear();
        QAction* chosen = nullptr;
        for (QAction* a : m.actions())
        {
            entries << (a->isSeparator() ? QStringLiteral("-") : a->text());
            enabled << a->isEnabled();
            if (a->text() == choose)
                chosen = a;
        }
        return chosen;
    });
    QTabBar* bar = page.tabWidget()->tabBar();
    page.showContextMenu(bar->tabRect(0).center());
    EXPECT_EQ(QStringList({"关闭当前文档", "关闭其他文档", "-", "保存", "打开文件所在位置"}), entries);
    EXPECT_EQ(QList<bool>({true, false, true, true, true}), enabled);

    // The folder of the file goes to the desktop's handler.
    {
        DesktopUrls recorder({QStringLiteral("file")});
        choose = QString::fromUtf8("打开文件所在位置");
        page.showContextMenu(bar->tabRect(0).center());
        EXPECT_EQ(QList<QUrl>{QUrl::fromLocalFile(dir.path())}, recorder.urls);
    }

    // A cloud tab: the two closing entries only; a right-click beside the tabs shows nothing.
    page.tabWidget()->addTab(new QWidget, DocTabWidget::file_cloud, "contract.pdf", "C-17");
    choose.clear();
    page.showContextMenu(bar->tabRect(1).center());
    EXPECT_EQ(QStringList({"关闭当前文档", "关闭其他文档"}), entries);
    EXPECT_EQ(QList<bool>({true, true}), enabled);
    entries.clear();
    page.showContextMenu(QPoint(bar->width() - 2, bar->height() / 2));
    EXPECT_TRUE(entries.isEmpty());
    SignPage::setMenuRunner(nullptr);
}

TEST_F(Commands, OpenAsksForAFileAndRefusesOneThatIsGone)
{
    SignPage page;
    const QString path = write("doc.pdf", pages(1));
    QStringList asked;
    QString answer;
    SignPage::setOpenFileChooser([&](QWidget*, const QString& caption, const QString&, const QString& filter) {
        asked << caption << filter;
        return answer;
    });
    page.menuBar()->openButton()->click();
    EXPECT_EQ(QStringList({"打开文件", "PDF Document (*.pdf)"}), asked);
    EXPECT_EQ(0, page.tabWidget()->count());
    answer = dir.filePath("gone.pdf");
    page.open();
    EXPECT_EQ(QStringList{QString::fromUtf8("打开文件失败，未找到对应的文件！")}, toasts.texts());
    EXPECT_EQ(0, page.tabWidget()->count());
    answer = path;
    page.open();
    EXPECT_EQ(1, page.tabWidget()->count());
    SignPage::setOpenFileChooser(nullptr);
}

TEST_F(Commands, TheSealPanelHidesAndEscapeReturnsToTheHandTool)
{
    SignPage page;
    ASSERT_TRUE(page.addFileTab(write("doc.pdf", pages(1))));
    SplitterFrame* frame = page.currentFrame();
    frame->rightToolBar()->show();
    clickTool(page.menuBar()->toolButton(MS_LocalSignature));
    ASSERT_EQ(MS_LocalSignature, page.menuBar()->checkedTool());
    emit frame->canvas()->Key_EscapeSignal();
    EXPECT_EQ(MS_Hand, page.menuBar()->checkedTool());
    EXPECT_TRUE(frame->rightToolBar()->isHidden());

    emit frame->rightToolBar()->menuSetState(false);
    EXPECT_FALSE(page.menuBar()->annotationToolsEnabled());
    EXPECT_FALSE(page.menuBar()->saveButton()->isEnabled());
    page.closeBathThread(); // no batch run: nothing to wait for
    EXPECT_EQ(1, page.tabWidget()->count());
}

TEST_F(Commands, AHighlightMadeWithTheToolBarIsSavedReopenedAndCounted)
{
    const QString path = write("doc.pdf", canvastest::twoPageDocument());
    SignPage page;
    page.resize(1000, 700);
    page.show();
    ASSERT_TRUE(page.addFileTab(path));
    Canvas* canvas = page.currentFrame()->canvas();
    // The workspace's tool operations put the current canvas into the chosen tool.
    QObject::connect(page.menuBar(), &MenuBar::changeOperate, canvas,
                     [canvas](int id) { canvas->SetMouseState(MouseState(id)); });

    // Red from the highlight popup; closing it chooses the tool.
    MenuBar* bar = page.menuBar();
    bar->highlightMenu()->popup(QPoint(100, 100));
    bar->highlightPanel()->palette()->swatch(1)->click();
    bar->highlightMenu()->hide();
    ASSERT_EQ(MS_Highight, canvas->GetMouseState());

    DisplayModel* dm = canvas->AsFixed();
    const QPoint from = dm->CvtToScreen(1, QRectF(QPointF(52, 92), QSizeF(1, 1)), true).topLeft().toPoint();
    const QPoint to = dm->CvtToScreen(1, QRectF(QPointF(220, 92), QSizeF(1, 1)), true).topLeft().toPoint();
    QWidget* surface = canvas->paintSurface();
    QTest::mousePress(surface, Qt::LeftButton, Qt::NoModifier, from);
    for (int i = 1; i <= 4; i++)
    {
        const QPoint p = from + (to - from) * i / 4;
        QMouseEvent move(QEvent::MouseMove, QPointF(p), QPointF(surface->mapToGlobal(p)), Qt::NoButton, Qt::LeftButton,
                         Qt::NoModifier);
        QApplication::sendEvent(surface, &move);
    }
    QTest::mouseRelease(surface, Qt::LeftButton, Qt::NoModifier, to);
    ASSERT_TRUE(page.currentFrame()->engine()->DocumentChanged());

    bar->saveButton()->click();
    EXPECT_EQ(QStringList{QString::fromUtf8("已保存")}, toasts.texts());
    page.closeCurLabel();
    ASSERT_EQ(0, page.tabWidget()->count());
    ASSERT_TRUE(page.addFileTab(path));
    EXPECT_FALSE(page.currentFrame()->engine()->DocumentChanged());
    QColor color;
    EXPECT_EQ(1, highlightsIn(path, &color));
    EXPECT_EQ(QColor(Qt::red).rgb(), color.rgb());
}

