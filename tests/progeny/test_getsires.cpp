// The breeding file reader, and the progeny search through the core, in the main window and in
// turftrawler-cli sires.
#include "core/format.h"
#include "core/headlessplatform.h"
#include "core/mainwindowstate.h"
#include "gui/app/frmmainfinder.h"
#include "gui/widgets/gridview.h"
#include "openhandles.h"
#include "progeny/breedingchoice.h"
#include "progeny/breedingfile.h"
#include "progeny/getsires.h"
#include "progenyfixture.h"
#include "runcli.h"
#include "startup/startup.h"

#include <QGroupBox>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

#include <tuple>

Q_DECLARE_METATYPE(ProgenySearchMode)

class TestGetSires : public QObject
{
    Q_OBJECT

    /** Runs a scan to its end: the accepted ids, then "end", "check N" or "error at line N". */
    QString scanAll(const QString& path, const QString& name,
                    ProgenySearchMode mode = ProgenySearchMode::Sire)
    {
        BreedingScan scan(path, name, mode);
        if (!scan.start())
            return u"cannot open"_s;
        QStringList out;
        BreedingRecord rec;
        BreedingScan::Result r;
        while ((r = scan.next(rec)) == BreedingScan::Result::Record)
            out << QString::number(rec.id());
        out << (r == BreedingScan::Result::End           ? u"end"_s
                : r == BreedingScan::Result::CheckFailed ? u"check %1"_s.arg(scan.failedId())
                                                         : u"error at line %1"_s.arg(scan.lineNumber()));
        return out.join(u' ');
    }

    /** The normal layout shows the statistics of one horse; the sire layout those of the progeny. */
    static void checkLayout(frmmainfinder& w, bool sire)
    {
        for (QWidget* normal : std::initializer_list<QWidget*>{control<GridView>(w, "MSFSGrid"),
                                                               control<QGroupBox>(w, "fraspeedstats"),
                                                               control<QLineEdit>(w, "txtinjury")})
            QCOMPARE(normal->isVisible(), !sire);
        for (QWidget* progeny : std::initializer_list<QWidget*>{control<GridView>(w, "MSFSRGrid"),
                                                                control<GridView>(w, "MSFmaxgrid"),
                                                                control<QLabel>(w, "lblfastest")})
            QCOMPARE(progeny->isVisible(), sire);
        QCOMPARE(control<GridView>(w, "MSFlexGrid1")->model()->columnCount(), sire ? 19 : 18);
        QCOMPARE(control<QAction>(w, "cmdprint")->isEnabled(), !sire);
    }

    std::unique_ptr<ProgenyFixture> fx;
    std::unique_ptr<HeadlessPlatform> platform;
    std::unique_ptr<MainWindowState> f;

    void load()
    {
        f = std::make_unique<MainWindowState>(*platform, fx->path(), fx->breedingPath());
        QVERIFY(formLoad(*f, NominalRowHeight));
    }

    void search(const QString& name, const QString& minStarts = u"5"_s, bool twoYearOlds = false,
                ProgenySearchMode mode = ProgenySearchMode::Sire)
    {
        if (!f)
            load();
        f->panel.txtnum = minStarts;
        f->panel.chk2yo = twoYearOlds;
        f->panel.progenyMode = mode;
        getsires(*f, name);
    }

    /** Percentages of one win-profile row, Tot to S, then Num. */
    QString profile(int row) const { return rowCells(f->MSFSRGrid, row, 1, 6); }

    /** The only message shown, which must hold `text` (and `also`, when given). */
    void checkOneMessage(const QString& text, const QString& also = {})
    {
        QCOMPARE(platform->messages.size(), 1);
        QVERIFY2(platform->messages[0].contains(text) && platform->messages[0].contains(also),
                 qPrintable(platform->messages[0]));
    }

private slots:
    void init()
    {
        fx = std::make_unique<ProgenyFixture>();
        platform = std::make_unique<HeadlessPlatform>();
    }

    void cleanup()
    {
        // Every path leaves the pointer normal and the results grid drawing again.
        QCOMPARE(platform->busyDepth, 0);
        QCOMPARE(openHandles(fx->path() + u"/horses.mdb"_s), fx->db().isOpen() ? 1 : 0); // the fixture's own
        if (f)
            QVERIFY(f->MSFlexGrid1.redraw());
        f.reset();
        platform.reset();
        fx.reset();
    }

