// The analyses as commands: each prints what its window shows, as a text table or, with --json, as JSON.
#include "cli/analysisoptions.h"

#include "analysis/claims.h"
#include "analysis/placement.h"

namespace
{

using namespace Analysis;

int pars(CliContext& c, const QStringList& arguments)
{
    QStringList args = arguments;
    AnalysisCommand run(c, QStringLiteral("pars"));
    if (const int status = run.start(args))
        return status;
    const auto p = classPars(run.db(), run.weeks());
    if (!p)
        return run.fail(p.error(), 1);
    run.print(parsJson(*p), QStringLiteral("Class pars, %1\n").arg(p->weeks.text()) + parsTable(*p).toText());
    return 0;
}

int placement(CliContext& c, const QStringList& arguments)
{
    QStringList args = arguments;
    AnalysisCommand run(c, QStringLiteral("placement"));
    if (const int status = run.start(args, 1))
        return status;
    const auto hid = horseOf(run.db(), args.first());
    if (!hid)
        return run.fail(hid.error(), 1);
    const auto p = Analysis::placement(run.db(), run.weeks(), *hid);
    if (!p)
        return run.fail(p.error(), 1);
    run.print(placementJson(*p), placementHeading(*p) + placementTable(*p).toText());
    return 0;
}

int claims(CliContext& c, const QStringList& arguments)
{
    QStringList args = arguments;
    bool ok = true;
    const QString priceText = takeOption(args, QStringLiteral("--max-price"), QString(), ok);
    AnalysisCommand run(c, QStringLiteral("claims"));
    std::optional<std::int64_t> maxPrice;
    if (!priceText.isNull()) {
        maxPrice = priceText.toLongLong(&ok);
        if (!ok || *maxPrice < 0)
            return run.fail(QStringLiteral("--max-price takes a whole number of dollars"), 2);
    }
    if (!ok)
        return run.fail(QStringLiteral("an option is missing its value"), 2);
    if (const int status = run.start(args))
        return status;
    const auto f = claimFinder(run.db(), run.weeks(), maxPrice);
    if (!f)
        return run.fail(f.error(), 1);
    run.print(claimFinderJson(*f),
              QStringLiteral("Claim finder, %1\n").arg(f->weeks.text()) + claimFinderTable(*f).toText());
    return 0;
}

int claimed(CliContext& c, const QStringList& arguments)
{
    QStringList args = arguments;
    bool ok = true;
    const QString owner = takeOption(args, QStringLiteral("--owner"), QString(), ok);
    AnalysisCommand run(c, QStringLiteral("claimed"));
    if (!ok)
        return run.fail(QStringLiteral("an option is missing its value"), 2);
    if (!owner.isNull() && owner.trimmed().isEmpty())
        return run.fail(QStringLiteral("--owner takes a name"), 2);
    if (const int status = run.start(args))
        return status;
    const auto made = claimsMade(run.db(), run.weeks(), owner);
    if (!made)
        return run.fail(made.error(), 1);
    run.print(claimsMadeJson(*made), QStringLiteral("Claims made, %1\n").arg(made->weeks.text()) +
                                         claimsTable(*made).toText() + QStringLiteral("\nBy owner\n") +
                                         claimOwnersTable(*made).toText());
    return 0;
}

CliRegistrar placementCommand{
    {QStringLiteral("placement"), CliGroup::Analyses, QStringLiteral("HID ") + AnalysisOptions::usage(),
     QStringLiteral(
         "Lists where a horse can win. Its form figure per category (the best of its last three "
         "starts there in the window), its last class, and every class, category and trip with a "
         "par that its form reaches, by purse; HID may also be a name as the search takes it. Exits "
         "1 when the horse has no start in the window."),
     placement}};
CliRegistrar claimsCommand{
    {QStringLiteral("claims"), CliGroup::Analyses,
     QStringLiteral("[--max-price P] ") + AnalysisOptions::usage(),
     QStringLiteral(
         "Lists horses worth claiming. Every horse whose newest start, in the last 30 weeks of the "
         "window, was in a claiming race (at most P) whose par its form beats, by margin."),
     claims}};
CliRegistrar claimedCommand{
    {QStringLiteral("claimed"), CliGroup::Analyses,
     QStringLiteral("[--owner NAME] ") + AnalysisOptions::usage(),
     QStringLiteral("Lists the claims made in the window and what they returned. Each claim's price, the "
                    "starts, wins and earnings of the horse for its new owner until the next change, and a "
                    "summary per claiming owner."),
     claimed}};
CliRegistrar parsCommand{
    {QStringLiteral("pars"), CliGroup::Analyses, AnalysisOptions::usage(),
     QStringLiteral("Lists the class pars of the window. One row per class, category and trip with a "
                    "winner: winners, races, the mean winning figure (from 5 winners; \"?\" below 10), the "
                    "best and the mean purse."),
     pars}};

} // namespace
