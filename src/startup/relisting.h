#pragma once

class MainWindowState;

/**
 * Runs the list in the results grid again after the stored weeks changed, with the search and the panel that
 * made it, asking nothing; the status line keeps what the change said and adds what became of the list. A
 * list that finds nothing now, or that no search made, is cleared, and the line says why.
 */
void relist(MainWindowState& f);

/** Empties the results grid, its statistics and summary, and forgets the search that filled it. */
void clearListing(MainWindowState& f);
