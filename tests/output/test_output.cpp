// The results grid's sorts, pop-up menu and list filter, week dates, printing and export: the core on grids
// made up for each rule, the real main window and date calculator on a searched grid, and the command-line
// options that do the same; and the grid settings file behind the column widths.
#include "core/headlessplatform.h"
#include "core/mainwindowstate.h"
#include "db/database.h"
#include "gui/app/frmmainfinder.h"
#include "gui/output/frmdatecalculator.h"
#include "gui/widgets/gridview.h"
#include "output/gridinteractions.h"
#include "output/gridjson.h"
#include "output/gridsettings.h"
#include "output/printing.h"
#include "output/textexport.h"
#include "runcli.h"
#include "search/searchfixture.h"
#include "startup/startup.h"
#include "testsupport.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

namespace
{

/** The main window's state over an empty program directory. */
struct State {
    QTemporaryDir dir;
    HeadlessPlatform p;
    MainWindowState f{p, dir.path(), QString()};
};

/** A results grid whose column c holds the given texts, one data row each; every row carries its first
   position in a tag column and as its colour, so that a test sees where each row went. */
struct Grid : State {
    Grid(int c, const QStringList& values, bool sire = false) : col(c), tag(c == 17 ? 16 : 17)
    {
        f.settingsWritable = false;
        if (sire)
            showSireLayout(f);
        msfgridcaption(f);
        g().setRows(int(values.size()) + 1);
        for (int i = 0; i < values.size(); ++i) {
            g().setText(i + 1, col, values[i]);
            g().setText(i + 1, tag, QString::number(i));
            g().setColour(i + 1, tag, std::uint8_t(i));
        }
    }
    GridState& g() { return f.MSFlexGrid1; }
    /** Each data row as "value@first position", checking that the colour moved with the row. */
    QString rows()
    {
        QStringList out;
        for (int r = 1; r < g().rows(); ++r)
            out << g().text(r, col) + u'@' + g().text(r, tag) +
                       (g().colour(r, tag) == g().text(r, tag).toInt() ? u""_s : u"(colour lost)"_s);
        return out.join(u'|');
    }

    int col, tag;
};

/** A menu entry's caption as shown: its key letter's "&" gone, a doubled "&" one. */
QString shown(QString text)
{
    return text.replace(QRegularExpression(u"&(.)"_s), u"\\1"_s);
}

struct Window {
    explicit Window(SearchFixture& fx, const QString& firstWeek = {})
        : w(p, fx.path(), fx.path() + u"/breeding.txt"_s)
    {
        w.Form_Load();
        w.show();
        control<QRadioButton>(w, "optowner")->click();
        control<QLineEdit>(w, "txtfirstweek")->setText(firstWeek);
        control<QLineEdit>(w, "txthorse")->setText(u"Red Barn"_s);
        control<QPushButton>(w, "cmdgethorse")->click();
    }
    GridState& grid() { return w.state().MSFlexGrid1; }
    QPoint cell(int row, int col)
    {
        return control<GridView>(w, "MSFlexGrid1")
            ->visualRect(control<GridView>(w, "MSFlexGrid1")->model()->index(row - 1, col))
            .center();
    }
    /** A click on a cell, then a double click's second press or a right-button press, as a pointer does. */
    void click(int row, int col, bool right)
    {
        const QPoint at = cell(row, col);
        QTest::mouseClick(control<GridView>(w, "MSFlexGrid1")->viewport(), Qt::LeftButton, {}, at);
        if (!right)
            return QTest::mouseDClick(control<GridView>(w, "MSFlexGrid1")->viewport(), Qt::LeftButton, {},
                                      at);
        QContextMenuEvent press(QContextMenuEvent::Mouse, at,
                                control<GridView>(w, "MSFlexGrid1")->viewport()->mapToGlobal(at));
        QApplication::sendEvent(control<GridView>(w, "MSFlexGrid1")->viewport(), &press);
    }
    QJsonArray popmenuJson()
    {
        QJsonArray out;
        for (QAction* a : control<QMenu>(w, "popmenu")->actions())
            out.append(QJsonObject{{u"entry"_s, a->objectName()},
                                   {u"caption"_s, shown(a->text())},
                                   {u"visible"_s, a->isVisible()}});
        return out;
    }

