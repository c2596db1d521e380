#pragma once
// A stand-in for the cloud e-seal service: an HTTPS server on 127.0.0.1 that answers the
// service's JSON envelope {"code","msg","data"} from a state seeded from JSON. Tests run it
// in-process on its own thread and script it per path; the orvessa-standin program runs it for
// the application's run command.
//
// Adding an operation: register one StandinOperation in StandinService's operation table
// (StandinOperations.cpp) with its method, path, token rule, body shape and a handler that reads
// the request and the state and returns an answer.

#include <QByteArray>
#include <QJsonObject>
#include <QJsonValue>
#include <QList>
#include <QMap>
#include <QSslCertificate>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

// One part of a multipart form.
struct StandinPart {
    QString name;
    QString fileName;
    QByteArray contentType;
    QByteArray disposition;   // the Content-Disposition header as sent
    QByteArray body;
};

// One request as the stand-in received it.
struct StandinRequest {
    QByteArray method;
    QString path;       // operation path, without the service prefix and the query
    QString target;     // the request target as sent (prefix and query included)
    QMap<QByteArray, QByteArray> headers;   // names in lower case
    QByteArray body;
    QJsonObject json;   // the body when it is a JSON object
    QList<StandinPart> parts;   // the body when it is a multipart form
    bool hasHeader(const QByteArray& name) const { return headers.contains(name.toLower()); }
    QByteArray header(const QByteArray& name) const { return headers.value(name.toLower()); }
};

// What the stand-in sends back.
struct StandinAnswer {
    int httpStatus = 200;
    QByteArray contentType = "application/json;charset=UTF-8";
    QByteArray body;

    static StandinAnswer envelope(int code, const QString& msg, const QJsonValue& data = QJsonValue(),
                                  const QJsonObject& extra = QJsonObject());
};

// Scripted behaviour of one path; applies to the next `times` requests (-1: until cleared).
struct StandinScript {
    int times = -1;
    int delayMs = 0;               // answer after this delay
    bool hold = false;             // answer only when release(path) is called
    bool hang = false;             // never answer; keep the connection open
    bool closeWithoutReply = false;
    int httpStatus = 0;            // 0: the handler's status
    bool rawBodySet = false;       // answer exactly rawBody
    QByteArray rawBody;
    QByteArray rawContentType = "text/html;charset=UTF-8";
    bool envelopeSet = false;      // answer this envelope instead of the handler's
    QJsonObject envelope;
    qint64 oversizeBytes = 0;      // answer a success envelope padded to at least this size

    static StandinScript raw(const QByteArray& body, int status = 200);
    static StandinScript withEnvelope(const QJsonObject& envelope, int status = 200);
};

// The state the operations work on.
struct StandinUser {
    QString account;
    QString password;
    QJsonObject data;   // the account record returned by login
};

// A stored file, served by plain GET at StandinState::fileUrl(id) without envelope or token.
struct StandinFile {
    QString name;
    QByteArray contentType = "application/octet-stream";
    QByteArray bytes;
};

struct StandinAccountArea;   // accounts, seals, certificates and signing (StandinOpsAccount.h)

struct StandinState {
    QMap<QString, StandinUser> users;          // by account
    QMap<QString, StandinFile> files;          // by id
    QMap<QString, QString> sessions;           // token -> account
    qint64 serverTime = 0;                     // seconds since 1970; 0: the clock
    QJsonObject seed;                          // the whole seed, for operations that keep more
    QString origin;                            // "https://127.0.0.1:<port>"
    // Downloads are served on a port of their own (the toolkit reuses one TLS connection per
    // host and port); empty: on the service's port.
    QString filesOrigin;
    std::shared_ptr<StandinAccountArea> account;

    // The download address of a stored file.
    QString fileUrl(const QString& id) const
    {
        return (filesOrigin.isEmpty() ? origin : filesOrigin) + kFilesPath + id;
    }
    // The service's present time in seconds since 1970 (serverTime, else the clock).
    qint64 now() const;
    static constexpr const char* kFilesPath = "/files/";
};

