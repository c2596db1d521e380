#pragma once
// A stand-in service on 127.0.0.1 for each test, the client pointed at it, its CA trusted
// in-process, watchdogs scaled down and the log written into a folder of the test's own.

#include "CLog.h"
#include "NetWorkBusiness.h"
#include "StandinService.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSslConfiguration>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <QTest>
#include <gtest/gtest.h>

// Tests of time-outs run every watchdog at this fraction of its time: 5000 ms becomes 100 ms.
// Other tests keep the real times, which only bound their waits.
constexpr double kTestDurationScale = 0.02;

inline void trustInProcess(const QSslCertificate& ca)
{
    QSslConfiguration conf = QSslConfiguration::defaultConfiguration();
    conf.addCaCertificate(ca);
    QSslConfiguration::setDefaultConfiguration(conf);
}

// Processes events until pred holds or the bound passes; returns pred().
template <typename Pred>
bool waitUntil(Pred pred, int boundMs = 5000)
{
    QElapsedTimer t;
    t.start();
    while (!pred() && t.elapsed() < boundMs)
        QTest::qWait(5);
    return pred();
}

// Runs events until a timer of twice intervalMs, started now, has fired. Qt fires timers in the
// order they fall due, so by then every timer still armed with intervalMs or less has ticked,
// and what the tick started in a nested wait has ended (that wait ends before this one): a
// "nothing more happens" check that follows sees the tick that should not have come.
inline bool runPastTicks(int intervalMs)
{
    QTimer marker;
    marker.setSingleShot(true);
    marker.setTimerType(Qt::PreciseTimer);
    QSignalSpy fired(&marker, &QTimer::timeout);
    marker.start(2 * qMax(1, intervalMs));
    return fired.wait(2 * intervalMs + 5000);
}

class CloudTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_logDir.isValid());
        CLog::setLogFolder(m_logDir.path());
        QString error;
        ASSERT_TRUE(standin.start(0, QByteArray(), QString(), &error)) << error.toStdString();
        trustInProcess(standin.caCertificate());
        QReplyTimeOut::setDurationScale(1.0);
        client = NetWorkBusiness::Instance();
        client->setServiceAddress(standin.baseAddress());
        // Each test starts logged out.
        if (client->getLoginState() == NetWorkBusiness::LOGINED)
            client->getNetCodeInfo(51001);
    }

    void TearDown() override
    {
        EXPECT_TRUE(standin.shapeErrors().isEmpty()) << standin.shapeErrors().join("\n").toStdString();
        // What the test left queued (finished replies and their deleteLater) runs before the
        // stand-in goes.
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        standin.stop();
        CLog::setLogFolder(QString());
    }

    // Logs in with the seeded account and waits for the answer.
    bool login() { return loginWith(kAccount, kPassword); }

    // Logs in with account and password and waits for the answer; true when it succeeded.
    bool loginWith(const QString& account, const QString& password)
    {
        bool done = false, failed = false;
        auto c = QObject::connect(client, &NetWorkBusiness::LoginSucc, [&] { done = true; });
        auto e = QObject::connect(client, &NetWorkBusiness::LoginError, [&] { failed = true; });
        client->loginBusiness(account, password, "1");
        waitUntil([&] { return done || failed; });
        QObject::disconnect(c);
        QObject::disconnect(e);
        return done;
    }

    // Everything written to the log so far.
    QString logText() const
    {
        QString all;
        QFile f(CLog::logFilePath(CLog::now()));
        if (f.open(QIODevice::ReadOnly))
            all = QString::fromUtf8(f.readAll());
        return all;
    }

    static constexpr const char* kAccount = "13800000000";
    static constexpr const char* kPassword = "Orvessa@2024";

    QTemporaryDir m_logDir;
    StandinService standin;
    NetWorkBusiness* client = nullptr;
};
