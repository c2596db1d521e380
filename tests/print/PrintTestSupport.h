// What the print tests share: documents whose pages can be told apart from their pictures, a
// print service with printers of the test's own that prints into PDF files, and the comparison
// of a printed page with the page of the document it came from.
#pragma once

#include "PdfFixture.h"
#include "QtTestSupport.h"

#include "GlobalHeader.h"
#include "ParentDialog.h"
#include "PdfEngine.h"
#include "PrintDialog.h"
#include "QuickMessageBox.h"
#include "RegeditSettings.h"

#include <QElapsedTimer>
#include <QImage>
#include <QTest>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

namespace printtest {

// Processes events until pred holds or the bound passes; returns pred().
template <typename Pred>
bool waitFor(Pred pred, int boundMs = 5000)
{
    QElapsedTimer t;
    t.start();
    while (!pred() && t.elapsed() < boundMs)
        QTest::qWait(5);
    return pred();
}

// Page n (1-based) of w x h points: its number in large type and n black bars along the left
// edge, so that every page looks different even at a small size.
inline std::string pageContent(int n, int w, int h)
{
    std::string s = "BT /F1 " + std::to_string(h / 4) + " Tf " + std::to_string(w / 3) + " " +
                    std::to_string(h / 2) + " Td (" + std::to_string(n) + ") Tj ET\n";
    for (int i = 0; i < n; i++)
        s += "0 0 0 rg 10 " + std::to_string(h - 30 - i * 40) + " 60 25 re f\n";
    return s;
}

inline std::string markedDocument(int pages, int w = 400, int h = 500, const std::string& box = std::string())
{
    std::vector<fixture::PageSpec> list;
    for (int i = 0; i < pages; i++)
        list.push_back(fixture::PageSpec{box.empty() ? "[0 0 " + std::to_string(w) + " " + std::to_string(h) + "]"
                                                     : box,
                                         "", pageContent(i + 1, w, h)});
    return fixture::simpleDocument(list);
}

// Printers of the test's own; each new printer prints into the next file of outputs.
class FilePrintService : public PrintService
{
public:
    QStringList availablePrinterNames() const override { return printers; }
    QString defaultPrinterName() const override { return defaultPrinter; }
    QList<QPageSize> supportedPageSizes(const QString& printerName) const override
    {
        return sizes.value(printerName);
    }
    void selectPrinter(QPrinter* printer, const QString& printerName) const override
    {
        selected << printerName;
        printer->setOutputFormat(QPrinter::PdfFormat);
        printer->setOutputFileName(output);
    }

    QStringList printers;
    QString defaultPrinter;
    QMap<QString, QList<QPageSize>> sizes;
    QString output;
    mutable QStringList selected;
};

// Installs a print service for the life of the object.
class ScopedPrintService
{
public:
    explicit ScopedPrintService(PrintService* service) { PrintService::setInstance(service); }
    ~ScopedPrintService() { PrintService::setInstance(nullptr); }
};

// The page rendered at zoom, as an 8-bit gray image.
inline QImage renderGray(PdfEngine& engine, int page, float zoom)
{
    std::unique_ptr<NativeBufferImage> img(
        engine.RenderBitmap(page, zoom, 0, VQ_RENDER_ALL, VQ_COLORSPACE_RGB, nullptr));
    return img ? img->convertToFormat(QImage::Format_Grayscale8) : QImage();
}

// Mean absolute difference (0 to 255) of two gray images of one size, after both are scaled to
// a common small size.
inline double difference(const QImage& a, const QImage& b)
{
    const QSize s(80, 100);
    const QImage x = a.scaled(s, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    const QImage y = b.scaled(s, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    double sum = 0;
    for (int r = 0; r < s.height(); r++)
        for (int c = 0; c < s.width(); c++)
            sum += std::abs(qGray(x.pixel(c, r)) - qGray(y.pixel(c, r)));
    return sum / (s.width() * s.height());
}

class PrintTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }

    QString write(const QString& name, const std::string& bytes)
    {
        const QString path = dir.filePath(name);
        fixture::writeFile(path.toStdString(), bytes);
        return path;
    }
    // Opens a document into engine (without touching the recent lists).
    void open(PdfEngine& engine, const QString& path)
    {
        ASSERT_EQ(engine.Load(path, false), 0);
        engine.CutOutPages();
    }

    QTemporaryDir dir;
    ScopedSettingsLocation settings{dir.filePath(QStringLiteral("settings"))};
    ScopedScreenZoom zoom{1.0f};
    ScopedUiDurationScale fast{0.0};
    QuickMessageBoxSpy toasts;
};

} // namespace printtest
