// The import through the core, from the main window (menu and dropped files), and turftrawler-cli import.
#include "db/maintenance.h"
#include "db/undolog.h"
#include "gui/app/frmmainfinder.h"
#include "gui/app/statusprogress.h"
#include "import/importdriver.h"
#include "import/importprogress.h"
#include "import/ziparchive.h"
#include "importfixture.h"
#include "openhandles.h"
#include "runcli.h"
#include "search/gethorse.h"

#include <QAction>
#include <QDir>
#include <QDropEvent>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>

#include <deque>
#include <memory>
#include <sqlite3.h>
#include <thread>

namespace
{
QString question(int week, const QString& file)
{
    return u"This week has already been entered into the database.  Do you wish to over-write all old data "
           u"from this week?\r\rWeek %1, from %2."_s.arg(week)
               .arg(file);
}
const QString InUse =
    u"horses.mdb is in use by another program. Close that program or wait until it has finished, "
    "then try again."_s;

/** Another program's connection holding a lock: IMMEDIATE as while it writes (readers go on), EXCLUSIVE as
 * while it commits (readers wait too). Closing the connection gives the lock up. */
struct ForeignLock {
    sqlite3* db = nullptr;
    ForeignLock(const QString& path, const char* begin)
    {
        sqlite3_open(QFile::encodeName(path).constData(), &db);
        sqlite3_exec(db, begin, nullptr, nullptr, nullptr);
    }
    ~ForeignLock() { sqlite3_close(db); }
};
} // namespace

class TestImportDriver : public QObject
{
    Q_OBJECT

    std::unique_ptr<ImportFixture> fx;

    /** Imports the files; the platform's records then hold only what this import did. */
    ImportResult import(const QStringList& paths, std::deque<Platform::Answer> answers = {})
    {
        fx->p.labelTexts.clear();
        fx->p.answers = answers;
        return importFiles(fx->f, paths);
    }

private slots:
    void init() { fx = std::make_unique<ImportFixture>(); }

    void cleanup()
    {
        QCOMPARE(fx->p.busyDepth, 0); // the busy pointer is balanced on every path
        QCOMPARE(openHandles(fx->dir.filePath(u"horses.mdb"_s)), 0); // and the database closed
        fx.reset();
    }

    void importsWithProgress()
    {
        const ImportResult r = import({fx->writeWeek(u"w612.txt"_s, 612, 3, 2, u"Blue"_s)});
        QCOMPARE(int(r.status), int(ImportResult::Status::Done));
        // The status bar follows the files; lblprogress ends with the outcome, with no race key before it.
        QCOMPARE(fx->p.labelTexts, (QStringList{u"lblprogress: "_s, u"statusline: 1 week imported: 612"_s}));
        QVERIFY(fx->p.messages.isEmpty());
        QCOMPARE(fx->stored({612}), u"3/6"_s);
        QCOMPARE(fx->rows(u"SELECT hname, fin FROM tblhorsedata WHERE racenum = 612.0103 ORDER BY fin"_s),
                 (QStringList{u"Blue 0|1"_s, u"Blue 1|2"_s}));
    }

    void namesCountedAsTheEngineComparesThem()
    {
        // The engine's NOCASE folds ASCII letters alone: "Swift Bear" and "SWIFT BEAR" are one name, kept as
        // first met, while "Émile Rose" and "émile rose" are two, and a pattern lists the starts of both.
        TestRace race;
        race.starts = QList<TestStart>(4);
        const QStringList names{u"Swift Bear"_s, u"SWIFT BEAR"_s, u"\u00c9mile Rose"_s, u"\u00e9mile rose"_s};
        for (qsizetype i = 0; i < names.size(); ++i)
            race.starts[i].name = u'"' + names[i] + u'"';
        import({fx->writeRaces(u"r.txt"_s, {race})});
        QCOMPARE(fx->rows(u"SELECT name, starts FROM tblnames WHERE kind = 0 ORDER BY id"_s),
                 (QStringList{u"Swift Bear|2"_s, u"\u00c9mile Rose|1"_s, u"\u00e9mile rose|1"_s}));
        QVERIFY(gethorse(fx->f, 2, u"*mile rose"_s, QString()));
        QCOMPARE(fx->f.MSFlexGrid1.rows(), 3);
    }

