#include "TableView.h"

#include "GlobalHeader.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCursor>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QtMath>

namespace {

const char* const kCheckOffPicture = ":/usercenter/Resources/images/usercenter/checkbox_off.png";
const char* const kCheckOnPicture = ":/usercenter/Resources/images/usercenter/checkbox_on.png";
const char* const kEmptyTablePicture = ":/filemanage/Resources/images/filemanage/nofound.png";

const int kRoleKind = Qt::UserRole;
const int kRoleState = Qt::UserRole + 1;
const int kRoleHover = Qt::UserRole + 100;

QPixmap checkPicture(const char* path)
{
    const int side = static_cast<int>(18 * screenZoom);
    QPixmap pix(path);
    if (pix.isNull() || side <= 0)
        return pix;
    return pix.scaled(side, side, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// StandardItemModel

StandardItemModel::StandardItemModel(QObject* parent) : QStandardItemModel(parent) {}

int StandardItemModel::pagesFor(int rows, int pageRows)
{
    if (rows <= 0 || pageRows <= 0)
        return 0;
    return (rows + pageRows - 1) / pageRows;
}

int StandardItemModel::visibleRows(int rows, int pageRows, int page)
{
    if (pageRows <= 0)
        return 0;
    const int left = rows - page * pageRows;
    return qBound(0, left, pageRows);
}

// Views know only the rows of the current page, while the base model inserts and removes rows
// of the whole list; so row changes are announced to views as one reset instead.
template <typename Change>
void StandardItemModel::resetAround(Change change)
{
    beginResetModel();
    {
        const QSignalBlocker quiet(this);
        change();
    }
    endResetModel();
}

void StandardItemModel::clear()
{
    resetAround([this] {
        if (m_rows > 0)
            QStandardItemModel::removeRows(0, m_rows);
        m_curPage = 0;
        m_rows = 0;
        m_pageCount = 0;
    });
}

void StandardItemModel::setTotalRowCount(int count)
{
    resetAround([this, count] {
        m_rows = qMax(0, count);
        QStandardItemModel::setRowCount(m_rows);
    });
}

int StandardItemModel::pagecount()
{
    m_pageCount = pagesFor(m_rows, m_pageRows);
    return m_pageCount;
}

int StandardItemModel::rowCount(const QModelIndex&) const
{
    return visibleRows(m_rows, m_pageRows, m_curPage);
}

QVariant StandardItemModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return QVariant();
    const QModelIndex mapped = createIndex(modelRow(index.row()), index.column(), index.internalPointer());
    return QStandardItemModel::data(mapped, role);
}

bool StandardItemModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!index.isValid())
        return false;
    const QModelIndex mapped = createIndex(modelRow(index.row()), index.column(), index.internalPointer());
    const bool stored = QStandardItemModel::setData(mapped, value, role);
    const int rows = rowCount();
    const int columns = columnCount();
    if (rows > 0 && columns > 0)
        emit dataChanged(QStandardItemModel::index(0, 0), QStandardItemModel::index(rows - 1, columns - 1));
    emit sendCheck(index.row(), value.toBool());
    return stored;
}

QStandardItem* StandardItemModel::standarItem(int row, int column) const
{
    return item(modelRow(row), column);
}

void StandardItemModel::removeRow(int row)
{
    resetAround([this, row] {
        if (QStandardItemModel::removeRows(modelRow(row), 1))
            m_rows = qMax(0, m_rows - 1);
    });
}

void StandardItemModel::gotoPage(int page)
{
    setCurPageData(page);
}

void StandardItemModel::nextPage()
{
    if (m_curPage + 1 < pagecount())
        setCurPageData(m_curPage + 1);
}

void StandardItemModel::prePage()
{
    if (m_curPage > 0)
        setCurPageData(m_curPage - 1);
}

void StandardItemModel::setCurPageData(int page)
{
    const bool valid = page >= 0 && page < pagecount();
    beginResetModel();
    if (valid)
        m_curPage = page;
    endResetModel();
    if (valid)
        emit pageIndexChanged(page);
}

// ---------------------------------------------------------------------------------------------
// HeaderView

