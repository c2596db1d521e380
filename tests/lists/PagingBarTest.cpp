// The paging bar: page buttons and their window, first/last/previous/next, the jump field,
// rows per page, and the lists held whole in memory.
#include "CPageWidget.h"
#include "GlobalHeader.h"
#include "ParentDialog.h"
#include "QuickMessageBox.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

namespace {

struct Bar {
    ScopedUiDurationScale fastToasts{0.0};
    QuickMessageBoxSpy toasts;
    CPageWidget bar{0, 9, nullptr, false};
    QSignalSpy table{&bar, &CPageWidget::setTableData};
    QSignalSpy combo{&bar, &CPageWidget::setComBoxData};

    QPushButton* control(const char* text)
    {
        for (QPushButton* b : bar.findChildren<QPushButton*>())
            if (b->text() == QString::fromUtf8(text))
                return b;
        return nullptr;
    }
    // Texts of the page buttons that are not hidden.
    QStringList visiblePages()
    {
        QStringList out;
        for (QAbstractButton* b : bar.pageButtons())
            if (!b->isHidden())
                out << b->text();
        return out;
    }
    static QStringList range(int from, int to)
    {
        QStringList out;
        for (int i = from; i <= to; ++i)
            out << QString::number(i);
        return out;
    }
    QPair<int, int> lastTable()
    {
        const QList<QVariant> args = table.takeLast();
        return qMakePair(args.at(0).toInt(), args.at(1).toInt());
    }
    void jump(const QString& text)
    {
        auto* edit = bar.findChild<QLineEdit*>();
        edit->setText(text);
        QTest::keyClick(edit, Qt::Key_Return);
    }
};

TEST(PagingBar, TwelvePagesFirstSelection)
{
    Bar b;
    b.bar.setBtnNums(12);
    EXPECT_EQ(b.table.count(), 0);  // rebuilding selects nothing
    b.bar.setCusSelectBtn(1);
    EXPECT_EQ(b.visiblePages(), Bar::range(1, 9));
    EXPECT_TRUE(b.bar.pageButtons().at(0)->styleSheet().contains("rgb(25,188,115)"));
    EXPECT_FALSE(b.bar.pageButtons().at(1)->styleSheet().contains("rgb(25,188,115)"));
    EXPECT_FALSE(b.control("<")->isEnabled());
    EXPECT_TRUE(b.control(">")->isEnabled());
    ASSERT_EQ(b.table.count(), 1);
    EXPECT_EQ(b.lastTable(), qMakePair(10, 0));
}

TEST(PagingBar, NextAndPreviousSlideTheWindow)
{
    Bar b;
    b.bar.setBtnNums(12);
    b.bar.setCusSelectBtn(9);
    b.table.clear();
    b.control(">")->click();
    EXPECT_EQ(b.visiblePages(), Bar::range(2, 10));
    EXPECT_EQ(b.lastTable(), qMakePair(10, 9));

    b.control("尾页")->click();
    EXPECT_EQ(b.visiblePages(), Bar::range(4, 12));
    EXPECT_EQ(b.lastTable(), qMakePair(10, 11));
    EXPECT_FALSE(b.control(">")->isEnabled());
    b.control(">")->setEnabled(true);
    b.control(">")->click();  // no page after the last: nothing happens
    EXPECT_EQ(b.table.count(), 0);

    b.bar.setCusSelectBtn(4);  // selecting never moves the window
    EXPECT_EQ(b.visiblePages(), Bar::range(4, 12));
    b.control("<")->click();
    EXPECT_EQ(b.visiblePages(), Bar::range(3, 11));
    EXPECT_EQ(b.lastTable(), qMakePair(10, 2));

    // Clicking a page button selects it, also when it is already current.
    b.table.clear();
    b.bar.pageButtons().at(2)->click();
    b.bar.pageButtons().at(5)->click();
    ASSERT_EQ(b.table.count(), 2);
    EXPECT_EQ(b.lastTable(), qMakePair(10, 5));
}

TEST(PagingBar, JumpFieldCentresThePage)
{
    struct Case {
        const char* typed;
        int page, from, to;
    };
    const Case cases[] = {{"7", 6, 3, 11}, {"20", 19, 12, 20}, {"18", 17, 12, 20}, {"3", 2, 1, 9}};
    Bar b;
    b.bar.setBtnNums(20);
    b.bar.setCusSelectBtn(1);
    for (const Case& c : cases) {
        b.table.clear();
        b.jump(c.typed);
        ASSERT_EQ(b.table.count(), 1) << c.typed;
        EXPECT_EQ(b.lastTable(), qMakePair(10, c.page)) << c.typed;
        EXPECT_EQ(b.visiblePages(), Bar::range(c.from, c.to)) << c.typed;
    }
    b.table.clear();
    b.jump("21");  // refused by the validator
    b.jump("0");
    EXPECT_EQ(b.table.count(), 0);
}

TEST(PagingBar, FirstAndLastShowNoticesWhenAlreadyThere)
{
    Bar b;
    b.bar.setBtnNums(12);
    b.bar.setCusSelectBtn(1);
    b.table.clear();
    b.control("首页")->click();
    EXPECT_EQ(b.table.count(), 0);
    ASSERT_EQ(b.toasts.count(), 1);
    EXPECT_EQ(b.toasts.shown().at(0).text, QString::fromUtf8("已是首页"));
    EXPECT_EQ(b.toasts.shown().at(0).type, qmt_nothing);
    EXPECT_EQ(b.toasts.shown().at(0).ms, 2000);
    EXPECT_EQ(b.toasts.shown().at(0).parent.data(), &b.bar);

    b.bar.setEndPage();
    EXPECT_EQ(b.lastTable(), qMakePair(10, 11));
    b.bar.setEndPage();
    EXPECT_EQ(b.table.count(), 0);
    EXPECT_EQ(b.toasts.texts().last(), QString::fromUtf8("已是尾页"));
    b.bar.setFirstPage();
    EXPECT_EQ(b.lastTable(), qMakePair(10, 0));
    EXPECT_EQ(b.visiblePages(), Bar::range(1, 9));
}

TEST(PagingBar, FewPagesStayInsideThePagesThatExist)
{
    Bar b;
    b.bar.setBtnNums(5);
    b.bar.setCusSelectBtn(3);
    b.control("尾页")->click();
    EXPECT_EQ(b.lastTable(), qMakePair(10, 4));
    EXPECT_EQ(b.visiblePages(), Bar::range(1, 5));
    b.control("首页")->click();
    EXPECT_EQ(b.lastTable(), qMakePair(10, 0));
    EXPECT_EQ(b.visiblePages(), Bar::range(1, 5));
}

TEST(PagingBar, PageWithoutButtonSelectsNothing)
{
    Bar b;
    b.jump("3");  // no validator yet: the field takes any number
    b.bar.setCusSelectBtn(1);
    b.bar.setFirstPage();
    b.bar.setEndPage();
    EXPECT_EQ(b.table.count(), 0);
    EXPECT_EQ(b.toasts.count(), 0);
    EXPECT_EQ(b.bar.currentPage(), 0);

    b.bar.setBtnNums(3);
    b.bar.setCusSelectBtn(4);
    EXPECT_EQ(b.table.count(), 0);
    b.bar.setCusSelectBtn(3);
    EXPECT_EQ(b.lastTable(), qMakePair(10, 2));
}

TEST(PagingBar, RowsPerPage)
{
    Bar b;
    auto* combo = b.bar.findChild<QComboBox*>();
    combo->setCurrentIndex(1);  // no pages yet: kept, nothing reloads
    EXPECT_EQ(b.combo.count(), 0);
    EXPECT_EQ(b.bar.rowsPerPage(), 15);
    b.bar.setBtnNums(4);
    b.bar.setCusSelectBtn(1);
    EXPECT_EQ(b.lastTable(), qMakePair(15, 0));

    b.bar.setCusSelectBtn(3);
    combo->setCurrentIndex(0);
    ASSERT_EQ(b.combo.count(), 1);
    EXPECT_EQ(b.combo.at(0).at(0).toInt(), 10);
    EXPECT_EQ(b.combo.at(0).at(1).toInt(), 2);
}

TEST(PagingBar, HiddenComboHasNoSpacerAndTenRows)
{
    auto spacerCount = [](CPageWidget& bar) {
        int n = 0;
        QLayout* layout = bar.layout();
        for (int i = 0; i < layout->count(); ++i)
            if (layout->itemAt(i)->spacerItem())
                ++n;
        return n;
    };
    CPageWidget shown(0, 9, nullptr, false);
    CPageWidget hidden(0, 9, nullptr, true);
    EXPECT_EQ(spacerCount(shown), 2);
    EXPECT_EQ(spacerCount(hidden), 1);
    EXPECT_TRUE(hidden.findChild<QComboBox*>()->isHidden());
    hidden.setBtnNums(2);
    EXPECT_EQ(spacerCount(hidden), 1);
    EXPECT_EQ(hidden.rowsPerPage(), 10);
    // After a rebuild the small spacer stands between "<" and the first page button.
    QLayout* layout = shown.layout();
    shown.setBtnNums(2);
    EXPECT_NE(layout->itemAt(2)->spacerItem(), nullptr);
    EXPECT_EQ(layout->itemAt(3)->widget(), shown.pageButtons().at(0));
}

TEST(PagingBar, ListHeldInMemory)
{
    Bar b;
    b.bar.setData(QVector<int>(23, 0), 10);
    EXPECT_EQ(b.bar.pageCount(), 3);
    EXPECT_EQ(b.lastTable(), qMakePair(10, 0));
    EXPECT_TRUE(b.control("首页")->isEnabled());
    b.control("尾页")->click();
    EXPECT_EQ(b.lastTable(), qMakePair(10, 2));
    EXPECT_EQ(b.visiblePages(), Bar::range(1, 3));

    b.bar.setData(QList<QString>(), 10);
    EXPECT_EQ(b.bar.pageCount(), 0);
    EXPECT_TRUE(b.bar.pageButtons().isEmpty());
    EXPECT_EQ(b.table.count(), 0);
    EXPECT_FALSE(b.control("首页")->isEnabled());
    EXPECT_FALSE(b.bar.findChild<QLineEdit*>()->isEnabled());
}

}  // namespace
