// Seal authorisations: the exact bodies, a grant from issue to its end, the seal size rule of
// the seal lists, the silent "not qualified" code, and the shared watchdog left alone.

#include "ContractTestSupport.h"
#include "GlobalHeader.h"
#include "LoadingWidget.h"

#include <QDateTime>

namespace {

const QString kSc = "/tarvik-serve-manage-wexo";
const QString kAu = "/eseal-auth/authorize";
const QString kSealsPath = "/eseal-seal/contract-seal/page/companySeal/";

SelectAuthSeals chosen(const char* id, const char* name)
{
    SelectAuthSeals s;
    s.sealId = id;
    s.sealName = QString::fromUtf8(name);
    return s;
}

QByteArray obj(const QJsonObject& o)
{
    return QJsonDocument(o).toJson();
}

} // namespace

using Authorizations = ContractTest;

TEST_F(Authorizations, ArgumentsGiveTheExactBody)
{
    ASSERT_TRUE(loginCompany());
    QList<AuthorizeList> grants;
    QList<SealInfo> seals;
    QList<AuthCompanyInfo> companies;
    StartAuthSuccessInfo info;
    int pages = 0, code = 0;
    struct {
        const char* what;
        QString path;
        std::function<void()> run;
        QByteArray expected;
    } const cases[] = {
        {"grants page 0", kAu + "/queryPage", [&] { client->authorizeQueryPageBus(grants, 10, "", 0, 10, pages, nullptr); },
         obj({{"entity", QJsonObject{{"authorizeStatus", 10}, {"searchKeyword", ""}}}, {"pageBean", QJsonObject()}})},
        {"grants page 2", kAu + "/queryPage", [&] { client->authorizeQueryPageBus(grants, 0, u8("张"), 2, 8, pages, nullptr); },
         obj({{"entity", QJsonObject{{"authorizeStatus", 0}, {"searchKeyword", u8("张")}}},
              {"pageBean", QJsonObject{{"orderBy", "authorizeDate desc"}, {"pageNum", 2}, {"pageSize", 8}}}})},
        {"qualification", kSc + "/function/check-qualification/seal-auth", [&] { client->checkQualificationBus(code, nullptr); },
         QByteArray()},
        {"duplicate", kAu + "/checkUserDuplicateAuth", [&] { client->checkUserDuplicateAuthBus("u-0003", nullptr); },
         obj({{"personId", "u-0003"}})},
        {"issue bare", kSc + "/function/issue/seal-auth",
         [&] { client->startSealAuthBus({chosen("s-2", "合同章"), chosen("s-1", "公章")}, info, "2030-06-30", "u-x", 0, "", nullptr); },
         obj({{"sealUsageDate", "2030-06-30 23:59:59"}, {"personId", "u-x"},
              {"recordList", QJsonArray{QJsonObject{{"sealId", "s-2"}, {"sealName", u8("合同章")}},
                                        QJsonObject{{"sealId", "s-1"}, {"sealName", u8("公章")}}}}})},
        {"issue full", kSc + "/function/issue/seal-auth",
         [&] { client->startSealAuthBus({chosen("s-1", "公章")}, info, "2030-06-30", "u-x", 5, "r", nullptr); },
         obj({{"sealUsageDate", "2030-06-30 23:59:59"}, {"personId", "u-x"},
              {"recordList", QJsonArray{QJsonObject{{"sealId", "s-1"}, {"sealName", u8("公章")}}}}, {"usageCount", 5}, {"remark", "r"}})},
        {"detail", kAu + "/queryAuthDetailById", [&] { client->queryAuthDetailByIdBus(info, "g-x", nullptr); }, obj({{"id", "g-x"}})},
        {"code", kSc + "/function/send/auth-security-code", [&] { client->getauthSecurityCodeBus(nullptr); }, obj({})},
        {"confirm", kSc + "/function/affirm/seal-auth", [&] { client->affirmSealAuthBus("g-x", "123456", nullptr); },
         obj({{"authId", "g-x"}, {"securityCode", "123456"}})},
        {"terminate", kSc + "/function/terminate/seal-auth", [&] { client->terminateSealAuthBus("g-x", nullptr); },
         obj({{"authId", "g-x"}})},
        {"accept", kSc + "/function/accept/seal-auth", [&] { client->acceptSealAuthBus("g-x", "654321", code, nullptr); },
         obj({{"authId", "g-x"}, {"securityCode", "654321"}})},
        {"refuse", kSc + "/function/refuse/seal-auth", [&] { client->refuseSsealAuthBus("g-x", code, nullptr); },
         obj({{"authId", "g-x"}})},
        {"seals page 0", kSealsPath, [&] { client->queryPageSealsBus(seals, 0, 8, pages, "", "1", nullptr); },
         obj({{"entity", QJsonObject{{"certification", 1}}}, {"pageBean", QJsonObject()}})},
        {"seals by name", kSealsPath, [&] { client->queryPageSealsBus(seals, 1, 8, pages, u8("公"), "", nullptr); },
         obj({{"entity", QJsonObject{{"certification", 1}, {"name", u8("公")}, {"sealType", ""}}},
              {"pageBean", QJsonObject{{"pageNum", 1}, {"pageSize", 8}}}})},
        {"companies", kAu + "/getAuthAvailableCompany", [&] { client->getAuthAvailableCompanyBus(companies, nullptr); }, obj({})},
        {"granted seals", kSc + "/query/auth-seal", [&] { client->queryAuthSealBus(seals, "u-company", nullptr); },
         obj({{"authorizeCompanyId", "u-company"}})},
    };
    QSignalSpy errors(client, &NetWorkBusiness::sendErroeCodeInfo);
    for (const auto& c : cases) {
        standin.clearRequests();
        c.run();
        const QList<StandinRequest> sent = standin.requests(c.path);
        ASSERT_EQ(sent.size(), 1) << c.what;
        EXPECT_EQ(sent.first().body, c.expected) << c.what << "\n" << sent.first().body.constData();
        EXPECT_EQ(sent.first().header("token"), client->sessionToken().toUtf8()) << c.what;
    }
    for (const QList<QVariant>& e : errors)
        EXPECT_FALSE(e.at(1).toString().contains(u8("请求参数不符"))) << e.at(1).toString().toStdString();
    // SMS codes never reach the log in clear; the start line shows the date without its time.
    const QString log = logText();
    EXPECT_FALSE(log.contains("123456"));
    EXPECT_FALSE(log.contains("654321"));
    EXPECT_TRUE(log.contains(u8("---------startSealAuthBus请求开始(入参：sealUsageDate：2030-06-30-personId：u-x-usageCount：0-remark：)----------")));
}

