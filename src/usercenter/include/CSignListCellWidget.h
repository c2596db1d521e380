#pragma once
// An earlier, static card of a handwritten signature with sample contents: picture area with a
// number badge and the check boxes "修改" and "设为默认", a text area with name, creation date
// and use count, and a delete button that does nothing. No screen builds it.

#include <QWidget>

class QPushButton;

class SignListCellWidget : public QWidget
{
    Q_OBJECT
public:
    explicit SignListCellWidget(QWidget* parent = nullptr);
    ~SignListCellWidget() override;

    void setFirstWid(QWidget* wid);
    void setSecondWid(QWidget* wid);

    QPushButton* deleteButton() const { return m_deleteBtn; }

private:
    QPushButton* m_deleteBtn = nullptr;
};
