// Account requests: SMS codes, login-password change and recovery, contact phone, signing
// password, profile, feedback and update check.

#include "AccountTestSupport.h"
#include "LoadingWidget.h"

#include <QSignalSpy>
#include <QTcpServer>

namespace {

const char* const kSendAuthCode = "/eseal-usermanage/sms/function/sendAuthCode";
const char* const kSendToContact = "/eseal-usermanage/sms/function/sendCode/toContactPhoneOrEmail";
const char* const kSendByPhone = "/eseal-usermanage/sms/sendByPhone";
const char* const kUpdatePassword = "/eseal-usermanage/user/updatePassWord";
const char* const kCheckSignPassword = "/eseal-usermanage/user/checkSignPassword";
const char* const kResetSignPassword = "/eseal-usermanage/user/resetSignPassword";
const char* const kVerifyContactPhone = "/eseal-usermanage/user/verifyContactPhone";
const char* const kSendByPhoneCode = "/eseal-usermanage/sms/function/sendByPhoneCode";
const char* const kVerUpdate = "/eseal-file/file/update/VerUpdate";

QJsonObject envelope(int code, const QString& msg)
{
    return QJsonObject{{"code", code}, {"msg", msg}};
}

// A behaviour for the next request only.
StandinScript once(StandinScript s)
{
    s.times = 1;
    return s;
}

} // namespace

using Account = AccountTest;

TEST_F(Account, SmsCodeRequestsSendTheirBodiesAndSucceedOnTheirOwnCodes)
{
    ASSERT_TRUE(loginAs("13800000000"));
    QSignalSpy updOk(client, &NetWorkBusiness::smsNoUpdatepasswordSucc);
    QSignalSpy updErr(client, &NetWorkBusiness::smsNoUpdatepasswordError);
    QSignalSpy findOk(client, &NetWorkBusiness::smsNoFindpasswordSucc);
    QSignalSpy findErr(client, &NetWorkBusiness::smsNoFindpasswordError);
    QSignalSpy verOk(client, &NetWorkBusiness::smsNoVerifyPhoneSucc);
    QSignalSpy modOk(client, &NetWorkBusiness::smsNoModifyPhoneSucc);

    // Id 1: the session's account is sent whatever the argument says; success is code 200.
    client->smsNoBusiness(NetWorkBusiness::bt_smsno_updatepassword, "someone-else", "13800000000");
    ASSERT_TRUE(waitUntil([&] { return updOk.count() + updErr.count() > 0; }));
    EXPECT_EQ(updOk.count(), 1);
    EXPECT_EQ(lastBody(kSendAuthCode),
              (QJsonObject{{"appId", "0000000033"}, {"useWhere", "55"}, {"userAccount", "13800000000"},
                           {"toPhone", "13800000000"}}));

    // Id 2 (anonymous): success is 10000 and carries the service's text.
    client->smsNoBusiness(NetWorkBusiness::bt_smsno_findpassword, "13900000000", QString());
    ASSERT_TRUE(waitUntil([&] { return findOk.count() + findErr.count() > 0; }));
    ASSERT_EQ(findOk.count(), 1);
    EXPECT_TRUE(findOk.first().first().toString().startsWith(u8("验证码已发送至139****")));
    EXPECT_FALSE(standin.requests(kSendToContact).last().hasHeader("token"));
    EXPECT_EQ(lastBody(kSendToContact),
              (QJsonObject{{"appId", "0000000033"}, {"useWhere", "44"}, {"userAccount", "13900000000"}}));

    // Ids 3 and 4.
    client->smsNoBusiness(NetWorkBusiness::bt_smsno_verfiyphone, "", "13800000000");
    ASSERT_TRUE(waitUntil([&] { return verOk.count() > 0; }));
    EXPECT_EQ(lastBody(kSendAuthCode).value("useWhere").toString(), "33");
    client->smsNoBusiness(NetWorkBusiness::bt_smsno_modifyphone, "", "13811112222");
    ASSERT_TRUE(waitUntil([&] { return modOk.count() > 0; }));
    EXPECT_EQ(lastBody(kSendByPhone).value("toPhone").toString(), "13811112222");
    EXPECT_EQ(outbox().size(), 4);
    EXPECT_EQ(outbox().last().code, kStandinSmsCode);

    // The success codes are not interchangeable: 10000 fails id 1, 200 fails id 2.
    standin.script(kSendAuthCode, StandinScript::withEnvelope(envelope(10000, u8("成功")), 200));
    client->smsNoBusiness(NetWorkBusiness::bt_smsno_updatepassword, "", "13800000000");
    ASSERT_TRUE(waitUntil([&] { return updErr.count() > 0; }));
    EXPECT_EQ(updErr.first().at(0).toInt(), 10000);
    standin.clearScripts();
    standin.script(kSendToContact, StandinScript::withEnvelope(envelope(200, ""), 200));
    client->smsNoBusiness(NetWorkBusiness::bt_smsno_findpassword, "13900000000", QString());
    ASSERT_TRUE(waitUntil([&] { return findErr.count() > 0; }));
    // A failure with an empty text reads as the service being down.
    EXPECT_EQ(findErr.first().first().toString(), u8("服务器已停止服务，请稍后再试！"));
}

