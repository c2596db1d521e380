#include "UserPackageFrame.h"

#include "BuyMealInfoWidget.h"
#include "CPageWidget.h"
#include "CertState.h"
#include "GlobalHeader.h"
#include "Level2MenuBar.h"
#include "LoadingWidget.h"
#include "NetWorkBusiness.h"
#include "PayQrCodeDialog.h"
#include "TableView.h"
#include "UserAccountFrame.h"
#include "UserBusinessShared.h"
#include "UserCenterPage.h"
#include "UserCenterShared.h"
#include "UserManageFrame.h"

#include <QButtonGroup>
#include <QDateTime>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPixmap>
#include <QPushButton>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace {

const char* const kDateFormat = "yyyy-M-d hh:mm:ss";

QLabel* styledLabel(const QString& text, double fontSize, const char* colour, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setStyleSheet(QStringLiteral("QLabel{font-family:'微软雅黑';font-size:%1px;color:%2;}")
                             .arg(toFixString(fontSize), QLatin1String(colour)));
    return label;
}

// A figure with its unit after it, both on the baseline of the row.
QHBoxLayout* figureRow(QLabel* figure, QLabel* unit)
{
    auto* row = new QHBoxLayout;
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(designPx(4));
    row->addWidget(figure, 0, Qt::AlignBottom);
    row->addWidget(unit, 0, Qt::AlignBottom);
    return row;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// One held package

PackageOrderListCell::PackageOrderListCell(const QString& orderNum, const QString& name, const QString& info,
                                           const QString& money, const QString& time, QWidget* parent)
    : QWidget(parent)
    , m_values{orderNum, name, info, money, time}
{
    initUserBusinessResources();
    setFixedSize(designPx(213), designPx(220));
    auto* layout = new QVBoxLayout(this);
    layout->setSpacing(0);
    layout->setContentsMargins(0, 0, 0, 0);

    auto* titleStrip = new QFrame(this);
    titleStrip->setObjectName("packageCellTitle");
    titleStrip->setFixedHeight(designPx(20));
    auto* titleLayout = new QHBoxLayout(titleStrip);
    titleLayout->setContentsMargins(designPx(15), 0, 0, 0);
    titleLayout->addWidget(new QLabel(QStringLiteral("订单号  ") + orderNum, titleStrip), 0, Qt::AlignVCenter);

    auto* body = new QFrame(this);
    body->setObjectName("packageCellBody");
    auto* bodyLayout = new QVBoxLayout(body);
    auto* picture = new QLabel(body);
    picture->setFixedSize(designPx(167), designPx(75));
    picture->setScaledContents(true);
    picture->setPixmap(QPixmap(QStringLiteral(":/usercenter/Resources/images/usercenter/package_img.png")));
    bodyLayout->addWidget(picture, 0, Qt::AlignHCenter);

    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(designPx(20));
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(3, 1);
    const QStringList captions{QStringLiteral("套餐名称"), QStringLiteral("套餐详情"), QStringLiteral("套餐金额"),
                               QStringLiteral("订单时间")};
    const QStringList values{name, info, money, time};
    for (int row = 0; row < captions.size(); ++row) {
        grid->addWidget(new QLabel(captions[row], body), row, 1);
        grid->addWidget(new QLabel(values[row], body), row, 2);
    }
    bodyLayout->addLayout(grid);

    layout->addWidget(titleStrip);
    layout->addWidget(body, 1);

    setStyleSheet(QStringLiteral("QFrame#packageCellTitle{background:#F3F3F3;}"
                                 "QFrame#packageCellBody{background:white;border:1px solid #F3F3F3;}"
                                 "QLabel{color:#919191;font-family:'微软雅黑';font-size:%1px;border:none;"
                                 "background:transparent;}")
                      .arg(toFixString(8.5)));
}

PackageOrderListCell::~PackageOrderListCell() = default;

// ---------------------------------------------------------------------------------------------
// The page

UserPackageFrame::UserPackageFrame(QWidget* parent)
    : QWidget(parent)
{
    initUserCenterResources();
    initUserBusinessResources();

    _mealInfoWidget = new BlockWidget(this);
    _mealBuyInfoWidget = new BlockWidget(this);
    _packageListWidget = new BlockWidget(this);
    _mealInfoWidget->setTitler(QStringLiteral("套餐信息"), nullptr, 0, QString(), nullptr);
    _mealBuyInfoWidget->setTitler(QStringLiteral("套餐购买"), nullptr, 0, QString(), nullptr);
    _packageListWidget->setTitler(QStringLiteral("我的套餐"), nullptr, 0, QString(), nullptr);

    // "套餐信息": signings left and days left.
    {
        QWidget* body = _mealInfoWidget->bodyWidget();
        num = styledLabel(QStringLiteral("0"), 27, "rgb(34,61,49)", body);
        day = styledLabel(QStringLiteral("0"), 27, "rgb(34,61,49)", body);
        auto* grid = new QGridLayout;
        grid->setHorizontalSpacing(designPx(104));
        grid->setVerticalSpacing(designPx(13));
        grid->setColumnStretch(0, 1);
        grid->setColumnStretch(3, 1);
        grid->setRowStretch(2, 1);
        grid->addLayout(figureRow(num, styledLabel(QStringLiteral("份"), 9, "rgb(39,142,96)", body)), 0, 1,
                        Qt::AlignCenter);
        grid->addLayout(figureRow(day, styledLabel(QStringLiteral("天"), 9, "rgb(39,142,96)", body)), 0, 2,
                        Qt::AlignCenter);
        grid->addWidget(styledLabel(QStringLiteral("剩余签署文件数"), 9, "rgb(39,142,96)", body), 1, 1, Qt::AlignCenter);
        grid->addWidget(styledLabel(QStringLiteral("剩余签署时间"), 9, "rgb(39,142,96)", body), 1, 2, Qt::AlignCenter);
        auto* layout = new QVBoxLayout(body);
        layout->setSpacing(5);
        layout->addStretch(1);
        layout->addLayout(grid);
        layout->addSpacing(designPx(18));
        layout->addStretch(1);
    }

    // "套餐购买": the way to the purchase block.
    {
        QWidget* body = _mealBuyInfoWidget->bodyWidget();
        auto* picture = new QLabel(body);
        picture->setFixedSize(designPx(62), designPx(62));
        picture->setScaledContents(true);
        picture->setPixmap(QPixmap(QStringLiteral(":/usercenter/Resources/images/usercenter/buy.png")));
        m_buyBtn = new QPushButton(QStringLiteral("购买套餐"), body);
        m_buyBtn->setFixedSize(designPx(113), designPx(24));
        m_buyBtn->setCursor(Qt::PointingHandCursor);
        m_buyBtn->setStyleSheet(QStringLiteral("QPushButton{background:rgb(255,167,6);color:white;border:none;"
                                               "font-family:'微软雅黑';font-size:%1px;border-radius:%2px;}"
                                               "QPushButton:hover{background:#F09605;}"
                                               "QPushButton:pressed{background:#FF6405;}")
                                    .arg(toFixString(11), toFixString(6)));
        auto* layout = new QVBoxLayout(body);
        layout->addWidget(picture, 1, Qt::AlignHCenter);
        layout->addWidget(m_buyBtn, 1, Qt::AlignHCenter);
        _buyMealInfoWidfget = new CBuyMealInfoWidget(this);
        connect(m_buyBtn, &QPushButton::clicked, this, &UserPackageFrame::openPurchaseBlock);
    }

    // "我的套餐": the filters, the strip of held packages and the empty-list panel.
    {
        QWidget* body = _packageListWidget->bodyWidget();
        auto* filters = new QHBoxLayout;
        filters->setContentsMargins(designPx(15), 0, 0, 0);
        m_filterGroup = new QButtonGroup(this);
        m_filterGroup->setExclusive(true);
        const QList<QPair<int, QString>> entries{{InUse, QStringLiteral("使用中")},
                                                 {NotUsed, QStringLiteral("未使用")},
                                                 {Ended, QStringLiteral("已结束")}};
        for (const auto& entry : entries) {
            auto* button = new QPushButton(entry.second, body);
            button->setCheckable(true);
            button->setFixedSize(designPx(44), designPx(18));
            button->setCursor(Qt::PointingHandCursor);
            button->setStyleSheet(
                QStringLiteral("QPushButton{color:#838383;font-family:'微软雅黑';font-size:%1px;border:none;"
                               "background:transparent;}"
                               "QPushButton:hover{color:#2CBB7B;}"
                               "QPushButton:checked{color:#17985D;border:1px solid rgba(49,202,132,1);"
                               "border-radius:%2px;}")
                    .arg(toFixString(8.5), toFixString(8)));
            m_filterGroup->addButton(button, entry.first);
            filters->addWidget(button);
        }
        filters->addStretch();
        m_filterGroup->button(InUse)->setChecked(true);
        connect(m_filterGroup, &QButtonGroup::idClicked, this,
                &UserPackageFrame::onButtonClicked);

        listWidget = new QListWidget(body);
        listWidget->setViewMode(QListView::IconMode);
        listWidget->setFlow(QListView::LeftToRight);
        listWidget->setWrapping(false);
        listWidget->setResizeMode(QListView::Adjust);
        listWidget->setMovement(QListView::Static);
        listWidget->setSpacing(designPx(28));
        // One row of cards: it scrolls sideways only.
        listWidget->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        listWidget->setEditTriggers(QAbstractItemView::NoEditTriggers);
        listWidget->setDragEnabled(false);
        listWidget->setDragDropMode(QAbstractItemView::NoDragDrop);
        listWidget->setFrameShape(QFrame::NoFrame);
        listWidget->setStyleSheet(QStringLiteral("QListView{border:none;background:transparent;}"
                                                 "QListView::item{left:20px;}"));
        listWidget->setItemDelegate(new resizeDelegate(listWidget));

        m_widget = new QWidget(body);
        auto* emptyLayout = new QVBoxLayout(m_widget);
        emptyLayout->addStretch();
        auto* picture = new QLabel(m_widget);
        picture->setPixmap(QPixmap(QStringLiteral(":/filemanage/Resources/images/filemanage/nofound.png")));
        emptyLayout->addWidget(picture, 0, Qt::AlignCenter);
        emptyLayout->addWidget(styledLabel(QStringLiteral("暂无数据"), 12, "rgb(49,202,132)", m_widget), 0,
                               Qt::AlignCenter);
        emptyLayout->addStretch();
        m_widget->hide();

        auto* layout = new QVBoxLayout(body);
        layout->addLayout(filters);
        layout->addWidget(listWidget, 1);
        layout->addWidget(m_widget, 1);
    }

    auto* grid = new QGridLayout;
    grid->addWidget(_mealInfoWidget, 1, 1);
    grid->addWidget(_mealBuyInfoWidget, 1, 2);
    grid->addWidget(_packageListWidget, 2, 1, 1, 2);
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(1, 3);
    grid->setColumnStretch(2, 2);
    grid->setColumnStretch(3, 1);
    grid->setRowStretch(2, 3);
    grid->setSpacing(10);
    grid->setContentsMargins(0, 0, 0, 0);

    m_loading = new LoadingWidget(this, Qt::Vertical);
    m_loading->setModal(true);
    m_loading->setText(QStringLiteral("套餐信息加载中..."));
    m_loading->hide();

    pageWidget = new CPageWidget(0, 9, this, true);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid, 8);
    layout->addWidget(pageWidget, 1, Qt::AlignCenter);

    connect(pageWidget, &CPageWidget::setTableData, this, &UserPackageFrame::setTableData);
    connect(pageWidget, &CPageWidget::setComBoxData, this, &UserPackageFrame::setComBoxData);
}

