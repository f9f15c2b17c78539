#include "analysis/claims.h"
#include "analysis/placement.h"
#include "analysiswindowtest.h"
#include "core/headlessplatform.h"
#include "core/mainwindowstate.h"
#include "gui/analysis/frmclaimfinder.h"
#include "gui/analysis/frmclaimsmade.h"
#include "gui/analysis/frmclasspars.h"
#include "gui/analysis/frmplacement.h"
#include "gui/app/analysiswindows.h"
#include "gui/app/frmmainfinder.h"
#include "runcli.h"
#include "search/searchfixture.h"
#include "search/startlisting.h"
#include "startup/relisting.h"

#include <QAction>
#include <QCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QHeaderView>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QProgressBar>
#include <QPushButton>
#include <QTableView>

#include <cmath>

using namespace Analysis;

namespace
{

/** A race of the hand-made weeks; its starts are added with start(). */
struct Race {
    int week;
    int race;
    const char* restr;
    qint64 price;
    qint64 purse = 10000;
    const char* cond = "F";
    const char* surf = "D";
    double dist = 6;
};

void start(SearchFixture& fx, const Race& r, qint64 hid, int fin, double sp, const char* owner = "Owner One",
           const char* name = "Other Horse")
{
    Run s;
    s.hname = QString::fromUtf8(name);
    s.hid = hid;
    s.week = r.week;
    s.track = 1;
    s.race = r.race;
    s.fin = fin;
    s.sp = sp;
    s.oname = QString::fromUtf8(owner);
    s.cond = QString::fromUtf8(r.cond);
    s.surf = QString::fromUtf8(r.surf);
    s.dist = r.dist;
    s.purse = r.purse;
    s.cprice = r.price;
    s.restr = QString::fromUtf8(r.restr);
    fx.add(s);
}

/** A band's winners, one race each from race number `first`, with their figures. */
void winners(SearchFixture& fx, Race r, std::initializer_list<std::pair<int, double>> weekAndFigure)
{
    qint64 hid = 9000 + r.race * 10;
    for (const auto& [week, sp] : weekAndFigure) {
        r.week = week;
        start(fx, r, hid++, 1, sp);
        ++r.race;
    }
}

const Race ClmA{0, 10, "Clm", 7500};                               // the par 82.1 of weeks 101-110
const Race ClmB{0, 20, "Clm", 5000, 8000};                         // 4 winners: no par
const Race ClmC{0, 30, "Clm", 10000, 20000};                       // par 84.0
const Race Mdn{0, 40, "MC", 5000, 9000};                           // par 70.0
const Race AlwTurfRoute{105, 50, "Alw", 0, 30000, "F", "T", 8};    // firm turf, 8 furlongs: a route
const Race AlwDirtSprint{105, 51, "Alw", 0, 30000, "F", "D", 7.9}; // 7.9 furlongs: a sprint
const Race AlwOff{108, 52, "Alw", 0, 30000, "G", "T", 6};          // good turf: off

Race at(Race r, int week, int race)
{
    r.week = week;
    r.race = race;
    return r;
}

/** Weeks 100 to 111: the bands above, and horse 500, whose dirt form is 84 and which won in week 111. */
void fillPars(SearchFixture& fx)
{
    // Band A: five winners from the window's first week to its last; the winners of weeks 100 and 111 lie
    // outside it; a race of week 109 without a stored winner still counts, its purse making the mean 10500.5.
    winners(fx, ClmA, {{101, 80}, {104, 81}, {106, 82}, {108, 83}, {110, 84.5}, {100, 99}});
    winners(fx, ClmB, {{102, 70}, {103, 71}, {104, 72}, {105, 73}});
    winners(fx, ClmC, {{102, 82}, {103, 83}, {104, 84}, {105, 85}, {106, 86}});
    winners(fx, Mdn, {{102, 68}, {103, 69}, {104, 70}, {105, 71}, {106, 72}});
    winners(fx, AlwTurfRoute, {{105, 90}});
    winners(fx, AlwDirtSprint, {{105, 91}});
    winners(fx, AlwOff, {{108, 75}});
    const Race late = at(ClmA, 109, 60);
    start(fx, {late.week, late.race, "Clm", 7500, 13003}, 500, 3, 82, "Owner One", "Test Horse");
    start(fx, at(ClmA, 111, 61), 500, 1, 99, "Owner One", "Test Horse"); // its win, after the window
    start(fx, at(ClmB, 103, 21), 500, 2, 95, "Owner One", "Test Horse"); // the 4th newest on dirt: left out
    start(fx, at(ClmB, 105, 23), 500, 2, 84, "Owner One", "Test Horse");
    start(fx, at(ClmC, 107, 62), 500, 2, 83, "Owner One", "Test Horse");
    start(fx, at(AlwOff, 108, 52), 500, 2, 70, "Owner One", "Test Horse");
    // A maiden that never won: the maiden bands stay open to it.
    start(fx, at(ClmB, 104, 22), 600, 2, 75, "Owner Two", "Maiden Horse");
}

/** "class price category trip winners races par best purse" of each row. */
QStringList parRows(const QJsonObject& pars)
{
    QStringList out;
    for (const QJsonValue& v : pars[u"rows"_s].toArray()) {
        const QJsonObject r = v.toObject();
        out << u"%1 %2 %3 %4 %5 %6 %7 %8 %9"_s.arg(r[u"class"_s].toString())
                   .arg(r[u"price"_s].toInteger())
                   .arg(r[u"category"_s].toString(), r[u"trip"_s].toString())
                   .arg(r[u"winners"_s].toInt())
                   .arg(r[u"races"_s].toInt())
                   .arg(r[u"par"_s].isNull() ? u"null"_s : QString::number(r[u"par"_s].toDouble()))
                   .arg(r[u"best"_s].toDouble())
                   .arg(r[u"purse"_s].toInteger());
    }
    return out;
}

QJsonObject json(const QByteArray& text)
{
    return QJsonDocument::fromJson(text).object();
}

/** The texts of a column of a view, top to bottom, as it shows them. */
QStringList column(const QTableView* view, int c)
{
    QStringList out;
    for (int r = 0; r < view->model()->rowCount(); ++r)
        out << view->model()->index(r, c).data().toString();
    return out;
}

/** Runs a window's analysis for weeks 101-110 with Enter, and waits until it is shown. */
void runFor101To110(AnalysisPanel* w)
{
    QTRY_VERIFY(!w->busy());
    w->txtfirstweek->setText(u"101"_s);
    w->txtlastweek->setText(u"110"_s);
    QTest::keyClick(w, Qt::Key_Return);
    auto* moving = w->findChild<QProgressBar*>(u"busybar"_s);
    QVERIFY(moving->isVisible() && w->busy()); // until the window's thread hears the outcome
    QTRY_VERIFY(!w->busy());
    QVERIFY(!moving->isVisible());
}

} // namespace

