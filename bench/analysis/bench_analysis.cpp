// bench_analysis: times the analyses (class pars, where a horse can win, the claim finder, the claims made,
// the angles, the leading owners and sires, the head to head) through the core, from opening the database
// to the table the window shows, against the equivalent SQL in the sqlite3 shell, on a database of 700
// generated weeks (2.5 million starts) and the default window of its last 365 weeks; and each analysis's
// peak memory, in a process of its own. The leading sires read the breeding file of every horse of those
// weeks (breeding-0.txt, written once beside the database); the shell loads the same sires from a CSV file
// first, which its timer does not count.
//
// usage: bench_analysis [--dir DIR] [--weeks N] [--runs N] [--cases LETTERS]
// The database is built once and kept in DIR (default /tmp/turf-bench-ladder, shared with bench_search);
// --dir /tmp/turf-bench-ladder-15m --weeks 4200 gives 15 million starts.
#include "benchdata.h"

#include "analysis/angles.h"
#include "analysis/claims.h"
#include "analysis/headtohead.h"
#include "analysis/leaders.h"
#include "analysis/placement.h"
#include "db/database.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTextStream>

#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <functional>
#include <vector>

namespace
{

using namespace Analysis;

QTextStream out(stdout);

// The window's races with their category (0 dirt, 1 turf, 2 off) and trip (1 for a route), as the shell
// sees them; {first} and {end} are the window's first week and the week after its last.
const char* const WindowRaces =
    "r AS (SELECT racenum, restr, cprice, purse, CASE WHEN cond = 'F' AND surf = 'T' THEN 1 WHEN cond = 'F' "
    "THEN 0 ELSE 2 END AS cat, dist > 7.9 AS route FROM tblraces WHERE racenum >= {first} AND racenum < "
    "{end})";

QString parsSql()
{
    return QStringLiteral(
               "WITH {races}, "
               "races AS (SELECT restr, cprice, cat, route, count(*) AS n, avg(purse) AS purse FROM r "
               "GROUP BY 1, 2, 3, 4), "
               "wins AS (SELECT restr, cprice, cat, route, count(*) AS winners, avg(sp) AS par, max(sp) AS "
               "best "
               "FROM tblhorsedata h JOIN r ON h.racenum = r.racenum WHERE h.racenum >= {first} AND h.racenum "
               "< {end} "
               "AND h.fin = 1 GROUP BY 1, 2, 3, 4) "
               "SELECT * FROM wins JOIN races USING (restr, cprice, cat, route) ORDER BY cat, route, restr, "
               "cprice;")
        .replace(QLatin1String("{races}"), QLatin1String(WindowRaces));
}

QString placementSql(qint64 hid)
{
    return QStringLiteral(
               "WITH {races}, "
               "hs AS (SELECT h.sp, r.cat, row_number() OVER (PARTITION BY r.cat ORDER BY h.racenum DESC) AS "
               "n "
               "FROM tblhorsedata h JOIN r ON r.racenum = h.racenum WHERE h.hid = {hid} AND h.racenum >= "
               "{first} AND "
               "h.racenum < {end}), "
               "form AS (SELECT cat, max(sp) AS form FROM hs WHERE n <= 3 GROUP BY cat), "
               "races AS (SELECT restr, cprice, cat, route, avg(purse) AS purse FROM r GROUP BY 1, 2, 3, 4), "
               "pars AS (SELECT restr, cprice, cat, route, count(*) AS winners, avg(sp) AS par FROM "
               "tblhorsedata h JOIN r ON h.racenum = r.racenum WHERE h.racenum >= {first} AND h.racenum < "
               "{end} AND "
               "h.fin = 1 GROUP BY 1, 2, 3, 4 HAVING count(*) >= 5), "
               "won AS (SELECT EXISTS (SELECT 1 FROM tblhorsedata WHERE hid = {hid} AND fin = 1) AS any) "
               "SELECT pars.*, races.purse, form.form, form.form - pars.par AS margin FROM pars JOIN races "
               "USING (restr, cprice, cat, route) JOIN form USING (cat), won WHERE form.form - pars.par >= 0 "
               "AND NOT (won.any AND restr IN ('MS', 'MC')) ORDER BY races.purse DESC, margin DESC;")
        .replace(QLatin1String("{races}"), QLatin1String(WindowRaces))
        .replace(QLatin1String("{hid}"), QString::number(hid));
}

// Earnings as the statistics count them: the purse times the place's share.
const char* const Earnings = "round(r.purse * CASE h.fin WHEN 1 THEN 0.6 WHEN 2 THEN 0.25 WHEN 3 THEN 0.08 "
                             "WHEN 4 THEN 0.05 WHEN 5 THEN 0.02 ELSE 0 END)";

QString claimsSql()
{
    return QStringLiteral(
               "WITH {races}, "
               "s AS (SELECT h.hid, h.hname, h.oname, h.racenum, h.sp, h.fin, r.restr, r.cprice, r.cat, "
               "r.route "
               "FROM tblhorsedata h JOIN r ON r.racenum = h.racenum WHERE h.racenum >= {first} AND h.racenum "
               "< "
               "{end}), "
               "ranked AS (SELECT s.*, row_number() OVER (PARTITION BY hid ORDER BY racenum DESC) AS newest, "
               "row_number() OVER (PARTITION BY hid, cat ORDER BY racenum DESC) AS incat FROM s), "
               "form AS (SELECT hid, cat, max(sp) AS form FROM ranked WHERE incat <= 3 GROUP BY hid, cat), "
               "pars AS (SELECT restr, cprice, cat, route, avg(sp) AS par FROM s WHERE fin = 1 "
               "GROUP BY 1, 2, 3, 4 HAVING count(*) >= 5), "
               "cand AS (SELECT ranked.*, form.form, pars.par FROM ranked JOIN form USING (hid, cat) JOIN "
               "pars "
               "USING (restr, cprice, cat, route) WHERE newest = 1 AND cprice > 0 AND racenum >= {end} - 30 "
               "AND "
               "form.form - pars.par > 0) "
               "SELECT cand.hid, cand.hname, cand.oname, cand.restr, cand.cprice, cand.form, cand.par, "
               "count(*), sum(h.fin = 1), sum({earnings}) FROM cand JOIN tblhorsedata h ON h.hid = cand.hid "
               "JOIN "
               "tblraces r ON r.racenum = h.racenum WHERE h.racenum < {end} GROUP BY cand.hid "
               "ORDER BY cand.form - cand.par DESC;")
        .replace(QLatin1String("{races}"), QLatin1String(WindowRaces))
        .replace(QLatin1String("{earnings}"), QLatin1String(Earnings));
}

QString claimedSql()
{
    return QStringLiteral(
               "WITH seq AS (SELECT h.hid, h.hname, h.racenum, h.oname, h.fin, {earnings} AS earned, "
               "lag(h.oname) OVER w AS before, lag(r.cprice) OVER w AS price FROM tblhorsedata h JOIN "
               "tblraces "
               "r ON r.racenum = h.racenum WHERE h.racenum < {end} WINDOW w AS (PARTITION BY h.hid ORDER BY "
               "h.racenum)), "
               "spells AS (SELECT seq.*, sum(oname IS NOT before) OVER (PARTITION BY hid ORDER BY racenum) "
               "AS "
               "spell FROM seq), "
               "claims AS (SELECT * FROM spells WHERE racenum >= {first} AND price > 0 AND oname IS NOT "
               "before) "
               "SELECT c.racenum, c.hid, c.hname, c.before, c.oname, c.price, count(*), sum(s.fin = 1), "
               "sum(s.earned) FROM claims c JOIN spells s ON s.hid = c.hid AND s.spell = c.spell "
               "GROUP BY c.hid, c.racenum ORDER BY c.racenum DESC;")
        .replace(QLatin1String("{earnings}"), QLatin1String(Earnings));
}

/** One analysis as the window runs it: from a new connection to its table. False when it failed. */
struct Case {
    QString label;
    QString sql;
    std::function<bool(const QString& path, const Weeks& w)> run;
};

bool parsCase(const QString& path, const Weeks& w)
{
    Database db;
    const auto p = db.open(path) ? classPars(db, w) : Result<Pars>::failure(db.error());
    return p && !parsTable(*p).rows.empty();
}

std::function<bool(const QString&, const Weeks&)> placementCase(std::int32_t hid)
{
    return [hid](const QString& path, const Weeks& w) {
        Database db;
        const auto p = db.open(path) ? placement(db, w, hid) : Result<Placement>::failure(db.error());
        return p && placementTable(*p).columns.size() == 9;
    };
}

bool claimsCase(const QString& path, const Weeks& w)
{
    Database db;
    const auto f =
        db.open(path) ? claimFinder(db, w, std::nullopt) : Result<ClaimFinder>::failure(db.error());
    return f && !claimFinderTable(*f).rows.empty();
}

bool claimedCase(const QString& path, const Weeks& w)
{
    Database db;
    const auto made = db.open(path) ? claimsMade(db, w) : Result<ClaimsMade>::failure(db.error());
    return made && !claimsTable(*made).rows.empty() && !claimOwnersTable(*made).rows.empty();
}

/** The angles: each start's two starts before it over the whole table by window functions, with its race's
    and the previous race's columns, then the sums of each angle's statistics over the window. */
QString anglesSql(int layoff)
{
    const QString flags[] = {
        QStringLiteral("1"),
        QStringLiteral("pweek <= week - %1").arg(layoff),
        QStringLiteral("pweek > week - %1 AND ppweek <= pweek - %1").arg(layoff),
        QStringLiteral("pcprice > 0 AND poname IS NOT oname"),
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
        sums += QStringLiteral(", sum(%1), sum((%1) AND fin = 1), sum((%1) AND fin <= 3), sum(CASE WHEN (%1) "
                               "AND fin = 1 THEN 2 * (odds + 1) ELSE 0 END), sum(CASE WHEN (%1) THEN 1.0 / "
                               "(odds + 1) ELSE 0 END)")
                    .arg(f);
    }
    return QStringLiteral(
               "WITH s AS (SELECT h.racenum, CAST(h.racenum AS INTEGER) AS week, fin, odds, oname COLLATE "
               "BINARY "
               "AS oname, surf, dist, cprice, restr, CAST(lag(h.racenum) OVER w AS INTEGER) AS pweek, "
               "CAST(lag(h.racenum, 2) OVER w AS INTEGER) AS ppweek, lag(oname COLLATE BINARY) OVER w AS "
               "poname, lag(cprice) OVER w AS pcprice, lag(surf) OVER w AS psurf, lag(dist) OVER w AS pdist, "
               "lag(restr) OVER w AS prestr FROM tblhorsedata h JOIN tblraces r ON h.racenum = r.racenum "
               "WINDOW w AS (PARTITION BY hid ORDER BY h.racenum)) "
               "SELECT count(*), sum(fin = 1){sums} FROM s WHERE racenum >= {first} AND racenum < {end};")
        .replace(QLatin1String("{sums}"), sums);
}

// The statistics, earnings and starts and wins per category and trip of each group of the window's starts.
const char* const LeaderColumns =
    "count(*) AS n, sum(h.fin = 1) AS w, sum(h.fin <= 3), sum(CASE WHEN h.fin = 1 THEN 2 * (h.odds + 1) ELSE "
    "0 END), sum(1.0 / (h.odds + 1)), sum({earnings}), sum(r.cat = 0), sum(r.cat = 0 AND h.fin = 1), "
    "sum(r.cat = 1), sum(r.cat = 1 AND h.fin = 1), sum(r.cat = 2), sum(r.cat = 2 AND h.fin = 1), "
    "sum(NOT r.route), sum(NOT r.route AND h.fin = 1), sum(r.route), sum(r.route AND h.fin = 1)";

QString ownersSql()
{
    return QStringLiteral("WITH {races} SELECT h.oname COLLATE BINARY AS name, {columns} FROM tblhorsedata h "
                          "JOIN r ON r.racenum = h.racenum WHERE h.racenum >= {first} AND h.racenum < {end} "
                          "GROUP BY 1 HAVING n >= 10 ORDER BY w DESC, n DESC, name;")
        .replace(QLatin1String("{races}"), QLatin1String(WindowRaces))
        .replace(QLatin1String("{columns}"), QLatin1String(LeaderColumns))
        .replace(QLatin1String("{earnings}"), QLatin1String(Earnings));
}

/** The sires from a CSV file of hid and sire, loaded by the shell before the query. */
QString siresSql(const QString& csv)
{
    return QStringLiteral(
               "CREATE TEMP TABLE sires (hid INTEGER PRIMARY KEY, sire TEXT COLLATE NOCASE);\n"
               ".import --csv %1 sires\n"
               "WITH {races} SELECT min(b.sire) AS name, {columns} FROM tblhorsedata h JOIN r ON "
               "r.racenum = h.racenum JOIN sires b ON b.hid = h.hid WHERE h.racenum >= {first} AND "
               "h.racenum < {end} GROUP BY b.sire HAVING n >= 10 ORDER BY w DESC, n DESC, name;")
        .arg(csv)
        .replace(QLatin1String("{races}"), QLatin1String(WindowRaces))
        .replace(QLatin1String("{columns}"), QLatin1String(LeaderColumns))
        .replace(QLatin1String("{earnings}"), QLatin1String(Earnings));
}

/** Writes each horse's sire, as the breeding index reads it, to a CSV file for the shell. */
bool writeSiresCsv(const QString& breeding, const QString& csv)
{
    const auto sires = BreedingIndex::read(breeding, ProgenySearchMode::Sire);
    QFile in(breeding), f(csv);
    if (!sires || !in.open(QIODevice::ReadOnly) || !f.open(QIODevice::WriteOnly))
        return false;
    QByteArray text;
    // The generator writes no blank lines: every fourth line starts a horse.
    for (int line = 0; !in.atEnd(); ++line) {
        const QByteArray l = in.readLine();
        const std::int32_t record = line % 4 == 0 ? sires->recordOf(l.left(l.indexOf(',')).toInt()) : -1;
        if (record >= 0)
            text += l.left(l.indexOf(',')) + ",\"" + sires->stallion(record).toUtf8().replace('"', "\"\"") +
                    "\"\n";
    }
    return f.write(text) == text.size();
}

std::function<bool(const QString&, const Weeks&)> anglesCase(const AngleFilter& filter)
{
    return [filter](const QString& path, const Weeks& w) {
        Database db;
        const auto a = db.open(path) ? angles(db, w, filter, QString()) : Result<Angles>::failure(db.error());
        return a && anglesTable(*a).rows.size() == AngleCount;
    };
}

std::function<bool(const QString&, const Weeks&)> leadersCase(LeaderKind by, const QString& breeding)
{
    return [by, breeding](const QString& path, const Weeks& w) {
        Database db;
        const auto l = db.open(path) ? leaders(db, w, by, DefaultMinStarts, breeding)
                                     : Result<Leaders>::failure(db.error());
        return l && !leadersTable(*l).rows.empty();
    };
}

std::function<bool(const QString&, const Weeks&)> meetCase(std::vector<std::int32_t> horses)
{
    return [horses](const QString& path, const Weeks&) {
        Database db;
        const auto h = db.open(path) ? headToHead(db, horses) : Result<HeadToHead>::failure(db.error());
        return h && !meetRacesTable(*h).rows.empty();
    };
}

/** The time of every statement of a script (a table made and a query, say) together. */
double scriptTime(const std::vector<BenchData::ShellTime>& times, double BenchData::ShellTime::*part)
{
    double sum = 0;
    for (const BenchData::ShellTime& t : times)
        sum += t.*part;
    return sum;
}

/** The processor time this process has used, in ms. */
double cpuMillis()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

/** The peak memory of one run of the case, in a process of its own, in MB (-1 when it failed). */
long peakMegabytes(const Case& c, const QString& path, const Weeks& w)
{
    const pid_t pid = fork();
    if (pid == 0)
        _exit(c.run(path, w) ? 0 : 1);
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? usage.ru_maxrss / 1024 : -1;
}

/** Times the case against its SQL in the shell, `runs` times each after one to warm the cache, and prints
    the line of the case. */
void measure(const Case& c, const QString& path, const Weeks& w, int runs)
{
    const long peak = peakMegabytes(c, path, w);
    // Core and shell runs alternate, so that a change in the machine's load falls on both.
    std::vector<double> core, shell, coreCpu, shellCpu;
    for (int i = 0; i < runs + 1; ++i) {
        QElapsedTimer t;
        t.start();
        const double cpu0 = cpuMillis();
        const bool ok = c.run(path, w);
        const double ms = t.nsecsElapsed() / 1e6, cpu = cpuMillis() - cpu0;
        const std::vector<BenchData::ShellTime> fresh =
            c.sql.isEmpty() ? std::vector<BenchData::ShellTime>() : BenchData::shellTimes(path, c.sql, 1);
        if (!ok)
            out << c.label << ": the analysis failed\n";
        if (fresh.empty() && !c.sql.isEmpty())
            out << c.label << ": the shell gave no time\n";
        if (i == 0)
            continue; // both warm the operating system's cache
        core.push_back(ms);
        coreCpu.push_back(cpu);
        shell.push_back(fresh.empty() ? -1 : scriptTime(fresh, &BenchData::ShellTime::real));
        shellCpu.push_back(fresh.empty() ? -1 : scriptTime(fresh, &BenchData::ShellTime::cpu));
    }
    const double coreMs = BenchData::median(core), shellMs = BenchData::median(shell);
    const double coreCpuMs = BenchData::median(coreCpu), shellCpuMs = BenchData::median(shellCpu);
    out << QStringLiteral("%1 %2 %3 %4 %5 %6 %7 %8 %9 %10\n")
               .arg(c.label, -22)
               .arg(coreMs, 8, 'f', 1)
               .arg(*std::min_element(core.begin(), core.end()), 7, 'f', 1)
               .arg(shellMs, 9, 'f', 1)
               .arg(*std::min_element(shell.begin(), shell.end()), 7, 'f', 1)
               .arg(shellMs > 0 ? coreMs / shellMs : 0, 6, 'f', 2)
               .arg(coreCpuMs, 9, 'f', 1)
               .arg(shellCpuMs, 9, 'f', 1)
               .arg(shellCpuMs > 0 ? coreCpuMs / shellCpuMs : 0, 6, 'f', 2)
               .arg(peak, 8);
    out.flush();
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const BenchData::Options o = BenchData::parseOptions(app.arguments().mid(1));
    if (!BenchData::ensure(o.dir, o.weeks, o.horses, out))
        return 1;
    const QString path = BenchData::databasePath(o.dir);
    qint64 total = 0;
    Weeks w;
    std::int32_t hid = 0;
    QString owner;
    std::vector<std::int32_t> rivals;
    {
        Database db;
        if (!BenchData::openAndCount(db, path, total, out))
            return 1;
        w = *resolveWeeks(db, QString(), QString());
        // A horse that ran in the window's last week, with the most starts in the window.
        hid = BenchData::column(db,
                                QStringLiteral("SELECT hid FROM tblhorsedata WHERE racenum >= %1 AND hid IN "
                                               "(SELECT hid FROM tblhorsedata WHERE racenum >= %2) GROUP "
                                               "BY hid ORDER BY count(*) DESC LIMIT 1")
                                    .arg(w.first)
                                    .arg(w.last))
                  .value(0)
                  .toInt();
        owner =
            BenchData::column(db, QStringLiteral("SELECT oname FROM tblhorsedata WHERE racenum >= %1 GROUP "
                                                 "BY oname ORDER BY count(*) DESC LIMIT 1")
                                      .arg(w.first))
                .value(0);
        // The two horses that met most often in the window's last 20 weeks.
        const QStringList pair =
            BenchData::column(
                db, QStringLiteral(
                        "SELECT a.hid || ' ' || b.hid FROM tblhorsedata a JOIN tblhorsedata b ON a.racenum "
                        "= b.racenum AND a.hid < b.hid WHERE a.racenum >= %1 GROUP BY a.hid, b.hid ORDER "
                        "BY count(*) DESC LIMIT 1")
                        .arg(w.last - 19))
                .value(0)
                .split(QLatin1Char(' '));
        rivals = {pair.value(0).toInt(), pair.value(1).toInt()};
    }
    const auto bind = [&](QString sql) {
        return sql.replace(QLatin1String("{first}"), QString::number(w.first))
            .replace(QLatin1String("{end}"), QString::number(w.last + 1));
    };
    const QString breeding = BenchData::breedingPath(o.dir, 0), csv = o.dir + QStringLiteral("/sires-0.csv");
    if (!BenchData::ensureBreeding(o.dir, o.weeks, 0, out) ||
        (!QFile::exists(csv) && !writeSiresCsv(breeding, csv)))
        return 1;
    const std::vector<Case> cases{
        {QStringLiteral("(a) pars"), bind(parsSql()), parsCase},
        {QStringLiteral("(b) placement %1").arg(hid), bind(placementSql(hid)), placementCase(hid)},
        {QStringLiteral("(c) claims"), bind(claimsSql()), claimsCase},
        {QStringLiteral("(d) claimed"), bind(claimedSql()), claimedCase},
        {QStringLiteral("(e) angles"), bind(anglesSql(DefaultLayoff)), anglesCase({})},
        {QStringLiteral("(f) angles of an owner"), QString(),
         anglesCase({AngleFilter::Kind::Owner, owner, DefaultLayoff})},
        {QStringLiteral("(g) leaders by owner"), bind(ownersSql()), leadersCase(LeaderKind::Owner, breeding)},
        {QStringLiteral("(h) leaders by sire"), bind(siresSql(csv)), leadersCase(LeaderKind::Sire, breeding)},
        {QStringLiteral("(i) meet %1 %2").arg(rivals[0]).arg(rivals[1]), QString(), meetCase(rivals)},
    };
    out << total << " starts; " << w.text() << "; median of " << o.runs << " runs, file cache warm.\n"
        << "core: from a new connection to the window's table. shell: the equivalent SQL in a fresh sqlite3\n"
        << "process, its Run Time (medians, and the best run of each); ratio = core / shell. cpu: the\n"
        << "processor time (user and system) of each, which the machine's other load touches less.\n"
        << "peak: the core's peak memory, alone in a process.\n\n";
    out << QStringLiteral("%1 %2 %3 %4 %5 %6 %7 %8 %9 %10\n")
               .arg(QStringLiteral("analysis"), -22)
               .arg(QStringLiteral("core ms"), 8)
               .arg(QStringLiteral("best"), 7)
               .arg(QStringLiteral("shell ms"), 9)
               .arg(QStringLiteral("best"), 7)
               .arg(QStringLiteral("ratio"), 6)
               .arg(QStringLiteral("core cpu"), 9)
               .arg(QStringLiteral("shell cpu"), 9)
               .arg(QStringLiteral("ratio"), 6)
               .arg(QStringLiteral("peak MB"), 8);
    out.flush();
    for (const Case& c : cases) {
        if (o.cases.isEmpty() || o.cases.contains(c.label.at(1)))
            measure(c, path, w, o.runs);
    }
    return 0;
}
