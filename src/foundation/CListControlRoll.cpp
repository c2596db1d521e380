#include "CListControlRoll.h"

#include "GlobalHeader.h"
#include "TableView.h"

#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>

CListControlRoll::CListControlRoll(QWidget* parent, int width, int height, int widgetHeight, int spacing,
                                   const QIcon& leftAicon, const QIcon& rightAicon, QListWidget*& listwidget,
                                   int rollValue)
    : QWidget(parent), m_rollValue(rollValue)
{
    auto makeArrow = [&](const QIcon& icon) {
        auto* btn = new QPushButton(this);
        btn->setAutoRepeat(true);
        btn->setFixedSize(width, height);
        btn->setIcon(icon);
        btn->hide();
        return btn;
    };
    leftBtn = makeArrow(leftAicon);
    rightBtn = makeArrow(rightAicon);

    listWidget = new QListWidget(this);
    listWidget->setFixedHeight(widgetHeight);
    listWidget->setSpacing(spacing);
    listWidget->setViewMode(QListView::IconMode);
    listWidget->setResizeMode(QListView::Adjust);
    listWidget->setMovement(QListView::Static);
    listWidget->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    listWidget->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    listWidget->setEditTriggers(QAbstractItemView::NoEditTriggers);
    listWidget->setDragEnabled(false);
    listWidget->setDragDropMode(QAbstractItemView::NoDragDrop);
    listWidget->setWrapping(false);
    listWidget->setContentsMargins(0, 0, 0, 0);
    listWidget->setStyleSheet(QStringLiteral("QListView{border:none;}QListView::item{left:20px;}"));
    listWidget->setItemDelegate(new resizeDelegate(this));

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(leftBtn);
    layout->addWidget(listWidget);
    layout->addWidget(rightBtn);

    setStyleSheet(QStringLiteral("QPushButton{border:none;background:transparent;border-radius:%1px;}\t\t\t\t   "
                                 "QPushButton:hover{background:rgba(0,0,0,20);}\t\t\t\t   "
                                 "QPushButton:pressed{background:rgba(0,0,0,40);}")
                      .arg(toFixString(3)));

    QScrollBar* bar = listWidget->horizontalScrollBar();
    connect(bar, &QScrollBar::rangeChanged, this, [this](int, int maximum) {
        leftBtn->setVisible(arrowsShown(maximum));
        rightBtn->setVisible(arrowsShown(maximum));
    });
    connect(leftBtn, &QPushButton::clicked, this, [this, bar] {
        if (bar->value() > bar->minimum())
            bar->setValue(bar->value() - m_rollValue);
    });
    connect(rightBtn, &QPushButton::clicked, this, [this, bar] {
        if (bar->value() < bar->maximum())
            bar->setValue(bar->value() + m_rollValue);
    });

    listwidget = listWidget;
}

void CListControlRoll::addWidgetItem(QString, QString, bool) {}
