#include "BookMarkWidget.h"

#include "DisplayModel.h"

#include <QLabel>
#include <QTreeWidget>
#include <QVBoxLayout>

BookMarkWidget::BookMarkWidget(QWidget* parent, DisplayModel* dm) : QWidget(parent), _dm(dm)
{
    m_textLabel = new QLabel(QStringLiteral("此文档没有目录"), this);
    m_textLabel->setStyleSheet(QStringLiteral("font: 16px; color:#BBBDBE;"));
    m_textLabel->setAlignment(Qt::AlignCenter);
    m_treeWidget = new QTreeWidget(this);
    m_treeWidget->setFrameShape(QFrame::NoFrame);
    m_treeWidget->setColumnCount(1);
    m_treeWidget->setHeaderHidden(true);
    QVBoxLayout* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_textLabel);
    layout->addWidget(m_treeWidget);
    createOutline();
}

BookMarkWidget::~BookMarkWidget()
{
    m_gotoPageHash.clear();
}

void BookMarkWidget::createOutline()
{
    // The outline tree belongs to the engine document and goes when the document closes.
    vq_outline* outline = (_dm && _dm->GetEngine()) ? _dm->GetEngine()->OutLine() : nullptr;
    if (!outline)
    {
        m_treeWidget->hide();
        return;
    }
    if (m_treeWidget->topLevelItemCount() > 0)
        return;
    m_textLabel->hide();
    QList<QTreeWidgetItem*> items;
    do_outline(outline, items, m_treeWidget, 10);
    connect(m_treeWidget, &QTreeWidget::itemClicked, this, &BookMarkWidget::treeItemClick);
}

void BookMarkWidget::addEntry(vq_outline* entry, QTreeWidgetItem* item)
{
    const char* title = vq_outline_title(entry);
    item->setText(0, title ? QString::fromUtf8(title) : QString());
    const vq_point pt = vq_outline_goto_page_point(entry);
    GotoInfo info;
    info.pageno = vq_outline_goto_page(entry);
    info.pt = QPoint(static_cast<int>(pt.x), static_cast<int>(pt.y));
    m_gotoPageHash.insert(item, info);
}

void BookMarkWidget::do_outline(vq_outline* outline, QList<QTreeWidgetItem*>& items, QTreeWidget* treeWidget,
                                int end)
{
    for (vq_outline* entry = outline; entry; entry = vq_outline_next(entry))
    {
        QTreeWidgetItem* item = new QTreeWidgetItem(treeWidget);
        addEntry(entry, item);
        items.append(item);
        if (vq_outline* child = vq_outline_child(entry))
            do_outline_child(child, item, end);
    }
}

void BookMarkWidget::do_outline_child(vq_outline* outline, QTreeWidgetItem* parent, int end)
{
    for (vq_outline* entry = outline; entry; entry = vq_outline_next(entry))
    {
        QTreeWidgetItem* item = new QTreeWidgetItem(parent);
        addEntry(entry, item);
        if (vq_outline* child = vq_outline_child(entry))
            do_outline_child(child, item, end);
    }
}

void BookMarkWidget::treeItemClick(QTreeWidgetItem* item, int)
{
    auto it = m_gotoPageHash.constFind(item);
    if (it != m_gotoPageHash.constEnd())
        emit gotoPage(it->pageno + 1, it->pt);
    else
        emit gotoPage(1, QPoint(0, 0));
}
