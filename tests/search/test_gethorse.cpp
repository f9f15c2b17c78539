// Searches end to end through the core: query, walk, results grid and the statistics texts.
#include "searchfixture.h"

#include "app/finder.h"
#include "app/format.h"
#include "app/scriptedplatform.h"
#include "app/startup.h"
#include "search/gethorse.h"

#include <QFile>
#include <QSqlQuery>
#include <QTest>

namespace
{

QStringList L(std::initializer_list<const char*> texts)
{
    QStringList out;
    for (const char* t : texts)
        out << QString::fromUtf8(t);
    return out;
}

const QString noneFound = QStringLiteral("No horses under the search criteria were found.");

/** The main window's state over a fixture's directory, loaded as at start-up. */
struct Session {
    explicit Session(SearchFixture& fx) : f(p, fx.path(), fx.path() + QStringLiteral("/no-breeding.txt"))
    {
        formLoad(f, NominalRowHeight);
        p.messages.clear();
        p.labelTexts.clear();
        p.todayDate = dateOfWeek(420);
    }
    /** The texts of one column, data rows only. */
    QStringList column(int c) const
    {
        QStringList out;
        for (int r = 1; r < f.MSFlexGrid1.rows(); ++r)
            out << f.MSFlexGrid1.text(r, c);
        return out;
    }
    QStringList keys() const { return column(2); }
    QStringList summary() const { return f.lblprogress.split(QLatin1Char('\r')); }

    ScriptedPlatform p;
    Finder f;
};

} // namespace

class TestGethorse : public QObject
{
    Q_OBJECT
private slots:
    void nameMatching_data();
    void nameMatching();
    void idConversion_data();
    void idConversion();
    void raceByKey();
    void refusedInput_data();
    void refusedInput();
    void databaseGone();
    void weekWalks_data();
    void weekWalks();
    void currentOwnerOnly();
    void currentOwnerWithLastWeek();
    void countQuestion();
    void listingCap();
    void rowCells();
    void rowColours_data();
    void rowColours();
    void winGridBuckets();
    void averageSpeeds();
    void tagAndRecentWins();
    void noTag();
    void ownerSummary();
    void bigOwnerEarnings();
    void stableExpression();
    void returnsFromSireLayout();
    void listCommands();
};

void TestGethorse::nameMatching_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QStringList>("found");

    const QStringList none;
    QTest::newRow("whole name only") << 2 << "Blue" << L({"Blue"});
    QTest::newRow("no part of a name") << 2 << "Blue Str" << none;
    QTest::newRow("whole name") << 2 << "Blue Streak" << L({"Blue Streak"});
    QTest::newRow("any case") << 2 << "bLUE sTREAK" << L({"Blue Streak"});
    QTest::newRow("prefix") << 2 << "Blue*" << L({"Blue Streak", "Blue"});
    QTest::newRow("prefix any case") << 2 << "BLUE S*" << L({"Blue Streak"});
    QTest::newRow("one character") << 2 << "Bl?e" << L({"Blue"});
    QTest::newRow("suffix") << 2 << "*Streak" << L({"Blue Streak"});
    QTest::newRow("literal *computer") << 2 << "*computer" << L({"*computer"});
    QTest::newRow("*Computer is a pattern") << 2 << "*Computer" << L({"*computer", "Big Computer"});
    QTest::newRow("double quote") << 2 << "Say \"When\"" << L({"Say \"When\""});
    QTest::newRow("percent") << 2 << "100% Pure" << L({"100% Pure"});
    QTest::newRow("percent in pattern") << 2 << "100%*" << L({"100% Pure"});
    QTest::newRow("underscore") << 2 << "A_B" << L({"A_B"});
    QTest::newRow("underscore in pattern") << 2 << "A_*" << L({"A_B"});
    QTest::newRow("backslash") << 2 << "C\\D*" << L({"C\\D"});
    QTest::newRow("quote in SQL") << 2 << "O'Hara" << L({"O'Hara"});
    QTest::newRow("owner whole") << 4 << "red barn" << L({"Blue Streak", "Blue", "*computer"});
    QTest::newRow("owner prefix") << 4 << "Hill*" << L({"Big Computer"});
}

