#include "SealPageShared.h"

#include "GlobalHeader.h"

#include <QDateTime>

static void registerSealPageResources()
{
    Q_INIT_RESOURCE(sealpage);
}

void initSealPageResources()
{
    static bool done = false;
    if (!done) {
        registerSealPageResources();
        done = true;
    }
}

QString cardDeleteButtonStyle()
{
    return QStringLiteral("QPushButton{background-color:rgb(49,202,132);border-radius:%1px;"
                          "font:%2px '微软雅黑';color:rgb(255,255,255);padding:0px 0px 3px 0px;}"
                          "QPushButton:hover{color:rgb(255,84,57);}"
                          "QPushButton:pressed{color:rgb(224,74,50);}")
        .arg(toFixString(5.5), toFixString(17.5));
}

QString cardDateFromText(const QString& text)
{
    const QDateTime t = QDateTime::fromString(text, QStringLiteral("yyyy-MM-dd hh:mm:ss"));
    return t.isValid() ? t.toString(QStringLiteral("yyyy-MM-dd hh:mm")) : QString();
}

QString cardDateFromSeconds(const QString& seconds)
{
    bool ok = false;
    const qint64 s = seconds.trimmed().toLongLong(&ok);
    if (!ok)
        return QString();
    return QDateTime::fromSecsSinceEpoch(s).toString(QStringLiteral("yyyy-MM-dd hh:mm"));
}
