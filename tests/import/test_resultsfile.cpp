#include "import/resultsfile.h"
#include "resultsbuilder.h"

#include <QTest>

using namespace Qt::StringLiterals;

namespace
{

/** Keeps the rows in memory, as text, so that two reads can be compared whole. */
class MemorySink : public RaceSink
{
public:
    QStringList races;
    QStringList starts;
    bool addRace(const RaceRow& r) override
    {
        races << u"%1|%2|%3|%4|%5|%6|%7|%8|%9"_s.arg(key(r.racenum), r.surf, r.cond, n(r.dist), n(r.size),
                                                     n(r.purse), n(r.cprice), r.restr, r.age);
        return true;
    }
    bool addStart(const StartRow& s) override
    {
        starts << u"%1|%2|%3|%4|%5|%6|%7|%8|%9"_s.arg(QString::fromUtf8(s.hname), n(s.hid), key(s.racenum),
                                                      n(s.fin), n(s.ppos), n(s.sp), n(s.start), n(s.odds),
                                                      QString::fromUtf8(s.oname));
        return true;
    }
    static QString n(double v) { return QString::number(v); }
    static QString key(double v) { return QString::number(v, 'f', 4); }
    QString error() const override { return {}; }
};

struct ReadResult {
    bool ok = false;
    QString error;
    MemorySink sink;
    QStringList progress;
};

ReadResult readText(const QByteArray& text)
{
    ReadResult r;
    FieldReader fields(std::string_view(text.constData(), size_t(text.size())));
    ResultsReader reader(fields);
    RaceClassifier classifier;
    r.ok = reader.readOpening() &&
           reader.readRaces(classifier, r.sink, [&](const QString& t) { r.progress << t; });
    r.error = reader.error();
    return r;
}

ReadResult read(const QList<TestRace>& races, Layout layout = Layout::RecordPerLine)
{
    return readText(resultText(resultFields(races), layout));
}

/** The text with its last `from` made `to`. */
QByteArray replacedLast(QByteArray text, const QByteArray& from, const QByteArray& to)
{
    return text.replace(text.lastIndexOf(from), from.size(), to);
}

} // namespace

