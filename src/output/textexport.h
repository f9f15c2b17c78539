#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

class GridState;
class MainWindowState;

/** The text export of the results grid: one line per row from the header, the first `columns` columns (the
    normal layout's 18 unless told) each written between double quotes and followed by a comma, lines ending
    in CR LF. */
QByteArray exportText(const GridState& grid, int columns = 18);
/** One line of the text export: each text between double quotes and followed by a comma, then CR LF. */
QByteArray exportLine(const QStringList& texts);

/** Writes the export of the grid to a file, replacing it only once the whole export is written. Empty when it
    succeeded, else why it failed. */
QString writeExport(const GridState& grid, const QString& path);

/** "E&xport to Text File": asks for a file name and writes the export; true when a file was written. */
bool ExportText_Click(MainWindowState& f);