TEST_F(Account, PasswordChangeAndRecoveryUseTheSmsCode)
{
    QSignalSpy findOk(client, &NetWorkBusiness::findPassWordSucc);
    QSignalSpy findErr(client, &NetWorkBusiness::findPassWordError);
    client->smsNoBusiness(NetWorkBusiness::bt_smsno_findpassword, "13700000000", QString());
    ASSERT_TRUE(waitUntil([&] { return !outbox().isEmpty(); }));

    client->findPassWordBusiness("New@2025", "000000", "13700000000");
    ASSERT_TRUE(waitUntil([&] { return findErr.count() > 0; }));
    EXPECT_EQ(findErr.first().first().toString(), u8("验证码不正确"));
    client->findPassWordBusiness("New@2025", kStandinSmsCode, "13700000000");
    ASSERT_TRUE(waitUntil([&] { return findOk.count() > 0; }));
    EXPECT_FALSE(loginAs("13700000000"));
    ASSERT_TRUE(loginAs("13700000000", "New@2025"));

    // The change sends exactly three keys; the SMS code stays out of the body.
    QSignalSpy updOk(client, &NetWorkBusiness::updatePassWordSucc);
    QSignalSpy updErr(client, &NetWorkBusiness::updatePassWordError);
    client->updatePassWordBusiness("Third@2026", "wrong", "123");
    ASSERT_TRUE(waitUntil([&] { return updErr.count() > 0; }));
    EXPECT_EQ(updErr.first().at(0).toInt(), 4006);
    client->updatePassWordBusiness("Third@2026", "New@2025", "123");
    ASSERT_TRUE(waitUntil([&] { return updOk.count() > 0; }));
    EXPECT_EQ(lastBody(kUpdatePassword).keys(), (QStringList{"newUserPassword", "userAccount", "userPassword"}));

    const QString log = logText();
    EXPECT_FALSE(log.contains("New@2025"));
    EXPECT_FALSE(log.contains("Third@2026"));
    EXPECT_FALSE(log.contains(kStandinSmsCode));
}

TEST_F(Account, ContactPhoneChangeInFourSteps)
{
    ASSERT_TRUE(loginAs("13800000000"));
    QSignalSpy errors(client, &NetWorkBusiness::sendErroeCodeInfo);
    QSignalSpy sent(client, &NetWorkBusiness::smsNoVerifyPhoneSucc);
    QSignalSpy verified(client, &NetWorkBusiness::verifyPhoneSucc);
    QSignalSpy newSent(client, &NetWorkBusiness::smsNoModifyPhoneSucc);
    QSignalSpy changed(client, &NetWorkBusiness::modifyPhoneSucc);

    EXPECT_EQ(client->verfiyphoneCodebyContact("0000000033", "33", nullptr), 1);
    EXPECT_EQ(sent.count(), 1);
    // A wrong code is the dialog's to tell: -1 and no signal.
    EXPECT_EQ(client->verifyContactPhone("999999", nullptr), -1);
    EXPECT_EQ(errors.count(), 0);
    // The success signal arrives before the call returns.
    bool seenInside = false;
    auto conn = QObject::connect(client, &NetWorkBusiness::verifyPhoneSucc, [&] { seenInside = true; });
    EXPECT_EQ(client->verifyContactPhone(kStandinSmsCode, nullptr), 1);
    QObject::disconnect(conn);
    EXPECT_TRUE(seenInside);
    EXPECT_EQ(verified.count(), 1);
    EXPECT_EQ(client->sendByPhoneCode("0000000033", "33", "13955556666", nullptr), 1);
    EXPECT_EQ(newSent.count(), 1);
    EXPECT_EQ(lastBody(kSendByPhoneCode),
              (QJsonObject{{"appId", "0000000033"}, {"useWhere", "33"}, {"toPhone", "13955556666"}}));
    client->motifyPhone("13955556666", kStandinSmsCode);
    ASSERT_TRUE(waitUntil([&] { return changed.count() > 0; }));
    QString phone;
    standin.withState([&](StandinState& s) { phone = s.users.value("13800000000").data.value("contactPhone").toString(); });
    EXPECT_EQ(phone, "13955556666");

    // Other failure codes go to the main window; 200 is no success for these requests.
    standin.script(kVerifyContactPhone, StandinScript::withEnvelope(envelope(4006, u8("验证过于频繁"))));
    EXPECT_EQ(client->verifyContactPhone(kStandinSmsCode, nullptr), 0);
    ASSERT_EQ(errors.count(), 1);
    EXPECT_EQ(errors.last().at(1).toString(), u8("验证过于频繁"));
    standin.script(kSendByPhoneCode, StandinScript::withEnvelope(envelope(200, u8("发送成功"))));
    EXPECT_EQ(client->sendByPhoneCode("0000000033", "33", "13955556666", nullptr), 0);
    EXPECT_EQ(errors.count(), 2);
    EXPECT_EQ(newSent.count(), 1);
}

