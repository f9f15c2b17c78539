#include "analysis/definitions.h"

#include "core/format.h"
#include "db/database.h"
#include "search/horsestats.h"

#include <cmath>
#include <tuple>

namespace Analysis
{

int weekOf(double racenum)
{
    return int(std::floor(racenum));
}

QString Weeks::text() const
{
    return QStringLiteral("weeks %1-%2").arg(first).arg(last);
}

/** A week text as a whole number: nullopt, with the message, when it is not one. */
static std::optional<int> weekNumber(const QString& text, const char* which, QString& error)
{
    const QString t = text.trimmed();
    bool ok = Fmt::isWholeNumber(t);
    const int week = ok ? t.toInt(&ok) : 0;
    if (!ok) {
        error = QStringLiteral("The %1 week \"%2\" is not a whole number.").arg(QLatin1String(which), text);
        return std::nullopt;
    }
    return week;
}

Result<Weeks> resolveWeeks(Database& db, const QString& firstText, const QString& lastText)
{
    QString error;
    Weeks w;
    if (!lastText.trimmed().isEmpty()) {
        const auto last = weekNumber(lastText, "last", error);
        if (!last)
            return Result<Weeks>::failure(error);
        w.last = *last;
    } else {
        const auto newest = db.number("SELECT CAST(max(racenum) AS INTEGER) FROM tblraces",
                                      QStringLiteral("The stored weeks cannot be read"));
        if (!newest)
            return Result<Weeks>::failure(db.error());
        if (*newest <= 0)
            return Result<Weeks>::failure(QStringLiteral("The database holds no races."));
        w.last = int(*newest);
    }
    w.first = w.last - (DefaultSpan - 1);
    if (!firstText.trimmed().isEmpty()) {
        const auto first = weekNumber(firstText, "first", error);
        if (!first)
            return Result<Weeks>::failure(error);
        w.first = *first;
    }
    if (w.first > w.last)
        return Result<Weeks>::failure(
            QStringLiteral("The first week %1 is after the last week %2.").arg(w.first).arg(w.last));
    return w;
}

Category categoryOf(const QString& cond, const QString& surf)
{
    return Category(HorseStats::category(cond, surf));
}

QLatin1String categoryName(Category c)
{
    switch (c) {
    case Category::Dirt:
        return QLatin1String("dirt");
    case Category::Turf:
        return QLatin1String("turf");
    case Category::Off:
        break;
    }
    return QLatin1String("off");
}

Trip tripOf(double dist)
{
    return dist > 7.9 ? Trip::Route : Trip::Sprint;
}

QLatin1String tripName(Trip t)
{
    return t == Trip::Route ? QLatin1String("route") : QLatin1String("sprint");
}

QString RaceClass::text() const
{
    return price == 0 ? restr : restr + QLatin1Char(' ') + QString::number(price);
}

bool RaceClass::isMaiden() const
{
    return restr == QLatin1String("MS") || restr == QLatin1String("MC");
}

QString Band::text() const
{
    return raceClass.text() + QStringLiteral(", ") + categoryName(category) + QLatin1Char(' ') +
           tripName(trip);
}

bool bandBefore(const Band& a, const Band& b)
{
    const int byText = QString::compare(a.raceClass.restr, b.raceClass.restr, Qt::CaseInsensitive);
    return std::tuple(int(a.category), int(a.trip), byText, a.raceClass.restr, a.raceClass.price) <
           std::tuple(int(b.category), int(b.trip), 0, b.raceClass.restr, b.raceClass.price);
}

bool sameIgnoringCase(const QString& a, const QString& b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        char16_t x = a[i].unicode(), y = b[i].unicode();
        if (x >= u'a' && x <= u'z')
            x = char16_t(x - 32);
        if (y >= u'a' && y <= u'z')
            y = char16_t(y - 32);
        if (x != y)
            return false;
    }
    return true;
}

} // namespace Analysis
