#include "QtTestSupport.h"

#include "GlobalHeader.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QEvent>
#include <QSet>
#include <QTest>
#include <QtGlobal>

#include <gtest/gtest.h>

namespace {
QtMessageCollector* g_collector = nullptr;
QtMessageHandler g_previousHandler = nullptr;

void handler(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    collectQtMessage(text);
    if (g_previousHandler)
        g_previousHandler(type, context, text);
}
} // namespace

void collectQtMessage(const QString& text)
{
    if (g_collector)
        g_collector->m_messages << text;
}

QtMessageCollector::QtMessageCollector()
    : m_previous(g_collector)
{
    g_collector = this;
    QtMessageHandler old = qInstallMessageHandler(handler);
    if (old != handler)
        g_previousHandler = old;
}

QtMessageCollector::~QtMessageCollector()
{
    g_collector = m_previous;
    if (!g_collector)
        qInstallMessageHandler(g_previousHandler);
}

QStringList QtMessageCollector::messages() const
{
    return m_messages;
}

bool QtMessageCollector::contains(const QString& fragment) const
{
    for (const QString& m : m_messages)
        if (m.contains(fragment))
            return true;
    return false;
}

ScopedScreenZoom::ScopedScreenZoom(float zoom)
    : m_width(screenWidth), m_height(screenHeight), m_zoom(screenZoom), m_scroll(scrollWidth)
{
    applyScreenMetrics(int(1024 * zoom), int(768 * zoom));
    screenZoom = zoom;
    scrollWidth = toEvenNumber(static_cast<float>(screenZoom * 13.0f));
}

ScopedScreenZoom::~ScopedScreenZoom()
{
    screenWidth = m_width;
    screenHeight = m_height;
    screenZoom = m_zoom;
    scrollWidth = m_scroll;
}

QImage savePicture(const QImage& img, const QString& dir, const QString& name)
{
    QDir().mkpath(dir);
    EXPECT_TRUE(img.save(dir + QLatin1Char('/') + name)) << name.toStdString();
    return img;
}

QImage saveWidgetPicture(QWidget& w, const QString& dir, const QString& name)
{
    w.show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&w));
    // Layouts changed by the last reload are applied before the picture is taken.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    QCoreApplication::processEvents();
    return savePicture(w.grab().toImage(), dir, name);
}

int distinctColours(const QImage& img)
{
    QSet<QRgb> seen;
    for (int y = 0; y < img.height(); y += 2)
        for (int x = 0; x < img.width(); x += 2)
            seen.insert(img.pixel(x, y));
    return seen.size();
}

DesktopUrls::DesktopUrls(const QStringList& schemes) : m_schemes(schemes)
{
    for (const QString& scheme : m_schemes)
        QDesktopServices::setUrlHandler(scheme, this, "open");
}

DesktopUrls::~DesktopUrls()
{
    for (const QString& scheme : m_schemes)
        QDesktopServices::unsetUrlHandler(scheme);
}

void DesktopUrls::open(const QUrl& url)
{
    urls << url;
}
