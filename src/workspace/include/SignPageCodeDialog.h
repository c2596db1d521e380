#pragma once
// The SMS-code dialog with which the cloud service confirms a user's consent: signing a cloud
// contract, completing a seal authorisation the user's company issues, or accepting one offered
// to the user. The code is sent when the dialog is built; the dialog shows the masked phone it
// went to, counts down before it may be sent again, and checks the typed code on confirmation.

#include "ParentDialog.h"

class QLineEdit;
class QPushButton;
class QTimer;

class SignPageCodeDialog : public ParentDialog
{
    Q_OBJECT
public:
    // proofTime receives the proof time of each contract-mode check; codeS the service's code of
    // an acceptance. Both are kept by reference and must outlive the dialog.
    SignPageCodeDialog(QString& proofTime, int& codeS, QWidget* parent, bool isAuth, bool isAcceptAuth);
    ~SignPageCodeDialog() override;

    // The phone number as the dialog shows it: its first three and last four characters around
    // "****".
    static QString maskedPhone(const QString& phone);

    int retSuc = 1;          // 0 when sending the code failed: the caller does not show the dialog
    QString m_authId;        // the authorisation the code confirms (authorisation modes)
    QString code;            // the code confirmed (contract mode)
    bool m_isAuth = false;
    bool m_isAcceptAuth = false;
    QPushButton* verBtn = nullptr;
    QTimer* m_Timer = nullptr;
    int m_smsTimeCount = 60;

    QLineEdit* codeEdit() const { return m_edit; }
    QPushButton* confirmButton() const { return m_confirm; }
    QPushButton* cancelButton() const { return m_cancel; }

public slots:
    // The countdown's tick, once a second.
    void updateText();
    // Sends the code by the mode's request; on success starts the countdown.
    void sendsmsVerfiyCode();
    void smsVerifySucc();

private:
    void check();

    QString& m_proofTime;
    int& m_codeS;
    QLineEdit* m_edit = nullptr;
    QPushButton* m_confirm = nullptr;
    QPushButton* m_cancel = nullptr;
};
