// Searches end to end through the core: query, walk, results grid and the statistics texts.
#include "openhandles.h"
#include "searchfixture.h"

#include "core/format.h"
#include "core/headlessplatform.h"
#include "core/mainwindowstate.h"
#include "core/startup.h"
#include "output/gridsettings.h"
#include "search/gethorse.h"
#include "search/horsestats.h"

#include <QFile>

namespace
{

const QString noneFound = u"No horses under the search criteria were found."_s;

/** The main window's state over a fixture's directory, loaded as at start-up; today is in week 420. */
struct Session {
    explicit Session(SearchFixture& fx) : f(p, fx.path(), fx.path() + u"/no-breeding.txt"_s)
    {
        formLoad(f, NominalRowHeight);
        p.messages.clear();
        p.todayDate = dateOfWeek(420);
    }
    /** Searches; whatever happens, the busy pointer, the drawing and the open files are as they were before.
     */
    void search(int mode, const QString& name, const QString& id = QString())
    {
        const int handles = openHandles(f.databasePath());
        gethorse(f, qint16(mode), name, id);
        QCOMPARE(p.busyDepth, 0);
        QCOMPARE(openHandles(f.databasePath()), handles); // the search's connection is gone
        QVERIFY(f.MSFlexGrid1.redraw());
    }
    QStringList column(int c) const { return cells(f.MSFlexGrid1, 1, f.MSFlexGrid1.rows() - 1, c, c); }
    QStringList summary() const { return f.lblprogress.split(QLatin1Char('\r')); }

    HeadlessPlatform p;
    MainWindowState f;
};

/** One search over the shared database: `found` are the texts of column `col`, or with col -1 the message. */
struct Find {
    const char* tag;
    int mode;
    const char *name, *id, *firstWeek, *lastWeek;
    int col;
    const char *found, *subject = "", *injury = "30";
};

const Find finds[] = {
    {"whole name only", 2, "Blue", "", "", "", 0, "Blue"},
    {"whole name", 2, "Blue Streak", "", "", "", 0, "Blue Streak", "Blue Streak"},
    {"any case", 2, "bLUE sTREAK", "", "", "", 0, "Blue Streak"},
    {"prefix", 2, "Blue*", "", "", "", 0, "Blue Streak|Blue"},
    {"literal *computer", 2, "*computer", "", "", "", 0, "*computer"},
    {"*Computer is a pattern", 2, "*Computer", "", "", "", 0, "*computer|Big Computer"},
    {"double quote", 2, "Say \"When\"", "", "", "", 0, "Say \"When\""},
    {"percent in pattern", 2, "100%*", "", "", "", 0, "100% Pure"},
    {"percent after a wildcard", 2, "*0% Pure", "", "", "", 0, "100% Pure"},
    {"underscore in pattern", 2, "A_*", "", "", "", 0, "A_B"},
    {"backslash", 2, "C\\D*", "", "", "", 0, "C\\D"},
    {"quote in SQL", 2, "O'Hara", "", "", "", 0, "O'Hara"},
    {"owner whole", 4, "red barn", "", "", "", 0, "Blue Streak|Blue|*computer"},
    {"only the first stable is a pattern", 4, "Hill*\" OR oname=\"Oak*", "", "", "", 0, "Big Computer"},
    // Modes 1 to 3 report on the horse; the id search names it by the id typed.
    {"12* by id", 3, "Ider", "12*", "", "", 1, "12|120|1234", "12*"},
    {"12.6 goes to 13", 3, "Ider", "12.6", "", "", 1, "13"},
    {"12.5 goes to even 12", 3, "Ider", "12.5", "", "", 1, "12"},
    {"name and id", 1, "Ider", "12*", "", "", 1, "12|120", "Ider"},
    {"name and exact id", 1, "Ider", "1234", "", "", -1, ""},
    {"race by key", 5, "ignored name", "123.0405", "", "", 2, "123.0405|123.0405|123.0405", "123.0405"},
    {"race key pattern", 5, "", "123.04*", "", "", 2,
     "123.0405|123.0405|123.0405|123.0406|123.0406|123.0406"},
    // Patterns read the key as the grid shows it, with four decimals.
    {"race key pattern, trailing zero", 5, "", "124.041?", "", "", 2, "124.0410"},
    {"last week 120", 2, "Walker", "", "", "120", 2, "120.0405|119.0405|118.0405"},
    {"both weeks", 2, "Walker", "", "119", "120", 2, "120.0405|119.0405"},
    {"newest before first week", 2, "Walker", "", "119", "118", 2, "118.0405"},
    {"first week after all", 2, "Walker", "", "200", "", 2, "121.0405"},
    {"last week before all", 2, "Walker", "", "", "100", -1, ""},
    {"empty id", 3, "Blue Streak", "", "", "", -1, "Please enter the horse's ID number."},
    {"id not a number", 3, "Blue Streak", "1.2.3", "", "", -1, "The ID \"1.2.3\" is not a number."},
    {"id too large", 3, "Blue Streak", "99999999999", "", "", -1, "The ID 99999999999 is too large."},
    {"empty race", 5, "", "", "", "", -1, "Please enter a race number, such as 612.0507."},
    {"race not a number", 5, "", "12..1", "", "", -1, "The race number \"12..1\" is not a number."},
    {"first week", 2, "Blue Streak", "", "x1", "", -1, "The first week \"x1\" is not a number."},
    {"threshold", 2, "Blue Streak", "", "", "", -1, "The speed threshold \"a\" is not a number.", "", "a"},
};

} // namespace

