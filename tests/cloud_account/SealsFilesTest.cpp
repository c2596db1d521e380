// Cloud seals and handwritten signatures with their pictures and caches, and stored files:
// upload, address look-up and download.

#include "AccountTestSupport.h"
#include "LoadingWidget.h"

#include <QImage>
#include <QSignalSpy>

namespace {

const char* const kUpload = "/eseal-file/file/sealFileUpload";
const char* const kFileName = "/eseal-file/file/getFileName";
const char* const kDeleteSeal = "/eseal-seal/contract-seal/delete";

double pt(double mm)
{
    return mm * 72.0 / 25.4;
}

QString writeFile(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes)
{
    QFile f(dir.filePath(name));
    f.open(QIODevice::WriteOnly);
    f.write(bytes);
    return f.fileName();
}

} // namespace

TEST(SealSize, MillimetreTextsBecomePoints)
{
    struct Case {
        const char* text;
        double w, h;
    } cases[] = {
        {"42*38", pt(42), pt(38)},   {"42.5*38", pt(42.5), pt(38)}, {" 40 * 30 ", pt(40), pt(30)},
        {"40", pt(40), pt(40)},      {"40*40*1", pt(40), pt(40)},   {"", pt(40), pt(40)},
        {"0*38", pt(40), pt(40)},    {"-5*38", pt(40), pt(40)},     {"abc*38", pt(40), pt(40)},
        {"nan*38", pt(40), pt(40)},  {"1e9*38", pt(40), pt(40)},
    };
    for (const Case& c : cases) {
        double w = 0, h = 0;
        sealSizeToPoints(QString::fromUtf8(c.text), w, h);
        EXPECT_NEAR(w, c.w, 1e-9) << c.text;
        EXPECT_NEAR(h, c.h, 1e-9) << c.text;
    }
    EXPECT_NEAR(pt(40), 113.3858, 1e-4);
}

using SealsFiles = AccountTest;

TEST_F(SealsFiles, CompanySealsAndSignaturesComeWithPicturesAndFillTheCaches)
{
    ASSERT_TRUE(loginAs("13900000000"));
    LoadingWidget box;
    QList<SealInfo> seals;
    ASSERT_EQ(client->getMySealBusiness(seals, &box), 1);
    EXPECT_FALSE(box.isVisible());
    ASSERT_EQ(seals.size(), 2);
    EXPECT_EQ(seals.at(0).name, u8("演示科技有限公司公章"));
    EXPECT_NEAR(seals.at(0).width, pt(42), 1e-9);
    EXPECT_NEAR(seals.at(1).height, pt(30), 1e-9);
    EXPECT_TRUE(seals.at(0).size.isEmpty());
    EXPECT_EQ(seals.at(0).creditCode, "91110000MA0000000X");
    EXPECT_EQ(seals.at(0).sealShow, 1);
    for (const SealInfo& s : seals) {
        const QImage picture = QImage::fromData(s.imageData, "PNG");
        EXPECT_FALSE(picture.isNull()) << s.name.toStdString();
        EXPECT_TRUE(picture.hasAlphaChannel());
        // Pictures come from the file port, not the service's.
        EXPECT_EQ(QUrl(s.fileUrl).port(), standin.filesPort());
    }
    SealInfo found;
    EXPECT_TRUE(client->getSealInfo(seals.at(1).id, found));
    EXPECT_EQ(found.name, seals.at(1).name);
    EXPECT_FALSE(client->getSealInfo("no-such-seal", found));
    EXPECT_EQ(client->getSealInfoList().size(), 2);

    QList<UserSignatureInfo> signs;
    ASSERT_EQ(client->getUserSignatureBus(signs, nullptr), 1);
    ASSERT_EQ(signs.size(), 1);
    EXPECT_EQ(signs.first().size, "30*15");
    EXPECT_NEAR(signs.first().width, pt(30), 1e-9);
    EXPECT_FALSE(QImage::fromData(signs.first().imageData, "PNG").isNull());
    UserSignatureInfo sign;
    EXPECT_TRUE(client->getSignInfo(signs.first().id, sign));

    QList<CertificationFailure> failures;
    ASSERT_EQ(client->getcertificationFailureBus(failures, nullptr), 1);
    ASSERT_EQ(failures.size(), 1);
    EXPECT_EQ(failures.first().errorReason, u8("印章图片不清晰"));

    // Authorised seals are only what the panel sets.
    client->setAuthSealInfo({seals.at(0)});
    EXPECT_TRUE(client->getAuthSealInfo(seals.at(0).id, found));
    EXPECT_FALSE(client->getAuthSealInfo(seals.at(1).id, found));

    // A failed list still replaces the cache with what the caller holds.
    standin.script("/eseal-seal/contract-seal/companySeal",
                   StandinScript::withEnvelope(QJsonObject{{"code", 5001}, {"msg", u8("内部错误")}}));
    QSignalSpy errors(client, &NetWorkBusiness::sendErroeCodeInfo);
    QList<SealInfo> none;
    box.show();
    EXPECT_EQ(client->getMySealBusiness(none, &box), 0);
    EXPECT_FALSE(box.isVisible());
    EXPECT_EQ(errors.count(), 1);
    EXPECT_FALSE(client->getSealInfo(seals.at(0).id, found));
}

