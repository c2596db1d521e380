#pragma once
// Records of the packages, orders, payments, invoices and contacts that the service client hands
// to the user-centre screens. Plain values; each field is read from the reply key of the same
// name unless its comment names another, by the reading rules of NetWorkBusinessRecords.h
// (missing or mistyped keys read as empty text, 0 or false).

#include "NetWorkBusinessRecords.h"

#include <QString>

// The service sends amounts as numbers; the records keep them as text with exactly two decimals
// (200 becomes "200.00"), which is also what goes back to the service. An amount sent as text
// is kept as it is; anything else reads as "0.00".
QString jsonAmountText(const QJsonObject& o, const QString& key);

// A package the user holds.
struct PackageInfo {
    QString createDate;
    QString endDate;
    QString id;
    QString mealCode;
    int mealDayNum = 0;       // the package's length in days
    QString mealName;
    int mealNum = 0;          // signings in the package
    int mealResidueNum = 0;   // signings left
    QString startDate;
    int status = 0;
    QString updateDate;       // "yyyy-M-d hh:mm:ss", where the count of days starts
    QString noDate;           // the service's current time, same format
    QString userId;
    int userType = 0;

    void read(const QJsonObject& o);
};

// One row of the paged list of held packages: the fields of PackageInfo (mealCode not filled)
// and the order that bought it.
struct MyPackageOrderList : PackageInfo {
    QString orderId;
    QString mealImg;
    double price = 0;
    QString details;
    int mealStatus = 0;

    void read(const QJsonObject& o);
};

// One row of the order list.
struct PackageOrderInfo {
    QString createDate;
    QString updateDate;
    QString id;
    QString userId;
    int userType = 0;
    QString orderCode;
    QString setmealCode;
    int setmealNum = 0;
    QString orderAmount;   // two-decimal text
    int status = 0;
    QString mealName;
    QString mealDescr;
    int mealCapacity = 0;
    QString remark;
    int invoiceState = 0;  // 0: no invoice applied for
    QString invoice_Id;    // key "invoiceId"

    void read(const QJsonObject& o);
};

// A package for sale.
struct BuyPackageInfo {
    QString createDate;
    double price = 0;
    int capacity = 0;      // signings
    QString descr;
    QString endDate;
    QString id;
    int level = 0;
    QString code;          // the package code that buying sends
    QString serverType;
    QString startDate;
    int status = 0;
    int yearDays = 0;
    QString name;
    QString details;

    void read(const QJsonObject& o);
};

// One order with its state; sent back whole to have its payment QR code made.
struct PersonageOrderStatus {
    QString createDate;
    QString endDate;
    QString expireDate;
    QString id;
    int invoiceState = 0;
    int mealCapacity = 0;
    QString mealDescr;
    QString mealName;
    QString openId;
    QString orderAmount;   // two-decimal text
    QString orderCode;
    QString remark;
    QString setmealCode;
    int setmealNum = 0;
    QString startDate;
    int status = 0;
    QString updateDate;
    QString userId;

    void read(const QJsonObject& o);
};

// One region of the province / city / county tree.
struct QueryRegionList {
    QString name;
    int id = 0;

    void read(const QJsonObject& o);
};

// The details of one invoice.
struct BillDetailsInfo {
    int type = 0;          // 0 VAT special paper, 1 plain electronic, 2 plain paper
    int status = 0;        // 0 being issued, 1 issued
    QString billContent;   // key "remark"
    QString title;
    QString code;          // key "invoiceCode"
    QString number;        // key "invoiceNumber"
    QString order;         // key "expressCode": the postal tracking number
    QString download_url;  // key "downloadUrl"
    QString receiverEmil;
    QString makeDate;

    void read(const QJsonObject& o);
};

// One entry of the user's address book.
struct LinkmanInfo {
    QString id;            // the entry's id, which deleting and changing take
    QString userId;
    int userType = 0;
    int activation = 0;
    QString authenEmail;
    int authenStatus = 0;
    QString contactUserAccount;
    QString contactUserId;
    QString queryValue;
    QString remarkName;
    int status = 0;
    QString userAccount;
    QString userPhone;
    int contactUserType = 0;
    QString imgUrl;
    QString createDate;
    QString userName;

    void read(const QJsonObject& o);
};
