// Packages, orders and payment; invoices and the region tree.

#include "NetWorkBusiness.h"

#include "LoadingWidget.h"

namespace {

// Where the payment page sends the payer back to: the service's public web site.
const char* const kPayReturnUrl = "https://www.eseal.telvar.cn";

// The renewal price of the signing certificate, in yuan.
constexpr double kCertRenewalAmount = 200.0;

} // namespace

int NetWorkBusiness::getMyPackageBusiness(QList<PackageInfo>& packageInfos, LoadingWidget* loading)
{
    ServiceCall c(bt_getmypackage, "getMyPackageBusiness");
    c.loading = loading;
    return callForRows(c, packageInfos);
}

int NetWorkBusiness::getMyPackageOrderListBusiness(QList<MyPackageOrderList>& myPackageOrderList, QString userId,
                                                   int mealStatus, int status, int pageNum, int pageSize, int& pages,
                                                   LoadingWidget* loading)
{
    ServiceCall c(bt_myPackageOrderLiat, "getMyPackageOrderListBusiness");
    c.startText = QString("---------getMyPackageOrderListBusiness请求开始(入参：userId：%1-mealStatus：%2-status：%3-"
                          "pageNum：%4-pageSize：%5)----------")
                      .arg(userId, QString::number(mealStatus), QString::number(status), QString::number(pageNum),
                           QString::number(pageSize));
    QJsonObject entity{{"userId", userId}};
    if (status != 0) {
        entity.insert("status", status);
    } else {
        entity.insert("mealStatus", mealStatus);
        entity.insert("status", 0);
    }
    // Crosswise: the caller's pageNum is the rows per page, its pageSize the page number.
    c.setPaged(entity, pageNum != 0 ? QJsonObject{{"pageNum", pageSize}, {"pageSize", pageNum}} : QJsonObject());
    c.loading = loading;
    return callForPage(c, myPackageOrderList, pages);
}

int NetWorkBusiness::getMyPackageOrderBusiness(QList<PackageOrderInfo>& packageOrderInfos, int status, int pageNum,
                                               int pageSize, int& pages, LoadingWidget* loading)
{
    ServiceCall c(bt_getmypackageOrder, "getMyPackageOrderBusiness");
    c.startText = QString("---------getMyPackageOrderBusiness请求开始(入参：status：%1-pageNum：%2-pageSize：%3)----------")
                      .arg(QString::number(status), QString::number(pageNum), QString::number(pageSize));
    // Status -1 asks for every order.
    const QJsonObject entity = status != -1 ? QJsonObject{{"status", status}} : QJsonObject();
    // Crosswise, as in the list of held packages.
    c.setPaged(entity, pageNum != 0 ? QJsonObject{{"pageNum", pageSize}, {"pageSize", pageNum}} : QJsonObject());
    c.loading = loading;
    return callForPage(c, packageOrderInfos, pages);
}

int NetWorkBusiness::getBuyMealBusiness(QList<BuyPackageInfo>& buyMealInfo, LoadingWidget* loading)
{
    ServiceCall c(bt_buymealinfo, "getBuyMealBusiness");
    c.loading = loading;
    return callForRows(c, buyMealInfo);
}

int NetWorkBusiness::getBuyMeal(QString codeMeal, QString& id, LoadingWidget* loading)
{
    ServiceCall c(bt_buyMeal, "getBuyMeal");
    c.startText = QString("---------getBuyMeal请求开始(入参：codeMeal：%1)----------").arg(codeMeal);
    c.setJson(QJsonObject{{"code", codeMeal}, {"num", 1}});
    // A purchase is three requests under one busy box: it stays up for the next two.
    c.loading = loading;
    c.busy = ServiceCall::ShownHiddenOnFailure;
    const ServiceReply r = call(c);
    if (!r.ok())
        return 0;
    id = jsonText(r.dataObject(), "id");
    return 1;
}

int NetWorkBusiness::getPersonageOrderStatus(QString id, PersonageOrderStatus& perOrder, LoadingWidget* loading)
{
    ServiceCall c(bt_personageOrderStatus, "getPersonageOrderStatus");
    c.setOneValue("id：", "id", id, loading);
    c.busy = ServiceCall::HiddenOnFailure;
    return callForRecord(c, perOrder);
}

int NetWorkBusiness::getCertOrderStatus(PersonageOrderStatus& perOrder, LoadingWidget* loading)
{
    ServiceCall c(bt_certOrderStatus, "getCertOrderStatus");
    c.startPrefix = QStringLiteral("\n");
    c.startText = QStringLiteral("getCertOrderStatus请求开始");
    c.setJson(QJsonObject{{"orderAmount", kCertRenewalAmount}});
    c.loading = loading;
    c.busy = ServiceCall::HiddenOnFailure;
    return callForRecord(c, perOrder);
}

