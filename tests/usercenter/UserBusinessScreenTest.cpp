// Runs under a real X server (xvfb-run with a 1024 x 768 screen): pictures of the packages page,
// the purchase block, the orders page and the invoice screens, filled from the stand-in.
#include "QtTestSupport.h"
#include "UserBusinessTestSupport.h"

#include "ApplyBillWidget.h"
#include "BuyMealInfoWidget.h"
#include "TableView.h"
#include "UserOrderList.h"
#include "StyleSheet.h"
#include "UserPackageFrame.h"

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTextEdit>
#include <QToolButton>
#include <QSet>

namespace {

class UserBusinessScreen : public UserBusinessTest
{
protected:
    static void SetUpTestSuite()
    {
        initViewInfo();
        QApplication::setFont(QFont("Microsoft YaHei"));
        qApp->setStyleSheet(style());
    }
};

} // namespace

TEST_F(UserBusinessScreen, PackagesPageAndPurchaseBlock)
{
    ASSERT_NE(open(), nullptr);
    page->resize(1024, 700);
    clickMenu(UserManageFrame::PackagePage);
    EXPECT_GT(distinctColours(screenshot(*page, "usercenter_packages.png")), 40);

    frame->getUserPackageFrame()->buyButton()->click();
    EXPECT_GT(distinctColours(screenshot(*page, "usercenter_purchase_block.png")), 40);
}

TEST_F(UserBusinessScreen, OrdersPageInvoiceFormAndView)
{
    QJsonArray orders;
    for (int n = 1; n <= 12; ++n)
        orders.append(order(n, 1, n == 1 ? 1200 : 99, n == 2 ? 1 : 0, n == 2 ? "inv-1" : ""));
    area.insert("orders", orders);
    area.insert("invoices", QJsonArray{QJsonObject{{"id", "inv-1"}, {"type", 0}, {"status", 1}, {"remark", ""},
                                                   {"title", u8("某某科技有限公司")}, {"invoiceCode", "044031900111"},
                                                   {"invoiceNumber", "00012345"}, {"expressCode", ""},
                                                   {"downloadUrl", ""}, {"receiverEmil", ""}, {"makeDate", ""}}});
    ASSERT_NE(open(), nullptr);
    page->resize(1024, 700);
    clickMenu(UserManageFrame::OrderPage);
    UserOrderList* list = frame->getUserOrderList();
    ASSERT_EQ(list->model()->rowCount(), 10);
    EXPECT_GT(distinctColours(screenshot(*page, "usercenter_orders.png")), 40);

    list->rowButton(0, 0)->click();
    auto* form = qobject_cast<CApplyBillWidget*>(frame->getStackWid()->currentWidget());
    ASSERT_NE(form, nullptr);
    form->titleField()->setText(u8("某某科技有限公司"));
    form->remarkField()->setPlainText(u8("请尽快开具"));
    page->resize(1024, 768);
    EXPECT_GT(distinctColours(screenshot(*page, "usercenter_invoice_form.png")), 40);
    form->backButton()->click();

    // Below 1000 only the electronic invoice: the e-mail row and no postal part.
    list->rowButton(2, 0)->click();
    form = qobject_cast<CApplyBillWidget*>(frame->getStackWid()->currentWidget());
    ASSERT_NE(form, nullptr);
    EXPECT_GT(distinctColours(screenshot(*page, "usercenter_invoice_form_electronic.png")), 40);
    form->backButton()->click();

    list->rowButton(1, 0)->click();
    EXPECT_NE(frame->getStackWid()->currentWidget(), list);
    EXPECT_GT(distinctColours(screenshot(*page, "usercenter_invoice_view.png")), 20);
}
