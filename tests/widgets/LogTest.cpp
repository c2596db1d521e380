#include "CLog.h"
#include "TestPrinters.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace {

QDateTime g_fixedNow;
QDateTime fixedClock()
{
    return g_fixedNow;
}

// Points the writer and the cleaner at a temporary folder and a fixed clock for one test.
class LogTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_tmp.isValid());
        CLog::setLogFolder(m_tmp.path() + "/OrvessaLogs");
        CLog::setAppLogFolder(m_tmp.path() + "/app/Logs");
    }
    void TearDown() override
    {
        CLog::setClock(nullptr);
        CLog::setLogFolder(QString());
        CLog::setAppLogFolder(QString());
    }
    static QByteArray readAll(const QString& path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }
    static void touch(const QString& path, const QByteArray& bytes = "x")
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    static mode_t modeOf(const QString& path)
    {
        struct stat st;
        if (::lstat(QFile::encodeName(path).constData(), &st) != 0)
            return 0;
        return st.st_mode & 07777;
    }
    QTemporaryDir m_tmp;
};

TEST_F(LogTest, WritesOneLinePerCallIntoTheDaysFile)
{
    g_fixedNow = QDateTime(QDate(2024, 3, 7), QTime(9, 5, 1));
    CLog::setClock(&fixedClock);

    struct Case {
        const char* text;
        QString prefix;
        const char* expected;
    } cases[] = {
        {"hello", QString(), "2024-03-07 09:05:01[src/a,f(12)]: hello\n"},
        {"hello", QStringLiteral("\n\n\n"), "\n\n\n2024-03-07 09:05:01[src/a,f(12)]: hello\n"},
        {"签署成功", QString(), "2024-03-07 09:05:01[src/a,f(12)]: 签署成功\n"},
    };
    const QString file = m_tmp.path() + "/OrvessaLogs/2024-03-07.log";
    EXPECT_EQ(CLog::logFilePath(g_fixedNow), file);
    QByteArray expected;
    for (const Case& c : cases) {
        CLog::writeLogs("src/a", 12, "f", QString::fromUtf8(c.text), c.prefix);
        expected += QByteArray(c.expected);
        EXPECT_EQ(readAll(file), expected) << c.text;
    }

    // The next day starts a new file.
    g_fixedNow = QDateTime(QDate(2024, 3, 8), QTime(0, 0, 0));
    ORV_LOG("next");
    const QByteArray next = readAll(m_tmp.path() + "/OrvessaLogs/2024-03-08.log");
    EXPECT_TRUE(next.startsWith("2024-03-08 00:00:00[")) << next.constData();
    EXPECT_TRUE(next.contains("LogTest.cpp,")) << next.constData();
    EXPECT_TRUE(next.endsWith(")]: next\n")) << next.constData();
}

TEST_F(LogTest, FolderAndFilesArePrivate)
{
    const QString folder = m_tmp.path() + "/OrvessaLogs";
    CLog::writeLogs("a", 1, "f", "secret reply");
    EXPECT_EQ(modeOf(folder), mode_t(0700));
    const QStringList files = QDir(folder).entryList(QDir::Files);
    ASSERT_EQ(files.size(), 1);
    EXPECT_EQ(modeOf(folder + "/" + files.first()), mode_t(0600));

    // A folder and a file of ours left readable by others are narrowed when next written.
    ASSERT_EQ(::chmod(QFile::encodeName(folder).constData(), 0755), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(folder + "/" + files.first()).constData(), 0644), 0);
    CLog::writeLogs("a", 2, "f", "more");
    EXPECT_EQ(modeOf(folder), mode_t(0700));
    EXPECT_EQ(modeOf(folder + "/" + files.first()), mode_t(0600));
}

TEST_F(LogTest, NeverWritesThroughSymbolicLinksOrIntoForeignFolders)
{
    g_fixedNow = QDateTime(QDate(2024, 3, 7), QTime(9, 5, 1));
    CLog::setClock(&fixedClock);

    // The folder is a symbolic link to a folder elsewhere: nothing is written.
    const QString elsewhere = m_tmp.path() + "/elsewhere";
    ASSERT_TRUE(QDir().mkpath(elsewhere));
    ASSERT_TRUE(QFile::link(elsewhere, m_tmp.path() + "/OrvessaLogs"));
    CLog::writeLogs("a", 1, "f", "x");
    EXPECT_TRUE(QDir(elsewhere).entryList(QDir::Files).isEmpty());

    // The day's file is a symbolic link to a victim file: it is not followed.
    CLog::setLogFolder(m_tmp.path() + "/logs2");
    ASSERT_TRUE(QDir().mkpath(m_tmp.path() + "/logs2"));
    const QString victim = m_tmp.path() + "/victim.txt";
    touch(victim, "keep");
    ASSERT_TRUE(QFile::link(victim, m_tmp.path() + "/logs2/2024-03-07.log"));
    CLog::writeLogs("a", 1, "f", "x");
    EXPECT_EQ(readAll(victim), QByteArray("keep"));

    // A FIFO under the day's name neither blocks nor receives the line.
    CLog::setLogFolder(m_tmp.path() + "/logs3");
    ASSERT_TRUE(QDir().mkpath(m_tmp.path() + "/logs3"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(m_tmp.path() + "/logs3/2024-03-07.log").constData(), 0600), 0);
    CLog::writeLogs("a", 1, "f", "x");

    // A folder owned by someone else is left alone (needs the right to give a folder away).
    const QString foreign = m_tmp.path() + "/foreign";
    ASSERT_TRUE(QDir().mkpath(foreign));
    if (::chown(QFile::encodeName(foreign).constData(), 65534, 65534) != 0)
        GTEST_SKIP() << "cannot change a folder's owner here";
    CLog::setLogFolder(foreign);
    CLog::writeLogs("a", 1, "f", "x");
    EXPECT_TRUE(QDir(foreign).entryList(QDir::Files).isEmpty());
    EXPECT_FALSE(CLog::isPrivateFolder(foreign, true));
}

