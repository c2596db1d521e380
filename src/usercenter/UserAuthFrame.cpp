// The seal-authorisation page: construction, the list card, its paging and its row actions, and
// the switch to the form card (the form itself is in UserAuthForm.cpp).

#include "UserAuthFrame.h"

#include "CPageWidget.h"
#include "CertState.h"
#include "GlobalHeader.h"
#include "Level2MenuBar.h"
#include "LoadingWidget.h"
#include "MMessageBox.h"
#include "NetWorkBusiness.h"
#include "QuickMessageBox.h"
#include "TableView.h"
#include "UserAuthShared.h"
#include "UserCenterPage.h"
#include "UserCenterShared.h"
#include "UserManageFrame.h"
#include "UserSignatureFrame.h"

#include <QAction>
#include <QButtonGroup>
#include <QDebug>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace {

// The service's code for a company that has no seal yet.
constexpr int kNoCompanySeal = 78503;

const QColor kCellText(115, 115, 115);

// The status filter of each filter button id.
int statusOfFilter(int id, int current)
{
    switch (id) {
    case 0: return 0;
    case 1: return 20;
    case 2: return 10;
    case 3: return 30;
    default: return current;
    }
}

QStandardItem* cell(const QString& text)
{
    auto* item = new QStandardItem(text);
    item->setTextAlignment(Qt::AlignCenter);
    item->setForeground(kCellText);
    return item;
}

} // namespace

CUserAuthFrame::CUserAuthFrame(QWidget* parent)
    : QWidget(parent)
{
    initUserCenterResources();
    initUserAuthResources();
    setObjectName("userAuthFrame");

    btnStyle = QStringLiteral("QPushButton{border:1px solid #31CA84;border-radius:%1px;background:white;color:#31CA84;"
                              "font-size:%2px;}"
                              "QPushButton:hover{background:#31CA84;color:white;}"
                              "QPushButton:pressed{background:#2CBB7B;color:white;}")
                   .arg(toFixString(3), toFixString(9.5));

    blockWidget = new BlockWidget(this);
    authListWid(blockWidget->bodyWidget());

    addAuthBlockWidget = new BlockWidget(this);
    m_backBtn = new QPushButton(QStringLiteral("返回"), addAuthBlockWidget);
    addAuthBlockWidget->setTitler(QStringLiteral("新增授权人"), m_backBtn, 1);
    addAuthWid(addAuthBlockWidget->bodyWidget());
    addAuthBlockWidget->hide();

    pageWidget = new CPageWidget(0, 9, this, false);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, designPx(15), 0, designPx(10));
    layout->setSpacing(designPx(12));
    layout->addWidget(blockWidget, 0, Qt::AlignHCenter);
    layout->addWidget(addAuthBlockWidget, 0, Qt::AlignHCenter);
    layout->addWidget(pageWidget, 0, Qt::AlignHCenter);
    layout->addStretch();

    connect(m_backBtn, &QPushButton::clicked, this, &CUserAuthFrame::clearAuthCon);
    connect(pageWidget, &CPageWidget::setTableData, this, &CUserAuthFrame::setTableData);
    connect(pageWidget, &CPageWidget::setComBoxData, this, &CUserAuthFrame::setComBoxData);

    setStyleSheet(QStringLiteral("QWidget#userAuthFrame{background:#F3F6F7;}"));
}

CUserAuthFrame::~CUserAuthFrame() = default;

