#pragma once

#include <QString>
#include <QVariantList>

#include <array>
#include <optional>

/** Building the statement of a horse, owner or race search, with every user text bound as a parameter. */
namespace SearchQuery
{

/** The columns every search reads, in the order the grid loading expects them. */
enum Column {
    ColHname,
    ColHid,
    ColRacenum,
    ColOname,
    ColDist,
    ColSp,
    ColOdds,
    ColAge,
    ColRestr,
    ColCond,
    ColSurf,
    ColFin,
    ColPurse,
    ColPpos,
    ColSize,
    ColCprice,
    ColStart,
    ColumnCount
};

/** The start of every search statement: the columns above, from the starts joined to their races. */
QLatin1String selectColumns();

/** A ready statement, or the message that explains why the input cannot be searched. */
struct Statement {
    QString sql;
    QVariantList binds;
    /** Non-empty when the input was refused; sql is empty then. */
    QString error;
};

/** True when a name or id text is a pattern: it holds "*" or "?" (the literal name "*computer" excepted,
    for names). */
bool isNamePattern(const QString& name);
bool isIdPattern(const QString& id);

/** The LIKE pattern (escape character "\") of a "*"/"?" pattern: every other character matches itself. */
QString likePattern(const QString& pattern);

/** For a pattern with a literal start ("Blue*"), the range [lower, upper) that every match lies in under a
    case-insensitive (ASCII) comparison, so that an index on the column can be used. Empty when the pattern
    starts with a wildcard. */
struct PrefixRange {
    QString lower;
    QString upper;
    bool isEmpty() const { return lower.isEmpty(); }
};
PrefixRange prefixRange(const QString& pattern);

/** The full-text query that finds, in a trigram index, every name a pattern can match: each run of three
    or more characters between wildcards as a phrase, all required. Empty when the pattern has no such run.
 */
QString trigramQuery(const QString& pattern);

/** A name pattern that the name index serves: the name column, the index's query (for a leading wildcard)
    or the range of a literal start, and the LIKE pattern. */
struct IndexedPattern {
    QString column;
    QString trigrams;
    PrefixRange range;
    QString like;
};
/** For a horse name (mode 2) or single owner (mode 4) pattern, what the name index needs to find its names:
    the range of a literal start, else the trigram query of its runs of three characters, else only the
    pattern (every name is matched); nullopt for every other search. */
std::optional<IndexedPattern> indexedPattern(int mode, const QString& name);

/** The owner names of an owner search. The stable search joins several owners into one text, separated by
    a double quote, " OR oname=" and a double quote; that text is split back into the names here. */
QStringList ownerNames(const QString& expression);

/**
 * The statement that reads, newest first, the starts in a window of race keys whose `column` ("hname" or
 * "oname") is one of a list of names, without their races: ?1 the names as one JSON array, ?2 the lowest race
 * key of the window and ?3 the key above its highest. Its columns, and those of raceOfStart(), are placed by
 * splitColumns().
 */
QString windowOfNames(const QString& column);
/** The place of the race key among the columns of windowOfNames(). */
constexpr int WindowRaceKey = 2;

/** The statement that reads the race of a start, the race key bound as its one parameter. */
QString raceOfStart();

/** Where a search column is read when the starts and their races are read apart: from the race or the start,
    and at which place. */
struct SplitColumn {
    bool race = false;
    int index = 0;
};
std::array<SplitColumn, ColumnCount> splitColumns();

/** The statement of search mode 1 (name and id), 2 (name), 3 (id), 4 (owner) or 5 (race). */
Statement build(int mode, const QString& name, const QString& id);

} // namespace SearchQuery
