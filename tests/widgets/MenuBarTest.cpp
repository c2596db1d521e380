#include "GlobalHeader.h"
#include "Level2MenuBar.h"
#include "QtTestSupport.h"
#include "TestPrinters.h"

#include <QApplication>
#include <QButtonGroup>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QToolButton>
#include <gtest/gtest.h>

namespace {

QStringList tabs()
{
    return {QString::fromUtf8("我的印章"), QString::fromUtf8("我的签名"), QString::fromUtf8("授权管理"),
            QString::fromUtf8("我的授权")};
}

TEST(Level2MenuBar, TabsSignalAndSetMenuBtnClickedIsSilent)
{
    ScopedScreenZoom zoom(1.0f);
    Level2MenuBar bar(tabs(), QString::fromUtf8("印章管理"), QPixmap(":/Resources/images/app.svg"), QSize(25, 25));
    bar.resize(1000, 113);
    bar.show();
    EXPECT_EQ(bar.height(), 113);
    QButtonGroup* group = bar.getBtnGroup();
    ASSERT_EQ(group->buttons().size(), 4);
    EXPECT_TRUE(group->exclusive());
    EXPECT_TRUE(group->button(0)->isChecked());
    EXPECT_EQ(group->button(2)->size(), QSize(66, 40));
    EXPECT_EQ(bar.titleLabel()->property("style").toString(), "level1");
    EXPECT_EQ(bar.pushButton(), nullptr);

    QSignalSpy clicked(&bar, &Level2MenuBar::toolbtnClicked);
    bar.setMenuBtnClicked(3, true);
    EXPECT_TRUE(group->button(3)->isChecked());
    EXPECT_FALSE(group->button(0)->isChecked());
    EXPECT_EQ(clicked.count(), 0);
    group->button(3)->click(); // the current tab emits as well
    group->button(1)->click();
    ASSERT_EQ(clicked.count(), 2);
    EXPECT_EQ(clicked[0][0].toInt(), 3);
    EXPECT_EQ(clicked[1][0].toInt(), 1);

    bar.setBtnHide(2);
    EXPECT_TRUE(group->button(2)->isHidden());
}

TEST(Level2MenuBar, BadgeIsEightPixelsAtAnyScale)
{
    ScopedScreenZoom zoom(1.5f);
    Level2MenuBar bar(tabs(), "t", QPixmap(), QSize(37, 37));
    bar.show();
    ASSERT_NE(bar.redLabel(), nullptr);
    EXPECT_EQ(bar.redLabel()->size(), QSize(8, 8));
    EXPECT_FALSE(bar.redLabel()->isVisible());
    bar.setRedLabel(false);
    EXPECT_TRUE(bar.redLabel()->isVisible());
    bar.setRedLabel(true);
    EXPECT_FALSE(bar.redLabel()->isVisible());
    EXPECT_EQ(bar.height(), 169);
    EXPECT_EQ(bar.getBtnGroup()->button(0)->size(), QSize(99, 60));

    Level2MenuBar plain(QStringList{"a", "b"}, "t", QPixmap(), QSize(25, 25));
    EXPECT_EQ(plain.redLabel(), nullptr);
    plain.setRedLabel(false); // no badge: nothing happens
}

TEST(Level2MenuBar, ExtraButtonSignals)
{
    Level2MenuBar bar(QStringList{"a"}, "t", QPixmap(), QSize(25, 25), nullptr, true, QString::fromUtf8("新增"));
    ASSERT_NE(bar.pushButton(), nullptr);
    EXPECT_EQ(bar.pushButton()->text(), QString::fromUtf8("新增"));
    QSignalSpy pushed(&bar, &Level2MenuBar::btnPushClicked);
    QSignalSpy tabsClicked(&bar, &Level2MenuBar::toolbtnClicked);
    bar.pushButton()->click();
    EXPECT_EQ(pushed.count(), 1);
    EXPECT_EQ(tabsClicked.count(), 0);
    EXPECT_EQ(bar.getBtnGroup()->buttons().size(), 1);
}

TEST(BlockWidget, TitleStripArrangements)
{
    ScopedScreenZoom zoom(1.0f);
    {
        BlockWidget card;
        card.setTitler(QString::fromUtf8("基本信息"));
        card.resize(400, 200);
        card.show();
        QApplication::processEvents();
        EXPECT_EQ(card.topWidget()->height(), 26);
        EXPECT_EQ(card.titler()->x(), 16);
        EXPECT_EQ(card.titler()->text(), QString::fromUtf8("基本信息"));
        EXPECT_EQ(card.bodyWidget()->objectName(), "blockBottom");
        EXPECT_NE(card.graphicsEffect(), nullptr);
    }
    {
        BlockWidget card;
        auto* back = new QPushButton(QString::fromUtf8("返回"));
        card.setTitler(QString::fromUtf8("详情"), back, 1);
        card.resize(400, 200);
        card.show();
        QApplication::processEvents();
        EXPECT_EQ(back->size(), QSize(52, 20));
        EXPECT_EQ(back->property("mode").toString(), "style2");
        EXPECT_EQ(back->x(), 16);
        EXPECT_GT(card.titler()->x(), back->x());
        EXPECT_LT(card.titler()->geometry().right(), 300); // free space follows
    }
    {
        BlockWidget card;
        auto* button = new QPushButton("b");
        auto* combo = new QComboBox;
        card.setTitler("t", button, 0, QString(), combo);
        card.resize(400, 200);
        card.show();
        QApplication::processEvents();
        EXPECT_LT(card.titler()->x(), combo->x());
        EXPECT_LT(combo->x(), button->x());
        EXPECT_EQ(button->geometry().right(), 400 - 16 - 1);
    }
}

} // namespace
