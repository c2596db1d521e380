// Batch and cross-page signing from the document view against the in-process stand-in service:
// a click with a company seal in batch or cross-page mode writes a new file whose fields share
// one signature value, while the open document stays as it was. Also the refusals that keep a
// run from writing where it must not, a service refusal that leaves nothing behind, a long run
// on the worker thread while the GUI thread keeps going, and the arithmetic of a run.
#include "SigningTestSupport.h"

#include "PdfEngine.h"
#include "ProgressDlg.h"
#include "RightToolBar.h"
#include "SignatureCheck.h"
#include "bathSignThread.h"

#include <QFile>
#include <QLabel>
#include <QProgressBar>
#include <QTimer>

using namespace signingtest;

namespace {

const char* const kSign = "/eseal-signature/digestSign/getDigestSignInfo";
const char* const kCompany = "13900000000";

// n pages of width x height points, each with its number as text.
std::string pagesDocument(int n, int width = 300, int height = 400)
{
    std::vector<fixture::PageSpec> pages;
    for (int i = 1; i <= n; ++i) {
        fixture::PageSpec p;
        p.mediabox = "[0 0 " + std::to_string(width) + " " + std::to_string(height) + "]";
        p.content = "BT /F1 12 Tf 20 20 Td (Page " + std::to_string(i) + ") Tj ET";
        pages.push_back(p);
    }
    return fixture::simpleDocument(pages);
}

class BatchSigning : public SigningTest
{
protected:
    void SetUp() override
    {
        SigningTest::SetUp();
        loginWithSeals(kCompany);
        ASSERT_EQ(2, seals.size());
        seal = seals.at(1); // the smaller one, 40 x 30 mm
        Canvas::setSaveFileChooser([this](QWidget*, const QString& caption, const QString& suggestion,
                                          const QString& filter) {
            chooserCalls++;
            lastCaption = caption;
            lastSuggestion = suggestion;
            lastFilter = filter;
            return target;
        });
    }

    void TearDown() override
    {
        Canvas::setSaveFileChooser(nullptr);
        view.reset();
        SigningTest::TearDown();
    }

    // Opens a document in the view (one point is one pixel), with the seal panel attached.
    void open(const std::string& bytes, QSize size = QSize(700, 900))
    {
        view.reset(new SigningView(bytes, size));
        ASSERT_EQ(0, view->loaded);
        source = view->path;
        original = bytes;
        target = view->dir.filePath("out.pdf");
        canvas = view->canvas.get();
        engine = view->engine.get();
        dm = view->dm;
        canvas->setRightToolBar(&panel);
    }

    void chooseSeal() { choose(*view, seal.id); }

    // A batch over the given page mode (0 all, 1 range, 2 odd, 3 even).
    void batchMode(int pageMode)
    {
        canvas->receiveSignMode(1);
        canvas->receiveSignPageMode(pageMode);
        chooseSeal();
    }

    // A cross-page seal: style 0 one side, 1 two sides; share 0 first-page share, 1 equal.
    void crossPageMode(int style, int share, int minPage, int maxPage)
    {
        canvas->receiveSignMode(2);
        canvas->qfStyleId(style);
        canvas->getQfScale(share);
        panel.m_minPage = minPage;
        panel.m_maxPage = maxPage;
        chooseSeal();
    }

    // Clicks the seal down with its centre at a point of a page (page space).
    void clickAt(int pageNo, QPointF pt) { view->click(view->view(pageNo, pt)); }

    std::string sourceBytes() const { return fixture::readFile(source.toStdString()); }
    QString folder() const { return view->dir.path(); }

