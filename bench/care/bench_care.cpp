// bench_care: times the removal of one week and the compaction of a database of 700 generated weeks, the
// compaction against the sqlite3 shell's VACUUM INTO of the same file.
//
// usage: bench_care [--dir DIR] [--weeks N] [--runs N]
// The generated database is built once in DIR (default /tmp/turf-bench) and never changed: every run works
// on a fresh copy in DIR/care.
#include "benchdata.h"
#include "db/database.h"
#include "db/dbcare.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTextStream>

#include <sys/resource.h>

#include <vector>

namespace
{

QTextStream out(stdout);

bool freshCopy(const QString& from, const QString& work)
{
    QDir(work).removeRecursively();
    QDir().mkpath(work);
    return QFile::copy(from, work + QStringLiteral("/horses.mdb"));
}

/** CPU time (user + system) in ms of this process or, with children, of its finished child processes. */
double cpuMs(bool children = false)
{
    rusage u{};
    getrusage(children ? RUSAGE_CHILDREN : RUSAGE_SELF, &u);
    const auto ms = [](const timeval& t) { return t.tv_sec * 1000.0 + t.tv_usec / 1000.0; };
    return ms(u.ru_utime) + ms(u.ru_stime);
}

QString ms(double v)
{
    return QString::number(v, 'f', 0).rightJustified(8);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    BenchData::Options defaults;
    defaults.runs = 3;
    const BenchData::Options o = BenchData::parseOptions(app.arguments().mid(1), defaults);
    const QString dir = o.dir;
    const int weeks = o.weeks, runs = o.runs;
    if (!BenchData::ensure(dir, weeks, o.horses, out))
        return 1;
    const QString source = BenchData::databasePath(dir);
    const QString work = dir + QStringLiteral("/care");
    const QString program = work + QLatin1Char('/');
    out << QFileInfo(source).size() / (1024 * 1024) << " MB, " << weeks << " weeks; median of " << runs
        << " runs on fresh copies, file cache warm.\n\n";

    // Removal: the whole operation (automatic copy, one transaction) and its two parts on their own.
    std::vector<double> removal, removalCpu, deletesOnly, copyOnly;
    const auto timed = [](std::vector<double>& wall, std::vector<double>* cpu, const auto& op) {
        QElapsedTimer t;
        const double before = cpuMs();
        t.start();
        op();
        wall.push_back(t.nsecsElapsed() / 1e6);
        if (cpu)
            cpu->push_back(cpuMs() - before);
    };
    for (int r = 0; r < runs; ++r) {
        if (!freshCopy(source, work))
            return 1;
        const int week = BenchData::FirstWeek + weeks / 2 + r;
        QString error;
        timed(removal, &removalCpu, [&] { DbCare::removeWeeks(program, {week}, error); });
        if (!error.isEmpty()) {
            out << error << "\n";
            return 1;
        }
        Database db;
        db.open(program + QStringLiteral("horses.mdb"));
        timed(copyOnly, nullptr, [&] { DbCare::keepSafetyCopy(db, program, error); });
        timed(deletesOnly, nullptr, [&] {
            db.begin();
            db.removeWeek(week + 1);
            db.commit();
        });
    }
    out << "                                            wall ms   CPU ms\n"
        << "remove one week, whole operation        " << ms(BenchData::median(removal)) << " "
        << ms(BenchData::median(removalCpu)) << "\n"
        << "  the automatic copy alone              " << ms(BenchData::median(copyOnly)) << "\n"
        << "  the deletes alone, one week           " << ms(BenchData::median(deletesOnly)) << "\n\n";

    // Wall time on a shared machine follows the load; the CPU time of each side is reported beside it.
    std::vector<double> core, shell, coreCpu, shellCpu;
    for (int r = 0; r < runs; ++r) {
        if (!freshCopy(source, work))
            return 1;
        QElapsedTimer t;
        double cpu = cpuMs();
        t.start();
        QString error;
        if (!DbCare::compact(program, error)) {
            out << error << "\n";
            return 1;
        }
        core.push_back(t.nsecsElapsed() / 1e6);
        coreCpu.push_back(cpuMs() - cpu);

        if (!freshCopy(source, work))
            return 1;
        QProcess p;
        cpu = cpuMs(true);
        t.start();
        p.start(QStringLiteral("sqlite3"),
                {program + QStringLiteral("horses.mdb"),
                 QStringLiteral("VACUUM INTO '%1'").arg(program + QStringLiteral("shell.mdb"))});
        p.waitForFinished(-1);
        shell.push_back(t.nsecsElapsed() / 1e6);
        shellCpu.push_back(cpuMs(true) - cpu);
        if (p.exitCode() != 0) {
            out << "sqlite3: " << p.readAllStandardError() << "\n";
            return 1;
        }
    }
    const double c = BenchData::median(core), s = BenchData::median(shell);
    const double cc = BenchData::median(coreCpu), sc = BenchData::median(shellCpu);
    out << "compact: VACUUM INTO, counts, rename    " << ms(c) << " " << ms(cc) << "\n"
        << "sqlite3 shell VACUUM INTO alone         " << ms(s) << " " << ms(sc) << "\n"
        << "ratio core / shell                      " << QString::number(c / s, 'f', 2).rightJustified(8)
        << " " << QString::number(cc / sc, 'f', 2).rightJustified(8) << "\n";
    QDir(work).removeRecursively();
    return 0;
}
