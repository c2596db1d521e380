#include "UserCenterShared.h"

#include "GlobalHeader.h"

#include <QByteArray>
#include <QSettings>

int designPx(double v)
{
    return int(v * screenZoom);
}

void initUserCenterResources()
{
    static bool done = false;
    if (!done) {
        Q_INIT_RESOURCE(usercenter);
        done = true;
    }
}

QString companySiteUrl()
{
    return QStringLiteral("https://www.orvessa.com");
}

QUrl registrationUrl()
{
    QSettings ini(configPath, QSettings::IniFormat);
    QByteArray decoded = QByteArray::fromBase64(ini.value(QStringLiteral("addressUrl/reg")).toByteArray());
    const int zero = decoded.indexOf('\0');
    if (zero >= 0)
        decoded.truncate(zero);
    if (decoded.isEmpty())
        return QUrl();
    return QUrl(QString::fromLatin1(decoded), QUrl::TolerantMode);
}
