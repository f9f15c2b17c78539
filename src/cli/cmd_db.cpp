#include "cli/cli.h"

#include "core/format.h"
#include "db/database.h"

namespace
{

QString databasePath(const CliContext& c)
{
    return Fmt::withSeparator(c.dir) + QStringLiteral("horses.mdb");
}

int init(CliContext& c, const QStringList& args)
{
    if (!args.isEmpty()) {
        c.err << "turftrawler-cli init: unexpected argument " << args.first() << "\n";
        return 2;
    }
    Database db;
    if (!db.create(databasePath(c)) || !db.close()) {
        c.err << "turftrawler-cli init: " << db.error() << "\n";
        return 1;
    }
    return 0;
}

int weeks(CliContext& c, const QStringList& args)
{
    if (!args.isEmpty()) {
        c.err << "turftrawler-cli weeks: unexpected argument " << args.first() << "\n";
        return 2;
    }
    Database db;
    if (!db.open(databasePath(c))) {
        c.err << "turftrawler-cli weeks: " << db.error() << "\n";
        return 1;
    }
    const auto list = db.weeks();
    if (!list || !db.close()) {
        c.err << "turftrawler-cli weeks: " << db.error() << "\n";
        return 1;
    }
    for (int w : *list)
        c.out << "Week " << w << "\n";
    return 0;
}

CliRegistrar initCommand{
    {QStringLiteral("init"), QStringLiteral("init                 create an empty horses.mdb"), init}};
CliRegistrar weeksCommand{{QStringLiteral("weeks"),
                           QStringLiteral("weeks                list the stored weeks, newest first"),
                           weeks}};

} // namespace
