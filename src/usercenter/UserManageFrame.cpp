#include "UserManageFrame.h"

#include "BuyMealInfoWidget.h"
#include "Level2MenuBar.h"
#include "LinkManFrame.h"
#include "NetWorkBusiness.h"
#include "PayQrCodeDialog.h"
#include "ProblemFeedback.h"
#include "UserAccountFrame.h"
#include "UserAuthFrame.h"
#include "UserCenterPage.h"
#include "UserCenterShared.h"
#include "UserOrderList.h"
#include "UserPackageFrame.h"
#include "UserSignatureFrame.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QDesktopServices>
#include <QIcon>
#include <QStackedWidget>
#include <QUrl>
#include <QVBoxLayout>

namespace {

QString signaturesText(bool company)
{
    return company ? QStringLiteral("我的签章") : QStringLiteral("我的签名");
}

} // namespace

UserManageFrame::UserManageFrame(QWidget* parent)
    : QFrame(parent)
{
    initUserCenterResources();
    setObjectName("userManageFrame");

    const QStringList entries{QStringLiteral("账号基本信息"), signaturesText(true), QStringLiteral("联系人"),
                              QStringLiteral("我的套餐"),     QStringLiteral("我的订单"), QStringLiteral("我的授权"),
                              QStringLiteral("问题反馈")};
    const QSize iconSize(designPx(32), designPx(26));
    m_leven2MenuBar = new Level2MenuBar(
        entries, QStringLiteral("用户管理"),
        QIcon(":/usercenter/Resources/images/usercenter/usermanage.svg").pixmap(iconSize), iconSize, this);
    m_leven2MenuBar->setMenuBtnClicked(AccountPage, true);

    m_useraccoutFrame = new UserAccountFrame(this);
    m_usersignatureFrame = new UserSignatureFrame(this);
    m_linkmanFrame = new LinkManFrame(this);
    m_userpackageFrame = new UserPackageFrame(this);
    m_userOrderListFrame = new UserOrderList(this);
    m_userAuthFrame = new CUserAuthFrame(this);
    m_problemfeedBack = new ProblemFeedback(this);

    m_stackedWidget = new QStackedWidget(this);
    for (int id = 0; id < PageCount; ++id)
        m_stackedWidget->insertWidget(id, page(id));
    m_stackedWidget->setCurrentIndex(AccountPage);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_leven2MenuBar);
    layout->addWidget(m_stackedWidget, 1);

    connect(m_leven2MenuBar, &Level2MenuBar::toolbtnClicked, this, &UserManageFrame::toolbtnClicked_Slot);
    connect(m_leven2MenuBar, &Level2MenuBar::btnPushClicked, this, &UserManageFrame::btnClicked);
    connect(m_useraccoutFrame, &UserAccountFrame::loginAgain, this, &UserManageFrame::loginAgain);
    connect(m_usersignatureFrame, &UserSignatureFrame::loginAgain, this, &UserManageFrame::loginAgain);
    connect(m_userpackageFrame, &UserPackageFrame::loginAgain, this, &UserManageFrame::loginAgain);
    connect(m_useraccoutFrame, &UserAccountFrame::sigCertRenewSucess, this, &UserManageFrame::sigCertRenewSucess);

    setStyleSheet(QStringLiteral("QFrame#userManageFrame{background:#F3F6F7;}"));

    // The pages that show what a payment bought reload when its success box is confirmed.
    PaySuccessDialog::setPageReload(&UserManageFrame::reloadAfterPayment);
}

void UserManageFrame::reloadAfterPayment(int type)
{
    UserManageFrame* frame = UserCenterPage::getUserManageFrame();
    if (!frame)
        return;
    if (type == 2) {
        frame->m_useraccoutFrame->showInfo();
        return;
    }
    for (int id = PackagePage; id < PageCount; ++id)
        frame->swapPage(id, frame->page(id), false);
    frame->m_stackedWidget->setCurrentWidget(frame->m_userpackageFrame);
    frame->m_userpackageFrame->showInfo();
    frame->m_useraccoutFrame->setPackageInfo();
}

