// Each contract, file and template request against the stand-in: the exact body its arguments
// give, and the records a canned reply gives.

#include "ContractTestSupport.h"
#include "LoadingWidget.h"

#include <QImage>
#include <QSettings>
#include <functional>

namespace {

const QString kSc = "/tarvik-serve-manage-wexo";
const QString kTc = "/tarvik-contract";

struct BodyCase {
    const char* what;
    QString path;
    std::function<void(NetWorkBusiness*)> run;
    QByteArray expected;   // the whole body as sent
};

QByteArray obj(const QJsonObject& o)
{
    return QJsonDocument(o).toJson();
}

SignerInfo signer(const char* id, int type)
{
    SignerInfo s;
    s.userId = id;
    s.userType = type;
    return s;
}

SealDetails placement(const char* seal, int page, int top, int left)
{
    SealDetails d;
    d.contractId = "c-9";
    d.contractJoinUserId = "j-9";
    d.isLock = 0;
    d.sealId = seal;
    d.signType = "seal";
    d.pageIndex = page;
    d.signTop = top;
    d.signLeft = left;
    d.signIp = "192.168.1.20";
    d.certificateSerialNumber = "0A1B";
    d.signTimestamp = "20240101120000";
    return d;
}

} // namespace

using ContractRequests = ContractTest;

