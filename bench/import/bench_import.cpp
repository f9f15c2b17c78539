// Imports generated weeks into an empty horses.mdb with turftrawler-cli, as a player does, and reports the
// whole command's time divided by the sqlite3 shell's .import of the same races and starts as CSV (lower is
// better), side by side in each round. Both are timed as child processes from their start to their exit,
// start-up, final commit and index work included, and their processor time is printed beside.
//
// The files take every form a player's files take: line ends CR LF or LF alone, texts quoted or not, every
// field quoted, lines after the end marker. The shell loads into a schema fixed here, with the indexes,
// trigram table and counting triggers of the program's schema of December 2026, so that the baseline keeps
// its cost whatever the program's own schema becomes. With strace installed, one more import of each kind is
// traced and its write system calls counted. The window's import is measured against the command-line tool's
// by bench_windowimport.
//
//   bench_import [--weeks 64] [--tracks 44] [--seed S] [--rounds R] [--sqlite3 PATH] [--cli PATH]...
//
// --cli names the command-line tool to time (default: the one beside the benchmark); given more than once,
// each is timed in every round, so that two builds are compared under the same load.
#include "db/database.h"
#include "sample/generator.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>

#include <sys/resource.h>

#include <algorithm>
#include <vector>

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

/** Every field that is not quoted, quoted: numbers, plain texts and the end marker alike. An empty run
    between a comma and a line end is the one separator it stands for and stays empty. */
QByteArray quoteEveryField(const QByteArray& in)
{
    QByteArray out;
    out.reserve(in.size() + in.size() / 3);
    bool fieldStart = true;
    for (qsizetype i = 0; i < in.size();) {
        const char c = in[i];
        if (fieldStart && c == '"') {
            const qsizetype close = in.indexOf('"', i + 1);
            const qsizetype end = close < 0 ? in.size() : close + 1;
            out += in.mid(i, end - i);
            i = end;
            fieldStart = false;
        } else if (fieldStart && c != ',' && c != '\r' && c != '\n') {
            qsizetype end = i;
            while (end < in.size() && in[end] != ',' && in[end] != '\r' && in[end] != '\n')
                ++end;
            out += '"' + in.mid(i, end - i) + '"';
            i = end;
            fieldStart = false;
        } else {
            out += c;
            fieldStart = c == ',' || c == '\r' || c == '\n';
            ++i;
        }
    }
    return out;
}

/**
 * Rewrites the generated week files in the forms a player's files come in, each week in one mix of them:
 * line ends as generated (mostly CR LF) or LF alone, texts as generated (quoted, or plain in some weeks) or
 * every field quoted, and lines after the end marker or none. Returns how many files got each form.
 */
QString giveFilesPlayersForms(const QStringList& paths)
{
    int lf = 0, quoted = 0, trailing = 0;
    for (qsizetype i = 0; i < paths.size(); ++i) {
        QFile f(paths[i]);
        if (!f.open(QIODevice::ReadOnly))
            continue;
        QByteArray bytes = f.readAll();
        f.close();
        if (i % 2 == 1) {
            bytes.replace("\r\n", "\n");
            ++lf;
        }
        if (i % 4 >= 2) {
            bytes = quoteEveryField(bytes);
            ++quoted;
        }
        if (i % 3 == 0) {
            const QByteArray end = i % 2 == 1 ? "\n" : "\r\n";
            bytes += end + "\"Results of the week\",\"generated by the simulation\"" + end + end +
                     "\"Player's notes\"" + end + "   " + end;
            ++trailing;
        }
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size())
            return {};
    }
    return QStringLiteral(
               "%1 files with LF line ends, %2 with every field quoted, %3 with lines after the end "
               "marker")
        .arg(lf)
        .arg(quoted)
        .arg(trailing);
}

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

/** The processor time of the children waited for so far, in seconds: in the program and in the system. */
std::pair<double, double> childrenCpuSeconds()
{
    rusage u{};
    getrusage(RUSAGE_CHILDREN, &u);
    return {double(u.ru_utime.tv_sec) + double(u.ru_utime.tv_usec) / 1e6,
            double(u.ru_stime.tv_sec) + double(u.ru_stime.tv_usec) / 1e6};
}

/** One child process run to its end: its wall time, processor time, exit status and output. */
struct Run {
    double seconds = 0;
    double user = 0;   // processor time in the program
    double system = 0; // and in the system's calls, which the shell makes millions of
    bool ok = false;
    QByteArray output;
};

