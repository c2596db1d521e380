#pragma once
// The smallest widget that shows a document through a DisplayModel and the render cache: a
// drawing area with two scroll bars, wheel scrolling, resize handling and timed repaints.

#include "DisplayModel.h"

#include <QWidget>

class QScrollBar;
class RenderCache;

// Shows, ranges and positions a view's scroll bars for a drawing area of the given size over
// the model's viewport; a bar whose direction fits is hidden.
void fitScrollBars(DisplayModel* dm, QSize canvas, QScrollBar* vbar, QScrollBar* hbar);

class BasicPdfView : public QWidget, public WindowControler
{
    Q_OBJECT
public:
    explicit BasicPdfView(QWidget* parent = nullptr);
    ~BasicPdfView() override;

    DisplayModel* AsFixed() override { return _dm; }
    RenderCache* AsRenderCache() override { return _RenderCache; }
    void SetViewportSize(QSize canvas) override;
    // 0 repaints now (safe from any thread: the update is posted to the GUI thread); otherwise
    // one repaint after delay milliseconds unless one is already pending.
    void RepaintAsync(int delay) override;
    void pageNoChanged(int) override {}
    virtual void setDisplayModel(DisplayModel* dm, RenderCache* renderCach);
    virtual void PaintPageFrameAndSelect(QPainter* painter, QRect bound, int pageNo);

    QWidget* drawingArea() const { return _privateCanvas; }
    QScrollBar* horizontalBar() const { return _hscrollbar; }
    QScrollBar* verticalBar() const { return _vscrollbar; }

public slots:
    virtual void HorizontalScrollChanged(int value);
    virtual void VerticalScrollChanged(int value);

protected:
    bool eventFilter(QObject* obj, QEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

    DisplayModel* _dm = nullptr;
    RenderCache* _RenderCache = nullptr;
    int _timePaint = 0;
    QSize canvasSize = QSize(-1, -1);
    int _hscrollValue = 0;
    int _vscrollValue = 0;
    QWidget* _privateCanvas = nullptr;
    QScrollBar* _hscrollbar = nullptr;
    QScrollBar* _vscrollbar = nullptr;
    QWidget* parentwidget = nullptr;

private:
    void init();
};