    std::unique_ptr<SigningView> view;
    Canvas* canvas = nullptr;
    PdfEngine* engine = nullptr;
    DisplayModel* dm = nullptr;
    RightToolBar panel;
    SealInfo seal;
    QString source, target;
    std::string original;
    int chooserCalls = 0;
    QString lastCaption, lastSuggestion, lastFilter;
};

TEST_F(BatchSigning, OddPagesOfFiveGetOneSharedSignatureInANewFile)
{
    open(pagesDocument(5));
    RegeditSettings::Instance()->setRecentlyFold(QDir(folder()).filePath("x.pdf"));
    batchMode(2);
    QSignalSpy opened(canvas, &Canvas::openPdfFile);
    // The workspace answers the new file by closing this canvas's tab: that may only happen once
    // the progress dialog's loop has ended and the worker is gone, or the worker's end would
    // find no canvas to close the dialog and the run would wait for ever.
    bool dialogOpenAtAnnounce = true, workerAliveAtAnnounce = true;
    QObject::connect(canvas, &Canvas::openPdfFile, canvas, [&] {
        dialogOpenAtAnnounce = canvas->progressDialog() && canvas->progressDialog()->isVisible();
        workerAliveAtAnnounce = canvas->getBatchSealThread() && canvas->getBatchSealThread()->isRunning();
    });
    clickAt(2, QPointF(150, 200));

    EXPECT_EQ(0, boxes.count()) << boxes.lastText().toStdString();
    EXPECT_EQ(1, keypadsShown);
    EXPECT_EQ(1, chooserCalls);
    EXPECT_EQ(QString::fromUtf8("另存为.."), lastCaption);
    EXPECT_EQ(QString("PDF Document (*.pdf)"), lastFilter);
    EXPECT_EQ(QDir(folder()).filePath(QString::fromUtf8("doc_奇数页_批量签章.pdf")), lastSuggestion);
    ASSERT_EQ(1, opened.count());
    EXPECT_EQ(target, opened.first().at(0).toString());
    EXPECT_FALSE(dialogOpenAtAnnounce);
    EXPECT_FALSE(workerAliveAtAnnounce);
    // The service signed once for all three fields; the open document and its file are untouched.
    EXPECT_EQ(1, standin.requests(kSign).size());
    EXPECT_EQ(original, sourceBytes());
    EXPECT_EQ(0, engine->DocumentSignatureCount());
    EXPECT_FALSE(engine->DocumentChanged());
    const std::string written = fixture::readFile(target.toStdString());
    EXPECT_EQ(0, written.compare(0, original.size(), original));
    EXPECT_TRUE(sigcheck::independentlyVerified(written, cert));

    const QList<Verified> fields = verifyFile(target);
    ASSERT_EQ(3, fields.size());
    QList<int> pages;
    for (const Verified& f : fields) {
        pages << f.pageno;
        EXPECT_EQ(1, f.code);
        EXPECT_EQ(fields.first().signTime, f.signTime);
        // Centred on the drop point on every page.
        EXPECT_NEAR(150 - seal.width / 2, f.pt.x(), 2.0);
    }
    EXPECT_EQ(QList<int>({0, 2, 4}), pages);

    // The run is over and its thread gone: the workspace never sees a destroyed object.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(nullptr, canvas->getBatchSealThread());
    ProgressDlg* progress = canvas->progressDialog();
    ASSERT_NE(nullptr, progress);
    EXPECT_FALSE(progress->isVisible());
    EXPECT_EQ(MA_AddSeal, canvas->GetMouseAction());

    // The texts of the progress steps.
    canvas->progresslots(2, 3);
    EXPECT_EQ(QString::fromUtf8("正在添加数字签名...   (2 / 3) "), progress->textLabel()->text());
    EXPECT_EQ(2, progress->progressBar()->value());
    canvas->progresslots(3, 3);
    EXPECT_EQ(QString::fromUtf8("正在计算签名长度..."), progress->textLabel()->text());
    canvas->slotStartSave();
    EXPECT_EQ(QString::fromUtf8("正在保存数字签名..."), progress->textLabel()->text());
    EXPECT_EQ(0, progress->progressBar()->maximum());
}

TEST_F(BatchSigning, TwoSidedCrossPageHalvesMeetAtThePageEdges)
{
    open(pagesDocument(6));
    crossPageMode(1, 1, 3, 6);
    QSignalSpy opened(canvas, &Canvas::openPdfFile);
    clickAt(3, QPointF(150, 200));
    EXPECT_EQ(0, boxes.count()) << boxes.lastText().toStdString();
    ASSERT_EQ(1, opened.count());
    EXPECT_EQ(QString::fromUtf8("doc_双侧对开_骑缝签章.pdf"), QFileInfo(lastSuggestion).fileName());
    EXPECT_EQ(1, standin.requests(kSign).size());
    EXPECT_EQ(original, sourceBytes());

    const QList<Verified> fields = verifyFile(target);
    ASSERT_EQ(6, fields.size());
    QList<int> pages;
    const double half = seal.width * 0.5;
    for (const Verified& f : fields) {
        pages << f.pageno + 1;
        EXPECT_EQ(1, f.code);
        EXPECT_EQ(fields.first().signTime, f.signTime);
    }
    std::sort(pages.begin(), pages.end());
    EXPECT_EQ(QList<int>({3, 4, 4, 5, 5, 6}), pages);
    // Per page: a left half ends at the right edge (300), a right half begins at the left edge.
    QMap<int, QList<int>> xs;
    for (const Verified& f : fields)
        xs[f.pageno + 1] << f.pt.x();
    for (auto it = xs.begin(); it != xs.end(); ++it)
        std::sort(it.value().begin(), it.value().end());
    auto isLeftHalf = [&](int x) { return std::abs(x - (300 - half)) <= 2.5; };
    auto isRightHalf = [&](int x) { return std::abs(x) <= 1; };
    ASSERT_EQ(1, xs[3].size());
    EXPECT_TRUE(isLeftHalf(xs[3][0])) << xs[3][0];
    for (int page : {4, 5}) {
        ASSERT_EQ(2, xs[page].size());
        EXPECT_TRUE(isRightHalf(xs[page][0])) << xs[page][0];
        EXPECT_TRUE(isLeftHalf(xs[page][1])) << xs[page][1];
    }
    ASSERT_EQ(1, xs[6].size());
    EXPECT_TRUE(isRightHalf(xs[6][0])) << xs[6][0];
}

TEST_F(BatchSigning, SealTooNarrowForTheRangeAsksFirst)
{
    open(pagesDocument(4));
    // With 99 % on the first page the rest of the picture covers only a page or two more.
    panel.setQfScaleValue(99);
    const QImage picture = QImage::fromData(seal.imageData);
    ASSERT_FALSE(picture.isNull());
    const batchplan::Slices cut =
        batchplan::oneSideSlices(picture.width(), picture.height(), seal.width, 1, 4, true, 99);
    ASSERT_TRUE(cut.usable);
    ASSERT_GE(cut.capPages, 2);
    ASSERT_LT(cut.capPages, 4);
    const QString question = QString::fromUtf8("此签章最多签署%1页，是否继续？").arg(cut.capPages);

    crossPageMode(0, 0, 1, 4);
    {
        MMessageBoxAutoAnswer no(QDialogButtonBox::No);
        QSignalSpy opened(canvas, &Canvas::openPdfFile);
        clickAt(1, QPointF(150, 200));
        ASSERT_EQ(1, no.count());
        EXPECT_EQ(question, no.lastText());
        EXPECT_EQ(QString("Orvessa"), no.shown().last().title);
        EXPECT_EQ(0, opened.count());
        EXPECT_EQ(0, keypadsShown);
        EXPECT_FALSE(QFile::exists(target));
    }
    chooseSeal();
    MMessageBoxAutoAnswer yes(QDialogButtonBox::Yes);
    QSignalSpy opened(canvas, &Canvas::openPdfFile);
    clickAt(1, QPointF(150, 200));
    ASSERT_EQ(1, yes.count());
    ASSERT_EQ(1, opened.count());
    QList<int> pages;
    for (const Verified& f : verifyFile(target)) {
        pages << f.pageno + 1;
        EXPECT_EQ(1, f.code);
    }
    std::sort(pages.begin(), pages.end());
    QList<int> expected;
    for (int p = 1; p <= cut.capPages; ++p)
        expected << p;
    EXPECT_EQ(expected, pages);
}

TEST_F(BatchSigning, ServiceRefusalLeavesTheSourceAndNoNewFile)
{
    open(pagesDocument(3));
    batchMode(0);
    StandinScript refuse = StandinScript::withEnvelope(QJsonObject{{"code", 4602}, {"msg", u8("证书不在有效期")}});
    refuse.times = 1;
    standin.script(kSign, refuse);
    QSignalSpy opened(canvas, &Canvas::openPdfFile);
    clickAt(1, QPointF(150, 200));

    EXPECT_EQ(0, opened.count());
    ASSERT_EQ(1, boxes.count());
    EXPECT_TRUE(boxes.lastText().startsWith(QString::fromUtf8("数字签名失败！"))) << boxes.lastText().toStdString();
    EXPECT_FALSE(QFile::exists(target));
    EXPECT_EQ(original, sourceBytes());
    EXPECT_FALSE(engine->DocumentChanged());
    // Nothing but the result may be left in the folder (no temporary file either).
    EXPECT_EQ(QStringList({"doc.pdf"}), QDir(folder()).entryList(QDir::Files));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(nullptr, canvas->getBatchSealThread());
}

TEST_F(BatchSigning, ReplacingAFileThatFailsKeepsTheOldFile)
{
    open(pagesDocument(2));
    batchMode(0);
    fixture::writeFile(target.toStdString(), "an older file the user chose to replace");
    StandinScript refuse = StandinScript::withEnvelope(QJsonObject{{"code", 4602}, {"msg", "no"}});
    refuse.times = 1;
    standin.script(kSign, refuse);
    clickAt(1, QPointF(150, 200));
    EXPECT_EQ(1, boxes.count());
    EXPECT_EQ("an older file the user chose to replace", fixture::readFile(target.toStdString()));
}

TEST_F(BatchSigning, RefusedTargetsAndRangesStartNothing)
{
    open(pagesDocument(4));
    const QString other = QDir(folder()).filePath("other.pdf");
    fixture::writeFile(other.toStdString(), pagesDocument(1));
    PdfEngine otherDocument;
    ASSERT_EQ(0, otherDocument.Load(other, false, nullptr));
    otherDocument.registerOpenDocument();

    struct Case {
        const char* name;
        std::function<void()> setup;
        const char* text;
        bool asksForFile;
    };
    const QString sourcePath = source;
    const QList<Case> cases = {
        {"source as target", [&] { batchMode(0); target = sourcePath; }, "不能保存到正在签署的文档本身", true},
        {"source through another spelling",
         [&] { batchMode(0); target = folder() + "/./doc.pdf"; }, "不能保存到正在签署的文档本身", true},
        {"another open document", [&] { batchMode(0); target = other; }, "该文件已在程序中打开", true},
        {"range starts at 0", [&] { panel.m_minPage = 0; panel.m_maxPage = 2; batchMode(1); }, "页码范围无效", false},
        {"range past the end", [&] { panel.m_minPage = 2; panel.m_maxPage = 5; batchMode(1); }, "页码范围无效", false},
        {"range reversed", [&] { panel.m_minPage = 3; panel.m_maxPage = 2; batchMode(1); }, "页码范围无效", false},
        {"cross-page reversed", [&] { crossPageMode(0, 1, 4, 1); }, "页码范围无效", false},
        {"cross-page on one page", [&] { crossPageMode(0, 0, 2, 2); }, "骑缝签章至少需要两页", false},
        {"two-sided on one page", [&] { crossPageMode(1, 1, 4, 4); }, "骑缝签章至少需要两页", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        target = QDir(folder()).filePath("out.pdf");
        chooserCalls = 0;
        c.setup();
        MMessageBoxAutoAnswer shown(QDialogButtonBox::Ok);
        QSignalSpy opened(canvas, &Canvas::openPdfFile);
        clickAt(1, QPointF(150, 200));
        ASSERT_EQ(1, shown.count());
        EXPECT_TRUE(shown.lastText().contains(QString::fromUtf8(c.text))) << shown.lastText().toStdString();
        EXPECT_EQ(c.asksForFile ? 1 : 0, chooserCalls);
        EXPECT_EQ(0, opened.count());
        EXPECT_EQ(0, keypadsShown);
        EXPECT_EQ(SS_NO, canvas->sealSource());
    }
    EXPECT_EQ(0, standin.requests(kSign).size());
    EXPECT_EQ(original, sourceBytes());
    EXPECT_EQ(pagesDocument(1), fixture::readFile(other.toStdString()));
    EXPECT_FALSE(QFile::exists(QDir(folder()).filePath("out.pdf")));
}

TEST_F(BatchSigning, UnreadableSourceIsAnErrorNotAnEmptySave)
{
    open(pagesDocument(3));
    batchMode(0);
    // The file went away after the view opened it: the run's own engine cannot open it.
    ASSERT_TRUE(QFile::remove(source));
    QSignalSpy opened(canvas, &Canvas::openPdfFile);
    clickAt(1, QPointF(150, 200));
    ASSERT_EQ(1, boxes.count());
    EXPECT_TRUE(boxes.lastText().contains(QString::fromUtf8("无法打开文档"))) << boxes.lastText().toStdString();
    EXPECT_EQ(0, opened.count());
    EXPECT_EQ(0, keypadsShown);
    EXPECT_FALSE(QFile::exists(target));
}

TEST_F(BatchSigning, TwoHundredPagesRunOnTheWorkerWhileTheGuiThreadRuns)
{
    open(pagesDocument(200, 120, 90), QSize(400, 300));
    batchMode(0);
    int ticks = 0, ticksWhileShown = 0;
    bool workerSeen = false, dialogSeen = false;
    QTimer timer;
    timer.setInterval(2);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        ++ticks;
        ProgressDlg* progress = canvas->progressDialog();
        if (progress && progress->isVisible()) {
            dialogSeen = true;
            ++ticksWhileShown;
            if (bathSignThread* t = canvas->getBatchSealThread())
                workerSeen = workerSeen || (t->isRunning() && t != QThread::currentThread());
            // The count never passes the total.
            EXPECT_LE(progress->progressBar()->value(), std::max(progress->progressBar()->maximum(), 0));
        }
    });
    timer.start();
    QSignalSpy opened(canvas, &Canvas::openPdfFile);
    clickAt(1, QPointF(60, 45));
    timer.stop();
    EXPECT_EQ(0, boxes.count()) << boxes.lastText().toStdString();
    ASSERT_EQ(1, opened.count());
    EXPECT_TRUE(dialogSeen);
    EXPECT_TRUE(workerSeen);
    EXPECT_GE(ticksWhileShown, 3);
    EXPECT_EQ(1, standin.requests(kSign).size());

