#include "db/sqlite.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <iterator>
#include <utility>

namespace Sql
{

Statement::~Statement()
{
    finalize();
}

Statement::Statement(Statement&& other) noexcept
{
    *this = std::move(other);
}

Statement& Statement::operator=(Statement&& other) noexcept
{
    if (this == &other)
        return *this;
    finalize();
    m_connection = std::exchange(other.m_connection, nullptr);
    m_statement = std::exchange(other.m_statement, nullptr);
    m_failed = std::exchange(other.m_failed, false);
    if (m_connection)
        std::replace(m_connection->m_statements.begin(), m_connection->m_statements.end(), &other, this);
    return *this;
}

void Statement::finalize()
{
    if (m_connection)
        std::erase(m_connection->m_statements, this);
    sqlite3_finalize(m_statement);
    m_connection = nullptr;
    m_statement = nullptr;
}

Statement& Statement::check(int rc)
{
    if (rc != SQLITE_OK && !m_failed) {
        m_failed = true;
        if (m_connection)
            m_connection->failed(rc);
    }
    return *this;
}

Statement& Statement::bind(int index, const QString& text)
{
    const QByteArray utf8 = text.toUtf8();
    return check(sqlite3_bind_text(m_statement, index, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT));
}

Statement& Statement::bindUtf8(int index, const QByteArray& utf8)
{
    return check(sqlite3_bind_text(m_statement, index, utf8.constData(), int(utf8.size()), SQLITE_STATIC));
}

Statement& Statement::bindValue(int index, const QVariant& value)
{
    if (value.isNull())
        return bindNull(index);
    switch (value.typeId()) {
    case QMetaType::QString:
        return bind(index, value.toString());
    case QMetaType::Double:
    case QMetaType::Float:
        return bind(index, value.toDouble());
    case QMetaType::QByteArray:
        return bindBlob(index, value.toByteArray());
    default:
        return bind(index, qint64(value.toLongLong()));
    }
}

QVariant Statement::value(int column) const
{
    switch (columnType(column)) {
    case SQLITE_INTEGER:
        return QVariant(integer(column));
    case SQLITE_FLOAT:
        return QVariant(real(column));
    case SQLITE_TEXT:
        return QVariant(text(column));
    case SQLITE_BLOB:
        return QVariant(blob(column));
    default:
        return QVariant();
    }
}

bool Statement::stepEnded(int rc)
{
    if (rc != SQLITE_DONE) {
        m_failed = true;
        if (m_connection)
            m_connection->failed(rc);
    }
    return false;
}

bool Statement::run()
{
    while (next()) {
    }
    const bool ok = m_statement && !m_failed;
    reset();
    return ok;
}

void Statement::reset()
{
    // The result of a reset repeats the last step's, which has been dealt with there.
    sqlite3_reset(m_statement);
    m_failed = false;
}

Connection::~Connection()
{
    close();
}

bool Connection::failed(int rc)
{
    m_errorCode = rc;
    // For a full disk or a failed read or write the system's own words ("No space left on device") say more
    // than the engine's summary; the engine keeps no system error for a full disk.
    const int cause = (rc & 0xff) == SQLITE_FULL    ? ENOSPC
                      : (rc & 0xff) == SQLITE_IOERR ? (m_db ? sqlite3_system_errno(m_db) : 0)
                                                    : 0;
    m_errorMessage = cause != 0 ? QString::fromLocal8Bit(std::strerror(cause))
                     : m_db     ? QString::fromUtf8(sqlite3_errmsg(m_db))
                                : QString::fromUtf8(sqlite3_errstr(rc));
    return false;
}

bool Connection::failed(int rc, const QString& message)
{
    m_errorCode = rc;
    m_errorMessage = message;
    return false;
}

bool Connection::open(const QString& path, Mode mode, int busyTimeoutMs)
{
    if (!close())
        return false;
    m_path = path;
    int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX;
    if (mode == Mode::Create)
        flags |= SQLITE_OPEN_CREATE;
    int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &m_db, flags, nullptr);
    if (rc == SQLITE_OK)
        rc = sqlite3_extended_result_codes(m_db, 1);
    m_busyTimeoutMs = busyTimeoutMs;
    if (rc == SQLITE_OK)
        rc = sqlite3_busy_handler(m_db, &Connection::waitForLock, this);
    if (rc != SQLITE_OK) {
        failed(rc);
        sqlite3_close_v2(m_db);
        m_db = nullptr;
        return false;
    }
    m_errorCode = SQLITE_OK;
    m_errorMessage.clear();
    return true;
}