    void aChosenBreedingFileIsCopiedIntoTheFolder()
    {
        // A file that is not one is refused; the folder's own is replaced only when the player says so.
        const QByteArray old = breedingHorse(1, "Old Horse");
        fx->writeBreeding(old);
        load();
        QTemporaryDir elsewhere;
        const QString chosen = elsewhere.filePath(u"horses.txt"_s);
        QVERIFY(writeFile(chosen, "notes, not horses\n"));
        platform->openAnswers = {{chosen}, {}};
        QVERIFY(!choosebreedingfile(*f));
        checkOneMessage(u"is not a breeding file"_s);
        QVERIFY(!choosebreedingfile(*f)); // the dialog cancelled
        QCOMPARE(f->statusline, u"The breeding file in use was kept."_s);
        const QByteArray record = breedingHorse(7, "New Horse", "Big Red");
        QVERIFY(writeFile(chosen, record));
        platform->openAnswers = {{chosen}, {chosen}};
        platform->answers = {Platform::Answer::No, Platform::Answer::Yes};
        QVERIFY(!choosebreedingfile(*f));
        QCOMPARE(readFile(fx->breedingPath()), old);
        QVERIFY(choosebreedingfile(*f));
        QCOMPARE(readFile(fx->breedingPath()), record);
        QVERIFY(f->panel.progenyEnabled && f->statusline.startsWith(u"Breeding file "_s));
    }

    void layoutAndCaptions_data()
    {
        QTest::addColumn<ProgenySearchMode>("mode");
        QTest::addColumn<QString>("searched");
        // Captions and contents of columns 2 and 3, and the frame's caption.
        QTest::addColumn<QString>("expected");
        QTest::newRow("sire")
            << ProgenySearchMode::Sire << "BIG RED"
            << "Dam-Sire|Dam-Dam-Sire|Dan Patch|Old Tom|Statistics for Progeny of Big Red  (1).";
        QTest::newRow("dam's dam-sire")
            << ProgenySearchMode::DamDamSire << "Old Tom"
            << "Sire|Dam-Sire|Big Red|Dan Patch|Statistics for Progeny of Old Tom  (1).";
    }

    void layoutAndCaptions()
    {
        QFETCH(ProgenySearchMode, mode);
        QFETCH(QString, searched);
        fx->writeBreeding(breedingHorse(17, "FLYING JOE", "big red", "DAN PATCH", "old tom", 3, "G"));
        search(searched, u"5"_s, false, mode);

        QVERIFY(f->sireLayout() && !f->MSFSGrid.visible() && f->MSFSRGrid.visible() && !f->cmdprintEnabled);
        const GridState& g = f->MSFlexGrid1;
        QCOMPARE(g.rows(), 2);
        QTEST(rowCells(g, 0, 2, 3) + u'|' + rowCells(g, 1, 2, 3) + u'|' + f->frainfo, "expected");
        QCOMPARE(rowCells(g, 0, 0, 1) + u'|' + rowCells(g, 0, 4, 18),
                 u"Horse Name|H.ID.|Y|Sx|#|M|Al|Sk|Gr|<8|<=9|<11|11+|<8|<=9|<11|11+"_s);
        QCOMPARE(rowCells(g, 1, 0, 1) + u'|' + rowCells(g, 1, 4, 5), u"Flying Joe|17|3|G"_s);
    }

    void horsesThatDoNotQualify()
    {
        fx->writeBreeding(bigRedKids({"Never Ran", "Few Starts"}) +
                          breedingHorse(3, "Too Young", "Big Red", "a", "b", 2));
        fx->addStart(u"Few Starts"_s, 2, 1, 80, u"D"_s, 6, u"Alw"_s);
        fx->addStarts(u"Few Starts"_s, 2, 3, 70);
        fx->addStarts(u"Too Young"_s, 3, 12, 88, u"T"_s);
        search(u"Nobody"_s); // a stallion without progeny shows the captions only
        QCOMPARE(f->MSFlexGrid1.text(0, 18) + f->frainfo, u"11+Statistics for Progeny of Nobody  (0)."_s);
        search(u"Big Red"_s); // progeny, none of which gives a statistic
        QCOMPARE(f->MSFlexGrid1.rows(), 4);
        for (int r = 1; r <= 7; ++r)
            QCOMPARE(profile(r), u"0.0%|0.0%|0.0%|0.0%|0.0%|0"_s);
        for (int r = 1; r <= 6; ++r)
            QCOMPARE(rowCells(f->MSFmaxgrid, r, 1, 5), u"||||"_s);
        QCOMPARE(f->lblfastest, u"Fastest progeny?  - 0"_s);
        QVERIFY(platform->messages.isEmpty());
        const GridState& g = f->MSFlexGrid1;
        QCOMPARE(rowCells(g, 1, 6, 18) + u'/' + rowCells(g, 1, 11, 18, true),
                 u"|||||0|0|0|0|0|0|0|0/0|0|0|0|0|0|0|0"_s);
        QCOMPARE(rowCells(g, 2, 6, 18) + u'/' + rowCells(g, 2, 11, 18, true),
                 u"4|||||0|0|0|0|0|0|0|0/4|4|4|4|2|2|2|2"_s);
        QCOMPARE(rowCells(g, 3, 6, 18), u"12|||||0|0|0|0|0|0|0|0"_s);
    }