class TestAnalysis : public QObject
{
    Q_OBJECT
private slots:
    void parsOfTheWindowsBands()
    {
        SearchFixture fx;
        fillPars(fx);
        const QStringList window{u"--first-week"_s, u"101"_s, u"--last-week"_s, u"110"_s, u"--json"_s};
        const QJsonObject pars = json(runCli(fx.path(), QStringList{u"pars"_s} + window, 0, false));
        QCOMPARE(pars[u"weeks"_s].toArray(), (QJsonArray{101, 110}));
        QCOMPARE(parRows(pars), QStringList({
                                    u"Alw 0 dirt sprint 1 1 null 91 30000"_s,
                                    u"Clm 5000 dirt sprint 4 4 null 73 8000"_s,
                                    u"Clm 7500 dirt sprint 5 6 82.1 84.5 10500"_s,
                                    u"Clm 10000 dirt sprint 5 6 84 86 20000"_s,
                                    u"MC 5000 dirt sprint 5 5 70 72 9000"_s,
                                    u"Alw 0 turf route 1 1 null 90 30000"_s,
                                    u"Alw 0 off sprint 1 1 null 75 30000"_s,
                                }));
        // The text table: a par from fewer than ten winners is marked, a band without one is "few".
        const QStringList text =
            QString::fromUtf8(runCli(fx.path(), QStringList{u"pars"_s} + window.mid(0, 4), 0)).split(u'\n');
        QCOMPARE(text.value(0), u"Class pars, weeks 101-110"_s);
        QVERIFY(text.value(4).contains(u" 82.1 ? "_s) && !text.value(4).endsWith(u"(few)"_s));
        QVERIFY(text.value(3).endsWith(u"  73.00   8,000 (few)"_s));
        // The default window: the 365 weeks ending at the newest stored week, 111.
        QCOMPARE(json(runCli(fx.path(), {u"pars"_s, u"--json"_s}, 0, false))[u"weeks"_s].toArray(),
                 (QJsonArray{-253, 111}));
        QVERIFY(runCli(fx.path(), {u"pars"_s, u"--first-week"_s, u"120"_s, u"--last-week"_s, u"110"_s}, 1)
                    .contains("The first week 120 is after the last week 110."));
    }

