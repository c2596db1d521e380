// Signing from the document view: the seal on the cursor, the click that drops it, one signature
// applied in place through the cloud service, seal items on contract documents, renewal of an
// expired certificate, and the verification and deletion of signatures.
#include "Canvas.h"
#include "CertState.h"

#include "CLog.h"
#include "DeleteSignatureDialog.h"
#include "LoadingWidget.h"
#include "MMessageBox.h"
#include "NetWorkBusiness.h"
#include "PayQrCodeDialog.h"
#include "QuickMessageBox.h"
#include "RenderCache.h"
#include "SignPasswdDialog.h"
#include "SoftKeyboard.h"
#include "VerifySignatureDialog.h"

#include <QApplication>
#include <QDateTime>
#include <QFileInfo>
#include <QTimer>
#include <QtConcurrent/QtConcurrent>

#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

const QSize kBoxSize(280, 160);

QString appTitle()
{
    return QStringLiteral("Orvessa");
}

void showErrorBox(const QString& text)
{
    MMessageBox::showError(g_topWidget, appTitle(), text, kBoxSize, QDialogButtonBox::Ok, QDialogButtonBox::NoButton);
}

void showWarningBox(const QString& text)
{
    MMessageBox::showWarning(g_topWidget, appTitle(), text, kBoxSize, QDialogButtonBox::Ok,
                             QDialogButtonBox::NoButton);
}

// "数字签名失败！<reason>！" with the service client's text for the code.
QString serviceFailureText(int code)
{
    const QString reason = NetWorkBusiness::Instance()->getErrorStr(code);
    if (reason.isEmpty())
        return QStringLiteral("数字签名失败！原因未知！");
    return QStringLiteral("数字签名失败！%1！").arg(reason);
}

// A seal's record time: seconds since 1970 (UTC) as local "yyyy-MM-dd hh:mm:ss"; a text that is
// not a number is kept as it is.
QString recordTimeText(const QString& seconds)
{
    bool ok = false;
    const qint64 s = seconds.trimmed().toLongLong(&ok);
    if (!ok)
        return seconds;
    return QDateTime::fromSecsSinceEpoch(s).toLocalTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
}

// The seal code of a version-1 signature: the zero-terminated text of the record's seal code.
QString versionOneSealCode(PdfEngine* engine, vq_signature* signature)
{
    SM2SIGN_DATA_VALUE* value = engine->getSignatureContent(signature);
    if (!value)
        return QString();
    const size_t len = strnlen(value->sealcode, sizeof(value->sealcode));
    const QString code = QString::fromLocal8Bit(value->sealcode, int(len));
    free(value);
    return code;
}

} // namespace

Canvas::SealFields Canvas::chosenSealFields() const
{
    SealFields f;
    if (m_sealSource == SS_Key)
    {
        const KeyContainInfo& k = m_deviceInfo;
        f = SealFields{k.sealImageData, k.sealImageWidth, k.sealImageHeight, k.sealName, k.sealCode,
                       k.sealUnitName, k.sealrecordUnitName, k.sealrecordTime};
    }
    else if (m_sealSource == SS_Cloud && isPersonalSignature())
        f = SealFields{m_signInfo.imageData, m_signInfo.width, m_signInfo.height, m_signInfo.name, QString(),
                       QString(), QString(), QString()};
    else if (m_sealSource == SS_Cloud)
        f = SealFields{m_sealInfo.imageData, m_sealInfo.width, m_sealInfo.height, m_sealInfo.name,
                       m_sealInfo.sealCode, m_sealInfo.sealUnitName, m_sealInfo.sealRecordUnitName,
                       m_sealInfo.sealRecordTime};
    return f;
}

bool Canvas::isPersonalSignature() const
{
    const BusinessInfo* user = NetWorkBusiness::Instance()->getBusinessInfo();
    return user && user->userType == 0 && m_isAuth == 0;
}

// ---- choosing a seal ------------------------------------------------------------------------------

