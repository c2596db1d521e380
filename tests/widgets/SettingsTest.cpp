#include "RegeditSettings.h"
#include "TestPrinters.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// Every test gets its own empty per-user store in a temporary folder.
class SettingsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_tmp.isValid());
        s = RegeditSettings::Instance();
    }
    void TearDown() override { RegeditSettings::release(); }

    static recentfile rf(const QString& file, bool fixed = false, const QString& date = "2024.03.07 09:05:01")
    {
        recentfile r;
        r.file = file;
        r.fixed = fixed;
        r.date = date;
        return r;
    }
    // "P" for an unpinned entry, "P*" for a pinned one.
    static QStringList names(const QList<recentfile>& files)
    {
        QStringList out;
        for (const recentfile& f : files)
            out << f.file + (f.fixed ? "*" : "");
        return out;
    }
    // Writes a list straight into the store, as a hand edit or an older run would leave it.
    static void store(const QList<recentfile>& files)
    {
        QSettings st("Telvar Co.Ltd", "Orvessa");
        st.remove("RecentDocuments");
        st.beginWriteArray("RecentDocuments", files.size());
        for (int i = 0; i < files.size(); ++i) {
            st.setArrayIndex(i);
            st.setValue("Path", files[i].file);
            st.setValue("Date", files[i].date);
            st.setValue("Fixed", files[i].fixed);
        }
        st.endArray();
    }
    // A key that any rewrite of the array's group removes.
    static void mark(const QString& group)
    {
        QSettings st("Telvar Co.Ltd", "Orvessa");
        st.setValue(group + "/marker", 1);
    }
    static bool marked(const QString& group)
    {
        QSettings st("Telvar Co.Ltd", "Orvessa");
        return st.contains(group + "/marker");
    }

    QTemporaryDir m_tmp;
    ScopedSettingsLocation m_location{m_tmp.path()};
    RegeditSettings* s = nullptr;
};

TEST_F(SettingsTest, IdentityAndSingleton)
{
    EXPECT_EQ(RegeditSettings::Instance(), s);
    EXPECT_EQ(QCoreApplication::organizationName(), "Telvar Co.Ltd");
    EXPECT_EQ(QCoreApplication::applicationName(), "Orvessa");
    EXPECT_EQ(QCoreApplication::applicationVersion(), "5.7.0");
    RegeditSettings::release();
    RegeditSettings::release(); // twice is harmless
    s = RegeditSettings::Instance();
    EXPECT_NE(s, nullptr);
}

TEST_F(SettingsTest, RecentDocumentsKeepPinnedPositions)
{
    struct Case {
        const char* name;
        QList<recentfile> before;
        recentfile opened;
        QStringList after;
    } cases[] = {
        {"one entry per path, most recent first", {rf("Q"), rf("P")}, rf("P"), {"P", "Q"}},
        {"pinned second stays second", {rf("P"), rf("Q", true), rf("R")}, rf("S"), {"S", "Q*", "P", "R"}},
        {"pinned first stays first", {rf("P", true), rf("Q"), rf("R")}, rf("R"), {"P*", "R", "Q"}},
        {"opening a pinned one unpins it", {rf("P", true), rf("Q")}, rf("P"), {"P", "Q"}},
        {"empty list", {}, rf("P"), {"P"}},
        // A path stored several times (a hand-edited store) shortens the list below a pinned
        // entry's position: it goes to the end instead of out of range.
        {"pinned position past the end", {rf("X"), rf("X"), rf("X"), rf("P", true)}, rf("X"), {"X", "P*"}},
    };
    for (const Case& c : cases) {
        store(c.before);
        s->setRecentlyFile(c.opened);
        EXPECT_EQ(names(s->recentlyFiles()), c.after) << c.name;
    }
}

