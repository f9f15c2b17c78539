#include "import/classify.h"

namespace
{

// Positions in the conditions text are 16-bit counts; anything longer cannot be classified.
constexpr qsizetype MaxTextLength = 32767;

bool has(const QString& text, QLatin1String word, qsizetype from = 0)
{
    return text.indexOf(word, from, Qt::CaseSensitive) >= 0;
}

} // namespace

std::optional<QString> RaceClassifier::ageCode(const QString& conditions)
{
    QString code = conditions.startsWith(QLatin1String("All"), Qt::CaseSensitive) ? QStringLiteral("O-")
                                                                                  : QStringLiteral("F-");
    const qsizetype year = conditions.indexOf(QLatin1String("year"), 0, Qt::CaseSensitive);
    if (year >= 0) {
        // The age digit stands two places before "year" ("3 year olds").
        if (year < 2)
            return std::nullopt;
        code += conditions.at(year - 2);
    }
    if (has(conditions, QLatin1String("and up")))
        code += QLatin1Char('+');
    return code;
}

std::optional<RaceCodes> RaceClassifier::classify(const QString& type, const QString& conditions)
{
    m_error.clear();
    if (conditions.size() > MaxTextLength || type.size() > MaxTextLength) {
        m_error = QStringLiteral("the race conditions text is too long");
        return std::nullopt;
    }
    const auto age = ageCode(conditions);
    if (!age) {
        m_error = QStringLiteral("the race conditions text has no age before \"year\"");
        return std::nullopt;
    }
    const auto restr = typeCode(type, conditions);
    if (!restr)
        return std::nullopt;
    return RaceCodes{*restr, *age};
}

std::optional<QString> RaceClassifier::typeCode(const QString& type, const QString& conditions)
{
    if (type == QLatin1String("Allowance"))
        return winnerRules(type, QLatin1Char('A'), conditions);
    if (type == QLatin1String("Maiden Special Weight"))
        return QStringLiteral("MS");
    if (type == QLatin1String("Claiming"))
        return winnerRules(type, QLatin1Char('C'), conditions);
    if (type == QLatin1String("Maiden Claiming"))
        return QStringLiteral("MC");
    if (type == QLatin1String("Starter Allowance"))
        return QStringLiteral("Str");
    if (type == QLatin1String("Stakes"))
        return QStringLiteral("Stk");
    if (type == QLatin1String("Grade I"))
        return QStringLiteral("GI");
    if (type == QLatin1String("Grade II"))
        return QStringLiteral("G2");
    if (type == QLatin1String("Grade III"))
        return QStringLiteral("G3");
    return type;
}

std::optional<QString> RaceClassifier::winnerRules(const QString& type, QChar prefix, const QString& c)
{
    const qsizetype nonWinner = c.indexOf(QLatin1String("Non-Winner"), 0, Qt::CaseSensitive);
    if (nonWinner >= 0) {
        // Later words win: a text naming both ONE and THREE counts 3. Without any, the count carries over.
        if (has(c, QLatin1String("ONE")))
            m_count = 1;
        if (has(c, QLatin1String("TWO")))
            m_count = 2;
        if (has(c, QLatin1String("THREE")))
            m_count = 3;
        if (has(c, QLatin1String("FOUR")))
            m_count = 4;
        const auto built = [&](char letter) {
            return prefix + QString::number(m_count) + QLatin1Char(letter);
        };
        QString code = type;
        if (has(c, QLatin1String("except")))
            code = built('x');
        if (has(c, QLatin1String("Lifetime")))
            code = built('L');
        if (has(c, QLatin1String("months"))) {
            if (has(c, QLatin1String("3"), nonWinner))
                code = built('t');
            if (has(c, QLatin1String("6"), nonWinner))
                code = built('s');
            if (has(c, QLatin1String("9"), nonWinner))
                code = built('n');
        } else if (has(c, QLatin1String("year"), nonWinner)) {
            code = built('y');
        }
        return code;
    }
    if (prefix == QLatin1Char('A')) {
        if (has(c, QLatin1String("CPU value")))
            return valueCode(c);
        if (has(c, QLatin1String("track")))
            return QStringLiteral("A-T");
        if (has(c, QLatin1String("player created")))
            return QStringLiteral("A-H");
        return QStringLiteral("Alw");
    }
    if (has(c, QLatin1String("track")))
        return QStringLiteral("C-T");
    if (has(c, QLatin1String("player created")))
        return QStringLiteral("C-H");
    if (has(c, QLatin1String("CPU value")))
        return valueCode(c);
    return QStringLiteral("Clm");
}

std::optional<QString> RaceClassifier::valueCode(const QString& c)
{
    // The value starts 14 characters after the start of "CPU value" and runs to the next comma.
    const qsizetype p = c.indexOf(QLatin1String("CPU value"), 0, Qt::CaseSensitive) + 14;
    const qsizetype q = p <= c.size() ? c.indexOf(QLatin1Char(','), p) : -1;
    if (q < 0) {
        m_error = QStringLiteral("the race conditions text has no comma after its CPU value");
        return std::nullopt;
    }
    const QString value = c.mid(p, q - p);
    return value.size() < 2 ? value + QLatin1Char('M') : value;
}
