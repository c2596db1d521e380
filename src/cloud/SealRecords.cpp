#include "SealRecords.h"

#include "NetWorkBusinessRecords.h"

#include <QStringList>

namespace {

constexpr double kDefaultSealMm = 40.0;

double mmToPoints(double mm)
{
    return mm * 72.0 / 25.4;
}

} // namespace

void sealSizeToPoints(const QString& size, double& width, double& height)
{
    width = height = mmToPoints(kDefaultSealMm);
    const QStringList parts = size.split('*');
    if (parts.size() != 2)
        return;
    bool okW = false, okH = false;
    const double w = parts.at(0).trimmed().toDouble(&okW);
    const double h = parts.at(1).trimmed().toDouble(&okH);
    // A seal drawn with a side of zero (or a negative or unreadable one) would vanish from the
    // page: such sizes keep the default.
    if (!okW || !okH || !(w > 0) || !(h > 0) || w > 1e4 || h > 1e4)
        return;
    width = mmToPoints(w);
    height = mmToPoints(h);
}

void SealInfo::fillFromJson(const QJsonObject& o)
{
    id = jsonText(o, "id");
    name = jsonText(o, "name");
    sealCode = jsonText(o, "sealCode");
    sealType = jsonText(o, "sealType");
    sealSizeToPoints(jsonText(o, "size"), width, height);
    hash = jsonText(o, "hash");
    creationDate = jsonText(o, "creationDate");
    updateDate = jsonText(o, "updateDate");
    sealSaveID = jsonText(o, "sealSaveID");
    fileUrl = jsonText(o, "fileUrl");
    remark = jsonText(o, "remark");
    status = jsonInt(o, "status");
    userID = jsonText(o, "userID");
    creditCode = jsonText(o, "creditCode");
    companyName = jsonText(o, "companyName");
    companyPhone = jsonText(o, "companyPhone");
    base64Code = jsonText(o, "base64Code");
    startTime = jsonText(o, "startTime");
    endTime = jsonText(o, "endTime");
    sealUsageDesc = jsonText(o, "sealUsageDesc");
    sealUnitName = jsonText(o, "sealUnitName");
    sealRecordUnitName = jsonText(o, "sealRecordUnitName");
    sealRecordTime = jsonText(o, "sealRecordTime");
    sealShow = jsonInt(o, "sealShow");
    certification = jsonInt(o, "certification");
    whetherOnline = jsonInt(o, "whetherOnline");
}

void UserSignatureInfo::fillFromJson(const QJsonObject& o)
{
    id = jsonText(o, "id");
    name = jsonText(o, "name");
    size = jsonText(o, "size");
    sealSizeToPoints(size, width, height);
    signatureType = jsonText(o, "signatureType");
    creationDate = jsonText(o, "creationDate");
    updateDate = jsonText(o, "updateDate");
    signatureSaveID = jsonText(o, "signatureSaveID");
    remark = jsonText(o, "remark");
    status = jsonInt(o, "status");
    userID = jsonText(o, "userID");
    startTime = jsonText(o, "startTime");
    endTime = jsonText(o, "endTime");
    base64Code = jsonText(o, "base64Code");
    defaultSignature = jsonInt(o, "defaultSignature");
}

void CertificationFailure::fillFromJson(const QJsonObject& o)
{
    userID = jsonText(o, "userID");
    sealSaveID = jsonText(o, "sealSaveID");
    sealType = jsonText(o, "sealType");
    id = jsonText(o, "id");
    sealShow = jsonInt(o, "sealShow");
    name = jsonText(o, "name");
    creationDate = jsonText(o, "creationDate");
    creditCode = jsonText(o, "creditCode");
    defaultSeal = jsonInt(o, "defaultSeal");
    errorReason = jsonText(o, "errorReason");
    status = jsonInt(o, "status");
    fileUrl = jsonText(o, "fileUrl");
}

void CompanySealInfo::fillFromJson(const QJsonObject& o)
{
    SealInfo s;
    s.fillFromJson(o);
    id = s.id;
    name = s.name;
    sealCode = s.sealCode;
    sealType = s.sealType;
    width = s.width;
    height = s.height;
    hash = s.hash;
    creationDate = s.creationDate;
    updateDate = s.updateDate;
    sealSaveID = s.sealSaveID;
    fileUrl = s.fileUrl;
    remark = s.remark;
    status = s.status;
    userID = s.userID;
    creditCode = s.creditCode;
    companyName = s.companyName;
    companyPhone = s.companyPhone;
    base64Code = s.base64Code;
    startTime = s.startTime;
    endTime = s.endTime;
    sealUsageDesc = s.sealUsageDesc;
    sealShow = s.sealShow;
    certification = s.certification;
    errorReason = jsonText(o, "errorReason");
}
