#include "Orvessa.h"

#include "Canvas.h"
#include "CloudDocumentFetch.h"
#include "ContractRecords.h"
#include "CLog.h"
#include "DocTabWidget.h"
#include "FileCenterPage.h"
#include "FileManagerPage.h"
#include "GlobalHeader.h"
#include "HelpCenterPage.h"
#include "HomePage.h"
#include "Level2MenuBar.h"
#include "ParentDialog.h"
#include "LoadingWidget.h"
#include "NetWorkBusiness.h"
#include "QuickMessageBox.h"
#include "RegeditSettings.h"
#include "SignPage.h"
#include "SplitterFrame.h"
#include "TemplatePage.h"
#include "TitleBar.h"
#include "UserAccountFrame.h"
#include "UserAuthFrame.h"
#include "UserCenterPage.h"
#include "UserManageFrame.h"
#include "UserSession.h"
#include "UserUnloginFrame.h"
#include "bathSignThread.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFileInfo>
#include <QGuiApplication>
#include <QIcon>
#include <QMenu>
#include <QMouseEvent>
#include <QScreen>
#include <QStackedWidget>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

Orvessa::Orvessa(QWidget* parent)
    : BorderlessWidget(parent)
    , m_quit([] { QCoreApplication::exit(0); })
{
    // The one-shot cleaner of old log files runs in the background while the window is built.
    m_logClearThread = new CLogClearThread;
    m_logClearThread->start(QThread::InheritPriority);

    initUi();
    g_topWidget = this;
    NetWorkBusiness::Instance();
    RegeditSettings::Instance();
    if (RegeditSettings::Instance()->associtatedHinted())
        QTimer::singleShot(500, this, &Orvessa::isDefaultPdfReader);
    isLeftPressDown = false;
    dir = frameless::NONE;
    setMouseTracking(true);
}

Orvessa::~Orvessa()
{
    SignPage::setLoginRunner({});
    SignPage::setStartPageFactory({});
    if (g_topWidget == this)
        g_topWidget = nullptr;
    // The cleaner is short; it is waited for so that no thread outlives its object.
    m_logClearThread->wait();
    delete m_logClearThread;
}

