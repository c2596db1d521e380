// Signing and verifying through the facade, end to end against the in-process stand-in service:
// a seal signed in place and verified, a batch over three pages sharing one value, service
// errors and unusable answers that must leave the file as it was, saves guarded against changes
// made while they wait for the service, and the texts batch verification gives each kind of
// signature. The signature value written through the stand-in is checked independently with
// OpenSSL (Z and SM3 over the byte ranges computed here).
#include "AccountTestSupport.h"
#include "EngineTestSupport.h"
#include "PdfEngine.h"
#include "RegeditSettings.h"
#include "SignedPdf.h"
#include "SignatureCheck.h"

#include <QJsonDocument>
#include <QSignalSpy>
#include <QThread>
#include <QTimer>

#include <atomic>

#include <openssl/bn.h>
#include <openssl/ec.h>
#include <openssl/evp.h>
#include <openssl/x509.h>

#include <cstdio>

namespace {

const char* const kSign = "/eseal-signature/digestSign/getDigestSignInfo";
const char* const kVerifyTsa = "/eseal-signature/timeStamp/timeStampVerify";

QString q(const std::string& s)
{
    return QString::fromStdString(s);
}

std::string threePages()
{
    fixture::PageSpec p;
    p.mediabox = "[0 0 300 400]";
    p.content = "BT /F1 12 Tf 20 300 Td (Contract) Tj ET";
    return fixture::simpleDocument({p, p, p});
}

// ---- fixture ---------------------------------------------------------------------------------

struct BatchResult {
    int index;
    int code;
    CVerifyResult result;
    ToolSignatureInfo info;
};

class FacadeSigning : public AccountTest
{
protected:
    void SetUp() override
    {
        AccountTest::SetUp();
        ASSERT_TRUE(settingsDir.isValid());
        settings.reset(new ScopedSettingsLocation(settingsDir.path()));
        ASSERT_TRUE(loginAs("13800000000"));
        ASSERT_TRUE(client->getMyCert(cert));
        ASSERT_FALSE(cert.isEmpty());
        PdfEngine probe;
        probe.ParserCert(cert, signerName, serial);
        ASSERT_FALSE(serial.isEmpty());
        seal = standinSealPng(120, true);
        path = dir.file("doc.pdf");
        original = threePages();
        fixture::writeFile(path, original);
    }

    void TearDown() override
    {
        settings.reset();
        AccountTest::TearDown();
    }

    QString signOnce(PdfEngine& engine, ToolSignatureInfo& info, int& res, int pageNo = 2)
    {
        return engine.AddSignature(pageNo, QPoint(150, 200), seal, 80, 80, cert, serial, "doc.pdf",
                                   u8("合同专用章"), "S01", u8("测试单位"), u8("测试备案机关"), "2024-05-06", info,
                                   "psign", res, 0, 1.0f);
    }

    static QList<BatchResult> verifyAll(PdfEngine& engine)
    {
        QList<BatchResult> out;
        auto c = QObject::connect(&engine, &PdfEngine::sigBatchVerifyResult,
                                  [&](int index, int code, CVerifyResult r, ToolSignatureInfo info) {
                                      out.append(BatchResult{index, code, r, info});
                                  });
        engine.batchVerifySinature();
        QObject::disconnect(c);
        return out;
    }

