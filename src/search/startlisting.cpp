#include "search/startlisting.h"

#include "core/mainwindowstate.h"
#include "db/database.h"
#include "search/gethorse.h"

#include <algorithm>

bool listStarts(MainWindowState& f, const StartListing& listing)
{
    Platform& p = f.platform();
    BusyPointer busy(p);
    f.setProgress(QStringLiteral("Searching..."));

    std::vector<GridRow> rows;
    QString error;
    {
        Database db;
        if (!db.open(f.databasePath())) {
            error = db.error();
        } else if (!listing.keys.empty()) {
            // Newest first, and only as many as the grid lists: the others are never read.
            std::vector<StartKey> keys = listing.keys;
            std::stable_sort(keys.begin(), keys.end(),
                             [](const StartKey& a, const StartKey& b) { return a.racenum > b.racenum; });
            keys.resize(std::min(keys.size(), std::size_t(MaxListedStarts)));
            std::vector<QVariantList> runs;
            runs.reserve(keys.size());
            for (const StartKey& k : keys)
                runs.push_back({qlonglong(k.hid), k.racenum});
            const QString sql = SearchQuery::selectColumns() +
                                QLatin1String("WHERE tblhorsedata.hid = ?1 AND tblhorsedata.racenum = ?2");
            readGridRows(db, sql, runs, rows, error, std::size_t(MaxListedStarts));
        } else if (!listing.statement.sql.isEmpty()) {
            readGridRows(db, listing.statement.sql, {listing.statement.binds}, rows, error,
                         std::size_t(MaxListedStarts));
        }
        if (db.isOpen() && !db.close() && error.isEmpty())
            error = db.error();
    }
    if (error.isEmpty() && rows.empty())
        error = QStringLiteral("No horses under the search criteria were found.");
    if (!error.isEmpty()) {
        p.message(error);
        f.setProgress(QString());
        return false;
    }
    std::stable_sort(rows.begin(), rows.end(),
                     [](const GridRow& a, const GridRow& b) { return a.racenum > b.racenum; });
    f.panel.txtfirstweek.clear();
    f.panel.txtlastweek.clear();
    f.panel.chkowner = false;
    showListedRows(f, listing.subject, std::move(rows));
    ListingSearch listed;
    listed.kind = ListingSearch::Kind::Listed;
    f.setListing(std::move(listed));
    return true;
}
