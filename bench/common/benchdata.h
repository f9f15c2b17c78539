#pragma once

#include <QString>
#include <QStringList>
#include <QTextStream>

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

/** Makes sure dir also holds the breeding file of the world's first `horses` horses (all of them for 0)
   beside the `weeks` weeks that ensure() stored, writing it from a run of the generator when it is missing.
 */
bool ensureBreeding(const QString& dir, int weeks, int horses, QTextStream& log);

/** The options every benchmark takes: --dir DIR, --weeks N, --horses N, --runs N. */
struct Options {
    QString dir = QStringLiteral("/tmp/turf-bench-ladder");
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

/** One run's time in the shell in ms: the real time, and the processor time (user and system). */
struct ShellTime {
    double real = 0;
    double cpu = 0;
};
/** The shell's own timings of the statement run `times` times in one sqlite3 process, as shellMillis(). */
std::vector<ShellTime> shellTimes(const QString& db, const QString& sql, int times);

/** The shell's own timings ("Run Time") of the statement run `times` times in one sqlite3 process, its
    output discarded. The first run is on a fresh connection, as every search of the program is. */
std::vector<double> shellMillis(const QString& db, const QString& sql, int times);

/** The texts of the first column of the rows a query gives. */
QStringList column(Database& db, const QString& sql);

} // namespace BenchData
