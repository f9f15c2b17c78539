#include "gui/app/smallwindows.h"

#include "core/mainwindowstate.h"
#include "gui/app/dialogkeys.h"
#include "gui/db/frmedittracks.h"
#include "gui/db/frmremovedata.h"
#include "gui/lineage/frmlineage.h"
#include "gui/output/frmdatecalculator.h"
#include "gui/output/frmformchart.h"
#include "gui/search/frmstable.h"
#include "gui/search/frmwatchedstarts.h"
#include "gui/search/frmwatchlist.h"
#include "search/watchlist.h"

#include <QPushButton>

SmallWindows::SmallWindows(QWidget* mainWindow, MainWindowState& state, Runner run)
    : m_main(mainWindow), m_state(state), m_run(std::move(run))
{
}

/** Brings a window kept one at a time to the front. */
static void bringUp(QWidget* window)
{
    window->show();
    window->raise();
    window->activateWindow();
}

void SmallWindows::dateCalculator()
{
    if (!m_dateCalculator) {
        m_dateCalculator = new frmdatecalculator(m_state.platform(), m_main);
        giveDialogKeys(m_dateCalculator, m_dateCalculator->cmdgetdate);
    }
    bringUp(m_dateCalculator);
}

void SmallWindows::watchList()
{
    // One window at a time: it is the list in the file that it shows and changes.
    if (!m_watchlist) {
        m_watchlist = new frmwatchlist(m_state, m_main);
        giveDialogKeys(m_watchlist, m_watchlist->cmdaddhorse);
    }
    bringUp(m_watchlist);
}

void SmallWindows::watchedStarts(const QList<int>& weeks)
{
    if (weeks.isEmpty())
        return;
    const QList<WatchedStart> starts = ::watchedStarts(m_state, weeks);
    if (starts.isEmpty())
        return;
    if (!m_watched) {
        m_watched = new frmwatchedstarts(m_run, m_main);
        giveDialogKeys(m_watched);
    }
    m_watched->setStarts(starts, weeks);
    m_watched->show();
    m_watched->raise();
}

void SmallWindows::removeData(const QStringList& weeks, const std::function<void()>& changed)
{
    auto* dialog = new frmremovedata(m_state, weeks, m_main);
    // Enter presses Remove Data, whose question names the weeks and answers No to Enter again.
    giveDialogKeys(dialog, dialog->cmdremove);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    QObject::connect(dialog, &frmremovedata::stateChanged, m_main, changed);
    dialog->show();
}

void SmallWindows::editTracks(const std::function<void(const QString&)>& changed)
{
    auto* editor = new frmedittracks(m_state.platform(), m_state.databasePath(), m_main);
    editor->setAttribute(Qt::WA_DeleteOnClose);
    giveDialogKeys(editor, editor->cmdaddtrack);
    QObject::connect(editor, &frmedittracks::changed, m_main, changed);
    editor->show();
}

void SmallWindows::stableSearch()
{
    BusyPointer busy(m_state.platform());
    auto* dialog = new frmstable(m_state, m_run, m_main);
    giveDialogKeys(dialog, dialog->cmdgo);
    dialog->show();
}

void SmallWindows::formChart(const FormChart& chart)
{
    auto* window = new frmformchart(chart, m_state.platform(), m_main);
    giveDialogKeys(window);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->show();
}

LineageState& SmallWindows::lineageState()
{
    if (!m_lineage) {
        m_lineage = new frmlineage(m_main);
        giveDialogKeys(m_lineage);
    }
    return m_lineage->state();
}

void SmallWindows::showLineage()
{
    m_lineage->refresh();
    bringUp(m_lineage);
}

void SmallWindows::setDatabaseWindowsEnabled(bool enabled)
{
    QList<QWidget*> windows{m_watched};
    for (QWidget* w : m_main->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (qobject_cast<frmremovedata*>(w) || qobject_cast<frmedittracks*>(w) || qobject_cast<frmstable*>(w))
            windows << w;
    for (QWidget* w : windows)
        if (w)
            w->setEnabled(enabled);
}
