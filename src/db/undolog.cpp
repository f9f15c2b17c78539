#include "db/undolog.h"

#include "core/format.h"
#include "db/database.h"

#include <QCryptographicHash>

namespace UndoLog
{

namespace
{

// The kept rows keep every column as it was stored: the columns take no type, so nothing is converted on the
// way in or back. seq is the row's place in its table, which gives the rows back in their stored order.
const char* const Schema =
    "CREATE TABLE IF NOT EXISTS tblundo_changes (id INTEGER PRIMARY KEY, kind TEXT NOT NULL, "
    "made TEXT NOT NULL, starts INTEGER NOT NULL);"
    "CREATE TABLE IF NOT EXISTS tblundo_weeks (change INTEGER NOT NULL, week INTEGER NOT NULL, after BLOB, "
    "PRIMARY KEY (change, week)) WITHOUT ROWID;"
    "CREATE TABLE IF NOT EXISTS tblundo_races (change INTEGER NOT NULL, seq INTEGER NOT NULL, racenum, surf, "
    "cond, dist, size, purse, cprice, restr, age, PRIMARY KEY (change, seq)) WITHOUT ROWID;"
    "CREATE TABLE IF NOT EXISTS tblundo_starts (change INTEGER NOT NULL, seq INTEGER NOT NULL, hname, hid, "
    "racenum, fin, ppos, sp, start, odds, oname, PRIMARY KEY (change, seq)) WITHOUT ROWID;";

const char* const Tables[] = {"tblundo_changes", "tblundo_weeks", "tblundo_races", "tblundo_starts"};

constexpr auto Algorithm = QCryptographicHash::Sha256;

constexpr const char* RaceColumns = "racenum, surf, cond, dist, size, purse, cprice, restr, age";
constexpr const char* StartColumns = "hname, hid, racenum, fin, ppos, sp, start, odds, oname";

QByteArray sql(const char* pattern, const char* columns)
{
    return QByteArray(pattern).replace("COLUMNS", columns);
}

std::optional<bool> tablesPresent(Database& db)
{
    Sql::Statement q = db.prepare("SELECT COUNT(*) FROM sqlite_master WHERE name = 'tblundo_starts'");
    if (!q.next()) {
        db.fail(QStringLiteral("The undo records cannot be read"));
        return std::nullopt;
    }
    return q.integer(0) > 0;
}

/** A digest of every race and start of the week, in stored order: equal digests, equal weeks. */
std::optional<QByteArray> weekDigest(Database& db, int week)
{
    QCryptographicHash hash(Algorithm);
    for (const char* table : {"tblraces", "tblhorsedata"}) {
        const bool races = table == std::string_view("tblraces");
        const QByteArray text = sql("SELECT COLUMNS FROM ", races ? RaceColumns : StartColumns) + table +
                                " WHERE racenum > ? AND racenum < ? ORDER BY racenum, rowid";
        Sql::Statement q = db.prepare(text.constData());
        q.bind(1, week).bind(2, week + 1);
        while (q.next()) {
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
        if (!q || q.failed()) {
            db.fail(QStringLiteral("Week %1 cannot be read").arg(week));
            return std::nullopt;
        }
    }
    return hash.result();
}

QString weekList(const QList<int>& weeks, const QString& word)
{
    QStringList numbers;
    for (int w : weeks)
        numbers << QString::number(w);
    return (weeks.size() == 1 ? word : word + QLatin1Char('s')) + QLatin1Char(' ') +
           numbers.join(QStringLiteral(", "));
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
    if (!db.exec(Schema, what))
        return std::nullopt;
    Sql::Statement add = db.prepare(
        "INSERT INTO tblundo_changes (kind, made, starts) VALUES (?, strftime('%Y-%m-%d %H:%M', 'now', "
        "'localtime'), 0)");
    if (!add.bind(1, kind == Kind::Remove ? QStringLiteral("remove") : QStringLiteral("replace")).run()) {
        db.fail(what);
        return std::nullopt;
    }
    const qint64 change = db.sql().lastInsertRowid();
    const QByteArray races = sql("INSERT INTO tblundo_races (change, seq, COLUMNS) SELECT ?1, rowid, COLUMNS "
                                 "FROM tblraces WHERE racenum > ?2 AND racenum < ?3",
                                 RaceColumns);
    const QByteArray starts = sql("INSERT INTO tblundo_starts (change, seq, COLUMNS) SELECT ?1, rowid, "
                                  "COLUMNS FROM tblhorsedata WHERE racenum > ?2 AND racenum < ?3",
                                  StartColumns);
    Sql::Statement noted = db.prepare("INSERT INTO tblundo_weeks (change, week) VALUES (?, ?)");
    for (int week : weeks) {
        if (!runFor(db, races, change, week) || !runFor(db, starts, change, week) ||
            !noted.bind(1, change).bind(2, week).run()) {
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
        const auto digest = weekDigest(db, week);
        if (!digest)
            return false;
        Sql::Statement q = db.prepare("UPDATE tblundo_weeks SET after = ? WHERE change = ? AND week = ?");
        if (!q.bindBlob(1, *digest).bind(2, change).bind(3, week).run())
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
    const auto present = tablesPresent(db);
    if (!present)
        return std::nullopt;
    QList<Change> out;
    if (!*present)
        return out;
    Sql::Statement q = db.prepare(
        "SELECT c.id, c.kind, c.made, c.starts, w.week FROM tblundo_changes c JOIN tblundo_weeks w ON "
        "w.change = c.id ORDER BY c.id DESC, w.week DESC");
    while (q.next()) {
        const qint64 id = q.integer(0);
        if (out.isEmpty() || out.last().id != id) {
            out.append({id,
                        q.text(1) == QLatin1String("replace") ? Kind::Replace : Kind::Remove,
                        {},
                        q.integer(3),
                        q.text(2)});
        }
        out.last().weeks << int(q.integer(4));
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
    const auto present = tablesPresent(db);
    if (!present)
        return false;
    if (!*present)
        return true;
    Sql::Transaction t(db.sql());
    bool ok = t.ok();
    for (const char* table : Tables) {
        if (ok)
            ok = db.sql().exec(("DELETE FROM " + QByteArray(table)).constData());
    }
    return (ok && t.commit()) || db.fail(what);
}

Outcome undoLast(Database& db)
{
    const auto failed = [&db] {
        return Outcome{Outcome::Status::Failed, QStringLiteral("Nothing was restored.\r") + db.error()};
    };
    Sql::Transaction t(db.sql());
    if (!t.ok()) {
        db.fail(QStringLiteral("The database cannot be changed"));
        return failed();
    }
    const auto kept = changes(db);
    if (!kept)
        return failed();
    if (kept->isEmpty())
        return {Outcome::Status::Nothing, QStringLiteral("There is nothing to undo.")};
    const Change& change = kept->first();
    for (int week : change.weeks) {
        const auto now = weekDigest(db, week);
        if (!now)
            return failed();
        Sql::Statement q = db.prepare("SELECT after FROM tblundo_weeks WHERE change = ? AND week = ?");
        if (!q.bind(1, change.id).bind(2, week).next())
            return failed();
        if (q.blob(0) == *now)
            continue;
        QString since;
        if (change.kind == Kind::Remove)
            since = QStringLiteral("it has been imported again since it was removed");
        else if (*now == QCryptographicHash::hash(QByteArray(), Algorithm))
            since = QStringLiteral("it has been removed since it was replaced");
        else
            since = QStringLiteral("it has been imported or replaced again since");
        return {Outcome::Status::Refused,
                QStringLiteral("Week %1 cannot be restored: %2. Nothing was changed.").arg(week).arg(since)};
    }
    const QByteArray races = sql("INSERT INTO tblraces (COLUMNS) SELECT COLUMNS FROM tblundo_races WHERE "
                                 "change = ? ORDER BY seq",
                                 RaceColumns);
    const QByteArray starts = sql("INSERT INTO tblhorsedata (COLUMNS) SELECT COLUMNS FROM tblundo_starts "
                                  "WHERE change = ? ORDER BY seq",
                                  StartColumns);
    bool ok = true;
    for (int week : change.weeks)
        ok = ok && db.removeWeek(week);
    ok = ok && runFor(db, races, change.id) && runFor(db, starts, change.id) && dropChange(db, change.id);
    if (!ok || !t.commit()) {
        db.fail(QStringLiteral("The change could not be undone"));
        return failed();
    }
    const QString weeks = (change.weeks.size() == 1 ? QStringLiteral("week ") : QStringLiteral("weeks ")) +
                          spokenWeeks(change.weeks);
    const QString how =
        change.kind == Kind::Replace ? QStringLiteral(" as it was before the replacement") : QString();
    return {Outcome::Status::Restored,
            QStringLiteral("Restored %1%2 (%3).")
                .arg(weeks, how, Fmt::count(change.starts, QStringLiteral("start")))};
}

} // namespace UndoLog
