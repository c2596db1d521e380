#include "LinkManListWidget.h"

#include "ContractDetailInfoWidget.h"
#include "GlobalHeader.h"
#include "LoadingWidget.h"
#include "MMessageBox.h"
#include "NetWorkBusiness.h"
#include "QuickMessageBox.h"
#include "TableView.h"

#include <QAction>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMovie>
#include <QPushButton>
#include <QRegularExpression>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

namespace {

int px(double design)
{
    return int(design * screenZoom);
}

// The icon of a state text; empty for a text without one.
QString stateIcon(const QString& state)
{
    if (state == QStringLiteral("未注册") || state == QStringLiteral("未激活"))
        return QStringLiteral(":/Resources/images/msg_waring.svg");
    if (state == QStringLiteral("未认证"))
        return QStringLiteral(":/Resources/images/msg_error.svg");
    if (state == QStringLiteral("已认证"))
        return QStringLiteral(":/Resources/images/msg_suc.svg");
    return QString();
}

void showListFull()
{
    MMessageBox::showInformation(g_topWidget, QStringLiteral("Orvessa"), QStringLiteral("最多添加10个签署方"),
                                 QSize(280, 160), QDialogButtonBox::Ok);
}

} // namespace

QString getStatuStr(int activation, int authenStatus)
{
    if (activation == 0)
        return QStringLiteral("未激活");
    if (activation != 1)
        return QStringLiteral("未知状态");
    if (authenStatus == 1)
        return QStringLiteral("已认证");
    if (authenStatus == 0 || authenStatus == 2 || authenStatus == 3)
        return QStringLiteral("未认证");
    return QStringLiteral("未知状态");
}

// ---- one row --------------------------------------------------------------------------------

const char* const LinkmanCellWidget::kMobilePattern =
    "^((13[0-9])|(14[5,7])|(15[0-3,5-9])|(17[0,3,5-8])|(18[0-9])|166|198|199|(147))\\d{8}$";

