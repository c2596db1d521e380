// Print benchmark.
//
// Prints a generated text-and-vector document of A4 pages to a PDF file through QPrinter (PDF
// mode) with the print dialog's own run (PrintDialog::printDoc: the print thread renders each
// page once at the printer's resolution and draws it), and renders the same pages at the same
// resolution with `mutool draw` into PNM files (the anchor, in the same run). Reported: pages
// per second of both and their ratio (print / mutool; the target is at least 0.5), and the
// growth of the process's peak memory during the print run against the size of one page image:
// pages are never all held at once, so the growth stays within a few page images whatever the
// length of the document (checked: at most 8 page images).
//
//   print_bench            300 pages at 600 dpi
//   print_bench --short    8 pages at 150 dpi, for the test suite
//   print_bench --pages N --dpi D
#include "BenchDocument.h"
#include "GlobalHeader.h"
#include "PdfEngine.h"
#include "PrintDialog.h"
#include "RegeditSettings.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <cstdio>
#include <cstring>
#include <memory>

// Sanitizer settings of the test binaries (the toolkit's own leaks are not ours).
#include "SanitizerDefaults.inc"

namespace {

// The process's peak resident size so far (VmHWM), in bytes; 0 when unknown.
qint64 peakResident()
{
    QFile status("/proc/self/status");
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong() * 1024;
    return 0;
}

// Seconds to render pages 1..pages of path with mutool at dpi into PNM files; -1 when mutool
// is missing or fails.
double mutoolSeconds(const QString& path, int pages, int dpi, const QString& outDir)
{
    const QString mutool = QStandardPaths::findExecutable("mutool");
    if (mutool.isEmpty())
        return -1;
    QProcess p;
    QElapsedTimer t;
    t.start();
    p.start(mutool, {"draw", "-q", "-r", QString::number(dpi), "-o", outDir + "/page%d.pnm", path,
                     QString("1-%1").arg(pages)});
    if (!p.waitForFinished(-1) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        return -1;
    return t.elapsed() / 1000.0;
}

} // namespace

int main(int argc, char** argv)
{
    bool shortRun = false;
    int pages = 300, dpi = 600;
    for (int i = 1; i < argc; i++) {
        if (std::strcmp(argv[i], "--short") == 0) {
            shortRun = true;
            pages = 8;
            dpi = 150;
        } else if (std::strcmp(argv[i], "--pages") == 0 && i + 1 < argc) {
            pages = std::atoi(argv[++i]);
        } else if (std::strcmp(argv[i], "--dpi") == 0 && i + 1 < argc) {
            dpi = std::atoi(argv[++i]);
        }
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    std::unique_ptr<QApplication> app;
    {
        ToolkitSetUpLeaksIgnored setUp;
        app.reset(new QApplication(argc, argv));
    }
    applyScreenMetrics(1024, 768);
    QTemporaryDir dir;
    ScopedSettingsLocation settings(dir.filePath("settings"));
    const QString source = dir.filePath("long.pdf");
    fixture::writeFile(source.toStdString(), bench::makeDocument(pages, true));
    std::printf("print benchmark: %d A4 pages at %d dpi%s\n", pages, dpi, shortRun ? " (short run)" : "");

    bool ok = true;
    PdfEngine engine;
    if (engine.Load(source, false) != 0) {
        std::fprintf(stderr, "cannot open the generated document\n");
        return 1;
    }
    engine.CutOutPages();

    // The print run, as the dialog's print button starts it (without the copies and colour
    // controls, which change nothing here).
    const QString printed = dir.filePath("printed.pdf");
    double printSeconds = 0;
    qint64 growth = 0;
    {
        PrintDialog dialog(nullptr, &engine, 1);
        QPrinter printer(QPrinter::ScreenResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(printed);
        printer.setPageSize(QPageSize(QPageSize::A4));
        printer.setResolution(dpi);
        printer.setFullPage(true);
        printer.setFromTo(1, pages);
        const qint64 before = peakResident();
        QElapsedTimer t;
        t.start();
        dialog.printDoc(&printer, 0);
        printSeconds = t.elapsed() / 1000.0;
        growth = peakResident() - before;
        if (dialog.lastRunResult() != PrintDialog::RunCompleted) {
            std::fprintf(stderr, "the print run did not complete\n");
            ok = false;
        }
    }
    PdfEngine check;
    if (!ok || check.Load(printed, false) != 0 || (check.CutOutPages(), check.PageCount()) != pages) {
        std::fprintf(stderr, "the printed file does not hold %d pages\n", pages);
        ok = false;
    }

    const double printRate = printSeconds > 0 ? pages / printSeconds : 0;
    const QRectF a4 = QPageSize(QPageSize::A4).rectPixels(dpi);
    const double pageImage = a4.width() * a4.height() * 4;
    std::printf("  print through QPrinter: %8.2f pages/s (%.1f s)\n", printRate, printSeconds);
    const double anchor = mutoolSeconds(source, pages, dpi, dir.path());
    if (anchor > 0) {
        const double anchorRate = pages / anchor;
        const double ratio = printRate / anchorRate;
        std::printf("  mutool draw (PNM):      %8.2f pages/s (%.1f s)\n", anchorRate, anchor);
        std::printf("  ratio %.3f%s\n", ratio, ratio >= 0.5 ? "" : " (below the 0.5 target)");
    } else {
        std::printf("  mutool draw is not available: no ratio\n");
    }
    const double images = growth / pageImage;
    std::printf("  peak memory growth %.1f MB = %.2f page images of %.1f MB%s\n", growth / 1048576.0, images,
                pageImage / 1048576.0, images <= 8 ? "" : " (above the bound of 8)");
    if (images > 8)
        ok = false;
    return ok ? 0 : 1;
}
