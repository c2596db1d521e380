#pragma once
#include "BorderlessWidget.h"

#include <QPixmap>

class CLogClearThread;
class LoadingWidget;
class QCloseEvent;
class QLabel;
class QStackedWidget;
class QPushButton;

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
    int loginState() const { return m_loginState; }
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

protected:
    // Closing the window ends the cloud session: the logout goes out while the event loop still
    // runs, with a short bounded wait for its answer.
    void closeEvent(QCloseEvent* event) override;

private:
    void initUi();

    QWidget* m_titleBar = nullptr;
    QLabel* m_userLabel = nullptr;
    QStackedWidget* m_stackWidget = nullptr;
    int m_loginState = 0;
    int cur_PageId = 0;
    QPixmap _pixMap;
    LoadingWidget* m_loading = nullptr;
    CLogClearThread* m_logClearThread = nullptr;
};