    void qualificationBases_data()
    {
        QTest::addColumn<QString>("minimum");
        QTest::addColumn<bool>("twoYearOlds");
        QTest::addColumn<QString>("q1q2"); // Num of rows "Mdn" and "1+A"
        QTest::newRow("N 5") << "5" << false << "2|1";
        QTest::newRow("N 8") << "8" << false << "1|0";
        QTest::newRow("empty box means no minimum") << "" << false << "2|2";
        QTest::newRow("more digits than any count") << "99999999999999999999999" << false << "0|0";
        QTest::newRow("two-year-olds only") << "1" << true << "1|1";
    }

    void qualificationBases()
    {
        QFETCH(QString, minimum);
        QFETCH(bool, twoYearOlds);
        QFETCH(QString, q1q2);
        fx->writeBreeding(breedingHorse(1, "Seven", "Big Red", "a", "b", 3) + breedingHorse(2, "Ten") +
                          breedingHorse(3, "Baby", "Big Red", "a", "b", 2));
        fx->addStarts(u"Seven"_s, 1, 7);
        fx->addStarts(u"Ten"_s, 2, 10);
        fx->addStarts(u"Baby"_s, 3, 9);
        search(u"Big Red"_s, minimum, twoYearOlds);
        QCOMPARE(f->MSFSRGrid.text(3, 6) + u'|' + f->MSFSRGrid.text(4, 6), q1q2);
        QCOMPARE(f->MSFSRGrid.text(1, 6) + u'|' + f->MSFSRGrid.text(7, 6),
                 q1q2); // the maiden rows share a base, as do the class rows
    }

