// The index range of a name pattern, and the quick cell texts, which must read exactly as the general
// number patterns do.
#include "searchfixture.h"

#include "core/format.h"
#include "search/cellformat.h"
#include "search/searchquery.h"

#include <random>

using namespace SearchQuery;

class TestSearchQuery : public QObject
{
    Q_OBJECT
private slots:
    void ranges_data()
    {
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QString>("range"); // lower and upper bound
        QTest::newRow("prefix") << u"Blue*"_s << u"blue bluf"_s;
        QTest::newRow("up to the question mark") << u"BLUE?x*"_s << u"blue bluf"_s;
        QTest::newRow("z") << u"Z*"_s << u"z {"_s;
        QTest::newRow("non-ASCII") << u"Ol\u00e9*"_s << u"ol\u00e9 ol\u00ea"_s;
        QTest::newRow("leading wildcard") << u"*Streak"_s << u" "_s;
    }

    void ranges()
    {
        QFETCH(QString, pattern);
        QFETCH(QString, range);
        QCOMPARE(prefixRange(pattern).lower + u' ' + prefixRange(pattern).upper, range);
    }

    void cellsAgainstGeneralFormat()
    {
        std::mt19937 gen(7);
        std::uniform_int_distribution<int> hundredths(0, 150000);
        for (int i = 0; i < 20000; ++i) {
            // Values as the database holds them: decimals of two, three or four places, and sums of key
            // parts.
            const double v2 = hundredths(gen) / 100.0;
            const double v3 = hundredths(gen) / 1000.0;
            const double key = (hundredths(gen) % 1000) + (i % 99) / 100.0 + (i % 37) / 10000.0;
            for (const double v : {v2, v3, key}) {
                for (const auto& [d, w] :
                     {std::pair{1, 2}, std::pair{1, 1}, std::pair{2, 1}, std::pair{4, 1}}) {
                    if (CellFormat::fixed(v, d, w) != Fmt::fixed(v, d, w))
                        QFAIL(qPrintable(u"%1 with %2 decimals: %3 against %4"_s.arg(v, 0, 'g', 17)
                                             .arg(d)
                                             .arg(CellFormat::fixed(v, d, w), Fmt::fixed(v, d, w))));
                }
                if (CellFormat::plain(v) != Fmt::shortest(v))
                    QFAIL(qPrintable(u"%1: %2 against %3"_s.arg(v, 0, 'g', 17)
                                         .arg(CellFormat::plain(v), Fmt::shortest(v))));
            }
        }
    }

    void plainAndNumbers()
    {
        QStringList texts;
        for (double v : {6.0, 8.5, 5.12, 612.0507, 1.0 / 3, -2.25})
            texts << CellFormat::plain(v);
        for (qint64 v : {7LL, 999LL, 1000LL, -5LL, 3000000000LL})
            texts << CellFormat::number(v);
        QCOMPARE(texts.join(u' '), u"6 8.5 5.12 612.0507 0.333333333333333 -2.25 7 999 1000 -5 3000000000"_s);
    }
};

QTEST_GUILESS_MAIN(TestSearchQuery)
#include "test_searchquery.moc"
