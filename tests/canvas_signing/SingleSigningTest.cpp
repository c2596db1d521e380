// Signing in place from the document view: a cloud seal clicked onto a page, the signing password
// on the keypad, the service signing inside the save; the refusals and the messages of failed
// saves; verification and deletion of the signature; seal items on contract documents.
#include "SigningTestSupport.h"
#include "CertState.h"

#include "DeleteSignatureDialog.h"
#include "PayQrCodeDialog.h"
#include "SignPasswdDialog.h"
#include "StandinOpsAccount.h"
#include "EngineTestSupport.h"
#include "SignatureCheck.h"
#include "VerifySignatureDialog.h"
#include "vq-pdf-testing.h"

#include <QJsonDocument>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>

using namespace signingtest;

namespace {

const char* const kSign = "/eseal-signature/digestSign/getDigestSignInfo";

// A canvas whose message table can be reached directly.
class TableCanvas : public Canvas
{
public:
    TableCanvas() : Canvas(nullptr) {}
    using Canvas::showSignResult;
    using Table = Canvas::SignMessageTable;
    using Canvas::SMT_Batch;
    using Canvas::SMT_Contract;
    using Canvas::SMT_Single;
};

} // namespace

using CanvasSigning = SigningTest;

TEST_F(CanvasSigning, CloudSealSignedInPlaceVerifiesWhereItWasClicked)
{
    loginWithSeals("13900000000");
    ASSERT_FALSE(seals.isEmpty());
    SigningView v(pages(2));
    ASSERT_EQ(0, v.loaded);
    const std::string before = v.fileBytes();
    QSignalSpy listed(v.canvas.get(), &Canvas::addSignatureList);
    QSignalSpy menu(v.canvas.get(), &Canvas::updateMenu);

    choose(v, seals[0].id);
    EXPECT_EQ(SS_Cloud, v.canvas->sealSource());
    EXPECT_EQ(MA_AddSealing, v.canvas->GetMouseAction());

    // Clicked at (200, 250) of page 1; while the keypad is open the view scrolls and shrinks,
    // which must not move the seal.
    beforeKeypad = [&] {
        v.canvas->resize(500, 500);
        v.canvas->verticalBar()->setValue(v.canvas->verticalBar()->maximum());
        QCoreApplication::processEvents();
    };
    v.click(v.view(1, QPointF(200, 250)));

    EXPECT_EQ(1, keypadsShown);
    EXPECT_EQ(0, boxes.count()) << boxes.lastText().toStdString();
    EXPECT_EQ(QStringList{u8("已保存")}, toasts.texts());
    ASSERT_EQ(1, listed.count());
    EXPECT_EQ(0, listed[0][0].toInt());
    const ToolSignatureInfo info = listed[0][1].value<ToolSignatureInfo>();
    EXPECT_EQ(0, info.pageno);
    const double w = seals[0].width, h = seals[0].height;
    EXPECT_NEAR(200 - w / 2, info.pt.x(), 1.5);
    EXPECT_NEAR(250 - h / 2, info.pt.y(), 1.5);
    ASSERT_FALSE(menu.isEmpty());
    EXPECT_TRUE(menu.last()[0].toBool());
    EXPECT_EQ(SS_NO, v.canvas->sealSource());
    EXPECT_EQ(MA_AddSeal, v.canvas->GetMouseAction());

    // The file: the original bytes, then an update whose value the certificate's key made.
    const std::string after = v.fileBytes();
    ASSERT_GT(after.size(), before.size());
    EXPECT_EQ(0, after.compare(0, before.size(), before));
    EXPECT_TRUE(independentlyVerified(after, cert));

    PdfEngine reader;
    ASSERT_EQ(0, reader.Load(v.path, false, nullptr));
    reader.CutOutPages();
    vq_signature* sig = reader.getSignatureByName(info.t);
    ASSERT_NE(nullptr, sig);
    EXPECT_EQ("psign", reader.GetSignatureCustom(sig));
    int vcode = -1, docRet = -1, ts = -1, certRet = -1;
    QString signer, signTime;
    QByteArray certData, tsCert, tsTime;
    reader.VerifySinature(sig, vcode, docRet, ts, certRet, signer, certData, signTime, tsCert, tsTime);
    EXPECT_EQ(0, vcode);
    EXPECT_EQ(0, docRet);
    EXPECT_EQ(0, ts);
}

