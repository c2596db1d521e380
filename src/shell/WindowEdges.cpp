#include "WindowEdges.h"

namespace frameless {

Direction zoneAt(QPoint tl, QPoint br, QPoint g, int padding)
{
    const bool left = g.x() >= tl.x() && g.x() <= tl.x() + padding;
    const bool right = g.x() >= br.x() - padding && g.x() <= br.x();
    const bool top = g.y() >= tl.y() && g.y() <= tl.y() + padding;
    const bool bottom = g.y() >= br.y() - padding && g.y() <= br.y();
    if (left && top)
        return LEFTTOP;
    if (right && bottom)
        return RIGHTBOTTOM;
    if (left && bottom)
        return LEFTBOTTOM;
    if (right && top)
        return RIGHTTOP;
    if (left)
        return LEFT;
    if (right)
        return RIGHT;
    if (top)
        return UP;
    if (bottom)
        return DOWN;
    return NONE;
}

Qt::CursorShape cursorFor(Direction dir)
{
    switch (dir) {
    case LEFTTOP:
    case RIGHTBOTTOM:
        return Qt::SizeFDiagCursor;
    case LEFTBOTTOM:
    case RIGHTTOP:
        return Qt::SizeBDiagCursor;
    case LEFT:
    case RIGHT:
        return Qt::SizeHorCursor;
    case UP:
    case DOWN:
        return Qt::SizeVerCursor;
    default:
        return Qt::ArrowCursor;
    }
}

QRect resizedRect(Direction dir, QPoint tl, QPoint br, QPoint g, QSize minimum)
{
    QRect r(tl, br);
    auto moveLeft = [&] {
        if (br.x() - g.x() > minimum.width())
            r.setLeft(g.x());
    };
    auto moveTop = [&] {
        if (br.y() - g.y() > minimum.height())
            r.setTop(g.y());
    };
    switch (dir) {
    case LEFT:
        moveLeft();
        break;
    case RIGHT:
        r.setRight(g.x() - 1);
        break;
    case UP:
        moveTop();
        break;
    case DOWN:
        r.setBottom(g.y() - 1);
        break;
    case LEFTTOP:
        moveLeft();
        moveTop();
        break;
    case RIGHTTOP:
        // The corners keep the minimum test of their left or top edge: without it the toolkit's
        // clamp would push the opposite edge and the window would walk across the screen.
        r.setRight(g.x() - 1);
        moveTop();
        break;
    case LEFTBOTTOM:
        moveLeft();
        r.setBottom(g.y() - 1);
        break;
    case RIGHTBOTTOM:
        r.setRight(g.x() - 1);
        r.setBottom(g.y() - 1);
        break;
    default:
        break;
    }
    return r;
}

} // namespace frameless
