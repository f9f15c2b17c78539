#pragma once

#include "analysis/pars.h"

#include <array>

namespace Analysis
{

/** A band where a horse's form reaches the par. */
struct PlacementRow {
    Band band;
    double par = 0;
    double form = 0;
    /** form - par, unrounded. */
    double margin = 0;
    std::int64_t purse = 0;
    int winners = 0;
};

/** Where one horse can win: its form per category, its last band, and the bands its form reaches. */
struct Placement {
    std::int32_t hid = 0;
    QString name;
    QString owner;
    std::array<std::optional<double>, CategoryCount> form;
    /** The band of its newest start in the window, and that band's par when it has one. */
    Band last;
    std::optional<double> lastPar;
    /** By purse, highest first, then by margin, highest first. */
    std::vector<PlacementRow> rows;
    /** The pars of the window, for the winners of a row's band. */
    Pars pars;
};

/**
 * Where the horse can win in the window: every band with a par, in a category where it has a form figure
 * that reaches the par, the maiden classes left out once it has won any stored start. Refused, with "Horse
 * 123 has no start in weeks 276-640.", for a horse without a start in the window.
 */
Result<Placement> placement(Database& db, const Weeks& weeks, std::int32_t hid);

/** The horse an id or a name stands for: a whole number is an id; a name (with "*" and "?" as the search
    panel takes them, letter case ignored) gives the horse of its newest start. */
Result<std::int32_t> horseOf(Database& db, const QString& idOrName);

/** {"hid", "name", "owner", "form": {"dirt", "turf", "off"}, "last": {"class", "price", "category", "trip",
    "par"}, "rows": [{"class", "price", "category", "trip", "par", "form", "margin", "purse", "winners"}]}. */
QJsonObject placementJson(const Placement& p);
AnalysisTable placementTable(const Placement& p);
/** The lines above the table: the horse, its form figures, its last band. */
QString placementHeading(const Placement& p);
/** The winners of a row's band. */
StartListing placementWinners(const Placement& p, const PlacementRow& row);

} // namespace Analysis
