#include "analysis/windowdata.h"

#include "core/format.h"
#include "db/database.h"

#include <algorithm>
#include <array>
#include <thread>

namespace Analysis
{

std::int32_t TextPool::intern(std::string_view utf8)
{
    const auto it = m_ids.find(utf8);
    if (it != m_ids.end())
        return it->second;
    const auto id = std::int32_t(m_texts.size());
    m_texts.push_back(QString::fromUtf8(utf8.data(), qsizetype(utf8.size())));
    m_ids.emplace(std::string(utf8), id);
    return id;
}

std::vector<std::int32_t> TextPool::absorb(const TextPool& other)
{
    std::vector<std::int32_t> ids(other.m_texts.size());
    for (const auto& [bytes, id] : other.m_ids)
        ids[std::size_t(id)] = intern(bytes);
    return ids;
}

std::int32_t TextPool::find(const QString& text) const
{
    const QByteArray utf8 = text.toUtf8();
    const auto it = m_ids.find(std::string_view(utf8.constData(), std::size_t(utf8.size())));
    return it == m_ids.end() ? -1 : it->second;
}

namespace
{

// The window's races come from the race index, which holds every column read here.
constexpr const char* RacesSql = "SELECT racenum, surf, cond, dist, purse, cprice, restr FROM tblraces "
                                 "WHERE racenum >= ?1 AND racenum < ?2 ORDER BY racenum";
constexpr const char* RaceSql = "SELECT racenum, surf, cond, dist, purse, cprice, restr FROM tblraces "
                                "WHERE racenum = ?1";

/** The categories of the few pairs of condition and surface the races hold, each found once by the
    statistics' rule. */
class Categories
{
public:
    Category of(std::string_view cond, std::string_view surf)
    {
        m_key.assign(cond);
        m_key += '\0';
        m_key += surf;
        for (const auto& [key, c] : m_known) {
            if (key == m_key)
                return c;
        }
        const Category c = categoryOf(QString::fromUtf8(cond.data(), qsizetype(cond.size())),
                                      QString::fromUtf8(surf.data(), qsizetype(surf.size())));
        m_known.emplace_back(m_key, c);
        return c;
    }

private:
    std::string m_key;
    std::vector<std::pair<std::string, Category>> m_known;
};

/** Reads the race of the statement's row; the texts' numbers go to the pool. */
RaceRow raceRow(const Sql::Statement& s, TextPool& texts, Categories& categories)
{
    RaceRow r;
    r.racenum = s.real(0);
    const std::string_view surf = s.utf8(1), cond = s.utf8(2);
    r.surf = surf.empty() ? char(0) : surf.front();
    r.category = categories.of(cond, surf);
    r.dist = s.real(3);
    r.trip = tripOf(r.dist);
    r.purse = s.integer(4);
    r.cprice = s.integer(5);
    r.restr = texts.intern(s.utf8(6));
    return r;
}

/** Appends the race of key `racenum`, read by `race` (RaceSql); false when no such race is stored. */
bool appendRace(Sql::Statement& race, double racenum, std::vector<RaceRow>& races, TextPool& texts,
                Categories& categories)
{
    race.reset();
    race.bind(1, racenum);
    if (!race.next())
        return false;
    races.push_back(raceRow(race, texts, categories));
    return true;
}

/** Reads the start of a row of racenum, hid, fin, sp, odds, oname, hname, its owner and name only when asked
    for; its race is the caller's to find. */
StartRow startRow(const Sql::Statement& s, TextPool& texts, bool owners, bool names)
{
    StartRow row;
    row.racenum = s.real(0);
    row.hid = std::int32_t(s.integer(1));
    row.fin = std::int16_t(s.integer(2));
    row.sp = s.real(3);
    row.oddsTenths = std::int32_t(Fmt::roundHalfEven(s.real(4) * 10));
    if (owners)
        row.owner = texts.intern(s.utf8(5));
    if (names)
        row.name = texts.intern(s.utf8(6));
    return row;
}

} // namespace

bool WindowData::readRaces(Database& db, double low, double high, QString& error)
{
    Sql::Statement s = db.prepare(RacesSql);
    s.bind(1, low).bind(2, high);
    Categories categories;
    while (s.next()) {
        // A race key stored twice counts once.
        if (!m_races.empty() && m_races.back().racenum == s.real(0))
            continue;
        m_races.push_back(raceRow(s, m_texts, categories));
    }
    if (!s || s.failed()) {
        db.fail(QStringLiteral("The races cannot be read"));
        error = db.error();
        return false;
    }
    m_windowRaces = m_races.size();
    return true;
}

bool WindowData::readStarts(Database& db, double low, double high, const WindowRequest& request,
                            QString& error)
{
    const QString sql = QStringLiteral("SELECT racenum, hid, fin, sp, %1, %2, %3 FROM tblhorsedata "
                                       "WHERE racenum >= ?1 AND racenum < ?2%4%5")
                            .arg(QLatin1String(request.odds ? "odds" : "NULL"),
                                 QLatin1String(request.owners ? "oname" : "NULL"),
                                 QLatin1String(request.names ? "hname" : "NULL"),
                                 QLatin1String(request.winnersOnly ? " AND fin = 1" : ""),
                                 QLatin1String(request.hid ? " AND hid = ?3" : ""));
    Sql::Statement s = db.prepare(sql);
    s.bind(1, low).bind(2, high);
    if (request.hid)
        s.bind(3, qint64(*request.hid));
    // About a dozen starts a race, one of them the winner.
    m_starts.reserve(request.winnersOnly ? m_windowRaces + m_windowRaces / 8 : m_windowRaces * 12);
    const auto firstRace = m_races.begin(), lastRace = m_races.begin() + std::ptrdiff_t(m_windowRaces);
    auto race = lastRace;
    // One horse's few races are read by their keys afterwards, not all the window's first.
    const bool byKey = request.hid.has_value();
    while (s.next()) {
        const double racenum = s.real(0);
        // Starts come race by race: the race is looked up again only when it changes.
        if (!byKey && (race == lastRace || race->racenum != racenum)) {
            race = std::lower_bound(firstRace, lastRace, racenum,
                                    [](const RaceRow& r, double key) { return r.racenum < key; });
            if (race == lastRace || race->racenum != racenum) {
                race = lastRace;
                continue; // a start without its race is not counted, as in a join
            }
        }
        StartRow row = startRow(s, m_texts, request.owners, request.names);
        row.race = byKey ? -1 : std::int32_t(race - firstRace);
        m_starts.push_back(row);
    }
    if (!s || s.failed()) {
        db.fail(QStringLiteral("The starts cannot be read"));
        error = db.error();
        return false;
    }
    return true;
}

bool WindowData::readRacesByKey(Database& db, QString& error)
{
    Sql::Statement race = db.prepare(RaceSql);
    Categories categories;
    std::vector<StartRow> kept;
    for (StartRow& s : m_starts) {
        s.race = std::int32_t(m_races.size());
        if (appendRace(race, s.racenum, m_races, m_texts, categories))
            kept.push_back(s);
    }
    if (!race || race.failed()) {
        db.fail(QStringLiteral("The races cannot be read"));
        error = db.error();
        return false;
    }
    m_starts = std::move(kept);
    m_windowRaces = m_races.size();
    return true;
}

void WindowData::groupByHorse()
{
    // A counting sort by horse: each horse's starts keep the order they were read in (by race key, from the
    // race index), and a horse's few are sorted again only where they were not.
    std::unordered_map<std::int32_t, std::int32_t> slot;
    slot.reserve(m_starts.size() / 8);
    std::vector<std::int32_t> horseOf(m_starts.size());
    for (std::size_t i = 0; i < m_starts.size(); ++i) {
        const auto [it, added] = slot.try_emplace(m_starts[i].hid, std::int32_t(m_horses.size()));
        if (added)
            m_horses.push_back({m_starts[i].hid, 0, 0, -1});
        horseOf[i] = it->second;
        ++m_horses[std::size_t(it->second)].end; // counted here, placed below
    }
    std::vector<std::int32_t> order(m_horses.size());
    for (std::size_t h = 0; h < order.size(); ++h)
        order[h] = std::int32_t(h);
    std::sort(order.begin(), order.end(), [&](std::int32_t a, std::int32_t b) {
        return m_horses[std::size_t(a)].hid < m_horses[std::size_t(b)].hid;
    });
    std::vector<HorseSpan> sorted(m_horses.size());
    std::vector<std::int32_t> next(m_horses.size());
    std::int32_t at = 0;
    for (std::size_t k = 0; k < order.size(); ++k) {
        const HorseSpan& h = m_horses[std::size_t(order[k])];
        sorted[k] = {h.hid, at, at + h.end, -1};
        next[std::size_t(order[k])] = at;
        at += h.end;
    }
    std::vector<StartRow> grouped(m_starts.size());
    for (std::size_t i = 0; i < m_starts.size(); ++i)
        grouped[std::size_t(next[std::size_t(horseOf[i])]++)] = m_starts[i];
    const auto byRace = [](const StartRow& a, const StartRow& b) { return a.racenum < b.racenum; };
    for (const HorseSpan& h : sorted) {
        const auto first = grouped.begin() + h.begin, last = grouped.begin() + h.end;
        if (!std::is_sorted(first, last, byRace))
            std::stable_sort(first, last, byRace);
    }
    m_starts = std::move(grouped);
    m_horses = std::move(sorted);
}

bool WindowData::readBefore(Database& db, int count, bool names, QString& error)
{
    // The hid index finds each horse's last starts before the window at once; their races come by their keys.
    Sql::Statement start = db.prepare("SELECT racenum, hid, fin, sp, odds, oname, hname FROM tblhorsedata "
                                      "WHERE hid = ?1 AND racenum < ?2 ORDER BY racenum DESC LIMIT ?3");
    Sql::Statement race = db.prepare(RaceSql);
    Categories categories;
    std::vector<StartRow> newestFirst;
    // A race before the window that several of its horses ran in is read and kept once.
    std::unordered_map<double, std::int32_t> raceAt;
    for (HorseSpan& h : m_horses) {
        start.reset();
        start.bind(1, qint64(h.hid)).bind(2, m_weeks.lowKey()).bind(3, count);
        newestFirst.clear();
        while (start.next()) {
            StartRow row = startRow(start, m_texts, true, names);
            const auto [at, added] = raceAt.try_emplace(row.racenum, std::int32_t(m_races.size()));
            if (added && !appendRace(race, row.racenum, m_races, m_texts, categories)) {
                raceAt.erase(at);
                continue;
            }
            row.race = at->second;
            newestFirst.push_back(row);
        }
        if (newestFirst.empty())
            continue;
        m_before.insert(m_before.end(), newestFirst.rbegin(), newestFirst.rend());
        h.before = std::int32_t(m_before.size() - 1);
        h.beforeCount = std::int32_t(newestFirst.size());
    }
    if (!start || !race || start.failed() || race.failed()) {
        db.fail(QStringLiteral("The starts before the window cannot be read"));
        error = db.error();
        return false;
    }
    return true;
}

bool WindowData::readPart(Database& db, double low, double high, const WindowRequest& request, QString& error)
{
    // One read transaction: the races and their starts come from one state of the file.
    const Sql::Transaction reading(db.sql(), Sql::Transaction::Kind::Deferred);
    if (request.hid)
        return readStarts(db, low, high, request, error) && readRacesByKey(db, error);
    return readRaces(db, low, high, error) && readStarts(db, low, high, request, error);
}

void WindowData::append(WindowData&& later)
{
    const std::vector<std::int32_t> ids = m_texts.absorb(later.m_texts);
    const auto first = std::int32_t(m_races.size());
    for (RaceRow& r : later.m_races) {
        r.restr = ids[std::size_t(r.restr)];
        m_races.push_back(r);
    }
    m_windowRaces = m_races.size();
    m_starts.reserve(m_starts.size() + later.m_starts.size()); // the exact size, not double
    for (StartRow& s : later.m_starts) {
        s.race += first;
        if (s.owner >= 0)
            s.owner = ids[std::size_t(s.owner)];
        if (s.name >= 0)
            s.name = ids[std::size_t(s.name)];
        m_starts.push_back(s);
    }
}

Result<WindowData> WindowData::read(Database& db, const Weeks& weeks, const WindowRequest& request)
{
    WindowData d;
    d.m_weeks = weeks;
    QString error;
    // The window's later half is read at the same time on a connection of its own, the machine's second
    // core doing half the reading; one horse's starts are too few to share.
    const int middle = weeks.first + (weeks.last - weeks.first + 1) / 2;
    const bool halves = !request.hid && middle > weeks.first;
    WindowData later;
    QString laterError;
    std::thread reader;
    if (halves) {
        reader = std::thread([&, path = db.path()] {
            Database other;
            if (!other.open(path))
                laterError = other.error();
            else if (!later.readPart(other, middle, weeks.highKey(), request, laterError))
                laterError = laterError.isEmpty() ? other.error() : laterError;
        });
    }
    const bool ok = d.readPart(db, weeks.lowKey(), halves ? double(middle) : weeks.highKey(), request, error);
    if (reader.joinable())
        reader.join();
    if (!ok || !laterError.isEmpty())
        return Result<WindowData>::failure(ok ? laterError : error);
    if (halves)
        d.append(std::move(later));
    d.groupByHorse();
    if (request.before) {
        const Sql::Transaction reading(db.sql(), Sql::Transaction::Kind::Deferred);
        if (!d.readBefore(db, std::max(1, request.beforeStarts), request.names, error))
            return Result<WindowData>::failure(error);
    }
    return d;
}

std::size_t WindowData::sequence(const HorseSpan& h, std::vector<const StartRow*>& out) const
{
    out.clear();
    for (std::int32_t i = h.before - h.beforeCount + 1; h.before >= 0 && i <= h.before; ++i)
        out.push_back(&m_before[std::size_t(i)]);
    const std::size_t before = out.size();
    for (std::int32_t i = h.begin; i < h.end; ++i)
        out.push_back(&m_starts[std::size_t(i)]);
    return before;
}

Band WindowData::band(const RaceRow& r) const
{
    return Band{{m_texts.text(r.restr), r.cprice}, r.category, r.trip};
}

const HorseSpan* WindowData::horse(std::int32_t hid) const
{
    const auto it = std::lower_bound(m_horses.begin(), m_horses.end(), hid,
                                     [](const HorseSpan& h, std::int32_t id) { return h.hid < id; });
    return it != m_horses.end() && it->hid == hid ? &*it : nullptr;
}

std::optional<double> WindowData::formFigure(const HorseSpan& h, Category c) const
{
    std::optional<double> best;
    int counted = 0;
    for (std::int32_t i = h.end; i-- > h.begin && counted < 3;) {
        const StartRow& s = m_starts[std::size_t(i)];
        if (raceOf(s).category != c)
            continue;
        ++counted;
        if (!best || s.sp > *best)
            best = s.sp;
    }
    return best;
}

} // namespace Analysis
