#include "StylePopup.h"

#include "ColorDialog.h"
#include "ColorWidget.h"
#include "GlobalHeader.h"
#include "WindowShape.h"

#include <QComboBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPainter>
#include <QPainterPath>
#include <QSlider>
#include <QStyleOption>
#include <QVBoxLayout>

#include <cmath>

namespace {

struct MarkStyle
{
    const char* title;
    QList<QColor> colors;
};

MarkStyle markStyle(Widget::widgetype t)
{
    switch (t)
    {
    case Widget::mark_deleteline:
        return {"删除线颜色", {Qt::red, Qt::gray, QColor("#72FD3B"), QColor("#FF7F3B")}};
    case Widget::mark_underline:
        return {"下划线颜色", {Qt::green, Qt::red, Qt::gray, QColor("#FF7F3B")}};
    default:
        return {"高亮背景颜色", {Qt::yellow, Qt::red, QColor("#72FD3B"), QColor("#FF7F3B")}};
    }
}

} // namespace

Widget::Widget(widgetype t, QWidget* parent) : QFrame(parent), m_wtype(t), m_color(QColor("#7A55FF"))
{
    createWidget(this);

    const int g = toEvenNumber(screenZoom);
    const int h = toEvenNumber(12 * screenZoom);
    setStyleSheet(QStringLiteral("QSlider::groove:horizontal{height:%1px;border:1px solid red;}"
                                 "QSlider::handle:horizontal{background:rgba(52,203,135,1);width:%2px;"
                                 "margin:%3px -1px %3px -1px;border-radius:%4px;}"
                                 "QSlider::add-page:horizontal{background:rgb(187,188,189);}"
                                 "QSlider::sub-page:horizontal{background:rgba(52,203,135,1);}"
                                 "QLabel[mode=\"simple\"]{padding:4px;border:1px solid #F0F0F0;font-size:%5px;}")
                      .arg(g)
                      .arg(h)
                      .arg(qRound((g - h) / 2.0))
                      .arg(qRound(h / 2.0))
                      .arg(qRound(16 * screenZoom)));
    m_simple->installEventFilter(this);
}