HeaderView::HeaderView(Qt::Orientation orientation, QWidget* parent) : QHeaderView(orientation, parent)
{
    m_pixmapNormal = checkPicture(kCheckOffPicture);
    m_pixmapChecked = checkPicture(kCheckOnPicture);
}

void HeaderView::paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const
{
    painter->save();
    QHeaderView::paintSection(painter, rect, logicalIndex);
    painter->restore();
    if (logicalIndex != 0 || !m_bShow)
        return;
    const QPixmap& pix = m_bChecked ? m_pixmapChecked : m_pixmapNormal;
    painter->save();
    painter->setRenderHint(QPainter::SmoothPixmapTransform);
    painter->drawPixmap(rect.x() + static_cast<int>((rect.width() - pix.width()) * 0.5),
                        rect.y() + static_cast<int>((rect.height() - pix.height()) * 0.5), pix);
    painter->restore();
}

void HeaderView::mousePressEvent(QMouseEvent* event)
{
    const int along = orientation() == Qt::Horizontal ? event->pos().x() : event->pos().y();
    if (isEnabled() && m_bShow && logicalIndexAt(along) == 0) {
        m_bPressed = true;
        event->accept();
        return;
    }
    QHeaderView::mousePressEvent(event);
}

void HeaderView::mouseReleaseEvent(QMouseEvent* event)
{
    if (m_bPressed) {
        m_bChecked = !m_bChecked;
        emit stateChanged_signal(m_bChecked);
    } else {
        QHeaderView::mouseReleaseEvent(event);
    }
    updateSection(0);
    m_bPressed = false;
}

// ---------------------------------------------------------------------------------------------
// TableView

TableView::TableView(QWidget* parent, int iType) : QTableView(parent), m_itype(iType)
{
    setProperty("mode", "table");
    setMouseTracking(true);
    verticalHeader()->hide();

    m_horizontalHeader = new HeaderView(Qt::Horizontal, this);
    m_horizontalHeader->setFixedHeight(static_cast<int>(27 * screenZoom));
    m_horizontalHeader->setHighlightSections(false);
    m_horizontalHeader->setDefaultAlignment(Qt::AlignCenter);
    m_horizontalHeader->setSectionResizeMode(QHeaderView::Fixed);
    // The width rules decide every width, also those below the style's usual minimum.
    m_horizontalHeader->setMinimumSectionSize(0);
    setHorizontalHeader(m_horizontalHeader);

    setContextMenuPolicy(Qt::CustomContextMenu);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setShowGrid(false);
    setAlternatingRowColors(true);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setFocusPolicy(Qt::NoFocus);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);

    connect(this, &QWidget::customContextMenuRequested, this, &TableView::customContextMenuRequested_slot);
    connect(m_horizontalHeader, &HeaderView::stateChanged_signal, this, &TableView::stateChanged_slot);
}

void TableView::setDataModel(QStandardItemModel* model)
{
    m_model = model;
    setModel(model);
    // A view laid out before it had a model gets its width rules now, not at its next resize.
    resizeTableView();
}

void TableView::setHorHeaderCheckable(bool b)
{
    m_horizontalHeader->setCheckable(b);
}

void TableView::setHorHeaderHeight(int h)
{
    m_horizontalHeader->setFixedHeight(h);
}

void TableView::setHorHeaderSectionStretch(int i, int stretch, bool fixed)
{
    sectionStateView rule;
    rule.fixed = fixed;
    rule.v = stretch;
    m_stretchMap.insert(i, rule);
}

void TableView::forceResize()
{
    resizeTableView();
}

