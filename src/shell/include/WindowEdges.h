#pragma once
// The geometry of moving and resizing the frameless main window, kept free of widgets so that
// it can be checked point by point. Positions are global screen coordinates; tl and br are the
// window's top-left and bottom-right pixels.

#include <QPoint>
#include <QRect>
#include <QSize>
#include <Qt>

namespace frameless {

// The edge zone under the cursor, and during a resize the edge being dragged.
enum Direction { UP = 0, DOWN = 1, LEFT = 2, RIGHT = 3, LEFTTOP = 4, LEFTBOTTOM = 5, RIGHTBOTTOM = 6, RIGHTTOP = 7, NONE = 8 };

// Width of the resize band beyond the window's outermost pixel: the bands are inclusive, so
// each is padding + 1 pixels wide.
constexpr int kPadding = 2;

// The zone of g: corners win over edges; anything else is NONE.
Direction zoneAt(QPoint tl, QPoint br, QPoint g, int padding = kPadding);
// The cursor shape shown over a zone.
Qt::CursorShape cursorFor(Direction dir);
// The window rectangle while the edge dir is dragged to g. The left and top edges follow the
// cursor only while the window stays wider (taller) than minimum; the toolkit's own clamp of
// setGeometry keeps the right and bottom edges at the minimum size.
QRect resizedRect(Direction dir, QPoint tl, QPoint br, QPoint g, QSize minimum);

} // namespace frameless
