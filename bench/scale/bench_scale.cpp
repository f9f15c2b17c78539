// bench_scale: the writing side of a large database, each operation through the core beside the raw SQLite
// statements that do the same in the sqlite3 shell: a week replaced by the import, a week removal, a copy of
// the file by VACUUM INTO; the file size per million starts and the peak memory. With bench_search and
// bench_progeny run on the same DIR it gives every figure of a database of 15 million starts:
//
//   bench_scale --dir /tmp/turf-bench-15m --weeks 4200     (builds the set once: hours)
//   bench_search --dir /tmp/turf-bench-15m --weeks 4200
//   bench_progeny --dir /tmp/turf-bench-15m --weeks 4200
#include "benchdata.h"
#include "core/headlessplatform.h"
#include "core/mainwindowstate.h"
#include "db/database.h"
#include "generator/generator.h"
#include "import/importdriver.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <sys/resource.h>

namespace
{

QTextStream out(stdout);

/** The sum of the shell's Run Times of the script's statements, in ms. */
double shellMillis(const QString& db, const QString& script)
{
    QProcess p;
    p.start(QStringLiteral("sqlite3"), {db});
    p.write((QStringLiteral(".timer on\n") + script).toUtf8());
    p.closeWriteChannel();
    p.waitForFinished(-1);
    static const QRegularExpression re(QStringLiteral("Run Time: real ([0-9.]+)"));
    double ms = 0;
    for (auto it = re.globalMatch(QString::fromUtf8(p.readAllStandardOutput())); it.hasNext();)
        ms += it.next().captured(1).toDouble() * 1000;
    return ms;
}

void row(const QString& what, double core, double shell)
{
    out << QStringLiteral("%1 %2 %3 %4\n")
               .arg(what, -28)
               .arg(core, 10, 'f', 1)
               .arg(shell, 10, 'f', 1)
               .arg(shell > 0 ? core / shell : 0, 6, 'f', 2);
    out.flush();
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    QString dir = QStringLiteral("/tmp/turf-bench");
    int weeks = 700;
    for (qsizetype i = 0; i + 1 < args.size(); i += 2) {
        if (args[i] == QLatin1String("--dir"))
            dir = args[i + 1];
        else if (args[i] == QLatin1String("--weeks"))
            weeks = args[i + 1].toInt();
    }
    if (!BenchData::ensure(dir, weeks, 20000, out))
        return 1;
    const QString path = BenchData::databasePath(dir);
    const int week = BenchData::FirstWeek;
    const QString band = QStringLiteral("racenum > %1 AND racenum < %2").arg(week).arg(week + 1);
    qint64 starts = 0;
    {
        Database db;
        db.open(path);
        QSqlQuery q(QStringLiteral("SELECT COUNT(*) FROM tblhorsedata"), db.handle());
        q.next();
        starts = q.value(0).toLongLong();
    }
    const double mb = QFileInfo(path).size() / 1e6;
    out << starts << " starts, " << mb << " MB, " << mb / (starts / 1e6) << " MB per million starts\n\n";
    out << QStringLiteral("%1 %2 %3 %4\n")
               .arg(QStringLiteral("operation"), -28)
               .arg(QStringLiteral("core ms"), 10)
               .arg(QStringLiteral("shell ms"), 10)
               .arg(QStringLiteral("ratio"), 6);

    // The first week again, as the generator wrote it: the import replaces it with the same rows.
    QTemporaryDir tmp;
    const QString file = tmp.filePath(QStringLiteral("raceout%1.txt").arg(week));
    {
        TurfGen::Generator gen(TurfGen::Settings{});
        QFile f(file);
        f.open(QIODevice::WriteOnly);
        f.write(gen.weekFile(week));
    }
    HeadlessPlatform platform;
    platform.defaultAnswer = Platform::Answer::Yes;
    MainWindowState f(platform, dir, QString());
    QElapsedTimer t;
    t.start();
    const ImportResult r = importFiles(f, {file}, DuplicateWeek::Ask);
    const double importMs = t.nsecsElapsed() / 1e6;
    if (r.status != ImportResult::Status::Done) {
        out << "import failed: " << r.detail << "\n";
        return 1;
    }
    const QString keep =
        QStringLiteral("CREATE TEMP TABLE h AS SELECT * FROM tblhorsedata WHERE %1;"
                       "CREATE TEMP TABLE r AS SELECT * FROM tblraces WHERE %1;\n.timer on\nBEGIN;\n")
            .arg(band);
    const QString remove =
        QStringLiteral("DELETE FROM tblhorsedata WHERE %1;\nDELETE FROM tblraces WHERE %1;\n").arg(band);
    row(QStringLiteral("replace one week (import)"), importMs,
        shellMillis(path,
                    QStringLiteral(".timer off\n") + keep + remove +
                        QStringLiteral("INSERT INTO tblraces SELECT * FROM r;\nINSERT INTO tblhorsedata "
                                       "SELECT * FROM h;\nCOMMIT;\n")));
    {
        // The shell first, rolled back, while the week is still there.
        const double shellMs =
            shellMillis(path, QStringLiteral("BEGIN;\n") + remove + QStringLiteral("ROLLBACK;\n"));
        Database db;
        db.open(path);
        db.begin();
        t.restart();
        db.removeWeek(week);
        db.commit();
        const double removeMs = t.nsecsElapsed() / 1e6;
        db.close();
        row(QStringLiteral("remove one week"), removeMs, shellMs);
    }
    importFiles(f, {file}, DuplicateWeek::Ask); // the week back
    const QString copy = dir + QStringLiteral("/compacted.mdb");
    QFile::remove(copy);
    row(QStringLiteral("VACUUM INTO (raw)"), 0,
        shellMillis(path, QStringLiteral("VACUUM INTO '%1';\n").arg(copy)));
    QFile::remove(copy);
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    out << "\npeak memory of this process (import and removal through the core): " << usage.ru_maxrss / 1024
        << " MB\n";
    return 0;
}
