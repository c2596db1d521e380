#pragma once
// The view "查看授权信息" of one authorisation of a company seal to a person, with fixed sample
// texts; "确认" closes it.

#include "ParentDialog.h"

class QPushButton;

class AuthPersonInfo : public ParentDialog
{
    Q_OBJECT
public:
    explicit AuthPersonInfo(QWidget* parent = nullptr);
    ~AuthPersonInfo() override;

    QPushButton* confirmButton() const { return m_confirmBtn; }

private:
    QPushButton* m_confirmBtn = nullptr;
};
