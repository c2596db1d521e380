#pragma once
// Records of the cloud contracts, their signers and seal placements, stored files and
// templates, and seal authorisations, as the service client hands them to the screens.
//
// Each record is read from one JSON object of a reply: a field comes from the key of the same
// name unless its reader says otherwise; a text only from a JSON string, an integer only from a
// JSON number, a boolean only from a JSON boolean (anything else reads as empty, 0 or false).

#include <QByteArray>
#include <QJsonObject>
#include <QMetaType>
#include <QPixmap>
#include <QString>

#include "SealRecords.h"

// A contract as the service stored it as a draft (the answer of the draft request). Every
// field is read from the key of the same name, except `id` from "contractAddDrafts".
struct ContractAddDrafts {
    QString id;
    QString contractName;
    QString contractId;   // the new contract's id, used by every later request
    QString contractType;
    QString userId;
    QString userAccount;
    QString userName;
    QString userImgUrl;
    QString presentUserId;
    QString presentUserType;
    QString presentUserName;
    QString presentUserImgUrl;
    QString userType;
    QString theme;
    QString templateType;
    QString templateId;
    QString startDate;
    QString endDate;
    QString createDate;
    QString updateDate;
    QString signOrder;
    QString status;
    QString statusIn;
    QString statusNotIn;
    QString pdfFileSaveId;
    QString signEndDate;
    QString remark;

    void read(const QJsonObject& o);
};

// One signer of a contract as the service lists it. `signStatu` comes from "signStatus";
// `me` is never read and stays false.
struct ContractSignerInfo {
    bool me = false;
    QString signDate;
    QString userAccount;
    QString userName;
    int signOrder = 0;
    QString role;
    QString signStatu;

    void read(const QJsonObject& o);
};

// One signer chosen in the contract parameters of a document tab; the signer list request
// sends `userId` and `userType`. The settings dialog also keeps the lock mark and the signing
// state text it shows.
struct SignerInfo {
    QString userId;
    int userType = 0;
    QString userAccount;
    QString userName;
    QString isLock;
    QString statustr;
};

// One row of the contract lists. `status` comes from "contractStatus" (a status key); the
// fields marked "not read" stay empty or 0.
struct ContractInfo {
    QString id;
    QString contractJoinUserId;   // the user's membership in the contract
    QString contractId;
    QString contractName;
    QString contractType;         // not read
    QString status;
    QString userAccount;
    int userType = 0;
    QString phone;
    QString issueUserId;
    QString issueUserName;
    QString issueUserImgUri;
    int presentUserId = 0;        // not read
    QString presentUserName;
    QString presentUserType;      // not read
    QString templateId;           // not read
    QString templateType;         // not read
    int signOrder = 0;
    QString startDate;            // the paged list only
    QString createDate;
    QString updateDate;
    QString pdfFileSaveId;        // id of the stored PDF
    QString docImageList;         // not read
    QString signRule;
    QString signEndDate;
    QString signDate;
    QString remark;
    QString signReportUri;

    void read(const QJsonObject& o, bool withStartDate);
};
Q_DECLARE_METATYPE(ContractInfo)

// The first seal placement recorded for a contract, with its picture.
struct ContractGetDetails {
    QString sealUri;        // stored-file id of the seal picture
    QByteArray imageData;   // the stored file whose id is sealUri
    QString sealId;
    int pageIndex = 0;      // 0-based
    int signWidth = 0;
    int signHeight = 0;
    int signTop = 0;        // the service sends it as text holding a decimal integer
    int signLeft = 0;       // likewise
};

// One placement recorded for a signer.
struct ContractDetails {
    QString id;
    QString contractDetailId;
    QString contractId;

    void read(const QJsonObject& o);
};

// One seal or signature placed on a contract document, to be recorded with the service.
struct SealDetails {
    QString contractId;
    QString contractJoinUserId;
    int isLock = 0;
    QString sealId;
    QString signType;       // "seal" or "sign"
    int pageIndex = 0;      // 0-based
    int signTop = 0;
    int signLeft = 0;
    QString signIp;         // kept locally, never sent
    QString certificateSerialNumber;
    QString signTimestamp;

    // The ten keys the service records (everything but signIp), numbers as numbers.
    QJsonObject toJson() const;
};

// One default contract template.
struct TemplateInfo {
    QString createBy;
    QString endTime;
    QString id;
    QString jpgID;
    QString pdfID;
    QString startTime;
    int status = 0;
    QString storageId;
    int storageType = 0;
    QString templateName;
    QString templateType;
    QString updateBy;

    void read(const QJsonObject& o);
};

// One grant in the grant list.
struct AuthorizeList {
    QString authId;
    QString authorizeCompanyName;
    QString authorizeCompanyAccount;
    QString personName;
    QString personAccount;
    QString authorizeDate;
    QString sealUsageDate;
    int authorizeStatus = 0;
    QString statusDesc;
    QString protocolId;

    void read(const QJsonObject& o);
};

// One grant in detail, with its grant document (a contract of the service).
struct StartAuthSuccessInfo {
    QString id;
    QString authorizeCompanyName;
    QString authorizeCompanyAccount;
    QString personName;
    QString personAccount;
    QString authorizeDate;
    QString sealUsageDate;
    int authorizeStatus = 0;
    int sealCount = 0;
    int usageCount = 0;
    bool control = false;
    QString authId;
    QString protocolId;   // id of the grant document
    QString fileName;     // always "印章授权合同"
    QString authorizeStatusDesc;
    QString remark;
    int initialCount = 0;
    bool isAuth = false;  // true when the record comes from a grant just issued
};
Q_DECLARE_METATYPE(StartAuthSuccessInfo)

// One seal chosen on the grant form; the picture is not sent.
struct SelectAuthSeals {
    QPixmap pixMap;
    QString sealName;
    QString sealId;
};

// One company that authorised the user.
struct AuthCompanyInfo {
    QString authId;
    QString authorizeCompanyName;
    QString authorizeCompanyAccount;
    QString authorizeCompanyId;

    void read(const QJsonObject& o);
};

// A decimal integer held in a JSON string ("120" gives 120); anything else gives 0.
int jsonIntText(const QJsonObject& o, const QString& key);
// The width and height in pixels of a seal from the service's "W*H" size in millimetres: two
// parts split at "*" give one size each (a part that is no number reads as 0); any other text
// gives the 40 mm default on both sides.
void sealSizeFromText(const QString& size, double& width, double& height);
