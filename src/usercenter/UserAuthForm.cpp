// The new-authorisation form of the seal-authorisation page: the grantee (typed and looked up,
// or picked from the contacts), the number of uses, the last day, the seals and a remark, and
// the start of the grant.

#include "UserAuthFrame.h"

#include "CPageWidget.h"
#include "CertState.h"
#include "DateTimeEdit.h"
#include "GlobalHeader.h"
#include "GoodFriendDialog.h"
#include "Level2MenuBar.h"
#include "LoadingWidget.h"
#include "NetWorkBusiness.h"
#include "SelectAuthSeal.h"
#include "TableView.h"
#include "UserAuthShared.h"
#include "UserCenterShared.h"

#include <QDateTime>
#include <QDebug>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QRegularExpressionValidator>
#include <QTextEdit>
#include <QToolButton>
#include <QVBoxLayout>

#include <limits>

namespace {

const char* const kDayFormat = "yyyy-M-d";
// The service keeps dates as seconds in 32 bits: a grant must end before 2038.
const char* const kLastDayLimit = "2038-1-1";
// Up to nine digits: every count the field can hold is a valid int, and so is one more.
const int kCountDigits = 9;
const int kCountMax = 999999999;

const char* const kMobilePattern =
    "^((13[0-9])|(14[5,7])|(15[0-3,5-9])|(17[0,3,5-8])|(18[0-9])|166|198|199|(147))\\d{8}$";

QLabel* formLabel(const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName("formLabel");
    return label;
}

QString remarkCounterText(int left)
{
    return QStringLiteral("<html><head/><body><p style='font-size:%2px;color:#9E9E9E;'>还可输入<span "
                          "style='font-size:%2px;color:#81C38C;'>%1</span><span "
                          "style='font-size:%2px;color:#9E9E9E;'>个字</span></p></body></html>")
        .arg(left)
        .arg(toFixString(8));
}

QString tomorrow()
{
    return QDate::currentDate().addDays(1).toString(kDayFormat);
}

} // namespace

// ---- the chip of the chosen-seal strip ----

UserAuthSelectSeal::UserAuthSelectSeal(QPixmap pixMap, QString txtStr, QString sealid, QWidget* parent)
    : QWidget(parent)
    , m_sealId(sealid)
{
    setFixedSize(designPx(209), designPx(46));

    auto* white = new QFrame(this);
    white->setObjectName("chipBody");
    white->setFixedSize(designPx(189), designPx(46));
    auto* picture = new QLabel(white);
    picture->setFixedSize(designPx(32), designPx(32));
    picture->setPixmap(pixMap.isNull() ? QPixmap()
                                       : pixMap.scaled(picture->size(), Qt::KeepAspectRatio, Qt::SmoothTransformation));
    picture->setAlignment(Qt::AlignCenter);
    m_nameLabel = new QLabel(txtStr, white);
    m_nameLabel->setObjectName("chipName");
    m_nameLabel->setFixedSize(designPx(133), designPx(26));
    m_nameLabel->setWordWrap(true);
    auto* whiteRow = new QHBoxLayout(white);
    whiteRow->setContentsMargins(0, 0, 0, 0);
    whiteRow->setSpacing(designPx(6));
    whiteRow->addStretch();
    whiteRow->addWidget(picture);
    whiteRow->addWidget(m_nameLabel);
    whiteRow->addStretch();

    auto* red = new QFrame(this);
    red->setObjectName("chipDelete");
    red->setFixedSize(designPx(19), designPx(46));
    m_delBtn = new QPushButton(red);
    m_delBtn->setFixedSize(designPx(10), designPx(10));
    m_delBtn->setIcon(QIcon(userAuthPicture("strip_delete.svg")));
    m_delBtn->setIconSize(m_delBtn->size());
    m_delBtn->setCursor(Qt::PointingHandCursor);
    m_delBtn->setToolTip(QStringLiteral("删除"));
    auto* redRow = new QHBoxLayout(red);
    redRow->setContentsMargins(0, 0, 0, 0);
    redRow->addWidget(m_delBtn, 0, Qt::AlignCenter);

    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    row->addWidget(white);
    row->addWidget(red);

    setStyleSheet(QStringLiteral("QFrame#chipBody{background:white;border:1px solid #E3E3E3;border-right:none;}"
                                 "QFrame#chipDelete{background:#FDECEC;border:1px solid #E3E3E3;}"
                                 "QLabel#chipName{color:#333333;font-size:%1px;}"
                                 "QPushButton{border:none;background:transparent;}")
                      .arg(toFixString(8.5)));

    connect(m_delBtn, &QPushButton::clicked, this, [this] { emit delItem(m_bandItem); });
}

