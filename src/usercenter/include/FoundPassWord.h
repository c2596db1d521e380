#pragma once
// The two other pages of the login window: password recovery (a code sent to the account's
// contact phone or e-mail, then a new password) and the registration form, which is built but
// never shown because registration happens on the service's web site.

#include <QPointer>
#include <QWidget>

class LoadingWidget;
class QLineEdit;
class QPushButton;
class QTimer;

class FoundPassWord : public QWidget
{
    Q_OBJECT
public:
    // boxParent: the widget over which the "code sent" box is shown (the login window's panel).
    explicit FoundPassWord(QWidget* boxParent = nullptr);
    ~FoundPassWord() override;

    // Empties the four fields and ends a running countdown.
    void clearText();

    QLineEdit* accountField() const { return m_userName; }
    QLineEdit* passwordField() const { return m_passWord; }
    QLineEdit* confirmField() const { return m_rePassWord; }
    QLineEdit* codeField() const { return m_iPhoneVerityNums; }
    QPushButton* codeButton() const { return m_getVerityNums; }
    QPushButton* okButton() const { return m_btnOk; }
    QPushButton* loginLink() const { return m_btnLogin; }
    QTimer* countdownTimer() const { return m_smsTimer; }
    int countdownValue() const { return m_smsTimeCount; }

signals:
    // The login page should be shown again.
    void gotoLogin();

public slots:
    // Asks the service to send a code to the account's contact phone or e-mail.
    void getVerfiyNo();
    // Checks the fields and sends the reset; does nothing while a reset is on its way.
    void modifyPassword();
    // One countdown step (the timer's tick).
    void updateText();
    void smsNoSucc_Slot(QString data);
    void smsNoError_Slot(QString error);
    void updatePassWordSucc_Slot();
    void updatePassWordError_Slot(QString error);

private:
    void resetCountdown();

    QLineEdit* m_userName = nullptr;
    QLineEdit* m_passWord = nullptr;
    QLineEdit* m_rePassWord = nullptr;
    QLineEdit* m_iPhoneVerityNums = nullptr;
    QPushButton* m_getVerityNums = nullptr;
    int m_smsTimeCount = 60;
    QTimer* m_smsTimer = nullptr;
    LoadingWidget* m_loading = nullptr;
    QPushButton* m_btnOk = nullptr;
    QPushButton* m_btnLogin = nullptr;
    QPointer<QWidget> m_boxParent;
    bool m_codePending = false;    // a code request of this page awaits its answer
    bool m_resetPending = false;   // a reset of this page awaits its answer
};

class RegisterWidget : public QWidget
{
    Q_OBJECT
public:
    explicit RegisterWidget(QWidget* parent = nullptr);
    ~RegisterWidget() override;

private:
    QLineEdit* m_iPhone = nullptr;
    QLineEdit* m_passWord = nullptr;
    QLineEdit* m_rePassWord = nullptr;
    QLineEdit* m_iPhoneVerityNums = nullptr;
};