class TestGethorse : public QObject
{
    Q_OBJECT

    std::unique_ptr<SearchFixture> m_fx;
private slots:
    void initTestCase()
    {
        m_fx = std::make_unique<SearchFixture>();
        SearchFixture& fx = *m_fx;
        int week = 300;
        for (const char* n : {"Blue Streak", "Blue", "*computer", "Big Computer", "Say \"When\"", "100% Pure",
                              "100 Pure", "A_B", "AxB", "C\\D", "CxD", "O'Hara"}) {
            const char* owner = week > 297 ? "Red Barn" : week == 297 ? "Hill Stable" : "Oak Farm";
            fx.add({.hname = QString::fromUtf8(n), .week = week--, .oname = QLatin1String(owner)});
        }
        week = 200;
        for (qint64 hid : {12, 120, 1234, 13, 1, 212})
            fx.add(
                {.hname = hid == 1234 ? u"Odd"_s : u"Ider"_s, .hid = hid, .week = week--, .oname = u"Ids"_s});
        for (int i = 0; i < 6; ++i)
            fx.add(
                {.hname = u"R%1"_s.arg(i), .hid = 50 + i, .week = 123, .race = 5 + i / 3, .oname = u"R"_s});
        fx.add({.hname = u"R10"_s, .hid = 60, .week = 124, .race = 10, .oname = u"R"_s});
        for (int w = 118; w <= 121; ++w)
            fx.add({.hname = u"Walker"_s, .hid = 7, .week = w, .oname = u"Walk Stable"_s});
    }

    void searches_data()
    {
        QTest::addColumn<int>("row");
        for (int i = 0; i < int(std::size(finds)); ++i)
            QTest::newRow(finds[i].tag) << i;
    }