TEST_F(CanvasSigning, ClickOutsideThePagesKeepsTheSealAndAClickInsideSigns)
{
    loginWithSeals("13900000000");
    SigningView v(pages(1), QSize(800, 800));
    choose(v, seals[0].id);
    // Right of the page: no page holds the seal's centre.
    v.click(v.view(1, QPointF(450, 250)));
    EXPECT_EQ(QStringList{u8("请您在文档内盖章（根据印章的中心点判断）")}, toasts.texts());
    EXPECT_EQ(0, keypadsShown);
    EXPECT_EQ(MA_AddSealing, v.canvas->GetMouseAction());
    EXPECT_EQ(0, v.engine->DocumentSignatureCount());

    v.click(v.view(1, QPointF(200, 250)));
    EXPECT_EQ(1, keypadsShown);
    EXPECT_EQ(1, v.engine->DocumentSignatureCount());
}

TEST_F(CanvasSigning, RefusalsLeaveTheFileAsItWas)
{
    loginWithSeals("13900000000");
    struct Case {
        const char* name;
        std::function<void()> arrange;
        QStringList boxes;
        int keypads;
    };
    const QList<Case> cases = {
        {"the service refuses to sign",
         [&] {
             StandinScript s = StandinScript::withEnvelope(QJsonObject{{"code", 4602}, {"msg", u8("证书不在有效期")}});
             s.times = 1;
             standin.script(kSign, s);
         },
         {u8("数字签名失败！证书不在有效期！")}, 1},
        {"the keypad is closed", [&] { keypadDigits.clear(); }, {}, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        keypadDigits = "123456";
        keypadsShown = 0;
        MMessageBoxAutoAnswer seen(QDialogButtonBox::Ok);
        SigningView v(pages(2));
        QSignalSpy listed(v.canvas.get(), &Canvas::addSignatureList);
        const std::string before = v.fileBytes();
        c.arrange();
        choose(v, seals[0].id);
        v.click(v.view(1, QPointF(200, 250)));
        EXPECT_EQ(c.keypads, keypadsShown);
        EXPECT_EQ(c.boxes, seen.texts());
        EXPECT_EQ(before, v.fileBytes());
        EXPECT_EQ(0, listed.count());
        // Nothing unsigned stays behind in the open document either.
        EXPECT_EQ(0, v.engine->DocumentSignatureCount());
        EXPECT_FALSE(v.engine->DocumentChanged() && v.engine->getSinatureCount() > 0);
        // The seal has left the cursor; the tool stays.
        EXPECT_EQ(MA_AddSeal, v.canvas->GetMouseAction());
        EXPECT_EQ(MS_LocalSignature, v.canvas->GetMouseState());
    }
}

TEST_F(CanvasSigning, FailedSaveMessagesByTable)
{
    struct Case {
        int code;
        TableCanvas::Table table;
        const char* text; // null: no box
    };
    const QList<Case> cases = {
        {VQ_FILE_IS_BUSY, TableCanvas::SMT_Single, "数字签名失败！文档被占用！"},
        {VQ_SIGNATURE_ERROR, TableCanvas::SMT_Single, "数字签名失败！原因未知！"},
        {VQ_SIGNATURE_ERROR, TableCanvas::SMT_Batch, "数字签名失败！原因未知！"},
        {VQ_GET_SM2_CERT_ERROR, TableCanvas::SMT_Contract, "数字签名失败！获取证书失败，请重新签名！"},
        {VQ_CREATE_SM3_ERROR, TableCanvas::SMT_Batch, "数字签名失败！请重新签名！"},
        {VQ_CREATE_TIMESTAME_ERROR, TableCanvas::SMT_Single, "数字签名失败！创建时间戳失败，请重新签名！"},
        {VQ_HTTP_REQUEST_DATA_IS_NULL, TableCanvas::SMT_Single, "数字签名失败！证书失效！"},
        {VQ_TOKEN_ERROR2, TableCanvas::SMT_Single, nullptr},
    };
    TableCanvas canvas;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        MMessageBoxAutoAnswer seen(QDialogButtonBox::Ok);
        QSignalSpy lost(&canvas, &Canvas::loginAgain);
        QSignalSpy escape(&canvas, &Canvas::Key_EscapeSignal);
        canvas.showSignResult(c.code, c.table);
        if (c.text) {
            EXPECT_EQ(QStringList{u8(c.text)}, seen.texts());
            EXPECT_EQ("Orvessa", seen.shown()[0].title);
            EXPECT_EQ(0, lost.count());
        } else {
            EXPECT_EQ(0, seen.count());
            ASSERT_EQ(1, lost.count());
            EXPECT_EQ(1, lost[0][0].toInt());
            EXPECT_EQ(1, escape.count());
        }
    }
    // The code the service answered for, in its own words, outside the signing-in-place table.
    MMessageBoxAutoAnswer seen(QDialogButtonBox::Ok);
    canvas.showSignResult(VQ_HTTP_REQUEST_DATA_IS_NULL, TableCanvas::SMT_Contract);
    ASSERT_EQ(1, seen.count());
    EXPECT_TRUE(seen.lastText().startsWith(u8("数字签名失败！")));
    EXPECT_NE(u8("数字签名失败！证书失效！"), seen.lastText());
}

