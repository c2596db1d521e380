// Printing: the range rule, the fields' input rules, fitting pages (never a zero, negative or
// infinite zoom), the preview, and print runs into PDF files read back with the engine:
// the typed range, landscape, cancelling and a printer that cannot begin.
#include "PrintTestSupport.h"

#include "PrintPreView.h"
#include "ProgressDlg.h"

#include <QComboBox>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QToolButton>
#include <QTimer>
#include <QValidator>

#include <limits>

using namespace printtest;

namespace {

// How much of the printed page the source page fills: its scale from page points to paper points.
double fitScale(QSizeF page, QSizeF paper)
{
    return std::min(paper.width() / page.width(), paper.height() / page.height());
}

// Checks that each page of the printed file shows the expected source page, fitted into the
// paper's top-left corner, and that the paper has the expected size (points, truncated).
void expectPrinted(const QString& printed, const QString& source, const std::vector<int>& expected, QSize paper,
                   int rotation = 0)
{
    PdfEngine out, in;
    ASSERT_EQ(out.Load(printed, false), 0);
    ASSERT_EQ(in.Load(source, false), 0);
    out.CutOutPages();
    in.CutOutPages();
    ASSERT_EQ(out.PageCount(), int(expected.size()));
    for (int k = 0; k < out.PageCount(); k++) {
        SCOPED_TRACE(k + 1);
        const QSizeF paperPts = out.PageMediabox(k + 1).size();
        EXPECT_EQ(paperPts.toSize(), paper);
        QSizeF page = in.PageMediabox(expected[size_t(k)]).size();
        if (rotation == 90)
            page.transpose();
        const double s = fitScale(page, paperPts);
        const float z = 0.5f;
        std::unique_ptr<NativeBufferImage> whole(out.RenderBitmap(k + 1, z, 0, VQ_RENDER_ALL, VQ_COLORSPACE_RGB, nullptr));
        ASSERT_TRUE(whole);
        const QImage printedPage =
            whole->copy(0, 0, int(page.width() * s * z), int(page.height() * s * z)).convertToFormat(QImage::Format_Grayscale8);
        // The printed page is closest to the source page it came from, and close to it.
        double best = 1e9;
        int bestPage = 0;
        for (int p = 1; p <= in.PageCount(); p++) {
            std::unique_ptr<NativeBufferImage> src(in.RenderBitmap(p, 0.5f, rotation, VQ_RENDER_ALL, VQ_COLORSPACE_RGB, nullptr));
            ASSERT_TRUE(src);
            const double d = difference(printedPage, src->convertToFormat(QImage::Format_Grayscale8));
            if (d < best) {
                best = d;
                bestPage = p;
            }
        }
        EXPECT_EQ(bestPage, expected[size_t(k)]);
        EXPECT_LT(best, 8.0);
    }
}

} // namespace

TEST(PrintRange, FollowsTheRangeRule)
{
    struct Case {
        int choice;
        const char* text;
        int pages, current;
        int from, to; // 0, 0: nothing is printed
    };
    const Case cases[] = {
        {0, "", 5, 2, 1, 5},      {1, "", 5, 4, 4, 4},       {2, "7-3", 5, 1, 3, 5},   {2, "2-9", 5, 1, 2, 5},
        {2, "4", 5, 1, 4, 4},     {2, "9", 5, 1, 5, 5},      {2, "3-", 5, 1, 0, 0},    {2, "-3", 5, 1, 0, 0},
        {2, "", 5, 1, 0, 0},      {2, "4-2", 5, 1, 2, 4},    {2, "0", 5, 1, 1, 1},     {2, "1-2-3", 5, 1, 1, 1},
        {2, "10", 20, 1, 10, 10}, {2, "20-10", 30, 1, 10, 20}, {2, "105", 200, 1, 105, 105}, {0, "", 0, 1, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.text) + " choice " + std::to_string(c.choice));
        const PrintRange r = printRangeFor(c.choice, QString::fromUtf8(c.text), c.pages, c.current);
        if (c.from == 0) {
            EXPECT_TRUE(r.isEmpty());
            EXPECT_EQ(r.count(), 0);
        } else {
            EXPECT_EQ(r.from, c.from);
            EXPECT_EQ(r.to, c.to);
        }
    }
}

