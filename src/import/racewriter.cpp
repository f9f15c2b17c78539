#include "import/racewriter.h"

namespace
{
/** Fewer bytes than a start takes in a results file with its share of the race's lines, so that the starts
    to come are rather overestimated. */
constexpr qint64 BytesPerStart = 100;
} // namespace

RaceWriter::RaceWriter(Database& db, NameIndex::BulkCount* names) : m_db(db), m_names(names)
{
    // The indexes of a growing database outgrow the default page cache within a few weeks of starts; a
    // larger cache for this connection keeps the index pages in memory for the whole import. What the engine
    // keeps to undo one statement inside the transaction stays in memory rather than in a file of its own.
    if (!db.exec("PRAGMA cache_size = -65536; PRAGMA temp_store = MEMORY",
                 QStringLiteral("The database cannot be prepared for the import"))) {
        failed();
        return;
    }
    m_races = db.prepare("INSERT INTO tblraces (racenum, surf, cond, dist, size, purse, cprice, restr, age) "
                         "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)");
    const QByteArray insert =
        "INSERT INTO tblhorsedata (hname, hid, racenum, fin, ppos, sp, start, odds, oname) "
        "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)";
    m_starts = db.prepare(insert.constData());
    // Many starts to a statement: the engine then opens its cursors and ends its statement once for them all.
    m_startBatch = db.prepare(
        (insert + QByteArray(", (?, ?, ?, ?, ?, ?, ?, ?, ?)").repeated(StartsPerStatement - 1)).constData());
    if (!ok())
        m_error = db.error();
}

bool RaceWriter::begin(qint64 bytes)
{
    const auto stored = m_db.number("SELECT COALESCE(MAX(rowid), 0) FROM tblhorsedata",
                                    QStringLiteral("The database cannot be read"));
    if (!stored)
        return false;
    // An index made from sorted rows costs about half of what adding the same rows one at a time costs, so
    // building the indexes again over the stored starts pays once the new ones clearly outnumber them.
    m_deferred = bytes / BytesPerStart > 2 * *stored;
    return !m_deferred || m_db.dropScatteredIndexes();
}

bool RaceWriter::finish(const std::function<void(const QString&)>& progress)
{
    if (!m_deferred)
        return true;
    m_deferred = false;
    return m_db.buildScatteredIndexes(progress);
}

bool RaceWriter::failed()
{
    m_db.fail(QStringLiteral("The database cannot be written"));
    m_inUse = m_db.inUse();
    m_error = m_inUse ? m_db.error() : m_db.sql().errorMessage();
    return false;
}

bool RaceWriter::run(Sql::Statement& statement)
{
    return statement.run() || failed();
}

bool RaceWriter::addRace(const RaceRow& r)
{
    m_races.bind(1, r.racenum)
        .bind(2, r.surf)
        .bind(3, r.cond)
        .bind(4, r.dist)
        .bind(5, r.size)
        .bind(6, r.purse)
        .bind(7, r.cprice)
        .bind(8, r.restr)
        .bind(9, r.age);
    return run(m_races);
}

void RaceWriter::bindStart(Sql::Statement& q, int first, const StartRow& s)
{
    q.bindUtf8(first, s.hname)
        .bind(first + 1, s.hid)
        .bind(first + 2, s.racenum)
        .bind(first + 3, s.fin)
        .bind(first + 4, s.ppos)
        .bind(first + 5, s.sp)
        .bind(first + 6, s.start)
        .bind(first + 7, s.odds)
        .bindUtf8(first + 8, s.oname);
    if (m_names)
        m_names->add(s.hname, s.oname);
}

bool RaceWriter::addStart(const StartRow& s)
{
    bindStart(m_starts, 1, s);
    return run(m_starts);
}

bool RaceWriter::addStarts(const std::vector<StartRow>& starts)
{
    std::size_t i = 0;
    for (; i + StartsPerStatement <= starts.size(); i += StartsPerStatement) {
        for (int k = 0; k < StartsPerStatement; ++k)
            bindStart(m_startBatch, 1 + 9 * k, starts[i + std::size_t(k)]);
        if (!run(m_startBatch))
            return false;
    }
    for (; i < starts.size(); ++i) {
        if (!addStart(starts[i]))
            return false;
    }
    return true;
}

bool RaceBuffer::addRace(const RaceRow& race)
{
    m_races.push_back(race);
    return true;
}

bool RaceBuffer::addStart(const StartRow& start)
{
    m_starts.push_back(start);
    return true;
}

bool RaceBuffer::writeTo(RaceWriter& writer) const
{
    for (const RaceRow& r : m_races) {
        if (!writer.addRace(r))
            return false;
    }
    return writer.addStarts(m_starts);
}
