// The QR-code payment dialog run modally against the stand-in: the countdown, package and
// certificate-renewal payments with their boxes and signal, failed polls and certificate fetches,
// closing by the user; and the success box with its OK button.

#include "AccountTestSupport.h"
#include "CertState.h"
#include "Canvas.h"
#include "MMessageBox.h"
#include "PayQrCodeDialog.h"

#include <QBuffer>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>

#include <functional>

namespace {

const char* const kPayStatus = "/eseal-pay/query/payStatus";
const char* const kCurrentUser = "/eseal-signature/certInfo/getCertCurrentUser";
const char* const kExpiry = "/eseal-signature/certInfo/getCertExpiryDate";
const char* const kExpiredAccount = "13500000000";

NetWorkBusiness* net()
{
    return NetWorkBusiness::Instance();
}

// The poll and certificate-check interval of the dialogs of a test.
const int kTickMs = 5;

// Short timers for every dialog of a test.
class ScopedPayIntervals
{
public:
    ScopedPayIntervals() { PayQrCodeDialog::setIntervalsForTesting(kTickMs, kTickMs); }
    ~ScopedPayIntervals() { PayQrCodeDialog::setIntervalsForTesting(0, 0); }
};

struct Bill {
    QString qr;
    QString billNo;
};

} // namespace

class PayDialog : public AccountTest
{
protected:
    // An unpaid order and its bill: a package (type 1) or a certificate renewal (type 2).
    Bill newBill(int type)
    {
        Bill bill;
        PersonageOrderStatus order;
        if (type == 2) {
            if (!net()->getCertOrderStatus(order, nullptr))
                return bill;
        } else {
            QString orderId;
            if (!net()->getBuyMeal("TC001", orderId, nullptr) || !net()->getPersonageOrderStatus(orderId, order, nullptr))
                return bill;
        }
        net()->getCreatePayQr(order, bill.qr, bill.billNo, nullptr);
        return bill;
    }

    // Runs the dialog modally. closeWhen, checked every few milliseconds while the dialog is
    // shown, makes the test close it with the title's close button once it has held while every
    // timer of the dialog ticked (a marker timer of two intervals fired after those ticks); a
    // dialog still open after the bound is closed too and the run counts as timed out.
    struct Run {
        int result = -1;
        bool closedByTest = false;
        bool timedOut = false;
    };
    Run run(PayQrCodeDialog& dialog, std::function<bool()> closeWhen = {}, int boundMs = 5000)
    {
        Run r;
        QElapsedTimer total;
        total.start();
        QTimer held;
        held.setSingleShot(true);
        held.setTimerType(Qt::PreciseTimer);
        held.setInterval(2 * kTickMs);
        QObject::connect(&held, &QTimer::timeout, [&] {
            if (dialog.isVisible() && closeWhen && closeWhen()) {
                r.closedByTest = true;
                dialog.closeButton()->click();
            }
        });
        QTimer watch;
        QObject::connect(&watch, &QTimer::timeout, [&] {
            if (!dialog.isVisible())
                return;
            if (total.elapsed() > boundMs) {
                r.timedOut = true;
                dialog.closeButton()->click();
                return;
            }
            if (!closeWhen || !closeWhen())
                held.stop();
            else if (!held.isActive())
                held.start();
        });
        watch.start(2);
        r.result = dialog.exec();
        return r;
    }

    int payPolls() const { return standin.requests(kPayStatus).size(); }
};

