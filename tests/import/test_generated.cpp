#include "import/importdriver.h"
#include "importfixture.h"

#include <QDir>
#include <QTest>

/** Whole weeks as the simulation writes them, across the weeks whose race numbers shift. */
class TestGenerated : public QObject
{
    Q_OBJECT
private slots:
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
