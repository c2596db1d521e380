// The orders page against the stand-in: paid and unpaid tables paged by the service, rows per
// page, empty results, deleting the clicked row's order, paying an unpaid order, and the invoice
// views opened from a row with their way back.

#include "UserBusinessTestSupport.h"

#include "CPageWidget.h"
#include "LoadingWidget.h"
#include "LookBillWidget.h"
#include "StandinOpsAccount.h"
#include "TableView.h"
#include "UserOrderList.h"
#include "UserPackageFrame.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QToolButton>

namespace {

QStringList rowTexts(UserOrderList* list, int row)
{
    QStringList texts;
    for (int c = 0; c < UserOrderList::ActionColumn; ++c)
        texts << list->model()->index(row, c).data().toString();
    return texts;
}

QStringList buttonTexts(UserOrderList* list, int row)
{
    QStringList texts;
    for (int which : {0, 1})
        texts << (list->rowButton(row, which) ? list->rowButton(row, which)->text() : QString());
    return texts;
}

// Label and value of each row of an invoice view's table.
QList<QPair<QString, QString>> tableRows(QTableWidget* table)
{
    QList<QPair<QString, QString>> rows;
    for (int r = 0; r < table->rowCount(); ++r)
        rows << qMakePair(table->item(r, 0)->text(), table->item(r, 2)->text());
    return rows;
}

} // namespace

class OrdersPage : public UserBusinessTest
{
protected:
    void SetUp() override
    {
        UserBusinessTest::SetUp();
        QJsonArray orders;
        for (int n = 1; n <= 12; ++n)
            orders.append(order(n, 1, n == 3 ? 1200 : 99, n == 2 ? 1 : 0, n == 2 ? "inv-1" : ""));
        for (int n = 13; n <= 15; ++n)
            orders.append(order(n, 0, 499.5));
        area.insert("orders", orders);
        area.insert("invoices", QJsonArray{QJsonObject{{"id", "inv-1"}, {"type", 1}, {"status", 1},
                                                       {"remark", ""}, {"title", u8("某某公司")},
                                                       {"invoiceCode", "044001"}, {"invoiceNumber", ""},
                                                       {"expressCode", ""},
                                                       {"downloadUrl", "https://invoice.example.com/f/inv-1.pdf"},
                                                       {"receiverEmil", "a@example.com"}, {"makeDate", ""}}});
    }

    UserOrderList* openOrders()
    {
        if (!open())
            return nullptr;
        clickMenu(UserManageFrame::OrderPage);
        return frame->getUserOrderList();
    }

    QJsonObject pageBean() { return lastBody(kOrderPage).value("pageBean").toObject(); }
};