void Orvessa::initUi()
{
    setWindowTitle("Orvessa");
    setWindowIcon(QIcon(":/APP.ico"));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    m_titleBar = new TitleBar(this);
    layout->addWidget(m_titleBar);
    m_homePage = new HomePage(this);
    m_homePage->setObjectName(QStringLiteral("homePage"));
    m_signPage = new SignPage(this);
    m_templatePage = new TemplatePage(this);
    m_userCenterPage = new UserCenterPage(this);
    m_helpCenterPage = new HelpCenterPage(this);
    m_fileCenterPage = new FileCenterPage(this);
    m_fileCenterPage->setObjectName(QStringLiteral("fileCenterPage"));

    m_stackWidget = new QStackedWidget(this);
    m_stackWidget->addWidget(m_homePage);
    m_stackWidget->addWidget(m_signPage);
    m_stackWidget->addWidget(m_fileCenterPage);
    m_stackWidget->addWidget(m_templatePage);
    m_stackWidget->addWidget(m_userCenterPage);
    m_stackWidget->addWidget(m_helpCenterPage);
    m_stackWidget->setCurrentIndex(HomePageId);
    layout->addWidget(m_stackWidget);

    setMinimumSize(int(800 * screenZoom), int(500 * screenZoom));

    m_loading = new LoadingWidget(this, Qt::Vertical);
    m_loading->setModal(true);
    m_loading->hide();

    // The session: the user centre follows the session object, the title bar and the workspace
    // follow its signals.
    m_session = new UserSession(m_userCenterPage, m_loading, this);
    connect(m_session, &UserSession::loggedIn, this, &Orvessa::showAccount);
    connect(m_session, &UserSession::loggedOut, this, &Orvessa::showAccount);
    connect(m_session, &UserSession::logoutSignal, this, &Orvessa::logoutSignal);

    connect(m_titleBar, &TitleBar::turnPage, this, &Orvessa::turnPage);
    connect(m_titleBar, &TitleBar::titlebarSignals, this, &Orvessa::titleBarToolsClick);
    connect(m_titleBar, &TitleBar::userBtnClicked, this, &Orvessa::userBtnClicked);
    connect(m_userCenterPage->getUserUnloginFrame(), &UserUnloginFrame::login_signal, this, &Orvessa::userBtnClicked);
    connect(this, &BorderlessWidget::MaxMizeSignal, m_titleBar, &TitleBar::setMinMaxIcon);
    connect(this, &Orvessa::logoutSignal, m_signPage, &SignPage::logoutSlot);
    // Reports of the workspace are shown once its request has returned, like the client's own.
    connect(m_signPage, &SignPage::loginAgain, m_session, &UserSession::LoginAgain, Qt::QueuedConnection);
    connect(m_signPage, &SignPage::closeLastTab, this, &Orvessa::backHomePage);
    connect(m_signPage, &SignPage::turnTitleBar, this, &Orvessa::turnTitleBar);
    connect(m_signPage, &SignPage::sigCertRenewSucess, this, &Orvessa::slotCertRenewSucess);
    connect(m_userCenterPage, &UserCenterPage::sigCertRenewSucess, this, &Orvessa::slotCertRenewSucess);
    if (UserManageFrame* frame = UserCenterPage::getUserManageFrame()) {
        connect(frame->getUserAuthFrame(), &CUserAuthFrame::turnTitleBar, this, &Orvessa::turnTitleBar);
        connect(frame->getUserAccount(), &UserAccountFrame::senLogoTitleBar, this, &Orvessa::getLogoTitleBar);
    }

    // Moves over the title bar and the pages reach the window where nothing under the cursor
    // takes them: the edge zones are found on every move.
    for (QWidget* w : {static_cast<QWidget*>(m_titleBar), static_cast<QWidget*>(m_homePage),
                       static_cast<QWidget*>(m_signPage), static_cast<QWidget*>(m_fileCenterPage),
                       static_cast<QWidget*>(m_templatePage), static_cast<QWidget*>(m_userCenterPage),
                       static_cast<QWidget*>(m_helpCenterPage), static_cast<QWidget*>(m_stackWidget)})
        w->setMouseTracking(true);

    // The home page hands chosen, dropped and recent documents to openFile; its counter cards
    // lead to the document centre; its counters follow the login state.
    connect(m_homePage, &HomePage::openFileSignal, this, &Orvessa::openFile);
    connect(m_homePage, &HomePage::turnFilePage, this, &Orvessa::turnFilePage);
    connect(m_session, &UserSession::loggedIn, m_homePage, &HomePage::updateUi);
    connect(m_session, &UserSession::loggedOut, m_homePage, &HomePage::updateUi);
    m_homePage->updateUi();
    // The document centre follows the session: its list after a login, its not-logged-in page after
    // a logout.
    connect(m_fileCenterPage->getuserUnloginFrame(), &UserUnloginFrame::login_signal, this, &Orvessa::userBtnClicked);
    connect(m_session, &UserSession::loggedIn, this, [this] { m_fileCenterPage->setLoginedState(cur_PageId); });
    connect(m_session, &UserSession::loggedOut, this, [this] { m_fileCenterPage->setLogoutedState(); });
    // A personal user learns at once of seal authorisations waiting for an answer.
    connect(m_session, &UserSession::loggedIn, this, [this] { refreshRedDots(m_loading); });

    // The workspace: a signing tool chosen while logged out runs the login window, and the
    // looks follow its loginSucc (no password question there); "+" beside the tabs runs the home
    // page in a dialog, whose counters lead to the document centre; drafts open in tabs are
    // kept from deletion in the document centre; an answered authorisation refreshes the red
    // dots; the seal panel's links lead into the user centre.
    SignPage::setLoginRunner([] { return UserSession::execLoginDialog(); });
    SignPage::setStartPageFactory([]() -> ParentDialog* { return new HomePageDialog(nullptr); });
    connect(m_signPage, &SignPage::loginSucc, this, &Orvessa::setUserPageLoginState);
    connect(m_signPage, &SignPage::turnFilePage, this, &Orvessa::turnFilePage);
    connect(m_signPage, &SignPage::isHiddenRed, this, &Orvessa::isHiddenRed);
    connect(m_signPage, &SignPage::addDraftsList, this, &Orvessa::addDraftsList);
    connect(m_signPage, &SignPage::deleteDraftsList, this, &Orvessa::deleteDraftsList);
    connect(m_signPage, &SignPage::openUserCenterPage, this, &Orvessa::openUserCenterPage);
    // Cloud documents chosen in the document centre and in the user centre's authorisations.
    connect(FileCenterPage::getFileManageFrame(), &FileManagerPage::openContract, this, &Orvessa::openContract);
    if (UserManageFrame* frame = UserCenterPage::getUserManageFrame())
        connect(frame->getUserAuthFrame(), &CUserAuthFrame::openContractAuthFile, this, &Orvessa::openContractAuthFile);
}

