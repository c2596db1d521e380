// The signing workspace hosted on its own, offscreen: the tab parameters, the tab bar's widths and
// closing signals, opening files into tabs, closing changed documents, the signature list's states
// and summaries, and the side panel's strip.
#include "WorkspaceTestSupport.h"

#include "vq-pdf-testing.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QStackedWidget>
#include <QTabBar>

using namespace workspacetest;

namespace {

// Adds one highlight on page 1: an unsaved change.
void changeDocument(PdfEngine* engine)
{
    float red[3] = {1, 0, 0};
    rect quad{20, 20, 120, 40};
    ASSERT_TRUE(engine->AddMarkAnnot(1, red, 0.5f, quad, &quad, 1, VQ_ANNOT_HIGHLIGHT));
    ASSERT_TRUE(engine->DocumentChanged());
}

} // namespace

// ---- contract parameters ------------------------------------------------------------------------

TEST(SignParams, FreshRecordResetAndServiceTexts)
{
    SignParamBusiness p;
    EXPECT_EQ(1, p.deputyAtt());
    EXPECT_FALSE(p.settingState());
    p.setSettingState();
    p.setSettingState();
    EXPECT_TRUE(p.settingState());

    p.setTheme("Lease");
    p.setRemark("r");
    p.setEndDate("2030-01-01");
    p.setSignAtt(SignParamBusiness::es_addme);
    p.setSignOrderMode(0);
    p.addLinkman(SignerInfo{"u1", 0, "13800000000", "Li", "", ""});
    EXPECT_EQ("issueAndSign", p.signAttStr());
    EXPECT_EQ("parallel", p.signOrderModeStr());

    p.reset();
    EXPECT_EQ("justIsuue", p.signAttStr());
    EXPECT_EQ("serial", p.signOrderModeStr());
    EXPECT_TRUE(p.linkMan().isEmpty());
    EXPECT_TRUE(p.remark().isEmpty());
    EXPECT_TRUE(p.endDate().isEmpty());
    EXPECT_EQ("Lease", p.theme());
    EXPECT_FALSE(p.settingState());
}

// ---- tab bar ------------------------------------------------------------------------------------

TEST(DocTabs, TabsShareTheRowLeftOfTheAddButton)
{
    ScopedScreenZoom zoom(1.0f);
    struct Case
    {
        int tabs;
        int width;
        bool elided;
    };
    const Case cases[] = {{1, 979, false}, {4, 244, true}, {5, 195, true}};
    for (const Case& c : cases)
    {
        DocTabWidget tabs;
        tabs.resize(1000, 300);
        const QString title = QString(80, QChar('W')) + ".pdf";
        for (int i = 0; i < c.tabs; i++)
            tabs.addTab(new QWidget, DocTabWidget::file_local, "/docs/" + title, QString());
        EXPECT_EQ(QRect(979, 0, 21, 21), tabs.addButton()->geometry()) << c.tabs;
        EXPECT_EQ(QStringLiteral("QTabBar::tab{ width:%1px; }").arg(c.width), tabs.tabBar()->styleSheet()) << c.tabs;
        const QString shown = tabs.tabText(0);
        EXPECT_EQ(title, tabs.tabWhatsThis(0));
        EXPECT_EQ(c.elided, shown != title) << c.tabs;
        if (c.elided)
        {
            EXPECT_LE(QFontMetrics(QApplication::font()).horizontalAdvance(shown), c.width - 50) << c.tabs;
        }
        EXPECT_EQ(DocTabWidget::file_local, tabs.param(0)->getFileType());
        EXPECT_EQ("/docs/" + title, tabs.param(0)->getConFileName());
    }
}

