#include "analysis/pars.h"

#include "core/format.h"

#include <QJsonArray>

#include <algorithm>
#include <map>
#include <tuple>

namespace Analysis
{

namespace
{

/** A band as numbers, to gather races and winners by. */
using BandKey = std::tuple<std::int32_t, std::int64_t, int, int>;

BandKey keyOf(const RaceRow& r)
{
    return {r.restr, r.cprice, int(r.category), int(r.trip)};
}

struct Gathered {
    const RaceRow* race = nullptr; // one race of the band, for its class and band
    int races = 0;
    std::int64_t purses = 0;
    int winners = 0;
    double figures = 0;
    double best = 0;
    std::vector<StartKey> keys;
};

} // namespace

const ParRow* Pars::find(const Band& band) const
{
    // The rows are in bandBefore() order.
    const auto it = std::lower_bound(rows.begin(), rows.end(), band,
                                     [](const ParRow& r, const Band& b) { return bandBefore(r.band, b); });
    return it == rows.end() || !(it->band == band) ? nullptr : &*it;
}

Pars classPars(const WindowData& data)
{
    std::map<BandKey, Gathered> bands;
    const auto& races = data.races();
    std::vector<Gathered*> bandOfRace(data.windowRaces()); // each race's band found once
    for (std::size_t i = 0; i < data.windowRaces(); ++i) {
        Gathered& g = bands[keyOf(races[i])];
        bandOfRace[i] = &g;
        g.race = &races[i];
        ++g.races;
        g.purses += races[i].purse;
    }
    for (const StartRow& s : data.starts()) {
        if (s.fin != 1 || std::size_t(s.race) >= bandOfRace.size())
            continue;
        Gathered& g = *bandOfRace[std::size_t(s.race)];
        if (g.winners == 0 || s.sp > g.best)
            g.best = s.sp;
        ++g.winners;
        g.figures += s.sp;
        g.keys.push_back({s.hid, s.racenum});
    }
    Pars out;
    out.weeks = data.weeks();
    for (auto& [key, g] : bands) {
        if (g.winners == 0)
            continue;
        ParRow row;
        row.band = data.band(*g.race);
        row.winners = g.winners;
        row.races = g.races;
        if (g.winners >= ParWinners)
            row.par = g.figures / g.winners;
        row.best = g.best;
        row.purse = std::int64_t(Fmt::roundHalfEven(double(g.purses) / g.races));
        row.winnerKeys = std::move(g.keys);
        out.rows.push_back(std::move(row));
    }
    std::sort(out.rows.begin(), out.rows.end(),
              [](const ParRow& a, const ParRow& b) { return bandBefore(a.band, b.band); });
    return out;
}

Result<Pars> classPars(Database& db, const Weeks& weeks)
{
    WindowRequest winners;
    winners.winnersOnly = true;
    const auto data = WindowData::read(db, weeks, winners);
    if (!data)
        return Result<Pars>::failure(data.error());
    return classPars(*data);
}

QJsonObject parsJson(const Pars& pars)
{
    QJsonArray rows;
    for (const ParRow& r : pars.rows) {
        rows.append(QJsonObject{
            {QStringLiteral("class"), r.band.raceClass.restr},
            {QStringLiteral("price"), qint64(r.band.raceClass.price)},
            {QStringLiteral("category"), categoryName(r.band.category)},
            {QStringLiteral("trip"), tripName(r.band.trip)},
            {QStringLiteral("winners"), r.winners},
            {QStringLiteral("races"), r.races},
            {QStringLiteral("par"), jsonNumber(r.par ? std::optional(rounded(*r.par, 1)) : std::nullopt)},
            {QStringLiteral("best"), r.best},
            {QStringLiteral("purse"), qint64(r.purse)},
        });
    }
    return {{QStringLiteral("weeks"), QJsonArray{pars.weeks.first, pars.weeks.last}},
            {QStringLiteral("rows"), rows}};
}

QString fewWinnersReason(int winners)
{
    return QStringLiteral("Only %1: a par needs at least %2.")
        .arg(Fmt::count(winners, QStringLiteral("winner")))
        .arg(ParWinners);
}

AnalysisTable parsTable(const Pars& pars)
{
    AnalysisTable t;
    t.columns = {{QStringLiteral("Class"), false},    {QStringLiteral("Price"), true},
                 {QStringLiteral("Category"), false}, {QStringLiteral("Trip"), false},
                 {QStringLiteral("Winners"), true},   {QStringLiteral("Races"), true},
                 {QStringLiteral("Par"), true},       {QStringLiteral("Best"), true},
                 {QStringLiteral("Purse"), true}};
    for (const ParRow& r : pars.rows) {
        const QString doubt = r.winners < SureParWinners ? QStringLiteral("?") : QString();
        t.rows.push_back({{Cell::plain(r.band.raceClass.restr), priceCell(r.band.raceClass.price),
                           Cell::plain(categoryName(r.band.category)), Cell::plain(tripName(r.band.trip)),
                           Cell::whole(r.winners), Cell::whole(r.races), Cell::number(r.par, 1, doubt),
                           Cell::number(r.best, 2), Cell::money(r.purse)},
                          r.par ? QString() : fewWinnersReason(r.winners)});
    }
    return t;
}

StartListing parWinners(const Pars& pars, const ParRow& row)
{
    StartListing l;
    l.subject = QStringLiteral("Winners of %1, %2").arg(row.band.text(), pars.weeks.text());
    l.keys = row.winnerKeys;
    return l;
}

} // namespace Analysis