LinkmanCellWidget::LinkmanCellWidget(QListWidgetItem* item, int usertype, QWidget* parent)
    : QWidget(parent), m_userType(usertype), m_curItem(item)
{
    initContractResources();
    QLabel* typeLabel = new QLabel(usertype == 0 ? QStringLiteral("个人") : QStringLiteral("企业"), this);
    typeLabel->setFixedSize(px(22), px(15));
    typeLabel->setAlignment(Qt::AlignCenter);
    typeLabel->setProperty("mode", "usertype");

    m_account = new QLineEdit(this);
    m_remarkName = new QLineEdit(this);
    if (usertype == 0)
    {
        m_remarkName->setPlaceholderText(QStringLiteral("姓名"));
        m_account->setPlaceholderText(QStringLiteral("个人账号"));
        m_account->setValidator(new QRegularExpressionValidator(
            QRegularExpression(QString::fromLatin1(kMobilePattern)), m_account));
        m_account->setMaxLength(11);
    }
    else
    {
        m_remarkName->setPlaceholderText(QStringLiteral("企业名称"));
        m_account->setPlaceholderText(QStringLiteral("企业账号"));
        m_account->setMaxLength(30);
    }
    m_account->setAttribute(Qt::WA_InputMethodEnabled, false);
    m_account->setFixedSize(px(128), px(22));
    m_remarkName->setFixedSize(px(127), px(22));

    m_phoneBtn = new QPushButton(this);
    m_phoneBtn->setObjectName(QStringLiteral("phone"));
    m_phoneBtn->setIcon(QIcon(QStringLiteral(":/Resources/images/telephone.svg")));
    m_phoneBtn->setFixedHeight(px(22));
    m_deleteBtn = new QPushButton(QStringLiteral("删除"), this);
    m_deleteBtn->setFixedSize(px(44), px(22));
    m_imageLabel = new QLabel(this);
    m_imageLabel->setFixedSize(px(9), px(9));
    m_imageLabel->setScaledContents(true);
    m_textLabel = new QLabel(this);

    QHBoxLayout* accountPart = new QHBoxLayout;
    accountPart->setSpacing(0);
    accountPart->setContentsMargins(0, 0, 0, 0);
    accountPart->addWidget(m_account);
    accountPart->addWidget(m_phoneBtn);

    QHBoxLayout* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(typeLabel);
    layout->addLayout(accountPart);
    layout->addWidget(m_remarkName);
    layout->addWidget(m_deleteBtn);
    layout->addWidget(m_imageLabel);
    layout->addWidget(m_textLabel);
    layout->addStretch();

    setStyleSheet(QStringLiteral("QLineEdit{ border:none;padding-left:%4px;font-size:%1px;border-radius:0px;"
                                 "background:#AAF1D1;color:#333333;}"
                                 "QPushButton{border:1px solid #FFA03F;color:#FFA03F;background:white;"
                                 "border-radius:%3px;font-size:%5px;}"
                                 "QPushButton:hover{border-color:#C98900;color:#C98900;}"
                                 "QPushButton:pressed{color:white;background:#C98900;}"
                                 "QPushButton#phone{border:none;border-radius:0px;background:#AAF1D1;}"
                                 "QLabel[mode='usertype']{color:white;background:#31CA84;font-size:%2px;"
                                 "border-radius:%3px;}"
                                 "QLabel{font-size:%2px;color:#717171;}")
                      .arg(toFixString(8.5), toFixString(8), toFixString(2), toFixString(4), toFixSize(11, true)));

    m_movie = new QMovie(QStringLiteral(":/Resources/loading2.gif"), QByteArray(), this);

    connect(m_deleteBtn, &QPushButton::clicked, this, [this] { emit deleteRow(m_curItem); });
    connect(m_account, &QLineEdit::editingFinished, this, &LinkmanCellWidget::finished);
    // A user id belongs to the account it was looked up for: typing another account drops it,
    // so the signer saved is the one whose account the row shows.
    connect(m_account, &QLineEdit::textEdited, this, [this] { m_signInfo.userId.clear(); });
    connect(m_phoneBtn, &QPushButton::clicked, this, &LinkmanCellWidget::actionBtn);
}

void LinkmanCellWidget::finished()
{
    if (m_account->text().isEmpty())
        return;
    bool authenticated = false;
    checkAccount(true, authenticated);
}

bool LinkmanCellWidget::getUserStatuAndId(QString& userid, bool& bAuthen)
{
    QString name;
    int authenStatus = -1;
    int activation = -1;
    // Until the service says otherwise the account is taken as unknown.
    bool registered = false;
    if (!NetWorkBusiness::Instance()->getBaseUserInfo(m_userType, m_account->text(), userid, authenStatus, activation,
                                                      registered, name))
        return false;
    if (!registered)
    {
        // No account: no user id of an earlier look-up may stay with the row.
        userid.clear();
        setAccountStatuStr(QStringLiteral("未注册"));
    }
    else if (activation == 0)
        setAccountStatuStr(QStringLiteral("未激活"));
    else if (activation == 1)
    {
        if (authenStatus == 0 || authenStatus == 2 || authenStatus == 3)
            setAccountStatuStr(QStringLiteral("未认证"));
        else if (authenStatus == 1)
        {
            setAccountStatuStr(QStringLiteral("已认证"));
            bAuthen = true;
        }
    }
    m_remarkName->setText(name);
    return true;
}

bool LinkmanCellWidget::checkAccount(bool animate, bool& bAuthen)
{
    // The icon as it was: a failed request leaves the row as the user last saw it.
    const QString iconBefore = m_iconPath;
    if (animate)
    {
        m_imageLabel->setMovie(m_movie);
        m_movie->start();
    }
    const bool ok = getUserStatuAndId(m_signInfo.userId, bAuthen);
    if (animate)
    {
        m_movie->stop();
        m_imageLabel->setMovie(nullptr);
        if (!ok)
        {
            m_iconPath = iconBefore;
            if (iconBefore.isEmpty())
                m_imageLabel->clear();
            else
                m_imageLabel->setPixmap(QPixmap(iconBefore));
        }
        else if (!m_iconPath.isEmpty())
            m_imageLabel->setPixmap(QPixmap(m_iconPath));
    }
    return ok;
}