void TestGethorse::nameMatching()
{
    QFETCH(int, mode);
    QFETCH(QString, name);
    QFETCH(QStringList, found);

    SearchFixture fx;
    int week = 300;
    for (const char* n : {"Blue Streak", "Blue", "*computer", "Big Computer", "Say \"When\"", "100% Pure",
                          "100 Pure", "A_B", "AxB", "C\\D", "CxD", "O'Hara"}) {
        Run r;
        r.hname = QString::fromUtf8(n);
        r.oname = r.hname == QLatin1String("Big Computer") ? QStringLiteral("Hill Stable")
                  : week > 297                             ? QStringLiteral("Red Barn")
                                                           : QStringLiteral("Oak Farm");
        r.week = week--;
        fx.add(r);
    }
    Session s(fx);
    gethorse(s.f, qint16(mode), name, QString());
    if (found.isEmpty()) {
        QCOMPARE(s.p.messages, QStringList{noneFound});
        return;
    }
    QVERIFY(s.p.messages.isEmpty());
    QStringList expected;
    for (const QString& n : found)
        expected << Fmt::properCase(n);
    QCOMPARE(s.column(0), expected);
    QCOMPARE(s.p.busyDepth, 0);
}

void TestGethorse::idConversion_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("id");
    QTest::addColumn<QStringList>("ids");

    QTest::newRow("12* by id") << 3 << "12*" << L({"12", "120", "1234"});
    QTest::newRow("12 by id") << 3 << "12" << L({"12"});
    QTest::newRow("12.6 goes to 13") << 3 << "12.6" << L({"13"});
    QTest::newRow("12.5 goes to even 12") << 3 << "12.5" << L({"12"});
    QTest::newRow("1?3") << 3 << "1?" << L({"12", "13"});
    QTest::newRow("name and id") << 1 << "12*" << L({"12", "120"});
    QTest::newRow("name and exact id") << 1 << "1234" << L({});
}

void TestGethorse::idConversion()
{
    QFETCH(int, mode);
    QFETCH(QString, id);
    QFETCH(QStringList, ids);

    SearchFixture fx;
    int week = 300;
    for (qint64 hid : {12, 120, 1234, 13, 1, 212}) {
        Run r;
        r.hid = hid;
        r.hname = hid == 1234 ? QStringLiteral("Other") : QStringLiteral("Blue Streak");
        r.week = week--;
        fx.add(r);
    }
    Session s(fx);
    gethorse(s.f, qint16(mode), QStringLiteral("Blue Streak"), id);
    if (ids.isEmpty()) {
        QCOMPARE(s.p.messages, QStringList{noneFound});
        return;
    }
    QCOMPARE(s.column(1), ids);
    // Modes 1 to 3 report on the horse; the id search names it by the id typed.
    const QString subject = mode == 3 ? id : QStringLiteral("Blue Streak");
    QCOMPARE(s.summary().first(), QStringLiteral("Statistics for ") + subject);
}

void TestGethorse::raceByKey()
{
    SearchFixture fx;
    for (int race : {5, 6}) {
        for (int i = 0; i < 3; ++i) {
            Run r;
            r.week = 123;
            r.race = race;
            r.hname = QStringLiteral("Horse %1-%2").arg(race).arg(i);
            r.hid = race * 10 + i;
            fx.add(r);
        }
    }
    Session s(fx);
    s.f.lblprogress = QStringLiteral("old");
    gethorse(s.f, 5, QStringLiteral("ignored name"), QStringLiteral("123.0405"));
    QVERIFY(s.p.messages.isEmpty());
    QStringList ids = s.column(1);
    ids.sort();
    QCOMPARE(ids, (L({"50", "51", "52"})));
    QCOMPARE(s.keys(), QStringList(3, QStringLiteral("123.0405")));
    QCOMPARE(s.f.lblprogress, QString());
    QVERIFY(s.f.frainfo.startsWith(QLatin1String("Statistics for 123.0405;")));

    // A pattern on the key's text lists both races.
    gethorse(s.f, 5, QString(), QStringLiteral("123.04*"));
    QCOMPARE(s.f.MSFlexGrid1.rows(), 7);
}

void TestGethorse::refusedInput_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("id");
    QTest::addColumn<QString>("firstWeek");
    QTest::addColumn<QString>("lastWeek");
    QTest::addColumn<QString>("injury");
    QTest::addColumn<QString>("message");

    QTest::newRow("empty id") << 3 << ""
                              << ""
                              << ""
                              << "30"
                              << "Please enter the horse's ID number.";
    QTest::newRow("empty id with name") << 1 << " "
                                        << ""
                                        << ""
                                        << "30"
                                        << "Please enter the horse's ID number.";
    QTest::newRow("id not a number") << 3 << "1.2.3"
                                     << ""
                                     << ""
                                     << "30"
                                     << "The ID \"1.2.3\" is not a number.";
    QTest::newRow("id too large") << 3 << "99999999999"
                                  << ""
                                  << ""
                                  << "30"
                                  << "The ID 99999999999 is too large.";
    QTest::newRow("empty race") << 5 << ""
                                << ""
                                << ""
                                << "30"
                                << "Please enter a race number, such as 612.0507.";
    QTest::newRow("race not a number") << 5 << "12..1"
                                       << ""
                                       << ""
                                       << "30"
                                       << "The race number \"12..1\" is not a number.";
    QTest::newRow("first week") << 2 << ""
                                << "x1"
                                << ""
                                << "30"
                                << "The first week \"x1\" is not a number.";
    QTest::newRow("last week") << 2 << ""
                               << ""
                               << "-"
                               << "30"
                               << "The last week \"-\" is not a number.";
    QTest::newRow("threshold") << 2 << ""
                               << ""
                               << ""
                               << "a"
                               << "The speed threshold \"a\" is not a number.";
}

