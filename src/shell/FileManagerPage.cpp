// The document centre's list page: tabs, query bars, the two tables, paging and opening a contract.
// The row actions other than opening live in FileManagerActions.cpp.

#include "FileManagerPage.h"

#include "CPageWidget.h"
#include "DateTimeEdit.h"
#include "GlobalHeader.h"
#include "Level2MenuBar.h"
#include "LoadingWidget.h"
#include "NetWorkBusiness.h"
#include "TableView.h"

#include <QAction>
#include <QComboBox>
#include <QCursor>
#include <QDate>
#include <QGraphicsDropShadowEffect>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QToolButton>
#include <QToolTip>
#include <QVBoxLayout>

namespace {

int zp(double v)
{
    return int(v * screenZoom);
}

const int kDraftsTab = 6;
const int kCompletedTab = 3;
// Width of the operations column of tabs 0 to 5. "全部文档" lists drafts with five buttons, which
// need 270 (190 would cut the last two off).
const double kOperationWidths[] = {270, 100, 100, 220, 60, 60};

const char* const kHeaderStyle =
    "QHeaderView{border-top-left-radius:4px;border-top-right-radius:4px;font:bold %1px;color:#374E39;"
    "background:#F5F7F6;border:1px solid #E9E8E8;}\t\tQHeaderView::section{border:0px solid #E0E0E0;"
    "border-right-width:0px;}";
const char* const kDraftsHeaderStyle =
    "QHeaderView{border-top-left-radius:4px;border-top-right-radius:4px;font:bold;color:#374E39;"
    "background:#F5F7F6;border:1px solid #E9E8E8;}\t\tQHeaderView::section{border:0px solid #E0E0E0;"
    "border-right-width:0px;font-size:%1px;}";
// A selected row keeps dark text on its light green: the platform's white selection text would
// not be readable on it.
const char* const kTableStyle =
    "QTableView{selection-background-color:rgba(200,235,224,225);selection-color:#374E39;border:0px solid #E0E0E0;"
    "border-bottom-right-radius:4px;border-bottom-left-radius:4px;font-size:%1px;}";

QString buttonStyle(bool enabled)
{
    return QStringLiteral("border: none; color: %1;font:%2px '微软雅黑';")
        .arg(enabled ? QStringLiteral("rgb(55,189,119)") : QStringLiteral("rgb(197,197,197)"), toFixString(8.5));
}

void addShadow(QWidget* w, const QColor& colour, double blur, QPointF offset)
{
    auto* shadow = new QGraphicsDropShadowEffect(w);
    shadow->setColor(colour);
    shadow->setBlurRadius(blur);
    shadow->setOffset(offset);
    w->setGraphicsEffect(shadow);
}

QLineEdit* makeNameField(QWidget* parent)
{
    auto* edit = new QLineEdit(parent);
    edit->setFixedSize(zp(226), zp(20));
    edit->setProperty("mode", "style2");
    edit->setPlaceholderText(QStringLiteral("输入文档名称"));
    edit->setStyleSheet(QStringLiteral("font-size:%1px;").arg(toFixString(9.5)));
    edit->addAction(QIcon(QStringLiteral(":/filemanage/Resources/images/filemanage/query.png")),
                    QLineEdit::TrailingPosition);
    return edit;
}

QPushButton* barButton(const QString& text, QWidget* parent)
{
    auto* b = new QPushButton(text, parent);
    b->setFixedSize(zp(63), zp(20));
    b->setProperty("mode", "style2");
    b->setCursor(Qt::PointingHandCursor);
    return b;
}

QComboBox* barBox(const QStringList& items, QWidget* parent)
{
    auto* box = new QComboBox(parent);
    box->setView(new QListView(box));
    box->addItems(items);
    box->setFixedSize(zp(69), zp(20));
    box->setProperty("mode", "style2");
    return box;
}

DateTimeEdit* dateField(const QString& placeholder, QWidget* parent)
{
    auto* edit = new DateTimeEdit(parent);
    edit->setFixedSize(zp(110), zp(20));
    edit->setProperty("mode", "style2");
    edit->setPlaceholderText(placeholder);
    edit->setStyleSheet(QStringLiteral("font-size:%1px;").arg(toFixString(9.5)));
    return edit;
}

void setTextCell(StandardItemModel* model, int row, int column, const QString& text)
{
    const QModelIndex cell = model->index(row, column);
    model->setData(cell, text, Qt::DisplayRole);
    model->setData(cell, int(Qt::AlignCenter), Qt::TextAlignmentRole);
    model->setData(cell, QColor(115, 115, 115), Qt::ForegroundRole);
}

void setCheckCell(StandardItemModel* model, int row)
{
    const QModelIndex cell = model->index(row, 0);
    model->setData(cell, QStringLiteral("CheckBox"), Qt::UserRole);
    model->setData(cell, false, Qt::UserRole + 1);
}

struct StatusLook {
    const char* status;
    const char* text;
    bool buttons[6];   // 详情, 下载, 提醒, 签署, 删除, 出证报告
};

const StatusLook kStatusLooks[] = {
    {"wait_for_me", "待我签", {true, false, false, true, false, false}},
    {"wait_for_other", "待他人签", {true, false, true, false, false, false}},
    {"completed", "已完成", {true, true, false, false, false, true}},
    {"overdue", "已过期", {true, false, false, false, false, false}},
    {"user_refuse", "已拒绝", {true, false, false, false, false, false}},
    {"drafts", "草稿箱", {true, true, true, true, true, false}},
};
const StatusLook kOtherLook = {"", "", {true, true, true, true, true, false}};

const StatusLook& lookOf(const QString& status)
{
    for (const StatusLook& look : kStatusLooks)
        if (status == QLatin1String(look.status))
            return look;
    return kOtherLook;
}

} // namespace