TEST(DocTabs, ClosingSignalsAndTheRecordGoesWithThePage)
{
    ScopedScreenZoom zoom(1.0f);
    DocTabWidget tabs;
    tabs.resize(1000, 300);
    QPointer<QWidget> page = new QWidget;
    page->setAttribute(Qt::WA_DeleteOnClose);
    tabs.addTab(page, DocTabWidget::file_cloud, "contract.pdf", "C-17");
    QPointer<SignParamBusiness> record = tabs.param(0);
    ASSERT_TRUE(record);
    EXPECT_EQ("C-17", record->getConFileName());

    QStringList order;
    QObject::connect(&tabs, &DocTabWidget::closeLastTab, [&] { order << "last"; });
    QObject::connect(&tabs, &DocTabWidget::deleteDraftsList, [&](QString id) { order << id; });
    tabs.closeIndexTab(-1, false);
    EXPECT_TRUE(order.isEmpty());
    tabs.closeIndexTab(0, false);
    EXPECT_EQ((QStringList{"last", "C-17"}), order);
    EXPECT_EQ(0, tabs.count());
    EXPECT_EQ(QStringLiteral("QTabBar::tab{ width:979px; }"), tabs.tabBar()->styleSheet());
    EXPECT_TRUE(waitDeleted(page));
    EXPECT_TRUE(record.isNull());

    // Replacing the only tab's document does not count as closing the last tab.
    order.clear();
    tabs.addTab(new QWidget, DocTabWidget::file_local, "/docs/a.pdf", QString());
    tabs.closeIndexTab(0, true);
    EXPECT_EQ(QStringList{"/docs/a.pdf"}, order);
}

// ---- opening files ------------------------------------------------------------------------------

using Workspace = WorkspaceTest;

TEST_F(Workspace, OneTabPerFileWhateverTheSpellingOfItsPath)
{
    const QString a = write("a.pdf", pages(2));
    const QString b = write("b.pdf", pages(1));
    ASSERT_TRUE(QFile::link(a, dir.filePath("link-to-a.pdf")));
    SignPage page;
    page.resize(1000, 700);

    ASSERT_TRUE(page.addFileTab(a));
    ASSERT_TRUE(page.addFileTab(b));
    EXPECT_EQ(2, page.tabWidget()->count());
    EXPECT_EQ(1, page.tabWidget()->currentIndex());
    SplitterFrame* first = page.frameAt(0);

    const QString saved = QDir::currentPath();
    QDir::setCurrent(dir.path());
    const bool relative = page.addFileTab("./sub/../a.pdf");
    QDir::setCurrent(saved);
    EXPECT_TRUE(relative);
    EXPECT_EQ(2, page.tabWidget()->count());
    EXPECT_EQ(first, page.currentFrame());

    page.tabWidget()->setCurrentIndex(1);
    EXPECT_TRUE(page.addFileTab(dir.filePath("link-to-a.pdf")));
    EXPECT_EQ(2, page.tabWidget()->count());
    EXPECT_EQ(first, page.currentFrame());
    EXPECT_TRUE(toasts.texts().isEmpty()) << toasts.texts().join(",").toStdString();

    // The tab's record: the path as opened, local, handed to the seal panel with the file name.
    SignParamBusiness* param = page.paramAt(0);
    EXPECT_EQ(a, param->getConFileName());
    EXPECT_EQ(param, first->rightToolBar()->param());
    EXPECT_EQ("a.pdf", param->fileName());
    EXPECT_EQ(0, first->canvas()->fileType);
}

TEST_F(Workspace, FilesThatCannotBeOpenedAddNoTab)
{
    struct Case
    {
        std::string bytes;
        const char* toast;
        bool parented;
    };
    const Case cases[] = {
        {"plain text, not a document", "不支持的文件类型", true},
        {brokenXrefDocument(), "打开文件失败，文件已损坏", true},
        {"%PDF-1.7", "打开文件失败，文件已损坏", true},
    };
    SignPage page;
    ASSERT_TRUE(page.addFileTab(write("good.pdf", pages(1))));
    int n = 0;
    for (const Case& c : cases)
    {
        QuickMessageBoxSpy spy;
        EXPECT_FALSE(page.addFileTab(write(QStringLiteral("bad%1.pdf").arg(n++), c.bytes)));
        ASSERT_EQ(1, spy.count()) << c.toast;
        EXPECT_EQ(QString::fromUtf8(c.toast), spy.shown()[0].text);
        EXPECT_EQ(qmt_error, spy.shown()[0].type);
        EXPECT_EQ(2000, spy.shown()[0].ms);
        EXPECT_EQ(c.parented ? static_cast<QWidget*>(&page) : nullptr, spy.shown()[0].parent.data());
        EXPECT_EQ(1, page.tabWidget()->count());
    }
}

// ---- closing ------------------------------------------------------------------------------------

