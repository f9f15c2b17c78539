#include "analysis/claims.h"

#include "core/format.h"
#include "db/database.h"
#include "search/horsestats.h"

#include <QJsonArray>

#include <algorithm>
#include <map>

namespace Analysis
{

namespace
{

struct Record {
    int starts = 0;
    int wins = 0;
    std::int64_t earnings = 0;
    void add(int fin, std::int64_t purse)
    {
        ++starts;
        wins += fin == 1 ? 1 : 0;
        earnings += startEarnings(purse, fin);
    }
};

/** What a candidate needs from the database: its name and owner at its newest start, and its record before
    the window. */
class HorseLookup
{
public:
    explicit HorseLookup(Database& db, const Weeks& weeks)
        : m_db(db), m_weeks(weeks),
          m_start(db.prepare("SELECT hname, oname FROM tblhorsedata WHERE hid = ?1 AND racenum = ?2")),
          m_before(db.prepare("SELECT fin, purse FROM tblhorsedata INNER JOIN tblraces ON "
                              "tblhorsedata.racenum = tblraces.racenum WHERE hid = ?1 AND "
                              "tblhorsedata.racenum < ?2"))
    {
    }
    bool fill(ClaimCandidate& c, Record& record)
    {
        m_start.reset();
        m_start.bind(1, qint64(c.hid)).bind(2, c.racenum);
        if (m_start.next()) {
            c.name = m_start.text(0);
            c.owner = m_start.text(1);
        }
        m_before.reset();
        m_before.bind(1, qint64(c.hid)).bind(2, m_weeks.lowKey());
        while (m_before.next())
            record.add(int(m_before.integer(0)), m_before.integer(1));
        return m_start && m_before && !m_start.failed() && !m_before.failed();
    }

private:
    Database& m_db;
    Weeks m_weeks;
    Sql::Statement m_start;
    Sql::Statement m_before;
};

/** The horse's newest start, when it makes the horse a candidate: recent, claiming, its band with a par that
    its form beats. */
std::optional<ClaimCandidate> candidate(const WindowData& data, const Pars& pars, const HorseSpan& h,
                                        std::optional<std::int64_t> maxPrice)
{
    const StartRow& newest = data.starts()[std::size_t(h.end - 1)];
    const RaceRow& race = data.raceOf(newest);
    const Weeks& w = data.weeks();
    if (weekOf(newest.racenum) <= w.last - RecentWeeks || race.cprice <= 0 ||
        (maxPrice && race.cprice > *maxPrice))
        return std::nullopt;
    ClaimCandidate c;
    c.band = data.band(race);
    const ParRow* par = pars.find(c.band);
    const auto form = data.formFigure(h, race.category);
    if (!par || !par->par || !form || !(*form - *par->par > 0))
        return std::nullopt;
    c.hid = h.hid;
    c.racenum = newest.racenum;
    c.form = *form;
    c.par = *par->par;
    c.margin = *form - *par->par;
    return c;
}

QJsonObject bandFields(QJsonObject o, const Band& b)
{
    o.insert(QStringLiteral("class"), b.raceClass.restr);
    o.insert(QStringLiteral("price"), qint64(b.raceClass.price));
    o.insert(QStringLiteral("category"), categoryName(b.category));
    o.insert(QStringLiteral("trip"), tripName(b.trip));
    return o;
}

QJsonObject withWeeks(const Weeks& w, std::initializer_list<std::pair<QString, QJsonValue>> rest)
{
    QJsonObject o{{QStringLiteral("weeks"), QJsonArray{w.first, w.last}}};
    for (const auto& [k, v] : rest)
        o.insert(k, v);
    return o;
}

} // namespace

Result<ClaimFinder> claimFinder(Database& db, const WindowData& data, std::optional<std::int64_t> maxPrice)
{
    const Pars pars = classPars(data);
    ClaimFinder out;
    out.weeks = data.weeks();
    HorseLookup lookup(db, data.weeks());
    for (const HorseSpan& h : data.horses()) {
        auto c = candidate(data, pars, h, maxPrice);
        if (!c)
            continue;
        Record record;
        if (!lookup.fill(*c, record)) {
            db.fail(QStringLiteral("The horses' records cannot be read"));
            return Result<ClaimFinder>::failure(db.error());
        }
        for (std::int32_t i = h.begin; i < h.end; ++i) {
            const StartRow& s = data.starts()[std::size_t(i)];
            record.add(s.fin, data.raceOf(s).purse);
        }
        c->starts = record.starts;
        c->wins = record.wins;
        c->earnings = record.earnings;
        out.rows.push_back(std::move(*c));
    }
    std::stable_sort(out.rows.begin(), out.rows.end(),
                     [](const ClaimCandidate& a, const ClaimCandidate& b) { return a.margin > b.margin; });
    return out;
}

Result<ClaimFinder> claimFinder(Database& db, const Weeks& weeks, std::optional<std::int64_t> maxPrice)
{
    const auto data = WindowData::read(db, weeks, {});
    return data ? claimFinder(db, *data, maxPrice) : Result<ClaimFinder>::failure(data.error());
}

QJsonObject claimFinderJson(const ClaimFinder& f)
{
    QJsonArray rows;
    for (const ClaimCandidate& c : f.rows) {
        rows.append(bandFields({{QStringLiteral("hid"), c.hid},
                                {QStringLiteral("name"), c.name},
                                {QStringLiteral("owner"), c.owner},
                                {QStringLiteral("week"), weekOf(c.racenum)},
                                {QStringLiteral("form"), c.form},
                                {QStringLiteral("par"), rounded(c.par, 1)},
                                {QStringLiteral("margin"), rounded(c.margin, 1)},
                                {QStringLiteral("starts"), c.starts},
                                {QStringLiteral("wins"), c.wins},
                                {QStringLiteral("earnings"), qint64(c.earnings)}},
                               c.band));
    }
    return withWeeks(f.weeks, {{QStringLiteral("rows"), rows}});
}

AnalysisTable claimFinderTable(const ClaimFinder& f)
{
    AnalysisTable t;
    t.columns = {{QStringLiteral("Horse"), false},    {QStringLiteral("Id"), true},
                 {QStringLiteral("Owner"), false},    {QStringLiteral("Week"), true},
                 {QStringLiteral("Class"), false},    {QStringLiteral("Price"), true},
                 {QStringLiteral("Category"), false}, {QStringLiteral("Trip"), false},
                 {QStringLiteral("Form"), true},      {QStringLiteral("Par"), true},
                 {QStringLiteral("Margin"), true},    {QStringLiteral("Starts"), true},
                 {QStringLiteral("Wins"), true},      {QStringLiteral("Earnings"), true}};
    for (const ClaimCandidate& c : f.rows) {
        t.rows.push_back(
            {{Cell::plain(c.name), Cell::whole(c.hid), Cell::plain(c.owner), Cell::whole(weekOf(c.racenum)),
              Cell::plain(c.band.raceClass.restr), priceCell(c.band.raceClass.price),
              Cell::plain(categoryName(c.band.category)), Cell::plain(tripName(c.band.trip)),
              Cell::number(c.form, 2), Cell::number(c.par, 1), Cell::number(c.margin, 1),
              Cell::whole(c.starts), Cell::whole(c.wins), Cell::money(c.earnings)},
             QString()});
    }
    return t;
}

namespace
{

/** The claims of one horse: its starts in order, the one before the window first when there is one. `seq`
    is room the caller keeps from horse to horse. */
void horseClaims(const WindowData& data, const HorseSpan& h, std::vector<const StartRow*>& seq,
                 std::vector<Claim>& out)
{
    data.sequence(h, seq);
    const TextPool& texts = data.texts();
    for (std::size_t k = 1; k < seq.size(); ++k) {
        const StartRow& s1 = *seq[k - 1];
        const StartRow& s2 = *seq[k];
        const std::int64_t price = data.raceOf(s1).cprice;
        if (price <= 0 || s1.owner == s2.owner || !data.weeks().contains(weekOf(s2.racenum)))
            continue;
        Claim c;
        c.hid = h.hid;
        c.name = texts.text(s2.name);
        c.from = texts.text(s1.owner);
        c.to = texts.text(s2.owner);
        c.racenum = s2.racenum;
        c.price = price;
        Record record;
        for (std::size_t j = k; j < seq.size() && seq[j]->owner == s2.owner; ++j) {
            record.add(seq[j]->fin, data.raceOf(*seq[j]).purse);
            c.spell.push_back({h.hid, seq[j]->racenum});
        }
        c.starts = record.starts;
        c.wins = record.wins;
        c.earnings = record.earnings;
        out.push_back(std::move(c));
    }
}

} // namespace

ClaimsMade claimsMade(const WindowData& data, const QString& newOwner)
{
    ClaimsMade out;
    out.weeks = data.weeks();
    std::vector<const StartRow*> seq;
    for (const HorseSpan& h : data.horses())
        horseClaims(data, h, seq, out.claims);
    if (!newOwner.isNull())
        std::erase_if(out.claims, [&](const Claim& c) { return !sameIgnoringCase(c.to, newOwner); });
    std::stable_sort(out.claims.begin(), out.claims.end(), [](const Claim& a, const Claim& b) {
        return a.racenum != b.racenum ? a.racenum > b.racenum : a.hid < b.hid;
    });
    std::map<QString, OwnerClaims> owners;
    for (const Claim& c : out.claims) {
        OwnerClaims& o = owners[c.to];
        o.owner = c.to;
        ++o.claims;
        o.spent += c.price;
        o.earnings += c.earnings;
        o.claimStarts.push_back(c.spell.front());
    }
    for (auto& [name, o] : owners)
        out.owners.push_back(std::move(o));
    std::stable_sort(out.owners.begin(), out.owners.end(),
                     [](const OwnerClaims& a, const OwnerClaims& b) { return a.result() > b.result(); });
    return out;
}

Result<ClaimsMade> claimsMade(Database& db, const Weeks& weeks, const QString& newOwner)
{
    WindowRequest request;
    request.owners = true;
    request.names = true;
    request.before = true;
    const auto data = WindowData::read(db, weeks, request);
    return data ? claimsMade(*data, newOwner) : Result<ClaimsMade>::failure(data.error());
}

QJsonObject claimsMadeJson(const ClaimsMade& c)
{
    QJsonArray rows, owners;
    for (const Claim& k : c.claims) {
        rows.append(QJsonObject{{QStringLiteral("week"), weekOf(k.racenum)},
                                {QStringLiteral("hid"), k.hid},
                                {QStringLiteral("name"), k.name},
                                {QStringLiteral("from"), k.from},
                                {QStringLiteral("to"), k.to},
                                {QStringLiteral("price"), qint64(k.price)},
                                {QStringLiteral("starts"), k.starts},
                                {QStringLiteral("wins"), k.wins},
                                {QStringLiteral("earnings"), qint64(k.earnings)},
                                {QStringLiteral("return"), qint64(k.result())}});
    }
    for (const OwnerClaims& o : c.owners) {
        owners.append(QJsonObject{{QStringLiteral("owner"), o.owner},
                                  {QStringLiteral("claims"), o.claims},
                                  {QStringLiteral("spent"), qint64(o.spent)},
                                  {QStringLiteral("earnings"), qint64(o.earnings)},
                                  {QStringLiteral("return"), qint64(o.result())}});
    }
    return withWeeks(c.weeks, {{QStringLiteral("rows"), rows}, {QStringLiteral("owners"), owners}});
}

AnalysisTable claimsTable(const ClaimsMade& c)
{
    AnalysisTable t;
    t.columns = {{QStringLiteral("Week"), true},     {QStringLiteral("Horse"), false},
                 {QStringLiteral("Id"), true},       {QStringLiteral("From"), false},
                 {QStringLiteral("To"), false},      {QStringLiteral("Price"), true},
                 {QStringLiteral("Starts"), true},   {QStringLiteral("Wins"), true},
                 {QStringLiteral("Earnings"), true}, {QStringLiteral("Return"), true}};
    for (const Claim& k : c.claims) {
        t.rows.push_back(
            {{Cell::whole(weekOf(k.racenum)), Cell::plain(k.name), Cell::whole(k.hid), Cell::plain(k.from),
              Cell::plain(k.to), Cell::money(k.price), Cell::whole(k.starts), Cell::whole(k.wins),
              Cell::money(k.earnings), Cell::money(k.result())},
             QString()});
    }
    return t;
}

AnalysisTable claimOwnersTable(const ClaimsMade& c)
{
    AnalysisTable t;
    t.columns = {{QStringLiteral("Owner"), false},
                 {QStringLiteral("Claims"), true},
                 {QStringLiteral("Spent"), true},
                 {QStringLiteral("Earnings"), true},
                 {QStringLiteral("Return"), true}};
    for (const OwnerClaims& o : c.owners) {
        t.rows.push_back({{Cell::plain(o.owner), Cell::whole(o.claims), Cell::money(o.spent),
                           Cell::money(o.earnings), Cell::money(o.result())},
                          QString()});
    }
    return t;
}

StartListing claimSpell(const ClaimsMade& c, const Claim& claim)
{
    StartListing l;
    l.subject = QStringLiteral("%1 for %2 since the claim of week %3, %4")
                    .arg(claim.name, claim.to)
                    .arg(weekOf(claim.racenum))
                    .arg(c.weeks.text());
    l.keys = claim.spell;
    return l;
}

StartListing ownerClaims(const ClaimsMade& c, const OwnerClaims& owner)
{
    StartListing l;
    l.subject = QStringLiteral("Claims by %1, %2").arg(owner.owner, c.weeks.text());
    l.keys = owner.claimStarts;
    return l;
}

} // namespace Analysis
