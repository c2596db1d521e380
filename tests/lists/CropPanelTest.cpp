// The picture crop panel: starting crop, loading, dragging and resizing the shape, the mask.
#include "GlobalHeader.h"
#include "PicturePreviewPanel.h"
#include "QtTestSupport.h"

#include <QImage>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

QString writePicture(const QTemporaryDir& dir, QSize size)
{
    QImage img(size, QImage::Format_RGB32);
    img.fill(QColor(200, 120, 40));
    const QString path = dir.filePath("avatar.png");
    img.save(path);
    return path;
}

void send(QWidget* w, QEvent::Type type, QPoint pos, Qt::MouseButton button = Qt::NoButton)
{
    const Qt::MouseButtons buttons = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button);
    QMouseEvent e(type, pos, w->mapToGlobal(pos), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

struct Panel {
    ScopedScreenZoom zoom{1.0f};
    PicturePreviewPanel panel;
    explicit Panel(QSize size)
    {
        panel.setFixedSize(size);
        panel.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&panel));
    }
    CutShape* shape() { return panel.backgroundWidget()->cutShape(); }
};

TEST(CropPanel, StartsWithTheShapeCoveringTheAvatarPanel)
{
    QTemporaryDir dir;
    Panel p(QSize(123, 123));
    EXPECT_EQ(p.shape()->geometry(), QRect(0, 0, 123, 123));
    EXPECT_EQ(p.panel.getImgRectCopy(), QRect(0, 0, 123, 123));

    QSignalSpy loaded(&p.panel, &PicturePreviewPanel::senIsUpImg);
    p.panel.LoadPicture(writePicture(dir, QSize(400, 300)));
    ASSERT_EQ(loaded.count(), 1);
    EXPECT_TRUE(loaded.at(0).at(0).toBool());
    EXPECT_EQ(p.panel.getPixmap().size(), QSize(123, 123));
    EXPECT_EQ(p.panel.getImgRectCopy(), QRect(0, 0, 123, 123));
}

TEST(CropPanel, CropBeforeAnyMoveStaysInsideThePicture)
{
    QTemporaryDir dir;
    Panel p(QSize(100, 90));
    p.panel.LoadPicture(writePicture(dir, QSize(50, 50)));
    const QRect crop = p.panel.getImgRectCopy();
    EXPECT_EQ(crop, QRect(0, 0, 100, 90));
    EXPECT_TRUE(QRect(QPoint(0, 0), p.panel.getPixmap().size()).contains(crop));
    EXPECT_FALSE(p.panel.getPixmap().copy(crop).isNull());
}

TEST(CropPanel, UnreadableFileEmptiesPictureAndEmitsNothing)
{
    QTemporaryDir dir;
    Panel p(QSize(123, 123));
    p.panel.LoadPicture(writePicture(dir, QSize(60, 60)));
    ASSERT_FALSE(p.panel.getPixmap().isNull());
    QSignalSpy loaded(&p.panel, &PicturePreviewPanel::senIsUpImg);
    p.panel.LoadPicture(dir.filePath("missing.png"));
    EXPECT_TRUE(p.panel.getPixmap().isNull());
    EXPECT_EQ(loaded.count(), 0);
}

TEST(CropPanel, DragStopsAtTheEdgeAndReportsTheCrop)
{
    QTemporaryDir dir;
    Panel p(QSize(123, 123));
    p.panel.LoadPicture(writePicture(dir, QSize(123, 123)));
    CutShape* shape = p.shape();
    shape->setGeometry(0, 0, 62, 62);

    send(shape, QEvent::MouseMove, QPoint(30, 30));  // hover inside: no edge zone
    EXPECT_EQ(shape->cursor().shape(), Qt::SizeAllCursor);
    EXPECT_EQ(p.panel.getImgRectCopy(), QRect(0, 0, 62, 62));
    send(shape, QEvent::MouseButtonPress, QPoint(30, 30), Qt::LeftButton);
    send(shape, QEvent::MouseMove, QPoint(100, 40), Qt::LeftButton);
    EXPECT_EQ(shape->pos(), QPoint(61, 10));
    EXPECT_EQ(p.panel.getImgRectCopy(), QRect(61, 10, 62, 62));
    send(shape, QEvent::MouseButtonRelease, QPoint(30, 30), Qt::LeftButton);
}

TEST(CropPanel, ResizeThroughTheBottomRightCorner)
{
    QTemporaryDir dir;
    Panel p(QSize(123, 123));
    p.panel.LoadPicture(writePicture(dir, QSize(123, 123)));
    CutShape* shape = p.shape();
    shape->setGeometry(0, 0, 100, 100);

    send(shape, QEvent::MouseMove, QPoint(99, 99));
    EXPECT_EQ(shape->cursor().shape(), Qt::SizeFDiagCursor);
    send(shape, QEvent::MouseButtonPress, QPoint(99, 99), Qt::LeftButton);
    send(shape, QEvent::MouseMove, QPoint(89, 93), Qt::LeftButton);  // (-10, -6): both by -10
    EXPECT_EQ(shape->geometry(), QRect(0, 0, 90, 90));
    send(shape, QEvent::MouseMove, QPoint(79, 99), Qt::LeftButton);  // (-10, +6): nothing
    EXPECT_EQ(shape->geometry(), QRect(0, 0, 90, 90));
    send(shape, QEvent::MouseMove, QPoint(99, 109), Qt::LeftButton);  // (+20, +10) from (79, 99)
    EXPECT_EQ(shape->geometry(), QRect(0, 0, 110, 110));
    EXPECT_EQ(p.panel.getImgRectCopy(), QRect(0, 0, 110, 110));
    send(shape, QEvent::MouseMove, QPoint(130, 130), Qt::LeftButton);  // would leave the panel: refused
    EXPECT_EQ(shape->geometry(), QRect(0, 0, 110, 110));
    send(shape, QEvent::MouseButtonRelease, QPoint(0, 0), Qt::LeftButton);
}

TEST(CropPanel, MaskDimsOutsideTheKeptArea)
{
    struct Case {
        ShapeType type;
        bool cornerDimmed;
        bool reports;
    };
    for (const Case c : {Case{Round, true, true}, Case{Rect, false, false}}) {
        ScopedScreenZoom zoom(1.0f);
        QWidget host;
        host.setAutoFillBackground(true);
        host.setPalette(QPalette(Qt::white));
        host.resize(200, 200);
        BackgroundWidget bg(&host, c.type);
        bg.resize(200, 200);
        host.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&host));
        QSignalSpy reports(&bg, &BackgroundWidget::sendImgRect);
        send(bg.cutShape(), QEvent::MouseMove, QPoint(60, 60));
        EXPECT_EQ(reports.count(), c.reports ? 1 : 0);

        const QImage shot = host.grab().toImage();
        EXPECT_EQ(shot.pixelColor(61, 61), QColor(Qt::white));  // centre of the shape: clear
        EXPECT_LT(shot.pixelColor(170, 170).red(), 150);        // outside the shape: dimmed
        EXPECT_EQ(shot.pixelColor(6, 6).red() < 150, c.cornerDimmed) << c.type;
    }
}

}  // namespace