// Paid orders: ten rows a page with the invoice state and "申请发票" or "查看发票"; page 2 asks
// for its rows; unpaid orders hide the invoice column and offer "去支付". Fifteen rows a page
// reload page 1 and stay for later pages.
TEST_F(OrdersPage, PaidAndUnpaidTablesPagedByTheService)
{
    UserOrderList* list = openOrders();
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(frame->getStackWid()->currentWidget(), list);
    EXPECT_EQ(lastBody(kOrderPage), (QJsonObject{{"entity", QJsonObject{{"status", 1}}},
                                                 {"pageBean", QJsonObject{{"pageNum", 1}, {"pageSize", 10}}}}));
    EXPECT_EQ(list->model()->rowCount(), 10);
    EXPECT_EQ(rowTexts(list, 0), (QStringList{"DD20240001", u8("套餐1"), "2024-04-02 09:30:00", u8("￥99.00"), u8("未申请")}));
    EXPECT_EQ(rowTexts(list, 1).value(4), u8("已申请"));
    EXPECT_EQ(buttonTexts(list, 0), (QStringList{u8("申请发票"), u8("删除")}));
    EXPECT_EQ(buttonTexts(list, 1), (QStringList{u8("查看发票"), u8("删除")}));
    EXPECT_FALSE(list->table()->isColumnHidden(UserOrderList::InvoiceColumn));
    EXPECT_EQ(list->model()->headerData(5, Qt::Horizontal).toString(), u8("操作"));
    EXPECT_EQ(list->pageBar()->pageCount(), 2);

    list->pageBar()->pageButtons().at(1)->click();
    EXPECT_EQ(pageBean(), (QJsonObject{{"pageNum", 2}, {"pageSize", 10}}));
    EXPECT_EQ(rowTexts(list, 0).value(0), "DD20240011");
    EXPECT_EQ(rowTexts(list, 1).value(0), "DD20240012");
    EXPECT_EQ(rowTexts(list, 2).value(0), QString());   // a short last page leaves empty rows
    EXPECT_EQ(list->rowButton(2, 0), nullptr);

    list->filterButton(UserOrderList::Unpaid)->click();
    EXPECT_EQ(lastBody(kOrderPage).value("entity").toObject(), (QJsonObject{{"status", 0}}));
    EXPECT_EQ(pageBean(), (QJsonObject{{"pageNum", 1}, {"pageSize", 10}}));
    EXPECT_TRUE(list->table()->isColumnHidden(UserOrderList::InvoiceColumn));
    EXPECT_EQ(rowTexts(list, 0).mid(0, 4), (QStringList{"DD20240013", u8("套餐13"), "2024-04-14 09:30:00", u8("￥499.50")}));
    for (int row = 0; row < 3; ++row)
        EXPECT_EQ(buttonTexts(list, row), (QStringList{u8("去支付"), u8("删除")}));
    EXPECT_EQ(list->pageBar()->pageCount(), 1);

    list->filterButton(UserOrderList::Paid)->click();
    auto* rowsPerPage = list->pageBar()->findChild<QComboBox*>();
    ASSERT_NE(rowsPerPage, nullptr);
    rowsPerPage->setCurrentIndex(1);
    EXPECT_EQ(list->rowsPerPage(), 15);
    EXPECT_EQ(pageBean(), (QJsonObject{{"pageNum", 1}, {"pageSize", 15}}));
    EXPECT_EQ(list->model()->rowCount(), 15);
    EXPECT_EQ(rowTexts(list, 11).value(0), "DD20240012");
    EXPECT_EQ(list->pageBar()->pageCount(), 1);
    clickMenu(UserManageFrame::OrderPage);
    EXPECT_EQ(pageBean(), (QJsonObject{{"pageNum", 1}, {"pageSize", 15}}));
}

// A filter without orders, or a page that has none left, empties the table and rebuilds the
// paging bar from the answer, leaving no page buttons of the previous one; a failed reload keeps
// the table, whose buttons still act on the orders they show.
TEST_F(OrdersPage, EmptyAndFailedAnswers)
{
    QJsonArray paidOnly;
    for (int n = 1; n <= 12; ++n)
        paidOnly.append(order(n, 1, 99));
    area.insert("orders", paidOnly);
    UserOrderList* list = openOrders();
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->pageBar()->pageCount(), 2);

    list->filterButton(UserOrderList::Unpaid)->click();
    EXPECT_EQ(list->model()->rowCount(), 0);
    EXPECT_EQ(list->pageBar()->pageCount(), 0);
    EXPECT_TRUE(list->pageBar()->pageButtons().isEmpty());

    list->filterButton(UserOrderList::Paid)->click();
    ASSERT_EQ(list->model()->rowCount(), 10);
    StandinScript refused = StandinScript::withEnvelope(QJsonObject{{"code", 5001}, {"msg", u8("服务繁忙")}});
    refused.times = 1;
    standin.script(kOrderPage, refused);
    clickMenu(UserManageFrame::OrderPage);
    EXPECT_EQ(rowTexts(list, 0).value(0), "DD20240001");
    EXPECT_EQ(list->orders().size(), 10);
    EXPECT_EQ(list->pageBar()->pageCount(), 2);
    ASSERT_NE(list->rowButton(0, 1), nullptr);
    list->rowButton(0, 1)->click();
    EXPECT_EQ(lastBody(kDeleteOrder).value("id").toString(), "o-1");
    EXPECT_EQ(rowTexts(list, 0).value(0), "DD20240002");

    // Page 2 asked for after its orders went elsewhere: the service now has one page.
    standin.withState([](StandinState& s) {
        QJsonObject data = s.seed.value("orders").toObject();
        QJsonArray orders = data.value("orders").toArray();
        while (orders.size() > 5)
            orders.removeLast();
        data.insert("orders", orders);
        s.seed.insert("orders", data);
    });
    ASSERT_EQ(list->pageBar()->pageButtons().size(), 2);
    list->pageBar()->pageButtons().at(1)->click();
    EXPECT_EQ(pageBean(), (QJsonObject{{"pageNum", 2}, {"pageSize", 10}}));
    EXPECT_EQ(list->model()->rowCount(), 0);
    EXPECT_TRUE(list->orders().isEmpty());
    EXPECT_EQ(list->pageBar()->pageCount(), 1);
    // The rebuilt bar's button fetches its page.
    list->pageBar()->pageButtons().at(0)->click();
    EXPECT_EQ(pageBean(), (QJsonObject{{"pageNum", 1}, {"pageSize", 10}}));
    EXPECT_EQ(rowTexts(list, 0).value(0), "DD20240002");
}