FileManagerPage::FileManagerPage(QWidget* parent)
    : QFrame(parent)
{
    initUi();
}

FileManagerPage::~FileManagerPage() = default;

void FileManagerPage::initUi()
{
    Q_INIT_RESOURCE(filemanage);
    setObjectName("FileManagerPage");

    m_loading = new LoadingWidget(this, Qt::Vertical);
    m_loading->setModal(true);
    m_loading->setText(QStringLiteral("数据加载中..."));
    m_loading->hide();

    const QStringList tabs{QStringLiteral("全部文档"), QStringLiteral("待我签"), QStringLiteral("待他人签"),
                           QStringLiteral("已完成"),   QStringLiteral("已过期"), QStringLiteral("已拒绝"),
                           QStringLiteral("草稿箱")};
    _topWidget = new Level2MenuBar(tabs, QStringLiteral("文档管理"),
                                   QPixmap(QStringLiteral(":/filemanage/Resources/images/filemanage/userfile.svg")),
                                   QSize(zp(25), zp(25)), this);
    connect(_topWidget, &Level2MenuBar::toolbtnClicked, this, &FileManagerPage::toolbtnClicked);

    _centerWidget = initQueryBar();
    _centerDraftsWidget = initDraftsQueryBar();

    m_tableView = initTable(m_dataModel,
                            {QString(), QStringLiteral("文档名称"), QStringLiteral("签署发起人"),
                             QStringLiteral("其他签署人"), QStringLiteral("发起时间"), QStringLiteral("签署状态"),
                             QStringLiteral("截止日期"), QStringLiteral("操作")},
                            true);
    const int weights[] = {0, 3, 2, 2, 2, 1, 2};
    m_tableView->setHorHeaderSectionStretch(0, zp(20), true);
    for (int c = 1; c <= 6; ++c)
        m_tableView->setHorHeaderSectionStretch(c, weights[c], false);
    m_tableView->setHorHeaderSectionStretch(7, zp(200), true);
    m_tableView->horizontalHeader()->setStyleSheet(QString::fromUtf8(kHeaderStyle).arg(toFixString(9.5)));
    m_tableView->setStyleSheet(QString::fromUtf8(kTableStyle).arg(toFixString(8.5)));
    connect(m_tableView, &QTableView::entered, this, &FileManagerPage::on_tableView_entered);

    m_drafts_tableView = initTable(m_drafts_dataModel,
                                   {QString(), QStringLiteral("文档名称"), QStringLiteral("存为草稿日期"),
                                    QStringLiteral("操作")},
                                   false);
    m_drafts_tableView->setHorHeaderSectionStretch(0, zp(20), true);
    m_drafts_tableView->setHorHeaderSectionStretch(1, 2, false);
    m_drafts_tableView->setHorHeaderSectionStretch(2, 1, false);
    m_drafts_tableView->setHorHeaderSectionStretch(3, 1, false);
    m_drafts_tableView->horizontalHeader()->setStyleSheet(QString::fromUtf8(kDraftsHeaderStyle).arg(toFixString(9.5)));
    m_drafts_tableView->setStyleSheet(QString::fromUtf8(kTableStyle).arg(toFixString(8.5)));
    connect(m_drafts_tableView, &QTableView::entered, this, &FileManagerPage::on_drafts_tableView_entered);
    m_drafts_tableView->hide();

    pageWid = new CPageWidget(0, 9, this, false);
    connect(pageWid, &CPageWidget::setTableData, this, &FileManagerPage::setTableData);
    connect(pageWid, &CPageWidget::setComBoxData, this, &FileManagerPage::setComBoxData);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(_topWidget);
    layout->addWidget(_centerWidget, 0, Qt::AlignHCenter);
    layout->addWidget(m_tableView, 6, Qt::AlignHCenter);
    layout->addWidget(_centerDraftsWidget, 0, Qt::AlignHCenter);
    layout->addWidget(m_drafts_tableView, 6, Qt::AlignHCenter);
    layout->addWidget(pageWid, 0, Qt::AlignHCenter);
    layout->addStretch(1);

    setStyleSheet(QStringLiteral("#FileManagerPage{ background:#F3F6F7;} "
                                 "QWidget[mode='center']{border-radius:4px;background:#FFFFFF;}"));
    applyTabLayout(curIndex);
}

