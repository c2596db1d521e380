#include "ApplyBillWidget.h"

#include "GlobalHeader.h"
#include "Level2MenuBar.h"
#include "LoadingWidget.h"
#include "MMessageBox.h"
#include "NetWorkBusiness.h"
#include "QuickMessageBox.h"
#include "UserBusinessShared.h"
#include "UserCenterPage.h"
#include "UserCenterShared.h"
#include "UserManageFrame.h"
#include "UserOrderList.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QTextCursor>
#include <QTextEdit>
#include <QVBoxLayout>

namespace {

const char* const kCounterFormat =
    "<html><head/><body><p style='font-size:%2px;color:#9E9E9E;'>还可输入<span style='font-size:%2px;color:#81C38C;'>%1"
    "</span><span style='font-size:%2px;color:#9E9E9E;'>个字</span></p></body></html>";

QLabel* mark(QWidget* parent)
{
    auto* star = new QLabel(QStringLiteral("*"), parent);
    star->setStyleSheet(QStringLiteral("QLabel{color:#F63434;font-size:%1px;}").arg(toFixString(9.5)));
    return star;
}

QLabel* caption(const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setStyleSheet(QStringLiteral("QLabel{color:#666666;font-family:'微软雅黑';font-size:%1px;}").arg(toFixString(9.5)));
    return label;
}

QLineEdit* field(QWidget* parent, int maxLength, bool digitsOnly, bool noInputMethod)
{
    auto* edit = new QLineEdit(parent);
    edit->setFixedSize(designPx(363), designPx(22));
    edit->setMaxLength(maxLength);
    if (digitsOnly)
        edit->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]+$")), edit));
    if (noInputMethod)
        edit->setAttribute(Qt::WA_InputMethodEnabled, false);
    return edit;
}

// The remaining-characters counter in the remark box's lower right corner, 67 from its right
// edge and 16 above its bottom, moved left as far as a wider font needs to show it whole.
void placeCounter(QLabel* counter)
{
    counter->adjustSize();
    const int box = designPx(363);
    counter->move(qMin(box - designPx(67), box - counter->width() - 2), designPx(50) - designPx(16));
}

