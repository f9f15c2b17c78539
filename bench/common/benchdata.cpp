#include "benchdata.h"

#include "db/database.h"
#include "db/nameindex.h"
#include "sample/generator.h"
#include "sample/sampledata.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>

#include <algorithm>

namespace BenchData
{

QString databasePath(const QString& dir)
{
    return dir + QStringLiteral("/horses.mdb");
}
QString breedingPath(const QString& dir, int horses)
{
    return dir + QStringLiteral("/breeding-%1.txt").arg(horses);
}

static bool have(const QString& dir, int weeks, int horses)
{
    Database db;
    if (!QFileInfo::exists(databasePath(dir)) || !db.open(databasePath(dir)))
        return false;
    const auto stored = db.weeks();
    return stored && stored->size() == weeks && QFileInfo::exists(breedingPath(dir, horses));
}

/** The number of weeks stored when they are exactly the first weeks of the generated world, else 0. */
static int storedPrefix(const QString& dir)
{
    Database db;
    if (!QFileInfo::exists(databasePath(dir)) || !db.open(databasePath(dir)))
        return 0;
    const auto stored = db.weeks();
    if (!stored || stored->isEmpty())
        return 0;
    const auto [low, high] = std::minmax_element(stored->begin(), stored->end());
    const bool prefix = *low == FirstWeek && *high - *low + 1 == stored->size();
    return prefix ? int(stored->size()) : 0;
}

static bool writeBreeding(TurfGen::Generator& gen, const QString& dir, int horses, QTextStream& log)
{
    const QByteArray text = gen.breedingFile(horses);
    QFile f(breedingPath(dir, horses));
    if (!f.open(QIODevice::WriteOnly) || f.write(text) != text.size()) {
        log << "cannot write " << f.fileName() << ": " << f.errorString() << "\n";
        return false;
    }
    return true;
}

static bool build(const QString& dir, int weeks, int horses, QTextStream& log)
{
    const QString path = databasePath(dir);
    TurfGen::Generator gen(TurfGen::Settings{});
    // A smaller set of the same world is extended: its weeks are run again without being stored, which
    // takes a fraction of the time their import would.
    const int kept = storedPrefix(dir);
    if (kept > 0 && kept < weeks) {
        log << "extending the " << kept << " weeks stored\n";
        log.flush();
        for (int w = FirstWeek; w < FirstWeek + kept; ++w)
            gen.weekFile(w);
    } else {
        QFile::remove(path);
    }
    if (kept == 0 || kept >= weeks) {
        // The track table first, so that the grid shows track codes as it does for a user.
        Database db;
        if (!db.create(path)) {
            log << "cannot create " << path << ": " << db.error() << "\n";
            return false;
        }
        Sql::Transaction t(db.sql());
        Sql::Statement q = db.prepare("INSERT INTO statecodes VALUES (?, ?)");
        for (int n = 1; n <= 99; ++n)
            q.bind(1, n).bind(2, QStringLiteral("T%1").arg(n)).run();
        t.commit();
    }
    QString error;
    const int from = kept > 0 && kept < weeks ? FirstWeek + kept : FirstWeek;
    if (!TurfGen::buildDatabase(dir, gen, from, FirstWeek + weeks - 1, &error)) {
        log << error << "\n";
        return false;
    }
    if (!writeBreeding(gen, dir, horses, log))
        return false;
    log << gen.totals().starts << " starts generated\n";
    return true;
}

bool ensureBreeding(const QString& dir, int weeks, int horses, QTextStream& log)
{
    if (QFileInfo::exists(breedingPath(dir, horses)))
        return true;
    log << "writing " << breedingPath(dir, horses) << " from the generated weeks (once)...\n";
    log.flush();
    TurfGen::Generator gen(TurfGen::Settings{});
    for (int w = FirstWeek; w < FirstWeek + weeks; ++w)
        gen.weekFile(w);
    return writeBreeding(gen, dir, horses, log);
}

Options parseOptions(const QStringList& args, Options o)
{
    for (qsizetype i = 0; i + 1 < args.size(); i += 2) {
        if (args[i] == QLatin1String("--dir"))
            o.dir = args[i + 1];
        else if (args[i] == QLatin1String("--weeks"))
            o.weeks = args[i + 1].toInt();
        else if (args[i] == QLatin1String("--horses"))
            o.horses = args[i + 1].toInt();
        else if (args[i] == QLatin1String("--runs"))
            o.runs = std::max(1, args[i + 1].toInt());
        else if (args[i] == QLatin1String("--cases"))
            o.cases = args[i + 1];
    }
    return o;
}

/** A database cached by an older build gets this build's indexes, timed as an older file's first write would
    be. */
static bool indexed(const QString& dir, QTextStream& log)
{
    Database db;
    if (!db.open(databasePath(dir)))
        return true;
    QElapsedTimer t;
    t.start();
    if (!NameIndex::present(db)) {
        QString error;
        if (!NameIndex::ensure(
                db, [](const QString&) {}, &error)) {
            log << error << "\n";
            return false;
        }
        log << "name index built in " << t.restart() << " ms\n";
    }
    bool built = false;
    if (!db.ensureListingIndexes([&](const QString&) { built = true; })) {
        log << db.error() << "\n";
        return false;
    }
    if (built)
        log << "owner and race indexes built in " << t.elapsed() << " ms\n";
    return true;
}

bool ensure(const QString& dir, int weeks, int horses, QTextStream& log)
{
    QDir().mkpath(dir);
    if (have(dir, weeks, horses))
        return indexed(dir, log);
    log << "building " << databasePath(dir) << " from " << weeks << " generated weeks and "
        << breedingPath(dir, horses) << " (once)...\n";
    log.flush();
    QElapsedTimer t;
    t.start();
    if (!build(dir, weeks, horses, log))
        return false;
    log << "built in " << t.elapsed() / 1000 << " s\n";
    return true;
}

double median(std::vector<double> values)
{
    if (values.empty())
        return -1;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

bool openAndCount(Database& db, const QString& path, qint64& starts, QTextStream& log)
{
    if (!db.open(path)) {
        log << db.error() << "\n";
        return false;
    }
    starts = db.number("SELECT COUNT(*) FROM tblhorsedata", QString()).value_or(0);
    return true;
}

QStringList column(Database& db, const QString& sql)
{
    QStringList out;
    Sql::Statement q = db.prepare(sql);
    while (q.next())
        out << q.text(0);
    return out;
}

/** The shell's own timings ("Run Time") of the statement run `times` times in one sqlite3 process, its
    output discarded. The first run is on a fresh connection, as every search of the program is. */
std::vector<ShellTime> shellTimes(const QString& db, const QString& sql, int times)
{
    QString script = QStringLiteral(".output /dev/null\n.timer on\n");
    for (int i = 0; i < times; ++i)
        script += sql + QLatin1Char('\n');
    QProcess p;
    p.start(QStringLiteral("sqlite3"), {db});
    p.write(script.toUtf8());
    p.closeWriteChannel();
    p.waitForFinished(600000);
    const QString timings = QString::fromUtf8(p.readAllStandardOutput() + p.readAllStandardError());
    std::vector<ShellTime> out;
    static const QRegularExpression re(
        QStringLiteral("Run Time: real ([0-9.]+) user ([0-9.]+) sys ([0-9.]+)"));
    auto it = re.globalMatch(timings);
    while (it.hasNext()) {
        const auto m = it.next();
        out.push_back(
            {m.captured(1).toDouble() * 1000, (m.captured(2).toDouble() + m.captured(3).toDouble()) * 1000});
    }
    return out;
}

std::vector<double> shellMillis(const QString& db, const QString& sql, int times)
{
    std::vector<double> ms;
    for (const ShellTime& t : shellTimes(db, sql, times))
        ms.push_back(t.real);
    return ms;
}

} // namespace BenchData