void LinkmanCellWidget::setAccountStatuStr(QString str)
{
    m_textLabel->setText(str);
    const QString icon = stateIcon(str);
    if (icon.isEmpty())
        return;
    m_iconPath = icon;
    m_imageLabel->setPixmap(QPixmap(icon));
}

void LinkmanCellWidget::setadressBookUser(SignerInfo info)
{
    m_signInfo = info;
    m_account->setText(info.userAccount);
    m_remarkName->setText(info.userName);
    setAccountStatuStr(info.statustr);
}

int LinkmanCellWidget::judgeValue()
{
    m_signInfo.userType = m_userType;
    m_signInfo.userName = m_remarkName->text();
    m_signInfo.isLock = QStringLiteral("0");
    const QString account = m_account->text();
    m_signInfo.userAccount = account;
    if (m_signInfo.userId.isEmpty() && !account.isEmpty())
    {
        bool authenticated = false;
        checkAccount(false, authenticated);
        // The check may have put the service's name into the row.
        m_signInfo.userName = m_remarkName->text();
    }
    m_signInfo.statustr = m_textLabel->text();

    if (m_userType == 0)
    {
        if (account.isEmpty())
            return 1;
        if (account.size() != 11)
            return 2;
        return QRegularExpression(QString::fromLatin1(kMobilePattern)).match(account).hasMatch() ? 0 : 6;
    }
    if (m_userType == 1)
    {
        if (account.isEmpty())
            return 3;
        if (!account.contains(QLatin1Char('@')))
            return account.size() != 18 ? 5 : 0;
        static const QRegularExpression mail(QStringLiteral("[a-zA-Z0-9_-]+@[a-zA-Z0-9_-]+(.[a-zA-Z0-9_-]+)+$"));
        return mail.match(account).hasMatch() ? 0 : 4;
    }
    return 0;
}

void LinkmanCellWidget::actionBtn()
{
    QList<LinkmanInfo> contacts;
    if (!NetWorkBusiness::Instance()->getMyLinkManBusiness(contacts, nullptr, QString()))
        return;
    AddressBookDialog book(g_topWidget);
    book.fillTableView(contacts);
    if (book.exec() != QDialog::Accepted)
        return;
    QList<SignerInfo> chosen;
    book.getSelectedUser(chosen);
    if (!chosen.isEmpty())
        emit addUserList(m_curItem, chosen);
}

// ---- the list -------------------------------------------------------------------------------

