// The seal card of each kind and its actions, the deletion question, the feedback page, the
// certificate-expired reminder and the authorised-person dialogs.

#include "LoginTestSupport.h"
#include "SealPageTestSupport.h"

#include "AddAuthPerson.h"
#include "AuthPersonInfo.h"
#include "DeviceBussiness.h"
#include "DueReminderDialog.h"
#include "ProblemFeedback.h"
#include "delSignDialog.h"

#include <QAbstractButton>
#include <QBuffer>
#include <QButtonGroup>
#include <QCalendarWidget>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

namespace {

using SealCards = LoginTest;
using Feedback = LoginTest;
using SmallDialogs = LoginTest;

QByteArray pngOf(QSize size)
{
    QImage img(size, QImage::Format_ARGB32);
    img.fill(Qt::red);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    img.save(&buffer, "PNG");
    return bytes;
}

SealInfo cloudSeal(int whetherOnline, int certification = 1, const QString& type = "02")
{
    SealInfo s;
    s.id = "seal-1";
    s.name = QString::fromUtf8("财务章");
    s.sealCode = "SC1";
    s.sealType = type;
    s.companyName = QString::fromUtf8("演示科技有限公司");
    s.creationDate = "2024-03-04 05:06:07";
    s.sealRecordTime = "1704067200";
    s.sealRecordUnitName = QString::fromUtf8("演示市公安局");
    s.certification = certification;
    s.whetherOnline = whetherOnline;
    s.status = 1;
    return s;
}

bool shown(QWidget* w, QWidget* card)
{
    return w && w->isVisibleTo(card);
}

} // namespace

