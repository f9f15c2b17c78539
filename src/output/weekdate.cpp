#include "output/weekdate.h"

#include "core/format.h"

namespace WeekDate
{

QDate date(int week)
{
    // Week 1 is 21 July 1998. The count skips one calendar day before week 587, so weeks below it sit one day
    // earlier than a plain day count gives.
    const int days = (week < 587 ? week - 1 : week) + 598;
    return QDate(1996, 11, 30).addDays(days);
}

std::optional<QString> label(const QString& text, const QString& dateFormat)
{
    if (!Fmt::isNumeric(text))
        return std::nullopt;
    const auto week = Fmt::toInt16(text.trimmed().toDouble());
    if (!week)
        return std::nullopt; // 40000 is no week: the same message as letters, never a wrapped number
    return Fmt::lines(
        {QStringLiteral("Week ") + text, QStringLiteral("="), date(*week).toString(dateFormat)});
}

} // namespace WeekDate
