#include "app/finder.h"
#include "app/scriptedplatform.h"
#include "import/importdriver.h"
#include "importfixture.h"

#include <QSqlRecord>
#include <QTest>

using namespace Qt::StringLiterals;

namespace
{
const QString Question =
    u"This week has already been entered into the database.  Do you wish to over-write all old data from this week?"_s;
const QString Cancelled = u"Database import cancelled at user request."_s;
} // namespace

class TestImportDriver : public QObject
{
    Q_OBJECT
private slots:
    void countDelimiters_data();
    void countDelimiters();
    void splitAnswer_data();
    void splitAnswer();
    void importsWithProgress();
    void secondOfThreeDuplicateAnsweredNo();
    void yesReplacesOnlyThatWeek();
    void countCarriesAcrossFiles();
    void firstRaceDecidesDuplicate();
    void shortRaceNumbersAreFoundAsDuplicates();
    void brokenFileKeepsWhatWasRead();
    void missingFile();
    void cancelChangesNothing();
    void dialogRequest();
};

void TestImportDriver::countDelimiters_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QChar>("c");
    QTest::addColumn<int>("n");
    QTest::newRow("three backslashes") << u"C:\\a\\b\\c.txt"_s << QChar(u'\\') << 3;
    QTest::newRow("empty") << QString() << QChar(u'\\') << 0;
    QTest::newRow("nul") << u"a\0b\0"_s << QChar(0) << 2;
    QTest::newRow("none") << u"abc"_s << QChar(u'x') << 0;
}

void TestImportDriver::countDelimiters()
{
    QFETCH(QString, text);
    QFETCH(QChar, c);
    QFETCH(int, n);
    QCOMPARE(int(::countDelimiters(text, c)), n);
}

void TestImportDriver::splitAnswer_data()
{
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QStringList>("paths");
    QTest::newRow("one file") << u"C:\\race\\raceout612.txt"_s << u"C:\\race"_s
                              << QStringList{u"C:\\race\\raceout612.txt"_s};
    QTest::newRow("root of a drive") << u"C:\\raceout.txt"_s << u"C:\\"_s
                                     << QStringList{u"C:\\raceout.txt"_s};
    QTest::newRow("several") << u"C:\\race\0a.txt\0b.txt\0c.txt"_s << u"C:\\race"_s
                             << QStringList{u"C:\\race\\a.txt"_s, u"C:\\race\\b.txt"_s, u"C:\\race\\c.txt"_s};
    QTest::newRow("answer ending in NUL")
        << u"C:\\race\0a.txt\0"_s << u"C:\\race"_s << QStringList{u"C:\\race\\a.txt"_s};
    QTest::newRow("several in the root")
        << u"C:\\\0a.txt\0b.txt"_s << u"C:\\"_s << QStringList{u"C:\\a.txt"_s, u"C:\\b.txt"_s};
}

void TestImportDriver::splitAnswer()
{
    QFETCH(QString, answer);
    QFETCH(QString, folder);
    QFETCH(QStringList, paths);
    const ChosenFiles chosen = splitDialogAnswer(answer);
    QCOMPARE(chosen.folder, folder);
    QCOMPARE(chosen.paths(), paths);
}

void TestImportDriver::importsWithProgress()
{
    ImportFixture fx;
    const QString file = fx.writeWeek(u"w612.txt"_s, 612, 3, 2, u"Blue"_s);
    ScriptedPlatform p;
    Finder f(p, fx.path(), QString());
    const ImportResult r = importFiles(f, {file});
    QCOMPARE(int(r.status), int(ImportResult::Status::Done));
    QCOMPARE(r.races, 3);
    QCOMPARE(r.starts, qint64(6));
    QCOMPARE(p.labelTexts, (QStringList{u"lblprogress: Import in Progress..."_s, u"lblprogress: 612.0102"_s,
                                        u"lblprogress: 612.0103"_s, u"lblprogress: "_s}));
    QVERIFY(p.messages.isEmpty());
    QCOMPARE(p.busyDepth, 0);
    QVERIFY(p.busyCalls > 0);
    QCOMPARE(fx.rows(u"SELECT racenum, size FROM tblraces ORDER BY racenum"_s),
             (QStringList{u"612.0101|2"_s, u"612.0102|2"_s, u"612.0103|2"_s}));
    QCOMPARE(fx.rows(u"SELECT hname, fin FROM tblhorsedata WHERE racenum = 612.0103 ORDER BY fin"_s),
             (QStringList{u"Blue 0|1"_s, u"Blue 1|2"_s}));
}