TEST_F(Workspace, ClosingAChangedDocumentAsksWhetherToSaveIt)
{
    struct Case
    {
        const char* name;
        MMessageBox::StandardButton answer;
        bool failWrites;
        bool closed;
        bool written;
        QString error;
    };
    const Case cases[] = {
        {"no", QDialogButtonBox::No, false, true, false, QString()},
        {"dismissed", QDialogButtonBox::NoButton, false, false, false, QString()},
        {"yes", QDialogButtonBox::Yes, false, true, true, QString()},
        {"yes, the save fails", QDialogButtonBox::Yes, true, false, false, QString()},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        const QString path = write(QStringLiteral("%1.pdf").arg(c.name), pages(1));
        const std::string before = bytesOf(path);
        SignPage page;
        ASSERT_TRUE(page.addFileTab(path));
        QPointer<SplitterFrame> frame = page.currentFrame();
        // The seal panel has not been put into any signing view: the question comes all the same.
        ASSERT_EQ(RVM_NoState, frame->rightToolBar()->viewMode());
        changeDocument(frame->engine());

        MMessageBoxAutoAnswer boxes(QList<MMessageBox::StandardButton>{c.answer, QDialogButtonBox::Ok});
        if (c.failWrites)
            vq_test_fail_writes_after(0);
        page.closeIndexTab(0);
        vq_test_fail_writes_after(-1);

        ASSERT_GE(boxes.count(), 1);
        EXPECT_EQ(QString::fromUtf8("保存文件"), boxes.shown()[0].title);
        EXPECT_EQ(QString::fromUtf8("\"%1.pdf\" 已经更改，是否要保存此文件？").arg(c.name), boxes.shown()[0].text);
        EXPECT_EQ(QDialogButtonBox::Yes | QDialogButtonBox::No, boxes.shown()[0].buttons);
        EXPECT_FALSE(boxes.shown()[0].checkBoxShown);
        if (c.failWrites)
        {
            ASSERT_EQ(2, boxes.count());
            EXPECT_EQ(QString::fromUtf8("Orvessa"), boxes.shown()[1].title);
            EXPECT_TRUE(boxes.shown()[1].text.contains(QString::fromUtf8("未保存")) ||
                        boxes.shown()[1].text.contains(QString::fromUtf8("保存失败")))
                << boxes.shown()[1].text.toStdString();
            EXPECT_TRUE(frame && frame->engine()->DocumentChanged());
        }
        else
            EXPECT_EQ(1, boxes.count());
        EXPECT_EQ(c.closed ? 0 : 1, page.tabWidget()->count());
        if (c.closed)
        {
            EXPECT_TRUE(waitDeleted(frame));
        }
        const std::string after = bytesOf(path);
        if (c.written)
        {
            EXPECT_GT(after.size(), before.size());
            EXPECT_EQ(0, after.compare(0, before.size(), before));
        }
        else
            EXPECT_EQ(before, after);
    }
}

TEST_F(Workspace, ClosingTheLastTabReturnsToTheHandToolAndCloseAllKeepsADismissedTab)
{
    SignPage page;
    QSignalSpy last(&page, &SignPage::closeLastTab);
    QObject::connect(&page, &SignPage::closeLastTab, [&] { EXPECT_EQ(MS_Hand, page.menuBar()->checkedTool()); });
    ASSERT_TRUE(page.addFileTab(write("one.pdf", pages(1))));
    page.menuBar()->setOperateToolChecked(MS_Pen);
    page.closeCurLabel();
    EXPECT_EQ(1, last.count());
    EXPECT_EQ(0, page.tabWidget()->count());

    // Two documents, the current one changed: every pass asks about it, none closes it.
    ASSERT_TRUE(page.addFileTab(write("two.pdf", pages(1))));
    ASSERT_TRUE(page.addFileTab(write("three.pdf", pages(1))));
    changeDocument(page.currentFrame()->engine());
    MMessageBoxAutoAnswer dismissed(QDialogButtonBox::NoButton);
    page.closeAllTab();
    EXPECT_EQ(2, dismissed.count());
    EXPECT_EQ(2, page.tabWidget()->count());

    // Closing the others leaves the current one.
    page.closeOtherLabel();
    EXPECT_EQ(1, page.tabWidget()->count());
    EXPECT_EQ("three.pdf", page.tabWidget()->tabWhatsThis(0));
}