TEST(PrintFit, NeverGivesAZeroNegativeOrInfiniteZoom)
{
    const double inf = std::numeric_limits<double>::infinity(), nan = std::numeric_limits<double>::quiet_NaN();
    struct Case {
        QSizeF page, area;
        double zoom;
    };
    const Case cases[] = {
        {{595.28, 841.89}, {390, 490}, 490 / 841.89}, {{400, 500}, {4960, 7016}, 12.4},
        {{0, 0}, {390, 490}, 0},                      {{0, 500}, {390, 490}, 0},
        {{400, 500}, {-5, 490}, 0},                   {{400, 500}, {0, 0}, 0},
        {{400, inf}, {390, 490}, 0},                  {{nan, 500}, {390, 490}, 0},
        {{400, 500}, {inf, inf}, 0},
    };
    for (const Case& c : cases) {
        const float z = fitPageZoom(c.page, c.area);
        EXPECT_TRUE(std::isfinite(z));
        EXPECT_GE(z, 0.0f);
        EXPECT_NEAR(z, c.zoom, 1e-4);
    }
    EXPECT_EQ(renderTypeForContent(0), VQ_RENDER_ALL);
    EXPECT_EQ(renderTypeForContent(1), VQ_RENDER_CONTENT);
    EXPECT_EQ(renderTypeForContent(2), VQ_RENDER_ANNOTATION);
    EXPECT_EQ(renderTypeForContent(7), VQ_RENDER_ALL);
}

TEST_F(PrintTest, ThePreviewFitsAndCentresThePage)
{
    PdfEngine engine;
    open(engine, write("a4.pdf", markedDocument(3, 595, 841, "[0 0 595.28 841.89]")));
    PrintPreView view;
    view.resize(400, 500);
    view.setGray(true); // before a document: only stored
    EXPECT_EQ(view.image(), nullptr);
    view.setDocument(&engine, 2);
    view.show();
    ASSERT_NE(view.image(), nullptr);
    // The box is read in whole points: 595 x 841.
    EXPECT_NEAR(view.zoom(), std::min(390.0 / 595, 490.0 / 841), 1e-4);
    EXPECT_NEAR(view.image()->width(), 346, 1);
    EXPECT_NEAR(view.image()->height(), 490, 1);
    const QImage shot = view.grab().toImage();
    EXPECT_EQ(shot.pixelColor(5, 250), QColor("#F2F7F5"));
    const int left = int((400 - view.image()->width()) * 0.5);
    EXPECT_EQ(shot.pixelColor(left, 250), QColor("#717171"));
    EXPECT_NE(shot.pixelColor(left + 1, 250), QColor("#F2F7F5"));

    view.setOrient(Qt::Horizontal);
    EXPECT_NEAR(view.zoom(), 390.0 / 841, 1e-4);
    EXPECT_NEAR(view.image()->width(), 390, 1);

    EXPECT_TRUE(view.gotoPrePage());
    EXPECT_FALSE(view.gotoPrePage());
    EXPECT_EQ(view.currentPage(), 1);
    view.setCurrentPage(3);
    EXPECT_FALSE(view.gotoNextPage());
    view.setCurrentPage(9);
    EXPECT_EQ(view.currentPage(), 3);

    // Narrower than its margins: nothing is rendered, nothing breaks.
    view.resize(8, 500);
    view.setOrient(Qt::Vertical);
    EXPECT_EQ(view.image(), nullptr);
    view.setOrient(Qt::Horizontal);
    EXPECT_EQ(view.image(), nullptr);
    view.grab();
}

TEST_F(PrintTest, AnEmptyPageBoxRendersNothing)
{
    PdfEngine engine;
    // Under a point wide: the box is read in whole points as 0 x 0.
    open(engine, write("tiny.pdf", markedDocument(1, 0, 0, "[0 0 0.5 0.5]")));
    ASSERT_EQ(engine.PageMediabox(1).size(), QSizeF(0, 0));
    PrintPreView view;
    view.resize(400, 500);
    view.setDocument(&engine, 1);
    view.show();
    EXPECT_EQ(view.image(), nullptr);
    view.setOrient(Qt::Horizontal);
    EXPECT_EQ(view.image(), nullptr);

    QImage paper(200, 300, QImage::Format_RGB32);
    paper.fill(Qt::white);
    QPainter painter(&paper);
    EXPECT_EQ(createPrintImage(&engine, 1, QPrinter::Color, QPrinter::Portrait, QRect(0, 0, 200, 300), 0,
                               VQ_RENDER_ALL, VQ_COLORSPACE_RGB, &painter),
              nullptr);
    PdfEngine normal;
    open(normal, write("normal.pdf", markedDocument(1)));
    EXPECT_EQ(createPrintImage(&normal, 1, QPrinter::Color, QPrinter::Portrait, QRect(0, 0, 0, 300), 0,
                               VQ_RENDER_ALL, VQ_COLORSPACE_RGB, &painter),
              nullptr);
    std::unique_ptr<NativeBufferImage> drawn(createPrintImage(&normal, 1, QPrinter::Color, QPrinter::Portrait,
                                                              QRect(0, 0, 200, 300), 0, VQ_RENDER_ALL,
                                                              VQ_COLORSPACE_RGB, &painter));
    ASSERT_TRUE(drawn);
    EXPECT_EQ(drawn->size(), QSize(200, 250));
}

