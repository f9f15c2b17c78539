// The angles, the leaders and the head to head: their definitions' edges on hand-made weeks, their figures,
// and the commands.
#include "analysis/angles.h"
#include "analysis/headtohead.h"
#include "analysis/leaders.h"
#include "analysiswindowtest.h"
#include "core/headlessplatform.h"
#include "gui/analysis/frmangles.h"
#include "gui/analysis/frmheadtohead.h"
#include "gui/analysis/frmleaders.h"
#include "gui/app/frmmainfinder.h"
#include "progeny/progenyfixture.h"
#include "runcli.h"
#include "search/gethorse.h"

#include <QAction>
#include <QComboBox>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLineEdit>
#include <QTableView>

using namespace Analysis;

namespace
{

/** The starts of an angle as "hid:week", oldest first. */
QString startsOf(const AngleRow& row)
{
    std::vector<StartKey> keys = row.keys;
    std::sort(keys.begin(), keys.end(), [](const StartKey& a, const StartKey& b) {
        return std::pair(a.hid, a.racenum) < std::pair(b.hid, b.racenum);
    });
    QStringList out;
    for (const StartKey& k : keys)
        out << u"%1:%2"_s.arg(k.hid).arg(weekOf(k.racenum));
    return out.join(u' ');
}

QByteArray compact(const QJsonObject& o)
{
    return QJsonDocument(o).toJson(QJsonDocument::Compact);
}

/** Runs a window's analysis with Enter and waits until it is shown. */
void runByEnter(AnalysisPanel* w)
{
    QTest::keyClick(w, Qt::Key_Return);
    QTRY_VERIFY(!w->busy());
}

/** The cell texts of a row of a window's table. */
QStringList rowOf(const QTableView* view, int r, int columns)
{
    QStringList out;
    for (int c = 0; c < columns; ++c)
        out << view->model()->index(r, c).data().toString();
    return out;
}

} // namespace

class TestAngles : public QObject
{
    Q_OBJECT

    /** Horses whose starts sit on each angle's edge; the window is weeks 65 to 200. */
    void addEdges(SearchFixture& f)
    {
        // 1: its first stored start, back after exactly 45 weeks, its second start, then a gap of 44.
        for (const int w : {100, 145, 150, 194})
            f.add({.hid = 1, .week = w, .race = 1});
        // 2: a price raised by exactly half under the same owner, a claim that drops it, 20999 after 14000.
        f.add({.hid = 2, .week = 100, .race = 2, .oname = u"Red Barn"_s, .cprice = 10000, .restr = u"Clm"_s});
        f.add({.hid = 2, .week = 101, .race = 2, .oname = u"Red Barn"_s, .cprice = 15000, .restr = u"Clm"_s});
        f.add(
            {.hid = 2, .week = 102, .race = 2, .oname = u"Blue Barn"_s, .cprice = 14000, .restr = u"Clm"_s});
        f.add(
            {.hid = 2, .week = 103, .race = 2, .oname = u"Blue Barn"_s, .cprice = 20999, .restr = u"Clm"_s});
        // 3: surfaces, trips and maiden classes; 7.9 furlongs is still a sprint.
        f.add({.hid = 3, .week = 100, .race = 3, .restr = u"MS"_s});
        f.add({.hid = 3,
               .week = 101,
               .race = 3,
               .surf = u"T"_s,
               .dist = 8.5,
               .cprice = 25000,
               .restr = u"MC"_s});
        f.add({.hid = 3, .week = 102, .race = 3});
        f.add({.hid = 3, .week = 103, .race = 3, .dist = 7.9});
        f.add({.hid = 3, .week = 104, .race = 3, .dist = 8});
        // 4: back from a rest before the window; its second start is the window's first.
        for (const int w : {10, 60, 70})
            f.add({.hid = 4, .week = w, .race = 4});
    }

