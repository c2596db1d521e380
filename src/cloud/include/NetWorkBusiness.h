#pragma once
// The one client of the cloud e-seal service in the process.
//
// Every service operation is a member function that fills a ServiceCall (request id, body,
// time-out, busy box handling, error signal, log texts) and hands it to call(), the request
// cycle all synchronous operations share: log the start, show the busy box, build the request
// from the request table, send, guard it with a watchdog, wait in a nested event loop that
// ignores user input, read the envelope, log the end, hide the busy box, emit the error signal.
// The ten account requests with ids 0 to 9 are asynchronous instead and answer through signals.
//
// A new synchronous operation is a few lines:
//
//     int NetWorkBusiness::delOnlineSealBusiness(QString sealId, LoadingWidget* loading)
//     {
//         ServiceCall c(bt_delOnLineSeal, "delOnlineSealBusiness");
//         c.startText = QString("---------delOnlineSealBusiness请求开始(入参：sealId%1)----------").arg(sealId);
//         if (!sealId.isEmpty())
//             c.setJson(QJsonObject{{"id", sealId}});
//         c.loading = loading;                      // shown, then hidden (ServiceCall::Busy)
//         return call(c).ok() ? 1 : 0;              // the cycle logs, signals and releases
//     }
//
// and reading a reply is reading ServiceReply::data with jsonText / jsonInt / jsonDouble /
// jsonBool, or appending one record per row with appendRows. A paged list request sends
// setPaged(entity, ServiceCall::pageBean(pageNum, pageSize)) and reads ServiceReply::pages()
// and pageList().
//
// Each call keeps its own reply and watchdog for its whole wait, so calls nested inside another
// call's wait (timers, polls, picture downloads) never read or release each other's replies.
// Every request verifies the service's certificate against the trust store.

#include "BusinessRecords.h"
#include "ContractRecords.h"
#include "NetWorkBusinessRecords.h"
#include "SealRecords.h"

#include <QByteArray>
#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <QList>
#include <QMap>
#include <QMutex>
#include <QNetworkRequest>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QUrl>

class LoadingWidget;
class QHttpMultiPart;
class QHttpPart;
class QNetworkAccessManager;
class QNetworkReply;
class QWidget;

// "https://" (or "http://") + ip + bussiness.
QString buildUrl(QString ip, QString bussiness, bool https);
// "http://" + ip + bussiness.
QString buildFileUrl(QString ip, QString bussiness);

// The text shown when the service could not be reached.
QString networkFailureText();
// Shows or hides a busy box from any thread: widgets are only touched on their own thread.
void setBusyBox(QWidget* box, bool visible);
// A plain text part of an upload form.
QHttpPart formTextPart(const char* name, const QString& text);

// The watchdog of one network reply: a child of the reply that aborts it when it is still
// running after the time-out. It never deletes the reply: the call that owns the reply reads
// and releases it.
class QReplyTimeOut : public QObject
{
    Q_OBJECT
public:
    QReplyTimeOut(QNetworkReply* reply, const int timeout);

    // Test seam: every watchdog's time-out is multiplied by this factor (1 in the program).
    static void setDurationScale(double scale);
    static double durationScale();
    static int scaled(int milliseconds);

    QTimer timer;

signals:
    void timeout();

private slots:
    void onTimeout();
};

// What the request cycle needs to know about one synchronous operation.
struct ServiceCall {
    // What happens to the busy box given in `loading`.
    enum Busy {
        ShownAndHidden,         // shown before sending, hidden after the reply
        HiddenAfter,            // not shown, hidden after the reply
        HiddenOnFailure,        // not shown, hidden when the code is not 10000
        ShownHiddenOnFailure,   // shown before sending, hidden when the code is not 10000
        NeverShown              // left alone
    };

    // The caller's function name and line go into the log lines.
    ServiceCall(int requestId, const QString& operationName, const char* function = __builtin_FUNCTION(),
                int line = __builtin_LINE());

