#pragma once
// The paging bar under every paged list: first, previous, a sliding window of page buttons,
// next, last, rows per page and a jump field. It holds no rows; it tells its screen which page
// (0-based) to show and with how many rows per page.

#include <QList>
#include <QPair>
#include <QWidget>

class QAbstractButton;
class QButtonGroup;
class QComboBox;
class QHBoxLayout;
class QIntValidator;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpacerItem;

class CPageWidget : public QWidget
{
    Q_OBJECT
public:
    CPageWidget(int pageNum = 0, int showPageNum = 9, QWidget* parent = nullptr, bool isHiddenCom = false);

    // Sets the page count and rebuilds the page buttons; selects nothing and emits nothing.
    void setBtnNums(int num);
    // Selects page `btnNum` (1-based) as a click on its button would.
    void setCusSelectBtn(int btnNum);
    void setFirstPage();
    void setEndPage();
    // Enables or disables first, last, rows per page and the jump field together.
    void setControlVisable(bool visible);

    // For lists held whole in memory: one page button per `nums` rows, then page 1 selected.
    template <typename List>
    void setData(const List& list, const int& nums)
    {
        removePageButtons();
        pageNums = 0;
        const int pages = pagesForList(static_cast<int>(list.size()), nums);
        setBtnNums(pages);
        m_showPageNum = pages > 9 ? 9 : pages;
        setControlVisable(pages > 0);
        setCusSelectBtn(1);
    }

    int pageCount() const { return pageNums; }
    int currentPage() const { return curPageId; }
    int rowsPerPage() const { return m_Nums; }
    QList<QAbstractButton*> pageButtons() const { return buttons; }

    // Pages for a list of `size` rows at `nums` rows per page.
    static int pagesForList(int size, int nums);
    // First and last index of the page buttons left visible by a jump to page `a` (1-based)
    // among `count` buttons; all of them when there are fewer than ten.
    static QPair<int, int> jumpWindow(int count, int a);
    // Visible window after "首页" and "尾页" with `show` buttons at most.
    static QPair<int, int> firstWindow(int count, int show);
    static QPair<int, int> lastWindow(int count, int show);

public slots:
    void SetButtonColor(QAbstractButton* btn);
    void FirstPageClicked();
    void EndPageClicked();
    void NextPageClicked();
    void UpPageClicked();
    void LineEditRetuen();
    void ComCurrentIndexChanged(int numPage);

signals:
    void setTableData(const int& nums, const int& curPagenum);
    void setComBoxData(const int& nums, const int& curPagenum);

private:
    void removePageButtons();
    void showWindow(QPair<int, int> window);

    QButtonGroup* bg = nullptr;
    QList<QAbstractButton*> buttons;
    QPushButton* firstPage = nullptr;
    QPushButton* upPage = nullptr;
    QPushButton* nextPage = nullptr;
    QPushButton* endPage = nullptr;
    QLineEdit* lineEdit = nullptr;
    QComboBox* comBox = nullptr;
    QLabel* label = nullptr;
    QLabel* label1 = nullptr;
    QHBoxLayout* hLay = nullptr;
    QSpacerItem* spacerItem = nullptr;
    QIntValidator* m_validator = nullptr;
    bool m_isHiddenCom = false;
    int pageNums = 0;
    int m_PageNum = 0;
    int m_showPageNum = 9;
    int curPageId = 0;
    int m_Nums = 10;
};
