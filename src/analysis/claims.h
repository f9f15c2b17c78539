#pragma once

#include "analysis/pars.h"

namespace Analysis
{

/** Weeks before the end of the window in which a horse's newest start makes it a claim to consider. */
constexpr int RecentWeeks = 30;

/** A horse entered for a price whose form beats the par of the band it ran in. */
struct ClaimCandidate {
    std::int32_t hid = 0;
    QString name;
    QString owner;
    double racenum = 0; // its newest start
    Band band;
    double form = 0;
    double par = 0;
    double margin = 0;
    /** Its record over every stored week up to the window's end. */
    int starts = 0;
    int wins = 0;
    std::int64_t earnings = 0;
};

struct ClaimFinder {
    Weeks weeks;
    /** By margin, highest first. */
    std::vector<ClaimCandidate> rows;
};

/**
 * Every horse whose newest start up to the window's end lies in its last 30 weeks, in a race with a claiming
 * price (at most maxPrice when given) whose band has a par that the horse's form figure in that category
 * beats. `data` holds every start of the window; the horses' earlier records are read from db.
 */
Result<ClaimFinder> claimFinder(Database& db, const WindowData& data, std::optional<std::int64_t> maxPrice);
/** The same over a window read from db. */
Result<ClaimFinder> claimFinder(Database& db, const Weeks& weeks, std::optional<std::int64_t> maxPrice);

/** {"weeks": [A, B], "rows": [{"hid", "name", "owner", "week", "class", "price", "category", "trip", "form",
    "par", "margin", "starts", "wins", "earnings"}]}. */
QJsonObject claimFinderJson(const ClaimFinder& f);
AnalysisTable claimFinderTable(const ClaimFinder& f);

/** A claim: a horse that changed owners after a race with a claiming price, and what it did for the new
    owner until the next change. */
struct Claim {
    std::int32_t hid = 0;
    QString name;
    QString from;
    QString to;
    double racenum = 0; // its first start for the new owner
    std::int64_t price = 0;
    int starts = 0;
    int wins = 0;
    std::int64_t earnings = 0;
    std::int64_t result() const { return earnings - price; }
    std::vector<StartKey> spell;
};

/** One claiming owner's claims in the window. */
struct OwnerClaims {
    QString owner;
    int claims = 0;
    std::int64_t spent = 0;
    std::int64_t earnings = 0;
    std::int64_t result() const { return earnings - spent; }
    std::vector<StartKey> claimStarts;
};

struct ClaimsMade {
    Weeks weeks;
    /** By week, newest first. */
    std::vector<Claim> claims;
    /** By return, highest first, then by name. */
    std::vector<OwnerClaims> owners;
};

/**
 * The claims whose first start for the new owner lies in the window, each with its spell (that start and the
 * ones after it, up to the window's end, while the owner stays). `data` holds the window's starts with their
 * owners and names, and each horse's start before the window. With `newOwner`, only the claims of that owner
 * (letter case ignored).
 */
ClaimsMade claimsMade(const WindowData& data, const QString& newOwner = {});
/** The same over a window read from db. */
Result<ClaimsMade> claimsMade(Database& db, const Weeks& weeks, const QString& newOwner = {});

/** {"weeks": [A, B], "rows": [{"week", "hid", "name", "from", "to", "price", "starts", "wins", "earnings",
    "return"}], "owners": [{"owner", "claims", "spent", "earnings", "return"}]}. */
QJsonObject claimsMadeJson(const ClaimsMade& c);
AnalysisTable claimsTable(const ClaimsMade& c);
AnalysisTable claimOwnersTable(const ClaimsMade& c);
/** The spell of a claim, and the first starts of an owner's claims, for the results grid. */
StartListing claimSpell(const ClaimsMade& c, const Claim& claim);
StartListing ownerClaims(const ClaimsMade& c, const OwnerClaims& owner);

} // namespace Analysis
