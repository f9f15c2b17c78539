#include "output/gridjson.h"

#include "core/gridstate.h"

#include <QJsonArray>

QJsonObject gridToJson(const GridState& grid)
{
    QJsonArray cells, colours;
    for (int r = 0; r < grid.rows(); ++r) {
        QJsonArray rowCells, rowColours;
        for (int c = 0; c < grid.cols(); ++c) {
            rowCells.append(grid.text(r, c));
            const auto colour = grid.colour(r, c);
            rowColours.append(colour ? QJsonValue(int(colour)) : QJsonValue(QJsonValue::Null));
        }
        cells.append(rowCells);
        colours.append(rowColours);
    }
    return QJsonObject{{QStringLiteral("cells"), cells}, {QStringLiteral("colours"), colours}};
}
