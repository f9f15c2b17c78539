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
        races << u"%1|%2|%3|%4|%5|%6|%7|%8|%9"_s.arg(r.racenum, 0, 'f', 4)
                     .arg(r.surf, r.cond)
                     .arg(r.dist)
                     .arg(r.size)
                     .arg(r.purse)
                     .arg(r.cprice)
                     .arg(r.restr, r.age);
        return true;
    }
    bool addStart(const StartRow& s) override
    {
        starts << u"%1|%2|%3|%4|%5|%6|%7|%8|%9"_s.arg(QString::fromUtf8(s.hname))
                      .arg(s.hid)
                      .arg(s.racenum, 0, 'f', 4)
                      .arg(s.fin)
                      .arg(s.ppos)
                      .arg(s.sp)
                      .arg(s.start)
                      .arg(s.odds)
                      .arg(QString::fromUtf8(s.oname));
        return true;
    }
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
    void storedRaceNumber_data();
    void storedRaceNumber();
    void amounts_data();
    void amounts();
    void odds_data();
    void odds();
    void progressText();
    void startValues_data();
    void startValues();
    void layoutsStoreIdenticalRows();
    void raceRowAndCodes();
    void laterWeekKeepsFileWeek();
    void emptyRaceNumberEndsQuietly();
    void nothingAfterMarkerIsRead();
    void broken_data();
    void broken();
};

void TestResultsFile::storedRaceNumber_data()
{
    QTest::addColumn<double>("v");
    QTest::addColumn<int>("week");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QString>("key");
    QTest::newRow("usual") << 612.0507 << 612 << true << u"612.0507"_s;
    QTest::newRow("later week") << 613.0507 << 612 << true << u"612.0507"_s;
    QTest::newRow("below 26") << 5.12 << 612 << true << u"612.1250"_s;
    QTest::newRow("below 26 whole") << 5.0 << 612 << true << u"612.5500"_s;
    QTest::newRow("week 579 shift") << 580.0507 << 579 << true << u"579.0508"_s;
    QTest::newRow("week 586 shift") << 587.0203 << 586 << true << u"586.0204"_s;
    QTest::newRow("whole number") << 612.0 << 612 << false << QString();
    QTest::newRow("negative") << -5.12 << 612 << false << QString();
    QTest::newRow("huge") << 1e20 << 612 << false << QString();
}

void TestResultsFile::storedRaceNumber()
{
    QFETCH(double, v);
    QFETCH(int, week);
    QFETCH(bool, ok);
    QFETCH(QString, key);
    const auto r = ResultValues::storedRaceNumber(v, week);
    QCOMPARE(r.has_value(), ok);
    if (ok)
        QCOMPARE(QString::number(*r, 'f', 4), key);
}

void TestResultsFile::amounts_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("claiming");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<int>("value");
    QTest::newRow("purse") << u"$12,500"_s << false << true << 12500;
    QTest::newRow("purse decimals half even") << u"$12,500.50"_s << false << true << 12500;
    QTest::newRow("purse drops any first character") << u"12500"_s << false << true << 2500;
    QTest::newRow("purse empty") << u""_s << false << false << 0;
    QTest::newRow("purse text") << u"$abc"_s << false << false << 0;
    QTest::newRow("purse too large") << u"$9,999,999,999"_s << false << false << 0;
    QTest::newRow("claiming") << u"$5,000"_s << true << true << 5000;
    QTest::newRow("claiming in parentheses") << u"($5,000)"_s << true << true << 5000;
    QTest::newRow("claiming 0") << u"0"_s << true << true << 0;
    QTest::newRow("claiming dash") << u"-"_s << true << true << 0;
    QTest::newRow("claiming three characters") << u"$50"_s << true << true << 0;
    QTest::newRow("claiming word") << u"None"_s << true << false << 0;
}

void TestResultsFile::amounts()
{
    QFETCH(QString, text);
    QFETCH(bool, claiming);
    QFETCH(bool, ok);
    QFETCH(int, value);
    const auto r = claiming ? ResultValues::claimingPrice(text) : ResultValues::purse(text);
    QCOMPARE(r.has_value(), ok);
    if (ok)
        QCOMPARE(*r, value);
}

void TestResultsFile::odds_data()
{
    QTest::addColumn<double>("base");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<double>("odds");
    QTest::newRow("0.25") << 0.25 << true << 2.2;
    QTest::newRow("0.5") << 0.5 << true << 0.6;
    QTest::newRow("0.41 exact") << 0.41 << true << 1.0;
    QTest::newRow("0.075 cut") << 0.075 << true << 9.9;
    QTest::newRow("0.82 raised") << 0.82 << true << 0.1;
    QTest::newRow("above 0.82 raised") << 1.5 << true << 0.1;
    QTest::newRow("0") << 0.0 << false << 0.0;
    QTest::newRow("overflows") << 1e-320 << false << 0.0;
}

