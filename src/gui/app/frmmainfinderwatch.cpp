// The main window's side of the watch list: Utilities > "&Watch List..." and the "Watched starts" window that
// follows an import.
#include "gui/app/dialogkeys.h"
#include "gui/app/frmmainfinder.h"

#include "gui/search/frmwatchedstarts.h"
#include "gui/search/frmwatchlist.h"
#include "search/watchlist.h"

#include <QPushButton>

void frmmainfinder::watchlist_Click()
{
    // One window at a time: it is the list in the file that it shows and changes.
    if (!m_watchlist) {
        m_watchlist = new frmwatchlist(m_state, this);
        giveDialogKeys(m_watchlist, m_watchlist->cmdaddhorse);
    }
    m_watchlist->show();
    m_watchlist->raise();
    m_watchlist->activateWindow();
}

void frmmainfinder::showWatchedStarts(const QList<int>& weeks)
{
    if (weeks.isEmpty())
        return;
    const QList<WatchedStart> starts = watchedStarts(m_state, weeks);
    if (starts.isEmpty())
        return;
    if (!watchedWindow) {
        watchedWindow = new frmwatchedstarts([this](const auto& op) { run(op); }, this);
        giveDialogKeys(watchedWindow);
    }
    watchedWindow->setStarts(starts, weeks);
    watchedWindow->show();
    watchedWindow->raise();
}
