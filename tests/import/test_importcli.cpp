#include "importfixture.h"

#include <QProcess>
#include <QTest>

/** turftrawler-cli import: the same import from the command line, the duplicate answer from a flag. */
class TestImportCli : public QObject
{
    Q_OBJECT

    /** The exit status, then standard output and standard error. */
    static std::pair<int, QString> import(const QString& dir, const QStringList& args)
    {
        QProcess p;
        p.start(QStringLiteral(TURF_CLI), QStringList{u"--dir"_s, dir, u"import"_s} + args);
        p.waitForFinished(30000);
        return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput() + p.readAllStandardError())};
    }

private slots:
    void duplicateFlags()
    {
        ImportFixture fx;
        QCOMPARE(import(fx.path(), {fx.writeWeek(u"a.txt"_s, 612, 2, 3, u"Old"_s)}),
                 std::pair(0, u"Imported 2 races and 6 starts from 1 file.\n1 week imported: 612\n"_s));
        const QString b = fx.writeWeek(u"b.txt"_s, 612, 1, 2, u"New"_s);
        const auto refused = import(fx.path(), {b});
        QCOMPARE(refused.first, 3);
        QVERIFY2(refused.second.contains(u"week 612 of b.txt is already stored"_s),
                 qPrintable(refused.second));
        QCOMPARE(import(fx.path(), {u"--keep"_s, b}).first, 3);
        QCOMPARE(fx.stored({612}), u"2/6"_s);
        QCOMPARE(import(fx.path(), {u"--replace"_s, b}).first, 0);
        QCOMPARE(fx.stored({612}), u"1/2"_s);
    }

    void failuresAndUsage()
    {
        ImportFixture fx;
        TestRace race;
        race.starts[0].odds = u"0"_s;
        const auto bad = import(fx.path(), {fx.writeRaces(u"bad.txt"_s, {race})});
        QCOMPARE(bad.first, 1);
        QVERIFY2(bad.second.startsWith(u"Import of bad.txt was NOT completed.\nImport terminated.\n"_s),
                 qPrintable(bad.second));
        for (const QStringList& args :
             {QStringList{}, {u"--keep"_s, u"--replace"_s, u"x"_s}, {u"--force"_s, u"x"_s}})
            QCOMPARE(import(fx.path(), args).first, 2);
        QTemporaryDir empty;
        QCOMPARE(import(empty.path(), {u"x"_s}).first, 1);
    }
};

QTEST_GUILESS_MAIN(TestImportCli)
#include "test_importcli.moc"