TEST_F(Account, SigningPassword)
{
    ASSERT_TRUE(loginAs("13800000000"));
    QSignalSpy errors(client, &NetWorkBusiness::sendErroeCodeInfo);
    EXPECT_TRUE(client->isSetSignPassword());
    QString err = "untouched";
    EXPECT_TRUE(client->checkSignPassword(kStandinSignPassword, err));
    EXPECT_EQ(err, "untouched");
    EXPECT_EQ(lastBody(kCheckSignPassword), (QJsonObject{{"signPassword", kStandinSignPassword}}));
    EXPECT_FALSE(client->checkSignPassword("000000", err));
    EXPECT_EQ(err, u8("签署密码错误"));

    EXPECT_EQ(client->updateSignPassword("000000", "654321"), u8("原签署密码错误"));
    EXPECT_EQ(client->updateSignPassword(kStandinSignPassword, "654321"), QString());
    EXPECT_TRUE(client->checkSignPassword("654321", err));
    EXPECT_EQ(client->resetSignPassword("112233", "wrong"), u8("登录密码错误"));
    EXPECT_EQ(client->resetSignPassword("112233", "Orvessa@2024"), QString());
    EXPECT_EQ(lastBody(kResetSignPassword), (QJsonObject{{"signPassword", "112233"}, {"userPassword", "Orvessa@2024"}}));
    EXPECT_TRUE(client->checkSignPassword("112233", err));
    EXPECT_EQ(errors.count(), 0);

    // A failure never reads as success: an empty text is replaced by the code's text.
    standin.script(kResetSignPassword, once(StandinScript::withEnvelope(envelope(4100, ""))));
    EXPECT_EQ(client->resetSignPassword("112233", "Orvessa@2024"), u8("签名服务器数据数据库操作失败"));
    standin.script(kResetSignPassword, once(StandinScript::raw("<html>502</html>", 502)));
    EXPECT_FALSE(client->resetSignPassword("112233", "Orvessa@2024").isEmpty());
    // (every try: the toolkit sends a request again once when a kept-alive connection drops)
    StandinScript dropped;
    dropped.closeWithoutReply = true;
    standin.script(kResetSignPassword, dropped);
    EXPECT_EQ(client->resetSignPassword("112233", "Orvessa@2024"), u8("网络连接失败，请检查您的网络链接或重试！"));
    standin.clearScripts();
    EXPECT_EQ(errors.count(), 0);

    // No password yet: the unverified account is asked to set one.
    ASSERT_TRUE(loginAs("13700000000"));
    EXPECT_FALSE(client->isSetSignPassword());
    // A session code ends the session through the password query only.
    standin.script("/eseal-usermanage/user/isSetSignPassword", StandinScript::withEnvelope(envelope(51002, u8("登录超时"))));
    EXPECT_FALSE(client->isSetSignPassword());
    EXPECT_EQ(errors.count(), 1);
    EXPECT_EQ(client->getLoginState(), NetWorkBusiness::UNLOGIN);

    const QString log = logText();
    for (const char* secret : {kStandinSignPassword, "654321", "112233", "Orvessa@2024"})
        EXPECT_FALSE(log.contains(secret)) << secret;
}

