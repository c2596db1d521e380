// Stand-in operations of the account, signing password, seals and signatures, certificates,
// remote digest signing, time-stamp checks and stored files.

#include "StandinOpsAccount.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QMessageAuthenticationCode>
#include <QUrl>
#include <QUrlQuery>

#include <openssl/bn.h>
#include <openssl/ec.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/rand.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

#include <cmath>

namespace {

constexpr int kSuccess = 10000;
constexpr int kSmsSent = 200;
constexpr int kWrongCode = 40004;
constexpr int kNoSuchUser = 50002;
constexpr const char* kSm2Id = "1234567812345678";

StandinAnswer ok(const QJsonValue& data = QJsonValue(), const QString& msg = QStringLiteral("操作成功"))
{
    return StandinAnswer::envelope(kSuccess, msg, data);
}

StandinAnswer fail(int code, const QString& msg)
{
    return StandinAnswer::envelope(code, msg);
}

StandinAccountArea& area(StandinContext& ctx)
{
    return *ctx.state.account;
}

const QJsonObject& in(StandinContext& ctx)
{
    return ctx.request.json;
}

QString str(StandinContext& ctx, const char* key)
{
    return ctx.request.json.value(QLatin1String(key)).toString();
}

StandinUser* user(StandinContext& ctx)
{
    auto it = ctx.state.users.find(ctx.account);
    return it == ctx.state.users.end() ? nullptr : &it.value();
}

QString contactPhone(const StandinUser& u)
{
    const QString phone = u.data.value("contactPhone").toString();
    return phone.isEmpty() ? u.account : phone;
}

QString newId(StandinAccountArea& a, const char* prefix)
{
    return QString("%1-%2").arg(QLatin1String(prefix)).arg(a.nextId++, 4, 10, QChar('0'));
}

// ---- pictures ---------------------------------------------------------------------------------

// Inside a five-pointed star of outer radius R centred at 0, pointing up.
bool inStar(double x, double y, double R)
{
    const double r = R * 0.382;
    double px[10], py[10];
    for (int i = 0; i < 10; ++i) {
        const double a = -M_PI / 2 + i * M_PI / 5;
        const double rad = i % 2 ? r : R;
        px[i] = rad * std::cos(a);
        py[i] = rad * std::sin(a);
    }
    bool inside = false;
    for (int i = 0, j = 9; i < 10; j = i++) {
        if (((py[i] > y) != (py[j] > y)) && (x < (px[j] - px[i]) * (y - py[i]) / (py[j] - py[i]) + px[i]))
            inside = !inside;
    }
    return inside;
}

} // namespace

QByteArray standinSealPng(int size, bool star)
{
    QImage img(size, size, QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    const double c = (size - 1) / 2.0;
    const double outer = size * 0.48, inner = size * 0.42;
    const QRgb red = qRgba(214, 0, 15, 255);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const double dx = x - c, dy = y - c;
            const double d = std::sqrt(dx * dx + dy * dy);
            const bool ring = d <= outer && d >= inner;
            const bool mark = star ? inStar(dx, dy, size * 0.22)
                                   : (std::fabs(dy) < size * 0.04 && std::fabs(dx) < size * 0.25) ||
                                         (std::fabs(dx) < size * 0.04 && std::fabs(dy) < size * 0.25);
            if (ring || mark)
                img.setPixel(x, y, red);
        }
    }
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    img.save(&buffer, "PNG");
    return png;
}

