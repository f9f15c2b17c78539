#pragma once

#include <QSqlDatabase>
#include <QSqlError>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;
class Database;

/**
 * A statement prepared through the engine's own interface on a Database's connection, for the paths that
 * read or write thousands of rows. The database finalises it when it closes, so a statement can never keep
 * the file open; after that it is empty.
 */
class EngineStatement
{
public:
    EngineStatement() = default;
    ~EngineStatement();
    EngineStatement(EngineStatement&& other) noexcept;
    EngineStatement& operator=(EngineStatement&& other) noexcept;
    EngineStatement(const EngineStatement&) = delete;
    EngineStatement& operator=(const EngineStatement&) = delete;

    sqlite3_stmt* get() const { return m_statement; }
    explicit operator bool() const { return m_statement != nullptr; }

private:
    friend class Database;
    void finalize();

    Database* m_db = nullptr;
    sqlite3_stmt* m_statement = nullptr;
};

/**
 * The race database horses.mdb: an SQLite file with tblraces, tblhorsedata and statecodes.
 * Each instance owns one connection and everything prepared on it; it closes when the object goes.
 */
class Database
{
public:
    Database();
    ~Database();
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
    bool isOpen() const;

    QSqlDatabase& handle() { return m_db; }
    /** The engine's own handle of the open connection, or null. */
    sqlite3* engine();
    /** Prepares a statement on the engine's handle; an empty one, with error() set, when that fails. */
    EngineStatement prepare(const char* sql);
    /** The last error as a message for the user. */
    QString error() const { return m_error; }

    /**
     * Builds the race, horse and owner indexes again where an older file has them without the columns a
     * listing reads, in one transaction, saying so through `progress` first. False with error() set when they
     * could not be built; the file then keeps the indexes it had, and every search stays exact.
     */
    bool ensureListingIndexes(const std::function<void(const QString&)>& progress);

    bool begin();
    bool commit();
    void rollback();

    /** Deletes week w: the starts of the band w < racenum < w + 1 first, then its races. */
    bool removeWeek(int week);
    /** The weeks that have races, newest first. */
    std::optional<QList<int>> weeks();
    /** True when tblraces holds a race with exactly this key. */
    std::optional<bool> hasRace(double racenum);

    /** How long a connection waits for another program's lock before giving up (5 seconds unless set). */
    static void setBusyTimeout(int milliseconds);
    /** The message for a database that another program keeps locked beyond the busy time-out. */
    static QString inUseMessage(const QString& path);
    /** True for an engine result code that means another connection holds the lock. */
    static bool isBusyCode(int code);
    /** True when the last failure was another program's lock rather than a fault of the file. */
    bool inUse() const { return m_inUse; }

    /** The SQL that makes the three tables and their indexes. */
    static QStringList schema();

private:
    friend class EngineStatement;
    /** How many columns the index holds (0 when there is no such index); nullopt, with error() set, when the
        schema cannot be read. */
    std::optional<int> indexColumns(const QString& index);
    bool fail(const QString& what, const QString& detail);
    bool fail(const QString& what, const QSqlError& error);

    QSqlDatabase m_db;
    std::vector<EngineStatement*> m_statements;
    QString m_name;
    QString m_error;
    bool m_inUse = false;
};
