// The document centre against the stand-in: tabs, paging, filters, the row actions and the zip
// of ticked contracts.

#include "FileCenterTestSupport.h"

#include "CPageWidget.h"
#include "DateTimeEdit.h"
#include "QuickMessageBox.h"
#include "vq-pdf.h"

#include <QComboBox>
#include <QDir>
#include <QStackedWidget>
#include "LoadingWidget.h"
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>

#include <quazip5/quazip.h>
#include <quazip5/quazipfile.h>
#include <quazip5/quazipfileinfo.h>

using namespace filecenter_test;

namespace {

// Entries of a zip archive read back with QuaZip: name, bytes and the general-purpose flags.
struct Entry {
    QString name;
    QByteArray bytes;
    quint16 flags = 0;
};

QList<Entry> readZip(const QString& path)
{
    QList<Entry> out;
    QuaZip zip(path);
    zip.setFileNameCodec("UTF-8");
    if (!zip.open(QuaZip::mdUnzip))
        return out;
    for (bool more = zip.goToFirstFile(); more; more = zip.goToNextFile()) {
        QuaZipFileInfo64 info;
        zip.getCurrentFileInfo(&info);
        QuaZipFile f(&zip);
        f.open(QIODevice::ReadOnly);
        out << Entry{info.name, f.readAll(), info.flags};
        f.close();
    }
    return out;
}

int enginePageCount(const QByteArray& bytes)
{
    int code = 0;
    QByteArray copy = bytes;
    vq_document* doc = vq_document_open_stream(reinterpret_cast<unsigned char*>(copy.data()),
                                               static_cast<unsigned int>(copy.size()), &code);
    if (!doc)
        return -1;
    const int pages = vq_document_page_count(doc);
    vq_document_close(doc);
    return pages;
}

QString readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromLatin1(f.readAll().toHex()) : QString();
}

} // namespace

// A login shows the list; the tabs send their status keys; pages hold the rows-per-page count and
// a second page asks the service for page 2 with the same filters.
TEST_F(FileCenterTest, LogsInAndPagesThroughTheTabs)
{
    for (int i = 0; i < 12; ++i)
        addContract(u8("已完成合同%1").arg(i), "completed", QStringLiteral("2026-03-%1 10:00:00").arg(i + 1, 2, 10, QChar('0')));
    addContract(u8("待签合同"), "issued", "2026-02-01 09:00:00");
    addContract(u8("草稿合同"), "drafts", "2026-02-02 09:00:00");

    FileCenterPage center;
    FileManagerPage* page = FileCenterPage::getFileManageFrame();
    ASSERT_EQ(center.stackedWidget()->currentIndex(), 0);   // not logged in yet: the login page
    center.setLoginedState(2);
    EXPECT_EQ(center.stackedWidget()->currentWidget(), page);

    // "全部文档": 14 contracts, 10 per page.
    EXPECT_EQ(page->pageWidget()->pageCount(), 2);
    EXPECT_EQ(page->contractInfos().size(), 10);
    EXPECT_EQ(page->dataModel()->rowCount(), 10);
    EXPECT_TRUE(page->tableView()->isColumnHidden(0));
    EXPECT_TRUE(page->batchDownloadButton()->isHidden());

    // The counters of each tab: its pages and the rows of its first page.
    struct TabCase {
        int tab;
        const char* status;
        int pages;
        int rows;
    };
    const TabCase tabs[] = {{1, "wait_for_me", 0, 0}, {2, "wait_for_other", 1, 1}, {3, "completed", 2, 10},
                            {6, "drafts", 1, 1}};
    for (const TabCase& t : tabs) {
        standin.clearRequests();
        page->toolbtnClicked(t.tab);
        const QList<QJsonObject> sent = pageRequests();
        ASSERT_EQ(sent.size(), 1) << t.tab;
        EXPECT_EQ(sent[0].value("entity").toObject().value("contractStatus").toString(), t.status);
        EXPECT_EQ(page->pageWidget()->pageCount(), t.pages) << t.tab;
        EXPECT_EQ(page->contractInfos().size(), t.rows) << t.tab;
    }
    // The drafts tab shows its own bar and table.
    EXPECT_FALSE(page->draftsTableView()->isHidden());
    EXPECT_TRUE(page->tableView()->isHidden());
    EXPECT_FALSE(page->draftsQueryBar()->isHidden());
    EXPECT_EQ(page->draftsDataModel()->index(0, 1).data().toString(), u8("草稿合同"));

    // Completed: the check column and "批量下载" are shown; page 2 holds the last two.
    page->toolbtnClicked(3);
    EXPECT_FALSE(page->tableView()->isColumnHidden(0));
    EXPECT_FALSE(page->batchDownloadButton()->isHidden());
    EXPECT_EQ(page->dataModel()->index(0, 5).data().toString(), u8("已完成"));
    standin.clearRequests();
    page->pageWidget()->setCusSelectBtn(2);
    const QList<QJsonObject> sent = pageRequests();
    ASSERT_EQ(sent.size(), 1);
    EXPECT_EQ(sent[0].value("pageBean").toObject().value("pageNum").toInt(), 2);
    ASSERT_EQ(page->contractInfos().size(), 2);
    EXPECT_EQ(page->dataModel()->rowCount(), 10);   // two filled rows, eight blank ones
    EXPECT_EQ(page->dataModel()->index(1, 1).data().toString(), page->contractInfos().at(1).contractName);
    EXPECT_TRUE(page->dataModel()->index(2, 1).data().toString().isEmpty());
    EXPECT_TRUE(page->checkedRows().isEmpty());

    // Logging out shows the login page again and forgets the open drafts.
    page->addDraftsList("x");
    center.setLogoutedState();
    EXPECT_EQ(center.stackedWidget()->currentIndex(), 0);
    EXPECT_TRUE(page->draftsList().isEmpty());
}

