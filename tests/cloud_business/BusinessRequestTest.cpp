// Packages, orders, payment, invoices, regions and contacts: the body each operation sends, the
// records each fills from a canned reply, the envelope failures and the busy-box variants.

#include "BusinessTestSupport.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QTimer>

namespace {

const char* const kHeld = "/eseal-meal/centreBalanceController/getUserId";
const char* const kHeldPage = "/eseal-meal/centreBalanceController/queryPage";
const char* const kOrderPage = "/eseal-order/appOrderController/pageOrderStatus";
const char* const kForSale = "/eseal-meal/query/list/meal";
const char* const kBuy = "/tarvik-serve-manage-wexo/function/buy/meal";
const char* const kOrder = "/eseal-order/appOrderController/queryEntity";
const char* const kCertOrder = "/eseal-pay/functron/ECertOrder";
const char* const kPayQr = "/eseal-pay/functron/createPayQr";
const char* const kPayStatus = "/eseal-pay/query/payStatus";
const char* const kDeleteOrder = "/eseal-order/delete/upStatus";
const char* const kAddInvoice = "/eseal-order/functron/add/Invoice";
const char* const kRegion = "/eseal-order/functron/query/queryRegion";
const char* const kInvoice = "/eseal-order/functron/queryDetails/Invoice";
const char* const kInvoiceMail = "/eseal-order/functron/sendInvoiceEmail/Invoice";
const char* const kContacts = "/eseal-usermanage/contacts/query/list";
const char* const kAddContact = "/eseal-usermanage/contacts/add";
const char* const kDeleteContact = "/eseal-usermanage/contacts/delete";
const char* const kUpdateContact = "/eseal-usermanage/contacts/update";
const char* const kContactPage = "/eseal-usermanage/contacts/queryPage";
const char* const kFileAddress = "/eseal-file/file/getFileName";

NetWorkBusiness* net()
{
    return NetWorkBusiness::Instance();
}

PersonageOrderStatus sampleOrder()
{
    PersonageOrderStatus o;
    o.createDate = "2024-05-01 10:00:00";
    o.endDate = "2025-05-01 10:00:00";
    o.expireDate = "2024-05-01 12:00:00";
    o.id = "o-9";
    o.invoiceState = 0;
    o.mealCapacity = 50;
    o.mealDescr = u8("50次签署");
    o.mealName = u8("基础套餐");
    o.openId = "";
    o.orderAmount = "9.50";
    o.orderCode = "DD9";
    o.remark = "r";
    o.setmealCode = "TC001";
    o.setmealNum = 1;
    o.startDate = "2024-05-01 10:00:00";
    o.status = 0;
    o.updateDate = "2024-05-01 10:00:01";
    o.userId = "u-0001";
    return o;
}

} // namespace

// The tables of every operation: what the operations write into.
class BusinessTables : public BusinessTest
{
protected:
    QList<PackageInfo> held;
    QList<MyPackageOrderList> heldPage;
    QList<PackageOrderInfo> orders;
    QList<BuyPackageInfo> forSale;
    QList<QueryRegionList> regions;
    QList<LinkmanInfo> contacts;
    PersonageOrderStatus order;
    BillDetailsInfo bill;
    QString id, qr, billNo;
    int pages = 0, paySta = -1;
};

