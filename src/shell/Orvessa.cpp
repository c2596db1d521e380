#include "Orvessa.h"

#include "CLog.h"
#include "FileCenterPage.h"
#include "FileManagerPage.h"
#include "GlobalHeader.h"
#include "LoadingWidget.h"
#include "NetWorkBusiness.h"
#include "QuickMessageBox.h"
#include "RegeditSettings.h"
#include "UserCenterPage.h"
#include "UserSession.h"
#include "UserUnloginFrame.h"

#include <QCloseEvent>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QStackedWidget>
#include <QTimer>
#include <QVBoxLayout>

namespace {
const char* const kUnLoginText = " 请登录！";
}

Orvessa::Orvessa(QWidget* parent)
    : BorderlessWidget(parent)
{
    // The one-shot cleaner of old log files runs in the background while the window is built.
    m_logClearThread = new CLogClearThread;
    m_logClearThread->start(QThread::InheritPriority);

    initUi();
    g_topWidget = this;
    NetWorkBusiness::Instance();
    RegeditSettings::Instance();
    if (RegeditSettings::Instance()->associtatedHinted())
        QTimer::singleShot(500, this, &Orvessa::isDefaultPdfReader);
    setMouseTracking(true);
}

Orvessa::~Orvessa()
{
    if (g_topWidget == this)
        g_topWidget = nullptr;
    // The cleaner is short; it is waited for so that no thread outlives its object.
    m_logClearThread->wait();
    delete m_logClearThread;
}

void Orvessa::initUi()
{
    setWindowTitle("Orvessa");
    setWindowIcon(QIcon(":/APP.ico"));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    m_titleBar = new QWidget(this);
    m_titleBar->setObjectName("titleBar");
    m_titleBar->setFixedHeight(int(36 * screenZoom));
    m_titleBar->setStyleSheet("QWidget#titleBar{background:rgba(49,202,132,1);}"
                              "QLabel{color:white;}"
                              "QPushButton{color:white;border:none;background:transparent;}"
                              "QPushButton:hover{background:#2CBB7B;}");
    auto* titleLayout = new QHBoxLayout(m_titleBar);
    titleLayout->setContentsMargins(int(10 * screenZoom), 0, 0, 0);
    auto* logo = new QLabel(m_titleBar);
    logo->setPixmap(QIcon(":/APP.ico").pixmap(int(22 * screenZoom), int(22 * screenZoom)));
    auto* name = new QLabel("Orvessa", m_titleBar);
    m_userButton = new QPushButton(QString::fromUtf8(kUnLoginText), m_titleBar);
    m_userButton->setObjectName("userButton");
    connect(m_userButton, &QPushButton::clicked, this,
            [this] { userBtnClicked(m_userButton->mapToGlobal(m_userButton->rect().bottomLeft())); });
    titleLayout->addWidget(logo);
    titleLayout->addWidget(name);
    titleLayout->addStretch(1);
    titleLayout->addWidget(m_userButton);
    const char* const buttonTexts[] = {"\xE2\x80\x94", "\xE2\x96\xA1", "\xE2\x9C\x95"};
    for (int i = 0; i < 3; ++i) {
        auto* b = new QPushButton(QString::fromUtf8(buttonTexts[i]), m_titleBar);
        b->setObjectName(QStringLiteral("windowButton%1").arg(i));
        b->setFixedSize(int(36 * screenZoom), int(36 * screenZoom));
        connect(b, &QPushButton::clicked, this, [this, i] { titleBarToolsClick(i); });
        titleLayout->addWidget(b);
    }
    layout->addWidget(m_titleBar);

    m_stackWidget = new QStackedWidget(this);
    const char* const pageNames[] = {"homePage", "signPage", "fileCenterPage", "templatePage", "userCenterPage",
                                     "helpCenterPage"};
    for (const char* pageName : pageNames) {
        QWidget* page = nullptr;
        if (m_stackWidget->count() == UserCenterPageId)
            page = m_userCenterPage = new UserCenterPage(m_stackWidget);
        else if (m_stackWidget->count() == FileCenterPageId)
            page = m_fileCenterPage = new FileCenterPage(m_stackWidget);
        else
            page = new QWidget(m_stackWidget);
        page->setObjectName(pageName);
        m_stackWidget->addWidget(page);
    }
    m_stackWidget->setCurrentIndex(HomePageId);
    layout->addWidget(m_stackWidget);

    setMinimumSize(int(800 * screenZoom), int(500 * screenZoom));

    m_loading = new LoadingWidget(this, Qt::Vertical);
    m_loading->hide();

    // The session looks: the user centre follows the session object; the account button here.
    m_session = new UserSession(m_userCenterPage, m_loading, this);
    connect(m_session, &UserSession::loggedIn, this, &Orvessa::showAccount);
    connect(m_session, &UserSession::loggedOut, this, &Orvessa::showAccount);
    connect(m_session, &UserSession::logoutSignal, this, &Orvessa::logoutSignal);
    connect(m_userCenterPage->getUserUnloginFrame(), &UserUnloginFrame::login_signal, this, &Orvessa::userBtnClicked);
    // The document centre follows the session: its list after a login, its not-logged-in page after
    // a logout.
    connect(m_fileCenterPage->getuserUnloginFrame(), &UserUnloginFrame::login_signal, this, &Orvessa::userBtnClicked);
    connect(m_session, &UserSession::loggedIn, this, [this] { m_fileCenterPage->setLoginedState(cur_PageId); });
    connect(m_session, &UserSession::loggedOut, this, [this] { m_fileCenterPage->setLogoutedState(); });
}