void TestGethorse::refusedInput()
{
    QFETCH(int, mode);
    QFETCH(QString, id);
    QFETCH(QString, firstWeek);
    QFETCH(QString, lastWeek);
    QFETCH(QString, injury);
    QFETCH(QString, message);

    SearchFixture fx;
    fx.add(Run{});
    Session s(fx);
    gethorse(s.f, 2, QStringLiteral("Blue Streak"), QString());
    const QString before = s.f.lblprogress;
    s.p.messages.clear();
    s.f.panel.txtfirstweek = firstWeek;
    s.f.panel.txtlastweek = lastWeek;
    s.f.panel.txtinjury = injury;
    gethorse(s.f, qint16(mode), QStringLiteral("Blue Streak"), id);
    QCOMPARE(s.p.messages, QStringList{message});
    QCOMPARE(s.f.lblprogress, before);
    QCOMPARE(s.f.MSFlexGrid1.rows(), 2);
    QCOMPARE(s.f.MSFlexGrid1.text(1, 0), QStringLiteral("Blue Streak"));
    QCOMPARE(s.p.busyDepth, 0);
    QVERIFY(s.f.MSFlexGrid1.redraw());
}

void TestGethorse::databaseGone()
{
    SearchFixture fx;
    fx.add(Run{});
    Session s(fx);
    gethorse(s.f, 2, QStringLiteral("Blue Streak"), QString());
    fx.db().close();
    QVERIFY(QFile::remove(fx.path() + QStringLiteral("/horses.mdb")));
    s.p.messages.clear();
    gethorse(s.f, 2, QStringLiteral("Blue Streak"), QString());
    QCOMPARE(s.p.messages.size(), 1);
    QVERIFY(s.p.messages.first().contains(QLatin1String("horses.mdb")));
    QCOMPARE(s.f.lblprogress, QString());
    QCOMPARE(s.f.MSFlexGrid1.text(1, 0), QStringLiteral("Blue Streak"));
    QCOMPARE(s.p.busyDepth, 0);
    QVERIFY(s.f.MSFlexGrid1.redraw());
}

void TestGethorse::weekWalks_data()
{
    QTest::addColumn<QString>("firstWeek");
    QTest::addColumn<QString>("lastWeek");
    QTest::addColumn<QStringList>("weeks");

    QTest::newRow("all") << ""
                         << "" << L({"121", "120", "119", "118"});
    QTest::newRow("last week 120") << ""
                                   << "120" << L({"120", "119", "118"});
    QTest::newRow("first week 119") << "119"
                                    << "" << L({"121", "120", "119"});
    QTest::newRow("both") << "119"
                          << "120" << L({"120", "119"});
    QTest::newRow("newest before first week") << "119"
                                              << "118" << L({"118"});
    QTest::newRow("first week after all") << "200"
                                          << "" << L({"121"});
    QTest::newRow("last week before all") << ""
                                          << "100" << L({});
}

void TestGethorse::weekWalks()
{
    QFETCH(QString, firstWeek);
    QFETCH(QString, lastWeek);
    QFETCH(QStringList, weeks);

    SearchFixture fx;
    for (int w = 118; w <= 121; ++w) {
        Run r;
        r.week = w;
        fx.add(r);
    }
    Session s(fx);
    s.f.panel.txtfirstweek = firstWeek;
    s.f.panel.txtlastweek = lastWeek;
    gethorse(s.f, 2, QStringLiteral("Blue Streak"), QString());
    QCOMPARE(s.p.busyDepth, 0);
    if (weeks.isEmpty()) {
        QCOMPARE(s.p.messages, QStringList{noneFound});
        QCOMPARE(s.f.lblprogress, QString());
        return;
    }
    QStringList shown;
    for (const QString& key : s.keys())
        shown << key.section(QLatin1Char('.'), 0, 0);
    QCOMPARE(shown, weeks);
    // The statistics cover exactly the listed starts.
    QVERIFY(s.f.frainfo.endsWith(QStringLiteral(" / %1").arg(weeks.size())));
}

