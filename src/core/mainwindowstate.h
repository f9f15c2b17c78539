#pragma once

#include "core/gridstate.h"
#include "core/platform.h"

#include <QString>

/** Which ancestor a progeny search looks at. */
enum class ProgenySearchMode { Sire, DamSire, DamDamSire };

/** The texts and ticks of the search panel that the searches read. */
struct PanelState {
    QString txtfirstweek;
    QString txtlastweek;
    QString txtinjury = QStringLiteral("30");
    QString txtnum = QStringLiteral("5");
    bool chkowner = false;
    bool chk2yo = false;
    ProgenySearchMode progenyMode = ProgenySearchMode::Sire;
    /** False when the breeding file was missing at start: the progeny options are disabled. */
    bool progenyEnabled = true;
};

/**
 * The main window's state without its widgets: the results grid, the statistics grids, the labels the
 * operations write, which layout is in force, and the panel inputs. The core operations work on it; the
 * window shows it, and the command-line tool prints it.
 */
class MainWindowState
{
public:
    MainWindowState(Platform& platform, const QString& programDir, const QString& breedingPath);

    Platform& platform() { return m_platform; }
    /** The program directory with its trailing separator. */
    const QString& programPath() const { return m_programPath; }
    QString databasePath() const { return m_programPath + QStringLiteral("horses.mdb"); }
    QString settingsPath() const { return m_programPath + QStringLiteral("KZTSettings.ini"); }
    QString savedNamesPath() const { return m_programPath + QStringLiteral("KZTSavednames.txt"); }
    const QString& breedingPath() const { return m_breedingPath; }

    /** Sets lblprogress and has it shown at once. */
    void setProgress(const QString& text);
    /** Sets the one line that says how the last action ended (the window's status bar), shown at once. */
    void setStatusLine(const QString& text);

    /** True while the sire layout is shown (MSFSGrid hidden, MSFmaxgrid shown). */
    bool sireLayout() const { return !MSFSGrid.visible(); }

    /** When false, the settings file is read but never written (the command-line tool). */
    bool settingsWritable = true;
    /** The folder of the files the import dialog gave last, where it opens next. */
    QString importFolder;
    /** The data rows the last search listed, before any filter. */
    int listedRows = 0;
    /** Set when a listing that no search of the panel made has filled the grid: the window empties the
        panel's search boxes and clears the flag. */
    bool panelCleared = false;

    GridState MSFlexGrid1{2, 18, 1, 0};
    GridState MSFSGrid{5, 4, 1, 1};
    GridState MSFWGrid{7, 10, 1, 1};
    GridState MSFSRGrid{8, 7, 1, 1};
    GridState MSFmaxgrid{7, 6, 1, 1};
    GridState MSFColorGridKey{7, 1, 1, 0};

    QString lblprogress;
    QString statusline;
    QString frainfo;
    QString lblfastest;
    QString lblinjurytest;
    bool lblfastestVisible = false;
    bool cmdprintEnabled = true;

    PanelState panel;

private:
    Platform& m_platform;
    QString m_programPath;
    QString m_breedingPath;
};
