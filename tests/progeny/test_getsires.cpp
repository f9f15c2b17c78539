#include "app/finder.h"
#include "app/format.h"
#include "app/scriptedplatform.h"
#include "app/startup.h"
#include "progeny/getsires.h"
#include "progenyfixture.h"

#include <QTest>

#include <memory>

Q_DECLARE_METATYPE(ProgenySearchMode)

namespace
{

/** Cells c0 to c1 of one grid row, joined with "|". */
QString cells(const GridState& g, int row, int c0, int c1)
{
    QStringList out;
    for (int c = c0; c <= c1; ++c)
        out << g.text(row, c);
    return out.join(QLatin1Char('|'));
}

QString colours(const GridState& g, int row, int c0, int c1)
{
    QStringList out;
    for (int c = c0; c <= c1; ++c)
        out << QString::number(g.colour(row, c));
    return out.join(QLatin1Char('|'));
}

} // namespace

class TestGetSires : public QObject
{
    Q_OBJECT

    std::unique_ptr<ProgenyFixture> fx;
    std::unique_ptr<ScriptedPlatform> platform;
    std::unique_ptr<Finder> f;

    void load()
    {
        f = std::make_unique<Finder>(*platform, fx->dir(), fx->breedingPath());
        QVERIFY(formLoad(*f, NominalRowHeight));
    }

