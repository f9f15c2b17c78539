#pragma once

#include <QString>

/** "raceout612.txt, 7,212 starts stored": the file being read and what the run has stored so far. */
QString importProgressText(const QString& name, qint64 starts);

/**
 * Follows an import file by file, beside the race numbers of lblprogress: the window shows it in its status
 * bar. A results file inside a zip archive counts as one file.
 */
class ImportProgress
{
public:
    virtual ~ImportProgress() = default;
    /** The run is about to read `count` files. */
    virtual void start(int count) = 0;
    /** File `index` (from 1) is being read; `name` says which, with its archive when it has one, and
        `starts` how many starts the run has stored before it. */
    virtual void file(int index, const QString& name, qint64 starts) = 0;
    /** The run is over; `outcome` says in one line what it did. */
    virtual void end(const QString& outcome) = 0;
};
