#include "ThumbnailWidget.h"

#include "GlobalHeader.h"
#include "RenderCache.h"

#include <QMouseEvent>
#include <QPainter>

ThumbnailWidget::ThumbnailWidget(QWidget* parent) : BasicPdfView(parent) {}

void ThumbnailWidget::PaintPageFrameAndSelect(QPainter* painter, QRect bound, int pageNo)
{
    painter->fillRect(bound, Qt::white);
    painter->save();
    if (pageNo == m_curPageNo)
    {
        painter->setPen(QPen(QColor(QStringLiteral("#31CA84")), 4, Qt::SolidLine, Qt::SquareCap, Qt::RoundJoin));
        painter->drawRect(bound.adjusted(-4, -4, 4, 4));
    }
    else
    {
        painter->setPen(QPen(QColor(48, 48, 48, 25), 1));
        painter->drawRect(bound.adjusted(-1, -1, 1, 1));
    }
    painter->restore();
}

void ThumbnailWidget::pageChanged(int pageno)
{
    m_curPageNo = pageno;
    if (!isHidden())
        drawingArea()->update();
}

void ThumbnailWidget::mousePressEvent(QMouseEvent* event)
{
    if (!_dm)
        return;
    const QPoint pos = drawingArea()->mapFrom(this, event->pos());
    const int page = _dm->GetPageNoByPoint(pos);
    if (page > 0)
    {
        pageNoChanged(page);
        emit gotoPage(page);
    }
}

bool ThumbnailWidget::eventFilter(QObject* obj, QEvent* event)
{
    // The inherited surface is painted here, not by the base view: frames, page numbers and the
    // cached tiles. Only the pages on screen are painted, so only they are asked for.
    if (obj != drawingArea() || event->type() != QEvent::Paint || !_dm)
        return QObject::eventFilter(obj, event);
    QPainter painter(drawingArea());
    painter.fillRect(QRect(0, 0, width(), height()), QColor(QStringLiteral("#F2F7F5")));
    const QRect viewPort = _dm->GetViewPort();
    const QRect screen(0, 0, viewPort.width(), viewPort.height());
    for (int pageNo = 1; pageNo <= _dm->PageCount(); pageNo++)
    {
        PageInfo* info = _dm->GetPageInfo(pageNo);
        if (!info || info->visibleRatio == 0 || !info->shown)
            continue;
        const QRect bounds = info->pageOnScreen.intersected(screen);
        PaintPageFrameAndSelect(&painter, bounds, pageNo);
        const int top = bounds.bottom() + 1 + int(8 * screenZoom);
        painter.drawText(QRect(bounds.left(), top, bounds.width(), int(20 * screenZoom)), Qt::AlignCenter,
                         QString::number(pageNo));
        if (!_RenderCache)
            continue;
        bool outOfDate = false;
        const unsigned int delay = _RenderCache->Paint(&painter, bounds, _dm, pageNo, info, &outOfDate);
        if (delay == 0 || delay == 0xFFFFFFFEu)
            continue;
        if (delay < 1000)
            RepaintAsync(int(delay / 4));
        else
            painter.drawText(bounds, Qt::AlignCenter, QStringLiteral("正在渲染..."));
    }
    return QObject::eventFilter(obj, event);
}
