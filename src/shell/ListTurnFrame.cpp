#include "ListTurnFrame.h"

#include "GlobalHeader.h"
#include "QuickMessageBox.h"
#include "RegeditSettings.h"
#include "ShellResources.h"
#include "TableView.h"

#include <QCursor>
#include <QFileInfo>
#include <QGraphicsDropShadowEffect>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>
#include <QStyleOption>
#include <QToolButton>
#include <QToolTip>
#include <QVBoxLayout>

namespace {

const int kCardWidth = 185;
const int kCardHeight = 115;
const int kArrowStep = 60;

// The card's look: %1 the name's font size, %2 the date's and the buttons' font size, %3 the
// buttons' corner radius.
const char* const kCardStyle =
    "ListWidgetCellWidget{border:1px solid #EAEAEA;background:white;border-radius:4px;}\t\t\t\t   "
    "QLabel[mode='text1']{color:#333333;font-size:%1px;}\t\t\t\t   "
    "QLabel[mode='date']{color:#959595;font-size:%2px;}\t\t\t\t   "
    "QPushButton{border:1px solid #B2E7CF;border-radius:%3px;font-size:%2px;color:#31CA84;}\t\t\t\t   "
    "QPushButton:hover{background:#31CA84;border:none;color:white;}\t\t\t\t   "
    "QPushButton:pressed{background:#1B8555;}\t\t\t\t   "
    "#tip{padding:0px;background:transparent;border-image:url(:/Resources/images/tip1.svg);}\t\t\t\t   "
    "#tip:checked{border-image:url(:/Resources/images/tip_check_green.svg);}\t\t\t\t   "
    "QToolButton:checked{background:red;}";

} // namespace

// ---- one card -----------------------------------------------------------------------------------

ListWidgetCellWidget::ListWidgetCellWidget(QStringList buttons, bool fixed, QWidget* parent) : QWidget(parent)
{
    initShellResources();

    m_titler = new QLabel(this);
    m_tip = new QToolButton(this);
    m_tip->setFixedSize(12, 12);
    m_tip->setIconSize(QSize(10, 10));
    m_tip->setToolTip(QStringLiteral("固定此文档位置"));
    m_tip->setCheckable(true);
    m_tip->setChecked(fixed);
    m_tip->setObjectName(QStringLiteral("tip"));
    m_icon = new QLabel(this);
    m_icon->setFixedSize(30, 30);
    m_icon->setScaledContents(true);
    m_text1 = new QLabel(this);
    m_text1->setProperty("mode", "text1");
    m_text1->setWordWrap(true);
    m_date = new QLabel(this);
    m_date->setProperty("mode", "date");

    auto* titleRow = new QHBoxLayout;
    titleRow->addWidget(m_titler);
    titleRow->addWidget(m_tip);

    auto* textColumn = new QVBoxLayout;
    textColumn->setSpacing(0);
    textColumn->addWidget(m_text1, 1);
    textColumn->addWidget(m_date);

    auto* bodyRow = new QHBoxLayout;
    bodyRow->setSpacing(22);
    bodyRow->addWidget(m_icon);
    bodyRow->addLayout(textColumn);

    auto* buttonRow = new QHBoxLayout;
    buttonRow->setContentsMargins(17, 0, 17, 0);
    for (int i = 0; i < buttons.size(); ++i)
    {
        auto* button = new QPushButton(buttons.at(i), this);
        button->setFixedSize(52, 19);
        connect(button, &QPushButton::clicked, this, [this, i] { emit buttonClicked(i, this); });
        buttonRow->addWidget(button);
        m_buttons << button;
    }

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(26, 11, 11, 12);
    layout->addLayout(titleRow);
    layout->addLayout(bodyRow);
    layout->addLayout(buttonRow);

    setStyleSheet(QString::fromUtf8(kCardStyle).arg(toFixString(10), toFixString(8.5), toFixString(8.5)));

    m_windowShadow = new QGraphicsDropShadowEffect(this);
    m_windowShadow->setColor(QColor(136, 143, 159, 125));
    m_windowShadow->setBlurRadius(16);
    m_windowShadow->setOffset(0, 0);
    setGraphicsEffect(m_windowShadow);
    m_windowShadow->setEnabled(false);

    connect(m_tip, &QToolButton::clicked, this, &ListWidgetCellWidget::pinToggled);
}

void ListWidgetCellWidget::setIcon(QString path)
{
    m_icon->setPixmap(QPixmap(path));
}

void ListWidgetCellWidget::setTilter(QString title)
{
    m_titler->setText(title);
    m_titler->setStyleSheet(QStringLiteral("QLabel{font-size:%1px;}").arg(toFixString(9.5)));
}

void ListWidgetCellWidget::setFile(QString path)
{
    m_fileName = path;
    m_text1->setText(QFileInfo(path).fileName());
}

void ListWidgetCellWidget::setDate(QString date)
{
    m_date->setText(date);
}

void ListWidgetCellWidget::pinToggled()
{
    // The click has already toggled the button; the settings take its new state. The row is
    // not rebuilt: the pinned entry keeps its place in the stored order.
    recentfile entry;
    entry.file = m_fileName;
    entry.fixed = m_tip->isChecked();
    RegeditSettings::Instance()->setRecentlyFileFiexed(entry);
}

void ListWidgetCellWidget::enterEvent(QEvent* event)
{
    m_windowShadow->setEnabled(true);
    QToolTip::showText(QCursor::pos(), m_fileName, this);
    QWidget::enterEvent(event);
}

