#include "Canvas.h"

#include "BasicPdfView.h"

#include "LoadingWidget.h"
#include "MMessageBox.h"
#include "NetWorkBusiness.h"
#include "ProgressDlg.h"
#include "RenderCache.h"

#include <QAction>
#include <QApplication>
#include <QBitmap>
#include <QClipboard>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QResizeEvent>
#include <QScrollBar>
#include <QTimerEvent>
#include <QToolButton>
#include <QUuid>
#include <QDir>
#include <QTemporaryFile>
#include <QContextMenuEvent>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <cmath>

static void initCanvasResources()
{
    // The pictures of the view live in the view's own resource file, linked statically.
    static bool done = false;
    if (!done)
    {
        Q_INIT_RESOURCE(canvas);
        done = true;
    }
}

namespace {
std::function<QAction*(QMenu&)>& canvasMenuRunner()
{
    static std::function<QAction*(QMenu&)> runner;
    return runner;
}

const char* const kCannotSignTexts[] = {"此文件中设置了密码不能进行签署", "此文件已加密不能进行签署",
                                        "此文件已损坏不能进行签署"};

// The text for a not-signable code (400, 401, 402), empty for any other.
QString cannotSignText(int code)
{
    if (code >= 400 && code <= 402)
        return QString::fromUtf8(kCannotSignTexts[code - 400]);
    return QString();
}
} // namespace

void Canvas::setMenuRunner(std::function<QAction*(QMenu&)> runner)
{
    canvasMenuRunner() = std::move(runner);
}

QAction* Canvas::runMenu(QMenu& menu)
{
    if (canvasMenuRunner())
        return canvasMenuRunner()(menu);
    return menu.exec(QCursor::pos());
}

// ---- construction ----------------------------------------------------------------------------

Canvas::Canvas(QWidget* parent) : QWidget(parent)
{
    initCanvasResources();
    initUi();
    initCursor();
    setFocus(Qt::OtherFocusReason);
    setFocusPolicy(Qt::StrongFocus);
}

Canvas::Canvas(QWidget* parent, DisplayModel* dm, RenderCache* renderCache) : QWidget(parent)
{
    initCanvasResources();
    _dm = dm;
    _RenderCache = renderCache;
    initUi();
    initCursor();
    setFocus(Qt::OtherFocusReason);
    setFocusPolicy(Qt::StrongFocus);
}

Canvas::~Canvas()
{
    // A key scan still running emits on this view when it ends.
    m_keyScan.waitForFinished();
    // The model's destructor tells the render cache to drop its tiles through the host
    // callback, which still reaches this (fully alive) widget here.
    delete _dm;
    _dm = nullptr;
    m_bathsignThread = nullptr;
    delete m_doubleBufpix;
    m_doubleBufpix = nullptr;
}

void Canvas::initUi()
{
    _privateCanvas = new QWidget(this);
    QVBoxLayout* surfaceLayout = new QVBoxLayout(_privateCanvas);
    surfaceLayout->setSpacing(10);
    setAttribute(Qt::WA_MouseTracking);
    _privateCanvas->setAttribute(Qt::WA_MouseTracking);
    _hscrollbar = new QScrollBar(Qt::Horizontal, this);
    _hscrollbar->setCursor(Qt::ArrowCursor);
    _vscrollbar = new QScrollBar(Qt::Vertical, this);
    _vscrollbar->setCursor(Qt::ArrowCursor);
    QGridLayout* grid = new QGridLayout(this);
    grid->setSpacing(0);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->addWidget(_privateCanvas, 1, 1);
    grid->addWidget(_vscrollbar, 1, 2);
    grid->addWidget(_hscrollbar, 2, 1);
    _privateCanvas->installEventFilter(this);
    setFocusPolicy(Qt::StrongFocus);
    _hscrollbar->hide();
    _vscrollbar->hide();

    _pageNoLabel = new QPushButton(this);
    _pageNoLabel->hide();
    _pageNoLabel->setStyleSheet(
        QStringLiteral("QPushButton{border-radius:%1px;border:none;\t\tbackground:rgba(0,0,0,50);color:white;}")
            .arg(toFixString(4)));

    connect(_vscrollbar, &QScrollBar::valueChanged, this, &Canvas::VerticalScrollChanged);
    connect(_hscrollbar, &QScrollBar::valueChanged, this, &Canvas::HorizontalScrollChanged);
    connect(this, &Canvas::finishReadusbKey, this, &Canvas::finishReadusbKey_Slot);

    m_loading = new LoadingWidget(this, Qt::Horizontal);
    m_loading->setText(QStringLiteral("正在数字签名，请稍后...."));
    m_loading->hide();
    m_signLoading = m_loading;
    m_readKeyloading = new LoadingWidget(this, Qt::Horizontal);
    m_readKeyloading->setText(QStringLiteral("正在读取密钥盘数据，请稍后...."));
    m_readKeyloading->hide();

    // The progress dialog belongs to the main window; without one (tests) it is made on demand
    // by the batch signing.
    if (g_topWidget)
    {
        m_pProgressDlg = new ProgressDlg(g_topWidget);
        m_pProgressDlg->hide();
    }

    m_showTopFrame = new QFrame(_privateCanvas);
    m_showTopFrame->setObjectName(QStringLiteral("frame"));
    m_showTopFrame->setStyleSheet(QStringLiteral("QFrame#frame{background-color:rgb(255,184,85);}"));
    m_showTopFrame->setFixedSize(int(180 * screenZoom), int(20 * screenZoom));
    m_showTopFrame->hide();
    QHBoxLayout* barLayout = new QHBoxLayout(m_showTopFrame);
    barLayout->setContentsMargins(5, 0, 0, 0);
    QLabel* icon = new QLabel(m_showTopFrame);
    icon->setFixedSize(int(11 * screenZoom), int(11 * screenZoom));
    icon->setPixmap(QPixmap(QStringLiteral(":/Resources/images/waring.png"))
                        .scaled(icon->size(), Qt::KeepAspectRatio, Qt::SmoothTransformation));
    icon->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
    m_showtoopLabel = new QLabel(m_showTopFrame);
    QPushButton* closeBtn = new QPushButton(QString(), m_showTopFrame);
    closeBtn->setObjectName(QStringLiteral("warningClose"));
    closeBtn->setFixedSize(int(18 * screenZoom), int(18 * screenZoom));
    closeBtn->setIcon(QIcon(QStringLiteral(":/Resources/images/close.png")));
    closeBtn->setStyleSheet(QStringLiteral("QPushButton {background:transparent;}"));
    barLayout->addWidget(icon);
    barLayout->addWidget(m_showtoopLabel);
    barLayout->addStretch();
    barLayout->addWidget(closeBtn);
    _winProperty.bshowSelection = true;
    _winProperty.bshowHighightForm = true;
    connect(closeBtn, &QPushButton::clicked, m_showTopFrame, &QFrame::hide);
    surfaceLayout->addWidget(m_showTopFrame);
    surfaceLayout->addStretch();
}

