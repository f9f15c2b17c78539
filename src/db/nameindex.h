#pragma once

#include <QString>
#include <QVariantList>

#include <functional>

class Database;
class QSqlDatabase;

/**
 * The distinct horse and owner names with a trigram full-text index over them, which lets a name pattern
 * that begins with a wildcard find its few names instead of reading every start. Triggers on tblhorsedata
 * keep it in step with whatever writes the starts (import, replacement, week removal), and a compaction
 * copies it with the rest of the file. A database without it is searched by reading every start.
 */
namespace NameIndex
{

enum class Kind { Horse = 0, Owner = 1 };

/** True when the database has the index (it is complete whenever it exists). */
bool present(QSqlDatabase& db);

/**
 * Builds the index in a database that lacks it, in its own transaction, reporting the share done through
 * `progress`. True when the index exists afterwards; false with `error` set when it could not be built,
 * in which case the database is as it was.
 */
bool ensure(Database& db, const std::function<void(const QString&)>& progress, QString* error = nullptr);

/** Whether reading the starts through the index beats reading every start, given the statement that
    counts the starts it would read. */
bool pays(QSqlDatabase& db, const QString& countSql, const QVariantList& binds);

/** The statement that lists the names of a kind matching both the trigram query (first parameter) and the
    LIKE pattern (second parameter). */
QString candidatesSql(Kind kind);

} // namespace NameIndex