// "删除" sends the order of the button's own row, whatever row the pointer entered last, asks
// nothing, says "订单删除成功" and reloads page 1; a refused delete leaves the table as it was.
TEST_F(OrdersPage, DeleteActsOnTheClickedRow)
{
    UserOrderList* list = openOrders();
    ASSERT_NE(list, nullptr);
    const QString third = list->orders().at(2).id;
    emit list->table()->entered(list->model()->index(0, 1));
    standin.clearRequests();
    list->rowButton(2, 1)->click();
    EXPECT_EQ(lastBody(kDeleteOrder), (QJsonObject{{"id", third}, {"status", -1}}));
    EXPECT_EQ(boxes.count(), 0);
    EXPECT_EQ(toasts.texts(), QStringList{u8("订单删除成功")});
    EXPECT_EQ(toasts.shown().last().parent.data(), static_cast<QWidget*>(list));
    EXPECT_EQ(pageBean().value("pageNum").toInt(), 1);
    EXPECT_EQ(rowTexts(list, 2).value(0), "DD20240004");
    EXPECT_EQ(list->pageBar()->pageCount(), 2);

    StandinScript refused = StandinScript::withEnvelope(QJsonObject{{"code", 5001}, {"msg", u8("删除失败")}});
    refused.times = 1;
    standin.script(kDeleteOrder, refused);
    standin.clearRequests();
    list->rowButton(0, 1)->click();
    EXPECT_EQ(sent(kDeleteOrder), 1);
    EXPECT_EQ(sent(kOrderPage), 0);
    EXPECT_EQ(toasts.count(), 1);
    EXPECT_EQ(rowTexts(list, 0).value(0), "DD20240001");
    EXPECT_FALSE(list->loading()->isVisible());
}

// "去支付": the order of that row, its QR code and the payment dialog; the paid order's success
// box shows the packages page; the order list is not reloaded.
TEST_F(OrdersPage, PayingAnUnpaidOrder)
{
    ScopedPayIntervals intervals(5, 5);
    UserOrderList* list = openOrders();
    ASSERT_NE(list, nullptr);
    list->filterButton(UserOrderList::Unpaid)->click();
    PaySuccessAutoAnswer success;
    standin.clearRequests();
    list->rowButton(1, 0)->click();
    EXPECT_EQ(lastBody(kOrder), (QJsonObject{{"id", "o-14"}}));
    EXPECT_EQ(sent(kPayQr), 1);
    EXPECT_EQ(sent(kPayStatus), 3);
    EXPECT_EQ(success.types(), QList<int>{1});
    EXPECT_EQ(sent(kOrderPage), 0);
    EXPECT_EQ(stackIds(), standardOrder());
    EXPECT_EQ(frame->getStackWid()->currentWidget(), frame->getUserPackageFrame());
    EXPECT_EQ(sent(kFigures), 2);   // the packages page's figures and the account page's
}

