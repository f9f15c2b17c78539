#pragma once

#include "gui/app/steadywidgets.h"

class GridView;
class MainWindowState;
class QGroupBox;
class QHBoxLayout;
class QLabel;

/**
 * The lower part of the main window: the statistics of the listed starts (average speed, best speed and
 * win-place-show, or the progeny profile and speed summary), the summary labels and the colour key. It
 * shows what the window's state holds, and scrolls sideways rather than widen the window when its figures
 * are wider than the window. Its controls carry the names the program's handlers use.
 */
class StatsPanel : public SidewaysScrollArea
{
    Q_OBJECT
public:
    StatsPanel(MainWindowState& state, QWidget* parent = nullptr);

    /** Shows the state's statistics grids, layout, caption and labels. */
    void sync();
    /** The height of a statistics grid's row in twips, from which the load sequence sizes the grids. */
    int rowHeightTwips() const;
    /** Takes the least width of the statistics as they are before any search; wider figures scroll. */
    void fixLeastWidth();
    /** lblprogress, the label of progress and summaries that the platform repaints during an operation. */
    QLabel* progressLabel() const { return lblprogress; }

private:
    /** The statistics grids in their frames, into the row they share with the labels and the key. */
    void buildGrids(QHBoxLayout* row);
    /** Keeps the texts that change with each search from resizing the window. */
    void keepSize(QWidget* contents);
    /** The statistics grids are as wide as their columns, so that the layout follows the font. */
    void fitGridWidths();

    MainWindowState& m_state;
    GridView* MSFSGrid = nullptr;
    GridView* MSFWGrid = nullptr;
    GridView* MSFSRGrid = nullptr;
    GridView* MSFmaxgrid = nullptr;
    GridView* MSFColorGridKey = nullptr;
    QGroupBox* frainfo = nullptr;
    QGroupBox* fraspeedstats = nullptr;
    QGroupBox* framaxspeedstats = nullptr;
    QLabel* lblprogress = nullptr;
    QLabel* lblfastest = nullptr;
};
