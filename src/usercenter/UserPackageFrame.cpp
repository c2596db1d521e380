#include "UserPackageFrame.h"

UserPackageFrame::UserPackageFrame(QWidget* parent)
    : PendingUserPage(parent)
{
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
