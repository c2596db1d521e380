#pragma once
// TEMP-SHIM
#include <QByteArray>
#include <QString>
#include <QMetaType>
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
};
Q_DECLARE_METATYPE(SealInfo)