UserAuthSelectSeal::~UserAuthSelectSeal() = default;

QString UserAuthSelectSeal::sealName() const
{
    return m_nameLabel->text();
}

// ---- the form ----

void CUserAuthFrame::addAuthWid(QWidget* wid)
{
    addAuthBlockWidget->setFixedSize(designPx(889), designPx(520));

    m_formGrid = new QGridLayout(wid);
    m_formGrid->setHorizontalSpacing(designPx(15));
    m_formGrid->setVerticalSpacing(designPx(20));
    m_formGrid->setColumnStretch(0, 1);
    m_formGrid->setColumnStretch(4, 1);
    m_formGrid->setRowStretch(0, 1);
    m_formGrid->setRowStretch(10, 3);

    const Qt::Alignment right = Qt::AlignRight | Qt::AlignVCenter;

    // 1: the grantor.
    authorizerLabelName = new QLabel(QStringLiteral("演示科技有限公司\n91110000MA0000000X"), wid);
    authorizerLabelName->setObjectName("grantor");
    m_formGrid->addWidget(formLabel(QStringLiteral("授权方"), wid), 1, 1, right);
    m_formGrid->addWidget(authorizerLabelName, 1, 2);

    // 2: the grantee's account, with the contacts button.
    authorizedLineEdit = new QLineEdit(wid);
    authorizedLineEdit->setProperty("mode", "style2");
    authorizedLineEdit->setFixedSize(designPx(153), designPx(22));
    authorizedLineEdit->setMaxLength(11);
    authorizedLineEdit->setAttribute(Qt::WA_InputMethodEnabled, false);
    authorizedLineEdit->setPlaceholderText(QStringLiteral("请输入个人账号"));
    m_contactsBtn = new QPushButton(wid);
    m_contactsBtn->setObjectName("contactsButton");
    m_contactsBtn->setFixedSize(designPx(13), designPx(15));
    m_contactsBtn->setIcon(QIcon(userAuthPicture("contacts.svg")));
    m_contactsBtn->setIconSize(m_contactsBtn->size());
    m_contactsBtn->setCursor(Qt::PointingHandCursor);
    m_contactsBtn->setToolTip(QStringLiteral("从联系人中选择"));
    m_formGrid->addWidget(formLabel(QStringLiteral("被授权方帐号"), wid), 2, 1, right);
    m_formGrid->addWidget(authorizedLineEdit, 2, 2);
    m_formGrid->addWidget(m_contactsBtn, 2, 3, Qt::AlignLeft | Qt::AlignVCenter);

    // 3: the grantee's name, filled by the lookup or the picker.
    authorizedNameLineEdit = new QLineEdit(wid);
    authorizedNameLineEdit->setProperty("mode", "style2");
    authorizedNameLineEdit->setFixedSize(designPx(153), designPx(22));
    authorizedNameLineEdit->setReadOnly(true);
    m_formGrid->addWidget(formLabel(QStringLiteral("被授权方姓名"), wid), 3, 1, right);
    m_formGrid->addWidget(authorizedNameLineEdit, 3, 2);

    // 4: the number of uses.
    delBtn = new QPushButton(QStringLiteral("-"), wid);
    addBtn = new QPushButton(QStringLiteral("+"), wid);
    for (QPushButton* step : {delBtn, addBtn}) {
        step->setObjectName("countStep");
        step->setFixedSize(designPx(33), designPx(22));
    }
    numsLineEdit = new QLineEdit(QStringLiteral("1"), wid);
    numsLineEdit->setObjectName("countField");
    numsLineEdit->setFixedSize(designPx(73), designPx(22));
    numsLineEdit->setAlignment(Qt::AlignCenter);
    numsLineEdit->setAttribute(Qt::WA_InputMethodEnabled, false);
    // Digits only, few enough that the count and one more stay valid numbers.
    numsLineEdit->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[0-9]{0,%1}").arg(kCountDigits)), numsLineEdit));
    auto* countRow = new QHBoxLayout;
    countRow->setSpacing(0);
    countRow->addWidget(delBtn);
    countRow->addWidget(numsLineEdit);
    countRow->addWidget(addBtn);
    conTrolCk = new QRadioButton(QStringLiteral("不控制"), wid);
    conTrolCk->setObjectName("noLimit");
    conTrolCk->setAutoExclusive(false);
    m_formGrid->addWidget(formLabel(QStringLiteral("授权份数"), wid), 4, 1, right);
    m_formGrid->addLayout(countRow, 4, 2, Qt::AlignLeft);
    m_formGrid->addWidget(conTrolCk, 4, 3);

    // 5: the last day.
    m_endTime = new DateTimeEdit(wid);
    m_endTime->setObjectName("endDate");
    m_endTime->setFixedSize(designPx(153), designPx(22));
    m_endTime->setAlignment(Qt::AlignCenter);
    m_endTime->setPlaceholderText(QStringLiteral("请选择"));
    m_endTime->setStyle(QStringLiteral("-"), QStringLiteral("-"), QString());
    m_formGrid->addWidget(formLabel(QStringLiteral("授权截止"), wid), 5, 1, right);
    m_formGrid->addWidget(m_endTime, 5, 2);

    // 6: the seals.
    m_addSealBtn = new QToolButton(wid);
    m_addSealBtn->setObjectName("addSeal");
    m_addSealBtn->setText(QStringLiteral("添加印章"));
    m_addSealBtn->setIcon(QIcon(userAuthPicture("seal.svg")));
    m_addSealBtn->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    m_addSealBtn->setFixedSize(designPx(153), designPx(22));
    m_formGrid->addWidget(formLabel(QStringLiteral("选择印章"), wid), 6, 1, right);
    m_formGrid->addWidget(m_addSealBtn, 6, 2);

    // 7: the chosen seals, hidden while there are none.
    m_sealFrame = new QFrame(wid);
    m_sealFrame->setObjectName("sealStrip");
    m_sealFrame->setFixedSize(designPx(238), designPx(150));
    m_txtLabel = new QLabel(QStringLiteral("已选印章"), m_sealFrame);
    m_txtLabel->setObjectName("sealStripCaption");
    m_listWidget = new QListWidget(m_sealFrame);
    m_listWidget->setViewMode(QListView::ListMode);
    m_listWidget->setSpacing(2);
    m_listWidget->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_listWidget->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_listWidget->setDragEnabled(false);
    m_listWidget->setDragDropMode(QAbstractItemView::NoDragDrop);
    m_listWidget->setWrapping(false);
    m_listWidget->setContentsMargins(0, 0, 0, 0);
    m_listWidget->setSelectionMode(QAbstractItemView::NoSelection);
    auto* stripLayout = new QVBoxLayout(m_sealFrame);
    stripLayout->setContentsMargins(designPx(6), designPx(4), designPx(6), designPx(4));
    stripLayout->setSpacing(designPx(4));
    stripLayout->addWidget(m_txtLabel);
    stripLayout->addWidget(m_listWidget);
    m_sealFrame->hide();
    m_formGrid->addWidget(m_sealFrame, 7, 1, 1, 3, Qt::AlignCenter);

    // 8: the remark with its counter inside.
    remarkEdit = new QTextEdit(wid);
    remarkEdit->setObjectName("remark");
    remarkEdit->setFixedSize(designPx(153), designPx(38));
    remarkEdit->setAcceptRichText(false);
    limitLabel = new QLabel(remarkEdit);
    limitLabel->setAttribute(Qt::WA_TransparentForMouseEvents);
    placeRemarkCounter(maxLength);
    m_formGrid->addWidget(formLabel(QStringLiteral("备注"), wid), 8, 1, Qt::AlignRight | Qt::AlignTop);
    m_formGrid->addWidget(remarkEdit, 8, 2);

    // 9: start and cancel.
    m_startBtn = new QPushButton(QStringLiteral("发起授权"), wid);
    m_cancelBtn = new QPushButton(QStringLiteral("取消"), wid);
    m_startBtn->setProperty("mode", "style2");
    m_cancelBtn->setObjectName("formCancel");
    for (QPushButton* btn : {m_startBtn, m_cancelBtn})
        btn->setFixedSize(designPx(87), designPx(24));
    auto* buttons = new QHBoxLayout;
    buttons->setContentsMargins(0, designPx(15), 0, 0);
    buttons->setSpacing(designPx(25));
    buttons->addStretch();
    buttons->addWidget(m_startBtn);
    buttons->addWidget(m_cancelBtn);
    buttons->addStretch();
    m_formGrid->addLayout(buttons, 9, 1, 1, 3);

    wid->setStyleSheet(
        QStringLiteral("QLabel#formLabel{color:#999999;font-size:%1px;}"
                       "QLabel#grantor{color:#333333;font-size:%2px;}"
                       "QLineEdit[mode='style2']{color:#333333;font-size:%4px;}"
                       "QPushButton#countStep{border:1px solid #31CA84;background:#EBF8EC;color:#31CA84;font-size:%3px;}"
                       "QPushButton#countStep:disabled{border-color:#CACACA;background:#F5F5F5;color:#CACACA;}"
                       "QLineEdit#countField{border:1px solid #31CA84;border-left:none;border-right:none;"
                       "background:white;color:#333333;font-size:%4px;}"
                       "QLineEdit#countField:disabled{border-color:#CACACA;color:#CACACA;}"
                       "QRadioButton#noLimit{color:#666666;font-size:%4px;}"
                       "DateTimeEdit#endDate{font-size:%4px;}"
                       "QToolButton#addSeal{border:none;border-radius:%5px;background:#31CA84;color:white;"
                       "font-size:%4px;}"
                       "QToolButton#addSeal:hover{background:#2CBB7B;}"
                       "QFrame#sealStrip{border:1px dashed #91DFBC;border-radius:%5px;background:#FBFBFB;}"
                       "QLabel#sealStripCaption{color:#999999;font-size:%4px;border:none;}"
                       "QListWidget{border:none;background:transparent;}"
                       "QTextEdit#remark{border:1px solid #31CA84;background:#EBF8EC;border-radius:%5px;"
                       "font-size:%4px;}"
                       "QPushButton#formCancel{border:1px solid #31CA84;border-radius:%5px;background:white;"
                       "color:#31CA84;font-size:%6px;}"
                       "QPushButton#formCancel:hover{background:#EBF8EC;}")
            .arg(toFixString(10.5), toFixString(11.5), toFixString(12), toFixString(9.5), toFixString(3),
                 toFixString(9)));

    connect(m_contactsBtn, &QPushButton::clicked, this, &CUserAuthFrame::pickGrantee);
    connect(m_addSealBtn, &QToolButton::clicked, this, &CUserAuthFrame::pickSeals);
    connect(m_startBtn, &QPushButton::clicked, this, &CUserAuthFrame::startGrant);
    connect(m_cancelBtn, &QPushButton::clicked, this, &CUserAuthFrame::clearAuthCon);
    connect(delBtn, &QPushButton::clicked, this, [this] {
        const int count = numsLineEdit->text().toInt();
        if (count > 1)
            numsLineEdit->setText(QString::number(count - 1));
    });
    connect(addBtn, &QPushButton::clicked, this, [this] {
        // An empty field counts as 0; the count stops at the largest the field can hold.
        const int count = numsLineEdit->text().toInt();
        if (count < kCountMax)
            numsLineEdit->setText(QString::number(count + 1));
    });
    connect(conTrolCk, &QRadioButton::clicked, this, [this](bool checked) { setCountControlsEnabled(!checked); });
    connect(authorizedLineEdit, &QLineEdit::editingFinished, this, &CUserAuthFrame::lookupGrantee);
    connect(m_endTime, &QLineEdit::textChanged, this, &CUserAuthFrame::dateEndChanged);
    connect(remarkEdit, &QTextEdit::textChanged, this, &CUserAuthFrame::remarkTextChanged);
}

