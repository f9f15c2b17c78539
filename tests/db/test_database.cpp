#include "core/headlessplatform.h"
#include "core/mainwindowstate.h"
#include "core/startup.h"
#include "db/database.h"
#include "db/racekey.h"
#include "openhandles.h"
#include "runcli.h"

#include <QFile>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

#include <sqlite3.h>

using namespace Qt::StringLiterals;

/** Adds one race with n starts. */
static void addRace(Database& db, double key, int starts)
{
    QSqlQuery q(db.handle());
    q.prepare(u"INSERT INTO tblraces VALUES (?, 'D', 'F', 6, ?, 10000, 0, 'Alw', 'O-3+')"_s);
    q.addBindValue(key);
    q.addBindValue(starts);
    QVERIFY(q.exec());
    q.prepare(u"INSERT INTO tblhorsedata VALUES ('Horse', ?, ?, ?, 1, 80.5, 100, 2.5, 'Stable')"_s);
    for (int i = 1; i <= starts; ++i) {
        q.addBindValue(1000 + i);
        q.addBindValue(key);
        q.addBindValue(i);
        QVERIFY(q.exec());
    }
}

/** The starts stored per week, as "week:starts" newest first. */
static QStringList startsByWeek(Database& db)
{
    QSqlQuery q(u"SELECT CAST(racenum AS INTEGER) w, COUNT(*) FROM tblhorsedata GROUP BY w ORDER BY w DESC"_s,
                db.handle());
    QStringList out;
    while (q.next())
        out << q.value(0).toString() + u':' + q.value(1).toString();
    return out;
}

class TestDatabase : public QObject
{
    Q_OBJECT
private slots:
    void createAndOpenRefuseOtherFiles()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"horses.mdb"_s), text = dir.filePath(u"text.mdb"_s);
        Database db;
        QVERIFY(db.create(path));
        db.close();
        QVERIFY(!db.create(path));
        QVERIFY(db.error().contains("already exists"_L1));
        QVERIFY(db.open(path));
        QSqlQuery(db.handle()).exec(u"DROP TABLE statecodes"_s);
        db.close();
        QVERIFY(!db.open(path));
        QVERIFY(db.error().contains("statecodes"_L1));

        QFile f(text);
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write("not a database, just some text\n") > 0);
        f.close();
        QVERIFY(!db.open(text));
        QVERIFY(db.error().contains("not a Turf Trawler database"_L1));
        QCOMPARE(f.size(), 31); // left untouched
        QVERIFY(!db.open(dir.filePath(u"missing.mdb"_s)));
    }

    void startupRollsBackALeftOverJournal()
    {
        // What a write stopped by a kill leaves: changed pages in the file, the journal that undoes them
        // beside it. A copy of the file alone is damaged; start-up must make the file whole at once.
        QTemporaryDir live, left;
        const QString path = live.filePath(u"horses.mdb"_s);
        {
            Database db;
            QVERIFY(db.create(path));
            addRace(db, 612.0101, 3);
        }
        sqlite3* writer = nullptr;
        QCOMPARE(sqlite3_open(QFile::encodeName(path).constData(), &writer), SQLITE_OK);
        sqlite3_exec(
            writer,
            "PRAGMA cache_size = 1; BEGIN; WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n "
            "WHERE i < 5000) INSERT INTO tblhorsedata (hname, racenum) SELECT 'Filler', 700.01 FROM n",
            nullptr, nullptr, nullptr);
        for (const QString& name : {u"horses.mdb"_s, u"horses.mdb-journal"_s})
            QVERIFY(QFile::copy(live.filePath(name), left.filePath(name)));
        sqlite3_close(writer);

        HeadlessPlatform p;
        MainWindowState f(p, left.path(), QString());
        QVERIFY(formLoad(f, NominalRowHeight));
        QVERIFY(!QFile::exists(left.filePath(u"horses.mdb-journal"_s)));
        Database db;
        QVERIFY(db.open(f.databasePath()));
        QCOMPARE(startsByWeek(db), QStringList{u"612:3"_s});
    }

    void closeFinalisesStatementsOrSaysWhy()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("horses.mdb"));
        Database db;
        QVERIFY(db.create(path));
        const EngineStatement kept = db.prepare("SELECT racenum FROM tblraces");
        QSqlQuery q(db.handle());
        QVERIFY(kept && q.exec(QStringLiteral("SELECT num FROM statecodes")));
        QVERIFY2(db.close(), qPrintable(db.error()));
        QVERIFY(!kept);
        QCOMPARE(openHandles(path), 0);

        // A statement prepared behind the database's back keeps the file open, and the close says so.
        Database other;
        QVERIFY(other.open(path));
        sqlite3* h = other.engine();
        sqlite3_stmt* stray = nullptr;
        QCOMPARE(sqlite3_prepare_v2(h, "SELECT 1", -1, &stray, nullptr), SQLITE_OK);
        QVERIFY(!other.close());
        QVERIFY(other.error().contains(QLatin1String("could not be closed")));
        sqlite3_finalize(stray);
        QCOMPARE(sqlite3_close(h), SQLITE_OK);
    }

    void removeWeekKeepsNeighbours()
    {
        QTemporaryDir dir;
        Database db;
        QVERIFY(db.create(dir.filePath(u"horses.mdb"_s)));
        addRace(db, RaceKey::make(610, 1, 1), 3);
        addRace(db, RaceKey::make(611, 1, 1), 4);
        addRace(db, RaceKey::make(611, 99, 99), 2);
        addRace(db, RaceKey::make(612, 0, 1), 5);
        QVERIFY(db.removeWeek(611));
        QCOMPARE(startsByWeek(db), (QStringList{u"612:5"_s, u"610:3"_s}));
        QCOMPARE(db.weeks().value(), (QList<int>{612, 610}));
        QVERIFY(db.hasRace(RaceKey::make(610, 1, 1)).value());
        QVERIFY(!db.hasRace(RaceKey::make(611, 99, 99)).value());
    }

    void commandLineInitAndWeeks()
    {
        QTemporaryDir dir;
        QCOMPARE(runCli(dir.path(), {u"init"_s}, 0, false), QByteArray());
        {
            Database db;
            QVERIFY(db.open(dir.filePath(u"horses.mdb"_s)));
            addRace(db, 579.0101, 1);
            addRace(db, 612.0101, 1);
        }
        QCOMPARE(runCli(dir.path(), {u"weeks"_s}, 0, false), QByteArray("Week 612\nWeek 579\n"));
        // A second init must not touch the stored data.
        QVERIFY(!runCli(dir.path(), {u"init"_s}, 1).startsWith("exit "));
        QCOMPARE(runCli(dir.path(), {u"weeks"_s}, 0, false), QByteArray("Week 612\nWeek 579\n"));
        QVERIFY(!runCli(dir.filePath(u"nowhere"_s), {u"weeks"_s}, 1).startsWith("exit "));
    }
};

QTEST_GUILESS_MAIN(TestDatabase)
#include "test_database.moc"
