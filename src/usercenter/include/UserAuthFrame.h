#pragma once
// The seal-authorisation page of the user centre (page 5): the authorisations that concern the
// logged-in user, paged by the service, and the form with which a company grants some of its
// seals to a person. The page shows either the list card with its paging bar or the form card.

#include "ContractRecords.h"

#include <QList>
#include <QModelIndex>
#include <QPixmap>
#include <QString>
#include <QVariant>
#include <QWidget>

class BlockWidget;
class CPageWidget;
class DateTimeEdit;
class LoadingWidget;
class QButtonGroup;
class QFrame;
class QGridLayout;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;
class QRadioButton;
class QTextEdit;
class QToolButton;
class StandardItemModel;
class TableView;

// One chip of the form's chosen-seal strip: the seal's picture and name, and a delete button.
class UserAuthSelectSeal : public QWidget
{
    Q_OBJECT
public:
    UserAuthSelectSeal(QPixmap pixMap, QString txtStr, QString sealid, QWidget* parent = nullptr);
    ~UserAuthSelectSeal() override;

    // The list item that holds the chip; the delete button hands it back.
    void bandListItem(QListWidgetItem* bandItem) { m_bandItem = bandItem; }
    QString sealId() const { return m_sealId; }
    QString sealName() const;
    QPushButton* deleteButton() const { return m_delBtn; }

signals:
    void delItem(QListWidgetItem* item);

private:
    QListWidgetItem* m_bandItem = nullptr;
    QString m_sealId;
    QLabel* m_nameLabel = nullptr;
    QPushButton* m_delBtn = nullptr;
};

class CUserAuthFrame : public QWidget
{
    Q_OBJECT
public:
    explicit CUserAuthFrame(QWidget* parent = nullptr);
    ~CUserAuthFrame() override;

    // false: the next paging callback shows the rows just loaded instead of asking again.
    void setPageBtn(bool isPageBtn);
    // Loads page 1 of the list for the current status filter and the given search text (empty:
    // no search) and rebuilds the paging bar. Later pages keep that search.
    void showListInfo(QString searchStr);
    // Fills the grantor line of the form from the logged-in user and shows "新增授权人" to
    // companies only.
    void showinfo();
    // Empties the form and shows the list again.
    void clearAuthCon();

    // Seconds from stime to etime, both read with timeFormat.
    static int timeJudgement(const QString& stime, const QString& etime, const QString& timeFormat);

    // The parts of the page, for the container and for tests.
    BlockWidget* listCard() const { return blockWidget; }
    BlockWidget* formCard() const { return addAuthBlockWidget; }
    CPageWidget* pagingBar() const { return pageWidget; }
    TableView* tableView() const { return m_tableView; }
    StandardItemModel* tableModel() const { return m_dataModel; }
    QButtonGroup* filterButtons() const { return m_filterGroup; }
    QLineEdit* searchField() const { return m_searchLine; }
    QPushButton* newGrantButton() const { return addSignBtn; }
    // The row buttons of table row `row` ("停止" and "查看"); null past the rows shown.
    QPushButton* stopButton(int row) const;
    QPushButton* viewButton(int row) const;
    QList<AuthorizeList> rows() const { return authorizeListInfo; }
    int statusFilter() const { return status; }
    QString activeSearch() const { return m_searchStr; }