void CUserAuthFrame::setCountControlsEnabled(bool enabled)
{
    delBtn->setEnabled(enabled);
    addBtn->setEnabled(enabled);
    numsLineEdit->setEnabled(enabled);
}

void CUserAuthFrame::clearGrantee(bool alsoAccount)
{
    if (alsoAccount)
        authorizedLineEdit->clear();
    authorizedNameLineEdit->clear();
    m_userId.clear();
}

void CUserAuthFrame::lookupGrantee()
{
    const QString account = authorizedLineEdit->text();
    if (account.isEmpty()) {
        clearGrantee(false);
        return;
    }
    static const QRegularExpression mobile(QString::fromLatin1(kMobilePattern));
    if (!mobile.match(account).hasMatch()) {
        toast(QStringLiteral("个人账号格式不正确，请重新输入"));
        clearGrantee(true);
        return;
    }

    QString userid, name;
    int authenStatus = -1, activation = -1;
    bool registered = false;
    // Until this lookup succeeds the account names nobody: a name and id from an earlier lookup
    // or pick belong to another account and must not be granted.
    if (!NetWorkBusiness::Instance()->getBaseUserInfo(0, account, userid, authenStatus, activation, registered, name)) {
        clearGrantee(false);
        return;
    }
    QString refusal;
    if (!registered)
        refusal = QStringLiteral("该用户尚未注册，无法授权！");
    else if (activation == 0)
        refusal = QStringLiteral("该用户尚未激活，无法授权！");
    else if (activation != 1) {
        clearGrantee(false);
        return;
    } else if (authenStatus == 0 || authenStatus == 2 || authenStatus == 3)
        refusal = QStringLiteral("该用户尚未进行实名认证，无法授权！");
    else if (authenStatus != 1) {
        clearGrantee(false);
        return;
    }
    if (!refusal.isEmpty()) {
        toast(refusal);
        clearGrantee(true);
        return;
    }
    if (!NetWorkBusiness::Instance()->checkUserDuplicateAuthBus(userid, nullptr)) {
        clearGrantee(true);   // the service client has shown why
        return;
    }
    m_userId = userid;
    authorizedNameLineEdit->setText(name);
}

