#include "BusinessRecords.h"

QString jsonAmountText(const QJsonObject& o, const QString& key)
{
    // An amount that already comes as text is kept as the service wrote it.
    const QJsonValue v = o.value(key);
    return v.isString() ? v.toString() : QString::number(jsonDouble(o, key), 'f', 2);
}

namespace {

// The fields of a held package both package lists fill (the paged list leaves out mealCode).
void readHeldPackage(PackageInfo& p, const QJsonObject& o)
{
    p.createDate = jsonText(o, "createDate");
    p.endDate = jsonText(o, "endDate");
    p.id = jsonText(o, "id");
    p.mealDayNum = jsonInt(o, "mealDayNum");
    p.mealName = jsonText(o, "mealName");
    p.mealNum = jsonInt(o, "mealNum");
    p.mealResidueNum = jsonInt(o, "mealResidueNum");
    p.startDate = jsonText(o, "startDate");
    p.status = jsonInt(o, "status");
    p.updateDate = jsonText(o, "updateDate");
    p.noDate = jsonText(o, "noDate");
    p.userId = jsonText(o, "userId");
    p.userType = jsonInt(o, "userType");
}

} // namespace

void PackageInfo::read(const QJsonObject& o)
{
    readHeldPackage(*this, o);
    mealCode = jsonText(o, "mealCode");
}

void MyPackageOrderList::read(const QJsonObject& o)
{
    readHeldPackage(*this, o);
    orderId = jsonText(o, "orderId");
    mealImg = jsonText(o, "mealImg");
    price = jsonDouble(o, "price");
    details = jsonText(o, "details");
    mealStatus = jsonInt(o, "mealStatus");
}

void PackageOrderInfo::read(const QJsonObject& o)
{
    createDate = jsonText(o, "createDate");
    updateDate = jsonText(o, "updateDate");
    id = jsonText(o, "id");
    userId = jsonText(o, "userId");
    userType = jsonInt(o, "userType");
    orderCode = jsonText(o, "orderCode");
    setmealCode = jsonText(o, "setmealCode");
    setmealNum = jsonInt(o, "setmealNum");
    orderAmount = jsonAmountText(o, "orderAmount");
    status = jsonInt(o, "status");
    mealName = jsonText(o, "mealName");
    mealDescr = jsonText(o, "mealDescr");
    mealCapacity = jsonInt(o, "mealCapacity");
    remark = jsonText(o, "remark");
    invoiceState = jsonInt(o, "invoiceState");
    invoice_Id = jsonText(o, "invoiceId");
}

void BuyPackageInfo::read(const QJsonObject& o)
{
    createDate = jsonText(o, "createDate");
    price = jsonDouble(o, "price");
    capacity = jsonInt(o, "capacity");
    descr = jsonText(o, "descr");
    endDate = jsonText(o, "endDate");
    id = jsonText(o, "id");
    level = jsonInt(o, "level");
    code = jsonText(o, "code");
    serverType = jsonText(o, "serverType");
    startDate = jsonText(o, "startDate");
    status = jsonInt(o, "status");
    yearDays = jsonInt(o, "yearDays");
    name = jsonText(o, "name");
    details = jsonText(o, "details");
}

void PersonageOrderStatus::read(const QJsonObject& o)
{
    createDate = jsonText(o, "createDate");
    endDate = jsonText(o, "endDate");
    expireDate = jsonText(o, "expireDate");
    id = jsonText(o, "id");
    invoiceState = jsonInt(o, "invoiceState");
    mealCapacity = jsonInt(o, "mealCapacity");
    mealDescr = jsonText(o, "mealDescr");
    mealName = jsonText(o, "mealName");
    openId = jsonText(o, "openId");
    orderAmount = jsonAmountText(o, "orderAmount");
    orderCode = jsonText(o, "orderCode");
    remark = jsonText(o, "remark");
    setmealCode = jsonText(o, "setmealCode");
    setmealNum = jsonInt(o, "setmealNum");
    startDate = jsonText(o, "startDate");
    status = jsonInt(o, "status");
    updateDate = jsonText(o, "updateDate");
    userId = jsonText(o, "userId");
}

void QueryRegionList::read(const QJsonObject& o)
{
    name = jsonText(o, "name");
    id = jsonInt(o, "id");
}

void BillDetailsInfo::read(const QJsonObject& o)
{
    type = jsonInt(o, "type");
    status = jsonInt(o, "status");
    billContent = jsonText(o, "remark");
    title = jsonText(o, "title");
    code = jsonText(o, "invoiceCode");
    number = jsonText(o, "invoiceNumber");
    order = jsonText(o, "expressCode");
    download_url = jsonText(o, "downloadUrl");
    receiverEmil = jsonText(o, "receiverEmil");
    makeDate = jsonText(o, "makeDate");
}

void LinkmanInfo::read(const QJsonObject& o)
{
    id = jsonText(o, "id");
    userId = jsonText(o, "userId");
    userType = jsonInt(o, "userType");
    activation = jsonInt(o, "activation");
    authenEmail = jsonText(o, "authenEmail");
    authenStatus = jsonInt(o, "authenStatus");
    contactUserAccount = jsonText(o, "contactUserAccount");
    contactUserId = jsonText(o, "contactUserId");
    queryValue = jsonText(o, "queryValue");
    remarkName = jsonText(o, "remarkName");
    status = jsonInt(o, "status");
    userAccount = jsonText(o, "userAccount");
    userPhone = jsonText(o, "userPhone");
    contactUserType = jsonInt(o, "contactUserType");
    imgUrl = jsonText(o, "imgUrl");
    createDate = jsonText(o, "createDate");
    userName = jsonText(o, "userName");
}
