// Finishing a contract in the order the workspace runs the requests, stopping at the first
// one that fails, and what the contract lists show afterwards.

#include "ContractTestSupport.h"
#include "LoadingWidget.h"

namespace {

const QString kSc = "/tarvik-serve-manage-wexo";
const QString kTc = "/tarvik-contract";

// What finishing a new contract yields.
struct Finished {
    QString contractId;
    QString joinUserId;
    QStringList steps;   // the steps that succeeded, in order
};

} // namespace

class ContractLifecycle : public ContractTest
{
protected:
    // Upload, draft, signers (the user first), issue, placements, SMS signing, affirm; stops at
    // the first step that returns 0, as the workspace does.
    Finished finish(const QStringList& accounts, const QString& smsCode, LoadingWidget* box = nullptr)
    {
        Finished f;
        auto step = [&f](const char* name, int result) {
            if (result)
                f.steps << name;
            return result != 0;
        };
        QString url, fileId, proofTime;
        ContractAddDrafts drafts;
        if (!step("sms", client->contractSmsSignVerBusiness("", "")) ||
            !step("proof", client->sureSignSmsVerBusiness(kSmsCode, proofTime)))
            return f;
        const QByteArray pdf = "%PDF-1.4\n1 0 obj<<>>endobj\ntrailer<<>>\n%%EOF\n";
        if (!step("upload", client->fileUpLoad("file.pdf", "private", u8("合同"), "application/octet-stream", url, pdf,
                                               fileId, box)))
            return f;
        if (!step("draft", client->contractAddBus(drafts, fileId, u8("采购合同"), "1", "0", "0", "0", "2099-12-31 23:59:59",
                                                  u8("无"), box)))
            return f;
        f.contractId = drafts.contractId;
        if (!step("clear signers", client->deleteContractJoinUser(f.contractId, box)))
            return f;
        QList<SignerInfo> signers;
        for (const QString& account : accounts) {
            SignerInfo s;
            QString type;
            if (!step("signatory", client->addContractSignatory(account, "", s.userId, type, box)))
                return f;
            s.userType = type.toInt();
            signers << s;
        }
        if (!step("signers", client->batchAddContractUser(f.contractId, signers, proofTime, "1", f.joinUserId, box)))
            return f;
        if (!step("issue", client->contractIssueBus(f.contractId, u8("采购合同"), "1", "0", u8("无"), box)))
            return f;
        SealDetails d;
        d.contractId = f.contractId;
        d.contractJoinUserId = f.joinUserId;
        d.sealId = "personal-sign";
        d.signType = NetWorkBusiness::getContractSignType(NetWorkBusiness::ntst_sign);
        d.pageIndex = 0;
        d.signTop = 500;
        d.signLeft = 320;
        if (!step("placements", client->batchAddContractDetailBus({d}, box)))
            return f;
        if (!step("sign", client->batchSignContractBus(f.joinUserId, smsCode, box)))
            return f;
        step("affirm", client->affirmSignBus(f.joinUserId, box));
        return f;
    }

    QList<ContractInfo> page(int status, int* pages = nullptr)
    {
        QList<ContractInfo> list;
        int total = 0;
        EXPECT_EQ(client->queryContractBusinessAboutmePage(list, status, total, nullptr, "", "", "", 3, 1, 10), 1);
        if (pages)
            *pages = total;
        return list;
    }
};

