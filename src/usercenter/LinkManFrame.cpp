#include "LinkManFrame.h"

#include "CPageWidget.h"
#include "ContactsShared.h"
#include "GlobalHeader.h"
#include "Level2MenuBar.h"
#include "LoadingWidget.h"
#include "MMessageBox.h"
#include "NetWorkBusiness.h"
#include "TableView.h"
#include "UserCenterShared.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

const char* const kModifyButton = "modifyContact";
const char* const kDeleteButton = "deleteContact";
const char* const kContactIndex = "contactIndex";
const char* const kContactId = "contactId";

// The round picture of an avatar's bytes; null when they are no picture.
QPixmap roundAvatar(const QByteArray& bytes)
{
    QPixmap source;
    if (bytes.isEmpty() || !source.loadFromData(bytes))
        return QPixmap();
    QPixmap round(100, 100);
    round.fill(Qt::transparent);
    QPainter painter(&round);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
    QPainterPath circle;
    circle.addEllipse(0, 0, 100, 100);
    painter.setClipPath(circle);
    painter.drawPixmap(0, 0, 100, 100, source.scaled(100, 100, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    return round;
}

QString labelStyle(double fontSize, const char* colour)
{
    return QStringLiteral("font-size:%1px;color:%2;").arg(toFixString(fontSize), QLatin1String(colour));
}

QLineEdit* contactField(QWidget* parent, const QString& text, bool account)
{
    auto* edit = new QLineEdit(text, parent);
    edit->setFixedSize(designPx(177), designPx(22));
    if (account) {
        edit->setMaxLength(20);
        edit->setAttribute(Qt::WA_InputMethodEnabled, false);
    }
    return edit;
}

QPushButton* dialogButton(const QString& text, double w, double h, bool main, QWidget* parent)
{
    auto* button = new QPushButton(text, parent);
    button->setFixedSize(designPx(w), designPx(h));
    if (main)
        styleMainButton(button);
    else
        styleOtherButton(button);
    return button;
}

LoadingWidget* busyBox(QWidget* parent, const QString& text)
{
    auto* box = new LoadingWidget(parent, Qt::Vertical);
    box->setModal(true);
    box->setText(text);
    box->hide();
    return box;
}

QString dialogFieldStyle()
{
    return QStringLiteral("QLineEdit{border:1px solid #91DFBC;border-radius:2px;padding-left:4px;font-size:%1px;}")
        .arg(toFixString(10));
}

} // namespace

// ---------------------------------------------------------------------------------------------
// LinkManFrame

LinkManFrame::LinkManFrame(QWidget* parent)
    : QWidget(parent)
{
    initUserCenterResources();
    initContactsPictures();
    setObjectName("linkManFrame");

    m_loading = busyBox(this, QStringLiteral("正在加载联系人数据..."));

    QWidget* left = initLeftWidget();
    initRightWidget();

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, designPx(12), 0, designPx(12));
    layout->setSpacing(designPx(12));
    layout->addStretch();
    layout->addWidget(left);
    layout->addWidget(rightWidget);
    layout->addStretch();

    setAttribute(Qt::WA_StyledBackground, true);
    setStyleSheet(QStringLiteral("QWidget#linkManFrame{background:#F3F6F7;}"));
}

LinkManFrame::~LinkManFrame() = default;

