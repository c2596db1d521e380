// The paged table model, the preset view with its select-all header, and the delegates.
#include "GlobalHeader.h"
#include "TableView.h"

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QMenu>
#include <QTimer>
#include <QMouseEvent>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

namespace {

const int kKind = Qt::UserRole;
const int kState = Qt::UserRole + 1;

// Fills one page the way the list screens do: clear, rows per page, declared rows, items.
void fillPage(StandardItemModel& model, int rows, bool checkCells)
{
    model.clear();
    model.setColumnCount(3);
    model.setPageRows(rows);
    model.setTotalRowCount(rows);
    for (int r = 0; r < rows; ++r) {
        auto* first = new QStandardItem;
        if (checkCells)
            first->setData(QStringLiteral("CheckBox"), kKind);
        else
            first->setText(QStringLiteral("plain %1").arg(r));
        model.setItem(r, 0, first);
        model.setItem(r, 1, new QStandardItem(QStringLiteral("合同 %1").arg(r)));
        model.setItem(r, 2, new QStandardItem(QStringLiteral("%1").arg(r)));
    }
}

struct TableFixture {
    StandardItemModel model;
    TableView view{nullptr, 0};
    TableWidgetItemDelegate* delegate = new TableWidgetItemDelegate(&view, true);

    explicit TableFixture(bool checkable = true)
    {
        view.setItemDelegate(delegate);
        view.setHorHeaderCheckable(checkable);
        view.setHorHeaderSectionStretch(0, 40, true);
        view.setHorHeaderSectionStretch(1, 2, false);
        view.setHorHeaderSectionStretch(2, 1, false);
        view.setDataModel(&model);
        view.resize(502, 400);
        view.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&view));
    }
    QPoint cellCentre(int row, int column) { return view.visualRect(model.index(row, column)).center(); }
    QPoint headerSection(int column)
    {
        HeaderView* h = view.horizontalHeader();
        return QPoint(h->sectionViewportPosition(column) + h->sectionSize(column) / 2, h->height() / 2);
    }
};

TEST(PagedModel, ShowsOnePageAndMapsRows)
{
    StandardItemModel model;
    EXPECT_EQ(model.pageRows(), 13);
    model.setColumnCount(1);
    model.setPageRows(10);
    model.setTotalRowCount(25);
    for (int r = 0; r < 25; ++r)
        model.setItem(r, 0, new QStandardItem(QStringLiteral("r%1").arg(r)));
    EXPECT_EQ(model.rowCount(), 10);
    EXPECT_EQ(model.pagecount(), 3);

    QSignalSpy pages(&model, &StandardItemModel::pageIndexChanged);
    model.gotoPage(2);
    EXPECT_EQ(model.curPageNo(), 2);
    EXPECT_EQ(model.rowCount(), 5);
    EXPECT_EQ(model.data(model.index(0, 0)).toString(), "r20");
    EXPECT_EQ(model.standarItem(4, 0)->text(), "r24");
    model.nextPage();  // already on the last page
    model.gotoPage(7);  // no such page
    EXPECT_EQ(model.curPageNo(), 2);
    model.prePage();
    EXPECT_EQ(model.curPageNo(), 1);
    ASSERT_EQ(pages.count(), 2);
    EXPECT_EQ(pages.at(0).at(0).toInt(), 2);
    EXPECT_EQ(pages.at(1).at(0).toInt(), 1);

    // Every write, whatever the role, reports the view row; the model row receives it.
    QSignalSpy checks(&model, &StandardItemModel::sendCheck);
    EXPECT_TRUE(model.setData(model.index(3, 0), QStringLiteral("x"), Qt::ToolTipRole));
    EXPECT_TRUE(model.setData(model.index(3, 0), true, kState));
    ASSERT_EQ(checks.count(), 2);
    EXPECT_EQ(checks.at(1).at(0).toInt(), 3);
    EXPECT_TRUE(checks.at(1).at(1).toBool());
    EXPECT_TRUE(model.item(13, 0)->data(kState).toBool());

    model.removeRow(0);  // model row 10
    EXPECT_EQ(model.totalRowCount(), 24);
    EXPECT_EQ(model.data(model.index(0, 0)).toString(), "r11");

    model.clear();
    EXPECT_EQ(model.rowCount(), 0);
    EXPECT_EQ(model.curPageNo(), 0);
    EXPECT_EQ(model.totalRowCount(), 0);
    EXPECT_EQ(model.QStandardItemModel::rowCount(), 0);
    EXPECT_EQ(model.columnCount(), 1);
}

