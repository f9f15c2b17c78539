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
        QTest::addColumn<QString>("expected"); // restr and age, or empty when the conditions are refused
        const auto row = [](const char* title, const char* type, const QString& conditions,
                            const char* expected) {
            QTest::newRow(title) << QString::fromUtf8(type) << conditions << QString::fromUtf8(expected);
        };
        row("months after except wins", "Allowance",
            u"All 3 year olds and up Non-Winner of TWO races except claiming in 6 months"_s, "A2s O-3+");
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
        row("stakes", "Stakes", u"All"_s, "Stk O-");
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
        QFETCH(QString, expected);
        RaceClassifier c;
        const auto codes = c.classify(type, conditions);
        QCOMPARE(codes ? codes->restr + u' ' + codes->age : QString(), expected);
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
};

QTEST_GUILESS_MAIN(TestClassify)
#include "test_classify.moc"