// The query bar: dates typed into the fields, the quick ranges that win over them, and the kind of
// date choosing the filter's keys; the list shows only what matches.
TEST_F(FileCenterTest, FiltersByDateAndStatus)
{
    const QDate today = QDate::currentDate();
    addContract(u8("旧合同"), "completed", "2020-05-01 08:00:00");
    addContract(u8("新合同"), "completed", today.toString("yyyy-MM-dd") + " 08:00:00");
    addContract(u8("新草稿"), "drafts", today.toString("yyyy-MM-dd") + " 08:00:00");

    FileCenterPage center;
    FileManagerPage* page = FileCenterPage::getFileManageFrame();
    center.setLoginedState(2);
    page->toolbtnClicked(3);
    ASSERT_EQ(page->contractInfos().size(), 2);

    // Typed range around the old contract.
    page->startDateField()->setText(u8("2020年4月1日"));
    page->endDateField()->setText(u8("2020年6月1日"));
    standin.clearRequests();
    page->queryBtnClickde();
    QList<QJsonObject> sent = pageRequests();
    ASSERT_EQ(sent.size(), 1);
    QJsonObject entity = sent[0].value("entity").toObject();
    EXPECT_EQ(entity.value("startFromTime").toString(), "2020-04-01");
    EXPECT_EQ(entity.value("startToTime").toString(), "2020-06-01");
    EXPECT_EQ(entity.value("contractStatus").toString(), "completed");
    ASSERT_EQ(page->contractInfos().size(), 1);
    EXPECT_EQ(page->dataModel()->index(0, 1).data().toString(), u8("旧合同"));

    // "一周内" wins over the fields and disables them.
    page->quickRangeBox()->setCurrentIndex(1);
    EXPECT_FALSE(page->startDateField()->isEnabled());
    page->startDateField()->setText(u8("2020年4月1日"));
    standin.clearRequests();
    page->queryBtnClickde();
    sent = pageRequests();
    ASSERT_EQ(sent.size(), 1);
    entity = sent[0].value("entity").toObject();
    EXPECT_EQ(entity.value("startFromTime").toString(), today.addDays(-7).toString("yyyy-MM-dd"));
    EXPECT_EQ(entity.value("startToTime").toString(), today.toString("yyyy-MM-dd"));
    ASSERT_EQ(page->contractInfos().size(), 1);
    EXPECT_EQ(page->contractInfos().at(0).contractName, u8("新合同"));

    // The kind of date picks the keys; "全部时间" with empty fields sends two empty dates.
    page->quickRangeBox()->setCurrentIndex(0);
    page->dateKindBox()->setCurrentIndex(1);
    standin.clearRequests();
    page->queryBtnClickde();
    sent = pageRequests();
    ASSERT_EQ(sent.size(), 1);
    entity = sent[0].value("entity").toObject();
    EXPECT_TRUE(entity.contains("signEndFromTime"));
    EXPECT_EQ(entity.value("signEndFromTime").toString(), QString());
    EXPECT_FALSE(entity.contains("startFromTime"));

    // "恢复默认" empties the bar and reloads the tab without filters.
    page->nameField()->setText("x");
    standin.clearRequests();
    page->resetButton()->click();
    EXPECT_TRUE(page->nameField()->text().isEmpty());
    EXPECT_EQ(page->dateKindBox()->currentIndex(), 0);
    sent = pageRequests();
    ASSERT_EQ(sent.size(), 1);
    EXPECT_FALSE(sent[0].value("entity").toObject().contains("contractName"));
    EXPECT_EQ(page->contractInfos().size(), 2);
}

