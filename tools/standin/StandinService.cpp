#include "StandinService.h"

#include "StandinCertificates.h"
#include "StandinOpsAccount.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QMutex>
#include <QMutexLocker>
#include <QPointer>
#include <QSslConfiguration>
#include <QSslSocket>
#include <QTcpServer>
#include <QThread>
#include <QTimer>
#include <QUuid>

#include <openssl/crypto.h>

#include <atomic>

// ---------------------------------------------------------------------------------------------
// Answers and scripts

StandinAnswer StandinAnswer::envelope(int code, const QString& msg, const QJsonValue& data, const QJsonObject& extra)
{
    QJsonObject o = extra;
    o.insert("code", code);
    o.insert("msg", msg);
    if (!data.isUndefined())
        o.insert("data", data);
    StandinAnswer a;
    a.body = QJsonDocument(o).toJson(QJsonDocument::Compact);
    return a;
}

StandinScript StandinScript::raw(const QByteArray& body, int status)
{
    StandinScript s;
    s.rawBodySet = true;
    s.rawBody = body;
    s.httpStatus = status;
    return s;
}

StandinScript StandinScript::withEnvelope(const QJsonObject& envelope, int status)
{
    StandinScript s;
    s.envelopeSet = true;
    s.envelope = envelope;
    s.httpStatus = status;
    return s;
}

// ---------------------------------------------------------------------------------------------
// The server, living on the service's thread

namespace {

QByteArray reasonPhrase(int status)
{
    switch (status) {
    case 200: return "OK";
    case 400: return "Bad Request";
    case 404: return "Not Found";
    case 405: return "Method Not Allowed";
    case 500: return "Internal Server Error";
    case 502: return "Bad Gateway";
    case 503: return "Service Unavailable";
    default: return "Status";
    }
}

struct Connection {
    QPointer<QTcpSocket> socket;
    QByteArray buffer;
    bool busy = false;   // an answer is pending (delayed, held or never coming)
};
using ConnectionPtr = std::shared_ptr<Connection>;

struct HeldAnswer {
    QString path;
    ConnectionPtr connection;
    StandinAnswer answer;
};

QString typeName(QJsonValue::Type t)
{
    switch (t) {
    case QJsonValue::Null: return "null";
    case QJsonValue::Bool: return "bool";
    case QJsonValue::Double: return "number";
    case QJsonValue::String: return "string";
    case QJsonValue::Array: return "array";
    case QJsonValue::Object: return "object";
    default: return "undefined";
    }
}

} // namespace

class StandinServer;

// The second listening port, for downloads of stored files; its connections are served by the
// same server.
class StandinFilesListener : public QTcpServer
{
public:
    explicit StandinFilesListener(StandinServer* server)
        : m_server(server)
    {
    }

protected:
    void incomingConnection(qintptr descriptor) override;

private:
    StandinServer* m_server;
};

class StandinServer : public QTcpServer
{
public:
    StandinServer()
        : m_filesListener(this)
    {
        m_filesListener.setParent(this);
        for (const StandinOperation& op : standinOperations())
            m_operations.insert(op.path, op);
    }

    StandinFilesListener m_filesListener;
    void acceptConnection(qintptr descriptor) { incomingConnection(descriptor); }

    // Shared with the controlling thread, under m_mutex.
    mutable QMutex m_mutex;
    QMap<QString, QList<StandinScript>> m_scripts;
    QList<StandinRequest> m_log;
    QStringList m_shapeErrors;
    StandinState m_state;

    StandinCertificates m_certs;
    std::atomic<int> m_mode{int(StandinService::Mode::Tls)};

    // Server thread only.
    QMap<QString, StandinOperation> m_operations;
    QList<HeldAnswer> m_held;
    QList<ConnectionPtr> m_connections;

    void release(const QString& path)
    {
        QList<HeldAnswer> keep;
        QList<HeldAnswer> now;
        for (const HeldAnswer& h : m_held)
            (h.path == path ? now : keep).append(h);
        m_held = keep;
        for (const HeldAnswer& h : now)
            send(h.connection, h.answer);
    }

