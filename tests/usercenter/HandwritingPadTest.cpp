// The handwriting pad: strokes drawn with the mouse become a PNG of their bounds plus a margin
// of 4 pixels in the chosen ink; a chosen picture file is handed over by its path; "确定" is
// offered only while the pad holds something to hand over.

#include "ContactsTestSupport.h"

#include "ColorWidget.h"

#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QSignalSpy>
#include <QToolButton>

namespace {

using HandwritingPad = ContactsTest;

void mouse(QWidget* w, QEvent::Type type, QPoint at, Qt::MouseButtons held)
{
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent e(type, QPointF(at), QPointF(w->mapToGlobal(at)), button, held, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

// Presses at the first point, drags through the others with the left button and releases.
void stroke(AddHandWriteDialog& pad, const QList<QPoint>& points)
{
    mouse(pad.pad(), QEvent::MouseButtonPress, points.first(), Qt::LeftButton);
    for (int i = 1; i < points.size(); ++i)
        mouse(pad.pad(), QEvent::MouseMove, points.at(i), Qt::LeftButton);
    mouse(pad.pad(), QEvent::MouseButtonRelease, points.last(), Qt::NoButton);
}

} // namespace

TEST_F(HandwritingPad, AStrokeIsHandedOverAsItsBoundsPlusFourPixelsEachSide)
{
    AddHandWriteDialog pad;
    pad.show();
    EXPECT_EQ(pad.title(), u8("添加签名"));
    EXPECT_FALSE(pad.okButton()->isEnabled());
    EXPECT_FALSE(pad.colorPicker()->isVisible());
    pad.customButton()->click();
    EXPECT_TRUE(pad.isDrawing());
    EXPECT_TRUE(pad.colorPicker()->isVisible());
    EXPECT_TRUE(pad.clearButton()->isVisible());
    EXPECT_FALSE(pad.pad()->cursor().pixmap().isNull());

    // Drawn 10 pixels left of and 10 below the pointer, where the pen's nib is.
    stroke(pad, {{50, 50}, {100, 70}, {150, 90}});
    ASSERT_NE(pad.drawing(), nullptr);
    EXPECT_EQ(pad.drawing()->boundingRect(), QRectF(40, 60, 100, 40));
    EXPECT_TRUE(pad.okButton()->isEnabled());

    QSignalSpy drawn(&pad, &AddHandWriteDialog::sendHandWritePath);
    QSignalSpy file(&pad, &AddHandWriteDialog::sendHandWriteFile);
    pad.okButton()->click();
    ASSERT_EQ(drawn.count(), 1);
    EXPECT_EQ(file.count(), 0);
    EXPECT_EQ(pad.result(), int(QDialog::Accepted));
    const QByteArray png = drawn.first().first().toByteArray();
    ASSERT_TRUE(png.startsWith("\x89PNG"));
    const QImage picture = QImage::fromData(png, "PNG");
    EXPECT_EQ(picture.size(), QSize(108, 48));
    EXPECT_EQ(picture.pixel(4, 4), qRgba(0x33, 0x33, 0x33, 255));      // the stroke's start
    EXPECT_EQ(picture.pixel(54, 24), qRgba(0x33, 0x33, 0x33, 255));    // its bend
    EXPECT_EQ(qAlpha(picture.pixel(104, 4)), 0);                        // away from it
    EXPECT_EQ(qAlpha(picture.pixel(0, 47)), 0);
}

TEST_F(HandwritingPad, AStrokeLeavingThePadRunsAlongItsEdge)
{
    AddHandWriteDialog pad;
    pad.show();
    pad.customButton()->click();
    const QSize size = pad.pad()->size();
    ASSERT_GT(size.width(), 200);
    stroke(pad, {{60, 60}, {size.width() + 80, -40}, {size.width() + 80, size.height() + 80}});
    const QRectF bounds = pad.drawing()->boundingRect();
    EXPECT_EQ(bounds.left(), 50);
    EXPECT_EQ(bounds.right(), size.width() - 1);
    EXPECT_EQ(bounds.top(), 0);
    EXPECT_EQ(bounds.bottom(), size.height() - 1);
}

TEST_F(HandwritingPad, TheInkIsTheColourLastPicked)
{
    AddHandWriteDialog pad;
    pad.show();
    pad.customButton()->click();
    ColorWidget* picker = pad.colorPicker();
    ASSERT_EQ(picker->colors(), QList<QColor>({QColor("#333333"), QColor(Qt::red), QColor("#72FD3B"), QColor("#FF7F3B")}));
    EXPECT_TRUE(picker->titleLabel()->isHidden());
    EXPECT_TRUE(picker->swatch(0)->isChecked());
    stroke(pad, {{30, 30}, {130, 30}});
    picker->swatch(1)->click();
    EXPECT_EQ(pad.inkColor(), QColor(Qt::red));
    picker->swatch(3)->click();
    picker->setCustomColor(QColor(0, 0, 255));
    EXPECT_TRUE(picker->customSwatch()->isChecked());
    EXPECT_EQ(pad.inkColor(), QColor(0, 0, 255));

    QSignalSpy drawn(&pad, &AddHandWriteDialog::sendHandWritePath);
    pad.okButton()->click();
    ASSERT_EQ(drawn.count(), 1);
    const QImage picture = QImage::fromData(drawn.first().first().toByteArray(), "PNG");
    EXPECT_EQ(picture.size(), QSize(108, 8));
    EXPECT_EQ(picture.pixel(50, 4), qRgba(0, 0, 255, 255));
}

TEST_F(HandwritingPad, ClearingEmptiesThePadAndWithdrawsConfirmation)
{
    AddHandWriteDialog pad;
    pad.show();
    pad.customButton()->click();
    // A click without a drag draws nothing.
    stroke(pad, {{40, 40}});
    EXPECT_FALSE(pad.okButton()->isEnabled());
    // A drag without the left button draws nothing either.
    mouse(pad.pad(), QEvent::MouseMove, {90, 90}, Qt::NoButton);
    EXPECT_TRUE(pad.drawing()->isEmpty());

    stroke(pad, {{40, 40}, {90, 60}});
    EXPECT_TRUE(pad.okButton()->isEnabled());
    pad.clearButton()->click();
    EXPECT_TRUE(pad.drawing()->isEmpty());
    EXPECT_FALSE(pad.okButton()->isEnabled());
    EXPECT_TRUE(pad.isDrawing());
}

TEST_F(HandwritingPad, AChosenPictureIsShownAndHandedOverByItsPath)
{
    AddHandWriteDialog pad;
    pad.show();
    nextFile = picture("wide.png", {2000, 100});
    pad.localButton()->click();
    EXPECT_EQ(chooserCalls, QStringList{u8("选择文件|%1|图片文件 (*.png *.jpg *.bmp)")
                                            .arg(RegeditSettings::Instance()->recentlyFold())});
    EXPECT_FALSE(pad.isDrawing());
    EXPECT_EQ(pad.file(), nextFile);
    const QPixmap shown = pad.pad()->pixmap(Qt::ReturnByValue);
    EXPECT_LE(shown.width(), pad.pad()->width());
    EXPECT_NEAR(double(shown.width()) / shown.height(), 20.0, 1.0);   // proportions kept
    EXPECT_TRUE(pad.okButton()->isEnabled());

    nextFile = picture("small.png", {40, 30});
    pad.localButton()->click();
    EXPECT_EQ(pad.pad()->pixmap(Qt::ReturnByValue).size(), QSize(40, 30));

    QSignalSpy file(&pad, &AddHandWriteDialog::sendHandWriteFile);
    QSignalSpy drawn(&pad, &AddHandWriteDialog::sendHandWritePath);
    pad.okButton()->click();
    EXPECT_EQ(file.count(), 1);
    EXPECT_EQ(file.first().first().toString(), nextFile);
    EXPECT_EQ(drawn.count(), 0);
    EXPECT_EQ(pad.result(), int(QDialog::Accepted));
}

TEST_F(HandwritingPad, ConfirmationFollowsWhatThePadHoldsAfterEverySwitch)
{
    AddHandWriteDialog pad;
    pad.show();
    // A stroke, then picture mode with the file dialog cancelled: nothing to hand over.
    pad.customButton()->click();
    stroke(pad, {{40, 40}, {90, 60}});
    nextFile.clear();
    pad.localButton()->click();
    EXPECT_TRUE(pad.pad()->pixmap(Qt::ReturnByValue).isNull());
    EXPECT_TRUE(pad.file().isEmpty());
    EXPECT_FALSE(pad.okButton()->isEnabled());

    // A picture, then drawing mode: the fresh pad has nothing yet.
    nextFile = picture("sign.png", {80, 40});
    pad.localButton()->click();
    EXPECT_TRUE(pad.okButton()->isEnabled());
    pad.customButton()->click();
    EXPECT_TRUE(pad.pad()->pixmap(Qt::ReturnByValue).isNull());
    EXPECT_FALSE(pad.okButton()->isEnabled());

    // A file that is no picture: said so, nothing to hand over.
    nextFile = writeFile(m_files.filePath("broken.png"), "no picture");
    pad.localButton()->click();
    EXPECT_EQ(boxes.lastText(), u8("无法读取所选图片，请重新选择！"));
    EXPECT_TRUE(pad.file().isEmpty());
    EXPECT_FALSE(pad.okButton()->isEnabled());
}

TEST_F(HandwritingPad, CancelAndTheCloseButtonRejectWithoutASignal)
{
    for (int way = 0; way < 2; ++way) {
        AddHandWriteDialog pad;
        QSignalSpy file(&pad, &AddHandWriteDialog::sendHandWriteFile);
        QSignalSpy drawn(&pad, &AddHandWriteDialog::sendHandWritePath);
        ModalDriver driver;
        driver.on<AddHandWriteDialog>([&](AddHandWriteDialog* dlg) {
            dlg->customButton()->click();
            stroke(*dlg, {{40, 40}, {90, 60}});
            (way == 0 ? dlg->cancelButton() : dlg->closeButton())->click();
        });
        EXPECT_EQ(pad.exec(), int(QDialog::Rejected));
        EXPECT_EQ(file.count() + drawn.count(), 0);
    }
}