void Canvas::setSealState_Slots(int sealSource, QString variant, int isAuth)
{
    _mAction = MA_AddSealing;
    m_sealSource = SealSource(sealSource);
    QByteArray picture;
    double w = 0, h = 0;
    if (sealSource == SS_Key)
    {
        m_deviceInfo = DeviceBussiness::Instance()->getKeyContainInfo(variant);
        picture = m_deviceInfo.sealImageData;
        w = m_deviceInfo.sealImageWidth;
        h = m_deviceInfo.sealImageHeight;
    }
    else if (sealSource == SS_Cloud)
    {
        NetWorkBusiness* client = NetWorkBusiness::Instance();
        const BusinessInfo* user = client->getBusinessInfo();
        if (!user)
        {
            finishSignature(false);
            return;
        }
        const bool company = user->userType != 0;
        if (!company)
            m_isAuth = isAuth;
        if (company || isAuth == 1)
        {
            // A company's own seal, or a seal a company authorised to this person.
            m_sealInfo = SealInfo();
            if (company)
                client->getSealInfo(variant, m_sealInfo);
            else if (!client->getAuthSealInfo(variant, m_sealInfo) || m_sealInfo.imageData.isEmpty())
            {
                finishSignature(false);
                showWarningBox(QStringLiteral("没有获取授权印章信息！"));
                emit Key_EscapeSignal();
                return;
            }
            picture = m_sealInfo.imageData;
            w = m_sealInfo.width;
            h = m_sealInfo.height;
        }
        else
        {
            m_signInfo = UserSignatureInfo();
            client->getSignInfo(variant, m_signInfo);
            picture = m_signInfo.imageData;
            w = m_signInfo.width;
            h = m_signInfo.height;
        }
    }
    else
        return;

    // A choice that names no listed seal has nothing to place: the previous seal must not be
    // signed in its stead.
    const QImage image = QImage::fromData(picture);
    if (image.isNull() || w <= 0 || h <= 0)
    {
        finishSignature(false);
        return;
    }
    attachSealCursor(transparentPixmap(image), SealSource(sealSource), w, h);
}

void Canvas::setHandWrite_Slots(QByteArray byte)
{
    const QImage image = QImage::fromData(byte);
    if (image.isNull())
        return;
    const double side = 160 * screenZoom;
    attachHandWrite(toFixSizePixmap(transparentPixmap(image), side, side), QString(), byte);
}

void Canvas::setHandWrite_Slots(QString file)
{
    const QImage image(file);
    if (image.isNull())
        return;
    const double side = 160 * screenZoom;
    attachHandWrite(toFixSizePixmap(transparentPixmap(image), side, side), file);
}

// ---- the click ------------------------------------------------------------------------------------

void Canvas::addSignature(QPoint p)
{
    if (!_dm)
        return;
    // Where the seal lands is fixed now: the waits below run the event loop, and a scroll or a
    // resize meanwhile must not move the seal.
    SealDrop drop;
    drop.page = _dm->GetPageNoByPoint(p);
    if (drop.page >= 1)
    {
        drop.center = _dm->CvtFromScreen(QPointF(p), drop.page, true);
        if (const PageInfo* info = _dm->GetPageInfo(drop.page))
        {
            drop.rightEdge = _dm->CvtFromScreen(QPointF(info->pageOnScreen.right(), p.y()), drop.page, true);
            drop.leftEdge = _dm->CvtFromScreen(QPointF(info->pageOnScreen.left(), p.y()), drop.page, true);
        }
    }

    if (g_cerData.isEmpty())
        getServerCertAndTime();
    if (g_cerData.isEmpty())
    {
        MMessageBox::showError(g_topWidget, QStringLiteral("错误"), QStringLiteral("证书获取失败，请稍微重试！"),
                               kBoxSize, QDialogButtonBox::Ok, QDialogButtonBox::NoButton);
        return;
    }
    if (g_certTime.bIsExpired && _mstate == MS_LocalSignature)
    {
        m_loading->hide();
        finishSignature(true);
        slotRenew();
        return;
    }
    if (drop.page < 1)
    {
        QuickMessageBox::abort(this, QStringLiteral("请您在文档内盖章（根据印章的中心点判断）"), qmt_nothing, 2000);
        return;
    }
    _mAction = MA_AddSeal;
    m_addSignPt = p;
    m_sealDrop = drop;

    if (m_sealSource == SS_Key)
    {
        std::unique_ptr<SoftKeyboard> keypad(new SoftKeyboard(0, m_deviceInfo.deviceName, nullptr));
        keypad->setFrameDecoratorHide(true);
        keypad->setFrameShape(true);
        m_softKeyboard = keypad.get();
        const bool accepted = keypad->exec() == QDialog::Accepted;
        m_softKeyboard = nullptr;
        keypad.reset();
        if (!accepted)
        {
            finishSignature(false);
            return;
        }
        const int r = writeCertToKey();
        m_loading->hide();
        if (r != 0)
        {
            finishSignature(true);
            MMessageBox::showError(this, appTitle(), QStringLiteral("证书写入失败"), kBoxSize, QDialogButtonBox::Ok,
                                   QDialogButtonBox::NoButton);
            return;
        }
        if (_mstate == MS_LocalSignature && !_dm->GetEngine()->DocumentIsWriteAble())
        {
            finishSignature(false);
            showErrorBox(QStringLiteral("数字签名失败！文档被占用！"));
            return;
        }
        addSigntureToPdf();
    }
    else if (m_sealSource == SS_Cloud)
        addSigntureToPdf();
}

