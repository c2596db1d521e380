#include "NetWorkBusiness.h"

#include "CLog.h"
#include "GlobalHeader.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QHttpMultiPart>
#include <QMutexLocker>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QSettings>
#include <QSslConfiguration>
#include <QSslSocket>
#include <QThread>
#include <QWidget>

#include <limits>
#include <memory>

namespace {

const char* const kLogFile = "src/NetWorkBusiness";
const char* const kCancelledProperty = "orvCancelled";
constexpr int kSuccess = 10000;

QString serverStoppedText()
{
    return QStringLiteral("服务器已停止服务，请稍后再试！");
}

// Request paths by id; null for the ids without one.
const char* const kRequestPaths[] = {
    "/eseal-usermanage/login", // 0 bt_login
    "/eseal-usermanage/sms/function/sendAuthCode", // 1 bt_smsno_updatepassword
    "/eseal-usermanage/sms/function/sendCode/toContactPhoneOrEmail", // 2 bt_smsno_findpassword
    "/eseal-usermanage/sms/function/sendAuthCode", // 3 bt_smsno_verfiyphone
    "/eseal-usermanage/sms/sendByPhone", // 4 bt_smsno_modifyphone
    "/eseal-usermanage/logout", // 5 bt_logout
    "/eseal-usermanage/user/updatePassWord", // 6 bt_updatepassword
    "/eseal-usermanage/user/forgetPassWord", // 7 bt_findpassword
    "/eseal-usermanage/user/verifyAuthenPhone", // 8 bt_verifyphone
    "/eseal-usermanage/user/update/contactPhone", // 9 bt_modifyphone
    "/eseal-signature/digestSign/getDigestSignInfo", // 10 bt_sign
    "/tarvik-serve-manage-wexo/function/send/sign-security-code", // 11 bt_verifsign
    "/eseal-signature/timeStamp/timeStampVerify", // 12 bt_verifytsa
    "/tarvik-serve-manage-wexo/contract/query/about/me", // 13 bt_querycontractaboutme
    "/tarvik-contract/query/contract", // 14 bt_querycontract
    "/tarvik-serve-manage-wexo/query/list/group/contract-join-user", // 15 bt_querycontractjoinuser
    "/eseal-seal/contract-seal/companySeal", // 16 bt_getmyseal
    "/eseal-signature/certInfo/getFileIdByUser", // 17 bt_getmycert
    "/eseal-usermanage/contacts/query/list", // 18 bt_getmylinkman
    "/eseal-meal/centreBalanceController/getUserId", // 19 bt_getmypackage
    "/eseal-contract-template/default-template/dfQuery", // 20 bt_gettemplate
    "/eseal-contract-template/contract-template/userQuery", // 21 bt_getmytemplate
    "/eseal-file/file/getFileName", // 22 bt_getfileurl
    "/eseal-usermanage/contacts/add", // 23 bt_addlinkman
    "/tarvik-contract/contract/detail/add", // 24 bt_addcontractSeal
    "/tarvik-serve-manage-wexo/local/function/get/contract-mark", // 25 bt_getcontractmark
    "/tarvik-serve-manage-wexo/local/function/delete/contract-mark", // 26 bt_deletecontractmark
    "/tarvik-serve-manage-wexo/local/function/affirm/contract", // 27 bt_makecontractsign
    "/tarvik-contract/contract/user/add", // 28 bt_contracadduser
    "/tarvik-contract/update/contract", // 29 bt_updatecontract
    "/tarvik-contract/add/contract-join-user/list", // 30 bt_batchaddcontractUser
    "/eseal-usermanage/contacts/add/signatory", // 31 bt_adddcontractsignatory
    "/eseal-file/file/getToken", // 32 bt_getfiletoken
    "/eseal-seal/contract-seal/update/status", // 33 bt_syncuserseal
    "/eseal-seal/contract-seal/query/sealShow", // 34 bt_queryusersealstatus
    nullptr, // 35 bt_uploadfile
    "/eseal-usermanage/contacts/delete", // 36 bt_dellinkman
    "/eseal-usermanage/contacts/update", // 37 bt_modifylinkman
    "/eseal-usermanage/user/query/baseUserInfo", // 38 bt_baseuserInfo
    "/eseal-file/file/sealFileUpload", // 39 bt_sealimgUpload
    "/eseal-seal/contract-seal/add/seal", // 40 bt_addSeal
    "/eseal-usermanage/contacts/queryPage", // 41 bt_getpagesmylinkman
    "/eseal-meal/query/list/meal", // 42 bt_buymealinfo
    "/tarvik-serve-manage-wexo/function/buy/meal", // 43 bt_buyMeal
    "/eseal-pay/functron/createPayQr", // 44 bt_createPayQr
    "/eseal-pay/query/payStatus", // 45 bt_payStatus
    "/eseal-order/appOrderController/queryEntity", // 46 bt_personageOrderStatus
    "/eseal-pay/functron/ECertOrder", // 47 bt_certOrderStatus
    "/eseal-usermanage/user/updateUser", // 48 bt_registerPerson
    "/tarvik-serve-manage-wexo/contract/delete", // 49 bt_delcontract
    "/tarvik-serve-manage-wexo/function/remind-user-sign-contract", // 50 bt_remindsign
    "/tarvik-serve-manage-wexo/contract/refuse/sign", // 51 bt_refusesign
    "/tarvik-serve-manage-wexo/function/check/sign-security-code", // 52 bt_checkSignSecurity
    "/tarvik-serve-manage-wexo/contract/query/about/me/paging", // 53 bt_querycontractaboutmePage
    "/tarvik-serve-manage-wexo/contract-seal/userSeal", // 54 bt_getpermyseal
    "/eseal-seal/contract-seal/query/companycertification", // 55 bt_companycertification
    "/eseal-seal/contract-seal/delete", // 56 bt_delOnLineSeal
    "/eseal-contract-signature/contract-signature/usersignature", // 57 bt_usersignature
    "/eseal-file/file/upLoad", // 58 bt_fileUpLoad
    "/eseal-usermanage/sms/function/sendCodebyContact", // 59 bt_verfiyphone_CodebyContact
    "/eseal-usermanage/user/verifyContactPhone", // 60 bt_verifyContactPhone
    "/eseal-usermanage/sms/function/sendByPhoneCode", // 61 bt_sendByPhoneCode
    "/eseal-seal/contract-seal/query/certificationFailure", // 62 bt_certificationFailure
    "/tarvik-serve-manage-wexo/function/create/qrcode", // 63 bt_createQrcode
    "/eseal-contract-signature/contract-signature/delete", // 64 bt_deleteSign
    "/tarvik-serve-manage-wexo/function/apply-for-sign", // 65 bt_apply_for_sign
    "/tarvik-contract/function/batch-add/contract-detail", // 66 bt_contract_detail
    "/eseal-file/file/updateFile", // 67 bt_updateFile
    "/tarvik-contract/update/contract-user", // 68 bt_contract_user
    "/tarvik-contract/delete/contract-join-user/list", // 69 bt_delete_contract_join_user
    "/eseal-file/file/update/VerUpdate", // 70 bt_VerUpdate
    "/eseal-menhu/feedback/save", // 71 bt_feedback
    "/eseal-order/appOrderController/pageOrderStatus", // 72 bt_getmypackageOrder
    "/eseal-order/delete/upStatus", // 73 bt_deleteOrderList
    "/eseal-meal/centreBalanceController/queryPage", // 74 bt_myPackageOrderLiat
    "/eseal-order/functron/query/queryRegion", // 75 bt_queryRegion
    "/eseal-order/functron/queryDetails/Invoice", // 76 bt_queryBillDetails
    "/eseal-order/functron/add/Invoice", // 77 bt_addInvoice
    "/eseal-order/functron/sendInvoiceEmail/Invoice", // 78 bt_sendInvoiceEmail
    "/eseal-auth/authorize/queryPage", // 79 bt_authorizeQueryPage
    "/tarvik-serve-manage-wexo/function/issue/seal-auth", // 80 bt_sealAuth
    "/eseal-seal/contract-seal/page/companySeal/", // 81 bt_queryPageSeals
    "/tarvik-serve-manage-wexo/function/check-qualification/seal-auth", // 82 bt_checkQualification
    "/tarvik-contract/contract/getDetails", // 83 bt_contractGetDetails
    "/eseal-auth/authorize/checkUserDuplicateAuth", // 84 bt_checkUserDuplicateAuth
    "/eseal-auth/authorize/queryAuthDetailById", // 85 bt_queryAuthDetailById
    "/tarvik-serve-manage-wexo/function/send/auth-security-code", // 86 bt_authSecurityCode
    "/tarvik-serve-manage-wexo/function/affirm/seal-auth", // 87 bt_affirmSealAuth
    "/tarvik-serve-manage-wexo/function/terminate/seal-auth", // 88 bt_terminateSealAuth
    "/tarvik-serve-manage-wexo/function/accept/seal-auth", // 89 bt_acceptSealAuth
    "/tarvik-serve-manage-wexo/function/refuse/seal-auth", // 90 bt_refuseSsealAuth
    "/eseal-auth/authorize/getAuthAvailableCompany", // 91 bt_getAuthAvailableCompany
    "/tarvik-serve-manage-wexo/query/auth-seal", // 92 bt_queryAuthSeal
    "/tarvik-serve-manage-wexo/contract/affirm/sign", // 93 bt_affirmSign
    "/tarvik-serve-manage-wexo/contract/add", // 94 bt_contractAdd
    "/tarvik-serve-manage-wexo/contract/issue", // 95 bt_contractIssue
    "/tarvik-serve-manage-wexo/function/batch-sign/contract", // 96 bt_batchSignContract
    "/tarvik-serve-manage-wexo/function/uk-sign/contract", // 97 bt_batchSignContract_key
    "/eseal-seal/contract-seal/get/keyGetId", // 98 bt_keyGetId
    "/tarvik-contract/contract/getDetails", // 99 bt_getContractDetails
    "/tarvik-contract/delete/contract/detail", // 100 bt_clearContractDetails
    "/eseal-usermanage/token/checkToken", // 101 bt_checkToken
    "/eseal-signature/currentTime/getCurrentTime", // 102 bt_getServerTime
    nullptr, // 103 bt_getNewCert
    "/eseal-usermanage/user/resetSignPassword", // 104 bt_resetSignPassword
    "/eseal-usermanage/user/updateSignPassword", // 105 bt_updateSignPassword
    "/eseal-usermanage/user/isSetSignPassword", // 106 bt_isSetSignPassword
    "/eseal-usermanage/user/checkSignPassword", // 107 bt_checkSignPassword
    "/eseal-file/admin/file/update/getUpdatePackage", // 108 bt_getUpdatePackage
};
constexpr int kRequestCount = int(sizeof kRequestPaths / sizeof kRequestPaths[0]);
static_assert(kRequestCount == NetWorkBusiness::bt_getUpdatePackage + 1, "one path per request id");

bool isMultipartUpload(int id)
{
    return id == NetWorkBusiness::bt_sealimgUpload || id == NetWorkBusiness::bt_fileUpLoad ||
           id == NetWorkBusiness::bt_updateFile;
}

bool isAnonymous(int id)
{
    return id == NetWorkBusiness::bt_login || id == NetWorkBusiness::bt_smsno_findpassword ||
           id == NetWorkBusiness::bt_findpassword || id == NetWorkBusiness::bt_verifytsa ||
           id == NetWorkBusiness::bt_feedback || id == NetWorkBusiness::bt_getServerTime;
}

// The document as indented JSON with its secrets masked.
QString maskedJson(const QJsonDocument& doc)
{
    return doc.isNull() ? QString() : CLog::maskSecrets(doc.toJson());
}

int envelopeCode(const QJsonObject& o)
{
    const QJsonValue v = o.value("code");
    return v.isDouble() ? v.toInt() : 0;
}

double g_durationScale = 1.0;

} // namespace