int Orvessa::loginState() const
{
    return m_session->loginState();
}

QToolButton* Orvessa::userButton() const
{
    return m_titleBar->userButton();
}

void Orvessa::showAccount()
{
    if (m_session->loginState() == 1 && NetWorkBusiness::Instance()->getBusinessInfo()) {
        m_titleBar->setLoginedState();
        return;
    }
    m_titleBar->setLogoutedState();
    m_titleBar->setRedLabel(true);
    _pixMap = QPixmap();
}

void Orvessa::userBtnClicked(QPoint pt)
{
    if (NetWorkBusiness::Instance()->getLoginState() != NetWorkBusiness::LOGINED) {
        m_session->runLoginDialog();
        return;
    }
    QMenu menu;
    // The title bar's account button already shows the user's name (or "未认证用户") and the
    // round avatar; an avatar uploaded in this session goes first.
    QAction* account = menu.addAction(userButton()->text());
    account->setIcon(_pixMap.isNull() ? userButton()->icon() : QIcon(_pixMap));
    menu.addSeparator();
    QAction* logout = menu.addAction(QStringLiteral("注销"));
    QAction* chosen = menu.exec(pt);
    if (chosen == account) {
        turnPage(UserCenterPageId);
        m_titleBar->turnPageBtnSlot(UserCenterPageId);
    } else if (chosen == logout) {
        m_session->logout();
    }
}

void Orvessa::getLogoTitleBar(QPixmap pixMap)
{
    _pixMap = pixMap;
}

void Orvessa::setUserPageLoginState()
{
    m_session->setUserPageLoginState();
}

void Orvessa::isHiddenRed()
{
    refreshRedDots(nullptr);
}

void Orvessa::refreshRedDots(LoadingWidget* busyBox)
{
    NetWorkBusiness* client = NetWorkBusiness::Instance();
    const BusinessInfo* info = client->getBusinessInfo();
    // Company users never see the dots.
    if (loginState() != 1 || !info || info->userType != 0)
        return;
    QList<AuthorizeList> waiting;
    int pages = 0;
    // Status 10: a grant that offers the personal grantee to accept or refuse it; page 0 asks
    // for all of them.
    if (!client->authorizeQueryPageBus(waiting, 10, QString(), 0, 0, pages, busyBox))
        return;
    setRedDotsHidden(waiting.isEmpty());
}

void Orvessa::setRedDotsHidden(bool hidden)
{
    m_titleBar->setRedLabel(hidden);
    if (UserManageFrame* frame = UserCenterPage::getUserManageFrame())
        frame->getLevel2MenuBar()->setRedLabel(hidden);
}

void Orvessa::openUserCenterPage(int menuId)
{
    if (UserManageFrame* frame = UserCenterPage::getUserManageFrame())
        frame->openMenuPage(menuId);
}

void Orvessa::addDraftsList(QString contractId)
{
    FileCenterPage::getFileManageFrame()->addDraftsList(contractId);
}

void Orvessa::deleteDraftsList(QString contractId)
{
    FileCenterPage::getFileManageFrame()->deleteDraftsList(contractId);
}

void Orvessa::slotCertRenewSucess()
{
    ORV_LOG(QStringLiteral("电子印章已续期"));
    // The certificate's new validity was fetched before the renewal was reported; the account
    // page reads it from there, so no request is needed.
    if (loginState() == 1)
        if (UserManageFrame* frame = UserCenterPage::getUserManageFrame())
            frame->getUserAccount()->showInfo();
}

// ---- closing --------------------------------------------------------------------------------

