#pragma once

#include <QDate>
#include <QString>

#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

class GridState;
class MainWindowState;
class QJsonObject;

/** One start of the form chart: a row of the results grid that has a speed figure, with the grid's texts. */
struct FormPoint {
    QString racenum; // the grid's texts, as shown
    QString track;
    QString distance;
    QString type;
    QString place;
    QString field;
    QString sp;
    QDate date; // of the race's week, as the date calculator gives it
    double figure = 0;
    std::uint8_t colour = 0; // the row's palette colour
    bool win = false;

    /** What hovering the point shows: race key and date, track, distance, type and place. */
    QString tip(const QString& dateFormat) const;
};

/** A horse's speed figures over time: the points oldest first, with the best figure and their average. */
struct FormChart {
    QString horse;
    QString id;
    std::vector<FormPoint> points;
    double best = 0;
    double average = 0;
    /** The colours the points use, in the colour key's order, each with its key text ("Dirt - Fast"). */
    std::vector<std::pair<std::uint8_t, QString>> colours;

    QString title() const;
    /** {"points": [{"racenum", "date", "sp", "colour", "win"}, ...], "best", "average"}, texts as shown. */
    QJsonObject toJson() const;
};

/** The chart of the horse on a row of the results grid: every row of that horse (name and id) that the grid
    shows and that has a speed figure, in race order. The colour key names the colours. */
FormChart formChart(const GridState& grid, int row, const GridState& colourKey);

/** Pop-up "Chart Speed Figures": the chart of the selected row's horse; nullopt, after a message, when none
   of its listed starts has a speed figure. */
std::optional<FormChart> chartspeed_Click(MainWindowState& f);
