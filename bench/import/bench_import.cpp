// Imports generated weeks into an empty horses.mdb and reports the import's time divided by the sqlite3
// shell's .import of the same races and starts as CSV (lower is better), side by side in one run. The shell
// loads into a schema fixed here, with the indexes, trigram table and counting triggers of the program's
// schema of December 2026, so that the baseline keeps its cost whatever the program's own schema becomes.
// With strace installed, one more import of each kind is traced and its write system calls counted. The
// window's import is measured against the command-line tool's by bench_windowimport.
//
//   bench_import [--weeks N] [--seed S] [--rounds R] [--sqlite3 PATH]
#include "core/headlessplatform.h"
#include "core/mainwindowstate.h"
#include "db/database.h"
#include "import/importdriver.h"
#include "sample/generator.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>

namespace
{

/** The baseline's schema: the tables, indexes, name index and its triggers, as the program had them when the
    goal was set. */
const char* const BaselineSchema = R"(
CREATE TABLE tblraces (racenum REAL NOT NULL, surf TEXT, cond TEXT, dist REAL, size INTEGER, purse INTEGER,
    cprice INTEGER, restr TEXT, age TEXT);
CREATE TABLE tblhorsedata (hname TEXT COLLATE NOCASE, hid INTEGER, racenum REAL NOT NULL, fin INTEGER,
    ppos INTEGER, sp REAL, start INTEGER, odds REAL, oname TEXT COLLATE NOCASE);
CREATE TABLE statecodes (num INTEGER PRIMARY KEY, stcode TEXT);
CREATE INDEX tblraces_racenum ON tblraces (racenum, surf, cond, dist, size, purse, cprice, restr, age);
CREATE INDEX tblhorsedata_racenum ON tblhorsedata (racenum);
CREATE INDEX tblhorsedata_hname ON tblhorsedata (hname COLLATE NOCASE, racenum, hid, fin, ppos, sp, start,
    odds, oname);
CREATE INDEX tblhorsedata_hid ON tblhorsedata (hid, racenum);
CREATE INDEX tblhorsedata_oname ON tblhorsedata (oname COLLATE NOCASE, racenum, hname, hid, fin, ppos, sp,
    start, odds);
CREATE TABLE tblnames (id INTEGER PRIMARY KEY, kind INTEGER NOT NULL, name TEXT COLLATE NOCASE NOT NULL,
    starts INTEGER NOT NULL, UNIQUE (kind, name));
CREATE VIRTUAL TABLE tblnames_fts USING fts5(name, content='tblnames', content_rowid='id', tokenize='trigram');
CREATE TRIGGER tblnames_added AFTER INSERT ON tblnames BEGIN
    INSERT INTO tblnames_fts (rowid, name) VALUES (new.id, new.name); END;
CREATE TRIGGER tblnames_dropped AFTER DELETE ON tblnames BEGIN
    INSERT INTO tblnames_fts (tblnames_fts, rowid, name) VALUES ('delete', old.id, old.name); END;
CREATE TRIGGER tblhorsedata_names_added AFTER INSERT ON tblhorsedata BEGIN
    INSERT INTO tblnames (kind, name, starts) SELECT 0, new.hname, 0 WHERE new.hname IS NOT NULL AND NOT EXISTS
        (SELECT 1 FROM tblnames WHERE kind = 0 AND name = new.hname);
    UPDATE tblnames SET starts = starts + 1 WHERE kind = 0 AND name = new.hname;
    INSERT INTO tblnames (kind, name, starts) SELECT 1, new.oname, 0 WHERE new.oname IS NOT NULL AND NOT EXISTS
        (SELECT 1 FROM tblnames WHERE kind = 1 AND name = new.oname);
    UPDATE tblnames SET starts = starts + 1 WHERE kind = 1 AND name = new.oname; END;
CREATE TRIGGER tblhorsedata_names_dropped AFTER DELETE ON tblhorsedata BEGIN
    UPDATE tblnames SET starts = starts - 1 WHERE kind = 0 AND name = old.hname;
    DELETE FROM tblnames WHERE kind = 0 AND name = old.hname AND starts <= 0;
    UPDATE tblnames SET starts = starts - 1 WHERE kind = 1 AND name = old.oname;
    DELETE FROM tblnames WHERE kind = 1 AND name = old.oname AND starts <= 0; END;
)";

