#include "BasicPdfView.h"

#include "RenderCache.h"

#include <QGridLayout>
#include <QPaintEvent>
#include <QPainter>
#include <QResizeEvent>
#include <QScrollBar>
#include <QTimerEvent>
#include <QWheelEvent>

#include <cmath>

BasicPdfView::BasicPdfView(QWidget* parent) : QWidget(parent), parentwidget(parent)
{
    init();
}

BasicPdfView::~BasicPdfView()
{
    delete _dm;
    _dm = nullptr;
}

void BasicPdfView::init()
{
    _privateCanvas = new QWidget(this);
    setAttribute(Qt::WA_MouseTracking);
    _privateCanvas->setAttribute(Qt::WA_MouseTracking);
    _hscrollbar = new QScrollBar(Qt::Horizontal, this);
    _vscrollbar = new QScrollBar(Qt::Vertical, this);
    _hscrollbar->setCursor(Qt::ArrowCursor);
    _vscrollbar->setCursor(Qt::ArrowCursor);
    QGridLayout* layout = new QGridLayout(this);
    layout->setSpacing(0);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(_privateCanvas, 1, 1);
    layout->addWidget(_vscrollbar, 1, 2);
    layout->addWidget(_hscrollbar, 2, 1);
    _privateCanvas->installEventFilter(this);
    setFocusPolicy(Qt::StrongFocus);
    _hscrollbar->hide();
    _vscrollbar->hide();
    connect(_vscrollbar, &QScrollBar::valueChanged, this, &BasicPdfView::VerticalScrollChanged);
    connect(_hscrollbar, &QScrollBar::valueChanged, this, &BasicPdfView::HorizontalScrollChanged);
}

void BasicPdfView::setDisplayModel(DisplayModel* dm, RenderCache* renderCach)
{
    _dm = dm;
    _RenderCache = renderCach;
}

void BasicPdfView::PaintPageFrameAndSelect(QPainter*, QRect, int) {}

void fitScrollBars(DisplayModel* dm, QSize canvas, QScrollBar* vbar, QScrollBar* hbar)
{
    const QRect viewPort = dm->GetViewPort();
    if (canvas.height() > viewPort.height())
    {
        if (vbar->isHidden())
            vbar->show();
        vbar->setRange(0, canvas.height() - viewPort.height());
        vbar->setPageStep(viewPort.height());
        vbar->setSliderPosition(viewPort.y());
        vbar->update();
    }
    else if (!vbar->isHidden())
        vbar->hide();

    if (canvas.width() > viewPort.width())
    {
        if (hbar->isHidden())
            hbar->show();
        hbar->setSliderPosition(viewPort.x());
        hbar->setRange(0, canvas.width() - viewPort.width());
        hbar->setPageStep(viewPort.width());
    }
    else if (!hbar->isHidden())
        hbar->hide();
}

void BasicPdfView::SetViewportSize(QSize canvas)
{
    if (!_dm)
        return;
    fitScrollBars(_dm, canvas, _vscrollbar, _hscrollbar);
}

void BasicPdfView::RepaintAsync(int delay)
{
    if (delay == 0)
    {
        // The render thread calls this after each stored tile: QWidget::update is not safe off
        // the GUI thread, so the update is queued to it.
        // With the view as context, the call is dropped if the view goes first.
        QMetaObject::invokeMethod(
            this, [this] { _privateCanvas->update(); }, Qt::QueuedConnection);
        return;
    }
    if (_timePaint == 0)
        _timePaint = startTimer(delay, Qt::CoarseTimer);
}

void BasicPdfView::HorizontalScrollChanged(int value)
{
    if (_dm && !_hscrollbar->isHidden() && value != _hscrollValue)
    {
        _dm->ScrollXTo(value);
        _hscrollValue = value;
    }
}

void BasicPdfView::VerticalScrollChanged(int value)
{
    if (_dm && !_vscrollbar->isHidden() && value != _vscrollValue)
    {
        _dm->ScrollYTo(value);
        _vscrollValue = value;
    }
}

void BasicPdfView::wheelEvent(QWheelEvent* event)
{
    const QPoint degrees(qRound(event->angleDelta().x() / 8.0), qRound(event->angleDelta().y() / 8.0));
    if (degrees.isNull())
    {
        event->accept();
        return;
    }
    const QPoint steps(qRound(degrees.x() / 15.0), qRound(degrees.y() / 15.0));
    if (_dm)
    {
        if (steps.y() != 0)
            _vscrollbar->setValue(static_cast<int>(std::trunc(_vscrollbar->value() - steps.y() * 20 * screenZoom)));
        if (steps.x() != 0)
            _hscrollbar->setValue(static_cast<int>(std::trunc(_hscrollbar->value() - steps.x() * 20 * screenZoom)));
    }
    event->accept();
}

void BasicPdfView::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (parentwidget && parentwidget->isHidden())
        return;
    const QSize size = event->size();
    if (size == canvasSize || size.width() < 0 || size.height() < 0 || size.width() < 100)
        return;
    canvasSize = size;
    if (_dm)
        _dm->SetViewPortSize(size);
}

void BasicPdfView::timerEvent(QTimerEvent* event)
{
    if (_timePaint == 0 || event->timerId() != _timePaint)
        return;
    killTimer(_timePaint);
    _privateCanvas->update();
    _timePaint = 0;
}

bool BasicPdfView::eventFilter(QObject* obj, QEvent* event)
{
    if (obj == _privateCanvas && event->type() == QEvent::Paint && _dm)
    {
        QPainter painter(_privateCanvas);
        painter.fillRect(QRect(0, 0, width(), height()), QColor("#F2F7F5"));
        const QRect viewPort = _dm->GetViewPort();
        const QRect screen(0, 0, viewPort.width(), viewPort.height());
        for (int pageNo = 1; pageNo <= _dm->PageCount(); pageNo++)
        {
            PageInfo* info = _dm->GetPageInfo(pageNo);
            if (!info || info->visibleRatio == 0 || !info->shown)
                continue;
            const QRect bound = info->pageOnScreen.intersected(screen);
            PaintPageFrameAndSelect(&painter, bound, pageNo);
            bool outOfDate = false;
            unsigned int delay = 0xFFFFFFFEu;
            if (_RenderCache)
                delay = _RenderCache->Paint(&painter, bound, _dm, pageNo, info, &outOfDate);
            if (delay == 0 || delay == 0xFFFFFFFEu)
                continue;
            if (delay < 1000)
                RepaintAsync(static_cast<int>(delay / 4));
            else
                painter.drawText(bound, Qt::AlignCenter, QStringLiteral("正在渲染..."));
        }
    }
    return QObject::eventFilter(obj, event);
}
