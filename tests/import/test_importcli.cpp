#include "importfixture.h"

#include <QProcess>
#include <QTest>

/** turftrawler-cli import: the same import from the command line, the duplicate answer from a flag. */
class TestImportCli : public QObject
{
    Q_OBJECT

    struct Run {
        int status = -1;
        QString out;
        QString err;
    };

    static Run import(const QString& dir, const QStringList& args)
    {
        QProcess p;
        p.start(QStringLiteral(TURF_CLI), QStringList{u"--dir"_s, dir, u"import"_s} + args);
        p.waitForFinished(30000);
        return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()),
                QString::fromUtf8(p.readAllStandardError())};
    }

private slots:
    void duplicateFlags()
    {
        ImportFixture fx;
        Run r = import(fx.path(), {fx.writeWeek(u"a.txt"_s, 612, 2, 3, u"Old"_s)});
        QCOMPARE(r.status, 0);
        QCOMPARE(r.out, u"Imported 2 races and 6 starts from 1 file.\n1 week imported: 612\n"_s);
        const QString b = fx.writeWeek(u"b.txt"_s, 612, 1, 2, u"New"_s);
        r = import(fx.path(), {b});
        QCOMPARE(r.status, 3);
        QVERIFY2(r.err.contains(u"week 612 of b.txt is already stored"_s), qPrintable(r.err));
        r = import(fx.path(), {u"--keep"_s, b});
        QCOMPARE(r.status, 3);
        QVERIFY(r.err.contains(u"Database import cancelled at user request."_s));
        QCOMPARE(fx.stored({612}), u"2/6"_s);
        QCOMPARE(import(fx.path(), {u"--replace"_s, b}).status, 0);
        QCOMPARE(fx.stored({612}), u"1/2"_s);
    }

    void zipStoresWhatItsFilesStore()
    {
        ImportFixture zipped, single;
        QList<std::pair<QString, QByteArray>> files;
        QStringList paths;
        for (int w : {611, 612, 613}) {
            files.append({u"raceout%1.txt"_s.arg(w), zipped.weekBytes(w, w - 609, 3, u"W%1"_s.arg(w))});
            paths << single.write(files.last().first, files.last().second);
        }
        const Run r = import(zipped.path(), {zipped.writeZip(u"weeks.zip"_s, files)});
        QCOMPARE(r.out, u"Imported 9 races and 27 starts from 3 files.\n3 weeks imported: 611, 612, 613\n"_s);
        QCOMPARE(import(single.path(), paths).status, 0);
        for (const QString& sql : {u"SELECT * FROM tblraces ORDER BY racenum"_s,
                                   u"SELECT * FROM tblhorsedata ORDER BY racenum, fin"_s})
            QCOMPARE(zipped.rows(sql), single.rows(sql));
    }

    void failuresAndUsage()
    {
        ImportFixture fx;
        TestRace race;
        race.starts[0].odds = u"0"_s;
        const Run r = import(fx.path(), {fx.writeRaces(u"bad.txt"_s, {race})});
        QCOMPARE(r.status, 1);
        QVERIFY2(r.err.startsWith(u"Import of bad.txt was NOT completed.\nImport terminated.\n"_s) &&
                     r.err.contains(u"odds"_s),
                 qPrintable(r.err));
        QCOMPARE(fx.count(u"tblraces"_s, 612), 1);

        for (const QStringList& args :
             {QStringList{}, {u"--keep"_s, u"--replace"_s, u"x"_s}, {u"--force"_s, u"x"_s}})
            QCOMPARE(import(fx.path(), args).status, 2);
        QTemporaryDir empty;
        const Run noDatabase = import(empty.path(), {u"x"_s});
        QCOMPARE(noDatabase.status, 1);
        QVERIFY(noDatabase.err.contains(u"horses.mdb"_s));
    }
};

QTEST_GUILESS_MAIN(TestImportCli)
#include "test_importcli.moc"