// ---------------------------------------------------------------------------------------------

QString buildUrl(QString ip, QString bussiness, bool https)
{
    return (https ? QStringLiteral("https://") : QStringLiteral("http://")) + ip + bussiness;
}

QString buildFileUrl(QString ip, QString bussiness)
{
    return QStringLiteral("http://") + ip + bussiness;
}

QString networkFailureText()
{
    return QStringLiteral("网络连接失败，请检查您的网络链接或重试！");
}

void setBusyBox(QWidget* box, bool visible)
{
    if (!box)
        return;
    if (QThread::currentThread() == box->thread()) {
        visible ? box->show() : box->hide();
        return;
    }
    QPointer<QWidget> guard(box);
    QMetaObject::invokeMethod(
        box,
        [guard, visible] {
            if (guard)
                visible ? guard->show() : guard->hide();
        },
        Qt::QueuedConnection);
}

QHttpPart formTextPart(const char* name, const QString& text)
{
    QHttpPart part;
    part.setRawHeader("Content-Disposition", QByteArray("form-data; name=\"") + name + "\"");
    part.setBody(text.toUtf8());
    return part;
}

// ---------------------------------------------------------------------------------------------
// Watchdog

QReplyTimeOut::QReplyTimeOut(QNetworkReply* reply, const int timeout)
    : QObject(reply)
{
    if (reply && reply->isRunning()) {
        timer.setSingleShot(true);
        timer.setInterval(scaled(timeout));
        connect(&timer, &QTimer::timeout, this, &QReplyTimeOut::onTimeout);
        timer.start();
    }
}

