#include "LookBillWidget.h"

#include "QuickMessageBox.h"
#include "UserBusinessShared.h"
#include "UserOrderList.h"

#include <QDesktopServices>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QUrl>
#include <QVBoxLayout>

namespace {

QString statusText(int status)
{
    switch (status) {
    case 0: return QStringLiteral("开票中");
    case 1: return QStringLiteral("开票完成");
    default: return QString();
    }
}

QString orNoData(const QString& value)
{
    return value.isEmpty() ? QStringLiteral("暂无数据") : value;
}

// The invoice's data: one row per pair, the label over two columns and the value over three.
QTableWidget* invoiceTable(const QList<QPair<QString, QString>>& rows, QWidget* parent)
{
    auto* table = new QTableWidget(rows.size(), 5, parent);
    table->horizontalHeader()->hide();
    table->verticalHeader()->hide();
    table->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionMode(QAbstractItemView::NoSelection);
    table->setFocusPolicy(Qt::NoFocus);
    table->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    table->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    const int rowHeight = designPx(28);
    table->verticalHeader()->setDefaultSectionSize(rowHeight);
    table->setFixedSize(designPx(494), rowHeight * rows.size() + 2);
    table->setStyleSheet(QStringLiteral("QTableWidget{color:#3F3F3F;gridline-color:#DDDDDD;border:1px solid #DDDDDD;"
                                        "font-family:'微软雅黑';font-size:%1px;background:white;}")
                             .arg(toFixString(11)));
    for (int r = 0; r < rows.size(); ++r) {
        table->setSpan(r, 0, 1, 2);
        table->setSpan(r, 2, 1, 3);
        for (const auto& cell : {qMakePair(0, rows[r].first), qMakePair(2, rows[r].second)}) {
            auto* item = new QTableWidgetItem(cell.second);
            item->setTextAlignment(Qt::AlignCenter);
            table->setItem(r, cell.first, item);
        }
    }
    return table;
}

// The grey bar over the table, holding "发票信息" on the left.
QWidget* headerBar(QWidget* parent, QHBoxLayout*& layout)
{
    auto* bar = new QWidget(parent);
    bar->setObjectName("invoiceHeader");
    bar->setAttribute(Qt::WA_StyledBackground);
    bar->setFixedSize(designPx(494), designPx(24));
    bar->setStyleSheet(QStringLiteral("QWidget#invoiceHeader{background:#DDDDDD;}"));
    layout = new QHBoxLayout(bar);
    layout->setContentsMargins(designPx(10), 0, designPx(10), 0);
    auto* title = new QLabel(QStringLiteral("发票信息"), bar);
    title->setStyleSheet(QStringLiteral("QLabel{color:#434343;font-size:%1px;}").arg(toFixString(9)));
    layout->addWidget(title);
    return bar;
}

// The card of an invoice screen, centred over a stretch.
void layOutCard(QWidget* screen, BlockWidget* card)
{
    card->setFixedSize(designPx(889), designPx(520));
    auto* layout = new QVBoxLayout(screen);
    layout->addWidget(card, 1, Qt::AlignHCenter);
    layout->addStretch(1);
}

} // namespace

// ---------------------------------------------------------------------------------------------
// A plain electronic invoice

CLooPlainBillWidget::CLooPlainBillWidget(const BillDetailsInfo& billDetailsInfo, const QString& order, QWidget* parent)
    : QWidget(parent)
    , m_billDetailsInfo(billDetailsInfo)
{
    _blockwidget = new BlockWidget(this);
    m_backBtn = orderTitleWithBack(_blockwidget, order);
    initWid(_blockwidget->bodyWidget());
    layOutCard(this, _blockwidget);
    connect(m_backBtn, &QPushButton::clicked, this, [this] { UserOrderList::backToOrders(this); });
}

CLooPlainBillWidget::~CLooPlainBillWidget() = default;

