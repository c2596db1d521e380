#include "ContractDetailInfoWidget.h"

#include "RightToolBar.h"
#include "TableView.h"

#include <QBoxLayout>
#include <QEvent>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QStyleOption>

void initContractResources()
{
    static bool done = false;
    if (!done)
    {
        Q_INIT_RESOURCE(contract);
        done = true;
    }
}

QString getSignStatusStr(QString str, QColor& imageColor)
{
    struct State
    {
        const char* key;
        const char* text;
        const char* colour;
    };
    static const State states[] = {
        {"drafts", "草稿", "#7177F3"},         {"completed", "已签署", "#29C754"},
        {"overdue", "已过期", "#CBCBCB"},      {"wait_for_me", "待签署", "#FFBE60"},
        {"wait_for_other", "待签署", "#38B0FB"}, {"user_refuse", "已拒签", "#FF6000"},
    };
    for (const State& s : states)
        if (str == QLatin1String(s.key))
        {
            imageColor = QColor(QLatin1String(s.colour));
            return QString::fromUtf8(s.text);
        }
    return QStringLiteral("未知状态");
}

QString getSignRuleStr(QString old)
{
    if (old == QLatin1String("serial"))
        return QStringLiteral("顺序签署");
    if (old == QLatin1String("parallel"))
        return QStringLiteral("并行签署");
    return QStringLiteral("未知规则");
}

// ---- one signer -----------------------------------------------------------------------------

ContractSignerInfoCell::ContractSignerInfoCell(QWidget* parent) : QFrame(parent)
{
    setObjectName(QStringLiteral("ContractSignerInfoCell"));
    m_signerNameLabel = new QLabel(this);
    m_signerNameLabel->setProperty("mode", "s4");
    m_signerAccountLabel = new QLabel(this);
    m_signerAccountLabel->setProperty("mode", "s1");
    m_signerSignTimeLabel = new QLabel(this);
    m_signerSignTimeLabel->setProperty("mode", "s1");
    // In a card narrower than the state and the whole date and time, the time goes under the
    // date instead of being cut off.
    m_signerSignTimeLabel->setWordWrap(true);
    m_signerStatu = new QLabel(this);
    m_orderLabel = new QLabel(this);
    // The badge keeps its whole circle however narrow the card.
    m_orderLabel->setFixedSize(int(12 * screenZoom), int(12 * screenZoom));

    QHBoxLayout* stateRow = new QHBoxLayout;
    stateRow->setContentsMargins(0, 0, 0, 0);
    stateRow->setSpacing(int(4 * screenZoom));
    stateRow->addWidget(m_signerStatu);
    stateRow->addWidget(m_signerSignTimeLabel);
    stateRow->addStretch();

    QVBoxLayout* column = new QVBoxLayout;
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(m_signerNameLabel);
    column->addWidget(m_signerAccountLabel);
    column->addLayout(stateRow);

    QHBoxLayout* row = new QHBoxLayout(this);
    row->addWidget(m_orderLabel, 0, Qt::AlignCenter);
    row->addLayout(column, 1);
}

void ContractSignerInfoCell::setValue(ContractSignerInfo cInfo, bool sort)
{
    m_signerNameLabel->setText(cInfo.userName);
    m_signerAccountLabel->setText(cInfo.userAccount);
    QColor colour;
    m_signerStatu->setText(getSignStatusStr(cInfo.signStatu, colour));
    m_signerStatu->setStyleSheet(QStringLiteral("color:%1;font-size:%2px;").arg(colour.name(), toFixString(8.5)));
    m_signerSignTimeLabel->setText(cInfo.signDate);
    m_orderLabel->setPixmap(createColorIcon(colour, sort, QString::number(cInfo.signOrder)));
}

QPixmap ContractSignerInfoCell::createColorIcon(QColor color, bool sort, QString index)
{
    const int n = int(12 * screenZoom);
    QPixmap pixmap(n, n);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform |
                           QPainter::TextAntialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QBrush(color, Qt::SolidPattern));
    painter.drawEllipse(QRectF(0, 0, n, n));
    if (sort)
    {
        painter.setPen(Qt::white);
        painter.drawText(QRect(0, 0, n, n), Qt::AlignCenter, index);
    }
    return pixmap;
}

void ContractSignerInfoCell::paintEvent(QPaintEvent* event)
{
    // The rounded tinted background comes from the style sheet.
    QStyleOption option;
    option.initFrom(this);
    QPainter painter(this);
    style()->drawPrimitive(QStyle::PE_Widget, &option, &painter, this);
    QFrame::paintEvent(event);
}

// ---- the block ------------------------------------------------------------------------------

