#include "GlobalHeader.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QtMath>

QString configPath;
int screenWidth = 0;
int screenHeight = 0;
float screenZoom = 1.0f;

QString applicationConfigPath()
{
    const QString named = qEnvironmentVariable("ORVESSA_CONFIG");
    if (!named.isEmpty())
        return named;
    return QCoreApplication::applicationDirPath() + QStringLiteral("/config.ini");
}
int scrollWidth = 0;
const float fixwindowwidth = 1024.0f;
const float fixwindowheight = 768.0f;

QWidget* g_topWidget = nullptr;

QByteArray g_cerData;
CCertTime g_certTime;

const float gZoomList[16] = {8.33f, 12.5f, 18.0f,  25.0f,  33.33f, 50.0f,  66.67f, 75.0f,
                             100.0f, 125.0f, 150.0f, 200.0f, 300.0f, 400.0f, 600.0f, 800.0f};

QString toFixString(double v)
{
    return QString::number(qRound(v * screenZoom + 0.5));
}

QString toFixSize(double v, bool bzoom)
{
    return QString::number(bzoom ? qRound(v * screenZoom) : qRound(v));
}

QString toFixSize(double v, double zoom, bool bzoom)
{
    return QString::number(bzoom ? qRound(v * zoom) : qRound(v));
}

int toEvenNumber(double d)
{
    int n = static_cast<int>(d);
    if (n % 2 != 0)
        n = static_cast<int>(d + 1);
    return n;
}

QPixmap toFixSizePixmap(QPixmap pixmap, double w, double h)
{
    const int pw = pixmap.width();
    const int ph = pixmap.height();
    if (pw <= w && ph <= h)
        return pixmap;
    const double z = qMin(w / pw, h / ph);
    return pixmap.scaled(static_cast<int>(pw * z), static_cast<int>(ph * z), Qt::IgnoreAspectRatio,
                         Qt::SmoothTransformation);
}

QPixmap toFixSizePixmap(QPixmap pixmap, QSize size)
{
    return toFixSizePixmap(pixmap, size.width(), size.height());
}

double MMtoPixel(int mm)
{
    return mm * 72.0 / 25.4;
}

double PixeltoMM(double px)
{
    return px * 25.4 / 72.0;
}

QString toNeceStr(QString str)
{
    return QString("<html><head/><body><p><span style='color:#ff0000;'>*</span>%1</p></body></html>").arg(str);
}

QString htmlStr(QString top, QString bottom)
{
    const QString tmpl = QStringLiteral(
        "<html><head/><body><p><div style=\""
        "margin-left:10px;maring-right:10px;line-height:20px;font-weight:600;font-size:10pt;\">%1"
        "</p></div><div style=\"line-height:20px;margin-left:10px;margin-right:10px;font-size:10pt; \"><p>%2"
        "</p></div></body></html>");
    return tmpl.arg(top).arg(bottom);
}

QString htmlStrLists(QStringList strlist)
{
    QString html = QStringLiteral("<html><body>");
    for (const QString& s : strlist) {
        html += QStringLiteral("<div style=\"margin-top:10px;margin-bottom:10px;line-height:10px;margin-left:10px;"
                               "margin-right:10px;font-size:%2pt; \"><p>%1</p></div>")
                    .arg(s)
                    .arg(toFixString(7));
    }
    html += QStringLiteral("</body></html>");
    return html;
}

QString startupDocumentPath(const QStringList& arguments)
{
    const int n = arguments.size() - 1;
    if (n == 1) {
        const QString& a = arguments.at(1);
        return a == QLatin1String("real") ? QString() : a;
    }
    if (n == 2) {
        QString path = arguments.at(1);
        path.replace(QChar('?'), QChar(0x00A0));
        return path;
    }
    return QString();
}

void applyScreenMetrics(int availableWidth, int availableHeight)
{
    screenWidth = availableWidth;
    screenHeight = availableHeight;
    const float wz = screenWidth / fixwindowwidth;
    const float hz = screenHeight / fixwindowheight;
    screenZoom = hz < wz ? hz : wz;
    scrollWidth = toEvenNumber(static_cast<float>(screenZoom * 13.0f));
}

void initViewInfo()
{
    QScreen* screen = QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    applyScreenMetrics(area.width(), area.height());
}

void registerSharedMetaTypes()
{
    qRegisterMetaType<CCertTime>("CCertTime");
    qRegisterMetaType<CVerifyResult>("CVerifyResult");
}

void initOrvessaResources()
{
    Q_INIT_RESOURCE(resources);
    Q_INIT_RESOURCE(translations);
}