// Ticked completed contracts go into one zip: UTF-8 names with the UTF-8 flag, slashes made
// hyphens, a suffix for a repeated name, each entry a PDF the engine opens; the folder is shown.
TEST_F(FileCenterTest, BatchDownloadWritesAZipThatReadsBack)
{
    addContract(u8("采购合同"), "completed", "2026-03-01 10:00:00", pdfBytes("one"));
    addContract(u8("租赁/协议\\副本"), "completed", "2026-03-02 10:00:00", pdfBytes("two"));
    addContract(u8("采购合同"), "completed", "2026-03-03 10:00:00", pdfBytes("three"));

    FileCenterPage center;
    FileManagerPage* page = FileCenterPage::getFileManageFrame();
    center.setLoginedState(2);
    page->toolbtnClicked(3);
    ASSERT_EQ(page->contractInfos().size(), 3);

    // Nothing ticked: a toast, no dialog.
    {
        QuickMessageBoxSpy toasts;
        page->batchDownloadButton()->click();
        EXPECT_EQ(toasts.texts(), QStringList{u8("请先选择您要下载的文档")});
        EXPECT_TRUE(captions.isEmpty());
    }

    // Select all with the header box, then untick and tick row 1 again.
    page->tableView()->stateChanged_slot(true);
    EXPECT_EQ(page->checkedRows(), (QList<int>{0, 1, 2}));
    page->dataModel()->setData(page->dataModel()->index(1, 0), false, Qt::UserRole + 1);
    tick(*page, 1);
    EXPECT_EQ(page->checkedRows(), (QList<int>{0, 2, 1}));

    DesktopUrls folders({QStringLiteral("file")});
    MMessageBoxAutoAnswer boxes(QDialogButtonBox::Ok);
    const QString zipPath = m_files.filePath(u8("批量下载.zip"));
    nextPath = zipPath;
    {
        // An older file of that name is replaced.
        QFile old(zipPath);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("old archive");
    }
    page->batchDownloadButton()->click();
    EXPECT_EQ(boxes.texts(), QStringList{u8("批量下载已完成")});
    EXPECT_EQ(captions, QStringList{u8("批量下载合同")});
    ASSERT_EQ(folders.urls.size(), 1);
    EXPECT_EQ(folders.urls[0].toLocalFile(), QFileInfo(m_files.path()).canonicalFilePath());

    const QList<Entry> entries = readZip(zipPath);
    ASSERT_EQ(entries.size(), 3);
    const QStringList expected{u8("采购合同.pdf"), u8("采购合同 (2).pdf"), u8("租赁-协议-副本.pdf")};
    QStringList names;
    for (const Entry& e : entries) {
        names << e.name;
        EXPECT_TRUE(e.flags & 0x0800) << e.name.toStdString();   // names are UTF-8
        EXPECT_EQ(enginePageCount(e.bytes), 1) << e.name.toStdString();
    }
    EXPECT_EQ(names, expected);
    // The entries hold the stored bytes in the order ticked (newest contract listed first).
    const QList<ContractInfo> listed = page->contractInfos();
    EXPECT_EQ(listed.at(0).contractName, u8("采购合同"));
    EXPECT_EQ(entries[0].bytes, pdfBytes("three"));
    EXPECT_EQ(entries[1].bytes, pdfBytes("one"));
    EXPECT_EQ(entries[2].bytes, pdfBytes("two"));
    // The selection stays for a second download.
    EXPECT_EQ(page->checkedRows().size(), 3);
}

