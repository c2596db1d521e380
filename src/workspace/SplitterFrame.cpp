#include "SplitterFrame.h"

#include "Canvas.h"
#include "LeftToolBar.h"
#include "PdfEngine.h"
#include "RenderCache.h"
#include "RightToolBar.h"
#include "RightToolBarUserAuth.h"

#include <QHBoxLayout>

// ---- view-model host ------------------------------------------------------------------------

namespace {

RenderCache* cacheOf(WindowControler* win)
{
    RenderCache* cache = win ? win->AsRenderCache() : nullptr;
    return cache ? cache : RenderCache::instance();
}

} // namespace

void ControllerCallbackHandler::PageNoChanged(Controller*, int pageNo)
{
    if (win)
        win->pageNoChanged(pageNo);
}

void ControllerCallbackHandler::Repaint()
{
    if (win)
        win->RepaintAsync(0);
}

void ControllerCallbackHandler::UpdateScrollbars(QSize canvasSize)
{
    if (win)
        win->SetViewportSize(canvasSize);
}

void ControllerCallbackHandler::RequestRendering(int pageNo)
{
    if (win && win->AsFixed() && win->AsRenderCache())
        win->AsRenderCache()->RequestRendering(win->AsFixed(), pageNo);
}

void ControllerCallbackHandler::UpdatePage(int pageNo)
{
    RequestRendering(pageNo);
}

void ControllerCallbackHandler::CleanUp(DisplayModel* dm)
{
    if (RenderCache* cache = cacheOf(win))
    {
        cache->CancelRendering(dm);
        cache->FreePage(dm, -1, nullptr);
    }
}

void ControllerCallbackHandler::Invalidate(DisplayModel* dm, int pageNo, QRectF rect)
{
    if (RenderCache* cache = cacheOf(win))
        cache->Invalidate(dm, pageNo, rect);
}

// ---- frame ----------------------------------------------------------------------------------

SplitterFrame::SplitterFrame(QWidget* parent, PdfEngine* engine) : QWidget(parent), m_pdfEngine(engine)
{
    setAttribute(Qt::WA_DeleteOnClose);
    m_hlayout = new QHBoxLayout(this);
    m_hlayout->setContentsMargins(0, 0, 0, 0);
    m_hlayout->setSpacing(0);
}

SplitterFrame::~SplitterFrame()
{
    // The canvas's model and the side panel (thumbnail model, verification thread) use the
    // engine: they go first.
    delete m_canvas;
    m_canvas = nullptr;
    delete m_leftToolBar;
    m_leftToolBar = nullptr;
    delete m_pdfEngine;
    m_pdfEngine = nullptr;
}

void SplitterFrame::setPushWidget(PushWidget* widget)
{
    m_pushWidget = widget;
    m_hlayout->addWidget(widget);
}

void SplitterFrame::setLeftWidget(LeftToolBar* widget)
{
    m_leftToolBar = widget;
    m_hlayout->addWidget(widget);
}

void SplitterFrame::setCanvasWidget(Canvas* widget)
{
    m_canvas = widget;
    m_hlayout->addWidget(widget, 1);
}

void SplitterFrame::setRightWidget(RightToolBar* widget)
{
    m_rightToolBar = widget;
    m_hlayout->addWidget(widget);
}

void SplitterFrame::mouseMoveEvent(QMouseEvent*) {}

void SplitterFrame::setRightUserAuthWidget(RightToolBarUserAuth* widget)
{
    m_rightToolBarUserAuth = widget;
    m_hlayout->addWidget(widget);
}
