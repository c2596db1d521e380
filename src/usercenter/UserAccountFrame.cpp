#include "UserAccountFrame.h"

UserAccountFrame::UserAccountFrame(QWidget* parent)
    : PendingUserPage(parent)
{
}

UserAccountFrame::~UserAccountFrame() = default;

void UserAccountFrame::showInfo()
{
    record(QStringLiteral("showInfo()"));
}

void UserAccountFrame::setPackageInfo()
{
    record(QStringLiteral("setPackageInfo()"));
}

void UserAccountFrame::setUpImg(int upImg)
{
    m_upImg = upImg;
    record(QStringLiteral("setUpImg(%1)").arg(upImg));
}

void UserAccountFrame::modfiyPassword()
{
    record(QStringLiteral("modfiyPassword()"));
}