TEST(PagedModel, ZeroRowsPerPageIsHarmless)
{
    StandardItemModel model;
    model.setPageRows(0);
    model.setTotalRowCount(0);
    EXPECT_EQ(model.rowCount(), 0);
    EXPECT_EQ(model.pagecount(), 0);
    model.nextPage();
    model.gotoPage(0);
    EXPECT_EQ(model.curPageNo(), 0);
    model.setTotalRowCount(4);
    EXPECT_EQ(model.rowCount(), 0);
    EXPECT_EQ(model.pagecount(), 0);
}

TEST(PagedModel, ViewSeesOnlyTheCurrentPage)
{
    StandardItemModel model;
    model.setColumnCount(1);
    TableView view(nullptr, 0);
    view.setDataModel(&model);
    model.setPageRows(10);
    model.setTotalRowCount(25);
    EXPECT_EQ(view.verticalHeader()->count(), 10);
    model.gotoPage(2);
    EXPECT_EQ(view.verticalHeader()->count(), 5);
    model.removeRow(0);
    EXPECT_EQ(view.verticalHeader()->count(), 4);
    model.clear();
    EXPECT_EQ(view.verticalHeader()->count(), 0);
}

TEST(TableViewMenu, CopiesTheCellText)
{
    TableFixture t;
    fillPage(t.model, 2, true);
    QTimer::singleShot(0, [] {
        QMenu* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        ASSERT_NE(menu, nullptr);
        ASSERT_EQ(menu->actions().size(), 1);
        EXPECT_EQ(menu->actions().at(0)->text(), QString::fromUtf8("复制"));
        menu->setActiveAction(menu->actions().at(0));
        QTest::keyClick(menu, Qt::Key_Return);
    });
    QApplication::clipboard()->clear();
    t.view.customContextMenuRequested_slot(t.cellCentre(1, 1));
    EXPECT_EQ(QApplication::clipboard()->text(), QString::fromUtf8("合同 1"));

    // Outside every cell no menu opens; a press there clears the selection.
    t.view.selectRow(0);
    t.view.customContextMenuRequested_slot(QPoint(5, 390));
    QTest::mouseClick(t.view.viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(5, 390));
    EXPECT_FALSE(t.view.selectionModel()->hasSelection());
}

TEST(TableViewWidths, AppliedOnResize)
{
    StandardItemModel model;
    model.setColumnCount(3);
    TableView view(nullptr, 0);
    view.setHorHeaderSectionStretch(0, 20, true);
    view.setHorHeaderSectionStretch(1, 1, false);
    view.setHorHeaderSectionStretch(2, 2, false);
    view.resize(302, 200);
    view.setDataModel(&model);  // laid out before it had a model
    EXPECT_EQ(view.horizontalHeader()->sectionSize(0), 20);
    EXPECT_EQ(view.horizontalHeader()->sectionSize(1), 93);
    EXPECT_EQ(view.horizontalHeader()->sectionSize(2), 187);
    view.setHorHeaderSectionStretch(1, 2, false);
    view.forceResize();
    EXPECT_EQ(view.horizontalHeader()->sectionSize(1), 140);
    EXPECT_EQ(view.horizontalHeader()->sectionSize(2), 140);
}

TEST(TableViewChecks, ClickTogglesCheckCell)
{
    TableFixture t;
    fillPage(t.model, 3, true);
    t.view.update();
    QSignalSpy checks(&t.model, &StandardItemModel::sendCheck);

    QTest::mouseClick(t.view.viewport(), Qt::LeftButton, Qt::NoModifier, t.cellCentre(1, 0));
    EXPECT_TRUE(t.model.data(t.model.index(1, 0), kState).toBool());
    ASSERT_EQ(checks.count(), 1);
    EXPECT_EQ(checks.at(0).at(0).toInt(), 1);
    EXPECT_TRUE(checks.at(0).at(1).toBool());

    QTest::mouseClick(t.view.viewport(), Qt::LeftButton, Qt::NoModifier, t.cellCentre(1, 0));
    EXPECT_FALSE(t.model.data(t.model.index(1, 0), kState).toBool());

    // A click on another column writes nothing.
    checks.clear();
    QTest::mouseClick(t.view.viewport(), Qt::LeftButton, Qt::NoModifier, t.cellCentre(2, 1));
    EXPECT_EQ(checks.count(), 0);
}

