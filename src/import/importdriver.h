#pragma once

#include <QString>
#include <QStringList>

class MainWindowState;

/** "&Import Race Data": asks for results files and imports them into horses.mdb. */
void importRaceData(MainWindowState& f);

/** What to do when a file's week is already stored. */
enum class DuplicateWeek {
    Ask,   // ask the user (through the platform) whether to replace it
    Refuse // stop without asking, as if the user had said No but without a message box
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
    int files = 0;
    int races = 0;
    qint64 starts = 0;
};

/**
 * Imports the files in order, in one transaction for the whole run, with the progress and failure texts in
 * lblprogress and the busy pointer shown throughout. Stops at the first failure, keeping what was stored
 * before it, or when a week already stored is not to be replaced.
 */
ImportResult importFiles(MainWindowState& f, const QStringList& paths,
                         DuplicateWeek policy = DuplicateWeek::Ask);
