#pragma once
// The signature list of one document tab (the side panel's page "签名列表"): the signatures in
// the document, verified once when the tab opens on a verification thread, or reported by the
// canvas right after the user signed; and the contract seals placed but not yet signed. Each
// verified signature shows the icon of its verdict; the end of the pass shows a summary.

#include "DisplayModel.h"
#include "PdfEngine.h"

#include <QMap>
#include <QPointer>
#include <QThread>
#include <QVariant>
#include <QVector>
#include <QWidget>

#include <atomic>
#include <functional>

class QAction;
class QLabel;
class QListWidget;
class QListWidgetItem;
class QMenu;
class QProgressBar;
class SignItem;

// Counts a document's form fields and, when there are some and the document may be signed, runs
// one batch verification of its signature fields: off the GUI thread, on a document of its own
// opened from the bytes of the tab's engine, so that neither the count (which reads every page)
// nor the checks hold up the tab. It holds the tab's engine, which its owner keeps alive until
// the thread has ended; destroying the thread stops the pass (see stop) and waits for it.
class VerifyThread : public QThread
{
    Q_OBJECT
public:
    explicit VerifyThread(QObject* parent = nullptr);
    ~VerifyThread() override;

    // The engine to verify (not owned); the integer is not used.
    void doTask(PdfEngine* engine, int);
    // Ends the pass after the current field, and cuts short a service request that field waits
    // for (its wait ends as the thread's event loops are told to quit).
    void stop();

signals:
    // The number of form-field widgets on all pages, before any result (worker thread).
    void fieldCount(int count);
    // One result of the engine's pass (emitted on the worker thread).
    void resultReady(int id, int ret, CVerifyResult result, ToolSignatureInfo info);

protected:
    void run() override;

private:
    PdfEngine* m_engine = nullptr;
    std::atomic<bool> m_stop{false};
};

class SignatureListWidget : public QWidget
{
    Q_OBJECT
public:
    // Verdict codes of the engine's batch verification.
    enum Verdict { Invalid = 0, Valid = 1, TypeUnknown = 2, Unsupported = -1, Unsigned = -2 };
    // Row kinds (kept in Qt::UserRole + 1) and the roles of the row data.
    enum RowKind { SignatureRow = 0, PlacedSealRow = 1 };
    enum Roles { KindRole = Qt::UserRole + 1, UuidRole = Qt::UserRole + 2, FieldNameRole = Qt::UserRole + 4 };

    // dm: the tab's thumbnail model; the list keeps its engine. Starts the thread that counts
    // the document's form fields and verifies its signatures when it may be signed, once the
    // events already waiting (the tab's first paint among them) have run.
    SignatureListWidget(QWidget* parent, DisplayModel* dm);
    ~SignatureListWidget() override;

    // Whether the document has form fields; false until the count is known (signatureCountKnown).
    bool hasSignature() const { return m_signCount != 0; }

    // The picture and summary text of a verdict (empty for codes outside the table).
    static QString verdictIcon(int code);
    static QString verdictSummary(int code);

    // Read-outs for the workspace and tests.
    QListWidget* listWidget() const { return m_listWidget; }
    QProgressBar* progressBar() const { return m_progress; }
    QLabel* summaryIcon() const { return m_imageLabel; }
    QLabel* summaryText() const { return m_textLabel; }
    QString summaryIconPath() const { return m_summaryIconPath; }
    VerifyThread* verifyThread() { return &m_verifyThread; }
    QVector<int> results() const { return m_resultVec; }
    bool isVerifying() const { return m_verifying; }

protected:
    bool event(QEvent* event) override;

public:
    // Test seam: runs the list's context menu instead of QMenu::exec (returns the chosen action,
    // or null for none).
    static void setMenuRunner(std::function<QAction*(QMenu&)> runner);

signals:
    // A 1-based page and a point of it in page space.
    void gotoPage(int page, QPoint pt);
    void verifySignatureSignal(QString t);
    void deleteItemSignature(QString uuid);
    // The form fields have been counted (before any verification result).
    void signatureCountKnown(int count);
    // The thread has ended (after the last result).
    void verificationFinished();

public slots:
    // Type 0: a signature just applied (ToolSignatureInfo); type 1: a contract seal just placed
    // (SignItem*).
    void addSignatureToList(int type, QVariant variant);
    // Type 0 by field name, type 1 by the placed seal's uuid.
    void deleteSignatureToList(int type, QString uuid);
    void customContextMenuRequested(const QPoint& ps);
    // The count arrived: a pass follows when there are fields and the document may be signed.
    void handleFieldCount(int count);
    void handleResult(int item, int ret, CVerifyResult result, ToolSignatureInfo info);
    void onFinish();

private:
    // The posted event that starts the thread.
    static int startEventType();
    void itemClicked_Slot(QListWidgetItem* item);
    void gotoSignature(int type, QListWidgetItem* item);
    void verifySignature(QListWidgetItem* item);
    void verifyFinished(int item, int ret, CVerifyResult result, ToolSignatureInfo info);
    void removeRow(QListWidgetItem* item);
    void hideSummaryWhenEmpty();
    static QAction* runMenu(QMenu& menu);

    int m_signCount = 0;
    QListWidget* m_listWidget = nullptr;
    QLabel* m_imageLabel = nullptr;
    QLabel* m_textLabel = nullptr;
    DisplayModel* _dm = nullptr;
    QProgressBar* m_progress = nullptr;
    VerifyThread m_verifyThread;
    QVector<int> m_resultVec;
    QMap<QListWidgetItem*, ToolSignatureInfo> m_toolItemMap;
    // The seal items belong to the canvas, which may remove them first.
    QMap<QListWidgetItem*, QPointer<SignItem>> m_signItemMap;
    // The document's engine, taken from the model at construction: the thumbnail model may go
    // before the list does.
    PdfEngine* m_engine = nullptr;
    QString m_summaryIconPath;
    bool m_canSign = false;
    bool m_passRuns = false;
    bool m_verifying = false;
};
