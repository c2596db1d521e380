// Seal authorisation requests of the service client: a company grants a person the use of some
// of its seals; the company confirms the grant document with an SMS code, the person accepts it
// with a code or refuses it, and the company can end it. The grantee finds the granting
// companies and their seals here too.

#include "NetWorkBusiness.h"

#include "CLog.h"
#include "LoadingWidget.h"

#include <QDateTime>
#include <QDebug>

namespace {

constexpr int kNotQualified = 78503;   // the company may not grant; the page says so itself

QString grantDocumentName()
{
    return QStringLiteral("印章授权合同");
}

// The grant's date as the service gives it, or now when it gives none.
QString grantDate(const QJsonObject& o)
{
    const QString date = jsonText(o, "authorizeDate");
    return date.isEmpty() ? QDateTime::currentDateTime().toString("yyyy-MM-dd hh:mm:ss") : date;
}

// The fields a grant's detail and a new grant share.
void readGrant(const QJsonObject& o, StartAuthSuccessInfo& info)
{
    info.authorizeCompanyAccount = jsonText(o, "authorizeCompanyAccount");
    info.authorizeCompanyName = jsonText(o, "authorizeCompanyName");
    info.authorizeDate = grantDate(o);
    info.personAccount = jsonText(o, "personAccount");
    info.personName = jsonText(o, "personName");
    info.protocolId = jsonText(o, "protocolId");
    info.sealCount = jsonInt(o, "sealCount");
    info.sealUsageDate = jsonText(o, "sealUsageDate");
    info.usageCount = jsonInt(o, "usageCount");
    info.authorizeStatusDesc = jsonText(o, "authorizeStatusDesc");
    info.initialCount = jsonInt(o, "initialCount");
    info.remark = jsonText(o, "remark");
    info.control = jsonBool(o, "control");
    info.fileName = grantDocumentName();
}

} // namespace

int NetWorkBusiness::authorizeQueryPageBus(QList<AuthorizeList>& authorizeLists, const int& authorizeStatus,
                                           const QString& searchKeyword, const int& pageNum, const int& pageSize,
                                           int& totalPages, LoadingWidget* loading)
{
    ServiceCall c(bt_authorizeQueryPage, "authorizeQueryPageBus");
    c.startText = QString("---------authorizeQueryPageBus请求开始(入参：authorizeStatus：%1-searchKeyword：%2-pageNum：%3-"
                          "pageSize：%4)----------")
                      .arg(QString::number(authorizeStatus), searchKeyword, QString::number(pageNum),
                           QString::number(pageSize));
    c.setPaged(QJsonObject{{"authorizeStatus", authorizeStatus}, {"searchKeyword", searchKeyword}},
               ServiceCall::pageBean(pageNum, pageSize, QJsonObject{{"orderBy", "authorizeDate desc"}}));
    c.loading = loading;
    // The call guards its own reply; the watchdog of a pending asynchronous call (login, SMS
    // codes) stays with that call.
    return callForPage(c, authorizeLists, totalPages);
}

int NetWorkBusiness::checkQualificationBus(int& mcode, LoadingWidget* loading)
{
    ServiceCall c(bt_checkQualification, "checkQualificationBus");
    c.endText = "checkQualificationBus返回-code=";
    c.setEmptyBody();
    c.loading = loading;
    c.busy = ServiceCall::HiddenOnFailure;
    c.silentCodes = {kNotQualified};
    const ServiceReply r = call(c);
    mcode = r.code;
    return r.ok() ? 1 : 0;
}

int NetWorkBusiness::checkUserDuplicateAuthBus(const QString& personId, LoadingWidget* loading)
{
    ServiceCall c(bt_checkUserDuplicateAuth, "checkUserDuplicateAuthBus");
    return sendOneValue(c, "personId", "personId", personId, loading);
}

int NetWorkBusiness::startSealAuthBus(const QList<SelectAuthSeals>& selectAuthSeals,
                                      StartAuthSuccessInfo& startAuthSucInfo, const QString& sealUsageDate,
                                      const QString& personId, const int& usageCount, const QString& remark,
                                      LoadingWidget* loading)
{
    ServiceCall c(bt_sealAuth, "startSealAuthBus");
    c.startText = QString("---------startSealAuthBus请求开始(入参：sealUsageDate：%1-personId：%2-usageCount：%3-"
                          "remark：%4)----------")
                      .arg(sealUsageDate, personId, QString::number(usageCount), remark);
    QJsonArray records;
    for (const SelectAuthSeals& seal : selectAuthSeals)
        records.append(QJsonObject{{"sealId", seal.sealId}, {"sealName", seal.sealName}});
    // The form gives the last day; the grant runs to its end.
    QJsonObject body{{"sealUsageDate", sealUsageDate + " 23:59:59"}, {"personId", personId}, {"recordList", records}};
    if (usageCount != 0)
        body.insert("usageCount", usageCount);
    if (!remark.isEmpty())
        body.insert("remark", remark);
    c.setJson(body);
    qDebug().noquote() << c.body;
    c.loading = loading;
    const ServiceReply r = call(c);
    qDebug().noquote() << r.body;
    qDebug().noquote() << "发起授权：" << r.document.toJson();
    if (!r.ok())
        return 0;
    const QJsonObject d = r.dataObject();
    startAuthSucInfo.id = jsonText(d, "id");
    startAuthSucInfo.authId = jsonText(d, "authId");
    readGrant(d, startAuthSucInfo);
    startAuthSucInfo.isAuth = true;
    return 1;
}