namespace {

QString storeFile(StandinState& state, const QString& name, const QByteArray& type, const QByteArray& bytes)
{
    const QString id = newId(*state.account, "file");
    StandinFile f;
    f.name = name;
    f.contentType = type;
    f.bytes = bytes;
    state.files.insert(id, f);
    return id;
}

// ---- SM2 keys and certificates --------------------------------------------------------------

std::shared_ptr<EVP_PKEY> newSm2Key()
{
    EVP_PKEY* key = EVP_PKEY_Q_keygen(nullptr, nullptr, "SM2");
    return std::shared_ptr<EVP_PKEY>(key, EVP_PKEY_free);
}

QByteArray toDer(X509* cert)
{
    const int len = i2d_X509(cert, nullptr);
    if (len <= 0)
        return QByteArray();
    QByteArray der(len, '\0');
    unsigned char* p = reinterpret_cast<unsigned char*>(der.data());
    i2d_X509(cert, &p);
    return der;
}

// Signs a certificate with SM2 over SM3 with the standard SM2 id.
bool signSm2(X509* cert, EVP_PKEY* key)
{
    EVP_MD_CTX* md = EVP_MD_CTX_new();
    EVP_PKEY_CTX* pctx = EVP_PKEY_CTX_new(key, nullptr);
    bool done = false;
    if (md && pctx && EVP_PKEY_CTX_set1_id(pctx, kSm2Id, 16) > 0) {
        EVP_MD_CTX_set_pkey_ctx(md, pctx);
        done = EVP_DigestSignInit(md, nullptr, EVP_sm3(), nullptr, key) > 0 && X509_sign_ctx(cert, md) > 0;
    }
    EVP_MD_CTX_free(md);
    EVP_PKEY_CTX_free(pctx);
    return done;
}

X509* makeSm2Certificate(EVP_PKEY* key, const QString& commonName, const QString& unit, X509* issuer,
                         EVP_PKEY* issuerKey, qint64 notBefore, qint64 notAfter, bool ca)
{
    X509* cert = X509_new();
    X509_set_version(cert, 2);
    unsigned char serial[16];
    RAND_bytes(serial, sizeof serial);
    serial[0] = (serial[0] & 0x7f) | 0x10;   // positive, and no leading zero in hexadecimal
    BIGNUM* bn = BN_bin2bn(serial, sizeof serial, nullptr);
    BN_to_ASN1_INTEGER(bn, X509_get_serialNumber(cert));
    BN_free(bn);
    ASN1_TIME_set(X509_getm_notBefore(cert), time_t(notBefore));
    ASN1_TIME_set(X509_getm_notAfter(cert), time_t(notAfter));
    X509_set_pubkey(cert, key);
    X509_NAME* name = X509_get_subject_name(cert);
    auto add = [name](const char* field, const QString& value) {
        const QByteArray v = value.toUtf8();
        X509_NAME_add_entry_by_txt(name, field, MBSTRING_UTF8, reinterpret_cast<const unsigned char*>(v.constData()),
                                   v.size(), -1, 0);
    };
    add("C", "CN");
    add("O", QStringLiteral("Orvessa stand-in"));
    if (!unit.isEmpty())
        add("OU", unit);
    add("CN", commonName);
    X509_set_issuer_name(cert, issuer ? X509_get_subject_name(issuer) : name);
    X509V3_CTX ctx;
    X509V3_set_ctx_nodb(&ctx);
    X509V3_set_ctx(&ctx, issuer ? issuer : cert, cert, nullptr, nullptr, 0);
    const char* bc = ca ? "critical,CA:TRUE" : "critical,CA:FALSE";
    const char* ku = ca ? "critical,keyCertSign,cRLSign" : "critical,digitalSignature,nonRepudiation";
    for (auto [nid, value] : {std::pair<int, const char*>{NID_basic_constraints, bc}, {NID_key_usage, ku}}) {
        X509_EXTENSION* ext = X509V3_EXT_conf_nid(nullptr, &ctx, nid, value);
        if (ext) {
            X509_add_ext(cert, ext, -1);
            X509_EXTENSION_free(ext);
        }
    }
    if (!signSm2(cert, issuerKey)) {
        X509_free(cert);
        return nullptr;
    }
    return cert;
}

QString serialHex(X509* cert)
{
    BIGNUM* bn = ASN1_INTEGER_to_BN(X509_get_serialNumber(cert), nullptr);
    char* hex = BN_bn2hex(bn);
    const QString out = QString::fromLatin1(hex).toUpper();
    OPENSSL_free(hex);
    BN_free(bn);
    return out;
}

QString normalSerial(QString s)
{
    s = s.trimmed().toUpper();
    while (s.startsWith('0') && s.size() > 1)
        s.remove(0, 1);
    return s;
}

// ---- time stamps ------------------------------------------------------------------------------

// A stamp is Base64 of "ORVTSA1|<md5>|<seconds>|<check value>", the check value keyed by the
// service's own secret, so only stamps it made pass.
QByteArray stampCheck(const StandinAccountArea& a, const QByteArray& md5, const QByteArray& seconds)
{
    return QMessageAuthenticationCode::hash(md5 + '|' + seconds, a.stampSecret, QCryptographicHash::Sha256).toHex();
}

QByteArray makeStamp(const StandinAccountArea& a, const QByteArray& md5, qint64 seconds)
{
    const QByteArray t = QByteArray::number(seconds);
    return ("ORVTSA1|" + md5 + '|' + t + '|' + stampCheck(a, md5, t)).toBase64();
}

bool isMd5Text(const QString& s)
{
    if (s.size() != 32)
        return false;
    for (QChar c : s)
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F')))
            return false;
    return true;
}

// ---- handlers: SMS codes, passwords, phones -------------------------------------------------

void sendSms(StandinContext& ctx, const QString& account, const QString& phone, const QString& useWhere)
{
    area(ctx).outbox.append({account, phone, useWhere, QString::fromLatin1(kStandinSmsCode)});
}

bool codeSentTo(StandinContext& ctx, const QString& account, const QString& code)
{
    if (code != QLatin1String(kStandinSmsCode))
        return false;
    for (const StandinSms& m : area(ctx).outbox)
        if (m.account == account)
            return true;
    return false;
}

StandinAnswer sendAuthCode(StandinContext& ctx)
{
    if (str(ctx, "userAccount") != ctx.account)
        return fail(4006, QStringLiteral("账号与登录用户不符"));
    sendSms(ctx, ctx.account, str(ctx, "toPhone"), str(ctx, "useWhere"));
    return StandinAnswer::envelope(kSmsSent, QStringLiteral("发送成功"));
}

StandinAnswer sendCodeToContact(StandinContext& ctx)
{
    const QString account = str(ctx, "userAccount");
    auto u = ctx.state.users.constFind(account);
    if (u == ctx.state.users.constEnd())
        return fail(kNoSuchUser, QStringLiteral("该账号不存在"));
    sendSms(ctx, account, QString(), str(ctx, "useWhere"));
    const QString phone = contactPhone(*u);
    return ok(QJsonValue(), QString("验证码已发送至%1****%2").arg(phone.left(3), phone.right(4)));
}

StandinAnswer sendByPhone(StandinContext& ctx)
{
    sendSms(ctx, ctx.account, str(ctx, "toPhone"), str(ctx, "useWhere"));
    return StandinAnswer::envelope(kSmsSent, QStringLiteral("发送成功"));
}

StandinAnswer updatePassword(StandinContext& ctx)
{
    StandinUser* u = user(ctx);
    if (!u || str(ctx, "userAccount") != ctx.account)
        return fail(4006, QStringLiteral("账号与登录用户不符"));
    if (u->password != str(ctx, "userPassword"))
        return fail(4006, QStringLiteral("原密码错误"));
    u->password = str(ctx, "newUserPassword");
    u->data.insert("passwordChangeNum", u->data.value("passwordChangeNum").toInt() + 1);
    return ok(QJsonValue(), QStringLiteral("密码修改成功"));
}

StandinAnswer forgetPassword(StandinContext& ctx)
{
    const QString account = str(ctx, "userAccount");
    auto u = ctx.state.users.find(account);
    if (u == ctx.state.users.end())
        return fail(kNoSuchUser, QStringLiteral("该账号不存在"));
    if (!codeSentTo(ctx, account, str(ctx, "verifyCode")))
        return fail(kWrongCode, QStringLiteral("验证码不正确"));
    u->password = str(ctx, "newUserPassword");
    return ok(QJsonValue(), QStringLiteral("密码重置成功"));
}

StandinAnswer checkCodeOnly(StandinContext& ctx)
{
    if (!codeSentTo(ctx, ctx.account, str(ctx, "verifyCode")))
        return fail(kWrongCode, QStringLiteral("验证码不正确"));
    return ok();
}

StandinAnswer updateContactPhone(StandinContext& ctx)
{
    const QString phone = str(ctx, "verifyPhone");
    bool sent = false;
    for (const StandinSms& m : area(ctx).outbox)
        sent |= m.account == ctx.account && m.phone == phone;
    if (!sent || str(ctx, "verifyCode") != QLatin1String(kStandinSmsCode))
        return fail(kWrongCode, QStringLiteral("验证码不正确"));
    user(ctx)->data.insert("contactPhone", phone);
    return ok(QJsonValue(), QStringLiteral("联系电话修改成功"));
}

StandinAnswer sendCodeByContact(StandinContext& ctx)
{
    sendSms(ctx, ctx.account, QString(), str(ctx, "useWhere"));
    return ok(QJsonValue(), QStringLiteral("发送成功"));
}

StandinAnswer sendByPhoneCode(StandinContext& ctx)
{
    sendSms(ctx, ctx.account, str(ctx, "toPhone"), str(ctx, "useWhere"));
    return ok(QJsonValue(), QStringLiteral("发送成功"));
}

// ---- signing password -------------------------------------------------------------------------

StandinAnswer resetSignPassword(StandinContext& ctx)
{
    StandinUser* u = user(ctx);
    if (!u || u->password != str(ctx, "userPassword"))
        return fail(4006, QStringLiteral("登录密码错误"));
    const QString pw = str(ctx, "signPassword");
    if (pw.size() != 6)
        return fail(4005, QStringLiteral("签署密码须为6位数字"));
    area(ctx).signPasswords.insert(ctx.account, pw);
    return ok(QJsonValue(), QStringLiteral("签署密码设置成功"));
}

StandinAnswer updateSignPassword(StandinContext& ctx)
{
    auto& pws = area(ctx).signPasswords;
    if (!pws.contains(ctx.account) || pws.value(ctx.account) != str(ctx, "signPassword"))
        return fail(4006, QStringLiteral("原签署密码错误"));
    const QString pw = str(ctx, "newSignPassword");
    if (pw.size() != 6)
        return fail(4005, QStringLiteral("签署密码须为6位数字"));
    pws.insert(ctx.account, pw);
    return ok(QJsonValue(), QStringLiteral("签署密码修改成功"));
}

StandinAnswer isSetSignPassword(StandinContext& ctx)
{
    return ok(area(ctx).signPasswords.contains(ctx.account));
}

StandinAnswer checkSignPassword(StandinContext& ctx)
{
    auto& pws = area(ctx).signPasswords;
    if (!pws.contains(ctx.account))
        return StandinAnswer::envelope(4011, QStringLiteral("尚未设置签署密码"), false);
    if (pws.value(ctx.account) != str(ctx, "signPassword"))
        return StandinAnswer::envelope(4006, QStringLiteral("签署密码错误"), false);
    return ok(true);
}

// ---- profile, feedback, update ----------------------------------------------------------------

StandinAnswer updateUser(StandinContext& ctx)
{
    // The avatar is named by a stored file's id or by its download address.
    QString id = str(ctx, "imgUrl");
    const int at = id.lastIndexOf(QLatin1String(StandinState::kFilesPath));
    if (!ctx.state.files.contains(id) && at >= 0)
        id = id.mid(at + int(qstrlen(StandinState::kFilesPath)));
    if (!ctx.state.files.contains(id))
        return fail(4011, QStringLiteral("头像文件不存在"));
    const QString url = ctx.state.fileUrl(id);
    user(ctx)->data.insert("imgUrl", url);
    return ok(QJsonObject{{"imgUrl", url}});
}

StandinAnswer baseUserInfo(StandinContext& ctx)
{
    auto u = ctx.state.users.constFind(str(ctx, "userAccount"));
    const int type = in(ctx).value("userType").toInt();
    if (u == ctx.state.users.constEnd() || (u->data.value("userType").toInt() == 0) != (type == 0))
        return fail(kNoSuchUser, QStringLiteral("该用户未注册"));
    return ok(QJsonObject{{"id", u->data.value("id")},
                          {"authenStatus", u->data.value("authenStatus")},
                          {"activation", 1},
                          {"authenName", u->data.value("authenName")},
                          {"userName", u->data.value("userName")}});
}

StandinAnswer feedback(StandinContext& ctx)
{
    if (str(ctx, "context").trimmed().isEmpty())
        return fail(4004, QStringLiteral("反馈内容不能为空"));
    area(ctx).feedback.append(in(ctx));
    return ok(QJsonValue(), QStringLiteral("提交成功"));
}

StandinAnswer versionUpdate(StandinContext& ctx)
{
    return ok(QJsonObject{{"versionUpdate", 0},
                          {"versionUrl", QString()},
                          {"versionRemark", QStringLiteral("当前已是最新版本")},
                          {"versionNumber", str(ctx, "versionNumber")}});
}

// ---- seals and signatures ---------------------------------------------------------------------

QJsonObject withUrl(StandinContext& ctx, QJsonObject seal, const char* fileKey)
{
    seal.insert("fileUrl", ctx.state.fileUrl(seal.value(QLatin1String(fileKey)).toString()));
    return seal;
}

StandinAnswer companySeals(StandinContext& ctx)
{
    QJsonArray list;
    for (const QJsonObject& s : area(ctx).seals.value(ctx.account))
        list.append(withUrl(ctx, s, "sealSaveID"));
    return ok(list);
}

StandinAnswer userSignatures(StandinContext& ctx)
{
    QJsonArray list;
    for (const QJsonObject& s : area(ctx).signatures.value(ctx.account))
        list.append(s);
    return ok(list);
}

StandinAnswer certificationFailures(StandinContext& ctx)
{
    QJsonArray list;
    for (const QJsonObject& s : area(ctx).certificationFailures.value(ctx.account))
        list.append(s);
    return ok(list);
}

QJsonObject* findSeal(StandinContext& ctx, const QString& sealCode, const QString& creditCode)
{
    for (QJsonObject& s : area(ctx).seals[ctx.account])
        if (s.value("sealCode").toString() == sealCode && s.value("creditCode").toString() == creditCode)
            return &s;
    return nullptr;
}

StandinAnswer syncSeal(StandinContext& ctx)
{
    const QString show = str(ctx, "sealShow");
    if (show != "0" && show != "1")
        return fail(4006, QStringLiteral("sealShow须为\"0\"或\"1\""));
    QJsonObject* s = findSeal(ctx, str(ctx, "sealCode"), str(ctx, "creditCode"));
    if (!s)
        return fail(4011, QStringLiteral("印章不存在"));
    s->insert("sealShow", show.toInt());
    return ok();
}

StandinAnswer querySealShow(StandinContext& ctx)
{
    QJsonObject* s = findSeal(ctx, str(ctx, "sealCode"), str(ctx, "creditCode"));
    if (!s)
        return fail(4011, QStringLiteral("印章不存在"));
    return ok(s->value("sealShow").toInt());
}

// Deletion bodies are {"id": …}, or {} when the client has no id.
StandinAnswer deleteFrom(StandinContext& ctx, QMap<QString, QList<QJsonObject>>& store, const QString& what)
{
    const QJsonObject& o = in(ctx);
    if (!ctx.request.json.isEmpty() && (o.keys() != QStringList{"id"} || !o.value("id").isString()))
        return fail(4004, QStringLiteral("请求参数不符"));
    if (!o.contains("id"))
        return fail(4004, QStringLiteral("缺少") + what + QStringLiteral("编号"));
    QList<QJsonObject>& list = store[ctx.account];
    for (int i = 0; i < list.size(); ++i) {
        if (list.at(i).value("id").toString() == o.value("id").toString()) {
            list.removeAt(i);
            return ok(QJsonValue(), QStringLiteral("删除成功"));
        }
    }
    return fail(4011, what + QStringLiteral("不存在"));
}

StandinAnswer deleteSeal(StandinContext& ctx)
{
    return deleteFrom(ctx, area(ctx).seals, QStringLiteral("印章"));
}

StandinAnswer deleteSignature(StandinContext& ctx)
{
    return deleteFrom(ctx, area(ctx).signatures, QStringLiteral("签名"));
}

StandinAnswer addSeal(StandinContext& ctx)
{
    const QString file = str(ctx, "sealSaveID");
    if (!ctx.state.files.contains(file))
        return fail(4011, QStringLiteral("印章图片不存在"));
    if (str(ctx, "name").trimmed().isEmpty())
        return fail(4004, QStringLiteral("印章名称不能为空"));
    QJsonObject seal{{"id", newId(area(ctx), "seal")},
                     {"name", str(ctx, "name")},
                     {"sealCode", newId(area(ctx), "SC")},
                     {"sealType", str(ctx, "sealType")},
                     {"size", str(ctx, "size")},
                     {"sealSaveID", file},
                     {"creditCode", str(ctx, "creditCode")},
                     {"userID", user(ctx)->data.value("id")},
                     {"status", 1},
                     {"sealShow", 1}};
    area(ctx).seals[ctx.account].append(seal);
    return ok(QJsonValue(), QStringLiteral("印章添加成功"));
}

StandinAnswer keyGetId(StandinContext& ctx)
{
    for (const QJsonObject& s : area(ctx).seals.value(ctx.account))
        if (s.value("sealCode").toString() == str(ctx, "sealCode"))
            return ok(QJsonObject{{"id", s.value("id")}, {"status", s.value("status")}});
    return fail(4011, QStringLiteral("印章不存在"));
}

// ---- files ------------------------------------------------------------------------------------

StandinAnswer sealFileUpload(StandinContext& ctx)
{
    const StandinPart& file = ctx.request.parts.first();
    if (file.body.isEmpty())
        return fail(4004, QStringLiteral("上传的文件为空"));
    const QString id = storeFile(ctx.state, file.fileName, file.contentType, file.body);
    return ok(QJsonObject{{"id", id}}, QStringLiteral("上传成功"));
}

StandinAnswer fileAddress(StandinContext& ctx)
{
    const QString id = str(ctx, "id");
    if (!ctx.state.files.contains(id))
        return fail(4011, QStringLiteral("文件不存在"));
    return ok(QJsonObject{{"url", ctx.state.fileUrl(id)}});
}

// ---- certificates -----------------------------------------------------------------------------

// The session's account when the query's user id names it; empty otherwise.
bool queryNamesSessionUser(StandinContext& ctx)
{
    const QUrlQuery query(QUrl(ctx.request.target, QUrl::StrictMode).query(QUrl::FullyEncoded));
    const QString userId = query.queryItemValue("userId", QUrl::FullyDecoded);
    const StandinUser* u = user(ctx);
    return u && !userId.isEmpty() && u->data.value("id").toString() == userId;
}

StandinAnswer certCurrentUser(StandinContext& ctx)
{
    if (!queryNamesSessionUser(ctx))
        return fail(4006, QStringLiteral("用户编号与登录用户不符"));
    auto cert = area(ctx).certs.constFind(ctx.account);
    if (cert == area(ctx).certs.constEnd())
        return StandinAnswer::envelope(4011, QStringLiteral("您还没有证书，请先完成实名认证"), QJsonValue::Null);
    return ok(QString::fromLatin1(cert->der.toBase64()), QStringLiteral("获取证书成功"));
}

StandinAnswer certExpiryDate(StandinContext& ctx)
{
    if (!queryNamesSessionUser(ctx))
        return fail(4006, QStringLiteral("用户编号与登录用户不符"));
    auto cert = area(ctx).certs.constFind(ctx.account);
    if (cert == area(ctx).certs.constEnd())
        return StandinAnswer::envelope(4011, QStringLiteral("证书不存在"), QJsonValue::Null);
    const QString format = QStringLiteral("yyyy.MM.dd hh:mm:ss");
    const QString period = QDateTime::fromSecsSinceEpoch(cert->notBefore).toString(format) + "-" +
                           QDateTime::fromSecsSinceEpoch(cert->notAfter).toString(format);
    return ok(QJsonObject{{"expirationDate", period}});
}

StandinAnswer certFileId(StandinContext& ctx)
{
    const StandinUser* u = user(ctx);
    if (str(ctx, "id") != u->data.value("id").toString())
        return fail(4006, QStringLiteral("用户编号与登录用户不符"));
    auto cert = area(ctx).certs.constFind(ctx.account);
    if (cert == area(ctx).certs.constEnd())
        return fail(4011, QStringLiteral("证书不存在"));
    return ok(QJsonObject{{"fileId", cert->fileId}, {"certType", u->data.value("userType").toInt() ? 1 : 0}});
}

// ---- remote signing and time stamps -----------------------------------------------------------

StandinAnswer digestSign(StandinContext& ctx)
{
    const QJsonObject sd = in(ctx).value("signdata").toObject();
    if (!sd.value("algo_type").isDouble() || !sd.value("hash").isString() || !sd.value("ou_ext").isDouble() ||
        !sd.value("sn").isString() || sd.size() != 4)
        return fail(4004, QStringLiteral("签名服务器请求缺少参数"));
    const QString md5 = str(ctx, "timestamp");
    if (!isMd5Text(md5))
        return fail(4005, QStringLiteral("摘要长度有误"));
    auto cert = area(ctx).certs.constFind(ctx.account);
    if (cert == area(ctx).certs.constEnd())
        return fail(4011, QStringLiteral("证书不存在"));
    if (normalSerial(sd.value("sn").toString()) != normalSerial(cert->serial))
        return fail(4006, QStringLiteral("证书序列号与用户证书不符"));
    const qint64 now = ctx.state.now();
    if (now < cert->notBefore)
        return fail(4601, QStringLiteral("证书未到生效期"));
    if (now >= cert->notAfter)
        return fail(4602, QStringLiteral("证书不在有效期"));
    const QByteArray e = QByteArray::fromBase64(sd.value("hash").toString().toLatin1(),
                                                QByteArray::AbortOnBase64DecodingErrors);
    if (e.size() != 32)
        return fail(4005, QStringLiteral("签名服务器请求参数长度有误"));

    EVP_PKEY_CTX* pctx = EVP_PKEY_CTX_new(cert->key.get(), nullptr);
    unsigned char der[128];
    size_t derLen = sizeof der;
    const bool signedOk =
        pctx && EVP_PKEY_sign_init(pctx) > 0 &&
        EVP_PKEY_sign(pctx, der, &derLen, reinterpret_cast<const unsigned char*>(e.constData()), 32) > 0;
    EVP_PKEY_CTX_free(pctx);
    if (!signedOk)
        return StandinAnswer::envelope(kSuccess, QStringLiteral("签名失败"),
                                       QJsonObject{{"code", 5001}, {"msg", QStringLiteral("签名失败")}});
    const unsigned char* p = der;
    ECDSA_SIG* sig = d2i_ECDSA_SIG(nullptr, &p, long(derLen));
    QByteArray r(32, '\0'), s(32, '\0');
    BN_bn2binpad(ECDSA_SIG_get0_r(sig), reinterpret_cast<unsigned char*>(r.data()), 32);
    BN_bn2binpad(ECDSA_SIG_get0_s(sig), reinterpret_cast<unsigned char*>(s.data()), 32);
    ECDSA_SIG_free(sig);
    return ok(QJsonObject{{"code", 0},
                          {"r", QString::fromLatin1(r.toBase64())},
                          {"s", QString::fromLatin1(s.toBase64())},
                          {"timestamp", QString::fromLatin1(makeStamp(area(ctx), md5.toLower().toLatin1(), now))}},
              QStringLiteral("签名成功"));
}

StandinAnswer timeStampVerify(StandinContext& ctx)
{
    const QJsonObject ts = in(ctx).value("timestamp").toObject();
    const QString md5 = ts.value("md5").toString().toLower();
    const QByteArray decoded = QByteArray::fromBase64(ts.value("timestamp").toString().toLatin1(),
                                                      QByteArray::AbortOnBase64DecodingErrors);
    const QList<QByteArray> f = decoded.split('|');
    if (!ts.value("md5").isString() || !ts.value("timestamp").isString() || f.size() != 4 || f.at(0) != "ORVTSA1" ||
        stampCheck(area(ctx), f.at(1), f.at(2)) != f.at(3))
        return fail(4006, QStringLiteral("时间戳数据有误"));
    if (f.at(1) != md5.toLatin1())
        return ok(QJsonObject{{"code", 1}, {"msg", QStringLiteral("时间戳与原文摘要不符")}},
                  QStringLiteral("验证完成"));
    const QString when = QDateTime::fromSecsSinceEpoch(f.at(2).toLongLong()).toString("yyyy-MM-dd hh:mm:ss");
    const QString xml = QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?><TimeStampVerify><timestamp>") +
                        when + QStringLiteral("</timestamp><signer>") + QString::fromLatin1(area(ctx).caDer.toBase64()) +
                        QStringLiteral("</signer></TimeStampVerify>");
    return ok(QJsonObject{{"code", 0}, {"timestampverify", xml}}, QStringLiteral("验证完成"));
}

// ---- seeding ----------------------------------------------------------------------------------

QJsonObject personalData(const QString& id, const QString& name, const QString& phone, int authenStatus)
{
    return QJsonObject{{"id", id},
                       {"status", 1},
                       {"userType", 0},
                       {"userName", name},
                       {"authenName", authenStatus == 1 ? name : QString()},
                       // A made-up identity card number for a verified person (none before).
                       {"authenCardId", authenStatus == 1 ? QStringLiteral("11010119900101") + phone.right(4) : QString()},
                       {"authenStatus", authenStatus},
                       {"authenType", 1},
                       {"authenPhone", phone},
                       {"contactPhone", phone},
                       {"authenEmail", QStringLiteral("user%1@example.com").arg(phone.right(4))},
                       {"passwordChangeNum", 0},
                       {"isReceiveMsg", 1},
                       {"registerDate", "2024-01-01 00:00:00"}};
}

void addUserIfAbsent(StandinState& state, const QString& account, const QJsonObject& data)
{
    if (state.users.contains(account))
        return;
    StandinUser u;
    u.account = account;
    u.password = QStringLiteral("Orvessa@2024");
    u.data = data;
    state.users.insert(account, u);
}

void seedSeal(StandinState& state, const QString& account, const QString& name, const QString& type,
             const QString& size, const QString& creditCode, const QString& company, bool star)
{
    StandinAccountArea& a = *state.account;
    const QString file = storeFile(state, name + ".png", "image/png", standinSealPng(240, star));
    const QString id = newId(a, "seal");
    a.seals[account].append(QJsonObject{{"id", id},
                                        {"name", name},
                                        {"sealCode", "SC" + id.mid(5)},
                                        {"sealType", type},
                                        {"size", size},
                                        {"sealSaveID", file},
                                        {"status", 1},
                                        {"userID", state.users.value(account).data.value("id")},
                                        {"creditCode", creditCode},
                                        {"companyName", company},
                                        {"sealUnitName", company},
                                        {"sealRecordUnitName", QStringLiteral("演示市公安局")},
                                        {"sealRecordTime", "1704067200"},
                                        {"sealShow", 1},
                                        {"certification", 1},
                                        {"whetherOnline", 1},
                                        {"creationDate", "2024-01-01 00:00:00"}});
}

void seedSignature(StandinState& state, const QString& account, const QString& name)
{
    StandinAccountArea& a = *state.account;
    const QString file = storeFile(state, name + ".png", "image/png", standinSealPng(160, false));
    a.signatures[account].append(QJsonObject{{"id", newId(a, "sign")},
                                             {"name", name},
                                             {"size", "30*15"},
                                             {"signatureType", "1"},
                                             {"signatureSaveID", file},
                                             {"status", 1},
                                             {"userID", state.users.value(account).data.value("id")},
                                             {"defaultSignature", 1},
                                             {"creationDate", "2024-01-01 00:00:00"}});
}

} // namespace