void CUserAuthFrame::pickGrantee()
{
    GoodFriendDialog dialog(g_topWidget);
    if (dialog.exec() != QDialog::Accepted)
        return;
    m_userId = dialog.m_UserId;
    authorizedLineEdit->setText(dialog.m_AccountStr);
    authorizedNameLineEdit->setText(dialog.m_NameStr);
}

void CUserAuthFrame::dateEndChanged(QString arg)
{
    if (m_endTime->text().isEmpty())
        return;
    const QString today = QDate::currentDate().toString(kDayFormat);
    if (timeJudgement(today, arg, kDayFormat) < 0) {
        toast(QStringLiteral("请选择大于当前日期的日期"));
        m_endTime->setText(tomorrow());
    }
    if (timeJudgement(arg, kLastDayLimit, kDayFormat) <= 0) {
        toast(QStringLiteral("到期时间不能超过2038年"));
        m_endTime->setText(tomorrow());
    }
    m_endTime->setSelectDate(QDate::fromString(m_endTime->text(), kDayFormat));
}

int CUserAuthFrame::timeJudgement(const QString& stime, const QString& etime, const QString& timeFormat)
{
    const QDateTime start = QDateTime::fromString(stime, timeFormat);
    const QDateTime end = QDateTime::fromString(etime, timeFormat);
    const qint64 seconds = start.secsTo(end);
    return int(qBound<qint64>(std::numeric_limits<int>::min(), seconds, std::numeric_limits<int>::max()));
}