    /** Weeks 10 to 13: horses 1, 2 and 3 all ran, then 1 and 2, 2 and 3, then 1 alone. */
    void addMeetings(SearchFixture& f)
    {
        f.add({.hid = 1, .week = 10, .fin = 3, .sp = 81.25});
        f.add({.hid = 2, .week = 10, .fin = 1, .sp = 90});
        f.add({.hid = 3, .week = 10, .fin = 2, .sp = 85});
        f.add({.hid = 1, .week = 11, .fin = 1, .cprice = 5000, .restr = u"Clm"_s});
        f.add({.hid = 2, .week = 11, .fin = 4, .cprice = 5000, .restr = u"Clm"_s});
        f.add({.hid = 2, .week = 12, .track = 7, .fin = 6, .surf = u"T"_s});
        f.add({.hid = 3, .week = 12, .track = 7, .fin = 5, .surf = u"T"_s});
        f.add({.hid = 1, .week = 13, .fin = 1});
    }

    Angles anglesOf(SearchFixture& f, const AngleFilter& filter, const BreedingIndex* sires = nullptr)
    {
        const auto data = WindowData::read(f.db(), {65, 200}, anglesRequest());
        return angles(*data, filter, sires);
    }

private slots:
    void eachAngleHasItsEdges()
    {
        ProgenyFixture f;
        addEdges(f);
        const Angles a = anglesOf(f, {});
        const QStringList expected = {
            u"1:100 1:145 1:150 1:194 2:100 2:101 2:102 2:103 3:100 3:101 3:102 3:103 3:104 4:70"_s,
            u"1:145"_s,
            u"1:150 4:70"_s,
            u"2:102"_s,
            u"2:102"_s,
            u"2:101"_s,
            u"3:101"_s,
            u"3:102"_s,
            u"3:101 3:104"_s,
            u"3:102"_s,
            u"3:101"_s};
        for (int i = 0; i < AngleCount; ++i)
            QCOMPARE(angleName(a.rows[std::size_t(i)].angle) + u": "_s + startsOf(a.rows[std::size_t(i)]),
                     angleName(Angle(i)) + u": "_s + expected[i]);
        QCOMPARE(a.base.starts, 14);

        // A layoff of 44 weeks makes week 194 a first start after one, and week 145 no longer a second.
        const Angles shorter = anglesOf(f, {AngleFilter::Kind::All, {}, 44});
        QCOMPARE(startsOf(shorter.rows[1]), u"1:145 1:194"_s);
        QCOMPARE(startsOf(shorter.rows[2]), u"1:150 4:70"_s);
        QCOMPARE(angleStarts(shorter, shorter.rows[2]).subject,
                 u"Second start after a layoff of 44 weeks, "_s + shorter.weeks.text());

        // The owner at the start, in any letter case; the impact still against every start of the window.
        const Angles blue = anglesOf(f, {AngleFilter::Kind::Owner, u"BLUE barn"_s, 45});
        QCOMPARE(startsOf(blue.rows[0]), u"2:102 2:103"_s);
        QCOMPARE(startsOf(blue.rows[3]), u"2:102"_s);
        QCOMPARE(blue.base.starts, 14);
    }

    void aSireIsTheFirstRecordOfTheHorse()
    {
        ProgenyFixture f;
        addEdges(f);
        // Horse 1's record fails the id check and is passed over; horse 3's second record does not count.
        f.writeBreeding(breedingHorse(3, "Three", "Storm Cat") + breedingHorse(3, "Three", "Big Red") +
                        "1,One,4,C,x\r\n9,Storm Cat,0\r\n9,a,0\r\n9,b,0\r\n" +
                        breedingHorse(2, "Two", "storm cat"));
        const auto sires = BreedingIndex::read(f.breedingPath(), ProgenySearchMode::Sire);
        QVERIFY(sires);
        const Angles a = anglesOf(f, {AngleFilter::Kind::Sire, u"STORM CAT"_s, 45}, &*sires);
        QCOMPARE(startsOf(a.rows[0]), u"2:100 2:101 2:102 2:103 3:100 3:101 3:102 3:103 3:104"_s);
    }

