#include "UserAuthFrame.h"

CUserAuthFrame::CUserAuthFrame(QWidget* parent)
    : PendingUserPage(parent)
{
}

CUserAuthFrame::~CUserAuthFrame() = default;

void CUserAuthFrame::setPageBtn(bool isPageBtn)
{
    record(QStringLiteral("setPageBtn(%1)").arg(isPageBtn ? "true" : "false"));
}

void CUserAuthFrame::showListInfo(QString searchStr)
{
    record(QStringLiteral("showListInfo(\"%1\")").arg(searchStr));
}

void CUserAuthFrame::showinfo()
{
    record(QStringLiteral("showinfo()"));
}

void CUserAuthFrame::clearAuthCon()
{
    record(QStringLiteral("clearAuthCon()"));
}