// Contracts whose bytes do not arrive are counted and named, never stored as empty entries; when
// none arrives no archive is left and a file already at the target stays as it was.
TEST_F(FileCenterTest, BatchDownloadReportsFailuresAndLeavesNoPartialArchive)
{
    addContract(u8("好合同"), "completed", "2026-03-01 10:00:00", pdfBytes("good"));
    addContract(u8("坏合同"), "completed", "2026-03-02 10:00:00", QByteArray());

    FileCenterPage center;
    FileManagerPage* page = FileCenterPage::getFileManageFrame();
    center.setLoginedState(2);
    page->toolbtnClicked(3);
    ASSERT_EQ(page->contractInfos().size(), 2);
    const int bad = page->contractInfos().at(0).contractName == u8("坏合同") ? 0 : 1;

    DesktopUrls folders({QStringLiteral("file")});
    MMessageBoxAutoAnswer boxes(QDialogButtonBox::Ok);
    tick(*page, 0);
    tick(*page, 1);
    nextPath = m_files.filePath("some.zip");
    page->batchDownloadButton()->click();
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_TRUE(boxes.lastText().contains(u8("2 个文档中有 1 个下载失败"))) << boxes.lastText().toStdString();
    EXPECT_TRUE(boxes.lastText().contains(u8("坏合同")));
    const QList<Entry> entries = readZip(nextPath);
    ASSERT_EQ(entries.size(), 1);
    EXPECT_EQ(entries[0].name, u8("好合同.pdf"));

    // Only the failing one ticked: an error, no archive, the old file untouched.
    page->dataModel()->setData(page->dataModel()->index(1 - bad, 0), false, Qt::UserRole + 1);
    ASSERT_EQ(page->checkedRows(), QList<int>{bad});
    nextPath = m_files.filePath("old.zip");
    {
        QFile old(nextPath);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("previous");
    }
    page->batchDownloadButton()->click();
    ASSERT_EQ(boxes.count(), 2);
    EXPECT_TRUE(boxes.lastText().contains(u8("下载失败"))) << boxes.lastText().toStdString();
    EXPECT_EQ(readAll(nextPath), QString::fromLatin1(QByteArray("previous").toHex()));
    EXPECT_EQ(QDir(m_files.path()).entryList(QDir::Files | QDir::Hidden).size(), 2);   // some.zip, old.zip
    EXPECT_EQ(folders.urls.size(), 1);
}

