#include "Orvessa.h"

#include "CLog.h"
#include "GlobalHeader.h"
#include "LoadingWidget.h"
#include "NetWorkBusiness.h"
#include "QuickMessageBox.h"
#include "RegeditSettings.h"

#include <QCloseEvent>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QStackedWidget>
#include <QTimer>
#include <QVBoxLayout>

namespace {
const char* const kUnLoginText = " 请登录！";
}

Orvessa::Orvessa(QWidget* parent)
    : BorderlessWidget(parent)
{
    // The one-shot cleaner of old log files runs in the background while the window is built.
    m_logClearThread = new CLogClearThread;
    m_logClearThread->start(QThread::InheritPriority);

    initUi();
    g_topWidget = this;
    NetWorkBusiness::Instance();
    RegeditSettings::Instance();
    if (RegeditSettings::Instance()->associtatedHinted())
        QTimer::singleShot(500, this, &Orvessa::isDefaultPdfReader);
    setMouseTracking(true);
}

Orvessa::~Orvessa()
{
    if (g_topWidget == this)
        g_topWidget = nullptr;
    // The cleaner is short; it is waited for so that no thread outlives its object.
    m_logClearThread->wait();
    delete m_logClearThread;
}

void Orvessa::initUi()
{
    setWindowTitle("Orvessa");
    setWindowIcon(QIcon(":/APP.ico"));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    m_titleBar = new QWidget(this);
    m_titleBar->setObjectName("titleBar");
    m_titleBar->setFixedHeight(int(36 * screenZoom));
    m_titleBar->setStyleSheet("QWidget#titleBar{background:rgba(49,202,132,1);}"
                              "QLabel{color:white;}"
                              "QPushButton{color:white;border:none;background:transparent;}"
                              "QPushButton:hover{background:#2CBB7B;}");
    auto* titleLayout = new QHBoxLayout(m_titleBar);
    titleLayout->setContentsMargins(int(10 * screenZoom), 0, 0, 0);
    auto* logo = new QLabel(m_titleBar);
    logo->setPixmap(QIcon(":/APP.ico").pixmap(int(22 * screenZoom), int(22 * screenZoom)));
    auto* name = new QLabel("Orvessa", m_titleBar);
    m_userLabel = new QLabel(QString::fromUtf8(kUnLoginText), m_titleBar);
    titleLayout->addWidget(logo);
    titleLayout->addWidget(name);
    titleLayout->addStretch(1);
    titleLayout->addWidget(m_userLabel);
    const char* const buttonTexts[] = {"\xE2\x80\x94", "\xE2\x96\xA1", "\xE2\x9C\x95"};
    for (int i = 0; i < 3; ++i) {
        auto* b = new QPushButton(QString::fromUtf8(buttonTexts[i]), m_titleBar);
        b->setObjectName(QStringLiteral("windowButton%1").arg(i));
        b->setFixedSize(int(36 * screenZoom), int(36 * screenZoom));
        connect(b, &QPushButton::clicked, this, [this, i] { titleBarToolsClick(i); });
        titleLayout->addWidget(b);
    }
    layout->addWidget(m_titleBar);

    m_stackWidget = new QStackedWidget(this);
    const char* const pageNames[] = {"homePage", "signPage", "fileCenterPage", "templatePage", "userCenterPage",
                                     "helpCenterPage"};
    for (const char* pageName : pageNames) {
        auto* page = new QWidget(m_stackWidget);
        page->setObjectName(pageName);
        m_stackWidget->addWidget(page);
    }
    m_stackWidget->setCurrentIndex(HomePageId);
    layout->addWidget(m_stackWidget);

    setMinimumSize(int(800 * screenZoom), int(500 * screenZoom));

    m_loading = new LoadingWidget(this, Qt::Vertical);
    m_loading->hide();
}

void Orvessa::closeEvent(QCloseEvent* event)
{
    BorderlessWidget::closeEvent(event);
    if (event->isAccepted())
        NetWorkBusiness::Instance()->logoutAtExit();
}

void Orvessa::openFile(const QString& fileName)
{
    m_loading->hide();
    if (fileName.isEmpty()) {
        QuickMessageBox::abort(this, QString::fromUtf8("转换文件失败！"), qmt_nothing, 2000);
        return;
    }
    if (!QFileInfo::exists(fileName)) {
        QuickMessageBox::abort(g_topWidget, QString::fromUtf8("打开文件失败，未找到对应的文件！"), qmt_error, 2000);
        return;
    }
    // The signing workspace opens the document in a tab of its own.
}

void Orvessa::isDefaultPdfReader()
{
}

void Orvessa::turnPage(int pageid)
{
    if (pageid < 0 || pageid >= m_stackWidget->count())
        return;
    cur_PageId = pageid;
    m_stackWidget->setCurrentIndex(pageid);
}

void Orvessa::titleBarToolsClick(int index)
{
    switch (index) {
    case 0:
        showMinimized();
        break;
    case 1:
        showWindowandUpdateIcon();
        break;
    case 2:
        close();
        break;
    default:
        break;
    }
}

void Orvessa::showWindowandUpdateIcon()
{
    if (isMaximized()) {
        emit MaxMizeSignal(false);
        showNormal();
    } else {
        emit MaxMizeSignal(true);
        showMaximized();
    }
}
