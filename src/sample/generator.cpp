#include "sample/generator.h"

#include <QDir>
#include <QFile>
#include <QSet>

#include <algorithm>
#include <cmath>
#include <functional>

namespace TurfGen
{

namespace
{

/** A small portable generator (splitmix64): the same seed gives the same sequence on every platform. */
class Random
{
public:
    explicit Random(std::uint64_t seed) : m_state(seed * 0x9E3779B97F4A7C15ull + 0x632BE59BD9B4E019ull) {}
    std::uint64_t next()
    {
        std::uint64_t z = (m_state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    /** 0 to n - 1. */
    int below(int n) { return n <= 0 ? 0 : int(next() % std::uint64_t(n)); }
    int between(int lo, int hi) { return lo + below(hi - lo + 1); }
    double unit() { return double(next() >> 11) * (1.0 / 9007199254740992.0); }
    bool chance(double p) { return unit() < p; }
    double normal()
    {
        const double u = std::max(unit(), 1e-12), v = unit();
        return std::sqrt(-2.0 * std::log(u)) * std::cos(6.283185307179586 * v);
    }
    template <typename T> const T& pick(const std::vector<T>& list)
    {
        return list[size_t(below(int(list.size())))];
    }

private:
    std::uint64_t m_state;
};

/** Picks an index with Zipf-like weights: index 0 most often. */
class Weighted
{
public:
    void build(int n, double exponent)
    {
        std::vector<double> w(static_cast<size_t>(n));
        for (int i = 0; i < n; ++i)
            w[size_t(i)] = 1.0 / std::pow(i + 1.0, exponent);
        build(w);
    }
    /** Index i picked with weight w[i]. */
    void build(const std::vector<double>& w)
    {
        double total = 0;
        for (double x : w)
            total += x;
        m_cumulative.assign(w.size(), 0);
        double run = 0;
        for (size_t i = 0; i < w.size(); ++i)
            m_cumulative[i] = (run += w[i]) / total;
    }
    int pick(Random& r) const
    {
        const double u = r.unit();
        return int(std::lower_bound(m_cumulative.begin(), m_cumulative.end(), u) - m_cumulative.begin());
    }

private:
    std::vector<double> m_cumulative;
};

const char* const FirstWords[] = {
    "Blue",    "Blue",     "Blue",     "Red",      "Golden",   "Silver",  "Dark",    "Wild",    "Lucky",
    "Royal",   "Midnight", "Storm",    "Northern", "Southern", "Western", "Eastern", "Desert",  "Mountain",
    "River",   "Prairie",  "Thunder",  "Silent",   "Brave",    "Swift",   "Noble",   "Proud",   "Gallant",
    "Dancing", "Flying",   "Running",  "Rolling",  "Shining",  "Crimson", "Scarlet", "Emerald", "Iron",
    "Steel",   "Copper",   "Velvet",   "Crystal",  "Sunny",    "Misty",   "Frosty",  "Captain", "Sir",
    "Lady",    "Miss",     "Mister",   "Little",   "Big",      "Smart",   "Clever",  "Fancy",   "Sweet",
    "Cajun",   "Texas",    "Kentucky", "Irish",    "Highland", "Secret",  "Magic",   "Cosmic",  "Rocket",
    "Hidden",  "Holy",     "Mighty"};
const char* const SecondWords[] = {
    "Moon",    "Thunder",  "Star",    "Dancer",   "Runner",  "Knight",   "Princess", "Prince", "King",
    "Queen",   "Storm",    "Wind",    "Fire",     "Flame",   "Arrow",    "Bullet",   "Comet",  "Dream",
    "Legend",  "Spirit",   "Ghost",   "Shadow",   "Hunter",  "Warrior",  "Ranger",   "Rebel",  "Bandit",
    "Outlaw",  "Sheriff",  "Jewel",   "Diamond",  "Ruby",    "Sapphire", "Pearl",    "Rose",   "Lily",
    "Orchid",  "Tiger",    "Eagle",   "Falcon",   "Hawk",    "Raven",    "Wolf",     "Bear",   "Lion",
    "Mustang", "Stallion", "Charger", "Cruiser",  "Express", "Rhythm",   "Melody",   "Song",   "Blues",
    "Jazz",    "Boogie",   "Fortune", "Treasure", "Gold",    "Sky",      "Ocean",    "Tide",   "River",
    "Canyon",  "Valley",   "Ridge",   "Trail",    "Road",    "Highway",  "Bridge",   "Harbor", "Island",
    "Sunset",  "Sunrise",  "Horizon", "Glory",    "Victory", "Destiny",  "Promise",  "Charm",  "Magic",
    "Wonder"};
const char* const ThirdWords[] = {
    "Road",    "Rising", "Express",      "Again",         "Forever",    "Returns", "Tonight",
    "Dancer",  "Girl",   "Boy",          "Lady",          "Man",        "Jr",      "Two",
    "Run",     "Bay",    "Of The North", "Of The Valley", "In The Sky", "On Fire", "At Dawn",
    "Delight", "Magic",  "Time",         "Power",         "Belle",      "Beau",    "Street"};
const char* const Surnames[] = {
    "Smith",    "Jones",    "Brown",    "Miller",  "Davis",  "Wilson",   "Moore",    "Taylor",
    "Anderson", "Thomas",   "Jackson",  "White",   "Harris", "Martin",   "Thompson", "Garcia",
    "Martinez", "Robinson", "Clark",    "Lewis",   "Lee",    "Walker",   "Hall",     "Allen",
    "Young",    "King",     "Wright",   "Scott",   "Green",  "Baker",    "Adams",    "Nelson",
    "Hill",     "Campbell", "Mitchell", "Roberts", "Carter", "Phillips", "Evans",    "Turner",
    "Parker",   "Collins",  "Edwards",  "Stewart", "Morris", "Murphy",   "Cook",     "Rogers",
    "Morgan",   "Cooper",   "Peterson", "Reed",    "Bailey", "Bell",     "Kelly"};
const char* const StableWords[] = {"Stables", "Farm",  "Racing",     "Thoroughbreds", "Ranch",
                                   "Stud",    "Acres", "Bloodstock", "Equine",        "Downs"};

template <size_t N> const char* word(Random& r, const char* const (&list)[N])
{
    return list[r.below(int(N))];
}

struct Horse {
    qint32 id = 0;
    QByteArray name;
    int owner = 0;
    int sire = 0, damSire = 0, damDamSire = 0;
    int bornWeek = 0;
    char sex = 'c';
    double ability = 80;
    double turf = 0;   // preference for turf over dirt
    bool won = false;  // maidens run in maiden races until their first win
    int restUntil = 0; // away from racing (a layoff) until this week
};

/** The common claiming levels: claiming and maiden claiming races are run at these prices only, so that
    each level gathers enough winners for a par. */
const qint64 ClaimingLadder[] = {2500, 5000, 7500, 10000, 16000, 25000, 32000, 50000};
/** How often each level is run: the cheap levels most. */
const int LadderWeights[] = {5, 4, 4, 3, 3, 2, 2, 1};

/** A kind of race on the card: how often it is run, where it stands among the classes (higher takes the
    better horses), whether maidens or winners run in it, and its purse in thousands. */
struct RaceKind {
    const char* type;
    int weight;
    int rank;
    bool maiden;
    int purseLow;
    int purseHigh;
};
// Claiming and maiden claiming races take their rank and purse from their price on the ladder.
const RaceKind RaceKinds[] = {
    {"Claiming", 40, 0, false, 0, 0},
    {"Maiden Claiming", 10, 0, true, 0, 0},
    {"Maiden Special Weight", 8, 90, true, 30, 40},
    {"Starter Allowance", 5, 45, false, 15, 25},
    {"Allowance", 18, 90, false, 35, 60},
    {"Handicap", 3, 95, false, 40, 70},
    {"Stakes", 8, 100, false, 100, 200},
    {"Grade III", 4, 110, false, 200, 300},
    {"Grade II", 3, 120, false, 300, 450},
    {"Grade I", 1, 130, false, 450, 750},
};

/** One race of a week's card: its place, its class and, once drawn, its field (indexes into horses). */
struct RacePlan {
    int track = 0;
    int race = 0;
    QByteArray type;
    qint64 claim = 0; // the ladder price of a claiming race, else 0
    int rank = 0;
    bool maiden = false;
    qint64 purse = 0;
    std::vector<int> field;
};

QByteArray money(qint64 v)
{
    QByteArray digits = QByteArray::number(v);
    for (qsizetype i = digits.size() - 3; i > 0; i -= 3)
        digits.insert(i, ',');
    return '$' + digits;
}

QByteArray quoted(const QByteArray& text)
{
    return '"' + text + '"';
}

QByteArray fixed(double v, int decimals)
{
    return QByteArray::number(v, 'f', decimals);
}

/** A text field as the week's file writes it: quoted, or bare when the file leaves plain texts unquoted. */
using TextWriter = std::function<QByteArray(const QByteArray&)>;

} // namespace

Settings smallSettings(std::uint64_t seed)
{
    Settings s;
    s.seed = seed;
    s.tracks = 3;
    s.racesPerTrack = 4;
    s.activeHorses = 150;
    s.owners = 30;
    s.stallions = 20;
    return s;
}

struct Generator::World {
    Settings settings;
    Random random;
    std::vector<Horse> horses; // every horse ever created, in creation order
    std::vector<int> active;   // indexes into horses
    std::vector<QByteArray> ownerNames;
    std::vector<QByteArray> stallionNames;
    Weighted ownerWeights;
    Weighted stallionWeights; // all stallions, for the dams' sires
    Weighted otherSires;      // every stallion but the most popular one, for the sires
    Weighted kindWeights;     // RaceKinds by how often each is run
    Weighted levelWeights;    // the claiming ladder's levels by how often each is run
    QSet<QByteArray> usedNames;
    QSet<qint32> usedIds;
    Totals totals;
    int lastWeek = -1;