TEST_F(BusinessTables, EachOperationSendsItsBody)
{
    struct Row {
        const char* name;
        const char* path;
        std::function<int()> run;
        const char* body;
        const char* startLine;
    };
    const std::vector<Row> rows = {
        {"held packages", kHeld, [&] { return net()->getMyPackageBusiness(held, nullptr); }, "{}",
         "---------getMyPackageBusiness请求开始----------"},
        {"held page, status 0", kHeldPage,
         [&] { return net()->getMyPackageOrderListBusiness(heldPage, "u-1", 2, 0, 4, 3, pages, nullptr); },
         R"({"entity": {"userId": "u-1", "mealStatus": 2, "status": 0}, "pageBean": {"pageNum": 3, "pageSize": 4}})",
         "---------getMyPackageOrderListBusiness请求开始(入参：userId：u-1-mealStatus：2-status：0-pageNum：4-pageSize：3)"
         "----------"},
        {"held page, status 1", kHeldPage,
         [&] { return net()->getMyPackageOrderListBusiness(heldPage, "u-1", 2, 1, 4, 1, pages, nullptr); },
         R"({"entity": {"userId": "u-1", "status": 1}, "pageBean": {"pageNum": 1, "pageSize": 4}})", nullptr},
        {"held page, no page", kHeldPage,
         [&] { return net()->getMyPackageOrderListBusiness(heldPage, "u-1", 0, 0, 0, 5, pages, nullptr); },
         R"({"entity": {"userId": "u-1", "mealStatus": 0, "status": 0}, "pageBean": {}})", nullptr},
        {"orders, all, no page", kOrderPage,
         [&] { return net()->getMyPackageOrderBusiness(orders, -1, 0, 5, pages, nullptr); },
         R"({"entity": {}, "pageBean": {}})",
         "---------getMyPackageOrderBusiness请求开始(入参：status：-1-pageNum：0-pageSize：5)----------"},
        {"orders, paid, page 2 of 10 rows", kOrderPage,
         [&] { return net()->getMyPackageOrderBusiness(orders, 1, 10, 2, pages, nullptr); },
         R"({"entity": {"status": 1}, "pageBean": {"pageNum": 2, "pageSize": 10}})", nullptr},
        {"packages for sale", kForSale, [&] { return net()->getBuyMealBusiness(forSale, nullptr); }, "{}",
         "---------getBuyMealBusiness请求开始----------"},
        {"buy", kBuy, [&] { return net()->getBuyMeal("TC001", id, nullptr); }, R"({"code": "TC001", "num": 1})",
         "---------getBuyMeal请求开始(入参：codeMeal：TC001)----------"},
        {"order", kOrder, [&] { return net()->getPersonageOrderStatus("o-1", order, nullptr); }, R"({"id": "o-1"})",
         "---------getPersonageOrderStatus请求开始(入参：id：o-1)----------"},
        {"renewal order", kCertOrder, [&] { return net()->getCertOrderStatus(order, nullptr); },
         R"({"orderAmount": 200})", "getCertOrderStatus请求开始"},
        {"pay QR", kPayQr, [&] { return net()->getCreatePayQr(sampleOrder(), qr, billNo, nullptr); },
         R"({"createDate": "2024-05-01 10:00:00", "endDate": "2025-05-01 10:00:00",
             "expireDate": "2024-05-01 12:00:00", "id": "o-9", "invoiceState": 0, "mealCapacity": 50,
             "mealDescr": "50次签署", "mealName": "基础套餐", "openId": "", "orderAmount": "9.50",
             "orderCode": "DD9", "remark": "r", "returnUrl": "https://www.eseal.telvar.cn",
             "setmealCode": "TC001", "setmealNum": 1, "startDate": "2024-05-01 10:00:00", "status": 0,
             "updateDate": "2024-05-01 10:00:01", "userId": "u-0001"})",
         "---------getCreatePayQr请求开始----------"},
        {"pay status", kPayStatus, [&] { return net()->getPayStatus("B-7", paySta); }, R"({"id": "B-7"})",
         "---------getPayStatus请求开始(入参：orderid：B-7)----------"},
        {"delete order", kDeleteOrder, [&] { return net()->deleteOrderList("o-1", nullptr); },
         R"({"id": "o-1", "status": -1})", "---------deleteOrderList请求开始(入参：id：o-1)----------"},
        {"invoice without mailbox", kAddInvoice,
         [&] {
             return net()->setAddInvoiceBusiness("DD1", 1, u8("某公司"), "", "91110000", "", "010-1", "", u8("备注"),
                                                  u8("张三"), "13900000000", u8("北京"), "", nullptr);
         },
         R"({"codeList": ["DD1"], "type": 1, "title": "某公司", "realFitting": "", "corporateCredit": "91110000",
             "corporateAccount": "", "phone": "010-1", "address": "", "remark": "备注", "receiverName": "张三",
             "receiverPhone": "13900000000", "receiverAddress": "北京"})",
         "---------setAddInvoiceBusiness请求开始----------"},
        {"invoice with mailbox", kAddInvoice,
         [&] {
             return net()->setAddInvoiceBusiness("DD1", 0, "t", "", "", "", "", "", "", "", "", "", "a@b.cn", nullptr);
         },
         R"({"codeList": ["DD1"], "type": 0, "title": "t", "realFitting": "", "corporateCredit": "",
             "corporateAccount": "", "phone": "", "address": "", "remark": "", "receiverName": "",
             "receiverPhone": "", "receiverAddress": "", "receiverEmil": "a@b.cn"})",
         nullptr},
        {"provinces", kRegion, [&] { return net()->getQueryRegion(regions, -1, nullptr); }, "{}",
         "---------getQueryRegion请求开始----------"},
        {"region 0", kRegion, [&] { return net()->getQueryRegion(regions, 0, nullptr); }, R"({"id": 0})", nullptr},
        {"invoice details", kInvoice, [&] { return net()->getQueryBillDetails("inv-1", bill, nullptr); },
         R"({"id": "inv-1"})", "---------getQueryBillDetails请求开始(入参：id：inv-1)----------"},
        {"invoice mail", kInvoiceMail,
         [&] { return net()->sendInvoiceEmailBusiness("a@b.cn", "https://x/1.pdf", "2024-05-01", nullptr); },
         R"({"receiverEmil": "a@b.cn", "download_url": "https://x/1.pdf", "makeDate": "2024-05-01"})",
         "---------sendInvoiceEmailBusiness请求开始(入参：receiverEmil：a@b.cn-download_url：https://x/1.pdf-"
         "makeDate：2024-05-01)----------"},
        {"contacts", kContacts, [&] { return net()->getMyLinkManBusiness(contacts, nullptr, ""); }, "{}",
         "---------getMyLinkManBusiness请求开始(入参：queryValue：)----------"},
        {"contacts found by text", kContacts, [&] { return net()->getMyLinkManBusiness(contacts, nullptr, u8("李")); },
         R"({"queryValue": "李"})", nullptr},
        {"add contact", kAddContact, [&] { return net()->addLinkMan(7, u8("张总"), "13900000003", nullptr); },
         R"({"remarkName": "张总", "addValue": "13900000003"})",
         "---------addLinkMan请求开始(入参：userType：7-remarkName：张总-userAccout：13900000003)----------"},
        {"delete contact", kDeleteContact, [&] { return net()->delLinkMan("c-1", nullptr); }, R"({"id": "c-1"})",
         "---------delLinkMan请求开始(入参：id：c-1)----------"},
        {"change contact", kUpdateContact,
         [&] { return net()->modifyLinkMan("c-1", u8("李总"), "13900000001", nullptr); },
         R"({"id": "c-1", "remarkName": "李总", "addValue": "13900000001"})",
         "---------modifyLinkMan请求开始(入参：id：c-1-remarkName：李总-userAccout：13900000001)----------"},
        {"contact page", kContactPage, [&] { return net()->getMyLinkManPagesBusiness(contacts, 2, 10, nullptr); },
         R"({"Page": {"pageNum": 2, "pageSize": 10}})",
         "---------getMyLinkManPagesBusiness请求开始(入参：pages：2-pageSize：10)----------"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        cannedData(row.path, QJsonValue());
        EXPECT_EQ(row.run(), 1);
        const QByteArray sent = lastBody(row.path);
        const QJsonDocument doc = QJsonDocument::fromJson(sent);
        EXPECT_EQ(doc.object(), jsonObject(row.body)) << sent.constData();
        // The JSON writer's indented form.
        EXPECT_EQ(sent, doc.toJson(QJsonDocument::Indented));
        EXPECT_EQ(standin.requests(row.path).last().header("token"), client->sessionToken().toUtf8());
        if (row.startLine) {
            EXPECT_TRUE(logText().contains(u8(row.startLine))) << row.startLine;
        }
    }
    // The renewal price is a number, and its start line has no dashes.
    EXPECT_TRUE(QJsonDocument::fromJson(lastBody(kCertOrder)).object().value("orderAmount").isDouble());
    EXPECT_FALSE(logText().contains(u8("---------getCertOrderStatus")));
    EXPECT_TRUE(logText().contains(u8("getBuyMeal请求结束返回-code=10000\n返回json数据:")));
}

