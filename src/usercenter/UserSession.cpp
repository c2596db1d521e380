#include "UserSession.h"

#include "GlobalHeader.h"
#include "Level2MenuBar.h"
#include "LoadingWidget.h"
#include "LoginDialog.h"
#include "MMessageBox.h"
#include "NetWorkBusiness.h"
#include "QuickMessageBox.h"
#include "UserAccountFrame.h"
#include "UserCenterPage.h"
#include "UserManageFrame.h"

#include <QTimer>


namespace {

bool isSessionCode(int code)
{
    return code >= 51000 && code <= 51003;
}

bool isSessionType(int type)
{
    return type >= 0 && type <= 3;
}

// How often a report held back by a waiting request is looked at again.
constexpr int kReportRetryMs = 20;

} // namespace

UserSession::UserSession(UserCenterPage* userCenter, LoadingWidget* busyBox, QObject* parent)
    : QObject(parent)
    , m_userCenter(userCenter)
    , m_busyBox(busyBox)
{
    NetWorkBusiness* client = NetWorkBusiness::Instance();
    // Queued: each answer is handled once the code that made the request has returned, never
    // inside the request's own wait or signal.
    connect(client, &NetWorkBusiness::sendErroeCodeInfo, this, &UserSession::LoginAgain, Qt::QueuedConnection);
    connect(client, &NetWorkBusiness::logoutSucc, this, &UserSession::logoutSucc, Qt::QueuedConnection);
    connect(client, &NetWorkBusiness::logoutError, this, &UserSession::logoutError, Qt::QueuedConnection);
}

UserSession::~UserSession() = default;

bool UserSession::execLoginDialog()
{
    NetWorkBusiness* client = NetWorkBusiness::Instance();
    if (client->getLoginState() == NetWorkBusiness::LOGINED)
        return false;
    {
        LoginDialog dialog(nullptr);
        if (dialog.exec() != QDialog::Accepted)
            return false;
    }
    return client->getLoginState() == NetWorkBusiness::LOGINED;
}

bool UserSession::runLoginDialog()
{
    if (!execLoginDialog())
        return false;
    setUserPageLoginState();
    askToChangeInitialPassword();
    return true;
}

bool UserSession::hasInitialPassword()
{
    const BusinessInfo* info = NetWorkBusiness::Instance()->getBusinessInfo();
    return info && !info->creditCode.isEmpty() && info->userAccount == info->creditCode &&
           info->passwordChangeNum == 0;
}

bool UserSession::askToChangeInitialPassword()
{
    if (!hasInitialPassword())
        return false;
    const auto answer = MMessageBox::showQuestion(
        g_topWidget, QStringLiteral("修改密码"), QStringLiteral("目前密码为初始密码，为保证账号安全，请修改密码。"),
        QSize(280, 160), false, QDialogButtonBox::Yes | QDialogButtonBox::No, QDialogButtonBox::NoButton);
    if (answer == QDialogButtonBox::Yes) {
        if (UserManageFrame* frame = UserCenterPage::getUserManageFrame())
            frame->getUserAccount()->modfiyPassword();
    }
    return true;
}

void UserSession::logout()
{
    if (m_busyBox) {
        m_busyBox->setText(QStringLiteral("正在注销..."));
        m_busyBox->show();
    }
    NetWorkBusiness::Instance()->logoutBusiness();
}

void UserSession::setUserPageLoginState()
{
    if (m_userCenter)
        m_userCenter->setLoginedState();
    m_loginState = 1;
    emit loggedIn();
}

void UserSession::showLoggedOut()
{
    if (m_userCenter)
        m_userCenter->setLogoutedState();
    if (UserManageFrame* frame = UserCenterPage::getUserManageFrame())
        frame->getLevel2MenuBar()->setRedLabel(true);
    m_loginState = 0;
    emit loggedOut();
}

void UserSession::logoutSucc()
{
    if (m_busyBox)
        m_busyBox->hide();
    showLoggedOut();
    emit logoutSignal();
}

void UserSession::logoutError(int code, QString error)
{
    if (m_busyBox)
        m_busyBox->hide();
    if (isSessionCode(code)) {
        // The session is already gone on the service's side; the client's report follows.
        showLoggedOut();
        return;
    }
    QuickMessageBox::abort(g_topWidget, error, qmt_error, 2000);
}

void UserSession::LoginAgain(int type, QString errorInfo)
{
    // One rejection of the session is told once: the reports of further requests that met it,
    // arriving before its logout has finished, add nothing.
    if (isSessionType(type)) {
        if (m_sessionReportTaken)
            return;
        m_sessionReportTaken = true;
    }
    deliverReport(type, errorInfo);
}

void UserSession::deliverReport(int type, const QString& errorInfo)
{
    // A synchronous request is still waiting for its reply (the report was picked up by its
    // nested wait): logging out now would delete the tab that request returns to. Later.
    if (NetWorkBusiness::Instance()->waitingCalls() > 0) {
        QTimer::singleShot(kReportRetryMs, this, [this, type, errorInfo] { deliverReport(type, errorInfo); });
        return;
    }
    const QString text = type == -1 ? QStringLiteral("程序发生了未知错误！") : errorInfo;
    MMessageBox::showWarning(g_topWidget, QStringLiteral("Orvessa"), text, QSize(280, 160), QDialogButtonBox::Ok,
                             QDialogButtonBox::NoButton);
    if (!isSessionType(type))
        return;
    logoutSucc();
    // Posted behind every report already queued, so that only those are dropped.
    QMetaObject::invokeMethod(this, [this] { m_sessionReportTaken = false; }, Qt::QueuedConnection);
}
