#pragma once

#include <QString>
#include <QVariantList>

#include <functional>
#include <optional>

class Database;

/**
 * The distinct horse and owner names, each with the number of starts that carry it, under a trigram
 * full-text index, which lets a name pattern that begins with a wildcard find its names and count its starts
 * instead of reading every start. Triggers on tblhorsedata
 * keep it in step with whatever writes the starts (import, replacement, week removal), and a compaction
 * copies it with the rest of the file. A database without it is searched by reading every start.
 */
namespace NameIndex
{

enum class Kind { Horse = 0, Owner = 1 };

/** True when the database has the index with its start counts (it is complete whenever it exists). */
bool present(Database& db);

/**
 * Builds the index in a database that lacks it, in its own transaction, reporting the share done through
 * `progress`. True when the index exists afterwards; false with `error` set when it could not be built,
 * in which case the database is as it was.
 */
bool ensure(Database& db, const std::function<void(const QString&)>& progress, QString* error = nullptr);

/** The names of a kind that a pattern matches, and the starts they hold together. */
struct Candidates {
    QVariantList names;
    qint64 starts = 0;
};

/** The names of a kind matching the LIKE pattern (escape character "\\"), found through the trigram query, or
    without one between lower and upper (ignoring case); nullopt when the index cannot be read. */
std::optional<Candidates> candidates(Database& db, Kind kind, const QString& trigrams, const QString& lower,
                                     const QString& upper, const QString& like);

} // namespace NameIndex