    // Body helpers: an indented JSON object or array, or an empty body of zero bytes.
    void setJson(const QJsonObject& object);
    void setJsonArray(const QJsonArray& array);
    void setEmptyBody();
    // A body of one value {key: value}, the start line
    // "---------<name>请求开始(入参：<label><value>)----------" and the busy box.
    void setOneValue(const QString& label, const QString& key, const QString& value, QWidget* busyBox);
    // The paging envelope of the list requests: {"entity": entity, "pageBean": page}, where
    // "pageBean" is always present (an empty object when no page is asked for).
    void setPaged(const QJsonObject& entity, const QJsonObject& page);
    // {"pageNum", "pageSize"} with any extra keys, or an empty object when pageNum is 0.
    static QJsonObject pageBean(int pageNum, int pageSize, const QJsonObject& extra = QJsonObject());

    int id;
    QString name;
    QString startText;                   // empty: "---------" + name + "请求开始----------"
    QString startPrefix = QStringLiteral("\n\n\n");
    QString endText;                     // empty: name + "请求结束返回-code="
    QString endSeparator = QStringLiteral("\n返回json数据:");
    QByteArray method = "POST";          // "POST" or "GET"
    QByteArray body;
    QHttpMultiPart* multipart = nullptr; // posted instead of body; the cycle releases it
    QUrl url;                            // an address of its own instead of the table's path
    int timeoutMs = 5000;
    QWidget* loading = nullptr;          // the busy box (a LoadingWidget), may be null
    Busy busy = ShownAndHidden;
    bool errorSignal = true;             // emit sendErroeCodeInfo when the code is not 10000
    QList<int> silentCodes;              // codes that never emit it
    bool ownManager = false;             // an access manager made for this call only
    bool queuedFinish = false;           // quit the wait through a queued connection
    QString emptyBodyText;               // empty: the network failure text
    const char* function;
    int line;
};

// The outcome of one synchronous call.
struct ServiceReply {
    int code = 0;              // 4: no body, or one that is not a JSON object with members;
                               // else "code" when it is a number, 0 when not
    QString msg;
    QByteArray body;
    QJsonDocument document;
    QJsonObject object;        // the envelope when the body is a JSON object
    QJsonValue data;           // its "data"
    int transportError = 0;    // QNetworkReply::NetworkError
    int httpStatus = 0;

    bool ok() const { return code == 10000; }
    QJsonObject dataObject() const { return data.toObject(); }
    QJsonArray dataArray() const { return data.toArray(); }
    // A paged reply's data {"pages": count, "list": [rows]}.
    int pages() const { return jsonInt(dataObject(), QStringLiteral("pages")); }
    QJsonValue pageList() const { return dataObject().value(QStringLiteral("list")); }
};

