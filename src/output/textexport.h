#pragma once

#include <QByteArray>

class GridState;

/** The text export of the results grid: one line per row from the header, columns 0 to 17 each written
    between double quotes and followed by a comma, lines ending in CR LF. */
QByteArray exportText(const GridState& grid);