TEST_F(CanvasSigning, DeletingASignatureNeedsThePasswordAndASuccessfulSave)
{
    loginWithSeals("13900000000");
    SigningView v(pages(1));
    const QString field = signAt(v, seals[0].id);
    ASSERT_FALSE(field.isEmpty());
    const std::string signedBytes = v.fileBytes();

    // The signing password proves the right to delete; a dialog that stays open (a wrong
    // answer) is closed so the test cannot hang.
    driver.on<DeleteSignatureDialog>([&](DeleteSignatureDialog* d) {
        QPointer<DeleteSignatureDialog> dialog(d);
        d->passwordEdit()->setText("123456");
        d->okButton()->click();
        if (dialog && dialog->isVisible()) {
            ADD_FAILURE() << "the deletion dialog did not accept the signing password";
            dialog->reject();
        }
    });
    QSignalSpy removed(v.canvas.get(), &Canvas::deleteSignatureList);

    // The save fails (as on a full disk): the file, the open document and the list keep it.
    vq_test_fail_writes_after(0);
    v.canvas->deleteSignature(1, v.engine->getSignatureByName(field));
    vq_test_fail_writes_after(-1);
    EXPECT_EQ(1, driver.count<DeleteSignatureDialog>());
    EXPECT_EQ(0, removed.count());
    ASSERT_EQ(1, boxes.count());
    EXPECT_TRUE(boxes.lastText().startsWith(u8("删除签名失败！")));
    EXPECT_EQ(signedBytes, v.fileBytes());
    EXPECT_NE(nullptr, v.engine->getSignatureByName(field));
    EXPECT_FALSE(v.engine->DocumentChanged());

    // Now it works.
    v.canvas->deleteSignature(1, v.engine->getSignatureByName(field));
    ASSERT_EQ(1, removed.count());
    EXPECT_EQ(0, removed[0][0].toInt());
    EXPECT_EQ(field, removed[0][1].toString());
    EXPECT_EQ(nullptr, v.engine->getSignatureByName(field));
    PdfEngine reader;
    ASSERT_EQ(0, reader.Load(v.path, false, nullptr));
    reader.CutOutPages();
    EXPECT_EQ(nullptr, reader.getSignatureByName(field));
}

