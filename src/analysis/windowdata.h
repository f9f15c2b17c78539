#pragma once

#include "analysis/definitions.h"
#include "search/startlisting.h"

#include <QString>

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

class Database;

namespace Analysis
{

/** Texts that repeat from start to start (owners, names, type codes), each kept once and known by a number.
 */
class TextPool
{
public:
    /** The number of a text given as the engine's UTF-8 bytes, added when new. */
    std::int32_t intern(std::string_view utf8);
    const QString& text(std::int32_t id) const { return m_texts[std::size_t(id)]; }
    /** Adds the texts of another pool; the result gives each of its numbers the number here. */
    std::vector<std::int32_t> absorb(const TextPool& other);
    /** The number of a text, or -1 when it was never added. */
    std::int32_t find(const QString& text) const;
    /** How many texts there are: their numbers are 0 to size() - 1. */
    std::size_t size() const { return m_texts.size(); }

private:
    struct Hash {
        using is_transparent = void;
        std::size_t operator()(std::string_view s) const { return std::hash<std::string_view>()(s); }
    };
    std::unordered_map<std::string, std::int32_t, Hash, std::equal_to<>> m_ids;
    std::vector<QString> m_texts;
};

/** A race as the analyses use it. */
struct RaceRow {
    double racenum = 0;
    double dist = 0;
    std::int64_t purse = 0;
    std::int64_t cprice = 0;
    std::int32_t restr = -1; // in the pool
    Category category = Category::Dirt;
    Trip trip = Trip::Sprint;
    char surf = 0; // the first byte of `surf`: 'D', 'T', or 0 for none
};

/** A start as the analyses use it, with its race by its place among the races. Small: a window holds more
    than a million. */
struct StartRow {
    double racenum = 0;
    double sp = 0;
    std::int32_t hid = 0;
    std::int32_t race = 0;
    std::int32_t owner = -1; // in the pool, when owners were read
    std::int32_t name = -1;  // in the pool, when names were read
    std::int16_t fin = 0;
    /** The odds in tenths, when odds were read: the import keeps one decimal. */
    std::int32_t oddsTenths = 0;
    double odds() const { return oddsTenths / 10.0; }
};

/** One horse's starts among the window's: [begin, end) of starts(), oldest first; `before` is its last start
    before the window in beforeStarts() (-1 when none or not read), and the `beforeCount` starts of
    beforeStarts() that end with it are its last ones before the window, oldest first. */
struct HorseSpan {
    std::int32_t hid = 0;
    std::int32_t begin = 0;
    std::int32_t end = 0;
    std::int32_t before = -1;
    std::int32_t beforeCount = 0;
};

/** What an analysis needs read besides the starts' keys, places, figures and races. */
struct WindowRequest {
    bool winnersOnly = false; // only the starts with fin 1
    bool owners = false;
    bool names = false;
    bool odds = false;
    bool before = false;  // each horse's last start before the window, with its race
    int beforeStarts = 1; // how many of its last starts before the window `before` reads
    /** Only this horse's starts. */
    std::optional<std::int32_t> hid;
};

/**
 * The starts of a window of weeks with their races, read once for one or more analyses: every race of the
 * window, and every start of the window whose race is stored, grouped by horse and oldest first within a
 * horse. A start's texts are numbers in texts().
 */
class WindowData
{
public:
    /** Reads the window; a failure of the database gives its message. */
    static Result<WindowData> read(Database& db, const Weeks& weeks, const WindowRequest& request);

    const Weeks& weeks() const { return m_weeks; }
    const std::vector<RaceRow>& races() const { return m_races; }
    const std::vector<StartRow>& starts() const { return m_starts; }
    const std::vector<StartRow>& beforeStarts() const { return m_before; }
    const std::vector<HorseSpan>& horses() const { return m_horses; }
    const TextPool& texts() const { return m_texts; }

    const RaceRow& raceOf(const StartRow& s) const { return m_races[std::size_t(s.race)]; }
    /** The band of a race. */
    Band band(const RaceRow& r) const;
    /** A horse's starts in the window, or null when it has none. */
    const HorseSpan* horse(std::int32_t hid) const;
    /** The form figure of a horse in a category: the highest figure of its last three starts in that
        category in the window; none without such a start. */
    std::optional<double> formFigure(const HorseSpan& h, Category c) const;
    /** A horse's starts in order into `out`: those read before the window first, then the window's; how many
        of them come before the window. */
    std::size_t sequence(const HorseSpan& h, std::vector<const StartRow*>& out) const;
    /** How many of races() are the window's, by race key (with `hid`, only that horse's races); the races of
        the starts before the window follow them. */
    std::size_t windowRaces() const { return m_windowRaces; }

private:
    /** The races and starts with keys from low to high (not included). */
    bool readPart(Database& db, double low, double high, const WindowRequest& request, QString& error);
    bool readRaces(Database& db, double low, double high, QString& error);
    bool readStarts(Database& db, double low, double high, const WindowRequest& request, QString& error);
    /** Takes the races and starts of a later part of the window. */
    void append(WindowData&& later);
    bool readRacesByKey(Database& db, QString& error);
    /** Each horse's last `count` starts before the window, with their owners, and their names when asked for.
     */
    bool readBefore(Database& db, int count, bool names, QString& error);
    void groupByHorse();

    Weeks m_weeks;
    std::vector<RaceRow> m_races; // the window's by race key, then those of the starts before it
    std::size_t m_windowRaces = 0;
    std::vector<StartRow> m_starts;
    std::vector<StartRow> m_before;
    std::vector<HorseSpan> m_horses; // by hid
    TextPool m_texts;
};

} // namespace Analysis
