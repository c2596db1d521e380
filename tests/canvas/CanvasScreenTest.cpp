// Screenshots of the document view under a real X server: a document, a text selection, mark
// and ink annotations and a placed seal item. They are kept under artefacts/canvas of the build
// for a person to look at; the test checks only that each shows rendered pages.
#include "CanvasTestSupport.h"

#include <QBuffer>
#include <QDir>

#include <gtest/gtest.h>

using namespace canvastest;

namespace {

QString artefact(const QString& name)
{
    QDir().mkpath(QStringLiteral(ORV_CANVAS_ARTEFACTS));
    return QStringLiteral(ORV_CANVAS_ARTEFACTS "/") + name;
}

// Whether the shot holds white page area and dark ink.
bool showsPages(const QImage& shot)
{
    int white = 0, dark = 0;
    for (int y = 0; y < shot.height(); y += 2)
        for (int x = 0; x < shot.width(); x += 2)
        {
            const QRgb c = shot.pixel(x, y);
            if (c == qRgb(255, 255, 255))
                white++;
            else if (qGray(c) < 80)
                dark++;
        }
    return white > 1000 && dark > 10;
}

TEST(CanvasScreen, DocumentSelectionAnnotationsAndSealItem)
{
    screenZoom = 1.0f;
    RenderCache cache(QSize(512, 512));
    Harness h(twoPageDocument(), &cache, QSize(640, 720));
    ASSERT_EQ(h.loaded, 0);

    QImage shot = h.settle();
    ASSERT_TRUE(shot.save(artefact("document.png")));
    EXPECT_TRUE(showsPages(shot));

    h.canvas->SetMouseState(MS_Highight);
    h.drag(h.view(1, QPointF(52, 92)), h.view(1, QPointF(130, 92)));
    h.canvas->setPenAttribute(Qt::blue, 2.0, 1.0);
    h.canvas->SetMouseState(MS_Pen);
    h.drag(h.view(1, QPointF(80, 200)), h.view(1, QPointF(250, 300)), 8);
    h.canvas->commitPendingStrokes();
    h.canvas->SetMouseState(MS_Select);
    h.press(h.view(1, QPointF(150, 92)));
    h.dragTo(h.view(1, QPointF(300, 92)));

    QImage seal(42, 42, QImage::Format_ARGB32);
    seal.fill(Qt::transparent);
    {
        QPainter p(&seal);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(Qt::red, 3));
        p.drawEllipse(QRect(3, 3, 36, 36));
        p.drawText(seal.rect(), Qt::AlignCenter, QStringLiteral("印"));
    }
    QByteArray png;
    QBuffer buf(&png);
    buf.open(QIODevice::WriteOnly);
    seal.save(&buf, "PNG");
    SignItem* item = new SignItem(h.dm, 2, h.surface(), false);
    item->addSignature(h.view(1, QPointF(300, 400)), png, 42, 42, "", "", "seal", "code", "", "", "", "id");
    item->show();
    h.canvas->appendSignItem(item);

    shot = h.settle();
    ASSERT_TRUE(shot.save(artefact("selection-annotations-seal.png")));
    EXPECT_TRUE(showsPages(shot));
    h.release(h.view(1, QPointF(300, 92)));
}

} // namespace