    void searches()
    {
        QFETCH(int, row);
        const Find& t = finds[row];
        Session s(*m_fx);
        s.search(2, u"Blue Streak"_s); // the result that a refused search must leave
        const QString before = s.f.lblprogress;
        s.p.messages.clear();
        s.f.panel.txtfirstweek = QString::fromUtf8(t.firstWeek);
        s.f.panel.txtlastweek = QString::fromUtf8(t.lastWeek);
        s.f.panel.txtinjury = QString::fromUtf8(t.injury);
        s.search(t.mode, QString::fromUtf8(t.name), QString::fromUtf8(t.id));
        if (t.col < 0) {
            // Refused or nothing found: the message, and the last result stays.
            const QString message = *t.found ? QString::fromUtf8(t.found) : noneFound;
            QCOMPARE(s.p.messages, QStringList{message});
            QCOMPARE(s.f.lblprogress, message == noneFound ? QString() : before);
            QCOMPARE(s.column(0), QStringList{u"Blue Streak"_s});
            return;
        }
        QVERIFY(s.p.messages.isEmpty());
        QStringList expected = L(t.found);
        if (t.col == 0)
            std::transform(expected.begin(), expected.end(), expected.begin(), Fmt::properCase);
        QStringList shown = s.column(t.col);
        if (t.mode == 5)
            shown.sort(); // a race's starts come in no particular order
        QCOMPARE(shown, expected);
        // The statistics cover exactly the listed starts.
        QVERIFY2(s.f.frainfo.endsWith(u" / %1"_s.arg(expected.size())), qPrintable(s.f.frainfo));
        if (*t.subject) {
            const QString subject = u"Statistics for "_s + QString::fromUtf8(t.subject);
            QVERIFY(s.f.frainfo.startsWith(subject + u';'));
            QCOMPARE(s.f.lblprogress.section(u'\r', 0, 0), t.mode == 5 ? QString() : subject);
        }
    }

    void countQuestionAndCap()
    {
        SearchFixture fx;
        QVERIFY(fx.db().begin());
        for (int i = 0; i < 15002; ++i) // the two starts beyond the listing's cap are the only wins
            fx.add(
                {.hname = u"H%1"_s.arg(i), .week = 1000 - i / 40, .race = i % 40 + 1, .fin = 2 - i / 15000});
        QVERIFY(fx.db().commit());
        Session s(fx);
        s.p.answers.push_back(Platform::Answer::Yes);
        s.search(4, u"Red Barn"_s);
        QVERIFY(s.p.messages.first().startsWith("There are 15002 horses"_L1));
        QCOMPARE(s.f.MSFlexGrid1.rows(), 15001);
        QCOMPARE(s.f.MSFlexGrid1.text(15000, 0), u"H14960"_s);
        QCOMPARE(s.summary().at(2), u"W:  0 = 0.0%"_s);
        QCOMPARE(s.summary().at(3), u"P:  15000 = 100.0%"_s);
        QVERIFY(s.f.frainfo.endsWith("0 - 15000 - 0 - 0 - 0 = 15000 / 15000"_L1));

        fx.exec(u"DELETE FROM tblhorsedata WHERE CAST(substr(hname, 2) AS INTEGER) > 8000"_s);
        s.f.panel.txtfirstweek = u"900"_s; // more than 8000 found, fewer listed
        s.p.messages.clear();
        s.search(4, u"Red Barn"_s);
        QCOMPARE(
            s.p.messages,
            QStringList{
                u"There are 8001 horses that match this query.  Proceed anyway?\rNote: the actual number "
                "of horses listed may be less than this amount, and also that the maximum number of "
                "horses that can be listed is 15,000 in this version."_s});
        // Declined: everything stays, "Searching..." included.
        QCOMPARE(s.f.lblprogress, u"Searching..."_s);
        QCOMPARE(s.f.MSFlexGrid1.rows(), 15001);
        QCOMPARE(s.f.MSFlexGrid1.text(15000, 0), u"H14960"_s);

        s.p.answers.push_back(Platform::Answer::Yes);
        s.search(4, u"Red Barn"_s);
        QCOMPARE(s.f.MSFlexGrid1.rows(), 101 * 40 + 1); // weeks 1000 to 900, 40 starts each
        QCOMPARE(s.f.MSFlexGrid1.text(1, 2), u"1000.0440"_s);

        // 8000 found: no question.
        fx.exec(u"DELETE FROM tblhorsedata WHERE hname = 'H8000'"_s);
        s.p.messages.clear();
        s.f.panel.txtfirstweek.clear();
        s.search(4, u"Red Barn"_s);
        QVERIFY(s.p.messages.isEmpty());
        QCOMPARE(s.f.MSFlexGrid1.rows(), 8001);
    }

