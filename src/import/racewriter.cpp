#include "import/racewriter.h"

#include <sqlite3.h>

#include <cerrno>
#include <cstring>

RaceWriter::RaceWriter(Database& db) : m_db(db.engine())
{
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
    m_races = db.prepare(races);
    m_starts = db.prepare(starts);
    if (!ok())
        m_error = db.error();
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
    // After a full disk or an I/O error the engine rolls the whole transaction back by itself; what fails
    // after that (the release of a savepoint, the commit) only says that no transaction is left, so the
    // player is told the first cause.
    if (!m_error.isEmpty() && sqlite3_get_autocommit(m_db))
        return false;
    m_inUse = Database::isBusyCode(rc);
    m_error = m_inUse ? Database::inUseMessage(QString::fromUtf8(sqlite3_db_filename(m_db, "main")))
              : (rc & 0xff) == SQLITE_FULL ? QString::fromLocal8Bit(std::strerror(ENOSPC))
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
    sqlite3_stmt* q = m_races.get();
    sqlite3_bind_double(q, 1, r.racenum);
    bindText(q, 2, r.surf);
    bindText(q, 3, r.cond);
    sqlite3_bind_double(q, 4, r.dist);
    sqlite3_bind_int(q, 5, r.size);
    sqlite3_bind_int(q, 6, r.purse);
    sqlite3_bind_int(q, 7, r.cprice);
    bindText(q, 8, r.restr);
    bindText(q, 9, r.age);
    return step(q);
}

bool RaceWriter::addStart(const StartRow& s)
{
    sqlite3_stmt* q = m_starts.get();
    sqlite3_bind_text(q, 1, s.hname.constData(), int(s.hname.size()), SQLITE_STATIC);
    sqlite3_bind_int(q, 2, s.hid);
    sqlite3_bind_double(q, 3, s.racenum);
    sqlite3_bind_int(q, 4, s.fin);
    sqlite3_bind_int(q, 5, s.ppos);
    sqlite3_bind_double(q, 6, s.sp);
    sqlite3_bind_int(q, 7, s.start);
    sqlite3_bind_double(q, 8, s.odds);
    sqlite3_bind_text(q, 9, s.oname.constData(), int(s.oname.size()), SQLITE_STATIC);
    return step(q);
}
