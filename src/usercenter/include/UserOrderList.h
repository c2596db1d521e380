#pragma once
// The orders page of the user centre (page 4): the user's package orders, paid or unpaid, in a
// table paged by the service. From each row the user applies for an invoice of a paid order or
// views the invoice applied for, pays an unpaid order by QR code, or deletes the order.
//
// The invoice form and the invoice views take this page's place at index 4 of the user-centre
// stack while they are open; backToOrders() puts the page back.

#include "BusinessRecords.h"

#include <QFrame>
#include <QList>
#include <QModelIndex>

class BlockWidget;
class CPageWidget;
class LoadingWidget;
class QAbstractButton;
class QButtonGroup;
class QToolButton;
class StandardItemModel;
class TableView;

class UserOrderList : public QFrame
{
    Q_OBJECT
public:
    // Filter ids, sent as the order status of the request.
    enum Filter { Unpaid = 0, Paid = 1 };
    // Columns of the table.
    enum Column { CodeColumn, NameColumn, DateColumn, AmountColumn, InvoiceColumn, ActionColumn, ColumnCount };

    explicit UserOrderList(QWidget* parent = nullptr);
    ~UserOrderList() override;

    // Reloads page 1 of the current filter.
    void showInfo();
    // false: the next table fill shows the orders already loaded instead of requesting them.
    void setPageBtn(bool isPageBtn);
    // Fills the table and the row buttons from the orders of the page on display.
    void fillTableView();

    // Puts the orders page back at index 4 of the user-centre stack in place of screen (an
    // invoice form, its success page or an invoice view), shows it and releases the screen.
    static void backToOrders(QWidget* screen);

    TableView* table() const { return m_tableView; }
    StandardItemModel* model() const { return m_dataModel; }
    CPageWidget* pageBar() const { return pageWidget; }
    QAbstractButton* filterButton(int id) const;
    LoadingWidget* loading() const { return m_loading; }
    // The first (invoice or payment) or second (delete) button of a table row, or null.
    QToolButton* rowButton(int row, int which) const;
    QList<PackageOrderInfo> orders() const { return packageOrderInfo; }
    int rowsPerPage() const { return curNums; }
    int filter() const { return m_btnId; }

public slots:
    // The paging bar selected page curPagenum (0-based) with nums rows per page.
    void setTableData(const int& nums, const int& curPagenum);
    // The paging bar's rows-per-page choice changed to nums.
    void setComBoxData(const int& nums, const int& curPagenum);
    // A filter button was clicked: 1 paid, 0 unpaid.
    void onButtonClicked(int id);
    // The pointer entered a cell of the table.
    void on_tableView_entered(const QModelIndex& index);
    // The first button of a row: "申请发票", "查看发票" or "去支付".
    void applyBillBtnClicked();
    // The second button of a row: "删除".
    void deleteOrderBtnClicked();

private:
    // Asks for page `page` (1-based) of the current filter with `rows` rows into packageOrderInfo.
    bool requestPage(int rows, int page);
    // No orders: an empty table and a paging bar rebuilt from the answer.
    void showEmpty();
    // The order of the row whose button sent a click, while that row still shows it.
    const PackageOrderInfo* orderOfButton(QObject* button) const;
    // Puts screen in this page's place at index 4 of the user-centre stack.
    void putInPlace(QWidget* screen);

    BlockWidget* _orderListWidget = nullptr;
    TableView* m_tableView = nullptr;
    StandardItemModel* m_dataModel = nullptr;
    CPageWidget* pageWidget = nullptr;
    QList<PackageOrderInfo> packageOrderInfo;
    LoadingWidget* m_loading = nullptr;
    QButtonGroup* m_filterGroup = nullptr;
    int tabViewRow = -1;
    int isPageBtn = 0;
    int curNums = 10;
    int pages = -1;
    int m_btnId = Paid;
};