ContractDetailInfoWidget::ContractDetailInfoWidget(bool bPush, QWidget* parent) : QWidget(parent)
{
    initContractResources();
    const float z = screenZoom;

    m_topWidget = new QWidget(this);
    m_topWidget->setFixedHeight(int(30 * z));
    m_titlerText = new QLabel(QStringLiteral("合同详情"), m_topWidget);
    m_titlerText->setAlignment(Qt::AlignCenter);
    m_titlerText->setStyleSheet(QStringLiteral("font-size:%1px;").arg(toFixString(11.5)));
    m_btnPush = new QLabel(m_topWidget);
    m_btnPush->setFixedSize(int(7 * z), int(7 * z));
    m_btnPush->setScaledContents(true);
    QHBoxLayout* top = new QHBoxLayout(m_topWidget);
    top->setContentsMargins(int(7 * z), 0, int(7 * z), 0);
    top->addWidget(m_titlerText, 1);
    top->addWidget(m_btnPush);
    m_topWidget->setStyleSheet(QStringLiteral(".QWidget{border:0px solid rgba(48,48,48,25);border-bottom-width:1px;}"));
    m_topWidget->setAttribute(Qt::WA_StyledBackground, true);
    m_topWidget->installEventFilter(this);

    m_bottomWidget = new QWidget(this);
    m_docLabel = new QLabel(m_bottomWidget);
    m_docLabel->setProperty("mode", "s1");
    m_signsxLabel = new QLabel(m_bottomWidget);
    m_signsxLabel->setProperty("mode", "s2");
    m_signEndDate = new QLabel(m_bottomWidget);
    m_signEndDate->setProperty("mode", "s3");

    m_signerListWidget = new QListWidget(m_bottomWidget);
    m_signerListWidget->setMouseTracking(true);
    m_signerListWidget->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_signerListWidget->setSelectionMode(QAbstractItemView::NoSelection);
    m_signerListWidget->setDragDropMode(QAbstractItemView::NoDragDrop);
    m_signerListWidget->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_signerListWidget->setStyleSheet(QStringLiteral("QListView{border:none;outline:0px;}"));
    m_signerListWidget->setItemDelegate(new resizeDelegate(m_signerListWidget));
    m_signerListWidget->setSpacing(5);
    m_signerListWidget->viewport()->installEventFilter(this);

    QLabel* remarkTitle = new QLabel(QStringLiteral("备注"), m_bottomWidget);
    remarkTitle->setProperty("mode", "s5");
    m_remark = new QLabel(m_bottomWidget);
    m_remark->setProperty("mode", "s1");
    m_remark->setWordWrap(true);

    QVBoxLayout* bottom = new QVBoxLayout(m_bottomWidget);
    bottom->setContentsMargins(5, int(7 * z), 5, 5);
    bottom->addWidget(m_docLabel, 0, Qt::AlignCenter);
    bottom->addWidget(m_signsxLabel, 0, Qt::AlignCenter);
    bottom->addWidget(m_signEndDate, 0, Qt::AlignCenter);
    bottom->addWidget(m_signerListWidget, 1);
    bottom->addSpacing(int(3 * z));
    bottom->addWidget(remarkTitle);
    bottom->addWidget(m_remark);

    const QString small = toFixString(8.5), pad = toFixString(2);
    m_bottomWidget->setStyleSheet(
        QStringLiteral("QLabel[mode='s1']{color:#666666;font-size:%1px;}"
                       "QLabel[mode='s2']{color:white;background:#31CA84;font-size:%1px;padding:%2px;border-radius:%3px;}"
                       "QLabel[mode='s3']{color:#31CA84;font-size:%1px;}"
                       "QLabel[mode='s4']{color:#5B5B5B;font-size:%1px;}"
                       "QLabel[mode='s5']{color:#8B8B8B;font-size:%1px;}"
                       "#ContractSignerInfoCell{border-radius:%3px;background:rgba(49,202,132,0.12);}")
            .arg(small, pad, pad));

    QVBoxLayout* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_topWidget);
    layout->addWidget(m_bottomWidget);
    layout->addStretch();

    setPushState(bPush, false);
}

void ContractDetailInfoWidget::setPushState(bool bPush, bool bBtn)
{
    m_bPush = bBtn ? !bPush : bPush;
    m_bottomWidget->setVisible(m_bPush);
    m_btnPush->setPixmap(QPixmap(m_bPush ? QStringLiteral(":/Resources/images/dropup.svg")
                                         : QStringLiteral(":/Resources/images/dropdown.svg")));
}

void ContractDetailInfoWidget::setInfo(ContractInfo cInfo, QList<ContractSignerInfo> signers, CloudSignMode mode)
{
    m_docLabel->setText(cInfo.contractName);
    m_signsxLabel->setText(getSignRuleStr(cInfo.signRule));
    m_signEndDate->setText(QStringLiteral("有限期至 %1").arg(cInfo.signEndDate));
    m_remark->setText(cInfo.remark);
    if (mode == CSM_Sign_Drafts)
        return;
    const bool serial = cInfo.signRule == QLatin1String("serial");
    const QSize size(int(178 * screenZoom), int(66 * screenZoom));
    for (const ContractSignerInfo& signer : signers)
    {
        QListWidgetItem* item = new QListWidgetItem(m_signerListWidget);
        item->setSizeHint(size);
        ContractSignerInfoCell* cell = new ContractSignerInfoCell(m_signerListWidget);
        cell->setValue(signer, serial);
        cell->setFixedSize(size);
        m_signerListWidget->setItemWidget(item, cell);
    }
    fitSignerCards();
}

void ContractDetailInfoWidget::fitSignerCards()
{
    const int designed = int(178 * screenZoom);
    const int room = m_signerListWidget->viewport()->width() - 2 * m_signerListWidget->spacing();
    const int width = room > 0 ? qMin(designed, room) : designed;
    for (int i = 0; i < m_signerListWidget->count(); ++i)
    {
        QListWidgetItem* item = m_signerListWidget->item(i);
        QSize size = item->sizeHint();
        if (size.width() == width)
            continue;
        size.setWidth(width);
        item->setSizeHint(size);
        if (QWidget* cell = m_signerListWidget->itemWidget(item))
            cell->setFixedSize(size);
    }
}

bool ContractDetailInfoWidget::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_topWidget && event->type() == QEvent::MouseButtonRelease)
        setPushState(m_bPush, true);
    else if (watched == m_signerListWidget->viewport() && event->type() == QEvent::Resize)
        fitSignerCards();
    return QWidget::eventFilter(watched, event);
}
