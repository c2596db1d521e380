#pragma once
// The home page, page 0 of the main window: three counters of the logged-in user's cloud
// contracts (cards that lead to the document centre), a card for opening a local file by a file
// dialog or by dropping files on it, and the recent-documents row. A chosen file is classified
// by its name, handed back from the global thread pool and then announced by openFileSignal.
// Wrapped in HomePageDialog it is also the start page of the workspace's "+" tab.

#include "ParentDialog.h"

#include <QFrame>
#include <QWidget>

class GraphicsDropShadowEffect;
class ListTurnFrame;
class LoadingWidget;
class OpenFileBusiness;
class QGraphicsDropShadowEffect;
class QLabel;
class QPushButton;

// One counter card.
class HoverWidget : public QWidget
{
    Q_OBJECT
public:
    explicit HoverWidget(QWidget* parent = nullptr);

    void setIcon(QString path);
    void setText1(QString text);
    void setText2(QString text);
    void setBuiessNums(int n);

    QLabel* titleLabel() const { return m_text1; }
    QLabel* lineLabel() const { return m_text2; }
    QLabel* countLabel() const { return m_buissNums; }
    QGraphicsDropShadowEffect* hoverShadow() const { return m_windowShadow; }

signals:
    void widgetClicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void enterEvent(QEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void setLook(bool hovered);

    QLabel* m_icon = nullptr;
    QLabel* m_text1 = nullptr;
    QLabel* m_text2 = nullptr;
    QLabel* m_buissNums = nullptr;
    QGraphicsDropShadowEffect* m_windowShadow = nullptr;
    GraphicsDropShadowEffect* m_controlShadow = nullptr;
};

class HomePage : public QFrame
{
    Q_OBJECT
public:
    explicit HomePage(QWidget* parent = nullptr);

    // Rebuilds the recent-documents row and refreshes the three counters (0 while logged out).
    void updateUi();
    // Classifies the file, shows the busy text of its class and hands the path back from the
    // global pool; an unsupported name is refused with a toast.
    void tryOpenFile(const QString& filePath);

    HoverWidget* waitMeCard() const { return m_wait_me_widget; }
    HoverWidget* waitOtherCard() const { return m_wait_other_widget; }
    HoverWidget* finishedCard() const { return m_finished_widget; }
    QWidget* openFileCard() const { return m_openFile_widget; }
    QPushButton* chooseFileButton() const { return m_chooseButton; }
    ListTurnFrame* recentList() const { return m_listTurnFrame; }
    OpenFileBusiness* openFileBusiness() const { return m_openFileBusiness; }
    LoadingWidget* loadingWidget() const { return m_loading; }

public slots:
    // The file dialog "打开文件", shown without blocking.
    void buttonOpenFile();
    // A file chosen in the dialog.
    void selectedFile(const QString& file);
    // Hides the busy box and announces the file.
    void openPdfFile(const QString& filePath);

signals:
    void openFileSignal(const QString& fileName);
    // A counter card was clicked: the document centre's tab 1, 2 or 3.
    void turnFilePage(int flag);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void initUi();

    HoverWidget* m_wait_me_widget = nullptr;
    HoverWidget* m_wait_other_widget = nullptr;
    HoverWidget* m_finished_widget = nullptr;
    QWidget* m_openFile_widget = nullptr;
    QPushButton* m_chooseButton = nullptr;
    QWidget* m_recently_widget = nullptr;
    ListTurnFrame* m_listTurnFrame = nullptr;
    OpenFileBusiness* m_openFileBusiness = nullptr;
    LoadingWidget* m_loading = nullptr;
};

// The home page in a modal dialog: the start page of the workspace's "+" tab.
class HomePageDialog : public ParentDialog
{
    Q_OBJECT
public:
    explicit HomePageDialog(QWidget* parent = nullptr);

    HomePage* homePage() const { return m_homePage; }

public slots:
    // Announces the file, then closes the dialog with accept.
    void openFile(const QString& fileName);

signals:
    void openFileSignal(const QString& fileName);
    void turnFilePage(int flag);

private:
    HomePage* m_homePage = nullptr;
};
