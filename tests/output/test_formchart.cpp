// The form chart of a horse's speed figures: its points from a searched grid, the chart window opened from
// the pop-up menu, and the chart command of turftrawler-cli.
#include "runcli.h"
#include "search/searchfixture.h"

#include "app/frmmainfinder.h"
#include "app/gridview.h"
#include "core/headlessplatform.h"
#include "output/formchart.h"
#include "output/frmformchart.h"
#include "output/gridinteractions.h"
#include "output/gridsettings.h"

#include <QAction>
#include <QApplication>
#include <QChart>
#include <QChartView>
#include <QContextMenuEvent>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScatterSeries>
#include <QToolTip>

namespace
{

/** The main window after a search for Blue Streak by name. */
struct Window {
    explicit Window(SearchFixture& fx) : w(p, fx.path(), fx.path() + u"/breeding.txt"_s)
    {
        p.dateFormat = u"d MMM yyyy"_s;
        w.Form_Load();
        w.show();
        w.txthorse->setText(u"Blue Streak"_s);
        w.cmdgethorse->click();
    }
    GridState& grid() { return w.state().MSFlexGrid1; }
    /** A right-button press on a data row, as a pointer gives it. */
    void rightClick(int row)
    {
        const QPoint at = w.MSFlexGrid1->visualRect(w.MSFlexGrid1->model()->index(row - 1, 2)).center();
        QTest::mouseClick(w.MSFlexGrid1->viewport(), Qt::LeftButton, {}, at);
        QContextMenuEvent press(QContextMenuEvent::Mouse, at, w.MSFlexGrid1->viewport()->mapToGlobal(at));
        QApplication::sendEvent(w.MSFlexGrid1->viewport(), &press);
    }

    HeadlessPlatform p;
    frmmainfinder w;
};

/** Each point as "key|figure|colour" with "|win" for a win. */
QString describe(const FormChart& chart)
{
    QStringList out;
    for (const FormPoint& p : chart.points)
        out << p.racenum + u'|' + p.sp + u'|' + QString::number(p.colour) + (p.win ? u"|win"_s : QString());
    return out.join(u' ');
}

} // namespace