    HeadlessPlatform p;
    frmmainfinder w;
};

} // namespace

class TestOutput : public QObject
{
    Q_OBJECT

    std::unique_ptr<SearchFixture> m_fx;

private slots:
    void initTestCase()
    {
        m_fx = std::make_unique<SearchFixture>();
        for (int i = 0; i < 8; ++i) {
            Run r{.hname = i % 2 ? u"Night Train"_s : u"Blue Streak"_s, .hid = 100 + i % 2, .week = 583 + i};
            r.track = i % 3 ? 4 : 7, r.sp = 70.0 + (i * 7) % 20, r.cond = i % 4 ? u"F"_s : u"G"_s;
            r.cprice = i % 3 ? 0 : 4000;
            m_fx->add(r);
        }
    }

    void dateCalculator()
    {
        Window t(*m_fx);
        t.p.dateFormat = u"d MMM yyyy"_s;
        control<QAction>(t.w, "datecalculator")->trigger();
        auto* calc = t.w.findChild<frmdatecalculator*>();
        QVERIFY(calc && calc->isVisible() && t.w.isVisible());
        QTest::keyClicks(calc->txtdate, u"586"_s);
        QTest::keyClick(calc->txtdate, Qt::Key_Return);
        QCOMPARE(calc->lbldateinfo->text(), u"Week 586\n=\n26 Feb 2000"_s);
        // Each text with the label it gives; no week keeps the label and says so.
        const char* steps[][2] = {{"abc", "Week 586\n=\n26 Feb 2000"},
                                  {"0", "Week 0\n=\n20 Jul 1998"},
                                  {"", "Week 0\n=\n20 Jul 1998"},
                                  {"587.5", "Week 587.5\n=\n29 Feb 2000"}};
        for (const auto& [text, label] : steps) {
            calc->txtdate->setText(QString::fromUtf8(text));
            QTest::mouseClick(calc->cmdgetdate, Qt::LeftButton);
            QCOMPARE(calc->lbldateinfo->text(), QString::fromUtf8(label));
        }
        QCOMPARE(t.p.messages, QStringList(2, u"You must enter a week number in the text box."_s));
        QTest::keyClick(calc->txtdate, Qt::Key_Escape);
        QVERIFY(!calc->isVisible());
    }