    void whereAHorseCanWin()
    {
        SearchFixture fx;
        fillPars(fx);
        const QStringList window{u"--first-week"_s, u"101"_s, u"--last-week"_s, u"110"_s, u"--json"_s};
        const QJsonObject p =
            json(runCli(fx.path(), QStringList{u"placement"_s, u"500"_s} + window, 0, false));
        QCOMPARE(
            QJsonDocument(p).toJson(QJsonDocument::Compact),
            QByteArray(R"({"form":{"dirt":84,"off":70,"turf":null},"hid":500,"last":{"category":"dirt",)"
                       R"("class":"Clm","par":82.1,"price":7500,"trip":"sprint"},"name":"Test Horse",)"
                       R"("owner":"Owner One","rows":[{"category":"dirt","class":"Clm","form":84,)"
                       R"("margin":0,"par":84,"price":10000,"purse":20000,"trip":"sprint","winners":5},)"
                       R"({"category":"dirt","class":"Clm","form":84,"margin":1.9,"par":82.1,"price":7500,)"
                       R"("purse":10500,"trip":"sprint","winners":5}]})"));
        // A maiden keeps the maiden classes; a name finds the horse as the search does.
        const QJsonObject maiden =
            json(runCli(fx.path(), QStringList{u"placement"_s, u"maiden h*"_s} + window, 0, false));
        QCOMPARE(maiden[u"hid"_s].toInt(), 600);
        QCOMPARE(maiden[u"rows"_s].toArray().last().toObject()[u"class"_s].toString(), u"MC"_s);
        // Its start of the window's last week is its newest.
        const QJsonObject to109 = json(runCli(
            fx.path(),
            {u"placement"_s, u"500"_s, u"--first-week"_s, u"101"_s, u"--last-week"_s, u"109"_s, u"--json"_s},
            0, false));
        QCOMPARE(to109[u"last"_s].toObject()[u"category"_s].toString(), u"dirt"_s);
        QCOMPARE(runCli(fx.path(), QStringList{u"placement"_s, u"123"_s} + window, 1),
                 QByteArray("turftrawler-cli placement: Horse 123 has no start in weeks 101-110.\n"));
        QCOMPARE(runCli(fx.path(), {u"placement"_s, u"500"_s, u"--last-week"_s, u"100"_s}, 1),
                 QByteArray("turftrawler-cli placement: Horse 500 has no start in weeks -264-100.\n"));
    }

