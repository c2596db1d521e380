#pragma once
// Readable failure messages for the toolkit's value types.
#include <QByteArray>
#include <QSize>
#include <QString>
#include <QStringList>
#include <ostream>

inline void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}
inline void PrintTo(const QByteArray& b, std::ostream* os)
{
    *os << '"' << b.toStdString() << '"';
}
inline void PrintTo(const QStringList& l, std::ostream* os)
{
    *os << '[' << l.join("|").toStdString() << ']';
}
inline void PrintTo(const QSize& s, std::ostream* os)
{
    *os << s.width() << 'x' << s.height();
}
inline std::ostream& operator<<(std::ostream& os, const QString& s)
{
    return os << s.toStdString();
}