    void gesturesAndCommandLineAgree()
    {
        Window t(*m_fx, u"584"_s);
        // Newest first, the first figure above the last: the double click sorts ascending.
        t.click(1, 8, false);
        QCOMPARE(cells(t.grid(), 1, 7, 8, 8), L("71.0|72.0|77.0|78.0|79.0|84.0|85.0"));
        t.click(1, 4, false);      // tracks, each in the order of the figures
        t.grid().setCurrent(0, 0); // the header row: every row would differ, and none goes
        control<QAction>(t.w, "listfilter")->trigger();
        QCOMPARE(t.grid().rows(), 8);
        t.grid().setCurrent(3, 0);
        control<QAction>(t.w, "listfilter")->trigger();
        QCOMPARE(cells(t.grid(), 1, t.grid().rows() - 1, 2, 2), L("584.0405|590.0405|588.0405|586.0705"));
        QCOMPARE(t.w.state().statusline,
                 u"Filtered: 4 of 7 starts shown; the statistics are of the whole list"_s);
        t.click(2, 5, true);
        QVERIFY(control<QMenu>(t.w, "popmenu")->isVisible());
        QCOMPARE(control<QAction>(t.w, "datecalc")->text(),
                 u"&Week 590 = 3/2/2000"_s); // each entry has its key letter
        control<QMenu>(t.w, "popmenu")->close();
        t.p.answers = {Platform::Answer::Yes};
        control<QAction>(t.w, "cmdprint")->trigger();
        QCOMPARE(t.p.printJobs.size(), 1);
        const QString windowFile = m_fx->path() + u"/window.txt"_s, cliFile = m_fx->path() + u"/cli.txt"_s;
        t.p.saveAnswers = {windowFile};
        control<QAction>(t.w, "ExportText")->trigger();
        QCOMPARE(t.w.state().statusline, u"Exported 4 rows to window.txt."_s);

        const QStringList args = L("search|--owner|Red Barn|--first-week|584|--sort|8|--sort|4|--filter|3,0|"
                                   "--popup|2|--print-log|--json|--export");
        const QJsonObject json =
            QJsonDocument::fromJson(runCli(m_fx->path(),
                                           args + QStringList{cliFile, u"--date-format"_s, t.p.dateFormat}, 0,
                                           false))
                .object();
        const MainWindowState& f = t.w.state();
        for (const auto& [key, grid] : {std::pair{u"MSFlexGrid1"_s, &f.MSFlexGrid1},
                                        {u"MSFSGrid"_s, &f.MSFSGrid},
                                        {u"MSFWGrid"_s, &f.MSFWGrid}})
            QCOMPARE(json.value(key).toObject(), gridToJson(*grid));
        QCOMPARE(json.value(u"frainfo"_s).toString() + json.value(u"lblprogress"_s).toString(),
                 f.frainfo + f.lblprogress);
        QCOMPARE(json[u"popmenu"_s].toArray(), t.popmenuJson());
        QCOMPARE(json[u"print"_s].toArray(), Printing::toJson(t.p.printJobs.value(0)));
        QCOMPARE(readFile(cliFile), readFile(windowFile));
    }

    void commandLineRefusals()
    {
        const QString dir = m_fx->path(), pdf = dir + u"/findings.pdf"_s;
        QCOMPARE(runCli(dir, L("weekdate|587|--date-format|d.M.yyyy"), 0, false), "Week 587\r=\r28.2.2000\n");
        QCOMPARE(runCli(dir, L("weekdate|2147483647"), 1),
                 "The week number 2147483647 is out of range (0 to 32766).\n");
        const QJsonObject json =
            QJsonDocument::fromJson(
                runCli(dir, L("search|--horse|Nobody|--print-log|--popup|1|--json"), 1, false))
                .object();
        QCOMPARE(json[u"messages"_s].toArray().last().toString(), u"No results in the flexgrid."_s);
        QVERIFY(json[u"popmenu"_s].isNull() && json[u"print"_s].toArray().isEmpty());
        runCli(dir, L("search|--horse|Nobody|--pdf") << pdf, 1, false);
        QVERIFY(!QFile::exists(pdf));
        runCli(dir, L("search|--owner|Red Barn|--pdf") << pdf, 0, false);
        QVERIFY(readFile(pdf).startsWith("%PDF"));
    }

