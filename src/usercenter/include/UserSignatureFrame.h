#pragma once
// The seals or signatures page of the user centre (page 1): a company's seals or a person's
// handwritten signatures.

#include "PendingUserPage.h"

class UserSignatureFrame : public PendingUserPage
{
    Q_OBJECT
public:
    explicit UserSignatureFrame(QWidget* parent = nullptr);
    ~UserSignatureFrame() override;

    // Reloads the page from the service.
    void showInfo();

signals:
    void loginAgain(int type);
};
