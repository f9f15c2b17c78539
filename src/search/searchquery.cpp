#include "search/searchquery.h"

#include "core/format.h"

#include <QRegularExpression>
#include <QStringList>

#include <cmath>

namespace SearchQuery
{

namespace
{

const QLatin1String
    selectList("SELECT hname, hid, tblraces.racenum, oname, dist, sp, odds, age, restr, cond, "
               "surf, fin, purse, ppos, size, cprice, start FROM tblhorsedata INNER JOIN "
               "tblraces ON tblhorsedata.racenum = tblraces.racenum ");
// The names are the outer loop (a CROSS JOIN keeps them there): each name's starts in the window are one
// range of its index, which in a file with this version's indexes holds every column read here, and the
// engine puts the window newest first.
#define TURF_WINDOW_OF(column)                                                                               \
    "SELECT hname, hid, racenum, oname, sp, odds, fin, ppos, start FROM json_each(?1) AS listed CROSS JOIN " \
    "tblhorsedata WHERE tblhorsedata." column " = listed.value AND tblhorsedata.racenum >= ?2 AND "          \
    "tblhorsedata.racenum < ?3 ORDER BY tblhorsedata.racenum DESC, tblhorsedata.rowid DESC"
const QLatin1String selectWindowOfHorses(TURF_WINDOW_OF("hname"));
const QLatin1String selectWindowOfOwners(TURF_WINDOW_OF("oname"));
#undef TURF_WINDOW_OF
const QLatin1String selectRace(
    "SELECT racenum, dist, age, restr, cond, surf, purse, size, cprice FROM tblraces WHERE racenum = ?");
// Starts of one race come newest stored first. The id index walked backwards gives them so; the horse and
// owner indexes hold more columns after the key, and their starts of one race are put in that order by a
// small sort.
const QLatin1String newestFirst(" ORDER BY tblhorsedata.racenum DESC, tblhorsedata.rowid DESC");
// Without table statistics the engine prefers walking the racenum index backwards (no sort) over a name
// range, several names or a pattern, and then looks up every start in racenum order. The "+" keeps the order
// off that index: a name range is read through its index, a pattern by one pass over the table, and the rows
// sorted.
const QLatin1String newestFirstSorted(" ORDER BY +tblhorsedata.racenum DESC, tblhorsedata.rowid DESC");

bool hasWildcard(const QString& text)
{
    return text.contains(QLatin1Char('*')) || text.contains(QLatin1Char('?'));
}

/** ASCII letters folded to lower case, as the engine's case-insensitive comparisons fold them. */
QString foldAscii(const QString& text)
{
    QString out = text;
    for (QChar& ch : out) {
        if (ch >= QLatin1Char('A') && ch <= QLatin1Char('Z'))
            ch = QChar(ch.unicode() + 32);
    }
    return out;
}

/** Appends "column = ?" or "column LIKE ? ESCAPE '\'" (with an index range for a literal start). */
void nameClause(QString& sql, QVariantList& binds, const QString& column, const QString& name, bool pattern)
{
    if (!pattern) {
        sql += column + QLatin1String(" = ?");
        binds << name;
        return;
    }
    const PrefixRange range = prefixRange(name);
    if (range.isEmpty()) {
        sql += column + QLatin1String(" LIKE ? ESCAPE '\\'");
        binds << likePattern(name);
        return;
    }
    sql += QLatin1Char('(') + column + QLatin1String(" >= ? AND ") + column + QLatin1String(" < ? AND ") +
           column + QLatin1String(" LIKE ? ESCAPE '\\')");
    binds << range.lower << range.upper << likePattern(name);
}

/** Appends the id clause of modes 1 and 3; false with `error` set when the id is not a usable number. */
bool horseIdClause(QString& sql, QVariantList& binds, const QString& id, QString& error)
{
    if (isIdPattern(id)) {
        sql += QLatin1String("CAST(hid AS TEXT) LIKE ? ESCAPE '\\'");
        binds << likePattern(id);
        return true;
    }
    if (id.trimmed().isEmpty()) {
        error = QStringLiteral("Please enter the horse's ID number.");
        return false;
    }
    if (!Fmt::isNumeric(id)) {
        error = QStringLiteral("The ID \"%1\" is not a number.").arg(id);
        return false;
    }
    const auto value = Fmt::toInt32(id.trimmed().toDouble());
    if (!value) {
        error = QStringLiteral("The ID %1 is too large.").arg(id.trimmed());
        return false;
    }
    sql += QLatin1String("hid = ?");
    binds << qlonglong(*value);
    return true;
}

/** Appends the clause of a race-key pattern, matched against the key's four-decimal text as the grid shows
    it (600.0110, not 600.011); a literal start with the point in it bounds the keys for the index. */
void raceKeyPatternClause(QString& sql, QVariantList& binds, const QString& pattern)
{
    static const QRegularExpression numericStart(QStringLiteral("^([0-9]+)\\.([0-9]{0,4})(?=[*?])"));
    const QRegularExpressionMatch m = numericStart.match(pattern);
    if (m.hasMatch()) {
        // The keys whose text begins with 600.011 are those from 600.0110 to 600.0119, each give or take
        // the half step that the text rounds away.
        const double lower = (m.captured(1) + QLatin1Char('.') + m.captured(2)).toDouble();
        const double step = std::pow(10.0, -int(m.capturedLength(2)));
        sql += QLatin1String("tblraces.racenum >= ? AND tblraces.racenum < ? AND ");
        binds << lower - 0.00005 << lower + step - 0.00005;
    }
    sql += QLatin1String("printf('%.4f', tblraces.racenum) LIKE ? ESCAPE '\\'");
    binds << likePattern(pattern);
}

} // namespace

QLatin1String selectColumns()
{
    return selectList;
}

bool isNamePattern(const QString& name)
{
    return hasWildcard(name) && name != QLatin1String("*computer");
}

bool isIdPattern(const QString& id)
{
    return hasWildcard(id);
}

QString likePattern(const QString& pattern)
{
    QString out;
    out.reserve(pattern.size() + 4);
    for (const QChar ch : pattern) {
        if (ch == QLatin1Char('*')) {
            out += QLatin1Char('%');
        } else if (ch == QLatin1Char('?')) {
            out += QLatin1Char('_');
        } else {
            if (ch == QLatin1Char('%') || ch == QLatin1Char('_') || ch == QLatin1Char('\\'))
                out += QLatin1Char('\\');
            out += ch;
        }
    }
    return out;
}

PrefixRange prefixRange(const QString& pattern)
{
    qsizetype end = 0;
    while (end < pattern.size() && pattern[end] != QLatin1Char('*') && pattern[end] != QLatin1Char('?'))
        ++end;
    if (end == 0)
        return {};
    const QString lower = foldAscii(pattern.left(end));
    // The upper bound is the prefix with its last character raised by one code point; text compares by code
    // point (UTF-8 bytes), so everything that starts with the prefix sorts below it.
    const QList<uint> points = lower.toUcs4();
    QList<uint> upperPoints = points;
    uint& last = upperPoints.last();
    if (last >= 0x10FFFF)
        return {};
    ++last;
    if (last >= 0xD800 && last <= 0xDFFF)
        last = 0xE000;
    return {lower, QString::fromUcs4(reinterpret_cast<const char32_t*>(upperPoints.constData()),
                                     upperPoints.size())};
}

QString trigramQuery(const QString& pattern)
{
    QStringList phrases;
    for (const QString& run : pattern.split(QRegularExpression(QStringLiteral("[*?]")), Qt::SkipEmptyParts)) {
        // Three characters, not UTF-16 units: a shorter phrase matches nothing in a trigram index.
        if (run.toUcs4().size() >= 3)
            phrases << QLatin1Char('"') + QString(run).replace(QLatin1String("\""), QLatin1String("\"\"")) +
                           QLatin1Char('"');
    }
    return phrases.join(QLatin1String(" AND "));
}

QStringList ownerNames(const QString& expression)
{
    return expression.split(QStringLiteral("\" OR oname=\""));
}

std::optional<IndexedPattern> indexedPattern(int mode, const QString& name)
{
    if ((mode != 2 && mode != 4) || !isNamePattern(name) || (mode == 4 && ownerNames(name).size() > 1))
        return std::nullopt;
    // A literal start bounds the names; a leading wildcard is looked up through its runs in the trigram
    // index, or, without a run of three, matched against every name: the names are far fewer than the starts.
    const PrefixRange range = prefixRange(name);
    const QString trigrams = range.isEmpty() ? trigramQuery(name) : QString();
    return IndexedPattern{mode == 4 ? QStringLiteral("oname") : QStringLiteral("hname"), trigrams, range,
                          likePattern(name)};
}

QString windowOfNames(const QString& column)
{
    return column == QLatin1String("oname") ? selectWindowOfOwners : selectWindowOfHorses;
}

QString raceOfStart()
{
    return selectRace;
}

std::array<SplitColumn, ColumnCount> splitColumns()
{
    std::array<SplitColumn, ColumnCount> at{};
    const Column starts[] = {ColHname, ColHid, ColRacenum, ColOname, ColSp,
                             ColOdds,  ColFin, ColPpos,    ColStart};
    const Column races[] = {ColRacenum, ColDist,  ColAge,  ColRestr, ColCond,
                            ColSurf,    ColPurse, ColSize, ColCprice};
    for (int i = 0; i < int(std::size(starts)); ++i)
        at[starts[i]] = {false, i};
    // The race key is read from the race, as the joined statements read it.
    for (int i = 0; i < int(std::size(races)); ++i)
        at[races[i]] = {true, i};
    return at;
}

Statement build(int mode, const QString& name, const QString& id)
{
    Statement s;
    QString where;
    const bool pattern = isNamePattern(name);
    bool sorted = false;
    switch (mode) {
    case 1:
        nameClause(where, s.binds, QStringLiteral("hname"), name, pattern);
        sorted = pattern || isIdPattern(id);
        where += QLatin1String(" AND ");
        if (!horseIdClause(where, s.binds, id, s.error))
            return {QString(), {}, s.error};
        break;
    case 2:
        nameClause(where, s.binds, QStringLiteral("hname"), name, pattern);
        sorted = pattern;
        break;
    case 3:
        if (!horseIdClause(where, s.binds, id, s.error))
            return {QString(), {}, s.error};
        sorted = isIdPattern(id);
        break;
    case 4: {
        // The operator chosen on the whole text applies to the first owner; the others are whole names.
        const QStringList owners = ownerNames(name);
        where += QLatin1Char('(');
        for (qsizetype i = 0; i < owners.size(); ++i) {
            if (i > 0)
                where += QLatin1String(" OR ");
            nameClause(where, s.binds, QStringLiteral("oname"), owners[i], i == 0 && pattern);
        }
        where += QLatin1Char(')');
        sorted = owners.size() > 1 || pattern;
        break;
    }
    case 5:
        if (isIdPattern(id)) {
            raceKeyPatternClause(where, s.binds, id);
        } else if (id.trimmed().isEmpty()) {
            return {QString(),
                    {},
                    QStringLiteral("Please enter a race number, such as 612.0507, in the ID box.")};
        } else if (!Fmt::isNumeric(id)) {
            return {QString(), {}, QStringLiteral("The race number \"%1\" is not a number.").arg(id)};
        } else {
            // Keys are sums of week, track and race parts and may differ from the typed decimal in the last
            // binary digit; keys are 0.0001 apart, so half of that either side finds exactly the one race.
            const double key = id.trimmed().toDouble();
            where += QLatin1String("tblraces.racenum > ? AND tblraces.racenum < ?");
            s.binds << key - 0.00005 << key + 0.00005;
        }
        s.sql = selectList + QLatin1String("WHERE ") + where;
        return s;
    default:
        return {QString(), {}, QStringLiteral("Unknown search mode %1.").arg(mode)};
    }
    s.sql = selectList + QLatin1String("WHERE ") + where + (sorted ? newestFirstSorted : newestFirst);
    return s;
}

} // namespace SearchQuery