QMap<int, int> TableView::sectionWidths(int viewWidth, const QMap<int, sectionStateView>& rules)
{
    QMap<int, int> widths;
    const int total = viewWidth - 2;
    int fixedWidth = 0;
    double weights = 0;
    for (const sectionStateView& rule : rules) {
        if (rule.fixed)
            fixedWidth += rule.v;
        else
            weights += rule.v;
    }
    const int freeWidth = total - fixedWidth;
    int handedOut = 0;
    int k = 0;
    const int n = rules.size();
    for (auto it = rules.constBegin(); it != rules.constEnd(); ++it, ++k) {
        int width;
        if (k == n - 1) {
            width = total - handedOut;
        } else if (it->fixed) {
            width = it->v;
            handedOut += it->v;
        } else {
            // Weights that sum to nothing share nothing: the last column takes the free width.
            const double share = weights > 0 ? it->v / weights * freeWidth : 0.0;
            width = static_cast<int>(share);
            handedOut = static_cast<int>(handedOut + share);
        }
        widths.insert(it.key(), qMax(0, width));
    }
    return widths;
}

void TableView::resizeTableView()
{
    m_fixedSectionsWidth = 0;
    for (const sectionStateView& rule : qAsConst(m_stretchMap))
        if (rule.fixed)
            m_fixedSectionsWidth += rule.v;
    const QMap<int, int> widths = sectionWidths(width(), m_stretchMap);
    for (auto it = widths.constBegin(); it != widths.constEnd(); ++it)
        m_horizontalHeader->resizeSection(it.key(), it.value());
    viewport()->update();
}

void TableView::resizeEvent(QResizeEvent* event)
{
    QTableView::resizeEvent(event);
    resizeTableView();
}

const char* TableView::emptyPicturePath()
{
    return kEmptyTablePicture;
}

QPoint TableView::emptyPicturePos(int viewWidth, const QSize& picture)
{
    return QPoint(static_cast<int>((viewWidth - picture.width()) * 0.5), 100);
}

QRect TableView::emptyTextRect(int viewWidth, const QSize& picture)
{
    return QRect(QPoint(0, picture.height() + 100), QPoint(viewWidth - 1, picture.height() + 135));
}

void TableView::paintEvent(QPaintEvent* event)
{
    // Without a model (painted before setDataModel) the table counts as empty.
    if (m_model && m_model->rowCount() > 0) {
        QTableView::paintEvent(event);
        return;
    }
    QPainter painter(viewport());
    painter.setRenderHint(QPainter::Antialiasing);
    const QPixmap picture(kEmptyTablePicture);
    painter.drawPixmap(emptyPicturePos(width(), picture.size()), picture);
    QFont font = painter.font();
    font.setPixelSize(18);
    font.setWeight(75);
    painter.setFont(font);
    painter.setPen(QColor(49, 202, 132));
    painter.drawText(emptyTextRect(width(), picture.size()), Qt::AlignCenter, QStringLiteral("暂无数据"));
}

void TableView::mousePressEvent(QMouseEvent* event)
{
    if (!indexAt(event->pos()).isValid())
        clearSelection();
    QTableView::mousePressEvent(event);
}

void TableView::stateChanged_slot(bool bchecked)
{
    if (!m_model)
        return;
    emit sendCheckSelects(true);
    const int rows = m_model->rowCount();
    for (int i = 0; i < rows; ++i) {
        const QModelIndex cell = m_model->index(i, 0);
        if (m_model->data(cell, kRoleKind).toString() == QLatin1String("CheckBox"))
            m_model->setData(cell, bchecked, kRoleState);
    }
}

void TableView::customContextMenuRequested_slot(QPoint pos)
{
    const QModelIndex index = indexAt(pos);
    if (!index.isValid() || m_itype != 0)
        return;
    QMenu menu(this);
    QAction* copy = menu.addAction(QStringLiteral("复制"));
    if (menu.exec(QCursor::pos()) == copy)
        QApplication::clipboard()->setText(index.data(Qt::EditRole).toString());
}

// ---------------------------------------------------------------------------------------------
// TableWidgetItemDelegate

TableWidgetItemDelegate::TableWidgetItemDelegate(QObject* parent, bool check)
    : QItemDelegate(parent), isCheck(check)
{
    m_pixmapNoramal = checkPicture(kCheckOffPicture);
    m_pixmapChecked = checkPicture(kCheckOnPicture);
}

