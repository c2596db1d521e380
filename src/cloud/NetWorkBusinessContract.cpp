// Contract requests of the service client: drafting a contract and its signers, the contract
// lists and recorded seal placements, the signing steps, stored files, templates and QR codes.
//
// Finishing a contract in the signing workspace runs, stopping at the first call that returns
// 0: upload the document (fileUpLoad) and add the draft (contractAddBus), or update the draft
// (updateContract); replace the signers (deleteContractJoinUser, addContractSignatory per signer,
// batchAddContractUser); issue (contractIssueBus); then, when the user signs too, record the
// seal positions (batchAddContractDetailBus), sign by SMS code or USB key
// (batchSignContractBus / batchSignContractBusKey) and affirm (affirmSignBus).

#include "NetWorkBusiness.h"

#include "CLog.h"
#include "LoadingWidget.h"

#include <QDebug>
#include <QHttpMultiPart>
#include <QHttpPart>
#include <QSettings>

namespace {

// The style of the drafting and signing steps: the end line "<name>请求结束-code=" with
// "-\n返回json数据:", an access manager of their own, the busy box hidden only on failure.
void useSigningStyle(ServiceCall& c, QWidget* loading)
{
    c.endText = c.name + QStringLiteral("请求结束-code=");
    c.endSeparator = QStringLiteral("-\n返回json数据:");
    c.ownManager = true;
    c.loading = loading;
    c.busy = ServiceCall::HiddenOnFailure;
}

// The style of the requests that send only the contract id: the start line
// "---------<name>请求开始（入参：contractId：<id>)----------", the end line "<name>返回-code=", the
// body {"contractId": id} and the busy box with its handling.
void useContractIdStyle(ServiceCall& c, const QString& contractId, QWidget* loading, ServiceCall::Busy busy)
{
    c.startText = QString("---------%1请求开始（入参：contractId：%2)----------").arg(c.name, contractId);
    c.endText = c.name + QStringLiteral("返回-code=");
    c.setJson(QJsonObject{{"contractId", contractId}});
    c.loading = loading;
    c.busy = busy;
}

// The file part of an upload form. The name goes into the disposition unchanged (UTF-8), so
// names with blanks or Chinese characters reach the service as they are.
QHttpPart filePart(const QString& fileName, const QString& contentType, const QByteArray& bytes)
{
    QHttpPart part;
    part.setRawHeader("Content-Disposition", QString("form-data;name=\"file\";filename=\"%1\";").arg(fileName).toUtf8());
    part.setRawHeader("Content-Type", contentType.toUtf8());
    part.setBody(bytes);
    return part;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Status keys and the list filter

QString NetWorkBusiness::getContractStatus(int type)
{
    switch (type) {
    case cs_waitforme: return QStringLiteral("wait_for_me");
    case cs_waitforother: return QStringLiteral("wait_for_other");
    case cs_completed: return QStringLiteral("completed");
    case cs_overdue: return QStringLiteral("overdue");
    case cs_refuse: return QStringLiteral("user_refuse");
    case cs_drafts: return QStringLiteral("drafts");
    default: return QString();
    }
}

int NetWorkBusiness::getContractStatus(QString str)
{
    for (int type = cs_waitforme; type <= cs_drafts; ++type)
        if (str == getContractStatus(type))
            return type;
    return cs_nostate;
}

QString NetWorkBusiness::getContractSignType(int type)
{
    switch (type) {
    case ntst_seal: return QStringLiteral("seal");
    case ntst_sign: return QStringLiteral("sign");
    default: return QString();
    }
}

QJsonObject NetWorkBusiness::contractFilter(int type, const QString& contractName, const QString& startFromTime,
                                            const QString& startToTime, int typeTo)
{
    QJsonObject filter;
    const QString status = getContractStatus(type);
    if (!status.isEmpty())
        filter.insert("contractStatus", status);
    if (!contractName.isEmpty())
        filter.insert("contractName", contractName);
    static const char* const ranges[][2] = {
        {"startFromTime", "startToTime"}, {"signEndFromTime", "signEndToTime"}, {"endFromTime", "endToTime"}};
    if (typeTo >= 0 && typeTo <= 2) {
        filter.insert(ranges[typeTo][0], startFromTime);
        filter.insert(ranges[typeTo][1], startToTime);
    }
    return filter;
}

QString NetWorkBusiness::usbKeySecurityCode()
{
    return QStringLiteral("0b7d93a1e5c2f8d4a6b09e3c71f2d5a8");
}

// ---------------------------------------------------------------------------------------------
// Drafting and signers

int NetWorkBusiness::getContractMark(QString& contractId, QWidget* loading)
{
    ServiceCall c(bt_getcontractmark, "getContractMark");
    useContractIdStyle(c, contractId, loading, ServiceCall::HiddenOnFailure);
    c.setEmptyBody();
    const ServiceReply r = call(c);
    if (!r.ok())
        return 0;
    contractId = jsonText(r.dataObject(), "contractId");
    return 1;
}

int NetWorkBusiness::contractAddBus(ContractAddDrafts& contractAddDrafts, const QString& pdfFileSaveId,
                                    const QString& contractName, const QString& contractType, const QString& signRule,
                                    const QString& representType, const QString& representIndex,
                                    const QString& signEndDate, const QString& remark, LoadingWidget* loading)
{
    ServiceCall c(bt_contractAdd, "contractAddBus");
    c.startText = "---------contractAddBus(添加合同到草稿箱)请求开始----------";
    c.endText = "contractAddBus请求结束-code=";
    c.endSeparator = "-\n返回json数据:";
    c.setJson(QJsonObject{{"pdfFileSaveId", pdfFileSaveId},
                          {"contractName", contractName},
                          {"contractType", contractType},
                          {"signRule", signRule},
                          {"representType", representType},
                          {"representIndex", representIndex},
                          {"signEndDate", signEndDate},
                          {"remark", remark}});
    c.timeoutMs = 20000;
    c.loading = loading;
    c.busy = ServiceCall::HiddenOnFailure;
    return callForRecord(c, contractAddDrafts);
}

int NetWorkBusiness::updateContract(QString contractId, QString contractName, QString contractType, QString signRule,
                                    QString signPattern, QString theme, QString remark, const QString& representType,
                                    const QString& representIndex, QString signEndDate, QWidget* loading)
{
    ServiceCall c(bt_updatecontract, "updateContract");
    c.startText = QString("---------updateContract请求开始（入参：contractId：%1-contractName：%2-contractType：%3-"
                          "signRule：%4-signPattern：%5-theme：%6-remark：%7-signEndDate：%8)----------")
                      .arg(contractId, contractName, contractType, signRule, signPattern, theme, remark, signEndDate);
    c.endText = "updateContract返回-code=";
    QJsonObject body{{"contractId", contractId}, {"contractName", contractName}, {"signRule", signRule},
                     {"signPattern", signPattern}, {"theme", theme}, {"remark", remark},
                     {"representType", representType}, {"representIndex", representIndex},
                     {"signEndDate", signEndDate}};
    if (!contractType.isEmpty())
        body.insert("contractType", contractType);
    c.setJson(body);
    c.loading = loading;
    c.busy = ServiceCall::HiddenOnFailure;
    return call(c).ok() ? 1 : 0;
}

int NetWorkBusiness::contractIssueBus(const QString& contractId, const QString& contractName,
                                      const QString& contractType, const QString& signRule, const QString& remark,
                                      LoadingWidget* loading)
{
    ServiceCall c(bt_contractIssue, "contractIssueBus");
    c.startText = "---------contractIssueBus(发起合同)请求开始----------";
    useSigningStyle(c, loading);
    c.setJson(QJsonObject{{"contractId", contractId},
                          {"contractName", contractName},
                          {"contractType", contractType},
                          {"signRule", signRule},
                          {"remark", remark}});
    return call(c).ok() ? 1 : 0;
}

int NetWorkBusiness::delContractBusiness(const QString& contractID, LoadingWidget* loading)
{
    ServiceCall c(bt_delcontract, "delContractBusiness");
    return sendOneValue(c, "contractID：", "contractId", contractID, loading);
}

int NetWorkBusiness::addContractSignatory(QString accountvalue, QString remarkName, QString& userid,
                                          QString& userType, LoadingWidget* loading)
{
    ServiceCall c(bt_adddcontractsignatory, "addContractSignatory");
    c.startText = QString("---------addContractSignatory请求开始（入参：accountvalue：%1-remarkName：%2-userid：%3-"
                          "userType：%4)----------")
                      .arg(accountvalue, remarkName, userid, userType);
    c.endText = "addContractSignatory返回-code=";
    c.setJson(QJsonObject{{"addValue", accountvalue}, {"remarkName", remarkName}});
    c.loading = loading;
    c.busy = ServiceCall::HiddenOnFailure;
    const ServiceReply r = call(c);
    if (!r.ok())
        return 0;
    userid = jsonText(r.dataObject(), "id");
    userType = QString::number(jsonInt(r.dataObject(), "userType"));
    return 1;
}

int NetWorkBusiness::deleteContractJoinUser(QString contractId, LoadingWidget* loading)
{
    ServiceCall c(bt_delete_contract_join_user, "deleteContractJoinUser");
    useContractIdStyle(c, contractId, loading, ServiceCall::HiddenOnFailure);
    return call(c).ok() ? 1 : 0;
}

int NetWorkBusiness::batchAddContractUser(QString contractId, QList<SignerInfo> signerList, QString proofTime,
                                          QString proofType, QString& contractJoinUserId, QWidget* loading)
{
    ServiceCall c(bt_batchaddcontractUser, "batchAddContractUser");
    c.startText = "---------batchAddContractUser请求开始----------";
    c.endText = "batchAddContractUser返回-code=";
    QJsonArray joinUsers;
    for (int i = 0; i < signerList.size(); ++i) {
        QJsonObject user{{"contractId", contractId},
                         {"userId", signerList.at(i).userId},
                         {"userType", QString::number(signerList.at(i).userType)},
                         {"signOrder", i + 1}};
        if (!proofTime.isEmpty())
            user.insert("proofTime", proofTime);
        if (!proofType.isEmpty())
            user.insert("proofType", proofType);
        joinUsers.append(user);
    }
    c.setJson(QJsonObject{{"contractId", contractId}, {"joinUserList", joinUsers}});
    c.loading = loading;
    c.busy = ServiceCall::HiddenOnFailure;
    const ServiceReply r = call(c);
    qDebug().noquote() << r.document.toJson();
    if (!r.ok())
        return 0;
    contractJoinUserId = jsonText(r.dataArray().at(0).toObject(), "contractJoinUserId");
    return 1;
}

int NetWorkBusiness::addContractUser(QString contractId, QString userId, QString userType, QString userAccount,
                                     QString phone, QString email, QString isLock, int signOrder,
                                     QString& contractJoinUserId, QString proofTime, QString proofType,
                                     QWidget* loading)
{
    ServiceCall c(bt_contracadduser, "addContractUser");
    c.startText = QString("---------addContractUser请求开始（入参：contractId：%1-userId：%2-userType：%3-userAccount：%4-"
                          "phone：%5-email：%6-isLock：%7-signOrder：%8-contractJoinUserId：%9-proofTime：%10-"
                          "proofType：%11)----------")
                      .arg(contractId, userId, userType, userAccount, phone, email, isLock, QString::number(signOrder),
                           contractJoinUserId)
                      .arg(proofTime, proofType);
    c.endText = "addContractUser返回-code=";
    QJsonObject body{{"contractId", contractId}, {"userId", userId}, {"userType", userType}, {"signOrder", signOrder}};
    if (!proofTime.isEmpty())
        body.insert("proofTime", proofTime);
    if (!proofType.isEmpty())
        body.insert("proofType", proofType);
    c.setJson(body);
    c.loading = loading;
    c.busy = ServiceCall::HiddenOnFailure;
    const ServiceReply r = call(c);
    if (!r.ok())
        return 0;
    if (!r.dataObject().isEmpty())
        contractJoinUserId = jsonText(r.dataObject(), "contractJoinUserId");
    return 1;
}

int NetWorkBusiness::updateContractUser(QString contractJoinUserId, QString proofType, QString proofTime,
                                        LoadingWidget* loading)
{
    ServiceCall c(bt_contract_user, "updateContractUser");
    c.startText = "---------updateContractUser(更新签署方信息)请求开始----------";
    c.endText = "updateContractUser请求结束-code=";
    c.setJson(QJsonObject{
        {"contractJoinUserId", contractJoinUserId}, {"proofType", proofType}, {"proofTime", proofTime}});
    c.loading = loading;
    c.busy = ServiceCall::HiddenOnFailure;
    return call(c).ok() ? 1 : 0;
}

int NetWorkBusiness::queryContractJoinuser(QString contractId, QList<ContractSignerInfo>& signers,
                                           LoadingWidget* loading)
{
    ServiceCall c(bt_querycontractjoinuser, "queryContractJoinuser");
    useContractIdStyle(c, contractId, loading, ServiceCall::ShownAndHidden);
    const ServiceReply r = call(c);
    if (!r.ok())
        return 0;
    appendRows(signers, r.dataObject().value("others"),
               [](ContractSignerInfo& signer, const QJsonObject& o) { signer.read(o); });
    return 1;
}

int NetWorkBusiness::queryContractBussiness(QString contractId, QString& fileurl, LoadingWidget* loading)
{
    ServiceCall c(bt_querycontract, "queryContractBussiness");
    useContractIdStyle(c, contractId, loading, ServiceCall::HiddenOnFailure);
    const ServiceReply r = call(c);
    if (!r.ok())
        return 0;
    fileurl = jsonText(r.dataObject(), "pdfFileSaveId");
    return 1;
}

// ---------------------------------------------------------------------------------------------
// Lists and recorded placements

int NetWorkBusiness::queryContractBusinessAboutme(QList<ContractInfo>& contractsInfoList, int type,
                                                  LoadingWidget* loading, QString contractName, QString startFromTime,
                                                  QString startToTime, int typeTo)
{
    ServiceCall c(bt_querycontractaboutme, "queryContractBusinessAboutme");
    c.startText = QString("---------queryContractBusinessAboutme请求开始（入参：type：%1-contractName：%2-"
                          "startFromTime：%3-startToTime：%4-typeTo：%5)----------")
                      .arg(QString::number(type), contractName, startFromTime, startToTime, QString::number(typeTo));
    c.endText = "queryContractBusinessAboutme返回-code=";
    c.setJson(contractFilter(type, contractName, startFromTime, startToTime, typeTo));
    c.loading = loading;
    c.errorSignal = false;
    return callForRows(c, contractsInfoList, [](ContractInfo& info, const QJsonObject& o) { info.read(o, false); });
}

int NetWorkBusiness::queryContractBusinessAboutmePage(QList<ContractInfo>& contractsInfoList, int type,
                                                      int& totalPage, LoadingWidget* loading, QString contractName,
                                                      QString startFromTime, QString startToTime, int typeTo,
                                                      int pageNum, int pageSize)
{
    ServiceCall c(bt_querycontractaboutmePage, "queryContractBusinessAboutmePage");
    c.startText = QString("---------queryContractBusinessAboutmePage请求开始（入参：type：%1-contractName：%2-"
                          "startFromTime：%3-startToTime：%4-typeTo：%5-pageNum：%6-pageSize：%7)----------")
                      .arg(QString::number(type), contractName, startFromTime, startToTime, QString::number(typeTo),
                           QString::number(pageNum), QString::number(pageSize));
    c.endText = "queryContractBusinessAboutmePage返回-code=";
    c.setPaged(contractFilter(type, contractName, startFromTime, startToTime, typeTo),
               ServiceCall::pageBean(pageNum, pageSize));
    c.loading = loading;
    const ServiceReply r = call(c);
    // The page count is taken from any answer that carries one, failed or not.
    if (!r.object.isEmpty())
        totalPage = r.pages();
    if (!r.ok())
        return 0;
    appendRows(contractsInfoList, r.pageList(), [](ContractInfo& info, const QJsonObject& o) { info.read(o, true); });
    return 1;
}

int NetWorkBusiness::contractGetDetailsBus(ContractGetDetails& conGetDeta, const QString& contractId,
                                           LoadingWidget* loading)
{
    ServiceCall c(bt_contractGetDetails, "contractGetDetailsBus");
    c.setOneValue("contractId", "contractId", contractId, loading);
    const ServiceReply r = call(c);
    if (!r.ok())
        return 0;
    const QJsonObject first = r.dataArray().at(0).toObject();
    conGetDeta.sealUri = jsonText(first, "sealUri");
    conGetDeta.imageData = getFileDataById(conGetDeta.sealUri);
    conGetDeta.pageIndex = jsonInt(first, "pageIndex");
    conGetDeta.sealId = jsonText(first, "sealId");
    conGetDeta.signHeight = jsonInt(first, "signHeight");
    conGetDeta.signWidth = jsonInt(first, "signWidth");
    conGetDeta.signTop = jsonIntText(first, "signTop");
    conGetDeta.signLeft = jsonIntText(first, "signLeft");
    return 1;
}

int NetWorkBusiness::getContractDetails(QString contractJoinUserId, QList<ContractDetails>& listDetails,
                                        LoadingWidget* loading)
{
    ServiceCall c(bt_getContractDetails, "getContractDetails");
    useSigningStyle(c, loading);
    c.setJson(QJsonObject{{"contractJoinUserId", contractJoinUserId}});
    return callForRows(c, listDetails);
}

int NetWorkBusiness::clearContractDetails(QString contractDetailId, LoadingWidget* loading)
{
    ServiceCall c(bt_clearContractDetails, "clearContractDetails");
    useSigningStyle(c, loading);
    c.setJson(QJsonObject{{"contractDetailId", contractDetailId}});
    return call(c).ok() ? 1 : 0;
}

// ---------------------------------------------------------------------------------------------
// Signing

int NetWorkBusiness::contractSmsSignVerBusiness(QString account, QString phone)
{
    // The service finds the user by the session token.
    Q_UNUSED(account)
    Q_UNUSED(phone)
    ServiceCall c(bt_verifsign, "contractSmsSignVerBusiness");
    c.startText = "---------contractSmsSignVerBusiness(合同签署短信验证)请求开始----------";
    c.endText = "contractSmsSignVerBusiness请求结束-code=";
    c.busy = ServiceCall::NeverShown;
    return call(c).ok() ? 1 : 0;
}

int NetWorkBusiness::sureSignSmsVerBusiness(QString verCode, QString& proofTime)
{
    ServiceCall c(bt_checkSignSecurity, "sureSignSmsVerBusiness");
    c.startText = "---------sureSignSmsVerBusiness(合同签署短信验证)请求开始----------";
    c.endText = "sureSignSmsVerBusiness请求结束-code=";
    c.setJson(QJsonObject{{"securityCode", verCode}});
    c.busy = ServiceCall::NeverShown;
    const ServiceReply r = call(c);
    // Any answer in the envelope carries the proof time, failed or not.
    if (!r.object.isEmpty())
        proofTime = jsonText(r.dataObject(), "proofTime");
    return r.ok() ? 1 : 0;
}

int NetWorkBusiness::applyForSignBus(QString contractId, QWidget* loading)
{
    ServiceCall c(bt_apply_for_sign, "applyForSignBus");
    useContractIdStyle(c, contractId, loading, ServiceCall::HiddenOnFailure);
    return call(c).ok() ? 1 : 0;
}

int NetWorkBusiness::batchAddContractDetailBus(const QList<SealDetails>& sealDetails, LoadingWidget* loading)
{
    ServiceCall c(bt_contract_detail, "batchAddContractDetailBus");
    c.startText = "---------batchAddContractDetailBus(批量给文档新增签名或印章接口)请求开始----------";
    useSigningStyle(c, loading);
    QJsonArray placements;
    for (const SealDetails& d : sealDetails)
        placements.append(d.toJson());
    c.setJsonArray(placements);
    qDebug().noquote() << c.body;
    return call(c).ok() ? 1 : 0;
}

int NetWorkBusiness::batchSignContractBus(const QString& contractJoinUserId, const QString& securityCode,
                                          LoadingWidget* loading)
{
    ServiceCall c(bt_batchSignContract, "batchSignContractBus");
    c.startText = "---------batchSignContractBus(合同批量签署接口)请求开始----------";
    useSigningStyle(c, loading);
    c.setJson(QJsonObject{{"contractJoinUserId", contractJoinUserId}, {"securityCode", securityCode}});
    return call(c).ok() ? 1 : 0;
}

int NetWorkBusiness::batchSignContractBusKey(const QString& contractJoinUserId, const QString& securityCode,
                                             LoadingWidget* loading)
{
    // A USB-key signing proves presence by the key itself: the service takes a fixed code.
    Q_UNUSED(securityCode)
    ServiceCall c(bt_batchSignContract_key, "batchSignContractBusKey");
    c.startText = "---------batchSignContractBusKey(合同批量签署接口key)请求开始----------";
    useSigningStyle(c, loading);
    c.setJson(QJsonObject{{"contractJoinUserId", contractJoinUserId}, {"securityCode", usbKeySecurityCode()}});
    return call(c).ok() ? 1 : 0;
}

int NetWorkBusiness::affirmSignBus(const QString& contractJoinUserId, LoadingWidget* loading)
{
    ServiceCall c(bt_affirmSign, "affirmSignBus");
    return sendOneValue(c, "contractJoinUserId：", "contractJoinUserId", contractJoinUserId, loading);
}

int NetWorkBusiness::contractRefusesignBusiness(const QString& contractJoinUserId, LoadingWidget* loading)
{
    ServiceCall c(bt_refusesign, "contractRefusesignBusiness");
    return sendOneValue(c, "contractJoinUserId：", "contractJoinUserId", contractJoinUserId, loading);
}

int NetWorkBusiness::remindcontractBusiness(const QString& contractID, LoadingWidget* loading)
{
    ServiceCall c(bt_remindsign, "remindcontractBusiness");
    return sendOneValue(c, "contractID：", "contractId", contractID, loading);
}

int NetWorkBusiness::addContractSeal(QString contractId, QString contractJoinUserId, int isLock, QString sealId,
                                     int signType, int pageIndex, int signTop, int signLeft, QString certSn,
                                     QString signTimestamp, QWidget* loading)
{
    ServiceCall c(bt_addcontractSeal, "addContractSeal");
    c.startText = QString("---------addContractSeal请求开始（入参：contractId：%1-contractJoinUserId：%2-isLock：%3-"
                          "sealId：%4-signType：%5-pageIndex：%6-signTop：%7-signLeft：%8-certSn：%9-"
                          "signTimestamp：%10)----------")
                      .arg(contractId, contractJoinUserId, QString::number(isLock), sealId, QString::number(signType),
                           QString::number(pageIndex), QString::number(signTop), QString::number(signLeft), certSn)
                      .arg(signTimestamp);
    c.endText = "addContractSeal返回-code=";
    SealDetails d;
    d.contractId = contractId;
    d.contractJoinUserId = contractJoinUserId;
    d.isLock = isLock;
    d.sealId = sealId;
    d.signType = getContractSignType(signType);
    d.pageIndex = pageIndex;
    d.signTop = signTop;
    d.signLeft = signLeft;
    d.certificateSerialNumber = certSn;
    d.signTimestamp = signTimestamp;
    c.setJson(d.toJson());
    c.loading = loading;
    c.busy = ServiceCall::HiddenOnFailure;
    return call(c).ok() ? 1 : 0;
}

int NetWorkBusiness::makeContractSign(QString contractId, QString pdfFileSaveId, QWidget* loading)
{
    ServiceCall c(bt_makecontractsign, "makeContractSign");
    c.startText = QString("---------makeContractSign请求开始（入参：contractId：%1-pdfFileSaveId：%2)----------")
                      .arg(contractId, pdfFileSaveId);
    c.endText = "makeContractSign返回-code=";
    c.setJson(QJsonObject{{"contractId", contractId}, {"pdfFileSaveId", pdfFileSaveId}});
    c.timeoutMs = 30000;
    c.emptyBodyText = QStringLiteral("网络连接超时，请检查您的网络链接或重试！");
    c.loading = loading;
    c.busy = ServiceCall::HiddenOnFailure;
    return call(c).ok() ? 1 : 0;
}

int NetWorkBusiness::deleteContractMar(QString contractId)
{
    ServiceCall c(bt_deletecontractmark, "deleteContractMar");
    useContractIdStyle(c, contractId, nullptr, ServiceCall::NeverShown);
    return call(c).ok() ? 1 : 0;
}

// ---------------------------------------------------------------------------------------------
// Stored files, templates and QR codes

int NetWorkBusiness::fileUpLoad(const QString& imgStr, const QString& business, const QString& project,
                                const QString& imgType, QString& imageUrl, const QByteArray& fileByte, QString& fileId,
                                LoadingWidget* loading)
{
    ServiceCall c(bt_fileUpLoad, "fileUpLoad");
    c.startText = "---------fileUpLoad请求开始----------";
    c.setEmptyBody();   // the end line shows nothing after an empty reply
    // The form goes with the reply, which the cycle releases once it has been read.
    c.multipart = new QHttpMultiPart(QHttpMultiPart::FormDataType);
    c.multipart->append(filePart(imgStr, imgType, fileByte));
    c.multipart->append(formTextPart("business", business));
    c.multipart->append(formTextPart("project", project));
    c.timeoutMs = 20000;
    c.loading = loading;
    c.busy = ServiceCall::HiddenOnFailure;
    const ServiceReply r = call(c);
    if (!r.ok())
        return 0;
    imageUrl = jsonText(r.dataObject(), "downloadUrl");
    fileId = jsonText(r.dataObject(), "id");
    return 1;
}

int NetWorkBusiness::fileUpdate(QString fileId, QString business, QString project, QString fileStr, QString imgType,
                                QByteArray fileByte, LoadingWidget* loading)
{
    ServiceCall c(bt_updateFile, "fileUpdate");
    c.startText = "---------fileUpdate请求开始----------";
    c.setEmptyBody();
    c.multipart = new QHttpMultiPart(QHttpMultiPart::FormDataType);
    c.multipart->append(formTextPart("id", fileId));
    c.multipart->append(formTextPart("business", business));
    c.multipart->append(formTextPart("project", project));
    c.multipart->append(filePart(fileStr, imgType, fileByte));
    c.loading = loading;
    c.busy = ServiceCall::HiddenOnFailure;
    return call(c).ok() ? 1 : 0;
}

int NetWorkBusiness::getFileServerToken(QString& token, QWidget* loading)
{
    ServiceCall c(bt_getfiletoken, "getFileServerToken");
    c.startText = QString("---------getFileServerToken请求开始（入参：token：%1)----------").arg(CLog::mask(token));
    c.endText = "getFileServerToken返回-code=";
    c.setEmptyBody();
    c.loading = loading;
    c.busy = ServiceCall::HiddenOnFailure;
    const ServiceReply r = call(c);
    if (!r.ok())
        return 0;
    token = r.data.isString() ? r.data.toString() : QString();
    return 1;
}

int NetWorkBusiness::getTemplateBusiness(QList<TemplateInfo>& templateInfos, LoadingWidget* loading)
{
    ServiceCall c(bt_gettemplate, "getTemplateBusiness");
    c.loading = loading;
    return callForRows(c, templateInfos);
}

int NetWorkBusiness::createQrcode(QString content, QString& imgBase64, QWidget* loading)
{
    ServiceCall c(bt_createQrcode, "createQrcode");
    // The caller passes the session token: it never reaches the log.
    c.startText = QString("---------createQrcode请求开始（入参：content：%1)----------")
                      .arg(content.isEmpty() ? QString() : CLog::mask(content));
    c.endText = "createQrcode返回-code=";
    if (!content.isEmpty()) {
        QSettings config(m_exePath, QSettings::IniFormat);
        const QByteArray prefix = QByteArray::fromBase64(config.value("addressUrl/signCode").toByteArray());
        c.setJson(QJsonObject{{"content", QString::fromUtf8(prefix) + content}});
    }
    c.loading = loading;
    c.busy = ServiceCall::HiddenAfter;
    const ServiceReply r = call(c);
    if (!r.ok())
        return 0;
    imgBase64 = jsonText(r.dataObject(), "qrcodeBase64");
    return 1;
}
