#pragma once

#include <QString>

/** Where the breeding file lives: C:\qvl\breeding.txt on Windows, ~/qvl/breeding.txt elsewhere. */
QString defaultBreedingPath();
/** The breeding file of the folder in use when it has one (a sample's, a portable copy's), else the usual
 * one.
 */
QString breedingPathFor(const QString& folder);

/** The folder whose horses.mdb, settings and lists a run works on, and how it was chosen. */
struct DataFolder {
    enum class Kind {
        Given,      ///< named with --dir
        ProgramDir, ///< the program's own directory, which holds horses.mdb (a build tree, a portable copy)
        PlayerData  ///< the player's data folder
    };
    QString path;
    Kind kind = Kind::PlayerData;
};

/** The player's data folder: $XDG_DATA_HOME/turftrawler (~/.local/share/turftrawler by default); empty when
    no absolute folder is named for it (noDataFolderMessage() says so). */
QString playerDataFolder();
/** The message for a run that finds no folder for the player's data. */
QString noDataFolderMessage();

/**
 * Chooses the folder in use: dirOption when given; else programDir when it holds horses.mdb; else the
 * player's data folder (an empty path when there is none). Makes nothing: the folder is made when the
 * database is first created in it.
 */
DataFolder chooseDataFolder(const QString& dirOption, const QString& programDir);
