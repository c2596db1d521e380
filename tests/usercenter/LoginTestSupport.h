#pragma once
// The fixture of the login and user-centre tests: the stand-in service with the certificate
// requests pointed at it, per-user settings and config.ini in folders of the test's own, toasts
// recorded, message boxes answered Ok, and no real waits on toasts or fades.

#include "AccountTestSupport.h"
#include "MMessageBox.h"
#include "ParentDialog.h"
#include "QtTestSupport.h"
#include "QuickMessageBox.h"
#include "RegeditSettings.h"

#include <QDirIterator>
#include <QUrl>

#include <memory>

class LoginTest : public AccountTest
{
protected:
    void SetUp() override
    {
        AccountTest::SetUp();
        ASSERT_TRUE(m_settingsDir.isValid());
        m_settings = std::make_unique<ScopedSettingsLocation>(m_settingsDir.path());
        m_savedConfigPath = configPath;
        configPath = m_configDir.filePath("config.ini");
    }

    void TearDown() override
    {
        configPath = m_savedConfigPath;
        m_settings.reset();
        AccountTest::TearDown();
    }

    // Every byte the per-user settings hold, as text.
    QString settingsText() const
    {
        QString all;
        QDirIterator it(m_settingsDir.path(), QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            QFile f(it.next());
            if (f.open(QIODevice::ReadOnly))
                all += QString::fromUtf8(f.readAll());
        }
        return all;
    }

    int sent(const char* path) const { return standin.requests(path).size(); }
    // How many requests of an operation the client started (its log has one start line each).
    int started(const char* operation) const { return logText().count(QString(operation) + u8("请求开始")); }

    // The next request to a path waits for standin.release(path).
    static StandinScript heldOnce()
    {
        StandinScript s;
        s.times = 1;
        s.hold = true;
        return s;
    }

    static constexpr const char* kLoginPath = "/eseal-usermanage/login";
    static constexpr const char* kCodePath = "/eseal-usermanage/sms/function/sendCode/toContactPhoneOrEmail";
    static constexpr const char* kResetPath = "/eseal-usermanage/user/forgetPassWord";

    ScopedScreenZoom zoom{1.0f};
    ScopedUiDurationScale fast{0.0};
    QuickMessageBoxSpy toasts;
    MMessageBoxAutoAnswer boxes{QDialogButtonBox::Ok};
    QTemporaryDir m_settingsDir;
    std::unique_ptr<ScopedSettingsLocation> m_settings;
    QString m_savedConfigPath;
};

