#include "search/namewalk.h"

#include "db/database.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <sqlite3.h>

#include <algorithm>
#include <cmath>

namespace NameWalk
{

namespace
{

/** The one number a statement gives; nullopt when it fails or gives NULL (an empty table). Each statement
    holds a single MIN() or MAX(), which the engine answers from an index without reading the table. */
std::optional<double> oneNumber(Database& db, const char* sql)
{
    const EngineStatement s = db.prepare(sql);
    if (!s || sqlite3_step(s.get()) != SQLITE_ROW || sqlite3_column_type(s.get(), 0) == SQLITE_NULL)
        return std::nullopt;
    return sqlite3_column_double(s.get(), 0);
}

} // namespace

std::optional<std::vector<Start>> newestFirst(Database& db, const QString& column, const QVariantList& names,
                                              const Limits& limits)
{
    std::vector<Start> out;
    const auto first = oneNumber(db, "SELECT MIN(racenum) FROM tblhorsedata");
    const auto last = oneNumber(db, "SELECT MAX(racenum) FROM tblhorsedata");
    if (!first || !last)
        return out;
    const double oldest = *first, newest = *last;
    QJsonArray list;
    for (const QVariant& name : names)
        list.append(name.toString());
    const QByteArray json = QJsonDocument(list).toJson(QJsonDocument::Compact);
    // The names go in as one JSON text: there may be more of them than a statement takes parameters.
    const EngineStatement s = db.prepare(
        QStringLiteral("SELECT tblhorsedata.racenum, tblhorsedata.rowid, listed.key FROM json_each(?) "
                       "AS listed CROSS JOIN tblhorsedata WHERE tblhorsedata.%1 = listed.value AND "
                       "tblhorsedata.racenum >= ? AND tblhorsedata.racenum < ?")
            .arg(column)
            .toUtf8()
            .constData());
    if (!s || sqlite3_bind_text(s.get(), 1, json.constData(), int(json.size()), SQLITE_STATIC) != SQLITE_OK)
        return std::nullopt;

    // Windows of race keys back from the newest start, each read whole through the index (a race never
    // falls in two), the first as wide as the listed starts would take if the names' starts were spread
    // evenly over the weeks, each further one twice as wide as the one before.
    const double bound = limits.lastWeekBound.value_or(newest + 1);
    double width = std::max(1.0, (newest - oldest + 1) * 1.25 * limits.listed /
                                     double(std::max<qint64>(1, limits.starts)));
    double high = newest + 1, low = std::min(bound, newest) - width;
    qint64 below = 0;
    std::vector<Start> window;
    for (;;) {
        const bool last = low <= oldest;
        if (last)
            low = oldest - 1;
        window.clear();
        sqlite3_reset(s.get());
        sqlite3_bind_double(s.get(), 2, low);
        sqlite3_bind_double(s.get(), 3, high);
        int rc;
        while ((rc = sqlite3_step(s.get())) == SQLITE_ROW)
            window.push_back({sqlite3_column_double(s.get(), 0), sqlite3_column_int64(s.get(), 1),
                              qsizetype(sqlite3_column_int64(s.get(), 2))});
        if (rc != SQLITE_DONE)
            return std::nullopt;
        std::sort(window.begin(), window.end(), [](const Start& a, const Start& b) {
            return a.racenum != b.racenum ? a.racenum > b.racenum : a.rowid > b.rowid;
        });
        out.insert(out.end(), window.begin(), window.end());
        below += std::count_if(window.begin(), window.end(),
                               [bound](const Start& x) { return x.racenum < bound; });
        if (last || below >= limits.listed || (limits.firstWeek && low <= *limits.firstWeek && below > 0))
            return out;
        high = low;
        width *= 2;
        low = high - width;
    }
}

bool pays(Database& db, qint64 names, qint64 starts, int listed, bool range)
{
    // The largest rowid stands for the table's size: counting the rows would read them all.
    const auto size = oneNumber(db, "SELECT MAX(rowid) FROM tblhorsedata");
    if (!size)
        return false;
    // Costs in rows scanned, rough figures from timings on 2.5 million starts: a seek into the index about 10
    // (once per name and window, two windows as a rule), an index entry 0.5, a start read by its row 15; the
    // starts found without the index are sorted at about 2 each.
    const double read = double(std::min<qint64>(starts, listed));
    const double indexed =
        20.0 * double(names) + 0.5 * double(std::min<qint64>(starts, 2 * qint64(listed))) + 15.0 * read;
    // Without the index a literal start reads its names' starts through the name column's index, a leading
    // wildcard every start.
    const double scan = range ? 17.0 * double(starts) : *size + 2.0 * double(starts);
    return indexed < scan;
}

double startsPerWeek(Database& db)
{
    const auto size = oneNumber(db, "SELECT MAX(rowid) FROM tblhorsedata");
    const auto first = oneNumber(db, "SELECT MIN(racenum) FROM tblhorsedata");
    const auto last = oneNumber(db, "SELECT MAX(racenum) FROM tblhorsedata");
    if (!size || !first || !last)
        return 0;
    return *size / (std::floor(*last) - std::floor(*first) + 1);
}

bool spanByNamesPays(qint64 names, qint64 starts, double weeks, double startsPerWeek)
{
    // Rough costs in microseconds, from timings on 2.5 and 15 million starts: by names, a seek into the
    // index 3 for each name and 1.3 for each start (its entry and its share of the sort); by rows, 1.5 for
    // each start and 4 for each page of the table that a start is the first to need, with about 50 starts
    // to a page.
    const double pages = std::min(double(starts), weeks * startsPerWeek / 50.0);
    return 3.0 * double(names) + 1.3 * double(starts) < 1.5 * double(starts) + 4.0 * pages;
}

} // namespace NameWalk
