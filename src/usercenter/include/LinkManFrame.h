#pragma once
// The contacts page of the user centre (page 2).

#include "PendingUserPage.h"

class LinkManFrame : public PendingUserPage
{
    Q_OBJECT
public:
    explicit LinkManFrame(QWidget* parent = nullptr);
    ~LinkManFrame() override;

    // Reloads the page from the service.
    void showInfo();

signals:
    void loginAgain(int type);
};
