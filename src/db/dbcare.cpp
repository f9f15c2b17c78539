#include "db/dbcare.h"

#include "db/database.h"
#include "db/undolog.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <filesystem>
#include <memory>
#include <system_error>

#ifdef Q_OS_WIN
#include <io.h>
#else
#include <unistd.h>
#endif

namespace DbCare
{

namespace
{

/** Writes a file's contents through to the disk, so that a rename after it never publishes a torn file. */
bool flushToDisk(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadWrite))
        return false;
#ifdef Q_OS_WIN
    return _commit(f.handle()) == 0;
#else
    return ::fsync(f.handle()) == 0;
#endif
}

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
    that the copy is consistent even while other connections read. The copy is written beside target and
    renamed onto it only when complete and on the disk: a failure leaves target as it was. */
bool copyOpenDatabase(Database& db, const QString& target, const Progress& progress, QString& error)
{
    const QString partial = target + QStringLiteral(".part");
    QFile::remove(partial);
    bool ok = false;
    {
        Sql::Connection dest;
        if (!dest.open(partial, Sql::Connection::Mode::Create, 0)) {
            error = QStringLiteral("%1 cannot be written: %2")
                        .arg(QFileInfo(target).fileName(), dest.errorMessage());
        } else if (!dest.exec("PRAGMA journal_mode = OFF; PRAGMA synchronous = OFF")) {
            // The copy is written once and synced once at the end; a journal for a file nobody else sees
            // would only double the writing.
            error = QStringLiteral("%1 cannot be written: %2")
                        .arg(QFileInfo(target).fileName(), dest.errorMessage());
        } else {
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
            ok = rc == SQLITE_DONE;
            if (!ok)
                error = QStringLiteral("%1 cannot be written: %2")
                            .arg(QFileInfo(target).fileName(), QString::fromUtf8(sqlite3_errstr(rc)));
        }
        if (!dest.close() && ok) {
            ok = false;
            error = QStringLiteral("%1 cannot be written: %2")
                        .arg(QFileInfo(target).fileName(), dest.errorMessage());
        }
    }
    if (ok && !flushToDisk(partial)) {
        ok = false;
        error = QStringLiteral("%1 cannot be written to the disk").arg(QFileInfo(target).fileName());
    }
    if (ok) {
        // One step: a reader of target sees the old file or the new one, never neither.
        std::error_code ec;
        std::filesystem::rename(std::filesystem::path(partial.toStdU16String()),
                                std::filesystem::path(target.toStdU16String()), ec);
        if (ec) {
            ok = false;
            error = QStringLiteral("%1 cannot be replaced: %2")
                        .arg(QFileInfo(target).fileName(), QString::fromStdString(ec.message()));
        }
    }
    if (!ok)
        QFile::remove(partial);
    else if (progress)
        progress(100);
    return ok;
}

} // namespace

bool backupFile(const QString& dbPath, const QString& target, const Progress& progress, QString& error)
{
    if (QFileInfo(target).absoluteFilePath() == QFileInfo(dbPath).absoluteFilePath()) {
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
    Sql::Transaction t(db.sql());
    bool ok = t.ok() || db.fail(QStringLiteral("The database cannot be changed"));
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

bool compact(const QString& dbPath, bool forgetUndo, QString& error)
{
    // An older version compacted through a copy of this name; a link is removed as a name, never followed.
    const QString leftOver = QFileInfo(dbPath).dir().filePath(QStringLiteral("horsestemp.mdb"));
    if ((QFileInfo(leftOver).isSymLink() || QFileInfo::exists(leftOver)) && !QFile::remove(leftOver)) {
        error = QStringLiteral("The file horsestemp.mdb left by an earlier compaction cannot be deleted");
        return false;
    }
    Database db;
    if (!open(db, dbPath, error))
        return false;
    if (forgetUndo && !UndoLog::forget(db)) {
        error = db.error();
        return false;
    }
    if (!db.exec("VACUUM", QStringLiteral("The database could not be compacted"))) {
        error = db.error();
        return false;
    }
    return true;
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
