#pragma once
// The packages page of the user centre (page 3): the current package figures and the packages
// held, page by page.

#include "PendingUserPage.h"

class CBuyMealInfoWidget;

class UserPackageFrame : public PendingUserPage
{
    Q_OBJECT
public:
    explicit UserPackageFrame(QWidget* parent = nullptr);
    ~UserPackageFrame() override;

    // false: the next load fetches page 1 afresh.
    void setPageBtn(bool isPageBtn);
    // Reloads the page from the service.
    void showInfo();

    // The package purchase block, shown in this page's place by "购买套餐".
    CBuyMealInfoWidget* _buyMealInfoWidfget = nullptr;

signals:
    void loginAgain(int type);
};