TEST_F(ContractRequests, ArgumentsGiveTheExactBody)
{
    ASSERT_TRUE(login());
    QString s1, s2;
    QList<ContractSignerInfo> signers;
    QList<ContractInfo> contracts;
    QList<ContractDetails> details;
    ContractAddDrafts drafts;
    ContractGetDetails first;
    QList<TemplateInfo> templates;
    int pages = 0;
    const BodyCase cases[] = {
        {"contract mark", kSc + "/local/function/get/contract-mark",
         [&](NetWorkBusiness* c) { c->getContractMark(s1, nullptr); }, QByteArray()},
        {"draft", kSc + "/contract/add",
         [&](NetWorkBusiness* c) {
             c->contractAddBus(drafts, "f-1", u8("采购合同"), "1", "0", "2", "3", "2030-01-01", u8("备注"), nullptr);
         },
         obj({{"pdfFileSaveId", "f-1"}, {"contractName", u8("采购合同")}, {"contractType", "1"}, {"signRule", "0"},
              {"representType", "2"}, {"representIndex", "3"}, {"signEndDate", "2030-01-01"}, {"remark", u8("备注")}})},
        {"update", kTc + "/update/contract",
         [&](NetWorkBusiness* c) { c->updateContract("c-1", "n", "2", "r", "p", "t", "m", "rt", "ri", "2030", nullptr); },
         obj({{"contractId", "c-1"}, {"contractName", "n"}, {"contractType", "2"}, {"signRule", "r"}, {"signPattern", "p"},
              {"theme", "t"}, {"remark", "m"}, {"representType", "rt"}, {"representIndex", "ri"}, {"signEndDate", "2030"}})},
        {"update without type", kTc + "/update/contract",
         [&](NetWorkBusiness* c) { c->updateContract("c-1", "n", "", "r", "p", "t", "m", "rt", "ri", "2030", nullptr); },
         obj({{"contractId", "c-1"}, {"contractName", "n"}, {"signRule", "r"}, {"signPattern", "p"}, {"theme", "t"},
              {"remark", "m"}, {"representType", "rt"}, {"representIndex", "ri"}, {"signEndDate", "2030"}})},
        {"issue", kSc + "/contract/issue",
         [&](NetWorkBusiness* c) { c->contractIssueBus("c-1", "n", "1", "0", "m", nullptr); },
         obj({{"contractId", "c-1"}, {"contractName", "n"}, {"contractType", "1"}, {"signRule", "0"}, {"remark", "m"}})},
        {"delete", kSc + "/contract/delete", [&](NetWorkBusiness* c) { c->delContractBusiness("c-2", nullptr); },
         obj({{"contractId", "c-2"}})},
        {"signatory", "/eseal-usermanage/contacts/add/signatory",
         [&](NetWorkBusiness* c) { c->addContractSignatory("13700000000", u8("张三"), s1, s2, nullptr); },
         obj({{"addValue", "13700000000"}, {"remarkName", u8("张三")}})},
        {"delete signers", kTc + "/delete/contract-join-user/list",
         [&](NetWorkBusiness* c) { c->deleteContractJoinUser("c-3", nullptr); }, obj({{"contractId", "c-3"}})},
        {"signer list", kTc + "/add/contract-join-user/list",
         [&](NetWorkBusiness* c) {
             c->batchAddContractUser("c-4", {signer("u-1", 0), signer("u-2", 2)}, "2024-05-01 10:00:00", "1", s1, nullptr);
         },
         obj({{"contractId", "c-4"},
              {"joinUserList",
               QJsonArray{QJsonObject{{"contractId", "c-4"}, {"userId", "u-1"}, {"userType", "0"}, {"signOrder", 1},
                                      {"proofTime", "2024-05-01 10:00:00"}, {"proofType", "1"}},
                          QJsonObject{{"contractId", "c-4"}, {"userId", "u-2"}, {"userType", "2"}, {"signOrder", 2},
                                      {"proofTime", "2024-05-01 10:00:00"}, {"proofType", "1"}}}}})},
        {"signer list without proof", kTc + "/add/contract-join-user/list",
         [&](NetWorkBusiness* c) { c->batchAddContractUser("c-4", {signer("u-1", 0)}, "", "", s1, nullptr); },
         obj({{"contractId", "c-4"},
              {"joinUserList", QJsonArray{QJsonObject{{"contractId", "c-4"}, {"userId", "u-1"}, {"userType", "0"}, {"signOrder", 1}}}}})},
        {"empty signer list", kTc + "/add/contract-join-user/list",
         [&](NetWorkBusiness* c) { c->batchAddContractUser("c-4", {}, "t", "1", s1, nullptr); },
         obj({{"contractId", "c-4"}, {"joinUserList", QJsonArray()}})},
        {"one signer", kTc + "/contract/user/add",
         [&](NetWorkBusiness* c) { c->addContractUser("c-5", "u-1", "0", "acc", "ph", "em", "0", 3, s1, "", "2", nullptr); },
         obj({{"contractId", "c-5"}, {"userId", "u-1"}, {"userType", "0"}, {"signOrder", 3}, {"proofType", "2"}})},
        {"signer proof", kTc + "/update/contract-user",
         [&](NetWorkBusiness* c) { c->updateContractUser("j-1", "1", "2024", nullptr); },
         obj({{"contractJoinUserId", "j-1"}, {"proofType", "1"}, {"proofTime", "2024"}})},
        {"signers", kSc + "/query/list/group/contract-join-user",
         [&](NetWorkBusiness* c) { c->queryContractJoinuser("c-6", signers, nullptr); }, obj({{"contractId", "c-6"}})},
        {"document", kTc + "/query/contract", [&](NetWorkBusiness* c) { c->queryContractBussiness("c-7", s1, nullptr); },
         obj({{"contractId", "c-7"}})},
        {"list", kSc + "/contract/query/about/me",
         [&](NetWorkBusiness* c) { c->queryContractBusinessAboutme(contracts, 2, nullptr, "n", "a", "b", 1); },
         obj({{"contractStatus", "wait_for_other"}, {"contractName", "n"}, {"signEndFromTime", "a"}, {"signEndToTime", "b"}})},
        {"page 0", kSc + "/contract/query/about/me/paging",
         [&](NetWorkBusiness* c) { c->queryContractBusinessAboutmePage(contracts, 0, pages, nullptr, "", "", "", 3, 0, 10); },
         obj({{"entity", QJsonObject()}, {"pageBean", QJsonObject()}})},
        {"page 2", kSc + "/contract/query/about/me/paging",
         [&](NetWorkBusiness* c) { c->queryContractBusinessAboutmePage(contracts, 6, pages, nullptr, "", "x", "y", 0, 2, 8); },
         obj({{"entity", QJsonObject{{"contractStatus", "drafts"}, {"startFromTime", "x"}, {"startToTime", "y"}}},
              {"pageBean", QJsonObject{{"pageNum", 2}, {"pageSize", 8}}}})},
        {"first placement", kTc + "/contract/getDetails",
         [&](NetWorkBusiness* c) { c->contractGetDetailsBus(first, "c-8", nullptr); }, obj({{"contractId", "c-8"}})},
        {"signer placements", kTc + "/contract/getDetails",
         [&](NetWorkBusiness* c) { c->getContractDetails("j-8", details, nullptr); }, obj({{"contractJoinUserId", "j-8"}})},
        {"clear placement", kTc + "/delete/contract/detail",
         [&](NetWorkBusiness* c) { c->clearContractDetails("p-8", nullptr); }, obj({{"contractDetailId", "p-8"}})},
        {"send sms", kSc + "/function/send/sign-security-code",
         [&](NetWorkBusiness* c) { c->contractSmsSignVerBusiness("13800000000", "13800000000"); }, obj({})},
        {"check sms", kSc + "/function/check/sign-security-code",
         [&](NetWorkBusiness* c) { c->sureSignSmsVerBusiness("000000", s1); }, obj({{"securityCode", "000000"}})},
        {"apply", kSc + "/function/apply-for-sign", [&](NetWorkBusiness* c) { c->applyForSignBus("c-9", nullptr); },
         obj({{"contractId", "c-9"}})},
        {"placements", kTc + "/function/batch-add/contract-detail",
         [&](NetWorkBusiness* c) { c->batchAddContractDetailBus({placement("s-1", 0, 120, 75), placement("s-2", 3, 5, 6)}, nullptr); },
         QJsonDocument(QJsonArray{placement("s-1", 0, 120, 75).toJson(), placement("s-2", 3, 5, 6).toJson()}).toJson()},
        {"no placements", kTc + "/function/batch-add/contract-detail",
         [&](NetWorkBusiness* c) { c->batchAddContractDetailBus({}, nullptr); }, QJsonDocument(QJsonArray()).toJson()},
        {"sms sign", kSc + "/function/batch-sign/contract",
         [&](NetWorkBusiness* c) { c->batchSignContractBus("j-9", "246810", nullptr); },
         obj({{"contractJoinUserId", "j-9"}, {"securityCode", "246810"}})},
        {"key sign", kSc + "/function/uk-sign/contract",
         [&](NetWorkBusiness* c) { c->batchSignContractBusKey("j-9", "ignored", nullptr); },
         obj({{"contractJoinUserId", "j-9"}, {"securityCode", "0b7d93a1e5c2f8d4a6b09e3c71f2d5a8"}})},
        {"affirm", kSc + "/contract/affirm/sign", [&](NetWorkBusiness* c) { c->affirmSignBus("j-9", nullptr); },
         obj({{"contractJoinUserId", "j-9"}})},
        {"refuse", kSc + "/contract/refuse/sign", [&](NetWorkBusiness* c) { c->contractRefusesignBusiness("j-9", nullptr); },
         obj({{"contractJoinUserId", "j-9"}})},
        {"remind", kSc + "/function/remind-user-sign-contract",
         [&](NetWorkBusiness* c) { c->remindcontractBusiness("c-9", nullptr); }, obj({{"contractId", "c-9"}})},
        {"one placement", kTc + "/contract/detail/add",
         [&](NetWorkBusiness* c) { c->addContractSeal("c-9", "j-9", 1, "s-1", 1, 2, 30, 40, "SN", "TS", nullptr); },
         obj({{"contractId", "c-9"}, {"contractJoinUserId", "j-9"}, {"isLock", 1}, {"sealId", "s-1"}, {"signType", "sign"},
              {"pageIndex", 2}, {"signTop", 30}, {"signLeft", 40}, {"certificateSerialNumber", "SN"}, {"signTimestamp", "TS"}})},
        {"signed document", kSc + "/local/function/affirm/contract",
         [&](NetWorkBusiness* c) { c->makeContractSign("c-9", "f-9", nullptr); },
         obj({{"contractId", "c-9"}, {"pdfFileSaveId", "f-9"}})},
        {"drop mark", kSc + "/local/function/delete/contract-mark",
         [&](NetWorkBusiness* c) { c->deleteContractMar("c-9"); }, obj({{"contractId", "c-9"}})},
        {"file token", "/eseal-file/file/getToken", [&](NetWorkBusiness* c) { c->getFileServerToken(s1, nullptr); },
         QByteArray()},
        {"templates", "/eseal-contract-template/default-template/dfQuery",
         [&](NetWorkBusiness* c) { c->getTemplateBusiness(templates, nullptr); }, obj({})},
    };
    QSignalSpy errors(client, &NetWorkBusiness::sendErroeCodeInfo);
    for (const BodyCase& c : cases) {
        standin.clearRequests();
        c.run(client);
        const QList<StandinRequest> sent = standin.requests(c.path);
        ASSERT_EQ(sent.size(), 1) << c.what;
        EXPECT_EQ(sent.first().method, "POST") << c.what;
        EXPECT_EQ(sent.first().body, c.expected) << c.what << "\n" << sent.first().body.constData();
        EXPECT_EQ(sent.first().header("token"), client->sessionToken().toUtf8()) << c.what;
        EXPECT_EQ(sent.first().header("content-type"), "application/json") << c.what;
    }
    // The stand-in accepted every shape (failures are of state only).
    for (const QList<QVariant>& e : errors)
        EXPECT_FALSE(e.at(1).toString().contains(u8("请求参数不符"))) << e.at(1).toString().toStdString();
}

