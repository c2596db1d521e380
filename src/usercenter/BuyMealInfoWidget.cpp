#include "BuyMealInfoWidget.h"

CBuyMealInfoWidget::CBuyMealInfoWidget(QWidget* parent)
    : PendingUserPage(parent)
{
}

CBuyMealInfoWidget::~CBuyMealInfoWidget() = default;

void CBuyMealInfoWidget::showMealInfo()
{
    record(QStringLiteral("showMealInfo()"));
}