QRectF TableWidgetItemDelegate::buttonRect(const QRect& cell, int n, int i)
{
    if (n <= 0)
        return QRectF();
    const int x1 = cell.left();
    const int x2 = cell.right();
    const int y1 = cell.top();
    const int y2 = cell.bottom();
    const double w = (x2 - x1 + 1) / static_cast<double>(n);
    const int from = static_cast<int>(x1 + i * w);
    const int to = static_cast<int>(x1 + (i + 1) * w);
    return QRectF(from + 5, y1 + 2, to - from - 10, y2 - y1);
}

QString TableWidgetItemDelegate::buttonText(const QString& caption)
{
    if (caption.endsWith(QLatin1Char('0')) || caption.endsWith(QLatin1Char('1')))
        return caption.left(caption.size() - 1);
    return caption;
}

bool TableWidgetItemDelegate::buttonEnabled(const QString& caption)
{
    return !caption.endsWith(QLatin1Char('0'));
}

QPoint TableWidgetItemDelegate::checkPicturePos(const QRect& cell, const QSize& picture)
{
    return QPoint(static_cast<int>(cell.x() + (cell.width() - picture.width()) * 0.5),
                  static_cast<int>(cell.y() + (cell.height() - picture.height()) * 0.5));
}

void TableWidgetItemDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                    const QModelIndex& index) const
{
    const QString kind = index.data(kRoleKind).toString();
    const int lastColumn = index.model() ? index.model()->columnCount() - 1 : -1;
    if (index.column() == 0 && kind == QLatin1String("CheckBox")) {
        QItemDelegate::paint(painter, option, index);
        const QPixmap& pix = index.data(kRoleState).toBool() ? m_pixmapChecked : m_pixmapNoramal;
        painter->drawPixmap(checkPicturePos(option.rect, pix.size()), pix);
        return;
    }
    if (index.column() == lastColumn && kind == QLatin1String("Widget")) {
        QItemDelegate::paint(painter, option, index);
        const QStringList captions = index.data(kRoleState).toStringList();
        const int n = captions.size();
        for (int i = 0; i < n; ++i) {
            painter->save();
            QColor colour;
            if (!buttonEnabled(captions[i]))
                colour = QColor("#9e99b1");
            else if ((option.state & QStyle::State_MouseOver) && index.data(kRoleHover + i).toBool())
                colour = Qt::red;
            else
                colour = QColor("#4266FF");
            painter->setPen(colour);
            painter->drawText(buttonRect(option.rect, n, i), Qt::AlignCenter, buttonText(captions[i]));
            painter->restore();
        }
        return;
    }
    QItemDelegate::paint(painter, option, index);
}

bool TableWidgetItemDelegate::editorEvent(QEvent* event, QAbstractItemModel* model,
                                          const QStyleOptionViewItem& option, const QModelIndex& index)
{
    if (!model)
        return QItemDelegate::editorEvent(event, model, option, index);
    const bool isMouse = event->type() == QEvent::MouseButtonRelease || event->type() == QEvent::MouseMove;
    const QPoint pos = isMouse ? static_cast<QMouseEvent*>(event)->pos() : QPoint();
    const QString kind = index.data(kRoleKind).toString();

    if (index.column() == 0) {
        if (event->type() == QEvent::MouseButtonRelease && option.rect.contains(pos)) {
            if (kind != QLatin1String("CheckBox"))
                return false;
            model->setData(index, !index.data(kRoleState).toBool(), kRoleState);
        }
        return QItemDelegate::editorEvent(event, model, option, index);
    }

    if (index.column() == model->columnCount() - 1 && kind == QLatin1String("Widget")) {
        const QStringList captions = index.data(kRoleState).toStringList();
        const int n = captions.size();
        if (event->type() == QEvent::MouseMove && static_cast<QMouseEvent*>(event)->buttons() == Qt::NoButton) {
            for (int i = 0; i < n; ++i) {
                if (!buttonEnabled(captions[i]))
                    continue;
                const bool over = buttonRect(option.rect, n, i).contains(pos);
                if (index.data(kRoleHover + i).toBool() != over)
                    model->setData(index, over, kRoleHover + i);
            }
            return false;
        }
        if (event->type() == QEvent::MouseButtonRelease && option.rect.contains(pos)) {
            for (int i = 0; i < n; ++i) {
                if (!buttonRect(option.rect, n, i).contains(pos))
                    continue;
                if (!buttonEnabled(captions[i]))
                    return false;
                emit bottonsClicked(i, index);
                return true;
            }
            return true;
        }
    }
    return QItemDelegate::editorEvent(event, model, option, index);
}

