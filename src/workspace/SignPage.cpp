#include "SignPage.h"

#include "Canvas.h"
#include "DeviceBussiness.h"
#include "DocTabWidget.h"
#include "GlobalHeader.h"
#include "LeftToolBar.h"
#include "LoadingWidget.h"
#include "MMessageBox.h"
#include "MenuBar.h"
#include "ParentDialog.h"
#include "NetWorkBusiness.h"
#include "PdfEngine.h"
#include "PrintDialog.h"
#include "PreviewSignDlg.h"
#include "QuickMessageBox.h"
#include "RenderCache.h"
#include "RightToolBar.h"
#include "SignParamBusiness.h"
#include "SignatureListWidget.h"
#include "SplitterFrame.h"
#include "ThumbnailWidget.h"
#include "WorkspaceResources.h"

#include <QFileInfo>
#include <QPointer>
#include <QTabBar>
#include <QTimer>
#include <QVBoxLayout>

#include <memory>

namespace {

// Two spellings of a local path name the same file (links and relative parts resolved).
bool sameLocalFile(const QString& a, const QString& b)
{
    return !a.isEmpty() && !b.isEmpty() && PdfEngine::comparablePath(a) == PdfEngine::comparablePath(b);
}

// What the user is told when a changed document could not be saved before its tab closes.
QString saveFailureText(int code)
{
    if (code == VQ_FILE_IS_BUSY)
        return QStringLiteral("文档被占用, 文件未保存, 请关闭占用文件重新保存！");
    if (code == VQ_SIGNATURE_ERROR)
        return QStringLiteral("数字签名失败！请重新签名！");
    return QStringLiteral("文件保存失败，文档未关闭，请重新保存！");
}

SignPage::LoginRunner& loginRunner()
{
    static SignPage::LoginRunner runner;
    return runner;
}

SignPage::StartPageFactory& startPageFactory()
{
    static SignPage::StartPageFactory factory;
    return factory;
}

} // namespace

void SignPage::setLoginRunner(LoginRunner runner)
{
    loginRunner() = std::move(runner);
}

void SignPage::setStartPageFactory(StartPageFactory factory)
{
    startPageFactory() = std::move(factory);
}

void SignPage::addHomeTab()
{
    const StartPageFactory factory = startPageFactory();
    if (!factory)
        return;
    std::unique_ptr<ParentDialog> dialog(factory());
    if (!dialog)
        return;
    connect(dialog.get(), SIGNAL(openFileSignal(QString)), this, SLOT(addFileTab(QString)));
    connect(dialog.get(), SIGNAL(turnFilePage(int)), this, SLOT(startPageTurnFilePage(int)));
    dialog->setFrameDecoratorHide(true);
    dialog->setFrameShape(true);
    dialog->exec();
}

void SignPage::startPageTurnFilePage(int flag)
{
    if (auto* dialog = qobject_cast<QDialog*>(sender()))
        dialog->reject();
    emit turnFilePage(flag);
}

SignPage::SignPage(QWidget* parent) : QFrame(parent)
{
    initWorkspaceResources();
    initUi();
}

SignPage::~SignPage() = default;

