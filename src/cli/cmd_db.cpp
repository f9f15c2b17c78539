#include "cli/cli.h"

#include "core/datafolder.h"
#include "core/format.h"
#include "db/database.h"
#include "db/databasesummary.h"

#include <QDir>

#include <optional>

namespace
{

QString databasePath(const CliContext& c)
{
    return Fmt::withSeparator(c.dir) + QStringLiteral("horses.mdb");
}

/** The failure line of a command, "turftrawler-cli weeks: why", and its exit status. */
int failed(CliContext& c, const char* name, const QString& why)
{
    c.err << "turftrawler-cli " << name << ": " << why << "\n";
    return 1;
}

/** What these commands share first: they take no argument, and, given db, they open the database. The exit
    status when they cannot go on, its line written; nullopt when they can. */
std::optional<int> start(CliContext& c, const char* name, const QStringList& args, Database* db = nullptr)
{
    if (!args.isEmpty()) {
        c.err << "turftrawler-cli " << name << ": unexpected argument " << args.first() << "\n";
        return 2;
    }
    if (db && !db->open(databasePath(c)))
        return failed(c, name, db->error());
    return std::nullopt;
}

int init(CliContext& c, const QStringList& args)
{
    if (const auto status = start(c, "init", args))
        return *status;
    QDir().mkpath(c.dir);
    Database db;
    if (!db.create(databasePath(c)) || !db.close())
        return failed(c, "init", db.error());
    return 0;
}

int weeks(CliContext& c, const QStringList& args)
{
    Database db;
    if (const auto status = start(c, "weeks", args, &db))
        return *status;
    const auto list = db.weeks();
    if (!list || !db.close())
        return failed(c, "weeks", db.error());
    for (int w : *list)
        c.out << "Week " << w << "\n";
    return 0;
}

int info(CliContext& c, const QStringList& args)
{
    if (const auto status = start(c, "info", args))
        return *status;
    QString error;
    const QStringList lines = describeFolder(c.dir, error);
    for (const QString& line : lines)
        c.out << line << "\n";
    // Figures can be read from a file whose other pages are damaged: the check reads every page once.
    if (error.isEmpty())
        error = damage(databasePath(c));
    return error.isEmpty() ? 0 : failed(c, "info", error);
}

int dataFolder(CliContext& c, const QStringList& args)
{
    if (const auto status = start(c, "data-folder", args))
        return *status;
    const QString folder = c.dirGiven ? c.dir : playerDataFolder();
    if (folder.isEmpty())
        return failed(c, "data-folder", noDataFolderMessage());
    c.out << folder << "\n";
    return 0;
}

CliRegistrar initCommand{{QStringLiteral("init"), CliGroup::Database, QString(),
                          QStringLiteral("Creates an empty horses.mdb. Makes the folder in use when needed; "
                                         "never overwrites a database."),
                          init}};
CliRegistrar infoCommand{
    {QStringLiteral("info"), CliGroup::Database, QString(),
     QStringLiteral("Shows the folder in use and its database. The size, stored weeks and "
                    "starts, as Help > About shows them, after a quick check of every page of the file."),
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
