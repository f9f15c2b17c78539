#pragma once

#include "import/resultsfile.h"

struct sqlite3;
struct sqlite3_stmt;
class Database;

/**
 * Stores races and starts through prepared statements on the database's own connection. Used inside one
 * transaction per results file, which is what lets a week of some 3,600 starts go in at full speed.
 */
class RaceWriter : public RaceSink
{
public:
    /** Prepares the two insert statements; ok() tells whether that worked. */
    explicit RaceWriter(Database& db);
    ~RaceWriter() override;
    RaceWriter(const RaceWriter&) = delete;
    RaceWriter& operator=(const RaceWriter&) = delete;

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
    sqlite3_stmt* m_races = nullptr;
    sqlite3_stmt* m_starts = nullptr;
    QString m_error;
};