void CUserAuthFrame::placeRemarkCounter(int left)
{
    limitLabel->setText(remarkCounterText(left));
    limitLabel->adjustSize();
    // In the box's lower right corner, never past its edge.
    const int x = remarkEdit->width() - qMax(designPx(67), limitLabel->width() + designPx(3));
    limitLabel->move(x, remarkEdit->height() - designPx(16));
}

void CUserAuthFrame::remarkTextChanged()
{
    const QString text = remarkEdit->toPlainText();
    const int length = text.length();
    placeRemarkCounter(qMax(0, maxLength - length));
    if (length <= maxLength)
        return;
    // The surplus is what was just typed or pasted: the characters before the cursor.
    QTextCursor cursor = remarkEdit->textCursor();
    const int surplus = length - maxLength;
    const int end = cursor.position();
    const int begin = qMax(0, end - surplus);
    QString kept = text;
    kept.remove(begin, end - begin);
    if (kept.length() > maxLength)
        kept.truncate(maxLength);
    remarkEdit->setPlainText(kept);
    cursor = remarkEdit->textCursor();
    cursor.setPosition(qMin(begin, kept.length()));
    remarkEdit->setTextCursor(cursor);
}

void CUserAuthFrame::pickSeals()
{
    SelectAuthSeal dialog(m_selectSealLists, g_topWidget);
    if (dialog.exec() != QDialog::Accepted)
        return;
    m_selectSealLists = dialog.getSelectAuthSealList();
    rebuildSealStrip();
}

