#pragma once
// The outcome of verifying one signature: an overall verdict, one frame each for the document
// check, the signer's certificate, the time stamp and the seal's record trace, and the ways to
// open the signer's and the time-stamp authority's certificates. Two further pages replace the
// result when the verification service failed or when a code prevents verification.

#include "ParentDialog.h"

#include <QByteArray>
#include <QString>

class QFrame;
class QLabel;
class QMovie;
class QPushButton;
class QStackedWidget;

// Time-stamp time in UTC ("Mar 5 02:07:09.123456 2021") to a display text at UTC+8
// ("2021-03-05 10:07:09.123456"); a text that does not convert is returned unchanged.
QString tsatime_to_time(QByteArray time);
// Seconds since 1970 to local time as "yyyy-MM-dd hh:mm:ss".
QString tsatime_to_time1(int it);

class VerifySignatureDialog : public ParentDialog
{
    Q_OBJECT
public:
    explicit VerifySignatureDialog(QWidget* parent = nullptr);
    ~VerifySignatureDialog() override;

    void setError(int errorCode);
    void docVerifyResult(int state, QString docName, QString time, QByteArray signCert, QString signer);
    // state: 0 the signer's certificate leads to a trusted root and was valid when signing;
    // 1 no chain to a trusted root (a warning); 2 not valid at the signing time; 3 both; any
    // other value: not checked (a failure).
    void certVerifyResult(int state);
    void timestapVerifyResult(int state, QByteArray cert, QByteArray time);
    void sourceInfo(QString unitName, QString sealrecordUnit, QString sealrecordTime);
    void result(int nRet);
    void resizeInterface();
    void waitDocVerify();

    // The text shown for an engine code on the error page.
    static QString errorText(int errorCode);

    // For tests and screenshots.
    int currentPage() const;
    QString verdictText() const;
    QString verdictIcon() const { return m_totalIconPath; }
    QLabel* label(const char* name) const;
    QWidget* frame(const char* name) const;
    QByteArray signCert() const { return m_signCert; }
    QByteArray tsCert() const { return m_tsCert; }

    // Test seam: replaces the certificate view (called with the certificate to show).
    using CertViewer = void (*)(const QByteArray& cert);
    static void setCertViewer(CertViewer viewer);

public slots:
    void onFinish();
    void showSignCert();
    void showTsCert();

protected:
    bool eventFilter(QObject* obj, QEvent* event) override;

private:
    QWidget* buildResultPage();
    QWidget* buildNetworkPage();
    QWidget* buildErrorPage();
    QFrame* buildFrame(QWidget* parent, QLabel*& icon, QLabel*& verdict, QFrame*& block, const QString& verdictText,
                       const QString captions[3], QLabel* values[3], QLabel** caption0, bool grid);
    void setIcon(QLabel* label, const QString& name);
    void showCert(const QByteArray& cert);

    bool m_docSucc = false;
    bool m_certSucc = false;
    bool m_certWarn = false;   // the signer's certificate leads to no trusted root
    bool m_timestampSucc = false;
    QStackedWidget* m_contentStacked = nullptr;
    QByteArray m_tsCert;
    QByteArray m_signCert;
    QLabel* m_totalIcon = nullptr;
    QLabel* m_totalResult = nullptr;
    QString m_totalIconPath;
    QLabel* ldoc = nullptr;
    QLabel* m_docIcon = nullptr;
    QLabel* m_docResult = nullptr;
    QLabel* m_docsignedName = nullptr;
    QLabel* m_signedTime = nullptr;
    QLabel* m_docContent = nullptr;
    QFrame* m_docResultBlock = nullptr;
    QLabel* m_certIcon = nullptr;
    QLabel* m_certResult = nullptr;
    QLabel* m_parentCert = nullptr;
    QLabel* m_certrevList = nullptr;
    QLabel* m_certTime = nullptr;
    QFrame* m_certResultBlock = nullptr;
    QLabel* m_tsIcon = nullptr;
    QLabel* m_tsResult = nullptr;
    QLabel* m_timeStamp = nullptr;
    QLabel* m_timeStamptime = nullptr;
    QLabel* m_shawTsaCert = nullptr;
    QFrame* m_tsResultBlock = nullptr;
    QLabel* m_recordIcon = nullptr;
    QLabel* m_recordResult = nullptr;
    QLabel* m_recordCompany = nullptr;
    QLabel* m_recordTime = nullptr;
    QLabel* m_unitName = nullptr;
    QFrame* m_recordResultBlock = nullptr;
    QPushButton* m_btnshowCert = nullptr;
    QPushButton* m_btnCancel = nullptr;
    QFrame* m_docFrame = nullptr;
    QFrame* m_certFrame = nullptr;
    QFrame* m_tsFrame = nullptr;
    QFrame* m_recordFrame = nullptr;
    QMovie* m_waitMovie = nullptr;
    QLabel* m_ErrorText1 = nullptr;
    QLabel* m_ErrorText2 = nullptr;
    QLabel* m_pLabErrorText = nullptr;
};
