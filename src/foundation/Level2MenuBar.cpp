#include "Level2MenuBar.h"

#include "GlobalHeader.h"
#include "ParentDialog.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QGraphicsDropShadowEffect>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace {
int scaled(double v)
{
    return int(v * screenZoom);
}
} // namespace

BlockWidget::BlockWidget(QWidget* parent)
    : QFrame(parent)
{
    _titler = new QLabel(this);
    _top = new QWidget(this);
    _top->setObjectName("blockTop");
    _top->setAttribute(Qt::WA_StyledBackground);
    _top->setFixedHeight(scaled(26));
    m_topLayout = new QHBoxLayout(_top);
    _widget = new QWidget(this);
    _widget->setObjectName("blockBottom");
    _widget->setAttribute(Qt::WA_StyledBackground);

    auto* layout = new QVBoxLayout(this);
    layout->setSpacing(0);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(_top);
    layout->addWidget(_widget);

    setStyleSheet(QStringLiteral("#blockTop{border-top-left-radius:%1px;border-top-right-radius:%1px;\t\t"
                                 "color:#999999;background:#FBFBFB;}"
                                 "#blockTop QLabel{color:#999999;font-size:%2px;}"
                                 "#blockBottom{border-bottom-right-radius:%1px;border-bottom-left-radius:%1px;\t\t"
                                 "background:white;color:#278E60;}")
                      .arg(toFixString(2), toFixString(9.5)));

    auto* shadow = new GraphicsDropShadowEffect(this);
    shadow->setColor(QColor(164, 161, 161, 58));
    setGraphicsEffect(shadow);
}

void BlockWidget::setTitler(QString str, QPushButton* pbn, int type, QString titleStyle, QComboBox* comBox)
{
    _titler->setText(str);
    _titler->setStyleSheet(titleStyle);
    if (pbn) {
        pbn->setFixedSize(scaled(52), scaled(20));
        pbn->setProperty("mode", "style2");
    }
    if (pbn && type == 1) {
        m_topLayout->addWidget(pbn);
        m_topLayout->addWidget(_titler);
        m_topLayout->addStretch();
        m_topLayout->setContentsMargins(scaled(16), 0, 0, 0);
    } else {
        m_topLayout->addWidget(_titler);
        if (comBox)
            m_topLayout->addWidget(comBox);
        if (pbn)
            m_topLayout->addWidget(pbn);
        m_topLayout->setContentsMargins(scaled(16), 0, scaled(16), 0);
    }
}

// ---------------------------------------------------------------------------------------------

Level2MenuBar::Level2MenuBar(QStringList toolsText, QString title, QPixmap pixmap, QSize size, QWidget* parent,
                             bool isBtnPush, const QString& btnText)
    : QFrame(parent)
    , _toolsText(toolsText)
    , _titler(title)
    , _text(btnText)
    , _isBtnPush(isBtnPush)
{
    auto* panel = new QWidget(this);

    _iconLabel = new QLabel(panel);
    _iconLabel->setFixedSize(scaled(25), scaled(25));
    _iconLabel->setScaledContents(true);
    _iconLabel->setPixmap(pixmap);
    _iconLabel->setFixedSize(size);
    _textLabel = new QLabel(title, panel);
    _textLabel->setProperty("style", "level1");
    auto* titleRow = new QHBoxLayout;
    titleRow->addWidget(_iconLabel);
    titleRow->addWidget(_textLabel);
    titleRow->addStretch();

    btngroup = new QButtonGroup(this);
    btngroup->setExclusive(true);
    auto* tabRow = new QHBoxLayout;
    for (int i = 0; i < toolsText.size(); ++i) {
        auto* tab = new QToolButton(panel);
        tab->setText(toolsText[i]);
        tab->setCheckable(true);
        tab->setFixedSize(scaled(66), scaled(40));
        btngroup->addButton(tab, i);
        tabRow->addWidget(tab);
        if (i == 0)
            tab->setChecked(true);
        if (toolsText[i] == QString::fromUtf8("我的授权")) {
            auto* badgeLayout = new QHBoxLayout(tab);
            m_redLabel = new QLabel(tab);
            m_redLabel->setFixedSize(8, 8);
            m_redLabel->setStyleSheet("QLabel{background-color:red;border-radius:4px;}");
            badgeLayout->addWidget(m_redLabel, 0, Qt::AlignRight | Qt::AlignTop);
            m_redLabel->hide();
        }
    }
    if (isBtnPush) {
        m_pushBtn = new QToolButton(panel);
        m_pushBtn->setText(btnText);
        m_pushBtn->setFixedHeight(scaled(30));
        m_pushBtn->setStyleSheet(QStringLiteral("QToolButton{background-color:transparent;font-size:%1px;"
                                                "color:#ABABAB;}QToolButton:hover{color:rgb(128,128,128);}")
                                     .arg(toFixString(10.5)));
        connect(m_pushBtn, &QToolButton::clicked, this, &Level2MenuBar::btnPushClicked);
        tabRow->addWidget(m_pushBtn);
    }
    tabRow->addStretch();

    auto* panelLayout = new QVBoxLayout(panel);
    panelLayout->setContentsMargins(0, 0, 0, 0);
    panelLayout->setSpacing(14);
    panelLayout->addStretch(2);
    panelLayout->addLayout(titleRow);
    panelLayout->addStretch(1);
    panelLayout->addLayout(tabRow);

    panel->setFixedSize(scaled(924), scaled(113));
    panel->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(panel, 1, Qt::AlignCenter);
    setFixedHeight(scaled(113));

    setStyleSheet(QStringLiteral("Level2MenuBar{background:white;border:0px solid #A4A1A1;border-bottom-width:0px;}"
                                 "QLabel[style='level1']{color:#278E60;font-size:%1px;}\t\t\t\t\t\t "
                                 "QToolButton{border:%2px solid transparent;font-size:%3px;padding-bottom:10px;"
                                 "color:#ABABAB;}\t\t\t\t\t\t QToolButton:hover{color:gray;}\t\t\t\t\t\t "
                                 "QToolButton:checked{color:#278E60;border-bottom-color:#31CA84;}")
                      .arg(toFixString(16.5), toFixString(2), toFixString(9.5)));

    auto* shadow = new QGraphicsDropShadowEffect(this);
    shadow->setColor(QColor(164, 161, 161, 58));
    shadow->setBlurRadius(7);
    shadow->setOffset(0, 2);
    setGraphicsEffect(shadow);

    connect(btngroup, &QButtonGroup::idClicked, this, &Level2MenuBar::toolbtnClicked);
}

void Level2MenuBar::setMenuBtnClicked(int id, bool isCheck)
{
    if (QAbstractButton* b = btngroup->button(id))
        b->setChecked(isCheck);
}

void Level2MenuBar::setBtnHide(int id)
{
    if (QAbstractButton* b = btngroup->button(id))
        b->hide();
}

QButtonGroup* Level2MenuBar::getBtnGroup()
{
    return btngroup;
}

void Level2MenuBar::setRedLabel(bool isHidden)
{
    if (m_redLabel)
        m_redLabel->setHidden(isHidden);
}
