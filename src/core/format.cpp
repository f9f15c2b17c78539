#include "core/format.h"

#include <QRegularExpression>
#include <QStringDecoder>

#include <algorithm>
#include <cmath>
#include <limits>

namespace Fmt
{

double roundHalfEven(double value)
{
    return std::nearbyint(value); // the default rounding mode is to nearest, ties to even
}

double roundScaled(double scaled)
{
    const double x = std::fabs(scaled);
    const double whole = std::floor(x);
    // A value that reads as an exact half in decimal may sit a hair below or above it in binary.
    const double eps = 1e-11 * std::max(1.0, x);
    const double r = std::fabs(x - whole - 0.5) <= eps ? whole + 1 : std::round(x);
    return scaled < 0 ? -r : r;
}

double roundTo(double value, int decimals)
{
    // Imports and grids round every start: the usual scales without a pow() each time.
    static const double scales[] = {1, 10, 100, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9};
    if (!std::isfinite(value))
        return value;
    const double scale = decimals >= 0 && decimals <= 9 ? scales[decimals] : std::pow(10.0, decimals);
    return roundScaled(value * scale) / scale;
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
QString count(qint64 n, const QString& noun)
{
    return grouped(double(n)) + QLatin1Char(' ') + noun + (n == 1 ? QString() : QStringLiteral("s"));
}
QString megabytes(qint64 bytes)
{
    return QString::number(double(bytes) / 1e6, 'f', 1) + QStringLiteral(" MB");
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
    // Most names are ASCII, and a grid of 15,000 rows cases each one.
    if (std::all_of(text.begin(), text.end(), [](QChar ch) { return ch.unicode() < 0x80; })) {
        QString out = text;
        bool startOfWord = true;
        for (QChar& ch : out) {
            const char16_t c = ch.unicode();
            if (c == u' ' || (c >= u'\t' && c <= u'\r')) {
                startOfWord = true;
                continue;
            }
            if (startOfWord && c >= u'a' && c <= u'z')
                ch = QChar(c - 32);
            else if (!startOfWord && c >= u'A' && c <= u'Z')
                ch = QChar(c + 32);
            startOfWord = false;
        }
        return out;
    }
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

QString decodeText(QByteArrayView bytes)
{
    if (std::all_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
        return QString::fromLatin1(bytes);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8(bytes);
    return utf8.hasError() ? QString::fromLatin1(bytes) : text;
}

QString literalCaption(const QString& text)
{
    return QString(text).replace(QLatin1Char('&'), QLatin1String("&&"));
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