TEST(TableViewChecks, PlainFirstColumnIsNotToggled)
{
    TableFixture t;
    fillPage(t.model, 2, false);
    QSignalSpy checks(&t.model, &StandardItemModel::sendCheck);
    QTest::mouseClick(t.view.viewport(), Qt::LeftButton, Qt::NoModifier, t.cellCentre(0, 0));
    EXPECT_EQ(checks.count(), 0);
    EXPECT_FALSE(t.model.data(t.model.index(0, 0), kState).isValid());
}

TEST(TableViewChecks, HeaderBoxSelectsAllRowsOfThePage)
{
    TableFixture t;
    fillPage(t.model, 4, true);
    QStringList events;
    QObject::connect(&t.view, &TableView::sendCheckSelects, [&](bool b) { events << QStringLiteral("selects %1").arg(b); });
    QObject::connect(&t.model, &StandardItemModel::sendCheck,
                     [&](int row, bool b) { events << QStringLiteral("row %1 %2").arg(row).arg(b); });
    QSignalSpy header(t.view.horizontalHeader(), &HeaderView::stateChanged_signal);

    QTest::mouseClick(t.view.horizontalHeader()->viewport(), Qt::LeftButton, Qt::NoModifier, t.headerSection(0));
    ASSERT_EQ(header.count(), 1);
    EXPECT_TRUE(header.at(0).at(0).toBool());
    EXPECT_EQ(events, QStringList({"selects 1", "row 0 1", "row 1 1", "row 2 1", "row 3 1"}));
    for (int r = 0; r < 4; ++r)
        EXPECT_TRUE(t.model.data(t.model.index(r, 0), kState).toBool()) << r;

    events.clear();
    QTest::mouseClick(t.view.horizontalHeader()->viewport(), Qt::LeftButton, Qt::NoModifier, t.headerSection(0));
    ASSERT_EQ(header.count(), 2);
    EXPECT_FALSE(header.at(1).at(0).toBool());
    EXPECT_FALSE(t.view.horizontalHeader()->isChecked());
    EXPECT_EQ(events.first(), "selects 1");  // always true, whatever the new state
    for (int r = 0; r < 4; ++r)
        EXPECT_FALSE(t.model.data(t.model.index(r, 0), kState).toBool()) << r;

    // Another section is an ordinary header press.
    QTest::mouseClick(t.view.horizontalHeader()->viewport(), Qt::LeftButton, Qt::NoModifier, t.headerSection(1));
    EXPECT_EQ(header.count(), 2);
}

TEST(TableViewChecks, HiddenHeaderBoxIsAnOrdinaryHeader)
{
    TableFixture t(false);
    fillPage(t.model, 2, true);
    QSignalSpy header(t.view.horizontalHeader(), &HeaderView::stateChanged_signal);
    QSignalSpy pressed(t.view.horizontalHeader(), &QHeaderView::sectionPressed);
    t.view.horizontalHeader()->setSectionsClickable(true);
    QTest::mouseClick(t.view.horizontalHeader()->viewport(), Qt::LeftButton, Qt::NoModifier, t.headerSection(0));
    EXPECT_EQ(header.count(), 0);
    EXPECT_EQ(pressed.count(), 1);
    EXPECT_FALSE(t.model.data(t.model.index(0, 0), kState).toBool());
}

// Bounding box of the pixels of one colour (within a tolerance) in a band of an image.
QRect colourBox(const QImage& img, QColor colour, int top, int bottom, int tolerance)
{
    QRect box;
    for (int y = qMax(0, top); y < qMin(img.height(), bottom); ++y)
        for (int x = 0; x < img.width(); ++x) {
            const QColor c = img.pixelColor(x, y);
            if (qAbs(c.red() - colour.red()) <= tolerance && qAbs(c.green() - colour.green()) <= tolerance &&
                qAbs(c.blue() - colour.blue()) <= tolerance)
                box |= QRect(x, y, 1, 1);
        }
    return box;
}

TEST(TableViewEmpty, ShowsPictureAndText)
{
    TableFixture t;
    fillPage(t.model, 0, true);
    const QImage shot = t.view.viewport()->grab().toImage();
    const QPixmap picture(TableView::emptyPicturePath());
    ASSERT_FALSE(picture.isNull());
    const int vw = t.view.width();

    // The picture sits 100 px from the top, centred; nothing is painted above it.
    const QColor background = shot.pixelColor(2, 2);
    QRect painted;
    for (int y = 0; y < 100 + picture.height(); ++y)
        for (int x = 0; x < shot.width(); ++x)
            if (shot.pixelColor(x, y) != background)
                painted |= QRect(x, y, 1, 1);
    ASSERT_FALSE(painted.isEmpty());
    EXPECT_GE(painted.top(), 100);
    const QPoint at = TableView::emptyPicturePos(vw, picture.size());
    EXPECT_GE(painted.left(), at.x());
    EXPECT_LE(painted.right(), at.x() + picture.width());

    // "暂无数据" in rgb(49, 202, 132), centred below the picture.
    const QRect text = colourBox(shot, QColor(49, 202, 132), picture.height() + 100, picture.height() + 136, 6);
    ASSERT_FALSE(text.isEmpty());
    EXPECT_NEAR(text.center().x(), (vw - 1) / 2.0, 4);
    EXPECT_GE(text.width(), 40);  // four 18-pixel characters
}