void TableWidgetItemDelegate::updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                                                   const QModelIndex&) const
{
    editor->setGeometry(option.rect);
}

// ---------------------------------------------------------------------------------------------
// resizeDelegate

resizeDelegate::resizeDelegate(QObject* parent) : QStyledItemDelegate(parent) {}

void resizeDelegate::updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                                          const QModelIndex&) const
{
    editor->setGeometry(option.rect);
}

// ---------------------------------------------------------------------------------------------
// TablePageWidget

TablePageWidget::TablePageWidget(QWidget* parent) : QWidget(parent)
{
    m_total = new QLabel(QStringLiteral(" 共 %1 条 ").arg(0), this);
    m_first = new QPushButton(QStringLiteral("第一页"), this);
    m_prev = new QPushButton(QStringLiteral("上一页"), this);
    m_next = new QPushButton(QStringLiteral("下一页"), this);
    m_last = new QPushButton(QStringLiteral("最后一页"), this);
    m_page = new QLineEdit(QStringLiteral("1"), this);
    m_first->setProperty("mode", "left");
    m_prev->setProperty("mode", "left");
    m_next->setProperty("mode", "right");
    m_last->setProperty("mode", "right");
    m_page->setProperty("mode", "page");
    m_page->setAlignment(Qt::AlignCenter);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_total);
    layout->addStretch();
    layout->addWidget(m_first);
    layout->addWidget(m_prev);
    layout->addWidget(m_page);
    layout->addWidget(m_next);
    layout->addWidget(m_last);

    connect(m_first, &QPushButton::clicked, this, [this] {
        if (m_model)
            m_model->gotoPage(0);
    });
    connect(m_prev, &QPushButton::clicked, this, [this] {
        if (m_model)
            m_model->prePage();
    });
    connect(m_next, &QPushButton::clicked, this, [this] {
        if (m_model)
            m_model->nextPage();
    });
    connect(m_last, &QPushButton::clicked, this, [this] {
        if (m_model)
            m_model->gotoPage(m_model->pagecount() - 1);
    });
    connect(m_page, &QLineEdit::editingFinished, this, &TablePageWidget::pageEdited);
    refresh();
}

void TablePageWidget::setDataModel(StandardItemModel* model)
{
    if (m_model)
        disconnect(m_model, nullptr, this, nullptr);
    m_model = model;
    if (m_model)
        connect(m_model, &StandardItemModel::pageIndexChanged, this, &TablePageWidget::pageChanged);
    refresh();
}

bool TablePageWidget::VerifyNumber(const QString& text)
{
    for (const QChar c : text)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    return true;
}

void TablePageWidget::pageChanged(int)
{
    refresh();
}

void TablePageWidget::pageEdited()
{
    if (!m_model)
        return;
    const QString text = m_page->text().trimmed();
    if (!VerifyNumber(text))
        return;
    const int pages = m_model->pagecount();
    if (pages <= 0)
        return;
    const int wanted = text.isEmpty() ? 1 : qBound(1, text.toInt(), pages);
    m_model->gotoPage(wanted - 1);
    refresh();
}

void TablePageWidget::refresh()
{
    const int pages = m_model ? m_model->pagecount() : 0;
    const int page = m_model ? m_model->curPageNo() : 0;
    m_total->setText(QStringLiteral(" 共 %1 条 ").arg(m_model ? m_model->totalRowCount() : 0));
    if (m_model)
        m_page->setText(QStringLiteral("%1 / %2").arg(page + 1).arg(pages));
    const bool several = pages > 1;
    m_first->setEnabled(several && page > 0);
    m_prev->setEnabled(several && page > 0);
    m_next->setEnabled(several && page < pages - 1);
    m_last->setEnabled(several && page < pages - 1);
    m_page->setEnabled(several);
}
