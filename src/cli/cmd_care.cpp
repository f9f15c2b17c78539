#include "cli/cli.h"

#include "cli/clisession.h"
#include "core/datafolder.h"
#include "core/format.h"
#include "db/database.h"
#include "db/maintenance.h"
#include "db/undolog.h"

#include <QFileInfo>

#include <functional>

namespace
{

/** Prints what the window has shown so far: each progress text on out, each message on err. */
void report(CliContext& c, CliSession& session)
{
    for (const QString& text : session.platform.labelTexts) {
        const QString shown = text.section(QStringLiteral(": "), 1);
        if (!shown.isEmpty())
            c.out << QString(shown).replace(QLatin1Char('\r'), QLatin1Char('\n')) << "\n";
    }
    for (const QString& text : session.platform.messages)
        c.err << QString(text).replace(QLatin1Char('\r'), QLatin1Char('\n')) << "\n";
    session.platform.labelTexts.clear();
    session.platform.messages.clear();
}

/** Runs one operation on a loaded session; exit 1 when horses.mdb is missing or the operation refused. */
int withSession(CliContext& c, const QString& name, const std::function<bool(CliSession&)>& op)
{
    CliSession session(c.dir, breedingPathFor(c.dir));
    if (!session.ok()) {
        c.err << "turftrawler-cli " << name << ": " << session.error() << "\n";
        return 1;
    }
    const bool ok = op(session);
    report(c, session);
    return ok ? 0 : 1;
}

int usageError(CliContext& c, const QString& name, const QString& text)
{
    c.err << "turftrawler-cli " << name << ": " << text << "\n";
    return 2;
}

int removeWeeks(CliContext& c, const QStringList& args)
{
    const QString name = QStringLiteral("remove-weeks");
    if (args.isEmpty())
        return usageError(c, name, QStringLiteral("no week given"));
    for (const QString& a : args) {
        // A number past the range of weeks would otherwise wrap to another week, or to 0.
        bool inRange = false;
        a.trimmed().toInt(&inRange);
        if (!Fmt::isWholeNumber(a) || !inRange)
            return usageError(c, name, QStringLiteral("%1 is not a week number").arg(a));
    }
    return withSession(c, name, [&](CliSession& s) {
        const auto listed = weeklist(s.state);
        if (!listed)
            return false;
        // Only weeks the window would list can be selected; one missing week refuses them all.
        QStringList wanted;
        for (const QString& a : args) {
            wanted << QStringLiteral("Week %1").arg(a.trimmed().toInt());
            if (!listed->contains(wanted.last())) {
                s.platform.message(wanted.last() +
                                   QStringLiteral(" is not in the database.  Nothing was removed."));
                return false;
            }
        }
        QStringList selected;
        for (const QString& entry : *listed) {
            if (wanted.contains(entry))
                selected << entry;
        }
        if (removeweeks(s.state, selected, false) != RemoveOutcome::Removed)
            return false;
        report(c, s);
        c.out << "Removed: " << selected.join(QStringLiteral(", ")) << "\n";
        return true;
    });
}

int compact(CliContext& c, QStringList args)
{
    // The kept changes stay unless asked otherwise: no question is put on the command line.
    const bool forgetUndo = takeFlag(args, QStringLiteral("--forget-undo"));
    if (!args.isEmpty())
        return usageError(c, QStringLiteral("compact"),
                          QStringLiteral("unexpected argument ") + args.first());
    return withSession(c, QStringLiteral("compact"),
                       [&](CliSession& s) { return cmdcompact_Click(s.state, forgetUndo); });
}

int undo(CliContext& c, QStringList args)
{
    const bool list = takeFlag(args, QStringLiteral("--list"));
    if (!args.isEmpty())
        return usageError(c, QStringLiteral("undo"), QStringLiteral("unexpected argument ") + args.first());
    if (!list)
        return withSession(c, QStringLiteral("undo"), [](CliSession& s) { return cmdundo_Click(s.state); });
    return withSession(c, QStringLiteral("undo"), [&](CliSession& s) {
        Database db;
        auto kept = db.open(s.state.databasePath()) ? UndoLog::changes(db) : std::nullopt;
        if (!kept || !UndoLog::review(db, *kept, true)) {
            s.platform.message(db.error());
            return false;
        }
        for (qsizetype i = 0; i < kept->size(); ++i) {
            const UndoLog::Change& change = kept->at(i);
            c.out << (i + 1) << '\t' << UndoLog::title(change, false) << '\t' << change.starts << " starts\t"
                  << change.made;
            if (!change.blocked.isEmpty())
                c.out << "\tcannot be undone: " << change.blocked;
            c.out << "\n";
        }
        return true;
    });
}

int backup(CliContext& c, const QStringList& args)
{
    if (args.size() != 1)
        return usageError(c, QStringLiteral("backup"), QStringLiteral("give the one file to write"));
    const QString target = QFileInfo(args.first()).absoluteFilePath();
    return withSession(c, QStringLiteral("backup"),
                       [&](CliSession& s) { return backupdatabaseTo(s.state, target); });
}

int tracks(CliContext& c, const QStringList& args)
{
    const QString name = QStringLiteral("tracks");
    const QString sub = args.value(0);
    if (!(args.isEmpty() || (sub == QLatin1String("add") && args.size() == 3) ||
          (sub == QLatin1String("delete") && args.size() == 2)))
        return usageError(c, name,
                          QStringLiteral("use: tracks | tracks add NUMBER CODE | tracks delete NUMBER"));
    return withSession(c, name, [&](CliSession& s) {
        Platform& p = s.platform;
        const QString db = s.state.databasePath();
        TrackOutcome outcome = TrackOutcome::Stored;
        if (sub == QLatin1String("add"))
            outcome = addtrack(p, db, args[1], args[2]);
        else if (sub == QLatin1String("delete"))
            outcome = deletetrack(p, db, args[1]);
        if (outcome == TrackOutcome::Missing)
            p.message(QStringLiteral("Track %1 is not in the database.").arg(args[1]));
        if (outcome == TrackOutcome::Refused || outcome == TrackOutcome::Failed)
            return false;
        const auto entries = loadtracks(p, db);
        for (const QString& e : entries.value_or(QStringList()))
            c.out << e << "\n";
        return entries && outcome == TrackOutcome::Stored;
    });
}

CliRegistrar removeCommand{
    {QStringLiteral("remove-weeks"), CliGroup::Care, QStringLiteral("WEEK..."),
     QStringLiteral("Removes whole weeks without asking. Every week given, or none when "
                    "one is not stored; what was removed can be put back with undo."),
     removeWeeks}};
CliRegistrar compactCommand{
    {QStringLiteral("compact"), CliGroup::Care, QStringLiteral("[--forget-undo]"),
     QStringLiteral("Compacts horses.mdb in place. Gives the space of removed weeks back to the disk, and "
                    "keeps the undo records unless --forget-undo is given."),
     compact}};
CliRegistrar undoCommand{
    {QStringLiteral("undo"), CliGroup::Care, QStringLiteral("[--list]"),
     QStringLiteral("Puts back the last week removal or replacement that can still be undone. Every row "
                    "comes back as it was; --list lists the changes kept, newest first, and why one can no "
                    "longer be undone."),
     undo}};
CliRegistrar tracksCommand{
    {QStringLiteral("tracks"), CliGroup::Care, QStringLiteral("[add NUMBER CODE | delete NUMBER]"),
     QStringLiteral("Lists, adds or deletes track codes. Tracks are numbered 0 to 99; the "
                    "list reads \"05: ABC\"."),
     tracks}};
CliRegistrar backupCommand{
    {QStringLiteral("backup"), CliGroup::Care, QStringLiteral("FILE"),
     QStringLiteral("Writes a copy of horses.mdb to FILE. The copy is whole or not written "
                    "at all; safe while the program runs."),
     backup}};

} // namespace
