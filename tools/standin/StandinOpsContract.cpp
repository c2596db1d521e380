// The stand-in's contract operations: stored files (upload and replacement), contract drafts,
// signers, issuing, seal placements, SMS and USB-key signing, affirming, refusing, the contract
// lists, templates, QR codes, and seal authorisations between a company and a person.
//
// The state lives in StandinState::seed under keys of this area (all optional in a seed):
//   "smsCode"       the SMS code every "sent" code has (default kStandinSmsCode)
//   "companySeals"  [{"id","name","sealCode","sealType","size","status","sealSaveID",
//                     "ownerAccount", ...}] the seals of company accounts (without the key:
//                    the seals the account area seeded for each account)
//   "templates"     [{template record}] the default contract templates
// and, made at run time: "contracts", "joinUsers", "details", "grants" (objects by id),
// "smsSent" (accounts that asked for a code) and "nextId".
//
// Contract state: "drafts" until issued, then "issued" until every signer has affirmed
// ("completed") or one refused ("refused"). A signer moves from "unsigned" to "signing" (the
// confirmation with the SMS code or the USB-key code, after its placements were recorded) to
// "signed" (affirmed), or to "refused". The signer list reports each signer's state in the
// contract status keys. The status key a user sees follows from that and from the user's own
// signer record.
//
// Grant states: 10 issued (waiting), 20 in force (accepted after the company confirmed), 30
// ended (refused or terminated).

#include "StandinOpsAccount.h"
#include "StandinService.h"

#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>