void Widget::createWidget(QWidget* parent)
{
    m_colorDialog = new ColorDialog(parent);
    m_selectWidget = new QWidget(parent);
    QVBoxLayout* page = new QVBoxLayout(m_selectWidget);

    if (m_wtype != pen)
    {
        m_simple = new QLabel(QStringLiteral("示例"), m_selectWidget);
        m_simple->setProperty("mode", QStringLiteral("simple"));
        m_simple->setAlignment(Qt::AlignCenter);
        m_simple->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
        const MarkStyle style = markStyle(m_wtype);
        QLabel* title = new QLabel(QString::fromUtf8(style.title), m_selectWidget);
        m_color = style.colors.first();
        m_palette = new ColorWidget(style.colors, m_selectWidget, true);

        page->addWidget(title, 0, Qt::AlignHCenter);
        page->addWidget(m_simple, 0, Qt::AlignHCenter);
        page->addWidget(m_palette);
        page->setSpacing(int(10 * screenZoom));
        page->setContentsMargins(int(16 * screenZoom), int(18 * screenZoom), int(16 * screenZoom),
                                 int(22 * screenZoom));
    }
    else
    {
        QLabel* title = new QLabel(QStringLiteral("笔类工具"), m_selectWidget);
        // The preview of the stroke keeps a child widget's own place at the page's top left.
        m_simple = new QLabel(m_selectWidget);
        m_simple->setProperty("mode", QStringLiteral("simple"));

        m_sliderLineWidth = new QSlider(Qt::Horizontal, m_selectWidget);
        m_sliderLineWidth->setRange(5, 100);
        m_sliderLineWidth->setMinimumHeight(int(13 * screenZoom));
        m_sliderLineOpacity = new QSlider(Qt::Horizontal, m_selectWidget);
        m_sliderLineOpacity->setRange(0, 100);
        m_sliderLineOpacity->setMinimumHeight(int(13 * screenZoom));

        auto makeBox = [this](const QList<QPair<QString, int>>& presets) {
            QComboBox* box = new QComboBox(m_selectWidget);
            box->setEditable(true);
            box->setView(new QListView(box));
            // A typed value is read as a number (below), never kept as an item of its own.
            box->setInsertPolicy(QComboBox::NoInsert);
            for (const auto& p : presets)
                box->addItem(p.first, p.second);
            return box;
        };
        m_comlineWidth = makeBox({{"1 pt", 10}, {"3 pt", 30}, {"5 pt", 50}, {"7 pt", 70}, {"9 pt", 90}});
        m_comlineOpacity = makeBox({{"25%", 25}, {"50%", 50}, {"75%", 75}, {"100%", 100}});

        QVBoxLayout* widthBlock = new QVBoxLayout;
        widthBlock->setSpacing(6);
        widthBlock->addWidget(new QLabel(QStringLiteral("线条宽度"), m_selectWidget));
        QHBoxLayout* widthRow = new QHBoxLayout;
        widthRow->setSpacing(5);
        widthRow->addWidget(m_sliderLineWidth, 5);
        widthRow->addWidget(m_comlineWidth, 2);
        widthBlock->addLayout(widthRow);

        QVBoxLayout* opacityBlock = new QVBoxLayout;
        opacityBlock->setSpacing(5);
        opacityBlock->addWidget(new QLabel(QStringLiteral("不透明度"), m_selectWidget));
        QHBoxLayout* opacityRow = new QHBoxLayout;
        opacityRow->setSpacing(5);
        opacityRow->addWidget(m_sliderLineOpacity, 5);
        opacityRow->addWidget(m_comlineOpacity, 2);
        opacityBlock->addLayout(opacityRow);

        m_palette = new ColorWidget({Qt::black, Qt::red, QColor(255, 153, 51), Qt::gray}, m_selectWidget, true);
        m_color = Qt::black;

        page->addWidget(title, 1, Qt::AlignHCenter);
        page->addLayout(widthBlock);
        page->addLayout(opacityBlock);
        page->addWidget(m_palette);
        page->setSpacing(int(8 * screenZoom));
        page->setContentsMargins(int(12 * screenZoom), int(18 * screenZoom), int(12 * screenZoom),
                                 int(22 * screenZoom));

        connect(m_sliderLineWidth, &QSlider::valueChanged, this, &Widget::setWidth);
        connect(m_sliderLineOpacity, &QSlider::valueChanged, this, &Widget::setOpacity);
        for (QComboBox* box : {m_comlineWidth, m_comlineOpacity})
        {
            connect(box, qOverload<int>(&QComboBox::currentIndexChanged), this, &Widget::setSliderValue);
            // Choosing the preset that is already the current item changes no index.
            connect(box, qOverload<int>(&QComboBox::activated), this, &Widget::setSliderValue);
            connect(box->lineEdit(), &QLineEdit::editingFinished, this, [this, box] { applyTypedValue(box); });
        }
        m_sliderLineOpacity->setValue(100);
        m_sliderLineWidth->setValue(20);
    }

    QVBoxLayout* layout = new QVBoxLayout(parent);
    layout->setContentsMargins(0, int(8 * screenZoom), 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_selectWidget);
    layout->addWidget(m_colorDialog);
    m_colorDialog->hide();
    connectPalette();
}

void Widget::connectPalette()
{
    connect(m_palette, &ColorWidget::setColor_signal, this, [this](QColor color) {
        m_color = color;
        update();
        m_simple->update();
    });
    connect(m_palette, &ColorWidget::blendBtnClicked, this, &Widget::togglePages);
    connect(m_colorDialog, &ColorDialog::setColor, this, [this](QColor color) {
        m_palette->setCustomColor(color);
        m_colorDialog->hide();
        m_selectWidget->show();
    });
}

void Widget::togglePages()
{
    if (m_selectWidget->isHidden())
    {
        m_selectWidget->show();
        m_colorDialog->hide();
    }
    else
    {
        m_colorDialog->show();
        m_selectWidget->hide();
    }
}

void Widget::setWidth(int value)
{
    m_width = value / 10.0;
    if (m_comlineWidth)
        m_comlineWidth->setEditText(QStringLiteral("%1 pt").arg(m_width, 0, 'g', 6));
    update();
    if (m_simple)
        m_simple->update();
}

void Widget::setOpacity(int value)
{
    m_opacity = value / 100.0;
    if (m_comlineOpacity)
        m_comlineOpacity->setEditText(QStringLiteral("%1%").arg(value));
    update();
    if (m_simple)
        m_simple->update();
}

