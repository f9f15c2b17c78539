#pragma once

#include <QByteArray>
#include <QString>
#include <QVariant>

#include <sqlite3.h>

#include <string_view>
#include <vector>

/**
 * The one way to the database engine: a connection, the statements prepared on it and the transaction
 * guards, over the engine's C interface. Every call that can fail is checked; a failure is kept on the
 * connection (code and message) for the caller to report.
 */
namespace Sql
{

class Connection;

/** True for an engine result code that means another connection holds the lock. */
inline bool isBusyCode(int code)
{
    return (code & 0xff) == SQLITE_BUSY || (code & 0xff) == SQLITE_LOCKED;
}

/**
 * A prepared statement. The connection finalises it when it closes, so that a statement can never keep the
 * file open; after that it is empty. A failed bind is remembered: the next step fails with its message.
 */
class Statement
{
public:
    Statement() = default;
    ~Statement();
    Statement(Statement&& other) noexcept;
    Statement& operator=(Statement&& other) noexcept;
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    explicit operator bool() const { return m_statement != nullptr; }

    Statement& bind(int index, double value) { return check(sqlite3_bind_double(m_statement, index, value)); }
    Statement& bind(int index, int value) { return check(sqlite3_bind_int(m_statement, index, value)); }
    Statement& bind(int index, qint64 value) { return check(sqlite3_bind_int64(m_statement, index, value)); }
    /** Binds a copy of the text. */
    Statement& bind(int index, const QString& text);
    /** Binds UTF-8 bytes that the caller keeps unchanged until the statement is reset or bound again. */
    Statement& bindUtf8(int index, const QByteArray& utf8);
    Statement& bindNull(int index) { return check(sqlite3_bind_null(m_statement, index)); }
    /** Binds a value by its type: null, text, a floating-point or a whole number, or bytes as a blob. */
    Statement& bindValue(int index, const QVariant& value);
    /** Binds a copy of the bytes as a blob. */
    Statement& bindBlob(int index, const QByteArray& bytes)
    {
        return check(
            sqlite3_bind_blob(m_statement, index, bytes.constData(), int(bytes.size()), SQLITE_TRANSIENT));
    }

    /** Steps once: true when a row is ready, false at the end or on a failure (failed() tells which). */
    bool next()
    {
        if (!m_statement || m_failed)
            return false;
        const int rc = sqlite3_step(m_statement);
        return rc == SQLITE_ROW || stepEnded(rc);
    }
    /** Runs the statement to its end and resets it; false, with the error on the connection, on a failure. */
    bool run();
    /** Makes the statement ready to run again with its bindings. */
    void reset();
    bool failed() const { return m_failed; }

    int columnCount() const { return sqlite3_column_count(m_statement); }
    /** The column as a value of its stored type (a null value for NULL). */
    QVariant value(int column) const;
    int columnType(int column) const { return sqlite3_column_type(m_statement, column); }
    bool isNull(int column) const { return columnType(column) == SQLITE_NULL; }
    double real(int column) const { return sqlite3_column_double(m_statement, column); }
    qint64 integer(int column) const { return sqlite3_column_int64(m_statement, column); }
    /** The column's text as the engine holds it (UTF-8), valid until the next step. */
    std::string_view utf8(int column) const
    {
        const auto* t = reinterpret_cast<const char*>(sqlite3_column_text(m_statement, column));
        return t ? std::string_view(t, std::size_t(sqlite3_column_bytes(m_statement, column)))
                 : std::string_view();
    }
    QByteArray blob(int column) const
    {
        const auto* b = static_cast<const char*>(sqlite3_column_blob(m_statement, column));
        return b ? QByteArray(b, sqlite3_column_bytes(m_statement, column)) : QByteArray();
    }
    QString text(int column) const
    {
        const std::string_view t = utf8(column);
        return QString::fromUtf8(t.data(), qsizetype(t.size()));
    }

private:
    friend class Connection;
    Statement& check(int rc);
    /** After the last row: false, the failure kept when it was not the end. */
    bool stepEnded(int rc);
    void finalize();

