#include "database.h"

#include <QAtomicInt>
#include <QFileInfo>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>

#include <sqlite3.h>

#include <algorithm>
#include <utility>

namespace
{
int busyTimeoutMs = 5000;

struct ListingIndex {
    QLatin1String name;
    QLatin1String table;
    QLatin1String sql;
    int columns;
};
// The race index and the horse and owner indexes hold every column a listing reads, so that a name's starts
// and their races come from a few packed pages of the index instead of a page of the table each.
const ListingIndex listingIndexes[] = {
    {QLatin1String("tblraces_racenum"), QLatin1String("tblraces"),
     QLatin1String("CREATE INDEX tblraces_racenum ON tblraces (racenum, surf, cond, dist, size, purse, "
                   "cprice, restr, age)"),
     9},
    {QLatin1String("tblhorsedata_hname"), QLatin1String("tblhorsedata"),
     QLatin1String(
         "CREATE INDEX tblhorsedata_hname ON tblhorsedata (hname COLLATE NOCASE, racenum, hid, fin, "
         "ppos, sp, start, odds, oname)"),
     9},
    {QLatin1String("tblhorsedata_oname"), QLatin1String("tblhorsedata"),
     QLatin1String("CREATE INDEX tblhorsedata_oname ON tblhorsedata (oname COLLATE NOCASE, racenum, hname, "
                   "hid, fin, ppos, sp, start, odds)"),
     9},
};
/** The share of an index build done, shown as it changes. */
struct BuildProgress {
    static constexpr int interval = 100000; // engine steps between two calls of step()
    const std::function<void(const QString&)>& progress;
    double steps;
    double done = 0;
    int shown = -1;

    void show(int percent)
    {
        if (percent == shown)
            return;
        shown = percent;
        progress(QStringLiteral("Building the search indexes: %1%").arg(percent));
    }
    static int step(void* self)
    {
        auto* b = static_cast<BuildProgress*>(self);
        b->done += interval;
        // In steps of five: a minute's build is shown moving, without a repaint for every percent.
        b->show(b->steps > 0 ? std::min(95, int(b->done * 20 / b->steps) * 5) : 95);
        return 0; // never interrupts
    }
};
} // namespace

static QString nextConnectionName()
{
    static QAtomicInt counter;
    return QStringLiteral("turf-%1").arg(counter.fetchAndAddRelaxed(1));
}

EngineStatement::~EngineStatement()
{
    finalize();
}

EngineStatement::EngineStatement(EngineStatement&& other) noexcept
{
    *this = std::move(other);
}

EngineStatement& EngineStatement::operator=(EngineStatement&& other) noexcept
{
    if (this == &other)
        return *this;
    finalize();
    m_db = std::exchange(other.m_db, nullptr);
    m_statement = std::exchange(other.m_statement, nullptr);
    if (m_db)
        std::replace(m_db->m_statements.begin(), m_db->m_statements.end(), &other, this);
    return *this;
}

void EngineStatement::finalize()
{
    if (m_db)
        std::erase(m_db->m_statements, this);
    sqlite3_finalize(m_statement);
    m_db = nullptr;
    m_statement = nullptr;
}

Database::Database() : m_name(nextConnectionName()) {}

Database::~Database()
{
    close();
    m_db = QSqlDatabase();
    QSqlDatabase::removeDatabase(m_name);
}

QStringList Database::schema()
{
    return {
        QStringLiteral("CREATE TABLE tblraces (racenum REAL NOT NULL, surf TEXT, cond TEXT, dist REAL, "
                       "size INTEGER, purse INTEGER, cprice INTEGER, restr TEXT, age TEXT)"),
        QStringLiteral(
            "CREATE TABLE tblhorsedata (hname TEXT COLLATE NOCASE, hid INTEGER, racenum REAL NOT NULL, "
            "fin INTEGER, ppos INTEGER, sp REAL, start INTEGER, odds REAL, oname TEXT COLLATE NOCASE)"),
        QStringLiteral("CREATE TABLE statecodes (num INTEGER PRIMARY KEY, stcode TEXT)"),
        listingIndexes[0].sql,
        QStringLiteral("CREATE INDEX tblhorsedata_racenum ON tblhorsedata (racenum)"),
        listingIndexes[1].sql,
        QStringLiteral("CREATE INDEX tblhorsedata_hid ON tblhorsedata (hid, racenum)"),
        listingIndexes[2].sql,
    };
}

void Database::setBusyTimeout(int milliseconds)
{
    busyTimeoutMs = milliseconds;
}