    void resultRows()
    {
        SearchFixture fx;
        Run a{.week = 7, .track = 1, .race = 2, .fin = 2, .sp = 8.46, .start = 4, .odds = 2.5, .dist = 8.5};
        a.purse = 12345, a.cprice = 1500, a.restr = u"Clm"_s;
        fx.add(a);
        fx.add({.week = 6, .track = 9, .fin = 6, .sp = 101.24, .odds = 12}); // no track code; beyond fifth
        fx.add({.week = 5, .fin = 5, .purse = 25}); // 0.5 earned: to the even neighbour
        // Rows in the default colour first, where the first search's rows were coloured.
        const std::tuple<const char*, const char*, int> colours[] = {
            {"", "T", Palette::Default},    {"M", "D", Palette::Default},   {"F", "D", Palette::DarkRed},
            {"F", "T", Palette::DarkGreen}, {"G", "T", Palette::DarkCyan},  {"G", "D", Palette::DarkMagenta},
            {"S", "D", Palette::DarkBlue},  {"Y", "T", Palette::DarkYellow}};
        for (int i = 0; i < 8; ++i) {
            const auto& [cond, surf, colour] = colours[i];
            fx.add({.hname = u"Painted"_s,
                    .week = 300 - i,
                    .surf = QLatin1String(surf),
                    .cond = QLatin1String(cond)});
        }
        Session s(fx);
        const GridState& g = s.f.MSFlexGrid1;
        s.search(2, u"blue streak"_s);
        QCOMPARE(g.rows(), 4);
        QCOMPARE(cells(g, 0, 0, 0, 17),
                 L("Name|H.ID.|Race #|Age|Tr|Typ|Dis|S|Sp|PL|FD|PP|Purse|Odds|Earn.|Owner|Clm|St"));
        QCOMPARE(cells(g, 1, 1, 0, 17),
                 L("Blue Streak|100|7.0102|O-3+|AZ|Clm|8.5|D|08.5|2|8|3|12345|2.50|3086|Red Barn|1500|4"));
        QCOMPARE(cells(g, 2, 2, 13, 16), L("12.00|0|Red Barn|"));
        QCOMPARE(g.text(2, 4), QString());
        QCOMPARE(g.text(2, 8), u"101.2"_s);
        QCOMPARE(g.text(3, 14), u"0"_s);
        QCOMPARE(g.row(), 3);

        // Nothing of the last search stays in the next: neither a colour nor a text of its rows.
        s.search(2, u"Painted"_s);
        for (int i = 0; i < 8; ++i)
            for (int c = 0; c < 18; ++c)
                QCOMPARE(int(g.colour(i + 1, c)), std::get<2>(colours[i]));
        QCOMPARE(cells(g, 1, 1, 4, 5) + cells(g, 1, 1, 16, 16), L("CA|Alw|"));

        // The database gone: a message naming it, and the last result stays.
        fx.db().close();
        QVERIFY(QFile::remove(fx.path() + u"/horses.mdb"_s));
        s.p.messages.clear();
        s.search(2, u"Blue Streak"_s);
        QCOMPARE(s.p.messages.size(), 1);
        QVERIFY(s.p.messages.first().contains("horses.mdb"_L1));
        QCOMPARE(s.f.lblprogress, QString());
        QCOMPARE(g.text(1, 0), u"Painted"_s);
    }