void CUserAuthFrame::rebuildSealStrip()
{
    m_listWidget->clear();
    if (m_selectSealLists.isEmpty()) {
        m_sealFrame->hide();
        m_formGrid->setVerticalSpacing(designPx(20));
        return;
    }
    m_sealFrame->show();
    m_txtLabel->setText(QStringLiteral("已选印章（%1枚）").arg(m_selectSealLists.size()));
    const QSize chipSize(designPx(209), designPx(46));
    for (const SelectAuthSeals& seal : qAsConst(m_selectSealLists)) {
        auto* item = new QListWidgetItem(m_listWidget);
        item->setSizeHint(chipSize);
        auto* chip = new UserAuthSelectSeal(seal.pixMap, seal.sealName, seal.sealId);
        chip->setFixedSize(chipSize);
        chip->bandListItem(item);
        connect(chip, &UserAuthSelectSeal::delItem, this, &CUserAuthFrame::delLiwtWidgetItem);
        m_listWidget->setItemWidget(item, chip);
    }
    m_formGrid->setVerticalSpacing(designPx(15));
}

void CUserAuthFrame::delLiwtWidgetItem(QListWidgetItem* item)
{
    auto* chip = item ? qobject_cast<UserAuthSelectSeal*>(m_listWidget->itemWidget(item)) : nullptr;
    if (!chip)
        return;
    const QString sealId = chip->sealId();
    for (int i = m_selectSealLists.size() - 1; i >= 0; --i)
        if (m_selectSealLists[i].sealId == sealId)
            m_selectSealLists.removeAt(i);
    // The chip's own button is still signalling: the list lets the widget go later.
    delete m_listWidget->takeItem(m_listWidget->row(item));
    if (m_listWidget->count() == 0) {
        m_sealFrame->hide();
        m_formGrid->setVerticalSpacing(designPx(20));
    }
    m_txtLabel->setText(QStringLiteral("已选印章（%1枚）").arg(m_listWidget->count()));
}

void CUserAuthFrame::startGrant()
{
    if (!userAuthenStatus())
        return;
    QString refusal;
    const bool limited = !conTrolCk->isChecked();
    if (authorizedLineEdit->text().isEmpty())
        refusal = QStringLiteral("请输入被授权方账号");
    else if (authorizedNameLineEdit->text().isEmpty() || m_userId.isEmpty())
        refusal = QStringLiteral("被授权方姓名不能为空");
    else if (limited && numsLineEdit->text().isEmpty())
        refusal = QStringLiteral("授权份数不能为空");
    else if (limited && numsLineEdit->text().toInt() < 1)
        refusal = QStringLiteral("授权份数最小为1");
    else if (m_endTime->text().isEmpty())
        refusal = QStringLiteral("请选择截止日期");
    else if (m_listWidget->count() == 0)
        refusal = QStringLiteral("请选择授权印章");
    if (!refusal.isEmpty()) {
        toast(refusal);
        return;
    }

    m_loading->setText(QStringLiteral("正在发起授权..."));
    // Without a limit the count is not sent at all.
    const int usageCount = limited ? numsLineEdit->text().toInt() : 0;
    // The field shows the day without leading zeros; the service reads it with them.
    const QString lastDay = QDate::fromString(m_endTime->text(), kDayFormat).toString(QStringLiteral("yyyy-MM-dd"));
    StartAuthSuccessInfo info;
    if (!NetWorkBusiness::Instance()->startSealAuthBus(m_selectSealLists, info, lastDay, m_userId, usageCount,
                                                       remarkEdit->toPlainText(), m_loading))
        return;   // the form stays as it is; the service client has shown why
    emit openContractAuthFile(QVariant::fromValue(info));
    clearAuthCon();
}

void CUserAuthFrame::clearAuthCon()
{
    m_selectSealLists.clear();
    rebuildSealStrip();
    clearGrantee(true);
    numsLineEdit->setText(QStringLiteral("1"));
    conTrolCk->setChecked(false);
    m_endTime->clear();
    remarkEdit->clear();
    setCountControlsEnabled(true);
    addAuthBlockWidget->hide();
    blockWidget->show();
    pageWidget->show();
}
