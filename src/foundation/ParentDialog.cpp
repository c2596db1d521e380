#include "ParentDialog.h"

#include "GlobalHeader.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QIcon>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QTimeLine>
#include <QVBoxLayout>

#include <atomic>
#include <cmath>

QT_BEGIN_NAMESPACE
// The toolkit's own blur, exported by QtWidgets for its graphics effects.
extern Q_WIDGETS_EXPORT void qt_blurImage(QPainter* p, QImage& blurImage, qreal radius, bool quality, bool alphaOnly,
                                          int transposed = 0);
QT_END_NAMESPACE

namespace {
std::atomic<double> g_durationScale{1.0};
}

double uiDurationScale()
{
    return g_durationScale.load();
}

void setUiDurationScale(double scale)
{
    g_durationScale.store(scale < 0 ? 0.0 : scale);
}

int scaledUiDuration(int ms)
{
    return qMax(0, int(std::lround(ms * uiDurationScale())));
}

// ---------------------------------------------------------------------------------------------

FrameDecorator::FrameDecorator(QWidget* parent)
    : QWidget(parent)
    , m_timeline(new QTimeLine(260, this))
    , m_decorationColor(0, 0, 0, 0)
{
    // Covers the whole parent and follows its size.
    if (parent) {
        setGeometry(parent->rect());
        parent->installEventFilter(this);
    }
    m_timeline->setUpdateInterval(40);
    m_timeline->setEasingCurve(QEasingCurve::OutQuad);
    m_timeline->setFrameRange(0, 10000);
    connect(m_timeline, &QTimeLine::frameChanged, this, [this](int frame) {
        m_decorationColor = QColor(0, 0, 0, frame / 100);
        update();
    });
}

void FrameDecorator::decorate(bool dark)
{
    if (m_timeline->state() == QTimeLine::Running)
        m_timeline->stop();
    m_timeline->setDuration(qMax(1, scaledUiDuration(260)));
    m_timeline->setDirection(dark ? QTimeLine::Forward : QTimeLine::Backward);
    m_timeline->start();
}

void FrameDecorator::mousePressEvent(QMouseEvent* event)
{
    emit clicked();
    event->ignore();
}

void FrameDecorator::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), m_decorationColor);
}

bool FrameDecorator::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == parentWidget() && event->type() == QEvent::Resize)
        setGeometry(parentWidget()->rect());
    return QWidget::eventFilter(watched, event);
}

// ---------------------------------------------------------------------------------------------

