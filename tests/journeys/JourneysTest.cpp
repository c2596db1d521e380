// Journeys through the real application under a real X server: logging in, opening documents
// from the home page, signing with the seal panel and the keypad, batch and cross-page seals into
// new files, a session the service rejects in the middle of work, and printing. What each journey
// writes is checked with the engine and, independently, with OpenSSL.
#include "JourneySupport.h"

#include "PrintDialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QImage>
#include <QSpinBox>

using namespace journey;

namespace {

using Journeys = Journey;

// Log in from the login window, open a PDF from the home page, put the company's seal on page 1
// from the seal panel (a person's panel lists only the seals of USB keys for a local document) and type the signing password on the keypad: the file on disk is signed,
// the signature list shows it valid; closed and opened again, it is still valid.
TEST_F(Journeys, SignAFileWithTheSealPanelAndReopenIt)
{
    start();
    shoot("01_home.png");
    logIn(kCompany);
    const QString path = write(QStringLiteral("合同.pdf"), pagesDocument(2));
    const std::string original = fixture::readFile(path.toStdString());
    openFromHome(path);

    press(tools()->getSignatureTbn());
    ASSERT_FALSE(panel()->isHidden());
    ShowSealCellWidget* seal = row();
    ASSERT_TRUE(seal);
    QTest::mouseClick(seal->signButton(), Qt::LeftButton);
    shoot("02_seal_panel.png");
    keypadShot = "03_keypad.png";
    clickPage(1, QPointF(200, 250));
    EXPECT_EQ(1, keypads);
    EXPECT_TRUE(boxes.isEmpty()) << boxes.join("\n").toStdString();

    // Saved at once, over the file it came from, as an incremental update.
    const std::string signedFile = fixture::readFile(path.toStdString());
    ASSERT_GT(signedFile.size(), original.size());
    EXPECT_EQ(0, signedFile.compare(0, original.size(), original));
    EXPECT_TRUE(opensslVerified(signedFile, myCert()));
    const QList<Verified> verdicts = verifyFile(path);
    ASSERT_EQ(1, verdicts.size());
    EXPECT_EQ(SignatureListWidget::Valid, verdicts[0].code);
    EXPECT_EQ(0, verdicts[0].pageno);

    SignatureListWidget* list = showSignatureList();
    ASSERT_TRUE(waitUntil([&] { return list->listWidget()->count() == 1; }));
    shoot("04_signed.png");
    // The row's two lines, the signer and the signing time, fit in it.
    {
        QListWidget* rows = list->listWidget();
        const QStringList lines = rows->item(0)->text().split("\r\n");
        EXPECT_EQ(2, lines.size());
        EXPECT_LE(QFontMetrics(rows->font()).lineSpacing() * lines.size(), rows->visualItemRect(rows->item(0)).height());
    }

    // Closed (nothing to ask: the file is saved) and opened again: verified valid.
    closeCurrentTab();
    ASSERT_TRUE(waitUntil([&] { return window->signPage()->tabWidget()->count() == 0; }));
    EXPECT_EQ(Orvessa::HomePageId, window->stackWidget()->currentIndex());
    openFromHome(path);
    list = showSignatureList();
    ASSERT_TRUE(waitUntil([&] { return list->results().size() == 1 && !list->isVerifying(); }, 20000));
    EXPECT_EQ(QVector<int>{SignatureListWidget::Valid}, list->results());
    EXPECT_EQ(SignatureListWidget::verdictIcon(SignatureListWidget::Valid), list->summaryIconPath());
    shoot("05_reopened_valid.png");
    EXPECT_EQ(signedFile, fixture::readFile(path.toStdString()));
    EXPECT_TRUE(boxes.isEmpty()) << boxes.join("\n").toStdString();
}

// The company's seal on the odd pages of a 7-page document as a batch into a new file, then a
// cross-page seal over pages 2 to 5 into another: both verify, and the source is untouched.
TEST_F(Journeys, BatchAndCrossPageSealsIntoNewFiles)
{
    start();
    logIn(kCompany);
    const QString source = write("seven.pdf", pagesDocument(7));
    const std::string original = fixture::readFile(source.toStdString());
    openFromHome(source);
    QString target;
    Canvas::setSaveFileChooser([&](QWidget*, const QString&, const QString&, const QString&) { return target; });

    press(tools()->getSignatureTbn());
    ASSERT_FALSE(panel()->isHidden());
    // Batch, odd pages.
    QTest::mouseClick(panel()->signTypeGroup()->button(1), Qt::LeftButton);
    panel()->pageModeBox()->setCurrentIndex(2);
    ASSERT_EQ(2, RightToolBar::rows(panel()->sealListWidget()).size());
    ShowSealCellWidget* seal = RightToolBar::rows(panel()->sealListWidget()).at(1);
    QTest::mouseClick(seal->signButton(), Qt::LeftButton);
    shoot("06_batch_panel.png");
    target = dir.filePath("odd.pdf");
    clickPage(2, QPointF(200, 250));
    // The new file takes the place of the source in its tab.
    ASSERT_TRUE(waitUntil([&] { return currentFile() == target; }, 20000));
    EXPECT_EQ(1, window->signPage()->tabWidget()->count());
    EXPECT_TRUE(boxes.isEmpty()) << boxes.join("\n").toStdString();
    EXPECT_EQ(original, fixture::readFile(source.toStdString()));

    QByteArray cert = myCert();
    {
        const std::string written = fixture::readFile(target.toStdString());
        EXPECT_EQ(0, written.compare(0, original.size(), original));
        EXPECT_TRUE(opensslVerified(written, cert));
        QList<int> pages;
        for (const Verified& v : verifyFile(target))
        {
            pages << v.pageno + 1;
            EXPECT_EQ(SignatureListWidget::Valid, v.code);
        }
        std::sort(pages.begin(), pages.end());
        EXPECT_EQ(QList<int>({1, 3, 5, 7}), pages);
    }
    shoot("07_batch_opened.png");

    // The source opened again: a cross-page seal over pages 2 to 5.
    openFromHome(source);
    ASSERT_EQ(0, frame()->engine()->DocumentSignatureCount());
    press(tools()->toolButton(MS_Hand));
    press(tools()->getSignatureTbn());
    ASSERT_FALSE(panel()->isHidden());
    QTest::mouseClick(panel()->signTypeGroup()->button(2), Qt::LeftButton);
    if (panel()->allPagesBox()->isChecked())
        QTest::mouseClick(panel()->allPagesBox(), Qt::LeftButton, Qt::NoModifier, QPoint(4, panel()->allPagesBox()->height() / 2));
    ASSERT_FALSE(panel()->allPagesBox()->isChecked());
    for (auto [box, value] : {std::pair<QSpinBox*, int>{panel()->maxPageBox(), 5}, {panel()->minPageBox(), 2}})
    {
        box->setFocus();
        box->selectAll();
        QTest::keyClicks(box, QString::number(value));
        QTest::keyClick(box, Qt::Key_Tab);
        EXPECT_EQ(value, box->value());
    }
    seal = RightToolBar::rows(panel()->sealListWidget()).at(1);
    QTest::mouseClick(seal->signButton(), Qt::LeftButton);
    shoot("08_cross_page_panel.png");
    target = dir.filePath("cross.pdf");
    clickPage(3, QPointF(200, 250));
    ASSERT_TRUE(waitUntil([&] { return currentFile() == target; }, 20000));
    EXPECT_EQ(2, window->signPage()->tabWidget()->count());
    EXPECT_TRUE(boxes.isEmpty()) << boxes.join("\n").toStdString();
    shoot("09_cross_page_opened.png");

    const std::string written = fixture::readFile(target.toStdString());
    EXPECT_EQ(0, written.compare(0, original.size(), original));
    EXPECT_TRUE(opensslVerified(written, cert));
    QSet<int> pages;
    const QList<Verified> fields = verifyFile(target);
    EXPECT_GE(fields.size(), 4);
    for (const Verified& v : fields)
    {
        pages << v.pageno + 1;
        EXPECT_EQ(SignatureListWidget::Valid, v.code);
    }
    EXPECT_EQ(QSet<int>({2, 3, 4, 5}), pages);
    EXPECT_EQ(original, fixture::readFile(source.toStdString()));
}

// A session the service rejects while the user works on a changed document: the warning, the
// logout, the question about the changed document before its tab closes; the change is saved.
TEST_F(Journeys, RejectedSessionAsksBeforeTheChangedDocumentCloses)
{
    start();
    logIn(kCompany);
    const QString path = write("notes.pdf", pagesDocument(2));
    const std::string original = fixture::readFile(path.toStdString());
    openFromHome(path);

    // A stroke of the pen on page 1.
    QAbstractButton* pen = tools()->toolButton(MS_Pen);
    ASSERT_TRUE(pen);
    QTest::mouseClick(pen, Qt::LeftButton, Qt::NoModifier, QPoint(6, pen->height() / 2));
    ASSERT_EQ(MS_Pen, frame()->canvas()->GetMouseState());
    Canvas* canvas = frame()->canvas();
    QWidget* surface = canvas->paintSurface();
    const QPoint from = canvas->AsFixed()->CvtToScreen(1, QPointF(100, 300), true).toPoint();
    QTest::mousePress(surface, Qt::LeftButton, Qt::NoModifier, from);
    for (int i = 1; i <= 8; i++)
    {
        const QPoint p = from + QPoint(i * 20, (i % 2) * 30);
        QMouseEvent move(QEvent::MouseMove, QPointF(p), QPointF(surface->mapToGlobal(p)), Qt::NoButton,
                         Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(surface, &move);
    }
    QTest::mouseRelease(surface, Qt::LeftButton, Qt::NoModifier, from + QPoint(160, 0));
    ASSERT_TRUE(waitUntil([&] { return frame()->engine()->DocumentChanged(); }));
    shoot("10_changed_document.png");

    // The service forgets every session; the seal panel's request for the company's seals is
    // refused.
    standin.withState([](StandinState& s) { s.sessions.clear(); });
    QStringList order;
    beforeAnswer = [&](MMessageBox& box) {
        order << (box.standardButtons().testFlag(QDialogButtonBox::Yes) ? "question" : "warning");
        if (order.size() == 1)
            shoot("11_session_rejected.png");
    };
    press(tools()->getSignatureTbn());
    ASSERT_TRUE(waitUntil([&] { return window->signPage()->tabWidget()->count() == 0; }));
    EXPECT_EQ(0, window->loginState());
    EXPECT_EQ(QStringList({"warning", "question"}), order) << boxes.join("\n").toStdString();
    EXPECT_EQ(0, keypads);
    shoot("12_logged_out.png");

    // Nothing lost: the stroke was saved into the file, after the bytes it had.
    const std::string saved = fixture::readFile(path.toStdString());
    ASSERT_GT(saved.size(), original.size());
    EXPECT_EQ(0, saved.compare(0, original.size(), original));
    PdfEngine reader;
    ASSERT_EQ(0, reader.Load(path, false, nullptr));
    EXPECT_NE(std::string::npos, saved.find("/Ink"));
}

// Printers of the test's own that print into a PDF file.
class FilePrinter : public PrintService
{
public:
    QStringList availablePrinterNames() const override { return {"Office"}; }
    QString defaultPrinterName() const override { return "Office"; }
    QList<QPageSize> supportedPageSizes(const QString&) const override { return {QPageSize(QPageSize::A4)}; }
    void selectPrinter(QPrinter* printer, const QString&) const override
    {
        printer->setOutputFormat(QPrinter::PdfFormat);
        printer->setOutputFileName(output);
    }
    QString output;
};

// A page rendered at half size, its top-left part of size `part` (points) when given, as a gray
// image of 80 x 100 pixels.
QImage grayPage(PdfEngine& engine, int page, QSizeF part = QSizeF())
{
    std::unique_ptr<NativeBufferImage> img(engine.RenderBitmap(page, 0.5f, 0, VQ_RENDER_ALL, VQ_COLORSPACE_RGB, nullptr));
    if (!img)
        return QImage();
    QImage out = part.isEmpty() ? QImage(*img) : img->copy(0, 0, int(part.width() * 0.5), int(part.height() * 0.5));
    return out.convertToFormat(QImage::Format_Grayscale8).scaled(80, 100, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

double difference(const QImage& a, const QImage& b)
{
    double sum = 0;
    for (int r = 0; r < 100; r++)
        for (int c = 0; c < 80; c++)
            sum += std::abs(qGray(a.pixel(c, r)) - qGray(b.pixel(c, r)));
    return sum / 8000;
}

// Pages 2 and 3 of a document printed from the tool bar into a PDF file.
TEST_F(Journeys, PrintPagesTwoAndThreeToAFile)
{
    FilePrinter printer;
    printer.output = dir.filePath("printed.pdf");
    PrintService::setInstance(&printer);
    start();
    const QString path = write("five.pdf", pagesDocument(5));
    openFromHome(path);
    bool ran = false;
    driver.on<PrintDialog>([&](PrintDialog* d) {
        QTest::mouseClick(d->rangeButton(), Qt::LeftButton);
        d->rangeEdit()->selectAll();
        QTest::keyClicks(d->rangeEdit(), "2-3");
        shoot("13_print_dialog.png");
        QTest::mouseClick(d->printButton(), Qt::LeftButton);
        ran = d->lastRunResult() == PrintDialog::RunCompleted;
        d->reject();
    });
    QTest::mouseClick(tools()->printButton(), Qt::LeftButton);
    PrintService::setInstance(nullptr);
    EXPECT_EQ(1, driver.count<PrintDialog>());
    EXPECT_TRUE(ran);

    PdfEngine printed, doc;
    ASSERT_EQ(0, printed.Load(printer.output, false, nullptr));
    ASSERT_EQ(0, doc.Load(path, false, nullptr));
    printed.CutOutPages();
    doc.CutOutPages();
    ASSERT_EQ(2, printed.PageCount());
    // Each printed page (the 400 x 500 page fitted to A4 at its top left) looks most like the
    // page of the document it came from.
    const double fit = std::min(595.0 / 400, 842.0 / 500);
    for (int k = 1; k <= 2; k++)
    {
        const QImage out = grayPage(printed, k, QSizeF(400 * fit, 500 * fit));
        int best = 0;
        double bestDiff = 1e9;
        for (int p = 1; p <= doc.PageCount(); p++)
            if (difference(out, grayPage(doc, p)) < bestDiff)
            {
                bestDiff = difference(out, grayPage(doc, p));
                best = p;
            }
        EXPECT_EQ(k + 1, best);
        EXPECT_LT(bestDiff, 8.0);
    }
    EXPECT_TRUE(boxes.isEmpty()) << boxes.join("\n").toStdString();
}

} // namespace
