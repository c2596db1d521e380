#include "LinkManFrame.h"

LinkManFrame::LinkManFrame(QWidget* parent)
    : PendingUserPage(parent)
{
}

LinkManFrame::~LinkManFrame() = default;

void LinkManFrame::showInfo()
{
    record(QStringLiteral("showInfo()"));
}
