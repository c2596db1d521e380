// Whole flows against the stand-in's own data: buying a package and paying it by QR code with
// the payment poll, renewing the certificate and invoicing the order, the region tree, and the
// address book.

#include "BusinessTestSupport.h"
#include "PaymentStatusPoller.h"

namespace {

const char* const kPayStatus = "/eseal-pay/query/payStatus";

NetWorkBusiness* net()
{
    return NetWorkBusiness::Instance();
}

// An unpaid order with its bill, through the service.
QString newBill(const QString& packageCode)
{
    QString orderId, qr, billNo;
    PersonageOrderStatus order;
    if (!net()->getBuyMeal(packageCode, orderId, nullptr) || !net()->getPersonageOrderStatus(orderId, order, nullptr) ||
        !net()->getCreatePayQr(order, qr, billNo, nullptr))
        return QString();
    return billNo;
}

} // namespace

using PurchaseFlow = BusinessTest;

TEST_F(PurchaseFlow, OrderQrCodeAndPollUntilPaidOnce)
{
    // One busy box for the three steps: up from the purchase to the QR code.
    LoadingWidget box;
    QString orderId;
    ASSERT_EQ(net()->getBuyMeal("TC002", orderId, &box), 1);
    EXPECT_TRUE(box.isVisible());
    PersonageOrderStatus order;
    ASSERT_EQ(net()->getPersonageOrderStatus(orderId, order, &box), 1);
    EXPECT_TRUE(box.isVisible());
    EXPECT_EQ(order.id, orderId);
    EXPECT_EQ(order.status, 0);
    EXPECT_EQ(order.orderAmount, "499.50");
    EXPECT_EQ(order.setmealCode, "TC002");
    QString qr, billNo;
    ASSERT_EQ(net()->getCreatePayQr(order, qr, billNo, &box), 1);
    EXPECT_FALSE(box.isVisible());
    EXPECT_FALSE(billNo.isEmpty());
    const QImage picture = QImage::fromData(QByteArray::fromBase64(qr.toLocal8Bit()));
    ASSERT_FALSE(picture.isNull());
    EXPECT_EQ(picture.width(), picture.height());
    EXPECT_GE(picture.width(), 100);

    // Each answer takes longer than the poll interval, so a timer left running would poll again
    // inside the wait and see the payment twice.
    StandinScript slow;
    slow.delayMs = 60;
    standin.script(kPayStatus, slow);
    const int tickMs = 10;
    PaymentStatusPoller poller(billNo, 60);
    poller.setIntervalMs(tickMs);
    QSignalSpy paid(&poller, &PaymentStatusPoller::paid);
    QSignalSpy failed(&poller, &PaymentStatusPoller::failed);
    QSignalSpy countdown(&poller, &PaymentStatusPoller::countdownChanged);
    poller.start();
    ASSERT_TRUE(waitUntil([&] { return paid.count() > 0; }));
    // A tick left armed would have polled (and seen the payment again) before this returns.
    ASSERT_TRUE(runPastTicks(tickMs));
    EXPECT_EQ(paid.count(), 1);
    EXPECT_EQ(failed.count(), 0);
    EXPECT_FALSE(poller.isPolling());
    // The stand-in pays a bill at its third poll.
    EXPECT_EQ(poller.pollCount(), 3);
    EXPECT_EQ(standin.requests(kPayStatus).size(), 3);
    ASSERT_EQ(countdown.count(), 3);
    EXPECT_EQ(countdown.at(0).at(0).toInt(), 59);
    EXPECT_EQ(countdown.at(2).at(0).toInt(), 57);
    EXPECT_EQ(poller.remainingSeconds(), 57);

    // The order is paid now and shows in the paid orders.
    standin.clearScripts();
    ASSERT_EQ(net()->getPersonageOrderStatus(orderId, order, nullptr), 1);
    EXPECT_EQ(order.status, 1);
    QList<PackageOrderInfo> orders;
    int pages = 0;
    ASSERT_EQ(net()->getMyPackageOrderBusiness(orders, 1, 10, 1, pages, nullptr), 1);
    EXPECT_EQ(pages, 1);
    ASSERT_EQ(orders.size(), 2);
    EXPECT_EQ(orders.last().id, orderId);
    EXPECT_EQ(orders.last().orderAmount, "499.50");
}

