#pragma once
#include "BorderlessWidget.h"

#include <QPixmap>

class CLogClearThread;
class FileCenterPage;
class LoadingWidget;
class QCloseEvent;
class QLabel;
class QStackedWidget;
class QPushButton;
class UserCenterPage;
class UserSession;

// The application's one main window: a title strip over the page stack.
class Orvessa : public BorderlessWidget
{
    Q_OBJECT
public:
    // Fixed ids of the page stack.
    enum PageId { HomePageId = 0, SignPageId = 1, FileCenterPageId = 2, TemplatePageId = 3, UserCenterPageId = 4, HelpCenterPageId = 5 };

    explicit Orvessa(QWidget* parent = nullptr);
    ~Orvessa() override;

    QStackedWidget* stackWidget() const { return m_stackWidget; }
    int loginState() const;
    UserCenterPage* userCenterPage() const { return m_userCenterPage; }
    FileCenterPage* fileCenterPage() const { return m_fileCenterPage; }
    UserSession* session() const { return m_session; }
    QPushButton* userButton() const { return m_userButton; }
    LoadingWidget* loadingWidget() const { return m_loading; }
    CLogClearThread* logClearThread() const { return m_logClearThread; }

public slots:
    // Opens a document named by the command line or the home page.
    void openFile(const QString& fileName);
    // Shows the page with the given id.
    void turnPage(int pageid);
    // The window buttons of the title strip: 0 minimise, 1 maximise or restore, 2 close.
    void titleBarToolsClick(int index);
    // Toggles maximised and normal.
    void showWindowandUpdateIcon();
    // The check for the default PDF reader; nothing to do on this platform.
    void isDefaultPdfReader();
    // The account button or a not-logged-in page's login button: the login window while logged
    // out; the account menu ("注销" logs out) while logged in.
    void userBtnClicked(QPoint pt);

signals:
    // Every document tab is to be closed (after any logout, forced or not).
    void logoutSignal();

protected:
    // Closing the window ends the cloud session: the logout goes out while the event loop still
    // runs, with a short bounded wait for its answer.
    void closeEvent(QCloseEvent* event) override;

private:
    void initUi();
    void showAccount();

    QWidget* m_titleBar = nullptr;
    QPushButton* m_userButton = nullptr;
    QStackedWidget* m_stackWidget = nullptr;
    UserCenterPage* m_userCenterPage = nullptr;
    FileCenterPage* m_fileCenterPage = nullptr;
    UserSession* m_session = nullptr;
    int cur_PageId = 0;
    QPixmap _pixMap;
    LoadingWidget* m_loading = nullptr;
    CLogClearThread* m_logClearThread = nullptr;
};
