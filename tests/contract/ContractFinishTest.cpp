// Finishing cloud contracts and acting on seal authorisations from the workspace's tabs, against
// the in-process stand-in: the order of the requests of each road, the end state at the service
// with a signed file that verifies, and the failures that must leave the user's document and tab
// as they were.
#include "ContractTabSupport.h"

#include "CertState.h"
#include "LoadingWidget.h"
#include "RightToolBarUserAuth.h"
#include "SignPageCodeDialog.h"
#include "SignatureCheck.h"
#include "StandinOpsAccount.h"

#include <QFile>
#include <QRegularExpression>
#include <QButtonGroup>
#include <QTextEdit>
#include <QTest>

using namespace contracttest;

namespace {

const QString kSc = "/tarvik-serve-manage-wexo";
const QString kTc = "/tarvik-contract";

class ContractFinish : public ContractFixture
{
protected:
    void SetUp() override
    {
        ContractFixture::SetUp();
        canvastest::sharedCache();
        page.resize(1400, 900);
        page.show();
        driver.on<SignPageCodeDialog>([this](SignPageCodeDialog* d) {
            codeDialogs++;
            d->codeEdit()->setText(smsCode);
            d->confirmButton()->click();
            if (d->isVisible())
                d->reject();   // a refused code: the user gives up
        });
    }

    // A local document (two pages) in a tab whose seal panel is in the cloud view with the
    // signing settings taken: the user signs and starts (signAtt 0) or only starts (1), with the
    // given other signers.
    QString openLocalContract(int signAtt, const QStringList& others)
    {
        localPath = settingsDir.filePath("contract.pdf");
        fixture::writeFile(localPath.toStdString(), signingtest::pages(2));
        EXPECT_TRUE(page.addFileTab(localPath));
        RightToolBar* panel = page.currentFrame()->rightToolBar();
        EXPECT_TRUE(panel->setViewMode(RVM_Cloud));
        SignParamBusiness* param = page.paramAt(page.tabWidget()->currentIndex());
        param->setTheme(u8("采购合同"));
        param->setEndDate("2099-12-31 23:59:59");
        param->setRemark(u8("月底前签署"));
        param->setSignAtt(signAtt);
        param->setSignOrderMode(1);
        for (const QString& account : others) {
            SignerInfo s;
            s.userAccount = account;
            s.userName = account;
            param->addLinkman(s);
        }
        param->setSettingState();
        panel->setParam(param);
        panel->finishSignSetting();
        return localPath;
    }

    // Opens a stored contract that waits for the logged-in user.
    void openWaitingContract(const QString& id)
    {
        ContractInfo info;
        QByteArray bytes;
        QList<ContractSignerInfo> signers;
        ASSERT_TRUE(fetch(id, NetWorkBusiness::cs_waitforme, info, bytes, signers));
        ASSERT_TRUE(page.addCloudFileTab(bytes, info, signers));
    }

    // An authorisation of the company to the person, stored at the service, open in its tab.
    RightToolBarUserAuth* openGrant(const QString& id, int status, bool confirmed, int shownStatus = -1)
    {
        standin.withState([&](StandinState& s) {
            QJsonObject grants = s.seed.value("grants").toObject();
            grants.insert(id, QJsonObject{{"id", id},
                                          {"companyAccount", kCompany},
                                          {"personAccount", kMe},
                                          {"authorizeStatus", status},
                                          {"confirmed", confirmed}});
            s.seed.insert("grants", grants);
        });
        StartAuthSuccessInfo auth;
        auth.authId = id;
        auth.protocolId = "doc-" + id;
        auth.fileName = u8("印章授权合同");
        auth.authorizeStatus = shownStatus < 0 ? status : shownStatus;
        auth.authorizeStatusDesc = u8("待确认");
        EXPECT_TRUE(page.addCloudFileTab(QByteArray::fromStdString(signingtest::pages(1)), auth, {}));
        return page.currentFrame() ? page.currentFrame()->m_rightToolBarUserAuth : nullptr;
    }

    // Clicks the chosen cloud seal onto page 1 of the current tab at (x, y) in page points.
    void placeSeal(const QString& sealId, QPointF at = QPointF(200, 250))
    {
        Canvas* canvas = page.currentFrame()->canvas();
        canvas->SetMouseState(MS_CloudSignature);
        canvas->setSealState_Slots(SS_Cloud, sealId, 0);
        const QPoint p = canvas->AsFixed()->CvtToScreen(1, at, true).toPoint();
        QTest::mousePress(canvas->paintSurface(), Qt::LeftButton, Qt::NoModifier, p);
    }

