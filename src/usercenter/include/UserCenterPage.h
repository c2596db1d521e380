#pragma once
// The user centre, page 4 of the main window: the not-logged-in page while nobody is logged in,
// the container of the user-centre pages otherwise. It keeps the one container, which every
// screen reaches through getUserManageFrame().

#include <QFrame>
#include <QPoint>
#include <QPointer>

class QStackedWidget;
class UserManageFrame;
class UserUnloginFrame;

class UserCenterPage : public QFrame
{
    Q_OBJECT
public:
    // Stack indices of the two looks.
    enum { LoggedOutIndex = 0, LoggedInIndex = 1 };

    explicit UserCenterPage(QWidget* parent = nullptr);
    ~UserCenterPage() override;

    // The one user-centre container; null before a user-centre page is built and after it is gone.
    static UserManageFrame* getUserManageFrame();
    UserUnloginFrame* getUserUnloginFrame() const { return m_userunloginFrame; }
    QStackedWidget* stackWidget() const { return m_stackedWidget; }

    // The logged-in look: the container, on its freshly loaded account page.
    void setLoginedState();
    // The logged-out look: the not-logged-in page; the container's pages back in their places.
    void setLogoutedState();

signals:
    void sigCertRenewSucess();
    // Relays the pages' session reports; session errors reach the interface through the
    // service client's error report instead.
    void loginAgain(int type);
    // Declared for callers; nothing emits it.
    void login_signal(QPoint pt);

private:
    static QPointer<UserManageFrame> m_usermanageFrame;
    UserManageFrame* m_container = nullptr;   // this page's own container
    UserUnloginFrame* m_userunloginFrame = nullptr;
    QStackedWidget* m_stackedWidget = nullptr;
};
