#pragma once
// The signing workspace: the document tool bar above the document tabs, one tab per open
// document. Each tab's page is a SplitterFrame (side panel with thumbnails and the signature
// list, the canvas, the seal panel) that owns the document's engine. The workspace opens local
// files into tabs (bringing forward the tab of a file already open), wires each frame to the
// tool bar, shows the current tab's state on the tool bar and closes tabs, asking first whether
// to save a changed local document.

#include <QByteArray>
#include <QFrame>
#include <QString>
#include <QVariant>

#include <functional>

class Canvas;
class DocTabWidget;
class LoadingWidget;
class MenuBar;
class PdfEngine;
class RightToolBar;
class SignParamBusiness;
class SplitterFrame;

class SignPage : public QFrame
{
    Q_OBJECT
public:
    explicit SignPage(QWidget* parent = nullptr);
    ~SignPage() override;

    // Brings forward the tab of the document with this key (a local file under any spelling of
    // its path, or a cloud document's id) and returns its page; null when none is open.
    QWidget* findSameTabWidget(const QString& key);
    // Makes the engine for a local file and opens it; null (code: the engine's result) when it
    // cannot be opened.
    SplitterFrame* createPdfWidget(const QString& path, int* code);
    // The canvas and seal panel of a local tab around an open engine.
    SplitterFrame* createSplitterFrame(PdfEngine* engine, const QString& path);
    // The frame shared by local and contract tabs: view models, side panel, wiring.
    SplitterFrame* createCommonWidget(Canvas* canvas, RightToolBar* panel, PdfEngine* engine);
    // Whether the current tab's batch signing is running.
    bool checkBatchSealRuning();

    DocTabWidget* tabWidget() const { return m_pdfTabWidget; }
    MenuBar* menuBar() const { return m_menu; }
    LoadingWidget* signLoading() const { return m_signloading; }
    SplitterFrame* frameAt(int index) const;
    SplitterFrame* currentFrame() const;
    SignParamBusiness* paramAt(int index) const;

    // The login dialog a signing tool opens while nobody is logged in (the main window, which
    // owns the login dialog, installs it): true when the user logged in. Unset, the login
    // counts as refused.
    using LoginRunner = std::function<bool()>;
    static void setLoginRunner(LoginRunner runner);

    bool isAuthFile = false;
    bool is_Key_Clound = false;
    QString proofTime;
    QString proofType;
    QString m_code;
    QByteArray m_fileByteArr;

public slots:
    // Opens a local PDF file in a new tab or brings its tab forward; true when a tab shows it.
    bool addFileTab(const QString& path);
    // Closes the current tab without any question and opens path in a new tab.
    bool replaceFileTab(const QString& path);
    // Opens the print dialog for the current tab's document on the view's current page.
    void print();
    // The result file of a batch or cross-page signing.
    void openPdfFile(const QString& path);
    void tabChanged(int index);
    // Closes one tab; a changed local document is saved first when the user wants it, and a
    // failed save keeps the tab open.
    void closeIndexTab(int index);
    void closeCurLabel();
    void closeOtherLabel();
    // Closes every tab (logout, closing the main window); a tab whose question is dismissed or
    // whose save fails stays.
    void closeAllTab();
    void logoutSlot();
    // A tool of the tool bar chosen (its MouseState id): the current tab's seal panel and tool.
    void changeOperate(int id);
    // The USB-key registry: a key came, went, or its record was read.
    void insertDeviceSlot(QString devName);
    void pulloutDeviceSlot(QString devName);
    void setKeyInfo(int status, QVariant keyInfo);
    // The seal panel's preview of a batch or cross-page placement.
    void previewSign(int id, int modeId, int qfMode, int qfModeScale, int scale, bool isCheck, int minPage,
                     int maxPage);
    // The seal panel's close button: back to the hand tool.
    void rightToolClose();

signals:
    void closeLastTab();
    void loginAgain(int code, QString error);
    void sigCertRenewSucess();
    void deleteDraftsList(QString contractId);
    void turnTitleBar();
    void setDenyBtnDisable(bool disabled);
    // A signing tool's login succeeded.
    void loginSucc();
    // After turnTitleBar: the user-centre page the seal panel sends the user to (1 seals and
    // signatures, 3 the package purchase).
    void openUserCenterPage(int menuId);

private:
    void initUi();
    // Closes tab index now (no question): the frame and its engine go.
    void closeTabNow(int index, bool bReOpen);

    DocTabWidget* m_pdfTabWidget = nullptr;
    MenuBar* m_menu = nullptr;
    LoadingWidget* m_signloading = nullptr;
};