TEST_F(CanvasSigning, VerificationFromTheListShowsTheResult)
{
    loginWithSeals("13900000000");
    SigningView v(pages(1));
    const QString field = signAt(v, seals[0].id);
    ASSERT_FALSE(field.isEmpty());

    QMap<QString, QString> shown;
    driver.on<VerifySignatureDialog>([&shown](VerifySignatureDialog* d) {
        shown.clear();
        shown["verdict"] = d->verdictText();
        for (const char* name : {"docResult", "docsignedName", "parentCert", "certrevList"})
            shown[name] = d->label(name)->text();
        d->accept();
    });
    v.canvas->verifySignatureByName(QStringLiteral("no such field"));
    EXPECT_EQ(0, driver.count<VerifySignatureDialog>());
    // The real field's dialog runs its own loop: a dialog the unknown name had left pending
    // would be shown there too and counted with it.
    v.canvas->verifySignatureByName(field);
    EXPECT_EQ(1, driver.count<VerifySignatureDialog>());
    // The service's CA is configured: the signer's certificate leads to a trusted root.
    EXPECT_EQ(u8("签章有效！"), shown["verdict"]);
    EXPECT_EQ(u8("验证根证书成功"), shown["parentCert"]);
    EXPECT_EQ(u8("未检查吊销状态"), shown["certrevList"]);
    const QString signer = shown["docsignedName"];
    ASSERT_TRUE(signer.contains(u8("有"))) << signer.toStdString();

    // The subject inside the signature's certificate changed ("有" to "无", as many bytes): the
    // document still reads as unchanged, but the name is no longer vouched for.
    const QString forgedName = QString(signer).replace(u8("有"), u8("无"));
    std::string bytes = v.fileBytes();
    auto hexOf = [](const QString& t) { return t.toUtf8().toHex().toStdString(); };
    const size_t at = bytes.find(hexOf(signer));
    ASSERT_NE(std::string::npos, at);
    bytes.replace(at, hexOf(signer).size(), hexOf(forgedName));
    SigningView forged(bytes);
    forged.canvas->verifySignatureByName(field);
    EXPECT_EQ(2, driver.count<VerifySignatureDialog>());
    EXPECT_EQ(u8("文档验证成功"), shown["docResult"]);
    EXPECT_EQ(forgedName, shown["docsignedName"]);
    EXPECT_EQ(u8("根证书未验证"), shown["parentCert"]);
    EXPECT_EQ(u8("签章有效，但签名者身份未验证！"), shown["verdict"]);
}

TEST_F(CanvasSigning, ContractItemsArePlacedListedAndRemoved)
{
    loginWithSeals("13900000000");
    SigningView v(pages(2));
    QSignalSpy listed(v.canvas.get(), &Canvas::addSignatureList);
    QSignalSpy finish(v.canvas.get(), &Canvas::setFinishBtnDisable);
    choose(v, seals[0].id, 0, MS_CloudSignature);
    v.click(v.view(1, QPointF(200, 250)));
    EXPECT_EQ(0, keypadsShown);
    ASSERT_EQ(1, v.canvas->getSignItems().size());
    SignItem* item = v.canvas->getSignItems()[0];
    EXPECT_EQ(1, item->pageNo());
    EXPECT_NEAR(200, item->pdfRect().center().x(), 1.5);
    EXPECT_NEAR(250, item->pdfRect().center().y(), 1.5);
    EXPECT_EQ(seals[0].id, item->sealId());
    EXPECT_FALSE(item->isAuthSeal());
    ASSERT_EQ(1, finish.count());
    EXPECT_FALSE(finish[0][0].toBool());
    // The list hears of the item once the placement has ended.
    EXPECT_EQ(0, listed.count());
    ASSERT_TRUE(waitUntil([&] { return listed.count() == 1; }, 2000));
    EXPECT_EQ(1, listed[0][0].toInt());
    EXPECT_EQ(item, listed[0][1].value<SignItem*>());
    EXPECT_EQ(0, v.engine->DocumentSignatureCount()); // nothing signed yet

    choose(v, seals[0].id, 0, MS_CloudSignature);
    v.click(v.view(2, QPointF(100, 100)));
    ASSERT_EQ(2, v.canvas->getSignItems().size());
    finish.clear();
    v.canvas->deleteItemSignature(item->uuid());
    EXPECT_EQ(0, finish.count());
    v.canvas->deleteItemSignature(v.canvas->getSignItems()[0]->uuid());
    ASSERT_EQ(1, finish.count());
    EXPECT_TRUE(finish[0][0].toBool());
}