    explicit World(const Settings& s) : settings(s), random(s.seed)
    {
        settings.tracks = std::clamp(settings.tracks, 1, 99);
        settings.racesPerTrack = std::clamp(settings.racesPerTrack, 1, 99);
        for (int i = 0; i < std::max(1, settings.owners); ++i)
            ownerNames.push_back(makeOwner(i));
        for (int i = 0; i < std::max(2, settings.stallions); ++i)
            stallionNames.push_back(uniqueName(false));
        ownerWeights.build(int(ownerNames.size()), 0.9);
        stallionWeights.build(int(stallionNames.size()), 0.8);
        otherSires.build(int(stallionNames.size()) - 1, 0.8);
        std::vector<double> kinds, levels;
        for (const RaceKind& r : RaceKinds)
            kinds.push_back(r.weight);
        for (int w : LadderWeights)
            levels.push_back(w);
        kindWeights.build(kinds);
        levelWeights.build(levels);
    }

    QByteArray makeOwner(int i)
    {
        const QByteArray a = word(random, Surnames);
        switch (i % 7) {
        case 0:
            return a + ' ' + word(random, StableWords);
        case 1: // a partnership, written with a comma: the file must quote it
            return a + ", " + word(random, Surnames) + " & " + word(random, Surnames);
        case 2:
            return QByteArray(word(random, FirstWords)) + ' ' + word(random, SecondWords) + ' ' +
                   word(random, StableWords);
        case 3:
            return a + " " + word(random, StableWords) + ", LLC";
        case 4:
            return QByteArray(1, char('A' + random.below(26))) + ". " + a;
        case 5:
            return a + " & Sons";
        default:
            return a + ' ' + QByteArray::number(i);
        }
    }

