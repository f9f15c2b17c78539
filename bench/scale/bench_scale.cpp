// bench_scale: the writing side of a large database, each operation through the core beside the raw SQLite
// statements that do the same in the sqlite3 shell: a week replaced by the import (with the automatic copy it
// keeps first), a week removal, a new week imported, a backup,
// a compaction; the file size per million starts, the time the main window takes to open, and the wall time
// and peak memory of every kind of turftrawler-cli command, each in a process of its own. With bench_search
// and bench_progeny run on the same DIR it gives every figure of a database of 15 million starts:
//
//   bench_scale --dir /tmp/turf-bench-ladder-15m --weeks 4200     (builds the set once: hours)
//   bench_search --dir /tmp/turf-bench-ladder-15m --weeks 4200
//   bench_progeny --dir /tmp/turf-bench-ladder-15m --weeks 4200
#include "benchdata.h"
#include "core/headlessplatform.h"
#include "core/mainwindowstate.h"
#include "db/database.h"
#include "gui/app/frmmainfinder.h"
#include "gui/app/qtplatform.h"
#include "import/importdriver.h"
#include "sample/generator.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <vector>

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

/** Runs a program to its end in a process of its own: its wall time in ms and its peak memory in MB. */
std::pair<double, long> measured(const QString& program, const QStringList& args)
{
    std::vector<QByteArray> texts{program.toLocal8Bit()};
    for (const QString& a : args)
        texts.push_back(a.toLocal8Bit());
    std::vector<char*> argv;
    for (QByteArray& t : texts)
        argv.push_back(t.data());
    argv.push_back(nullptr);
    QElapsedTimer t;
    t.start();
    const pid_t pid = fork();
    if (pid == 0) {
        // The command's own output is not what is measured.
        freopen("/dev/null", "w", stdout);
        execv(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    return {t.nsecsElapsed() / 1e6,
            WIFEXITED(status) && WEXITSTATUS(status) == 0 ? usage.ru_maxrss / 1024 : -1};
}

/** The text of the first column of the first row a statement gives. */
QString first(Database& db, const QString& sql)
{
    return BenchData::column(db, sql).value(0);
}

} // namespace

int main(int argc, char** argv)
{
    // The main window opens on the offscreen platform unless a display is asked for.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    QString dir = QStringLiteral("/tmp/turf-bench-ladder");
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
        starts = db.number("SELECT COUNT(*) FROM tblhorsedata", QString()).value_or(0);
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
        t.restart();
        {
            Sql::Transaction tx(db.sql());
            db.removeWeek(week);
            tx.commit();
        }
        const double removeMs = t.nsecsElapsed() / 1e6;
        db.close();
        row(QStringLiteral("remove one week"), removeMs, shellMs);
    }
    {
        // A week that is not stored yet: the week back first (untimed); the shell keeps its rows aside and
        // deletes them untimed, then inserts them; the core removes the week again untimed and imports it.
        // The week is stored afterwards, as before.
        importFiles(f, {file}, DuplicateWeek::Ask);
        const double shellMs = shellMillis(
            path, QStringLiteral(".timer off\nCREATE TEMP TABLE h AS SELECT * FROM tblhorsedata WHERE %1;"
                                 "CREATE TEMP TABLE r AS SELECT * FROM tblraces WHERE %1;\n")
                          .arg(band) +
                      remove +
                      QStringLiteral(".timer on\nBEGIN;\nINSERT INTO tblraces SELECT * FROM r;\nINSERT INTO "
                                     "tblhorsedata SELECT * FROM h;\nCOMMIT;\n"));
        Database db;
        db.open(path);
        {
            Sql::Transaction tx(db.sql());
            db.removeWeek(week);
            tx.commit();
        }
        db.close();
        t.restart();
        importFiles(f, {file}, DuplicateWeek::Ask);
        row(QStringLiteral("import a new week"), t.nsecsElapsed() / 1e6, shellMs);
    }
    // The shell's own VACUUM in place, on a copy: the command line then compacts the file itself.
    const QString copy = dir + QStringLiteral("/compacted.mdb");
    QFile::remove(copy);
    QFile::copy(path, copy);
    const double vacuumMs = shellMillis(copy, QStringLiteral("VACUUM;\n"));
    QFile::remove(copy);
    const QString backupFile = dir + QStringLiteral("/backup.mdb");
    QFile::remove(backupFile);
    t.restart();
    QProcess::execute(QStringLiteral("sqlite3"), {path, QStringLiteral(".backup '%1'").arg(backupFile)});
    const double rawBackupMs = t.nsecsElapsed() / 1e6;
    QFile::remove(backupFile);

    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    out << "\npeak memory of this process (import and removal through the core): " << usage.ru_maxrss / 1024
        << " MB\n";

    // The main window: built, loaded (the database looked for, the saved layout read) and shown.
    {
        t.restart();
        QtPlatform qt;
        frmmainfinder window(qt, dir + QLatin1Char('/'), BenchData::breedingPath(dir, 20000));
        qt.setParentWidget(&window);
        const bool loaded = window.Form_Load();
        window.show();
        QCoreApplication::processEvents();
        out << "main window open: " << t.nsecsElapsed() / 1e6 << " ms" << (loaded ? "" : " (refused)")
            << "\n";
    }

    // Every kind of command in a process of its own, as a player would run it.
    QString horse, id, owner, race, stallion = TurfGen::Generator(TurfGen::Settings{}).topStallion().left(25);
    {
        Database db;
        db.open(path);
        const QString recent =
            QStringLiteral(" FROM tblhorsedata WHERE racenum > %1 LIMIT 1").arg(week + weeks - 10);
        horse = first(db, QStringLiteral("SELECT hname") + recent);
        id = first(db, QStringLiteral("SELECT hid") + recent);
        race = first(db, QStringLiteral("SELECT printf('%.4f', racenum)") + recent);
        owner =
            first(db, QStringLiteral("SELECT oname FROM tblhorsedata GROUP BY oname HAVING COUNT(*) >= 15000 "
                                     "ORDER BY COUNT(*) LIMIT 1"));
        if (owner.isEmpty())
            owner = first(
                db, QStringLiteral("SELECT oname FROM tblhorsedata GROUP BY oname ORDER BY COUNT(*) DESC"));
    }
    const QString cli = QCoreApplication::applicationDirPath() + QStringLiteral("/turftrawler-cli");
    const QStringList base{QStringLiteral("--dir"), dir};
    const QString yes = QStringLiteral("--yes");
    const auto search = [&](const char* option, const QString& subject) {
        return base + QStringList{QStringLiteral("search"), QLatin1String(option), subject, yes};
    };
    struct Command {
        QString label;
        QStringList args;
    };
    const QList<Command> commands = {
        {QStringLiteral("search horse by name"), search("--horse", horse)},
        {QStringLiteral("search horse by id"), search("--id", id)},
        {QStringLiteral("search prefix"), search("--horse", horse.left(6) + QLatin1Char('*'))},
        {QStringLiteral("search owner (15,000 rows)"), search("--owner", owner)},
        {QStringLiteral("search race"), search("--race", race)},
        {QStringLiteral("search *end of a name"), search("--horse", QLatin1Char('*') + horse.mid(2))},
        {QStringLiteral("search *inside*"), search("--horse", QStringLiteral("*heriff*"))},
        {QStringLiteral("search *last word"), search("--horse", QStringLiteral("*Dancer"))},
        {QStringLiteral("search owner *inside*"),
         search("--owner", QLatin1Char('*') + owner.mid(2, 7) + QLatin1Char('*'))},
        {QStringLiteral("stable search"), base + QStringList{QStringLiteral("stable"), owner, yes}},
        {QStringLiteral("progeny (sires)"),
         base + QStringList{QStringLiteral("sires"), stallion, QStringLiteral("--breeding"),
                            BenchData::breedingPath(dir, 20000)}},
        {QStringLiteral("import one week (replace)"),
         base + QStringList{QStringLiteral("import"), QStringLiteral("--replace"), file}},
        {QStringLiteral("remove one week"),
         base + QStringList{QStringLiteral("remove-weeks"), QString::number(week)}},
        {QStringLiteral("import the week back"), base + QStringList{QStringLiteral("import"), file}},
        {QStringLiteral("backup"), base + QStringList{QStringLiteral("backup"), backupFile}},
        {QStringLiteral("compact"), base + QStringList{QStringLiteral("compact")}},
    };
    out << "\n"
        << QStringLiteral("%1 %2 %3\n")
               .arg(QStringLiteral("turftrawler-cli command"), -28)
               .arg(QStringLiteral("wall ms"), 10)
               .arg(QStringLiteral("peak MB"), 8);
    QHash<QString, double> wall;
    for (const Command& c : commands) {
        const auto [ms, mb] = measured(cli, c.args);
        wall[c.label] = ms;
        out << QStringLiteral("%1 %2 %3\n").arg(c.label, -28).arg(ms, 10, 'f', 1).arg(mb, 8);
        out.flush();
    }
    QFile::remove(backupFile);
    out << "\n";
    row(QStringLiteral("backup (cli / .backup)"), wall[QStringLiteral("backup")], rawBackupMs);
    row(QStringLiteral("compact (cli / VACUUM)"), wall[QStringLiteral("compact")], vacuumMs);
    return 0;
}
