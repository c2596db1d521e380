// Service operations of the account (SMS codes, passwords, contact phone, signing password,
// profile), the user's seals and handwritten signatures, certificates, remote digest signing and
// time-stamp checks, and stored files. Each fills a ServiceCall and reads its reply; the request
// cycle itself lives in NetWorkBusiness.cpp.

#include "NetWorkBusiness.h"

#include "CLog.h"
#include "LoadingWidget.h"

#include <QFile>
#include <QHttpMultiPart>
#include <QPointer>
#include <QSettings>
#include <QThread>

namespace {

constexpr int kSuccess = 10000;
// Code returned when a signing or time-stamp reply carries no verdict (not JSON, codes missing).
constexpr int kNoVerdict = 4001;
// Code returned when the service says "signed" but sends no signature value or time stamp.
constexpr int kNoSignature = 28888;

// The shape of the seal and signature lists: when the call succeeds, one record per row of the
// reply's data, read with fillFromJson and completed by `picture` (the pictures are fetched
// while the busy box stays up; with replaceWhenRows a reply with rows replaces the list), then
// the busy box goes down. Returns the reply.
template <typename Record, typename Picture>
ServiceReply callForPictureRows(NetWorkBusiness& net, const ServiceCall& c, QList<Record>& out, LoadingWidget* loading,
                                Picture picture, bool replaceWhenRows = false)
{
    const ServiceReply r = net.call(c);
    if (!r.ok())
        return r;
    const QJsonArray rows = r.dataArray();
    if (replaceWhenRows && !rows.isEmpty())
        out.clear();
    for (const QJsonValue& v : rows) {
        Record record;
        record.fillFromJson(v.toObject());
        picture(record);
        out.append(record);
    }
    if (loading)
        loading->hide();
    return r;
}

// The picture of a seal stored on the file service: its address, then its bytes.
auto storedSealPicture(NetWorkBusiness* net)
{
    return [net](auto& seal) {
        seal.fileUrl = net->getFileServerUrl(seal.sealSaveID);
        seal.imageData = net->getFileUrl(seal.fileUrl);
    };
}

// The text of a byte string up to its first zero byte, read as UTF-8.
QString textUpToZero(const QByteArray& bytes)
{
    const int zero = bytes.indexOf('\0');
    return QString::fromUtf8(zero < 0 ? bytes : bytes.left(zero));
}

QUrl& onlineProbeUrl()
{
    static QUrl url(QStringLiteral("http://www.baidu.com/"));
    return url;
}

bool hasNumber(const QJsonObject& o, const char* key)
{
    return o.value(QLatin1String(key)).isDouble();
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Asynchronous account requests

void NetWorkBusiness::smsNoBusiness(int BusinessType, QString account, QString phone)
{
    const QString start = "---------smsNoBusiness请求开始（入参：BusinessType-account-phone:" +
                          QString::number(BusinessType) + account + phone + ")----------";
    if (BusinessType < bt_smsno_updatepassword || BusinessType > bt_smsno_modifyphone) {
        log(__FUNCTION__, __LINE__, start + " 无效的请求类型", QStringLiteral("\n\n\n"));
        return;
    }
    // Ids 1 to 3 send the fixed template; id 4 sends what the last of them left.
    if (BusinessType != bt_smsno_modifyphone)
        templateId = QStringLiteral("0000000033");
    QJsonObject body;
    body.insert("appId", templateId);
    switch (BusinessType) {
    case bt_smsno_updatepassword: useWhere = QStringLiteral("55"); break;
    case bt_smsno_findpassword: useWhere = QStringLiteral("44"); break;
    default: useWhere = QStringLiteral("33"); break;
    }
    body.insert("useWhere", useWhere);
    if (BusinessType == bt_smsno_findpassword) {
        body.insert("userAccount", account);
    } else {
        body.insert("userAccount", m_businessInfo->userAccount);
        body.insert("toPhone", phone);
    }
    sendAsync(BusinessType, QJsonDocument(body).toJson(), start, __FUNCTION__, __LINE__);
}

void NetWorkBusiness::findPassWordBusiness(QString newPassword, QString verifyNo, QString userName)
{
    QJsonObject body;
    body.insert("newUserPassword", newPassword);
    body.insert("userAccount", userName);
    body.insert("verifyCode", verifyNo);
    sendAsync(bt_findpassword, QJsonDocument(body).toJson(),
              "---------findPassWordBusiness请求开始（入参：newPassword-verifyNo-userName:" + CLog::mask(newPassword) +
                  CLog::mask(verifyNo) + userName + ")----------",
              __FUNCTION__, __LINE__);
}

void NetWorkBusiness::updatePassWordBusiness(QString newPassword, QString oldPassword, QString verifyNo)
{
    // The SMS code is not part of the body; the account is always the logged-in user's.
    QJsonObject body;
    body.insert("newUserPassword", newPassword);
    body.insert("userAccount", m_businessInfo->userAccount);
    body.insert("userPassword", oldPassword);
    sendAsync(bt_updatepassword, QJsonDocument(body).toJson(),
              "---------updatePassWordBusiness请求开始（入参：newPassword-oldPassword-verifyNo:" +
                  CLog::mask(newPassword) + CLog::mask(oldPassword) + CLog::mask(verifyNo) + ")----------",
              __FUNCTION__, __LINE__);
}

void NetWorkBusiness::motifyPhone(QString newPhone, QString verifyNo)
{
    QJsonObject body;
    body.insert("verifyPhone", newPhone);
    body.insert("verifyCode", verifyNo);
    sendAsync(bt_modifyphone, QJsonDocument(body).toJson(),
              QString("---------motifyPhone请求开始(入参：newPhone：%1-verifyNo：%2)----------")
                  .arg(newPhone, CLog::mask(verifyNo)),
              __FUNCTION__, __LINE__);
}

void NetWorkBusiness::verifyPhone(QString verifyNo)
{
    sendAsync(bt_verifyphone, QJsonDocument(QJsonObject{{"verifyCode", verifyNo}}).toJson(),
              QString("---------verifyPhone请求开始(入参：verifyNo：%1)----------").arg(CLog::mask(verifyNo)),
              __FUNCTION__, __LINE__);
}

void NetWorkBusiness::setOnlineProbeUrl(const QUrl& url)
{
    onlineProbeUrl() = url;
}

bool NetWorkBusiness::newWorkisOnline()
{
    ServiceCall c(-1, "newWorkisOnline");
    c.method = "GET";
    c.setEmptyBody();
    c.url = onlineProbeUrl();
    c.errorSignal = false;
    c.busy = ServiceCall::NeverShown;
    return !call(c).body.isEmpty();
}

// ---------------------------------------------------------------------------------------------
// Contact phone

int NetWorkBusiness::verfiyphoneCodebyContact(QString appId, QString useWhere_, QWidget*)
{
    ServiceCall c(bt_verfiyphone_CodebyContact, "verfiyphoneCodebyContact");
    c.startText = QStringLiteral("---------verfiyphoneCodebyContact(验证手机验证码)请求开始----------");
    c.endText = QStringLiteral("verfiyphoneCodebyContact请求结束-code=");
    c.setJson(QJsonObject{{"appId", appId}, {"useWhere", useWhere_}});
    c.busy = ServiceCall::NeverShown;
    if (!call(c).ok())
        return 0;
    emit smsNoVerifyPhoneSucc();
    return 1;
}

int NetWorkBusiness::verifyContactPhone(QString verifyCode, QWidget*)
{
    constexpr int kWrongCode = 40004;
    ServiceCall c(bt_verifyContactPhone, "verifyContactPhone");
    c.endText = QStringLiteral("verifyContactPhone请求结束-code=");
    c.setJson(QJsonObject{{"verifyCode", verifyCode}});
    c.busy = ServiceCall::NeverShown;
    c.silentCodes = {kWrongCode};
    const ServiceReply r = call(c);
    if (r.code == kWrongCode)
        return -1;
    if (!r.ok())
        return 0;
    emit verifyPhoneSucc();
    return 1;
}

int NetWorkBusiness::sendByPhoneCode(QString appId, QString useWhere_, QString toPhone, QWidget*)
{
    ServiceCall c(bt_sendByPhoneCode, "sendByPhoneCode");
    c.endText = QStringLiteral("sendByPhoneCode请求结束-code=");
    c.setJson(QJsonObject{{"appId", appId}, {"useWhere", useWhere_}, {"toPhone", toPhone}});
    c.busy = ServiceCall::NeverShown;
    if (!call(c).ok())
        return 0;
    emit smsNoModifyPhoneSucc();
    return 1;
}

// ---------------------------------------------------------------------------------------------
// Signing password

namespace {

// The failure text of a setter: never empty, so that a failure can never pass for success.
QString setterFailureText(NetWorkBusiness* client, const ServiceReply& r)
{
    if (!r.msg.isEmpty())
        return r.msg;
    return r.code == 4 ? networkFailureText() : client->getErrorStr(r.code);
}

} // namespace

QString NetWorkBusiness::resetSignPassword(const QString& signPassword, const QString& userPassword)
{
    ServiceCall c(bt_resetSignPassword, "resetSignPassword");
    c.startPrefix.clear();
    c.startText = QString("--resetSignPassword请求开始（入参：signPassword：%1 userPassword：%2--")
                      .arg(CLog::mask(signPassword), CLog::mask(userPassword));
    c.endText = QStringLiteral("resetSignPassword返回:code=");
    c.setJson(QJsonObject{{"signPassword", signPassword}, {"userPassword", userPassword}});
    c.busy = ServiceCall::NeverShown;
    c.errorSignal = false;
    const ServiceReply r = call(c);
    return r.ok() ? QString() : setterFailureText(this, r);
}

QString NetWorkBusiness::updateSignPassword(const QString& signPassword, const QString& newSignPassword)
{
    ServiceCall c(bt_updateSignPassword, "updateSignPassword");
    c.startPrefix.clear();
    c.startText = QString("--updateSignPassword请求开始（入参：signPassword：%1 newSignPassword：%2--")
                      .arg(CLog::mask(signPassword), CLog::mask(newSignPassword));
    c.endText = QStringLiteral("updateSignPassword返回:code=");
    c.setJson(QJsonObject{{"signPassword", signPassword}, {"newSignPassword", newSignPassword}});
    c.busy = ServiceCall::NeverShown;
    c.errorSignal = false;
    const ServiceReply r = call(c);
    return r.ok() ? QString() : setterFailureText(this, r);
}

bool NetWorkBusiness::isSetSignPassword()
{
    ServiceCall c(bt_isSetSignPassword, "isSetSignPassword");
    c.startPrefix.clear();
    c.startText = QStringLiteral("--isSetSignPassword请求开始");
    c.endText = QStringLiteral("isSetSignPassword返回:code=");
    c.setEmptyBody();
    c.busy = ServiceCall::NeverShown;
    const ServiceReply r = call(c);
    return !r.object.isEmpty() && r.data.isBool() && r.data.toBool();
}

bool NetWorkBusiness::checkSignPassword(const QString& signPassword, QString& errInfo)
{
    ServiceCall c(bt_checkSignPassword, "checkSignPassword");
    c.startPrefix.clear();
    c.startText = "--checkSignPassword请求开始(入参：signPassword：" + CLog::mask(signPassword) + ")";
    c.endText = QStringLiteral("checkSignPassword返回:code=");
    c.setJson(QJsonObject{{"signPassword", signPassword}});
    c.busy = ServiceCall::NeverShown;
    c.errorSignal = false;
    const ServiceReply r = call(c);
    if (!r.ok())
        errInfo = r.msg;
    return !r.object.isEmpty() && r.data.isBool() && r.data.toBool();
}

// ---------------------------------------------------------------------------------------------
// Account profile, feedback and update check

int NetWorkBusiness::registerPersonBusiness(const QString& imgID, QString& imgUrl, LoadingWidget* loading)
{
    ServiceCall c(bt_registerPerson, "registerPersonBusiness");
    c.setOneValue("imgID：", "imgUrl", imgID, loading);
    const ServiceReply r = call(c);
    if (!r.ok())
        return 0;
    imgUrl = jsonText(r.dataObject(), "imgUrl");
    return 1;
}

int NetWorkBusiness::getBaseUserInfo(int userType, QString userAccount, QString& userid, int& authenStatus,
                                     int& activation, bool& bRegister, QString& name)
{
    ServiceCall c(bt_baseuserInfo, "getBaseUserInfo");
    c.startText = QString("---------getBaseUserInfo请求开始(入参：userType：%1-userAccount：%2)----------")
                      .arg(userType)
                      .arg(userAccount);
    c.setJson(QJsonObject{{"userType", userType}, {"userAccount", userAccount}});
    c.busy = ServiceCall::NeverShown;
    c.silentCodes = {50002};
    const ServiceReply r = call(c);
    if (!r.ok())
        return 0;
    const QJsonObject d = r.dataObject();
    bRegister = !d.isEmpty();
    if (bRegister) {
        authenStatus = jsonInt(d, "authenStatus");
        activation = jsonInt(d, "activation");
        userid = jsonText(d, "id");
        name = jsonText(d, userType == 0 ? "authenName" : "userName");
    }
    return 1;
}

int NetWorkBusiness::feedbackBusiness(QString userId, QString type, QString content, QString email, QString phone,
                                      QString userName, QString userAccount, LoadingWidget* loading)
{
    ServiceCall c(bt_feedback, "feedbackBusiness");
    c.startText = QStringLiteral("---------feedbackBusiness(问题反馈)请求开始----------");
    c.endText = QStringLiteral("feedbackBusiness请求结束-code=");
    c.endSeparator = QStringLiteral("-\n返回json数据:");
    c.setJson(QJsonObject{{"userId", userId},
                          {"type", type},
                          {"context", content},
                          {"email", email},
                          {"phone", phone},
                          {"createBy", userId},
                          {"userName", userName},
                          {"userAccount", userAccount}});
    c.loading = loading;
    c.busy = ServiceCall::HiddenOnFailure;
    c.errorSignal = false;
    return call(c).ok() ? 1 : 0;
}

int NetWorkBusiness::checkAppUpdate(QString versionNumber, QString systemType, int& versionUpdate, QString& appUrl,
                                    QString& remark, QString& versionFileName, LoadingWidget* loading)
{
    ServiceCall c(bt_VerUpdate, "checkAppUpdate");
    c.startText = QStringLiteral("---------checkAppUpdate(检测更新)请求开始----------");
    c.endText = QStringLiteral("checkAppUpdate请求结束-code=");
    c.endSeparator = QStringLiteral("-\n返回json数据:");
    c.setJson(QJsonObject{{"versionNumber", versionNumber}, {"systemType", systemType}});
    c.loading = loading;
    c.busy = ServiceCall::HiddenOnFailure;
    c.errorSignal = false;
    c.ownManager = true;
    const ServiceReply r = call(c);
    if (!r.object.isEmpty()) {
        const QJsonObject d = r.dataObject();
        versionUpdate = jsonInt(d, "versionUpdate");
        appUrl = jsonText(d, "versionUrl");
        remark = jsonText(d, "versionRemark");
        versionFileName = jsonText(d, "versionNumber");
    }
    return r.ok() ? 1 : 0;
}

// ---------------------------------------------------------------------------------------------
// Seals and handwritten signatures

int NetWorkBusiness::getMySealBusiness(QList<SealInfo>& sealInfos, LoadingWidget* loading)
{
    m_sealInfoList.clear();
    ServiceCall c(bt_getmyseal, "getMySealBusiness");
    c.endText = QStringLiteral("getMySealBusiness返回-code=");
    c.loading = loading;
    c.busy = ServiceCall::ShownHiddenOnFailure;   // stays up while the pictures come
    const ServiceReply r = callForPictureRows(*this, c, sealInfos, loading,
                                              [this](SealInfo& seal) { seal.imageData = getFileUrl(seal.fileUrl); });
    m_sealInfoList = sealInfos;
    return r.ok() ? 1 : 0;
}

int NetWorkBusiness::getUserSignatureBus(QList<UserSignatureInfo>& userSignInfos, LoadingWidget* loading)
{
    ServiceCall c(bt_usersignature, "getUserSignatureBus");
    c.loading = loading;
    c.busy = ServiceCall::ShownHiddenOnFailure;
    const ServiceReply r = callForPictureRows(*this, c, userSignInfos, loading, [this](UserSignatureInfo& sign) {
        sign.fileUrl = getFileServerUrl(sign.signatureSaveID);
        sign.imageData = getFileUrl(sign.fileUrl);   // a status text is no address: empty
    });
    m_signInfoList = userSignInfos;
    return r.ok() ? 1 : 0;
}

int NetWorkBusiness::getcertificationFailureBus(QList<CertificationFailure>& certificationFailures,
                                                LoadingWidget* loading)
{
    ServiceCall c(bt_certificationFailure, "getcertificationFailureBus");
    c.loading = loading;
    c.busy = ServiceCall::HiddenOnFailure;
    return callForRows(c, certificationFailures,
                       [](CertificationFailure& f, const QJsonObject& o) { f.fillFromJson(o); });
}

int NetWorkBusiness::getPerSealBusiness(QList<SealInfo>& sealInfos, LoadingWidget* loading)
{
    m_sealInfoList.clear();
    ServiceCall c(bt_getpermyseal, "getPerSealBusiness");
    c.loading = loading;
    c.busy = ServiceCall::ShownHiddenOnFailure;
    const ServiceReply r = callForPictureRows(*this, c, sealInfos, loading, storedSealPicture(this), true);
    m_sealInfoList = sealInfos;
    return r.ok() ? 1 : 0;
}

int NetWorkBusiness::getCompanyCertificationBus(QList<CompanySealInfo>& sealInfos, LoadingWidget* loading)
{
    ServiceCall c(bt_companycertification, "getCompanyCertificationBus");
    c.loading = loading;
    c.busy = ServiceCall::ShownHiddenOnFailure;
    return callForPictureRows(*this, c, sealInfos, loading, storedSealPicture(this)).ok() ? 1 : 0;
}

int NetWorkBusiness::syncUserSeal(QString sealCode, QString creditCode, bool sealShow)
{
    ServiceCall c(bt_syncuserseal, "syncUserSeal");
    c.startText = QString("---------syncUserSeal请求开始（入参：sealCode：%1-creditCode：%2-sealShow：%3)----------")
                      .arg(sealCode, creditCode)
                      .arg(int(sealShow));
    c.endText = QStringLiteral("syncUserSeal返回-code=");
    c.setJson(QJsonObject{{"creditCode", creditCode}, {"sealCode", sealCode}, {"sealShow", sealShow ? "1" : "0"}});
    c.busy = ServiceCall::NeverShown;
    return call(c).ok() ? 1 : 0;
}

int NetWorkBusiness::queryUserSealStatus(QString sealCode, QString creditCode, int& sync)
{
    ServiceCall c(bt_queryusersealstatus, "queryUserSealStatus");
    c.startText = QString("---------queryUserSealStatus请求开始（入参：sealCode：%1-creditCode：%2-sync：%3)----------")
                      .arg(sealCode, creditCode)
                      .arg(sync);
    c.endText = QStringLiteral("queryUserSealStatus返回-code=");
    c.setJson(QJsonObject{{"creditCode", creditCode}, {"sealCode", sealCode}});
    c.busy = ServiceCall::NeverShown;
    c.ownManager = true;
    const ServiceReply r = call(c);
    if (!r.ok())
        return 0;
    if (r.data.isDouble())
        sync = r.data.toInt();
    return 1;
}

int NetWorkBusiness::delOnlineSealBusiness(QString sealId, LoadingWidget* loading)
{
    ServiceCall c(bt_delOnLineSeal, "delOnlineSealBusiness");
    c.startText = QString("---------delOnlineSealBusiness请求开始(入参：sealId%1)----------").arg(sealId);
    if (!sealId.isEmpty())
        c.setJson(QJsonObject{{"id", sealId}});
    c.loading = loading;
    return call(c).ok() ? 1 : 0;
}

int NetWorkBusiness::deleteSignBus(QString signId, LoadingWidget* loading)
{
    ServiceCall c(bt_deleteSign, "deleteSignBus");
    c.startText = QString("---------deleteSignBus请求开始(入参：signId：%1)----------").arg(signId);
    if (!signId.isEmpty())
        c.setJson(QJsonObject{{"id", signId}});
    c.loading = loading;
    return call(c).ok() ? 1 : 0;
}

int NetWorkBusiness::addSealBusiness(QString imgID, QString sealName, QString sealType, QString sealSize,
                                     QString cerditCode, LoadingWidget* loading)
{
    ServiceCall c(bt_addSeal, "addSealBusiness");
    c.startText =
        QString("---------addSealBusiness请求开始(入参：imgID：%1-sealName：%2-sealType：%3-sealSize：%4-cerditCode：%5)----------")
            .arg(imgID, sealName, sealType, sealSize, cerditCode);
    c.setJson(QJsonObject{{"creditCode", cerditCode},
                          {"name", sealName},
                          {"sealSaveID", imgID},
                          {"sealType", sealType},
                          {"size", sealSize}});
    c.loading = loading;
    c.busy = ServiceCall::HiddenAfter;
    return call(c).ok() ? 1 : 0;
}

int NetWorkBusiness::keyGetIdBus(QString sealCode, QString& sealID, LoadingWidget* loading, bool iIsSendErr,
                                 int* status)
{
    ServiceCall c(bt_keyGetId, "keyGetIdBus");
    c.startText = QStringLiteral("---------keyGetIdBus(根据Key的编码获取印章ID)请求开始----------");
    c.endText = QStringLiteral("keyGetIdBus请求结束-code=");
    c.endSeparator = QStringLiteral("-\n返回json数据:");
    c.setJson(QJsonObject{{"sealCode", sealCode}});
    c.loading = loading;
    c.busy = ServiceCall::HiddenOnFailure;
    c.errorSignal = iIsSendErr;
    c.ownManager = true;
    const ServiceReply r = call(c);
    if (!r.ok())
        return 0;
    const QJsonObject d = r.dataObject();
    sealID = jsonText(d, "id");
    if (status)
        *status = jsonInt(d, "status");
    return 1;
}

namespace {

template <typename Record>
bool findById(const QList<Record>& list, const QString& id, Record& out)
{
    for (const Record& r : list) {
        if (r.id == id) {
            out = r;
            return true;
        }
    }
    return false;
}

} // namespace

bool NetWorkBusiness::getSealInfo(const QString& id, SealInfo& seal)
{
    return findById(m_sealInfoList, id, seal);
}

bool NetWorkBusiness::getAuthSealInfo(const QString& id, SealInfo& seal)
{
    return findById(m_authSealInfos, id, seal);
}

bool NetWorkBusiness::getSignInfo(const QString& id, UserSignatureInfo& seal)
{
    return findById(m_signInfoList, id, seal);
}

void NetWorkBusiness::setAuthSealInfo(const QList<SealInfo>& authSealInfos)
{
    m_authSealInfos = authSealInfos;
}

QList<SealInfo> NetWorkBusiness::getSealInfoList()
{
    return m_sealInfoList;
}

// ---------------------------------------------------------------------------------------------
// Certificates

QString NetWorkBusiness::certServiceBase() const
{
    QSettings settings(m_exePath, QSettings::IniFormat);
    const QByteArray value = settings.value("Config/i").toByteArray();
    if (!value.isEmpty())
        return QString::fromUtf8(QByteArray::fromBase64(value));
    // The host of the configured address, without the "/v2" path prefix of the table requests.
    QString base = m_strIP;
    if (base.endsWith(QLatin1String("/v2")))
        base.chop(3);
    return base;
}

namespace {

QUrl certUrl(const QString& base, const char* path, const QString& userId)
{
    // The user id is percent-encoded, so that "&" or "#" in it cannot change the query.
    return QUrl(QString("https://%1%2?userId=%3")
                    .arg(base, QString::fromLatin1(path), QString::fromLatin1(QUrl::toPercentEncoding(userId))),
                QUrl::TolerantMode);
}

// The token requests of the table carry the headers these two need (Content-Type JSON and the
// session token); their addresses are their own.
constexpr int kTokenJsonHeaders = NetWorkBusiness::bt_getmycert;

} // namespace

int NetWorkBusiness::getNewCert(const QString& strUserId, QByteArray& cert, QString& strErr)
{
    ServiceCall c(kTokenJsonHeaders, "getNewCert");
    c.endText = QStringLiteral("getNewCert请求结束-code=");
    c.endSeparator = QStringLiteral("-\n返回json数据:");
    c.url = certUrl(certServiceBase(), "/eseal-signature/certInfo/getCertCurrentUser", strUserId);
    c.setEmptyBody();
    c.busy = ServiceCall::NeverShown;
    c.errorSignal = false;
    c.ownManager = true;
    const ServiceReply r = call(c);
    if (r.object.isEmpty())
        return -1;
    strErr = r.msg;
    cert = r.data.isString() ? r.data.toString().toLocal8Bit() : QByteArray();
    return r.code;
}

int NetWorkBusiness::getCertTime(const QString& strUserId, QDateTime& beginTime, QDateTime& endTime)
{
    ServiceCall c(kTokenJsonHeaders, "getCertTime");
    c.startPrefix = QStringLiteral("\n");
    c.endText = QStringLiteral("getCertTime请求结束-code=");
    c.endSeparator = QStringLiteral("-\n返回json数据:");
    c.url = certUrl(certServiceBase(), "/eseal-signature/certInfo/getCertExpiryDate", strUserId);
    c.setEmptyBody();
    c.busy = ServiceCall::NeverShown;
    c.errorSignal = false;
    c.ownManager = true;
    const ServiceReply r = call(c);
    const QJsonObject d = r.dataObject();
    if (!r.object.isEmpty() && !d.isEmpty()) {
        const QString period = jsonText(d, "expirationDate");
        const QString format = QStringLiteral("yyyy.MM.dd hh:mm:ss");
        beginTime = QDateTime::fromString(period.left(19), format);
        endTime = QDateTime::fromString(period.right(19), format);
    }
    if (r.ok())
        return 1;
    // Users whose identity is not verified have no certificate yet: that is not an error to show.
    const BusinessInfo* info = getBusinessInfo();
    if (info && info->authenStatus == 1)
        emit sendErroeCodeInfo(getNetCodeInfo(r.code), r.msg);
    return 0;
}

int NetWorkBusiness::getMyCert(QByteArray& cert)
{
    ServiceCall c(bt_getmycert, "getMyCert");
    c.endText = QStringLiteral("getMyCert返回-code=");
    c.setJson(QJsonObject{{"id", m_businessInfo->id}});
    c.busy = ServiceCall::NeverShown;
    const ServiceReply r = call(c);
    if (r.ok()) {
        const QJsonObject d = r.dataObject();
        if (!d.isEmpty())
            cert = getFileDataById(jsonText(d, "fileId"));
    }
    m_certData = cert;
    return r.ok() ? 1 : 0;
}

QByteArray NetWorkBusiness::getCert()
{
    return QByteArray();
}

// ---------------------------------------------------------------------------------------------
// Remote digest signing and time-stamp check

int NetWorkBusiness::signBusiness(QString sn, int algoType, int certType, QByteArray waitSign, QByteArray tsaMd5,
                                  QByteArray& r, QByteArray& s, QByteArray& timeStamp, LoadingWidget* loading)
{
    ServiceCall c(bt_sign, "signBusiness");
    c.startText = QStringLiteral("---------signBusiness进入开始----------");
    c.endText = QStringLiteral("signBusiness返回-code=");
    const QJsonObject signdata{{"algo_type", algoType},
                               {"hash", textUpToZero(waitSign)},
                               {"ou_ext", certType},
                               {"sn", sn}};
    c.setJson(QJsonObject{{"signdata", signdata}, {"timestamp", textUpToZero(tsaMd5)}});
    c.busy = ServiceCall::NeverShown;
    c.errorSignal = false;
    c.ownManager = true;
    const ServiceReply reply = call(c);

    // Only a "code" 0 inside "data" with all three values is a signature; anything else fails,
    // so that no empty or partial signature value can reach a document.
    int result = 4;
    if (!reply.body.isEmpty()) {
        result = hasNumber(reply.object, "code") ? reply.code : kNoVerdict;
        const QJsonObject d = reply.dataObject();
        if (!d.isEmpty()) {
            result = hasNumber(d, "code") ? jsonInt(d, "code") : kNoVerdict;
            if (result == 0) {
                const QByteArray rv = jsonText(d, "r").toUtf8();
                const QByteArray sv = jsonText(d, "s").toUtf8();
                const QByteArray tv = jsonText(d, "timestamp").toUtf8();
                if (rv.isEmpty() || sv.isEmpty() || tv.isEmpty()) {
                    result = kNoSignature;
                } else {
                    r = rv;
                    s = sv;
                    timeStamp = tv;
                }
            }
        } else if (result == 0) {
            result = kNoVerdict;
        }
    }
    if (result != 0) {
        log(__FUNCTION__, __LINE__, "signBusiness结果-code=" + QString::number(result));
        setBusyBox(loading, false);
    }
    return result;
}

int NetWorkBusiness::verifyTimeStampBusiness(QByteArray tsaMd5, QByteArray timeStamp, QString& reTimeStamp)
{
    ServiceCall c(bt_verifytsa, "verifyTimeStampBusiness");
    c.startText = QStringLiteral("---------verifyTimeStampBusiness(验证签名)请求开始----------");
    c.endText = QStringLiteral("verifyTimeStampBusiness请求结束-code=");
    c.setJson(QJsonObject{
        {"timestamp", QJsonObject{{"md5", textUpToZero(tsaMd5)}, {"timestamp", textUpToZero(timeStamp)}}}});
    c.timeoutMs = 10000;
    c.queuedFinish = true;
    c.busy = ServiceCall::NeverShown;
    c.errorSignal = false;
    c.ownManager = true;
    const ServiceReply reply = call(c);
    if (reply.transportError != 0) {
        log(__FUNCTION__, __LINE__, QStringLiteral("验证签章回调，访问服务器失败，请检查服务端是否正常运行！！"));
        return 4;
    }
    if (reply.body.isEmpty())
        return 4;
    // Only an envelope 10000 with "data"."code" 0 and an answer confirms a time stamp.
    if (!hasNumber(reply.object, "code"))
        return kNoVerdict;
    if (reply.code != kSuccess)
        return reply.code;
    const QJsonObject d = reply.dataObject();
    if (d.isEmpty())
        return kSuccess;
    if (!hasNumber(d, "code"))
        return kNoVerdict;
    const int result = jsonInt(d, "code");
    if (result != 0)
        return result;
    const QString answer = jsonText(d, "timestampverify");
    if (answer.isEmpty())
        return kNoVerdict;
    reTimeStamp = answer;
    return 0;
}

// ---------------------------------------------------------------------------------------------
// Files

QByteArray NetWorkBusiness::getFileUrl(QString url)
{
    ServiceCall c(-1, "getFileUrl");
    c.method = "GET";
    c.setEmptyBody();
    c.url = QUrl(url, QUrl::TolerantMode);
    c.busy = ServiceCall::NeverShown;
    c.errorSignal = false;
    if (!c.url.isValid() || c.url.isRelative())
        return QByteArray();
    const ServiceReply r = call(c);
    // An error page is not the file: it must never be shown as a picture or taken as a certificate.
    if (r.transportError != 0 || r.httpStatus >= 400)
        return QByteArray();
    return r.body;
}

QString NetWorkBusiness::getFileServerUrl(QString id)
{
    ServiceCall c(bt_getfileurl, "getFileServerUrl");
    c.setOneValue("id：", "id", id, nullptr);
    c.busy = ServiceCall::NeverShown;
    c.errorSignal = false;
    const ServiceReply r = call(c);
    if (r.ok() && !r.dataObject().isEmpty())
        return jsonText(r.dataObject(), "url");
    return r.ok() ? QStringLiteral("1") : QStringLiteral("0");
}

QByteArray NetWorkBusiness::getFileDataById(QString id)
{
    const QString url = getFileServerUrl(id);
    // The two status texts are no addresses.
    if (url.isEmpty() || url == QLatin1String("0") || url == QLatin1String("1"))
        return QByteArray();
    return getFileUrl(url);
}

int NetWorkBusiness::sealImgUpLoad(QString imgStr, QString business, QString project, QString imgType,
                                   QString& imageID, LoadingWidget* loading)
{
    auto* file = new QFile(imgStr);
    if (!file->open(QIODevice::ReadOnly)) {
        // Nothing is sent for a picture that cannot be read: the service would store an empty file.
        delete file;
        log(__FUNCTION__, __LINE__, "---------sealImgUpLoad请求开始----------\n图片文件无法打开: " + imgStr,
            QStringLiteral("\n\n\n"));
        setBusyBox(loading, false);
        emit sendErroeCodeInfo(getNetCodeInfo(4), QStringLiteral("图片文件无法打开，请重新选择图片！"));
        return 0;
    }
    auto* multipart = new QHttpMultiPart(QHttpMultiPart::FormDataType);
    QHttpPart filePart;
    filePart.setRawHeader("Content-Disposition",
                          QString("form-data;name=\"file\";filename=\"%1\";").arg(imgStr).toUtf8());
    filePart.setHeader(QNetworkRequest::ContentTypeHeader, "image/" + imgType.toUtf8());
    filePart.setBodyDevice(file);
    file->setParent(multipart);
    multipart->append(filePart);
    multipart->append(formTextPart("business", business));
    multipart->append(formTextPart("project", project));

    ServiceCall c(bt_sealimgUpload, "sealImgUpLoad");
    c.multipart = multipart;
    c.loading = loading;
    c.busy = ServiceCall::HiddenOnFailure;
    const ServiceReply r = call(c);
    if (!r.ok())
        return 0;
    imageID = jsonText(r.dataObject(), "id");
    return 1;
}
