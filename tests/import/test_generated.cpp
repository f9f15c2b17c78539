#include "app/finder.h"
#include "app/scriptedplatform.h"
#include "generator/generator.h"
#include "import/importdriver.h"
#include "importfixture.h"

#include <QDir>
#include <QTest>

using namespace Qt::StringLiterals;

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
        ScriptedPlatform p;
        Finder f(p, fx.path(), QString());
        const ImportResult r = importFiles(f, paths);
        QVERIFY2(r.status == ImportResult::Status::Done, qPrintable(r.detail));
        QCOMPARE(r.races, int(g.totals().races));
        QCOMPARE(r.starts, g.totals().starts);
        // Every race lies in its own week, holds as many starts as its size, and posts run 1 to size.
        QCOMPARE(
            fx.rows(
                u"SELECT COUNT(*) FROM tblraces r WHERE size <> (SELECT COUNT(*) FROM tblhorsedata h "
                "WHERE h.racenum = r.racenum) OR (SELECT MAX(ppos) FROM tblhorsedata h WHERE h.racenum = "
                "r.racenum) <> size OR (SELECT MIN(ppos) FROM tblhorsedata h WHERE h.racenum = r.racenum) <> 1"_s),
            QStringList{u"0"_s});
        for (int w : {579, 586})
            QVERIFY(fx.count(u"tblraces"_s, w) > 10);
        QCOMPARE(fx.rows(u"SELECT COUNT(DISTINCT CAST(racenum AS INTEGER)) FROM tblraces"_s),
                 QStringList{u"26"_s});
        // The classification branches all occur.
        const QStringList codes = fx.rows(u"SELECT DISTINCT restr FROM tblraces"_s);
        for (const QString& code :
             {u"MS"_s, u"MC"_s, u"Str"_s, u"Stk"_s, u"GI"_s, u"G2"_s, u"G3"_s, u"Alw"_s, u"Clm"_s, u"A-T"_s,
              u"A-H"_s, u"C-T"_s, u"C-H"_s, u"Handicap"_s, u"Allowance"_s})
            QVERIFY2(codes.contains(code), qPrintable(code));
        QVERIFY(fx.rows(u"SELECT COUNT(*) FROM tblraces WHERE restr GLOB '[AC][0-4][xLtsny]'"_s)
                    .value(0)
                    .toInt() > 20);
        QVERIFY(fx.rows(u"SELECT COUNT(*) FROM tblhorsedata WHERE oname LIKE '%,%'"_s).value(0).toInt() > 0);
    }

    void fixturesImport()
    {
        ImportFixture fx;
        const QDir data(QStringLiteral(TURF_TEST_DATA "/import/generated"));
        ScriptedPlatform p;
        Finder f(p, fx.path(), QString());
        const ImportResult r =
            importFiles(f, {data.filePath(u"raceout578.txt"_s), data.filePath(u"raceout579.txt"_s),
                            data.filePath(u"raceout580.txt"_s)});
        QVERIFY2(r.status == ImportResult::Status::Done, qPrintable(r.detail));
        QCOMPARE(r.races, 34);
        QCOMPARE(r.starts, qint64(325));
        QCOMPARE(fx.count(u"tblraces"_s, 579), 12);
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