class NetWorkBusiness : public QObject
{
    Q_OBJECT
public:
    // The request ids; their paths, headers and bodies are in the request table.
    enum type {
        bt_login = 0,
        bt_smsno_updatepassword = 1,
        bt_smsno_findpassword = 2,
        bt_smsno_verfiyphone = 3,
        bt_smsno_modifyphone = 4,
        bt_logout = 5,
        bt_updatepassword = 6,
        bt_findpassword = 7,
        bt_verifyphone = 8,
        bt_modifyphone = 9,
        bt_sign = 10,
        bt_verifsign = 11,
        bt_verifytsa = 12,
        bt_querycontractaboutme = 13,
        bt_querycontract = 14,
        bt_querycontractjoinuser = 15,
        bt_getmyseal = 16,
        bt_getmycert = 17,
        bt_getmylinkman = 18,
        bt_getmypackage = 19,
        bt_gettemplate = 20,
        bt_getmytemplate = 21,
        bt_getfileurl = 22,
        bt_addlinkman = 23,
        bt_addcontractSeal = 24,
        bt_getcontractmark = 25,
        bt_deletecontractmark = 26,
        bt_makecontractsign = 27,
        bt_contracadduser = 28,
        bt_updatecontract = 29,
        bt_batchaddcontractUser = 30,
        bt_adddcontractsignatory = 31,
        bt_getfiletoken = 32,
        bt_syncuserseal = 33,
        bt_queryusersealstatus = 34,
        bt_uploadfile = 35,
        bt_dellinkman = 36,
        bt_modifylinkman = 37,
        bt_baseuserInfo = 38,
        bt_sealimgUpload = 39,
        bt_addSeal = 40,
        bt_getpagesmylinkman = 41,
        bt_buymealinfo = 42,
        bt_buyMeal = 43,
        bt_createPayQr = 44,
        bt_payStatus = 45,
        bt_personageOrderStatus = 46,
        bt_certOrderStatus = 47,
        bt_registerPerson = 48,
        bt_delcontract = 49,
        bt_remindsign = 50,
        bt_refusesign = 51,
        bt_checkSignSecurity = 52,
        bt_querycontractaboutmePage = 53,
        bt_getpermyseal = 54,
        bt_companycertification = 55,
        bt_delOnLineSeal = 56,
        bt_usersignature = 57,
        bt_fileUpLoad = 58,
        bt_verfiyphone_CodebyContact = 59,
        bt_verifyContactPhone = 60,
        bt_sendByPhoneCode = 61,
        bt_certificationFailure = 62,
        bt_createQrcode = 63,
        bt_deleteSign = 64,
        bt_apply_for_sign = 65,
        bt_contract_detail = 66,
        bt_updateFile = 67,
        bt_contract_user = 68,
        bt_delete_contract_join_user = 69,
        bt_VerUpdate = 70,
        bt_feedback = 71,
        bt_getmypackageOrder = 72,
        bt_deleteOrderList = 73,
        bt_myPackageOrderLiat = 74,
        bt_queryRegion = 75,
        bt_queryBillDetails = 76,
        bt_addInvoice = 77,
        bt_sendInvoiceEmail = 78,
        bt_authorizeQueryPage = 79,
        bt_sealAuth = 80,
        bt_queryPageSeals = 81,
        bt_checkQualification = 82,
        bt_contractGetDetails = 83,
        bt_checkUserDuplicateAuth = 84,
        bt_queryAuthDetailById = 85,
        bt_authSecurityCode = 86,
        bt_affirmSealAuth = 87,
        bt_terminateSealAuth = 88,
        bt_acceptSealAuth = 89,
        bt_refuseSsealAuth = 90,
        bt_getAuthAvailableCompany = 91,
        bt_queryAuthSeal = 92,
        bt_affirmSign = 93,
        bt_contractAdd = 94,
        bt_contractIssue = 95,
        bt_batchSignContract = 96,
        bt_batchSignContract_key = 97,
        bt_keyGetId = 98,
        bt_getContractDetails = 99,
        bt_clearContractDetails = 100,
        bt_checkToken = 101,
        bt_getServerTime = 102,
        bt_getNewCert = 103,
        bt_resetSignPassword = 104,
        bt_updateSignPassword = 105,
        bt_isSetSignPassword = 106,
        bt_checkSignPassword = 107,
        bt_getUpdatePackage = 108,
    };
    Q_ENUM(type)

    enum state { UNLOGIN = 0, LOGINED = 1 };

    static NetWorkBusiness* Instance(QObject* parent = nullptr);
    ~NetWorkBusiness() override;

    // ---- request building and the request cycle ----

    // Prepares request for id btType: TLS 1.2 with the service's certificate verified, the URL
    // "https://" + base address + the id's path, Content-Type "application/json" (not for the
    // multipart uploads) and the header `token` (not for the anonymous ids). Ids without a path
    // keep the caller's empty URL.
    void getBusinessRequest(int btType, QNetworkRequest& request);
    // The path of a request id, or null for ids without one.
    static const char* requestPath(int btType);
    // The synchronous request cycle shared by every operation. May run on a worker thread when
    // the call uses no busy box and no error signal (it then uses its own access manager).
    ServiceReply call(const ServiceCall& description);

    // How many synchronous calls of the GUI thread are waiting for their replies right now
    // (calls nest when one starts inside another's wait). Code that would delete what such a
    // call's caller returns to waits until this is 0.
    int waitingCalls() const { return m_guiCallsWaiting; }

    // ---- session ----
    BusinessInfo* getBusinessInfo();
    int getLoginState();
    // The session token, safe to read from any thread.
    QString sessionToken() const;
    // Maps a reply code to the type of sendErroeCodeInfo; the session codes end the session.
    int getNetCodeInfo(const int& code);
    QString getErrorStr(int key);

