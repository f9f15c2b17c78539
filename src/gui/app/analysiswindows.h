#pragma once

#include "gui/analysis/analysispanel.h"

#include <QPointer>

class frmangles;
class frmclaimfinder;
class frmclaimsmade;
class frmclasspars;
class frmheadtohead;
class frmleaders;
class frmplacement;

/** The windows of the "&Analysis" menu, each kept one at a time, made when first asked for and placed over
   the main window. */
class AnalysisWindows
{
public:
    AnalysisWindows(QWidget* mainWindow, MainWindowState& state, AnalysisPanel::Runner run);

    /** "Class &Pars", run at once. */
    void classPars();
    /** "&Where Can It Win...": with a horse (an id or a name) filled in and run, or empty for the player. */
    void whereCanItWin(const QString& horse = {});
    /** "&Claim Finder", run at once. */
    void claimFinder();
    /** "Claims &Made", run at once. */
    void claimsMade();
    /** "&Angles", run at once. */
    void angles();
    /** "&Leaders", run at once. */
    void leaders();
    /** "&Head to Head...": with a horse (an id or a name) added to it, run once two are given. */
    void headToHead(const QString& horse = {});
    /** Lets a row's starts fill the results grid, or, while an import runs, says why they cannot. */
    void setListingEnabled(bool enabled) { m_listingEnabled = enabled; }

private:
    template <typename W> W* open(QPointer<W>& window, bool run);

    QWidget* m_main;
    MainWindowState& m_state;
    AnalysisPanel::Runner m_run;
    bool m_listingEnabled = true;
    QPointer<frmclasspars> m_pars;
    QPointer<frmplacement> m_placement;
    QPointer<frmclaimfinder> m_claims;
    QPointer<frmclaimsmade> m_made;
    QPointer<frmangles> m_angles;
    QPointer<frmleaders> m_leaders;
    QPointer<frmheadtohead> m_meet;
};