    QByteArray uniqueName(bool horse)
    {
        for (int attempt = 0;; ++attempt) {
            QByteArray name = QByteArray(word(random, FirstWords)) + ' ' + word(random, SecondWords);
            if (attempt > 3 || random.chance(horse ? 0.25 : 0.1))
                name += QByteArray(" ") + word(random, ThirdWords);
            if (attempt > 20)
                name += ' ' + QByteArray::number(attempt);
            if (!usedNames.contains(name)) {
                usedNames.insert(name);
                return name;
            }
        }
    }

    qint32 uniqueId()
    {
        for (;;) {
            // Every first digit equally often, 9 included; four to seven digits.
            const int digits = random.between(4, 7);
            qint32 id = random.between(1, 9);
            for (int i = 1; i < digits; ++i)
                id = id * 10 + random.below(10);
            if (!usedIds.contains(id)) {
                usedIds.insert(id);
                return id;
            }
        }
    }

    /** A new horse: a maiden, or, for the world's first horses, one that has raced and won before. */
    int newHorse(int week, bool seasoned)
    {
        Horse h;
        h.id = uniqueId();
        h.name = uniqueName(true);
        h.owner = ownerWeights.pick(random);
        // The most popular stallion sires every n-th foal exactly, so that the first 20,000 horses of the
        // breeding file hold 2,000 of his at a share of 10%.
        const double share = settings.topStallionShare;
        const size_t every = share > 0 ? size_t(std::max(1L, std::lround(1.0 / share))) : 0;
        h.sire = every && horses.size() % every == 0 ? 0 : 1 + otherSires.pick(random);
        h.damSire = stallionWeights.pick(random);
        h.damDamSire = stallionWeights.pick(random);
        h.bornWeek = week - random.between(2 * 365, 5 * 365);
        h.sex = "cfgfhm"[random.below(6)];
        h.ability = 72 + random.normal() * 8 - h.sire * 0.01;
        h.turf = random.normal() * 3;
        h.won = seasoned && random.chance(0.7);
        horses.push_back(h);
        ++totals.horses;
        return int(horses.size()) - 1;
    }

