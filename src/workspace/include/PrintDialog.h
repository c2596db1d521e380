#pragma once
// Printing a document: the print dialog (printer, paper, copies, orientation, colour, content,
// range of pages, one-page preview), the thread that renders the chosen pages at the printer's
// resolution and draws them onto the printer one at a time, and the progress box of a run,
// whose cancel button stops the run before the next page.

#include "ParentDialog.h"
#include "vq-pdf.h"

#include <QPageSize>
#include <QPainter>
#include <QPointer>
#include <QPrinter>
#include <QSizeF>
#include <QStringList>
#include <QThread>

class NativeBufferImage;
class PdfEngine;
class PrintPreView;
class ProgressDlg;
class QAbstractButton;
class QButtonGroup;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;

// Pixels per point that fit a page of pageSize (points) into area (pixels), or 0 when either is
// empty, negative or not finite: a caller then renders nothing.
float fitPageZoom(const QSizeF& pageSize, const QSizeF& area);
// The engine's render type for a content choice: 0 all, 1 document only, 2 annotations only;
// anything else all.
vq_pixmap_render_type renderTypeForContent(int content);

// Pages from..to (1-based, from <= to) to print; empty when nothing is to be printed.
struct PrintRange
{
    int from = 0;
    int to = 0;
    bool isEmpty() const { return from < 1 || to < from; }
    int count() const { return isEmpty() ? 0 : to - from + 1; }
};

// Which pages a range choice prints: 0 all pages, 1 the current page, 2 the typed text ("4",
// "2-9", "7-3": numbers limited to 1..pageCount, a reversed pair swapped; an empty side prints
// nothing; more than one hyphen prints page 1).
PrintRange printRangeFor(int choice, const QString& text, int pageCount, int currentPage);

// The system's print service as the dialog sees it: its printers, their paper sizes and the
// set-up of a printer object for a chosen printer. The default one asks Qt's print support;
// tests install their own.
class PrintService
{
public:
    virtual ~PrintService() = default;
    virtual QStringList availablePrinterNames() const;
    virtual QString defaultPrinterName() const;
    virtual QList<QPageSize> supportedPageSizes(const QString& printerName) const;
    // Directs the printer to the named printer (the first setting of a new print run).
    virtual void selectPrinter(QPrinter* printer, const QString& printerName) const;

    static PrintService* instance();
    // Replaces the service (null restores the default); the caller keeps ownership.
    static void setInstance(PrintService* service);
};

// Renders page index (1-based) of engine to fit pagerect (printer pixels; turned by 90 degrees
// for landscape) and draws it at the painter's origin. Returns the image (the caller deletes
// it), or null when nothing was rendered (an empty page box or page rectangle, or an engine
// failure): that page stays blank.
NativeBufferImage* createPrintImage(PdfEngine* engine, int index, QPrinter::ColorMode mode,
                                    QPrinter::Orientation orient, QRect pagerect, float rotate,
                                    vq_pixmap_render_type renderType, vq_pixmap_render_colorspace renderColorSpace,
                                    QPainter* painter);

// One print run: draws the printer's pages fromPage..toPage on the painter, which the GUI thread
// has begun on the printer, and ends the painter. requestInterruption() stops it before the
// next page; the job is then aborted instead of completed.
class printThread : public QThread
{
    Q_OBJECT
public:
    explicit printThread(QObject* parent = nullptr);

    void doWork(QPrinter* printer, int conetent, QPainter* painter, PdfEngine* engine);
    // After the run: how many pages were drawn and whether it stopped before the last one.
    int pagesDrawn() const { return m_pagesDrawn; }
    bool cancelled() const { return m_cancelled; }

signals:
    // Page v of total has been drawn.
    void resultReady(int v, int total);

protected:
    void run() override;

private:
    QPrinter* m_printer = nullptr;
    int m_conetent = 0;
    QPainter* m_painter = nullptr;
    PdfEngine* m_engine = nullptr;
    int m_pagesDrawn = 0;
    bool m_cancelled = false;
};

class PrintDialog : public ParentDialog
{
    Q_OBJECT
public:
    // How the last run ended.
    enum RunResult { RunNone, RunCompleted, RunCancelled, RunFailed };

    PrintDialog(QWidget* parent, PdfEngine* engine, int pageNo);
    ~PrintDialog() override;