    void speedTables()
    {
        SearchFixture fx;
        // The win table's buckets, 4.5 and 14 furlongs at the ends, 8 furlongs a route.
        fx.add({.week = 300, .sp = 70, .dist = 4.5});
        fx.add({.week = 299, .fin = 3, .sp = 75.5, .dist = 5.99});
        fx.add({.week = 298, .fin = 2, .sp = 98.5, .dist = 14});
        fx.add({.week = 297, .sp = 101.2, .surf = u"T"_s, .dist = 8});
        fx.add({.week = 296, .fin = 4, .sp = 60, .surf = u"T"_s, .cond = u"G"_s, .dist = 12});
        // Averages: sprint 5.5, routes 8 (beyond 7.9) and 8.5 on fast dirt; a start at the threshold;
        // off-track.
        const std::tuple<int, double, const char*, double> starts[] = {
            {200, 80, "F", 5.5}, {199, 91, "F", 8},    {198, 100, "F", 8.5},
            {197, 30, "F", 6},   {196, 30.01, "S", 6}, {195, 87.35, "G", 9}};
        for (const auto& [week, sp, cond, dist] : starts)
            fx.add({.hname = u"Speedy"_s, .week = week, .sp = sp, .cond = QLatin1String(cond), .dist = dist});
        Session s(fx);
        s.search(2, u"Blue Streak"_s);
        const GridState& w = s.f.MSFWGrid;
        QCOMPARE(cells(w, 1, 1, 1, 9), L("2-75.5|||||||1-98.5|98.5/3"));
        QCOMPARE(cells(w, 2, 2, 1, 9), L("|||1-101.2|||||101.2/1"));
        QCOMPARE(cells(w, 3, 3, 1, 9), L("|||||||1-60.0|60.0/1"));
        QCOMPARE(cells(w, 4, 4, 1, 9), L("1-0-1|||||||0-1-0|1-1-1/3"));
        QCOMPARE(cells(w, 5, 5, 1, 9), L("|||1-0-0|||||1-0-0/1"));
        QCOMPARE(cells(w, 6, 6, 1, 9), L("|||||||0-0-0|0-0-0/1"));
        QCOMPARE(s.f.frainfo, u"Statistics for Blue Streak;     $15,800;  2 - 1 - 1 - 1 - 0 = 5 / 5"_s);
        // A later search with no turf start clears the old cells and still writes the Max column.
        s.f.panel.txtfirstweek = u"299"_s;
        s.search(2, u"Blue Streak"_s);
        QCOMPARE(cells(w, 2, 2, 1, 9), L("||||||||0.0/0"));

        s.f.panel.txtfirstweek.clear();
        s.search(2, u"Speedy"_s);
        const GridState& a = s.f.MSFSGrid;
        QCOMPARE(cells(a, 1, 1, 1, 3), L("80.0 (1)|95.5 (2)|90.3 (3)"));
        QCOMPARE(cells(a, 2, 2, 1, 3), L("0 (0)|0 (0)|0 (0)"));
        QCOMPARE(cells(a, 3, 3, 1, 3), L("30.0 (1)|87.4 (1)|58.7 (2)"));
        QCOMPARE(cells(a, 4, 4, 1, 3), L("55.0 (2)|92.8 (3)|77.7 (5)"));
        // The start at 30 still counts in the bucket table; exactly 100 is 90+ and 100+, not 110+.
        QCOMPARE(w.text(1, 2), u"1-30.0"_s);
        QCOMPARE(s.summary().last(), u"110+: 0     100+: 1     90+: 2"_s);
        s.f.panel.txtinjury = QString(); // an empty threshold counts every start
        s.search(2, u"Speedy"_s);
        QCOMPARE(a.text(1, 1), u"55.0 (2)"_s);
    }

