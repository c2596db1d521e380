#include "ColorDialog.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace {

// A hue in degrees as the colour classes take it: the strip's left end (360) is red again.
int wrapHue(int h)
{
    return ((h % 360) + 360) % 360;
}

} // namespace

// ---- hue strip -------------------------------------------------------------------------------

HColorArea::HColorArea(QWidget* parent) : QWidget(parent) {}

void HColorArea::resizeEvent(QResizeEvent* event)
{
    const int W = width(), H = height();
    m_huePixmap = QPixmap(std::max(W, 1), std::max(H, 1));
    m_huePixmap.fill(Qt::transparent);
    QPainter painter(&m_huePixmap);
    QLinearGradient gradient(W, 0, 0, 0);
    for (int k = 0; k < 16; k++)
        gradient.setColorAt(k / 16.0, QColor::fromHsvF(k / 16.0, 1.0, 1.0));
    gradient.setColorAt(1.0, QColor::fromHsvF(0.0, 1.0, 1.0));
    painter.fillRect(m_huePixmap.rect(), gradient);
    painter.end();
    QWidget::resizeEvent(event);
}

void HColorArea::paintEvent(QPaintEvent*)
{
    const int W = width(), H = height();
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.drawPixmap(0, 0, m_huePixmap);
    painter.setPen(QPen(Qt::white, 2));
    painter.setBrush(Qt::NoBrush);
    const int r = int(H * 0.5) - 1;
    painter.drawEllipse(QRect(int(W * (1 - m_hue)) - r, 1, 2 * r, 2 * r));
}

void HColorArea::pick(QMouseEvent* event)
{
    const int x = qRound(event->localPos().x());
    const int W = width();
    m_hue = W > 0 ? std::clamp(1.0 - double(x) / W, 0.0, 1.0) : 0.0;
    update();
    m_iHue = int(m_hue * 360);
    emit hueChangedSignal(m_iHue);
}

void HColorArea::mousePressEvent(QMouseEvent* event)
{
    pick(event);
}

void HColorArea::mouseMoveEvent(QMouseEvent* event)
{
    pick(event);
}

void HColorArea::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
}

// ---- saturation / value square ----------------------------------------------------------------

SVColorArea::SVColorArea(QWidget* parent) : QWidget(parent) {}

void SVColorArea::drawVPixmap()
{
    m_vPixmap = QPixmap(std::max(width(), 1), std::max(height(), 1));
    m_vPixmap.fill(Qt::transparent);
    QPainter painter(&m_vPixmap);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    QLinearGradient gradient(0, 0, 0, std::max(height(), 1));
    gradient.setColorAt(0, QColor(0, 0, 0, 0));
    gradient.setColorAt(1, QColor(0, 0, 0, 255));
    painter.fillRect(m_vPixmap.rect(), gradient);
}

void SVColorArea::drawSVPixmap()
{
    m_svPixmap = QPixmap(std::max(width(), 1), std::max(height(), 1));
    m_svPixmap.fill(Qt::transparent);
    QPainter painter(&m_svPixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient gradient(0, 0, std::max(width(), 1), 0);
    gradient.setColorAt(0, QColor(QStringLiteral("#ffffff")));
    gradient.setColorAt(1, QColor::fromHsv(wrapHue(m_iHue), 255, 255));
    painter.fillRect(m_svPixmap.rect(), gradient);
}

void SVColorArea::resizeEvent(QResizeEvent* event)
{
    drawVPixmap();
    drawSVPixmap();
    QWidget::resizeEvent(event);
}

void SVColorArea::setHue(int h)
{
    m_iHue = h;
    drawSVPixmap();
    emit svChangedSignal(m_iHue, m_iSaturation, m_iBrightness);
    update();
}

void SVColorArea::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.drawPixmap(0, 0, m_svPixmap);
    painter.drawPixmap(0, 0, m_vPixmap);
    painter.setPen(QPen(m_iBrightness <= 128 ? Qt::white : Qt::black, 2));
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(QPoint(m_x, height() - m_y), 6, 6);
}

void SVColorArea::pick(QMouseEvent* event)
{
    const int x = qRound(event->localPos().x());
    const int y = qRound(event->localPos().y());
    const int W = width(), H = height();
    // The point's place in the square, whatever its size, as the gradients are painted.
    m_iSaturation = W > 0 ? std::clamp(int(std::lround(255.0 * x / W)), 0, 255) : 0;
    m_iBrightness = H > 0 ? std::clamp(int(std::lround(255.0 - 255.0 * y / H)), 0, 255) : 0;
    m_x = std::clamp(x, 0, W);
    m_y = std::clamp(H - y, 0, H);
    emit svChangedSignal(m_iHue, m_iSaturation, m_iBrightness);
    update();
}

void SVColorArea::mousePressEvent(QMouseEvent* event)
{
    pick(event);
}

void SVColorArea::mouseMoveEvent(QMouseEvent* event)
{
    pick(event);
}

void SVColorArea::mouseReleaseEvent(QMouseEvent*)
{
    emit svClickedSignal(m_iHue, m_iSaturation, m_iBrightness);
}

void SVColorArea::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
}

// ---- picker ----------------------------------------------------------------------------------

ColorDialog::ColorDialog(QWidget* parent) : QWidget(parent), m_color(QColor::fromHsv(255, 0, 0))
{
    QLabel* title = new QLabel(QStringLiteral("拾色器"), this);
    m_selectColor = new QLabel(this);
    m_selectColor->setFixedWidth(24);
    m_selectColor->installEventFilter(this);
    m_svArea = new SVColorArea(this);
    m_hArea = new HColorArea(this);

    QHBoxLayout* row = new QHBoxLayout;
    row->addWidget(m_selectColor);
    row->addWidget(m_hArea, 1);
    QVBoxLayout* layout = new QVBoxLayout(this);
    layout->addWidget(title);
    layout->addWidget(m_svArea, 9);
    layout->addLayout(row, 1);

    connect(m_hArea, &HColorArea::hueChangedSignal, m_svArea, &SVColorArea::setHue);
    connect(m_svArea, &SVColorArea::svChangedSignal, this, [this](int h, int s, int v) {
        m_color = QColor::fromHsv(wrapHue(h), s, v, 255);
        update();
        m_selectColor->update();
    });
    connect(m_svArea, &SVColorArea::svClickedSignal, this, [this](int h, int s, int v) {
        m_color = QColor::fromHsv(wrapHue(h), s, v, 255);
        m_selectColor->update();
        emit setColor(m_color);
    });
}

bool ColorDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_selectColor && event->type() == QEvent::Paint)
    {
        QPainter painter(m_selectColor);
        painter.fillRect(m_selectColor->rect(), m_color);
    }
    return QWidget::eventFilter(watched, event);
}
