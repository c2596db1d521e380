#pragma once
// The invoice application form of one paid order, and the page that confirms a sent application.
//
// The amount decides the invoices on offer: below 1000 only a plain electronic invoice, sent by
// e-mail; from 1000 on a VAT special paper invoice or a plain paper invoice, sent by post. The
// form checks the required fields of the chosen type, asks for confirmation and sends the
// application; on success the confirmation page takes the form's place. A refused or cancelled
// submission keeps everything typed.
//
// Both stand in for the orders page at index 4 of the user-centre stack; their back buttons put
// the orders page back.

#include <QWidget>

class BlockWidget;
class LoadingWidget;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QTextEdit;

class CApplyBillWidget : public QWidget
{
    Q_OBJECT
public:
    // Invoice types, as stored with the type entries and sent.
    enum BillType { VatSpecialPaper = 0, PlainElectronic = 1, PlainPaper = 2 };

    // order: the order number; money: the order's amount as text (not a number counts as 0).
    CApplyBillWidget(const QString& order, const QString& money, QWidget* parent = nullptr);
    ~CApplyBillWidget() override;

    bool eventFilter(QObject* watched, QEvent* event) override;

    // True when the amount is below 1000: an electronic invoice only.
    bool electronicOnly() const { return isMoney; }
    QString orderCode() const { return m_OrderCode; }

    QComboBox* typeBox() const { return m_typeBox; }
    QLineEdit* titleField() const { return m_titleEdit; }
    QLineEdit* taxIdField() const { return m_taxIdEdit; }
    QLineEdit* mailboxField() const { return mailboxLineedit; }
    QLineEdit* bankField() const { return accBankLineEdit; }
    QLineEdit* accountField() const { return accLineedit; }
    QLineEdit* companyPhoneField() const { return m_companyPhoneEdit; }
    QLineEdit* companyAddressField() const { return m_companyAddressEdit; }
    QTextEdit* remarkField() const { return remarkLineEdit; }
    QLabel* remarkCounter() const { return limitLabel; }
    QLineEdit* receiverField() const { return addresseeLineEdit; }
    QLineEdit* receiverPhoneField() const { return addresseePhoneLineEdit; }
    QComboBox* provinceBox() const { return comProvince; }
    QComboBox* cityBox() const { return comCity; }
    QComboBox* countyBox() const { return comCounty; }
    QLineEdit* detailedAddressField() const { return fullAddressLineEdit; }
    QPushButton* submitButton() const { return m_submitBtn; }
    QPushButton* backButton() const { return m_backBtn; }
    QLabel* bankLabel() const { return accBankLabel; }
    QLabel* accountLabel() const { return accLabel; }
    // The required marks of bank, account, company phone, company address and e-mail.
    QList<QLabel*> optionalMarks() const { return {star2, star3, star4, star5, star11}; }
    // The rows of the postal part (line, heading, receiver, phone, region, detailed address).
    QList<QWidget*> postalRows() const;
    QLabel* mailboxCaption() const { return mailboxLabel; }

public slots:
    void billTypeIndexChange(int arg);
    void comProvinceIndexChange(int arg);
    void comCityIndexChange(int arg);
    void remarkTextChanged();

private:
    void initWid(QWidget* wid);
    void submit();
    // Fills box with the regions under parentId; false when they could not be had.
    bool loadRegions(QComboBox* box, int parentId, bool skipFirst);

    BlockWidget* _blockwidget = nullptr;
    QLabel* billSm = nullptr;
    QFrame* frame = nullptr;
    QLabel* star2 = nullptr;
    QLabel* accBankLabel = nullptr;
    QLineEdit* accBankLineEdit = nullptr;
    QLabel* star3 = nullptr;
    QLabel* accLabel = nullptr;
    QLineEdit* accLineedit = nullptr;
    QLabel* star4 = nullptr;
    QLabel* star5 = nullptr;
    QLabel* star11 = nullptr;
    QLabel* mailboxLabel = nullptr;
    QLineEdit* mailboxLineedit = nullptr;
    QWidget* lineWidget = nullptr;
    QLabel* txtRe = nullptr;
    QLabel* star6 = nullptr;
    QLabel* addresseeLabel = nullptr;
    QLineEdit* addresseeLineEdit = nullptr;
    QLabel* star7 = nullptr;
    QLabel* addresseePhoneLabel = nullptr;
    QLineEdit* addresseePhoneLineEdit = nullptr;
    QLabel* star8 = nullptr;
    QLabel* areaLabel = nullptr;
    QLabel* star9 = nullptr;
    QLabel* fullAddressLabel = nullptr;
    QLineEdit* fullAddressLineEdit = nullptr;
    QComboBox* comProvince = nullptr;
    QComboBox* comCity = nullptr;
    QComboBox* comCounty = nullptr;
    QString m_OrderCode;
    QTextEdit* remarkLineEdit = nullptr;
    QLabel* limitLabel = nullptr;
    bool isMoney = false;
    int maxLength = 180;

    QComboBox* m_typeBox = nullptr;
    QLineEdit* m_titleEdit = nullptr;
    QLineEdit* m_taxIdEdit = nullptr;
    QLineEdit* m_companyPhoneEdit = nullptr;
    QLineEdit* m_companyAddressEdit = nullptr;
    QPushButton* m_submitBtn = nullptr;
    QPushButton* m_backBtn = nullptr;
    LoadingWidget* m_submitLoading = nullptr;
};

// "发票申请成功": leads back to the orders page, reloaded.
class CApplyBillSucessWidget : public QWidget
{
    Q_OBJECT
public:
    explicit CApplyBillSucessWidget(QWidget* parent = nullptr);
    ~CApplyBillSucessWidget() override;

    QPushButton* backButton() const { return m_backBtn; }

private:
    void initWid(QWidget* wid);

    BlockWidget* _blockwidget = nullptr;
    QPushButton* m_backBtn = nullptr;
};
