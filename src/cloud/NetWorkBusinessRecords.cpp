#include "NetWorkBusinessRecords.h"

QString jsonText(const QJsonObject& o, const QString& key)
{
    const QJsonValue v = o.value(key);
    return v.isString() ? v.toString() : QString();
}

int jsonInt(const QJsonObject& o, const QString& key)
{
    const QJsonValue v = o.value(key);
    return v.isDouble() ? v.toInt() : 0;
}

double jsonDouble(const QJsonObject& o, const QString& key)
{
    const QJsonValue v = o.value(key);
    return v.isDouble() ? v.toDouble() : 0.0;
}

bool jsonBool(const QJsonObject& o, const QString& key)
{
    return o.value(key).toBool(false);
}

void BusinessInfo::fillFromLogin(const QString& sessionToken, const QJsonObject& d)
{
    token = sessionToken;
    id = jsonText(d, "id");
    updateBy = jsonText(d, "updateBy");
    updateDate = jsonText(d, "updateDate");
    createBy = jsonText(d, "createBy");
    createDate = jsonText(d, "createDate");
    status = jsonInt(d, "status");
    remark = jsonText(d, "remark");
    userAccount = jsonText(d, "userAccount");
    userPassword = jsonText(d, "userPassword");
    passwordChangeNum = jsonInt(d, "passwordChangeNum");
    userType = jsonInt(d, "userType");
    imgUrl = jsonText(d, "imgUrl");
    signPassword = jsonText(d, "signPassword");
    authenName = jsonText(d, "authenName");
    creditCode = jsonText(d, "creditCode");
    userName = jsonText(d, "userName");
    authenCardId = jsonText(d, "authenCardId");
    authenPhone = jsonText(d, "authenPhone");
    authenEmail = jsonText(d, "authenEmail");
    authenType = jsonInt(d, "authenType");
    authenStatus = jsonInt(d, "authenStatus");
    isReceiveMsg = jsonInt(d, "isReceiveMsg");
    registerDate = jsonText(d, "registerDate");
    authenDate = jsonText(d, "authenDate");
    ukey = jsonText(d, "ukey");
    clientType = jsonText(d, "clientType");
    contactPhone = jsonText(d, "contactPhone");
}

void BusinessInfo::clear()
{
    *this = BusinessInfo();
}
