#include "GlobalHeader.h"
#include "QtTestSupport.h"
#include "StyleSheet.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTreeView>
#include <QVBoxLayout>
#include <QFile>
#include <QRegularExpression>
#include <gtest/gtest.h>

namespace {

// Builds one widget of every class and variant the sheet styles, so that polishing them makes
// the toolkit parse every rule.
void polishEveryStyledWidget(const QString& sheet)
{
    QWidget root;
    root.setStyleSheet(sheet);
    auto* layout = new QVBoxLayout(&root);
    auto add = [&](QWidget* w, const char* mode) {
        if (mode)
            w->setProperty("mode", mode);
        layout->addWidget(w);
    };
    add(new QCheckBox("复选"), nullptr);
    add(new QCheckBox("复选"), "checked");
    auto* combo = new QComboBox;
    combo->addItems({"一", "二"});
    add(combo, nullptr);
    add(new QComboBox, "text");
    add(new QComboBox, "style2");
    auto* editable = new QComboBox;
    editable->setEditable(true);
    add(editable, nullptr);
    add(new QTreeView, nullptr);
    add(new QPushButton("确定"), "style2");
    add(new QLineEdit, "style2");
    add(new QLineEdit, "style3");
    add(new QLabel("标签"), "style2");
    auto* area = new QScrollArea;
    auto* big = new QWidget;
    big->setMinimumSize(2000, 2000);
    area->setWidget(big);
    add(area, nullptr);
    root.resize(300, 600);
    root.show();
    QMenu menu;
    menu.addAction("菜单项");
    menu.setStyleSheet(sheet);
    menu.ensurePolished();
    QApplication::processEvents();
    root.hide();
}

TEST(StyleSheet, ParsesWithoutWarningsAtEachScale)
{
    for (float zoom : {1.0f, 1.5f, 1040.0f / 768.0f}) {
        ScopedScreenZoom scoped(zoom);
        QtMessageCollector messages;
        polishEveryStyledWidget(style());
        EXPECT_FALSE(messages.contains("Could not parse")) << messages.messages().join("\n").toStdString();
        // The offscreen platform's own notices are not about the sheet.
        QStringList sheetMessages = messages.messages().filter(QRegularExpression("^(?!This plugin does not support)"));
        EXPECT_TRUE(sheetMessages.isEmpty()) << sheetMessages.join("\n").toStdString();
    }
}

TEST(StyleSheet, SizesAtScaleOne)
{
    ScopedScreenZoom scoped(1.0f);
    const QString s = style();
    EXPECT_TRUE(s.startsWith("QScrollBar:horizontal{padding-top:2px;padding-bottom:2px;"));
    EXPECT_TRUE(s.contains("QScrollBar:vertical{padding-left:2px;padding-right:2px;border:1px solid transparent;"
                           "background:transparent;width:14px;"));
    EXPECT_TRUE(s.contains("QScrollBar::handle:vertical{background:#ABAEAD;min-height:20px;border-radius:4px;}"));
    EXPECT_TRUE(s.contains("QCheckBox::indicator{width:15px;height:15px;}"));
    EXPECT_TRUE(s.contains(" QComboBox{font-family:'Arial';border:1px solid #91DFBC;padding-left:6px;"
                           "border-radius:2px;font-size:10px;}"));
    EXPECT_TRUE(s.contains("QComboBox QAbstractItemView::item{padding-left:6px;color:#333333;background:white;"
                           "min-height:23px;}"));
    EXPECT_TRUE(s.contains("QComboBox::down-arrow{width:9px;image:url(:/Resources/images/dropdown1.svg);"
                           "padding-right:3px;}"));
    EXPECT_TRUE(s.contains("QWidget{outline:1px;}QTreeView{border:none;"));
    EXPECT_TRUE(s.contains("QPushButton[mode='style2']{background:rgba(49,202,132,1);color:white;font-size:10px;"
                           "border-radius:3px;}"));
    EXPECT_TRUE(s.endsWith("QLabel[mode='style2']{color:#278E60;font-size:10px;}"));
    EXPECT_FALSE(s.contains('%'));
}

TEST(StyleSheet, SizesOnAWideScreen)
{
    ScopedScreenZoom scoped(1040.0f / 768.0f);
    const QString s = style();
    EXPECT_EQ(scrollWidth, 18);
    EXPECT_TRUE(s.contains("width:18px;margin:0px 0px 0px 0px;"));
    EXPECT_TRUE(s.contains("border-radius:6px;}"));
    // The indicator is scaled twice: toFixString(14 * 1.354) = qRound(25.67 + 0.5).
    EXPECT_TRUE(s.contains("QCheckBox::indicator{width:26px;height:26px;}"));
}

TEST(StyleSheet, ScrollBarFollowsTheSheet)
{
    ScopedScreenZoom scoped(1.0f);
    QScrollArea area;
    area.setStyleSheet(style());
    auto* big = new QWidget;
    big->setMinimumSize(2000, 2000);
    area.setWidget(big);
    area.resize(200, 200);
    area.show();
    QApplication::processEvents();
    EXPECT_EQ(area.verticalScrollBar()->sizeHint().width(), 14);
}

TEST(StyleSheet, PicturesItNamesExist)
{
    const QString s = style();
    QRegularExpression re("url\\((:[^)]+)\\)");
    auto it = re.globalMatch(s);
    int count = 0;
    while (it.hasNext()) {
        const QString path = it.next().captured(1);
        EXPECT_TRUE(QFile::exists(path)) << path.toStdString();
        ++count;
    }
    EXPECT_EQ(count, 7);
}

} // namespace