void TestImportDriver::secondOfThreeDuplicateAnsweredNo()
{
    ImportFixture fx;
    ScriptedPlatform p;
    Finder f(p, fx.path(), QString());
    importFiles(f, {fx.writeWeek(u"old.txt"_s, 612, 2, 2, u"Old"_s)});
    p.labelTexts.clear();
    p.answers = {Platform::Answer::No};
    const ImportResult r = importFiles(f, {fx.writeWeek(u"a.txt"_s, 611, 1, 2, u"A"_s),
                                           fx.writeWeek(u"b.txt"_s, 612, 1, 3, u"B"_s),
                                           fx.writeWeek(u"c.txt"_s, 613, 1, 2, u"C"_s)});
    QCOMPARE(int(r.status), int(ImportResult::Status::Cancelled));
    QCOMPARE(r.file, u"b.txt"_s);
    QCOMPARE(p.messages, (QStringList{Question, Cancelled}));
    QCOMPARE(fx.count(u"tblhorsedata"_s, 611), 2);
    QCOMPARE(fx.count(u"tblhorsedata"_s, 612), 4);
    QCOMPARE(fx.count(u"tblraces"_s, 613), 0);
    QCOMPARE(p.busyDepth, 0);
}

void TestImportDriver::yesReplacesOnlyThatWeek()
{
    ImportFixture fx;
    ScriptedPlatform p;
    Finder f(p, fx.path(), QString());
    importFiles(f, {fx.writeWeek(u"611.txt"_s, 611, 2, 3, u"Before"_s),
                    fx.writeWeek(u"612.txt"_s, 612, 3, 3, u"Old"_s),
                    fx.writeWeek(u"613.txt"_s, 613, 2, 3, u"After"_s)});
    p.labelTexts.clear();
    p.answers = {Platform::Answer::Yes};
    const ImportResult r = importFiles(f, {fx.writeWeek(u"new.txt"_s, 612, 1, 2, u"New"_s)});
    QCOMPARE(int(r.status), int(ImportResult::Status::Done));
    QCOMPARE(p.messages, QStringList{Question});
    QCOMPARE(p.labelTexts.value(0), u"lblprogress: Deleting old records.\rPlease wait."_s);
    QCOMPARE(p.labelTexts.value(1), u"lblprogress: Import in Progress..."_s);
    QCOMPARE(
        fx.rows(
            u"SELECT DISTINCT substr(hname, 1, 3) FROM tblhorsedata WHERE racenum > 612 AND racenum < 613"_s),
        QStringList{u"New"_s});
    QCOMPARE(fx.count(u"tblraces"_s, 612), 1);
    QCOMPARE(fx.count(u"tblhorsedata"_s, 611), 6);
    QCOMPARE(fx.count(u"tblraces"_s, 611), 2);
    QCOMPARE(fx.count(u"tblhorsedata"_s, 613), 6);
    QCOMPARE(fx.count(u"tblraces"_s, 613), 2);
}

void TestImportDriver::countCarriesAcrossFiles()
{
    ImportFixture fx;
    TestRace a;
    a.conditions = u"\"All 3 year olds Non-Winner of THREE races except\""_s;
    TestRace b = a;
    b.number = u"613.0101"_s;
    b.conditions = u"\"All 3 year olds Non-Winner of a race except\""_s;
    ScriptedPlatform p;
    Finder f(p, fx.path(), QString());
    importFiles(f, {fx.write(u"a.txt"_s, resultText(resultFields({a}), Layout::OneLine)),
                    fx.write(u"b.txt"_s, resultText(resultFields({b}), Layout::OneLine))});
    QCOMPARE(fx.rows(u"SELECT restr FROM tblraces ORDER BY racenum"_s), (QStringList{u"C3x"_s, u"C3x"_s}));
    // A new import starts counting from 0 again.
    importFiles(
        f, {fx.write(u"c.txt"_s, resultText(resultFields({b}).replaceInStrings(u"613.0101"_s, u"614.0101"_s),
                                            Layout::OneLine))});
    QCOMPARE(fx.rows(u"SELECT restr FROM tblraces WHERE racenum > 614"_s), QStringList{u"C0x"_s});
}

void TestImportDriver::firstRaceDecidesDuplicate()
{
    ImportFixture fx;
    ScriptedPlatform p;
    Finder f(p, fx.path(), QString());
    TestRace later;
    later.number = u"612.0102"_s;
    importFiles(f, {fx.write(u"one.txt"_s, resultText(resultFields({later}), Layout::RecordPerLine))});
    // A file whose first race is new goes in without a question even though its second race is stored.
    TestRace first;
    const ImportResult r = importFiles(
        f, {fx.write(u"two.txt"_s, resultText(resultFields({first, later}), Layout::RecordPerLine))});
    QCOMPARE(int(r.status), int(ImportResult::Status::Done));
    QVERIFY(p.messages.isEmpty());
    QCOMPARE(fx.count(u"tblraces"_s, 612), 3);
}