void TestGethorse::currentOwnerOnly()
{
    SearchFixture fx;
    // Newest first: three under Oak Farm, two under Hill Stable, two under Oak Farm again.
    const char* owners[] = {"Oak Farm",    "Oak Farm", "Oak Farm", "Hill Stable",
                            "Hill Stable", "Oak Farm", "Oak Farm"};
    for (int i = 0; i < 7; ++i) {
        Run r;
        r.week = 300 - i;
        r.oname = QString::fromLatin1(owners[i]);
        fx.add(r);
    }
    Session s(fx);
    s.f.panel.chkowner = true;
    gethorse(s.f, 2, QStringLiteral("Blue Streak"), QString());
    QCOMPARE(s.keys(), (L({"300.0405", "299.0405", "298.0405"})));
    QCOMPARE(s.summary().at(1), QStringLiteral("Under trainer:  Oak Farm"));

    s.f.panel.chkowner = false;
    gethorse(s.f, 2, QStringLiteral("Blue Streak"), QString());
    QCOMPARE(s.f.MSFlexGrid1.rows(), 8);
    // The owner figures follow the newest owner: 5 of the 7 starts, all wins at $6,000.
    QCOMPARE(s.summary().at(2), QStringLiteral("Earnings: $30,000"));
    QCOMPARE(s.summary().at(3), QStringLiteral("W-P-S-4-5:  5-0-0-0-0=5/5"));
}

void TestGethorse::currentOwnerWithLastWeek()
{
    SearchFixture fx;
    const char* owners[] = {"Oak Farm", "Hill Stable", "Hill Stable", "Oak Farm"};
    for (int i = 0; i < 4; ++i) {
        Run r;
        r.week = 300 - i;
        r.oname = QString::fromLatin1(owners[i]);
        fx.add(r);
    }
    Session s(fx);
    s.f.panel.chkowner = true;
    s.f.panel.txtlastweek = QStringLiteral("299");
    gethorse(s.f, 2, QStringLiteral("Blue Streak"), QString());
    // The reference owner is still the newest start's, so the walk lists its first start and stops.
    QCOMPARE(s.keys(), L({"299.0405"}));
    QCOMPARE(s.column(15), L({"Hill Stable"}));

    s.f.panel.txtlastweek = QStringLiteral("300");
    gethorse(s.f, 2, QStringLiteral("Blue Streak"), QString());
    QCOMPARE(s.keys(), L({"300.0405"}));
}

void TestGethorse::countQuestion()
{
    SearchFixture fx;
    fx.addMany(8001, [](int i) {
        Run r;
        r.week = 1000 - i / 40;
        r.race = i % 40 + 1;
        r.hname = QStringLiteral("Horse %1").arg(i);
        r.oname = QStringLiteral("Big Stable");
        return r;
    });
    Session s(fx);
    s.f.panel.txtfirstweek = QStringLiteral("900"); // more than 8000 found, fewer listed
    gethorse(s.f, 2, QStringLiteral("Horse 1"), QString());
    const GridState before = s.f.MSFlexGrid1;
    s.p.messages.clear();
    s.p.labelTexts.clear();

    gethorse(s.f, 4, QStringLiteral("Big Stable"), QString());
    QCOMPARE(s.p.messages.size(), 1);
    QCOMPARE(s.p.messages.first(),
             QStringLiteral(
                 "There are 8001 horses that match this query.  Proceed anyway?\rNote: the actual number "
                 "of horses listed may be less than this amount, and also that the maximum number of "
                 "horses that can be listed is 15,000 in this version."));
    // Declined: everything stays, "Searching..." included.
    QCOMPARE(s.f.lblprogress, QStringLiteral("Searching..."));
    QCOMPARE(s.f.MSFlexGrid1.rows(), before.rows());
    QCOMPARE(s.f.MSFlexGrid1.text(1, 0), before.text(1, 0));
    QCOMPARE(s.p.busyDepth, 0);
    QVERIFY(s.f.MSFlexGrid1.redraw());

    s.p.messages.clear();
    s.p.answers.push_back(Platform::Answer::Yes);
    gethorse(s.f, 4, QStringLiteral("Big Stable"), QString());
    QCOMPARE(s.p.messages.size(), 1);
    QCOMPARE(s.f.MSFlexGrid1.rows(), 101 * 40 + 1); // weeks 1000 to 900, 40 starts each
    QCOMPARE(s.f.MSFlexGrid1.text(1, 2), QStringLiteral("1000.0440"));

    // 8000 found: no question.
    QSqlQuery remove(fx.db().handle());
    QVERIFY(remove.exec(QStringLiteral("DELETE FROM tblhorsedata WHERE hname = 'Horse 8000'")));
    s.p.messages.clear();
    s.f.panel.txtfirstweek.clear();
    gethorse(s.f, 4, QStringLiteral("Big Stable"), QString());
    QVERIFY(s.p.messages.isEmpty());
    QCOMPARE(s.f.MSFlexGrid1.rows(), 8001);
}

