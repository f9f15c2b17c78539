#include "progeny/getsires.h"

#include "core/format.h"
#include "core/mainwindowstate.h"
#include "db/database.h"
#include "output/gridsettings.h"
#include "progeny/breedingfile.h"

#include <array>
#include <cmath>
#include <limits>
#include <vector>

namespace
{

// Results grid columns of the sire layout.
constexpr int ColName = 0, ColId = 1, ColFirstAncestor = 2, ColSecondAncestor = 3, ColAge = 4, ColSex = 5,
              ColStarts = 6, ColWon = 7, ColAllowance = 8, ColStakes = 9, ColGraded = 10, ColDirtBand1 = 11,
              ColTurfBand1 = 15;

enum Measure { Tot = 0, Dirt, Turf, Route, Sprint, MeasureCount };
enum ProfileRow {
    RowMC = 0,
    RowMSW,
    RowMdn,
    RowOneAllowance,
    RowThreeAllowance,
    RowStakes,
    RowGraded,
    ProfileRows
};
enum Surface { SurfaceDirt = 0, SurfaceTurf, Surfaces };
constexpr int Bands = 4;

// Counters are 64-bit: a popular stallion's progeny and their wins must never wrap.
using Counts = std::array<qint64, MeasureCount>;
using PerBand = std::array<std::array<qint64, Bands>, Surfaces>;

/** One horse listed from the breeding file, as the database is asked about it. */
struct Progeny {
    QString name;
    qint32 id = 0;
    qint16 age = 0;
};

/** One start of a horse, with the facts of its race that the statistics use. */
struct Start {
    QString hname;
    double dist = 0;
    double sp = 0;
    QString restr;
    QString surf;
    int fin = 0;
    qint64 cprice = 0;
};

/** What one search adds up over all progeny. */
struct Totals {
    std::array<Counts, ProfileRows> winProfile{};
    qint64 q1 = 0; // progeny with at least N starts that pass the age test
    qint64 q2 = 0; // ... with at least N + 5 starts
    PerBand speedCount{};
    PerBand speedSum{};
    std::array<qint64, Bands> bandMax{};
    qint64 fastestSpeed = 0;
    QString fastestName;
};

/** What one horse adds up over its starts. */
struct HorseTally {
    bool hasWon = false;
    PerBand bestSpeed{};
    Counts allowance{};
    Counts stakes{};
    Counts graded{};
};

/** Keeps the results grid from repainting until the scope is left. */
class RedrawSuspended
{
public:
    explicit RedrawSuspended(GridState& grid) : m_grid(grid) { m_grid.setRedraw(false); }
    ~RedrawSuspended() { m_grid.setRedraw(true); }
    RedrawSuspended(const RedrawSuspended&) = delete;
    RedrawSuspended& operator=(const RedrawSuspended&) = delete;

private:
    GridState& m_grid;
};

int speedBand(double dist)
{
    if (dist < 8)
        return 0;
    if (dist < 9.5)
        return 1;
    if (dist < 11)
        return 2;
    return 3;
}

qint64 wholeFigure(double sp)
{
    const double r = Fmt::roundHalfEven(sp);
    constexpr double limit = double(std::numeric_limits<std::int32_t>::max());
    if (!std::isfinite(r))
        return 0;
    return qint64(std::clamp(r, -limit, limit));
}

bool isDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

bool isAllowanceWin(const QString& restr, qint64 cprice)
{
    if (restr.isEmpty())
        return false;
    const QChar first = restr.at(0);
    return first == QLatin1Char('A') || (isDigit(first) && cprice != 0);
}

void countWin(Counts& counts, bool dirt, bool route)
{
    ++counts[Tot];
    ++counts[dirt ? Dirt : Turf];
    ++counts[route ? Route : Sprint];
}

/** The minimum number of starts from the "#" box; an empty or unreadable box sets no minimum. */
qint64 minimumStarts(const QString& text)
{
    if (!Fmt::isWholeNumber(text))
        return 0;
    bool ok = false;
    const qint64 n = text.trimmed().toLongLong(&ok);
    if (!ok) // more digits than any count of starts can reach
        return std::numeric_limits<qint64>::max() / 2;
    return std::clamp<qint64>(n, -(std::numeric_limits<qint64>::max() / 2),
                              std::numeric_limits<qint64>::max() / 2);
}

std::array<QString, SireColumns> sireCaptions(ProgenySearchMode mode)
{
    const QString first =
        mode == ProgenySearchMode::Sire ? QStringLiteral("Dam-Sire") : QStringLiteral("Sire");
    const QString second =
        mode == ProgenySearchMode::DamDamSire ? QStringLiteral("Dam-Sire") : QStringLiteral("Dam-Dam-Sire");
    return {QStringLiteral("Horse Name"),
            QStringLiteral("H.ID."),
            first,
            second,
            QStringLiteral("Y"),
            QStringLiteral("Sx"),
            QStringLiteral("#"),
            QStringLiteral("M"),
            QStringLiteral("Al"),
            QStringLiteral("Sk"),
            QStringLiteral("Gr"),
            QStringLiteral("<8"),
            QStringLiteral("<=9"),
            QStringLiteral("<11"),
            QStringLiteral("11+"),
            QStringLiteral("<8"),
            QStringLiteral("<=9"),
            QStringLiteral("<11"),
            QStringLiteral("11+")};
}

/** Writes one progeny's breeding-file columns into row r. */
void writeBreedingColumns(GridState& g, int r, const BreedingRecord& rec, ProgenySearchMode mode)
{
    // The two ancestors that are not the searched one, in pedigree order.
    int a = 2, b = 3;
    if (mode == ProgenySearchMode::DamSire) {
        a = 1;
    } else if (mode == ProgenySearchMode::DamDamSire) {
        a = 1;
        b = 2;
    }
    g.setText(r, ColName, Fmt::properCase(rec.name()));
    g.setText(r, ColId, QString::number(rec.id()));
    g.setText(r, ColFirstAncestor, Fmt::properCase(rec.lineNames[std::size_t(a)]));
    g.setText(r, ColSecondAncestor, Fmt::properCase(rec.lineNames[std::size_t(b)]));
    g.setText(r, ColAge, QString::number(rec.ageYears));
    g.setText(r, ColSex, rec.sexCode);
}

void layoutColumns(GridState& g, ProgenySearchMode mode)
{
    // Before any saved layout the name column still has the grid's initial width: size from the default then.
    const int nameWidth = g.colWidth(ColName) >= 0 ? g.colWidth(ColName) : GridSettings::defaultWidths[0];
    const int ancestorWidth = std::max(nameWidth - 200, 0);
    g.setColWidth(ColFirstAncestor, ancestorWidth);
    g.setColWidth(ColSecondAncestor, ancestorWidth);
    g.setColWidth(ColAge, 250);
    g.setColWidth(ColSex, 250);
    g.setColWidth(ColStarts, 275);
    g.setColWidth(ColWon, 250);
    for (int c = ColAllowance; c <= ColGraded; ++c)
        g.setColWidth(c, 310);
    for (int c = ColDirtBand1; c < SireColumns; ++c)
        g.setColWidth(c, 320);
    const auto captions = sireCaptions(mode);
    for (int c = 0; c < SireColumns; ++c)
        g.setText(0, c, captions[std::size_t(c)]);
    g.setColAlign(ColTurfBand1, Align::RightCenter);
    g.touch();
}

/** Takes a qualifying horse's starts, oldest first, into its tally and the search's fastest progeny. */
void tallyStarts(const std::vector<Start>& starts, HorseTally& horse, Totals& totals)
{
    for (const Start& s : starts) {
        const bool dirt = s.surf == QLatin1String("D");
        if (s.fin == 1) {
            if (!horse.hasWon) {
                // The first win says how the horse broke its maiden; a route here is anything beyond 7.5.
                const bool route = s.dist > 7.5;
                Counts& mdn = totals.winProfile[RowMdn];
                ++mdn[Tot];
                for (auto [code, row] : {std::pair{"MS", RowMSW}, std::pair{"MC", RowMC}}) {
                    if (s.restr == QLatin1String(code))
                        countWin(totals.winProfile[row], dirt, route);
                }
                ++mdn[route ? Route : Sprint];
                ++mdn[dirt ? Dirt : Turf];
                horse.hasWon = true;
            }
            const bool route = s.dist >= 8;
            if (s.restr == QLatin1String("Stk"))
                countWin(horse.stakes, dirt, route);
            if (s.restr.startsWith(QLatin1Char('G')))
                countWin(horse.graded, dirt, route);
            if (isAllowanceWin(s.restr, s.cprice))
                countWin(horse.allowance, dirt, route);
        }
        // The stored best is whole but the comparison is with the figure as run, so a later 96.2 replaces
        // an earlier 95.6 (both 96) as the fastest.
        if (double(totals.fastestSpeed) < s.sp) {
            totals.fastestSpeed = wholeFigure(s.sp);
            totals.fastestName = s.hname;
        }
        int surface = -1;
        if (s.surf == QLatin1String("D"))
            surface = SurfaceDirt;
        else if (s.surf == QLatin1String("T"))
            surface = SurfaceTurf;
        if (surface >= 0) {
            qint64& best = horse.bestSpeed[std::size_t(surface)][std::size_t(speedBand(s.dist))];
            if (double(best) < s.sp)
                best = wholeFigure(s.sp);
        }
    }
    // Each class counts the classes above it: allowance-or-better and stakes including graded.
    for (int m = 0; m < MeasureCount; ++m) {
        horse.allowance[std::size_t(m)] += horse.stakes[std::size_t(m)] + horse.graded[std::size_t(m)];
        horse.stakes[std::size_t(m)] += horse.graded[std::size_t(m)];
    }
}

void countProfile(Counts& row, const Counts& wins, qint64 atLeast)
{
    for (int m = 0; m < MeasureCount; ++m) {
        if (wins[std::size_t(m)] >= atLeast)
            ++row[std::size_t(m)];
    }
}

void fillWinProfile(GridState& g, const Totals& t)
{
    for (int row = RowMC; row < ProfileRows; ++row) {
        const qint64 base = row <= RowMdn ? t.q1 : t.q2;
        const double divisor = base == 0 ? 1.0 : double(base);
        g.setText(row + 1, 6, QString::number(base));
        for (int m = 0; m < MeasureCount; ++m)
            g.setText(row + 1, m + 1,
                      Fmt::percent(double(t.winProfile[std::size_t(row)][std::size_t(m)]) / divisor));
    }
}

QString average(qint64 sum, qint64 count)
{
    return count > 0 ? Fmt::fixed(double(sum) / double(count), 1, 1) : QString();
}

QString countText(qint64 n)
{
    return n > 0 ? QString::number(n) : QString();
}

void fillSpeedSummary(GridState& g, const Totals& t)
{
    std::array<qint64, Surfaces> surfaceSum{}, surfaceCount{};
    for (int b = 0; b < Bands; ++b) {
        const std::size_t band = std::size_t(b);
        for (int s = 0; s < Surfaces; ++s) {
            const std::size_t surface = std::size_t(s);
            g.setText(1 + s, 1 + b, average(t.speedSum[surface][band], t.speedCount[surface][band]));
            g.setText(5 + s, 1 + b, countText(t.speedCount[surface][band]));
            surfaceSum[surface] += t.speedSum[surface][band];
            surfaceCount[surface] += t.speedCount[surface][band];
        }
        g.setText(3, 1 + b,
                  average(t.speedSum[0][band] + t.speedSum[1][band],
                          t.speedCount[0][band] + t.speedCount[1][band]));
        g.setText(4, 1 + b, t.bandMax[band] != 0 ? QString::number(t.bandMax[band]) : QString());
    }
    for (int s = 0; s < Surfaces; ++s) {
        g.setText(1 + s, 5, average(surfaceSum[std::size_t(s)], surfaceCount[std::size_t(s)]));
        g.setText(5 + s, 5, countText(surfaceCount[std::size_t(s)]));
    }
    g.setText(3, 5, average(surfaceSum[0] + surfaceSum[1], surfaceCount[0] + surfaceCount[1]));
    bool any = false;
    qint64 highest = 0;
    for (int b = 1; b <= Bands; ++b) {
        if (g.text(4, b).isEmpty())
            continue;
        const qint64 v = g.text(4, b).toLongLong();
        highest = any ? std::max(highest, v) : v;
        any = true;
    }
    g.setText(4, 5, any ? QString::number(highest) : QString());
}

QString databaseFailure(const QString& detail)
{
    return Fmt::lines(
        {QStringLiteral("The starts of the progeny could not be read from the database."), detail});
}

} // namespace

