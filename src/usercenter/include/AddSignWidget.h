#pragma once
// The add-signature page: a personal user adds a handwritten signature on the phone, so the page
// shows a QR code the service makes for the user's session, to be scanned with the phone. It
// takes the seals and signatures page's place in the user centre; "返回" puts that page back and
// reloads it, so the new signature appears.

#include <QWidget>

class BlockWidget;
class QLabel;
class QPushButton;

class CAddSignWidget : public QWidget
{
    Q_OBJECT
public:
    explicit CAddSignWidget(QWidget* parent = nullptr);
    ~CAddSignWidget() override;

    // Asks the service for a fresh QR code and shows it.
    void showInfo();

    QLabel* qrLabel() const { return imgLabel; }
    QLabel* textLabel() const { return m_text; }
    QPushButton* backButton() const { return m_backBtn; }
    BlockWidget* block() const { return _addSignBlockwidget; }

private:
    void back();

    BlockWidget* _addSignBlockwidget = nullptr;
    QLabel* imgLabel = nullptr;
    QLabel* m_text = nullptr;
    QPushButton* m_backBtn = nullptr;
};
