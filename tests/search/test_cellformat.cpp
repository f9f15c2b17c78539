// The quick cell texts must read exactly as the general number patterns do.
#include "app/format.h"
#include "search/cellformat.h"

#include <QTest>

#include <random>

class TestCellFormat : public QObject
{
    Q_OBJECT
private slots:
    void sweepAgainstGeneralFormat();
    void plainAndNumbers_data();
    void plainAndNumbers();
};

void TestCellFormat::sweepAgainstGeneralFormat()
{
    std::mt19937 gen(7);
    std::uniform_int_distribution<int> hundredths(0, 150000);
    for (int i = 0; i < 20000; ++i) {
        // Values as the database holds them: decimals of two, three or four places, and sums of key parts.
        const double v2 = hundredths(gen) / 100.0;
        const double v3 = hundredths(gen) / 1000.0;
        const double key = (hundredths(gen) % 1000) + (i % 99) / 100.0 + (i % 37) / 10000.0;
        for (const double v : {v2, v3, key}) {
            for (const auto& [d, w] : {std::pair{1, 2}, std::pair{1, 1}, std::pair{2, 1}, std::pair{4, 1}}) {
                const QString fast = CellFormat::fixed(v, d, w);
                if (fast != Fmt::fixed(v, d, w))
                    QFAIL(qPrintable(QStringLiteral("%1 with %2 decimals: %3 against %4")
                                         .arg(v, 0, 'g', 17)
                                         .arg(d)
                                         .arg(fast, Fmt::fixed(v, d, w))));
            }
            if (CellFormat::plain(v) != Fmt::shortest(v))
                QFAIL(qPrintable(QStringLiteral("%1: %2 against %3")
                                     .arg(v, 0, 'g', 17)
                                     .arg(CellFormat::plain(v), Fmt::shortest(v))));
        }
    }
}

void TestCellFormat::plainAndNumbers_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("text");
    QTest::newRow("whole") << 6.0 << "6";
    QTest::newRow("half") << 8.5 << "8.5";
    QTest::newRow("two places") << 5.12 << "5.12";
    QTest::newRow("key") << 612.0507 << "612.0507";
    QTest::newRow("many places") << 1.0 / 3 << "0.333333333333333";
    QTest::newRow("negative") << -2.25 << "-2.25";
}

void TestCellFormat::plainAndNumbers()
{
    QFETCH(double, value);
    QFETCH(QString, text);
    QCOMPARE(CellFormat::plain(value), text);
    QCOMPARE(CellFormat::number(7), QStringLiteral("7"));
    QCOMPARE(CellFormat::number(999), QStringLiteral("999"));
    QCOMPARE(CellFormat::number(1000), QStringLiteral("1000"));
    QCOMPARE(CellFormat::number(-5), QStringLiteral("-5"));
    QCOMPARE(CellFormat::number(3000000000LL), QStringLiteral("3000000000"));
}

QTEST_GUILESS_MAIN(TestCellFormat)
#include "test_cellformat.moc"
