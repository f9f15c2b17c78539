#pragma once

#include <QString>

class MainWindowState;

/** Where the breeding file lives: C:\qvl\breeding.txt on Windows, ~/qvl/breeding.txt elsewhere. */
QString defaultBreedingPath();

/** Nominal height of one grid row in twips when no window measures it (the command-line tool). */
constexpr int NominalRowHeight = 240;

/**
 * The main window's load sequence without the window: hides the progeny controls and grids, lays out the
 * statistics grids and the colour key, checks for horses.mdb and the breeding file, and applies the saved
 * layout of the results grid. rowHeight is the height of one grid row in twips at the window's font.
 * When horses.mdb is missing the user is told where it was looked for and, with offerToCreate, may have an
 * empty one created there. Returns false when there is still no database and the program must end.
 */
bool formLoad(MainWindowState& f, int rowHeight, bool offerToCreate = true);

/** Lays out the four statistics grids and the colour key, their heights following rowHeight (twips). */
void layoutStatGrids(MainWindowState& f, int rowHeight);