void Canvas::initCursor()
{
    auto picture = [](const QString& path, int w, int h) {
        QPixmap pix(path);
        if (w > 0 && h > 0 && !pix.isNull())
            pix = pix.scaled(w, h, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        return QCursor(pix, pix.width() / 2, pix.height() / 2);
    };
    _mapCursor.insert(0, QCursor(Qt::ArrowCursor));
    _mapCursor.insert(1, QCursor(Qt::IBeamCursor));
    _mapCursor.insert(2, picture(QStringLiteral(":icon/Resources/images/icon/openhand.svg"), 27, 28));
    _mapCursor.insert(3, picture(QStringLiteral(":icon/Resources/images/icon/closehand.svg"), 22, 20));
    _mapCursor.insert(4, picture(QStringLiteral(":icon/Resources/images/icon/hight.svg"), 16, 16));
    _mapCursor.insert(5, picture(QStringLiteral(":icon/Resources/images/icon/under.svg"), 16, 16));
    _mapCursor.insert(6, picture(QStringLiteral(":icon/Resources/images/icon/delete.svg"), 16, 16));
    _mapCursor.insert(7, picture(QStringLiteral(":icon/Resources/images/icon/pen.svg"), 24, 24));
    _mapCursor.insert(8, QCursor(Qt::PointingHandCursor));
    _mapCursor.insert(9, QCursor(Qt::ForbiddenCursor));
    _mapCursor.insert(10, picture(QStringLiteral(":icon/Resources/images/icon/select.png"), 0, 0));
}

void Canvas::setDisplayModel(DisplayModel* dm, RenderCache* renderCach)
{
    _dm = dm;
    _RenderCache = renderCach;
    const int code = (_dm && _dm->GetEngine()) ? _dm->GetEngine()->DocumentIsCanSign() : 0;
    if (code == 0)
    {
        m_showTopFrame->hide();
        return;
    }
    m_showTopFrame->show();
    m_showtoopLabel->setText(cannotSignText(code));
    m_showtoopLabel->setStyleSheet(QStringLiteral("color:white;font-size:%1px;").arg(toFixString(9)));
}

// ---- host callbacks ------------------------------------------------------------------------

void Canvas::SetViewportSize(QSize size)
{
    if (!_dm)
        return;
    fitScrollBars(_dm, size, _vscrollbar, _hscrollbar);

    adjustSignItem();
    emit zoomChanged(_dm->GetZoomVirtual(false));

    // The seal on the cursor keeps the size it will have on the page.
    if (_mAction == MA_AddSealing && m_sealSource != SS_NO && !m_sealCursorPixmap.isNull())
        adjustCursor(m_sealCursorPixmap, int(m_sealCursorSize.width()), int(m_sealCursorSize.height()));
    else if (_mAction == MA_AddHandWriting && !m_sealCursorPixmap.isNull())
        adjustCursor(m_sealCursorPixmap, m_sealCursorPixmap.width(), m_sealCursorPixmap.height());
}

void Canvas::RepaintAsync(int delay)
{
    if (delay == 0)
    {
        // Called from the render thread after each stored tile: QWidget::update belongs to the
        // GUI thread, so the repaint is queued there.
        QPointer<QWidget> surface(_privateCanvas);
        QMetaObject::invokeMethod(
            this,
            [surface] {
                if (surface)
                    surface->update();
            },
            Qt::QueuedConnection);
        return;
    }
    if (_timePaint == 0)
        _timePaint = startTimer(delay, Qt::CoarseTimer);
}

void Canvas::pageNoChanged(int pageNo)
{
    emit pageChanged(pageNo);
}

// ---- scrolling, zoom, layout, navigation ---------------------------------------------------------

void Canvas::VerticalScrollChanged(int value)
{
    if (!_dm || _vscrollbar->isHidden() || value == _vscrollValue)
        return;
    _dm->ScrollYTo(value);
    _vscrollValue = value;
    adjustSignItem();
    if (_showPageLabelTimer)
    {
        killTimer(_showPageLabelTimer);
        _showPageLabelTimer = 0;
    }
    if (_pageNoLabel->isHidden())
        _pageNoLabel->show();
    _pageNoLabel->setText(QStringLiteral("%1 / %2").arg(_dm->CurrentPageNo()).arg(_dm->PageCount()));
    _showPageLabelTimer = startTimer(500, Qt::CoarseTimer);
}

void Canvas::HorizontalScrollChanged(int value)
{
    if (!_dm || _hscrollbar->isHidden() || value == _hscrollValue)
        return;
    _dm->ScrollXTo(value);
    _hscrollValue = value;
}

void Canvas::wheelEvent(QWheelEvent* event)
{
    const QPoint delta = event->angleDelta();
    const QPoint degrees(qRound(delta.x() * 0.125), qRound(delta.y() * 0.125));
    const QPoint steps(qRound(degrees.x() / 15.0), qRound(degrees.y() / 15.0));
    if (!degrees.isNull() && _dm)
    {
        if (event->modifiers() == Qt::ControlModifier)
        {
            const float target = steps.y() < 0 ? _dm->GetNextZoomStep(8.33f) : _dm->GetNextZoomStep(800.0f);
            QPoint p = event->position().toPoint();
            _dm->SetZoomVirtual(target, &p);
        }
        else
        {
            if (steps.y() != 0)
                _vscrollbar->setValue(int(float(_vscrollbar->value()) - float(steps.y()) * 40.0f * screenZoom));
            if (steps.x() != 0)
                _hscrollbar->setValue(int(float(_hscrollbar->value()) - float(steps.x()) * 40.0f * screenZoom));
        }
    }
    event->accept();
}

void Canvas::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    const QSize size = event->size();
    if (size == canvasSize || size.width() < 0 || size.height() < 0 || size.width() < 100)
        return;
    canvasSize = size;
    if (_dm)
        _dm->SetViewPortSize(size);
    const float z = screenZoom;
    const float w = float(size.width()), h = float(size.height());
    _pageNoLabel->setGeometry(int(w - 94 * z - 20 * z), int(h - 32 * z - 20 * z), int(94 * z), int(32 * z));
}

