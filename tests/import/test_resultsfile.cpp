#include "import/resultsfile.h"
#include "resultsbuilder.h"

#include <QTest>

#include <functional>

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

TestStart start(const QString& id, const QString& speed, const QString& st, const QString& odds,
                const QString& post)
{
    TestStart s;
    s.id = id;
    s.speed = speed;
    s.start = st;
    s.odds = odds;
    s.post = post;
    return s;
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
        // Race numbers, stored in the file's week: "number@week".
        row("usual", "race", "612.0507@612", "612.0507");
        row("later week", "race", "613.0507@612", "612.0507");
        row("below 26", "race", "5.12@612", "612.125");
        row("below 26 whole", "race", "5@612", "612.55");
        row("week 579 shift", "race", "580.0507@579", "579.0508");
        row("week 586 shift", "race", "587.0203@586", "586.0204");
        row("whole number", "race", "612@612", "");
        row("negative", "race", "-5.12@612", "");
        row("huge", "race", "1e20@612", "");
        row("progress text, later week", "progress", "613.0508@612", "612.0508");
        row("progress text, below 26", "progress", "5.12@612", "612.1200");
        row("progress text, 0", "progress", "0@612", "612.0000");
        row("purse", "purse", "$12,500", "12500");
        row("purse decimals half even", "purse", "$12,500.50", "12500");
        row("purse drops any first character", "purse", "12500", "2500");
        row("purse empty", "purse", "", "");
        row("purse text", "purse", "$abc", "");
        row("purse too large", "purse", "$9,999,999,999", "");
        row("claiming", "claiming", "$5,000", "5000");
        row("claiming in parentheses", "claiming", "($5,000)", "5000");
        row("claiming 0", "claiming", "0", "0");
        row("claiming dash", "claiming", "-", "0");
        row("claiming three characters", "claiming", "$50", "0");
        row("claiming word", "claiming", "None", "");
        row("odds 0.25", "odds", "0.25", "2.2");
        row("odds 0.5", "odds", "0.5", "0.6");
        row("odds 0.41 exact", "odds", "0.41", "1");
        row("odds 0.075 cut", "odds", "0.075", "9.9");
        row("odds 0.82 raised", "odds", "0.82", "0.1");
        row("odds above 0.82 raised", "odds", "1.5", "0.1");
        row("odds 0", "odds", "0", "");
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
        else if (kind == u"progress"_s)
            got = ResultValues::progressText(week, v);
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
        QTest::newRow("d1 = 9 adds 49") << start(u"912345"_s, u"80"_s, u"0.5"_s, u"0.5"_s, u"-47"_s)
                                        << u"Blue Moon|912345|612.0101|1|2|84|50|0.6|Acme Stables"_s;
        QTest::newRow("d1 = 1 adds 50") << start(u"1234"_s, u"80"_s, u"0.5"_s, u"0.5"_s, u"-48"_s)
                                        << u"Blue Moon|1234|612.0101|1|2|77|50|0.6|Acme Stables"_s;
        QTest::newRow("sp two decimals") << start(u"1237"_s, u"98.456"_s, u"1"_s, u"0.25"_s, u"0"_s)
                                         << u"Blue Moon|1237|612.0101|1|50|92.46|100|2.2|Acme Stables"_s;
        QTest::newRow("start half to even") << start(u"5"_s, u"80"_s, u"0.125"_s, u"0.5"_s, u"0"_s)
                                            << u"Blue Moon|5|612.0101|1|54|80|12|0.6|Acme Stables"_s;
        QTest::newRow("post half to even") << start(u"2"_s, u"80"_s, u"1"_s, u"0.5"_s, u"0.5"_s)
                                           << u"Blue Moon|2|612.0101|1|52|80|100|0.6|Acme Stables"_s;
        QTest::newRow("empty numbers are 0") << start(u"3"_s, u""_s, u""_s, u"0.5"_s, u""_s)
                                             << u"Blue Moon|3|612.0101|1|52|0|0|0.6|Acme Stables"_s;
        TestStart quoted = start(u"1234"_s, u"80"_s, u"0.5"_s, u"0.5"_s, u"-48"_s);
        quoted.owner = u"\"Smith, Jones & Co\""_s;
        quoted.name = u"\"The Longest Name In The Whole Field\""_s;
        QTest::newRow("quoted owner with comma, name cut to 25")
            << quoted << u"The Longest Name In The W|1234|612.0101|1|2|77|50|0.6|Smith, Jones & Co"_s;
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
        TestRace a;
        a.starts = {TestStart{}, start(u"912"_s, u"77.5"_s, u"0.3"_s, u"0.2"_s, u"-45"_s)};
        a.starts[1].owner = u"\"Smith, Jones\""_s;
        TestRace b;
        b.number = u"612.0102"_s;
        b.type = u"\"Allowance\""_s;
        b.conditions = u"\"All 3 year olds Non-Winner of TWO except in 6 months\""_s;
        b.starts = {TestStart{}, TestStart{}, TestStart{}};
        const ReadResult byRecord = read({a, b}, Layout::RecordPerLine);
        QVERIFY2(byRecord.ok, qPrintable(byRecord.error));
        QCOMPARE(byRecord.sink.starts.size(), 5);
        for (Layout layout : {Layout::OneLine, Layout::FieldPerLine}) {
            const ReadResult other = read({a, b}, layout);
            QVERIFY2(other.ok, qPrintable(other.error));
            QCOMPARE(other.sink.races, byRecord.sink.races);
            QCOMPARE(other.sink.starts, byRecord.sink.starts);
        }
        // Line feeds alone, and a trailing comma at each line end, change nothing either.
        QByteArray lf = resultText(resultFields({a, b}), Layout::RecordPerLine);
        lf.replace("\r\n", ",\n");
        const ReadResult lineFeeds = readText(lf);
        QVERIFY2(lineFeeds.ok, qPrintable(lineFeeds.error));
        QCOMPARE(lineFeeds.sink.starts, byRecord.sink.starts);
    }

    void raceRowAndCodes()
    {
        TestRace a;
        a.surface = u"\"Turf\""_s;
        a.condition = u"\"Yielding\""_s;
        a.distance = u"8.5"_s;
        a.type = u"\"Allowance\""_s;
        a.claiming = u"\"($7,500)\""_s;
        a.purse = u"\"$22,000\""_s;
        a.conditions = u"\"All 3 year olds and up Non-Winner of TWO races except claiming in 6 months\""_s;
        TestRace b;
        b.number = u"612.0102"_s;
        b.type = u"\"Claiming\""_s;
        b.claiming = u"-"_s;
        b.conditions = u"\"Fillies 2 year olds Non-Winner Lifetime\""_s;
        const ReadResult r = read({a, b});
        QVERIFY2(r.ok, qPrintable(r.error));
        // The count of the first race carries to the second, which names none.
        QCOMPARE(r.sink.races, (QStringList{u"612.0101|T|Y|8.5|1|22000|7500|A2s|O-3+"_s,
                                            u"612.0102|D|F|6|1|10000|0|C2L|F-2"_s}));
        QCOMPARE(r.progress, QStringList{u"612.0102"_s});
    }

    void laterWeekKeepsFileWeek()
    {
        TestRace a, b, c;
        b.number = u"613.0202"_s;
        c.number = u"5.12"_s;
        const ReadResult r = read({a, b, c});
        QVERIFY2(r.ok, qPrintable(r.error));
        QCOMPARE(r.sink.races.size(), 3);
        QVERIFY(r.sink.races[1].startsWith(u"612.0202|"_s));
        QVERIFY(r.sink.races[2].startsWith(u"612.1250|"_s));
        QCOMPARE(r.progress, (QStringList{u"612.0202"_s, u"612.1200"_s}));

        a.number = u"579.0101"_s;
        b.number = u"580.0507"_s;
        const ReadResult shifted = read({a, b});
        QVERIFY2(shifted.ok, qPrintable(shifted.error));
        QVERIFY(shifted.sink.races[1].startsWith(u"579.0508|"_s));
        QVERIFY(shifted.sink.starts[1].contains(u"|579.0508|"_s));
    }

    void emptyRaceNumberEndsQuietly()
    {
        TestRace a, b, c;
        b.number = QString();
        b.purse = u"\"not read as a purse\""_s;
        const ReadResult r = read({a, b, c});
        QVERIFY2(r.ok, qPrintable(r.error));
        QCOMPARE(r.sink.races.size(), 1);
        QCOMPARE(r.sink.starts.size(), 1);
    }

    void nothingAfterMarkerIsRead()
    {
        QByteArray text = resultText(resultFields({TestRace{}}), Layout::RecordPerLine);
        text += "613.0101,\"x\",\"Dirt\",\"Fast\",abc,\"open quote\r\n";
        const ReadResult r = readText(text);
        QVERIFY2(r.ok, qPrintable(r.error));
        QCOMPARE(r.sink.races.size(), 1);
        // The marker as the very last bytes, with no line end.
        QByteArray bare = resultText(resultFields({TestRace{}}), Layout::OneLine);
        bare.chop(2);
        QVERIFY(readText(bare).ok);
    }

    void broken_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<int>("racesKept");
        QTest::addColumn<QString>("error");

        TestRace good;
        good.starts = {TestStart{}, TestStart{}};
        const auto file = [&](TestRace second) {
            return resultText(resultFields({good, second}), Layout::RecordPerLine);
        };
        TestRace r;
        r.number = u"612.0102"_s;

        QByteArray noMarker = resultText(resultFields({good, r}), Layout::RecordPerLine);
        noMarker.chop(QByteArray("\"*99999\"\r\n").size());
        QTest::newRow("no marker") << noMarker << 2 << u"ends before its end marker"_s;
        QByteArray cut = resultText(resultFields({good, r}), Layout::OneLine);
        cut.truncate(cut.lastIndexOf(',', cut.indexOf("612.0102") + 130) + 1);
        QTest::newRow("cut in a start record") << cut << 2 << u"ends before"_s;
        QTest::newRow("empty file") << QByteArray() << 0 << u"ends before"_s;
        QByteArray open = resultText(resultFields({good, r}), Layout::RecordPerLine);
        open.replace("\"*99999\"", "\"*99999");
        QTest::newRow("unterminated quote") << open << 2 << u"no closing quote"_s;

        // The second race, changed by `change`.
        const auto second = [&](const std::function<void(TestRace&)>& change) {
            TestRace t = r;
            change(t);
            return file(t);
        };
        QTest::newRow("purse not an amount")
            << second([](TestRace& t) { t.purse = u"\"$abc\""_s; }) << 1 << u"purse"_s;
        QTest::newRow("claiming not an amount")
            << second([](TestRace& t) { t.claiming = u"\"$5,OOO\""_s; }) << 1 << u"claiming price"_s;
        QTest::newRow("odds base 0") << second([](TestRace& t) { t.starts[0].odds = u"0"_s; }) << 2
                                     << u"odds"_s;
        QTest::newRow("whole race number")
            << second([](TestRace& t) { t.number = u"700"_s; }) << 1 << u"race number"_s;
        QTest::newRow("race number text")
            << second([](TestRace& t) { t.number = u"x612"_s; }) << 1 << u"race number"_s;
        QTest::newRow("horse number too large")
            << second([](TestRace& t) { t.starts[0].id = u"3000000000"_s; }) << 2 << u"horse number"_s;
        QTest::newRow("post too large")
            << second([](TestRace& t) { t.starts[0].post = u"40000"_s; }) << 2 << u"post"_s;
        QTest::newRow("start too large")
            << second([](TestRace& t) { t.starts[0].start = u"400"_s; }) << 2 << u"start figure"_s;
        QTest::newRow("speed not a number")
            << second([](TestRace& t) { t.starts[0].speed = u"fast"_s; }) << 2 << u"speed figure"_s;
        QTest::newRow("distance too large")
            << second([](TestRace& t) { t.distance = u"1e300"_s; }) << 1 << u"distance"_s;
        QTest::newRow("year too early")
            << second([](TestRace& t) { t.conditions = u"\"year olds\""_s; }) << 1 << u"year"_s;
        QTest::newRow("CPU value without comma") << second([](TestRace& t) {
            t.type = u"\"Allowance\""_s;
            t.conditions = u"\"All CPU value max 5\""_s;
        }) << 1 << u"comma"_s;

        QByteArray size = file(r);
        size.replace("612.0102,\"R\",\"Dirt\",\"Fast\",6,1", "612.0102,\"R\",\"Dirt\",\"Fast\",6,40000");
        QTest::newRow("field size too large") << size << 1 << u"field size"_s;
        QByteArray ignored = file(r);
        ignored.replace(",1,2,3,4,5,6,", ",1,2,x,4,5,6,");
        QTest::newRow("ignored start value not a number") << ignored << 1 << u"start value"_s;
        TestRace week = good;
        week.number = u"40000.0101"_s;
        QTest::newRow("week too large")
            << resultText(resultFields({week}), Layout::OneLine) << 0 << u"week"_s;
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