int Canvas::writeCertToKey()
{
    if (m_sealSource != SS_Key)
        return 0;
    DeviceBussiness* registry = DeviceBussiness::Instance();
    const QByteArray keyCert = registry->getKeyContainInfo(m_deviceInfo.deviceName).certData;
    if (g_cerData.isEmpty() || g_cerData == keyCert)
        return 0;
    ORV_LOG(QStringLiteral("检测到云端证书与Key证书不一致，云端证书: %1\nKey证书： %2\n")
                .arg(QString::fromLatin1(g_cerData), QString::fromLatin1(keyCert)));
    const int res = registry->rewriteCertFile(m_deviceInfo.deviceName, g_cerData);
    if (res == 0)
        m_deviceInfo.certData = g_cerData;
    return res;
}

void Canvas::addSigntureToPdf()
{
    if (!_dm)
        return;
    if (_mstate == MS_CloudSignature)
    {
        placeContractItem();
        return;
    }
    if (_mstate != MS_LocalSignature)
        return;
    if (!NetWorkBusiness::Instance()->checkTokenBus())
    {
        finishSignature(false);
        return;
    }
    if (m_isBathSign)
        startBatchSigning();
    else
        signInPlace();
}

// ---- one signature in place -----------------------------------------------------------------------

void Canvas::signInPlace()
{
    PdfEngine* engine = _dm->GetEngine();
    const SealDrop drop = m_sealDrop;
    ToolSignatureInfo info;
    int code = -1;
    QByteArray cert;
    QString sn, tag;
    if (m_sealSource == SS_Cloud)
    {
        if (!NetWorkBusiness::Instance()->getMyCert(cert))
        {
            SetMouseState(MS_LocalSignature);
            _privateCanvas->update();
            return;
        }
        QString signer;
        engine->ParserCert(cert, signer, sn);
        m_loading->show();
        if (!checkSignPassword())
        {
            // A cancelled first password has already put the view in the hand tool.
            if (_mstate != MS_Hand)
                SetMouseState(MS_LocalSignature);
            _privateCanvas->update();
            m_loading->hide();
            return;
        }
        tag = QStringLiteral("psign");
    }
    else if (m_sealSource == SS_Key)
    {
        // The key's own certificate signs: no password, no certificate request.
        cert = m_deviceInfo.certData;
        sn = m_deviceInfo.certSn;
        tag = QStringLiteral("ksign");
    }
    else
        return;
    const SealFields f = chosenSealFields();
    const QString field = _dm->AddSignatrue(drop.page, drop.center, f.picture, f.w, f.h, cert, sn, f.name, f.code,
                                            f.unit, f.recordUnit, f.recordTime, info, tag, code);

    if (code != 0)
    {
        m_loading->hide();
        MMessageBox::showError(g_topWidget, QStringLiteral("签署错误"),
                               QStringLiteral("签署错误，错误编码:") + QString::number(code), kBoxSize,
                               QDialogButtonBox::Ok, QDialogButtonBox::NoButton);
        return;
    }
    if (field.isEmpty())
    {
        m_loading->hide();
        finishSignature(true);
        return;
    }

    const int page = drop.page;
    finishSignature(true);
    // The service signs the digest inside the save.
    const int ret = engine->Save();
    m_loading->hide();
    if (ret == 0)
    {
        if (_RenderCache)
            _RenderCache->Invalidate(_dm, page, QRectF(0, 0, 600, 800));
        _privateCanvas->update();
        QuickMessageBox::abort(this, QStringLiteral("已保存"), qmt_succ, 1000);
        emit addSignatureList(0, QVariant::fromValue(info));
        return;
    }
    showSignResult(ret, SMT_Single);
    // A failed save leaves the file as it was; the unsigned field goes from the open document
    // too, so no later save can write it. A busy file keeps it for the next attempt.
    if (ret != VQ_FILE_IS_BUSY)
        engine->DeleteSinatureByName(page, field);
    if (_RenderCache)
        _RenderCache->Invalidate(_dm, page, QRectF(0, 0, 600, 800));
    _privateCanvas->update();
}