bool standinIssueCertificate(StandinState& state, const QString& account, StandinCertScenario scenario)
{
    StandinAccountArea& a = *state.account;
    auto u = state.users.constFind(account);
    if (u == state.users.constEnd())
        return false;
    const qint64 now = state.now();
    const qint64 day = 86400;
    qint64 notBefore = now - day, notAfter = now + 365 * day;
    if (scenario == StandinCertScenario::ExpiringIn10Days)
        notAfter = now + 10 * day;
    if (scenario == StandinCertScenario::Expired) {
        notBefore = now - 366 * day;
        notAfter = now - day;
    }
    StandinUserCert c;
    c.key = newSm2Key();
    if (!c.key)
        return false;
    const unsigned char* p = reinterpret_cast<const unsigned char*>(a.caDer.constData());
    X509* ca = d2i_X509(nullptr, &p, a.caDer.size());
    const bool company = u->data.value("userType").toInt() != 0;
    const QString name = u->data.value(company ? "userName" : "authenName").toString();
    X509* cert = makeSm2Certificate(c.key.get(), name.isEmpty() ? account : name,
                                    company ? QStringLiteral("Agency") : QStringLiteral("Individual"), ca,
                                    a.caKey.get(), notBefore, notAfter, false);
    X509_free(ca);
    if (!cert)
        return false;
    c.der = toDer(cert);
    c.serial = serialHex(cert);
    X509_free(cert);
    c.notBefore = notBefore;
    c.notAfter = notAfter;
    c.fileId = storeFile(state, account + ".cer", "application/octet-stream", c.der.toBase64());
    a.certs.insert(account, c);
    return true;
}

