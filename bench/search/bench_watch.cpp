// bench_watch: times the watched starts that follow an import (the watch list read, one indexed query per
// entry and week, the rows in the grid's texts) on a database of 700 generated weeks.
//
// usage: bench_watch [--dir DIR] [--weeks N] [--runs N]
// The database is built once and kept in DIR (default /tmp/turf-bench-ladder); the watch list is written
// there.
#include "benchdata.h"
#include "core/headlessplatform.h"
#include "core/mainwindowstate.h"
#include "db/database.h"
#include "search/watchlist.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTextStream>

#include <algorithm>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    const BenchData::Options o = BenchData::parseOptions(app.arguments().mid(1));
    if (!BenchData::ensure(o.dir, o.weeks, o.horses, out))
        return 1;
    const int last = BenchData::FirstWeek + o.weeks - 1;

    // Horses and stables that ran in the last week, as a player's list would hold them.
    QList<WatchEntry> entries;
    qint64 total = 0;
    {
        Database db;
        if (!BenchData::openAndCount(db, BenchData::databasePath(o.dir), total, out))
            return 1;
        Sql::Statement q = db.prepare("SELECT DISTINCT hname, hid FROM tblhorsedata WHERE racenum > ? AND "
                                      "racenum < ? LIMIT 190");
        q.bind(1, last).bind(2, last + 1);
        while (q.next())
            entries.append({WatchEntry::Kind::Horse, q.text(0), entries.size() % 2 ? QString() : q.text(1)});
        q = db.prepare("SELECT DISTINCT oname FROM tblhorsedata WHERE racenum > ? AND racenum < ? LIMIT 10");
        q.bind(1, last).bind(2, last + 1);
        while (q.next())
            entries.append({WatchEntry::Kind::Owner, q.text(0), QString()});
    }
    HeadlessPlatform platform;
    MainWindowState f(platform, o.dir, QString());
    out << total << " starts in " << o.weeks << " weeks; median of " << o.runs
        << " runs, file cache warm.\n\n";
    out << QStringLiteral("%1 %2 %3 %4\n")
               .arg(QStringLiteral("entries"), 8)
               .arg(QStringLiteral("weeks"), 6)
               .arg(QStringLiteral("listed"), 7)
               .arg(QStringLiteral("ms"), 9);
    for (const int size : {5, 50, 200}) {
        Watchlist::write(Watchlist::path(f), entries.mid(std::max<qsizetype>(0, entries.size() - size)));
        for (const int span : {1, 7}) {
            QList<int> weeks;
            for (int w = last - span + 1; w <= last; ++w)
                weeks << w;
            std::vector<double> ms;
            qsizetype listed = 0;
            for (int i = 0; i <= o.runs; ++i) {
                QElapsedTimer t;
                t.start();
                listed = watchedStarts(f, weeks).size();
                if (i > 0)
                    ms.push_back(t.nsecsElapsed() / 1e6);
            }
            out << QStringLiteral("%1 %2 %3 %4\n")
                       .arg(size, 8)
                       .arg(span, 6)
                       .arg(listed, 7)
                       .arg(BenchData::median(ms), 9, 'f', 1);
            out.flush();
        }
    }
    for (const QString& m : platform.messages)
        out << "message: " << m << "\n";
    return 0;
}