QWidget* LinkManFrame::initLeftWidget()
{
    auto* left = new QWidget(this);
    left->setObjectName("linkManLeft");
    left->setFixedWidth(designPx(148));
    left->setAttribute(Qt::WA_StyledBackground, true);
    auto* shadow = new GraphicsDropShadowEffect(left);
    shadow->setColor(QColor(164, 161, 161, 58));
    left->setGraphicsEffect(shadow);

    m_addperson = new QPushButton(QStringLiteral("添加联系人"), left);
    m_addperson->setFixedSize(designPx(111), designPx(26));
    m_addperson->setProperty("mode", "style2");
    m_addperson->setCursor(Qt::PointingHandCursor);

    auto* line = new QLabel(left);
    line->setProperty("mode", "style1");
    line->setFixedSize(designPx(133), 1);

    m_listWidget = new QListWidget(left);
    m_listWidget->setObjectName("linkManGroups");
    m_listWidget->setSpacing(1);
    m_listWidget->setFocusPolicy(Qt::NoFocus);
    m_listWidget->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);

    auto* layout = new QVBoxLayout(left);
    layout->setContentsMargins(0, designPx(12), 0, designPx(15));
    layout->setSpacing(designPx(16));
    layout->addWidget(m_addperson, 0, Qt::AlignHCenter);
    layout->addWidget(line, 0, Qt::AlignHCenter);
    layout->addWidget(m_listWidget, 1);

    left->setStyleSheet(
        QStringLiteral("QWidget#linkManLeft{background:white;border-radius:%1px;}"
                       "QLabel[mode='style1']{background:#E6E9EB;}"
                       "QListWidget#linkManGroups{border:none;background:transparent;font-size:%2px;color:#333333;}"
                       "QListWidget#linkManGroups::item{height:%3px;padding-left:%4px;}"
                       "QListWidget#linkManGroups::item:selected{background:#EBF8EC;color:#31CA84;"
                       "border-left:3px solid #31CA84;}")
            .arg(toFixString(4), toFixString(9.5), QString::number(designPx(35)), QString::number(designPx(25))));

    connect(m_addperson, &QPushButton::clicked, this, &LinkManFrame::addLink);
    return left;
}

void LinkManFrame::initRightWidget()
{
    rightWidget = new BlockWidget(this);
    rightWidget->setFixedWidth(designPx(707));
    rightWidget->setTitler(QStringLiteral("联系人列表"));

    auto* caption = new QLabel(QStringLiteral("        我的联系人"), rightWidget->bodyWidget());
    caption->setStyleSheet(labelStyle(15.5, "#333333"));

    m_tableView = new TableView(rightWidget->bodyWidget(), 0);
    m_dataModel = new StandardItemModel(m_tableView);
    m_dataModel->setColumnCount(5);
    m_dataModel->setHorizontalHeaderLabels({QStringLiteral("姓名"), QStringLiteral("账号"), QStringLiteral("帐号状态"),
                                            QStringLiteral("创建时间"), QStringLiteral("操作")});
    m_tableView->setDataModel(m_dataModel);
    m_tableView->setHorHeaderCheckable(false);
    for (int column = 0; column < 4; ++column)
        m_tableView->setHorHeaderSectionStretch(column, 1, false);
    m_tableView->setHorHeaderSectionStretch(4, designPx(148), true);
    m_tableView->verticalHeader()->setDefaultSectionSize(designPx(41));
    m_tableView->verticalHeader()->setMinimumSectionSize(designPx(41));
    m_tableView->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_tableView->setAlternatingRowColors(false);
    m_tableView->setItemDelegate(new TableWidgetItemDelegate(m_tableView));
    m_tableView->setStyleSheet(QStringLiteral("QTableView{border:none;font-size:%1px;}"
                                              "QTableView::item{border-bottom:1px solid #EEF1F2;}"
                                              "QTableView::item:selected{background:#EBF8EC;color:rgb(74,74,74);}")
                                   .arg(toFixString(8.5)));
    m_tableView->horizontalHeader()->setStyleSheet(
        QStringLiteral("QHeaderView::section{background:#F7F9FA;border:none;border-bottom:1px solid #E6E9EB;"
                       "color:rgb(39,142,96);font-size:%1px;}")
            .arg(toFixString(9.5)));

    pageWidget = new CPageWidget(0, 9, rightWidget->bodyWidget(), false);

    auto* layout = new QVBoxLayout(rightWidget->bodyWidget());
    layout->setContentsMargins(0, designPx(21), 0, designPx(15));
    layout->setSpacing(designPx(13));
    layout->addWidget(caption);
    layout->addWidget(m_tableView, 1);
    layout->addWidget(pageWidget, 0, Qt::AlignHCenter);

    connect(pageWidget, &CPageWidget::setTableData, this, &LinkManFrame::setTableData);
    connect(pageWidget, &CPageWidget::setComBoxData, this, &LinkManFrame::setComBoxData);
}

QString LinkManFrame::accountStateText(int authenStatus, int activation)
{
    if (authenStatus == 1)
        return QStringLiteral("已认证");
    if (authenStatus == 0 || authenStatus == 2 || authenStatus == 3)
        return QStringLiteral("未认证");
    return activation != 0 ? QStringLiteral("已激活") : QStringLiteral("未激活");
}

