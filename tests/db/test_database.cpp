// The database and its care without windows: opening, closing, week removal, compaction, copies, the track
// table and their commands.
#include "core/startup.h"
#include "db/dbcare.h"
#include "db/maintenance.h"
#include "db/racekey.h"
#include "import/importdriver.h"
#include "import/importfixture.h"
#include "openhandles.h"
#include "runcli.h"
#include "testfiles.h"

#include <QTest>

#include <sqlite3.h>

/** Weeks 610, 611 and 612 imported, 3 races of 4 starts each. */
struct Weeks : ImportFixture {
    Weeks()
    {
        QStringList files;
        for (int w : {610, 611, 612})
            files << writeWeek(u"raceout%1.txt"_s.arg(w), w, 3, 4, u"H%1"_s.arg(w));
        importFiles(f, files);
        p.labelTexts.clear();
    }
    QString db() const { return dir.filePath(u"horses.mdb"_s); }
    QByteArray bytes(const QString& name) const { return readFile(dir.filePath(name)); }
};

static const QString All = u"3/12 3/12 3/12"_s;

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

    void removalTakesOnlyTheSelectedBandAndKeepsACopy()
    {
        Weeks fx;
        QCOMPARE(weeklist(fx.f).value(), (QStringList{u"Week 612"_s, u"Week 611"_s, u"Week 610"_s}));
        fx.p.answers = {Platform::Answer::Yes};
        QCOMPARE(removeweeks(fx.f, {u"Week 611"_s}), RemoveOutcome::Removed);
        QCOMPARE(fx.stored({610, 611, 612}), u"3/12 0/0 3/12"_s);
        QCOMPARE(fx.p.labelTexts.first(), u"lblprogress: Please wait.\r\rRemoving Data."_s);
        QCOMPARE(fx.f.lblprogress, QString());
        // The automatic copy is the database as it was before.
        Database copy;
        QVERIFY(copy.open(DbCare::safetyCopyPath(fx.f.programPath())));
        QCOMPARE(copy.weeks().value(), (QList<int>{612, 611, 610}));

        // No deletes nothing and clears the label.
        fx.p.answers = {Platform::Answer::No};
        QCOMPARE(removeweeks(fx.f, {u"Week 612"_s}), RemoveOutcome::Declined);
        QCOMPARE(fx.stored({610, 612}), u"3/12 3/12"_s);
        QCOMPARE(fx.f.lblprogress, QString());
    }

    void removalFailingHalfWayRemovesNothing()
    {
        Weeks fx;
        {
            Database db;
            QVERIFY(db.open(fx.db()));
            QVERIFY(QSqlQuery(db.handle())
                        .exec(u"CREATE TRIGGER broken BEFORE DELETE ON tblraces WHEN "
                              u"old.racenum < 611 BEGIN SELECT RAISE(ABORT, 'disk gone'); END"_s));
        }
        QCOMPARE(removeweeks(fx.f, {u"Week 612"_s, u"Week 610"_s}, false), RemoveOutcome::Failed);
        QCOMPARE(fx.stored({610, 611, 612}), All);
        QVERIFY(fx.p.messages.last().startsWith(u"No week was removed."_s));
    }

    void compactionReplacesTheFileOnlyWhenTheCopyIsSound_data()
    {
        QTest::addColumn<int>("failAt");
        QTest::newRow("succeeds") << -1;
        QTest::newRow("copy fails") << int(DbCare::CompactStep::Copied);
        QTest::newRow("check fails") << int(DbCare::CompactStep::Checked);
        QTest::newRow("file being read") << -2;
    }
    void compactionReplacesTheFileOnlyWhenTheCopyIsSound()
    {
        QFETCH(int, failAt);
        Weeks fx;
        fx.write(u"horsestemp.mdb"_s, "left over by a crash");
        const QByteArray before = fx.bytes(u"horses.mdb"_s);
        Database reader;
        std::optional<QSqlQuery> search;
        if (failAt == -2) {
            QVERIFY(reader.open(fx.db()));
            search.emplace(reader.handle());
            QVERIFY(search->exec(u"SELECT * FROM tblhorsedata"_s) && search->next());
        }
        QString error;
        const bool ok =
            DbCare::compact(fx.f.programPath(), error,
                            failAt < 0 ? std::nullopt : std::optional(DbCare::CompactStep(failAt)));
        search.reset();
        QCOMPARE(ok, failAt == -1);
        QCOMPARE(error.isEmpty(), ok);
        QVERIFY(!QFile::exists(fx.dir.filePath(u"horsestemp.mdb"_s)));
        QCOMPARE(fx.stored({610, 611, 612}), All);
        if (!ok)
            QCOMPARE(fx.bytes(u"horses.mdb"_s), before);
        else
            QCOMPARE(fx.bytes(u"horses-before-last-change.mdb"_s), before);
    }

    void backupDuringASearchHoldsEveryRow()
    {
        Weeks fx;
        Database reader;
        QVERIFY(reader.open(fx.db()));
        QSqlQuery search(reader.handle());
        QVERIFY(search.exec(u"SELECT hname FROM tblhorsedata ORDER BY racenum DESC"_s) && search.next());
        QVERIFY(backupdatabaseTo(fx.f, fx.dir.filePath(u"backup.mdb"_s)));
        QVERIFY(fx.p.labelTexts.contains(u"lblprogress: Backing Up Database ...\r\r100% copied."_s));
        QCOMPARE(fx.f.lblprogress, u"Database backed up to backup.mdb."_s);
        search.finish();
        reader.close();
        QFile::remove(fx.db());
        QVERIFY(QFile::rename(fx.dir.filePath(u"backup.mdb"_s), fx.db()));
        QCOMPARE(fx.stored({610, 611, 612}), All);
        // The database itself is never the target.
        QVERIFY(!backupdatabaseTo(fx.f, fx.db()));
    }

    void trackEditorRules_data()
    {
        QTest::addColumn<QString>("num");
        QTest::addColumn<QString>("code");
        QTest::addColumn<int>("outcome");
        QTest::addColumn<QString>("list");
        QTest::addColumn<QString>("message");
        const QString abc = u"05: A|07: ABC"_s;
        QTest::newRow("new") << u"9"_s << u"XY"_s << int(TrackOutcome::Stored) << u"05: A|07: ABC|09: XY"_s
                             << QString();
        QTest::newRow("half to even")
            << u"7.5"_s << u"E"_s << int(TrackOutcome::Stored) << u"05: A|07: ABC|08: E"_s << QString();
        QTest::newRow("as typed") << u"0"_s << u" a b "_s << int(TrackOutcome::Stored)
                                  << u"00:  a b |05: A|07: ABC"_s << QString();
        QTest::newRow("stored")
            << u"07"_s << u"Z"_s << int(TrackOutcome::Exists) << abc
            << u"07 is already in the database.  If you wish to edit or replace it, \rthen please delete the track first."_s;
        QTest::newRow("text") << u"seven"_s << u"Z"_s << int(TrackOutcome::Refused) << abc
                              << u"You must enter a valid track number."_s;
        QTest::newRow("too big") << u"100"_s << u"Z"_s << int(TrackOutcome::Refused) << abc
                                 << u"You must enter a track number from 0 to 99."_s;
    }
    void trackEditorRules()
    {
        QFETCH(QString, num);
        QFETCH(QString, code);
        QFETCH(int, outcome);
        ImportFixture fx;
        const QString db = fx.dir.filePath(u"horses.mdb"_s);
        QCOMPARE(addtrack(fx.p, db, u"7"_s, u"ABC"_s), TrackOutcome::Stored);
        QCOMPARE(addtrack(fx.p, db, u"5"_s, u"A"_s), TrackOutcome::Stored);
        QCOMPARE(addtrack(fx.p, db, num, code), TrackOutcome(outcome));
        QTEST(loadtracks(fx.p, db).value().join(u'|'), "list");
        QTEST(fx.p.messages.value(0), "message");
    }

    void commandLine()
    {
        Weeks fx;
        const auto cli = [&](const QStringList& args, int status) { return runCli(fx.path(), args, status); };
        QCOMPARE(cli({u"tracks"_s, u"add"_s, u"7"_s, u"ABC"_s}, 0), "07: ABC\n");
        QCOMPARE(cli({u"tracks"_s, u"add"_s, u"7"_s, u"X"_s}, 1).left(20), "7 is already in the ");
        QCOMPARE(cli({u"tracks"_s, u"delete"_s, u"7"_s}, 0), "");
        QCOMPARE(cli({u"remove-weeks"_s, u"611"_s, u"609"_s}, 1),
                 "Week 609 is not in the database.  Nothing was removed.\n");
        QVERIFY(cli({u"remove-weeks"_s, u"611"_s}, 0).endsWith("Removed: Week 611\n"));
        QVERIFY(
            cli({u"compact"_s}, 0).startsWith("Compacting Database ...\n\nThis may take several minutes.\n"));
        QVERIFY(
            cli({u"backup"_s, fx.dir.filePath(u"b.mdb"_s)}, 0).endsWith("Database backed up to b.mdb.\n"));
        QCOMPARE(fx.stored({610, 611, 612}), u"3/12 0/0 3/12"_s);
        QCOMPARE(cli({u"weeks"_s}, 0), "Week 612\nWeek 610\n");
        QVERIFY(!cli({u"init"_s}, 1).startsWith("exit ")); // a second init leaves the stored data alone
        QCOMPARE(fx.stored({610, 612}), u"3/12 3/12"_s);
        QTemporaryDir empty;
        QCOMPARE(runCli(empty.path(), {u"init"_s}, 0), QByteArray());
        QVERIFY(!runCli(empty.filePath(u"nowhere"_s), {u"weeks"_s}, 1).startsWith("exit "));

        // A file that is no database: every command says so and fails.
        fx.write(u"horses.mdb"_s, "not a database");
        for (const QStringList& args : {QStringList{u"tracks"_s},
                                        {u"remove-weeks"_s, u"612"_s},
                                        {u"compact"_s},
                                        {u"backup"_s, fx.dir.filePath(u"c.mdb"_s)}})
            QVERIFY2(cli(args, 1).contains("not a Turf Trawler database"), qPrintable(args.join(u' ')));
    }
};

QTEST_GUILESS_MAIN(TestDatabase)
#include "test_database.moc"
