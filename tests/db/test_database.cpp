// The database and its care: opening, closing, week removal, compaction, copies, the track table, and the
// windows and commands that reach them.
#include "db/dbcare.h"
#include "db/maintenance.h"
#include "db/racekey.h"
#include "db/undolog.h"
#include "gui/app/frmmainfinder.h"
#include "gui/db/frmedittracks.h"
#include "gui/db/frmremovedata.h"
#include "gui/widgets/gridview.h"
#include "import/importdriver.h"
#include "import/importfixture.h"
#include "openhandles.h"
#include "runcli.h"
#include "sample/sampledata.h"
#include "startup/startup.h"
#include "testsupport.h"

#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QTest>

#include <QElapsedTimer>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QScopeGuard>

#include <csignal>
#include <sqlite3.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
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

/** Every race and start of the week, every column, in stored order. */
static QStringList weekRows(const ImportFixture& fx, int week)
{
    const QString band = u"WHERE racenum > %1 AND racenum < %1 + 1 ORDER BY racenum, rowid"_s.arg(week);
    return fx.rows(u"SELECT * FROM tblraces "_s + band) + fx.rows(u"SELECT * FROM tblhorsedata "_s + band);
}

/** True when the name index counts each name's starts as a fresh count does. */
static bool nameCountsHold(const ImportFixture& fx)
{
    return fx.rows(u"SELECT kind, name, starts FROM tblnames ORDER BY 1, 2"_s) ==
           fx.rows(u"SELECT 0, hname, COUNT(*) FROM tblhorsedata GROUP BY hname UNION ALL SELECT 1, oname, "
                   u"COUNT(*) FROM tblhorsedata GROUP BY oname ORDER BY 1, 2"_s);
}

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
        QVERIFY(db.sql().exec("DROP TABLE statecodes"));
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
        const Sql::Statement kept = db.prepare("SELECT racenum FROM tblraces");
        Sql::Statement stepped = db.prepare("SELECT num FROM statecodes");
        QVERIFY(kept && !stepped.next() && !stepped.failed());
        QVERIFY2(db.close(), qPrintable(db.error()));
        QVERIFY(!kept);
        QCOMPARE(openHandles(path), 0);

        // A statement prepared behind the database's back keeps the file open, and the close says so.
        Database other;
        QVERIFY(other.open(path));
        sqlite3* h = other.sql().handle();
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

    void removalNamesItsWeeksAndUndoBringsThemBack()
    {
        Weeks fx;
        QCOMPARE(weeklist(fx.f).value(), (QStringList{u"Week 612"_s, u"Week 611"_s, u"Week 610"_s}));
        const QStringList before = weekRows(fx, 611);
        // No, the default, deletes nothing.
        fx.p.pressEnter = true;
        QCOMPARE(removeweeks(fx.f, {u"Week 612"_s, u"Week 611"_s}), RemoveOutcome::Declined);
        QCOMPARE(fx.p.messages.last(), u"Are you sure you wish to remove the selected week(s)?\r"
                                       u"Week 612 (12 starts), week 611 (12 starts)"_s);
        QCOMPARE(fx.f.lblprogress, QString());
        fx.p.answers = {Platform::Answer::Yes};
        fx.p.labelTexts.clear();
        QCOMPARE(removeweeks(fx.f, {u"Week 611"_s}), RemoveOutcome::Removed);
        QCOMPARE(fx.stored({610, 611, 612}), u"3/12 0/0 3/12"_s);
        QCOMPARE(fx.p.labelTexts.first(), u"lblprogress: Please wait.\r\rRemoving Data."_s);
        QCOMPARE(fx.f.statusline, u"Removed week 611 (12 starts). Edit > Undo puts it back."_s);
        QCOMPARE(undoCaption(fx.f).value(), u"Undo Remove Week 611"_s);

        // Compaction keeps the undo record, and a week imported since stays after the undo.
        QVERIFY(cmdcompact_Click(fx.f, false));
        importFiles(fx.f, {fx.writeWeek(u"r613.txt"_s, 613, 1, 2, u"L"_s)});
        QVERIFY(cmdundo_Click(fx.f));
        QCOMPARE(fx.f.statusline, u"Restored week 611 (12 starts)."_s);
        QCOMPARE(weekRows(fx, 611), before);
        QCOMPARE(fx.stored({610, 611, 612, 613}), u"3/12 3/12 3/12 1/2"_s);
        QVERIFY(nameCountsHold(fx));
        QVERIFY(!cmdundo_Click(fx.f));
        QCOMPARE(fx.p.messages.last(), u"There is nothing to undo."_s);
        QVERIFY(!undoCaption(fx.f));
    }

    void undoTakesTheNewestChangeItCanAndKeepsTheNewestFive()
    {
        Weeks fx;
        removeweeks(fx.f, {u"Week 612"_s}, false);
        QCOMPARE(removeweeks(fx.f, {u"Week 611"_s}, false), RemoveOutcome::Removed);
        importFiles(fx.f, {fx.writeWeek(u"again.txt"_s, 611, 1, 1, u"A"_s)});
        const auto list = [&] {
            return QString::fromUtf8(runCli(fx.path(), {u"undo"_s, u"--list"_s}, 0))
                .replace(QRegularExpression(u"\\t\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d"_s), u"\tT"_s);
        };
        // The newest change can no longer be undone, which hides the older one no more.
        QCOMPARE(list(),
                 u"1\tRemove week 611\t12 starts\tT\tcannot be undone: week 611: it has been imported "
                 "again since it was removed\n2\tRemove week 612\t12 starts\tT\n"_s);
        QCOMPARE(undoCaption(fx.f).value(), u"Undo Remove Week 612"_s);
        QVERIFY(cmdundo_Click(fx.f));
        QCOMPARE(fx.f.statusline,
                 u"Restored week 612 (12 starts). The newer change (Remove week 611) cannot be undone."_s);
        QVERIFY(!cmdundo_Click(fx.f));
        QCOMPARE(fx.p.messages.last(),
                 u"Week 611 cannot be restored: it has been imported again since it was "
                 u"removed. Nothing was changed."_s);
        QCOMPARE(fx.stored({610, 611, 612}), u"3/12 1/1 3/12"_s);

        // A newer change that touched the same week, and cannot be undone itself, holds the older one back.
        removeweeks(fx.f, {u"Week 611"_s}, false);
        Database db;
        QVERIFY(db.open(fx.db()) && db.sql().exec("DELETE FROM tblundo_starts WHERE change = (SELECT MAX(id) "
                                                  "FROM tblundo_changes)"));
        QVERIFY(!cmdundo_Click(fx.f));
        QCOMPARE(
            fx.p.messages.last(),
            u"The kept rows of the removal of week 611 are damaged (1 start missing); nothing was restored."_s);
        QCOMPARE(fx.stored({610, 611, 612}), u"3/12 0/0 3/12"_s);
        QVERIFY(list().endsWith(
            u"\tcannot be undone: the later change Remove week 611 touched week 611 too\n"_s));

        QStringList files;
        for (int w = 600; w < 606; ++w)
            files << fx.writeWeek(u"r%1.txt"_s.arg(w), w, 1, w - 599, u"W"_s);
        importFiles(fx.f, files);
        for (int w = 600; w < 606; ++w)
            removeweeks(fx.f, {u"Week %1"_s.arg(w)}, false);
        const QList<QByteArray> kept = runCli(fx.path(), {u"undo"_s, u"--list"_s}, 0).split('\n');
        QCOMPARE(kept.size(), 6); // five changes and the end of the last line
        QVERIFY2(QRegularExpression(u"^1\tRemove week 605\t6 starts\t\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d$"_s)
                     .match(QString::fromUtf8(kept[0]))
                     .hasMatch(),
                 kept[0].constData());
        QVERIFY(kept[4].startsWith("5\tRemove week 601\t2 starts"));
        QCOMPARE(runCli(fx.path(), {u"undo"_s}, 0), "Restored week 605 (6 starts).\n");
        QCOMPARE(fx.stored({605}), u"1/6"_s);
    }

    void removalFailingHalfWayRemovesNothing()
    {
        Weeks fx;
        {
            Database db;
            QVERIFY(db.open(fx.db()));
            QVERIFY(
                db.sql().exec("CREATE TRIGGER broken BEFORE DELETE ON tblraces WHEN old.racenum < 611 BEGIN "
                              "SELECT RAISE(ABORT, 'disk gone'); END"));
        }
        QCOMPARE(removeweeks(fx.f, {u"Week 612"_s, u"Week 610"_s}, false), RemoveOutcome::Failed);
        QCOMPARE(fx.stored({610, 611, 612}), All);
        QVERIFY(fx.p.messages.last().startsWith(u"No week was removed."_s));
        QVERIFY(!undoCaption(fx.f)); // no record of a change that did not happen
    }

    void compactionInPlaceKeepsTheFileItsLinksAndItsUndo()
    {
        Weeks fx;
        // The database lives elsewhere behind a link, with a mode of its own; a link planted under the
        // name older versions compacted through points at a file that must never appear.
        QTemporaryDir elsewhere;
        const QString real = elsewhere.filePath(u"real.mdb"_s), planted = elsewhere.filePath(u"planted"_s);
        QVERIFY(QFile::rename(fx.db(), real) && QFile::link(real, fx.db()));
        QVERIFY(QFile::link(planted, fx.dir.filePath(u"horsestemp.mdb"_s)));
        QVERIFY(QFile::setPermissions(real, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup));
        removeweeks(fx.f, {u"Week 611"_s}, false);
        // 4 MB of pages a dropped table left free, which only a rewrite of the file gives back.
        fx.rows(
            u"CREATE TABLE filler AS WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE "
            "i < 1000) SELECT zeroblob(4000) FROM n"_s);
        fx.rows(u"DROP TABLE filler"_s);

        // The window asks before forgetting the undo records, No being the default.
        fx.p.pressEnter = true;
        QVERIFY(cmdcompact_Click(fx.f));
        QVERIFY2(fx.p.messages.last().startsWith(u"The undo records of the last change hold 12 starts ("_s),
                 qPrintable(fx.p.messages.last()));
        QCOMPARE(fx.p.defaultButtons.last(), Platform::Answer::No);
        QVERIFY(
            QRegularExpression(u"^Compacted: [\\d.]+ MB -> [\\d.]+ MB$"_s).match(fx.f.statusline).hasMatch());
        QCOMPARE(QFileInfo(fx.db()).symLinkTarget(), real);
        struct stat st {
        };
        QVERIFY(::stat(qPrintable(real), &st) == 0 && (st.st_mode & 07777) == 0640);
        QVERIFY(!QFileInfo(fx.dir.filePath(u"horsestemp.mdb"_s)).isSymLink() && !QFile::exists(planted));
        QCOMPARE(fx.stored({610, 611, 612}), u"3/12 0/0 3/12"_s);
        QCOMPARE(fx.rows(u"PRAGMA freelist_count"_s), QStringList{u"0"_s});
        QVERIFY(undoCaption(fx.f));
        fx.p.answers = {Platform::Answer::Yes};
        QVERIFY(cmdcompact_Click(fx.f));
        QVERIFY(!undoCaption(fx.f));
        QCOMPARE(fx.rows(u"PRAGMA integrity_check"_s), QStringList{u"ok"_s});
    }

    void compactionBesideAnotherWriterLosesNothing()
    {
        // A compaction and an import or a removal in two processes, started at several offsets: each either
        // ends done with its change in place, or refused with the in-use message and nothing changed.
        ImportFixture fx;
        QStringList weeks;
        for (int w = 600; w < 610; ++w)
            weeks << fx.writeWeek(u"r%1.txt"_s.arg(w), w, 60, 12, u"H%1"_s.arg(w));
        importFiles(fx.f, weeks);
        const QString extra = fx.writeWeek(u"raceout630.txt"_s, 630, 5, 5, u"N"_s);
        for (int round = 0; round < 8; ++round) {
            const bool importing = round % 2 == 0;
            QProcess compact, other;
            compact.start(QStringLiteral(TURF_CLI), {u"--dir"_s, fx.path(), u"compact"_s});
            QTest::qWait(round * 6);
            other.start(QStringLiteral(TURF_CLI),
                        importing ? QStringList{u"--dir"_s, fx.path(), u"import"_s, extra}
                                  : QStringList{u"--dir"_s, fx.path(), u"remove-weeks"_s, u"600"_s});
            for (QProcess* p : {&compact, &other})
                QVERIFY(p->state() == QProcess::NotRunning || p->waitForFinished(30000));
            for (QProcess* p : {&compact, &other})
                QVERIFY2(p->exitCode() == 0 ||
                             p->readAllStandardError().contains("in use by another program"),
                         qPrintable(u"round %1"_s.arg(round)));
            const QString stored = fx.stored({importing ? 630 : 600});
            if (other.exitCode() == 0)
                QCOMPARE(stored, importing ? u"5/25"_s : u"0/0"_s);
            else
                QCOMPARE(stored, importing ? u"0/0"_s : u"60/720"_s);
            // Back to where the round began.
            if (importing && other.exitCode() == 0)
                runCli(fx.path(), {u"remove-weeks"_s, u"630"_s}, 0);
            if (!importing && other.exitCode() == 0)
                runCli(fx.path(), {u"undo"_s}, 0);
        }
        QCOMPARE(fx.rows(u"PRAGMA integrity_check"_s), QStringList{u"ok"_s});
    }

    void killedRemovalOrUndoLeavesTheChangeWithItsRecordOrNeither()
    {
        ImportFixture fx;
        importFiles(fx.f, {fx.writeWeek(u"r600.txt"_s, 600, 99, 40, u"H"_s)});
        const QStringList before = weekRows(fx, 600);
        runCli(fx.path(), {u"remove-weeks"_s, u"600"_s}, 0);
        runCli(fx.path(), {u"undo"_s}, 0);
        QRandomGenerator random(7);
        for (int round = 0; round < 16; ++round) {
            const bool removing = fx.stored({600}) != u"0/0"_s;
            QProcess p;
            p.start(QStringLiteral(TURF_CLI),
                    removing ? QStringList{u"--dir"_s, fx.path(), u"remove-weeks"_s, u"600"_s}
                             : QStringList{u"--dir"_s, fx.path(), u"undo"_s});
            QVERIFY(p.waitForStarted());
            QTest::qWait(int(random.bounded(5, 120)));
            if (const qint64 pid = p.processId(); pid > 0) // 0 once it has ended: never the process group
                ::kill(pid_t(pid), SIGKILL);
            p.waitForFinished();
            // Opening rolls back what a killed write left half done.
            const bool present = fx.stored({600}) != u"0/0"_s;
            const QStringList kept = fx.rows(u"SELECT COUNT(*) FROM tblundo_changes"_s);
            QCOMPARE(present ? weekRows(fx, 600) : QStringList(), present ? before : QStringList());
            QCOMPARE(kept.value(0, u"0"_s), present ? u"0"_s : u"1"_s);
        }
    }

    void compactionThatFailsKeepsTheUndoRecords()
    {
        // Room for forgetting the undo records (768 KB) but not for the compaction's journal (the whole
        // file's 3.5 MB): the way back must survive it.
        const SmallDisk disk("8m");
        if (!disk.mounted)
            QSKIP("this test may not mount a file system");
        ImportFixture fx;
        importFiles(fx.f, {fx.writeWeek(u"a.txt"_s, 600, 90, 40, u"A"_s),
                           fx.writeWeek(u"b.txt"_s, 601, 90, 40, u"B"_s)});
        removeweeks(fx.f, {u"Week 601"_s}, false);
        QVERIFY(QFile::copy(fx.f.databasePath(), disk.filePath(u"horses.mdb"_s)));
        struct statvfs fs {
        };
        QVERIFY(::statvfs(QFile::encodeName(disk.path()).constData(), &fs) == 0);
        QVERIFY(writeFile(disk.filePath(u"filler"_s),
                          QByteArray(qsizetype(fs.f_bavail * fs.f_bsize) - 786432, 0)));
        QVERIFY(runCli(disk.path(), {u"compact"_s, u"--forget-undo"_s}, 1)
                    .startsWith(
                        "The database was not compacted and is as it was before; its undo records were "
                        "not forgotten.\nThe database could not be compacted: No space left on device\n"));
        QVERIFY(
            runCli(disk.path(), {u"undo"_s, u"--list"_s}, 0).startsWith("1\tRemove week 601\t3600 starts\t"));
        // With room again they are forgotten, and the space they took is given back too.
        QVERIFY(QFile::remove(disk.filePath(u"filler"_s)));
        runCli(disk.path(), {u"compact"_s, u"--forget-undo"_s}, 0);
        QCOMPARE(queryRows(disk.filePath(u"horses.mdb"_s), u"SELECT COUNT(*) FROM tblundo_starts UNION ALL "
                                                           u"SELECT * FROM pragma_freelist_count"_s),
                 (QStringList{u"0"_s, u"0"_s}));
    }

    void aReaderHoldingOnMakesRemovalAndUndoGiveUpInTime()
    {
        // Weeks as the simulation writes them: deleting one (with its names' counts) outgrows a small page
        // cache, and each spill of it would meet the reader's lock again.
        ImportFixture fx;
        TurfGen::Generator generator{TurfGen::Settings{}};
        QVERIFY(TurfGen::buildDatabase(fx.path(), generator, 600, 601));
        removeweeks(fx.f, {u"Week 601"_s}, false);
        const QString before = fx.stored({600, 601});
        sqlite3* reader = nullptr;
        sqlite3_open(QFile::encodeName(fx.f.databasePath()).constData(), &reader);
        const auto close = qScopeGuard([&] { sqlite3_close(reader); });
        QCOMPARE(sqlite3_exec(reader, "BEGIN; SELECT COUNT(*) FROM tblraces", nullptr, nullptr, nullptr),
                 SQLITE_OK);
        for (const QStringList& args : {QStringList{u"remove-weeks"_s, u"600"_s}, QStringList{u"undo"_s}}) {
            QElapsedTimer took;
            took.start();
            QVERIFY(runCli(fx.path(), args, 1).contains("horses.mdb is in use by another program"));
            QVERIFY2(took.elapsed() < 7000, qPrintable(args.join(u' ')));
        }
        QCOMPARE(fx.stored({600, 601}), before);
        // The same at the engine's level, with a cache of a few pages: the wait is counted over the whole
        // transaction, not started again at each spill.
        Database::setBusyTimeout(300);
        const auto restore = qScopeGuard([] { Database::setBusyTimeout(5000); });
        Database db;
        QVERIFY(db.open(fx.f.databasePath()) && db.sql().exec("PRAGMA cache_size = 10"));
        QElapsedTimer took;
        took.start();
        Sql::Transaction t(db.sql());
        QVERIFY(db.removeWeek(600) && !t.commit() && db.sql().busy());
        QVERIFY2(took.elapsed() < 1500, qPrintable(QString::number(took.elapsed())));
    }

    void undoRefusesKeptRowsThatAreNotThoseItDeleted()
    {
        const auto some = [](const char* what) {
            return QByteArray(what) + " WHERE seq IN (SELECT seq FROM tblundo_starts ORDER BY seq LIMIT 4)";
        };
        const QByteArray damaged = "The kept rows of the removal of week 611 are damaged (";
        const QByteArray record = "The undo record of the removal made 2026-12-07 14:02 is damaged (week \"";
        const std::pair<QByteArray, QByteArray> cases[] = {
            {some("DELETE FROM tblundo_starts"), damaged + "4 starts missing)"},
            {some("UPDATE tblundo_starts SET racenum = racenum - 1"),
             damaged + "4 starts lie outside week 611)"},
            {"DELETE FROM tblundo_races; DELETE FROM tblundo_starts",
             damaged + "3 races missing, 12 starts missing)"},
            {some("UPDATE tblundo_starts SET sp = sp + 1"),
             damaged + "they differ from the rows it deleted)"},
            {"UPDATE tblundo_weeks SET week = 610", "The kept rows of the removal of week 610 are damaged (3 "
                                                    "races and 12 starts lie outside week 610)"},
            {"UPDATE tblundo_weeks SET week = 'abc'", record + "abc\" is not a week number from 0 to 32766)"},
            {"UPDATE tblundo_weeks SET week = 2147483648",
             record + "2147483648\" is not a week number from 0 to 32766)"},
            {"UPDATE tblundo_weeks SET after = x'00'",
             "The undo record of the removal of week 611 is damaged (what it noted of week 611 does not "
             "match the week)"},
            // A change kept by the previous version has no record of its rows: their number still counts.
            {"UPDATE tblundo_weeks SET races = NULL, starts = NULL, kept = NULL; " +
                 some("DELETE FROM tblundo_starts"),
             damaged + "4 starts missing)"},
        };
        for (const auto& [tamper, said] : cases) {
            Weeks fx;
            removeweeks(fx.f, {u"Week 611"_s}, false);
            Database db;
            QVERIFY(db.open(fx.db()) &&
                    db.sql().exec(
                        (tamper + "; UPDATE tblundo_changes SET made = '2026-12-07 14:02'").constData()));
            QVERIFY(!cmdundo_Click(fx.f));
            QCOMPARE(fx.p.messages.last(), QString::fromUtf8(said + "; nothing was restored."));
            QCOMPARE(fx.stored({610, 611, 612}), u"3/12 0/0 3/12"_s);
            QCOMPARE(fx.rows(u"SELECT COUNT(*) FROM tblundo_changes"_s), QStringList{u"1"_s});
        }
        // The undo tables as the previous version made them: its change is undone, and the next one is kept
        // with the record of its rows.
        Weeks fx;
        removeweeks(fx.f, {u"Week 611"_s}, false);
        Database db;
        QVERIFY(db.open(fx.db()) &&
                db.sql().exec("CREATE TABLE w AS SELECT change, week, after FROM tblundo_weeks; DROP TABLE "
                              "tblundo_weeks; ALTER TABLE w RENAME TO tblundo_weeks"));
        QCOMPARE(runCli(fx.path(), {u"undo"_s}, 0), "Restored week 611 (12 starts).\n");
        QCOMPARE(removeweeks(fx.f, {u"Week 611"_s}, false), RemoveOutcome::Removed);
        QCOMPARE(fx.rows(u"SELECT races, starts, length(kept) FROM tblundo_weeks"_s),
                 QStringList{u"3|12|32"_s});
    }

    void backupHoldsEveryRow()
    {
        Weeks fx;
        QVERIFY(backupdatabaseTo(fx.f, fx.dir.filePath(u"backup.mdb"_s)));
        QVERIFY(fx.p.labelTexts.contains(u"lblprogress: Backing Up Database ...\r\r100% copied."_s));
        QCOMPARE(fx.f.lblprogress + fx.f.statusline, u"Database backed up to backup.mdb."_s);
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
        // Ten characters, two of them beyond 16 bits.
        QTest::newRow("ten characters")
            << u"9"_s << u"ABCDEFGH\U0001D400\U0001D401"_s << int(TrackOutcome::Stored)
            << u"05: A|07: ABC|09: ABCDEFGH\U0001D400\U0001D401"_s << QString();
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
        // Plain compact keeps what undo needs; --forget-undo forgets it, and undo then has nothing to do.
        QVERIFY(cli("compact", 0).startsWith("Compacting Database ...\n\nThis may take several minutes.\n"));
        QVERIFY(cli("undo|--list", 0).startsWith("1\tRemove week 611\t12 starts\t"));
        cli("compact|--forget-undo", 0);
        QCOMPARE(cli("undo", 1), "There is nothing to undo.\n");
        QCOMPARE(cli("undo|--list", 0), "");
        QVERIFY(runCli(fx.path(), L("backup") << fx.dir.filePath(u"b.mdb"_s), 0)
                    .endsWith("Database backed up to b.mdb.\n"));
        QCOMPARE(fx.stored({610, 611, 612}), u"3/12 0/0 3/12"_s);
        QCOMPARE(cli("weeks", 0), "Week 612\nWeek 610\n");
        cli("init", 1); // a second init leaves the stored data alone
        QCOMPARE(fx.stored({610, 612}), u"3/12 3/12"_s);
        QTemporaryDir empty;
        QCOMPARE(runCli(empty.path(), {u"init"_s}, 0), QByteArray());
        runCli(empty.filePath(u"nowhere"_s), {u"weeks"_s}, 1);

        // Garbage over a page in the middle leaves the figures readable: info's check of every page finds it.
        QByteArray damaged = fx.bytes(u"horses.mdb"_s);
        damaged.replace(damaged.size() / 8192 * 4096, 4096, QByteArray(4096, 'Z'));
        fx.write(u"horses.mdb"_s, damaged);
        QVERIFY(cli("info", 1).contains("horses.mdb is damaged: "));

        // A file that is no database: every command says so and fails.
        fx.write(u"horses.mdb"_s, "not a database");
        for (const char* args : {"tracks", "remove-weeks|612", "compact", "backup|c.mdb", "undo"})
            QVERIFY2(cli(args, 1).contains("not a Turf Trawler database"), args);
    }

    void removeDataDialog()
    {
        ImportFixture fx;
        frmmainfinder w(fx.p, fx.path(), QString());
        QVERIFY(w.Form_Load());
        w.show();
        fx.p.messages.clear();
        control<QAction>(w, "cmdremoverace")->trigger();
        QCOMPARE(fx.p.messages, QStringList{u"No races in the database.  Action cancelled."_s});
        QVERIFY(!w.findChild<frmremovedata*>());

        QStringList files;
        for (int week : {610, 611, 612})
            files << fx.writeWeek(u"r%1.txt"_s.arg(week), week, 2, 3, u"H"_s);
        importFiles(w.state(), files);
        control<QAction>(w, "cmdremoverace")->trigger();
        auto* dialog = w.findChild<frmremovedata*>();
        QVERIFY(dialog && dialog->isVisible());
        QVERIFY(!dialog->cmdremove->isEnabled());
        // The keys move the current entry without selecting it; Space selects it, and the tick and the line
        // below the list say so whatever entry has the focus.
        dialog->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(dialog));
        dialog->lstweeks->setFocus();
        QTest::keyClick(dialog->lstweeks, Qt::Key_End);
        QTest::keyClick(dialog->lstweeks, Qt::Key_Space);
        QTest::keyClick(dialog->lstweeks, Qt::Key_Home);
        QCOMPARE(dialog->lblselected->text(), u"Selected: Week 610"_s);
        QCOMPARE(dialog->lstweeks->item(2)->checkState(), Qt::Checked);
        QCOMPARE(dialog->lstweeks->item(0)->checkState(), Qt::Unchecked);
        // The question names the week and is answered by its default button: nothing is removed.
        fx.p.pressEnter = true;
        QTest::mouseClick(dialog->cmdremove, Qt::LeftButton);
        QVERIFY(fx.p.messages.last().endsWith(u"\rWeek 610 (6 starts)"_s));
        QCOMPARE(fx.stored({610, 611, 612}), u"2/6 2/6 2/6"_s);
        QTRY_VERIFY(!w.findChild<frmremovedata*>());

        // A second click on an entry clears it again; the others stay selected.
        control<QAction>(w, "cmdremoverace")->trigger();
        dialog = w.findChild<frmremovedata*>();
        for (const QString& week : {u"Week 610"_s, u"Week 611"_s, u"Week 612"_s, u"Week 612"_s})
            clickItem(dialog->lstweeks, week);
        QCOMPARE(dialog->lblselected->text(), u"Selected: Week 611, Week 610"_s);
        fx.p.answers = {Platform::Answer::Yes};
        QTest::mouseClick(dialog->cmdremove, Qt::LeftButton);
        QCOMPARE(fx.stored({610, 611, 612}), u"0/0 0/0 2/6"_s);
        QCOMPARE(control<QLabel>(w, "lblprogress")->text(), QString());
        QTRY_VERIFY(!w.findChild<frmremovedata*>());

        // Edit > Undo names the change and puts both weeks back.
        control<QMenu>(w, "editmenu")->popup(w.mapToGlobal(QPoint()));
        QCOMPARE(control<QAction>(w, "cmdundo")->text(), u"Undo Remove Weeks 611, 610"_s);
        control<QMenu>(w, "editmenu")->close();
        // Ctrl+Z in a text box is the box's own undo; elsewhere it is Edit > Undo.
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        control<QLineEdit>(w, "txthorse")->setFocus();
        QTest::keyClick(control<QLineEdit>(w, "txthorse"), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(fx.stored({610, 611}), u"0/0 0/0"_s);
        control<GridView>(w, "MSFlexGrid1")->setFocus();
        QTest::keyClick(control<GridView>(w, "MSFlexGrid1"), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(fx.stored({610, 611, 612}), u"2/6 2/6 2/6"_s);
        QCOMPARE(control<QAction>(w, "cmdundo")->text(), u"Can't Undo"_s);
        QVERIFY(!control<QAction>(w, "cmdundo")->isEnabled());
    }

    void compactAndBackUpFromTheMenu()
    {
        ImportFixture fx;
        frmmainfinder w(fx.p, fx.path(), QString());
        QVERIFY(w.Form_Load());
        importFiles(w.state(), {fx.writeWeek(u"r.txt"_s, 612, 2, 3, u"H"_s)});
        control<QAction>(w, "cmdcompact")->trigger();
        QCOMPARE(w.state().lblprogress, QString());
        QVERIFY(w.state().statusline.startsWith(u"Compacted: "_s));
        QCOMPARE(fx.p.busyDepth, 0);
        fx.p.saveAnswers = {fx.dir.filePath(u"saved.mdb"_s)};
        control<QAction>(w, "cmdbackup")->trigger();
        QCOMPARE(control<QLabel>(w, "lblprogress")->text() + w.state().statusline,
                 u"Database backed up to saved.mdb."_s);
        QVERIFY(fx.p.messages.isEmpty());
    }

    void trackEditor()
    {
        ImportFixture fx;
        frmmainfinder w(fx.p, fx.path(), QString());
        QVERIFY(w.Form_Load());
        control<QAction>(w, "edittracks")->trigger();
        auto* t = w.findChild<frmedittracks*>();
        QVERIFY(t && t->isVisible());
        QCOMPARE(t->lsttracks->count(), 0);

        QTest::keyClicks(t->txttracknum, u"7"_s);
        QTest::keyClicks(t->txttrackcode, u"ABC"_s);
        QTest::keyClick(t->txttrackcode, Qt::Key_Return); // the window's main button
        QCOMPARE(t->lsttracks->item(0)->text(), u"07: ABC"_s);
        QCOMPARE(t->txttracknum->text() + t->txttrackcode->text(), QString());
        QCOMPARE(w.state().statusline, u"Track 07: ABC added."_s);

        QTest::mouseClick(t->cmddeletetrack, Qt::LeftButton);
        QCOMPARE(fx.p.messages, QStringList{u"Please select a track to delete."_s});
        clickItem(t->lsttracks, u"07: ABC"_s);
        QTest::mouseClick(t->cmddeletetrack, Qt::LeftButton);
        QCOMPARE(t->lsttracks->count(), 0);
        QCOMPARE(w.state().statusline, u"Track 07: ABC deleted."_s);
        QTest::keyClick(t->lsttracks, Qt::Key_Escape);
        QTRY_VERIFY(!w.findChild<frmedittracks*>());
    }
};

QTEST_MAIN(TestDatabase)
#include "test_database.moc"