void QReplyTimeOut::setDurationScale(double scale)
{
    g_durationScale = scale > 0 ? scale : 1.0;
}

double QReplyTimeOut::durationScale()
{
    return g_durationScale;
}

int QReplyTimeOut::scaled(int milliseconds)
{
    return qMax(1, int(milliseconds * g_durationScale));
}

void QReplyTimeOut::onTimeout()
{
    // Only abort: the reply finishes with OperationCanceledError and an empty body, and the call
    // that owns it reads and releases it.
    auto* reply = qobject_cast<QNetworkReply*>(parent());
    if (reply && reply->isRunning())
        reply->abort();
}

// ---------------------------------------------------------------------------------------------
// Operation description

ServiceCall::ServiceCall(int requestId, const QString& operationName, const char* function_, int line_)
    : id(requestId)
    , name(operationName)
    , function(function_)
    , line(line_)
{
    setJson(QJsonObject());
}

void ServiceCall::setJson(const QJsonObject& object)
{
    body = QJsonDocument(object).toJson();
}

void ServiceCall::setJsonArray(const QJsonArray& array)
{
    body = QJsonDocument(array).toJson();
}

void ServiceCall::setEmptyBody()
{
    body.clear();
}

void ServiceCall::setOneValue(const QString& label, const QString& key, const QString& value, QWidget* busyBox)
{
    startText = QString("---------%1请求开始(入参：%2%3)----------").arg(name, label, value);
    setJson(QJsonObject{{key, value}});
    loading = busyBox;
}