void Widget::setSliderValue(int index)
{
    QComboBox* box = qobject_cast<QComboBox*>(sender());
    if (!box || index < 0)
        return;
    const QVariant data = box->itemData(index);
    if (!data.isValid())
    {
        applyTypedValue(box);
        return;
    }
    if (box == m_comlineWidth)
        m_sliderLineWidth->setValue(data.toInt());
    else if (box == m_comlineOpacity)
        m_sliderLineOpacity->setValue(data.toInt());
}

void Widget::applyTypedValue(QComboBox* box)
{
    QString text = box->currentText();
    text.remove(QStringLiteral("pt"), Qt::CaseInsensitive).remove(QLatin1Char('%'));
    bool ok = false;
    const double number = text.trimmed().toDouble(&ok);
    if (box == m_comlineWidth)
    {
        // Points, in the slider's tenths; a text that is no number shows the width again.
        if (ok)
            m_sliderLineWidth->setValue(int(std::lround(number * 10)));
        setWidth(m_sliderLineWidth->value());
    }
    else if (box == m_comlineOpacity)
    {
        if (ok)
            m_sliderLineOpacity->setValue(int(std::lround(number)));
        setOpacity(m_sliderLineOpacity->value());
    }
}

bool Widget::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_simple || event->type() != QEvent::Paint)
        return QFrame::eventFilter(watched, event);
    QPainter painter(m_simple);
    painter.setRenderHint(QPainter::Antialiasing);
    const int w = m_simple->width(), h = m_simple->height();
    switch (m_wtype)
    {
    case mark_highight:
    case text:
        painter.fillRect(QRect(0, 0, w, h), m_color);
        return false;
    case mark_underline:
    case mark_deleteline:
    {
        const double y = (m_wtype == mark_underline ? 0.9 : 0.6) * h;
        painter.setPen(QPen(m_color, 2 * screenZoom));
        painter.drawLine(QPointF(0, y), QPointF(w, y));
        return false;
    }
    case pen:
    {
        painter.setOpacity(m_opacity);
        QPainterPath path(QPointF(20, h / 2.0));
        path.cubicTo(QPointF(int(0.25 * w + 20), 0), QPointF(int(0.75 * w - 20), h), QPointF(w - 20, int(h / 2)));
        QPen stroke(m_color, m_width);
        stroke.setCapStyle(Qt::RoundCap);
        painter.setPen(stroke);
        painter.drawPath(path);
        return true;
    }
    default:
        return false;
    }
}

void Widget::paintEvent(QPaintEvent*)
{
    const double W = width(), H = height();
    const double s = 16 * screenZoom, a = s / 2;
    QPainterPath path;
    path.moveTo(W - 4, a);
    path.lineTo((W - s) / 2 + s, a);
    path.lineTo(W / 2, 0);
    path.lineTo((W - s) / 2, a);
    path.lineTo(4, a);
    path.quadTo(0, a, 0, a + 4);
    path.lineTo(0, H - 4);
    path.quadTo(0, H, 4, H);
    path.lineTo(W - 4, H);
    path.quadTo(W, H, W, H - 4);
    path.lineTo(W, a + 4);
    path.quadTo(W, a, W - 4, a);
    path.closeSubpath();

    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setClipPath(path);
    painter.fillRect(rect(), Qt::white);
    QStyleOption option;
    option.initFrom(this);
    style()->drawPrimitive(QStyle::PE_Widget, &option, &painter, this);
}

void Widget::showEvent(QShowEvent* event)
{
    // Every opening starts on the palette.
    if (m_selectWidget->isHidden())
    {
        m_selectWidget->show();
        m_colorDialog->hide();
    }
    QFrame::showEvent(event);
}

// ---- popup frame -------------------------------------------------------------------------------

Menu::Menu(QWidget* parent) : QMenu(parent)
{
    setWindowFlags(windowFlags() | Qt::FramelessWindowHint);
    setAttribute(Qt::WA_TranslucentBackground);
    keepShapeWithoutCompositor(this);
    const int m = int(6 * screenZoom);
    setContentsMargins(m, m, m, m);
}

void Menu::showEvent(QShowEvent* event)
{
    // The bubble's arrow stands under the tool button.
    move(int(pos().x() - 0.5 * width() + 20 * screenZoom), pos().y());
    QWidget::showEvent(event);
}

bool Menu::event(QEvent* event)
{
    return QWidget::event(event);
}
