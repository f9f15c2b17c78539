#pragma once

#include <QList>
#include <QString>

#include <optional>

class Database;

/**
 * The way back from the commands that delete stored weeks. The rows a week removal or a replacement deletes
 * are kept inside horses.mdb, written in the same transaction as the deletion, so that a crash leaves both
 * or neither; searches never read them. The newest few changes are kept, and undo puts back the newest.
 */
namespace UndoLog
{

/** How many changes are kept; an older one is forgotten when a new one is made. */
constexpr int Kept = 5;

enum class Kind { Remove, Replace };

/** One kept change. */
struct Change {
    qint64 id = 0;
    Kind kind = Kind::Remove;
    /** The weeks it deleted, newest first. */
    QList<int> weeks;
    /** The starts it deleted. */
    qint64 starts = 0;
    /** When it was made, local time, "2026-12-07 14:02". */
    QString made;
};

/** "Remove Week 640", "Remove Weeks 640, 600", "Replace Week 612" (for the Edit menu), or with lower-case
    "week" for a list. */
QString title(const Change& change, bool capitalWeek = true);

/** "640", "640 and 600", "640, 620 and 600": weeks as the texts that name them say them. */
QString spokenWeeks(const QList<int>& weeks);

/**
 * Inside the caller's transaction, before it deletes the weeks: keeps their races and starts as a new
 * change. The id of the change, or nullopt with the database's error set.
 */
std::optional<qint64> keep(Database& db, Kind kind, const QList<int>& weeks);

/**
 * Inside the same transaction, once the weeks hold what the change leaves (nothing after a removal, the new
 * file's rows after a replacement): notes that state, which undo will find again unless the week changed
 * since, and forgets the changes beyond the newest Kept.
 */
bool seal(Database& db, qint64 change);

/** The kept changes, newest first; nullopt with the database's error set when they cannot be read. */
std::optional<QList<Change>> changes(Database& db);

/** What the kept changes hold: their number, the starts they keep and the bytes they take in the file. */
struct Held {
    int changes = 0;
    qint64 starts = 0;
    qint64 bytes = 0;
};
std::optional<Held> held(Database& db);

/** Forgets every kept change, in a transaction of its own. */
bool forget(Database& db);

/** How an undo ended, with the line that says so. */
struct Outcome {
    enum class Status { Restored, Nothing, Refused, Failed };
    Status status = Status::Nothing;
    QString text;
};

/**
 * Puts back the newest change in one transaction: the rows it deleted return exactly, and what a replacement
 * had put in their place goes. Refused, naming the week and changing nothing, when one of its weeks no
 * longer holds what the change left there.
 */
Outcome undoLast(Database& db);

} // namespace UndoLog