    void claimFinderEdges()
    {
        SearchFixture fx;
        fillPars(fx);
        // Over weeks 71-110 band A has six winners: par 84.9; band C's par stays 84.
        const Race a81 = at(ClmA, 81, 70), a80 = at(ClmA, 80, 71);
        start(fx, a81, 1001, 2, 90, "Claimer", "Recent Enough");               // week 81 = 110 - 29: in
        start(fx, at(ClmA, 50, 72), 1001, 1, 70, "Claimer", "Recent Enough");  // counts in its record
        start(fx, at(ClmA, 111, 73), 1001, 1, 70, "Claimer", "Recent Enough"); // after the window: not
        start(fx, a80, 1002, 2, 95, "Claimer", "Too Long Ago");                // week 80: out
        start(fx, at(ClmC, 109, 74), 1003, 2, 84, "Claimer", "Only Level");    // form = par: no margin
        const QStringList window{u"--first-week"_s, u"71"_s, u"--last-week"_s, u"110"_s, u"--json"_s};
        const auto margins = [&](const QStringList& more) {
            QStringList out;
            const QJsonObject f = json(runCli(fx.path(), QStringList{u"claims"_s} + window + more, 0, false));
            for (const QJsonValue& v : f[u"rows"_s].toArray())
                out << u"%1:%2"_s.arg(v[u"hid"_s].toInt()).arg(v[u"margin"_s].toDouble());
            return out;
        };
        // Band A's winner of week 100, whose form beats the par, first; winners at the par of C and of the
        // maiden claimers left out, those above it in.
        QCOMPARE(margins({}), QStringList({u"9105:14.1"_s, u"1001:5.1"_s, u"9304:2"_s, u"9404:2"_s,
                                           u"9303:1"_s, u"9403:1"_s}));
        QCOMPARE(margins({u"--max-price"_s, u"5000"_s}), QStringList({u"9404:2"_s, u"9403:1"_s}));
        const QJsonObject f = json(runCli(fx.path(), QStringList{u"claims"_s} + window, 0, false));
        QCOMPARE(
            QJsonDocument(f[u"rows"_s].toArray().at(1).toObject()).toJson(QJsonDocument::Compact),
            QByteArray(R"({"category":"dirt","class":"Clm","earnings":8500,"form":90,"hid":1001,)"
                       R"("margin":5.1,"name":"Recent Enough","owner":"Claimer","par":84.9,"price":7500,)"
                       R"("starts":2,"trip":"sprint","week":81,"wins":1})"));
    }

