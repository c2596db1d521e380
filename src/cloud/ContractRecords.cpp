#include "ContractRecords.h"

#include "GlobalHeader.h"
#include "NetWorkBusinessRecords.h"

#include <QStringList>

int jsonIntText(const QJsonObject& o, const QString& key)
{
    bool ok = false;
    const int n = jsonText(o, key).toInt(&ok);
    return ok ? n : 0;
}

void sealSizeFromText(const QString& size, double& width, double& height)
{
    const QStringList parts = size.split('*');
    if (parts.size() == 2) {
        width = MMtoPixel(parts.at(0).toInt());
        height = MMtoPixel(parts.at(1).toInt());
    } else {
        width = MMtoPixel(40);
        height = MMtoPixel(40);
    }
}

void ContractAddDrafts::read(const QJsonObject& o)
{
    id = jsonText(o, "contractAddDrafts");
    contractName = jsonText(o, "contractName");
    contractId = jsonText(o, "contractId");
    contractType = jsonText(o, "contractType");
    userId = jsonText(o, "userId");
    userAccount = jsonText(o, "userAccount");
    userName = jsonText(o, "userName");
    userImgUrl = jsonText(o, "userImgUrl");
    presentUserId = jsonText(o, "presentUserId");
    presentUserType = jsonText(o, "presentUserType");
    presentUserName = jsonText(o, "presentUserName");
    presentUserImgUrl = jsonText(o, "presentUserImgUrl");
    userType = jsonText(o, "userType");
    theme = jsonText(o, "theme");
    templateType = jsonText(o, "templateType");
    templateId = jsonText(o, "templateId");
    startDate = jsonText(o, "startDate");
    endDate = jsonText(o, "endDate");
    createDate = jsonText(o, "createDate");
    updateDate = jsonText(o, "updateDate");
    signOrder = jsonText(o, "signOrder");
    status = jsonText(o, "status");
    statusIn = jsonText(o, "statusIn");
    statusNotIn = jsonText(o, "statusNotIn");
    pdfFileSaveId = jsonText(o, "pdfFileSaveId");
    signEndDate = jsonText(o, "signEndDate");
    remark = jsonText(o, "remark");
}

void ContractSignerInfo::read(const QJsonObject& o)
{
    me = false;
    signDate = jsonText(o, "signDate");
    userAccount = jsonText(o, "userAccount");
    userName = jsonText(o, "userName");
    signOrder = jsonInt(o, "signOrder");
    role = jsonText(o, "role");
    signStatu = jsonText(o, "signStatus");
}

void ContractInfo::read(const QJsonObject& o, bool withStartDate)
{
    id = jsonText(o, "id");
    contractJoinUserId = jsonText(o, "contractJoinUserId");
    contractId = jsonText(o, "contractId");
    contractName = jsonText(o, "contractName");
    status = jsonText(o, "contractStatus");
    userAccount = jsonText(o, "userAccount");
    userType = jsonInt(o, "userType");
    phone = jsonText(o, "phone");
    issueUserId = jsonText(o, "issueUserId");
    issueUserName = jsonText(o, "issueUserName");
    issueUserImgUri = jsonText(o, "issueUserImgUri");
    presentUserName = jsonText(o, "presentUserName");
    signOrder = jsonInt(o, "signOrder");
    if (withStartDate)
        startDate = jsonText(o, "startDate");
    createDate = jsonText(o, "createDate");
    updateDate = jsonText(o, "updateDate");
    pdfFileSaveId = jsonText(o, "pdfFileSaveId");
    signRule = jsonText(o, "signRule");
    signEndDate = jsonText(o, "signEndDate");
    signDate = jsonText(o, "signDate");
    remark = jsonText(o, "remark");
    signReportUri = jsonText(o, "signReportUri");
}

void ContractDetails::read(const QJsonObject& o)
{
    id = jsonText(o, "id");
    contractDetailId = jsonText(o, "contractDetailId");
    contractId = jsonText(o, "contractId");
}

QJsonObject SealDetails::toJson() const
{
    return QJsonObject{{"contractId", contractId},
                       {"contractJoinUserId", contractJoinUserId},
                       {"isLock", isLock},
                       {"sealId", sealId},
                       {"signType", signType},
                       {"pageIndex", pageIndex},
                       {"signTop", signTop},
                       {"signLeft", signLeft},
                       {"certificateSerialNumber", certificateSerialNumber},
                       {"signTimestamp", signTimestamp}};
}

void TemplateInfo::read(const QJsonObject& o)
{
    createBy = jsonText(o, "createBy");
    endTime = jsonText(o, "endTime");
    id = jsonText(o, "id");
    jpgID = jsonText(o, "jpgID");
    pdfID = jsonText(o, "pdfID");
    startTime = jsonText(o, "startTime");
    status = jsonInt(o, "status");
    storageId = jsonText(o, "storageId");
    storageType = jsonInt(o, "storageType");
    templateName = jsonText(o, "templateName");
    templateType = jsonText(o, "templateType");
    updateBy = jsonText(o, "updateBy");
}

void AuthorizeList::read(const QJsonObject& o)
{
    authId = jsonText(o, "authId");
    authorizeCompanyName = jsonText(o, "authorizeCompanyName");
    authorizeCompanyAccount = jsonText(o, "authorizeCompanyAccount");
    personName = jsonText(o, "personName");
    personAccount = jsonText(o, "personAccount");
    authorizeDate = jsonText(o, "authorizeDate");
    sealUsageDate = jsonText(o, "sealUsageDate");
    authorizeStatus = jsonInt(o, "authorizeStatus");
    statusDesc = jsonText(o, "statusDesc");
    protocolId = jsonText(o, "protocolId");
}

void AuthCompanyInfo::read(const QJsonObject& o)
{
    authId = jsonText(o, "authId");
    authorizeCompanyName = jsonText(o, "authorizeCompanyName");
    authorizeCompanyAccount = jsonText(o, "authorizeCompanyAccount");
    authorizeCompanyId = jsonText(o, "authorizeCompanyId");
}