TEST_F(Account, ProfileFeedbackAndUpdateCheck)
{
    ASSERT_TRUE(loginAs("13800000000"));
    QSignalSpy errors(client, &NetWorkBusiness::sendErroeCodeInfo);

    // Avatar: an uploaded picture's id becomes its address.
    QTemporaryDir dir;
    const QString path = dir.filePath("logo.png");
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(standinSealPng(32, false));
    f.close();
    QString imageId, imgUrl;
    ASSERT_EQ(client->sealImgUpLoad(path, "private", u8("头像"), "png", imageId, nullptr), 1);
    LoadingWidget box;
    EXPECT_EQ(client->registerPersonBusiness(imageId, imgUrl, &box), 1);
    EXPECT_FALSE(box.isVisible());
    EXPECT_TRUE(imgUrl.endsWith("/files/" + imageId));
    EXPECT_EQ(client->registerPersonBusiness("no-such-file", imgUrl, nullptr), 0);
    EXPECT_EQ(errors.count(), 1);

    // Other accounts: personal ones by their verified name, companies by their user name; an
    // unknown account (50002) is no error to show.
    struct Case {
        int type;
        const char* account;
        int result;
        bool registered;
        const char* name;
        int authen;
    } cases[] = {
        {0, "13900000000", 0, false, "", -9},   // a company asked as a person
        {1, "13900000000", 1, true, "演示科技有限公司", 1},
        {0, "13700000000", 1, true, "", 0},
        {0, "13800000000", 1, true, "演示用户", 1},
        {0, "13012345678", 0, false, "", -9},
    };
    for (const Case& c : cases) {
        QString id, name = "unset";
        int authen = -9, activation = -9;
        bool registered = false;
        EXPECT_EQ(client->getBaseUserInfo(c.type, c.account, id, authen, activation, registered, name), c.result)
            << c.account;
        EXPECT_EQ(registered, c.registered) << c.account;
        EXPECT_EQ(authen, c.authen) << c.account;
        if (c.registered) {
            EXPECT_EQ(name, u8(c.name)) << c.account;
        }
    }
    EXPECT_EQ(lastBody("/eseal-usermanage/user/query/baseUserInfo").value("userType").type(), QJsonValue::Double);
    EXPECT_EQ(errors.count(), 1);

    // Feedback: the user id twice, the text under "context", no token.
    LoadingWidget fbBox;
    fbBox.show();
    EXPECT_EQ(client->feedbackBusiness("u-0001", "2", u8("盖章位置不准"), "a@b.c", "138", u8("演示用户"), "13800000000",
                                       &fbBox),
              1);
    EXPECT_TRUE(fbBox.isVisible());   // hidden only on failure
    const QJsonObject fb = lastBody("/eseal-menhu/feedback/save");
    EXPECT_EQ(fb.value("createBy").toString(), "u-0001");
    EXPECT_EQ(fb.value("context").toString(), u8("盖章位置不准"));
    EXPECT_FALSE(standin.requests("/eseal-menhu/feedback/save").last().hasHeader("token"));
    EXPECT_EQ(client->feedbackBusiness("u-0001", "2", "", "", "", "", "", &fbBox), 0);
    EXPECT_FALSE(fbBox.isVisible());

    // Update check: outputs are read whatever the code.
    int update = -1;
    QString url, remark, file;
    EXPECT_EQ(client->checkAppUpdate("5.7.0", "linux", update, url, remark, file, nullptr), 1);
    EXPECT_EQ(update, 0);
    EXPECT_EQ(file, "5.7.0");
    standin.script(kVerUpdate, StandinScript::withEnvelope(QJsonObject{
                                   {"code", 5001},
                                   {"msg", "x"},
                                   {"data", QJsonObject{{"versionUpdate", 1},
                                                        {"versionUrl", "https://127.0.0.1/o.deb"},
                                                        {"versionRemark", "r"},
                                                        {"versionNumber", "5.8.0"}}}}));
    EXPECT_EQ(client->checkAppUpdate("5.7.0", "linux", update, url, remark, file, nullptr), 0);
    EXPECT_EQ(update, 1);
    EXPECT_EQ(file, "5.8.0");
    EXPECT_EQ(errors.count(), 1);
}

TEST_F(Account, ConnectivityProbe)
{
    const QString url = standin.addFile("probe", StandinFile{"p.txt", "text/plain", "ok"});
    NetWorkBusiness::setOnlineProbeUrl(QUrl(url));
    EXPECT_TRUE(client->newWorkisOnline());
    QTcpServer closed;
    closed.listen(QHostAddress::LocalHost, 0);
    const quint16 port = closed.serverPort();
    closed.close();
    NetWorkBusiness::setOnlineProbeUrl(QUrl(QString("http://127.0.0.1:%1/").arg(port)));
    EXPECT_FALSE(client->newWorkisOnline());
    NetWorkBusiness::setOnlineProbeUrl(QUrl("http://www.baidu.com/"));
}
