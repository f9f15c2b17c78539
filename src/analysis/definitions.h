#pragma once

// The analyses: what a player asks of many weeks of results at once (where each class is won and how fast,
// where a horse can win, what the claims returned, which patterns win and pay).
//
// How to add an analysis:
//  1. Its core in src/analysis/NAME.{h,cpp}: a function over a WindowData (windowdata.h: the window's
//     starts with their races, read once, in two halves at once; ask for owners, names, odds, one horse, or
//     each horse's start before the window only when the analysis needs them) that returns plain rows, with
//     the definitions below (window, category, trip, class, band), WindowData::formFigure() and
//     startEarnings() of the statistics, rather than rules of its own; and an overload over a Database and
//     Weeks that reads what it needs, which the command, the window and the benchmark call. What the window
//     does not hold (a horse's whole record) is read with bound parameters, as claims.cpp does.
//  2. Its table: an AnalysisTable (table.h) of typed cells, which gives the text table, the CSV export and
//     the window's model their columns, raw values to sort by and the "few" marks; and its JSON.
//  3. Its command in src/cli/cmd_analysis*.cpp, group CliGroup::Analyses: AnalysisCommand
//     (src/cli/analysisoptions.h) takes --first-week, --last-week and --json, opens the database, resolves
//     the window and prints the JSON or the text table.
//  4. Its window in src/gui/analysis/: an AnalysisPanel (the week fields, Run, Cancel, Export..., tables on
//     AnalysisTableModel; start() runs the core off the window's thread), opened by AnalysisWindows from
//     the "&Analysis" menu; a row's starts go to the results grid through a StartListing
//     (search/startlisting.h), built from the starts' keys or from a bound statement of its own.
//  5. Its case in bench/analysis/bench_analysis.cpp, beside the equivalent SQL for the sqlite3 shell.

#include <QString>

#include <cstdint>
#include <optional>
#include <utility>

class Database;

namespace Analysis
{

/** A value, or the message that says why there is none. */
template <typename T> class Result
{
public:
    Result(T value) : m_value(std::move(value)) {}
    static Result failure(const QString& message)
    {
        Result r;
        r.m_error = message;
        return r;
    }
    explicit operator bool() const { return m_value.has_value(); }
    T& operator*() { return *m_value; }
    const T& operator*() const { return *m_value; }
    T* operator->() { return &*m_value; }
    const T* operator->() const { return &*m_value; }
    const QString& error() const { return m_error; }

private:
    Result() = default;
    std::optional<T> m_value;
    QString m_error;
};

/** The week of a race key: its whole part. */
int weekOf(double racenum);

/** Weeks first to last, both included. */
struct Weeks {
    int first = 0;
    int last = 0;
    bool contains(int week) const { return week >= first && week <= last; }
    /** The lowest race key of the window and the key just above its highest. */
    double lowKey() const { return first; }
    double highKey() const { return last + 1.0; }
    /** "weeks 276-640". */
    QString text() const;
};

/** How many weeks the default window spans, ending at the newest stored week. */
constexpr int DefaultSpan = 365;

/**
 * The window that the week texts ask for (either may be empty): the last week, or the newest stored one;
 * the first week, or the last minus 364. Refused with a message for a text that is no whole number, a first
 * week after the last, or a database without races.
 */
Result<Weeks> resolveWeeks(Database& db, const QString& firstText, const QString& lastText);

/** A start's surface category, as the statistics grids count it. */
enum class Category : std::uint8_t { Dirt, Turf, Off };
constexpr int CategoryCount = 3;
Category categoryOf(const QString& cond, const QString& surf);
/** "dirt", "turf", "off". */
QLatin1String categoryName(Category c);

enum class Trip : std::uint8_t { Sprint, Route };
/** Route when the distance is above 7.9 furlongs. */
Trip tripOf(double dist);
/** "sprint", "route". */
QLatin1String tripName(Trip t);

/** A race's class: its type code with its claiming price (0 for none). */
struct RaceClass {
    QString restr;
    std::int64_t price = 0;
    /** "Clm 7500", "MC 25000", or the type code alone without a price. */
    QString text() const;
    bool isMaiden() const;
    friend bool operator==(const RaceClass&, const RaceClass&) = default;
};

/** A class at a category and a trip. */
struct Band {
    RaceClass raceClass;
    Category category = Category::Dirt;
    Trip trip = Trip::Sprint;
    /** "Clm 7500, dirt sprint". */
    QString text() const;
    friend bool operator==(const Band&, const Band&) = default;
};
/** The order bands are shown in: dirt, turf, off; sprint before route; then by class text (letter case
    ignored) and price. */
bool bandBefore(const Band& a, const Band& b);

/** ASCII letters compared without case, as the searches compare names. */
bool sameIgnoringCase(const QString& a, const QString& b);

} // namespace Analysis
