#pragma once

#include <QString>

class MainWindowState;

/** Number of columns of the results grid in the sire layout. */
constexpr int SireColumns = 19;

/**
 * Progeny search: lists the horses that have the stallion `name` in the position chosen on the panel
 * (f.panel.progenyMode) from the breeding file, each with its starts, wins, class wins and best speed figures
 * from the database, and fills the win-profile and speed grids, the fastest-progeny label and the frame
 * caption. Switches the window to the sire layout first.
 */
void getsires(MainWindowState& f, const QString& name);
