// The client against the stand-in service: login and logout, time-outs, cancel, nested calls,
// the failure table and the session codes.

#include "CloudTestSupport.h"
#include "LoadingWidget.h"

#include <QHttpMultiPart>
#include <QJsonDocument>
#include <QSignalSpy>
#include <QTcpServer>
#include <QThread>

namespace {

const char* const kLoginPath = "/eseal-usermanage/login";
const char* const kLogoutPath = "/eseal-usermanage/logout";
const char* const kCheckTokenPath = "/eseal-usermanage/token/checkToken";
const char* const kTimePath = "/eseal-signature/currentTime/getCurrentTime";

QString u(const char* s)
{
    return QString::fromUtf8(s);
}

QJsonObject envelope(int code, const QString& msg)
{
    return QJsonObject{{"code", code}, {"msg", msg}};
}

// A port on 127.0.0.1 where nothing listens.
quint16 closedPort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    const quint16 port = probe.serverPort();
    probe.close();
    return port;
}

// The check-token request as the client sends it: a GET with an empty body.
ServiceCall checkTokenCall()
{
    ServiceCall c(NetWorkBusiness::bt_checkToken, "checkTokenBus");
    c.method = "GET";
    c.setEmptyBody();
    return c;
}

} // namespace

using ServiceCalls = CloudTest;

TEST_F(ServiceCalls, LoginFillsTheSessionWithoutLoggingSecrets)
{
    QSignalSpy errors(client, &NetWorkBusiness::LoginError);
    ASSERT_TRUE(login());
    EXPECT_EQ(errors.count(), 0);
    EXPECT_EQ(client->getLoginState(), NetWorkBusiness::LOGINED);
    BusinessInfo* info = client->getBusinessInfo();
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(info->id, "u-0001");
    EXPECT_EQ(info->userAccount, kAccount);
    EXPECT_EQ(info->userName, u("演示用户"));
    EXPECT_EQ(info->authenStatus, 1);
    EXPECT_EQ(info->userType, 0);
    EXPECT_TRUE(info->ukey.isEmpty());
    EXPECT_FALSE(info->token.isEmpty());
    EXPECT_EQ(client->sessionToken(), info->token);
    EXPECT_EQ(standin.sessionCount(), 1);

    const QList<StandinRequest> sent = standin.requests(kLoginPath);
    ASSERT_EQ(sent.size(), 1);
    EXPECT_FALSE(sent.first().hasHeader("token"));
    EXPECT_EQ(sent.first().json.value("clientType").toString(), "pc");

    // The token check carries the session's token; a login again carries none.
    EXPECT_EQ(client->checkTokenBus(), 1);
    EXPECT_EQ(standin.requests(kCheckTokenPath).first().header("token"), info->token.toUtf8());
    EXPECT_EQ(standin.requests(kCheckTokenPath).first().method, "GET");
    ASSERT_TRUE(login());
    EXPECT_FALSE(standin.requests(kLoginPath).last().hasHeader("token"));

    const QString log = logText();
    EXPECT_TRUE(log.contains("loginBusiness"));
    EXPECT_FALSE(log.contains(kPassword));
    EXPECT_FALSE(log.contains(info->token));
}

TEST_F(ServiceCalls, WrongPasswordKeepsTheSessionClosed)
{
    QSignalSpy errors(client, &NetWorkBusiness::LoginError);
    QSignalSpy ok(client, &NetWorkBusiness::LoginSucc);
    client->loginBusiness(kAccount, "wrong", "1");
    ASSERT_TRUE(errors.wait(5000));
    EXPECT_EQ(errors.first().first().toString(), u("账号或密码错误"));
    EXPECT_EQ(ok.count(), 0);
    EXPECT_EQ(client->getBusinessInfo(), nullptr);
    EXPECT_EQ(standin.sessionCount(), 0);
}

TEST_F(ServiceCalls, LoginTimesOut)
{
    StandinScript hang;
    hang.hang = true;
    standin.script(kLoginPath, hang);
    QReplyTimeOut::setDurationScale(kTestDurationScale);
    QSignalSpy errors(client, &NetWorkBusiness::LoginError);
    client->loginBusiness(kAccount, kPassword, "1");
    ASSERT_TRUE(errors.wait(5000));
    EXPECT_EQ(errors.first().first().toString(), u("连接失败，连接超时，请查询您的网络"));
    EXPECT_EQ(client->getLoginState(), NetWorkBusiness::UNLOGIN);
}

