#pragma once
// The progress dialog of batch sealing and printing: a bar and a status text.

#include "ParentDialog.h"

class QLabel;
class QProgressBar;
class QPushButton;

class ProgressDlg : public ParentDialog
{
    Q_OBJECT
public:
    explicit ProgressDlg(QWidget* parent = nullptr);

    // A range of 0 to 0 shows a busy bar.
    void setRange(int min, int max);
    void setValue(int value);
    void setText(const QString& text);
    // The cancel button is hidden from the start; this keeps it so.
    void setCancelHidden();
    // Disables the title's close button.
    void setCloseDisabled();

    QProgressBar* progressBar() const { return m_progress; }
    QLabel* textLabel() const { return m_textLabel; }
    QPushButton* cancelButton() const { return m_canelBtn; }

signals:
    // The cancel button was clicked.
    void ProgressBreak();

public slots:
    void closeValue(int value);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    QProgressBar* m_progress = nullptr;
    QLabel* m_textLabel = nullptr;
    QPushButton* m_canelBtn = nullptr;
};
