#pragma once
// The contract signing settings "签章设置": the contract's theme, deadline and remark, on whose
// behalf the user signs, whether the user signs too or only issues the contract, whether the
// signers sign in order, and the other signers. It edits the contract parameters of one
// document tab: filled from them when it opens, every field checked on "完成设置", then written
// back. Once saved, reopening shows the saved choices and (except for a draft contract) no
// longer offers the options not chosen.

#include "ParentDialog.h"

#include <QString>

class DateTimeEdit;
class LinkManListWidget;
class QButtonGroup;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTextEdit;
class QToolButton;
class SignParamBusiness;

// The two-line rich text of an option button: a heading and a grey explanation.
QString tabHtmlStr(QString top, QString bottom);

class SignParamSetting : public ParentDialog
{
    Q_OBJECT
public:
    // business: the tab's parameters (not owned).
    SignParamSetting(QWidget* parent, SignParamBusiness* business);

    // Loads the parameters into the controls; called before exec().
    void fillSignBussinessToValue();
    // Writes the controls into the parameters (marking them set).
    void fillValueToSignBussiness();
    // Seconds from stime to etime, both read with timeFormat as local times; clamped to int.
    static int timeJudgement(const QString& stime, const QString& etime, const QString& timeFormat);
    // The first non-zero check code of the signer rows in order; -1 without rows, 0 when all pass.
    int signerTableisFormatError();

    // Today as the deadline field shows dates.
    static QString todayText();

    QLabel* beginLabel() const { return dataTimeBegin; }
    QLineEdit* titleEdit() const { return m_titlerLineEdit; }
    QLineEdit* themeEdit() const { return m_themeLineEdit; }
    QTextEdit* remarkEdit() const { return m_remarkTextEdit; }
    QLabel* remarkCounter() const { return limitLabel; }
    QToolButton* deputyButton(int id) const { return m_deputyBtns[id]; }
    QToolButton* signAttributeButton(int id) const { return m_signAttributeBtns[id]; }
    QToolButton* orderButton(int id) const { return m_signOrderAttributeBtns[id]; }
    DateTimeEdit* endDateEdit() const { return m_dataTimeEnd; }
    QString endDateStored() const { return m_dataTimeEndStr; }
    LinkManListWidget* signerTable() const { return m_signerTable; }
    QPushButton* finishButton() const { return btnNext; }
    QPushButton* addPersonButton() const { return m_addPersonBtn; }
    QPushButton* addCompanyButton() const { return m_addCompanyBtn; }
    QLabel* companyLabel() const { return m_companyLabel; }
    QComboBox* companyChooser() const { return m_companyNameCom; }
    QWidget* meWidget() const { return m_meWidget; }
    QLineEdit* meAccountEdit() const { return m_meAccountLineEdit; }
    QLabel* deputyLabel() const { return m_deputyLabel; }

signals:
    void finsishSetting();

public slots:
    // Checks every field; the first failure is shown and the dialog stays. Otherwise saves,
    // emits finsishSetting() and accepts.
    void finishSet();
    void SignAttbuttonClicked(int id);
    void deputyButtonClicked(int id);
    void dateEndChanged(QString text);
    void remarkTextChanged();
    void addlinkman();
    void addCompany();

private:
    void toast(const QString& text, int ms = 2000);
    // The balance warning (no package held).
    void warnNoPackage();
    // Shows the company row with exactly the stored company.
    void showStoredCompany();
    QToolButton* optionButton(QWidget* parent, const QString& text, bool rich);

    int maxLength = 150;
    QLabel* dataTimeBegin = nullptr;
    QLineEdit* m_titlerLineEdit = nullptr;
    QLineEdit* m_themeLineEdit = nullptr;
    QTextEdit* m_remarkTextEdit = nullptr;
    QLabel* limitLabel = nullptr;
    QToolButton* m_deputyBtns[2] = {nullptr, nullptr};
    QToolButton* m_signAttributeBtns[2] = {nullptr, nullptr};
    QToolButton* m_signOrderAttributeBtns[2] = {nullptr, nullptr};
    DateTimeEdit* m_dataTimeEnd = nullptr;
    QString m_dataTimeEndStr;
    LinkManListWidget* m_signerTable = nullptr;
    QPushButton* btnNext = nullptr;
    QButtonGroup* m_btngroupSignAtt = nullptr;
    QButtonGroup* m_btngroupOrder = nullptr;
    QButtonGroup* m_deputyAtt = nullptr;
    SignParamBusiness* m_pSignParam = nullptr;
    QLabel* m_companyLabel = nullptr;
    QComboBox* m_companyNameCom = nullptr;
    QWidget* m_meWidget = nullptr;
    QLineEdit* m_meNameLineEidt = nullptr;
    QLineEdit* m_meAccountLineEdit = nullptr;
    QLabel* m_deputyLabel = nullptr;
    QPushButton* m_addPersonBtn = nullptr;
    QPushButton* m_addCompanyBtn = nullptr;
};
