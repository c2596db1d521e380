#include "PicturePreviewPanel.h"

#include "GlobalHeader.h"

#include <QEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QVBoxLayout>
#include <QtMath>

namespace {

// Truncates v * 0.5 toward zero.
int half(int v)
{
    return static_cast<int>(v * 0.5);
}

// v moved by m towards the sign of d.
int movedBy(int v, int m, int d)
{
    return d > 0 ? v + m : v - m;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// CutShape

CutShape::CutShape(QWidget* parent) : QWidget(parent)
{
    setWindowFlags(windowFlags() | Qt::FramelessWindowHint);
    setMouseTracking(true);
    const int minimum = static_cast<int>(62 * screenZoom);
    setMinimumSize(minimum, minimum);
    const int side = static_cast<int>(123 * screenZoom);
    setGeometry(0, 0, side, side);
}

CutShape::Zones CutShape::zonesAt(const QPoint& pos, const QSize& size)
{
    Zones z;
    z.left = qAbs(pos.x()) <= 4;
    z.right = qAbs(pos.x() - (size.width() - 1)) <= 4;
    z.top = qAbs(pos.y()) <= 4;
    z.bottom = qAbs(pos.y() - (size.height() - 1)) <= 4;
    return z;
}

Qt::CursorShape CutShape::cursorFor(const Zones& z)
{
    if ((z.top && z.left) || (z.bottom && z.right))
        return Qt::SizeFDiagCursor;
    if ((z.top && z.right) || (z.bottom && z.left))
        return Qt::SizeBDiagCursor;
    if (z.left || z.right)
        return Qt::SizeHorCursor;
    if (z.top || z.bottom)
        return Qt::SizeVerCursor;
    return Qt::SizeAllCursor;
}

QRect CutShape::resizeGeometry(const QRect& oldgeo, const QPoint& delta, const Zones& z, bool& ignore)
{
    int x1 = oldgeo.left(), y1 = oldgeo.top(), x2 = oldgeo.right(), y2 = oldgeo.bottom();
    const int dx = delta.x();
    const int dy = delta.y();
    const int m = qMax(qAbs(dx), qAbs(dy));
    const bool horizontalOnly = !z.top && !z.bottom;
    const bool verticalOnly = !z.left && !z.right;

    if (z.left && horizontalOnly) {
        x1 += dx;
        const int d = -dx;
        y1 -= half(d);
        y2 += d - half(d);
    } else if (z.right && horizontalOnly) {
        x2 += dx;
        const int d = dx;
        y1 -= half(d);
        y2 += d - half(d);
    } else if (z.top && verticalOnly) {
        y1 += dy;
        const int d = -dy;
        x1 -= half(d);
        x2 += d - half(d);
    } else if (z.bottom && verticalOnly) {
        y2 += dy;
        const int d = dy;
        x1 -= half(d);
        x2 += d - half(d);
    } else if (z.top && z.left) {
        if (dx * dy > 0) {
            x1 = movedBy(x1, m, dx);
            y1 = movedBy(y1, m, dy);
        }
    } else if (z.bottom && z.right) {
        if (dx * dy > 0) {
            x2 = movedBy(x2, m, dx);
            y2 = movedBy(y2, m, dy);
        } else if (dx == 0 && dy != 0) {
            ignore = true;
        }
    } else if (z.top && z.right) {
        if (dx * dy < 0) {
            x2 = movedBy(x2, m, dx);
            y1 = movedBy(y1, m, dy);
        }
    } else if (z.bottom && z.left) {
        if (dx * dy < 0) {
            x1 = movedBy(x1, m, dx);
            y2 = movedBy(y2, m, dy);
        }
    } else {
        ignore = true;
    }
    return QRect(QPoint(x1, y1), QPoint(x2, y2));
}

QPoint CutShape::clampDrag(const QPoint& topLeft, const QSize& shape, const QSize& parent)
{
    int x = qMax(0, topLeft.x());
    int y = qMax(0, topLeft.y());
    if (x + shape.width() > parent.width())
        x = parent.width() - shape.width();
    if (y + shape.height() > parent.height())
        y = parent.height() - shape.height();
    return QPoint(x, y);
}

QRect CutShape::getResizeGem(QRect oldgeo, QPoint mousePoint, bool& ignore)
{
    Zones z;
    z.left = m_Left;
    z.right = m_Right;
    z.top = m_Top;
    z.bottom = m_Bottom;
    return resizeGeometry(oldgeo, mousePoint - m_startPoint, z, ignore);
}

void CutShape::mousePressEvent(QMouseEvent* event)
{
    m_startPoint = event->pos();
    m_MouseDown = event->button() == Qt::LeftButton;
}

void CutShape::mouseReleaseEvent(QMouseEvent*)
{
    m_MouseDown = false;
}

void CutShape::mouseMoveEvent(QMouseEvent* event)
{
    QWidget* parent = parentWidget();
    if (!parent || !parent->rect().contains(mapToParent(event->pos())))
        return;
    const QPoint pos = event->pos();
    if (!m_MouseDown) {
        const Zones z = zonesAt(pos, size());
        m_Left = z.left;
        m_Right = z.right;
        m_Top = z.top;
        m_Bottom = z.bottom;
        setCursor(cursorFor(z));
    } else if (!(m_Left || m_Right || m_Top || m_Bottom)) {
        p = clampDrag(this->pos() + (pos - m_startPoint), size(), parent->size());
        move(p);
    } else {
        bool ignore = false;
        g = getResizeGem(geometry(), pos, ignore);
        if (parent->rect().contains(g))
            setGeometry(g);
        if (!ignore) {
            if (m_Bottom)
                m_startPoint.setY(pos.y());
            if (m_Right)
                m_startPoint.setX(pos.x());
        }
    }
    parent->update();
    emit sendImgRect(x(), y(), width(), height());
}

void CutShape::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
}

void CutShape::paintEvent(QPaintEvent* event)
{
    if (paintInit(event, this)) {
        const int w = width();
        m_BufferPix = QPixmap(size());
        m_BufferPix.fill(Qt::transparent);
        QPainter outline(&m_BufferPix);
        outline.setPen(QPen(QColor(49, 202, 132, 120), 1));
        outline.drawRect(border, border, w - 1 - 2 * border, w - 1 - 2 * border);
    }
    QPainter painter(this);
    painter.drawPixmap(rect(), m_BufferPix);
}

CutRectangle::CutRectangle(QWidget* parent) : CutShape(parent)
{
    m_Type = Rect;
}

bool CutRectangle::paintInit(QPaintEvent*, QPaintDevice*)
{
    return true;
}

QPainterPath CutRectangle::Region()
{
    QPainterPath path;
    const int w = width();
    path.addRect(border, border, w - 2 * border, w - 2 * border);
    return path;
}

CutRound::CutRound(QWidget* parent) : CutShape(parent)
{
    m_Type = Round;
}

bool CutRound::paintInit(QPaintEvent*, QPaintDevice*)
{
    const bool redraw = m_IsFirst || m_MouseDown;
    m_IsFirst = false;
    return redraw;
}

QPainterPath CutRound::Region()
{
    QPainterPath path;
    const int w = width();
    path.addEllipse(QRectF(border, border, w - 2 * border, w - 2 * border));
    return path;
}

// ---------------------------------------------------------------------------------------------
// BackgroundWidget

BackgroundWidget::BackgroundWidget(QWidget* parent, ShapeType type) : QWidget(parent), m_Type(type)
{
    PictureLoadFinished();
}

void BackgroundWidget::PictureLoadFinished()
{
    if (m_CutShape)
        return;
    if (m_Type == Round) {
        m_CutShape = new CutRound(this);
        connect(m_CutShape, &CutShape::sendImgRect, this, &BackgroundWidget::sendImgRect);
    } else {
        m_CutShape = new CutRectangle(this);
    }
    m_CutShape->show();
}

void BackgroundWidget::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath mask;
    mask.addRect(rect());
    if (m_CutShape)
        mask = mask.subtracted(m_CutShape->CutRegion().translated(m_CutShape->pos()));
    painter.setOpacity(0.5);
    painter.fillPath(mask, Qt::black);
}

