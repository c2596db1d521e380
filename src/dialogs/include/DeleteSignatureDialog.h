#pragma once
// The confirmation shown before a signature is deleted from the open document: the user proves
// the right to delete by the signing password (cloud signatures) or the USB key's PIN.

#include "ParentDialog.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;

class DeleteSignatureDialog : public ParentDialog
{
    Q_OBJECT
public:
    // type 1: cloud signature, checked with the service; type 0: USB-key signature, which
    // closes itself once no key is inserted any more.
    DeleteSignatureDialog(int type, QString devName, QString sealName, QWidget* parent = nullptr);
    ~DeleteSignatureDialog() override;

    void verfiyPasswd();
    void verfiyPin();

    QComboBox* sealNameComboBox() const { return m_sealNameComboBox; }
    QLineEdit* passwordEdit() const { return m_passWord; }
    QLabel* errorLabel() const { return m_errorLabel; }
    QPushButton* okButton() const { return m_okButton; }
    QTimer* pollTimer() const { return m_pTimer; }

public slots:
    void on_timer_timeout();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void submit();

    QComboBox* m_sealNameComboBox = nullptr;
    QLineEdit* m_passWord = nullptr;
    QLabel* m_errorLabel = nullptr;
    QString m_sealName;
    QString m_devName;
    QTimer* m_pTimer = nullptr;
    int m_type = 1;
    QPushButton* m_okButton = nullptr;
};
