#include "analysis/leaders.h"

#include "core/format.h"
#include "search/horsestats.h"

#include <QJsonArray>

#include <algorithm>
#include <unordered_map>

namespace Analysis
{

QLatin1String leaderKindName(LeaderKind k)
{
    switch (k) {
    case LeaderKind::Owner:
        return QLatin1String("owner");
    case LeaderKind::Sire:
        return QLatin1String("sire");
    case LeaderKind::DamSire:
        return QLatin1String("damsire");
    case LeaderKind::DamDamSire:
        break;
    }
    return QLatin1String("damdamsire");
}

std::optional<LeaderKind> leaderKindOf(const QString& name)
{
    for (const LeaderKind k :
         {LeaderKind::Owner, LeaderKind::Sire, LeaderKind::DamSire, LeaderKind::DamDamSire}) {
        if (name == leaderKindName(k))
            return k;
    }
    return std::nullopt;
}

ProgenySearchMode positionOf(LeaderKind k)
{
    return k == LeaderKind::DamSire      ? ProgenySearchMode::DamSire
           : k == LeaderKind::DamDamSire ? ProgenySearchMode::DamDamSire
                                         : ProgenySearchMode::Sire;
}

QLatin1String splitName(Split s)
{
    static const char* const names[] = {"dirt", "turf", "off", "sprint", "route"};
    return QLatin1String(names[int(s)]);
}

WindowRequest leadersRequest(LeaderKind by)
{
    WindowRequest r;
    r.odds = true;
    r.owners = by == LeaderKind::Owner;
    return r;
}

namespace
{

/** A row as it is gathered: `first` is the earliest record (file order) that spelled the stallion. */
struct Gathered {
    LeaderRow row;
    NewestKeys keys;
    std::int32_t first = -1;

