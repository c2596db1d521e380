// The packages page and the package purchase block against the stand-in: the figures, the held
// packages four to a page with their filters, the block in the page's place, and a purchase from
// order to QR code, payment, one success box and the packages page reloaded.

#include "UserBusinessTestSupport.h"

#include "BuyMealInfoWidget.h"
#include "CListControlRoll.h"
#include "CPageWidget.h"
#include "LoadingWidget.h"
#include "UserPackageFrame.h"

#include <QApplication>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

namespace {

QList<PackageOrderListCell*> cells(UserPackageFrame* p)
{
    QList<PackageOrderListCell*> out;
    for (int i = 0; i < p->packageList()->count(); ++i)
        out << qobject_cast<PackageOrderListCell*>(p->packageList()->itemWidget(p->packageList()->item(i)));
    return out;
}

QStringList orderIds(UserPackageFrame* p)
{
    QStringList ids;
    for (PackageOrderListCell* c : cells(p))
        ids << (c ? c->values().value(0) : QString("?"));
    return ids;
}

// The payment dialog that has just closed (it lives until its opener's scope ends).
PayQrCodeDialog* payDialog()
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* d = qobject_cast<PayQrCodeDialog*>(w))
            return d;
    return nullptr;
}

} // namespace

using PackagesPage = UserBusinessTest;

