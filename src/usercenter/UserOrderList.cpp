#include "UserOrderList.h"

#include "ApplyBillWidget.h"
#include "CPageWidget.h"
#include "GlobalHeader.h"
#include "Level2MenuBar.h"
#include "LoadingWidget.h"
#include "LookBillWidget.h"
#include "NetWorkBusiness.h"
#include "PayQrCodeDialog.h"
#include "QuickMessageBox.h"
#include "TableView.h"
#include "UserBusinessShared.h"
#include "UserCenterPage.h"
#include "UserCenterShared.h"
#include "UserManageFrame.h"

#include <QButtonGroup>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QIcon>
#include <QPushButton>
#include <QStandardItem>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

// Column width weights; the last column takes what is left.
const int kColumnWeights[UserOrderList::ColumnCount] = {3, 3, 2, 2, 1, 2};

const char* const kRowButton = "orderRow";     // the table row a button belongs to
const char* const kRowOrderId = "orderId";     // the order that row showed when it was filled
const char* const kRowPaid = "paidOrder";      // the row was filled for the paid filter

QToolButton* rowToolButton(const QString& icon, const QString& text, double width, QWidget* parent)
{
    auto* button = new QToolButton(parent);
    button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    button->setIcon(QIcon(icon));
    button->setIconSize(QSize(designPx(10), designPx(10)));
    button->setText(text);
    button->setFixedSize(designPx(width), designPx(12));
    button->setCursor(Qt::PointingHandCursor);
    button->setMouseTracking(true);
    button->setStyleSheet(QStringLiteral("QToolButton{color:rgb(55,189,119);font-family:'微软雅黑';font-size:%1px;"
                                         "border:none;background:transparent;padding:0px;}")
                              .arg(toFixString(9.5)));
    return button;
}

} // namespace

UserOrderList::UserOrderList(QWidget* parent)
    : QFrame(parent)
{
    initUserCenterResources();
    initUserBusinessResources();

    _orderListWidget = new BlockWidget(this);
    _orderListWidget->setTitler(QStringLiteral("订单详情"), nullptr, 0, QString(), nullptr);
    _orderListWidget->setFixedWidth(designPx(889));
    QWidget* body = _orderListWidget->bodyWidget();

    auto* filters = new QHBoxLayout;
    filters->setContentsMargins(designPx(15), 0, 0, 0);
    m_filterGroup = new QButtonGroup(this);
    m_filterGroup->setExclusive(true);
    for (const auto& entry : {qMakePair(int(Paid), QStringLiteral("已支付")), qMakePair(int(Unpaid), QStringLiteral("未支付"))}) {
        auto* button = new QPushButton(entry.second, body);
        button->setCheckable(true);
        button->setFixedSize(designPx(44), designPx(18));
        button->setCursor(Qt::PointingHandCursor);
        button->setStyleSheet(QStringLiteral("QPushButton{color:#838383;font-family:'微软雅黑';font-size:%1px;border:none;"
                                             "background:transparent;}"
                                             "QPushButton:hover{color:#2CBB7B;}"
                                             "QPushButton:checked{color:#17985D;border:1px solid rgba(49,202,132,1);"
                                             "border-radius:%2px;}")
                                  .arg(toFixString(8.5), toFixString(8)));
        m_filterGroup->addButton(button, entry.first);
        filters->addWidget(button);
    }
    filters->addStretch();
    m_filterGroup->button(Paid)->setChecked(true);
    connect(m_filterGroup, &QButtonGroup::idClicked, this, &UserOrderList::onButtonClicked);

    m_dataModel = new StandardItemModel(this);
    m_dataModel->setColumnCount(ColumnCount);
    m_dataModel->setHorizontalHeaderLabels({QStringLiteral("订单号"), QStringLiteral("套餐名称"), QStringLiteral("购买时间"),
                                            QStringLiteral("金额"), QStringLiteral("发票状态"), QStringLiteral("操作")});

    m_tableView = new TableView(body, 0);
    m_tableView->setItemDelegate(new TableWidgetItemDelegate(m_tableView));
    m_tableView->setDataModel(m_dataModel);
    m_tableView->setHorHeaderCheckable(false);
    m_tableView->setFixedHeight(designPx(350));
    m_tableView->verticalHeader()->setDefaultSectionSize(designPx(22));
    m_tableView->verticalHeader()->setMinimumSectionSize(1);
    for (int column = 0; column < ColumnCount; ++column)
        m_tableView->setHorHeaderSectionStretch(column, kColumnWeights[column], false);
    m_tableView->horizontalHeader()->setStretchLastSection(true);
    m_tableView->setMouseTracking(true);
    m_tableView->setStyleSheet(QStringLiteral("QTableView{font-family:'微软雅黑';font-size:%1px;}"
                                              "QTableView::item:selected{background:rgba(200,235,224,225);}"
                                              "QHeaderView::section{font-family:'微软雅黑';font-size:%2px;font-weight:bold;"
                                              "color:#374E39;background:#F5F7F6;border:none;}")
                                   .arg(toFixString(8.5), toFixString(9.5)));

    auto* bodyLayout = new QVBoxLayout(body);
    bodyLayout->addLayout(filters);
    bodyLayout->addWidget(m_tableView);

    pageWidget = new CPageWidget(0, 9, this, false);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(_orderListWidget, 0, Qt::AlignHCenter);
    layout->addWidget(pageWidget, 0, Qt::AlignHCenter);
    layout->addStretch();

    connect(m_tableView, &QTableView::entered, this, &UserOrderList::on_tableView_entered);
    connect(pageWidget, &CPageWidget::setTableData, this, &UserOrderList::setTableData);
    connect(pageWidget, &CPageWidget::setComBoxData, this, &UserOrderList::setComBoxData);

    m_loading = new LoadingWidget(this, Qt::Vertical);
    m_loading->setModal(true);
    m_loading->setText(QStringLiteral("套餐信息加载中..."));
    m_loading->hide();
}

