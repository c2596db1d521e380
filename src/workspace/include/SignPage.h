#pragma once
// The signing workspace: the document tool bar above the document tabs, one tab per open
// document. Each tab's page is a SplitterFrame (side panel with thumbnails and the signature
// list, the canvas, the seal panel) that owns the document's engine. The workspace opens local
// files into tabs (bringing forward the tab of a file already open), wires each frame to the
// tool bar, shows the current tab's state on the tool bar and closes tabs, asking first whether
// to save a changed local document.

#include "ContractRecords.h"
#include "DocTabWidget.h"
#include "GlobalHeader.h"

#include <QByteArray>
#include <QFrame>
#include <QList>
#include <QString>
#include <QVariant>

#include <functional>

class Canvas;
class QAction;
class QMenu;
class LoadingWidget;
class MenuBar;
class ParentDialog;
class PdfEngine;
class RightToolBar;
class RightToolBarUserAuth;
class SignParamBusiness;
struct BusinessInfo;
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
    // A new tab's frame around an open engine, made hidden where it stays (in the tab widget's
    // page holder), and its canvas (canvas); an authorisation tab's canvas is marked as such and
    // the tool bar's document controls are off for it, on for every other tab.
    SplitterFrame* newTabFrame(PdfEngine* engine, bool authorisation, Canvas** canvas);
    // The rest of every tab's frame, the same for local, contract and authorisation tabs: view
    // models, side panel, expand strip, the row of the frame, and the wiring. The canvas and
    // the right-hand panel were made in the frame: a seal panel (panel) gets the full wiring of
    // a local or contract tab, an authorisation panel (authPanel, panel null) the reduced wiring
    // of an authorisation tab.
    SplitterFrame* createCommonWidget(SplitterFrame* frame, Canvas* canvas, RightToolBar* panel,
                                      RightToolBarUserAuth* authPanel);

    // Cloud documents (SignPageCloud.cpp). A contract opens in a tab keyed by its contract id,
    // with the seal panel in its cloud view and the contract's details; a seal-authorisation
    // document in a tab keyed by its protocol id, with the authorisation panel and, when the
    // authorisation has a placed seal, that seal drawn on it. A tab already open is brought
    // forward. Bytes that did not arrive or that the engine refuses open no tab: a toast says
    // why. True when a tab shows the document afterwards.
    bool addCloudFileTab(const QByteArray& bytes, ContractInfo contract, QList<ContractSignerInfo> signers);
    bool addCloudFileTab(const QByteArray& bytes, StartAuthSuccessInfo auth, QList<ContractSignerInfo> signers);
    // The engine over the bytes and the contract's frame; null (code: the engine's result) when
    // the engine refuses them.
    SplitterFrame* createPdfWidget(QByteArray bytes, ContractInfo contract, QList<ContractSignerInfo> signers,
                                   int* code);
    SplitterFrame* createPdfWidget(const QByteArray& bytes, StartAuthSuccessInfo auth,
                                   QList<ContractSignerInfo> signers, int* code);
    SplitterFrame* createSplitterCloudFrame(PdfEngine* engine, ContractInfo contract,
                                            QList<ContractSignerInfo> signers, CloudSignMode mode);
    SplitterFrame* createSplitterCloudAuthFrame(PdfEngine* engine, StartAuthSuccessInfo auth,
                                                QList<ContractSignerInfo> signers);
    // The cloud sign mode of a contract in the service's state (its status key).
    static CloudSignMode cloudSignModeOf(const QString& status);

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
    // The start page that "+" beside the tabs opens (the shell's home page in a dialog, which the
    // main window installs): a dialog with the signals openFileSignal(QString) and
    // turnFilePage(int). Unset, "+" does nothing.
    using StartPageFactory = std::function<ParentDialog*()>;
    static void setStartPageFactory(StartPageFactory factory);

    bool isAuthFile = false;
    bool is_Key_Clound = false;
    QString proofTime;
    QString proofType;
    QString m_code;
    QByteArray m_fileByteArr;

