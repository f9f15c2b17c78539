#include "startup/relisting.h"

#include "core/mainwindowstate.h"
#include "output/gridsettings.h"
#include "output/printing.h"
#include "progeny/getsires.h"
#include "search/gethorse.h"

void relist(MainWindowState& f)
{
    const ListingSearch search = f.listing();
    if (search.kind == ListingSearch::Kind::None && Printing::emptyResult(f.MSFlexGrid1))
        return;
    const QString change = f.statusline;
    const PanelState typed = f.panel;
    f.panel = search.panel;
    f.statusline.clear();
    bool listed = false;
    if (search.kind == ListingSearch::Kind::Starts) {
        listed = gethorse(f, search.mode, search.name, search.id, SearchRun::Again);
    } else if (search.kind == ListingSearch::Kind::Progeny) {
        getsires(f, search.name);
        listed = true;
    }
    f.panel = typed;
    QString outcome;
    if (listed) {
        outcome = QStringLiteral("The list was run again") +
                  (f.statusline.isEmpty() ? QStringLiteral(".") : QStringLiteral(": ") + f.statusline);
    } else {
        clearListing(f);
        outcome = search.kind == ListingSearch::Kind::None || search.kind == ListingSearch::Kind::Listed
                      ? QStringLiteral("The list was cleared: the stored weeks changed.")
                      : QStringLiteral("The list was cleared: its search finds nothing now.");
    }
    f.setStatusLine(change.isEmpty() ? outcome : change + QLatin1Char(' ') + outcome);
}

void clearListing(MainWindowState& f)
{
    showNormalLayout(f);
    GridState& g = f.MSFlexGrid1;
    g.setRows(2);
    g.clear();
    msfgridcaption(f);
    g.setCurrent(1, 0);
    g.touch();
    // The statistics grids keep their captions, in the first row and column.
    for (GridState* stats : {&f.MSFSGrid, &f.MSFWGrid}) {
        for (int r = 1; r < stats->rows(); ++r)
            for (int c = 1; c < stats->cols(); ++c)
                stats->setText(r, c, QString());
        stats->touch();
    }
    f.frainfo.clear();
    f.setProgress(QString());
    f.listedRows = 0;
    f.setListing({});
}