// "下载": the file appears only when its bytes arrived; a failed download is an error and leaves a
// file already at the target as it was.
TEST_F(FileCenterTest, SingleDownloadWritesOnlyArrivedBytes)
{
    addContract(u8("坏合同"), "completed", "2026-03-01 10:00:00", QByteArray());
    addContract(u8("好合同"), "completed", "2026-03-02 10:00:00", pdfBytes("good"));

    FileCenterPage center;
    FileManagerPage* page = FileCenterPage::getFileManageFrame();
    center.setLoginedState(2);
    page->toolbtnClicked(3);
    ASSERT_EQ(page->contractInfos().size(), 2);
    ASSERT_EQ(page->contractInfos().at(0).contractName, u8("好合同"));

    DesktopUrls folders({QStringLiteral("file")});
    MMessageBoxAutoAnswer boxes(QDialogButtonBox::Ok);
    nextPath = m_files.filePath("good.pdf");
    QToolButton* down = page->rowButton(0, u8("下载"));
    ASSERT_TRUE(down);
    EXPECT_FALSE(down->isHidden());
    down->click();
    EXPECT_EQ(boxes.texts(), QStringList{u8("文档下载已完成")});
    EXPECT_EQ(suggestions, QStringList{u8("好合同.pdf")});
    QFile good(nextPath);
    ASSERT_TRUE(good.open(QIODevice::ReadOnly));
    EXPECT_EQ(good.readAll(), pdfBytes("good"));
    EXPECT_EQ(folders.urls.size(), 1);

    nextPath = m_files.filePath("bad.pdf");
    {
        QFile old(nextPath);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("keep me");
    }
    page->rowButton(1, u8("下载"))->click();
    ASSERT_EQ(boxes.count(), 2);
    EXPECT_EQ(boxes.lastText(), u8("文档坏合同.pdf 下载失败"));
    EXPECT_EQ(readAll(nextPath), QString::fromLatin1(QByteArray("keep me").toHex()));
    EXPECT_EQ(folders.urls.size(), 1);

    // A folder that cannot be written: the error box, nothing announced as done.
    nextPath = m_files.filePath("missing/dir/good.pdf");
    page->rowButton(0, u8("下载"))->click();
    EXPECT_EQ(boxes.lastText(), u8("打开文件失败，请检查您选择的目录是否有写入权限"));
}

// The signing report: not ready yet, cancelled, and downloaded.
TEST_F(FileCenterTest, SigningReportDownload)
{
    const QString report = addFile(pdfBytes("report"));
    addContract(u8("无报告"), "completed", "2026-03-01 10:00:00");
    addContract(u8("有报告"), "completed", "2026-03-02 10:00:00", pdfBytes("c"), report);

    FileCenterPage center;
    FileManagerPage* page = FileCenterPage::getFileManageFrame();
    center.setLoginedState(2);
    page->toolbtnClicked(3);
    ASSERT_EQ(page->contractInfos().size(), 2);

    MMessageBoxAutoAnswer boxes(QDialogButtonBox::Ok);
    DesktopUrls folders({QStringLiteral("file")});
    page->rowButton(1, u8("出证报告"))->click();
    EXPECT_EQ(boxes.texts(), QStringList{u8("出证报告生成中.. 请稍后再试")});
    EXPECT_TRUE(captions.isEmpty());

    nextPath.clear();
    page->rowButton(0, u8("出证报告"))->click();
    EXPECT_EQ(boxes.count(), 1);
    EXPECT_TRUE(page->loadingWidget()->isHidden());

    nextPath = m_files.filePath("r.pdf");
    page->rowButton(0, u8("出证报告"))->click();
    EXPECT_EQ(boxes.lastText(), u8("出证报告下载已完成"));
    EXPECT_EQ(suggestions.last(), u8("有报告_出证报告.pdf"));
    QFile f(nextPath);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), pdfBytes("report"));
}

