// bench_progeny: times a progeny search end to end through the core (breeding file scan, one query per
// progeny, grid rows and the two summary grids) for the most popular stallion of a generated breeding file,
// against the same per-horse queries run by the sqlite3 shell.
//
// usage: bench_progeny [--dir DIR] [--weeks N] [--horses N] [--runs N]
// DIR (default /tmp/turf-bench-ladder, shared with bench_search) keeps horses.mdb, weeks 101 on of the
// generator with its default settings imported through the program's import, and the breeding file of the
// first N horses (default 20,000) of the same generated world. Both are made once, together, from one
// generator run, so that the ids and names of the breeding file are those of the database; later runs reuse
// them.
#include "benchdata.h"
#include "core/format.h"
#include "core/headlessplatform.h"
#include "core/mainwindowstate.h"
#include "db/database.h"
#include "progeny/breedingfile.h"
#include "progeny/getsires.h"
#include "sample/generator.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTextStream>

#include <algorithm>
#include <vector>

namespace
{

QTextStream out(stdout);
QString literal(const QString& text)
{
    return QLatin1Char('\'') + QString(text).replace(QLatin1Char('\''), QLatin1String("''")) +
           QLatin1Char('\'');
}

/** The shell's total of its per-statement timings over all the per-horse queries, and its wall time. */
void shellMillis(const QString& db, const QStringList& statements, double& summed, double& wall)
{
    QString script = QStringLiteral(".output /dev/null\n.timer on\n");
    for (const QString& s : statements)
        script += s + QLatin1Char('\n');
    QProcess p;
    QElapsedTimer t;
    t.start();
    p.start(QStringLiteral("sqlite3"), {db});
    p.write(script.toUtf8());
    p.closeWriteChannel();
    p.waitForFinished(600000);
    wall = double(t.nsecsElapsed()) / 1e6;
    const QString timings = QString::fromUtf8(p.readAllStandardOutput() + p.readAllStandardError());
    static const QRegularExpression re(QStringLiteral("Run Time: real ([0-9.]+)"));
    summed = 0;
    auto it = re.globalMatch(timings);
    while (it.hasNext())
        summed += it.next().captured(1).toDouble() * 1000;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const BenchData::Options o = BenchData::parseOptions(app.arguments().mid(1));
    const QString dir = o.dir;
    const int weeks = o.weeks, horses = o.horses, runs = o.runs;
    if (!BenchData::ensure(dir, weeks, horses, out))
        return 1;
    const QString dbPath = BenchData::databasePath(dir);
    const QString breeding = BenchData::breedingPath(dir, horses);
    const QString stallion = TurfGen::Generator(TurfGen::Settings{}).topStallion().left(25);

    // The scan on its own, to show its share of the whole.
    std::vector<double> scanMs;
    std::vector<BreedingRecord> progeny;
    for (int i = 0; i < runs + 1; ++i) {
        progeny.clear();
        QElapsedTimer t;
        t.start();
        BreedingScan scan(breeding, stallion, ProgenySearchMode::Sire);
        BreedingRecord rec;
        if (!scan.start()) {
            out << scan.error() << "\n";
            return 1;
        }
        while (scan.next(rec) == BreedingScan::Result::Record)
            progeny.push_back(rec);
        if (i > 0)
            scanMs.push_back(double(t.nsecsElapsed()) / 1e6);
    }

    HeadlessPlatform platform;
    MainWindowState f(platform, dir, breeding);
    f.settingsWritable = false;
    f.panel.progenyMode = ProgenySearchMode::Sire;
    f.panel.txtnum = QStringLiteral("5");
    std::vector<double> coreMs;
    for (int i = 0; i < runs + 1; ++i) {
        platform.messages.clear();
        QElapsedTimer t;
        t.start();
        getsires(f, stallion);
        if (i > 0)
            coreMs.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    if (!platform.messages.isEmpty()) {
        out << "the search reported: " << platform.messages.join(QLatin1Char(' ')) << "\n";
        return 1;
    }
    qint64 starts = 0, raced = 0;
    for (int r = 1; r < f.MSFlexGrid1.rows(); ++r) {
        starts += f.MSFlexGrid1.text(r, 6).toLongLong();
        raced += f.MSFlexGrid1.text(r, 6).isEmpty() ? 0 : 1;
    }

    QStringList statements;
    for (const BreedingRecord& p : progeny)
        statements << QStringLiteral(
                          "SELECT hname, hid, tblraces.racenum, oname, dist, sp, age, restr, cond, surf, "
                          "fin, cprice FROM tblhorsedata INNER JOIN tblraces ON tblhorsedata.racenum = "
                          "tblraces.racenum WHERE hname = %1 AND hid = %2 ORDER BY tblhorsedata.racenum;")
                          .arg(literal(p.name()), QString::number(p.id()));
    std::vector<double> summed, wall;
    for (int i = 0; i < std::min(runs, 3) + 1; ++i) {
        double s = 0, w = 0;
        shellMillis(dbPath, statements, s, w);
        if (i > 0) {
            summed.push_back(s);
            wall.push_back(w);
        }
    }

    out << "breeding file: " << horses << " horses; stallion \"" << stallion << "\" with " << progeny.size()
        << " progeny, " << raced << " of them with " << starts << " starts; " << weeks
        << " weeks in the database\n";
    out << "median of " << runs << " runs, cache warm (shell: median of " << summed.size() << " runs)\n\n";
    out << QStringLiteral("%1 %2\n").arg(QStringLiteral("what"), -58).arg(QStringLiteral("ms"), 9);
    const auto line = [](const QString& what, double ms) {
        out << QStringLiteral("%1 %2\n").arg(what, -58).arg(ms, 9, 'f', 1);
    };
    line(QStringLiteral("getsires end to end (scan, queries, grids)"), BenchData::median(coreMs));
    line(QStringLiteral("  of which the breeding file scan"), BenchData::median(scanMs));
    line(QStringLiteral("sqlite3 shell, the per-horse queries, summed .timer"), BenchData::median(summed));
    line(QStringLiteral("sqlite3 shell, the per-horse queries, whole process"), BenchData::median(wall));
    out << "\ngoal: under 1000 ms end to end: " << (BenchData::median(coreMs) < 1000 ? "met" : "NOT met")
        << "\n";
    return 0;
}