// "查看发票" opens the view of the invoice's type in the page's place; "返回" puts the page back
// on the page of the list it showed, without a reload. An invoice of another type opens nothing.
TEST_F(OrdersPage, InvoiceViewsFromTheRows)
{
    struct Case {
        const char* name;
        int type;
        int status;
        const char* tracking;
        const char* typeText;    // null: no view
        const char* statusText;
        bool download;
    } cases[] = {
        {"electronic, issued", 1, 1, "", "普通发票", "开票完成", true},
        {"electronic, being issued", 1, 0, "", "普通发票", "开票中", false},
        {"VAT paper, unknown status", 0, 7, "SF1234", "增值税专用发票(纸质)", "", false},
        {"plain paper, issued", 2, 1, "", "普通发票(纸质)", "开票完成", false},
        {"another type", 3, 1, "", nullptr, "", false},
    };
    DesktopUrls opened;
    UserOrderList* list = openOrders();
    ASSERT_NE(list, nullptr);
    list->pageBar()->pageButtons().at(1)->click();   // page 2, to see it again after the views
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        standin.withState([&](StandinState& s) {
            QJsonObject data = s.seed.value("orders").toObject();
            QJsonArray orders = data.value("orders").toArray();
            QJsonObject o = orders.at(10).toObject();   // DD20240011, the first row of page 2
            o.insert("invoiceState", 1);
            o.insert("invoiceId", "inv-v");
            orders.replace(10, o);
            data.insert("orders", orders);
            data.insert("invoices", QJsonArray{QJsonObject{{"id", "inv-v"}, {"type", c.type}, {"status", c.status},
                                                           {"remark", ""}, {"title", u8("某某公司")},
                                                           {"invoiceCode", ""}, {"invoiceNumber", "00012345"},
                                                           {"expressCode", c.tracking},
                                                           {"downloadUrl", "https://invoice.example.com/f/v.pdf"},
                                                           {"receiverEmil", ""}, {"makeDate", ""}}});
            s.seed.insert("orders", data);
        });
        list->pageBar()->pageButtons().at(1)->click();
        ASSERT_EQ(list->rowButton(0, 0)->text(), u8("查看发票"));
        standin.clearRequests();
        list->rowButton(0, 0)->click();
        EXPECT_EQ(lastBody(kInvoice), (QJsonObject{{"id", "inv-v"}}));
        EXPECT_FALSE(list->loading()->isVisible());
        QWidget* shown = frame->getStackWid()->widget(UserManageFrame::OrderPage);
        if (!c.typeText) {
            EXPECT_EQ(shown, list);
            EXPECT_EQ(frame->getStackWid()->currentWidget(), list);
            continue;
        }
        ASSERT_NE(shown, list);
        EXPECT_EQ(frame->getStackWid()->currentWidget(), shown);
        EXPECT_EQ(stackIds(), (QList<int>{0, 1, 2, 3, -1, 5, 6}));
        QTableWidget* table = shown->findChild<QTableWidget*>();
        ASSERT_NE(table, nullptr);
        QList<QPair<QString, QString>> expected{{u8("发票类型"), u8(c.typeText)},
                                                {u8("发票状态"), u8(c.statusText)},
                                                {u8("发票内容"), u8("服务费")},
                                                {u8("发票抬头"), u8("某某公司")},
                                                {u8("发票代码"), u8("暂无数据")},
                                                {u8("发票号码"), "00012345"}};
        QPushButton* back = nullptr;
        if (auto* plain = qobject_cast<CLooPlainBillWidget*>(shown)) {
            EXPECT_EQ(c.type, 1);
            EXPECT_EQ(plain->downloadButton()->isHidden(), !c.download);
            EXPECT_TRUE(plain->mailButton()->isHidden());
            if (c.download) {
                plain->downloadButton()->click();
                EXPECT_EQ(opened.urls, QList<QUrl>{QUrl("https://invoice.example.com/f/v.pdf")});
            }
            back = plain->backButton();
        } else {
            auto* paper = qobject_cast<CLooIncrementBillWidget*>(shown);
            ASSERT_NE(paper, nullptr);
            expected << qMakePair(u8("发票邮寄订单号"), u8(*c.tracking ? c.tracking : "暂无数据"));
            EXPECT_EQ(paper->note()->text(), c.type == 0 ? u8("（增值税专用发票在申请开票后七个工作日内发出）")
                                                         : u8("（普通发票在申请开票后七个工作日内发出）"));
            back = paper->backButton();
        }
        EXPECT_EQ(tableRows(table), expected);
        EXPECT_EQ(shown->findChild<BlockWidget*>()->titler()->text(), u8("订单号：DD20240011"));
        standin.clearRequests();
        back->click();
        EXPECT_EQ(stackIds(), standardOrder());
        EXPECT_EQ(frame->getStackWid()->currentWidget(), list);
        EXPECT_EQ(list->pageBar()->currentPage(), 1);
        EXPECT_EQ(sent(kOrderPage), 0);
    }
    EXPECT_EQ(opened.urls.size(), 1);
}

// An issued electronic invoice whose address the service left empty says so instead of opening
// nothing.
TEST_F(OrdersPage, IssuedInvoiceWithoutAddressSaysSo)
{
    DesktopUrls opened;
    BillDetailsInfo info;
    info.type = 1;
    info.status = 1;
    info.title = u8("某某公司");
    CLooPlainBillWidget view(info, "DD20240001");
    ASSERT_FALSE(view.downloadButton()->isHidden());
    view.downloadButton()->click();
    EXPECT_TRUE(opened.urls.isEmpty());
    EXPECT_EQ(toasts.texts(), QStringList{u8("暂无电子发票下载地址")});
}
