#pragma once
#include <QFrame>

// Frameless top-level base: white ground with a one-pixel green border drawn by the style sheet.
class BorderlessWidget : public QFrame
{
    Q_OBJECT
public:
    explicit BorderlessWidget(QWidget* parent = nullptr);

signals:
    // true when the window is about to be maximised, false when it is about to be restored.
    void MaxMizeSignal(bool b);
};
