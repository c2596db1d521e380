#pragma once
// The confirmation asked before a handwritten signature or a seal is deleted from the cloud
// service: the picture of what goes, between a question and a warning worded with its kind
// ("签名" or "签章"). "确认删除" accepts; "取消删除", Escape and the title's close button reject.
// The caller deletes only when exec() returned QDialog::Accepted.

#include "ParentDialog.h"

#include <QByteArray>
#include <QString>

class QLabel;
class QPushButton;

class delSignDialog : public ParentDialog
{
    Q_OBJECT
public:
    // imgByte: the picture in any format the toolkit reads; w x h: the picture frame's design size.
    delSignDialog(QWidget* parent, const QByteArray& imgByte, QString title, int w, int h);
    ~delSignDialog() override;

    QLabel* pictureLabel() const { return m_picture; }
    QPushButton* confirmButton() const { return m_confirm; }
    QPushButton* cancelButton() const { return m_cancel; }

private:
    QLabel* m_picture = nullptr;
    QPushButton* m_confirm = nullptr;
    QPushButton* m_cancel = nullptr;
};