    void summaries()
    {
        SearchFixture fx;
        for (int i = 0; i < 20; ++i) {
            Run r{.hname = u"Horse %1"_s.arg(i % 3), .hid = i % 3, .week = 300 - i, .oname = u"Oak Farm"_s};
            r.fin = i < 5   ? 1
                    : i < 8 ? 2
                    : i < 9 ? 3
                            : 7,
            r.sp = i < 2   ? 110
                   : i < 3 ? 100
                           : 50,
            r.purse = 1000;
            fx.add(r);
        }
        // Newest first: three under Ash Farm, two under Hill Stable, two under Ash Farm again, at another
        // track.
        int week = 300;
        for (const char* owner :
             {"Ash Farm", "Ash Farm", "Ash Farm", "Hill Stable", "Hill Stable", "Ash Farm", "Ash Farm"})
            fx.add({.hname = u"Changer"_s, .week = week--, .track = 1, .oname = QLatin1String(owner)});
        // One stable's horses found by one pattern: the owner figures are the newest start's horse's only.
        for (const auto& [name, hid] :
             {std::pair{"Pair A", 500}, {"Pair B", 501}, {"Pair A", 502}, {"Pair C", 500}})
            fx.add({.hname = QLatin1String(name),
                    .hid = hid,
                    .week = week--,
                    .track = 1,
                    .oname = u"Pair Stable"_s,
                    .purse = 1000});
        // Five wins of 600,000,000 pass the 32-bit range.
        for (int w = 100; w > 95; --w)
            fx.add({.hname = u"Rich"_s, .week = w, .oname = u"Rich Stable"_s, .purse = 1000000000});
        // Today is week 420. Claims of 5000 at 410, 4000 at 405 and 400; an older cheaper claim; a starter
        // race.
        const std::tuple<int, int, const char*, int> starts[] = {
            {410, 5000, "Clm", 2}, {405, 4000, "Clm", 3}, {404, 1000, "Str", 2}, {400, 4000, "Clm", 4},
            {320, 0, "Alw", 1},    {240, 1, "Clm", 1},    {100, 0, "Alw", 1},    {40, 0, "Alw", 1}};
        for (const auto& [week, cprice, restr, fin] : starts)
            fx.add({.week = week, .track = 7, .fin = fin, .cprice = cprice, .restr = QLatin1String(restr)});
        Session s(fx);
        s.p.dateFormat = u"yyyy-MM-dd"_s;
        s.search(2, u"Blue Streak"_s);
        // Wins 100, 180, 320 and 380 days ago.
        QCOMPARE(s.summary().mid(4, 4), L("Current Tag: $4,000|Last Week of Tag:  Week 580  (2000-02-21)||"
                                          "Last 3, 6, 9, 12 mths: 0-1-2-3"));

        s.search(4, u"oak farm"_s);
        QCOMPARE(s.summary(),
                 L("Statistics for Oak Farm|Earnings = $3,830 = $192 / race|W:  5 = 25.0%|P:  3 = 15.0%|"
                   "S:  1 = 5.0%||110+:  2 = 10.0%|100+:  3 = 15.0%| 90+:  3 = 15.0%"));
        QCOMPARE(s.f.frainfo, u"Statistics for Oak Farm;     $3,830;  5 - 3 - 1 - 0 - 0 = 9 / 20"_s);

        s.search(2, u"Pair*"_s);
        QCOMPARE(s.summary().mid(1, 3),
                 L("Under trainer:  Pair Stable|Earnings: $600|W-P-S-4-5:  1-0-0-0-0=1/1"));
        QVERIFY(s.f.frainfo.endsWith("4 - 0 - 0 - 0 - 0 = 4 / 4"_L1));

        s.search(2, u"Rich"_s);
        QVERIFY(s.f.frainfo.contains("$3,000,000,000;"_L1));
        QCOMPARE(s.summary().at(2), u"Earnings: $3,000,000,000"_s);

        s.f.panel.chkowner = true;
        s.search(2, u"Changer"_s);
        QCOMPARE(s.column(2), L("300.0105|299.0105|298.0105"));
        QCOMPARE(s.summary().at(1), u"Under trainer:  Ash Farm"_s);

        // The reference owner is still the newest start's, so the walk lists its first start and stops.
        s.f.panel.txtlastweek = u"297"_s;
        s.search(2, u"Changer"_s);
        QCOMPARE(s.column(2), L("297.0105"));
        QCOMPARE(s.column(15), L("Hill Stable"));

        s.f.panel.chkowner = false;
        s.f.panel.txtlastweek.clear();
        s.search(2, u"Changer"_s);
        QCOMPARE(s.f.MSFlexGrid1.rows(), 8);
        // The owner figures follow the newest owner: 5 of the 7 starts, all wins at $6,000.
        QCOMPARE(s.summary().at(2), u"Earnings: $30,000"_s);
        QCOMPARE(s.summary().at(3), u"W-P-S-4-5:  5-0-0-0-0=5/5"_s);
    }