TEST(PackageDays, DaysLeftFromTheServiceTimes)
{
    struct Case {
        const char* from;
        const char* to;
        int days;
        int left;
    } cases[] = {
        {"2020-1-1 00:00:00", "2020-1-11 12:00:00", 30, 20},
        {"2020-1-1 00:00:00", "2020-1-31 00:00:00", 30, 1},    // the last day still counts
        {"2020-1-1 00:00:00", "2020-2-5 00:00:00", 30, 0},
        {"2020-1-11 00:00:00", "2020-1-1 00:00:00", 30, 0},    // the service's time before the start
        {"2020-3-28 08:00:00", "2020-4-2 07:59:59", 365, 361}, // whole days only
        {"not a date", "2020-1-1 00:00:00", 30, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(UserPackageFrame::daysLeft(c.from, c.to, c.days), c.left) << c.from << " " << c.to;
}

// The figures, then the held packages page by page and by filter; the request bodies carry the
// user, the filter and four rows per page.
TEST_F(PackagesPage, FiguresAndHeldPackagesPagedByFilter)
{
    ASSERT_NE(open(), nullptr);
    UserPackageFrame* p = frame->getUserPackageFrame();
    const QString userId = client->getBusinessInfo()->id;
    clickMenu(UserManageFrame::PackagePage);
    EXPECT_EQ(frame->getStackWid()->currentWidget(), p);
    EXPECT_EQ(p->residueLabel()->text(), "41");
    EXPECT_EQ(p->daysLabel()->text(), "20");
    EXPECT_EQ(lastBody(kHeldPage), (QJsonObject{{"entity", QJsonObject{{"userId", userId}, {"mealStatus", 0}, {"status", 0}}},
                                                {"pageBean", QJsonObject{{"pageNum", 1}, {"pageSize", 4}}}}));
    EXPECT_EQ(sent(kHeldPage), 1);
    EXPECT_EQ(orderIds(p), (QStringList{"o-h1", "o-h2", "o-h3", "o-h4"}));
    EXPECT_EQ(p->pageBar()->pageCount(), 2);
    EXPECT_TRUE(p->emptyPanel()->isHidden());
    ASSERT_NE(cells(p).value(0), nullptr);
    EXPECT_EQ(cells(p)[0]->values(), (QStringList{"o-h1", u8("套餐1"), u8("详情1"), "99.00", "2024-03-01 10:00:00"}));
    EXPECT_EQ(cells(p)[0]->size(), QSize(213, 207));

    p->pageBar()->pageButtons().at(1)->click();
    EXPECT_EQ(lastBody(kHeldPage).value("pageBean").toObject(), (QJsonObject{{"pageNum", 2}, {"pageSize", 4}}));
    EXPECT_EQ(orderIds(p), QStringList{"o-h5"});

    struct Filter {
        int id;
        QJsonObject entity;
        QStringList shown;
        int pages;
    } filters[] = {
        {UserPackageFrame::NotUsed, {{"userId", userId}, {"mealStatus", 1}, {"status", 0}}, {"o-h6"}, 1},
        // Nothing has ended: the empty panel, and no page buttons of the previous filter.
        {UserPackageFrame::Ended, {{"userId", userId}, {"status", 1}}, {}, 0},
        {UserPackageFrame::InUse, {{"userId", userId}, {"mealStatus", 0}, {"status", 0}}, {"o-h1", "o-h2", "o-h3", "o-h4"}, 2},
    };
    for (const Filter& f : filters) {
        SCOPED_TRACE(f.id);
        const int before = sent(kHeldPage);
        p->filterButton(f.id)->click();
        EXPECT_EQ(sent(kHeldPage), before + 1);   // the page's rows come with the filter's request
        EXPECT_EQ(lastBody(kHeldPage).value("entity").toObject(), f.entity);
        EXPECT_EQ(orderIds(p), f.shown);
        EXPECT_EQ(p->pageBar()->pageCount(), f.pages);
        EXPECT_EQ(p->emptyPanel()->isHidden(), !f.shown.isEmpty());
        EXPECT_EQ(p->packageList()->isHidden(), f.shown.isEmpty());
    }

    // The filter stays for the next reload from the menu.
    p->filterButton(UserPackageFrame::NotUsed)->click();
    clickMenu(UserManageFrame::PackagePage);
    EXPECT_EQ(lastBody(kHeldPage).value("entity").toObject().value("mealStatus").toInt(), 1);
    EXPECT_EQ(orderIds(p), QStringList{"o-h6"});
}

// Without a held package the figures read 0 and the list is not asked for; a failed figures
// request leaves them at 0 too.
TEST_F(PackagesPage, NoPackageShowsZeroFigures)
{
    area.insert("heldPackages", QJsonArray{});
    ASSERT_NE(open(), nullptr);
    UserPackageFrame* p = frame->getUserPackageFrame();
    clickMenu(UserManageFrame::PackagePage);
    EXPECT_EQ(p->residueLabel()->text(), "0");
    EXPECT_EQ(p->daysLabel()->text(), "0");
    EXPECT_EQ(sent(kHeldPage), 0);
    EXPECT_EQ(sent(kFigures), 1);

    area.insert("heldPackages", QJsonArray{held(1, 0, 0)});
    seed();
    clickMenu(UserManageFrame::PackagePage);
    EXPECT_EQ(p->residueLabel()->text(), "41");
    StandinScript refused = StandinScript::withEnvelope(QJsonObject{{"code", 5001}, {"msg", u8("服务繁忙")}});
    refused.times = 1;
    standin.script(kFigures, refused);
    clickMenu(UserManageFrame::PackagePage);
    EXPECT_EQ(p->residueLabel()->text(), "0");
    EXPECT_EQ(p->daysLabel()->text(), "0");
}

// "购买套餐" puts the block in the page's place with the packages for sale; the menu entry then
// reloads the block; "返回" puts the packages page back, reloaded. A user who is not verified
// is stopped by the identity gate.
TEST_F(PackagesPage, PurchaseBlockTakesThePagesPlaceAndGoesBack)
{
    ASSERT_NE(open(), nullptr);
    UserPackageFrame* p = frame->getUserPackageFrame();
    CBuyMealInfoWidget* block = p->_buyMealInfoWidfget;
    clickMenu(UserManageFrame::PackagePage);
    p->buyButton()->click();
    EXPECT_EQ(frame->getStackWid()->widget(UserManageFrame::PackagePage), block);
    EXPECT_EQ(frame->getStackWid()->currentWidget(), block);
    EXPECT_EQ(stackIds(), (QList<int>{0, 1, 2, -1, 4, 5, 6}));
    ASSERT_EQ(block->mealList()->count(), 2);
    CBuyFrame* card = block->card(1);
    ASSERT_NE(card, nullptr);
    EXPECT_EQ(card->title()->text(), u8("企业套餐"));
    EXPECT_EQ(card->subtitle()->text(), u8("10次签署"));
    EXPECT_EQ(card->money()->text(), "699.00");
    EXPECT_EQ(card->count()->text(), u8("/10次"));
    EXPECT_EQ(card->details()->text(), u8("适合企业用户"));
    EXPECT_EQ(card->mealCodeText(), "TC002");

    // The hover look comes and goes; afterwards the texts look as they did, the corner radius 12.
    const QStringList before{card->title()->styleSheet(), card->money()->styleSheet(), card->count()->styleSheet(),
                             card->details()->styleSheet(), card->buyButton()->styleSheet()};
    QEvent enter(QEvent::Enter);
    QApplication::sendEvent(card, &enter);
    EXPECT_TRUE(card->title()->styleSheet().contains("#FFFFFF"));
    EXPECT_TRUE(card->styleSheet().contains("#19BC73"));
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(card, &leave);
    EXPECT_EQ((QStringList{card->title()->styleSheet(), card->money()->styleSheet(), card->count()->styleSheet(),
                           card->details()->styleSheet(), card->buyButton()->styleSheet()}),
              before);
    EXPECT_TRUE(card->styleSheet().contains("border-radius:12px")) << card->styleSheet().toStdString();

    // The menu entry reloads the block, not the figures.
    const int figures = sent(kFigures);
    clickMenu(UserManageFrame::PackagePage);
    EXPECT_EQ(sent(kFigures), figures);
    EXPECT_EQ(sent(kForSale), 2);
    EXPECT_EQ(frame->getStackWid()->currentWidget(), block);

    block->backButton()->click();
    EXPECT_EQ(stackIds(), standardOrder());
    EXPECT_EQ(frame->getStackWid()->currentWidget(), p);
    EXPECT_EQ(sent(kFigures), figures + 1);
    EXPECT_EQ(frame->getLevel2MenuBar()->getBtnGroup()->checkedId(), int(UserManageFrame::PackagePage));

    // Not verified: the gate tells why, and the page stays.
    client->getNetCodeInfo(51001);
    ASSERT_TRUE(loginAs("13700000000"));
    const int boxesBefore = boxes.count();
    p->buyButton()->click();
    EXPECT_EQ(boxes.count(), boxesBefore + 1);
    EXPECT_EQ(stackIds(), standardOrder());
    EXPECT_EQ(sent(kForSale), 2);
}

// A purchase: the order for the card's package, its QR code shown in the payment dialog, the
// payment after N polls, exactly one success box, and its OK shows the packages page reloaded
// in the standard order of the stack. Also when every answer is slower than the poll interval
// and the success box stays open a while.
TEST_F(PackagesPage, PurchasePaidAfterPollsReloadsThePackagesPage)
{
    ScopedPayIntervals intervals(5, 5);
    area.insert("payAfterPolls", 4);
    ASSERT_NE(open(), nullptr);
    UserPackageFrame* p = frame->getUserPackageFrame();
    CBuyMealInfoWidget* block = p->_buyMealInfoWidfget;
    for (bool slow : {false, true}) {
        SCOPED_TRACE(slow ? "slow service" : "quick service");
        clickMenu(UserManageFrame::PackagePage);
        p->buyButton()->click();
        ASSERT_EQ(frame->getStackWid()->currentWidget(), block);
        standin.clearRequests();
        if (slow) {
            StandinScript late;
            late.delayMs = 25;
            standin.script(kPayStatus, late);
        }
        QList<int> successBoxes;
        bool qrShown = false;
        int pollsAtBox = -1;
        PaySuccessDialog::setExecHook([&](PaySuccessDialog& box) {
            successBoxes << box.type();
            if (PayQrCodeDialog* d = payDialog()) {
                qrShown = !d->qrLabel()->pixmap(Qt::ReturnByValue).isNull() && d->type() == 1;
                pollsAtBox = d->pollCount();
            }
            if (slow) {
                // The box stays open while poll ticks come and go: none of them polls again.
                EXPECT_TRUE(runPastTicks(5));   // the poll interval
                EXPECT_EQ(sent(kPayStatus), 4);
            }
            box.okButton()->click();
            return int(box.result());
        });
        block->card(1)->buyButton()->click();
        PaySuccessDialog::setExecHook({});
        standin.clearScripts();

        EXPECT_EQ(lastBody(kBuy), (QJsonObject{{"code", "TC002"}, {"num", 1}}));
        EXPECT_EQ(sent(kOrder), 1);
        EXPECT_EQ(sent(kPayQr), 1);
        EXPECT_EQ(lastBody(kPayQr).value("orderAmount").toString(), "699.00");
        EXPECT_EQ(sent(kPayStatus), 4);
        EXPECT_EQ(pollsAtBox, 4);
        EXPECT_TRUE(qrShown);
        EXPECT_EQ(successBoxes, QList<int>{1});
        // OK: the packages page in its place and current, reloaded.
        EXPECT_EQ(stackIds(), standardOrder());
        EXPECT_EQ(frame->getStackWid()->currentWidget(), p);
        EXPECT_EQ(sent(kFigures), 2);   // the packages page's figures and the account page's
        // Page 1 of the held packages (the paging callback asks for it once more, as after any
        // reload while the page had been paged).
        ASSERT_FALSE(standin.requests(kHeldPage).isEmpty());
        for (const StandinRequest& r : standin.requests(kHeldPage))
            EXPECT_EQ(r.json.value("pageBean").toObject().value("pageNum").toInt(), 1);
        EXPECT_EQ(orderIds(p), (QStringList{"o-h1", "o-h2", "o-h3", "o-h4"}));
        EXPECT_EQ(boxes.count(), 0);
        EXPECT_EQ(toasts.count(), 0);
        const QJsonArray orders = serviceList("orders");
        ASSERT_FALSE(orders.isEmpty());
        EXPECT_EQ(orders.last().toObject().value("status").toInt(), 1);
        ASSERT_TRUE(runPastTicks(5));
        EXPECT_EQ(sent(kPayStatus), 4);   // nothing polls after the dialog
    }
}

// Nobody pays: the dialog counts its 60 seconds down, polling each one, and closes without any
// message; the block stays as it was. An order the service refuses opens no dialog at all.
TEST_F(PackagesPage, UnpaidCountdownEndsQuietlyAndARefusedOrderOpensNothing)
{
    ScopedPayIntervals intervals(2, 2);
    area.insert("payAfterPolls", 1000);
    ASSERT_NE(open(), nullptr);
    UserPackageFrame* p = frame->getUserPackageFrame();
    CBuyMealInfoWidget* block = p->_buyMealInfoWidfget;
    clickMenu(UserManageFrame::PackagePage);
    p->buyButton()->click();
    PaySuccessAutoAnswer success;
    standin.clearRequests();
    block->card(0)->buyButton()->click();
    EXPECT_EQ(sent(kPayStatus), 60);
    EXPECT_EQ(success.count(), 0);
    EXPECT_EQ(boxes.count(), 0);
    EXPECT_EQ(toasts.count(), 0);
    EXPECT_EQ(frame->getStackWid()->currentWidget(), block);
    EXPECT_EQ(block->mealList()->count(), 2);

    standin.clearRequests();
    StandinScript refused = StandinScript::withEnvelope(QJsonObject{{"code", 5002}, {"msg", u8("下单失败")}});
    refused.times = 1;
    standin.script(kBuy, refused);
    block->card(0)->buyButton()->click();
    EXPECT_EQ(sent(kBuy), 1);
    EXPECT_EQ(sent(kOrder), 0);
    EXPECT_EQ(sent(kPayQr), 0);
    EXPECT_EQ(sent(kPayStatus), 0);
    EXPECT_FALSE(block->card(0)->findChild<LoadingWidget*>()->isVisible());
}
