#pragma once

#include "db/database.h"
#include "import/resultsfile.h"

/**
 * Stores races and starts through prepared statements on the database's own connection. Used inside the
 * one transaction of an import run, which is what lets a week of some 3,600 starts go in at full speed.
 */
class RaceWriter : public RaceSink
{
public:
    /** Prepares the two insert statements; ok() tells whether that worked. */
    explicit RaceWriter(Database& db);

    bool ok() const { return m_races && m_starts; }
    /** A savepoint around one file, so that a file that fails stores nothing of its week. */
    bool savepoint();
    bool releaseSavepoint();
    bool rollbackToSavepoint();
    /** True when the last failure was another program's lock on the database. */
    bool inUse() const { return m_inUse; }

    bool addRace(const RaceRow& race) override;
    bool addStart(const StartRow& start) override;
    QString error() const override { return m_error; }

private:
    bool exec(const char* sql);
    bool run(Sql::Statement& statement);
    bool failed();

    Database& m_db;
    Sql::Statement m_races;
    Sql::Statement m_starts;
    QString m_error;
    bool m_inUse = false;
};
