// The end of a process whose threads used TLS.

#include <QProcess>
#include <gtest/gtest.h>

// The toolkit's network threads end after QThread::wait() has returned, and may still be ending
// while the process exits: the OpenSSL state they leave must be freed all the same, or the leak
// check at exit reports it (now and then, under load).
TEST(ProcessExit, ThreadStillEndingAtExitLeavesNoOpenSslState)
{
    QProcess child;
    child.start(ORV_LATE_THREAD_EXE, QStringList());
    ASSERT_TRUE(child.waitForFinished(60000));
    const QByteArray out = child.readAllStandardOutput();
    const QByteArray err = child.readAllStandardError();
    EXPECT_TRUE(out.contains("[  PASSED  ] 1 test")) << out.toStdString();
    EXPECT_EQ(child.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(child.exitCode(), 0) << err.toStdString();
}