    // ---- operations ----
    void loginBusiness(QString userName, QString passWord, QString type);
    void logoutBusiness();
    int checkTokenBus();
    int getServerTime();

    // Sends the logout when still logged in and waits for its answer at most waitMs (the main
    // window calls it while it closes, when the event loop still runs).
    void logoutAtExit(int waitMs = 1500);

    // ---- configuration ----
    // The base address from Config/i of the INI file, or the compiled-in default.
    static QString readServiceAddress(const QString& iniPath);
    static QString defaultServiceAddress();
    QString serviceAddress() const { return m_strIP; }
    // The CA certificates of the service (PEM text) that signers' certificates lead to: the file
    // that Config/ca of the INI file names (relative to the INI file's folder); empty when the
    // key is not set or the file cannot be read.
    static QByteArray readServiceCaCertificates(const QString& iniPath);
    QByteArray serviceCaCertificates() const { return readServiceCaCertificates(m_exePath); }
    // Test seam: points the client at another base address.
    void setServiceAddress(const QString& address) { m_strIP = address; }

public slots:
    // Cancels the pending asynchronous call: it ends without any signal.
    void cancelReply();

signals:
    void LoginSucc();
    void LoginError(QString error);
    void smsNoFindpasswordSucc(QString data);
    void smsNoFindpasswordError(QString error);
    void findPassWordSucc();
    void findPassWordError(QString error);
    void smsNoUpdatepasswordSucc();
    void smsNoUpdatepasswordError(int code, QString error);
    void smsNoVerifyPhoneSucc();
    void smsNoVerifyPhoneError(int code, QString error);
    void smsNoModifyPhoneSucc();
    void smsNoModifyPhoneError(int code, QString error);
    void updatePassWordSucc();
    void updatePassWordError(int code, QString error);
    void verifyPhoneSucc();
    void verifyPhoneError(int code, QString error);
    void logoutSucc();
    void logoutError(int code, QString error);
    void modifyPhoneSucc();
    void modifyPhoneError(int code, QString error);
    void sendErroeCodeInfo(int type, QString errorInfo);

private:
    explicit NetWorkBusiness(QObject* parent);
    static void destroyInstance();

    // The shape of the commands that send one value: the start line
    // "---------<name>请求开始(入参：<label><value>)----------", the body {key: value}, the busy
    // box shown and hidden. Returns 1 when the service answered 10000, else 0.
    int sendOneValue(ServiceCall& description, const QString& label, const QString& key, const QString& value,
                     QWidget* loading);

    // Reads one row of a list reply into its record.
    struct ReadRow {
        template <typename Record>
        void operator()(Record& record, const QJsonObject& row) const
        {
            record.read(row);
        }
    };
    // The shape of the list operations: runs the call and, when the service answered 10000,
    // appends one record per row of the reply's data (fill reads each, Record::read unless
    // given). Returns 1 then, else 0 with the list untouched.
    template <typename Record, typename Fill = ReadRow>
    int callForRows(const ServiceCall& description, QList<Record>& out, Fill fill = Fill())
    {
        const ServiceReply r = call(description);
        if (!r.ok())
            return 0;
        appendRows(out, r.data, fill);
        return 1;
    }
    // The shape of the operations that answer one record: runs the call and, when the service
    // answered 10000, reads the reply's data object into out with Record::read. 1 then, else 0.
    template <typename Record>
    int callForRecord(const ServiceCall& description, Record& out)
    {
        const ServiceReply r = call(description);
        if (!r.ok())
            return 0;
        out.read(r.dataObject());
        return 1;
    }
    // The same for a paged list: the rows of the page's "list", and its page count into pages.
    template <typename Record, typename Fill = ReadRow>
    int callForPage(const ServiceCall& description, QList<Record>& out, int& pages, Fill fill = Fill())
    {
        const ServiceReply r = call(description);
        if (!r.ok())
            return 0;
        pages = r.pages();
        appendRows(out, r.pageList(), fill);
        return 1;
    }