    void groupFigures()
    {
        // The window: 100 starts, 10 winners.
        GroupStats base;
        for (int i = 0; i < 100; ++i)
            base.add(i < 10 ? 1 : 5, 4);
        GroupStats ten, nine, none, empty;
        for (int i = 0; i < 10; ++i) {
            ten.add(i < 2 ? 1 : (i < 5 ? 3 : 7), 4);
            none.add(2, 1.5 * (i + 1) - 1);
            if (i < 9)
                nine.add(i == 0 ? 1 : 4, 9);
        }
        const auto json = [&](const GroupStats& g) {
            QJsonObject o;
            addStatsJson(o, g, base);
            return compact(o);
        };
        QCOMPARE(json(ten), R"({"ae":1,"expected":2,"few":false,"impact":2,"itm_pct":50,"low":true,)"
                            R"("return_per_2":2,"starts":10,"win_pct":20,"wins":2})");
        QCOMPARE(json(nine),
                 R"({"ae":1.11,"expected":0.9,"few":true,"impact":1.11,"itm_pct":11.1,"low":true,)"
                 R"("return_per_2":2.22,"starts":9,"win_pct":11.1,"wins":1})");
        // Expected: 1/1.5 + 1/3 + ... + 1/15 = (2/3) (1 + 1/2 + ... + 1/10) = 1.95.
        QCOMPARE(json(none), R"({"ae":0,"expected":1.95,"few":false,"impact":0,"itm_pct":100,"low":true,)"
                             R"("return_per_2":0,"starts":10,"win_pct":0,"wins":0})");
        QCOMPARE(json(empty), R"({"ae":null,"expected":0,"few":true,"impact":null,"itm_pct":null,"low":true,)"
                              R"("return_per_2":null,"starts":0,"win_pct":null,"wins":0})");
        QCOMPARE(statsDoubt(nine), u"Only 9 starts: fewer than 10. Only 0.90 winners expected by the odds: "
                                   u"fewer than 5."_s);
        QCOMPARE(statsMark(ten), u"low"_s);
    }

    void stallionsSpelledTwoWaysAreOne()
    {
        ProgenyFixture f;
        // 99 has no start: its spelling is not among the counted records.
        f.writeBreeding(breedingHorse(99, "Ninety", "storm CAT") + breedingHorse(1, "One", "Storm Cat") +
                        breedingHorse(2, "Two", "STORM CAT") + breedingHorse(3, "Three", "Big Red"));
        f.add({.hid = 1, .week = 100, .fin = 1, .purse = 10000});
        f.add({.hid = 2, .week = 101, .fin = 2, .surf = u"T"_s, .dist = 9, .purse = 10001});
        f.add({.hid = 3, .week = 101, .race = 6, .fin = 1, .cond = u"S"_s});
        f.add({.hid = 3, .week = 102, .fin = 1});
        const auto data = WindowData::read(f.db(), {100, 102}, leadersRequest(LeaderKind::Sire));
        const auto sires = BreedingIndex::read(f.breedingPath(), ProgenySearchMode::Sire);
        const Leaders l = leaders(*data, LeaderKind::Sire, 2, &*sires);
        QCOMPARE(l.rows.size(), std::size_t(2));
        // Big Red: 2 wins of 2 at odds of 2.5; Storm Cat 1 of 2, with 6,000 + 2,500 (10,001 x 0.25) earned.
        const QJsonArray rows = leadersJson(l)[u"rows"_s].toArray();
        QCOMPARE(compact({{u"name"_s, rows[0][u"name"_s]},
                          {u"ae"_s, rows[0][u"ae"_s]},
                          {u"impact"_s, rows[0][u"impact"_s]},
                          {u"off"_s, rows[0][u"off"_s]}}),
                 R"({"ae":3.5,"impact":1.33,"name":"Big Red","off":{"starts":1,"wins":1}})");
        QCOMPARE(compact({{u"name"_s, rows[1][u"name"_s]},
                          {u"earnings"_s, rows[1][u"earnings"_s]},
                          {u"dirt"_s, rows[1][u"dirt"_s]},
                          {u"turf"_s, rows[1][u"turf"_s]},
                          {u"route"_s, rows[1][u"route"_s]}}),
                 R"({"dirt":{"starts":1,"wins":1},"earnings":8500,"name":"Storm Cat",)"
                 R"("route":{"starts":1,"wins":0},"turf":{"starts":1,"wins":0}})");
        QCOMPARE(leaders(*data, LeaderKind::Sire, 3, &*sires).rows.size(), std::size_t(0));
    }