TEST_F(BusinessTest, RepliesFillPackageAndOrderRecords)
{
    // Held packages, appended to what the list holds.
    cannedData(kHeld, QJsonArray{jsonObject(R"({"createDate": "c", "endDate": "e", "id": "h-1", "mealCode": "TC1",
        "mealDayNum": 365, "mealName": "基础", "mealNum": 50, "mealResidueNum": 42, "startDate": "s", "status": 1,
        "updateDate": "2024-3-1 10:00:00", "noDate": "2024-3-9 10:00:00", "userId": "u", "userType": 1})")});
    QList<PackageInfo> held{PackageInfo()};
    ASSERT_EQ(net()->getMyPackageBusiness(held, nullptr), 1);
    ASSERT_EQ(held.size(), 2);
    const PackageInfo& p = held.at(1);
    EXPECT_EQ(p.createDate, "c");
    EXPECT_EQ(p.endDate, "e");
    EXPECT_EQ(p.id, "h-1");
    EXPECT_EQ(p.mealCode, "TC1");
    EXPECT_EQ(p.mealDayNum, 365);
    EXPECT_EQ(p.mealName, u8("基础"));
    EXPECT_EQ(p.mealNum, 50);
    EXPECT_EQ(p.mealResidueNum, 42);
    EXPECT_EQ(p.startDate, "s");
    EXPECT_EQ(p.status, 1);
    EXPECT_EQ(p.updateDate, "2024-3-1 10:00:00");
    EXPECT_EQ(p.noDate, "2024-3-9 10:00:00");
    EXPECT_EQ(p.userId, "u");
    EXPECT_EQ(p.userType, 1);

    // One page of held packages: the page count and the rows; the package code is not read.
    cannedData(kHeldPage, jsonObject(R"({"pages": 3, "list": [{"mealCode": "TC1", "mealName": "专业",
        "orderId": "o-5", "mealImg": "img-1", "price": 499.5, "details": "d", "mealStatus": 2,
        "mealResidueNum": "7"}]})"));
    QList<MyPackageOrderList> rows;
    int pages = -1;
    ASSERT_EQ(net()->getMyPackageOrderListBusiness(rows, "u", 0, 0, 4, 1, pages, nullptr), 1);
    EXPECT_EQ(pages, 3);
    ASSERT_EQ(rows.size(), 1);
    EXPECT_TRUE(rows.at(0).mealCode.isEmpty());
    EXPECT_EQ(rows.at(0).mealName, u8("专业"));
    EXPECT_EQ(rows.at(0).orderId, "o-5");
    EXPECT_EQ(rows.at(0).mealImg, "img-1");
    EXPECT_DOUBLE_EQ(rows.at(0).price, 499.5);
    EXPECT_EQ(rows.at(0).details, "d");
    EXPECT_EQ(rows.at(0).mealStatus, 2);
    EXPECT_EQ(rows.at(0).mealResidueNum, 0);   // a number only from a JSON number

    // Orders: amounts as two-decimal text, "invoiceId" into invoice_Id.
    cannedData(kOrderPage, jsonObject(R"({"pages": 2, "list": [
        {"id": "o-1", "orderCode": "DD1", "orderAmount": 200, "invoiceState": 1, "invoiceId": "inv-1",
         "createDate": "c", "updateDate": "u", "userId": "x", "userType": 1, "setmealCode": "TC1", "setmealNum": 2,
         "status": 1, "mealName": "n", "mealDescr": "d", "mealCapacity": 50, "remark": "r"},
        {"id": "o-2", "orderAmount": 9.5}]})"));
    QList<PackageOrderInfo> orders;
    ASSERT_EQ(net()->getMyPackageOrderBusiness(orders, -1, 10, 1, pages, nullptr), 1);
    EXPECT_EQ(pages, 2);
    ASSERT_EQ(orders.size(), 2);
    const PackageOrderInfo& o = orders.at(0);
    EXPECT_EQ(o.orderAmount, "200.00");
    EXPECT_EQ(o.invoice_Id, "inv-1");
    EXPECT_EQ(o.invoiceState, 1);
    EXPECT_EQ(o.orderCode, "DD1");
    EXPECT_EQ(o.setmealNum, 2);
    EXPECT_EQ(o.mealCapacity, 50);
    EXPECT_EQ(o.remark, "r");
    EXPECT_EQ(o.userType, 1);
    EXPECT_EQ(orders.at(1).orderAmount, "9.50");

    // Packages for sale.
    cannedData(kForSale, QJsonArray{jsonObject(R"({"createDate": "c", "price": 99, "capacity": 50, "descr": "d",
        "endDate": "e", "id": "m-1", "level": 2, "code": "TC1", "serverType": "1", "startDate": "s", "status": 1,
        "yearDays": 365, "name": "基础", "details": "x"})")});
    QList<BuyPackageInfo> forSale;
    ASSERT_EQ(net()->getBuyMealBusiness(forSale, nullptr), 1);
    ASSERT_EQ(forSale.size(), 1);
    EXPECT_DOUBLE_EQ(forSale.at(0).price, 99.0);
    EXPECT_EQ(forSale.at(0).capacity, 50);
    EXPECT_EQ(forSale.at(0).level, 2);
    EXPECT_EQ(forSale.at(0).code, "TC1");
    EXPECT_EQ(forSale.at(0).serverType, "1");
    EXPECT_EQ(forSale.at(0).yearDays, 365);
    EXPECT_EQ(forSale.at(0).name, u8("基础"));
    EXPECT_EQ(forSale.at(0).details, "x");

    // Buying gives the order id; the order comes back whole.
    cannedData(kBuy, QJsonObject{{"id", "o-77"}});
    QString id;
    ASSERT_EQ(net()->getBuyMeal("TC1", id, nullptr), 1);
    EXPECT_EQ(id, "o-77");
    cannedData(kOrder, jsonObject(R"({"createDate": "c", "endDate": "e", "expireDate": "x", "id": "o-77",
        "invoiceState": 0, "mealCapacity": 50, "mealDescr": "md", "mealName": "mn", "openId": "op",
        "orderAmount": 9.5, "orderCode": "DD77", "remark": "r", "setmealCode": "TC1", "setmealNum": 1,
        "startDate": "s", "status": 0, "updateDate": "u", "userId": "u-1"})"));
    PersonageOrderStatus order;
    ASSERT_EQ(net()->getPersonageOrderStatus("o-77", order, nullptr), 1);
    EXPECT_EQ(order.createDate, "c");
    EXPECT_EQ(order.endDate, "e");
    EXPECT_EQ(order.expireDate, "x");
    EXPECT_EQ(order.id, "o-77");
    EXPECT_EQ(order.mealCapacity, 50);
    EXPECT_EQ(order.mealDescr, "md");
    EXPECT_EQ(order.mealName, "mn");
    EXPECT_EQ(order.openId, "op");
    EXPECT_EQ(order.orderAmount, "9.50");
    EXPECT_EQ(order.orderCode, "DD77");
    EXPECT_EQ(order.remark, "r");
    EXPECT_EQ(order.setmealCode, "TC1");
    EXPECT_EQ(order.setmealNum, 1);
    EXPECT_EQ(order.startDate, "s");
    EXPECT_EQ(order.updateDate, "u");
    EXPECT_EQ(order.userId, "u-1");

    // The renewal order fills the same record; the QR code and the bill number.
    cannedData(kCertOrder, jsonObject(R"({"id": "o-78", "orderAmount": 200, "mealName": "续期"})"));
    PersonageOrderStatus renewal;
    ASSERT_EQ(net()->getCertOrderStatus(renewal, nullptr), 1);
    EXPECT_EQ(renewal.id, "o-78");
    EXPECT_EQ(renewal.orderAmount, "200.00");
    cannedData(kPayQr, QJsonObject{{"qrCodeBase64", "iVBORw0KGgo="}, {"billNo", "B-1"}});
    QString qr, billNo;
    ASSERT_EQ(net()->getCreatePayQr(renewal, qr, billNo, nullptr), 1);
    EXPECT_EQ(qr, "iVBORw0KGgo=");
    EXPECT_EQ(billNo, "B-1");
    EXPECT_EQ(QJsonDocument::fromJson(lastBody(kPayQr)).object().value("orderAmount"), QJsonValue("200.00"));

    // Payment state: 0 still unpaid, 1 paid; a failure leaves it.
    int paySta = -1;
    cannedData(kPayStatus, 0);
    EXPECT_EQ(net()->getPayStatus("B-1", paySta), 1);
    EXPECT_EQ(paySta, 0);
    cannedData(kPayStatus, 1);
    EXPECT_EQ(net()->getPayStatus("B-1", paySta), 1);
    EXPECT_EQ(paySta, 1);
    cannedReply(kPayStatus, QJsonObject{{"code", 4011}, {"msg", u8("支付单不存在")}});
    QSignalSpy errors(client, &NetWorkBusiness::sendErroeCodeInfo);
    EXPECT_EQ(net()->getPayStatus("B-1", paySta), 0);
    EXPECT_EQ(paySta, 1);
    ASSERT_EQ(errors.count(), 1);
    EXPECT_EQ(errors.first().at(1).toString(), u8("支付单不存在"));
}

