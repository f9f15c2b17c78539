#include "search/cellformat.h"

#include "core/format.h"

#include <cmath>
#include <vector>

namespace CellFormat
{

namespace
{

constexpr double powers[] = {1, 10, 100, 1000, 10000, 100000, 1000000, 10000000, 100000000};
constexpr long long ipowers[] = {1, 10, 100, 1000, 10000, 100000, 1000000, 10000000, 100000000};

} // namespace

QString fixed(double value, int decimals, int intDigits)
{
    // Negative, huge or odd requests go the general way.
    if (!(value >= 0 && value < 1e9) || decimals < 0 || decimals > 8 || intDigits < 1 || intDigits > 9)
        return Fmt::fixed(value, decimals, intDigits);
    const long long n = static_cast<long long>(Fmt::roundScaled(value * powers[decimals]));
    long long intPart = n / ipowers[decimals];
    long long fracPart = n % ipowers[decimals];
    char buffer[40];
    char* end = buffer + sizeof buffer;
    char* p = end;
    for (int i = 0; i < decimals; ++i) {
        *--p = char('0' + fracPart % 10);
        fracPart /= 10;
    }
    if (decimals > 0)
        *--p = '.';
    int digits = 0;
    do {
        *--p = char('0' + intPart % 10);
        intPart /= 10;
        ++digits;
    } while (intPart > 0);
    while (digits++ < intDigits)
        *--p = '0';
    return QString::fromLatin1(p, end - p);
}

QString number(long long value)
{
    static const std::vector<QString> small = [] {
        std::vector<QString> texts;
        for (int i = 0; i < 1000; ++i)
            texts.push_back(QString::number(i));
        return texts;
    }();
    if (value >= 0 && value < 1000)
        return small[std::size_t(value)];
    return QString::number(value);
}

QString plain(double value)
{
    if (!std::isfinite(value) || std::fabs(value) >= 1e12)
        return Fmt::shortest(value);
    // A value that is exactly the nearest double to a decimal of at most four places prints as that decimal,
    // which is also what the shortest form gives.
    for (int k = 0; k <= 4; ++k) {
        const double scaled = std::round(value * powers[k]);
        if (scaled / powers[k] == value) {
            QString text = fixed(std::fabs(value), k, 1);
            if (k > 0) {
                while (text.endsWith(QLatin1Char('0')))
                    text.chop(1);
                if (text.endsWith(QLatin1Char('.')))
                    text.chop(1);
            }
            return value < 0 ? QLatin1Char('-') + text : text;
        }
    }
    return Fmt::shortest(value);
}

} // namespace CellFormat