    PdfEngine result;
    ASSERT_EQ(0, result.Load(target, false, nullptr));
    result.CutOutPages();
    EXPECT_EQ(200, result.getSinatureCount());
    // Each page's field has a name of its own, so the list can find each by name.
    QSet<QString> names;
    for (const ToolSignatureInfo& info : result.getSignaturesInfo())
        names.insert(info.t);
    EXPECT_EQ(200, names.size());
    EXPECT_EQ(original, sourceBytes());
}

// ---- the worker on its own ----------------------------------------------------------------

TEST_F(BatchSigning, WorkerCountsOneToTotalAndSkipsTheSaveWhenStopped)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("w.pdf");
    fixture::writeFile(path.toStdString(), pagesDocument(5));
    PdfEngine second;
    ASSERT_EQ(0, second.Load(path, false, nullptr));
    second.CutOutPages();
    QString signer, sn;
    second.ParserCert(cert, signer, sn);

    bathSignThread worker;
    worker.setPageRange(2, 5);
    worker.doWork(QPoint(299, 200), "psign", QByteArray(), 60, 40, cert, sn, "w.pdf", "n", "S1", "u", "r", "t",
                  dir.filePath("never.pdf"), &second, 2, 0, QByteArray(), QPoint(), 0, false,
                  {standinSealPng(20, false), standinSealPng(20, false), standinSealPng(20, false),
                   standinSealPng(20, false)},
                  false, 0, 0);
    QSignalSpy progress(&worker, &bathSignThread::resultReady);
    QSignalSpy saved(&worker, &bathSignThread::executeresult);
    QSignalSpy errors(&worker, &bathSignThread::sigErrorCode);
    worker.stop();
    worker.start();
    ASSERT_TRUE(worker.wait(20000));
    ASSERT_EQ(4, progress.size());
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(QVariantList({i + 1, 4}), progress.at(i));
    EXPECT_EQ(QList<int>({2, 3, 4, 5}), worker.pageList());
    EXPECT_EQ(0, errors.size());
    EXPECT_EQ(0, saved.size());
    EXPECT_FALSE(QFile::exists(dir.filePath("never.pdf")));
    EXPECT_EQ(0, standin.requests(kSign).size());
}

