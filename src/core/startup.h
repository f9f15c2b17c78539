#pragma once

#include <QString>

class MainWindowState;

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

/** The player's data folder: $XDG_DATA_HOME/turftrawler (~/.local/share/turftrawler by default). */
QString playerDataFolder();

/**
 * Chooses the folder in use: dirOption when given; else programDir when it holds horses.mdb; else the
 * player's data folder. Makes nothing: the folder is made when the database is first created in it.
 */
DataFolder chooseDataFolder(const QString& dirOption, const QString& programDir);

/** What the load sequence does when horses.mdb is missing. */
enum class MissingDatabase {
    Create, ///< creates an empty one without asking: the player's own data folder on a first run
    Ask,    ///< offers to create one, Yes the default: a folder the player named
    Report  ///< says so and goes no further: the command-line tool, which has init for it
};

/** Nominal height of one grid row in twips when no window measures it (the command-line tool). */
constexpr int NominalRowHeight = 240;

/**
 * The main window's load sequence without the window: hides the progeny controls and grids, lays out the
 * statistics grids and the colour key, checks for horses.mdb and the breeding file, and applies the saved
 * layout of the results grid. rowHeight is the height of one grid row in twips at the window's font.
 * When horses.mdb is missing, `missing` says what happens. Returns false when there is still no database and
 * the program must end.
 */
bool formLoad(MainWindowState& f, int rowHeight, MissingDatabase missing = MissingDatabase::Ask);

/** Lays out the four statistics grids and the colour key, their heights following rowHeight (twips). */
void layoutStatGrids(MainWindowState& f, int rowHeight);