    void secondOfThreeDuplicateAnsweredNo()
    {
        import({fx->writeWeek(u"old.txt"_s, 612, 2, 2, u"Old"_s)});
        const ImportResult r = import({fx->writeWeek(u"a.txt"_s, 611, 1, 2, u"A"_s),
                                       fx->writeWeek(u"b.txt"_s, 612, 1, 3, u"B"_s),
                                       fx->writeWeek(u"c.txt"_s, 613, 1, 2, u"C"_s)},
                                      {Platform::Answer::No});
        QCOMPARE(int(r.status), int(ImportResult::Status::Cancelled));
        QCOMPARE(r.file, u"b.txt"_s);
        QCOMPARE(fx->p.messages, QStringList{question(612, u"b.txt"_s)}); // the status line says the rest
        QCOMPARE(fx->f.statusline,
                 u"Stopped at week 612 of b.txt, which is already stored; 1 week imported: 611"_s);
        QCOMPARE(fx->p.defaultButtons, QList{Platform::Answer::No}); // replacing is never what Enter does
        QCOMPARE(fx->stored({611, 612, 613}), u"1/2 2/4 0/0"_s);
    }

    void yesReplacesOnlyThatWeek()
    {
        import({fx->writeWeek(u"611.txt"_s, 611, 2, 3, u"Before"_s),
                fx->writeWeek(u"612.txt"_s, 612, 3, 3, u"Old"_s),
                fx->writeWeek(u"613.txt"_s, 613, 2, 3, u"After"_s)});
        // The replacement comes after a new week in the same run, whose rows are then being written.
        const ImportResult r = import({fx->writeWeek(u"614.txt"_s, 614, 1, 1, u"N"_s),
                                       fx->writeWeek(u"new.txt"_s, 612, 1, 2, u"New"_s)},
                                      {Platform::Answer::Yes});
        QCOMPARE(int(r.status), int(ImportResult::Status::Done));
        QCOMPARE(fx->p.messages, QStringList{question(612, u"new.txt"_s)});
        QCOMPARE(fx->f.statusline, u"1 week imported: 614; replaced: 612"_s);
        QCOMPARE(
            fx->rows(
                u"SELECT DISTINCT hname FROM tblhorsedata WHERE racenum > 612 AND racenum < 613 ORDER BY 1"_s),
            (QStringList{u"New 0"_s, u"New 1"_s}));
        QCOMPARE(fx->stored({611, 612, 613, 614}), u"2/6 1/2 2/6 1/1"_s);
        // Undo gives the week back as it was before the replacement, after a compaction and a later import;
        // the new weeks stay.
        QVERIFY(cmdcompact_Click(fx->f, false));
        import({fx->writeWeek(u"615.txt"_s, 615, 1, 1, u"N"_s)});
        QCOMPARE(undoCaption(fx->f).value(), u"Undo Replace Week 612"_s);
        QVERIFY(cmdundo_Click(fx->f));
        QCOMPARE(fx->f.statusline, u"Restored week 612 as it was before the replacement (9 starts)."_s);
        QCOMPARE(fx->stored({611, 612, 613, 614, 615}), u"2/6 3/9 2/6 1/1 1/1"_s);
        QCOMPARE(fx->rows(u"SELECT DISTINCT hname FROM tblhorsedata WHERE racenum > 612 AND racenum < 613"_s),
                 (QStringList{u"Old 0"_s, u"Old 1"_s, u"Old 2"_s}));
    }