Run runChild(const QString& program, const QStringList& args, const QByteArray& input = {})
{
    Run r;
    QProcess p;
    const auto [userBefore, systemBefore] = childrenCpuSeconds();
    QElapsedTimer t;
    t.start();
    p.start(program, args);
    if (!p.waitForStarted())
        return r;
    p.write(input);
    p.closeWriteChannel();
    p.waitForFinished(-1);
    r.seconds = t.nsecsElapsed() / 1e9;
    const auto [user, system] = childrenCpuSeconds();
    r.user = user - userBefore;
    r.system = system - systemBefore;
    r.ok = p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    r.output = p.readAllStandardOutput() + p.readAllStandardError();
    return r;
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

bool makeBaseline(const QString& path, QTextStream& err)
{
    Sql::Connection db;
    if (!db.open(path, Sql::Connection::Mode::Create, 0) || !db.exec(BaselineSchema)) {
        err << "cannot make the baseline's schema: " << db.errorMessage() << "\n";
        return false;
    }
    return true;
}

QString seconds(double s)
{
    return QString::number(s, 'f', 3) + QStringLiteral(" s");
}

/** The timings of one side over the rounds. */
struct Side {
    QString name;
    std::vector<double> wall, user, system;
    void add(const Run& r)
    {
        wall.push_back(r.seconds);
        user.push_back(r.user);
        system.push_back(r.system);
    }
    static double least(const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); }
    double best() const { return least(wall); }
    double median() const
    {
        std::vector<double> v = wall;
        std::sort(v.begin(), v.end());
        return v[v.size() / 2];
    }
    QString cpu() const
    {
        return QStringLiteral("least processor time %1 in the program and %2 in the system")
            .arg(seconds(least(user)), seconds(least(system)));
    }
};