void Canvas::setZoomValue(float z)
{
    if (_dm)
        _dm->SetZoomVirtual(z, nullptr);
}

float Canvas::GetZoomValue()
{
    return _dm ? _dm->GetZoomVirtual(false) : 0.0f;
}

void Canvas::SetDisplayMode(int i)
{
    if (!_dm)
        return;
    DisplayMode mode = DM_FACING;
    switch (i)
    {
    case 0: mode = DM_SINGLE_PAGE; break;
    case 1: mode = DM_CONTINUOUS; break;
    case 2: mode = DM_FACING; break;
    case 3: mode = DM_CONTINUOUS_FACING; break;
    default: break;
    }
    _dm->SetDisplayMode(mode, false);
}

int Canvas::GetDisplayMode()
{
    if (!_dm)
        return 0;
    switch (_dm->GetDisplayMode())
    {
    case DM_SINGLE_PAGE: return 0;
    case DM_FACING: return 2;
    case DM_CONTINUOUS_FACING: return 3;
    default: return 1;
    }
}

void Canvas::gotoPage(int pageno)
{
    if (_dm)
        _dm->GoToPage(pageno, 0, false, -1);
}

void Canvas::gotoPage(int pageno, QPoint pt)
{
    if (_dm)
        _dm->GoToPage(pageno, int(pt.y() * _dm->GetZoomReal()), false, pt.x());
}

void Canvas::ZoomToSelection(float factor, bool scrollToFit, bool relative)
{
    if (!_dm)
        return;
    if (!relative && (factor == -1 || factor == -3) && scrollToFit)
    {
        _dm->SetZoomVirtual(factor, nullptr);
        return;
    }
    QPoint fix;
    bool useFix = false;
    const int first = _dm->FirstVisiblePageNo();
    if (PageInfo* info = _dm->GetPageInfo(first))
    {
        const QRect visible = info->pageOnScreen.intersected(rect());
        if (visible.isValid())
        {
            const int page = _dm->GetPageNoByPoint(visible.topLeft());
            if (_dm->ValidPageNo(page) && _dm->PageVisible(page))
            {
                fix = visible.topLeft();
                useFix = true;
            }
        }
    }
    if (relative)
        factor *= _dm->GetZoomVirtual(true);
    _dm->SetZoomVirtual(factor, useFix ? &fix : nullptr);
}

void Canvas::timerEvent(QTimerEvent* event)
{
    const int id = event->timerId();
    if (id == 0)
        return;
    if (id == _timePaint)
    {
        killTimer(_timePaint);
        _timePaint = 0;
        _privateCanvas->update();
    }
    else if (id == _timeMSHand)
    {
        killTimer(_timeMSHand);
        _timeMSHand = 0;
        if (!_overText)
        {
            _overText = true;
            setCursor(Qt::IBeamCursor);
        }
    }
    else if (id == m_penEndTimer)
        commitPendingStrokes();
    else if (id == _showPageLabelTimer)
    {
        killTimer(_showPageLabelTimer);
        _showPageLabelTimer = 0;
        _pageNoLabel->hide();
    }
}

// ---- painting ------------------------------------------------------------------------------------

bool Canvas::eventFilter(QObject* obj, QEvent* event)
{
    if (obj == _privateCanvas && event->type() == QEvent::Paint && _dm)
    {
        QPainter painter(_privateCanvas);
        painter.fillRect(QRect(0, 0, width(), height()), Qt::gray);
        const QRect viewPort = _dm->GetViewPort();
        const QRect r(0, 0, viewPort.width(), viewPort.height());
        for (int pageNo = 1; pageNo <= _dm->PageCount(); pageNo++)
        {
            PageInfo* info = _dm->GetPageInfo(pageNo);
            if (!info || info->visibleRatio == 0 || !info->shown)
                continue;
            const QRect bounds = info->pageOnScreen.intersected(r);
            painter.fillRect(bounds, Qt::white);
            bool renderOutOfDateCue = false;
            unsigned int delay = 0xFFFFFFFFu;
            if (_RenderCache)
                delay = _RenderCache->Paint(&painter, bounds, _dm, pageNo, info, &renderOutOfDateCue);
            if (delay == 0 || delay == 0xFFFFFFFEu)
                continue;
            if (delay >= 1 && delay <= 999)
                RepaintAsync(int(delay));
            else
                painter.drawText(bounds, Qt::AlignHCenter | Qt::AlignVCenter, QStringLiteral("正在渲染..."));
        }
        if (_winProperty.bshowSelection)
            PaintSelection(&painter);
        if (m_doubleBufpix)
        {
            painter.save();
            painter.drawPixmap(0, 0, *m_doubleBufpix);
            painter.restore();
        }
        drawFocusAnnot(&painter);
        painter.end();
    }
    return QWidget::eventFilter(obj, event);
}

void Canvas::PaintSelection(QPainter* painter)
{
    painter->save();
    if (_selectRect.isValid())
    {
        painter->setBrush(Qt::NoBrush);
        painter->drawRect(_selectRect);
    }
    painter->setPen(Qt::NoPen);
    painter->setBrush(QBrush(QColor(125, 175, 175, 125), Qt::SolidPattern));
    for (auto it = _pageHitRects.constBegin(); it != _pageHitRects.constEnd(); ++it)
        for (const QRectF& rc : it.value())
            painter->drawRect(_dm->CvtToScreen(it.key(), rc, true));
    painter->restore();
}

