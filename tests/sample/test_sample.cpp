#include "core/datafolder.h"
#include "runcli.h"
#include "testsupport.h"

#include <QRegularExpression>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <pwd.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

class TestSample : public QObject
{
    Q_OBJECT
private slots:
    void sampleIsADatabaseToTry()
    {
        QTemporaryDir tmp;
        const QString dir = tmp.filePath(u"new/sample"_s);
        QVERIFY(runCli(dir, {u"sample"_s, u"--weeks"_s, u"3"_s, u"--seed"_s, u"7"_s}, 0)
                    .startsWith("Sample data: 3 weeks (698 to 700) and breeding.txt in "));
        QCOMPARE(runCli(dir, {u"weeks"_s}, 0), QByteArray("Week 700\nWeek 699\nWeek 698\n"));
        // A horse that raced is found by name, and among its sire's progeny through the sample's breeding
        // file.
        const QString horse = queryRows(dir + u"/horses.mdb"_s, u"SELECT hname FROM tblhorsedata"_s).value(0);
        QVERIFY(runCli(dir, {u"search"_s, u"--horse"_s, horse}, 0).contains(",\"698."));
        const QStringList breeding = QString::fromUtf8(readFile(dir + u"/breeding.txt"_s)).split(u'\n');
        const qsizetype at =
            breeding.indexOf(QRegularExpression(u"\\d+,"_s + QRegularExpression::escape(horse) + u",.*"_s,
                                                QRegularExpression::DotMatchesEverythingOption));
        QVERIFY(at >= 0);
        const QString sire = breeding.value(at + 1).section(u',', 1, 1);
        QVERIFY(runCli(dir, {u"sires"_s, sire, u"--min"_s, u"1"_s}, 0).contains(horse.toUtf8()));

        // A folder that holds a database is refused and left as it was; so is a week count out of range.
        const QByteArray before = readFile(dir + u"/horses.mdb"_s);
        QVERIFY(runCli(dir, {u"sample"_s}, 1).contains("already holds a database"));
        QCOMPARE(readFile(dir + u"/horses.mdb"_s), before);
        QVERIFY(
            runCli(tmp.path(), {u"sample"_s, u"--weeks"_s, u"701"_s}, 2).contains("--weeks takes 1 to 700"));
        QVERIFY(!QFile::exists(tmp.filePath(u"horses.mdb"_s)));
    }

    void nothingLeftAstray()
    {
        // The work folders of a run that was killed go at the next run.
        QTemporaryDir tmp;
        const QString dir = tmp.filePath(u"sample"_s);
        QVERIFY(QDir().mkpath(dir + u"/.sample-Xy12/.weeks-Ab34"_s) &&
                writeFile(dir + u"/.sample-Xy12/.weeks-Ab34/raceout700.txt"_s, "half"));
        runCli(dir, {u"sample"_s, u"--weeks"_s, u"1"_s}, 0);
        QCOMPARE(QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 (QStringList{u"breeding.txt"_s, u"horses.mdb"_s}));

        // The data folder by the base-directory rules: a relative XDG_DATA_HOME is ignored, and without a
        // HOME the account's own home folder serves, never the root of the file system.
        const QByteArray home = qgetenv("HOME"), data = qgetenv("XDG_DATA_HOME");
        const auto restore = qScopeGuard([&] {
            qputenv("HOME", home);
            qputenv("XDG_DATA_HOME", data);
        });
        qunsetenv("HOME");
        qputenv("XDG_DATA_HOME", "relative/data");
        QCOMPARE(playerDataFolder(),
                 QFile::decodeName(::getpwuid(::geteuid())->pw_dir) + u"/.local/share/turftrawler"_s);
    }
};

QTEST_MAIN(TestSample)
#include "test_sample.moc"