    QLabel* grantorLabel() const { return authorizerLabelName; }
    QLineEdit* accountField() const { return authorizedLineEdit; }
    QLineEdit* nameField() const { return authorizedNameLineEdit; }
    QString granteeId() const { return m_userId; }
    QPushButton* contactsButton() const { return m_contactsBtn; }
    QLineEdit* countField() const { return numsLineEdit; }
    QPushButton* countDownButton() const { return delBtn; }
    QPushButton* countUpButton() const { return addBtn; }
    QRadioButton* noLimitButton() const { return conTrolCk; }
    DateTimeEdit* endDateField() const { return m_endTime; }
    QToolButton* addSealButton() const { return m_addSealBtn; }
    QFrame* sealStrip() const { return m_sealFrame; }
    QLabel* sealStripCaption() const { return m_txtLabel; }
    QListWidget* sealChips() const { return m_listWidget; }
    QList<SelectAuthSeals> chosenSeals() const { return m_selectSealLists; }
    QTextEdit* remarkField() const { return remarkEdit; }
    QLabel* remarkCounter() const { return limitLabel; }
    QPushButton* startButton() const { return m_startBtn; }
    QPushButton* cancelButton() const { return m_cancelBtn; }
    QPushButton* backButton() const { return m_backBtn; }

public slots:
    void onButtonClicked(int id);
    void setTableData(const int& nums, const int& curPagenum);
    void setComBoxData(const int& nums, const int& curPagenum);
    void on_tableView_entered(const QModelIndex& index);
    void delLiwtWidgetItem(QListWidgetItem* item);
    void dateEndChanged(QString arg);
    void remarkTextChanged();

signals:
    // An authorisation document to open in the signing workspace (a StartAuthSuccessInfo).
    void openContractAuthFile(QVariant variant);
    // The main window should show its user-centre page.
    void turnTitleBar();

private:
    // The list card.
    void authListWid(QWidget* wid);
    void fillTableView();
    // Loads page 1 for the current filter, search and rows per page and rebuilds the paging bar.
    void loadFirstPage();
    void search();
    void viewAuthorisation(const AuthorizeList& entry);
    void stopAuthorisation(const AuthorizeList& entry);
    void newGrant();

    // The form card.
    void addAuthWid(QWidget* wid);
    void lookupGrantee();
    void pickGrantee();
    void pickSeals();
    void rebuildSealStrip();
    void startGrant();
    void setCountControlsEnabled(bool enabled);
    void placeRemarkCounter(int left);
    // Name and user id of the grantee go together: both set, or both emptied.
    void clearGrantee(bool alsoAccount);
    void toast(const QString& text);

    QString btnStyle;
    BlockWidget* blockWidget = nullptr;
    BlockWidget* addAuthBlockWidget = nullptr;
    TableView* m_tableView = nullptr;
    StandardItemModel* m_dataModel = nullptr;
    CPageWidget* pageWidget = nullptr;
    QLineEdit* authorizedLineEdit = nullptr;
    QLineEdit* authorizedNameLineEdit = nullptr;
    QLineEdit* numsLineEdit = nullptr;
    QRadioButton* conTrolCk = nullptr;
    DateTimeEdit* m_endTime = nullptr;
    QPushButton* addSignBtn = nullptr;
    QPushButton* delBtn = nullptr;
    QPushButton* addBtn = nullptr;
    QFrame* m_sealFrame = nullptr;
    QListWidget* m_listWidget = nullptr;
    QLabel* m_txtLabel = nullptr;
    LoadingWidget* m_loading = nullptr;
    QTextEdit* remarkEdit = nullptr;
    QLabel* limitLabel = nullptr;
    int maxLength = 100;
    QList<AuthorizeList> authorizeListInfo;
    QList<SelectAuthSeals> m_selectSealLists;
    int status = 0;
    int tabViewRow = -1;
    int isPageBtn = 0;
    int curNums = 10;
    int pages = -1;
    QLabel* authorizerLabelName = nullptr;
    QString m_userId;

    QString m_searchStr;   // the search of the list on show; paging keeps it
    QButtonGroup* m_filterGroup = nullptr;
    QLineEdit* m_searchLine = nullptr;
    QPushButton* m_contactsBtn = nullptr;
    QToolButton* m_addSealBtn = nullptr;
    QPushButton* m_startBtn = nullptr;
    QPushButton* m_cancelBtn = nullptr;
    QPushButton* m_backBtn = nullptr;
    QGridLayout* m_formGrid = nullptr;
};
