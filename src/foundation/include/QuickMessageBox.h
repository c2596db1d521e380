#pragma once
// The toast: a dark rounded box with an icon and a text that closes itself after a time, on a
// click, or on Escape or the keypad's Enter.

#include <QDialog>
#include <QPointer>
#include <functional>

class QLabel;
class QTimer;

enum QuickMessageBoxType {
    qmt_nothing = 0, // no icon
    qmt_succ = 1,    // success icon
    qmt_error = 2,   // error icon
};

class QuickMessageBox : public QDialog
{
    Q_OBJECT
public:
    // Test seam: called with every toast as it starts (text, type, time and parent are known).
    using ShowHook = std::function<void(const QuickMessageBox& toast)>;
    static void setShowHook(ShowHook hook);
    static ShowHook showHook();

    explicit QuickMessageBox(QWidget* parent = nullptr);
    ~QuickMessageBox() override;

    void setText(QString text);
    QString text() const;
    void setIcon(QuickMessageBoxType type);
    QuickMessageBoxType type() const { return m_type; }
    // Milliseconds until the toast closes (1000 unless set); shortened by uiDurationScale().
    void setTimerToClose(int mes);
    int timeToClose() const { return m_mes; }
    QLabel* iconLabel() const { return m_iconLabel; }
    QLabel* textLabel() const { return m_textLabel; }
    QWidget* panel() const { return m_panel; }

    // Starts the timer and runs the toast modally.
    int exec() override;

    // Shows a toast on parent and returns once it has closed.
    static int abort(QWidget* parent, QString text, QuickMessageBoxType type, int mec);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    QTimer* m_timer = nullptr;
    QLabel* m_textLabel = nullptr;
    QLabel* m_iconLabel = nullptr;
    int m_mes = 1000;
    QWidget* m_panel = nullptr;
    QuickMessageBoxType m_type = qmt_nothing;
};

// For tests: records every toast shown while it lives.
class QuickMessageBoxSpy
{
public:
    struct Shown {
        QString text;
        QuickMessageBoxType type;
        int ms;
        QPointer<QWidget> parent;
    };
    QuickMessageBoxSpy();
    ~QuickMessageBoxSpy();
    const QList<Shown>& shown() const { return m_shown; }
    int count() const { return m_shown.size(); }
    QStringList texts() const;

private:
    QList<Shown> m_shown;
    QuickMessageBox::ShowHook m_previous;
};
