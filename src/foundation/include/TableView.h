#pragma once
// The paged table kit of the list screens: a model that shows one page of its rows, a preset
// table view with a checkable header and column-width rules, and the delegates that paint check
// cells and rows of text buttons.

#include <QHeaderView>
#include <QItemDelegate>
#include <QMap>
#include <QPixmap>
#include <QStandardItemModel>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QVector>
#include <QWidget>

class QLabel;
class QLineEdit;
class QPushButton;

// Model whose views see one page of its rows: view row r is model row m_curPage * m_pageRows + r.
// rowCount ignores its parent argument, and every setData (any role) emits sendCheck with the
// view row; the list screens rely on both.
class StandardItemModel : public QStandardItemModel
{
    Q_OBJECT
public:
    explicit StandardItemModel(QObject* parent = nullptr);

    void clear();
    void setPageRows(int rows) { m_pageRows = rows; }
    int pageRows() const { return m_pageRows; }
    int curPageNo() const { return m_curPage; }
    int totalRowCount() const { return m_rows; }
    void setTotalRowCount(int count);
    int pagecount();

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

    QStandardItem* standarItem(int row, int column) const;
    void removeRow(int row);

    void gotoPage(int page);
    void nextPage();
    void prePage();
    void setCurPageData(int page);

    // Pages needed for `rows` rows at `pageRows` per page; 0 when a page holds no rows.
    static int pagesFor(int rows, int pageRows);
    // Rows a view sees on page `page`: never negative, never more than a page.
    static int visibleRows(int rows, int pageRows, int page);

signals:
    void pageIndexChanged(int page);
    void sendCheck(int row, bool isCheck);

private:
    int modelRow(int viewRow) const { return m_curPage * m_pageRows + viewRow; }
    template <typename Change>
    void resetAround(Change change);

    int m_curPage = 0;
    int m_pageRows = 13;
    int m_rows = 0;
    int m_pageCount = 0;
};

// One column-width rule: an absolute width in pixels, or a weight sharing the free width.
struct sectionStateView {
    bool fixed = false;
    int v = 0;
};

// Horizontal header whose section 0 can carry a select-all check box.
class HeaderView : public QHeaderView
{
    Q_OBJECT
public:
    HeaderView(Qt::Orientation orientation, QWidget* parent = nullptr);

    void setCheckable(bool show) { m_bShow = show; }
    bool isCheckable() const { return m_bShow; }
    bool isChecked() const { return m_bChecked; }

signals:
    void stateChanged_signal(bool bchecked);

protected:
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    bool m_bChecked = false;
    bool m_bPressed = false;
    bool m_bShow = false;
    QPixmap m_pixmapNormal;
    QPixmap m_pixmapChecked;
};

// The preset table of every list screen.
class TableView : public QTableView
{
    Q_OBJECT
public:
    TableView(QWidget* parent = nullptr, int iType = 0);

    void setDataModel(QStandardItemModel* model);
    void setHorHeaderCheckable(bool b);
    void setHorHeaderHeight(int h);
    void setHorHeaderSectionStretch(int i, int stretch, bool fixed);
    void forceResize();
    HeaderView* horizontalHeader() const { return m_horizontalHeader; }

    // Widths for the rules at a view width: W = viewWidth - 2; fixed rules keep their width,
    // weighted rules share what is left, and the last rule takes the exact remainder.
    static QMap<int, int> sectionWidths(int viewWidth, const QMap<int, sectionStateView>& rules);
    // Top-left corner of the empty-table picture and the rectangle of its text.
    static QPoint emptyPicturePos(int viewWidth, const QSize& picture);
    static QRect emptyTextRect(int viewWidth, const QSize& picture);
    static const char* emptyPicturePath();

public slots:
    void stateChanged_slot(bool bchecked);
    void customContextMenuRequested_slot(QPoint pos);

signals:
    void sendCheckSelects(bool isSelects);
    void bottonsClicked(int, QModelIndex&);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    void resizeTableView();

    int m_fixedSectionsWidth = 0;
    QMap<int, sectionStateView> m_stretchMap;
    HeaderView* m_horizontalHeader = nullptr;
    QStandardItemModel* m_model = nullptr;
    int m_itype = 0;
};

// Paints check cells (column 0) and rows of text buttons (last column).
class TableWidgetItemDelegate : public QItemDelegate
{
    Q_OBJECT
public:
    TableWidgetItemDelegate(QObject* parent = nullptr, bool isCheck = false);

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    bool editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                     const QModelIndex& index) override;
    void updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const override;

    // Rectangle of button i of n in a button cell.
    static QRectF buttonRect(const QRect& cell, int n, int i);
    // Caption as shown (state character removed) and whether the button is enabled.
    static QString buttonText(const QString& caption);
    static bool buttonEnabled(const QString& caption);
    // Top-left corner of a check picture centred in a cell.
    static QPoint checkPicturePos(const QRect& cell, const QSize& picture);

signals:
    void bottonsClicked(int, const QModelIndex&);

private:
    QPixmap m_pixmapNoramal;
    QPixmap m_pixmapChecked;
    bool isCheck = false;
};

// Makes item editors and item widgets fill their cells.
class resizeDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    explicit resizeDelegate(QObject* parent = nullptr);
    void updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const override;
};

// A page bar driven by the model's own paging (total count, first/previous/next/last, page field).
class TablePageWidget : public QWidget
{
    Q_OBJECT
public:
    explicit TablePageWidget(QWidget* parent = nullptr);
    void setDataModel(StandardItemModel* model);

    // True for an empty text or one made only of the digits 0 to 9.
    static bool VerifyNumber(const QString& text);

private slots:
    void pageChanged(int page);
    void pageEdited();

private:
    void refresh();

    StandardItemModel* m_model = nullptr;
    QLabel* m_total = nullptr;
    QPushButton* m_first = nullptr;
    QPushButton* m_prev = nullptr;
    QPushButton* m_next = nullptr;
    QPushButton* m_last = nullptr;
    QLineEdit* m_page = nullptr;
};
