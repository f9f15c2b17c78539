#pragma once

#include <QString>

class MainWindowState;
class SearchPanel;

/**
 * Keeps the results grid true to the stored weeks and to the search panel: after a change of the stored weeks
 * the list is run again (or cleared, saying why), the panel shows the search that filled the grid, and the
 * list's summary comes back when an action leaves the label empty (a search that found nothing, a backup).
 */
class ListingKeeper
{
public:
    ListingKeeper(MainWindowState& state, SearchPanel& panel) : m_state(state), m_panel(panel) {}

    /** After each action, before the window shows the state. */
    void sync();

private:
    MainWindowState& m_state;
    SearchPanel& m_panel;
    unsigned m_weekChanges = 0;
    unsigned m_listings = 0;
    /** lblprogress as the search that made the list left it. */
    QString m_summary;
};