void ServiceCall::setPaged(const QJsonObject& entity, const QJsonObject& page)
{
    setJson(QJsonObject{{"entity", entity}, {"pageBean", page}});
}

QJsonObject ServiceCall::pageBean(int pageNum, int pageSize, const QJsonObject& extra)
{
    if (pageNum == 0)
        return QJsonObject();
    QJsonObject page = extra;
    page.insert("pageNum", pageNum);
    page.insert("pageSize", pageSize);
    return page;
}

// ---------------------------------------------------------------------------------------------
// Object and lifetime

NetWorkBusiness* NetWorkBusiness::m_pInstance = nullptr;
NetWorkBusiness::GC NetWorkBusiness::gc;

NetWorkBusiness* NetWorkBusiness::Instance(QObject* parent)
{
    if (!m_pInstance) {
        m_pInstance = new NetWorkBusiness(parent);
        // Released while the application object still exists, so that the access manager goes
        // with it; the collector covers a process without one.
        if (QCoreApplication::instance())
            qAddPostRoutine(&NetWorkBusiness::destroyInstance);
    }
    return m_pInstance;
}

void NetWorkBusiness::destroyInstance()
{
    delete m_pInstance;
    m_pInstance = nullptr;
}

NetWorkBusiness::GC::~GC()
{
    // The logout at exit is sent by the main window while it closes; no event loop runs here.
    destroyInstance();
}

NetWorkBusiness::NetWorkBusiness(QObject* parent)
    : QObject(parent)
    , m_strIP(defaultServiceAddress())
{
    netWork = new QNetworkAccessManager;
    m_businessInfo = new BusinessInfo;
    m_exePath = applicationConfigPath();
    initErrorList();
    m_strIP = readServiceAddress(m_exePath);
}

NetWorkBusiness::~NetWorkBusiness()
{
    delete netWork;
    delete m_businessInfo;
}

QString NetWorkBusiness::defaultServiceAddress()
{
    return QStringLiteral("api.eseal.telvar.cn/v2");
}

QString NetWorkBusiness::readServiceAddress(const QString& iniPath)
{
    QSettings settings(iniPath, QSettings::IniFormat);
    const QByteArray value = settings.value("Config/i").toByteArray();
    if (value.isEmpty())
        return defaultServiceAddress();
    return QString::fromUtf8(QByteArray::fromBase64(value));
}

QByteArray NetWorkBusiness::readServiceCaCertificates(const QString& iniPath)
{
    QSettings settings(iniPath, QSettings::IniFormat);
    const QString name = settings.value("Config/ca").toString();
    if (name.isEmpty())
        return QByteArray();
    QFile file(QFileInfo(iniPath).dir().absoluteFilePath(name));
    // A CA list is a few certificates: anything larger is no CA list.
    if (!file.open(QIODevice::ReadOnly) || file.size() > (1 << 20))
        return QByteArray();
    return file.readAll();
}

int NetWorkBusiness::sendOneValue(ServiceCall& description, const QString& label, const QString& key,
                                  const QString& value, QWidget* loading)
{
    description.setOneValue(label, key, value, loading);
    return call(description).ok() ? 1 : 0;
}

void NetWorkBusiness::log(const char* function, int line, const QString& text, const QString& prefix)
{
    CLog::writeLogs(kLogFile, line, QString::fromUtf8(function), text, prefix);
}

// ---------------------------------------------------------------------------------------------
// Request building