/** The write system calls of a traced command (write, pwrite64 and their vector forms), or -1 without strace.
 */
qint64 writeCalls(const QString& program, const QStringList& args, const QByteArray& input = {})
{
    QTemporaryDir tmp;
    const QString summary = tmp.filePath(QStringLiteral("calls"));
    QProcess p;
    p.start(QStringLiteral("strace"),
            // Only the write calls stop the traced program: the reads go on at full speed.
            QStringList{QStringLiteral("-f"), QStringLiteral("--seccomp-bpf"), QStringLiteral("-c"),
                        QStringLiteral("-o"), summary, QStringLiteral("-e"),
                        QStringLiteral("trace=write,pwrite64,writev,pwritev")} +
                QStringList{program} + args);
    if (!p.waitForStarted())
        return -1;
    p.write(input);
    p.closeWriteChannel();
    p.waitForFinished(-1);
    QFile f(summary);
    if (p.exitCode() != 0 || !f.open(QIODevice::ReadOnly))
        return -1;
    // The summary ends with "100.00 SECONDS USECS/CALL CALLS [ERRORS] total".
    const QList<QByteArray> lines = f.readAll().trimmed().split('\n');
    const QList<QByteArray> total =
        lines.isEmpty() ? QList<QByteArray>() : lines.last().simplified().split(' ');
    return total.size() >= 5 && total.last() == "total" ? total[3].toLongLong() : -1;
}

QByteArray csvField(const QVariant& v)
{
    if (v.typeId() == QMetaType::QString) {
        QByteArray t = v.toString().toUtf8();
        t.replace('"', "\"\"");
        return '"' + t + '"';
    }
    if (v.typeId() == QMetaType::Double)
        return QByteArray::number(v.toDouble(), 'g', 17);
    return v.toString().toUtf8();
}

