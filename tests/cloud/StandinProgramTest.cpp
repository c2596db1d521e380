// The orvessa-standin program, and the logout sent when the main window closes.

#include "CloudTestSupport.h"
#include "Orvessa.h"

#include <QFile>
#include <QProcess>
#include <QSettings>
#include <QSslCertificate>
#include <QTemporaryDir>
#include <QSignalSpy>

namespace {

// Starts the program and reads the lines it prints at start (three with a CA folder).
bool startProgram(QProcess& p, const QStringList& extra, QMap<QString, QString>& printed)
{
    p.start(ORV_STANDIN_EXE, QStringList{"--listen", "127.0.0.1:0"} + extra);
    if (!p.waitForStarted(10000))
        return false;
    const int lines = extra.contains("--ca-dir") ? 3 : 2;
    while (printed.size() < lines && p.waitForReadyRead(10000)) {
        while (p.canReadLine()) {
            const QString line = QString::fromUtf8(p.readLine()).trimmed();
            printed.insert(line.section('=', 0, 0), line.section('=', 1));
        }
    }
    return printed.contains("port") && printed.contains("config_i");
}

} // namespace

using StandinProgram = CloudTest;

TEST_F(StandinProgram, AnswersALoginAndStopsAtEndOfInput)
{
    QTemporaryDir caDir;
    QProcess program;
    QMap<QString, QString> printed;
    ASSERT_TRUE(startProgram(program, {"--ca-dir", caDir.path(), "--max-seconds", "60"}, printed));
    const QString address = QString::fromUtf8(QByteArray::fromBase64(printed.value("config_i").toLatin1()));
    EXPECT_EQ(address, QString("127.0.0.1:%1/v2").arg(printed.value("port")));

    QFile ca(caDir.filePath("ca.crt"));
    ASSERT_TRUE(ca.open(QIODevice::ReadOnly));
    trustInProcess(QSslCertificate(ca.readAll(), QSsl::Pem));
    client->setServiceAddress(address);
    ASSERT_TRUE(login());
    EXPECT_EQ(client->getLoginState(), NetWorkBusiness::LOGINED);

    program.closeWriteChannel();
    ASSERT_TRUE(program.waitForFinished(10000));
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 0) << program.readAllStandardError().toStdString();
}

// The SM2 CA that issues the signing certificates is published in the CA folder and kept across
// starts; Config/ca naming that file gives the client the service's CA certificates.
TEST_F(StandinProgram, PublishesItsSigningCaAndKeepsItAcrossStarts)
{
    QTemporaryDir caDir;
    QByteArray first;
    for (int start = 0; start < 2; ++start) {
        QProcess program;
        QMap<QString, QString> printed;
        ASSERT_TRUE(startProgram(program, {"--ca-dir", caDir.path(), "--max-seconds", "60"}, printed));
        const QString path = printed.value("config_ca");
        EXPECT_EQ(path, caDir.filePath("signing-ca.crt"));
        QTemporaryDir configDir;
        const QString ini = configDir.filePath("config.ini");
        {
            QSettings config(ini, QSettings::IniFormat);
            config.setValue("Config/ca", path);
        }
        const QByteArray pem = NetWorkBusiness::readServiceCaCertificates(ini);
        const QList<QSslCertificate> certs = QSslCertificate::fromData(pem, QSsl::Pem);
        ASSERT_EQ(certs.size(), 1);
        EXPECT_EQ(certs.first().subjectInfo(QSslCertificate::CommonName).value(0), "Orvessa stand-in SM2 CA");
        if (start == 0)
            first = pem;
        else
            EXPECT_EQ(pem, first) << "the CA is kept across starts";
        program.closeWriteChannel();
        ASSERT_TRUE(program.waitForFinished(10000));
    }
    // A relative name is taken beside the INI file; a missing key or file gives nothing.
    QTemporaryDir configDir;
    const QString ini = configDir.filePath("config.ini");
    EXPECT_TRUE(NetWorkBusiness::readServiceCaCertificates(ini).isEmpty());
    QFile::copy(caDir.filePath("signing-ca.crt"), configDir.filePath("service-ca.pem"));
    {
        QSettings config(ini, QSettings::IniFormat);
        config.setValue("Config/ca", "service-ca.pem");
    }
    EXPECT_EQ(NetWorkBusiness::readServiceCaCertificates(ini), first);
    {
        QSettings config(ini, QSettings::IniFormat);
        config.setValue("Config/ca", "missing.pem");
    }
    EXPECT_TRUE(NetWorkBusiness::readServiceCaCertificates(ini).isEmpty());
}

TEST_F(StandinProgram, StopsAfterMaxSecondsAndOnTerminate)
{
    {
        QProcess program;
        QMap<QString, QString> printed;
        ASSERT_TRUE(startProgram(program, {"--max-seconds", "0.2"}, printed));
        ASSERT_TRUE(program.waitForFinished(10000));
        EXPECT_EQ(program.exitCode(), 0);
    }
    {
        QProcess program;
        QMap<QString, QString> printed;
        ASSERT_TRUE(startProgram(program, {}, printed));
        program.terminate();
        ASSERT_TRUE(program.waitForFinished(10000));
        EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(program.exitCode(), 0);
    }
    {
        QProcess program;
        program.start(ORV_STANDIN_EXE, {"--listen", "192.0.2.1:0"});
        ASSERT_TRUE(program.waitForFinished(10000));
        EXPECT_NE(program.exitCode(), 0);
    }
}

TEST_F(StandinProgram, ClosingTheMainWindowLogsOut)
{
    Orvessa window;
    window.show();
    ASSERT_TRUE(login());
    const QString token = client->sessionToken();
    window.close();
    // The logout went out and was answered before close() returned.
    const QList<StandinRequest> sent = standin.requests("/eseal-usermanage/logout");
    ASSERT_EQ(sent.size(), 1);
    EXPECT_EQ(sent.first().header("token"), token.toUtf8());
    EXPECT_EQ(standin.sessionCount(), 0);
    EXPECT_EQ(client->getLoginState(), NetWorkBusiness::UNLOGIN);

    // Logged out: closing sends nothing.
    Orvessa second;
    second.show();
    second.close();
    EXPECT_EQ(standin.requests("/eseal-usermanage/logout").size(), 1);
}

TEST_F(StandinProgram, ClosingWaitsOnlyBriefly)
{
    ASSERT_TRUE(login());
    StandinScript hang;
    hang.hang = true;
    standin.script("/eseal-usermanage/logout", hang);
    QReplyTimeOut::setDurationScale(0.1);   // the bounded wait: 150 ms
    Orvessa window;
    window.show();
    QElapsedTimer t;
    t.start();
    window.close();
    EXPECT_LT(t.elapsed(), 1500);
    EXPECT_EQ(standin.requests("/eseal-usermanage/logout").size(), 1);
}
