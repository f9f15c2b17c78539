#include "analysis/angles.h"

#include "core/format.h"

#include <QJsonArray>

namespace Analysis
{

QString angleName(Angle a)
{
    switch (a) {
    case Angle::AllStarts:
        return QStringLiteral("All starts");
    case Angle::FirstAfterLayoff:
        return QStringLiteral("First start after a layoff");
    case Angle::SecondAfterLayoff:
        return QStringLiteral("Second start after a layoff");
    case Angle::FirstAfterClaim:
        return QStringLiteral("First start after a claim");
    case Angle::DroppedInPrice:
        return QStringLiteral("Dropped in claiming price");
    case Angle::RaisedByHalf:
        return QStringLiteral("Raised claiming price by half or more");
    case Angle::DirtToTurf:
        return QStringLiteral("Dirt to turf");
    case Angle::TurfToDirt:
        return QStringLiteral("Turf to dirt");
    case Angle::SprintToRoute:
        return QStringLiteral("Sprint to route");
    case Angle::RouteToSprint:
        return QStringLiteral("Route to sprint");
    case Angle::MaidenSpecialToClaiming:
        break;
    }
    return QStringLiteral("Maiden special weight to maiden claiming");
}

WindowRequest anglesRequest()
{
    WindowRequest r;
    r.owners = true;
    r.odds = true;
    r.before = true;
    // A second start after a layoff looks two starts back.
    r.beforeStarts = 2;
    return r;
}

namespace
{

using AngleSet = std::uint32_t;
constexpr AngleSet bit(Angle a)
{
    return AngleSet(1) << unsigned(a);
}

/** The angles a start falls under besides "All starts", from the starts before it (p the previous one, pp the
    one before that, either null). */
class Classifier
{
public:
    Classifier(const WindowData& data, int layoff)
        : m_data(data), m_layoff(layoff), m_ms(data.texts().find(QStringLiteral("MS"))),
          m_mc(data.texts().find(QStringLiteral("MC")))
    {
    }