    // The requests since the last clearRequests, as paths; the service's digest signing inside
    // the document signing is left out.
    QStringList paths() const
    {
        QStringList out;
        for (const StandinRequest& r : standin.requests())
            if (!r.path.startsWith("/eseal-signature/"))
                out << r.path;
        return out;
    }

    QString contractState(const QString& id)
    {
        QString state;
        standin.withState([&](StandinState& s) {
            state = s.seed.value("contracts").toObject().value(id).toObject().value("state").toString();
        });
        return state;
    }

    SignPage page;
    QString localPath;
    QString smsCode = QString::fromLatin1(kStandinSmsCode);
    int codeDialogs = 0;
};

} // namespace

// Each road sends its requests in its order: the consent, the contract, its signers, the
// placements with the signed document, the confirmation; the authorisation actions one request
// (after their SMS code where they need one).
TEST_F(ContractFinish, EachRoadSendsItsRequestsInOrder)
{
    const QString upload = "/eseal-file/file/upLoad", update = "/eseal-file/file/updateFile";
    const QString sendCode = kSc + "/function/send/sign-security-code";
    const QString checkCode = kSc + "/function/check/sign-security-code";
    const QString start[] = {kSc + "/contract/add", kTc + "/delete/contract-join-user/list"};
    const QString signatory = "/eseal-usermanage/contacts/add/signatory";
    const QString joinList = kTc + "/add/contract-join-user/list", issue = kSc + "/contract/issue";
    const QString place = kTc + "/contract/detail/add", batchSign = kSc + "/function/batch-sign/contract";
    const QString affirm = kSc + "/contract/affirm/sign";

    struct Case {
        const char* name;
        const char* account;
        std::function<void()> act;
        QStringList expected;
        std::function<void()> check;
    };
    const Case cases[] = {
        {"sign and start", kCompany,
         [&] {
             openLocalContract(0, {kPerson});
             placeSeal(seals[0].id);
             standin.clearRequests();
             page.currentFrame()->rightToolBar()->finishButton()->click();
         },
         {sendCode, checkCode, upload, start[0], start[1], signatory, joinList, issue, place, batchSign, update,
          affirm},
         [&] { EXPECT_EQ(u8("签署成功"), toasts.texts().last()); }},
        {"only start", kCompany,
         [&] {
             openLocalContract(1, {kPerson});
             standin.clearRequests();
             page.currentFrame()->rightToolBar()->finishButton()->click();
         },
         {upload, start[0], start[1], signatory, joinList, issue},
         [&] { EXPECT_EQ(u8("发起成功"), toasts.texts().last()); }},
        {"sign a contract waiting for me", kCompany,
         [&] {
             storeContract("c-4", u8("租赁合同"), "issued", "2099-12-31 23:59:59", {{kCompany, "unsigned"}});
             // An earlier placement of the user, removed before the new one is reported.
             standin.withState([](StandinState& s) {
                 QJsonObject details = s.seed.value("details").toObject();
                 details.insert("p-old", QJsonObject{{"id", "p-old"}, {"contractDetailId", "p-old"},
                                                     {"contractId", "c-4"}, {"contractJoinUserId", "j-c-4-1"},
                                                     {"sealId", "s"}, {"signType", "seal"}, {"pageIndex", 0},
                                                     {"signTop", 1}, {"signLeft", 1}});
                 s.seed.insert("details", details);
             });
             openWaitingContract("c-4");
             placeSeal(seals[0].id);
             standin.clearRequests();
             page.currentFrame()->rightToolBar()->finishButton()->click();
         },
         {kSc + "/function/apply-for-sign", "/eseal-file/file/getFileName", "/files/f-c-4", sendCode, checkCode, kTc + "/contract/getDetails",
          kTc + "/delete/contract/detail", place, batchSign, update, affirm},
         [&] { EXPECT_EQ("completed", contractState("c-4")); }},
        {"refuse", kMe,
         [&] {
             storeContract("c-r", u8("拒签合同"), "issued", "2099-12-31 23:59:59", {{kMe, "unsigned"}});
             openWaitingContract("c-r");
             standin.clearRequests();
             page.currentFrame()->rightToolBar()->denyButton()->click();
         },
         {kSc + "/contract/refuse/sign"},
         [&] {
             EXPECT_EQ(u8("拒签成功"), toasts.texts().last());
             EXPECT_EQ("refused", contractState("c-r"));
         }},
        {"accept", kMe,
         [&] {
             RightToolBarUserAuth* panel = openGrant("g-a", 10, true);
             standin.clearRequests();
             panel->actionButton()->click();
         },
         {kSc + "/function/send/auth-security-code", kSc + "/function/accept/seal-auth"},
         [&] { EXPECT_EQ(u8("已接受授权"), toasts.texts().last()); }},
        {"refuse an authorisation", kMe,
         [&] {
             RightToolBarUserAuth* panel = openGrant("g-r", 10, true);
             standin.clearRequests();
             panel->refuseButton()->click();
         },
         {kSc + "/function/refuse/seal-auth"},
         [&] { EXPECT_EQ(u8("已拒绝授权"), toasts.texts().last()); }},
        {"finish", kCompany,
         [&] {
             RightToolBarUserAuth* panel = openGrant("g-f", 10, false, 0);
             standin.clearRequests();
             panel->actionButton()->click();
         },
         {kSc + "/function/send/auth-security-code", kSc + "/function/affirm/seal-auth"},
         [&] { EXPECT_EQ(u8("授权签约成功"), toasts.texts().last()); }},
        {"stop", kCompany,
         [&] {
             RightToolBarUserAuth* panel = openGrant("g-s", 20, true);
             standin.clearRequests();
             panel->actionButton()->click();
         },
         {kSc + "/function/terminate/seal-auth"},
         [&] { EXPECT_EQ(u8("终止授权成功"), toasts.texts().last()); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        loginWithSeals(c.account);
        const int tabs = page.tabWidget()->count();
        c.act();
        EXPECT_EQ(c.expected.join('\n').toStdString(), paths().join('\n').toStdString());
        // Every road ends with its tab closed.
        EXPECT_EQ(tabs, page.tabWidget()->count());
        ASSERT_FALSE(toasts.texts().isEmpty());
        c.check();
        EXPECT_TRUE(standin.shapeErrors().isEmpty()) << standin.shapeErrors().join("; ").toStdString();
    }
}

// A contract the initiator starts and signs alone ends completed at the service; the stored file
// holds the initiator's signature, which verifies with the engine and independently; the local
// file is not touched.
TEST_F(ContractFinish, SignedAndStartedContractEndsCompletedWithAVerifyingFile)
{
    loginWithSeals(kCompany);
    const QString path = openLocalContract(0, {});
    const std::string before = fixture::readFile(path.toStdString());
    placeSeal(seals[0].id);
    SignItem* item = page.currentFrame()->canvas()->getSignItems().value(0);
    ASSERT_NE(nullptr, item);
    const QPoint top = item->pdfTopPos();
    standin.clearRequests();
    page.currentFrame()->rightToolBar()->finishButton()->click();
    EXPECT_EQ(1, codeDialogs);
    EXPECT_EQ(0, page.tabWidget()->count());
    EXPECT_EQ(before, fixture::readFile(path.toStdString()));

    // The placement as reported: a company's seal at the item's top-left of page 1.
    const QList<StandinRequest> placed = standin.requests(kTc + "/contract/detail/add");
    ASSERT_EQ(1, placed.size());
    const QJsonObject d = placed[0].json;
    EXPECT_EQ("seal", d.value("signType").toString());
    EXPECT_EQ(0, d.value("pageIndex").toInt());
    EXPECT_EQ(top.y(), d.value("signTop").toInt());
    EXPECT_EQ(top.x(), d.value("signLeft").toInt());
    EXPECT_EQ(seals[0].id, d.value("sealId").toString());
    EXPECT_FALSE(d.value("signTimestamp").toString().isEmpty());
    // The initiator is the only signer, reported with the SMS proof.
    const QList<StandinRequest> joins = standin.requests(kTc + "/add/contract-join-user/list");
    ASSERT_EQ(1, joins.size());

    const QString contractId = d.value("contractId").toString();
    EXPECT_EQ("completed", contractState(contractId));
    QString fileId;
    ASSERT_TRUE(client->queryContractBussiness(contractId, fileId, nullptr));
    const QByteArray stored = client->getFileDataById(fileId);
    ASSERT_GT(stored.size(), qsizetype(before.size()));
    EXPECT_TRUE(independentlyVerified(stored.toStdString(), cert));

    PdfEngine reader;
    ASSERT_EQ(0, reader.LoadStream(stored, nullptr));
    reader.CutOutPages();
    ASSERT_EQ(1, reader.DocumentSignatureCount());
    // The signature field's name, from the update that added it.
    const QRegularExpressionMatch field = QRegularExpression(R"(/T\s*\(([^)]+)\))").match(QString::fromLatin1(stored));
    ASSERT_TRUE(field.hasMatch());
    vq_signature* sig = reader.getSignatureByName(field.captured(1));
    ASSERT_NE(nullptr, sig);
    EXPECT_EQ("ksign", reader.GetSignatureCustom(sig));
    int vcode = -1, docRet = -1, ts = -1, certRet = -1;
    QString signer, signTime;
    QByteArray certData, tsCert, tsTime;
    reader.VerifySinature(sig, vcode, docRet, ts, certRet, signer, certData, signTime, tsCert, tsTime);
    EXPECT_EQ(0, vcode);
    EXPECT_EQ(0, docRet);
}

// A seal placed before the account's certificate was renewed is signed with the renewed
// certificate: the service signs only for the current one, and the stored file verifies with it.
TEST_F(ContractFinish, SealPlacedBeforeARenewalIsSignedWithTheRenewedCertificate)
{
    loginWithSeals(kCompany);
    openLocalContract(0, {});
    placeSeal(seals[0].id);
    standin.withState([](StandinState& s) { ASSERT_TRUE(standinRenewCertificate(s, kCompany)); });
    // What the payment dialog does once the renewal is paid.
    ASSERT_EQ(0, getServerCertAndTime());
    QByteArray renewed;
    ASSERT_TRUE(client->getMyCert(renewed));
    ASSERT_NE(cert, renewed);
    standin.clearRequests();
    page.currentFrame()->rightToolBar()->finishButton()->click();
    EXPECT_EQ(0, page.tabWidget()->count()) << toasts.texts().join("\n").toStdString();
    const QList<StandinRequest> placed = standin.requests(kTc + "/contract/detail/add");
    ASSERT_EQ(1, placed.size());
    const QString contractId = placed[0].json.value("contractId").toString();
    EXPECT_EQ("completed", contractState(contractId));
    QString fileId;
    ASSERT_TRUE(client->queryContractBussiness(contractId, fileId, nullptr));
    const std::string stored = client->getFileDataById(fileId).toStdString();
    EXPECT_TRUE(independentlyVerified(stored, renewed));
    EXPECT_FALSE(independentlyVerified(stored, cert));
}

// Failures part-way: the user is told which step failed, the tab stays with its seal and the
// local file is unchanged; unreadable document bytes send nothing at all.
TEST_F(ContractFinish, FailuresNameTheStepAndLeaveDocumentAndTab)
{
    loginWithSeals(kCompany);
    struct Case {
        const char* failing;   // path scripted to fail; empty: the document is unreadable
        const char* toast;
    } cases[] = {
        {"/tarvik-serve-manage-wexo/contract/issue", "发起合同失败，合同未完成，本地文档未改动"},
        {"/tarvik-serve-manage-wexo/function/batch-sign/contract", "确认签署失败，合同未完成，本地文档未改动"},
        {"", "读取文档失败，请检查文档后重试"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.toast);
        const QString path = openLocalContract(0, {});
        const std::string before = fixture::readFile(path.toStdString());
        placeSeal(seals[0].id);
        const int tabs = page.tabWidget()->count();
        standin.clearRequests();
        if (*c.failing)
            standin.script(c.failing, StandinScript::withEnvelope(QJsonObject{{"code", 4006}, {"msg", "refused"}}));
        else
            fixture::writeFile(path.toStdString(), "");
        page.currentFrame()->rightToolBar()->finishButton()->click();
        standin.clearScripts();
        EXPECT_EQ(u8(c.toast), toasts.texts().last());
        EXPECT_EQ(tabs, page.tabWidget()->count());
        EXPECT_EQ(1, page.currentFrame()->canvas()->getSignItems().size());
        EXPECT_FALSE(page.signLoading()->isVisible());
        if (*c.failing) {
            EXPECT_EQ(before, fixture::readFile(path.toStdString()));
            EXPECT_EQ(0, standin.requests(kSc + "/contract/affirm/sign").size());
            EXPECT_EQ(0, standin.requests("/eseal-file/file/updateFile").size());
        } else {
            // The consent was asked; nothing of the contract was sent.
            EXPECT_EQ((QStringList{kSc + "/function/send/sign-security-code",
                                   kSc + "/function/check/sign-security-code"}),
                      paths());
        }
        EXPECT_EQ(1, codeDialogs);
        page.closeAllTab();
        codeDialogs = 0;
    }
}

// An acceptance the service refuses shows no success and keeps the tab; one it accepts closes it.
TEST_F(ContractFinish, FailedAcceptanceShowsNoSuccessAndKeepsTheTab)
{
    loginWithSeals(kMe);
    // Not yet confirmed by the company: the service refuses the acceptance.
    RightToolBarUserAuth* panel = openGrant("g-1", 10, false);
    ASSERT_NE(nullptr, panel);
    const QSignalSpy red(&page, &SignPage::isHiddenRed);
    panel->actionButton()->click();
    EXPECT_EQ(1, codeDialogs);
    EXPECT_FALSE(toasts.texts().contains(u8("已接受授权")));
    EXPECT_EQ(1, page.tabWidget()->count());
    EXPECT_EQ(0, red.count());

    // A wrong code: the same.
    smsCode = "000000";
    panel->actionButton()->click();
    EXPECT_FALSE(toasts.texts().contains(u8("已接受授权")));
    EXPECT_EQ(1, page.tabWidget()->count());
}

// The panel's one action follows the authorisation's state and the account kind; each signal
// carries the authorisation id; the two tabs show one page at a time.
TEST_F(ContractFinish, AuthorisationPanelOffersTheActionItsStateAllows)
{
    struct Case {
        int status;
        const char* account;
        const char* action;
        bool enabled;
        bool refuseShown;
        const char* signal;   // the signal the action emits, empty when disabled
    } cases[] = {
        {10, kCompany, "终止授权", true, false, "stop"},   {10, kMe, "接收授权", true, true, "accept"},
        {20, kCompany, "终止授权", true, false, "stop"},   {20, kMe, "授权完成", false, false, ""},
        {40, kCompany, "授权已结束", false, false, ""},    {70, kMe, "授权已结束", false, false, ""},
        {0, kCompany, "开始授权", true, false, "finish"},  {30, kMe, "开始授权", true, false, "finish"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.status) + " " + c.account);
        ASSERT_TRUE(loginAs(c.account));
        StartAuthSuccessInfo info;
        info.authId = "g-9";
        info.authorizeStatus = c.status;
        info.control = false;
        ContractSignerInfo signer;
        signer.userName = "A";
        RightToolBarUserAuth panel(info, {signer}, nullptr);
        QStringList emitted;
        QObject::connect(&panel, &RightToolBarUserAuth::stopAutnBtn, [&](const QString& id) { emitted << "stop " + id; });
        QObject::connect(&panel, &RightToolBarUserAuth::acceptAutnBtn, [&](const QString& id) { emitted << "accept " + id; });
        QObject::connect(&panel, &RightToolBarUserAuth::refuseAutnBtn, [&](const QString& id) { emitted << "refuse " + id; });
        QObject::connect(&panel, &RightToolBarUserAuth::finishAutnBtn, [&](const QString& id) { emitted << "finish " + id; });
        EXPECT_EQ(u8(c.action), panel.actionButton()->text());
        EXPECT_EQ(c.enabled, panel.actionButton()->isEnabled());
        EXPECT_EQ(c.refuseShown, !panel.refuseButton()->isHidden());
        panel.actionButton()->click();
        panel.refuseButton()->click();
        QStringList expected;
        if (*c.signal)
            expected << QString(c.signal) + " g-9";
        if (c.refuseShown)
            expected << "refuse g-9";
        EXPECT_EQ(expected, emitted);

        // Unlimited counts; an empty remark leaves the placeholder; a signer without a time has
        // no time line.
        const QStringList texts = [&] {
            QStringList out;
            for (QLabel* l : panel.authFrame()->findChildren<QLabel*>())
                out << l->text();
            return out;
        }();
        EXPECT_EQ(2, texts.count(u8("不限次数")));
        EXPECT_EQ(u8("备注"), panel.signFrame()->findChild<QTextEdit*>("remarkEdit")->toPlainText());
        EXPECT_TRUE(panel.signFrame()->findChild<QLabel*>("signerTime")->isHidden());

        EXPECT_FALSE(panel.authFrame()->isHidden());
        EXPECT_TRUE(panel.signFrame()->isHidden());
        panel.tabGroup()->button(1)->click();
        EXPECT_TRUE(panel.authFrame()->isHidden());
        EXPECT_FALSE(panel.signFrame()->isHidden());
        panel.tabGroup()->button(0)->click();
        EXPECT_FALSE(panel.authFrame()->isHidden());
        EXPECT_TRUE(panel.signFrame()->isHidden());
    }
}