int NetWorkBusiness::queryAuthDetailByIdBus(StartAuthSuccessInfo& authSucInfos, const QString& id,
                                            LoadingWidget* loading)
{
    ServiceCall c(bt_queryAuthDetailById, "queryAuthDetailByIdBus");
    c.setOneValue("id", "id", id, loading);
    const ServiceReply r = call(c);
    if (!r.ok())
        return 0;
    const QJsonObject d = r.dataObject();
    authSucInfos.id = jsonText(d, "id");
    authSucInfos.authId = authSucInfos.id;
    readGrant(d, authSucInfos);
    authSucInfos.authorizeStatus = jsonInt(d, "authorizeStatus");
    return 1;
}

int NetWorkBusiness::getauthSecurityCodeBus(LoadingWidget* loading)
{
    Q_UNUSED(loading)
    ServiceCall c(bt_authSecurityCode, "getauthSecurityCodeBus");
    c.startText = "---------getauthSecurityCodeBus(合同签署短信验证)请求开始----------";
    c.endText = "getauthSecurityCodeBus请求结束-code=";
    c.busy = ServiceCall::NeverShown;
    return call(c).ok() ? 1 : 0;
}

int NetWorkBusiness::affirmSealAuthBus(const QString& authId, const QString& securityCode, LoadingWidget* loading)
{
    ServiceCall c(bt_affirmSealAuth, "affirmSealAuthBus");
    c.startText = QString("---------affirmSealAuthBus请求开始(入参：authId：%1-securityCode：%2)----------")
                      .arg(authId, CLog::mask(securityCode));
    c.setJson(QJsonObject{{"authId", authId}, {"securityCode", securityCode}});
    c.loading = loading;
    return call(c).ok() ? 1 : 0;
}

int NetWorkBusiness::terminateSealAuthBus(const QString& authId, LoadingWidget* loading)
{
    ServiceCall c(bt_terminateSealAuth, "terminateSealAuthBus");
    return sendOneValue(c, "authId：", "authId", authId, loading);
}

int NetWorkBusiness::acceptSealAuthBus(const QString& authId, const QString& securityCode, int& codeS,
                                       LoadingWidget* loading)
{
    ServiceCall c(bt_acceptSealAuth, "acceptSealAuthBus");
    c.startText = QString("---------acceptSealAuthBus请求开始(入参：authId：%1-securityCode：%2)----------")
                      .arg(authId, CLog::mask(securityCode));
    c.setJson(QJsonObject{{"authId", authId}, {"securityCode", securityCode}});
    c.loading = loading;
    const ServiceReply r = call(c);
    codeS = r.code;
    return r.ok() ? 1 : 0;
}

int NetWorkBusiness::refuseSsealAuthBus(const QString& authId, int& codeS, LoadingWidget* loading)
{
    ServiceCall c(bt_refuseSsealAuth, "refuseSsealAuthBus");
    c.setOneValue("authId：", "authId", authId, loading);
    const ServiceReply r = call(c);
    codeS = r.code;
    return r.ok() ? 1 : 0;
}

int NetWorkBusiness::queryPageSealsBus(QList<SealInfo>& seainfos, const int& pageNum, const int& pageSize,
                                       int& totalPages, const QString& sealName, const QString& sealType,
                                       LoadingWidget* loading)
{
    // The cache of the user's own cloud seals stays as it is: the seal panel signs from it.
    ServiceCall c(bt_queryPageSeals, "queryPageSealsBus");
    c.endText = "queryPageSealsBus返回-code=";
    QJsonObject entity{{"certification", 1}};
    if (!sealName.isEmpty()) {
        entity.insert("name", sealName);
        entity.insert("sealType", sealType);
    }
    c.setPaged(entity, ServiceCall::pageBean(pageNum, pageSize));
    c.loading = loading;
    const ServiceReply r = call(c);
    if (!r.ok())
        return 0;
    totalPages = r.pages();
    for (const QJsonValue& v : r.pageList().toArray()) {
        const QJsonObject o = v.toObject();
        if (jsonInt(o, "status") != 1)
            continue;
        SealInfo seal;
        seal.fillFromJson(o);
        // The grant pages size these seals as the contract pages do.
        sealSizeFromText(jsonText(o, "size"), seal.width, seal.height);
        seal.imageData = getFileDataById(seal.sealSaveID);
        seainfos.append(seal);
    }
    return 1;
}

int NetWorkBusiness::getAuthAvailableCompanyBus(QList<AuthCompanyInfo>& authCompanyInfos, LoadingWidget* loading)
{
    Q_UNUSED(loading)
    ServiceCall c(bt_getAuthAvailableCompany, "getAuthAvailableCompanyBus");
    c.endText = "getAuthAvailableCompanyBus请求结束-code=";
    c.busy = ServiceCall::NeverShown;
    return callForRows(c, authCompanyInfos);
}

int NetWorkBusiness::queryAuthSealBus(QList<SealInfo>& sealInfos, const QString& authorizeCompanyId,
                                      LoadingWidget* loading)
{
    Q_UNUSED(loading)
    ServiceCall c(bt_queryAuthSeal, "queryAuthSealBus");
    c.endText = "queryAuthSealBus请求结束-code=";
    c.setJson(QJsonObject{{"authorizeCompanyId", authorizeCompanyId}});
    c.busy = ServiceCall::NeverShown;
    const ServiceReply r = call(c);
    if (!r.ok())
        return 0;
    for (const QJsonValue& v : r.dataArray()) {
        const QJsonObject o = v.toObject();
        SealInfo seal;
        seal.name = jsonText(o, "name");
        seal.id = jsonText(o, "id");
        seal.imageData = getFileDataById(jsonText(o, "sealSaveID"));
        sealSizeFromText(jsonText(o, "size"), seal.width, seal.height);
        seal.sealType = jsonText(o, "sealType");
        seal.creationDate = jsonText(o, "creationDate");
        sealInfos.append(seal);
    }
    return 1;
}