// What a handler sees.
struct StandinContext {
    const StandinRequest& request;
    StandinState& state;
    QString account;   // the session's account when the operation takes a token
};

enum class StandinToken { None, Required };
// Empty: zero bytes. JsonObject: a JSON object with exactly the listed keys and types.
// Multipart: a multipart form with exactly the listed part names. Any: not checked.
enum class StandinBody { Empty, JsonObject, Multipart, Any };

struct StandinField {
    QString key;
    QJsonValue::Type type;
    bool optional = false;   // the key may be left out; when sent it has this type
};

struct StandinOperation {
    QByteArray method;
    QString path;
    StandinToken token = StandinToken::Required;
    StandinBody body = StandinBody::JsonObject;
    QList<StandinField> fields;   // the exact keys of a JSON body and their types
    std::function<StandinAnswer(StandinContext&)> handler;
};

// The operations the stand-in knows.
QList<StandinOperation> standinOperations();
// Contracts, signers, placements, stored files, templates and seal authorisations.
void appendContractOperations(QList<StandinOperation>& ops);
// The built-in seed: one account that can log in. A seed is a JSON object with "users" (each
// {"userAccount", "userPassword", "data": the account record}), optionally "serverTime" and
// "files" (each {"id", "name", "contentType", "base64"}); other keys are kept in
// StandinState::seed for the operations that need them.
QByteArray standinDefaultSeed();

class StandinServer;
class QThread;

class StandinService
{
public:
    enum class Mode { Tls, BrokenTls };

    StandinService();
    ~StandinService();
    StandinService(const StandinService&) = delete;
    StandinService& operator=(const StandinService&) = delete;

    // Listens on 127.0.0.1:port (0: a free port) on a thread of its own. seedJson empty: the
    // built-in seed. caDir: where the CA is kept across starts (empty: a fresh one).
    bool start(quint16 port = 0, const QByteArray& seedJson = QByteArray(), const QString& caDir = QString(),
               QString* error = nullptr);
    void stop();

    quint16 port() const;
    // The port that serves stored files by plain GET.
    quint16 filesPort() const;
    // "127.0.0.1:<port>/v2": the service base address as the client's configuration holds it.
    QString baseAddress() const;
    // The value of the client's configuration key Config/i: Base64 of baseAddress().
    QByteArray configValue() const;
    QSslCertificate caCertificate() const;
    QByteArray caCertificatePem() const;
    // The SM2 CA that issues the users' signing certificates (PEM); with a CA folder it is also
    // kept there as signing-ca.crt.
    QByteArray signingCaCertificatePem() const;

    // BrokenTls answers every connection with plain text, so the TLS handshake fails.
    void setMode(Mode mode);

    // Adds (or replaces) an operation while running, e.g. one a test needs.
    void addOperation(const StandinOperation& operation);
    // Stores a file for download and returns its address.
    QString addFile(const QString& id, const StandinFile& file);

    void script(const QString& path, const StandinScript& behaviour);
    void clearScripts();
    // Sends the answers held for path (all of them).
    void release(const QString& path);
    int heldCount(const QString& path) const;

    QList<StandinRequest> requests() const;
    QList<StandinRequest> requests(const QString& path) const;
    void clearRequests();
    // Every request whose shape did not match its operation, with the reason.
    QStringList shapeErrors() const;

    int sessionCount() const;
    // Runs f on the state under the service's lock (tests read and change it this way).
    void withState(const std::function<void(StandinState&)>& f);
    void setServerTime(qint64 secondsSinceEpoch);
    // Adds a session for account, as a login would, and returns its token.
    QString addSession(const QString& account);

    static constexpr const char* kPathPrefix = "/v2";

private:
    QThread* m_thread = nullptr;
    StandinServer* m_server = nullptr;
};
