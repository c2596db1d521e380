// Pure pieces of the contract requests: status keys, placement kinds, the list filter, the
// seal size rule and the reading of numbers sent as text.

#include "ContractRecords.h"
#include "GlobalHeader.h"
#include "NetWorkBusiness.h"

#include <QJsonDocument>
#include <gtest/gtest.h>

namespace {

QString json(const QJsonObject& o)
{
    return QString::fromUtf8(QJsonDocument(o).toJson(QJsonDocument::Compact));
}

} // namespace

TEST(ContractMapping, StatusKeysBothWays)
{
    const struct {
        int type;
        const char* key;
    } keyed[] = {{1, "wait_for_me"}, {2, "wait_for_other"}, {3, "completed"},
                 {4, "overdue"},     {5, "user_refuse"},    {6, "drafts"}};
    for (const auto& c : keyed) {
        EXPECT_EQ(NetWorkBusiness::getContractStatus(c.type), c.key);
        EXPECT_EQ(NetWorkBusiness::getContractStatus(QString(c.key)), c.type) << c.key;
    }
    // No key: no state filter.
    for (int type : {0, 7, -1, 8, 100})
        EXPECT_TRUE(NetWorkBusiness::getContractStatus(type).isEmpty()) << type;
    // Exact, case-sensitive match; anything else has no state.
    for (const char* key : {"Drafts", "", "wait_for_me ", "refuse", "all"})
        EXPECT_EQ(NetWorkBusiness::getContractStatus(QString(key)), int(NetWorkBusiness::cs_nostate)) << key;
}

TEST(ContractMapping, SignTypes)
{
    EXPECT_EQ(NetWorkBusiness::getContractSignType(NetWorkBusiness::ntst_seal), "seal");
    EXPECT_EQ(NetWorkBusiness::getContractSignType(NetWorkBusiness::ntst_sign), "sign");
    EXPECT_TRUE(NetWorkBusiness::getContractSignType(2).isEmpty());
    EXPECT_TRUE(NetWorkBusiness::getContractSignType(-1).isEmpty());
}

TEST(ContractMapping, ListFilter)
{
    const struct {
        int type;
        const char* name;
        const char* from;
        const char* to;
        int typeTo;
        const char* expected;
    } cases[] = {
        {0, "", "", "", 3, "{}"},
        {7, "", "a", "b", -1, "{}"},
        {1, "", "", "", 3, R"({"contractStatus":"wait_for_me"})"},
        {6, "租赁", "", "", 5, R"({"contractName":"租赁","contractStatus":"drafts"})"},
        {0, "", "2024-01-01", "2024-02-01", 0, R"({"startFromTime":"2024-01-01","startToTime":"2024-02-01"})"},
        {0, "", "", "", 1, R"({"signEndFromTime":"","signEndToTime":""})"},
        {3, "x", "2024-01-01", "", 2, R"({"contractName":"x","contractStatus":"completed","endFromTime":"2024-01-01","endToTime":""})"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(json(NetWorkBusiness::contractFilter(c.type, QString::fromUtf8(c.name), c.from, c.to, c.typeTo)),
                  QString::fromUtf8(c.expected))
            << c.type << " " << c.typeTo;
}

TEST(ContractMapping, SealSizeRule)
{
    const double d40 = MMtoPixel(40);
    const struct {
        const char* size;
        double width;
        double height;
    } cases[] = {
        {"40*40", MMtoPixel(40), MMtoPixel(40)}, {"42*38", MMtoPixel(42), MMtoPixel(38)},
        {"42*", MMtoPixel(42), 0},               {"*30", 0, MMtoPixel(30)},
        {"", d40, d40},                          {"40", d40, d40},
        {"40*40*40", d40, d40},                  {"abc*20", 0, MMtoPixel(20)},
        {"40.5*20", 0, MMtoPixel(20)},
    };
    for (const auto& c : cases) {
        double w = -1, h = -1;
        sealSizeFromText(c.size, w, h);
        EXPECT_DOUBLE_EQ(w, c.width) << c.size;
        EXPECT_DOUBLE_EQ(h, c.height) << c.size;
    }
}

TEST(ContractMapping, PositionsAreReadFromText)
{
    const QJsonObject o = QJsonDocument::fromJson(R"({"a":"120","b":120,"c":"x","d":"-7"})").object();
    EXPECT_EQ(jsonIntText(o, "a"), 120);
    EXPECT_EQ(jsonIntText(o, "b"), 0);
    EXPECT_EQ(jsonIntText(o, "c"), 0);
    EXPECT_EQ(jsonIntText(o, "d"), -7);
    EXPECT_EQ(jsonIntText(o, "missing"), 0);
}

TEST(ContractMapping, PlacementSendsTenKeysWithNumbers)
{
    SealDetails d;
    d.contractId = "c";
    d.contractJoinUserId = "j";
    d.isLock = 1;
    d.sealId = "s";
    d.signType = "seal";
    d.pageIndex = 0;
    d.signTop = 120;
    d.signLeft = 75;
    d.signIp = "10.0.0.1";
    d.certificateSerialNumber = "sn";
    d.signTimestamp = "ts";
    EXPECT_EQ(json(d.toJson()),
              R"({"certificateSerialNumber":"sn","contractId":"c","contractJoinUserId":"j","isLock":1,"pageIndex":0,)"
              R"("sealId":"s","signLeft":75,"signTimestamp":"ts","signTop":120,"signType":"seal"})");
}
