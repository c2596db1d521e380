#pragma once
// Records the cloud service client hands to the screens.

#include <QJsonArray>
#include <QJsonObject>
#include <QJsonValue>
#include <QList>
#include <QString>

// The logged-in user of the cloud service with the session token, filled by the login reply:
// `token` from the reply's top-level "token", every other field from the key of the same name
// in its "data".
struct BusinessInfo {
    QString token;
    QString id;
    QString updateBy;
    QString updateDate;
    QString createBy;
    QString createDate;
    int status = -1;
    QString remark;
    QString userAccount;
    QString userPassword;
    int passwordChangeNum = -1;
    int userType = -1;   // 0 personal account, any other value an enterprise account
    QString imgUrl;
    QString signPassword;
    QString authenName;
    QString creditCode;
    QString userName;
    QString authenCardId;
    QString authenPhone;
    QString authenEmail;
    int authenType = -1;
    int authenStatus = -1;   // 1 verified, 2 failed, 3 under review, 0 not verified
    int isReceiveMsg = -1;
    QString registerDate;
    QString authenDate;
    QString ukey;
    QString clientType;
    QString contactPhone;

    // Replaces every field from a login reply (missing strings empty, missing integers 0).
    void fillFromLogin(const QString& sessionToken, const QJsonObject& data);
    // Every string empty, every integer -1.
    void clear();
};
using businessInfo = BusinessInfo;

// Reading rules of the service's JSON: a text only from a JSON string, an integer only from a
// JSON number; anything else reads as empty or 0.
QString jsonText(const QJsonObject& o, const QString& key);
int jsonInt(const QJsonObject& o, const QString& key);
// A double only from a JSON number (else 0); a boolean only from a JSON boolean (else false).
double jsonDouble(const QJsonObject& o, const QString& key);
bool jsonBool(const QJsonObject& o, const QString& key);

// Appends one record per object of a reply's JSON array, filled by fill(record, object); a
// value that is not an array appends nothing. The list is never cleared: callers pass it empty.
template <typename Record, typename Fill>
void appendRows(QList<Record>& out, const QJsonValue& rows, Fill fill)
{
    if (!rows.isArray())
        return;
    for (const QJsonValue& row : rows.toArray()) {
        Record record{};
        fill(record, row.toObject());
        out.append(record);
    }
}