    Connection* m_connection = nullptr;
    sqlite3_stmt* m_statement = nullptr;
    bool m_failed = false;
};

/** One connection to a database file, closed when the object goes. */
class Connection
{
public:
    Connection() = default;
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    enum class Mode { ReadWrite, Create };
    /** Opens the file (creating it only in Create mode) and sets how long to wait for another program's
        lock: at most busyTimeoutMs for one statement outside a transaction, and as long in all for every
        wait of one transaction. */
    bool open(const QString& path, Mode mode, int busyTimeoutMs);
    /** Finalises every statement prepared on the connection, then closes it; false when the engine still
        refuses (a statement prepared behind the connection's back), the file then staying open. */
    bool close();
    bool isOpen() const { return m_db != nullptr; }
    QString path() const { return m_path; }

    /** Prepares a statement; an empty one, with the error kept, when that fails. */
    Statement prepare(const char* sql);
    Statement prepare(const QString& sql) { return prepare(sql.toUtf8().constData()); }
    /** Runs one or more statements that return no rows. */
    bool exec(const char* sql);
    bool exec(const QString& sql) { return exec(sql.toUtf8().constData()); }

    /** The rowid of the last row inserted. */
    qint64 lastInsertRowid() const { return m_db ? sqlite3_last_insert_rowid(m_db) : 0; }
    /** Rows changed by the last insert, update or delete. */
    qint64 changes() const { return m_db ? sqlite3_changes64(m_db) : 0; }
    /** True while a transaction is open. */
    bool inTransaction() const { return m_db && !sqlite3_get_autocommit(m_db); }

    /** The last failure's result code (SQLITE_OK when none) and its message. */
    int errorCode() const { return m_errorCode; }
    QString errorMessage() const { return m_errorMessage; }
    /** True when the last failure was another connection's lock rather than a fault of the file. */
    bool busy() const { return isBusyCode(m_errorCode); }

    /** Keeps a failure for the caller: the engine's code and message on this connection. Always false. */
    bool failed(int rc);
    /** Keeps a failure of the program's own. Always false. */
    bool failed(int rc, const QString& message);

    /** The engine's handle, for its backup and progress interfaces. */
    sqlite3* handle() const { return m_db; }

    /** While a transaction runs, its waits for the lock share one budget (see open()). */
    void holdWaitBudget(bool held)
    {
        m_budgetHeld = held;
        m_waitedMs = 0;
    }

private:
    friend class Statement;
    static int waitForLock(void* self, int count);

    sqlite3* m_db = nullptr;
    int m_busyTimeoutMs = 0;
    qint64 m_waitedMs = 0;
    bool m_budgetHeld = false;
    QString m_path;
    std::vector<Statement*> m_statements;
    int m_errorCode = SQLITE_OK;
    QString m_errorMessage;
};

/**
 * A transaction, begun at construction (IMMEDIATE takes the write lock at once, so that another program's
 * short write is waited for there) and rolled back when left without commit().
 */
class Transaction
{
public:
    enum class Kind { Deferred, Immediate };
    explicit Transaction(Connection& connection, Kind kind = Kind::Immediate);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    bool ok() const { return m_open; }
    bool commit();
    void rollback();

private:
    Connection& m_connection;
    bool m_open = false;
};

/** A savepoint inside a transaction, rolled back to and released when left without release(). */
class Savepoint
{
public:
    Savepoint(Connection& connection, const char* name);
    ~Savepoint();
    Savepoint(const Savepoint&) = delete;
    Savepoint& operator=(const Savepoint&) = delete;

    bool ok() const { return m_open; }
    bool release();
    /** Undoes everything since the savepoint and ends it. */
    bool rollback();

private:
    Connection& m_connection;
    QByteArray m_name;
    bool m_open = false;
};

} // namespace Sql
