#pragma once

#include <QByteArray>

class GridState;

/** The text export of the results grid: one line per row from the header, the first `columns` columns (the
    normal layout's 18 unless told) each written between double quotes and followed by a comma, lines ending
    in CR LF. */
QByteArray exportText(const GridState& grid, int columns = 18);
