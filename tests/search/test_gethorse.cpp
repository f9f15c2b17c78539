// Searches end to end through the core (query, name index, walk, results grid, statistics texts), through
// the search panel of the real main window, and from the command line; the stable search with its saved sets,
// window and commands.
#include "core/format.h"
#include "core/headlessplatform.h"
#include "core/mainwindowstate.h"
#include "db/maintenance.h"
#include "db/nameindex.h"
#include "gui/app/frmmainfinder.h"
#include "gui/app/searchpanel.h"
#include "gui/search/frmstable.h"
#include "gui/widgets/gridview.h"
#include "import/importdriver.h"
#include "openhandles.h"
#include "output/gridjson.h"
#include "output/gridsettings.h"
#include "runcli.h"
#include "sample/sampledata.h"
#include "search/cellformat.h"
#include "search/gethorse.h"
#include "search/horsestats.h"
#include "search/namewalk.h"
#include "search/searchquery.h"
#include "searchfixture.h"
#include "startup/startup.h"
#include "testsupport.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QJsonDocument>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>

#include <sqlite3.h>

#include <random>
#include <sys/stat.h>
#include <tuple>

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
    /** Searches; the busy pointer, the drawing and the open files are then as they were before. */
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
    {"double quote", 2, "Say \"When\"", "", "", "", 0, "Say \"when\""},
    {"percent in pattern", 2, "100%*", "", "", "", 0, "100% Pure"},
    {"underscore in pattern", 2, "A_*", "", "", "", 0, "A_b"},
    {"backslash", 2, "C\\D*", "", "", "", 0, "C\\d"},
    {"quote in SQL", 2, "O'Hara", "", "", "", 0, "O'hara"},
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

using namespace SearchQuery;

/** The rows of a query on the file, sorted, its columns joined by "|"; the error text if it fails. */
static QStringList rows(const QString& file, const QString& sql, const QVariantList& binds = {})
{
    QStringList out = queryRows(file, sql, binds);
    std::sort(out.begin(), out.end());
    return out;
}

/** The names the index holds, with their start counts, and those of the starts, which must be equal; the
    full-text part checked. */
#define QCOMPARE_IN_STEP(file)                                                                               \
    QCOMPARE(rows(file, u"INSERT INTO tblnames_fts (tblnames_fts, rank) VALUES ('integrity-check', 1)"_s),   \
             QStringList());                                                                                 \
    QCOMPARE(rows(file, u"SELECT kind, lower(name), starts FROM tblnames"_s),                                \
             rows(file, u"SELECT 0, lower(hname), COUNT(*) FROM tblhorsedata WHERE hname NOT NULL GROUP BY " \
                        "hname UNION ALL SELECT 1, lower(oname), COUNT(*) FROM tblhorsedata WHERE oname "    \
                        "NOT NULL GROUP BY oname"_s))

/** Makes the file one from before the name index. */
static void dropIndex(const QString& file)
{
    for (const char* drop : {"TRIGGER tblhorsedata_names_added", "TRIGGER tblhorsedata_names_dropped",
                             "TRIGGER tblhorsedata_names_changed", "TABLE tblnames_fts", "TABLE tblnames"})
        rows(file, u"DROP "_s + QLatin1String(drop));
}

/** Gives the file the race, horse and owner indexes of older versions, which hold only their keys. */
static void oldListingIndexes(const QString& file)
{
    for (const char* sql :
         {"DROP INDEX tblraces_racenum", "CREATE INDEX tblraces_racenum ON tblraces (racenum)",
          "DROP INDEX tblhorsedata_hname",
          "CREATE INDEX tblhorsedata_hname ON tblhorsedata (hname COLLATE NOCASE, racenum)",
          "DROP INDEX tblhorsedata_oname",
          "CREATE INDEX tblhorsedata_oname ON tblhorsedata (oname COLLATE NOCASE, racenum)"})
        rows(file, QString::fromLatin1(sql));
}

/** Everything a search shows: its outcome, messages, the three grids with their colours, the summary and the
    caption. */
static QStringList shown(MainWindowState& f, HeadlessPlatform& p, int mode, const QString& name)
{
    p.messages.clear();
    QStringList out{QString::number(gethorse(f, qint16(mode), name, {}))};
    out << p.messages << f.lblprogress << f.frainfo;
    for (const GridState* g : {&f.MSFlexGrid1, &f.MSFWGrid, &f.MSFSGrid})
        out << QString::fromUtf8(QJsonDocument(gridToJson(*g)).toJson(QJsonDocument::Compact));
    return out;
}

/** Generated weeks with replaced, removed and odd names: names with the characters that are literal in a
    pattern, in another case than searched, and several starts of one name in one race. */