void SignPage::initUi()
{
    isAuthFile = false;
    is_Key_Clound = false;
    proofTime = QString();

    m_menu = new MenuBar(this);
    QVBoxLayout* layout = new QVBoxLayout(this);
    m_pdfTabWidget = new DocTabWidget(this);
    layout->addWidget(m_menu);
    layout->addWidget(m_pdfTabWidget, 1);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    setObjectName(QStringLiteral("SignPage"));

    connect(m_pdfTabWidget, &DocTabWidget::closeLastTab, this, [this] {
        m_menu->setOperateToolChecked(MS_Hand);
        emit closeLastTab();
    }, Qt::DirectConnection);
    connect(m_pdfTabWidget, &QTabWidget::tabCloseRequested, this, &SignPage::closeIndexTab);
    connect(m_pdfTabWidget, &QTabWidget::currentChanged, this, &SignPage::tabChanged);
    connect(m_pdfTabWidget, &DocTabWidget::deleteDraftsList, this, &SignPage::deleteDraftsList);
    connect(m_pdfTabWidget, &DocTabWidget::add, this, &SignPage::addHomeTab);
    connect(m_menu, &MenuBar::print, this, &SignPage::print);
    connect(m_menu, &MenuBar::changeOperate, this, &SignPage::changeOperate);
    DeviceBussiness* registry = DeviceBussiness::Instance();
    connect(registry, &DeviceBussiness::insertDevice_signal, this, &SignPage::insertDeviceSlot);
    connect(registry, &DeviceBussiness::pulloutDevice_signal, this, &SignPage::pulloutDeviceSlot);
    connect(registry, &DeviceBussiness::setKeyInfo, this, &SignPage::setKeyInfo, Qt::QueuedConnection);

    setStyleSheet(QStringLiteral("#SignPage{background:white;border:none;}\t\tQTabWidget::pane{ border:none; "
                                 "background:none; }\t\tQTabBar::tab{height:%1px;border:none;font-size:%3px;}"
                                 "\t\tQTabBar::tab:selected, QTabBar::tab:hover{background:#F2F2F2;color:#333333;"
                                 "padding:0px;margin:0px; }\t\tQTabBar::tab:!selected{ background:#FFFFFF;"
                                 "color:#CACACA;padding:0px;margin:0px;}\t\tQTabBar::close-button "
                                 "{image:url(:/Resources/images/close2.svg);padding:%2px;}\t\t"
                                 "QTabBar::close-button:hover { background:rgba(0,0,0,20);}\t\t"
                                 "QTabBar::close-button:pressed { background:rgba(255,0,0,225);}")
                      .arg(toFixString(21), toFixString(2.5), toFixString(9)));

    m_signloading = new LoadingWidget(this, Qt::Horizontal);
    m_signloading->setModal(true);
    m_signloading->hide();

    connectCommands();
}

SplitterFrame* SignPage::frameAt(int index) const
{
    return qobject_cast<SplitterFrame*>(m_pdfTabWidget->widget(index));
}

SplitterFrame* SignPage::currentFrame() const
{
    return frameAt(m_pdfTabWidget->currentIndex());
}

SignParamBusiness* SignPage::paramAt(int index) const
{
    return m_pdfTabWidget->param(index);
}

void SignPage::print()
{
    SplitterFrame* frame = currentFrame();
    if (!frame || !frame->engine() || !frame->canvas())
        return;
    DisplayModel* dm = frame->canvas()->AsFixed();
    PrintDialog dialog(nullptr, frame->engine(), dm ? dm->CurrentPageNo() : 1);
    dialog.setFrameDecoratorHide(true);
    dialog.setFrameShape(true);
    dialog.initPrinter();
    dialog.exec();
}

// ---- opening --------------------------------------------------------------------------------

bool SignPage::addFileTab(const QString& path)
{
    isAuthFile = false;
    if (!m_pdfTabWidget)
        return false;
    // The tab keeps the absolute path: the engine saves to it whatever the working folder is.
    const QString file = path.isEmpty() ? path : QFileInfo(path).absoluteFilePath();
    if (QWidget* open = findSameTabWidget(file))
    {
        open->show();
        open->raise();
        open->activateWindow();
    }
    else
    {
        int code = 0;
        SplitterFrame* frame = createPdfWidget(file, &code);
        if (!frame)
        {
            // The engine's reason, over the workspace (centred on its window even while another
            // page of the main window is shown).
            QString reason;
            switch (code)
            {
            case VQ_NOFOUND_FILE: reason = QStringLiteral("打开文件失败，无法读取文件"); break;
            case VQ_NOSUPPORT_FILE: reason = QStringLiteral("不支持的文件类型"); break;
            case VQ_EXC_NO_STARTXREF:
            case VQ_DAMAGED_FILE: reason = QStringLiteral("打开文件失败，文件已损坏"); break;
            case VQ_NEED_PASSWORD: reason = QStringLiteral("打开文件失败，文件设有密码"); break;
            default: reason = QStringLiteral("打开文件失败，未知错误"); break;
            }
            QuickMessageBox::abort(this, reason, qmt_error, 2000);
            return false;
        }
        insertTab(frame, DocTabWidget::file_local, file, QString());
    }
    SplitterFrame* frame = currentFrame();
    if (!frame)
        return false;
    if (frame->m_canvas)
        frame->m_canvas->fileType = 0;
    if (frame->m_rightToolBar)
        frame->m_rightToolBar->setParam(paramAt(m_pdfTabWidget->currentIndex()));
    return true;
}

bool SignPage::replaceFileTab(const QString& path)
{
    closeTabNow(m_pdfTabWidget->currentIndex(), true);
    return addFileTab(path);
}

void SignPage::openPdfFile(const QString& path)
{
    replaceFileTab(path);
}

