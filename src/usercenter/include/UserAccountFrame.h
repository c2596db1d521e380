#pragma once
// The account page of the user centre (page 0): the account's data, its package figures and the
// dialogs that change the password, the phone, the avatar and a USB key's PIN.

#include "PendingUserPage.h"

#include <QPixmap>

class UserAccountFrame : public PendingUserPage
{
    Q_OBJECT
public:
    explicit UserAccountFrame(QWidget* parent = nullptr);
    ~UserAccountFrame() override;

    // Reloads the page from the service.
    void showInfo();
    // Reloads the package figures.
    void setPackageInfo();
    // 1 once an avatar was uploaded in this session, 0 at start and after each logout.
    void setUpImg(int upImg);
    int getUpImg() const { return m_upImg; }
    // Runs the change-password dialog.
    void modfiyPassword();

signals:
    // A new avatar for the title bar.
    void senLogoTitleBar(QPixmap pixMap);
    void loginAgain(int type);
    void sigCertRenewSucess();

private:
    int m_upImg = 0;
};