    void storedWeeksSkippedOrAnsweredForAll()
    {
        using enum Platform::Answer;
        import({fx->writeWeek(u"o611.txt"_s, 611, 1, 1, u"O"_s),
                fx->writeWeek(u"o613.txt"_s, 613, 1, 1, u"O"_s)});
        const QStringList files{fx->writeWeek(u"a.txt"_s, 611, 2, 2, u"A"_s),
                                fx->writeWeek(u"b.txt"_s, 612, 1, 2, u"B"_s),
                                fx->writeWeek(u"c.txt"_s, 613, 2, 2, u"C"_s)};
        // Skip keeps the stored week and goes on; "All" is offered while a later file's week is stored too.
        ImportResult r = import(files, {Skip, Yes});
        // Each button says what it does.
        QCOMPARE(fx->p.buttonSets, (QList<QStringList>{L("Replace|Replace All|Skip|Skip All|Stop Import"),
                                                       L("Replace|Skip|Stop Import")}));
        QCOMPARE(fx->f.statusline, u"1 week imported: 612; replaced: 613; kept as stored: 611"_s);
        QCOMPARE(fx->stored({611, 612, 613}), u"1/1 1/2 2/4"_s);
        fx->p.buttonSets.clear();
        r = import(files, {SkipAll});
        QCOMPARE(fx->p.buttonSets.size(), 1);
        QCOMPARE(r.skipped, (QList<int>{611, 612, 613}));
        r = import(files, {YesToAll});
        QCOMPARE(r.weeks, (QList<int>{611, 612, 613}));
        QCOMPARE(fx->stored({611, 612, 613}), u"2/4 1/2 2/4"_s);
        QCOMPARE(fx->p.questions, 4);
        // The command line's --skip keeps every stored week without asking and ends well.
        const QJsonObject json =
            QJsonDocument::fromJson(
                runCli(fx->path(), QStringList{u"import"_s, u"--skip"_s, u"--json"_s} + files, 0, false))
                .object();
        QCOMPARE(json[u"skipped"_s].toArray(), (QJsonArray{611, 612, 613}));
    }

    void countCarriesAcrossFiles()
    {
        TestRace a;
        a.conditions = u"\"All 3 year olds Non-Winner of THREE races except\""_s;
        TestRace b = a, c = a;
        b.number = u"613.0101"_s;
        b.conditions = c.conditions = u"\"All 3 year olds Non-Winner of a race except\""_s;
        c.number = u"614.0101"_s;
        import({fx->writeRaces(u"a.txt"_s, {a}, Layout::OneLine),
                fx->writeRaces(u"b.txt"_s, {b}, Layout::OneLine)});
        // A new import starts counting from 0 again.
        import({fx->writeRaces(u"c.txt"_s, {c}, Layout::OneLine)});
        QCOMPARE(fx->rows(u"SELECT restr FROM tblraces ORDER BY racenum"_s),
                 (QStringList{u"C3x"_s, u"C3x"_s, u"C0x"_s}));
    }

    void firstRaceDecidesDuplicate()
    {
        TestRace first, later{.number = u"612.0102"_s}, short5{.number = u"5.12"_s};
        import({fx->writeRaces(u"one.txt"_s, {later})});
        // A file whose first race is new goes in without a question, but a race stored already is never
        // stored twice: the file fails as a damaged one does, and so does a file that repeats a race.
        for (const auto& [races, said] :
             {std::pair{QList<TestRace>{first, later}, u"Race 612.0102 of two.txt is stored already"_s},
              std::pair{QList<TestRace>{first, first}, u"Race 612.0101 appears twice in two.txt"_s}}) {
            const ImportResult r = import({fx->writeRaces(u"two.txt"_s, races)});
            QCOMPARE(int(r.status), int(ImportResult::Status::Failed));
            QCOMPARE(r.detail, said + u". Nothing of week 612 was stored."_s);
        }
        QVERIFY(fx->p.messages.isEmpty());
        QCOMPARE(fx->stored({612}), u"1/1"_s);
        // A file of an older version that holds a race twice stays usable, and from its first write on no
        // program can store a race a second time.
        Database db;
        QVERIFY(db.open(fx->f.databasePath()) &&
                db.sql().exec("DROP TRIGGER tblraces_once; INSERT INTO tblraces SELECT * FROM tblraces"));
        QCOMPARE(int(import({fx->writeWeek(u"613.txt"_s, 613, 1, 1, u"N"_s)}).status),
                 int(ImportResult::Status::Done));
        QCOMPARE(fx->rows(u"SELECT COUNT(*) FROM tblraces WHERE racenum = 612.0102"_s), QStringList{u"2"_s});
        QVERIFY(!db.sql().exec("INSERT INTO tblraces (racenum) VALUES (613.0101)"));
        // Races that carry only track and race are stored under other keys; the same file imported again
        // must still be recognised, or its week would be stored twice.
        const QString file = fx->writeRaces(u"short.txt"_s, {short5});
        import({file});
        QCOMPARE(int(import({file}).status), int(ImportResult::Status::Cancelled));
        QCOMPARE(fx->p.messages, QStringList{question(5, u"short.txt"_s)});
        QCOMPARE(fx->stored({5}), u"1/1"_s);
    }