namespace
{

/**
 * The progeny rows: one per horse the breeding file lists for the name, written as the scan finds it. Nullopt
 * when a record failed its check: the search ends there, with the rows listed so far.
 */
std::optional<std::vector<Progeny>> listProgeny(MainWindowState& f, const QString& name,
                                                ProgenySearchMode mode)
{
    GridState& g = f.MSFlexGrid1;
    std::vector<Progeny> progeny;
    BreedingScan scan(f.breedingPath(), name, mode);
    if (!scan.start()) {
        f.platform().message(scan.error());
        return progeny;
    }
    BreedingRecord rec;
    for (;;) {
        switch (scan.next(rec)) {
        case BreedingScan::Result::Record: {
            const int r = int(progeny.size()) + 1;
            if (g.rows() < r + 1)
                g.setRows(r + 1);
            writeBreedingColumns(g, r, rec, mode);
            progeny.push_back({rec.name(), rec.id(), rec.ageYears});
            break;
        }
        case BreedingScan::Result::End:
            scan.finish();
            return progeny;
        case BreedingScan::Result::CheckFailed:
            // The rows listed so far stay; the search stops here without captions or statistics.
            f.platform().message(
                QStringLiteral("There was an error with horse %1.  Check the breeding.txt file.")
                    .arg(scan.failedId()));
            scan.finish();
            return std::nullopt;
        case BreedingScan::Result::Malformed:
            // The progeny found before the bad line are still worth their statistics; the message says that
            // the list stops there.
            f.platform().message(scan.error());
            scan.finish();
            return progeny;
        }
    }
}

/** Reads the horse's starts with their races, oldest first; false with the database's error set. */
bool readStarts(Database& db, Sql::Statement& q, const Progeny& p, std::vector<Start>& starts)
{
    q.reset();
    q.bind(1, p.name).bind(2, qint64(p.id));
    starts.clear();
    while (q.next()) {
        Start s;
        s.hname = q.text(0);
        s.dist = q.real(1);
        s.sp = q.real(2);
        s.restr = q.text(3);
        s.surf = q.text(4);
        s.fin = int(q.integer(5));
        s.cprice = q.integer(6);
        starts.push_back(std::move(s));
    }
    return !q.failed() || db.fail(QStringLiteral("The starts cannot be read"));
}

/** Row r's statistics from the horse's starts: its counts when it qualifies, and its best figures. */
void writeHorse(MainWindowState& f, int r, const Progeny& p, const std::vector<Start>& starts,
                qint64 minStarts, Totals& totals)
{
    GridState& g = f.MSFlexGrid1;
    const qint64 n = qint64(starts.size());
    if (n == 0) {
        for (int c = ColDirtBand1; c < SireColumns; ++c)
            g.setText(r, c, QStringLiteral("0"));
        return;
    }
    g.setText(r, ColStarts, QString::number(n));
    const bool agePasses = f.panel.chk2yo ? p.age < 3 : p.age > 2;
    HorseTally horse;
    if (n >= minStarts && agePasses) {
        ++totals.q1;
        tallyStarts(starts, horse, totals);
        g.setText(r, ColWon, horse.hasWon ? QStringLiteral("Y") : QStringLiteral("N"));
        g.setText(r, ColAllowance, QString::number(horse.allowance[Tot]));
        g.setText(r, ColStakes, QString::number(horse.stakes[Tot]));
        g.setText(r, ColGraded, QString::number(horse.graded[Tot]));
        if (n >= minStarts + 5) {
            ++totals.q2;
            countProfile(totals.winProfile[RowOneAllowance], horse.allowance, 1);
            countProfile(totals.winProfile[RowThreeAllowance], horse.allowance, 3);
            countProfile(totals.winProfile[RowGraded], horse.graded, 1);
            countProfile(totals.winProfile[RowStakes], horse.stakes, 1);
        }
    }
    for (int b = 0; b < Bands; ++b) {
        for (int s = 0; s < Surfaces; ++s) {
            const qint64 best = horse.bestSpeed[std::size_t(s)][std::size_t(b)];
            if (best > 0) {
                ++totals.speedCount[std::size_t(s)][std::size_t(b)];
                totals.speedSum[std::size_t(s)][std::size_t(b)] += best;
                totals.bandMax[std::size_t(b)] = std::max(totals.bandMax[std::size_t(b)], best);
            }
            const int c = (s == SurfaceDirt ? ColDirtBand1 : ColTurfBand1) + b;
            g.setText(r, c, QString::number(best));
            g.setColour(r, c, s == SurfaceDirt ? Palette::DarkRed : Palette::DarkGreen);
        }
    }
}

/** Per horse: its starts read from the database and its row written; false after a message. */
bool tallyProgeny(MainWindowState& f, const std::vector<Progeny>& progeny, Totals& totals)
{
    Database db;
    if (!db.open(f.databasePath())) {
        f.platform().message(databaseFailure(db.error()));
        return false;
    }
    // Bound values: a quote in a horse's name is just a character of the name.
    Sql::Statement q = db.prepare("SELECT hname, dist, sp, restr, surf, fin, cprice FROM tblhorsedata "
                                  "INNER JOIN tblraces ON tblhorsedata.racenum = tblraces.racenum "
                                  "WHERE hname = ? AND hid = ? ORDER BY tblhorsedata.racenum");
    if (!q) {
        f.platform().message(databaseFailure(db.error()));
        return false;
    }
    const qint64 minStarts = minimumStarts(f.panel.txtnum);
    std::vector<Start> starts;
    for (std::size_t i = 0; i < progeny.size(); ++i) {
        if (!readStarts(db, q, progeny[i], starts)) {
            f.platform().message(databaseFailure(db.error()));
            return false;
        }
        writeHorse(f, int(i) + 1, progeny[i], starts, minStarts, totals);
    }
    if (!db.close()) {
        f.platform().message(databaseFailure(db.error()));
        return false;
    }
    return true;
}

} // namespace

