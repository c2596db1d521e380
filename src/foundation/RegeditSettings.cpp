#include "RegeditSettings.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QMutex>
#include <QSettings>
#include <QStandardPaths>

#include <algorithm>

namespace {
// Identity of the store and the names inside it.
const char* const kOrganization = "Telvar Co.Ltd";
const char* const kApplication = "Orvessa";
const char* const kVersion = "5.7.0";

const QString RecentFilesKey = QStringLiteral("RecentDocuments");
const QString RecentFileKey = QStringLiteral("Path");
const QString RecentDateKey = QStringLiteral("Date");
const QString RecentFixedKey = QStringLiteral("Fixed");
const QString RecentFoldsKey = QStringLiteral("RecentFolds");
const QString RecentFoldKey = QStringLiteral("Dir");
const QString UsersInfoKey = QStringLiteral("UsersInfo");
const QString UserKey = QStringLiteral("User");
const QString PassWordKey = QStringLiteral("PassWord");
const QString HitAssociatedKey = QStringLiteral("HitAssociated");
const QString ShowNewVersionKey = QStringLiteral("ShowNewVersionInfo");

QSettings* openStore()
{
    return new QSettings(QString::fromLatin1(kOrganization), QString::fromLatin1(kApplication));
}

QMutex& instanceMutex()
{
    static QMutex mutex;
    return mutex;
}
} // namespace

RegeditSettings* RegeditSettings::m_instance = nullptr;
RegeditSettings::GC RegeditSettings::gc;

RegeditSettings::GC::~GC()
{
    delete RegeditSettings::m_instance;
    RegeditSettings::m_instance = nullptr;
}

RegeditSettings* RegeditSettings::Instance()
{
    // The batch thread may also ask for it, so creation is guarded.
    QMutexLocker lock(&instanceMutex());
    if (!m_instance)
        m_instance = new RegeditSettings;
    return m_instance;
}

void RegeditSettings::release()
{
    QMutexLocker lock(&instanceMutex());
    delete m_instance;
    m_instance = nullptr;
}

RegeditSettings::RegeditSettings()
{
    QCoreApplication::setOrganizationName(QString::fromLatin1(kOrganization));
    QCoreApplication::setApplicationName(QString::fromLatin1(kApplication));
    QCoreApplication::setApplicationVersion(QString::fromLatin1(kVersion));
}

RegeditSettings::~RegeditSettings() = default;

QList<recentfile> RegeditSettings::recentlyFiles()
{
    QScopedPointer<QSettings> s(openStore());
    QList<recentfile> files;
    const int n = s->beginReadArray(RecentFilesKey);
    for (int i = 0; i < n; ++i) {
        s->setArrayIndex(i);
        recentfile f;
        f.file = s->value(RecentFileKey).toString();
        f.date = s->value(RecentDateKey).toString();
        f.fixed = s->value(RecentFixedKey, false).toBool();
        files << f;
    }
    s->endArray();
    return files;
}

void RegeditSettings::writeRecentFiles(const QList<recentfile>& files)
{
    QScopedPointer<QSettings> s(openStore());
    s->remove(RecentFilesKey);
    s->beginWriteArray(RecentFilesKey, files.size());
    for (int i = 0; i < files.size(); ++i) {
        s->setArrayIndex(i);
        s->setValue(RecentFileKey, files[i].file);
        s->setValue(RecentDateKey, files[i].date);
        s->setValue(RecentFixedKey, files[i].fixed);
    }
    s->endArray();
}

void RegeditSettings::setRecentlyFile(recentfile entry)
{
    const QList<recentfile> old = recentlyFiles();

    // Pinned entries of other documents keep the positions they have now.
    QList<QPair<int, recentfile>> pinned;
    QList<recentfile> list;
    list << entry;
    for (int i = 0; i < old.size(); ++i) {
        if (old[i].file == entry.file)
            continue;
        if (old[i].fixed)
            pinned << qMakePair(i, old[i]);
        else
            list << old[i];
    }
    // In ascending order of position; a position past the end (possible only when the store
    // held a path twice) is clamped to the end instead of being inserted out of range.
    for (const auto& p : qAsConst(pinned))
        list.insert(qMin(p.first, list.size()), p.second);

    if (list != old)
        writeRecentFiles(list);
}