// Payments that end on their own: the dialog closes without the test, with at most one box and
// one signal, also when every answer takes longer than the timers' intervals and the success
// box stays open for a while (the timers keep running in those waits).
TEST_F(PayDialog, PaymentOutcomes)
{
    struct Case {
        const char* name;
        const char* account;
        int type;
        int countdown;
        bool stillExpired;     // the service keeps reporting an expired certificate
        int polls;             // payment polls made
        QStringList boxes;     // message boxes shown (texts)
        QList<int> successBoxes;
        int renewedSignals;
        bool expiredAfter;     // g_certTime.bIsExpired at the end
    };
    const QList<Case> cases = {
        {"countdown runs out", "13800000000", 1, 2, false, 2, {}, {}, 0, false},
        {"package paid", "13800000000", 1, 60, false, 3, {}, {1}, 0, false},
        {"renewal paid", kExpiredAccount, 2, 60, false, 3, {}, {2}, 1, false},
        {"renewal paid, certificate still expired", kExpiredAccount, 2, 60, true, 3, {u8("电子印章续期失败")}, {}, 0,
         true},
    };
    ScopedPayIntervals intervals;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (client->getLoginState() == NetWorkBusiness::LOGINED)
            client->getNetCodeInfo(51001);
        ASSERT_TRUE(loginAs(c.account));
        // An earlier case may have renewed it.
        if (QString(c.account) == kExpiredAccount)
            standin.withState([](StandinState& s) { standinIssueCertificate(s, kExpiredAccount, StandinCertScenario::Expired); });
        ASSERT_EQ(getServerCertAndTime(), 0);
        EXPECT_EQ(g_certTime.bIsExpired, QString(c.account) == kExpiredAccount);
        const Bill bill = newBill(c.type);
        ASSERT_FALSE(bill.billNo.isEmpty());
        standin.clearRequests();
        standin.clearScripts();
        StandinScript slow;
        slow.delayMs = 25;
        standin.script(kPayStatus, slow);
        standin.script(kCurrentUser, slow);
        if (c.stillExpired)
            standin.script(kExpiry, StandinScript::withEnvelope(QJsonObject{
                                        {"code", 10000},
                                        {"msg", ""},
                                        {"data", QJsonObject{{"expirationDate", "2023.01.01 00:00:00-2024.01.01 00:00:00"}}}}));

        MMessageBoxAutoAnswer boxes(QDialogButtonBox::Ok);
        QList<int> successBoxes;
        int okRenewedSignals = 0;
        PaySuccessDialog::setExecHook([&](PaySuccessDialog& box) {
            successBoxes.append(box.type());
            EXPECT_EQ(box.text(), box.type() == 2 ? u8("电子印章续期成功") : u8("套餐购买成功"));
            QObject::connect(&box, &PaySuccessDialog::sigCertRenewSucess, [&] { ++okRenewedSignals; });
            // The box stays open while every timer of the dialog would tick.
            EXPECT_TRUE(runPastTicks(kTickMs));
            box.okButton()->click();
            return int(box.result());
        });
        {
            PayQrCodeDialog dialog(bill.qr, bill.billNo, c.type, c.countdown, nullptr);
            QSignalSpy renewed(&dialog, &PayQrCodeDialog::sigCertRenewSucess);
            const Run r = run(dialog);
            EXPECT_FALSE(r.timedOut);
            EXPECT_FALSE(r.closedByTest);
            EXPECT_EQ(r.result, int(QDialog::Rejected));
            EXPECT_TRUE(runPastTicks(kTickMs));
            EXPECT_EQ(payPolls(), c.polls);
            EXPECT_EQ(dialog.pollCount(), c.polls);
            EXPECT_EQ(dialog.remainingSeconds(), c.countdown - c.polls);
            EXPECT_EQ(dialog.countdownLabel()->text(), QString::number(c.countdown - c.polls));
            EXPECT_FALSE(dialog.isWorking());
            EXPECT_EQ(renewed.count(), c.renewedSignals);
            EXPECT_EQ(boxes.texts(), c.boxes);
            EXPECT_EQ(successBoxes, c.successBoxes);
            // The box's own signal on OK reaches nothing in the program; it fires for renewals.
            EXPECT_EQ(okRenewedSignals, c.renewedSignals);
            if (c.type == 2) {
                EXPECT_EQ(dialog.certCheckCount(), 1);
                EXPECT_EQ(standin.requests(kCurrentUser).size(), 1);
                EXPECT_EQ(g_certTime.bIsExpired, c.expiredAfter);
                EXPECT_TRUE(g_certTime.bIsValid);
            } else {
                EXPECT_TRUE(standin.requests(kCurrentUser).isEmpty());
            }
        }
        PaySuccessDialog::setExecHook({});
    }
    // The renewal is written to the log.
    EXPECT_TRUE(logText().contains(u8("电子印章续期成功")));
    EXPECT_TRUE(logText().contains(u8("电子印章续期失败")));
}

