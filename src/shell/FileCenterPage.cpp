#include "FileCenterPage.h"

#include "FileManagerPage.h"
#include "UserUnloginFrame.h"

#include <QStackedWidget>
#include <QVBoxLayout>

FileManagerPage* FileCenterPage::m_fileManageFrame = nullptr;

FileCenterPage::FileCenterPage(QWidget* parent)
    : QFrame(parent)
{
    m_stackedWidget = new QStackedWidget(this);
    m_userUnLoginFrame = new UserUnloginFrame(m_stackedWidget);
    m_fileManageFrame = new FileManagerPage(m_stackedWidget);
    // The not-logged-in page first, so that it is the one shown until a login.
    m_stackedWidget->addWidget(m_userUnLoginFrame);
    m_stackedWidget->addWidget(m_fileManageFrame);
    m_stackedWidget->setCurrentIndex(0);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_stackedWidget);
}

FileCenterPage::~FileCenterPage()
{
    // The list page is a child of this page and goes with it; the accessor must not outlive it.
    m_fileManageFrame = nullptr;
}

void FileCenterPage::setLoginedState(int pageId)
{
    m_stackedWidget->setCurrentIndex(1);
    update();
    if (pageId == 2 && m_fileManageFrame)
        m_fileManageFrame->getContractInfo();
}

void FileCenterPage::setLogoutedState()
{
    if (m_fileManageFrame)
        m_fileManageFrame->clearDraftsList();
    m_stackedWidget->setCurrentIndex(0);
}
