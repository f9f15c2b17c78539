#include "core/format.h"

#include <QRegularExpression>

#include <cmath>
#include <limits>

namespace Fmt
{

double roundHalfEven(double value)
{
    return std::nearbyint(value); // the default rounding mode is to nearest, ties to even
}

double roundTo(double value, int decimals)
{
    if (!std::isfinite(value))
        return value;
    const double scale = std::pow(10.0, decimals);
    const double x = std::fabs(value) * scale;
    const double whole = std::floor(x);
    // A value that reads as an exact half in decimal may sit a hair below or above it in binary.
    const double eps = 1e-11 * std::max(1.0, x);
    const double r = std::fabs(x - whole - 0.5) <= eps ? whole + 1 : std::round(x);
    return (value < 0 ? -r : r) / scale;
}

std::optional<std::int16_t> toInt16(double value)
{
    if (!std::isfinite(value))
        return std::nullopt;
    const double r = roundHalfEven(value);
    if (r < std::numeric_limits<std::int16_t>::min() || r > std::numeric_limits<std::int16_t>::max())
        return std::nullopt;
    return static_cast<std::int16_t>(r);
}

std::optional<std::int32_t> toInt32(double value)
{
    if (!std::isfinite(value))
        return std::nullopt;
    const double r = roundHalfEven(value);
    if (r < std::numeric_limits<std::int32_t>::min() || r > std::numeric_limits<std::int32_t>::max())
        return std::nullopt;
    return static_cast<std::int32_t>(r);
}

QString fixed(double value, int decimals, int intDigits)
{
    const double r = roundTo(value, decimals);
    QString text = QString::number(std::fabs(r), 'f', decimals);
    const qsizetype point = decimals > 0 ? text.indexOf(QLatin1Char('.')) : text.size();
    if (point < intDigits)
        text.prepend(QString(intDigits - point, QLatin1Char('0')));
    if (r < 0 && text.contains(QRegularExpression(QStringLiteral("[1-9]"))))
        text.prepend(QLatin1Char('-'));
    return text;
}

QString fixedNoLeadingZero(double value, int decimals)
{
    QString text = fixed(value, decimals, 1);
    if (text.startsWith(QLatin1String("0.")))
        text.remove(0, 1);
    else if (text.startsWith(QLatin1String("-0.")))
        text.remove(1, 1);
    return text;
}

static QString groupDigits(const QString& digits)
{
    QString out;
    const qsizetype n = digits.size();
    for (qsizetype i = 0; i < n; ++i) {
        if (i > 0 && (n - i) % 3 == 0)
            out += QLatin1Char(',');
        out += digits[i];
    }
    return out;
}

static QString groupedWithMin(double value, int minDigits, const QString& prefix)
{
    const double r = roundTo(value, 0);
    QString digits = QString::number(std::fabs(r), 'f', 0);
    if (digits.size() < minDigits)
        digits.prepend(QString(minDigits - digits.size(), QLatin1Char('0')));
    QString text = prefix + groupDigits(digits);
    if (r < 0)
        text.prepend(QLatin1Char('-'));
    return text;
}

QString grouped(double value)
{
    return groupedWithMin(value, 1, QString());
}
QString dollars(double value)
{
    return groupedWithMin(value, 1, QStringLiteral("$"));
}
QString dollarsFourDigits(double value)
{
    return groupedWithMin(value, 4, QStringLiteral("$"));
}

QString percent(double fraction)
{
    return fixed(fraction * 100.0, 1, 1) + QLatin1Char('%');
}

QString shortest(double value)
{
    if (value == 0)
        return QStringLiteral("0");
    QString text = QString::number(value, 'g', 15);
    return text;
}

QString properCase(const QString& text)
{
    QString out = text.toLower();
    bool startOfWord = true;
    for (auto& ch : out) {
        if (ch.isSpace()) {
            startOfWord = true;
        } else {
            if (startOfWord)
                ch = ch.toUpper();
            startOfWord = false;
        }
    }
    return out;
}

bool isNumeric(const QString& text)
{
    static const QRegularExpression re(QStringLiteral("^\\s*[-+]?(\\d+\\.?\\d*|\\.\\d+)\\s*$"));
    return re.match(text).hasMatch();
}

bool isWholeNumber(const QString& text)
{
    static const QRegularExpression re(QStringLiteral("^\\s*[-+]?\\d+\\s*$"));
    return re.match(text).hasMatch();
}

QString withSeparator(const QString& dir)
{
    if (dir.endsWith(QLatin1Char('\\')) || dir.endsWith(QLatin1Char('/')))
        return dir;
#ifdef Q_OS_WIN
    return dir + QLatin1Char('\\');
#else
    return dir + QLatin1Char('/');
#endif
}

QString lines(std::initializer_list<QString> parts)
{
    QString out;
    bool first = true;
    for (const QString& p : parts) {
        if (!first)
            out += QLatin1Char('\r');
        out += p;
        first = false;
    }
    return out;
}

} // namespace Fmt
