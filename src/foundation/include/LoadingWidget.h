#pragma once
// The busy box: a dark, translucent, modal box with an animation and a text, shown while a
// service request or a long task runs.

#include <QDialog>

class QLabel;
class QMovie;
class QPushButton;

class LoadingWidget : public QDialog
{
    Q_OBJECT
public:
    // Qt::Vertical: close button, animation and text (148 x 148 design pixels).
    // Qt::Horizontal: animation and text side by side, no close button (222 x 89).
    explicit LoadingWidget(QWidget* parent = nullptr, Qt::Orientation orient = Qt::Vertical);
    ~LoadingWidget() override;

    void setText(QString str);
    QString text() const;
    Qt::Orientation orientation() const { return m_orient; }
    QPushButton* closeButton() const { return m_closeBtn; }
    QMovie* animation() const { return movie; }

    // Shows a vertical box with the text and returns once the box is hidden (by its close
    // button or by other code).
    static void about(QWidget* parent, QString text);

signals:
    // Emitted after the close button has hidden the box.
    void closeSignal();

private:
    QLabel* gif = nullptr;
    QLabel* m_textLabel = nullptr;
    QMovie* movie = nullptr;
    QPushButton* m_closeBtn = nullptr;
    Qt::Orientation m_orient;
};