namespace {

constexpr int kSuccess = 10000;
constexpr int kBadRequest = 4004;
constexpr int kBadData = 4006;
constexpr int kExists = 4010;
constexpr int kMissing = 4011;
constexpr int kNotQualified = 78503;
const char* const kUsbKeyCode = "0b7d93a1e5c2f8d4a6b09e3c71f2d5a8";

StandinAnswer ok(const QJsonValue& data = QJsonValue())
{
    return StandinAnswer::envelope(kSuccess, QStringLiteral("操作成功"), data);
}

StandinAnswer fail(int code, const QString& msg)
{
    return StandinAnswer::envelope(code, msg);
}

QString now()
{
    return QDateTime::currentDateTime().toString("yyyy-MM-dd hh:mm:ss");
}

// ---- the store inside the seed ----

QJsonObject table(const StandinContext& ctx, const char* name)
{
    return ctx.state.seed.value(name).toObject();
}

QJsonObject row(const StandinContext& ctx, const char* name, const QString& id)
{
    return table(ctx, name).value(id).toObject();
}

void put(StandinContext& ctx, const char* name, const QString& id, const QJsonObject& record)
{
    QJsonObject t = table(ctx, name);
    t.insert(id, record);
    ctx.state.seed.insert(name, t);
}

void drop(StandinContext& ctx, const char* name, const QString& id)
{
    QJsonObject t = table(ctx, name);
    t.remove(id);
    ctx.state.seed.insert(name, t);
}

QString newId(StandinContext& ctx, const QString& prefix)
{
    const int next = ctx.state.seed.value("nextId").toInt(1);
    ctx.state.seed.insert("nextId", next + 1);
    return prefix + QString::number(next);
}

QString smsCode(const StandinContext& ctx)
{
    const QString code = ctx.state.seed.value("smsCode").toString();
    return code.isEmpty() ? QString::fromLatin1(kStandinSmsCode) : code;
}

QJsonObject userData(const StandinContext& ctx, const QString& account)
{
    return ctx.state.users.value(account).data;
}

QString userId(const StandinContext& ctx, const QString& account)
{
    return userData(ctx, account).value("id").toString();
}

bool isCompany(const StandinContext& ctx, const QString& account)
{
    return userData(ctx, account).value("userType").toInt() != 0;
}

QString accountOfUserId(const StandinContext& ctx, const QString& id)
{
    for (const StandinUser& u : ctx.state.users)
        if (u.data.value("id").toString() == id)
            return u.account;
    return QString();
}

QString nameOf(const StandinContext& ctx, const QString& account)
{
    return userData(ctx, account).value("userName").toString();
}

// ---- shape checks of the bodies with optional keys or nested values ----

struct Key {
    const char* name;
    QJsonValue::Type type;
    bool optional;
};

// Empty when o holds exactly the required keys, some of the optional ones, all of their types.
QString checkKeys(const QJsonObject& o, std::initializer_list<Key> keys)
{
    for (const Key& k : keys) {
        if (!o.contains(k.name)) {
            if (!k.optional)
                return QString("key %1 missing").arg(k.name);
        } else if (o.value(k.name).type() != k.type) {
            return QString("key %1 has the wrong type").arg(k.name);
        }
    }
    for (const QString& present : o.keys()) {
        bool known = false;
        for (const Key& k : keys)
            known |= present == QLatin1String(k.name);
        if (!known)
            return "unexpected key " + present;
    }
    return QString();
}

StandinAnswer badShape(const QString& why)
{
    return fail(kBadRequest, QStringLiteral("请求参数不符: ") + why);
}

// The page bean of a paged request: empty, or the page number and size (and, where allowed,
// the order).
QString checkPageBean(const QJsonObject& body, bool withOrder)
{
    if (!body.value("pageBean").isObject())
        return "pageBean missing";
    const QJsonObject bean = body.value("pageBean").toObject();
    if (bean.isEmpty())
        return QString();
    const auto D = QJsonValue::Double;
    return withOrder ? checkKeys(bean, {{"orderBy", QJsonValue::String, false}, {"pageNum", D, false}, {"pageSize", D, false}})
                     : checkKeys(bean, {{"pageNum", D, false}, {"pageSize", D, false}});
}

// One page of rows: all rows when the bean is empty.
QJsonObject page(const QJsonArray& rows, const QJsonObject& bean)
{
    if (bean.isEmpty())
        return QJsonObject{{"pages", rows.isEmpty() ? 0 : 1}, {"list", rows}};
    const int size = qMax(1, bean.value("pageSize").toInt());
    const int number = qMax(1, bean.value("pageNum").toInt());
    QJsonArray out;
    for (int i = (number - 1) * size; i < rows.size() && i < number * size; ++i)
        out.append(rows.at(i));
    return QJsonObject{{"pages", (rows.size() + size - 1) / size}, {"list", out}};
}

// ---- stored files ----

// The upload form's dispositions, byte for byte as the service's parser expects them.
QString checkParts(const QList<StandinPart>& parts)
{
    for (const StandinPart& p : parts) {
        const QByteArray expected = p.name == "file"
            ? "form-data;name=\"file\";filename=\"" + p.fileName.toUtf8() + "\";"
            : "form-data; name=\"" + p.name.toUtf8() + "\"";
        if (p.disposition != expected)
            return "disposition " + QString::fromUtf8(p.disposition);
        if (p.name == "file" && p.contentType.isEmpty())
            return "file part without content type";
    }
    return QString();
}

const StandinPart* part(const StandinContext& ctx, const QString& name)
{
    for (const StandinPart& p : ctx.request.parts)
        if (p.name == name)
            return &p;
    return nullptr;
}

StandinAnswer fileUpload(StandinContext& ctx)
{
    const QString why = checkParts(ctx.request.parts);
    if (!why.isEmpty())
        return badShape(why);
    const StandinPart* file = part(ctx, "file");
    StandinFile stored;
    stored.name = file->fileName;
    stored.contentType = file->contentType;
    stored.bytes = file->body;
    const QString id = newId(ctx, "f-");
    ctx.state.files.insert(id, stored);
    return ok(QJsonObject{{"id", id},
                          {"downloadUrl", ctx.state.fileUrl(id)},
                          {"fileName", stored.name},
                          {"business", QString::fromUtf8(part(ctx, "business")->body)},
                          {"project", QString::fromUtf8(part(ctx, "project")->body)}});
}

StandinAnswer fileUpdate(StandinContext& ctx)
{
    const QString why = checkParts(ctx.request.parts);
    if (!why.isEmpty())
        return badShape(why);
    const QString id = QString::fromUtf8(part(ctx, "id")->body);
    if (!ctx.state.files.contains(id))
        return fail(kMissing, QStringLiteral("文件不存在"));
    const StandinPart* file = part(ctx, "file");
    StandinFile& stored = ctx.state.files[id];
    stored.name = file->fileName;
    stored.contentType = file->contentType;
    stored.bytes = file->body;
    return ok();
}

StandinAnswer fileToken(StandinContext& ctx)
{
    return ok(QStringLiteral("file-token-") + userId(ctx, ctx.account));
}

// ---- contracts ----

QJsonArray signersOf(const StandinContext& ctx, const QString& contractId)
{
    QJsonArray out;
    const QJsonObject all = table(ctx, "joinUsers");
    for (auto it = all.begin(); it != all.end(); ++it)
        if (it.value().toObject().value("contractId").toString() == contractId)
            out.append(it.value());
    return out;
}

// The status key the user sees for a contract.
QString statusFor(const StandinContext& ctx, const QJsonObject& contract, const QString& account,
                  QJsonObject* own = nullptr)
{
    const QString state = contract.value("state").toString();
    if (state == "drafts")
        return "drafts";
    if (state == "completed")
        return "completed";
    if (state == "refused")
        return "user_refuse";
    const QString id = userId(ctx, account);
    for (const QJsonValue& v : signersOf(ctx, contract.value("contractId").toString())) {
        const QJsonObject s = v.toObject();
        if (s.value("userId").toString() == id && s.value("signStatus").toString() != "signed") {
            if (own)
                *own = s;
            const QString end = contract.value("signEndDate").toString();
            if (!end.isEmpty() && end < now())
                return "overdue";
            return "wait_for_me";
        }
    }
    const QString end = contract.value("signEndDate").toString();
    return !end.isEmpty() && end < now() ? "overdue" : "wait_for_other";
}

// Whether the account takes part in the contract (issuer or signer).
bool involved(const StandinContext& ctx, const QJsonObject& contract, const QString& account)
{
    if (contract.value("issueAccount").toString() == account)
        return true;
    const QString id = userId(ctx, account);
    for (const QJsonValue& v : signersOf(ctx, contract.value("contractId").toString()))
        if (v.toObject().value("userId").toString() == id)
            return true;
    return false;
}

QJsonObject contractFor(StandinContext& ctx, const QString& contractId, QString* error)
{
    const QJsonObject c = row(ctx, "contracts", contractId);
    if (c.isEmpty())
        *error = QStringLiteral("合同不存在");
    else if (!involved(ctx, c, ctx.account))
        *error = QStringLiteral("无权操作该合同");
    return c;
}

StandinAnswer contractMark(StandinContext& ctx)
{
    const QString id = newId(ctx, "c-");
    put(ctx, "contracts", id, QJsonObject{{"contractId", id}, {"state", "mark"}, {"issueAccount", ctx.account}});
    return ok(QJsonObject{{"contractId", id}});
}

StandinAnswer deleteContractMark(StandinContext& ctx)
{
    const QString id = ctx.request.json.value("contractId").toString();
    if (row(ctx, "contracts", id).value("state").toString() != "mark")
        return fail(kMissing, QStringLiteral("合同编号不存在"));
    drop(ctx, "contracts", id);
    return ok();
}

StandinAnswer contractAdd(StandinContext& ctx)
{
    const QJsonObject in = ctx.request.json;
    const QString fileId = in.value("pdfFileSaveId").toString();
    if (!ctx.state.files.contains(fileId))
        return fail(kMissing, QStringLiteral("合同文件不存在"));
    if (in.value("contractName").toString().isEmpty())
        return fail(kBadData, QStringLiteral("合同名称不能为空"));
    const QString id = newId(ctx, "c-");
    const QJsonObject user = userData(ctx, ctx.account);
    QJsonObject c = in;
    c.insert("contractId", id);
    c.insert("state", "drafts");
    c.insert("issueAccount", ctx.account);
    c.insert("issueUserId", user.value("id"));
    c.insert("issueUserName", user.value("userName"));
    c.insert("createDate", now());
    c.insert("updateDate", now());
    c.insert("startDate", now());
    put(ctx, "contracts", id, c);
    return ok(QJsonObject{{"contractAddDrafts", newId(ctx, "d-")},
                          {"contractId", id},
                          {"contractName", c.value("contractName")},
                          {"contractType", c.value("contractType")},
                          {"userId", user.value("id")},
                          {"userAccount", ctx.account},
                          {"userName", user.value("userName")},
                          {"userType", QString::number(user.value("userType").toInt())},
                          {"pdfFileSaveId", fileId},
                          {"signEndDate", c.value("signEndDate")},
                          {"remark", c.value("remark")},
                          {"status", "drafts"},
                          {"createDate", c.value("createDate")},
                          {"updateDate", c.value("updateDate")}});
}

StandinAnswer contractUpdate(StandinContext& ctx)
{
    const auto S = QJsonValue::String;
    const QString why = checkKeys(ctx.request.json, {{"contractId", S, false}, {"contractName", S, false},
                                                     {"contractType", S, true}, {"signRule", S, false},
                                                     {"signPattern", S, false}, {"theme", S, false},
                                                     {"remark", S, false}, {"representType", S, false},
                                                     {"representIndex", S, false}, {"signEndDate", S, false}});
    if (!why.isEmpty())
        return badShape(why);
    QString error;
    QJsonObject c = contractFor(ctx, ctx.request.json.value("contractId").toString(), &error);
    if (!error.isEmpty())
        return fail(kMissing, error);
    if (c.value("state").toString() != "drafts")
        return fail(kBadData, QStringLiteral("合同已发起，不能修改"));
    for (auto it = ctx.request.json.begin(); it != ctx.request.json.end(); ++it)
        c.insert(it.key(), it.value());
    c.insert("updateDate", now());
    put(ctx, "contracts", c.value("contractId").toString(), c);
    return ok();
}

StandinAnswer contractIssue(StandinContext& ctx)
{
    QString error;
    QJsonObject c = contractFor(ctx, ctx.request.json.value("contractId").toString(), &error);
    if (!error.isEmpty())
        return fail(kMissing, error);
    if (c.value("state").toString() != "drafts")
        return fail(kBadData, QStringLiteral("合同不是草稿，不能发起"));
    if (signersOf(ctx, c.value("contractId").toString()).isEmpty())
        return fail(kBadData, QStringLiteral("合同没有签署方"));
    c.insert("state", "issued");
    c.insert("startDate", now());
    put(ctx, "contracts", c.value("contractId").toString(), c);
    return ok();
}

StandinAnswer contractDelete(StandinContext& ctx)
{
    QString error;
    const QJsonObject c = contractFor(ctx, ctx.request.json.value("contractId").toString(), &error);
    if (!error.isEmpty())
        return fail(kMissing, error);
    if (c.value("state").toString() != "drafts")
        return fail(kBadData, QStringLiteral("只能删除草稿"));
    for (const QJsonValue& v : signersOf(ctx, c.value("contractId").toString()))
        drop(ctx, "joinUsers", v.toObject().value("contractJoinUserId").toString());
    drop(ctx, "contracts", c.value("contractId").toString());
    return ok();
}

StandinAnswer addSignatory(StandinContext& ctx)
{
    const QString account = ctx.request.json.value("addValue").toString();
    if (!ctx.state.users.contains(account))
        return fail(kMissing, QStringLiteral("该账号未注册"));
    const QJsonObject user = userData(ctx, account);
    return ok(QJsonObject{{"id", user.value("id")},
                          {"userType", user.value("userType").toInt()},
                          {"userAccount", account},
                          {"remarkName", ctx.request.json.value("remarkName")}});
}

StandinAnswer deleteJoinUsers(StandinContext& ctx)
{
    QString error;
    const QJsonObject c = contractFor(ctx, ctx.request.json.value("contractId").toString(), &error);
    if (!error.isEmpty())
        return fail(kMissing, error);
    if (c.value("state").toString() != "drafts")
        return fail(kBadData, QStringLiteral("合同已发起，不能修改签署方"));
    for (const QJsonValue& v : signersOf(ctx, c.value("contractId").toString()))
        drop(ctx, "joinUsers", v.toObject().value("contractJoinUserId").toString());
    return ok();
}

// One signer record from a request object; empty with an error when its shape does not fit
// (or with `unknown` set when the user does not exist).
QJsonObject newSigner(StandinContext& ctx, const QJsonObject& in, QString* error, bool* unknown)
{
    const auto S = QJsonValue::String;
    *error = checkKeys(in, {{"contractId", S, false}, {"userId", S, false}, {"userType", S, false},
                            {"signOrder", QJsonValue::Double, false}, {"proofTime", S, true}, {"proofType", S, true}});
    if (!error->isEmpty())
        return QJsonObject();
    const QString account = accountOfUserId(ctx, in.value("userId").toString());
    if (account.isEmpty()) {
        *unknown = true;
        return QJsonObject();
    }
    QJsonObject s = in;
    s.insert("contractJoinUserId", newId(ctx, "j-"));
    s.insert("userAccount", account);
    s.insert("userName", nameOf(ctx, account));
    s.insert("signStatus", "unsigned");
    s.insert("role", in.value("signOrder").toInt() == 1 ? "发起方" : "签署方");
    return s;
}

StandinAnswer batchAddJoinUsers(StandinContext& ctx)
{
    const QJsonObject in = ctx.request.json;
    QString why = checkKeys(in, {{"contractId", QJsonValue::String, false}, {"joinUserList", QJsonValue::Array, false}});
    if (!why.isEmpty())
        return badShape(why);
    const QString contractId = in.value("contractId").toString();
    QString error;
    const QJsonObject c = contractFor(ctx, contractId, &error);
    if (!error.isEmpty())
        return fail(kMissing, error);
    if (c.value("state").toString() != "drafts")
        return fail(kBadData, QStringLiteral("合同已发起，不能修改签署方"));
    QJsonArray made;
    for (const QJsonValue& v : in.value("joinUserList").toArray()) {
        bool unknown = false;
        const QJsonObject s = newSigner(ctx, v.toObject(), &why, &unknown);
        if (!why.isEmpty())
            return badShape(why);
        if (unknown)
            return fail(kMissing, QStringLiteral("签署方不存在"));
        if (s.value("contractId").toString() != contractId)
            return badShape("signer of another contract");
        made.append(s);
    }
    QJsonArray out;
    for (const QJsonValue& v : made) {
        put(ctx, "joinUsers", v.toObject().value("contractJoinUserId").toString(), v.toObject());
        out.append(QJsonObject{{"contractJoinUserId", v.toObject().value("contractJoinUserId")},
                               {"userId", v.toObject().value("userId")}});
    }
    return ok(out);
}

StandinAnswer addJoinUser(StandinContext& ctx)
{
    QString why;
    bool unknown = false;
    const QJsonObject s = newSigner(ctx, ctx.request.json, &why, &unknown);
    if (!why.isEmpty())
        return badShape(why);
    if (unknown)
        return fail(kMissing, QStringLiteral("签署方不存在"));
    QString error;
    contractFor(ctx, s.value("contractId").toString(), &error);
    if (!error.isEmpty())
        return fail(kMissing, error);
    put(ctx, "joinUsers", s.value("contractJoinUserId").toString(), s);
    return ok(QJsonObject{{"contractJoinUserId", s.value("contractJoinUserId")}});
}

StandinAnswer updateJoinUser(StandinContext& ctx)
{
    const QString id = ctx.request.json.value("contractJoinUserId").toString();
    QJsonObject s = row(ctx, "joinUsers", id);
    if (s.isEmpty())
        return fail(kMissing, QStringLiteral("签署方不存在"));
    s.insert("proofType", ctx.request.json.value("proofType"));
    s.insert("proofTime", ctx.request.json.value("proofTime"));
    put(ctx, "joinUsers", id, s);
    return ok();
}

// A signer's state as the service lists it, in the contract status keys: "completed" once
// signed, "user_refuse" after refusing, "drafts" before the contract is issued, "overdue" past
// the end date, else waiting for the session's user ("wait_for_me") or for another one.
QString signerStatus(const StandinContext& ctx, const QJsonObject& contract, const QJsonObject& signer)
{
    const QString own = signer.value("signStatus").toString();
    if (own == "signed")
        return "completed";
    if (own == "refused")
        return "user_refuse";
    if (contract.value("state").toString() == "drafts")
        return "drafts";
    const QString end = contract.value("signEndDate").toString();
    if (!end.isEmpty() && end < now())
        return "overdue";
    return signer.value("userId").toString() == userId(ctx, ctx.account) ? "wait_for_me" : "wait_for_other";
}

StandinAnswer querySigners(StandinContext& ctx)
{
    QString error;
    const QJsonObject c = contractFor(ctx, ctx.request.json.value("contractId").toString(), &error);
    if (!error.isEmpty())
        return fail(kMissing, error);
    QJsonArray others;
    for (const QJsonValue& v : signersOf(ctx, c.value("contractId").toString())) {
        const QJsonObject s = v.toObject();
        others.append(QJsonObject{{"signDate", s.value("signDate").toString()},
                                  {"userAccount", s.value("userAccount")},
                                  {"userName", s.value("userName")},
                                  {"signOrder", s.value("signOrder")},
                                  {"role", s.value("role")},
                                  {"signStatus", signerStatus(ctx, c, s)}});
    }
    return ok(QJsonObject{{"others", others}});
}

StandinAnswer queryContract(StandinContext& ctx)
{
    QString error;
    const QJsonObject c = contractFor(ctx, ctx.request.json.value("contractId").toString(), &error);
    if (!error.isEmpty())
        return fail(kMissing, error);
    return ok(QJsonObject{{"contractId", c.value("contractId")}, {"pdfFileSaveId", c.value("pdfFileSaveId")}});
}

// The filter object of the contract lists; empty when it fits.
QString checkFilter(const QJsonObject& f)
{
    const auto S = QJsonValue::String;
    return checkKeys(f, {{"contractStatus", S, true}, {"contractName", S, true}, {"startFromTime", S, true},
                         {"startToTime", S, true}, {"signEndFromTime", S, true}, {"signEndToTime", S, true},
                         {"endFromTime", S, true}, {"endToTime", S, true}});
}

// The user's contracts that match the filter, newest first.
QJsonArray listContracts(const StandinContext& ctx, const QJsonObject& f)
{
    QJsonArray out;
    const QJsonObject all = table(ctx, "contracts");
    for (auto it = all.end(); it != all.begin();) {
        --it;
        const QJsonObject c = it.value().toObject();
        if (c.value("state").toString() == "mark" || !involved(ctx, c, ctx.account))
            continue;
        if (c.value("state").toString() == "drafts" && c.value("issueAccount").toString() != ctx.account)
            continue;
        QJsonObject own;
        const QString status = statusFor(ctx, c, ctx.account, &own);
        if (f.contains("contractStatus") && f.value("contractStatus").toString() != status)
            continue;
        if (f.contains("contractName") && !c.value("contractName").toString().contains(f.value("contractName").toString()))
            continue;
        auto inRange = [&f](const QString& value, const char* from, const char* to) {
            const QString a = f.value(from).toString(), b = f.value(to).toString();
            return (a.isEmpty() || value >= a) && (b.isEmpty() || value.left(b.size()) <= b);
        };
        if (!inRange(c.value("startDate").toString(), "startFromTime", "startToTime") ||
            !inRange(c.value("signEndDate").toString(), "signEndFromTime", "signEndToTime") ||
            !inRange(c.value("signEndDate").toString(), "endFromTime", "endToTime"))
            continue;
        const QJsonObject user = userData(ctx, ctx.account);
        out.append(QJsonObject{{"id", c.value("contractId")},
                               {"contractJoinUserId", own.value("contractJoinUserId").toString()},
                               {"contractId", c.value("contractId")},
                               {"contractName", c.value("contractName")},
                               {"contractStatus", status},
                               {"userAccount", ctx.account},
                               {"userType", user.value("userType").toInt()},
                               {"phone", user.value("contactPhone")},
                               {"issueUserId", c.value("issueUserId")},
                               {"issueUserName", c.value("issueUserName")},
                               {"issueUserImgUri", ""},
                               {"presentUserName", c.value("issueUserName")},
                               {"signOrder", own.value("signOrder").toInt()},
                               {"startDate", c.value("startDate")},
                               {"createDate", c.value("createDate")},
                               {"updateDate", c.value("updateDate")},
                               {"pdfFileSaveId", c.value("pdfFileSaveId")},
                               {"signRule", c.value("signRule")},
                               {"signEndDate", c.value("signEndDate")},
                               {"signDate", own.value("signDate").toString()},
                               {"remark", c.value("remark")},
                               {"signReportUri", c.value("signReportUri").toString()}});
    }
    return out;
}

StandinAnswer contractsAboutMe(StandinContext& ctx)
{
    const QString why = checkFilter(ctx.request.json);
    if (!why.isEmpty())
        return badShape(why);
    QJsonArray rows = listContracts(ctx, ctx.request.json);
    for (int i = 0; i < rows.size(); ++i) {
        QJsonObject o = rows.at(i).toObject();
        o.remove("startDate");
        rows[i] = o;
    }
    return ok(rows);
}

StandinAnswer contractsAboutMePaged(StandinContext& ctx)
{
    const QJsonObject in = ctx.request.json;
    QString why = checkKeys(in, {{"entity", QJsonValue::Object, false}, {"pageBean", QJsonValue::Object, false}});
    if (why.isEmpty())
        why = checkFilter(in.value("entity").toObject());
    if (why.isEmpty())
        why = checkPageBean(in, false);
    if (!why.isEmpty())
        return badShape(why);
    return ok(page(listContracts(ctx, in.value("entity").toObject()), in.value("pageBean").toObject()));
}

// The signer record of the session's user; empty with an error when it is not theirs.
QJsonObject ownSigner(StandinContext& ctx, const QString& joinUserId, QString* error)
{
    const QJsonObject s = row(ctx, "joinUsers", joinUserId);
    if (s.isEmpty())
        *error = QStringLiteral("签署方不存在");
    else if (s.value("userAccount").toString() != ctx.account)
        *error = QStringLiteral("无权代替他人签署");
    return s;
}

// Placements of a contract or of one signer: two operations share this path, told apart by
// their one key.
StandinAnswer contractDetails(StandinContext& ctx)
{
    const QJsonObject in = ctx.request.json;
    if (checkKeys(in, {{"contractId", QJsonValue::String, false}}).isEmpty()) {
        QString error;
        contractFor(ctx, in.value("contractId").toString(), &error);
        if (!error.isEmpty())
            return fail(kMissing, error);
        QJsonArray out;
        const QJsonObject all = table(ctx, "details");
        for (const QJsonValue& v : all) {
            const QJsonObject d = v.toObject();
            if (d.value("contractId").toString() != in.value("contractId").toString())
                continue;
            QJsonObject o = d;
            // The service keeps positions as text.
            o.insert("signTop", QString::number(d.value("signTop").toInt()));
            o.insert("signLeft", QString::number(d.value("signLeft").toInt()));
            out.append(o);
        }
        return ok(out);
    }
    if (checkKeys(in, {{"contractJoinUserId", QJsonValue::String, false}}).isEmpty()) {
        QString error;
        ownSigner(ctx, in.value("contractJoinUserId").toString(), &error);
        if (!error.isEmpty())
            return fail(kMissing, error);
        QJsonArray out;
        for (const QJsonValue& v : table(ctx, "details")) {
            const QJsonObject d = v.toObject();
            if (d.value("contractJoinUserId").toString() == in.value("contractJoinUserId").toString())
                out.append(QJsonObject{{"id", d.value("id")},
                                       {"contractDetailId", d.value("contractDetailId")},
                                       {"contractId", d.value("contractId")}});
        }
        return ok(out);
    }
    return badShape("expected contractId or contractJoinUserId");
}

StandinAnswer clearDetail(StandinContext& ctx)
{
    const QString id = ctx.request.json.value("contractDetailId").toString();
    const QJsonObject d = row(ctx, "details", id);
    if (d.isEmpty())
        return fail(kMissing, QStringLiteral("签章记录不存在"));
    QString error;
    const QJsonObject s = ownSigner(ctx, d.value("contractJoinUserId").toString(), &error);
    if (!error.isEmpty())
        return fail(kBadData, error);
    if (s.value("signStatus").toString() == "signed")
        return fail(kBadData, QStringLiteral("已签署，不能修改"));
    drop(ctx, "details", id);
    return ok();
}

// Records one placement; the error is empty when it fits.
QString addPlacement(StandinContext& ctx, const QJsonObject& in)
{
    const auto S = QJsonValue::String;
    const auto D = QJsonValue::Double;
    QString why = checkKeys(in, {{"contractId", S, false}, {"contractJoinUserId", S, false}, {"isLock", D, false},
                                 {"sealId", S, false}, {"signType", S, false}, {"pageIndex", D, false},
                                 {"signTop", D, false}, {"signLeft", D, false},
                                 {"certificateSerialNumber", S, false}, {"signTimestamp", S, false}});
    if (!why.isEmpty())
        return why;
    if (in.value("signType").toString() != "seal" && in.value("signType").toString() != "sign")
        return "signType " + in.value("signType").toString();
    if (in.value("pageIndex").toInt() < 0)
        return "pageIndex below 0";
    const QJsonObject s = ownSigner(ctx, in.value("contractJoinUserId").toString(), &why);
    if (!why.isEmpty())
        return why;
    const QJsonObject c = row(ctx, "contracts", s.value("contractId").toString());
    if (s.value("contractId").toString() != in.value("contractId").toString())
        return QStringLiteral("签署方不属于该合同");
    if (c.value("state").toString() != "issued" || s.value("signStatus").toString() == "signed")
        return QStringLiteral("合同当前不能签署");
    const QString id = newId(ctx, "p-");
    QJsonObject d = in;
    d.insert("id", id);
    d.insert("contractDetailId", id);
    d.insert("sealUri", in.value("sealId").toString() + "-picture");
    d.insert("signWidth", 120);
    d.insert("signHeight", 120);
    put(ctx, "details", id, d);
    return QString();
}

StandinAnswer batchAddDetails(StandinContext& ctx)
{
    const QJsonDocument doc = QJsonDocument::fromJson(ctx.request.body);
    if (!doc.isArray())
        return badShape("body is not a JSON array");
    for (const QJsonValue& v : doc.array()) {
        if (!v.isObject())
            return badShape("placement is not an object");
        const QString why = addPlacement(ctx, v.toObject());
        if (!why.isEmpty())
            return fail(kBadData, why);
    }
    return ok();
}

StandinAnswer addDetail(StandinContext& ctx)
{
    const QString why = addPlacement(ctx, ctx.request.json);
    return why.isEmpty() ? ok() : fail(kBadData, why);
}

StandinAnswer sendSignCode(StandinContext& ctx)
{
    QJsonArray sent = ctx.state.seed.value("smsSent").toArray();
    sent.append(ctx.account);
    ctx.state.seed.insert("smsSent", sent);
    return ok();
}

bool codeSent(const StandinContext& ctx)
{
    return ctx.state.seed.value("smsSent").toArray().contains(ctx.account);
}

StandinAnswer checkSignCode(StandinContext& ctx)
{
    if (!codeSent(ctx))
        return fail(kBadData, QStringLiteral("请先获取验证码"));
    if (ctx.request.json.value("securityCode").toString() != smsCode(ctx))
        return fail(kBadData, QStringLiteral("验证码错误"));
    return ok(QJsonObject{{"proofTime", now()}});
}

StandinAnswer applyForSign(StandinContext& ctx)
{
    QString error;
    const QJsonObject c = contractFor(ctx, ctx.request.json.value("contractId").toString(), &error);
    if (!error.isEmpty())
        return fail(kMissing, error);
    if (statusFor(ctx, c, ctx.account) != "wait_for_me")
        return fail(kBadData, QStringLiteral("合同不在待我签署状态"));
    return ok();
}

// Confirms the signing of a signer whose placements are recorded, with the expected code.
StandinAnswer confirmSigning(StandinContext& ctx, const QString& expectedCode)
{
    const QString joinId = ctx.request.json.value("contractJoinUserId").toString();
    QString error;
    QJsonObject s = ownSigner(ctx, joinId, &error);
    if (!error.isEmpty())
        return fail(kMissing, error);
    if (ctx.request.json.value("securityCode").toString() != expectedCode)
        return fail(kBadData, QStringLiteral("验证码错误"));
    if (row(ctx, "contracts", s.value("contractId").toString()).value("state").toString() != "issued")
        return fail(kBadData, QStringLiteral("合同当前不能签署"));
    bool placed = false;
    for (const QJsonValue& v : table(ctx, "details"))
        placed |= v.toObject().value("contractJoinUserId").toString() == joinId;
    if (!placed)
        return fail(kBadData, QStringLiteral("请先放置印章"));
    s.insert("signStatus", "signing");
    put(ctx, "joinUsers", joinId, s);
    return ok();
}

StandinAnswer batchSign(StandinContext& ctx)
{
    if (!codeSent(ctx))
        return fail(kBadData, QStringLiteral("请先获取验证码"));
    return confirmSigning(ctx, smsCode(ctx));
}

StandinAnswer usbKeySign(StandinContext& ctx)
{
    return confirmSigning(ctx, QString::fromLatin1(kUsbKeyCode));
}

StandinAnswer affirmSign(StandinContext& ctx)
{
    const QString joinId = ctx.request.json.value("contractJoinUserId").toString();
    QString error;
    QJsonObject s = ownSigner(ctx, joinId, &error);
    if (!error.isEmpty())
        return fail(kMissing, error);
    if (s.value("signStatus").toString() != "signing")
        return fail(kBadData, QStringLiteral("请先完成签署"));
    s.insert("signStatus", "signed");
    s.insert("signDate", now());
    put(ctx, "joinUsers", joinId, s);
    const QString contractId = s.value("contractId").toString();
    bool all = true;
    for (const QJsonValue& v : signersOf(ctx, contractId))
        all &= v.toObject().value("signStatus").toString() == "signed";
    if (all) {
        QJsonObject c = row(ctx, "contracts", contractId);
        c.insert("state", "completed");
        put(ctx, "contracts", contractId, c);
    }
    return ok();
}

StandinAnswer refuseSign(StandinContext& ctx)
{
    QString error;
    const QJsonObject s = ownSigner(ctx, ctx.request.json.value("contractJoinUserId").toString(), &error);
    if (!error.isEmpty())
        return fail(kMissing, error);
    QJsonObject c = row(ctx, "contracts", s.value("contractId").toString());
    if (c.value("state").toString() != "issued" || s.value("signStatus").toString() == "signed")
        return fail(kBadData, QStringLiteral("合同当前不能拒签"));
    c.insert("state", "refused");
    put(ctx, "contracts", c.value("contractId").toString(), c);
    QJsonObject refused = s;
    refused.insert("signStatus", "refused");
    put(ctx, "joinUsers", s.value("contractJoinUserId").toString(), refused);
    return ok();
}

StandinAnswer remind(StandinContext& ctx)
{
    QString error;
    const QJsonObject c = contractFor(ctx, ctx.request.json.value("contractId").toString(), &error);
    if (!error.isEmpty())
        return fail(kMissing, error);
    if (c.value("state").toString() != "issued")
        return fail(kBadData, QStringLiteral("合同不在签署中"));
    return ok();
}

StandinAnswer affirmContract(StandinContext& ctx)
{
    QString error;
    QJsonObject c = contractFor(ctx, ctx.request.json.value("contractId").toString(), &error);
    if (!error.isEmpty())
        return fail(kMissing, error);
    if (!ctx.state.files.contains(ctx.request.json.value("pdfFileSaveId").toString()))
        return fail(kMissing, QStringLiteral("合同文件不存在"));
    c.insert("pdfFileSaveId", ctx.request.json.value("pdfFileSaveId"));
    put(ctx, "contracts", c.value("contractId").toString(), c);
    return ok();
}

// ---- templates and QR codes ----

StandinAnswer templates(StandinContext& ctx)
{
    return ok(ctx.state.seed.value("templates").toArray());
}

StandinAnswer qrcode(StandinContext& ctx)
{
    const QString why = checkKeys(ctx.request.json, {{"content", QJsonValue::String, true}});
    if (!why.isEmpty())
        return badShape(why);
    // A picture in the manner of a QR code that names its content in a text chunk, so that
    // tests can read it back.
    const QByteArray content = ctx.request.json.value("content").toString().toUtf8();
    return ok(QJsonObject{
        {"qrcodeBase64", "data:image/png;base64," + QString::fromLatin1(standinQrPng(content).toBase64())}});
}

// ---- seal authorisations ----

QJsonArray companySeals(const StandinContext& ctx, const QString& account)
{
    QJsonArray out;
    if (!ctx.state.seed.contains("companySeals")) {
        if (ctx.state.account)
            for (const QJsonObject& s : ctx.state.account->seals.value(account))
                out.append(s);
        return out;
    }
    for (const QJsonValue& v : ctx.state.seed.value("companySeals").toArray())
        if (v.toObject().value("ownerAccount").toString() == account)
            out.append(v);
    return out;
}

// The grant by id if the session's user is its company (asCompany) or its person.
QJsonObject grantFor(StandinContext& ctx, const QString& id, bool asCompany, QString* error)
{
    const QJsonObject g = row(ctx, "grants", id);
    if (g.isEmpty())
        *error = QStringLiteral("授权不存在");
    else if (g.value(asCompany ? "companyAccount" : "personAccount").toString() != ctx.account)
        *error = QStringLiteral("无权操作该授权");
    return g;
}

QJsonObject grantRecord(const QJsonObject& g)
{
    QJsonObject o = g;
    o.remove("companyAccount");
    o.insert("authId", g.value("id"));
    return o;
}

QString statusText(int status)
{
    switch (status) {
    case 10: return QStringLiteral("待确认");
    case 20: return QStringLiteral("已生效");
    default: return QStringLiteral("已失效");
    }
}

void setGrantStatus(StandinContext& ctx, QJsonObject g, int status)
{
    g.insert("authorizeStatus", status);
    g.insert("authorizeStatusDesc", statusText(status));
    g.insert("statusDesc", statusText(status));
    put(ctx, "grants", g.value("id").toString(), g);
}

StandinAnswer checkQualification(StandinContext& ctx)
{
    if (!isCompany(ctx, ctx.account))
        return fail(kNotQualified, QStringLiteral("当前账号无印章授权资格"));
    return ok();
}

bool activeGrant(const StandinContext& ctx, const QString& company, const QString& personId)
{
    for (const QJsonValue& v : table(ctx, "grants")) {
        const QJsonObject g = v.toObject();
        if (g.value("companyAccount").toString() == company && g.value("personId").toString() == personId &&
            g.value("authorizeStatus").toInt() != 30)
            return true;
    }
    return false;
}

StandinAnswer checkDuplicate(StandinContext& ctx)
{
    const QString personId = ctx.request.json.value("personId").toString();
    if (accountOfUserId(ctx, personId).isEmpty())
        return fail(kMissing, QStringLiteral("被授权人不存在"));
    if (activeGrant(ctx, ctx.account, personId))
        return fail(kExists, QStringLiteral("该用户已存在有效授权"));
    return ok();
}

StandinAnswer issueGrant(StandinContext& ctx)
{
    const auto S = QJsonValue::String;
    const QJsonObject in = ctx.request.json;
    QString why = checkKeys(in, {{"sealUsageDate", S, false}, {"personId", S, false}, {"recordList", QJsonValue::Array, false},
                                 {"usageCount", QJsonValue::Double, true}, {"remark", S, true}});
    if (why.isEmpty() && !QDateTime::fromString(in.value("sealUsageDate").toString(), "yyyy-MM-dd hh:mm:ss").isValid())
        why = "sealUsageDate " + in.value("sealUsageDate").toString();
    if (!why.isEmpty())
        return badShape(why);
    if (!isCompany(ctx, ctx.account))
        return fail(kNotQualified, QStringLiteral("当前账号无印章授权资格"));
    const QString person = accountOfUserId(ctx, in.value("personId").toString());
    if (person.isEmpty())
        return fail(kMissing, QStringLiteral("被授权人不存在"));
    const QJsonArray own = companySeals(ctx, ctx.account);
    QJsonArray seals;
    for (const QJsonValue& v : in.value("recordList").toArray()) {
        why = checkKeys(v.toObject(), {{"sealId", S, false}, {"sealName", S, false}});
        if (!why.isEmpty())
            return badShape(why);
        bool found = false;
        for (const QJsonValue& s : own)
            found |= s.toObject().value("id") == v.toObject().value("sealId");
        if (!found)
            return fail(kMissing, QStringLiteral("印章不存在"));
        seals.append(v);
    }
    if (seals.isEmpty())
        return fail(kBadData, QStringLiteral("请选择印章"));
    if (activeGrant(ctx, ctx.account, in.value("personId").toString()))
        return fail(kExists, QStringLiteral("该用户已存在有效授权"));
    const QString id = newId(ctx, "g-");
    QJsonObject g{{"id", id},
                  {"companyAccount", ctx.account},
                  {"authorizeCompanyAccount", ctx.account},
                  {"authorizeCompanyName", nameOf(ctx, ctx.account)},
                  {"authorizeCompanyId", userId(ctx, ctx.account)},
                  {"personId", in.value("personId")},
                  {"personAccount", person},
                  {"personName", nameOf(ctx, person)},
                  {"authorizeDate", now()},
                  {"sealUsageDate", in.value("sealUsageDate")},
                  {"protocolId", newId(ctx, "c-")},
                  {"sealCount", seals.size()},
                  {"usageCount", in.value("usageCount").toInt()},
                  {"initialCount", in.value("usageCount").toInt()},
                  {"remark", in.value("remark").toString()},
                  {"control", in.contains("usageCount")},
                  {"confirmed", false},
                  {"recordList", seals}};
    setGrantStatus(ctx, g, 10);
    return ok(grantRecord(row(ctx, "grants", id)));
}

StandinAnswer grantsPage(StandinContext& ctx)
{
    const QJsonObject in = ctx.request.json;
    QString why = checkKeys(in, {{"entity", QJsonValue::Object, false}, {"pageBean", QJsonValue::Object, false}});
    if (why.isEmpty())
        why = checkKeys(in.value("entity").toObject(),
                        {{"authorizeStatus", QJsonValue::Double, false}, {"searchKeyword", QJsonValue::String, false}});
    if (why.isEmpty())
        why = checkPageBean(in, true);
    if (!why.isEmpty())
        return badShape(why);
    const int status = in.value("entity").toObject().value("authorizeStatus").toInt();
    const QString keyword = in.value("entity").toObject().value("searchKeyword").toString();
    QJsonArray rows;
    const QJsonObject all = table(ctx, "grants");
    for (auto it = all.end(); it != all.begin();) {
        --it;
        const QJsonObject g = it.value().toObject();
        if (g.value("companyAccount").toString() != ctx.account && g.value("personAccount").toString() != ctx.account)
            continue;
        if (status != 0 && g.value("authorizeStatus").toInt() != status)
            continue;
        if (!keyword.isEmpty() && !g.value("personName").toString().contains(keyword) &&
            !g.value("authorizeCompanyName").toString().contains(keyword))
            continue;
        rows.append(grantRecord(g));
    }
    return ok(page(rows, in.value("pageBean").toObject()));
}

StandinAnswer grantDetail(StandinContext& ctx)
{
    const QJsonObject g = row(ctx, "grants", ctx.request.json.value("id").toString());
    if (g.isEmpty() || (g.value("companyAccount").toString() != ctx.account &&
                        g.value("personAccount").toString() != ctx.account))
        return fail(kMissing, QStringLiteral("授权不存在"));
    return ok(grantRecord(g));
}

StandinAnswer sendGrantCode(StandinContext& ctx)
{
    return sendSignCode(ctx);
}

StandinAnswer confirmGrant(StandinContext& ctx)
{
    QString error;
    QJsonObject g = grantFor(ctx, ctx.request.json.value("authId").toString(), true, &error);
    if (!error.isEmpty())
        return fail(kMissing, error);
    if (!codeSent(ctx) || ctx.request.json.value("securityCode").toString() != smsCode(ctx))
        return fail(kBadData, QStringLiteral("验证码错误"));
    if (g.value("authorizeStatus").toInt() != 10 || g.value("confirmed").toBool())
        return fail(kBadData, QStringLiteral("授权当前不能确认"));
    g.insert("confirmed", true);
    put(ctx, "grants", g.value("id").toString(), g);
    return ok(grantRecord(g));
}

StandinAnswer acceptGrant(StandinContext& ctx)
{
    QString error;
    QJsonObject g = grantFor(ctx, ctx.request.json.value("authId").toString(), false, &error);
    if (!error.isEmpty())
        return fail(kMissing, error);
    if (!codeSent(ctx) || ctx.request.json.value("securityCode").toString() != smsCode(ctx))
        return fail(kBadData, QStringLiteral("验证码错误"));
    if (g.value("authorizeStatus").toInt() != 10 || !g.value("confirmed").toBool())
        return fail(kBadData, QStringLiteral("授权尚未确认"));
    setGrantStatus(ctx, g, 20);
    return ok(grantRecord(row(ctx, "grants", g.value("id").toString())));
}

StandinAnswer refuseGrant(StandinContext& ctx)
{
    QString error;
    const QJsonObject g = grantFor(ctx, ctx.request.json.value("authId").toString(), false, &error);
    if (!error.isEmpty())
        return fail(kMissing, error);
    if (g.value("authorizeStatus").toInt() != 10)
        return fail(kBadData, QStringLiteral("授权当前不能拒绝"));
    setGrantStatus(ctx, g, 30);
    return ok();
}

StandinAnswer terminateGrant(StandinContext& ctx)
{
    QString error;
    const QJsonObject g = grantFor(ctx, ctx.request.json.value("authId").toString(), true, &error);
    if (!error.isEmpty())
        return fail(kMissing, error);
    if (g.value("authorizeStatus").toInt() == 30)
        return fail(kBadData, QStringLiteral("授权已失效"));
    setGrantStatus(ctx, g, 30);
    return ok();
}

StandinAnswer companySealsPage(StandinContext& ctx)
{
    const QJsonObject in = ctx.request.json;
    QString why = checkKeys(in, {{"entity", QJsonValue::Object, false}, {"pageBean", QJsonValue::Object, false}});
    const QJsonObject entity = in.value("entity").toObject();
    if (why.isEmpty())
        why = checkKeys(entity, {{"name", QJsonValue::String, true}, {"sealType", QJsonValue::String, true},
                                 {"certification", QJsonValue::Double, false}});
    if (why.isEmpty() && entity.contains("name") != entity.contains("sealType"))
        why = "name and sealType go together";
    if (why.isEmpty())
        why = checkPageBean(in, false);
    if (!why.isEmpty())
        return badShape(why);
    QJsonArray rows;
    for (const QJsonValue& v : companySeals(ctx, ctx.account)) {
        const QJsonObject s = v.toObject();
        if (entity.contains("name") && !s.value("name").toString().contains(entity.value("name").toString()))
            continue;
        if (!entity.value("sealType").toString().isEmpty() && s.value("sealType") != entity.value("sealType"))
            continue;
        rows.append(s);
    }
    return ok(page(rows, in.value("pageBean").toObject()));
}

StandinAnswer authCompanies(StandinContext& ctx)
{
    QJsonArray out;
    QStringList seen;
    for (const QJsonValue& v : table(ctx, "grants")) {
        const QJsonObject g = v.toObject();
        if (g.value("personAccount").toString() != ctx.account || g.value("authorizeStatus").toInt() != 20)
            continue;
        if (seen.contains(g.value("authorizeCompanyId").toString()))
            continue;
        seen << g.value("authorizeCompanyId").toString();
        out.append(QJsonObject{{"authId", g.value("id")},
                               {"authorizeCompanyName", g.value("authorizeCompanyName")},
                               {"authorizeCompanyAccount", g.value("authorizeCompanyAccount")},
                               {"authorizeCompanyId", g.value("authorizeCompanyId")}});
    }
    return ok(out);
}

StandinAnswer authSeals(StandinContext& ctx)
{
    const QString company = ctx.request.json.value("authorizeCompanyId").toString();
    QJsonArray out;
    for (const QJsonValue& v : table(ctx, "grants")) {
        const QJsonObject g = v.toObject();
        // An empty company id asks for the seals of every company.
        if (g.value("personAccount").toString() != ctx.account || g.value("authorizeStatus").toInt() != 20 ||
            (!company.isEmpty() && g.value("authorizeCompanyId").toString() != company))
            continue;
        for (const QJsonValue& r : g.value("recordList").toArray())
            for (const QJsonValue& s : companySeals(ctx, g.value("companyAccount").toString()))
                if (s.toObject().value("id") == r.toObject().value("sealId"))
                    out.append(s);
    }
    return ok(out);
}

} // namespace