QWidget* SignPage::findSameTabWidget(const QString& key)
{
    for (int i = 0; i < m_pdfTabWidget->count(); i++)
    {
        SignParamBusiness* param = paramAt(i);
        if (!param)
            continue;
        // A local file is the same under every spelling of its path; a cloud document's key is
        // an id and compares as it stands.
        const bool same = param->getFileType() == DocTabWidget::file_local ? sameLocalFile(param->getConFileName(), key)
                                                                           : param->getConFileName() == key;
        if (same)
        {
            QWidget* page = m_pdfTabWidget->widget(i);
            m_pdfTabWidget->setCurrentWidget(page);
            return page;
        }
    }
    return nullptr;
}

SplitterFrame* SignPage::createPdfWidget(const QString& path, int* code)
{
    PdfEngine* engine = new PdfEngine();
    const int result = engine->Load(path, true, nullptr);
    if (code)
        *code = result;
    if (result != 0)
    {
        delete engine;
        return nullptr;
    }
    return createSplitterFrame(engine, path);
}

SplitterFrame* SignPage::newTabFrame(PdfEngine* engine, bool authorisation, Canvas** canvas)
{
    m_menu->setDisableControl(!authorisation);
    // Every widget of the tab is made where it stays (the frame inside the tab widget's page
    // holder): moving a built tree under another parent restyles all of it, each time.
    SplitterFrame* frame = new SplitterFrame(m_pdfTabWidget->pageHost(), engine);
    frame->hide();
    *canvas = new Canvas(frame);
    (*canvas)->isAuthFile = authorisation;
    if (!authorisation)
        connect(*canvas, &Canvas::sigCertRenewSucess, this, &SignPage::sigCertRenewSucess);
    return frame;
}

SplitterFrame* SignPage::createSplitterFrame(PdfEngine* engine, const QString& path)
{
    Canvas* canvas = nullptr;
    SplitterFrame* frame = newTabFrame(engine, false, &canvas);
    RightToolBar* panel = new RightToolBar(path, engine, frame, engine->PageCount());
    panel->hide();
    return createCommonWidget(frame, canvas, panel, nullptr);
}