void Orvessa::stopBatchSigning()
{
    if (!m_signPage->checkBatchSealRuning())
        return;
    SplitterFrame* frame = m_signPage->currentFrame();
    bathSignThread* thread = frame && frame->m_canvas ? frame->m_canvas->getBatchSealThread() : nullptr;
    if (!thread)
        return;
    thread->stop();
    thread->wait();
}

void Orvessa::closeEvent(QCloseEvent* event)
{
    stopBatchSigning();
    m_signPage->closeAllTab();
    if (m_signPage->tabWidget()->count() > 0) {
        // A document whose save question was dismissed, or whose save failed, is still open
        // with its changes: the window stays with it.
        event->ignore();
        return;
    }
    BorderlessWidget::closeEvent(event);
    event->accept();
    NetWorkBusiness::Instance()->logoutAtExit();
    if (m_quit)
        m_quit();
}

void Orvessa::showAndOpen(const QString& documentPath)
{
    showMaximizedOnScreen();
    if (!documentPath.isEmpty())
        openFile(documentPath);
}

// ---- opening --------------------------------------------------------------------------------

void Orvessa::openFile(const QString& fileName)
{
    // While a batch or cross-page signing runs in the current tab nothing else is opened.
    if (m_signPage->checkBatchSealRuning()) {
        m_loading->hide();
        return;
    }
    m_loading->hide();
    if (fileName.isEmpty()) {
        QuickMessageBox::abort(this, QString::fromUtf8("转换文件失败！"), qmt_nothing, 2000);
        return;
    }
    if (!QFileInfo::exists(fileName)) {
        QuickMessageBox::abort(g_topWidget, QString::fromUtf8("打开文件失败，未找到对应的文件！"), qmt_error, 2000);
        return;
    }
    // The workspace reports a file the engine cannot open (with the engine's reason) and opens
    // no tab for it.
    QApplication::setOverrideCursor(Qt::WaitCursor);
    if (m_signPage->addFileTab(fileName))
        showWorkspace();
    QApplication::restoreOverrideCursor();
}

void Orvessa::openContract(QVariant variant)
{
    m_loading->hide();
    ContractInfo contract = variant.value<ContractInfo>();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    m_loading->setText(QStringLiteral("正在打开..."));
    CloudDocument document;
    if (!fetchCloudDocument(contract.contractId, document, m_loading)) {
        QApplication::restoreOverrideCursor();
        return;
    }
    contract.pdfFileSaveId = document.fileId;
    QApplication::restoreOverrideCursor();
    if (m_signPage->addCloudFileTab(document.bytes, contract, document.signers))
        showWorkspace();
}

void Orvessa::openContractAuthFile(QVariant variant)
{
    m_loading->hide();
    const StartAuthSuccessInfo auth = variant.value<StartAuthSuccessInfo>();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    m_loading->setText(QStringLiteral("正在打开..."));
    CloudDocument document;
    if (!fetchCloudDocument(auth.protocolId, document, m_loading)) {
        QApplication::restoreOverrideCursor();
        return;
    }
    QApplication::restoreOverrideCursor();
    if (m_signPage->addCloudFileTab(document.bytes, auth, document.signers))
        showWorkspace();
}

void Orvessa::showWorkspace()
{
    // The workspace is shown with its title-bar button; the page last turned to stays recorded.
    m_titleBar->showSignTool(true);
    m_stackWidget->setCurrentIndex(SignPageId);
}

void Orvessa::isDefaultPdfReader()
{
}

// ---- pages ----------------------------------------------------------------------------------

void Orvessa::turnPage(int pageid)
{
    if (pageid < 0 || pageid >= m_stackWidget->count())
        return;
    cur_PageId = pageid;
    if (pageid == HomePageId)
        m_homePage->updateUi();
    m_stackWidget->setCurrentIndex(pageid);
    m_stackWidget->repaint();
    if (loginState() != 1)
        return;
    if (pageid == FileCenterPageId)
        FileCenterPage::getFileManageFrame()->getContractInfo();
    else if (pageid == UserCenterPageId) {
        if (UserManageFrame* frame = UserCenterPage::getUserManageFrame())
            frame->setPackage();
        isHiddenRed();
    }
}