QString Database::inUseMessage(const QString& path)
{
    return QStringLiteral(
               "%1 is in use by another program. Close that program or wait until it has finished, "
               "then try again.")
        .arg(QFileInfo(path).fileName());
}

bool Database::isBusyCode(int code)
{
    return (code & 0xff) == SQLITE_BUSY || (code & 0xff) == SQLITE_LOCKED;
}

bool Database::fail(const QString& what, const QString& detail)
{
    m_inUse = false;
    m_error = detail.isEmpty() ? what : what + QStringLiteral(": ") + detail;
    return false;
}

bool Database::fail(const QString& what, const QSqlError& error)
{
    if (isBusyCode(error.nativeErrorCode().toInt())) {
        m_error = inUseMessage(m_db.databaseName());
        m_inUse = true;
        return false;
    }
    return fail(what, error.text());
}

bool Database::open(const QString& path, int busyTimeout)
{
    close();
    if (!QFileInfo::exists(path))
        return fail(QStringLiteral("The database %1 does not exist").arg(path), QString());
    m_db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
    m_db.setDatabaseName(path);
    // Another program writing to the file holds it for a moment; waiting a little rides that out.
    m_db.setConnectOptions(
        QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(busyTimeout < 0 ? busyTimeoutMs : busyTimeout));
    if (!m_db.open())
        return fail(QStringLiteral("The database %1 cannot be opened").arg(path), m_db.lastError());
    QSqlQuery q(m_db);
    // Reading the table list fails for a file that is not an SQLite database at all, and also, after the
    // busy time-out, for one that another program keeps locked. This first read is also what rolls back a
    // journal left behind by a program that was stopped in the middle of a write.
    if (!q.exec(QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table'"))) {
        const QSqlError error = q.lastError();
        close();
        // The engine will not touch a journal that is not a file of the database's own, and then cannot read
        // the database either; the file itself is sound, so say what stands in the way.
        const QFileInfo journal(path + QStringLiteral("-journal"));
        const QString kind = journal.isSymLink() ? QStringLiteral("a link to ") + journal.symLinkTarget()
                             : journal.isDir()   ? QStringLiteral("a folder")
                             : journal.exists() && !journal.isFile() ? QStringLiteral("a special file")
                                                                     : QString();
        if (!kind.isEmpty())
            return fail(
                QStringLiteral("%1 cannot be read: %2 beside it is %3, not the database's own journal. "
                               "Nothing was changed; move it away and try again")
                    .arg(path, journal.fileName(), kind),
                QString());
        return fail(QStringLiteral("%1 is not a Turf Trawler database").arg(path), error);
    }
    QStringList tables;
    while (q.next())
        tables << q.value(0).toString().toLower();
    for (const char* needed : {"tblraces", "tblhorsedata", "statecodes"}) {
        if (!tables.contains(QLatin1String(needed))) {
            close();
            return fail(QStringLiteral("%1 is not a Turf Trawler database").arg(path),
                        QStringLiteral("the table %1 is missing").arg(QLatin1String(needed)));
        }
    }
    q.exec(QStringLiteral("PRAGMA foreign_keys = OFF"));
    return true;
}

bool Database::create(const QString& path)
{
    close();
    if (QFileInfo::exists(path))
        return fail(QStringLiteral("%1 already exists; it was left as it is").arg(path), QString());
    m_db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
    m_db.setDatabaseName(path);
    if (!m_db.open())
        return fail(QStringLiteral("The database %1 cannot be created").arg(path), m_db.lastError().text());
    QSqlQuery q(m_db);
    m_db.transaction();
    for (const QString& statement : schema()) {
        if (!q.exec(statement)) {
            const QString detail = q.lastError().text();
            m_db.rollback();
            close();
            QFile::remove(path);
            return fail(QStringLiteral("The database %1 cannot be created").arg(path), detail);
        }
    }
    m_db.commit();
    return true;
}

bool Database::close()
{
    // The engine refuses to close a connection that still has a statement; the driver finalises its own.
    while (!m_statements.empty())
        m_statements.back()->finalize();
    if (!isOpen())
        return true;
    m_db.close();
    // A refused close is the only connection error an open connection can report.
    if (m_db.lastError().type() == QSqlError::ConnectionError)
        return fail(QStringLiteral("The database %1 could not be closed").arg(m_db.databaseName()),
                    m_db.lastError().text());
    return true;
}

sqlite3* Database::engine()
{
    if (!isOpen())
        return nullptr;
    const QVariant handle = m_db.driver()->handle();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0)
        return nullptr;
    return *static_cast<sqlite3* const*>(handle.constData());
}