TEST_F(PurchaseFlow, PollStopsOnFailureAtTheEndAndWhenStopped)
{
    const QString billNo = newBill("TC001");
    ASSERT_FALSE(billNo.isEmpty());

    // A failed poll: reported by the client, then no further poll.
    standin.clearRequests();
    StandinScript refused = StandinScript::withEnvelope(QJsonObject{{"code", 4011}, {"msg", u8("支付单不存在")}});
    refused.times = 1;
    standin.script(kPayStatus, refused);
    {
        QSignalSpy errors(client, &NetWorkBusiness::sendErroeCodeInfo);
        PaymentStatusPoller poller(billNo, 60);
        poller.setIntervalMs(5);
        QSignalSpy failed(&poller, &PaymentStatusPoller::failed);
        poller.start();
        ASSERT_TRUE(waitUntil([&] { return failed.count() > 0; }));
        ASSERT_TRUE(runPastTicks(5));
        EXPECT_EQ(failed.count(), 1);
        EXPECT_EQ(errors.count(), 1);
        EXPECT_EQ(standin.requests(kPayStatus).size(), 1);
        EXPECT_EQ(poller.remainingSeconds(), 59);
    }

    // The countdown runs out: two polls (the bill is paid only at the third), then the end.
    standin.clearRequests();
    {
        const QString unpaid = newBill("TC001");
        standin.clearRequests();
        PaymentStatusPoller poller(unpaid, 2);
        poller.setIntervalMs(5);
        QSignalSpy expired(&poller, &PaymentStatusPoller::expired);
        QSignalSpy paid(&poller, &PaymentStatusPoller::paid);
        poller.start();
        ASSERT_TRUE(waitUntil([&] { return expired.count() > 0; }));
        ASSERT_TRUE(runPastTicks(5));
        EXPECT_EQ(expired.count(), 1);
        EXPECT_EQ(paid.count(), 0);
        EXPECT_EQ(standin.requests(kPayStatus).size(), 2);
        EXPECT_EQ(poller.remainingSeconds(), 0);
    }

    // Stopped while a poll waits (the dialog closed): its answer is dropped, nothing follows.
    {
        const QString pending = newBill("TC001");
        standin.clearRequests();
        StandinScript hold;
        hold.hold = true;
        standin.script(kPayStatus, hold);
        PaymentStatusPoller poller(pending, 60);
        poller.setIntervalMs(5);
        QSignalSpy paid(&poller, &PaymentStatusPoller::paid);
        QSignalSpy failed(&poller, &PaymentStatusPoller::failed);
        QTimer closer;
        QObject::connect(&closer, &QTimer::timeout, [&] {
            if (standin.heldCount(kPayStatus) == 0)
                return;
            closer.stop();
            poller.stop();
            standin.release(kPayStatus);
        });
        closer.start(2);
        poller.start();
        // The held answer has come back (and been dropped) once the poll is no longer waiting.
        ASSERT_TRUE(waitUntil([&] { return !poller.isPolling(); }));
        ASSERT_TRUE(runPastTicks(5));
        EXPECT_EQ(paid.count() + failed.count(), 0);
        EXPECT_EQ(standin.requests(kPayStatus).size(), 1);
    }
}