TEST_F(BatchSigning, WorkerReportsAPageWithoutItsSealAndSavesNothing)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("w.pdf");
    fixture::writeFile(path.toStdString(), pagesDocument(3));
    PdfEngine second;
    ASSERT_EQ(0, second.Load(path, false, nullptr));
    second.CutOutPages();
    bathSignThread worker;
    worker.setPageRange(1, 3);
    // Two slices for three pages: the third page would stay without its part of the seal.
    worker.doWork(QPoint(299, 200), "psign", QByteArray(), 60, 40, cert, "01", "w.pdf", "n", "S1", "u", "r", "t",
                  dir.filePath("never.pdf"), &second, 2, 0, QByteArray(), QPoint(), 0, false,
                  {standinSealPng(20, false), standinSealPng(20, false)}, false, 0, 0);
    QSignalSpy errors(&worker, &bathSignThread::sigErrorCode);
    QSignalSpy saved(&worker, &bathSignThread::executeresult);
    worker.start();
    ASSERT_TRUE(worker.wait(20000));
    ASSERT_EQ(1, errors.size());
    EXPECT_NE(0, errors.first().at(0).toInt());
    EXPECT_EQ(0, saved.size());
    EXPECT_FALSE(QFile::exists(dir.filePath("never.pdf")));
}

