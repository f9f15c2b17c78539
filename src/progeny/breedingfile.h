#pragma once

#include "core/mainwindowstate.h"

#include <QByteArray>
#include <QFile>
#include <QString>

#include <array>
#include <cstdint>

/** One horse of the breeding file: its id and name, its sire, dam-sire and dam's dam-sire, age and sex. */
struct BreedingRecord {
    /** Field 1 of the record's four lines; the horse's id is the first. */
    std::array<std::int32_t, 4> lineIds{};
    /** Field 2 of the four lines: horse, sire, dam-sire, dam's dam-sire, exactly as written. */
    std::array<QString, 4> lineNames;
    std::int16_t ageYears = 0;
    /** The character after the third comma of the first line; empty when there is none. */
    QString sexCode;
    /** Line number (from 1) of the record's first line in the file. */
    int firstLine = 0;

    std::int32_t id() const { return lineIds[0]; }
    const QString& name() const { return lineNames[0]; }
};

/**
 * A forward-only reader of the breeding file that returns, one at a time and in file order, the horses that
 * have a given stallion in one position of their pedigree. Records are four lines; a blank line between
 * records is skipped and a blank line inside one abandons the lines read so far.
 */
class BreedingScan
{
public:
    enum class Result {
        Record,      ///< next() filled the record: a progeny that passed the id check
        End,         ///< the file is read to its end
        CheckFailed, ///< a progeny whose later lines do not repeat its id; failedId() names it
        Malformed,   ///< the file cannot be read on; error() says where and why
    };

    /** Prepares a scan for the stallion `name` (compared without regard to case, not trimmed). */
    BreedingScan(const QString& path, const QString& name, ProgenySearchMode mode);
    /** Prepares a scan of every horse of the file, whatever its stallions. A record that fails the id check
        is passed over, as a search for one of its stallions would refuse it, and the scan reads on. */
    explicit BreedingScan(const QString& path);
    ~BreedingScan();
    BreedingScan(const BreedingScan&) = delete;
    BreedingScan& operator=(const BreedingScan&) = delete;

    /** Opens the file; false with error() set when it cannot be opened. */
    bool start();
    /** Reads on to the next progeny. After any result but Record the file is closed and the scan is over. */
    Result next(BreedingRecord& record);
    /** Closes the file; harmless when already closed. */
    void finish();

    /** The message for the user after a failed start() or a Malformed result. */
    const QString& error() const { return m_error; }
    /** The horse id of the record that failed the id check. */
    std::int32_t failedId() const { return m_failedId; }
    /** Number of lines read so far. */
    int lineNumber() const { return m_line; }

private:
    enum class Line { Text, Blank, EndOfFile, ReadError };
    Line readLine();
    Result malformed(const QString& what);
    /** Ends the scan at a record that the end of the file or a read error cut short. */
    Result cutShort(Line line, int firstLine);
    bool parseLine(int k, BreedingRecord& record);

    QFile m_file;
    QString m_path;
    QString m_wanted; // the searched name in lower case
    int m_matchLine;  // index 1 to 3 of the line whose name is compared; -1 when every horse is read
    QByteArray m_text;
    int m_line = 0;
    QString m_error;
    std::int32_t m_failedId = 0;
};
