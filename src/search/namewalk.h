#pragma once

#include "db/database.h"

#include <QString>
#include <QVariantList>

#include <optional>

/**
 * The starts of a set of names newest first, read through the name column's index in windows of race keys
 * back from the newest start: a pattern's names may hold a large share of the table, of which a search lists
 * only the newest 15,000.
 */
namespace NameWalk
{

/** How far back the windows reach at first: wide enough for `listed` starts before the last week's end if
    the `starts` of the names were spread evenly over the weeks. */
struct Limits {
    int listed = 0;
    qint64 starts = 0;
    std::optional<double> lastWeekBound;
};

/**
 * The windows of one walk, each read whole and put newest first by the engine (a race never falls in two);
 * the first as wide as the limits say, each further one twice as wide as the one before, the last reaching
 * the oldest start.
 */
class Windows
{
public:
    /** Windows over the starts whose `column` ("hname" or "oname") is one of `names`. */
    Windows(Database& db, const QString& column, const QVariantList& names, const Limits& limits);
    /** False when the statement cannot be prepared or the table read. */
    bool ok() const { return m_ok; }
    /** The next window's statement (SearchQuery::windowOfNames()), reset and bound, or nullptr once the
        last window has been given. */
    Sql::Statement* next();
    /** The lowest race key of the window last given. */
    double low() const { return m_low; }

private:
    Sql::Statement m_statement;
    QByteArray m_json;
    bool m_ok = false;
    bool m_done = false;
    bool m_first = true;
    double m_oldest = 0, m_high = 0, m_low = 0, m_width = 0;
};

/** Whether reading `starts` starts of `names` names this way, of which a walk lists at most `listed`, costs
    less than reading every start of the table, or with `range` (names with a literal start) every start of
    the names through the name column's index. */
bool pays(Database& db, qint64 names, qint64 starts, int listed, bool range);

} // namespace NameWalk