    QByteArray conditions(const QByteArray& type, const QByteArray& age, bool& claimingType)
    {
        static const char* const counts[] = {"ONE", "TWO", "THREE", "FOUR"};
        claimingType = type == "Claiming";
        if (type != "Allowance" && type != "Claiming") {
            if (type == "Starter Allowance")
                return age + " which have started for a claiming price of $5,000 or less";
            if (type.startsWith("Maiden"))
                return age + " Maidens";
            return age;
        }
        // Most claiming races are open to all at their price, and many allowance races too, so that the
        // ladder's classes are not split into many codes.
        if (random.chance(claimingType ? 0.7 : 0.4))
            return age;
        switch (random.below(11)) {
        case 0:
            return age + " Non-Winner of " + counts[random.below(4)] + " races other than maiden or claiming";
        case 1:
            return age + " Non-Winner of " + counts[random.below(4)] +
                   " races except maiden, claiming or starter";
        case 2:
            return age + " Non-Winner of " + counts[random.below(4)] + " races Lifetime";
        case 3:
            return age + " Non-Winner of " + counts[random.below(4)] + " races in the last " +
                   "369"[random.below(3)] + " months";
        case 4:
            return age + " Non-Winner of " + counts[random.below(4)] + " races this year";
        case 5: // no count word: the count of an earlier race carries over
            return age + " Non-Winner of a race except maiden";
        case 6:
            return age + " CPU value max " +
                   QByteArray::number(random.chance(0.7) ? random.between(1, 9) : random.between(10, 40)) +
                   ", weight 122 lbs";
        case 7:
            return age + " bred at this track";
        case 8:
            return age + " for player created horses";
        default:
            return age;
        }
    }

    /** Writes one record group: layout 0 puts each record on its own line (CR LF), 1 the same with line
        feeds and a comma left at each line end, 2 breaks lines at random places, 3 puts each field on a line.
     */
    void writeRecords(QByteArray& out, int layout, const QList<QByteArray>& fields)
    {
        // Record ends: the leading pair alone, or a race's header, conditions, each start and the marker.
        std::vector<qsizetype> ends;
        if (fields.size() == 2) {
            ends = {2};
        } else {
            ends = {7, 12};
            while (ends.back() + 14 < fields.size())
                ends.push_back(ends.back() + 14);
            ends.push_back(fields.size());
        }
        size_t e = 0;
        for (qsizetype i = 0; i < fields.size(); ++i) {
            out += fields[i];
            const bool recordEnd = e < ends.size() && i + 1 == ends[e];
            if (recordEnd)
                ++e;
            if (i + 1 == fields.size())
                break;
            if (layout == 3 || (layout == 2 && random.chance(0.2)))
                out += "\r\n";
            else if (recordEnd && layout == 0)
                out += "\r\n";
            else if (recordEnd && layout == 1)
                out += ",\n";
            else
                out += ',';
        }
        out += layout == 1 ? "\n" : "\r\n";
    }