/** Writes a table as CSV without a header, in the column order of the schema. */
bool exportCsv(Database& db, const QString& table, const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    Sql::Statement q = db.prepare(QStringLiteral("SELECT * FROM %1").arg(table));
    if (!q)
        return false;
    QByteArray buffer;
    while (q.next()) {
        const int n = q.columnCount();
        for (int i = 0; i < n; ++i) {
            if (i)
                buffer += ',';
            buffer += csvField(q.value(i));
        }
        buffer += '\n';
        if (buffer.size() > (1 << 20)) {
            f.write(buffer);
            buffer.clear();
        }
    }
    f.write(buffer);
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTextStream out(stdout), err(stderr);
    QStringList args = app.arguments().mid(1);
    int weeks = 50, rounds = 3;
    quint64 seed = 1;
    QString shell = QStringLiteral("sqlite3");
    while (args.size() >= 2) {
        const QString a = args.takeFirst(), v = args.takeFirst();
        if (a == QLatin1String("--weeks"))
            weeks = std::max(1, v.toInt());
        else if (a == QLatin1String("--seed"))
            seed = v.toULongLong();
        else if (a == QLatin1String("--rounds"))
            rounds = std::max(1, v.toInt());
        else if (a == QLatin1String("--sqlite3"))
            shell = v;
    }

    QTemporaryDir tmp;
    const QString filesDir = tmp.filePath(QStringLiteral("weeks"));
    TurfGen::Settings settings;
    settings.seed = seed;
    TurfGen::Generator gen(settings);
    if (!gen.writeWeeks(600, 600 + weeks - 1, filesDir)) {
        err << "cannot write the generated weeks\n";
        return 1;
    }
    // Week by week, oldest first, as a player imports a history (not raceout1000 before raceout600).
    QStringList paths;
    for (int week = 600; week < 600 + weeks; ++week)
        paths << QDir(filesDir).filePath(QStringLiteral("raceout%1.txt").arg(week));
    const qint64 starts = gen.totals().starts;
    const qint64 races = gen.totals().races;
    out << "Generated " << weeks << " weeks: " << races << " races, " << starts << " starts\n";

    const QByteArray shellInput =
        QStringLiteral(".mode csv\n.import %1 tblraces\n.import %2 tblhorsedata\n")
            .arg(tmp.filePath(QStringLiteral("races.csv")), tmp.filePath(QStringLiteral("starts.csv")))
            .toUtf8();
    double bestImport = 1e300, bestShell = 1e300;
    bool csvReady = false;
    for (int round = 0; round < rounds; ++round) {
        // Turf Trawler's import, through the same entry point as the menu command.
        const QString dir = tmp.filePath(QStringLiteral("import%1").arg(round));
        QDir().mkpath(dir);
        {
            Database db;
            if (!db.create(dir + QStringLiteral("/horses.mdb"))) {
                err << db.error() << "\n";
                return 1;
            }
        }
        HeadlessPlatform platform;
        MainWindowState finder(platform, dir, QString());
        QElapsedTimer t;
        t.start();
        const ImportResult r = importFiles(finder, paths);
        const double seconds = t.nsecsElapsed() / 1e9;
        if (r.status != ImportResult::Status::Done || r.starts != starts) {
            err << "import failed: " << r.detail << "\n";
            return 1;
        }
        bestImport = std::min(bestImport, seconds);

        if (!csvReady) {
            Database db;
            db.open(dir + QStringLiteral("/horses.mdb"));
            if (!exportCsv(db, QStringLiteral("tblraces"), tmp.filePath(QStringLiteral("races.csv"))) ||
                !exportCsv(db, QStringLiteral("tblhorsedata"), tmp.filePath(QStringLiteral("starts.csv")))) {
                err << "cannot write the CSV files\n";
                return 1;
            }
            csvReady = true;
        }

        // The sqlite3 shell loading the same rows into the same schema.
        const QString shellDb = tmp.filePath(QStringLiteral("shell%1.mdb").arg(round));
        {
            Sql::Connection db;
            if (!db.open(shellDb, Sql::Connection::Mode::Create, 0) || !db.exec(BaselineSchema)) {
                err << "cannot make the baseline's schema: " << db.errorMessage() << "\n";
                return 1;
            }
        }
        QProcess p;
        p.start(shell, {shellDb});
        if (!p.waitForStarted()) {
            err << "the sqlite3 shell (" << shell << ") cannot be started; give --sqlite3 PATH\n";
            return 1;
        }
        t.restart();
        p.write(shellInput);
        p.closeWriteChannel();
        p.waitForFinished(-1);
        const double shellSeconds = t.nsecsElapsed() / 1e9;
        if (p.exitCode() != 0) {
            err << "sqlite3 .import failed: " << p.readAllStandardError() << "\n";
            return 1;
        }
        bestShell = std::min(bestShell, shellSeconds);
        out << "round " << round + 1 << ": import " << QString::number(seconds, 'f', 3)
            << " s, sqlite3 .import " << QString::number(shellSeconds, 'f', 3) << " s, ratio "
            << QString::number(seconds / shellSeconds, 'f', 2) << "\n";
        out.flush();
    }
    out << "Import:          " << qint64(starts / bestImport) << " starts/s ("
        << QString::number(bestImport, 'f', 3) << " s for " << starts << " starts and " << races
        << " races)\n";
    out << "sqlite3 .import: " << qint64(starts / bestShell) << " starts/s ("
        << QString::number(bestShell, 'f', 3) << " s)\n";
    out << "Ratio (import time / sqlite3 time, best of each): "
        << QString::number(bestImport / bestShell, 'f', 2) << "\n";

    // The write system calls of each, when strace is there: the command-line tool's import of the same files
    // into a new database, and the shell's .import into the baseline.
    const QString cli = QCoreApplication::applicationDirPath() + QStringLiteral("/turftrawler-cli");
    const QString traced = tmp.filePath(QStringLiteral("traced"));
    QDir().mkpath(traced);
    Database().create(traced + QStringLiteral("/horses.mdb"));
    const qint64 importCalls =
        writeCalls(cli, QStringList{QStringLiteral("--dir"), traced, QStringLiteral("import")} + paths);
    const QString shellTraced = tmp.filePath(QStringLiteral("traced.mdb"));
    {
        Sql::Connection db;
        db.open(shellTraced, Sql::Connection::Mode::Create, 0);
        db.exec(BaselineSchema);
    }
    const qint64 shellCalls = writeCalls(shell, {shellTraced}, shellInput);
    if (importCalls < 0 || shellCalls < 0)
        out << "Write system calls: not counted (strace is not installed or failed)\n";
    else
        out << "Write system calls: import " << importCalls << ", sqlite3 .import " << shellCalls << "\n";
    return 0;
}