// ---- the arithmetic of a run --------------------------------------------------------------

TEST(BatchPlan, PagesOfEachMode)
{
    using namespace batchplan;
    struct Case {
        const char* name;
        int signMode, pageMode, qfMode, minPage, maxPage, pageCount;
        QList<int> fields, distinct;
    };
    const QList<Case> cases = {
        {"all", 1, 0, 0, 2, 3, 4, {1, 2, 3, 4}, {1, 2, 3, 4}},
        {"range", 1, 1, 0, 2, 3, 4, {2, 3}, {2, 3}},
        {"odd, whatever the range", 1, 2, 0, 2, 2, 5, {1, 3, 5}, {1, 3, 5}},
        {"even", 1, 3, 0, 1, 5, 5, {2, 4}, {2, 4}},
        {"one side", 2, 0, 0, 2, 5, 6, {2, 3, 4, 5}, {2, 3, 4, 5}},
        {"two sides", 2, 0, 1, 3, 6, 6, {3, 4, 4, 5, 5, 6}, {3, 4, 5, 6}},
        {"single signs nothing here", 0, 0, 0, 1, 3, 3, {}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QList<int> fields = fieldPages(c.signMode, c.pageMode, c.qfMode, c.minPage, c.maxPage, c.pageCount);
        EXPECT_EQ(c.fields, fields);
        EXPECT_EQ(c.distinct, distinctPages(fields));
    }
}

TEST(BatchPlan, SlicesOfAOneSidedSeal)
{
    using namespace batchplan;
    struct Case {
        const char* name;
        int W, minPage, maxPage;
        bool share;
        int percent;
        bool usable;
        int capPages, maxAfter, count;
        QList<int> widths; // first slices' widths (all when count is small)
        QList<int> xs;
    };
    const QList<Case> cases = {
        {"equal, 200 px over pages 2-5", 200, 2, 5, false, 10, true, 0, 5, 4, {50, 50, 50, 50}, {0, 50, 100, 150}},
        {"equal, uneven", 10, 1, 3, false, 10, true, 0, 3, 3, {3, 3, 3}, {0, 3, 6}},
        {"equal, capped to the pixels", 200, 1, 300, false, 10, true, 200, 200, 200, {1, 1, 1}, {0, 1, 2}},
        {"share 10 %, 200 px over 1-5", 200, 1, 5, true, 10, true, 0, 5, 5, {20, 45, 45, 45, 45},
         {0, 20, 65, 110, 155}},
        {"share, capped", 20, 1, 40, true, 50, true, 11, 11, 11, {10, 1, 1}, {0, 10, 11}},
        {"equal, one pixel cannot cross two pages", 1, 1, 3, false, 10, false, 1, 1, 1, {1}, {0}},
        {"share leaving nothing to share", 50, 1, 3, true, 99, false, 1, 1, 1, {49}, {0}},
        {"share of a tiny picture", 5, 1, 2, true, 10, false, 0, 2, 2, {0, 4}, {0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Slices s = oneSideSlices(c.W, 30, 100.0, c.minPage, c.maxPage, c.share, c.percent);
        EXPECT_EQ(c.usable, s.usable);
        EXPECT_EQ(c.capPages, s.capPages);
        EXPECT_EQ(c.maxAfter, s.maxPage);
        EXPECT_EQ(c.count, s.count);
        ASSERT_GE(s.rects.size(), c.widths.size());
        for (int i = 0; i < c.widths.size(); ++i) {
            EXPECT_EQ(c.widths[i], s.rects[i].width()) << i;
            EXPECT_EQ(c.xs[i], s.rects[i].x()) << i;
            EXPECT_EQ(30, s.rects[i].height());
        }
        if (s.usable) {
            EXPECT_EQ(c.count, s.rects.size());
        }
        EXPECT_EQ(c.share, s.isScale);
    }
    const Slices equal = oneSideSlices(200, 30, 100.0, 2, 5, false, 10);
    EXPECT_DOUBLE_EQ(25.0, equal.w);
    const Slices share = oneSideSlices(200, 30, 100.0, 1, 5, true, 10);
    EXPECT_FLOAT_EQ(0.1f, share.scale);
    EXPECT_NEAR((100.0 - 100.0 * 0.1) / 4, share.sscale, 1e-4);
    EXPECT_DOUBLE_EQ(100.0, share.w);
}

TEST(BatchPlan, SuggestedFileNames)
{
    using batchplan::suggestedFileName;
    EXPECT_EQ(QString::fromUtf8("/home/u/out/a_偶数页_批量签章.pdf"),
              suggestedFileName("/home/u/out", "a.pdf", QString::fromUtf8("偶数页"), QString::fromUtf8("批量签章")));
    EXPECT_EQ(QString("/home/u/out/a.PDF"),
              suggestedFileName("/home/u/out", "a.PDF", QString::fromUtf8("偶数页"), QString::fromUtf8("批量签章")));
    EXPECT_EQ(QString::fromUtf8("/d/a.pdf_单侧多页_骑缝签章.pdf"),
              suggestedFileName("/d", "a.pdf.pdf", QString::fromUtf8("单侧多页"), QString::fromUtf8("骑缝签章")));
}

// ---- the list of documents open in the program ---------------------------------------------

TEST(OpenDocuments, EnteredOnOpenWithRecentListsOrWhenToldAndLeftOnClose)
{
    QTemporaryDir dir, settingsDir;
    ScopedSettingsLocation settings(settingsDir.path());
    const QString path = dir.filePath("a.pdf");
    fixture::writeFile(path.toStdString(), pagesDocument(1));
    EXPECT_FALSE(PdfEngine::isDocumentOpenInProgram(path));
    {
        PdfEngine quiet;
        ASSERT_EQ(0, quiet.Load(path, false, nullptr));
        EXPECT_FALSE(PdfEngine::isDocumentOpenInProgram(path)); // a helper engine does not count
        PdfEngine tab;
        ASSERT_EQ(0, tab.Load(path, true, nullptr));
        EXPECT_TRUE(PdfEngine::isDocumentOpenInProgram(path));
        EXPECT_TRUE(PdfEngine::isDocumentOpenInProgram(dir.path() + "/../" + QDir(dir.path()).dirName() + "/a.pdf"));
        quiet.registerOpenDocument();
        {
            PdfEngine gone;
            ASSERT_EQ(0, gone.Load(path, true, nullptr));
        }
        EXPECT_TRUE(PdfEngine::isDocumentOpenInProgram(path)); // two others still hold it
        const QString other = dir.filePath("b.pdf");
        fixture::writeFile(other.toStdString(), pagesDocument(1));
        ASSERT_EQ(0, tab.Load(other, true, nullptr)); // the tab moves on to another file
        EXPECT_TRUE(PdfEngine::isDocumentOpenInProgram(other));
        EXPECT_TRUE(PdfEngine::isDocumentOpenInProgram(path));
    }
    EXPECT_FALSE(PdfEngine::isDocumentOpenInProgram(path));
    EXPECT_FALSE(PdfEngine::isDocumentOpenInProgram(dir.filePath("b.pdf")));
}

} // namespace
