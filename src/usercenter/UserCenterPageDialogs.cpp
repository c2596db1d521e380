#include "UserCenterPageDialogs.h"

#include "DeviceBussiness.h"
#include "GlobalHeader.h"
#include "MMessageBox.h"
#include "NetWorkBusiness.h"
#include "QuickMessageBox.h"
#include "UserCenterShared.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QRegExp>
#include <QRegExpValidator>
#include <QStackedWidget>
#include <QTimer>
#include <QVBoxLayout>

namespace {

constexpr int kCountdownStart = 60;
constexpr int kToastMs = 2000;
const char* const kAppId = "0000000033";
const char* const kUseWhere = "33";

// The look of the dialogs' content: green-bordered fields, a green "style1" button (grey while
// disabled), a white "style2" button with a light green border, red error lines.
QString dialogStyle()
{
    return QStringLiteral("QWidget{font-size:%1px;}"
                          "QLineEdit{border:1px solid #31CA84;padding-left:%2px;background:white;}"
                          "QPushButton[mode='style1']{background:#31CA84;color:white;border:none;border-radius:%3px;}"
                          "QPushButton[mode='style1']:hover{background:#2CBB7B;}"
                          "QPushButton[mode='style1']:disabled{background:#CACACA;}"
                          "QPushButton[mode='style2']{background:white;color:#31CA84;border:1px solid #91DFBC;"
                          "border-radius:%3px;}"
                          "QPushButton[mode='style2']:hover{background:#EBF8EC;}"
                          "QLabel[mode='error']{color:#F33D1F;}")
        .arg(toFixString(9), toFixString(4), toFixString(2));
}

QLineEdit* lineField(QWidget* parent, const QString& placeholder, int maxLength, bool password)
{
    auto* field = new QLineEdit(parent);
    field->setFixedHeight(designPx(26));
    field->setPlaceholderText(placeholder);
    field->setMaxLength(maxLength);
    field->setAttribute(Qt::WA_InputMethodEnabled, false);
    if (password)
        field->setEchoMode(QLineEdit::Password);
    return field;
}

QPushButton* modeButton(const QString& text, const char* mode, QWidget* parent)
{
    auto* button = new QPushButton(text, parent);
    button->setProperty("mode", QLatin1String(mode));
    button->setCursor(Qt::PointingHandCursor);
    return button;
}

QLabel* strengthLabel(const QString& text, int w, int h, const char* background, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setFixedSize(designPx(w), designPx(h));
    label->setAlignment(Qt::AlignCenter);
    label->setStyleSheet(QStringLiteral("QLabel{color:white;background:%1;}").arg(QLatin1String(background)));
    label->hide();
    return label;
}

QString sentText(int seconds)
{
    return QStringLiteral("已发送（%1s）").arg(seconds);
}

// The logged-in user's account name, empty when nobody is logged in.
QString accountName()
{
    const BusinessInfo* info = NetWorkBusiness::Instance()->getBusinessInfo();
    return info ? info->userAccount : QString();
}

// The type loginAgain carries for a session code, or -1.
int sessionType(int code)
{
    switch (code) {
    case 51001: return 0;
    case 51002: return 1;
    case 51003: return 2;
    default: return -1;
    }
}

void toast(QWidget* parent, const QString& text, QuickMessageBoxType type = qmt_nothing, int ms = kToastMs)
{
    QuickMessageBox::abort(parent, text, type, ms);
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Change-password dialog

ChangePasswordDialog::ChangePasswordDialog(QWidget* parent)
    : ParentDialog(parent, false)
{
    initUserCenterResources();
    setTilter(QStringLiteral("更改登录密码"));
    setFixedSize(designPx(315), designPx(259));

    m_oldPassword = lineField(_content, QStringLiteral("请输入旧密码"), 16, true);
    m_lePassword = lineField(_content, QStringLiteral("新密码（8-16位字母、数字组合）"), 16, true);
    m_leRePassword = lineField(_content, QStringLiteral("确认新密码"), 16, true);
    auto* letters = new QRegExpValidator(QRegExp(QStringLiteral("[a-zA-Z0-9]+$")), this);
    m_lePassword->setValidator(letters);
    m_leRePassword->setValidator(letters);

    m_codeRow = new QWidget(_content);
    m_leverifyNo = lineField(m_codeRow, QStringLiteral("请输入验证码"), 6, false);
    m_leverifyNo->setValidator(new QRegExpValidator(QRegExp(QStringLiteral("[0-9]+$")), this));
    m_btnSendVerifyNo = modeButton(QStringLiteral("获取验证码"), "style1", m_codeRow);
    m_btnSendVerifyNo->setFixedHeight(designPx(26));
    auto* codeLayout = new QHBoxLayout(m_codeRow);
    codeLayout->setContentsMargins(0, 0, 0, 0);
    codeLayout->setSpacing(8);
    codeLayout->addWidget(m_leverifyNo, 3);
    codeLayout->addWidget(m_btnSendVerifyNo, 2);
    m_codeRow->hide();

    m_level1 = strengthLabel(QStringLiteral("弱"), 29, 15, "red", _content);
    m_level2 = strengthLabel(QStringLiteral("中"), 40, 20, "rgb(255,97,0)", _content);
    m_level3 = strengthLabel(QStringLiteral("强"), 29, 15, "#31CA84", _content);

    m_okBtn = modeButton(QStringLiteral("确认更改"), "style1", _content);
    m_okBtn->setFixedSize(designPx(67), designPx(26));
    m_cancelBtn = modeButton(QStringLiteral("取消"), "style2", _content);
    m_cancelBtn->setFixedSize(designPx(67), designPx(26));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_okBtn);
    buttons->addWidget(m_cancelBtn);
    buttons->addStretch();

    auto* layout = new QVBoxLayout(_content);
    layout->setContentsMargins(designPx(44), designPx(27), designPx(44), designPx(27));
    layout->setSpacing(15);
    layout->addWidget(m_oldPassword);
    layout->addWidget(m_lePassword);
    layout->addWidget(m_leRePassword);
    layout->addWidget(m_codeRow);
    layout->addLayout(buttons);
    layout->addStretch();
    _content->setStyleSheet(dialogStyle());

    m_smsTimer = new QTimer(this);
    NetWorkBusiness* client = NetWorkBusiness::Instance();
    connect(m_smsTimer, &QTimer::timeout, this, &ChangePasswordDialog::updateText);
    connect(client, &NetWorkBusiness::smsNoUpdatepasswordError, this, &ChangePasswordDialog::smsUpdatePasswordError);
    connect(client, &NetWorkBusiness::smsNoUpdatepasswordSucc, this, &ChangePasswordDialog::smsUpdatePasswordSucc);
    connect(client, &NetWorkBusiness::updatePassWordError, this, &ChangePasswordDialog::updatePasswordError);
    connect(client, &NetWorkBusiness::updatePassWordSucc, this, &ChangePasswordDialog::updatePasswordSucc);
    connect(m_btnSendVerifyNo, &QPushButton::clicked, this, &ChangePasswordDialog::getCode);
    connect(m_okBtn, &QPushButton::clicked, this, &ChangePasswordDialog::ok_slot);
    connect(this, &ParentDialog::enterPressed, this, &ChangePasswordDialog::ok_slot);
    connect(m_cancelBtn, &QPushButton::clicked, this, &QDialog::reject);
}

ChangePasswordDialog::~ChangePasswordDialog() = default;

void ChangePasswordDialog::updateText()
{
    const int shown = m_smsTimeCount--;
    if (shown != 0) {
        m_btnSendVerifyNo->setText(sentText(shown));
        return;
    }
    m_smsTimer->stop();
    m_smsTimeCount = kCountdownStart;
    m_btnSendVerifyNo->setEnabled(true);
    m_btnSendVerifyNo->setText(QStringLiteral("获取验证码"));
}

void ChangePasswordDialog::ok_slot()
{
    // The keypad's Enter reaches this slot even while the button is disabled.
    if (m_changePending)
        return;
    const QString oldPassword = m_oldPassword->text();
    const QString newPassword = m_lePassword->text();
    QString refusal;
    if (oldPassword.isEmpty())
        refusal = QStringLiteral("旧密码不能为空");
    else if (newPassword.isEmpty())
        refusal = QStringLiteral("新密码不能为空");
    else if (newPassword.size() < 8)
        refusal = QStringLiteral("密码长度不能少于8位");
    else if (newPassword != m_leRePassword->text())
        refusal = QStringLiteral("两次密码不一致");
    if (!refusal.isEmpty()) {
        toast(this, refusal);
        return;
    }
    m_changePending = true;
    m_okBtn->setEnabled(false);
    NetWorkBusiness::Instance()->updatePassWordBusiness(newPassword, oldPassword, m_leverifyNo->text());
}

void ChangePasswordDialog::getCode()
{
    if (m_codePending)
        return;
    const QString newPassword = m_lePassword->text();
    QString refusal;
    if (m_oldPassword->text().isEmpty())
        refusal = QStringLiteral("旧密码不能为空");
    else if (newPassword.isEmpty())
        refusal = QStringLiteral("新密码不能为空");
    else if (newPassword.size() < 8)
        refusal = QStringLiteral("密码长度不能少于8位");
    else if (!newPassword.contains(QRegExp(QStringLiteral("[a-zA-Z]"))))
        refusal = QStringLiteral("密码中必须包含字母");
    else if (!newPassword.contains(QRegExp(QStringLiteral("[0-9]"))))
        refusal = QStringLiteral("密码中必须包含数字");
    else if (newPassword != m_leRePassword->text())
        refusal = QStringLiteral("两次密码不一致");
    if (!refusal.isEmpty()) {
        toast(this, refusal);
        return;
    }
    const BusinessInfo* info = NetWorkBusiness::Instance()->getBusinessInfo();
    if (!info)
        return;   // the session has ended; the main window has said so
    m_codePending = true;
    m_btnSendVerifyNo->setEnabled(false);
    NetWorkBusiness::Instance()->smsNoBusiness(NetWorkBusiness::bt_smsno_updatepassword, info->userAccount,
                                               info->authenPhone);
}

void ChangePasswordDialog::smsUpdatePasswordSucc()
{
    if (!m_codePending)
        return;
    m_codePending = false;
    m_btnSendVerifyNo->setEnabled(false);
    m_btnSendVerifyNo->setText(sentText(m_smsTimeCount));
    m_smsTimer->start(1000);
    toast(this, QStringLiteral("已发送"), qmt_succ);
}

bool ChangePasswordDialog::closeOnSessionCode(int code, bool codeRequest)
{
    int type = sessionType(code);
    if (type < 0 && codeRequest && code == 51000)
        type = 3;
    if (type < 0)
        return false;
    reject();
    emit loginAgain(type);
    return true;
}

void ChangePasswordDialog::smsUpdatePasswordError(int code, QString error)
{
    if (!m_codePending)
        return;
    m_codePending = false;
    if (closeOnSessionCode(code, true))
        return;
    if (!m_smsTimer->isActive())
        m_btnSendVerifyNo->setEnabled(true);
    toast(this, error, qmt_error);
}

void ChangePasswordDialog::updatePasswordSucc()
{
    if (!m_changePending)
        return;
    m_changePending = false;
    toast(this, QStringLiteral("更新密码成功"), qmt_succ);
    accept();
}

void ChangePasswordDialog::updatePasswordError(int code, QString error)
{
    if (!m_changePending)
        return;
    m_changePending = false;
    m_okBtn->setEnabled(true);
    if (closeOnSessionCode(code, false))
        return;
    toast(this, error, qmt_error);
}

// ---------------------------------------------------------------------------------------------
// Change-phone dialog

ChangePhoneDialog::ChangePhoneDialog(QString oldPhone, QWidget* parent)
    : ParentDialog(parent, false)
    , m_oldPhone(std::move(oldPhone))
{
    initUserCenterResources();
    setTilter(QStringLiteral("修改电话号码"));
    setFixedSize(designPx(296), designPx(207));

    m_stackedWidget = new QStackedWidget(_content);
    auto* outer = new QHBoxLayout(_content);
    outer->setContentsMargins(15, 15, 15, 15);
    outer->addWidget(m_stackedWidget);

    // Page 0: the code sent to the current contact phone.
    auto* page0 = new QWidget(m_stackedWidget);
    m_promptLabel = new QLabel(QStringLiteral("<html><head/><body><p>请输入<span style='font-weight:600;color:#ff0000;'>%1"
                                              "</span><span style='color:#000000;'>接收到的验证码</span></p></body></html>")
                                   .arg(m_oldPhone),
                               page0);
    m_leverifyNo = lineField(page0, QStringLiteral("请输入验证码"), 6, false);
    m_leverifyNo->setValidator(new QRegExpValidator(QRegExp(QStringLiteral("[0-9]+$")), this));
    m_btnSendVerifyNo = modeButton(QStringLiteral("获取验证码"), "style1", page0);
    m_btnSendVerifyNo->setFixedHeight(designPx(26));
    auto* codeRow0 = new QHBoxLayout;
    codeRow0->setSpacing(8);
    codeRow0->addWidget(m_leverifyNo, 3);
    codeRow0->addWidget(m_btnSendVerifyNo, 2);
    m_errorLabel1 = new QLabel(page0);
    m_errorLabel1->setProperty("mode", QStringLiteral("error"));
    m_errorLabel1->hide();
    m_nextBtn = modeButton(QStringLiteral("下一步"), "style1", page0);
    m_nextBtn->setFixedSize(designPx(74), designPx(22));
    auto* layout0 = new QVBoxLayout(page0);
    layout0->setContentsMargins(0, 0, 0, 0);
    layout0->addWidget(m_promptLabel);
    layout0->addStretch();
    layout0->addLayout(codeRow0);
    layout0->addWidget(m_errorLabel1);
    layout0->addStretch();
    layout0->addWidget(m_nextBtn, 0, Qt::AlignHCenter);
    layout0->addStretch();
    page0->setStyleSheet(dialogStyle());

    // Page 1: the new number and the code sent to it.
    auto* page1 = new QWidget(m_stackedWidget);
    m_newPhone = lineField(page1, QStringLiteral("请输入新手机号"), 11, false);
    m_newPhone->setValidator(new QRegExpValidator(QRegExp(QStringLiteral("[0-9]+$")), this));
    m_newVerifyNo = lineField(page1, QStringLiteral("请输入验证码"), 6, false);
    m_newVerifyNo->setValidator(new QRegExpValidator(QRegExp(QStringLiteral("[0-9]+$")), this));
    m_newbtnSendVerifyNo = modeButton(QStringLiteral("获取验证码"), "style1", page1);
    m_newbtnSendVerifyNo->setFixedHeight(designPx(26));
    auto* codeRow1 = new QHBoxLayout;
    codeRow1->setSpacing(6);
    codeRow1->addWidget(m_newVerifyNo, 3);
    codeRow1->addWidget(m_newbtnSendVerifyNo, 2);
    m_errorLabel2 = new QLabel(page1);
    m_errorLabel2->setProperty("mode", QStringLiteral("error"));
    m_errorLabel2->hide();
    m_modifyBtn = modeButton(QStringLiteral("确定更改"), "style1", page1);
    m_modifyBtn->setFixedSize(designPx(74), designPx(22));
    auto* layout1 = new QVBoxLayout(page1);
    layout1->setContentsMargins(0, 0, 0, 0);
    layout1->addWidget(m_newPhone);
    layout1->addLayout(codeRow1);
    layout1->addWidget(m_errorLabel2);
    layout1->addWidget(m_modifyBtn, 0, Qt::AlignHCenter);
    page1->setStyleSheet(dialogStyle());

    m_stackedWidget->addWidget(page0);
    m_stackedWidget->addWidget(page1);
    m_stackedWidget->setCurrentIndex(0);

    m_smsTimer = new QTimer(this);
    connect(m_smsTimer, &QTimer::timeout, this, &ChangePhoneDialog::updateText);
    NetWorkBusiness* client = NetWorkBusiness::Instance();
    connect(client, &NetWorkBusiness::smsNoVerifyPhoneSucc, this, &ChangePhoneDialog::smsNoVerifyPhoneSucc);
    connect(client, &NetWorkBusiness::smsNoVerifyPhoneError, this, &ChangePhoneDialog::smsNoVerifyPhoneError);
    connect(client, &NetWorkBusiness::smsNoModifyPhoneSucc, this, &ChangePhoneDialog::smsNoModifyPhoneSucc);
    connect(client, &NetWorkBusiness::smsNoModifyPhoneError, this, &ChangePhoneDialog::smsNoModifyPhoneError);
    connect(client, &NetWorkBusiness::verifyPhoneSucc, this, &ChangePhoneDialog::verifyPhoneSucc);
    connect(client, &NetWorkBusiness::verifyPhoneError, this, &ChangePhoneDialog::verifyPhoneError);
    connect(client, &NetWorkBusiness::modifyPhoneSucc, this, &ChangePhoneDialog::modifyPhoneSucc);
    connect(client, &NetWorkBusiness::modifyPhoneError, this, &ChangePhoneDialog::modifyPhoneError);
    connect(m_btnSendVerifyNo, &QPushButton::clicked, this, &ChangePhoneDialog::getCurrentPhoneCode);
    connect(m_nextBtn, &QPushButton::clicked, this, &ChangePhoneDialog::nextStep);
    connect(m_newbtnSendVerifyNo, &QPushButton::clicked, this, &ChangePhoneDialog::getNewPhoneCode);
    connect(m_modifyBtn, &QPushButton::clicked, this, &ChangePhoneDialog::modify);
    connect(this, &ParentDialog::enterPressed, this, [this] {
        if (m_stackedWidget->currentIndex() != 0)
            modify();
        else
            nextStep();
    });
}

ChangePhoneDialog::~ChangePhoneDialog() = default;

QPushButton* ChangePhoneDialog::currentCodeButton() const
{
    return m_stackedWidget->currentIndex() == 0 ? m_btnSendVerifyNo : m_newbtnSendVerifyNo;
}

void ChangePhoneDialog::startCountdown(QPushButton* button)
{
    m_smsTimeCount = kCountdownStart;
    m_smsTimer->stop();
    button->setEnabled(false);
    button->setText(sentText(m_smsTimeCount));
    m_smsTimer->start(1000);
}

void ChangePhoneDialog::getCurrentPhoneCode()
{
    if (m_waiting != Waiting::Nothing && m_waiting != Waiting::Change)
        return;
    const Waiting before = m_waiting;
    m_waiting = Waiting::CurrentCode;
    NetWorkBusiness::Instance()->verfiyphoneCodebyContact(QLatin1String(kAppId), QLatin1String(kUseWhere), nullptr);
    if (m_waiting == Waiting::CurrentCode)
        m_waiting = before;
}

void ChangePhoneDialog::smsNoVerifyPhoneSucc()
{
    if (m_waiting != Waiting::CurrentCode)
        return;
    m_waiting = Waiting::Nothing;
    startCountdown(m_btnSendVerifyNo);
    toast(this, QStringLiteral("已发送"), qmt_succ, 500);
}

void ChangePhoneDialog::nextStep()
{
    if (m_waiting != Waiting::Nothing)
        return;
    const QString code = m_leverifyNo->text().trimmed();
    if (code.isEmpty()) {
        toast(this, QStringLiteral("验证码不能为空"));
        return;
    }
    m_waiting = Waiting::Verify;
    const int result = NetWorkBusiness::Instance()->verifyContactPhone(code, nullptr);
    if (m_waiting == Waiting::Verify)
        m_waiting = Waiting::Nothing;
    // 0: the service client has reported the failure itself.
    if (result == -1)
        toast(this, QStringLiteral("验证码不正确"));
}

void ChangePhoneDialog::verifyPhoneSucc()
{
    if (m_waiting != Waiting::Verify)
        return;
    m_waiting = Waiting::Nothing;
    m_smsTimer->stop();
    m_stackedWidget->setCurrentIndex(1);
    m_stackedWidget->repaint();
}

void ChangePhoneDialog::getNewPhoneCode()
{
    if (m_waiting != Waiting::Nothing && m_waiting != Waiting::Change)
        return;
    const QString phone = m_newPhone->text();
    if (phone.isEmpty()) {
        toast(this, QStringLiteral("手机号不能为空"));
        return;
    }
    static const QRegExp pattern(
        QStringLiteral("^((13[0-9])|(14[5,7])|(15[0-3,5-9])|(17[0,3,5-8])|(18[0-9])|166|198|199|(147))\\d{8}$"));
    if (!pattern.exactMatch(phone)) {
        toast(this, QStringLiteral("手机号格式不正确"));
        return;
    }
    const Waiting before = m_waiting;
    m_waiting = Waiting::NewCode;
    NetWorkBusiness::Instance()->sendByPhoneCode(QLatin1String(kAppId), QLatin1String(kUseWhere), phone, nullptr);
    if (m_waiting == Waiting::NewCode)
        m_waiting = before;
}

void ChangePhoneDialog::smsNoModifyPhoneSucc()
{
    if (m_waiting != Waiting::NewCode)
        return;
    m_waiting = Waiting::Nothing;
    startCountdown(m_newbtnSendVerifyNo);
    toast(this, QStringLiteral("已发送"), qmt_succ, 500);
}

void ChangePhoneDialog::updateText()
{
    QPushButton* button = currentCodeButton();
    const int shown = m_smsTimeCount--;
    if (shown != 0) {
        button->setText(sentText(shown));
        return;
    }
    m_smsTimer->stop();
    m_smsTimeCount = kCountdownStart;
    button->setEnabled(true);
    button->setText(QStringLiteral("获取验证码"));
}

void ChangePhoneDialog::modify()
{
    if (m_waiting == Waiting::Change)
        return;
    const QString phone = m_newPhone->text().trimmed();
    m_strNewPhone = phone;
    const QString code = m_newVerifyNo->text().trimmed();
    QString refusal;
    if (phone.isEmpty())
        refusal = QStringLiteral("手机号不能为空");
    else if (phone.size() != 11)
        refusal = QStringLiteral("手机号格式不正确");
    else if (code.isEmpty())
        refusal = QStringLiteral("验证码不能为空");
    if (!refusal.isEmpty()) {
        toast(this, refusal);
        return;
    }
    m_waiting = Waiting::Change;
    m_modifyBtn->setEnabled(false);
    NetWorkBusiness::Instance()->motifyPhone(phone, code);
}

void ChangePhoneDialog::modifyPhoneSucc()
{
    if (m_waiting != Waiting::Change)
        return;
    m_waiting = Waiting::Nothing;
    toast(this, QStringLiteral("修改手机号码成功"), qmt_succ, 500);
    accept();
}

void ChangePhoneDialog::refused(int code, const QString& error)
{
    if (m_waiting != Waiting::Change)
        return;
    m_waiting = Waiting::Nothing;
    m_modifyBtn->setEnabled(true);
    const int type = sessionType(code);
    if (type >= 0) {
        reject();
        emit loginAgain(type);
        return;
    }
    toast(this, error, qmt_error);
}

void ChangePhoneDialog::modifyPhoneError(int code, QString error)
{
    refused(code, error);
}

void ChangePhoneDialog::smsNoVerifyPhoneError(int code, QString error)
{
    refused(code, error);
}

void ChangePhoneDialog::smsNoModifyPhoneError(int code, QString error)
{
    refused(code, error);
}

void ChangePhoneDialog::verifyPhoneError(int code, QString error)
{
    refused(code, error);
}

// ---------------------------------------------------------------------------------------------
// Change-PIN dialog

ChangePinDialog::ChangePinDialog(QWidget* parent)
    : ParentDialog(parent, false)
{
    initUserCenterResources();
    setTilter(QStringLiteral("更改电子密钥盘PIN码"));
    setFixedSize(designPx(315), designPx(267));

    m_sealsName = new QComboBox(_content);
    m_sealsName->setProperty("mode", QStringLiteral("text"));
    m_sealsName->setFixedHeight(designPx(26));
    m_sealsName->setView(new QListView(m_sealsName));
    // The account's keys, the last in device-name order first.
    const QString account = accountName().trimmed();
    const QMap<QString, keycontiaininfo> keys = DeviceBussiness::Instance()->getKeyContainInfoMap();
    for (auto it = keys.cbegin(); it != keys.cend(); ++it) {
        if (it.value().strLicNum.trimmed() != account)
            continue;
        m_sealsName->insertItem(0, it.value().sealName);
        m_sealsName->setItemData(0, it.key(), Qt::UserRole);
        m_sealsName->setItemData(0, it.value().sealCode, Qt::UserRole + 1);
    }
    m_sealsName->setCurrentIndex(m_sealsName->count() > 0 ? 0 : -1);

    m_oldPassword = lineField(_content, QStringLiteral("请输入旧PIN码"), 6, true);
    m_lePassword = lineField(_content, QStringLiteral("新PIN码（6位数字）"), 6, true);
    m_leRePassword = lineField(_content, QStringLiteral("确认新PIN码"), 6, true);
    m_lePassword->setValidator(new QRegExpValidator(QRegExp(QStringLiteral("[0-9]+$")), this));
    m_leRePassword->setValidator(new QRegExpValidator(QRegExp(QStringLiteral("[0-9]+$")), this));

    m_okBtn = modeButton(QStringLiteral("确认更改"), "style1", _content);
    m_okBtn->setFixedSize(designPx(67), designPx(26));
    m_cancelBtn = modeButton(QStringLiteral("取消"), "style2", _content);
    m_cancelBtn->setFixedSize(designPx(67), designPx(26));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_okBtn);
    buttons->addWidget(m_cancelBtn);
    buttons->addStretch();