UserOrderList::~UserOrderList() = default;

QAbstractButton* UserOrderList::filterButton(int id) const
{
    return m_filterGroup->button(id);
}

QToolButton* UserOrderList::rowButton(int row, int which) const
{
    QWidget* holder = m_tableView->indexWidget(m_dataModel->index(row, ActionColumn));
    if (!holder)
        return nullptr;
    const QList<QToolButton*> buttons = holder->findChildren<QToolButton*>(QString(), Qt::FindDirectChildrenOnly);
    return buttons.value(which);
}

void UserOrderList::setPageBtn(bool pageBtn)
{
    isPageBtn = pageBtn ? 1 : 0;
}

bool UserOrderList::requestPage(int rows, int page)
{
    // The answer replaces the orders only when it came: after a failure the table keeps its rows
    // and their buttons keep the orders they show.
    QList<PackageOrderInfo> fetched;
    int fetchedPages = pages;
    if (!NetWorkBusiness::Instance()->getMyPackageOrderBusiness(fetched, m_btnId, rows, page, fetchedPages, m_loading))
        return false;
    packageOrderInfo = fetched;
    pages = fetchedPages;
    return true;
}

void UserOrderList::showEmpty()
{
    m_dataModel->clear();
    // No page buttons of an earlier answer stay behind to ask for pages that are not there, and
    // those of this answer fetch their page when pressed.
    pageWidget->setBtnNums(qMax(0, pages));
    isPageBtn = 1;
    m_tableView->viewport()->update();
}

void UserOrderList::showInfo()
{
    m_loading->setText(QStringLiteral("数据加载中..."));
    if (!requestPage(curNums, 1))
        return;
    if (packageOrderInfo.isEmpty()) {
        showEmpty();
        return;
    }
    pageWidget->setBtnNums(pages);
    pageWidget->setCusSelectBtn(1);
}

void UserOrderList::setTableData(const int& nums, const int& curPagenum)
{
    m_loading->setText(QStringLiteral("数据加载中..."));
    if (isPageBtn && !requestPage(curNums, curPagenum + 1))
        return;
    if (packageOrderInfo.isEmpty()) {
        // Rows whose orders are gone would offer buttons that act on nothing.
        showEmpty();
        return;
    }
    m_dataModel->clear();
    m_dataModel->setPageRows(nums);
    m_dataModel->setTotalRowCount(nums);
    fillTableView();
    m_tableView->viewport()->update();
    isPageBtn = 1;
}

void UserOrderList::setComBoxData(const int& nums, const int& curPagenum)
{
    Q_UNUSED(curPagenum)
    curNums = nums;
    m_loading->setText(QStringLiteral("数据加载中..."));
    if (!requestPage(nums, 1))
        return;
    if (packageOrderInfo.isEmpty()) {
        showEmpty();
        return;
    }
    isPageBtn = 0;
    pageWidget->setBtnNums(pages);
    pageWidget->setCusSelectBtn(1);
}

void UserOrderList::onButtonClicked(int id)
{
    m_btnId = id;
    isPageBtn = 0;
    const bool paid = id == Paid;
    m_tableView->setColumnHidden(InvoiceColumn, !paid);
    // A hidden column takes no share of the width.
    m_tableView->setHorHeaderSectionStretch(InvoiceColumn, paid ? kColumnWeights[InvoiceColumn] : 0, false);
    m_tableView->forceResize();
    showInfo();
}

void UserOrderList::on_tableView_entered(const QModelIndex& index)
{
    tabViewRow = index.row();
}

