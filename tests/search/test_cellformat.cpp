// The quick cell texts must read exactly as the general number patterns do.
#include "app/format.h"
#include "search/cellformat.h"

#include <QTest>

#include <random>

using namespace Qt::StringLiterals;

class TestCellFormat : public QObject
{
    Q_OBJECT
private slots:
    void sweepAgainstGeneralFormat();
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
                if (CellFormat::fixed(v, d, w) != Fmt::fixed(v, d, w))
                    QFAIL(qPrintable(u"%1 with %2 decimals: %3 against %4"_s.arg(v, 0, 'g', 17)
                                         .arg(d)
                                         .arg(CellFormat::fixed(v, d, w), Fmt::fixed(v, d, w))));
            }
            if (CellFormat::plain(v) != Fmt::shortest(v))
                QFAIL(qPrintable(
                    u"%1: %2 against %3"_s.arg(v, 0, 'g', 17).arg(CellFormat::plain(v), Fmt::shortest(v))));
        }
    }
}

void TestCellFormat::plainAndNumbers()
{
    for (const auto& [value, text] : {std::pair{6.0, "6"},
                                      {8.5, "8.5"},
                                      {5.12, "5.12"},
                                      {612.0507, "612.0507"},
                                      {1.0 / 3, "0.333333333333333"},
                                      {-2.25, "-2.25"}})
        QCOMPARE(CellFormat::plain(value), QString::fromLatin1(text));
    for (const auto& [value, text] :
         {std::pair{7LL, "7"}, {999LL, "999"}, {1000LL, "1000"}, {-5LL, "-5"}, {3000000000LL, "3000000000"}})
        QCOMPARE(CellFormat::number(value), QString::fromLatin1(text));
}

QTEST_GUILESS_MAIN(TestCellFormat)
#include "test_cellformat.moc"
