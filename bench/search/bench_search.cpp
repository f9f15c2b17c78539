// bench_search: times horse, prefix and owner searches end to end through the core (query, walk, grid,
// statistics) against the same join query in the sqlite3 shell, on a database of 700 generated weeks.
//
// usage: bench_search [--dir DIR] [--weeks N] [--runs N] [--cases LETTERS]
// The database is built once (generated weeks imported through the import driver) and kept in DIR
// (default /tmp/turf-bench-ladder, shared with bench_progeny) for later runs.
#include "benchdata.h"
#include "core/headlessplatform.h"
#include "core/mainwindowstate.h"
#include "db/database.h"
#include "search/gethorse.h"
#include "search/searchquery.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTextStream>

#include <sys/resource.h>

#include <algorithm>
#include <vector>

namespace
{

QTextStream out(stdout);
/** The statement of a search with its parameters written in as SQL literals, for the shell. */
QString literalSql(const SearchQuery::Statement& st)
{
    QString sql = st.sql;
    qsizetype at = 0;
    for (const QVariant& v : st.binds) {
        at = sql.indexOf(QLatin1Char('?'), at);
        QString literal;
        if (v.typeId() == QMetaType::QString)
            literal = QLatin1Char('\'') + v.toString().replace(QLatin1Char('\''), QLatin1String("''")) +
                      QLatin1Char('\'');
        else
            literal = QString::number(v.toDouble(), 'g', 17);
        sql.replace(at, 1, literal);
        at += literal.size();
    }
    return sql + QLatin1Char(';');
}

struct Case {
    QString label;
    qint16 mode;
    QString name;
    /** A leading wildcard: the shell runs today's full scan of the table, which the index must beat. */
    bool scan = false;
};

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const BenchData::Options o = BenchData::parseOptions(app.arguments().mid(1));
    const QString dir = o.dir;
    const int weeks = o.weeks, runs = o.runs;
    if (!BenchData::ensure(dir, weeks, o.horses, out))
        return 1;
    const QString dbPath = BenchData::databasePath(dir);

    // Pick the subjects from the data: a horse with a full career, a prefix of its first word, and the owner
    // with the most starts.
    std::vector<Case> cases;
    qint64 total = 0;
    {
        Database db;
        if (!BenchData::openAndCount(db, dbPath, total, out))
            return 1;
        const QString horse =
            BenchData::column(db, QStringLiteral("SELECT hname FROM tblhorsedata WHERE racenum > %1 LIMIT 1")
                                      .arg(BenchData::FirstWeek + weeks - 10))
                .value(0);
        // The smallest stable that fills the grid, so that the shell returns about the rows listed.
        QString owner =
            BenchData::column(db, QStringLiteral("SELECT oname FROM tblhorsedata GROUP BY oname "
                                                 "HAVING COUNT(*) >= 15000 ORDER BY COUNT(*) LIMIT 1"))
                .value(0);
        if (owner.isEmpty())
            owner = BenchData::column(db, QStringLiteral("SELECT oname FROM tblhorsedata GROUP BY oname "
                                                         "ORDER BY COUNT(*) DESC LIMIT 1"))
                        .value(0);
        // A "Blue S*" style prefix: the horse's first word and the first letter of its second.
        const QString prefix = horse.section(QLatin1Char(' '), 0, 0) + QLatin1Char(' ') +
                               horse.section(QLatin1Char(' '), 1, 1).left(1) + QLatin1Char('*');
        cases.push_back({QStringLiteral("(a) horse by name"), 2, horse});
        cases.push_back({QStringLiteral("(b) prefix search"), 2, prefix});
        cases.push_back({QStringLiteral("(c) owner search"), 4, owner});
        // Leading wildcards: a name without its start, a run inside a name, a run inside the owner's name,
        // a family by its last word, and the owners of one legal form.
        const QString lastWord = horse.section(QLatin1Char(' '), -1);
        cases.push_back({QStringLiteral("(d) *end of a name"), 2, QLatin1Char('*') + horse.mid(2), true});
        cases.push_back({QStringLiteral("(e) *inside*"), 2,
                         QLatin1Char('*') + horse.mid(horse.size() / 2 - 3, 6) + QLatin1Char('*'), true});
        cases.push_back({QStringLiteral("(f) owner *inside*"), 4,
                         QLatin1Char('*') + owner.mid(2, 7) + QLatin1Char('*'), true});
        cases.push_back({QStringLiteral("(g) *last word"), 2, QLatin1Char('*') + lastWord, true});
        cases.push_back({QStringLiteral("(h) owner *ending"), 4, QLatin1Char('*') + owner.right(5), true});
    }
    out << total << " starts in " << weeks << " weeks; median of " << runs << " runs, file cache warm.\n"
        << "core: gethorse end to end (its own connection, query, walk, grid, statistics).\n"
        << "shell: the same join query in a fresh sqlite3 process, its Run Time; ratio = core / shell.\n"
        << "  For (d)-(h), leading wildcards, shell is the full scan the name index replaces (the core\n"
        << "  scans too where its cost model says the scan is cheaper).\n"
        << "best: the fastest core run, the figure least touched by the machine's other load.\n"
        << "shell warm: the query repeated on one shell connection, for reference.\n\n";
    out << QStringLiteral("%1 %2 %3 %4 %5 %6 %7 %8 %9\n")
               .arg(QStringLiteral("search"), -20)
               .arg(QStringLiteral("subject"), -26)
               .arg(QStringLiteral("found"), 7)
               .arg(QStringLiteral("listed"), 7)
               .arg(QStringLiteral("core ms"), 9)
               .arg(QStringLiteral("best ms"), 9)
               .arg(QStringLiteral("shell ms"), 9)
               .arg(QStringLiteral("ratio"), 6)
               .arg(QStringLiteral("warm ms"), 9);

