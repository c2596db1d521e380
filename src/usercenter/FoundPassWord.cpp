#include "FoundPassWord.h"

#include "GlobalHeader.h"
#include "LoadingWidget.h"
#include "MMessageBox.h"
#include "NetWorkBusiness.h"
#include "QuickMessageBox.h"
#include "UserCenterShared.h"

#include <QAction>
#include <QCursor>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QToolTip>
#include <QVBoxLayout>

namespace {

constexpr int kCountdownStart = 60;

QString accountTip()
{
    return htmlStrLists({QStringLiteral("注意：账号区分大小写。"), QStringLiteral("1. 通过邮箱注册的企业用户，请使用邮箱修改。"),
                         QStringLiteral("2. 通过刻章点注册的企业用户，请使用企业社会统一信用代码修改。")});
}

QLineEdit* field(QWidget* parent, const QString& placeholder, int maxLength, bool password)
{
    auto* f = new QLineEdit(parent);
    f->setFixedSize(designPx(200), designPx(24));
    f->setPlaceholderText(placeholder);
    f->setMaxLength(maxLength);
    f->setAttribute(Qt::WA_InputMethodEnabled, false);
    if (password)
        f->setEchoMode(QLineEdit::Password);
    return f;
}

QString countdownText(int seconds)
{
    return QStringLiteral("%1 s 重新获取").arg(seconds);
}

} // namespace

FoundPassWord::FoundPassWord(QWidget* boxParent)
    : QWidget(boxParent)
    , m_boxParent(boxParent)
{
    initUserCenterResources();

    auto* title = new QLabel(QStringLiteral("找回密码 RECOVER"), this);
    title->setObjectName("recoverTitle");

    m_userName = field(this, QStringLiteral("邮箱/企业社会统一信用代码/手机号"), 30, false);
    QAction* info = m_userName->addAction(QIcon(":/Resources/images/info.svg"), QLineEdit::TrailingPosition);
    info->setToolTip(accountTip());
    connect(info, &QAction::triggered, this, [] { QToolTip::showText(QCursor::pos(), accountTip()); });

    m_iPhoneVerityNums = new QLineEdit(this);
    m_iPhoneVerityNums->setPlaceholderText(QStringLiteral("请输入验证码"));
    m_iPhoneVerityNums->setMaxLength(6);
    m_iPhoneVerityNums->setFixedHeight(designPx(24));
    m_iPhoneVerityNums->setAttribute(Qt::WA_InputMethodEnabled, false);
    m_getVerityNums = new QPushButton(QStringLiteral("获取验证码"), this);
    m_getVerityNums->setObjectName("btnVerity");
    m_getVerityNums->setFixedHeight(designPx(24));
    m_getVerityNums->setCursor(Qt::PointingHandCursor);
    auto* codeRow = new QHBoxLayout;
    codeRow->setSpacing(10);
    codeRow->addWidget(m_iPhoneVerityNums, 3);
    codeRow->addWidget(m_getVerityNums, 2);
    auto* codeBox = new QWidget(this);
    codeBox->setFixedWidth(designPx(200));
    codeRow->setContentsMargins(0, 0, 0, 0);
    codeBox->setLayout(codeRow);

    m_passWord = field(this, QStringLiteral("新密码（8-16位字母、数字组合）"), 16, true);
    m_rePassWord = field(this, QStringLiteral("确认密码"), 16, true);

    m_btnOk = new QPushButton(QStringLiteral("确 定"), this);
    m_btnOk->setObjectName("btnOk");
    m_btnOk->setFixedHeight(designPx(30));
    m_btnOk->setCursor(Qt::PointingHandCursor);
    auto* text1 = new QLabel(QStringLiteral("已有账号,"), this);
    text1->setObjectName("text1");
    m_btnLogin = new QPushButton(QStringLiteral("登录"), this);
    m_btnLogin->setObjectName("btnLogin");
    m_btnLogin->setFlat(true);
    m_btnLogin->setCursor(Qt::PointingHandCursor);
    auto* loginRow = new QHBoxLayout;
    loginRow->setSpacing(0);
    loginRow->addStretch();
    loginRow->addWidget(text1);
    loginRow->addWidget(m_btnLogin);
    auto* okBlock = new QVBoxLayout;
    okBlock->setSpacing(14);
    okBlock->addWidget(m_btnOk);
    okBlock->addLayout(loginRow);

    auto* column = new QVBoxLayout;
    column->setSpacing(16);
    column->addWidget(title);
    column->addWidget(m_userName);
    column->addWidget(codeBox);
    column->addWidget(m_passWord);
    column->addWidget(m_rePassWord);
    column->addLayout(okBlock);
    column->addStretch();
    auto* outer = new QHBoxLayout(this);
    outer->setContentsMargins(designPx(80), designPx(50), 0, 0);
    outer->addLayout(column);
    outer->addStretch();
    // The confirmation block is as wide as the fields.
    m_btnOk->setFixedWidth(designPx(200));

    setStyleSheet(QStringLiteral("QLabel#recoverTitle{font-weight:bold;font-size:%1px;color:#333333;}"
                                 "QLineEdit{border:none;border-bottom:1px solid #CACACA;background:transparent;"
                                 "padding-bottom:%2px;font-size:%3px;}"
                                 "QLineEdit:focus{border-bottom-color:#31CA84;}"
                                 "QPushButton#btnVerity{border:1px solid #31CA84;border-radius:%4px;background:white;"
                                 "color:#31CA84;font-size:%3px;}"
                                 "QPushButton#btnVerity:disabled{border-color:#CACACA;background:#CACACA;color:#808080;}"
                                 "QPushButton#btnOk{border:none;border-radius:%5px;background:#31CA84;color:white;"
                                 "font-size:%6px;}"
                                 "QPushButton#btnOk:hover{background:#2CBB7B;}"
                                 "QPushButton#btnOk:disabled{background:#CACACA;}"
                                 "QLabel#text1{color:#ABABAB;font-size:%3px;}"
                                 "QPushButton#btnLogin{border:none;background:transparent;color:#31CA84;font-size:%3px;}")
                      .arg(toFixString(18), toFixString(3), toFixString(10.5), toFixString(3), toFixString(14),
                           toFixString(11)));

    m_loading = new LoadingWidget(this, Qt::Vertical);
    m_loading->hide();

    m_smsTimer = new QTimer(this);
    m_smsTimer->setInterval(1000);

    NetWorkBusiness* client = NetWorkBusiness::Instance();
    connect(m_btnLogin, &QPushButton::clicked, this, &FoundPassWord::gotoLogin);
    connect(m_btnOk, &QPushButton::clicked, this, &FoundPassWord::modifyPassword);
    connect(m_getVerityNums, &QPushButton::clicked, this, &FoundPassWord::getVerfiyNo);
    connect(m_smsTimer, &QTimer::timeout, this, &FoundPassWord::updateText);
    connect(client, &NetWorkBusiness::smsNoFindpasswordSucc, this, &FoundPassWord::smsNoSucc_Slot);
    connect(client, &NetWorkBusiness::smsNoFindpasswordError, this, &FoundPassWord::smsNoError_Slot);
    connect(client, &NetWorkBusiness::findPassWordSucc, this, &FoundPassWord::updatePassWordSucc_Slot);
    connect(client, &NetWorkBusiness::findPassWordError, this, &FoundPassWord::updatePassWordError_Slot);
}

