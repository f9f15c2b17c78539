#include "import/fieldreader.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace
{
constexpr qsizetype ChunkSize = 64 * 1024;
bool isBlank(int c)
{
    return c == ' ' || c == '\t';
}
bool isLineEnd(int c)
{
    return c == '\r' || c == '\n';
}
/**
 * A plain decimal of 1 to 15 digits without a sign or an exponent, the form of nearly every number in a
 * results file: its digits as a whole number and the power of ten they are divided by are both exact doubles,
 * so the one division rounds as a full conversion would, at a fraction of its cost. nullopt for any other
 * form.
 */
std::optional<double> exactDecimal(std::string_view text)
{
    static constexpr double powers[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                        1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    std::uint64_t digits = 0;
    int count = 0;
    int decimals = -1; // none before the point is met
    for (char c : text) {
        if (c == '.' && decimals < 0) {
            decimals = 0;
            continue;
        }
        if (c < '0' || c > '9' || ++count > 15)
            return std::nullopt;
        digits = digits * 10 + std::uint64_t(c - '0');
        if (decimals >= 0)
            ++decimals;
    }
    if (count == 0)
        return std::nullopt;
    return double(digits) / powers[std::max(decimals, 0)];
}
} // namespace

FieldReader::FieldReader(QIODevice& device) : m_device(&device)
{
    m_buffer.resize(ChunkSize);
    m_data = m_buffer.data();
}

FieldReader::FieldReader(std::string_view data)
    : m_data(data.data()), m_end(qsizetype(data.size())), m_eof(true)
{
}

bool FieldReader::more()
{
    if (m_eof)
        return false;
    // Keep the unread tail (the field being scanned) and append the next chunk behind it.
    if (m_pos > 0) {
        std::memmove(m_buffer.data(), m_buffer.data() + m_pos, size_t(m_end - m_pos));
        m_end -= m_pos;
        m_pos = 0;
    }
    // Grow only when the tail leaves little room: an ordinary field left over from the last chunk must not
    // double the buffer.
    if (m_buffer.size() - m_end < ChunkSize / 4)
        m_buffer.resize(m_end + ChunkSize);
    m_data = m_buffer.data();
    const qint64 got = m_device->read(m_buffer.data() + m_end, m_buffer.size() - m_end);
    if (got < 0) {
        m_error = true;
        m_eof = true;
        return false;
    }
    if (got == 0) {
        m_eof = true;
        return false;
    }
    m_end += got;
    return true;
}

int FieldReader::peekMore(qsizetype offset)
{
    while (m_pos + offset >= m_end) {
        if (!more())
            return -1;
    }
    return static_cast<unsigned char>(m_data[m_pos + offset]);
}

FieldReader::Status FieldReader::next(std::string_view& field)
{
    return nextInBuffer(field) ? Status::Ok : nextSlowly(field);
}

bool FieldReader::nextInBuffer(std::string_view& field)
{
    const char* const start = m_data + m_pos;
    const char* const end = m_data + m_end;
    const auto separator = [](char c) { return c == ',' || isLineEnd(c); };
    const char* p = start;
    while (p < end && isBlank(*p))
        ++p;
    if (m_error || p == end)
        return false;
    const char* first = p;
    const char* last = nullptr; // the end of the value
    qint64 lines = 0;
    if (*p == '"') {
        ++first;
        last = static_cast<const char*>(std::memchr(first, '"', size_t(end - first)));
        if (!last)
            return false;
        lines = std::count(first, last, '\n');
        p = last + 1;
    }
    while (p < end && !separator(*p))
        ++p;
    if (p == end || p - start > MaxFieldLength)
        return false;
    if (!last) {
        last = p;
        while (last > first && isBlank(last[-1]))
            --last;
    }
    // The separator: a comma, a line end, or a comma with blanks and a line end after it.
    const char* after = p + 1;
    char c = *p;
    if (c == ',') {
        const char* q = after;
        while (q < end && isBlank(*q))
            ++q;
        if (q == end || q - after > MaxFieldLength)
            return false;
        c = *q;
        if (isLineEnd(c))
            after = q + 1;
    }
    if (isLineEnd(c)) {
        ++lines;
        // A CR may be followed by its LF in bytes not read yet.
        if (c == '\r' && after == end)
            return false;
        if (c == '\r' && *after == '\n')
            ++after;
    }
    field = std::string_view(first, size_t(last - first));
    m_fieldLine = m_line;
    m_line += lines;
    m_pos += after - start;
    return true;
}

FieldReader::Status FieldReader::nextSlowly(std::string_view& field)
{
    int c = peek(0);
    while (isBlank(c)) {
        ++m_pos;
        c = peek(0);
    }
    if (c < 0)
        return m_error ? Status::DeviceError : Status::EndOfData;
    m_fieldLine = m_line;

    qsizetype begin = 0;
    qsizetype length = 0;
    qsizetype i = 0; // offset from m_pos of the byte after the field's text
    if (c == '"') {
        i = 1;
        for (;;) {
            const int d = peek(i);
            if (d < 0)
                return m_error ? Status::DeviceError : Status::Unterminated;
            if (d == '"')
                break;
            if (d == '\n')
                ++m_line;
            if (++i > MaxFieldLength)
                return Status::TooLong;
        }
        begin = 1;
        length = i - 1;
        ++i;
        // Whatever stands between the closing quote and the separator is not part of the value, but it is
        // held in the buffer all the same, so it counts toward the field's length.
        for (int d = peek(i); d >= 0 && d != ',' && !isLineEnd(d); d = peek(i)) {
            if (++i > MaxFieldLength)
                return Status::TooLong;
        }
    } else {
        for (int d = c; d >= 0 && d != ',' && !isLineEnd(d); d = peek(i)) {
            if (++i > MaxFieldLength)
                return Status::TooLong;
        }
        length = i;
        while (length > 0 && isBlank(static_cast<unsigned char>(m_data[m_pos + length - 1])))
            --length;
    }

    // Consume the separator: a comma, a line end, or a comma with blanks and a line end after it.
    qsizetype after = i;
    int d = peek(after);
    if (d == ',') {
        ++after;
        qsizetype j = after;
        while (isBlank(peek(j))) {
            if (++j - after > MaxFieldLength)
                return Status::TooLong;
        }
        if (isLineEnd(peek(j))) {
            after = j;
            d = peek(after);
        } else {
            d = -1;
        }
    }
    if (d == '\r') {
        ++after;
        ++m_line;
        if (peek(after) == '\n')
            ++after;
    } else if (d == '\n') {
        ++after;
        ++m_line;
    }
    if (m_error)
        return Status::DeviceError;
    // peek() may have moved the buffer: take the view only now.
    field = std::string_view(m_data + m_pos + begin, size_t(length));
    m_pos += after;
    return Status::Ok;
}

std::optional<double> parseNumber(std::string_view text)
{
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    if (text.empty())
        return 0.0;
    bool negative = false;
    if (text.front() == '+' || text.front() == '-') {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (const auto exact = exactDecimal(text))
        return negative ? -*exact : *exact;
    // Only plain decimal forms: no "inf", "nan" or hexadecimal, which from_chars would otherwise take.
    size_t k = 0;
    size_t digits = 0;
    while (k < text.size() && text[k] >= '0' && text[k] <= '9')
        ++k, ++digits;
    if (k < text.size() && text[k] == '.') {
        ++k;
        while (k < text.size() && text[k] >= '0' && text[k] <= '9')
            ++k, ++digits;
    }
    if (digits == 0)
        return std::nullopt;
    if (k < text.size() && (text[k] == 'e' || text[k] == 'E')) {
        ++k;
        if (k < text.size() && (text[k] == '+' || text[k] == '-'))
            ++k;
        const size_t expStart = k;
        while (k < text.size() && text[k] >= '0' && text[k] <= '9')
            ++k;
        if (k == expStart)
            return std::nullopt;
    }
    if (k != text.size())
        return std::nullopt;
    double value = 0;
    const auto r = std::from_chars(text.data(), text.data() + text.size(), value);
    if (r.ec != std::errc() || r.ptr != text.data() + text.size() || !std::isfinite(value))
        return std::nullopt;
    return negative ? -value : value;
}