TEST_F(Workspace, TabChangeShowsTheCanvasOnTheToolBar)
{
    SignPage page;
    ASSERT_TRUE(page.addFileTab(write("plain.pdf", pages(1))));
    ASSERT_TRUE(page.addFileTab(write("signed.pdf", canvastest::signedDocument())));
    EXPECT_FALSE(page.menuBar()->annotationToolsEnabled());
    page.currentFrame()->canvas()->SetMouseState(MS_Select);
    page.tabWidget()->setCurrentIndex(0);
    EXPECT_TRUE(page.menuBar()->annotationToolsEnabled());
    EXPECT_EQ(MS_Hand, page.menuBar()->checkedTool());
    EXPECT_EQ(1, page.menuBar()->checkedDisplayMode());
    page.tabWidget()->setCurrentIndex(1);
    EXPECT_EQ(MS_Select, page.menuBar()->checkedTool());
    EXPECT_FALSE(page.menuBar()->annotationToolsEnabled());
}

TEST_F(Workspace, ALocalTabBuildsItsSealPanelWhenItFirstShows)
{
    SignPage page;
    ASSERT_TRUE(page.addFileTab(write("plain.pdf", pages(3))));
    RightToolBar* panel = page.currentFrame()->rightToolBar();
    ASSERT_NE(nullptr, panel);
    EXPECT_TRUE(panel->isHidden());
    // Hidden, the panel holds nothing yet: opening a tab builds and styles none of it.
    EXPECT_TRUE(panel->findChildren<QWidget*>().isEmpty());
    panel->show();
    const QList<QWidget*> built = panel->findChildren<QWidget*>();
    EXPECT_TRUE(built.contains(panel->closeButton()));
    EXPECT_TRUE(built.contains(panel->sealListWidget()));
    EXPECT_EQ(3, panel->maxPageBox()->maximum());
    EXPECT_FALSE(panel->styleSheet().isEmpty());
    // Built once: asking again makes nothing new.
    EXPECT_EQ(built.size(), panel->findChildren<QWidget*>().size());
}

// ---- signature list -----------------------------------------------------------------------------

TEST_F(Workspace, SignatureListStatesByDocument)
{
    struct Case
    {
        const char* name;
        std::string bytes;
        bool listEnabled; // once the count and any pass are over
        bool panelOpen;
    };
    const Case cases[] = {
        {"no form field", pages(1), true, false},
        // Fields but no signature field: a pass that yields nothing leaves the list disabled.
        {"a text field only", textFieldDocument(), false, true},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        SignPage page;
        ASSERT_TRUE(page.addFileTab(write(QString::fromUtf8(c.name) + ".pdf", c.bytes)));
        SplitterFrame* frame = page.currentFrame();
        SignatureListWidget* list = frame->leftToolBar()->signatureList();
        ASSERT_TRUE(waitVerified(frame));
        EXPECT_TRUE(list->progressBar()->isHidden());
        EXPECT_EQ(0, list->listWidget()->count());
        EXPECT_EQ(c.listEnabled, list->listWidget()->isEnabled());
        EXPECT_TRUE(list->summaryText()->isHidden());
        EXPECT_TRUE(list->summaryIcon()->isHidden());
        EXPECT_EQ(c.panelOpen, frame->pushWidget()->isExtended());
        EXPECT_EQ(c.panelOpen, !frame->leftToolBar()->isHidden());
        EXPECT_EQ(1, frame->leftToolBar()->stack()->currentIndex());
    }
}