    void claimsAndTheirSpells()
    {
        SearchFixture fx;
        const Race clm5{0, 1, "Clm", 5000}, clm75{0, 2, "Clm", 7500}, alw{0, 3, "Alw", 0, 20000},
            clm25{0, 4, "Clm", 2500};
        // 700: claimed from Alpha in week 99 (before the window), then from Beta, then sold without a claim.
        start(fx, at(clm5, 99, 1), 700, 3, 80, "Alpha", "Twice Claimed");
        start(fx, at(clm75, 101, 1), 700, 1, 80, "Beta", "Twice Claimed");
        start(fx, at(clm75, 103, 2), 700, 2, 80, "Beta", "Twice Claimed");
        start(fx, at(alw, 105, 1), 700, 4, 80, "Gamma", "Twice Claimed");
        start(fx, at(alw, 106, 2), 700, 5, 80, "Gamma", "Twice Claimed");
        start(fx, at(alw, 108, 3), 700, 1, 80, "Delta", "Twice Claimed");
        // 800: an owner whose name differs only in letter case is another owner; a claim after the window
        // does not count.
        start(fx, at(clm25, 100, 1), 800, 2, 80, "Eps", "Case Matters");
        start(fx, at(clm25, 102, 2), 800, 3, 80, "eps", "Case Matters");
        start(fx, at(clm25, 111, 3), 800, 3, 80, "Zeta", "Case Matters");
        // 900: the same owner after a claiming race: no claim; 950: a claim of week 100, before the window.
        start(fx, at(clm75, 104, 5), 900, 2, 80, "Zeta", "Kept");
        start(fx, at(clm75, 107, 6), 900, 2, 80, "Zeta", "Kept");
        start(fx, at(clm5, 99, 7), 950, 2, 80, "P0", "Early Claim");
        start(fx, at(clm5, 100, 8), 950, 2, 80, "P1", "Early Claim");
        start(fx, at(clm5, 102, 9), 950, 2, 80, "P1", "Early Claim");

        const QStringList window{u"--first-week"_s, u"101"_s, u"--last-week"_s, u"110"_s, u"--json"_s};
        const QJsonObject c = json(runCli(fx.path(), QStringList{u"claimed"_s} + window, 0, false));
        QStringList rows, owners;
        for (const QJsonValue& v : c[u"rows"_s].toArray()) {
            const QJsonObject r = v.toObject();
            rows << u"%1 %2 %3 %4>%5 %6: %7 %8 %9 %10"_s.arg(r[u"week"_s].toInt())
                        .arg(r[u"hid"_s].toInt())
                        .arg(r[u"name"_s].toString(), r[u"from"_s].toString(), r[u"to"_s].toString())
                        .arg(r[u"price"_s].toInteger())
                        .arg(r[u"starts"_s].toInt())
                        .arg(r[u"wins"_s].toInt())
                        .arg(r[u"earnings"_s].toInteger())
                        .arg(r[u"return"_s].toInteger());
        }
        for (const QJsonValue& v : c[u"owners"_s].toArray()) {
            const QJsonObject o = v.toObject();
            owners << u"%1 %2 %3 %4 %5"_s.arg(o[u"owner"_s].toString())
                          .arg(o[u"claims"_s].toInt())
                          .arg(o[u"spent"_s].toInteger())
                          .arg(o[u"earnings"_s].toInteger())
                          .arg(o[u"return"_s].toInteger());
        }
        QCOMPARE(rows, QStringList({u"105 700 Twice Claimed Beta>Gamma 7500: 2 0 1400 -6100"_s,
                                    u"102 800 Case Matters Eps>eps 2500: 1 0 800 -1700"_s,
                                    u"101 700 Twice Claimed Alpha>Beta 5000: 2 1 8500 3500"_s}));
        QCOMPARE(owners, QStringList({u"Beta 1 5000 8500 3500"_s, u"eps 1 2500 800 -1700"_s,
                                      u"Gamma 1 7500 1400 -6100"_s}));
        const QJsonObject eps =
            json(runCli(fx.path(), QStringList{u"claimed"_s, u"--owner"_s, u"EPS"_s} + window, 0, false));
        QCOMPARE(eps[u"rows"_s].toArray().size(), 1);
        QCOMPARE(eps[u"owners"_s].toArray().first().toObject()[u"owner"_s].toString(), u"eps"_s);
    }

    void listingStartsInTheGrid()
    {
        SearchFixture fx;
        fillPars(fx);
        HeadlessPlatform p;
        MainWindowState f(p, fx.path(), QString());
        f.settingsWritable = false;
        f.panel.txtfirstweek = u"101"_s;
        f.panel.chkowner = true;
        const Weeks w{101, 110};
        Database& db = fx.db();
        WindowRequest request;
        request.winnersOnly = true;
        const Pars pars = classPars(*WindowData::read(db, w, request));
        const ParRow* a = pars.find({{u"Clm"_s, 7500}, Category::Dirt, Trip::Sprint});
        QVERIFY(a);
        StartListing listing = parWinners(pars, *a);
        listing.keys.push_back({1, 105.0101}); // no such start: left out
        QVERIFY(listStarts(f, listing));
        QCOMPARE(f.frainfo, u"Statistics for Winners of Clm 7500, dirt sprint, weeks 101-110;     $30,000;  "
                            u"5 - 0 - 0 - 0 - 0 "
                            "= 5 / 5"_s);
        QCOMPARE(
            f.lblprogress.section(u'\r', 0, 2),
            u"Statistics for Winners of Clm 7500, dirt sprint, weeks 101-110\rEarnings = $30,000 = $6,000 / "
            "race\rW:  5 = 100.0%"_s);
        QCOMPARE(cells(f.MSFlexGrid1, 1, 5, 2, 2),
                 QStringList({u"110.0114"_s, u"108.0113"_s, u"106.0112"_s, u"104.0111"_s, u"101.0110"_s}));
        QVERIFY(f.listing().kind == ListingSearch::Kind::Listed && f.panel.txtfirstweek.isEmpty() &&
                !f.panel.chkowner);
        // A statement of the caller's own, with its values bound; nothing found leaves the grid as it was.
        listing.keys.clear();
        listing.statement = {
            SearchQuery::selectColumns() + u"WHERE tblhorsedata.hid = ?"_s, {qlonglong(1)}, {}};
        QVERIFY(!listStarts(f, listing));
        QCOMPARE(p.messages.last(), u"No horses under the search criteria were found."_s);
        QCOMPARE(f.MSFlexGrid1.rows(), 6);
        // No search runs such a list again after the stored weeks change: it is cleared, and that is said.
        relist(f);
        QVERIFY(f.statusline.endsWith(u" The list was cleared: the stored weeks changed."_s));
        QCOMPARE(f.MSFlexGrid1.rows(), 2);
    }

