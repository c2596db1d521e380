// Request building from the request table, configuration and error texts; no network.

#include "GlobalHeader.h"
#include "NetWorkBusiness.h"

#include <QCoreApplication>
#include <QSettings>
#include <QSslConfiguration>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct Row {
    int id;
    const char* path;   // null: no URL
    bool token;
    bool json;
};

QString base()
{
    return QStringLiteral("127.0.0.1:4443/v2");
}

class RequestBuilding : public ::testing::Test
{
protected:
    void SetUp() override
    {
        client = NetWorkBusiness::Instance();
        client->setServiceAddress(base());
    }
    NetWorkBusiness* client = nullptr;
};

} // namespace

TEST(NetWorkBusinessObject, InstanceIsOneObject)
{
    EXPECT_EQ(NetWorkBusiness::Instance(), NetWorkBusiness::Instance());
    EXPECT_EQ(NetWorkBusiness::Instance()->getLoginState(), 0);
    EXPECT_EQ(NetWorkBusiness::Instance()->getBusinessInfo(), nullptr);
}

TEST_F(RequestBuilding, TableOfIds)
{
    const Row rows[] = {
        {NetWorkBusiness::bt_login, "/eseal-usermanage/login", false, true},
        {NetWorkBusiness::bt_smsno_updatepassword, "/eseal-usermanage/sms/function/sendAuthCode", true, true},
        {NetWorkBusiness::bt_smsno_findpassword, "/eseal-usermanage/sms/function/sendCode/toContactPhoneOrEmail", false, true},
        {NetWorkBusiness::bt_smsno_verfiyphone, "/eseal-usermanage/sms/function/sendAuthCode", true, true},
        {NetWorkBusiness::bt_logout, "/eseal-usermanage/logout", true, true},
        {NetWorkBusiness::bt_findpassword, "/eseal-usermanage/user/forgetPassWord", false, true},
        {NetWorkBusiness::bt_sign, "/eseal-signature/digestSign/getDigestSignInfo", true, true},
        {NetWorkBusiness::bt_verifytsa, "/eseal-signature/timeStamp/timeStampVerify", false, true},
        {NetWorkBusiness::bt_uploadfile, nullptr, false, false},
        {NetWorkBusiness::bt_sealimgUpload, "/eseal-file/file/sealFileUpload", true, false},
        {NetWorkBusiness::bt_fileUpLoad, "/eseal-file/file/upLoad", true, false},
        {NetWorkBusiness::bt_updateFile, "/eseal-file/file/updateFile", true, false},
        {NetWorkBusiness::bt_feedback, "/eseal-menhu/feedback/save", false, true},
        {NetWorkBusiness::bt_queryPageSeals, "/eseal-seal/contract-seal/page/companySeal/", true, true},
        {NetWorkBusiness::bt_contractGetDetails, "/tarvik-contract/contract/getDetails", true, true},
        {NetWorkBusiness::bt_getContractDetails, "/tarvik-contract/contract/getDetails", true, true},
        {NetWorkBusiness::bt_checkToken, "/eseal-usermanage/token/checkToken", true, true},
        {NetWorkBusiness::bt_getServerTime, "/eseal-signature/currentTime/getCurrentTime", false, true},
        {NetWorkBusiness::bt_getNewCert, nullptr, false, false},
        {NetWorkBusiness::bt_checkSignPassword, "/eseal-usermanage/user/checkSignPassword", true, true},
        {NetWorkBusiness::bt_getUpdatePackage, "/eseal-file/admin/file/update/getUpdatePackage", true, true},
        {-1, nullptr, false, false},
        {109, nullptr, false, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.id);
        QNetworkRequest request;
        client->getBusinessRequest(row.id, request);
        const QSslConfiguration tls = request.sslConfiguration();
        EXPECT_EQ(tls.peerVerifyMode(), QSslSocket::VerifyPeer);
        EXPECT_EQ(tls.protocol(), QSsl::TlsV1_2);
        if (!row.path) {
            EXPECT_TRUE(request.url().isEmpty());
            EXPECT_FALSE(request.hasRawHeader("token"));
            continue;
        }
        EXPECT_EQ(request.url().toString(), "https://" + base() + row.path);
        EXPECT_EQ(request.hasRawHeader("token"), row.token);
        EXPECT_EQ(request.header(QNetworkRequest::ContentTypeHeader).toString(),
                  row.json ? QString("application/json") : QString());
    }
}

