#include "db/database.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace
{
int busyTimeoutMs = 5000;

struct ListingIndex {
    const char* name;
    const char* table;
    const char* sql;
    int columns;
};
// The race index and the horse and owner indexes hold every column a listing reads, so that a name's starts
// and their races come from a few packed pages of the index instead of a page of the table each.
const ListingIndex listingIndexes[] = {
    {"tblraces_racenum", "tblraces",
     "CREATE INDEX tblraces_racenum ON tblraces (racenum, surf, cond, dist, size, purse, cprice, restr, age)",
     9},
    {"tblhorsedata_hname", "tblhorsedata",
     "CREATE INDEX tblhorsedata_hname ON tblhorsedata (hname COLLATE NOCASE, racenum, hid, fin, ppos, sp, "
     "start, odds, oname)",
     9},
    {"tblhorsedata_oname", "tblhorsedata",
     "CREATE INDEX tblhorsedata_oname ON tblhorsedata (oname COLLATE NOCASE, racenum, hname, hid, fin, ppos, "
     "sp, start, odds)",
     9},
};
// A race is stored once: a second row of its key would join every start of the race twice. A trigger keeps
// it so rather than a unique index, which the engine would then prefer to the race index that holds every
// column a listing reads; and a file that already holds a race twice can get it all the same.
const char* const raceOnce =
    "CREATE TRIGGER tblraces_once BEFORE INSERT ON tblraces WHEN EXISTS (SELECT 1 FROM tblraces WHERE "
    "racenum = new.racenum) BEGIN SELECT RAISE(ABORT, 'a race of this key is stored already'); END";

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

QStringList Database::schema()
{
    return {
        QStringLiteral("CREATE TABLE tblraces (racenum REAL NOT NULL, surf TEXT, cond TEXT, dist REAL, "
                       "size INTEGER, purse INTEGER, cprice INTEGER, restr TEXT, age TEXT)"),
        QStringLiteral(
            "CREATE TABLE tblhorsedata (hname TEXT COLLATE NOCASE, hid INTEGER, racenum REAL NOT NULL, "
            "fin INTEGER, ppos INTEGER, sp REAL, start INTEGER, odds REAL, oname TEXT COLLATE NOCASE)"),
        QStringLiteral("CREATE TABLE statecodes (num INTEGER PRIMARY KEY, stcode TEXT)"),
        QString::fromLatin1(listingIndexes[0].sql),
        QStringLiteral("CREATE INDEX tblhorsedata_racenum ON tblhorsedata (racenum)"),
        QString::fromLatin1(listingIndexes[1].sql),
        QStringLiteral("CREATE INDEX tblhorsedata_hid ON tblhorsedata (hid, racenum)"),
        QString::fromLatin1(listingIndexes[2].sql),
        QString::fromLatin1(raceOnce),
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

bool Database::failWith(const QString& message)
{
    m_inUse = false;
    m_error = message;
    return false;
}

bool Database::fail(const QString& what)
{
    if (m_sql.busy()) {
        m_error = inUseMessage(m_sql.path());
        m_inUse = true;
        return false;
    }
    const QString detail = m_sql.errorMessage();
    return failWith(detail.isEmpty() ? what : what + QStringLiteral(": ") + detail);
}

bool Database::open(const QString& path, int busyTimeout)
{
    close();
    if (!QFileInfo::exists(path))
        return failWith(QStringLiteral("The database %1 does not exist").arg(path));
    if (!m_sql.open(path, Sql::Connection::Mode::ReadWrite, busyTimeout < 0 ? busyTimeoutMs : busyTimeout))
        return fail(QStringLiteral("The database %1 cannot be opened").arg(path));
    // Reading the table list fails for a file that is not an SQLite database at all, and also, after the
    // busy time-out, for one that another program keeps locked. This first read is also what rolls back a
    // journal left behind by a program that was stopped in the middle of a write.
    QStringList tables;
    {
        Sql::Statement q = m_sql.prepare("SELECT name FROM sqlite_master WHERE type = 'table'");
        while (q.next())
            tables << q.text(0).toLower();
        if (!q || q.failed()) {
            fail(QStringLiteral("%1 is not a Turf Trawler database").arg(path));
            const QString error = m_error;
            const bool inUse = m_inUse;
            close();
            m_error = error;
            m_inUse = inUse;
            // The engine will not touch a journal that is not a file of the database's own, and then cannot
            // read the database either; the file itself is sound, so say what stands in the way.
            const QFileInfo journal(path + QStringLiteral("-journal"));
            const QString kind = journal.isSymLink() ? QStringLiteral("a link to ") + journal.symLinkTarget()
                                 : journal.isDir()   ? QStringLiteral("a folder")
                                 : journal.exists() && !journal.isFile() ? QStringLiteral("a special file")
                                                                         : QString();
            if (!kind.isEmpty() && !inUse)
                return failWith(
                    QStringLiteral("%1 cannot be read: %2 beside it is %3, not the database's own journal. "
                                   "Nothing was changed; move it away and try again")
                        .arg(path, journal.fileName(), kind));
            return false;
        }
    }
    for (const char* needed : {"tblraces", "tblhorsedata", "statecodes"}) {
        if (!tables.contains(QLatin1String(needed))) {
            close();
            return failWith(QStringLiteral("%1 is not a Turf Trawler database: the table %2 is missing")
                                .arg(path, QLatin1String(needed)));
        }
    }
    return true;
}

bool Database::create(const QString& path)
{
    close();
    if (QFileInfo::exists(path) || QFileInfo(path).isSymLink())
        return failWith(QStringLiteral("%1 already exists; it was left as it is").arg(path));
    if (!m_sql.open(path, Sql::Connection::Mode::Create, busyTimeoutMs))
        return fail(QStringLiteral("The database %1 cannot be created").arg(path));
    bool ok = true;
    {
        Sql::Transaction t(m_sql);
        ok = t.ok();
        for (const QString& statement : schema()) {
            if (ok)
                ok = m_sql.exec(statement);
        }
        ok = ok && t.commit();
    }
    if (!ok) {
        fail(QStringLiteral("The database %1 cannot be created").arg(path));
        const QString error = m_error;
        close();
        QFile::remove(path);
        m_error = error;
        return false;
    }
    return true;
}

bool Database::close()
{
    if (m_sql.close())
        return true;
    // The engine's "busy" here is a statement still open, not another program's lock.
    return failWith(
        QStringLiteral("The database %1 could not be closed: %2").arg(m_sql.path(), m_sql.errorMessage()));
}

Sql::Statement Database::prepare(const char* sql)
{
    Sql::Statement s = m_sql.prepare(sql);
    if (!s)
        fail(QStringLiteral("The database cannot be read"));
    return s;
}

bool Database::exec(const char* sql, const QString& what)
{
    return m_sql.exec(sql) || fail(what);
}

std::optional<qint64> Database::number(const char* sql, const QString& what)
{
    Sql::Statement q = prepare(sql);
    if (!q.next()) {
        fail(what);
        return std::nullopt;
    }
    return q.integer(0);
}

bool Database::ensureUniqueRaces()
{
    const auto present = number("SELECT COUNT(*) FROM sqlite_master WHERE name = 'tblraces_once'",
                                QStringLiteral("The schema cannot be read"));
    if (!present)
        return false;
    return *present > 0 || exec(raceOnce, QStringLiteral("The race table cannot be prepared"));
}

bool Database::ensureListingIndexes(const std::function<void(const QString&)>& progress)
{
    if (!ensureUniqueRaces())
        return false;
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
    const QString what = QStringLiteral("The indexes cannot be built");
    // The share done is counted in the engine's steps: building an index takes about 20 for each row of its
    // table, half while the rows are read and sorted, half while the index is written.
    BuildProgress share{progress, 0};
    for (const ListingIndex* index : missing) {
        const QByteArray sql = "SELECT COALESCE(MAX(rowid), 0) FROM " + QByteArray(index->table);
        const auto rows = number(sql.constData(), what);
        if (!rows)
            return false;
        share.steps += 20.0 * double(*rows);
    }
    share.show(0);
    Sql::Transaction t(m_sql);
    if (!t.ok())
        return fail(what);
    sqlite3_progress_handler(m_sql.handle(), BuildProgress::interval, &BuildProgress::step, &share);
    bool built = true;
    for (const ListingIndex* index : missing) {
        built = m_sql.exec(QStringLiteral("DROP INDEX IF EXISTS %1").arg(QLatin1String(index->name))) &&
                m_sql.exec(index->sql);
        if (!built)
            break;
    }
    sqlite3_progress_handler(m_sql.handle(), 0, nullptr, nullptr);
    return (built && t.commit()) || fail(what);
}

std::optional<int> Database::indexColumns(const char* index)
{
    Sql::Statement q = prepare("SELECT COUNT(*) FROM pragma_index_info(?)");
    if (!q.bindUtf8(1, QByteArray(index)).next()) {
        fail(QStringLiteral("The indexes cannot be read"));
        return std::nullopt;
    }
    return int(q.integer(0));
}

bool Database::holdChangesInMemory()
{
    return exec("PRAGMA cache_size = -65536",
                QStringLiteral("The database cannot be prepared for the change"));
}

bool Database::removeWeek(int week)
{
    for (const char* sql : {"DELETE FROM tblhorsedata WHERE racenum < ? AND racenum > ?",
                            "DELETE FROM tblraces WHERE racenum < ? AND racenum > ?"}) {
        Sql::Statement q = prepare(sql);
        if (!q.bind(1, week + 1).bind(2, week).run())
            return fail(QStringLiteral("Week %1 could not be removed").arg(week));
    }
    return true;
}

std::optional<QList<int>> Database::weeks()
{
    // One row per week: the index on racenum makes this a scan of the distinct whole parts.
    Sql::Statement q = prepare("SELECT DISTINCT CAST(racenum AS INTEGER) FROM tblraces WHERE racenum >= 0 "
                               "ORDER BY 1 DESC");
    QList<int> out;
    while (q.next())
        out << int(q.integer(0));
    if (!q || q.failed()) {
        fail(QStringLiteral("The week list cannot be read"));
        return std::nullopt;
    }
    return out;
}

std::optional<bool> Database::hasRace(double racenum)
{
    Sql::Statement q = prepare("SELECT 1 FROM tblraces WHERE racenum = ? LIMIT 1");
    const bool found = q.bind(1, racenum).next();
    if (!q || q.failed()) {
        fail(QStringLiteral("The race table cannot be read"));
        return std::nullopt;
    }
    return found;
}