TEST_F(Authorizations, GrantFromIssueToItsEnd)
{
    ASSERT_TRUE(loginCompany());
    int mcode = 0;
    ASSERT_EQ(client->checkQualificationBus(mcode, nullptr), 1);
    EXPECT_EQ(mcode, 10000);
    ASSERT_EQ(client->checkUserDuplicateAuthBus("u-0003", nullptr), 1);

    // The picker: only seals in use, each with its picture and its size by the rule.
    QList<SealInfo> seals;
    int pages = 0;
    ASSERT_EQ(client->queryPageSealsBus(seals, 1, 8, pages, "", "", nullptr), 1);
    EXPECT_EQ(pages, 1);
    ASSERT_EQ(seals.size(), 3);   // s-3 is not in use
    EXPECT_EQ(seals[0].id, "s-1");
    EXPECT_EQ(seals[0].imageData, pictureBytes("one"));
    EXPECT_DOUBLE_EQ(seals[0].width, MMtoPixel(40));
    EXPECT_TRUE(seals[0].size.isEmpty());
    EXPECT_EQ(seals[0].sealSaveID, "pic-1");
    EXPECT_EQ(seals[0].sealRecordTime, "1700000000");
    EXPECT_EQ(seals[0].whetherOnline, 1);
    EXPECT_EQ(seals[1].imageData, pictureBytes("two"));
    EXPECT_DOUBLE_EQ(seals[1].width, MMtoPixel(42));
    EXPECT_DOUBLE_EQ(seals[1].height, 0);
    EXPECT_DOUBLE_EQ(seals[2].width, MMtoPixel(40));   // no size: 40 mm each way
    EXPECT_DOUBLE_EQ(seals[2].height, MMtoPixel(40));
    EXPECT_TRUE(seals[2].imageData.isEmpty());

    StartAuthSuccessInfo grant;
    ASSERT_EQ(client->startSealAuthBus({chosen("s-1", "公章"), chosen("s-2", "合同章")}, grant, "2099-12-31", "u-0003", 3,
                                       u8("项目用章"), nullptr), 1);
    EXPECT_TRUE(grant.isAuth);
    EXPECT_EQ(grant.fileName, u8("印章授权合同"));
    EXPECT_FALSE(grant.authId.isEmpty());
    EXPECT_FALSE(grant.protocolId.isEmpty());
    EXPECT_EQ(grant.sealCount, 2);
    EXPECT_EQ(grant.usageCount, 3);
    EXPECT_TRUE(grant.control);
    EXPECT_EQ(grant.sealUsageDate, "2099-12-31 23:59:59");
    EXPECT_EQ(grant.personName, u8("张三"));
    EXPECT_EQ(grant.authorizeStatus, 0);   // not read from a new grant
    // The person has a grant now.
    EXPECT_EQ(client->checkUserDuplicateAuthBus("u-0003", nullptr), 0);

    QList<AuthorizeList> list;
    ASSERT_EQ(client->authorizeQueryPageBus(list, 10, "", 1, 10, pages, nullptr), 1);
    ASSERT_EQ(list.size(), 1);
    EXPECT_EQ(list[0].authId, grant.authId);
    EXPECT_EQ(list[0].authorizeStatus, 10);
    EXPECT_EQ(list[0].protocolId, grant.protocolId);

    // The company confirms with its SMS code.
    ASSERT_EQ(client->getauthSecurityCodeBus(nullptr), 1);
    EXPECT_EQ(client->affirmSealAuthBus(grant.authId, "000000", nullptr), 0);
    ASSERT_EQ(client->affirmSealAuthBus(grant.authId, kSmsCode, nullptr), 1);

    // The person accepts; the company's seals are then at hand.
    ASSERT_TRUE(loginPerson());
    QSignalSpy errors(client, &NetWorkBusiness::sendErroeCodeInfo);
    int codeS = 0;
    ASSERT_EQ(client->getauthSecurityCodeBus(nullptr), 1);
    EXPECT_EQ(client->acceptSealAuthBus(grant.authId, "999999", codeS, nullptr), 0);
    EXPECT_EQ(codeS, 4006);
    EXPECT_EQ(errors.count(), 1);
    ASSERT_EQ(client->acceptSealAuthBus(grant.authId, kSmsCode, codeS, nullptr), 1);
    EXPECT_EQ(codeS, 10000);
    StartAuthSuccessInfo detail;
    detail.isAuth = true;
    ASSERT_EQ(client->queryAuthDetailByIdBus(detail, grant.authId, nullptr), 1);
    EXPECT_EQ(detail.authorizeStatus, 20);
    EXPECT_EQ(detail.id, grant.authId);
    EXPECT_EQ(detail.authId, grant.authId);
    EXPECT_TRUE(detail.isAuth);   // left as the caller set it
    EXPECT_EQ(detail.fileName, u8("印章授权合同"));

    QList<AuthCompanyInfo> companies;
    ASSERT_EQ(client->getAuthAvailableCompanyBus(companies, nullptr), 1);
    ASSERT_EQ(companies.size(), 1);
    EXPECT_EQ(companies[0].authorizeCompanyId, "u-company");
    EXPECT_EQ(companies[0].authorizeCompanyName, u8("演示科技有限公司"));
    QList<SealInfo> granted;
    ASSERT_EQ(client->queryAuthSealBus(granted, companies[0].authorizeCompanyId, nullptr), 1);
    ASSERT_EQ(granted.size(), 2);
    EXPECT_EQ(granted[0].id, "s-1");
    EXPECT_EQ(granted[0].imageData, pictureBytes("one"));
    EXPECT_TRUE(granted[0].sealSaveID.isEmpty());   // only read to fetch the picture
    EXPECT_DOUBLE_EQ(granted[1].width, MMtoPixel(42));
    EXPECT_DOUBLE_EQ(granted[1].height, 0);

    // The company ends it; it no longer lends seals.
    ASSERT_TRUE(loginCompany());
    ASSERT_EQ(client->terminateSealAuthBus(grant.authId, nullptr), 1);
    list.clear();
    ASSERT_EQ(client->authorizeQueryPageBus(list, 30, "", 0, 0, pages, nullptr), 1);
    ASSERT_EQ(list.size(), 1);
    ASSERT_TRUE(loginPerson());
    companies.clear();
    ASSERT_EQ(client->getAuthAvailableCompanyBus(companies, nullptr), 1);
    EXPECT_TRUE(companies.isEmpty());
}

