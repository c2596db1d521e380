#include "UserPackageFrame.h"

#include "BuyMealInfoWidget.h"

UserPackageFrame::UserPackageFrame(QWidget* parent)
    : PendingUserPage(parent)
{
    _buyMealInfoWidfget = new CBuyMealInfoWidget(this);
    _buyMealInfoWidfget->hide();
}

UserPackageFrame::~UserPackageFrame() = default;

void UserPackageFrame::setPageBtn(bool isPageBtn)
{
    record(QStringLiteral("setPageBtn(%1)").arg(isPageBtn ? "true" : "false"));
}

void UserPackageFrame::showInfo()
{
    record(QStringLiteral("showInfo()"));
}