SplitterFrame* SignPage::createCommonWidget(SplitterFrame* frame, Canvas* canvas, RightToolBar* panel,
                                            RightToolBarUserAuth* authPanel)
{
    PdfEngine* engine = frame->engine();
    RenderCache* cache = RenderCache::instance();

    // The document view at 100 %. It renders nothing until its tab is in place (insertTab).
    DisplayModel* model = new DisplayModel(new ControllerCallbackHandler(canvas), engine);
    model->renderingHeld = true;
    model->SetInitialViewSettings(DM_CONTINUOUS, 1, QSize(1440, 809), 96);
    model->Relayout(100, 0);
    canvas->setDisplayModel(model, cache);

    // The thumbnails: a model of their own at fit-page zoom.
    LeftToolBar* left = new LeftToolBar(frame);
    ThumbnailWidget* thumbnails = new ThumbnailWidget(left);
    DisplayModel* thumbModel = new DisplayModel(new ControllerCallbackHandler(thumbnails), engine);
    // The thumbnails are rendered once the document view's pages are.
    thumbModel->renderWhenOthersDone = true;
    thumbModel->SetInitialViewSettings(DM_CONTINUOUS, 1, QSize(1440, 809), 96);
    thumbModel->SetSpace(int(screenZoom * 6), int(screenZoom * 40));
    thumbModel->SetContentMarign(int(screenZoom * 28), int(screenZoom * 10), int(screenZoom * 28),
                                 int(screenZoom * 40));
    thumbModel->Relayout(-1, 0);

    SignatureListWidget* list = new SignatureListWidget(left, thumbModel);
    thumbnails->setDisplayModel(thumbModel, cache);
    left->addThumbnailWidget(thumbnails);
    left->addSignatureInfoWidget(list);

    PushWidget* push = new PushWidget(frame);
    connect(push, &PushWidget::extend, left, &LeftToolBar::setExtend);
    push->setPushState(1, list->hasSignature());
    // The list learns whether the document has fields from its thread: a document that has
    // them opens the panel on the signature list then.
    connect(list, &SignatureListWidget::signatureCountKnown, push, [push](int count) {
        if (count != 0)
            push->setPushState(1, true);
    });
    connect(canvas, &Canvas::addSignatureList, push, &PushWidget::addSignatureToList);

    frame->setPushWidget(push);
    frame->setLeftWidget(left);
    frame->setCanvasWidget(canvas);

    if (authPanel)
    {
        // An authorisation tab follows the view's zoom and the list's jumps and verifications,
        // nothing more: no annotation styles, no list updates from the canvas, no thumbnail
        // page following, no seal panel.
        frame->setRightUserAuthWidget(authPanel);
        connect(canvas, &Canvas::zoomChanged, m_menu, &MenuBar::setZoomValue);
        connect(list, &SignatureListWidget::gotoPage, canvas, qOverload<int, QPoint>(&Canvas::gotoPage));
        connect(list, &SignatureListWidget::verifySignatureSignal, canvas, &Canvas::verifySignatureByName);
        return frame;
    }

    frame->setRightWidget(panel);
    canvas->setRightToolBar(panel);

    connect(m_menu, &MenuBar::setHighightColor, canvas, &Canvas::setHighightColor);
    connect(m_menu, &MenuBar::setUnderlineColor, canvas, &Canvas::setUnderlineColor);
    connect(m_menu, &MenuBar::setDeletelineColor, canvas, &Canvas::setDeletelineColor);
    connect(m_menu, &MenuBar::setPenAttribute, canvas, &Canvas::setPenAttribute);
    connect(canvas, &Canvas::addSignatureList, list, &SignatureListWidget::addSignatureToList);
    connect(canvas, &Canvas::deleteSignatureList, list, &SignatureListWidget::deleteSignatureToList);
    connect(canvas, &Canvas::zoomChanged, m_menu, &MenuBar::setZoomValue);
    connect(canvas, &Canvas::pageChanged, thumbnails, &ThumbnailWidget::pageChanged);
    connect(canvas, &Canvas::updateMenu, m_menu, &MenuBar::updateMenu);
    connect(canvas, &Canvas::cancenSealingState, panel, &RightToolBar::clearItemsSelection);
    connect(canvas, &Canvas::loginAgain, this, &SignPage::loginAgain);
    connect(canvas, &Canvas::setFinishBtnDisable, panel, &RightToolBar::setFinishBtnDisable);
    connect(canvas, &Canvas::openPdfFile, this, &SignPage::openPdfFile);
    connect(this, &SignPage::setDenyBtnDisable, panel, &RightToolBar::setDenyBtnDisable);
    connect(panel, &RightToolBar::setSealState_Signal, canvas, &Canvas::setSealState_Slots);
    connect(panel, &RightToolBar::sendSignMode, canvas, &Canvas::receiveSignMode);
    connect(panel, &RightToolBar::sendSignPageMode, canvas, &Canvas::receiveSignPageMode);
    connect(panel, &RightToolBar::qfStyleId, canvas, &Canvas::qfStyleId);
    connect(panel, &RightToolBar::allPagesCheck, canvas, &Canvas::allPagesCheck);
    connect(panel, &RightToolBar::setQfScale, canvas, &Canvas::getQfScale);
    connect(left, qOverload<int>(&LeftToolBar::gotoPage), canvas, qOverload<int>(&Canvas::gotoPage));
    connect(left, qOverload<int, QPoint>(&LeftToolBar::gotoPage), canvas, qOverload<int, QPoint>(&Canvas::gotoPage));
    connect(list, &SignatureListWidget::verifySignatureSignal, canvas, &Canvas::verifySignatureByName);
    connect(list, &SignatureListWidget::deleteItemSignature, canvas, &Canvas::deleteItemSignature);
    connect(DeviceBussiness::Instance(), &DeviceBussiness::beginReadUsbkey, panel,
            &RightToolBar::beginReadUsbkeySlots);
    connect(panel, &RightToolBar::turnTitleBar, this, &SignPage::turnTitleBar);
    connect(panel, &RightToolBar::openUserCenterPage, this, &SignPage::openUserCenterPage);
    connect(panel, &RightToolBar::previewSign, this, &SignPage::previewSign);
    connect(panel, &RightToolBar::close_Signal, this, &SignPage::rightToolClose);
    connect(panel, &RightToolBar::finishFlow, this, &SignPage::finishSignFlow);
    connect(panel, &RightToolBar::refuseSign, this, &SignPage::refuseSign);
    connectFrameCommands(canvas, panel);
    return frame;
}

void SignPage::insertTab(SplitterFrame* frame, DocTabWidget::file_type type, const QString& name, const QString& id)
{
    m_pdfTabWidget->addTab(frame, type, name, id);
    // Only now does the view ask for its pages: a render holds the engine, and putting the tab
    // in place (tabChanged reads the engine) would wait for it. The render queue takes the pages
    // on screen before the ones next to them.
    Canvas* canvas = frame->canvas();
    DisplayModel* model = canvas ? canvas->AsFixed() : nullptr;
    if (!model)
        return;
    model->renderingHeld = false;
    model->RenderVisibleParts();
}

