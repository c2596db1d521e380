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
    // The window painted on a transparent picture: only nearly opaque pixels stay. Shown without
    // blending, a half-transparent pixel (a soft shadow, an edge) would come out dark.
    window->clearMask();
    const QImage picture = window->grab().toImage().convertToFormat(QImage::Format_ARGB32);
    if (picture.isNull())
        return;
    QImage bits(picture.size(), QImage::Format_MonoLSB);
    bits.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
    bits.fill(0);
    for (int y = 0; y < picture.height(); y++)
    {
        const QRgb* row = reinterpret_cast<const QRgb*>(picture.constScanLine(y));
        for (int x = 0; x < picture.width(); x++)
            if (qAlpha(row[x]) >= 200)
                bits.setPixel(x, y, 1);
    }
    QBitmap shape = QBitmap::fromImage(bits);
    if (shape.size() != window->size())
        shape = shape.scaled(window->size());
    window->setMask(QRegion(shape));
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