TEST_F(BusinessTest, RepliesFillInvoiceRegionAndContactRecords)
{
    cannedData(kRegion, jsonArray(R"([{"id": 11, "name": "北京市"}, {"id": "12", "name": 5}])"));
    QList<QueryRegionList> regions;
    ASSERT_EQ(net()->getQueryRegion(regions, -1, nullptr), 1);
    ASSERT_EQ(regions.size(), 2);
    EXPECT_EQ(regions.at(0).id, 11);
    EXPECT_EQ(regions.at(0).name, u8("北京市"));
    EXPECT_EQ(regions.at(1).id, 0);
    EXPECT_TRUE(regions.at(1).name.isEmpty());

    cannedData(kInvoice, jsonObject(R"({"type": 1, "status": 1, "remark": "技术服务费", "title": "某公司",
        "invoiceCode": "011001", "invoiceNumber": "12345678", "expressCode": "SF100", "receiverEmil": "a@b.cn",
        "makeDate": "2024-05-02"})"));
    BillDetailsInfo bill;
    bill.download_url = "left from before";
    ASSERT_EQ(net()->getQueryBillDetails("inv-1", bill, nullptr), 1);
    EXPECT_EQ(bill.type, 1);
    EXPECT_EQ(bill.status, 1);
    EXPECT_EQ(bill.billContent, u8("技术服务费"));
    EXPECT_EQ(bill.title, u8("某公司"));
    EXPECT_EQ(bill.code, "011001");
    EXPECT_EQ(bill.number, "12345678");
    EXPECT_EQ(bill.order, "SF100");
    EXPECT_TRUE(bill.download_url.isEmpty());
    EXPECT_EQ(bill.receiverEmil, "a@b.cn");
    EXPECT_EQ(bill.makeDate, "2024-05-02");

    const char* contact = R"({"id": "c-1", "userId": "u-1", "userType": 1, "activation": 1, "authenEmail": "e",
        "authenStatus": 2, "contactUserAccount": "139", "contactUserId": "u-2", "queryValue": "q",
        "remarkName": "李经理", "status": 1, "userAccount": "1390", "userPhone": "1391", "contactUserType": 1,
        "imgUrl": "img", "createDate": "c", "userName": "李明"})";
    cannedData(kContacts, QJsonArray{jsonObject(contact)});
    QList<LinkmanInfo> contacts;
    ASSERT_EQ(net()->getMyLinkManBusiness(contacts, nullptr, ""), 1);
    ASSERT_EQ(contacts.size(), 1);
    const LinkmanInfo& c = contacts.at(0);
    EXPECT_EQ(c.id, "c-1");
    EXPECT_EQ(c.userId, "u-1");
    EXPECT_EQ(c.userType, 1);
    EXPECT_EQ(c.activation, 1);
    EXPECT_EQ(c.authenEmail, "e");
    EXPECT_EQ(c.authenStatus, 2);
    EXPECT_EQ(c.contactUserAccount, "139");
    EXPECT_EQ(c.contactUserId, "u-2");
    EXPECT_EQ(c.queryValue, "q");
    EXPECT_EQ(c.remarkName, u8("李经理"));
    EXPECT_EQ(c.status, 1);
    EXPECT_EQ(c.userAccount, "1390");
    EXPECT_EQ(c.userPhone, "1391");
    EXPECT_EQ(c.contactUserType, 1);
    EXPECT_EQ(c.imgUrl, "img");
    EXPECT_EQ(c.createDate, "c");
    EXPECT_EQ(c.userName, u8("李明"));

    // A success without data, or with data of another type, gives empty results and still 1.
    cannedReply(kContacts, QJsonObject{{"code", 10000}});
    EXPECT_EQ(net()->getMyLinkManBusiness(contacts, nullptr, ""), 1);
    cannedData(kContacts, QJsonObject{{"list", QJsonArray{jsonObject(contact)}}});
    EXPECT_EQ(net()->getMyLinkManBusiness(contacts, nullptr, ""), 1);
    EXPECT_EQ(contacts.size(), 1);
    cannedData(kOrder, QJsonArray());
    PersonageOrderStatus order;
    order.id = "kept";
    EXPECT_EQ(net()->getPersonageOrderStatus("o-1", order, nullptr), 1);
    EXPECT_TRUE(order.id.isEmpty());
    EXPECT_EQ(order.orderAmount, "0.00");
}

