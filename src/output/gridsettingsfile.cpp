#include "output/gridsettings.h"

#include "core/gridstate.h"
#include "core/smallfile.h"

#include <limits>

namespace GridSettings
{

static void appendNumber(QByteArray& out, qint64 value)
{
    out += value < 0 ? '-' : ' ';
    out += QByteArray::number(value < 0 ? -value : value);
    out += ' ';
}

QByteArray format(const Values& values)
{
    QByteArray out;
    for (std::int16_t w : values.widths)
        appendNumber(out, w);
    appendNumber(out, values.backColor);
    out += "\r\n";
    return out;
}

std::optional<Values> parse(const QByteArray& text)
{
    Values v;
    int count = 0;
    qsizetype i = 0;
    const qsizetype n = text.size();
    auto isSeparator = [](char c) { return c == ' ' || c == ',' || c == '\r' || c == '\n' || c == '\t'; };
    while (count < Columns + 1) {
        while (i < n && isSeparator(text[i]))
            ++i;
        if (i >= n)
            return std::nullopt;
        const qsizetype start = i;
        while (i < n && !isSeparator(text[i]))
            ++i;
        bool ok = false;
        const qlonglong number = text.mid(start, i - start).toLongLong(&ok);
        if (!ok)
            return std::nullopt;
        if (count < Columns) {
            if (number < 0 || number > std::numeric_limits<std::int16_t>::max())
                return std::nullopt;
            v.widths[count] = std::int16_t(number);
        } else {
            if (number < std::numeric_limits<std::int32_t>::min() ||
                number > std::numeric_limits<std::int32_t>::max())
                return std::nullopt;
            v.backColor = std::int32_t(number);
        }
        ++count;
    }
    return v;
}

Loaded load(const QString& path)
{
    Loaded result;
    const SmallFile file = readSmallFile(path, MaxFileSize);
    switch (file.status) {
    case SmallFile::Status::Missing:
        result.status = Loaded::Status::Missing;
        return result;
    case SmallFile::Status::Unusable:
        result.status = Loaded::Status::Damaged;
        return result;
    case SmallFile::Status::Read:
        break;
    }
    if (file.bytes.trimmed().isEmpty()) {
        result.status = Loaded::Status::Empty;
        return result;
    }
    const auto values = parse(file.bytes);
    result.status = values ? Loaded::Status::Values : Loaded::Status::Damaged;
    if (values)
        result.values = *values;
    return result;
}

Values defaults()
{
    Values v;
    for (int c = 0; c < Columns; ++c)
        v.widths[c] = std::int16_t(defaultWidths[c]);
    v.backColor = BackColor::ThreeDLight;
    return v;
}

} // namespace GridSettings
