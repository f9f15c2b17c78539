#include "analysis/headtohead.h"

#include "core/format.h"
#include "db/database.h"
#include "db/racekey.h"

#include <QJsonArray>

#include <algorithm>
#include <map>

namespace Analysis
{

namespace
{

/** Each horse's starts by race, the horses in the order given; the names from their newest starts. */
bool readStarts(Database& db, HeadToHead& h, std::map<double, std::vector<MeetStart>>& byRace, QString& error)
{
    Sql::Statement s = db.prepare("SELECT racenum, fin, sp, hname FROM tblhorsedata WHERE hid = ?1 "
                                  "ORDER BY racenum DESC");
    for (const std::int32_t hid : h.horses) {
        s.reset();
        s.bind(1, qint64(hid));
        QString name;
        while (s.next()) {
            if (name.isNull())
                name = s.text(3);
            byRace[s.real(0)].push_back({hid, int(s.integer(1)), s.real(2)});
        }
        if (!s || s.failed()) {
            db.fail(QStringLiteral("The horses' starts cannot be read"));
            error = db.error();
            return false;
        }
        if (name.isNull()) {
            error = QStringLiteral("Horse %1 has no stored start.").arg(hid);
            return false;
        }
        h.names.push_back(name);
    }
    return true;
}

/** The races the horses met in, with their class and track, newest first. */
bool readRaces(Database& db, HeadToHead& h, std::map<double, std::vector<MeetStart>>& byRace, QString& error)
{
    Sql::Statement race = db.prepare("SELECT surf, dist, cprice, restr FROM tblraces WHERE racenum = ?1");
    Sql::Statement track = db.prepare("SELECT stcode FROM statecodes WHERE num = ?1");
    for (auto it = byRace.rbegin(); it != byRace.rend(); ++it) {
        if (it->second.size() < 2)
            continue;
        race.reset();
        race.bind(1, it->first);
        if (!race.next())
            continue; // a start without its race is not counted, as in a join
        MeetRace r;
        r.racenum = it->first;
        r.surf = race.text(0);
        r.dist = race.real(1);
        r.raceClass = {race.text(3), race.integer(2)};
        r.starts = std::move(it->second);
        track.reset();
        track.bind(1, RaceKey::track(r.racenum));
        if (track.next())
            r.track = track.text(0);
        h.races.push_back(std::move(r));
    }
    if (!race || !track || race.failed() || track.failed()) {
        db.fail(QStringLiteral("The races cannot be read"));
        error = db.error();
        return false;
    }
    return true;
}

} // namespace

Result<HeadToHead> headToHead(Database& db, const std::vector<std::int32_t>& horses)
{
    for (std::size_t i = 0; i < horses.size(); ++i) {
        if (std::find(horses.begin(), horses.begin() + std::ptrdiff_t(i), horses[i]) !=
            horses.begin() + std::ptrdiff_t(i))
            return Result<HeadToHead>::failure(QStringLiteral("Horse %1 is given twice.").arg(horses[i]));
    }
    HeadToHead h;
    h.horses = horses;
    std::map<double, std::vector<MeetStart>> byRace;
    QString error;
    const Sql::Transaction reading(db.sql(), Sql::Transaction::Kind::Deferred);
    if (!readStarts(db, h, byRace, error) || !readRaces(db, h, byRace, error))
        return Result<HeadToHead>::failure(error);
    const std::size_t n = horses.size();
    h.ahead.assign(n, std::vector<int>(n, 0));
    const auto indexOf = [&](std::int32_t hid) {
        return std::size_t(std::find(horses.begin(), horses.end(), hid) - horses.begin());
    };
    for (const MeetRace& r : h.races) {
        for (const MeetStart& a : r.starts) {
            for (const MeetStart& b : r.starts) {
                if (a.fin < b.fin)
                    ++h.ahead[indexOf(a.hid)][indexOf(b.hid)];
            }
        }
    }
    return h;
}

QJsonObject headToHeadJson(const HeadToHead& h)
{
    QJsonArray horses, races, ahead;
    for (const std::int32_t hid : h.horses)
        horses.append(hid);
    for (const MeetRace& r : h.races) {
        QJsonArray starts;
        for (const MeetStart& s : r.starts)
            starts.append(QJsonObject{{QStringLiteral("hid"), s.hid},
                                      {QStringLiteral("fin"), s.fin},
                                      {QStringLiteral("sp"), s.sp}});
        // The key as its four decimals say, not as the sum that built it may have left it
        // (12.070500000000001).
        races.append(QJsonObject{{QStringLiteral("racenum"), rounded(r.racenum, 4)},
                                 {QStringLiteral("week"), weekOf(r.racenum)},
                                 {QStringLiteral("dist"), r.dist},
                                 {QStringLiteral("surf"), r.surf},
                                 {QStringLiteral("class"), r.raceClass.restr},
                                 {QStringLiteral("price"), qint64(r.raceClass.price)},
                                 {QStringLiteral("starts"), starts}});
    }
    for (const std::vector<int>& row : h.ahead) {
        QJsonArray counts;
        for (const int c : row)
            counts.append(c);
        ahead.append(counts);
    }
    return {{QStringLiteral("horses"), horses},
            {QStringLiteral("races"), races},
            {QStringLiteral("ahead"), ahead}};
}

AnalysisTable meetRacesTable(const HeadToHead& h)
{
    AnalysisTable t;
    t.columns = {{QStringLiteral("Race #"), true}, {QStringLiteral("Week"), true},
                 {QStringLiteral("Tr"), false},    {QStringLiteral("Dis"), true},
                 {QStringLiteral("S"), false},     {QStringLiteral("Class"), false}};
    for (const QString& name : h.names) {
        t.columns.push_back({Fmt::properCase(name) + QStringLiteral(" PL"), true});
        t.columns.push_back({QStringLiteral("Sp"), true});
    }
    for (const MeetRace& r : h.races) {
        std::vector<Cell> cells{{r.racenum, RaceKey::text(r.racenum)},
                                Cell::whole(weekOf(r.racenum)),
                                Cell::plain(r.track),
                                {r.dist, Fmt::shortest(r.dist)},
                                Cell::plain(r.surf),
                                Cell::plain(r.raceClass.text())};
        for (const std::int32_t hid : h.horses) {
            const auto s = std::find_if(r.starts.begin(), r.starts.end(),
                                        [&](const MeetStart& m) { return m.hid == hid; });
            if (s == r.starts.end()) {
                cells.insert(cells.end(), 2, Cell{});
                continue;
            }
            cells.push_back(Cell::whole(s->fin));
            cells.push_back(Cell::number(s->sp, 1));
        }
        t.rows.push_back({std::move(cells), QString()});
    }
    return t;
}

AnalysisTable meetAheadTable(const HeadToHead& h)
{
    AnalysisTable t;
    t.columns = {{QStringLiteral("Horse"), false}, {QStringLiteral("Id"), true}};
    for (const QString& name : h.names)
        t.columns.push_back({QStringLiteral("Ahead of ") + Fmt::properCase(name), true});
    for (std::size_t i = 0; i < h.horses.size(); ++i) {
        std::vector<Cell> cells{Cell::plain(Fmt::properCase(h.names[i])), Cell::whole(h.horses[i])};
        for (std::size_t j = 0; j < h.horses.size(); ++j)
            cells.push_back(i == j ? Cell{} : Cell::whole(h.ahead[i][j]));
        t.rows.push_back({std::move(cells), QString()});
    }
    return t;
}

} // namespace Analysis
