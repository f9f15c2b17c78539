#pragma once

#include <QString>
#include <QVariantList>

#include <optional>
#include <vector>

class Database;

/**
 * The starts of a set of names newest first, found through the name column's index (name, race) without
 * reading the starts themselves: a pattern's names may hold a large share of the table, of which a search
 * lists only the newest 15,000.
 */
namespace NameWalk
{

/** One start: its race key, its row, and its name's place in the list of names. */
struct Start {
    double racenum = 0;
    qint64 rowid = 0;
    qsizetype name = 0;
};

/** How far back a walk can go: `listed` starts before the last week's end, and none before the first week
    once one is listed; `starts` is how many the names hold in all. */
struct Limits {
    int listed = 0;
    qint64 starts = 0;
    std::optional<double> lastWeekBound;
    std::optional<double> firstWeek;
};

/**
 * The starts whose `column` ("hname" or "oname") is one of `names`, newest first (race key descending, the
 * newer row first within a race): every start from the newest down to where the limits stop any walk, and
 * possibly some more. nullopt when the database cannot be read.
 */
std::optional<std::vector<Start>> newestFirst(Database& db, const QString& column, const QVariantList& names,
                                              const Limits& limits);

/** Whether reading `starts` starts of `names` names this way, of which a walk lists at most `listed`, costs
    less than reading every start of the table, or with `range` (names with a literal start) every start of
    the names through the name column's index. */
bool pays(Database& db, qint64 names, qint64 starts, int listed, bool range);

/** The starts stored for each week, on average; 0 for an empty table. */
double startsPerWeek(Database& db);

/** Whether reading `starts` starts of the walk's order that span `weeks` weeks by their `names` names, each
    a range of a name index holding every column, costs less than reading them by their rows. */
bool spanByNamesPays(qint64 names, qint64 starts, double weeks, double startsPerWeek);

} // namespace NameWalk
