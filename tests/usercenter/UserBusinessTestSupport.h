#pragma once
// The fixture of the packages, orders and invoice screens: the user-centre page against the
// stand-in, logged in, with the service's packages, orders, invoices and regions seeded by the
// test, payment timers shortened and the payment success boxes answered.

#include "LoginTestSupport.h"

#include "Level2MenuBar.h"
#include "PayQrCodeDialog.h"
#include "UserCenterPage.h"
#include "UserManageFrame.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QDateTime>
#include <QJsonArray>
#include <QStackedWidget>

// Poll and certificate-check intervals of the payment dialogs built while it lives.
class ScopedPayIntervals
{
public:
    ScopedPayIntervals(int pollMs, int certCheckMs) { PayQrCodeDialog::setIntervalsForTesting(pollMs, certCheckMs); }
    ~ScopedPayIntervals() { PayQrCodeDialog::setIntervalsForTesting(0, 0); }
};

class UserBusinessTest : public LoginTest
{
protected:
    static constexpr const char* kFigures = "/eseal-meal/centreBalanceController/getUserId";
    static constexpr const char* kHeldPage = "/eseal-meal/centreBalanceController/queryPage";
    static constexpr const char* kForSale = "/eseal-meal/query/list/meal";
    static constexpr const char* kBuy = "/tarvik-serve-manage-wexo/function/buy/meal";
    static constexpr const char* kOrder = "/eseal-order/appOrderController/queryEntity";
    static constexpr const char* kPayQr = "/eseal-pay/functron/createPayQr";
    static constexpr const char* kPayStatus = "/eseal-pay/query/payStatus";
    static constexpr const char* kOrderPage = "/eseal-order/appOrderController/pageOrderStatus";
    static constexpr const char* kDeleteOrder = "/eseal-order/delete/upStatus";
    static constexpr const char* kAddInvoice = "/eseal-order/functron/add/Invoice";
    static constexpr const char* kRegions = "/eseal-order/functron/query/queryRegion";
    static constexpr const char* kInvoice = "/eseal-order/functron/queryDetails/Invoice";

    // A held package row; mealStatus 0 in use, 1 not used; status 1 ended.
    static QJsonObject held(int n, int mealStatus, int status, double price = 99.0)
    {
        return QJsonObject{{"id", QString("h-%1").arg(n)},
                           {"orderId", QString("o-h%1").arg(n)},
                           {"mealName", QString::fromUtf8("套餐%1").arg(n)},
                           {"details", QString::fromUtf8("详情%1").arg(n)},
                           {"price", price},
                           {"createDate", QString("2024-03-0%1 10:00:00").arg(n % 10)},
                           {"mealResidueNum", 40 + n},
                           {"mealDayNum", 30},
                           {"mealStatus", mealStatus},
                           {"status", status},
                           {"updateDate", QDateTime::currentDateTime().addDays(-10).addSecs(-3600).toString("yyyy-M-d hh:mm:ss")}};
    }

    static QJsonObject order(int n, int status, double amount, int invoiceState = 0, const QString& invoiceId = QString())
    {
        return QJsonObject{{"id", QString("o-%1").arg(n)},
                           {"orderCode", QString("DD2024%1").arg(n, 4, 10, QChar('0'))},
                           {"setmealCode", "TC001"},
                           {"setmealNum", 1},
                           {"orderAmount", amount},
                           {"status", status},
                           {"mealName", QString::fromUtf8("套餐%1").arg(n)},
                           {"mealDescr", ""},
                           {"mealCapacity", 10},
                           {"remark", ""},
                           {"invoiceState", invoiceState},
                           {"invoiceId", invoiceId},
                           {"userId", "u"},
                           {"userType", 0},
                           {"openId", ""},
                           {"createDate", QString("2024-04-%1 09:30:00").arg(n % 28 + 1, 2, 10, QChar('0'))},
                           {"updateDate", "2024-04-01 09:30:00"},
                           {"startDate", "2024-04-01 09:30:00"},
                           {"endDate", "2025-04-01 09:30:00"},
                           {"expireDate", "2024-04-01 11:30:00"}};
    }

    // The seed of the service's packages, orders, invoices and regions.
    QJsonObject area;

