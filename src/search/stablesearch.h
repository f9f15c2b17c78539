#pragma once

#include "search/savednames.h"

#include <QString>
#include <QStringList>

#include <array>

class MainWindowState;
class Platform;

/** The stable search dialog without its widgets: the four stable boxes, the saved sets and the selection. */
struct StableState {
    std::array<QString, 4> txto1;
    QStringList lstnames;
    /** The selected saved set, -1 when none is selected. */
    int ListIndex = -1;
    /** The owner expression that "Search!" hands to the owner search. */
    QString lblquerystring;
};

/** "Search!", first half: builds the owner expression into lblquerystring. False, after its message, when the
    boxes are all empty or a name cannot be searched; the dialog then stays as it was. */
bool buildStableQuery(Platform& p, StableState& s);
/** "Search!", second half: one owner search for every stable of the expression. */
void stableSearch(MainWindowState& f, const StableState& s);
/** "Search!" whole, for callers that show nothing in between; true when the search ran. */
bool cmdgo_Click(MainWindowState& f, StableState& s);

/** "Load": the list from the saved-names file; on a read error the message, and the list stays as it was. */
void cmdload_Click(MainWindowState& f, StableState& s);
/** "Add": the non-empty boxes, joined by ", ", at the end of the list, and the list saved. */
void cmdadd_Click(MainWindowState& f, StableState& s);
/** "Delete": the selected set out of the list, and the list saved. */
void cmddelete_Click(MainWindowState& f, StableState& s);
/** "Use" (and a double click on a set): the selected set split into the four boxes. */
void cmduse_Click(MainWindowState& f, StableState& s);