void LinkManFrame::showInfo()
{
    m_listWidget->clear();
    m_dataModel->clear();
    linkManInfo.clear();
    m_loading->setText(QStringLiteral("正在加载联系人数据..."));
    // A failed load is reported by the service client and leaves the list empty.
    NetWorkBusiness::Instance()->getMyLinkManBusiness(linkManInfo, m_loading, QString());
    showPages(curNums);
    setContactCount(linkManInfo.size());
}

void LinkManFrame::setComBoxData(const int& nums, const int&)
{
    curNums = nums;
    linkManInfo.clear();
    const bool loaded = NetWorkBusiness::Instance()->getMyLinkManBusiness(linkManInfo, m_loading, QString());
    if (linkManInfo.isEmpty())
        m_dataModel->clear();
    showPages(nums);
    // The count follows a successful load; a failed one leaves the entry as it was.
    if (loaded)
        setContactCount(linkManInfo.size());
}

void LinkManFrame::showPages(int nums)
{
    // Page 1 is filled through setTableData; without contacts the bar keeps no page buttons, so
    // none of them can ask for a page of an earlier list.
    pageWidget->setData(linkManInfo, nums);
}

void LinkManFrame::setContactCount(int count)
{
    m_listWidget->clear();
    auto* entry = new QListWidgetItem(QStringLiteral("全部联系人（%1）").arg(count), m_listWidget);
    entry->setSizeHint(QSize(designPx(148), designPx(35)));
    m_listWidget->setCurrentItem(entry);
}

void LinkManFrame::setTableData(const int& nums, const int& curPagenum)
{
    curPage = curPagenum;
    m_dataModel->clear();
    m_dataModel->setPageRows(nums);
    m_dataModel->setTotalRowCount(nums);
    const int first = curPagenum * nums;
    for (int index = first; index < first + nums && index < linkManInfo.size(); ++index) {
        if (index < 0)
            continue;
        const LinkmanInfo& c = linkManInfo.at(index);
        fillTableView(index - first, index, c.userType, c.imgUrl, c.remarkName, c.userAccount,
                      accountStateText(c.authenStatus, c.activation), c.createDate);
    }
    m_tableView->viewport()->update();
}

