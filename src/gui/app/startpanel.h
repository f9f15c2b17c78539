#pragma once

#include "sample/sampledata.h"

#include <QFrame>

class GridView;
class MainWindowState;
class QAction;
class QLabel;
class QProgressBar;
class QPushButton;

/**
 * What a new player sees where the results grid will be while the database is empty: how to import results
 * files, and a button that opens the program on sample data in a second window, so that the program can be
 * tried before there is anything of their own to search. The player's database is never touched by it.
 */
class StartPanel : public QFrame
{
    Q_OBJECT
public:
    /** Lies over the window's results grid, following its size; its import button does `import`. */
    StartPanel(GridView* grid, MainWindowState& state, QAction* import);

    /** Shown while the grid has listed nothing and the database holds no week; hidden otherwise. */
    void sync();
    /** "Try Sample Data": makes the sample once, with progress, then starts the program on it. */
    void cmdsample_Click();

    QLabel* lblhowto = nullptr;
    QPushButton* cmdimport = nullptr;
    QPushButton* cmdsample = nullptr;
    QProgressBar* barsample = nullptr;
    /** How many weeks a new sample has. */
    int sampleWeeks = SampleData::DefaultWeeks;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    GridView* m_grid;
    MainWindowState& m_state;
};
