#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QStringList>

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
     */
    bool open(const QString& path);
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

    bool begin();
    bool commit();
    void rollback();

    /** Deletes week w: the starts of the band w < racenum < w + 1 first, then its races. */
    bool removeWeek(int week);
    /** The weeks that have races, newest first. */
    std::optional<QList<int>> weeks();
    /** True when tblraces holds a race with exactly this key. */
    std::optional<bool> hasRace(double racenum);

    /** The SQL that makes the three tables and their indexes. */
    static QStringList schema();

private:
    friend class EngineStatement;
    bool fail(const QString& what, const QString& detail);

    QSqlDatabase m_db;
    std::vector<EngineStatement*> m_statements;
    QString m_name;
    QString m_error;
};