void TestGethorse::listingCap()
{
    SearchFixture fx;
    fx.addMany(15002, [](int i) {
        Run r;
        r.week = 1000 - i / 40;
        r.race = i % 40 + 1;
        r.hname = QStringLiteral("Horse %1").arg(i);
        r.oname = QStringLiteral("Big Stable");
        r.fin = i < 15000 ? 2 : 1; // the two starts beyond the cap are the only wins
        return r;
    });
    Session s(fx);
    s.p.defaultAnswer = Platform::Answer::Yes;
    gethorse(s.f, 4, QStringLiteral("Big Stable"), QString());
    QVERIFY(s.p.messages.first().startsWith(QLatin1String("There are 15002 horses")));
    QCOMPARE(s.f.MSFlexGrid1.rows(), 15001);
    QCOMPARE(s.f.MSFlexGrid1.text(15000, 0), QStringLiteral("Horse 14960"));
    QCOMPARE(s.summary().at(2), QStringLiteral("W:  0 = 0.0%"));
    QCOMPARE(s.summary().at(3), QStringLiteral("P:  15000 = 100.0%"));
    QVERIFY(s.f.frainfo.endsWith(QLatin1String("0 - 15000 - 0 - 0 - 0 = 15000 / 15000")));
}

void TestGethorse::rowCells()
{
    SearchFixture fx;
    Run a;
    a.week = 7;
    a.track = 1;
    a.race = 2;
    a.sp = 8.46;
    a.odds = 2.5;
    a.fin = 2;
    a.purse = 12345;
    a.cprice = 1500;
    a.dist = 8.5;
    a.restr = QStringLiteral("Clm");
    a.start = 4;
    fx.add(a);
    Run b;
    b.week = 6;
    b.track = 9; // no track code
    b.sp = 101.24;
    b.odds = 12;
    b.fin = 6;
    b.dist = 6;
    fx.add(b);
    Run c;
    c.week = 5;
    c.fin = 5;
    c.purse = 25; // 0.5: to the even neighbour
    fx.add(c);
    Session s(fx);
    gethorse(s.f, 2, QStringLiteral("blue streak"), QString());
    const GridState& g = s.f.MSFlexGrid1;
    QCOMPARE(g.rows(), 4);
    const QStringList header = L({"Name", "H.ID.", "Race #", "Age", "Tr", "Typ", "Dis", "S", "Sp", "PL", "FD",
                                  "PP", "Purse", "Odds", "Earn.", "Owner", "Clm", "St"});
    QStringList cells;
    for (int col = 0; col < 18; ++col)
        cells << g.text(0, col);
    QCOMPARE(cells, header);
    cells.clear();
    for (int col = 0; col < 18; ++col)
        cells << g.text(1, col);
    QCOMPARE(cells, (L({"Blue Streak", "100", "7.0102", "O-3+", "AZ", "Clm", "8.5", "D", "08.5", "2", "8",
                        "3", "12345", "2.50", "3086", "Red Barn", "1500", "4"})));
    QCOMPARE(g.text(2, 4), QString());
    QCOMPARE(g.text(2, 8), QStringLiteral("101.2"));
    QCOMPARE(g.text(2, 13), QStringLiteral("12.00"));
    QCOMPARE(g.text(2, 14), QStringLiteral("0"));
    QCOMPARE(g.text(2, 16), QString());
    QCOMPARE(g.text(3, 14), QStringLiteral("0"));
    for (int col : {1, 2, 8, 11, 12, 13, 14, 16, 17})
        QCOMPARE(g.cellAlign(0, col), Align::RightCenter);
    QCOMPARE(g.cellAlign(0, 0), Align::General);
    for (int col : {3, 5, 15})
        QCOMPARE(g.colAlign(col), Align::LeftTop);
    QCOMPARE(g.colAlign(14), Align::RightCenter);
    QCOMPARE(g.row(), 3);
    QVERIFY(g.redraw());
}

