#include "SignPageCodeDialog.h"

#include "GlobalHeader.h"
#include "NetWorkBusiness.h"
#include "QuickMessageBox.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QTimer>
#include <QVBoxLayout>

namespace {

// A design size (for a 1024 x 768 screen) on this screen.
int designSize(double v)
{
    return qRound(v * screenZoom);
}

// Service codes with which an acceptance is over without having succeeded now (the caller
// closes the tab without a success message).
bool acceptanceSettled(int code)
{
    return code == 81000 || code == 60020;
}

} // namespace

QString SignPageCodeDialog::maskedPhone(const QString& phone)
{
    if (phone.size() < 7)
        return QStringLiteral("****");
    return phone.left(3) + QStringLiteral("****") + phone.right(4);
}

SignPageCodeDialog::SignPageCodeDialog(QString& proofTime, int& codeS, QWidget* parent, bool isAuth,
                                       bool isAcceptAuth)
    : ParentDialog(parent, false)
    , m_isAuth(isAuth)
    , m_isAcceptAuth(isAcceptAuth)
    , m_proofTime(proofTime)
    , m_codeS(codeS)
{
    const QString verb = isAuth ? QStringLiteral("授权") : QStringLiteral("签署");
    setTilter(verb + QStringLiteral("验证"));
    setFixedSize(designSize(315), designSize(182));

    QString phone;
    if (BusinessInfo* info = NetWorkBusiness::Instance()->getBusinessInfo())
        phone = info->contactPhone;
    const QString px = toFixString(10.5);
    auto* sentTo = new QLabel(contentWidget());
    sentTo->setText(QStringLiteral("<html><head/><body><p style='font-size:%2px;color:#9E9E9E;'>%3验证码已发送至"
                                   "<span style='font-size:%2px;color:#81C38C;'>%1</span>"
                                   "<span style='font-size:%2px;color:#9E9E9E;'>手机上，请注意查收并</span></p>"
                                   "</body></html>")
                        .arg(maskedPhone(phone), px, verb));
    auto* below = new QLabel(QStringLiteral("填写至下方"), contentWidget());
    below->setStyleSheet(QStringLiteral("QLabel {font-size:%1px;color:#9E9E9E;}").arg(px));
    auto* text = new QVBoxLayout;
    text->setSpacing(1);
    text->addWidget(sentTo, 0, Qt::AlignHCenter);
    text->addWidget(below, 0, Qt::AlignHCenter);

    m_edit = new QLineEdit(contentWidget());
    m_edit->setPlaceholderText(QStringLiteral("请输入短信验证码"));
    m_edit->setFixedSize(designSize(138), designSize(26));
    m_edit->setStyleSheet(QStringLiteral("QLineEdit{padding-left:10px;border:1px solid #31CA84 ;border-radius:5px;"
                                         "font-size:%1px;}")
                              .arg(toFixString(9)));
    m_edit->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]+$")), m_edit));
    m_edit->setMaxLength(6);
    m_edit->setAttribute(Qt::WA_InputMethodEnabled, false);
    verBtn = new QPushButton(QStringLiteral("发送短信验证码"), contentWidget());
    verBtn->setFixedSize(designSize(74), designSize(26));
    verBtn->setStyleSheet(QStringLiteral("QPushButton {font-size:%1px}").arg(toFixString(9)));
    auto* input = new QHBoxLayout;
    input->addStretch();
    input->addWidget(m_edit);
    input->addWidget(verBtn);
    input->addStretch();

    m_confirm = new QPushButton(QStringLiteral("确认") + verb, contentWidget());
    m_cancel = new QPushButton(QStringLiteral("取消"), contentWidget());
    m_confirm->setFixedSize(designSize(67), designSize(22));
    m_cancel->setFixedSize(designSize(67), designSize(22));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_confirm);
    buttons->addWidget(m_cancel);
    buttons->addStretch();

    auto* layout = new QVBoxLayout(contentWidget());
    layout->setSpacing(16);
    layout->addStretch();
    layout->addLayout(text);
    layout->addLayout(input);
    layout->addLayout(buttons);
    layout->addStretch();

    m_Timer = new QTimer(this);
    connect(verBtn, &QPushButton::clicked, this, &SignPageCodeDialog::sendsmsVerfiyCode, Qt::DirectConnection);
    connect(m_confirm, &QPushButton::clicked, this, &SignPageCodeDialog::check, Qt::DirectConnection);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject, Qt::DirectConnection);
    connect(m_Timer, &QTimer::timeout, this, &SignPageCodeDialog::updateText, Qt::DirectConnection);

    sendsmsVerfiyCode();
}

SignPageCodeDialog::~SignPageCodeDialog() = default;

void SignPageCodeDialog::sendsmsVerfiyCode()
{
    NetWorkBusiness* client = NetWorkBusiness::Instance();
    int sent = 0;
    if (m_isAuth) {
        sent = client->getauthSecurityCodeBus(nullptr);
    } else {
        BusinessInfo* info = client->getBusinessInfo();
        sent = client->contractSmsSignVerBusiness(info ? info->userAccount : QString(),
                                                  info ? info->contactPhone : QString());
    }
    if (sent)
        smsVerifySucc();
    else
        retSuc = 0;   // the client has reported the service's message
}

void SignPageCodeDialog::smsVerifySucc()
{
    m_smsTimeCount = 60;
    verBtn->setEnabled(false);
    verBtn->setText(QStringLiteral("已发送（%1s）").arg(m_smsTimeCount));
    m_Timer->start(1000);
    QuickMessageBox::abort(this, QStringLiteral("验证码已发送"), qmt_succ, 500);
}

void SignPageCodeDialog::updateText()
{
    if (m_smsTimeCount == 0) {
        m_Timer->stop();
        m_smsTimeCount = 60;
        verBtn->setEnabled(true);
        verBtn->setText(QStringLiteral("获取验证码"));
        return;
    }
    verBtn->setText(QStringLiteral("已发送（%1s）").arg(m_smsTimeCount));
    --m_smsTimeCount;
}

void SignPageCodeDialog::check()
{
    const QString typed = m_edit->text().trimmed();
    if (typed.isEmpty()) {
        QuickMessageBox::abort(this, QStringLiteral("验证码不能为空"), qmt_nothing, 2000);
        return;
    }
    NetWorkBusiness* client = NetWorkBusiness::Instance();
    if (!m_isAuth) {
        code = typed;
        if (client->sureSignSmsVerBusiness(code, m_proofTime))
            accept();
        return;
    }
    if (!m_isAcceptAuth) {
        if (client->affirmSealAuthBus(m_authId, typed, nullptr))
            accept();
        return;
    }
    // An acceptance closes the dialog when it succeeded or is over for good; any other refusal
    // (a wrong or expired code) leaves it open for another try, the service's message shown by
    // the client.
    if (client->acceptSealAuthBus(m_authId, typed, m_codeS, nullptr) || acceptanceSettled(m_codeS))
        accept();
}