bool standinRenewCertificate(StandinState& state, const QString& account)
{
    return standinIssueCertificate(state, account, StandinCertScenario::Valid);
}

namespace {

// The SM2 CA kept in caDir (signing-ca.crt and signing-ca.key), when both are there, readable,
// an SM2 pair and the certificate still valid.
bool readSigningCa(const QString& caDir, StandinAccountArea& a)
{
    QFile c(caDir + "/" + kStandinSigningCaFile), k(caDir + "/signing-ca.key");
    if (caDir.isEmpty() || !c.open(QIODevice::ReadOnly) || !k.open(QIODevice::ReadOnly))
        return false;
    const QByteArray certPem = c.readAll(), keyPem = k.readAll();
    BIO* cb = BIO_new_mem_buf(certPem.constData(), certPem.size());
    BIO* kb = BIO_new_mem_buf(keyPem.constData(), keyPem.size());
    X509* cert = cb ? PEM_read_bio_X509(cb, nullptr, nullptr, nullptr) : nullptr;
    EVP_PKEY* key = kb ? PEM_read_bio_PrivateKey(kb, nullptr, nullptr, nullptr) : nullptr;
    BIO_free(cb);
    BIO_free(kb);
    const bool usable = cert && key && EVP_PKEY_is_a(key, "SM2") && X509_check_private_key(cert, key) == 1 &&
                        X509_cmp_time(X509_get0_notAfter(cert), nullptr) > 0;
    if (usable) {
        a.caKey = std::shared_ptr<EVP_PKEY>(key, EVP_PKEY_free);
        a.caDer = toDer(cert);
    } else {
        EVP_PKEY_free(key);
    }
    X509_free(cert);
    return usable;
}

// Publishes the SM2 CA into caDir, so that the application can be configured to trust it and
// documents signed once stay verifiable across starts.
void writeSigningCa(const QString& caDir, StandinAccountArea& a)
{
    if (caDir.isEmpty() || !a.caKey)
        return;
    QDir().mkpath(caDir);
    BIO* kb = BIO_new(BIO_s_mem());
    if (!kb || !PEM_write_bio_PrivateKey(kb, a.caKey.get(), nullptr, nullptr, 0, nullptr, nullptr)) {
        BIO_free(kb);
        return;
    }
    char* data = nullptr;
    const long len = BIO_get_mem_data(kb, &data);
    QFile k(caDir + "/signing-ca.key"), c(caDir + "/" + kStandinSigningCaFile);
    if (k.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        k.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        k.write(data, len);
    }
    BIO_free(kb);
    if (c.open(QIODevice::WriteOnly | QIODevice::Truncate))
        c.write(standinSigningCaPem(a));
}

} // namespace

