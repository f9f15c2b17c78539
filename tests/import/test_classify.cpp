#include "import/classify.h"

#include <QTest>

using namespace Qt::StringLiterals;

class TestClassify : public QObject
{
    Q_OBJECT
private slots:
    void codes_data()
    {
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("conditions");
        QTest::addColumn<QString>("restr");
        QTest::addColumn<QString>("age");

        QTest::newRow("months after except wins")
            << u"Allowance"_s
            << u"All 3 year olds and up Non-Winner of TWO races except claiming in 6 months"_s << u"A2s"_s
            << u"O-3+"_s;
        QTest::newRow("count without letter keeps the type")
            << u"Allowance"_s << u"Fillies 3 year olds Non-Winner of ONE race"_s << u"Allowance"_s
            << u"F-3"_s;
        QTest::newRow("ONE then THREE counts 3")
            << u"Claiming"_s << u"All Non-Winner of ONE or THREE races except"_s << u"C3x"_s << u"O-"_s;
        QTest::newRow("NONE holds ONE")
            << u"Claiming"_s << u"All NONE Non-Winner Lifetime"_s << u"C1L"_s << u"O-"_s;
        QTest::newRow("One in small letters is no count")
            << u"Claiming"_s << u"All Non-Winner of One race FOUR except"_s << u"C4x"_s << u"O-"_s;
        QTest::newRow("months 3 9: last wins")
            << u"Allowance"_s << u"All Non-Winner TWO 3 or 9 months"_s << u"A2n"_s << u"O-"_s;
        QTest::newRow("months digit before Non-Winner ignored")
            << u"Allowance"_s << u"All 3 months Non-Winner TWO 6"_s << u"A2s"_s << u"O-"_s;
        QTest::newRow("year after Non-Winner")
            << u"Claiming"_s << u"All Non-Winner TWO this year"_s << u"C2y"_s << u"O-s"_s;
        QTest::newRow("claiming track before CPU value")
            << u"Claiming"_s << u"All track CPU value max 5, x"_s << u"C-T"_s << u"O-"_s;
        QTest::newRow("allowance CPU value before track")
            << u"Allowance"_s << u"All track CPU value max 5, x"_s << u"5M"_s << u"O-"_s;
        QTest::newRow("two-character value kept")
            << u"Allowance"_s << u"All CPU value max 12, x"_s << u"12"_s << u"O-"_s;
        QTest::newRow("allowance player created")
            << u"Allowance"_s << u"All player created"_s << u"A-H"_s << u"O-"_s;
        QTest::newRow("claiming player created")
            << u"Claiming"_s << u"All player created"_s << u"C-H"_s << u"O-"_s;
        QTest::newRow("allowance track") << u"Allowance"_s << u"All track"_s << u"A-T"_s << u"O-"_s;
        QTest::newRow("plain allowance") << u"Allowance"_s << u"All 2 year olds"_s << u"Alw"_s << u"O-2"_s;
        QTest::newRow("plain claiming")
            << u"Claiming"_s << u"Fillies and Mares 3 year olds and up"_s << u"Clm"_s << u"F-3+"_s;
        QTest::newRow("maiden special weight")
            << u"Maiden Special Weight"_s << u"All"_s << u"MS"_s << u"O-"_s;
        QTest::newRow("maiden claiming ignores conditions")
            << u"Maiden Claiming"_s << u"All Non-Winner TWO except"_s << u"MC"_s << u"O-"_s;
        QTest::newRow("stakes") << u"Stakes"_s << u"All"_s << u"Stk"_s << u"O-"_s;
        QTest::newRow("grade I") << u"Grade I"_s << u"All"_s << u"GI"_s << u"O-"_s;
        QTest::newRow("grade III") << u"Grade III"_s << u"All"_s << u"G3"_s << u"O-"_s;
        QTest::newRow("handicap unchanged") << u"Handicap"_s << u"All"_s << u"Handicap"_s << u"O-"_s;
        QTest::newRow("type is case-sensitive")
            << u"allowance"_s << u"All Non-Winner ONE except"_s << u"allowance"_s << u"O-"_s;
        QTest::newRow("lower-case all") << u"Stakes"_s << u"all 3 year olds"_s << u"Stk"_s << u"F-3"_s;
    }

    void codes()
    {
        QFETCH(QString, type);
        QFETCH(QString, conditions);
        QFETCH(QString, restr);
        QFETCH(QString, age);
        RaceClassifier c;
        const auto codes = c.classify(type, conditions);
        QVERIFY2(codes.has_value(), qPrintable(c.error()));
        QCOMPARE(codes->restr, restr);
        QCOMPARE(codes->age, age);
    }

    void countCarriesOver()
    {
        RaceClassifier c;
        // No count named yet: 0.
        QCOMPARE(c.classify(QStringLiteral("Allowance"), QStringLiteral("All Non-Winner except"))->restr,
                 QStringLiteral("A0x"));
        QCOMPARE(
            c.classify(QStringLiteral("Claiming"), QStringLiteral("All Non-Winner THREE Lifetime"))->restr,
            QStringLiteral("C3L"));
        // Races between that name no count, or are of other types, leave it alone.
        QCOMPARE(c.classify(QStringLiteral("Stakes"), QStringLiteral("All ONE"))->restr,
                 QStringLiteral("Stk"));
        QCOMPARE(c.classify(QStringLiteral("Allowance"), QStringLiteral("All ONE track"))->restr,
                 QStringLiteral("A-T"));
        QCOMPARE(c.classify(QStringLiteral("Allowance"), QStringLiteral("All Non-Winner except"))->restr,
                 QStringLiteral("A3x"));
        QCOMPARE(c.count(), 3);
    }

    void failures_data()
    {
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("conditions");
        QTest::newRow("year at position 1") << u"Stakes"_s << u"year olds"_s;
        QTest::newRow("year at position 2") << u"Stakes"_s << u"3year olds"_s;
        QTest::newRow("no comma after value") << u"Allowance"_s << u"All CPU value max 5"_s;
        QTest::newRow("value beyond the text") << u"Claiming"_s << u"All CPU value"_s;
        QTest::newRow("text too long") << u"Stakes"_s << QString(40000, QLatin1Char('a'));
    }

    void failures()
    {
        QFETCH(QString, type);
        QFETCH(QString, conditions);
        RaceClassifier c;
        QVERIFY(!c.classify(type, conditions).has_value());
        QVERIFY(!c.error().isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestClassify)
#include "test_classify.moc"
