#pragma once

#include "analysis/table.h"
#include "search/startlisting.h"

#include <QJsonObject>

#include <cstdint>
#include <optional>
#include <vector>

namespace Analysis
{

/** Starts below which a group's figures are "few", and expected winners below which they are "low". */
constexpr int FewStarts = 10;
constexpr double LowExpected = 5;

/** What a group of starts won and paid, and what its odds expected of it. */
struct GroupStats {
    int starts = 0;
    int wins = 0;
    int inMoney = 0;
    /** What $2 on each start returned: 2 (odds + 1) for each winner. */
    double payout = 0;
    /** The winners its odds expected: the sum of 1 / (odds + 1). */
    double expected = 0;

    void add(int fin, double odds)
    {
        ++starts;
        expected += 1 / (odds + 1);
        if (fin >= 1 && fin <= 3)
            ++inMoney;
        if (fin == 1) {
            ++wins;
            payout += 2 * (odds + 1);
        }
    }
    bool few() const { return starts < FewStarts; }
    bool low() const { return expected < LowExpected; }
};

/** A group's figures rounded as they are shown; none without starts (impact also none when the window has no
    winner). */
struct GroupFigures {
    std::optional<double> winPct;
    std::optional<double> itmPct;
    std::optional<double> returnPer2;
    std::optional<double> impact;
    std::optional<double> ae;
    double expected = 0;
};

/** The figures of `g`, its impact value measured against the win rate of `base`, every start of the window.
 */
GroupFigures figures(const GroupStats& g, const GroupStats& base);

/** Adds "starts", "wins", "win_pct", "itm_pct", "return_per_2", "impact", "ae", "expected", "few" and "low".
 */
void addStatsJson(QJsonObject& o, const GroupStats& g, const GroupStats& base);

/** The columns of the statistics: Starts, Wins, Win %, ITM %, $2 Return, Impact, A/E, Expected. */
std::vector<TableColumn> statsColumns();
/** Their cells; all empty for a group without starts. */
std::vector<Cell> statsCells(const GroupStats& g, const GroupStats& base);
/** Why a group's figures are not to be trusted ("Only 7 starts: fewer than 10."), empty when they are. */
QString statsDoubt(const GroupStats& g);
/** The mark the text table shows after such a row: "few", "low" or "few, low". */
QString statsMark(const GroupStats& g);

/** The starts of a group as the results grid lists them: the newest up to the grid's limit, kept as they
    come so that a window of millions of starts keeps no more than that. */
class NewestKeys
{
public:
    void add(const StartKey& key)
    {
        if (key.racenum >= m_floor)
            keep(key);
    }
    /** The newest up to the limit, in any order. */
    std::vector<StartKey> take();

private:
    void keep(const StartKey& key);

    std::vector<StartKey> m_keys;
    /** Below this race key a start can no longer be among the newest: it is passed over at once. */
    double m_floor = 0;
};

} // namespace Analysis
