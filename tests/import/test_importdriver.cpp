#include "import/importdriver.h"
#include "importfixture.h"
#include "openhandles.h"

#include <QTest>

#include <deque>
#include <memory>

namespace
{
const QString Question =
    u"This week has already been entered into the database.  Do you wish to over-write all old data from this week?"_s;
const QString Cancelled = u"Database import cancelled at user request."_s;
const QString Progress = u"lblprogress: Import in Progress..."_s;
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
        QCOMPARE(r.races, 3);
        QCOMPARE(r.starts, qint64(6));
        QCOMPARE(fx->p.labelTexts, (QStringList{Progress, u"lblprogress: 612.0102"_s,
                                                u"lblprogress: 612.0103"_s, u"lblprogress: "_s}));
        QVERIFY(fx->p.messages.isEmpty());
        QCOMPARE(fx->stored({612}), u"3/6"_s);
        QCOMPARE(fx->rows(u"SELECT hname, fin FROM tblhorsedata WHERE racenum = 612.0103 ORDER BY fin"_s),
                 (QStringList{u"Blue 0|1"_s, u"Blue 1|2"_s}));
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
        QCOMPARE(fx->p.messages, (QStringList{Question, Cancelled}));
        QCOMPARE(fx->stored({611, 612, 613}), u"1/2 2/4 0/0"_s);
    }

    void yesReplacesOnlyThatWeek()
    {
        import({fx->writeWeek(u"611.txt"_s, 611, 2, 3, u"Before"_s),
                fx->writeWeek(u"612.txt"_s, 612, 3, 3, u"Old"_s),
                fx->writeWeek(u"613.txt"_s, 613, 2, 3, u"After"_s)});
        const ImportResult r =
            import({fx->writeWeek(u"new.txt"_s, 612, 1, 2, u"New"_s)}, {Platform::Answer::Yes});
        QCOMPARE(int(r.status), int(ImportResult::Status::Done));
        QCOMPARE(fx->p.messages, QStringList{Question});
        QCOMPARE(fx->p.labelTexts.mid(0, 2),
                 (QStringList{u"lblprogress: Deleting old records.\rPlease wait."_s, Progress}));
        QCOMPARE(
            fx->rows(
                u"SELECT DISTINCT hname FROM tblhorsedata WHERE racenum > 612 AND racenum < 613 ORDER BY 1"_s),
            (QStringList{u"New 0"_s, u"New 1"_s}));
        QCOMPARE(fx->stored({611, 612, 613}), u"2/6 1/2 2/6"_s);
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
        TestRace first, later;
        later.number = u"612.0102"_s;
        import({fx->writeRaces(u"one.txt"_s, {later})});
        // A file whose first race is new goes in without a question even though its second race is stored.
        const ImportResult r = import({fx->writeRaces(u"two.txt"_s, {first, later})});
        QCOMPARE(int(r.status), int(ImportResult::Status::Done));
        QVERIFY(fx->p.messages.isEmpty());
        QCOMPARE(fx->stored({612}), u"3/3"_s);
    }

    void shortRaceNumbersAreFoundAsDuplicates()
    {
        // A file whose races carry only track and race stores them under other keys; the same file
        // imported again must still be recognised, or its week would be stored twice.
        TestRace a;
        a.number = u"5.12"_s;
        const QString file = fx->writeRaces(u"short.txt"_s, {a});
        import({file});
        QCOMPARE(int(import({file}).status), int(ImportResult::Status::Cancelled));
        QCOMPARE(fx->p.messages, (QStringList{Question, Cancelled}));
        QCOMPARE(fx->stored({5}), u"1/1"_s);
    }

    void brokenOrMissingFileKeepsWhatWasRead()
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
        QCOMPARE(fx->f.lblprogress, u"Import of raceout612.txt was NOT completed.\rImport terminated."_s);
        QCOMPARE(fx->p.labelTexts.last(), u"lblprogress: "_s + fx->f.lblprogress);
        QVERIFY(r.detail.contains(u"end marker"_s));
        QVERIFY(fx->p.messages.isEmpty());
        QCOMPARE(fx->stored({611, 612, 613}), u"1/1 2/3 0/0"_s);

        QCOMPARE(int(import({fx->dir.filePath(u"gone.txt"_s)}).status), int(ImportResult::Status::Failed));
        QCOMPARE(fx->f.lblprogress, u"Import of gone.txt was NOT completed.\rImport terminated."_s);
    }

    void dialogAnsweredAndCancelled()
    {
        fx->p.openAnswers.push_back(
            {fx->writeWeek(u"a.txt"_s, 611, 1, 1, u"A"_s), fx->writeWeek(u"b.txt"_s, 612, 1, 2, u"B"_s)});
        importRaceData(fx->f);
        QCOMPARE(fx->p.dialogs.size(), 1);
        const Platform::FileDialog& d = fx->p.dialogs.first();
        QCOMPARE(d.title, u"Open"_s);
        QCOMPARE(d.filters, (QStringList{u"All Files (*.*)|*.*"_s, u"Raceout.zip Files (*.zip)|*.zip"_s}));
        QCOMPARE(d.selectedFilter, 1);
        QVERIFY(d.multiple);
        QCOMPARE(fx->stored({611, 612}), u"1/1 1/2"_s);
        QCOMPARE(fx->f.lblprogress, QString());

        // No answer queued: the dialog is cancelled, and nothing changes or shows.
        fx->f.lblprogress = u"Earlier text"_s;
        fx->p.labelTexts.clear();
        importRaceData(fx->f);
        QCOMPARE(fx->f.lblprogress, u"Earlier text"_s);
        QVERIFY(fx->p.labelTexts.isEmpty() && fx->p.messages.isEmpty());
        QCOMPARE(fx->stored({611, 612}), u"1/1 1/2"_s);
    }
};

QTEST_GUILESS_MAIN(TestImportDriver)
#include "test_importdriver.moc"
