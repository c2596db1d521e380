#pragma once
// The package purchase block: the packages for sale, each with its "购买" button. It stands in
// the packages page's place in the user centre while it is shown.

#include "PendingUserPage.h"

class CBuyMealInfoWidget : public PendingUserPage
{
    Q_OBJECT
public:
    explicit CBuyMealInfoWidget(QWidget* parent = nullptr);
    ~CBuyMealInfoWidget() override;

    // Loads the packages for sale.
    void showMealInfo();
};