const char* NetWorkBusiness::requestPath(int btType)
{
    return btType >= 0 && btType < kRequestCount ? kRequestPaths[btType] : nullptr;
}

void NetWorkBusiness::getBusinessRequest(int btType, QNetworkRequest& request)
{
    // Every request verifies the service's certificate against the trust store: requests carry
    // passwords, tokens, SMS codes and digests to be signed.
    QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
    tls.setPeerVerifyMode(QSslSocket::VerifyPeer);
    tls.setProtocol(QSsl::TlsV1_2);
    request.setSslConfiguration(tls);

    const char* path = requestPath(btType);
    if (!path)
        return;
    if (btType == bt_smsno_updatepassword || btType == bt_smsno_findpassword || btType == bt_smsno_verfiyphone ||
        btType == bt_verifsign)
        templateId = QStringLiteral("0000000033");
    request.setUrl(QUrl(buildUrl(m_strIP, QString::fromLatin1(path), true), QUrl::TolerantMode));
    if (!isMultipartUpload(btType))
        request.setHeader(QNetworkRequest::ContentTypeHeader, "application/json");
    if (!isAnonymous(btType)) {
        // Without a session the header is sent empty.
        QByteArray token = sessionToken().toLocal8Bit();
        request.setRawHeader("token", token.isNull() ? QByteArray("") : token);
    }
}

// ---------------------------------------------------------------------------------------------
// The synchronous request cycle

ServiceReply NetWorkBusiness::call(const ServiceCall& c)
{
    const bool guiThread = QThread::currentThread() == thread();
    log(c.function, c.line, c.startText.isEmpty() ? "---------" + c.name + "请求开始----------" : c.startText,
        c.startPrefix);
    if (c.busy == ServiceCall::ShownAndHidden || c.busy == ServiceCall::ShownHiddenOnFailure)
        setBusyBox(c.loading, true);
    if (guiThread)
        httpRequestAborted = false;

    QNetworkRequest request;
    getBusinessRequest(c.id, request);
    if (c.url.isValid())
        request.setUrl(c.url);

    // Worker threads never touch the shared manager: it belongs to the GUI thread.
    std::unique_ptr<QNetworkAccessManager> own;
    QNetworkAccessManager* manager = netWork;
    if (c.ownManager || !guiThread) {
        own.reset(new QNetworkAccessManager);
        manager = own.get();
    }
    QNetworkReply* r = nullptr;
    if (c.method == "GET")
        r = manager->get(request);
    else if (c.multipart) {
        r = manager->post(request, c.multipart);
        c.multipart->setParent(r);
    } else
        r = manager->post(request, c.body);
    new QReplyTimeOut(r, c.timeoutMs);

    // This call keeps its own reply for the whole wait; calls nested in the wait have theirs.
    QEventLoop loop;
    connect(r, &QNetworkReply::finished, &loop, &QEventLoop::quit,
            c.queuedFinish ? Qt::QueuedConnection : Qt::AutoConnection);
    if (!r->isFinished()) {
        if (guiThread)
            ++m_guiCallsWaiting;
        loop.exec(QEventLoop::ExcludeUserInputEvents);
        if (guiThread)
            --m_guiCallsWaiting;
    }
    // The wait also ends when the application quits; a reply still running then counts as none.
    if (!r->isFinished())
        r->abort();

    ServiceReply out;
    out.body = r->readAll();
    out.transportError = int(r->error());
    out.httpStatus = r->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    delete r;   // the wait is over and nothing else refers to it (the watchdog goes with it)
    own.reset();

    QString tail;
    if (!out.body.isEmpty()) {
        out.document = QJsonDocument::fromJson(out.body);
        out.object = out.document.object();
        tail = maskedJson(out.document);
    }
    if (out.object.isEmpty()) {
        // No answer, or one that is no envelope at all (an error page of a proxy, a JSON array,
        // an empty object): the service was not reached as it should be, so it fails like a
        // lost connection instead of with a code nobody can tell apart from a real one.
        out.code = 4;
        out.msg = c.emptyBodyText.isEmpty() ? networkFailureText() : c.emptyBodyText;
        if (out.body.isEmpty())
            tail = maskedJson(QJsonDocument::fromJson(c.body));
    } else {
        out.code = envelopeCode(out.object);
        const QJsonValue msg = out.object.value("msg");
        out.msg = msg.isString() ? msg.toString() : QString();
        out.data = out.object.value("data");
    }
    log(c.function, c.line,
        (c.endText.isEmpty() ? c.name + "请求结束返回-code=" : c.endText) + QString::number(out.code) + c.endSeparator + tail);

    const bool failed = out.code != kSuccess;
    if (c.busy == ServiceCall::ShownAndHidden || c.busy == ServiceCall::HiddenAfter ||
        (failed && (c.busy == ServiceCall::HiddenOnFailure || c.busy == ServiceCall::ShownHiddenOnFailure)))
        setBusyBox(c.loading, false);
    // The session state lives on the GUI thread: worker-thread calls report through their result.
    if (failed && c.errorSignal && guiThread && !c.silentCodes.contains(out.code))
        emit sendErroeCodeInfo(getNetCodeInfo(out.code), out.msg);
    return out;
}

