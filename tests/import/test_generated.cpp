#include "generator/generator.h"
#include "import/importdriver.h"
#include "importfixture.h"

#include <QDir>
#include <QTest>

/** Whole weeks as the simulation writes them: every race and start stored, each race with its own starts. */
class TestGenerated : public QObject
{
    Q_OBJECT
private slots:
    void generatedWeeksImportWhole()
    {
        ImportFixture fx;
        TurfGen::Generator g(TurfGen::smallSettings(3));
        const QString dir = fx.dir.filePath(u"gen"_s);
        QVERIFY(g.writeWeeks(575, 600, dir)); // across the weeks whose race numbers shift
        QStringList paths;
        for (const QString& name : QDir(dir).entryList({u"raceout*.txt"_s}, QDir::Files, QDir::Name))
            paths << QDir(dir).filePath(name);
        const ImportResult r = importFiles(fx.f, paths);
        QVERIFY2(r.status == ImportResult::Status::Done, qPrintable(r.detail));
        QCOMPARE(r.races, int(g.totals().races));
        QCOMPARE(r.starts, g.totals().starts);
        QCOMPARE(
            fx.rows(u"SELECT COUNT(*) FROM tblraces r WHERE size <> (SELECT COUNT(*) FROM tblhorsedata h "
                    "WHERE h.racenum = r.racenum)"_s),
            QStringList{u"0"_s});
    }

    void checkedInFilesImport()
    {
        ImportFixture fx;
        const QDir data(QStringLiteral(TURF_TEST_DATA "/import/generated"));
        const ImportResult r =
            importFiles(fx.f, {data.filePath(u"raceout578.txt"_s), data.filePath(u"raceout579.txt"_s),
                               data.filePath(u"raceout580.txt"_s)});
        QVERIFY2(r.status == ImportResult::Status::Done, qPrintable(r.detail));
        QCOMPARE(fx.stored({578, 579, 580}), u"11/110 12/109 11/106"_s);
    }
};

QTEST_GUILESS_MAIN(TestGenerated)
#include "test_generated.moc"