    void oneHorse_data()
    {
        QTest::addColumn<QStringList>("starts"); // restr:dist:surf[:cprice:fin:sp], a win at 70 unless given
        QTest::addColumn<QString>("probe");      // Rc0-c1: the horse's cells c0 to c1; Pr0-r1: win profile
        QTest::addColumn<QString>("expected");   // win profile: Tot D T R S as 1 for 100% and 0 for 0%
        const auto row = [](const char* title, const QStringList& starts, const char* probe,
                            const char* expected) {
            QTest::newRow(title) << starts << QString::fromUtf8(probe) << QString::fromUtf8(expected);
        };
        // First wins, in rows MC, MSW and Mdn. A later maiden win counts for nothing.
        const QString laterMaidenWin = u"MS:12:T"_s;
        row("MC 7.5 dirt", {u"MC:7.5:D"_s, laterMaidenWin}, "P1-3", "11001/00000/11001");
        row("MS 7.75 turf is a route", {u"MS:7.75:T"_s, laterMaidenWin}, "P1-3", "00000/10110/10110");
        row("first win elsewhere", {u"Alw:6:D"_s, laterMaidenWin}, "P1-3", "00000/00000/11001");
        row("any letter but D is turf", {u"MC:6:A"_s, laterMaidenWin}, "P1-3", "10101/00000/10101");
        row("codes compare exactly", {u"mc:6:D"_s, laterMaidenWin}, "P1-3", "00000/00000/11001");
        // Class wins: cells Al|Sk|Gr, and rows 1+A, 3+A, Stk and Grp.
        row("graded win folds upward", {u"G1:8:D"_s}, "R8-10 P4-7", "1|1|1 11010/00000/11010/11010");
        row("stakes only", {u"Stk:6:T"_s}, "R8-10 P4-7", "1|1|0 10101/00000/10101/00000");
        row("allowance at 7.75 is a sprint", {u"Alw:7.75:D"_s}, "R8-10 P4-7",
            "1|0|0 11001/00000/00000/00000");
        row("built allowance code", {u"A2x:8:T"_s}, "R8-10 P4-7", "1|0|0 10110/00000/00000/00000");
        row("digit code with a claiming price", {u"25:6:D:25000:1:70"_s}, "R8-10 P4-7",
            "1|0|0 11001/00000/00000/00000");
        row("claiming win", {u"Clm:6:D:5000:1:70"_s}, "R8-10 P4-7", "0|0|0 00000/00000/00000/00000");
        row("three on dirt, two at routes", {u"Alw:6:D"_s, u"Stk:9:D"_s, u"G2:10:D"_s}, "R8-10 P4-7",
            "3|2|1 11011/11000/11010/11010");
        // Best figures by surface and distance band: dirt in columns 11-14, turf in 15-18.
        row("dirt 7.99", {u"Clm:7.99:D:5000:2:80.4"_s}, "R11-18", "80|0|0|0|0|0|0|0");
        row("dirt 8", {u"Clm:8:D:5000:2:80"_s}, "R11-18", "0|80|0|0|0|0|0|0");
        row("dirt 9.5 is band 3", {u"Clm:9.5:D:5000:2:80"_s}, "R11-18", "0|0|80|0|0|0|0|0");
        row("turf 10.99", {u"Clm:10.99:T:5000:2:80"_s}, "R11-18", "0|0|0|0|0|0|80|0");
        row("turf 11", {u"Clm:11:T:5000:2:80"_s}, "R11-18", "0|0|0|0|0|0|0|80");
        row("half to even, down", {u"Clm:6:D:5000:2:96.5"_s}, "R11-18", "96|0|0|0|0|0|0|0");
        row("lower-case d, no figure", {u"Clm:6:d:5000:2:99"_s}, "R11-18", "0|0|0|0|0|0|0|0");
    }

    void oneHorse()
    {
        QFETCH(QStringList, starts);
        QFETCH(QString, probe);
        fx->writeBreeding(bigRedKids({"Kid"}));
        for (const QString& st : starts) {
            const QStringList p = st.split(u':');
            fx->addStart(u"Kid"_s, 1, p.value(4, u"1"_s).toInt(), p.value(5, u"70"_s).toDouble(), p[2],
                         p[1].toDouble(), p[0], p.value(3).toInt());
        }
        fx->addStarts(u"Kid"_s, 1, 6); // the class rows take progeny with N + 5 starts
        search(u"Big Red"_s, u"1"_s);
        QStringList got;
        for (const QString& item : probe.split(u' ')) {
            const int from = item.section(u'-', 0, 0).mid(1).toInt(),
                      to = qMax(from, item.section(u'-', 1).toInt());
            QStringList rows; // the win profile as 1 for 100% and 0 for 0%
            for (int r = from; item.startsWith(u'P') && r <= to; ++r)
                rows << rowCells(f->MSFSRGrid, r, 1, 5)
                            .remove(u'|')
                            .replace(u"100.0%"_s, u"1"_s)
                            .replace(u"0.0%"_s, u"0"_s);
            got << (item.startsWith(u'R') ? rowCells(f->MSFlexGrid1, 1, from, to) : rows.join(u'/'));
        }
        QTEST(got.join(u' '), "expected");
    }

