#include "gui/app/resultsgrid.h"

#include "core/mainwindowstate.h"
#include "gui/app/columntips.h"
#include "gui/widgets/gridview.h"

GridView* makeResultsGrid(MainWindowState& state, QWidget* parent)
{
    auto* grid = new GridView(state.MSFlexGrid1, true, parent);
    grid->setObjectName(QStringLiteral("MSFlexGrid1"));
    // The columns' widths in twips were made for narrow letters: a narrow face fits their usual texts at
    // 7 points (Liberation Sans Narrow, metric-compatible with Arial Narrow), a condensed one where it is
    // missing. A text that is still too long is cut, not ended with dots, as in a spreadsheet.
    QFont narrow = grid->font();
    narrow.setFamilies({QStringLiteral("Liberation Sans Narrow"), QStringLiteral("Arial Narrow"),
                        QStringLiteral("Nimbus Sans Narrow"), narrow.family()});
    narrow.setStretch(QFont::SemiCondensed);
    grid->setFont(narrow);
    grid->setTextElideMode(Qt::ElideNone);
    grid->setFillWidth(true);
    grid->gridModel()->headerTip = [&state](int column, const QString& caption) {
        return resultsColumnTip(column, caption, state.databasePath());
    };
    // Tab moves on to the next control, as everywhere else in the window, instead of from cell to cell.
    grid->setTabKeyNavigation(false);
    return grid;
}
