#pragma once

#include "core/mainwindowstate.h"
#include "output/gridinteractions.h"
#include "startup/startup.h"

#include <QMainWindow>
#include <QPointer>

#include <memory>

class GridView;
class StartPanel;
class StatusProgress;
class frmlineage;
class QAction;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QRadioButton;
class frmdatecalculator;
class frmwatchedstarts;
class frmwatchlist;

/**
 * The main window: the search panel, the results grid, the statistics grids and the colour key.
 * Its handlers read the panel into the MainWindowState state, run the core operation and show the state
 * again.
 */
class frmmainfinder : public QMainWindow
{
    Q_OBJECT
public:
    frmmainfinder(Platform& platform, const QString& programDir, const QString& breedingPath,
                  QWidget* parent = nullptr);
    ~frmmainfinder() override;

    /** The load sequence; false when horses.mdb is missing and the program must end. */
    bool Form_Load(MissingDatabase missing = MissingDatabase::Ask);
    MainWindowState& state() { return m_state; }
    /** Shows the MainWindowState state on every control. */
    void refresh();

    // Menu commands and buttons.
    void cmdimportdata_Click();
    /** Imports files dropped on the window as if they had been chosen in the import dialog. */
    void importDropped(const QStringList& paths);
    void cmdabout_Click();
    void cmdgethorse_Click();
    void cmdspecial_Click();
    /** Pop-up "Get Lineage Info.": the selected row's horse in the lineage window. */
    void getlineage_Click();
    /** Pop-up "Chart Speed Figures": the selected row's horse in a new chart window. */
    void chartspeed_Click();
    void cmdremoverace_Click();
    void cmdcompact_Click();
    /** Edit > Undo: puts back the last week removal or replacement. */
    void cmdundo_Click();
    void edittracks_Click();
    void cmdbackup_Click();
    void cmdprint_Click();
    void ExportText_Click();
    void datecalculator_Click();
    void watchlist_Click();

    // The results grid and its pop-up menu.
    void MSFlexGrid1_DblClick();
    /** A double click on a column's heading sorts by it as one on a cell of it does. */
    void header_DblClick(int column);
    void listfilter_Click();

    // Search panel.
    void opthorse_Click();
    void optowner_Click();
    void optrace_Click();
    void optsire_Click();
    void setupnormalsearch();
    void setupsiresearch();
    /** Shows the injury exclusion for the searches that use it: horse, owner and race. */
    void showInjuryExclusion();
    /** The search mode that "GO!" passes to gethorse (1 to 5, 0 when no option applies). */
    qint16 searchMode() const;

    // Controls, named as the program's handlers refer to them.
    GridView* MSFlexGrid1 = nullptr;
    GridView* MSFSGrid = nullptr;
    GridView* MSFWGrid = nullptr;
    GridView* MSFSRGrid = nullptr;
    GridView* MSFmaxgrid = nullptr;
    GridView* MSFColorGridKey = nullptr;
    QGroupBox* frahorsesorowners = nullptr;
    QRadioButton* opthorse = nullptr;
    QRadioButton* optowner = nullptr;
    QRadioButton* optrace = nullptr;
    QRadioButton* optsire = nullptr;
    QRadioButton* optdamsire = nullptr;
    QRadioButton* optdamdamsire = nullptr;
    QGroupBox* Frame2 = nullptr;
    QLabel* lblname = nullptr;
    QLineEdit* txthorse = nullptr;
    QLabel* lblid = nullptr;
    QLineEdit* txtid = nullptr;
    QCheckBox* chkname = nullptr;
    QCheckBox* chkid = nullptr;
    QCheckBox* chk2yo = nullptr;
    QLabel* lblnum = nullptr;
    QLineEdit* txtnum = nullptr;
    QGroupBox* frasearchcriteria = nullptr;
    QLabel* lblfirstweek = nullptr;
    QLineEdit* txtfirstweek = nullptr;
    QLabel* lbllastweek = nullptr;
    QLineEdit* txtlastweek = nullptr;
    QCheckBox* chkowner = nullptr;
    QPushButton* cmdspecial = nullptr;
    QPushButton* cmdgethorse = nullptr;
    QLabel* lblinjurytest = nullptr;
    QLineEdit* txtinjury = nullptr;
    QGroupBox* frainfo = nullptr;
    QGroupBox* fraspeedstats = nullptr;
    QGroupBox* framaxspeedstats = nullptr;
    QLabel* lblprogress = nullptr;
    QLabel* lblfastest = nullptr;

    QMenu* filemenu = nullptr;
    QAction* cmdimportdata = nullptr;
    QAction* cmdremoverace = nullptr;
    QAction* cmdprint = nullptr;
    QAction* ExportText = nullptr;
    QMenu* editmenu = nullptr;
    QAction* cmdundo = nullptr;
    QMenu* Utilitiesmenu = nullptr;
    QAction* datecalculator = nullptr;
    QAction* cmdcompact = nullptr;
    QAction* edittracks = nullptr;
    QAction* cmdbackup = nullptr;
    QAction* watchlist = nullptr;
    QAction* cmdexit = nullptr;
    QMenu* helpmenu = nullptr;
    QAction* cmdabout = nullptr;
    QMenu* popmenu = nullptr;
    QAction* datecalc = nullptr;
    QAction* getlineage = nullptr;
    QAction* chartspeed = nullptr;
    QAction* listhorse = nullptr;
    QAction* listrace = nullptr;
    QAction* listowner = nullptr;
    QAction* msfgridreset = nullptr;
    QAction* listfilter = nullptr;
    QAction* msfgridback = nullptr;
    frmdatecalculator* dateCalculator = nullptr; // made when first asked for
    /** Over the results grid while the database is empty (startpanel.cpp). */
    StartPanel* startPanel = nullptr;
    /** "Watched starts" of the last import that found any, while it is open. */
    QPointer<frmwatchedstarts> watchedWindow;

    /** The import's file count, file name and outcome in the status bar. */
    StatusProgress* statusProgress() const { return m_statusProgress.get(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void buildPanel(QWidget* panel);
    /** The frame of the search modes: Horse, Owner, Race and the three progeny searches with "#". */
    void buildModes();
    /** What the panel's boxes take (lengths, digits) and the handlers of its buttons and options. */
    void applyInputRules();
    void buildStats(QWidget* stats);
    void buildMenus();
    /** Names the change Edit > Undo would put back, or disables it. */
    void updateUndo();
    void readPanel();
    /** Runs a core operation with the panel read before and every control refreshed after. */
    template <typename Op> void run(Op op);
    bool filterKey(QObject* watched, int key, const QString& text);
    void showPopup(const QPoint& globalPos);
    /** What players of desktop programs take for granted: status bar, Exit and About, drop, tooltips. */
    void buildConveniences();
    /** Keeps texts that change with each search from resizing the window. */
    void keepWindowSize();
    /** After an import: the starts of the watched horses and stables in the weeks it stored, if any ran. */
    void showWatchedStarts(const QList<int>& weeks);

    MainWindowState m_state;
    PopupMenu m_popup;
    QList<GridView*> m_grids;
    std::unique_ptr<StatusProgress> m_statusProgress;
    QPointer<frmlineage> m_lineage;
    QPointer<frmwatchlist> m_watchlist;
    /** The column whose heading shows the sort arrow (-1: none), while the list is the one it sorted. */
    int m_sortColumn = -1;
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
    unsigned m_sortedList = 0;
};
