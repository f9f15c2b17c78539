// The database and its care: opening, closing, week removal, compaction, copies, the track table, and the
// windows and commands that reach them.
#include "app/frmmainfinder.h"
#include "core/startup.h"
#include "db/dbcare.h"
#include "db/frmedittracks.h"
#include "db/frmremovedata.h"
#include "db/maintenance.h"
#include "db/racekey.h"
#include "import/importdriver.h"
#include "import/importfixture.h"
#include "openhandles.h"
#include "runcli.h"
#include "testsupport.h"

#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include <sqlite3.h>
#include <unistd.h>

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

static void clickItem(QListWidget* list, const QString& text)
{
    const auto items = list->findItems(text, Qt::MatchExactly);
    QVERIFY(!items.isEmpty());
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(items.first()).center());
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

        QVERIFY(writeFile(text, "not a database, just some text\n"));
        QVERIFY(!db.open(text));
        QVERIFY(db.error().contains("not a Turf Trawler database"_L1));
        QCOMPARE(readFile(text), "not a database, just some text\n"); // left untouched
        QVERIFY(!db.open(dir.filePath(u"missing.mdb"_s)));
    }

    void startupRollsBackALeftOverJournal()
    {
        // What a write stopped by a kill leaves: changed pages in the file, the journal that undoes them
        // beside it. A copy of the file alone is damaged; start-up must make the file whole at once.
        ImportFixture live, left;
        importFiles(live.f, {live.writeWeek(u"612.txt"_s, 612, 1, 3, u"H"_s)});
        sqlite3* writer = nullptr;
        QCOMPARE(sqlite3_open(QFile::encodeName(live.f.databasePath()).constData(), &writer), SQLITE_OK);
        sqlite3_exec(
            writer,
            "PRAGMA cache_size = 1; BEGIN; WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n "
            "WHERE i < 5000) INSERT INTO tblhorsedata (hname, racenum) SELECT 'Filler', 700.01 FROM n",
            nullptr, nullptr, nullptr);
        // Left twice: for the window's start-up and for a command-line tool that only reads.
        ImportFixture second;
        for (ImportFixture* fx : {&left, &second}) {
            QVERIFY(QFile::remove(fx->f.databasePath()));
            for (const QString& name : {u"horses.mdb"_s, u"horses.mdb-journal"_s})
                QVERIFY(QFile::copy(live.dir.filePath(name), fx->dir.filePath(name)));
        }
        sqlite3_close(writer);
        QVERIFY(formLoad(left.f, NominalRowHeight));
        QCOMPARE(runCli(second.path(), {u"weeks"_s}, 0), "Week 612\n");
        for (ImportFixture* fx : {&left, &second}) {
            QVERIFY(!QFile::exists(fx->dir.filePath(u"horses.mdb-journal"_s)));
            QCOMPARE(fx->stored({612, 700}), u"1/3 0/0"_s);
        }

        // A journal that is a link to another file is never followed; the message says what is in the way.
        QVERIFY(QFile::link(live.f.databasePath(), left.dir.filePath(u"horses.mdb-journal"_s)));
        QVERIFY(runCli(left.path(), {u"weeks"_s}, 1).contains("horses.mdb-journal beside it is a link to "));
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
        ImportFixture fx;
        const TestRace a{.number = u"610.0101"_s}, b{.number = u"611.0101"_s}, c{.number = u"611.9999"_s},
            d{.number = u"612.0001"_s};
        importFiles(fx.f, {fx.writeRaces(u"a.txt"_s, {a}), fx.writeRaces(u"b.txt"_s, {b, c}),
                           fx.writeRaces(u"d.txt"_s, {d})});
        Database db;
        QVERIFY(db.open(fx.f.databasePath()) && db.removeWeek(611));
        QCOMPARE(fx.stored({610, 611, 612}), u"1/1 0/0 1/1"_s);
        QCOMPARE(db.weeks().value(), (QList<int>{612, 610}));
        QVERIFY(db.hasRace(RaceKey::make(610, 1, 1)).value());
        QVERIFY(!db.hasRace(RaceKey::make(611, 99, 99)).value());
    }

    void removalTakesOnlyTheSelectedBandAndKeepsACopy()
    {
        Weeks fx;
        QCOMPARE(weeklist(fx.f).value(), (QStringList{u"Week 612"_s, u"Week 611"_s, u"Week 610"_s}));
        // A partial copy left by a crash as a second name of the database is not written into.
        QCOMPARE(::link(qPrintable(fx.f.databasePath()),
                        qPrintable(DbCare::safetyCopyPath(fx.f.programPath()) + u".part"_s)),
                 0);
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

    void backupHoldsEveryRow()
    {
        Weeks fx;
        QVERIFY(backupdatabaseTo(fx.f, fx.dir.filePath(u"backup.mdb"_s)));
        QVERIFY(fx.p.labelTexts.contains(u"lblprogress: Backing Up Database ...\r\r100% copied."_s));
        QCOMPARE(fx.f.lblprogress, u"Database backed up to backup.mdb."_s);
        QVERIFY(QFile::remove(fx.db()) && QFile::rename(fx.dir.filePath(u"backup.mdb"_s), fx.db()));
        QCOMPARE(fx.stored({610, 611, 612}), All);
        QVERIFY(!backupdatabaseTo(fx.f, fx.db())); // the database itself is never the target
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
        QTest::newRow("ten characters") << u"9"_s << u"ABCDEFGHIJ"_s << int(TrackOutcome::Stored)
                                        << u"05: A|07: ABC|09: ABCDEFGHIJ"_s << QString();
        for (const QString& code : {u"ABCDEFGHIJK"_s, u"A\nB"_s, u"A\tB"_s})
            QTest::addRow("code %s", code.toUtf8().toPercentEncoding().constData())
                << u"9"_s << code << int(TrackOutcome::Refused) << abc
                << u"A track code is one line of at most 10 printable characters."_s;
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
        const auto cli = [&](const char* args, int status) { return runCli(fx.path(), L(args), status); };
        QCOMPARE(cli("tracks|add|7|ABC", 0), "07: ABC\n");
        QCOMPARE(cli("tracks|delete|7", 0), "");
        QCOMPARE(cli("tracks|add|8|A\nB", 1),
                 "A track code is one line of at most 10 printable characters.\n");
        QCOMPARE(cli("remove-weeks|611|609", 1), "Week 609 is not in the database.  Nothing was removed.\n");
        QCOMPARE(cli("remove-weeks|99999999999", 2),
                 "turftrawler-cli remove-weeks: 99999999999 is not a week number\n");
        QVERIFY(cli("remove-weeks|611", 0).endsWith("Removed: Week 611\n"));
        QVERIFY(cli("compact", 0).startsWith("Compacting Database ...\n\nThis may take several minutes.\n"));
        QVERIFY(runCli(fx.path(), L("backup") << fx.dir.filePath(u"b.mdb"_s), 0)
                    .endsWith("Database backed up to b.mdb.\n"));
        QCOMPARE(fx.stored({610, 611, 612}), u"3/12 0/0 3/12"_s);
        QCOMPARE(cli("weeks", 0), "Week 612\nWeek 610\n");
        cli("init", 1); // a second init leaves the stored data alone
        QCOMPARE(fx.stored({610, 612}), u"3/12 3/12"_s);
        QTemporaryDir empty;
        QCOMPARE(runCli(empty.path(), {u"init"_s}, 0), QByteArray());
        runCli(empty.filePath(u"nowhere"_s), {u"weeks"_s}, 1);

        // A file that is no database: every command says so and fails.
        fx.write(u"horses.mdb"_s, "not a database");
        for (const char* args : {"tracks", "remove-weeks|612", "compact", "backup|c.mdb"})
            QVERIFY2(cli(args, 1).contains("not a Turf Trawler database"), args);
    }

    void removeDataDialog()
    {
        ImportFixture fx;
        frmmainfinder w(fx.p, fx.path(), QString());
        QVERIFY(w.Form_Load());
        w.show();
        fx.p.messages.clear();
        w.cmdremoverace->trigger();
        QCOMPARE(fx.p.messages, QStringList{u"No races in the database.  Action cancelled."_s});
        QVERIFY(!w.findChild<frmremovedata*>());

        QStringList files;
        for (int week : {610, 611, 612})
            files << fx.writeWeek(u"r%1.txt"_s.arg(week), week, 2, 3, u"H"_s);
        importFiles(w.state(), files);
        w.cmdremoverace->trigger();
        auto* dialog = w.findChild<frmremovedata*>();
        QVERIFY(dialog && dialog->isVisible());
        // A second click on an entry clears it again; the others stay selected.
        for (const QString& week : {u"Week 610"_s, u"Week 611"_s, u"Week 612"_s, u"Week 612"_s})
            clickItem(dialog->lstweeks, week);
        QCOMPARE(dialog->lstweeks->selectedItems().size(), 2);
        fx.p.answers = {Platform::Answer::Yes};
        QTest::mouseClick(dialog->cmdremove, Qt::LeftButton);
        QCOMPARE(fx.stored({610, 611, 612}), u"0/0 0/0 2/6"_s);
        QCOMPARE(w.lblprogress->text(), QString());
        QTRY_VERIFY(!w.findChild<frmremovedata*>());

        w.cmdremoverace->trigger();
        QTest::mouseClick(w.findChild<frmremovedata*>()->cmdcancel, Qt::LeftButton);
        QTRY_VERIFY(!w.findChild<frmremovedata*>());
        QCOMPARE(fx.stored({612}), u"2/6"_s);
    }

    void compactAndBackUpFromTheMenu()
    {
        ImportFixture fx;
        frmmainfinder w(fx.p, fx.path(), QString());
        QVERIFY(w.Form_Load());
        importFiles(w.state(), {fx.writeWeek(u"r.txt"_s, 612, 2, 3, u"H"_s)});
        w.cmdcompact->trigger();
        QCOMPARE(fx.p.labelTexts.last(), u"lblprogress: "_s);
        QCOMPARE(fx.p.busyDepth, 0);
        fx.p.saveAnswers = {fx.dir.filePath(u"saved.mdb"_s)};
        w.cmdbackup->trigger();
        QCOMPARE(w.lblprogress->text(), u"Database backed up to saved.mdb."_s);
        QVERIFY(fx.p.messages.isEmpty());
    }

    void trackEditor()
    {
        ImportFixture fx;
        frmmainfinder w(fx.p, fx.path(), QString());
        QVERIFY(w.Form_Load());
        w.edittracks->trigger();
        auto* t = w.findChild<frmedittracks*>();
        QVERIFY(t && t->isVisible());
        QCOMPARE(t->lsttracks->count(), 0);

        QTest::keyClicks(t->txttracknum, u"7"_s);
        QTest::keyClicks(t->txttrackcode, u"ABC"_s);
        QTest::mouseClick(t->cmdaddtrack, Qt::LeftButton);
        QCOMPARE(t->lsttracks->item(0)->text(), u"07: ABC"_s);
        QCOMPARE(t->txttracknum->text() + t->txttrackcode->text(), QString());

        QTest::mouseClick(t->cmddeletetrack, Qt::LeftButton);
        QCOMPARE(fx.p.messages, QStringList{u"Please select a track to delete."_s});
        clickItem(t->lsttracks, u"07: ABC"_s);
        QTest::mouseClick(t->cmddeletetrack, Qt::LeftButton);
        QCOMPARE(t->lsttracks->count(), 0);
    }
};

QTEST_MAIN(TestDatabase)
#include "test_database.moc"