    // Asynchronous calls (ids 0 to 9): send and return; the finish step gets its own reply.
    void sendAsync(int id, const QByteArray& body, const QString& startText, const char* function, int line);
    void networkFinishd(int type, QNetworkReply* reply, QReplyTimeOut* watchdog);
    void receiveNetworkJson(int type, QNetworkReply* reply);
    void emitError(int type, int nError);
    void initErrorList();
    void clearBusinessInfo();
    void setSessionToken(const QString& token);
    void log(const char* function, int line, const QString& text, const QString& prefix = QString());

    class GC
    {
    public:
        ~GC();
    };
    static NetWorkBusiness* m_pInstance;
    static GC gc;

public:
    // Shared with the business operations.
    QNetworkAccessManager* netWork = nullptr;
    QPointer<QReplyTimeOut> replyTimeout;   // watchdog of the pending asynchronous call
    QPointer<QNetworkReply> reply;          // the pending asynchronous call
    bool httpRequestAborted = false;
    QMap<int, QString> errorMap;
    BusinessInfo* m_businessInfo = nullptr;
    QString m_strIP;
    state m_userState = UNLOGIN;
    QString m_exePath;
    QString templateId;
    QString useWhere;

    // ---- account, signing password, seals and signatures, certificates, remote signing, files ----
public:
    // Asynchronous account requests (ids 1 to 9): they answer through the signals below.
    void smsNoBusiness(int BusinessType, QString account, QString phone);
    void findPassWordBusiness(QString newPassword, QString verifyNo, QString userName);
    void updatePassWordBusiness(QString newPassword, QString oldPassword, QString verifyNo);
    void motifyPhone(QString newPhone, QString verifyNo);
    void verifyPhone(QString verifyNo);
    // Whether a well-known web page answers with any bytes within 5 s.
    bool newWorkisOnline();
    static void setOnlineProbeUrl(const QUrl& url);   // test seam

    // Contact phone: SMS code to the current phone, its check, SMS code to a new phone.
    int verfiyphoneCodebyContact(QString appId, QString useWhere, QWidget* loading);
    int verifyContactPhone(QString verifyCode, QWidget* loading);   // -1: wrong code (40004)
    int sendByPhoneCode(QString appId, QString useWhere, QString toPhone, QWidget* loading);

    // Signing password. The two setters return the failure text, empty on success.
    QString resetSignPassword(const QString& signPassword, const QString& userPassword);
    QString updateSignPassword(const QString& signPassword, const QString& newSignPassword);
    bool isSetSignPassword();
    bool checkSignPassword(const QString& signPassword, QString& errInfo);

    // Account profile, feedback and update check.
    int registerPersonBusiness(const QString& imgID, QString& imgUrl, LoadingWidget* loading);
    int getBaseUserInfo(int userType, QString userAccount, QString& userid, int& authenStatus, int& activation,
                        bool& bRegister, QString& name);
    int feedbackBusiness(QString userId, QString type, QString content, QString email, QString phone,
                         QString userName, QString userAccount, LoadingWidget* loading);
    int checkAppUpdate(QString versionNumber, QString systemType, int& versionUpdate, QString& appUrl,
                       QString& remark, QString& versionFileName, LoadingWidget* loading);

    // Cloud seals and handwritten signatures, with the caches the look-ups read.
    int getMySealBusiness(QList<SealInfo>& sealInfos, LoadingWidget* loading);
    int getUserSignatureBus(QList<UserSignatureInfo>& userSignInfos, LoadingWidget* loading);
    int getcertificationFailureBus(QList<CertificationFailure>& certificationFailures, LoadingWidget* loading);
    int getPerSealBusiness(QList<SealInfo>& sealInfos, LoadingWidget* loading);
    int getCompanyCertificationBus(QList<CompanySealInfo>& sealInfos, LoadingWidget* loading);
    int syncUserSeal(QString sealCode, QString creditCode, bool sealShow);
    int queryUserSealStatus(QString sealCode, QString creditCode, int& sync);
    int delOnlineSealBusiness(QString sealId, LoadingWidget* loading);
    int deleteSignBus(QString signId, LoadingWidget* loading);
    int addSealBusiness(QString imgID, QString sealName, QString sealType, QString sealSize, QString cerditCode,
                        LoadingWidget* loading);
    int keyGetIdBus(QString sealCode, QString& sealID, LoadingWidget* loading, bool iIsSendErr = true,
                    int* status = nullptr);
    bool getSealInfo(const QString& id, SealInfo& seal);
    bool getAuthSealInfo(const QString& id, SealInfo& seal);
    bool getSignInfo(const QString& id, UserSignatureInfo& seal);
    void setAuthSealInfo(const QList<SealInfo>& authSealInfos);
    QList<SealInfo> getSealInfoList();

