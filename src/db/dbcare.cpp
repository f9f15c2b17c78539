#include "db/dbcare.h"

#include "core/replacingfile.h"
#include "db/database.h"

#include <QFile>
#include <QFileInfo>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>

#include <sqlite3.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <future>
#include <memory>
#include <system_error>

#ifdef Q_OS_WIN
#include <io.h>
#else
#include <unistd.h>
#endif
#ifdef Q_OS_LINUX
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#endif

namespace DbCare
{

namespace
{

const char* const Tables[] = {"tblraces", "tblhorsedata", "statecodes"};

sqlite3* engineHandle(Database& db)
{
    const QVariant v = db.handle().driver()->handle();
    if (qstrcmp(v.typeName(), "sqlite3*") != 0)
        return nullptr;
    return *static_cast<sqlite3* const*>(v.constData());
}

std::filesystem::path fsPath(const QString& path)
{
    return std::filesystem::path(path.toStdU16String());
}

/** Replaces `to` by `from` in one step: a reader of `to` sees the old file or the new one, never neither. */
bool replaceFile(const QString& from, const QString& to, QString& error)
{
    std::error_code ec;
    std::filesystem::rename(fsPath(from), fsPath(to), ec);
    if (ec)
        error = QStringLiteral("%1 cannot be renamed to %2: %3")
                    .arg(QFileInfo(from).fileName(), QFileInfo(to).fileName(),
                         QString::fromStdString(ec.message()));
    return !ec;
}

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

#ifdef Q_OS_LINUX
/** A file descriptor closed on leaving the scope. */
struct Fd {
    int fd = -1;
    ~Fd()
    {
        if (fd >= 0)
            ::close(fd);
    }
};

/**
 * Copies a file the quickest way the file system offers: a clone that shares the blocks until either file
 * changes (Btrfs, XFS and others: instant, whatever the size), else a copy inside the kernel. False when
 * neither could start, for the portable copy to try; a copy that fails part way is an error.
 */
std::optional<bool> systemCopy(const QString& from, const QString& to)
{
    Fd in{::open(QFile::encodeName(from).constData(), O_RDONLY | O_CLOEXEC)};
    struct stat st {
    };
    if (in.fd < 0 || ::fstat(in.fd, &st) != 0)
        return std::nullopt;
    // A new file, never one that is there: a name left behind may be a second name of the database itself.
    Fd out{::open(QFile::encodeName(to).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC,
                  st.st_mode & 0777)};
    if (out.fd < 0)
        return false;
    if (::ioctl(out.fd, FICLONE, in.fd) == 0)
        return true;
    off_t left = st.st_size;
    bool started = false;
    while (left > 0) {
        const ssize_t n = ::copy_file_range(in.fd, nullptr, out.fd, nullptr, std::size_t(left), 0);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = EIO; // the file ended early
            if (!started)
                return std::nullopt; // not offered here (another file system, an older kernel)
            return false;
        }
        started = true;
        left -= n;
    }
    return true;
}
#endif

/** Copies from into to, a new file in place of whatever had that name. */
bool copyWholeFile(const QString& from, const QString& to, QString& error)
{
    // The name is removed, not written over: writing into a second name of another file (a hard link a
    // crash left behind) would change that file.
    QFile::remove(to);
#ifdef Q_OS_LINUX
    if (const auto copied = systemCopy(from, to)) {
        if (!*copied)
            error = QString::fromLocal8Bit(std::strerror(errno));
        return *copied;
    }
#endif
    std::error_code ec;
    std::filesystem::copy_file(fsPath(from), fsPath(to), std::filesystem::copy_options::overwrite_existing,
                               ec);
    if (ec)
        error = QString::fromStdString(ec.message());
    return !ec;
}

/** Opens the database, or says why not in error. */
bool open(Database& db, const QString& path, QString& error)
{
    if (db.open(path))
        return true;
    error = db.error();
    return false;
}

bool exec(Database& db, const QString& sql, QString& error)
{
    QSqlQuery q(db.handle());
    if (q.exec(sql))
        return true;
    error = q.lastError().text();
    return false;
}

std::optional<QList<qint64>> rowCounts(Database& db, QString& error)
{
    QList<qint64> counts;
    QSqlQuery q(db.handle());
    for (const char* table : Tables) {
        if (!q.exec(QStringLiteral("SELECT COUNT(*) FROM %1").arg(QLatin1String(table))) || !q.next()) {
            error = q.lastError().text();
            return std::nullopt;
        }
        counts << q.value(0).toLongLong();
    }
    return counts;
}

struct BackupDeleter {
    void operator()(sqlite3_backup* b) const { sqlite3_backup_finish(b); }
};
struct ConnectionDeleter {
    void operator()(sqlite3* h) const { sqlite3_close_v2(h); }
};

/** Copies the database open on db into target with the engine's online backup, a few pages at a time, so
    that the copy is consistent even while other connections read. The copy goes to a new file beside target
    that takes its place only when complete and on the disk (see ReplacingFile): a failure leaves target as it
    was, and a pipe or a device named as target is refused. */
bool copyOpenDatabase(Database& db, const QString& target, const Progress& progress, QString& error)
{
    sqlite3* source = engineHandle(db);
    if (!source) {
        error = QStringLiteral("The database is not open");
        return false;
    }
    const auto cannot = [&](const QString& why) {
        error = QStringLiteral("%1 cannot be written: %2").arg(QFileInfo(target).fileName(), why);
        return false;
    };
    ReplacingFile file(target);
    if (!file.open(QIODevice::WriteOnly))
        return cannot(file.errorString());
    {
        sqlite3* raw = nullptr;
        const int opened =
            sqlite3_open_v2(file.temporaryPath().toUtf8().constData(), &raw, SQLITE_OPEN_READWRITE, nullptr);
        std::unique_ptr<sqlite3, ConnectionDeleter> dest(raw);
        if (opened != SQLITE_OK)
            return cannot(QString::fromUtf8(sqlite3_errmsg(raw)));
        // The copy is written once and synced once at the end; a journal for a file nobody else sees would
        // only double the writing.
        sqlite3_exec(raw, "PRAGMA journal_mode = OFF; PRAGMA synchronous = OFF", nullptr, nullptr, nullptr);
        std::unique_ptr<sqlite3_backup, BackupDeleter> backup(
            sqlite3_backup_init(raw, "main", source, "main"));
        int rc = backup ? SQLITE_OK : SQLITE_ERROR;
        // Steps of 4096 pages (16 MB at the usual page size) keep the progress text moving.
        while (backup && (rc = sqlite3_backup_step(backup.get(), 4096)) == SQLITE_OK) {
            const int total = sqlite3_backup_pagecount(backup.get());
            if (progress && total > 0)
                progress(int(100LL * (total - sqlite3_backup_remaining(backup.get())) / total));
        }
        backup.reset();
        if (rc != SQLITE_DONE) {
            // The system's own reason ("No space left on device") says more than the engine's summary, which
            // for a full disk keeps no system error.
            const int cause = rc == SQLITE_FULL ? ENOSPC : sqlite3_system_errno(raw);
            return cannot(cause != 0 ? QString::fromLocal8Bit(std::strerror(cause))
                                     : QString::fromUtf8(sqlite3_errstr(rc)));
        }
    }
    if (!file.commit())
        return cannot(file.errorString());
    if (progress)
        progress(100);
    return true;
}

} // namespace