void Orvessa::turnFilePage(int flag)
{
    // The counters lead to the document centre's tab of the same number (1 waiting for me,
    // 2 waiting for others, 3 finished); the tab loads only for a logged-in user.
    cur_PageId = FileCenterPageId;
    m_titleBar->turnPageBtnSlot(FileCenterPageId);
    m_stackWidget->setCurrentIndex(FileCenterPageId);
    FileManagerPage* list = FileCenterPage::getFileManageFrame();
    list->getMenuBar()->setMenuBtnClicked(flag, true);
    list->setCurIndex(flag);
    if (loginState() == 1)
        list->toolbtnClicked(flag);
    m_stackWidget->repaint();
}

void Orvessa::backHomePage()
{
    m_titleBar->showSignTool(false);
    turnPage(HomePageId);
}

void Orvessa::turnTitleBar()
{
    turnPage(UserCenterPageId);
    m_titleBar->turnPageBtnSlot(UserCenterPageId);
}

// ---- window buttons -------------------------------------------------------------------------

void Orvessa::titleBarToolsClick(int index)
{
    switch (index) {
    case 0:
        setWindowState(windowState() ^ Qt::WindowMinimized);
        break;
    case 1:
        showWindowandUpdateIcon();
        break;
    case 2:
        close();
        break;
    default:
        break;
    }
}

QRect Orvessa::availableArea() const
{
    QScreen* s = screen();
    if (!s)
        s = QGuiApplication::primaryScreen();
    return s ? s->availableGeometry() : QRect(0, 0, 1024, 768);
}

void Orvessa::maximizeToAvailableArea()
{
    if (!isMaximized() && isVisible())
        m_normalGeometry = geometry();
    // The geometry does it where no window manager runs; the state tells one that runs. The
    // geometry goes first: a platform may take a later geometry change as leaving the state.
    setGeometry(availableArea());
    showMaximized();
}

void Orvessa::restoreNormalGeometry()
{
    const QRect area = availableArea();
    QRect normal = m_normalGeometry;
    if (!normal.isValid() || !area.intersects(normal)) {
        // Started maximised: three quarters of the screen, in its middle.
        const QSize size = (area.size() * 3 / 4).expandedTo(minimumSize()).boundedTo(area.size());
        normal = QRect(QPoint(0, 0), size);
        normal.moveCenter(area.center());
    }
    showNormal();
    setGeometry(normal);
}

void Orvessa::showWindowandUpdateIcon()
{
    if (isMaximized()) {
        emit MaxMizeSignal(false);
        restoreNormalGeometry();
    } else {
        emit MaxMizeSignal(true);
        maximizeToAvailableArea();
    }
}

void Orvessa::showMaximizedOnScreen()
{
    emit MaxMizeSignal(true);
    maximizeToAvailableArea();
}

// ---- moving and resizing --------------------------------------------------------------------

void Orvessa::judgeRegionSetCursor(const QPoint& g)
{
    // A maximised window fills the screen: its edges do not resize it.
    dir = isMaximized() ? frameless::NONE
                        : frameless::zoneAt(mapToGlobal(rect().topLeft()), mapToGlobal(rect().bottomRight()), g, Padding);
    setCursor(frameless::cursorFor(dir));
}

void Orvessa::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        BorderlessWidget::mousePressEvent(event);
        return;
    }
    if (event->type() == QEvent::MouseButtonDblClick) {
        if (m_titleBar->geometry().contains(event->pos()))
            showWindowandUpdateIcon();
        return;
    }
    isLeftPressDown = true;
    // The zone is taken at the press itself: a press without a move before it still resizes.
    judgeRegionSetCursor(event->globalPos());
    if (dir == frameless::NONE)
        dragPosition = event->globalPos() - frameGeometry().topLeft();
}

void Orvessa::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint g = event->globalPos();
    if (!isLeftPressDown) {
        judgeRegionSetCursor(g);
    } else if (dir == frameless::NONE) {
        if (!isMaximized())
            move(g - dragPosition);
        event->accept();
    } else {
        setGeometry(frameless::resizedRect(dir, mapToGlobal(rect().topLeft()), mapToGlobal(rect().bottomRight()), g,
                                           minimumSize()));
    }
    BorderlessWidget::mouseMoveEvent(event);
}

void Orvessa::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        isLeftPressDown = false;
        if (dir != frameless::NONE) {
            dir = frameless::NONE;
            setCursor(Qt::ArrowCursor);
        }
    }
    BorderlessWidget::mouseReleaseEvent(event);
}
