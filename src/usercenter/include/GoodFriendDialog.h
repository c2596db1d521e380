#pragma once
// The grantee picker of the new-authorisation form: the user's contacts in a paged table with a
// check box per row, a search, and a strip that shows the one contact chosen. Only a verified
// person who holds no authorisation yet can be chosen. After "确认" the caller reads the chosen
// contact's name, account and user id (all empty when none is chosen).

#include "BusinessRecords.h"
#include "ParentDialog.h"

#include <QList>
#include <QModelIndex>
#include <QString>

class CListControlRoll;
class CPageWidget;
class LoadingWidget;
class QFrame;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;
class QToolButton;
class StandardItemModel;
class TableView;

// The chip of the chosen contact: name over account, and a delete button.
class SelectFriendListCell : public QWidget
{
    Q_OBJECT
public:
    SelectFriendListCell(const QString& nameStr, const QString& accStr, const QString& id, QWidget* parent = nullptr);
    ~SelectFriendListCell() override;

    void bandListItem(QListWidgetItem* bandItem) { m_bandItem = bandItem; }
    QString contactId() const { return m_id; }
    QString nameText() const;
    QString accountText() const;
    QToolButton* deleteButton() const { return m_delBtn; }

signals:
    void delItem(QListWidgetItem* item);

private:
    QListWidgetItem* m_bandItem = nullptr;
    QString m_id;
    QLabel* m_name = nullptr;
    QLabel* m_account = nullptr;
    QToolButton* m_delBtn = nullptr;
};

class GoodFriendDialog : public ParentDialog
{
    Q_OBJECT
public:
    explicit GoodFriendDialog(QWidget* parent = nullptr);
    ~GoodFriendDialog() override;

    // The chosen contact's userName, userAccount and userId; empty while none is chosen.
    QString m_NameStr;
    QString m_AccountStr;
    QString m_UserId;

    void fillTableView(QList<LinkmanInfo> linkman);

    // Parts of the dialog, for tests.
    QLineEdit* searchField() const { return _searchLine; }
    TableView* tableView() const { return m_tableView; }
    StandardItemModel* tableModel() const { return m_dataModel; }
    CPageWidget* pagingBar() const { return pageWidget; }
    QListWidget* chips() const { return m_selectFriendWidget; }
    QPushButton* confirmButton() const { return m_okBtn; }
    QPushButton* cancelButton() const { return m_cancelBtn; }
    QList<LinkmanInfo> contacts() const { return m_linkman; }
    int currentPage() const { return curPage; }
    // Whether the check cell of table row `row` is checked.
    bool isRowChecked(int row) const;
    // Checks or unchecks row `row` as a click on its check cell would.
    void clickRow(int row);

public slots:
    void searchLineEditRetuen();
    void delLiwtWidgetItem(QListWidgetItem* item);
    void on_tableView_entered(const QModelIndex& index);
    void getCheck(int row, bool isCheck);
    void setTableData(const int& nums, const int& curPagenum);
    void setComBoxData(const int& nums, const int& curPagenum);

private:
    // Loads the contacts that match `query` (empty: all) and shows page 1; false on a failed load.
    bool loadContacts(const QString& query, LoadingWidget* busy);
    // The contact index of table row `row` on the page shown; -1 past the list.
    int contactIndex(int row) const;
    // The table row of the chosen contact on the page shown; -1 when it is not there.
    int chosenRow() const;
    // Sets a row's check cell without treating the change as the user's.
    void setRowChecked(int row, bool checked);
    void dropChoice();

    QLineEdit* _searchLine = nullptr;
    StandardItemModel* m_dataModel = nullptr;
    TableView* m_tableView = nullptr;
    QList<LinkmanInfo> m_linkman;
    QListWidget* m_selectFriendWidget = nullptr;
    CListControlRoll* m_selectFriendControl = nullptr;
    LoadingWidget* loading = nullptr;
    CPageWidget* pageWidget = nullptr;
    QFrame* m_frame = nullptr;
    int count = 0;
    int selectRow = -1;
    int tabViewRow = -1;
    int curNums = 10;
    int curPage = 0;

    QString m_query;   // the search of the list on show; a new rows-per-page load keeps it
    QPushButton* m_okBtn = nullptr;
    QPushButton* m_cancelBtn = nullptr;
};
