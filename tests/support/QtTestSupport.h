#pragma once
// Helpers shared by widget tests.

#include <QString>
#include <QStringList>
#include <QMap>
#include <functional>
#include <algorithm>
#include <map>
#include <vector>

void collectQtMessage(const QString& text);

// Collects every message the toolkit prints while it is alive.
class QtMessageCollector
{
public:
    QtMessageCollector();
    ~QtMessageCollector();
    QStringList messages() const;
    bool contains(const QString& fragment) const;

private:
    QtMessageCollector* m_previous;
    QStringList m_messages;
    friend void collectQtMessage(const QString& text);
};

// Sets the global UI scale (and the sizes derived from it) for the life of the object.
class ScopedScreenZoom
{
public:
    explicit ScopedScreenZoom(float zoom);
    ~ScopedScreenZoom();

private:
    int m_width, m_height;
    float m_zoom;
    int m_scroll;
};

#include <QApplication>
#include <QPointer>
#include <QTimer>
#include <QWidget>

// Answers modal dialogs the code under test runs with exec(): every few milliseconds it looks
// for a visible top-level widget of a registered type that it has not handled yet and runs the
// handler for it once (which typically types into it, clicks a button or calls done()). Handled
// dialogs are counted per type.
class ModalDriver
{
public:
    ModalDriver()
    {
        m_timer.setInterval(5);
        QObject::connect(&m_timer, &QTimer::timeout, [this] { poll(); });
        m_timer.start();
    }

    // Registers a handler for dialogs of type T (later registrations for T replace it).
    template <typename T>
    void on(std::function<void(T*)> handler)
    {
        const char* name = T::staticMetaObject.className();
        m_handlers[name] = [handler](QWidget* w) {
            if (T* t = qobject_cast<T*>(w))
                handler(t);
        };
        m_seen.insert(name, 0);
    }

    // How many dialogs of type T have been handled.
    template <typename T>
    int count() const
    {
        return m_seen.value(T::staticMetaObject.className(), 0);
    }

private:
    void poll()
    {
        // Dialogs destroyed since are forgotten: a new one may take the same address.
        m_done.erase(std::remove_if(m_done.begin(), m_done.end(), [](const QPointer<QWidget>& p) { return !p; }),
                     m_done.end());
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (!w->isVisible() || std::find(m_done.begin(), m_done.end(), w) != m_done.end())
                continue;
            const auto it = m_handlers.find(w->metaObject()->className());
            if (it == m_handlers.end())
                continue;
            m_done.push_back(w);
            m_seen[w->metaObject()->className()]++;
            it->second(w);
            return; // the handler may have run nested loops: look again on the next tick
        }
    }

    QTimer m_timer;
    std::map<QString, std::function<void(QWidget*)>> m_handlers;
    QMap<QString, int> m_seen;
    std::vector<QPointer<QWidget>> m_done;
};

#include <QImage>
#include <QUrl>

// Receives what the program hands to the desktop (a browser, a file manager) for the given URL
// schemes while it lives, instead of the desktop.
class DesktopUrls : public QObject
{
    Q_OBJECT
public:
    explicit DesktopUrls(const QStringList& schemes = {QStringLiteral("https"), QStringLiteral("http")});
    ~DesktopUrls() override;
    QList<QUrl> urls;

public slots:
    void open(const QUrl& url);

private:
    QStringList m_schemes;
};

// Shows the widget, waits until it is on screen, settles the layouts that pending events would
// still change and saves its picture as dir/name (dir is made when missing); returns the picture.
QImage saveWidgetPicture(QWidget& w, const QString& dir, const QString& name);
// Saves a picture as dir/name (dir is made when missing) and returns it.
QImage savePicture(const QImage& img, const QString& dir, const QString& name);
// Number of distinct colours among every second pixel of every second row: a blank or unstyled
// picture has very few.
int distinctColours(const QImage& img);

#ifdef ORV_SCREENSHOT_DIR
// The same into the test's screenshot folder.
inline QImage screenshot(QWidget& w, const char* name)
{
    return saveWidgetPicture(w, QStringLiteral(ORV_SCREENSHOT_DIR), QString::fromUtf8(name));
}
#endif
