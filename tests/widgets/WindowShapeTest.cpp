// Frameless translucent windows on a desktop that does not blend windows are cut to the pixels
// they paint; on one that does they keep no mask.
#include "LoadingWidget.h"
#include "QtTestSupport.h"
#include "WindowShape.h"

#include <QApplication>
#include <QPainter>
#include <gtest/gtest.h>

namespace {

// Paints a rounded panel 10 px inside its edges, the rest left transparent.
class Bubble : public QWidget
{
public:
    Bubble() : QWidget(nullptr, Qt::FramelessWindowHint)
    {
        setAttribute(Qt::WA_TranslucentBackground);
        keepShapeWithoutCompositor(this);
        resize(100, 80);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::white);
        p.drawRoundedRect(QRectF(rect()).adjusted(10, 10, -10, -10), 12, 12);
    }
};

struct DesktopAnswer
{
    explicit DesktopAnswer(bool composites) { setDesktopCompositesForTests([composites] { return composites; }); }
    ~DesktopAnswer() { setDesktopCompositesForTests(nullptr); }
};

} // namespace

TEST(WindowShape, WithoutACompositorTheWindowIsCutToWhatItPaints)
{
    DesktopAnswer plain(false);
    Bubble bubble;
    bubble.show();
    QApplication::processEvents();
    const QRegion shape = bubble.mask();
    EXPECT_TRUE(shape.contains(QPoint(50, 40)));
    EXPECT_TRUE(shape.contains(QPoint(12, 40)));
    for (QPoint outside : {QPoint(2, 2), QPoint(5, 40), QPoint(97, 77), QPoint(11, 11)})
        EXPECT_FALSE(shape.contains(outside)) << outside.x() << "," << outside.y();

    // A new size is cut anew.
    bubble.resize(200, 80);
    QApplication::processEvents();
    EXPECT_TRUE(bubble.mask().contains(QPoint(180, 40)));
    EXPECT_FALSE(bubble.mask().contains(QPoint(195, 40)));
}

TEST(WindowShape, WithACompositorTheWindowKeepsNoMask)
{
    Bubble bubble;
    {
        DesktopAnswer plain(false);
        bubble.show();
        QApplication::processEvents();
        ASSERT_FALSE(bubble.mask().isEmpty());
        bubble.hide();
    }
    DesktopAnswer blended(true);
    bubble.show();
    QApplication::processEvents();
    EXPECT_TRUE(bubble.mask().isEmpty());
}

TEST(WindowShape, TheBusyBoxIsCutToItsPanel)
{
    DesktopAnswer plain(false);
    LoadingWidget box(nullptr, Qt::Vertical);
    box.show();
    QApplication::processEvents();
    const QRegion shape = box.mask();
    ASSERT_FALSE(shape.isEmpty());
    EXPECT_TRUE(shape.contains(QPoint(box.width() / 2, box.height() / 2)));
    EXPECT_FALSE(shape.contains(QPoint(0, 0)));
}