    void bestFiguresAndSpeedSummary()
    {
        fx->writeBreeding(bigRedKids({"First", "Second", "Third"}));
        for (const auto& [name, id, sp] : {std::tuple{u"First"_s, 1, 95.6},
                                           {u"First"_s, 1, 95.9},
                                           {u"Second"_s, 2, 96.2},
                                           {u"Third"_s, 3, 96.0}})
            fx->addStart(name, id, 2, sp);
        search(u"Big Red"_s, u"1"_s);
        QCOMPARE(f->MSFlexGrid1.text(1, 11), u"96"_s);
        // 96 (rounded) is below 96.2: the second horse takes the name though both show 96.
        QCOMPARE(f->lblfastest, u"Fastest progeny? Second - 96"_s);

        // Equal figures: the first horse keeps the name.
        fx->writeBreeding(bigRedKids({"First"}) + breedingHorse(4, "Fourth"));
        fx->addStart(u"First"_s, 1, 2, 98.0);
        fx->addStart(u"Fourth"_s, 4, 2, 98.0);
        search(u"Big Red"_s, u"1"_s);
        QCOMPARE(f->lblfastest, u"Fastest progeny? First - 98"_s);

        fx->writeBreeding(bigRedKids({"A", "B", "C"}));
        for (const auto& [name, id, sp, surf, dist] : {std::tuple{u"A"_s, 1, 80, u"D"_s, 6},
                                                       {u"A"_s, 1, 90, u"T"_s, 6},
                                                       {u"A"_s, 1, 70, u"D"_s, 12},
                                                       {u"B"_s, 2, 85, u"D"_s, 6},
                                                       {u"B"_s, 2, 75, u"D"_s, 6},
                                                       {u"C"_s, 3, 0, u"D"_s, 6}})
            fx->addStart(name, id, 2, sp, surf, dist);
        search(u"Big Red"_s, u"1"_s);
        QStringList rows;
        for (int r = 1; r <= 6; ++r)
            rows << rowCells(f->MSFmaxgrid, r, 1, 5);
        // Dirt band 1 averages (80 + 85) / 2, and the dirt total (80 + 85 + 70) / 3.
        QCOMPARE(rows, (QStringList{u"82.5|||70.0|78.3"_s, u"90.0||||90.0"_s, u"85.0|||70.0|81.3"_s,
                                    u"90|||70|90"_s, u"2|||1|3"_s, u"1||||1"_s}));
        QCOMPARE(f->lblfastest, u"Fastest progeny? A - 90"_s);
    }

    void idCheckFailureKeepsEarlierRows()
    {
        fx->writeBreeding(bigRedKids({"Good"}) + "1234,Bad,3,C,x\r\n55,Big Red,0\r\n66,a,0\r\n77,b,0\r\n" +
                          breedingHorse(3, "Later"));
        fx->addStarts(u"Good"_s, 1, 8, 80);
        load();
        f->MSFlexGrid1.setRows(6);
        f->frainfo = u"before"_s;
        f->MSFSRGrid.setText(1, 1, u"earlier"_s);
        f->lblfastest = u"earlier"_s;
        search(u"Big Red"_s);
        QCOMPARE(platform->messages,
                 QStringList{u"There was an error with horse 1234.  Check the breeding.txt file."_s});
        const GridState& g = f->MSFlexGrid1;
        QCOMPARE(g.rows(), 6);
        QCOMPARE(rowCells(g, 1, 0, 1) + u'/' + rowCells(g, 2, 0, 1), u"Good|1/|"_s);
        QCOMPARE(g.text(0, 0) + g.text(1, 6), QString()); // no captions, no statistics
        QCOMPARE(f->frainfo + f->MSFSRGrid.text(1, 1) + f->lblfastest, u"beforeearlierearlier"_s);
        for (int r = 3; r <= 5; ++r)
            QCOMPARE(rowCells(f->MSFmaxgrid, r, 1, 5), u"0|0|0|0|0"_s);
    }

    void breedingFileProblems()
    {
        // A file cut short lists the horses before the cut, with a message naming the file and the line.
        fx->writeBreeding(bigRedKids({"Good"}) + "2,Cut Short,3,C,x\r\n2,Big Red,0\r\n");
        fx->addStarts(u"Good"_s, 1, 8, 80);
        search(u"Big Red"_s);
        checkOneMessage(QDir::toNativeSeparators(fx->breedingPath()), u"line 5"_s);
        QCOMPARE(f->MSFlexGrid1.rows(), 2);
        QCOMPARE(rowCells(f->MSFlexGrid1, 1, 0, 7), u"Good|1|A|B|4|C|8|N"_s);
        QCOMPARE(f->MSFSRGrid.text(3, 6), u"1"_s);

        QVERIFY(QFile::remove(fx->breedingPath()));
        platform->messages.clear();
        search(u"Big Red"_s);
        checkOneMessage(QDir::toNativeSeparators(fx->breedingPath()));
        QCOMPARE(f->MSFlexGrid1.rows(), 1);
        QCOMPARE(f->frainfo, u"Statistics for Progeny of Big Red  (0)."_s);

        fx->writeBreeding(bigRedKids({"Good"}));
        fx->db().close();
        QVERIFY(QFile::remove(f->databasePath()));
        platform->messages.clear();
        search(u"Big Red"_s);
        checkOneMessage(u"The starts of the progeny could not be read"_s);
        QCOMPARE(rowCells(f->MSFlexGrid1, 1, 0, 1), u"Good|1"_s);
    }