int Connection::waitForLock(void* self, int count)
{
    // The engine's own time-out starts again at every lock it meets: a transaction that meets a reader at
    // each spill of its cache and again at its commit would wait five seconds each time, as long as the
    // reader holds. So the time is counted across the calls: for one lock outside a transaction, for all the
    // locks of one inside it.
    auto* c = static_cast<Connection*>(self);
    if (count == 0 && !c->m_budgetHeld)
        c->m_waitedMs = 0;
    const qint64 left = c->m_busyTimeoutMs - c->m_waitedMs;
    if (left <= 0)
        return 0;
    static constexpr int Steps[] = {1, 2, 5, 10, 15, 20, 25, 25, 25, 50, 50, 100};
    const int step = int(std::min<qint64>(left, Steps[std::min<std::size_t>(count, std::size(Steps) - 1)]));
    const auto start = std::chrono::steady_clock::now();
    sqlite3_sleep(step);
    const auto slept =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
    c->m_waitedMs += std::max<qint64>(step, slept.count());
    return 1;
}

bool Connection::close()
{
    while (!m_statements.empty())
        m_statements.back()->finalize();
    if (!m_db)
        return true;
    const int rc = sqlite3_close(m_db);
    if (rc != SQLITE_OK)
        return failed(rc);
    m_db = nullptr;
    return true;
}

Statement Connection::prepare(const char* sql)
{
    Statement s;
    if (!m_db) {
        failed(SQLITE_MISUSE, QStringLiteral("the database is not open"));
        return s;
    }
    if (const int rc = sqlite3_prepare_v2(m_db, sql, -1, &s.m_statement, nullptr); rc != SQLITE_OK) {
        failed(rc);
        sqlite3_finalize(s.m_statement);
        s.m_statement = nullptr;
        return s;
    }
    s.m_connection = this;
    m_statements.push_back(&s);
    return s;
}

bool Connection::exec(const char* sql)
{
    if (!m_db)
        return failed(SQLITE_MISUSE, QStringLiteral("the database is not open"));
    const int rc = sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr);
    return rc == SQLITE_OK || failed(rc);
}

Transaction::Transaction(Connection& connection, Kind kind) : m_connection(connection)
{
    m_connection.holdWaitBudget(true);
    m_open = m_connection.exec(kind == Kind::Immediate ? "BEGIN IMMEDIATE" : "BEGIN");
    if (!m_open)
        m_connection.holdWaitBudget(false);
}

Transaction::~Transaction()
{
    rollback();
}

bool Transaction::commit()
{
    if (!m_open)
        return false;
    if (!m_connection.exec("COMMIT"))
        return false; // still open: the destructor rolls it back
    m_open = false;
    m_connection.holdWaitBudget(false);
    return true;
}

void Transaction::rollback()
{
    if (!m_open)
        return;
    m_open = false;
    m_connection.holdWaitBudget(false);
    // The engine may have rolled back already (a full disk, an interrupt).
    if (!m_connection.inTransaction())
        return;
    const int rc = sqlite3_exec(m_connection.handle(), "ROLLBACK", nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) {
        // The failure that led here stays the one reported; this one is added to it.
        const QString before = m_connection.errorMessage();
        m_connection.failed(rc, (before.isEmpty() ? QString() : before + QStringLiteral("; ")) +
                                    QStringLiteral("the changes could not be rolled back: ") +
                                    QString::fromUtf8(sqlite3_errmsg(m_connection.handle())));
    }
}

Savepoint::Savepoint(Connection& connection, const char* name) : m_connection(connection), m_name(name)
{
    m_open = m_connection.exec(("SAVEPOINT " + m_name).constData());
}

Savepoint::~Savepoint()
{
    rollback();
}

bool Savepoint::release()
{
    if (!m_open)
        return false;
    if (!m_connection.exec(("RELEASE " + m_name).constData()))
        return false;
    m_open = false;
    return true;
}

bool Savepoint::rollback()
{
    if (!m_open)
        return false;
    m_open = false;
    if (!m_connection.inTransaction())
        return true; // the engine has rolled the whole transaction back already
    return m_connection.exec(("ROLLBACK TO " + m_name).constData()) &&
           m_connection.exec(("RELEASE " + m_name).constData());
}

} // namespace Sql