ParentDialog::ParentDialog(QWidget* parent, bool bhideAtt)
    : QDialog(parent)
    , _parentWidget(parent)
    , m_btnWidth(int(18 * screenZoom))
{
    _privateDecorator = new FrameDecorator(parent);
    _privateDecorator->hide();

    setFocusPolicy(Qt::StrongFocus);
    // No window type: with a parent the dialog is drawn inside the parent, above the dimming.
    setWindowFlags(Qt::FramelessWindowHint);

    _titler = new QWidget(this);
    _titler->setProperty("mode", "dt");
    _titler->setFixedHeight(int(26 * screenZoom));
    m_tilterLabel = new QLabel(_titler);
    m_tilterLabel->setProperty("mode", "level2white");
    closeBtn = new QPushButton(_titler);
    closeBtn->setProperty("mode", "close");
    closeBtn->setFixedSize(m_btnWidth, m_btnWidth);
    closeBtn->setIcon(QIcon(":/Resources/images/close.svg"));
    closeBtn->setIconSize(QSize(int(8 * screenZoom), int(8 * screenZoom)));
    closeBtn->setFocusPolicy(Qt::NoFocus);
    auto* titleLayout = new QHBoxLayout(_titler);
    titleLayout->setContentsMargins(int(20 * screenZoom), 0, int(8 * screenZoom), 0);
    titleLayout->addWidget(m_tilterLabel);
    titleLayout->addStretch();
    titleLayout->addWidget(closeBtn);

    _content = new QWidget(this);
    _content->setProperty("mode", "dc");

    auto* layout = new QVBoxLayout(this);
    layout->setSpacing(0);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(_titler);
    layout->addWidget(_content);

    const QString sep = QStringLiteral("\t\t\t\t\t");
    const QStringList rules = {
        "QWidget[mode='dt']{background:#31CA84;border-bottom-right-radius:0px;border-bottom-left-radius:0px;}",
        "QWidget[mode='dc']{background:white;border:1px solid #31CA84;border-top-width:0px;color:#333333;}",
        "QLabel[mode='level2white']{color:white;font-weight:bold;font-size:%2px;}",
        "QLabel[mode='level2black']{color:black;font-size:%2px;}",
        "QLabel[mode='level3black']{color:black;font-size:%4px;}",
        "QPushButton{border:1px solid #B2E7CF;border-radius:%1px;font-size:%2px;color:#31CA84;}",
        "QPushButton:hover{background:rgba(52,203,135,1);border:none;color:white;}",
        "QPushButton:pressed{background:rgba(0,198,120,1);}",
        "QPushButton:disabled{border:1px solid #bbbdbe;color:#bbbdbe;}",
        "QPushButton[mode='close']{border:none;border-radius:%3px;background:transparent;}",
        "QPushButton[mode='close']:hover{background:rgba(255,255,255,50);border-radius:%3px;}",
        "QPushButton[mode='close']:pressed{background:#F74D47;}",
        "QPushButton[mode='BtnWhite']{color:#333333;border:1px solid #D0D0D0;border-radius:2px;background:#FFFFFF;}",
        "QPushButton[mode='BtnWhite']:hover{background:#F8F8F8;}",
        "QPushButton[mode='BtnWhite']:pressed{color:white;background:#31CA84;}",
    };
    setStyleSheet(rules.join(sep).arg(toFixString(2.5), toFixString(9.5), toFixString(8.5), toFixString(9.5)));

    connect(closeBtn, &QPushButton::clicked, this, [this, bhideAtt] {
        emit closeSignal();
        if (bhideAtt)
            hide();
        else
            reject();
    });
}

ParentDialog::~ParentDialog()
{
    // The layer is removed with the dialog rather than left behind on the parent for every
    // dialog ever shown; the parent may already have deleted it.
    delete _privateDecorator.data();
}

void ParentDialog::setTilter(QString title)
{
    m_tilterLabel->setText(title);
}

QString ParentDialog::title() const
{
    return m_tilterLabel->text();
}

void ParentDialog::setFrameDecoratorHide(bool hide)
{
    _bFrameDecoratorHide = hide;
}

void ParentDialog::setFrameShape(bool subWindow)
{
    if (subWindow)
        setWindowFlags(windowFlags() | Qt::SubWindow);
}

void ParentDialog::setKeyEventValid(bool valid)
{
    m_keyEventfalg = valid;
}

void ParentDialog::SetWidgetBorderless(const QWidget*)
{
}

int ParentDialog::exec()
{
    // A dialog without a parent has a parentless layer: shown, it would be a screen-sized black
    // window of its own, so it only dims a real parent.
    const bool dim = !_bFrameDecoratorHide && _privateDecorator && _privateDecorator->parentWidget();
    if (dim) {
        _privateDecorator->show();
        _privateDecorator->raise();
        _privateDecorator->decorate(true);
    }
    raise();
    if (QWidget* p = parentWidget()) {
        ensurePolished();
        if (!testAttribute(Qt::WA_Resized))
            adjustSize();
        move((p->width() - width()) / 2, (p->height() - height()) / 2);
    }
    QPointer<ParentDialog> guard(this);
    const int result = QDialog::exec();
    if (guard && dim && _privateDecorator) {
        _privateDecorator->decorate(false);
        _privateDecorator->hide();
    }
    return result;
}

