#include "gui/widgets/formchartplot.h"

#include "core/gridstate.h"
#include "core/replacingfile.h"
#include "output/formchart.h"

#include <QChart>
#include <QChartView>
#include <QCoreApplication>
#include <QCursor>
#include <QDateTimeAxis>
#include <QLegend>
#include <QLegendMarker>
#include <QLineSeries>
#include <QPixmap>
#include <QScatterSeries>
#include <QToolTip>
#include <QValueAxis>

#include <algorithm>

namespace FormChartPlot
{

namespace
{

QColor paletteColour(std::uint8_t index)
{
    int r = 0, g = 0, b = 0;
    Palette::rgb(index, r, g, b);
    return QColor(r, g, b);
}

/** Noon of the race day in UTC: the axis, which shows local time, shows the same day in every zone. */
QDateTime noon(const QDate& date)
{
    return QDateTime(date, QTime(12, 0), Qt::UTC);
}

qreal xOf(const QDate& date)
{
    return qreal(noon(date).toMSecsSinceEpoch());
}

QLineSeries* guide(QChart* chart, const QString& name, double y, qreal x0, qreal x1, Qt::PenStyle style)
{
    auto* s = new QLineSeries(chart);
    s->setName(name);
    s->append(x0, y);
    s->append(x1, y);
    s->setPen(QPen(QColor(70, 70, 70), 1.5, style));
    chart->addSeries(s);
    return s;
}

} // namespace

namespace
{

/** The grey line through the points, the best and average guides from first to last, the points in their
    colour key colours (one series a colour, named as the key names it) and the wins ringed, in that order;
    the line is returned. */
QLineSeries* addSeries(QChart* chart, const FormChart& form, QDate first, QDate last, QScatterSeries*& wins)
{
    auto* line = new QLineSeries(chart);
    line->setPen(QPen(QColor(150, 150, 150), 1.5));
    for (const FormPoint& p : form.points)
        line->append(xOf(p.date), p.figure);
    chart->addSeries(line);
    guide(chart, QStringLiteral("Best %1").arg(form.best, 0, 'f', 1), form.best, xOf(first), xOf(last),
          Qt::DashLine);
    guide(chart, QStringLiteral("Average %1").arg(form.average, 0, 'f', 1), form.average, xOf(first),
          xOf(last), Qt::DotLine);
    // One series per colour, named as the colour key names it, so that the legend is the key.
    for (const auto& [colour, name] : form.colours) {
        auto* s = new QScatterSeries(chart);
        s->setName(name);
        s->setMarkerSize(11);
        s->setColor(paletteColour(colour));
        s->setBorderColor(Qt::white);
        for (const FormPoint& p : form.points)
            if (p.colour == colour)
                s->append(xOf(p.date), p.figure);
        chart->addSeries(s);
    }
    wins = new QScatterSeries(chart);
    wins->setName(QStringLiteral("Win"));
    wins->setMarkerSize(21);
    wins->setBrush(Qt::NoBrush);
    wins->setPen(QPen(Qt::black, 2));
    for (const FormPoint& p : form.points)
        if (p.win)
            wins->append(xOf(p.date), p.figure);
    chart->addSeries(wins);
    return line;
}

/** Race dates along the bottom from first to last, speed figures up the side, every series on both. */
void addAxes(QChart* chart, const FormChart& form, QDate first, QDate last, qint64 span)
{
    auto* x = new QDateTimeAxis(chart);
    x->setFormat(span > 400 ? QStringLiteral("MMM yyyy") : QStringLiteral("d MMM yyyy"));
    x->setTitleText(QStringLiteral("Race date"));
    // Fewer ticks than days apart: no day is labelled twice.
    x->setTickCount(int(std::min<qint64>(7, first.daysTo(last) + 1)));
    x->setRange(noon(first), noon(last));
    auto* y = new QValueAxis(chart);
    y->setTitleText(QStringLiteral("Speed figure"));
    const auto [low, high] = std::ranges::minmax_element(form.points, {}, &FormPoint::figure);
    y->setRange(low == form.points.end() ? 0 : low->figure - 3,
                high == form.points.end() ? 100 : high->figure + 3);
    y->applyNiceNumbers();
    y->setLabelFormat(QStringLiteral("%.0f"));
    chart->addAxis(x, Qt::AlignBottom);
    chart->addAxis(y, Qt::AlignLeft);
    for (QAbstractSeries* s : chart->series()) {
        s->attachAxis(x);
        s->attachAxis(y);
    }
}

/** The race of a point when the pointer rests on it. A win's ring lies over its point and takes the pointer
    first: every scatter series looks the point up. */
void addTips(QChartView* view, const FormChart& form, const QString& dateFormat)
{
    QList<QPair<QPointF, QString>> tips;
    for (const FormPoint& p : form.points)
        tips.append({QPointF(xOf(p.date), p.figure), p.tip(dateFormat)});
    for (QAbstractSeries* s : view->chart()->series()) {
        if (auto* points = qobject_cast<QScatterSeries*>(s)) {
            QObject::connect(points, &QScatterSeries::hovered, view,
                             [view, tips](const QPointF& at, bool on) {
                                 const auto it = std::ranges::find(tips, at, &QPair<QPointF, QString>::first);
                                 if (on && it != tips.end())
                                     QToolTip::showText(QCursor::pos(), it->second, view);
                                 else
                                     QToolTip::hideText();
                             });
        }
    }
}

} // namespace

QChartView* makeView(const FormChart& form, const QString& dateFormat, QWidget* parent)
{
    auto* chart = new QChart;
    chart->setTitle(form.title());
    QFont titleFont = chart->titleFont();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.3);
    titleFont.setBold(true);
    chart->setTitleFont(titleFont);
    chart->setAnimationOptions(QChart::NoAnimation);
    chart->legend()->setAlignment(Qt::AlignBottom);
    // Dashes for the guides and rings for wins read in the legend as they do on the chart.
    chart->legend()->setMarkerShape(QLegend::MarkerShapeFromSeries);

    // A day either side keeps the first and last points off the frame; one start still gets a span.
    const qint64 span = form.points.empty() ? 0 : form.points.front().date.daysTo(form.points.back().date);
    const qint64 pad = std::max<qint64>(2, span / 30);
    const QDate first = form.points.empty() ? QDate(2000, 1, 1) : form.points.front().date.addDays(-pad);
    const QDate last = form.points.empty() ? QDate(2000, 1, 1) : form.points.back().date.addDays(pad);

    QScatterSeries* wins = nullptr;
    QLineSeries* line = addSeries(chart, form, first, last, wins);
    addAxes(chart, form, first, last, span);
    for (QLegendMarker* m : chart->legend()->markers(line))
        m->setVisible(false);
    for (QLegendMarker* m : chart->legend()->markers(wins))
        m->setVisible(wins->count() > 0);

    auto* view = new QChartView(chart, parent);
    view->setRenderHint(QPainter::Antialiasing);
    addTips(view, form, dateFormat);
    return view;
}

QString savePng(QChartView& view, const QString& path)
{
    // A view never shown (the command-line tool's) lays its chart out from posted events.
    QCoreApplication::sendPostedEvents();
    ReplacingFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    if (!view.grab().save(&file, "PNG") && file.errorString().isEmpty())
        return QStringLiteral("the image could not be made");
    return file.commit() ? QString() : file.errorString();
}

} // namespace FormChartPlot