    /** The week's card: every race of every track with its class, in the order of the file. */
    std::vector<RacePlan> planCard()
    {
        std::vector<RacePlan> card;
        for (int track = 1; track <= settings.tracks; ++track) {
            for (int race = 1; race <= settings.racesPerTrack; ++race) {
                const RaceKind& kind = RaceKinds[kindWeights.pick(random)];
                RacePlan r{track, race, kind.type, 0, kind.rank, kind.maiden, 0, {}};
                if (kind.purseHigh == 0) { // claiming: rank and purse follow the price
                    const int level = levelWeights.pick(random);
                    r.claim = ClaimingLadder[level];
                    r.rank = 10 + 10 * level;
                    r.purse = (r.claim * 7 / 10 + 4000 + qint64(random.between(0, 4)) * 1000) / 1000 * 1000;
                } else {
                    r.purse = qint64(random.between(kind.purseLow, kind.purseHigh)) * 1000;
                }
                card.push_back(r);
            }
        }
        return card;
    }

    /**
     * Enters the week's runners by their ability: the races from the highest class down each take the best
     * runners left, maidens in maiden races and winners in the others (maidens too where winners run out),
     * so that a class's level follows its price and a horse's form moves it up and down the ladder.
     */
    void drawFields(std::vector<RacePlan>& card, int w)
    {
        const double available = double(std::count_if(
            active.begin(), active.end(), [&](int h) { return horses[size_t(h)].restUntil <= w; }));
        const double runShare = std::min(0.9, double(card.size()) * 9.0 / std::max(1.0, available));
        std::vector<std::pair<double, int>> maidens, winners;
        for (int h : active) {
            const Horse& horse = horses[size_t(h)];
            if (horse.restUntil > w || !random.chance(runShare))
                continue;
            (horse.won ? winners : maidens).push_back({horse.ability + random.normal() * 3, h});
        }
        const auto best = [](const auto& a, const auto& b) { return a.first > b.first; };
        std::sort(maidens.begin(), maidens.end(), best);
        std::sort(winners.begin(), winners.end(), best);
        std::vector<size_t> order(card.size());
        for (size_t i = 0; i < order.size(); ++i)
            order[i] = i;
        std::stable_sort(order.begin(), order.end(),
                         [&](size_t a, size_t b) { return card[a].rank > card[b].rank; });
        size_t nextMaiden = 0, nextWinner = 0;
        for (size_t i : order) {
            RacePlan& r = card[i];
            const int size = random.between(6, 12);
            while (int(r.field.size()) < size) {
                if (nextWinner < winners.size() && !r.maiden)
                    r.field.push_back(winners[nextWinner++].second);
                else if (nextMaiden < maidens.size())
                    r.field.push_back(maidens[nextMaiden++].second);
                else
                    break;
            }
        }
    }

    /** A horse's week after a start: its form drifts; it may be claimed, sold, rested or retired. */
    void afterStart(int h, const RacePlan& r, bool won, int w, std::vector<int>& retired)
    {
        Horse& horse = horses[size_t(h)];
        horse.won = horse.won || won;
        horse.ability += random.normal() * 0.8;
        if (r.claim > 0 ? random.chance(0.06) : random.chance(0.004))
            horse.owner = ownerWeights.pick(random);
        if (random.chance(0.015))
            horse.restUntil = w + random.between(45, 80);
        if (random.chance(1.0 / 40))
            retired.push_back(h);
    }

