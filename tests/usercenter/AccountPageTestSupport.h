#pragma once
// Shared by the account page's tests: changing a stand-in account before it logs in, pressing
// labels, USB keys put into the registry for one test, and the service paths the page uses.

#include "LoginTestSupport.h"

#include "DeviceBussiness.h"

#include <QApplication>
#include <QLabel>
#include <QMouseEvent>

namespace account_test {

constexpr const char* kPerson = "13800000000";
constexpr const char* kCompany = "13900000000";
constexpr const char* kExpired = "13500000000";
constexpr const char* kHeldPackagesPath = "/eseal-meal/centreBalanceController/getUserId";
constexpr const char* kMealListPath = "/eseal-meal/query/list/meal";
constexpr const char* kUploadPath = "/eseal-file/file/upLoad";
constexpr const char* kUpdateUserPath = "/eseal-usermanage/user/updateUser";
constexpr const char* kPasswordPath = "/eseal-usermanage/user/updatePassWord";
constexpr const char* kContactPhonePath = "/eseal-usermanage/user/update/contactPhone";
constexpr const char* kPayStatusPath = "/eseal-pay/query/payStatus";

// A left-button press on a widget, delivered as the window system would (event filters first).
inline void press(QWidget* w)
{
    QMouseEvent event(QEvent::MouseButtonPress, QPointF(2, 2), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(w, &event);
}

// USB keys in the registry for the life of the object (the registry is process-wide).
class InsertedKeys
{
public:
    struct Key {
        QString device;
        QString licence;
        QString sealName;
    };
    explicit InsertedKeys(const QList<Key>& keys)
    {
        for (const Key& k : keys)
            insert(k);
    }
    ~InsertedKeys()
    {
        for (const QString& d : m_devices)
            DeviceBussiness::Instance()->pulloutDevice(d);
    }
    void insert(const Key& k)
    {
        keycontiaininfo info;
        info.deviceName = k.device;
        info.strLicNum = k.licence;
        info.sealName = k.sealName;
        info.sealCode = k.device + "-code";
        DeviceBussiness::Instance()->insertDevice(k.device, QString());
        DeviceBussiness::Instance()->insertKeyContainInfo(k.device, info);
        m_devices << k.device;
    }
    void pullOut(const QString& device)
    {
        DeviceBussiness::Instance()->pulloutDevice(device);
        m_devices.removeAll(device);
    }

private:
    QStringList m_devices;
};

class AccountPageTest : public LoginTest
{
protected:
    void SetUp() override
    {
        LoginTest::SetUp();
        QSettings ini(configPath, QSettings::IniFormat);
        ini.setValue("addressUrl/auth", QString::fromLatin1(QByteArray("https://auth.example/company?token=").toBase64()));
        ini.setValue("addressUrl/per_auth",
                     QString::fromLatin1(QByteArray("https://auth.example/person?token=").toBase64()));
        ini.sync();
    }

    // Changes fields of a stand-in account's record (what its next login returns).
    void setUserData(const QString& account, const QJsonObject& changes)
    {
        standin.withState([&](StandinState& s) {
            QJsonObject& data = s.users[account].data;
            for (auto it = changes.begin(); it != changes.end(); ++it)
                data.insert(it.key(), it.value());
        });
    }

    // Adds an account that logs in with the usual password.
    void addUser(const QString& account, const QJsonObject& data)
    {
        standin.withState([&](StandinState& s) {
            StandinUser u;
            u.account = account;
            u.password = QString::fromLatin1(kPassword);
            u.data = data;
            s.users.insert(account, u);
        });
    }

    // The certificate of account ends `days` days from the service's present time.
    void certificateEndsIn(const QString& account, int days)
    {
        standin.withState([&](StandinState& s) { s.account->certs[account].notAfter = s.now() + days * 86400LL; });
    }

    // Ends the client's session (as a rejected session would) so that another account can log in.
    void endSession() { client->getNetCodeInfo(51001); }
};

} // namespace account_test