void CUserAuthFrame::authListWid(QWidget* wid)
{
    addSignBtn = new QPushButton(QStringLiteral("新增授权人"), blockWidget);
    blockWidget->setTitler(QStringLiteral("我的授权列表"), addSignBtn, 0);
    // The title strip's button is as wide as its text needs.
    addSignBtn->setFixedSize(designPx(70), designPx(20));
    blockWidget->setFixedWidth(designPx(889));
    connect(addSignBtn, &QPushButton::clicked, this, &CUserAuthFrame::newGrant);

    // Filter row: the four states, a gap, the search field.
    m_filterGroup = new QButtonGroup(this);
    m_filterGroup->setExclusive(true);
    auto* filterRow = new QHBoxLayout;
    filterRow->setContentsMargins(designPx(15), 0, 0, 0);
    filterRow->setSpacing(designPx(6));
    const QStringList filters{QStringLiteral("全部"), QStringLiteral("已授权"), QStringLiteral("授权中"),
                              QStringLiteral("已结束")};
    for (int id = 0; id < filters.size(); ++id) {
        auto* btn = new QPushButton(filters[id], wid);
        btn->setObjectName("authFilter");
        btn->setCheckable(true);
        btn->setFixedSize(designPx(51), designPx(19));
        btn->setChecked(id == 0);
        m_filterGroup->addButton(btn, id);
        filterRow->addWidget(btn);
    }
    filterRow->addSpacing(designPx(150));
    m_searchLine = new QLineEdit(wid);
    m_searchLine->setObjectName("authSearch");
    m_searchLine->setFixedSize(designPx(168), designPx(19));
    m_searchLine->setAlignment(Qt::AlignCenter);
    m_searchLine->setPlaceholderText(QStringLiteral("请输入账号或姓名"));
    QAction* searchAction = m_searchLine->addAction(QIcon(userAuthPicture("search.svg")), QLineEdit::TrailingPosition);
    filterRow->addWidget(m_searchLine);
    filterRow->addStretch();
    connect(m_filterGroup, &QButtonGroup::idClicked, this, &CUserAuthFrame::onButtonClicked);
    connect(searchAction, &QAction::triggered, this, &CUserAuthFrame::search);
    connect(m_searchLine, &QLineEdit::returnPressed, this, &CUserAuthFrame::search);

    // The table.
    m_dataModel = new StandardItemModel(this);
    m_dataModel->setColumnCount(6);
    m_dataModel->setHorizontalHeaderLabels({QStringLiteral("姓名"), QStringLiteral("账号"), QStringLiteral("授权开始时间"),
                                            QStringLiteral("授权截止时间"), QStringLiteral("状态"),
                                            QStringLiteral("操作")});
    m_tableView = new TableView(wid, 0);
    m_tableView->setItemDelegate(new TableWidgetItemDelegate(m_tableView, false));
    m_tableView->setDataModel(m_dataModel);
    m_tableView->setFixedHeight(designPx(400));
    m_tableView->verticalHeader()->setDefaultSectionSize(designPx(29));
    m_tableView->setHorHeaderCheckable(false);
    for (int column = 0; column < 4; ++column)
        m_tableView->setHorHeaderSectionStretch(column, 2, false);
    m_tableView->setHorHeaderSectionStretch(4, 1, false);
    m_tableView->setHorHeaderSectionStretch(5, designPx(200), true);
    m_tableView->horizontalHeader()->setStretchLastSection(true);
    m_tableView->setMouseTracking(true);
    m_tableView->setStyleSheet(QStringLiteral("QTableView{font-size:%1px;}").arg(toFixString(9.5)));
    m_tableView->horizontalHeader()->setStyleSheet(QStringLiteral("QHeaderView{font-size:%1px;}").arg(toFixString(10)));
    connect(m_tableView, &QAbstractItemView::entered, this, &CUserAuthFrame::on_tableView_entered);

    auto* body = new QVBoxLayout(wid);
    body->setContentsMargins(0, designPx(12), 0, 0);
    body->setSpacing(designPx(10));
    body->addLayout(filterRow);
    body->addWidget(m_tableView);

    m_loading = new LoadingWidget(this, Qt::Vertical);
    m_loading->setModal(true);
    m_loading->setText(QStringLiteral("授权列表读取中..."));
    m_loading->hide();

    wid->setStyleSheet(QStringLiteral("QPushButton#authFilter{border:1px solid #D4D4D4;border-radius:%1px;background:white;"
                                      "color:#666666;font-size:%2px;}"
                                      "QPushButton#authFilter:hover{border-color:#31CA84;}"
                                      "QPushButton#authFilter:checked{border-color:#31CA84;background:#31CA84;color:white;}"
                                      "QLineEdit#authSearch{border:1px solid #91DFBC;border-radius:%1px;font-size:%2px;"
                                      "color:#5D5D5D;}")
                           .arg(toFixString(2), toFixString(9)));
}

