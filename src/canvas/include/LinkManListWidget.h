#pragma once
// The other signers of a contract in the signing settings: a list of at most 10 rows, each a
// person (a mobile number) or a company (an e-mail address or an 18-character credit code).
// Leaving a row's account field asks the service whether the account exists and shows its state
// and name; the row's phone button opens the address book, whose ticked contacts replace the
// row. Saving the settings checks every row (judgeValue) and takes its signer.

#include "BusinessRecords.h"
#include "ContractRecords.h"
#include "ParentDialog.h"

#include <QList>
#include <QListWidget>
#include <QPixmap>
#include <QString>
#include <QWidget>

class LoadingWidget;
class QLabel;
class QLineEdit;
class QMovie;
class QPushButton;
class StandardItemModel;
class TableView;

// The state text of a contact: "未激活", "已认证", "未认证" or "未知状态".
QString getStatuStr(int activation, int authenStatus);

class LinkmanCellWidget : public QWidget
{
    Q_OBJECT
public:
    // The mobile numbers a person row accepts.
    static const char* const kMobilePattern;

    // usertype: 0 a person, 1 a company; fixed for the row's life.
    LinkmanCellWidget(QListWidgetItem* item, int usertype, QWidget* parent = nullptr);

    // Takes the row into m_signInfo (checking the account with the service when it has no user
    // id yet) and returns its check code: 0 fine; a person: 1 no account, 2 not 11 characters,
    // 6 no mobile number; a company: 3 no account, 4 a malformed e-mail address, 5 a credit code
    // that is not 18 characters long.
    int judgeValue();
    SignerInfo getSignerInfo() const { return m_signInfo; }
    // Fills the row from a contact of the address book.
    void setadressBookUser(SignerInfo info);
    // Shows a state text with its icon (unknown texts keep the icon).
    void setAccountStatuStr(QString str);
    // Asks the service about the account; false when the request failed (the row is unchanged).
    bool getUserStatuAndId(QString& userid, bool& bAuthen);

    int userType() const { return m_userType; }
    QListWidgetItem* item() const { return m_curItem; }
    QLineEdit* accountEdit() const { return m_account; }
    QLineEdit* nameEdit() const { return m_remarkName; }
    QLabel* statusLabel() const { return m_textLabel; }
    QLabel* iconLabel() const { return m_imageLabel; }
    QPushButton* phoneButton() const { return m_phoneBtn; }
    QPushButton* deleteButton() const { return m_deleteBtn; }

signals:
    void deleteRow(QListWidgetItem* item);
    void addUserList(QListWidgetItem* item, QList<SignerInfo> users);

public slots:
    // The account field was left: check the account.
    void finished();
    // The phone button: choose contacts from the address book.
    void actionBtn();

private:
    // The account check; with the animation while it waits when animate is set.
    bool checkAccount(bool animate, bool& bAuthen);

    QLineEdit* m_account = nullptr;
    QLineEdit* m_remarkName = nullptr;
    QLabel* m_imageLabel = nullptr;
    QLabel* m_textLabel = nullptr;
    int m_userType = 0;
    QListWidgetItem* m_curItem = nullptr;
    QMovie* m_movie = nullptr;
    SignerInfo m_signInfo;
    QPushButton* m_phoneBtn = nullptr;
    QPushButton* m_deleteBtn = nullptr;
    QString m_iconPath;   // the state icon shown, empty for none
};

class LinkManListWidget : public QListWidget
{
    Q_OBJECT
public:
    static constexpr int kMaxRows = 10;

    explicit LinkManListWidget(QWidget* parent = nullptr);

    // An empty row of the type; refused with a message when the list is full.
    void addItemWidget(int userType);
    // A row filled from a signer (no limit check).
    void addItemWidget(SignerInfo info);
    LinkmanCellWidget* row(int index) const;
    int rows() const { return count(); }

    bool isRepeat = false;
    bool isPrompt = false;

public slots:
    void deleteItem(QListWidgetItem* item);
    // Contacts chosen from the address book of row item: the row goes, the contacts come in
    // (duplicates of an account already listed are skipped, at most 10 rows).
    void addUserList(QListWidgetItem* item, QList<SignerInfo> users);

private:
    LinkmanCellWidget* appendRow(int userType);
};

class AddressBookDialog : public ParentDialog
{
    Q_OBJECT
public:
    explicit AddressBookDialog(QWidget* parent = nullptr);

    // Shows the contacts (an empty list changes nothing).
    void fillTableView(QList<LinkmanInfo> list);
    // The ticked contacts as signers, in table order.
    void getSelectedUser(QList<SignerInfo>& out);

    QLineEdit* searchLine() const { return _searchLine; }
    StandardItemModel* model() const { return m_dataModel; }
    TableView* tableView() const { return m_tableView; }
    QPushButton* okButton() const { return m_okBtn; }
    QPushButton* cancelButton() const { return m_cancelBtn; }

public slots:
    void searchLineEditRetuen();
    // Searches the contacts for the search text.
    void search();

private:
    QLineEdit* _searchLine = nullptr;
    StandardItemModel* m_dataModel = nullptr;
    TableView* m_tableView = nullptr;
    QList<LinkmanInfo> m_linkman;
    LoadingWidget* loading = nullptr;
    QPushButton* m_okBtn = nullptr;
    QPushButton* m_cancelBtn = nullptr;
};
