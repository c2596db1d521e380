// Finishing cloud contracts from the seal panel (starting a contract with or without the user's
// own signature, signing a contract that waits for the user, refusing one) and the actions of a
// seal-authorisation tab.
//
// Every request shows the busy box while it waits; a request that fails has reported its error
// through the service client, hides the box and ends the pass with the tab left as it was. A
// pass that fails after some requests succeeded also says which step failed. The user's local
// document is never written: the signatures go into a copy of its bytes that replaces the
// contract's stored file.
#include "SignPage.h"

#include "Canvas.h"
#include "CertState.h"
#include "DocTabWidget.h"
#include "LoadingWidget.h"
#include "MMessageBox.h"
#include "NetWorkBusiness.h"
#include "PdfEngine.h"
#include "QuickMessageBox.h"
#include "RightToolBar.h"
#include "SignPageCodeDialog.h"
#include "SignParamBusiness.h"
#include "SplitterFrame.h"

#include <QDateTime>
#include <QFile>

namespace {

const char* const kContractType = "合同";

// The user's bytes of the document: its file when it has one, else the engine's document.
QByteArray documentBytes(PdfEngine* engine)
{
    QByteArray bytes;
    const QString path = engine ? engine->FileName() : QString();
    if (!path.isEmpty())
    {
        QFile file(path);
        if (file.open(QIODevice::ReadOnly))
            bytes = file.readAll();
        return bytes;
    }
    if (engine && engine->SaveAs(bytes, 1) != 0)
        bytes.clear();
    return bytes;
}

} // namespace

void SignPage::failStep(const QString& step)
{
    if (m_signloading)
        m_signloading->hide();
    QuickMessageBox::abort(this, step + QStringLiteral("失败，合同未完成，本地文档未改动"), qmt_error, 2000);
}

void SignPage::finishSignFlow()
{
    if (!userAuthenStatus())
        return;
    SplitterFrame* frame = currentFrame();
    if (!frame || !frame->m_rightToolBar || !frame->m_canvas)
        return;
    RightToolBar* panel = frame->m_rightToolBar;
    is_Key_Clound = false;
    for (SignItem* item : frame->m_canvas->getSignItems())
        if (item->getSinType() == 2)
            is_Key_Clound = true;

    NetWorkBusiness* client = NetWorkBusiness::Instance();
    if (panel->cloudSignMode() == CSM_Sign_Waitme)
    {
        const ContractInfo contract = panel->getContractInfo();
        if (!client->applyForSignBus(contract.contractId, nullptr))
            return;
        m_fileByteArr = client->getFileDataById(contract.pdfFileSaveId);
        if (m_fileByteArr.isEmpty())
        {
            QuickMessageBox::abort(this, QStringLiteral("合同文件获取失败，请重试"), qmt_error, 2000);
            return;
        }
    }

    if (is_Key_Clound)
    {
        int codeS = 0;
        SignPageCodeDialog dialog(proofTime, codeS, g_topWidget, false, false);
        if (dialog.retSuc != 0 && dialog.exec() == QDialog::Accepted)
        {
            m_code = dialog.code;
            proofType = QStringLiteral("note");
            signSeverFinish(true);
        }
        is_Key_Clound = false;
    }
    else
    {
        proofTime = QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
        proofType = QStringLiteral("ukey");
        signSeverFinish(false);
    }
    m_fileByteArr.clear();
}

void SignPage::signSeverFinish(bool bCloudSign)
{
    SplitterFrame* frame = currentFrame();
    if (!frame || !frame->m_rightToolBar || !frame->m_canvas)
        return;
    SignParamBusiness* param = paramAt(m_pdfTabWidget->currentIndex());
    RightToolBar* panel = frame->m_rightToolBar;
    if (!param || panel->viewMode() != RVM_Cloud)
        return;
    const int mode = panel->cloudSignMode();
    const ContractInfo contract = panel->getContractInfo();
    if (mode == CSM_Sign_NoSate && !param->settingState())
    {
        QuickMessageBox::abort(this, QStringLiteral("请设置签名规则"), qmt_error, 2000);
        return;
    }
    NetWorkBusiness* client = NetWorkBusiness::Instance();
    const BusinessInfo* user = client->getBusinessInfo();
    if (!user)
        return;
    if (mode == CSM_Sign_And_Start || mode == CSM_Only_Start)
        startContract(mode, bCloudSign, *param, contract, *user);
    else if (mode == CSM_Sign_Waitme)
        signWaitingContract(bCloudSign, contract);
}