    void windowsDrivenOffscreen()
    {
        SearchFixture fx;
        fillPars(fx);
        HeadlessPlatform p;
        frmmainfinder main(p, fx.path(), QString());
        QVERIFY(main.Form_Load());
        main.show();
        control<QAction>(main, "cmdclasspars")->trigger();
        auto* pars = control<frmclasspars>(main, "frmclasspars");
        runFor101To110(pars);
        QTableView* table = pars->MSFpars;
        QCOMPARE(table->model()->rowCount(), 7);
        const QModelIndex few = table->model()->index(1, 6); // Clm 5000: four winners
        QCOMPARE(few.data(Qt::ToolTipRole).toString(), u"Only 4 winners: a par needs at least 5."_s);
        QCOMPARE(few.data(Qt::ForegroundRole).value<QBrush>().color(), QColor(Qt::gray));
        QCOMPARE(table->model()->index(1, 1).data(Qt::TextAlignmentRole).toInt(),
                 int(Qt::AlignRight | Qt::AlignVCenter));
        // The ladder of dirt sprints: the claiming classes' pars by price.
        QStringList ladder;
        for (QAbstractSeries* s : pars->chtladder->chart()->series())
            for (const QPointF& at : static_cast<QLineSeries*>(s)->points())
                ladder << u"%1 %2 %3"_s.arg(s->name()).arg(std::lround(std::pow(10, at.x()))).arg(at.y());
        QCOMPARE(ladder, QStringList({u"Clm 7500 82.1"_s, u"Clm 10000 84"_s, u"MC 5000 70"_s}));
        auto* prices = static_cast<QCategoryAxis*>(pars->chtladder->chart()->axes(Qt::Horizontal).value(0));
        QCOMPARE(prices->categoriesLabels(), QStringList({u"5,000"_s, u"7,500"_s, u"10,000"_s}));
        // A heading's click sorts by the raw values, bands without a par first.
        QHeaderView* header = table->horizontalHeader();
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                          QPoint(header->sectionViewportPosition(6) + 4, header->height() / 2));
        QCOMPARE(column(table, 6),
                 QStringList({u""_s, u""_s, u""_s, u""_s, u"70.0 ?"_s, u"82.1 ?"_s, u"84.0 ?"_s}));
        // A double click lists the band's winners in the results grid, newest first; the search panel
        // empties, since none of its searches made the list.
        for (const char* box : {"txthorse", "txtid", "txtfirstweek", "txtlastweek"})
            control<QLineEdit>(main, box)->setText(u"105"_s);
        control<QCheckBox>(main, "chkowner")->setChecked(true);
        doubleClick(table, 5);
        MainWindowState& f = main.state();
        for (const char* box : {"txthorse", "txtid", "txtfirstweek", "txtlastweek"})
            QVERIFY2(control<QLineEdit>(main, box)->text().isEmpty(), box);
        QVERIFY(!control<QCheckBox>(main, "chkowner")->isChecked());
        QVERIFY(f.frainfo.startsWith(u"Statistics for Winners of Clm 7500, dirt sprint, weeks 101-110;"_s));
        QCOMPARE(f.MSFlexGrid1.rows(), 6);
        QCOMPARE(f.MSFlexGrid1.text(1, 2), u"110.0114"_s);
        // Export writes the table as CSV, in the order shown.
        const QString csv = fx.path() + u"/pars.csv"_s;
        p.saveAnswers.push_back(csv);
        pars->cmdexport->click();
        const QList<QByteArray> lines = readFile(csv).split('\n');
        QCOMPARE(lines.size(), 9);
        QCOMPARE(lines.value(0),
                 QByteArray(R"("Class","Price","Category","Trip","Winners","Races","Par","Best","Purse")"
                            "\r"));
        QCOMPARE(lines.value(5), QByteArray(R"("MC","5000","dirt","sprint","5","5","70.0 ?","72.00","9,000")"
                                            "\r"));
        QTest::keyClick(pars, Qt::Key_Escape);
        QTRY_VERIFY(!main.findChild<frmclasspars*>());

