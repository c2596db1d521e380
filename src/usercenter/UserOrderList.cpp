#include "UserOrderList.h"

UserOrderList::UserOrderList(QWidget* parent)
    : PendingUserPage(parent)
{
}

UserOrderList::~UserOrderList() = default;

void UserOrderList::setPageBtn(bool isPageBtn)
{
    record(QStringLiteral("setPageBtn(%1)").arg(isPageBtn ? "true" : "false"));
}

void UserOrderList::showInfo()
{
    record(QStringLiteral("showInfo()"));
}