TEST_F(CanvasSigning, AuthorisedSealOfAPersonOnAContract)
{
    // A seal a company authorised to the person, with its record time in seconds.
    loginWithSeals("13800000000");
    ASSERT_FALSE(seals.isEmpty());
    SealInfo seal = seals[0];
    seal.id = "auth-1";
    seal.sealRecordTime = "86400";
    client->setAuthSealInfo({seal});
    SigningView v(pages(1));
    choose(v, seal.id, 1, MS_CloudSignature);
    v.click(v.view(1, QPointF(200, 250)));
    ASSERT_EQ(1, v.canvas->getSignItems().size());
    SignItem* item = v.canvas->getSignItems()[0];
    EXPECT_TRUE(item->isAuthSeal());
    EXPECT_EQ("auth-1", item->sealId());
    EXPECT_EQ(QDateTime::fromSecsSinceEpoch(86400).toLocalTime().toString("yyyy-MM-dd hh:mm:ss"),
              item->sealRecordTime());

    // An authorised seal the list does not hold: a warning, and the panel is told to close.
    QSignalSpy escape(v.canvas.get(), &Canvas::Key_EscapeSignal);
    choose(v, "missing", 1, MS_CloudSignature);
    EXPECT_EQ(QStringList{u8("没有获取授权印章信息！")}, boxes.texts());
    EXPECT_EQ(1, escape.count());
    EXPECT_EQ(SS_NO, v.canvas->sealSource());
}

TEST_F(CanvasSigning, ExpiredCertificateIsRenewedByPaymentAndSigningGoesOn)
{
    // An account whose certificate has expired, with a seal a company authorised to it.
    loginWithSeals("13500000000");
    ASSERT_EQ(0, getServerCertAndTime());
    ASSERT_TRUE(g_certTime.bIsExpired);
    SealInfo seal;
    seal.id = "auth-2";
    seal.name = u8("授权章");
    seal.sealCode = "A02";
    seal.width = seal.height = 40;
    seal.imageData = standinSealPng(80, true);
    client->setAuthSealInfo({seal});
    PayQrCodeDialog::setIntervalsForTesting(5, 5);
    struct Restore {
        ~Restore() { PayQrCodeDialog::setIntervalsForTesting(1000, 3000); }
    } restore;
    PaySuccessAutoAnswer paid;

    SigningView v(pages(1));
    QSignalSpy renewed(v.canvas.get(), &Canvas::sigCertRenewSucess);
    const std::string before = v.fileBytes();
    choose(v, seal.id, 1);
    v.click(v.view(1, QPointF(200, 250)));
    // No signing with the expired certificate: the placement ended and the payment ran.
    EXPECT_EQ(0, keypadsShown);
    EXPECT_EQ(before, v.fileBytes());
    EXPECT_EQ(1, renewed.count());
    EXPECT_EQ(QList<int>{2}, paid.types());
    EXPECT_FALSE(g_certTime.bIsExpired);
    EXPECT_EQ(SS_NO, v.canvas->sealSource());

    // The stand-in issued a new certificate: the next seal signs with it.
    QByteArray renewedCert;
    ASSERT_TRUE(client->getMyCert(renewedCert));
    EXPECT_NE(cert, renewedCert);
    QSignalSpy listed(v.canvas.get(), &Canvas::addSignatureList);
    choose(v, seal.id, 1);
    v.click(v.view(1, QPointF(200, 250)));
    EXPECT_EQ(1, keypadsShown);
    ASSERT_EQ(1, listed.count());
    EXPECT_TRUE(independentlyVerified(v.fileBytes(), renewedCert));
}

TEST_F(CanvasSigning, PersonsOwnSignatureCarriesNoSealData)
{
    loginWithSeals("13800000000");
    ASSERT_FALSE(signatures.isEmpty());
    SigningView v(pages(1));
    const QString field = signAt(v, signatures[0].id);
    ASSERT_FALSE(field.isEmpty());
    // The seal information written with it: the signature's name, no seal data.
    fixture::DocPtr doc = fixture::openPath(v.path.toStdString());
    vq_document_cut_page(doc.get());
    vq_signature* stored = vq_document_get_signature_by_name(doc.get(), field.toUtf8().constData());
    ASSERT_NE(nullptr, stored);
    char* addinfo = vq_signature_get_addinfo(doc.get(), stored);
    ASSERT_NE(nullptr, addinfo);
    const QJsonObject seal = QJsonDocument::fromJson(QByteArray::fromBase64(QByteArray(addinfo))).object();
    free(addinfo);
    EXPECT_EQ(signatures[0].name, seal.value("vq_sealname").toString());
    EXPECT_EQ("doc.pdf", seal.value("vq_docname").toString());
    for (const char* key : {"vq_sealcode", "vq_sealunitname", "vq_sealrecordunit", "vq_sealrecordtime"})
        EXPECT_EQ("", seal.value(key).toString()) << key;
    EXPECT_TRUE(independentlyVerified(v.fileBytes(), cert));
}

