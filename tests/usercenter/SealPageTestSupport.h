#pragma once
// Reading the cards of the seals and signatures page in tests.

#include "CSealCellWidgetTwo.h"
#include "CSignListCellWidgetTwo.h"

#include <QLabel>
#include <QList>
#include <QStringList>

// The kind of a seal card and its seal's name, e.g. "cloud:合同专用章".
inline QString cardKind(const CSealCellWidgetTwo* card)
{
    const SealCardArgs& a = card->args();
    QString kind = QStringLiteral("cloud");
    if (a.iscertificationFailure)
        kind = QStringLiteral("failed");
    else if (a.isVerify != 0)
        kind = QStringLiteral("review");
    else if (a.isAuth)
        kind = QStringLiteral("authorised");
    else if (a.isLabel == 0)
        kind = QStringLiteral("key");
    return kind + QLatin1Char(':') + a.companyName;
}

inline QStringList cardKinds(const QList<CSealCellWidgetTwo*>& cards)
{
    QStringList out;
    for (const CSealCellWidgetTwo* card : cards)
        out << cardKind(card);
    return out;
}

inline QStringList names(const QList<SignListCellWidgetTwo*>& cards)
{
    QStringList out;
    for (const SignListCellWidgetTwo* card : cards)
        out << card->nameLabel()->text();
    return out;
}