    void doubleClickSorts_data()
    {
        QTest::addColumn<bool>("sire");
        QTest::addColumn<int>("col");
        QTest::addColumn<QString>("values");
        QTest::addColumn<int>("clicks");
        QTest::addColumn<QString>("expected");
        QTest::newRow("numbers, by value, descending first")
            << false << 8 << u"85.0|101.2|90.5"_s << 1 << u"101.2@1|90.5@2|85.0@0"_s;
        QTest::newRow("the second click reverses")
            << false << 8 << u"85.0|101.2|90.5"_s << 2 << u"85.0@0|90.5@2|101.2@1"_s;
        QTest::newRow("equal ends: descending, ties kept in order")
            << false << 12 << u"5|9|1|5"_s << 1 << u"9@1|5@0|5@3|1@2"_s;
        QTest::newRow("empty last cell: text descending")
            << false << 8 << u"85.0|101.2|"_s << 1 << u"85.0@0|101.2@1|@2"_s;
        QTest::newRow("text by character code") << false << 0 << u"b|Z|a|B"_s << 1 << u"B@3|Z@1|a@2|b@0"_s;
        QTest::newRow("claim: text decides, numbers order")
            << false << 16 << u"500|4000|"_s << 1 << u"@2|500@0|4000@1"_s;
        QTest::newRow("sire, first empty: text then numbers descending")
            << true << 11 << u"|75|75.0|80"_s << 1 << u"80@3|75.0@2|75@1|@0"_s;
        QTest::newRow("sire, last empty: numbers then text ascending")
            << true << 12 << u"9|10|"_s << 1 << u"@2|10@1|9@0"_s;
    }
    void doubleClickSorts()
    {
        QFETCH(bool, sire);
        QFETCH(int, col);
        QFETCH(QString, values);
        QFETCH(int, clicks);
        Grid t(col, values.split(u'|'), sire);
        for (int i = 0; i < clicks; ++i) {
            t.g().setCurrent(1, col);
            MSFlexGrid1_DblClick(t.f);
        }
        QTEST(t.rows(), "expected");
        QCOMPARE(t.g().text(0, 0), u"Name"_s); // the header row never moves
    }

