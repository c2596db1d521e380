#pragma once
// The fixture of the seal-authorisation tests: the login fixture with grants, contacts and
// company seals seeded in the stand-in, and the paths and bodies of the requests they check.

#include "LoginTestSupport.h"

#include "ContractRecords.h"
#include "NetWorkBusiness.h"
#include "StandinOpsAccount.h"

#include <QBuffer>
#include <QDate>
#include <QImage>
#include <QJsonArray>
#include <QPainter>

// The record a QSignalSpy kept of an openContractAuthFile signal.
inline StartAuthSuccessInfo recordOf(const QVariant& v)
{
    const QVariant inner = v.userType() == QMetaType::QVariant ? v.value<QVariant>() : v;
    return inner.value<StartAuthSuccessInfo>();
}

// What a request for a page of grants asked for.
struct GrantListBody {
    int status;
    QString keyword;
    int page;
    int rows;
    bool operator==(const GrantListBody& o) const
    {
        return status == o.status && keyword == o.keyword && page == o.page && rows == o.rows;
    }
};

inline std::ostream& operator<<(std::ostream& os, const GrantListBody& b)
{
    return os << "{status " << b.status << ", keyword \"" << b.keyword.toStdString() << "\", page " << b.page
              << ", rows " << b.rows << "}";
}

class UserAuthTest : public LoginTest
{
protected:
    static constexpr const char* kCompany = "13900000000";
    static constexpr const char* kPerson = "13800000000";   // user id u-0001, verified
    static constexpr const char* kGrantsPath = "/eseal-auth/authorize/queryPage";
    static constexpr const char* kDetailPath = "/eseal-auth/authorize/queryAuthDetailById";
    static constexpr const char* kDuplicatePath = "/eseal-auth/authorize/checkUserDuplicateAuth";
    static constexpr const char* kTerminatePath = "/tarvik-serve-manage-wexo/function/terminate/seal-auth";
    static constexpr const char* kQualificationPath = "/tarvik-serve-manage-wexo/function/check-qualification/seal-auth";
    static constexpr const char* kIssuePath = "/tarvik-serve-manage-wexo/function/issue/seal-auth";
    static constexpr const char* kBaseUserPath = "/eseal-usermanage/user/query/baseUserInfo";
    static constexpr const char* kSealsPath = "/eseal-seal/contract-seal/page/companySeal/";
    static constexpr const char* kContactsPath = "/eseal-usermanage/contacts/query/list";

    // The next request to path gets this envelope instead of the stand-in's answer.
    void answerOnce(const char* path, int code, const QJsonValue& data = QJsonValue(), const QString& msg = QString())
    {
        QJsonObject envelope{{"code", code}, {"msg", msg.isEmpty() ? QStringLiteral("x") : msg}};
        if (!data.isUndefined() && !data.isNull())
            envelope.insert("data", data);
        StandinScript s = StandinScript::withEnvelope(envelope);
        s.times = 1;
        standin.script(path, s);
    }

public:
    // A grant of the company kCompany. `n` orders the grants: the list shows the highest first.
    static QJsonObject grant(int n, int status, const QString& personAccount, const QString& personName)
    {
        const QString id = QStringLiteral("g-%1").arg(100 + n);
        const QString desc = status == 10 ? QStringLiteral("待确认")
                                          : status == 20 ? QStringLiteral("已生效") : QStringLiteral("已失效");
        return QJsonObject{{"id", id},
                           {"companyAccount", kCompany},
                           {"authorizeCompanyAccount", kCompany},
                           {"authorizeCompanyName", QStringLiteral("演示科技有限公司")},
                           {"authorizeCompanyId", "u-0002"},
                           {"personId", QStringLiteral("p-%1").arg(n)},
                           {"personAccount", personAccount},
                           {"personName", personName},
                           {"authorizeDate", QStringLiteral("2024-03-%1 10:00:00").arg(n % 28 + 1, 2, 10, QChar('0'))},
                           {"sealUsageDate", "2030-12-31 23:59:59"},
                           {"protocolId", QStringLiteral("c-%1").arg(n)},
                           {"sealCount", 1},
                           {"usageCount", 3},
                           {"initialCount", 3},
                           {"remark", ""},
                           {"control", true},
                           {"confirmed", false},
                           {"recordList", QJsonArray()},
                           {"authorizeStatus", status},
                           {"authorizeStatusDesc", desc},
                           {"statusDesc", desc}};
    }

protected:
    void seedGrants(const QList<QJsonObject>& grants)
    {
        standin.withState([&](StandinState& s) {
            QJsonObject table;
            for (const QJsonObject& g : grants)
                table.insert(g.value("id").toString(), g);
            s.seed.insert("grants", table);
        });
    }

    // The company's certified seals: n seals named by `name(i)`, each with a picture.
    void seedCompanySeals(const QStringList& names)
    {
        standin.withState([&](StandinState& s) {
            QJsonArray seals;
            for (int i = 0; i < names.size(); ++i) {
                const QString id = QStringLiteral("s-%1").arg(i + 1, 2, 10, QChar('0'));
                const QString file = QStringLiteral("seal-picture-") + id;
                s.files.insert(file, StandinFile{file + ".png", "image/png", standinSealPng(96, i % 2 == 0)});
                seals.append(QJsonObject{{"id", id},
                                         {"name", names[i]},
                                         {"sealCode", "SC" + id},
                                         {"sealType", "2"},
                                         {"size", "40*40"},
                                         {"status", 1},
                                         {"certification", 1},
                                         {"sealSaveID", file},
                                         {"ownerAccount", kCompany},
                                         {"creationDate", QStringLiteral("2024-02-%1 09:30:00").arg(i % 28 + 1, 2, 10,
                                                                                                     QChar('0'))}});
            }
            s.seed.insert("companySeals", seals);
        });
    }

public:
    static QJsonObject contact(const QString& userId, const QString& remark, const QString& account, int userType,
                               int authenStatus)
    {
        return QJsonObject{{"id", "c-" + userId},  {"userId", userId},       {"userType", userType},
                           {"activation", 1},      {"authenStatus", authenStatus}, {"remarkName", remark},
                           {"userAccount", account}, {"userName", remark + QStringLiteral("(实名)")},
                           {"status", 1},          {"imgUrl", ""},           {"createDate", "2024-02-01 09:00:00"}};
    }

protected:
    void seedContacts(const QList<QJsonObject>& contacts)
    {
        standin.withState([&](StandinState& s) {
            QJsonArray rows;
            for (const QJsonObject& c : contacts)
                rows.append(c);
            QJsonObject area = s.seed.value("orders").toObject();
            area.insert("contacts", rows);
            s.seed.insert("orders", area);
        });
    }

    // The last body sent to the list of grants.
    GrantListBody lastListBody()
    {
        const QJsonObject body = lastBody(kGrantsPath);
        const QJsonObject entity = body.value("entity").toObject();
        const QJsonObject bean = body.value("pageBean").toObject();
        EXPECT_EQ(bean.value("orderBy").toString(), QStringLiteral("authorizeDate desc"));
        return GrantListBody{entity.value("authorizeStatus").toInt(-1), entity.value("searchKeyword").toString(),
                        bean.value("pageNum").toInt(), bean.value("pageSize").toInt()};
    }

    // A day in the form's "yyyy-M-d" text.
    static QString day(int daysFromToday) { return QDate::currentDate().addDays(daysFromToday).toString("yyyy-M-d"); }
};