// A shared folder that is not ours stays refused; this user's lines go to a private folder of
// their own beside it, whose day file says first where they are and why.
TEST_F(LogTest, ForeignSharedFolderSendsLinesToAPrivateFolderOfThisUser)
{
    g_fixedNow = QDateTime(QDate(2024, 3, 7), QTime(9, 5, 1));
    CLog::setClock(&fixedClock);
    struct Case {
        const char* name;
        bool (*make)(const QString& shared, const QString& tmp);
    } cases[] = {
        {"a symbolic link",
         [](const QString& shared, const QString& tmp) {
             return QDir().mkpath(tmp + "/elsewhere") && QFile::link(tmp + "/elsewhere", shared);
         }},
        {"another user's folder",
         [](const QString& shared, const QString&) {
             return QDir().mkpath(shared) && ::chown(QFile::encodeName(shared).constData(), 65534, 65534) == 0;
         }},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString shared = m_tmp.path() + "/shared" + QString::number(++n);
        if (!c.make(shared, m_tmp.path())) {
            ASSERT_STRNE(c.name, "a symbolic link");
            continue; // giving a folder away needs the right to do so
        }
        CLog::setLogFolder(shared);
        const QString own = shared + "-" + QString::number(::geteuid());
        EXPECT_EQ(CLog::userLogFolder(shared), own);
        CLog::writeLogs("src/a", 12, "f", "first");
        CLog::writeLogs("src/a", 13, "f", "second");

        EXPECT_TRUE(QDir(shared).entryList(QDir::Files).isEmpty()) << "the shared folder is left alone";
        EXPECT_TRUE(QDir(m_tmp.path() + "/elsewhere").entryList(QDir::Files).isEmpty());
        EXPECT_EQ(modeOf(own), mode_t(0700));
        EXPECT_EQ(CLog::activeLogFolder(), own);
        EXPECT_EQ(CLog::logFilePath(g_fixedNow), own + "/2024-03-07.log");
        const QStringList lines = QString::fromUtf8(readAll(own + "/2024-03-07.log")).split('\n', Qt::SkipEmptyParts);
        ASSERT_EQ(lines.size(), 3) << lines.join('\n').toStdString();
        EXPECT_TRUE(lines[0].startsWith("2024-03-07 09:05:01[")) << lines[0].toStdString();
        EXPECT_TRUE(lines[0].contains(shared) && lines[0].contains(own)) << lines[0].toStdString();
        EXPECT_EQ(lines[1], "2024-03-07 09:05:01[src/a,f(12)]: first");
        EXPECT_EQ(lines[2], "2024-03-07 09:05:01[src/a,f(13)]: second");
        EXPECT_EQ(modeOf(own + "/2024-03-07.log"), mode_t(0600));
        // The cleaner looks after this user's folder too.
        CLogClearThread thread;
        EXPECT_TRUE(thread.folders().contains(own));
    }
}

TEST_F(LogTest, SubDateCountsWholeDaysLikeTheCleaner)
{
    g_fixedNow = QDateTime::fromSecsSinceEpoch(1709800000);
    CLog::setClock(&fixedClock);
    const struct {
        qint64 secondsAgo;
        int days;
    } cases[] = {{0, -1}, {1, 0}, {86400, 0}, {86401, 1}, {259200, 2}, {259201, 3}};
    for (const auto& c : cases)
        EXPECT_EQ(CLog::subDate(g_fixedNow.addSecs(-c.secondsAgo)), c.days) << c.secondsAgo;
    // A time in the future wraps around to a large age.
    EXPECT_GT(CLog::subDate(g_fixedNow.addSecs(3600)), 2);
}