TEST_F(PurchaseFlow, RenewalOrderInvoiceAndRegions)
{
    // The certificate renewal: an order of 200, paid by three polls.
    PersonageOrderStatus renewal;
    ASSERT_EQ(net()->getCertOrderStatus(renewal, nullptr), 1);
    EXPECT_EQ(renewal.orderAmount, "200.00");
    QString qr, billNo;
    ASSERT_EQ(net()->getCreatePayQr(renewal, qr, billNo, nullptr), 1);
    int paySta = -1;
    for (int i = 0; i < 3; ++i)
        ASSERT_EQ(net()->getPayStatus(billNo, paySta), 1);
    EXPECT_EQ(paySta, 1);
    // Paying it again is refused: the order is no longer open.
    QSignalSpy errors(client, &NetWorkBusiness::sendErroeCodeInfo);
    ASSERT_EQ(net()->getPersonageOrderStatus(renewal.id, renewal, nullptr), 1);
    EXPECT_EQ(net()->getCreatePayQr(renewal, qr, billNo, nullptr), 0);
    EXPECT_EQ(errors.count(), 1);

    // Its invoice.
    ASSERT_EQ(net()->setAddInvoiceBusiness(renewal.orderCode, 1, u8("某公司"), "", "91110000", "", "", "", u8("续期"),
                                           u8("张三"), "13900000000", u8("北京"), "z@example.com", nullptr),
              1);
    QList<PackageOrderInfo> orders;
    int pages = 0;
    ASSERT_EQ(net()->getMyPackageOrderBusiness(orders, 1, 10, 1, pages, nullptr), 1);
    const auto it = std::find_if(orders.begin(), orders.end(), [&](const PackageOrderInfo& o) { return o.id == renewal.id; });
    ASSERT_NE(it, orders.end());
    EXPECT_EQ(it->invoiceState, 1);
    ASSERT_FALSE(it->invoice_Id.isEmpty());
    BillDetailsInfo bill;
    ASSERT_EQ(net()->getQueryBillDetails(it->invoice_Id, bill, nullptr), 1);
    EXPECT_EQ(bill.title, u8("某公司"));
    EXPECT_EQ(bill.billContent, u8("续期"));
    EXPECT_EQ(bill.receiverEmil, "z@example.com");
    EXPECT_EQ(bill.type, 1);

    // Deleting an order takes it out of the lists.
    ASSERT_EQ(net()->deleteOrderList(renewal.id, nullptr), 1);
    orders.clear();
    ASSERT_EQ(net()->getMyPackageOrderBusiness(orders, -1, 0, 0, pages, nullptr), 1);
    EXPECT_TRUE(std::none_of(orders.begin(), orders.end(), [&](const PackageOrderInfo& o) { return o.id == renewal.id; }));

    // The region tree, level by level.
    QList<QueryRegionList> provinces, cities, counties, none;
    ASSERT_EQ(net()->getQueryRegion(provinces, -1, nullptr), 1);
    ASSERT_EQ(provinces.size(), 3);
    EXPECT_EQ(provinces.at(2).name, u8("广东省"));
    ASSERT_EQ(net()->getQueryRegion(cities, provinces.at(2).id, nullptr), 1);
    ASSERT_EQ(cities.size(), 2);
    ASSERT_EQ(net()->getQueryRegion(counties, cities.at(0).id, nullptr), 1);
    ASSERT_EQ(counties.size(), 2);
    EXPECT_EQ(counties.at(1).name, u8("天河区"));
    errors.clear();
    EXPECT_EQ(net()->getQueryRegion(none, 99, nullptr), 0);
    EXPECT_EQ(errors.count(), 0);
}

TEST_F(PurchaseFlow, AddressBook)
{
    QList<LinkmanInfo> all;
    ASSERT_EQ(net()->getMyLinkManBusiness(all, nullptr, ""), 1);
    ASSERT_EQ(all.size(), 2);
    QList<LinkmanInfo> found;
    ASSERT_EQ(net()->getMyLinkManBusiness(found, nullptr, u8("李")), 1);
    ASSERT_EQ(found.size(), 1);
    EXPECT_EQ(found.at(0).userName, u8("李明"));

    ASSERT_EQ(net()->addLinkMan(0, u8("张总"), "13900000003", nullptr), 1);
    QSignalSpy errors(client, &NetWorkBusiness::sendErroeCodeInfo);
    EXPECT_EQ(net()->addLinkMan(0, u8("张总"), "13900000003", nullptr), 0);
    ASSERT_EQ(errors.count(), 1);
    EXPECT_EQ(errors.first().at(1).toString(), u8("联系人已存在"));

    found.clear();
    ASSERT_EQ(net()->getMyLinkManBusiness(found, nullptr, u8("张")), 1);
    ASSERT_EQ(found.size(), 1);
    const QString id = found.at(0).id;
    EXPECT_EQ(found.at(0).userName, u8("张伟"));
    ASSERT_EQ(net()->modifyLinkMan(id, u8("张董"), "13900000003", nullptr), 1);
    found.clear();
    ASSERT_EQ(net()->getMyLinkManBusiness(found, nullptr, u8("张董")), 1);
    ASSERT_EQ(found.size(), 1);
    ASSERT_EQ(net()->delLinkMan(id, nullptr), 1);
    all.clear();
    ASSERT_EQ(net()->getMyLinkManBusiness(all, nullptr, ""), 1);
    EXPECT_EQ(all.size(), 2);
}