    fixture::ScratchDir dir;
    QTemporaryDir settingsDir;
    std::unique_ptr<ScopedSettingsLocation> settings;
    QByteArray cert;
    QString serial, signerName;
    QByteArray seal;
    std::string path, original;
};

TEST_F(FacadeSigning, SignedFieldSavesVerifiesAndReadsBack)
{
    PdfEngine engine;
    ASSERT_EQ(0, engine.Load(q(path), false, nullptr));
    engine.CutOutPages();
    ToolSignatureInfo info;
    int res = -1;
    const QString name = signOnce(engine, info, res);
    ASSERT_EQ(0, res);
    ASSERT_EQ(20, name.size());
    EXPECT_TRUE(name.startsWith("S01"));
    EXPECT_EQ(name, info.t);
    EXPECT_EQ(1, info.pageno);
    EXPECT_EQ(QPoint(110, 160), info.pt);
    EXPECT_EQ(u8("测试单位"), info.signer);
    EXPECT_NE(nullptr, info.signature);
    EXPECT_EQ(19, info.signtime.size());
    EXPECT_EQ(original, fixture::readFile(path)); // armed, not yet written

    ASSERT_EQ(0, engine.Save());
    const std::string file = fixture::readFile(path);
    EXPECT_EQ(0, file.compare(0, original.size(), original));
    EXPECT_NE(std::string::npos, file.find("/vqsign.pkcs7.sm3.3"));
    EXPECT_TRUE(independentlyVerified(file, cert));

    // The handle went with the save: look the field up again by name.
    vq_signature* sig = engine.getSignatureByName(name);
    ASSERT_NE(nullptr, sig);
    EXPECT_EQ("psign", engine.GetSignatureCustom(sig));
    EXPECT_EQ(SM2_V3, engine.SignatureVersion(sig));
    QString code;
    engine.getSealcode(sig, code);
    EXPECT_EQ("S01", code);

    // The Addinfo entry as stored in the file.
    PdfEngine reader;
    ASSERT_EQ(0, reader.Load(q(path), false, nullptr));
    reader.CutOutPages();
    // Read through the engine directly: the facade offers only the seal code.
    fixture::DocPtr doc = fixture::openPath(path);
    vq_document_cut_page(doc.get());
    vq_signature* stored = vq_document_get_signature_by_name(doc.get(), name.toUtf8().constData());
    ASSERT_NE(nullptr, stored);
    char* addinfo = vq_signature_get_addinfo(doc.get(), stored);
    ASSERT_NE(nullptr, addinfo);
    const QByteArray json = QByteArray::fromBase64(QByteArray(addinfo));
    free(addinfo);
    EXPECT_EQ(json, QByteArray("{\n"
                               "    \"vq_docname\": \"doc.pdf\",\n"
                               "    \"vq_sealcode\": \"S01\",\n"
                               "    \"vq_sealname\": \"") + u8("合同专用章").toUtf8() + "\",\n"
                               "    \"vq_sealrecordtime\": \"2024-05-06\",\n"
                               "    \"vq_sealrecordunit\": \"" + u8("测试备案机关").toUtf8() + "\",\n"
                               "    \"vq_sealunitname\": \"" + u8("测试单位").toUtf8() + "\"\n"
                               "}\n");

    const QList<BatchResult> results = verifyAll(reader);
    ASSERT_EQ(1, results.size());
    EXPECT_EQ(0, results[0].index);
    EXPECT_EQ(1, results[0].code);
    EXPECT_EQ(0, results[0].result.vcode);
    EXPECT_EQ(0, results[0].result.docVerifyRet);
    EXPECT_EQ(0, results[0].result.tsVerifyRet);
    EXPECT_EQ(signerName, results[0].result.signer);
    EXPECT_EQ("S01", results[0].result.sealCode);
    EXPECT_FALSE(results[0].result.tsTime.isEmpty());
    EXPECT_EQ(name, results[0].info.t);
    EXPECT_EQ(1, results[0].info.pageno);
    EXPECT_EQ(QPoint(110, 160), results[0].info.pt);

    int vcode = -1, docRet = -1, ts = -1, certRet = -1;
    QString signer, signTime;
    QByteArray certData, tsCert, tsTime;
    engine.VerifySinature(engine.getSignatureByName(name), vcode, docRet, ts, certRet, signer, certData, signTime,
                          tsCert, tsTime);
    EXPECT_EQ(0, vcode);
    EXPECT_EQ(0, docRet);
    EXPECT_EQ(0, ts);
    EXPECT_EQ(0, certRet);
    EXPECT_EQ(signerName, signer);
    EXPECT_FALSE(certData.isEmpty());
    EXPECT_FALSE(tsCert.isEmpty());
}

// The service's CA certificates come from the configuration (Config/ca): with them the signer's
// certificate leads to a trusted root; without them, or with a file that holds no certificates,
// it does not, and batch verification cannot call the unchanged signature valid.
TEST_F(FacadeSigning, SignerChainFollowsTheConfiguredServiceCa)
{
    PdfEngine engine;
    ASSERT_EQ(0, engine.Load(q(path), false, nullptr));
    engine.CutOutPages();
    ToolSignatureInfo info;
    int res = -1;
    const QString name = signOnce(engine, info, res);
    ASSERT_EQ(0, res);
    ASSERT_EQ(0, engine.Save());

    auto verifyOne = [&](int& docRet) {
        int vcode = -1, ts = -1, certRet = -1;
        docRet = -1;
        QString signer, signTime;
        QByteArray certData, tsCert, tsTime;
        engine.VerifySinature(engine.getSignatureByName(name), vcode, docRet, ts, certRet, signer, certData,
                              signTime, tsCert, tsTime);
        return certRet;
    };
    int docRet = -1;
    EXPECT_EQ(0, verifyOne(docRet));
    EXPECT_EQ(0, docRet);
    EXPECT_EQ(1, verifyAll(engine).value(0).code);

    QSettings ini(client->m_exePath, QSettings::IniFormat);
    ini.remove("Config/ca");
    ini.sync();
    EXPECT_EQ(1, verifyOne(docRet));
    EXPECT_EQ(0, docRet);
    QList<BatchResult> results = verifyAll(engine);
    ASSERT_EQ(1, results.size());
    EXPECT_EQ(2, results[0].code);
    EXPECT_EQ(1, results[0].result.certverifyRet);
    EXPECT_EQ(signerName, results[0].info.signer);

    fixture::writeFile(QDir(m_configDir.path()).filePath("garbage.pem").toStdString(), "no certificate here");
    ini.setValue("Config/ca", "garbage.pem");
    ini.sync();
    EXPECT_EQ(1, verifyOne(docRet));

    ini.setValue("Config/ca", "service-ca.pem");
    ini.sync();
    EXPECT_EQ(0, verifyOne(docRet));
}

TEST_F(FacadeSigning, ThreeWidgetsSharingOneValueAreVerifiedOnce)
{
    const std::string target = dir.file("batch.pdf");
    {
        PdfEngine batch;
        ASSERT_EQ(0, batch.Load(q(path), false, nullptr));
        batch.setbatchSignatrueCount(batch.PageCount());
        batch.setbatchSignState(true);
        batch.CutOutPages();
        QVector<vq_signature*> widgets;
        for (int page = 1; page <= 3; ++page) {
            vq_signature* w = nullptr;
            const QString name =
                batch.AddSignature(w, page, QPoint(100, 150), seal, 60, 60, cert, serial, "doc.pdf", u8("章"),
                                   QString("B%1").arg(page), u8("单位"), "", "", "psign", false, false, false, 0, 0);
            ASSERT_FALSE(name.isEmpty());
            ASSERT_NE(nullptr, w);
            widgets.append(w);
        }
        ASSERT_EQ(0, batch.AddSignatureInfo(cert, widgets.data(), widgets.size(), "psign"));
        batch.setPageList({1, 2, 3});
        QSignalSpy progress(&batch, &PdfEngine::setresult);
        QString out = q(target);
        ASSERT_EQ(0, batch.SaveAs(out, 1, true));
        batch.setbatchSignState(false);
        // One value, so one request and one progress step, naming the first page.
        ASSERT_EQ(1, progress.size());
        EXPECT_EQ(QVariantList({1, 3}), progress.first());
        EXPECT_EQ(1, standin.requests(kSign).size());
    }
    EXPECT_EQ(original, fixture::readFile(path));
    EXPECT_TRUE(independentlyVerified(fixture::readFile(target), cert));

    PdfEngine view;
    ASSERT_EQ(0, view.Load(q(target), false, nullptr));
    view.CutOutPages();
    const int before = standin.requests(kVerifyTsa).size();
    const QList<BatchResult> results = verifyAll(view);
    ASSERT_EQ(3, results.size());
    EXPECT_EQ(1, standin.requests(kVerifyTsa).size() - before);
    QSet<QString> names;
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(i, results[i].index);
        EXPECT_EQ(1, results[i].code);
        EXPECT_EQ(i, results[i].info.pageno);
        EXPECT_EQ(QPoint(70, 120), results[i].info.pt);
        EXPECT_EQ(signerName, results[i].info.signer);
        EXPECT_EQ(results[0].result.signTime, results[i].info.signtime);
        names.insert(results[i].info.t);
    }
    EXPECT_EQ(3, names.size());
}