    auto* layout = new QVBoxLayout(_content);
    layout->setContentsMargins(designPx(44), designPx(27), designPx(44), designPx(27));
    layout->setSpacing(15);
    layout->addWidget(m_sealsName);
    layout->addWidget(m_oldPassword);
    layout->addWidget(m_lePassword);
    layout->addWidget(m_leRePassword);
    layout->addLayout(buttons);
    layout->addStretch();
    _content->setStyleSheet(dialogStyle());

    connect(m_okBtn, &QPushButton::clicked, this, &ChangePinDialog::checkAndChange);
    connect(m_cancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    m_pTimer = new QTimer(this);
    connect(m_pTimer, &QTimer::timeout, this, &ChangePinDialog::on_timer_timeout);
    m_pTimer->start(1000);
}

ChangePinDialog::~ChangePinDialog()
{
    m_pTimer->stop();
}

QString ChangePinDialog::deviceFailureText()
{
    return QStringLiteral("PIN码更改失败：无法访问电子密钥盘，请确认密钥盘已插好、驱动已安装后重试。");
}

void ChangePinDialog::on_timer_timeout()
{
    if (!DeviceBussiness::Instance()->getKeyContainInfoMap().isEmpty())
        return;
    m_pTimer->stop();
    close();
}

void ChangePinDialog::checkAndChange()
{
    const QString oldPin = m_oldPassword->text();
    const QString newPin = m_lePassword->text();
    const QMap<QString, keycontiaininfo> keys = DeviceBussiness::Instance()->getKeyContainInfoMap();
    const QString account = accountName().trimmed();
    QString refusal;
    if (oldPin.isEmpty())
        refusal = QStringLiteral("旧PIN码不能为空");
    else if (newPin.size() < 6)
        refusal = QStringLiteral("新PIN码不能少于6位");
    else if (newPin != m_leRePassword->text())
        refusal = QStringLiteral("两次PIN码不一致");
    else if (keys.size() == 1 && keys.first().strLicNum.trimmed().compare(account, Qt::CaseInsensitive) != 0)
        refusal = QStringLiteral("请使用本单位下的电子密钥盘！");
    if (!refusal.isEmpty()) {
        toast(this, refusal);
        return;
    }

    // The key chosen in the list; a single key of the account whose licence number differs from
    // the account name only in letter case is not listed, but passed the check above.
    QString device = m_sealsName->currentData(Qt::UserRole).toString();
    if (device.isEmpty() && keys.size() == 1)
        device = keys.firstKey();
    if (device.isEmpty()) {
        toast(this, QStringLiteral("请使用本单位下的电子密钥盘！"));
        return;
    }
    const int result = DeviceBussiness::Instance()->motifyKeyPin(device, oldPin, newPin);
    if (result != 0) {
        MMessageBox::showError(g_topWidget, QStringLiteral("Orvessa"), deviceFailureText(), QSize(280, 160),
                               QDialogButtonBox::Ok, QDialogButtonBox::NoButton);
        return;
    }
    toast(this, QStringLiteral("PIN码更改成功"), qmt_succ);
    accept();
}

// ---------------------------------------------------------------------------------------------

ChangeEmailDialog::ChangeEmailDialog(QWidget* parent)
    : ParentDialog(parent, false)
{
}

ChangeEmailDialog::~ChangeEmailDialog() = default;