void SignPage::startContract(int mode, bool bCloudSign, const SignParamBusiness& param, const ContractInfo& contract,
                             const BusinessInfo& user)
{
    SplitterFrame* frame = currentFrame();
    Canvas* canvas = frame->m_canvas;
    PdfEngine* engine = frame->engine();
    if (mode == CSM_Sign_And_Start)
    {
        m_signloading->setText(QStringLiteral("正在完成签署.."));
    }
    else
    {
        if (MMessageBox::showWarning(g_topWidget, QStringLiteral("Orvessa"), QStringLiteral("确定要发起吗？"),
                                     QSize(202, 108), QDialogButtonBox::Ok | QDialogButtonBox::Cancel,
                                     QDialogButtonBox::Ok) == QDialogButtonBox::Cancel)
            return;
        m_signloading->setText(QStringLiteral("正在完成发起.."));
    }

    // The document is read before anything is sent: a contract is never made from missing bytes.
    const bool newContract = contract.contractId.isEmpty();
    const QByteArray original = documentBytes(engine);
    if (original.isEmpty() && (newContract || mode == CSM_Sign_And_Start))
    {
        QuickMessageBox::abort(this, QStringLiteral("读取文档失败，请检查文档后重试"), qmt_error, 2000);
        return;
    }
    m_signloading->show();

    QString representType = QStringLiteral("own");
    QString representIndex;
    if (param.deputyAtt() == 0)
    {
        representType = QStringLiteral("company");
        representIndex = param.getCompanyId();
    }

    NetWorkBusiness* client = NetWorkBusiness::Instance();
    QString contractId = contract.contractId;
    QString fileId = contract.pdfFileSaveId;
    if (newContract)
    {
        QString url;
        if (!client->fileUpLoad(QStringLiteral("file.pdf"), QStringLiteral("private"), kContractType,
                                QStringLiteral("application/octet-stream"), url, original, fileId, m_signloading))
            return failStep(QStringLiteral("上传合同文件"));
        ContractAddDrafts draft;
        if (!client->contractAddBus(draft, fileId, param.theme(), kContractType, param.signOrderModeStr(),
                                    representType, representIndex, param.endDate(), param.remark(), m_signloading))
            return failStep(QStringLiteral("创建合同"));
        contractId = draft.contractId;
    }
    else if (!client->updateContract(contractId, param.theme(), kContractType, param.signOrderModeStr(),
                                     param.signAttStr(), param.theme(), param.remark(), representType, representIndex,
                                     param.endDate(), m_signloading))
    {
        return failStep(QStringLiteral("更新合同"));
    }

    if (!client->deleteContractJoinUser(contractId, m_signloading))
        return failStep(QStringLiteral("更新签署方"));
    QList<SignerInfo> signers;
    if (mode == CSM_Sign_And_Start)
    {
        SignerInfo me;
        me.userAccount = user.userAccount;
        me.userId = user.id;
        me.userType = user.userType;
        signers.append(me);
        proofTime.clear();
    }
    for (const SignerInfo& s : param.linkMan())
    {
        QString userId, userTypeText;
        if (!client->addContractSignatory(s.userAccount, s.userName, userId, userTypeText, m_signloading))
            return failStep(QStringLiteral("添加签署方"));
        SignerInfo added;
        added.userAccount = s.userAccount;
        added.userId = userId;
        added.userType = s.userType;
        signers.append(added);
    }
    QString joinUserId;
    if (!signers.isEmpty()
        && !client->batchAddContractUser(contractId, signers, proofTime, proofType, joinUserId, m_signloading))
        return failStep(QStringLiteral("添加签署方"));
    if (!client->contractIssueBus(contractId, param.theme(), kContractType, param.signOrderModeStr(), param.remark(),
                                  m_signloading))
        return failStep(QStringLiteral("发起合同"));

    if (mode == CSM_Only_Start)
    {
        m_signloading->hide();
        QuickMessageBox::abort(this, QStringLiteral("发起成功"), qmt_succ, 2000);
        closeCurLabel();
        return;
    }

    // The user's signatures go into a copy of the document, which replaces the stored file.
    QByteArray signedBytes;
    if (canvas->finishSignFlow(signedBytes, m_signloading, canvas->m_docName, CloudSignMode(mode), contractId,
                               joinUserId, original, param.deputyAtt() == 0) != 0)
        return failStep(QStringLiteral("签署文档"));
    if (!finishSigning(bCloudSign, joinUserId, fileId, signedBytes))
        return;
    m_signloading->hide();
    QuickMessageBox::abort(this, QStringLiteral("签署成功"), qmt_succ, 2000);
    if (g_certTime.bIsExpired)
        getServerCertAndTime();
    closeCurLabel();
}

void SignPage::signWaitingContract(bool bCloudSign, const ContractInfo& contract)
{
    SplitterFrame* frame = currentFrame();
    Canvas* canvas = frame->m_canvas;
    m_signloading->setText(QStringLiteral("正在完成签署..."));
    m_signloading->show();
    NetWorkBusiness* client = NetWorkBusiness::Instance();
    // The user's earlier placements go before the new ones are reported.
    QList<ContractDetails> earlier;
    if (!client->getContractDetails(contract.contractJoinUserId, earlier, nullptr))
        return failStep(QStringLiteral("查询签署位置"));
    for (const ContractDetails& d : earlier)
        if (!client->clearContractDetails(d.contractDetailId, nullptr))
            return failStep(QStringLiteral("清除签署位置"));
    QByteArray signedBytes;
    if (canvas->finishSignFlow(signedBytes, m_signloading, canvas->m_docName, CSM_Sign_Waitme, contract.contractId,
                               contract.contractJoinUserId, m_fileByteArr) != 0)
        return failStep(QStringLiteral("签署文档"));
    if (!finishSigning(bCloudSign, contract.contractJoinUserId, contract.pdfFileSaveId, signedBytes))
        return;
    m_signloading->hide();
    QuickMessageBox::abort(this, QStringLiteral("签署成功"), qmt_succ, 2000);
    emit setDenyBtnDisable(true);
    closeCurLabel();
}

