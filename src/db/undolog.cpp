#include "db/undolog.h"

#include "core/format.h"
#include "db/database.h"
#include "db/racekey.h"

#include <QCryptographicHash>

#include <cmath>
#include <map>

namespace UndoLog
{

namespace
{

// The kept rows keep every column as it was stored: the columns take no type, so nothing is converted on the
// way in or back. seq is the row's place in its table, which gives the rows back in their stored order. For
// each week, `after` is the digest of what the change left there, and races, starts and `kept` what it kept
// of it (a file of an older version has them empty for its changes).
const char* const Schema =
    "CREATE TABLE IF NOT EXISTS tblundo_changes (id INTEGER PRIMARY KEY, kind TEXT NOT NULL, "
    "made TEXT NOT NULL, starts INTEGER NOT NULL);"
    "CREATE TABLE IF NOT EXISTS tblundo_weeks (change INTEGER NOT NULL, week INTEGER NOT NULL, after BLOB, "
    "races INTEGER, starts INTEGER, kept BLOB, PRIMARY KEY (change, week)) WITHOUT ROWID;"
    "CREATE TABLE IF NOT EXISTS tblundo_races (change INTEGER NOT NULL, seq INTEGER NOT NULL, racenum, surf, "
    "cond, dist, size, purse, cprice, restr, age, PRIMARY KEY (change, seq)) WITHOUT ROWID;"
    "CREATE TABLE IF NOT EXISTS tblundo_starts (change INTEGER NOT NULL, seq INTEGER NOT NULL, hname, hid, "
    "racenum, fin, ppos, sp, start, odds, oname, PRIMARY KEY (change, seq)) WITHOUT ROWID;";
const char* const Upgrade = "ALTER TABLE tblundo_weeks ADD COLUMN races INTEGER;"
                            "ALTER TABLE tblundo_weeks ADD COLUMN starts INTEGER;"
                            "ALTER TABLE tblundo_weeks ADD COLUMN kept BLOB;";

const char* const Tables[] = {"tblundo_changes", "tblundo_weeks", "tblundo_races", "tblundo_starts"};

constexpr auto Algorithm = QCryptographicHash::Sha256;

/** A stored table and the table that keeps its rows for undo, races first. */
struct TablePair {
    const char* live;
    const char* kept;
    const char* columns;
    int keyColumn; // racenum's place among the columns
};
const TablePair Pairs[] = {
    {"tblraces", "tblundo_races", "racenum, surf, cond, dist, size, purse, cprice, restr, age", 0},
    {"tblhorsedata", "tblundo_starts", "hname, hid, racenum, fin, ppos, sp, start, odds, oname", 2},
};

QByteArray sql(const QByteArray& pattern, const TablePair& t)
{
    return QByteArray(pattern).replace("COLUMNS", t.columns).replace("LIVE", t.live).replace("KEPT", t.kept);
}

/** Whether the undo tables are there, and whether they have the columns that record the kept rows. */
struct Layout {
    bool present = false;
    bool recordsKept = false;
};

std::optional<Layout> layout(Database& db)
{
    Sql::Statement q = db.prepare(
        "SELECT (SELECT COUNT(*) FROM sqlite_master WHERE name = 'tblundo_starts'), (SELECT COUNT(*) FROM "
        "pragma_table_info('tblundo_weeks') WHERE name = 'kept')");
    if (!q.next()) {
        db.fail(QStringLiteral("The undo records cannot be read"));
        return std::nullopt;
    }
    return Layout{q.integer(0) > 0, q.integer(1) > 0};
}

/** Runs one statement for a change, bound to the change and, where the text has them, a week's band. */
bool runFor(Database& db, const QByteArray& text, qint64 change, std::optional<int> week = std::nullopt)
{
    Sql::Statement q = db.prepare(text.constData());
    q.bind(1, change);
    if (week)
        q.bind(2, *week).bind(3, *week + 1);
    return q.run();
}

/** A week's races and starts, counted, and their digest in stored order: equal digests, equal rows. */
struct WeekRows {
    qint64 races = 0;
    qint64 starts = 0;
    QByteArray digest;
};

/** A week being read: its rows counted and hashed in order, every column with its type. */
struct WeekReading {
    QCryptographicHash hash{Algorithm};
    WeekRows rows;

