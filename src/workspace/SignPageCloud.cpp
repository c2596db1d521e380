// Cloud contract and seal-authorisation tabs of the workspace.
#include "SignPage.h"

#include "Canvas.h"
#include "DocTabWidget.h"
#include "MenuBar.h"
#include "NetWorkBusiness.h"
#include "PdfEngine.h"
#include "QuickMessageBox.h"
#include "RightToolBar.h"
#include "RightToolBarUserAuth.h"
#include "SignParamBusiness.h"
#include "SplitterFrame.h"
#include "vq-pdf.h"

CloudSignMode SignPage::cloudSignModeOf(const QString& status)
{
    switch (NetWorkBusiness::getContractStatus(status))
    {
    case NetWorkBusiness::cs_waitforme:
        return CSM_Sign_Waitme;
    case NetWorkBusiness::cs_waitforother:
        return CSM_Sign_WaitOther;
    case NetWorkBusiness::cs_completed:
        return CSM_Sign_Completed;
    case NetWorkBusiness::cs_overdue:
        return CSM_Sign_Overdue;
    case NetWorkBusiness::cs_refuse:
        return CSM_Sign_Refuse;
    case NetWorkBusiness::cs_drafts:
        return CSM_Sign_Drafts;
    default:
        return CSM_Sign_NoSate;
    }
}

void SignPage::showCloudOpenFailure(int code)
{
    if (code == VQ_NOSUPPORT_FILE)
        QuickMessageBox::abort(this, QStringLiteral("文件获取失败，请重试"), qmt_error, 2000);
    else if (code == VQ_DAMAGED_FILE)
        QuickMessageBox::abort(this, QStringLiteral("打开文件失败，文件已损坏"), qmt_error, 2000);
    else
        QuickMessageBox::abort(nullptr, QStringLiteral("打开文件失败，未知错误"), qmt_error, 2000);
}

// ---- contracts ------------------------------------------------------------------------------

bool SignPage::addCloudFileTab(const QByteArray& bytes, ContractInfo contract, QList<ContractSignerInfo> signers)
{
    // The workspace's authorisation flag follows the current tab: it changes only once the
    // contract's tab is current, so a failed open leaves it as the current tab needs it.
    if (bytes.isEmpty())
    {
        QuickMessageBox::abort(this, QStringLiteral("文件获取失败，请重试"), qmt_error, 2000);
        return false;
    }
    if (!m_pdfTabWidget)
        return false;
    if (QWidget* open = findSameTabWidget(contract.contractId))
    {
        open->show();
        open->raise();
        open->activateWindow();
    }
    else
    {
        int code = 0;
        SplitterFrame* frame = createPdfWidget(bytes, contract, signers, &code);
        if (!frame)
        {
            showCloudOpenFailure(code);
            return false;
        }
        insertTab(frame, DocTabWidget::file_cloud, contract.contractName, contract.contractId);
        emit setDenyBtnDisable(false);
        if (contract.status == QLatin1String("drafts"))
            emit addDraftsList(contract.contractId);
    }
    isAuthFile = false;
    SplitterFrame* frame = currentFrame();
    if (!frame)
        return false;
    if (frame->m_canvas)
    {
        frame->m_canvas->fileType = 1;
        frame->m_canvas->m_docName = contract.contractName;
    }
    if (frame->m_rightToolBar)
        frame->m_rightToolBar->setParam(paramAt(m_pdfTabWidget->currentIndex()));
    return true;
}

SplitterFrame* SignPage::createPdfWidget(QByteArray bytes, ContractInfo contract, QList<ContractSignerInfo> signers,
                                         int* code)
{
    PdfEngine* engine = new PdfEngine();
    const int result = engine->LoadStream(bytes, nullptr);
    if (code)
        *code = result;
    if (result != 0)
    {
        delete engine;
        return nullptr;
    }
    return createSplitterCloudFrame(engine, contract, signers, cloudSignModeOf(contract.status));
}