TEST_F(ContractRequests, DraftAndSignerRepliesFillRecords)
{
    ASSERT_TRUE(login());
    cannedReply(kSc + "/contract/add",
                success(QJsonObject{{"contractAddDrafts", "d-1"}, {"contractId", "c-1"}, {"contractName", "n"},
                                    {"pdfFileSaveId", "f-1"}, {"status", "drafts"}, {"signOrder", 3}}));
    ContractAddDrafts drafts;
    drafts.remark = "kept?";
    EXPECT_EQ(client->contractAddBus(drafts, "f-1", "n", "", "", "", "", "", "", nullptr), 1);
    EXPECT_EQ(drafts.id, "d-1");
    EXPECT_EQ(drafts.contractId, "c-1");
    EXPECT_EQ(drafts.pdfFileSaveId, "f-1");
    EXPECT_EQ(drafts.status, "drafts");
    EXPECT_TRUE(drafts.signOrder.isEmpty());   // a number where text is expected reads as empty
    EXPECT_TRUE(drafts.remark.isEmpty());

    QString id = "old", type = "old";
    cannedReply("/eseal-usermanage/contacts/add/signatory", success(QJsonObject{{"id", "u-7"}, {"userType", 2}}));
    EXPECT_EQ(client->addContractSignatory("a", "", id, type, nullptr), 1);
    EXPECT_EQ(id, "u-7");
    EXPECT_EQ(type, "2");
    cannedReply("/eseal-usermanage/contacts/add/signatory", success(QJsonObject{{"id", "u-8"}}));
    EXPECT_EQ(client->addContractSignatory("a", "", id, type, nullptr), 1);
    EXPECT_EQ(type, "0");
    cannedReply("/eseal-usermanage/contacts/add/signatory", QJsonObject{{"code", 4011}, {"msg", "no"}, {"data", QJsonObject{{"id", "x"}}}});
    EXPECT_EQ(client->addContractSignatory("a", "", id, type, nullptr), 0);
    EXPECT_EQ(id, "u-8");

    QString joinId;
    cannedReply(kTc + "/add/contract-join-user/list",
                success(QJsonArray{QJsonObject{{"contractJoinUserId", "j-1"}}, QJsonObject{{"contractJoinUserId", "j-2"}}}));
    EXPECT_EQ(client->batchAddContractUser("c", {signer("u", 0)}, "", "", joinId, nullptr), 1);
    EXPECT_EQ(joinId, "j-1");
    joinId.clear();
    cannedReply(kTc + "/add/contract-join-user/list", success(QJsonArray()));
    EXPECT_EQ(client->batchAddContractUser("c", {}, "", "", joinId, nullptr), 1);
    EXPECT_TRUE(joinId.isEmpty());

    QList<ContractSignerInfo> signers;
    cannedReply(kSc + "/query/list/group/contract-join-user",
                success(QJsonObject{{"others", QJsonArray{QJsonObject{{"userName", u8("李四")}, {"signOrder", 2}, {"role", "r"},
                                                                      {"signStatus", "signed"}, {"signDate", "d"},
                                                                      {"userAccount", "acc"}, {"me", true}}}}}));
    EXPECT_EQ(client->queryContractJoinuser("c", signers, nullptr), 1);
    ASSERT_EQ(signers.size(), 1);
    EXPECT_EQ(signers[0].userName, u8("李四"));
    EXPECT_EQ(signers[0].signOrder, 2);
    EXPECT_EQ(signers[0].signStatu, "signed");
    EXPECT_EQ(signers[0].signDate, "d");
    EXPECT_FALSE(signers[0].me);
    cannedReply(kSc + "/query/list/group/contract-join-user", success(QJsonObject{}));
    EXPECT_EQ(client->queryContractJoinuser("c", signers, nullptr), 1);
    EXPECT_EQ(signers.size(), 1);

    QString file;
    cannedReply(kTc + "/query/contract", success(QJsonObject{{"pdfFileSaveId", "f-3"}}));
    EXPECT_EQ(client->queryContractBussiness("c", file, nullptr), 1);
    EXPECT_EQ(file, "f-3");

    QString mark;
    cannedReply(kSc + "/local/function/get/contract-mark", success(QJsonObject{{"contractId", "c-77"}}));
    EXPECT_EQ(client->getContractMark(mark, nullptr), 1);
    EXPECT_EQ(mark, "c-77");
}

