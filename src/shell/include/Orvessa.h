#pragma once
#include "BorderlessWidget.h"
#include "WindowEdges.h"

#include <QPixmap>
#include <QPoint>
#include <QRect>
#include <QVariant>
#include <functional>

class CLogClearThread;
class FileCenterPage;
class HelpCenterPage;
class HomePage;
class LoadingWidget;
class QCloseEvent;
class QMouseEvent;
class QStackedWidget;
class QToolButton;
class SignPage;
class TemplatePage;
class TitleBar;
class UserCenterPage;
class UserSession;

// The application's one main window: the title bar over the page stack. It draws no system
// frame, so it moves and resizes itself: dragging an empty part of the title bar moves it, the
// outermost three pixels of each edge resize it (corners win), and a double click on the title
// bar or its maximise button toggles maximised and normal, whether or not a window manager runs.
class Orvessa : public BorderlessWidget
{
    Q_OBJECT
public:
    // Fixed ids of the page stack; the title bar's page buttons carry the same ids.
    enum PageId { HomePageId = 0, SignPageId = 1, FileCenterPageId = 2, TemplatePageId = 3, UserCenterPageId = 4, HelpCenterPageId = 5 };

    explicit Orvessa(QWidget* parent = nullptr);
    ~Orvessa() override;

    // Shows the window maximised to its screen's available area (the start of the program).
    void showMaximizedOnScreen();
    // What ends the program once every document tab has closed (the event loop's exit unless a
    // test replaces it).
    void setQuitHandler(std::function<void()> quit) { m_quit = std::move(quit); }
    // How the program starts: the window is shown maximised, then the document named on the
    // command line (if any) is opened, so that a message about it appears over the window;
    // nothing is painted before the event loop runs, so an opened document has the window come
    // up on the workspace.
    void showAndOpen(const QString& documentPath);

    QStackedWidget* stackWidget() const { return m_stackWidget; }
    int loginState() const;
    int currentPageId() const { return cur_PageId; }
    TitleBar* titleBar() const { return m_titleBar; }
    HomePage* homePage() const { return m_homePage; }
    SignPage* signPage() const { return m_signPage; }
    TemplatePage* templatePage() const { return m_templatePage; }
    UserCenterPage* userCenterPage() const { return m_userCenterPage; }
    HelpCenterPage* helpCenterPage() const { return m_helpCenterPage; }
    FileCenterPage* fileCenterPage() const { return m_fileCenterPage; }
    UserSession* session() const { return m_session; }
    QToolButton* userButton() const;
    LoadingWidget* loadingWidget() const { return m_loading; }
    CLogClearThread* logClearThread() const { return m_logClearThread; }
    QPixmap avatar() const { return _pixMap; }
    // The edge zone last detected under the cursor (or being dragged).
    frameless::Direction edgeZone() const { return dir; }

public slots:
    // Opens a local document named by the command line or the home page in a workspace tab
    // (or brings its tab forward) and shows the workspace; missing files are reported over the
    // window, and the workspace reports files it cannot open.
    void openFile(const QString& fileName);
    // Shows the page with the given id.
    void turnPage(int pageid);
    // Shows the document centre (flag: its tab).
    void turnFilePage(int flag);
    // The workspace closed its last tab: "签名" goes and the home page shows.
    void backHomePage();
    // Shows the user centre with its title-bar button checked.
    void turnTitleBar();
    // The window buttons of the title strip: 0 minimise, 1 maximise or restore, 2 close.
    void titleBarToolsClick(int index);
    // Toggles maximised and normal, telling the title bar which icon to show.
    void showWindowandUpdateIcon();
    // The check for the default PDF reader; nothing to do on this platform.
    void isDefaultPdfReader();
    // The account button or a not-logged-in page's login button: the login window while logged
    // out; the account menu ("注销" logs out) while logged in.
    void userBtnClicked(QPoint pt);
    // The account page uploaded a new avatar.
    void getLogoTitleBar(QPixmap pixMap);
    // A contract chosen in the document centre (a ContractInfo in the variant): its stored PDF
    // and signers are fetched and it opens in a contract tab of the workspace. A failed request
    // (the client reports it) leaves the page and the tabs as they were.
    void openContract(QVariant variant);
    // The document of a seal authorisation chosen in the user centre (a StartAuthSuccessInfo),
    // stored by the service as a contract under its protocol id: opens in an authorisation tab.
    void openContractAuthFile(QVariant variant);
    // The workspace opened (closed) the tab of a draft contract: the document centre does not
    // offer to delete it while it is open.
    void addDraftsList(QString contractId);
    void deleteDraftsList(QString contractId);
    // Every page takes the logged-in look (after the login window, or after a login that a
    // signing tool started); a personal user's red dots follow the authorisations waiting.
    void setUserPageLoginState();
    // The red dots of "用户管理" (title bar and user-centre menu): shown while a personal user has
    // seal authorisations waiting for an answer, hidden when none; a failed request leaves them.
    void isHiddenRed();
    // The seal panel sends the user to the user centre's seals page (1) or package purchase (3).
    void openUserCenterPage(int menuId);
    // The seal-use certificate was renewed by payment, in the workspace or in the user centre:
    // the account page shows the new validity at once.
    void slotCertRenewSucess();

signals:
    // Every document tab is to be closed (after any logout, forced or not).
    void logoutSignal();

protected:
    // Closing the window closes every document tab first (asking about changed documents); a
    // tab that stays (a question dismissed, a save that failed) keeps the window open. Once all
    // are gone the cloud session ends and the program quits.
    void closeEvent(QCloseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void initUi();
    // The edge zone under g sets dir and the cursor.
    void judgeRegionSetCursor(const QPoint& g);
    QRect availableArea() const;
    void maximizeToAvailableArea();
    void restoreNormalGeometry();
    // A batch signing still running in the current tab ends before any tab closes.
    void stopBatchSigning();
    void showAccount();
    // The workspace becomes the current page with "签名" shown and checked.
    void showWorkspace();
    // The red-dot request (busyBox: shown while it waits, may be null).
    void refreshRedDots(LoadingWidget* busyBox);
    void setRedDotsHidden(bool hidden);

    TitleBar* m_titleBar = nullptr;
    HomePage* m_homePage = nullptr;
    SignPage* m_signPage = nullptr;
    TemplatePage* m_templatePage = nullptr;
    UserCenterPage* m_userCenterPage = nullptr;
    HelpCenterPage* m_helpCenterPage = nullptr;
    QStackedWidget* m_stackWidget = nullptr;
    FileCenterPage* m_fileCenterPage = nullptr;
    UserSession* m_session = nullptr;
    int cur_PageId = 0;
    QPixmap _pixMap;
    LoadingWidget* m_loading = nullptr;
    CLogClearThread* m_logClearThread = nullptr;

    const int Padding = frameless::kPadding;
    bool isLeftPressDown = false;
    QPoint dragPosition;
    frameless::Direction dir = frameless::NONE;
    // The normal geometry to return to from maximised.
    QRect m_normalGeometry;
    std::function<void()> m_quit;
};
