#include "cli/cli.h"

#include "core/headlessplatform.h"
#include "core/mainwindowstate.h"
#include "search/watchlist.h"

namespace
{

int fail(CliContext& c, const QString& text, int status)
{
    c.err << "turftrawler-cli watch: " << text << "\n";
    return status;
}

// Exit statuses: 0 done, 1 a message refused the change or the file cannot be read, 2 a usage error.
int watch(CliContext& c, const QStringList& arguments)
{
    QStringList args = arguments;
    const QString action = args.isEmpty() ? QString() : args.takeFirst();
    // The list needs no database: only the program directory where the file lives.
    HeadlessPlatform platform;
    MainWindowState f(platform, c.dir, QString());
    const Watchlist::ReadResult r = Watchlist::read(Watchlist::path(f));
    if (!r.error.isEmpty())
        return fail(c, r.error, 1);
    QList<WatchEntry> entries = r.entries;

    bool changed = true;
    if (action == QLatin1String("add-horse") || action == QLatin1String("add-owner")) {
        const bool horse = action == QLatin1String("add-horse");
        if (args.isEmpty() || args.size() > (horse ? 2 : 1))
            return fail(c,
                        horse ? QStringLiteral("add-horse takes a name and, if you like, an id")
                              : QStringLiteral("add-owner takes one owner name"),
                        2);
        const Watchlist::Checked checked = Watchlist::check(
            horse ? WatchEntry::Kind::Horse : WatchEntry::Kind::Owner, args.at(0), args.value(1));
        if (!checked.error.isEmpty())
            platform.message(checked.error);
        else
            changed = Watchlist::add(f, checked.entry, entries);
    } else if (action == QLatin1String("remove")) {
        bool number = args.size() == 1;
        const int index = number ? args.first().toInt(&number) : 0;
        if (!number)
            return fail(c, QStringLiteral("remove takes the number of one entry"), 2);
        if (index < 1 || index > entries.size())
            return fail(
                c, QStringLiteral("there is no entry %1; the list has %2").arg(index).arg(entries.size()), 2);
        changed = Watchlist::remove(f, entries.at(index - 1), entries);
    } else if (!action.isEmpty()) {
        return fail(c, QStringLiteral("unknown action %1 (add-horse, add-owner or remove)").arg(action), 2);
    }
    // The list as it now stands, which after a refusal is the list as it was.
    for (qsizetype i = 0; i < entries.size(); ++i)
        c.out << (i + 1) << "\t" << entries.at(i).text() << "\n";
    if (!changed || !platform.messages.isEmpty())
        return fail(c, platform.messages.join(QLatin1Char(' ')), 1);
    return 0;
}

CliRegistrar watchCommand{
    {QStringLiteral("watch"), CliGroup::Lists,
     QStringLiteral("[add-horse NAME [ID] | add-owner NAME | remove INDEX]"),
     QStringLiteral("Lists or changes the watch list. Entries are numbered from 1: a horse "
                    "(with its id when given) or an owner."),
     watch}};

} // namespace