void Canvas::drawFocusAnnot(QPainter* painter)
{
    const QMap<int, QVector<QRectF>> focus = _dm->GetDocumentFoucsAnnotRect();
    for (auto it = focus.constBegin(); it != focus.constEnd(); ++it)
    {
        const int type = it.key();
        if (type == VQ_ANNOT_HIGHLIGHT || type == VQ_ANNOT_UNDERLINE || type == VQ_ANNOT_STRIKEOUT)
        {
            painter->save();
            painter->setPen(QPen(QColor(199, 199, 0, 255), 1.0));
            for (const QRectF& rc : it.value())
                painter->drawRect(rc);
            painter->restore();
        }
        else if (!it.value().isEmpty())
            painter->drawRect(it.value().first());
    }
}

void Canvas::drawErrorSignature(QPainter* painter)
{
    if (!_dm)
        return;
    const QMap<int, QVector<QRectF>> rects = _dm->GetErrorSignatureRect();
    for (auto it = rects.constBegin(); it != rects.constEnd(); ++it)
    {
        painter->save();
        painter->setPen(QPen(QColor(199, 199, 0, 255), 5.0));
        for (const QRectF& rc : it.value())
            painter->drawRect(rc);
        painter->restore();
    }
}

void Canvas::PaintPageFrameAndShadow(QPainter* painter, QRect bound, QRect, bool)
{
    painter->fillRect(bound, Qt::white);
    const QColor shade(100, 100, 100, 10);
    for (int i = 0; i < 5; i++)
    {
        const QRectF layer(bound.x() - i, bound.y() - i, bound.width() + 2 * i, bound.height() + 2 * i);
        painter->save();
        painter->setPen(QPen(shade, 1.0));
        painter->setBrush(QBrush(shade, Qt::SolidPattern));
        if (i < 3)
            painter->drawRect(layer);
        else
        {
            QPainterPath path;
            path.setFillRule(Qt::WindingFill);
            const qreal rad = 4;
            path.moveTo(layer.center().x(), layer.top());
            path.lineTo(layer.right() - rad, layer.top());
            path.quadTo(layer.topRight(), QPointF(layer.right(), layer.top() + rad));
            path.lineTo(layer.right(), layer.bottom() - rad);
            path.quadTo(layer.bottomRight(), QPointF(layer.right() - rad, layer.bottom()));
            path.lineTo(layer.left() + rad, layer.bottom());
            path.quadTo(layer.bottomLeft(), QPointF(layer.left(), layer.bottom() - rad));
            path.lineTo(layer.left(), layer.top() + rad);
            path.quadTo(layer.topLeft(), QPointF(layer.left() + rad, layer.top()));
            path.closeSubpath();
            painter->drawPath(path);
        }
        painter->restore();
    }
}

// ---- tools and cursors ------------------------------------------------------------------------------

void Canvas::SetMouseState(MouseState i)
{
    if (!_dm)
        return;
    _mstate = i;
    switch (i)
    {
    case MS_Hand: setPrivateCursor(2, true); break;
    case MS_Select:
        _mAction = MA_Select;
        setPrivateCursor(1, true);
        break;
    case MS_Highight:
        _mAction = MA_Select;
        setPrivateCursor(4, true);
        break;
    case MS_Underline:
        _mAction = MA_Select;
        setPrivateCursor(5, true);
        break;
    case MS_Deleteline:
        _mAction = MA_Select;
        setPrivateCursor(6, true);
        break;
    case MS_Text: break;
    case MS_Pen:
        if (!m_doubleBufpix)
        {
            m_doubleBufpix = new QPixmap(size());
            m_doubleBufpix->fill(Qt::transparent);
        }
        setPrivateCursor(7, true);
        break;
    case MS_Handwrite:
        _mAction = MA_AddHandWrite;
        _privateCanvas->setCursor(Qt::ArrowCursor);
        break;
    case MS_LocalSignature:
    case MS_CloudSignature:
        _mAction = MA_AddSeal;
        _privateCanvas->setCursor(Qt::ArrowCursor);
        break;
    }
}

void Canvas::setPrivateCursor(int key, bool judge)
{
    if (judge && key == m_curCursorKey)
        return;
    _privateCanvas->setCursor(_mapCursor.value(key, QCursor(Qt::ArrowCursor)));
    m_curCursorKey = key;
}

void Canvas::adjustCursor(QPixmap pixmap, int w, int h)
{
    if (!_dm || pixmap.isNull())
        return;
    const float z = _dm->GetZoomReal();
    const QPixmap scaled =
        pixmap.scaled(qMax(1, int(w * z)), qMax(1, int(h * z)), Qt::IgnoreAspectRatio, Qt::FastTransformation);
    _privateCanvas->setCursor(QCursor(scaled, scaled.width() / 2, scaled.height() / 2));
}

namespace {
// The picture with its pure white pixels made transparent.
QImage clearWhite(QImage image)
{
    image = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); y++)
    {
        QRgb* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); x++)
            if (line[x] == 0xFFFFFFFFu)
                line[x] = 0x00FFFFFFu;
    }
    return image;
}

// The picture with its alpha scaled to alpha / 255.
QPixmap withAlpha(const QImage& image, int alpha)
{
    QPixmap result(image.size());
    result.fill(Qt::transparent);
    QPainter p(&result);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.drawImage(0, 0, image);
    p.setCompositionMode(QPainter::CompositionMode_DestinationIn);
    p.fillRect(result.rect(), QColor(0, 0, 0, alpha));
    p.end();
    return result;
}
} // namespace

QPixmap Canvas::transparentPixmap(QImage image)
{
    // The cursor shows the seal half transparent, without its white background.
    return withAlpha(image.hasAlphaChannel() ? image : clearWhite(image), 125);
}

void Canvas::attachSealCursor(QPixmap pixmap, SealSource source, double w, double h)
{
    m_sealCursorPixmap = pixmap;
    m_sealSource = source;
    m_sealCursorSize = QSizeF(w, h);
    _mAction = MA_AddSealing;
    adjustCursor(pixmap, int(w), int(h));
}

void Canvas::attachHandWrite(QPixmap pixmap, const QString& file, const QByteArray& bytes)
{
    m_sealCursorPixmap = pixmap;
    m_handWriteFile = file;
    m_handWriteByteArray = bytes;
    m_addDataType = file.isEmpty() ? (bytes.isEmpty() ? dt_nothing : dt_byte) : dt_file;
    _mAction = MA_AddHandWriting;
    adjustCursor(pixmap, pixmap.width(), pixmap.height());
}

