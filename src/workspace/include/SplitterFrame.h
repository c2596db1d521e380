#pragma once
// The page of one document tab: a row of the expand strip, the side panel (thumbnails and
// signature list), the canvas and the seal panel. The frame owns the tab's engine; closing the
// frame deletes it, and its destructor takes down the canvas, the side panel and then the
// engine, in that order, so nothing that uses the engine outlives it.

#include "DisplayModel.h"

#include <QWidget>

class Canvas;
class LeftToolBar;
class PdfEngine;
class PushWidget;
class QHBoxLayout;
class RightToolBar;
class RightToolBarUserAuth;

// The host of a view model: forwards the model's requests to its page widget and to the render
// cache the widget was given (the process's one cache otherwise).
class ControllerCallbackHandler : public ControllerCallback
{
public:
    explicit ControllerCallbackHandler(WindowControler* win = nullptr) : win(win) {}
    ~ControllerCallbackHandler() override {}

    void PageNoChanged(Controller* ctrl, int pageNo) override;
    void Repaint() override;
    void UpdateScrollbars(QSize canvasSize) override;
    void RequestRendering(int pageNo) override;
    void CleanUp(DisplayModel* dm) override;
    void Invalidate(DisplayModel* dm, int pageNo, QRectF rect) override;
    void UpdatePage(int pageNo);

    WindowControler* win = nullptr;
};

class SplitterFrame : public QWidget
{
    Q_OBJECT
public:
    // engine: owned by the frame from now on.
    SplitterFrame(QWidget* parent, PdfEngine* engine);
    ~SplitterFrame() override;

    void setPushWidget(PushWidget* widget);
    void setLeftWidget(LeftToolBar* widget);
    void setCanvasWidget(Canvas* widget);
    void setRightWidget(RightToolBar* widget);
    // The panel of a seal-authorisation document (in place of the seal panel).
    void setRightUserAuthWidget(RightToolBarUserAuth* widget);

    LeftToolBar* leftToolBar() const { return m_leftToolBar; }
    Canvas* canvas() const { return m_canvas; }
    RightToolBar* rightToolBar() const { return m_rightToolBar; }
    PushWidget* pushWidget() const { return m_pushWidget; }
    PdfEngine* engine() const { return m_pdfEngine; }

    LeftToolBar* m_leftToolBar = nullptr;
    Canvas* m_canvas = nullptr;
    RightToolBar* m_rightToolBar = nullptr;
    RightToolBarUserAuth* m_rightToolBarUserAuth = nullptr;
    QHBoxLayout* m_hlayout = nullptr;
    PdfEngine* m_pdfEngine = nullptr;

protected:
    // Mouse moves over the frame stay here.
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    PushWidget* m_pushWidget = nullptr;
};
