// The logged-in user's cloud certificate with its validity, and the gate that sends users whose
// identity is not verified to the service's verification page.

#include "GlobalHeader.h"
#include "CertState.h"
#include "MMessageBox.h"
#include "NetWorkBusiness.h"

#include <QDesktopServices>
#include <QSettings>
#include <QUrl>

namespace {

constexpr qint64 kExpiringSeconds = 2592000;   // 30 days

} // namespace

int getServerCertAndTime()
{
    NetWorkBusiness* client = NetWorkBusiness::Instance();
    const BusinessInfo* info = client->getBusinessInfo();
    if (!info)
        return -1;   // nobody logged in: nothing to refresh, the globals stay as they are
    const QString userId = info->id;

    QString message;
    const int code = client->getNewCert(userId, g_cerData, message);
    if (code != 10000) {
        g_certTime.bIsValid = false;
        MMessageBox::showError(g_topWidget, QStringLiteral("错误"), message, QSize(280, 160), QDialogButtonBox::Ok,
                               QDialogButtonBox::NoButton);
        return -1;
    }
    const int timesOk = client->getCertTime(userId, g_certTime.beginTime, g_certTime.endTime);
    if (!g_cerData.isEmpty() && timesOk == 1 && g_certTime.endTime.isValid()) {
        // The service's clock decides; without it the local clock does (never the epoch, which
        // would let an expired certificate pass as valid).
        const int serverSeconds = client->getServerTime();
        const QDateTime now =
            serverSeconds > 0 ? QDateTime::fromSecsSinceEpoch(serverSeconds) : QDateTime::currentDateTime();
        const qint64 remaining = now.secsTo(g_certTime.endTime);
        g_certTime.bIsExpiring = remaining <= kExpiringSeconds;
        g_certTime.bIsExpired = remaining <= 0;
        g_certTime.bIsValid = true;
        return 0;
    }
    g_certTime.bIsValid = false;
    g_certTime.endTime = QDateTime::fromString(QStringLiteral("1970-01-01 00:00:00"), "yyyy-MM-dd hh:mm:ss");
    g_certTime.bIsExpiring = false;
    g_certTime.bIsExpired = false;
    return -1;
}

int userAuthenStatus()
{
    const BusinessInfo* info = NetWorkBusiness::Instance()->getBusinessInfo();
    if (!info)
        return 0;
    QString text;
    switch (info->authenStatus) {
    case 3:
        MMessageBox::showWarning(g_topWidget, QStringLiteral("Orvessa"),
                                 QStringLiteral("您的账户认证正在审核中，请认证后再操作！"), QSize(280, 160),
                                 QDialogButtonBox::Ok, QDialogButtonBox::NoButton);
        return 0;
    case 0:
        text = QStringLiteral("您的帐户还没有认证，请认证后再操作！认证后请重新登陆账号");
        break;
    case 2:
        text = QStringLiteral("您的帐户认证失败，请重新认证后再操作！认证后请重新登陆账号");
        break;
    default:
        return 1;
    }
    const auto answer = MMessageBox::showWarning(
        g_topWidget, QStringLiteral("Orvessa"), text, QSize(202, 109),
        QDialogButtonBox::Open | QDialogButtonBox::Cancel, QDialogButtonBox::Open);
    if (answer != QDialogButtonBox::Open)
        return 0;
    QSettings config(configPath, QSettings::IniFormat);
    const QByteArray encoded =
        config.value(info->userType != 0 ? "addressUrl/auth" : "addressUrl/per_auth").toByteArray();
    QByteArray prefix = QByteArray::fromBase64(encoded);
    const int zero = prefix.indexOf('\0');
    if (zero >= 0)
        prefix.truncate(zero);
    const QString address =
        QString::fromUtf8(prefix) + info->token + QStringLiteral("&userAccount=") + info->authenPhone;
    QDesktopServices::openUrl(QUrl(address, QUrl::TolerantMode));
    return 0;
}
