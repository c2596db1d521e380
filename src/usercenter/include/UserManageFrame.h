#pragma once
// The user-centre container: the second-level menu "用户管理" over a stack of seven pages, the
// menu id of each entry being the stack index of its page. A user's click on an entry shows the
// page and makes it reload from the service; checking an entry from code only checks it.
//
// A screen that opens inside the user centre in the place of a page (the add-signature screen at
// 1, the package purchase block at 3, the invoice form and views at 4) goes through swapPage():
//
//     frame->swapPage(UserManageFrame::PackagePage, purchaseBlock);            // take the place
//     ...
//     frame->swapPage(UserManageFrame::PackagePage, frame->page(UserManageFrame::PackagePage));
//     frame->getUserPackageFrame()->showInfo();                                // and back
//
// LogoutSet(), run at every logout, puts the seven pages back in their places whatever the stack
// holds.

#include <QFrame>

class CUserAuthFrame;
class Level2MenuBar;
class LinkManFrame;
class ProblemFeedback;
class QStackedWidget;
class UserAccountFrame;
class UserOrderList;
class UserPackageFrame;
class UserSignatureFrame;

class UserManageFrame : public QFrame
{
    Q_OBJECT
public:
    // The page ids: menu id = stack index.
    enum PageId {
        AccountPage = 0,
        SignaturePage = 1,
        ContactsPage = 2,
        PackagePage = 3,
        OrderPage = 4,
        AuthPage = 5,
        FeedbackPage = 6,
        PageCount = 7
    };

    explicit UserManageFrame(QWidget* parent = nullptr);
    ~UserManageFrame() override;

    // After a login: the text of entry 1 from the user type ("我的签名" for a person, "我的签章"
    // for a company), then the account page reloaded, checked and shown.
    void showUserInfo();
    // Reloads the account page's package figures when entry 0 is the checked one.
    void setPackage();
    void setUpImg(int upimg);
    // The seven pages back at indices 0 to 6, then the authorisation form cleared.
    void LogoutSet();

    // Makes `widget` the one at stack index `id` and shows it: whatever else stood there leaves
    // the stack (it is not deleted), and a widget already in the stack moves to that index. The
    // one way pages and the screens that stand in for them change places.
    void swapPage(int id, QWidget* widget, bool show = true);
    // The standard page of an id (whether or not it stands in the stack now); null for others.
    QWidget* page(int id) const;
    // Another screen sends the user to an entry (its menu entry checked without a click): the
    // seals page (SignaturePage) in its place and reloaded, or the package purchase block in the
    // place of the packages page (PackagePage) and loaded. Other ids do nothing.
    void openMenuPage(int id);

    // After a paid order (the payment success box's OK): a renewal (type 2) reloads the account
    // page; a package purchase (type 1) puts the pages 3 to 6 back in their places, shows the
    // packages page reloaded and refreshes the account page's package figures.
    static void reloadAfterPayment(int type);

    QStackedWidget* getStackWid() const { return m_stackedWidget; }
    Level2MenuBar* getLevel2MenuBar() const { return m_leven2MenuBar; }
    UserAccountFrame* getUserAccount() const { return m_useraccoutFrame; }
    UserSignatureFrame* getUserSignatureFrame() const { return m_usersignatureFrame; }
    UserPackageFrame* getUserPackageFrame() const { return m_userpackageFrame; }
    UserOrderList* getUserOrderList() const { return m_userOrderListFrame; }
    CUserAuthFrame* getUserAuthFrame() const { return m_userAuthFrame; }
    ProblemFeedback* getProblemFeedback() const { return m_problemfeedBack; }

public slots:
    // A user's click on menu entry id: shows stack index id and reloads that page.
    void toolbtnClicked_Slot(int id);
    // Opens the company's about-us page in the browser.
    void btnClicked();

signals:
    void loginAgain(int type);
    void sigCertRenewSucess();

private:
    Level2MenuBar* m_leven2MenuBar = nullptr;
    QStackedWidget* m_stackedWidget = nullptr;
    UserAccountFrame* m_useraccoutFrame = nullptr;
    UserSignatureFrame* m_usersignatureFrame = nullptr;
    LinkManFrame* m_linkmanFrame = nullptr;
    UserPackageFrame* m_userpackageFrame = nullptr;
    UserOrderList* m_userOrderListFrame = nullptr;
    ProblemFeedback* m_problemfeedBack = nullptr;
    CUserAuthFrame* m_userAuthFrame = nullptr;
};
