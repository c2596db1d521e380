#pragma once
// Panel that shows a document's outline as a tree and asks for a page when an entry is clicked.

#include "vq-pdf.h"

#include <QMap>
#include <QPoint>
#include <QWidget>

class DisplayModel;
class QLabel;
class QTreeWidget;
class QTreeWidgetItem;

struct GotoInfo
{
    int pageno = 0; // the engine's 0-based page
    QPoint pt;
};

class BookMarkWidget : public QWidget
{
    Q_OBJECT
public:
    BookMarkWidget(QWidget* parent, DisplayModel* dm);
    ~BookMarkWidget() override;

    void createOutline();
    void do_outline(vq_outline* outline, QList<QTreeWidgetItem*>& items, QTreeWidget* treeWidget, int end);
    void do_outline_child(vq_outline* outline, QTreeWidgetItem* item, int end);

    QTreeWidget* tree() const { return m_treeWidget; }
    QLabel* notice() const { return m_textLabel; }

signals:
    void gotoPage(int pageNo, QPoint pt);

public slots:
    void treeItemClick(QTreeWidgetItem* item, int column);

private:
    void addEntry(vq_outline* entry, QTreeWidgetItem* item);

    QLabel* m_textLabel = nullptr;
    QTreeWidget* m_treeWidget = nullptr;
    DisplayModel* _dm = nullptr;
    QMap<QTreeWidgetItem*, GotoInfo> m_gotoPageHash;
};