TEST_F(RequestBuilding, EveryIdFollowsTheRules)
{
    const QList<int> anonymous = {0, 2, 7, 12, 71, 102};
    const QList<int> multipart = {39, 58, 67};
    for (int id = NetWorkBusiness::bt_login; id <= NetWorkBusiness::bt_getUpdatePackage; ++id) {
        SCOPED_TRACE(id);
        QNetworkRequest request;
        client->getBusinessRequest(id, request);
        EXPECT_EQ(request.sslConfiguration().peerVerifyMode(), QSslSocket::VerifyPeer);
        if (id == NetWorkBusiness::bt_uploadfile || id == NetWorkBusiness::bt_getNewCert) {
            EXPECT_TRUE(request.url().isEmpty());
            continue;
        }
        ASSERT_NE(NetWorkBusiness::requestPath(id), nullptr);
        EXPECT_TRUE(request.url().toString().startsWith("https://" + base() + "/"));
        EXPECT_EQ(request.hasRawHeader("token"), !anonymous.contains(id));
        EXPECT_EQ(request.header(QNetworkRequest::ContentTypeHeader).isValid(), !multipart.contains(id));
    }
}

TEST_F(RequestBuilding, SmsRequestsSetTheTemplateId)
{
    client->templateId.clear();
    QNetworkRequest request;
    client->getBusinessRequest(NetWorkBusiness::bt_smsno_modifyphone, request);
    EXPECT_TRUE(client->templateId.isEmpty());
    client->getBusinessRequest(NetWorkBusiness::bt_smsno_findpassword, request);
    EXPECT_EQ(client->templateId, "0000000033");
}

TEST(ServiceConfiguration, BaseAddressFromConfigFile)
{
    QTemporaryDir dir;
    const QString ini = dir.filePath("config.ini");
    EXPECT_EQ(NetWorkBusiness::readServiceAddress(ini), NetWorkBusiness::defaultServiceAddress());
    EXPECT_TRUE(NetWorkBusiness::defaultServiceAddress().endsWith("/v2"));
    {
        QSettings s(ini, QSettings::IniFormat);
        s.setValue("Config/i", QByteArray("127.0.0.1:8443/v2").toBase64());
    }
    EXPECT_EQ(NetWorkBusiness::readServiceAddress(ini), "127.0.0.1:8443/v2");
    EXPECT_EQ(buildUrl("h/v2", "/p", true), "https://h/v2/p");
    EXPECT_EQ(buildUrl("h/v2", "/p", false), "http://h/v2/p");
    EXPECT_EQ(buildFileUrl("h", "/p"), "http://h/p");
}

// Two runs of the application against two services each name their own settings file; without
// one, the file beside the executable is read.
TEST(ServiceAddress, SettingsFileNamedByTheEnvironment)
{
    const QByteArray saved = qgetenv("ORVESSA_CONFIG");
    QTemporaryDir dir;
    const QString ini = dir.filePath("run.ini");
    {
        QSettings s(ini, QSettings::IniFormat);
        s.setValue("Config/i", QByteArray("127.0.0.1:9443/v2").toBase64());
    }
    qunsetenv("ORVESSA_CONFIG");
    EXPECT_EQ(applicationConfigPath(), QCoreApplication::applicationDirPath() + "/config.ini");
    qputenv("ORVESSA_CONFIG", ini.toLocal8Bit());
    EXPECT_EQ(applicationConfigPath(), ini);
    EXPECT_EQ(NetWorkBusiness::readServiceAddress(applicationConfigPath()), "127.0.0.1:9443/v2");
    if (saved.isEmpty())
        qunsetenv("ORVESSA_CONFIG");
    else
        qputenv("ORVESSA_CONFIG", saved);
}

TEST(ServiceErrorTexts, CodesToTexts)
{
    NetWorkBusiness* c = NetWorkBusiness::Instance();
    EXPECT_EQ(c->errorMap.size(), 52);
    EXPECT_EQ(c->getErrorStr(5), QString::fromUtf8("连接失败，连接超时，请查询您的网络"));
    EXPECT_EQ(c->getErrorStr(3), QString::fromUtf8("无效的服务器地址，请检查配置文件"));
    EXPECT_EQ(c->getErrorStr(4602), QString::fromUtf8("证书不在有效期"));
    EXPECT_EQ(c->getErrorStr(100000), QString::fromUtf8("签章服务器：未知错误"));
    EXPECT_NE(c->getErrorStr(302), QString::fromUtf8("未知错误"));
    for (int code : {0, 12, 51001})
        EXPECT_EQ(c->getErrorStr(code), QString::fromUtf8("未知错误"));
}

TEST(ServiceSession, CodeTypes)
{
    NetWorkBusiness* c = NetWorkBusiness::Instance();
    const std::pair<int, int> table[] = {{51001, 0}, {51002, 1}, {51000, 2}, {51003, 2},
                                         {4001, 999}, {4, 999}, {0, -1}, {-5, -1}};
    for (const auto& [code, type] : table)
        EXPECT_EQ(c->getNetCodeInfo(code), type) << code;
}