UserManageFrame::~UserManageFrame() = default;

QWidget* UserManageFrame::page(int id) const
{
    switch (id) {
    case AccountPage: return m_useraccoutFrame;
    case SignaturePage: return m_usersignatureFrame;
    case ContactsPage: return m_linkmanFrame;
    case PackagePage: return m_userpackageFrame;
    case OrderPage: return m_userOrderListFrame;
    case AuthPage: return m_userAuthFrame;
    case FeedbackPage: return m_problemfeedBack;
    default: return nullptr;
    }
}

void UserManageFrame::swapPage(int id, QWidget* widget, bool show)
{
    if (!widget || id < 0)
        return;
    if (m_stackedWidget->indexOf(widget) != id) {
        m_stackedWidget->removeWidget(widget);   // nothing happens when it is not in the stack
        if (QWidget* occupant = m_stackedWidget->widget(id))
            m_stackedWidget->removeWidget(occupant);
        m_stackedWidget->insertWidget(id, widget);
    }
    if (show)
        m_stackedWidget->setCurrentWidget(widget);
}

void UserManageFrame::openMenuPage(int id)
{
    if (id == SignaturePage) {
        m_leven2MenuBar->setMenuBtnClicked(SignaturePage, true);
        // Puts the seals page back in its place should another screen stand there.
        swapPage(SignaturePage, m_usersignatureFrame);
        m_usersignatureFrame->showInfo();
    } else if (id == PackagePage) {
        m_leven2MenuBar->setMenuBtnClicked(PackagePage, true);
        CBuyMealInfoWidget* block = m_userpackageFrame->_buyMealInfoWidfget;
        swapPage(PackagePage, block);
        block->showMealInfo();
    }
}

void UserManageFrame::showUserInfo()
{
    if (const BusinessInfo* info = NetWorkBusiness::Instance()->getBusinessInfo())
        if (QAbstractButton* entry = m_leven2MenuBar->getBtnGroup()->button(SignaturePage))
            entry->setText(signaturesText(info->userType != 0));
    m_useraccoutFrame->showInfo();
    m_leven2MenuBar->setMenuBtnClicked(AccountPage, true);
    m_stackedWidget->setCurrentIndex(AccountPage);
}

void UserManageFrame::setPackage()
{
    if (m_leven2MenuBar->getBtnGroup()->checkedId() == AccountPage)
        m_useraccoutFrame->setPackageInfo();
}

void UserManageFrame::setUpImg(int upimg)
{
    m_useraccoutFrame->setUpImg(upimg);
}

void UserManageFrame::LogoutSet()
{
    // Placing the pages in id order keeps the ones already placed where they are; a screen that
    // stood in for a page leaves the stack.
    for (int id = 0; id < PageCount; ++id)
        swapPage(id, page(id), false);
    m_userAuthFrame->clearAuthCon();
}

void UserManageFrame::toolbtnClicked_Slot(int id)
{
    m_stackedWidget->setCurrentIndex(id);
    switch (id) {
    case AccountPage:
        m_useraccoutFrame->showInfo();
        break;
    case SignaturePage:
        m_usersignatureFrame->showInfo();
        break;
    case ContactsPage:
        m_linkmanFrame->showInfo();
        break;
    case PackagePage:
        m_userpackageFrame->setPageBtn(false);
        m_userpackageFrame->showInfo();
        break;
    case OrderPage:
        m_userOrderListFrame->setPageBtn(false);
        m_userOrderListFrame->showInfo();
        break;
    case AuthPage:
        m_userAuthFrame->setPageBtn(false);
        m_userAuthFrame->showListInfo(QString());
        m_userAuthFrame->showinfo();
        break;
    default:
        break;
    }
}

void UserManageFrame::btnClicked()
{
    QDesktopServices::openUrl(QUrl(companySiteUrl() + QStringLiteral("/view/aboutUsAddress.html")));
}