void Canvas::setPenAttribute(QColor color, double penwidth, double opacity)
{
    m_penColor = color;
    m_penWidthF = penwidth;
    m_penOpacity = opacity;
}

// ---- annotations ----------------------------------------------------------------------------------

void Canvas::addMarkAnnot(int type)
{
    if (_dm)
    {
        if (type == MS_Highight)
            _dm->AddMarkAnnot(_pageHitRects, m_highlightColor, 0);
        else if (type == MS_Underline)
            _dm->AddMarkAnnot(_pageHitRects, m_underlineColor, 1);
        else if (type == MS_Deleteline)
            _dm->AddMarkAnnot(_pageHitRects, m_deltelineColor, 2);
    }
    _pageHitRects.clear();
    _privateCanvas->update();
}

void Canvas::deleteAnnot(int pageNo, vq_annot* annot)
{
    if (!_dm)
        return;
    _dm->GetEngine()->DeleteAnnot(pageNo, annot);
    if (_RenderCache)
        _RenderCache->Invalidate(_dm, pageNo, QRectF(0, 0, 600, 800));
    _privateCanvas->update();
}

void Canvas::commitPendingStrokes()
{
    if (m_penEndTimer)
        killTimer(m_penEndTimer);
    m_penEndTimer = 0;
    if (!_dm || m_allPenPath.isEmpty())
        return;
    _dm->AddPathAnnot(m_penatPageNo, m_allPenPath, m_penColor, float(m_penWidthF), float(m_penOpacity));
    m_allPenPath.clear();
    if (m_doubleBufpix)
        m_doubleBufpix->fill(Qt::transparent);
    if (_RenderCache)
        _RenderCache->Invalidate(_dm, m_penatPageNo, QRectF(0, 0, 600, 800));
    _privateCanvas->update();
}

void Canvas::clearSelection()
{
    _pageHitRects.clear();
    _privateCanvas->update();
}

// ---- mouse ------------------------------------------------------------------------------------------

void Canvas::mousePressEvent(QMouseEvent* event)
{
    if (!_dm)
        return;
    const QPoint pos = event->localPos().toPoint();
    if (event->button() == Qt::LeftButton)
        mouseLeftPressEvent(pos);
    else if (event->button() == Qt::RightButton)
        mouseRightPressEvent(pos);
}

void Canvas::mouseLeftPressEvent(QPoint pos)
{
    PdfEngine* engine = _dm->GetEngine();
    switch (_mstate)
    {
    case MS_Hand:
    {
        const int hit = _dm->GetElementAtPos(pos, VQ_MOUSE_DOWN, VQ_HAND);
        if (hit == VQ_HIT_NOTHING)
        {
            _mAction = MA_Drag;
            _dragPoint = pos;
            _dragStartPending = true;
            setPrivateCursor(3, true);
        }
        else if (hit == VQ_HIT_ANNOT_NOT_WIDGET)
            setPrivateCursor(10, true);
        else if (hit == VQ_HIT_LINK)
            setPrivateCursor(8, true);
        else if (hit == VQ_HIT_SIGNATURE)
        {
            setPrivateCursor(8, true);
            verifySignature(engine->DocumentFoucsAnnot());
        }
        _privateCanvas->update();
        break;
    }
    case MS_Select:
    case MS_Highight:
    case MS_Underline:
    case MS_Deleteline:
    {
        clearSelection();
        const int hit = _dm->GetElementAtPos(pos, VQ_MOUSE_DOWN, VQ_TEXT_SELECT);
        if (hit == VQ_HIT_NOTHING)
        {
            _overText = false;
            _selectPoint = pos;
        }
        else if (hit == VQ_HIT_TEXT)
        {
            _overText = true;
            _selectPoint = pos;
        }
        break;
    }
    case MS_Pen:
    {
        const QPoint start(pos.x() - 12, pos.y() + 12);
        m_startPt = start;
        m_penatPageNo = _dm->GetPageNoByPoint(start);
        if (m_penatPageNo >= 1 && m_penEndTimer)
        {
            killTimer(m_penEndTimer);
            m_penEndTimer = 0;
        }
        break;
    }
    case MS_Handwrite:
        if (_mAction == MA_AddHandWriting)
        {
            int added = 0;
            const double w = m_sealCursorPixmap.width(), h = m_sealCursorPixmap.height();
            if (m_addDataType == dt_byte)
            {
                // The model stamps pictures from files: bytes go through a temporary file.
                QTemporaryFile picture(QDir::tempPath() + QStringLiteral("/orvessa-handwrite-XXXXXX.png"));
                if (picture.open() && picture.write(m_handWriteByteArray) == m_handWriteByteArray.size() &&
                    picture.flush())
                    added = _dm->AddSignatrue(pos, picture.fileName(), w, h);
            }
            else if (m_addDataType == dt_file)
                added = _dm->AddSignatrue(pos, m_handWriteFile, w, h);
            if (added)
            {
                if (_RenderCache)
                    _RenderCache->Invalidate(_dm, _dm->GetPageNoByPoint(pos), QRectF(0, 0, 600, 800));
                _privateCanvas->update();
            }
        }
        break;
    case MS_LocalSignature:
    case MS_CloudSignature:
        if (_mAction == MA_AddSealing)
        {
            const int code = engine->DocumentIsCanSign();
            if (code != 0)
            {
                const QString text = cannotSignText(code);
                if (!text.isEmpty())
                    MMessageBox::showWarning(g_topWidget, QStringLiteral("Orvessa"), text, QSize(280, 160),
                                             QDialogButtonBox::Ok, QDialogButtonBox::NoButton);
                finishSignature(false);
            }
            else
                addSignature(pos);
        }
        else
        {
            const int hit = _dm->GetElementAtPos(pos, VQ_MOUSE_DOWN, VQ_HAND);
            _privateCanvas->update();
            if (hit == VQ_HIT_SIGNATURE)
                verifySignature(engine->DocumentFoucsAnnot());
        }
        break;
    default: break;
    }
}

void Canvas::mouseRightPressEvent(QPoint)
{
    if (_mstate == MS_Handwrite && _mAction == MA_AddHandWriting)
    {
        _mAction = MA_AddHandWrite;
        _privateCanvas->setCursor(Qt::ArrowCursor);
    }
    else if ((_mstate == MS_LocalSignature || _mstate == MS_CloudSignature) && _mAction == MA_AddSealing)
        finishSignature(false);
}

