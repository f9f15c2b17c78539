#include "core/datafolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#ifdef Q_OS_UNIX
#include <pwd.h>
#include <unistd.h>
#endif

QString defaultBreedingPath()
{
#ifdef Q_OS_WIN
    return QStringLiteral("C:\\qvl\\breeding.txt");
#else
    return QDir::homePath() + QStringLiteral("/qvl/breeding.txt");
#endif
}

QString breedingPathFor(const QString& folder)
{
    const QString own = QDir(folder).filePath(QStringLiteral("breeding.txt"));
    return QFileInfo::exists(own) ? own : defaultBreedingPath();
}

QString playerDataFolder()
{
#ifdef Q_OS_UNIX
    // The base-directory rules: XDG_DATA_HOME when it is an absolute path (a relative one is ignored), else
    // .local/share in the home folder. Without a HOME the account's own home folder serves, never the root
    // of the file system.
    const QString data = qEnvironmentVariable("XDG_DATA_HOME");
    if (QDir::isAbsolutePath(data))
        return QDir(data).filePath(QStringLiteral("turftrawler"));
    QString home = qEnvironmentVariable("HOME");
    if (!QDir::isAbsolutePath(home)) {
        const passwd* account = ::getpwuid(::geteuid());
        home = account && account->pw_dir ? QFile::decodeName(account->pw_dir) : QString();
    }
    return QDir::isAbsolutePath(home) ? QDir(home).filePath(QStringLiteral(".local/share/turftrawler"))
                                      : QString();
#else
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation))
        .filePath(QStringLiteral("turftrawler"));
#endif
}

QString noDataFolderMessage()
{
    return QStringLiteral(
        "There is no folder for the player's data: neither XDG_DATA_HOME nor HOME names an "
        "absolute folder, and the account has no home folder. Name a folder with --dir DIR.");
}

DataFolder chooseDataFolder(const QString& dirOption, const QString& programDir)
{
    if (!dirOption.isEmpty())
        return {QDir::cleanPath(QDir(dirOption).absolutePath()), DataFolder::Kind::Given};
    if (QFileInfo::exists(QDir(programDir).filePath(QStringLiteral("horses.mdb"))))
        return {programDir, DataFolder::Kind::ProgramDir};
    return {playerDataFolder(), DataFolder::Kind::PlayerData};
}
