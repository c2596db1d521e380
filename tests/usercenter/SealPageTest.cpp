// The seals and signatures page against the stand-in: what a personal and a company account see,
// the USB-key seals, deleting a signature, the add-signature QR page, the two limits and the
// company filter.

#include "LoginTestSupport.h"
#include "SealPageTestSupport.h"

#include "AddSignWidget.h"
#include "CSignListCellWidgetTwo.h"
#include "DeviceBussiness.h"
#include "Level2MenuBar.h"
#include "UserCenterPage.h"
#include "UserManageFrame.h"
#include "UserSignatureFrame.h"
#include "delSignDialog.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QTest>
#include <QToolButton>

#include <functional>

namespace {

class SealPage : public LoginTest
{
protected:
    void SetUp() override
    {
        LoginTest::SetUp();
        m_page = std::make_unique<UserCenterPage>();
        m_page->resize(1024, 660);
        frame = UserCenterPage::getUserManageFrame();
        seals = frame->getUserSignatureFrame();
    }

    void TearDown() override
    {
        removeAllKeys();
        m_page.reset();
        LoginTest::TearDown();
    }

    // Logs in and shows the page as its menu entry does.
    void open(const char* account)
    {
        ASSERT_TRUE(loginAs(u8(account)));
        m_page->setLoginedState();
        m_page->show();
        frame->getLevel2MenuBar()->getBtnGroup()->button(UserManageFrame::SignaturePage)->click();
    }

    // A seal record of the stand-in's company, as the seed writes them.
    void addCompanySeal(const QJsonObject& fields)
    {
        standin.withState([&](StandinState& s) {
            QJsonObject seal{{"id", QString("seal-x%1").arg(++m_extra)},
                             {"name", QString("附加章%1").arg(m_extra)},
                             {"sealCode", QString("SCX%1").arg(m_extra)},
                             {"sealType", "04"},
                             {"status", 1},
                             {"creditCode", "91110000MA0000000X"},
                             {"companyName", u8("演示科技有限公司")},
                             {"sealRecordUnitName", u8("演示市公安局")},
                             {"sealRecordTime", "1704067200"},
                             {"certification", 1},
                             {"whetherOnline", 0},
                             {"creationDate", "2024-02-03 04:05:06"}};
            for (auto it = fields.begin(); it != fields.end(); ++it)
                seal.insert(it.key(), it.value());
            s.account->seals[kCompany].append(seal);
        });
    }

    // A field of the stand-in's company seal at index ("id", "sealCode").
    QString companySeal(int index, const char* field = "id")
    {
        QString value;
        standin.withState(
            [&](StandinState& s) { value = s.account->seals[kCompany].at(index).value(field).toString(); });
        return value;
    }

