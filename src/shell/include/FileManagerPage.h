#pragma once
// The document centre's list page: the logged-in user's cloud contracts in seven tabs (one per
// contract state, the drafts in a table of their own), a query bar, the pager, and the row
// actions: open, download, signing report, remind, delete, and the zip of ticked contracts.

#include "ContractRecords.h"

#include <QFrame>
#include <QList>
#include <QString>
#include <QVariant>
#include <functional>

class CPageWidget;
class DateTimeEdit;
class Level2MenuBar;
class LoadingWidget;
class QComboBox;
class QLineEdit;
class QPushButton;
class QToolButton;
class StandardItemModel;
class TableView;

class FileManagerPage : public QFrame
{
    Q_OBJECT
public:
    explicit FileManagerPage(QWidget* parent = nullptr);
    ~FileManagerPage() override;

    Level2MenuBar* getMenuBar() const { return _topWidget; }
    void setCurIndex(int index) { curIndex = index; }
    int currentIndex() const { return curIndex; }
    // Reloads the current tab from page 1.
    void getContractInfo();

    // Contract ids of drafts that are open in the signing workspace: they cannot be deleted.
    void addDraftsList(QString contractId);
    void deleteDraftsList(QString contractId);
    void clearDraftsList();
    const QList<QString>& draftsList() const { return _draftsList; }

    // Asks the desktop to show the folder that holds `file`.
    void openSelectFile(QString file);

    // Test seam: answers the save dialogs (arguments as QFileDialog::getSaveFileName's; an empty
    // answer cancels). Empty: the toolkit's dialog.
    using SaveFileChooser = std::function<QString(QWidget* parent, const QString& caption,
                                                  const QString& suggestion, const QString& filter)>;
    static void setSaveFileChooser(SaveFileChooser chooser);

    // Name of the zip entry of a contract: slashes and backslashes become hyphens, ".pdf" is added,
    // and a name already in `taken` gets " (2)", " (3)"... before the ending. The result is added
    // to `taken`.
    static QString zipEntryName(const QString& contractName, QStringList& taken);

    // For tests and the main window.
    const QList<ContractInfo>& contractInfos() const { return _contractInfos; }
    const QList<int>& checkedRows() const { return _rows; }
    int rowsPerPage() const { return nums; }
    TableView* tableView() const { return m_tableView; }
    TableView* draftsTableView() const { return m_drafts_tableView; }
    StandardItemModel* dataModel() const { return m_dataModel; }
    StandardItemModel* draftsDataModel() const { return m_drafts_dataModel; }
    CPageWidget* pageWidget() const { return pageWid; }
    QWidget* queryBar() const { return _centerWidget; }
    QWidget* draftsQueryBar() const { return _centerDraftsWidget; }
    QPushButton* batchDownloadButton() const { return m_downLoadBtn; }
    QPushButton* queryButton() const { return m_queryFilesBtn; }
    QPushButton* resetButton() const { return m_CusBtn; }
    QPushButton* draftsQueryButton() const { return m_draftsQueryBtn; }
    QComboBox* dateKindBox() const { return m_beginTimeComboBox; }
    QComboBox* quickRangeBox() const { return m_allTimeComboBox; }
    QLineEdit* nameField() const { return m_findLineEdit; }
    QLineEdit* draftsNameField() const { return m_draftsFindLineEdit; }
    DateTimeEdit* startDateField() const { return m_beignTime; }
    DateTimeEdit* endDateField() const { return m_endTime; }
    LoadingWidget* loadingWidget() const { return m_loading; }
    // The row button with the given text in a row of the visible table; null when there is none.
    QToolButton* rowButton(int row, const QString& text) const;

    // Converts a date shown as `format` into "yyyy-MM-dd"; empty when it does not parse.
    static QString timeFormat(const QString& text, const QString& format);

public slots:
    void toolbtnClicked(int i);
    void queryBtnClickde();
    void ComBoxCurrentIndexChanged(int arg);
    void setTableData(const int& nums, const int& curPagenum);
    void setComBoxData(const int& nums, const int& curPagenum);
    void on_tableView_entered(const QModelIndex& index);
    void on_drafts_tableView_entered(const QModelIndex& index);
    void infoBtnClicked();
    void shareBtnClicked();
    void downBtnClicked();
    void downReportClicked();
    void txBtnClicked();
    void delBtnClicked();
    void delDraftsBtnClicked();
    void batchDownload();
    void getCheckSelects(bool isSelects);
    void getCheck(int row, bool isCheck);
    void cusBtnClick();
    void draftsQueryClicked();

signals:
    // A contract to open in the workspace: a QVariant holding a copy of its ContractInfo.
    void openContract(QVariant variant);

private:
    void initUi();
    QWidget* initQueryBar();
    QWidget* initDraftsQueryBar();
    TableView* initTable(StandardItemModel*& model, const QStringList& headers, bool checkHeader);
    void addTableData(int i);
    void clearContent();
    void applyTabLayout(int i);
    void fillContractTable();
    void fillDraftsTable();
    // Empties the visible table and what it listed (after a failed request).
    void clearShownRows();
    // Requests page `pageNum` of the current tab with the filters of its bar.
    bool requestPage(int pageNum, int& totalPage);
    void showPages(int totalPage);
    // Makes `row` the acted-on row when it still lists contract `contractId`; false otherwise.
    bool bindRow(int row, const QString& contractId);
    void deleteContract();
    void openCurrent();
    const ContractInfo* currentContract() const;
    QToolButton* rowToolButton(QWidget* parent, const QString& text, const QString& icon, double w);
    void messageBox(bool error, const QString& text);

    QWidget* _centerDraftsWidget = nullptr;
    LoadingWidget* m_loading = nullptr;
    Level2MenuBar* _topWidget = nullptr;
    QList<ContractInfo> _contractInfos;
    QWidget* _centerWidget = nullptr;
    QPushButton* m_downLoadBtn = nullptr;
    QPushButton* m_queryFilesBtn = nullptr;
    QPushButton* m_CusBtn = nullptr;
    QComboBox* m_beginTimeComboBox = nullptr;
    QComboBox* m_allTimeComboBox = nullptr;
    QLineEdit* m_findLineEdit = nullptr;
    DateTimeEdit* m_beignTime = nullptr;
    DateTimeEdit* m_endTime = nullptr;
    TableView* m_tableView = nullptr;
    StandardItemModel* m_dataModel = nullptr;
    CPageWidget* pageWid = nullptr;
    TableView* m_drafts_tableView = nullptr;
    StandardItemModel* m_drafts_dataModel = nullptr;
    QLineEdit* m_draftsFindLineEdit = nullptr;
    QPushButton* m_draftsQueryBtn = nullptr;
    int curIndex = 0;
    int tabViewRow = -1;
    int nums = 10;
    bool _isCheckSelects = false;
    QList<int> _rows;
    int isPageBtn = 0;
    QString m_sTimeStr;
    QString m_eTimeStr;
    QList<QString> _draftsList;
};