TEST(TableViewEmpty, PaintsWithoutModel)
{
    TableView view(nullptr, 0);
    view.resize(300, 300);
    const QImage shot = view.viewport()->grab().toImage();
    const QPixmap picture(TableView::emptyPicturePath());
    EXPECT_FALSE(colourBox(shot, QColor(49, 202, 132), picture.height() + 100, picture.height() + 136, 6).isEmpty());
    view.stateChanged_slot(true);  // no model: nothing happens
}

TEST(TableViewButtons, HoverAndClickFollowCaptions)
{
    QStandardItemModel model(1, 2);
    auto* cell = new QStandardItem;
    cell->setData(QStringLiteral("Widget"), kKind);
    cell->setData(QStringList({QStringLiteral("编辑1"), QStringLiteral("删除0")}), kState);
    model.setItem(0, 1, cell);
    TableWidgetItemDelegate delegate(nullptr, false);
    QSignalSpy clicked(&delegate, &TableWidgetItemDelegate::bottonsClicked);
    QStyleOptionViewItem option;
    option.rect = QRect(0, 0, 200, 30);
    const QModelIndex index = model.index(0, 1);

    QMouseEvent move(QEvent::MouseMove, QPointF(50, 15), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    EXPECT_FALSE(delegate.editorEvent(&move, &model, option, index));
    EXPECT_TRUE(index.data(Qt::UserRole + 100).toBool());
    QMouseEvent away(QEvent::MouseMove, QPointF(150, 15), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    delegate.editorEvent(&away, &model, option, index);
    EXPECT_FALSE(index.data(Qt::UserRole + 100).toBool());
    EXPECT_FALSE(index.data(Qt::UserRole + 101).isValid());  // disabled buttons get no flag

    QMouseEvent onDisabled(QEvent::MouseButtonRelease, QPointF(150, 15), Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    EXPECT_FALSE(delegate.editorEvent(&onDisabled, &model, option, index));
    QMouseEvent onEnabled(QEvent::MouseButtonRelease, QPointF(50, 15), Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    EXPECT_TRUE(delegate.editorEvent(&onEnabled, &model, option, index));
    QMouseEvent onGap(QEvent::MouseButtonRelease, QPointF(2, 15), Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    EXPECT_TRUE(delegate.editorEvent(&onGap, &model, option, index));
    ASSERT_EQ(clicked.count(), 1);
    EXPECT_EQ(clicked.at(0).at(0).toInt(), 0);
}

TEST(TablePageBar, FollowsModelPages)
{
    StandardItemModel model;
    model.setColumnCount(1);
    model.setPageRows(10);
    model.setTotalRowCount(25);
    TablePageWidget bar;
    bar.setDataModel(&model);
    auto button = [&](const char* text) {
        for (QPushButton* b : bar.findChildren<QPushButton*>())
            if (b->text() == QString::fromUtf8(text))
                return b;
        return static_cast<QPushButton*>(nullptr);
    };
    auto* field = bar.findChild<QLineEdit*>();
    EXPECT_EQ(field->text(), "1 / 3");
    EXPECT_FALSE(button("上一页")->isEnabled());
    button("下一页")->click();
    EXPECT_EQ(model.curPageNo(), 1);
    EXPECT_EQ(field->text(), "2 / 3");
    button("最后一页")->click();
    EXPECT_EQ(model.curPageNo(), 2);
    EXPECT_FALSE(button("下一页")->isEnabled());
    EXPECT_TRUE(button("第一页")->isEnabled());

    field->setText("9");
    emit field->editingFinished();
    EXPECT_EQ(model.curPageNo(), 2);  // clamped to the last page
    field->setText("");
    emit field->editingFinished();
    EXPECT_EQ(model.curPageNo(), 0);
    EXPECT_TRUE(TablePageWidget::VerifyNumber(""));
    EXPECT_FALSE(TablePageWidget::VerifyNumber("1 / 3"));
}

}  // namespace
