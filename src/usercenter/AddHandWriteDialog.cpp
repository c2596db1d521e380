#include "AddHandWriteDialog.h"

#include "ColorWidget.h"
#include "ContactsShared.h"
#include "GlobalHeader.h"
#include "MMessageBox.h"
#include "RegeditSettings.h"
#include "UserCenterShared.h"

#include <QBuffer>
#include <QEvent>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

AddHandWriteDialog::FileChooser& fileChooser()
{
    static AddHandWriteDialog::FileChooser chooser;
    return chooser;
}

} // namespace

void AddHandWriteDialog::setFileChooser(FileChooser chooser)
{
    fileChooser() = std::move(chooser);
}

AddHandWriteDialog::AddHandWriteDialog(QWidget* parent)
    : ParentDialog(parent, false)
{
    initUserCenterResources();
    initContactsPictures();
    setTilter(QStringLiteral("添加签名"));
    setFixedSize(designPx(600), designPx(400));

    auto button = [this](const QString& text, double width) {
        auto* b = new QPushButton(text, _content);
        b->setFixedSize(designPx(width), designPx(28));
        b->setCursor(Qt::PointingHandCursor);
        return b;
    };
    m_local = button(QStringLiteral("添加本地签名"), 100);
    m_custom = button(QStringLiteral("自定义签名"), 100);
    m_clear = button(QStringLiteral("清除"), 60);
    m_ok = button(QStringLiteral("确定"), 60);
    m_cancel = button(QStringLiteral("取消"), 60);

    m_image = new QLabel(_content);
    m_image->setAlignment(Qt::AlignCenter);
    m_image->setObjectName("handwriteDrawLabel");
    m_image->installEventFilter(this);

    m_colorwidget = new ColorWidget({QColor("#333333"), QColor(Qt::red), QColor("#72FD3B"), QColor("#FF7F3B")}, this,
                                    false);

    auto* top = new QHBoxLayout;
    top->addWidget(m_local);
    top->addWidget(m_custom);
    top->addStretch();
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(m_colorwidget);
    bottom->addStretch();
    bottom->addWidget(m_clear);
    bottom->addWidget(m_ok, 0, Qt::AlignRight);
    bottom->addWidget(m_cancel, 0, Qt::AlignRight);
    auto* layout = new QVBoxLayout(_content);
    layout->addLayout(top);
    layout->addWidget(m_image, 1);
    layout->addLayout(bottom);

    m_ok->setEnabled(false);
    m_colorwidget->hide();
    m_clear->hide();

    connect(m_local, &QPushButton::clicked, this, &AddHandWriteDialog::addImageFromFile);
    connect(m_custom, &QPushButton::clicked, this, &AddHandWriteDialog::addCustomSignature);
    connect(m_clear, &QPushButton::clicked, this, &AddHandWriteDialog::clearPixmap);
    connect(m_ok, &QPushButton::clicked, this, &AddHandWriteDialog::finishPixmap);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_colorwidget, &ColorWidget::setColor_signal, this, [this](QColor color) {
        m_pathColor = color;
        m_image->update();
    });

    _content->setStyleSheet(
        QStringLiteral("QPushButton{color:#31CA84;background:white;border:1px solid #B2E7CF;border-radius:%1px;"
                       "font-size:%2px;}"
                       "QPushButton:hover{background:#31CA84;color:white;}"
                       "QPushButton:disabled{background:#bbbdbe;border-color:#bbbdbe;color:white;}"
                       "QLabel#handwriteDrawLabel{border:1px dashed #B2E7CF;background:#FCFDFD;}")
            .arg(toFixString(4), toFixString(14)));
}

AddHandWriteDialog::~AddHandWriteDialog() = default;