TEST_F(ServiceCalls, SynchronousCallTimesOutAndHidesItsBusyBox)
{
    StandinScript hang;
    hang.hang = true;
    standin.script(kCheckTokenPath, hang);
    QReplyTimeOut::setDurationScale(kTestDurationScale);
    LoadingWidget box;
    QSignalSpy codes(client, &NetWorkBusiness::sendErroeCodeInfo);
    ServiceCall c = checkTokenCall();
    c.loading = &box;
    const ServiceReply r = client->call(c);
    EXPECT_EQ(r.code, 4);
    EXPECT_EQ(r.transportError, int(QNetworkReply::OperationCanceledError));
    EXPECT_FALSE(box.isVisible());
    ASSERT_EQ(codes.count(), 1);
    EXPECT_EQ(codes.first().at(0).toInt(), 999);
    EXPECT_EQ(codes.first().at(1).toString(), u("网络连接失败，请检查您的网络链接或重试！"));
}

TEST_F(ServiceCalls, CancelledLoginEndsSilently)
{
    StandinScript hold;
    hold.hold = true;
    hold.times = 1;
    standin.script(kLoginPath, hold);
    QSignalSpy ok(client, &NetWorkBusiness::LoginSucc);
    QSignalSpy errors(client, &NetWorkBusiness::LoginError);
    client->loginBusiness(kAccount, kPassword, "1");
    ASSERT_TRUE(waitUntil([&] { return standin.heldCount(kLoginPath) == 1; }));
    client->cancelReply();
    standin.release(kLoginPath);
    EXPECT_EQ(ok.count(), 0);
    EXPECT_EQ(errors.count(), 0);
    EXPECT_EQ(client->getLoginState(), NetWorkBusiness::UNLOGIN);
    // The next call is not affected by the earlier cancel. Its answer comes after anything the
    // cancelled call could still deliver, so by then a late signal of that call would show.
    ASSERT_TRUE(login());
    EXPECT_EQ(ok.count(), 1);
    EXPECT_EQ(errors.count(), 0);
}

TEST_F(ServiceCalls, NestedCallGetsItsOwnAnswerWhileTheOuterWatchdogFires)
{
    ASSERT_TRUE(login());
    QReplyTimeOut::setDurationScale(0.05);   // the outer watchdog: 250 ms
    StandinScript hang;
    hang.hang = true;
    standin.script(kTimePath, hang);
    StandinScript slow;
    slow.delayMs = QReplyTimeOut::scaled(5000) * 3;   // answers well after the outer watchdog
    standin.script(kCheckTokenPath, slow);

    ServiceReply inner;
    bool innerDone = false;
    QList<int> waiting;   // the calls waiting: in the outer wait, in the inner one, after it
    QTimer::singleShot(QReplyTimeOut::scaled(5000) / 5, [&] {
        waiting << client->waitingCalls();
        QTimer::singleShot(0, [&] { waiting << client->waitingCalls(); });
        ServiceCall c = checkTokenCall();
        c.timeoutMs = 5000 * 20;
        inner = client->call(c);
        waiting << client->waitingCalls();
        innerDone = true;
    });
    ServiceCall outer(NetWorkBusiness::bt_getServerTime, "getServerTime");
    outer.errorSignal = false;
    const ServiceReply r = client->call(outer);

    ASSERT_TRUE(innerDone);
    EXPECT_EQ(waiting, (QList<int>{1, 2, 1}));
    EXPECT_EQ(client->waitingCalls(), 0);
    EXPECT_EQ(inner.code, 10000);
    EXPECT_TRUE(inner.data.toBool());
    EXPECT_EQ(r.code, 4);
    EXPECT_TRUE(r.body.isEmpty());
    EXPECT_EQ(client->getLoginState(), NetWorkBusiness::LOGINED);
}

TEST_F(ServiceCalls, AsyncFinishUsesItsOwnReply)
{
    // A second asynchronous call replaces the shared members while the first is pending; each
    // still answers from its own reply.
    ASSERT_TRUE(login());
    StandinScript hold;
    hold.hold = true;
    standin.script(kLogoutPath, hold);
    QSignalSpy ok(client, &NetWorkBusiness::LoginSucc);
    QSignalSpy logoutOk(client, &NetWorkBusiness::logoutSucc);
    client->logoutBusiness();
    ASSERT_TRUE(waitUntil([&] { return standin.heldCount(kLogoutPath) == 1; }));
    client->loginBusiness(kAccount, kPassword, "1");
    ASSERT_TRUE(ok.wait(5000));
    standin.release(kLogoutPath);
    ASSERT_TRUE(logoutOk.wait(5000));
    EXPECT_EQ(client->getLoginState(), NetWorkBusiness::UNLOGIN);
}