class TestFormChart : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        m_fx = std::make_unique<SearchFixture>();
        // One start a week, each on another going; the third without a figure.
        const char* goings[][2] = {{"D", "F"}, {"T", "G"}, {"D", "S"}, {"T", "Y"}, {"D", "M"}, {"T", "F"}};
        const double figures[] = {70, 75, 0, 80, 72, 85.5};
        for (int i = 0; i < 6; ++i)
            m_fx->add({.week = 583 + i,
                       .fin = i % 3 ? 2 + i : 1,
                       .sp = figures[i],
                       .surf = QString::fromLatin1(goings[i][0]),
                       .cond = QString::fromLatin1(goings[i][1])});
        m_fx->exec(u"UPDATE tblhorsedata SET sp = NULL WHERE racenum > 585 AND racenum < 586"_s);
        // Another horse of the same name in the same grid.
        m_fx->add({.hid = 200, .week = 586, .race = 6, .sp = 99});
        m_fx->add({.hname = u"No Figures"_s, .hid = 300, .week = 584, .race = 7});
        m_fx->exec(u"UPDATE tblhorsedata SET sp = NULL WHERE hid = 300"_s);
    }

    void pointsAreTheHorsesGridRowsOldestFirst()
    {
        Window t(*m_fx);
        QCOMPARE(t.grid().rows(), 8);
        // Whatever order the grid is in, and from whichever of its rows.
        t.grid().setCurrent(1, 8);
        MSFlexGrid1_DblClick(t.w.state());
        const int row = t.grid().text(1, 1) == u"100"_s ? 1 : 2;
        t.grid().setCurrent(row, 0);
        const auto chart = chartspeed_Click(t.w.state());
        QVERIFY(chart);
        QCOMPARE(describe(*chart), u"583.0405|70.0|4|win 584.0405|75.0|3 586.0405|80.0|6|win "
                                   "587.0405|72.0|0 588.0405|85.5|2"_s);
        for (const FormPoint& p : chart->points) {
            int r = 1;
            while (r < t.grid().rows() - 1 &&
                   (t.grid().text(r, 2) != p.racenum || t.grid().text(r, 1) != u"100"_s))
                ++r;
            QCOMPARE(t.grid().text(r, 8) + u'@' + p.racenum, p.sp + u'@' + t.grid().text(r, 2));
            QCOMPARE(t.grid().colour(r, 0), p.colour);
        }
        QCOMPARE(chart->points[2].date, QDate(2000, 2, 26));
        QCOMPARE(chart->best, 85.5);
        QCOMPARE(chart->average, 76.5);

        // No figure to draw: a message, and no chart.
        t.grid().setText(1, 0, u"No Figures"_s);
        t.grid().setCurrent(1, 0);
        QVERIFY(!chartspeed_Click(t.w.state()));
        QCOMPARE(t.p.messages.last(), u"No speed figures of No Figures are listed to chart."_s);
    }

    void windowFromThePopupMenu()
    {
        Window t(*m_fx);
        t.rightClick(1);
        QVERIFY(t.w.popmenu->isVisible() && t.w.chartspeed->isVisible());
        t.w.popmenu->close();
        t.w.chartspeed->trigger();
        auto* window = t.w.findChild<frmformchart*>();
        QVERIFY(window && window->isVisible());
        QStringList series;
        QScatterSeries* wins = nullptr;
        for (QAbstractSeries* s : window->chartview->chart()->series()) {
            if (auto* points = qobject_cast<QScatterSeries*>(s)) {
                series << s->name() + u':' + QString::number(points->count()) + u':' + points->color().name();
                wins = points; // the last, over the points
            }
        }
        QCOMPARE(series.join(u' '), u"Dirt - Fast:1:#800000 Turf - Firm:1:#008000 Turf - Good:1:#008080 "
                                    "Turf - Yldg:1:#808000 Other:1:#000000 Win:2:#000000"_s);
        // A win's ring lies over its point: hovering it tells the race.
        emit wins->hovered(wins->at(0), true);
        QCOMPARE(QToolTip::text(),
                 u"Race 583.0405 (23 Feb 2000)\nCA, 6 furlongs, Alw\nPlace 1 of 8, speed 70.0"_s);

        const QString png = m_fx->path() + u"/chart.png"_s;
        t.p.saveAnswers = {png, m_fx->path() + u"/no/such/dir.png"_s};
        QTest::mouseClick(window->cmdsavepng, Qt::LeftButton);
        QFile file(png);
        QVERIFY(file.open(QIODevice::ReadOnly) && file.read(4) == "\x89PNG");
        QTest::mouseClick(window->cmdsavepng, Qt::LeftButton);
        QVERIFY(t.p.messages.last().startsWith(u"The chart could not be saved to "_s));

        // A progeny result's rows are stallions: nothing to chart.
        showSireLayout(t.w.state());
        PopupMenu menu;
        QVERIFY(MSFlexGrid1_MouseDown(t.w.state(), MouseButton::Right, menu));
        QVERIFY(!menu.entry(u"chartspeed"_s).visible);
    }

    void commandLine()
    {
        Window t(*m_fx); // the window's selection after the search: the oldest start, Blue Streak 100's
        const QJsonObject expected = chartspeed_Click(t.w.state())->toJson();
        const QStringList horse{u"chart"_s, u"--horse"_s, u"Blue Streak"_s};
        const QByteArray json = runCli(m_fx->path(), horse + QStringList{u"--json"_s}, 0, false);
        QCOMPARE(QJsonDocument::fromJson(json).object(), expected);
        QCOMPARE(expected[u"points"_s].toArray().at(0).toObject(), QJsonObject({{u"racenum"_s, u"583.0405"_s},
                                                                                {u"date"_s, u"2000-02-23"_s},
                                                                                {u"sp"_s, u"70.0"_s},
                                                                                {u"colour"_s, 4},
                                                                                {u"win"_s, true}}));

        const QString png = m_fx->path() + u"/cli.png"_s;
        QVERIFY(
            runCli(m_fx->path(), horse + QStringList{u"--png"_s, png}, 0, false).startsWith("Speed Figures"));
        QFile file(png);
        QVERIFY(file.open(QIODevice::ReadOnly) && file.read(4) == "\x89PNG");
        QVERIFY(runCli(m_fx->path(), {u"chart"_s, u"--horse"_s, u"Nobody"_s}, 1).contains("No horses"));
        QVERIFY(runCli(m_fx->path(), {u"chart"_s, u"--horse"_s, u"No Figures"_s}, 1).contains("No speed"));
        QVERIFY(runCli(m_fx->path(), {u"chart"_s}, 2).contains("give --horse"));
        QVERIFY(runCli(m_fx->path(), horse + QStringList{u"--png"_s, m_fx->path() + u"/no/dir.png"_s}, 1)
                    .contains("could not be saved"));
    }

private:
    std::unique_ptr<SearchFixture> m_fx;
};

QTEST_MAIN(TestFormChart)
#include "test_formchart.moc"