void TestGethorse::rowColours_data()
{
    QTest::addColumn<QString>("cond");
    QTest::addColumn<QString>("surf");
    QTest::addColumn<int>("colour");
    QTest::newRow("fast dirt") << "F"
                               << "D" << int(Palette::DarkRed);
    QTest::newRow("firm turf") << "F"
                               << "T" << int(Palette::DarkGreen);
    QTest::newRow("good turf") << "G"
                               << "T" << int(Palette::DarkCyan);
    QTest::newRow("good dirt") << "G"
                               << "D" << int(Palette::DarkMagenta);
    QTest::newRow("sloppy") << "S"
                            << "D" << int(Palette::DarkBlue);
    QTest::newRow("yielding") << "Y"
                              << "T" << int(Palette::DarkYellow);
    QTest::newRow("empty") << ""
                           << "T" << int(Palette::Default);
    QTest::newRow("other") << "M"
                           << "D" << int(Palette::Default);
}

void TestGethorse::rowColours()
{
    QFETCH(QString, cond);
    QFETCH(QString, surf);
    QFETCH(int, colour);
    SearchFixture fx;
    Run r;
    r.cond = cond;
    r.surf = surf;
    fx.add(r);
    Session s(fx);
    gethorse(s.f, 2, r.hname, QString());
    for (int c = 0; c < 18; ++c)
        QCOMPARE(int(s.f.MSFlexGrid1.colour(1, c)), colour);
}

void TestGethorse::winGridBuckets()
{
    SearchFixture fx;
    struct Start {
        double dist;
        double sp;
        int fin;
        const char* cond;
        const char* surf;
    };
    const Start starts[] = {{4.5, 70, 1, "F", "D"},
                            {5.99, 75.5, 3, "F", "D"},
                            {14, 98.5, 2, "F", "D"},
                            {8, 101.2, 1, "F", "T"},
                            {12, 60, 4, "G", "T"}};
    int week = 300;
    for (const Start& st : starts) {
        Run r;
        r.week = week--;
        r.dist = st.dist;
        r.sp = st.sp;
        r.fin = st.fin;
        r.cond = QString::fromLatin1(st.cond);
        r.surf = QString::fromLatin1(st.surf);
        fx.add(r);
    }
    Session s(fx);
    gethorse(s.f, 2, QStringLiteral("Blue Streak"), QString());
    const GridState& g = s.f.MSFWGrid;
    auto row = [&](int r) {
        QStringList out;
        for (int c = 1; c <= 9; ++c)
            out << g.text(r, c);
        return out;
    };
    QCOMPARE(row(1), (L({"2-75.5", "", "", "", "", "", "", "1-98.5", "98.5/3"})));
    QCOMPARE(row(2), (L({"", "", "", "1-101.2", "", "", "", "", "101.2/1"})));
    QCOMPARE(row(3), (L({"", "", "", "", "", "", "", "1-60.0", "60.0/1"})));
    QCOMPARE(row(4), (L({"1-0-1", "", "", "", "", "", "", "0-1-0", "1-1-1/3"})));
    QCOMPARE(row(5), (L({"", "", "", "1-0-0", "", "", "", "", "1-0-0/1"})));
    QCOMPARE(row(6), (L({"", "", "", "", "", "", "", "0-0-0", "0-0-0/1"})));
    QCOMPARE(s.f.frainfo,
             QStringLiteral("Statistics for Blue Streak;     $15,800;  2 - 1 - 1 - 1 - 0 = 5 / 5"));

    // A later search with no turf start clears the old cells and still writes the Max column.
    s.f.panel.txtfirstweek = QStringLiteral("299");
    gethorse(s.f, 2, QStringLiteral("Blue Streak"), QString());
    QCOMPARE(row(2), (L({"", "", "", "", "", "", "", "", "0.0/0"})));
}

