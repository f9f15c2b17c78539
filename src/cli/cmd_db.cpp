#include "cli/cli.h"

#include "core/datafolder.h"
#include "core/format.h"
#include "db/database.h"
#include "db/databasesummary.h"

#include <QDir>

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
    QDir().mkpath(c.dir);
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

int info(CliContext& c, const QStringList& args)
{
    if (!args.isEmpty()) {
        c.err << "turftrawler-cli info: unexpected argument " << args.first() << "\n";
        return 2;
    }
    QString error;
    const QStringList lines = describeFolder(c.dir, error);
    for (const QString& line : lines)
        c.out << line << "\n";
    if (!error.isEmpty()) {
        c.err << "turftrawler-cli info: " << error << "\n";
        return 1;
    }
    return 0;
}

int dataFolder(CliContext& c, const QStringList& args)
{
    if (!args.isEmpty()) {
        c.err << "turftrawler-cli data-folder: unexpected argument " << args.first() << "\n";
        return 2;
    }
    c.out << (c.dirGiven ? c.dir : playerDataFolder()) << "\n";
    return 0;
}

CliRegistrar initCommand{{QStringLiteral("init"), CliGroup::Database, QString(),
                          QStringLiteral("Creates an empty horses.mdb. Makes the folder in use when needed; "
                                         "never overwrites a database."),
                          init}};
CliRegistrar infoCommand{
    {QStringLiteral("info"), CliGroup::Database, QString(),
     QStringLiteral("Shows the folder in use and its database. The size, stored weeks and "
                    "starts, as Help > About shows them."),
     info}};
CliRegistrar dataFolderCommand{
    {QStringLiteral("data-folder"), CliGroup::Database, QString(),
     QStringLiteral("Prints the data folder the installed programs work on. That is the folder --dir names, "
                    "else the player's data folder, whatever lies beside the program: run.sh starts the "
                    "window on it."),
     dataFolder}};
CliRegistrar weeksCommand{{QStringLiteral("weeks"), CliGroup::Database, QString(),
                           QStringLiteral("Lists the stored weeks, newest first."), weeks}};

} // namespace