void Canvas::mouseMoveEvent(QMouseEvent* event)
{
    if (!_dm)
        return;
    const QPoint pos = event->localPos().toPoint();
    if (event->buttons() & Qt::LeftButton)
        mouseMoveDragEvent(pos);
    else
        mouseHover(pos);
}

void Canvas::mouseMoveDragEvent(QPoint pos)
{
    switch (_mstate)
    {
    case MS_Hand:
        if (_dragStartPending)
        {
            setPrivateCursor(3, true);
            if (!_vscrollbar->isHidden())
                _vscrollbar->setValue(_vscrollbar->value() + _dragPoint.y() - pos.y());
            if (!_hscrollbar->isHidden())
                _hscrollbar->setValue(_hscrollbar->value() + _dragPoint.x() - pos.x());
            _dragPoint = pos;
            _mAction = MA_Draging;
        }
        else if (_mAction == MA_MoveAnnot)
            _mAction = MA_MoveAnnoting;
        break;
    case MS_Select:
    case MS_Highight:
    case MS_Underline:
    case MS_Deleteline:
        if ((_mAction == MA_Select || _mAction == MA_Selecting) && _selectPoint != QPoint(-1, -1))
        {
            _pageHitRects.clear();
            if (_overText)
                _pageHitRects = _dm->GetTextRects(pos, VQ_IN_SELECT, QPointF(_selectPoint), QPointF(pos));
            else
            {
                const QPoint tl(qMin(_selectPoint.x(), pos.x()), qMin(_selectPoint.y(), pos.y()));
                const QPoint br(qMax(_selectPoint.x(), pos.x()), qMax(_selectPoint.y(), pos.y()));
                _selectRect = QRect(tl, br);
                _pageHitRects = _dm->GetTextRects(_selectPoint, VQ_OUT_SELECT, QPointF(tl), QPointF(br));
            }
            _privateCanvas->update();
            _mAction = MA_Selecting;
        }
        break;
    case MS_Pen:
        if (m_penatPageNo >= 1)
        {
            PageInfo* info = _dm->GetPageInfo(m_penatPageNo);
            QPoint p(pos.x() - 12, pos.y() + 12);
            if (info)
            {
                const QRect page = info->pageOnScreen;
                if (p.x() <= page.left())
                    p.setX(int(page.left() + m_penWidthF));
                else if (p.x() >= page.right())
                    p.setX(int(page.right() - m_penWidthF));
                if (p.y() <= page.top())
                    p.setY(int(page.top() + m_penWidthF));
                else if (p.y() >= page.bottom())
                    p.setY(int(page.bottom() - m_penWidthF));
            }
            if (m_doubleBufpix)
            {
                QPainter painter(m_doubleBufpix);
                painter.setRenderHint(QPainter::Antialiasing);
                painter.setPen(QPen(m_penColor, _dm->GetZoomReal() * m_penWidthF, Qt::SolidLine));
                painter.setOpacity(m_penOpacity);
                painter.drawLine(m_startPt, p);
            }
            m_startPt = p;
            PointElement e;
            e.p = p;
            e.type = lineto;
            m_subPenPath.append(e);
        }
        _privateCanvas->update();
        break;
    default: break;
    }
}

void Canvas::mouseHover(QPoint pos)
{
    switch (_mstate)
    {
    case MS_Hand:
    {
        const int hit = _dm->GetElementAtPos(pos, VQ_MOUSE_MOVE, VQ_HAND);
        if (hit == VQ_HIT_NOTHING)
            setPrivateCursor(2, true);
        else if (hit == VQ_HIT_ANNOT_NOT_WIDGET)
            setPrivateCursor(10, true);
        else if (hit != VQ_HIT_TEXT)
            setPrivateCursor(8, true);
        break;
    }
    case MS_Select:
    {
        const int hit = _dm->GetElementAtPos(pos, VQ_MOUSE_MOVE, VQ_TEXT_SELECT);
        _overText = hit == VQ_HIT_TEXT;
        setPrivateCursor(_overText ? 1 : 0, true);
        break;
    }
    case MS_Handwrite:
    case MS_LocalSignature:
        if (_mAction == MA_AddHandWrite || _mAction == MA_AddSeal)
        {
            const int hit = _dm->GetElementAtPos(pos, VQ_MOUSE_MOVE, VQ_HAND);
            setPrivateCursor(hit == VQ_HIT_SIGNATURE ? 8 : 0, true);
        }
        break;
    default: break;
    }
}

void Canvas::mouseReleaseEvent(QMouseEvent* event)
{
    if (!_dm)
        return;
    const QPoint pos = event->localPos().toPoint();
    if (event->button() == Qt::LeftButton)
        mouseLeftRelease(pos);
    else if (event->button() == Qt::RightButton)
        contextMenu(pos);
}

void Canvas::mouseLeftRelease(QPoint)
{
    switch (_mstate)
    {
    case MS_Hand:
        if (_mAction != MA_Draging && _mAction != MA_Selecting)
            clearSelection();
        if (_dragStartPending)
        {
            _dragStartPending = false;
            setPrivateCursor(2, true);
        }
        _mAction = MA_Nothing;
        break;
    case MS_Select:
        _selectPoint = QPoint(-1, -1);
        _mAction = MA_Select;
        _selectRect = QRect();
        _privateCanvas->update();
        break;
    case MS_Highight:
    case MS_Underline:
    case MS_Deleteline:
        addMarkAnnot(_mstate);
        _mAction = MA_Select;
        _pageHitRects.clear();
        _selectPoint = QPoint(-1, -1);
        _selectRect = QRect();
        _privateCanvas->update();
        break;
    case MS_Pen:
        if (m_subPenPath.size() >= 2)
        {
            m_allPenPath.append(m_subPenPath);
            if (m_penEndTimer)
                killTimer(m_penEndTimer);
            m_penEndTimer = startTimer(100, Qt::CoarseTimer);
        }
        // A lone point is no stroke: it is dropped, so it cannot join the next one.
        m_subPenPath.clear();
        break;
    default: break;
    }
}

