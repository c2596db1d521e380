#pragma once
// The feedback page of the user centre (page 6): the logged-in user picks the kind of problem,
// describes it in at most 400 characters and sends it to the service's feedback store.

#include <QString>
#include <QWidget>

class BlockWidget;
class QButtonGroup;
class QLineEdit;
class QPushButton;

class ProblemFeedback : public QWidget
{
    Q_OBJECT
public:
    explicit ProblemFeedback(QWidget* parent = nullptr);
    ~ProblemFeedback() override;

    // Nothing to reload: the page keeps the chosen type and the text until a submission succeeds.
    void showInfo();

    // The type code sent with the next submission ("2000" to "2004").
    QString type() const { return m_type; }
    QButtonGroup* typeButtons() const { return buttonGroup; }
    QLineEdit* editor() const { return m_editor; }
    QPushButton* submitButton() const { return m_submitBtn; }

public slots:
    // The type of the checked button.
    void onRadioBtnClick();

private:
    void submit();

    BlockWidget* _blockwidget = nullptr;
    QButtonGroup* buttonGroup = nullptr;
    QString m_type = QStringLiteral("2000");
    QLineEdit* m_editor = nullptr;
    QPushButton* m_submitBtn = nullptr;
};