    void popupMenu_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("visible");  // the thirteen entries in menu order
        QTest::addColumn<QString>("captions"); // of datecalc, listhorse, listrace and listowner
        const QString lists = u"|List horse: \"Blue Streak\"|List race: %1|List Owner: Red & Co"_s;
        QTest::newRow("week 1") << u"1.0101"_s << u"11111111111111"_s
                                << u"Week 0 = 7/21/1998"_s + lists.arg(u"1.0101"_s);
        QTest::newRow("week 586") << u"586.0405"_s << u"11111111111111"_s
                                  << u"Week 585 = 2/26/2000"_s + lists.arg(u"586.0405"_s);
        QTest::newRow("week 588") << u"588.0101"_s << u"11111111111111"_s
                                  << u"Week 588 = 2/29/2000"_s + lists.arg(u"588.0101"_s);
        QTest::newRow("week past 16 bits")
            << u"40000.0101"_s << u"00111111111111"_s << u"Week Date"_s + lists.arg(u"40000.0101"_s);
        QTest::newRow("sire row") << u"Big Red"_s << u"00101110011111"_s
                                  << u"Week Date|List Horse|List Race |List Owner "_s;
    }
    void popupMenu()
    {
        QFETCH(QString, key);
        Grid t(2, {u"Dam-Sire"_s, key});
        t.g().setText(2, 0, u"Blue Streak"_s);
        t.g().setText(2, 1, u"100"_s);
        t.g().setText(2, 15, u"Red & Co"_s);
        PopupMenu menu;
        const auto press = [&](int row, MouseButton button) {
            t.g().setCurrent(row, 4);
            return MSFlexGrid1_MouseDown(t.f, button, menu);
        };
        const auto captions = [&] {
            QStringList out;
            for (const char* name : {"datecalc", "listhorse", "listrace", "listowner"})
                out << menu.entry(QLatin1String(name)).caption;
            return out.join(u'|');
        };
        QVERIFY(!press(1, MouseButton::Right)); // an empty result: row 1 without a horse id
        QVERIFY(!press(2, MouseButton::Left));
        QVERIFY(press(2, MouseButton::Right));
        QString visible;
        for (const PopupMenu::Entry& e : menu.entries())
            visible += e.visible ? u'1' : u'0';
        QTEST(visible, "visible");
        QTEST(captions(), "captions");
        // A later press on a row without a race key leaves the captions of this one.
        t.g().setText(1, 1, u"5"_s);
        QVERIFY(press(1, MouseButton::Right));
        QTEST(captions(), "captions");
    }

    void printing_data()
    {
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("pages");
        QTest::addColumn<int>("lastY");
        QTest::newRow("47 rows fill a page") << 47 << 1 << 1440 + 47 * 193;
        QTest::newRow("the 48th starts page 2") << 48 << 2 << 1633;
    }
    void printing()
    {
        QFETCH(int, rows);
        Grid t(0, QStringList(rows, u"Short"_s));
        t.g().setText(1, 0, u"Abcdefghijklmnopqrstuvwxyz1234"_s);
        const char* cells[3][18] = {{"", "1234", "612.0507", "O-3+", "CA", "Clm", "6", "D", "88.4", "1", "8",
                                     "3", "10000", "2.50", "6000", "Red \"Barn\"", "4000", "12"},
                                    {"", "99", "7.0102", "F-2", "KY", "MS", "9", "d", "08.5", "10", "12",
                                     "12", "500", "12.00", "0", "Oak", "", "1"},
                                    {"Abcdefghijklmnopqrstuvw", "5027710", "700.4010", "O-4+", "GIPSY",
                                     "750K", "8.5", "D", "88.4", "1", "8", "3", "10000", "2.50", "6000",
                                     "Noble Blues Racing Stable", "", "104"}};
        for (int r = 0; r < 3; ++r)
            for (int c = r < 2 ? 1 : 0; c < 18; ++c)
                t.g().setText(r + 1, c, QString::fromLatin1(cells[r][c]));
        t.g().setRowColour(1, 0, 17, Palette::DarkRed);
        t.g().setRowColour(2, 0, 17, Palette::DarkBlue);
        t.f.frainfo = u"Statistics for Blue Streak"_s;
        t.p.answers = {Platform::Answer::Yes};
        QVERIFY(cmdprint_Click(t.f));
        QCOMPARE(t.p.printJobs.size(), 1);
        const PrintJob& job = t.p.printJobs[0];
        QVERIFY(job.landscape);
        QTEST(job.pages, "pages");
        QTEST(job.texts.back().y, "lastY");
        QCOMPARE(job.texts[0], (PrintedText{1, 7700 - 26 * 72, 960, 12, true, t.f.frainfo}));
        QCOMPARE(job.texts[1], (PrintedText{1, 1344, 1440, 8, true, u"Horse Name"_s}));
        const auto second =
            std::find_if(job.texts.begin(), job.texts.end(), [](auto& x) { return x.page == 2; });
        if (second != job.texts.end())
            QCOMPARE(*second, (PrintedText{2, 7920 - 34 * 72, 960, 12, true, t.f.frainfo + u".  Pg. 2"_s}));
        // Each cell where its column begins, in the words the print gives the codes.
        QStringList lines(3);
        const PrintedText* before = nullptr;
        for (const PrintedText& x : job.texts) {
            if (x.page != 1 || x.y <= 1440 || x.y >= 1633 + 3 * 193 || x.bold)
                continue;
            lines[(x.y - 1633) / 193] += QStringLiteral("%1:%2 ").arg((x.x - 1344) / 96).arg(x.text);
            // On paper each text stops where the next one begins.
            if (before)
                QCOMPARE(before->right, before->y == x.y ? x.x : 0);
            before = &x;
        }
        QCOMPARE(lines[0],
                 u"0:Abcdefghijklmnopqrstuvw 26:1234 32:612.0507 41:O-3+ 46:CA 49:Clm 53:6 57:Dirt 62:Fst "
                 "67:88.4 73:1 76:8 79:3 84:$10000 93:$2.50 102:$6000 108:Red \"Barn\" 123:$4000 130:12 "_s);
        QCOMPARE(lines[1],
                 u"0:Short 28:99 34:7.0102 41:F-2 46:KY 49:MS 53:9 57:Turf 62:Slp 67:08.5 72:10 75:12 "
                 "78:12 86:$500 92:$12.00 105:$0 108:Oak 131:1 "_s);
        // A text that fills its column is cut so that a blank stands before the next one.
        QCOMPARE(lines[2],
                 u"0:Abcdefghijklmnopqrstuv 23:5027710 32:700.4010 41:O-4+ 46:GI 49:750 53:8.5 57:Dirt "
                 "62:Slp 67:88.4 73:1 76:8 79:3 84:$10000 93:$2.50 102:$6000 108:Noble Blues Racing S "
                 "129:104 "_s);
    }

    void printRefusals()
    {
        Grid t(0, {QString()});
        QVERIFY(!cmdprint_Click(t.f));
        t.g().setText(1, 0, u"Blue Streak"_s);
        QVERIFY(!cmdprint_Click(t.f)); // answered No
        t.p.defaultAnswer = Platform::Answer::Yes;
        t.p.printerAvailable = false;
        QVERIFY(!cmdprint_Click(t.f));
        t.p.printerAvailable = true;
        t.p.printFails = true;
        QVERIFY(!cmdprint_Click(t.f));
        const QString question =
            u"Are you sure that you wish to print these findings?\rThe job has 1 page."_s;
        QCOMPARE(t.p.messages,
                 (QStringList{u"No results in the flexgrid."_s, question, question,
                              u"No printer is available: the findings were not printed."_s, question,
                              u"The findings could not be printed: the print job failed."_s}));
        QVERIFY(t.p.printJobs.isEmpty());
    }

    void exportFile()
    {
        Grid t(15, {u"Red \"Barn\""_s, QString()}, true);
        const QString path = t.dir.filePath(u"out.txt"_s);
        t.g().setText(1, 18, u"not exported"_s);
        t.p.saveAnswers = {QString(), path, t.dir.filePath(u"no/such/dir.txt"_s)};
        QVERIFY(!ExportText_Click(t.f)); // cancelled
        QVERIFY(!QFile::exists(path) && t.p.messages.isEmpty());
        QVERIFY(ExportText_Click(t.f));
        const QList<QByteArray> lines = readFile(path).split('\n');
        QCOMPARE(lines.size(), 4); // header, two rows, and nothing after the last line end
        QCOMPARE(lines[1], "\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\","
                           "\"Red \"Barn\"\",\"\",\"0\",\r");
        QVERIFY(lines[0].startsWith("\"Name\",\"H.ID.\",") && lines[2].endsWith("\"1\",\r"));
        QCOMPARE(t.p.dialogs[0].title, u"Export as"_s);
        QCOMPARE(t.p.dialogs[0].filters.value(t.p.dialogs[0].selectedFilter), u"Text Files (*.txt)|*.txt"_s);

        QVERIFY(!ExportText_Click(t.f)); // a file that cannot be made: said, not passed over
        QVERIFY(t.p.messages.value(0).startsWith(u"The export could not be written to "_s));
        Grid empty(0, {QString()});
        QVERIFY(!ExportText_Click(empty.f));
        QCOMPARE(empty.p.messages,
                 QStringList{u"No data found.  You must have executed a successful search before export."_s});
        QVERIFY(empty.p.dialogs.isEmpty());
    }

    void parse_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<int>("firstWidth");
        QTest::addColumn<int>("back");
        const QByteArray nums = "1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18";
        QTest::newRow("blanks") << nums + " -2147483643" << true << 1 << -2147483643;
        QTest::newRow("commas and line ends")
            << QByteArray("1,2,3\r\n4,5,6,7,8,9,10,11,12,13,14,15,16,17,18\n,255") << true << 1 << 255;
        QTest::newRow("extra numbers ignored") << nums + " 99 100 junk" << true << 1 << 99;
        QTest::newRow("eighteen numbers") << nums << false << 0 << 0;
        QTest::newRow("a word") << QByteArray("1 2 x 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18 0") << false << 0
                                << 0;
        QTest::newRow("width past 16 bits") << QByteArray("40000") + nums.mid(1) + " 0" << false << 0 << 0;
    }
    void parse()
    {
        QFETCH(QByteArray, text);
        QFETCH(bool, valid);
        const auto v = GridSettings::parse(text);
        QCOMPARE(bool(v), valid);
        if (valid) {
            QTEST(int(v->widths[0]), "firstWidth");
            QTEST(v->backColor, "back");
        }
    }

    void settingsFile()
    {
        State t;
        MainWindowState& f = t.f;
        QVERIFY(QDir(t.dir.path()).mkdir(u"KZTSettings.ini"_s)); // a directory cannot be written as a file
        msfgridreset_Click(f);
        QCOMPARE(f.MSFlexGrid1.colWidth(0), 1450);
        QVERIFY(t.p.messages.isEmpty());
        QVERIFY(QDir(t.dir.path()).rmdir(u"KZTSettings.ini"_s));

        // The player's widths survive a save; one beyond the file's range is written at its largest value
        // rather than wrapped.
        f.MSFlexGrid1.setColWidth(15, 2222);
        f.MSFlexGrid1.setColWidth(0, 50000);
        msfgridsavesettings(f);
        f.MSFlexGrid1.setColWidth(15, 1);
        msfgridgetsettings(f);
        QCOMPARE(f.MSFlexGrid1.colWidth(15), 2222);
        QCOMPARE(f.MSFlexGrid1.colWidth(0), 32767);

        // The sire layout writes nothing; back in the normal layout the file's widths and colour return.
        msfgridreset_Click(f);
        QCOMPARE(readFile(f.settingsPath()), DefaultSettingsLine);
        f.MSFlexGrid1.setColWidth(0, 2000);
        showSireLayout(f);
        QCOMPARE(readFile(f.settingsPath()), DefaultSettingsLine);
        QCOMPARE(f.MSFlexGrid1.cols(), 19);
        f.MSFlexGrid1.setColWidth(0, 3000);
        msfgridreset_Click(f); // on screen only
        QCOMPARE(f.MSFlexGrid1.colWidth(0), 1450);
        msfgridback_Click(f);
        QCOMPARE(readFile(f.settingsPath()), DefaultSettingsLine);
        f.MSFlexGrid1.setColWidth(1, 999);
        showNormalLayout(f);
        QCOMPARE(f.MSFlexGrid1.cols(), 18);
        QCOMPARE(f.MSFlexGrid1.colWidth(1), 500);
        QCOMPARE(f.MSFlexGrid1.backColor(), BackColor::ThreeDLight);

        // Read-only: not even a damaged file is rewritten.
        f.settingsWritable = false;
        QVERIFY(writeFile(f.settingsPath(), QByteArray()));
        msfgridgetsettings(f);
        QCOMPARE(readFile(f.settingsPath()), QByteArray());
    }

    void unusableFileGivesDefaultsAtStartup_data()
    {
        QTest::addColumn<bool>("pipe");
        QTest::newRow("pipe") << true; // reading it would wait for a writer for ever
        QTest::newRow("huge") << false;
    }
    void unusableFileGivesDefaultsAtStartup()
    {
        QFETCH(bool, pipe);
        State t;
        MainWindowState& f = t.f;
        QVERIFY(Database().create(f.databasePath()));
        if (pipe)
            QCOMPARE(::mkfifo(QFile::encodeName(f.settingsPath()).constData(), 0600), 0);
        else
            writeFile(f.settingsPath(),
                      QByteArray(" 999").repeated(19) + QByteArray(GridSettings::MaxFileSize, ' '));
        QVERIFY(formLoad(f, NominalRowHeight));
        QCOMPARE(f.MSFlexGrid1.colWidth(0), 1450);
        if (pipe) // never replaced by a file: something else made it and may be reading it
            QVERIFY(QFileInfo::exists(f.settingsPath()) && !QFileInfo(f.settingsPath()).isFile());
        else
            QCOMPARE(readFile(f.settingsPath()), DefaultSettingsLine);
    }
};

QTEST_MAIN(TestOutput)
#include "test_output.moc"
