#include "import/racewriter.h"

namespace
{
/** The names' UTF-8 bytes are bound as they are, kept by the rows until the statement has run. */
void bindField(Sql::Statement& q, int index, const QByteArray& utf8)
{
    q.bindUtf8(index, utf8);
}
template <typename T> void bindField(Sql::Statement& q, int index, const T& value)
{
    q.bind(index, value);
}
/** Binds the values to the parameters from `first` on, in order. */
template <typename... T> void bindFields(Sql::Statement& q, int first, const T&... values)
{
    (bindField(q, first++, values), ...);
}

/** Fewer bytes than a start takes in a results file with its share of the race's lines, so that the starts
    to come are rather overestimated. */
constexpr qint64 BytesPerStart = 100;
} // namespace

RaceWriter::RaceWriter(Database& db, NameIndex::BulkCount* names) : m_db(db), m_names(names)
{
    // The indexes of a growing database outgrow the default page cache within a few weeks of starts; a
    // larger cache for this connection keeps the index pages in memory for the whole import. What the engine
    // keeps to undo one statement inside the transaction stays in memory rather than in a file of its own.
    if (!db.holdChangesInMemory() ||
        !db.exec("PRAGMA temp_store = MEMORY",
                 QStringLiteral("The database cannot be prepared for the import"))) {
        failed();
        return;
    }
    const QByteArray races =
        "INSERT INTO tblraces (racenum, surf, cond, dist, size, purse, cprice, restr, age) "
        "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)";
    const QByteArray starts =
        "INSERT INTO tblhorsedata (hname, hid, racenum, fin, ppos, sp, start, odds, oname) "
        "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)";
    // Many rows to a statement: the engine then opens its cursors and ends its statement once for them all.
    const QByteArray more = QByteArray(", (?, ?, ?, ?, ?, ?, ?, ?, ?)").repeated(RowsPerStatement - 1);
    m_races = db.prepare(races.constData());
    m_raceBatch = db.prepare((races + more).constData());
    m_starts = db.prepare(starts.constData());
    m_startBatch = db.prepare((starts + more).constData());
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

void RaceWriter::bindRow(Sql::Statement& q, int first, const RaceRow& r)
{
    bindFields(q, first, r.racenum, r.surf, r.cond, r.dist, r.size, r.purse, r.cprice, r.restr, r.age);
}

void RaceWriter::bindRow(Sql::Statement& q, int first, const StartRow& s)
{
    bindFields(q, first, s.hname, s.hid, s.racenum, s.fin, s.ppos, s.sp, s.start, s.odds, s.oname);
    if (m_names)
        m_names->add(s.hname, s.oname);
}

template <typename Row>
bool RaceWriter::addRows(const std::vector<Row>& rows, Sql::Statement& one, Sql::Statement& many)
{
    std::size_t i = 0;
    for (; i + RowsPerStatement <= rows.size(); i += RowsPerStatement) {
        for (int k = 0; k < RowsPerStatement; ++k)
            bindRow(many, 1 + 9 * k, rows[i + std::size_t(k)]);
        if (!run(many))
            return false;
    }
    for (; i < rows.size(); ++i) {
        bindRow(one, 1, rows[i]);
        if (!run(one))
            return false;
    }
    return true;
}

bool RaceWriter::addRace(const RaceRow& race)
{
    bindRow(m_races, 1, race);
    return run(m_races);
}

bool RaceWriter::addStart(const StartRow& start)
{
    bindRow(m_starts, 1, start);
    return run(m_starts);
}

bool RaceWriter::addRaces(const std::vector<RaceRow>& races)
{
    return addRows(races, m_races, m_raceBatch);
}

bool RaceWriter::addStarts(const std::vector<StartRow>& starts)
{
    return addRows(starts, m_starts, m_startBatch);
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
    return writer.addRaces(m_races) && writer.addStarts(m_starts);
}