    /** A starter's day: its figure, and its chance as the public reckons it. */
    struct Runner {
        double figure;
        double chance;
        int h;
    };
    /** The field in finishing order, which follows the day's figures; each horse's chance follows its
        ability on the surface against the field's, so that the odds mean something and favourites are
        often beaten. */
    std::vector<Runner> finishingOrder(const RacePlan& r, bool turf)
    {
        std::vector<Runner> runners;
        double top = -1e9;
        for (int h : r.field) {
            const Horse& horse = horses[size_t(h)];
            const double rating = horse.ability + (turf ? horse.turf : -horse.turf);
            runners.push_back({rating + random.normal() * 6, rating, h});
            top = std::max(top, rating);
        }
        double total = 0;
        for (Runner& x : runners)
            total += x.chance = std::exp((x.chance - top) / 3.5);
        for (Runner& x : runners)
            x.chance /= total;
        std::sort(runners.begin(), runners.end(),
                  [](const Runner& a, const Runner& b) { return a.figure > b.figure; });
        return runners;
    }

    /** The fields of one race's record: its conditions, then one start a finisher, in finishing order. */
    QList<QByteArray> raceFields(int w, const RacePlan& r, bool firstRace, const TextWriter& text,
                                 std::vector<int>& retired)
    {
        // The race key; in weeks 579 and 586 the file numbers its races a week on and one race lower.
        double number = w + r.track / 100.0 + r.race / 10000.0;
        if ((w == 579 || w == 586) && !firstRace)
            number = (w + 1) + r.track / 100.0 + (r.race - 1) / 10000.0;
        const bool turf = random.chance(0.3);
        static const char* const dirtGoing[] = {"Fast", "Fast", "Fast", "Good", "Sloppy"};
        static const char* const turfGoing[] = {"Firm", "Firm", "Good", "Yielding"};
        const QByteArray going = turf ? turfGoing[random.below(4)] : dirtGoing[random.below(5)];
        static const double distances[] = {5, 5.5, 6, 6.5, 7, 8, 8.5, 9, 10, 12};
        const double distance = distances[random.below(10)];
        static const char* const ages[] = {"All 3 year olds and up", "All 2 year olds",
                                           "All 3 year olds",        "Fillies and Mares 3 year olds and up",
                                           "Fillies 2 year olds",    "All 4 year olds and up",
                                           "Fillies 3 year olds"};
        bool claiming = false;
        const QByteArray cond = conditions(r.type, ages[random.below(7)], claiming);
        QByteArray claimText = r.claim > 0 ? money(r.claim) : QByteArray(random.chance(0.5) ? "-" : "0");
        if (r.claim > 0 && random.chance(0.2))
            claimText = '(' + claimText + ')';
        const int size = int(r.field.size());
        QList<QByteArray> fields{QByteArray::number(number, 'f', 4),
                                 quoted("Race " + QByteArray::number(r.race)),
                                 text(turf ? "Turf" : "Dirt"),
                                 text(going),
                                 QByteArray::number(distance),
                                 QByteArray::number(size),
                                 quoted("x")};
        fields << text(r.type) << text(claimText) << quoted("")
               << text(money(r.purse) + (random.chance(0.1) ? ".00" : "")) << text(cond);
        const std::vector<Runner> runners = finishingOrder(r, turf);
        std::vector<int> posts(static_cast<size_t>(size));
        for (int i = 0; i < size; ++i)
            posts[size_t(i)] = i + 1;
        for (size_t i = posts.size(); i > 1; --i)
            std::swap(posts[i - 1], posts[size_t(random.below(int(i)))]);
        for (int i = 0; i < size; ++i) {
            const Runner& runner = runners[size_t(i)];
            const Horse& horse = horses[size_t(runner.h)];
            const QByteArray id = QByteArray::number(horse.id);
            const int d1 = id.front() - '0', dn = id.back() - '0';
            const double speed = std::round(runner.figure * 1000) / 1000 - d1 + dn;
            const double oddsTo =
                std::clamp(0.82 / runner.chance * std::exp(random.normal() * 0.3) - 1, 0.1, 99.0);
            const double oddsBase = 0.82 / (1 + oddsTo);
            const int post = posts[size_t(i)];
            fields << text(horse.name) << id << fixed(speed, 3) << fixed(0.5 + random.unit(), 3);
            for (int k = 0; k < 6; ++k)
                fields << fixed(random.unit() * 20, 2);
            fields << fixed(oddsBase, 4) << QByteArray::number(post - 49 - (d1 == 9 ? 0 : d1)) << quoted("x")
                   << text(ownerNames[size_t(horse.owner)]);
            ++totals.starts;
            afterStart(runner.h, r, i == 0, w, retired);
        }
        return fields;
    }