TEST_F(ContractRequests, ListRepliesFillRecords)
{
    ASSERT_TRUE(login());
    const QJsonObject row{{"id", "i"}, {"contractJoinUserId", "j"}, {"contractId", "c"}, {"contractName", "n"},
                          {"contractType", "t"}, {"contractStatus", "wait_for_me"}, {"userType", 1}, {"signOrder", 2},
                          {"startDate", "s"}, {"pdfFileSaveId", "f"}, {"signReportUri", "r"}, {"templateId", "x"}};
    QList<ContractInfo> list;
    cannedReply(kSc + "/contract/query/about/me", success(QJsonArray{row}));
    EXPECT_EQ(client->queryContractBusinessAboutme(list, 0, nullptr, "", "", "", 3), 1);
    ASSERT_EQ(list.size(), 1);
    EXPECT_EQ(list[0].status, "wait_for_me");
    EXPECT_EQ(list[0].contractJoinUserId, "j");
    EXPECT_EQ(list[0].userType, 1);
    EXPECT_EQ(list[0].signOrder, 2);
    EXPECT_EQ(list[0].signReportUri, "r");
    EXPECT_TRUE(list[0].startDate.isEmpty());      // the unpaged list does not read it
    EXPECT_TRUE(list[0].contractType.isEmpty());   // never read
    EXPECT_TRUE(list[0].templateId.isEmpty());

    // The unpaged list reports no failure through the error signal.
    QSignalSpy errors(client, &NetWorkBusiness::sendErroeCodeInfo);
    cannedReply(kSc + "/contract/query/about/me", QJsonObject{{"code", 4100}, {"msg", "db"}});
    EXPECT_EQ(client->queryContractBusinessAboutme(list, 0, nullptr, "", "", "", 3), 0);
    EXPECT_EQ(errors.count(), 0);
    EXPECT_EQ(list.size(), 1);

    int pages = -1;
    cannedReply(kSc + "/contract/query/about/me/paging",
                success(QJsonObject{{"pages", 4}, {"list", QJsonArray{row, row}}}));
    EXPECT_EQ(client->queryContractBusinessAboutmePage(list, 1, pages, nullptr, "", "", "", 3, 1, 10), 1);
    EXPECT_EQ(pages, 4);
    ASSERT_EQ(list.size(), 3);
    EXPECT_EQ(list[2].startDate, "s");
    // A failed page still hands back the page count it carries.
    cannedReply(kSc + "/contract/query/about/me/paging",
                QJsonObject{{"code", 4100}, {"msg", "db"}, {"data", QJsonObject{{"pages", 9}, {"list", QJsonArray{row}}}}});
    EXPECT_EQ(client->queryContractBusinessAboutmePage(list, 1, pages, nullptr, "", "", "", 3, 1, 10), 0);
    EXPECT_EQ(pages, 9);
    EXPECT_EQ(list.size(), 3);
    EXPECT_EQ(errors.count(), 1);
}