TEST_F(PrintTest, TheFieldsAdmitEveryPageNumberAndAtLeastOneCopy)
{
    PdfEngine engine;
    open(engine, write("doc.pdf", markedDocument(5)));
    PrintDialog dialog(nullptr, &engine, 1);
    const QValidator* range = dialog.rangeEdit()->validator();
    ASSERT_TRUE(range);
    struct Case {
        const char* text;
        bool acceptable;
    };
    const Case cases[] = {{"10", true}, {"20", true},  {"105", true},  {"4-2", true},  {"10-20", true},
                          {"", true},   {"3-", true},  {"1-2-3", false}, {"a", false}, {"1,2", false}};
    for (const Case& c : cases) {
        QString text = QString::fromUtf8(c.text);
        int pos = 0;
        EXPECT_EQ(range->validate(text, pos) == QValidator::Acceptable, c.acceptable) << c.text;
    }

    QString zero = "0";
    int pos = 0;
    EXPECT_NE(dialog.copiesEdit()->validator()->validate(zero, pos), QValidator::Acceptable);
    EXPECT_EQ(dialog.copiesEdit()->text(), "1");
    dialog.copiesMinus()->click();
    EXPECT_EQ(dialog.copiesEdit()->text(), "1");
    dialog.copiesPlus()->click();
    dialog.copiesPlus()->click();
    EXPECT_EQ(dialog.copiesEdit()->text(), "3");
    dialog.copiesMinus()->click();
    EXPECT_EQ(dialog.copiesEdit()->text(), "2");

    // The range field shows only for a typed range.
    EXPECT_FALSE(dialog.rangeEdit()->isVisibleTo(&dialog));
    dialog.rangeButton()->click();
    EXPECT_TRUE(dialog.rangeEdit()->isVisibleTo(&dialog));
    EXPECT_TRUE(dialog.rangeHint()->isVisibleTo(&dialog));
    dialog.allPagesButton()->click();
    EXPECT_FALSE(dialog.rangeEdit()->isVisibleTo(&dialog));

    // Page controls: the field is limited to the document, the ends give toasts.
    dialog.pageEdit()->setText("9");
    dialog.editFinished();
    EXPECT_EQ(dialog.pageEdit()->text(), "5");
    EXPECT_EQ(dialog.preview()->currentPage(), 5);
    dialog.nextPageButton()->click();
    dialog.pageEdit()->setText("0");
    dialog.editFinished();
    EXPECT_EQ(dialog.preview()->currentPage(), 1);
    dialog.prePageButton()->click();
    dialog.nextPageButton()->click();
    EXPECT_EQ(dialog.pageEdit()->text(), "2");
    EXPECT_EQ(toasts.texts(), (QStringList{QString::fromUtf8("已经是最后一页"), QString::fromUtf8("已经是最前一页")}));
}