TEST_F(CanvasSigning, WithoutASigningPasswordTheFirstOneIsAskedForAndCancellingLeavesTheHandTool)
{
    loginWithSeals("13900000000");
    standin.withState([](StandinState& s) { s.account->signPasswords.remove("13900000000"); });
    int asked = 0;
    driver.on<SignPasswdDialog>([&](SignPasswdDialog* d) {
        asked++;
        EXPECT_EQ(SignPasswdDialog::ResetPassword, d->widgetType());
        d->reject();
    });
    SigningView v(pages(1));
    const std::string before = v.fileBytes();
    EXPECT_TRUE(signAt(v, seals[0].id).isEmpty());
    EXPECT_EQ(1, asked);
    EXPECT_EQ(0, keypadsShown);
    EXPECT_EQ(MS_Hand, v.canvas->GetMouseState());
    EXPECT_EQ(before, v.fileBytes());
    EXPECT_EQ(0, v.engine->DocumentSignatureCount());
}

TEST_F(CanvasSigning, UsbKeySignatureIsDeletedOnlyWithItsKey)
{
    loginWithSeals("13900000000");
    SigningView v(pages(1));
    // A signature made with a key's seal (tag "ksign"), code S01.
    ToolSignatureInfo info;
    int res = -1;
    const QString field = v.engine->AddSignature(1, QPoint(200, 250), standinSealPng(80, true), 40, 40, cert,
                                                 QString(), "doc.pdf", u8("钥匙章"), "S01", QString(), QString(),
                                                 QString(), info, "ksign", res);
    ASSERT_EQ(0, res);
    ASSERT_EQ(0, v.engine->Save());
    QSignalSpy removed(v.canvas.get(), &Canvas::deleteSignatureList);
    QStringList dialogs;
    driver.on<DeleteSignatureDialog>([&](DeleteSignatureDialog* d) {
        dialogs << d->sealNameComboBox()->currentText();
        d->reject();
    });

    // No key inserted.
    v.canvas->deleteSignature(1, v.engine->getSignatureByName(field));
    EXPECT_EQ(QStringList{u8("请插入电子密钥盘！")}, boxes.texts());

    // Keys whose codes differ from the signature's only by blanks: the first in key order.
    DeviceBussiness* registry = DeviceBussiness::Instance();
    auto key = [](const char* dev, const char* code, const char* seal) {
        KeyContainInfo k;
        k.deviceName = dev;
        k.sealCode = code;
        k.sealName = QString::fromUtf8(seal);
        k.readed = true;
        return k;
    };
    registry->insertKeyContainInfo("devC", key("devC", "X9", "别的章"));
    registry->insertKeyContainInfo("devA", key("devA", " S01 ", "甲章"));
    registry->insertKeyContainInfo("devB", key("devB", "S01", "乙章"));
    v.canvas->deleteSignature(1, v.engine->getSignatureByName(field));
    EXPECT_TRUE(waitUntil([&] { return !dialogs.isEmpty(); }, 3000));
    EXPECT_EQ(QStringList{u8("甲章")}, dialogs);
    EXPECT_EQ(0, removed.count());
    EXPECT_NE(nullptr, v.engine->getSignatureByName(field));

    // Keys, but none with the signature's seal.
    registry->pulloutDevice("devA");
    registry->pulloutDevice("devB");
    v.canvas->deleteSignature(1, v.engine->getSignatureByName(field));
    EXPECT_TRUE(waitUntil([&] { return boxes.count() == 2; }, 3000));
    EXPECT_EQ(u8("请插入对应的电子密钥盘！"), boxes.lastText());
    registry->pulloutDevice("devC");
    EXPECT_TRUE(registry->getKeyContainInfoMap().isEmpty());
}

