#include "GoodFriendDialog.h"

#include "CListControlRoll.h"
#include "CPageWidget.h"
#include "GlobalHeader.h"
#include "LoadingWidget.h"
#include "NetWorkBusiness.h"
#include "QuickMessageBox.h"
#include "TableView.h"
#include "UserAuthShared.h"
#include "UserCenterShared.h"

#include <QAction>
#include <QDebug>
#include <QFrame>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

const int kRoleKind = Qt::UserRole;
const int kRoleState = Qt::UserRole + 1;
const QColor kCellText(74, 74, 74);

QStandardItem* textCell(const QString& text)
{
    auto* item = new QStandardItem(text);
    item->setTextAlignment(Qt::AlignCenter);
    item->setForeground(kCellText);
    return item;
}

} // namespace

// ---- the chip ----

SelectFriendListCell::SelectFriendListCell(const QString& nameStr, const QString& accStr, const QString& id,
                                           QWidget* parent)
    : QWidget(parent)
    , m_id(id)
{
    setFixedSize(designPx(109), designPx(38));
    auto* frame = new QFrame(this);
    frame->setObjectName("frame");
    frame->setFixedSize(size());
    m_name = new QLabel(nameStr, frame);
    m_name->setObjectName("chipName");
    m_account = new QLabel(accStr, frame);
    m_account->setObjectName("chipAccount");
    auto* column = new QVBoxLayout(frame);
    column->setContentsMargins(designPx(6), designPx(3), designPx(6), designPx(3));
    column->setSpacing(0);
    column->addWidget(m_name);
    column->addWidget(m_account);

    m_delBtn = new QToolButton(frame);
    m_delBtn->setFixedSize(designPx(11), designPx(11));
    m_delBtn->setIcon(QIcon(userAuthPicture("chip_delete.svg")));
    m_delBtn->setIconSize(m_delBtn->size());
    m_delBtn->setCursor(Qt::PointingHandCursor);
    m_delBtn->move(frame->width() - m_delBtn->width() - 1, 1);

    setStyleSheet(QStringLiteral("QFrame#frame{border:1px solid #31CA84;border-radius:%1px;background:white;}"
                                 "QLabel#chipName{color:#333333;font-size:%2px;}"
                                 "QLabel#chipAccount{color:#999999;font-size:%3px;}"
                                 "QToolButton{border:none;background:transparent;}")
                      .arg(toFixString(3), toFixString(9.5), toFixString(8.5)));
    connect(m_delBtn, &QToolButton::clicked, this, [this] { emit delItem(m_bandItem); });
}

SelectFriendListCell::~SelectFriendListCell() = default;

QString SelectFriendListCell::nameText() const
{
    return m_name->text();
}

QString SelectFriendListCell::accountText() const
{
    return m_account->text();
}

// ---- the dialog ----