void CUserAuthFrame::setPageBtn(bool isPageBtnFlag)
{
    isPageBtn = isPageBtnFlag ? 1 : 0;
}

void CUserAuthFrame::showListInfo(QString searchStr)
{
    // Nobody logged in: there is no list to ask for.
    if (!NetWorkBusiness::Instance()->getBusinessInfo())
        return;
    m_searchStr = searchStr;
    loadFirstPage();
}

void CUserAuthFrame::loadFirstPage()
{
    m_loading->setText(QStringLiteral("数据加载中..."));
    authorizeListInfo.clear();
    if (!NetWorkBusiness::Instance()->authorizeQueryPageBus(authorizeListInfo, status, m_searchStr, 1, curNums, pages,
                                                            m_loading))
        return;   // the service client has reported the failure
    if (authorizeListInfo.isEmpty()) {
        // No page to offer: the table and the paging bar both say so.
        m_dataModel->clear();
        pageWidget->setBtnNums(0);
        pageWidget->setControlVisable(false);
        return;
    }
    isPageBtn = 0;
    pageWidget->setBtnNums(qMax(1, pages));
    pageWidget->setControlVisable(true);
    pageWidget->setCusSelectBtn(1);   // shows the rows just loaded through setTableData
    isPageBtn = 1;
}

void CUserAuthFrame::setTableData(const int& nums, const int& curPagenum)
{
    m_loading->setText(QStringLiteral("数据加载中..."));
    if (isPageBtn == 1) {
        authorizeListInfo.clear();
        if (!NetWorkBusiness::Instance()->authorizeQueryPageBus(authorizeListInfo, status, m_searchStr, curPagenum + 1,
                                                                nums, pages, m_loading))
            return;
    }
    if (authorizeListInfo.isEmpty()) {
        m_dataModel->clear();
        return;
    }
    m_dataModel->clear();
    m_dataModel->setPageRows(nums);
    m_dataModel->setTotalRowCount(nums);
    fillTableView();
    m_tableView->viewport()->update();
    isPageBtn = 1;
}

void CUserAuthFrame::setComBoxData(const int& nums, const int&)
{
    curNums = nums;
    loadFirstPage();
}

void CUserAuthFrame::onButtonClicked(int id)
{
    status = statusOfFilter(id, status);
    showListInfo(QString());
}

void CUserAuthFrame::on_tableView_entered(const QModelIndex& index)
{
    tabViewRow = index.row();
    qDebug() << "authorisation row" << tabViewRow;
}

void CUserAuthFrame::search()
{
    const QString text = m_searchLine->text();
    if (text.isEmpty()) {
        toast(QStringLiteral("请输入姓名或账号"));
        return;
    }
    showListInfo(text);
}

void CUserAuthFrame::fillTableView()
{
    const BusinessInfo* info = NetWorkBusiness::Instance()->getBusinessInfo();
    if (!info || authorizeListInfo.isEmpty())
        return;
    const bool company = info->userType != 0;
    for (int i = 0; i < authorizeListInfo.size() && i < m_dataModel->rowCount(); ++i) {
        const AuthorizeList& entry = authorizeListInfo[i];
        m_dataModel->setItem(i, 0, cell(company ? entry.personName : entry.authorizeCompanyName));
        m_dataModel->setItem(i, 1, cell(company ? entry.personAccount : entry.authorizeCompanyAccount));
        m_dataModel->setItem(i, 2, cell(entry.authorizeDate));
        m_dataModel->setItem(i, 3, cell(entry.sealUsageDate));
        m_dataModel->setItem(i, 4, cell(entry.statusDesc));

        // Each row's buttons carry their own record: whatever row the pointer last crossed, a
        // button acts on the authorisation shown beside it.
        auto* holder = new QWidget;
        holder->setMouseTracking(true);
        auto* stop = new QPushButton(QStringLiteral("停止"), holder);
        stop->setObjectName("authStop");
        auto* view = new QPushButton(QStringLiteral("查看"), holder);
        view->setObjectName("authView");
        for (QPushButton* btn : {stop, view}) {
            btn->setFixedSize(designPx(33), designPx(16));
            btn->setStyleSheet(btnStyle);
            btn->setMouseTracking(true);
            btn->setCursor(Qt::PointingHandCursor);
        }
        stop->setHidden(entry.authorizeStatus == 30 || !company);
        auto* row = new QHBoxLayout(holder);
        row->setContentsMargins(0, 0, 0, 0);
        row->setSpacing(designPx(10));
        row->addStretch();
        row->addWidget(stop);
        row->addWidget(view);
        row->addStretch();
        connect(stop, &QPushButton::clicked, this, [this, entry] { stopAuthorisation(entry); });
        connect(view, &QPushButton::clicked, this, [this, entry] { viewAuthorisation(entry); });
        m_tableView->setIndexWidget(m_dataModel->index(i, 5), holder);
    }
}

