#pragma once

#include <QString>

struct FormChart;
class QChartView;
class QWidget;

/** The form chart drawn with Qt Charts, as the chart window shows it and turftrawler-cli saves it. */
namespace FormChartPlot
{

/** A view of the chart: points in their rows' colours, wins ringed, a line through them in race order, the
    best figure and the average as guides, and the race's facts as the tool tip of a hovered point. Dates are
    written in dateFormat. */
QChartView* makeView(const FormChart& chart, const QString& dateFormat, QWidget* parent = nullptr);

/** Writes what the view shows as a PNG, replacing the file whole; empty when it worked, else why not. */
QString savePng(QChartView& view, const QString& path);

} // namespace FormChartPlot
