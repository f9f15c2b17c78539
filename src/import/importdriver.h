#pragma once

#include <QString>
#include <QStringList>

class ImportProgress;
class MainWindowState;

/** What to do when a file's week is already stored. */
enum class DuplicateWeek {
    Ask,    // ask the user (through the platform) whether to replace it, skip it or stop
    Refuse, // stop without asking, as if the user had said No but without a message box
    Skip    // keep the stored week without asking and go on with the next file
};

/** How an import ended. */
struct ImportResult {
    enum class Status { Done, Cancelled, Refused, Failed };
    Status status = Status::Done;
    /** The file that failed or was stopped at (its name without folder). */
    QString file;
    /** For a failure, what went wrong (the label shows only the fixed failure text). */
    QString detail;
    int week = 0;
    /** The weeks of the files imported whole, in the order they were read. */
    QList<int> weeks;
    /** The weeks already stored whose files were skipped, in the order they were read. */
    QList<int> skipped;
    int files = 0;
    int races = 0;
    qint64 starts = 0;
};

/** One line for the player on how an import ended ("3 weeks imported: 612, 613, 614", or what stopped it),
    naming the stored weeks it skipped. */
QString importOutcome(const ImportResult& result);

/** "&Import Race Data": asks for results files and imports them into horses.mdb; nothing imported when the
    dialog is cancelled. */
ImportResult importRaceData(MainWindowState& f, ImportProgress* progress = nullptr);

/**
 * Imports the files in order, in one transaction for the whole run, with the progress and failure texts in
 * lblprogress and the busy pointer shown throughout. A zip archive stands for the files inside it, in name
 * order, each imported as if chosen on its own. Stops at the first failure, keeping what was stored before
 * it, or when a week already stored is neither to be replaced nor skipped. How it ended is also the main
 * window's status line.
 */
ImportResult importFiles(MainWindowState& f, const QStringList& paths,
                         DuplicateWeek policy = DuplicateWeek::Ask, ImportProgress* progress = nullptr);
