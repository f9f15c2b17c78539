#pragma once

#include <QString>

#include <optional>

/** The two short codes a race is stored with: its type code (`restr`) and its age code (`age`). */
struct RaceCodes {
    QString restr;
    QString age;
};

/**
 * Turns a race's type text and conditions text into its codes. It keeps the non-winner count between
 * races: a conditions text that names no count reuses the last one named, so one classifier serves a
 * whole import, across its files.
 */
class RaceClassifier
{
public:
    /** The codes, or nullopt with error() set when a text is not in the shape the rules need. */
    std::optional<RaceCodes> classify(const QString& type, const QString& conditions);

    /** The age code alone; nullopt when "year" stands too early for its age character. */
    static std::optional<QString> ageCode(const QString& conditions);

    /** The non-winner count carried to the next race (0 at the start of an import). */
    int count() const { return m_count; }
    QString error() const { return m_error; }

private:
    std::optional<QString> typeCode(const QString& type, const QString& conditions);
    std::optional<QString> winnerRules(const QString& type, QChar prefix, const QString& conditions);
    std::optional<QString> valueCode(const QString& conditions);

    int m_count = 0;
    QString m_error;
};
