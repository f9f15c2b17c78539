#include "core/headlessplatform.h"
#include "core/mainwindowstate.h"
#include "core/startup.h"
#include "db/database.h"
#include "db/racekey.h"

#include <QFile>
#include <QProcess>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <sqlite3.h>

/** Adds one race of week w at a track with n starts. */
static void addRace(Database& db, double key, int starts)
{
    QSqlQuery q(db.handle());
    q.prepare(
        QStringLiteral("INSERT INTO tblraces (racenum, surf, cond, dist, size, purse, cprice, restr, age) "
                       "VALUES (?, 'D', 'F', 6, ?, 10000, 0, 'Alw', 'O-3+')"));
    q.addBindValue(key);
    q.addBindValue(starts);
    QVERIFY(q.exec());
    for (int i = 1; i <= starts; ++i) {
        q.prepare(QStringLiteral(
            "INSERT INTO tblhorsedata (hname, hid, racenum, fin, ppos, sp, start, odds, oname) "
            "VALUES (?, ?, ?, ?, 1, 80.5, 100, 2.5, 'Stable')"));
        q.addBindValue(QStringLiteral("Horse %1").arg(i));
        q.addBindValue(1000 + i);
        q.addBindValue(key);
        q.addBindValue(i);
        QVERIFY(q.exec());
    }
}

static int count(Database& db, const QString& table, int week)
{
    QSqlQuery q(db.handle());
    q.prepare(QStringLiteral("SELECT COUNT(*) FROM %1 WHERE racenum > ? AND racenum < ?").arg(table));
    q.addBindValue(week);
    q.addBindValue(week + 1);
    q.exec();
    q.next();
    return q.value(0).toInt();
}