public slots:
    // Opens a local PDF file in a new tab or brings its tab forward; true when a tab shows it.
    bool addFileTab(const QString& path);
    // Finishing a cloud contract from the current tab's seal panel (SignPageFinish.cpp): proves
    // the user's consent (an SMS code when a cloud seal was placed, else a USB-key proof with the
    // current time), then runs the service sequence of the panel's sign mode.
    void finishSignFlow();
    void signSeverFinish(bool bCloudSign);
    // Refuses the contract of the current tab.
    void refuseSign();
    // The actions of a seal-authorisation tab's panel.
    void finishAutnBtn(const QString& authId);
    void acceptAutnBtn(const QString& authId);
    void refuseAutnBtn(const QString& authId);
    void stopAutnBtn(const QString& authId);
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

    // ---- document commands of the tool bar and the tab menu (on the current tab) ----
    // Open dialog, then addFileTab.
    void open();
    // Saves the current document when it has changes: "已保存", or the reason it failed.
    void save();
    // Saves the current document from the tab menu; only a failure is shown.
    void saveCurLabel();
    void zoomInCurrentCanvas();
    void zoomOutCurrentCanvas();
    void setCurrentZoomValue(float zoom);
    // 0 single page, 1 continuous, 2 facing, 3 continuous facing.
    void changeDisplayMode(int i);
    // Hides the current tab's seal panel (not in an authorisation tab).
    void hideRightTool();
    // The seal panel turns the annotation tools and save off.
    void menuSetState(bool enabled);
    // The tab bar's context menu at pt (tab bar coordinates).
    void showContextMenu(const QPoint& pt);
    // Shows the folder of the current local file.
    void openFileAdress();
    // The main window closes: a batch signing of the current tab is stopped and waited for
    // before any tab is torn down.
    void closeBathThread();
    // "+" beside the tabs: the start page runs modally; a document chosen there opens in a tab,
    // and a counter chosen there closes it and leads to the document centre (turnFilePage).
    void addHomeTab();

public:
    // Test seams: the open dialog (arguments as QFileDialog::getOpenFileName's; empty cancels)
    // and the tab menu's run (returns the chosen action). Empty: the real dialog and menu.
    using OpenFileChooser = std::function<QString(QWidget* parent, const QString& caption, const QString& dir,
                                                  const QString& filter)>;
    static void setOpenFileChooser(OpenFileChooser chooser);
    using MenuRunner = std::function<QAction*(QMenu& menu)>;
    static void setMenuRunner(MenuRunner runner);
    // What the user is told when a save fails with an engine code.
    static QString saveErrorText(int code);

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
    // A draft contract was opened in a tab.
    void addDraftsList(QString contractId);
    // The start page's counter: the document centre at that tab (1, 2 or 3).
    void turnFilePage(int flag);
    // An authorisation was answered in its tab: the main window refreshes its red dots.
    void isHiddenRed();

private slots:
    void startPageTurnFilePage(int flag);

private:
    void initUi();
    // Adds a new tab's frame as the current tab, then lets its view render.
    void insertTab(SplitterFrame* frame, DocTabWidget::file_type type, const QString& name, const QString& id);
    // Closes tab index now (no question): the frame and its engine go.
    void closeTabNow(int index, bool bReOpen);
    // Wires the tool bar and the tab bar to the document commands.
    void connectCommands();
    // Wires one tab's canvas and seal panel to the document commands.
    void connectFrameCommands(Canvas* canvas, RightToolBar* panel);
    // Saves the current tab's document and tells the user about a failure; the engine's code.
    int saveCurrent(bool force);
    // The two service roads of finishing a contract and their common end (signing confirmed
    // with the code, the stored file replaced by the signed bytes, the signing affirmed).
    void startContract(int mode, bool bCloudSign, const SignParamBusiness& param, const ContractInfo& contract,
                       const BusinessInfo& user);
    void signWaitingContract(bool bCloudSign, const ContractInfo& contract);
    bool finishSigning(bool bCloudSign, const QString& joinUserId, const QString& fileId,
                       const QByteArray& signedBytes);
    // Hides the busy box and tells the user which step of finishing a contract failed.
    void failStep(const QString& step);
    // The toast of a cloud document that cannot be opened, chosen by the engine's code.
    void showCloudOpenFailure(int code);

    DocTabWidget* m_pdfTabWidget = nullptr;
    MenuBar* m_menu = nullptr;
    LoadingWidget* m_signloading = nullptr;
};
