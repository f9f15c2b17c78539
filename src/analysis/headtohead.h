#pragma once

#include "analysis/definitions.h"
#include "analysis/table.h"

#include <QJsonObject>

#include <cstdint>
#include <vector>

class Database;

namespace Analysis
{

/** The horses a head to head compares: at least two, at most four. */
constexpr int MeetMin = 2;
constexpr int MeetMax = 4;

/** One of the horses in a race they met in. */
struct MeetStart {
    std::int32_t hid = 0;
    int fin = 0;
    double sp = 0;
};

/** A race that at least two of the horses ran in. */
struct MeetRace {
    double racenum = 0;
    QString track; // the track's code, empty when the track table has none
    double dist = 0;
    QString surf;
    RaceClass raceClass;
    /** In the order of the horses; only those that ran. */
    std::vector<MeetStart> starts;
};

struct HeadToHead {
    std::vector<std::int32_t> horses;
    /** Each horse's name at its newest start. */
    std::vector<QString> names;
    /** Newest first. */
    std::vector<MeetRace> races;
    /** ahead[i][j]: the races both ran with horse i placed ahead of horse j. */
    std::vector<std::vector<int>> ahead;
};

/** Every stored race in which at least two of the 2 to 4 horses started. Refused, with a message, for a horse
    given twice or one without a stored start. */
Result<HeadToHead> headToHead(Database& db, const std::vector<std::int32_t>& horses);

/** {"horses": [id, ...], "races": [{"racenum", "week", "dist", "surf", "class", "price", "starts": [{"hid",
    "fin", "sp"}]}], "ahead": [[0, 3], [2, 0]]}. */
QJsonObject headToHeadJson(const HeadToHead& h);
/** Race #, Week, Tr, Dis, S, Class, then each horse's place and figure (empty when it did not run). */
AnalysisTable meetRacesTable(const HeadToHead& h);
/** One row per horse: how often it finished ahead of each of the others. */
AnalysisTable meetAheadTable(const HeadToHead& h);

} // namespace Analysis