// A failed page change empties the table, so no row button of the previous page is left; the
// buttons of a filled row act on their own contract whatever row the pointer entered last.
TEST_F(FileCenterTest, RowButtonsActOnTheirOwnLoadedRow)
{
    for (int i = 0; i < 12; ++i)
        addContract(u8("合同%1").arg(i), "completed", QStringLiteral("2026-03-%1 10:00:00").arg(i + 1, 2, 10, QChar('0')),
                    pdfBytes(std::to_string(i)));

    FileCenterPage center;
    FileManagerPage* page = FileCenterPage::getFileManageFrame();
    center.setLoginedState(2);
    page->toolbtnClicked(3);
    ASSERT_EQ(page->contractInfos().size(), 10);

    // The pointer last entered row 7; row 2's button downloads row 2's contract.
    page->on_tableView_entered(page->dataModel()->index(7, 1));
    MMessageBoxAutoAnswer boxes(QDialogButtonBox::Ok);
    DesktopUrls folders({QStringLiteral("file")});
    nextPath = m_files.filePath("row2.pdf");
    page->rowButton(2, u8("下载"))->click();
    EXPECT_EQ(suggestions.last(), page->contractInfos().at(2).contractName + ".pdf");

    // The opening signal carries the row's contract.
    QVariant opened;
    QObject::connect(page, &FileManagerPage::openContract, [&](QVariant v) { opened = v; });
    page->on_tableView_entered(page->dataModel()->index(9, 1));
    page->rowButton(4, u8("详情"))->click();
    ASSERT_TRUE(opened.canConvert<ContractInfo>());
    EXPECT_EQ(opened.value<ContractInfo>().contractId, page->contractInfos().at(4).contractId);

    // A button kept from before a reload whose rows changed does nothing.
    QPointer<QToolButton> stale = page->rowButton(0, u8("详情"));
    opened = QVariant();

    // Page 2 fails: the table is emptied.
    standin.script(kPagedPath, [] {
        StandinScript s = StandinScript::withEnvelope(QJsonObject{{"code", 5000}, {"msg", u8("查询失败")}});
        s.times = 1;
        return s;
    }());
    page->pageWidget()->setCusSelectBtn(2);
    EXPECT_TRUE(page->contractInfos().isEmpty());
    EXPECT_EQ(page->dataModel()->rowCount(), 0);
    EXPECT_EQ(page->rowButton(0, u8("详情")), nullptr);
    if (stale)
        stale->click();
    EXPECT_FALSE(opened.isValid());
    // An entered row that no longer exists does not reach a contract either.
    page->on_tableView_entered(page->dataModel()->index(0, 1));
    page->infoBtnClicked();
    EXPECT_FALSE(opened.isValid());

    // The next page change works again.
    page->pageWidget()->setCusSelectBtn(1);
    EXPECT_EQ(page->contractInfos().size(), 10);
}

