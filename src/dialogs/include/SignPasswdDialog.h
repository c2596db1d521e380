#pragma once
// The form through which the user sets (or resets, proved by the login password) or changes
// the numeric signing password that the cloud service keeps for cloud signatures.

#include "ParentDialog.h"

class QLineEdit;

class SignPasswdDialog : public ParentDialog
{
    Q_OBJECT
public:
    enum WidgetType {
        ResetPassword = 0,   // login password + new password twice
        UpdatePassword = 1,  // old signing password + new password twice
    };

    explicit SignPasswdDialog(WidgetType type, QWidget* parent = nullptr);
    ~SignPasswdDialog() override;

    WidgetType widgetType() const { return m_type; }
    QLineEdit* loginPasswdEdit() const { return m_pEditLoginPasswd; }
    QLineEdit* customaryEdit() const { return m_pEditCustomary; }
    QLineEdit* signPasswd1Edit() const { return m_pEditSignPasswd1; }
    QLineEdit* signPasswd2Edit() const { return m_pEditSignPasswd2; }

public slots:
    void slotOK();

private:
    void initUi();
    void fail(const QString& text);

    WidgetType m_type;
    QLineEdit* m_pEditLoginPasswd = nullptr;
    QLineEdit* m_pEditCustomary = nullptr;
    QLineEdit* m_pEditSignPasswd1 = nullptr;
    QLineEdit* m_pEditSignPasswd2 = nullptr;
};