TEST_F(Authorizations, PersonRefusesAGrant)
{
    ASSERT_TRUE(loginCompany());
    StartAuthSuccessInfo grant;
    ASSERT_EQ(client->startSealAuthBus({chosen("s-1", "公章")}, grant, "2099-01-01", "u-0003", 0, "", nullptr), 1);
    EXPECT_FALSE(grant.control);
    ASSERT_TRUE(loginPerson());
    int codeS = 0;
    // Accepting before the company confirmed is refused by the service.
    ASSERT_EQ(client->getauthSecurityCodeBus(nullptr), 1);
    EXPECT_EQ(client->acceptSealAuthBus(grant.authId, kSmsCode, codeS, nullptr), 0);
    ASSERT_EQ(client->refuseSsealAuthBus(grant.authId, codeS, nullptr), 1);
    EXPECT_EQ(codeS, 10000);
    EXPECT_EQ(client->refuseSsealAuthBus(grant.authId, codeS, nullptr), 0);
    EXPECT_EQ(codeS, 4006);
    QList<AuthorizeList> list;
    int pages = 0;
    ASSERT_EQ(client->authorizeQueryPageBus(list, 30, "", 1, 10, pages, nullptr), 1);
    ASSERT_EQ(list.size(), 1);
    EXPECT_EQ(list[0].statusDesc, u8("已失效"));
    // The company may grant the person again.
    ASSERT_TRUE(loginCompany());
    EXPECT_EQ(client->checkUserDuplicateAuthBus("u-0003", nullptr), 1);
}