TEST_F(Workspace, SummaryFollowsTheWorstVerdict)
{
    struct Case
    {
        QVector<int> codes;
        const char* text;
        const char* icon;
    };
    const Case cases[] = {
        {{1, 1, -2}, "至少有一个待签名的签名域", ":/Resources/images/time.svg"},
        {{-1, 0, 2, -2}, "至少有一个签名无效", ":/Resources/images/msg_error.svg"},
        {{2, -1}, "至少有一个不支持的签名类型", ":/Resources/images/msg_waring.svg"},
        {{1, 2}, "至少有一个签名类型未知", ":/Resources/images/msg_question.svg"},
        {{1, 7}, "所有签名都有效", ":/Resources/images/msg_suc.svg"},
    };
    SignPage page;
    ASSERT_TRUE(page.addFileTab(write("plain.pdf", pages(1))));
    for (const Case& c : cases)
    {
        // A list of its own over the document, fed the results of a pass by hand once its own
        // thread has found no field.
        SignatureListWidget list(nullptr, page.currentFrame()->canvas()->AsFixed());
        ASSERT_TRUE(waitUntil([&] { return !list.isVerifying(); }));
        list.handleFieldCount(c.codes.size());
        EXPECT_FALSE(list.listWidget()->isEnabled());
        for (int i = 0; i < c.codes.size(); i++)
        {
            CVerifyResult r;
            r.signer = "Signer " + QString::number(i);
            r.signTime = "2026-03-15 12:30:00";
            ToolSignatureInfo info;
            info.t = "F" + QString::number(i);
            list.handleResult(i, c.codes[i], r, info);
        }
        list.onFinish();
        EXPECT_EQ(QString::fromUtf8(c.text), list.summaryText()->text());
        EXPECT_EQ(QString::fromUtf8(c.icon), list.summaryIconPath());
        EXPECT_FALSE(list.summaryText()->isHidden());
        EXPECT_TRUE(list.listWidget()->isEnabled());
        ASSERT_EQ(c.codes.size(), list.listWidget()->count());
        for (int i = 0; i < c.codes.size(); i++)
        {
            QListWidgetItem* row = list.listWidget()->item(i);
            EXPECT_TRUE(rowShows(row, SignatureListWidget::verdictIcon(c.codes[i]))) << c.codes[i];
            EXPECT_EQ(c.codes[i] == -2 ? "Signer " + QString::number(i)
                                       : "Signer " + QString::number(i) + "\r\n2026-03-15 12:30:00",
                      row->text());
        }
    }
}