void TestResultsFile::odds()
{
    QFETCH(double, base);
    QFETCH(bool, ok);
    QFETCH(double, odds);
    const auto r = ResultValues::odds(base);
    QCOMPARE(r.has_value(), ok);
    if (ok)
        QCOMPARE(*r, odds);
}

void TestResultsFile::progressText()
{
    QCOMPARE(ResultValues::progressText(612, 613.0508), u"612.0508"_s);
    QCOMPARE(ResultValues::progressText(612, 5.12), u"612.1200"_s);
    QCOMPARE(ResultValues::progressText(612, 0), u"612.0000"_s);
}

void TestResultsFile::startValues_data()
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

void TestResultsFile::startValues()
{
    QFETCH(TestStart, in);
    QFETCH(QString, row);
    TestRace race;
    race.starts = {in};
    const ReadResult r = read({race});
    QVERIFY2(r.ok, qPrintable(r.error));
    QCOMPARE(r.sink.starts, QStringList{row});
}

void TestResultsFile::layoutsStoreIdenticalRows()
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

void TestResultsFile::raceRowAndCodes()
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

void TestResultsFile::laterWeekKeepsFileWeek()
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

void TestResultsFile::emptyRaceNumberEndsQuietly()
{
    TestRace a, b, c;
    b.number = QString();
    b.purse = u"\"not read as a purse\""_s;
    const ReadResult r = read({a, b, c});
    QVERIFY2(r.ok, qPrintable(r.error));
    QCOMPARE(r.sink.races.size(), 1);
    QCOMPARE(r.sink.starts.size(), 1);
}

void TestResultsFile::nothingAfterMarkerIsRead()
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

void TestResultsFile::broken_data()
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

    TestRace t = r;
    t.purse = u"\"$abc\""_s;
    QTest::newRow("purse not an amount") << file(t) << 1 << u"purse"_s;
    t = r;
    t.claiming = u"\"$5,OOO\""_s;
    QTest::newRow("claiming not an amount") << file(t) << 1 << u"claiming price"_s;
    t = r;
    t.starts[0].odds = u"0"_s;
    QTest::newRow("odds base 0") << file(t) << 2 << u"odds"_s;
    t = r;
    t.number = u"700"_s;
    QTest::newRow("whole race number") << file(t) << 1 << u"race number"_s;
    t = r;
    t.number = u"x612"_s;
    QTest::newRow("race number text") << file(t) << 1 << u"race number"_s;
    t = r;
    t.starts[0].id = u"3000000000"_s;
    QTest::newRow("horse number too large") << file(t) << 2 << u"horse number"_s;
    t = r;
    t.starts[0].post = u"40000"_s;
    QTest::newRow("post too large") << file(t) << 2 << u"post"_s;
    t = r;
    t.starts[0].start = u"400"_s;
    QTest::newRow("start too large") << file(t) << 2 << u"start figure"_s;
    t = r;
    t.starts[0].speed = u"fast"_s;
    QTest::newRow("speed not a number") << file(t) << 2 << u"speed figure"_s;
    t = r;
    t.distance = u"1e300"_s;
    QTest::newRow("distance too large") << file(t) << 1 << u"distance"_s;
    t = r;
    t.conditions = u"\"year olds\""_s;
    QTest::newRow("year too early") << file(t) << 1 << u"year"_s;
    t = r;
    t.type = u"\"Allowance\""_s;
    t.conditions = u"\"All CPU value max 5\""_s;
    QTest::newRow("CPU value without comma") << file(t) << 1 << u"comma"_s;

    QByteArray size = file(r);
    size.replace("612.0102,\"R\",\"Dirt\",\"Fast\",6,1", "612.0102,\"R\",\"Dirt\",\"Fast\",6,40000");
    QTest::newRow("field size too large") << size << 1 << u"field size"_s;
    QByteArray ignored = file(r);
    ignored.replace(",1,2,3,4,5,6,", ",1,2,x,4,5,6,");
    QTest::newRow("ignored start value not a number") << ignored << 1 << u"start value"_s;
    TestRace week = good;
    week.number = u"40000.0101"_s;
    QTest::newRow("week too large") << resultText(resultFields({week}), Layout::OneLine) << 0 << u"week"_s;
}

void TestResultsFile::broken()
{
    QFETCH(QByteArray, text);
    QFETCH(int, racesKept);
    QFETCH(QString, error);
    const ReadResult r = readText(text);
    QVERIFY(!r.ok);
    QVERIFY2(r.error.contains(error), qPrintable(r.error));
    QCOMPARE(r.sink.races.size(), racesKept);
}

QTEST_GUILESS_MAIN(TestResultsFile)
#include "test_resultsfile.moc"
