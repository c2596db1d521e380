#include "WindowShape.h"

#include <QBitmap>
#include <QEvent>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QRegion>
#include <QWidget>

#include <X11/Xlib.h>

namespace {

std::function<bool()>& testAnswer()
{
    static std::function<bool()> answer;
    return answer;
}

bool askX11()
{
    Display* display = XOpenDisplay(nullptr);
    if (!display)
        return true; // nothing to ask: keep the window as it paints itself
    const QByteArray name = "_NET_WM_CM_S" + QByteArray::number(DefaultScreen(display));
    const Atom selection = XInternAtom(display, name.constData(), False);
    const bool owned = XGetSelectionOwner(display, selection) != None;
    XCloseDisplay(display);
    return owned;
}

void reshape(QWidget* window)
{
    if (desktopComposites())
    {
        if (!window->mask().isEmpty())
            window->clearMask();
        return;
    }
    // The window painted on a transparent picture: what has any opacity to speak of stays.
    window->clearMask();
    const QImage picture = window->grab().toImage();
    if (picture.isNull())
        return;
    QBitmap bits = QBitmap::fromImage(picture.createAlphaMask(Qt::ThresholdAlphaDither));
    if (bits.size() != window->size())
        bits = bits.scaled(window->size());
    window->setMask(QRegion(bits));
}

class ShapeKeeper : public QObject
{
public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        auto* window = static_cast<QWidget*>(watched);
        if (event->type() == QEvent::Show || (event->type() == QEvent::Resize && window->isVisible()))
            reshape(window);
        return false;
    }
};

} // namespace

bool desktopComposites()
{
    if (testAnswer())
        return testAnswer()();
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return true;
    static const bool composites = askX11();
    return composites;
}

void setDesktopCompositesForTests(std::function<bool()> answer)
{
    testAnswer() = std::move(answer);
}

void keepShapeWithoutCompositor(QWidget* window)
{
    window->installEventFilter(new ShapeKeeper(window));
}
