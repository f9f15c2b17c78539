// Reading a results file: the fields, the race codes, the values and whole files; the number formats and
// race keys they rest on.
#include "core/format.h"
#include "db/racekey.h"
#include "import/classify.h"
#include "import/fieldreader.h"
#include "import/resultsfile.h"
#include "resultsbuilder.h"

#include <QBuffer>
#include <QTest>

#include <cstdlib>
#include <random>
#include <string>

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

/** The fields up to the end or a failure, which goes to `end`. */
QStringList fieldsOf(FieldReader& r, FieldReader::Status* end = nullptr)
{
    QStringList out;
    std::string_view f;
    FieldReader::Status s;
    while ((s = r.next(f)) == FieldReader::Status::Ok)
        out << QString::fromLatin1(f.data(), qsizetype(f.size()));
    if (end)
        *end = s;
    return out;
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
        QTEST(got, "expected");
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
        TestRace a{.surface = u"\"Turf\""_s,
                   .condition = u"\"Yielding\""_s,
                   .distance = u"8.5"_s,
                   .type = u"\"Allowance\""_s,
                   .claiming = u"\"($7,500)\""_s,
                   .purse = u"\"$22,000\""_s,
                   .conditions =
                       u"\"All 3 year olds and up Non-Winner of TWO races except claiming in 6 months\""_s};
        a.starts = {TestStart{}, TestStart{.id = u"912"_s,
                                           .speed = u"77.5"_s,
                                           .start = u"0.3"_s,
                                           .odds = u"0.2"_s,
                                           .post = u"-45"_s,
                                           .owner = u"\"Smith, Jones\""_s}};
        TestRace b{.number = u"612.0102"_s,
                   .claiming = u"-"_s,
                   .conditions = u"\"Fillies 2 year olds Non-Winner Lifetime\""_s};
        b.starts = {TestStart{}, TestStart{}, TestStart{}};
        const ReadResult byRecord = read({a, b}, Layout::RecordPerLine);
        QVERIFY2(byRecord.ok, qPrintable(byRecord.error));
        QCOMPARE(byRecord.sink.starts.size(), 5);
        // The count of the first race carries to the second, which names none.
        QCOMPARE(byRecord.sink.races, (QStringList{u"612.0101|T|Y|8.5|2|22000|7500|A2s|O-3+"_s,
                                                   u"612.0102|D|F|6|3|10000|0|C2L|F-2"_s}));
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
        bad("line of a fault after a name over two lines", "\"Acme Stables\"\r\n\"*99999\"",
            "\"Acme\nStables\"\r\n\"*99999", 2, "line 11: a quoted text has no closing quote");
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
        QFETCH(QString, error);
        const ReadResult r = readText(text);
        QVERIFY(!r.ok);
        QVERIFY2(r.error.contains(error), qPrintable(r.error));
        QTEST(int(r.sink.races.size()), "racesKept");
    }

    void codes_data()
    {
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("conditions");
        QTest::addColumn<QString>("expected"); // restr and age, or empty when the conditions are refused
        const auto row = [](const char* title, const char* type, const QString& conditions,
                            const char* expected) {
            QTest::newRow(title) << QString::fromUtf8(type) << conditions << QString::fromUtf8(expected);
        };
        row("count without letter keeps the type", "Allowance",
            u"Fillies 3 year olds Non-Winner of ONE race"_s, "Allowance F-3");
        row("ONE then THREE counts 3", "Claiming", u"All Non-Winner of ONE or THREE races except"_s,
            "C3x O-");
        row("NONE holds ONE", "Claiming", u"All NONE Non-Winner Lifetime"_s, "C1L O-");
        row("One in small letters is no count", "Claiming", u"All Non-Winner of One race FOUR except"_s,
            "C4x O-");
        row("months 3 9: last wins", "Allowance", u"All Non-Winner TWO 3 or 9 months"_s, "A2n O-");
        row("months digit before Non-Winner ignored", "Allowance", u"All 3 months Non-Winner TWO 6"_s,
            "A2s O-");
        row("year after Non-Winner", "Claiming", u"All Non-Winner TWO this year"_s, "C2y O-s");
        row("claiming track before CPU value", "Claiming", u"All track CPU value max 5, x"_s, "C-T O-");
        row("allowance CPU value before track", "Allowance", u"All track CPU value max 5, x"_s, "5M O-");
        row("two-character value kept", "Allowance", u"All CPU value max 12, x"_s, "12 O-");
        row("allowance player created", "Allowance", u"All player created"_s, "A-H O-");
        row("allowance track", "Allowance", u"All track"_s, "A-T O-");
        row("plain allowance", "Allowance", u"All 2 year olds"_s, "Alw O-2");
        row("plain claiming", "Claiming", u"Fillies and Mares 3 year olds and up"_s, "Clm F-3+");
        row("maiden special weight", "Maiden Special Weight", u"All"_s, "MS O-");
        row("maiden claiming ignores conditions", "Maiden Claiming", u"All Non-Winner TWO except"_s, "MC O-");
        row("handicap unchanged", "Handicap", u"All"_s, "Handicap O-");
        row("type is case-sensitive", "allowance", u"All Non-Winner ONE except"_s, "allowance O-");
        row("lower-case all", "Stakes", u"all 3 year olds"_s, "Stk F-3");
        row("year at position 1", "Stakes", u"year olds"_s, "");
        row("no comma after value", "Allowance", u"All CPU value max 5"_s, "");
        row("text too long", "Stakes", QString(40000, u'a'), "");
    }

    void codes()
    {
        QFETCH(QString, type);
        QFETCH(QString, conditions);
        RaceClassifier c;
        const auto codes = c.classify(type, conditions);
        QTEST(codes ? codes->restr + u' ' + codes->age : QString(), "expected");
        QCOMPARE(c.error().isEmpty(), codes.has_value());
    }

    void countCarriesOver()
    {
        RaceClassifier c;
        const auto restr = [&c](const QString& type, const QString& conditions) {
            return c.classify(type, conditions)->restr;
        };
        QCOMPARE(restr(u"Allowance"_s, u"All Non-Winner except"_s), u"A0x"_s); // no count named yet: 0
        QCOMPARE(restr(u"Claiming"_s, u"All Non-Winner THREE Lifetime"_s), u"C3L"_s);
        // Races between that name no count, or are of other types, leave it alone.
        QCOMPARE(restr(u"Stakes"_s, u"All ONE"_s), u"Stk"_s);
        QCOMPARE(restr(u"Allowance"_s, u"All ONE track"_s), u"A-T"_s);
        QCOMPARE(restr(u"Allowance"_s, u"All Non-Winner except"_s), u"A3x"_s);
        QCOMPARE(c.count(), 3);
    }

    void fields_data()
    {
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QStringList>("expected");
        QTest::addColumn<int>("ending"); // the status after the last field
        // The expected fields are given joined with "|".
        const auto row = [](const char* title, const QByteArray& input, const char* fields,
                            FieldReader::Status ending = FieldReader::Status::EndOfData) {
            const QString joined = QString::fromUtf8(fields);
            QTest::newRow(title) << input << (joined.isEmpty() ? QStringList() : joined.split(u'|'))
                                 << int(ending);
        };
        row("commas", "a,b,c", "a|b|c");
        row("line ends", "a\r\nb\nc\rd", "a|b|c|d");
        row("comma then line end is one separator", "a,\r\nb, \nc", "a|b|c");
        row("blanks before skipped, after trimmed", "  a  ,\tb c ,d", "a|b c|d");
        row("quoted comma", "\"Smith, Jones\",x", "Smith, Jones|x");
        row("text after closing quote dropped", "\"ab\"cd,e", "ab|e");
        row("quote inside text is text", "a\"b,c", "a\"b|c");
        row("empty fields", ",,x", "||x");
        row("blank line is an empty field", "a\r\n\r\nb", "a||b");
        row("trailing comma wants another field", "a,", "a");
        row("unterminated quote", "a,\"open", "a", FieldReader::Status::Unterminated);
        // 50 MB that is never part of a value must not be buffered whole either.
        row("text after a quote past the limit", "a,\"ab\"" + QByteArray(50 << 20, 'x'), "a",
            FieldReader::Status::TooLong);
        row("blanks after a comma past the limit", "a," + QByteArray(50 << 20, ' ') + "b", "",
            FieldReader::Status::TooLong);
    }

    void fields()
    {
        QFETCH(QByteArray, input);
        // The same text read from memory and streamed from a device must give the same fields.
        QBuffer buffer(&input);
        buffer.open(QIODevice::ReadOnly);
        FieldReader fromDevice(buffer);
        FieldReader fromMemory(std::string_view(input.constData(), size_t(input.size())));
        for (FieldReader* r : {&fromDevice, &fromMemory}) {
            FieldReader::Status s;
            QTEST(fieldsOf(*r, &s), "expected");
            QTEST(int(s), "ending");
        }
    }

    void numbers()
    {
        QCOMPARE(parseNumber(" -612.0507 ").value(), -612.0507);
        QCOMPARE(parseNumber("").value(), 0.0);
        QCOMPARE(parseNumber("1.").value(), 1.0);
        QCOMPARE(parseNumber("+.5").value(), 0.5);
        QCOMPARE(parseNumber("1234567890123456789").value(), 1234567890123456789.0);
        QCOMPARE(parseNumber("2.5E-3").value(), 0.0025);
        for (const char* refused : {".", "-", "1.2.3", "12a", "1 2", "inf", "0x10", "1e", "1e999"})
            QVERIFY2(!parseNumber(refused), refused);
        // Every plain decimal, of few digits or many, reads as the full conversion reads it.
        std::mt19937_64 rng(5);
        for (int i = 0; i < 20000; ++i) {
            const std::string digits = std::to_string(rng()).substr(0, 1 + rng() % 19);
            const std::size_t point = rng() % (digits.size() + 1);
            const std::string text = digits.substr(0, point) + '.' + digits.substr(point);
            QCOMPARE(parseNumber(text).value(), std::strtod(text.c_str(), nullptr));
        }
    }

    void texts_data()
    {
        QTest::addColumn<QString>("actual");
        QTest::addColumn<QString>("expected");
        QTest::newRow("96.5 to even below") << QString::number(Fmt::roundHalfEven(96.5)) << u"96"_s;
        QTest::newRow("95.5 to even above") << QString::number(Fmt::roundHalfEven(95.5)) << u"96"_s;
        QTest::newRow("negative half") << QString::number(Fmt::roundHalfEven(-2.5)) << u"-2"_s;
        QTest::newRow("#0.0 rounds half up as written") << Fmt::fixed(98.45, 1) << u"98.5"_s;
        QTest::newRow("#0.00 of 92.456") << Fmt::fixed(92.456, 2) << u"92.46"_s;
        QTest::newRow("$0,000 pads") << Fmt::dollarsFourDigits(500) << u"$0,500"_s;
        QTest::newRow("proper case") << Fmt::properCase(u"bLUE  streak"_s) << u"Blue  Streak"_s;
        QTest::newRow("proper case apostrophe") << Fmt::properCase(u"o'BRIEN"_s) << u"O'brien"_s;
        QTest::newRow("drive root") << Fmt::withSeparator(u"C:\\"_s) << u"C:\\"_s;
    }
    void texts()
    {
        QFETCH(QString, actual);
        QTEST(actual, "expected");
    }

    void conversions()
    {
        QCOMPARE(Fmt::toInt16(32767.4).value(), std::int16_t(32767));
        QVERIFY(!Fmt::toInt16(32767.6));
        QVERIFY(!Fmt::toInt16(-32769));
        QCOMPARE(Fmt::toInt32(12.5).value(), 12);
        QVERIFY(!Fmt::toInt32(3e9));
        QVERIFY(!Fmt::toInt32(std::nan("")));
        QVERIFY(Fmt::isNumeric(u".5"_s) && !Fmt::isNumeric(u"12a"_s) && !Fmt::isNumeric(QString()));
        QVERIFY(Fmt::isWholeNumber(u"-12"_s) && !Fmt::isWholeNumber(u"1.5"_s));
    }

    void raceKey()
    {
        QCOMPARE(RaceKey::text(RaceKey::make(612, 5, 7)), u"612.0507"_s);
        QCOMPARE(RaceKey::text(7.0102), u"7.0102"_s);
        QCOMPARE(RaceKey::week(612.0507), 612);
        QVERIFY(RaceKey::inWeek(612.0001, 612));
        QVERIFY(!RaceKey::inWeek(612.0, 612));
        QVERIFY(!RaceKey::inWeek(613.0101, 612));
        // Every track and race survives the round trip through the double.
        for (int t = 0; t < 100; ++t)
            for (int r = 1; r < 100; ++r) {
                const double k = RaceKey::make(32766, t, r);
                QCOMPARE(RaceKey::track(k), t);
                QCOMPARE(RaceKey::race(k), r);
            }
    }
};

QTEST_GUILESS_MAIN(TestResultsFile)
#include "test_resultsfile.moc"
