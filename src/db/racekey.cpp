#include "racekey.h"

#include "core/format.h"

namespace RaceKey
{

double make(int week, int track, int race)
{
    return week + track / 100.0 + race / 10000.0;
}

int week(double racenum)
{
    return int(std::floor(racenum));
}

int track(double racenum)
{
    // Read through the four-decimal text so that binary noise (612.0507 * 100 = 61205.0699...) cannot
    // push the value below a whole number.
    const double scaled = Fmt::roundTo(racenum * 100.0 - week(racenum) * 100.0, 6);
    return int(std::floor(scaled));
}

int race(double racenum)
{
    const double scaled = Fmt::roundTo((racenum - week(racenum)) * 10000.0, 0);
    return int(scaled) % 100;
}

QString text(double racenum)
{
    return Fmt::fixed(racenum, 4, 1);
}

} // namespace RaceKey
