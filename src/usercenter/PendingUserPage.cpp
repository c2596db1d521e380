#include "PendingUserPage.h"

PendingUserPage::PendingUserPage(QWidget* parent)
    : QFrame(parent)
{
    setObjectName("pendingUserPage");
    setStyleSheet(QStringLiteral("QFrame#pendingUserPage{background:#F3F6F7;}"));
}

PendingUserPage::~PendingUserPage() = default;