TEST_F(ContractLifecycle, FinishedContractWaitsForTheOtherSigner)
{
    ASSERT_TRUE(login());
    LoadingWidget box(nullptr, Qt::Horizontal);
    box.show();
    const Finished f = finish({kAccount, kPerson}, kSmsCode, &box);
    EXPECT_EQ(f.steps, QStringList({"sms", "proof", "upload", "draft", "clear signers", "signatory", "signatory", "signers",
                                    "issue", "placements", "sign", "affirm"}));
    // The busy box stays up through the sequence; affirming hides it.
    EXPECT_FALSE(box.isVisible());
    EXPECT_EQ(standin.shapeErrors(), QStringList());

    // The placement went out with numbers and a 0-based page.
    const QJsonArray sentPlacements = QJsonDocument::fromJson(lastBody(kTc + "/function/batch-add/contract-detail")).array();
    ASSERT_EQ(sentPlacements.size(), 1);
    EXPECT_TRUE(sentPlacements[0].toObject().value("signTop").isDouble());
    EXPECT_EQ(sentPlacements[0].toObject().value("pageIndex").toInt(-1), 0);

    int pages = 0;
    const QList<ContractInfo> waiting = page(NetWorkBusiness::cs_waitforother, &pages);
    ASSERT_EQ(waiting.size(), 1);
    EXPECT_EQ(pages, 1);
    EXPECT_EQ(waiting[0].contractId, f.contractId);
    EXPECT_EQ(waiting[0].contractName, u8("采购合同"));
    EXPECT_EQ(NetWorkBusiness::getContractStatus(waiting[0].status), int(NetWorkBusiness::cs_waitforother));
    EXPECT_TRUE(page(NetWorkBusiness::cs_waitforme).isEmpty());
    EXPECT_TRUE(page(NetWorkBusiness::cs_drafts).isEmpty());

    // The signers as the document centre opens them.
    QList<ContractSignerInfo> signers;
    ASSERT_EQ(client->queryContractJoinuser(f.contractId, signers, nullptr), 1);
    ASSERT_EQ(signers.size(), 2);

    // The recorded placement comes back with its positions read from text.
    ContractGetDetails first;
    ASSERT_EQ(client->contractGetDetailsBus(first, f.contractId, nullptr), 1);
    EXPECT_EQ(first.sealId, "personal-sign");
    EXPECT_EQ(first.pageIndex, 0);
    EXPECT_EQ(first.signTop, 500);
    EXPECT_EQ(first.signLeft, 320);

    // The other signer sees it waiting, signs again over cleared placements and completes it.
    ASSERT_TRUE(loginPerson());
    const QList<ContractInfo> mine = page(NetWorkBusiness::cs_waitforme);
    ASSERT_EQ(mine.size(), 1);
    const QString join = mine[0].contractJoinUserId;
    ASSERT_EQ(client->applyForSignBus(f.contractId, nullptr), 1);
    QList<ContractDetails> old;
    ASSERT_EQ(client->getContractDetails(join, old, nullptr), 1);
    EXPECT_TRUE(old.isEmpty());
    SealDetails d;
    d.contractId = f.contractId;
    d.contractJoinUserId = join;
    d.sealId = "s";
    d.signType = "seal";
    d.pageIndex = 0;
    ASSERT_EQ(client->batchAddContractDetailBus({d}, nullptr), 1);
    ASSERT_EQ(client->getContractDetails(join, old, nullptr), 1);
    ASSERT_EQ(old.size(), 1);
    ASSERT_EQ(client->clearContractDetails(old[0].contractDetailId, nullptr), 1);
    ASSERT_EQ(client->batchAddContractDetailBus({d}, nullptr), 1);
    // A USB-key signing needs no SMS code.
    ASSERT_EQ(client->batchSignContractBusKey(join, "", nullptr), 1);
    ASSERT_EQ(client->affirmSignBus(join, nullptr), 1);
    const QList<ContractInfo> done = page(NetWorkBusiness::cs_completed);
    ASSERT_EQ(done.size(), 1);
    EXPECT_EQ(done[0].contractId, f.contractId);
}

