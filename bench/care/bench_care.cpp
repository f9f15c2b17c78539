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

QString ms(double v)
{
    return QString::number(v, 'f', 0).rightJustified(8);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    QString dir = QStringLiteral("/tmp/turf-bench");
    int weeks = 700, runs = 3;
    for (qsizetype i = 0; i + 1 < args.size(); i += 2) {
        if (args[i] == QLatin1String("--dir"))
            dir = args[i + 1];
        else if (args[i] == QLatin1String("--weeks"))
            weeks = args[i + 1].toInt();
        else if (args[i] == QLatin1String("--runs"))
            runs = std::max(1, args[i + 1].toInt());
    }
    if (!BenchData::ensure(dir, weeks, 20000, out))
        return 1;
    const QString source = BenchData::databasePath(dir);
    const QString work = dir + QStringLiteral("/care");
    const QString program = work + QLatin1Char('/');
    out << QFileInfo(source).size() / (1024 * 1024) << " MB, " << weeks << " weeks; median of " << runs
        << " runs on fresh copies, file cache warm.\n\n";

    // Removal: the whole operation (automatic copy, one transaction) and the deletes alone beside it.
    std::vector<double> removal, deletesOnly, copyOnly;
    for (int r = 0; r < runs; ++r) {
        if (!freshCopy(source, work))
            return 1;
        const int week = BenchData::FirstWeek + weeks / 2 + r;
        QElapsedTimer t;
        t.start();
        QString error;
        if (!DbCare::removeWeeks(program, {week}, error)) {
            out << error << "\n";
            return 1;
        }
        removal.push_back(t.nsecsElapsed() / 1e6);
        Database db;
        db.open(program + QStringLiteral("horses.mdb"));
        t.start();
        DbCare::keepSafetyCopy(db, program, error);
        copyOnly.push_back(t.nsecsElapsed() / 1e6);
        t.start();
        db.begin();
        db.removeWeek(week + 1);
        db.commit();
        deletesOnly.push_back(t.nsecsElapsed() / 1e6);
    }
    out << "remove one week, whole operation (ms)   " << ms(BenchData::median(removal)) << "\n"
        << "  of which the automatic copy (ms)      " << ms(BenchData::median(copyOnly)) << "\n"
        << "  the deletes alone, one week (ms)      " << ms(BenchData::median(deletesOnly)) << "\n\n";

    std::vector<double> core, shell;
    for (int r = 0; r < runs; ++r) {
        if (!freshCopy(source, work))
            return 1;
        QElapsedTimer t;
        t.start();
        QString error;
        if (!DbCare::compact(program, error)) {
            out << error << "\n";
            return 1;
        }
        core.push_back(t.nsecsElapsed() / 1e6);

        if (!freshCopy(source, work))
            return 1;
        QProcess p;
        t.start();
        p.start(QStringLiteral("sqlite3"),
                {program + QStringLiteral("horses.mdb"),
                 QStringLiteral("VACUUM INTO '%1'").arg(program + QStringLiteral("shell.mdb"))});
        p.waitForFinished(-1);
        shell.push_back(t.nsecsElapsed() / 1e6);
        if (p.exitCode() != 0) {
            out << "sqlite3: " << p.readAllStandardError() << "\n";
            return 1;
        }
    }
    const double c = BenchData::median(core), s = BenchData::median(shell);
    out << "compact: VACUUM INTO, check, rename (ms)" << ms(c) << "\n"
        << "sqlite3 shell VACUUM INTO alone (ms)    " << ms(s) << "\n"
        << "ratio core / shell                      " << QString::number(c / s, 'f', 2).rightJustified(8)
        << "\n";
    QDir(work).removeRecursively();
    return 0;
}