    // Certificates.
    int getNewCert(const QString& strUserId, QByteArray& cert, QString& strErr);
    int getCertTime(const QString& strUserId, QDateTime& beginTime, QDateTime& endTime);
    int getMyCert(QByteArray& cert);
    QByteArray getCert();

    // Remote digest signing and time-stamp check; both may run on worker threads.
    int signBusiness(QString sn, int algoType, int certType, QByteArray waitSign, QByteArray tsaMd5, QByteArray& r,
                     QByteArray& s, QByteArray& timeStamp, LoadingWidget* loading);
    int verifyTimeStampBusiness(QByteArray tsaMd5, QByteArray timeStamp, QString& reTimeStamp);

    // Files: download an address, stored-file id to address, id to bytes, seal picture upload.
    QByteArray getFileUrl(QString url);
    QString getFileServerUrl(QString id);
    QByteArray getFileDataById(QString id);
    int sealImgUpLoad(QString imgStr, QString business, QString project, QString imgType, QString& imageID,
                      LoadingWidget* loading);

    QList<SealInfo> m_sealInfoList;
    QList<UserSignatureInfo> m_signInfoList;
    QList<SealInfo> m_authSealInfos;
    QByteArray m_certData;

private:
    // Base address of the two certificate requests with their own addresses.
    QString certServiceBase() const;
    // ---- end of account, seals, certificates, signing and files ----

private:
    mutable QMutex m_tokenMutex;
    QString m_tokenSnapshot;
    int m_guiCallsWaiting = 0;

public:
    // ---- packages, orders and payment, invoices and regions, contacts ----
    // Each returns 1 when the service answered 10000 and 0 otherwise; results are written only
    // then, lists are appended to. The page arguments of the two order lists travel crosswise:
    // callers pass the rows per page as pageNum and the 1-based page number as pageSize.
    int getMyPackageBusiness(QList<PackageInfo>& packageInfos, LoadingWidget* loading);
    int getMyPackageOrderListBusiness(QList<MyPackageOrderList>& myPackageOrderList, QString userId, int mealStatus,
                                      int status, int pageNum, int pageSize, int& pages, LoadingWidget* loading);
    int getMyPackageOrderBusiness(QList<PackageOrderInfo>& packageOrderInfos, int status, int pageNum, int pageSize,
                                  int& pages, LoadingWidget* loading);
    int getBuyMealBusiness(QList<BuyPackageInfo>& buyMealInfo, LoadingWidget* loading);
    int getBuyMeal(QString codeMeal, QString& id, LoadingWidget* loading);
    int getPersonageOrderStatus(QString id, PersonageOrderStatus& perOrder, LoadingWidget* loading);
    int getCertOrderStatus(PersonageOrderStatus& perOrder, LoadingWidget* loading);
    int getCreatePayQr(const PersonageOrderStatus& perorder, QString& qrCodeBase64, QString& billNo,
                       LoadingWidget* loading);
    int getPayStatus(const QString& orderid, int& paySta);
    int deleteOrderList(QString id, LoadingWidget* loading);
    int setAddInvoiceBusiness(const QString& orderCode, const int& type, const QString& title,
                              const QString& realFitting, const QString& corporateCredit,
                              const QString& corporateAccount, const QString& phone, const QString& address,
                              const QString& remark, const QString& receiverName, const QString& receiverPhone,
                              const QString& receiverAddress, const QString& mailbox, LoadingWidget* loading);
    int getQueryRegion(QList<QueryRegionList>& queryRegionList, const int& id, LoadingWidget* loading);
    int getQueryBillDetails(const QString& id, BillDetailsInfo& billDetailsInfo, LoadingWidget* loading);
    int sendInvoiceEmailBusiness(const QString& receiverEmil, const QString& download_url, const QString& makeDate,
                                 LoadingWidget* loading);
    int getMyLinkManBusiness(QList<LinkmanInfo>& linkmansInfos, LoadingWidget* loading, const QString queryValue);
    int addLinkMan(int userType, QString remarkName, QString userAccout, LoadingWidget* loading);
    int delLinkMan(QString id, LoadingWidget* loading);
    int modifyLinkMan(QString id, QString remarkName, QString userAccout, LoadingWidget* loading);
    int getMyLinkManPagesBusiness(QList<LinkmanInfo>& linkmansInfos, const int& pages, const int& pageSize,
                                  LoadingWidget* loading);