        // The pop-up's "Where Can It Win" on a winner listed above; then horse 500 by its id.
        f.MSFlexGrid1.setCurrent(1, 0);
        control<QAction>(main, "wherecanitwin")->trigger();
        auto* place = control<frmplacement>(main, "frmplacement");
        QCOMPARE(place->txthorse->text(), f.MSFlexGrid1.text(1, 1));
        place->txthorse->setText(u"500"_s);
        runFor101To110(place);
        QCOMPARE(place->lblhorse->text().section(u'\n', 0, 0),
                 u"Test Horse (500), Owner One, weeks 101-110"_s);
        QCOMPARE(column(place->MSFplaces, 6), QStringList({u"0.0"_s, u"1.9"_s}));
        doubleClick(place->MSFplaces, 0);
        QVERIFY(f.frainfo.startsWith(u"Statistics for Winners of Clm 10000, dirt sprint, weeks 101-110;"_s));

        // The claim finder lists a horse as "List Horse" does; the claims made open empty here.
        control<QAction>(main, "cmdclaimfinder")->trigger();
        auto* finder = control<frmclaimfinder>(main, "frmclaimfinder");
        runFor101To110(finder);
        const QModelIndex top = finder->MSFcandidates->model()->index(0, 1);
        doubleClick(finder->MSFcandidates, 0);
        QCOMPARE(f.MSFlexGrid1.text(1, 1), top.data().toString());
        // While an import writes, a row's starts wait: the window says so, and nothing runs on the main one.
        int listings = 0;
        AnalysisWindows duringImport(&main, f, [&listings](const auto&) { ++listings; });
        duringImport.setListingEnabled(false);
        duringImport.claimFinder();
        auto* busyFinder = main.findChildren<frmclaimfinder*>().last();
        runFor101To110(busyFinder);
        doubleClick(busyFinder->MSFcandidates, 0);
        QCOMPARE(listings, 0);
        QCOMPARE(p.messages.last(), u"An import is running: list the starts again once it has finished."_s);
        busyFinder->close();
        control<QAction>(main, "cmdclaimsmade")->trigger();
        auto* made = control<frmclaimsmade>(main, "frmclaimsmade");
        runFor101To110(made);
        QCOMPARE(made->MSFclaims->model()->rowCount(), 0);
        QCOMPARE(made->lblstatus->text(), u"0 claims in weeks 101-110 by 0 owners, the newest first."_s);
        // Export writes the table the player was in, though the click gives the button the focus.
        made->MSFowners->setFocus();
        p.saveAnswers.push_back(fx.path() + u"/owners.csv"_s);
        QTest::mouseClick(made->cmdexport, Qt::LeftButton);
        QVERIFY(readFile(fx.path() + u"/owners.csv"_s).startsWith(R"("Owner","Claims")"));
    }
};

QTEST_MAIN(TestAnalysis)
#include "test_analysis.moc"