void Canvas::contextMenu(QPoint pos)
{
    PdfEngine* engine = _dm->GetEngine();
    switch (_mstate)
    {
    case MS_Hand:
    case MS_LocalSignature:
    case MS_CloudSignature:
    {
        const int hit = _dm->GetElementAtPos(pos, VQ_MOUSE_DOWN, VQ_HAND);
        vq_annot* annot = engine->DocumentFoucsAnnot();
        const int pageNo = engine->DocumentFoucsAnnotinPageNo();
        if (!annot || pageNo < 1)
            break;
        QMenu menu;
        if (hit == VQ_HIT_SIGNATURE)
        {
            QAction* verify = menu.addAction(QStringLiteral("验证签名"));
            QAction* remove = nullptr;
            if (_mstate != MS_CloudSignature && !engine->GetSignatureCustom(annot).isEmpty())
                remove = menu.addAction(QStringLiteral("删除签名"));
            QAction* chosen = runMenu(menu);
            if (chosen && chosen == verify)
                verifySignature(annot);
            else if (chosen && chosen == remove)
                deleteSignature(pageNo, annot);
        }
        else if (hit == VQ_HIT_ANNOT_NOT_WIDGET && _mstate != MS_CloudSignature)
        {
            QAction* remove = menu.addAction(QStringLiteral("删除"));
            remove->setEnabled(engine->DocumentSignatureCount() < 1);
            QAction* chosen = runMenu(menu);
            // A signed document keeps its annotations, whatever reaches this point.
            if (chosen && chosen == remove && remove->isEnabled())
                deleteAnnot(pageNo, annot);
        }
        break;
    }
    case MS_Select:
    {
        const int pageNo = _dm->GetPageNoByPoint(pos);
        const QPointF pt = _dm->CvtFromScreen(QPointF(pos), -1, true);
        bool inside = false;
        for (const QRectF& rc : _pageHitRects.value(pageNo))
            if (rc.contains(pt))
            {
                inside = true;
                break;
            }
        if (!inside)
            break;
        const bool signedDoc = engine->DocumentSignatureCount() > 0;
        QMenu menu;
        QAction* copy = menu.addAction(QStringLiteral("复制"));
        menu.addSeparator();
        QAction* high = menu.addAction(QStringLiteral("高亮"));
        QAction* under = menu.addAction(QStringLiteral("下划线"));
        QAction* strike = menu.addAction(QStringLiteral("删除线"));
        high->setEnabled(!signedDoc);
        under->setEnabled(!signedDoc);
        strike->setEnabled(!signedDoc);
        QAction* chosen = runMenu(menu);
        if (!chosen || !chosen->isEnabled())
            break;
        if (chosen == copy)
            QApplication::clipboard()->setText(_dm->CopySelection(_pageHitRects), QClipboard::Clipboard);
        else if (chosen == high)
            addMarkAnnot(MS_Highight);
        else if (chosen == under)
            addMarkAnnot(MS_Underline);
        else if (chosen == strike)
            addMarkAnnot(MS_Deleteline);
        break;
    }
    default: break;
    }
}

// ---- keys -------------------------------------------------------------------------------------------

void Canvas::keyPressEvent(QKeyEvent* event)
{
    if (_dm)
    {
        const int key = event->key();
        if (event->modifiers() == Qt::ControlModifier && key == Qt::Key_Left)
            _dm->RotateBy(-90);
        else if (event->modifiers() == Qt::ControlModifier && key == Qt::Key_Right)
            _dm->RotateBy(90);
        else if (key == Qt::Key_Escape)
        {
            if (_mstate == MS_Handwrite)
            {
                if (_mAction == MA_AddHandWriting)
                {
                    _mAction = MA_AddHandWrite;
                    _privateCanvas->setCursor(Qt::ArrowCursor);
                }
            }
            else if (_mstate == MS_LocalSignature)
            {
                if (_mAction == MA_AddSealing)
                {
                    _mAction = MA_AddSeal;
                    _privateCanvas->setCursor(Qt::ArrowCursor);
                }
                else if (_mAction == MA_AddSeal)
                    emit Key_EscapeSignal();
            }
            else
                emit Key_EscapeSignal();
        }
        else if (key == Qt::Key_Delete)
        {
            PdfEngine* engine = _dm->GetEngine();
            vq_annot* annot = engine->DocumentFoucsAnnot();
            const int pageNo = engine->DocumentFoucsAnnotinPageNo();
            if (annot && pageNo >= 1 && engine->DocumentSignatureCount() <= 0 &&
                engine->AnnotType(annot) != VQ_ANNOT_WIDGET)
                deleteAnnot(pageNo, annot);
        }
    }
    QWidget::keyPressEvent(event);
}

// ---- seal items -----------------------------------------------------------------------------------

void Canvas::adjustSignItem()
{
    for (SignItem* item : m_signItemVec)
        item->setGeometry(item->getRect());
}

void Canvas::appendSignItem(SignItem* item)
{
    m_signItemVec.append(item);
    connect(item, &SignItem::deleteSelf, this, &Canvas::deleteSignItem);
}

void Canvas::deleteSignItem(QString uuid)
{
    for (int i = 0; i < m_signItemVec.size(); i++)
        if (m_signItemVec[i]->uuid() == uuid)
        {
            m_signItemVec.remove(i);
            emit deleteSignatureList(1, uuid);
            break;
        }
    if (m_signItemVec.isEmpty())
        emit setFinishBtnDisable(true);
}

// ---- SignItem -------------------------------------------------------------------------------------

namespace {
std::function<QAction*(QMenu&)>& itemMenuRunner()
{
    static std::function<QAction*(QMenu&)> runner;
    return runner;
}
} // namespace

void SignItem::setMenuRunner(std::function<QAction*(QMenu&)> runner)
{
    itemMenuRunner() = std::move(runner);
}