void LinkManFrame::fillTableView(int i, int contactIndex, const int& userType, const QString& imgUrl,
                                 const QString& name, const QString& acc, const QString& team,
                                 const QString& createTime)
{
    // Column 0: the avatar (the contact's own, round, or the default of its user type) and the name.
    QPixmap avatar;
    if (!imgUrl.isEmpty())
        avatar = roundAvatar(NetWorkBusiness::Instance()->getFileUrl(imgUrl));
    if (avatar.isNull())
        avatar = QPixmap(userType == 0 ? QStringLiteral(":/usercenter/Resources/images/usercenter/tx.png")
                                       : QStringLiteral(":/usercenter/Resources/images/usercenter/company.png"));
    auto* nameCell = new QWidget;
    auto* avatarLabel = new QLabel(nameCell);
    avatarLabel->setObjectName("avatar");
    avatarLabel->setFixedSize(designPx(27), designPx(27));
    avatarLabel->setScaledContents(true);
    avatarLabel->setPixmap(avatar);
    auto* nameLabel = new QLabel(name, nameCell);
    nameLabel->setObjectName("name");
    nameLabel->setFixedHeight(designPx(27));
    nameLabel->setStyleSheet(labelStyle(9.5, "rgb(74,74,74)"));
    auto* nameLayout = new QHBoxLayout(nameCell);
    nameLayout->setContentsMargins(designPx(29), 0, 0, 1);
    nameLayout->setSpacing(designPx(6));
    nameLayout->addWidget(avatarLabel);
    nameLayout->addWidget(nameLabel);
    nameLayout->addStretch();
    m_tableView->setIndexWidget(m_dataModel->index(i, 0), nameCell);

    // Columns 1 to 3: account, state, creation date.
    const QStringList texts{acc, team, createTime};
    for (int column = 1; column <= 3; ++column) {
        const QModelIndex cell = m_dataModel->index(i, column);
        m_dataModel->setData(cell, texts.at(column - 1), Qt::DisplayRole);
        m_dataModel->setData(cell, int(Qt::AlignCenter), Qt::TextAlignmentRole);
        m_dataModel->setData(cell, QColor(74, 74, 74), Qt::ForegroundRole);
    }

    // Column 4: "修改" and "删除", each bound to this contact.
    auto* actions = new QWidget;
    auto* actionLayout = new QHBoxLayout(actions);
    actionLayout->setContentsMargins(0, 0, 0, 0);
    actionLayout->setSpacing(designPx(10));
    actionLayout->addStretch();
    auto makeButton = [&](const QString& text, const char* icon, const char* objectName) {
        auto* button = new QToolButton(actions);
        button->setObjectName(objectName);
        button->setText(text);
        button->setIcon(QIcon(QString::fromLatin1(icon)));
        button->setIconSize(QSize(designPx(12), designPx(12)));
        button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
        button->setAutoRaise(true);
        button->setFixedSize(designPx(38), designPx(12));
        button->setCursor(Qt::PointingHandCursor);
        button->setStyleSheet(QStringLiteral("QToolButton{border:none;background:transparent;padding:0px;"
                                             "color:rgb(55,189,119);font-size:%1px;}")
                                  .arg(toFixString(9.5)));
        button->setProperty(kContactIndex, contactIndex);
        button->setProperty(kContactId, linkManInfo.at(contactIndex).id);
        actionLayout->addWidget(button);
        return button;
    };
    QToolButton* modify = makeButton(QStringLiteral("修改"), ":/usercenter/Resources/images/usercenter/mod.png",
                                     kModifyButton);
    QToolButton* remove = makeButton(QStringLiteral("删除"), ":/usercenter/Resources/images/usercenter/del.png",
                                     kDeleteButton);
    actionLayout->addStretch();
    connect(modify, &QToolButton::clicked, this, &LinkManFrame::modifyLinkManBtnClicked);
    connect(remove, &QToolButton::clicked, this, &LinkManFrame::delLinkManBtnClicked);
    m_tableView->setIndexWidget(m_dataModel->index(i, 4), actions);
}

QToolButton* LinkManFrame::rowButton(int row, const char* name) const
{
    if (row < 0 || row >= m_dataModel->rowCount())
        return nullptr;
    QWidget* cell = m_tableView->indexWidget(m_dataModel->index(row, 4));
    return cell ? cell->findChild<QToolButton*>(QLatin1String(name)) : nullptr;
}

QToolButton* LinkManFrame::modifyButton(int row) const
{
    return rowButton(row, kModifyButton);
}

QToolButton* LinkManFrame::deleteButton(int row) const
{
    return rowButton(row, kDeleteButton);
}

const LinkmanInfo* LinkManFrame::boundContact(QObject* button) const
{
    if (!button)
        return nullptr;
    bool ok = false;
    const int index = button->property(kContactIndex).toInt(&ok);
    if (!ok || index < 0 || index >= linkManInfo.size())
        return nullptr;
    const LinkmanInfo& contact = linkManInfo.at(index);
    return contact.id == button->property(kContactId).toString() ? &contact : nullptr;
}

void LinkManFrame::modifyLinkManBtnClicked()
{
    const LinkmanInfo* contact = boundContact(sender());
    if (!contact)
        return;
    ModifyLinkmanDlg dialog(g_topWidget, contact->remarkName, contact->userAccount, contact->id);
    connect(&dialog, &ModifyLinkmanDlg::modifyLinkMan, this, &LinkManFrame::modifyLinkMan);
    dialog.exec();
}

void LinkManFrame::delLinkManBtnClicked()
{
    const LinkmanInfo* contact = boundContact(sender());
    if (!contact)
        return;
    DelLinkmanDlg dialog(g_topWidget, contact->remarkName, contact->userAccount, contact->id);
    connect(&dialog, &DelLinkmanDlg::delLinkMan, this, &LinkManFrame::delLinkMan);
    dialog.exec();
}

void LinkManFrame::addLink()
{
    addLinkmanDlg dialog(g_topWidget);
    connect(&dialog, &addLinkmanDlg::addLinkMan, this, &LinkManFrame::addLinkMan);
    dialog.exec();
}

