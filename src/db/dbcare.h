#pragma once

#include <QList>
#include <QString>

#include <functional>
#include <optional>

class Database;

/**
 * Care of the database file: copies, week removal, compaction and the track table. Every routine opens and
 * closes its own connection, except the copy of a connection that is already open.
 */
namespace DbCare
{

/** The automatic copy kept beside horses.mdb before each change that deletes stored data. */
QString safetyCopyPath(const QString& programPath);

/** Called with the share of the pages copied so far, 0 to 100. */
using Progress = std::function<void(int percent)>;

/**
 * Copies the database file into target with the engine's online backup, a few pages at a time, so that the
 * copy is consistent even while other connections read; target changes only when the copy is complete.
 */
bool backupFile(const QString& dbPath, const QString& target, const Progress& progress, QString& error);

/** Replaces the automatic copy with the database open on db, as it is now; db must not be writing. */
bool keepSafetyCopy(Database& db, const QString& programPath, QString& error);

/** The weeks that have races, newest first; nullopt with error set when the database cannot be read. */
std::optional<QList<int>> storedWeeks(const QString& dbPath, QString& error);

/**
 * Removes the given weeks (each by the band rule, starts before races) in one transaction: all of them or,
 * on a failure, none. The automatic copy is taken first, within the same transaction.
 */
bool removeWeeks(const QString& programPath, const QList<int>& weeks, QString& error);

/** Points at which a test may stop the compaction as a crash or a failing disk would. */
enum class CompactStep { Copied, Checked, Renamed };

/**
 * Rewrites horses.mdb in compacted form: a leftover horsestemp.mdb goes first, the database is copied
 * into horsestemp.mdb, the copy is checked (engine check, same row counts) and only then renamed onto
 * horses.mdb in one step; the file before compaction becomes the automatic copy. Any failure leaves
 * horses.mdb as it was. failAt, when set, makes the named step fail (for the tests).
 */
bool compact(const QString& programPath, QString& error, std::optional<CompactStep> failAt = std::nullopt);

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