    // ---- contracts, signers, seal placements, stored files, templates, seal authorisations ----
public:
    // The state of a contract, also the filter of the contract lists.
    enum contractstatus {
        all = 0,
        cs_waitforme = 1,
        cs_waitforother = 2,
        cs_completed = 3,
        cs_overdue = 4,
        cs_refuse = 5,
        cs_drafts = 6,
        cs_nostate = 7,
    };
    // The kind of a seal placement.
    enum nt_sign_type { ntst_seal = 0, ntst_sign = 1 };

    // Status key of a contract state 1 to 6 ("wait_for_me" …); empty for any other value.
    static QString getContractStatus(int type);
    // The state of a status key, matched exactly; cs_nostate for any other text.
    static int getContractStatus(QString str);
    // "seal" for ntst_seal, "sign" for ntst_sign, empty otherwise.
    static QString getContractSignType(int type);
    // The filter object of the contract lists: "contractStatus" for states 1 to 6,
    // "contractName" when not empty, then the date range that typeTo selects (0 start,
    // 1 sign end, 2 end; any other value none), sent even when the dates are empty.
    static QJsonObject contractFilter(int type, const QString& contractName, const QString& startFromTime,
                                      const QString& startToTime, int typeTo);
    // The confirmation code a USB-key signing sends in place of an SMS code.
    static QString usbKeySecurityCode();

    // Drafting and signers.
    int getContractMark(QString& contractId, QWidget* loading);
    int contractAddBus(ContractAddDrafts& contractAddDrafts, const QString& pdfFileSaveId, const QString& contractName,
                       const QString& contractType, const QString& signRule, const QString& representType,
                       const QString& representIndex, const QString& signEndDate, const QString& remark,
                       LoadingWidget* loading);
    int updateContract(QString contractId, QString contractName, QString contractType, QString signRule,
                       QString signPattern, QString theme, QString remark, const QString& representType,
                       const QString& representIndex, QString signEndDate, QWidget* loading);
    int contractIssueBus(const QString& contractId, const QString& contractName, const QString& contractType,
                         const QString& signRule, const QString& remark, LoadingWidget* loading);
    int delContractBusiness(const QString& contractID, LoadingWidget* loading);
    int addContractSignatory(QString accountvalue, QString remarkName, QString& userid, QString& userType,
                             LoadingWidget* loading);
    int deleteContractJoinUser(QString contractId, LoadingWidget* loading);
    int batchAddContractUser(QString contractId, QList<SignerInfo> signerList, QString proofTime, QString proofType,
                             QString& contractJoinUserId, QWidget* loading);
    int addContractUser(QString contractId, QString userId, QString userType, QString userAccount, QString phone,
                        QString email, QString isLock, int signOrder, QString& contractJoinUserId, QString proofTime,
                        QString proofType, QWidget* loading);
    int updateContractUser(QString contractJoinUserId, QString proofType, QString proofTime, LoadingWidget* loading);
    int queryContractJoinuser(QString contractId, QList<ContractSignerInfo>& signers, LoadingWidget* loading);
    int queryContractBussiness(QString contractId, QString& fileurl, LoadingWidget* loading);

