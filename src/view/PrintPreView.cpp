#include "PrintPreView.h"

#include "PdfEngine.h"

#include <QPainter>
#include <QPaintEvent>

#include <cmath>

float fitPageZoom(const QSizeF& pageSize, const QSizeF& area)
{
    const double w = pageSize.width(), h = pageSize.height();
    const double aw = area.width(), ah = area.height();
    if (!(w > 0) || !(h > 0) || !(aw > 0) || !(ah > 0) || !std::isfinite(w) || !std::isfinite(h) ||
        !std::isfinite(aw) || !std::isfinite(ah))
        return 0.0f;
    const double zoom = std::min(aw / w, ah / h);
    return std::isfinite(zoom) && zoom > 0 ? static_cast<float>(zoom) : 0.0f;
}

vq_pixmap_render_type renderTypeForContent(int content)
{
    switch (content) {
    case 1:
        return VQ_RENDER_CONTENT;
    case 2:
        return VQ_RENDER_ANNOTATION;
    default:
        return VQ_RENDER_ALL;
    }
}

PrintPreView::PrintPreView(QWidget* parent)
    : QFrame(parent)
{
    setFrameShape(QFrame::NoFrame);
}

PrintPreView::~PrintPreView()
{
    delete m_image;
}

void PrintPreView::setDocument(PdfEngine* engine, int pageNo)
{
    m_pdfEngine = engine;
    m_curPage = pageNo;
    m_pageCount = engine ? engine->PageCount() : 0;
}

void PrintPreView::setCurrentPage(int pageno)
{
    if (!m_pdfEngine || pageno < 1 || pageno > m_pageCount)
        return;
    m_curPage = pageno;
    updateCurrentPage();
}

bool PrintPreView::gotoNextPage()
{
    if (m_curPage >= m_pageCount)
        return false;
    setCurrentPage(m_curPage + 1);
    return true;
}

bool PrintPreView::gotoPrePage()
{
    if (m_curPage <= 1)
        return false;
    setCurrentPage(m_curPage - 1);
    return true;
}

void PrintPreView::setShowContent(int index)
{
    m_contentIndex = index;
    if (m_pdfEngine)
        updateCurrentPage();
}

void PrintPreView::setGray(bool bgray)
{
    m_bGray = bgray ? 1 : 0;
    if (m_pdfEngine)
        updateCurrentPage();
}

void PrintPreView::setOrient(Qt::Orientation orient)
{
    m_orient = orient;
    if (m_pdfEngine)
        updateCurrentPage();
}

void PrintPreView::updateCurrentPage()
{
    delete m_image;
    m_image = nullptr;
    if (!m_pdfEngine)
        return;
    const QRectF box = m_pdfEngine->PageMediabox(m_curPage);
    const QSizeF area(width() - 10, height() - 10);
    float zoom = 0;
    int rotation = 0;
    if (m_orient == Qt::Horizontal) {
        // The turned page is fitted to the width only.
        zoom = fitPageZoom(QSizeF(box.height(), box.height()), QSizeF(area.width(), area.width()));
        if (!(box.width() > 0))
            zoom = 0;
        rotation = 90;
    } else {
        zoom = fitPageZoom(box.size(), area);
    }
    // An empty page box or a widget narrower than its margins: nothing to render.
    if (zoom > 0) {
        m_zoom = zoom;
        m_image = m_pdfEngine->RenderBitmap(m_curPage, zoom, rotation, renderTypeForContent(m_contentIndex),
                                            m_bGray ? VQ_COLORSPACE_GRAY : VQ_COLORSPACE_RGB, nullptr);
    }
    update();
}

void PrintPreView::paintEvent(QPaintEvent* event)
{
    if (m_pdfEngine && m_image) {
        QPainter painter(this);
        painter.fillRect(rect(), QColor("#F2F7F5"));
        const int left = int((width() - m_image->width()) * 0.5);
        const int top = int((height() - m_image->height()) * 0.5);
        painter.drawImage(left, top, *m_image);
        painter.setPen(QPen(QColor("#717171"), 1));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(QRect(left, top, m_image->width(), m_image->height()));
    }
    QFrame::paintEvent(event);
}

void PrintPreView::resizeEvent(QResizeEvent* event)
{
    // The image keeps its size and stays centred until the next render.
    QFrame::resizeEvent(event);
}

void PrintPreView::showEvent(QShowEvent* event)
{
    QFrame::showEvent(event);
    if (m_pdfEngine)
        updateCurrentPage();
}