UserPackageFrame::~UserPackageFrame() = default;

QAbstractButton* UserPackageFrame::filterButton(int id) const
{
    return m_filterGroup->button(id);
}

void UserPackageFrame::setPageBtn(bool pageBtn)
{
    isPageBtn = pageBtn ? 1 : 0;
}

int UserPackageFrame::daysLeft(const QString& updateDate, const QString& noDate, int mealDayNum)
{
    QDateTime from = QDateTime::fromString(updateDate, QLatin1String(kDateFormat));
    QDateTime to = QDateTime::fromString(noDate, QLatin1String(kDateFormat));
    if (!from.isValid() || !to.isValid())
        return 0;
    // Both are the service's wall-clock times: counted without time zone or daylight saving.
    from.setTimeSpec(Qt::UTC);
    to.setTimeSpec(Qt::UTC);
    const quint32 elapsedSeconds = quint32(to.toSecsSinceEpoch()) - quint32(from.toSecsSinceEpoch());
    const qint64 left = qint64(mealDayNum) - qint64(elapsedSeconds / 86400u);
    if (left == 0)
        return 1;
    return left < 0 ? 0 : int(left);
}

void UserPackageFrame::showInfo()
{
    UserManageFrame* frame = UserCenterPage::getUserManageFrame();
    if (frame && frame->getStackWid()->widget(UserManageFrame::PackagePage) == _buyMealInfoWidfget) {
        _buyMealInfoWidfget->showMealInfo();
        return;
    }
    packageInfo.clear();
    num->setText(QStringLiteral("0"));
    day->setText(QStringLiteral("0"));
    if (!NetWorkBusiness::Instance()->getMyPackageBusiness(packageInfo, m_loading) || packageInfo.isEmpty())
        return;
    const PackageInfo& current = packageInfo.first();
    num->setText(QString::number(current.mealResidueNum));
    day->setText(QString::number(daysLeft(current.updateDate, current.noDate, current.mealDayNum)));
    showPackageOrderList();
}

