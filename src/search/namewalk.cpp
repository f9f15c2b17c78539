#include "search/namewalk.h"

#include "db/database.h"
#include "search/searchquery.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <algorithm>

namespace NameWalk
{

namespace
{

/** The one number a statement gives; nullopt when it fails or gives NULL (an empty table). Each statement
    holds a single MIN() or MAX(), which the engine answers from an index without reading the table. */
std::optional<double> oneNumber(Database& db, const char* sql)
{
    Sql::Statement s = db.prepare(sql);
    if (!s.next() || s.isNull(0))
        return std::nullopt;
    return s.real(0);
}

} // namespace

Windows::Windows(Database& db, const QString& column, const QVariantList& names, const Limits& limits)
    : m_statement(db.prepare(SearchQuery::windowOfNames(column)))
{
    const auto first = oneNumber(db, "SELECT MIN(racenum) FROM tblhorsedata");
    const auto last = oneNumber(db, "SELECT MAX(racenum) FROM tblhorsedata");
    if (!m_statement)
        return;
    m_ok = true;
    if (!first || !last) {
        m_done = true; // no starts at all
        return;
    }
    QJsonArray list;
    for (const QVariant& name : names)
        list.append(name.toString());
    // The names go in as one JSON text: there may be more of them than a statement takes parameters.
    m_json = QJsonDocument(list).toJson(QJsonDocument::Compact);
    m_oldest = *first;
    const double newest = *last;
    m_width = std::max(1.0, (newest - m_oldest + 1) * 1.25 * limits.listed /
                                double(std::max<qint64>(1, limits.starts)));
    m_high = newest + 1;
    m_low = std::min(limits.lastWeekBound.value_or(newest + 1), newest) - m_width;
}

Sql::Statement* Windows::next()
{
    if (m_done)
        return nullptr;
    if (!m_first) {
        m_high = m_low;
        m_width *= 2;
        m_low = m_high - m_width;
    }
    m_first = false;
    if (m_low <= m_oldest) {
        m_low = m_oldest - 1;
        m_done = true;
    }
    m_statement.reset();
    m_statement.bindUtf8(1, m_json).bind(2, m_low).bind(3, m_high);
    return &m_statement;
}

bool pays(Database& db, qint64 names, qint64 starts, int listed, bool range)
{
    // The largest rowid stands for the table's size: counting the rows would read them all.
    const auto size = oneNumber(db, "SELECT MAX(rowid) FROM tblhorsedata");
    if (!size)
        return false;
    // Costs in rows scanned, rough figures from timings on 2.5 million starts: a seek into the index about 10
    // (once per name and window, two windows as a rule), an index entry 0.5, a listed start with its race at
    // most 15; the starts found without the index are sorted at about 2 each.
    const double read = double(std::min<qint64>(starts, listed));
    const double indexed =
        20.0 * double(names) + 0.5 * double(std::min<qint64>(starts, 2 * qint64(listed))) + 15.0 * read;
    // Without the index a literal start reads its names' starts through the name column's index, a leading
    // wildcard every start.
    const double scan = range ? 17.0 * double(starts) : *size + 2.0 * double(starts);
    return indexed < scan;
}

} // namespace NameWalk