void CLooPlainBillWidget::initWid(QWidget* wid)
{
    QHBoxLayout* barLayout = nullptr;
    QWidget* bar = headerBar(wid, barLayout);
    m_downloadBtn = new QPushButton(QStringLiteral("下载电子发票"), bar);
    m_downloadBtn->setFixedSize(designPx(58), designPx(12));
    m_downloadBtn->setCursor(Qt::PointingHandCursor);
    m_downloadBtn->setStyleSheet(QStringLiteral("QPushButton{color:#3FB678;font-size:%1px;text-decoration:underline;"
                                                "border:none;background:transparent;padding:0px;}")
                                     .arg(toFixString(9)));
    m_downloadBtn->hide();
    barLayout->addStretch();
    barLayout->addWidget(m_downloadBtn);
    connect(m_downloadBtn, &QPushButton::clicked, this, &CLooPlainBillWidget::download);

    m_table = invoiceTable({{QStringLiteral("发票类型"), QStringLiteral("普通发票")},
                            {QStringLiteral("发票状态"), statusText(m_billDetailsInfo.status)},
                            {QStringLiteral("发票内容"), QStringLiteral("服务费")},
                            {QStringLiteral("发票抬头"), m_billDetailsInfo.title},
                            {QStringLiteral("发票代码"), orNoData(m_billDetailsInfo.code)},
                            {QStringLiteral("发票号码"), orNoData(m_billDetailsInfo.number)}},
                           wid);
    if (m_billDetailsInfo.status == 1)
        m_downloadBtn->show();

    // Sending the invoice by e-mail is not offered: the button stays hidden.
    auto* footer = new QWidget(wid);
    footer->setFixedWidth(designPx(494));
    auto* footerLayout = new QHBoxLayout(footer);
    footerLayout->setContentsMargins(0, designPx(15), 0, 0);
    m_mailBtn = new QPushButton(QStringLiteral("发送至邮箱"), footer);
    m_mailBtn->setFixedSize(designPx(85), designPx(24));
    m_mailBtn->setStyleSheet(greenButtonStyle(9.5));
    m_mailBtn->hide();
    footerLayout->addWidget(m_mailBtn);
    footerLayout->addStretch();

    auto* layout = new QVBoxLayout(wid);
    layout->setContentsMargins(0, designPx(25), 0, 0);
    layout->setSpacing(0);
    layout->addWidget(bar, 0, Qt::AlignHCenter);
    layout->addWidget(m_table, 0, Qt::AlignHCenter);
    layout->addWidget(footer, 0, Qt::AlignHCenter);
    layout->addStretch();
}

void CLooPlainBillWidget::download()
{
    const QUrl url(m_billDetailsInfo.download_url, QUrl::TolerantMode);
    if (url.isEmpty() || !url.isValid()) {
        QuickMessageBox::abort(this, QStringLiteral("暂无电子发票下载地址"), qmt_nothing, 2000);
        return;
    }
    if (!QDesktopServices::openUrl(url))
        QuickMessageBox::abort(this, QStringLiteral("无法打开电子发票下载地址"), qmt_error, 2000);
}

// ---------------------------------------------------------------------------------------------
// A paper invoice

CLooIncrementBillWidget::CLooIncrementBillWidget(const BillDetailsInfo& billDetailsInfo, const QString& order,
                                                 const int& type, QWidget* parent)
    : QWidget(parent)
    , m_billDetailsInfo(billDetailsInfo)
    , m_type(type)
{
    _blockwidget = new BlockWidget(this);
    m_backBtn = orderTitleWithBack(_blockwidget, order);
    initWid(_blockwidget->bodyWidget());
    layOutCard(this, _blockwidget);
    connect(m_backBtn, &QPushButton::clicked, this, [this] { UserOrderList::backToOrders(this); });
}

CLooIncrementBillWidget::~CLooIncrementBillWidget() = default;

void CLooIncrementBillWidget::initWid(QWidget* wid)
{
    const bool vat = m_type == 0;
    QHBoxLayout* barLayout = nullptr;
    QWidget* bar = headerBar(wid, barLayout);
    m_note = new QLabel(vat ? QStringLiteral("（增值税专用发票在申请开票后七个工作日内发出）")
                            : QStringLiteral("（普通发票在申请开票后七个工作日内发出）"),
                        bar);
    m_note->setStyleSheet(QStringLiteral("QLabel{color:#939393;font-size:%1px;}").arg(toFixString(9)));
    barLayout->addWidget(m_note);
    barLayout->addStretch();

    m_table = invoiceTable({{QStringLiteral("发票类型"), vat ? QStringLiteral("增值税专用发票(纸质)") : QStringLiteral("普通发票(纸质)")},
                            {QStringLiteral("发票状态"), statusText(m_billDetailsInfo.status)},
                            {QStringLiteral("发票内容"), QStringLiteral("服务费")},
                            {QStringLiteral("发票抬头"), m_billDetailsInfo.title},
                            {QStringLiteral("发票代码"), orNoData(m_billDetailsInfo.code)},
                            {QStringLiteral("发票号码"), orNoData(m_billDetailsInfo.number)},
                            {QStringLiteral("发票邮寄订单号"), orNoData(m_billDetailsInfo.order)}},
                           wid);

    auto* layout = new QVBoxLayout(wid);
    layout->setContentsMargins(0, designPx(25), 0, 0);
    layout->setSpacing(0);
    layout->addWidget(bar, 0, Qt::AlignHCenter);
    layout->addWidget(m_table, 0, Qt::AlignHCenter);
    layout->addStretch();
}
