#pragma once

#include "db/database.h"
#include "db/nameindex.h"
#include "import/resultsfile.h"

/**
 * Stores races and starts through prepared statements on the database's own connection. Used inside the
 * one transaction of an import run, which is what lets a week of some 3,600 starts go in at full speed.
 */
class RaceWriter : public RaceSink
{
public:
    /** Prepares the two insert statements; ok() tells whether that worked. The names of each start stored
        are counted in `names` when given. */
    explicit RaceWriter(Database& db, NameIndex::BulkCount* names = nullptr);

    bool ok() const { return m_races && m_raceBatch && m_starts && m_startBatch; }

    /**
     * Inside the run's transaction, before the first row: when the files to be read, `bytes` of them, bring
     * far more starts than the database holds, the indexes that each start would land somewhere inside are
     * dropped, for finish() to build from all the rows at once. False with the database's error set when
     * that fails.
     */
    bool begin(qint64 bytes);
    /** Before the transaction commits: builds the indexes begin() dropped, saying through `progress` (when
        given) how far it has got. */
    bool finish(const std::function<void(const QString&)>& progress);
    /** True when the last failure was another program's lock on the database. */
    bool inUse() const { return m_inUse; }

    bool addRace(const RaceRow& race) override;
    bool addStart(const StartRow& start) override;
    /** Store the rows in their order. */
    bool addRaces(const std::vector<RaceRow>& races);
    bool addStarts(const std::vector<StartRow>& starts);
    QString error() const override { return m_error; }

private:
    static constexpr int RowsPerStatement = 64;
    /** Binds a row to the nine parameters from `first` on; a start's names are counted too. */
    void bindRow(Sql::Statement& q, int first, const RaceRow& r);
    void bindRow(Sql::Statement& q, int first, const StartRow& s);
    /** Stores rows in their order, RowsPerStatement to a statement (`many`) while they last. */
    template <typename Row>
    bool addRows(const std::vector<Row>& rows, Sql::Statement& one, Sql::Statement& many);
    bool run(Sql::Statement& statement);
    bool failed();

    Database& m_db;
    NameIndex::BulkCount* m_names;
    bool m_deferred = false; // the scattered indexes are left to finish()
    Sql::Statement m_races;
    Sql::Statement m_raceBatch; // RowsPerStatement races at once
    Sql::Statement m_starts;
    Sql::Statement m_startBatch;
    QString m_error;
    bool m_inUse = false;
};

/**
 * Holds the rows of one results file until the whole file has been read, so that a file that turns out to
 * be broken writes nothing: no part of a week is ever stored.
 */
class RaceBuffer : public RaceSink
{
public:
    bool addRace(const RaceRow& race) override;
    bool addStart(const StartRow& start) override;
    QString error() const override { return {}; }

    /** Writes the races, then the starts, each in the order read; false with the writer's error set. */
    bool writeTo(RaceWriter& writer) const;
    qsizetype races() const { return qsizetype(m_races.size()); }
    qsizetype starts() const { return qsizetype(m_starts.size()); }

private:
    std::vector<RaceRow> m_races;
    std::vector<StartRow> m_starts;
};