// A renewal pays the expired account's certificate for another year: the service now reports a
// valid certificate without the dialog, as a later signing would see it.
TEST_F(PayDialog, PaidRenewalReissuesTheCertificate)
{
    ASSERT_TRUE(loginAs(kExpiredAccount));
    qint64 before = 0, after = 0;
    standin.withState([&](StandinState& s) { before = s.account->certs.value(kExpiredAccount).notAfter; });
    const Bill bill = newBill(2);
    int state = 0;
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(net()->getPayStatus(bill.billNo, state));
    EXPECT_EQ(state, 1);
    standin.withState([&](StandinState& s) { after = s.account->certs.value(kExpiredAccount).notAfter; });
    EXPECT_GT(after, QDateTime::currentSecsSinceEpoch() + 360 * 86400LL);
    EXPECT_LT(before, QDateTime::currentSecsSinceEpoch());
    // Polling the paid bill again does not issue it once more.
    ASSERT_TRUE(net()->getPayStatus(bill.billNo, state));
    qint64 again = 0;
    standin.withState([&](StandinState& s) { again = s.account->certs.value(kExpiredAccount).notAfter; });
    EXPECT_EQ(again, after);
}

// The dialog stays open until the user closes it: after a failed first poll (frozen at 59), and
// when closed during the countdown no poll follows.
TEST_F(PayDialog, FrozenAfterAFailedPollAndQuietAfterClosing)
{
    ScopedPayIntervals intervals;
    ASSERT_TRUE(loginAs("13800000000"));
    MMessageBoxAutoAnswer boxes(QDialogButtonBox::Ok);
    PaySuccessAutoAnswer success;

    const Bill failing = newBill(1);
    standin.clearRequests();
    StandinScript refused = StandinScript::withEnvelope(QJsonObject{{"code", 4011}, {"msg", u8("支付单不存在")}});
    refused.times = 1;
    standin.script(kPayStatus, refused);
    {
        QSignalSpy errors(client, &NetWorkBusiness::sendErroeCodeInfo);
        PayQrCodeDialog dialog(failing.qr, failing.billNo, 1, 60, nullptr);
        const Run r = run(dialog, [&] { return payPolls() >= 1 && !dialog.isWorking(); });
        EXPECT_TRUE(r.closedByTest);
        EXPECT_FALSE(r.timedOut);
        EXPECT_EQ(payPolls(), 1);
        EXPECT_EQ(dialog.countdownLabel()->text(), "59");
        EXPECT_EQ(errors.count(), 1);
    }

    const Bill pending = newBill(1);
    standin.clearRequests();
    // Never paid, so that only closing ends the polls.
    standin.script(kPayStatus, StandinScript::withEnvelope(QJsonObject{{"code", 10000}, {"msg", ""}, {"data", 0}}));
    {
        PayQrCodeDialog dialog(pending.qr, pending.billNo, 1, 60, nullptr);
        const Run r = run(dialog, [&] { return payPolls() >= 2; });
        EXPECT_TRUE(r.closedByTest);
        EXPECT_EQ(r.result, int(QDialog::Rejected));
        const int pollsAtClose = payPolls();
        EXPECT_FALSE(dialog.isWorking());
        ASSERT_TRUE(runPastTicks(kTickMs));
        EXPECT_EQ(payPolls(), pollsAtClose);
        EXPECT_EQ(dialog.pollCount(), pollsAtClose);
    }
    EXPECT_EQ(boxes.count(), 0);
    EXPECT_EQ(success.count(), 0);
}

// The renewal is paid but the certificate cannot be fetched: a bounded number of tries, each
// reported by the certificate request, then one message and the dialog closes without a signal.
TEST_F(PayDialog, CertificateFetchFailuresEndWithAMessage)
{
    ScopedPayIntervals intervals;
    ASSERT_TRUE(loginAs(kExpiredAccount));
    const Bill bill = newBill(2);
    standin.clearRequests();
    StandinScript busy = StandinScript::withEnvelope(QJsonObject{{"code", 5001}, {"msg", u8("证书服务繁忙")}});
    busy.delayMs = 15;   // longer than the check interval
    standin.script(kCurrentUser, busy);
    MMessageBoxAutoAnswer boxes(QDialogButtonBox::Ok);
    PaySuccessAutoAnswer success;
    PayQrCodeDialog dialog(bill.qr, bill.billNo, 2, 60, nullptr);
    QSignalSpy renewed(&dialog, &PayQrCodeDialog::sigCertRenewSucess);
    const Run r = run(dialog);
    EXPECT_FALSE(r.closedByTest);
    EXPECT_FALSE(r.timedOut);
    ASSERT_TRUE(runPastTicks(kTickMs));
    EXPECT_EQ(dialog.certCheckCount(), PayQrCodeDialog::kMaxCertChecks);
    EXPECT_EQ(standin.requests(kCurrentUser).size(), PayQrCodeDialog::kMaxCertChecks);
    EXPECT_EQ(renewed.count(), 0);
    EXPECT_EQ(success.count(), 0);
    ASSERT_EQ(boxes.count(), PayQrCodeDialog::kMaxCertChecks + 1);
    for (int i = 0; i < PayQrCodeDialog::kMaxCertChecks; ++i)
        EXPECT_EQ(boxes.shown().at(i).text, u8("证书服务繁忙"));
    EXPECT_EQ(boxes.shown().last().title, u8("电子印章续期失败"));
    EXPECT_TRUE(boxes.lastText().contains(u8("支付已完成")));
    EXPECT_FALSE(dialog.isWorking());
}

