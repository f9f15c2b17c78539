#include "output/textexport.h"

#include "core/gridstate.h"

QByteArray exportText(const GridState& grid, int columns)
{
    QByteArray out;
    for (int r = 0; r < grid.rows(); ++r) {
        for (int c = 0; c < columns; ++c) {
            out += '"';
            if (c < grid.cols())
                out += grid.text(r, c).toUtf8();
            out += "\",";
        }
        out += "\r\n";
    }
    return out;
}
