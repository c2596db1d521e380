#pragma once
// A small dialog that lists the main fields of one X.509 certificate (version, serial number,
// issuer, subject, validity, public key and six extensions) in a one-column table.

#include <QByteArray>
#include <QDialog>
#include <QString>

#include <openssl/types.h>

class QTableWidget;
class QVBoxLayout;

// The form of the certificate view.
class Ui_CertView
{
public:
    QVBoxLayout* verticalLayout = nullptr;
    QTableWidget* tableWidget = nullptr;

    void setupUi(QWidget* CertView);
    void retranslateUi(QWidget* CertView);
};

class CCertView : public QDialog
{
    Q_OBJECT
public:
    // cert: the Base64 text of the certificate's DER encoding.
    explicit CCertView(const QByteArray& cert, QWidget* parent = nullptr);
    ~CCertView() override;

    // The text of row `row` (empty when the row has no item).
    QString rowText(int row) const;
    QTableWidget* table() const;

    // One attribute of a name with its prefix ("CN = " …); the joined name.
    static QString getTextByNID(X509_NAME* pName, int nid);
    static QString getTextByNID(X509_NAME* pName);

public slots:
    void analysisECCKey(EVP_PKEY* pPubKey);
    void analysisRSAKey(EVP_PKEY* pPubKey);

private:
    void analysisCert(const QByteArray& certData);
    void setRow(int row, const QString& text);

    Ui_CertView* m_ui = nullptr;
};