TEST_F(FacadeSigning, APassEndsWhenItsOwnerAsksAndAnotherFacadeCanReadTheSameBytes)
{
    const signedpdf::Sm2Identity id = signedpdf::makeSm2Identity("Three Times");
    const std::string three = signedpdf::multiSignedDocument(id, 3, "TS-THREE");
    fixture::writeFile(path, three);
    PdfEngine file;
    ASSERT_EQ(0, file.Load(q(path), false, nullptr));
    file.CutOutPages();
    EXPECT_EQ(QByteArray::fromStdString(three), file.sourceBytes());

    // A copy read from those bytes verifies all three, or stops after the first when asked.
    PdfEngine copy;
    ASSERT_EQ(0, copy.LoadStream(file.sourceBytes(), nullptr));
    EXPECT_EQ(file.sourceBytes(), copy.sourceBytes());
    copy.CutOutPages();
    EXPECT_EQ(3, verifyAll(copy).size());
    int seen = 0;
    auto c = QObject::connect(&copy, &PdfEngine::sigBatchVerifyResult, [&] { seen++; });
    copy.batchVerifySinature([&] { return seen >= 1; });
    QObject::disconnect(c);
    EXPECT_EQ(1, seen);
    EXPECT_TRUE(PdfEngine().sourceBytes().isEmpty());
}

