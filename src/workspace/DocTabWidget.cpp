#include "DocTabWidget.h"

#include "GlobalHeader.h"
#include "SignParamBusiness.h"

#include <QApplication>
#include <QFileInfo>
#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>
#include <QStackedWidget>
#include <QTabBar>

DocTabWidget::DocTabWidget(QWidget* parent) : QTabWidget(parent)
{
    setAttribute(Qt::WA_DeleteOnClose);
    _addBtn = new QPushButton(this);
    _addBtn->setStyleSheet(QStringLiteral("QPushButton{border:none;background:white;padding:%1px;"
                                          "image:url(:/Resources/images/add.svg);}"
                                          "QPushButton:hover{background:rgba(0,0,0,20);}"
                                          "QPushButton:pressed{background:rgba(0,0,0,40);}")
                               .arg(toFixString(6)));
    m_addsize = int(21 * screenZoom);
    _addBtn->setFixedSize(m_addsize, m_addsize);
    tabBar()->setUsesScrollButtons(true);
    tabBar()->setContextMenuPolicy(Qt::CustomContextMenu);
    tabBar()->setExpanding(false);
    setMovable(true);
    setTabsClosable(true);
    connect(_addBtn, &QPushButton::clicked, this, &DocTabWidget::add);
}

void DocTabWidget::addTab(QWidget* widget, DocTabWidget::file_type type, const QString& fileName,
                          const QString& fileID)
{
    const QString name = QFileInfo(fileName).fileName();
    const int index = QTabWidget::addTab(widget, fileName);
    setTabPixmap(index, type);
    setTabToolTip(index, htmlStr(type == file_cloud ? QStringLiteral("合同文件") : QStringLiteral("本地文件"), fileName));
    setTabWhatsThis(index, name);
    // The record goes with the tab's page, whoever closes it.
    SignParamBusiness* param = new SignParamBusiness(widget);
    param->setConFileName(type == file_cloud ? fileID : fileName);
    param->setFileType(type);
    tabBar()->setTabData(index, QVariant::fromValue(param));
    setCurrentWidget(widget);
    update();
    resizeTabBar();
}

QWidget* DocTabWidget::pageHost() const
{
    QStackedWidget* stack = findChild<QStackedWidget*>(QString(), Qt::FindDirectChildrenOnly);
    return stack ? static_cast<QWidget*>(stack) : const_cast<DocTabWidget*>(this);
}

SignParamBusiness* DocTabWidget::param(int index) const
{
    if (index < 0 || index >= count())
        return nullptr;
    return tabBar()->tabData(index).value<SignParamBusiness*>();
}

void DocTabWidget::setTabPixmap(int index, DocTabWidget::file_type ft)
{
    QLabel* icon = new QLabel(tabBar());
    icon->setFixedSize(int(21 * screenZoom), int(16 * screenZoom));
    icon->setScaledContents(true);
    icon->setStyleSheet(QStringLiteral("padding-left:%1px;").arg(toFixString(3)));
    if (ft == file_local)
        icon->setPixmap(QPixmap(QStringLiteral(":/Resources/images/computer.svg")));
    else if (ft == file_cloud)
        icon->setPixmap(QPixmap(QStringLiteral(":/Resources/images/cloud.svg")));
    tabBar()->setTabButton(index, QTabBar::LeftSide, icon);
}

void DocTabWidget::resizeTabBar()
{
    const int w = width();
    _addBtn->move(w - m_addsize, 0);
    const int avail = w - m_addsize;
    const int n = count();
    const int tw = n > 0 ? int(float(avail) / float(n)) : avail;
    const QFontMetrics metrics(QApplication::font());
    for (int i = 0; i < n; i++)
    {
        const QString full = tabWhatsThis(i);
        setTabText(i, tw - 50 > 200 ? full : metrics.elidedText(full, Qt::ElideRight, tw - 50));
    }
    // The rule goes on the tab bar alone and only when it changes: a style sheet set on the tab
    // widget would polish every document page again.
    const QString rule = QStringLiteral("QTabBar::tab{ width:%1px; }").arg(tw);
    if (tabBar()->styleSheet() != rule)
        tabBar()->setStyleSheet(rule);
}

void DocTabWidget::closeIndexTab(int index, bool bReOpen)
{
    if (index < 0 || index >= count())
        return;
    if (count() == 1 && !bReOpen)
        emit closeLastTab();
    if (QWidget* page = widget(index))
        page->close();
    if (SignParamBusiness* record = param(index))
        emit deleteDraftsList(record->getConFileName());
    removeTab(index);
    resizeTabBar();
}

void DocTabWidget::resizeEvent(QResizeEvent* event)
{
    resizeTabBar();
    QTabWidget::resizeEvent(event);
}