    HeadlessPlatform platform;
    platform.defaultAnswer = Platform::Answer::Yes;
    MainWindowState f(platform, dir, dir + QStringLiteral("/no-breeding.txt"));
    f.settingsWritable = false;
    for (const Case& c : cases) {
        if (!o.cases.isEmpty() && !o.cases.contains(c.label.at(1)))
            continue;
        const QString sql = literalSql(SearchQuery::build(c.mode, c.name, QString()));
        // Core and shell runs alternate, so that a change in the machine's load falls on both.
        std::vector<double> core, shell;
        for (int i = 0; i < runs + 1; ++i) {
            platform.messages.clear();
            QElapsedTimer t;
            t.start();
            gethorse(f, c.mode, c.name, QString());
            const qint64 ns = t.nsecsElapsed();
            const std::vector<double> fresh = BenchData::shellMillis(dbPath, sql, 1);
            if (i == 0)
                continue; // both warm the operating system's cache
            core.push_back(ns / 1e6);
            shell.push_back(fresh.empty() ? -1 : fresh.front());
        }
        // The same statement repeated on one connection, for reference.
        std::vector<double> warm = BenchData::shellMillis(dbPath, sql, runs + 1);
        if (!warm.empty())
            warm.erase(warm.begin());
        const QString question = platform.messages.value(0);
        static const QRegularExpression count(QStringLiteral("^There are (\\d+) horses"));
        const auto m = count.match(question);
        const int found = m.hasMatch() ? m.captured(1).toInt() : f.MSFlexGrid1.rows() - 1;
        const double coreMs = BenchData::median(core), shellMs = BenchData::median(shell);
        out << QStringLiteral("%1 %2 %3 %4 %5 %6 %7 %8 %9\n")
                   .arg(c.label, -20)
                   .arg(c.name.left(26), -26)
                   .arg(found, 7)
                   .arg(f.MSFlexGrid1.rows() - 1, 7)
                   .arg(coreMs, 9, 'f', 1)
                   .arg(*std::min_element(core.begin(), core.end()), 9, 'f', 1)
                   .arg(shellMs, 9, 'f', 1)
                   .arg(shellMs > 0 ? coreMs / shellMs : 0, 6, 'f', 2)
                   .arg(BenchData::median(warm), 9, 'f', 1);
        out.flush();
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    out << "\npeak memory of this process: " << usage.ru_maxrss / 1024 << " MB\n";
    return 0;
}
