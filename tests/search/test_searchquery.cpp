// The search statement (patterns, index ranges and the plans the engine chooses for them) and the quick
// cell texts, which must read exactly as the general number patterns do.
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
    void ranges_data();
    void ranges();
    void ownerExpression();
    void plans_data();
    void plans();
    void cellsAgainstGeneralFormat();
    void plainAndNumbers();
};

void TestSearchQuery::ranges_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("lower");
    QTest::addColumn<QString>("upper");
    QTest::newRow("prefix") << u"Blue*"_s << u"blue"_s << u"bluf"_s;
    QTest::newRow("up to the question mark") << u"BLUE?x*"_s << u"blue"_s << u"bluf"_s;
    QTest::newRow("z") << u"Z*"_s << u"z"_s << u"{"_s;
    QTest::newRow("non-ASCII") << u"Ol\u00e9*"_s << u"ol\u00e9"_s << u"ol\u00ea"_s;
    QTest::newRow("leading wildcard") << u"*Streak"_s << QString() << QString();
}

void TestSearchQuery::ranges()
{
    QFETCH(QString, pattern);
    QFETCH(QString, lower);
    QFETCH(QString, upper);
    QCOMPARE(prefixRange(pattern).lower, lower);
    QCOMPARE(prefixRange(pattern).upper, upper);
}

void TestSearchQuery::ownerExpression()
{
    QCOMPARE(ownerNames(u"Red Barn"_s), L("Red Barn"));
    QCOMPARE(ownerNames(u"A\" OR oname=\"B\" OR oname=\"C"_s), L("A|B|C"));
    // Only the first owner of an expression takes the pattern; the others are whole names.
    const Statement st = build(4, u"Red*\" OR oname=\"Oak*"_s, QString());
    QVERIFY(st.error.isEmpty());
    QCOMPARE(st.binds.size(), 4);
    QCOMPARE(st.binds.last().toString(), u"Oak*"_s);
    QVERIFY(!st.sql.contains("Red"_L1));
}

void TestSearchQuery::plans_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("id");
    QTest::addColumn<QString>("index");
    QTest::addColumn<bool>("sorts");
    QTest::newRow("name") << 2 << u"Blue Streak"_s << QString() << u"tblhorsedata_hname"_s << false;
    QTest::newRow("prefix") << 2 << u"Blue*"_s << QString() << u"tblhorsedata_hname"_s << true;
    QTest::newRow("name and id pattern")
        << 1 << u"Blue Streak"_s << u"12*"_s << u"tblhorsedata_hname"_s << true;
    QTest::newRow("id") << 3 << QString() << u"12"_s << u"tblhorsedata_hid"_s << false;
    QTest::newRow("name and id") << 1 << u"Blue Streak"_s << u"12"_s << u"tblhorsedata_h"_s << false;
    QTest::newRow("owner") << 4 << u"Red Barn"_s << QString() << u"tblhorsedata_oname"_s << false;
    QTest::newRow("owner prefix") << 4 << u"Red*"_s << QString() << u"tblhorsedata_oname"_s << true;
    QTest::newRow("stables") << 4 << u"Red Barn\" OR oname=\"Oak Farm"_s << QString()
                             << u"tblhorsedata_oname"_s << true;
    QTest::newRow("race") << 5 << QString() << u"123.0405"_s << u"tblraces_racenum"_s << false;
}

void TestSearchQuery::plans()
{
    QFETCH(int, mode);
    QFETCH(QString, name);
    QFETCH(QString, id);
    QFETCH(QString, index);
    QFETCH(bool, sorts);
    static SearchFixture fx; // the schema's indexes are all a plan needs
    const Statement st = build(mode, name, id);
    QVERIFY(st.error.isEmpty());
    QSqlQuery q(fx.db().handle());
    QVERIFY(q.prepare(u"EXPLAIN QUERY PLAN "_s + st.sql));
    for (const QVariant& v : st.binds)
        q.addBindValue(v);
    QVERIFY(q.exec());
    QString plan;
    while (q.next())
        plan += q.value(3).toString() + u'\n';
    QVERIFY2(plan.contains(index), qPrintable(plan));
    QVERIFY2(!plan.contains("SCAN tblhorsedata"_L1), qPrintable(plan));
    QCOMPARE(plan.contains("TEMP B-TREE"_L1), sorts);
}

void TestSearchQuery::cellsAgainstGeneralFormat()
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

void TestSearchQuery::plainAndNumbers()
{
    const std::pair<double, const char*> plain[] = {
        {6, "6"},        {8.5, "8.5"}, {5.12, "5.12"}, {612.0507, "612.0507"}, {1.0 / 3, "0.333333333333333"},
        {-2.25, "-2.25"}};
    for (const auto& [value, text] : plain)
        QCOMPARE(CellFormat::plain(value), QLatin1String(text));
    const std::pair<qint64, const char*> numbers[] = {
        {7, "7"}, {999, "999"}, {1000, "1000"}, {-5, "-5"}, {3000000000, "3000000000"}};
    for (const auto& [value, text] : numbers)
        QCOMPARE(CellFormat::number(value), QLatin1String(text));
}

QTEST_GUILESS_MAIN(TestSearchQuery)
#include "test_searchquery.moc"
