#pragma once
// Helpers shared by widget tests.

#include <QString>
#include <QStringList>
#include <functional>

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
