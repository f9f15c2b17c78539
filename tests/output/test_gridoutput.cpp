// The results grid's sorts, pop-up menu, list filter and week dates, and the print job and export of a grid.
#include "core/headlessplatform.h"
#include "core/mainwindowstate.h"
#include "output/gridinteractions.h"
#include "output/gridsettings.h"
#include "output/printing.h"
#include "output/textexport.h"
#include "output/weekdate.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace
{

/** A results grid whose column c holds the given texts, one data row each; every row carries its first
   position in a tag column and as its colour, so that a test sees where each row went. */
struct Grid {
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

    QTemporaryDir dir;
    HeadlessPlatform p;
    MainWindowState f{p, dir.path(), QString()};
    int col, tag;
};

} // namespace

class TestGridOutput : public QObject
{
    Q_OBJECT
private slots:
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
        QTest::newRow("sire name column is text") << true << 3 << u"b|a|c"_s << 1 << u"c@2|b@0|a@1"_s;
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
        QTest::addColumn<QString>("weekDate");
        QTest::addColumn<QString>("visible"); // the eleven entries in menu order
        QTest::newRow("week 1") << u"1.0101"_s << u"Week 0 = 7/21/1998"_s << u"11111111111"_s;
        QTest::newRow("week 586") << u"586.0405"_s << u"Week 585 = 2/26/2000"_s << u"11111111111"_s;
        QTest::newRow("week 587") << u"587.0101"_s << u"Week 587 = 2/28/2000"_s << u"11111111111"_s;
        QTest::newRow("week 588") << u"588.0101"_s << u"Week 588 = 2/29/2000"_s << u"11111111111"_s;
        QTest::newRow("week past 16 bits") << u"40000.0101"_s << u"Week Date"_s << u"00111111111"_s;
        QTest::newRow("sire row") << u"Big Red"_s << u"Week Date"_s << u"00110011111"_s;
    }
    void popupMenu()
    {
        QFETCH(QString, key);
        Grid t(2, {u"7.0101"_s, key});
        t.g().setText(2, 0, u"Blue Streak"_s);
        t.g().setText(2, 1, u"100"_s);
        t.g().setText(2, 15, u"Red & Co"_s);
        PopupMenu menu;
        t.g().setCurrent(2, 4);
        QVERIFY(!MSFlexGrid1_MouseDown(t.f, MouseButton::Left, menu));
        QVERIFY(MSFlexGrid1_MouseDown(t.f, MouseButton::Right, menu));
        QString visible;
        for (const PopupMenu::Entry& e : menu.entries())
            visible += e.visible ? u'1' : u'0';
        QTEST(visible, "visible");
        QTEST(menu.entry(u"datecalc"_s).caption, "weekDate");
        const bool race = menu.entry(u"listrace"_s).visible;
        QCOMPARE(menu.entry(u"listhorse"_s).caption,
                 race ? u"List horse: \"Blue Streak\""_s : u"List Horse"_s);
        QCOMPARE(menu.entry(u"listrace"_s).caption, race ? u"List race: "_s + key : u"List Race "_s);
        QCOMPARE(menu.entry(u"listowner"_s).caption, race ? u"List Owner: Red & Co"_s : u"List Owner "_s);

        // A later press on a row without a race key leaves the captions of this one.
        t.g().setText(1, 1, u"5"_s);
        t.g().setText(1, 2, u"Dam-Sire"_s);
        t.g().setCurrent(1, 0);
        QVERIFY(MSFlexGrid1_MouseDown(t.f, MouseButton::Right, menu));
        QCOMPARE(menu.entry(u"listhorse"_s).caption,
                 race ? u"List horse: \"Blue Streak\""_s : u"List Horse"_s);
    }

    void noPopupOnEmptyResult()
    {
        Grid t(0, {QString()});
        t.g().setText(1, 1, QString());
        PopupMenu menu;
        t.g().setCurrent(1, 3);
        QVERIFY(!MSFlexGrid1_MouseDown(t.f, MouseButton::Right, menu));
    }

    void filterKeepsMatchingRows()
    {
        Grid t(4, {u"CA"_s, u"KY"_s, u"CA"_s, u"AZ"_s, u"ca"_s, u"CA"_s});
        t.g().setCurrent(0, 4); // the header row: nothing goes
        listfilter_Click(t.f);
        QCOMPARE(t.rows(), u"CA@0|KY@1|CA@2|AZ@3|ca@4|CA@5"_s);
        t.g().setCurrent(3, 4);
        listfilter_Click(t.f);
        QCOMPARE(t.rows(), u"CA@0|CA@2|CA@5"_s);
        QCOMPARE(t.g().row(), 2);
        QVERIFY(t.g().redraw());
    }

    void weekDateLabel_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("label"); // empty: the message
        QTest::newRow("586") << u"586"_s << u"Week 586\r=\r2/26/2000"_s;
        QTest::newRow("587") << u"587"_s << u"Week 587\r=\r2/28/2000"_s;
        QTest::newRow("0") << u"0"_s << u"Week 0\r=\r7/20/1998"_s;
        QTest::newRow("half to even, text as typed") << u"587.5"_s << u"Week 587.5\r=\r2/29/2000"_s;
        QTest::newRow("letters") << u"5x"_s << QString();
        QTest::newRow("empty") << QString() << QString();
        QTest::newRow("past 16 bits") << u"40000"_s << QString();
    }
    void weekDateLabel()
    {
        QFETCH(QString, text);
        QTEST(WeekDate::label(text, u"M/d/yyyy"_s).value_or(QString()), "label");
    }

    void printPages_data()
    {
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("pages");
        QTest::addColumn<int>("lastY");
        QTest::newRow("one row") << 1 << 1 << 1633;
        QTest::newRow("47 rows fill a page") << 47 << 1 << 1440 + 47 * 193;
        QTest::newRow("the 48th starts page 2") << 48 << 2 << 1633;
    }
    void printPages()
    {
        QFETCH(int, rows);
        Grid t(0, QStringList(rows, u"Blue Streak"_s));
        t.f.frainfo = u"Statistics for Blue Streak"_s;
        t.p.answers = {Platform::Answer::Yes};
        QVERIFY(cmdprint_Click(t.f));
        QCOMPARE(t.p.printJobs.size(), 1);
        const PrintJob& job = t.p.printJobs[0];
        QVERIFY(job.landscape);
        QTEST(job.pages, "pages");
        QTEST(job.texts.back().y, "lastY");
        const PrintedText title = job.texts.front(), head = job.texts[1];
        QCOMPARE(title, (PrintedText{1, 7700 - 26 * 72, 960, 12, true, t.f.frainfo}));
        QCOMPARE(head, (PrintedText{1, 1344, 1440, 8, true, u"Horse Name"_s}));
        const auto second =
            std::find_if(job.texts.begin(), job.texts.end(), [](auto& x) { return x.page == 2; });
        if (second != job.texts.end())
            QCOMPARE(*second, (PrintedText{2, 7920 - 34 * 72, 960, 12, true, t.f.frainfo + u".  Pg. 2"_s}));
    }

    void printedLine()
    {
        Grid t(0, {u"Abcdefghijklmnopqrstuvwxyz1234"_s, u"Short"_s});
        const char* cells[2][18] = {{"", "1234", "612.0507", "O-3+", "CA", "Clm", "6", "D", "88.4", "1", "8",
                                     "3", "10000", "2.50", "6000", "Red \"Barn\"", "4000", "12"},
                                    {"", "99", "7.0102", "F-2", "KY", "MS", "9", "d", "08.5", "10", "12",
                                     "12", "500", "12.00", "0", "Oak", "", "1"}};
        for (int r = 0; r < 2; ++r)
            for (int c = 1; c < 18; ++c)
                t.g().setText(r + 1, c, QString::fromLatin1(cells[r][c]));
        t.g().setRowColour(1, 0, 17, Palette::DarkRed);
        t.g().setRowColour(2, 0, 17, Palette::DarkBlue);
        RecordingPrinterSink sink(true);
        Printing::printFindings(t.g(), u"T"_s, sink);
        QStringList lines(2);
        for (const PrintedText& x : sink.job().texts)
            if (x.y > 1440 && !x.bold)
                lines[(x.y - 1633) / 193] += QStringLiteral("%1:%2 ").arg((x.x - 1344) / 96).arg(x.text);
        QCOMPARE(lines[0],
                 u"0:Abcdefghijklmnopqrstuvw 26:1234 32:612.0507 41:O-3+ 46:CA 49:Clm 53:6 57:Dirt 62:Fst "
                 "67:88.4 73:1 76:8 79:3 84:$10000 93:$2.50 102:$6000 108:Red \"Barn\" 123:$4000 130:12 "_s);
        QCOMPARE(lines[1],
                 u"0:Short 28:99 34:7.0102 41:F-2 46:KY 49:MS 53:9 57:Turf 62:Slp 67:08.5 72:10 75:12 "
                 "78:12 86:$500 92:$12.00 105:$0 108:Oak 131:1 "_s);
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
        QCOMPARE(
            t.p.messages,
            (QStringList{Printing::noResultsMessage(), Printing::question(), Printing::question(),
                         u"No printer is available: the findings were not printed."_s, Printing::question(),
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
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = file.readAll().split('\n');
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
};

QTEST_MAIN(TestGridOutput)
#include "test_gridoutput.moc"
