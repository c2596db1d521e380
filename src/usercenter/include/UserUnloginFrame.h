#pragma once
// The page shown in place of the user centre (and of the document centre) while nobody is
// logged in: a user picture, "用户未登录", and a login button.

#include <QPoint>
#include <QWidget>

class QLabel;
class QPushButton;

class UserUnloginFrame : public QWidget
{
    Q_OBJECT
public:
    explicit UserUnloginFrame(QWidget* parent = nullptr);
    ~UserUnloginFrame() override;

    QPushButton* loginButton() const { return m_loginBtn; }

signals:
    // The login button was clicked; pt is (0, 0).
    void login_signal(QPoint pt);

protected:
    // A picture band across the top, white below.
    void paintEvent(QPaintEvent* event) override;

private:
    QLabel* m_userIcon = nullptr;
    QLabel* m_userName = nullptr;
    QLabel* m_badge = nullptr;
    QPushButton* m_loginBtn = nullptr;
};