    void brokenOrMissingFileStoresNothingOfItsWeek()
    {
        TestRace a, b;
        b.number = u"612.0102"_s;
        b.starts = {TestStart{}, TestStart{}};
        QByteArray text = resultText(resultFields({a, b}), Layout::RecordPerLine);
        text.chop(QByteArray("\"*99999\"\r\n").size());
        const ImportResult r =
            import({fx->writeWeek(u"good.txt"_s, 611, 1, 1, u"G"_s), fx->write(u"raceout612.txt"_s, text),
                    fx->writeWeek(u"later.txt"_s, 613, 1, 1, u"L"_s)});
        QCOMPARE(int(r.status), int(ImportResult::Status::Failed));
        QCOMPARE(fx->f.lblprogress, u"Import of raceout612.txt was NOT completed.\rNothing of week 612 was "
                                    u"stored.\rImport terminated."_s);
        QCOMPARE(fx->p.labelTexts.value(fx->p.labelTexts.size() - 2), u"lblprogress: "_s + fx->f.lblprogress);
        QVERIFY(r.detail.contains(u"end marker"_s));
        QVERIFY(fx->p.messages.isEmpty());
        // A part of a week is no week: the earlier file's week stays, and the mended file goes in as new.
        QCOMPARE(fx->stored({611, 612, 613}), u"1/1 0/0 0/0"_s);
        QCOMPARE(
            int(import({fx->write(u"mended.txt"_s, resultText(resultFields({a, b}), Layout::RecordPerLine))})
                    .status),
            int(ImportResult::Status::Done));
        QVERIFY(fx->p.messages.isEmpty());
        QCOMPARE(fx->stored({612}), u"2/3"_s);

        QCOMPARE(int(import({fx->dir.filePath(u"gone.txt"_s)}).status), int(ImportResult::Status::Failed));
        QCOMPARE(fx->f.lblprogress, u"Import of gone.txt was NOT completed.\rImport terminated."_s);

        // The database itself failing while a file's rows are written: nothing of the run is kept.
        fx->rows(u"CREATE TRIGGER broken BEFORE INSERT ON tblhorsedata WHEN new.racenum > 615 BEGIN SELECT "
                 "RAISE(ABORT, 'disk gone'); END"_s);
        const ImportResult failed = import(
            {fx->writeWeek(u"614.txt"_s, 614, 1, 1, u"A"_s), fx->writeWeek(u"616.txt"_s, 616, 1, 1, u"B"_s)});
        QCOMPARE(failed.weeks, QList<int>());
        QCOMPARE(
            fx->f.lblprogress,
            u"Import of 616.txt was NOT completed.\rNothing of this import was stored.\rImport terminated."_s);
        QCOMPARE(fx->stored({614, 616}), u"0/0 0/0"_s);
    }

    void failedReplacementKeepsTheStoredWeek()
    {
        import({fx->writeWeek(u"611.txt"_s, 611, 2, 3, u"Before"_s),
                fx->writeWeek(u"612.txt"_s, 612, 4, 3, u"Old"_s)});
        const QString everything = u"SELECT * FROM tblraces ORDER BY racenum"_s;
        const QString allStarts = u"SELECT * FROM tblhorsedata ORDER BY racenum, fin"_s;
        const QStringList races = fx->rows(everything), starts = fx->rows(allStarts);
        // The damaged copy of the stored week follows a new week in the same run, which stays.
        QByteArray damaged = resultText(resultFields({TestRace{}, TestRace{}}), Layout::RecordPerLine);
        damaged.chop(30);
        const ImportResult r = import(
            {fx->writeWeek(u"613.txt"_s, 613, 1, 2, u"New"_s), fx->write(u"raceout612.txt"_s, damaged)},
            {Platform::Answer::Yes});
        QCOMPARE(int(r.status), int(ImportResult::Status::Failed));
        QCOMPARE(fx->f.lblprogress,
                 u"Import of raceout612.txt was NOT completed.\rWeek 612 was left as it was "
                 "before the import.\rImport terminated."_s);
        QVERIFY2(r.detail.contains(u"Week 612 was left"_s), qPrintable(r.detail));
        QCOMPARE(fx->stored({613}), u"1/2"_s);
        QCOMPARE(fx->rows(everything + u" LIMIT 6"_s), races);
        QCOMPARE(fx->rows(u"SELECT * FROM tblhorsedata WHERE racenum < 613 ORDER BY racenum, fin"_s), starts);
    }