void ListWidgetCellWidget::leaveEvent(QEvent* event)
{
    m_windowShadow->setEnabled(false);
    QToolTip::hideText();
    QWidget::leaveEvent(event);
}

void ListWidgetCellWidget::paintEvent(QPaintEvent*)
{
    QStyleOption option;
    option.initFrom(this);
    QPainter painter(this);
    style()->drawPrimitive(QStyle::PE_Widget, &option, &painter, this);
}

// ---- the row --------------------------------------------------------------------------------------

ListTurnFrame::ListTurnFrame(QWidget* parent) : QWidget(parent)
{
    initShellResources();

    leftBtn = new QPushButton(this);
    leftBtn->setObjectName(QStringLiteral("leftArrow"));
    leftBtn->setAutoRepeat(true);
    leftBtn->setFixedSize(20, 80);
    leftBtn->setIcon(QIcon(QStringLiteral(":/Resources/images/leftarrow_green.svg")));
    leftBtn->hide();
    rightBtn = new QPushButton(this);
    rightBtn->setObjectName(QStringLiteral("rightArrow"));
    rightBtn->setAutoRepeat(true);
    rightBtn->setFixedSize(20, 80);
    rightBtn->setIcon(QIcon(QStringLiteral(":/Resources/images/rightarrow_green.svg")));
    rightBtn->hide();

    listWidget = new QListWidget(this);
    listWidget->setFixedHeight(128);
    listWidget->setSpacing(6);
    listWidget->setViewMode(QListView::IconMode);
    listWidget->setResizeMode(QListView::Adjust);
    listWidget->setWrapping(false);
    listWidget->setFlow(QListView::LeftToRight);
    listWidget->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    listWidget->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    listWidget->setEditTriggers(QAbstractItemView::NoEditTriggers);
    listWidget->setDragDropMode(QAbstractItemView::NoDragDrop);
    listWidget->setMovement(QListView::Static);
    listWidget->setContentsMargins(0, 0, 0, 0);
    listWidget->setStyleSheet(QStringLiteral("QListView{border:none;}QListView::item{left:20px;}"));
    listWidget->setItemDelegate(new resizeDelegate(listWidget));

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(leftBtn);
    layout->addWidget(listWidget);
    layout->addWidget(rightBtn);

    QScrollBar* bar = listWidget->horizontalScrollBar();
    connect(bar, &QScrollBar::rangeChanged, this, [this](int, int max) {
        const bool overflow = max >= 2;
        leftBtn->setVisible(overflow);
        rightBtn->setVisible(overflow);
    });
    connect(leftBtn, &QPushButton::clicked, this, [bar] {
        if (bar->value() > bar->minimum())
            bar->setValue(bar->value() - kArrowStep);
    });
    connect(rightBtn, &QPushButton::clicked, this, [bar] {
        if (bar->value() < bar->maximum())
            bar->setValue(bar->value() + kArrowStep);
    });

    readSettings();

    setStyleSheet(QStringLiteral("QPushButton{border:none;background:transparent;border-radius:%1px;}\t\t\t\t   "
                                 "QPushButton:hover{background:rgba(0,0,0,20);}\t\t\t\t   "
                                 "QPushButton:pressed{background:rgba(0,0,0,40);}")
                      .arg(toFixString(4)));
}

ListTurnFrame::~ListTurnFrame() = default;

void ListTurnFrame::readSettings()
{
    // The cards go with their items; the view deletes them later, never inside the click of
    // one of them that led here.
    listWidget->clear();
    const QList<recentfile> files = RegeditSettings::Instance()->recentlyFiles();
    for (int i = 0; i < files.size() && i < MaxShown; ++i)
        addItem(files.at(i).file, files.at(i).date, files.at(i).fixed);
}

void ListTurnFrame::addItem(QString file, QString date, bool fixed)
{
    auto* item = new QListWidgetItem;
    item->setSizeHint(QSize(kCardWidth, kCardHeight));
    auto* cell = new ListWidgetCellWidget(
        QStringList{QStringLiteral("立即签署"), QStringLiteral("删除")}, fixed);
    cell->setFixedSize(kCardWidth, kCardHeight);
    cell->setIcon(QStringLiteral(":/home/Resources/images/home/icon1.svg"));
    cell->setTilter(QStringLiteral("本地文件"));
    cell->setFile(file);
    cell->setDate(date);
    listWidget->addItem(item);
    listWidget->setItemWidget(item, cell);
    connect(cell, &ListWidgetCellWidget::buttonClicked, this, &ListTurnFrame::buttonClicked);
}

ListWidgetCellWidget* ListTurnFrame::cellAt(int row) const
{
    QListWidgetItem* item = listWidget->item(row);
    return item ? qobject_cast<ListWidgetCellWidget*>(listWidget->itemWidget(item)) : nullptr;
}

void ListTurnFrame::buttonClicked(int index, ListWidgetCellWidget* cell)
{
    if (!cell)
        return;
    const QString path = cell->fileName();
    if (index == 0)
    {
        if (QFileInfo::exists(path))
        {
            emit openFileSignal(path);
            return;
        }
        QuickMessageBox::abort(this, QStringLiteral("未找到此文件，文件已经被删除或移到别的位置！"), qmt_nothing, 2000);
        RegeditSettings::Instance()->deleteRecentlyFile(path);
        readSettings();
    }
    else if (index == 1)
    {
        RegeditSettings::Instance()->deleteRecentlyFile(path);
        readSettings();
    }
}
