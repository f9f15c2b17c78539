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
    bool begin();
    bool commit();

    bool addRace(const RaceRow& race) override;
    bool addStart(const StartRow& start) override;
    QString error() const override { return m_error; }

private:
    bool exec(const char* sql);
    bool step(sqlite3_stmt* statement);

    sqlite3* m_db = nullptr;
    EngineStatement m_races;
    EngineStatement m_starts;
    QString m_error;
};