    void dayWindows_data()
    {
        QTest::addColumn<int>("week");
        QTest::addColumn<QString>("expected"); // recent wins 3-6-9-12, then the tag
        // Today is week 420: a start lies within the last D days from week 421 - D on.
        const std::pair<int, const char*> rows[] = {
            {337, "1-1-1-1 Current Tag: $5,000"},    {336, "0-1-1-1 Current Tag: $5,000"},
            {246, "0-1-1-1 Current Tag: $5,000"},    {245, "0-0-1-1 This horse has no tag."},
            {155, "0-0-1-1 This horse has no tag."}, {154, "0-0-0-1 This horse has no tag."},
            {50, "0-0-0-1 This horse has no tag."},  {49, "0-0-0-0 This horse has no tag."}};
        for (const auto& [week, expected] : rows)
            QTest::addRow("week %d", week) << week << QString::fromUtf8(expected);
    }
    void dayWindows()
    {
        QFETCH(int, week);
        HorseStats stats(30, dateOfWeek(420));
        stats.add({.racenum = week + 0.0405,
                   .restr = u"Clm"_s,
                   .cond = u"F"_s,
                   .surf = u"D"_s,
                   .fin = 1,
                   .cprice = 5000});
        const QString summary = stats.summary(SummaryKind::Horse, u"x"_s, u"d"_s);
        QTEST(summary.section(u"mths: "_s, 1).section(u'\r', 0, 0) + u' ' + summary.section(u'\r', 4, 4),
              "expected");
    }
    void listCommands()
    {
        SearchFixture fx;
        for (int i = 0; i < 4; ++i)
            fx.add({.hname = u"horse %1"_s.arg(i % 2),
                    .hid = 10 + i % 2,
                    .week = 300 - i / 2,
                    .race = 1,
                    .oname = i < 2 ? u"Red Barn"_s : u"Oak Farm"_s});
        Session s(fx);
        s.search(4, u"Oak Farm"_s);
        s.f.MSFlexGrid1.setCurrent(2, 3);
        const QString horse = s.f.MSFlexGrid1.text(2, 0);
        listhorse_Click(s.f);
        QCOMPARE(s.column(0), (QStringList{horse, horse}));
        QCOMPARE(s.column(15), L("Red Barn|Oak Farm"));
        s.f.MSFlexGrid1.setCurrent(1, 0);
        listrace_Click(s.f);
        QCOMPARE(s.column(2), L("300.0401|300.0401"));
        listowner_Click(s.f);
        QCOMPARE(s.column(15), L("Red Barn|Red Barn"));

        // In the sire layout only the horse's list runs: the rows there are sires.
        showSireLayout(s.f);
        for (auto* list : {&listrace_Click, &listowner_Click}) {
            s.p.messages.clear();
            list(s.f);
            QCOMPARE(s.p.messages,
                     QStringList{u"This option is only available after a horse, owner or race search."_s});
            QVERIFY(s.f.sireLayout());
        }
        s.f.MSFlexGrid1.setCurrent(1, 0);
        const QString first = s.f.MSFlexGrid1.text(1, 0);
        listhorse_Click(s.f);
        QVERIFY(!s.f.sireLayout());
        QCOMPARE(s.column(0), QStringList(2, first));
    }
};

QTEST_GUILESS_MAIN(TestGethorse)
#include "test_gethorse.moc"