// ---- current tab ----------------------------------------------------------------------------

void SignPage::tabChanged(int index)
{
    SplitterFrame* frame = index < 0 ? nullptr : frameAt(index);
    if (!frame || !frame->m_canvas)
        return;
    Canvas* canvas = frame->m_canvas;
    m_menu->setOperateToolChecked(canvas->GetMouseState());
    m_menu->setDisplayToolChecked(canvas->GetDisplayMode());
    m_menu->setZoomValue(canvas->GetZoomValue());
    if (canvas->isAuthFile)
    {
        isAuthFile = true;
        m_menu->setToolsEnabled(1, false);
        m_menu->setDisableControl(false);
        return;
    }
    isAuthFile = false;
    m_menu->setDisableControl(true);
    SignParamBusiness* param = paramAt(index);
    RightToolBar* panel = frame->m_rightToolBar;
    if (panel && panel->cloudSignMode() == CSM_Only_Start)
        m_menu->setToolsEnabled(1, false);
    else if (canvas->AsFixed() && canvas->AsFixed()->GetEngine())
    {
        const int n = canvas->AsFixed()->GetEngine()->DocumentSignatureCount() + canvas->getSignItems().size();
        m_menu->setToolsEnabled(1, n <= 0);
    }
    if (m_menu->checkedTool() == MS_CloudSignature)
        m_menu->setToolsEnabled(1, false);
    if (param && panel)
        panel->setParam(param);
}

bool SignPage::checkBatchSealRuning()
{
    if (!m_pdfTabWidget)
        return false;
    SplitterFrame* frame = currentFrame();
    if (!frame || !frame->m_canvas)
        return false;
    bathSignThread* thread = frame->m_canvas->getBatchSealThread();
    return thread && thread->isRunning();
}

// ---- closing --------------------------------------------------------------------------------

void SignPage::closeTabNow(int index, bool bReOpen)
{
    m_pdfTabWidget->closeIndexTab(index, bReOpen);
}

void SignPage::closeIndexTab(int index)
{
    if (!m_pdfTabWidget)
        return;
    SplitterFrame* frame = index < 0 ? nullptr : frameAt(index);
    if (!frame || !frame->m_canvas)
        return;
    const QPointer<SplitterFrame> guard(frame);
    SignParamBusiness* param = paramAt(index);
    const bool local = !frame->m_canvas->isAuthFile && param && param->getFileType() == DocTabWidget::file_local;
    // A changed local document is offered for saving whatever the seal panel shows: closing
    // without the question would drop the user's annotations.
    if (local && frame->m_pdfEngine && frame->m_pdfEngine->DocumentChanged())
    {
        // The file's full name: a narrow tab shows it elided.
        const QString text =
            QStringLiteral("\"%1\" 已经更改，是否要保存此文件？").arg(m_pdfTabWidget->tabWhatsThis(m_pdfTabWidget->indexOf(frame)));
        const MMessageBox::StandardButton answer =
            MMessageBox::showQuestion(window(), QStringLiteral("保存文件"), text, QSize(259, 133), false,
                                      QDialogButtonBox::Yes | QDialogButtonBox::No, QDialogButtonBox::NoButton);
        if (answer == QDialogButtonBox::NoButton || !guard)
            return;
        if (answer == QDialogButtonBox::Yes)
        {
            const int code = frame->m_pdfEngine->Save();
            if (code != 0)
            {
                // The document stays open with its changes: nothing is lost.
                MMessageBox::showError(g_topWidget ? g_topWidget : window(), QStringLiteral("Orvessa"),
                                       saveFailureText(code), QSize(280, 160), QDialogButtonBox::Ok,
                                       QDialogButtonBox::NoButton);
                return;
            }
        }
    }
    closeTabNow(m_pdfTabWidget->indexOf(frame), false);
}

void SignPage::closeCurLabel()
{
    closeIndexTab(m_pdfTabWidget->currentIndex());
}

void SignPage::closeOtherLabel()
{
    const int current = m_pdfTabWidget->currentIndex();
    for (int i = m_pdfTabWidget->count() - 1; i >= 0; i--)
        if (i != current)
            closeIndexTab(i);
}

