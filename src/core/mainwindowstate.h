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

/** The search that filled the results grid, with the panel it ran with: what the list is run again with after
    the stored weeks change, and what the search panel shows. */
struct ListingSearch {
    enum class Kind {
        None,    ///< no search of the panel filled the grid (nothing yet, or a list cleared)
        Starts,  ///< gethorse: a horse, owner, race or stable search
        Progeny, ///< getsires
        Listed   ///< a list that no search of the panel made: the starts of an analysis's row
    };
    Kind kind = Kind::None;
    qint16 mode = 0;
    QString name;
    QString id;
    PanelState panel;
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
    void setBreedingPath(const QString& path) { m_breedingPath = path; }

    /** Sets lblprogress and has it shown at once. */
    void setProgress(const QString& text);
    /** Sets the one line that says how the last action ended (the window's status bar), shown at once. */
    void setStatusLine(const QString& text);

    /** Records the search that has just filled the results grid. */
    void setListing(ListingSearch search)
    {
        m_listing = std::move(search);
        ++m_listings;
    }
    const ListingSearch& listing() const { return m_listing; }
    /** Counts the lists made by setListing(), so that the window can tell a new one. */
    unsigned listings() const { return m_listings; }
    /** Said by every change of the stored weeks (an import, a removal, an undo): a list from before is stale.
     */
    void storedWeeksChanged() { ++m_weekChanges; }
    unsigned weekChanges() const { return m_weekChanges; }

    /** True while the sire layout is shown (MSFSGrid hidden, MSFmaxgrid shown). */
    bool sireLayout() const { return !MSFSGrid.visible(); }

    /** When false, the settings file is read but never written (the command-line tool). */
    bool settingsWritable = true;
    /** The folder of the files the import dialog gave last, where it opens next. */
    QString importFolder;
    /** The data rows the last search listed, before any filter. */
    int listedRows = 0;
    /** The Undo entry's caption as last worked out, and the stamp of the file it was worked out from. */
    QByteArray undoStamp;
    std::optional<QString> undoCaption;

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
    ListingSearch m_listing;
    unsigned m_listings = 0;
    unsigned m_weekChanges = 0;
};
