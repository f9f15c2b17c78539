#include "core/format.h"
#include "db/racekey.h"

#include <QTest>

using namespace Qt::StringLiterals;

class TestFormat : public QObject
{
    Q_OBJECT
private slots:
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
        QTest::newRow("directory") << Fmt::withSeparator(u"/opt/tt"_s) << u"/opt/tt/"_s;
    }
    void texts()
    {
        QFETCH(QString, actual);
        QFETCH(QString, expected);
        QCOMPARE(actual, expected);
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

QTEST_APPLESS_MAIN(TestFormat)
#include "test_format.moc"