namespace {
enum class Target { Standin, Refused, BrokenTls, UnknownCa };
struct FailureCase {
    const char* name;
    Target target;
    bool scripted;
    StandinScript script;
    int syncCode;
    int signalType;
    const char* signalText;
    const char* loginError;
};
StandinScript closeScript()
{
    StandinScript s;
    s.closeWithoutReply = true;
    return s;
}
} // namespace

TEST_F(ServiceCalls, FailureTable)
{
    const char* stopped = "服务器已停止服务，请稍后再试！";
    const char* tls = "连接失败，SSL/TLS握手失败，无法建立加密通道";
    const FailureCase cases[] = {
        {"empty body", Target::Standin, true, StandinScript::raw(""), 4, 999, "网络连接失败，请检查您的网络链接或重试！", stopped},
        {"html body", Target::Standin, true, StandinScript::raw("<html><body>502</body></html>"), 4, 999,
         "网络连接失败，请检查您的网络链接或重试！", stopped},
        {"empty object", Target::Standin, true, StandinScript::raw("{}"), 4, 999, "网络连接失败，请检查您的网络链接或重试！",
         stopped},
        {"json array", Target::Standin, true, StandinScript::raw("[1,2]"), 4, 999, "网络连接失败，请检查您的网络链接或重试！",
         stopped},
        {"object without code", Target::Standin, true, StandinScript::raw("{\"msg\":\"x\"}"), 0, -1, "x", "x"},
        {"code as text", Target::Standin, true, StandinScript::raw("{\"code\":\"10000\"}"), 0, -1, "", stopped},
        {"500 with envelope", Target::Standin, true, StandinScript::withEnvelope(envelope(5001, u("内部错误")), 500), 5001,
         999, "内部错误", "服务器遇到意外情况，无法满足请求"},
        {"closed without reply", Target::Standin, true, closeScript(), 4, 999, "网络连接失败，请检查您的网络链接或重试！",
         "远程服务器过早地关闭了连接"},
        {"refused", Target::Refused, false, {}, 4, 999, "网络连接失败，请检查您的网络链接或重试！", "远程服务器拒绝连接"},
        {"tls handshake", Target::BrokenTls, false, {}, 4, 999, "网络连接失败，请检查您的网络链接或重试！", tls},
        {"unknown ca", Target::UnknownCa, false, {}, 4, 999, "网络连接失败，请检查您的网络链接或重试！", tls},
    };
    for (const FailureCase& fc : cases) {
        SCOPED_TRACE(fc.name);
        StandinService other;
        QString address = standin.baseAddress();
        if (fc.target == Target::Refused)
            address = QString("127.0.0.1:%1/v2").arg(closedPort());
        if (fc.target == Target::BrokenTls || fc.target == Target::UnknownCa) {
            ASSERT_TRUE(other.start());
            other.setMode(fc.target == Target::BrokenTls ? StandinService::Mode::BrokenTls : StandinService::Mode::Tls);
            address = other.baseAddress();
        }
        client->setServiceAddress(address);
        if (fc.scripted) {
            standin.script(kCheckTokenPath, fc.script);
            standin.script(kLoginPath, fc.script);
        }

        LoadingWidget box;
        QSignalSpy codes(client, &NetWorkBusiness::sendErroeCodeInfo);
        ServiceCall c = checkTokenCall();
        c.loading = &box;
        const ServiceReply r = client->call(c);
        EXPECT_EQ(r.code, fc.syncCode);
        EXPECT_FALSE(box.isVisible());
        ASSERT_EQ(codes.count(), 1);
        EXPECT_EQ(codes.first().at(0).toInt(), fc.signalType);
        EXPECT_EQ(codes.first().at(1).toString(), u(fc.signalText));

        QSignalSpy loginErrors(client, &NetWorkBusiness::LoginError);
        client->loginBusiness(kAccount, kPassword, "1");
        ASSERT_TRUE(loginErrors.wait(5000));
        EXPECT_EQ(loginErrors.first().first().toString(), u(fc.loginError));
        EXPECT_EQ(client->getLoginState(), NetWorkBusiness::UNLOGIN);
        standin.clearScripts();
    }
}

