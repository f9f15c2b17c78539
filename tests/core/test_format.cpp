#include "core/format.h"
#include "db/racekey.h"

#include <QTest>

class TestFormat : public QObject
{
    Q_OBJECT
private slots:
    void roundHalfEven_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<double>("expected");
        QTest::newRow("96.5 to even below") << 96.5 << 96.0;
        QTest::newRow("95.5 to even above") << 95.5 << 96.0;
        QTest::newRow("plain nearest") << 95.6 << 96.0;
        QTest::newRow("negative half") << -2.5 << -2.0;
    }
    void roundHalfEven()
    {
        QFETCH(double, value);
        QFETCH(double, expected);
        QCOMPARE(Fmt::roundHalfEven(value), expected);
    }

    void patterns_data()
    {
        QTest::addColumn<QString>("actual");
        QTest::addColumn<QString>("expected");
        QTest::newRow("00.0 pads to two digits") << Fmt::fixed(8.46, 1, 2) << QStringLiteral("08.5");
        QTest::newRow("00.0 three digits") << Fmt::fixed(101.24, 1, 2) << QStringLiteral("101.2");
        QTest::newRow("#0.00 odds") << Fmt::fixed(2.5, 2) << QStringLiteral("2.50");
        QTest::newRow("#0.0000 small week") << Fmt::fixed(7.0102, 4) << QStringLiteral("7.0102");
        QTest::newRow("#0.0 rounds half up as written") << Fmt::fixed(98.45, 1) << QStringLiteral("98.5");
        QTest::newRow("##.00 of 92.456") << Fmt::fixed(92.456, 2) << QStringLiteral("92.46");
        QTest::newRow("#.0000 drops a zero whole part")
            << Fmt::fixedNoLeadingZero(0.5, 4) << QStringLiteral(".5000");
        QTest::newRow("#.0000 keeps a week")
            << Fmt::fixedNoLeadingZero(612.0507, 4) << QStringLiteral("612.0507");
        QTest::newRow("#,##0") << Fmt::grouped(12345) << QStringLiteral("12,345");
        QTest::newRow("#,##0 zero") << Fmt::grouped(0) << QStringLiteral("0");
        QTest::newRow("#,##0 large") << Fmt::grouped(9876543210.0) << QStringLiteral("9,876,543,210");
        QTest::newRow("$#,##0") << Fmt::dollars(1234567) << QStringLiteral("$1,234,567");
        QTest::newRow("$0,000 pads") << Fmt::dollarsFourDigits(500) << QStringLiteral("$0,500");
        QTest::newRow("$0,000 plain") << Fmt::dollarsFourDigits(4000) << QStringLiteral("$4,000");
        QTest::newRow("#0.0% quarter") << Fmt::percent(0.25) << QStringLiteral("25.0%");
        QTest::newRow("#0.0% zero") << Fmt::percent(0) << QStringLiteral("0.0%");
        QTest::newRow("shortest decimal") << Fmt::shortest(612.0507) << QStringLiteral("612.0507");
        QTest::newRow("shortest small") << Fmt::shortest(5.12) << QStringLiteral("5.12");
        QTest::newRow("shortest whole") << Fmt::shortest(580) << QStringLiteral("580");
        QTest::newRow("proper case") << Fmt::properCase(QStringLiteral("bLUE  streak"))
                                     << QStringLiteral("Blue  Streak");
        QTest::newRow("proper case apostrophe")
            << Fmt::properCase(QStringLiteral("o'BRIEN")) << QStringLiteral("O'brien");
        QTest::newRow("lines joined by CR")
            << Fmt::lines({QStringLiteral("a"), QStringLiteral("b")}) << QStringLiteral("a\rb");
    }
    void patterns()
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
        QCOMPARE(Fmt::toInt32(12.6).value(), 13);
        QCOMPARE(Fmt::toInt32(12.5).value(), 12);
        QVERIFY(!Fmt::toInt32(3e9));
        QVERIFY(!Fmt::toInt32(std::nan("")));
        QVERIFY(Fmt::isNumeric(QStringLiteral("12.5")));
        QVERIFY(Fmt::isNumeric(QStringLiteral(".5")));
        QVERIFY(!Fmt::isNumeric(QStringLiteral("12a")));
        QVERIFY(!Fmt::isNumeric(QString()));
        QVERIFY(Fmt::isWholeNumber(QStringLiteral("-12")));
        QVERIFY(!Fmt::isWholeNumber(QStringLiteral("1.5")));
    }

    void separator()
    {
        QCOMPARE(Fmt::withSeparator(QStringLiteral("C:\\")), QStringLiteral("C:\\"));
        QCOMPARE(Fmt::withSeparator(QStringLiteral("/")), QStringLiteral("/"));
        QCOMPARE(Fmt::withSeparator(QStringLiteral("/opt/tt")), QStringLiteral("/opt/tt/"));
    }

    void raceKey()
    {
        const double key = RaceKey::make(612, 5, 7);
        QCOMPARE(RaceKey::text(key), QStringLiteral("612.0507"));
        QCOMPARE(RaceKey::week(key), 612);
        QCOMPARE(RaceKey::track(key), 5);
        QCOMPARE(RaceKey::race(key), 7);
        QCOMPARE(RaceKey::track(612.1012), 10);
        QCOMPARE(RaceKey::race(612.1012), 12);
        QCOMPARE(RaceKey::track(123.0405), 4);
        QCOMPARE(RaceKey::text(7.0102), QStringLiteral("7.0102"));
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
