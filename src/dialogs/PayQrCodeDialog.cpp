#include "PayQrCodeDialog.h"
#include "CertState.h"

#include "CLog.h"
#include "GlobalHeader.h"
#include "MMessageBox.h"
#include "PaymentStatusPoller.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace {

int g_pollMs = 1000;
int g_certCheckMs = 3000;

PaySuccessDialog::ExecHook& successHook()
{
    static PaySuccessDialog::ExecHook hook;
    return hook;
}

PaySuccessDialog::PageReload& pageReload()
{
    static PaySuccessDialog::PageReload reload;
    return reload;
}

int scaled(double v)
{
    return int(v * screenZoom);
}

QLabel* styledLabel(const QString& text, const char* colour, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setStyleSheet(QStringLiteral("QLabel{font-family:'微软雅黑';font-size:%1px;color:%2;}")
                             .arg(toFixString(12), QLatin1String(colour)));
    return label;
}

// A row of labels between two stretches.
QHBoxLayout* centredRow(const QList<QLabel*>& labels)
{
    auto* row = new QHBoxLayout;
    row->setSpacing(1);
    row->setContentsMargins(0, 0, 0, 0);
    row->addStretch(1);
    for (QLabel* label : labels)
        row->addWidget(label);
    row->addStretch(1);
    return row;
}

const char* const kGrey = "#8c8d8d";
const char* const kOrange = "#faa200";
const char* const kRed = "#FB5843";

} // namespace

// ---------------------------------------------------------------------------------------------

void PayQrCodeDialog::setIntervalsForTesting(int pollMs, int certCheckMs)
{
    g_pollMs = pollMs > 0 ? pollMs : 1000;
    g_certCheckMs = certCheckMs > 0 ? certCheckMs : 3000;
}

PayQrCodeDialog::PayQrCodeDialog(const QString& qrCode, const QString& orderId, int type, int countdownMS,
                                 QWidget* parent)
    : ParentDialog(parent, false)
    , m_nStartValue(qMax(0, countdownMS))
    , orderId_(orderId)
    , m_type(type)
{
    m_poller = new PaymentStatusPoller(orderId, m_nStartValue, this);
    m_poller->setIntervalMs(g_pollMs);
    connect(m_poller, &PaymentStatusPoller::countdownChanged, this, &PayQrCodeDialog::on_timer_timeout);
    connect(m_poller, &PaymentStatusPoller::paid, this, &PayQrCodeDialog::onPaid);
    // A failed poll has been reported by the service client; the countdown stays where it is
    // and the dialog waits for the user to close it.
    connect(m_poller, &PaymentStatusPoller::failed, this,
            [this] { ORV_LOG(QStringLiteral("支付状态查询失败，停止轮询：%1").arg(orderId_)); });
    connect(m_poller, &PaymentStatusPoller::expired, this, [this] {
        m_finished = true;
        close();
    });
    m_poller->start();

    m_pTimer2 = new QTimer(this);
    m_pTimer2->setInterval(g_certCheckMs);
    connect(m_pTimer2, &QTimer::timeout, this, &PayQrCodeDialog::slotPayResult);

    if (m_type == 1)
        setTilter(QStringLiteral("扫码支付订单"));
    else if (m_type == 2)
        setTilter(QStringLiteral("印章使用续期"));
    setFixedSize(scaled(420), scaled(335));

    auto* layout = new QVBoxLayout(_content);
    layout->setSpacing(16);
    layout->addStretch(1);
    if (m_type == 2) {
        layout->addLayout(centredRow({styledLabel(QStringLiteral("您正在进行印章使用续期操作！续期时长为"), kGrey, _content),
                                      styledLabel(QStringLiteral("1年"), kOrange, _content),
                                      styledLabel(QStringLiteral("，金额为"), kGrey, _content),
                                      styledLabel(QStringLiteral("￥200"), kOrange, _content)}));
    }
    m_qrLabel = new QLabel(_content);
    m_qrLabel->setFixedSize(scaled(148), scaled(148));
    m_qrLabel->setScaledContents(true);
    QPixmap picture;
    // Text that is not Base64 or not a picture leaves the label empty; paying still works.
    if (picture.loadFromData(QByteArray::fromBase64(qrCode.toLocal8Bit())))
        m_qrLabel->setPixmap(picture);
    layout->addWidget(m_qrLabel, 0, Qt::AlignHCenter);

    msLabel = styledLabel(QString::number(m_nStartValue), kRed, _content);
    layout->addLayout(centredRow({styledLabel(QStringLiteral("倒计时"), kGrey, _content), msLabel,
                                  styledLabel(QStringLiteral("秒"), kGrey, _content)}));
    QLabel* hint = styledLabel(QStringLiteral("请用手机微信/支付宝扫码以完成此订单的支付"), kGrey, _content);
    hint->setAlignment(Qt::AlignCenter);
    layout->addWidget(hint, 0, Qt::AlignHCenter);
    layout->addStretch(1);
}

PayQrCodeDialog::~PayQrCodeDialog()
{
    stopAll();
}

int PayQrCodeDialog::pollCount() const
{
    return m_poller->pollCount();
}

bool PayQrCodeDialog::isWorking() const
{
    return m_poller->isPolling() || m_pTimer2->isActive() || m_checking;
}

void PayQrCodeDialog::stopAll()
{
    m_poller->stop();
    m_pTimer2->stop();
}

void PayQrCodeDialog::done(int result)
{
    // Closed by the user or by the dialog itself: nothing is polled or checked afterwards, and
    // an answer still waiting is ignored.
    m_finished = true;
    stopAll();
    ParentDialog::done(result);
}