    // Lists and placements.
    int queryContractBusinessAboutme(QList<ContractInfo>& contractsInfoList, int type, LoadingWidget* loading,
                                     QString contractName, QString startFromTime, QString startToTime, int typeTo);
    int queryContractBusinessAboutmePage(QList<ContractInfo>& contractsInfoList, int type, int& totalPage,
                                         LoadingWidget* loading, QString contractName, QString startFromTime,
                                         QString startToTime, int typeTo, int pageNum, int pageSize);
    int contractGetDetailsBus(ContractGetDetails& conGetDeta, const QString& contractId, LoadingWidget* loading);
    int getContractDetails(QString contractJoinUserId, QList<ContractDetails>& listDetails, LoadingWidget* loading);
    int clearContractDetails(QString contractDetailId, LoadingWidget* loading);

    // Signing.
    int contractSmsSignVerBusiness(QString account, QString phone);
    int sureSignSmsVerBusiness(QString verCode, QString& proofTime);
    int applyForSignBus(QString contractId, QWidget* loading);
    int batchAddContractDetailBus(const QList<SealDetails>& sealDetails, LoadingWidget* loading);
    int batchSignContractBus(const QString& contractJoinUserId, const QString& securityCode, LoadingWidget* loading);
    int batchSignContractBusKey(const QString& contractJoinUserId, const QString& securityCode,
                                LoadingWidget* loading);
    int affirmSignBus(const QString& contractJoinUserId, LoadingWidget* loading);
    int contractRefusesignBusiness(const QString& contractJoinUserId, LoadingWidget* loading);
    int remindcontractBusiness(const QString& contractID, LoadingWidget* loading);
    int addContractSeal(QString contractId, QString contractJoinUserId, int isLock, QString sealId, int signType,
                        int pageIndex, int signTop, int signLeft, QString certSn, QString signTimestamp,
                        QWidget* loading);
    int makeContractSign(QString contractId, QString pdfFileSaveId, QWidget* loading);
    int deleteContractMar(QString contractId);

    // Stored files, templates and QR codes.
    int fileUpLoad(const QString& imgStr, const QString& business, const QString& project, const QString& imgType,
                   QString& imageUrl, const QByteArray& fileByte, QString& fileId, LoadingWidget* loading);
    int fileUpdate(QString fileId, QString business, QString project, QString fileStr, QString imgType,
                   QByteArray fileByte, LoadingWidget* loading);
    int getFileServerToken(QString& token, QWidget* loading);
    int getTemplateBusiness(QList<TemplateInfo>& templateInfos, LoadingWidget* loading);
    int createQrcode(QString content, QString& imgBase64, QWidget* loading);

    // Seal authorisations.
    int authorizeQueryPageBus(QList<AuthorizeList>& authorizeLists, const int& authorizeStatus,
                              const QString& searchKeyword, const int& pageNum, const int& pageSize, int& totalPages,
                              LoadingWidget* loading);
    int checkQualificationBus(int& mcode, LoadingWidget* loading);
    int checkUserDuplicateAuthBus(const QString& personId, LoadingWidget* loading);
    int startSealAuthBus(const QList<SelectAuthSeals>& selectAuthSeals, StartAuthSuccessInfo& startAuthSucInfo,
                         const QString& sealUsageDate, const QString& personId, const int& usageCount,
                         const QString& remark, LoadingWidget* loading);
    int queryAuthDetailByIdBus(StartAuthSuccessInfo& authSucInfos, const QString& id, LoadingWidget* loading);
    int getauthSecurityCodeBus(LoadingWidget* loading);
    int affirmSealAuthBus(const QString& authId, const QString& securityCode, LoadingWidget* loading);
    int terminateSealAuthBus(const QString& authId, LoadingWidget* loading);
    int acceptSealAuthBus(const QString& authId, const QString& securityCode, int& codeS, LoadingWidget* loading);
    int refuseSsealAuthBus(const QString& authId, int& codeS, LoadingWidget* loading);
    int queryPageSealsBus(QList<SealInfo>& seainfos, const int& pageNum, const int& pageSize, int& totalPages,
                          const QString& sealName, const QString& sealType, LoadingWidget* loading);
    int getAuthAvailableCompanyBus(QList<AuthCompanyInfo>& authCompanyInfos, LoadingWidget* loading);
    int queryAuthSealBus(QList<SealInfo>& sealInfos, const QString& authorizeCompanyId, LoadingWidget* loading);
};
