#pragma once

#include <QString>
#include <QStringList>
#include <QTextStream>

#include <utility>
#include <vector>

class Database;

/** The data the search and progeny benchmarks share: one generated world, built once and kept on disk. */
namespace BenchData
{

/** The first generated week: weeks below 26 carry race numbers of an older form. */
constexpr int FirstWeek = 101;

QString databasePath(const QString& dir);
QString breedingPath(const QString& dir, int horses);

/**
 * Makes sure dir holds horses.mdb with `weeks` generated weeks (track codes T1 to T99 included) and the
 * breeding file of the world's first `horses` horses, building both from one generator run when either is
 * missing. Progress and errors go to log; false when the data could not be built.
 */
bool ensure(const QString& dir, int weeks, int horses, QTextStream& log);

/** The options every benchmark takes: --dir DIR, --weeks N, --horses N, --runs N. */
struct Options {
    QString dir = QStringLiteral("/tmp/turf-bench");
    int weeks = 700;
    int horses = 20000;
    int runs = 5;
    /** The letters of the cases to run, for a benchmark with lettered cases; all when empty. */
    QString cases;
};
/** Reads the options from the program's arguments (without the program name) over the defaults given. */
Options parseOptions(const QStringList& args, Options defaults = {});

/** Opens the database at path on db and counts its starts into starts; false, with the error written to
    log, when it cannot be opened. */
bool openAndCount(Database& db, const QString& path, qint64& starts, QTextStream& log);

/** The median of a set of timings; -1 for none. */
double median(std::vector<double> values);

/** The texts of the first column of the rows a query gives. */
QStringList column(Database& db, const QString& sql);

/** Runs a program to its end in a process of its own, its standard output discarded: its wall time in ms
    and its peak memory in MB (-1 when it failed). */
std::pair<double, long> measured(const QString& program, const QStringList& args);

} // namespace BenchData
