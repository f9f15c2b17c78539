#pragma once

#include <QByteArray>
#include <QIODevice>

#include <optional>
#include <string_view>

/**
 * Reads the comma-separated fields of a results file one at a time, pulling the file in small chunks.
 * Fields end at a comma or a line end (a comma directly followed by a line end is one separator); blanks
 * before a field are skipped; a field that opens with a double quote runs to the closing quote and may hold
 * commas and line ends. Nothing beyond the field asked for is interpreted, so whatever follows the last
 * field read is never looked at as data.
 */
class FieldReader
{
public:
    /** Reads from an open device; the device must outlive the reader. */
    explicit FieldReader(QIODevice& device);
    /** Reads from bytes held in memory (they must outlive the reader). */
    explicit FieldReader(std::string_view data);

    /** Result of one read. */
    enum class Status { Ok, EndOfData, Unterminated, TooLong, DeviceError };

    /** Reads the next field into `field` (valid until the next call). */
    Status next(std::string_view& field);

    /** The number of the line the reader has reached, counting from 1. */
    qint64 line() const { return m_line; }
    /** The line on which the last field read began (for messages). */
    qint64 fieldLine() const { return m_fieldLine; }

    /** Fields longer than this are refused rather than buffered without bound. */
    static constexpr qsizetype MaxFieldLength = 1 << 20;

private:
    /**
     * The field and its separator when the buffer holds them whole, as nearly every field is: read in one
     * pass over the bytes, without a check per byte for the buffer's end. False, having changed nothing, when
     * the buffer ends first or anything unusual happens; nextSlowly() then reads the field.
     */
    bool nextInBuffer(std::string_view& field);
    Status nextSlowly(std::string_view& field);
    /** Makes at least one more byte available after m_end; false at the end of the data. */
    bool more();
    /** The byte at m_pos + offset, or -1 past the end of the data. */
    int peek(qsizetype offset)
    {
        if (m_pos + offset < m_end)
            return static_cast<unsigned char>(m_data[m_pos + offset]);
        return peekMore(offset);
    }
    int peekMore(qsizetype offset);

    QIODevice* m_device = nullptr;
    QByteArray m_buffer; // not std::vector: a chunk read over it need not be zeroed first
    const char* m_data = nullptr;
    qsizetype m_pos = 0;
    qsizetype m_end = 0;
    bool m_eof = false;
    bool m_error = false;
    qint64 m_line = 1;
    qint64 m_fieldLine = 1;
};

/** Reads a numeric field: an optional sign, digits with an optional point, an optional exponent; an empty
    field reads as 0. nullopt for any other text or a value beyond double range. */
std::optional<double> parseNumber(std::string_view text);
