#include "UserUnloginFrame.h"

#include "GlobalHeader.h"
#include "UserCenterShared.h"

#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

UserUnloginFrame::UserUnloginFrame(QWidget* parent)
    : QWidget(parent)
{
    initUserCenterResources();

    m_userIcon = new QLabel(this);
    m_userIcon->setFixedSize(designPx(58), designPx(58));
    m_userIcon->setPixmap(QIcon(":/usercenter/Resources/images/usercenter/unlogin.svg").pixmap(m_userIcon->size()));
    m_userIcon->setScaledContents(true);
    m_userIcon->setStyleSheet(QStringLiteral("background:transparent;"));

    m_userName = new QLabel(QStringLiteral("用户未登录"), this);
    m_userName->setObjectName("unloginName");
    m_badge = new QLabel(this);
    m_badge->setFixedSize(designPx(14), designPx(17));
    m_badge->setPixmap(QIcon(":/usercenter/Resources/images/usercenter/badge.svg").pixmap(m_badge->size()));
    m_badge->setScaledContents(true);
    m_badge->hide();
    auto* nameRow = new QHBoxLayout;
    nameRow->addStretch();
    nameRow->addWidget(m_userName);
    nameRow->addWidget(m_badge);
    nameRow->addStretch();

    auto* top = new QVBoxLayout;
    top->setSpacing(5);
    top->addWidget(m_userIcon, 0, Qt::AlignCenter);
    top->addLayout(nameRow);

    auto* hint = new QLabel(QStringLiteral("您目前还未登录，请登录！"), this);
    hint->setObjectName("unloginHint");
    m_loginBtn = new QPushButton(QStringLiteral("登录"), this);
    m_loginBtn->setObjectName("unloginButton");
    m_loginBtn->setFixedSize(designPx(130), designPx(28));
    m_loginBtn->setCursor(Qt::PointingHandCursor);
    auto* lower = new QVBoxLayout;
    lower->setSpacing(12);
    lower->addStretch(1);
    lower->addWidget(hint, 0, Qt::AlignCenter);
    lower->addWidget(m_loginBtn, 0, Qt::AlignCenter);
    lower->addStretch(3);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, designPx(150), 0, 0);
    layout->addLayout(top);
    layout->addLayout(lower, 1);

    setStyleSheet(QStringLiteral("QLabel#unloginName{color:#333333;font-size:%1px;}"
                                 "QLabel#unloginHint{color:#B0B0B0;font-size:%2px;}"
                                 "QPushButton#unloginButton{background:#31CA84;color:white;font-size:%2px;"
                                 "border:none;border-radius:%3px;}"
                                 "QPushButton#unloginButton:hover{background:#2CBB7B;}")
                      .arg(toFixString(8.5), toFixString(12), toFixString(13)));

    connect(m_loginBtn, &QPushButton::clicked, this, [this] { emit login_signal(QPoint(0, 0)); });
}

UserUnloginFrame::~UserUnloginFrame() = default;

void UserUnloginFrame::paintEvent(QPaintEvent* event)
{
    const int band = designPx(180) + 1;
    QPainter painter(this);
    painter.drawPixmap(QRect(0, 0, width() + 1, band), QPixmap(":/usercenter/Resources/images/usercenter/background.png"));
    painter.fillRect(QRect(0, band - 1, width(), height() - band + 1), Qt::white);
    painter.end();
    QWidget::paintEvent(event);
}