void TestGethorse::averageSpeeds()
{
    SearchFixture fx;
    struct Start {
        double dist;
        double sp;
        const char* cond;
    };
    // Sprint 5.5 and routes 8 (beyond 7.9) and 8.5 on fast dirt; a start at the threshold; off-track starts.
    const Start starts[] = {{5.5, 80, "F"}, {8, 91, "F"},    {8.5, 100, "F"},
                            {6, 30, "F"},   {6, 30.01, "S"}, {9, 87.35, "G"}};
    int week = 300;
    for (const Start& st : starts) {
        Run r;
        r.week = week--;
        r.dist = st.dist;
        r.sp = st.sp;
        r.cond = QString::fromLatin1(st.cond);
        fx.add(r);
    }
    Session s(fx);
    gethorse(s.f, 2, QStringLiteral("Blue Streak"), QString());
    const GridState& g = s.f.MSFSGrid;
    auto row = [&](int r) { return QStringList{g.text(r, 1), g.text(r, 2), g.text(r, 3)}; };
    QCOMPARE(row(1), (L({"80.0 (1)", "95.5 (2)", "90.3 (3)"})));
    QCOMPARE(row(2), (L({"0 (0)", "0 (0)", "0 (0)"})));
    QCOMPARE(row(3), (L({"30.0 (1)", "87.4 (1)", "58.7 (2)"})));
    QCOMPARE(row(4), (L({"55.0 (2)", "92.8 (3)", "77.7 (5)"})));
    // The start at 30 still counts in the bucket table; exactly 100 is 90+ and 100+, not 110+.
    QCOMPARE(s.f.MSFWGrid.text(1, 2), QStringLiteral("1-30.0"));
    QCOMPARE(s.summary().last(), QStringLiteral("110+: 0     100+: 1     90+: 2"));

    s.f.panel.txtinjury = QString(); // an empty threshold counts every start
    gethorse(s.f, 2, QStringLiteral("Blue Streak"), QString());
    QCOMPARE(g.text(1, 1), QStringLiteral("55.0 (2)"));
}

void TestGethorse::tagAndRecentWins()
{
    SearchFixture fx;
    struct Start {
        int week;
        qint64 cprice;
        const char* restr;
        int fin;
    };
    // Today is week 420. Claiming 5000 at 410, 4000 at 405 and 400; an older cheaper claim; a cheap starter
    // race.
    const Start starts[] = {{410, 5000, "Clm", 2}, {405, 4000, "Clm", 3}, {404, 1000, "Str", 2},
                            {400, 4000, "Clm", 4}, {320, 0, "Alw", 1},    {240, 1, "Clm", 1},
                            {100, 0, "Alw", 1},    {40, 0, "Alw", 1}};
    for (const Start& st : starts) {
        Run r;
        r.week = st.week;
        r.cprice = st.cprice;
        r.restr = QString::fromLatin1(st.restr);
        r.fin = st.fin;
        fx.add(r);
    }
    Session s(fx);
    s.p.dateFormat = QStringLiteral("yyyy-MM-dd");
    gethorse(s.f, 2, QStringLiteral("Blue Streak"), QString());
    const QStringList lines = s.summary();
    QCOMPARE(lines.at(4), QStringLiteral("Current Tag: $4,000"));
    QCOMPARE(lines.at(5), QStringLiteral("Last Week of Tag:  Week 580  (%1)")
                              .arg(QDate(1998, 7, 21).addDays(580).toString(QStringLiteral("yyyy-MM-dd"))));
    QCOMPARE(lines.at(6), QString());
    // Wins 100, 180, 320 and 380 days ago.
    QCOMPARE(lines.at(7), QStringLiteral("Last 3, 6, 9, 12 mths: 0-1-2-3"));
    QCOMPARE(lines.size(), 9);
}

void TestGethorse::noTag()
{
    SearchFixture fx;
    Run old;
    old.week = 200; // 220 days ago
    old.cprice = 2000;
    fx.add(old);
    Run starter;
    starter.week = 415;
    starter.cprice = 2000;
    starter.restr = QStringLiteral("Str");
    fx.add(starter);
    Run recentWin;
    recentWin.week = 340; // 80 days ago
    fx.add(recentWin);
    Session s(fx);
    gethorse(s.f, 2, QStringLiteral("Blue Streak"), QString());
    const QStringList lines = s.summary();
    QCOMPARE(lines.at(4), QStringLiteral("This horse has no tag."));
    QCOMPARE(lines.at(5), QString());
    QCOMPARE(lines.at(6), QStringLiteral("Last 3, 6, 9, 12 mths: 2-2-3-3"));
}

void TestGethorse::ownerSummary()
{
    SearchFixture fx;
    fx.addMany(20, [](int i) {
        Run r;
        r.week = 300 - i;
        r.hname = QStringLiteral("Horse %1").arg(i % 3);
        r.hid = i % 3;
        r.oname = QStringLiteral("Oak Farm");
        r.fin = i < 5 ? 1 : i < 8 ? 2 : i < 9 ? 3 : 7;
        r.sp = i < 2 ? 110 : i < 3 ? 100 : 50;
        r.purse = 1000;
        return r;
    });
    Session s(fx);
    gethorse(s.f, 4, QStringLiteral("oak farm"), QString());
    QCOMPARE(s.summary(), L({"Statistics for Oak Farm", "Earnings = $3,830 = $192 / race", "W:  5 = 25.0%",
                             "P:  3 = 15.0%", "S:  1 = 5.0%", "", "110+:  2 = 10.0%", "100+:  3 = 15.0%",
                             " 90+:  3 = 15.0%"}));
    QCOMPARE(s.f.frainfo, QStringLiteral("Statistics for Oak Farm;     $3,830;  5 - 3 - 1 - 0 - 0 = 9 / 20"));
}

