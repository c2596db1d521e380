#pragma once
// The orders page of the user centre (page 4): the user's orders, page by page, with their
// invoices.

#include "PendingUserPage.h"

class UserOrderList : public PendingUserPage
{
    Q_OBJECT
public:
    explicit UserOrderList(QWidget* parent = nullptr);
    ~UserOrderList() override;

    // false: the next load fetches page 1 afresh.
    void setPageBtn(bool isPageBtn);
    // Reloads the page from the service.
    void showInfo();
};