QWidget* FileManagerPage::initQueryBar()
{
    auto* bar = new QWidget(this);
    bar->setProperty("mode", "center");
    bar->setAttribute(Qt::WA_StyledBackground, true);
    bar->setFixedWidth(zp(924));

    m_downLoadBtn = barButton(QStringLiteral("批量下载"), bar);
    m_queryFilesBtn = barButton(QStringLiteral("查询文件"), bar);
    m_CusBtn = barButton(QStringLiteral("恢复默认"), bar);
    m_beginTimeComboBox = barBox({QStringLiteral("发起时间"), QStringLiteral("签署时间"), QStringLiteral("完成时间")}, bar);
    m_allTimeComboBox = barBox({QStringLiteral("全部时间"), QStringLiteral("一周内"), QStringLiteral("一个月内"),
                                QStringLiteral("半年内")},
                               bar);
    m_findLineEdit = makeNameField(bar);
    m_beignTime = dateField(QStringLiteral("开始时间"), bar);
    m_endTime = dateField(QStringLiteral("结束时间"), bar);
    auto* arrow = new QLabel(bar);
    arrow->setPixmap(QPixmap(QStringLiteral(":/filemanage/Resources/images/filemanage/next.svg")));
    arrow->setScaledContents(true);
    arrow->setFixedSize(zp(18), zp(10));

    auto* layout = new QHBoxLayout(bar);
    layout->addWidget(m_downLoadBtn);
    layout->addStretch(34);
    layout->addWidget(m_beginTimeComboBox);
    layout->addWidget(m_beignTime);
    layout->addWidget(arrow);
    layout->addWidget(m_endTime);
    layout->addWidget(m_allTimeComboBox);
    layout->addStretch(34);
    layout->addWidget(m_findLineEdit);
    layout->addStretch(34);
    layout->addWidget(m_queryFilesBtn);
    layout->addStretch(34);
    layout->addWidget(m_CusBtn);
    layout->addStretch(286);
    layout->setContentsMargins(zp(18), zp(6), 0, zp(6));

    addShadow(bar, QColor(164, 161, 161, 58), 7, QPointF(0, -2));

    connect(m_downLoadBtn, &QPushButton::clicked, this, &FileManagerPage::batchDownload);
    connect(m_CusBtn, &QPushButton::clicked, this, &FileManagerPage::cusBtnClick);
    connect(m_allTimeComboBox, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
            &FileManagerPage::ComBoxCurrentIndexChanged);
    connect(m_queryFilesBtn, &QPushButton::clicked, this, &FileManagerPage::queryBtnClickde);
    return bar;
}

