// bench_analysis: times the analyses (class pars, where a horse can win, the claim finder, the claims made)
// through the core, from opening the database to the table the window shows, against the equivalent SQL
// in the sqlite3 shell, on a database of 700 generated weeks (2.5 million starts) and the default window of
// its last 365 weeks; and each analysis's peak memory, in a process of its own.
//
// usage: bench_analysis [--dir DIR] [--weeks N] [--runs N] [--cases LETTERS]
// The database is built once and kept in DIR (default /tmp/turf-bench-ladder, shared with bench_search);
// --dir /tmp/turf-bench-ladder-15m --weeks 4200 gives 15 million starts.
#include "benchdata.h"

#include "analysis/claims.h"
#include "analysis/placement.h"
#include "db/database.h"

#include <QCoreApplication>
#include <QElapsedTimer>
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
        const std::vector<BenchData::ShellTime> fresh = BenchData::shellTimes(path, c.sql, 1);
        if (!ok)
            out << c.label << ": the analysis failed\n";
        if (fresh.empty())
            out << c.label << ": the shell gave no time\n";
        if (i == 0)
            continue; // both warm the operating system's cache
        core.push_back(ms);
        coreCpu.push_back(cpu);
        shell.push_back(fresh.empty() ? -1 : fresh.front().real);
        shellCpu.push_back(fresh.empty() ? -1 : fresh.front().cpu);
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
    }
    const auto bind = [&](QString sql) {
        return sql.replace(QLatin1String("{first}"), QString::number(w.first))
            .replace(QLatin1String("{end}"), QString::number(w.last + 1));
    };
    const std::vector<Case> cases{
        {QStringLiteral("(a) pars"), bind(parsSql()), parsCase},
        {QStringLiteral("(b) placement %1").arg(hid), bind(placementSql(hid)), placementCase(hid)},
        {QStringLiteral("(c) claims"), bind(claimsSql()), claimsCase},
        {QStringLiteral("(d) claimed"), bind(claimedSql()), claimedCase},
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
