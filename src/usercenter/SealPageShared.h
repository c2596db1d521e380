#pragma once
// Helpers shared by the seals and signatures page, its seal and signature cards, the
// add-signature page, the feedback page and the small dialogs beside them.

#include <QString>

// Makes their pictures available (once; the library is static, so its resources are registered
// on first use).
void initSealPageResources();

// The style of the cards' small round delete button "-".
QString cardDeleteButtonStyle();

// Dates as the cards show them, "yyyy-MM-dd hh:mm"; a text that does not parse gives "".
// From "yyyy-MM-dd hh:mm:ss".
QString cardDateFromText(const QString& text);
// From seconds since 1970 as decimal text, in local time.
QString cardDateFromSeconds(const QString& seconds);