void TestGethorse::bigOwnerEarnings()
{
    SearchFixture fx;
    fx.addMany(5, [](int i) {
        Run r;
        r.week = 300 - i;
        r.purse = 1000000000; // five wins of 600,000,000 pass the 32-bit range
        return r;
    });
    Session s(fx);
    gethorse(s.f, 2, QStringLiteral("Blue Streak"), QString());
    QVERIFY(s.f.frainfo.contains(QLatin1String("$3,000,000,000;")));
    QCOMPARE(s.summary().at(2), QStringLiteral("Earnings: $3,000,000,000"));
}

void TestGethorse::stableExpression()
{
    SearchFixture fx;
    int week = 300;
    for (const char* owner : {"Red Barn", "Oak Farm", "Hill Stable", "Red Barn"}) {
        Run r;
        r.week = week--;
        r.oname = QString::fromLatin1(owner);
        fx.add(r);
    }
    Session s(fx);
    gethorse(s.f, 4, QStringLiteral("Red Barn\" OR oname=\"Oak Farm"), QString());
    QCOMPARE(s.column(15), (L({"Red Barn", "Oak Farm", "Red Barn"})));
    QVERIFY(s.f.frainfo.startsWith(QLatin1String("Statistics for Special: Red Barn;     $")));
}

void TestGethorse::returnsFromSireLayout()
{
    SearchFixture fx;
    fx.add(Run{});
    Session s(fx);
    s.f.showSireLayout();
    QVERIFY(s.f.sireLayout());
    gethorse(s.f, 2, QStringLiteral("Blue Streak"), QString());
    QVERIFY(!s.f.sireLayout());
    QCOMPARE(s.f.MSFlexGrid1.cols(), 18);
    QVERIFY(s.f.MSFWGrid.visible());
    QVERIFY(!s.f.MSFmaxgrid.visible());
    QVERIFY(s.f.cmdprintEnabled);
    QVERIFY(s.p.labelTexts.contains(QStringLiteral("lblprogress: Searching...")));
}

void TestGethorse::listCommands()
{
    SearchFixture fx;
    int week = 300;
    for (const char* owner : {"Red Barn", "Oak Farm"}) {
        for (int h = 0; h < 2; ++h) {
            Run r;
            r.week = week;
            r.race = 1;
            r.hid = 10 + h;
            r.hname = QStringLiteral("horse %1").arg(h);
            r.oname = QString::fromLatin1(owner);
            fx.add(r);
        }
        --week;
    }
    Session s(fx);
    gethorse(s.f, 4, QStringLiteral("Oak Farm"), QString());
    QCOMPARE(s.f.MSFlexGrid1.rows(), 3);
    s.f.MSFlexGrid1.setCurrent(2, 3);
    const QString horse = s.f.MSFlexGrid1.text(2, 0);
    listhorse_Click(s.f);
    QCOMPARE(s.column(0), (QStringList{horse, horse}));
    QCOMPARE(s.column(15), (L({"Red Barn", "Oak Farm"})));

    s.f.MSFlexGrid1.setCurrent(2, 0);
    listrace_Click(s.f);
    QCOMPARE(s.keys(), (L({"299.0401", "299.0401"})));
    QCOMPARE(s.f.frainfo.left(24), QStringLiteral("Statistics for 299.0401;"));

    s.f.MSFlexGrid1.setCurrent(1, 0);
    listowner_Click(s.f);
    QCOMPARE(s.column(15), QStringList(2, QStringLiteral("Oak Farm")));
    QVERIFY(s.p.messages.isEmpty());

    s.f.showSireLayout();
    for (auto* list : {&listrace_Click, &listowner_Click}) {
        s.p.messages.clear();
        list(s.f);
        QCOMPARE(s.p.messages, QStringList{QStringLiteral(
                                   "This option is only available after a horse, owner or race search.")});
        QVERIFY(s.f.sireLayout());
    }
    s.f.MSFlexGrid1.setCurrent(1, 0);
    const QString first = s.f.MSFlexGrid1.text(1, 0);
    listhorse_Click(s.f);
    QVERIFY(!s.f.sireLayout());
    QCOMPARE(s.column(0), QStringList(2, first));
}

QTEST_GUILESS_MAIN(TestGethorse)
#include "test_gethorse.moc"