bool Canvas::checkSignPassword()
{
    m_loading->hide();
    if (!NetWorkBusiness::Instance()->isSetSignPassword())
    {
        SignPasswdDialog first(SignPasswdDialog::ResetPassword, g_topWidget);
        if (first.exec() != QDialog::Accepted)
        {
            SetMouseState(MS_Hand);
            _privateCanvas->update();
            return false;
        }
        QuickMessageBox::abort(this, QStringLiteral("签署密码重置成功!"), qmt_succ, 2000);
    }
    m_loading->hide();
    bool accepted = false;
    {
        SoftKeyboard keypad(1, QString(), g_topWidget);
        accepted = keypad.exec() == QDialog::Accepted;
    }
    m_loading->show();
    return accepted;
}

void Canvas::showSignResult(int code, SignMessageTable table)
{
    if (code == 0)
        return;
    QString text;
    switch (code)
    {
    case VQ_FILE_IS_BUSY: text = QStringLiteral("数字签名失败！文档被占用！"); break;
    case VQ_FILE_CHANGED: text = QStringLiteral("数字签名失败！") + PdfEngine::saveCodeText(code); break;
    // The engine names no reason; the user still learns that nothing was signed.
    case VQ_SIGNATURE_ERROR: text = QStringLiteral("数字签名失败！原因未知！"); break;
    case VQ_GET_SM2_CERT_ERROR: text = QStringLiteral("数字签名失败！获取证书失败，请重新签名！"); break;
    case VQ_CREATE_SM3_ERROR: text = QStringLiteral("数字签名失败！请重新签名！"); break;
    case VQ_CREATE_TIMESTAME_ERROR: text = QStringLiteral("数字签名失败！创建时间戳失败，请重新签名！"); break;
    case VQ_HTTP_REQUEST_DATA_IS_NULL:
        text = table == SMT_Single ? QStringLiteral("数字签名失败！证书失效！") : serviceFailureText(code);
        break;
    case VQ_TOKEN_ERROR1:
    case VQ_TOKEN_ERROR2:
    case VQ_TOKEN_ERROR3:
        finishSignature(false);
        emit loginAgain(code - VQ_TOKEN_ERROR1, QString());
        emit Key_EscapeSignal();
        return;
    default: text = serviceFailureText(code); break;
    }
    showErrorBox(text);
}

void Canvas::msgSignError(int nret)
{
    showSignResult(nret, SMT_Contract);
}

// ---- ending a placement, renewal, keys, logout ------------------------------------------------------

void Canvas::finishSignature(bool bfinish)
{
    _mAction = MA_AddSeal;
    _privateCanvas->setCursor(Qt::ArrowCursor);
    emit cancenSealingState();
    if (bfinish)
    {
        const int n = (_dm ? _dm->GetEngine()->DocumentSignatureCount() : 0) + m_signItemVec.size();
        emit updateMenu(n > 0);
    }
    m_sealSource = SS_NO;
}

void Canvas::slotRenew()
{
    PersonageOrderStatus order;
    if (!NetWorkBusiness::Instance()->getCertOrderStatus(order, m_loading))
        return;
    QString qrCodeBase64, billNo;
    if (!NetWorkBusiness::Instance()->getCreatePayQr(order, qrCodeBase64, billNo, m_loading))
        return;
    PayQrCodeDialog dialog(qrCodeBase64, billNo, 2, 60, g_topWidget);
    connect(&dialog, &PayQrCodeDialog::sigCertRenewSucess, this, &Canvas::sigCertRenewSucess);
    dialog.exec();
}

