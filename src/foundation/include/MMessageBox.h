#pragma once
// The application's modal message box: an optional icon, a word-wrapped text, a hidden
// "不再提示" check box and a row of standard buttons with the program's own Chinese texts.

#include "ParentDialog.h"

#include <QDialogButtonBox>
#include <QList>
#include <QMessageBox>
#include <QSize>
#include <functional>

class QAbstractButton;
class QCheckBox;
class QLabel;

class MMessageBox : public ParentDialog
{
    Q_OBJECT
public:
    using StandardButton = QDialogButtonBox::StandardButton;
    using StandardButtons = QDialogButtonBox::StandardButtons;

    // Test seam: when set, exec() does not run; the hook sees the box (title, text, buttons,
    // icon) and returns the button that "was clicked", or NoButton for a box closed without one.
    using AnswerHook = std::function<StandardButton(MMessageBox& box)>;
    static void setAnswerHook(AnswerHook hook);
    static AnswerHook answerHook();

    MMessageBox(QWidget* parent, const QString& title, const QString& text,
                StandardButtons buttons = QDialogButtonBox::Ok, StandardButton defaultButton = QDialogButtonBox::NoButton,
                bool isEscClose = true, bool isTop = false);
    ~MMessageBox() override;

    // Each shows a box of the design size `size` (scaled here) and returns the button clicked,
    // NoButton when the box was closed otherwise (Escape, the title's close button).
    static StandardButton showInformation(QWidget* parent, const QString& title, const QString& text, QSize size,
                                          StandardButtons buttons = QDialogButtonBox::Ok,
                                          StandardButton defaultButton = QDialogButtonBox::NoButton);
    static StandardButton showError(QWidget* parent, const QString& title, const QString& text, QSize size,
                                    StandardButtons buttons = QDialogButtonBox::Ok,
                                    StandardButton defaultButton = QDialogButtonBox::NoButton);
    static StandardButton showWarning(QWidget* parent, const QString& title, const QString& text, QSize size,
                                      StandardButtons buttons = QDialogButtonBox::Ok,
                                      StandardButton defaultButton = QDialogButtonBox::NoButton);
    static StandardButton showSucc(QWidget* parent, const QString& title, const QString& text, QSize size,
                                   StandardButtons buttons = QDialogButtonBox::Ok,
                                   StandardButton defaultButton = QDialogButtonBox::NoButton);
    static StandardButton showQuestion(QWidget* parent, const QString& title, const QString& text, QSize size,
                                       bool checkBtnShow = false,
                                       StandardButtons buttons = QDialogButtonBox::Yes | QDialogButtonBox::No,
                                       StandardButton defaultButton = QDialogButtonBox::NoButton);
    // Yes and No carrying btntext1 and btntext2.
    static StandardButton showCustomQuestion(QWidget* parent, const QString& title, const QString& text, QSize size,
                                             QString btntext1, QString btntext2,
                                             StandardButton defaultButton = QDialogButtonBox::NoButton);