TEST_F(ServiceCalls, SessionCodesEndTheSession)
{
    const std::pair<int, int> codes[] = {{51001, 0}, {51002, 1}, {51003, 2}};
    for (const auto& [code, type] : codes) {
        SCOPED_TRACE(code);
        ASSERT_TRUE(login());
        BusinessInfo* record = client->getBusinessInfo();
        standin.script(kCheckTokenPath, StandinScript::withEnvelope(envelope(code, u("会话已结束"))));
        QSignalSpy spy(client, &NetWorkBusiness::sendErroeCodeInfo);
        EXPECT_EQ(client->checkTokenBus(), 0);
        ASSERT_EQ(spy.count(), 1);
        EXPECT_EQ(spy.first().at(0).toInt(), type);
        EXPECT_EQ(spy.first().at(1).toString(), u("会话已结束"));
        EXPECT_EQ(client->getLoginState(), NetWorkBusiness::UNLOGIN);
        EXPECT_EQ(client->getBusinessInfo(), nullptr);
        EXPECT_TRUE(record->token.isEmpty());
        EXPECT_EQ(record->authenStatus, -1);
        EXPECT_EQ(record->userType, -1);
        EXPECT_TRUE(client->sessionToken().isEmpty());
        standin.clearScripts();
    }
    // An asynchronous reply with a session code: the request's own failure signal first.
    ASSERT_TRUE(login());
    standin.script(kLogoutPath, StandinScript::withEnvelope(envelope(51002, u("登录已过期"))));
    QStringList order;
    QObject::connect(client, &NetWorkBusiness::logoutError, client, [&](int c, QString) { order << QString::number(c); });
    QObject::connect(client, &NetWorkBusiness::sendErroeCodeInfo, client, [&](int t, QString) { order << "type" + QString::number(t); });
    client->logoutBusiness();
    ASSERT_TRUE(waitUntil([&] { return order.size() == 2; }));
    EXPECT_EQ(order, QStringList({"51002", "type1"}));
    EXPECT_EQ(client->getLoginState(), NetWorkBusiness::UNLOGIN);
}

TEST_F(ServiceCalls, LogoutEndsTheSession)
{
    ASSERT_TRUE(login());
    const QString token = client->sessionToken();
    QSignalSpy ok(client, &NetWorkBusiness::logoutSucc);
    client->logoutBusiness();
    ASSERT_TRUE(ok.wait(5000));
    EXPECT_EQ(client->getLoginState(), NetWorkBusiness::UNLOGIN);
    EXPECT_EQ(standin.sessionCount(), 0);
    const StandinRequest sent = standin.requests(kLogoutPath).first();
    EXPECT_EQ(sent.header("token"), token.toUtf8());
    EXPECT_TRUE(sent.body.isEmpty());
}

TEST_F(ServiceCalls, ServerTime)
{
    standin.setServerTime(1700000000);
    EXPECT_EQ(client->getServerTime(), 1700000000);
    EXPECT_EQ(standin.requests(kTimePath).first().json, QJsonObject());
    QSignalSpy spy(client, &NetWorkBusiness::sendErroeCodeInfo);
    QJsonObject numberNow = envelope(10000, "");
    numberNow.insert("data", QJsonObject{{"now", 1700000000}});
    standin.script(kTimePath, StandinScript::withEnvelope(numberNow));
    EXPECT_EQ(client->getServerTime(), 0);
    standin.script(kTimePath, StandinScript::raw(""));
    EXPECT_EQ(client->getServerTime(), 0);
    EXPECT_EQ(spy.count(), 0);
}

TEST_F(ServiceCalls, WorkerThreadCallCarriesTheSessionToken)
{
    ASSERT_TRUE(login());
    int code = -1;
    QThread* worker = QThread::create([&] {
        ServiceCall c = checkTokenCall();
        c.busy = ServiceCall::NeverShown;
        c.errorSignal = false;
        code = client->call(c).code;
    });
    worker->start();
    ASSERT_TRUE(waitUntil([&] { return worker->isFinished(); }));
    delete worker;
    EXPECT_EQ(code, 10000);
}

