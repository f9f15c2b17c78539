#include "db/dbcare.h"

#include "core/replacingfile.h"
#include "db/database.h"
#include "db/undolog.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <memory>

namespace DbCare
{

namespace
{

/** Opens the database, or says why not in error. */
bool open(Database& db, const QString& path, QString& error)
{
    if (db.open(path))
        return true;
    error = db.error();
    return false;
}

struct BackupDeleter {
    void operator()(sqlite3_backup* b) const { sqlite3_backup_finish(b); }
};

/** Copies the database open on db into target with the engine's online backup, a few pages at a time, so
    that the copy is consistent even while other connections read. The copy goes to a new file beside target
    that takes its place only when complete and on the disk (see ReplacingFile): a failure leaves target as it
    was, and a pipe or a device named as target is refused. */
bool copyOpenDatabase(Database& db, const QString& target, const Progress& progress, QString& error)
{
    const auto cannot = [&](const QString& why) {
        error = QStringLiteral("%1 cannot be written: %2").arg(QFileInfo(target).fileName(), why);
        return false;
    };
    ReplacingFile file(target);
    if (!file.open(QIODevice::WriteOnly))
        return cannot(file.errorString());
    {
        Sql::Connection dest;
        if (!dest.open(file.temporaryPath(), Sql::Connection::Mode::ReadWrite, 0))
            return cannot(dest.errorMessage());
        // The copy is written once and synced once at the end; a journal for a file nobody else sees would
        // only double the writing.
        if (!dest.exec("PRAGMA journal_mode = OFF; PRAGMA synchronous = OFF"))
            return cannot(dest.errorMessage());
        std::unique_ptr<sqlite3_backup, BackupDeleter> backup(
            sqlite3_backup_init(dest.handle(), "main", db.sql().handle(), "main"));
        int rc = backup ? SQLITE_OK : sqlite3_errcode(dest.handle());
        // Steps of 4096 pages (16 MB at the usual page size) keep the progress text moving.
        while (backup && (rc = sqlite3_backup_step(backup.get(), 4096)) == SQLITE_OK) {
            const int total = sqlite3_backup_pagecount(backup.get());
            if (progress && total > 0)
                progress(int(100LL * (total - sqlite3_backup_remaining(backup.get())) / total));
        }
        backup.reset();
        if (rc != SQLITE_DONE) {
            dest.failed(rc); // names the system's reason ("No space left on device") where there is one
            return cannot(dest.errorMessage());
        }
        if (!dest.close())
            return cannot(dest.errorMessage());
    }
    if (!file.commit())
        return cannot(file.errorString());
    if (progress)
        progress(100);
    return true;
}

} // namespace

bool backupFile(const QString& dbPath, const QString& target, const Progress& progress, QString& error)
{
    // A link to the database is the database too.
    const QString canonical = QFileInfo(target).canonicalFilePath();
    if (QFileInfo(target).absoluteFilePath() == QFileInfo(dbPath).absoluteFilePath() ||
        (!canonical.isEmpty() && canonical == QFileInfo(dbPath).canonicalFilePath())) {
        error = QStringLiteral("The backup must go to another file than the database itself");
        return false;
    }
    Database db;
    if (!open(db, dbPath, error))
        return false;
    return copyOpenDatabase(db, target, progress, error);
}

std::optional<QList<int>> storedWeeks(const QString& dbPath, QString& error)
{
    Database db;
    if (!open(db, dbPath, error))
        return std::nullopt;
    auto weeks = db.weeks();
    if (!weeks)
        error = db.error();
    return weeks;
}

std::optional<QList<qint64>> weekStarts(const QString& dbPath, const QList<int>& weeks, QString& error)
{
    Database db;
    if (!open(db, dbPath, error))
        return std::nullopt;
    Sql::Statement q = db.prepare("SELECT COUNT(*) FROM tblhorsedata WHERE racenum > ? AND racenum < ?");
    QList<qint64> out;
    for (int w : weeks) {
        if (!q.bind(1, w).bind(2, w + 1).next()) {
            db.fail(QStringLiteral("The starts of week %1 cannot be counted").arg(w));
            error = db.error();
            return std::nullopt;
        }
        out << q.integer(0);
        q.reset();
    }
    return out;
}

bool removeWeeks(const QString& dbPath, const QList<int>& weeks, QString& error)
{
    Database db;
    if (!open(db, dbPath, error))
        return false;
    bool ok = db.holdChangesInMemory();
    Sql::Transaction t(db.sql());
    ok = ok && (t.ok() || db.fail(QStringLiteral("The database cannot be changed")));
    const auto change = ok ? UndoLog::keep(db, UndoLog::Kind::Remove, weeks) : std::nullopt;
    ok = change.has_value();
    for (qsizetype i = 0; ok && i < weeks.size(); ++i)
        ok = db.removeWeek(weeks[i]);
    ok = ok && UndoLog::seal(db, *change);
    if (ok && !t.commit())
        ok = db.fail(QStringLiteral("The removal could not be stored"));
    if (!ok)
        error = db.error();
    return ok;
}

Compaction compact(const QString& dbPath, bool forgetUndo, QString& error)
{
    // An older version compacted through a copy of this name; a link is removed as a name, never followed.
    const QString leftOver = QFileInfo(dbPath).dir().filePath(QStringLiteral("horsestemp.mdb"));
    if ((QFileInfo(leftOver).isSymLink() || QFileInfo::exists(leftOver)) && !QFile::remove(leftOver)) {
        error = QStringLiteral("The file horsestemp.mdb left by an earlier compaction cannot be deleted");
        return Compaction::Failed;
    }
    Database db;
    if (!open(db, dbPath, error))
        return Compaction::Failed;
    const QString failed = QStringLiteral("The database could not be compacted");
    if (!db.exec("VACUUM", failed)) {
        error = db.error();
        return Compaction::Failed;
    }
    // Only now are the records forgotten: a full disk or another program's lock can stop the compaction,
    // and the player's way back must not go with it. The space they took is then given back by a second
    // pass, which costs the time of a compaction again but only when they are forgotten.
    const auto held = forgetUndo ? UndoLog::held(db) : std::nullopt;
    if (!forgetUndo || (held && held->changes == 0))
        return Compaction::Done;
    if (!held || !UndoLog::forget(db)) {
        error = db.error();
        return Compaction::UndoKept;
    }
    if (!db.exec("VACUUM", failed)) {
        error = db.error();
        return Compaction::SpaceKept;
    }
    return Compaction::Done;
}

std::optional<QList<Track>> tracks(const QString& dbPath, QString& error)
{
    Database db;
    if (!open(db, dbPath, error))
        return std::nullopt;
    Sql::Statement q = db.prepare("SELECT num, stcode FROM statecodes ORDER BY num ASC");
    QList<Track> out;
    while (q.next())
        out.push_back({int(q.integer(0)), q.text(1)});
    if (!q || q.failed()) {
        db.fail(QStringLiteral("The track table cannot be read"));
        error = db.error();
        return std::nullopt;
    }
    return out;
}

namespace
{

/** Runs one statement on statecodes with the track number (and code) bound; the number of rows it changed. */
std::optional<qint64> changeTrack(const QString& dbPath, const char* sql, int num, const QString* code,
                                  QString& error)
{
    Database db;
    if (!open(db, dbPath, error))
        return std::nullopt;
    Sql::Statement q = db.prepare(sql);
    q.bind(1, num);
    if (code)
        q.bind(2, *code);
    if (!q.run()) {
        db.fail(QStringLiteral("The track table cannot be changed"));
        error = db.error();
        return std::nullopt;
    }
    return db.sql().changes();
}

TrackChange outcome(const std::optional<qint64>& changed, TrackChange none)
{
    if (!changed)
        return TrackChange::Failed;
    return *changed > 0 ? TrackChange::Done : none;
}

} // namespace

TrackChange addTrack(const QString& dbPath, int num, const QString& code, QString& error)
{
    // One statement decides and stores, so that a second row with the number can never appear. An empty
    // code is stored as an empty text, as typed, not as a missing one.
    const QString stored = code.isNull() ? QString(QLatin1String("")) : code;
    return outcome(
        changeTrack(dbPath,
                    "INSERT INTO statecodes (num, stcode) SELECT ?1, ?2 WHERE NOT EXISTS (SELECT 1 "
                    "FROM statecodes WHERE num = ?1)",
                    num, &stored, error),
        TrackChange::Exists);
}

TrackChange deleteTrack(const QString& dbPath, int num, QString& error)
{
    return outcome(changeTrack(dbPath, "DELETE FROM statecodes WHERE num = ?1", num, nullptr, error),
                   TrackChange::Missing);
}

} // namespace DbCare