void PayQrCodeDialog::on_timer_timeout()
{
    m_nStartValue = m_poller->remainingSeconds();
    msLabel->setText(QString::number(m_nStartValue));
}

void PayQrCodeDialog::onPaid()
{
    if (m_finished || m_paid)
        return;
    m_paid = true;
    if (m_type == 2) {
        // The countdown stays where it is until the renewed certificate has been fetched.
        m_pTimer2->start(g_certCheckMs);
        return;
    }
    m_finished = true;
    close();
    PaySuccessDialog box(m_type, g_topWidget);
    box.exec();
}

void PayQrCodeDialog::slotPayResult()
{
    if (m_checking || m_finished)
        return;
    // No tick while the fetch waits (its wait runs timers, and its failure box waits for the
    // user): a second fetch would start inside the first.
    m_pTimer2->stop();
    m_checking = true;
    ++m_certChecks;
    QPointer<PayQrCodeDialog> self(this);
    const int fetched = getServerCertAndTime();
    if (!self)
        return;
    m_checking = false;
    if (m_finished)
        return;

    if (fetched != 0) {
        // getServerCertAndTime has reported its failure; try again a few times, then tell the
        // user what happened to the payment instead of retrying for ever.
        if (m_certChecks < kMaxCertChecks) {
            m_pTimer2->start(g_certCheckMs);
            return;
        }
        m_finished = true;
        close();
        ORV_LOG(QStringLiteral("续期已支付，获取证书失败%1次，停止重试").arg(m_certChecks));
        MMessageBox::showError(g_topWidget, QStringLiteral("电子印章续期失败"),
                               QStringLiteral("支付已完成，但暂时无法获取续期后的证书，请稍后重新登录查看证书状态！"),
                               QSize(280, 160), QDialogButtonBox::Ok, QDialogButtonBox::NoButton);
        return;
    }

    m_finished = true;
    if (g_certTime.bIsExpired) {
        close();
        ORV_LOG(QStringLiteral("电子印章续期失败"));
        MMessageBox::showError(g_topWidget, QStringLiteral("电子印章续期失败"), QStringLiteral("电子印章续期失败"),
                               QSize(280, 160), QDialogButtonBox::Ok, QDialogButtonBox::NoButton);
        return;
    }
    ORV_LOG(QStringLiteral("电子印章续期成功"));
    emit sigCertRenewSucess();
    close();
    PaySuccessDialog box(m_type, g_topWidget);
    box.exec();
}

// ---------------------------------------------------------------------------------------------

PaySuccessDialog::PaySuccessDialog(int type, QWidget* parent)
    : ParentDialog(parent, false)
    , m_type(type)
{
    if (type == 1)
        setTilter(QStringLiteral("套餐购买成功"));
    else if (type == 2)
        setTilter(QStringLiteral("电子印章续期成功"));
    setFixedSize(scaled(296), scaled(221));

    auto* layout = new QVBoxLayout(_content);
    layout->setSpacing(11);
    layout->addStretch(0);
    auto* picture = new QLabel(_content);
    picture->setFixedSize(scaled(35), scaled(35));
    picture->setScaledContents(true);
    picture->setPixmap(QPixmap(QStringLiteral(":/usercenter/Resources/images/usercenter/pay_success.png")));
    layout->addWidget(picture, 0, Qt::AlignHCenter);
    m_textLabel = new QLabel(type == 2 ? QStringLiteral("电子印章续期成功") : QStringLiteral("套餐购买成功"), _content);
    m_textLabel->setAlignment(Qt::AlignCenter);
    layout->addWidget(m_textLabel, 0, Qt::AlignHCenter);
    layout->addSpacing(22);
    m_okButton = new QPushButton(QStringLiteral("确定"), _content);
    m_okButton->setFixedSize(scaled(87), scaled(25));
    m_okButton->setStyleSheet(QStringLiteral("QPushButton{background:rgba(49,202,132,1);color:white;border:none;"
                                             "font-size:%1px;border-radius:%2px;}"
                                             "QPushButton:hover{background:#2CBB7B;}")
                                  .arg(toFixString(12), toFixString(6)));
    layout->addWidget(m_okButton, 0, Qt::AlignHCenter);
    layout->addStretch(0);
    connect(m_okButton, &QPushButton::clicked, this, &PaySuccessDialog::onOk);
}

QString PaySuccessDialog::text() const
{
    return m_textLabel->text();
}

void PaySuccessDialog::setExecHook(ExecHook hook)
{
    successHook() = std::move(hook);
}

PaySuccessDialog::ExecHook PaySuccessDialog::execHook()
{
    return successHook();
}

void PaySuccessDialog::setPageReload(PageReload reload)
{
    pageReload() = std::move(reload);
}

int PaySuccessDialog::exec()
{
    if (const ExecHook hook = successHook())
        return hook(*this);
    return ParentDialog::exec();
}

void PaySuccessDialog::onOk()
{
    if (m_type == 2)
        emit sigCertRenewSucess();
    close();
    // The page that shows what was paid for is reloaded by the user centre.
    if (const PageReload reload = pageReload())
        reload(m_type);
}

// ---------------------------------------------------------------------------------------------

PaySuccessAutoAnswer::PaySuccessAutoAnswer()
    : m_previous(PaySuccessDialog::execHook())
{
    PaySuccessDialog::setExecHook([this](PaySuccessDialog& box) {
        m_types.append(box.type());
        m_texts.append(box.text());
        box.okButton()->click();
        return int(box.result());
    });
}

PaySuccessAutoAnswer::~PaySuccessAutoAnswer()
{
    PaySuccessDialog::setExecHook(m_previous);
}
