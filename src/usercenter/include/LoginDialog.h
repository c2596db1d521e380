#pragma once
// The login window: a frameless panel with three pages chosen by tabs in its header, the login
// page, a registration page that is never shown (registration happens on the service's web
// site) and the password-recovery page.
//
// Callers run it with exec(): Accepted means the service client is logged in, the name used is
// remembered in the per-user settings (with an empty password: no password is ever stored) and
// the user's cloud certificate has been fetched.

#include <QDialog>
#include <QPixmap>
#include <QPoint>
#include <QString>

class FoundPassWord;
class LoadingWidget;
class QButtonGroup;
class QCheckBox;
class QLineEdit;
class QPushButton;
class QStackedWidget;
class QToolButton;
class RegisterWidget;

// The login page: account, password, "登 录", and the links "注册" and "忘记密码？".
class LoginWidget : public QWidget
{
    Q_OBJECT
public:
    explicit LoginWidget(QWidget* parent = nullptr);
    ~LoginWidget() override;

    // Prefills the account with the most recent remembered name and offers all of them while
    // typing; the password is never prefilled.
    void readSetting();

    QLineEdit* accountField() const { return m_iPhone; }
    QLineEdit* passwordField() const { return m_passWord; }
    QPushButton* loginButton() const { return btnLogin; }
    QPushButton* registerLink() const { return m_registerBtn; }
    QPushButton* forgetLink() const { return m_forgetPassWord; }
    LoadingWidget* busyBox() const { return m_loading; }
    // True from sending a login until its answer arrives or the user cancels it.
    bool isWaiting() const { return m_waiting; }

signals:
    // The login succeeded (after its toast has closed).
    void login();
    // "忘记密码？" was clicked.
    void forgetPassWord();

public slots:
    // Checks the two fields and sends the login; returns when the busy box has gone. Does
    // nothing while a login is already on its way.
    void loginIn();
    void LoginError_Slot(QString error);
    void LoginSucc_Slot();

private slots:
    // The user closed the busy box: the request is dropped and the page is usable again.
    void cancelLogin();

private:
    QLineEdit* m_iPhone = nullptr;
    QLineEdit* m_passWord = nullptr;
    QCheckBox* m_remeberPassWord = nullptr;
    QPushButton* m_forgetPassWord = nullptr;
    QPushButton* m_registerBtn = nullptr;
    QPushButton* m_qrCode = nullptr;
    LoadingWidget* m_loading = nullptr;
    bool m_bPassword = true;   // the password is shown masked
    QPushButton* btnLogin = nullptr;
    bool m_waiting = false;
};

class LoginDialog : public QDialog
{
    Q_OBJECT
public:
    explicit LoginDialog(QWidget* parent = nullptr);
    ~LoginDialog() override;

    // Page ids: the stack index of each page and the id of its tab.
    enum PageId { LoginPageId = 0, RegisterPageId = 1, RecoveryPageId = 2 };

    int currentPageId() const { return m_ID; }
    QStackedWidget* pageStack() const { return m_stackedWidget; }
    QWidget* panel() const { return _privateWidget; }
    LoginWidget* loginPage() const { return m_loginWidget; }
    FoundPassWord* recoveryPage() const { return m_fp; }
    QToolButton* tab(int id) const;
    QPushButton* closeButton() const { return btnClose; }
    QPushButton* siteButton() const { return m_siteButton; }

signals:
    // Declared for callers; nothing emits it.
    void closeDialog();

public slots:
    // Closes the window.
    void allowlogin();
    // A tab was clicked: shows its page.
    void buttonClicked_Slot(int id);

protected:
    bool eventFilter(QObject* obj, QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    // Escape rejects; Return or Enter submits the page shown (login or recovery).
    void keyPressEvent(QKeyEvent* event) override;

private:
    void showPage(int id);

    QWidget* _privateWidget = nullptr;
    QToolButton* m_tbnLogin = nullptr;
    QToolButton* m_tbnRegister = nullptr;
    QToolButton* m_tbnfoundPassWord = nullptr;
    QButtonGroup* m_tabs = nullptr;
    QStackedWidget* m_stackedWidget = nullptr;
    QPixmap m_background;
    LoginWidget* m_loginWidget = nullptr;
    RegisterWidget* m_register = nullptr;
    FoundPassWord* m_fp = nullptr;
    QPushButton* btnClose = nullptr;
    QPushButton* m_siteButton = nullptr;
    int m_ID = 0;
    bool isLeftPressDown = false;
    QPoint dragPosition;
};