    void SetUp() override
    {
        LoginTest::SetUp();
        QJsonArray heldRows;
        for (int n = 1; n <= 5; ++n)
            heldRows.append(held(n, 0, 0));
        heldRows.append(held(6, 1, 0));
        area = QJsonObject{
            {"payAfterPolls", 3},
            {"packagesForSale",
             QJsonArray{QJsonObject{{"code", "TC001"}, {"name", QString::fromUtf8("基础套餐")},
                                    {"descr", QString::fromUtf8("50次签署")}, {"details", QString::fromUtf8("适合个人用户")},
                                    {"price", 99.0}, {"capacity", 50}},
                        QJsonObject{{"code", "TC002"}, {"name", QString::fromUtf8("企业套餐")},
                                    {"descr", QString::fromUtf8("10次签署")}, {"details", QString::fromUtf8("适合企业用户")},
                                    {"price", 699}, {"capacity", 10}}}},
            {"heldPackages", heldRows},
            {"orders", QJsonArray{}},
            {"invoices", QJsonArray{}},
            {"regions",
             QJsonArray{QJsonObject{{"id", 1}, {"name", QString::fromUtf8("请选择")}, {"children", QJsonArray{}}},
                        QJsonObject{{"id", 11}, {"name", QString::fromUtf8("北京市")},
                                    {"children", QJsonArray{QJsonObject{
                                                     {"id", 1101}, {"name", QString::fromUtf8("北京市")},
                                                     {"children", QJsonArray{
                                                                      QJsonObject{{"id", 110101}, {"name", QString::fromUtf8("东城区")}, {"children", QJsonArray{}}},
                                                                      QJsonObject{{"id", 110105}, {"name", QString::fromUtf8("朝阳区")}, {"children", QJsonArray{}}}}}}}}},
                        QJsonObject{{"id", 44}, {"name", QString::fromUtf8("广东省")},
                                    {"children", QJsonArray{
                                                     QJsonObject{{"id", 4401}, {"name", QString::fromUtf8("广州市")},
                                                                 {"children", QJsonArray{QJsonObject{{"id", 440106}, {"name", QString::fromUtf8("天河区")}, {"children", QJsonArray{}}}}}},
                                                     QJsonObject{{"id", 4403}, {"name", QString::fromUtf8("深圳市")},
                                                                 {"children", QJsonArray{QJsonObject{{"id", 440304}, {"name", QString::fromUtf8("福田区")}, {"children", QJsonArray{}}}}}}}}}}}};
    }

    // Stores `area` in the service.
    void seed()
    {
        const QJsonObject data = area;
        standin.withState([data](StandinState& s) { s.seed.insert("orders", data); });
    }

    // The service's current copy of one list of the area.
    QJsonArray serviceList(const char* key)
    {
        QJsonArray out;
        standin.withState([&](StandinState& s) { out = s.seed.value("orders").toObject().value(key).toArray(); });
        return out;
    }

    // Seeds the area, builds the user-centre page and logs in as account.
    UserManageFrame* open(const char* account = "13800000000")
    {
        seed();
        page = std::make_unique<UserCenterPage>();
        frame = UserCenterPage::getUserManageFrame();
        if (!loginAs(QString::fromLatin1(account)))
            return nullptr;
        page->setLoginedState();
        standin.clearRequests();   // the account page's reload after login is not what these tests count
        return frame;
    }

    void clickMenu(int id) { frame->getLevel2MenuBar()->getBtnGroup()->button(id)->click(); }

    // The stack as page ids (-1 for a widget that is not one of the seven pages).
    QList<int> stackIds() const
    {
        QList<int> ids;
        for (int i = 0; i < frame->getStackWid()->count(); ++i) {
            int id = -1;
            for (int p = 0; p < UserManageFrame::PageCount; ++p)
                if (frame->getStackWid()->widget(i) == frame->page(p))
                    id = p;
            ids << id;
        }
        return ids;
    }

    void TearDown() override
    {
        page.reset();
        LoginTest::TearDown();
    }

    static const QList<int>& standardOrder()
    {
        static const QList<int> order{0, 1, 2, 3, 4, 5, 6};
        return order;
    }

    std::unique_ptr<UserCenterPage> page;
    UserManageFrame* frame = nullptr;
};
