// Stand-in operations of packages, orders and payment, invoices and regions, and contacts.
//
// Their data lives in the seed under "orders" (the built-in one below when the seed has none):
//   "packagesForSale": packages that can be bought, by "code";
//   "heldPackages":    the packages the user holds (rows of the holding list);
//   "orders":          orders; "status" 0 unpaid, 1 paid, -1 deleted; "orderAmount" a number;
//   "invoices":        invoices by "id";
//   "regions":         the region tree, each {"id", "name", "children"};
//   "contacts":        the address book; "imgUrl" is a stored-file id of the avatar;
//   "directory":       accounts that can be added as contacts, {"userAccount", "userName", ...};
//   "payAfterPolls":   a bill is paid at its n-th payment-status poll (default 3).
// Buying creates an unpaid order, the QR code of an order creates a bill with a generated PNG
// picture, and polling the bill counts up to the payment, which marks the order paid. Paying a
// certificate-renewal order also re-issues the account's certificate, valid for another year.

#include "StandinOpsAccount.h"
#include "StandinService.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QtEndian>

#include <functional>

namespace {

constexpr int kSuccess = 10000;
const char* const kArea = "orders";
// The package code of a certificate-renewal order.
const char* const kRenewalCode = "CERT";

StandinAnswer ok(const QJsonValue& data = QJsonValue())
{
    return StandinAnswer::envelope(kSuccess, QStringLiteral("操作成功"), data);
}

StandinAnswer notFound(const QString& what)
{
    return StandinAnswer::envelope(4011, what + QStringLiteral("不存在"));
}

QString now()
{
    return QDateTime::currentDateTime().toString("yyyy-MM-dd hh:mm:ss");
}

// ---- a small PNG writer: 8-bit grey pictures, enough for QR codes and avatars ----

quint32 crc32(const QByteArray& data)
{
    static quint32 table[256];
    static bool ready = false;
    if (!ready) {
        for (quint32 n = 0; n < 256; ++n) {
            quint32 c = n;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            table[n] = c;
        }
        ready = true;
    }
    quint32 c = 0xFFFFFFFFu;
    for (char byte : data)
        c = table[(c ^ quint8(byte)) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

QByteArray be32(quint32 v)
{
    QByteArray out(4, '\0');
    qToBigEndian(v, reinterpret_cast<uchar*>(out.data()));
    return out;
}

void appendChunk(QByteArray& png, const char* type, const QByteArray& data)
{
    const QByteArray typed = QByteArray(type, 4) + data;
    png += be32(quint32(data.size())) + typed + be32(crc32(typed));
}

// pixel(x, y) gives the grey value of each pixel; text, when given, goes into an iTXt chunk
// with the keyword "content" (UTF-8).
QByteArray greyPng(int width, int height, const std::function<quint8(int, int)>& pixel,
                   const QString& text = QString())
{
    QByteArray raw;
    raw.reserve((width + 1) * height);
    for (int y = 0; y < height; ++y) {
        raw.append('\0');   // filter: none
        for (int x = 0; x < width; ++x)
            raw.append(char(pixel(x, y)));
    }
    QByteArray header = be32(quint32(width)) + be32(quint32(height));
    header += QByteArray("\x08\x00\x00\x00\x00", 5);   // 8-bit grey, deflate, no interlace
    QByteArray png("\x89PNG\r\n\x1a\n", 8);
    appendChunk(png, "IHDR", header);
    if (!text.isNull())
        appendChunk(png, "iTXt", QByteArray("content\0\0\0\0\0", 12) + text.toUtf8());
    appendChunk(png, "IDAT", qCompress(raw).mid(4));   // a zlib stream without Qt's length prefix
    appendChunk(png, "IEND", QByteArray());
    return png;
}

// A picture in the manner of a QR code for text: three finder squares, the timing lines and
// modules taken from a hash of the text. It is not decodable; the client only shows it. With
// withText the text also travels in the picture's "content" text chunk.
QByteArray qrLikePng(const QByteArray& text, bool withText = false)
{
    constexpr int modules = 25, quiet = 4, scale = 4;
    QByteArray bits;
    for (int i = 0; bits.size() * 8 < modules * modules; ++i)
        bits += QCryptographicHash::hash(text + QByteArray::number(i), QCryptographicHash::Sha256);
    auto finder = [](int x, int y, int ox, int oy) {
        const int dx = x - ox, dy = y - oy;
        if (dx < 0 || dy < 0 || dx > 6 || dy > 6)
            return -1;
        const int ring = qMin(qMin(dx, dy), qMin(6 - dx, 6 - dy));
        return ring == 1 ? 0 : 1;
    };
    auto dark = [&](int x, int y) {
        for (const auto& corner : {std::pair<int, int>{0, 0}, {modules - 7, 0}, {0, modules - 7}}) {
            const int f = finder(x, y, corner.first, corner.second);
            if (f >= 0)
                return f == 1;
        }
        if ((x == 7 && y < 8) || (y == 7 && x < 8) || (x == modules - 8 && y < 8) || (y == 7 && x >= modules - 8) ||
            (x == 7 && y >= modules - 8) || (y == modules - 8 && x < 8))
            return false;   // the separators around the finders
        if (y == 6 || x == 6)
            return (x + y) % 2 == 0;   // timing lines
        const int bit = y * modules + x;
        return ((quint8(bits.at(bit / 8)) >> (bit % 8)) & 1) != 0;
    };
    const int side = (modules + 2 * quiet) * scale;
    return greyPng(side, side, [&](int px, int py) -> quint8 {
        const int x = px / scale - quiet, y = py / scale - quiet;
        if (x < 0 || y < 0 || x >= modules || y >= modules)
            return 255;
        return dark(x, y) ? 0 : 255;
    }, withText ? QString::fromUtf8(text) : QString());
}

// A round grey avatar whose shade comes from the name.
QByteArray avatarPng(const QString& name)
{
    const quint8 shade = quint8(64 + qHash(name) % 128);
    constexpr int side = 48;
    return greyPng(side, side, [shade](int x, int y) -> quint8 {
        const int dx = x - side / 2, dy = y - side / 2;
        return dx * dx + dy * dy <= (side / 2 - 2) * (side / 2 - 2) ? shade : 255;
    });
}

// ---- the area's data ----

QByteArray defaultData()
{
    return R"({
  "payAfterPolls": 3,
  "packagesForSale": [
    {"id": "m-1", "code": "TC001", "name": "基础套餐", "descr": "50次签署", "details": "适合个人用户",
     "price": 99.0, "capacity": 50, "level": 1, "serverType": "1", "status": 1, "yearDays": 365,
     "createDate": "2024-01-01 00:00:00", "startDate": "2024-01-01 00:00:00", "endDate": "2030-12-31 23:59:59"},
    {"id": "m-2", "code": "TC002", "name": "专业套餐", "descr": "300次签署", "details": "适合企业用户",
     "price": 499.5, "capacity": 300, "level": 2, "serverType": "1", "status": 1, "yearDays": 365,
     "createDate": "2024-01-01 00:00:00", "startDate": "2024-01-01 00:00:00", "endDate": "2030-12-31 23:59:59"}
  ],
  "heldPackages": [
    {"id": "h-1", "mealCode": "TC001", "mealName": "基础套餐", "mealNum": 50, "mealResidueNum": 42,
     "mealDayNum": 365, "status": 1, "mealStatus": 1, "userId": "u-0001", "userType": 0,
     "orderId": "o-1", "mealImg": "", "price": 99.0, "details": "适合个人用户",
     "createDate": "2024-03-01 10:00:00", "startDate": "2024-03-01 10:00:00", "endDate": "2025-03-01 10:00:00",
     "updateDate": "2024-3-1 10:00:00"}
  ],
  "orders": [
    {"id": "o-1", "orderCode": "DD20240301001", "setmealCode": "TC001", "setmealNum": 1, "orderAmount": 99,
     "status": 1, "mealName": "基础套餐", "mealDescr": "50次签署", "mealCapacity": 50, "remark": "",
     "invoiceState": 0, "invoiceId": "", "userId": "u-0001", "userType": 0, "openId": "",
     "createDate": "2024-03-01 10:00:00", "updateDate": "2024-03-01 10:01:00",
     "startDate": "2024-03-01 10:00:00", "endDate": "2025-03-01 10:00:00", "expireDate": "2024-03-01 12:00:00"}
  ],
  "invoices": [],
  "regions": [
    {"id": 1, "name": "请选择", "children": []},
    {"id": 11, "name": "北京市", "children": [
      {"id": 1101, "name": "北京市", "children": [
        {"id": 110101, "name": "东城区", "children": []},
        {"id": 110105, "name": "朝阳区", "children": []}]}]},
    {"id": 44, "name": "广东省", "children": [
      {"id": 4401, "name": "广州市", "children": [
        {"id": 440103, "name": "荔湾区", "children": []},
        {"id": 440106, "name": "天河区", "children": []}]},
      {"id": 4403, "name": "深圳市", "children": [
        {"id": 440304, "name": "福田区", "children": []}]}]}
  ],
  "contacts": [
    {"id": "c-1", "userId": "u-0001", "userType": 0, "activation": 1, "authenEmail": "li@example.com",
     "authenStatus": 1, "contactUserAccount": "13900000001", "contactUserId": "u-0101", "queryValue": "",
     "remarkName": "李经理", "status": 1, "userAccount": "13900000001", "userPhone": "13900000001",
     "contactUserType": 0, "imgUrl": "avatar-u-0101", "createDate": "2024-02-01 09:00:00", "userName": "李明"},
    {"id": "c-2", "userId": "u-0001", "userType": 0, "activation": 1, "authenEmail": "",
     "authenStatus": 0, "contactUserAccount": "13900000002", "contactUserId": "u-0102", "queryValue": "",
     "remarkName": "王会计", "status": 1, "userAccount": "13900000002", "userPhone": "13900000002",
     "contactUserType": 1, "imgUrl": "", "createDate": "2024-02-02 09:00:00", "userName": "王芳"}
  ],
  "directory": [
    {"userAccount": "13900000001", "userId": "u-0101", "userName": "李明", "userType": 0, "authenStatus": 1},
    {"userAccount": "13900000002", "userId": "u-0102", "userName": "王芳", "userType": 1, "authenStatus": 0},
    {"userAccount": "13900000003", "userId": "u-0103", "userName": "张伟", "userType": 0, "authenStatus": 1}
  ]
})";
}

QJsonObject area(StandinState& state)
{
    if (!state.seed.value(kArea).isObject()) {
        QJsonObject data = QJsonDocument::fromJson(defaultData()).object();
        state.seed.insert(kArea, data);
    }
    QJsonObject data = state.seed.value(kArea).toObject();
    // Avatars are stored files, made on first use.
    for (const QJsonValue& v : data.value("contacts").toArray()) {
        const QString id = v.toObject().value("imgUrl").toString();
        if (!id.isEmpty() && !state.files.contains(id))
            state.files.insert(id, StandinFile{id + ".png", "image/png", avatarPng(id)});
    }
    return data;
}

void store(StandinState& state, const QJsonObject& data)
{
    state.seed.insert(kArea, data);
}

// Index of the element whose key holds value, or -1.
int indexOf(const QJsonArray& rows, const QString& key, const QJsonValue& value)
{
    for (int i = 0; i < rows.size(); ++i)
        if (rows.at(i).toObject().value(key) == value)
            return i;
    return -1;
}

// Changes the row of the area's list whose "id" is the request's "id": edit changes it in place,
// or, when edit is null, the row is removed. Stores the area and answers an empty success;
// "not found" for `what` when no row has that id.
StandinAnswer changeRowById(StandinContext& ctx, const QString& list, const QString& what,
                            const std::function<void(QJsonObject&)>& edit)
{
    QJsonObject data = area(ctx.state);
    QJsonArray rows = data.value(list).toArray();
    const int at = indexOf(rows, "id", ctx.request.json.value("id"));
    if (at < 0)
        return notFound(what);
    if (edit) {
        QJsonObject row = rows.at(at).toObject();
        edit(row);
        rows.replace(at, row);
    } else {
        rows.removeAt(at);
    }
    data.insert(list, rows);
    store(ctx.state, data);
    return ok(QJsonObject());
}

// One page of rows as {"pages", "list"}: an empty page bean gives every row on one page.
StandinAnswer page(const QJsonArray& rows, const QJsonObject& pageBean)
{
    const int num = pageBean.value("pageNum").toInt();
    const int size = pageBean.value("pageSize").toInt();
    if (pageBean.isEmpty())
        return ok(QJsonObject{{"pages", rows.isEmpty() ? 0 : 1}, {"list", rows}});
    if (num < 1 || size < 1)
        return StandinAnswer::envelope(4006, QStringLiteral("分页参数有误"));
    QJsonArray list;
    for (int i = (num - 1) * size; i < rows.size() && i < num * size; ++i)
        list.append(rows.at(i));
    return ok(QJsonObject{{"pages", (rows.size() + size - 1) / size}, {"list", list}});
}

// ---- packages ----

StandinAnswer heldPackages(StandinContext& ctx)
{
    QJsonArray rows;
    for (const QJsonValue& v : area(ctx.state).value("heldPackages").toArray()) {
        QJsonObject row = v.toObject();
        // The service's present time, from which the client counts the days left.
        row.insert("noDate", QDateTime::fromSecsSinceEpoch(ctx.state.now()).toString("yyyy-M-d hh:mm:ss"));
        rows.append(row);
    }
    return ok(rows);
}

StandinAnswer heldPackagePage(StandinContext& ctx)
{
    const QJsonObject in = ctx.request.json;
    const QJsonObject entity = in.value("entity").toObject();
    const int status = entity.value("status").toInt();
    QJsonArray rows;
    for (const QJsonValue& v : area(ctx.state).value("heldPackages").toArray()) {
        const QJsonObject row = v.toObject();
        if (status != 0 ? row.value("status").toInt() != status
                        : row.value("mealStatus").toInt() != entity.value("mealStatus").toInt())
            continue;
        QJsonObject out = row;
        out.insert("noDate", QDateTime::currentDateTime().toString("yyyy-M-d hh:mm:ss"));
        rows.append(out);
    }
    return page(rows, in.value("pageBean").toObject());
}

StandinAnswer packagesForSale(StandinContext& ctx)
{
    return ok(area(ctx.state).value("packagesForSale").toArray());
}

QJsonObject newOrder(QJsonObject& data, const QString& account, const QJsonObject& fields)
{
    QJsonArray orders = data.value("orders").toArray();
    const int n = orders.size() + 1;
    QJsonObject order{
        {"id", QString("o-%1").arg(n)},
        {"orderCode", QString("DD%1%2").arg(QDateTime::currentDateTime().toString("yyyyMMdd")).arg(n, 3, 10, QChar('0'))},
        {"status", 0},
        {"invoiceState", 0},
        {"invoiceId", ""},
        {"openId", ""},
        {"remark", ""},
        {"userId", account},
        {"userType", 0},
        {"createDate", now()},
        {"updateDate", now()},
        {"startDate", now()},
        {"endDate", QDateTime::currentDateTime().addYears(1).toString("yyyy-MM-dd hh:mm:ss")},
        {"expireDate", QDateTime::currentDateTime().addSecs(7200).toString("yyyy-MM-dd hh:mm:ss")},
    };
    for (auto it = fields.begin(); it != fields.end(); ++it)
        order.insert(it.key(), it.value());
    orders.append(order);
    data.insert("orders", orders);
    return order;
}

StandinAnswer buyPackage(StandinContext& ctx)
{
    QJsonObject data = area(ctx.state);
    const QJsonArray forSale = data.value("packagesForSale").toArray();
    const int at = indexOf(forSale, "code", ctx.request.json.value("code"));
    if (at < 0)
        return notFound(QStringLiteral("套餐"));
    const QJsonObject meal = forSale.at(at).toObject();
    const int num = ctx.request.json.value("num").toInt();
    if (num < 1)
        return StandinAnswer::envelope(4006, QStringLiteral("购买数量有误"));
    const QJsonObject order = newOrder(data, ctx.account,
                                       {{"setmealCode", meal.value("code")},
                                        {"setmealNum", num},
                                        {"orderAmount", meal.value("price").toDouble() * num},
                                        {"mealName", meal.value("name")},
                                        {"mealDescr", meal.value("descr")},
                                        {"mealCapacity", meal.value("capacity")}});
    store(ctx.state, data);
    return ok(QJsonObject{{"id", order.value("id")}});
}

StandinAnswer certRenewalOrder(StandinContext& ctx)
{
    QJsonObject data = area(ctx.state);
    const QJsonObject order = newOrder(data, ctx.account,
                                       {{"setmealCode", kRenewalCode},
                                        {"setmealNum", 1},
                                        {"orderAmount", ctx.request.json.value("orderAmount")},
                                        {"mealName", QStringLiteral("印章使用续期")},
                                        {"mealDescr", QStringLiteral("续期1年")},
                                        {"mealCapacity", 0}});
    store(ctx.state, data);
    return ok(order);
}

// ---- orders and payment ----

StandinAnswer orderById(StandinContext& ctx)
{
    const QJsonArray orders = area(ctx.state).value("orders").toArray();
    const int at = indexOf(orders, "id", ctx.request.json.value("id"));
    if (at < 0 || orders.at(at).toObject().value("status").toInt() == -1)
        return notFound(QStringLiteral("订单"));
    return ok(orders.at(at));
}

StandinAnswer orderPage(StandinContext& ctx)
{
    const QJsonObject entity = ctx.request.json.value("entity").toObject();
    QJsonArray rows;
    for (const QJsonValue& v : area(ctx.state).value("orders").toArray()) {
        const int status = v.toObject().value("status").toInt();
        if (status == -1 || (entity.contains("status") && entity.value("status").toInt() != status))
            continue;
        rows.append(v);
    }
    return page(rows, ctx.request.json.value("pageBean").toObject());
}

StandinAnswer deleteOrder(StandinContext& ctx)
{
    return changeRowById(ctx, "orders", QStringLiteral("订单"), [&ctx](QJsonObject& order) {
        order.insert("status", ctx.request.json.value("status"));
        order.insert("updateDate", now());
    });
}

StandinAnswer createPayQr(StandinContext& ctx)
{
    QJsonObject data = area(ctx.state);
    const QJsonObject in = ctx.request.json;
    const QJsonArray orders = data.value("orders").toArray();
    const int at = indexOf(orders, "id", in.value("id"));
    if (at < 0)
        return notFound(QStringLiteral("订单"));
    const QJsonObject order = orders.at(at).toObject();
    if (order.value("status").toInt() != 0)
        return StandinAnswer::envelope(4010, QStringLiteral("订单状态不允许支付"));
    // The amount comes back as the text the client stored: two decimals.
    if (in.value("orderAmount").toString() != QString::number(order.value("orderAmount").toDouble(), 'f', 2))
        return StandinAnswer::envelope(4006, QStringLiteral("订单金额不符"));
    QJsonArray bills = data.value("bills").toArray();
    const QString billNo = QString("B%1%2").arg(QDateTime::currentDateTime().toString("yyyyMMddhhmmss")).arg(bills.size() + 1);
    bills.append(QJsonObject{{"billNo", billNo}, {"orderId", order.value("id")}, {"polls", 0}});
    data.insert("bills", bills);
    store(ctx.state, data);
    const QByteArray picture = qrLikePng("pay:" + billNo.toUtf8() + ":" + in.value("returnUrl").toString().toUtf8());
    return ok(QJsonObject{{"qrCodeBase64", QString::fromLatin1(picture.toBase64())}, {"billNo", billNo}});
}

StandinAnswer payStatus(StandinContext& ctx)
{
    QJsonObject data = area(ctx.state);
    QJsonArray bills = data.value("bills").toArray();
    const int at = indexOf(bills, "billNo", ctx.request.json.value("id"));
    if (at < 0)
        return notFound(QStringLiteral("支付单"));
    QJsonObject bill = bills.at(at).toObject();
    const int polls = bill.value("polls").toInt() + 1;
    bill.insert("polls", polls);
    bills.replace(at, bill);
    data.insert("bills", bills);
    const int needed = data.contains("payAfterPolls") ? data.value("payAfterPolls").toInt() : 3;
    const bool paid = polls >= needed;
    QString renewFor;
    if (paid) {
        QJsonArray orders = data.value("orders").toArray();
        const int o = indexOf(orders, "id", bill.value("orderId"));
        if (o >= 0) {
            QJsonObject order = orders.at(o).toObject();
            // Paying a certificate renewal re-issues the paying account's certificate, once.
            if (order.value("status").toInt() == 0 && order.value("setmealCode").toString() == kRenewalCode)
                renewFor = order.value("userId").toString();
            order.insert("status", 1);
            order.insert("updateDate", now());
            orders.replace(o, order);
            data.insert("orders", orders);
        }
    }
    store(ctx.state, data);
    if (!renewFor.isEmpty() && ctx.state.account && !standinRenewCertificate(ctx.state, renewFor))
        return StandinAnswer::envelope(5000, QStringLiteral("证书续期失败"));
    return ok(paid ? 1 : 0);
}

// ---- invoices and regions ----

StandinAnswer addInvoice(StandinContext& ctx)
{
    QJsonObject data = area(ctx.state);
    const QJsonObject in = ctx.request.json;
    QJsonArray orders = data.value("orders").toArray();
    QJsonArray invoices = data.value("invoices").toArray();
    const QJsonArray codes = in.value("codeList").toArray();
    if (codes.isEmpty())
        return StandinAnswer::envelope(4004, QStringLiteral("缺少订单"));
    for (const QJsonValue& code : codes) {
        const int at = indexOf(orders, "orderCode", code);
        if (at < 0)
            return notFound(QStringLiteral("订单"));
        QJsonObject order = orders.at(at).toObject();
        if (order.value("status").toInt() != 1)
            return StandinAnswer::envelope(4006, QStringLiteral("订单未支付"));
        if (order.value("invoiceState").toInt() != 0)
            return StandinAnswer::envelope(4010, QStringLiteral("发票已申请"));
        const QString id = QString("inv-%1").arg(invoices.size() + 1);
        invoices.append(QJsonObject{
            {"id", id},
            {"type", in.value("type")},
            {"status", 0},
            {"remark", in.value("remark")},
            {"title", in.value("title")},
            {"invoiceCode", ""},
            {"invoiceNumber", ""},
            {"expressCode", ""},
            {"downloadUrl", ""},
            {"receiverEmil", in.value("receiverEmil").toString()},
            {"makeDate", ""},
        });
        order.insert("invoiceState", 1);
        order.insert("invoiceId", id);
        orders.replace(at, order);
    }
    data.insert("orders", orders);
    data.insert("invoices", invoices);
    store(ctx.state, data);
    return ok(QJsonObject());
}

StandinAnswer invoiceDetails(StandinContext& ctx)
{
    const QJsonArray invoices = area(ctx.state).value("invoices").toArray();
    const int at = indexOf(invoices, "id", ctx.request.json.value("id"));
    if (at < 0)
        return notFound(QStringLiteral("发票"));
    return ok(invoices.at(at));
}

StandinAnswer sendInvoiceEmail(StandinContext&)
{
    return ok(QJsonObject());
}

// The children of the region with this id, searched through the whole tree.
bool findChildren(const QJsonArray& level, int id, QJsonArray& out)
{
    for (const QJsonValue& v : level) {
        const QJsonObject region = v.toObject();
        if (region.value("id").toInt() == id) {
            out = region.value("children").toArray();
            return true;
        }
        if (findChildren(region.value("children").toArray(), id, out))
            return true;
    }
    return false;
}

StandinAnswer regions(StandinContext& ctx)
{
    const QJsonArray tree = area(ctx.state).value("regions").toArray();
    QJsonArray level = tree;
    if (ctx.request.json.contains("id") && !findChildren(tree, ctx.request.json.value("id").toInt(), level))
        return notFound(QStringLiteral("地区"));
    QJsonArray out;
    for (const QJsonValue& v : level)
        out.append(QJsonObject{{"id", v.toObject().value("id")}, {"name", v.toObject().value("name")}});
    return ok(out);
}

// ---- contacts ----

StandinAnswer contactList(StandinContext& ctx)
{
    const QString query = ctx.request.json.value("queryValue").toString();
    QJsonArray rows;
    for (const QJsonValue& v : area(ctx.state).value("contacts").toArray()) {
        const QJsonObject c = v.toObject();
        if (query.isEmpty() || c.value("remarkName").toString().contains(query) ||
            c.value("userAccount").toString().contains(query) || c.value("userName").toString().contains(query))
            rows.append(c);
    }
    return ok(rows);
}

StandinAnswer contactPage(StandinContext& ctx)
{
    const QJsonObject pageIn = ctx.request.json.value("Page").toObject();
    const int num = pageIn.value("pageNum").toInt();
    const int size = pageIn.value("pageSize").toInt();
    if (num < 1 || size < 1)
        return StandinAnswer::envelope(4006, QStringLiteral("分页参数有误"));
    const QJsonArray all = area(ctx.state).value("contacts").toArray();
    QJsonArray rows;
    for (int i = (num - 1) * size; i < all.size() && i < num * size; ++i)
        rows.append(all.at(i));
    return ok(rows);
}

StandinAnswer addContact(StandinContext& ctx)
{
    QJsonObject data = area(ctx.state);
    const QString account = ctx.request.json.value("addValue").toString();
    const QJsonArray directory = data.value("directory").toArray();
    const int known = indexOf(directory, "userAccount", account);
    if (known < 0)
        return notFound(QStringLiteral("用户"));
    QJsonArray contacts = data.value("contacts").toArray();
    if (indexOf(contacts, "userAccount", account) >= 0)
        return StandinAnswer::envelope(4010, QStringLiteral("联系人已存在"));
    const QJsonObject person = directory.at(known).toObject();
    int next = contacts.size() + 1;
    while (indexOf(contacts, "id", QString("c-%1").arg(next)) >= 0)
        ++next;
    contacts.append(QJsonObject{
        {"id", QString("c-%1").arg(next)},
        {"userId", ctx.account},
        {"userType", 0},
        {"activation", 1},
        {"authenEmail", ""},
        {"authenStatus", person.value("authenStatus")},
        {"contactUserAccount", account},
        {"contactUserId", person.value("userId")},
        {"queryValue", ""},
        {"remarkName", ctx.request.json.value("remarkName")},
        {"status", 1},
        {"userAccount", account},
        {"userPhone", account},
        {"contactUserType", person.value("userType")},
        {"imgUrl", ""},
        {"createDate", now()},
        {"userName", person.value("userName")},
    });
    data.insert("contacts", contacts);
    store(ctx.state, data);
    return ok(QJsonObject());
}

StandinAnswer deleteContact(StandinContext& ctx)
{
    return changeRowById(ctx, "contacts", QStringLiteral("联系人"), nullptr);
}

StandinAnswer updateContact(StandinContext& ctx)
{
    return changeRowById(ctx, "contacts", QStringLiteral("联系人"), [&ctx](QJsonObject& c) {
        c.insert("remarkName", ctx.request.json.value("remarkName"));
        c.insert("userAccount", ctx.request.json.value("addValue"));
    });
}

} // namespace