    QByteArray week(int w)
    {
        lastWeek = w;
        if (horses.empty()) {
            for (int i = 0; i < settings.activeHorses; ++i)
                active.push_back(newHorse(w, true));
        }
        std::vector<RacePlan> card = planCard();
        drawFields(card, w);
        std::erase_if(card, [](const RacePlan& r) { return r.field.size() < 2; });

        const int layout = random.chance(0.7) ? 0 : random.between(1, 3);
        const bool plainTexts = random.chance(0.2); // texts without commas left unquoted
        const TextWriter text = [plainTexts](const QByteArray& t) {
            return plainTexts && !t.contains(',') ? t : quoted(t);
        };
        QByteArray out;
        writeRecords(out, layout, {quoted("Raceout"), quoted("Week " + QByteArray::number(w))});
        std::vector<int> retired;
        for (size_t i = 0; i < card.size(); ++i) {
            QList<QByteArray> fields = raceFields(w, card[i], i == 0, text, retired);
            fields << (i + 1 == card.size() ? quoted("*99999") : quoted("-----"));
            writeRecords(out, layout, fields);
            ++totals.races;
        }
        if (card.empty())
            writeRecords(out, layout,
                         {QByteArray("0"), quoted(""), quoted(""), quoted(""), QByteArray("0"),
                          QByteArray("0"), quoted(""), quoted(""), quoted(""), quoted(""), quoted(""),
                          quoted("")});
        // Retired horses make room for new ones.
        for (int h : retired) {
            const auto it = std::find(active.begin(), active.end(), h);
            if (it != active.end())
                *it = newHorse(w, false);
        }
        return out;
    }
};

Generator::Generator(const Settings& settings) : m_world(new World(settings)) {}
Generator::~Generator()
{
    delete m_world;
}

QByteArray Generator::weekFile(int week)
{
    return m_world->week(week);
}

bool Generator::writeWeeks(int first, int last, const QString& dir, QString* error)
{
    QDir().mkpath(dir);
    for (int w = first; w <= last; ++w) {
        QFile f(QDir(dir).filePath(QStringLiteral("raceout%1.txt").arg(w)));
        const QByteArray text = weekFile(w);
        if (!f.open(QIODevice::WriteOnly) || f.write(text) != text.size()) {
            if (error)
                *error = QStringLiteral("%1: %2").arg(f.fileName(), f.errorString());
            return false;
        }
    }
    return true;
}

QByteArray Generator::breedingFile(int limit) const
{
    const World& w = *m_world;
    const size_t n = limit > 0 ? std::min(size_t(limit), w.horses.size()) : w.horses.size();
    QByteArray out;
    out.reserve(qsizetype(n) * 120);
    const int now = std::max(w.lastWeek, 0);
    for (size_t i = 0; i < n; ++i) {
        const Horse& h = w.horses[i];
        const QByteArray id = QByteArray::number(h.id);
        const int age = std::max(2, (now - h.bornWeek) / 365);
        out += id + ',' + h.name + ',' + QByteArray::number(age) + ',' + h.sex + ",bay\r\n";
        out += id + ',' + w.stallionNames[size_t(h.sire)] + ",s\r\n";
        out += id + ',' + w.stallionNames[size_t(h.damSire)] + ",ds\r\n";
        out += id + ',' + w.stallionNames[size_t(h.damDamSire)] + ",dds\r\n";
    }
    return out;
}

QString Generator::topStallion() const
{
    return QString::fromLatin1(m_world->stallionNames.front());
}

QStringList Generator::stallions() const
{
    QStringList out;
    for (const QByteArray& s : m_world->stallionNames)
        out << QString::fromLatin1(s);
    return out;
}

QString Generator::topOwner() const
{
    return QString::fromLatin1(m_world->ownerNames.front());
}

Totals Generator::totals() const
{
    return m_world->totals;
}

} // namespace TurfGen