QWidget* FileManagerPage::initDraftsQueryBar()
{
    auto* bar = new QWidget(this);
    bar->setProperty("mode", "center");
    bar->setAttribute(Qt::WA_StyledBackground, true);
    bar->setFixedWidth(zp(924));
    m_draftsFindLineEdit = makeNameField(bar);
    m_draftsQueryBtn = barButton(QStringLiteral("查询文件"), bar);
    auto* layout = new QHBoxLayout(bar);
    layout->addSpacing(zp(350));
    layout->addWidget(m_draftsFindLineEdit);
    layout->addWidget(m_draftsQueryBtn);
    layout->addStretch(1);
    layout->setContentsMargins(zp(18), zp(6), 0, zp(6));
    addShadow(bar, QColor(164, 161, 161, 58), 7, QPointF(0, -2));
    connect(m_draftsQueryBtn, &QPushButton::clicked, this, &FileManagerPage::draftsQueryClicked);
    bar->hide();
    return bar;
}

TableView* FileManagerPage::initTable(StandardItemModel*& model, const QStringList& headers, bool checkHeader)
{
    auto* view = new TableView(this, 0);
    model = new StandardItemModel(view);
    model->setColumnCount(headers.size());
    model->setHorizontalHeaderLabels(headers);
    model->setPageRows(nums);
    view->setDataModel(model);
    view->setHorHeaderCheckable(checkHeader);
    view->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    view->verticalHeader()->setDefaultSectionSize(zp(27));
    view->setItemDelegate(new TableWidgetItemDelegate(view, true));
    view->setFixedWidth(zp(924));
    view->setWordWrap(false);
    view->setMouseTracking(true);
    addShadow(view, QColor(187, 187, 187, 35), 16, QPointF(2, 4));
    connect(view, &TableView::sendCheckSelects, this, &FileManagerPage::getCheckSelects);
    connect(model, &StandardItemModel::sendCheck, this, &FileManagerPage::getCheck);
    return view;
}

// ---------------------------------------------------------------------------------------------
// Tabs and requests

void FileManagerPage::toolbtnClicked(int i)
{
    isPageBtn = 0;
    _rows.clear();
    curIndex = i;
    addTableData(i);
}

void FileManagerPage::getContractInfo()
{
    isPageBtn = 0;
    addTableData(curIndex);
}

void FileManagerPage::applyTabLayout(int i)
{
    const bool drafts = i == kDraftsTab;
    if (!drafts)
        m_tableView->setHorHeaderSectionStretch(7, zp(kOperationWidths[qBound(0, i, 5)]), true);
    const bool checks = i == kCompletedTab;
    m_tableView->setColumnHidden(0, !checks);
    m_tableView->setHorHeaderCheckable(checks);
    m_downLoadBtn->setVisible(checks);
    m_tableView->forceResize();
}

void FileManagerPage::addTableData(int i)
{
    if (i == kDraftsTab) {
        _centerWidget->hide();
        m_tableView->hide();
        m_drafts_tableView->show();
        _centerDraftsWidget->show();
        m_drafts_dataModel->clear();
        m_drafts_tableView->viewport()->update();
    } else {
        if (_centerWidget->isHidden()) {
            _centerWidget->show();
            m_tableView->show();
            m_drafts_tableView->hide();
            _centerDraftsWidget->hide();
        }
        m_dataModel->clear();
        m_tableView->viewport()->update();
    }
    m_loading->setText(QStringLiteral("数据加载中..."));
    _contractInfos.clear();
    _rows.clear();
    clearContent();
    applyTabLayout(i);

    int totalPage = 0;
    if (!NetWorkBusiness::Instance()->queryContractBusinessAboutmePage(_contractInfos, i, totalPage, m_loading,
                                                                       QString(), QString(), QString(), -1, 1, nums)) {
        _contractInfos.clear();
        return;
    }
    showPages(totalPage);
}

void FileManagerPage::showPages(int totalPage)
{
    isPageBtn = 0;
    pageWid->setBtnNums(totalPage);
    pageWid->setControlVisable(totalPage > 0);
    pageWid->setCusSelectBtn(1);
}