void Canvas::pulloutDevice()
{
    if (_mstate != MS_LocalSignature)
        return;
    if (m_softKeyboard)
        m_softKeyboard->close();
    m_softKeyboard = nullptr;
    finishSignature(false);
}

void Canvas::loginOut()
{
    for (SignItem* item : m_signItemVec)
        item->close();
    m_signItemVec.clear();
    _privateCanvas->setCursor(Qt::ArrowCursor);
    _mAction = MA_Drag;
    _dragStartPending = true;
    setPrivateCursor(3, false);
    emit setFinishBtnDisable(true);
}

// ---- contract and authorisation seal items ----------------------------------------------------------

void Canvas::placeContractItem()
{
    m_loading->hide();
    const SealDrop drop = m_sealDrop;
    if (drop.page < 1)
    {
        finishSignature(false);
        return;
    }
    NetWorkBusiness* client = NetWorkBusiness::Instance();
    SignItem* item = nullptr;
    if (m_sealSource == SS_Key)
    {
        QString id;
        if (!client->keyGetIdBus(m_deviceInfo.sealCode, id, nullptr, true))
            return;
        item = new SignItem(_dm, 1, _privateCanvas, false);
        connect(item, &SignItem::deleteSelf, this, &Canvas::deleteSignItem);
        const KeyContainInfo& key = m_deviceInfo;
        // The point on the screen now: the service was awaited since the click.
        const QPoint at = _dm->CvtToScreen(drop.page, drop.center, true).toPoint();
        item->addSignature(at, key.sealImageData, key.sealImageWidth, key.sealImageHeight, key.certData, key.certSn,
                           key.sealName, key.sealCode, key.sealUnitName, key.sealrecordUnitName, key.sealrecordTime,
                           id);
        item->show();
        item->setSigner(key.sealUnitName);
        m_signItemVec.append(item);
    }
    else if (m_sealSource == SS_Cloud)
    {
        item = new SignItem(_dm, 2, _privateCanvas, false);
        connect(item, &SignItem::deleteSelf, this, &Canvas::deleteSignItem);
        QByteArray cert = client->getCert();
        if (cert.isEmpty() && !client->getMyCert(cert))
        {
            delete item;
            SetMouseState(MS_CloudSignature);
            _privateCanvas->update();
            return;
        }
        QString signer, sn;
        _dm->GetEngine()->ParserCert(cert, signer, sn);
        item->setSigner(signer);
        const QPoint at = _dm->CvtToScreen(drop.page, drop.center, true).toPoint();
        if (isPersonalSignature())
            item->addSignature(at, m_signInfo.imageData, m_signInfo.width, m_signInfo.height, cert, sn,
                               m_signInfo.name, QString(), QString(), QString(), QString(), m_signInfo.id);
        else
        {
            item->addSignature(at, m_sealInfo.imageData, m_sealInfo.width, m_sealInfo.height, cert, sn,
                               m_sealInfo.name, m_sealInfo.sealCode, m_sealInfo.sealUnitName,
                               m_sealInfo.sealRecordUnitName, recordTimeText(m_sealInfo.sealRecordTime),
                               m_sealInfo.id);
            const BusinessInfo* user = client->getBusinessInfo();
            if (user && user->userType == 0)
                item->setIsAuthSeal(true);
        }
        item->show();
        m_signItemVec.append(item);
    }
    if (item)
    {
        // The list hears of the item once the placement has ended; an item removed meanwhile
        // is not reported.
        QPointer<SignItem> placed(item);
        QTimer::singleShot(100, this, [this, placed] {
            if (placed)
                emit addSignatureList(1, QVariant::fromValue(placed.data()));
        });
    }
    finishSignature(true);
    if (!m_signItemVec.isEmpty())
        emit setFinishBtnDisable(false);
}

void Canvas::addAuthSealToPdf(const QPoint& po, const QByteArray& imgByte, double w, double h)
{
    SignItem* item = new SignItem(_dm, 2, _privateCanvas, true);
    item->addSignature(po, imgByte, w, h, QByteArray(), QString(), QString(), QString(), QString(), QString(),
                       QString(), QString());
    item->show();
    m_signItemVec.append(item);
}