TEST_F(Authorizations, NotQualifiedIsSilent)
{
    ASSERT_TRUE(login());   // a personal account
    QSignalSpy errors(client, &NetWorkBusiness::sendErroeCodeInfo);
    LoadingWidget box(nullptr, Qt::Horizontal);
    box.show();
    int mcode = 0;
    EXPECT_EQ(client->checkQualificationBus(mcode, &box), 0);
    EXPECT_EQ(mcode, 78503);
    EXPECT_EQ(errors.count(), 0);
    EXPECT_FALSE(box.isVisible());
    // Every other failure is reported.
    cannedReply(kSc + "/function/check-qualification/seal-auth", QJsonObject{{"code", 4100}, {"msg", "db"}});
    EXPECT_EQ(client->checkQualificationBus(mcode, nullptr), 0);
    EXPECT_EQ(mcode, 4100);
    EXPECT_EQ(errors.count(), 1);
    StandinScript drop = StandinScript::raw("");
    drop.times = 1;
    standin.script(kSc + "/function/check-qualification/seal-auth", drop);
    EXPECT_EQ(client->checkQualificationBus(mcode, nullptr), 0);
    EXPECT_EQ(mcode, 4);
    EXPECT_EQ(errors.count(), 2);
}

TEST_F(Authorizations, NewGrantWithoutDateGetsTheCurrentTime)
{
    ASSERT_TRUE(loginCompany());
    cannedReply(kSc + "/function/issue/seal-auth",
                success(QJsonObject{{"id", "g-1"}, {"authId", "a-1"}, {"authorizeDate", ""}, {"control", "true"},
                                    {"authorizeStatus", 20}}));
    StartAuthSuccessInfo grant;
    const QDateTime before = QDateTime::currentDateTime().addSecs(-1);
    ASSERT_EQ(client->startSealAuthBus({chosen("s-1", "公章")}, grant, "2099-01-01", "u-0003", 0, "", nullptr), 1);
    const QDateTime at = QDateTime::fromString(grant.authorizeDate, "yyyy-MM-dd hh:mm:ss");
    ASSERT_TRUE(at.isValid()) << grant.authorizeDate.toStdString();
    EXPECT_GE(at, before.addSecs(-1));
    EXPECT_EQ(grant.id, "g-1");
    EXPECT_EQ(grant.authId, "a-1");
    EXPECT_FALSE(grant.control);           // a text is no boolean
    EXPECT_EQ(grant.authorizeStatus, 0);   // not read from a new grant
}

