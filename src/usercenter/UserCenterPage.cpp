#include "UserCenterPage.h"

#include "UserManageFrame.h"
#include "UserUnloginFrame.h"

#include <QStackedWidget>
#include <QVBoxLayout>

QPointer<UserManageFrame> UserCenterPage::m_usermanageFrame;

UserCenterPage::UserCenterPage(QWidget* parent)
    : QFrame(parent)
{
    auto* container = new UserManageFrame(this);
    m_container = container;
    m_usermanageFrame = container;
    m_userunloginFrame = new UserUnloginFrame(this);

    connect(container, &UserManageFrame::loginAgain, this, &UserCenterPage::loginAgain);
    connect(container, &UserManageFrame::sigCertRenewSucess, this, &UserCenterPage::sigCertRenewSucess);

    m_stackedWidget = new QStackedWidget(this);
    m_stackedWidget->insertWidget(LoggedOutIndex, m_userunloginFrame);
    m_stackedWidget->insertWidget(LoggedInIndex, container);
    m_stackedWidget->setCurrentIndex(LoggedOutIndex);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_stackedWidget);
}

UserCenterPage::~UserCenterPage() = default;

UserManageFrame* UserCenterPage::getUserManageFrame()
{
    return m_usermanageFrame;
}

void UserCenterPage::setLoginedState()
{
    m_container->showUserInfo();
    m_stackedWidget->setCurrentIndex(LoggedInIndex);
    m_stackedWidget->update();
}

void UserCenterPage::setLogoutedState()
{
    m_stackedWidget->setCurrentIndex(LoggedOutIndex);
    m_stackedWidget->update();
    m_container->setUpImg(0);
    m_container->LogoutSet();
}
