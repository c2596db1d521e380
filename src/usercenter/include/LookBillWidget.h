#pragma once
// The read-only views of the invoice applied for on a paid order: CLooPlainBillWidget for a
// plain electronic invoice (with a link to the invoice file once it is issued) and
// CLooIncrementBillWidget for the paper invoices, VAT special and plain (with the postal
// tracking number). Each stands in for the orders page at index 4 of the user-centre stack until
// its back button puts the orders page back.

#include "BusinessRecords.h"

#include <QWidget>

class BlockWidget;
class QLabel;
class QPushButton;
class QTableWidget;

class CLooPlainBillWidget : public QWidget
{
    Q_OBJECT
public:
    // order: the order number shown in the title.
    CLooPlainBillWidget(const BillDetailsInfo& billDetailsInfo, const QString& order, QWidget* parent = nullptr);
    ~CLooPlainBillWidget() override;

    QTableWidget* table() const { return m_table; }
    QPushButton* downloadButton() const { return m_downloadBtn; }
    QPushButton* mailButton() const { return m_mailBtn; }
    QPushButton* backButton() const { return m_backBtn; }

private:
    void initWid(QWidget* wid);
    // "下载电子发票": the invoice file's address, opened by the desktop's handler for web addresses.
    void download();

    BlockWidget* _blockwidget = nullptr;
    BillDetailsInfo m_billDetailsInfo;
    QTableWidget* m_table = nullptr;
    QPushButton* m_downloadBtn = nullptr;
    QPushButton* m_mailBtn = nullptr;
    QPushButton* m_backBtn = nullptr;
};

class CLooIncrementBillWidget : public QWidget
{
    Q_OBJECT
public:
    // type: 0 VAT special paper invoice, any other value plain paper invoice.
    CLooIncrementBillWidget(const BillDetailsInfo& billDetailsInfo, const QString& order, const int& type,
                            QWidget* parent = nullptr);
    ~CLooIncrementBillWidget() override;

    QTableWidget* table() const { return m_table; }
    QLabel* note() const { return m_note; }
    QPushButton* backButton() const { return m_backBtn; }

private:
    void initWid(QWidget* wid);

    BlockWidget* _blockwidget = nullptr;
    BillDetailsInfo m_billDetailsInfo;
    int m_type = 0;
    QTableWidget* m_table = nullptr;
    QLabel* m_note = nullptr;
    QPushButton* m_backBtn = nullptr;
};
