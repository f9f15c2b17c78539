#pragma once

#include <QDate>
#include <QString>

#include <array>
#include <cstdint>

class GridState;

/** One start as the search read it: the values the statistics need. */
struct StartFacts {
    double racenum = 0;
    double dist = 0;
    float sp = 0;
    QString restr;
    QString cond;
    QString surf;
    int fin = 0;
    std::int64_t purse = 0;
    std::int64_t cprice = 0;
    /** Its horse id, horse name and owner equal those of the reference start (the newest found). */
    bool sameOwner = false;
};

/** The earnings of a start: the purse times the share of its place (0.6, 0.25, 0.08, 0.05, 0.02), to the
    nearest whole number with halves to even; 0 outside the first five places. */
std::int64_t startEarnings(std::int64_t purse, int fin);

/** The day number (days since 30 December 1899) that the recent-win and tag rules give a week. */
int weekDay(int week);

/** The text of a single-precision speed with the pattern "#0.0", rounded as its decimal value reads. */
QString speedText(float value);

/** Which summary lblprogress gets: horse (modes 1 to 3), owner (4) or none (race, 5). */
enum class SummaryKind { Horse, Owner, Race };

/**
 * The statistics of one search, gathered over exactly the listed starts (newest first): speed and placing
 * tables by distance bucket and surface category, average speeds, place counts, earnings, the owner's
 * record with the reference start's horse, recent wins and the claiming tag.
 * Money is summed in 64 bits: a large owner search passes the 32-bit range.
 */
class HorseStats
{
public:
    /** threshold: starts at or below it are left out of the average speeds. today: for the recent windows. */
    HorseStats(int threshold, const QDate& today);

    /** The owner of the reference start (the newest found), whom the owner figures follow. */
    void setReferenceOwner(const QString& oname) { m_refOwner = oname; }

    /** Counts one listed start. */
    void add(const StartFacts& s);

    /** Distance bucket 5 to 12 of a distance in furlongs. */
    static int bucket(double dist);
    /** Category 0 dirt (fast), 1 turf (firm), 2 off track. */
    static int category(const QString& cond, const QString& surf);

    /** Writes "Max Speed And W-P-S" (7 x 10). */
    void fillWinGrid(GridState& g) const;
    /** Writes "Average Speed Stats" (5 x 4). */
    void fillSpeedGrid(GridState& g) const;
    /** The caption of frainfo for the subject of the search, in proper case unless asWritten (a listing
        that says what it lists rather than whose starts they are). */
    QString infoCaption(const QString& subject, bool asWritten = false) const;
    /** The text of lblprogress. dateFormat is the short date format for the tag's last week. */
    QString summary(SummaryKind kind, const QString& subject, const QString& dateFormat,
                    bool asWritten = false) const;

    int listed() const { return m_catStarts[0] + m_catStarts[1] + m_catStarts[2]; }
    std::int64_t totalEarnings() const { return m_earnings; }
    std::int64_t ownerEarnings() const { return m_ownerEarnings; }
    /** The lowest qualifying claiming price (above 500000 when none) and the week of the start that set it.
     */
    std::int64_t lowestTag() const { return m_lowestTag; }
    int tagWeek() const { return m_tagWeek; }

private:
    static constexpr int Buckets = 13; // indexed by bucket 5 to 12
    int m_threshold;
    int m_today;
    QString m_refOwner;

    std::array<int, 3> m_catStarts{};
    std::array<std::array<int, 3>, Buckets> m_bucketStarts{};
    std::array<std::array<float, 3>, Buckets> m_best{};
    std::array<std::array<std::array<int, 3>, 4>, Buckets> m_placings{}; // [bucket][place 1..3][category]
    std::array<std::array<int, 2>, 3> m_speedCount{};                    // [category][sprint, route]
    std::array<std::array<float, 2>, 3> m_speedSum{};
    std::array<int, 6> m_places{};      // 1..5
    std::array<int, 6> m_ownerPlaces{}; // 1..5
    int m_ownerStarts = 0;
    std::int64_t m_earnings = 0;
    std::int64_t m_ownerEarnings = 0;
    int m_over90 = 0;
    int m_over100 = 0;
    int m_over110 = 0;
    std::array<int, 4> m_recentWins{}; // 3, 6, 9, 12 months
    std::int64_t m_lowestTag = 9999999;
    int m_tagWeek = 0;
};