TEST_F(ServiceCalls, StandinRefusesMisshapenRequests)
{
    ASSERT_TRUE(login());
    struct Case {
        const char* name;
        int id;
        QByteArray method;
        QJsonObject body;
        bool emptyBody;
        bool withoutToken;
    };
    const Case cases[] = {
        {"missing key", NetWorkBusiness::bt_login, "POST", QJsonObject{{"clientType", "pc"}, {"userAccount", "a"}}, false, false},
        {"wrong type", NetWorkBusiness::bt_login, "POST",
         QJsonObject{{"clientType", "pc"}, {"userAccount", "a"}, {"userPassword", 1}}, false, false},
        {"unexpected key", NetWorkBusiness::bt_getServerTime, "POST", QJsonObject{{"x", 1}}, false, false},
        {"body where none is taken", NetWorkBusiness::bt_logout, "POST", QJsonObject{{"x", 1}}, false, false},
        {"wrong method", NetWorkBusiness::bt_checkToken, "POST", QJsonObject(), true, false},
        {"token missing", NetWorkBusiness::bt_checkToken, "GET", QJsonObject(), true, true},
    };
    for (const Case& tc : cases) {
        SCOPED_TRACE(tc.name);
        standin.clearRequests();
        ServiceCall c(tc.id, "shape");
        c.method = tc.method;
        c.errorSignal = false;
        tc.emptyBody ? c.setEmptyBody() : c.setJson(tc.body);
        ServiceReply r;
        if (tc.withoutToken) {
            // The table always sets the token for this id: send it through a manager of our own,
            // prepared as an anonymous id and pointed at this id's path.
            QNetworkAccessManager nam;
            QNetworkRequest request;
            client->getBusinessRequest(NetWorkBusiness::bt_getServerTime, request);
            request.setUrl(QUrl("https://" + standin.baseAddress() + NetWorkBusiness::requestPath(tc.id)));
            QNetworkReply* reply = nam.get(request);
            QSignalSpy done(reply, &QNetworkReply::finished);
            ASSERT_TRUE(done.wait(5000));
            r.object = QJsonDocument::fromJson(reply->readAll()).object();
            r.code = r.object.value("code").toInt();
            delete reply;
        } else
            r = client->call(c);
        EXPECT_EQ(r.code, 4004);
        EXPECT_EQ(standin.shapeErrors().size(), 1);
    }
    standin.clearRequests();
    EXPECT_EQ(client->getLoginState(), NetWorkBusiness::LOGINED);
}

TEST_F(ServiceCalls, OversizedAnswerIsReadWhole)
{
    StandinScript big;
    big.oversizeBytes = 256 << 10;
    standin.script(kTimePath, big);
    ServiceCall c(NetWorkBusiness::bt_getServerTime, "getServerTime");
    c.errorSignal = false;
    const ServiceReply r = client->call(c);
    EXPECT_EQ(r.code, 10000);
    EXPECT_GE(r.body.size(), 256 << 10);
    EXPECT_EQ(r.data.toString().size(), 256 << 10);
}

TEST_F(ServiceCalls, StandinServesDownloadsAndReadsMultipartForms)
{
    ASSERT_TRUE(login());
    // A plain download: the bytes as stored, no envelope, no token needed.
    const QByteArray png = QByteArray("\x89PNG\r\n\x1a\n", 8) + QByteArray(1000, '\0');
    const QString url = standin.addFile("f-1", StandinFile{"seal.png", "image/png", png});
    QNetworkAccessManager nam;
    QNetworkReply* got = nam.get(QNetworkRequest(QUrl(url)));
    QSignalSpy done(got, &QNetworkReply::finished);
    ASSERT_TRUE(done.wait(5000));
    EXPECT_EQ(got->readAll(), png);
    delete got;

    // A multipart upload through the request cycle, checked part by part by the stand-in.
    StandinOperation upload{"POST", "/eseal-file/file/sealFileUpload", StandinToken::Required, StandinBody::Multipart,
                            {{"file", QJsonValue::String}, {"business", QJsonValue::String}},
                            [](StandinContext& ctx) {
                                return StandinAnswer::envelope(10000, "", QJsonObject{{"id", ctx.request.parts.first().fileName}});
                            }};
    standin.addOperation(upload);
    auto* form = new QHttpMultiPart(QHttpMultiPart::FormDataType);
    QHttpPart file;
    file.setHeader(QNetworkRequest::ContentDispositionHeader, "form-data;name=\"file\";filename=\"/tmp/a.png\";");
    file.setHeader(QNetworkRequest::ContentTypeHeader, "image/png");
    file.setBody(png);
    QHttpPart business;
    business.setHeader(QNetworkRequest::ContentDispositionHeader, "form-data; name=\"business\"");
    business.setBody("private");
    form->append(file);
    form->append(business);
    ServiceCall c(NetWorkBusiness::bt_sealimgUpload, "sealImgUpLoad");
    c.multipart = form;
    const ServiceReply r = client->call(c);
    EXPECT_EQ(r.code, 10000);
    EXPECT_EQ(r.dataObject().value("id").toString(), "/tmp/a.png");
    const StandinRequest sent = standin.requests("/eseal-file/file/sealFileUpload").first();
    ASSERT_EQ(sent.parts.size(), 2);
    EXPECT_EQ(sent.parts.at(0).body, png);
    EXPECT_EQ(sent.parts.at(0).contentType, "image/png");
    EXPECT_EQ(sent.parts.at(1).body, "private");
}
