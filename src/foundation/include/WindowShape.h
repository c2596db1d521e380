#pragma once
// Frameless windows with a translucent background (bubbles, toasts, the busy box, the login
// window) rely on the desktop to blend their transparent pixels. An X11 desktop without a
// compositing manager shows those pixels black; there such a window is cut to the pixels it
// paints instead.

#include <functional>

class QWidget;

// Keeps the window cut to its painted pixels each time it is shown or resized while the desktop
// does not blend windows; the window owns what this installs.
void keepShapeWithoutCompositor(QWidget* window);

// Whether the desktop blends translucent windows: always off X11, else whether a compositing
// manager owns the screen's selection (asked once).
bool desktopComposites();

// Test seam: replaces the desktop's answer (an empty function restores it).
void setDesktopCompositesForTests(std::function<bool()> answer);
