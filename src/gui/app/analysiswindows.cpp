#include "gui/app/analysiswindows.h"

#include "gui/analysis/frmangles.h"
#include "gui/analysis/frmclaimfinder.h"
#include "gui/analysis/frmclaimsmade.h"
#include "gui/analysis/frmclasspars.h"
#include "gui/analysis/frmheadtohead.h"
#include "gui/analysis/frmleaders.h"
#include "gui/analysis/frmplacement.h"
#include "gui/app/windowgeometry.h"

#include <QLineEdit>
#include <QPushButton>

AnalysisWindows::AnalysisWindows(QWidget* mainWindow, MainWindowState& state, AnalysisPanel::Runner run)
    : m_main(mainWindow), m_state(state)
{
    // While an import writes, the results grid would wait for its lock on the window's thread: a row's starts
    // are listed once it has finished.
    m_run = [this, run = std::move(run)](const std::function<void(MainWindowState&)>& op) {
        if (m_listingEnabled)
            run(op);
        else
            m_state.platform().message(
                QStringLiteral("An import is running: list the starts again once it has finished."));
    };
}

template <typename W> W* AnalysisWindows::open(QPointer<W>& window, bool run)
{
    const bool made = !window;
    if (made) {
        window = new W(m_state, m_run, m_main);
        WindowGeometry::centreOn(window, m_main);
    }
    window->show();
    window->raise();
    window->activateWindow();
    // A window made now shows the default window of weeks at once; one already open keeps what it shows.
    if (made && run)
        window->cmdrun_Click();
    return window;
}

void AnalysisWindows::classPars()
{
    open(m_pars, true);
}

void AnalysisWindows::whereCanItWin(const QString& horse)
{
    frmplacement* w = open(m_placement, false);
    if (horse.isEmpty()) {
        w->txthorse->setFocus();
        return;
    }
    w->txthorse->setText(horse);
    w->cmdrun_Click();
}

void AnalysisWindows::claimFinder()
{
    open(m_claims, true);
}

void AnalysisWindows::claimsMade()
{
    open(m_made, true);
}

void AnalysisWindows::angles()
{
    open(m_angles, true);
}

void AnalysisWindows::leaders()
{
    open(m_leaders, true);
}

void AnalysisWindows::headToHead(const QString& horse)
{
    frmheadtohead* w = open(m_meet, false);
    if (horse.isEmpty())
        w->txthorse[0]->setFocus();
    else
        w->addHorse(horse);
}
