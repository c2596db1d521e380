#pragma once
// The account page's small dialogs: changing the login password, the contact phone and a USB
// key's PIN (and the unused e-mail dialog shell). Each is built for one modal run.
//
// The password and phone dialogs send their changes asynchronously and wait for the service
// client's answer signals; a dialog reacts only to the answers of requests it sent itself, and
// its submit button stays disabled until that answer has come, so a change is never sent twice.
// A session code (51001, 51002, 51003) in an answer closes the dialog (rejected) and emits
// loginAgain(0, 1 or 2); the service client itself tells the main window.

#include "ParentDialog.h"

#include <QString>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QStackedWidget;
class QTimer;

class ChangePasswordDialog : public ParentDialog
{
    Q_OBJECT
public:
    explicit ChangePasswordDialog(QWidget* parent = nullptr);
    ~ChangePasswordDialog() override;

    QLineEdit* oldPasswordField() const { return m_oldPassword; }
    QLineEdit* newPasswordField() const { return m_lePassword; }
    QLineEdit* confirmField() const { return m_leRePassword; }
    QLineEdit* codeField() const { return m_leverifyNo; }
    QPushButton* codeButton() const { return m_btnSendVerifyNo; }
    QPushButton* okButton() const { return m_okBtn; }
    QPushButton* cancelButton() const { return m_cancelBtn; }
    QTimer* countdownTimer() const { return m_smsTimer; }
    int countdownValue() const { return m_smsTimeCount; }

signals:
    void loginAgain(int type);

public slots:
    void updateText();
    // "确认更改" (and the keypad's Enter): checks the fields and sends the change.
    void ok_slot();
    // The hidden "获取验证码": checks the fields and asks for a code.
    void getCode();
    void smsUpdatePasswordSucc();
    void smsUpdatePasswordError(int code, QString error);
    void updatePasswordSucc();
    void updatePasswordError(int code, QString error);

private:
    // Rejects on a session code and emits loginAgain; true when it did.
    bool closeOnSessionCode(int code, bool codeRequest);

    QLineEdit* m_oldPassword = nullptr;
    QLineEdit* m_lePassword = nullptr;
    QLineEdit* m_leRePassword = nullptr;
    QLineEdit* m_leverifyNo = nullptr;
    QLabel* m_level1 = nullptr;
    QLabel* m_level2 = nullptr;
    QLabel* m_level3 = nullptr;
    QPushButton* m_btnSendVerifyNo = nullptr;
    QTimer* m_smsTimer = nullptr;
    int m_smsTimeCount = 60;
    QWidget* m_codeRow = nullptr;
    QPushButton* m_okBtn = nullptr;
    QPushButton* m_cancelBtn = nullptr;
    bool m_changePending = false;   // a change of this dialog awaits its answer
    bool m_codePending = false;     // a code request of this dialog awaits its answer
};

class ChangePhoneDialog : public ParentDialog
{
    Q_OBJECT
public:
    // oldPhone: the phone text shown in the first step, as the caller shows it (masked).
    explicit ChangePhoneDialog(QString oldPhone, QWidget* parent = nullptr);
    ~ChangePhoneDialog() override;

    // The trimmed number of the latest change attempt.
    QString getNewPhone() const { return m_strNewPhone; }

    QStackedWidget* stack() const { return m_stackedWidget; }
    QLabel* promptLabel() const { return m_promptLabel; }
    QLineEdit* codeField() const { return m_leverifyNo; }
    QPushButton* codeButton() const { return m_btnSendVerifyNo; }
    QPushButton* nextButton() const { return m_nextBtn; }
    QLineEdit* newPhoneField() const { return m_newPhone; }
    QLineEdit* newCodeField() const { return m_newVerifyNo; }
    QPushButton* newCodeButton() const { return m_newbtnSendVerifyNo; }
    QPushButton* modifyButton() const { return m_modifyBtn; }
    QTimer* countdownTimer() const { return m_smsTimer; }
    int countdownValue() const { return m_smsTimeCount; }

signals:
    void loginAgain(int type);

public slots:
    void nextStep();
    void modify();
    void updateText();
    // Page 0's "获取验证码": a code to the current contact phone.
    void getCurrentPhoneCode();
    // Page 1's "获取验证码": a code to the new number.
    void getNewPhoneCode();
    void smsNoVerifyPhoneSucc();
    void smsNoVerifyPhoneError(int code, QString error);
    void smsNoModifyPhoneSucc();
    void smsNoModifyPhoneError(int code, QString error);
    void verifyPhoneSucc();
    void verifyPhoneError(int code, QString error);
    void modifyPhoneSucc();
    void modifyPhoneError(int code, QString error);

private:
    void startCountdown(QPushButton* button);
    QPushButton* currentCodeButton() const;
    void refused(int code, const QString& error);

    // Which request of this dialog is under way.
    enum class Waiting { Nothing, CurrentCode, Verify, NewCode, Change };

    QStackedWidget* m_stackedWidget = nullptr;
    QLineEdit* m_newPhone = nullptr;
    QLineEdit* m_leverifyNo = nullptr;
    QPushButton* m_btnSendVerifyNo = nullptr;
    QLineEdit* m_newVerifyNo = nullptr;
    QPushButton* m_newbtnSendVerifyNo = nullptr;
    QLabel* m_errorLabel1 = nullptr;
    QLabel* m_errorLabel2 = nullptr;
    QString m_oldPhone;
    QString m_strNewPhone;
    QTimer* m_smsTimer = nullptr;
    int m_smsTimeCount = 60;
    QLabel* m_promptLabel = nullptr;
    QPushButton* m_nextBtn = nullptr;
    QPushButton* m_modifyBtn = nullptr;
    Waiting m_waiting = Waiting::Nothing;
};

class ChangePinDialog : public ParentDialog
{
    Q_OBJECT
public:
    explicit ChangePinDialog(QWidget* parent = nullptr);
    ~ChangePinDialog() override;

    QComboBox* keyList() const { return m_sealsName; }
    QLineEdit* oldPinField() const { return m_oldPassword; }
    QLineEdit* newPinField() const { return m_lePassword; }
    QLineEdit* confirmField() const { return m_leRePassword; }
    QPushButton* okButton() const { return m_okBtn; }
    QPushButton* cancelButton() const { return m_cancelBtn; }
    QTimer* watchTimer() const { return m_pTimer; }

    // The text shown when the USB-key device layer refused or could not make the change.
    static QString deviceFailureText();

public slots:
    // Watches the USB-key registry: closes the dialog when no key is left.
    void on_timer_timeout();
    // "确认更改": checks the fields, then changes the PIN of the chosen key.
    void checkAndChange();

private:
    QComboBox* m_sealsName = nullptr;
    QLineEdit* m_oldPassword = nullptr;
    QLineEdit* m_lePassword = nullptr;
    QLineEdit* m_leRePassword = nullptr;
    QTimer* m_pTimer = nullptr;
    QPushButton* m_okBtn = nullptr;
    QPushButton* m_cancelBtn = nullptr;
};

// An empty dialog shell that no screen opens.
class ChangeEmailDialog : public ParentDialog
{
    Q_OBJECT
public:
    explicit ChangeEmailDialog(QWidget* parent = nullptr);
    ~ChangeEmailDialog() override;
};
