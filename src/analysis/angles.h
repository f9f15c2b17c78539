#pragma once

#include "analysis/breeding.h"
#include "analysis/groupstats.h"
#include "analysis/windowdata.h"

#include <QJsonObject>

#include <array>
#include <vector>

namespace Analysis
{

/** Weeks without a start after which a horse comes back from a rest, unless the player sets another. */
constexpr int DefaultLayoff = 45;

/** The patterns of a horse's starts that the angles count, in the order they are shown. */
enum class Angle : std::uint8_t {
    AllStarts,
    FirstAfterLayoff,
    SecondAfterLayoff,
    FirstAfterClaim,
    DroppedInPrice,
    RaisedByHalf,
    DirtToTurf,
    TurfToDirt,
    SprintToRoute,
    RouteToSprint,
    MaidenSpecialToClaiming,
};
constexpr int AngleCount = 11;
/** "All starts", "First start after a layoff", ... */
QString angleName(Angle a);

/** Which of the window's starts the angles count. */
struct AngleFilter {
    enum class Kind { All, Owner, Sire } kind = Kind::All;
    /** The owner at the start, or the horse's sire (letter case ignored). */
    QString name;
    int layoff = DefaultLayoff;
};

/** One angle's starts. */
struct AngleRow {
    Angle angle = Angle::AllStarts;
    GroupStats stats;
    std::vector<StartKey> keys; // the newest, to list them
};

struct Angles {
    Weeks weeks;
    AngleFilter filter;
    /** Every start of the window, which the impact values are measured against. */
    GroupStats base;
    std::array<AngleRow, AngleCount> rows;
};

/**
 * The angles of the window's starts (or of those the filter keeps). `data` holds the window's starts with
 * owners and odds, and each horse's last two starts before the window; `sires` the breeding file's sires when
 * the filter names a sire.
 */
Angles angles(const WindowData& data, const AngleFilter& filter, const BreedingIndex* sires = nullptr);
/** What angles() needs read of the window. */
WindowRequest anglesRequest();
/** The same over a window read from db, a sire's progeny found in the breeding file at `breeding`. */
Result<Angles> angles(Database& db, const Weeks& weeks, const AngleFilter& filter, const QString& breeding);

/** {"weeks": [A, B], "base": {"starts", "wins"}, "rows": [{"angle", "starts", "wins", "win_pct", "itm_pct",
    "return_per_2", "impact", "ae", "expected", "few", "low"}]}. */
QJsonObject anglesJson(const Angles& a);
/** Angle and the statistics; rows on too few starts or expected winners are "few". */
AnalysisTable anglesTable(const Angles& a);
/** The line above the table: "Angles, weeks 276-640, owner Red Barn, layoff 45 weeks". */
QString anglesHeading(const Angles& a);
/** An angle's starts: "First start after a layoff, weeks 276-640". */
StartListing angleStarts(const Angles& a, const AngleRow& row);

} // namespace Analysis
