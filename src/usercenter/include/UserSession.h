#pragma once
// What the interface shows of the cloud session, and the moves between its two looks.
//
// The service client keeps the session itself; this object keeps the state the screens show
// (0 logged out, 1 logged in) and moves the user centre between its looks. The main window owns
// one, and lets the rest of the window follow its signals:
//
//     auto* session = new UserSession(userCenterPage, busyBox, this);
//     connect(session, &UserSession::loggedIn, titleBar, &TitleBar::setLoginedState);   // home page,
//     connect(session, &UserSession::loggedOut, titleBar, &TitleBar::setLogoutedState); // document centre …
//     connect(session, &UserSession::logoutSignal, signPage, &SignPage::logoutSlot);    // close every tab
//     connect(signPage, &SignPage::loginAgain, session, &UserSession::LoginAgain, Qt::QueuedConnection);
//
// Every failure the service client reports (sendErroeCodeInfo) arrives here queued, and is shown
// only while no synchronous request waits for its reply: the request that failed, and any other
// request started meanwhile, have returned to their callers before the warning box opens and a
// rejected session (types 0 to 2) logs every page out. A rejection met by several requests is
// told once. The workspace closes its tabs on logoutSignal() and deletes their frames with
// deleteLater, watching them with QPointer across its own modal loops, so no request of a tab
// runs on after its tab is gone.

#include <QObject>
#include <QPointer>
#include <QString>

class LoadingWidget;
class UserCenterPage;

class UserSession : public QObject
{
    Q_OBJECT
public:
    // userCenter: the user-centre page moved between its looks. busyBox: shown while a logout
    // waits for its answer (may be null).
    UserSession(UserCenterPage* userCenter, LoadingWidget* busyBox, QObject* parent = nullptr);
    ~UserSession() override;

    // 0 logged out, 1 logged in, as the screens show it.
    int loginState() const { return m_loginState; }

    // Runs the login window (without parent) when the service client is logged out; after a
    // successful login every page takes the logged-in look, and a user still on the initial
    // password is asked to change it (askToChangeInitialPassword). True when the login happened.
    bool runLoginDialog();
    // The login window alone (without parent), for a login that another screen started (a
    // signing tool of the workspace): true when the service client is logged in afterwards. The
    // looks follow through setUserPageLoginState(); no password question is asked.
    static bool execLoginDialog();
    // True when the logged-in user still has the password the service gave the account: a
    // company account whose login name is its credit code, with no password change yet.
    static bool hasInitialPassword();
    // For such a user, asks "修改密码" whether to change it now; Yes runs the account page's
    // change-password dialog. True when the question was asked. A login started from a signing
    // tool does not ask.
    bool askToChangeInitialPassword();
    // Starts the logout of the account menu: the busy box shows "正在注销..." until the answer
    // arrives at logoutSucc() or logoutError().
    void logout();

public slots:
    // The logged-in look, after any successful login (the login window's, or the workspace's).
    void setUserPageLoginState();
    // The logged-out look after a logout; the workspace is told to close every tab.
    void logoutSucc();
    // The logout failed: for a session code (51000 to 51003) the looks are reset silently (the
    // client's error report follows with the message and a full logout); otherwise a toast.
    void logoutError(int code, QString error);
    // A failure the service client (or the workspace) reported, by type: 0 invalid token, 1 login
    // expired, 2 logged in elsewhere, 999 other, -1 unknown. Shows the warning; types 0 to 3 then
    // log every page out.
    void LoginAgain(int type, QString errorInfo);

signals:
    // The user centre took the logged-in look; the title bar, the home page and the document
    // centre follow.
    void loggedIn();
    // The user centre took the logged-out look (every logout, forced or not).
    void loggedOut();
    // The workspace closes every document tab.
    void logoutSignal();

private:
    void showLoggedOut();
    void deliverReport(int type, const QString& errorInfo);

    QPointer<UserCenterPage> m_userCenter;
    QPointer<LoadingWidget> m_busyBox;
    int m_loginState = 0;
    bool m_sessionReportTaken = false;
};