    void namesWithQuotesAndMatchingOnNameAndId()
    {
        fx->writeBreeding(bigRedKids({"Say \"When\"", "O'Hara", "Twin"}));
        fx->addStarts(u"Say \"When\""_s, 1, 6, 77);
        fx->addStarts(u"O'Hara"_s, 2, 7, 78);
        // Another horse of the same name, and the same horse written in other letter case in the results.
        fx->addStarts(u"TWIN"_s, 3, 3);
        fx->addStarts(u"Twin"_s, 8, 4);
        search(u"Big Red"_s);
        QVERIFY(platform->messages.isEmpty());
        QCOMPARE(rowCells(f->MSFlexGrid1, 1, 6, 7) + u'/' + rowCells(f->MSFlexGrid1, 2, 6, 7) + u'/' +
                     rowCells(f->MSFlexGrid1, 3, 6, 6),
                 u"6|N/7|N/3"_s);
    }

    void countersDoNotWrap()
    {
        fx->writeBreeding(bigRedKids({"Iron Horse"}));
        fx->addStart(u"Iron Horse"_s, 1, 1, 80, u"D"_s, 6, u"Stk"_s);
        // 32,999 copies of that start: counts beyond a 16-bit counter.
        fx->exec(
            u"INSERT INTO tblhorsedata SELECT d.* FROM tblhorsedata d, (WITH RECURSIVE n(i) AS (SELECT 1 "
            "UNION ALL SELECT i + 1 FROM n WHERE i < 32999) SELECT i FROM n)"_s);
        search(u"Big Red"_s);
        QCOMPARE(rowCells(f->MSFlexGrid1, 1, 6, 10), u"33000|Y|33000|33000|0"_s);
        QCOMPARE(profile(6), u"100.0%|100.0%|0.0%|0.0%|100.0%|1"_s);
    }

    void commandLine()
    {
        fx->writeBreeding(breedingHorse(3, "QUICK KID", "Big Red", "Dan", "Tom", 2, "F"));
        fx->addStart(u"Quick Kid"_s, 3, 1, 81.5, u"T"_s, 9, u"MS"_s);
        const auto sires = [&](const QStringList& args, int status, bool withErrors = true) {
            return runCli(fx->path(),
                          QStringList{u"sires"_s} + args + QStringList{u"--breeding"_s, fx->breedingPath()},
                          status, withErrors);
        };
        const QJsonObject j =
            QJsonDocument::fromJson(sires(L("Tom|--as|damdamsire|--min|1|--2yo|--json"), 0, false)).object();
        QCOMPARE(j[u"MSFlexGrid1"_s][u"cells"_s][0][3].toString(), u"Dam-Sire"_s);
        QCOMPARE(j[u"MSFlexGrid1"_s][u"cells"_s][1][0].toString(), u"Quick Kid"_s);
        QCOMPARE(j[u"lblfastest"_s].toString(), u"Fastest progeny? Quick Kid - 82"_s);
        sires(L("Big Red|--as|dam"), 2);
        fx->writeBreeding("1234,Bad,3,C,x\r\n55,Big Red,0\r\n66,a,0\r\n77,b,0\r\n");
        QVERIFY(sires({u"Big Red"_s}, 1).contains("There was an error with horse 1234."));
        QVERIFY(QFile::remove(fx->breedingPath()));
        QVERIFY(sires({u"Big Red"_s}, 1).contains("does not exist"));
    }