TEST_F(SealsFiles, SmallSealOperations)
{
    ASSERT_TRUE(loginAs("13900000000"));
    QSignalSpy errors(client, &NetWorkBusiness::sendErroeCodeInfo);
    QList<SealInfo> seals;
    ASSERT_EQ(client->getMySealBusiness(seals, nullptr), 1);
    const SealInfo seal = seals.first();

    EXPECT_EQ(client->syncUserSeal(seal.sealCode, seal.creditCode, false), 1);
    EXPECT_EQ(lastBody("/eseal-seal/contract-seal/update/status").value("sealShow"), QJsonValue("0"));
    int sync = 7;
    EXPECT_EQ(client->queryUserSealStatus(seal.sealCode, seal.creditCode, sync), 1);
    EXPECT_EQ(sync, 0);
    EXPECT_EQ(client->syncUserSeal(seal.sealCode, seal.creditCode, true), 1);
    EXPECT_EQ(client->queryUserSealStatus(seal.sealCode, seal.creditCode, sync), 1);
    EXPECT_EQ(sync, 1);
    sync = 7;
    EXPECT_EQ(client->queryUserSealStatus("unknown", seal.creditCode, sync), 0);
    EXPECT_EQ(sync, 7);
    EXPECT_EQ(errors.count(), 1);

    QString id;
    int status = -1;
    EXPECT_EQ(client->keyGetIdBus(seal.sealCode, id, nullptr, true, &status), 1);
    EXPECT_EQ(id, seal.id);
    EXPECT_EQ(status, 1);
    LoadingWidget box;
    box.show();
    EXPECT_EQ(client->keyGetIdBus("unknown", id, &box, false, nullptr), 0);
    EXPECT_FALSE(box.isVisible());
    EXPECT_EQ(errors.count(), 1);   // not asked to report

    // Deleting without an id sends an empty object, which the service refuses.
    EXPECT_EQ(client->delOnlineSealBusiness(QString(), nullptr), 0);
    EXPECT_EQ(standin.requests(kDeleteSeal).last().body.trimmed(), "{\n}");
    EXPECT_EQ(errors.count(), 2);
    EXPECT_EQ(client->delOnlineSealBusiness(seal.id, nullptr), 1);
    QList<UserSignatureInfo> signs;
    ASSERT_EQ(client->getUserSignatureBus(signs, nullptr), 1);
    EXPECT_EQ(client->deleteSignBus(signs.first().id, nullptr), 1);
    EXPECT_EQ(client->deleteSignBus(signs.first().id, nullptr), 0);

    // A new seal: picture upload, then the seal, sharing one busy box.
    QTemporaryDir dir;
    const QString path = writeFile(dir, u8("新章.png"), standinSealPng(64, true));
    QString imageId;
    box.show();
    ASSERT_EQ(client->sealImgUpLoad(path, "private", u8("印章"), "png", imageId, &box), 1);
    EXPECT_TRUE(box.isVisible());
    EXPECT_EQ(client->addSealBusiness(imageId, u8("发票专用章"), "5", "40*30", seal.creditCode, &box), 1);
    EXPECT_FALSE(box.isVisible());
    QList<SealInfo> after;
    ASSERT_EQ(client->getMySealBusiness(after, nullptr), 1);
    ASSERT_EQ(after.size(), 2);
    EXPECT_EQ(after.last().name, u8("发票专用章"));
    EXPECT_NEAR(after.last().width, pt(40), 1e-9);
    EXPECT_EQ(standin.shapeErrors(), QStringList());
}

