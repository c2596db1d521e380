// The date field with its calendar pop-up, the scrolling strip and the selectable label.
#include "CListControlRoll.h"
#include "DateTimeEdit.h"
#include "GlobalHeader.h"

#include <QAction>
#include <QCalendarWidget>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>
#include <gtest/gtest.h>

namespace {

TEST(DateField, PickedDateText)
{
    struct Case {
        QDate date;
        const char* text;
    };
    const Case cases[] = {{QDate(2024, 5, 3), "2024年5月3日"}, {QDate(2023, 12, 31), "2023年12月31日"},
                          {QDate(2025, 1, 10), "2025年1月10日"}};
    for (const Case& c : cases)
        EXPECT_EQ(DateTimeEdit::dateText(c.date, "年", "月", "日"), QString::fromUtf8(c.text));
}

TEST(DateField, PickingWritesTextAndDate)
{
    QWidget host;
    DateTimeEdit field(&host);
    EXPECT_TRUE(field.isReadOnly());
    EXPECT_FALSE(field.endDate().isValid());
    QCalendarWidget* calendar = field.calendarWidget();
    ASSERT_NE(calendar, nullptr);
    EXPECT_EQ(calendar->firstDayOfWeek(), Qt::Monday);

    emit calendar->clicked(QDate(2024, 5, 3));
    EXPECT_EQ(field.text(), QString::fromUtf8("2024年5月3日"));
    EXPECT_EQ(field.endDate(), QDate(2024, 5, 3));

    field.setStyle("-", "-", "");
    EXPECT_EQ(field.text(), QString::fromUtf8("2024年5月3日"));  // the current text stays
    emit calendar->clicked(QDate(2024, 6, 9));
    EXPECT_EQ(field.text(), "2024-6-9");
    EXPECT_EQ(field.m_endDate, QDate(2024, 6, 9));

    field.setSelectDate(QDate(2020, 2, 2));
    EXPECT_EQ(calendar->selectedDate(), QDate(2020, 2, 2));
    EXPECT_EQ(field.text(), "2024-6-9");
    EXPECT_EQ(field.endDate(), QDate(2024, 6, 9));
}

TEST(DateField, CalendarGoesWithTheField)
{
    // The calendar pop-up belongs to the field's parent; a field removed from a page that stays
    // takes its calendar along, and a page that goes deletes the field and then the calendar once.
    QWidget host;
    auto* removed = new DateTimeEdit(&host);
    QPointer<QCalendarWidget> calendar = removed->calendarWidget();
    new DateTimeEdit(&host);
    ASSERT_EQ(host.findChildren<QCalendarWidget*>(QString(), Qt::FindDirectChildrenOnly).size(), 2);
    delete removed;
    EXPECT_TRUE(calendar.isNull());
    EXPECT_EQ(host.findChildren<QCalendarWidget*>(QString(), Qt::FindDirectChildrenOnly).size(), 1);
}

TEST(DateField, ClickOpensCalendarUnderTheFieldAndIconCloses)
{
    QWidget host;
    host.resize(300, 200);
    auto* field = new DateTimeEdit(&host);
    field->setGeometry(20, 30, 150, 24);
    host.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&host));
    QCalendarWidget* calendar = field->calendarWidget();
    QSignalSpy pressed(field, &DateTimeEdit::emitPressed);

    QTest::mouseClick(field, Qt::LeftButton, Qt::NoModifier, QPoint(10, 10));
    EXPECT_EQ(pressed.count(), 1);
    EXPECT_TRUE(calendar->isVisible());
    EXPECT_EQ(calendar->pos(), field->mapToGlobal(QPoint(0, field->height() - 1)));

    ASSERT_FALSE(field->actions().isEmpty());
    field->actions().first()->trigger();
    EXPECT_FALSE(calendar->isVisible());
}

TEST(Strip, ArrowsAppearOnlyWhenItemsOverflowAndScrollBySteps)
{
    QListWidget* list = nullptr;
    QWidget host;
    auto* layout = new QVBoxLayout(&host);
    auto* strip = new CListControlRoll(&host, 20, 40, 60, 4, QIcon(), QIcon(), list, 30);
    layout->addWidget(strip);
    host.resize(400, 80);
    ASSERT_EQ(list, strip->listWidget);
    host.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&host));

    auto addItems = [&](int n) {
        for (int i = 0; i < n; ++i) {
            auto* item = new QListWidgetItem(list);
            item->setSizeHint(QSize(80, 50));
        }
        // The layout the view has scheduled for its next pass, run now: the scroll bar's range,
        // and with it the arrows, follow from it at once.
        list->doItemsLayout();
    };
    addItems(2);
    QScrollBar* bar = list->horizontalScrollBar();
    EXPECT_LT(bar->maximum(), 2);
    EXPECT_FALSE(strip->leftBtn->isVisible());
    EXPECT_FALSE(strip->rightBtn->isVisible());

    addItems(20);
    ASSERT_GE(bar->maximum(), 2);
    EXPECT_TRUE(strip->leftBtn->isVisible());
    EXPECT_TRUE(strip->rightBtn->isVisible());
    EXPECT_TRUE(strip->rightBtn->autoRepeat());

    bar->setValue(0);
    strip->rightBtn->click();
    EXPECT_EQ(bar->value(), qMin(30, bar->maximum()));
    for (int i = 0; i < 200 && bar->value() < bar->maximum(); ++i)
        strip->rightBtn->click();
    EXPECT_EQ(bar->value(), bar->maximum());
    strip->rightBtn->click();
    EXPECT_EQ(bar->value(), bar->maximum());
    strip->leftBtn->click();
    EXPECT_EQ(bar->value(), bar->maximum() - 30);
}

TEST(SelectedLabelTest, RemembersAClick)
{
    SelectedLabel label;
    label.resize(40, 20);
    EXPECT_FALSE(label.isSelected());
    QTest::mouseClick(&label, Qt::LeftButton, Qt::NoModifier, QPoint(50, 10));  // outside
    EXPECT_FALSE(label.isSelected());
    QTest::mouseClick(&label, Qt::LeftButton, Qt::NoModifier, QPoint(10, 10));
    EXPECT_TRUE(label.isSelected());
}

}  // namespace