TEST_F(SealCards, EachKindShowsItsBadgeRowsAndButtons)
{
    keycontiaininfo key;
    key.deviceName = "dev";
    key.sealName = QString::fromUtf8("密钥章");
    key.sealrecordUnitName = QString::fromUtf8("备案局");
    key.sealrecordTime = "2023-05-06 07:08:09";
    key.strSealType = "07";
    CertificationFailure failed;
    failed.id = "cf-1";
    failed.name = QString::fromUtf8("失败章");
    failed.errorReason = QString::fromUtf8("图片不清晰,请重新上传");
    CertificationFailure failedNoRemark = failed;
    failedNoRemark.errorReason = QString::fromUtf8("图片不清晰");
    SealInfo authorised = cloudSeal(0);
    SealInfo cancelled = cloudSeal(0);
    cancelled.status = 2;

    struct Case {
        const char* name;
        SealCardArgs args;
        const char* badge;        // picture of the source badge, "" for none
        bool deleteShown, syncShown;
        QString syncText;
        bool unitRow;
        QString timeCaption, time, unit, type;
        QString reason, remark;
        bool failedOverlay, cancelledOverlay;
    };
    const QString created = "2024-03-04 05:06";
    const QString recorded = QDateTime::fromSecsSinceEpoch(1704067200).toString("yyyy-MM-dd hh:mm");
    const Case cases[] = {
        {"online cloud seal", SealCardArgs::cloud(cloudSeal(0), QByteArray()), "clo_pan", true, false, "", false,
         u8("创建时间"), created, "", u8("财务专用章"), "", "", false, false},
        {"key seal synced to the cloud", SealCardArgs::cloud(cloudSeal(1), QByteArray()), "clo_pan", false, true,
         u8("取消同步"), true, u8("备案时间"), recorded, u8("演示市公安局"), u8("财务专用章"), "", "", false, false},
        {"unknown type code", SealCardArgs::cloud(cloudSeal(0, 1, "07"), QByteArray()), "clo_pan", true, false, "",
         false, u8("创建时间"), created, "", u8("其他类型章"), "", "", false, false},
        {"under review", SealCardArgs::cloud(cloudSeal(0, 0), QByteArray()), "", false, false, "", false,
         u8("创建时间"), created, "", u8("财务专用章"), "", "", false, false},
        {"key only", SealCardArgs::usbKey(key, true), "u_pan", false, true, u8("同步至云端"), true, u8("备案时间"),
         "2023-05-06 07:08", u8("备案局"), "07", "", "", false, false},
        {"key without cloud data", SealCardArgs::usbKey(key, false), "u_pan", false, false, u8("同步至云端"), true,
         u8("备案时间"), "2023-05-06 07:08", u8("备案局"), "07", "", "", false, false},
        {"failed certification", SealCardArgs::failedCertification(failed, QByteArray()), "", true, false, "", false,
         "", "", "", "", u8("图片不清晰"), u8("请重新上传"), true, false},
        {"failed without remark", SealCardArgs::failedCertification(failedNoRemark, QByteArray()), "", true, false,
         "", false, "", "", "", "", u8("图片不清晰"), "", true, false},
        {"authorised", SealCardArgs::authorised(authorised), "clo_pan", false, false, "", false, u8("创建时间"),
         created, "", u8("财务专用章"), "", "", false, false},
        {"cancelled online seal", SealCardArgs::cloud(cancelled, QByteArray()), "clo_pan", true, false, "", false,
         u8("创建时间"), created, "", u8("财务专用章"), "", "", false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CSealCellWidgetTwo card(c.args);
        EXPECT_EQ(card.sourceBadge() != nullptr, QString(c.badge) != "");
        EXPECT_EQ(shown(card.reviewBadge(), &card), c.args.isVerify != 0);
        EXPECT_EQ(shown(card.deleteButton(), &card), c.deleteShown);
        EXPECT_EQ(shown(card.syncButton(), &card), c.syncShown);
        if (card.syncButton()) {
            EXPECT_EQ(card.syncButton()->text(), c.syncText);
        }
        EXPECT_EQ(shown(card.failedOverlay(), &card), c.failedOverlay);
        EXPECT_EQ(shown(card.cancelledOverlay(), &card), c.cancelledOverlay);
        if (c.args.iscertificationFailure) {
            EXPECT_EQ(card.reasonLabel()->text(), c.reason);
            EXPECT_EQ(card.remarkLabel()->text(), c.remark);
            EXPECT_EQ(card.nameLabel(), nullptr);
            continue;
        }
        EXPECT_EQ(card.nameLabel()->text(), c.args.companyName);
        EXPECT_EQ(shown(card.unitCaption(), &card), c.unitRow);
        EXPECT_EQ(card.timeCaption()->text(), c.timeCaption);
        EXPECT_EQ(card.timeLabel()->text(), c.time);
        if (c.unitRow) {
            EXPECT_EQ(card.unitLabel()->text(), c.unit);
        }
        EXPECT_EQ(card.typeLabel()->text(), c.type);
    }
}

TEST_F(SealCards, DeletingAnOnlineSealAsksThenDeletesAndReports)
{
    ASSERT_TRUE(loginAs("13900000000"));
    QString id;
    standin.withState([&](StandinState& s) { id = s.account->seals["13900000000"].first().value("id").toString(); });
    SealInfo seal = cloudSeal(0);
    seal.id = id;
    CSealCellWidgetTwo card(SealCardArgs::cloud(seal, pngOf(QSize(240, 240))));
    QSignalSpy synced(&card, &CSealCellWidgetTwo::sync);
    ModalDriver driver;
    QSize frameSize;
    driver.on<delSignDialog>([&](delSignDialog* d) {
        frameSize = d->pictureLabel()->parentWidget()->size();
        EXPECT_EQ(d->title(), u8("签章删除"));
        EXPECT_FALSE(d->pictureLabel()->pixmap(Qt::ReturnByValue).isNull());
        d->confirmButton()->click();
    });
    card.deleteButton()->click();
    EXPECT_EQ(frameSize, QSize(118, 118));
    ASSERT_EQ(sent("/eseal-seal/contract-seal/delete"), 1);
    EXPECT_EQ(lastBody("/eseal-seal/contract-seal/delete"), (QJsonObject{{"id", id}}));
    EXPECT_EQ(toasts.texts(), QStringList{u8("删除成功")});
    EXPECT_EQ(synced.count(), 1);
}

TEST_F(SealCards, CancellingASyncNeedsTheMatchingKey)
{
    ASSERT_TRUE(loginAs("13900000000"));
    MMessageBoxAutoAnswer yes(QDialogButtonBox::Yes);
    CSealCellWidgetTwo card(SealCardArgs::cloud(cloudSeal(1), QByteArray()));
    QSignalSpy synced(&card, &CSealCellWidgetTwo::sync);
    const char* path = "/eseal-seal/contract-seal/update/status";

    // No key inserted.
    card.syncButton()->click();
    EXPECT_EQ(yes.count(), 1);
    EXPECT_EQ(yes.shown().last().title, "Orvessa");
    EXPECT_EQ(toasts.texts(), QStringList{u8("请插入指定电子密钥盘！")});
    EXPECT_EQ(sent(path), 0);

    // Another account's key, a key of another seal, then the right one.
    auto insert = [](const QString& name, const QString& licence, const QString& code) {
        keycontiaininfo key;
        key.deviceName = name;
        key.strLicNum = licence;
        key.sealCode = code;
        DeviceBussiness::Instance()->insertKeyContainInfo(name, key);
    };
    insert("cancel-a", "13800000000", "SC1");
    insert("cancel-b", "13900000000", "SC2");
    insert("cancel-c", " 13900000000", "SC1");
    standin.script(path, StandinScript::withEnvelope(QJsonObject{{"code", 10000}, {"msg", "ok"}}));
    card.syncButton()->click();
    EXPECT_EQ(toasts.texts().mid(1), (QStringList{u8("请使用本单位下的电子密钥盘！"), u8("电子密钥盘不匹配！"),
                                                  u8("取消云端印章成功")}));
    ASSERT_EQ(sent(path), 1);
    EXPECT_EQ(lastBody(path),
              (QJsonObject{{"creditCode", "13900000000"}, {"sealCode", "SC1"}, {"sealShow", "0"}}));
    EXPECT_EQ(synced.count(), 1);
    for (const char* name : {"cancel-a", "cancel-b", "cancel-c"})
        DeviceBussiness::Instance()->pulloutDevice(name);
}

TEST_F(SealCards, SyncingAKeySealNeedsItsKeyInserted)
{
    ASSERT_TRUE(loginAs("13900000000"));
    MMessageBoxAutoAnswer yes(QDialogButtonBox::Yes);
    keycontiaininfo key;
    key.deviceName = "sync-key";
    key.sealName = QString::fromUtf8("密钥章");
    key.sealCode = "SC9";
    CSealCellWidgetTwo card(SealCardArgs::usbKey(key, true));
    QSignalSpy synced(&card, &CSealCellWidgetTwo::sync);
    const char* path = "/eseal-seal/contract-seal/update/status";

    // The key is not inserted: a message, and no request with an empty seal code.
    card.syncButton()->click();
    EXPECT_EQ(yes.count(), 1);
    EXPECT_EQ(toasts.texts(), QStringList{u8("请插入指定电子密钥盘！")});
    EXPECT_EQ(sent(path), 0);
    EXPECT_EQ(synced.count(), 0);

    // Inserted: its seal code is synced.
    DeviceBussiness::Instance()->insertKeyContainInfo("sync-key", key);
    standin.script(path, StandinScript::withEnvelope(QJsonObject{{"code", 10000}, {"msg", "ok"}}));
    card.syncButton()->click();
    EXPECT_EQ(toasts.texts().mid(1), QStringList{u8("同步到云端成功")});
    ASSERT_EQ(sent(path), 1);
    EXPECT_EQ(lastBody(path),
              (QJsonObject{{"creditCode", "13900000000"}, {"sealCode", "SC9"}, {"sealShow", "1"}}));
    EXPECT_EQ(synced.count(), 1);
    DeviceBussiness::Instance()->pulloutDevice("sync-key");
}

TEST_F(SealCards, TheDeletionQuestionScalesItsPictureAndCopesWithNone)
{
    const QByteArray wide = pngOf(QSize(400, 100));
    for (const QByteArray& bytes : {wide, QByteArray()}) {
        delSignDialog dialog(nullptr, bytes, u8("签名"), 158, 94);
        EXPECT_EQ(dialog.size(), QSize(457, 229));
        const QPixmap shown = dialog.pictureLabel()->pixmap(Qt::ReturnByValue);
        if (bytes.isEmpty()) {
            EXPECT_TRUE(shown.isNull());
        } else {
            // The whole picture, scaled down into the frame.
            EXPECT_LE(shown.width(), 158);
            EXPECT_LE(shown.height(), 94);
            EXPECT_NEAR(double(shown.width()) / shown.height(), 4.0, 0.1);
        }
        ModalDriver driver;
        driver.on<delSignDialog>([](delSignDialog* d) { d->confirmButton()->click(); });
        EXPECT_EQ(dialog.exec(), int(QDialog::Accepted));
    }
}

TEST_F(Feedback, SendsTheChosenTypeAndResetsAfterSuccess)
{
    ASSERT_TRUE(loginAs("13800000000"));
    ProblemFeedback page;
    const char* path = "/eseal-menhu/feedback/save";
    auto submit = [&](const QString& text) {
        page.editor()->setText(text);
        page.submitButton()->click();
    };

    // Nothing typed: refused locally.
    submit(QString());
    EXPECT_EQ(toasts.texts(), QStringList{u8("具体内容不能为空")});
    EXPECT_EQ(sent(path), 0);

    // "价格问题" sends 2004; afterwards "默认" is checked and 2000 goes next.
    page.typeButtons()->button(5)->click();
    EXPECT_EQ(page.typeButtons()->button(5)->text(), u8("价格问题"));
    submit(u8("太贵了"));
    ASSERT_EQ(sent(path), 1);
    const QJsonObject body = lastBody(path);
    EXPECT_EQ(body.value("type").toString(), "2004");
    EXPECT_EQ(body.value("context").toString(), u8("太贵了"));
    EXPECT_EQ(body.value("userId").toString(), client->getBusinessInfo()->id);
    EXPECT_EQ(body.value("createBy").toString(), client->getBusinessInfo()->id);
    EXPECT_FALSE(standin.requests(path).last().hasHeader("token"));
    EXPECT_EQ(toasts.shown().last().text, u8("提交成功"));
    EXPECT_TRUE(page.editor()->text().isEmpty());
    EXPECT_EQ(page.typeButtons()->checkedId(), 1);
    submit(u8("再来一条"));
    EXPECT_EQ(lastBody(path).value("type").toString(), "2000");

    // A blank is sent as it stands; the refusal keeps text and type for another try.
    page.typeButtons()->button(3)->click();
    submit(" ");
    EXPECT_EQ(lastBody(path).value("context").toString(), " ");
    EXPECT_EQ(toasts.shown().last().text, u8("提交失败"));
    EXPECT_EQ(page.editor()->text(), " ");
    page.submitButton()->click();
    EXPECT_EQ(sent(path), 4);
    EXPECT_EQ(lastBody(path).value("type").toString(), "2002");

    // At most 400 characters.
    page.editor()->setText(QString(450, QChar(0x5B57)));
    EXPECT_EQ(page.editor()->text().size(), 400);
}

TEST_F(SmallDialogs, TheReminderNamesTheSealAndTheDate)
{
    struct Case {
        const char* sealName;
        const char* timeEnd;
        const char* text;
    } cases[] = {
        {"财务章", "2024-06-30", "您的电子盘印章\n财务章\n已于2024-06-30过期，请及时更新!"},
        {"", "", "您的电子盘印章\n\n已于过期，请及时更新!"},
        {"章%2", "2024.1.1", "您的电子盘印章\n章%2\n已于2024.1.1过期，请及时更新!"},
    };
    for (const Case& c : cases) {
        keycontiaininfo key;
        key.sealName = u8(c.sealName);
        key.timeEnd = u8(c.timeEnd);
        CDueReminderDialog dialog(key);
        EXPECT_EQ(dialog.messageLabel()->text(), u8(c.text));
        EXPECT_EQ(dialog.title(), u8("证书过期"));
        EXPECT_EQ(dialog.size(), QSize(350, 150));
    }
}

TEST_F(SmallDialogs, TheAuthorisedPersonFormCountsAndWarnsAbove14)
{
    CAddAuthPerson form;
    EXPECT_EQ(form.title(), u8("新增授权人"));
    form.minusButton()->click();
    EXPECT_EQ(form.countField()->text(), "0");
    for (int i = 0; i < 15; ++i)
        form.plusButton()->click();
    EXPECT_EQ(form.countField()->text(), "15");
    EXPECT_TRUE(form.countWarned());
    form.minusButton()->click();
    EXPECT_EQ(form.countField()->text(), "14");
    EXPECT_FALSE(form.countWarned());
    EXPECT_TRUE(form.calendar()->isHidden());
    form.calendarButton()->click();
    EXPECT_FALSE(form.calendar()->isHidden());

    form.show();
    form.confirmButton()->click();
    EXPECT_TRUE(form.isVisible());
    form.cancelButton()->click();
    EXPECT_FALSE(form.isVisible());

    AuthPersonInfo view;
    EXPECT_EQ(view.title(), u8("查看授权信息"));
    view.show();
    view.confirmButton()->click();
    EXPECT_FALSE(view.isVisible());
}
