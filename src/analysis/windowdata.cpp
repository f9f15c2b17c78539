#include "analysis/windowdata.h"

#include "db/database.h"

#include <algorithm>
#include <array>

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

/** Reads the race of the statement's row into r; the texts' numbers go to the pool. */
RaceRow raceRow(const Sql::Statement& s, TextPool& texts, std::array<QString, 2>& scratch)
{
    RaceRow r;
    r.racenum = s.real(0);
    const std::string_view surf = s.utf8(1), cond = s.utf8(2);
    r.surf = surf.empty() ? char(0) : surf.front();
    scratch[0] = QString::fromUtf8(cond.data(), qsizetype(cond.size()));
    scratch[1] = QString::fromUtf8(surf.data(), qsizetype(surf.size()));
    r.category = categoryOf(scratch[0], scratch[1]);
    r.dist = s.real(3);
    r.trip = tripOf(r.dist);
    r.purse = s.integer(4);
    r.cprice = s.integer(5);
    r.restr = texts.intern(s.utf8(6));
    return r;
}

} // namespace

bool WindowData::readRaces(Database& db, QString& error)
{
    Sql::Statement s = db.prepare(RacesSql);
    s.bind(1, m_weeks.lowKey()).bind(2, m_weeks.highKey());
    std::array<QString, 2> scratch;
    while (s.next()) {
        // A race key stored twice counts once.
        if (!m_races.empty() && m_races.back().racenum == s.real(0))
            continue;
        m_races.push_back(raceRow(s, m_texts, scratch));
    }
    if (!s || s.failed()) {
        db.fail(QStringLiteral("The races cannot be read"));
        error = db.error();
        return false;
    }
    m_windowRaces = m_races.size();
    return true;
}

bool WindowData::readStarts(Database& db, const WindowRequest& request, QString& error)
{
    const QString sql = QStringLiteral("SELECT racenum, hid, fin, sp, %1, %2, %3 FROM tblhorsedata "
                                       "WHERE racenum >= ?1 AND racenum < ?2%4%5")
                            .arg(QLatin1String(request.odds ? "odds" : "NULL"),
                                 QLatin1String(request.owners ? "oname" : "NULL"),
                                 QLatin1String(request.names ? "hname" : "NULL"),
                                 QLatin1String(request.winnersOnly ? " AND fin = 1" : ""),
                                 QLatin1String(request.hid ? " AND hid = ?3" : ""));
    Sql::Statement s = db.prepare(sql);
    s.bind(1, m_weeks.lowKey()).bind(2, m_weeks.highKey());
    if (request.hid)
        s.bind(3, qint64(*request.hid));
    const auto firstRace = m_races.begin(), lastRace = m_races.begin() + std::ptrdiff_t(m_windowRaces);
    auto race = lastRace;
    // One horse's few races are read by their keys afterwards, not all the window's first.
    const bool byKey = request.hid.has_value();
    while (s.next()) {
        StartRow row;
        row.racenum = s.real(0);
        // Starts come race by race: the race is looked up again only when it changes.
        if (byKey) {
            row.race = -1;
        } else if (race == lastRace || race->racenum != row.racenum) {
            race = std::lower_bound(firstRace, lastRace, row.racenum,
                                    [](const RaceRow& r, double key) { return r.racenum < key; });
            if (race == lastRace || race->racenum != row.racenum) {
                race = lastRace;
                continue; // a start without its race is not counted, as in a join
            }
        }
        if (!byKey)
            row.race = std::int32_t(race - firstRace);
        row.hid = std::int32_t(s.integer(1));
        row.fin = std::int16_t(s.integer(2));
        row.sp = s.real(3);
        row.odds = s.real(4);
        if (request.owners)
            row.owner = m_texts.intern(s.utf8(5));
        if (request.names)
            row.name = m_texts.intern(s.utf8(6));
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
    std::array<QString, 2> scratch;
    std::vector<StartRow> kept;
    for (StartRow& s : m_starts) {
        race.reset();
        race.bind(1, s.racenum);
        if (!race.next())
            continue;
        s.race = std::int32_t(m_races.size());
        m_races.push_back(raceRow(race, m_texts, scratch));
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
    std::sort(m_starts.begin(), m_starts.end(), [](const StartRow& a, const StartRow& b) {
        return a.hid != b.hid ? a.hid < b.hid : a.racenum < b.racenum;
    });
    for (std::size_t i = 0; i < m_starts.size(); ++i) {
        if (m_horses.empty() || m_horses.back().hid != m_starts[i].hid)
            m_horses.push_back({m_starts[i].hid, std::int32_t(i), std::int32_t(i), -1});
        m_horses.back().end = std::int32_t(i + 1);
    }
}

bool WindowData::readBefore(Database& db, int count, QString& error)
{
    // The hid index finds each horse's last starts before the window at once; their races come by their keys.
    Sql::Statement start = db.prepare("SELECT racenum, hid, fin, sp, odds, oname, hname FROM tblhorsedata "
                                      "WHERE hid = ?1 AND racenum < ?2 ORDER BY racenum DESC LIMIT ?3");
    Sql::Statement race = db.prepare(RaceSql);
    std::array<QString, 2> scratch;
    std::vector<StartRow> newestFirst;
    for (HorseSpan& h : m_horses) {
        start.reset();
        start.bind(1, qint64(h.hid)).bind(2, m_weeks.lowKey()).bind(3, count);
        newestFirst.clear();
        while (start.next()) {
            StartRow row;
            row.racenum = start.real(0);
            row.hid = h.hid;
            row.fin = std::int16_t(start.integer(2));
            row.sp = start.real(3);
            row.odds = start.real(4);
            row.owner = m_texts.intern(start.utf8(5));
            row.name = m_texts.intern(start.utf8(6));
            race.reset();
            race.bind(1, row.racenum);
            if (!race.next())
                continue;
            row.race = std::int32_t(m_races.size());
            m_races.push_back(raceRow(race, m_texts, scratch));
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

Result<WindowData> WindowData::read(Database& db, const Weeks& weeks, const WindowRequest& request)
{
    WindowData d;
    d.m_weeks = weeks;
    QString error;
    // One read transaction: the races and their starts come from one state of the file.
    const Sql::Transaction reading(db.sql(), Sql::Transaction::Kind::Deferred);
    const bool byKey = request.hid.has_value();
    if ((!byKey && !d.readRaces(db, error)) || !d.readStarts(db, request, error) ||
        (byKey && !d.readRacesByKey(db, error)))
        return Result<WindowData>::failure(error);
    d.groupByHorse();
    if (request.before && !d.readBefore(db, std::max(1, request.beforeStarts), error))
        return Result<WindowData>::failure(error);
    return d;
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
