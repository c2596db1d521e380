#pragma once
// The cloud test fixture with the certificate requests pointed at the stand-in (through the
// configuration file they read) and logins as any seeded account.

#include "CloudTestSupport.h"
#include "GlobalHeader.h"
#include "StandinOpsAccount.h"

#include <QFile>
#include <QJsonDocument>
#include <QSettings>

inline QString u8(const char* s)
{
    return QString::fromUtf8(s);
}

class AccountTest : public CloudTest
{
protected:
    void SetUp() override
    {
        CloudTest::SetUp();
        ASSERT_TRUE(m_configDir.isValid());
        m_savedExePath = client->m_exePath;
        client->m_exePath = m_configDir.filePath("config.ini");
        QSettings ini(client->m_exePath, QSettings::IniFormat);
        ini.setValue("Config/i", QString::fromLatin1(standin.configValue()));
        // The service's CA certificates: what the stand-in's signing certificates lead to.
        QFile ca(m_configDir.filePath("service-ca.pem"));
        ASSERT_TRUE(ca.open(QIODevice::WriteOnly));
        ca.write(standin.signingCaCertificatePem());
        ca.close();
        ini.setValue("Config/ca", "service-ca.pem");
        ini.sync();
        g_cerData.clear();
        g_certTime = CCertTime();
    }

    void TearDown() override
    {
        client->m_exePath = m_savedExePath;
        g_cerData.clear();
        g_certTime = CCertTime();
        CloudTest::TearDown();
    }

    bool loginAs(const QString& account, const QString& password = QStringLiteral("Orvessa@2024"))
    {
        return loginWith(account, password);
    }

    // The JSON body of the last request to path.
    QJsonObject lastBody(const QString& path)
    {
        const QList<StandinRequest> sent = standin.requests(path);
        return sent.isEmpty() ? QJsonObject() : QJsonDocument::fromJson(sent.last().body).object();
    }

    QList<StandinSms> outbox()
    {
        QList<StandinSms> out;
        standin.withState([&](StandinState& s) { out = s.account->outbox; });
        return out;
    }

    QTemporaryDir m_configDir;
    QString m_savedExePath;
};