TEST_F(ContractRequests, PlacementRepliesFillRecords)
{
    ASSERT_TRUE(login());
    // Positions come as text; a number where text is expected reads as 0. The picture is the
    // stored file named by sealUri.
    cannedReply(kTc + "/contract/getDetails",
                success(QJsonArray{QJsonObject{{"sealUri", "pic-1"}, {"sealId", "s-1"}, {"pageIndex", 2}, {"signWidth", 110},
                                               {"signHeight", 90}, {"signTop", "120"}, {"signLeft", 75}},
                                   QJsonObject{{"sealUri", "pic-2"}}}));
    ContractGetDetails first;
    EXPECT_EQ(client->contractGetDetailsBus(first, "c", nullptr), 1);
    EXPECT_EQ(first.sealUri, "pic-1");
    EXPECT_EQ(first.imageData, pictureBytes("one"));
    EXPECT_EQ(first.sealId, "s-1");
    EXPECT_EQ(first.pageIndex, 2);
    EXPECT_EQ(first.signWidth, 110);
    EXPECT_EQ(first.signHeight, 90);
    EXPECT_EQ(first.signTop, 120);
    EXPECT_EQ(first.signLeft, 0);

    standin.clearRequests();
    cannedReply(kTc + "/contract/getDetails", success(QJsonArray()));
    ContractGetDetails none;
    EXPECT_EQ(client->contractGetDetailsBus(none, "c", nullptr), 1);
    EXPECT_TRUE(none.sealUri.isEmpty());
    EXPECT_TRUE(none.imageData.isEmpty());
    EXPECT_EQ(none.signTop, 0);
    ASSERT_EQ(standin.requests(kFileAddressPath).size(), 1);   // asked for the empty id
    EXPECT_EQ(standin.requests(kFileAddressPath).first().json.value("id").toString(), "");

    QList<ContractDetails> details;
    cannedReply(kTc + "/contract/getDetails",
                success(QJsonArray{QJsonObject{{"id", "1"}, {"contractDetailId", "p-1"}, {"contractId", "c"}},
                                   QJsonObject{{"id", "2"}, {"contractDetailId", "p-2"}, {"contractId", "c"}}}));
    EXPECT_EQ(client->getContractDetails("j", details, nullptr), 1);
    ASSERT_EQ(details.size(), 2);
    EXPECT_EQ(details[1].contractDetailId, "p-2");
    EXPECT_EQ(details[1].contractId, "c");
}

