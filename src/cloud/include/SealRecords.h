#pragma once
// Records of the user's cloud seals, handwritten signatures and seal certification state, as the
// service client hands them to the screens. Field names follow the service's JSON keys.

#include <QByteArray>
#include <QJsonObject>
#include <QMetaType>
#include <QString>

// One cloud seal (also filled by the company-seal and authorised-seal lists).
struct SealInfo {
    QString id;
    QString name;
    QString sealCode;
    QString sealType;
    QString size;             // "width*height" in millimetres; the seal list leaves it empty
    double width = 0;         // points
    double height = 0;        // points
    QString hash;
    QString creationDate;
    QString updateDate;
    QString sealSaveID;       // stored-file id of the picture
    QString fileUrl;          // download address of the picture
    QString remark;
    int status = 0;
    QString userID;
    QString creditCode;
    QString companyName;
    QString companyPhone;
    QString base64Code;
    QString startTime;
    QString endTime;
    QString sealUsageDesc;
    QByteArray imageData;     // the picture's bytes
    QString sealUnitName;
    QString sealRecordUnitName;
    QString sealRecordTime;   // seconds since 1970-01-01 00:00 UTC, as text
    int sealShow = 0;
    int certification = 0;
    int whetherOnline = 0;

    // Every field named by a JSON key, read from one element of a seal list; the size applied.
    void fillFromJson(const QJsonObject& o);
};

// One handwritten signature.
struct UserSignatureInfo {
    QString id;
    QString name;
    QString size;             // "width*height" in millimetres, as sent
    double width = 0;
    double height = 0;
    QString signatureType;
    QString creationDate;
    QString updateDate;
    QString signatureSaveID;  // stored-file id of the picture
    QString fileUrl;          // its download address, looked up
    QByteArray imageData;
    QString remark;
    int status = 0;
    QString userID;
    QString startTime;
    QString endTime;
    QString base64Code;
    int defaultSignature = 0;

    void fillFromJson(const QJsonObject& o);
};

// A seal whose certification failed.
struct CertificationFailure {
    QString userID;
    QString sealSaveID;
    QString sealType;
    QString id;
    int sealShow = 0;
    QString name;
    QString creationDate;
    QString creditCode;
    int defaultSeal = 0;
    QString errorReason;
    int status = 0;
    QString fileUrl;

    void fillFromJson(const QJsonObject& o);
};

// A company seal with its certification state.
struct CompanySealInfo {
    QString id;
    QString name;
    QString sealCode;
    QString sealType;
    QString size;
    double width = 0;
    double height = 0;
    QString hash;
    QString creationDate;
    QString updateDate;
    QString sealSaveID;
    QString fileUrl;
    QString remark;
    int status = 0;
    QString userID;
    QString creditCode;
    QString companyName;
    QString companyPhone;
    QString base64Code;
    QString startTime;
    QString endTime;
    QString sealUsageDesc;
    QByteArray imageData;
    int sealShow = 0;
    int certification = 0;
    QString errorReason;

    void fillFromJson(const QJsonObject& o);
};

// A size text "width*height" in millimetres (decimals allowed) as points. Anything else, or a
// side that is not a positive number, gives the default 40 mm for both sides.
void sealSizeToPoints(const QString& size, double& width, double& height);

Q_DECLARE_METATYPE(SealInfo)
Q_DECLARE_METATYPE(UserSignatureInfo)