void appendContractOperations(QList<StandinOperation>& ops)
{
    using T = StandinToken;
    using B = StandinBody;
    const auto S = QJsonValue::String;
    const QString sc = "/tarvik-serve-manage-wexo";
    const QString tc = "/tarvik-contract";
    const QString au = "/eseal-auth/authorize";
    ops += {
        // stored files
        {"POST", "/eseal-file/file/upLoad", T::Required, B::Multipart, {{"file", S}, {"business", S}, {"project", S}}, fileUpload},
        {"POST", "/eseal-file/file/updateFile", T::Required, B::Multipart,
         {{"id", S}, {"business", S}, {"project", S}, {"file", S}}, fileUpdate},
        {"POST", "/eseal-file/file/getToken", T::Required, B::Empty, {}, fileToken},
        // drafting and signers
        {"POST", sc + "/local/function/get/contract-mark", T::Required, B::Empty, {}, contractMark},
        {"POST", sc + "/local/function/delete/contract-mark", T::Required, B::JsonObject, {{"contractId", S}}, deleteContractMark},
        {"POST", sc + "/contract/add", T::Required, B::JsonObject,
         {{"pdfFileSaveId", S}, {"contractName", S}, {"contractType", S}, {"signRule", S}, {"representType", S},
          {"representIndex", S}, {"signEndDate", S}, {"remark", S}},
         contractAdd},
        {"POST", tc + "/update/contract", T::Required, B::Any, {}, contractUpdate},
        {"POST", sc + "/contract/issue", T::Required, B::JsonObject,
         {{"contractId", S}, {"contractName", S}, {"contractType", S}, {"signRule", S}, {"remark", S}}, contractIssue},
        {"POST", sc + "/contract/delete", T::Required, B::JsonObject, {{"contractId", S}}, contractDelete},
        {"POST", "/eseal-usermanage/contacts/add/signatory", T::Required, B::JsonObject,
         {{"addValue", S}, {"remarkName", S}}, addSignatory},
        {"POST", tc + "/delete/contract-join-user/list", T::Required, B::JsonObject, {{"contractId", S}}, deleteJoinUsers},
        {"POST", tc + "/add/contract-join-user/list", T::Required, B::Any, {}, batchAddJoinUsers},
        {"POST", tc + "/contract/user/add", T::Required, B::Any, {}, addJoinUser},
        {"POST", tc + "/update/contract-user", T::Required, B::JsonObject,
         {{"contractJoinUserId", S}, {"proofType", S}, {"proofTime", S}}, updateJoinUser},
        {"POST", sc + "/query/list/group/contract-join-user", T::Required, B::JsonObject, {{"contractId", S}}, querySigners},
        {"POST", tc + "/query/contract", T::Required, B::JsonObject, {{"contractId", S}}, queryContract},
        // lists and placements
        {"POST", sc + "/contract/query/about/me", T::Required, B::Any, {}, contractsAboutMe},
        {"POST", sc + "/contract/query/about/me/paging", T::Required, B::Any, {}, contractsAboutMePaged},
        {"POST", tc + "/contract/getDetails", T::Required, B::Any, {}, contractDetails},
        {"POST", tc + "/delete/contract/detail", T::Required, B::JsonObject, {{"contractDetailId", S}}, clearDetail},
        // signing
        {"POST", sc + "/function/send/sign-security-code", T::Required, B::JsonObject, {}, sendSignCode},
        {"POST", sc + "/function/check/sign-security-code", T::Required, B::JsonObject, {{"securityCode", S}}, checkSignCode},
        {"POST", sc + "/function/apply-for-sign", T::Required, B::JsonObject, {{"contractId", S}}, applyForSign},
        {"POST", tc + "/function/batch-add/contract-detail", T::Required, B::Any, {}, batchAddDetails},
        {"POST", sc + "/function/batch-sign/contract", T::Required, B::JsonObject,
         {{"contractJoinUserId", S}, {"securityCode", S}}, batchSign},
        {"POST", sc + "/function/uk-sign/contract", T::Required, B::JsonObject,
         {{"contractJoinUserId", S}, {"securityCode", S}}, usbKeySign},
        {"POST", sc + "/contract/affirm/sign", T::Required, B::JsonObject, {{"contractJoinUserId", S}}, affirmSign},
        {"POST", sc + "/contract/refuse/sign", T::Required, B::JsonObject, {{"contractJoinUserId", S}}, refuseSign},
        {"POST", sc + "/function/remind-user-sign-contract", T::Required, B::JsonObject, {{"contractId", S}}, remind},
        {"POST", tc + "/contract/detail/add", T::Required, B::Any, {}, addDetail},
        {"POST", sc + "/local/function/affirm/contract", T::Required, B::JsonObject,
         {{"contractId", S}, {"pdfFileSaveId", S}}, affirmContract},
        // templates and QR codes
        {"POST", "/eseal-contract-template/default-template/dfQuery", T::Required, B::JsonObject, {}, templates},
        {"POST", sc + "/function/create/qrcode", T::Required, B::Any, {}, qrcode},
        // seal authorisations
        {"POST", au + "/queryPage", T::Required, B::Any, {}, grantsPage},
        {"POST", sc + "/function/issue/seal-auth", T::Required, B::Any, {}, issueGrant},
        {"POST", "/eseal-seal/contract-seal/page/companySeal/", T::Required, B::Any, {}, companySealsPage},
        {"POST", sc + "/function/check-qualification/seal-auth", T::Required, B::Empty, {}, checkQualification},
        {"POST", au + "/checkUserDuplicateAuth", T::Required, B::JsonObject, {{"personId", S}}, checkDuplicate},
        {"POST", au + "/queryAuthDetailById", T::Required, B::JsonObject, {{"id", S}}, grantDetail},
        {"POST", sc + "/function/send/auth-security-code", T::Required, B::JsonObject, {}, sendGrantCode},
        {"POST", sc + "/function/affirm/seal-auth", T::Required, B::JsonObject, {{"authId", S}, {"securityCode", S}}, confirmGrant},
        {"POST", sc + "/function/terminate/seal-auth", T::Required, B::JsonObject, {{"authId", S}}, terminateGrant},
        {"POST", sc + "/function/accept/seal-auth", T::Required, B::JsonObject, {{"authId", S}, {"securityCode", S}}, acceptGrant},
        {"POST", sc + "/function/refuse/seal-auth", T::Required, B::JsonObject, {{"authId", S}}, refuseGrant},
        {"POST", au + "/getAuthAvailableCompany", T::Required, B::JsonObject, {}, authCompanies},
        {"POST", sc + "/query/auth-seal", T::Required, B::JsonObject, {{"authorizeCompanyId", S}}, authSeals},
    };
}