// ---------------------------------------------------------------------------------------------
// PicturePreviewPanel

PicturePreviewPanel::PicturePreviewPanel(QWidget* parent) : QWidget(parent)
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_PictureContainer = new QLabel(this);
    m_PictureContainer->setSizePolicy(QSizePolicy::Minimum, QSizePolicy::Minimum);
    layout->addWidget(m_PictureContainer);
    m_PictureContainer->installEventFilter(this);

    m_BgWidget = new BackgroundWidget(m_PictureContainer, Round);
    m_BgWidget->show();
    connect(m_BgWidget, &BackgroundWidget::sendImgRect, this, &PicturePreviewPanel::getImgRect);
    // Until the shape reports, the crop is the shape's own starting geometry.
    _imgRect = m_BgWidget->cutShape()->geometry();
}

QRect PicturePreviewPanel::clippedToPicture(const QRect& rect) const
{
    if (picture.isNull())
        return rect;
    return rect.intersected(QRect(QPoint(0, 0), picture.size()));
}

void PicturePreviewPanel::getImgRect(int x, int y, int xw, int yh)
{
    _imgRect = clippedToPicture(QRect(x, y, xw, yh));
}

void PicturePreviewPanel::LoadPicture(const QString& filepath)
{
    m_PicturePath = filepath;
    loadScaled();
}

void PicturePreviewPanel::loadScaled()
{
    QPixmap loaded;
    if (!loaded.load(m_PicturePath)) {
        picture = QPixmap();
        return;
    }
    picture = loaded.scaled(m_PictureContainer->size(), Qt::IgnoreAspectRatio, Qt::FastTransformation);
    m_PictureContainer->setPixmap(picture);
    m_BgWidget->PictureLoadFinished();
    _imgRect = clippedToPicture(m_BgWidget->cutShape()->geometry());
    emit senIsUpImg(true);
}

bool PicturePreviewPanel::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_PictureContainer && event->type() == QEvent::Resize) {
        if (!m_PicturePath.isEmpty())
            loadScaled();
        m_BgWidget->resize(m_PictureContainer->size());
    }
    return QWidget::eventFilter(watched, event);
}
