#pragma once
// The little the program remembers per user between runs: recent documents (with their pinned
// state), recent folders, the names typed at login and one flag. Nothing is cached: every
// operation opens the native per-user store, reads or writes, and closes it.

#include <QByteArray>
#include <QList>
#include <QMetaType>
#include <QObject>
#include <QPair>
#include <QString>
#include <QStringList>

// One recent document.
struct recentfile {
    bool fixed = false; // pinned
    QString file;       // the document's path
    QString date;       // when it was last opened, "yyyy.MM.dd hh:mm:ss"

    bool operator==(const recentfile& other) const
    {
        return fixed == other.fixed && file == other.file && date == other.date;
    }
    bool operator!=(const recentfile& other) const { return !(*this == other); }
};
Q_DECLARE_METATYPE(recentfile)

class RegeditSettings : public QObject
{
    Q_OBJECT
public:
    // The one settings object, made on first use.
    static RegeditSettings* Instance();
    // Deletes the object; main calls it before the application object goes.
    static void release();

    QList<recentfile> recentlyFiles();
    // Records that entry.file was opened: it becomes the first entry that is not pinned, while
    // pinned entries keep their positions.
    void setRecentlyFile(recentfile entry);
    // Sets the pinned flag of the first entry with entry.file's path.
    void setRecentlyFileFiexed(recentfile entry);
    void deleteRecentlyFile(QString filename);

    QStringList recentlyFolds();
    // The most recent folder, or the home folder when none is stored.
    QString recentlyFold();
    // Records the folder of file first.
    void setRecentlyFold(QString file);

    QList<QPair<QString, QByteArray>> recentUsers();
    // Records a login first; without bRemember the password is stored empty.
    void setRencentUser(QPair<QString, QByteArray> user, bool bRemember);

    bool associtatedHinted();
    void setHintAssociated(bool hinted);
    bool getShowUpdateInfo();
    void setShowUpdateInfo(bool show);

private:
    RegeditSettings();
    ~RegeditSettings() override;

    // Deletes the object at exit if main has not released it.
    class GC
    {
    public:
        ~GC();
    };
    static GC gc;
    static RegeditSettings* m_instance;

    void writeRecentFiles(const QList<recentfile>& files);
};

// For tests: the per-user store lives in folder while the object lives, then returns to the
// user's configuration folder.
class ScopedSettingsLocation
{
public:
    explicit ScopedSettingsLocation(const QString& folder);
    ~ScopedSettingsLocation();
    ScopedSettingsLocation(const ScopedSettingsLocation&) = delete;
    ScopedSettingsLocation& operator=(const ScopedSettingsLocation&) = delete;
};
