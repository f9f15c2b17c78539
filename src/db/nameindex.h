#pragma once

#include <QByteArray>
#include <QString>
#include <QVariantList>

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

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

/**
 * Counts the names of the starts a bulk import stores, in place of the trigger that counts them one start at
 * a time: the trigger is dropped inside the import's transaction and made again before it ends, so that no
 * other connection ever sees the index without it. The counts gathered go to the index at each flush.
 */
class BulkCount
{
public:
    /** A transaction left without end() is rolled back with the trigger's drop, so nothing is left to undo.
     */
    explicit BulkCount(Database& db);
    BulkCount(const BulkCount&) = delete;
    BulkCount& operator=(const BulkCount&) = delete;

    /** Inside the transaction: takes over the counting when the database has the index. */
    bool begin();
    /** One start stored with these names. */
    void add(const QByteArray& hname, const QByteArray& oname);
    /** Adds the counts gathered since the last flush to the index. */
    bool flush();
    /** Gives the counting back to the trigger; before the transaction commits. */
    bool end();

private:
    /** A name met: its kind and its starts so far, with the name as the index compares it (ASCII letters
        folded) held in place when it is short, as nearly every name is, so that finding it again reads
        this one entry and nothing beside it. */
    struct Pending {
        std::uint64_t hash; // of the kind and the folded name
        qint64 starts;
        std::int32_t kind;
        std::int32_t length; // of the folded name, which `folded` holds when it fits
        char folded[40];
    };
    void add(int kind, const QByteArray& name);
    bool sameName(std::size_t entry, int kind, std::uint64_t hash, const QByteArray& name) const;

    Database& m_db;
    bool m_active = false;
    std::vector<Pending> m_pending;
    std::vector<QByteArray> m_names; // as first met, beside m_pending
    /** Open addressing over m_pending: an entry's place there plus one, 0 for a free slot. Every start
        looks its names up here, so a name met before costs no allocation. */
    std::vector<std::uint32_t> m_slots;
};

/** The names of a kind that a pattern matches, and the starts they hold together. */
struct Candidates {
    QVariantList names;
    qint64 starts = 0;
};

/** The names of a kind matching the LIKE pattern (escape character "\\"), found through the trigram query, or
    without one between lower and upper (ignoring case), or with neither among all the names of the kind;
    nullopt when the index cannot be read. */
std::optional<Candidates> candidates(Database& db, Kind kind, const QString& trigrams, const QString& lower,
                                     const QString& upper, const QString& like);

} // namespace NameIndex