SplitterFrame* SignPage::createSplitterCloudFrame(PdfEngine* engine, ContractInfo contract,
                                                  QList<ContractSignerInfo> signers, CloudSignMode mode)
{
    Canvas* canvas = nullptr;
    SplitterFrame* frame = newTabFrame(engine, false, &canvas);
    RightToolBar* panel = new RightToolBar(contract.contractName, engine, frame, -1);
    panel->setCloudSignMode(mode);
    panel->setViewMode(RVM_Cloud);
    // The panel opens with what the cloud-signing tool lists: the user's cloud seals or
    // signatures (no USB keys are handed in here).
    QMap<QString, KeyContainInfo> noKeys;
    panel->setSealData(noKeys);
    panel->setContractInfo(contract, signers, mode);
    createCommonWidget(frame, canvas, panel, nullptr);
    // A contract opens with the cloud-signing tool chosen.
    canvas->SetMouseState(MS_CloudSignature);
    m_menu->setOperateToolChecked(MS_CloudSignature);
    return frame;
}

// ---- seal authorisations --------------------------------------------------------------------

bool SignPage::addCloudFileTab(const QByteArray& bytes, StartAuthSuccessInfo auth, QList<ContractSignerInfo> signers)
{
    if (bytes.isEmpty())
    {
        QuickMessageBox::abort(this, QStringLiteral("文件获取失败，请重试"), qmt_error, 2000);
        return false;
    }
    if (!m_pdfTabWidget)
        return false;
    if (QWidget* open = findSameTabWidget(auth.protocolId))
    {
        open->show();
        open->raise();
        open->activateWindow();
        SplitterFrame* frame = currentFrame();
        if (!frame)
            return false;
        isAuthFile = true;
        if (frame->m_canvas)
        {
            frame->m_canvas->fileType = 1;
            frame->m_canvas->m_docName = auth.fileName;
        }
        return true;
    }
    int code = 0;
    SplitterFrame* frame = createPdfWidget(bytes, auth, signers, &code);
    if (!frame)
    {
        showCloudOpenFailure(code);
        return false;
    }
    insertTab(frame, DocTabWidget::file_cloud, auth.fileName, auth.protocolId);
    // Only now is an authorisation tab the current one.
    isAuthFile = true;
    if (!auth.isAuth)
        return true;

    ContractGetDetails placed;
    if (!NetWorkBusiness::Instance()->contractGetDetailsBus(placed, auth.protocolId, nullptr))
        return true;
    SplitterFrame* current = currentFrame();
    if (!current || !current->m_canvas || !current->m_canvas->AsFixed())
        return false;
    const QRectF onPage(placed.signLeft, placed.signTop, placed.signWidth, placed.signHeight);
    const QRectF onScreen = current->m_canvas->AsFixed()->CvtToScreen(placed.pageIndex + 1, onPage, true);
    const QPoint at = onScreen.topLeft().toPoint() + QPoint(50, 50);
    current->m_canvas->addAuthSealToPdf(at, placed.imageData, placed.signWidth, placed.signHeight);
    return true;
}

SplitterFrame* SignPage::createPdfWidget(const QByteArray& bytes, StartAuthSuccessInfo auth,
                                         QList<ContractSignerInfo> signers, int* code)
{
    PdfEngine* engine = new PdfEngine();
    const int result = engine->LoadStream(bytes, nullptr);
    if (code)
        *code = result;
    if (result != 0)
    {
        delete engine;
        return nullptr;
    }
    return createSplitterCloudAuthFrame(engine, auth, signers);
}

SplitterFrame* SignPage::createSplitterCloudAuthFrame(PdfEngine* engine, StartAuthSuccessInfo auth,
                                                      QList<ContractSignerInfo> signers)
{
    Canvas* canvas = nullptr;
    SplitterFrame* frame = newTabFrame(engine, true, &canvas);
    RightToolBarUserAuth* panel = new RightToolBarUserAuth(auth, signers, engine, frame);
    connect(panel, &RightToolBarUserAuth::finishAutnBtn, this, &SignPage::finishAutnBtn);
    connect(panel, &RightToolBarUserAuth::acceptAutnBtn, this, &SignPage::acceptAutnBtn);
    connect(panel, &RightToolBarUserAuth::refuseAutnBtn, this, &SignPage::refuseAutnBtn);
    connect(panel, &RightToolBarUserAuth::stopAutnBtn, this, &SignPage::stopAutnBtn);
    createCommonWidget(frame, canvas, nullptr, panel);
    canvas->SetMouseState(MS_CloudSignature);
    m_menu->setOperateToolChecked(MS_CloudSignature);
    return frame;
}