void SignPage::closeAllTab()
{
    const int passes = m_pdfTabWidget->count();
    for (int i = 0; i < passes; i++)
        closeIndexTab(m_pdfTabWidget->currentIndex());
}

void SignPage::logoutSlot()
{
    closeAllTab();
}

// ---- tools ----------------------------------------------------------------------------------

void SignPage::changeOperate(int id)
{
    SplitterFrame* frame = currentFrame();
    if (!frame || !frame->m_canvas)
        return;
    Canvas* canvas = frame->m_canvas;
    RightToolBar* panel = frame->m_rightToolBar;
    // An authorisation document's own panel is not here: its tab takes the tool only.
    if (isAuthFile || canvas->isAuthFile)
    {
        canvas->SetMouseState(MouseState(id));
        return;
    }
    if (!panel)
        return;
    switch (id)
    {
    case MS_Handwrite:
        panel->show();
        break;
    case MS_LocalSignature:
    case MS_CloudSignature:
    {
        NetWorkBusiness* client = NetWorkBusiness::Instance();
        const int state = client->getLoginState();
        bool loggedIn = state == NetWorkBusiness::LOGINED;
        if (state == NetWorkBusiness::UNLOGIN)
        {
            const LoginRunner runner = loginRunner();
            if (!runner || !runner())
            {
                QTimer::singleShot(100, m_menu, SLOT(buttonUpSlot()));
                return;
            }
            emit loginSucc();
            loggedIn = true;
        }
        if (loggedIn)
        {
            const bool local = id == MS_LocalSignature;
            if (!panel->setViewMode(local ? RVM_Local : RVM_Cloud))
            {
                m_menu->setoldRealCheckid(m_menu->oldOperateCheckedid());
                QTimer::singleShot(100, m_menu, SLOT(backLastChecked()));
                return;
            }
            panel->setControl(!local);
            if (panel->isHidden())
                panel->show();
            // The keys that reported their records; none while no key has been read.
            QMap<QString, KeyContainInfo> keys = DeviceBussiness::Instance()->getKeyContainInfoMap();
            panel->setSealData(keys);
        }
        break;
    }
    default:
        // Hand, selection, text and the annotation tools; the tool bar sends their colours
        // and pen through its own signals.
        panel->hide();
        break;
    }
    if (PdfEngine* engine = frame->m_pdfEngine)
        if (engine->DocumentSignatureCount() > 0)
            m_menu->setToolsEnabled(1, false);
    canvas->SetMouseState(MouseState(id));
}

void SignPage::rightToolClose()
{
    m_menu->setOperateToolChecked(MS_Hand);
    changeOperate(MS_Hand);
}

void SignPage::insertDeviceSlot(QString devName)
{
    DeviceBussiness::Instance()->readKeyData(devName);
}

void SignPage::pulloutDeviceSlot(QString devName)
{
    for (int i = 0; i < m_pdfTabWidget->count(); i++)
        if (SplitterFrame* frame = frameAt(i))
            if (frame->m_rightToolBar)
                frame->m_rightToolBar->pulloutDevice(devName);
    if (SplitterFrame* frame = currentFrame())
        if (frame->m_canvas)
            frame->m_canvas->pulloutDevice();
}

void SignPage::setKeyInfo(int status, QVariant keyInfo)
{
    // The notice is queued: it may arrive after the logout, when there is no user to ask for.
    const BusinessInfo* user = NetWorkBusiness::Instance()->getBusinessInfo();
    if (!user)
        return;
    KeyContainInfo record;
    if (keyInfo.canConvert<KeyContainInfo>())
        record = keyInfo.value<KeyContainInfo>();
    else
        record.isClound = -1;
    int state = 0;
    NetWorkBusiness::Instance()->queryUserSealStatus(record.sealCode, user->userAccount, state);
    record.isClound = state;
    emit DeviceBussiness::Instance()->finishReadusbKey(status, QVariant::fromValue(record));
}

void SignPage::previewSign(int id, int modeId, int qfMode, int qfModeScale, int scale, bool isCheck, int minPage,
                           int maxPage)
{
    SplitterFrame* frame = currentFrame();
    if (!frame || !frame->m_canvas || !frame->m_pdfEngine)
        return;
    int pageNo = 1;
    if (DisplayModel* dm = frame->m_canvas->AsFixed())
        pageNo = dm->CurrentPageNo();
    PreviewSignDlg dialog(frame->m_pdfEngine, pageNo, id, modeId, qfMode, qfModeScale, scale, isCheck, minPage,
                          maxPage, g_topWidget);
    dialog.exec();
}
