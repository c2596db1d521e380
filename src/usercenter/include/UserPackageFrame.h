#pragma once
// The packages page of the user centre (page 3): the figures of the current package (signings
// and days left), the card that opens the package purchase block, and the packages the user
// holds, filtered by state ("使用中", "未使用", "已结束") and paged four at a time.
//
// The purchase block belongs to this page and, when opened, takes the page's place at index 3 of
// the user-centre stack until its back button or a paid purchase puts the page back.

#include "BusinessRecords.h"

#include <QList>
#include <QWidget>

class BlockWidget;
class CBuyMealInfoWidget;
class CPageWidget;
class LoadingWidget;
class QAbstractButton;
class QButtonGroup;
class QLabel;
class QListWidget;
class QPushButton;

// The card of one held package in the strip.
class PackageOrderListCell : public QWidget
{
    Q_OBJECT
public:
    PackageOrderListCell(const QString& orderNum, const QString& name, const QString& info, const QString& money,
                         const QString& time, QWidget* parent = nullptr);
    ~PackageOrderListCell() override;

    // The five values in the order given to the constructor.
    QStringList values() const { return m_values; }

private:
    QStringList m_values;
};

class UserPackageFrame : public QWidget
{
    Q_OBJECT
public:
    // Filter ids of the held-packages list.
    enum Filter { InUse = 1, NotUsed = 2, Ended = 3 };
    // Held packages per strip page.
    static constexpr int kRowsPerPage = 4;

    explicit UserPackageFrame(QWidget* parent = nullptr);
    ~UserPackageFrame() override;

    // Reloads the page: the figures and, when the user holds a package, page 1 of the list. While
    // the purchase block stands in the page's place, reloads the block instead.
    void showInfo();
    // false: the next strip fill shows the rows already loaded instead of requesting them.
    void setPageBtn(bool isPageBtn);

    // Days left of a package of mealDayNum days counted from updateDate, at noDate (the
    // service's time), both "yyyy-M-d hh:mm:ss": the elapsed whole days are taken from the
    // unsigned 32-bit difference of the two times in seconds; no day left but the package still
    // counted reads 1, fewer reads 0, and so does a date that does not parse.
    static int daysLeft(const QString& updateDate, const QString& noDate, int mealDayNum);

    // The purchase block; other screens (the account page) open it through this page.
    CBuyMealInfoWidget* _buyMealInfoWidfget = nullptr;

    QLabel* residueLabel() const { return num; }
    QLabel* daysLabel() const { return day; }
    QListWidget* packageList() const { return listWidget; }
    QWidget* emptyPanel() const { return m_widget; }
    CPageWidget* pageBar() const { return pageWidget; }
    QAbstractButton* filterButton(int id) const;
    QPushButton* buyButton() const { return m_buyBtn; }
    LoadingWidget* loading() const { return m_loading; }
    int filterMealStatus() const { return mealStatus; }
    int filterStatus() const { return status; }

public slots:
    // The paging bar selected page curPagenum (0-based).
    void setTableData(const int& nums, const int& curPagenum);
    // The paging bar's rows-per-page choice changed (the bar of this page hides that choice).
    void setComBoxData(const int& nums, const int& curPagenum);
    // A filter button was clicked.
    void onButtonClicked(int id);

signals:
    void loginAgain(int type);

private:
    void showPackageOrderList();
    void fillTableView();
    void showRows(bool any);
    // "购买套餐": the identity gate, then the purchase block in this page's place.
    void openPurchaseBlock();

    BlockWidget* _mealInfoWidget = nullptr;
    BlockWidget* _mealBuyInfoWidget = nullptr;
    BlockWidget* _packageListWidget = nullptr;
    QList<PackageInfo> packageInfo;
    QList<MyPackageOrderList> myPackageOrderList;
    CPageWidget* pageWidget = nullptr;
    QListWidget* listWidget = nullptr;
    QWidget* m_widget = nullptr;
    QButtonGroup* m_filterGroup = nullptr;
    QPushButton* m_buyBtn = nullptr;
    int mealStatus = 0;
    int status = 0;
    int isPageBtn = 0;
    int curNums = 10;
    int pages = -1;
    QLabel* num = nullptr;
    QLabel* day = nullptr;
    LoadingWidget* m_loading = nullptr;
};