QComboBox* regionBox(QWidget* parent)
{
    auto* box = new QComboBox(parent);
    box->setFixedSize(designPx(110), designPx(22));
    return box;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// The form

CApplyBillWidget::CApplyBillWidget(const QString& order, const QString& money, QWidget* parent)
    : QWidget(parent)
    , m_OrderCode(order)
    , isMoney(money.toDouble() < 1000)
{
    initUserBusinessResources();
    _blockwidget = new BlockWidget(this);
    m_backBtn = orderTitleWithBack(_blockwidget, order);
    _blockwidget->setFixedWidth(designPx(889));
    initWid(_blockwidget->bodyWidget());

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(_blockwidget, 1, Qt::AlignHCenter);
    layout->addStretch(1);

    connect(m_backBtn, &QPushButton::clicked, this, [this] { UserOrderList::backToOrders(this); });
    hide();
}

CApplyBillWidget::~CApplyBillWidget() = default;

QList<QWidget*> CApplyBillWidget::postalRows() const
{
    return {lineWidget, txtRe,      star6,   addresseeLabel, addresseeLineEdit, star7,
            addresseePhoneLabel, addresseePhoneLineEdit, star8, areaLabel, comProvince, comCity,
            comCounty,  star9,      fullAddressLabel, fullAddressLineEdit};
}

void CApplyBillWidget::initWid(QWidget* wid)
{
    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(15);
    grid->setVerticalSpacing(15);
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(4, 1);

    // Column 1: the label, after its required mark when it has one, to the right.
    auto addCaption = [&](int row, QLabel* star, QLabel* label) {
        auto* cell = new QHBoxLayout;
        cell->setContentsMargins(0, 0, 0, 0);
        cell->setSpacing(2);
        cell->addStretch();
        if (star)
            cell->addWidget(star);
        cell->addWidget(label);
        grid->addLayout(cell, row, 1, Qt::AlignRight | (row == 8 ? Qt::AlignTop : Qt::AlignVCenter));
    };

    m_typeBox = new QComboBox(wid);
    m_typeBox->setFixedSize(designPx(363), designPx(22));
    if (isMoney) {
        m_typeBox->addItem(QStringLiteral("普通发票(电子)"), int(PlainElectronic));
    } else {
        m_typeBox->addItem(QStringLiteral("增值税专用发票(纸质)"), int(VatSpecialPaper));
        m_typeBox->addItem(QStringLiteral("普通发票(纸质)"), int(PlainPaper));
    }
    addCaption(0, mark(wid), caption(QStringLiteral("发票类型"), wid));
    grid->addWidget(m_typeBox, 0, 2);
    billSm = new QLabel(QStringLiteral("发票说明?"), wid);
    billSm->setStyleSheet(QStringLiteral("QLabel{color:#FF5A2B;font-size:%1px;}").arg(toFixString(8)));
    billSm->installEventFilter(this);
    grid->addWidget(billSm, 0, 3);

    m_titleEdit = field(wid, 30, false, false);
    addCaption(1, mark(wid), caption(QStringLiteral("发票抬头"), wid));
    grid->addWidget(m_titleEdit, 1, 2);

    m_taxIdEdit = field(wid, 20, false, true);
    addCaption(2, mark(wid), caption(QStringLiteral("纳税人识别号"), wid));
    grid->addWidget(m_taxIdEdit, 2, 2);

    star11 = mark(wid);
    mailboxLabel = caption(QStringLiteral("电子邮箱"), wid);
    mailboxLineedit = field(wid, 28, false, true);
    addCaption(3, star11, mailboxLabel);
    grid->addWidget(mailboxLineedit, 3, 2);
    for (QWidget* w : {static_cast<QWidget*>(star11), static_cast<QWidget*>(mailboxLabel),
                       static_cast<QWidget*>(mailboxLineedit)})
        w->hide();

    star2 = mark(wid);
    accBankLabel = caption(QStringLiteral("对公帐号开户银行"), wid);
    accBankLineEdit = field(wid, 20, false, false);
    addCaption(4, star2, accBankLabel);
    grid->addWidget(accBankLineEdit, 4, 2);

    star3 = mark(wid);
    accLabel = caption(QStringLiteral("对公账号"), wid);
    accLineedit = field(wid, 20, true, true);
    addCaption(5, star3, accLabel);
    grid->addWidget(accLineedit, 5, 2);

    star4 = mark(wid);
    m_companyPhoneEdit = field(wid, 11, true, true);
    addCaption(6, star4, caption(QStringLiteral("公司电话"), wid));
    grid->addWidget(m_companyPhoneEdit, 6, 2);

    star5 = mark(wid);
    m_companyAddressEdit = field(wid, 40, false, false);
    addCaption(7, star5, caption(QStringLiteral("公司地址"), wid));
    grid->addWidget(m_companyAddressEdit, 7, 2);

    remarkLineEdit = new QTextEdit(wid);
    remarkLineEdit->setFixedSize(designPx(363), designPx(50));
    remarkLineEdit->setAcceptRichText(false);
    limitLabel = new QLabel(remarkLineEdit);
    limitLabel->setTextFormat(Qt::RichText);
    limitLabel->setText(QString::fromUtf8(kCounterFormat).arg(maxLength).arg(toFixString(8)));
    placeCounter(limitLabel);
    addCaption(8, nullptr, caption(QStringLiteral("备注"), wid));
    grid->addWidget(remarkLineEdit, 8, 2);

    lineWidget = new QWidget(wid);
    lineWidget->setFixedHeight(1);
    lineWidget->setAttribute(Qt::WA_StyledBackground);
    lineWidget->setStyleSheet(QStringLiteral("background:#979797;"));
    grid->addWidget(lineWidget, 9, 1, 1, 4);
    txtRe = new QLabel(QStringLiteral("收件信息"), wid);
    txtRe->setStyleSheet(QStringLiteral("QLabel{color:#666666;font-size:%1px;}").arg(toFixString(8.5)));
    grid->addWidget(txtRe, 10, 1, 1, 4);

    star6 = mark(wid);
    addresseeLabel = caption(QStringLiteral("收件人"), wid);
    addresseeLineEdit = field(wid, 15, false, false);
    addCaption(11, star6, addresseeLabel);
    grid->addWidget(addresseeLineEdit, 11, 2);

    star7 = mark(wid);
    addresseePhoneLabel = caption(QStringLiteral("收件人手机号"), wid);
    addresseePhoneLineEdit = field(wid, 11, true, true);
    addCaption(12, star7, addresseePhoneLabel);
    grid->addWidget(addresseePhoneLineEdit, 12, 2);

    star8 = mark(wid);
    areaLabel = caption(QStringLiteral("所在地区"), wid);
    comProvince = regionBox(wid);
    comCity = regionBox(wid);
    comCounty = regionBox(wid);
    auto* regions = new QHBoxLayout;
    regions->setContentsMargins(0, 0, 0, 0);
    regions->setSpacing(designPx(13));
    regions->addWidget(comProvince);
    regions->addWidget(comCity);
    regions->addWidget(comCounty);
    regions->addStretch();
    addCaption(13, star8, areaLabel);
    grid->addLayout(regions, 13, 2);

    star9 = mark(wid);
    fullAddressLabel = caption(QStringLiteral("详细地址"), wid);
    fullAddressLineEdit = field(wid, 50, false, false);
    addCaption(14, star9, fullAddressLabel);
    grid->addWidget(fullAddressLineEdit, 14, 2);

    m_submitBtn = new QPushButton(QStringLiteral("提交申请"), wid);
    m_submitBtn->setFixedSize(designPx(87), designPx(24));
    m_submitBtn->setCursor(Qt::PointingHandCursor);
    m_submitBtn->setStyleSheet(greenButtonStyle(11.5));
    grid->addWidget(m_submitBtn, 15, 1, 1, 3, Qt::AlignCenter);

    frame = new QFrame(wid);
    frame->setObjectName("billExplanation");
    frame->setFixedSize(designPx(190), designPx(87));
    frame->setStyleSheet(QStringLiteral("QFrame#billExplanation{background:rgba(15,15,15,153);border-radius:%1px;}"
                                        "QLabel{color:rgb(231,231,231);font-size:%2px;background:transparent;}")
                             .arg(toFixString(6.5), toFixString(8.5)));
    auto* explanation = new QLabel(QStringLiteral("1、开票内容为“服务费”\n2、满1000元可申请增值税专用发票，免邮费\n"
                                                  "3、增值税专用发票在七个工作日内发出"),
                                   frame);
    explanation->setWordWrap(true);
    auto* frameLayout = new QVBoxLayout(frame);
    frameLayout->addWidget(explanation, 0, Qt::AlignCenter);

    auto* side = new QVBoxLayout;
    side->addSpacing(5);
    side->addWidget(frame);
    side->addStretch();

    auto* body = new QHBoxLayout(wid);
    body->addStretch();
    body->addLayout(grid);
    body->addLayout(side);

    wid->setStyleSheet(QStringLiteral("QLineEdit,QTextEdit{border:1px solid rgb(225,225,225);border-radius:%1px;"
                                      "font-family:'微软雅黑';font-size:%2px;color:#666666;background:white;}"
                                      "QLineEdit:hover,QTextEdit:hover{border:1px solid rgb(49,202,132);}"
                                      "QComboBox{border:1px solid rgb(225,225,225);border-radius:%1px;font-size:%2px;"
                                      "color:#666666;padding-left:%3px;background:white;}"
                                      "QComboBox::drop-down{border:none;}")
                          .arg(toFixString(2), toFixString(8.5), toFixString(4)));
    m_typeBox->setStyleSheet(
        QStringLiteral("QComboBox{border:1px solid rgb(49,202,132);border-radius:%1px;font-size:%2px;color:#0DA15D;"
                       "padding-left:%3px;background:white;}"
                       "QComboBox::drop-down{border:none;width:%4px;}"
                       "QComboBox::down-arrow{image:url(:/usercenter/Resources/images/usercenter/down-arrow.png);"
                       "width:%5px;height:%5px;}")
            .arg(toFixString(2), toFixString(8.5), toFixString(4), toFixString(18), toFixString(9)));

    // Settled at build: the type's effects, the regions and the rows an electronic invoice needs.
    connect(m_submitBtn, &QPushButton::clicked, this, &CApplyBillWidget::submit);
    connect(m_typeBox, QOverload<int>::of(&QComboBox::currentIndexChanged), this, &CApplyBillWidget::billTypeIndexChange);
    connect(comProvince, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
            &CApplyBillWidget::comProvinceIndexChange);
    connect(comCity, QOverload<int>::of(&QComboBox::currentIndexChanged), this, &CApplyBillWidget::comCityIndexChange);
    // The first region of the top level is no province ("请选择"): it is not offered.
    loadRegions(comProvince, -1, true);
    if (isMoney) {
        for (QLabel* star : {star2, star3, star4, star5})
            star->hide();
        for (QWidget* w : postalRows())
            w->hide();
        for (QWidget* w : {static_cast<QWidget*>(star11), static_cast<QWidget*>(mailboxLabel),
                           static_cast<QWidget*>(mailboxLineedit)})
            w->show();
        accBankLabel->setText(QStringLiteral("开户银行"));
        accLabel->setText(QStringLiteral("银行账号"));
    }
    connect(remarkLineEdit, &QTextEdit::textChanged, this, &CApplyBillWidget::remarkTextChanged);
}

bool CApplyBillWidget::eventFilter(QObject* watched, QEvent* event)
{
    return QWidget::eventFilter(watched, event);
}

bool CApplyBillWidget::loadRegions(QComboBox* box, int parentId, bool skipFirst)
{
    QList<QueryRegionList> regions;
    if (!NetWorkBusiness::Instance()->getQueryRegion(regions, parentId, nullptr))
        return false;
    box->clear();
    for (int i = skipFirst ? 1 : 0; i < regions.size(); ++i)
        box->addItem(regions.at(i).name, regions.at(i).id);
    return true;
}

void CApplyBillWidget::billTypeIndexChange(int arg)
{
    const bool vat = arg == 0;
    for (QLabel* star : {star2, star3, star4, star5})
        star->setVisible(vat);
    accBankLabel->setText(vat ? QStringLiteral("对公帐号开户银行") : QStringLiteral("开户银行"));
    accLabel->setText(vat ? QStringLiteral("对公帐号") : QStringLiteral("银行账号"));
}

void CApplyBillWidget::comProvinceIndexChange(int arg)
{
    // An emptied province box leaves no cities of the province it showed.
    if (arg < 0) {
        comCity->clear();
        return;
    }
    loadRegions(comCity, comProvince->itemData(arg).toInt(), false);
}

void CApplyBillWidget::comCityIndexChange(int arg)
{
    if (arg < 0) {
        comCounty->clear();
        return;
    }
    loadRegions(comCounty, comCity->itemData(arg).toInt(), false);
}

void CApplyBillWidget::remarkTextChanged()
{
    QString text = remarkLineEdit->toPlainText();
    const int count = text.size();
    limitLabel->setText(QString::fromUtf8(kCounterFormat).arg(qMax(0, maxLength - count)).arg(toFixString(8)));
    placeCounter(limitLabel);
    if (count <= maxLength)
        return;
    // The characters just typed or pasted beyond the limit go again: those before the cursor.
    const int excess = count - maxLength;
    const int cursorAt = remarkLineEdit->textCursor().position();
    const int start = qMax(0, cursorAt - excess);
    text.remove(start, excess);
    remarkLineEdit->setPlainText(text);
    QTextCursor cursor = remarkLineEdit->textCursor();
    cursor.setPosition(qMin(start, text.size()));
    remarkLineEdit->setTextCursor(cursor);
}

void CApplyBillWidget::submit()
{
    auto refuse = [this](const char* text) { QuickMessageBox::abort(this, QString::fromUtf8(text), qmt_nothing, 2000); };
    const int type = m_typeBox->currentData().toInt();
    if (type == PlainElectronic || isMoney) {
        if (m_titleEdit->text().isEmpty())
            return refuse("请输入发票抬头");
        if (m_taxIdEdit->text().isEmpty())
            return refuse("请输入纳税人识别号");
        if (mailboxLineedit->text().isEmpty())
            return refuse("请输入电子邮箱");
    } else {
        if (m_titleEdit->text().isEmpty())
            return refuse("请输入发票抬头");
        if (m_taxIdEdit->text().isEmpty())
            return refuse("请输入纳税人识别号");
        if (type == VatSpecialPaper) {
            if (accBankLineEdit->text().isEmpty())
                return refuse("请输入对公户开户行");
            if (accLineedit->text().isEmpty())
                return refuse("请输入对公账号");
            if (m_companyPhoneEdit->text().isEmpty())
                return refuse("请输入公司电话");
            if (m_companyAddressEdit->text().isEmpty())
                return refuse("请输入公司地址");
        }
        if (addresseeLineEdit->text().isEmpty())
            return refuse("请输入收件人");
        if (addresseePhoneLineEdit->text().isEmpty())
            return refuse("请输入收件人手机号");
        if (comProvince->currentText().isEmpty())
            return refuse("请选择省份");
        if (comCity->currentText().isEmpty())
            return refuse("请选择市区");
        if (fullAddressLineEdit->text().isEmpty())
            return refuse("请输入详细地址");
    }

    // Only a confirmation sends: closing the box sends nothing, as Cancel does.
    if (MMessageBox::showWarning(g_topWidget, QStringLiteral("Orvessa"), QStringLiteral("请确认填写的内容都属实正确！是否确认提交？"),
                                 QSize(274, 148), QDialogButtonBox::Ok | QDialogButtonBox::Cancel,
                                 QDialogButtonBox::Ok) != QDialogButtonBox::Ok)
        return;

    const QString receiverAddress =
        comProvince->currentText() + comCity->currentText() + comCounty->currentText() + fullAddressLineEdit->text();
    if (!m_submitLoading) {
        m_submitLoading = new LoadingWidget(this, Qt::Vertical);
        m_submitLoading->setModal(true);
        m_submitLoading->setText(QStringLiteral("正在提交，请稍后..."));
    }
    // Everything typed stays as it is when the service refuses; it has reported why.
    if (!NetWorkBusiness::Instance()->setAddInvoiceBusiness(
            m_OrderCode, type, m_titleEdit->text(), m_taxIdEdit->text(), accBankLineEdit->text(), accLineedit->text(),
            m_companyPhoneEdit->text(), m_companyAddressEdit->text(), remarkLineEdit->toPlainText(),
            addresseeLineEdit->text(), addresseePhoneLineEdit->text(), receiverAddress, mailboxLineedit->text(),
            m_submitLoading))
        return;

    UserManageFrame* container = UserCenterPage::getUserManageFrame();
    if (!container)
        return;
    container->swapPage(UserManageFrame::OrderPage, new CApplyBillSucessWidget);
    // The form is not used again; it goes once this click has been handled.
    deleteLater();
}

// ---------------------------------------------------------------------------------------------
// The confirmation

CApplyBillSucessWidget::CApplyBillSucessWidget(QWidget* parent)
    : QWidget(parent)
{
    initUserBusinessResources();
    _blockwidget = new BlockWidget(this);
    _blockwidget->setFixedSize(designPx(889), designPx(520));
    initWid(_blockwidget->bodyWidget());
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(_blockwidget, 0, Qt::AlignHCenter);
    layout->addStretch(1);
}

CApplyBillSucessWidget::~CApplyBillSucessWidget() = default;

void CApplyBillSucessWidget::initWid(QWidget* wid)
{
    auto* picture = new QLabel(wid);
    picture->setPixmap(QPixmap(QStringLiteral(":/usercenter/Resources/images/usercenter/bill.png")));
    auto* text = new QLabel(QStringLiteral("发票申请成功，将在1～3个工作日受理！"), wid);
    text->setStyleSheet(QStringLiteral("QLabel{color:#606060;font-family:'微软雅黑';font-size:%1px;}").arg(toFixString(10.5)));
    m_backBtn = new QPushButton(QStringLiteral("返回订单"), wid);
    m_backBtn->setFixedSize(designPx(87), designPx(24));
    m_backBtn->setCursor(Qt::PointingHandCursor);
    m_backBtn->setStyleSheet(greenButtonStyle(11.5));

    auto* layout = new QVBoxLayout(wid);
    layout->setSpacing(18);
    layout->addStretch();
    layout->addWidget(picture, 0, Qt::AlignHCenter);
    layout->addWidget(text, 0, Qt::AlignHCenter);
    layout->addSpacing(designPx(20));
    layout->addWidget(m_backBtn, 0, Qt::AlignHCenter);
    layout->addStretch();

    connect(m_backBtn, &QPushButton::clicked, this, [this] {
        UserOrderList::backToOrders(this);
        if (UserManageFrame* frame = UserCenterPage::getUserManageFrame()) {
            frame->getUserOrderList()->setPageBtn(false);
            frame->getUserOrderList()->showInfo();
        }
    });
}