TEST_F(SettingsTest, ReopeningTheFirstDocumentRewritesOnlyWhenSomethingChanged)
{
    store({rf("P", false, "d1"), rf("Q")});
    mark("RecentDocuments");
    s->setRecentlyFile(rf("P", false, "d1"));
    EXPECT_TRUE(marked("RecentDocuments"));
    s->setRecentlyFile(rf("P", false, "d2"));
    EXPECT_FALSE(marked("RecentDocuments"));
    ASSERT_EQ(s->recentlyFiles().size(), 2);
    EXPECT_EQ(s->recentlyFiles().first().date, "d2");
}

TEST_F(SettingsTest, PinAndRemoveRecentDocuments)
{
    store({rf("P"), rf("Q"), rf("P"), rf("R")});
    s->setRecentlyFileFiexed(rf("P", true, QString()));
    EXPECT_EQ(names(s->recentlyFiles()), (QStringList{"P*", "Q", "P", "R"}));
    EXPECT_EQ(s->recentlyFiles().first().date, "2024.03.07 09:05:01"); // only the flag changes
    s->setRecentlyFileFiexed(rf("nope", true));
    EXPECT_EQ(names(s->recentlyFiles()), (QStringList{"P*", "Q", "P", "R"}));

    mark("RecentDocuments");
    s->deleteRecentlyFile("nope");
    EXPECT_TRUE(marked("RecentDocuments"));
    s->deleteRecentlyFile("P");
    EXPECT_EQ(names(s->recentlyFiles()), (QStringList{"Q", "R"}));
}

TEST_F(SettingsTest, RecentFolders)
{
    EXPECT_TRUE(s->recentlyFolds().isEmpty());
    EXPECT_EQ(s->recentlyFold(), QDir::homePath());
    s->setRecentlyFold("/home/u/docs/a.pdf");
    s->setRecentlyFold("/home/u/other/b.pdf");
    s->setRecentlyFold("/home/u/docs/c.pdf");
    EXPECT_EQ(s->recentlyFolds(), (QStringList{"/home/u/docs", "/home/u/other"}));
    EXPECT_EQ(s->recentlyFold(), "/home/u/docs");
}

TEST_F(SettingsTest, RememberedUsers)
{
    EXPECT_TRUE(s->recentUsers().isEmpty());
    {
        QSettings st("Telvar Co.Ltd", "Orvessa");
        st.beginWriteArray("UsersInfo", 1);
        st.setArrayIndex(0);
        st.setValue("User", "old");
        st.endArray();
    }
    ASSERT_EQ(s->recentUsers().size(), 1);
    EXPECT_EQ(s->recentUsers().first().second, QByteArray("0")); // a missing password reads "0"

    s->setRencentUser({"bob", "secret"}, false);
    s->setRencentUser({"amy", "pw"}, true);
    const auto users = s->recentUsers();
    ASSERT_EQ(users.size(), 3);
    EXPECT_EQ(users[0], qMakePair(QString("amy"), QByteArray("pw")));
    EXPECT_EQ(users[1], qMakePair(QString("bob"), QByteArray()));
    EXPECT_EQ(users[2].first, "old");

    // The same login again changes nothing and writes nothing.
    mark("UsersInfo");
    s->setRencentUser({"amy", "pw"}, true);
    EXPECT_TRUE(marked("UsersInfo"));
    s->setRencentUser({"bob", "x"}, false);
    EXPECT_FALSE(marked("UsersInfo"));
    EXPECT_EQ(s->recentUsers().first(), qMakePair(QString("bob"), QByteArray()));
}

TEST_F(SettingsTest, StoreIsTheIniFileOfTheUsersLocation)
{
    s->setRecentlyFold("/data/a.pdf");
    EXPECT_TRUE(QFile::exists(m_tmp.path() + "/Telvar Co.Ltd/Orvessa.conf"));
}

TEST_F(SettingsTest, Flags)
{
    EXPECT_TRUE(s->associtatedHinted());
    s->setHintAssociated(false);
    EXPECT_FALSE(s->associtatedHinted());
    EXPECT_TRUE(s->getShowUpdateInfo());
    s->setShowUpdateInfo(false);
    EXPECT_FALSE(s->getShowUpdateInfo());
}

} // namespace