TEST_F(FacadeSigning, VerificationThreadSharesTheFacadeWithRendering)
{
    PdfEngine engine;
    ASSERT_EQ(0, engine.Load(q(path), false, nullptr));
    engine.CutOutPages();
    ToolSignatureInfo info;
    int res = -1;
    signOnce(engine, info, res, 1);
    ASSERT_EQ(0, res);
    ASSERT_EQ(0, engine.Save());

    // Results reach the GUI thread by queued connection, as the signature list receives them.
    QObject receiver;
    QList<BatchResult> results;
    QObject::connect(&engine, &PdfEngine::sigBatchVerifyResult, &receiver,
                     [&](int index, int code, CVerifyResult r, ToolSignatureInfo i) {
                         results.append(BatchResult{index, code, r, i});
                     },
                     Qt::QueuedConnection);
    std::atomic<bool> done{false};
    QThread* worker = QThread::create([&] {
        engine.batchVerifySinature();
        done = true;
    });
    worker->start();
    int rendered = 0;
    while (!done) {
        QRectF area(0, 0, 300, 400);
        std::unique_ptr<RenderedBitmap> bmp(engine.RenderBitmap(1 + rendered % 3, 1.0f, 0, &area));
        ASSERT_TRUE(bmp);
        ++rendered;
        QCoreApplication::processEvents();
    }
    worker->wait();
    delete worker;
    ASSERT_TRUE(waitUntil([&] { return results.size() == 1; }));
    EXPECT_EQ(1, results[0].code);
    EXPECT_EQ(info.t, results[0].info.t);
    EXPECT_EQ(signerName, results[0].info.signer);
    EXPECT_GT(rendered, 0);
}

TEST_F(FacadeSigning, ServiceErrorsAndUnusableAnswersLeaveTheFileAsItWas)
{
    const QString goodR = QString::fromLatin1(QByteArray(32, 'r').toBase64());
    const QString goodS = QString::fromLatin1(QByteArray(32, 's').toBase64());
    const QString stamp = QString::fromLatin1(QByteArray("stamp").toBase64());
    auto answer = [](const QJsonObject& data) {
        return QJsonObject{{"code", 10000}, {"msg", "ok"}, {"data", data}};
    };
    struct Case {
        const char* name;
        QJsonObject envelope;
        int code;
    };
    const QList<Case> cases = {
        {"service refuses", QJsonObject{{"code", 4602}, {"msg", u8("证书不在有效期")}}, 4602},
        {"signing failed inside", answer({{"code", 5001}, {"msg", "x"}}), 5001},
        // The service client itself refuses a reply without a value (its code 28888).
        {"empty r", answer({{"code", 0}, {"r", ""}, {"s", goodS}, {"timestamp", stamp}}), 28888},
        {"r of 31 bytes", answer({{"code", 0}, {"r", QString::fromLatin1(QByteArray(31, 'r').toBase64())},
                                  {"s", goodS}, {"timestamp", stamp}}), 3052},
        {"r not Base64", answer({{"code", 0}, {"r", "!!!!"}, {"s", goodS}, {"timestamp", stamp}}), 3052},
        {"r longer than 64", answer({{"code", 0}, {"r", QString(65, 'A')}, {"s", goodS}, {"timestamp", stamp}}),
         3052},
        {"empty time stamp", answer({{"code", 0}, {"r", goodR}, {"s", goodS}, {"timestamp", ""}}), 28888},
        {"s of 33 bytes", answer({{"code", 0}, {"r", goodR}, {"s", QString::fromLatin1(QByteArray(33, 's').toBase64())},
                                  {"timestamp", stamp}}), 3052},
        {"time stamp too long",
         answer({{"code", 0}, {"r", goodR}, {"s", goodS}, {"timestamp", QString(3053, 'T')}}), 3052},
    };
    PdfEngine engine;
    ASSERT_EQ(0, engine.Load(q(path), false, nullptr));
    engine.CutOutPages();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ToolSignatureInfo info;
        int res = -1;
        const QString name = signOnce(engine, info, res);
        ASSERT_EQ(0, res);
        StandinScript script = StandinScript::withEnvelope(c.envelope);
        script.times = 1;
        standin.script(kSign, script);
        EXPECT_EQ(c.code, engine.Save());
        EXPECT_EQ(original, fixture::readFile(path));
        // What the canvas does next: remove the half-made field.
        engine.DeleteSinatureByName(info.pageno + 1, name);
        EXPECT_EQ(nullptr, engine.getSignatureByName(name));
    }
    // The document is still sound: a real signature now saves.
    ToolSignatureInfo info;
    int res = -1;
    signOnce(engine, info, res);
    ASSERT_EQ(0, res);
    ASSERT_EQ(0, engine.Save());
    EXPECT_TRUE(independentlyVerified(fixture::readFile(path), cert));
    // Refused answers wrote no dead signature: the file holds exactly one.
    PdfEngine again;
    ASSERT_EQ(0, again.Load(q(path), false, nullptr));
    again.CutOutPages();
    EXPECT_EQ(1, again.getSinatureCount());
}