    void threeHorsesMeet()
    {
        SearchFixture f;
        addMeetings(f);
        const auto h = headToHead(f.db(), {3, 1, 2});
        QVERIFY(h);
        const QJsonObject o = headToHeadJson(*h);
        QCOMPARE(compact({{u"ahead"_s, o[u"ahead"_s]}, {u"horses"_s, o[u"horses"_s]}}),
                 R"({"ahead":[[0,1,1],[0,0,1],[1,1,0]],"horses":[3,1,2]})");
        QCOMPARE(compact(o[u"races"_s][0].toObject()),
                 R"({"class":"Alw","dist":6,"price":0,"racenum":12.0705,"starts":[{"fin":5,"hid":3,"sp":80},)"
                 R"({"fin":6,"hid":2,"sp":80}],"surf":"T","week":12})");
        QCOMPARE(o[u"races"_s].toArray().size(), 3);
        QCOMPARE(o[u"races"_s][1][u"price"_s].toInt(), 5000);
        QCOMPARE(meetRacesTable(*h).rows[0].cells[2].text, u"KY"_s);
        QCOMPARE(headToHead(f.db(), {1, 4}).error(), u"Horse 4 has no stored start."_s);
    }

    void windowsDrivenOffscreen()
    {
        ProgenyFixture fx;
        addMeetings(fx);
        fx.writeBreeding(breedingHorse(1, "One", "Storm Cat") + breedingHorse(2, "Two", "STORM CAT") +
                         breedingHorse(3, "Three", "Big Red"));
        HeadlessPlatform p;
        frmmainfinder main(p, fx.path(), fx.breedingPath());
        QVERIFY(main.Form_Load());
        main.show();
        MainWindowState& f = main.state();

        // Angles: run at once; too few starts for any angle here, each row grey with its reasons.
        control<QAction>(main, "cmdangles")->trigger();
        auto* angles = control<frmangles>(main, "frmangles");
        QTRY_VERIFY(!angles->busy());
        // The sire box follows the main window's breeding file, whenever the window comes up.
        QVERIFY(angles->txtsire->isEnabled());
        f.panel.progenyEnabled = false;
        angles->hide();
        control<QAction>(main, "cmdangles")->trigger();
        QVERIFY(!angles->txtsire->isEnabled());
        f.panel.progenyEnabled = true;
        angles->hide();
        control<QAction>(main, "cmdangles")->trigger();
        QVERIFY(angles->txtsire->isEnabled());
        const QModelIndex all = angles->MSFangles->model()->index(0, 1);
        QCOMPARE(all.data().toString(), u"8"_s);
        QCOMPARE(all.data(Qt::ToolTipRole).toString(),
                 u"Only 8 starts: fewer than 10. Only 2.29 winners expected by the odds: fewer than 5."_s);
        QCOMPARE(all.data(Qt::ForegroundRole).value<QBrush>().color(), QColor(Qt::gray));
        QCOMPARE(all.data(Qt::TextAlignmentRole).toInt(), int(Qt::AlignRight | Qt::AlignVCenter));
        QCOMPARE(angles->MSFangles->model()->index(1, 0).data(Qt::ToolTipRole).toString(), u"No starts."_s);
        angles->txtlayoff->setText(u"0"_s);
        runByEnter(angles);
        QCOMPARE(p.messages.last(), u"The layoff \"0\" is not a whole number of weeks from 1."_s);
        angles->txtlayoff->setText(u"45"_s);
        angles->txtowner->setText(u"red BARN"_s);
        angles->txtsire->setText(u"Storm Cat"_s);
        runByEnter(angles);
        QCOMPARE(p.messages.last(), u"Give an owner or a sire, not both."_s);
        angles->txtowner->clear();
        angles->txtfirstweek->setText(u"11"_s);
        runByEnter(angles);
        QCOMPARE(rowOf(angles->MSFangles, 3, 3), L("First start after a claim||"));
        QCOMPARE(rowOf(angles->MSFangles, 6, 3), L("Dirt to turf|1|0"));
        // Horse 2 after its claiming race of week 11, under the same owner: not a claim, but a change of
        // surface.
        doubleClick(angles->MSFangles, 6);
        QVERIFY2(f.frainfo.startsWith(u"Statistics for Dirt to turf, weeks 11-13, sire Storm Cat;"_s),
                 qPrintable(f.frainfo));
        QCOMPARE(f.MSFlexGrid1.text(1, 2), u"12.0705"_s);
        QTest::keyClick(angles, Qt::Key_Escape);
        QTRY_VERIFY(!main.findChild<frmangles*>());

        // Leaders: the sires from the breeding file, "Storm Cat" spelled two ways.
        control<QAction>(main, "cmdleaders")->trigger();
        auto* leaders = control<frmleaders>(main, "frmleaders");
        QTRY_VERIFY(!leaders->busy());
        QCOMPARE(leaders->MSFleaders->model()->rowCount(), 0);
        leaders->cboby->setCurrentIndex(1);
        leaders->txtminstarts->setText(u"1"_s);
        runByEnter(leaders);
        QCOMPARE(rowOf(leaders->MSFleaders, 0, 3), L("Storm Cat|6|3"));
        QCOMPARE(rowOf(leaders->MSFleaders, 1, 3), L("Big Red|2|0"));
        doubleClick(leaders->MSFleaders, 1);
        QVERIFY2(f.frainfo.startsWith(u"Statistics for Progeny of Big Red as sire, weeks -351-13;"_s),
                 qPrintable(f.frainfo));

        // Head to head from the pop-up, a horse at a time; it runs once two are given.
        gethorse(f, 3, QString(), u"3"_s);
        main.refresh();
        control<QAction>(main, "headtohead")->trigger();
        auto* meet = control<frmheadtohead>(main, "frmheadtohead");
        QCOMPARE(meet->txthorse[0]->text(), u"3"_s);
        QVERIFY(meet->meeting().horses.empty());
        gethorse(f, 3, QString(), u"1"_s);
        main.refresh();
        control<QAction>(main, "headtohead")->trigger();
        QCOMPARE(meet->txthorse[1]->text(), u"1"_s);
        QTRY_VERIFY(!meet->busy());
        QCOMPARE(rowOf(meet->MSFraces, 0, 10), L("10.0405|10|CA|6|D|Alw|2|85.0|3|81.3"));
        QCOMPARE(rowOf(meet->MSFahead, 0, 4), L("Blue Streak|3||1"));
        doubleClick(meet->MSFraces, 0);
        QCOMPARE(f.MSFlexGrid1.rows(), 4);
        QCOMPARE(f.MSFlexGrid1.text(1, 2), u"10.0405"_s);
    }