GoodFriendDialog::GoodFriendDialog(QWidget* parent)
    : ParentDialog(parent, false)
{
    initUserAuthResources();
    initUserCenterResources();
    setTilter(QStringLiteral("选择被授权方"));
    const int height = designPx(475) > screenHeight ? screenHeight - 40 : designPx(475);
    setFixedSize(designPx(457), height);

    // The strip of the chosen contact.
    m_frame = new QFrame(_content);
    m_frame->setObjectName("friendStrip");
    m_frame->setFixedSize(designPx(380), designPx(74));
    auto* caption = new QLabel(QStringLiteral("已选好友"), m_frame);
    caption->setObjectName("stripCaption");
    m_selectFriendControl = new CListControlRoll(
        m_frame, designPx(12), designPx(12), designPx(45), 3,
        QIcon(":/usercenter/Resources/images/usercenter/sign_left.png"),
        QIcon(":/usercenter/Resources/images/usercenter/sign_right.png"), m_selectFriendWidget, 60);
    auto* stripLayout = new QVBoxLayout(m_frame);
    stripLayout->setContentsMargins(0, designPx(4), 0, designPx(4));
    stripLayout->setSpacing(designPx(4));
    stripLayout->addWidget(caption);
    stripLayout->addWidget(m_selectFriendControl);
    auto* line = new QFrame(_content);
    line->setObjectName("stripLine");
    line->setFixedSize(designPx(380), 1);

    _searchLine = new QLineEdit(_content);
    _searchLine->setObjectName("friendSearch");
    _searchLine->setFixedSize(designPx(168), designPx(19));
    _searchLine->setAlignment(Qt::AlignCenter);
    _searchLine->setPlaceholderText(QStringLiteral("搜索我的好友"));
    QAction* searchAction = _searchLine->addAction(QIcon(userAuthPicture("search.svg")), QLineEdit::TrailingPosition);

    m_dataModel = new StandardItemModel(this);
    m_dataModel->setColumnCount(3);
    m_dataModel->setHorizontalHeaderLabels({QString(), QStringLiteral("姓名"), QStringLiteral("账号")});
    m_tableView = new TableView(_content, 0);
    m_tableView->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_tableView->setItemDelegate(new TableWidgetItemDelegate(m_tableView, true));
    m_tableView->setDataModel(m_dataModel);
    m_tableView->setFixedSize(designPx(380), designPx(220));
    m_tableView->verticalHeader()->setDefaultSectionSize(designPx(20));
    m_tableView->setHorHeaderSectionStretch(0, designPx(40), true);
    m_tableView->setHorHeaderSectionStretch(1, 1, false);
    m_tableView->setHorHeaderSectionStretch(2, 2, false);
    m_tableView->setMouseTracking(true);
    m_tableView->setStyleSheet(QStringLiteral("QTableView{font-size:%1px;}").arg(toFixString(9)));
    m_tableView->horizontalHeader()->setStyleSheet(QStringLiteral("QHeaderView{font-size:%1px;}").arg(toFixString(9.5)));

    pageWidget = new CPageWidget(0, 9, this, false);

    m_okBtn = new QPushButton(QStringLiteral("确认"), _content);
    m_cancelBtn = new QPushButton(QStringLiteral("取消"), _content);
    for (QPushButton* btn : {m_okBtn, m_cancelBtn})
        btn->setFixedSize(designPx(60), designPx(20));
    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(designPx(18));
    buttons->addStretch();
    buttons->addWidget(m_okBtn);
    buttons->addWidget(m_cancelBtn);
    buttons->addStretch();

    auto* body = new QVBoxLayout(_content);
    body->setContentsMargins(0, designPx(10), 0, designPx(12));
    body->setSpacing(designPx(15));
    body->addWidget(m_frame, 0, Qt::AlignHCenter);
    body->addWidget(line, 0, Qt::AlignHCenter);
    body->addWidget(_searchLine, 0, Qt::AlignHCenter);
    body->addWidget(m_tableView, 0, Qt::AlignHCenter);
    body->addWidget(pageWidget, 0, Qt::AlignHCenter);
    body->addLayout(buttons);

    loading = new LoadingWidget(this, Qt::Vertical);
    loading->setModal(true);
    loading->setText(QStringLiteral("正在查找联系人..."));
    loading->hide();

    _content->setStyleSheet(QStringLiteral("QLabel#stripCaption{color:#999999;font-size:%1px;}"
                                           "QFrame#stripLine{background:#E6E6E6;border:none;}"
                                           "QLineEdit#friendSearch{border:1px solid #91DFBC;border-radius:%2px;"
                                           "font-size:%3px;color:#5D5D5D;}")
                                .arg(toFixString(11.5), toFixString(2), toFixString(9)));

    connect(searchAction, &QAction::triggered, this, [this] {
        loading->show();
        searchLineEditRetuen();
    });
    connect(m_tableView, &QAbstractItemView::entered, this, &GoodFriendDialog::on_tableView_entered);
    connect(m_dataModel, &StandardItemModel::sendCheck, this, &GoodFriendDialog::getCheck);
    connect(pageWidget, &CPageWidget::setTableData, this, &GoodFriendDialog::setTableData);
    connect(pageWidget, &CPageWidget::setComBoxData, this, &GoodFriendDialog::setComBoxData);
    connect(m_okBtn, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_cancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    connect(_searchLine, &QLineEdit::returnPressed, this, &GoodFriendDialog::searchLineEditRetuen);

    loadContacts(QString(), nullptr);
}

GoodFriendDialog::~GoodFriendDialog() = default;

bool GoodFriendDialog::loadContacts(const QString& query, LoadingWidget* busy)
{
    m_query = query;
    m_linkman.clear();
    m_dataModel->clear();
    if (!NetWorkBusiness::Instance()->getMyLinkManBusiness(m_linkman, busy, query))
        return false;
    // With no contact the paging bar has no page either (and selects none).
    pageWidget->setData(m_linkman, curNums);
    return true;
}

void GoodFriendDialog::searchLineEditRetuen()
{
    loading->setText(QStringLiteral("正在查找联系人..."));
    loadContacts(_searchLine->text(), loading);
}

void GoodFriendDialog::setTableData(const int&, const int& curPagenum)
{
    curPage = curPagenum;
    fillTableView(m_linkman);
    m_tableView->viewport()->update();
}

void GoodFriendDialog::setComBoxData(const int& nums, const int&)
{
    curNums = nums;
    loading->setText(QStringLiteral("正在查找联系人..."));
    loadContacts(m_query, loading);
}

void GoodFriendDialog::fillTableView(QList<LinkmanInfo> linkman)
{
    m_dataModel->clear();
    m_dataModel->setPageRows(curNums);
    m_dataModel->setTotalRowCount(qMin(linkman.size(), curNums));
    const QString chosen = m_UserId;
    for (int i = curPage * curNums; i < (curPage + 1) * curNums && i < linkman.size(); ++i) {
        const int row = i - curPage * curNums;
        auto* check = new QStandardItem;
        check->setData(QStringLiteral("CheckBox"), kRoleKind);
        // The chosen contact keeps its mark on every page it appears on.
        check->setData(!chosen.isEmpty() && linkman[i].userId == chosen, kRoleState);
        m_dataModel->setItem(row, 0, check);
        m_dataModel->setItem(row, 1, textCell(linkman[i].remarkName));
        m_dataModel->setItem(row, 2, textCell(linkman[i].userAccount));
    }
}

int GoodFriendDialog::contactIndex(int row) const
{
    const int index = curPage * curNums + row;
    return row >= 0 && row < curNums && index < m_linkman.size() ? index : -1;
}

int GoodFriendDialog::chosenRow() const
{
    if (m_UserId.isEmpty())
        return -1;
    for (int row = 0; row < curNums; ++row) {
        const int index = contactIndex(row);
        if (index >= 0 && m_linkman[index].userId == m_UserId)
            return row;
    }
    return -1;
}

bool GoodFriendDialog::isRowChecked(int row) const
{
    return m_dataModel->data(m_dataModel->index(row, 0), kRoleState).toBool();
}

void GoodFriendDialog::clickRow(int row)
{
    const QModelIndex cell = m_dataModel->index(row, 0);
    if (cell.isValid() && cell.data(kRoleKind).toString() == QLatin1String("CheckBox"))
        m_dataModel->setData(cell, !cell.data(kRoleState).toBool(), kRoleState);
}

void GoodFriendDialog::setRowChecked(int row, bool checked)
{
    const QModelIndex cell = m_dataModel->index(row, 0);
    if (!cell.isValid() || cell.data(kRoleState).toBool() == checked)
        return;
    count = 1;   // the change notification that follows is the dialog's own
    m_dataModel->setData(cell, checked, kRoleState);
}

void GoodFriendDialog::on_tableView_entered(const QModelIndex& index)
{
    tabViewRow = curNums * curPage + index.row();
}

void GoodFriendDialog::dropChoice()
{
    m_selectFriendWidget->clear();
    m_NameStr.clear();
    m_AccountStr.clear();
    m_UserId.clear();
}

void GoodFriendDialog::getCheck(int row, bool isCheck)
{
    if (count != 0) {
        count = 0;
        return;
    }
    qDebug() << "contact row" << row << "checked" << isCheck;
    const int index = contactIndex(row);
    if (index < 0)
        return;
    const LinkmanInfo contact = m_linkman[index];

    if (!isCheck) {
        // Unchecking the chosen contact drops the choice; there is nothing to check first.
        if (!m_UserId.isEmpty() && contact.userId == m_UserId)
            dropChoice();
        return;
    }
    if (contact.userType != 0) {
        QuickMessageBox::abort(this, QStringLiteral("只能授权给个人用户"), qmt_nothing, 2000);
        setRowChecked(row, false);
        return;
    }
    if (contact.authenStatus != 1) {
        QuickMessageBox::abort(this, QStringLiteral("该用户尚未进行实名认证，无法授权"), qmt_nothing, 2000);
        setRowChecked(row, false);
        return;
    }
    if (!NetWorkBusiness::Instance()->checkUserDuplicateAuthBus(contact.userId, nullptr)) {
        setRowChecked(row, false);   // the service client has shown why
        return;
    }

    // The contact just checked, and no other, becomes the choice: the one validated above.
    selectRow = chosenRow();
    if (selectRow == row)
        selectRow = -1;
    dropChoice();
    auto* item = new QListWidgetItem(m_selectFriendWidget);
    item->setSizeHint(QSize(designPx(109), designPx(38)));
    auto* chip = new SelectFriendListCell(contact.remarkName, contact.userAccount, contact.userId);
    chip->bandListItem(item);
    connect(chip, &SelectFriendListCell::delItem, this, &GoodFriendDialog::delLiwtWidgetItem);
    m_selectFriendWidget->setItemWidget(item, chip);
    m_NameStr = contact.userName;
    m_AccountStr = contact.userAccount;
    m_UserId = contact.userId;
    if (selectRow != -1) {
        setRowChecked(selectRow, false);
        selectRow = -1;
    }
}

void GoodFriendDialog::delLiwtWidgetItem(QListWidgetItem* item)
{
    auto* chip = item ? qobject_cast<SelectFriendListCell*>(m_selectFriendWidget->itemWidget(item)) : nullptr;
    if (!chip)
        return;
    // The chip goes, and the choice with it, whether or not its row is on the page shown.
    const int row = chosenRow();
    dropChoice();
    if (row >= 0)
        setRowChecked(row, false);
}
