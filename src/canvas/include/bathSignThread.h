#pragma once
// The worker of a batch or cross-page signing run: adds the seal fields to a second engine
// opened on the document, arms one signature value shared by all of them and saves the result
// into a new file, while the view waits in its progress dialog.
//
// Beside it, the arithmetic of a run that the view and the worker share: which pages receive
// a field, how a cross-page seal picture is cut into slices, and the suggested file name.

#include <QByteArray>
#include <QList>
#include <QMutex>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QThread>
#include <QVector>

class PdfEngine;

namespace batchplan {

// Sign types and page modes as the seal panel sends them.
enum { SignSingle = 0, SignBatch = 1, SignCrossPage = 2 };
enum { PagesAll = 0, PagesRange = 1, PagesOdd = 2, PagesEven = 3 };

// The pages that receive a field, in signing order, for a document of pageCount pages (1-based
// range minPage..maxPage). A page of a two-sided cross-page seal (qfMode != 0) that gets both
// halves is listed twice: the left half at its right edge first, then the right half.
QList<int> fieldPages(int signMode, int signPageMode, int qfMode, int minPage, int maxPage, int pageCount);

// The distinct pages of fieldPages in order: what a run counts its progress by.
QList<int> distinctPages(const QList<int>& fieldPages);

// How a one-sided cross-page seal is cut: one slice per page of the range, across each page's
// right edge.
struct Slices {
    bool usable = false;      // at least two slices of at least one pixel each
    int capPages = 0;         // > 0: the picture covers at most this many pages and the range
                              // was cut to them (the user is asked first)
    int maxPage = 0;          // the range's last page after a cut
    int count = 0;            // slices = pages
    QVector<QRect> rects;     // pixel rectangles of the picture, in page order
    double w = 0;             // width given to every field (equal slices)
    bool isScale = false;     // the first page takes a share of the seal
    float scale = 0;          // the first page's fraction of the seal width
    float sscale = 0;         // the width of each further slice (seal units)
};
// W x H: the picture's pixels; sealWidth: the seal's width in page units. Equal slices, or with
// firstPageShare the first page takes sharePercent of the picture and the rest is shared out.
Slices oneSideSlices(int W, int H, double sealWidth, int minPage, int maxPage, bool firstPageShare, int sharePercent);

// The file name suggested for a run's result: folder + "/" + the document's file name with
// "_" + modeName + "_" + signName inserted before its last ".pdf".
QString suggestedFileName(const QString& folder, const QString& documentFileName, const QString& modeName,
                          const QString& signName);

} // namespace batchplan

class bathSignThread : public QThread
{
    Q_OBJECT
public:
    explicit bathSignThread(QObject* parent = nullptr);
    ~bathSignThread() override;

    // The page range of the run (1-based); set once when the thread is made.
    void setPageRange(int minPage, int maxPage)
    {
        m_minPage = minPage;
        m_maxPage = maxPage;
    }

    // Stores what the run needs; called once before start().
    void doWork(QPoint p, const QString& customTag, QByteArray image, double w, double h, QByteArray cert,
                QString certsn, QString docName, QString sealName, QString sealCode, QString sealUnitName,
                QString sealrecordUnitName, QString sealrecordTime, QString savename, PdfEngine* engine, int signMode,
                int signPageMode, QByteArray rimage, QPoint rp, int qfMode, bool isAllPages,
                QList<QByteArray> imageArrays, bool isScale, float scale, float sscale);

    // The pages that received a field in the last run (a page twice when it got both halves).
    QList<int> pageList() const { return m_pageList; }

signals:
    // After each page handled: page is the count of pages handled so far, total the pages of
    // the run, so the count runs 1 / n ... n / n.
    void resultReady(int page, int total);
    void sigStartSave();
    // Adding or arming the fields failed; nothing is saved.
    void sigErrorCode(int code);
    void executeresult(int code, QString path);
    void sendPageLists(QList<int> pages);

public slots:
    // Asks the run to skip its save (read once, before saving).
    void stop();

protected:
    void run() override;

private:
    bool m_stop = false;
    QPoint m_p;
    QByteArray m_image;
    double m_w = 0, m_h = 0;
    QByteArray m_cert;
    QString m_certsn;
    QString m_docName;
    QString m_sealName, m_sealCode, m_sealUnitName, m_sealrecordUnitName, m_sealrecordTime;
    QString m_saveName;
    QString m_customTag;
    QMutex m_mutex;
    PdfEngine* m_engine = nullptr;
    QList<int> m_pageList;
    int m_signPageMode = 0, m_signMode = 0;
    int m_minPage = 1, m_maxPage = 1;
    QByteArray m_rimage;
    QPoint m_rp;
    int m_qfMode = 0;
    bool m_isAllPages = false;
    QList<QByteArray> m_imageArrays;
    bool m_isScale = false;
    float m_scale = 0, m_sscale = 0;
};