    void progenySearchThenHorseSearch()
    {
        fx->writeBreeding(breedingHorse(11, "SPEEDY", "Big Red", "Dan", "Tom", 3, "C") +
                          breedingHorse(12, "Plodder", "Other", "Dan", "Tom"));
        fx->addStart(u"Speedy"_s, 11, 1, 91.5, u"D"_s, 6, u"MC"_s);
        fx->addStart(u"Speedy"_s, 11, 1, 93.4, u"T"_s, 8.5, u"Alw"_s);
        frmmainfinder w(*platform, fx->path(), fx->breedingPath());
        QVERIFY(w.Form_Load());
        w.show();

        control<QRadioButton>(w, "optsire")->click();
        QTest::keyClicks(control<QLineEdit>(w, "txthorse"), u"Big Red"_s);
        control<QLineEdit>(w, "txtnum")->selectAll();
        QTest::keyClicks(control<QLineEdit>(w, "txtnum"), u"1x"_s); // the letter beeps and is dropped
        QCOMPARE(control<QLineEdit>(w, "txtnum")->text(), u"1"_s);
        w.state().lblprogress = u"Import of a.txt was NOT completed."_s; // not about the list to come
        QTest::mouseClick(control<QPushButton>(w, "cmdgethorse"), Qt::LeftButton);
        QVERIFY2(platform->messages.isEmpty(), qPrintable(platform->messages.join(u'\n')));
        checkLayout(w, true);
        QVERIFY(control<QLabel>(w, "lblprogress")->text().isEmpty());
        QAbstractItemModel* m = control<GridView>(w, "MSFlexGrid1")->model();
        QCOMPARE(m->index(0, 0).data().toString() + m->index(0, 11).data().toString(), u"Speedy92"_s);
        QCOMPARE(m->index(0, 11).data(Qt::ForegroundRole).value<QColor>(), QColor(128, 0, 0));
        QCOMPARE(control<QLabel>(w, "lblfastest")->text(), u"Fastest progeny? Speedy - 93"_s);

        // Enter in the name box runs the same search; a dam-sire search changes the captions.
        control<QRadioButton>(w, "optdamsire")->click();
        control<QLineEdit>(w, "txthorse")->selectAll();
        QTest::keyClicks(control<QLineEdit>(w, "txthorse"), u"Dan"_s);
        QTest::keyClick(control<QLineEdit>(w, "txthorse"), Qt::Key_Return);
        QCOMPARE(m->headerData(2, Qt::Horizontal).toString() + m->index(1, 2).data().toString(),
                 u"SireOther"_s);

        QCOMPARE(w.state().statusline, u"2 horses of the progeny of Dan"_s);

        // An owner search that lists nothing leaves the progeny list whole; the owner option shows the
        // injury exclusion that its search reads.
        control<QRadioButton>(w, "optowner")->click();
        control<QLineEdit>(w, "txthorse")->setText(u"Nobody"_s);
        QTest::mouseClick(control<QPushButton>(w, "cmdgethorse"), Qt::LeftButton);
        QCOMPARE(platform->messages, QStringList{u"No horses under the search criteria were found."_s});
        QVERIFY(control<GridView>(w, "MSFmaxgrid")->isVisible() &&
                control<QLineEdit>(w, "txtinjury")->isVisible() &&
                control<QLabel>(w, "lblprogress")->text().isEmpty());
        QCOMPARE(m->headerData(2, Qt::Horizontal).toString() + m->index(1, 2).data().toString(),
                 u"SireOther"_s);
        platform->messages.clear();

        // Back to a horse search: the normal layout returns.
        control<QRadioButton>(w, "opthorse")->click();
        control<QLineEdit>(w, "txthorse")->setText(u"Speedy"_s);
        QTest::mouseClick(control<QPushButton>(w, "cmdgethorse"), Qt::LeftButton);
        QVERIFY(platform->messages.isEmpty() && !control<QLineEdit>(w, "txtnum")->isVisible());
        checkLayout(w, false);
        QCOMPARE(m->rowCount(), 2);
    }

