// The search statement: patterns, index ranges and the plans the engine chooses for them.
#include "searchfixture.h"

#include "search/searchquery.h"

#include <QSqlQuery>
#include <QTest>

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
};

void TestSearchQuery::ranges_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("lower");
    QTest::addColumn<QString>("upper");
    QTest::newRow("prefix") << "Blue*"
                            << "blue"
                            << "bluf";
    QTest::newRow("up to the question mark") << "BLUE?x*"
                                             << "blue"
                                             << "bluf";
    QTest::newRow("z") << "Z*"
                       << "z"
                       << "{";
    QTest::newRow("non-ASCII") << QString::fromUtf8("Ol\u00e9*") << QString::fromUtf8("ol\u00e9")
                               << QString::fromUtf8("ol\u00ea");
    QTest::newRow("leading wildcard") << "*Streak"
                                      << ""
                                      << "";
}

void TestSearchQuery::ranges()
{
    QFETCH(QString, pattern);
    QFETCH(QString, lower);
    QFETCH(QString, upper);
    const PrefixRange r = prefixRange(pattern);
    QCOMPARE(r.lower, lower);
    QCOMPARE(r.upper, upper);
}

void TestSearchQuery::ownerExpression()
{
    QCOMPARE(ownerNames(QStringLiteral("Red Barn")), QStringList{QStringLiteral("Red Barn")});
    QCOMPARE(ownerNames(QStringLiteral("A\" OR oname=\"B\" OR oname=\"C")),
             (QStringList{QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")}));
    // Only the first owner of an expression takes the pattern; the others are whole names.
    const Statement st = build(4, QStringLiteral("Red*\" OR oname=\"Oak*"), QString());
    QVERIFY(st.error.isEmpty());
    QCOMPARE(st.binds.size(), 4);
    QCOMPARE(st.binds.last().toString(), QStringLiteral("Oak*"));
    QVERIFY(!st.sql.contains(QLatin1String("Red")));
}

void TestSearchQuery::plans_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("id");
    QTest::addColumn<QString>("index");
    QTest::addColumn<bool>("sorts");
    QTest::newRow("name") << 2 << "Blue Streak"
                          << ""
                          << "tblhorsedata_hname" << false;
    QTest::newRow("prefix") << 2 << "Blue*"
                            << ""
                            << "tblhorsedata_hname" << true;
    QTest::newRow("name and id pattern") << 1 << "Blue Streak"
                                         << "12*"
                                         << "tblhorsedata_hname" << true;
    QTest::newRow("id") << 3 << ""
                        << "12"
                        << "tblhorsedata_hid" << false;
    QTest::newRow("name and id") << 1 << "Blue Streak"
                                 << "12"
                                 << "tblhorsedata_h" << false;
    QTest::newRow("owner") << 4 << "Red Barn"
                           << ""
                           << "tblhorsedata_oname" << false;
    QTest::newRow("owner prefix") << 4 << "Red*"
                                  << ""
                                  << "tblhorsedata_oname" << true;
    QTest::newRow("stables") << 4 << "Red Barn\" OR oname=\"Oak Farm"
                             << ""
                             << "tblhorsedata_oname" << true;
    QTest::newRow("race") << 5 << ""
                          << "123.0405"
                          << "tblraces_racenum" << false;
}

void TestSearchQuery::plans()
{
    QFETCH(int, mode);
    QFETCH(QString, name);
    QFETCH(QString, id);
    QFETCH(QString, index);
    QFETCH(bool, sorts);
    SearchFixture fx;
    const Statement st = build(mode, name, id);
    QVERIFY(st.error.isEmpty());
    QSqlQuery q(fx.db().handle());
    QVERIFY(q.prepare(QStringLiteral("EXPLAIN QUERY PLAN ") + st.sql));
    for (const QVariant& v : st.binds)
        q.addBindValue(v);
    QVERIFY(q.exec());
    QString plan;
    while (q.next())
        plan += q.value(3).toString() + QLatin1Char('\n');
    QVERIFY2(plan.contains(index), qPrintable(plan));
    QVERIFY2(!plan.contains(QLatin1String("SCAN tblhorsedata")), qPrintable(plan));
    QCOMPARE(plan.contains(QLatin1String("TEMP B-TREE")), sorts);
}

QTEST_GUILESS_MAIN(TestSearchQuery)
#include "test_searchquery.moc"