class TestResultsFile : public QObject
{
    Q_OBJECT
private slots:
    void values_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("expected"); // empty when the value is refused
        const auto row = [](const char* title, const char* kind, const char* input, const char* expected) {
            QTest::newRow(title) << QString::fromUtf8(kind) << QString::fromUtf8(input)
                                 << QString::fromUtf8(expected);
        };
        // Race numbers, stored in the file's week: "number@week". Common values are read in the other tests.
        row("usual", "race", "612.0507@612", "612.0507");
        row("below 26", "race", "5.12@612", "612.125");
        row("week 586 shift", "race", "587.0203@586", "586.0204");
        row("whole number", "race", "612@612", "");
        row("huge", "race", "1e20@612", "");
        row("purse decimals half even", "purse", "$12,500.50", "12500");
        row("purse drops any first character", "purse", "12500", "2500");
        row("purse empty", "purse", "", "");
        row("purse too large", "purse", "$9,999,999,999", "");
        row("claiming three characters", "claiming", "$50", "0");
        row("odds 0.41 exact", "odds", "0.41", "1");
        row("odds 0.075 cut", "odds", "0.075", "9.9");
        row("odds 0.82 raised", "odds", "0.82", "0.1");
        row("odds overflow", "odds", "1e-320", "");
    }

    void values()
    {
        QFETCH(QString, kind);
        QFETCH(QString, input);
        QFETCH(QString, expected);
        const double v = input.section(u'@', 0, 0).toDouble();
        const int week = input.section(u'@', 1).toInt();
        const auto text = [](auto r, int decimals = 6) {
            return r ? QString::number(*r, 'g', decimals) : QString();
        };
        QString got;
        if (kind == u"race"_s)
            got = text(ResultValues::storedRaceNumber(v, week), 10);
        else if (kind == u"odds"_s)
            got = text(ResultValues::odds(v));
        else
            got = text(kind == u"purse"_s ? ResultValues::purse(input) : ResultValues::claimingPrice(input));
        QCOMPARE(got, expected);
    }

    void startValues_data()
    {
        QTest::addColumn<TestStart>("in");
        QTest::addColumn<QString>("row"); // hname|hid|racenum|fin|ppos|sp|start|odds|oname
        const auto row = [](const char* title, const TestStart& in, const char* rest) {
            QTest::newRow(title) << in << u"Blue Moon|"_s + QString::fromUtf8(rest) + u"|Acme Stables"_s;
        };
        row("d1 = 9 adds 49", TestStart{.id = u"912345"_s, .post = u"-47"_s},
            "912345|612.0101|1|2|84|50|0.6");
        row("d1 = 1 adds 50", TestStart{}, "1234|612.0101|1|2|77|50|0.6");
        row("sp two decimals",
            TestStart{
                .id = u"1237"_s, .speed = u"98.456"_s, .start = u"1"_s, .odds = u"0.25"_s, .post = u"0"_s},
            "1237|612.0101|1|50|92.46|100|2.2");
        row("start half to even", TestStart{.id = u"5"_s, .start = u"0.125"_s, .post = u"0"_s},
            "5|612.0101|1|54|80|12|0.6");
        row("empty numbers are 0", TestStart{.id = u"3"_s, .speed = u""_s, .start = u""_s, .post = u""_s},
            "3|612.0101|1|52|0|0|0.6");
        QTest::newRow("quoted owner with comma, name cut to 25")
            << TestStart{.name = u"\"The Longest Name In The Whole Field\""_s,
                         .owner = u"\"Smith, Jones & Co\""_s}
            << u"The Longest Name In The W|1234|612.0101|1|2|77|50|0.6|Smith, Jones & Co"_s;
    }

    void startValues()
    {
        QFETCH(TestStart, in);
        QFETCH(QString, row);
        TestRace race;
        race.starts = {in};
        const ReadResult r = read({race});
        QVERIFY2(r.ok, qPrintable(r.error));
        QCOMPARE(r.sink.starts, QStringList{row});
    }

    void layoutsStoreIdenticalRows()
    {
        TestRace a, b;
        a.starts = {TestStart{}, TestStart{.id = u"912"_s,
                                           .speed = u"77.5"_s,
                                           .start = u"0.3"_s,
                                           .odds = u"0.2"_s,
                                           .post = u"-45"_s,
                                           .owner = u"\"Smith, Jones\""_s}};
        b.number = u"612.0102"_s;
        b.type = u"\"Allowance\""_s;
        b.conditions = u"\"All 3 year olds Non-Winner of TWO except in 6 months\""_s;
        b.starts = {TestStart{}, TestStart{}, TestStart{}};
        const ReadResult byRecord = read({a, b}, Layout::RecordPerLine);
        QVERIFY2(byRecord.ok, qPrintable(byRecord.error));
        QCOMPARE(byRecord.sink.starts.size(), 5);
        // Line feeds alone, and a trailing comma at each line end, change nothing either.
        const QByteArray lineFeeds =
            resultText(resultFields({a, b}), Layout::RecordPerLine).replace("\r\n", ",\n");
        for (const QByteArray& text : {resultText(resultFields({a, b}), Layout::OneLine),
                                       resultText(resultFields({a, b}), Layout::FieldPerLine), lineFeeds}) {
            const ReadResult other = readText(text);
            QVERIFY2(other.ok, qPrintable(other.error));
            QCOMPARE(other.sink.races, byRecord.sink.races);
            QCOMPARE(other.sink.starts, byRecord.sink.starts);
        }
    }

    void raceRowAndCodes()
    {
        const TestRace a{
            .surface = u"\"Turf\""_s,
            .condition = u"\"Yielding\""_s,
            .distance = u"8.5"_s,
            .type = u"\"Allowance\""_s,
            .claiming = u"\"($7,500)\""_s,
            .purse = u"\"$22,000\""_s,
            .conditions =
                u"\"All 3 year olds and up Non-Winner of TWO races except claiming in 6 months\""_s};
        const TestRace b{.number = u"612.0102"_s,
                         .claiming = u"-"_s,
                         .conditions = u"\"Fillies 2 year olds Non-Winner Lifetime\""_s};
        const ReadResult r = read({a, b});
        QVERIFY2(r.ok, qPrintable(r.error));
        // The count of the first race carries to the second, which names none.
        QCOMPARE(r.sink.races, (QStringList{u"612.0101|T|Y|8.5|1|22000|7500|A2s|O-3+"_s,
                                            u"612.0102|D|F|6|1|10000|0|C2L|F-2"_s}));
    }

    void wholeFiles_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>(
            "expected"); // the stored race keys, the progress texts, the number of starts
        const auto races = [](const QStringList& numbers, Layout layout = Layout::RecordPerLine) {
            QList<TestRace> list(numbers.size());
            for (qsizetype i = 0; i < list.size(); ++i)
                list[i].number = numbers[i];
            return resultText(resultFields(list), layout);
        };
        QTest::newRow("later week and numbers below 26 stored in the file's week")
            << races({u"612.0101"_s, u"613.0202"_s, u"5.12"_s})
            << "612.0101 612.0202 612.1250 / 612.0202 612.1200 / 3";
        QTest::newRow("empty race number ends quietly")
            << replacedLast(races({u"612.0101"_s, QString(), u"612.0103"_s}), "\"$10,000\"",
                            "\"not a purse\"")
            << "612.0101 / 612.0000 / 1";
        QTest::newRow("text after the marker never read")
            << races({u"612.0101"_s}) + "613.0101,\"x\",\"Dirt\",\"Fast\",abc,\"open quote\r\n"
            << "612.0101 /  / 1";
        QTest::newRow("marker as the last bytes")
            << races({u"612.0101"_s}, Layout::OneLine).chopped(2) << "612.0101 /  / 1";
    }

    void wholeFiles()
    {
        QFETCH(QByteArray, text);
        QFETCH(QString, expected);
        const ReadResult r = readText(text);
        QVERIFY2(r.ok, qPrintable(r.error));
        QStringList keys;
        for (const QString& race : r.sink.races)
            keys << race.section(u'|', 0, 0);
        QCOMPARE(u"%1 / %2 / %3"_s.arg(keys.join(u' '), r.progress.join(u' ')).arg(r.sink.starts.size()),
                 expected);
        for (const QString& s : r.sink.starts) // every start under its race's key
            QVERIFY2(keys.contains(s.section(u'|', 2, 2)), qPrintable(s));
    }

    void broken_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<int>("racesKept");
        QTest::addColumn<QString>("error");
        TestRace good, second;
        good.starts = {TestStart{}, TestStart{}};
        second.number = u"612.0102"_s;
        const QByteArray file = resultText(resultFields({good, second}), Layout::RecordPerLine);
        // The file with the last `from` (in the second race) made `to`.
        const auto bad = [&](const char* title, const QByteArray& from, const QByteArray& to, int kept,
                             const char* error) {
            QTest::newRow(title) << replacedLast(file, from, to) << kept << QString::fromUtf8(error);
        };
        bad("no marker", "\"*99999\"\r\n", "", 2, "ends before its end marker");
        bad("unterminated quote", "\"*99999\"", "\"*99999", 2, "no closing quote");
        bad("purse not an amount", "\"$10,000\"", "\"$abc\"", 1, "purse");
        bad("odds base 0", "0.5,-48", "0,-48", 2, "odds");
        bad("whole race number", "612.0102,", "700,", 1, "race number");
        // Keys whose decimals round away would sit outside the week's band, out of reach of removal.
        bad("key rounds down to the week", "612.0102,", "612.00001,", 1,
            "612.0000, which lies outside week 612");
        bad("key rounds up to the next week", "612.0102,", "612.99999,", 1, "outside week 612");
        bad("horse number too large", "1234,80", "3000000000,80", 2, "horse number");
        bad("speed not a number", "1234,80,", "1234,fast,", 2, "speed figure");
        bad("distance too large", "\"Fast\",6,1", "\"Fast\",1e300,1", 1, "distance");
        bad("year too early", "\"All 3 year olds and up\"", "\"year olds\"", 1, "year");
        bad("ignored start value not a number", ",1,2,3,4,5,6,", ",1,2,x,4,5,6,", 2, "start value");
        QByteArray cut = resultText(resultFields({good, second}), Layout::OneLine);
        cut.truncate(cut.lastIndexOf(',', cut.indexOf("612.0102") + 130) + 1);
        QTest::newRow("cut in a start record") << cut << 2 << u"ends before"_s;
        QTest::newRow("empty file") << QByteArray() << 0 << u"ends before"_s;
        QTest::newRow("first key outside its week")
            << replacedLast(file, "612.0101,", "612.00001,") << 0 << u"outside week 612"_s;
        // As a fuzzer found it: the huge number reached an unchecked float-to-integer conversion.
        QTest::newRow("fuzzer reproducer")
            << QByteArray::fromHex(
                   "612c620a312c782c442c462c362c302c780a416c772c2d2c782c24312c416c6c0a780a2d316538382c"
                   "782c442c462c362c302c780a416c772c2d2c782c24312c416c6c0a")
            << 1 << u"the race number -1e+88 is not a race key"_s;
        good.number = u"40000.0101"_s;
        QTest::newRow("week too large")
            << resultText(resultFields({good}), Layout::OneLine) << 0 << u"week"_s;
    }

    void broken()
    {
        QFETCH(QByteArray, text);
        QFETCH(int, racesKept);
        QFETCH(QString, error);
        const ReadResult r = readText(text);
        QVERIFY(!r.ok);
        QVERIFY2(r.error.contains(error), qPrintable(r.error));
        QCOMPARE(r.sink.races.size(), racesKept);
    }
};

QTEST_GUILESS_MAIN(TestResultsFile)
#include "test_resultsfile.moc"
