#pragma once

#include <QList>
#include <QString>

#include <functional>
#include <optional>

/**
 * Care of the database file: copies, week removal, compaction and the track table. Every routine opens and
 * closes its own connection.
 */
namespace DbCare
{

/** Called with the share of the pages copied so far, 0 to 100. */
using Progress = std::function<void(int percent)>;

/**
 * Copies the database file into target with the engine's online backup, a few pages at a time, so that the
 * copy is consistent even while other connections read; target changes only when the copy is complete.
 */
bool backupFile(const QString& dbPath, const QString& target, const Progress& progress, QString& error);

/** The weeks that have races, newest first; nullopt with error set when the database cannot be read. */
std::optional<QList<int>> storedWeeks(const QString& dbPath, QString& error);

/** The starts stored in each of the weeks, in their order; nullopt with error set when unreadable. */
std::optional<QList<qint64>> weekStarts(const QString& dbPath, const QList<int>& weeks, QString& error);

/**
 * Removes the given weeks (each by the band rule, starts before races) in one transaction: all of them or,
 * on a failure, none. Their rows are kept for undo in the same transaction.
 */
bool removeWeeks(const QString& dbPath, const QList<int>& weeks, QString& error);

/** How a compaction ended. */
enum class Compaction {
    Done,      // compacted, and the undo records forgotten when that was asked
    Failed,    // not compacted: horses.mdb is as it was, its undo records too
    UndoKept,  // compacted, but the undo records could not be forgotten
    SpaceKept, // compacted and the undo records forgotten, but the space they took is not yet given back
};

/**
 * Rewrites horses.mdb in compacted form, in place: the engine holds the write lock and journals the work,
 * so another program's change is never lost (it waits, or is told the file is in use) and the file keeps
 * its links, owner and mode. With forgetUndo the kept changes are forgotten once the compaction has
 * succeeded, and the file is compacted again to give their space back: a compaction that fails never costs
 * the way back. A horsestemp.mdb left beside the database by an older version is deleted (the name only,
 * never what a link points to). error says why when it did not end Done.
 */
Compaction compact(const QString& dbPath, bool forgetUndo, QString& error);

/** One row of statecodes. */
struct Track {
    int num = 0;
    QString code;
};

/** The track table in ascending number; nullopt with error set when it cannot be read. */
std::optional<QList<Track>> tracks(const QString& dbPath, QString& error);

/** Result of adding or deleting a track. */
enum class TrackChange { Done, Exists, Missing, Failed };

/** Stores track num with its code unless the number is stored already. */
TrackChange addTrack(const QString& dbPath, int num, const QString& code, QString& error);
/** Deletes track num; Missing (nothing deleted) when no row has that number. */
TrackChange deleteTrack(const QString& dbPath, int num, QString& error);

} // namespace DbCare
