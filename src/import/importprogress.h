#pragma once

#include <QString>

/** "raceout612.txt, 7,212 starts stored": the file being read and what the run has stored so far. */
QString importProgressText(const QString& name, qint64 starts);
/** "file 3 of 31: raceout612.txt, 7,212 starts stored", the line that follows an import. */
QString importProgressLine(int index, int count, const QString& name, qint64 starts);

/**
 * Follows an import file by file and carries the player's Cancel to it: the window shows it in its status
 * bar, the command-line tool on a terminal. A results file inside a zip archive counts as one file. The run
 * calls it from the thread it runs on.
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
    /** A step of the run's own before the files, that takes a while ("Building the name index: 40%"). */
    virtual void note(const QString& text) { Q_UNUSED(text); }
    /** The run is over; `outcome` says in one line what it did. */
    virtual void end(const QString& outcome) = 0;
    /** True once the player asked the run to stop: it ends before it stores the file it is reading. */
    virtual bool stopRequested() const { return false; }
};