int NetWorkBusiness::getCreatePayQr(const PersonageOrderStatus& perorder, QString& qrCodeBase64, QString& billNo,
                                    LoadingWidget* loading)
{
    ServiceCall c(bt_createPayQr, "getCreatePayQr");
    c.setJson(QJsonObject{
        {"createDate", perorder.createDate},
        {"endDate", perorder.endDate},
        {"expireDate", perorder.expireDate},
        {"id", perorder.id},
        {"invoiceState", perorder.invoiceState},
        {"mealCapacity", perorder.mealCapacity},
        {"mealDescr", perorder.mealDescr},
        {"mealName", perorder.mealName},
        {"openId", perorder.openId},
        {"orderAmount", perorder.orderAmount},
        {"orderCode", perorder.orderCode},
        {"remark", perorder.remark},
        {"returnUrl", QString::fromLatin1(kPayReturnUrl)},
        {"setmealCode", perorder.setmealCode},
        {"setmealNum", perorder.setmealNum},
        {"startDate", perorder.startDate},
        {"status", perorder.status},
        {"updateDate", perorder.updateDate},
        {"userId", perorder.userId},
    });
    // The last step of a purchase takes the busy box down whatever happens.
    c.loading = loading;
    c.busy = ServiceCall::HiddenAfter;
    const ServiceReply r = call(c);
    if (!r.ok())
        return 0;
    const QJsonObject d = r.dataObject();
    qrCodeBase64 = jsonText(d, "qrCodeBase64");
    billNo = jsonText(d, "billNo");
    return 1;
}

int NetWorkBusiness::getPayStatus(const QString& orderid, int& paySta)
{
    ServiceCall c(bt_payStatus, "getPayStatus");
    c.setOneValue("orderid：", "id", orderid, nullptr);
    c.busy = ServiceCall::NeverShown;
    const ServiceReply r = call(c);
    if (!r.ok())
        return 0;
    paySta = r.data.isDouble() ? r.data.toInt() : 0;
    return 1;
}

int NetWorkBusiness::deleteOrderList(QString id, LoadingWidget* loading)
{
    ServiceCall c(bt_deleteOrderList, "deleteOrderList");
    c.startText = QString("---------deleteOrderList请求开始(入参：id：%1)----------").arg(id);
    c.setJson(QJsonObject{{"id", id}, {"status", -1}});
    c.loading = loading;
    return call(c).ok() ? 1 : 0;
}

// ---------------------------------------------------------------------------------------------
// Invoices and regions

int NetWorkBusiness::setAddInvoiceBusiness(const QString& orderCode, const int& type, const QString& title,
                                           const QString& realFitting, const QString& corporateCredit,
                                           const QString& corporateAccount, const QString& phone,
                                           const QString& address, const QString& remark, const QString& receiverName,
                                           const QString& receiverPhone, const QString& receiverAddress,
                                           const QString& mailbox, LoadingWidget* loading)
{
    ServiceCall c(bt_addInvoice, "setAddInvoiceBusiness");
    QJsonObject body{
        {"codeList", QJsonArray{orderCode}},
        {"type", type},
        {"title", title},
        {"realFitting", realFitting},
        {"corporateCredit", corporateCredit},
        {"corporateAccount", corporateAccount},
        {"phone", phone},
        {"address", address},
        {"remark", remark},
        {"receiverName", receiverName},
        {"receiverPhone", receiverPhone},
        {"receiverAddress", receiverAddress},
    };
    if (!mailbox.isEmpty())
        body.insert("receiverEmil", mailbox);
    c.setJson(body);
    c.loading = loading;
    return call(c).ok() ? 1 : 0;
}

int NetWorkBusiness::getQueryRegion(QList<QueryRegionList>& queryRegionList, const int& id, LoadingWidget* loading)
{
    Q_UNUSED(loading)   // the invoice form fills its boxes without a busy box
    ServiceCall c(bt_queryRegion, "getQueryRegion");
    // -1 asks for the top level, the provinces.
    c.setJson(id != -1 ? QJsonObject{{"id", id}} : QJsonObject());
    c.busy = ServiceCall::NeverShown;
    c.errorSignal = false;
    return callForRows(c, queryRegionList);
}

int NetWorkBusiness::getQueryBillDetails(const QString& id, BillDetailsInfo& billDetailsInfo, LoadingWidget* loading)
{
    ServiceCall c(bt_queryBillDetails, "getQueryBillDetails");
    c.setOneValue("id：", "id", id, loading);
    return callForRecord(c, billDetailsInfo);
}

int NetWorkBusiness::sendInvoiceEmailBusiness(const QString& receiverEmil, const QString& download_url,
                                              const QString& makeDate, LoadingWidget* loading)
{
    ServiceCall c(bt_sendInvoiceEmail, "sendInvoiceEmailBusiness");
    c.startText = QString("---------sendInvoiceEmailBusiness请求开始(入参：receiverEmil：%1-download_url：%2-makeDate：%3)"
                          "----------")
                      .arg(receiverEmil, download_url, makeDate);
    c.setJson(QJsonObject{{"receiverEmil", receiverEmil}, {"download_url", download_url}, {"makeDate", makeDate}});
    c.loading = loading;
    return call(c).ok() ? 1 : 0;
}
