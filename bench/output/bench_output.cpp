// bench_output: times the results grid's double-click sorts and "Filter this List" on a grid as full as a
// search can make it (15,000 starts), every column sorted twice (both directions) and filters on a common
// and a rare value.
//
// usage: bench_output [--rows N] [--runs N]
// The rows are made up with the cell formats of a search (names, ids, race keys, codes, figures, owners,
// claiming prices), from a fixed seed; no database is needed, since both operations read only the grid.
// Times are processor time of the process, so that other work on a busy machine does not count.
#include "benchdata.h"
#include "core/format.h"
#include "core/headlessplatform.h"
#include "core/mainwindowstate.h"
#include "output/gridinteractions.h"
#include "output/gridsettings.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <QTextStream>

#include <ctime>
#include <random>

namespace
{

QTextStream out(stdout);

/** Processor milliseconds spent by this process since the last call. */
double lap()
{
    static std::clock_t last = std::clock();
    const std::clock_t now = std::clock();
    const double ms = double(now - last) * 1000.0 / CLOCKS_PER_SEC;
    last = now;
    return ms;
}

void fill(GridState& g, int rows)
{
    std::mt19937 rng(7);
    const auto pick = [&](int n) { return int(rng() % unsigned(n)); };
    const char* codes[] = {"Alw", "Clm", "MS", "MC", "Stk", "GI", "A2x"};
    const char* ages[] = {"O-3+", "F-2", "O-2", "F-3+"};
    g.setRows(rows + 1);
    for (int r = 1; r <= rows; ++r) {
        const int horse = pick(3000), week = 700 - r / 25;
        const int place = 1 + pick(12), claim = pick(3) ? 0 : 1000 * (1 + pick(40));
        const QString cells[18] = {QStringLiteral("Horse %1").arg(horse),
                                   QString::number(100000 + horse),
                                   Fmt::fixed(week + (1 + pick(60)) / 100.0 + (1 + pick(12)) / 10000.0, 4),
                                   QString::fromLatin1(ages[pick(4)]),
                                   QStringLiteral("T%1").arg(1 + pick(60)),
                                   QString::fromLatin1(codes[pick(7)]),
                                   QString::number(5 + pick(8)),
                                   pick(3) ? QStringLiteral("D") : QStringLiteral("T"),
                                   Fmt::fixed(40 + pick(700) / 10.0, 1, 2),
                                   QString::number(place),
                                   QString::number(std::max(place, 6 + pick(7))),
                                   QString::number(1 + pick(12)),
                                   QString::number(5000 * (1 + pick(40))),
                                   Fmt::fixed(pick(9999) / 100.0, 2),
                                   QString::number(place > 5 ? 0 : 500 * (1 + pick(100))),
                                   QStringLiteral("Stable %1").arg(pick(400)),
                                   claim ? QString::number(claim) : QString(),
                                   QString::number(1 + pick(60))};
        for (int c = 0; c < 18; ++c)
            g.setText(r, c, cells[c]);
        g.setRowColour(r, 0, 17, std::uint8_t(1 + pick(6)));
    }
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    const auto option = [&](const char* name, int fallback) {
        const qsizetype i = args.indexOf(QLatin1String(name));
        return i >= 0 && i + 1 < args.size() ? args.at(i + 1).toInt() : fallback;
    };
    const int rows = option("--rows", 15000), runs = std::max(1, option("--runs", 5));

    QTemporaryDir dir;
    HeadlessPlatform platform;
    MainWindowState f(platform, dir.path(), QString());
    f.settingsWritable = false;
    fill(f.MSFlexGrid1, rows);
    msfgridcaption(f);
    const GridState full = f.MSFlexGrid1;

    out << "Grid of " << rows << " rows, median of " << runs << " runs, in processor ms\n";
    double worstSort = 0;
    for (int c = 0; c < 18; ++c) {
        std::vector<double> first, second;
        for (int run = 0; run < runs; ++run) {
            f.MSFlexGrid1 = full;
            for (auto* times : {&first, &second}) {
                f.MSFlexGrid1.setCurrent(1, c);
                lap();
                MSFlexGrid1_DblClick(f);
                times->push_back(lap());
            }
        }
        const double a = BenchData::median(first), b = BenchData::median(second);
        worstSort = std::max({worstSort, a, b});
        out << QStringLiteral("sort column %1 (%2): %3, again %4\n")
                   .arg(c, 2)
                   .arg(f.MSFlexGrid1.text(0, c), -6)
                   .arg(a, 6, 'f', 1)
                   .arg(b, 6, 'f', 1);
    }

    double worstFilter = 0;
    for (const auto& [what, col] : {std::pair{"surface (most rows stay)", 7}, {"owner (few stay)", 15}}) {
        std::vector<double> times;
        int kept = 0;
        for (int run = 0; run < runs; ++run) {
            f.MSFlexGrid1 = full;
            f.MSFlexGrid1.setCurrent(rows / 2, col);
            lap();
            listfilter_Click(f);
            times.push_back(lap());
            kept = f.MSFlexGrid1.rows() - 1;
        }
        worstFilter = std::max(worstFilter, BenchData::median(times));
        out << QStringLiteral("filter on %1: %2 (%3 rows kept)\n")
                   .arg(QLatin1String(what))
                   .arg(BenchData::median(times), 6, 'f', 1)
                   .arg(kept);
    }
    out << QStringLiteral("slowest sort %1 ms, slowest filter %2 ms (goal: under 100 ms each)\n")
               .arg(worstSort, 0, 'f', 1)
               .arg(worstFilter, 0, 'f', 1);
    return worstSort < 100 && worstFilter < 100 ? 0 : 1;
}
