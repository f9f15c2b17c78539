#pragma once

#include "analysis/table.h"
#include "analysis/windowdata.h"
#include "search/startlisting.h"

#include <QJsonObject>

#include <vector>

namespace Analysis
{

/** Winners a band needs for a par, and for a par that is not marked doubtful. */
constexpr int ParWinners = 5;
constexpr int SureParWinners = 10;

/** The par of one band: how fast its winners ran, over the window. */
struct ParRow {
    Band band;
    int winners = 0;
    int races = 0;
    /** The mean figure of the winners, with at least ParWinners of them. */
    std::optional<double> par;
    double best = 0;
    /** The mean purse of the band's races, whole. */
    std::int64_t purse = 0;
    /** The winning starts, to list them. */
    std::vector<StartKey> winnerKeys;
};

/** The class pars of a window: one row per band with a winner, in bandBefore() order. */
struct Pars {
    Weeks weeks;
    std::vector<ParRow> rows;
    /** The row of a band, or null. */
    const ParRow* find(const Band& band) const;
};

/** The pars of the window's data (the winners suffice: WindowRequest::winnersOnly). */
Pars classPars(const WindowData& data);
/** The pars of a window, its winners read from db. */
Result<Pars> classPars(Database& db, const Weeks& weeks);

/** {"weeks": [A, B], "rows": [{"class", "price", "category", "trip", "winners", "races", "par", "best",
    "purse"}]}. */
QJsonObject parsJson(const Pars& pars);
/** Class, Price, Category, Trip, Winners, Races, Par (with "?" when from fewer than 10 winners), Best,
    Purse; rows without a par are "few". */
AnalysisTable parsTable(const Pars& pars);
/** "Winners of Clm 7500, dirt sprint, weeks 276-640" and the keys of those winners. */
StartListing parWinners(const Pars& pars, const ParRow& row);

/** The "few" text of a band without a par. */
QString fewWinnersReason(int winners);

} // namespace Analysis