QString safetyCopyPath(const QString& programPath)
{
    return programPath + QStringLiteral("horses-before-last-change.mdb");
}

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

bool keepSafetyCopy(Database& db, const QString& programPath, QString& error)
{
    sqlite3* h = engineHandle(db);
    const QString target = safetyCopyPath(programPath);
    const QString partial = target + QStringLiteral(".part");
    // A read lock holds other writers off, and with no change of this connection pending the file on the
    // disk is then the database exactly: a plain file copy, done by the system, is the quickest copy.
    const bool ownLock = h && sqlite3_get_autocommit(h);
    bool ok = h && sqlite3_txn_state(h, "main") != SQLITE_TXN_WRITE;
    if (ok && ownLock)
        ok = exec(db, QStringLiteral("BEGIN"), error) &&
             exec(db, QStringLiteral("SELECT COUNT(*) FROM sqlite_master"), error);
    if (ok)
        ok = copyWholeFile(db.handle().databaseName(), partial, error) && replaceFile(partial, target, error);
    if (ownLock && h && !sqlite3_get_autocommit(h))
        exec(db, QStringLiteral("COMMIT"), error);
    if (ok)
        return true;
    QFile::remove(partial);
    error = QStringLiteral("The copy of the database before this change could not be kept (%1)").arg(error);
    return false;
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

bool removeWeeks(const QString& programPath, const QList<int>& weeks, QString& error)
{
    Database db;
    if (!open(db, programPath + QStringLiteral("horses.mdb"), error))
        return false;
    // The read lock is taken before the copy and held to the deletes, so that no other writer can come
    // between them; the engine copies only through a connection that is not writing yet.
    if (!exec(db, QStringLiteral("BEGIN"), error) ||
        !exec(db, QStringLiteral("SELECT COUNT(*) FROM sqlite_master"), error)) {
        error = QStringLiteral("The database is in use: %1").arg(error);
        return false;
    }
    bool ok = keepSafetyCopy(db, programPath, error);
    for (qsizetype i = 0; ok && i < weeks.size(); ++i) {
        ok = db.removeWeek(weeks[i]);
        if (!ok)
            error = db.error();
    }
    QString commitError;
    if (ok && !exec(db, QStringLiteral("COMMIT"), commitError)) {
        ok = false;
        error = QStringLiteral("The removal could not be stored: %1").arg(commitError);
    }
    if (!ok)
        exec(db, QStringLiteral("ROLLBACK"), commitError);
    return ok;
}

bool compact(const QString& programPath, QString& error, std::optional<CompactStep> failAt)
{
    const QString dbPath = programPath + QStringLiteral("horses.mdb");
    const QString tempPath = programPath + QStringLiteral("horsestemp.mdb");
    if (QFileInfo::exists(tempPath) && !QFile::remove(tempPath)) {
        error = QStringLiteral("The file horsestemp.mdb left by an earlier compaction cannot be deleted");
        return false;
    }
    const auto fail = [&](const QString& text) {
        QFile::remove(tempPath);
        error = text;
        return false;
    };
    std::optional<QList<qint64>> before;
    {
        Database db;
        if (!db.open(dbPath))
            return fail(db.error());
        before = rowCounts(db, error);
        if (!before)
            return fail(QStringLiteral("The database cannot be read: %1").arg(error));
        // A connection still reading the file would go on reading the old one after the rename: refuse
        // rather than wait, the program being the only user of the file.
        if (!exec(db, QStringLiteral("PRAGMA busy_timeout = 0"), error) ||
            !exec(db, QStringLiteral("BEGIN EXCLUSIVE"), error) || !exec(db, QStringLiteral("COMMIT"), error))
            return fail(QStringLiteral("The database is in use elsewhere: %1").arg(error));
        // The copy is synced once as a whole below, before it can take the database's name; reading
        // through a memory map spares a system call per page. The map stays small: every page read through
        // it counts as the process's memory, and a file of 15 million starts is 3 GB.
        exec(db, QStringLiteral("PRAGMA synchronous = OFF"), error);
        exec(db, QStringLiteral("PRAGMA mmap_size = 134217728"), error);
        QSqlQuery q(db.handle());
        q.prepare(QStringLiteral("VACUUM INTO ?"));
        q.addBindValue(tempPath);
        if (!q.exec() || failAt == CompactStep::Copied)
            return fail(QStringLiteral("The database could not be compacted: %1").arg(q.lastError().text()));
    }
    // The copy goes to the disk while its rows are counted. The engine wrote every page of it just now, and
    // reading them back would read the same pages from memory, not from the disk: what is checked is that
    // the copy opens and holds every row, and the file before compaction stays as the automatic copy.
    std::future<bool> flushed = std::async(std::launch::async, flushToDisk, tempPath);
    const auto failFlushed = [&](const QString& text) {
        flushed.wait();
        return fail(text);
    };
    {
        Database copy;
        if (!copy.open(tempPath))
            return failFlushed(QStringLiteral("The compacted copy cannot be opened: %1").arg(copy.error()));
        const auto after = rowCounts(copy, error);
        if (!after || *after != *before || failAt == CompactStep::Checked)
            return failFlushed(QStringLiteral(
                "The compacted copy does not hold every row; the database was left as it was"));
    }
    if (!flushed.get())
        return fail(QStringLiteral("The compacted copy cannot be written to the disk"));
    // The file before compaction stays as the automatic copy: a second name for the same file costs
    // nothing, and only where the file system has no such names is it copied.
    const QString safety = safetyCopyPath(programPath);
    const QString safetyPart = safety + QStringLiteral(".part");
    QFile::remove(safetyPart);
    std::error_code ec;
    std::filesystem::create_hard_link(fsPath(dbPath), fsPath(safetyPart), ec);
    if (ec && !QFile::copy(dbPath, safetyPart))
        return fail(QStringLiteral("The copy of the database before this change could not be kept"));
    if (!replaceFile(safetyPart, safety, error)) {
        QFile::remove(safetyPart);
        return fail(error);
    }
    if (!replaceFile(tempPath, dbPath, error))
        return fail(error);
    return true;
}

std::optional<QList<Track>> tracks(const QString& dbPath, QString& error)
{
    Database db;
    if (!open(db, dbPath, error))
        return std::nullopt;
    QSqlQuery q(db.handle());
    q.setForwardOnly(true);
    if (!q.exec(QStringLiteral("SELECT num, stcode FROM statecodes ORDER BY num ASC"))) {
        error = QStringLiteral("The track table cannot be read: %1").arg(q.lastError().text());
        return std::nullopt;
    }
    QList<Track> out;
    while (q.next())
        out.push_back({q.value(0).toInt(), q.value(1).toString()});
    return out;
}

namespace
{

/** Runs one statement on statecodes with the track number bound; the number of rows it changed. */
std::optional<int> changeTrack(const QString& dbPath, const QString& sql, const QVariantList& binds,
                               QString& error)
{
    Database db;
    if (!open(db, dbPath, error))
        return std::nullopt;
    QSqlQuery q(db.handle());
    q.prepare(sql);
    for (const QVariant& v : binds)
        q.addBindValue(v);
    if (!q.exec()) {
        error = QStringLiteral("The track table cannot be changed: %1").arg(q.lastError().text());
        return std::nullopt;
    }
    return q.numRowsAffected();
}

TrackChange outcome(const std::optional<int>& changed, TrackChange none)
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
    return outcome(changeTrack(dbPath,
                               QStringLiteral("INSERT INTO statecodes (num, stcode) SELECT ?, ? WHERE NOT "
                                              "EXISTS (SELECT 1 FROM statecodes WHERE num = ?)"),
                               {num, stored, num}, error),
                   TrackChange::Exists);
}

TrackChange deleteTrack(const QString& dbPath, int num, QString& error)
{
    return outcome(changeTrack(dbPath, QStringLiteral("DELETE FROM statecodes WHERE num = ?"), {num}, error),
                   TrackChange::Missing);
}

} // namespace DbCare