bool FileManagerPage::requestPage(int pageNum, int& totalPage)
{
    _contractInfos.clear();
    _rows.clear();
    const QString name = curIndex == kDraftsTab ? m_draftsFindLineEdit->text() : m_findLineEdit->text();
    const bool ok = NetWorkBusiness::Instance()->queryContractBusinessAboutmePage(
        _contractInfos, curIndex, totalPage, m_loading, name, m_sTimeStr, m_eTimeStr,
        m_beginTimeComboBox->currentIndex(), pageNum, nums);
    if (!ok)
        _contractInfos.clear();
    return ok;
}

void FileManagerPage::clearShownRows()
{
    _contractInfos.clear();
    _rows.clear();
    tabViewRow = -1;
    StandardItemModel* model = curIndex == kDraftsTab ? m_drafts_dataModel : m_dataModel;
    model->clear();
    (curIndex == kDraftsTab ? m_drafts_tableView : m_tableView)->viewport()->update();
}

void FileManagerPage::clearContent()
{
    m_beginTimeComboBox->setCurrentIndex(0);
    m_allTimeComboBox->setCurrentIndex(0);
    m_findLineEdit->clear();
    m_beignTime->clear();
    m_endTime->clear();
    m_sTimeStr.clear();
    m_eTimeStr.clear();
}

QString FileManagerPage::timeFormat(const QString& text, const QString& format)
{
    const QDate date = QDate::fromString(text, format);
    return date.isValid() ? date.toString(QStringLiteral("yyyy-MM-dd")) : QString();
}

void FileManagerPage::ComBoxCurrentIndexChanged(int arg)
{
    static const int days[] = {0, 7, 30, 180};
    if (arg >= 1 && arg <= 3) {
        const QDate today = QDate::currentDate();
        m_beignTime->setText(today.addDays(-days[arg]).toString(QStringLiteral("yyyy年M月d日")));
        m_endTime->setText(today.toString(QStringLiteral("yyyy年M月d日")));
        m_beignTime->setEnabled(false);
        m_endTime->setEnabled(false);
    } else if (arg == 0) {
        m_beignTime->clear();
        m_endTime->clear();
        m_beignTime->setEnabled(true);
        m_endTime->setEnabled(true);
    }
}

void FileManagerPage::queryBtnClickde()
{
    static const int days[] = {0, 7, 30, 180};
    QString start = timeFormat(m_beignTime->text(), QStringLiteral("yyyy年M月d日"));
    QString end = timeFormat(m_endTime->text(), QStringLiteral("yyyy年M月d日"));
    const int range = m_allTimeComboBox->currentIndex();
    if (range >= 1 && range <= 3) {
        const QDate today = QDate::currentDate();
        start = today.addDays(-days[range]).toString(QStringLiteral("yyyy-MM-dd"));
        end = today.toString(QStringLiteral("yyyy-MM-dd"));
    }
    m_sTimeStr = start;
    m_eTimeStr = end;
    m_loading->setText(QStringLiteral("数据加载中..."));
    int totalPage = 0;
    if (!requestPage(1, totalPage)) {
        // The rows shown belong to the previous query: they are no longer loaded.
        clearShownRows();
        return;
    }
    m_dataModel->clear();
    showPages(totalPage);
}

void FileManagerPage::draftsQueryClicked()
{
    m_loading->setText(QStringLiteral("数据加载中..."));
    _contractInfos.clear();
    _rows.clear();
    isPageBtn = 0;
    int totalPage = 0;
    if (!NetWorkBusiness::Instance()->queryContractBusinessAboutmePage(
            _contractInfos, kDraftsTab, totalPage, m_loading, m_draftsFindLineEdit->text(), QString(), QString(), -1, 1,
            nums)) {
        clearShownRows();
        return;
    }
    m_drafts_dataModel->clear();
    showPages(totalPage);
}

void FileManagerPage::cusBtnClick()
{
    clearContent();
    isPageBtn = 0;
    _rows.clear();
    addTableData(curIndex);
}

