#pragma once
// The green strip at the top of the main window: the logo, one button per page of the page
// stack (the id of a button is the id of its page), the account button, the notice button and
// the window buttons. It only reports clicks; the main window decides what they do.

#include <QFrame>
#include <QPixmap>
#include <QPoint>

class QButtonGroup;
class QLabel;
class QPushButton;
class QToolButton;

class TitleBar : public QFrame
{
    Q_OBJECT
public:
    static constexpr int PageCount = 6;

    explicit TitleBar(QWidget* parent = nullptr);
    ~TitleBar() override;

    // Hides (true) or shows (false) the red dot on "用户管理".
    void setRedLabel(bool isHidden);
    // The account button's looks: the user's avatar and name, or " 请登录！".
    void setLoginedState();
    void setLogoutedState();

    QToolButton* pageButton(int id) const;
    QButtonGroup* pageGroup() const { return m_group; }
    QLabel* redDot() const { return m_redImg; }
    QToolButton* userButton() const { return m_user_pbn; }
    QPushButton* messageButton() const { return m_message_pbn; }
    QPushButton* minButton() const { return m_min_pbn; }
    QPushButton* maxButton() const { return m_max_pbn; }
    QPushButton* closeButton() const { return m_close_pbn; }
    // Which maximise icon is on show: true the restore icon.
    bool showsRestoreIcon() const { return m_restoreIcon; }

public slots:
    // Maps the sender among the window buttons to titlebarSignals 0, 1 or 2.
    void btnClicked();
    // Checks page button pageId (0 to 5) without emitting turnPage.
    void turnPageBtnSlot(int pageId);
    // true shows and checks "签名"; false hides it and checks "首页".
    void showSignTool(bool bShow);
    // The maximise button's icon: restore while the window is maximised.
    void setMinMaxIcon(bool brestore);
    // The account button shows the user's new avatar.
    void getLogoTitleBar(QPixmap pixMap);

signals:
    void turnPage(int pageid);
    // 0 minimise, 1 maximise or restore, 2 close.
    void titlebarSignals(int op);
    // pt: the global position of the account button's bottom-left pixel.
    void userBtnClicked(QPoint pt);

private:
    void initUi();

    QLabel* m_logo_label = nullptr;
    QToolButton* m_tools[PageCount] = {};
    QButtonGroup* m_group = nullptr;
    QLabel* m_redImg = nullptr;
    QToolButton* m_user_pbn = nullptr;
    QPushButton* m_message_pbn = nullptr;
    QPushButton* m_min_pbn = nullptr;
    QPushButton* m_max_pbn = nullptr;
    QPushButton* m_close_pbn = nullptr;
    bool m_restoreIcon = false;
    bool m_avatarLinked = false;
};
