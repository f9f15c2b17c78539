#include "core/datafolder.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

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
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation))
        .filePath(QStringLiteral("turftrawler"));
}

DataFolder chooseDataFolder(const QString& dirOption, const QString& programDir)
{
    if (!dirOption.isEmpty()) {
        // Named or not, the player's data folder is the player's own (run.sh names it).
        const QString path = QDir::cleanPath(QDir(dirOption).absolutePath());
        return {path, path == QDir::cleanPath(playerDataFolder()) ? DataFolder::Kind::PlayerData
                                                                  : DataFolder::Kind::Given};
    }
    if (QFileInfo::exists(QDir(programDir).filePath(QStringLiteral("horses.mdb"))))
        return {programDir, DataFolder::Kind::ProgramDir};
    return {playerDataFolder(), DataFolder::Kind::PlayerData};
}
