#include "output/weekdate.h"

#include "core/format.h"
#include "db/racekey.h"

namespace WeekDate
{

QDate date(int week)
{
    // Week 1 is 21 July 1998. The count skips one calendar day before week 587, so weeks below it sit one day
    // earlier than a plain day count gives.
    const int days = (week < 587 ? week - 1 : week) + 598;
    return QDate(1996, 11, 30).addDays(days);
}

std::optional<QString> refusal(const QString& text)
{
    if (!Fmt::isNumeric(text))
        return noWeekMessage();
    // Weeks are 16-bit numbers that never pass 32766: a larger number is no week, never a wrapped one.
    const double week = Fmt::roundHalfEven(text.trimmed().toDouble());
    if (!(week >= 0 && week <= RaceKey::MaxWeek))
        return QStringLiteral("The week number %1 is out of range (0 to %2).")
            .arg(text.trimmed())
            .arg(RaceKey::MaxWeek);
    return std::nullopt;
}

std::optional<QString> label(const QString& text, const QString& dateFormat)
{
    if (refusal(text))
        return std::nullopt;
    const int week = int(Fmt::roundHalfEven(text.trimmed().toDouble()));
    return Fmt::lines({QStringLiteral("Week ") + text, QStringLiteral("="), date(week).toString(dateFormat)});
}

} // namespace WeekDate
