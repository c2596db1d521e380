#pragma once
// The form "新增授权人" for a person authorised to use a company seal. It collects nothing and
// its confirm button does nothing: the seal authorisations in use are made on the authorisation
// pages. The count field turns red above 14.

#include "ParentDialog.h"

class QCalendarWidget;
class QLineEdit;
class QPushButton;

class CAddAuthPerson : public ParentDialog
{
    Q_OBJECT
public:
    explicit CAddAuthPerson(QWidget* parent = nullptr);
    ~CAddAuthPerson() override;

    QLineEdit* countField() const { return numLine; }
    QPushButton* minusButton() const { return numDelBtn; }
    QPushButton* plusButton() const { return numAddBtn; }
    QPushButton* confirmButton() const { return m_confirmBtn; }
    QPushButton* cancelButton() const { return m_cancelBtn; }
    QPushButton* calendarButton() const { return m_calendarBtn; }
    QCalendarWidget* calendar() const { return calendarWid; }
    // Whether the count field has the warning look.
    bool countWarned() const { return m_warned; }

public slots:
    void on_numLine_textChanged(const QString& arg1);

private:
    QString strStyle;
    QLineEdit* numLine = nullptr;
    QPushButton* numDelBtn = nullptr;
    QPushButton* numAddBtn = nullptr;
    QCalendarWidget* calendarWid = nullptr;
    QPushButton* m_confirmBtn = nullptr;
    QPushButton* m_cancelBtn = nullptr;
    QPushButton* m_calendarBtn = nullptr;
    bool m_warned = false;
};
