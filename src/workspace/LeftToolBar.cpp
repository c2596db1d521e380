#include "LeftToolBar.h"

#include "GlobalHeader.h"
#include "SignatureListWidget.h"
#include "ThumbnailWidget.h"

#include <QButtonGroup>
#include <QHBoxLayout>
#include <QPainter>
#include <QPushButton>
#include <QStackedWidget>
#include <QStyleOption>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

// ---- side panel -----------------------------------------------------------------------------

LeftToolBar::LeftToolBar(QWidget* parent) : QWidget(parent)
{
    auto tabButton = [this](const QString& text, bool checked) {
        QToolButton* b = new QToolButton(this);
        b->setToolButtonStyle(Qt::ToolButtonTextOnly);
        b->setText(text);
        b->setFixedSize(int(60 * screenZoom), int(18 * screenZoom));
        b->setCheckable(true);
        b->setChecked(checked);
        return b;
    };
    QToolButton* thumbs = tabButton(QStringLiteral("缩略图"), true);
    QToolButton* signatures = tabButton(QStringLiteral("签名列表"), false);
    QHBoxLayout* row = new QHBoxLayout();
    row->setSpacing(0);
    row->addStretch();
    row->addWidget(thumbs);
    row->addWidget(signatures);
    row->addStretch();

    m_stackedWidget = new QStackedWidget(this);
    m_btnGroup = new QButtonGroup(this);
    m_btnGroup->setExclusive(true);
    m_btnGroup->addButton(thumbs, 0);
    m_btnGroup->addButton(signatures, 1);
    connect(m_btnGroup, &QButtonGroup::idClicked, m_stackedWidget, &QStackedWidget::setCurrentIndex);

    QVBoxLayout* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 12, 0, 0);
    layout->addLayout(row);
    layout->addWidget(m_stackedWidget, 1);

    setFixedWidth(int(150 * screenZoom));
    setStyleSheet(QStringLiteral("LeftToolBar {border:0px solid rgba(48,48,48,25);border-left-width:0px;"
                                 "background:rgba(248,248,248,1);}"
                                 "QToolButton{padding:0px;border-radius:2px;border:none;background:white;"
                                 "font-size:%1px;}"
                                 "QToolButton:checked{border:none;background:#31CA84;color:white;}")
                      .arg(toFixString(10)));
    hide();
}

void LeftToolBar::addThumbnailWidget(ThumbnailWidget* thumbnail)
{
    m_thumbNail = thumbnail;
    m_stackedWidget->insertWidget(0, thumbnail);
    connect(thumbnail, &ThumbnailWidget::gotoPage, this, qOverload<int>(&LeftToolBar::gotoPage));
}

void LeftToolBar::addSignatureInfoWidget(SignatureListWidget* signList)
{
    m_signInfoWidget = signList;
    m_stackedWidget->insertWidget(1, signList);
    connect(signList, &SignatureListWidget::gotoPage, this, qOverload<int, QPoint>(&LeftToolBar::gotoPage));
}

void LeftToolBar::FollowPageNo(int pageno)
{
    if (m_thumbNail)
        m_thumbNail->pageNoChanged(pageno);
}

void LeftToolBar::setExtend(int id, bool push)
{
    setVisible(push);
    if (id == -1)
        return;
    if (QAbstractButton* b = m_btnGroup->button(id))
        b->setChecked(true);
    m_stackedWidget->setCurrentIndex(id);
}

void LeftToolBar::paintEvent(QPaintEvent*)
{
    QStyleOption opt;
    opt.initFrom(this);
    QPainter p(this);
    style()->drawPrimitive(QStyle::PE_Widget, &opt, &p, this);
}

// ---- expand strip ---------------------------------------------------------------------------

PushWidget::PushWidget(QWidget* parent) : QWidget(parent)
{
    m_btn = new QPushButton(this);
    m_btn->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    m_btn->setIconSize(QSize(int(7 * screenZoom), int(7 * screenZoom)));
    showArrow();
    QHBoxLayout* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_btn);
    setFixedWidth(int(7 * screenZoom));
    setStyleSheet(QStringLiteral("background:#EFF2EC;"));
    connect(
        m_btn, &QPushButton::clicked, this,
        [this] {
            m_bExtend = !m_bExtend;
            showArrow();
            emit extend(-1, m_bExtend);
        },
        Qt::DirectConnection);
}

void PushWidget::showArrow()
{
    m_arrow = m_bExtend ? QStringLiteral(":/Resources/images/dropleft.svg")
                        : QStringLiteral(":/Resources/images/dropright.svg");
    m_btn->setIcon(QIcon(m_arrow));
}

void PushWidget::setPushState(int id, bool bPush)
{
    m_bExtend = bPush;
    showArrow();
    emit extend(id, m_bExtend);
}

void PushWidget::addSignatureToList(int, QVariant)
{
    if (!m_bExtend)
        setPushState(-1, true);
}

void PushWidget::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    const int margin = std::max(0, int((height() - 100 * screenZoom) * 0.5));
    m_btn->setStyleSheet(QStringLiteral("QPushButton{border:none;background:rgba(49,202,132,125);\t\t"
                                        "margin-top:%1px; margin-bottom:%1px;}"
                                        "QPushButton:hover{background:rgba(49,202,132,255);}")
                             .arg(margin));
}

void PushWidget::paintEvent(QPaintEvent*)
{
    QStyleOption opt;
    opt.initFrom(this);
    QPainter p(this);
    style()->drawPrimitive(QStyle::PE_Widget, &opt, &p, this);
}
