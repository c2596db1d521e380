#pragma once
// The daily trace file and the one-shot cleaner of old trace files.
//
// Every line names the source file, function and line it comes from; there are no levels. The
// shared folder under /tmp holds whole service replies, so it is private to the user (0700,
// files 0600), is never used when it belongs to someone else or is a symbolic link (the lines
// then go to a private folder of this user beside it, named by the user id), and secrets are
// written masked (see CLog::mask and CLog::maskSecrets).

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QThread>

class CLog
{
public:
    // The clock the writer and the cleaner read; tests inject a fixed one.
    using Clock = QDateTime (*)();

    // Appends one line to the day's file: "yyyy-MM-dd hh:mm:ss[file,function(line)]: text\n",
    // preceded by lineFeed when it is not empty. When the shared folder cannot be used, the line
    // goes to this user's folder beside it, whose day files begin with a line naming both
    // folders. Never fails loudly: a line that cannot be written is dropped.
    static void writeLogs(const QString& fileName, const int& lineNum, const QString& strFunName,
                          const QString& text, QString lineFeed = QString());

    // Creation time of a file (modification time where the file system keeps no birth time).
    // A relative name is taken inside the application's "Logs" folder.
    static QDateTime getFileCreateDateTime(const QString& filePath);
    // Age in whole days as the cleaner counts it: ceil(seconds / 86400) - 1, computed on
    // unsigned 32-bit seconds, so a time in the future wraps to a large age.
    static int subDate(const QDateTime& fileCreateTime);
    // Names (not paths) of the readable regular files in dirPath matching nameFilters, by name.
    static QStringList getDirFiles(QString dirPath, QStringList nameFilters);
    // Kept for callers; reading logs back is not offered.
    static void readLogs();

    // What a secret is written as: "***".
    static QString mask(const QString& secret);
    // The text with the values of secret keys masked: JSON members (and "key=value" pairs)
    // whose key names a password, an SMS or verification code, or a token. Everything else is
    // kept byte for byte, so whole requests and replies can still be logged.
    static QString maskSecrets(const QString& text);
    static QString maskSecrets(const QByteArray& text);
    // Whether a key name is treated as secret by maskSecrets.
    static bool isSecretKey(const QString& key);

    // The writer's folder: "/tmp/OrvessaLogs" unless a test set another one.
    static QString logFolder();
    static void setLogFolder(const QString& folder); // empty restores the default
    // The application's own "Logs" folder, also cleaned.
    static QString appLogFolder();
    static void setAppLogFolder(const QString& folder); // empty restores the default
    // This user's own folder beside a shared one: the shared folder's path, "-" and the user id.
    static QString userLogFolder(const QString& shared);
    // The folder the writer fills: the shared one while it is ours (or not made yet), else this
    // user's own folder beside it.
    static QString activeLogFolder();
    // Path of the day's file in the folder the writer fills.
    static QString logFilePath(const QDateTime& when);

    static QDateTime now();
    static void setClock(Clock clock); // null restores the system clock

    // Whether a folder may hold log files: a real directory (not a symbolic link) owned by this
    // user. With create, a missing folder is made (its parents as needed) and the folder is
    // set to mode 0700.
    static bool isPrivateFolder(const QString& folder, bool create);

    // Removes the ".log" files older than three days from one folder; returns how many went.
    static int cleanFolder(const QString& folder);
};

// Writes a line with the caller's file, line and function.
#define ORV_LOG(text) CLog::writeLogs(QStringLiteral(__FILE__), __LINE__, QString::fromUtf8(__FUNCTION__), (text))
// The same with a text written before the line ("\n\n\n" sets a request apart).
#define ORV_LOG_PREFIX(text, prefix) \
    CLog::writeLogs(QStringLiteral(__FILE__), __LINE__, QString::fromUtf8(__FUNCTION__), (text), (prefix))

// One cleaning pass over the log folders on its own thread, then the thread ends.
class CLogClearThread : public QThread
{
    Q_OBJECT
public:
    explicit CLogClearThread(QObject* parent = nullptr);
    // The folders to clean; by default the application's "Logs" folder, the writer's folder and,
    // when it exists, this user's own folder beside it.
    void setFolders(const QStringList& folders);
    QStringList folders() const;

protected:
    void run() override;

private:
    QStringList m_folders;
};