// ---------------------------------------------------------------------------------------------
// Asynchronous calls

void NetWorkBusiness::sendAsync(int id, const QByteArray& body, const QString& startText, const char* function,
                                int line)
{
    log(function, line, startText, QStringLiteral("\n\n\n"));
    httpRequestAborted = false;
    QNetworkRequest request;
    getBusinessRequest(id, request);
    QNetworkReply* r = netWork->post(request, body);
    auto* watchdog = new QReplyTimeOut(r, 5000);
    reply = r;
    replyTimeout = watchdog;
    // The finish step gets this call's own reply and watchdog: a later call replaces the shared
    // members, never what this one reads.
    connect(r, &QNetworkReply::finished, this, [this, id, r, watchdog] { networkFinishd(id, r, watchdog); });
}

void NetWorkBusiness::cancelReply()
{
    httpRequestAborted = true;
    if (replyTimeout)
        replyTimeout->timer.stop();
    if (reply && reply->isRunning()) {
        reply->setProperty(kCancelledProperty, true);
        reply->abort();
    }
}

void NetWorkBusiness::networkFinishd(int type, QNetworkReply* r, QReplyTimeOut* watchdog)
{
    watchdog->timer.stop();
    if (reply == r) {
        reply = nullptr;
        replyTimeout = nullptr;
    }
    if (r->property(kCancelledProperty).toBool()) {
        r->deleteLater();
        return;
    }
    const int error = int(r->error());
    if (error != QNetworkReply::NoError) {
        emitError(type, error);
        r->deleteLater();
        return;
    }
    receiveNetworkJson(type, r);
}

void NetWorkBusiness::emitError(int type, int nError)
{
    const QString text = getErrorStr(nError);
    switch (type) {
    case bt_login: emit LoginError(text); break;
    case bt_smsno_updatepassword: emit smsNoUpdatepasswordError(0, text); break;
    case bt_smsno_findpassword: emit smsNoFindpasswordError(text); break;
    case bt_smsno_verfiyphone: emit smsNoVerifyPhoneError(0, text); break;
    case bt_smsno_modifyphone: emit smsNoModifyPhoneError(0, text); break;
    case bt_logout: emit logoutError(0, text); break;
    case bt_updatepassword: emit updatePassWordError(0, text); break;
    case bt_findpassword: emit findPassWordError(text); break;
    case bt_verifyphone: emit verifyPhoneError(0, text); break;
    case bt_modifyphone: emit modifyPhoneError(0, text); break;
    default: break;
    }
}

void NetWorkBusiness::receiveNetworkJson(int type, QNetworkReply* r)
{
    const QJsonDocument doc = QJsonDocument::fromJson(r->readAll());
    const QJsonObject o = doc.object();
    const int code = envelopeCode(o);
    const QString msg = o.value("msg").isString() ? o.value("msg").toString() : QString();
    const QString shown = msg.isEmpty() ? serverStoppedText() : msg;

    switch (type) {
    case bt_login:
        if (code == kSuccess) {
            m_userState = LOGINED;
            m_businessInfo->fillFromLogin(jsonText(o, "token"), o.value("data").toObject());
            setSessionToken(m_businessInfo->token);
            emit LoginSucc();
        } else
            emit LoginError(shown);
        break;
    case bt_smsno_updatepassword:
        code == 200 ? emit smsNoUpdatepasswordSucc() : emit smsNoUpdatepasswordError(code, msg);
        break;
    case bt_smsno_findpassword:
        code == kSuccess ? emit smsNoFindpasswordSucc(msg) : emit smsNoFindpasswordError(shown);
        break;
    case bt_smsno_verfiyphone:
        code == 200 ? emit smsNoVerifyPhoneSucc() : emit smsNoVerifyPhoneError(code, msg);
        break;
    case bt_smsno_modifyphone:
        code == 200 ? emit smsNoModifyPhoneSucc() : emit smsNoModifyPhoneError(code, msg);
        break;
    case bt_logout:
        if (code == kSuccess) {
            m_userState = UNLOGIN;
            clearBusinessInfo();
            emit logoutSucc();
        } else
            emit logoutError(code, shown);
        break;
    case bt_updatepassword:
        code == kSuccess ? emit updatePassWordSucc() : emit updatePassWordError(code, msg);
        break;
    case bt_findpassword:
        code == kSuccess ? emit findPassWordSucc() : emit findPassWordError(shown);
        break;
    case bt_verifyphone:
        code == kSuccess ? emit verifyPhoneSucc() : emit verifyPhoneError(code, msg);
        break;
    case bt_modifyphone:
        code == kSuccess ? emit modifyPhoneSucc() : emit modifyPhoneError(code, msg);
        break;
    default:
        break;
    }
    r->deleteLater();
    log(__FUNCTION__, __LINE__, "receiveNetworkJson返回-code=" + QString::number(code) + "\n返回json数据:" + maskedJson(doc));
    if (code >= 51000 && code <= 51003)
        emit sendErroeCodeInfo(getNetCodeInfo(code), msg);
}

