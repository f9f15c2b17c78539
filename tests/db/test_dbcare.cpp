// Database care without windows: week removal, compaction, copies, the track table and their commands.
#include "db/dbcare.h"
#include "db/maintenance.h"
#include "import/importdriver.h"
#include "import/importfixture.h"
#include "runcli.h"

#include <QTest>

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
    QByteArray bytes(const QString& name) const
    {
        QFile file(dir.filePath(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
};

static const QString All = u"3/12 3/12 3/12"_s;

class TestDbCare : public QObject
{
    Q_OBJECT
private slots:
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

    void importReplacingAWeekKeepsTheOldWeek()
    {
        Weeks fx;
        const QString safety = DbCare::safetyCopyPath(fx.f.programPath());
        QVERIFY(!QFile::exists(safety));
        fx.p.answers = {Platform::Answer::Yes};
        // The replacement comes after a new week in the same run, whose rows are then being written.
        const auto r = importFiles(fx.f, {fx.writeWeek(u"new.txt"_s, 613, 1, 1, u"N"_s),
                                          fx.writeWeek(u"again.txt"_s, 611, 1, 2, u"New"_s)});
        QCOMPARE(int(r.status), int(ImportResult::Status::Done));
        QCOMPARE(fx.stored({611, 613}), u"1/2 1/1"_s);
        Database copy;
        QVERIFY(copy.open(safety));
        QCOMPARE(copy.weeks().value(), (QList<int>{613, 612, 611, 610}));
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

        // A file that is no database: every command says so and fails.
        fx.write(u"horses.mdb"_s, "not a database");
        for (const QStringList& args : {QStringList{u"tracks"_s},
                                        {u"remove-weeks"_s, u"612"_s},
                                        {u"compact"_s},
                                        {u"backup"_s, fx.dir.filePath(u"c.mdb"_s)}})
            QVERIFY2(cli(args, 1).contains("not a Turf Trawler database"), qPrintable(args.join(u' ')));
    }
};

QTEST_GUILESS_MAIN(TestDbCare)
#include "test_dbcare.moc"