TEST_F(PrintTest, PrintersAndPaperComeFromThePrintService)
{
    PdfEngine engine;
    open(engine, write("doc.pdf", markedDocument(2)));
    FilePrintService service;
    ScopedPrintService installed(&service);
    {
        PrintDialog dialog(nullptr, &engine, 1);
        dialog.initPrinter();
        EXPECT_EQ(dialog.printerBox()->count(), 0);
        EXPECT_FALSE(dialog.paperBox()->isEnabled());
        EXPECT_EQ(dialog.paperBox()->count(), 0);
    }
    service.printers = QStringList{"Office", "Labels"};
    service.defaultPrinter = "Labels";
    service.sizes["Office"] = {QPageSize(QPageSize::Letter), QPageSize(QPageSize::A4), QPageSize(QPageSize::A5)};
    service.sizes["Labels"] = {QPageSize(QPageSize::A6), QPageSize(QPageSize::A4)};
    PrintDialog dialog(nullptr, &engine, 1);
    dialog.initPrinter();
    EXPECT_EQ(dialog.printerBox()->currentText(), "Labels");
    EXPECT_EQ(dialog.paperBox()->count(), 2);
    EXPECT_EQ(dialog.paperBox()->currentText(), "A4");
    EXPECT_EQ(dialog.pageSizeId(), QPageSize::A4);
    EXPECT_EQ(dialog.paperSizeMillimetres(), QSizeF(210, 297));
    EXPECT_TRUE(dialog.paperSizeLabel()->text().contains("<b>210</b>"));
    EXPECT_TRUE(dialog.paperSizeLabel()->text().contains("<b>297</b>"));
    dialog.paperBox()->setCurrentText("A6");
    EXPECT_EQ(dialog.pageSizeId(), QPageSize::A6);
    dialog.printerBox()->setCurrentText("Office");
    dialog.printerChange("Office");
    EXPECT_EQ(dialog.paperBox()->count(), 3);
    EXPECT_EQ(dialog.paperBox()->currentText(), "A4");
    EXPECT_EQ(dialog.pageSizeId(), QPageSize::A4);
}

TEST_F(PrintTest, PrintsTheTypedRangeIntoAPdf)
{
    const QString source = write("five.pdf", markedDocument(5));
    PdfEngine engine;
    open(engine, source);
    FilePrintService service;
    service.printers = QStringList{"Office"};
    service.defaultPrinter = "Office";
    service.sizes["Office"] = {QPageSize(QPageSize::A4)};
    service.output = dir.filePath("printed.pdf");
    ScopedPrintService installed(&service);

    PrintDialog dialog(nullptr, &engine, 1);
    dialog.initPrinter();
    dialog.rangeButton()->click();
    dialog.rangeEdit()->setText("4-2");
    QSignalSpy progress(dialog.progressDialog()->progressBar(), &QProgressBar::valueChanged);
    // The print button acts on release.
    emit dialog.printButton()->released();
    EXPECT_EQ(service.selected, QStringList{"Office"});
    EXPECT_EQ(dialog.lastRunResult(), PrintDialog::RunCompleted);
    EXPECT_FALSE(dialog.progressDialog()->isVisible());
    EXPECT_EQ(dialog.progressDialog()->progressBar()->maximum(), 3);
    EXPECT_EQ(dialog.progressDialog()->progressBar()->value(), 3);
    EXPECT_EQ(dialog.progressDialog()->textLabel()->text(), QString::fromUtf8("正在打印 3 / 总共3页"));
    QList<int> values;
    for (const QList<QVariant>& args : progress)
        values << args.at(0).toInt();
    EXPECT_TRUE(values.contains(2));
    EXPECT_EQ(values.last(), 3);
    expectPrinted(service.output, source, {2, 3, 4}, QSize(595, 842));
    EXPECT_TRUE(toasts.texts().isEmpty());

    // An incomplete range starts nothing.
    QFile::remove(service.output);
    dialog.rangeEdit()->setText("3-");
    emit dialog.printButton()->released();
    EXPECT_EQ(service.selected.size(), 1);
    EXPECT_FALSE(QFile::exists(service.output));
}