// ---------------------------------------------------------------------------------------------
// Session

BusinessInfo* NetWorkBusiness::getBusinessInfo()
{
    return m_userState == LOGINED ? m_businessInfo : nullptr;
}

int NetWorkBusiness::getLoginState()
{
    return int(m_userState);
}

QString NetWorkBusiness::sessionToken() const
{
    QMutexLocker lock(&m_tokenMutex);
    return m_tokenSnapshot;
}

void NetWorkBusiness::setSessionToken(const QString& token)
{
    QMutexLocker lock(&m_tokenMutex);
    m_tokenSnapshot = token;
}

void NetWorkBusiness::clearBusinessInfo()
{
    m_businessInfo->clear();
    setSessionToken(QString());
}

int NetWorkBusiness::getNetCodeInfo(const int& code)
{
    int type = code > 0 ? 999 : -1;
    switch (code) {
    case 51001: type = 0; break;
    case 51002: type = 1; break;
    case 51000:
    case 51003: type = 2; break;
    default: return type;
    }
    m_userState = UNLOGIN;
    clearBusinessInfo();
    return type;
}

// ---------------------------------------------------------------------------------------------
// Operations of the session

void NetWorkBusiness::loginBusiness(QString userName, QString passWord, QString type)
{
    QJsonObject body;
    body.insert("clientType", "pc");
    body.insert("userAccount", userName);
    body.insert("userPassword", passWord);
    sendAsync(bt_login, QJsonDocument(body).toJson(),
              "---------loginBusiness请求开始（入参：userName-passWord-type:" + userName + CLog::mask(passWord) + type +
                  ")----------",
              __FUNCTION__, __LINE__);
}

void NetWorkBusiness::logoutBusiness()
{
    sendAsync(bt_logout, QByteArray(), QStringLiteral("---------logoutBusiness请求开始----------"), __FUNCTION__,
              __LINE__);
}

void NetWorkBusiness::logoutAtExit(int waitMs)
{
    if (m_userState != LOGINED)
        return;
    logoutBusiness();
    QPointer<QNetworkReply> pending = reply;
    if (!pending)
        return;
    QEventLoop loop;
    connect(pending.data(), &QNetworkReply::finished, &loop, &QEventLoop::quit, Qt::QueuedConnection);
    QTimer::singleShot(QReplyTimeOut::scaled(waitMs), &loop, &QEventLoop::quit);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
}

int NetWorkBusiness::checkTokenBus()
{
    ServiceCall c(bt_checkToken, "checkTokenBus");
    c.method = "GET";
    c.setEmptyBody();
    c.busy = ServiceCall::NeverShown;
    return call(c).ok() ? 1 : 0;
}

int NetWorkBusiness::getServerTime()
{
    ServiceCall c(bt_getServerTime, "getServerTime");
    c.errorSignal = false;
    c.busy = ServiceCall::NeverShown;
    const ServiceReply r = call(c);
    if (!r.ok() || !r.data.isObject() || r.dataObject().isEmpty())
        return 0;
    const QJsonValue now = r.dataObject().value("now");
    if (!now.isString())
        return 0;
    bool ok = false;
    const qlonglong seconds = now.toString().toLongLong(&ok);
    return ok && seconds >= 0 && seconds <= std::numeric_limits<int>::max() ? int(seconds) : 0;
}

// ---------------------------------------------------------------------------------------------
// Error texts

QString NetWorkBusiness::getErrorStr(int key)
{
    const QString text = errorMap.value(key);
    return text.isEmpty() ? QStringLiteral("未知错误") : text;
}