bool SignPage::finishSigning(bool bCloudSign, const QString& joinUserId, const QString& fileId,
                             const QByteArray& signedBytes)
{
    NetWorkBusiness* client = NetWorkBusiness::Instance();
    const bool confirmed = bCloudSign ? client->batchSignContractBus(joinUserId, m_code, m_signloading)
                                      : client->batchSignContractBusKey(joinUserId, m_code, m_signloading);
    if (!confirmed)
    {
        failStep(QStringLiteral("确认签署"));
        return false;
    }
    // The stored file takes the signatures only once the consent was confirmed.
    if (!client->fileUpdate(fileId, QStringLiteral("private"), kContractType, QStringLiteral("file.pdf"),
                            QStringLiteral("application/octet-stream"), signedBytes, m_signloading))
    {
        failStep(QStringLiteral("保存签署文件"));
        return false;
    }
    if (!client->affirmSignBus(joinUserId, m_signloading))
    {
        failStep(QStringLiteral("完成签署"));
        return false;
    }
    return true;
}

void SignPage::refuseSign()
{
    if (!userAuthenStatus())
        return;
    SplitterFrame* frame = currentFrame();
    if (!frame || !frame->m_rightToolBar)
        return;
    m_signloading->setText(QStringLiteral("拒签中，请稍后..."));
    if (!NetWorkBusiness::Instance()->contractRefusesignBusiness(
            frame->m_rightToolBar->getContractInfo().contractJoinUserId, m_signloading))
        return;
    QuickMessageBox::abort(this, QStringLiteral("拒签成功"), qmt_nothing, 2000);
    emit setDenyBtnDisable(true);
    closeCurLabel();
}

// ---- seal authorisations ----------------------------------------------------------------------

void SignPage::finishAutnBtn(const QString& authId)
{
    if (!userAuthenStatus())
        return;
    int codeS = 0;
    SignPageCodeDialog dialog(proofTime, codeS, g_topWidget, true, false);
    dialog.m_authId = authId;
    if (dialog.retSuc == 0 || dialog.exec() != QDialog::Accepted)
        return;
    QuickMessageBox::abort(this, QStringLiteral("授权签约成功"), qmt_nothing, 2000);
    closeCurLabel();
}

void SignPage::acceptAutnBtn(const QString& authId)
{
    int codeS = 0;
    SignPageCodeDialog dialog(proofTime, codeS, g_topWidget, true, true);
    dialog.m_authId = authId;
    if (dialog.retSuc == 0 || dialog.exec() != QDialog::Accepted)
        return;
    if (codeS == 81000 || codeS == 60020)
    {
        closeCurLabel();
        return;
    }
    // Only the service's success code is a success; anything else leaves the tab for another try.
    if (codeS != 10000)
        return;
    QuickMessageBox::abort(this, QStringLiteral("已接受授权"), qmt_nothing, 2000);
    closeCurLabel();
    emit isHiddenRed();
}

void SignPage::refuseAutnBtn(const QString& authId)
{
    if (MMessageBox::showWarning(g_topWidget, QStringLiteral("Orvessa"), QStringLiteral("您确定要拒绝本次授权吗？请谨慎操作"),
                                 QSize(202, 80), QDialogButtonBox::Ok | QDialogButtonBox::Cancel,
                                 QDialogButtonBox::Ok) != QDialogButtonBox::Ok)
        return;
    int codeS = 0;
    if (!NetWorkBusiness::Instance()->refuseSsealAuthBus(authId, codeS, nullptr))
        return;
    QuickMessageBox::abort(this, QStringLiteral("已拒绝授权"), qmt_nothing, 2000);
    closeCurLabel();
    emit isHiddenRed();
}

void SignPage::stopAutnBtn(const QString& authId)
{
    if (MMessageBox::showWarning(g_topWidget, QStringLiteral("Orvessa"), QStringLiteral("授权尚未结束，您确认要停止本次授权吗？"),
                                 QSize(202, 80), QDialogButtonBox::Ok | QDialogButtonBox::Cancel,
                                 QDialogButtonBox::Ok) != QDialogButtonBox::Ok)
        return;
    if (!NetWorkBusiness::Instance()->terminateSealAuthBus(authId, nullptr))
        return;
    QuickMessageBox::abort(this, QStringLiteral("终止授权成功"), qmt_nothing, 2000);
    closeCurLabel();
}
