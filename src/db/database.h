#pragma once

#include "db/sqlite.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

/**
 * The race database horses.mdb: an SQLite file with tblraces, tblhorsedata and statecodes.
 * Each instance owns one connection and everything prepared on it; it closes when the object goes.
 */
class Database
{
public:
    Database() = default;
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    /** Opens an existing database and checks that it has the three tables; false with error() set otherwise.
     * busyTimeout (milliseconds) replaces the usual wait for another program's lock when not negative. */
    bool open(const QString& path, int busyTimeout = -1);
    /** Creates a new empty database with the schema; refuses to overwrite an existing file. */
    bool create(const QString& path);
    /** Finalises every statement prepared on the connection, then closes it. False, with error() set, when
        the engine still refuses: the file would then stay open until the program ends. */
    bool close();
    bool isOpen() const { return m_sql.isOpen(); }
    QString path() const { return m_sql.path(); }

    /** The connection, for statements and transactions. */
    Sql::Connection& sql() { return m_sql; }
    /** Prepares a statement; an empty one, with error() set, when that fails. */
    Sql::Statement prepare(const char* sql);
    Sql::Statement prepare(const QString& sql) { return prepare(sql.toUtf8().constData()); }
    /** Runs statements that return no rows; false with error() set, saying what failed, when they fail. */
    bool exec(const char* sql, const QString& what);

    /** The last error as a message for the user. */
    QString error() const { return m_error; }
    /** Sets error() from the connection's last failure, as "what: the engine's words", or the in-use message
        when it was another program's lock. Always false. */
    bool fail(const QString& what);

    /**
     * Builds the race, horse and owner indexes again where an older file has them without the columns a
     * listing reads, in one transaction, saying so through `progress` first; and the rule that a race is
     * stored once, where it is missing (ensureUniqueRaces()). False with error() set when they
     * could not be built; the file then keeps the indexes it had, and every search stays exact.
     */
    bool ensureListingIndexes(const std::function<void(const QString&)>& progress);
    /** Makes the race table refuse a second race of a key where an older file does not yet (a race it holds
        twice already stays). False with error() set when that fails. */
    bool ensureUniqueRaces();

    /** Lets the connection hold a week's changed pages in memory (up to 64 MB): a removal or an undo then
        meets another program's lock only at its commit, not again at each spill of a smaller cache. */
    bool holdChangesInMemory();
    /** Deletes week w: the starts of the band w < racenum < w + 1 first, then its races. */
    bool removeWeek(int week);
    /** The weeks that have races, newest first. */
    std::optional<QList<int>> weeks();
    /** True when tblraces holds a race with exactly this key. */
    std::optional<bool> hasRace(double racenum);
    /** One number a query gives (a count); nullopt with error() set when it fails. */
    std::optional<qint64> number(const char* sql, const QString& what);

    /** How long a connection waits for another program's lock before giving up (5 seconds unless set). */
    static void setBusyTimeout(int milliseconds);
    /** The message for a database that another program keeps locked beyond the busy time-out. */
    static QString inUseMessage(const QString& path);
    /** True when the last failure was another program's lock rather than a fault of the file. */
    bool inUse() const { return m_inUse; }

    /** The SQL that makes the three tables and their indexes. */
    static QStringList schema();

private:
    /** How many columns the index holds (0 when there is no such index); nullopt, with error() set, when the
        schema cannot be read. */
    std::optional<int> indexColumns(const char* index);
    bool failWith(const QString& message);

    Sql::Connection m_sql;
    QString m_error;
    bool m_inUse = false;
};
