#pragma once
// Page 2 of the main window: the document centre. It shows the not-logged-in page until a login,
// then the one contract list page of the process.

#include <QFrame>

class FileManagerPage;
class QStackedWidget;
class UserUnloginFrame;

class FileCenterPage : public QFrame
{
    Q_OBJECT
public:
    explicit FileCenterPage(QWidget* parent = nullptr);
    ~FileCenterPage() override;

    // Shows the list page; when the document centre is the page on show (pageId 2) its current
    // tab is loaded too.
    void setLoginedState(int pageId);
    // Forgets the open drafts and shows the not-logged-in page.
    void setLogoutedState();

    static FileManagerPage* getFileManageFrame() { return m_fileManageFrame; }
    UserUnloginFrame* getuserUnloginFrame() const { return m_userUnLoginFrame; }
    QStackedWidget* stackedWidget() const { return m_stackedWidget; }

private:
    QStackedWidget* m_stackedWidget = nullptr;
    UserUnloginFrame* m_userUnLoginFrame = nullptr;
    static FileManagerPage* m_fileManageFrame;
};