void ParentDialog::mousePressEvent(QMouseEvent* event)
{
    if (_titler->geometry().contains(event->pos())) {
        if (event->button() == Qt::LeftButton) {
            m_bPressed = true;
            m_ptPress = event->pos();
        }
        event->accept();
        return;
    }
    QDialog::mousePressEvent(event);
}

void ParentDialog::mouseReleaseEvent(QMouseEvent* event)
{
    m_bPressed = false;
    QDialog::mouseReleaseEvent(event);
}

void ParentDialog::mouseMoveEvent(QMouseEvent* event)
{
    if (m_bPressed) {
        move(pos() + event->pos() - m_ptPress);
        event->accept();
        return;
    }
    QDialog::mouseMoveEvent(event);
}

void ParentDialog::keyPressEvent(QKeyEvent* event)
{
    if (m_keyEventfalg) {
        if (event->key() == Qt::Key_Enter) {
            emit enterPressed();
            return;
        }
        if (event->key() == Qt::Key_Escape)
            reject();
    }
    // The plain widget handling: Return does not press a default button here.
    QWidget::keyPressEvent(event);
}

void ParentDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // A dialog drawn inside its parent does not take the focus by itself.
    QWidget* fw = focusWidget();
    if (fw && isAncestorOf(fw) && fw->isVisible())
        fw->setFocus(Qt::OtherFocusReason);
    else
        setFocus(Qt::OtherFocusReason);
}

// ---------------------------------------------------------------------------------------------

GraphicsDropShadowEffect::GraphicsDropShadowEffect(QObject* parent)
    : QGraphicsEffect(parent)
{
}

void GraphicsDropShadowEffect::setDistance(qreal distance)
{
    _distance = distance;
    updateBoundingRect();
}

void GraphicsDropShadowEffect::setBlurRadius(qreal radius)
{
    _blurRadius = radius;
    updateBoundingRect();
}

void GraphicsDropShadowEffect::setColor(const QColor& color)
{
    _color = color;
    update();
}

QRectF GraphicsDropShadowEffect::boundingRectFor(const QRectF& rect) const
{
    const qreal delta = _distance + _blurRadius;
    return rect.united(rect.adjusted(-delta, -delta, delta, delta));
}

void GraphicsDropShadowEffect::draw(QPainter* painter)
{
    if (_distance + _blurRadius <= 0) {
        drawSource(painter);
        return;
    }
    QPoint offset;
    const QPixmap px = sourcePixmap(Qt::DeviceCoordinates, &offset, QGraphicsEffect::PadToEffectiveBoundingRect);
    if (px.isNull())
        return;

    const QTransform restore = painter->worldTransform();
    painter->setWorldTransform(QTransform());

    const int d = int(_distance);
    QImage tmp(px.size() + QSize(2 * d, 2 * d), QImage::Format_ARGB32_Premultiplied);
    tmp.setDevicePixelRatio(px.devicePixelRatioF());
    tmp.fill(0);
    {
        QPainter p(&tmp);
        p.setCompositionMode(QPainter::CompositionMode_Source);
        p.drawPixmap(QPointF(-_distance, -_distance), px.scaled(tmp.size(), Qt::IgnoreAspectRatio));
    }

    QImage blurred(tmp.size(), QImage::Format_ARGB32_Premultiplied);
    blurred.setDevicePixelRatio(px.devicePixelRatioF());
    blurred.fill(0);
    {
        QPainter p(&blurred);
        qt_blurImage(&p, tmp, _blurRadius, true, false);
    }
    {
        QPainter p(&blurred);
        p.setCompositionMode(QPainter::CompositionMode_SourceIn);
        p.fillRect(blurred.rect(), _color);
    }

    painter->drawImage(offset, blurred);
    painter->drawPixmap(offset, px, QRectF());
    painter->setWorldTransform(restore);
}
