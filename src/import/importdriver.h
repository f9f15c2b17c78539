#pragma once

#include <QString>
#include <QStringList>

class ImportProgress;
class MainWindowState;
class Platform;

/** What to do when a file's week is already stored. */
enum class DuplicateWeek {
    Ask,    // ask the user (through the platform) whether to replace it, skip it or stop
    Refuse, // stop without asking, as if the user had said Stop Import
    Skip    // keep the stored week without asking and go on with the next file
};

/** How an import ended. */
struct ImportResult {
    /** Cancelled: the player stopped it at a stored week; Refused: a stored week and no leave to ask;
        Stopped: the player's Cancel (or the window closing) ended it before it stored `file`. */
    enum class Status { Done, Cancelled, Refused, Stopped, Failed };
    Status status = Status::Done;
    /** The file that failed or was stopped at (its name without folder). */
    QString file;
    /** For a failure, what went wrong (the label shows only the fixed failure text). */
    QString detail;
    int week = 0;
    /** The weeks of the files imported whole, in the order they were read. */
    QList<int> weeks;
    /** Those of `weeks` that replaced a week stored before. */
    QList<int> replaced;
    /** The weeks already stored whose files were skipped, in the order they were read. */
    QList<int> skipped;
    /** What lblprogress says once the run is over: nothing, or why it failed. */
    QString label;
    int files = 0;
    int races = 0;
    qint64 starts = 0;
};

/** One line for the player on how an import ended ("3 weeks imported: 612, 613, 614", or what stopped it),
    naming the stored weeks it skipped. */
QString importOutcome(const ImportResult& result);

/** "&Import Race Data"'s dialog: the results files chosen, empty when it is cancelled. The folder they were
    chosen in is where it opens next. */
QStringList chooseImportFiles(MainWindowState& f);

/** What an import run is to do: the files in order, into which database, and what to do with a stored week.
 */
struct ImportJob {
    QString databasePath;
    QStringList paths;
    DuplicateWeek policy = DuplicateWeek::Ask;
};

/**
 * Imports the files in order, in one transaction for the whole run, on its own connection to the database
 * and without touching any window's state, so that it can run off the window's thread. A zip archive stands
 * for the files inside it, in name order, each imported as if chosen on its own. Stops at the first failure,
 * keeping what was stored before it, when a week already stored is neither to be replaced nor skipped, or
 * when `progress` asks it to stop. Its questions go through the platform.
 */
ImportResult runImport(const ImportJob& job, Platform& platform, ImportProgress* progress = nullptr);

/** Shows how a run ended: its failure text (or nothing) in lblprogress, its outcome in the status line. */
void showImportResult(MainWindowState& f, const ImportResult& result);

/**
 * The whole import on the calling thread, as the command-line tool runs it: the busy pointer shown
 * throughout, the indexes of an older file made with their progress in lblprogress, and the outcome shown.
 */
ImportResult importFiles(MainWindowState& f, const QStringList& paths,
                         DuplicateWeek policy = DuplicateWeek::Ask, ImportProgress* progress = nullptr);