void NetWorkBusiness::initErrorList()
{
    errorMap.insert(1, QStringLiteral("远程服务器拒绝连接"));
    errorMap.insert(2, QStringLiteral("远程服务器过早地关闭了连接"));
    errorMap.insert(3, QStringLiteral("无效的服务器地址，请检查配置文件"));
    errorMap.insert(4, QStringLiteral("连接超时"));
    errorMap.insert(5, QStringLiteral("连接失败，连接超时，请查询您的网络"));
    errorMap.insert(6, QStringLiteral("连接失败，SSL/TLS握手失败，无法建立加密通道"));
    errorMap.insert(7, QStringLiteral("请求应重新提交，并将在重新建立连接后立即处理"));
    errorMap.insert(8, QStringLiteral("由于与网络断开连接或无法启动网络，导致连接中断"));
    errorMap.insert(9, QStringLiteral("由于平台策略，目前不允许后台请求"));
    errorMap.insert(10, QStringLiteral("在重定向之后，达到了最大限制"));
    errorMap.insert(11, QStringLiteral("在进行重定向时，网络访问API检测到从加密协议(https)到未加密协议(http)的重定向"));
    errorMap.insert(99, QStringLiteral("检测到一个未知的网络相关错误"));
    errorMap.insert(101, QStringLiteral("代理服务器不接受请求"));
    errorMap.insert(102, QStringLiteral("代理服务器在接收和处理整个回复之前过早地关闭了连接"));
    errorMap.insert(103, QStringLiteral("无效的代理主机名"));
    errorMap.insert(104, QStringLiteral("连接代理服务器超时"));
    errorMap.insert(105, QStringLiteral("代理需要身份验证来满足请求，但是不接受提供的任何凭据"));
    errorMap.insert(199, QStringLiteral("检测到未知的代理相关错误"));
    errorMap.insert(201, QStringLiteral("对远程内容的访问被拒绝"));
    errorMap.insert(202, QStringLiteral("不允许对远程内容请求操作"));
    errorMap.insert(203, QStringLiteral("服务器上没有找到远程内容"));
    errorMap.insert(204, QStringLiteral("远程服务器需要身份验证来提供内容，但是不接受提供的凭据"));
    errorMap.insert(205, QStringLiteral("需要再次发送请求，但是这个请求失败了"));
    errorMap.insert(206, QStringLiteral("由于与resourc的当前状态发生冲突，请求无法完成"));
    errorMap.insert(207, QStringLiteral("请求的资源在服务器上不再可用"));
    errorMap.insert(299, QStringLiteral("检测到与远程内容相关的未知错误"));
    errorMap.insert(301, QStringLiteral("网络访问API不能接受请求，因为协议是未知的"));
    errorMap.insert(302, QStringLiteral("请求的操作对该协议无效"));
    errorMap.insert(399, QStringLiteral("检测到协议故障"));
    errorMap.insert(401, QStringLiteral("服务器遇到意外情况，无法满足请求"));
    errorMap.insert(402, QStringLiteral("服务器不支持满足请求所需的功能"));
    errorMap.insert(403, QStringLiteral("此时服务器无法处理请求"));
    errorMap.insert(499, QStringLiteral("检测到与服务器响应相关的未知错误"));
    errorMap.insert(4001, QStringLiteral("签名服务器Json解析失败"));
    errorMap.insert(4004, QStringLiteral("签名服务器请求缺少参数"));
    errorMap.insert(4005, QStringLiteral("签名服务器请求参数长度有误"));
    errorMap.insert(4006, QStringLiteral("签名服务器数据参数有误"));
    errorMap.insert(4010, QStringLiteral("签名服务器数据已存在"));
    errorMap.insert(4011, QStringLiteral("签名服务器数据不存在"));
    errorMap.insert(4012, QStringLiteral("签名服务器数据没有更多数据"));
    errorMap.insert(4013, QStringLiteral("签名服务器数据未变更"));
    errorMap.insert(4100, QStringLiteral("签名服务器数据数据库操作失败"));
    errorMap.insert(4600, QStringLiteral("您的证书已吊销"));
    errorMap.insert(4601, QStringLiteral("证书未到生效期"));
    errorMap.insert(4602, QStringLiteral("证书不在有效期"));
    errorMap.insert(4603, QStringLiteral("证书已吊销"));
    errorMap.insert(4604, QStringLiteral("证书已经被变更(旧有证书被更新后,旧证书失败),证书已经被变更,不允许再次变更"));
    errorMap.insert(4605, QStringLiteral("证书已经被更新(旧有证书被更新后,旧证书失败)"));
    errorMap.insert(4606, QStringLiteral("证书已经被补办(旧有证书被更新后,旧证书失败)"));
    errorMap.insert(5001, QStringLiteral("签章服务器：内部错误"));
    errorMap.insert(28888, QStringLiteral("签名失败，签名数据未返回"));
    errorMap.insert(100000, QStringLiteral("签章服务器：未知错误"));
}
