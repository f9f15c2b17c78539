// bench_analysis: times the analyses end to end through the core (the window's starts read, the analysis
// computed) against the equivalent SQL in the sqlite3 shell, on the default window (the newest 365 weeks) of
// a database of generated weeks, and runs each analysis's command in a process of its own for its wall time
// and peak memory.
//
// usage: bench_analysis [--dir DIR] [--weeks N] [--horses N] [--runs N] [--cases LETTERS]
// DIR (default /tmp/turf-bench) keeps the database and the breeding file of the first N horses (default 0:
// all of them, so that every starter has its sire); they are built once. For 15 million starts:
//   bench_analysis --dir /tmp/turf-bench-15m --weeks 4200
#include "benchdata.h"

#include "analysis/angles.h"
#include "analysis/headtohead.h"
#include "analysis/leaders.h"
#include "db/database.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTextStream>

#include <sys/resource.h>

#include <functional>
#include <vector>

namespace
{

QTextStream out(stdout);
using namespace Analysis;

/** The shell's time for a script in a fresh sqlite3 process: its own "Run Time" of the statements, or its
    wall time when `wall` (a script that loads a file first, which the timer does not see). */
double shellMillis(const QString& db, const QString& script, bool wall)
{
    QProcess p;
    QElapsedTimer t;
    t.start();
    p.start(QStringLiteral("sqlite3"), {db});
    p.write((QStringLiteral(".output /dev/null\n.timer on\n") + script).toUtf8());
    p.closeWriteChannel();
    p.waitForFinished(1800000);
    if (wall)
        return double(t.nsecsElapsed()) / 1e6;
    static const QRegularExpression re(QStringLiteral("Run Time: real ([0-9.]+)"));
    double ms = 0;
    auto it = re.globalMatch(QString::fromUtf8(p.readAllStandardOutput() + p.readAllStandardError()));
    while (it.hasNext())
        ms += it.next().captured(1).toDouble() * 1000;
    return ms;
}

/** The angles in SQL: each start's two starts before it over the whole table by a window function, its
    race's, then the sums of the angles' statistics over the window. */
QString anglesSql(const Weeks& w, int layoff)
{
    const QString flags[] = {
        QStringLiteral("1"),
        QStringLiteral("pweek IS NOT NULL AND pweek <= week - %1").arg(layoff),
        QStringLiteral("pweek > week - %1 AND ppweek <= pweek - %1").arg(layoff),
        QStringLiteral("pcprice > 0 AND poname IS NOT (oname COLLATE BINARY)"),
        QStringLiteral("pcprice > 0 AND cprice > 0 AND cprice < pcprice"),
        QStringLiteral("pcprice > 0 AND cprice > 0 AND 2 * cprice >= 3 * pcprice"),
        QStringLiteral("psurf = 'D' AND surf = 'T'"),
        QStringLiteral("psurf = 'T' AND surf = 'D'"),
        QStringLiteral("pdist <= 7.9 AND dist > 7.9"),
        QStringLiteral("pdist > 7.9 AND dist <= 7.9"),
        QStringLiteral("prestr = 'MS' AND restr = 'MC'"),
    };
    QString sums;
    for (const QString& f : flags) {
        sums += QStringLiteral(", sum(%1), sum((%1) AND fin = 1), sum((%1) AND fin <= 3), "
                               "sum(CASE WHEN (%1) AND fin = 1 THEN 2 * (odds + 1) ELSE 0 END), "
                               "sum(CASE WHEN (%1) THEN 1.0 / (odds + 1) ELSE 0 END)")
                    .arg(f);
    }
    return QStringLiteral(
               "WITH s AS (SELECT h.racenum, CAST(h.racenum AS INTEGER) AS week, fin, odds, oname, surf, "
               "dist, "
               "cprice, restr, "
               "CAST(lag(h.racenum) OVER w AS INTEGER) AS pweek, CAST(lag(h.racenum, 2) OVER w AS INTEGER) "
               "AS "
               "ppweek, lag(oname COLLATE BINARY) OVER w AS poname, lag(cprice) OVER w AS pcprice, lag(surf) "
               "OVER w AS psurf, lag(dist) OVER w AS pdist, lag(restr) OVER w AS prestr "
               "FROM tblhorsedata h INNER JOIN tblraces r ON h.racenum = r.racenum "
               "WINDOW w AS (PARTITION BY hid ORDER BY h.racenum)) "
               "SELECT count(*)%1 FROM s WHERE racenum >= %2 AND racenum < %3;\n")
        .arg(sums)
        .arg(w.lowKey())
        .arg(w.highKey());
}

/** The statistics, earnings and splits of each group of the window's starts, in SQL. */
QString leadersSelect()
{
    return QStringLiteral(
        "count(*) AS n, sum(fin = 1) AS w, sum(fin <= 3), sum(CASE WHEN fin = 1 THEN 2 * (odds + 1) ELSE 0 "
        "END), sum(1.0 / (odds + 1)), sum(round(purse * CASE fin WHEN 1 THEN 0.6 WHEN 2 THEN 0.25 WHEN 3 "
        "THEN "
        "0.08 WHEN 4 THEN 0.05 WHEN 5 THEN 0.02 ELSE 0 END)), "
        "sum(cond = 'F' AND surf <> 'T'), sum(cond = 'F' AND surf <> 'T' AND fin = 1), "
        "sum(cond = 'F' AND surf = 'T'), sum(cond = 'F' AND surf = 'T' AND fin = 1), "
        "sum(cond <> 'F'), sum(cond <> 'F' AND fin = 1), sum(dist <= 7.9), sum(dist <= 7.9 AND fin = 1), "
        "sum(dist > 7.9), sum(dist > 7.9 AND fin = 1)");
}

QString ownersSql(const Weeks& w)
{
    return QStringLiteral(
               "SELECT oname COLLATE BINARY AS name, %1 FROM tblhorsedata h INNER JOIN tblraces r ON "
               "h.racenum = r.racenum WHERE h.racenum >= %2 AND h.racenum < %3 GROUP BY oname "
               "COLLATE BINARY HAVING n >= 10 ORDER BY w DESC, n DESC, name;\n")
        .arg(leadersSelect())
        .arg(w.lowKey())
        .arg(w.highKey());
}

/** Loads the horses' sires (written beside the database as CSV) and groups the window's starts by them. */
QString siresSql(const Weeks& w, const QString& csv)
{
    return QStringLiteral(
               "CREATE TEMP TABLE breeding (hid INTEGER PRIMARY KEY, sire TEXT COLLATE NOCASE);\n"
               ".import --csv %1 breeding\n"
               "SELECT min(sire), %2 FROM tblhorsedata h INNER JOIN tblraces r ON h.racenum = r.racenum "
               "INNER JOIN breeding b ON b.hid = h.hid WHERE h.racenum >= %3 AND h.racenum < %4 GROUP BY "
               "sire HAVING n >= 10 ORDER BY w DESC, n DESC, 1;\n")
        .arg(csv, leadersSelect())
        .arg(w.lowKey())
        .arg(w.highKey());
}

/** The first sire of each horse of the breeding file, as CSV for the shell. */
bool writeSiresCsv(const QString& breeding, const QString& csv)
{
    const auto sires = BreedingIndex::read(breeding, ProgenySearchMode::Sire);
    QFile in(breeding), f(csv);
    if (!sires || !in.open(QIODevice::ReadOnly) || !f.open(QIODevice::WriteOnly))
        return false;
    // Every fourth line from the first is a horse's id; its record is the first with that id.
    QByteArray text;
    for (int line = 0; !in.atEnd(); ++line) {
        const QByteArray l = in.readLine();
        if (line % 4 != 0)
            continue;
        const std::int32_t hid = l.left(l.indexOf(',')).toInt();
        const std::int32_t record = sires->recordOf(hid);
        if (record >= 0)
            text += QByteArray::number(hid) + ",\"" + sires->stallion(record).toUtf8().replace('"', "\"\"") +
                    "\"\n";
    }
    return f.write(text) == text.size();
}

struct Case {
    QChar letter;
    QString label;
    std::function<void()> core;
    QString shell; // empty: no shell side
    bool shellWall = false;
    QStringList cli;
};

void runCase(const Case& c, const QString& dbPath, const QString& cliPath, const QString& dir, int runs)
{
    std::vector<double> core, shell;
    for (int i = 0; i < runs; ++i) {
        // Core and shell alternate, so that a change in the machine's load falls on both.
        QElapsedTimer t;
        t.start();
        c.core();
        core.push_back(double(t.nsecsElapsed()) / 1e6);
        if (!c.shell.isEmpty())
            shell.push_back(shellMillis(dbPath, c.shell, c.shellWall));
    }
    const double coreMs = BenchData::median(core), shellMs = BenchData::median(shell);
    const auto [cliMs, cliMb] =
        BenchData::measured(cliPath, QStringList{QStringLiteral("--dir"), dir} + c.cli);
    out << QStringLiteral("%1 %2 %3 %4 %5 %6\n")
               .arg(QStringLiteral("(%1) %2").arg(c.letter).arg(c.label), -30)
               .arg(coreMs, 9, 'f', 0)
               .arg(shellMs, 9, 'f', 0)
               .arg(shellMs > 0 ? coreMs / shellMs : 0, 6, 'f', 2)
               .arg(cliMs, 9, 'f', 0)
               .arg(cliMb, 7);
    out.flush();
}

/** The two horses that met most often in the newest 20 weeks, for the head to head. */
std::vector<std::int32_t> rivals(Database& db)
{
    const QStringList pair = BenchData::column(
        db, QStringLiteral("SELECT a.hid || ' ' || b.hid FROM tblhorsedata a INNER JOIN tblhorsedata b ON "
                           "a.racenum = b.racenum AND a.hid < b.hid WHERE a.racenum > (SELECT max(racenum) - "
                           "20 FROM tblraces) GROUP BY a.hid, b.hid ORDER BY count(*) DESC LIMIT 1"));
    const QStringList ids = pair.value(0).split(QLatin1Char(' '));
    return {ids.value(0).toInt(), ids.value(1).toInt()};
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    BenchData::Options defaults;
    defaults.horses = 0;
    const BenchData::Options o = BenchData::parseOptions(app.arguments().mid(1), defaults);
    if (!BenchData::ensure(o.dir, o.weeks, o.horses, out))
        return 1;
    const QString dbPath = BenchData::databasePath(o.dir),
                  breeding = BenchData::breedingPath(o.dir, o.horses);
    const QString cli = QCoreApplication::applicationDirPath() + QStringLiteral("/turftrawler-cli");
    qint64 total = 0;
    Database db;
    if (!BenchData::openAndCount(db, dbPath, total, out))
        return 1;
    const Weeks weeks = *resolveWeeks(db, QString(), QString());
    const QString owner =
        BenchData::column(db,
                          QStringLiteral("SELECT oname FROM tblhorsedata GROUP BY oname ORDER BY count(*) "
                                         "DESC LIMIT 1"))
            .value(0);
    const std::vector<std::int32_t> pair = rivals(db);
    const QString csv = o.dir + QStringLiteral("/sires.csv");
    if (!writeSiresCsv(breeding, csv))
        out << "cannot write " << csv << "\n";
    const QStringList breedingArgs{QStringLiteral("--breeding"), breeding};

    const auto anglesOf = [&](const AngleFilter& filter, bool sire) {
        const auto sires =
            sire ? std::optional(BreedingIndex::read(breeding, ProgenySearchMode::Sire)) : std::nullopt;
        const auto data = WindowData::read(db, weeks, anglesRequest());
        angles(*data, filter, sires ? &**sires : nullptr);
    };
    const auto leadersBy = [&](LeaderKind k) {
        const auto stallions = k == LeaderKind::Owner
                                   ? std::nullopt
                                   : std::optional(BreedingIndex::read(breeding, positionOf(k)));
        const auto data = WindowData::read(db, weeks, leadersRequest(k));
        leaders(*data, k, DefaultMinStarts, stallions ? &**stallions : nullptr);
    };
    AngleFilter byOwner{AngleFilter::Kind::Owner, owner, DefaultLayoff};
    std::vector<Case> cases = {
        {u'a',
         QStringLiteral("angles"),
         [&] { anglesOf({}, false); },
         anglesSql(weeks, DefaultLayoff),
         false,
         {QStringLiteral("angles")}},
        {u'b',
         QStringLiteral("angles of the top owner"),
         [&] { anglesOf(byOwner, false); },
         QString(),
         false,
         {QStringLiteral("angles"), QStringLiteral("--owner"), owner}},
        {u'c',
         QStringLiteral("leaders by owner"),
         [&] { leadersBy(LeaderKind::Owner); },
         ownersSql(weeks),
         false,
         {QStringLiteral("leaders"), QStringLiteral("--by"), QStringLiteral("owner")}},
        {u'd', QStringLiteral("leaders by sire"), [&] { leadersBy(LeaderKind::Sire); }, siresSql(weeks, csv),
         true,
         QStringList{QStringLiteral("leaders"), QStringLiteral("--by"), QStringLiteral("sire")} +
             breedingArgs},
        {u'e',
         QStringLiteral("meet"),
         [&] { headToHead(db, pair); },
         QString(),
         false,
         {QStringLiteral("meet"), QString::number(pair[0]), QString::number(pair[1])}},
    };
    out << total << " starts in " << o.weeks << " weeks, window " << weeks.text() << "; median of " << o.runs
        << " runs, file cache warm.\n"
        << "core: the window read and the analysis computed in this process (ms); shell: the equivalent SQL "
           "in a\n"
        << "fresh sqlite3 process, its Run Time (for (d) its wall time, loading the sires from CSV "
           "included);\n"
        << "ratio = core / shell; cli: the command in a process of its own, wall ms and peak MB.\n\n"
        << QStringLiteral("%1 %2 %3 %4 %5 %6\n")
               .arg(QStringLiteral("case"), -30)
               .arg(QStringLiteral("core"), 9)
               .arg(QStringLiteral("shell"), 9)
               .arg(QStringLiteral("ratio"), 6)
               .arg(QStringLiteral("cli"), 9)
               .arg(QStringLiteral("MB"), 7);
    for (const Case& c : cases) {
        if (o.cases.isEmpty() || o.cases.contains(c.letter))
            runCase(c, dbPath, cli, o.dir, o.runs);
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    out << "\npeak memory of this process: " << usage.ru_maxrss / 1024 << " MB\n";
    return 0;
}