    // Clicks as a user does: the press and release arrive as events, so that what the click
    // deletes later waits for the event loop, as in the running program.
    static void userClick(QWidget* button)
    {
        const QPoint centre = button->rect().center();
        QMouseEvent press(QEvent::MouseButtonPress, centre, button->mapToGlobal(centre), Qt::LeftButton,
                          Qt::LeftButton, Qt::NoModifier);
        QMouseEvent release(QEvent::MouseButtonRelease, centre, button->mapToGlobal(centre), Qt::LeftButton,
                            Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(button, &press);
        QCoreApplication::sendEvent(button, &release);
    }

    // A seal authorisation in force from a company to the personal account.
    void grant(const QString& companyId, const QString& companyName, const QStringList& sealIds)
    {
        standin.withState([&](StandinState& s) {
            QJsonArray records;
            for (const QString& id : sealIds)
                records.append(QJsonObject{{"sealId", id}});
            QJsonObject grants = s.seed.value("grants").toObject();
            const QString id = QString("g-%1").arg(grants.size() + 1);
            grants.insert(id, QJsonObject{{"id", id},
                                          {"personAccount", kPerson},
                                          {"authorizeStatus", 20},
                                          {"authorizeCompanyId", companyId},
                                          {"authorizeCompanyName", companyName},
                                          {"authorizeCompanyAccount", kCompany},
                                          {"companyAccount", kCompany},
                                          {"recordList", records}});
            s.seed.insert("grants", grants);
        });
    }

    // Registers a USB key; names never repeat within the process (the registry ignores a second
    // removal of the name it removed last).
    keycontiaininfo insertKey(const QString& licence, const QString& sealCode)
    {
        static int next = 0;
        keycontiaininfo key;
        key.deviceName = QString("key-%1").arg(++next);
        key.strLicNum = licence;
        key.sealCode = sealCode;
        key.sealName = u8("密钥盘印章");
        key.sealrecordUnitName = u8("演示市公安局");
        key.sealrecordTime = "2023-05-06 07:08:09";
        key.strSealType = u8("公章");
        DeviceBussiness::Instance()->insertKeyContainInfo(key.deviceName, key);
        return key;
    }

    void removeAllKeys()
    {
        for (const QString& name : DeviceBussiness::Instance()->getKeyContainInfoMap().keys())
            DeviceBussiness::Instance()->pulloutDevice(name);
    }

    // The status query answers every key with this sync state.
    void keyStatusAnswers(int sync)
    {
        standin.script(kSealShowPath, StandinScript::withEnvelope(QJsonObject{{"code", 10000}, {"msg", "ok"}, {"data", sync}}));
    }

    static constexpr const char* kPerson = "13800000000";
    static constexpr const char* kCompany = "13900000000";
    static constexpr const char* kSealShowPath = "/eseal-seal/contract-seal/query/sealShow";
    static constexpr const char* kKeyIdPath = "/eseal-seal/contract-seal/get/keyGetId";
    static constexpr const char* kSignaturesPath = "/eseal-contract-signature/contract-signature/usersignature";
    static constexpr const char* kDeleteSignPath = "/eseal-contract-signature/contract-signature/delete";
    static constexpr const char* kQrPath = "/tarvik-serve-manage-wexo/function/create/qrcode";

    std::unique_ptr<UserCenterPage> m_page;
    UserManageFrame* frame = nullptr;
    UserSignatureFrame* seals = nullptr;
    int m_extra = 0;
};

} // namespace

TEST_F(SealPage, PersonalAndCompanyLoadsGiveTheirCards)
{
    // One page through a run: logins of both kinds follow one another.
    struct Case {
        const char* name;
        const char* account;
        std::function<void()> setUp;
        QStringList signatures;   // names on the signature strip; empty with the block hidden
        bool signBlock;
        bool sealBlock;
        QString sealTitle;
        QStringList filter;       // entries of the company filter, empty when it is hidden
        QStringList cards;        // the seal strip, left to right
    };
    const QStringList none;
    const Case cases[] = {
        {"a person nobody lends seals", kPerson, [] {}, {u8("演示用户签名")}, true, false, u8("我的电子印章"), none, none},
        {"a company", kCompany, [] {}, none, false, true, u8("我的印章"), none,
         {u8("cloud:演示科技有限公司公章"), u8("cloud:合同专用章"), u8("failed:财务专用章")}},
        {"a company with a key, a seal under review and cancelled seals", kCompany,
         [this] {
             keyStatusAnswers(0);
             insertKey(u8(" 13900000000 "), companySeal(0, "sealCode"));   // the company's own key
             insertKey("13800000000", "SC-other");                         // another account's key
             addCompanySeal({{"name", u8("审核中章")}, {"certification", 0}});
             addCompanySeal({{"name", u8("已注销同步章")}, {"whetherOnline", 1}, {"status", 2}});
             addCompanySeal({{"name", u8("已注销云章")}, {"whetherOnline", 0}, {"status", 2}});
         },
         none, false, true, u8("我的印章"), none,
         {u8("key:密钥盘印章"), u8("cloud:演示科技有限公司公章"), u8("cloud:合同专用章"), u8("review:审核中章"),
          u8("cloud:已注销云章"), u8("failed:财务专用章")}},
        {"a person two companies lend seals, after a company", kPerson,
         [this] {
             removeAllKeys();
             grant("u-0002", u8("演示科技有限公司"), {companySeal(0)});
             grant("u-0009", u8("另一公司"), {companySeal(1)});
         },
         {u8("演示用户签名")}, true, true, u8("我的授权印章"), {u8("全部"), u8("演示科技有限公司"), u8("另一公司")},
         {u8("authorised:演示科技有限公司公章"), u8("authorised:合同专用章")}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        c.setUp();
        open(c.account);
        EXPECT_EQ(frame->getStackWid()->currentWidget(), seals);
        EXPECT_EQ(seals->signBlock()->isVisible(), c.signBlock);
        if (c.signBlock) {
            EXPECT_EQ(names(seals->signCards()), c.signatures);
        }
        EXPECT_EQ(seals->sealBlock()->isVisible(), c.sealBlock);
        if (c.sealBlock) {
            EXPECT_EQ(seals->sealBlock()->titler()->text(), c.sealTitle);
            EXPECT_EQ(seals->addSealButton()->isVisible(), QString(c.account) == kCompany);
            EXPECT_EQ(seals->companyFilter()->isVisible(), !c.filter.isEmpty());
            EXPECT_EQ(cardKinds(seals->sealCards()), c.cards);
        }
        if (!c.filter.isEmpty()) {
            QStringList entries;
            for (int i = 0; i < seals->companyFilter()->count(); ++i)
                entries << seals->companyFilter()->itemText(i);
            EXPECT_EQ(entries, c.filter);
            EXPECT_EQ(seals->companyFilter()->currentIndex(), 0);
        }
        client->getNetCodeInfo(51001);
        m_page->setLogoutedState();
    }
    // The key of another account was never asked about.
    for (const StandinRequest& r : standin.requests(kSealShowPath))
        EXPECT_EQ(QJsonDocument::fromJson(r.body).object().value("sealCode").toString(), companySeal(0, "sealCode"));
}

TEST_F(SealPage, CardsShowTheirRecords)
{
    addCompanySeal({{"name", u8("审核中章")}, {"certification", 0}});
    open(kCompany);
    const QList<CSealCellWidgetTwo*> cards = seals->sealCards();
    ASSERT_EQ(cards.size(), 4);
    // A cloud seal synchronised from a key: record unit and time, the sync can be cancelled.
    CSealCellWidgetTwo* cloud = cards[0];
    EXPECT_EQ(cloud->nameLabel()->text(), u8("演示科技有限公司公章"));
    EXPECT_EQ(cloud->unitLabel()->text(), u8("演示市公安局"));
    EXPECT_EQ(cloud->timeCaption()->text(), u8("备案时间"));
    EXPECT_EQ(cloud->timeLabel()->text(), QDateTime::fromSecsSinceEpoch(1704067200).toString("yyyy-MM-dd hh:mm"));
    EXPECT_EQ(cloud->args().deviceName, companySeal(0));
    EXPECT_FALSE(cloud->pictureLabel()->pixmap(Qt::ReturnByValue).isNull());
    EXPECT_EQ(cloud->syncButton()->text(), u8("取消同步"));
    // Under review: the creation time, shown to the minute.
    EXPECT_EQ(cards[2]->timeCaption()->text(), u8("创建时间"));
    EXPECT_EQ(cards[2]->timeLabel()->text(), "2024-02-03 04:05");
    EXPECT_FALSE(cards[2]->unitCaption()->isVisibleTo(cards[2]));
    EXPECT_EQ(cards[2]->deleteButton(), nullptr);
    // Failed certification: the reason.
    EXPECT_EQ(cards[3]->reasonLabel()->text(), u8("印章图片不清晰"));
}

TEST_F(SealPage, AKeyIsListedOnlyWithAnAnsweredStatus)
{
    // The first key's seal code is that of one of the company's cloud seals; SC9999 has none.
    struct Case {
        const char* name;
        std::function<void()> script;
        bool known;               // the key's seal has a cloud record
        int cards;                // key cards on the strip
        bool syncShown;
        QStringList toasts;
        int countAfter;           // the registry's read counter
    } cases[] = {
        {"the status query fails", [] {}, true, 0, false, {}, 7},
        {"synchronised already", [this] { keyStatusAnswers(1); }, true, 0, false, {}, 7},
        {"no cloud record", [this] { keyStatusAnswers(0); }, false, 1, false, {u8("未获取到电子印章信息！")}, 7},
        {"cancelled in the cloud",
         [this] {
             keyStatusAnswers(0);
             standin.script(kKeyIdPath, StandinScript::withEnvelope(QJsonObject{
                                            {"code", 10000}, {"msg", "ok"}, {"data", QJsonObject{{"id", "s"}, {"status", 2}}}}));
         },
         true, 0, false, {u8("密钥盘已注销！")}, 0},
        {"a cloud record in force", [this] { keyStatusAnswers(0); }, true, 1, true, {}, 7},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        standin.clearScripts();
        removeAllKeys();
        c.script();
        insertKey(kCompany, c.known ? companySeal(0, "sealCode") : QString("SC9999"));
        DeviceBussiness::Instance()->setCount(7);
        const int before = toasts.count();
        open(kCompany);
        QList<CSealCellWidgetTwo*> keyCards;
        for (CSealCellWidgetTwo* card : seals->sealCards())
            if (card->args().isLabel == 0 && !card->args().iscertificationFailure)
                keyCards << card;
        ASSERT_EQ(keyCards.size(), c.cards);
        if (c.cards) {
            EXPECT_EQ(keyCards[0]->syncButton()->isVisibleTo(keyCards[0]), c.syncShown);
            EXPECT_EQ(keyCards[0]->syncButton()->text(), u8("同步至云端"));
            EXPECT_EQ(keyCards[0]->typeLabel()->text(), u8("公章"));   // a key's type, unmapped
            EXPECT_EQ(keyCards[0]->timeLabel()->text(), "2023-05-06 07:08");
        }
        EXPECT_EQ(toasts.texts().mid(before), c.toasts);
        EXPECT_EQ(DeviceBussiness::Instance()->getCount(), c.countAfter);
        client->getNetCodeInfo(51001);
        m_page->setLogoutedState();
    }
}

TEST_F(SealPage, DeletingASignatureGoesThroughAndThePageReloads)
{
    open(kPerson);
    ASSERT_EQ(seals->signCards().size(), 1);
    QPointer<SignListCellWidgetTwo> card = seals->signCards().first();
    const QString id = card->signId();
    ModalDriver driver;
    QSize pictureFrame;
    driver.on<delSignDialog>([&](delSignDialog* d) {
        pictureFrame = d->pictureLabel()->parentWidget()->size();
        EXPECT_EQ(d->title(), u8("签名删除"));
        d->confirmButton()->click();
    });
    const int loads = sent(kSignaturesPath);
    userClick(card->deleteButton());

    EXPECT_EQ(driver.count<delSignDialog>(), 1);
    EXPECT_EQ(pictureFrame, QSize(158, 94));
    ASSERT_EQ(sent(kDeleteSignPath), 1);
    EXPECT_EQ(lastBody(kDeleteSignPath), (QJsonObject{{"id", id}}));
    ASSERT_FALSE(toasts.shown().isEmpty());
    EXPECT_EQ(toasts.shown().last().text, u8("删除成功"));
    EXPECT_EQ(toasts.shown().last().type, qmt_succ);
    EXPECT_EQ(sent(kSignaturesPath), loads + 1);
    EXPECT_TRUE(seals->signCards().isEmpty());
    // The card that asked for the reload is taken off the strip but deleted only once control is
    // back in the event loop.
    EXPECT_FALSE(card.isNull());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(card.isNull());
}

TEST_F(SealPage, RefusingTheDeletionSendsNothing)
{
    open(kPerson);
    SignListCellWidgetTwo* card = seals->signCards().first();
    const std::function<void(delSignDialog*)> refusals[] = {
        [](delSignDialog* d) { d->cancelButton()->click(); },
        [](delSignDialog* d) { QTest::keyClick(d, Qt::Key_Escape); },
        [](delSignDialog* d) { d->closeButton()->click(); },
    };
    for (const auto& refuse : refusals) {
        ModalDriver driver;
        driver.on<delSignDialog>(refuse);
        card->deleteButton()->click();
        EXPECT_EQ(driver.count<delSignDialog>(), 1);
    }
    EXPECT_EQ(sent(kDeleteSignPath), 0);
    EXPECT_EQ(seals->signCards().size(), 1);
}

TEST_F(SealPage, TheQrPageShowsTheServicesPictureAndGoesBack)
{
    {
        QSettings ini(client->m_exePath, QSettings::IniFormat);
        ini.setValue("addressUrl/signCode", QByteArray("https://sign.example/add?t=").toBase64());
    }
    open(kPerson);
    seals->addSignButton()->click();
    CAddSignWidget* qr = seals->addSignWidget();
    EXPECT_EQ(frame->getStackWid()->widget(UserManageFrame::SignaturePage), qr);
    EXPECT_EQ(frame->getStackWid()->currentWidget(), qr);
    ASSERT_EQ(sent(kQrPath), 1);
    const QString content = "https://sign.example/add?t=" + client->getBusinessInfo()->token;
    EXPECT_EQ(lastBody(kQrPath).value("content").toString(), content);
    ASSERT_FALSE(qr->qrLabel()->pixmap(Qt::ReturnByValue).isNull());
    const QImage expected = QImage::fromData(standinQrPng(content.toUtf8())).convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(qr->qrLabel()->pixmap(Qt::ReturnByValue).toImage().convertToFormat(QImage::Format_RGB32), expected);

    // Back: the page stands at index 1 again and reloads, also when nothing was added.
    const int loads = sent(kSignaturesPath);
    qr->backButton()->click();
    EXPECT_EQ(frame->getStackWid()->widget(UserManageFrame::SignaturePage), seals);
    EXPECT_EQ(frame->getStackWid()->currentWidget(), seals);
    EXPECT_EQ(sent(kSignaturesPath), loads + 1);
    EXPECT_EQ(frame->getStackWid()->count(), UserManageFrame::PageCount);
}

TEST_F(SealPage, TheQrPageKeepsOrClearsItsPictureOnBadReplies)
{
    open(kPerson);
    CAddSignWidget* qr = seals->addSignWidget();
    qr->showInfo();
    ASSERT_FALSE(qr->qrLabel()->pixmap(Qt::ReturnByValue).isNull());
    struct Case {
        const char* name;
        QJsonObject envelope;
        bool keepsPicture;
        bool toast;
    } cases[] = {
        {"refused", QJsonObject{{"code", 4011}, {"msg", u8("生成失败")}}, true, true},
        {"not a picture", QJsonObject{{"code", 10000}, {"data", QJsonObject{{"qrcodeBase64", "x,bm90IGEgcGljdHVyZQ=="}}}}, false, false},
        {"no comma", QJsonObject{{"code", 10000}, {"data", QJsonObject{{"qrcodeBase64", "iVBORw0KGgo="}}}}, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        qr->showInfo();   // a fresh picture first
        const QImage before = qr->qrLabel()->pixmap(Qt::ReturnByValue).toImage();
        standin.script(kQrPath, [&] {
            StandinScript s = StandinScript::withEnvelope(c.envelope);
            s.times = 1;
            return s;
        }());
        const int shown = toasts.count();
        qr->showInfo();
        EXPECT_EQ(!qr->qrLabel()->pixmap(Qt::ReturnByValue).isNull() && qr->qrLabel()->pixmap(Qt::ReturnByValue).toImage() == before, c.keepsPicture);
        EXPECT_EQ(toasts.count() - shown, c.toast ? 1 : 0);
        if (c.toast) {
            EXPECT_EQ(toasts.shown().last().text, u8("二维码生成失败"));
        }
    }
}

TEST_F(SealPage, AddingWarnsAtTheLimits)
{
    QSignalSpy wizard(seals, &UserSignatureFrame::addSealWizardRequested);
    struct Case {
        const char* name;
        const char* account;
        std::function<void()> setUp;
        bool company;
        QString warning;      // empty: the action goes on
    } cases[] = {
        {"4 signatures", kPerson,
         [this] {
             standin.withState([](StandinState& s) {
                 for (int i = 0; i < 3; ++i)
                     s.account->signatures[kPerson].append(QJsonObject{{"id", QString("sign-x%1").arg(i)},
                                                                      {"name", "x"}, {"status", 1}});
             });
         },
         false, QString()},
        {"5 signatures", kPerson,
         [this] {
             standin.withState([](StandinState& s) {
                 s.account->signatures[kPerson].append(QJsonObject{{"id", "sign-x9"}, {"name", "x"}, {"status", 1}});
             });
         },
         false, u8("个人签名最多只能添加5条！")},
        {"19 seals", kCompany,
         [this] {
             for (int i = 0; i < 17; ++i)
                 addCompanySeal({});
         },
         true, QString()},
        {"20 seals", kCompany, [this] { addCompanySeal({}); }, true, u8("签章最多只能添加20条！")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        c.setUp();
        open(c.account);
        const int boxesBefore = boxes.count(), qrBefore = sent(kQrPath), wizardBefore = wizard.count();
        (c.company ? seals->addSealButton() : seals->addSignButton())->click();
        if (c.warning.isEmpty()) {
            EXPECT_EQ(boxes.count(), boxesBefore);
            if (c.company) {
                EXPECT_EQ(wizard.count(), wizardBefore + 1);
            } else {
                EXPECT_EQ(sent(kQrPath), qrBefore + 1);
            }
        } else {
            ASSERT_EQ(boxes.count(), boxesBefore + 1);
            EXPECT_EQ(boxes.shown().last().title, "Orvessa");
            EXPECT_EQ(boxes.lastText(), c.warning);
            EXPECT_EQ(sent(kQrPath), qrBefore);
            EXPECT_EQ(wizard.count(), wizardBefore);
        }
        frame->LogoutSet();
        client->getNetCodeInfo(51001);
        m_page->setLogoutedState();
    }
}

TEST_F(SealPage, AnUnverifiedAccountCannotAdd)
{
    open("13700000000");
    seals->addSignButton()->click();
    EXPECT_EQ(sent(kQrPath), 0);
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_TRUE(boxes.lastText().contains(u8("还没有认证")));
    EXPECT_EQ(frame->getStackWid()->currentWidget(), seals);
}

TEST_F(SealPage, TheCompanyFilterShowsOneCompanysSeals)
{
    grant("u-0002", u8("演示科技有限公司"), {companySeal(0)});
    grant("u-0009", u8("另一公司"), {companySeal(1)});
    grant("u-0010", u8("未授权公司"), {});
    open(kPerson);
    QComboBox* filter = seals->companyFilter();
    ASSERT_EQ(filter->count(), 4);
    const struct {
        int index;
        QStringList cards;
    } steps[] = {
        {1, {u8("authorised:演示科技有限公司公章")}},
        {2, {u8("authorised:合同专用章")}},
        {3, {u8("authorised:合同专用章")}},   // a company that lent nothing leaves the cards
        {0, {u8("authorised:演示科技有限公司公章"), u8("authorised:合同专用章")}},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.index);
        filter->setCurrentIndex(step.index);
        EXPECT_EQ(cardKinds(seals->sealCards()), step.cards);
    }
    // A lent seal can be neither deleted nor synchronised by the person.
    for (CSealCellWidgetTwo* card : seals->sealCards()) {
        EXPECT_FALSE(card->deleteButton()->isVisibleTo(card));
        EXPECT_FALSE(card->syncButton()->isVisibleTo(card));
    }
}