    void waitsOutAShortLock()
    {
        // Another program writes for two seconds; the import waits for it instead of failing.
        std::unique_ptr<ForeignLock> lock =
            std::make_unique<ForeignLock>(fx->f.databasePath(), "BEGIN IMMEDIATE");
        std::thread releaser([&lock] {
            std::this_thread::sleep_for(std::chrono::seconds(2));
            lock.reset();
        });
        const ImportResult r = import({fx->writeWeek(u"612.txt"_s, 612, 2, 2, u"A"_s)});
        releaser.join();
        QCOMPARE(int(r.status), int(ImportResult::Status::Done));
        QCOMPARE(fx->stored({612}), u"2/4"_s);
    }

    void longerLockIsReportedAsInUse()
    {
        import({fx->writeWeek(u"612.txt"_s, 612, 1, 1, u"A"_s)});
        Database::setBusyTimeout(200);
        auto lock = std::make_unique<ForeignLock>(fx->f.databasePath(), "BEGIN IMMEDIATE");
        const ImportResult r = import({fx->writeWeek(u"613.txt"_s, 613, 1, 1, u"B"_s)});
        QCOMPARE(int(r.status), int(ImportResult::Status::Failed));
        QCOMPARE(fx->f.lblprogress, InUse + u"\rImport terminated."_s);
        QCOMPARE(r.detail, InUse);
        // A reader in the middle of its reading lets the rows be written but not committed: nothing is
        // stored, and the name index keeps its trigger.
        lock.reset();
        lock = std::make_unique<ForeignLock>(fx->f.databasePath(), "BEGIN; SELECT COUNT(*) FROM tblraces");
        const ImportResult held = import({fx->writeWeek(u"614.txt"_s, 614, 1, 1, u"C"_s)});
        QCOMPARE(int(held.status), int(ImportResult::Status::Failed));
        QCOMPARE(held.detail, InUse);
        lock.reset();
        QCOMPARE(fx->stored({612, 613, 614}), u"1/1 0/0 0/0"_s);
        QCOMPARE(fx->rows(u"SELECT COUNT(*) FROM sqlite_master WHERE name = 'tblhorsedata_names_added'"_s),
                 QStringList{u"1"_s});
        // Searches say the same when they cannot read, and never call the database foreign.
        lock.reset();
        lock = std::make_unique<ForeignLock>(fx->f.databasePath(), "BEGIN EXCLUSIVE");
        fx->p.messages.clear();
        gethorse(fx->f, 2, u"A 0"_s, QString());
        QCOMPARE(fx->p.messages, QStringList{InUse});
        lock.reset();
        Database::setBusyTimeout(5000);
        fx->p.messages.clear();
        gethorse(fx->f, 2, u"A 0"_s, QString());
        QVERIFY(fx->p.messages.isEmpty());
        QCOMPARE(fx->f.MSFlexGrid1.rows(), 2);
    }

