#include "BuyMealInfoWidget.h"

#include "CListControlRoll.h"
#include "GlobalHeader.h"
#include "Level2MenuBar.h"
#include "LoadingWidget.h"
#include "NetWorkBusiness.h"
#include "PayQrCodeDialog.h"
#include "UserCenterPage.h"
#include "UserCenterShared.h"
#include "UserManageFrame.h"
#include "UserPackageFrame.h"

#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QString labelStyle(double fontSize, const QString& colour)
{
    return QStringLiteral("QLabel{font-family:'微软雅黑';font-size:%1px;color:%2;background:transparent;border:none;}")
        .arg(toFixString(fontSize), colour);
}

// A row holding the widgets between two stretches.
QHBoxLayout* centred(std::initializer_list<QWidget*> widgets, int spacing = 0, Qt::Alignment align = Qt::Alignment())
{
    auto* row = new QHBoxLayout;
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(spacing);
    row->addStretch(1);
    for (QWidget* w : widgets)
        row->addWidget(w, 0, align);
    row->addStretch(1);
    return row;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// One package for sale

CBuyFrame::CBuyFrame(const QString& title, const QString& ftitle, const QString& moneylabel, const QString& datelabel,
                     const QString& smlabel, QWidget* parent)
    : QFrame(parent)
{
    setObjectName("frame");
    setFixedSize(designPx(171), designPx(289));
    setContent(title, ftitle, moneylabel, datelabel, smlabel);
}

CBuyFrame::~CBuyFrame() = default;

void CBuyFrame::setContent(const QString& title, const QString& ftitle, const QString& moneylabel,
                           const QString& datelabel, const QString& smlabel)
{
    titleLabel = new QLabel(title, this);
    fTitleLabel = new QLabel(ftitle, this);
    moneyLabel = new QLabel(moneylabel, this);
    dateLabel = new QLabel(QStringLiteral("/") + datelabel, this);
    lineLabel = new QLabel(this);
    lineLabel->setFixedSize(designPx(126), qMax(1, designPx(1)));
    smLabel = new QLabel(smlabel, this);
    smLabel->setFixedSize(designPx(126), designPx(55));
    smLabel->setWordWrap(true);
    smLabel->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    buyBtn = new QPushButton(QStringLiteral("购买"), this);
    buyBtn->setFixedSize(designPx(118), designPx(28));
    buyBtn->setCursor(Qt::PointingHandCursor);
    buyInfoBtn = new QPushButton(QStringLiteral("点击了解购买详情 ->"), this);
    buyInfoBtn->setFixedSize(designPx(110), designPx(32));
    buyInfoBtn->setStyleSheet(QStringLiteral("QPushButton{border:none;background:transparent;color:#073D25;"
                                             "font-family:'微软雅黑';font-size:%1px;}")
                                  .arg(toFixString(8)));
    buyInfoBtn->hide();

    vLay = new QVBoxLayout(this);
    vLay->setSpacing(11);
    vLay->addStretch(1);
    vLay->addWidget(titleLabel, 0, Qt::AlignHCenter);
    vLay->addLayout(centred({fTitleLabel}));
    vLay->addSpacing(designPx(11));
    vLay->addLayout(centred({moneyLabel, dateLabel}, 1, Qt::AlignBottom));
    vLay->addSpacing(designPx(11));
    vLay->addWidget(lineLabel, 0, Qt::AlignHCenter);
    vLay->addSpacing(designPx(7));
    vLay->addWidget(smLabel, 0, Qt::AlignHCenter);
    vLay->addSpacing(designPx(11));
    vLay->addWidget(buyBtn, 0, Qt::AlignHCenter);
    vLay->addWidget(buyInfoBtn, 0, Qt::AlignHCenter);
    vLay->addStretch(1);

    applyStyles(false, toFixString(9) + QStringLiteral("px"));
    connect(buyBtn, &QPushButton::clicked, this, &CBuyFrame::buyBtnClicked);

    m_loading = new LoadingWidget(this, Qt::Vertical);
    m_loading->setModal(true);
    m_loading->setText(QStringLiteral("正在请求支付..."));
    m_loading->hide();
}

void CBuyFrame::applyStyles(bool lit, const QString& frameRadius)
{
    const QString dark = QStringLiteral("rgb(28,29,29)");
    const QString white = QStringLiteral("#FFFFFF");
    if (lit) {
        setStyleSheet(QStringLiteral("QFrame#frame{background:#19BC73;border:1px solid #1CF091;border-top:5px solid "
                                     "#1CF091;border-radius:%1;}")
                          .arg(frameRadius));
    } else {
        setStyleSheet(QStringLiteral("QFrame#frame{background:transparent;border:1px solid rgb(39,193,149);"
                                     "border-radius:%1;}")
                          .arg(frameRadius));
    }
    titleLabel->setStyleSheet(labelStyle(14, lit ? white : dark));
    fTitleLabel->setStyleSheet(labelStyle(8.5, lit ? white : dark));
    moneyLabel->setStyleSheet(labelStyle(24, lit ? white : QStringLiteral("#19BC73")));
    dateLabel->setStyleSheet(labelStyle(10.5, lit ? white : QStringLiteral("#1C1D1D")));
    smLabel->setStyleSheet(labelStyle(8, lit ? white : dark));
    lineLabel->setStyleSheet(QStringLiteral("QLabel{background:%1;border:none;}").arg(lit ? white : QStringLiteral("#19BC73")));
    buyBtn->setStyleSheet(QStringLiteral("QPushButton{background:%1;border:1px solid rgb(25,188,115);color:%2;"
                                         "font-family:'微软雅黑';font-size:%3px;border-radius:%4px;}"
                                         "QPushButton:hover{color:#50C878;}"
                                         "QPushButton:pressed{color:#FFFAFA;}")
                              .arg(lit ? QStringLiteral("#1CF091") : QStringLiteral("transparent"),
                                   lit ? QStringLiteral("#073D25") : QStringLiteral("#0B804C"), toFixString(13),
                                   toFixString(13)));
}

void CBuyFrame::showMealInfo(const QString& title, const QString& moneylabel, const QString& datelabel,
                             const QString& codeMeal, const QString& smText, const QString& details)
{
    titleLabel->setText(title);
    moneyLabel->setText(moneylabel);
    dateLabel->setText(QStringLiteral("/") + datelabel + QStringLiteral("次"));
    smLabel->setText(details);
    fTitleLabel->setText(smText);
    mealCode = codeMeal;
}

void CBuyFrame::enterEvent(QEvent* event)
{
    QFrame::enterEvent(event);
    applyStyles(true, QStringLiteral("17px"));
}

void CBuyFrame::leaveEvent(QEvent* event)
{
    QFrame::leaveEvent(event);
    applyStyles(false, QStringLiteral("12px"));
}

void CBuyFrame::buyBtnClicked()
{
    NetWorkBusiness* net = NetWorkBusiness::Instance();
    QString orderId;
    if (!net->getBuyMeal(mealCode, orderId, m_loading))
        return;
    PersonageOrderStatus orderQuery;
    if (!net->getPersonageOrderStatus(orderId, orderQuery, m_loading))
        return;
    QString qrCodeBase64, billNo;
    if (!net->getCreatePayQr(orderQuery, qrCodeBase64, billNo, m_loading))
        return;
    PayQrCodeDialog dialog(qrCodeBase64, billNo, 1, 60, g_topWidget);
    dialog.exec();
}

// ---------------------------------------------------------------------------------------------
// The block

CBuyMealInfoWidget::CBuyMealInfoWidget(QWidget* parent)
    : QWidget(parent)
{
    _blockwidget = new BlockWidget(this);
    QWidget* body = _blockwidget->bodyWidget();
    m_backBtn = new QPushButton(QStringLiteral("返回"), body);
    m_backBtn->setCursor(Qt::PointingHandCursor);
    _blockwidget->setTitler(QStringLiteral("套餐详情"), m_backBtn, 1, QString(), nullptr);
    _blockwidget->setFixedWidth(designPx(889));

    m_ListControl = new CListControlRoll(body, designPx(24), designPx(24), designPx(395), designPx(30),
                                         QIcon(QStringLiteral(":/usercenter/Resources/images/usercenter/sign_left.png")),
                                         QIcon(QStringLiteral(":/usercenter/Resources/images/usercenter/sign_right.png")),
                                         m_listWidget, 60);
    auto* bodyLayout = new QVBoxLayout(body);
    bodyLayout->addWidget(m_ListControl);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(_blockwidget, 0, Qt::AlignHCenter);
    layout->addStretch(1);

    connect(m_backBtn, &QPushButton::clicked, this, &CBuyMealInfoWidget::goBack);

    m_loading = new LoadingWidget(this, Qt::Vertical);
    m_loading->setModal(true);
    m_loading->setText(QStringLiteral("正在加载套餐数据..."));
    m_loading->hide();

    hide();
}

CBuyMealInfoWidget::~CBuyMealInfoWidget() = default;

CBuyFrame* CBuyMealInfoWidget::card(int i) const
{
    QListWidgetItem* item = m_listWidget->item(i);
    return item ? qobject_cast<CBuyFrame*>(m_listWidget->itemWidget(item)) : nullptr;
}

void CBuyMealInfoWidget::showMealInfo()
{
    m_listWidget->clear();
    QList<BuyPackageInfo> buyMealInfo;
    if (!NetWorkBusiness::Instance()->getBuyMealBusiness(buyMealInfo, m_loading))
        return;
    for (const BuyPackageInfo& info : qAsConst(buyMealInfo))
        setBuyInfoWidget(info);
}

void CBuyMealInfoWidget::setBuyInfoWidget(const BuyPackageInfo& info)
{
    auto* item = new QListWidgetItem;
    item->setSizeHint(QSize(designPx(171), designPx(289)));
    auto* card = new CBuyFrame(QStringLiteral("套餐"), QStringLiteral("套餐说明"), QStringLiteral("0.00"),
                               QStringLiteral("次"), QStringLiteral("套餐详情"), _blockwidget->bodyWidget());
    card->showMealInfo(info.name, QString::number(info.price, 'f', 2), QString::number(info.capacity), info.code,
                       info.descr, info.details);
    m_listWidget->addItem(item);
    m_listWidget->setItemWidget(item, card);
}

void CBuyMealInfoWidget::goBack()
{
    UserManageFrame* frame = UserCenterPage::getUserManageFrame();
    if (!frame)
        return;
    frame->swapPage(UserManageFrame::PackagePage, frame->page(UserManageFrame::PackagePage));
    frame->getUserPackageFrame()->showInfo();
}