TEST_F(FacadeSigning, ArmingFailureLeavesNoField)
{
    PdfEngine engine;
    ASSERT_EQ(0, engine.Load(q(path), false, nullptr));
    engine.CutOutPages();
    struct Case {
        const char* name;
        QByteArray cert;
        QByteArray picture;
    };
    const QList<Case> cases = {
        {"no certificate", QByteArray(), seal},
        {"not a certificate", QByteArray("bm90IGEgY2VydGlmaWNhdGU="), seal},
        {"not a picture", cert, QByteArray("not a picture")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ToolSignatureInfo info;
        int res = 0;
        const QString name = engine.AddSignature(1, QPoint(100, 100), c.picture, 50, 50, c.cert, serial, "d", "n",
                                                 "S09", "u", "r", "t", info, "ksign", res, 0, 1.0f);
        EXPECT_NE(0, res);
        EXPECT_TRUE(name.isEmpty());
        EXPECT_TRUE(info.t.isEmpty());
        EXPECT_EQ(0, engine.getSinatureCount());
    }
    EXPECT_EQ(0, standin.requests(kSign).size());
}

TEST_F(FacadeSigning, ChangesWhileASaveWaitsForTheServiceAreRefused)
{
    PdfEngine engine;
    ASSERT_EQ(0, engine.Load(q(path), false, nullptr));
    engine.CutOutPages();
    ToolSignatureInfo info;
    int res = -1;
    signOnce(engine, info, res);
    ASSERT_EQ(0, res);
    StandinScript slow;
    slow.delayMs = 300;
    slow.times = 1;
    standin.script(kSign, slow);

    bool ran = false, marked = true, sawSaving = false;
    int nestedSave = 0, nestedRes = 0;
    QString nestedName = "x";
    QTimer::singleShot(50, [&] {
        ran = true;
        sawSaving = engine.isSaving();
        float c[3] = {1, 0, 0};
        rect r{10, 10, 50, 20};
        marked = engine.AddMarkAnnot(1, c, 1.0f, r, &r, 1, VQ_ANNOT_HIGHLIGHT);
        nestedSave = engine.Save();
        ToolSignatureInfo other;
        nestedName = signOnce(engine, other, nestedRes, 3);
    });
    EXPECT_EQ(0, engine.Save());
    ASSERT_TRUE(ran);
    EXPECT_TRUE(sawSaving);
    EXPECT_FALSE(marked);
    EXPECT_EQ(VQ_FILE_IS_BUSY, nestedSave);
    EXPECT_EQ(VQ_FILE_IS_BUSY, nestedRes);
    EXPECT_TRUE(nestedName.isEmpty());
    EXPECT_FALSE(engine.isSaving());
    EXPECT_FALSE(engine.DocumentChanged());
    EXPECT_TRUE(independentlyVerified(fixture::readFile(path), cert));
}

TEST_F(FacadeSigning, SigningTimeForAContractIsNowAndChangesNothing)
{
    PdfEngine engine;
    ASSERT_EQ(0, engine.Load(q(path), false, nullptr));
    engine.CutOutPages();
    const QDateTime before = QDateTime::currentDateTime().addSecs(-1);
    const QString text = engine.getSignatureTime("S01", 1);
    const QDateTime when = QDateTime::fromString(text, "yyyy-MM-dd hh:mm:ss");
    ASSERT_TRUE(when.isValid()) << text.toStdString();
    EXPECT_GE(when, before.addMSecs(-before.time().msec()));
    EXPECT_LE(when, QDateTime::currentDateTime());
    EXPECT_FALSE(engine.DocumentChanged());
    EXPECT_EQ(0, engine.getSinatureCount());
}

TEST_F(FacadeSigning, TimeStampAnswersThatDoNotFitAreRefused)
{
    // A long answer from the service: refused, never cut or copied past the room.
    const QString longXml = "<r><timestamp>" + QString(5000, '1') + "</timestamp><signer>x</signer></r>";
    StandinScript script = StandinScript::withEnvelope(
        QJsonObject{{"code", 10000}, {"msg", "ok"}, {"data", QJsonObject{{"code", 0}, {"timestampverify", longXml}}}});
    script.times = 1;
    standin.script(kVerifyTsa, script);
    std::vector<char> buffer(3052 + 16, 'G');
    std::fill(buffer.begin(), buffer.begin() + 3052, '\0');
    int len = 3051;
    EXPECT_EQ(VQ_HTTP_REQUEST_DATA_IS_ERROR, PdfEngine::verifyfunc("0123456789abcdef0123456789abcdef", "x",
                                                                  buffer.data(), &len));
    EXPECT_EQ(0, len);
    EXPECT_EQ('\0', buffer[0]);
    EXPECT_EQ('G', buffer[3052]);

    const QString shortXml = "<r><timestamp>2024-01-01 10:00:00</timestamp><signer>TSA</signer></r>";
    standin.script(kVerifyTsa, StandinScript::withEnvelope(QJsonObject{
                                   {"code", 10000}, {"msg", "ok"},
                                   {"data", QJsonObject{{"code", 0}, {"timestampverify", shortXml}}}}));
    len = 3051;
    EXPECT_EQ(0, PdfEngine::verifyfunc("0123456789abcdef0123456789abcdef", "x", buffer.data(), &len));
    EXPECT_EQ(shortXml.size(), len);
    EXPECT_EQ(shortXml.toLatin1(), QByteArray(buffer.data(), len));

    QByteArray when, signer;
    PdfEngine engine;
    engine.readTimeStampXml(shortXml, when, signer);
    EXPECT_EQ("2024-01-01 10:00:00", when);
    EXPECT_EQ("TSA", signer);
}

// ---- each kind of signature the verifier knows ------------------------------------------------

using namespace signedpdf;

std::string signAt(std::string file, const std::function<Bytes(const Bytes&)>& signer)
{
    Placeholder p = fillByteRange(file, 0);
    putContents(file, p, signer(signedBytes(file, p)));
    return file;
}

// The signers' certificates of these tests come from a CA of their own, which the configuration
// lists beside the service's.
const TestCa& testCa()
{
    static const TestCa* ca = new TestCa(makeTestCa(true, "Orvessa Test CA"));
    return *ca;
}

const TestCa& rsaTestCa()
{
    static const TestCa* ca = new TestCa(makeTestCa(false, "Orvessa Test RSA CA"));
    return *ca;
}

Sm2Identity issuedSm2Identity(const std::string& cn)
{
    Sm2Identity id = makeSm2Identity(cn);
    id.certDer = issueCertificate(testCa(), id.key.get(), cn);
    return id;
}

RsaIdentity issuedRsaIdentity(const std::string& cn)
{
    RsaIdentity id = makeRsaIdentity(cn);
    const Bytes der = issueCertificate(rsaTestCa(), id.key.get(), cn);
    const unsigned char* p = der.data();
    id.cert.reset(d2i_X509(nullptr, &p, long(der.size())));
    return id;
}

void trustTestCas(const QString& configDir)
{
    QFile ca(QDir(configDir).filePath("service-ca.pem"));
    ASSERT_TRUE(ca.open(QIODevice::Append));
    ca.write(QByteArray::fromStdString(testCa().pem() + rsaTestCa().pem()));
}

TEST_F(FacadeSigning, EachKindGivesItsText)
{
    static const Sm2Identity sm2 = issuedSm2Identity("SM2 Signer");
    static const Sm2Identity selfMade = makeSm2Identity("Self-made Signer");
    static const Sm2Identity maker = makeSm2Identity("Seal Maker", "digitalSignature");
    static const Sm2Identity encMaker = makeSm2Identity("Enc Maker", "keyEncipherment,dataEncipherment");
    static const RsaIdentity rsa = issuedRsaIdentity("RSA Signer");
    trustTestCas(m_configDir.path());
    auto seal = [](const SealSpec& recipe, const Sm2Identity& m) {
        return signAt(baseDocument(valueDict("vqsign.gb2018.sm3", 6000)),
                      [&](const Bytes& d) { return sealSignature(m, sm2, d, recipe); });
    };
    SealSpec notListed;
    notListed.listSigner = false;
    SealSpec afterEnd;
    afterEnd.validEnd = "20260101000000Z";
    struct Case {
        const char* name;
        std::string file;
        int code;
        QString signer;
    };
    const QList<Case> cases = {
        {"waiting field", baseDocument(""), -2, u8("待签名的签名域")},
        {"unsupported kind",
         signAt(baseDocument(valueDict("ETSI.CAdES.detached", 600)), [](const Bytes&) { return Bytes(10, 1); }), 2,
         u8("不支持的签名类型")},
        {"empty value",
         baseDocument("<< /Type /Sig /SubFilter /vqsign.pkcs7.sm3.3 /ByteRange [0 1 2 3] /Contents <> >>"), 0,
         u8("签名值为空")},
        {"unreadable PKCS#7",
         signAt(baseDocument(valueDict("vqsign.pkcs7.sm3.3", 600)), [](const Bytes&) { return fixedNoise(300, 3); }),
         0, u8("验证失败, 解析P7签名值错误")},
        {"seal made with an encryption certificate", seal(SealSpec(), encMaker), 0, u8("制章人证书用法错误")},
        {"signer not in the seal", seal(notListed, maker), 0, u8("签章人证书没在电子印章证书列表内")},
        {"signed after the seal ended", seal(afterEnd, maker), 0,
         u8("签名时间不在电子印章制作时间与电子印章结束时间范围内")},
        {"valid seal", seal(SealSpec(), maker), 1, "SM2 Signer"},
        {"valid RSA", signAt(baseDocument(valueDict("adbe.pkcs7.detached", 6000)),
                             [](const Bytes& d) { return rsaPkcs7(rsa, d); }),
         1, "RSA Signer"},
        // An unchanged document whose signer's certificate leads to no trusted root cannot be
        // called valid: who signed it is not known.
        {"SM2 signer certificate from no trusted CA",
         signAt(baseDocument(valueDict("vqsign.pkcs7.sm3.3", 6000)),
                [](const Bytes& d) { return sm2Pkcs7(selfMade, d, ""); }),
         2, "Self-made Signer"},
        // A time stamp the service does not recognise makes the signature invalid.
        {"SM2 with a foreign time stamp",
         signAt(baseDocument(valueDict("vqsign.pkcs7.sm3.3", 6000)),
                [](const Bytes& d) { return sm2Pkcs7(sm2, d, "TS-OK"); }),
         0, "SM2 Signer"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PdfEngine engine;
        ASSERT_EQ(0, engine.LoadStream(QByteArray::fromStdString(c.file), nullptr));
        engine.CutOutPages();
        const QList<BatchResult> results = verifyAll(engine);
        ASSERT_EQ(1, results.size());
        EXPECT_EQ(0, results[0].index);
        EXPECT_EQ(c.code, results[0].code);
        EXPECT_EQ(c.signer, results[0].result.signer);
        EXPECT_EQ(c.signer, results[0].info.signer);
        EXPECT_EQ("Sig1", results[0].info.t);
    }
}

TEST_F(FacadeSigning, OlderSignaturesAndPictureFields)
{
    // A version-1 signature with the older keys, each Base64 of its UTF-8 text.
    static const Sm2Identity sm2 = makeSm2Identity("Old Signer");
    auto b64 = [](const char* t) { return QByteArray(t).toBase64().toStdString(); };
    const std::string extra = "/VqSc (" + b64("SC-01") + ") /VqFn (" + b64("old.pdf") + ") /VqSun (" +
                              b64("Old Unit") + ") /VqSru (" + b64("Record Unit A") + ") /VqSrt (" +
                              b64("2019-05-06") + ")";
    const std::string file = signAt(baseDocument(valueDict("vqsign.pkcs7.sm3.1", 6300, extra)), [](const Bytes& d) {
        return recordV1(sm2, d, V1Sig::OverData, "TS-OK", "Record Unit A", "2019-05-06");
    });
    const std::string old = dir.file("old.pdf");
    fixture::writeFile(old, file);
    PdfEngine engine;
    ASSERT_EQ(0, engine.Load(q(old), false, nullptr));
    engine.CutOutPages();
    vq_signature* sig = engine.getSignatureByName("Sig1");
    ASSERT_NE(nullptr, sig);
    EXPECT_EQ(SM2_V1, engine.SignatureVersion(sig));
    QString docName, sealCode, unit, recordUnit, recordTime;
    engine.getSignatureSealData(sig, docName, sealCode, unit, recordUnit, recordTime);
    EXPECT_EQ("old.pdf", docName);
    EXPECT_EQ("SC-01", sealCode);
    EXPECT_EQ("Old Unit", unit);
    EXPECT_EQ("Record Unit A", recordUnit);
    EXPECT_EQ("2019-05-06", recordTime);
    std::unique_ptr<SM2SIGN_DATA_VALUE, decltype(&free)> record(engine.getSignatureContent(sig), &free);
    ASSERT_TRUE(record);
    EXPECT_STREQ("Record Unit A", record->sealRecordUnitName);

    // An unarmed signature field with a picture from a file, as a handwriting stamp.
    const std::string picture = dir.file("hand.png");
    fixture::writeFile(picture, seal.toStdString());
    PdfEngine doc;
    ASSERT_EQ(0, doc.Load(q(path), false, nullptr));
    doc.CutOutPages();
    EXPECT_TRUE(doc.AddSignature(1, QPoint(100, 100), q(picture), 40, 40, 0, 1.0f));
    EXPECT_FALSE(doc.AddSignature(1, QPoint(100, 100), q(dir.file("none.png")), 40, 40, 0, 1.0f));
    EXPECT_EQ(1, doc.getSinatureCount());
    const QMap<int, QVector<rect>> fields = doc.GetErrorSignature();
    ASSERT_EQ(1, fields.value(0).size());
    EXPECT_FLOAT_EQ(80, fields.value(0).first().x0);
    EXPECT_FLOAT_EQ(120, fields.value(0).first().x1);
    // A waiting field: batch verification names it and does not count it.
    const QList<BatchResult> results = verifyAll(doc);
    ASSERT_EQ(1, results.size());
    EXPECT_EQ(-2, results[0].code);
    EXPECT_EQ(0, results[0].index);
    EXPECT_EQ(u8("待签名的签名域"), results[0].info.signer);
}

TEST(FacadeRecords, VersionOneRecordNeedsTheWholeLayout)
{
    std::vector<unsigned char> bytes(sizeof(SM2SIGN_DATA_VALUE), 0);
    memcpy(bytes.data() + offsetof(SM2SIGN_DATA_VALUE, sealcode), "SC-77", 5);
    std::unique_ptr<SM2SIGN_DATA_VALUE, decltype(&free)> whole(DataToStuct(bytes.data(), int(bytes.size())), &free);
    ASSERT_TRUE(whole);
    EXPECT_STREQ("SC-77", whole->sealcode);
    EXPECT_EQ(nullptr, DataToStuct(bytes.data(), int(bytes.size()) - 1));
    EXPECT_EQ(nullptr, DataToStuct(bytes.data(), 100));
    EXPECT_EQ(nullptr, DataToStuct_V2(bytes.data(), int(sizeof(SM2SIGN_DATA_VALUE_V2)) - 1));
}

TEST(FacadeRecords, NamesTagsAndAddinfo)
{
    const QDateTime when(QDate(2021, 3, 4), QTime(5, 6, 7, 89));
    EXPECT_EQ("S0120210304050607089", PdfEngine::signatureFieldName("S01", when));
    // Names made within one millisecond (the pages of a batch) still differ, in order.
    QStringList made;
    for (int i = 0; i < 50; i++)
        made << PdfEngine::newSignatureFieldName("S01");
    for (int i = 1; i < made.size(); i++) {
        EXPECT_EQ(20, made[i].size());
        EXPECT_LT(made[i - 1], made[i]);
    }
    EXPECT_EQ("psign", PdfEngine::customTagFor("psign"));
    EXPECT_EQ("ksign", PdfEngine::customTagFor("PSign"));
    EXPECT_EQ("ksign", PdfEngine::customTagFor(""));
    const QJsonObject o =
        QJsonDocument::fromJson(QByteArray::fromBase64(PdfEngine::makeAddinfo("", "", "", "", "", ""))).object();
    EXPECT_EQ(QStringList({"vq_docname", "vq_sealcode", "vq_sealname", "vq_sealrecordtime", "vq_sealrecordunit",
                           "vq_sealunitname"}),
              o.keys());
}

} // namespace
