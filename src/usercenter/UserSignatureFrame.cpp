#include "UserSignatureFrame.h"

UserSignatureFrame::UserSignatureFrame(QWidget* parent)
    : PendingUserPage(parent)
{
}

UserSignatureFrame::~UserSignatureFrame() = default;

void UserSignatureFrame::showInfo()
{
    record(QStringLiteral("showInfo()"));
}