FoundPassWord::~FoundPassWord() = default;

void FoundPassWord::getVerfiyNo()
{
    if (m_codePending)
        return;
    const QString account = m_userName->text();
    if (account.isEmpty()) {
        QuickMessageBox::abort(this, QStringLiteral("账号不能为空"), qmt_nothing, 2000);
        return;
    }
    // The button waits for the answer, so a second click cannot ask for a second code.
    m_codePending = true;
    m_getVerityNums->setEnabled(false);
    NetWorkBusiness::Instance()->smsNoBusiness(NetWorkBusiness::bt_smsno_findpassword, account, QString());
}

void FoundPassWord::smsNoSucc_Slot(QString data)
{
    if (!m_codePending)
        return;
    m_codePending = false;
    m_getVerityNums->setEnabled(false);
    m_getVerityNums->setText(countdownText(m_smsTimeCount));
    m_smsTimer->start();
    MMessageBox::showSucc(m_boxParent, QStringLiteral("找回密码"), data, QSize(280, 160), QDialogButtonBox::Ok,
                          QDialogButtonBox::NoButton);
}

void FoundPassWord::smsNoError_Slot(QString error)
{
    if (!m_codePending)
        return;
    m_codePending = false;
    m_getVerityNums->setEnabled(true);
    QuickMessageBox::abort(this, error, qmt_error, 1000);
}

void FoundPassWord::updateText()
{
    const int shown = m_smsTimeCount--;
    if (shown != 0) {
        m_getVerityNums->setText(countdownText(shown));
        return;
    }
    resetCountdown();
}

void FoundPassWord::resetCountdown()
{
    m_smsTimer->stop();
    m_smsTimeCount = kCountdownStart;
    m_getVerityNums->setEnabled(true);
    m_getVerityNums->setText(QStringLiteral("获取验证码"));
}

