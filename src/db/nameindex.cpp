#include "db/nameindex.h"

#include "db/database.h"

#include <algorithm>

namespace NameIndex
{

namespace
{

struct Column {
    int kind;
    QLatin1String name;
};
const Column columns[] = {{int(Kind::Horse), QLatin1String("hname")},
                          {int(Kind::Owner), QLatin1String("oname")}};

/** Counts one more start of the row's name, adding the name unless a name equal to it (ignoring case) is
    there. No conflict clause is relied on: an outer INSERT OR REPLACE would override it inside the trigger.
 */
QString addName(const Column& c)
{
    return QStringLiteral(
               "INSERT INTO tblnames (kind, name, starts) SELECT %1, new.%2, 0 WHERE new.%2 IS NOT "
               "NULL AND NOT EXISTS (SELECT 1 FROM tblnames WHERE kind = %1 AND name = new.%2); "
               "UPDATE tblnames SET starts = starts + 1 WHERE kind = %1 AND name = new.%2; ")
        .arg(c.kind)
        .arg(c.name);
}

/** Counts one start less of the row's old name, dropping the name with its last start. */
QString dropName(const Column& c)
{
    return QStringLiteral("UPDATE tblnames SET starts = starts - 1 WHERE kind = %1 AND name = old.%2; "
                          "DELETE FROM tblnames WHERE kind = %1 AND name = old.%2 AND starts <= 0; ")
        .arg(c.kind)
        .arg(c.name);
}

/** The bytes of a name as a JSON string. */
QByteArray jsonText(const QByteArray& utf8)
{
    QByteArray out = "\"";
    for (char c : utf8) {
        if (c == '"' || c == '\\')
            out += '\\';
        if (static_cast<unsigned char>(c) < 0x20)
            out += "\\u00" + QByteArray::number(static_cast<unsigned char>(c), 16).rightJustified(2, '0');
        else
            out += c;
    }
    return out + '"';
}

const char* const triggers[] = {"tblhorsedata_names_added", "tblhorsedata_names_dropped",
                                "tblhorsedata_names_changed", "tblnames_added", "tblnames_dropped"};

/** The trigger that counts the names of each start stored. */
QString insertTrigger()
{
    QString added;
    for (const Column& c : columns)
        added += addName(c);
    return QStringLiteral("CREATE TRIGGER tblhorsedata_names_added AFTER INSERT ON tblhorsedata BEGIN ") +
           added + QStringLiteral("END");
}

QStringList schema()
{
    QString added, dropped;
    for (const Column& c : columns) {
        added += addName(c);
        dropped += dropName(c);
    }
    return {
        QStringLiteral("CREATE TABLE tblnames (id INTEGER PRIMARY KEY, kind INTEGER NOT NULL, "
                       "name TEXT COLLATE NOCASE NOT NULL, starts INTEGER NOT NULL, UNIQUE (kind, name))"),
        QStringLiteral("CREATE VIRTUAL TABLE tblnames_fts USING fts5(name, content='tblnames', "
                       "content_rowid='id', tokenize='trigram')"),
        QStringLiteral("CREATE TRIGGER tblnames_added AFTER INSERT ON tblnames BEGIN "
                       "INSERT INTO tblnames_fts (rowid, name) VALUES (new.id, new.name); END"),
        QStringLiteral("CREATE TRIGGER tblnames_dropped AFTER DELETE ON tblnames BEGIN "
                       "INSERT INTO tblnames_fts (tblnames_fts, rowid, name) VALUES ('delete', old.id, "
                       "old.name); END"),
        insertTrigger(),
        QStringLiteral("CREATE TRIGGER tblhorsedata_names_dropped AFTER DELETE ON tblhorsedata BEGIN ") +
            dropped + QStringLiteral("END"),
        QStringLiteral("CREATE TRIGGER tblhorsedata_names_changed AFTER UPDATE OF hname, oname ON "
                       "tblhorsedata BEGIN ") +
            dropped + added + QStringLiteral("END"),
    };
}

} // namespace

bool present(Database& db)
{
    // An index from before the start counts is built again.
    Sql::Statement fts = db.prepare("SELECT 1 FROM sqlite_master WHERE name = 'tblnames_fts'");
    Sql::Statement starts = db.prepare("SELECT 1 FROM pragma_table_info('tblnames') WHERE name = 'starts'");
    return fts.next() && starts.next();
}

bool ensure(Database& db, const std::function<void(const QString&)>& progress, QString* error)
{
    if (present(db))
        return true;
    Sql::Connection& sql = db.sql();
    Sql::Transaction t(sql);
    const auto failed = [&] {
        db.fail(QStringLiteral("The name index cannot be built"));
        if (error)
            *error = db.error();
        return false;
    };
    if (!t.ok())
        return failed();
    QStringList statements;
    for (const char* trigger : triggers)
        statements << QStringLiteral("DROP TRIGGER IF EXISTS ") + QLatin1String(trigger);
    statements << QStringLiteral("DROP TABLE IF EXISTS tblnames_fts")
               << QStringLiteral("DROP TABLE IF EXISTS tblnames");
    for (const QString& statement : statements + schema()) {
        if (!sql.exec(statement))
            return failed();
    }
    const auto last = db.number("SELECT COALESCE(MAX(rowid), 0) FROM tblhorsedata", QString());
    if (!last)
        return failed();
    // Slices of the table in storage order, so that the share done can be shown as it goes.
    constexpr qint64 slice = 200000;
    std::vector<Sql::Statement> counts;
    for (const Column& c : columns) {
        counts.push_back(sql.prepare(
            QStringLiteral("INSERT INTO tblnames (kind, name, starts) SELECT %1, %2, COUNT(*) FROM "
                           "tblhorsedata WHERE rowid > ? AND rowid <= ? AND %2 IS NOT NULL GROUP BY %2 "
                           "ON CONFLICT (kind, name) DO UPDATE SET starts = starts + excluded.starts")
                .arg(c.kind)
                .arg(c.name)));
    }
    for (qint64 from = 0; from < *last; from += slice) {
        progress(QStringLiteral("Building the name index: %1%").arg(from * 100 / *last));
        for (Sql::Statement& q : counts) {
            if (!q.bind(1, from).bind(2, from + slice).run())
                return failed();
        }
    }
    return t.commit() || failed();
}

BulkCount::BulkCount(Database& db) : m_db(db) {}

bool BulkCount::begin()
{
    m_active = present(m_db);
    return !m_active || m_db.exec("DROP TRIGGER tblhorsedata_names_added",
                                  QStringLiteral("The name index cannot be prepared for the import"));
}

namespace
{
/** The index compares names as the engine's NOCASE does: ASCII letters folded, every other byte as it is. */
char folded(char c)
{
    return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}
} // namespace

bool BulkCount::sameName(std::size_t entry, int kind, std::uint64_t hash, const QByteArray& name) const
{
    const Pending& p = m_pending[entry];
    if (p.hash != hash || p.kind != kind || p.length != name.size())
        return false;
    const auto equal = [](char a, char b) { return folded(a) == folded(b); };
    if (p.length <= qsizetype(sizeof p.folded))
        return std::equal(name.cbegin(), name.cend(), p.folded, equal);
    return std::equal(name.cbegin(), name.cend(), m_names[entry].cbegin(), equal);
}

void BulkCount::add(int kind, const QByteArray& name)
{
    std::uint64_t hash = 0xcbf29ce484222325u ^ std::uint64_t(kind);
    for (char c : name)
        hash = (hash ^ static_cast<unsigned char>(folded(c))) * 0x100000001b3u;
    if (m_pending.size() * 2 >= m_slots.size()) {
        m_slots.assign(std::max<std::size_t>(4096, m_slots.size() * 2), 0);
        for (std::size_t i = 0; i < m_pending.size(); ++i) {
            std::size_t slot = m_pending[i].hash & (m_slots.size() - 1);
            while (m_slots[slot] != 0)
                slot = (slot + 1) & (m_slots.size() - 1);
            m_slots[slot] = std::uint32_t(i + 1);
        }
    }
    for (std::size_t slot = hash & (m_slots.size() - 1);; slot = (slot + 1) & (m_slots.size() - 1)) {
        if (m_slots[slot] == 0) {
            Pending p{hash, 1, kind, std::int32_t(name.size()), {}};
            if (name.size() <= qsizetype(sizeof p.folded))
                std::transform(name.cbegin(), name.cend(), p.folded, folded);
            m_pending.push_back(p);
            m_names.push_back(name);
            m_slots[slot] = std::uint32_t(m_pending.size());
            return;
        }
        if (sameName(m_slots[slot] - 1, kind, hash, name)) {
            ++m_pending[m_slots[slot] - 1].starts;
            return;
        }
    }
}

void BulkCount::add(const QByteArray& hname, const QByteArray& oname)
{
    if (!m_active)
        return;
    add(int(Kind::Horse), hname);
    add(int(Kind::Owner), oname);
}

bool BulkCount::flush()
{
    if (!m_active || m_pending.empty())
        return true;
    // One statement for every name: the trigram index writes out what it holds at the start and end of each
    // statement that may be undone on its own, which a statement per name would do once per name.
    QByteArray list = "[";
    for (std::size_t i = 0; i < m_pending.size(); ++i) {
        if (i > 0)
            list += ',';
        list += '[' + QByteArray::number(m_pending[i].kind) + ',' + jsonText(m_names[i]) + ',' +
                QByteArray::number(m_pending[i].starts) + ']';
    }
    list += ']';
    // In the order the names were first met, as the trigger would have added them.
    Sql::Statement q = m_db.prepare(
        "INSERT INTO tblnames (kind, name, starts) SELECT json_extract(value, '$[0]'), json_extract(value, "
        "'$[1]'), json_extract(value, '$[2]') FROM json_each(?) WHERE true ON CONFLICT (kind, name) DO "
        "UPDATE "
        "SET starts = starts + excluded.starts");
    if (!q.bindUtf8(1, list).run())
        return m_db.fail(QStringLiteral("The name index cannot be written"));
    m_pending.clear();
    m_names.clear();
    m_slots.clear();
    return true;
}

bool BulkCount::end()
{
    if (!m_active)
        return true;
    m_active = false;
    return m_db.exec(insertTrigger().toUtf8().constData(),
                     QStringLiteral("The name index cannot be completed"));
}

std::optional<Candidates> candidates(Database& db, Kind kind, const QString& trigrams, const QString& lower,
                                     const QString& upper, const QString& like)
{
    Sql::Statement q;
    if (trigrams.isEmpty() && lower.isEmpty()) {
        // Neither a literal start nor a run of three: every name of the kind is matched, a far shorter list
        // than the starts that carry them.
        q = db.prepare(
            QStringLiteral("SELECT name, starts FROM tblnames WHERE kind = %1 AND name LIKE ? ESCAPE '\\'")
                .arg(int(kind)));
        q.bind(1, like);
    } else if (trigrams.isEmpty()) {
        q = db.prepare(
            QStringLiteral("SELECT name, starts FROM tblnames WHERE kind = %1 AND name >= ? AND name < ? "
                           "AND name LIKE ? ESCAPE '\\'")
                .arg(int(kind)));
        q.bind(1, lower).bind(2, upper).bind(3, like);
    } else {
        // "+kind" keeps the engine from walking every name of the kind: the trigram hits lead.
        q = db.prepare(
            QStringLiteral("SELECT name, starts FROM tblnames WHERE +kind = %1 AND id IN (SELECT rowid FROM "
                           "tblnames_fts WHERE tblnames_fts MATCH ?) AND name LIKE ? ESCAPE '\\'")
                .arg(int(kind)));
        q.bind(1, trigrams).bind(2, like);
    }
    Candidates c;
    while (q.next()) {
        c.names << q.text(0);
        c.starts += q.integer(1);
    }
    if (!q || q.failed())
        return std::nullopt;
    return c;
}

} // namespace NameIndex
