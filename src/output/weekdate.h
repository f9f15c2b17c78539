#pragma once

#include <QDate>
#include <QString>

#include <optional>

/** The simulation's calendar: one week per day, with one day skipped at week 587. */
namespace WeekDate
{

/** The message for a week text that is empty, not a number or outside the week range. */
inline QString noWeekMessage()
{
    return QStringLiteral("You must enter a week number in the text box.");
}

/** Why the text of txtdate names no week, as the message says it: empty or not a number (noWeekMessage()),
    or a number outside the weeks; nullopt when it names one. */
std::optional<QString> refusal(const QString& text);

/** The calendar date of week w. */
QDate date(int week);

/** The text of lbldateinfo for the text of txtdate: "Week " and the text as typed, "=", the date in the given
    format, joined by carriage returns; nullopt when the text names no week (refusal() says why). */
std::optional<QString> label(const QString& text, const QString& dateFormat);

} // namespace WeekDate
