// The home page's counters against the in-process stand-in: zero and no request while logged
// out; the service's counts of contracts waiting for me, waiting for others and completed once
// logged in; a failed request ends the refresh and leaves the later counts as they were.
#include "CloudTestSupport.h"
#include "HomePage.h"
#include "QtTestSupport.h"
#include "RegeditSettings.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QLabel>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

const char* const kAboutMe = "/tarvik-serve-manage-wexo/contract/query/about/me";

class HomeCounters : public CloudTest
{
protected:
    void SetUp() override
    {
        CloudTest::SetUp();
        if (HasFatalFailure())
            return;
        QString error;
        ASSERT_TRUE(standin.start(0, seed(), QString(), &error)) << error.toStdString();
        trustInProcess(standin.caCertificate());
        client->setServiceAddress(standin.baseAddress());
    }

    // The seeded user ("u-0001") takes part in four issued contracts and one completed one: two
    // wait for the user's signature, one for another signer's.
    static QByteArray seed()
    {
        QJsonObject s = QJsonDocument::fromJson(standinDefaultSeed()).object();
        auto contract = [](const char* id, const char* state) {
            return QJsonObject{{"contractId", id}, {"contractName", id}, {"state", state}, {"issueAccount", kAccount}};
        };
        s.insert("contracts", QJsonObject{{"c-1", contract("c-1", "issued")},
                                          {"c-2", contract("c-2", "issued")},
                                          {"c-3", contract("c-3", "issued")},
                                          {"c-4", contract("c-4", "completed")}});
        auto signer = [](const char* id, const char* contractId, const char* user) {
            return QJsonObject{{"id", id}, {"contractId", contractId}, {"userId", user}, {"signStatus", "unsigned"}};
        };
        s.insert("joinUsers", QJsonObject{{"j-1", signer("j-1", "c-1", "u-0001")},
                                          {"j-2", signer("j-2", "c-2", "u-0001")},
                                          {"j-3", signer("j-3", "c-3", "u-0099")}});
        return QJsonDocument(s).toJson();
    }

    static QStringList counts(const HomePage& page)
    {
        return {page.waitMeCard()->countLabel()->text(), page.waitOtherCard()->countLabel()->text(),
                page.finishedCard()->countLabel()->text()};
    }

    QTemporaryDir dir;
    ScopedSettingsLocation settings{dir.filePath(QStringLiteral("settings"))};
    ScopedScreenZoom zoom{1.0f};
};

TEST_F(HomeCounters, FollowTheLoginState)
{
    HomePage page;
    page.updateUi();
    EXPECT_EQ((QStringList{"0", "0", "0"}), counts(page));
    EXPECT_TRUE(standin.requests(kAboutMe).isEmpty());

    ASSERT_TRUE(login());
    page.updateUi();
    EXPECT_EQ((QStringList{"2", "1", "1"}), counts(page));
    const QList<StandinRequest> sent = standin.requests(kAboutMe);
    ASSERT_EQ(3, sent.size());
    EXPECT_EQ("wait_for_me", sent[0].json.value("contractStatus").toString());
    EXPECT_EQ("wait_for_other", sent[1].json.value("contractStatus").toString());
    EXPECT_EQ("completed", sent[2].json.value("contractStatus").toString());
    EXPECT_FALSE(sent[0].json.contains("contractName"));

    // The first request fails: nothing after it is asked for or changed.
    standin.clearRequests();
    page.waitOtherCard()->setBuiessNums(9);
    StandinScript failing = StandinScript::withEnvelope(QJsonObject{{"code", 4006}, {"msg", "busy"}});
    failing.times = 1;
    standin.script(kAboutMe, failing);
    page.updateUi();
    EXPECT_EQ(1, standin.requests(kAboutMe).size());
    EXPECT_EQ((QStringList{"2", "9", "1"}), counts(page));
}

} // namespace