// A draft open in the workspace cannot be deleted from the drafts table nor from "全部文档"; once its
// tab is closed and the list reloaded, "删除" deletes it and the tab reloads at page 1.
TEST_F(FileCenterTest, OpenDraftCannotBeDeleted)
{
    const QString open = addContract(u8("打开的草稿"), "drafts", "2026-03-01 10:00:00");
    addContract(u8("另一草稿"), "drafts", "2026-03-02 10:00:00");

    FileCenterPage center;
    FileManagerPage* page = FileCenterPage::getFileManageFrame();
    page->addDraftsList(open);
    center.setLoginedState(2);

    MMessageBoxAutoAnswer boxes(QDialogButtonBox::Ok);
    for (int tab : {6, 0}) {
        page->toolbtnClicked(tab);
        ASSERT_EQ(page->contractInfos().size(), 2);
        const int row = page->contractInfos().at(0).contractId == open ? 0 : 1;
        QToolButton* del = page->rowButton(row, u8("删除"));
        ASSERT_TRUE(del);
        EXPECT_FALSE(del->isEnabled()) << tab;
        EXPECT_TRUE(del->styleSheet().contains("197,197,197"));
        EXPECT_TRUE(page->rowButton(1 - row, u8("删除"))->isEnabled());
        // Even reached directly, the deletion refuses.
        standin.clearRequests();
        page->on_tableView_entered((tab == 6 ? page->draftsDataModel() : page->dataModel())->index(row, 1));
        if (tab == 6)
            page->delDraftsBtnClicked();
        else
            page->delBtnClicked();
        EXPECT_TRUE(standin.requests(kDeletePath).isEmpty());
    }

    page->deleteDraftsList(open);
    page->toolbtnClicked(6);
    page->draftsNameField()->setText("zzz");
    const int row = page->contractInfos().at(0).contractId == open ? 0 : 1;
    QToolButton* del = page->rowButton(row, u8("删除"));
    ASSERT_TRUE(del->isEnabled());
    standin.clearRequests();
    del->click();
    EXPECT_EQ(standin.requests(kDeletePath).size(), 1);
    ASSERT_EQ(page->contractInfos().size(), 1);
    EXPECT_EQ(page->contractInfos().at(0).contractName, u8("另一草稿"));
    const QList<QJsonObject> sent = pageRequests();
    ASSERT_FALSE(sent.isEmpty());
    EXPECT_FALSE(sent.last().value("entity").toObject().contains("contractName"));
}

// Rows-per-page: ignored while the list is empty, a reload of page 1 otherwise; remind sends its
// request and a toast.
TEST_F(FileCenterTest, RowsPerPageAndRemind)
{
    FileCenterPage center;
    FileManagerPage* page = FileCenterPage::getFileManageFrame();
    center.setLoginedState(2);
    standin.clearRequests();
    page->setComBoxData(15, 0);
    EXPECT_TRUE(pageRequests().isEmpty());
    EXPECT_EQ(page->rowsPerPage(), 10);

    for (int i = 0; i < 12; ++i)
        addContract(u8("待签%1").arg(i), "issued", "2026-03-01 10:00:00");
    page->toolbtnClicked(2);
    EXPECT_EQ(page->pageWidget()->pageCount(), 2);
    standin.clearRequests();
    page->setComBoxData(15, 0);
    EXPECT_EQ(page->rowsPerPage(), 15);
    const QList<QJsonObject> sent = pageRequests();
    ASSERT_EQ(sent.size(), 1);
    EXPECT_EQ(sent[0].value("pageBean").toObject().value("pageSize").toInt(), 15);
    EXPECT_EQ(page->contractInfos().size(), 12);
    EXPECT_EQ(page->pageWidget()->pageCount(), 1);

    QuickMessageBoxSpy toasts;
    QToolButton* remind = page->rowButton(0, u8("提醒"));
    ASSERT_TRUE(remind);
    EXPECT_FALSE(remind->isHidden());
    EXPECT_TRUE(page->rowButton(0, u8("下载"))->isHidden());
    remind->click();
    EXPECT_EQ(toasts.texts(), QStringList{u8("发送提醒信息成功")});
}

TEST(FileCenterNames, ZipEntryNames)
{
    QStringList taken;
    EXPECT_EQ(FileManagerPage::zipEntryName(u8("合同/甲\\乙"), taken), u8("合同-甲-乙.pdf"));
    EXPECT_EQ(FileManagerPage::zipEntryName(u8("合同/甲\\乙"), taken), u8("合同-甲-乙 (2).pdf"));
    EXPECT_EQ(FileManagerPage::zipEntryName(u8("合同-甲-乙"), taken), u8("合同-甲-乙 (3).pdf"));
    EXPECT_EQ(FileManagerPage::zipEntryName("a", taken), "a.pdf");
    EXPECT_EQ(FileManagerPage::timeFormat(u8("2026年3月9日"), u8("yyyy年M月d日")), "2026-03-09");
    EXPECT_EQ(FileManagerPage::timeFormat("junk", u8("yyyy年M月d日")), QString());
}
