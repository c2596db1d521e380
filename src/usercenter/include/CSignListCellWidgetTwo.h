#pragma once
// The card of one handwritten signature on the seals and signatures page: its picture over its
// name and creation date, with a small delete button. Deleting asks for confirmation, deletes
// the signature in the cloud service and emits syncSign(), on which the page reloads (and
// removes this card through its list, later).

#include <QByteArray>
#include <QString>
#include <QWidget>

class QLabel;
class QPushButton;

class SignListCellWidgetTwo : public QWidget
{
    Q_OBJECT
public:
    SignListCellWidgetTwo(QString signId, QByteArray imgByte, QString nameStr, QString createDate,
                          QWidget* parent = nullptr);
    ~SignListCellWidgetTwo() override;

    // The picture area: the signature's picture scaled into it.
    void setFirstWid(QWidget* wid, QByteArray imgByte);
    // The text area: name and creation date (shown as given).
    void setSecondWid(QWidget* wid, QString nameStr, QString createStr);

    QString signId() const { return m_signId; }
    QLabel* nameLabel() const { return nameValue; }
    QLabel* dateLabel() const { return countValue; }
    QLabel* pictureLabel() const { return m_picture; }
    QPushButton* deleteButton() const { return m_deleteBtn; }

signals:
    // The signature was deleted in the service.
    void syncSign();

private:
    void deleteSignature();

    QLabel* nameValue = nullptr;
    QLabel* countValue = nullptr;
    QLabel* m_picture = nullptr;
    QPushButton* m_deleteBtn = nullptr;
    QString m_signId;
    QByteArray m_imgByte;
};
