#pragma once
// The on-screen keypad through which the user types a six-digit secret (the cloud signing
// password, or a USB key's PIN) on digit keys whose order is shuffled for every keypad.

#include "ParentDialog.h"

#include <QList>
#include <QString>

class QLineEdit;
class QPushButton;
class QSignalMapper;

// nCount distinct values below nMax in random order, drawn from a generator seeded from the
// system's entropy, so that the key order differs from keypad to keypad and from run to run.
QList<int> random(int nMax, int nCount);

class SoftKeyboard : public ParentDialog
{
    Q_OBJECT
public:
    // type 1: the signing password, checked with the service at the sixth digit;
    // type 0: a USB key's PIN (no device layer is present to check it).
    SoftKeyboard(int type, QString dveName, QWidget* parent = nullptr);
    ~SoftKeyboard() override;

    void clear();
    void checkSignPasswd();
    void checkUsbKeyPasswd();

    // For tests and screenshots.
    QLineEdit* box(int i) const { return m_password[i]; }
    QList<QPushButton*> keys() const { return m_keys; }
    QString entry() const { return m_strPassword; }
    int type() const { return m_type; }

public slots:
    void clicked(const QString& text);
    void slotUpdatePasswd();
    void slotResetPasswd();

private:
    QLineEdit* m_password[6] = {};
    QString m_strPassword;
    QString m_devName;
    QSignalMapper* m_signalMapper = nullptr;
    int m_type = 1;
    QList<QPushButton*> m_keys;
};
