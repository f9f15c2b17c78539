#include "analysis/groupstats.h"

#include "core/format.h"
#include "search/gethorse.h"

#include <QJsonValue>

#include <algorithm>

namespace Analysis
{

GroupFigures figures(const GroupStats& g, const GroupStats& base)
{
    GroupFigures f;
    f.expected = rounded(g.expected, 2);
    if (g.starts == 0)
        return f;
    const double n = g.starts;
    f.winPct = rounded(100 * g.wins / n, 1);
    f.itmPct = rounded(100 * g.inMoney / n, 1);
    f.returnPer2 = rounded(g.payout / n, 2);
    if (base.starts > 0 && base.wins > 0)
        f.impact = rounded((g.wins / n) / (double(base.wins) / base.starts), 2);
    f.ae = rounded(g.wins / g.expected, 2);
    return f;
}

void addStatsJson(QJsonObject& o, const GroupStats& g, const GroupStats& base)
{
    const GroupFigures f = figures(g, base);
    o.insert(QStringLiteral("starts"), g.starts);
    o.insert(QStringLiteral("wins"), g.wins);
    o.insert(QStringLiteral("win_pct"), jsonNumber(f.winPct));
    o.insert(QStringLiteral("itm_pct"), jsonNumber(f.itmPct));
    o.insert(QStringLiteral("return_per_2"), jsonNumber(f.returnPer2));
    o.insert(QStringLiteral("impact"), jsonNumber(f.impact));
    o.insert(QStringLiteral("ae"), jsonNumber(f.ae));
    o.insert(QStringLiteral("expected"), f.expected);
    o.insert(QStringLiteral("few"), g.few());
    o.insert(QStringLiteral("low"), g.low());
}

std::vector<TableColumn> statsColumns()
{
    return {{QStringLiteral("Starts"), true},    {QStringLiteral("Wins"), true},
            {QStringLiteral("Win %"), true},     {QStringLiteral("ITM %"), true},
            {QStringLiteral("$2 Return"), true}, {QStringLiteral("Impact"), true},
            {QStringLiteral("A/E"), true},       {QStringLiteral("Expected"), true}};
}

std::vector<Cell> statsCells(const GroupStats& g, const GroupStats& base)
{
    if (g.starts == 0)
        return std::vector<Cell>(statsColumns().size());
    const GroupFigures f = figures(g, base);
    return {Cell::whole(g.starts),     Cell::whole(g.wins),           Cell::number(f.winPct, 1),
            Cell::number(f.itmPct, 1), Cell::number(f.returnPer2, 2), Cell::number(f.impact, 2),
            Cell::number(f.ae, 2),     Cell::number(f.expected, 2)};
}

QString statsDoubt(const GroupStats& g)
{
    if (g.starts == 0)
        return QStringLiteral("No starts.");
    QStringList why;
    if (g.few())
        why << QStringLiteral("Only %1: fewer than %2.")
                   .arg(Fmt::count(g.starts, QStringLiteral("start")))
                   .arg(FewStarts);
    if (g.low())
        why << QStringLiteral("Only %1 winners expected by the odds: fewer than %2.")
                   .arg(Fmt::fixed(g.expected, 2))
                   .arg(LowExpected);
    return why.join(QLatin1Char(' '));
}

QString statsMark(const GroupStats& g)
{
    QStringList marks;
    if (g.few())
        marks << QStringLiteral("few");
    if (g.low())
        marks << QStringLiteral("low");
    return marks.join(QStringLiteral(", "));
}

namespace
{
void keepNewest(std::vector<StartKey>& keys)
{
    const std::size_t limit = MaxListedStarts;
    if (keys.size() <= limit)
        return;
    std::nth_element(keys.begin(), keys.begin() + std::ptrdiff_t(limit - 1), keys.end(),
                     [](const StartKey& a, const StartKey& b) { return a.racenum > b.racenum; });
    keys.resize(limit);
}
} // namespace

void NewestKeys::keep(const StartKey& key)
{
    m_keys.push_back(key);
    if (m_keys.size() >= 4 * std::size_t(MaxListedStarts)) {
        keepNewest(m_keys);
        m_floor = std::min_element(m_keys.begin(), m_keys.end(), [](const StartKey& a, const StartKey& b) {
                      return a.racenum < b.racenum;
                  })->racenum;
    }
}

std::vector<StartKey> NewestKeys::take()
{
    keepNewest(m_keys);
    return std::move(m_keys);
}

} // namespace Analysis