    void zipArchiveImportsItsFilesInNameOrder()
    {
        struct Recorder : ImportProgress {
            QStringList seen;
            void start(int count) override { seen << QString::number(count); }
            void file(int index, const QString& name, qint64 starts) override
            {
                seen << u"%1 %2"_s.arg(index).arg(importProgressText(name, starts));
            }
            void end(const QString& outcome) override { seen << outcome; }
        } progress;
        const QString zip =
            fx->writeZip(u"weeks.zip"_s, {{u"raceout613.txt"_s, fx->weekBytes(613, 1, 2, u"C"_s)},
                                          {u"raceout611.txt"_s, fx->weekBytes(611, 2, 2, u"A"_s)},
                                          {u"raceout612.txt"_s, fx->weekBytes(612, 1, 3, u"B"_s)}});
        ImportResult r = importFiles(fx->f, {zip}, DuplicateWeek::Ask, &progress);
        QCOMPARE(int(r.status), int(ImportResult::Status::Done));
        QCOMPARE(fx->stored({611, 612, 613}), u"2/4 1/3 1/2"_s);
        QCOMPARE(progress.seen, (QStringList{u"3"_s, u"1 raceout611.txt in weeks.zip, 0 starts stored"_s,
                                             u"2 raceout612.txt in weeks.zip, 4 starts stored"_s,
                                             u"3 raceout613.txt in weeks.zip, 7 starts stored"_s,
                                             u"3 weeks imported: 611, 612, 613"_s}));

        r = import({zip}, {Platform::Answer::No});
        QCOMPARE(fx->p.messages.first(), question(611, u"raceout611.txt in weeks.zip"_s));
        QCOMPARE(
            importOutcome(r),
            u"Stopped at week 611 of raceout611.txt in weeks.zip, which is already stored; 0 weeks imported"_s);
    }

    void brokenZipArchivesAreReported_data()
    {
        // The second entry after a good week (none: an empty archive; "-": a text file; a week: the archive
        // then cut short or a byte of that week's packed data changed), then the name in the failure text, a
        // piece of the detail, and what weeks 611 and 612 hold.
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("expected");
        QTest::newRow("not results") << u"readme.txt"_s << u"readme.txt in a.zip|end marker|1/1 0/0"_s;
        QTest::newRow("too big to expand") << u"huge.txt"_s << u"huge.txt in a.zip|64 MiB|1/1 0/0"_s;
        QTest::newRow("text named .zip") << u"-"_s << u"a.zip|not a readable zip|0/0 0/0"_s;
        QTest::newRow("an empty archive") << QString() << u"a.zip|holds no files|0/0 0/0"_s;
        QTest::newRow("cut short") << u"cut612.txt"_s << u"a.zip|not a readable zip|0/0 0/0"_s;
        QTest::newRow("damaged data")
            << u"bad612.txt"_s << u"bad612.txt in a.zip|cannot be expanded|1/1 0/0"_s;
    }

    void brokenZipArchivesAreReported()
    {
        QFETCH(QString, entry);
        QFETCH(QString, expected);
        const QStringList e = expected.split(u'|');
        QString path = fx->write(u"a.zip"_s, "Hello");
        const bool week = entry.endsWith(u"612.txt"_s);
        if (entry != u"-"_s)
            path = fx->writeZip(
                u"a.zip"_s, {{u"a611.txt"_s, fx->weekBytes(611, 1, 1, u"A"_s)},
                             {entry, entry == u"huge.txt"_s ? QByteArray(ZipArchive::MaxEntrySize + 1, ' ')
                                     : week                 ? fx->weekBytes(612, 30, 8, u"B"_s)
                                                            : QByteArray("Hello\r\n")}});
        if (entry.isEmpty())
            path = fx->writeZip(u"a.zip"_s, {});
        if (week) {
            QByteArray bytes = readFile(path);
            const qsizetype data = bytes.indexOf(entry.toUtf8()), directory = bytes.indexOf("PK\x01\x02");
            if (entry.startsWith(u"cut"_s))
                bytes.truncate(directory - 10);
            else
                bytes[(data + directory) / 2] = char(bytes[(data + directory) / 2] ^ 0x55);
            QVERIFY(writeFile(path, bytes));
        }
        const ImportResult r = import({path, fx->writeWeek(u"b.txt"_s, 612, 1, 1, u"B"_s)});
        QCOMPARE(int(r.status), int(ImportResult::Status::Failed));
        QCOMPARE(fx->f.lblprogress, u"Import of %1 was NOT completed.\rImport terminated."_s.arg(e[0]));
        QVERIFY2(r.detail.contains(e[1]), qPrintable(r.detail));
        QCOMPARE(fx->stored({611, 612}), e[2]);
    }

