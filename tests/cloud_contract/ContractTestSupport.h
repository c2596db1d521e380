#pragma once
// The stand-in seeded with a personal user, a company with seals, a second person, stored seal
// pictures and a template; helpers to log in as any of them and to read what was sent.

#include "CloudTestSupport.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QSignalSpy>

inline QString u8(const char* s)
{
    return QString::fromUtf8(s);
}

class ContractTest : public CloudTest
{
protected:
    static constexpr const char* kCompany = "13900000000";
    static constexpr const char* kPerson = "13700000000";
    static constexpr const char* kSmsCode = "246810";
    static constexpr const char* kFileAddressPath = "/eseal-file/file/getFileName";

    void SetUp() override
    {
        CloudTest::SetUp();
        if (HasFatalFailure())
            return;
        QString error;
        ASSERT_TRUE(standin.start(0, seed(), QString(), &error)) << error.toStdString();
        trustInProcess(standin.caCertificate());
        client->setServiceAddress(standin.baseAddress());
    }

    static QByteArray pictureBytes(const char* tag) { return QByteArray("\x89PNG\r\n\x1a\n") + tag; }

    static QByteArray seed()
    {
        QJsonObject s = QJsonDocument::fromJson(standinDefaultSeed()).object();
        QJsonArray users = s.value("users").toArray();
        users.append(QJsonObject{{"userAccount", kCompany}, {"userPassword", "Company@2024"},
                                 {"data", QJsonObject{{"id", "u-company"}, {"userType", 1}, {"userName", u8("演示科技有限公司")}}}});
        users.append(QJsonObject{{"userAccount", kPerson}, {"userPassword", "Person@2024"},
                                 {"data", QJsonObject{{"id", "u-0003"}, {"userType", 0}, {"userName", u8("张三")}}}});
        s.insert("users", users);
        s.insert("smsCode", kSmsCode);
        auto seal = [](const char* id, const char* name, const char* size, int status, const char* picture) {
            return QJsonObject{{"id", id}, {"name", u8(name)}, {"sealCode", QString(id) + "-code"}, {"sealType", "1"},
                               {"size", size}, {"status", status}, {"sealSaveID", picture}, {"ownerAccount", kCompany},
                               {"hash", "h"}, {"certification", 1}, {"whetherOnline", 1}, {"sealShow", 1},
                               {"sealRecordTime", "1700000000"}, {"companyName", u8("演示科技有限公司")}};
        };
        s.insert("companySeals", QJsonArray{seal("s-1", "公章", "40*40", 1, "pic-1"), seal("s-2", "合同章", "42*", 1, "pic-2"),
                                            seal("s-3", "作废章", "40*40", 0, "pic-1"), seal("s-4", "财务章", "", 1, "")});
        s.insert("files", QJsonArray{
            QJsonObject{{"id", "pic-1"}, {"name", "s1.png"}, {"base64", QString::fromLatin1(pictureBytes("one").toBase64())}},
            QJsonObject{{"id", "pic-2"}, {"name", "s2.png"}, {"base64", QString::fromLatin1(pictureBytes("two").toBase64())}}});
        s.insert("templates", QJsonArray{QJsonObject{{"id", "t-1"}, {"templateName", u8("劳动合同")}, {"status", 1},
                                                     {"storageType", 2}, {"pdfID", "pdf-1"}, {"jpgID", "jpg-1"}}});
        return QJsonDocument(s).toJson();
    }

    bool loginAs(const char* account, const char* password)
    {
        if (client->getLoginState() == NetWorkBusiness::LOGINED)
            client->getNetCodeInfo(51001);
        return loginWith(account, password);
    }
    bool loginCompany() { return loginAs(kCompany, "Company@2024"); }
    bool loginPerson() { return loginAs(kPerson, "Person@2024"); }

    // The body of the last request to path, raw.
    QByteArray lastBody(const QString& path) const
    {
        const QList<StandinRequest> sent = standin.requests(path);
        return sent.isEmpty() ? QByteArray("<none>") : sent.last().body;
    }

    static QByteArray indented(const QJsonObject& o) { return QJsonDocument(o).toJson(); }
    static QByteArray indented(const QJsonArray& a) { return QJsonDocument(a).toJson(); }

    // Answers the next request to path with this envelope.
    void cannedReply(const QString& path, const QJsonObject& envelope)
    {
        StandinScript s = StandinScript::withEnvelope(envelope);
        s.times = 1;
        standin.script(path, s);
    }
    static QJsonObject success(const QJsonValue& data)
    {
        return QJsonObject{{"code", 10000}, {"msg", "ok"}, {"data", data}};
    }
};
