#pragma once
// The notice that the certificate of a USB key's seal has expired: the seal's name and the end
// of validity, and the request to renew it. Closed by the title's close button.

#include "ParentDialog.h"

class QLabel;
struct keycontiaininfo;

class CDueReminderDialog : public ParentDialog
{
    Q_OBJECT
public:
    // The record is read here only.
    CDueReminderDialog(const keycontiaininfo& info, QWidget* parent = nullptr);
    ~CDueReminderDialog() override;

    QLabel* messageLabel() const { return m_message; }

private:
    QLabel* m_message = nullptr;
};