    void generatedWeeks()
    {
        // Whole weeks as the simulation writes them, across the weeks whose race numbers shift.
        const QDir data(QStringLiteral(TURF_TEST_DATA "/import/generated"));
        const ImportResult r = import({data.filePath(u"raceout578.txt"_s), data.filePath(u"raceout579.txt"_s),
                                       data.filePath(u"raceout580.txt"_s)});
        QVERIFY2(r.status == ImportResult::Status::Done, qPrintable(r.detail));
        QCOMPARE(fx->stored({578, 579, 580}), u"11/110 12/109 11/106"_s);
    }

    void commandLine()
    {
        // The answer to a stored week comes from a flag.
        const auto cli = [&](const QStringList& args, int status) {
            return runCli(fx->path(), QStringList{u"import"_s} + args, status);
        };
        QCOMPARE(cli({fx->writeWeek(u"a.txt"_s, 612, 2, 3, u"Old"_s)}, 0),
                 "Imported 2 races and 6 starts from 1 file.\n1 week imported: 612\n");
        const QString b = fx->writeWeek(u"b.txt"_s, 612, 1, 2, u"New"_s);
        QVERIFY(cli({b}, 3).contains("week 612 of b.txt is already stored"));
        cli({u"--keep"_s, b}, 3);
        QCOMPARE(fx->stored({612}), u"2/6"_s);
        cli({u"--replace"_s, b}, 0);
        QCOMPARE(fx->stored({612}), u"1/2"_s);
        TestRace race{.number = u"613.0101"_s};
        race.starts[0].odds = u"0"_s;
        QVERIFY(cli({fx->writeRaces(u"bad.txt"_s, {race})}, 1)
                    .contains("Import of bad.txt was NOT completed.\nNothing of week 613 was stored.\n"));
        for (const QStringList& args : {QStringList{},
                                        {u"--keep"_s, u"--replace"_s, u"x"_s},
                                        {u"--skip"_s, u"--keep"_s, u"x"_s},
                                        {u"--force"_s, u"x"_s}})
            cli(args, 2);
    }