LinkManListWidget::LinkManListWidget(QWidget* parent) : QListWidget(parent)
{
    setSelectionMode(QAbstractItemView::NoSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setFocusPolicy(Qt::NoFocus);
    setSpacing(int(screenZoom));
    setStyleSheet(QStringLiteral("QListWidget{border:none;}"));
}

LinkmanCellWidget* LinkManListWidget::appendRow(int userType)
{
    QListWidgetItem* item = new QListWidgetItem(this);
    item->setSizeHint(QSize(px(251), px(22)));
    LinkmanCellWidget* cell = new LinkmanCellWidget(item, userType, this);
    connect(cell, &LinkmanCellWidget::deleteRow, this, &LinkManListWidget::deleteItem);
    connect(cell, &LinkmanCellWidget::addUserList, this, &LinkManListWidget::addUserList);
    setItemWidget(item, cell);
    setFixedWidth(px(418));
    return cell;
}

void LinkManListWidget::addItemWidget(int userType)
{
    if (count() >= kMaxRows)
    {
        showListFull();
        return;
    }
    appendRow(userType);
}

void LinkManListWidget::addItemWidget(SignerInfo info)
{
    appendRow(info.userType)->setadressBookUser(info);
}

LinkmanCellWidget* LinkManListWidget::row(int index) const
{
    QListWidgetItem* it = item(index);
    return it ? qobject_cast<LinkmanCellWidget*>(itemWidget(it)) : nullptr;
}

void LinkManListWidget::deleteItem(QListWidgetItem* item)
{
    const int at = QListWidget::row(item);
    if (at < 0)
        return;
    // The row widget goes with deleteLater (its own signal may still be on the stack).
    removeItemWidget(item);
    delete takeItem(at);
    viewport()->update();
}

void LinkManListWidget::addUserList(QListWidgetItem* item, QList<SignerInfo> users)
{
    deleteItem(item);
    for (const SignerInfo& user : users)
    {
        if (count() >= kMaxRows)
        {
            showListFull();
            return;
        }
        for (int i = 0; i < count(); i++)
        {
            LinkmanCellWidget* cell = row(i);
            if (cell && cell->accountEdit()->text() == user.userAccount)
            {
                isRepeat = true;
                isPrompt = true;
                break;
            }
        }
        if (isRepeat)
        {
            isRepeat = false;
            continue;
        }
        addItemWidget(user);
    }
    if (isPrompt)
    {
        QuickMessageBox::abort(this, QStringLiteral("系统已为您自动过滤重复账号"), qmt_nothing, 2000);
        isPrompt = false;
    }
}

// ---- the address book -----------------------------------------------------------------------

AddressBookDialog::AddressBookDialog(QWidget* parent) : ParentDialog(parent)
{
    initContractResources();
    setTilter(QStringLiteral("选择添加联系人"));
    const int height = 396 * screenZoom > screenHeight ? screenHeight - 40 : px(396);
    setFixedSize(px(465), height);

    _searchLine = new QLineEdit(_content);
    _searchLine->setPlaceholderText(QStringLiteral("请输入联系人账号或姓名"));
    _searchLine->setFixedSize(px(380), px(25));
    _searchLine->setStyleSheet(QStringLiteral("QLineEdit{border:1px solid rgb(49,202,132);border-radius:%1px;"
                                              "font:%2px '微软雅黑';color:#666666;}"
                                              "QLineEdit::hover{border-color:rgb(23,175,120);}")
                                   .arg(toFixString(1), toFixString(9.5)));
    QAction* searchAction = _searchLine->addAction(
        QIcon(QStringLiteral(":/usercenter/Resources/images/usercenter/search.png")), QLineEdit::TrailingPosition);

    m_dataModel = new StandardItemModel(this);
    m_dataModel->setColumnCount(4);
    m_dataModel->setHorizontalHeaderLabels(
        {QString(), QStringLiteral("姓名"), QStringLiteral("账号"), QStringLiteral("账号状态")});

    m_tableView = new TableView(_content, 0);
    m_tableView->setFixedSize(px(380), px(280));
    m_tableView->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_tableView->setItemDelegate(new TableWidgetItemDelegate(m_tableView, true));
    m_tableView->setDataModel(m_dataModel);
    m_tableView->horizontalHeader()->setStyleSheet(
        QStringLiteral("QHeaderView::section{background-color:#E5F6EE;border:0px solid #EAEDF1;color:#278E60;"
                       "font:%1px '微软雅黑';}")
            .arg(toFixString(9)));
    m_tableView->setStyleSheet(QStringLiteral("QTableView{selection-background-color:rgba(200,235,224,225);"
                                              "border:1px solid #31CA84;font-size:%1px;}")
                                   .arg(toFixString(8.5)));
    m_tableView->verticalHeader()->setDefaultSectionSize(px(20));
    m_tableView->setHorHeaderCheckable(true);
    m_tableView->setHorHeaderSectionStretch(0, px(40), true);
    m_tableView->setHorHeaderSectionStretch(1, 1, false);
    m_tableView->setHorHeaderSectionStretch(2, 2, false);
    m_tableView->setHorHeaderSectionStretch(3, 1, false);

    m_okBtn = new QPushButton(QStringLiteral("确定"), _content);
    m_cancelBtn = new QPushButton(QStringLiteral("取消"), _content);
    for (QPushButton* b : {m_okBtn, m_cancelBtn})
        b->setFixedSize(px(60), px(20));
    QHBoxLayout* buttons = new QHBoxLayout;
    buttons->setSpacing(px(18));
    buttons->addStretch();
    buttons->addWidget(m_okBtn);
    buttons->addWidget(m_cancelBtn);
    buttons->addStretch();

    QVBoxLayout* body = new QVBoxLayout(_content);
    body->setContentsMargins(0, px(12), 0, px(12));
    body->setSpacing(px(12));
    body->addWidget(_searchLine, 0, Qt::AlignHCenter);
    body->addWidget(m_tableView, 0, Qt::AlignHCenter);
    body->addLayout(buttons);
    _content->setStyleSheet(QStringLiteral("QPushButton{color:white;background:#31CA84;border:none;border-radius:%1px;"
                                           "font-size:%2px;}QPushButton:hover{background:#2CBB7B;}")
                                .arg(toFixString(2), toFixString(9)));

    loading = new LoadingWidget(this, Qt::Vertical);
    loading->setModal(true);
    loading->setText(QStringLiteral("正在查找联系人..."));
    loading->hide();

    connect(m_okBtn, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_cancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    connect(searchAction, &QAction::triggered, this, [this] {
        loading->show();
        search();
    });
    connect(_searchLine, &QLineEdit::returnPressed, this, &AddressBookDialog::searchLineEditRetuen);
}

void AddressBookDialog::searchLineEditRetuen()
{
    loading->setText(QStringLiteral("正在查找联系人..."));
    search();
}

void AddressBookDialog::search()
{
    m_linkman.clear();
    m_dataModel->clear();
    m_dataModel->setTotalRowCount(0);
    if (NetWorkBusiness::Instance()->getMyLinkManBusiness(m_linkman, loading, _searchLine->text()))
        fillTableView(m_linkman);
    loading->hide();
}

void AddressBookDialog::fillTableView(QList<LinkmanInfo> list)
{
    if (list.isEmpty())
        return;
    m_dataModel->clear();
    m_dataModel->setPageRows(list.size());
    m_dataModel->setTotalRowCount(list.size());
    m_linkman = list;
    const QColor text(74, 74, 74);
    auto cell = [&text](const QString& value) {
        QStandardItem* item = new QStandardItem(value);
        item->setTextAlignment(Qt::AlignCenter);
        item->setForeground(text);
        return item;
    };
    for (int i = 0; i < list.size(); i++)
    {
        QStandardItem* check = new QStandardItem;
        check->setData(QStringLiteral("CheckBox"), Qt::UserRole);
        m_dataModel->setItem(i, 0, check);
        m_dataModel->setItem(i, 1, cell(list[i].remarkName));
        m_dataModel->setItem(i, 2, cell(list[i].userAccount));
        m_dataModel->setItem(i, 3, cell(getStatuStr(list[i].activation, list[i].authenStatus)));
    }
}

void AddressBookDialog::getSelectedUser(QList<SignerInfo>& out)
{
    const int rows = m_dataModel->totalRowCount();
    if (rows != m_linkman.size() || rows <= 0)
        return;
    for (int i = 0; i < rows; i++)
    {
        if (!m_dataModel->standarItem(i, 0) || !m_dataModel->standarItem(i, 0)->data(Qt::UserRole + 1).toBool())
            continue;
        SignerInfo s;
        s.userName = m_linkman[i].remarkName;
        s.userAccount = m_linkman[i].userAccount;
        s.userId = m_linkman[i].userId;
        s.userType = m_linkman[i].userType;
        s.isLock = QStringLiteral("0");
        s.statustr = m_dataModel->standarItem(i, 3) ? m_dataModel->standarItem(i, 3)->text() : QString();
        out.append(s);
    }
}