int Canvas::finishSignFlow(QByteArray& fileArray, QWidget* loading, QString docName, CloudSignMode cloudMode,
                           QString contractId, QString contractJoinUserId, QByteArray fileByteArr,
                           bool onBehalfOfCompany)
{
    if (!_dm)
        return -1;
    auto hideLoading = [loading] {
        if (loading)
            loading->hide();
    };
    if (cloudMode != CSM_Sign_And_Start && cloudMode != CSM_Sign_Waitme)
    {
        if (cloudMode != CSM_Only_Start)
            return -1;
        if (!m_signItemVec.isEmpty())
        {
            hideLoading();
            MMessageBox::showInformation(g_topWidget, appTitle(), QStringLiteral("发起模式不能添加签名！"), kBoxSize,
                                         QDialogButtonBox::Ok, QDialogButtonBox::NoButton);
            return -1;
        }
        const int ret = _dm->GetEngine()->SaveAs(fileArray, 1);
        if (ret != 0)
        {
            hideLoading();
            msgSignError(ret);
        }
        return ret;
    }
    if (m_signItemVec.isEmpty())
    {
        hideLoading();
        MMessageBox::showInformation(g_topWidget, appTitle(), QStringLiteral("请添加您的签名！"), kBoxSize,
                                     QDialogButtonBox::Ok, QDialogButtonBox::NoButton);
        return -1;
    }

    m_isEngine = false;
    for (SignItem* item : m_signItemVec)
        if (!item->getT().isEmpty())
            m_isEngine = true;
    PdfEngine* viewEngine = _dm->GetEngine();
    std::unique_ptr<PdfEngine> fresh;
    int opened = 0;
    if (!viewEngine->FileName().isEmpty())
    {
        fresh.reset(new PdfEngine());
        opened = fresh->Load(viewEngine->FileName(), false, nullptr);
    }
    else if (cloudMode == CSM_Sign_Waitme || !fileByteArr.isEmpty())
    {
        // The contract's stored bytes: the view's own document is never signed in place.
        fresh.reset(new PdfEngine());
        opened = fresh->LoadStream(fileByteArr, nullptr);
    }
    else if (m_isEngine)
    {
        QByteArray current;
        opened = viewEngine->SaveAs(current, 1);
        if (opened == 0)
        {
            fresh.reset(new PdfEngine());
            opened = fresh->LoadStream(current, nullptr);
        }
    }
    if (opened != 0)
    {
        hideLoading();
        msgSignError(opened);
        return -2;
    }
    PdfEngine* engine = fresh ? fresh.get() : viewEngine;
    if (fresh)
        fresh->CutOutPages();

    NetWorkBusiness* client = NetWorkBusiness::Instance();
    const BusinessInfo* user = client->getBusinessInfo();
    const bool personalUser = user && user->userType == 0;
    // Cloud items sign with the account's certificate as it is now. One placed before the
    // certificate was renewed still carries the certificate that ran out, for which the service
    // no longer signs: it takes the current one (fetched as a placement fetches it).
    QByteArray current;
    for (SignItem* item : m_signItemVec)
    {
        if (item->getSinType() != 2 || g_cerData.isEmpty() || item->cert() == g_cerData)
            continue;
        if (current.isEmpty() && (!client->getMyCert(current) || current.isEmpty()))
        {
            hideLoading();
            return -2;
        }
        if (item->cert() != current)
        {
            QString signer, sn;
            engine->ParserCert(current, signer, sn);
            item->setCertificate(current, sn);
        }
    }
    for (SignItem* item : m_signItemVec)
    {
        const QRectF r = item->pdfRect();
        const QPoint centre = r.center().toPoint();
        ToolSignatureInfo info;
        int code = -1;
        const QString field = engine->AddSignature(
            item->pageNo(), centre, item->sealImageData(), item->imageSize().width(), item->imageSize().height(),
            item->cert(), item->certSn(), docName, item->sealName(), item->sealCode(), item->sealUnitName(),
            item->sealrecordUnitName(), item->sealRecordTime(), info, QStringLiteral("ksign"), code, 0, 1.0f);
        if (code != 0 || field.isEmpty())
        {
            hideLoading();
            MMessageBox::showError(g_topWidget, QStringLiteral("签署错误"),
                                   QStringLiteral("签署错误，错误编码:") + QString::number(code), kBoxSize,
                                   QDialogButtonBox::Ok, QDialogButtonBox::NoButton);
            return -2;
        }
        item->setT(field);
        const QString signTime = engine->getSignatureTime(item->sealCode(), item->pageNo());
        // A person's own signature is a "sign"; a company's seal, a seal authorised by a company
        // and anything done on a company's behalf is a "seal".
        const bool ownSignature = personalUser && !onBehalfOfCompany && !item->isAuthSeal();
        const QPoint top = item->pdfTopPos();
        if (!client->addContractSeal(contractId, contractJoinUserId, 0, item->sealId(),
                                     ownSignature ? NetWorkBusiness::ntst_sign : NetWorkBusiness::ntst_seal,
                                     item->pageNo() - 1, top.y(), top.x(), item->certSn(), signTime, loading))
            return -2;
    }
    const int ret = engine->SaveAs(fileArray, 1);
    if (ret == 0)
        return 0;
    hideLoading();
    msgSignError(ret);
    return ret;
}