void FileManagerPage::setTableData(const int& rows, const int& curPagenum)
{
    m_loading->setText(QStringLiteral("数据加载中..."));
    if (isPageBtn == 1) {
        int totalPage = 0;
        if (!requestPage(curPagenum + 1, totalPage)) {
            // A failed page change leaves no rows of the previous page whose buttons would act
            // on contracts that are no longer loaded.
            clearShownRows();
            return;
        }
    }
    _rows.clear();
    StandardItemModel* model = curIndex == kDraftsTab ? m_drafts_dataModel : m_dataModel;
    if (_contractInfos.isEmpty()) {
        model->clear();
        return;
    }
    model->clear();
    model->setPageRows(rows);
    model->setTotalRowCount(rows);
    if (curIndex == kDraftsTab)
        fillDraftsTable();
    else
        fillContractTable();
    // Filling writes cells, which the model reports like ticks: the selection starts empty.
    _rows.clear();
    _isCheckSelects = false;
    (curIndex == kDraftsTab ? m_drafts_tableView : m_tableView)->viewport()->update();
    isPageBtn = 1;
}

void FileManagerPage::setComBoxData(const int& rows, const int&)
{
    if (_contractInfos.isEmpty())
        return;
    nums = rows;
    m_loading->setText(QStringLiteral("数据加载中..."));
    int totalPage = 0;
    if (!requestPage(1, totalPage)) {
        clearShownRows();
        return;
    }
    showPages(totalPage);
}

// ---------------------------------------------------------------------------------------------
// Rows

QToolButton* FileManagerPage::rowToolButton(QWidget* parent, const QString& text, const QString& icon, double w)
{
    auto* b = new QToolButton(parent);
    b->setObjectName(text);
    b->setText(text);
    b->setIcon(QIcon(icon));
    b->setIconSize(QSize(zp(12), zp(12)));
    b->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    b->setMouseTracking(true);
    // At least the design width, wider when the text needs it, so no caption is cut short.
    b->setMinimumWidth(zp(w));
    b->setFixedHeight(zp(12));
    b->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    b->setCursor(Qt::PointingHandCursor);
    b->setStyleSheet(buttonStyle(true));
    return b;
}

bool FileManagerPage::bindRow(int row, const QString& contractId)
{
    if (row < 0 || row >= _contractInfos.size() || _contractInfos.at(row).contractId != contractId)
        return false;
    tabViewRow = row;
    return true;
}

const ContractInfo* FileManagerPage::currentContract() const
{
    if (tabViewRow < 0 || tabViewRow >= _contractInfos.size())
        return nullptr;
    return &_contractInfos.at(tabViewRow);
}

QToolButton* FileManagerPage::rowButton(int row, const QString& text) const
{
    const bool drafts = curIndex == kDraftsTab;
    StandardItemModel* model = drafts ? m_drafts_dataModel : m_dataModel;
    TableView* view = drafts ? m_drafts_tableView : m_tableView;
    if (row < 0 || row >= model->rowCount())
        return nullptr;
    QWidget* cell = view->indexWidget(model->index(row, drafts ? 3 : 7));
    return cell ? cell->findChild<QToolButton*>(text) : nullptr;
}