void UserPackageFrame::showRows(bool any)
{
    listWidget->setVisible(any);
    m_widget->setVisible(!any);
}

void UserPackageFrame::showPackageOrderList()
{
    myPackageOrderList.clear();
    listWidget->clear();
    const BusinessInfo* user = NetWorkBusiness::Instance()->getBusinessInfo();
    if (!user)
        return;
    m_loading->setText(QStringLiteral("数据加载中..."));
    if (!NetWorkBusiness::Instance()->getMyPackageOrderListBusiness(myPackageOrderList, user->id, mealStatus, status,
                                                                    kRowsPerPage, 1, pages, m_loading))
        return;
    showRows(!myPackageOrderList.isEmpty());
    // The bar always follows the latest answer: a filter without packages leaves no page buttons
    // of the previous one behind.
    pageWidget->setBtnNums(pages);
    if (!myPackageOrderList.isEmpty())
        pageWidget->setCusSelectBtn(1);
}

void UserPackageFrame::setTableData(const int& nums, const int& curPagenum)
{
    Q_UNUSED(nums)
    m_loading->setText(QStringLiteral("数据加载中..."));
    if (isPageBtn) {
        listWidget->clear();
        myPackageOrderList.clear();
        const BusinessInfo* user = NetWorkBusiness::Instance()->getBusinessInfo();
        if (!user)
            return;
        if (!NetWorkBusiness::Instance()->getMyPackageOrderListBusiness(myPackageOrderList, user->id, mealStatus,
                                                                        status, kRowsPerPage, curPagenum + 1, pages,
                                                                        m_loading))
            return;
        showRows(!myPackageOrderList.isEmpty());
    }
    fillTableView();
    isPageBtn = 1;
}