EngineStatement Database::prepare(const char* sql)
{
    EngineStatement s;
    sqlite3* h = engine();
    if (!h) {
        fail(QStringLiteral("The database driver gives no access to the database"), QString());
        return s;
    }
    if (sqlite3_prepare_v2(h, sql, -1, &s.m_statement, nullptr) != SQLITE_OK) {
        fail(QStringLiteral("The database cannot be read"), QString::fromUtf8(sqlite3_errmsg(h)));
        sqlite3_finalize(s.m_statement);
        s.m_statement = nullptr;
        return s;
    }
    s.m_db = this;
    m_statements.push_back(&s);
    return s;
}

bool Database::isOpen() const
{
    return m_db.isValid() && m_db.isOpen();
}

bool Database::ensureListingIndexes(const std::function<void(const QString&)>& progress)
{
    QSqlQuery q(m_db);
    QList<const ListingIndex*> missing;
    for (const ListingIndex& index : listingIndexes) {
        const std::optional<int> columns = indexColumns(index.name);
        if (!columns)
            return false;
        if (*columns != index.columns)
            missing << &index;
    }
    if (missing.isEmpty())
        return true;
    // The share done is counted in the engine's steps: building an index takes about 20 for each row of its
    // table, half while the rows are read and sorted, half while the index is written.
    BuildProgress share{progress, 0};
    for (const ListingIndex* index : missing) {
        if (!q.exec(QStringLiteral("SELECT COALESCE(MAX(rowid), 0) FROM ") + index->table) || !q.next())
            return fail(QStringLiteral("The indexes cannot be built"), q.lastError());
        share.steps += 20.0 * q.value(0).toDouble();
    }
    share.show(0);
    if (!begin())
        return false;
    sqlite3* h = engine();
    if (h)
        sqlite3_progress_handler(h, BuildProgress::interval, &BuildProgress::step, &share);
    bool built = true;
    for (const ListingIndex* index : missing) {
        if (!q.exec(QStringLiteral("DROP INDEX IF EXISTS ") + index->name) || !q.exec(index->sql)) {
            built = false;
            break;
        }
    }
    if (h)
        sqlite3_progress_handler(h, 0, nullptr, nullptr);
    if (!built) {
        const QSqlError error = q.lastError();
        rollback();
        return fail(QStringLiteral("The indexes cannot be built"), error);
    }
    if (!commit()) {
        rollback();
        return false;
    }
    return true;
}

std::optional<int> Database::indexColumns(const QString& index)
{
    QSqlQuery q(m_db);
    q.prepare(QStringLiteral("SELECT COUNT(*) FROM pragma_index_info(?)"));
    q.addBindValue(index);
    if (!q.exec() || !q.next()) {
        fail(QStringLiteral("The indexes cannot be read"), q.lastError());
        return std::nullopt;
    }
    return q.value(0).toInt();
}

bool Database::begin()
{
    return m_db.transaction() || fail(QStringLiteral("Cannot start a transaction"), m_db.lastError());
}
bool Database::commit()
{
    return m_db.commit() || fail(QStringLiteral("Cannot store the changes"), m_db.lastError());
}
void Database::rollback()
{
    m_db.rollback();
}

bool Database::removeWeek(int week)
{
    for (const char* table : {"tblhorsedata", "tblraces"}) {
        QSqlQuery q(m_db);
        q.prepare(
            QStringLiteral("DELETE FROM %1 WHERE racenum < ? AND racenum > ?").arg(QLatin1String(table)));
        q.addBindValue(week + 1);
        q.addBindValue(week);
        if (!q.exec())
            return fail(QStringLiteral("Week %1 could not be removed").arg(week), q.lastError());
    }
    return true;
}

std::optional<QList<int>> Database::weeks()
{
    QSqlQuery q(m_db);
    q.setForwardOnly(true);
    // One row per week: the index on racenum makes this a scan of the distinct whole parts.
    if (!q.exec(QStringLiteral("SELECT DISTINCT CAST(racenum AS INTEGER) FROM tblraces WHERE racenum >= 0 "
                               "ORDER BY 1 DESC"))) {
        fail(QStringLiteral("The week list cannot be read"), q.lastError());
        return std::nullopt;
    }
    QList<int> out;
    while (q.next())
        out << q.value(0).toInt();
    return out;
}

std::optional<bool> Database::hasRace(double racenum)
{
    QSqlQuery q(m_db);
    q.prepare(QStringLiteral("SELECT 1 FROM tblraces WHERE racenum = ? LIMIT 1"));
    q.addBindValue(racenum);
    if (!q.exec()) {
        fail(QStringLiteral("The race table cannot be read"), q.lastError());
        return std::nullopt;
    }
    return q.next();
}
