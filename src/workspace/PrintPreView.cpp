#include "PrintPreView.h"

#include "PdfEngine.h"

#include <QPainter>

#include <algorithm>

PrintPreView::PrintPreView(QWidget* parent) : QFrame(parent)
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
    if (!m_pdfEngine)
        return;
    const QRectF box = m_pdfEngine->PageMediabox(m_curPage);
    const double w = box.width(), h = box.height();
    const double W = width() - 10, H = height() - 10;
    float zoom = 0;
    int rotation = 0;
    if (w > 0 && h > 0 && W > 0 && H > 0)
    {
        if (m_orient == Qt::Horizontal)
        {
            zoom = float(W / h);
            rotation = 90;
        }
        else
            zoom = float(std::min(W / w, H / h));
    }
    vq_pixmap_render_type type = VQ_RENDER_ALL;
    if (m_contentIndex == 1)
        type = VQ_RENDER_CONTENT;
    else if (m_contentIndex == 2)
        type = VQ_RENDER_ANNOTATION;
    delete m_image;
    m_image = nullptr;
    // A page without size, or a widget too small to hold one, shows no image.
    if (zoom > 0)
    {
        m_zoom = zoom;
        m_image = m_pdfEngine->RenderBitmap(m_curPage, zoom, rotation, type,
                                            m_bGray ? VQ_COLORSPACE_GRAY : VQ_COLORSPACE_RGB, nullptr);
    }
    update();
}

void PrintPreView::paintEvent(QPaintEvent* event)
{
    if (m_pdfEngine && m_image)
    {
        QPainter painter(this);
        painter.fillRect(rect(), QColor(QStringLiteral("#F2F7F5")));
        const int left = int((width() - m_image->width()) * 0.5);
        const int top = int((height() - m_image->height()) * 0.5);
        painter.drawImage(left, top, *m_image);
        painter.setPen(QColor(QStringLiteral("#717171")));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(left, top, m_image->width(), m_image->height());
    }
    QFrame::paintEvent(event);
}

void PrintPreView::resizeEvent(QResizeEvent* event)
{
    // The image keeps its size until the next render.
    QFrame::resizeEvent(event);
}

void PrintPreView::showEvent(QShowEvent* event)
{
    QFrame::showEvent(event);
    if (m_pdfEngine)
        updateCurrentPage();
}
