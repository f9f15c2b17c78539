#pragma once

#include <QString>
#include <QStringList>

class ImportProgress;
class MainWindowState;

/** "&Import Race Data": asks for results files and imports them into horses.mdb. */
void importRaceData(MainWindowState& f, ImportProgress* progress = nullptr);

/** How many characters of the text equal c (0 for an empty text). */
qint16 countDelimiters(const QString& text, QChar c);

/** The files of a file-dialog answer given as one text: a folder and the names in the dialog's order. */
struct ChosenFiles {
    QString folder;
    QStringList names;
    /** The full path of each name: the folder, "\" unless the folder already ends in one, the name. */
    QStringList paths() const;
};

/** Takes apart a dialog answer that is either one full path, or the folder and each name separated by NUL. */
ChosenFiles splitDialogAnswer(const QString& answer);

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
    /** The weeks of the files imported whole, in the order they were read. */
    QList<int> weeks;
    int files = 0;
    int races = 0;
    qint64 starts = 0;
};

/** One line for the player on how an import ended ("3 weeks imported: 612, 613, 614", or what stopped it). */
QString importOutcome(const ImportResult& result);

/**
 * Imports the files in order, each in its own transaction, with the progress and failure texts in
 * lblprogress and the busy pointer shown throughout. A zip archive stands for the files inside it, in name
 * order, each imported as if chosen on its own. Stops at the first failure, keeping what was stored before
 * it, or when a week already stored is not to be replaced.
 */
ImportResult importFiles(MainWindowState& f, const QStringList& paths,
                         DuplicateWeek policy = DuplicateWeek::Ask, ImportProgress* progress = nullptr);