void RegeditSettings::setRecentlyFileFiexed(recentfile entry)
{
    QList<recentfile> files = recentlyFiles();
    for (recentfile& f : files) {
        if (f.file == entry.file) {
            if (f.fixed != entry.fixed) {
                f.fixed = entry.fixed;
                writeRecentFiles(files);
            }
            return;
        }
    }
}

void RegeditSettings::deleteRecentlyFile(QString filename)
{
    QList<recentfile> files = recentlyFiles();
    const int before = files.size();
    files.erase(std::remove_if(files.begin(), files.end(), [&](const recentfile& f) { return f.file == filename; }),
                files.end());
    if (files.size() != before)
        writeRecentFiles(files);
}

QStringList RegeditSettings::recentlyFolds()
{
    QScopedPointer<QSettings> s(openStore());
    QStringList folds;
    const int n = s->beginReadArray(RecentFoldsKey);
    for (int i = 0; i < n; ++i) {
        s->setArrayIndex(i);
        folds << s->value(RecentFoldKey).toString();
    }
    s->endArray();
    return folds;
}

QString RegeditSettings::recentlyFold()
{
    const QStringList folds = recentlyFolds();
    return folds.isEmpty() ? QDir::homePath() : folds.first();
}

void RegeditSettings::setRecentlyFold(QString file)
{
    const QString folder = QFileInfo(file).absolutePath();
    const QStringList old = recentlyFolds();
    QStringList list = old;
    list.removeAll(folder);
    list.prepend(folder);
    if (list == old)
        return;
    QScopedPointer<QSettings> s(openStore());
    s->remove(RecentFoldsKey);
    s->beginWriteArray(RecentFoldsKey, list.size());
    for (int i = 0; i < list.size(); ++i) {
        s->setArrayIndex(i);
        s->setValue(RecentFoldKey, list[i]);
    }
    s->endArray();
}

QList<QPair<QString, QByteArray>> RegeditSettings::recentUsers()
{
    QScopedPointer<QSettings> s(openStore());
    QList<QPair<QString, QByteArray>> users;
    const int n = s->beginReadArray(UsersInfoKey);
    for (int i = 0; i < n; ++i) {
        s->setArrayIndex(i);
        users << qMakePair(s->value(UserKey).toString(), s->value(PassWordKey, 0).toByteArray());
    }
    s->endArray();
    return users;
}

void RegeditSettings::setRencentUser(QPair<QString, QByteArray> user, bool bRemember)
{
    const QList<QPair<QString, QByteArray>> old = recentUsers();
    QList<QPair<QString, QByteArray>> list;
    list << qMakePair(user.first, bRemember ? user.second : QByteArray());
    for (const auto& u : old)
        if (u.first != user.first)
            list << u;
    if (list == old)
        return;
    QScopedPointer<QSettings> s(openStore());
    s->remove(UsersInfoKey);
    s->beginWriteArray(UsersInfoKey, list.size());
    for (int i = 0; i < list.size(); ++i) {
        s->setArrayIndex(i);
        s->setValue(UserKey, list[i].first);
        s->setValue(PassWordKey, list[i].second);
    }
    s->endArray();
}

bool RegeditSettings::associtatedHinted()
{
    QScopedPointer<QSettings> s(openStore());
    return s->value(HitAssociatedKey, true).toBool();
}

void RegeditSettings::setHintAssociated(bool hinted)
{
    QScopedPointer<QSettings> s(openStore());
    s->setValue(HitAssociatedKey, hinted);
}

bool RegeditSettings::getShowUpdateInfo()
{
    QScopedPointer<QSettings> s(openStore());
    return s->value(ShowNewVersionKey, true).toBool();
}

void RegeditSettings::setShowUpdateInfo(bool show)
{
    QScopedPointer<QSettings> s(openStore());
    s->setValue(ShowNewVersionKey, show);
}

ScopedSettingsLocation::ScopedSettingsLocation(const QString& folder)
{
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, folder);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, folder);
}

ScopedSettingsLocation::~ScopedSettingsLocation()
{
    const QString home = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, home);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, home);
}