QByteArray standinQrPng(const QByteArray& text)
{
    return qrLikePng(text, true);
}

QList<StandinOperation> standinOrderOperations()
{
    using T = StandinToken;
    using B = StandinBody;
    const auto S = QJsonValue::String;
    const auto N = QJsonValue::Double;
    const auto O = QJsonValue::Object;
    const auto A = QJsonValue::Array;
    const QList<StandinField> paged{{"entity", O}, {"pageBean", O}};
    return {
        {"POST", "/eseal-meal/centreBalanceController/getUserId", T::Required, B::JsonObject, {}, heldPackages},
        {"POST", "/eseal-meal/centreBalanceController/queryPage", T::Required, B::JsonObject, paged, heldPackagePage},
        {"POST", "/eseal-order/appOrderController/pageOrderStatus", T::Required, B::JsonObject, paged, orderPage},
        {"POST", "/eseal-meal/query/list/meal", T::Required, B::JsonObject, {}, packagesForSale},
        {"POST", "/tarvik-serve-manage-wexo/function/buy/meal", T::Required, B::JsonObject, {{"code", S}, {"num", N}},
         buyPackage},
        {"POST", "/eseal-order/appOrderController/queryEntity", T::Required, B::JsonObject, {{"id", S}}, orderById},
        {"POST", "/eseal-pay/functron/ECertOrder", T::Required, B::JsonObject, {{"orderAmount", N}}, certRenewalOrder},
        {"POST", "/eseal-pay/functron/createPayQr", T::Required, B::JsonObject,
         {{"createDate", S}, {"endDate", S}, {"expireDate", S}, {"id", S}, {"invoiceState", N}, {"mealCapacity", N},
          {"mealDescr", S}, {"mealName", S}, {"openId", S}, {"orderAmount", S}, {"orderCode", S}, {"remark", S},
          {"returnUrl", S}, {"setmealCode", S}, {"setmealNum", N}, {"startDate", S}, {"status", N},
          {"updateDate", S}, {"userId", S}},
         createPayQr},
        {"POST", "/eseal-pay/query/payStatus", T::Required, B::JsonObject, {{"id", S}}, payStatus},
        {"POST", "/eseal-order/delete/upStatus", T::Required, B::JsonObject, {{"id", S}, {"status", N}}, deleteOrder},
        {"POST", "/eseal-order/functron/add/Invoice", T::Required, B::JsonObject,
         {{"codeList", A}, {"type", N}, {"title", S}, {"realFitting", S}, {"corporateCredit", S},
          {"corporateAccount", S}, {"phone", S}, {"address", S}, {"remark", S}, {"receiverName", S},
          {"receiverPhone", S}, {"receiverAddress", S}, {"receiverEmil", S, true}},
         addInvoice},
        {"POST", "/eseal-order/functron/query/queryRegion", T::Required, B::JsonObject, {{"id", N, true}}, regions},
        {"POST", "/eseal-order/functron/queryDetails/Invoice", T::Required, B::JsonObject, {{"id", S}},
         invoiceDetails},
        {"POST", "/eseal-order/functron/sendInvoiceEmail/Invoice", T::Required, B::JsonObject,
         {{"receiverEmil", S}, {"download_url", S}, {"makeDate", S}}, sendInvoiceEmail},
        {"POST", "/eseal-usermanage/contacts/query/list", T::Required, B::JsonObject, {{"queryValue", S, true}},
         contactList},
        {"POST", "/eseal-usermanage/contacts/add", T::Required, B::JsonObject, {{"remarkName", S}, {"addValue", S}},
         addContact},
        {"POST", "/eseal-usermanage/contacts/delete", T::Required, B::JsonObject, {{"id", S}}, deleteContact},
        {"POST", "/eseal-usermanage/contacts/update", T::Required, B::JsonObject,
         {{"id", S}, {"remarkName", S}, {"addValue", S}}, updateContact},
        {"POST", "/eseal-usermanage/contacts/queryPage", T::Required, B::JsonObject, {{"Page", O}}, contactPage},
    };
}
