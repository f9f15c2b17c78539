// The progeny search through the core, and turftrawler-cli sires beside it.
#include "core/format.h"
#include "core/headlessplatform.h"
#include "core/mainwindowstate.h"
#include "core/startup.h"
#include "openhandles.h"
#include "progeny/getsires.h"
#include "progenyfixture.h"
#include "runcli.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <tuple>

Q_DECLARE_METATYPE(ProgenySearchMode)

class TestGetSires : public QObject
{
    Q_OBJECT

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

    /** The only message shown, which must name the breeding file (and `also`, when given). */
    void checkOneMessageNaming(const QString& text, const QString& also = {})
    {
        QCOMPARE(platform->messages.size(), 1);
        const QString& m = platform->messages[0];
        QVERIFY2(m.contains(text) && m.contains(also), qPrintable(m));
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

    void layoutAndCaptions_data()
    {
        QTest::addColumn<ProgenySearchMode>("mode");
        QTest::addColumn<QString>("searched");
        QTest::addColumn<QString>("expected"); // captions and contents of columns 2 and 3
        QTest::newRow("sire") << ProgenySearchMode::Sire << "BIG RED"
                              << "Dam-Sire|Dam-Dam-Sire|Dan Patch|Old Tom";
        QTest::newRow("dam's dam-sire") << ProgenySearchMode::DamDamSire << "Old Tom"
                                        << "Sire|Dam-Sire|Big Red|Dan Patch";
    }

    void layoutAndCaptions()
    {
        QFETCH(ProgenySearchMode, mode);
        QFETCH(QString, searched);
        QFETCH(QString, expected);
        fx->writeBreeding(breedingHorse(17, "FLYING JOE", "big red", "DAN PATCH", "old tom", 3, "G"));
        search(searched, u"5"_s, false, mode);

        QVERIFY(f->sireLayout() && !f->MSFSGrid.visible() && f->MSFSRGrid.visible() && !f->cmdprintEnabled);
        const GridState& g = f->MSFlexGrid1;
        QCOMPARE(g.rows(), 2);
        QCOMPARE(rowCells(g, 0, 2, 3) + u'|' + rowCells(g, 1, 2, 3), expected);
        QCOMPARE(rowCells(g, 0, 0, 1) + u'|' + rowCells(g, 0, 4, 18),
                 u"Horse Name|H.ID.|Y|Sx|#|M|Al|Sk|Gr|<8|<=9|<11|11+|<8|<=9|<11|11+"_s);
        QCOMPARE(rowCells(g, 1, 0, 1) + u'|' + rowCells(g, 1, 4, 5), u"Flying Joe|17|3|G"_s);
        QCOMPARE(f->frainfo, u"Statistics for Progeny of "_s + Fmt::properCase(searched) + u"  (1)."_s);
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
        row("half to even, up", {u"Clm:6:T:5000:2:95.5"_s}, "R11-18", "0|0|0|0|96|0|0|0");
        row("lower-case d, no figure", {u"Clm:6:d:5000:2:99"_s}, "R11-18", "0|0|0|0|0|0|0|0");
    }

    void oneHorse()
    {
        QFETCH(QStringList, starts);
        QFETCH(QString, probe);
        QFETCH(QString, expected);
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
        QCOMPARE(got.join(u' '), expected);
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
        checkOneMessageNaming(QDir::toNativeSeparators(fx->breedingPath()), u"line 5"_s);
        QCOMPARE(f->MSFlexGrid1.rows(), 2);
        QCOMPARE(rowCells(f->MSFlexGrid1, 1, 0, 7), u"Good|1|A|B|4|C|8|N"_s);
        QCOMPARE(f->MSFSRGrid.text(3, 6), u"1"_s);

        QVERIFY(QFile::remove(fx->breedingPath()));
        platform->messages.clear();
        search(u"Big Red"_s);
        checkOneMessageNaming(QDir::toNativeSeparators(fx->breedingPath()));
        QCOMPARE(f->MSFlexGrid1.rows(), 1);
        QCOMPARE(f->frainfo, u"Statistics for Progeny of Big Red  (0)."_s);

        fx->writeBreeding(bigRedKids({"Good"}));
        fx->db().close();
        QVERIFY(QFile::remove(f->databasePath()));
        platform->messages.clear();
        search(u"Big Red"_s);
        checkOneMessageNaming(u"The starts of the progeny could not be read"_s);
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
        QVERIFY(fx->db().begin());
        for (int i = 0; i < 33000; ++i) // beyond a 16-bit counter
            fx->addStart(u"Iron Horse"_s, 1, 1, 80, u"D"_s, 6, u"Stk"_s);
        QVERIFY(fx->db().commit());
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
        QVERIFY(!sires(L("Big Red|--as|dam"), 2).startsWith("exit "));
        fx->writeBreeding("1234,Bad,3,C,x\r\n55,Big Red,0\r\n66,a,0\r\n77,b,0\r\n");
        QVERIFY(sires({u"Big Red"_s}, 1).contains("There was an error with horse 1234."));
        QVERIFY(QFile::remove(fx->breedingPath()));
        QVERIFY(sires({u"Big Red"_s}, 1).contains("does not exist"));
    }
};

QTEST_GUILESS_MAIN(TestGetSires)
#include "test_getsires.moc"
