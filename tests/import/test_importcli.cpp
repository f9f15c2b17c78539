#include "importfixture.h"

#include <QProcess>
#include <QTest>

using namespace Qt::StringLiterals;

/** turftrawler-cli import: the same import from the command line, the duplicate answer from a flag. */
class TestImportCli : public QObject
{
    Q_OBJECT
private slots:
    void duplicateFlags();
    void failureOnStderr();
    void usageErrors();

private:
    struct Run {
        int status = -1;
        QString out;
        QString err;
    };
    Run cli(const QString& dir, const QStringList& args)
    {
        QProcess p;
        p.start(QStringLiteral(TURF_CLI), QStringList{u"--dir"_s, dir} + args);
        p.waitForFinished(30000);
        return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()),
                QString::fromUtf8(p.readAllStandardError())};
    }
};

void TestImportCli::duplicateFlags()
{
    ImportFixture fx;
    const QString a = fx.writeWeek(u"a.txt"_s, 612, 2, 3, u"Old"_s);
    Run r = cli(fx.path(), {u"import"_s, a});
    QCOMPARE(r.status, 0);
    QCOMPARE(r.out, u"Imported 2 races and 6 starts from 1 file.\n"_s);

    const QString b = fx.writeWeek(u"b.txt"_s, 612, 1, 2, u"New"_s);
    r = cli(fx.path(), {u"import"_s, b});
    QCOMPARE(r.status, 3);
    QVERIFY2(r.err.contains(u"week 612 of b.txt is already stored"_s), qPrintable(r.err));
    r = cli(fx.path(), {u"import"_s, u"--keep"_s, b});
    QCOMPARE(r.status, 3);
    QVERIFY(r.err.contains(u"Database import cancelled at user request."_s));
    QCOMPARE(fx.count(u"tblhorsedata"_s, 612), 6);

    r = cli(fx.path(), {u"import"_s, u"--replace"_s, b});
    QCOMPARE(r.status, 0);
    QCOMPARE(fx.count(u"tblhorsedata"_s, 612), 2);
}

void TestImportCli::failureOnStderr()
{
    ImportFixture fx;
    TestRace race;
    race.starts[0].odds = u"0"_s;
    const QString bad = fx.write(u"bad.txt"_s, resultText(resultFields({race}), Layout::RecordPerLine));
    const Run r = cli(fx.path(), {u"import"_s, bad});
    QCOMPARE(r.status, 1);
    QVERIFY2(r.err.startsWith(u"Import of bad.txt was NOT completed.\nImport terminated.\n"_s),
             qPrintable(r.err));
    QVERIFY(r.err.contains(u"odds"_s));
    QCOMPARE(fx.count(u"tblraces"_s, 612), 1);
}

void TestImportCli::usageErrors()
{
    ImportFixture fx;
    QCOMPARE(cli(fx.path(), {u"import"_s}).status, 2);
    QCOMPARE(cli(fx.path(), {u"import"_s, u"--keep"_s, u"--replace"_s, u"x"_s}).status, 2);
    QCOMPARE(cli(fx.path(), {u"import"_s, u"--force"_s, u"x"_s}).status, 2);
    QTemporaryDir empty;
    const Run r = cli(empty.path(), {u"import"_s, u"x"_s});
    QCOMPARE(r.status, 1);
    QVERIFY(r.err.contains(u"horses.mdb"_s));
}

QTEST_GUILESS_MAIN(TestImportCli)
#include "test_importcli.moc"