TEST_F(ContractLifecycle, FailingStepStopsTheSequence)
{
    ASSERT_TRUE(login());
    QSignalSpy errors(client, &NetWorkBusiness::sendErroeCodeInfo);
    LoadingWidget box(nullptr, Qt::Horizontal);
    box.show();
    // A wrong SMS code: the signing fails, nothing is affirmed, the contract still waits for me.
    const Finished f = finish({kAccount}, "000000", &box);
    EXPECT_EQ(f.steps.last(), "placements");
    EXPECT_TRUE(standin.requests(kSc + "/contract/affirm/sign").isEmpty());
    EXPECT_FALSE(box.isVisible());
    ASSERT_EQ(errors.count(), 1);
    EXPECT_EQ(errors.first().at(1).toString(), u8("验证码错误"));
    const QList<ContractInfo> mine = page(NetWorkBusiness::cs_waitforme);
    ASSERT_EQ(mine.size(), 1);
    EXPECT_EQ(mine[0].contractId, f.contractId);

    // Affirming without a confirmed signing is refused too.
    EXPECT_EQ(client->affirmSignBus(f.joinUserId, nullptr), 0);

    // A signer the service does not know: no signer list, no issuing, no signing.
    standin.clearRequests();
    const Finished g = finish({kAccount, "19900000099"}, kSmsCode, &box);
    EXPECT_EQ(g.steps.last(), "signatory");
    EXPECT_TRUE(standin.requests(kTc + "/add/contract-join-user/list").isEmpty());
    EXPECT_TRUE(standin.requests(kSc + "/contract/issue").isEmpty());
    EXPECT_TRUE(standin.requests(kSc + "/function/batch-sign/contract").isEmpty());
    EXPECT_FALSE(box.isVisible());
    // It stays a draft the user can delete.
    const QList<ContractInfo> drafts = page(NetWorkBusiness::cs_drafts);
    ASSERT_EQ(drafts.size(), 1);
    EXPECT_EQ(drafts[0].contractId, g.contractId);
    EXPECT_EQ(client->delContractBusiness(g.contractId, nullptr), 1);
    EXPECT_TRUE(page(NetWorkBusiness::cs_drafts).isEmpty());
}

TEST_F(ContractLifecycle, DraftUpdateRefusalAndReminder)
{
    ASSERT_TRUE(login());
    QString url, fileId;
    ASSERT_EQ(client->fileUpLoad("file.pdf", "private", u8("合同"), "application/octet-stream", url, "%PDF", fileId, nullptr), 1);
    ContractAddDrafts drafts;
    ASSERT_EQ(client->contractAddBus(drafts, fileId, "a", "1", "0", "0", "0", "", "", nullptr), 1);
    ASSERT_EQ(client->updateContract(drafts.contractId, u8("新名称"), "", "0", "0", "", "", "0", "0", "", nullptr), 1);
    QList<ContractInfo> list;
    ASSERT_EQ(client->queryContractBusinessAboutme(list, NetWorkBusiness::cs_drafts, nullptr, u8("新名称"), "", "", 3), 1);
    ASSERT_EQ(list.size(), 1);
    QString stored;
    ASSERT_EQ(client->queryContractBussiness(drafts.contractId, stored, nullptr), 1);
    EXPECT_EQ(stored, fileId);
    // A draft without signers cannot be issued; reminding needs an issued contract.
    EXPECT_EQ(client->contractIssueBus(drafts.contractId, "a", "1", "0", "", nullptr), 0);
    EXPECT_EQ(client->remindcontractBusiness(drafts.contractId, nullptr), 0);

    QString userId, type, join;
    ASSERT_EQ(client->addContractSignatory(kPerson, "", userId, type, nullptr), 1);
    SignerInfo s;
    s.userId = userId;
    ASSERT_EQ(client->batchAddContractUser(drafts.contractId, {s}, "", "", join, nullptr), 1);
    ASSERT_EQ(client->contractIssueBus(drafts.contractId, "a", "1", "0", "", nullptr), 1);
    EXPECT_EQ(client->remindcontractBusiness(drafts.contractId, nullptr), 1);
    // The issuer cannot refuse on the signer's behalf; the signer can.
    EXPECT_EQ(client->contractRefusesignBusiness(join, nullptr), 0);
    ASSERT_TRUE(loginPerson());
    ASSERT_EQ(client->contractRefusesignBusiness(join, nullptr), 1);
    list.clear();
    ASSERT_EQ(client->queryContractBusinessAboutme(list, NetWorkBusiness::cs_refuse, nullptr, "", "", "", 3), 1);
    ASSERT_EQ(list.size(), 1);
    EXPECT_EQ(NetWorkBusiness::getContractStatus(list[0].status), int(NetWorkBusiness::cs_refuse));
}
