#include "ColorWidget.h"

#include "GlobalHeader.h"

#include <QButtonGroup>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QToolButton>
#include <QVariant>
#include <QVBoxLayout>

static void initPalettePictures()
{
    static bool done = false;
    if (!done) {
        Q_INIT_RESOURCE(palette);
        done = true;
    }
}

ColorWidget::ColorWidget(QList<QColor> colors, QWidget* parent, bool titler)
    : QWidget(parent)
    , m_colors(colors.mid(0, 4))
    , m_bTiter(titler)
{
    initPalettePictures();
    m_w2 = int(12 * screenZoom);
    if (m_w2 % 2)
        ++m_w2;
    m_h2 = m_w2;
    const QSize buttonSize(m_w2 + 8, m_h2 + 8);

    auto makeSwatch = [this, buttonSize](const QColor& color) {
        auto* btn = new QToolButton(this);
        btn->setCheckable(true);
        btn->setFixedSize(buttonSize);
        btn->setIconSize(QSize(m_w2, m_h2));
        btn->setIcon(createColorIcon(color, m_w2));
        return btn;
    };

    m_group = new QButtonGroup(this);
    m_group->setExclusive(true);
    auto* swatchRow = new QHBoxLayout;
    swatchRow->setSpacing(int(8 * screenZoom));
    for (int i = 0; i < m_colors.size(); ++i) {
        m_colorBtn[i] = makeSwatch(m_colors.at(i));
        m_group->addButton(m_colorBtn[i], i);
        swatchRow->addWidget(m_colorBtn[i]);
    }
    if (m_colorBtn[0])
        m_colorBtn[0]->setChecked(true);

    m_blendBtn = new QToolButton(this);
    m_blendBtn->setCheckable(true);
    m_blendBtn->setFixedSize(buttonSize);
    m_blendBtn->setObjectName("#blendBtn");
    m_blendBtn->setStyleSheet(QStringLiteral(
        "QToolButton{border:none;padding:3px;background:transparent;image:url(:/Resources/images/blend.png);}"
        "QToolButton:hover{image:url(:/Resources/images/black.png);}"));

    m_tempBtn = makeSwatch(m_tempColor);
    m_group->addButton(m_tempBtn, m_colors.size());

    auto* separator = new QLabel(this);
    separator->setProperty("line", QVariant(true));
    separator->setFixedSize(int(10 * screenZoom), 1);

    auto* customRow = new QHBoxLayout;
    customRow->setSpacing(0);
    customRow->addWidget(m_tempBtn);
    customRow->addWidget(separator);
    customRow->addWidget(m_blendBtn);

    auto* outerRow = new QHBoxLayout;
    outerRow->setSpacing(int(16 * screenZoom));
    outerRow->addLayout(swatchRow);
    outerRow->addLayout(customRow);

    m_title = new QLabel(QStringLiteral("颜色"), this);
    m_title->setProperty("line", QVariant(false));
    m_title->setVisible(m_bTiter);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_title);
    layout->addLayout(outerRow);

    // A round ring around the hovered or checked swatch.
    const double radius = (m_w2 + 8) / 2.0;
    setStyleSheet(QStringLiteral("QToolButton{border:none;background:transparent;padding:0px;}"
                                 "QToolButton:hover,QToolButton:checked{border:2px solid #2181c1;border-radius:%1px;}"
                                 "ColorWidget{background:#FEFEFE;}"
                                 "QLabel[line='true']{background:#EAEDF1;}"
                                 "QLabel[line='false']{color:#666666;font-family:'微软雅黑';}")
                      .arg(radius, 0, 'g', 6));
    setAttribute(Qt::WA_StyledBackground, true);

    connect(m_group, &QButtonGroup::idClicked, this, &ColorWidget::buttonClicked_slot);
    connect(m_blendBtn, &QToolButton::clicked, this, &ColorWidget::blendBtnClicked);
}

QToolButton* ColorWidget::swatch(int i) const
{
    if (i >= 0 && i < m_colors.size())
        return m_colorBtn[i];
    return i == m_colors.size() ? m_tempBtn : nullptr;
}

QIcon ColorWidget::createColorIcon(const QColor& color, int side)
{
    QPixmap pixmap(side, side);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHints(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(color);
    painter.drawEllipse(0, 0, side, side);
    painter.end();
    return QIcon(pixmap);
}

void ColorWidget::buttonClicked_slot(int i)
{
    emit setColor_signal(i >= 0 && i < m_colors.size() ? m_colors.at(i) : m_tempColor);
}

void ColorWidget::setCustomColor(QColor color)
{
    m_tempColor = color;
    m_tempBtn->setIcon(createColorIcon(m_tempColor, m_w2));
    m_tempBtn->setChecked(true);
    emit setColor_signal(m_tempColor);
}
