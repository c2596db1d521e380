// The operations the stand-in answers. Each entry names its method, path, token rule and body
// shape (the stand-in refuses a request of another shape with code 4004), and a handler that
// answers from the state.

#include "StandinService.h"
#include "StandinOpsAccount.h"

#include <QDateTime>
#include <QUuid>

namespace {

constexpr int kSuccess = 10000;

StandinAnswer ok(const QJsonValue& data = QJsonValue(), const QString& msg = QStringLiteral("操作成功"),
                 const QJsonObject& extra = QJsonObject())
{
    return StandinAnswer::envelope(kSuccess, msg, data, extra);
}

StandinAnswer login(StandinContext& ctx)
{
    const QJsonObject& in = ctx.request.json;
    const QString account = in.value("userAccount").toString();
    auto user = ctx.state.users.constFind(account);
    if (user == ctx.state.users.constEnd() || user->password != in.value("userPassword").toString())
        return StandinAnswer::envelope(4006, QStringLiteral("账号或密码错误"));
    const QString token = QUuid::createUuid().toString(QUuid::Id128);
    ctx.state.sessions.insert(token, account);
    QJsonObject data = user->data;
    data.insert("userAccount", account);
    data.insert("clientType", in.value("clientType"));
    return ok(data, QStringLiteral("登录成功"), QJsonObject{{"token", token}});
}

StandinAnswer logout(StandinContext& ctx)
{
    ctx.state.sessions.remove(QString::fromUtf8(ctx.request.header("token")));
    return ok(QJsonValue(), QStringLiteral("退出成功"));
}

StandinAnswer checkToken(StandinContext&)
{
    return ok(true);
}

StandinAnswer currentTime(StandinContext& ctx)
{
    const qint64 now = ctx.state.serverTime ? ctx.state.serverTime : QDateTime::currentSecsSinceEpoch();
    return ok(QJsonObject{{"now", QString::number(now)}});
}

} // namespace

// The operations of each area, in files of their own.
QList<StandinOperation> standinOrderOperations();

QList<StandinOperation> standinOperations()
{
    using T = StandinToken;
    using B = StandinBody;
    const auto S = QJsonValue::String;
    QList<StandinOperation> operations{
        {"POST", "/eseal-usermanage/login", T::None, B::JsonObject,
         {{"clientType", S}, {"userAccount", S}, {"userPassword", S}}, login},
        {"POST", "/eseal-usermanage/logout", T::Required, B::Empty, {}, logout},
        {"GET", "/eseal-usermanage/token/checkToken", T::Required, B::Empty, {}, checkToken},
        {"POST", "/eseal-signature/currentTime/getCurrentTime", T::None, B::JsonObject, {}, currentTime},
    };
    operations += standinOrderOperations();
    appendContractOperations(operations);
    appendAccountOperations(operations);
    return operations;
}

QByteArray standinDefaultSeed()
{
    return R"({
  "users": [
    {
      "userAccount": "13800000000",
      "userPassword": "Orvessa@2024",
      "data": {
        "id": "u-0001",
        "status": 1,
        "userType": 0,
        "userName": "演示用户",
        "authenName": "演示用户",
        "authenStatus": 1,
        "authenType": 1,
        "authenPhone": "13800000000",
        "contactPhone": "13800000000",
        "authenEmail": "demo@example.com",
        "passwordChangeNum": 0,
        "isReceiveMsg": 1,
        "registerDate": "2024-01-01 00:00:00",
        "authenDate": "2024-01-02 00:00:00"
      }
    }
  ]
})";
}