TEST_F(LogTest, CleanerRemovesOldLogFilesFromBothFolders)
{
    const QString writer = m_tmp.path() + "/OrvessaLogs";
    const QString app = m_tmp.path() + "/app/Logs";
    for (const QString& folder : {writer, app}) {
        ASSERT_TRUE(QDir().mkpath(folder + "/sub.log"));
        ASSERT_EQ(::chmod(QFile::encodeName(folder).constData(), 0700), 0);
        touch(folder + "/2024-03-01.log");
        touch(folder + "/2024-03-02.log");
        touch(folder + "/notes.txt");
    }
    const QString outside = m_tmp.path() + "/outside.log";
    touch(outside);
    ASSERT_TRUE(QFile::link(outside, writer + "/link.log"));

    EXPECT_EQ(CLog::getDirFiles(writer + "/", {"*.log"}), (QStringList{"2024-03-01.log", "2024-03-02.log"}));
    const QDateTime created = CLog::getFileCreateDateTime(writer + "/2024-03-01.log");
    ASSERT_TRUE(created.isValid());
    EXPECT_EQ(CLog::getFileCreateDateTime("2024-03-01.log").isValid(), true); // relative: the app folder

    CLogClearThread thread;
    EXPECT_EQ(thread.folders(), (QStringList{app, writer}));

    // Just under three days old: everything stays.
    g_fixedNow = created.addSecs(259200 - 120);
    CLog::setClock(&fixedClock);
    thread.start();
    ASSERT_TRUE(thread.wait(10000));
    for (const QString& folder : {writer, app})
        EXPECT_EQ(QDir(folder).entryList(QDir::Files).size(), folder == writer ? 4 : 3);

    // Past three days: the ".log" files go, everything else stays.
    g_fixedNow = created.addSecs(259200 + 120);
    thread.start();
    ASSERT_TRUE(thread.wait(10000));
    for (const QString& folder : {writer, app}) {
        QStringList expected{"notes.txt"};
        if (folder == writer)
            expected.prepend("link.log");
        EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::System, QDir::Name), expected) << folder;
        EXPECT_TRUE(QFileInfo(folder + "/sub.log").isDir());
    }
    EXPECT_TRUE(QFile::exists(outside));
}

TEST_F(LogTest, CleanerIgnoresMissingAndLinkedFolders)
{
    EXPECT_EQ(CLog::cleanFolder(m_tmp.path() + "/none"), 0);
    const QString real = m_tmp.path() + "/real";
    ASSERT_TRUE(QDir().mkpath(real));
    touch(real + "/old.log");
    ASSERT_TRUE(QFile::link(real, m_tmp.path() + "/linked"));
    g_fixedNow = QDateTime::currentDateTime().addDays(30);
    CLog::setClock(&fixedClock);
    EXPECT_EQ(CLog::cleanFolder(m_tmp.path() + "/linked"), 0);
    EXPECT_TRUE(QFile::exists(real + "/old.log"));
    EXPECT_EQ(CLog::cleanFolder(real), 1);
}

TEST(LogMasking, SecretsAreMaskedAndEverythingElseKept)
{
    const struct {
        const char* in;
        const char* out;
    } cases[] = {
        {R"({"clientType":"pc","userAccount":"bob","userPassword":"p@\"ss"})",
         R"({"clientType":"pc","userAccount":"bob","userPassword":"***"})"},
        {R"({"code":10000,"msg":"ok","token":"abc.def","data":{"sealCode":"123","signPassword":"9"}})",
         R"({"code":10000,"msg":"ok","token":"***","data":{"sealCode":"123","signPassword":"***"}})"},
        {R"({"verifyCode": 123456, "newUserPassword" : "x", "creditCode":"91"})",
         R"({"verifyCode": "***", "newUserPassword" : "***", "creditCode":"91"})"},
        {"GET /check?userId=7&token=xyz HTTP", "GET /check?userId=7&token=*** HTTP"},
        {"no secrets here: code 10000", "no secrets here: code 10000"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CLog::maskSecrets(QString::fromUtf8(c.in)), QString::fromUtf8(c.out)) << c.in;
    EXPECT_EQ(CLog::mask("123456"), "***");
    EXPECT_TRUE(CLog::isSecretKey("checkSignPassword"));
    EXPECT_FALSE(CLog::isSecretKey("code"));
    EXPECT_FALSE(CLog::isSecretKey("sealCode"));
}

} // namespace

namespace {

TEST_F(LogTest, LinesFromSeveralThreadsArriveWhole)
{
    constexpr int kThreads = 4;
    constexpr int kLines = 200;
    QList<QThread*> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads << QThread::create([t] {
            for (int i = 0; i < kLines; ++i)
                CLog::writeLogs("src/t", i, "worker", QString("thread %1 line %2 ").arg(t).arg(i) + QString(300, 'x'),
                                i == 0 ? QStringLiteral("\n\n\n") : QString());
        });
        threads.last()->start();
    }
    for (QThread* th : threads) {
        ASSERT_TRUE(th->wait(30000));
        delete th;
    }
    QStringList lines = QString::fromUtf8(readAll(CLog::logFilePath(CLog::now()))).split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), kThreads * kLines);
    for (const QString& line : lines) {
        ASSERT_TRUE(line.contains("[src/t,worker(")) << line;
        ASSERT_TRUE(line.endsWith(QString(300, 'x'))) << line;
    }
}

} // namespace