// ---- verification ---------------------------------------------------------------------------------

void Canvas::verifySignature(vq_signature* annot)
{
    if (!_dm || !annot)
        return;
    PdfEngine* engine = _dm->GetEngine();
    const int ret = engine->DocumentIsCanSign();
    if (ret != 0)
    {
        VerifySignatureDialog dialog(nullptr);
        dialog.setFrameDecoratorHide(true);
        dialog.setFrameShape(true);
        dialog.setError(ret);
        dialog.exec();
        return;
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    int vcode = -1, docRet = -1, tsaRet = -1, certRet = -1;
    QString signer, signTime;
    QByteArray certData, tsCert, tsTime;
    engine->VerifySinature(annot, vcode, docRet, tsaRet, certRet, signer, certData, signTime, tsCert, tsTime, true);
    QString docName, sealCode, sealUnitName, sealRecordUnitName, sealRecordTime;
    engine->getSignatureSealData(annot, docName, sealCode, sealUnitName, sealRecordUnitName, sealRecordTime);
    QApplication::restoreOverrideCursor();

    VerifySignatureDialog dialog(nullptr);
    dialog.setFrameDecoratorHide(true);
    dialog.setFrameShape(true);
    if (vcode > 1)
        dialog.setError(vcode);
    else if (tsaRet == -1 || tsaRet == 0 || tsaRet == 6001)
    {
        if (fileType != 0)
            docName = m_docName;
        dialog.docVerifyResult(docRet, docName, signTime, certData, signer);
        dialog.certVerifyResult(certRet);
        dialog.timestapVerifyResult(tsaRet, tsCert, tsTime);
        dialog.sourceInfo(sealUnitName, sealRecordUnitName, sealRecordTime);
        dialog.result(0);
        dialog.resizeInterface();
    }
    else
        dialog.result(tsaRet == 40000 ? 40000 : 1);
    dialog.exec();
}

void Canvas::verifySignatureByName(QString name)
{
    if (!_dm)
        return;
    if (vq_signature* signature = _dm->GetEngine()->getSignatureByName(name))
        verifySignature(signature);
}

// ---- deletion -------------------------------------------------------------------------------------

void Canvas::deleteSignature(int pageNo, vq_signature* signature)
{
    if (!_dm || !signature)
        return;
    PdfEngine* engine = _dm->GetEngine();
    const QString tag = engine->GetSignatureCustom(signature);
    const int version = engine->SignatureVersion(signature);
    if (version < 1 || version > 3)
    {
        showWarningBox(QStringLiteral("不支持的签名类型！"));
        return;
    }
    QString sealCode;
    if (version == 1)
        sealCode = versionOneSealCode(engine, signature);
    else
        engine->getSealcode(signature, sealCode);

    if (tag == QLatin1String("psign"))
    {
        const BusinessInfo* user = NetWorkBusiness::Instance()->getBusinessInfo();
        if (!user)
        {
            showWarningBox(QStringLiteral("您目前还未登录，请登录"));
            return;
        }
        bool accepted = false;
        {
            DeleteSignatureDialog dialog(1, QString(), user->userName, g_topWidget);
            accepted = dialog.exec() == QDialog::Accepted;
        }
        if (accepted)
            removeSignature(pageNo, signature);
    }
    else if (tag == QLatin1String("ksign"))
    {
        const QMap<QString, KeyContainInfo> keys = DeviceBussiness::Instance()->getKeyContainInfoMap();
        if (keys.isEmpty())
        {
            showWarningBox(QStringLiteral("请插入电子密钥盘！"));
            return;
        }
        m_readKeyloading->show();
        m_keyScan = QtConcurrent::run([this, keys, pageNo, signature, sealCode] {
            readSealData(keys, pageNo, signature, sealCode);
        });
    }
}

void Canvas::readSealData(QMap<QString, KeyContainInfo> keyInfoMap, int pageNo, vq_signature* signature,
                          QString sealCode)
{
    DeviceBussiness* registry = DeviceBussiness::Instance();
    for (auto it = keyInfoMap.cbegin(); it != keyInfoMap.cend(); ++it)
        if (!it.value().readed)
        {
            KeyContainInfo record;
            registry->readKeyContainInfo(it.value().deviceName, record);
        }
    emit finishReadusbKey(pageNo, signature, sealCode);
}

void Canvas::finishReadusbKey_Slot(int pageNo, void* signature, QString sealCode)
{
    m_readKeyloading->hide();
    const QMap<QString, KeyContainInfo> keys = DeviceBussiness::Instance()->getKeyContainInfoMap();
    const QString wanted = sealCode.trimmed();
    for (auto it = keys.cbegin(); it != keys.cend(); ++it)
    {
        if (it.value().sealCode.trimmed() != wanted)
            continue;
        bool accepted = false;
        {
            DeleteSignatureDialog dialog(0, it.value().deviceName, it.value().sealName, g_topWidget);
            accepted = dialog.exec() == QDialog::Accepted;
        }
        if (accepted)
            removeSignature(pageNo, static_cast<vq_signature*>(signature));
        return;
    }
    showWarningBox(QStringLiteral("请插入对应的电子密钥盘！"));
}

void Canvas::removeSignature(int pageNo, vq_signature* signature)
{
    PdfEngine* engine = _dm->GetEngine();
    // A file that cannot be written is refused before the document is touched.
    if (!engine->DocumentIsWriteAble())
    {
        showErrorBox(QStringLiteral("删除签名失败！文档被占用！"));
        return;
    }
    const QString field = engine->getSignatureT(signature);
    engine->DeleteSinature(pageNo, signature);
    const int ret = engine->Save();
    if (_RenderCache)
        _RenderCache->Invalidate(_dm, pageNo, QRectF(0, 0, 600, 800));
    _privateCanvas->update();
    if (ret != 0)
    {
        // The file keeps the signature: the open document takes it back from the file's bytes
        // (a later save must not write a deletion the user was told failed), and the list
        // keeps its row.
        engine->DiscardChanges();
        if (_RenderCache)
            _RenderCache->Invalidate(_dm, pageNo, QRectF(0, 0, 600, 800));
        if (ret == VQ_FILE_IS_BUSY)
            showErrorBox(QStringLiteral("删除签名失败！文档被占用！"));
        else if (!PdfEngine::saveCodeText(ret).isEmpty())
            showErrorBox(QStringLiteral("删除签名失败！") + PdfEngine::saveCodeText(ret));
        else
            showErrorBox(QStringLiteral("删除签名失败！文件保存失败（错误编码:%1）！").arg(ret));
        return;
    }
    emit deleteSignatureList(0, field);
    emit updateMenu(engine->DocumentSignatureCount() > 0);
}

void Canvas::deleteItemSignature(QString uuid)
{
    for (int i = m_signItemVec.size() - 1; i >= 0; --i)
        if (m_signItemVec[i]->uuid() == uuid)
        {
            SignItem* item = m_signItemVec[i];
            m_signItemVec.remove(i);
            item->close();
        }
    if (m_signItemVec.isEmpty())
        emit setFinishBtnDisable(true);
}