void LinkManFrame::addLinkMan(int type)
{
    if (type == 0)
        if (auto* dialog = qobject_cast<QDialog*>(sender()))
            dialog->close();
    showInfo();
}

void LinkManFrame::delLinkMan()
{
    if (auto* dialog = qobject_cast<QDialog*>(sender()))
        dialog->close();
    showInfo();
}

void LinkManFrame::modifyLinkMan()
{
    if (auto* dialog = qobject_cast<QDialog*>(sender()))
        dialog->close();
    showInfo();
}

// ---------------------------------------------------------------------------------------------
// addLinkmanDlg

addLinkmanDlg::addLinkmanDlg(QWidget* parent)
    : ParentDialog(parent)
{
    setTilter(QStringLiteral("增加联系人"));
    setFixedSize(designPx(457), designPx(228));
    m_loading = busyBox(this, QStringLiteral("添加中..."));

    auto label = [this](const QString& text) {
        auto* l = new QLabel(text, _content);
        l->setStyleSheet(labelStyle(9.5, "rgb(95,95,95)"));
        return l;
    };
    m_nameLineEdit = contactField(_content, QString(), false);
    m_accountLineEdit = contactField(_content, QString(), true);
    m_groupLineEdit = new QComboBox(_content);
    m_groupLineEdit->setFixedSize(designPx(177), designPx(22));
    m_groupLineEdit->addItem(QStringLiteral("全部联系人"));

    auto* grid = new QGridLayout;
    grid->setContentsMargins(0, 0, designPx(118), 0);
    grid->setSpacing(designPx(15));
    grid->setColumnStretch(0, 1);
    grid->addWidget(label(QStringLiteral("姓名")), 0, 1, Qt::AlignRight | Qt::AlignVCenter);
    grid->addWidget(m_nameLineEdit, 0, 2);
    grid->addWidget(label(QStringLiteral("账号")), 1, 1, Qt::AlignRight | Qt::AlignVCenter);
    grid->addWidget(m_accountLineEdit, 1, 2);
    grid->addWidget(label(QStringLiteral("选择分组")), 2, 1, Qt::AlignRight | Qt::AlignVCenter);
    grid->addWidget(m_groupLineEdit, 2, 2);

    m_saveContinue = dialogButton(QStringLiteral("保存并继续添加"), 77, 22, false, _content);
    m_save = dialogButton(QStringLiteral("保存"), 57, 22, true, _content);
    m_cancel = dialogButton(QStringLiteral("取消"), 57, 22, false, _content);
    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(designPx(15));
    buttons->addStretch();
    buttons->addWidget(m_saveContinue);
    buttons->addWidget(m_save);
    buttons->addWidget(m_cancel);
    buttons->addStretch();

    auto* layout = new QVBoxLayout(_content);
    layout->addStretch();
    layout->addLayout(grid);
    layout->addSpacing(designPx(20));
    layout->addLayout(buttons);
    layout->addStretch();
    _content->setStyleSheet(dialogFieldStyle());

    connect(m_save, &QPushButton::clicked, this, [this] { save(0); });
    connect(m_saveContinue, &QPushButton::clicked, this, [this] { save(1); });
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::close);
}

void addLinkmanDlg::save(int type)
{
    const QString name = m_nameLineEdit->text();
    const QString account = m_accountLineEdit->text();
    if (name.isEmpty() || account.isEmpty()) {
        MMessageBox::showError(g_topWidget, QStringLiteral("Orvessa"), QStringLiteral("姓名或账号不能为空！"),
                               QSize(280, 160), QDialogButtonBox::Ok);
        return;
    }
    if (!NetWorkBusiness::Instance()->addLinkMan(0, name, account, m_loading))
        return;
    if (type == 1) {
        m_nameLineEdit->clear();
        m_accountLineEdit->clear();
        m_groupLineEdit->setCurrentIndex(0);
    }
    emit addLinkMan(type);
}

// ---------------------------------------------------------------------------------------------
// DelLinkmanDlg