    void commands()
    {
        ProgenyFixture f;
        addEdges(f);
        QCOMPARE(
            runCli(f.path(), {u"leaders"_s, u"--by"_s, u"damsire"_s, u"--breeding"_s, f.breedingPath()}, 1),
            "turftrawler-cli leaders: the breeding file " + f.breedingPath().toUtf8() + " does not exist\n");
        const QByteArray text = runCli(f.path(), {u"angles"_s, u"--first-week"_s, u"65"_s}, 0);
        QVERIFY2(text.startsWith("Angles, weeks 65-194, layoff 45 weeks\nAngle "), text.constData());
        QVERIFY2(text.contains("\nFirst start after a layoff   ") && text.contains(" (few, low)\n"),
                 text.constData());
        QCOMPARE(runCli(f.path(), {u"meet"_s, u"1"_s, u"2"_s, u"--json"_s, u"--first-week"_s, u"5"_s}, 2),
                 "turftrawler-cli meet: unexpected argument --first-week\n");
        QCOMPARE(runCli(f.path(), {u"meet"_s, u"1"_s}, 2),
                 "turftrawler-cli meet: takes 2 to 4 horses, not 1\n");
        QCOMPARE(runCli(f.path(), {u"angles"_s, u"--sire"_s, u"--json"_s}, 2),
                 "turftrawler-cli angles: an option is missing its value\n");
        QCOMPARE(runCli(f.path(), {u"angles"_s, u"--sire"_s, u" "_s}, 2),
                 "turftrawler-cli angles: --owner and --sire take a name\n");
    }
};

QTEST_MAIN(TestAngles)
#include "test_angles.moc"