TEST_F(SealsFiles, UploadThenDownloadGivesTheSameBytes)
{
    ASSERT_TRUE(loginAs("13800000000"));
    QTemporaryDir dir;
    QByteArray bytes = standinSealPng(300, true);
    bytes.append(QByteArray(70000, '\x5a'));   // several TLS records
    const QString path = writeFile(dir, "seal.png", bytes);
    QString imageId = "unset";
    ASSERT_EQ(client->sealImgUpLoad(path, "private", u8("印章"), "png", imageId, nullptr), 1);
    EXPECT_NE(imageId, "unset");

    const StandinRequest sent = standin.requests(kUpload).last();
    ASSERT_EQ(sent.parts.size(), 3);
    EXPECT_EQ(sent.parts.at(0).disposition, QString("form-data;name=\"file\";filename=\"%1\";").arg(path).toUtf8());
    EXPECT_EQ(sent.parts.at(0).contentType, "image/png");
    EXPECT_EQ(sent.parts.at(1).body, "private");
    EXPECT_EQ(sent.parts.at(2).body, u8("印章").toUtf8());

    const QString url = client->getFileServerUrl(imageId);
    EXPECT_EQ(QUrl(url).port(), standin.filesPort());
    EXPECT_EQ(client->getFileUrl(url), bytes);
    EXPECT_EQ(client->getFileDataById(imageId), bytes);
}

TEST_F(SealsFiles, FailuresGiveNoBytesAndSendNothing)
{
    ASSERT_TRUE(loginAs("13800000000"));
    QSignalSpy errors(client, &NetWorkBusiness::sendErroeCodeInfo);

    // Unknown ids: "0"; success without data: "1"; neither is downloaded.
    EXPECT_EQ(client->getFileServerUrl("no-such-file"), "0");
    standin.script(kFileName, StandinScript::withEnvelope(QJsonObject{{"code", 10000}, {"msg", ""}, {"data", QJsonValue::Null}}));
    EXPECT_EQ(client->getFileServerUrl("x"), "1");
    standin.clearScripts();
    standin.clearRequests();
    EXPECT_TRUE(client->getFileDataById("no-such-file").isEmpty());
    EXPECT_EQ(standin.requests().size(), 1);
    EXPECT_EQ(errors.count(), 0);

    // An error page is not a file.
    const QString url = standin.addFile("f-1", StandinFile{"cert.cer", "text/plain", "MIIB"});
    const QString missing = QString(url).replace("f-1", "f-404");
    EXPECT_TRUE(client->getFileUrl(missing).isEmpty());
    EXPECT_EQ(client->getFileUrl(url), "MIIB");

    // A picture that cannot be read is not sent.
    standin.clearRequests();
    LoadingWidget box;
    box.show();
    QString imageId = "unset";
    EXPECT_EQ(client->sealImgUpLoad("/nonexistent/seal.png", "private", u8("印章"), "png", imageId, &box), 0);
    EXPECT_EQ(imageId, "unset");
    EXPECT_TRUE(standin.requests(kUpload).isEmpty());
    EXPECT_FALSE(box.isVisible());
    EXPECT_EQ(errors.count(), 1);
}