    void search(const QString& name, const QString& minStarts = QStringLiteral("5"), bool twoYearOlds = false,
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
    QString profile(int row) const { return cells(f->MSFSRGrid, row, 1, 6); }

private slots:
    void init()
    {
        fx = std::make_unique<ProgenyFixture>();
        platform = std::make_unique<ScriptedPlatform>();
    }

    void cleanup()
    {
        // Every path leaves the pointer normal and the results grid drawing again.
        QCOMPARE(platform->busyDepth, 0);
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
        QTest::newRow("dam-sire") << ProgenySearchMode::DamSire << "dan patch"
                                  << "Sire|Dam-Dam-Sire|Big Red|Old Tom";
        QTest::newRow("dam's dam-sire") << ProgenySearchMode::DamDamSire << "Old Tom"
                                        << "Sire|Dam-Sire|Big Red|Dan Patch";
    }

    void layoutAndCaptions()
    {
        QFETCH(ProgenySearchMode, mode);
        QFETCH(QString, searched);
        QFETCH(QString, expected);
        fx->writeBreeding(breedingHorse(17, "FLYING JOE", "big red", "DAN PATCH", "old tom", 3, "G"));
        load();
        f->MSFlexGrid1.setColWidth(0, 1600);
        search(searched, QStringLiteral("5"), false, mode);

        QVERIFY(f->sireLayout());
        QVERIFY(!f->MSFSGrid.visible() && !f->MSFWGrid.visible());
        QVERIFY(f->MSFSRGrid.visible() && f->MSFmaxgrid.visible() && f->lblfastestVisible);
        QVERIFY(!f->cmdprintEnabled);
        const GridState& g = f->MSFlexGrid1;
        QCOMPARE(g.cols(), 19);
        QCOMPARE(g.rows(), 2);
        QCOMPARE(cells(g, 0, 2, 3) + QLatin1Char('|') + cells(g, 1, 2, 3), expected);
        QCOMPARE(cells(g, 0, 0, 1) + QLatin1Char('|') + cells(g, 0, 4, 18),
                 QStringLiteral("Horse Name|H.ID.|Y|Sx|#|M|Al|Sk|Gr|<8|<=9|<11|11+|<8|<=9|<11|11+"));
        QCOMPARE(cells(g, 1, 0, 1) + QLatin1Char('|') + cells(g, 1, 4, 5),
                 QStringLiteral("Flying Joe|17|3|G"));
        const int widths[] = {1600, -1,  1400, 1400, 250, 250, 275, 250, 310, 310,
                              310,  320, 320,  320,  320, 320, 320, 320, 320};
        for (int c = 2; c < 19; ++c)
            QCOMPARE(g.colWidth(c), widths[c]);
        QCOMPARE(g.colAlign(15), Align::RightCenter);
        QCOMPARE(f->frainfo, QStringLiteral("Statistics for Progeny of ") + Fmt::properCase(searched) +
                                 QStringLiteral("  (1)."));
        QVERIFY(platform->messages.isEmpty());
        QVERIFY(!QFile::exists(f->settingsPath())); // the switch must not write the layout file
    }

    void noProgeny()
    {
        fx->writeBreeding(breedingHorse(1, "Kid", "Someone Else", "a", "b"));
        search(QStringLiteral("Big Red"));
        QCOMPARE(f->MSFlexGrid1.rows(), 1);
        QCOMPARE(f->MSFlexGrid1.text(0, 18), QStringLiteral("11+"));
        QCOMPARE(f->frainfo, QStringLiteral("Statistics for Progeny of Big Red  (0)."));
        for (int r = 1; r <= 7; ++r)
            QCOMPARE(profile(r), QStringLiteral("0.0%|0.0%|0.0%|0.0%|0.0%|0"));
        for (int r = 1; r <= 6; ++r)
            QCOMPARE(cells(f->MSFmaxgrid, r, 1, 5), QStringLiteral("||||"));
        QCOMPARE(f->lblfastest, QStringLiteral("Fastest progeny?  - 0"));
        QVERIFY(platform->messages.isEmpty());
    }

    void horsesThatDoNotQualify()
    {
        fx->writeBreeding(breedingHorse(1, "Never Ran", "Big Red", "a", "b") +
                          breedingHorse(2, "Few Starts", "Big Red", "a", "b") +
                          breedingHorse(3, "Too Young", "Big Red", "a", "b", 2));
        fx->addStart(QStringLiteral("Few Starts"), 2, 1, 80, QStringLiteral("D"), 6, QStringLiteral("Alw"));
        fx->addStarts(QStringLiteral("Few Starts"), 2, 3, 70);
        fx->addStarts(QStringLiteral("Too Young"), 3, 12, 88, QStringLiteral("T"));
        search(QStringLiteral("Big Red"));
        const GridState& g = f->MSFlexGrid1;
        QCOMPARE(cells(g, 1, 6, 18), QStringLiteral("|||||0|0|0|0|0|0|0|0"));
        QCOMPARE(colours(g, 1, 11, 18), QStringLiteral("0|0|0|0|0|0|0|0"));
        QCOMPARE(cells(g, 2, 6, 18), QStringLiteral("4|||||0|0|0|0|0|0|0|0"));
        QCOMPARE(colours(g, 2, 11, 18), QStringLiteral("4|4|4|4|2|2|2|2"));
        QCOMPARE(cells(g, 3, 6, 18), QStringLiteral("12|||||0|0|0|0|0|0|0|0"));
        QCOMPARE(profile(3), QStringLiteral("0.0%|0.0%|0.0%|0.0%|0.0%|0"));
        QCOMPARE(cells(f->MSFmaxgrid, 1, 1, 5), QStringLiteral("||||"));
        QCOMPARE(f->lblfastest, QStringLiteral("Fastest progeny?  - 0"));
    }

    void qualificationBases_data()
    {
        QTest::addColumn<QString>("minimum");
        QTest::addColumn<bool>("twoYearOlds");
        QTest::addColumn<QString>("q1q2"); // Num of rows "Mdn" and "1+A"
        QTest::newRow("N 5") << "5" << false << "2|1";
        QTest::newRow("N 8") << "8" << false << "1|0";
        QTest::newRow("N 2") << "2" << false << "2|2";
        QTest::newRow("empty box means no minimum") << "" << false << "2|2";
        QTest::newRow("more digits than any count") << "99999999999999999999999" << false << "0|0";
        QTest::newRow("two-year-olds only") << "1" << true << "1|1";
    }

    void qualificationBases()
    {
        QFETCH(QString, minimum);
        QFETCH(bool, twoYearOlds);
        QFETCH(QString, q1q2);
        fx->writeBreeding(breedingHorse(1, "Seven", "Big Red", "a", "b", 3) +
                          breedingHorse(2, "Ten", "Big Red", "a", "b", 4) +
                          breedingHorse(3, "Baby", "Big Red", "a", "b", 2));
        fx->addStarts(QStringLiteral("Seven"), 1, 7);
        fx->addStarts(QStringLiteral("Ten"), 2, 10);
        fx->addStarts(QStringLiteral("Baby"), 3, 9);
        search(QStringLiteral("Big Red"), minimum, twoYearOlds);
        QCOMPARE(f->MSFSRGrid.text(3, 6) + QLatin1Char('|') + f->MSFSRGrid.text(4, 6), q1q2);
        QCOMPARE(f->MSFSRGrid.text(1, 6), f->MSFSRGrid.text(3, 6));
        QCOMPARE(f->MSFSRGrid.text(7, 6), f->MSFSRGrid.text(4, 6));
    }

    void firstWin_data()
    {
        QTest::addColumn<QString>("restr");
        QTest::addColumn<double>("dist");
        QTest::addColumn<QString>("surf");
        QTest::addColumn<QString>("expected"); // rows MC, MSW, Mdn: Tot|D|T|R|S
        const QString none = QStringLiteral("0.0%|0.0%|0.0%|0.0%|0.0%");
        const QString dirtSprint = QStringLiteral("100.0%|100.0%|0.0%|0.0%|100.0%");
        const QString dirtRoute = QStringLiteral("100.0%|100.0%|0.0%|100.0%|0.0%");
        const QString turfRoute = QStringLiteral("100.0%|0.0%|100.0%|100.0%|0.0%");
        const QString turfSprint = QStringLiteral("100.0%|0.0%|100.0%|0.0%|100.0%");
        const auto rows = [](const QString& mc, const QString& msw, const QString& mdn) {
            return QStringList{mc, msw, mdn}.join(QLatin1Char('/'));
        };
        QTest::newRow("MC 7.5 dirt") << "MC" << 7.5 << "D" << rows(dirtSprint, none, dirtSprint);
        QTest::newRow("MC 8 dirt") << "MC" << 8.0 << "D" << rows(dirtRoute, none, dirtRoute);
        QTest::newRow("MS 7.75 turf is a route") << "MS" << 7.75 << "T" << rows(none, turfRoute, turfRoute);
        QTest::newRow("first win elsewhere") << "Alw" << 6.0 << "D" << rows(none, none, dirtSprint);
        QTest::newRow("any letter but D is turf") << "MC" << 6.0 << "A" << rows(turfSprint, none, turfSprint);
        QTest::newRow("codes compare exactly") << "mc" << 6.0 << "D" << rows(none, none, dirtSprint);
    }

    void firstWin()
    {
        QFETCH(QString, restr);
        QFETCH(double, dist);
        QFETCH(QString, surf);
        QFETCH(QString, expected);
        fx->writeBreeding(breedingHorse(1, "Kid", "Big Red", "a", "b") +
                          breedingHorse(2, "Loser", "Big Red", "a", "b"));
        fx->addStart(QStringLiteral("Kid"), 1, 1, 70, surf, dist, restr);
        // A later maiden win counts for nothing: only the first win tells how the horse broke its maiden.
        fx->addStart(QStringLiteral("Kid"), 1, 1, 70, QStringLiteral("T"), 12, QStringLiteral("MS"));
        fx->addStarts(QStringLiteral("Loser"), 2, 2);
        search(QStringLiteral("Big Red"), QStringLiteral("2"));
        QCOMPARE(QStringList({cells(f->MSFSRGrid, 1, 1, 5), cells(f->MSFSRGrid, 2, 1, 5),
                              cells(f->MSFSRGrid, 3, 1, 5)})
                     .join(QLatin1Char('/'))
                     .replace(QStringLiteral("50.0%"), QStringLiteral("100.0%")),
                 expected);
        QCOMPARE(f->MSFSRGrid.text(3, 6), QStringLiteral("2"));
        QCOMPARE(cells(f->MSFlexGrid1, 1, 7, 7) + cells(f->MSFlexGrid1, 2, 7, 7), QStringLiteral("YN"));
    }

    void classWins_data()
    {
        QTest::addColumn<QStringList>("wins"); // restr:dist:surf:cprice
        QTest::addColumn<QString>("row");      // cells Al|Sk|Gr
        QTest::addColumn<QString>("profile");  // rows 1+A, 3+A, Stk, Grp: Tot D T R S each as 1 or 0
        QTest::newRow("graded win folds upward") << QStringList{QStringLiteral("G1:8:D:0")} << "1|1|1"
                                                 << "11010/00000/11010/11010";
        QTest::newRow("stakes only") << QStringList{QStringLiteral("Stk:6:T:0")} << "1|1|0"
                                     << "10101/00000/10101/00000";
        QTest::newRow("allowance at 7.75 is a sprint")
            << QStringList{QStringLiteral("Alw:7.75:D:0")} << "1|0|0"
            << "11001/00000/00000/00000";
        QTest::newRow("built allowance code") << QStringList{QStringLiteral("A2x:8:T:0")} << "1|0|0"
                                              << "10110/00000/00000/00000";
        QTest::newRow("digit code with a claiming price")
            << QStringList{QStringLiteral("25:6:D:25000")} << "1|0|0"
            << "11001/00000/00000/00000";
        QTest::newRow("digit code without one") << QStringList{QStringLiteral("25:6:D:0")} << "0|0|0"
                                                << "00000/00000/00000/00000";
        QTest::newRow("claiming win") << QStringList{QStringLiteral("Clm:6:D:5000")} << "0|0|0"
                                      << "00000/00000/00000/00000";
        QTest::newRow("three on dirt, two at routes")
            << QStringList{QStringLiteral("Alw:6:D:0"), QStringLiteral("Stk:9:D:0"),
                           QStringLiteral("G2:10:D:0")}
            << "3|2|1"
            << "11011/11000/11010/11010";
        QTest::newRow("three split over surfaces")
            << QStringList{QStringLiteral("Alw:6:D:0"), QStringLiteral("Alw:6:T:0"),
                           QStringLiteral("Alw:6:X:0")}
            << "3|0|0"
            << "11101/10001/00000/00000";
    }

    void classWins()
    {
        QFETCH(QStringList, wins);
        QFETCH(QString, row);
        QFETCH(QString, profile);
        fx->writeBreeding(breedingHorse(1, "Kid", "Big Red", "a", "b"));
        for (const QString& w : wins) {
            const QStringList p = w.split(QLatin1Char(':'));
            fx->addStart(QStringLiteral("Kid"), 1, 1, 70, p[2], p[1].toDouble(), p[0], p[3].toInt());
        }
        fx->addStarts(QStringLiteral("Kid"), 1, 6);
        search(QStringLiteral("Big Red"), QStringLiteral("1"));
        QCOMPARE(cells(f->MSFlexGrid1, 1, 8, 10), row);
        QStringList got;
        for (int r = 4; r <= 7; ++r) {
            QString bits;
            for (int c = 1; c <= 5; ++c)
                bits +=
                    f->MSFSRGrid.text(r, c) == QLatin1String("100.0%") ? QLatin1Char('1') : QLatin1Char('0');
            got << bits;
        }
        QCOMPARE(got.join(QLatin1Char('/')), profile);
    }

    void speedBands_data()
    {
        QTest::addColumn<QString>("surf");
        QTest::addColumn<double>("dist");
        QTest::addColumn<double>("sp");
        QTest::addColumn<QString>("expected"); // columns 11 to 18
        QTest::newRow("dirt 7.99") << "D" << 7.99 << 80.4 << "80|0|0|0|0|0|0|0";
        QTest::newRow("dirt 8") << "D" << 8.0 << 80.0 << "0|80|0|0|0|0|0|0";
        QTest::newRow("dirt 9.49") << "D" << 9.49 << 80.0 << "0|80|0|0|0|0|0|0";
        QTest::newRow("dirt 9.5 is band 3") << "D" << 9.5 << 80.0 << "0|0|80|0|0|0|0|0";
        QTest::newRow("turf 10.99") << "T" << 10.99 << 80.0 << "0|0|0|0|0|0|80|0";
        QTest::newRow("turf 11") << "T" << 11.0 << 80.0 << "0|0|0|0|0|0|0|80";
        QTest::newRow("half to even, down") << "D" << 6.0 << 96.5 << "96|0|0|0|0|0|0|0";
        QTest::newRow("half to even, up") << "T" << 6.0 << 95.5 << "0|0|0|0|96|0|0|0";
        QTest::newRow("other surface, no figure") << "A" << 6.0 << 99.0 << "0|0|0|0|0|0|0|0";
        QTest::newRow("lower-case d, no figure") << "d" << 6.0 << 99.0 << "0|0|0|0|0|0|0|0";
    }

    void speedBands()
    {
        QFETCH(QString, surf);
        QFETCH(double, dist);
        QFETCH(double, sp);
        QFETCH(QString, expected);
        fx->writeBreeding(breedingHorse(1, "Kid", "Big Red", "a", "b"));
        fx->addStart(QStringLiteral("Kid"), 1, 2, sp, surf, dist, QStringLiteral("Clm"), 5000);
        search(QStringLiteral("Big Red"), QStringLiteral("1"));
        QCOMPARE(cells(f->MSFlexGrid1, 1, 11, 18), expected);
        QCOMPARE(colours(f->MSFlexGrid1, 1, 11, 18), QStringLiteral("4|4|4|4|2|2|2|2"));
    }

    void bestFigureAndFastest()
    {
        fx->writeBreeding(breedingHorse(1, "First", "Big Red", "a", "b") +
                          breedingHorse(2, "Second", "Big Red", "a", "b") +
                          breedingHorse(3, "Third", "Big Red", "a", "b"));
        fx->addStart(QStringLiteral("First"), 1, 2, 95.6);
        fx->addStart(QStringLiteral("First"), 1, 2, 95.9);
        fx->addStart(QStringLiteral("Second"), 2, 2, 96.2);
        fx->addStart(QStringLiteral("Third"), 3, 2, 96.0);
        search(QStringLiteral("Big Red"), QStringLiteral("1"));
        QCOMPARE(f->MSFlexGrid1.text(1, 11), QStringLiteral("96"));
        // 96 (rounded) is below 96.2: the second horse takes the name though both show 96.
        QCOMPARE(f->lblfastest, QStringLiteral("Fastest progeny? Second - 96"));

        fx->writeBreeding(breedingHorse(1, "First", "Big Red", "a", "b") +
                          breedingHorse(4, "Fourth", "Big Red", "a", "b"));
        fx->addStart(QStringLiteral("First"), 1, 2, 98.0);
        fx->addStart(QStringLiteral("Fourth"), 4, 2, 98.0);
        search(QStringLiteral("Big Red"), QStringLiteral("1"));
        QCOMPARE(f->lblfastest, QStringLiteral("Fastest progeny? First - 98"));
    }

    void speedSummary()
    {
        fx->writeBreeding(breedingHorse(1, "A", "Big Red", "a", "b") +
                          breedingHorse(2, "B", "Big Red", "a", "b") +
                          breedingHorse(3, "C", "Big Red", "a", "b"));
        fx->addStart(QStringLiteral("A"), 1, 2, 80, QStringLiteral("D"), 6);
        fx->addStart(QStringLiteral("A"), 1, 2, 90, QStringLiteral("T"), 6);
        fx->addStart(QStringLiteral("A"), 1, 2, 70, QStringLiteral("D"), 12);
        fx->addStart(QStringLiteral("B"), 2, 2, 85, QStringLiteral("D"), 6);
        fx->addStart(QStringLiteral("B"), 2, 2, 75, QStringLiteral("D"), 6);
        fx->addStart(QStringLiteral("C"), 3, 2, 0, QStringLiteral("D"), 6);
        search(QStringLiteral("Big Red"), QStringLiteral("1"));
        const GridState& m = f->MSFmaxgrid;
        QCOMPARE(cells(m, 1, 1, 5), QStringLiteral("82.5|||70.0|78.3")); // (80 + 85) / 2; (80 + 85 + 70) / 3
        QCOMPARE(cells(m, 2, 1, 5), QStringLiteral("90.0||||90.0"));
        QCOMPARE(cells(m, 3, 1, 5), QStringLiteral("85.0|||70.0|81.3"));
        QCOMPARE(cells(m, 4, 1, 5), QStringLiteral("90|||70|90"));
        QCOMPARE(cells(m, 5, 1, 5), QStringLiteral("2|||1|3"));
        QCOMPARE(cells(m, 6, 1, 5), QStringLiteral("1||||1"));
        QCOMPARE(f->lblfastest, QStringLiteral("Fastest progeny? A - 90"));
    }

    void idCheckFailureKeepsEarlierRows()
    {
        fx->writeBreeding(breedingHorse(1, "Good", "Big Red", "a", "b") +
                          "1234,Bad,3,C,x\r\n55,Big Red,0\r\n66,a,0\r\n77,b,0\r\n" +
                          breedingHorse(3, "Later", "Big Red", "a", "b"));
        fx->addStarts(QStringLiteral("Good"), 1, 8, 80);
        load();
        f->MSFlexGrid1.setRows(6);
        f->frainfo = QStringLiteral("before");
        f->MSFSRGrid.setText(1, 1, QStringLiteral("earlier"));
        f->lblfastest = QStringLiteral("earlier");
        search(QStringLiteral("Big Red"));
        QCOMPARE(
            platform->messages,
            QStringList{QStringLiteral("There was an error with horse 1234.  Check the breeding.txt file.")});
        const GridState& g = f->MSFlexGrid1;
        QCOMPARE(g.rows(), 6);
        QCOMPARE(cells(g, 1, 0, 1), QStringLiteral("Good|1"));
        QCOMPARE(cells(g, 2, 0, 1), QStringLiteral("|"));
        QCOMPARE(g.text(0, 0), QString()); // no captions
        QCOMPARE(g.text(1, 6), QString()); // no statistics
        QCOMPARE(f->frainfo, QStringLiteral("before"));
        QCOMPARE(f->MSFSRGrid.text(1, 1), QStringLiteral("earlier"));
        QCOMPARE(f->lblfastest, QStringLiteral("earlier"));
        for (int r = 3; r <= 5; ++r)
            QCOMPARE(cells(f->MSFmaxgrid, r, 1, 5), QStringLiteral("0|0|0|0|0"));
    }

    void malformedFileListsWhatCameBefore()
    {
        fx->writeBreeding(breedingHorse(1, "Good", "Big Red", "a", "b") +
                          "2,Cut Short,3,C,x\r\n2,Big Red,0\r\n");
        fx->addStarts(QStringLiteral("Good"), 1, 8, 80);
        search(QStringLiteral("Big Red"));
        QCOMPARE(platform->messages.size(), 1);
        QVERIFY2(platform->messages[0].contains(QDir::toNativeSeparators(fx->breedingPath())) &&
                     platform->messages[0].contains(QStringLiteral("line 5")),
                 qPrintable(platform->messages[0]));
        QCOMPARE(f->MSFlexGrid1.rows(), 2);
        QCOMPARE(cells(f->MSFlexGrid1, 1, 0, 7), QStringLiteral("Good|1|A|B|4|C|8|N"));
        QCOMPARE(f->frainfo, QStringLiteral("Statistics for Progeny of Big Red  (1)."));
        QCOMPARE(f->MSFSRGrid.text(3, 6), QStringLiteral("1"));
    }

    void breedingFileGone()
    {
        fx->writeBreeding(breedingHorse(1, "Good", "Big Red", "a", "b"));
        load();
        QVERIFY(QFile::remove(fx->breedingPath()));
        search(QStringLiteral("Big Red"));
        QCOMPARE(platform->messages.size(), 1);
        QVERIFY(platform->messages[0].contains(QDir::toNativeSeparators(fx->breedingPath())));
        QCOMPARE(f->MSFlexGrid1.rows(), 1);
        QCOMPARE(f->frainfo, QStringLiteral("Statistics for Progeny of Big Red  (0)."));
    }

    void databaseGone()
    {
        fx->writeBreeding(breedingHorse(1, "Good", "Big Red", "a", "b"));
        load();
        fx->db().close();
        QVERIFY(QFile::remove(f->databasePath()));
        search(QStringLiteral("Big Red"));
        QCOMPARE(platform->messages.size(), 1);
        QVERIFY(
            platform->messages[0].startsWith(QStringLiteral("The starts of the progeny could not be read")));
        QCOMPARE(cells(f->MSFlexGrid1, 1, 0, 1), QStringLiteral("Good|1"));
    }

    void quoteInName()
    {
        fx->writeBreeding(breedingHorse(5, "Say \"When\"", "Big Red", "a", "b") +
                          breedingHorse(6, "O'Hara", "Big Red", "a", "b"));
        fx->addStarts(QStringLiteral("Say \"When\""), 5, 6, 77);
        fx->addStarts(QStringLiteral("O'Hara"), 6, 7, 78);
        search(QStringLiteral("Big Red"));
        QVERIFY(platform->messages.isEmpty());
        QCOMPARE(cells(f->MSFlexGrid1, 1, 6, 7), QStringLiteral("6|N"));
        QCOMPARE(cells(f->MSFlexGrid1, 2, 6, 7), QStringLiteral("7|N"));
    }

    void startsMatchNameAndId()
    {
        // Another horse of the same name, and the same horse written in other letter case in the results.
        fx->writeBreeding(breedingHorse(7, "Twin", "Big Red", "a", "b"));
        fx->addStarts(QStringLiteral("TWIN"), 7, 3);
        fx->addStarts(QStringLiteral("Twin"), 8, 4);
        search(QStringLiteral("Big Red"));
        QCOMPARE(f->MSFlexGrid1.text(1, 6), QStringLiteral("3"));
    }

    void countersDoNotWrap()
    {
        fx->writeBreeding(breedingHorse(1, "Iron Horse", "Big Red", "a", "b"));
        QVERIFY(fx->db().begin());
        QSqlQuery race(fx->db().handle()), start(fx->db().handle());
        race.prepare(QStringLiteral(
            "INSERT INTO tblraces (racenum, surf, dist, cprice, restr) VALUES (?, 'D', 6, 0, 'Stk')"));
        start.prepare(QStringLiteral(
            "INSERT INTO tblhorsedata (hname, hid, racenum, fin, sp) VALUES ('Iron Horse', 1, ?, 1, 80)"));
        const int wins = 33000; // beyond a 16-bit counter
        for (int i = 0; i < wins; ++i) {
            const double key = 1 + i / 100 + (i % 100 + 1) / 10000.0;
            race.addBindValue(key);
            start.addBindValue(key);
            QVERIFY(race.exec() && start.exec());
        }
        QVERIFY(fx->db().commit());
        search(QStringLiteral("Big Red"));
        QCOMPARE(cells(f->MSFlexGrid1, 1, 6, 10), QStringLiteral("33000|Y|33000|33000|0"));
        QCOMPARE(profile(6), QStringLiteral("100.0%|100.0%|0.0%|0.0%|100.0%|1"));
    }

    void repeatedSearchInSireLayout()
    {
        fx->writeBreeding(breedingHorse(1, "A", "Big Red", "a", "b") +
                          breedingHorse(2, "B", "Big Red", "a", "b") +
                          breedingHorse(3, "C", "Small Red", "a", "b"));
        search(QStringLiteral("Big Red"));
        QCOMPARE(f->MSFlexGrid1.rows(), 3);
        search(QStringLiteral("Small Red"));
        QVERIFY(f->sireLayout());
        QCOMPARE(f->MSFlexGrid1.rows(), 2);
        QCOMPARE(cells(f->MSFlexGrid1, 1, 0, 1), QStringLiteral("C|3"));
        QCOMPARE(f->frainfo, QStringLiteral("Statistics for Progeny of Small Red  (1)."));
        QCOMPARE(platform->busyCalls, 2);
    }
};

QTEST_GUILESS_MAIN(TestGetSires)
#include "test_getsires.moc"
