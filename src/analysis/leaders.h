#pragma once

#include "analysis/breeding.h"
#include "analysis/groupstats.h"
#include "analysis/windowdata.h"

#include <QJsonObject>

#include <array>
#include <optional>
#include <vector>

namespace Analysis
{

/** Whose starts a row of the leaders gathers: an owner's, or the progeny's of a stallion in one position. */
enum class LeaderKind : std::uint8_t { Owner, Sire, DamSire, DamDamSire };
/** "owner", "sire", "damsire", "damdamsire". */
QLatin1String leaderKindName(LeaderKind k);
std::optional<LeaderKind> leaderKindOf(const QString& name);
/** The breeding file's position of a stallion kind. */
ProgenySearchMode positionOf(LeaderKind k);

/** Starts a leader needs in the window unless the player sets another number. */
constexpr int DefaultMinStarts = 10;

/** Starts and wins on dirt, turf, off tracks, at sprints and at routes. */
enum class Split : std::uint8_t { Dirt, Turf, Off, Sprint, Route };
constexpr int SplitCount = 5;
/** "dirt", "turf", "off", "sprint", "route". */
QLatin1String splitName(Split s);

struct StartsWins {
    int starts = 0;
    int wins = 0;
};

/** One owner or stallion. */
struct LeaderRow {
    /** The owner as stored, or the stallion as first spelled among the records counted. */
    QString name;
    GroupStats stats;
    std::int64_t earnings = 0;
    std::array<StartsWins, SplitCount> splits;
    std::vector<StartKey> keys; // the newest, to list them
};

struct Leaders {
    Weeks weeks;
    LeaderKind by = LeaderKind::Owner;
    int minStarts = DefaultMinStarts;
    /** Every start of the window, which the impact values are measured against. */
    GroupStats base;
    /** By wins, then starts, highest first, then by name. */
    std::vector<LeaderRow> rows;
};

/**
 * The owners, or the stallions in one position of the breeding file (names compared without letter case),
 * with at least minStarts starts in the window. `data` holds the window's starts with odds, and owners for
 * the owners; `stallions` the breeding file's stallions in that position for the others.
 */
Leaders leaders(const WindowData& data, LeaderKind by, int minStarts,
                const BreedingIndex* stallions = nullptr);
/** What leaders() needs read of the window. */
WindowRequest leadersRequest(LeaderKind by);
/** The same over a window read from db, the stallions from the breeding file at `breeding`. */
Result<Leaders> leaders(Database& db, const Weeks& weeks, LeaderKind by, int minStarts,
                        const QString& breeding);

/** {"weeks": [A, B], "by": "sire", "rows": [{"name", the statistics, "earnings", "dirt": {"starts", "wins"},
    "turf", "off", "sprint", "route"}]}. */
QJsonObject leadersJson(const Leaders& l);
/** The name, the statistics, earnings, and wins/starts per split; rows on too few starts or expected winners
    are "few". */
AnalysisTable leadersTable(const Leaders& l);
/** "Leading owners, weeks 276-640, at least 10 starts". */
QString leadersHeading(const Leaders& l);
/** A row's starts: "Starts of Red Barn, weeks 276-640", "Progeny of Storm Cat as sire, weeks 276-640". */
StartListing leaderStarts(const Leaders& l, const LeaderRow& row);

} // namespace Analysis