TEST_F(BusinessTest, ContactPagesLookUpTheirAvatars)
{
    // The seeded address book: the first contact has an avatar, the second none.
    QList<LinkmanInfo> contacts;
    LoadingWidget box;
    ASSERT_EQ(net()->getMyLinkManPagesBusiness(contacts, 1, 10, &box), 1);
    ASSERT_EQ(contacts.size(), 2);
    EXPECT_FALSE(box.isVisible());
    EXPECT_TRUE(contacts.at(0).userId.isEmpty());
    EXPECT_TRUE(contacts.at(0).userName.isEmpty());
    EXPECT_EQ(contacts.at(0).remarkName, u8("李经理"));
    EXPECT_TRUE(contacts.at(1).imgUrl.isEmpty());
    const QString avatar = contacts.at(0).imgUrl;
    ASSERT_TRUE(avatar.startsWith("https://127.0.0.1:")) << avatar.toStdString();
    EXPECT_EQ(standin.requests(kFileAddress).size(), 1);

    // The avatar downloads as a PNG picture.
    QNetworkAccessManager nam;
    QNetworkReply* got = nam.get(QNetworkRequest(QUrl(avatar)));
    QSignalSpy done(got, &QNetworkReply::finished);
    ASSERT_TRUE(done.wait(5000));
    const QImage picture = QImage::fromData(got->readAll(), "PNG");
    delete got;
    EXPECT_FALSE(picture.isNull());

    // An avatar that cannot be found: the text "0", no error signal, the page still read.
    cannedData(kContactPage, QJsonArray{QJsonObject{{"id", "c-9"}, {"imgUrl", "missing"}}});
    QSignalSpy errors(client, &NetWorkBusiness::sendErroeCodeInfo);
    contacts.clear();
    ASSERT_EQ(net()->getMyLinkManPagesBusiness(contacts, 1, 10, &box), 1);
    ASSERT_EQ(contacts.size(), 1);
    EXPECT_EQ(contacts.at(0).imgUrl, "0");
    EXPECT_EQ(errors.count(), 0);
}

