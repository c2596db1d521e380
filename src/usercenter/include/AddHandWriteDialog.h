#pragma once
// The handwriting pad: makes a signature picture on the desktop, either from a picture file or
// drawn with the mouse in one of four ink colours, and hands it over on "确定" through a signal:
//
//     AddHandWriteDialog pad(g_topWidget);
//     connect(&pad, &AddHandWriteDialog::sendHandWriteFile, ...);   // a chosen picture's path
//     connect(&pad, &AddHandWriteDialog::sendHandWritePath, ...);   // a drawing, as PNG bytes
//     pad.exec();                                                   // Accepted after one signal
//
// A drawing is handed over as a transparent picture of its strokes' bounds plus a margin of 4
// pixels on every side.

#include "ParentDialog.h"

#include <QColor>
#include <QPainterPath>
#include <functional>
#include <memory>

class ColorWidget;
class QLabel;
class QPushButton;

class AddHandWriteDialog : public ParentDialog
{
    Q_OBJECT
public:
    explicit AddHandWriteDialog(QWidget* parent = nullptr);
    ~AddHandWriteDialog() override;

    // Test seam: answers the open-file dialog (arguments as QFileDialog::getOpenFileName's; an
    // empty answer cancels). Empty: the real dialog.
    using FileChooser = std::function<QString(QWidget* parent, const QString& caption, const QString& dir,
                                              const QString& filter)>;
    static void setFileChooser(FileChooser chooser);

    // The picture of a drawing as handed over: its bounds plus 4 pixels on every side, the
    // strokes drawn as on the pad, the rest transparent.
    static QImage drawingPicture(const QPainterPath& path, const QColor& color);

    bool isDrawing() const { return m_bPath; }
    QColor inkColor() const { return m_pathColor; }
    QString file() const { return m_file; }
    // The drawing in pad coordinates; null before drawing mode was entered.
    const QPainterPath* drawing() const { return m_penPath.get(); }
    QLabel* pad() const { return m_image; }
    ColorWidget* colorPicker() const { return m_colorwidget; }
    QPushButton* okButton() const { return m_ok; }
    QPushButton* clearButton() const { return m_clear; }
    QPushButton* localButton() const { return m_local; }
    QPushButton* customButton() const { return m_custom; }
    QPushButton* cancelButton() const { return m_cancel; }

public slots:
    // Picture mode: asks for a picture file and shows it on the pad.
    void addImageFromFile();
    // Drawing mode: an empty pad to draw on.
    void addCustomSignature();
    // Empties the pad's drawing.
    void clearPixmap();
    // Hands over the picture or the drawing and closes the dialog.
    void finishPixmap();

signals:
    void sendHandWriteFile(QString path);
    void sendHandWritePath(QByteArray png);

protected:
    // Draws on the pad while in drawing mode.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Where a mouse position draws: the pen's nib, 10 pixels left of and 10 below the pointer.
    static QPointF drawingPoint(const QPointF& mouse);
    static QPen inkPen(const QColor& color);

    QLabel* m_image = nullptr;
    ColorWidget* m_colorwidget = nullptr;
    QPushButton* m_ok = nullptr;
    QPushButton* m_clear = nullptr;
    QPushButton* m_local = nullptr;
    QPushButton* m_custom = nullptr;
    QPushButton* m_cancel = nullptr;
    std::unique_ptr<QPainterPath> m_penPath;
    bool m_bPath = false;
    QColor m_pathColor = QColor("#333333");
    QString m_file;
};