void FileManagerPage::fillContractTable()
{
    static const char* const texts[] = {"详情", "下载", "提醒", "签署", "删除", "出证报告"};
    static const char* const icons[] = {
        ":/usercenter/Resources/images/usercenter/file_info.png",
        ":/usercenter/Resources/images/usercenter/file_down.png",
        ":/usercenter/Resources/images/usercenter/file_tx.png",
        ":/usercenter/Resources/images/usercenter/file_share.png",
        ":/usercenter/Resources/images/usercenter/del.png",
        ":/usercenter/Resources/images/usercenter/report.png",
    };
    using Slot = void (FileManagerPage::*)();
    static const Slot actions[] = {&FileManagerPage::infoBtnClicked, &FileManagerPage::downBtnClicked,
                                 &FileManagerPage::txBtnClicked,   &FileManagerPage::shareBtnClicked,
                                 &FileManagerPage::delBtnClicked,  &FileManagerPage::downReportClicked};
    for (int row = 0; row < _contractInfos.size() && row < m_dataModel->rowCount(); ++row) {
        const ContractInfo& c = _contractInfos.at(row);
        const StatusLook& look = lookOf(c.status);
        setCheckCell(m_dataModel, row);
        setTextCell(m_dataModel, row, 1, c.contractName);
        setTextCell(m_dataModel, row, 2, c.issueUserName);
        setTextCell(m_dataModel, row, 3, c.presentUserName);
        setTextCell(m_dataModel, row, 4, c.startDate);
        setTextCell(m_dataModel, row, 5, QString::fromUtf8(look.text));
        setTextCell(m_dataModel, row, 6, c.signEndDate);

        auto* cell = new QWidget;
        cell->setMouseTracking(true);
        auto* layout = new QHBoxLayout(cell);
        layout->setSpacing(zp(16));
        layout->setContentsMargins(0, 0, 0, 0);
        const bool draftOpen = _draftsList.contains(c.contractId);
        for (int b = 0; b < 6; ++b) {
            QToolButton* button = rowToolButton(cell, QString::fromUtf8(texts[b]), QString::fromLatin1(icons[b]),
                                                b == 5 ? 51 : 38);
            button->setVisible(look.buttons[b]);
            if (b == 4 && draftOpen) {
                button->setEnabled(false);
                button->setStyleSheet(buttonStyle(false));
            }
            // Each button acts on the contract its row was filled with, whatever row the
            // pointer last entered.
            const QString id = c.contractId;
            const Slot slot = actions[b];
            connect(button, &QToolButton::clicked, this, [this, row, id, slot] {
                if (bindRow(row, id))
                    (this->*slot)();
            });
            layout->addWidget(button);
        }
        layout->addStretch(1);
        m_tableView->setIndexWidget(m_dataModel->index(row, 7), cell);
    }
}

void FileManagerPage::fillDraftsTable()
{
    for (int row = 0; row < _contractInfos.size() && row < m_drafts_dataModel->rowCount(); ++row) {
        const ContractInfo& c = _contractInfos.at(row);
        setCheckCell(m_drafts_dataModel, row);
        setTextCell(m_drafts_dataModel, row, 1, c.contractName);
        setTextCell(m_drafts_dataModel, row, 2, c.createDate);

        auto* cell = new QWidget;
        cell->setMouseTracking(true);
        auto* layout = new QHBoxLayout(cell);
        layout->setSpacing(zp(16));
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addStretch(1);
        QToolButton* start = rowToolButton(cell, QStringLiteral("开始签署"),
                                           QStringLiteral(":/usercenter/Resources/images/usercenter/bi.png"), 53);
        QToolButton* del = rowToolButton(cell, QStringLiteral("删除"),
                                         QStringLiteral(":/usercenter/Resources/images/usercenter/del.png"), 38);
        if (_draftsList.contains(c.contractId)) {
            // A draft that is open in the workspace cannot be deleted.
            del->setEnabled(false);
            del->setStyleSheet(buttonStyle(false));
        }
        const QString id = c.contractId;
        connect(start, &QToolButton::clicked, this, [this, row, id] {
            if (bindRow(row, id))
                infoBtnClicked();
        });
        connect(del, &QToolButton::clicked, this, [this, row, id] {
            if (bindRow(row, id))
                delDraftsBtnClicked();
        });
        layout->addWidget(start);
        layout->addWidget(del);
        layout->addStretch(1);
        m_drafts_tableView->setIndexWidget(m_drafts_dataModel->index(row, 3), cell);
    }
}

void FileManagerPage::on_tableView_entered(const QModelIndex& index)
{
    tabViewRow = index.row();
    QToolTip::hideText();
    if (index.column() <= 3)
        QToolTip::showText(QCursor::pos(), index.data(Qt::DisplayRole).toString());
}

void FileManagerPage::on_drafts_tableView_entered(const QModelIndex& index)
{
    tabViewRow = index.row();
}

void FileManagerPage::openCurrent()
{
    const ContractInfo* c = currentContract();
    if (!c)
        return;
    emit openContract(QVariant::fromValue(*c));
}

void FileManagerPage::infoBtnClicked()
{
    openCurrent();
}

void FileManagerPage::shareBtnClicked()
{
    openCurrent();
}

// ---------------------------------------------------------------------------------------------
// Open drafts

void FileManagerPage::addDraftsList(QString contractId)
{
    _draftsList.append(contractId);
}

void FileManagerPage::deleteDraftsList(QString contractId)
{
    _draftsList.removeOne(contractId);
}

void FileManagerPage::clearDraftsList()
{
    _draftsList.clear();
}