TEST_F(BusinessTest, EnvelopeFailures)
{
    const QString network = u8("网络连接失败，请检查您的网络链接或重试！");
    struct Row {
        const char* name;
        StandinScript script;
        int type;          // of the error signal
        QString msg;
        bool endsSession;
    };
    auto canned = [](const QJsonObject& o) { return StandinScript::withEnvelope(o); };
    StandinScript closed;
    closed.closeWithoutReply = true;
    const std::vector<Row> rows = {
        {"empty body", StandinScript::raw(""), 999, network, false},
        {"connection closed", closed, 999, network, false},
        {"html page", StandinScript::raw("<html><body>502 Bad Gateway</body></html>", 502), 999, network, false},
        {"json array", StandinScript::raw("[{\"code\":10000}]"), 999, network, false},
        {"empty object", StandinScript::raw("{}"), 999, network, false},
        {"code as text", StandinScript::raw("{\"code\":\"10000\",\"msg\":\"m\"}"), -1, "m", false},
        {"no code", StandinScript::raw("{\"msg\":\"m\",\"data\":[]}"), -1, "m", false},
        {"service code", canned({{"code", 4006}, {"msg", u8("参数有误")}}), 999, u8("参数有误"), false},
        {"session code", canned({{"code", 51001}, {"msg", u8("请重新登录")}}), 0, u8("请重新登录"), true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        if (client->getLoginState() != NetWorkBusiness::LOGINED) {
            ASSERT_TRUE(login());
        }
        // Until cleared: the access manager sends a request again once when the connection
        // it reused was closed.
        const StandinScript s = row.script;
        standin.script(kHeld, s);
        QList<PackageInfo> held{PackageInfo()};
        LoadingWidget box;
        QSignalSpy errors(client, &NetWorkBusiness::sendErroeCodeInfo);
        EXPECT_EQ(net()->getMyPackageBusiness(held, &box), 0);
        EXPECT_EQ(held.size(), 1);
        EXPECT_FALSE(box.isVisible());
        ASSERT_EQ(errors.count(), 1);
        EXPECT_EQ(errors.first().at(0).toInt(), row.type);
        EXPECT_EQ(errors.first().at(1).toString(), row.msg);
        EXPECT_EQ(client->getLoginState() == NetWorkBusiness::UNLOGIN, row.endsSession);
        standin.clearScripts();

        // The region look-up reports nothing and keeps the session, whatever the answer.
        if (client->getLoginState() != NetWorkBusiness::LOGINED) {
            ASSERT_TRUE(login());
        }
        standin.script(kRegion, s);
        QSignalSpy quiet(client, &NetWorkBusiness::sendErroeCodeInfo);
        QList<QueryRegionList> regions;
        EXPECT_EQ(net()->getQueryRegion(regions, -1, nullptr), 0);
        EXPECT_TRUE(regions.isEmpty());
        EXPECT_EQ(quiet.count(), 0);
        EXPECT_EQ(client->getLoginState(), NetWorkBusiness::LOGINED);
        standin.clearScripts();
    }
    // The end line of an empty answer carries the request's own body; of a page, nothing.
    EXPECT_TRUE(logText().contains(u8("getMyPackageBusiness请求结束返回-code=4\n返回json数据:{\n}")));
}

TEST_F(BusinessTables, BusyBoxVariants)
{
    enum Variant { ShownAndHidden, HiddenAfter, HiddenOnFailure, ShownHiddenOnFailure, Never };
    struct Row {
        const char* name;
        const char* path;
        std::function<int(LoadingWidget*)> run;
        Variant variant;
    };
    const std::vector<Row> rows = {
        {"held packages", kHeld, [&](LoadingWidget* b) { return net()->getMyPackageBusiness(held, b); }, ShownAndHidden},
        {"held page", kHeldPage,
         [&](LoadingWidget* b) { return net()->getMyPackageOrderListBusiness(heldPage, "u", 0, 0, 4, 1, pages, b); },
         ShownAndHidden},
        {"orders", kOrderPage, [&](LoadingWidget* b) { return net()->getMyPackageOrderBusiness(orders, -1, 4, 1, pages, b); },
         ShownAndHidden},
        {"for sale", kForSale, [&](LoadingWidget* b) { return net()->getBuyMealBusiness(forSale, b); }, ShownAndHidden},
        {"buy", kBuy, [&](LoadingWidget* b) { return net()->getBuyMeal("TC001", id, b); }, ShownHiddenOnFailure},
        {"order", kOrder, [&](LoadingWidget* b) { return net()->getPersonageOrderStatus("o-1", order, b); }, HiddenOnFailure},
        {"renewal order", kCertOrder, [&](LoadingWidget* b) { return net()->getCertOrderStatus(order, b); }, HiddenOnFailure},
        {"pay QR", kPayQr, [&](LoadingWidget* b) { return net()->getCreatePayQr(sampleOrder(), qr, billNo, b); }, HiddenAfter},
        {"delete order", kDeleteOrder, [&](LoadingWidget* b) { return net()->deleteOrderList("o-1", b); }, ShownAndHidden},
        {"invoice", kAddInvoice,
         [&](LoadingWidget* b) {
             return net()->setAddInvoiceBusiness("DD1", 1, "t", "", "", "", "", "", "", "", "", "", "", b);
         },
         ShownAndHidden},
        {"regions", kRegion, [&](LoadingWidget* b) { return net()->getQueryRegion(regions, -1, b); }, Never},
        {"invoice details", kInvoice, [&](LoadingWidget* b) { return net()->getQueryBillDetails("i", bill, b); },
         ShownAndHidden},
        {"invoice mail", kInvoiceMail, [&](LoadingWidget* b) { return net()->sendInvoiceEmailBusiness("a", "b", "c", b); },
         ShownAndHidden},
        {"contacts", kContacts, [&](LoadingWidget* b) { return net()->getMyLinkManBusiness(contacts, b, ""); },
         ShownAndHidden},
        {"add contact", kAddContact, [&](LoadingWidget* b) { return net()->addLinkMan(0, "n", "a", b); }, ShownAndHidden},
        {"delete contact", kDeleteContact, [&](LoadingWidget* b) { return net()->delLinkMan("c-1", b); }, ShownAndHidden},
        {"change contact", kUpdateContact, [&](LoadingWidget* b) { return net()->modifyLinkMan("c-1", "n", "a", b); },
         ShownAndHidden},
        {"contact page", kContactPage, [&](LoadingWidget* b) { return net()->getMyLinkManPagesBusiness(contacts, 1, 4, b); },
         ShownAndHidden},
    };
    for (const Row& row : rows) {
        for (const bool succeed : {true, false}) {
            for (const bool shownBefore : {false, true}) {
                SCOPED_TRACE(std::string(row.name) + (succeed ? " success" : " failure") +
                             (shownBefore ? ", shown by the caller" : ""));
                // The answer is held until the box was looked at during the wait.
                StandinScript s = StandinScript::withEnvelope(
                    succeed ? QJsonObject{{"code", 10000}, {"msg", ""}, {"data", QJsonArray()}}
                            : QJsonObject{{"code", 4006}, {"msg", "x"}});
                s.hold = true;
                s.times = 1;
                standin.script(row.path, s);
                LoadingWidget box;
                if (shownBefore)
                    box.show();
                int during = -1;
                QTimer look;
                QObject::connect(&look, &QTimer::timeout, [&] {
                    if (standin.heldCount(row.path) == 0)
                        return;
                    during = box.isVisible() ? 1 : 0;
                    look.stop();
                    standin.release(row.path);
                });
                look.start(2);
                EXPECT_EQ(row.run(&box), succeed ? 1 : 0);
                look.stop();

                const bool shows = row.variant == ShownAndHidden || row.variant == ShownHiddenOnFailure;
                const bool hidesOnSuccess = row.variant == ShownAndHidden || row.variant == HiddenAfter;
                const bool visibleDuring = shownBefore || shows;
                bool visibleAfter = false;
                if (row.variant == Never)
                    visibleAfter = shownBefore;
                else if (succeed)
                    visibleAfter = visibleDuring && !hidesOnSuccess;
                EXPECT_EQ(during, visibleDuring ? 1 : 0);
                EXPECT_EQ(box.isVisible(), visibleAfter);
            }
        }
    }
    // A null busy box is fine everywhere.
    cannedData(kHeld, QJsonArray());
    EXPECT_EQ(net()->getMyPackageBusiness(held, nullptr), 1);
}