    void add(const WindowData& data, const StartRow& s)
    {
        const RaceRow& race = data.raceOf(s);
        row.stats.add(s.fin, s.odds());
        row.earnings += startEarnings(race.purse, s.fin);
        const int win = s.fin == 1 ? 1 : 0;
        for (const Split split :
             {Split(race.category), race.trip == Trip::Route ? Split::Route : Split::Sprint}) {
            ++row.splits[std::size_t(split)].starts;
            row.splits[std::size_t(split)].wins += win;
        }
        keys.add({s.hid, s.racenum});
    }
};

/** Each owner's starts, an owner being its exact text. */
std::vector<Gathered> byOwner(const WindowData& data)
{
    std::vector<std::int32_t> group(data.texts().size(), -1);
    std::vector<Gathered> out;
    for (const StartRow& s : data.starts()) {
        std::int32_t& g = group[std::size_t(s.owner)];
        if (g < 0) {
            g = std::int32_t(out.size());
            out.emplace_back().row.name = data.texts().text(s.owner);
        }
        out[std::size_t(g)].add(data, s);
    }
    return out;
}

/** Each stallion's progeny's starts, the stallions' names compared without letter case. */
std::vector<Gathered> byStallion(const WindowData& data, const BreedingIndex& stallions)
{
    std::unordered_map<QString, std::int32_t> group;
    std::vector<Gathered> out;
    for (const HorseSpan& h : data.horses()) {
        const std::int32_t record = stallions.recordOf(h.hid);
        if (record < 0)
            continue;
        const auto [it, added] =
            group.emplace(foldCase(stallions.stallion(record)), std::int32_t(out.size()));
        if (added)
            out.emplace_back();
        Gathered& g = out[std::size_t(it->second)];
        if (g.first < 0 || record < g.first) {
            g.first = record;
            g.row.name = stallions.stallion(record);
        }
        for (std::int32_t i = h.begin; i < h.end; ++i)
            g.add(data, data.starts()[std::size_t(i)]);
    }
    return out;
}

} // namespace

Leaders leaders(const WindowData& data, LeaderKind by, int minStarts, const BreedingIndex* stallions)
{
    Leaders out;
    out.weeks = data.weeks();
    out.by = by;
    out.minStarts = minStarts;
    for (const StartRow& s : data.starts())
        out.base.add(s.fin, s.odds());
    std::vector<Gathered> gathered;
    if (by == LeaderKind::Owner)
        gathered = byOwner(data);
    else if (stallions)
        gathered = byStallion(data, *stallions);
    for (Gathered& g : gathered) {
        if (g.row.stats.starts < minStarts)
            continue;
        g.row.keys = g.keys.take();
        out.rows.push_back(std::move(g.row));
    }
    std::sort(out.rows.begin(), out.rows.end(), [](const LeaderRow& a, const LeaderRow& b) {
        if (a.stats.wins != b.stats.wins)
            return a.stats.wins > b.stats.wins;
        if (a.stats.starts != b.stats.starts)
            return a.stats.starts > b.stats.starts;
        return a.name < b.name;
    });
    return out;
}

Result<Leaders> leaders(Database& db, const Weeks& weeks, LeaderKind by, int minStarts,
                        const QString& breeding)
{
    std::optional<Result<BreedingIndex>> stallions;
    if (by != LeaderKind::Owner) {
        stallions = BreedingIndex::read(breeding, positionOf(by));
        if (!*stallions)
            return Result<Leaders>::failure(stallions->error());
    }
    const auto data = WindowData::read(db, weeks, leadersRequest(by));
    if (!data)
        return Result<Leaders>::failure(data.error());
    return leaders(*data, by, minStarts, stallions ? &**stallions : nullptr);
}

QJsonObject leadersJson(const Leaders& l)
{
    QJsonArray rows;
    for (const LeaderRow& r : l.rows) {
        QJsonObject o{{QStringLiteral("name"), r.name}, {QStringLiteral("earnings"), qint64(r.earnings)}};
        addStatsJson(o, r.stats, l.base);
        for (int s = 0; s < SplitCount; ++s) {
            o.insert(splitName(Split(s)),
                     QJsonObject{{QStringLiteral("starts"), r.splits[std::size_t(s)].starts},
                                 {QStringLiteral("wins"), r.splits[std::size_t(s)].wins}});
        }
        rows.append(o);
    }
    return {{QStringLiteral("weeks"), QJsonArray{l.weeks.first, l.weeks.last}},
            {QStringLiteral("by"), leaderKindName(l.by)},
            {QStringLiteral("rows"), rows}};
}

namespace
{
/** "Owner", "Sire", "Dam-Sire", "Dam-Dam-Sire", as the progeny grid heads them. */
QString nameHeading(LeaderKind k)
{
    switch (k) {
    case LeaderKind::Owner:
        return QStringLiteral("Owner");
    case LeaderKind::Sire:
        return QStringLiteral("Sire");
    case LeaderKind::DamSire:
        return QStringLiteral("Dam-Sire");
    case LeaderKind::DamDamSire:
        break;
    }
    return QStringLiteral("Dam-Dam-Sire");
}
} // namespace

AnalysisTable leadersTable(const Leaders& l)
{
    AnalysisTable t;
    t.columns = {{nameHeading(l.by), false}};
    for (TableColumn& c : statsColumns())
        t.columns.push_back(std::move(c));
    t.columns.push_back({QStringLiteral("Earnings"), true});
    for (const QString& heading : {QStringLiteral("Dirt"), QStringLiteral("Turf"), QStringLiteral("Off"),
                                   QStringLiteral("Sprint"), QStringLiteral("Route")})
        t.columns.push_back({heading, true});
    for (const LeaderRow& r : l.rows) {
        std::vector<Cell> cells{Cell::plain(r.name)};
        for (Cell& c : statsCells(r.stats, l.base))
            cells.push_back(std::move(c));
        cells.push_back(Cell::money(r.earnings));
        // Wins of starts, sorted by the wins.
        for (const StartsWins& s : r.splits)
            cells.push_back(
                {QVariant::fromValue(qlonglong(s.wins)), QStringLiteral("%1/%2").arg(s.wins).arg(s.starts)});
        t.rows.push_back({std::move(cells), statsDoubt(r.stats), statsMark(r.stats)});
    }
    return t;
}

QString leadersHeading(const Leaders& l)
{
    static const char* const whose[] = {"owners", "sires", "dam-sires", "dam's dam-sires"};
    return QStringLiteral("Leading %1, %2, at least %3\n")
        .arg(QLatin1String(whose[int(l.by)]), l.weeks.text(),
             Fmt::count(l.minStarts, QStringLiteral("start")));
}

StartListing leaderStarts(const Leaders& l, const LeaderRow& row)
{
    static const char* const as[] = {"", "sire", "dam-sire", "dam's dam-sire"};
    StartListing listing;
    listing.subject = l.by == LeaderKind::Owner
                          ? QStringLiteral("Starts of %1, %2").arg(row.name, l.weeks.text())
                          : QStringLiteral("Progeny of %1 as %2, %3")
                                .arg(row.name, QLatin1String(as[int(l.by)]), l.weeks.text());
    listing.keys = row.keys;
    return listing;
}

} // namespace Analysis