void UserOrderList::fillTableView()
{
    const bool paid = m_btnId == Paid;
    const int rows = qMin(packageOrderInfo.size(), m_dataModel->rowCount());
    for (int i = 0; i < rows; ++i) {
        const PackageOrderInfo& order = packageOrderInfo.at(i);
        const QStringList texts{order.orderCode, order.mealName, order.createDate,
                                QStringLiteral("￥") + order.orderAmount,
                                order.invoiceState != 0 ? QStringLiteral("已申请") : QStringLiteral("未申请")};
        for (int column = 0; column < texts.size(); ++column) {
            auto* item = new QStandardItem(texts[column]);
            item->setTextAlignment(Qt::AlignCenter);
            item->setForeground(QColor(115, 115, 115));
            m_dataModel->setItem(i, column, item);
        }

        auto* holder = new QWidget;
        holder->setMouseTracking(true);
        auto* row = new QHBoxLayout(holder);
        row->setContentsMargins(0, 0, 0, 0);
        row->setSpacing(designPx(6));
        QToolButton* first = paid ? rowToolButton(QStringLiteral(":/usercenter/Resources/images/usercenter/applyBill.png"),
                                                  order.invoiceState != 0 ? QStringLiteral("查看发票")
                                                                          : QStringLiteral("申请发票"),
                                                  58, holder)
                                  : rowToolButton(QStringLiteral(":/usercenter/Resources/images/usercenter/pay.png"),
                                                  QStringLiteral("去支付"), 58, holder);
        QToolButton* remove =
            rowToolButton(QStringLiteral(":/usercenter/Resources/images/usercenter/del.png"), QStringLiteral("删除"), 38, holder);
        // Each button acts on the order of its own row, whatever row the pointer last entered.
        for (QToolButton* button : {first, remove}) {
            button->setProperty(kRowButton, i);
            button->setProperty(kRowOrderId, order.id);
            button->setProperty(kRowPaid, paid);
        }
        row->addStretch(1);
        row->addWidget(first);
        row->addWidget(remove);
        row->addStretch(1);
        connect(first, &QToolButton::clicked, this, &UserOrderList::applyBillBtnClicked);
        connect(remove, &QToolButton::clicked, this, &UserOrderList::deleteOrderBtnClicked);
        m_tableView->setIndexWidget(m_dataModel->index(i, ActionColumn), holder);
    }
}

const PackageOrderInfo* UserOrderList::orderOfButton(QObject* button) const
{
    if (!button)
        return nullptr;
    bool ok = false;
    const int row = button->property(kRowButton).toInt(&ok);
    if (!ok || row < 0 || row >= packageOrderInfo.size())
        return nullptr;
    const PackageOrderInfo& order = packageOrderInfo.at(row);
    return order.id == button->property(kRowOrderId).toString() ? &order : nullptr;
}

void UserOrderList::putInPlace(QWidget* screen)
{
    UserManageFrame* frame = UserCenterPage::getUserManageFrame();
    if (!frame) {
        delete screen;
        return;
    }
    frame->swapPage(UserManageFrame::OrderPage, screen);
}

void UserOrderList::backToOrders(QWidget* screen)
{
    if (UserManageFrame* frame = UserCenterPage::getUserManageFrame())
        frame->swapPage(UserManageFrame::OrderPage, frame->page(UserManageFrame::OrderPage));
    // Called from the screen's own button: it goes once that click has been handled.
    if (screen)
        screen->deleteLater();
}

void UserOrderList::applyBillBtnClicked()
{
    QObject* button = sender();
    const PackageOrderInfo* row = orderOfButton(button);
    if (!row)
        return;
    const PackageOrderInfo order = *row;
    NetWorkBusiness* net = NetWorkBusiness::Instance();
    if (button->property(kRowPaid).toBool()) {
        if (order.invoiceState == 0) {
            putInPlace(new CApplyBillWidget(order.orderCode, order.orderAmount));
            return;
        }
        m_loading->setText(QStringLiteral("正在查询发票信息..."));
        BillDetailsInfo info;
        if (!net->getQueryBillDetails(order.invoice_Id, info, m_loading))
            return;
        if (info.type == 1)
            putInPlace(new CLooPlainBillWidget(info, order.orderCode));
        else if (info.type == 0 || info.type == 2)
            putInPlace(new CLooIncrementBillWidget(info, order.orderCode, info.type));
        return;
    }
    PersonageOrderStatus status;
    if (!net->getPersonageOrderStatus(order.id, status, m_loading))
        return;
    QString qrCodeBase64, billNo;
    if (!net->getCreatePayQr(status, qrCodeBase64, billNo, m_loading))
        return;
    PayQrCodeDialog dialog(qrCodeBase64, billNo, 1, 60, g_topWidget);
    dialog.exec();
}

void UserOrderList::deleteOrderBtnClicked()
{
    const PackageOrderInfo* row = orderOfButton(sender());
    if (!row)
        return;
    const QString id = row->id;
    m_loading->setText(QStringLiteral("正在删除..."));
    if (!NetWorkBusiness::Instance()->deleteOrderList(id, m_loading))
        return;
    QuickMessageBox::abort(this, QStringLiteral("订单删除成功"), qmt_nothing, 2000);
    showInfo();
}
