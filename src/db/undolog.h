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
    /** The weeks it deleted, newest first (those its record names as week numbers). */
    QList<int> weeks;
    /** The starts it deleted. */
    qint64 starts = 0;
    /** When it was made, local time, "2026-12-07 14:02". */
    QString made;
    /** What is wrong with its record when it names something else than a week ("week \"abc\" is not a week
        number from 0 to 32766"); empty when it is sound. */
    QString damage;
    /** Once reviewed: why it can no longer be undone, for a list ("week 611 has been imported again since
        it was removed"), and the message that refuses it; both empty while it can. */
    QString blocked;
    QString refusal;
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

/**
 * Checks the kept changes, newest first, until one can be undone, or all of them when `all`; a change that
 * cannot be undone gets its reason. A change can be undone when its kept rows are those it deleted (every
 * one in its weeks, as many as it recorded, matching the digest it recorded), when no later change touched
 * its weeks, and when each of its weeks holds what the change left there. False with the database's error
 * set when they cannot be read.
 */
bool review(Database& db, QList<Change>& kept, bool all = false);

/** The change that undo takes among reviewed ones: the newest that can be undone; else the newest, whose
    refusal says why. */
qsizetype nextToUndo(const QList<Change>& reviewed);

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
 * Puts back the newest change that can still be undone (see review()), in one transaction: the rows it
 * deleted return exactly, and what a replacement had put in their place goes. Refused, saying why and
 * changing nothing, when no kept change can be undone.
 */
Outcome undoLast(Database& db);

} // namespace UndoLog