TEST_F(PrintTest, TheCurrentPageTurnedForLandscape)
{
    const QString source = write("five.pdf", markedDocument(5));
    PdfEngine engine;
    open(engine, source);
    PrintDialog dialog(nullptr, &engine, 1);
    dialog.preview()->setCurrentPage(4);
    dialog.currentPageButton()->click();
    const PrintRange r = dialog.chosenRange();
    QPrinter printer(QPrinter::ScreenResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(dir.filePath("landscape.pdf"));
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageOrientation(QPageLayout::Landscape);
    printer.setResolution(100);
    printer.setFullPage(true);
    printer.setFromTo(r.from, r.to);
    dialog.printDoc(&printer, 0);
    EXPECT_EQ(dialog.lastRunResult(), PrintDialog::RunCompleted);
    expectPrinted(printer.outputFileName(), source, {4}, QSize(842, 595), 90);
}

TEST_F(PrintTest, CancellingStopsTheRunAndLeavesNoFile)
{
    const QString source = write("long.pdf", markedDocument(300));
    PdfEngine engine;
    open(engine, source);
    for (bool escape : {false, true}) {
        SCOPED_TRACE(escape ? "Escape" : "cancel button");
        PrintDialog dialog(nullptr, &engine, 1);
        QPrinter printer(QPrinter::ScreenResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(dir.filePath("cancelled.pdf"));
        printer.setPageSize(QPageSize(QPageSize::A4));
        printer.setResolution(150);
        printer.setFullPage(true);
        printer.setFromTo(1, 300);
        QSignalSpy progress(dialog.progressDialog()->progressBar(), &QProgressBar::valueChanged);
        // The progress box is drawn inside the print dialog: watch it directly.
        int seen = 0;
        QTimer poll;
        poll.setInterval(5);
        QObject::connect(&poll, &QTimer::timeout, [&] {
            ProgressDlg* box = dialog.progressDialog();
            if (seen || box->isHidden())
                return;
            seen++;
            EXPECT_FALSE(box->cancelButton()->isHidden());
            if (escape) {
                QKeyEvent key(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
                QApplication::sendEvent(box, &key);
            } else {
                box->cancelButton()->click();
            }
        });
        poll.start();
        const int before = toasts.count();
        dialog.printDoc(&printer, 0);
        EXPECT_EQ(seen, 1);
        EXPECT_EQ(dialog.lastRunResult(), PrintDialog::RunCancelled);
        EXPECT_FALSE(QFile::exists(printer.outputFileName()));
        int highest = 0;
        for (const QList<QVariant>& args : progress)
            highest = std::max(highest, args.at(0).toInt());
        EXPECT_LT(highest, 300);
        EXPECT_EQ(toasts.texts().mid(before), QStringList{QString::fromUtf8("已取消打印")});
        EXPECT_FALSE(dialog.progressDialog()->isVisible());
    }
}

TEST_F(PrintTest, APrinterThatCannotBeginSaysSo)
{
    PdfEngine engine;
    open(engine, write("doc.pdf", markedDocument(2)));
    PrintDialog dialog(nullptr, &engine, 1);
    QPrinter printer(QPrinter::ScreenResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(dir.filePath("missing/folder/out.pdf"));
    printer.setFromTo(1, 2);
    dialog.printDoc(&printer, 0);
    EXPECT_EQ(dialog.lastRunResult(), PrintDialog::RunFailed);
    EXPECT_EQ(toasts.texts(), QStringList{QString::fromUtf8("无法开始打印，请检查打印机！")});
    EXPECT_FALSE(dialog.progressDialog()->isVisible());
}

TEST_F(PrintTest, BandedAndWholePagePrintsMatchAndContentChoicesDiffer)
{
    const QString source = write("two.pdf", markedDocument(2));
    PdfEngine engine;
    open(engine, source);
    PrintDialog dialog(nullptr, &engine, 1);
    // Document and annotations in colour print in bands; document only prints the whole page
    // at once: the fixture has no annotations, so both must give the same pixels.
    auto print = [&](int content, const QString& name) {
        QPrinter printer(QPrinter::ScreenResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(dir.filePath(name));
        printer.setPageSize(QPageSize(QPageSize::A4));
        printer.setResolution(300);
        printer.setFullPage(true);
        printer.setFromTo(1, 2);
        dialog.printDoc(&printer, content);
        EXPECT_EQ(dialog.lastRunResult(), PrintDialog::RunCompleted);
        return printer.outputFileName();
    };
    const QString banded = print(0, "banded.pdf"), whole = print(1, "whole.pdf"), annots = print(2, "annots.pdf");
    PdfEngine a, b, c;
    open(a, banded);
    open(b, whole);
    open(c, annots);
    ASSERT_EQ(a.PageCount(), 2);
    ASSERT_EQ(b.PageCount(), 2);
    ASSERT_EQ(c.PageCount(), 2);
    for (int p = 1; p <= 2; p++) {
        const QImage x = renderGray(a, p, 1.0f), y = renderGray(b, p, 1.0f), z = renderGray(c, p, 1.0f);
        ASSERT_EQ(x.size(), y.size());
        ASSERT_EQ(x.size(), z.size());
        // Every row band of the page alike: no band missing or shifted.
        for (int top = 0; top + 40 <= x.height(); top += 40) {
            double diff = 0;
            int ink = 0;
            for (int r = top; r < top + 40; r++)
                for (int col = 0; col < x.width(); col++) {
                    diff += std::abs(qGray(x.pixel(col, r)) - qGray(y.pixel(col, r)));
                    ink += qGray(z.pixel(col, r)) < 200;
                }
            EXPECT_LT(diff / (40.0 * x.width()), 2.0) << "page " << p << " rows from " << top;
            EXPECT_EQ(ink, 0) << "page " << p << " rows from " << top;
        }
    }
}