TEST_F(ContractRequests, SmsCheckHandsBackTheProofTimeEvenOnFailure)
{
    ASSERT_TRUE(login());
    QSignalSpy errors(client, &NetWorkBusiness::sendErroeCodeInfo);
    QString proof = "before";
    cannedReply(kSc + "/function/check/sign-security-code",
                QJsonObject{{"code", 4006}, {"msg", u8("验证码错误")}, {"data", QJsonObject{{"proofTime", "2024-01-01"}}}});
    EXPECT_EQ(client->sureSignSmsVerBusiness("111111", proof), 0);
    EXPECT_EQ(proof, "2024-01-01");
    ASSERT_EQ(errors.count(), 1);
    EXPECT_EQ(errors.first().at(1).toString(), u8("验证码错误"));

    // An empty reply leaves it alone.
    StandinScript drop = StandinScript::raw("");
    drop.times = 1;
    standin.script(kSc + "/function/check/sign-security-code", drop);
    EXPECT_EQ(client->sureSignSmsVerBusiness("111111", proof), 0);
    EXPECT_EQ(proof, "2024-01-01");
    EXPECT_EQ(errors.last().at(0).toInt(), 999);
    EXPECT_EQ(errors.last().at(1).toString(), u8("网络连接失败，请检查您的网络链接或重试！"));

    // The code reaches neither the start line nor the logged request.
    EXPECT_FALSE(logText().contains("111111"));
}

