// The form chart of a horse's speed figures: its points from a searched grid, the chart window opened from
// the pop-up menu, and the chart command of turftrawler-cli.
#include "runcli.h"
#include "search/searchfixture.h"

#include "core/headlessplatform.h"
#include "gui/app/frmmainfinder.h"
#include "gui/output/frmformchart.h"
#include "gui/widgets/gridview.h"
#include "output/formchart.h"
#include "output/gridinteractions.h"
#include "output/gridsettings.h"

#include <QAction>
#include <QChart>
#include <QChartView>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScatterSeries>
#include <QToolTip>

namespace
{

/** The chart of Blue Streak 100, as the command line's --json gives it. */
const QByteArray BlueStreakChart =
    R"({"average":"76.5","best":"85.5","points":[)"
    R"({"colour":4,"date":"2000-02-23","racenum":"583.0405","sp":"70.0","win":true},)"
    R"({"colour":3,"date":"2000-02-24","racenum":"584.0405","sp":"75.0","win":false},)"
    R"({"colour":6,"date":"2000-02-26","racenum":"586.0405","sp":"80.0","win":true},)"
    R"({"colour":0,"date":"2000-02-28","racenum":"587.0405","sp":"72.0","win":false},)"
    R"({"colour":2,"date":"2000-02-29","racenum":"588.0405","sp":"85.5","win":false}]})";

/** The main window after a search for Blue Streak by name. */
struct Window {
    explicit Window(SearchFixture& fx) : w(p, fx.path(), fx.path() + u"/breeding.txt"_s)
    {
        p.dateFormat = u"d MMM yyyy"_s;
        w.Form_Load();
        w.show();
        control<QLineEdit>(w, "txthorse")->setText(u"Blue Streak"_s);
        control<QPushButton>(w, "cmdgethorse")->click();
    }
    GridState& grid() { return w.state().MSFlexGrid1; }

    HeadlessPlatform p;
    frmmainfinder w;
};

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
        for (int i = 0; i < 6; ++i) {
            Run r{.week = 583 + i, .fin = i % 3 ? 2 + i : 1, .sp = figures[i]};
            r.surf = QString::fromLatin1(goings[i][0]), r.cond = QString::fromLatin1(goings[i][1]);
            m_fx->add(r);
        }
        m_fx->exec(u"UPDATE tblhorsedata SET sp = NULL WHERE racenum > 585 AND racenum < 586"_s);
        // Another horse of the same name in the same grid.
        m_fx->add({.hid = 200, .week = 586, .race = 6, .sp = 99});
        m_fx->add({.hname = u"No Figures"_s, .hid = 300, .week = 584, .race = 7});
        m_fx->exec(u"UPDATE tblhorsedata SET sp = NULL WHERE hid = 300"_s);
    }

    void pointsAreTheHorsesGridRowsOldestFirst()
    {
        Window t(*m_fx);
        // Whatever order the grid is in, and from whichever of its rows.
        t.grid().setCurrent(1, 8);
        MSFlexGrid1_DblClick(t.w.state());
        const int row = t.grid().text(1, 1) == u"100"_s ? 1 : 2;
        t.grid().setCurrent(row, 0);
        const auto chart = chartspeed_Click(t.w.state());
        QVERIFY(chart);
        // The format of the command line's --json, in the grid's texts.
        QCOMPARE(QJsonDocument(chart->toJson()).toJson(QJsonDocument::Compact), BlueStreakChart);
    }

    void windowFromThePopupMenu()
    {
        Window t(*m_fx);
        t.grid().setCurrent(1, 2);
        emit control<GridView>(t.w, "MSFlexGrid1")->popupRequested(QPoint(10, 10));
        QVERIFY(control<QMenu>(t.w, "popmenu")->isVisible() &&
                control<QAction>(t.w, "chartspeed")->isVisible());
        control<QMenu>(t.w, "popmenu")->close();
        control<QAction>(t.w, "chartspeed")->trigger();
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
        QVERIFY(readFile(png).startsWith("\x89PNG"));
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
        // The window's selection after the search: the oldest start, Blue Streak 100's.
        const QStringList horse{u"chart"_s, u"--horse"_s, u"Blue Streak"_s};
        const QByteArray json = runCli(m_fx->path(), horse + QStringList{u"--json"_s}, 0, false);
        QCOMPARE(QJsonDocument::fromJson(json).toJson(QJsonDocument::Compact), BlueStreakChart);

        const QString png = m_fx->path() + u"/cli.png"_s;
        QVERIFY(
            runCli(m_fx->path(), horse + QStringList{u"--png"_s, png}, 0, false).startsWith("Speed Figures"));
        QVERIFY(readFile(png).startsWith("\x89PNG"));
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