    // Fills the printer and paper boxes from the print service.
    void initPrinter();
    // Prints the printer's page range with the content choice (0 all, 1 document, 2
    // annotations); returns when the run has ended.
    void printDoc(QPrinter* printer, int printcontent);

    RunResult lastRunResult() const { return m_lastResult; }
    PrintPreView* preview() const { return m_preView; }
    QComboBox* printerBox() const { return m_printercombox; }
    QComboBox* paperBox() const { return m_papersizecombox; }
    QComboBox* contentBox() const { return m_PrintOptionscombox; }
    QLineEdit* copiesEdit() const { return m_lineEdit; }
    QPushButton* copiesPlus() const { return m_btnadd; }
    QPushButton* copiesMinus() const { return m_btnsub; }
    QToolButton* landscapeButton() const { return m_btnh; }
    QToolButton* portraitButton() const { return m_btnv; }
    QToolButton* grayButton() const { return m_btngray; }
    QToolButton* colorButton() const { return m_btncolor; }
    QToolButton* allPagesButton() const { return m_tAll; }
    QToolButton* currentPageButton() const { return m_tCurrent; }
    QToolButton* rangeButton() const { return m_tCustom; }
    QLineEdit* rangeEdit() const { return m_exampleEdit; }
    QLabel* rangeHint() const { return m_hit; }
    QLineEdit* pageEdit() const { return m_linePagego; }
    QLabel* totalPageLabel() const { return m_totalPage; }
    QPushButton* prePageButton() const { return m_prePageButton; }
    QPushButton* nextPageButton() const { return m_nextPageButton; }
    QLabel* paperSizeLabel() const { return m_showsize; }
    QToolButton* printButton() const { return m_print; }
    ProgressDlg* progressDialog() const { return m_progressDlg; }
    QPageSize::PageSizeId pageSizeId() const { return m_pagesize; }
    QSizeF paperSizeMillimetres() const { return m_printSizef; }
    // The range the dialog's controls choose now.
    PrintRange chosenRange() const;

public slots:
    void printerChange(const QString& name);
    void pagesizeChange(const QString& pagesize);
    void optionsChange(int index);
    void orientGroupclick(QAbstractButton* button);
    void colorGroupclick(QAbstractButton* button);
    void pageGroupclick(QAbstractButton* button);
    void digitEdit();
    void nextPage();
    void prePage();
    void editFinished();
    void PrintDocument();
    void progresslots(int v, int total);
    void ThreadStop();
    // The progress box's cancel: the run stops before its next page.
    void cancelPrinting();

private:
    void fillPaperBox(const QString& printerName);

    PrintPreView* m_preView = nullptr;
    QComboBox* m_printercombox = nullptr;
    QComboBox* m_papersizecombox = nullptr;
    QComboBox* m_PrintOptionscombox = nullptr;
    QLineEdit* m_lineEdit = nullptr;
    QPushButton* m_btnadd = nullptr;
    QPushButton* m_btnsub = nullptr;
    QToolButton* m_btnh = nullptr;
    QToolButton* m_btnv = nullptr;
    QToolButton* m_btngray = nullptr;
    QToolButton* m_btncolor = nullptr;
    QToolButton* m_tAll = nullptr;
    QToolButton* m_tCurrent = nullptr;
    QToolButton* m_tCustom = nullptr;
    QButtonGroup* m_orientGroup = nullptr;
    QButtonGroup* m_colorGroup = nullptr;
    QButtonGroup* m_pageGroup = nullptr;
    QLineEdit* m_exampleEdit = nullptr;
    QLabel* m_hit = nullptr;
    QLineEdit* m_linePagego = nullptr;
    QLabel* m_totalPage = nullptr;
    QPushButton* m_prePageButton = nullptr;
    QPushButton* m_nextPageButton = nullptr;
    QLabel* m_showsize = nullptr;
    QToolButton* m_print = nullptr;
    QPageSize::PageSizeId m_pagesize = QPageSize::A4;
    QSizeF m_printSizef = QSizeF(-1, -1);
    QPointer<printThread> m_workerThread;
    ProgressDlg* m_progressDlg = nullptr;
    QPainter m_painter;
    QPrinter* m_runPrinter = nullptr;
    RunResult m_lastResult = RunNone;
};
