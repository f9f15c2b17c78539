#include "import/racewriter.h"

#include "db/database.h"

#include <QSqlDriver>
#include <QVariant>

#include <sqlite3.h>

RaceWriter::RaceWriter(Database& db)
{
    const QVariant handle = db.handle().driver()->handle();
    if (handle.isValid() && qstrcmp(handle.typeName(), "sqlite3*") == 0)
        m_db = *static_cast<sqlite3* const*>(handle.constData());
    if (!m_db) {
        m_error = QStringLiteral("The database connection is not available");
        return;
    }
    // The indexes of a growing database outgrow the default page cache within a few weeks of starts; a
    // larger cache for this connection keeps the index pages in memory for the whole import.
    sqlite3_exec(m_db, "PRAGMA cache_size = -65536", nullptr, nullptr, nullptr);
    const char* races = "INSERT INTO tblraces (racenum, surf, cond, dist, size, purse, cprice, restr, age) "
                        "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)";
    const char* starts = "INSERT INTO tblhorsedata (hname, hid, racenum, fin, ppos, sp, start, odds, oname) "
                         "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)";
    if (sqlite3_prepare_v2(m_db, races, -1, &m_races, nullptr) != SQLITE_OK ||
        sqlite3_prepare_v2(m_db, starts, -1, &m_starts, nullptr) != SQLITE_OK)
        m_error = QString::fromUtf8(sqlite3_errmsg(m_db));
}

RaceWriter::~RaceWriter()
{
    sqlite3_finalize(m_races);
    sqlite3_finalize(m_starts);
}

bool RaceWriter::exec(const char* sql)
{
    if (!m_db)
        return false;
    const int rc = sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr);
    return rc == SQLITE_OK || failed(rc);
}

bool RaceWriter::failed(int rc)
{
    m_inUse = Database::isBusyCode(rc);
    m_error = m_inUse ? Database::inUseMessage(QString::fromUtf8(sqlite3_db_filename(m_db, "main")))
                      : QString::fromUtf8(sqlite3_errmsg(m_db));
    return false;
}

bool RaceWriter::begin()
{
    // A deferred transaction would read first and then find the write lock taken, which the engine reports
    // at once instead of waiting; taking the write lock first waits out another program's short write.
    return exec("BEGIN IMMEDIATE");
}
bool RaceWriter::savepoint()
{
    return exec("SAVEPOINT resultsfile");
}
bool RaceWriter::releaseSavepoint()
{
    return exec("RELEASE resultsfile");
}
bool RaceWriter::rollbackToSavepoint()
{
    return exec("ROLLBACK TO resultsfile") && releaseSavepoint();
}
bool RaceWriter::commit()
{
    return exec("COMMIT");
}

bool RaceWriter::step(sqlite3_stmt* statement)
{
    const int rc = sqlite3_step(statement);
    sqlite3_reset(statement);
    return rc == SQLITE_DONE || failed(rc);
}

static void bindText(sqlite3_stmt* s, int i, const QString& text)
{
    const QByteArray utf8 = text.toUtf8();
    sqlite3_bind_text(s, i, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
}

bool RaceWriter::addRace(const RaceRow& r)
{
    sqlite3_bind_double(m_races, 1, r.racenum);
    bindText(m_races, 2, r.surf);
    bindText(m_races, 3, r.cond);
    sqlite3_bind_double(m_races, 4, r.dist);
    sqlite3_bind_int(m_races, 5, r.size);
    sqlite3_bind_int(m_races, 6, r.purse);
    sqlite3_bind_int(m_races, 7, r.cprice);
    bindText(m_races, 8, r.restr);
    bindText(m_races, 9, r.age);
    return step(m_races);
}

bool RaceWriter::addStart(const StartRow& s)
{
    sqlite3_bind_text(m_starts, 1, s.hname.constData(), int(s.hname.size()), SQLITE_STATIC);
    sqlite3_bind_int(m_starts, 2, s.hid);
    sqlite3_bind_double(m_starts, 3, s.racenum);
    sqlite3_bind_int(m_starts, 4, s.fin);
    sqlite3_bind_int(m_starts, 5, s.ppos);
    sqlite3_bind_double(m_starts, 6, s.sp);
    sqlite3_bind_int(m_starts, 7, s.start);
    sqlite3_bind_double(m_starts, 8, s.odds);
    sqlite3_bind_text(m_starts, 9, s.oname.constData(), int(s.oname.size()), SQLITE_STATIC);
    return step(m_starts);
}
