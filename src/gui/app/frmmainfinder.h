#pragma once

#include "core/mainwindowstate.h"
#include "output/gridinteractions.h"
#include "startup/startup.h"

#include <QMainWindow>

#include <memory>

class AnalysisWindows;
class BackgroundImport;
class GridView;
class ListingKeeper;
class MainMenus;
class QLabel;
class SearchPanel;
class SmallWindows;
class StartPanel;
class StatsPanel;
class StatusProgress;
struct ImportResult;

/**
 * The main window: the search panel above the results grid, the statistics panel below it, the menus and
 * the status bar. It joins them: its handlers read the panel into the MainWindowState state, run the core
 * operation and show the state again. Its controls carry the names the program's handlers use, which is how
 * tests find them; the panels offer what the window needs of them.
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
    /** Imports files chosen in the import dialog or dropped on the window, off the window's thread, the
       search panel and every writer disabled meanwhile; nothing while an import runs. */
    void importDropped(const QStringList& paths);
    /** True while an import runs off the window's thread. */
    bool importing() const;

    SearchPanel& searchPanel() { return *m_search; }
    /** The import's file count, file name and outcome in the status bar; the status line. */
    StatusProgress* statusProgress() const { return m_statusProgress.get(); }
    /** lblprogress, which the platform repaints while an operation runs. */
    QLabel* progressLabel() const;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    /** The results grid with its sort and pop-up gestures. */
    void buildResultsGrid(QWidget* parent);
    /** The menu bar and the results grid's pop-up menu, with the handler of each entry. */
    void buildMenus();
    /** Runs a core operation with the panel read before and every control refreshed after. */
    template <typename Op> void run(Op op);
    /** Names the change Edit > Undo would put back, or disables it. */
    void updateUndo();
    /** View > Zoom In (+1), Zoom Out (-1) and Actual Size (0) of the results grid. */
    void zoom(int steps);

    // Menu commands, buttons and the results grid's gestures.
    void cmdimportdata_Click();
    void cmdabout_Click();
    void cmdgethorse_Click();
    /** Pop-up "Get Lineage Info.": the selected row's horse in the lineage window. */
    void getlineage_Click();
    /** Pop-up "Chart Speed Figures": the selected row's horse in a new chart window. */
    void chartspeed_Click();
    /** The selected row's horse, for the pop-up's Where Can It Win and Head to Head... */
    QString rowHorse() const;
    void cmdremoverace_Click();
    void edittracks_Click();
    void MSFlexGrid1_DblClick();
    /** A double click on a column's heading sorts by it as one on a cell of it does. */
    void header_DblClick(int column);
    void listfilter_Click();
    void showPopup(const QPoint& globalPos);

    void importFinished(const ImportResult& result);
    /** Enables or disables what must not run while an import writes to the database. */
    void enableWriters(bool enabled);

    MainWindowState m_state;
    PopupMenu m_popup;
    SearchPanel* m_search = nullptr;
    StatsPanel* m_stats = nullptr;
    MainMenus* m_menus = nullptr;
    GridView* MSFlexGrid1 = nullptr;
    /** Over the results grid while the database is empty (startpanel.cpp). */
    StartPanel* m_startPanel = nullptr;
    std::unique_ptr<StatusProgress> m_statusProgress;
    BackgroundImport* m_import = nullptr;
    /** The window was asked to close during an import: it closes when the import has stopped. */
    bool m_closeAfterImport = false;
    std::unique_ptr<SmallWindows> m_windows;
    std::unique_ptr<ListingKeeper> m_listing;
    std::unique_ptr<AnalysisWindows> m_analyses;
    /** The column whose heading shows the sort arrow (-1: none), while the list is the one it sorted. */
    int m_sortColumn = -1;
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
    unsigned m_sortedList = 0;
};