    void add(const Sql::Statement& q, bool race)
    {
        ++(race ? rows.races : rows.starts);
        for (int c = 0; c < 9; ++c) {
            const char type = char(q.columnType(c));
            hash.addData(QByteArrayView(&type, 1));
            if (type == SQLITE_INTEGER) {
                const qint64 v = q.integer(c);
                hash.addData(QByteArrayView(reinterpret_cast<const char*>(&v), sizeof v));
            } else if (type == SQLITE_FLOAT) {
                const double v = q.real(c);
                hash.addData(QByteArrayView(reinterpret_cast<const char*>(&v), sizeof v));
            } else if (type != SQLITE_NULL) {
                const std::string_view t = q.utf8(c);
                const qint64 size = qint64(t.size());
                hash.addData(QByteArrayView(reinterpret_cast<const char*>(&size), sizeof size));
                hash.addData(QByteArrayView(t.data(), qsizetype(t.size())));
            }
        }
    }
    WeekRows done()
    {
        rows.digest = hash.result();
        return rows;
    }
};

/** The rows of the week as stored. */
std::optional<WeekRows> readWeek(Database& db, int week)
{
    WeekReading reading;
    for (const TablePair& t : Pairs) {
        Sql::Statement q = db.prepare(
            sql("SELECT COLUMNS FROM LIVE WHERE racenum > ? AND racenum < ? ORDER BY racenum, rowid", t)
                .constData());
        q.bind(1, week).bind(2, week + 1);
        while (q.next())
            reading.add(q, &t == Pairs);
        if (!q || q.failed()) {
            db.fail(QStringLiteral("Week %1 cannot be read").arg(week));
            return std::nullopt;
        }
    }
    return reading.done();
}

/** What a change keeps: the rows of each of its weeks, and how many rows lie in none of them. */
struct KeptRows {
    std::map<int, WeekRows> weeks;
    qint64 outsideRaces = 0;
    qint64 outsideStarts = 0;
};

/** The kept rows of the change, read once in their order and shared out among its weeks. */
std::optional<KeptRows> readKept(Database& db, qint64 change, const QList<int>& weeks)
{
    std::map<int, WeekReading> readings;
    for (int w : weeks)
        readings[w];
    KeptRows out;
    for (const TablePair& t : Pairs) {
        Sql::Statement q =
            db.prepare(sql("SELECT COLUMNS FROM KEPT WHERE change = ? ORDER BY racenum, seq", t).constData());
        q.bind(1, change);
        const bool race = &t == Pairs;
        while (q.next()) {
            const double key = q.real(t.keyColumn);
            const auto found = std::abs(key) < 1e6 ? readings.find(int(std::floor(key))) : readings.end();
            if (found != readings.end() && RaceKey::inWeek(key, found->first))
                found->second.add(q, race);
            else
                ++(race ? out.outsideRaces : out.outsideStarts);
        }
        if (!q || q.failed()) {
            db.fail(QStringLiteral("The undo records cannot be read"));
            return std::nullopt;
        }
    }
    for (auto& [week, reading] : readings)
        out.weeks[week] = reading.done();
    return out;
}

QString weekList(const QList<int>& weeks, const QString& word)
{
    QStringList numbers;
    for (int w : weeks)
        numbers << QString::number(w);
    if (numbers.isEmpty())
        numbers << QStringLiteral("?");
    return (weeks.size() > 1 ? word + QLatin1Char('s') : word) + QLatin1Char(' ') +
           numbers.join(QStringLiteral(", "));
}

/**
 * Copies the rows of a change: with a week, that week's stored rows into the change's kept rows; without,
 * the change's kept rows back into the stored tables, in their stored order.
 */
bool copyRows(Database& db, qint64 change, std::optional<int> week)
{
    for (const TablePair& t : Pairs) {
        const QByteArray text =
            week ? sql("INSERT INTO KEPT (change, seq, COLUMNS) SELECT ?1, rowid, COLUMNS FROM LIVE WHERE "
                       "racenum > ?2 AND racenum < ?3",
                       t)
                 : sql("INSERT INTO LIVE (COLUMNS) SELECT COLUMNS FROM KEPT WHERE change = ?1 ORDER BY seq",
                       t);
        if (!runFor(db, text, change, week))
            return false;
    }
    return true;
}

bool dropChange(Database& db, qint64 change)
{
    for (const char* table : Tables) {
        const QByteArray column = table == std::string_view("tblundo_changes") ? "id" : "change";
        if (!runFor(db, "DELETE FROM " + QByteArray(table) + " WHERE " + column + " = ?", change))
            return false;
    }
    return true;
}

} // namespace

QString spokenWeeks(const QList<int>& weeks)
{
    QString out;
    for (qsizetype i = 0; i < weeks.size(); ++i) {
        if (i > 0)
            out += i + 1 == weeks.size() ? QStringLiteral(" and ") : QStringLiteral(", ");
        out += QString::number(weeks[i]);
    }
    return out;
}

QString title(const Change& change, bool capitalWeek)
{
    const QString verb = change.kind == Kind::Remove ? QStringLiteral("Remove ") : QStringLiteral("Replace ");
    return verb + weekList(change.weeks, capitalWeek ? QStringLiteral("Week") : QStringLiteral("week"));
}

std::optional<qint64> keep(Database& db, Kind kind, const QList<int>& weeks)
{
    const QString what = QStringLiteral("The removed weeks cannot be kept for undo");
    const auto tables = db.exec(Schema, what) ? layout(db) : std::nullopt;
    if (!tables || (!tables->recordsKept && !db.exec(Upgrade, what)))
        return std::nullopt;
    Sql::Statement add = db.prepare(
        "INSERT INTO tblundo_changes (kind, made, starts) VALUES (?, strftime('%Y-%m-%d %H:%M', 'now', "
        "'localtime'), 0)");
    if (!add.bind(1, kind == Kind::Remove ? QStringLiteral("remove") : QStringLiteral("replace")).run()) {
        db.fail(what);
        return std::nullopt;
    }
    const qint64 change = db.sql().lastInsertRowid();
    // What each week held is read from the stored tables, apart from the copy: a copy that went wrong, or
    // kept rows changed later, can never pass for the week.
    Sql::Statement noted =
        db.prepare("INSERT INTO tblundo_weeks (change, week, races, starts, kept) VALUES (?, ?, ?, ?, ?)");
    for (int week : weeks) {
        const auto rows = readWeek(db, week);
        if (!rows || !copyRows(db, change, week) ||
            !noted.bind(1, change)
                 .bind(2, week)
                 .bind(3, rows->races)
                 .bind(4, rows->starts)
                 .bindBlob(5, rows->digest)
                 .run()) {
            db.fail(what);
            return std::nullopt;
        }
    }
    if (!runFor(db,
                "UPDATE tblundo_changes SET starts = (SELECT COUNT(*) FROM tblundo_starts WHERE change = ?1) "
                "WHERE id = ?1",
                change)) {
        db.fail(what);
        return std::nullopt;
    }
    return change;
}

bool seal(Database& db, qint64 change)
{
    const QString what = QStringLiteral("The change cannot be kept for undo");
    QList<int> weeks;
    {
        Sql::Statement q = db.prepare("SELECT week FROM tblundo_weeks WHERE change = ?");
        q.bind(1, change);
        while (q.next())
            weeks << int(q.integer(0));
        if (!q || q.failed())
            return db.fail(what);
    }
    for (int week : weeks) {
        const auto rows = readWeek(db, week);
        if (!rows)
            return false;
        Sql::Statement q = db.prepare("UPDATE tblundo_weeks SET after = ? WHERE change = ? AND week = ?");
        if (!q.bindBlob(1, rows->digest).bind(2, change).bind(3, week).run())
            return db.fail(what);
    }
    // The oldest changes beyond the kept number go, with their rows.
    Sql::Statement old = db.prepare("SELECT id FROM tblundo_changes ORDER BY id DESC LIMIT -1 OFFSET ?");
    old.bind(1, Kept);
    QList<qint64> dropped;
    while (old.next())
        dropped << old.integer(0);
    if (!old || old.failed())
        return db.fail(what);
    for (qint64 id : dropped) {
        if (!dropChange(db, id))
            return db.fail(what);
    }
    return true;
}

std::optional<QList<Change>> changes(Database& db)
{
    const auto tables = layout(db);
    if (!tables)
        return std::nullopt;
    QList<Change> out;
    if (!tables->present)
        return out;
    Sql::Statement q = db.prepare("SELECT c.id, c.kind, c.made, c.starts, w.week, typeof(w.week) = 'integer' "
                                  "FROM tblundo_changes c JOIN tblundo_weeks w ON w.change = c.id "
                                  "ORDER BY c.id DESC, w.week DESC");
    while (q.next()) {
        const qint64 id = q.integer(0);
        if (out.isEmpty() || out.last().id != id) {
            Change c;
            c.id = id;
            c.kind = q.text(1) == QLatin1String("replace") ? Kind::Replace : Kind::Remove;
            c.starts = q.integer(3);
            c.made = q.text(2);
            out.append(c);
        }
        // Only a week the program could have written counts as one: any other number or text would be
        // taken for another week, or wrap to one.
        const qint64 week = q.integer(4);
        if (q.integer(5) && week >= 0 && week <= RaceKey::MaxWeek)
            out.last().weeks << int(week);
        else if (out.last().damage.isEmpty())
            out.last().damage = QStringLiteral("week \"%1\" is not a week number from 0 to %2")
                                    .arg(q.text(4))
                                    .arg(RaceKey::MaxWeek);
    }
    if (!q || q.failed()) {
        db.fail(QStringLiteral("The undo records cannot be read"));
        return std::nullopt;
    }
    return out;
}

std::optional<Held> held(Database& db)
{
    const auto kept = changes(db);
    if (!kept)
        return std::nullopt;
    Held h;
    h.changes = int(kept->size());
    for (const Change& c : *kept)
        h.starts += c.starts;
    if (h.changes == 0)
        return h;
    // The pages of the undo tables, where the engine can count them; otherwise an estimate by the rows.
    Sql::Statement pages = db.sql().prepare("SELECT pgsize FROM dbstat WHERE name = ? AND aggregate = 1");
    for (const char* table : Tables) {
        if (!pages || !pages.bindUtf8(1, QByteArray(table)).next()) {
            h.bytes = h.starts * 100;
            break;
        }
        h.bytes += pages.integer(0);
        pages.reset();
    }
    return h;
}

bool forget(Database& db)
{
    const QString what = QStringLiteral("The undo records cannot be forgotten");
    const auto tables = layout(db);
    if (!tables)
        return false;
    if (!tables->present)
        return true;
    Sql::Transaction t(db.sql());
    bool ok = t.ok();
    for (const char* table : Tables) {
        if (ok)
            ok = db.sql().exec(("DELETE FROM " + QByteArray(table)).constData());
    }
    return (ok && t.commit()) || db.fail(what);
}

namespace
{

/** "the removal of week 605", "the replacement of weeks 640 and 600": the change as its texts name it. */
QString described(const Change& c)
{
    const QString what =
        c.kind == Kind::Remove ? QStringLiteral("the removal") : QStringLiteral("the replacement");
    if (c.weeks.isEmpty())
        return what + QStringLiteral(" made ") + c.made;
    return what + (c.weeks.size() == 1 ? QStringLiteral(" of week ") : QStringLiteral(" of weeks ")) +
           spokenWeeks(c.weeks);
}

void block(Change& c, const QString& reason, const QString& refusal)
{
    c.blocked = reason;
    c.refusal = refusal;
}

/** "100 starts missing", "1 race and 50 starts lie outside week 605": what is wrong with the kept rows of the
    change, or an empty text when they are those it deleted. */
std::optional<QString> keptRowsFault(Database& db, const Change& c, bool recordsKept)
{
    const auto kept = readKept(db, c.id, c.weeks);
    Sql::Statement noted = db.prepare(recordsKept ? "SELECT races, starts, kept FROM tblundo_weeks WHERE "
                                                    "change = ? AND week = ?"
                                                  : "SELECT NULL, NULL, NULL");
    if (!kept)
        return std::nullopt;
    qint64 races = kept->outsideRaces, starts = kept->outsideStarts, notedRaces = 0;
    bool counted = recordsKept, matches = true;
    for (const auto& [week, rows] : kept->weeks) {
        if (recordsKept)
            noted.bind(1, c.id).bind(2, week);
        if (!noted.next())
            return std::nullopt;
        races += rows.races;
        starts += rows.starts;
        // A change an older version kept has no record of its rows: their number and weeks are checked.
        counted = counted && !noted.isNull(2);
        notedRaces += noted.integer(0);
        matches =
            matches && (noted.isNull(2) || (rows.races == noted.integer(0) &&
                                            rows.starts == noted.integer(1) && rows.digest == noted.blob(2)));
        noted.reset();
    }
    QStringList faults;
    const auto amiss = [&faults](qint64 difference, const QString& noun) {
        if (difference != 0)
            faults << Fmt::count(std::abs(difference), noun) +
                          (difference > 0 ? QStringLiteral(" missing") : QStringLiteral(" too many"));
    };
    if (counted)
        amiss(notedRaces - races, QStringLiteral("race"));
    amiss(c.starts - starts, QStringLiteral("start"));
    QStringList outside;
    if (kept->outsideRaces > 0)
        outside << Fmt::count(kept->outsideRaces, QStringLiteral("race"));
    if (kept->outsideStarts > 0)
        outside << Fmt::count(kept->outsideStarts, QStringLiteral("start"));
    if (!outside.isEmpty())
        faults << outside.join(QStringLiteral(" and ")) +
                      (kept->outsideRaces + kept->outsideStarts == 1 ? QStringLiteral(" lies outside ")
                                                                     : QStringLiteral(" lie outside ")) +
                      weekList(c.weeks, QStringLiteral("week"));
    if (faults.isEmpty() && !matches)
        faults << QStringLiteral("they differ from the rows it deleted");
    return faults.join(QStringLiteral(", "));
}

/** Whether each week of the change still holds what the change left there; blocks it when not. */
bool checkWeeksSince(Database& db, Change& c)
{
    Sql::Statement after = db.prepare("SELECT after FROM tblundo_weeks WHERE change = ? AND week = ?");
    for (int week : c.weeks) {
        const auto now = readWeek(db, week);
        if (!now || !after.bind(1, c.id).bind(2, week).next())
            return false;
        const bool same = after.blob(0) == now->digest;
        after.reset();
        if (same)
            continue;
        // "Imported again" only where the week holds rows: an empty week that differs from the note means the
        // note itself is wrong.
        const bool stored = now->races + now->starts > 0;
        if (c.kind == Kind::Remove && !stored) {
            const QString reason = QStringLiteral("its record of week %1 is damaged").arg(week);
            block(c, reason,
                  QStringLiteral(
                      "The undo record of %1 is damaged (what it noted of week %2 does not match the "
                      "week); nothing was restored.")
                      .arg(described(c))
                      .arg(week));
            return true;
        }
        const QString since = c.kind == Kind::Remove
                                  ? QStringLiteral("it has been imported again since it was removed")
                              : stored ? QStringLiteral("it has been imported or replaced again since")
                                       : QStringLiteral("it has been removed since it was replaced");
        block(c, QStringLiteral("week %1: %2").arg(week).arg(since),
              QStringLiteral("Week %1 cannot be restored: %2. Nothing was changed.").arg(week).arg(since));
        return true;
    }
    return true;
}

/** Checks one change against its record, the changes made after it and its weeks; false on a failed read. */
bool check(Database& db, QList<Change>& kept, qsizetype i, bool recordsKept)
{
    Change& c = kept[i];
    c.blocked.clear();
    c.refusal.clear();
    if (!c.damage.isEmpty()) {
        block(c, QStringLiteral("its record is damaged (%1)").arg(c.damage),
              QStringLiteral("The undo record of %1 is damaged (%2); nothing was restored.")
                  .arg(described(c), c.damage));
        return true;
    }
    for (qsizetype later = 0; later < i; ++later) {
        for (int week : c.weeks) {
            if (!kept[later].weeks.contains(week))
                continue;
            const QString reason = QStringLiteral("the later change %1 touched week %2 too")
                                       .arg(title(kept[later], false))
                                       .arg(week);
            block(c, reason,
                  QStringLiteral("%1 cannot be undone: %2. Nothing was changed.").arg(title(c), reason));
            return true;
        }
    }
    const auto fault = keptRowsFault(db, c, recordsKept);
    if (!fault)
        return false;
    if (!fault->isEmpty()) {
        block(c, QStringLiteral("its kept rows are damaged (%1)").arg(*fault),
              QStringLiteral("The kept rows of %1 are damaged (%2); nothing was restored.")
                  .arg(described(c), *fault));
        return true;
    }
    return checkWeeksSince(db, c);
}

} // namespace

bool review(Database& db, QList<Change>& kept, bool all)
{
    const auto tables = layout(db);
    if (!tables)
        return false;
    for (qsizetype i = 0; i < kept.size(); ++i) {
        if (!check(db, kept, i, tables->recordsKept))
            return db.fail(QStringLiteral("The undo records cannot be read"));
        if (!all && kept[i].blocked.isEmpty())
            break;
    }
    return true;
}

qsizetype nextToUndo(const QList<Change>& reviewed)
{
    for (qsizetype i = 0; i < reviewed.size(); ++i) {
        if (reviewed[i].blocked.isEmpty())
            return i;
    }
    return 0;
}

Outcome undoLast(Database& db)
{
    const auto failed = [&db] {
        return Outcome{Outcome::Status::Failed, QStringLiteral("Nothing was restored.\r") + db.error()};
    };
    if (!db.holdChangesInMemory())
        return failed();
    Sql::Transaction t(db.sql());
    if (!t.ok()) {
        db.fail(QStringLiteral("The database cannot be changed"));
        return failed();
    }
    auto kept = changes(db);
    if (!kept || !review(db, *kept))
        return failed();
    if (kept->isEmpty())
        return {Outcome::Status::Nothing, QStringLiteral("There is nothing to undo.")};
    const qsizetype chosen = nextToUndo(*kept);
    const Change& change = kept->at(chosen);
    if (!change.blocked.isEmpty())
        return {Outcome::Status::Refused, change.refusal};
    bool ok = true;
    for (int week : change.weeks)
        ok = ok && db.removeWeek(week);
    ok = ok && copyRows(db, change.id, std::nullopt) && dropChange(db, change.id);
    if (!ok || !t.commit()) {
        db.fail(QStringLiteral("The change could not be undone"));
        return failed();
    }
    const QString weeks = (change.weeks.size() == 1 ? QStringLiteral("week ") : QStringLiteral("weeks ")) +
                          spokenWeeks(change.weeks);
    const QString how =
        change.kind == Kind::Replace ? QStringLiteral(" as it was before the replacement") : QString();
    QString text = QStringLiteral("Restored %1%2 (%3).")
                       .arg(weeks, how, Fmt::count(change.starts, QStringLiteral("start")));
    // The changes passed over are named, so that nobody takes this one for the newest.
    QStringList newer;
    for (qsizetype i = 0; i < chosen; ++i)
        newer << title(kept->at(i), false);
    if (!newer.isEmpty())
        text += QStringLiteral(" The newer %1 (%2) cannot be undone.")
                    .arg(newer.size() == 1 ? QStringLiteral("change") : QStringLiteral("changes"),
                         newer.join(QStringLiteral(", ")));
    return {Outcome::Status::Restored, text};
}

} // namespace UndoLog