void AddHandWriteDialog::addImageFromFile()
{
    m_bPath = false;
    m_image->clear();
    m_colorwidget->hide();
    m_clear->hide();
    m_image->setCursor(Qt::ArrowCursor);
    // "确定" follows what the pad holds now: a cancelled or unreadable choice leaves nothing to
    // hand over, whatever the other mode had.
    m_ok->setEnabled(false);

    const QString caption = QStringLiteral("选择文件");
    const QString folder = RegeditSettings::Instance()->recentlyFold();
    const QString filter = QStringLiteral("图片文件 (*.png *.jpg *.bmp)");
    m_file = fileChooser() ? fileChooser()(this, caption, folder, filter)
                           : QFileDialog::getOpenFileName(this, caption, folder, filter);
    if (m_file.isEmpty())
        return;
    const QPixmap picture(m_file);
    if (picture.isNull()) {
        m_file.clear();
        MMessageBox::showError(g_topWidget, QStringLiteral("Orvessa"), QStringLiteral("无法读取所选图片，请重新选择！"),
                               QSize(280, 160), QDialogButtonBox::Ok);
        return;
    }
    m_image->setPixmap(toFixSizePixmap(picture, m_image->size()));
    m_ok->setEnabled(true);
}

void AddHandWriteDialog::addCustomSignature()
{
    m_bPath = true;
    m_image->clear();
    m_colorwidget->show();
    m_clear->show();
    m_image->setCursor(QCursor(QPixmap(QStringLiteral(":icon/Resources/images/icon/qpen.png"))));
    m_penPath = std::make_unique<QPainterPath>();
    // A fresh pad has nothing to hand over yet.
    m_ok->setEnabled(false);
    m_image->update();
}

void AddHandWriteDialog::clearPixmap()
{
    if (m_penPath)
        m_penPath = std::make_unique<QPainterPath>();
    m_ok->setEnabled(false);
    m_image->update();
}

QPen AddHandWriteDialog::inkPen(const QColor& color)
{
    return QPen(color, 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

QImage AddHandWriteDialog::drawingPicture(const QPainterPath& path, const QColor& color)
{
    const QRectF bounds = path.boundingRect();
    QImage picture(int(bounds.width() + 8), int(bounds.height() + 8), QImage::Format_ARGB32_Premultiplied);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHints(QPainter::Antialiasing);
    painter.setPen(inkPen(color));
    painter.drawPath(path.translated(-(bounds.x() - 4), -(bounds.y() - 4)));
    painter.end();
    return picture;
}

void AddHandWriteDialog::finishPixmap()
{
    if (m_bPath) {
        if (!m_penPath || m_penPath->isEmpty())
            return;
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        drawingPicture(*m_penPath, m_pathColor).save(&buffer, "PNG");
        emit sendHandWritePath(png);
    } else {
        if (m_file.isEmpty())
            return;
        emit sendHandWriteFile(m_file);
    }
    accept();
}

QPointF AddHandWriteDialog::drawingPoint(const QPointF& mouse)
{
    return QPointF(qRound(mouse.x()) - 10, qRound(mouse.y()) + 10);
}

bool AddHandWriteDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_image || !m_bPath || !m_penPath)
        return ParentDialog::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        m_penPath->moveTo(drawingPoint(mouse->localPos()));
        return true;
    }
    case QEvent::MouseMove: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (!(mouse->buttons() & Qt::LeftButton))
            return true;
        const QPointF p = drawingPoint(mouse->localPos());
        // A stroke that leaves the pad runs along its edge.
        m_penPath->lineTo(qBound(0.0, p.x(), qreal(m_image->width() - 1)),
                          qBound(0.0, p.y(), qreal(m_image->height() - 1)));
        m_image->update();
        return true;
    }
    case QEvent::MouseButtonRelease:
        if (!m_penPath->isEmpty())
            m_ok->setEnabled(true);
        return true;
    case QEvent::Paint: {
        QPainter painter(m_image);
        painter.setRenderHints(QPainter::Antialiasing);
        // The pad's outline, so that the user sees where to draw.
        painter.setPen(QPen(QColor("#B2E7CF"), 1, Qt::DashLine));
        painter.drawRect(m_image->rect().adjusted(0, 0, -1, -1));
        painter.setPen(inkPen(m_pathColor));
        painter.drawPath(*m_penPath);
        return true;
    }
    default:
        return ParentDialog::eventFilter(watched, event);
    }
}