TEST_F(CanvasSigning, FinishingAContractSignsTheItemsIntoBytesAndReportsThem)
{
    loginWithSeals("13900000000");
    SigningView v(pages(2));
    const std::string before = v.fileBytes();
    QByteArray out;

    // Signing modes without items, and the start-only mode.
    EXPECT_EQ(-1, v.canvas->finishSignFlow(out, nullptr, "c.pdf", CSM_Sign_And_Start, "k1", "j1", QByteArray()));
    EXPECT_EQ(u8("请添加您的签名！"), boxes.lastText());
    EXPECT_EQ(0, v.canvas->finishSignFlow(out, nullptr, "c.pdf", CSM_Only_Start, "k1", "j1", QByteArray()));
    EXPECT_EQ(before, out.toStdString());

    choose(v, seals[0].id, 0, MS_CloudSignature);
    v.click(v.view(2, QPointF(200, 250)));
    ASSERT_EQ(1, v.canvas->getSignItems().size());
    EXPECT_EQ(-1, v.canvas->finishSignFlow(out, nullptr, "c.pdf", CSM_Only_Start, "k1", "j1", QByteArray()));
    EXPECT_EQ(u8("发起模式不能添加签名！"), boxes.lastText());

    // Signed into a fresh engine on the file: the bytes hold the signature, the file does not.
    const char* const report = "/tarvik-contract/contract/detail/add";
    standin.script(report, StandinScript::withEnvelope(QJsonObject{{"code", 10000}, {"msg", "ok"}}));
    out.clear();
    ASSERT_EQ(0, v.canvas->finishSignFlow(out, nullptr, "c.pdf", CSM_Sign_And_Start, "k1", "j1", QByteArray()));
    EXPECT_EQ(before, v.fileBytes());
    EXPECT_TRUE(independentlyVerified(out.toStdString(), cert));
    SignItem* item = v.canvas->getSignItems()[0];
    EXPECT_FALSE(item->getT().isEmpty());
    const QList<StandinRequest> sent = standin.requests(report);
    ASSERT_EQ(1, sent.size());
    const QJsonObject body = QJsonDocument::fromJson(sent[0].body).object();
    EXPECT_EQ("k1", body.value("contractId").toString());
    EXPECT_EQ(1, body.value("pageIndex").toInt());
    EXPECT_EQ(seals[0].id, body.value("sealId").toString());
}

TEST_F(CanvasSigning, KeySealChecksItsCertificateAgainstTheCloudOne)
{
    loginWithSeals("13900000000");
    SigningView v(pages(1));
    DeviceBussiness* registry = DeviceBussiness::Instance();
    KeyContainInfo key;
    key.deviceName = "devK";
    key.sealName = u8("钥匙章");
    key.sealCode = "K01";
    key.sealImageData = standinSealPng(80, true);
    key.sealImageWidth = key.sealImageHeight = 40;
    key.certData = "key certificate";
    registry->insertKeyContainInfo("devK", key);
    v.canvas->SetMouseState(MS_LocalSignature);
    v.canvas->setSealState_Slots(SS_Key, "devK", 0);
    EXPECT_EQ(SS_Key, v.canvas->sealSource());
    EXPECT_EQ(MA_AddSealing, v.canvas->GetMouseAction());

    // The same certificate in the cloud: nothing to write.
    g_cerData = key.certData;
    EXPECT_EQ(0, v.canvas->writeCertToKey());
    // Another one: the key is to be rewritten, which fails without a device layer; logged.
    g_cerData = "cloud certificate";
    EXPECT_NE(0, v.canvas->writeCertToKey());
    EXPECT_TRUE(logText().contains(u8("检测到云端证书与Key证书不一致"))) << logText().toStdString();

    // The key is pulled out while its seal waits for a click: the placement ends.
    QSignalSpy ended(v.canvas.get(), &Canvas::cancenSealingState);
    v.canvas->pulloutDevice();
    EXPECT_EQ(1, ended.count());
    EXPECT_EQ(SS_NO, v.canvas->sealSource());
    registry->pulloutDevice("devK");
}
