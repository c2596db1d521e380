// The title bar on its own and its page buttons in the main window.
#include "HomePage.h"
#include "Orvessa.h"
#include "QtTestSupport.h"
#include "SignPage.h"
#include "TemplatePage.h"
#include "TitleBar.h"
#include "UserCenterPage.h"
#include "HelpCenterPage.h"

#include <QButtonGroup>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QToolButton>
#include <gtest/gtest.h>

namespace {

int checkedPage(const TitleBar& bar)
{
    return bar.pageGroup()->checkedId();
}

TEST(TitleBar, StartsOnTheHomeButtonWithTheHiddenOnesHidden)
{
    ScopedScreenZoom zoom(1.0f);
    TitleBar bar;
    const char* const texts[] = {"首页", "签名", "文档管理", "合同模板", "用户管理", "帮助中心"};
    for (int i = 0; i < TitleBar::PageCount; ++i) {
        SCOPED_TRACE(i);
        ASSERT_NE(bar.pageButton(i), nullptr);
        EXPECT_EQ(QString::fromUtf8(texts[i]), bar.pageButton(i)->text());
        EXPECT_EQ(i, bar.pageGroup()->id(bar.pageButton(i)));
        EXPECT_EQ(i == 1 || i == 3, bar.pageButton(i)->isHidden());
    }
    EXPECT_EQ(0, checkedPage(bar));
    EXPECT_EQ(nullptr, bar.pageButton(6));
    EXPECT_TRUE(bar.redDot()->isHidden());
    EXPECT_EQ(QSize(8, 8), bar.redDot()->size());
    EXPECT_EQ(QString::fromUtf8(" 请登录！"), bar.userButton()->text());
    EXPECT_EQ(36, bar.height());
    EXPECT_FALSE(bar.showsRestoreIcon());

    bar.setRedLabel(false);
    EXPECT_FALSE(bar.redDot()->isHidden());
    bar.setRedLabel(true);
    EXPECT_TRUE(bar.redDot()->isHidden());
}

TEST(TitleBar, CheckingFromCodeAndTheSignButton)
{
    TitleBar bar;
    QSignalSpy pages(&bar, &TitleBar::turnPage);
    bar.turnPageBtnSlot(5);
    EXPECT_EQ(5, checkedPage(bar));
    bar.turnPageBtnSlot(6);
    bar.turnPageBtnSlot(-1);
    EXPECT_EQ(5, checkedPage(bar));
    EXPECT_EQ(0, pages.count());

    bar.showSignTool(true);
    bar.showSignTool(true);
    EXPECT_FALSE(bar.pageButton(1)->isHidden());
    EXPECT_EQ(1, checkedPage(bar));
    bar.showSignTool(false);
    EXPECT_TRUE(bar.pageButton(1)->isHidden());
    EXPECT_EQ(0, checkedPage(bar));
    bar.turnPageBtnSlot(4);
    bar.showSignTool(false);
    EXPECT_EQ(0, checkedPage(bar));
    EXPECT_EQ(0, pages.count());
}

TEST(TitleBar, WindowButtonsAndTheAccountButtonReport)
{
    TitleBar bar;
    bar.resize(1000, 36);
    QList<int> ops;
    QObject::connect(&bar, &TitleBar::titlebarSignals, [&](int op) { ops << op; });
    bar.minButton()->click();
    bar.maxButton()->click();
    bar.closeButton()->click();
    EXPECT_EQ((QList<int>{0, 1, 2}), ops);
    bar.btnClicked(); // no window button sent it
    EXPECT_EQ(3, ops.size());

    QSignalSpy user(&bar, &TitleBar::userBtnClicked);
    bar.userButton()->click();
    ASSERT_EQ(1, user.count());
    QToolButton* b = bar.userButton();
    EXPECT_EQ(b->mapToGlobal(QPoint(0, b->height() - 1)), user[0][0].toPoint());

    bar.setMinMaxIcon(true);
    EXPECT_TRUE(bar.showsRestoreIcon());
    bar.setMinMaxIcon(false);
    EXPECT_FALSE(bar.showsRestoreIcon());
}

TEST(MainWindowPages, PageButtonsTurnThePages)
{
    ScopedScreenZoom zoom(1.0f);
    Orvessa window;
    TitleBar* bar = window.titleBar();
    QStackedWidget* stack = window.stackWidget();
    ASSERT_EQ(6, stack->count());
    EXPECT_EQ(static_cast<QWidget*>(window.homePage()), stack->widget(Orvessa::HomePageId));
    EXPECT_EQ(window.signPage(), stack->widget(Orvessa::SignPageId));
    EXPECT_EQ(static_cast<QWidget*>(window.templatePage()), stack->widget(Orvessa::TemplatePageId));
    EXPECT_EQ(static_cast<QWidget*>(window.userCenterPage()), stack->widget(Orvessa::UserCenterPageId));
    EXPECT_EQ(static_cast<QWidget*>(window.helpCenterPage()), stack->widget(Orvessa::HelpCenterPageId));

    for (int id : {5, 2, 4, 0}) {
        SCOPED_TRACE(id);
        bar->pageButton(id)->click();
        EXPECT_EQ(id, stack->currentIndex());
        EXPECT_EQ(id, window.currentPageId());
        EXPECT_EQ(id, bar->pageGroup()->checkedId());
    }
    // A click on the checked button turns to its page again (the page refreshes).
    QSignalSpy again(bar, &TitleBar::turnPage);
    bar->pageButton(0)->click();
    EXPECT_EQ(1, again.count());

    // The user centre from the workspace: its page, its button checked.
    emit window.signPage()->turnTitleBar();
    EXPECT_EQ(Orvessa::UserCenterPageId, stack->currentIndex());
    EXPECT_EQ(Orvessa::UserCenterPageId, bar->pageGroup()->checkedId());

    // The workspace's last tab closed: "签名" goes and the home page shows.
    bar->showSignTool(true);
    window.turnPage(Orvessa::SignPageId);
    emit window.signPage()->closeLastTab();
    EXPECT_TRUE(bar->pageButton(1)->isHidden());
    EXPECT_EQ(0, bar->pageGroup()->checkedId());
    EXPECT_EQ(Orvessa::HomePageId, stack->currentIndex());

    window.turnFilePage(1);
    EXPECT_EQ(Orvessa::FileCenterPageId, stack->currentIndex());
    EXPECT_EQ(Orvessa::FileCenterPageId, bar->pageGroup()->checkedId());
    EXPECT_EQ(Orvessa::FileCenterPageId, window.currentPageId());
}

} // namespace