SignItem::SignItem(DisplayModel* dm, int type, QWidget* parent, bool isAuthFile)
    : QWidget(parent), m_uuid(QUuid::createUuid().toString()), _dm(dm), m_siType(type), m_parent(parent),
      m_isAuthFile(isAuthFile)
{
    initCanvasResources();
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_StyledBackground);
    setStyleSheet(QStringLiteral("border:1px solid rgb(49,202,132);"));
    QVBoxLayout* layout = new QVBoxLayout(this);
    layout->setContentsMargins(1, 1, 1, 1);
    m_imgLabel = new QLabel(this);
    m_imgLabel->setScaledContents(true);
    m_imgLabel->setStyleSheet(QStringLiteral("border:none;"));
    layout->addWidget(m_imgLabel);
    m_delBtn = new QToolButton(this);
    m_delBtn->setToolButtonStyle(Qt::ToolButtonIconOnly);
    m_delBtn->setStyleSheet(QStringLiteral("border: none;"));
    m_delBtn->setIcon(QIcon(QStringLiteral(":/usercenter/Resources/images/usercenter/delSeal.png")));
    m_delBtn->setToolTip(QStringLiteral("删除"));
    m_delBtn->hide();
    connect(m_delBtn, &QToolButton::clicked, this, &SignItem::removeSelf);
}

SignItem::~SignItem() {}

void SignItem::removeSelf()
{
    emit deleteSelf(m_uuid);
    close();
}

void SignItem::addSignature(QPoint p, QByteArray image, double w, double h, QByteArray cert, QString certsn,
                            QString sealName, QString sealCode, QString sealUnitName, QString sealrecordUnitName,
                            QString sealrecordTime, QString sealId)
{
    const double z = _dm ? _dm->GetZoomReal() : 1.0;
    const int W = int(z * w), H = int(z * h);
    const int left = int(p.x() - z * w * 0.5), top = int(p.y() - z * h * 0.5);
    setRect(QRect(left, top, W, H));
    m_cert = cert;
    m_certSn = certsn;
    m_sealName = sealName;
    m_sealCode = sealCode;
    m_sealUnitName = sealUnitName;
    m_sealImageData = image;
    m_sealId = sealId;
    m_sealrecordUnitName = sealrecordUnitName;
    m_sealRecordTime = sealrecordTime;
    m_imageSize = QSize(int(w), int(h));
    m_imgLabel->setPixmap(transparentPixmap(QImage::fromData(image)));
    m_delBtn->setGeometry(width() - 20, height() - 20, 14, 19);
}

void SignItem::setRect(QRect rect)
{
    setGeometry(rect);
    if (!_dm)
        return;
    if (m_isAuthFile)
        m_pageNo = 1;
    else
        m_pageNo = _dm->GetPageNoByPoint(QPoint((rect.left() + rect.right()) / 2, (rect.top() + rect.bottom()) / 2));
    m_pdfRect = _dm->CvtFromScreen(QRectF(rect.left(), rect.top(), rect.width(), rect.height()), m_pageNo, true);
}

QRect SignItem::getRect()
{
    if (!_dm)
        return QRect();
    const QRectF r = _dm->CvtToScreen(m_pageNo, m_pdfRect, true);
    return QRect(qRound(r.x()), qRound(r.y()), qRound(r.width()), qRound(r.height()));
}

QPoint SignItem::pdfTopPos()
{
    return m_pdfRect.topLeft().toPoint();
}

QPoint SignItem::pdfPos()
{
    return QPointF(m_pdfRect.x() + 0.5 * m_pdfRect.width(), m_pdfRect.y() + 0.5 * m_pdfRect.height()).toPoint();
}

QPoint SignItem::pdfTopRightPos()
{
    return QPointF(m_pdfRect.x() + m_pdfRect.width(), m_pdfRect.y()).toPoint();
}

static bool isCompanyUser()
{
    BusinessInfo* info = NetWorkBusiness::Instance()->getBusinessInfo();
    return info && info->userType != 0;
}

QPixmap SignItem::transparentPixmap(QImage image)
{
    if (!isCompanyUser())
        return QPixmap::fromImage(image);
    return withAlpha(clearWhite(image), 255);
}

QImage SignItem::ConvertImageToTransparent(QImage image)
{
    if (!isCompanyUser())
        return image;
    image = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); y++)
    {
        QRgb* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); x++)
            line[x] = line[x] == 0xFFFFFFFFu ? (line[x] & 0x00FFFFFFu) : (line[x] | 0xFF000000u);
    }
    return image;
}

void SignItem::mousePressEvent(QMouseEvent* event)
{
    if (m_isAuthFile)
        return;
    m_pos = event->pos();
    m_DestPoint = pos();
}

void SignItem::mouseMoveEvent(QMouseEvent* event)
{
    if (m_isAuthFile)
        return;
    if (event->buttons() & Qt::LeftButton)
        move(pos() + event->pos() - m_pos);
}

void SignItem::mouseReleaseEvent(QMouseEvent*)
{
    if (m_isAuthFile || !_dm)
        return;
    QPoint centre = mapToParent(QPoint((width() - 1) / 2, (height() - 1) / 2));
    m_pageNo = _dm->GetPageNoByPoint(centre);
    if (m_pageNo == -1)
    {
        // Off every page: back to where the drag began.
        move(m_DestPoint);
        centre = mapToParent(QPoint((width() - 1) / 2, (height() - 1) / 2));
        m_pageNo = _dm->GetPageNoByPoint(centre);
    }
    const QPoint tl = mapToParent(rect().topLeft());
    const QPoint br = mapToParent(rect().bottomRight());
    m_pdfRect = _dm->CvtFromScreen(QRectF(tl.x(), tl.y(), br.x() - tl.x() + 1, br.y() - tl.y() + 1), m_pageNo, true);
}

void SignItem::keyPressEvent(QKeyEvent* event)
{
    if (m_isAuthFile)
        return;
    if (event->key() == Qt::Key_Delete || event->key() == 46)
        removeSelf();
    else
        QWidget::keyPressEvent(event);
}

void SignItem::enterEvent(QEvent*)
{
    if (!m_isAuthFile)
        m_delBtn->show();
}

void SignItem::leaveEvent(QEvent*)
{
    if (!m_isAuthFile)
        m_delBtn->hide();
}

void SignItem::contextMenuEvent(QContextMenuEvent*)
{
    if (m_isAuthFile)
        return;
    QMenu menu;
    QAction* remove = menu.addAction(QStringLiteral("删除"));
    QAction* chosen = itemMenuRunner() ? itemMenuRunner()(menu) : menu.exec(QCursor::pos());
    if (chosen == remove)
        removeSelf();
}