static void fill(const QString& dir, MainWindowState& f)
{
    TurfGen::Settings settings;
    settings.tracks = 10;
    TurfGen::Generator gen(settings), other(TurfGen::smallSettings(5));
    QVERIFY(TurfGen::buildDatabase(dir, gen, 101, 104) && other.writeWeeks(101, 102, dir));
    importFiles(f, {dir + u"/raceout101.txt"_s}); // replaced by other horses
    QCOMPARE(removeweeks(f, {u"Week 103"_s}, false), RemoveOutcome::Removed);
    rows(dir + u"/horses.mdb"_s,
         u"INSERT INTO tblhorsedata (hname, hid, racenum, oname) VALUES ('100% PURE', 1, 101.0101, "
         "'Under_Score'), ('Say \"When\"', 2, 101.0101, '50%_Acres'), ('Ol\u00e9 Ol\u00e9', 3, 101.0101, "
         "'Ab'), "
         "('Ol\u00e9 Ol\u00e9', 4, 101.0101, 'Ab'), ('ol\u00e9 ol\u00e9', 5, 102.0101, 'AB')"_s);
}

namespace
{

/** The main window over a fixture's directory, the breeding file present, shown and loaded. */
struct Window {
    explicit Window(SearchFixture& fx) : w(p, fx.path(), fx.path() + u"/breeding.txt"_s)
    {
        writeFile(fx.path() + u"/breeding.txt"_s, {});
        p.todayDate = dateOfWeek(420);
        p.dateFormat = u"d MMM yyyy"_s;
        w.Form_Load();
        w.show();
        p.messages.clear();
    }
    MainWindowState& f() { return w.state(); }
    QStringList column(int c) { return cells(f().MSFlexGrid1, 1, f().MSFlexGrid1.rows() - 1, c, c); }

    HeadlessPlatform p;
    frmmainfinder w;
};

/** Clicks a button near its left edge, where an option button's circle and caption are. */
void click(QAbstractButton* button)
{
    QVERIFY(button);
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2));
}

/** Four boxes given as one string with '|' between them. */
std::array<QString, 4> B(const char* texts)
{
    const QStringList l = QString::fromUtf8(texts).split(u'|');
    return {l.value(0), l.value(1), l.value(2), l.value(3)};
}

/** The dialog's state over a directory, loaded as the dialog opens; the file written first when given. */
struct Dialog {
    explicit Dialog(const QString& dir, const QByteArray& content = {}) : f(p, dir, QString())
    {
        if (!content.isNull())
            writeFile(f.savedNamesPath(), content);
        cmdload_Click(f, s);
    }
    QByteArray file() const { return readFile(f.savedNamesPath()); }
    HeadlessPlatform p;
    MainWindowState f;
    StableState s;
};

} // namespace

class TestGethorse : public QObject
{
    Q_OBJECT

    // Names for the core searches, horses for the search panel, owners for the stable search.
    std::unique_ptr<SearchFixture> m_fx, m_panel, m_stables;
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
        m_panel = std::make_unique<SearchFixture>();
        const char* names[] = {"Blue Streak", "Night Train", "Abcdefghijklmnopqrstuvwxy"};
        for (int i = 0; i < 9; ++i) {
            Run r{
                .hname = QLatin1String(names[i % 3]), .hid = 100 + i % 3, .week = 410 - i, .race = 1 + i % 3};
            r.fin = i % 4 + 1, r.sp = 85 + i * 3.1, r.oname = i < 3 ? u"Oak Farm"_s : u"Red Barn"_s;
            r.surf = i % 2 ? u"T"_s : u"D"_s, r.cond = i % 3 == 2 ? u"G"_s : u"F"_s;
            r.cprice = i % 2 ? 4000 : 0, r.restr = i % 2 ? u"Clm"_s : u"Alw"_s;
            m_panel->add(r);
        }
        m_stables = std::make_unique<SearchFixture>();
        const QStringList owners = L("Red Barn|Oak Farm|Elm Farm|Red Barn|Oak Farm|Red Bank|Hill, Dale");
        for (int i = 0; i < 7; ++i)
            m_stables->add({.hid = 100 + i, .week = 400 + i, .oname = owners[i]});
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
        const QStringList expected = L(t.found);
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
        {
            Sql::Transaction t(fx.db().sql());
            for (int i = 0; i < 15002; ++i) // the two starts beyond the listing's cap are the only wins
                fx.add({.hname = u"H%1"_s.arg(i),
                        .week = 1000 - i / 40,
                        .race = i % 40 + 1,
                        .fin = 2 - i / 15000});
            QVERIFY(t.commit());
        }
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
        QCOMPARE(cells(w, 1, 6, 1, 9),
                 L("2-75.5|||||||1-98.5|98.5/3||||1-101.2|||||101.2/1||||||||1-60.0|60.0/1|"
                   "1-0-1|||||||0-1-0|1-1-1/3||||1-0-0|||||1-0-0/1||||||||0-0-0|0-0-0/1"));
        QCOMPARE(s.f.frainfo, u"Statistics for Blue Streak;     $15,800;  2 - 1 - 1 - 1 - 0 = 5 / 5"_s);
        // A later search with no turf start clears the old cells and still writes the Max column.
        s.f.panel.txtfirstweek = u"299"_s;
        s.search(2, u"Blue Streak"_s);
        QCOMPARE(cells(w, 2, 2, 1, 9), L("||||||||0.0/0"));