class TestDatabase : public QObject
{
    Q_OBJECT
private slots:
    void createRefusesToOverwrite()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("horses.mdb"));
        Database db;
        QVERIFY(db.create(path));
        db.close();
        Database again;
        QVERIFY(!again.create(path));
        QVERIFY(again.error().contains(QLatin1String("already exists")));
        QVERIFY(again.open(path));
    }

    void openRejectsOtherFiles()
    {
        QTemporaryDir dir;
        const QString text = dir.filePath(QStringLiteral("text.mdb"));
        QFile f(text);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("this is not a database, just some text\n");
        f.close();
        Database db;
        QVERIFY(!db.open(text));
        QVERIFY(db.error().contains(QLatin1String("not a Turf Trawler database")));
        QVERIFY(!db.open(dir.filePath(QStringLiteral("missing.mdb"))));

        // An SQLite file of another shape is refused too, and left untouched.
        const QString other = dir.filePath(QStringLiteral("other.mdb"));
        {
            Database raw;
            QVERIFY(raw.create(other));
            QSqlQuery(raw.handle()).exec(QStringLiteral("DROP TABLE statecodes"));
        }
        QVERIFY(!db.open(other));
        QVERIFY(db.error().contains(QLatin1String("statecodes")));
    }

    void startupRollsBackALeftOverJournal()
    {
        // The state a write stopped by a kill leaves: changed pages in the file, the journal that undoes them
        // beside it. A copy of the file alone is damaged; start-up must make the file whole at once.
        QTemporaryDir live, left;
        const QString path = live.filePath(QStringLiteral("horses.mdb"));
        {
            Database db;
            QVERIFY(db.create(path));
            addRace(db, 612.0101, 3);
        }
        sqlite3* writer = nullptr;
        QCOMPARE(sqlite3_open(QFile::encodeName(path).constData(), &writer), SQLITE_OK);
        sqlite3_exec(writer, "PRAGMA cache_size = 1; BEGIN; DELETE FROM tblhorsedata;", nullptr, nullptr,
                     nullptr);
        sqlite3_exec(writer,
                     "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 5000) "
                     "INSERT INTO tblhorsedata (hname, racenum) SELECT 'Filler ' || i, 700.0101 FROM n",
                     nullptr, nullptr, nullptr);
        for (const char* name : {"horses.mdb", "horses.mdb-journal"})
            QVERIFY(QFile::copy(live.filePath(QLatin1String(name)), left.filePath(QLatin1String(name))));
        sqlite3_close(writer);

        HeadlessPlatform p;
        MainWindowState f(p, left.path(), QString());
        QVERIFY(formLoad(f, NominalRowHeight));
        QVERIFY(!QFile::exists(left.filePath(QStringLiteral("horses.mdb-journal"))));
        Database db;
        QVERIFY(db.open(f.databasePath()));
        QCOMPARE(count(db, QStringLiteral("tblhorsedata"), 612), 3);
        QCOMPARE(count(db, QStringLiteral("tblhorsedata"), 700), 0);
    }

    void removeWeekKeepsNeighbours()
    {
        QTemporaryDir dir;
        Database db;
        QVERIFY(db.create(dir.filePath(QStringLiteral("horses.mdb"))));
        addRace(db, RaceKey::make(610, 1, 1), 3);
        addRace(db, RaceKey::make(611, 1, 1), 4);
        addRace(db, RaceKey::make(611, 99, 99), 2);
        addRace(db, RaceKey::make(612, 0, 1), 5);
        QCOMPARE(db.weeks().value(), (QList<int>{612, 611, 610}));

        QVERIFY(db.removeWeek(611));
        QCOMPARE(count(db, QStringLiteral("tblraces"), 611), 0);
        QCOMPARE(count(db, QStringLiteral("tblhorsedata"), 611), 0);
        QCOMPARE(count(db, QStringLiteral("tblhorsedata"), 610), 3);
        QCOMPARE(count(db, QStringLiteral("tblhorsedata"), 612), 5);
        QCOMPARE(count(db, QStringLiteral("tblraces"), 612), 1);
        QCOMPARE(db.weeks().value(), (QList<int>{612, 610}));
        QVERIFY(db.hasRace(RaceKey::make(610, 1, 1)).value());
        QVERIFY(!db.hasRace(RaceKey::make(611, 1, 1)).value());
    }

    void raceAtUnknownTrackIsStored()
    {
        QTemporaryDir dir;
        Database db;
        QVERIFY(db.create(dir.filePath(QStringLiteral("horses.mdb"))));
        addRace(db, 612.0507, 1);
        QSqlQuery q(db.handle());
        QVERIFY(q.exec(QStringLiteral("SELECT h.racenum, s.stcode FROM tblhorsedata h JOIN tblraces r ON "
                                      "h.racenum = r.racenum LEFT JOIN statecodes s ON s.num = 5")));
        QVERIFY(q.next());
        QCOMPARE(RaceKey::text(q.value(0).toDouble()), QStringLiteral("612.0507"));
        QVERIFY(q.value(1).isNull());
    }

    void namesCompareWithoutCase()
    {
        QTemporaryDir dir;
        Database db;
        QVERIFY(db.create(dir.filePath(QStringLiteral("horses.mdb"))));
        addRace(db, 612.0101, 2);
        QSqlQuery q(db.handle());
        q.prepare(QStringLiteral("SELECT COUNT(*) FROM tblhorsedata WHERE hname = ?"));
        q.addBindValue(QStringLiteral("HORSE 1"));
        QVERIFY(q.exec() && q.next());
        QCOMPARE(q.value(0).toInt(), 1);
    }

    void commandLineInitAndWeeks()
    {
        QTemporaryDir dir;
        QProcess cli;
        cli.start(QStringLiteral(TURF_CLI), {QStringLiteral("--dir"), dir.path(), QStringLiteral("init")});
        QVERIFY(cli.waitForFinished());
        QCOMPARE(cli.exitCode(), 0);
        QVERIFY(QFile::exists(dir.filePath(QStringLiteral("horses.mdb"))));

        cli.start(QStringLiteral(TURF_CLI), {QStringLiteral("--dir"), dir.path(), QStringLiteral("weeks")});
        QVERIFY(cli.waitForFinished());
        QCOMPARE(cli.exitCode(), 0);
        QCOMPARE(cli.readAllStandardOutput(), QByteArray());

        {
            Database db;
            QVERIFY(db.open(dir.filePath(QStringLiteral("horses.mdb"))));
            addRace(db, 579.0101, 1);
            addRace(db, 612.0101, 1);
        }
        cli.start(QStringLiteral(TURF_CLI), {QStringLiteral("--dir"), dir.path(), QStringLiteral("weeks")});
        QVERIFY(cli.waitForFinished());
        QCOMPARE(cli.readAllStandardOutput(), QByteArray("Week 612\nWeek 579\n"));

        // A second init must not touch the stored data.
        cli.start(QStringLiteral(TURF_CLI), {QStringLiteral("--dir"), dir.path(), QStringLiteral("init")});
        QVERIFY(cli.waitForFinished());
        QVERIFY(cli.exitCode() != 0);
        const QByteArray err = cli.readAllStandardError();
        QCOMPARE(err.count('\n'), 1);
        QVERIFY(err.contains("already exists"));

        cli.start(QStringLiteral(TURF_CLI), {QStringLiteral("--dir"), dir.filePath(QStringLiteral("nowhere")),
                                             QStringLiteral("weeks")});
        QVERIFY(cli.waitForFinished());
        QVERIFY(cli.exitCode() != 0);
    }

    void sqliteShellSeesTheTables()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("sqlite3")).isEmpty())
            QSKIP("no sqlite3 shell");
        QTemporaryDir dir;
        Database db;
        QVERIFY(db.create(dir.filePath(QStringLiteral("horses.mdb"))));
        db.close();
        QProcess shell;
        shell.start(QStringLiteral("sqlite3"),
                    {dir.filePath(QStringLiteral("horses.mdb")), QStringLiteral(".tables")});
        QVERIFY(shell.waitForFinished());
        const QString out = QString::fromUtf8(shell.readAllStandardOutput());
        QVERIFY(out.contains(QLatin1String("tblraces")));
        QVERIFY(out.contains(QLatin1String("tblhorsedata")));
        QVERIFY(out.contains(QLatin1String("statecodes")));
    }
};

QTEST_GUILESS_MAIN(TestDatabase)
#include "test_database.moc"