QByteArray standinSigningCaPem(const StandinAccountArea& a)
{
    if (a.caDer.isEmpty())
        return QByteArray();
    QByteArray pem = "-----BEGIN CERTIFICATE-----\n";
    const QByteArray b64 = a.caDer.toBase64();
    for (int i = 0; i < b64.size(); i += 64)
        pem += b64.mid(i, 64) + "\n";
    return pem + "-----END CERTIFICATE-----\n";
}

namespace {

void seedSigningCa(StandinState& state, const QString& caDir)
{
    StandinAccountArea& a = *state.account;
    if (readSigningCa(caDir, a))
        return;
    a.caKey = newSm2Key();
    const qint64 now = state.now();
    X509* ca = a.caKey ? makeSm2Certificate(a.caKey.get(), QStringLiteral("Orvessa stand-in SM2 CA"), QString(),
                                            nullptr, a.caKey.get(), now - 86400, now + 3650 * 86400LL, true)
                       : nullptr;
    if (ca) {
        a.caDer = toDer(ca);
        X509_free(ca);
    }
    writeSigningCa(caDir, a);
}

} // namespace

void standinSeedAccountArea(StandinState& state, const QString& caDir)
{
    state.account = std::make_shared<StandinAccountArea>();
    StandinAccountArea& a = *state.account;
    a.stampSecret.resize(32);
    RAND_bytes(reinterpret_cast<unsigned char*>(a.stampSecret.data()), 32);
    seedSigningCa(state, caDir);

    const QString person = QStringLiteral("13800000000");
    const QString company = QStringLiteral("13900000000");
    const QString unverified = QStringLiteral("13700000000");
    const QString expiring = QStringLiteral("13600000000");
    const QString expired = QStringLiteral("13500000000");
    const QString creditCode = QStringLiteral("91110000MA0000000X");
    const QString companyName = QStringLiteral("演示科技有限公司");
    addUserIfAbsent(state, person, personalData("u-0001", QStringLiteral("演示用户"), person, 1));
    QJsonObject companyData = personalData("u-0002", companyName, company, 1);
    companyData.insert("userType", 1);
    companyData.insert("authenName", QStringLiteral("张经理"));
    companyData.insert("creditCode", creditCode);
    addUserIfAbsent(state, company, companyData);
    addUserIfAbsent(state, unverified, personalData("u-0003", QStringLiteral("未认证用户"), unverified, 0));
    addUserIfAbsent(state, expiring, personalData("u-0004", QStringLiteral("证书将到期用户"), expiring, 1));
    addUserIfAbsent(state, expired, personalData("u-0005", QStringLiteral("证书已过期用户"), expired, 1));

    for (const QString& account : {person, company, expiring, expired})
        a.signPasswords.insert(account, QString::fromLatin1(kStandinSignPassword));
    seedSeal(state, person, QStringLiteral("演示用户个人章"), "1", "40*40", QString(), QString(), false);
    seedSignature(state, person, QStringLiteral("演示用户签名"));
    seedSeal(state, company, QStringLiteral("演示科技有限公司公章"), "01", "42*42", creditCode, companyName, true);
    seedSeal(state, company, QStringLiteral("合同专用章"), "04", "40*30", creditCode, companyName, true);
    seedSignature(state, company, QStringLiteral("张经理签名"));
    a.certificationFailures[company].append(QJsonObject{{"id", "cf-0001"},
                                                        {"name", QStringLiteral("财务专用章")},
                                                        {"sealType", "02"},
                                                        {"creditCode", creditCode},
                                                        {"errorReason", QStringLiteral("印章图片不清晰")},
                                                        {"status", 2}});
    for (const QString& account : {person, company})
        standinIssueCertificate(state, account, StandinCertScenario::Valid);
    standinIssueCertificate(state, expiring, StandinCertScenario::ExpiringIn10Days);
    standinIssueCertificate(state, expired, StandinCertScenario::Expired);
    // The accounts whose certificates run out have a handwritten signature too: once renewed
    // they sign a contract end to end.
    seedSignature(state, expiring, QStringLiteral("证书将到期用户签名"));
    seedSignature(state, expired, QStringLiteral("证书已过期用户签名"));
}