    void shutdown(QThread* home)
    {
        close();
        m_filesListener.close();
        const QList<ConnectionPtr> connections = m_connections;   // aborting drops them from the list
        m_held.clear();
        for (const ConnectionPtr& c : connections) {
            if (c->socket) {
                c->socket->abort();
                delete c->socket;
            }
        }
        m_connections.clear();
        m_held.clear();
        // Sockets of connections that ended wait for their deferred deletion on this thread's
        // loop, which ends now: deleted here, their TLS state does not outlive the service.
        for (QAbstractSocket* s : findChildren<QAbstractSocket*>(QString(), Qt::FindDirectChildrenOnly))
            delete s;
        moveToThread(home);
        // OpenSSL keeps state per thread (error queue, random generators) and frees it when the
        // thread ends, which for a QThread is after wait() has returned: a process leaving right
        // after stop() would race with that. Freed here, on this thread, it is gone before.
        OPENSSL_thread_stop();
    }

protected:
    void incomingConnection(qintptr descriptor) override
    {
        auto c = std::make_shared<Connection>();
        if (m_mode.load() == int(StandinService::Mode::BrokenTls)) {
            auto* plain = new QTcpSocket(this);
            plain->setSocketDescriptor(descriptor);
            plain->write("HTTP/1.1 400 Bad Request\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
            plain->disconnectFromHost();
            connect(plain, &QTcpSocket::disconnected, plain, &QObject::deleteLater);
            return;
        }
        auto* socket = new QSslSocket(this);
        c->socket = socket;
        if (!socket->setSocketDescriptor(descriptor)) {
            delete socket;
            return;
        }
        socket->setLocalCertificate(m_certs.serverCertificate);
        socket->setPrivateKey(m_certs.serverKey);
        socket->setProtocol(QSsl::TlsV1_2OrLater);
        socket->setPeerVerifyMode(QSslSocket::VerifyNone);
        m_connections.append(c);
        QObject::connect(socket, &QSslSocket::readyRead, socket, [this, c] { readMore(c); });
        QObject::connect(socket, &QSslSocket::disconnected, socket, [this, c] { drop(c); });
        QObject::connect(socket, QOverload<const QList<QSslError>&>::of(&QSslSocket::sslErrors), socket,
                         [socket](const QList<QSslError>&) { socket->ignoreSslErrors(); });
        socket->startServerEncryption();
    }

private:
    void drop(const ConnectionPtr& c)
    {
        m_connections.removeAll(c);
        for (int i = m_held.size() - 1; i >= 0; --i)
            if (m_held.at(i).connection == c)
                m_held.removeAt(i);
        if (c->socket)
            c->socket->deleteLater();
    }

    void readMore(const ConnectionPtr& c)
    {
        if (!c->socket)
            return;
        c->buffer += c->socket->readAll();
        while (!c->busy && c->socket) {
            const int headerEnd = c->buffer.indexOf("\r\n\r\n");
            if (headerEnd < 0)
                return;
            const QList<QByteArray> lines = c->buffer.left(headerEnd).split('\n');
            StandinRequest req;
            const QList<QByteArray> first = lines.value(0).trimmed().split(' ');
            req.method = first.value(0);
            req.target = QString::fromUtf8(first.value(1));
            for (int i = 1; i < lines.size(); ++i) {
                const int colon = lines.at(i).indexOf(':');
                if (colon > 0)
                    req.headers.insert(lines.at(i).left(colon).trimmed().toLower(), lines.at(i).mid(colon + 1).trimmed());
            }
            const int length = req.headers.value("content-length", "0").toInt();
            if (c->buffer.size() < headerEnd + 4 + length)
                return;
            req.body = c->buffer.mid(headerEnd + 4, length);
            c->buffer.remove(0, headerEnd + 4 + length);
            QString path = req.target.section('?', 0, 0);
            const QString prefix = QString::fromLatin1(StandinService::kPathPrefix);
            req.path = path.startsWith(prefix + "/") ? path.mid(prefix.size()) : path;
            const QJsonDocument doc = QJsonDocument::fromJson(req.body);
            if (doc.isObject())
                req.json = doc.object();
            if (req.header("content-type").startsWith("multipart/"))
                req.parts = parseMultipart(req.header("content-type"), req.body);
            handle(c, req, path.startsWith(prefix + "/"));
        }
    }

    static QList<StandinPart> parseMultipart(const QByteArray& contentType, const QByteArray& body)
    {
        QList<StandinPart> parts;
        QByteArray boundary = contentType.mid(contentType.indexOf("boundary=") + 9).trimmed();
        if (boundary.startsWith('"'))
            boundary = boundary.mid(1, boundary.indexOf('"', 1) - 1);
        const QByteArray delimiter = "--" + boundary;
        int pos = body.indexOf(delimiter);
        while (pos >= 0) {
            pos += delimiter.size();
            if (body.mid(pos, 2) == "--")
                break;
            pos += 2;   // CRLF after the delimiter
            const int next = body.indexOf("\r\n" + delimiter, pos);
            if (next < 0)
                break;
            const QByteArray raw = body.mid(pos, next - pos);
            const int split = raw.indexOf("\r\n\r\n");
            StandinPart part;
            for (const QByteArray& line : raw.left(split).split('\n')) {
                const int colon = line.indexOf(':');
                const QByteArray name = line.left(colon).trimmed().toLower();
                const QByteArray value = line.mid(colon + 1).trimmed();
                if (name == "content-type")
                    part.contentType = value;
                if (name == "content-disposition") {
                    part.disposition = value;
                    auto param = [&value](const QByteArray& key) {
                        const int at = value.indexOf(key + "=\"");
                        if (at < 0)
                            return QString();
                        const int start = at + key.size() + 2;
                        return QString::fromUtf8(value.mid(start, value.indexOf('"', start) - start));
                    };
                    part.name = param("; name").isEmpty() ? param(";name") : param("; name");
                    part.fileName = param("filename");
                }
            }
            part.body = split < 0 ? QByteArray() : raw.mid(split + 4);
            parts.append(part);
            pos = next + 2;
        }
        return parts;
    }

    // Checks the request against its operation; returns the reason of a mismatch.
    QString shapeError(const StandinOperation& op, const StandinRequest& req) const
    {
        if (req.method != op.method)
            return QString("method %1, expected %2").arg(QString(req.method), QString(op.method));
        const bool hasToken = req.hasHeader("token");
        if (op.token == StandinToken::Required && !hasToken)
            return "token header missing";
        if (op.token == StandinToken::None && hasToken)
            return "token header sent to an operation that takes none";
        if (op.body == StandinBody::Empty && !req.body.isEmpty())
            return "body expected empty";
        if (op.body == StandinBody::Multipart) {
            if (!req.header("content-type").startsWith("multipart/form-data"))
                return "content type " + QString(req.header("content-type")) + ", expected multipart/form-data";
            QStringList names, expected;
            for (const StandinPart& p : req.parts)
                names << p.name;
            for (const StandinField& f : op.fields)
                expected << f.key;
            if (names != expected)
                return "parts " + names.join(',') + ", expected " + expected.join(',');
        }
        if (op.body == StandinBody::JsonObject) {
            if (!req.header("content-type").startsWith("application/json"))
                return "content type " + QString(req.header("content-type")) + ", expected application/json";
            const QJsonDocument doc = QJsonDocument::fromJson(req.body);
            if (!doc.isObject())
                return "body is not a JSON object";
            const QJsonObject o = doc.object();
            for (const StandinField& f : op.fields) {
                if (!o.contains(f.key) && f.optional)
                    continue;
                if (!o.contains(f.key))
                    return "key " + f.key + " missing";
                if (o.value(f.key).type() != f.type)
                    return QString("key %1 is %2, expected %3").arg(f.key, typeName(o.value(f.key).type()), typeName(f.type));
            }
            for (const QString& k : o.keys()) {
                bool known = false;
                for (const StandinField& f : op.fields)
                    known |= f.key == k;
                if (!known)
                    return "unexpected key " + k;
            }
        }
        return QString();
    }

    void handle(const ConnectionPtr& c, const StandinRequest& req, bool prefixed)
    {
        StandinScript behaviour;
        bool scripted = false;
        StandinAnswer answer;
        {
            QMutexLocker lock(&m_mutex);
            m_log.append(req);
            auto it = m_scripts.find(req.path);
            if (it != m_scripts.end() && !it->isEmpty()) {
                behaviour = it->first();
                scripted = true;
                if (behaviour.times > 0 && --it->first().times == 0)
                    it->removeFirst();
            }
            auto op = m_operations.constFind(req.path);
            const QString filesPath = QString::fromLatin1(StandinState::kFilesPath);
            if (!prefixed && req.method == "GET" && req.path.startsWith(filesPath)) {
                auto file = m_state.files.constFind(req.path.mid(filesPath.size()));
                if (file == m_state.files.constEnd()) {
                    answer.httpStatus = 404;
                    answer.contentType = "text/html;charset=UTF-8";
                    answer.body = "<html><body>404 Not Found</body></html>";
                } else {
                    answer.contentType = file->contentType;
                    answer.body = file->bytes;
                }
            } else if (!prefixed || op == m_operations.constEnd()) {
                answer = StandinAnswer::envelope(404, "no such operation: " + req.target);
                answer.httpStatus = 404;
            } else {
                const QString why = shapeError(*op, req);
                if (!why.isEmpty()) {
                    m_shapeErrors.append(req.path + ": " + why);
                    answer = StandinAnswer::envelope(4004, "请求参数不符: " + why);
                } else {
                    StandinContext ctx{req, m_state, QString()};
                    if (op->token == StandinToken::Required) {
                        ctx.account = m_state.sessions.value(QString::fromUtf8(req.header("token")));
                        if (ctx.account.isEmpty())
                            answer = StandinAnswer::envelope(51001, "token无效，请重新登录");
                    }
                    if (answer.body.isEmpty())
                        answer = op->handler(ctx);
                }
            }
        }
        if (scripted) {
            if (behaviour.closeWithoutReply) {
                c->busy = true;
                c->socket->abort();
                return;
            }
            if (behaviour.hang) {
                c->busy = true;
                return;
            }
            if (behaviour.rawBodySet) {
                answer.body = behaviour.rawBody;
                answer.contentType = behaviour.rawContentType;
            } else if (behaviour.envelopeSet) {
                answer.body = QJsonDocument(behaviour.envelope).toJson(QJsonDocument::Compact);
                answer.contentType = "application/json;charset=UTF-8";
            } else if (behaviour.oversizeBytes > 0) {
                const QString pad(int(behaviour.oversizeBytes), QChar('x'));
                answer = StandinAnswer::envelope(10000, "", pad);
            }
            if (behaviour.httpStatus)
                answer.httpStatus = behaviour.httpStatus;
            if (behaviour.hold) {
                c->busy = true;
                m_held.append({req.path, c, answer});
                return;
            }
            if (behaviour.delayMs > 0) {
                c->busy = true;
                QTimer::singleShot(behaviour.delayMs, c->socket, [this, c, answer] { send(c, answer); });
                return;
            }
        }
        send(c, answer);
    }

    void send(const ConnectionPtr& c, const StandinAnswer& answer)
    {
        if (!c->socket)
            return;
        QByteArray out = "HTTP/1.1 " + QByteArray::number(answer.httpStatus) + " " + reasonPhrase(answer.httpStatus) + "\r\n";
        out += "Content-Type: " + answer.contentType + "\r\n";
        out += "Content-Length: " + QByteArray::number(answer.body.size()) + "\r\n";
        out += "Connection: keep-alive\r\n\r\n";
        out += answer.body;
        c->socket->write(out);
        c->busy = false;
        if (!c->buffer.isEmpty())
            QTimer::singleShot(0, c->socket, [this, c] { readMore(c); });
    }
};

void StandinFilesListener::incomingConnection(qintptr descriptor)
{
    m_server->acceptConnection(descriptor);
}

qint64 StandinState::now() const
{
    return serverTime ? serverTime : QDateTime::currentSecsSinceEpoch();
}

// ---------------------------------------------------------------------------------------------
// The controlling object

StandinService::StandinService() = default;

StandinService::~StandinService()
{
    stop();
}

bool StandinService::start(quint16 port, const QByteArray& seedJson, const QString& caDir, QString* error)
{
    stop();
    auto* server = new StandinServer;
    if (!StandinCertificates::create(server->m_certs, error, caDir)) {
        delete server;
        return false;
    }
    const QJsonDocument seed = QJsonDocument::fromJson(seedJson.isEmpty() ? standinDefaultSeed() : seedJson);
    if (!seed.isObject()) {
        if (error)
            *error = "the seed is not a JSON object";
        delete server;
        return false;
    }
    server->m_state.seed = seed.object();
    for (const QJsonValue& v : seed.object().value("users").toArray()) {
        const QJsonObject u = v.toObject();
        StandinUser user;
        user.account = u.value("userAccount").toString();
        user.password = u.value("userPassword").toString();
        user.data = u.value("data").toObject();
        if (!user.account.isEmpty())
            server->m_state.users.insert(user.account, user);
    }
    server->m_state.serverTime = qint64(seed.object().value("serverTime").toDouble());
    for (const QJsonValue& v : seed.object().value("files").toArray()) {
        const QJsonObject f = v.toObject();
        StandinFile file;
        file.name = f.value("name").toString();
        if (f.contains("contentType"))
            file.contentType = f.value("contentType").toString().toUtf8();
        file.bytes = QByteArray::fromBase64(f.value("base64").toString().toLatin1());
        server->m_state.files.insert(f.value("id").toString(), file);
    }

    m_thread = new QThread;
    m_thread->setObjectName("standin");
    server->moveToThread(m_thread);
    m_thread->start();
    m_server = server;
    bool listening = false;
    QMetaObject::invokeMethod(
        server,
        [server, port, &listening] {
            listening = server->listen(QHostAddress::LocalHost, port) &&
                        server->m_filesListener.listen(QHostAddress::LocalHost, 0);
        },
        Qt::BlockingQueuedConnection);
    if (listening) {
        const quint16 actual = this->port();
        const quint16 files = filesPort();
        QMutexLocker lock(&server->m_mutex);
        server->m_state.origin = QString("https://127.0.0.1:%1").arg(actual);
        server->m_state.filesOrigin = QString("https://127.0.0.1:%1").arg(files);
        standinSeedAccountArea(server->m_state, caDir);
    }
    if (!listening) {
        if (error)
            *error = "cannot listen on 127.0.0.1:" + QString::number(port);
        stop();
        return false;
    }
    return true;
}

void StandinService::stop()
{
    if (!m_server)
        return;
    QThread* home = QThread::currentThread();
    StandinServer* server = m_server;
    QMetaObject::invokeMethod(server, [server, home] { server->shutdown(home); }, Qt::BlockingQueuedConnection);
    m_thread->quit();
    m_thread->wait();
    delete m_thread;
    m_thread = nullptr;
    delete m_server;
    m_server = nullptr;
}

quint16 StandinService::port() const
{
    if (!m_server)
        return 0;
    quint16 p = 0;
    StandinServer* server = m_server;
    QMetaObject::invokeMethod(server, [server, &p] { p = server->serverPort(); }, Qt::BlockingQueuedConnection);
    return p;
}

quint16 StandinService::filesPort() const
{
    if (!m_server)
        return 0;
    quint16 p = 0;
    StandinServer* server = m_server;
    QMetaObject::invokeMethod(
        server, [server, &p] { p = server->m_filesListener.serverPort(); }, Qt::BlockingQueuedConnection);
    return p;
}

QString StandinService::baseAddress() const
{
    return QString("127.0.0.1:%1%2").arg(port()).arg(kPathPrefix);
}

QByteArray StandinService::configValue() const
{
    return baseAddress().toUtf8().toBase64();
}

QSslCertificate StandinService::caCertificate() const
{
    return m_server ? m_server->m_certs.caCertificate : QSslCertificate();
}

QByteArray StandinService::caCertificatePem() const
{
    return m_server ? m_server->m_certs.caCertificatePem : QByteArray();
}

QByteArray StandinService::signingCaCertificatePem() const
{
    if (!m_server)
        return QByteArray();
    QMutexLocker lock(&m_server->m_mutex);
    return m_server->m_state.account ? standinSigningCaPem(*m_server->m_state.account) : QByteArray();
}

void StandinService::setMode(Mode mode)
{
    if (m_server)
        m_server->m_mode.store(int(mode));
}

void StandinService::addOperation(const StandinOperation& operation)
{
    StandinServer* server = m_server;
    QMetaObject::invokeMethod(
        server, [server, operation] { server->m_operations.insert(operation.path, operation); },
        Qt::BlockingQueuedConnection);
}

QString StandinService::addFile(const QString& id, const StandinFile& file)
{
    QMutexLocker lock(&m_server->m_mutex);
    m_server->m_state.files.insert(id, file);
    return m_server->m_state.fileUrl(id);
}

void StandinService::script(const QString& path, const StandinScript& behaviour)
{
    QMutexLocker lock(&m_server->m_mutex);
    m_server->m_scripts[path].append(behaviour);
}

void StandinService::clearScripts()
{
    QMutexLocker lock(&m_server->m_mutex);
    m_server->m_scripts.clear();
}

void StandinService::release(const QString& path)
{
    StandinServer* server = m_server;
    QMetaObject::invokeMethod(server, [server, path] { server->release(path); }, Qt::BlockingQueuedConnection);
}

int StandinService::heldCount(const QString& path) const
{
    StandinServer* server = m_server;
    int n = 0;
    QMetaObject::invokeMethod(
        server,
        [server, path, &n] {
            for (const HeldAnswer& h : server->m_held)
                n += h.path == path ? 1 : 0;
        },
        Qt::BlockingQueuedConnection);
    return n;
}

QList<StandinRequest> StandinService::requests() const
{
    QMutexLocker lock(&m_server->m_mutex);
    return m_server->m_log;
}

QList<StandinRequest> StandinService::requests(const QString& path) const
{
    QList<StandinRequest> out;
    for (const StandinRequest& r : requests())
        if (r.path == path)
            out.append(r);
    return out;
}

void StandinService::clearRequests()
{
    QMutexLocker lock(&m_server->m_mutex);
    m_server->m_log.clear();
    m_server->m_shapeErrors.clear();
}

QStringList StandinService::shapeErrors() const
{
    QMutexLocker lock(&m_server->m_mutex);
    return m_server->m_shapeErrors;
}

void StandinService::withState(const std::function<void(StandinState&)>& f)
{
    QMutexLocker lock(&m_server->m_mutex);
    f(m_server->m_state);
}

int StandinService::sessionCount() const
{
    QMutexLocker lock(&m_server->m_mutex);
    return m_server->m_state.sessions.size();
}

void StandinService::setServerTime(qint64 secondsSinceEpoch)
{
    QMutexLocker lock(&m_server->m_mutex);
    m_server->m_state.serverTime = secondsSinceEpoch;
}

QString StandinService::addSession(const QString& account)
{
    QMutexLocker lock(&m_server->m_mutex);
    const QString token = QUuid::createUuid().toString(QUuid::Id128);
    m_server->m_state.sessions.insert(token, account);
    return token;
}