void TestImportDriver::shortRaceNumbersAreFoundAsDuplicates()
{
    // A file whose races carry only track and race stores them under other keys; the same file
    // imported again must still be recognised, or its week would be stored twice.
    ImportFixture fx;
    TestRace a;
    a.number = u"5.12"_s;
    const QString file = fx.write(u"short.txt"_s, resultText(resultFields({a}), Layout::RecordPerLine));
    ScriptedPlatform p;
    Finder f(p, fx.path(), QString());
    importFiles(f, {file});
    QCOMPARE(int(importFiles(f, {file}).status), int(ImportResult::Status::Cancelled));
    QCOMPARE(p.messages, (QStringList{Question, Cancelled}));
    QCOMPARE(fx.count(u"tblraces"_s, 5), 1);
}

void TestImportDriver::brokenFileKeepsWhatWasRead()
{
    ImportFixture fx;
    TestRace a, b;
    b.number = u"612.0102"_s;
    b.starts = {TestStart{}, TestStart{}};
    QByteArray text = resultText(resultFields({a, b}), Layout::RecordPerLine);
    text.chop(QByteArray("\"*99999\"\r\n").size());
    ScriptedPlatform p;
    Finder f(p, fx.path(), QString());
    const ImportResult r =
        importFiles(f, {fx.writeWeek(u"good.txt"_s, 611, 1, 1, u"G"_s), fx.write(u"raceout612.txt"_s, text),
                        fx.writeWeek(u"later.txt"_s, 613, 1, 1, u"L"_s)});
    QCOMPARE(int(r.status), int(ImportResult::Status::Failed));
    QCOMPARE(f.lblprogress, u"Import of raceout612.txt was NOT completed.\rImport terminated."_s);
    QCOMPARE(p.labelTexts.last(), u"lblprogress: "_s + f.lblprogress);
    QVERIFY(r.detail.contains(u"end marker"_s));
    QVERIFY(p.messages.isEmpty());
    QCOMPARE(fx.count(u"tblraces"_s, 611), 1);
    QCOMPARE(fx.count(u"tblraces"_s, 612), 2);
    QCOMPARE(fx.count(u"tblhorsedata"_s, 612), 3);
    QCOMPARE(fx.count(u"tblraces"_s, 613), 0);
    QCOMPARE(p.busyDepth, 0);
}

void TestImportDriver::missingFile()
{
    ImportFixture fx;
    ScriptedPlatform p;
    Finder f(p, fx.path(), QString());
    const ImportResult r = importFiles(f, {fx.dir.filePath(u"gone.txt"_s)});
    QCOMPARE(int(r.status), int(ImportResult::Status::Failed));
    QCOMPARE(f.lblprogress, u"Import of gone.txt was NOT completed.\rImport terminated."_s);
}

void TestImportDriver::cancelChangesNothing()
{
    ImportFixture fx;
    ScriptedPlatform p;
    Finder f(p, fx.path(), QString());
    importFiles(f, {fx.writeWeek(u"w.txt"_s, 612, 1, 2, u"A"_s)});
    f.lblprogress = u"Earlier text"_s;
    p.labelTexts.clear();
    p.busyCalls = 0;
    importRaceData(f); // no answer queued: the dialog is cancelled
    QCOMPARE(f.lblprogress, u"Earlier text"_s);
    QVERIFY(p.labelTexts.isEmpty());
    QVERIFY(p.messages.isEmpty());
    QCOMPARE(p.busyDepth, 0);
    QCOMPARE(p.busyCalls, 1);
    QCOMPARE(fx.count(u"tblhorsedata"_s, 612), 2);
}

void TestImportDriver::dialogRequest()
{
    ImportFixture fx;
    ScriptedPlatform p;
    Finder f(p, fx.path(), QString());
    p.openAnswers.push_back(
        {fx.writeWeek(u"a.txt"_s, 611, 1, 1, u"A"_s), fx.writeWeek(u"b.txt"_s, 612, 1, 1, u"B"_s)});
    importRaceData(f);
    QCOMPARE(p.dialogs.size(), 1);
    const Platform::FileDialog& d = p.dialogs.first();
    QCOMPARE(d.title, u"Open"_s);
    QCOMPARE(d.filters, (QStringList{u"All Files (*.*)|*.*"_s, u"Raceout.zip Files (*.zip)|*.zip"_s}));
    QCOMPARE(d.selectedFilter, 1);
    QVERIFY(d.multiple);
    QCOMPARE(fx.count(u"tblraces"_s, 611), 1);
    QCOMPARE(fx.count(u"tblraces"_s, 612), 1);
    QCOMPARE(f.lblprogress, QString());
}

QTEST_GUILESS_MAIN(TestImportDriver)
#include "test_importdriver.moc"