TEST_F(ContractRequests, LogLinesOfTheDraftAndTheBusyBox)
{
    ASSERT_TRUE(login());
    LoadingWidget box(nullptr, Qt::Horizontal);
    box.show();
    ContractAddDrafts drafts;
    // The draft keeps the busy box up on success (the finishing goes on) and hides it on failure.
    cannedReply(kSc + "/contract/add", success(QJsonObject{{"contractId", "c-1"}}));
    EXPECT_EQ(client->contractAddBus(drafts, "f", "n", "", "", "", "", "", "", &box), 1);
    EXPECT_TRUE(box.isVisible());
    cannedReply(kSc + "/contract/add", QJsonObject{{"code", 4011}, {"msg", "no"}});
    EXPECT_EQ(client->contractAddBus(drafts, "f", "n", "", "", "", "", "", "", &box), 0);
    EXPECT_FALSE(box.isVisible());
    // Deleting shows and hides it.
    EXPECT_EQ(client->delContractBusiness("c-none", &box), 0);
    EXPECT_FALSE(box.isVisible());
    // Issuing leaves a shown box up on success and hides it on failure.
    box.show();
    cannedReply(kSc + "/contract/issue", success(QJsonObject()));
    EXPECT_EQ(client->contractIssueBus("c-1", "n", "1", "0", "", &box), 1);
    EXPECT_TRUE(box.isVisible());
    cannedReply(kSc + "/contract/issue", QJsonObject{{"code", 4011}, {"msg", "no"}});
    EXPECT_EQ(client->contractIssueBus("c-1", "n", "1", "0", "", &box), 0);
    EXPECT_FALSE(box.isVisible());

    const QString log = logText();
    EXPECT_TRUE(log.contains(u8("---------contractAddBus(添加合同到草稿箱)请求开始----------")));
    EXPECT_TRUE(log.contains(u8("contractAddBus请求结束-code=10000-\n返回json数据:")));
    EXPECT_TRUE(log.contains(u8("contractAddBus请求结束-code=4011-\n返回json数据:")));
    EXPECT_TRUE(log.contains(u8("---------delContractBusiness请求开始(入参：contractID：c-none)----------")));
    EXPECT_TRUE(log.contains(u8("delContractBusiness请求结束返回-code=4011\n返回json数据:")));
    EXPECT_TRUE(log.contains(u8("---------contractIssueBus(发起合同)请求开始----------")));
    EXPECT_TRUE(log.contains(u8("contractIssueBus请求结束-code=10000-\n返回json数据:")));
    EXPECT_TRUE(log.contains(u8("contractIssueBus请求结束-code=4011-\n返回json数据:")));
}

TEST_F(ContractRequests, UploadFormPartsInOrderWithTheirDispositions)
{
    ASSERT_TRUE(login());
    const QByteArray bytes = QByteArray("%PDF-1.7\n") + QByteArray(70000, '\0') + "\xff\xfe%%EOF";
    QString url, id;
    const QString name = u8("采购 合同 v2.pdf");
    ASSERT_EQ(client->fileUpLoad(name, "private", u8("合同"), "application/octet-stream", url, bytes, id, nullptr), 1);
    const StandinRequest sent = standin.requests("/eseal-file/file/upLoad").last();
    EXPECT_TRUE(sent.header("content-type").startsWith("multipart/form-data; boundary="));
    ASSERT_EQ(sent.parts.size(), 3);
    EXPECT_EQ(sent.parts[0].disposition, (u8("form-data;name=\"file\";filename=\"") + name + "\";").toUtf8());
    EXPECT_EQ(sent.parts[0].contentType, "application/octet-stream");
    EXPECT_EQ(sent.parts[0].body, bytes);
    EXPECT_EQ(sent.parts[1].disposition, "form-data; name=\"business\"");
    EXPECT_EQ(sent.parts[1].body, "private");
    EXPECT_EQ(sent.parts[2].disposition, "form-data; name=\"project\"");
    EXPECT_EQ(sent.parts[2].body, u8("合同").toUtf8());
    EXPECT_FALSE(id.isEmpty());

    // A replacement sends the id first and the file last.
    const QByteArray newer("replaced bytes");
    ASSERT_EQ(client->fileUpdate(id, "private", "p", "new.pdf", "application/pdf", newer, nullptr), 1);
    const StandinRequest update = standin.requests("/eseal-file/file/updateFile").last();
    ASSERT_EQ(update.parts.size(), 4);
    EXPECT_EQ(update.parts[0].disposition, "form-data; name=\"id\"");
    EXPECT_EQ(update.parts[0].body, id.toUtf8());
    EXPECT_EQ(update.parts[3].disposition, "form-data;name=\"file\";filename=\"new.pdf\";");
    EXPECT_EQ(update.parts[3].contentType, "application/pdf");

    // A success without a download address leaves it empty.
    url = "old";
    cannedReply("/eseal-file/file/upLoad", success(QJsonObject{{"id", "f-x"}}));
    ASSERT_EQ(client->fileUpLoad("a.pdf", "b", "p", "t", url, bytes, id, nullptr), 1);
    EXPECT_TRUE(url.isEmpty());
    EXPECT_EQ(id, "f-x");
}