void appendAccountOperations(QList<StandinOperation>& ops)
{
    using T = StandinToken;
    using B = StandinBody;
    const auto S = QJsonValue::String;
    const auto N = QJsonValue::Double;
    const auto O = QJsonValue::Object;
    ops += QList<StandinOperation>{
        // SMS codes, passwords, phones
        {"POST", "/eseal-usermanage/sms/function/sendAuthCode", T::Required, B::JsonObject,
         {{"appId", S}, {"useWhere", S}, {"userAccount", S}, {"toPhone", S}}, sendAuthCode},
        {"POST", "/eseal-usermanage/sms/function/sendCode/toContactPhoneOrEmail", T::None, B::JsonObject,
         {{"appId", S}, {"useWhere", S}, {"userAccount", S}}, sendCodeToContact},
        {"POST", "/eseal-usermanage/sms/sendByPhone", T::Required, B::JsonObject,
         {{"appId", S}, {"useWhere", S}, {"userAccount", S}, {"toPhone", S}}, sendByPhone},
        {"POST", "/eseal-usermanage/user/updatePassWord", T::Required, B::JsonObject,
         {{"newUserPassword", S}, {"userAccount", S}, {"userPassword", S}}, updatePassword},
        {"POST", "/eseal-usermanage/user/forgetPassWord", T::None, B::JsonObject,
         {{"newUserPassword", S}, {"userAccount", S}, {"verifyCode", S}}, forgetPassword},
        {"POST", "/eseal-usermanage/user/verifyAuthenPhone", T::Required, B::JsonObject, {{"verifyCode", S}},
         checkCodeOnly},
        {"POST", "/eseal-usermanage/user/update/contactPhone", T::Required, B::JsonObject,
         {{"verifyCode", S}, {"verifyPhone", S}}, updateContactPhone},
        {"POST", "/eseal-usermanage/sms/function/sendCodebyContact", T::Required, B::JsonObject,
         {{"appId", S}, {"useWhere", S}}, sendCodeByContact},
        {"POST", "/eseal-usermanage/user/verifyContactPhone", T::Required, B::JsonObject, {{"verifyCode", S}},
         checkCodeOnly},
        {"POST", "/eseal-usermanage/sms/function/sendByPhoneCode", T::Required, B::JsonObject,
         {{"appId", S}, {"useWhere", S}, {"toPhone", S}}, sendByPhoneCode},
        // signing password
        {"POST", "/eseal-usermanage/user/resetSignPassword", T::Required, B::JsonObject,
         {{"signPassword", S}, {"userPassword", S}}, resetSignPassword},
        {"POST", "/eseal-usermanage/user/updateSignPassword", T::Required, B::JsonObject,
         {{"newSignPassword", S}, {"signPassword", S}}, updateSignPassword},
        {"POST", "/eseal-usermanage/user/isSetSignPassword", T::Required, B::Empty, {}, isSetSignPassword},
        {"POST", "/eseal-usermanage/user/checkSignPassword", T::Required, B::JsonObject, {{"signPassword", S}},
         checkSignPassword},
        // profile, feedback, update
        {"POST", "/eseal-usermanage/user/updateUser", T::Required, B::JsonObject, {{"imgUrl", S}}, updateUser},
        {"POST", "/eseal-usermanage/user/query/baseUserInfo", T::Required, B::JsonObject,
         {{"userAccount", S}, {"userType", N}}, baseUserInfo},
        {"POST", "/eseal-menhu/feedback/save", T::None, B::JsonObject,
         {{"context", S}, {"createBy", S}, {"email", S}, {"phone", S}, {"type", S}, {"userAccount", S},
          {"userId", S}, {"userName", S}},
         feedback},
        {"POST", "/eseal-file/file/update/VerUpdate", T::Required, B::JsonObject,
         {{"systemType", S}, {"versionNumber", S}}, versionUpdate},
        // seals and signatures
        {"POST", "/eseal-seal/contract-seal/companySeal", T::Required, B::JsonObject, {}, companySeals},
        {"POST", "/tarvik-serve-manage-wexo/contract-seal/userSeal", T::Required, B::JsonObject, {}, companySeals},
        {"POST", "/eseal-seal/contract-seal/query/companycertification", T::Required, B::JsonObject, {},
         companySeals},
        {"POST", "/eseal-contract-signature/contract-signature/usersignature", T::Required, B::JsonObject, {},
         userSignatures},
        {"POST", "/eseal-seal/contract-seal/query/certificationFailure", T::Required, B::JsonObject, {},
         certificationFailures},
        {"POST", "/eseal-seal/contract-seal/update/status", T::Required, B::JsonObject,
         {{"creditCode", S}, {"sealCode", S}, {"sealShow", S}}, syncSeal},
        {"POST", "/eseal-seal/contract-seal/query/sealShow", T::Required, B::JsonObject,
         {{"creditCode", S}, {"sealCode", S}}, querySealShow},
        {"POST", "/eseal-seal/contract-seal/delete", T::Required, B::Any, {}, deleteSeal},
        {"POST", "/eseal-contract-signature/contract-signature/delete", T::Required, B::Any, {}, deleteSignature},
        {"POST", "/eseal-seal/contract-seal/add/seal", T::Required, B::JsonObject,
         {{"creditCode", S}, {"name", S}, {"sealSaveID", S}, {"sealType", S}, {"size", S}}, addSeal},
        {"POST", "/eseal-seal/contract-seal/get/keyGetId", T::Required, B::JsonObject, {{"sealCode", S}}, keyGetId},
        // files
        {"POST", "/eseal-file/file/sealFileUpload", T::Required, B::Multipart,
         {{"file", S}, {"business", S}, {"project", S}}, sealFileUpload},
        {"POST", "/eseal-file/file/getFileName", T::Required, B::JsonObject, {{"id", S}}, fileAddress},
        // certificates
        {"POST", "/eseal-signature/certInfo/getCertCurrentUser", T::Required, B::Empty, {}, certCurrentUser},
        {"POST", "/eseal-signature/certInfo/getCertExpiryDate", T::Required, B::Empty, {}, certExpiryDate},
        {"POST", "/eseal-signature/certInfo/getFileIdByUser", T::Required, B::JsonObject, {{"id", S}}, certFileId},
        // remote signing and time stamps
        {"POST", "/eseal-signature/digestSign/getDigestSignInfo", T::Required, B::JsonObject,
         {{"signdata", O}, {"timestamp", S}}, digestSign},
        {"POST", "/eseal-signature/timeStamp/timeStampVerify", T::None, B::JsonObject, {{"timestamp", O}},
         timeStampVerify},
    };
}
