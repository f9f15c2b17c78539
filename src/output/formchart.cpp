#include "output/formchart.h"

#include "core/format.h"
#include "core/mainwindowstate.h"
#include "output/weekdate.h"

#include <QJsonArray>
#include <QJsonObject>

#include <algorithm>
#include <cmath>

namespace
{
// The results grid's columns the chart reads.
enum Col { Name = 0, Id = 1, Race = 2, Track = 4, Type = 5, Distance = 6, Speed = 8, Place = 9, Field = 10 };
} // namespace

QString FormPoint::tip(const QString& dateFormat) const
{
    // A track number without a code has an empty cell: the race is then told without it.
    QStringList race{track, distance + QStringLiteral(" furlongs"), type};
    race.removeAll(QString());
    return QStringLiteral("Race %1 (%2)\n%3\nPlace %4 of %5, speed %6")
        .arg(racenum, date.toString(dateFormat), race.join(QStringLiteral(", ")), place, field, sp);
}

QString FormChart::title() const
{
    return QStringLiteral("Speed Figures: %1 (%2)").arg(horse, id);
}

QJsonObject FormChart::toJson() const
{
    QJsonArray out;
    for (const FormPoint& p : points)
        out.append(QJsonObject{{QStringLiteral("racenum"), p.racenum},
                               {QStringLiteral("date"), p.date.toString(Qt::ISODate)},
                               {QStringLiteral("sp"), p.sp},
                               {QStringLiteral("colour"), int(p.colour)},
                               {QStringLiteral("win"), p.win}});
    return {{QStringLiteral("points"), out},
            {QStringLiteral("best"), Fmt::fixed(best, 1)},
            {QStringLiteral("average"), Fmt::fixed(average, 1)}};
}

FormChart formChart(const GridState& g, int row, const GridState& colourKey)
{
    FormChart chart;
    chart.horse = g.text(row, Name);
    chart.id = g.text(row, Id);
    for (int r = g.fixedRows(); r < g.rows(); ++r) {
        if (g.text(r, Name) != chart.horse || g.text(r, Id) != chart.id)
            continue;
        // A start without a figure (a scratch, a figure never published) has no height to draw at, and a key
        // beyond the week range no date: they are left out rather than drawn at zero.
        const QString sp = g.text(r, Speed);
        const QString key = g.text(r, Race);
        const auto week = Fmt::isNumeric(key) ? Fmt::toInt16(std::trunc(key.toDouble())) : std::nullopt;
        if (!Fmt::isNumeric(sp) || !week)
            continue;
        chart.points.push_back({key, g.text(r, Track), g.text(r, Distance), g.text(r, Type), g.text(r, Place),
                                g.text(r, Field), sp, WeekDate::date(*week), sp.toDouble(), g.colour(r, Name),
                                g.text(r, Place).trimmed() == QLatin1String("1")});
    }
    // Race order whatever sort the grid is in; the key orders races within a week too.
    std::stable_sort(chart.points.begin(), chart.points.end(), [](const FormPoint& a, const FormPoint& b) {
        return a.racenum.toDouble() < b.racenum.toDouble();
    });
    if (!chart.points.empty()) {
        double sum = 0;
        chart.best = chart.points.front().figure;
        for (const FormPoint& p : chart.points) {
            chart.best = std::max(chart.best, p.figure);
            sum += p.figure;
        }
        chart.average = sum / double(chart.points.size());
    }
    for (int r = colourKey.fixedRows(); r < colourKey.rows(); ++r) {
        const std::uint8_t c = colourKey.colour(r, 0);
        if (std::ranges::any_of(chart.points, [c](const FormPoint& p) { return p.colour == c; }))
            chart.colours.emplace_back(c, colourKey.text(r, 0));
    }
    // A condition the key does not know leaves the row in the grid's plain text colour.
    if (std::ranges::any_of(chart.points, [](const FormPoint& p) { return p.colour == Palette::Default; }))
        chart.colours.emplace_back(Palette::Default, QStringLiteral("Other"));
    return chart;
}

std::optional<FormChart> chartspeed_Click(MainWindowState& f)
{
    FormChart chart = formChart(f.MSFlexGrid1, f.MSFlexGrid1.rowSel(), f.MSFColorGridKey);
    if (chart.points.empty()) {
        f.platform().message(QStringLiteral("No speed figures of %1 are listed to chart.").arg(chart.horse));
        return std::nullopt;
    }
    return chart;
}