    void scan_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<ProgenySearchMode>("mode");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("expected");
        const auto S = ProgenySearchMode::Sire, DS = ProgenySearchMode::DamSire;
        const QByteArray a = breedingHorse(1, "Alpha", "Big Red", "Dan", "Old Tom");
        const QByteArray b = breedingHorse(2, "Beta", "Big Red", "Sam", "Old Tom");
        const QByteArray c = breedingHorse(3, "Gamma", "Other", "Big Red", "Big Red");
        const auto row = [](const char* title, const QByteArray& text, const char* expected,
                            ProgenySearchMode mode = ProgenySearchMode::Sire, const char* name = "Big Red") {
            QTest::newRow(title) << text << mode << QString::fromUtf8(name) << QString::fromUtf8(expected);
        };
        row("empty file", {}, "end");
        row("sire", a + b + c, "1 2 end");
        row("dam-sire", a + b + c, "3 end", DS);
        row("dam's dam-sire", a + b + c, "1 2 end", ProgenySearchMode::DamDamSire, "old tom");
        row("line ends without CR, no end at the last line",
            QByteArray(a + b).replace("\r\n", "\n").chopped(1), "1 2 end");
        row("byte order mark", "\xEF\xBB\xBF" + a, "1 end");
        row("a line of blanks separates records", a + "  \t\r\n" + b, "1 2 end");
        row("blank line 3 resynchronises", "7,Broken,3,F,x\r\n7,Big Red,0\r\n\r\n" + b, "2 end");
        row("letter case ignored", a, "1 end", S, "BIG red");
        row("searched name with a trailing blank", a, "end", S, "Big Red ");
        // Sire mode must consume lines 3 and 4 of a non-matching record even when they carry the name.
        row("skipped lines equal the name", c + a, "1 end");
        row("skipped lines look like a record",
            "5,X,3,C,x\r\n5,Nobody,0\r\n6,Big Red,0\r\n6,Big Red,0\r\n" + a, "1 end");
        row("one repeated id is enough", "1234,Kid,3,C,x\r\n1234,Big Red,0\r\n99,D,0\r\n99,E,0\r\n",
            "1234 end");
        row("id repeated only on line 4", "1234,Kid,3,C,x\r\n55,Big Red,0\r\n66,D,0\r\n1234,E,0\r\n",
            "1234 end");
        row("no repeated id stops the scan", a + "1234,Kid,3,C,x\r\n55,Big Red,0\r\n66,D,0\r\n77,E,0\r\n" + b,
            "1 check 1234");
        row("non-matching record with bad ids is skipped",
            "1234,Kid,3,C,x\r\n55,Nobody,0\r\n66,D,0\r\n77,E,0\r\n" + a, "1 end");
        row("blank among skipped lines ends the record", "5,X,3,C,x\r\n5,Nobody,0\r\n\r\n" + a, "1 end");
        row("truncated last record", a + "8,Cut,3,C,x\r\n8,Big Red,0\r\n", "1 error at line 6");
        row("first line with two commas", a + "8,Cut,3\r\n", "1 error at line 5");
        row("id with a decimal", "8.5,Cut,3,C\r\n" + a, "error at line 1");
        row("ids and age with blanks around", " 8 ,Kid, 3 ,C\r\n8 ,Big Red,0\r\n8,x,0\r\n8,y,0\r\n", "8 end");
        // Names in Latin-1 and in UTF-8 both match a searched name typed with the accent.
        row("eight-bit and UTF-8 names",
            breedingHorse(1, "Kid", "Beau Fr\xe9re") + breedingHorse(2, "Kid", "BEAU FR\xc3\x89RE"),
            "1 2 end", S, "Beau Fr\xc3\xa9re");
    }

    void scan()
    {
        QFETCH(QByteArray, text);
        QFETCH(ProgenySearchMode, mode);
        QFETCH(QString, name);
        fx->writeBreeding(text);
        QTEST(scanAll(fx->breedingPath(), name, mode), "expected");
    }

    void recordFields()
    {
        fx->writeBreeding("\r\n42,Some Horse ,3, F extra,stuff\r\n42,Sire One,9,9\r\n42,DS,1\r\n"
                          "42, DDS ,1\r\n43,No Sex,5,\r\n43,sire one,0\r\n43,a,0\r\n43,b,0\r\n");
        BreedingScan scan(fx->breedingPath(), u"SIRE ONE"_s, ProgenySearchMode::Sire);
        QVERIFY(scan.start());
        BreedingRecord rec;
        QCOMPARE(scan.next(rec), BreedingScan::Result::Record);
        QCOMPARE(rec.id(), 42);
        QCOMPARE(rec.firstLine, 2);
        QCOMPARE(QStringList({rec.name(), rec.lineNames[1], rec.lineNames[2], rec.lineNames[3]}),
                 (QStringList{u"Some Horse "_s, u"Sire One"_s, u"DS"_s, u" DDS "_s}));
        QCOMPARE(rec.ageYears, std::int16_t(3));
        QCOMPARE(rec.sexCode, u" "_s); // the character right after the third comma
        QCOMPARE(scan.next(rec), BreedingScan::Result::Record);
        QCOMPARE(rec.ageYears, std::int16_t(5));
        QVERIFY(rec.sexCode.isEmpty());
        QCOMPARE(scan.next(rec), BreedingScan::Result::End);
        QCOMPARE(scan.next(rec), BreedingScan::Result::End); // stays over
    }
};

QTEST_MAIN(TestGetSires)
#include "test_getsires.moc"