void FoundPassWord::modifyPassword()
{
    // Enter reaches this slot even while the button is disabled: one reset at a time.
    if (m_resetPending)
        return;
    const QString account = m_userName->text();
    const QString code = m_iPhoneVerityNums->text();
    const QString password = m_passWord->text();
    QString refusal;
    if (account.isEmpty())
        refusal = QStringLiteral("账号不能为空");
    else if (code.isEmpty())
        refusal = QStringLiteral("验证码不能为空");
    else if (password.isEmpty())
        refusal = QStringLiteral("密码不能为空");
    else if (password.size() < 8)
        refusal = QStringLiteral("密码长度不能少于8位");
    else if (password != m_rePassWord->text())
        refusal = QStringLiteral("两次输入的密码不一致");
    if (!refusal.isEmpty()) {
        QuickMessageBox::abort(this, refusal, qmt_nothing, 2000);
        return;
    }
    m_resetPending = true;
    m_btnOk->setEnabled(false);
    NetWorkBusiness::Instance()->findPassWordBusiness(password, code, account);
}

void FoundPassWord::updatePassWordSucc_Slot()
{
    if (!m_resetPending)
        return;
    m_resetPending = false;
    m_btnOk->setEnabled(true);
    QuickMessageBox::abort(this, QStringLiteral("更新密码成功"), qmt_succ, 1000);
    clearText();
    emit gotoLogin();
}

void FoundPassWord::updatePassWordError_Slot(QString error)
{
    if (!m_resetPending)
        return;
    m_resetPending = false;
    m_btnOk->setEnabled(true);
    QuickMessageBox::abort(this, error, qmt_error, 1000);
}

void FoundPassWord::clearText()
{
    m_userName->clear();
    m_iPhoneVerityNums->clear();
    m_passWord->clear();
    m_rePassWord->clear();
    if (m_smsTimer->isActive())
        resetCountdown();
}

// ---------------------------------------------------------------------------------------------
// The registration form (never shown; its buttons do nothing)

RegisterWidget::RegisterWidget(QWidget* parent)
    : QWidget(parent)
{
    auto* title = new QLabel(QStringLiteral("注册 SIGN UP"), this);
    m_iPhone = new QLineEdit(this);
    m_iPhone->setPlaceholderText(QStringLiteral("请输入手机号"));
    m_iPhone->setFixedSize(designPx(320), designPx(34));
    m_iPhoneVerityNums = new QLineEdit(this);
    m_iPhoneVerityNums->setPlaceholderText(QStringLiteral("请输入手机验证码"));
    m_iPhoneVerityNums->setFixedHeight(designPx(34));
    auto* codeButton = new QPushButton(QStringLiteral("获取验证码"), this);
    codeButton->setFixedHeight(designPx(34));
    auto* codeRow = new QHBoxLayout;
    codeRow->setSpacing(10);
    codeRow->addWidget(m_iPhoneVerityNums, 3);
    codeRow->addWidget(codeButton, 2);
    m_passWord = new QLineEdit(this);
    m_passWord->setEchoMode(QLineEdit::Password);
    m_passWord->setPlaceholderText(QStringLiteral("请出入密码"));
    m_passWord->setFixedSize(designPx(320), designPx(34));
    m_rePassWord = new QLineEdit(this);
    m_rePassWord->setEchoMode(QLineEdit::Password);
    m_rePassWord->setPlaceholderText(QStringLiteral("确认密码"));
    m_rePassWord->setFixedSize(designPx(320), designPx(34));

    auto* registerButton = new QPushButton(QStringLiteral("注 册"), this);
    registerButton->setObjectName("btnLogin");
    registerButton->setFixedHeight(toEvenNumber(50 * screenZoom));
    auto* loginRow = new QHBoxLayout;
    loginRow->setSpacing(0);
    loginRow->addStretch();
    loginRow->addWidget(new QLabel(QStringLiteral("已有账号,"), this));
    loginRow->addWidget(new QPushButton(QStringLiteral("登录"), this));
    auto* block = new QVBoxLayout;
    block->setSpacing(14);
    block->addWidget(registerButton);
    block->addLayout(loginRow);

    auto* column = new QVBoxLayout(this);
    column->setSpacing(34);
    column->setContentsMargins(designPx(164), designPx(91), 0, 0);
    column->addWidget(title);
    column->addWidget(m_iPhone);
    column->addLayout(codeRow);
    column->addWidget(m_passWord);
    column->addWidget(m_rePassWord);
    column->addLayout(block);
    column->addStretch();
}

RegisterWidget::~RegisterWidget() = default;