TEST_F(ContractRequests, UploadRoundTripsItsBytes)
{
    ASSERT_TRUE(login());
    QByteArray bytes;
    for (int i = 0; i < 300000; ++i)
        bytes.append(char(i * 7 + (i >> 9)));
    QString url, id;
    ASSERT_EQ(client->fileUpLoad("file.pdf", "private", u8("合同"), "application/octet-stream", url, bytes, id, nullptr), 1);
    ASSERT_FALSE(url.isEmpty());
    // By its download address and by its id.
    EXPECT_EQ(client->getFileUrl(url), bytes);
    EXPECT_EQ(client->getFileDataById(id), bytes);
}

TEST_F(ContractRequests, TemplatesTokenAndQrCode)
{
    ASSERT_TRUE(login());
    QList<TemplateInfo> templates;
    ASSERT_EQ(client->getTemplateBusiness(templates, nullptr), 1);
    ASSERT_EQ(templates.size(), 1);
    EXPECT_EQ(templates[0].templateName, u8("劳动合同"));
    EXPECT_EQ(templates[0].status, 1);
    EXPECT_EQ(templates[0].storageType, 2);
    EXPECT_EQ(templates[0].pdfID, "pdf-1");

    QString token;
    ASSERT_EQ(client->getFileServerToken(token, nullptr), 1);
    EXPECT_EQ(token, "file-token-u-0001");

    // The content is the configured sign-code link followed by the caller's text.
    QTemporaryDir dir;
    const QString saved = client->m_exePath;
    client->m_exePath = dir.filePath("config.ini");
    QString image;
    {
        QSettings ini(client->m_exePath, QSettings::IniFormat);
        ini.setValue("addressUrl/signCode", QByteArray("https://sign.example/code?t=").toBase64());
    }
    ASSERT_EQ(client->createQrcode("TOKEN123", image, nullptr), 1);
    EXPECT_EQ(standin.requests(kSc + "/function/create/qrcode").last().body,
              obj({{"content", "https://sign.example/code?t=TOKEN123"}}));
    // The picture after the comma is the code of that content.
    const QImage code = QImage::fromData(QByteArray::fromBase64(image.section(',', 1).toLatin1()));
    ASSERT_FALSE(code.isNull());
    EXPECT_EQ(code.text("content"), "https://sign.example/code?t=TOKEN123");
    EXPECT_FALSE(logText().contains("TOKEN123"));
    QFile::remove(client->m_exePath);
    ASSERT_EQ(client->createQrcode("abc", image, nullptr), 1);
    EXPECT_EQ(standin.requests(kSc + "/function/create/qrcode").last().body, obj({{"content", "abc"}}));
    ASSERT_EQ(client->createQrcode("", image, nullptr), 1);
    EXPECT_EQ(standin.requests(kSc + "/function/create/qrcode").last().body, obj({}));
    client->m_exePath = saved;
}