int Orvessa::loginState() const
{
    return m_session->loginState();
}

void Orvessa::showAccount()
{
    const BusinessInfo* info = NetWorkBusiness::Instance()->getBusinessInfo();
    if (m_session->loginState() == 0 || !info) {
        m_userButton->setText(QString::fromUtf8(kUnLoginText));
        return;
    }
    m_userButton->setText(info->authenStatus == 1 ? info->userName : QStringLiteral("未认证用户"));
}

void Orvessa::userBtnClicked(QPoint pt)
{
    if (NetWorkBusiness::Instance()->getLoginState() != NetWorkBusiness::LOGINED) {
        m_session->runLoginDialog();
        return;
    }
    QMenu menu;
    QAction* account = menu.addAction(m_userButton->text());
    menu.addSeparator();
    QAction* logout = menu.addAction(QStringLiteral("注销"));
    QAction* chosen = menu.exec(pt);
    if (chosen == account)
        turnPage(UserCenterPageId);
    else if (chosen == logout)
        m_session->logout();
}

void Orvessa::closeEvent(QCloseEvent* event)
{
    BorderlessWidget::closeEvent(event);
    if (event->isAccepted())
        NetWorkBusiness::Instance()->logoutAtExit();
}

void Orvessa::openFile(const QString& fileName)
{
    m_loading->hide();
    if (fileName.isEmpty()) {
        QuickMessageBox::abort(this, QString::fromUtf8("转换文件失败！"), qmt_nothing, 2000);
        return;
    }
    if (!QFileInfo::exists(fileName)) {
        QuickMessageBox::abort(g_topWidget, QString::fromUtf8("打开文件失败，未找到对应的文件！"), qmt_error, 2000);
        return;
    }
    // The signing workspace opens the document in a tab of its own.
}

void Orvessa::isDefaultPdfReader()
{
}

void Orvessa::turnPage(int pageid)
{
    if (pageid < 0 || pageid >= m_stackWidget->count())
        return;
    cur_PageId = pageid;
    m_stackWidget->setCurrentIndex(pageid);
    if (pageid == FileCenterPageId && loginState() == NetWorkBusiness::LOGINED)
        FileCenterPage::getFileManageFrame()->getContractInfo();
}

void Orvessa::titleBarToolsClick(int index)
{
    switch (index) {
    case 0:
        showMinimized();
        break;
    case 1:
        showWindowandUpdateIcon();
        break;
    case 2:
        close();
        break;
    default:
        break;
    }
}

void Orvessa::showWindowandUpdateIcon()
{
    if (isMaximized()) {
        emit MaxMizeSignal(false);
        showNormal();
    } else {
        emit MaxMizeSignal(true);
        showMaximized();
    }
}