TEST_F(Authorizations, GrantListLeavesThePendingCallsWatchdogAlone)
{
    // A login waits for its answer while the grant list is asked for (a timer-driven refresh).
    StandinScript hold;
    hold.hold = true;
    hold.times = 1;
    standin.script("/eseal-usermanage/login", hold);
    QSignalSpy ok(client, &NetWorkBusiness::LoginSucc);
    QSignalSpy failed(client, &NetWorkBusiness::LoginError);
    client->loginBusiness(kAccount, kPassword, "1");
    ASSERT_TRUE(waitUntil([&] { return standin.heldCount("/eseal-usermanage/login") == 1; }));
    ASSERT_FALSE(client->replyTimeout.isNull());
    QList<AuthorizeList> list;
    int pages = 0;
    client->authorizeQueryPageBus(list, 10, "", 0, 0, pages, nullptr);
    // The login's watchdog still guards it.
    ASSERT_FALSE(client->replyTimeout.isNull());
    EXPECT_TRUE(client->replyTimeout->timer.isActive());
    standin.release("/eseal-usermanage/login");
    ASSERT_TRUE(ok.wait(5000));
    EXPECT_EQ(failed.count(), 0);
}

TEST_F(Authorizations, CompanySealPickerKeepsTheOwnSealCache)
{
    // The seal panel signs with the company's own cloud seals from the client's cache; listing
    // the seals for a grant form must not empty it.
    ASSERT_TRUE(loginCompany());
    SealInfo own;
    own.id = "own-seal";
    own.imageData = "picture";
    client->m_sealInfoList = {own};
    QList<SealInfo> seals;
    int pages = 0;
    ASSERT_EQ(client->queryPageSealsBus(seals, 1, 8, pages, "", "", nullptr), 1);
    ASSERT_EQ(client->m_sealInfoList.size(), 1);
    SealInfo found;
    EXPECT_TRUE(client->getSealInfo("own-seal", found));
    EXPECT_EQ(found.imageData, "picture");
    client->m_sealInfoList.clear();
}

using DefaultSeedGrants = CloudTest;

TEST_F(DefaultSeedGrants, CompanyPicksItsSeededSeals)
{
    // The stand-in's own company account lists the seals seeded for it, with their pictures.
    bool done = false;
    auto c = QObject::connect(client, &NetWorkBusiness::LoginSucc, [&] { done = true; });
    client->loginBusiness("13900000000", kPassword, "1");
    ASSERT_TRUE(waitUntil([&] { return done; }));
    QObject::disconnect(c);
    int mcode = 0;
    ASSERT_EQ(client->checkQualificationBus(mcode, nullptr), 1);
    QList<SealInfo> seals;
    int pages = 0;
    ASSERT_EQ(client->queryPageSealsBus(seals, 1, 8, pages, "", "", nullptr), 1);
    ASSERT_EQ(seals.size(), 2);
    EXPECT_DOUBLE_EQ(seals[0].width, MMtoPixel(42));
    EXPECT_DOUBLE_EQ(seals[1].height, MMtoPixel(30));
    EXPECT_TRUE(seals[0].imageData.startsWith("\x89PNG"));
    StartAuthSuccessInfo grant;
    SelectAuthSeals chosenSeal;
    chosenSeal.sealId = seals[0].id;
    chosenSeal.sealName = seals[0].name;
    EXPECT_EQ(client->startSealAuthBus({chosenSeal}, grant, "2099-01-01", "u-0003", 0, "", nullptr), 1);
}
