#include "generator/generator.h"
#include "import/importdriver.h"
#include "importfixture.h"

#include <QDir>
#include <QTest>

/** Generated results files: reproducible, and imported whole with every race classified. */
class TestGenerated : public QObject
{
    Q_OBJECT
private slots:
    void sameSeedSameFiles()
    {
        TurfGen::Generator a(TurfGen::smallSettings(5)), b(TurfGen::smallSettings(5)),
            c(TurfGen::smallSettings(6));
        for (int w = 100; w < 103; ++w) {
            const QByteArray fa = a.weekFile(w);
            QCOMPARE(fa, b.weekFile(w));
            QVERIFY(fa != c.weekFile(w));
        }
    }

    void generatedWeeksImportWhole()
    {
        ImportFixture fx;
        TurfGen::Settings s = TurfGen::smallSettings(3);
        s.tracks = 6;
        TurfGen::Generator g(s);
        const QString dir = fx.dir.filePath(u"gen"_s);
        QVERIFY(g.writeWeeks(575, 600, dir));
        QStringList paths;
        for (const QString& name : QDir(dir).entryList({u"raceout*.txt"_s}, QDir::Files, QDir::Name))
            paths << QDir(dir).filePath(name);
        QCOMPARE(paths.size(), 26);
        const ImportResult r = importFiles(fx.f, paths);
        QVERIFY2(r.status == ImportResult::Status::Done, qPrintable(r.detail));
        QCOMPARE(r.races, int(g.totals().races));
        QCOMPARE(r.starts, g.totals().starts);
        // Every race lies in its own week, holds as many starts as its size, and posts run 1 to size.
        QCOMPARE(
            fx.number(
                u"SELECT COUNT(*) FROM tblraces r WHERE size <> (SELECT COUNT(*) FROM tblhorsedata h "
                "WHERE h.racenum = r.racenum) OR (SELECT MAX(ppos) FROM tblhorsedata h WHERE h.racenum = "
                "r.racenum) <> size OR (SELECT MIN(ppos) FROM tblhorsedata h WHERE h.racenum = r.racenum) <> 1"_s),
            0);
        QVERIFY(fx.count(u"tblraces"_s, 579) > 10 && fx.count(u"tblraces"_s, 586) > 10);
        QCOMPARE(fx.number(u"SELECT COUNT(DISTINCT CAST(racenum AS INTEGER)) FROM tblraces"_s), 26);
        // The classification branches all occur.
        const QStringList codes = fx.rows(u"SELECT DISTINCT restr FROM tblraces"_s);
        for (const char* code : {"MS", "MC", "Str", "Stk", "GI", "G2", "G3", "Alw", "Clm", "A-T", "A-H",
                                 "C-T", "C-H", "Handicap", "Allowance"})
            QVERIFY2(codes.contains(QLatin1String(code)), code);
        QVERIFY(fx.number(u"SELECT COUNT(*) FROM tblraces WHERE restr GLOB '[AC][0-4][xLtsny]'"_s) > 20);
        QVERIFY(fx.number(u"SELECT COUNT(*) FROM tblhorsedata WHERE oname LIKE '%,%'"_s) > 0);
    }

    void checkedInFilesImport()
    {
        ImportFixture fx;
        const QDir data(QStringLiteral(TURF_TEST_DATA "/import/generated"));
        const ImportResult r =
            importFiles(fx.f, {data.filePath(u"raceout578.txt"_s), data.filePath(u"raceout579.txt"_s),
                               data.filePath(u"raceout580.txt"_s)});
        QVERIFY2(r.status == ImportResult::Status::Done, qPrintable(r.detail));
        QCOMPARE(QStringList({QString::number(r.races), QString::number(r.starts),
                              QString::number(fx.count(u"tblraces"_s, 579))}),
                 (QStringList{u"34"_s, u"325"_s, u"12"_s}));
    }

    void breedingFileMatchesHorses()
    {
        TurfGen::Generator g(TurfGen::Settings{});
        g.weekFile(1);
        const QList<QByteArray> lines = g.breedingFile(10000).split('\n');
        QCOMPARE(lines.size(), 4 * 10000 + 1);
        int top = 0;
        const QByteArray topName = g.topStallion().toLatin1();
        for (qsizetype i = 0; i + 3 < lines.size(); i += 4) {
            const QByteArray id = lines[i].split(',').value(0);
            QVERIFY(lines[i].count(',') >= 3);
            for (int k = 1; k < 4; ++k)
                QCOMPARE(lines[i + k].split(',').value(0), id);
            if (lines[i + 1].split(',').value(1) == topName)
                ++top;
        }
        QCOMPARE(top, 1000);
    }
};

QTEST_GUILESS_MAIN(TestGenerated)
#include "test_generated.moc"
