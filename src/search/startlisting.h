#pragma once

#include "search/searchquery.h"

#include <QString>

#include <vector>

class MainWindowState;

/** A start named by its horse and its race. */
struct StartKey {
    qint64 hid = 0;
    double racenum = 0;
};

/**
 * Starts that no search of the panel finds, listed in the results grid: an analysis's row (a band's winners,
 * a claim's spell). Built from the starts' keys, or from a statement of the caller's own with its values
 * bound, never from a text pasted into SQL.
 */
struct StartListing {
    /** What is listed, shown after "Statistics for ": "Winners of Clm 7500, dirt sprint, weeks 276-640". */
    QString subject;
    /** The starts by their keys, in any order; a key without a stored start is left out. */
    std::vector<StartKey> keys;
    /** When there are no keys: a statement over SearchQuery::selectColumns() with its values bound, read up
       to the grid's limit; it orders its rows newest first so that the limit keeps the newest. */
    SearchQuery::Statement statement;
};

/**
 * Lists the starts in the results grid, newest first and at most the grid's limit, with the statistics,
 * frainfo ("Statistics for " and the subject) and lblprogress as after an owner search; sorting, the filter,
 * the pop-up menu, printing and the export then work as after any search. The search panel's week range
 * and "Current Owner Only" are cleared (the listing is recorded as Listed), since no search of the panel
 * filled the grid. False, after a message, when nothing was listed; the grid then stays as it was.
 */
bool listStarts(MainWindowState& f, const StartListing& listing);
