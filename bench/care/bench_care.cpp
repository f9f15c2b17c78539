// bench_care: times the removal of one week (with its undo record), its undo, and the compaction of a
// database of 700 generated weeks, the compaction against the sqlite3 shell's own VACUUM of the same file;
// and says how much the kept changes add to the file.
//
// usage: bench_care [--dir DIR] [--weeks N] [--runs N]
// The generated database is built once in DIR (default /tmp/turf-bench-ladder) and never changed: every run
// works on a fresh copy in DIR/care.
#include "benchdata.h"
#include "db/database.h"
#include "db/dbcare.h"
#include "db/undolog.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTextStream>

#include <sys/resource.h>
#include <unistd.h>

#include <vector>

namespace
{

QTextStream out(stdout);

bool freshCopy(const QString& from, const QString& work)
{
    QDir(work).removeRecursively();
    QDir().mkpath(work);
    const bool copied = QFile::copy(from, work + QStringLiteral("/horses.mdb"));
    // The copy's pages go to the disk now, not while the next operation is being timed.
    ::sync();
    return copied;
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

/** Wall and CPU time of one operation, added to the lists. */
template <typename Op> void timed(std::vector<double>& wall, std::vector<double>& cpu, const Op& op)
{
    QElapsedTimer t;
    const double before = cpuMs();
    t.start();
    op();
    wall.push_back(t.nsecsElapsed() / 1e6);
    cpu.push_back(cpuMs() - before);
}

void line(const char* what, const std::vector<double>& wall, const std::vector<double>& cpu)
{
    out << QString::fromLatin1(what).leftJustified(40) << ms(BenchData::median(wall)) << " "
        << ms(BenchData::median(cpu)) << "\n";
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
    const QString dbPath = work + QStringLiteral("/horses.mdb");
    out << QFileInfo(source).size() / (1024 * 1024) << " MB, " << weeks << " weeks; median of " << runs
        << " runs on fresh copies, file cache warm.\n\n";

    // Removal: the whole operation (one transaction with its undo record), the deletes alone, and undo.
    std::vector<double> removal, removalCpu, deletes, deletesCpu, undo, undoCpu;
    qint64 oneWeek = 0, fiveWeeks = 0;
    for (int r = 0; r < runs; ++r) {
        if (!freshCopy(source, work))
            return 1;
        const int week = BenchData::FirstWeek + weeks / 2 + r;
        QString error;
        timed(removal, removalCpu, [&] { DbCare::removeWeeks(dbPath, {week}, error); });
        if (!error.isEmpty()) {
            out << error << "\n";
            return 1;
        }
        Database db;
        db.open(dbPath);
        oneWeek = UndoLog::held(db).value_or(UndoLog::Held{}).bytes;
        timed(undo, undoCpu, [&] { UndoLog::undoLast(db); });
        timed(deletes, deletesCpu, [&] {
            Sql::Transaction t(db.sql());
            db.removeWeek(week + 1);
            t.commit();
        });
        db.close();
        for (int w = 0; r == 0 && w < UndoLog::Kept; ++w)
            DbCare::removeWeeks(dbPath, {week + 10 + w}, error);
        db.open(dbPath);
        if (r == 0)
            fiveWeeks = UndoLog::held(db).value_or(UndoLog::Held{}).bytes;
    }
    out << "                                            wall ms   CPU ms\n";
    line("remove one week, with its undo record", removal, removalCpu);
    line("  the deletes alone, one week", deletes, deletesCpu);
    line("undo of that removal", undo, undoCpu);
    out << "undo records: one week " << QString::number(oneWeek / 1e6, 'f', 1) << " MB, " << UndoLog::Kept
        << " weeks " << QString::number(fiveWeeks / 1e6, 'f', 1) << " MB, of a file of "
        << QString::number(QFileInfo(source).size() / 1e6, 'f', 0) << " MB\n\n";

    // Compaction in place against the shell's VACUUM of a copy of the same file. Wall time on a shared
    // machine follows the load; the CPU time of each side is reported beside it.
    std::vector<double> core, shell, coreCpu, shellCpu;
    const auto compactCore = [&] {
        QString error;
        bool ok = true;
        timed(core, coreCpu, [&] { ok = DbCare::compact(dbPath, false, error) == DbCare::Compaction::Done; });
        if (!ok)
            out << error << "\n";
        return ok;
    };
    const auto compactShell = [&] {
        QProcess p;
        QElapsedTimer t;
        const double cpu = cpuMs(true);
        t.start();
        p.start(QStringLiteral("sqlite3"), {dbPath, QStringLiteral("VACUUM")});
        p.waitForFinished(-1);
        shell.push_back(t.nsecsElapsed() / 1e6);
        shellCpu.push_back(cpuMs(true) - cpu);
        if (p.exitCode() != 0)
            out << "sqlite3: " << p.readAllStandardError() << "\n";
        return p.exitCode() == 0;
    };
    // Each side goes first every other run, on a fresh copy whose pages are on the disk.
    for (int r = 0; r < 2 * runs; ++r) {
        if (!freshCopy(source, work) || !((r % 4 == 0 || r % 4 == 3) ? compactCore() : compactShell()))
            return 1;
    }
    const double c = BenchData::median(core), s = BenchData::median(shell);
    const double cc = BenchData::median(coreCpu), sc = BenchData::median(shellCpu);
    line("compact: VACUUM in place", core, coreCpu);
    line("sqlite3 shell VACUUM of the same file", shell, shellCpu);
    out << QStringLiteral("ratio core / shell").leftJustified(40)
        << QString::number(c / s, 'f', 2).rightJustified(8) << " "
        << QString::number(cc / sc, 'f', 2).rightJustified(8) << "\n";
    QDir(work).removeRecursively();
    return 0;
}