void getsires(MainWindowState& f, const QString& name)
{
    BusyPointer busy(f.platform());
    const ProgenySearchMode mode = f.panel.progenyMode;
    showSireLayout(f);
    // Whatever the scan finds, the grid now holds this search's rows.
    f.setListing({ListingSearch::Kind::Progeny, 0, name, QString(), f.panel});
    // What an earlier action left in the label (a failed import's report) is not about this list.
    f.setProgress(QString());

    GridState& max = f.MSFmaxgrid;
    for (int r = 3; r <= 5; ++r) {
        for (int c = 1; c <= 5; ++c)
            max.setText(r, c, QStringLiteral("0"));
    }

    GridState& g = f.MSFlexGrid1;
    g.clear();
    RedrawSuspended noRedraw(g);

    const auto progeny = listProgeny(f, name, mode);
    if (!progeny)
        return;
    const int count = int(progeny->size());
    g.setRows(count + 1);
    f.listedRows = count;
    layoutColumns(g, mode);
    f.frainfo = QStringLiteral("Statistics for Progeny of ") + Fmt::properCase(name) + QStringLiteral("  (") +
                QString::number(count) + QStringLiteral(").");

    Totals totals;
    if (count > 0 && !tallyProgeny(f, *progeny, totals))
        return;
    fillWinProfile(f.MSFSRGrid, totals);
    fillSpeedSummary(f.MSFmaxgrid, totals);
    f.lblfastest = QStringLiteral("Fastest progeny? ") + totals.fastestName + QStringLiteral(" - ") +
                   QString::number(totals.fastestSpeed);
    f.setStatusLine(Fmt::count(count, QStringLiteral("horse")) + QStringLiteral(" of the progeny of ") +
                    Fmt::properCase(name));
}