QPushButton* CUserAuthFrame::stopButton(int row) const
{
    QWidget* holder = m_tableView->indexWidget(m_dataModel->index(row, 5));
    return holder ? holder->findChild<QPushButton*>("authStop") : nullptr;
}

QPushButton* CUserAuthFrame::viewButton(int row) const
{
    QWidget* holder = m_tableView->indexWidget(m_dataModel->index(row, 5));
    return holder ? holder->findChild<QPushButton*>("authView") : nullptr;
}

void CUserAuthFrame::viewAuthorisation(const AuthorizeList& entry)
{
    StartAuthSuccessInfo info;
    if (!NetWorkBusiness::Instance()->queryAuthDetailByIdBus(info, entry.authId, nullptr))
        return;
    // A person opening a grant that waits for an answer may accept or refuse it there.
    const BusinessInfo* user = NetWorkBusiness::Instance()->getBusinessInfo();
    if (user && user->userType == 0 && info.authorizeStatus == 10)
        info.isAuth = true;
    emit openContractAuthFile(QVariant::fromValue(info));
}

void CUserAuthFrame::stopAuthorisation(const AuthorizeList& entry)
{
    const auto answer = MMessageBox::showWarning(g_topWidget, QStringLiteral("Orvessa"),
                                                 QStringLiteral("授权尚未结束，您确认要停止本次授权吗？"), QSize(202, 80),
                                                 QDialogButtonBox::Ok | QDialogButtonBox::Cancel, QDialogButtonBox::Ok);
    if (answer != QDialogButtonBox::Ok)
        return;
    qDebug() << "stop authorisation" << entry.authId;
    // Whether or not the service ended it, the list shows the service's present state.
    NetWorkBusiness::Instance()->terminateSealAuthBus(entry.authId, nullptr);
    showListInfo(m_searchStr);
}

void CUserAuthFrame::newGrant()
{
    if (!userAuthenStatus())
        return;
    int code = 0;
    if (NetWorkBusiness::Instance()->checkQualificationBus(code, nullptr)) {
        blockWidget->hide();
        pageWidget->hide();
        addAuthBlockWidget->show();
        return;
    }
    if (code != kNoCompanySeal)
        return;   // the service client has shown the service's message
    const auto answer = MMessageBox::showWarning(g_topWidget, QStringLiteral("Orvessa"),
                                                 QStringLiteral("请先上传或同步公章，再发起公章授权！"), QSize(202, 80),
                                                 QDialogButtonBox::Help | QDialogButtonBox::Cancel, QDialogButtonBox::Help);
    if (answer != QDialogButtonBox::Help)
        return;
    emit turnTitleBar();
    UserManageFrame* frame = UserCenterPage::getUserManageFrame();
    if (!frame)
        return;
    frame->openMenuPage(UserManageFrame::SignaturePage);
}

void CUserAuthFrame::showinfo()
{
    const BusinessInfo* info = NetWorkBusiness::Instance()->getBusinessInfo();
    if (!info)
        return;
    authorizerLabelName->setText(info->userName + QLatin1Char('\n') + info->creditCode);
    addSignBtn->setVisible(info->userType != 0);
}

void CUserAuthFrame::toast(const QString& text)
{
    QuickMessageBox::abort(this, text, qmt_nothing, 2000);
}
