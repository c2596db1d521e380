#include "TitleBar.h"

#include "GlobalHeader.h"
#include "NetWorkBusiness.h"
#include "ShellResources.h"
#include "UserAccountFrame.h"
#include "UserCenterPage.h"
#include "UserManageFrame.h"

#include <QButtonGroup>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QSpacerItem>
#include <QToolButton>
#include <cmath>

namespace {

const char* const kPageTexts[TitleBar::PageCount] = {"首页", "签名", "文档管理", "合同模板", "用户管理", "帮助中心"};
const char* const kLoggedOutText = " 请登录！";
const char* const kUserDisabledIcon = ":/Resources/images/user_disable.svg";

int z(double v)
{
    return int(v * screenZoom);
}

QSpacerItem* spacer(int width)
{
    return new QSpacerItem(width, 2, QSizePolicy::Minimum, QSizePolicy::Minimum);
}

// The avatar drawn into a round 84 x 84 picture.
QPixmap roundAvatar(const QPixmap& picture)
{
    QPixmap round(84, 84);
    round.fill(Qt::transparent);
    QPainter painter(&round);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
    QPainterPath path;
    path.addEllipse(0, 0, 84, 84);
    painter.setClipPath(path);
    if (!picture.isNull())
        painter.drawPixmap(QRect(0, 0, 84, 84), picture.scaled(84, 84, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    return round;
}

} // namespace

TitleBar::TitleBar(QWidget* parent)
    : QFrame(parent)
{
    initShellResources();
    setObjectName(QStringLiteral("TitleBar"));
    initUi();
}

TitleBar::~TitleBar() = default;

void TitleBar::initUi()
{
    setFixedHeight(int(std::lround(36 * screenZoom)));

    m_logo_label = new QLabel(this);
    m_logo_label->setFixedSize(z(84), z(23));
    m_logo_label->setScaledContents(true);
    m_logo_label->setPixmap(QPixmap(QStringLiteral(":/Resources/images/logo.png")));

    auto* verflag = new QFrame(this);
    verflag->setObjectName(QStringLiteral("verflag"));
    verflag->setFixedSize(1, z(18));

    m_group = new QButtonGroup(this);
    m_group->setExclusive(true);
    auto* pageRow = new QHBoxLayout;
    pageRow->setSpacing(z(20));
    pageRow->setContentsMargins(0, 0, 0, 0);
    for (int i = 0; i < PageCount; ++i) {
        auto* button = new QToolButton(this);
        button->setFixedWidth(z(70));
        button->setCheckable(true);
        button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
        button->setText(QString::fromUtf8(kPageTexts[i]));
        m_group->addButton(button, i);
        pageRow->addWidget(button);
        m_tools[i] = button;
    }
    auto* dotLayout = new QHBoxLayout(m_tools[4]);
    dotLayout->setContentsMargins(0, 0, 0, 0);
    m_redImg = new QLabel(m_tools[4]);
    m_redImg->setFixedSize(8, 8);
    m_redImg->setStyleSheet(QStringLiteral("QLabel{background-color:red;border-radius:4px;}"));
    dotLayout->addWidget(m_redImg, 0, Qt::AlignRight | Qt::AlignTop);
    m_redImg->hide();
    m_tools[0]->setChecked(true);
    m_tools[1]->hide();
    m_tools[3]->hide();

    m_message_pbn = new QPushButton(this);
    m_message_pbn->setFixedSize(z(20), z(20));
    m_message_pbn->setIconSize(QSize(z(14), z(16)));
    m_message_pbn->setIcon(QIcon(QStringLiteral(":/Resources/images/message.svg")));
    m_message_pbn->setObjectName(QStringLiteral("message"));
    m_message_pbn->setToolTip(QStringLiteral("通知"));

    m_user_pbn = new QToolButton(this);
    m_user_pbn->setText(QString::fromUtf8(kLoggedOutText));
    m_user_pbn->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    m_user_pbn->setObjectName(QStringLiteral("user"));
    m_user_pbn->setIconSize(QSize(z(20), z(20)));
    m_user_pbn->setIcon(QIcon(QString::fromUtf8(kUserDisabledIcon)));
    m_user_pbn->setToolTip(QStringLiteral("账号信息"));

    auto windowButton = [this](const char* icon, const char* tip) {
        auto* b = new QPushButton(this);
        b->setFixedSize(z(20), z(20));
        b->setIconSize(QSize(z(9), z(9)));
        b->setIcon(QIcon(QString::fromUtf8(icon)));
        b->setToolTip(QString::fromUtf8(tip));
        return b;
    };
    m_min_pbn = windowButton(":/Resources/images/min.svg", "最小化");
    m_max_pbn = windowButton(":/Resources/images/max.svg", "最大化");
    m_close_pbn = windowButton(":/Resources/images/close.svg", "关闭");
    m_close_pbn->setProperty("mode", "close");
    auto* windowRow = new QHBoxLayout;
    windowRow->setSpacing(z(10));
    windowRow->setContentsMargins(0, 0, 0, 0);
    windowRow->addWidget(m_min_pbn);
    windowRow->addWidget(m_max_pbn);
    windowRow->addWidget(m_close_pbn);

    auto* layout = new QHBoxLayout(this);
    layout->addWidget(m_logo_label);
    layout->addStretch(1);
    layout->addLayout(pageRow);
    layout->addStretch(2);
    layout->addWidget(m_user_pbn);
    layout->addItem(spacer(z(6)));
    layout->addWidget(m_message_pbn);
    layout->addItem(spacer(z(20)));
    layout->addWidget(verflag);
    layout->addItem(spacer(z(20)));
    layout->addLayout(windowRow);
    layout->setContentsMargins(z(42), 0, z(14), 0);
    layout->setSpacing(0);

    setStyleSheet(QStringLiteral("#TitleBar{background:qlineargradient(x1:0, y1:0, x2:1, y2:1, stop:0 rgba(0,198,120,1), "
                                 "stop:1 rgba(52,203,135,1));}"
                                 "QToolButton{border:%1px solid transparent;font-size:%3px;margin:0px;padding:0px;"
                                 "color:rgba(255,255,255,200);}"
                                 "QToolButton:hover{color:white;}"
                                 "QToolButton:checked{color:white;border-bottom-color:#4FEAA8;}"
                                 "QPushButton{background:transparent;border:none;border-radius:%2px;}"
                                 "QPushButton:hover{background:rgba(255,255,255,50);}"
                                 "QPushButton:pressed{background:rgba(255,255,255,75);}"
                                 "QPushButton[mode='close']:pressed{background:rgba(255,0,0,225);}"
                                 "#message:hover{background:rgba(255,255,255,50);border-radius:%4px;}"
                                 "#message:pressed{background:rgba(255,255,255,75);}"
                                 "#user:hover{background:rgba(255,255,255,50);border-radius:%5px;}"
                                 "#user:pressed{background:rgba(255,255,255,75);}"
                                 "#verflag{background:#EEEEEE;}")
                      .arg(toFixString(2), toFixString(9), toFixString(11.5), toFixString(9), toFixString(1)));

    connect(m_group, &QButtonGroup::idClicked, this, &TitleBar::turnPage);
    connect(m_min_pbn, &QPushButton::clicked, this, &TitleBar::btnClicked);
    connect(m_max_pbn, &QPushButton::clicked, this, &TitleBar::btnClicked);
    connect(m_close_pbn, &QPushButton::clicked, this, &TitleBar::btnClicked);
    connect(m_user_pbn, &QToolButton::clicked, this, [this] {
        const QPoint local(0, m_user_pbn->height() - 1);
        emit userBtnClicked(mapToGlobal(m_user_pbn->mapTo(this, local)));
        m_user_pbn->setFocus();
    });
}

QToolButton* TitleBar::pageButton(int id) const
{
    return id >= 0 && id < PageCount ? m_tools[id] : nullptr;
}

void TitleBar::btnClicked()
{
    QObject* s = sender();
    if (s == m_min_pbn)
        emit titlebarSignals(0);
    else if (s == m_max_pbn)
        emit titlebarSignals(1);
    else if (s == m_close_pbn)
        emit titlebarSignals(2);
}

void TitleBar::turnPageBtnSlot(int pageId)
{
    if (pageId >= 0 && pageId < PageCount)
        m_tools[pageId]->setChecked(true);
}

void TitleBar::showSignTool(bool bShow)
{
    if (bShow) {
        if (m_tools[1]->isHidden())
            m_tools[1]->show();
        m_tools[1]->setChecked(true);
    } else {
        if (!m_tools[1]->isHidden())
            m_tools[1]->hide();
        m_tools[0]->setChecked(true);
    }
}

void TitleBar::setMinMaxIcon(bool brestore)
{
    m_restoreIcon = brestore;
    m_max_pbn->setIcon(QIcon(brestore ? QStringLiteral(":/Resources/images/restore.svg")
                                      : QStringLiteral(":/Resources/images/max.svg")));
}

void TitleBar::getLogoTitleBar(QPixmap pixMap)
{
    m_user_pbn->setIcon(QIcon(pixMap));
}

void TitleBar::setRedLabel(bool isHidden)
{
    m_redImg->setVisible(!isHidden);
}

void TitleBar::setLoginedState()
{
    NetWorkBusiness* client = NetWorkBusiness::Instance();
    const BusinessInfo* info = client->getBusinessInfo();
    if (!info)
        return;
    if (!info->imgUrl.isEmpty()) {
        QPixmap picture;
        picture.loadFromData(client->getFileUrl(info->imgUrl));
        m_user_pbn->setIcon(QIcon(roundAvatar(picture)));
    } else if (info->userType == 0) {
        m_user_pbn->setIcon(QIcon(QStringLiteral(":/usercenter/Resources/images/usercenter/tx.png")));
    } else if (info->userType == 1) {
        m_user_pbn->setIcon(QIcon(QStringLiteral(":/usercenter/Resources/images/usercenter/company.png")));
    }
    m_user_pbn->setText(info->authenStatus == 1 ? info->userName : QStringLiteral("未认证用户"));

    // A new avatar uploaded on the account page shows here at once.
    if (!m_avatarLinked) {
        if (UserManageFrame* frame = UserCenterPage::getUserManageFrame()) {
            if (UserAccountFrame* account = frame->getUserAccount()) {
                connect(account, &UserAccountFrame::senLogoTitleBar, this, &TitleBar::getLogoTitleBar,
                        Qt::UniqueConnection);
                m_avatarLinked = true;
            }
        }
    }
}

void TitleBar::setLogoutedState()
{
    m_user_pbn->setIcon(QIcon(QString::fromUtf8(kUserDisabledIcon)));
    m_user_pbn->setText(QString::fromUtf8(kLoggedOutText));
}
