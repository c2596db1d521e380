#include "CLog.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QMutexLocker>
#include <QRegularExpression>

#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

namespace {

const char* const kDefaultLogFolder = "/tmp/OrvessaLogs";
// A file is removed once more than this many whole days (as subDate counts them) have passed.
constexpr int kKeepDays = 2;

QMutex& folderMutex()
{
    static QMutex mutex;
    return mutex;
}
QString& logFolderOverride()
{
    static QString folder;
    return folder;
}
QString& appLogFolderOverride()
{
    static QString folder;
    return folder;
}

QDateTime systemClock()
{
    return QDateTime::currentDateTime();
}
std::atomic<CLog::Clock> g_clock{&systemClock};

bool writeAll(int fd, const QByteArray& bytes)
{
    const char* p = bytes.constData();
    qint64 left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, size_t(left));
        if (n < 0) {
            if (errno == EINTR || errno == EAGAIN)
                continue;
            return false;
        }
        p += n;
        left -= n;
    }
    return true;
}

} // namespace

void CLog::writeLogs(const QString& fileName, const int& lineNum, const QString& strFunName, const QString& text,
                     QString lineFeed)
{
    // The shared folder when it is ours; when it is not (another user's, a symbolic link...), it
    // is left alone and this user's lines go to a private folder of their own beside it.
    const QString shared = logFolder();
    QString folder = shared;
    if (!isPrivateFolder(folder, true)) {
        folder = userLogFolder(shared);
        if (!isPrivateFolder(folder, true))
            return;
    }

    const QDateTime when = now();
    const QByteArray path = QFile::encodeName(folder + "/" + when.toString("yyyy-MM-dd") + ".log");
    // O_NOFOLLOW: a symbolic link planted under the day's name is never followed. O_NONBLOCK keeps
    // a planted FIFO from blocking the caller; it is refused below like any non-regular file.
    const int fd = ::open(path.constData(), O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK, 0600);
    if (fd < 0)
        return;
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != ::geteuid()) {
        ::close(fd);
        return;
    }
    if ((st.st_mode & 0777) != 0600)
        ::fchmod(fd, 0600);
    // A regular file: writes may block as usual (a non-blocking write could be refused under
    // load and the line lost).
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0)
        ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);

    const QString stamp = when.toString("yyyy-MM-dd hh:mm:ss");
    const QString line = stamp + "[" + fileName + "," + strFunName + "(" + QString::number(lineNum) + ")]: " + text + "\n";
    // Prefix and line go out in one append so another thread's line cannot come between them.
    QByteArray bytes;
    if (folder != shared && st.st_size == 0) {
        // A new file beside the shared folder says first why it is here.
        bytes += (stamp + "[" + QStringLiteral(__FILE__) + "," + QString::fromUtf8(__FUNCTION__) + "("
                  + QString::number(__LINE__) + ")]: "
                  + QStringLiteral("日志目录 %1 不可用（属于其他用户或不是目录），本用户的日志写在 %2\n").arg(shared, folder))
                     .toUtf8();
    }
    bytes += lineFeed.toUtf8();
    bytes += line.toUtf8();
    writeAll(fd, bytes);
    ::close(fd);
}

QDateTime CLog::getFileCreateDateTime(const QString& filePath)
{
    const QString path = QDir::isAbsolutePath(filePath) ? filePath : appLogFolder() + "/" + filePath;
    const QFileInfo info(path);
    const QDateTime birth = info.birthTime();
    if (birth.isValid())
        return birth;
    return info.lastModified();
}

int CLog::subDate(const QDateTime& fileCreateTime)
{
    const quint32 present = quint32(now().toSecsSinceEpoch());
    const quint32 then = quint32(fileCreateTime.toSecsSinceEpoch());
    const quint32 d = present - then;
    const quint32 q = d / 86400u;
    const quint32 r = d % 86400u;
    const quint32 days = q + (r > 0 ? 1u : 0u) - 1u;
    return int(days);
}

QStringList CLog::getDirFiles(QString dirPath, QStringList nameFilters)
{
    QDir dir(dirPath);
    if (!dir.exists())
        return {};
    // Regular files only: no folders, no symbolic links, no devices or FIFOs.
    return dir.entryList(nameFilters, QDir::Files | QDir::Readable | QDir::NoSymLinks, QDir::Name);
}

void CLog::readLogs()
{
}

QString CLog::mask(const QString& secret)
{
    Q_UNUSED(secret)
    return QStringLiteral("***");
}

bool CLog::isSecretKey(const QString& key)
{
    const QString k = key.toLower();
    return k.contains("password") || k.contains("passwd") || k.contains("pwd") || k.endsWith("token")
        || k.contains("verifycode") || k.contains("smscode") || k.contains("verifyno") || k.contains("securitycode") || k == "pin";
}