QString timing(const Run& r)
{
    return seconds(r.seconds) + QStringLiteral(" (cpu %1 + %2)").arg(seconds(r.user), seconds(r.system));
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout), err(stderr);
    QStringList args = app.arguments().mid(1);
    int weeks = 64, rounds = 3;
    TurfGen::Settings settings;
    settings.tracks = 44; // about 4,000 starts a week
    QString shell = QStringLiteral("sqlite3");
    QStringList clis;
    while (args.size() >= 2) {
        const QString a = args.takeFirst(), v = args.takeFirst();
        if (a == QLatin1String("--weeks"))
            weeks = std::max(1, v.toInt());
        else if (a == QLatin1String("--tracks"))
            settings.tracks = std::clamp(v.toInt(), 1, 99);
        else if (a == QLatin1String("--seed"))
            settings.seed = v.toULongLong();
        else if (a == QLatin1String("--rounds"))
            rounds = std::max(1, v.toInt());
        else if (a == QLatin1String("--sqlite3"))
            shell = v;
        else if (a == QLatin1String("--cli"))
            clis << QFileInfo(v).absoluteFilePath();
    }
    if (clis.isEmpty())
        clis << QCoreApplication::applicationDirPath() + QStringLiteral("/turftrawler-cli");

    QTemporaryDir tmp;
    const QString filesDir = tmp.filePath(QStringLiteral("weeks"));
    TurfGen::Generator gen(settings);
    if (!gen.writeWeeks(600, 600 + weeks - 1, filesDir)) {
        err << "cannot write the generated weeks\n";
        return 1;
    }
    // Week by week, oldest first, as a player imports a history (not raceout1000 before raceout600).
    QStringList paths;
    for (int week = 600; week < 600 + weeks; ++week)
        paths << QDir(filesDir).filePath(QStringLiteral("raceout%1.txt").arg(week));
    const QString forms = giveFilesPlayersForms(paths);
    if (forms.isEmpty()) {
        err << "cannot rewrite the generated weeks\n";
        return 1;
    }
    const qint64 starts = gen.totals().starts;
    const qint64 races = gen.totals().races;
    out << "Generated " << weeks << " weeks: " << races << " races, " << starts << " starts; " << forms
        << "\n";

    const QByteArray shellInput =
        QStringLiteral(".mode csv\n.import %1 tblraces\n.import %2 tblhorsedata\n")
            .arg(tmp.filePath(QStringLiteral("races.csv")), tmp.filePath(QStringLiteral("starts.csv")))
            .toUtf8();
    const QByteArray expected =
        "Imported " + QByteArray::number(races) + " races and " + QByteArray::number(starts) + " starts";
    std::vector<Side> sides;
    for (const QString& cli : clis)
        sides.push_back({cli, {}, {}, {}});
    Side shellSide{QStringLiteral("sqlite3 .import"), {}, {}, {}};
    for (int round = 0; round < rounds; ++round) {
        out << "round " << round + 1 << ":";
        for (std::size_t c = 0; c < sides.size(); ++c) {
            // turftrawler-cli's import into a new database, as a player's first import of a history.
            const QString dir = tmp.filePath(QStringLiteral("import%1-%2").arg(round).arg(c));
            QDir().mkpath(dir);
            const QStringList dirArgs{QStringLiteral("--dir"), dir};
            if (!runChild(sides[c].name, dirArgs + QStringList{QStringLiteral("init")}).ok) {
                err << "\n" << sides[c].name << " cannot make a database\n";
                return 1;
            }
            const Run r = runChild(sides[c].name, dirArgs + QStringList{QStringLiteral("import")} + paths);
            if (!r.ok || !r.output.contains(expected)) {
                err << "\nimport failed: " << r.output.left(2000) << "\n";
                return 1;
            }
            sides[c].add(r);
            out << " import" << (sides.size() > 1 ? QString::number(c + 1) : QString()) << " " << timing(r)
                << ",";
            if (!QFile::exists(tmp.filePath(QStringLiteral("starts.csv")))) {
                Database db;
                db.open(dir + QStringLiteral("/horses.mdb"));
                if (!exportCsv(db, QStringLiteral("tblraces"), tmp.filePath(QStringLiteral("races.csv"))) ||
                    !exportCsv(db, QStringLiteral("tblhorsedata"),
                               tmp.filePath(QStringLiteral("starts.csv")))) {
                    err << "\ncannot write the CSV files\n";
                    return 1;
                }
            }
        }
        // The sqlite3 shell loading the same rows into the same schema.
        const QString shellDb = tmp.filePath(QStringLiteral("shell%1.mdb").arg(round));
        if (!makeBaseline(shellDb, err))
            return 1;
        const Run s = runChild(shell, {shellDb}, shellInput);
        if (!s.ok) {
            err << "\nsqlite3 .import failed (give --sqlite3 PATH): " << s.output << "\n";
            return 1;
        }
        shellSide.add(s);
        out << " sqlite3 .import " << timing(s) << ", ratio";
        for (const Side& side : sides)
            out << " " << QString::number(side.wall.back() / s.seconds, 'f', 2);
        out << "\n";
        out.flush();
    }

    for (const Side& side : sides)
        out << "turftrawler-cli import (" << side.name << "): best " << seconds(side.best()) << ", median "
            << seconds(side.median()) << ", " << side.cpu() << "; " << qint64(starts / side.best())
            << " starts/s\n";
    out << "sqlite3 .import: best " << seconds(shellSide.best()) << ", median " << seconds(shellSide.median())
        << ", " << shellSide.cpu() << "\n";
    // Where system calls cost little, the shell takes little more than its time in the program: the last
    // ratio is the one a quiet machine without a hypervisor comes nearest to.
    const auto ratio = [](double a, double b) { return QString::number(a / b, 'f', 2); };
    for (const Side& side : sides)
        out << "Ratio (import time / sqlite3 time): best of each " << ratio(side.best(), shellSide.best())
            << ", medians " << ratio(side.median(), shellSide.median())
            << ", least processor time (the import's all of it, the shell's in the program alone) "
            << ratio(Side::least(side.user) + Side::least(side.system), Side::least(shellSide.user)) << "\n";

    // The write system calls of each, when strace is there: the command-line tool's import of the same files
    // into a new database, and the shell's .import into the baseline.
    const QString shellTraced = tmp.filePath(QStringLiteral("traced.mdb"));
    makeBaseline(shellTraced, err);
    const qint64 shellCalls = writeCalls(shell, {shellTraced}, shellInput);
    out << "Write system calls: sqlite3 .import " << shellCalls;
    for (std::size_t c = 0; c < sides.size(); ++c) {
        const QString traced = tmp.filePath(QStringLiteral("traced%1").arg(c));
        QDir().mkpath(traced);
        Database().create(traced + QStringLiteral("/horses.mdb"));
        out << ", import" << (sides.size() > 1 ? QString::number(c + 1) : QString()) << " "
            << writeCalls(sides[c].name,
                          QStringList{QStringLiteral("--dir"), traced, QStringLiteral("import")} + paths);
    }
    out << " (-1: not counted, strace is not installed or failed)\n";
    return 0;
}