    // The same operations for callers that name QMessageBox's buttons (same values).
    static StandardButton showInformation(QWidget* parent, const QString& title, const QString& text, QSize size,
                                          QMessageBox::StandardButtons buttons,
                                          QMessageBox::StandardButton defaultButton = QMessageBox::NoButton)
    {
        return showInformation(parent, title, text, size, toBox(buttons), toBox(defaultButton));
    }
    static StandardButton showError(QWidget* parent, const QString& title, const QString& text, QSize size,
                                    QMessageBox::StandardButtons buttons,
                                    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton)
    {
        return showError(parent, title, text, size, toBox(buttons), toBox(defaultButton));
    }
    static StandardButton showWarning(QWidget* parent, const QString& title, const QString& text, QSize size,
                                      QMessageBox::StandardButtons buttons,
                                      QMessageBox::StandardButton defaultButton = QMessageBox::NoButton)
    {
        return showWarning(parent, title, text, size, toBox(buttons), toBox(defaultButton));
    }
    static StandardButton showSucc(QWidget* parent, const QString& title, const QString& text, QSize size,
                                   QMessageBox::StandardButtons buttons,
                                   QMessageBox::StandardButton defaultButton = QMessageBox::NoButton)
    {
        return showSucc(parent, title, text, size, toBox(buttons), toBox(defaultButton));
    }
    static StandardButton showQuestion(QWidget* parent, const QString& title, const QString& text, QSize size,
                                       bool checkBtnShow, QMessageBox::StandardButtons buttons,
                                       QMessageBox::StandardButton defaultButton = QMessageBox::NoButton)
    {
        return showQuestion(parent, title, text, size, checkBtnShow, toBox(buttons), toBox(defaultButton));
    }
    static StandardButton showCustomQuestion(QWidget* parent, const QString& title, const QString& text, QSize size,
                                             QString btntext1, QString btntext2,
                                             QMessageBox::StandardButton defaultButton)
    {
        return showCustomQuestion(parent, title, text, size, btntext1, btntext2, toBox(defaultButton));
    }

    void setTitle(const QString& title);
    void setText(const QString& text);
    QString text() const;
    // Shows the icon label with the picture at path icon.
    void setIcon(const QString& icon);
    QString iconPath() const { return m_iconPath; }
    // Marks the button default and gives it the focus; a button the box lacks: nothing.
    void setDefaultButton(StandardButton button);
    void setCheckBoxHidden(bool hidden);
    bool isCheckBoxHidden() const;
    bool isChecked() const;
    // true hides the title's close button, false shows it.
    void setCloseBtn(bool isClose);
    StandardButton standardButton(QAbstractButton* button) const;
    StandardButton execReturnCode(QAbstractButton* button) const { return standardButton(button); }
    QAbstractButton* clickedButton() const { return m_clickedBtn; }
    QAbstractButton* defaultButton() const { return m_defaultBtn; }
    QAbstractButton* button(StandardButton which) const;
    StandardButtons standardButtons() const;
    QCheckBox* checkBox() const { return m_checkBox; }
    QLabel* textLabel() const { return m_text; }
    QLabel* iconLabel() const { return m_icon; }

    int exec() override;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;

private slots:
    void onButtonClicked(QAbstractButton* button);

private:
    static StandardButtons toBox(QMessageBox::StandardButtons b) { return StandardButtons(int(b)); }
    static StandardButton toBox(QMessageBox::StandardButton b) { return StandardButton(int(b)); }
    static StandardButton runStatic(MMessageBox* box, QSize size, const QString& icon);
    void translateUi();

    QDialogButtonBox* m_dialogBtnBox = nullptr;
    QLabel* m_icon = nullptr;
    QLabel* m_text = nullptr;
    QAbstractButton* m_clickedBtn = nullptr;
    QAbstractButton* m_defaultBtn = nullptr;
    QCheckBox* m_checkBox = nullptr;
    bool m_isEscClose = true;
    QString m_iconPath;
};

// For tests: answers every message box shown while it lives and records what was shown.
class MMessageBoxAutoAnswer
{
public:
    struct Shown {
        QString title;
        QString text;
        MMessageBox::StandardButtons buttons;
        QString icon;
        bool checkBoxShown = false;
    };
    // Answers every box with `answer`.
    explicit MMessageBoxAutoAnswer(MMessageBox::StandardButton answer = QDialogButtonBox::NoButton);
    // Answers the boxes with the given buttons in turn; the last one repeats.
    explicit MMessageBoxAutoAnswer(const QList<MMessageBox::StandardButton>& answers);
    ~MMessageBoxAutoAnswer();

    const QList<Shown>& shown() const { return m_shown; }
    int count() const { return m_shown.size(); }
    QString lastText() const { return m_shown.isEmpty() ? QString() : m_shown.last().text; }
    QStringList texts() const;

private:
    QList<MMessageBox::StandardButton> m_answers;
    QList<Shown> m_shown;
    MMessageBox::AnswerHook m_previous;
};
