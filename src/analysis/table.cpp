#include "analysis/table.h"

#include "core/format.h"

#include <algorithm>

namespace Analysis
{

double rounded(double v, int decimals)
{
    return Fmt::roundTo(v, decimals);
}

Cell Cell::number(double v, int decimals, const QString& mark)
{
    QString t = Fmt::fixed(v, decimals);
    if (!mark.isEmpty())
        t += QLatin1Char(' ') + mark;
    return {v, t};
}

Cell Cell::number(const std::optional<double>& v, int decimals, const QString& mark)
{
    return v ? number(*v, decimals, mark) : Cell{};
}

Cell Cell::money(std::int64_t v)
{
    return {QVariant::fromValue(qlonglong(v)), Fmt::grouped(double(v))};
}

Cell priceCell(std::int64_t price)
{
    return {QVariant::fromValue(qlonglong(price)), price == 0 ? QString() : QString::number(price)};
}

QString AnalysisTable::toText() const
{
    std::vector<qsizetype> widths(columns.size());
    for (std::size_t c = 0; c < columns.size(); ++c) {
        widths[c] = columns[c].heading.size();
        for (const TableRow& r : rows)
            widths[c] = std::max(widths[c], r.cells[c].text.size());
    }
    const auto line = [&](const auto& textOf, const QString& tail) {
        QString out;
        for (std::size_t c = 0; c < columns.size(); ++c) {
            if (c > 0)
                out += QStringLiteral("  ");
            const QString t = textOf(c);
            out += columns[c].numeric ? t.rightJustified(widths[c]) : t.leftJustified(widths[c]);
        }
        // Trailing blanks of the last column say nothing.
        while (out.endsWith(QLatin1Char(' ')))
            out.chop(1);
        return out + tail + QLatin1Char('\n');
    };
    QString out = line([&](std::size_t c) { return columns[c].heading; }, QString());
    for (const TableRow& r : rows)
        out += line([&](std::size_t c) { return r.cells[c].text; },
                    r.few.isEmpty()
                        ? QString()
                        : QStringLiteral(" (%1)").arg(r.mark.isEmpty() ? QStringLiteral("few") : r.mark));
    return out;
}

QByteArray AnalysisTable::toCsv() const
{
    const auto line = [](const auto& texts, std::size_t n) {
        QString out;
        for (std::size_t c = 0; c < n; ++c) {
            if (c > 0)
                out += QLatin1Char(',');
            out += QLatin1Char('"') + QString(texts(c)).replace(QLatin1Char('"'), QStringLiteral("\"\"")) +
                   QLatin1Char('"');
        }
        return out + QStringLiteral("\r\n");
    };
    QString out = line([&](std::size_t c) { return columns[c].heading; }, columns.size());
    for (const TableRow& r : rows)
        out += line([&](std::size_t c) { return r.cells[c].text; }, columns.size());
    return out.toUtf8();
}

QJsonValue jsonNumber(const std::optional<double>& v)
{
    return v ? QJsonValue(*v) : QJsonValue(QJsonValue::Null);
}

} // namespace Analysis