TEST_F(Workspace, RowsOfTheCanvasAndWhatTheyDo)
{
    SignPage page;
    ASSERT_TRUE(page.addFileTab(write("plain.pdf", pages(3))));
    SplitterFrame* frame = page.currentFrame();
    SignatureListWidget* list = frame->leftToolBar()->signatureList();
    QSignalSpy jumps(list, &SignatureListWidget::gotoPage);
    QSignalSpy verify(list, &SignatureListWidget::verifySignatureSignal);

    // A signature applied while the panel is closed: a success row, selected; the panel opens.
    ASSERT_FALSE(frame->pushWidget()->isExtended());
    ToolSignatureInfo info;
    info.pageno = 2;
    info.pt = QPoint(40, 60);
    info.t = "Seal20260315";
    info.signer = "Li Lei";
    info.signtime = "2026-03-15 12:30:00";
    emit frame->canvas()->addSignatureList(0, QVariant::fromValue(info));
    ASSERT_EQ(1, list->listWidget()->count());
    QListWidgetItem* row = list->listWidget()->item(0);
    EXPECT_TRUE(row->isSelected());
    EXPECT_TRUE(rowShows(row, ":/Resources/images/msg_suc.svg"));
    EXPECT_EQ("Li Lei\r\n2026-03-15 12:30:00", row->text());
    EXPECT_TRUE(frame->pushWidget()->isExtended());
    EXPECT_FALSE(frame->leftToolBar()->isHidden());
    EXPECT_TRUE(list->summaryText()->isHidden());

    // A click goes to its page, one-based; the canvas follows.
    emit list->listWidget()->itemClicked(row);
    ASSERT_EQ(1, jumps.count());
    EXPECT_EQ(3, jumps[0][0].toInt());
    EXPECT_EQ(QPoint(40, 60), jumps[0][1].toPoint());
    EXPECT_EQ(3, frame->canvas()->AsFixed()->CurrentPageNo());

    // Its menu: verify (the canvas is asked by field name) or jump.
    QStringList entries;
    SignatureListWidget::setMenuRunner([&](QMenu& m) -> QAction* {
        entries.clear();
        for (QAction* a : m.actions())
            if (!a->isSeparator())
                entries << a->text();
        return m.actions().first();
    });
    const QPoint at = list->listWidget()->visualItemRect(row).center();
    list->customContextMenuRequested(at);
    EXPECT_EQ((QStringList{QString::fromUtf8("验证签名(&V)"), QString::fromUtf8("跳至签名(&G)")}), entries);
    EXPECT_EQ(QStringList{"Seal20260315"}, verify.isEmpty() ? QStringList() : QStringList{verify[0][0].toString()});
    SignatureListWidget::setMenuRunner(nullptr);

    // Deleting: an unknown name changes nothing; the field's name removes the row.
    list->deleteSignatureToList(0, "no such field");
    EXPECT_EQ(1, list->listWidget()->count());
    emit frame->canvas()->deleteSignatureList(0, "Seal20260315");
    EXPECT_EQ(0, list->listWidget()->count());

    // A contract seal placed on page 2: a grey row with the clock, which jumps to the seal's
    // corner on its page as it stands, and whose menu deletes the seal.
    DisplayModel* dm = frame->canvas()->AsFixed();
    QPointer<SignItem> seal = new SignItem(dm, 2, frame->canvas()->paintSurface(), false);
    seal->setSigner(QString::fromUtf8("合同专用章"));
    seal->addSignature(dm->CvtToScreen(2, QPointF(200, 250)).toPoint(), QByteArray(), 40, 40, "", "", "seal",
                       "code", "", "", "", "id");
    frame->canvas()->appendSignItem(seal);
    emit frame->canvas()->addSignatureList(1, QVariant::fromValue(seal.data()));
    ASSERT_EQ(1, list->listWidget()->count());
    row = list->listWidget()->item(0);
    EXPECT_EQ(QString::fromUtf8("合同专用章"), row->text());
    EXPECT_TRUE(rowShows(row, ":/Resources/images/time.svg"));
    EXPECT_EQ(QColor("#8E8E8E"), row->foreground().color());
    EXPECT_EQ(seal->uuid(), row->data(SignatureListWidget::UuidRole).toString());
    jumps.clear();
    emit list->listWidget()->itemClicked(row);
    ASSERT_EQ(1, jumps.count());
    EXPECT_EQ(2, jumps[0][0].toInt());
    EXPECT_EQ(seal->pdfTopPos(), jumps[0][1].toPoint());

    QSignalSpy deleted(list, &SignatureListWidget::deleteItemSignature);
    SignatureListWidget::setMenuRunner([&](QMenu& m) -> QAction* {
        entries.clear();
        for (QAction* a : m.actions())
            if (!a->isSeparator())
                entries << a->text();
        return m.actions().last();
    });
    list->customContextMenuRequested(list->listWidget()->visualItemRect(row).center());
    SignatureListWidget::setMenuRunner(nullptr);
    EXPECT_EQ((QStringList{QString::fromUtf8("跳至签名(&V)"), QString::fromUtf8("删除此签名(&D)")}), entries);
    ASSERT_EQ(1, deleted.count());
    EXPECT_EQ(seal->uuid(), deleted[0][0].toString());
    EXPECT_EQ(0, list->listWidget()->count());
    EXPECT_TRUE(frame->canvas()->getSignItems().isEmpty());
}

// ---- side panel ---------------------------------------------------------------------------------

TEST_F(Workspace, TheStripOpensAndClosesThePanelOnItsPage)
{
    SignPage page;
    page.resize(1000, 700);
    page.show();
    ASSERT_TRUE(page.addFileTab(write("plain.pdf", pages(2))));
    SplitterFrame* frame = page.currentFrame();
    PushWidget* strip = frame->pushWidget();
    LeftToolBar* left = frame->leftToolBar();
    EXPECT_TRUE(left->isHidden());
    EXPECT_EQ(":/Resources/images/dropright.svg", strip->arrowIcon());

    strip->button()->click();
    EXPECT_FALSE(left->isHidden());
    EXPECT_EQ(1, left->stack()->currentIndex());
    EXPECT_EQ(":/Resources/images/dropleft.svg", strip->arrowIcon());
    left->buttons()->button(0)->click();
    EXPECT_EQ(0, left->stack()->currentIndex());

    strip->button()->click();
    EXPECT_TRUE(left->isHidden());
    EXPECT_EQ(0, left->stack()->currentIndex());
    EXPECT_EQ(":/Resources/images/dropright.svg", strip->arrowIcon());
}