DelLinkmanDlg::DelLinkmanDlg(QWidget* parent, const QString& name, const QString& phone, const QString& id)
    : ParentDialog(parent)
    , m_id(id)
{
    setTilter(QStringLiteral("联系人删除"));
    setFixedSize(designPx(444), designPx(170));
    m_loading = busyBox(this, QStringLiteral("正在删除中..."));

    auto* question = new QLabel(QStringLiteral("您确定删除此联系人？"), _content);
    question->setStyleSheet(labelStyle(9.5, "#5F5F5F"));

    auto* frame = new QFrame(_content);
    frame->setObjectName("frame");
    frame->setFixedSize(designPx(182), designPx(65));
    frame->setStyleSheet(QStringLiteral("QFrame#frame{background:rgba(49,202,132,46);border:none;border-radius:1px;}"));
    m_name = new QLabel(name, frame);
    m_name->setStyleSheet(labelStyle(13.5, "#1C965E"));
    m_account = new QLabel(phone, frame);
    m_account->setStyleSheet(labelStyle(9.5, "#1EA768"));
    auto* frameLayout = new QVBoxLayout(frame);
    frameLayout->addStretch();
    frameLayout->addWidget(m_name, 0, Qt::AlignHCenter);
    frameLayout->addWidget(m_account, 0, Qt::AlignHCenter);
    frameLayout->addStretch();

    m_confirm = dialogButton(QStringLiteral("确认删除"), 77, 22, true, _content);
    m_cancel = dialogButton(QStringLiteral("取消删除"), 77, 22, false, _content);
    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(designPx(16));
    buttons->addStretch();
    buttons->addWidget(m_confirm);
    buttons->addWidget(m_cancel);
    buttons->addStretch();

    auto* layout = new QVBoxLayout(_content);
    layout->setSpacing(designPx(13));
    layout->addStretch();
    layout->addWidget(question, 0, Qt::AlignHCenter);
    layout->addWidget(frame, 0, Qt::AlignHCenter);
    layout->addLayout(buttons);
    layout->addStretch();

    connect(m_confirm, &QPushButton::clicked, this, [this] {
        if (NetWorkBusiness::Instance()->delLinkMan(m_id, m_loading))
            emit delLinkMan();
    });
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::close);
}

// ---------------------------------------------------------------------------------------------
// ModifyLinkmanDlg

ModifyLinkmanDlg::ModifyLinkmanDlg(QWidget* parent, const QString& name, const QString& phone, const QString& id)
    : ParentDialog(parent)
    , m_id(id)
{
    setTilter(QStringLiteral("修改联系人"));
    setFixedSize(designPx(444), designPx(192));
    m_loading = busyBox(this, QStringLiteral("正在修改中..."));

    auto row = [this](const QString& caption, QLineEdit* field) {
        auto* label = new QLabel(caption, _content);
        label->setStyleSheet(labelStyle(9.5, "#5F5F5F"));
        auto* line = new QHBoxLayout;
        line->setSpacing(designPx(9));
        line->addStretch();
        line->addWidget(label);
        line->addWidget(field);
        line->addStretch();
        return line;
    };
    m_nameEdit = contactField(_content, name, false);
    m_accountEdit = contactField(_content, phone, true);

    m_save = dialogButton(QStringLiteral("保存"), 77, 24, true, _content);
    m_cancel = dialogButton(QStringLiteral("取消"), 77, 24, false, _content);
    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(designPx(16));
    buttons->addStretch();
    buttons->addWidget(m_save);
    buttons->addWidget(m_cancel);
    buttons->addStretch();

    auto* layout = new QVBoxLayout(_content);
    layout->setSpacing(designPx(13));
    layout->addStretch();
    layout->addLayout(row(QStringLiteral("姓名"), m_nameEdit));
    layout->addLayout(row(QStringLiteral("账号"), m_accountEdit));
    layout->addSpacing(designPx(13));
    layout->addLayout(buttons);
    layout->addStretch();
    _content->setStyleSheet(dialogFieldStyle());

    // The fields go to the service as they stand, empty ones too: the service judges them.
    connect(m_save, &QPushButton::clicked, this, [this] {
        if (NetWorkBusiness::Instance()->modifyLinkMan(m_id, m_nameEdit->text(), m_accountEdit->text(), m_loading))
            emit modifyLinkMan();
    });
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::close);
}
