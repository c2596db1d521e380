#pragma once
// The contacts page of the user centre (page 2) and its three dialogs: add, change and delete a
// contact. The page loads every contact in one request and pages the list itself.
//
// Each row's "修改" and "删除" buttons carry the list index and the id of the contact they were
// made for; a button whose contact is no longer at that index (the list was reloaded since)
// does nothing.

#include "BusinessRecords.h"
#include "ParentDialog.h"

#include <QList>
#include <QWidget>

class BlockWidget;
class CPageWidget;
class LoadingWidget;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QToolButton;
class StandardItemModel;
class TableView;

class LinkManFrame : public QWidget
{
    Q_OBJECT
public:
    explicit LinkManFrame(QWidget* parent = nullptr);
    ~LinkManFrame() override;

    // Reloads every contact from the service and shows page 1.
    void showInfo();

    // The text of the column "帐号状态" for a contact's verification state and activation.
    static QString accountStateText(int authenStatus, int activation);

    const QList<LinkmanInfo>& contacts() const { return linkManInfo; }
    int rowsPerPage() const { return curNums; }
    int currentPage() const { return curPage; }
    QPushButton* addButton() const { return m_addperson; }
    QListWidget* groupList() const { return m_listWidget; }
    TableView* tableView() const { return m_tableView; }
    StandardItemModel* dataModel() const { return m_dataModel; }
    CPageWidget* pageBar() const { return pageWidget; }
    LoadingWidget* loadingWidget() const { return m_loading; }
    // The "修改" and "删除" buttons of a row of the page shown; null for a row without a contact.
    QToolButton* modifyButton(int row) const;
    QToolButton* deleteButton(int row) const;

public slots:
    // Shows page curPagenum (from 0) at nums rows per page.
    void setTableData(const int& nums, const int& curPagenum);
    // The rows per page changed: reloads from the service with the new page size.
    void setComBoxData(const int& nums, const int& curPagenum);
    void modifyLinkManBtnClicked();
    void delLinkManBtnClicked();
    void addLink();
    // A dialog changed the service's contacts: closes it (the add dialog only for type 0, its
    // "保存") and reloads.
    void addLinkMan(int type);
    void delLinkMan();
    void modifyLinkMan();

signals:
    void loginAgain(int type);

private:
    QWidget* initLeftWidget();
    void initRightWidget();
    // Fills view row i with the contact at list index contactIndex.
    void fillTableView(int i, int contactIndex, const int& userType, const QString& imgUrl, const QString& name,
                       const QString& acc, const QString& team, const QString& createTime);
    QToolButton* rowButton(int row, const char* name) const;
    // The contact a row button was made for, or null when the list no longer holds it.
    const LinkmanInfo* boundContact(QObject* button) const;
    // Hands the list to the paging bar, which shows page 1 (an empty list leaves no pages).
    void showPages(int nums);
    void setContactCount(int count);

    QPushButton* m_addperson = nullptr;
    QListWidget* m_listWidget = nullptr;
    LoadingWidget* m_loading = nullptr;
    BlockWidget* rightWidget = nullptr;
    TableView* m_tableView = nullptr;
    StandardItemModel* m_dataModel = nullptr;
    CPageWidget* pageWidget = nullptr;
    QList<LinkmanInfo> linkManInfo;
    int curNums = 10;
    int curPage = 0;
};

// "增加联系人": name, account and group; "保存" adds and closes, "保存并继续添加" adds and
// empties the fields for the next contact.
class addLinkmanDlg : public ParentDialog
{
    Q_OBJECT
public:
    explicit addLinkmanDlg(QWidget* parent = nullptr);

    QLineEdit* nameEdit() const { return m_nameLineEdit; }
    QLineEdit* accountEdit() const { return m_accountLineEdit; }
    QComboBox* groupBox() const { return m_groupLineEdit; }
    QPushButton* saveButton() const { return m_save; }
    QPushButton* saveAndContinueButton() const { return m_saveContinue; }
    QPushButton* cancelButton() const { return m_cancel; }
    LoadingWidget* loadingWidget() const { return m_loading; }

signals:
    // 0: added by "保存"; 1: added by "保存并继续添加".
    void addLinkMan(int type);
    void loginAgain(int type);

private:
    void save(int type);

    QLineEdit* m_nameLineEdit = nullptr;
    QLineEdit* m_accountLineEdit = nullptr;
    QComboBox* m_groupLineEdit = nullptr;
    LoadingWidget* m_loading = nullptr;
    QPushButton* m_save = nullptr;
    QPushButton* m_saveContinue = nullptr;
    QPushButton* m_cancel = nullptr;
};

// "联系人删除": shows the contact's name and account and deletes it on "确认删除".
class DelLinkmanDlg : public ParentDialog
{
    Q_OBJECT
public:
    DelLinkmanDlg(QWidget* parent, const QString& name, const QString& phone, const QString& id);

    QString contactId() const { return m_id; }
    QLabel* nameLabel() const { return m_name; }
    QLabel* accountLabel() const { return m_account; }
    QPushButton* confirmButton() const { return m_confirm; }
    QPushButton* cancelButton() const { return m_cancel; }
    LoadingWidget* loadingWidget() const { return m_loading; }

signals:
    void delLinkMan();
    void loginAgain(int type);

private:
    QString m_id;
    QLabel* m_name = nullptr;
    QLabel* m_account = nullptr;
    LoadingWidget* m_loading = nullptr;
    QPushButton* m_confirm = nullptr;
    QPushButton* m_cancel = nullptr;
};

// "修改联系人": the contact's name and account, changed in the service on "保存".
class ModifyLinkmanDlg : public ParentDialog
{
    Q_OBJECT
public:
    ModifyLinkmanDlg(QWidget* parent, const QString& name, const QString& phone, const QString& id);

    QString contactId() const { return m_id; }
    QLineEdit* nameEdit() const { return m_nameEdit; }
    QLineEdit* accountEdit() const { return m_accountEdit; }
    QPushButton* saveButton() const { return m_save; }
    QPushButton* cancelButton() const { return m_cancel; }
    LoadingWidget* loadingWidget() const { return m_loading; }

signals:
    void modifyLinkMan();
    void loginAgain(int type);

private:
    QString m_id;
    QLineEdit* m_nameEdit = nullptr;
    QLineEdit* m_accountEdit = nullptr;
    LoadingWidget* m_loading = nullptr;
    QPushButton* m_save = nullptr;
    QPushButton* m_cancel = nullptr;
};