// What the two dialogs show, and the success box's OK button.
TEST(PayDialogs, ContentAndSuccessBoxButton)
{
    const QByteArray png = [] {
        QImage image(20, 20, QImage::Format_RGB32);
        image.fill(Qt::black);
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, "PNG");
        return bytes.toBase64();
    }();
    struct Case {
        int type;
        QString qr;
        QString title;
        bool renewalLine;
        bool picture;
    };
    const QList<Case> cases = {
        {1, QString::fromLatin1(png), u8("扫码支付订单"), false, true},
        {2, QString::fromLatin1(png), u8("印章使用续期"), true, true},
        {3, "not a picture!", QString(), false, false},
    };
    for (const Case& c : cases) {
        PayQrCodeDialog dialog(c.qr, "B1", c.type, 60, nullptr);
        EXPECT_EQ(dialog.title(), c.title);
        EXPECT_EQ(dialog.countdownLabel()->text(), "60");
        EXPECT_EQ(!dialog.qrLabel()->pixmap(Qt::ReturnByValue).isNull(), c.picture);
        bool line = false;
        for (QLabel* label : dialog.findChildren<QLabel*>())
            line = line || label->text() == u8("￥200");
        EXPECT_EQ(line, c.renewalLine);
        dialog.close();
    }

    // The picture is one of our own resources.
    EXPECT_FALSE(QPixmap(":/usercenter/Resources/images/usercenter/pay_success.png").isNull());

    QList<int> reloaded;
    PaySuccessDialog::setPageReload([&](int type) { reloaded.append(type); });
    for (int type : {1, 2}) {
        PaySuccessDialog box(type, nullptr);
        EXPECT_EQ(box.title(), type == 2 ? u8("电子印章续期成功") : u8("套餐购买成功"));
        QSignalSpy renewed(&box, &PaySuccessDialog::sigCertRenewSucess);
        QTimer::singleShot(0, box.okButton(), &QPushButton::click);
        box.exec();
        EXPECT_FALSE(box.isVisible());
        EXPECT_EQ(renewed.count(), type == 2 ? 1 : 0);
    }
    PaySuccessDialog::setPageReload({});
    EXPECT_EQ(reloaded, (QList<int>{1, 2}));
}

// The document view's renewal: orders it, runs the dialog over the QR code and passes the
// dialog's signal on as its own; an order the service refuses opens no dialog.
TEST_F(PayDialog, CanvasRenewal)
{
    ScopedPayIntervals intervals;
    ASSERT_TRUE(loginAs(kExpiredAccount));
    MMessageBoxAutoAnswer boxes(QDialogButtonBox::Ok);
    PaySuccessAutoAnswer success;
    Canvas canvas(nullptr);
    QSignalSpy renewed(&canvas, &Canvas::sigCertRenewSucess);
    canvas.slotRenew();
    EXPECT_EQ(renewed.count(), 1);
    EXPECT_EQ(success.types(), QList<int>{2});
    EXPECT_EQ(standin.requests(kPayStatus).size(), 3);
    ASSERT_EQ(getServerCertAndTime(), 0);
    EXPECT_FALSE(g_certTime.bIsExpired);

    standin.clearRequests();
    StandinScript refused = StandinScript::withEnvelope(QJsonObject{{"code", 5002}, {"msg", u8("下单失败")}});
    refused.times = 1;
    standin.script("/eseal-pay/functron/ECertOrder", refused);
    canvas.slotRenew();
    EXPECT_TRUE(standin.requests(kPayStatus).isEmpty());
    EXPECT_EQ(renewed.count(), 1);
    EXPECT_EQ(success.count(), 1);
    EXPECT_EQ(boxes.count(), 0);
}