QString CLog::maskSecrets(const QString& text)
{
    // JSON members with a string or number value, and key=value pairs as in query strings.
    static const QRegularExpression member(
        QStringLiteral("\"((?:[^\"\\\\]|\\\\.)*)\"(\\s*:\\s*)(\"(?:[^\"\\\\]|\\\\.)*\"|-?[0-9][0-9.eE+-]*)"));
    static const QRegularExpression pair(QStringLiteral("\\b([A-Za-z_][A-Za-z0-9_]*)=([^&\\s\"]*)"));

    QString out;
    out.reserve(text.size());
    int pos = 0;
    auto it = member.globalMatch(text);
    while (it.hasNext()) {
        const QRegularExpressionMatch m = it.next();
        if (!isSecretKey(m.captured(1)))
            continue;
        out += text.midRef(pos, m.capturedStart(3) - pos);
        out += QStringLiteral("\"***\"");
        pos = m.capturedEnd(3);
    }
    out += text.midRef(pos);

    QString result;
    result.reserve(out.size());
    pos = 0;
    auto it2 = pair.globalMatch(out);
    while (it2.hasNext()) {
        const QRegularExpressionMatch m = it2.next();
        if (!isSecretKey(m.captured(1)) || m.capturedLength(2) == 0)
            continue;
        result += out.midRef(pos, m.capturedStart(2) - pos);
        result += QStringLiteral("***");
        pos = m.capturedEnd(2);
    }
    result += out.midRef(pos);
    return result;
}

QString CLog::maskSecrets(const QByteArray& text)
{
    return maskSecrets(QString::fromUtf8(text));
}

QString CLog::logFolder()
{
    QMutexLocker lock(&folderMutex());
    const QString& folder = logFolderOverride();
    return folder.isEmpty() ? QString::fromLatin1(kDefaultLogFolder) : folder;
}

void CLog::setLogFolder(const QString& folder)
{
    QMutexLocker lock(&folderMutex());
    logFolderOverride() = folder;
}

QString CLog::appLogFolder()
{
    {
        QMutexLocker lock(&folderMutex());
        const QString& folder = appLogFolderOverride();
        if (!folder.isEmpty())
            return folder;
    }
    if (!QCoreApplication::instance())
        return QString();
    return QCoreApplication::applicationDirPath() + "/Logs";
}

void CLog::setAppLogFolder(const QString& folder)
{
    QMutexLocker lock(&folderMutex());
    appLogFolderOverride() = folder;
}

QString CLog::userLogFolder(const QString& shared)
{
    return QDir::cleanPath(shared) + "-" + QString::number(::geteuid());
}

QString CLog::activeLogFolder()
{
    const QString shared = logFolder();
    struct stat st;
    if (::lstat(QFile::encodeName(QDir::cleanPath(shared)).constData(), &st) != 0 && errno == ENOENT)
        return shared; // made on the first line
    return isPrivateFolder(shared, false) ? shared : userLogFolder(shared);
}

QString CLog::logFilePath(const QDateTime& when)
{
    return activeLogFolder() + "/" + when.toString("yyyy-MM-dd") + ".log";
}

QDateTime CLog::now()
{
    return g_clock.load()();
}

void CLog::setClock(Clock clock)
{
    g_clock.store(clock ? clock : &systemClock);
}

bool CLog::isPrivateFolder(const QString& folder, bool create)
{
    if (folder.isEmpty())
        return false;
    const QByteArray path = QFile::encodeName(QDir::cleanPath(folder));
    struct stat st;
    if (::lstat(path.constData(), &st) != 0) {
        if (errno != ENOENT || !create)
            return false;
        const QString parent = QFileInfo(QDir::cleanPath(folder)).path();
        QDir().mkpath(parent);
        if (::mkdir(path.constData(), 0700) != 0 && errno != EEXIST)
            return false;
        if (::lstat(path.constData(), &st) != 0)
            return false;
    }
    if (!S_ISDIR(st.st_mode) || st.st_uid != ::geteuid())
        return false;
    // Ours: exactly 0700, whatever the umask or an older run left.
    if (create && (st.st_mode & 0777) != 0700 && ::chmod(path.constData(), 0700) != 0)
        return false;
    return true;
}

int CLog::cleanFolder(const QString& folder)
{
    if (!isPrivateFolder(folder, false))
        return 0;
    int removed = 0;
    const QStringList names = getDirFiles(folder + "/", {QStringLiteral("*.log")});
    for (const QString& name : names) {
        const QString path = folder + "/" + name;
        if (subDate(getFileCreateDateTime(path)) > kKeepDays && QFile::remove(path))
            ++removed;
    }
    return removed;
}

CLogClearThread::CLogClearThread(QObject* parent)
    : QThread(parent)
{
    // The application's own folder and the folder the writer fills, and this user's own folder
    // beside it when the writer has had to use one.
    m_folders << CLog::appLogFolder() << CLog::logFolder();
    const QString own = CLog::userLogFolder(CLog::logFolder());
    if (QFileInfo(own).isDir())
        m_folders << own;
    m_folders.removeAll(QString());
    m_folders.removeDuplicates();
}

void CLogClearThread::setFolders(const QStringList& folders)
{
    m_folders = folders;
}

QStringList CLogClearThread::folders() const
{
    return m_folders;
}

void CLogClearThread::run()
{
    for (const QString& folder : qAsConst(m_folders))
        CLog::cleanFolder(folder);
}