        s.f.panel.txtfirstweek.clear();
        s.search(2, u"Speedy"_s);
        const GridState& a = s.f.MSFSGrid;
        QCOMPARE(cells(a, 1, 4, 1, 3),
                 L("80.0 (1)|95.5 (2)|90.3 (3)|0 (0)|0 (0)|0 (0)|30.0 (1)|87.4 (1)|58.7 (2)|"
                   "55.0 (2)|92.8 (3)|77.7 (5)"));
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
            r.fin = i < 9 ? "111112223"[i] - '0' : 7, r.sp = i < 3 ? 110 - 10 * (i / 2) : 50, r.purse = 1000;
            fx.add(r);
        }
        // Newest first: three under Ash Farm, two under Hill Stable, two under Ash Farm again, at track 1.
        int week = 300;
        for (const char* owner :
             {"Ash Farm", "Ash Farm", "Ash Farm", "Hill Stable", "Hill Stable", "Ash Farm", "Ash Farm"})
            fx.add({.hname = u"Changer"_s, .week = week--, .track = 1, .oname = QLatin1String(owner)});
        // One stable's horses found by one pattern: the owner figures are the newest start's horse's only.
        for (const auto& [name, hid] :
             {std::pair{"Pair A", 500}, {"Pair B", 501}, {"Pair A", 502}, {"Pair C", 500}})
            fx.add(
                {.hname = QLatin1String(name), .hid = hid, .week = week--, .track = 1, .oname = u"Pairs"_s});
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
                 L("Under trainer:  Pairs|Earnings: $6,000|W-P-S-4-5:  1-0-0-0-0=1/1"));
        QVERIFY(s.f.frainfo.endsWith("4 - 0 - 0 - 0 - 0 = 4 / 4"_L1));

        s.f.panel.chkowner = true;
        s.search(2, u"Changer"_s);
        QCOMPARE(s.column(2), L("300.0105|299.0105|298.0105"));
        QCOMPARE(s.summary().at(1), u"Under trainer:  Ash Farm"_s);

        s.f.panel.chkowner = false;
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
        fx.add({.hname = u"horse 2"_s, .hid = 12, .week = 298, .race = 1}); // Red Barn's, in another race
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
        QCOMPARE(s.column(2), L("300.0401|300.0401|298.0401"));

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

    void ranges_data()
    {
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QString>("range"); // lower and upper bound
        QTest::newRow("prefix") << u"Blue*"_s << u"blue bluf"_s;
        QTest::newRow("up to the question mark") << u"BLUE?x*"_s << u"blue bluf"_s;
        QTest::newRow("z") << u"Z*"_s << u"z {"_s;
        QTest::newRow("non-ASCII") << u"Ol\u00e9*"_s << u"ol\u00e9 ol\u00ea"_s;
        QTest::newRow("leading wildcard") << u"*Streak"_s << u" "_s;
    }

    void ranges()
    {
        QFETCH(QString, pattern);
        QTEST(prefixRange(pattern).lower + u' ' + prefixRange(pattern).upper, "range");
    }

    void cellsAgainstGeneralFormat()
    {
        std::mt19937 gen(7);
        std::uniform_int_distribution<int> hundredths(0, 150000);
        for (int i = 0; i < 20000; ++i) {
            // Values as the database holds them: decimals of two, three or four places, and sums of key
            // parts.
            const double key = (hundredths(gen) % 1000) + (i % 99) / 100.0 + (i % 37) / 10000.0;
            for (const double v : {hundredths(gen) / 100.0, hundredths(gen) / 1000.0, key}) {
                for (const auto& [d, w] :
                     {std::pair{1, 2}, std::pair{1, 1}, std::pair{2, 1}, std::pair{4, 1}})
                    QCOMPARE(CellFormat::fixed(v, d, w), Fmt::fixed(v, d, w));
                QCOMPARE(CellFormat::plain(v), Fmt::shortest(v));
            }
        }
    }

    void keptInStepAndBuiltOnFirstWrite()
    {
        QTemporaryDir dir;
        const QString file = dir.filePath(u"horses.mdb"_s);
        HeadlessPlatform platform;
        platform.defaultAnswer = Platform::Answer::Yes;
        MainWindowState f(platform, dir.path(), QString());
        fill(dir.path(), f);
        QCOMPARE_IN_STEP(file);
        QVERIFY(cmdcompact_Click(f));
        QCOMPARE_IN_STEP(file);

        // An older file, or one whose index lacks the start counts, gets the index with its progress shown
        // by whatever writes to it first.
        const std::function<void()> writers[] = {
            [&] { importFiles(f, {dir.filePath(u"raceout102.txt"_s)}); },
            [&] { QCOMPARE(removeweeks(f, {u"Week 104"_s}, false), RemoveOutcome::Removed); },
            [&] { QVERIFY(cmdcompact_Click(f)); },
            [&] { QCOMPARE(addtrack(platform, file, u"50"_s, u"ZZ"_s), TrackOutcome::Stored); },
        };
        for (const auto& write : writers) {
            if (&write == &writers[1])
                rows(file, u"ALTER TABLE tblnames RENAME COLUMN starts TO n"_s);
            else
                dropIndex(file);
            oldListingIndexes(file);
            platform.labelTexts.clear();
            write();
            QCOMPARE(platform.labelTexts.filter(u"name index"_s),
                     {u"lblprogress: Building the name index: 0%"_s});
            const QStringList shares = platform.labelTexts.filter(u"search indexes"_s);
            QVERIFY(!shares.isEmpty());
            QCOMPARE(shares.first(), u"lblprogress: Building the search indexes: 0%"_s);
            QCOMPARE_IN_STEP(file);
        }

        // A horse's or an owner's starts and their races are read from the indexes alone, and the starts of
        // one race still come newest stored first, not in the order of the index's further columns.
        rows(file, u"INSERT INTO tblhorsedata (hname, hid, racenum, oname) VALUES ('Zed', 1, 101.0101, "
                   "'Tie Barn'), ('Alpha', 2, 101.0101, 'Tie Barn'), ('Twin', 9, 101.0101, 'B'), "
                   "('Twin', 3, 101.0101, 'A')"_s);
        for (const auto& [mode, name, index] : {std::tuple{4, u"Tie Barn"_s, u"tblhorsedata_oname"_s},
                                                std::tuple{2, u"Twin"_s, u"tblhorsedata_hname"_s}}) {
            const Statement st = build(mode, name, {});
            const QString plan = queryRows(file, u"EXPLAIN QUERY PLAN "_s + st.sql, st.binds).join(u' ');
            QVERIFY2(plan.contains(u"COVERING INDEX "_s + index) &&
                         plan.contains(u"COVERING INDEX tblraces_racenum"_s),
                     qPrintable(plan));
        }
        // So are a pattern's starts, window by window, and the race of each.
        for (const QString& column : {u"hname"_s, u"oname"_s}) {
            const QString plan =
                queryRows(file, u"EXPLAIN QUERY PLAN "_s + windowOfNames(column), {u"[]"_s, 0.0, 1.0})
                    .join(u' ');
            QVERIFY2(plan.contains(u"COVERING INDEX tblhorsedata_"_s + column), qPrintable(plan));
        }
        QVERIFY(queryRows(file, u"EXPLAIN QUERY PLAN "_s + raceOfStart(), {1.0})
                    .join(u' ')
                    .contains(u"COVERING INDEX tblraces_racenum"_s));
        QVERIFY(gethorse(f, 4, u"Tie Barn"_s, {}));
        QCOMPARE(cells(f.MSFlexGrid1, 1, 2, 0, 1), (QStringList{u"Alpha"_s, u"2"_s, u"Zed"_s, u"1"_s}));
        QVERIFY(gethorse(f, 2, u"Twin"_s, {}));
        QCOMPARE(cells(f.MSFlexGrid1, 1, 2, 1, 1), (QStringList{u"3"_s, u"9"_s}));
    }

    void indexedSearchEqualsScan()
    {
        QTemporaryDir dir, bare, older;
        const QString file = dir.filePath(u"horses.mdb"_s);
        HeadlessPlatform platform, barePlatform, olderPlatform;
        platform.defaultAnswer = barePlatform.defaultAnswer = olderPlatform.defaultAnswer =
            Platform::Answer::Yes;
        MainWindowState f(platform, dir.path(), QString()), g(barePlatform, bare.path(), QString()),
            h(olderPlatform, older.path(), QString());
        f.settingsWritable = g.settingsWritable = h.settingsWritable = false;
        fill(dir.path(), f);
        QVERIFY(QFile::copy(file, bare.filePath(u"horses.mdb"_s)));
        dropIndex(bare.filePath(u"horses.mdb"_s)); // searched by the full scan
        // Read through the name index, each start from its row: the name indexes hold only keys.
        QVERIFY(QFile::copy(file, older.filePath(u"horses.mdb"_s)));
        oldListingIndexes(older.filePath(u"horses.mdb"_s));

        QStringList patterns = {u"*% p*"_s,      u"*0%*"_s,       u"*r_s*"_s, u"*\"when\"*"_s, u"*%_a*"_s,
                                u"*\u00e9 o*"_s, u"*OL\u00c9*"_s, u"*ab"_s,   u"?ab*"_s,       u"*a?b*"_s};
        const QStringList names = rows(file, u"SELECT name FROM tblnames"_s);
        std::mt19937 rng(11);
        const auto pick = [&](qsizetype n) { return int(rng() % unsigned(n)); };
        while (patterns.size() < 300) {
            // A run from inside a name after a wildcard, or a name's start.
            const int lead = pick(3);
            QString run = names[pick(names.size())].mid(lead < 2 ? pick(8) : 0, 3 + pick(6));
            for (QChar& c : run)
                c = pick(2) ? c.toUpper() : c.toLower();
            if (pick(3) == 0)
                run[pick(run.size())] = u'?';
            patterns << QStringList{u"*"_s, u"?*"_s, {}}[lead] + run +
                            QStringList{{}, u"*"_s, u"*e"_s, u"?"_s}[pick(4)];
        }
        int found = 0;
        for (qsizetype i = 0; i < patterns.size(); ++i) {
            // Every fourth search bounded by a last week, a first week or the current owner.
            for (MainWindowState* s : {&f, &g, &h}) {
                s->panel.txtlastweek = i % 4 == 1 ? u"102"_s : QString();
                s->panel.txtfirstweek = i % 4 == 2 ? u"102"_s : QString();
                s->panel.chkowner = i % 4 == 3;
            }
            for (const int mode : {2, 4}) {
                const QStringList got = shown(f, platform, mode, patterns[i]);
                QCOMPARE(got, shown(g, barePlatform, mode, patterns[i]));
                QCOMPARE(got, shown(h, olderPlatform, mode, patterns[i]));
                found += got.first() == u"1"_s ? 1 : 0;
            }
        }
        QVERIFY2(found > 150, qPrintable(QString::number(found)));
    }

    /** The windows of a walk: read one after another, newest first and on to the oldest start, each window
        taking up where the one before ended; the first already long enough when the limits hold. */
    void windowsNewestFirst()
    {
        QTemporaryDir dir;
        TurfGen::Generator gen(TurfGen::smallSettings(3));
        QVERIFY(TurfGen::buildDatabase(dir.path(), gen, 101, 130));
        const QString file = dir.filePath(u"horses.mdb"_s);
        Database db;
        QVERIFY(db.open(file));
        for (const QString& like : {u"%a%"_s, u"%in%"_s, u"%e"_s}) {
            QVariantList names;
            for (const QString& name :
                 rows(file, u"SELECT name FROM tblnames WHERE kind = 0 AND name LIKE ?"_s, {like}))
                names << name;
            const QStringList all =
                queryRows(file,
                          u"SELECT hname || '|' || hid || '|' || racenum FROM tblhorsedata WHERE "
                          "hname LIKE ? ORDER BY racenum DESC, rowid DESC"_s,
                          {like});
            for (const int listed : {1, 7, 60, 100000}) {
                for (const double bound : {0.0, 120.0}) {
                    const std::optional<double> last = bound > 0 ? std::optional(bound) : std::nullopt;
                    NameWalk::Windows windows(db, u"hname"_s, names, {listed, all.size(), last});
                    QVERIFY(windows.ok());
                    QStringList got;
                    qsizetype firstWindow = -1;
                    while (Sql::Statement* s = windows.next()) {
                        while (s->next())
                            got << s->text(0) + u'|' + QString::number(s->integer(1)) + u'|' + s->text(2);
                        if (firstWindow < 0)
                            firstWindow = got.size();
                    }
                    QCOMPARE(got, all);
                    if (listed == 100000)
                        QCOMPARE(firstWindow, all.size());
                }
            }
        }
    }

    void modePresets()
    {
        Window t(*m_panel);
        frmmainfinder& w = t.w;
        QVERIFY(control<QRadioButton>(w, "opthorse")->isChecked());
        control<QLineEdit>(w, "txthorse")->setText(u"kept"_s);
        // Each option presets the ticks and shows the sire's controls only for sires; then each pair of ticks
        // gives a mode. State: name ticked, enabled; id ticked, enabled; 2yo, number label, number box shown.
        const auto state = [&] {
            QString out;
            for (bool on :
                 {control<QCheckBox>(w, "chkname")->isChecked(),
                  control<QCheckBox>(w, "chkname")->isEnabled(), control<QCheckBox>(w, "chkid")->isChecked(),
                  control<QCheckBox>(w, "chkid")->isEnabled(), control<QCheckBox>(w, "chk2yo")->isVisible(),
                  control<QLabel>(w, "lblnum")->isVisible(), control<QLineEdit>(w, "txtnum")->isVisible()})
                out += on ? u'1' : u'0';
            return out;
        };
        const std::tuple<QRadioButton*, const char*, bool, bool, int> steps[] = {
            {control<QRadioButton>(w, "opthorse"), "1101000", true, true, 1},
            {control<QRadioButton>(w, "opthorse"), "", true, false, 2},
            {control<QRadioButton>(w, "opthorse"), "", false, true, 3},
            {control<QRadioButton>(w, "opthorse"), "", false, false, 2},
            {control<QRadioButton>(w, "optowner"), "1100000", true, true, 4},
            {control<QRadioButton>(w, "optrace"), "0011000", false, true, 5},
            {control<QRadioButton>(w, "optsire"), "1100111", true, false, 0},
            {control<QRadioButton>(w, "opthorse"), "1101000", true, false, 2}};
        for (const auto& [option, presets, name, id, mode] : steps) {
            if (!option->isChecked())
                click(option);
            if (*presets)
                QCOMPARE(state(), QLatin1String(presets));
            control<QCheckBox>(w, "chkname")->setChecked(name);
            control<QCheckBox>(w, "chkid")->setChecked(id);
            QCOMPARE(int(w.searchPanel().searchMode()), mode);
        }
        QCOMPARE(control<QLineEdit>(w, "txthorse")->text(), u"kept"_s);
    }

    void keyFilters()
    {
        Window t(*m_panel);
        for (QLineEdit* box :
             {control<QLineEdit>(t.w, "txtfirstweek"), control<QLineEdit>(t.w, "txtlastweek"),
              control<QLineEdit>(t.w, "txtinjury")}) {
            box->clear();
            const int beeps = t.p.beeps;
            QTest::keyClicks(box, u"4a-1."_s);
            QCOMPARE(box->text(), u"41"_s);
            QCOMPARE(t.p.beeps, beeps + 3);
            QTest::keyClick(box, Qt::Key_Backspace);
            QTest::keyClick(box, Qt::Key_Return);
            QCOMPARE(t.p.beeps, beeps + 4);
            QCOMPARE(box->text(), u"4"_s);
        }
        // Enter in a week box only beeps: no search ran.
        QCOMPARE(t.f().MSFlexGrid1.text(1, 0), QString());

        const int beeps = t.p.beeps;
        QTest::keyClicks(control<QLineEdit>(t.w, "txtid"), u"1x2.*?-"_s);
        QTest::keyClick(control<QLineEdit>(t.w, "txtid"), Qt::Key_Backspace);
        QCOMPARE(control<QLineEdit>(t.w, "txtid")->text(), u"12.*"_s);
        // Any key goes into the name box.
        QTest::keyClicks(control<QLineEdit>(t.w, "txthorse"), u"O'Hara-2 \"x\""_s);
        QCOMPARE(control<QLineEdit>(t.w, "txthorse")->text(), u"O'Hara-2 \"x\""_s);
        QCOMPARE(t.p.beeps, beeps + 2);
    }

    void enterRunsSearch()
    {
        Window t(*m_panel);
        // Enter in the id box runs the same search as "GO!": here by id alone.
        control<QCheckBox>(t.w, "chkname")->setChecked(false);
        control<QCheckBox>(t.w, "chkid")->setChecked(true);
        QTest::keyClicks(control<QLineEdit>(t.w, "txtid"), u"101"_s);
        QTest::keyClick(control<QLineEdit>(t.w, "txtid"), Qt::Key_Return);
        QCOMPARE(t.column(0), QStringList(3, u"Night Train"_s));
        QCOMPARE(t.p.beeps, 0);

        // A horse name of 30 characters is searched by its first 25, and those find the horse.
        control<QCheckBox>(t.w, "chkname")->setChecked(true);
        control<QCheckBox>(t.w, "chkid")->setChecked(false);
        QTest::keyClicks(control<QLineEdit>(t.w, "txthorse"), u"Abcdefghijklmnopqrstuvwxyz1234"_s);
        QTest::keyClick(control<QLineEdit>(t.w, "txthorse"), Qt::Key_Enter);
        QVERIFY(t.p.messages.isEmpty());
        QCOMPARE(t.column(0), QStringList(3, u"Abcdefghijklmnopqrstuvwxy"_s));

        // Race mode passes the typed key unchanged.
        click(control<QRadioButton>(t.w, "optrace"));
        control<QLineEdit>(t.w, "txtid")->setText(u"410.0401"_s);
        click(control<QPushButton>(t.w, "cmdgethorse"));
        QCOMPARE(t.column(2), QStringList{u"410.0401"_s});
    }

    void resultsAndPopupCommands()
    {
        Window t(*m_panel);
        control<QLineEdit>(t.w, "txthorse")->setText(u"Blue Streak"_s);
        click(control<QPushButton>(t.w, "cmdgethorse"));
        QVERIFY(control<QLabel>(t.w, "lblprogress")->text().contains("\nUnder trainer:  Oak Farm\n"_L1));

        // Select a row in the view, as a click would, then run a pop-up command.
        control<GridView>(t.w, "MSFlexGrid1")
            ->setCurrentIndex(
                control<GridView>(t.w, "MSFlexGrid1")->model()->index(2, 0)); // the oldest, under Red Barn
        control<QAction>(t.w, "listowner")->trigger();
        QCOMPARE(t.column(15), QStringList(6, u"Red Barn"_s));
        QVERIFY(t.p.messages.isEmpty());
    }
    void commandLineText()
    {
        const auto search = [&](const char* args, int status) {
            return runCli(m_panel->path(), L("search") + L(args), status);
        };
        const QList<QByteArray> lines = search("--owner|Oak Farm|--today|1999-01-01", 0).split('\n');
        QVERIFY(lines.value(0).startsWith("\"Name\",\"H.ID.\","));
        QVERIFY(lines.value(1).startsWith("\"Blue Streak\",\"100\",\"410.0401\","));
        QVERIFY(lines.value(4).startsWith("Statistics for Oak Farm;     $"));
        QCOMPARE(lines.value(5), "Statistics for Oak Farm");
        QVERIFY(search("--id|abc", 1).startsWith("The ID \"abc\" is not a number.\n"));
        QVERIFY(search("--owner|A|--race|1", 2)
                    .startsWith("turftrawler-cli search: give --horse and/or --id, or --owner, or --race"));
    }

    void ownerNameWholeAndLiteral()
    {
        // 29 characters, and an "&" that a caption would take for a shortcut key.
        const QString owner = u"Westwood & Hall Thoroughbreds"_s;
        m_panel->add({.hname = u"Zed"_s, .hid = 300, .week = 300, .oname = owner});
        Window t(*m_panel);
        click(control<QRadioButton>(t.w, "optowner"));
        QTest::keyClicks(control<QLineEdit>(t.w, "txthorse"), owner);
        click(control<QPushButton>(t.w, "cmdgethorse"));
        QCOMPARE(t.column(15), QStringList{owner});
        // The frame caption has no shortcut key, and draws its "&&" as the one "&" of the name.
        const QString title = control<QGroupBox>(t.w, "frainfo")->title();
        QVERIFY(QKeySequence::mnemonic(title).isEmpty());
        QCOMPARE(title,
                 u"Statistics for Westwood && Hall Thoroughbreds;     $6,000;  1 - 0 - 0 - 0 - 0 = 1 / 1"_s);
    }

    void savedSets()
    {
        // Lines end in CR LF, LF or nothing, after a byte-order mark (marks opening later lines are dropped
        // too); empty lines are no sets.
        QTemporaryDir dir;
        Dialog d(dir.path(), "\xEF\xBB\xBFRed Barn\r\n\xEF\xBB\xBF\r\nA,B\n\n\xEF\xBB\xBF\xEF\xBB\xBF"
                             "A, B, C, D, E\r\nA,,B, C");
        QCOMPARE(d.s.lstnames, L("Red Barn|A,B|A, B, C, D, E|A,,B, C"));
        d.s.txto1 = B("A||B|");
        cmdadd_Click(d.f, d.s);
        // "Use" takes each later name from two characters after its comma; the fourth box takes the rest.
        const char* used[] = {"Red Barn|||", "A|||", "A|B|C|D, E", "A|||C", "A|B||"};
        for (int i = 0; i < 5; ++i) {
            d.s.ListIndex = i;
            cmduse_Click(d.f, d.s);
            QCOMPARE(d.s.txto1, B(used[i]));
        }
        cmddelete_Click(d.f, d.s);
        QCOMPARE(d.s.ListIndex, -1);
        d.s.ListIndex = 0;
        cmddelete_Click(d.f, d.s);
        const QByteArray written = "A,B\r\nA, B, C, D, E\r\nA,,B, C\r\n";
        QCOMPARE(d.file(), written);

        // An empty "Add" says so, and still writes the list again.
        QFile::remove(d.f.savedNamesPath());
        d.s.txto1 = B("|||");
        cmdadd_Click(d.f, d.s);
        QCOMPARE(d.p.messages, L("Please enter at least one Stable into the textboxes provided."));
        QCOMPARE(d.file(), written);

        d.p.messages.clear();
        for (const char* boxes : {"A|Say \"When\"||", "|||Hill, Dale", "A\nB|||"}) {
            d.s.txto1 = B(boxes);
            cmdadd_Click(d.f, d.s);
        }
        // The search takes commas (owner names have them, see searches()), but no quote.
        d.s.txto1 = B("A|Say \"When\"||");
        QVERIFY(!cmdgo_Click(d.f, d.s));
        QStringList refusals;
        for (const QString& what :
             L("2 holds a double quote, which a saved set|4 holds a comma, which a saved set|"
               "1 holds a line break, which a saved set|2 holds a double quote, which a stable search"))
            refusals << u"The name in Stable #"_s + what + u" cannot take. Please remove it."_s;
        QCOMPARE(d.p.messages, refusals);
        QCOMPARE(d.s.lstnames, L("A,B|A, B, C, D, E|A,,B, C"));
        QCOMPARE(d.file(), written);

        // A directory, a pipe (which would never end) or a huge file in its place: said, and the list stays.
        QVERIFY(QFile::remove(d.f.savedNamesPath()) && QDir(dir.path()).mkdir(u"KZTSavednames.txt"_s));
        Dialog bad(dir.path());
        cmdadd_Click(bad.f, bad.s = {B("New|||"), L("Kept"), 0, {}});
        QCOMPARE(bad.s.lstnames, L("Kept"));
        QCOMPARE(bad.p.messages.filter(u"The saved stable names could not be "_s).size(), 2);
        QVERIFY(QDir(dir.path()).rmdir(u"KZTSavednames.txt"_s));
        QCOMPARE(::mkfifo(QFile::encodeName(d.f.savedNamesPath()).constData(), 0600), 0);
        QVERIFY(Dialog(dir.path()).p.messages.value(0).contains("not a regular file"_L1));
        // A link to nowhere is not an empty list either.
        QVERIFY(QFile::remove(d.f.savedNamesPath()) && QFile::link(u"gone.txt"_s, d.f.savedNamesPath()));
        QVERIFY(Dialog(dir.path()).p.messages.value(0).contains("link to a file that does not exist"_L1));
        QTemporaryDir big;
        QVERIFY(writeFile(big.filePath(u"KZTSavednames.txt"_s), QByteArray(17 << 20, 'x')));
        QVERIFY(Dialog(big.path()).p.messages.value(0).contains("too large"_L1));
    }
    void stableSearches()
    {
        HeadlessPlatform p;
        MainWindowState f(p, m_stables->path(), QString());
        formLoad(f, NominalRowHeight);
        const auto search = [&](const char* boxes) {
            StableState s;
            s.txto1 = B(boxes);
            cmdgo_Click(f, s);
            return QStringList{s.lblquerystring, f.frainfo.section(u';', 0, 0)} +
                   cells(f.MSFlexGrid1, 1, f.MSFlexGrid1.rows() - 1, 15, 15);
        };
        QCOMPARE(search("||Red Barn|Oak Farm"),
                 L("Red Barn\" OR oname=\"Oak Farm|Statistics for Special: Red Barn|"
                   "Oak Farm|Red Barn|Oak Farm|Red Barn"));
        // A box of blanks is a name, and so is one with a comma; only the first name can be a pattern.
        QCOMPARE(search(" |Hill, Dale||Elm Farm"), L(" \" OR oname=\"Hill, Dale\" OR oname=\"Elm Farm|"
                                                     "Statistics for Special:  |Hill, Dale|Elm Farm"));
        QCOMPARE(search("Red B*|Elm*||"), L("Red B*\" OR oname=\"Elm*|Statistics for Special: Red B*|"
                                            "Red Bank|Red Barn|Red Barn"));
        gethorse(f, 4, u"Oak Farm"_s, QString());
        const QJsonObject ownerGrid = gridToJson(f.MSFlexGrid1);
        const QString ownerTexts = f.frainfo + f.lblprogress;
        search("|||Oak Farm");
        QCOMPARE(gridToJson(f.MSFlexGrid1), ownerGrid);
        QCOMPARE(f.frainfo + f.lblprogress, ownerTexts);
        QCOMPARE(p.messages, QStringList());
    }

    void stableWindow()
    {
        Dialog saved(m_stables->path(), "Elm Farm\r\n , Red Barn, Oak Farm\r\n");
        HeadlessPlatform p;
        frmmainfinder w(p, m_stables->path(), QString());
        QVERIFY(w.Form_Load());
        w.show();
        QTest::mouseClick(control<QPushButton>(w, "cmdspecial"), Qt::LeftButton);
        QPointer<frmstable> dlg = w.findChild<frmstable*>();
        QVERIFY(dlg && !dlg->isModal() && dlg->lstnames->count() == 2);
        // Nothing to search: the dialog stays.
        QTest::mouseClick(dlg->cmdgo, Qt::LeftButton);
        QVERIFY(dlg->isVisible());
        QCOMPARE(p.messages, L("You must enter at least one trainer's name."));

        // Double click fills the boxes; Delete and Add change the list and the file.
        const QRect second = dlg->lstnames->visualItemRect(dlg->lstnames->item(1));
        QTest::mouseClick(dlg->lstnames->viewport(), Qt::LeftButton, {}, second.center());
        QTest::mouseDClick(dlg->lstnames->viewport(), Qt::LeftButton, {}, second.center());
        QCOMPARE(dlg->txto1[2]->text(), u"Oak Farm"_s);
        QTest::mouseClick(dlg->cmddelete, Qt::LeftButton);
        dlg->txto1[0]->clear();
        QTest::mouseClick(dlg->cmdadd, Qt::LeftButton);
        QCOMPARE(dlg->lstnames->item(1)->text(), u"Red Barn, Oak Farm"_s);
        QCOMPARE(saved.file(), "Elm Farm\r\nRed Barn, Oak Farm\r\n");

        // Enter in box 2 searches, the result shows in the main window, and the dialog goes.
        QTest::keyClick(dlg->txto1[1], Qt::Key_Enter);
        QCOMPARE(control<QGroupBox>(w, "frainfo")->title().section(u';', 0, 0),
                 u"Statistics for Special: Red Barn"_s);
        QCOMPARE(control<GridView>(w, "MSFlexGrid1")->model()->rowCount(), 4);
        QTRY_VERIFY(dlg.isNull());
    }

    void stableCommandLine()
    {
        // The search options apply: the listing begins in week 402.
        const QByteArray out = runCli(m_stables->path(), L("stable|Red Barn|||Elm Farm|--last-week|402"), 0);
        QVERIFY(out.contains("\nStatistics for Special: Red Barn;     $"));
        QCOMPARE(out.count("\"Red Barn\",") + out.count("\"Elm Farm\","), 2);

        QTemporaryDir dir;
        const QStringList sets{u"saved-sets"_s};
        runCli(dir.path(), sets + L("add|A||B|"), 0);
        QCOMPARE(runCli(dir.path(), sets + L("add|C"), 0), "1\tA, B\n2\tC\n");
        QCOMPARE(runCli(dir.path(), sets + L("use|1"), 0), "[\"A\",\"B\",\"\",\"\"]\n");
        QCOMPARE(runCli(dir.path(), sets + L("delete|1|--json"), 0), "[\n    \"C\"\n]\n");
        QCOMPARE(runCli(dir.path(), sets + L("use|2"), 2),
                 "turftrawler-cli saved-sets: there is no set 2; the list has 1\n");
    }
};

QTEST_MAIN(TestGethorse)
#include "test_gethorse.moc"
