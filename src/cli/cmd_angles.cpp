// The angles, the leading owners and stallions, and the head to head as commands: each prints what its window
// shows, as a text table or, with --json, as JSON.
#include "cli/analysisoptions.h"

#include "analysis/angles.h"
#include "analysis/headtohead.h"
#include "analysis/leaders.h"
#include "analysis/placement.h"
#include "core/datafolder.h"
#include "core/format.h"

namespace
{

using namespace Analysis;

/** A whole number of at least `least` from an option's text; nullopt when it is not one. */
std::optional<int> wholeAtLeast(const QString& text, int least)
{
    bool ok = Fmt::isWholeNumber(text);
    const int n = ok ? text.toInt(&ok) : 0;
    return ok && n >= least ? std::optional(n) : std::nullopt;
}

int angles(CliContext& c, const QStringList& arguments)
{
    QStringList args = arguments;
    bool ok = true;
    AngleFilter filter;
    const QString owner = takeOption(args, QStringLiteral("--owner"), QString(), ok);
    const QString sire = takeOption(args, QStringLiteral("--sire"), QString(), ok);
    const QString layoff = takeOption(args, QStringLiteral("--layoff"), QString::number(DefaultLayoff), ok);
    const QString breeding = takeOption(args, QStringLiteral("--breeding"), breedingPathFor(c.dir), ok);
    AnalysisCommand run(c, QStringLiteral("angles"));
    if (!ok)
        return run.fail(QStringLiteral("an option is missing its value"), 2);
    if (!owner.isNull() && !sire.isNull())
        return run.fail(QStringLiteral("give --owner or --sire, not both"), 2);
    if ((!owner.isNull() && owner.trimmed().isEmpty()) || (!sire.isNull() && sire.trimmed().isEmpty()))
        return run.fail(QStringLiteral("--owner and --sire take a name"), 2);
    const auto weeks = wholeAtLeast(layoff, 1);
    if (!weeks)
        return run.fail(QStringLiteral("--layoff takes a whole number of weeks from 1, not ") + layoff, 2);
    filter.layoff = *weeks;
    filter.kind = !owner.isNull()  ? AngleFilter::Kind::Owner
                  : !sire.isNull() ? AngleFilter::Kind::Sire
                                   : AngleFilter::Kind::All;
    filter.name = !owner.isNull() ? owner : sire;
    if (const int status = run.start(args))
        return status;
    const auto a = Analysis::angles(run.db(), run.weeks(), filter, breeding);
    if (!a)
        return run.fail(a.error(), 1);
    run.print(anglesJson(*a), anglesHeading(*a) + anglesTable(*a).toText());
    return 0;
}

int leaders(CliContext& c, const QStringList& arguments)
{
    QStringList args = arguments;
    bool ok = true;
    const QString by = takeOption(args, QStringLiteral("--by"), QString(), ok);
    const QString least =
        takeOption(args, QStringLiteral("--min-starts"), QString::number(DefaultMinStarts), ok);
    const QString breeding = takeOption(args, QStringLiteral("--breeding"), breedingPathFor(c.dir), ok);
    AnalysisCommand run(c, QStringLiteral("leaders"));
    if (!ok)
        return run.fail(QStringLiteral("an option is missing its value"), 2);
    const auto kind = leaderKindOf(by);
    if (!kind)
        return run.fail(QStringLiteral("--by takes owner, sire, damsire or damdamsire"), 2);
    const auto minStarts = wholeAtLeast(least, 0);
    if (!minStarts)
        return run.fail(QStringLiteral("--min-starts takes a whole number of starts, not ") + least, 2);
    if (const int status = run.start(args))
        return status;
    const auto l = Analysis::leaders(run.db(), run.weeks(), *kind, *minStarts, breeding);
    if (!l)
        return run.fail(l.error(), 1);
    run.print(leadersJson(*l), leadersHeading(*l) + leadersTable(*l).toText());
    return 0;
}

int meet(CliContext& c, const QStringList& arguments)
{
    QStringList args = arguments;
    AnalysisCommand run(c, QStringLiteral("meet"));
    if (const int status = run.start(args, MeetMin, MeetMax, false, QStringLiteral("horses")))
        return status;
    std::vector<std::int32_t> horses;
    for (const QString& a : std::as_const(args)) {
        const auto hid = horseOf(run.db(), a);
        if (!hid)
            return run.fail(hid.error(), 1);
        horses.push_back(*hid);
    }
    const auto h = headToHead(run.db(), horses);
    if (!h)
        return run.fail(h.error(), 1);
    run.print(headToHeadJson(*h), QStringLiteral("Head to head\n") + meetRacesTable(*h).toText() +
                                      QStringLiteral("\nFinished ahead\n") + meetAheadTable(*h).toText());
    return 0;
}

CliRegistrar anglesCommand{
    {QStringLiteral("angles"), CliGroup::Analyses,
     QStringLiteral("[--owner NAME | --sire NAME] [--layoff L] [--breeding FILE] ") +
         AnalysisOptions::usage(),
     QStringLiteral(
         "Lists which patterns win and pay. For all starts and each angle (first and second start "
         "after a layoff of L weeks, default 45, after a claim, a drop or rise in claiming price, a "
         "change of surface, trip or maiden class): starts, wins, win and in-the-money rates, the "
         "return on $2, impact value, actual against expected winners; of the window's starts, an "
         "owner's, or a sire's progeny's."),
     angles}};
CliRegistrar leadersCommand{
    {QStringLiteral("leaders"), CliGroup::Analyses,
     QStringLiteral("--by owner|sire|damsire|damdamsire [--min-starts N] [--breeding FILE] ") +
         AnalysisOptions::usage(),
     QStringLiteral("Lists the leading owners or stallions of the window. Each with at least N starts "
                    "(default 10), by wins: the statistics of the angles, earnings, and starts and wins on "
                    "dirt, turf, off tracks, at sprints and routes; stallions from the breeding file."),
     leaders}};
CliRegistrar meetCommand{
    {QStringLiteral("meet"), CliGroup::Analyses, QStringLiteral("HID HID [HID [HID]] [--json]"),
     QStringLiteral(
         "Lists the races two to four horses met in. Newest first, with each one's place and speed "
         "figure, and how often each finished ahead of each other; a HID may also be a name as the "
         "search takes it."),
     meet}};

} // namespace
