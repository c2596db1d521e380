#pragma once
#include <QString>

// The application-wide style sheet. Its sizes depend on screenZoom and scrollWidth, so it is
// built after the screen metrics are known.
QString style();