    AngleSet angles(const StartRow& s, const StartRow* p, const StartRow* pp) const
    {
        if (!p)
            return 0;
        const RaceRow& rs = m_data.raceOf(s);
        const RaceRow& rp = m_data.raceOf(*p);
        const int week = weekOf(s.racenum), previous = weekOf(p->racenum);
        AngleSet set = 0;
        if (previous <= week - m_layoff)
            set |= bit(Angle::FirstAfterLayoff);
        else if (pp && weekOf(pp->racenum) <= previous - m_layoff)
            set |= bit(Angle::SecondAfterLayoff);
        if (rp.cprice > 0 && s.owner != p->owner)
            set |= bit(Angle::FirstAfterClaim);
        if (rp.cprice > 0 && rs.cprice > 0) {
            if (rs.cprice < rp.cprice)
                set |= bit(Angle::DroppedInPrice);
            if (2 * rs.cprice >= 3 * rp.cprice)
                set |= bit(Angle::RaisedByHalf);
        }
        if (rp.surf == 'D' && rs.surf == 'T')
            set |= bit(Angle::DirtToTurf);
        if (rp.surf == 'T' && rs.surf == 'D')
            set |= bit(Angle::TurfToDirt);
        if (rp.trip == Trip::Sprint && rs.trip == Trip::Route)
            set |= bit(Angle::SprintToRoute);
        if (rp.trip == Trip::Route && rs.trip == Trip::Sprint)
            set |= bit(Angle::RouteToSprint);
        if (m_ms >= 0 && m_mc >= 0 && rp.restr == m_ms && rs.restr == m_mc)
            set |= bit(Angle::MaidenSpecialToClaiming);
        return set;
    }

private:
    const WindowData& m_data;
    int m_layoff;
    std::int32_t m_ms, m_mc;
};

/** Which pooled owners the filter names: every text of the pool compared once, not every start. */
std::vector<char> ownersNamed(const TextPool& texts, const QString& name)
{
    std::vector<char> named(texts.size());
    for (std::size_t i = 0; i < named.size(); ++i)
        named[i] = sameIgnoringCase(texts.text(std::int32_t(i)), name) ? 1 : 0;
    return named;
}

bool sireNamed(const BreedingIndex* sires, std::int32_t hid, const QString& name)
{
    const std::int32_t record = sires ? sires->recordOf(hid) : -1;
    return record >= 0 && sameIgnoringCase(sires->stallion(record), name);
}

} // namespace

Angles angles(const WindowData& data, const AngleFilter& filter, const BreedingIndex* sires)
{
    Angles out;
    out.weeks = data.weeks();
    out.filter = filter;
    const Classifier classify(data, filter.layoff);
    const std::vector<char> owners = filter.kind == AngleFilter::Kind::Owner
                                         ? ownersNamed(data.texts(), filter.name)
                                         : std::vector<char>();
    std::array<NewestKeys, AngleCount> keys;
    std::vector<const StartRow*> seq;
    for (const HorseSpan& h : data.horses()) {
        // The horse's starts in order, its last ones before the window first.
        const std::size_t first = data.sequence(h, seq);
        const bool sire = filter.kind != AngleFilter::Kind::Sire || sireNamed(sires, h.hid, filter.name);
        for (std::size_t k = first; k < seq.size(); ++k) {
            const StartRow& s = *seq[k];
            out.base.add(s.fin, s.odds());
            if (!sire || (!owners.empty() && !owners[std::size_t(s.owner)]))
                continue;
            const AngleSet set = bit(Angle::AllStarts) | classify.angles(s, k >= 1 ? seq[k - 1] : nullptr,
                                                                         k >= 2 ? seq[k - 2] : nullptr);
            for (int a = 0; a < AngleCount; ++a) {
                if (set & bit(Angle(a))) {
                    out.rows[std::size_t(a)].stats.add(s.fin, s.odds());
                    keys[std::size_t(a)].add({h.hid, s.racenum});
                }
            }
        }
    }
    for (int a = 0; a < AngleCount; ++a) {
        out.rows[std::size_t(a)].angle = Angle(a);
        out.rows[std::size_t(a)].keys = keys[std::size_t(a)].take();
    }
    return out;
}

Result<Angles> angles(Database& db, const Weeks& weeks, const AngleFilter& filter, const QString& breeding)
{
    std::optional<Result<BreedingIndex>> sires;
    if (filter.kind == AngleFilter::Kind::Sire) {
        sires = BreedingIndex::read(breeding, ProgenySearchMode::Sire);
        if (!*sires)
            return Result<Angles>::failure(sires->error());
    }
    const auto data = WindowData::read(db, weeks, anglesRequest());
    if (!data)
        return Result<Angles>::failure(data.error());
    return angles(*data, filter, sires ? &**sires : nullptr);
}

QJsonObject anglesJson(const Angles& a)
{
    QJsonArray rows;
    for (const AngleRow& r : a.rows) {
        QJsonObject o{{QStringLiteral("angle"), angleName(r.angle)}};
        addStatsJson(o, r.stats, a.base);
        rows.append(o);
    }
    return {{QStringLiteral("weeks"), QJsonArray{a.weeks.first, a.weeks.last}},
            {QStringLiteral("base"),
             QJsonObject{{QStringLiteral("starts"), a.base.starts}, {QStringLiteral("wins"), a.base.wins}}},
            {QStringLiteral("rows"), rows}};
}

AnalysisTable anglesTable(const Angles& a)
{
    AnalysisTable t;
    t.columns = {{QStringLiteral("Angle"), false}};
    for (TableColumn& c : statsColumns())
        t.columns.push_back(std::move(c));
    for (const AngleRow& r : a.rows) {
        std::vector<Cell> cells{Cell::plain(angleName(r.angle))};
        for (Cell& c : statsCells(r.stats, a.base))
            cells.push_back(std::move(c));
        t.rows.push_back({std::move(cells), statsDoubt(r.stats), statsMark(r.stats)});
    }
    return t;
}

namespace
{
/** ", owner Red Barn" or ", sire Storm Cat": whose starts the angles count. */
QString filterText(const AngleFilter& f)
{
    switch (f.kind) {
    case AngleFilter::Kind::Owner:
        return QStringLiteral(", owner ") + f.name;
    case AngleFilter::Kind::Sire:
        return QStringLiteral(", sire ") + f.name;
    case AngleFilter::Kind::All:
        break;
    }
    return QString();
}
} // namespace

QString anglesHeading(const Angles& a)
{
    return QStringLiteral("Angles, %1%2, layoff %3\n")
        .arg(a.weeks.text(), filterText(a.filter), Fmt::count(a.filter.layoff, QStringLiteral("week")));
}

StartListing angleStarts(const Angles& a, const AngleRow& row)
{
    StartListing l;
    l.subject = angleName(row.angle);
    // The layoff's length is part of what the two layoff angles list.
    if (row.angle == Angle::FirstAfterLayoff || row.angle == Angle::SecondAfterLayoff)
        l.subject += QStringLiteral(" of %1").arg(Fmt::count(a.filter.layoff, QStringLiteral("week")));
    l.subject += QStringLiteral(", ") + a.weeks.text() + filterText(a.filter);
    l.keys = row.keys;
    return l;
}

} // namespace Analysis