    void droppedFilesAreImported()
    {
        frmmainfinder w(fx->p, fx->path(), QString());
        QVERIFY(w.Form_Load());
        w.show();
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(fx->writeWeek(u"a.txt"_s, 611, 2, 3, u"A"_s)),
                      QUrl::fromLocalFile(
                          fx->writeZip(u"b.zip"_s, {{u"b.txt"_s, fx->weekBytes(612, 1, 2, u"B"_s)}}))});
        QDragEnterEvent enter(QPoint(50, 50), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&w, &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(50, 50), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&w, &drop);
        QTRY_COMPARE(fx->stored({611, 612}), u"2/6 1/2"_s);
        QTRY_VERIFY(!w.importing());
        QCOMPARE(w.statusProgress()->textLabel()->text(), u"2 weeks imported: 611, 612"_s);
        QVERIFY(!w.statusProgress()->progressBar()->isVisible());

        // The menu's dialog offers results files first and opens where the last import chose its files, in
        // this run and the next.
        fx->p.openAnswers = {{fx->writeWeek(u"raceout613.txt"_s, 613, 1, 1, u"C"_s)}, {}};
        control<QAction>(w, "cmdimportdata")->trigger();
        QTRY_VERIFY(!w.importing());
        control<QAction>(w, "cmdimportdata")->trigger();
        const QList<Platform::FileDialog>& d = fx->p.dialogs;
        QCOMPARE(d[0].filters.value(d[0].selectedFilter),
                 u"Results files (raceout*.txt *.zip)|raceout*.txt;*.zip"_s);
        QCOMPARE(d[1].folder, fx->path());
        w.close();
        frmmainfinder next(fx->p, fx->path(), QString());
        QVERIFY(next.Form_Load());
        QCOMPARE(next.state().importFolder, fx->path());

        // Anything but local files is refused at the door.
        QMimeData text;
        text.setText(u"612"_s);
        QDragEnterEvent other(QPoint(50, 50), Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&w, &other);
        QVERIFY(!other.isAccepted());
    }

    void windowImportRunsBesideTheWindow()
    {
        // The stored week's question comes while the worker waits: the platform looks at the window then,
        // and presses the status bar's Cancel before it answers Replace.
        struct Watching : HeadlessPlatform {
            std::function<void()> onQuestion;
            QList<int> busyAtDialogs;
            Answer askChoice(const QString& text, const QList<Choice>& buttons, Answer defaultButton) override
            {
                onQuestion();
                return HeadlessPlatform::askChoice(text, buttons, defaultButton);
            }
            QStringList openFiles(const FileDialog& dialog) override
            {
                busyAtDialogs << busyDepth;
                return HeadlessPlatform::openFiles(dialog);
            }
        } p;
        import({fx->writeWeek(u"old.txt"_s, 612, 1, 1, u"O"_s)});
        frmmainfinder w(p, fx->path(), QString());
        QVERIFY(w.Form_Load());
        w.show();
        QWidget* panel = control<QWidget>(w, "searchpanel");
        QAction* menuImport = control<QAction>(w, "cmdimportdata");
        QString during;
        p.onQuestion = [&] {
            during = control<QLabel>(w, "importstatus")->text();
            QVERIFY(w.importing() && !panel->isEnabled() && !menuImport->isEnabled());
            QTest::mouseClick(control<QPushButton>(w, "cmdcancelimport"), Qt::LeftButton);
        };
        p.answers = {Platform::Answer::Yes};
        p.openAnswers = {{fx->writeWeek(u"a.txt"_s, 611, 1, 2, u"A"_s),
                          fx->writeWeek(u"b.txt"_s, 612, 1, 3, u"B"_s),
                          fx->writeWeek(u"c.txt"_s, 613, 1, 2, u"C"_s)}};
        menuImport->trigger();
        QVERIFY(w.importing() && !panel->isEnabled()); // the menu's handler returned with the import running
        QTRY_VERIFY(!w.importing());
        QCOMPARE(during, u"file 2 of 3: b.txt, 2 starts stored"_s);
        // Cancel ends it before the file being read is stored (the week it was to replace stays as it was),
        // the earlier ones kept, as the outcome says.
        QCOMPARE(w.statusProgress()->textLabel()->text(),
                 u"Import cancelled at b.txt, of which nothing was stored; 1 week imported: 611"_s);
        QCOMPARE(fx->stored({611, 612, 613}), u"1/2 1/1 0/0"_s);
        QVERIFY(panel->isEnabled() && menuImport->isEnabled());
        QVERIFY(!control<QPushButton>(w, "cmdcancelimport")->isVisible());
        QCOMPARE(p.messages.size(), 1);           // the question alone
        QCOMPARE(p.busyAtDialogs, QList<int>{0}); // no busy pointer while the player chooses

        // A replaced week is said to be; closing the window during an import (here while it asks) lets it
        // stop cleanly first. The replacement can be undone, but not during an import.
        p.onQuestion = [] {};
        p.answers = {Platform::Answer::Yes, Platform::Answer::Yes};
        w.importDropped({fx->dir.filePath(u"b.txt"_s)});
        QTRY_VERIFY(!w.importing());
        QCOMPARE(w.statusProgress()->textLabel()->text(), u"1 week replaced: 612"_s);
        QAction* undo = control<QAction>(w, "cmdundo");
        QVERIFY(undo->isEnabled());
        bool closed = true;
        p.onQuestion = [&] { closed = undo->isEnabled() || w.close() || !w.isVisible(); };
        w.importDropped(
            {fx->writeWeek(u"e.txt"_s, 612, 2, 2, u"E"_s), fx->writeWeek(u"d.txt"_s, 614, 1, 2, u"D"_s)});
        QTRY_VERIFY(!w.isVisible());
        QVERIFY(!closed);
        QCOMPARE(fx->stored({612, 614}), u"1/3 0/0"_s);
        {
            // A window that goes away while its import waits for an answer stops it without asking.
            frmmainfinder gone(p, fx->path(), QString());
            gone.importDropped({fx->dir.filePath(u"a.txt"_s)});
            QTest::qSleep(300); // the question is asked of this thread, which does not answer
        }
        QCOMPARE(fx->stored({611}), u"1/2"_s);
        QCOMPARE(p.busyDepth, 0);
    }
};

QTEST_MAIN(TestImportDriver)
#include "test_importdriver.moc"
