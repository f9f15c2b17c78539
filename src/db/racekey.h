#pragma once

#include <QString>

#include <cmath>

/** The race key: week + track / 100 + race / 10000, shown as "#0.0000". */
namespace RaceKey
{

/** The highest week: weeks are held as 16-bit numbers, and the band of the week after this one would reach
    past them. */
constexpr int MaxWeek = 32766;

/** Builds the key of race `race` at track `track` in week `week`. */
double make(int week, int track, int race);
/** The simulation week: the whole part of the key. */
int week(double racenum);
/** The track number: the whole part of (key x 100 - week x 100). */
int track(double racenum);
/** The race number at its track: the last two decimals. */
int race(double racenum);
/** The "#0.0000" text of a key (612.0507, 7.0102). */
QString text(double racenum);
/** True when the key lies in week w's band: w < key < w + 1. */
inline bool inWeek(double racenum, int w)
{
    return racenum > w && racenum < w + 1;
}

} // namespace RaceKey