void UserPackageFrame::setComBoxData(const int& nums, const int& curPagenum)
{
    Q_UNUSED(curPagenum)
    curNums = nums;
    myPackageOrderList.clear();
    const BusinessInfo* user = NetWorkBusiness::Instance()->getBusinessInfo();
    if (!user)
        return;
    // The strip shows four packages whatever the bar's choice.
    if (!NetWorkBusiness::Instance()->getMyPackageOrderListBusiness(myPackageOrderList, user->id, mealStatus, status,
                                                                    kRowsPerPage, 1, pages, nullptr) ||
        myPackageOrderList.isEmpty())
        return;
    isPageBtn = 0;
    pageWidget->setBtnNums(pages);
    pageWidget->setCusSelectBtn(1);
}

void UserPackageFrame::onButtonClicked(int id)
{
    isPageBtn = 0;
    switch (id) {
    case InUse:
        mealStatus = 0;
        status = 0;
        break;
    case NotUsed:
        mealStatus = 1;
        status = 0;
        break;
    case Ended:
        mealStatus = 0;
        status = 1;
        break;
    default:
        break;
    }
    showPackageOrderList();
}

void UserPackageFrame::fillTableView()
{
    // The strip shows exactly the rows of the page on display.
    listWidget->clear();
    for (const MyPackageOrderList& row : qAsConst(myPackageOrderList)) {
        auto* item = new QListWidgetItem;
        item->setSizeHint(QSize(designPx(213), designPx(220)));
        auto* cell = new PackageOrderListCell(row.orderId, row.mealName, row.details,
                                              QString::number(row.price, 'f', 2), row.createDate);
        cell->setFixedSize(designPx(213), designPx(207));
        listWidget->addItem(item);
        listWidget->setItemWidget(item, cell);
    }
}

void UserPackageFrame::openPurchaseBlock()
{
    if (!userAuthenStatus())
        return;
    UserManageFrame* frame = UserCenterPage::getUserManageFrame();
    if (!frame)
        return;
    frame->swapPage(UserManageFrame::PackagePage, _buyMealInfoWidfget);
    _buyMealInfoWidfget->showMealInfo();
}
